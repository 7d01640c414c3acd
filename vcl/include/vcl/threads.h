// Threads of the framework: TThread, and Synchronize, which runs a method on the main thread through
// its message loop.
#pragma once

#include <exception>
#include <functional>
#include <memory>

#include "vcl/objects.h"

namespace vcl {

enum class TThreadPriority : uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};
VCL_ENUM_NAMES(TThreadPriority, "tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest",
               "tpTimeCritical")

using TThreadMethod = std::function<void()>;
using THandle = uintptr_t;

struct TThreadState;

// A thread running Execute. Linux cannot stop a thread from outside, so Suspend is cooperative: a
// running thread pauses at its next CheckSuspended or Synchronize. A thread created running starts
// once its object is complete: at the next message the main thread processes, CheckSynchronize, or
// any call on the object (Resume, WaitFor, Terminate, ...).
class TThread : public TObject {
    VCL_DECLARE_CLASS(TThread, TObject)
public:
    explicit TThread(bool createSuspended);
    // Terminates and waits for a thread still running, so a subclass whose Execute uses its own
    // members should WaitFor (or use Free) before its members go.
    ~TThread() override;

    // Terminates, waits, deletes.
    void Free();
    void Resume();
    void Suspend();
    void Start() { Resume(); }
    void Terminate();
    // Waits for Execute and OnTerminate to finish; on the main thread it keeps running the methods
    // other threads synchronize. Raises EThread on the thread itself or for a suspended thread.
    Cardinal WaitFor();

    bool Terminated() const;
    bool Suspended() const;
    void SetSuspended(bool value);
    bool Finished() const;
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority value);
    bool FreeOnTerminate() const;
    void SetFreeOnTerminate(bool value);
    THandle Handle() const;
    Cardinal ThreadID() const;
    // The exception that escaped Execute, if any.
    std::exception_ptr FatalException() const;
    Integer ReturnValue() const;

    // Runs on the main thread (through Synchronize) after Execute.
    TNotifyEvent OnTerminate;

    // Runs `method` on the main thread and waits; an exception it raises is raised again here.
    static void Synchronize(TThread* thread, const TThreadMethod& method);

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();
    void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
    // The point where a suspended thread pauses.
    void CheckSuspended();
    void SetReturnValue(Integer value);

private:
    friend struct TThreadState;
    void EnsureStarted();
    void Run();

    std::shared_ptr<TThreadState> state_;
};

// Runs the methods waiting in Synchronize (main thread only; EThread elsewhere), waiting up to
// `timeout` milliseconds for one when none waits. True when a method ran.
bool CheckSynchronize(Integer timeout = 0);
// The id of the thread that loaded the framework.
Cardinal MainThreadID();

}  // namespace vcl
