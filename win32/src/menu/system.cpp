// The system menu of a window, accelerator tables, and what becomes of menus when windows go away.
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "menu/menu_internal.h"
#include "user/user_internal.h"
#include "win32/virtualkeys.h"

namespace win32 {

namespace menu {

namespace {

struct SystemState {
    std::unordered_map<HWND, HMENU> copies;  // GetSystemMenu(hwnd, FALSE)
    std::unordered_map<UINT_PTR, std::vector<ACCEL>> accelerators;
    UINT_PTR nextAccelerator = 0x20010;
};

SystemState& Sys() {
    static SystemState state;
    return state;
}

const bool systemMenusReset = (testing::AddResetHook([] {
                                   Sys().copies.clear();
                                   Sys().accelerators.clear();
                                   Sys().nextAccelerator = 0x20010;
                               }),
                               true);

constexpr int kMaxAccelerators = 0x7FFF;

void SetEnabled(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool KeyDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// Sends WM_INITMENU and WM_INITMENUPOPUP as the loop would, then tells whether the command may run.
bool PrepareCommand(HWND hwnd, HMENU top, UINT command, bool system) {
    Menu* owner = nullptr;
    int index = 0;
    if (!menu::Find(top)) return true;
    SendMessage(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(top), 0);
    if (!Locate(top, command, false, &owner, &index)) return true;
    const HMENU popup = owner->Handle();
    if (popup != top || system) {
        // The position of the popup in its parent, as the loop reports it.
        int position = 0;
        if (Menu* parent = menu::Find(top); parent && popup != top) {
            for (size_t i = 0; i < parent->items.size(); ++i)
                if (parent->items[i].submenu == popup) position = static_cast<int>(i);
        }
        SendMessage(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                    MAKELPARAM(static_cast<WORD>(position), system ? TRUE : FALSE));
    }
    if (!Locate(top, command, false, &owner, &index)) return true;
    return !owner->items[static_cast<size_t>(index)].IsDisabled();
}

}  // namespace

HMENU MakeSystemMenu(HWND owner) {
    const HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_STRING, SC_RESTORE, "&Restore");
    AppendMenu(m, MF_STRING, SC_MOVE, "&Move");
    AppendMenu(m, MF_STRING, SC_SIZE, "&Size");
    AppendMenu(m, MF_STRING, SC_MINIMIZE, "Mi&nimize");
    AppendMenu(m, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
    AppendMenu(m, MF_SEPARATOR, 0, nullptr);
    AppendMenu(m, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    SetMenuDefaultItem(m, SC_CLOSE, FALSE);
    if (Menu* record = menu::Find(m)) record->systemOwner = owner;
    UpdateSystemMenu(m, owner);
    return m;
}

void UpdateSystemMenu(HMENU menu, HWND owner) {
    const auto style = static_cast<DWORD>(GetWindowLong(owner, GWL_STYLE));
    const bool minimized = (style & WS_MINIMIZE) != 0, maximized = (style & WS_MAXIMIZE) != 0;
    SetEnabled(menu, SC_RESTORE, minimized || maximized);
    SetEnabled(menu, SC_MOVE, !maximized);
    SetEnabled(menu, SC_SIZE, (style & WS_THICKFRAME) && !minimized && !maximized);
    SetEnabled(menu, SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized);
    SetEnabled(menu, SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized);
    if (GetClassLong(owner, GCL_STYLE) & CS_NOCLOSE) SetEnabled(menu, SC_CLOSE, false);
}

HMENU SystemMenuFor(HWND hwnd) {
    return GetSystemMenu(hwnd, FALSE);
}

void WindowDestroyed(HWND hwnd) {
    auto& sys = Sys();
    if (auto found = sys.copies.find(hwnd); found != sys.copies.end()) {
        const HMENU copy = found->second;
        sys.copies.erase(found);
        if (menu::Find(copy)) DestroyMenu(copy);
    }
}

}  // namespace menu

using namespace menu;

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto& copies = Sys().copies;
    auto found = copies.find(hwnd);
    if (found != copies.end() && !menu::Find(found->second)) {
        copies.erase(found);
        found = copies.end();
    }
    if (revert) {
        if (found != copies.end()) {
            const HMENU copy = found->second;
            copies.erase(found);
            DestroyMenu(copy);
        }
        return nullptr;
    }
    if (found != copies.end()) {
        UpdateSystemMenu(found->second, hwnd);
        return found->second;
    }
    const HMENU copy = MakeSystemMenu(hwnd);
    copies.emplace(hwnd, copy);
    return copy;
}

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) {
    if (!entries || count <= 0 || count > kMaxAccelerators) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto& sys = Sys();
    const UINT_PTR handle = sys.nextAccelerator;
    sys.nextAccelerator += 4;
    std::vector<ACCEL> table(entries, entries + count);
    // The high bit of fVirt marks the last entry of a table resource; a table in memory drops it.
    for (ACCEL& entry : table)
        entry.fVirt &= 0x7F;
    sys.accelerators.emplace(handle, std::move(table));
    return MakeHandle<HACCEL>(handle);
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    if (Sys().accelerators.erase(HandleValue(table)) == 0) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return FALSE;
    }
    return TRUE;
}

int CopyAcceleratorTable(HACCEL table, ACCEL* entries, int count) {
    auto& all = Sys().accelerators;
    auto found = all.find(HandleValue(table));
    if (found == all.end()) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return 0;
    }
    const auto& list = found->second;
    if (!entries) return static_cast<int>(list.size());
    const int copied = std::clamp(count, 0, static_cast<int>(list.size()));
    std::copy_n(list.begin(), copied, entries);
    return copied;
}

int TranslateAccelerator(HWND hwnd, HACCEL table, const MSG* msg) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto& all = Sys().accelerators;
    auto found = all.find(HandleValue(table));
    if (found == all.end()) {
        SetLastError(ERROR_INVALID_ACCEL_HANDLE);
        return 0;
    }
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const UINT message = msg->message;
    const bool virtualKey = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (!virtualKey && message != WM_CHAR && message != WM_SYSCHAR) return 0;
    const bool shift = KeyDown(VK_SHIFT), control = KeyDown(VK_CONTROL);
    const bool alt = KeyDown(VK_MENU) || (msg->lParam & (static_cast<LPARAM>(KF_ALTDOWN) << 16)) != 0;
    const ACCEL* match = nullptr;
    for (const ACCEL& entry : found->second) {
        if (((entry.fVirt & FVIRTKEY) != 0) != virtualKey) continue;
        if (entry.key != static_cast<WORD>(msg->wParam)) continue;
        if (((entry.fVirt & FALT) != 0) != alt) continue;
        if (virtualKey &&
            (((entry.fVirt & FSHIFT) != 0) != shift || ((entry.fVirt & FCONTROL) != 0) != control))
            continue;
        match = &entry;
        break;
    }
    if (!match) return 0;
    const UINT command = match->cmd;
    // A command on the window's menu runs only when its entry is enabled after WM_INITMENU(POPUP).
    const HMENU bar = GetMenu(hwnd);
    Menu* owner = nullptr;
    int index = 0;
    const bool onBar = bar && menu::Find(bar) && FindCommand(bar, command, &owner, &index);
    if (onBar) {
        if (IsIconic(hwnd)) return 1;
        if (PrepareCommand(hwnd, bar, command, false))
            SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 1), 0);
        return 1;
    }
    auto copy = Sys().copies.find(hwnd);
    if (copy != Sys().copies.end() && menu::Find(copy->second) &&
        FindCommand(copy->second, command, &owner, &index)) {
        if (PrepareCommand(hwnd, copy->second, command, true)) SendMessage(hwnd, WM_SYSCOMMAND, command, 0);
        return 1;
    }
    SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 1), 0);
    return 1;
}

}  // namespace win32
