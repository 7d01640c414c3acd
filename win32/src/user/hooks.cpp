// Hooks of the current thread: newest first; unhooking during a hook call is safe because a chain
// walk continues from the position (sequence number) of the hook that called CallNextHookEx.
#include <algorithm>
#include <array>
#include <atomic>

#include "user/user_internal.h"

namespace win32 {

namespace user {

namespace {

constexpr int kFirstHook = WH_MSGFILTER;
constexpr int kHookKinds = WH_MOUSE_LL - WH_MSGFILTER + 1;

struct Hook {
    UINT_PTR handle = 0;
    HOOKPROC proc = nullptr;
};

std::atomic<UINT_PTR> nextSequence{1};
// Hooks installed on any thread: with none, message calls skip the per-thread chains.
std::atomic<int> installedHooks{0};

thread_local std::array<std::vector<std::shared_ptr<Hook>>, kHookKinds> chains;

int KindOf(UINT_PTR handle) {
    return static_cast<int>(handle & 0x1F) - 1 + kFirstHook;
}
UINT_PTR SequenceOf(UINT_PTR handle) {
    return handle >> 5;
}

std::vector<std::shared_ptr<Hook>>& Chain(int hookId) {
    return chains[static_cast<size_t>(hookId - kFirstHook)];
}

bool Supported(int hookId) {
    switch (hookId) {
        case WH_MSGFILTER:
        case WH_KEYBOARD:
        case WH_GETMESSAGE:
        case WH_CALLWNDPROC:
        case WH_MOUSE:
        case WH_CALLWNDPROCRET:
            return true;
        default:
            return false;
    }
}

// The newest hook older than `sequence`.
std::shared_ptr<Hook> NextHook(int hookId, UINT_PTR sequence) {
    for (auto& hook : Chain(hookId))
        if (SequenceOf(hook->handle) < sequence) return hook;
    return nullptr;
}

}  // namespace

bool AnyHooks() {
    return installedHooks.load(std::memory_order_relaxed) != 0;
}

bool HooksInstalled(int hookId) {
    return installedHooks.load(std::memory_order_relaxed) != 0 && Supported(hookId) && !Chain(hookId).empty();
}

LRESULT CallHooks(int hookId, int code, WPARAM wParam, LPARAM lParam) {
    auto& chain = Chain(hookId);
    if (chain.empty()) return 0;
    auto first = chain.front();
    return first->proc(code, wParam, lParam);
}

void ResetHooks() {
    for (auto& chain : chains) {
        installedHooks -= static_cast<int>(chain.size());
        chain.clear();
    }
}

}  // namespace user

using namespace user;

HHOOK SetWindowsHookEx(int hookId, HOOKPROC proc, HINSTANCE, DWORD threadId) {
    if (!Supported(hookId)) {
        SetLastError(ERROR_INVALID_HOOK_FILTER);
        return nullptr;
    }
    if (!proc) {
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return nullptr;
    }
    if (threadId != 0 && threadId != CurrentThread()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto hook = std::make_shared<Hook>();
    hook->handle = (nextSequence++ << 5) | static_cast<UINT_PTR>(hookId - kFirstHook + 1);
    hook->proc = proc;
    auto& chain = Chain(hookId);
    chain.insert(chain.begin(), hook);
    ++installedHooks;
    return MakeHandle<HHOOK>(hook->handle);
}

BOOL UnhookWindowsHookEx(HHOOK handle) {
    const UINT_PTR value = HandleValue(handle);
    const int kind = KindOf(value);
    if (!value || kind < kFirstHook || kind > WH_MOUSE_LL || !Supported(kind)) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    auto& chain = Chain(kind);
    auto found = std::find_if(chain.begin(), chain.end(), [&](const auto& h) { return h->handle == value; });
    if (found == chain.end()) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    chain.erase(found);
    --installedHooks;
    return TRUE;
}

LRESULT CallNextHookEx(HHOOK handle, int code, WPARAM wParam, LPARAM lParam) {
    const UINT_PTR value = HandleValue(handle);
    const int kind = KindOf(value);
    if (!value || kind < kFirstHook || kind > WH_MOUSE_LL || !Supported(kind)) return 0;
    auto next = NextHook(kind, SequenceOf(value));
    return next ? next->proc(code, wParam, lParam) : 0;
}

int testing::InstalledHookCount(int hookId) {
    return Supported(hookId) ? static_cast<int>(Chain(hookId).size()) : 0;
}

BOOL CallMsgFilter(MSG* msg, int code) {
    if (!msg || !HooksInstalled(WH_MSGFILTER)) return FALSE;
    return CallHooks(WH_MSGFILTER, code, 0, reinterpret_cast<LPARAM>(msg)) != 0;
}

}  // namespace win32
