#include "vcl/threads.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "win32/user.h"

namespace vcl {

namespace {

Cardinal CurrentId() {
    return static_cast<Cardinal>(::syscall(SYS_gettid));
}

const Cardinal mainThreadId = CurrentId();

bool OnMainThread() {
    return CurrentId() == mainThreadId;
}

struct SyncRecord {
    TThreadMethod method;
    std::exception_ptr error;
    bool done = false;
};

// One lock and condition for everything the main thread waits on: synchronize requests and thread
// ends, so that a wakeup is never lost between them.
struct SyncState {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::shared_ptr<SyncRecord>> queue;
    std::vector<TThread*> pendingStarts;
    win32::HWND window = nullptr;
};

SyncState& Sync() {
    static SyncState* state = new SyncState;
    return *state;
}

constexpr const char* kWindowClass = "TThreadSyncWindow";
constexpr win32::UINT kWakeMessage = win32::WM_USER + 0x7F;

win32::LRESULT SyncWindowProc(win32::HWND hwnd, win32::UINT message, win32::WPARAM wParam,
                              win32::LPARAM lParam) {
    if (message == kWakeMessage) {
        CheckSynchronize();
        return 0;
    }
    return win32::DefWindowProc(hwnd, message, wParam, lParam);
}

// The hidden window whose messages wake the main thread's loop.
void EnsureSyncWindow() {
    if (!OnMainThread()) return;
    auto& sync = Sync();
    win32::HWND window;
    {
        std::lock_guard lock(sync.mutex);
        window = sync.window;
    }
    if (window && win32::IsWindow(window)) return;
    win32::WNDCLASS existing{};
    if (!win32::GetClassInfo(nullptr, kWindowClass, &existing)) {
        win32::WNDCLASS wc{};
        wc.lpfnWndProc = SyncWindowProc;
        wc.lpszClassName = kWindowClass;
        win32::RegisterClass(&wc);
    }
    window = win32::CreateWindowEx(0, kWindowClass, "", 0, 0, 0, 0, 0, win32::HWND_MESSAGE, nullptr, nullptr,
                                   nullptr);
    std::lock_guard lock(sync.mutex);
    sync.window = window;
}

void WakeMainThread() {
    auto& sync = Sync();
    win32::HWND window;
    {
        std::lock_guard lock(sync.mutex);
        window = sync.window;
        sync.changed.notify_all();
    }
    if (window) win32::PostMessage(window, kWakeMessage, 0, 0);
}

}  // namespace

struct TThreadState {
    std::mutex mutex;
    std::condition_variable changed;
    std::thread thread;
    Cardinal id = 0;
    THandle handle = 0;
    int suspendCount = 0;
    bool gateOpen = false;
    bool abandoned = false;
    bool startPending = false;
    bool finished = false;
    bool done = false;  // Execute and OnTerminate are over
    std::atomic<bool> terminated{false};
    std::atomic<bool> freeOnTerminate{false};
    TThreadPriority priority = TThreadPriority::tpNormal;
    Integer returnValue = 0;
    std::exception_ptr fatal;
};

Cardinal MainThreadID() {
    return mainThreadId;
}

VCL_DEFINE_CLASS(TThread, TObject)

TThread::TThread(bool createSuspended) : state_(std::make_shared<TThreadState>()) {
    auto state = state_;
    state->suspendCount = createSuspended ? 1 : 0;
    state->thread = std::thread([this, state] {
        {
            std::unique_lock lock(state->mutex);
            state->id = CurrentId();
            state->changed.notify_all();
            state->changed.wait(lock, [&] { return state->gateOpen || state->abandoned; });
            if (state->abandoned) return;
        }
        Run();
    });
    state->handle = static_cast<THandle>(state->thread.native_handle());
    {
        std::unique_lock lock(state->mutex);
        state->changed.wait(lock, [&] { return state->id != 0; });
    }
    EnsureSyncWindow();
    if (!createSuspended) {
        // Execute is virtual: the thread may begin only once the whole object exists.
        state->startPending = true;
        {
            std::lock_guard lock(Sync().mutex);
            Sync().pendingStarts.push_back(this);
        }
        WakeMainThread();
    }
}

TThread::~TThread() {
    auto state = state_;
    {
        std::lock_guard lock(Sync().mutex);
        auto& pending = Sync().pendingStarts;
        pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
    }
    const bool self = CurrentId() == state->id;
    bool started;
    {
        std::lock_guard lock(state->mutex);
        started = state->gateOpen;
        if (!started) {
            state->abandoned = true;
            state->changed.notify_all();
        }
    }
    if (started && !self) {
        state->terminated = true;
        {
            std::lock_guard lock(state->mutex);
            state->suspendCount = 0;
            state->changed.notify_all();
        }
        // Waits like WaitFor, without raising.
        for (;;) {
            if (OnMainThread()) CheckSynchronize();
            std::unique_lock lock(Sync().mutex);
            bool done;
            {
                std::lock_guard stateLock(state->mutex);
                done = state->done;
            }
            if (done) break;
            Sync().changed.wait_for(lock, std::chrono::milliseconds(50),
                                    [&] { return !Sync().queue.empty() || state->done; });
        }
    }
    if (state->thread.joinable()) {
        if (self)
            state->thread.detach();
        else
            state->thread.join();
    }
}

void TThread::Free() {
    if (!Finished() && CurrentId() != state_->id) {
        Terminate();
        {
            std::lock_guard lock(state_->mutex);
            state_->suspendCount = 0;
            state_->changed.notify_all();
        }
        EnsureStarted();
        WaitFor();
    }
    delete this;
}

void TThread::EnsureStarted() {
    auto state = state_;
    {
        std::lock_guard lock(state->mutex);
        if (!state->startPending) return;
        state->startPending = false;
        if (state->suspendCount == 0) {
            state->gateOpen = true;
            state->changed.notify_all();
        }
    }
    std::lock_guard lock(Sync().mutex);
    auto& pending = Sync().pendingStarts;
    pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
}

void TThread::Run() {
    auto state = state_;
    try {
        CheckSuspended();
        if (!Terminated()) Execute();
    } catch (...) {
        state->fatal = std::current_exception();
    }
    {
        std::lock_guard lock(state->mutex);
        state->finished = true;
    }
    try {
        DoTerminate();
    } catch (...) {
        if (!state->fatal) state->fatal = std::current_exception();
    }
    const bool freeIt = state->freeOnTerminate;
    {
        std::lock_guard syncLock(Sync().mutex);
        std::lock_guard lock(state->mutex);
        state->done = true;
        state->changed.notify_all();
        Sync().changed.notify_all();
    }
    if (freeIt) delete this;
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Resume() {
    auto state = state_;
    {
        std::lock_guard lock(state->mutex);
        if (state->suspendCount > 0) --state->suspendCount;
        if (state->suspendCount == 0) {
            if (!state->gateOpen && !state->startPending) state->gateOpen = true;
            state->changed.notify_all();
        }
    }
    EnsureStarted();
}

void TThread::Suspend() {
    EnsureStarted();
    {
        std::lock_guard lock(state_->mutex);
        ++state_->suspendCount;
    }
    if (CurrentId() == state_->id) CheckSuspended();
}

void TThread::CheckSuspended() {
    auto state = state_;
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->suspendCount == 0; });
}

void TThread::Terminate() {
    state_->terminated = true;
    EnsureStarted();
}

Cardinal TThread::WaitFor() {
    auto state = state_;
    EnsureStarted();
    if (CurrentId() == state->id) throw EThread("Cannot call WaitFor on the thread itself");
    {
        std::lock_guard lock(state->mutex);
        if (state->suspendCount > 0 && !state->done) throw EThread("Cannot wait for a suspended thread");
    }
    const bool main = OnMainThread();
    for (;;) {
        if (main) CheckSynchronize();
        std::unique_lock lock(Sync().mutex);
        auto ready = [&] {
            std::lock_guard stateLock(state->mutex);
            return state->done || (main && !Sync().queue.empty());
        };
        Sync().changed.wait(lock, ready);
        std::lock_guard stateLock(state->mutex);
        if (state->done) break;
    }
    if (state->thread.joinable() && !state->freeOnTerminate) state->thread.join();
    return static_cast<Cardinal>(state->returnValue);
}

bool TThread::Terminated() const {
    return state_->terminated;
}

bool TThread::Suspended() const {
    std::lock_guard lock(state_->mutex);
    return state_->suspendCount > 0;
}

void TThread::SetSuspended(bool value) {
    if (value)
        Suspend();
    else
        Resume();
}

bool TThread::Finished() const {
    std::lock_guard lock(state_->mutex);
    return state_->finished;
}

TThreadPriority TThread::Priority() const {
    std::lock_guard lock(state_->mutex);
    return state_->priority;
}

void TThread::SetPriority(TThreadPriority value) {
    if (static_cast<uint8_t>(value) > static_cast<uint8_t>(TThreadPriority::tpTimeCritical))
        throw EThread("Invalid thread priority");
    std::lock_guard lock(state_->mutex);
    state_->priority = value;
}

bool TThread::FreeOnTerminate() const {
    return state_->freeOnTerminate;
}
void TThread::SetFreeOnTerminate(bool value) {
    state_->freeOnTerminate = value;
}
THandle TThread::Handle() const {
    return state_->handle;
}
Cardinal TThread::ThreadID() const {
    return state_->id;
}

std::exception_ptr TThread::FatalException() const {
    std::lock_guard lock(state_->mutex);
    return state_->fatal;
}

Integer TThread::ReturnValue() const {
    std::lock_guard lock(state_->mutex);
    return state_->returnValue;
}

void TThread::SetReturnValue(Integer value) {
    std::lock_guard lock(state_->mutex);
    state_->returnValue = value;
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
    if (!method) return;
    if (OnMainThread()) {
        method();
        return;
    }
    if (thread) thread->CheckSuspended();
    auto record = std::make_shared<SyncRecord>();
    record->method = method;
    auto& sync = Sync();
    {
        std::lock_guard lock(sync.mutex);
        sync.queue.push_back(record);
    }
    WakeMainThread();
    {
        std::unique_lock lock(sync.mutex);
        sync.changed.wait(lock, [&] { return record->done; });
    }
    if (record->error) std::rethrow_exception(record->error);
}

bool CheckSynchronize(Integer timeout) {
    if (!OnMainThread())
        throw EThread(Format("CheckSynchronize called from thread %d, which is NOT the main thread",
                             {static_cast<Integer>(CurrentId())}));
    EnsureSyncWindow();
    auto& sync = Sync();
    std::vector<TThread*> starts;
    std::deque<std::shared_ptr<SyncRecord>> records;
    {
        std::unique_lock lock(sync.mutex);
        if (sync.queue.empty() && sync.pendingStarts.empty() && timeout > 0)
            sync.changed.wait_for(lock, std::chrono::milliseconds(timeout),
                                  [&] { return !sync.queue.empty(); });
        starts.swap(sync.pendingStarts);
        records.swap(sync.queue);
    }
    for (TThread* thread : starts)
        thread->Resume();
    for (auto& record : records) {
        try {
            record->method();
        } catch (...) {
            record->error = std::current_exception();
        }
        std::lock_guard lock(sync.mutex);
        record->done = true;
        sync.changed.notify_all();
    }
    return !records.empty();
}

}  // namespace vcl
