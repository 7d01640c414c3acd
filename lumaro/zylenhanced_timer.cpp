// TZylTimer32 and its worker thread. The worker sleeps on its wake event with the platform clock's
// time-outs, so suspension and destruction interrupt a sleep at once, and a manual clock drives it.
#include <utility>

#include "lumaro/zylenhanced.h"
#include "vcl/forms.h"

namespace lumaro {

using namespace vcl;

// ---------------------------------------------------------------------------------------------
// TZylThread

VCL_DEFINE_CLASS(TZylThread, vcl::TThread)

TZylThread::TZylThread(TZylTimer32* timer)
    : TThread(true), timer_(timer), wake_(win32::CreateEvent(nullptr, win32::FALSE, win32::FALSE, nullptr)) {
    if (!wake_) throw EThread("Cannot create the timer's wake event");
}

TZylThread::~TZylThread() {
    win32::CloseHandle(wake_);
}

void TZylThread::ResumeSleeper() {
    resumedAt_ = win32::GetTickCount64();
    Resume();
}

void TZylThread::Wake() {
    wokenAt_ = win32::GetTickCount64();
    win32::SetEvent(wake_);
}

bool TZylThread::SleepInterval() {
    win32::ULONGLONG deadline = win32::GetTickCount64() + timer_->interval_.load();
    for (;;) {
        const win32::ULONGLONG now = win32::GetTickCount64();
        if (now >= deadline) return true;
        const win32::DWORD result =
            win32::WaitForSingleObject(wake_, static_cast<win32::DWORD>(deadline - now));
        if (Terminated() || result == win32::WAIT_FAILED) return false;
        if (result != win32::WAIT_OBJECT_0) continue;
        // Woken: a suspension pauses the rest of the sleep, also one already over when the worker
        // got here.
        if (Suspended()) CheckSuspended();
        if (Terminated()) return false;
        const win32::ULONGLONG pausedAt = wokenAt_.load(), resumedAt = resumedAt_.load();
        if (resumedAt > pausedAt) deadline += resumedAt - pausedAt;
    }
}

void TZylThread::Execute() {
    SetPriority(timer_->priority_.load());
    while (!Terminated()) {
        if (!SleepInterval()) break;
        Synchronize([this] { DoTimer(); });
    }
}

void TZylThread::DoTimer() {
    // A tick queued before the timer was stopped (or while it is being destroyed) is dropped.
    if (Suspended() || Terminated()) return;
    const ScopedValue delivering(delivering_, true);
    try {
        timer_->Timer();
    } catch (...) {
        // The worker must outlive a failing handler, as a window timer does; the handler may also
        // have freed the timer before it failed.
        if (!Application) throw;
        Application->HandleException(timer_ ? static_cast<TObject*>(timer_) : this);
    }
}

void TZylThread::Abandon() {
    // The worker waits in Synchronize for the tick that is being delivered: it cannot be waited for
    // here. It ends by itself once the tick returns and frees itself then.
    timer_ = nullptr;
    SetFreeOnTerminate(true);
    Terminate();
    while (Suspended())
        Resume();
}

// ---------------------------------------------------------------------------------------------
// TZylTimer32

VCL_DEFINE_CLASS(TZylTimer32, vcl::TComponent)

TZylTimer32::TZylTimer32(TComponent* owner) : TComponent(owner), thread_(new TZylThread(this)) {
    UpdateTimer();
}

TZylTimer32::~TZylTimer32() {
    StopWorker();
}

void TZylTimer32::StopWorker() {
    if (!thread_) return;
    enabled_ = false;
    if (thread_->Delivering()) {
        // Freed from its own OnTimer handler.
        std::exchange(thread_, nullptr)->Abandon();
        return;
    }
    UpdateTimer();
    thread_->Terminate();
    thread_->Wake();
    // WaitFor refuses a suspended thread; a worker that never ran starts only to see it must end.
    while (thread_->Suspended())
        thread_->Resume();
    thread_->WaitFor();
    delete thread_;
    thread_ = nullptr;
}

void TZylTimer32::SetEnabled(bool value) {
    enabled_ = value;
    UpdateTimer();
}

void TZylTimer32::SetInterval(Word value) {
    interval_ = value;
    UpdateTimer();
}

void TZylTimer32::SetPriority(TThreadPriority value) {
    priority_ = value;
    UpdateTimer();
}

void TZylTimer32::UpdateTimer() {
    if (!thread_) return;
    const bool wasRunning = !thread_->Suspended();
    if (wasRunning) thread_->Suspend();
    if (interval_ != 0 && enabled_ && OnTimer && !IsDestroying()) {
        thread_->ResumeSleeper();
    } else if (wasRunning) {
        // Only a lasting suspension needs the sleeper's attention; one undone at once changes nothing.
        thread_->Wake();
    }
}

void TZylTimer32::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TZylTimer32::Timer() {
    if (OnTimer) OnTimer(this);
}

}  // namespace lumaro
