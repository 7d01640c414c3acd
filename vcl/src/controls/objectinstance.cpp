#include "vcl/messages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "vcl/sysutils.h"
#include "win32/user.h"

namespace vcl {

namespace {

using win32::HWND;
using win32::LPARAM;
using win32::LRESULT;
using win32::UINT;
using win32::WNDPROC;
using win32::WPARAM;

enum class SlotState : uint8_t { Free, Live, Freed };

struct Slot {
    TWndMethod method;
    SlotState state = SlotState::Free;
    int depth = 0;  // calls in progress
};

struct Pool {
    std::mutex mutex;
    std::array<Slot, MaxObjectInstances> slots;
    std::vector<size_t> free;
    std::vector<size_t> retired;  // freed, possibly still referenced
    Pool() {
        free.reserve(MaxObjectInstances);
        for (size_t i = MaxObjectInstances; i-- > 0;)
            free.push_back(i);
    }
};

Pool& Instances() {
    static Pool* pool = new Pool;
    return *pool;
}

LRESULT Invoke(size_t index, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

template <size_t N>
LRESULT Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Invoke(N, hwnd, message, wParam, lParam);
}

template <size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeTable(std::index_sequence<I...>) {
    return {&Trampoline<I>...};
}

const std::array<WNDPROC, MaxObjectInstances> kTrampolines =
    MakeTable(std::make_index_sequence<MaxObjectInstances>{});

// The slot of a trampoline, or MaxObjectInstances for any other procedure: a binary search in the
// trampolines sorted by address, since freeing an instance is part of destroying every window.
size_t SlotOf(WNDPROC proc) {
    static const auto sorted = [] {
        std::array<std::pair<uintptr_t, size_t>, MaxObjectInstances> table;
        for (size_t i = 0; i < MaxObjectInstances; ++i)
            table[i] = {reinterpret_cast<uintptr_t>(kTrampolines[i]), i};
        std::sort(table.begin(), table.end());
        return table;
    }();
    const auto key = reinterpret_cast<uintptr_t>(proc);
    const auto found = std::lower_bound(sorted.begin(), sorted.end(), std::pair<uintptr_t, size_t>{key, 0});
    return found != sorted.end() && found->first == key ? found->second : MaxObjectInstances;
}

struct DepthGuard {
    Slot& slot;
    explicit DepthGuard(Slot& s) : slot(s) { ++slot.depth; }
    ~DepthGuard() { --slot.depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

LRESULT Invoke(size_t index, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Slot& slot = Instances().slots[index];
    DepthGuard guard(slot);
    if (slot.state == SlotState::Live && slot.method) {
        TMessage msg{message, wParam, lParam, 0};
        slot.method(msg);
        return msg.Result;
    }
    // A released instance still in a chain hands the message on to what it replaced.
    const WNDPROC self = kTrampolines[index];
    const WNDPROC previous = win32::GetReplacedWindowProc(hwnd, self);
    if (previous && previous != self) return win32::CallWindowProc(previous, hwnd, message, wParam, lParam);
    return win32::DefWindowProc(hwnd, message, wParam, lParam);
}

// Moves retired slots that nothing refers to any more back to the free list.
void Reclaim(Pool& pool) {
    auto& retired = pool.retired;
    for (size_t i = 0; i < retired.size();) {
        Slot& slot = pool.slots[retired[i]];
        if (slot.depth == 0 && !win32::IsWindowProcInUse(kTrampolines[retired[i]])) {
            slot.method = nullptr;
            slot.state = SlotState::Free;
            pool.free.push_back(retired[i]);
            retired[i] = retired.back();
            retired.pop_back();
        } else {
            ++i;
        }
    }
}

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod method) {
    auto& pool = Instances();
    std::lock_guard lock(pool.mutex);
    if (pool.free.empty()) Reclaim(pool);
    if (pool.free.empty()) throw EOutOfResources("Too many object instances");
    const size_t index = pool.free.back();
    pool.free.pop_back();
    Slot& slot = pool.slots[index];
    slot.method = std::move(method);
    slot.state = SlotState::Live;
    return kTrampolines[index];
}

void FreeObjectInstance(WNDPROC proc) {
    if (!proc) return;
    auto& pool = Instances();
    std::lock_guard lock(pool.mutex);
    const size_t index = SlotOf(proc);
    if (index == MaxObjectInstances || pool.slots[index].state != SlotState::Live) return;
    Slot& slot = pool.slots[index];
    slot.state = SlotState::Freed;
    if (slot.depth == 0) slot.method = nullptr;
    pool.retired.push_back(index);
    if (pool.retired.size() > 64) Reclaim(pool);
}

namespace {
constexpr char kUtilityWindowClass[] = "TPUtilWindow";
}  // namespace

HWND AllocateHWnd(TWndMethod method) {
    win32::WNDCLASS existing{};
    if (!win32::GetClassInfo(nullptr, kUtilityWindowClass, &existing)) {
        win32::WNDCLASS cls{};
        cls.lpfnWndProc = win32::DefWindowProc;
        cls.lpszClassName = kUtilityWindowClass;
        win32::RegisterClass(&cls);
    }
    const HWND window =
        win32::CreateWindowEx(win32::WS_EX_TOOLWINDOW, kUtilityWindowClass, "", win32::WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, nullptr, nullptr);
    if (!window) throw EOutOfResources("Error creating window class");
    const WNDPROC instance = MakeObjectInstance(std::move(method));
    win32::SetWindowLongPtr(window, win32::GWLP_WNDPROC, reinterpret_cast<win32::LONG_PTR>(instance));
    return window;
}

void DeallocateHWnd(HWND window) {
    char name[sizeof kUtilityWindowClass + 1] = {};
    if (!win32::IsWindow(window) || win32::GetClassName(window, name, sizeof name) == 0 ||
        std::string_view(name) != kUtilityWindowClass)
        return;
    const auto instance = reinterpret_cast<WNDPROC>(win32::GetWindowLongPtr(window, win32::GWLP_WNDPROC));
    win32::DestroyWindow(window);
    FreeObjectInstance(instance);
}

}  // namespace vcl
