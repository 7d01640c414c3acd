// The menu loop: TrackPopupMenu, the menu bar and the system menu. One loop runs at a time; it holds
// the mouse capture on the owner window, reads the input itself and lets everything else through
// the platform's modal loop (WH_MSGFILTER hooks with MSGF_MENU, modal scripts).
#include <algorithm>

#include "menu/menu_internal.h"
#include "user/user_internal.h"
#include "win32/scope.h"
#include "win32/virtualkeys.h"

namespace win32 {

namespace menu {

namespace {

constexpr UINT_PTR kShowTimer = 0xFFF1;

struct Level {
    HMENU menu = nullptr;
    HWND window = nullptr;  // none for the bar
};

struct Tracker {
    HWND owner = nullptr;
    UINT flags = 0;
    bool popupCall = false;  // TrackPopupMenu(Ex)
    bool barMode = false;    // levels[0] is the owner's bar
    bool system = false;     // the system menu and its submenus
    std::vector<Level> levels;
    bool done = false;
    bool nothingShown = false;  // a popup without entries: the loop ends before it starts
    bool chosen = false;
    bool chosenByMouse = false;
    UINT command = 0;
    HMENU chosenMenu = nullptr;
    int chosenIndex = -1;
    POINT chosenAt{};
    int pendingLevel = -1;
    int pendingIndex = -1;

    bool Notify() const { return !(flags & TPM_NONOTIFY); }
    bool IsBar(size_t level) const { return barMode && level == 0; }
};

Tracker* active = nullptr;

// The running loop, for the menu windows' procedure and EndMenu.
struct ActiveScope {
    explicit ActiveScope(Tracker* t) { active = t; }
    ~ActiveScope() { active = nullptr; }
    ActiveScope(const ActiveScope&) = delete;
    ActiveScope& operator=(const ActiveScope&) = delete;
};

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

LRESULT MenuWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterMenuClass() {
    WNDCLASS existing{};
    if (GetClassInfo(nullptr, MENU_WINDOW_CLASS, &existing)) return;
    WNDCLASS wc{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = MenuWindowProc;
    wc.lpszClassName = MENU_WINDOW_CLASS;
    RegisterClass(&wc);
}

Menu* LevelMenu(Tracker& t, size_t level) {
    if (level >= t.levels.size()) return nullptr;
    Menu* m = Find(t.levels[level].menu);
    if (!m) t.done = true;  // destroyed under the loop
    return m;
}

int ItemAt(const Menu* m, POINT local) {
    for (size_t i = 0; i < m->items.size(); ++i)
        if (Contains(m->items[i].rect, local)) return static_cast<int>(i);
    return -1;
}

bool Selectable(const Item& item) {
    return !item.IsSeparator();
}

// The next selectable entry from `from` in direction `step`, wrapping; -1 when none.
int NextSelectable(const Menu* m, int from, int step) {
    const int count = static_cast<int>(m->items.size());
    if (count == 0) return -1;
    int i = from;
    for (int tries = 0; tries < count; ++tries) {
        i = (i + step + count) % count;
        if (i < 0) i = count - 1;
        if (Selectable(m->items[static_cast<size_t>(i)])) return i;
    }
    return -1;
}

UINT SelectFlags(const Tracker& t, const Item& item, bool mouse) {
    UINT flags = MF_HILITE | (item.type & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)) |
                 (item.state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
    if (item.submenu) flags |= MF_POPUP;
    if (t.system) flags |= MF_SYSMENU;
    if (mouse) flags |= MF_MOUSESELECT;
    return flags;
}

void RedrawItem(Tracker& t, size_t level, int index, UINT action) {
    if (index < 0) return;
    if (t.IsBar(level)) {
        RepaintBar(t.owner);
        return;
    }
    Menu* m = LevelMenu(t, level);
    const HWND window = t.levels[level].window;
    if (!m || !window) return;
    HDC dc = GetDC(window);
    if (!dc) return;
    DrawItem(dc, m, index, t.owner, false, action, POINT{0, 0});
    ReleaseDC(window, dc);
}

void Select(Tracker& t, size_t level, int index, bool mouse) {
    Menu* m = LevelMenu(t, level);
    if (!m || m->selected == index) return;
    if (index >= static_cast<int>(m->items.size())) index = -1;
    const int old = m->selected;
    m->selected = index;
    RedrawItem(t, level, old, ODA_SELECT);
    RedrawItem(t, level, index, ODA_SELECT);
    if (index < 0 || !t.Notify()) return;
    m = LevelMenu(t, level);
    if (!m || index >= static_cast<int>(m->items.size())) return;
    const Item& item = m->items[static_cast<size_t>(index)];
    const WORD which = item.submenu ? static_cast<WORD>(index) : static_cast<WORD>(item.id);
    SendMessage(t.owner, WM_MENUSELECT, MAKEWPARAM(which, static_cast<WORD>(SelectFlags(t, item, mouse))),
                reinterpret_cast<LPARAM>(m->Handle()));
}

void CancelPending(Tracker& t) {
    if (t.pendingLevel >= 0 && static_cast<size_t>(t.pendingLevel) < t.levels.size() &&
        t.levels[static_cast<size_t>(t.pendingLevel)].window)
        KillTimer(t.levels[static_cast<size_t>(t.pendingLevel)].window, kShowTimer);
    t.pendingLevel = t.pendingIndex = -1;
}

// Closes the popups from `level` on, deepest first.
void CloseFrom(Tracker& t, size_t level) {
    if (t.pendingLevel >= static_cast<int>(level)) CancelPending(t);
    while (t.levels.size() > level) {
        const Level closing = t.levels.back();
        t.levels.pop_back();
        if (Menu* m = Find(closing.menu)) {
            m->selected = -1;
            m->window = nullptr;
        }
        if (closing.window) DestroyWindow(closing.window);
        if (t.Notify() && closing.window)
            SendMessage(t.owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(closing.menu),
                        MAKELPARAM(0, static_cast<WORD>(t.system ? MF_SYSMENU : 0)));
    }
}

RECT ScreenArea() {
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool Intersects(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Where a popup of `width` x `height` goes for TrackPopupMenu: aligned to the point, kept on screen,
// and moved off the excluded rectangle.
POINT PlacePopup(int x, int y, int width, int height, UINT flags, const RECT* exclude) {
    const RECT screen = ScreenArea();
    int left = x, top = y;
    if (flags & TPM_CENTERALIGN)
        left -= width / 2;
    else if (flags & TPM_RIGHTALIGN)
        left -= width;
    if (flags & TPM_VCENTERALIGN)
        top -= height / 2;
    else if (flags & TPM_BOTTOMALIGN)
        top -= height;
    if (left + width > screen.right)
        left = (flags & (TPM_CENTERALIGN | TPM_RIGHTALIGN)) ? screen.right - width : x - width;
    if (top + height > screen.bottom)
        top = (flags & (TPM_VCENTERALIGN | TPM_BOTTOMALIGN)) ? screen.bottom - height : y - height;
    left = std::max<int>(left, screen.left);
    top = std::max<int>(top, screen.top);
    if (exclude) {
        const RECT r{left, top, left + width, top + height};
        if (Intersects(r, *exclude)) {
            if (flags & TPM_VERTICAL) {
                top = exclude->bottom + height <= screen.bottom ? exclude->bottom : exclude->top - height;
            } else {
                left = exclude->right + width <= screen.right ? exclude->right : exclude->left - width;
            }
        }
    }
    return POINT{left, top};
}

HWND ShowPopup(Tracker& t, HMENU handle, POINT at) {
    Menu* m = Find(handle);
    if (!m) return nullptr;
    RegisterMenuClass();
    const HWND window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, MENU_WINDOW_CLASS, "", WS_POPUP,
                                       at.x, at.y, m->width, m->height, t.owner, nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    SetWindowLongPtr(window, GWLP_USERDATA, static_cast<LONG_PTR>(HandleValue(handle)));
    m->window = window;
    m->selected = -1;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    UpdateWindow(window);
    return window;
}

void OpenSubmenu(Tracker& t, size_t level, int index, bool selectFirst) {
    CancelPending(t);
    Menu* m = LevelMenu(t, level);
    if (!m || index < 0 || static_cast<size_t>(index) >= m->items.size()) return;
    const HMENU sub = m->items[static_cast<size_t>(index)].submenu;
    if (!Find(sub) || m->items[static_cast<size_t>(index)].IsDisabled()) return;
    CloseFrom(t, level + 1);
    if (t.Notify())
        SendMessage(t.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub),
                    MAKELPARAM(static_cast<WORD>(index), t.system ? TRUE : FALSE));
    m = LevelMenu(t, level);
    Menu* s = Find(sub);
    if (!m || !s || t.done || static_cast<size_t>(index) >= m->items.size()) return;
    LayoutPopup(s, t.owner);
    const RECT screen = ScreenArea();
    RECT item = m->items[static_cast<size_t>(index)].rect;
    POINT at{};
    if (t.IsBar(level)) {
        RECT bar{}, outer{};
        BarRect(t.owner, &bar);
        GetWindowRect(t.owner, &outer);
        item = RECT{outer.left + bar.left + item.left, outer.top + bar.top + item.top,
                    outer.left + bar.left + item.right, outer.top + bar.top + item.bottom};
        at = POINT{item.left, item.bottom};
        if (at.y + s->height > screen.bottom) at.y = item.top - s->height;
        if (at.x + s->width > screen.right) at.x = screen.right - s->width;
    } else {
        RECT outer{};
        GetWindowRect(t.levels[level].window, &outer);
        at = POINT{outer.left + item.right - kPopupBorder, outer.top + item.top - kPopupBorder};
        if (at.x + s->width > screen.right) at.x = outer.left - s->width + kPopupBorder;
        if (at.y + s->height > screen.bottom) at.y = screen.bottom - s->height;
    }
    at.x = std::max<LONG>(at.x, 0);
    at.y = std::max<LONG>(at.y, 0);
    const HWND window = ShowPopup(t, sub, at);
    if (!window) return;
    t.levels.push_back(Level{sub, window});
    if (selectFirst && Find(sub)) Select(t, t.levels.size() - 1, NextSelectable(Find(sub), -1, 1), false);
}

void Choose(Tracker& t, size_t level, int index, bool mouse, POINT at) {
    Menu* m = LevelMenu(t, level);
    if (!m || index < 0 || static_cast<size_t>(index) >= m->items.size()) return;
    const Item& item = m->items[static_cast<size_t>(index)];
    if (item.submenu) {
        if (level + 1 >= t.levels.size() || t.levels[level + 1].menu != item.submenu)
            OpenSubmenu(t, level, index, !mouse);
        return;
    }
    if (item.IsSeparator() || item.IsDisabled()) return;
    t.chosen = true;
    t.chosenByMouse = mouse;
    t.command = item.id;
    t.chosenMenu = m->Handle();
    t.chosenIndex = index;
    t.chosenAt = at;
    t.done = true;
}

// Where a screen point falls: the deepest open popup (or the bar) and the entry there (-1 for none).
bool HitTest(Tracker& t, POINT p, size_t* level, int* index) {
    for (size_t i = t.levels.size(); i-- > 0;) {
        Menu* m = LevelMenu(t, i);
        if (!m) return false;
        RECT area{};
        POINT origin{};
        if (t.levels[i].window) {
            GetWindowRect(t.levels[i].window, &area);
            origin = POINT{area.left, area.top};
        } else if (t.IsBar(i)) {
            RECT outer{}, bar{};
            if (!GetWindowRect(t.owner, &outer) || !BarRect(t.owner, &bar)) continue;
            area = RECT{outer.left + bar.left, outer.top + bar.top, outer.left + bar.right,
                        outer.top + bar.bottom};
            origin = POINT{area.left, area.top};
        } else {
            continue;
        }
        if (!Contains(area, p)) continue;
        *level = i;
        *index = ItemAt(m, POINT{p.x - origin.x, p.y - origin.y});
        if (*index >= 0 && !Selectable(m->items[static_cast<size_t>(*index)])) *index = -1;
        return true;
    }
    return false;
}

bool OpensNext(const Tracker& t, size_t level, const Menu* m) {
    return level + 1 < t.levels.size() && m->selected >= 0 &&
           m->items[static_cast<size_t>(m->selected)].submenu == t.levels[level + 1].menu;
}

void MouseMove(Tracker& t, POINT p, bool buttonDown) {
    size_t level = 0;
    int index = -1;
    if (!HitTest(t, p, &level, &index)) {
        // Off the menus: the deepest popup lets go of an entry that opens nothing.
        const size_t last = t.levels.size() - 1;
        Menu* m = LevelMenu(t, last);
        if (m && !t.IsBar(last) && m->selected >= 0) Select(t, last, -1, true);
        return;
    }
    Menu* m = LevelMenu(t, level);
    if (!m || m->selected == index) return;
    if (t.IsBar(level)) {
        // Dragging across the bar moves the open drop-down along.
        if (index < 0 || (t.levels.size() < 2 && !buttonDown)) return;
        CloseFrom(t, 1);
        Select(t, 0, index, true);
        OpenSubmenu(t, 0, index, false);
        return;
    }
    CloseFrom(t, level + 1);
    Select(t, level, index, true);
    m = LevelMenu(t, level);
    if (!m || index < 0 || t.done) return;
    const Item& item = m->items[static_cast<size_t>(index)];
    if (!item.submenu || item.IsDisabled()) return;
    UINT delay = 400;
    SystemParametersInfo(SPI_GETMENUSHOWDELAY, 0, &delay, 0);
    if (delay == 0) {
        OpenSubmenu(t, level, index, false);
        return;
    }
    t.pendingLevel = static_cast<int>(level);
    t.pendingIndex = index;
    SetTimer(t.levels[level].window, kShowTimer, delay, nullptr);
}

void ButtonDown(Tracker& t, POINT p) {
    size_t level = 0;
    int index = -1;
    if (!HitTest(t, p, &level, &index)) {
        t.done = true;  // a click outside the menus cancels them
        return;
    }
    Menu* m = LevelMenu(t, level);
    if (!m || index < 0) return;
    if (t.IsBar(level)) {
        const bool wasOpen = m->selected == index && t.levels.size() > 1;
        CloseFrom(t, 1);
        if (wasOpen) {
            t.done = true;
            return;
        }
        Select(t, 0, index, true);
        if (m->items[static_cast<size_t>(index)].submenu) OpenSubmenu(t, 0, index, false);
        return;
    }
    if (!OpensNext(t, level, m) || m->selected != index) CloseFrom(t, level + 1);
    Select(t, level, index, true);
    m = LevelMenu(t, level);
    if (m && !t.done && m->items[static_cast<size_t>(index)].submenu && !OpensNext(t, level, m))
        OpenSubmenu(t, level, index, false);
}

void ButtonUp(Tracker& t, POINT p) {
    size_t level = 0;
    int index = -1;
    if (!HitTest(t, p, &level, &index) || index < 0 || t.IsBar(level)) return;
    Menu* m = LevelMenu(t, level);
    if (!m || m->items[static_cast<size_t>(index)].submenu) return;
    Choose(t, level, index, true, p);
}

void MoveAlongBar(Tracker& t, int step) {
    Menu* bar = LevelMenu(t, 0);
    if (!bar) return;
    const bool open = t.levels.size() > 1;
    CloseFrom(t, 1);
    const int next = NextSelectable(bar, bar->selected, step);
    if (next < 0) return;
    Select(t, 0, next, false);
    if (open) OpenSubmenu(t, 0, next, true);
}

// A character that no mnemonic of the current menu matches goes to the owner.
void MenuChar(Tracker& t, size_t level, UINT character) {
    Menu* m = LevelMenu(t, level);
    if (!m) return;
    WORD kind = t.IsBar(level) ? 0 : static_cast<WORD>(MF_POPUP);
    if (t.system) kind |= static_cast<WORD>(MF_SYSMENU);
    const LRESULT answer = SendMessage(t.owner, WM_MENUCHAR, MAKEWPARAM(static_cast<WORD>(character), kind),
                                       reinterpret_cast<LPARAM>(m->Handle()));
    const WORD action = HIWORD(static_cast<DWORD_PTR>(answer));
    const int item = LOWORD(static_cast<DWORD_PTR>(answer));
    m = LevelMenu(t, level);
    if (!m || t.done) return;
    const bool valid = item < static_cast<int>(m->items.size());
    switch (action) {
        case MNC_CLOSE:
            t.done = true;
            break;
        case MNC_EXECUTE:
            if (valid) {
                Select(t, level, item, false);
                if (t.IsBar(level))
                    OpenSubmenu(t, level, item, true);
                else
                    Choose(t, level, item, false, POINT{});
            }
            break;
        case MNC_SELECT:
            if (valid) Select(t, level, item, false);
            break;
        default:
            MessageBeep(0);
            break;
    }
}

void Character(Tracker& t, UINT character) {
    const size_t level = t.levels.size() - 1;
    Menu* m = LevelMenu(t, level);
    if (!m) return;
    UINT wanted = character;
    if (wanted >= 'A' && wanted <= 'Z') wanted += 'a' - 'A';
    std::vector<int> matches;
    const int count = static_cast<int>(m->items.size());
    for (int step = 1; step <= count; ++step) {
        const int i = ((m->selected < 0 ? -1 : m->selected) + step + count) % count;
        const Item& item = m->items[static_cast<size_t>(i)];
        if (item.hasText && !(item.type & (MFT_OWNERDRAW | MFT_SEPARATOR)) && Mnemonic(item.text) == wanted)
            matches.push_back(i);
    }
    if (matches.empty()) {
        MenuChar(t, level, character);
        return;
    }
    const int target = matches.front();
    Select(t, level, target, false);
    if (matches.size() > 1 || t.done) return;
    m = LevelMenu(t, level);
    if (!m) return;
    if (m->items[static_cast<size_t>(target)].submenu)
        OpenSubmenu(t, level, target, true);
    else
        Choose(t, level, target, false, POINT{});
}

// F1 asks the owner for help on the selected entry of the innermost menu.
void AskForHelp(const Tracker& t, const Menu& m, POINT at) {
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_MENUITEM;
    help.iCtrlId = m.selected >= 0 ? static_cast<int>(m.items[static_cast<size_t>(m.selected)].id) : 0;
    help.hItemHandle = reinterpret_cast<HANDLE>(m.Handle());
    help.dwContextId = m.helpId;
    help.MousePos = at;
    SendMessage(t.owner, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
}

void KeyDown(Tracker& t, MSG& msg) {
    const size_t level = t.levels.size() - 1;
    Menu* m = LevelMenu(t, level);
    if (!m) return;
    const bool bar = t.IsBar(level);
    switch (static_cast<int>(msg.wParam)) {
        case VK_MENU:
        case VK_F10:
            t.done = true;
            return;
        case VK_ESCAPE:
            if (t.levels.size() > 1)
                CloseFrom(t, level);
            else
                t.done = true;
            return;
        case VK_UP:
        case VK_DOWN:
            if (bar)
                OpenSubmenu(t, 0, m->selected, true);
            else
                Select(t, level, NextSelectable(m, m->selected, msg.wParam == VK_DOWN ? 1 : -1), false);
            return;
        case VK_HOME:
            if (!bar) Select(t, level, NextSelectable(m, -1, 1), false);
            return;
        case VK_END:
            if (!bar) Select(t, level, NextSelectable(m, static_cast<int>(m->items.size()), -1), false);
            return;
        case VK_LEFT:
            if (!bar && level > (t.barMode ? 1u : 0u))
                CloseFrom(t, level);
            else if (t.barMode)
                MoveAlongBar(t, -1);
            return;
        case VK_RIGHT:
            if (!bar && m->selected >= 0 && m->items[static_cast<size_t>(m->selected)].submenu &&
                !m->items[static_cast<size_t>(m->selected)].IsDisabled())
                OpenSubmenu(t, level, m->selected, true);
            else if (t.barMode)
                MoveAlongBar(t, 1);
            return;
        case VK_RETURN:
            if (bar)
                OpenSubmenu(t, 0, m->selected, true);
            else if (m->selected >= 0)
                Choose(t, level, m->selected, false, POINT{});
            return;
        case VK_F1:
            AskForHelp(t, *m, msg.pt);
            return;
        default:
            TranslateMessage(&msg);
            return;
    }
}

bool IsButton(UINT message, bool down, bool right) {
    if (down)
        return message == (right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN) ||
               message == (right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK);
    return message == (right ? WM_RBUTTONUP : WM_LBUTTONUP);
}

void HandleInput(Tracker& t, MSG& msg) {
    const UINT message = msg.message;
    const bool rightChooses = !t.popupCall || (t.flags & TPM_RIGHTBUTTON);
    if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) {
        MouseMove(t, msg.pt, (GetKeyState(VK_LBUTTON) & 0x8000) != 0);
    } else if (IsButton(message, true, false) || (IsButton(message, true, true) && rightChooses)) {
        ButtonDown(t, msg.pt);
    } else if (IsButton(message, true, true)) {
        size_t level = 0;
        int index = -1;
        if (!HitTest(t, msg.pt, &level, &index)) t.done = true;
    } else if (IsButton(message, false, false) || (IsButton(message, false, true) && rightChooses)) {
        ButtonUp(t, msg.pt);
    } else if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        KeyDown(t, msg);
    } else if (message == WM_CHAR || message == WM_SYSCHAR) {
        Character(t, static_cast<UINT>(msg.wParam));
    }
}

bool IsMenuInput(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           (message >= WM_KEYFIRST && message <= WM_KEYLAST);
}

// Takes the loop's own input off the queue before the modal loop would dispatch it.
void ConsumeInput(Tracker& t) {
    while (!t.done) {
        MSG msg;
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
        if (msg.message == WM_PAINT && msg.hwnd == GetDesktopWindow()) {
            // The desktop's procedure leaves its update region alone; without this the closed
            // popups' ground would come back as WM_PAINT for ever.
            ValidateRect(msg.hwnd, nullptr);
            continue;
        }
        if (!IsMenuInput(msg.message)) return;
        if (!PeekMessage(&msg, nullptr, msg.message, msg.message, PM_REMOVE)) return;
        if (CallMsgFilter(&msg, MSGF_MENU)) continue;
        HandleInput(t, msg);
        if (!IsWindow(t.owner)) t.done = true;
    }
}

// Runs the loop and its ending; returns the chosen command (0 when cancelled).
UINT Run(Tracker& t) {
    {
        const ScopeExit finish([&t] {
            CloseFrom(t, t.barMode ? 1 : 0);
            if (t.barMode) {
                if (Menu* bar = Find(t.levels.empty() ? nullptr : t.levels[0].menu)) bar->selected = -1;
                t.levels.clear();
                RepaintBar(t.owner);
            }
            if (GetCapture() == t.owner) ReleaseCapture();
        });
        if (!t.done)
            if (!RunModalLoop(
                    "Menu",
                    [&t] {
                        ConsumeInput(t);
                        return t.done;
                    },
                    MSGF_MENU)) {
                t.chosen = false;
            }
    }
    if (IsWindow(t.owner) && t.Notify()) {
        if (!t.nothingShown) SendMessage(t.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessage(t.owner, WM_EXITMENULOOP, t.popupCall ? TRUE : FALSE, 0);
    }
    if (!t.chosen) return 0;
    if (!(t.flags & TPM_RETURNCMD) && t.Notify() && IsWindow(t.owner)) {
        Menu* from = Find(t.chosenMenu);
        if (t.system) {
            const LPARAM where =
                t.chosenByMouse ? MAKELPARAM(static_cast<WORD>(t.chosenAt.x), static_cast<WORD>(t.chosenAt.y))
                                : 0;
            PostMessage(t.owner, WM_SYSCOMMAND, t.command, where);
        } else if (from && (from->style & MNS_NOTIFYBYPOS)) {
            PostMessage(t.owner, WM_MENUCOMMAND, static_cast<WPARAM>(t.chosenIndex),
                        reinterpret_cast<LPARAM>(t.chosenMenu));
        } else {
            PostMessage(t.owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(t.command), 0), 0);
        }
    }
    return t.command;
}

bool Begin(Tracker& t, HMENU top) {
    SetCapture(t.owner);
    if (t.Notify()) {
        SendMessage(t.owner, WM_ENTERMENULOOP, t.popupCall ? TRUE : FALSE, 0);
        SendMessage(t.owner, WM_INITMENU, reinterpret_cast<WPARAM>(top), 0);
    }
    return IsWindow(t.owner) && Find(top) != nullptr;
}

// The system menu as a popup under the window's icon.
void TrackSystemMenu(HWND hwnd, bool byMouse) {
    const HMENU sys = SystemMenuFor(hwnd);
    if (!sys) return;
    Tracker t;
    t.owner = hwnd;
    t.system = true;
    ActiveScope scope(&t);
    if (!Begin(t, sys)) {
        t.done = true;
    } else {
        SendMessage(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sys), MAKELPARAM(0, TRUE));
        Menu* m = Find(sys);
        if (m && IsWindow(hwnd)) {
            LayoutPopup(m, hwnd);
            RECT outer{};
            GetWindowRect(hwnd, &outer);
            const auto style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
            const user::Frame f = user::NonClientFrame(style & ~(WS_VSCROLL | WS_HSCROLL), 0, false);
            const RECT exclude{outer.left, outer.top, outer.left + f.top, outer.top + f.top};
            const POINT at = PlacePopup(outer.left + f.left, outer.top + f.top, m->width, m->height,
                                        TPM_VERTICAL, &exclude);
            if (const HWND window = ShowPopup(t, sys, at)) {
                t.levels.push_back(Level{sys, window});
                if (!byMouse) Select(t, 0, NextSelectable(m, -1, 1), false);
            } else {
                t.done = true;
            }
        } else {
            t.done = true;
        }
    }
    Run(t);
}

void TrackBar(HWND hwnd, POINT* mouse, UINT character) {
    const HMENU bar = GetMenu(hwnd);
    if (!Find(bar)) return;
    Tracker t;
    t.owner = hwnd;
    t.barMode = true;
    ActiveScope scope(&t);
    t.levels.push_back(Level{bar, nullptr});
    if (!Begin(t, bar)) {
        t.done = true;
    } else if (Menu* m = Find(bar)) {
        RECT area{};
        if (BarRect(hwnd, &area)) LayoutBar(m, hwnd, area.right - area.left);
        if (mouse) {
            size_t level = 0;
            int index = -1;
            if (HitTest(t, *mouse, &level, &index) && index >= 0) {
                Select(t, 0, index, true);
                OpenSubmenu(t, 0, index, false);
            } else {
                t.done = true;
            }
        } else if (character) {
            Character(t, character);
            // Alt+letter that found nothing leaves menu mode at once.
            if (Menu* again = Find(bar); again && again->selected < 0) t.done = true;
        } else {
            Select(t, 0, NextSelectable(m, -1, 1), false);
        }
    }
    Run(t);
}

LRESULT MenuWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (Menu* m =
                    Find(MakeHandle<HMENU>(static_cast<UINT_PTR>(GetWindowLongPtr(hwnd, GWLP_USERDATA)))))
                DrawPopup(dc, m, active ? active->owner : nullptr);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_TIMER:
            if (wParam == kShowTimer) {
                KillTimer(hwnd, kShowTimer);
                if (active && active->pendingLevel >= 0) {
                    Tracker& t = *active;
                    const auto level = static_cast<size_t>(t.pendingLevel);
                    const int index = t.pendingIndex;
                    t.pendingLevel = t.pendingIndex = -1;
                    Menu* m = level < t.levels.size() ? Find(t.levels[level].menu) : nullptr;
                    if (m && m->selected == index && t.levels[level].window == hwnd)
                        OpenSubmenu(t, level, index, false);
                }
            }
            return 0;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

}  // namespace

bool InMenuLoop() {
    return active != nullptr;
}

HWND LoopOwner(DWORD* modeFlags) {
    if (!active) return nullptr;
    *modeFlags = GUI_INMENUMODE | (active->system ? GUI_SYSTEMMENUMODE : 0) |
                 (active->popupCall ? GUI_POPUPMENUMODE : 0);
    return active->owner;
}

void SystemCommand(HWND hwnd, WPARAM command, LPARAM lParam) {
    if (active || !IsWindow(hwnd)) return;
    const auto style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
    if ((command & 0xFFF0) == SC_MOUSEMENU) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const LRESULT hit = SendMessage(hwnd, WM_NCHITTEST, 0, lParam);
        if (hit == HTMENU)
            TrackBar(hwnd, &at, 0);
        else if (hit == HTSYSMENU && (style & WS_SYSMENU))
            TrackSystemMenu(hwnd, true);
        return;
    }
    if ((command & 0xFFF0) != SC_KEYMENU) return;
    const bool hasBar = !(style & WS_CHILD) && Find(GetMenu(hwnd));
    if (lParam == ' ') {
        if (style & WS_SYSMENU) TrackSystemMenu(hwnd, false);
        return;
    }
    if (!hasBar) {
        if (lParam) MessageBeep(0);
        return;
    }
    TrackBar(hwnd, nullptr, static_cast<UINT>(lParam));
}

}  // namespace menu

using namespace menu;

BOOL TrackPopupMenuEx(HMENU handle, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
    Menu* m = Get(handle);
    if (!m) return FALSE;
    if (!IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (params && params->cbSize != sizeof(TPMPARAMS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (active) {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return FALSE;
    }
    Tracker t;
    t.owner = owner;
    t.flags = flags;
    t.popupCall = true;
    ActiveScope scope(&t);
    if (!Begin(t, handle)) {
        t.done = true;
    } else {
        if (t.Notify()) SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle), 0);
        m = Find(handle);
        if (m && m->items.empty()) {
            // A popup still empty once its owner has filled it in is not shown, and the call fails.
            t.done = t.nothingShown = true;
        } else if (m && IsWindow(owner)) {
            LayoutPopup(m, owner);
            const POINT at =
                PlacePopup(x, y, m->width, m->height, flags, params ? &params->rcExclude : nullptr);
            if (const HWND window = ShowPopup(t, handle, at))
                t.levels.push_back(Level{handle, window});
            else
                t.done = true;
        } else {
            t.done = true;
        }
    }
    const UINT command = Run(t);
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(command);
    return t.nothingShown ? FALSE : TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu() {
    if (active) active->done = true;
    return TRUE;
}

BOOL GetMenuItemRect(HWND hwnd, HMENU handle, UINT position, RECT* rect) {
    Menu* m = Get(handle);
    if (!m) return FALSE;
    if (!rect || position >= m->items.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    POINT origin{};
    if (m->window) {
        RECT outer{};
        GetWindowRect(m->window, &outer);
        origin = POINT{outer.left, outer.top};
    } else {
        RECT bar{}, outer{};
        if (!hwnd || GetMenu(hwnd) != handle || !BarRect(hwnd, &bar)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        GetWindowRect(hwnd, &outer);
        LayoutBar(m, hwnd, bar.right - bar.left);
        origin = POINT{outer.left + bar.left, outer.top + bar.top};
    }
    const RECT r = m->items[position].rect;
    *rect = RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
    return TRUE;
}

int MenuItemFromPoint(HWND hwnd, HMENU handle, POINT screen) {
    Menu* m = Get(handle);
    if (!m) return -1;
    for (UINT i = 0; i < m->items.size(); ++i) {
        RECT r{};
        if (GetMenuItemRect(hwnd, handle, i, &r) && Contains(r, screen)) return static_cast<int>(i);
        if (!Find(handle)) return -1;
    }
    return -1;
}

}  // namespace win32
