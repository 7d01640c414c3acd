// Timers: due times follow the platform clock; a due timer yields one WM_TIMER per retrieval, however
// many intervals have passed.
#include <algorithm>

#include "user/user_internal.h"

namespace win32 {

namespace user {

bool DueTimer(DWORD thread, HWND filter, UINT low, UINT high, bool remove, MSG* msg) {
    auto& s = S();
    if (s.timers.empty() || !((low == 0 && high == 0) || (WM_TIMER >= low && WM_TIMER <= high))) return false;
    const ULONGLONG now = GetTickCount64();
    Timer* best = nullptr;
    Window* limit = nullptr;
    const bool threadOnly = filter == MakeHandle<HWND>(static_cast<UINT_PTR>(-1));
    if (filter && !threadOnly) {
        limit = Find(filter);
        if (!limit) return false;
    }
    for (auto& t : s.timers) {
        if (t.thread != thread || t.due > now) continue;
        if (threadOnly && t.hwnd) continue;
        if (limit) {
            Window* w = Find(t.hwnd);
            if (!w || !IsDescendant(limit, w)) continue;
        }
        if (!best || t.due < best->due || (t.due == best->due && t.order < best->order)) best = &t;
    }
    if (!best) return false;
    *msg = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), static_cast<DWORD>(now),
               s.cursor};
    if (remove) best->due = now + best->interval;
    return true;
}

void KillWindowTimers(Window* w) {
    auto& timers = S().timers;
    const HWND hwnd = w->Handle();
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                 timers.end());
}

bool AnyTimer(DWORD thread) {
    return std::any_of(S().timers.begin(), S().timers.end(),
                       [&](const Timer& t) { return t.thread == thread; });
}

long long MillisecondsToNextTimer(DWORD thread) {
    const ULONGLONG now = GetTickCount64();
    long long best = -1;
    for (const auto& t : S().timers) {
        if (t.thread != thread) continue;
        const long long wait = t.due > now ? static_cast<long long>(t.due - now) : 0;
        if (best < 0 || wait < best) best = wait;
    }
    return best;
}

}  // namespace user

using namespace user;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    auto& s = S();
    if (hwnd) {
        Window* w = Get(hwnd);
        if (!w) return 0;
        if (w->thread != CurrentThread()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    const DWORD thread = CurrentThread();
    const ULONGLONG due = GetTickCount64() + elapse;
    auto existing = std::find_if(s.timers.begin(), s.timers.end(), [&](const Timer& t) {
        return t.hwnd == hwnd && t.id == id && (hwnd || t.thread == thread);
    });
    if (existing != s.timers.end()) {
        existing->interval = elapse;
        existing->due = due;
        existing->proc = proc;
        return hwnd ? (id ? id : 1) : id;
    }
    if (!hwnd) {
        // A thread timer gets a fresh id unless it names one of the thread's timers.
        do {
            id = s.nextTimerId++;
            if (s.nextTimerId == 0) s.nextTimerId = 0x7FF0;
        } while (std::any_of(s.timers.begin(), s.timers.end(),
                             [&](const Timer& t) { return !t.hwnd && t.id == id; }));
    }
    s.timers.push_back(Timer{hwnd, id, elapse, due, proc, thread, s.timerOrder++});
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto& timers = S().timers;
    const DWORD thread = CurrentThread();
    auto found = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) {
        return t.hwnd == hwnd && t.id == id && t.thread == thread;
    });
    if (found == timers.end()) {
        SetLastError(hwnd && !Find(hwnd) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(found);
    return TRUE;
}

}  // namespace win32
