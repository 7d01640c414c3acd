// Message queues: sending (also across threads), posting, retrieval in Win32's priority order,
// translation and dispatch, the shared atom table, and waiting.
#include <algorithm>
#include <chrono>
#include <map>

#include "ascii.h"
#include "display/display.h"
#include "user/user_internal.h"
#include "win32/virtualkeys.h"

namespace win32 {

namespace user {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<DWORD, std::shared_ptr<Queue>> queues;
};

Registry& Queues() {
    static Registry* registry = new Registry;
    return *registry;
}

void Complete(const std::shared_ptr<SentItem>& item) {
    if (item->sender) {
        std::lock_guard lock(item->sender->mutex);
        item->done = true;
        ++item->sender->signals;
        item->sender->wake.notify_all();
        display::WakeLive();
    } else {
        item->done = true;
    }
}

// Ends every pending send of a queue that is going away.
void Abandon(Queue& q) {
    std::deque<std::shared_ptr<SentItem>> pending;
    {
        std::lock_guard lock(q.mutex);
        pending.swap(q.sent);
        q.sentCount = 0;
        q.posted.clear();
    }
    for (auto& item : pending)
        Complete(item);
}

struct QueueHolder {
    std::shared_ptr<Queue> queue;
    ~QueueHolder() {
        if (!queue) return;
        {
            std::lock_guard lock(Queues().mutex);
            Queues().queues.erase(queue->threadId);
        }
        Abandon(*queue);
    }
};

thread_local QueueHolder currentQueue;
thread_local std::shared_ptr<SentItem> replyTarget;  // the cross-thread send being processed
thread_local int crossThreadDepth = 0;
thread_local LRESULT lastSendResult = 0;

LRESULT LastSendResult() {
    return lastSendResult;
}

struct Atoms {
    std::mutex mutex;
    std::map<std::string, UINT> byName;
    std::vector<std::string> names;  // index = atom - 0xC000
};

Atoms& AtomTable() {
    static Atoms* atoms = new Atoms;
    return *atoms;
}

bool InRange(UINT message, UINT low, UINT high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

// The filter window and its descendants; -1 selects thread messages only.
bool MatchesWindow(HWND hwnd, HWND filter) {
    if (!filter) return true;
    if (filter == MakeHandle<HWND>(static_cast<UINT_PTR>(-1))) return hwnd == nullptr;
    if (hwnd == filter) return true;
    Window* f = Find(filter);
    Window* w = Find(hwnd);
    return f && w && IsDescendant(f, w);
}

void ProcessSentMessages(Queue& q) {
    while (q.sentCount.load() != 0) {
        std::shared_ptr<SentItem> item;
        {
            std::lock_guard lock(q.mutex);
            if (q.sent.empty()) return;
            item = q.sent.front();
            q.sent.pop_front();
            --q.sentCount;
        }
        auto previous = replyTarget;
        replyTarget = item;
        ++crossThreadDepth;
        try {
            LRESULT result = 0;
            if (item->task) {
                result = item->task();
            } else if (Window* w = Find(item->hwnd)) {
                result = Send(w, item->message, item->wParam, item->lParam);
            }
            if (!item->done) item->result = result;  // ReplyMessage may have answered already
        } catch (...) {
            if (!item->done) item->error = std::current_exception();
        }
        --crossThreadDepth;
        replyTarget = previous;
        if (!item->done) Complete(item);
    }
}

// Queues the item on the target thread and, unless it is a notification, waits for its answer while
// processing what other threads send to this one.
LRESULT DeliverToThread(const std::shared_ptr<Queue>& target, const std::shared_ptr<SentItem>& item,
                        UINT timeout, bool* timedOut) {
    const bool notify = item->notify;
    auto self = CurrentQueue();
    if (!notify) item->sender = self;
    {
        std::lock_guard lock(target->mutex);
        target->sent.push_back(item);
        ++target->sentCount;
        ++target->signals;
        target->wake.notify_all();
        display::WakeLive();
    }
    if (notify) return TRUE;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    for (;;) {
        {
            std::unique_lock lock(self->mutex);
            auto ready = [&] { return item->done || !self->sent.empty(); };
            if (timeout == INFINITE) {
                self->wake.wait(lock, ready);
            } else if (!self->wake.wait_until(lock, deadline, ready)) {
                if (timedOut) *timedOut = true;
                return 0;
            }
            if (item->done) break;
        }
        // Messages sent to this thread while it waits are processed, as Win32 does.
        ProcessSentMessages(*self);
    }
    if (item->error) std::rethrow_exception(item->error);
    return item->result;
}

LRESULT SendToOtherThread(Window* w, UINT message, WPARAM wParam, LPARAM lParam, bool notify, UINT timeout,
                          bool* timedOut) {
    auto target = QueueOf(w->thread);
    if (!target) return 0;
    auto item = std::make_shared<SentItem>();
    item->hwnd = w->Handle();
    item->message = message;
    item->wParam = wParam;
    item->lParam = lParam;
    item->notify = notify;
    return DeliverToThread(target, item, timeout, timedOut);
}

bool PostTo(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<Queue> other;
    Queue* q = thread == CurrentThread() ? &ThisQueue() : (other = QueueOf(thread)).get();
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return false;
    }
    MSG msg{hwnd, message, wParam, lParam, GetTickCount(), S().cursor};
    std::lock_guard lock(q->mutex);
    if (q->posted.size() >= 10000) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return false;
    }
    q->posted.push_back(msg);
    ++q->signals;
    q->wake.notify_all();
    display::WakeLive();
    return true;
}

bool InputAllowed(UINT flags) {
    const UINT kinds = flags >> 16;
    return kinds == 0 || (kinds & QS_INPUT);
}

bool PeekInternal(MSG* out, HWND filter, UINT low, UINT high, UINT flags) {
    auto& s = S();
    Queue* q = &ThisQueue();
    ProcessSentMessages(*q);
    const bool remove = (flags & PM_REMOVE) != 0;
    const UINT kinds = flags >> 16;
    const DWORD thread = CurrentThread();
    MSG msg{};
    bool found = false;

    if (kinds == 0 || (kinds & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE))) {
        std::lock_guard lock(q->mutex);
        for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
            if (!InRange(it->message, low, high) && it->message != WM_QUIT) continue;
            if (!MatchesWindow(it->hwnd, filter)) continue;
            msg = *it;
            if (remove) {
                if (it == q->posted.begin())
                    q->posted.pop_front();
                else
                    q->posted.erase(it);
            }
            found = true;
            break;
        }
    }
    if (!found && thread == s.uiThread && InputAllowed(flags) && s.inputSize.load() != 0) {
        for (size_t index = 0;; ++index) {
            RawInput raw;
            {
                std::lock_guard lock(s.inputMutex);
                if (index >= s.input.size()) break;
                raw = s.input[index];
            }
            bool eaten = false;
            MSG converted{};
            if (!ConvertInput(raw, false, &converted, &eaten)) {
                // Input nobody can take (over no window, a disabled window) still moves the key
                // and button state, then goes.
                {
                    std::lock_guard lock(s.inputMutex);
                    s.input.erase(s.input.begin() + static_cast<std::ptrdiff_t>(index));
                    s.inputSize = s.input.size();
                }
                MSG ignored{};
                ConvertInput(raw, true, &ignored, &eaten);
                --index;
                continue;
            }
            if (!InRange(converted.message, low, high) || !MatchesWindow(converted.hwnd, filter)) continue;
            if (!remove) {
                msg = converted;
                found = true;
                break;
            }
            {
                std::lock_guard lock(s.inputMutex);
                s.input.erase(s.input.begin() + static_cast<std::ptrdiff_t>(index));
                s.inputSize = s.input.size();
            }
            eaten = false;
            if (ConvertInput(raw, true, &msg, &eaten) && !eaten) {
                found = true;
                break;
            }
            --index;
        }
    }
    if (!found) {
        std::lock_guard lock(q->mutex);
        if (q->quit) {
            msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quitCode), 0, GetTickCount(), s.cursor};
            if (remove) q->quit = false;
            found = true;
        }
    }
    if (!found && (kinds == 0 || (kinds & QS_PAINT)) && InRange(WM_PAINT, low, high) &&
        s.windowsToPaint > 0) {
        Window* limit = nullptr;
        if (filter && filter != MakeHandle<HWND>(static_cast<UINT_PTR>(-1))) limit = Find(filter);
        if (!filter || limit) {
            if (Window* w = FindWindowToPaint(thread, limit)) {
                msg = MSG{w->Handle(), WM_PAINT, 0, 0, GetTickCount(), s.cursor};
                found = true;
            }
        }
    }
    if (!found && (kinds == 0 || (kinds & QS_TIMER)))
        found = DueTimer(thread, filter, low, high, remove, &msg);
    if (!found) return false;

    if (thread == s.uiThread || s.uiThread == 0) {
        s.messageTime = msg.time;
        s.messagePos = msg.pt;
    }
    if (HooksInstalled(WH_GETMESSAGE))
        CallHooks(WH_GETMESSAGE, HC_ACTION, remove ? PM_REMOVE : PM_NOREMOVE, reinterpret_cast<LPARAM>(&msg));
    *out = msg;
    return true;
}

// Waits until something new arrives after `seen`, or until the next timer is due.
void WaitForSignal(Queue& q, uint64_t seen) {
    const DWORD thread = CurrentThread();
    // On a live display the UI thread waits on the display's connection and the next timer
    // together; other threads wake it through the back end.
    if (display::Backend* live = display::Live(); live && thread == S().uiThread) {
        live->Sync();
        live->Pump();
        if (q.signals != seen) return;
        live->Wait(AnyTimer(thread) ? std::max(0LL, MillisecondsToNextTimer(thread)) : -1);
        return;
    }
    std::unique_lock lock(q.mutex);
    if (q.signals != seen) return;
    const bool timers = AnyTimer(thread);
    if (!timers) {
        q.wake.wait(lock, [&] { return q.signals != seen; });
        return;
    }
    long long wait = testing::ManualClock() ? 10 : std::max(0LL, MillisecondsToNextTimer(thread));
    q.wake.wait_for(lock, std::chrono::milliseconds(std::min(wait, 1000LL)),
                    [&] { return q.signals != seen; });
}

uint64_t Signals(Queue& q) {
    return q.signals.load();
}

}  // namespace

namespace {
__attribute__((tls_model("initial-exec"))) thread_local Queue* cachedQueue = nullptr;
}  // namespace

Queue& ThisQueue() {
    if (!cachedQueue) cachedQueue = CurrentQueue().get();
    return *cachedQueue;
}

std::shared_ptr<Queue> CurrentQueue() {
    if (!currentQueue.queue) {
        auto q = std::make_shared<Queue>();
        q->threadId = CurrentThread();
        std::lock_guard lock(Queues().mutex);
        Queues().queues[q->threadId] = q;
        currentQueue.queue = q;
    }
    return currentQueue.queue;
}

std::shared_ptr<Queue> QueueOf(DWORD threadId) {
    if (threadId == CurrentThread()) return CurrentQueue();
    std::lock_guard lock(Queues().mutex);
    auto found = Queues().queues.find(threadId);
    return found == Queues().queues.end() ? nullptr : found->second;
}

bool RunOnThread(DWORD threadId, std::function<LRESULT()> task, bool wait, UINT timeout, LRESULT* result) {
    if (threadId == CurrentThread()) {
        const LRESULT r = task();
        if (result) *result = r;
        return true;
    }
    auto target = QueueOf(threadId);
    if (!target) return false;
    auto item = std::make_shared<SentItem>();
    item->task = std::move(task);
    item->notify = !wait;
    bool timedOut = false;
    const LRESULT r = DeliverToThread(target, item, timeout, &timedOut);
    if (timedOut) return false;
    if (result) *result = r;
    return true;
}

void ProcessIncomingSends() {
    ProcessSentMessages(ThisQueue());
}

void WakeUiThread() {
    auto q = QueueOf(S().uiThread ? S().uiThread : CurrentThread());
    if (!q) return;
    std::lock_guard lock(q->mutex);
    ++q->signals;
    q->wake.notify_all();
    display::WakeLive();
}

LRESULT Send(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (w->thread != CurrentThread())
        return SendToOtherThread(w, message, wParam, lParam, false, INFINITE, nullptr);
    Hold hold(w);
    const HWND hwnd = w->Handle();
    if (HooksInstalled(WH_CALLWNDPROC)) {
        CWPSTRUCT info{lParam, wParam, message, hwnd};
        CallHooks(WH_CALLWNDPROC, HC_ACTION, crossThreadDepth > 0 ? 0 : 1, reinterpret_cast<LPARAM>(&info));
    }
    const WNDPROC proc = w->Proc();
    const LRESULT result = proc ? proc(hwnd, message, wParam, lParam) : 0;
    if (HooksInstalled(WH_CALLWNDPROCRET)) {
        CWPRETSTRUCT info{result, lParam, wParam, message, hwnd};
        CallHooks(WH_CALLWNDPROCRET, HC_ACTION, crossThreadDepth > 0 ? 0 : 1,
                  reinterpret_cast<LPARAM>(&info));
    }
    return result;
}

void PurgeWindowMessages(Window* w) {
    auto q = QueueOf(w->thread);
    if (!q) return;
    const HWND hwnd = w->Handle();
    std::deque<std::shared_ptr<SentItem>> orphans;
    {
        std::lock_guard lock(q->mutex);
        q->posted.erase(
            std::remove_if(q->posted.begin(), q->posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
            q->posted.end());
        for (auto it = q->sent.begin(); it != q->sent.end();) {
            if ((*it)->hwnd == hwnd) {
                orphans.push_back(*it);
                it = q->sent.erase(it);
                --q->sentCount;
            } else {
                ++it;
            }
        }
    }
    for (auto& item : orphans)
        Complete(item);
}

void ResetMessages() {
    auto q = CurrentQueue();
    Abandon(*q);
    std::lock_guard lock(q->mutex);
    q->quit = false;
    q->quitCode = 0;
}

UINT RegisteredAtom(std::string_view name) {
    auto& atoms = AtomTable();
    std::lock_guard lock(atoms.mutex);
    const std::string key = ascii::Lower(name);
    if (auto found = atoms.byName.find(key); found != atoms.byName.end()) return found->second;
    if (atoms.names.size() >= 0x4000) return 0;
    const UINT atom = 0xC000 + static_cast<UINT>(atoms.names.size());
    atoms.names.emplace_back(name);
    atoms.byName[key] = atom;
    return atom;
}

bool RegisteredAtomName(UINT atom, std::string* name) {
    auto& atoms = AtomTable();
    std::lock_guard lock(atoms.mutex);
    if (atom < 0xC000 || atom - 0xC000 >= atoms.names.size()) return false;
    *name = atoms.names[atom - 0xC000];
    return true;
}

bool AnythingPending() {
    MSG msg;
    return PeekInternal(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

void ModalIdle(std::string_view loopName) {
    auto& s = S();
    if (!testing::ManualClock() && !s.modalScript) {
        WaitMessage();
        return;
    }
    if (s.modalScript) {
        auto script = s.modalScript;
        script(loopName);
        if (AnythingPending()) return;
    }
    throw ModalLoopStuck(std::string(loopName));
}

}  // namespace user

using namespace user;

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        for (Window* w : TopLevelWindows(false))
            tops.push_back(w->Handle());
        for (HWND h : tops)
            if (Window* w = Find(h)) Send(w, message, wParam, lParam);
        return 0;
    }
    if (session::IsForeign(hwnd)) {
        LRESULT result = 0;
        return session::RemoteSend(hwnd, message, wParam, lParam, INFINITE, &result) ? result : 0;
    }
    if (IsUiThread()) {
        Window* w = Get(hwnd);
        if (!w) return 0;
        if (w->thread == CurrentThread() && !AnyHooks()) {
            // The common case without hooks: straight to the procedure.
            Hold hold(w);
            const WNDPROC proc = w->Proc();
            return proc ? proc(hwnd, message, wParam, lParam) : 0;
        }
        return Send(w, message, wParam, lParam);
    }
    return SendMessageTimeout(hwnd, message, wParam, lParam, SMTO_NORMAL, INFINITE, nullptr)
               ? LastSendResult()
               : 0;
}

LRESULT SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                           DWORD_PTR* result) {
    if (session::IsForeign(hwnd)) {
        LRESULT r = 0;
        if (!session::RemoteSend(hwnd, message, wParam, lParam, timeout, &r)) return 0;
        if (result) *result = static_cast<DWORD_PTR>(r);
        return TRUE;
    }
    // Other threads reach a window's record only through its thread's queue.
    const DWORD thread = WindowThread(hwnd);
    if (!thread) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LRESULT r;
    bool timedOut = false;
    if (thread == CurrentThread()) {
        Window* w = Get(hwnd);
        if (!w) return 0;
        r = Send(w, message, wParam, lParam);
    } else {
        Window proxy;
        proxy.handle = HandleValue(hwnd);
        proxy.thread = thread;
        r = SendToOtherThread(&proxy, message, wParam, lParam, false, timeout, &timedOut);
    }
    if (timedOut) {
        SetLastError(ERROR_TIMEOUT);
        return 0;
    }
    lastSendResult = r;
    if (result) *result = static_cast<DWORD_PTR>(r);
    return TRUE;
}

BOOL SendNotifyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (session::IsForeign(hwnd)) return session::RemotePost(hwnd, message, wParam, lParam);
    const DWORD thread = WindowThread(hwnd);
    if (!thread) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (thread == CurrentThread()) {
        if (Window* w = Get(hwnd)) Send(w, message, wParam, lParam);
        return TRUE;
    }
    Window proxy;
    proxy.handle = HandleValue(hwnd);
    proxy.thread = thread;
    return SendToOtherThread(&proxy, message, wParam, lParam, true, INFINITE, nullptr) != 0;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return PostTo(CurrentThread(), nullptr, message, wParam, lParam);
    if (hwnd == HWND_BROADCAST) {
        for (Window* w : TopLevelWindows(false))
            PostTo(w->thread, w->Handle(), message, wParam, lParam);
        return TRUE;
    }
    if (session::IsForeign(hwnd)) return session::RemotePost(hwnd, message, wParam, lParam);
    hwnd = session::Local(hwnd);
    const DWORD thread = WindowThread(hwnd);
    if (!thread) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return PostTo(thread, hwnd, message, wParam, lParam);
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostTo(threadId, nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    auto q = CurrentQueue();
    std::lock_guard lock(q->mutex);
    q->quit = true;
    q->quitCode = exitCode;
    ++q->signals;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT low, UINT high, UINT flags) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hwnd && hwnd != MakeHandle<HWND>(static_cast<UINT_PTR>(-1)) && !Get(hwnd)) return FALSE;
    if (PeekInternal(msg, hwnd, low, high, flags)) return TRUE;
    // A program that polls instead of waiting still shows its pixels and hears the display.
    display::Backend* live = display::Live();
    if (!live || CurrentThread() != S().uiThread) return FALSE;
    live->Sync();
    live->Pump();
    return PeekInternal(msg, hwnd, low, high, flags) ? TRUE : FALSE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT low, UINT high) {
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hwnd && hwnd != MakeHandle<HWND>(static_cast<UINT_PTR>(-1)) && !Get(hwnd)) return -1;
    Queue* q = &ThisQueue();
    for (;;) {
        const uint64_t seen = Signals(*q);
        if (PeekInternal(msg, hwnd, low, high, PM_REMOVE)) return msg->message != WM_QUIT;
        WaitForSignal(*q, seen);
    }
}

BOOL WaitMessage() {
    auto q = CurrentQueue();
    const uint64_t seen = Signals(*q);
    MSG msg;
    if (PeekInternal(&msg, nullptr, 0, 0, PM_NOREMOVE)) return TRUE;
    WaitForSignal(*q, seen);
    return TRUE;
}

DWORD GetQueueStatus(UINT flags) {
    auto& s = S();
    auto q = CurrentQueue();
    UINT status = 0;
    {
        std::lock_guard lock(q->mutex);
        if (!q->posted.empty() || q->quit) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
        if (!q->sent.empty()) status |= QS_SENDMESSAGE;
    }
    if (CurrentThread() == s.uiThread) {
        std::lock_guard lock(s.inputMutex);
        for (const auto& raw : s.input) {
            if (raw.kind == RawInput::Key)
                status |= QS_KEY;
            else if (raw.message == WM_MOUSEMOVE)
                status |= QS_MOUSEMOVE;
            else
                status |= QS_MOUSEBUTTON;
        }
    }
    if (s.windowsToPaint > 0 && FindWindowToPaint(CurrentThread(), nullptr)) status |= QS_PAINT;
    MSG msg;
    if (DueTimer(CurrentThread(), nullptr, 0, 0, false, &msg)) status |= QS_TIMER;
    status &= flags;
    return MAKELONG(static_cast<WORD>(status), static_cast<WORD>(status));
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg) return FALSE;
    const UINT m = msg->message;
    if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
    if (m == WM_KEYUP || m == WM_SYSKEYUP) return TRUE;
    const auto key = static_cast<UINT>(msg->wParam);
    UINT character = 0;
    if (key == static_cast<UINT>(VK_PACKET)) {
        character = static_cast<UINT>(static_cast<ULONG_PTR>(msg->lParam) >> 32);
    } else {
        bool system = false;
        character = CharacterFor(key, S().keys, &system);
    }
    if (character) {
        const LPARAM lParam = msg->lParam & 0xFFFFFFFF;
        PostMessage(msg->hwnd, m == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, character, lParam);
    }
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg) return 0;
    if ((msg->message == WM_TIMER) && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        // Only a callback registered with a timer of this thread is called.
        bool known = false;
        for (const auto& t : S().timers)
            if (t.proc == proc && t.thread == CurrentThread()) known = true;
        if (!known) return 0;
        proc(msg->hwnd, msg->message, msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    Window* w = Get(msg->hwnd);
    if (!w) return 0;
    if (w->thread != CurrentThread()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    Hold hold(w);
    const WNDPROC proc = w->Proc();
    return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LONG GetMessageTime() {
    return static_cast<LONG>(S().messageTime);
}

DWORD GetMessagePos() {
    const POINT p = S().messagePos;
    return MAKELONG(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

LPARAM GetMessageExtraInfo() {
    return 0;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Window* w = Find(hwnd)) proc = ResolveRemovedProc(w, proc);
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return proc(hwnd, message, wParam, lParam);
}

BOOL InSendMessage() {
    return crossThreadDepth > 0;
}

DWORD InSendMessageEx(LPVOID) {
    if (crossThreadDepth == 0) return ISMEX_NOSEND;
    DWORD flags = ISMEX_SEND;
    if (replyTarget && replyTarget->notify) flags = ISMEX_NOTIFY;
    if (replyTarget && replyTarget->done) flags |= ISMEX_REPLIED;
    return flags;
}

BOOL ReplyMessage(LRESULT result) {
    auto item = replyTarget;
    if (!item || item->done || item->notify) return FALSE;
    item->result = result;
    Complete(item);
    return TRUE;
}

UINT RegisterWindowMessage(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return RegisteredAtom(name);
}

bool RunModalLoop(std::string_view loopName, const std::function<bool()>& done, int filterCode) {
    CreateDesktopIfNeeded();
    while (!done()) {
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            if (!CallMsgFilter(&msg, filterCode)) {
                TranslateMessage(&msg);
                DispatchMessage(&msg);
            }
            continue;
        }
        ModalIdle(loopName);
    }
    return true;
}

namespace testing {

void SetModalScript(std::function<void(std::string_view loopName)> script) {
    S().modalScript = std::move(script);
}

}  // namespace testing

}  // namespace win32
