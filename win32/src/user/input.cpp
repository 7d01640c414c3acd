// Focus, activation, capture, the keyboard state, the cursor, and the conversion of raw input into
// mouse and keyboard messages.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "menu/menu_internal.h"
#include "user/user_internal.h"
#include "win32/input.h"
#include "win32/virtualkeys.h"

namespace win32 {

namespace user {

namespace {

struct ScanEntry {
    BYTE vk;
    BYTE scan;
    bool extended;
};

constexpr ScanEntry kScanCodes[] = {
    {VK_ESCAPE, 0x01, false},     {'1', 0x02, false},         {'2', 0x03, false},
    {'3', 0x04, false},           {'4', 0x05, false},         {'5', 0x06, false},
    {'6', 0x07, false},           {'7', 0x08, false},         {'8', 0x09, false},
    {'9', 0x0A, false},           {'0', 0x0B, false},         {VK_OEM_MINUS, 0x0C, false},
    {VK_OEM_PLUS, 0x0D, false},   {VK_BACK, 0x0E, false},     {VK_TAB, 0x0F, false},
    {'Q', 0x10, false},           {'W', 0x11, false},         {'E', 0x12, false},
    {'R', 0x13, false},           {'T', 0x14, false},         {'Y', 0x15, false},
    {'U', 0x16, false},           {'I', 0x17, false},         {'O', 0x18, false},
    {'P', 0x19, false},           {VK_OEM_4, 0x1A, false},    {VK_OEM_6, 0x1B, false},
    {VK_RETURN, 0x1C, false},     {VK_CONTROL, 0x1D, false},  {VK_LCONTROL, 0x1D, false},
    {VK_RCONTROL, 0x1D, true},    {'A', 0x1E, false},         {'S', 0x1F, false},
    {'D', 0x20, false},           {'F', 0x21, false},         {'G', 0x22, false},
    {'H', 0x23, false},           {'J', 0x24, false},         {'K', 0x25, false},
    {'L', 0x26, false},           {VK_OEM_1, 0x27, false},    {VK_OEM_7, 0x28, false},
    {VK_OEM_3, 0x29, false},      {VK_SHIFT, 0x2A, false},    {VK_LSHIFT, 0x2A, false},
    {VK_OEM_5, 0x2B, false},      {'Z', 0x2C, false},         {'X', 0x2D, false},
    {'C', 0x2E, false},           {'V', 0x2F, false},         {'B', 0x30, false},
    {'N', 0x31, false},           {'M', 0x32, false},         {VK_OEM_COMMA, 0x33, false},
    {VK_OEM_PERIOD, 0x34, false}, {VK_OEM_2, 0x35, false},    {VK_DIVIDE, 0x35, true},
    {VK_RSHIFT, 0x36, false},     {VK_MULTIPLY, 0x37, false}, {VK_MENU, 0x38, false},
    {VK_LMENU, 0x38, false},      {VK_RMENU, 0x38, true},     {VK_SPACE, 0x39, false},
    {VK_CAPITAL, 0x3A, false},    {VK_F1, 0x3B, false},       {VK_F2, 0x3C, false},
    {VK_F3, 0x3D, false},         {VK_F4, 0x3E, false},       {VK_F5, 0x3F, false},
    {VK_F6, 0x40, false},         {VK_F7, 0x41, false},       {VK_F8, 0x42, false},
    {VK_F9, 0x43, false},         {VK_F10, 0x44, false},      {VK_NUMLOCK, 0x45, false},
    {VK_SCROLL, 0x46, false},     {VK_NUMPAD7, 0x47, false},  {VK_HOME, 0x47, true},
    {VK_NUMPAD8, 0x48, false},    {VK_UP, 0x48, true},        {VK_NUMPAD9, 0x49, false},
    {VK_PRIOR, 0x49, true},       {VK_SUBTRACT, 0x4A, false}, {VK_NUMPAD4, 0x4B, false},
    {VK_LEFT, 0x4B, true},        {VK_NUMPAD5, 0x4C, false},  {VK_CLEAR, 0x4C, false},
    {VK_NUMPAD6, 0x4D, false},    {VK_RIGHT, 0x4D, true},     {VK_ADD, 0x4E, false},
    {VK_NUMPAD1, 0x4F, false},    {VK_END, 0x4F, true},       {VK_NUMPAD2, 0x50, false},
    {VK_DOWN, 0x50, true},        {VK_NUMPAD3, 0x51, false},  {VK_NEXT, 0x51, true},
    {VK_NUMPAD0, 0x52, false},    {VK_INSERT, 0x52, true},    {VK_DECIMAL, 0x53, false},
    {VK_DELETE, 0x53, true},      {VK_F11, 0x57, false},      {VK_F12, 0x58, false},
    {VK_LWIN, 0x5B, true},        {VK_RWIN, 0x5C, true},      {VK_APPS, 0x5D, true},
};

const ScanEntry* ScanOf(UINT vk) {
    for (const auto& e : kScanCodes)
        if (e.vk == vk) return &e;
    return nullptr;
}

// US layout: unshifted and shifted characters of the punctuation keys.
struct Punctuation {
    BYTE vk;
    char plain;
    char shifted;
};
constexpr Punctuation kPunctuation[] = {
    {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
    {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
    {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},    {VK_OEM_7, '\'', '"'},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

bool Down(const BYTE* state, int vk) {
    return (state[vk] & 0x80) != 0;
}

// Sets a key and its left/right or generic companion.
void SetKey(BYTE* state, int vk, bool down, bool toggle) {
    auto set = [&](int key) {
        if (down) {
            if (toggle && !(state[key] & 0x80)) state[key] ^= 0x01;
            state[key] |= 0x80;
        } else {
            state[key] &= static_cast<BYTE>(~0x80);
        }
    };
    set(vk);
    auto companion = [&](int generic, int left, int right) {
        if (vk == left || vk == right) {
            const bool any = down || Down(state, vk == left ? right : left);
            if (any)
                state[generic] |= 0x80;
            else
                state[generic] &= static_cast<BYTE>(~0x80);
        } else if (vk == generic) {
            set(left);
        }
    };
    companion(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    companion(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    companion(VK_MENU, VK_LMENU, VK_RMENU);
}

WPARAM MouseKeyFlags(const BYTE* state) {
    WPARAM flags = 0;
    if (Down(state, VK_LBUTTON)) flags |= MK_LBUTTON;
    if (Down(state, VK_RBUTTON)) flags |= MK_RBUTTON;
    if (Down(state, VK_MBUTTON)) flags |= MK_MBUTTON;
    if (Down(state, VK_XBUTTON1)) flags |= MK_XBUTTON1;
    if (Down(state, VK_XBUTTON2)) flags |= MK_XBUTTON2;
    if (Down(state, VK_SHIFT)) flags |= MK_SHIFT;
    if (Down(state, VK_CONTROL)) flags |= MK_CONTROL;
    return flags;
}

int ButtonKey(UINT message, WORD xButton) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return VK_LBUTTON;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return VK_RBUTTON;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return VK_MBUTTON;
        case WM_XBUTTONDOWN:
        case WM_XBUTTONUP:
            return xButton == XBUTTON2 ? VK_XBUTTON2 : VK_XBUTTON1;
        default:
            return 0;
    }
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
}

void Enqueue(const RawInput& raw) {
    auto& s = S();
    {
        std::lock_guard lock(s.inputMutex);
        if (raw.kind == RawInput::Mouse && raw.message == WM_MOUSEMOVE && !s.input.empty() &&
            s.input.back().kind == RawInput::Mouse && s.input.back().message == WM_MOUSEMOVE)
            s.input.back() = raw;
        else
            s.input.push_back(raw);
        s.inputSize = s.input.size();
    }
    StopScreenSaver();
    WakeUiThread();
}

POINT ClampToScreen(POINT p) {
    auto& s = S();
    RECT limit{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (s.clipped) limit = s.clip;
    p.x = std::clamp(p.x, limit.left, std::max(limit.left, limit.right - 1));
    p.y = std::clamp(p.y, limit.top, std::max(limit.top, limit.bottom - 1));
    return p;
}

Window* NextToActivate(Window* leaving) {
    auto& s = S();
    Window* owner = leaving->owner;
    auto usable = [&](Window* w) {
        return w && w != leaving && !w->destroyed && !w->destroying && (w->style & WS_VISIBLE) &&
               !(w->style & WS_DISABLED) && w->thread == leaving->thread && !IsDescendant(leaving, w) &&
               w->owner != leaving;
    };
    if (usable(owner)) return owner;
    if (!s.desktop) return nullptr;
    for (Window* w : s.desktop->children)
        if (usable(w) && !(w->style & WS_MINIMIZE) && !(w->exStyle & WS_EX_TOOLWINDOW)) return w;
    return nullptr;
}

}  // namespace

LPARAM KeyLParam(int virtualKey, bool up, bool previousDown, bool alt) {
    const ScanEntry* e = ScanOf(static_cast<UINT>(virtualKey));
    LPARAM l = 1;
    if (e) l |= static_cast<LPARAM>(e->scan) << 16 | (e->extended ? (KF_EXTENDED << 16) : 0);
    if (alt) l |= KF_ALTDOWN << 16;
    if (previousDown) l |= KF_REPEAT << 16;
    if (up) l |= KF_UP << 16;
    return l;
}

UINT CharacterFor(UINT vk, const BYTE* state, bool* isSystem) {
    const bool shift = Down(state, VK_SHIFT), ctrl = Down(state, VK_CONTROL), alt = Down(state, VK_MENU);
    const bool caps = (state[VK_CAPITAL] & 1) != 0, numLock = (state[VK_NUMLOCK] & 1) != 0;
    if (isSystem) *isSystem = alt && !ctrl;
    if (ctrl && alt) return 0;
    if (ctrl) {
        if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 1;
        switch (vk) {
            case VK_OEM_4:
                return 27;
            case VK_OEM_5:
                return 28;
            case VK_OEM_6:
                return 29;
            case VK_RETURN:
                return 10;
            case VK_BACK:
                return 127;
            case VK_SPACE:
                return ' ';
            case VK_ESCAPE:
                return 27;
            case VK_CANCEL:
                return 3;
            default:
                break;
        }
        if (shift && vk == '6') return 30;
        if (shift && vk == VK_OEM_MINUS) return 31;
        if (shift && vk == '2') return 0;
        return 0;
    }
    if (vk >= 'A' && vk <= 'Z') return (shift != caps) ? vk : vk + 32;
    if (vk >= '0' && vk <= '9') return shift ? static_cast<UINT>(kShiftedDigits[vk - '0']) : vk;
    for (const auto& p : kPunctuation)
        if (p.vk == vk) return static_cast<unsigned char>(shift ? p.shifted : p.plain);
    switch (vk) {
        case VK_SPACE:
            return ' ';
        case VK_RETURN:
            return '\r';
        case VK_BACK:
            return 8;
        case VK_TAB:
            return 9;
        case VK_ESCAPE:
            return 27;
        case VK_MULTIPLY:
            return '*';
        case VK_ADD:
            return '+';
        case VK_SUBTRACT:
            return '-';
        case VK_DIVIDE:
            return '/';
        case VK_DECIMAL:
            return numLock ? '.' : 0;
        default:
            break;
    }
    if (vk >= static_cast<UINT>(VK_NUMPAD0) && vk <= static_cast<UINT>(VK_NUMPAD9) && numLock)
        return '0' + (vk - VK_NUMPAD0);
    return 0;
}

void ActivateWindow(Window* w, WORD how) {
    auto& s = S();
    Window* old = s.active;
    if (old == w) return;
    const HWND oldHandle = old ? old->Handle() : nullptr;
    const HWND newHandle = w ? w->Handle() : nullptr;
    Hold holdOld(old);
    Hold holdNew(w);
    s.active = w;
    if (old && !old->destroyed) {
        Send(old, WM_NCACTIVATE, FALSE, 0);
        if (!old->destroyed)
            Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, (old->style & WS_MINIMIZE) ? 1 : 0),
                 reinterpret_cast<LPARAM>(newHandle));
    }
    if (s.active != w) return;  // a handler activated something else
    if (!w || w->destroyed) {
        s.active = nullptr;
        if (s.appActive) {
            s.appActive = false;
            std::vector<HWND> tops;
            for (Window* top : TopLevelWindows(false))
                if (top->thread == CurrentThread()) tops.push_back(top->Handle());
            for (HWND h : tops)
                if (Window* top = Find(h)) Send(top, WM_ACTIVATEAPP, FALSE, 0);
        }
        if (s.focus && !s.active) SetFocusInternal(nullptr);
        session::ActivationChanged();
        return;
    }
    // Always asked, as Win32 does: a window already on top hears WM_WINDOWPOSCHANGING alone.
    if (w->parent && w->parent->isDesktop)
        SetWindowPosInternal(w, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    if (w->destroyed || s.active != w) return;
    if (!s.appActive) {
        s.appActive = true;
        std::vector<HWND> tops;
        for (Window* top : TopLevelWindows(false))
            if (top->thread == CurrentThread()) tops.push_back(top->Handle());
        for (HWND h : tops)
            if (Window* top = Find(h)) Send(top, WM_ACTIVATEAPP, TRUE, 0);
        if (w->destroyed || s.active != w) return;
        session::BecameForeground();
        if (w->destroyed || s.active != w) return;
    }
    Send(w, WM_NCACTIVATE, TRUE, 0);
    if (w->destroyed || s.active != w) return;
    Send(w, WM_ACTIVATE, MAKEWPARAM(how, (w->style & WS_MINIMIZE) ? 1 : 0),
         reinterpret_cast<LPARAM>(oldHandle));
    if (w->destroyed || s.active != w) return;
    // Focus stays inside the active window.
    if (s.focus && TopLevel(s.focus) != w) SetFocusInternal(nullptr);
    session::ActivationChanged();
}

void SetFocusInternal(Window* w) {
    auto& s = S();
    if (s.focus == w) return;
    if (w) {
        Window* top = TopLevel(w);
        if (top != s.active && top->parent && top->parent->isDesktop) {
            ActivateWindow(top, WA_ACTIVE);
            if (w->destroyed || s.focus == w) return;
        }
    }
    Window* old = s.focus;
    const HWND oldHandle = old ? old->Handle() : nullptr;
    s.focus = w;
    Hold holdNew(w);
    if (old && Find(oldHandle))
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(w ? w->Handle() : nullptr), 0);
    if (w && !w->destroyed && s.focus == w)
        Send(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(Find(oldHandle) ? oldHandle : nullptr), 0);
}

void ReleaseCaptureInternal(Window* newCapture) {
    auto& s = S();
    Window* old = s.capture;
    s.capture = newCapture;
    if (old && old != newCapture && !old->destroyed)
        Send(old, WM_CAPTURECHANGED, 0,
             reinterpret_cast<LPARAM>(newCapture ? newCapture->Handle() : nullptr));
}

void WindowGoingAway(Window* w, bool destroying) {
    auto& s = S();
    Hold hold(w);
    if (s.capture && IsDescendant(w, s.capture)) ReleaseCaptureInternal(nullptr);
    if (w->destroyed) return;
    if (s.focus && IsDescendant(w, s.focus) && w->IsChild()) {
        Window* parent = w->parent;
        if (!destroying && parent && !parent->isDesktop && VisibleFlag(parent) &&
            !(parent->style & WS_DISABLED))
            SetFocusInternal(parent);
        else
            SetFocusInternal(nullptr);
    }
    if (w->destroyed) return;
    if (s.active == w) {
        ActivateWindow(NextToActivate(w), WA_ACTIVE);
        if (s.active == w) ActivateWindow(nullptr, WA_INACTIVE);
    }
    if (s.focus && IsDescendant(w, s.focus)) SetFocusInternal(nullptr);
}

bool ConvertInput(const RawInput& raw, bool remove, MSG* msg, bool* eaten) {
    auto& s = S();
    *eaten = false;
    if (raw.kind == RawInput::Key) {
        const int vk = raw.virtualKey;
        BYTE state[256];
        std::memcpy(state, s.keys, sizeof state);
        SetKey(state, vk, raw.message == WM_KEYDOWN, true);
        const bool up = raw.message == WM_KEYUP;
        const bool alt = Down(state, VK_MENU), ctrl = Down(state, VK_CONTROL);
        Window* target = s.focus;
        bool system = (alt && !ctrl) || vk == VK_F10 || vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU;
        if (!target) {
            target = s.active;
            system = true;
        }
        if (remove) std::memcpy(s.keys, state, sizeof state);
        if (!target) return false;
        msg->hwnd = target->Handle();
        msg->message = up ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
        msg->wParam = static_cast<WPARAM>(vk);
        msg->lParam = KeyLParam(vk, up, up || raw.repeat, alt && !ctrl) |
                      static_cast<LPARAM>(static_cast<LONG_PTR>(raw.codePoint) << 32);
        msg->time = raw.time;
        msg->pt = raw.pt;
        if (HooksInstalled(WH_KEYBOARD) &&
            CallHooks(WH_KEYBOARD, remove ? HC_ACTION : HC_NOREMOVE, msg->wParam, msg->lParam & 0xFFFFFFFF))
            *eaten = true;
        return true;
    }

    // Mouse
    const int buttonKey = ButtonKey(raw.message, raw.xButton);
    if (remove && buttonKey) {
        SetKey(s.keys, buttonKey, IsButtonDown(raw.message), false);
    }
    msg->time = raw.time;
    msg->pt = raw.pt;
    if (raw.message == WM_MOUSEWHEEL) {
        Window* target = s.focus ? s.focus : s.active;
        if (!target) return false;
        msg->hwnd = target->Handle();
        msg->message = WM_MOUSEWHEEL;
        msg->wParam =
            MAKEWPARAM(static_cast<WORD>(raw.keyFlags), static_cast<WORD>(static_cast<SHORT>(raw.wheel)));
        msg->lParam = MAKELPARAM(static_cast<WORD>(raw.pt.x), static_cast<WORD>(raw.pt.y));
        return true;
    }
    LRESULT hit = HTCLIENT;
    Window* target = s.capture;
    if (!target) target = WindowAt(raw.pt, &hit, true);
    if (!target || target->isDesktop || target->isMessageRoot) return false;
    const HWND hwnd = target->Handle();
    if (hit == HTERROR || hit == HTNOWHERE) {
        if (remove)
            Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                 MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(raw.message)));
        *eaten = true;
        if (hit == HTERROR) return true;
    }
    const bool client = s.capture || hit == HTCLIENT;
    UINT message = raw.message;
    const bool down = IsButtonDown(message);
    if (down) {
        const auto& last = s.lastClick;
        const bool dblclkClass = !client || (target->cls->style & CS_DBLCLKS);
        if (dblclkClass && last.valid && last.message == message && last.hwnd == hwnd &&
            raw.time - last.time <= s.doubleClickTime &&
            std::abs(raw.pt.x - last.pt.x) <= s.doubleClickWidth / 2 &&
            std::abs(raw.pt.y - last.pt.y) <= s.doubleClickHeight / 2)
            message += 2;  // WM_xBUTTONDBLCLK
    }
    msg->hwnd = hwnd;
    if (client) {
        const POINT origin = ClientOrigin(target);
        msg->message = message;
        msg->wParam = raw.keyFlags;
        if (message == WM_XBUTTONDOWN || message == WM_XBUTTONUP || message == WM_XBUTTONDBLCLK)
            msg->wParam |= static_cast<WPARAM>(raw.xButton) << 16;
        msg->lParam =
            MAKELPARAM(static_cast<WORD>(raw.pt.x - origin.x), static_cast<WORD>(raw.pt.y - origin.y));
    } else {
        msg->message = message - (WM_MOUSEMOVE - WM_NCMOUSEMOVE);
        msg->wParam = static_cast<WPARAM>(hit);
        if (message == WM_XBUTTONDOWN || message == WM_XBUTTONUP || message == WM_XBUTTONDBLCLK)
            msg->wParam |= static_cast<WPARAM>(raw.xButton) << 16;
        msg->lParam = MAKELPARAM(static_cast<WORD>(raw.pt.x), static_cast<WORD>(raw.pt.y));
    }
    if (!remove) return true;

    if (down) {
        if (message != raw.message)
            s.lastClick.valid = false;
        else
            s.lastClick = State::Click{hwnd, message, raw.time, raw.pt, true};
    }
    if (HooksInstalled(WH_MOUSE)) {
        MOUSEHOOKSTRUCT info{raw.pt, hwnd, static_cast<UINT>(hit), 0};
        if (CallHooks(WH_MOUSE, HC_ACTION, msg->message, reinterpret_cast<LPARAM>(&info))) {
            *eaten = true;
            return true;
        }
    }
    if (s.trackLeave && s.trackLeave != hwnd) {
        const HWND left = s.trackLeave;
        s.trackLeave = nullptr;
        PostMessage(left, WM_MOUSELEAVE, 0, 0);
    }
    if (!s.capture) {
        if (down) {
            Window* top = TopLevel(target);
            if (top != s.active && top->parent && top->parent->isDesktop) {
                const LRESULT answer =
                    Send(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->Handle()),
                         MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(raw.message)));
                if (!Find(hwnd)) {
                    *eaten = true;
                    return true;
                }
                if (answer == MA_ACTIVATE || answer == MA_ACTIVATEANDEAT || answer == 0)
                    ActivateWindow(top, WA_CLICKACTIVE);
                if (answer == MA_ACTIVATEANDEAT || answer == MA_NOACTIVATEANDEAT) *eaten = true;
            }
        }
        if (Window* again = Find(hwnd))
            Send(again, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                 MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(raw.message)));
        if (!Find(hwnd)) *eaten = true;
    }
    return true;
}

void ResetInput() {
    auto& s = S();
    {
        std::lock_guard lock(s.inputMutex);
        s.input.clear();
        s.inputSize = 0;
    }
    std::memset(s.keys, 0, sizeof s.keys);
    std::memset(s.asyncKeys, 0, sizeof s.asyncKeys);
    s.cursor = POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    s.clipped = false;
    s.cursorShape = nullptr;
    s.cursorCount = 0;
    s.doubleClickTime = 500;
    s.doubleClickWidth = 4;
    s.doubleClickHeight = 4;
    s.swapButtons = false;
    s.lastClick = State::Click{};
    s.altTapped = false;
    s.trackLeave = nullptr;
    s.messageTime = 0;
    s.messagePos = POINT{};
}

}  // namespace user

using namespace user;

// ---------------------------------------------------------------------------------------------
// Focus, activation, capture

HWND SetFocus(HWND hwnd) {
    auto& s = S();
    const HWND previous = s.focus ? s.focus->Handle() : nullptr;
    if (!hwnd) {
        SetFocusInternal(nullptr);
        return previous;
    }
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    if (w->thread != CurrentThread() || w->isDesktop || w->isMessageRoot) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    for (Window* x = w; x && !x->isDesktop; x = x->parent) {
        if (x->isMessageRoot || (x->style & WS_DISABLED) || !(x->style & WS_VISIBLE)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        if (!x->IsChild()) break;
    }
    SetFocusInternal(w);
    return previous;
}

HWND GetFocus() {
    Window* f = S().focus;
    return f && IsUiThread() ? f->Handle() : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
    auto& s = S();
    const HWND previous = s.active ? s.active->Handle() : nullptr;
    if (!hwnd) {
        ActivateWindow(nullptr, WA_INACTIVE);
        return previous;
    }
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    if (w->thread != CurrentThread() || w->isDesktop || w->isMessageRoot) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    w = TopLevel(w);
    if (!w->parent || !w->parent->isDesktop) return nullptr;
    ActivateWindow(w, WA_ACTIVE);
    return previous;
}

HWND GetActiveWindow() {
    Window* a = S().active;
    return a ? a->Handle() : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
    if (session::IsForeign(hwnd)) return session::RemoteSetForeground(hwnd);
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    w = TopLevel(w);
    if (!w->parent || !w->parent->isDesktop) return FALSE;
    const bool wasForeground = S().appActive;
    ActivateWindow(w, WA_ACTIVE);
    if (S().active != w) return FALSE;
    // An application active in the background takes the foreground back from the others.
    if (wasForeground) session::BecameForeground();
    return TRUE;
}

HWND GetForegroundWindow() {
    HWND elsewhere = nullptr;
    if (session::ForegroundElsewhere(&elsewhere)) return elsewhere;
    return GetActiveWindow();
}

HWND SetCapture(HWND hwnd) {
    auto& s = S();
    const HWND previous = s.capture ? s.capture->Handle() : nullptr;
    Window* w = Get(hwnd);
    if (!w || w->isDesktop || w->thread != CurrentThread()) return nullptr;
    ReleaseCaptureInternal(w);
    return previous;
}

BOOL ReleaseCapture() {
    ReleaseCaptureInternal(nullptr);
    return TRUE;
}

HWND GetCapture() {
    Window* c = S().capture;
    return c ? c->Handle() : nullptr;
}

BOOL GetGUIThreadInfo(DWORD threadId, GUITHREADINFO* info) {
    auto& s = S();
    if (!info || info->cbSize != sizeof(GUITHREADINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (threadId != 0 && threadId != s.uiThread && threadId != CurrentThread()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->flags = s.moveSize ? GUI_INMOVESIZE : 0;
    info->hwndActive = s.active ? s.active->Handle() : nullptr;
    info->hwndFocus = s.focus ? s.focus->Handle() : nullptr;
    info->hwndCapture = s.capture ? s.capture->Handle() : nullptr;
    DWORD menuMode = 0;
    info->hwndMenuOwner = menu::LoopOwner(&menuMode);
    info->flags |= menuMode;
    info->hwndMoveSize = s.moveSize;
    info->hwndCaret = s.caret.hwnd;
    info->rcCaret =
        RECT{s.caret.pos.x, s.caret.pos.y, s.caret.pos.x + s.caret.width, s.caret.pos.y + s.caret.height};
    if (s.caret.hwnd && s.caret.hidden == 0) info->flags |= GUI_CARETBLINKING;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Keyboard

SHORT GetKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    const BYTE k = S().keys[vk];
    return static_cast<SHORT>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

SHORT GetAsyncKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    return (S().asyncKeys[vk] & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

BOOL GetKeyboardState(BYTE* state) {
    if (!state) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(state, S().keys, 256);
    return TRUE;
}

BOOL SetKeyboardState(const BYTE* state) {
    if (!state) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memcpy(S().keys, state, 256);
    return TRUE;
}

UINT MapVirtualKey(UINT code, UINT mapType) {
    switch (mapType) {
        case MAPVK_VK_TO_VSC: {
            const ScanEntry* e = ScanOf(code);
            return e ? e->scan : 0;
        }
        case MAPVK_VSC_TO_VK:
            for (const auto& e : kScanCodes)
                if (e.scan == code && !e.extended && e.vk != VK_LSHIFT && e.vk != VK_LCONTROL &&
                    e.vk != VK_LMENU)
                    return e.vk;
            return 0;
        case MAPVK_VK_TO_CHAR: {
            BYTE none[256]{};
            const UINT c = CharacterFor(code, none, nullptr);
            return c >= 'a' && c <= 'z' ? c - 32 : c;
        }
        default:
            return 0;
    }
}

SHORT VkKeyScan(char character) {
    const auto c = static_cast<unsigned char>(character);
    BYTE state[256]{};
    for (int shift = 0; shift < 2; ++shift) {
        state[VK_SHIFT] = shift ? 0x80 : 0;
        for (UINT vk = 1; vk < 256; ++vk) {
            if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) continue;
            if (CharacterFor(vk, state, nullptr) == c) return static_cast<SHORT>(vk | (shift ? 0x100 : 0));
        }
    }
    state[VK_SHIFT] = 0;
    state[VK_CONTROL] = 0x80;
    for (UINT vk = 'A'; vk <= 'Z'; ++vk)
        if (CharacterFor(vk, state, nullptr) == c) return static_cast<SHORT>(vk | 0x200);
    return -1;
}

int ToUnicode(UINT vk, UINT, const BYTE* keyState, wchar_t* buffer, int bufferSize, UINT) {
    if (!keyState || !buffer || bufferSize <= 0) return 0;
    const UINT c = CharacterFor(vk, keyState, nullptr);
    if (!c) return 0;
    buffer[0] = static_cast<wchar_t>(c);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Mouse and cursor

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = S().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    input::MoveMouse(x, y);
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = S().cursorShape;
    S().cursorShape = cursor;
    return old;
}

HCURSOR GetCursor() {
    return S().cursorShape;
}

BOOL ClipCursor(const RECT* rect) {
    auto& s = S();
    if (!rect) {
        s.clipped = false;
        return TRUE;
    }
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT r{std::max(rect->left, screen.left), std::max(rect->top, screen.top),
           std::min(rect->right, screen.right), std::min(rect->bottom, screen.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) r = screen;
    s.clip = r;
    s.clipped = true;
    s.cursor = ClampToScreen(s.cursor);
    return TRUE;
}

BOOL GetClipCursor(RECT* rect) {
    if (!rect) return FALSE;
    auto& s = S();
    *rect = s.clipped ? s.clip : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return TRUE;
}

int ShowCursor(BOOL show) {
    return show ? ++S().cursorCount : --S().cursorCount;
}

UINT GetDoubleClickTime() {
    return S().doubleClickTime;
}

BOOL SetDoubleClickTime(UINT milliseconds) {
    S().doubleClickTime = milliseconds ? std::min(milliseconds, 5000u) : 500;
    return TRUE;
}

BOOL SwapMouseButton(BOOL swap) {
    const bool old = S().swapButtons;
    S().swapButtons = swap != FALSE;
    return old;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    auto& s = S();
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (track->dwFlags & TME_QUERY) {
        track->dwFlags = s.trackLeave ? TME_LEAVE : 0;
        track->hwndTrack = s.trackLeave;
        return TRUE;
    }
    if (track->dwFlags & (TME_HOVER | TME_NONCLIENT)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    Window* w = Get(track->hwndTrack);
    if (!w) return FALSE;
    if (track->dwFlags & TME_CANCEL) {
        if (s.trackLeave == track->hwndTrack) s.trackLeave = nullptr;
        return TRUE;
    }
    if (track->dwFlags & TME_LEAVE) {
        LRESULT hit = HTNOWHERE;
        Window* under = WindowAt(s.cursor, &hit, false);
        if (under != w || hit != HTCLIENT)
            PostMessage(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
        else
            s.trackLeave = track->hwndTrack;
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Injected input

namespace input {

namespace {

void InjectButton(Button button, bool down) {
    auto& s = S();
    if (s.swapButtons && button == Button::Left)
        button = Button::Right;
    else if (s.swapButtons && button == Button::Right)
        button = Button::Left;
    static constexpr UINT kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_XBUTTONDOWN,
                                     WM_XBUTTONDOWN};
    static constexpr int kKeys[] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2};
    const auto index = static_cast<size_t>(button);
    SetKey(s.asyncKeys, kKeys[index], down, false);
    RawInput raw;
    raw.kind = RawInput::Mouse;
    raw.message = kDown[index] + (down ? 0 : 1);
    raw.xButton = button == Button::X1 ? XBUTTON1 : button == Button::X2 ? XBUTTON2 : 0;
    raw.pt = s.cursor;
    raw.time = GetTickCount();
    raw.keyFlags = MouseKeyFlags(s.asyncKeys);
    Enqueue(raw);
}

void InjectKey(int vk, bool down, UINT codePoint) {
    auto& s = S();
    if (vk <= 0 || vk > 254) return;
    const bool wasDown = (s.asyncKeys[vk] & 0x80) != 0;
    SetKey(s.asyncKeys, vk, down, true);
    RawInput raw;
    raw.kind = RawInput::Key;
    raw.message = down ? WM_KEYDOWN : WM_KEYUP;
    raw.virtualKey = vk;
    raw.codePoint = codePoint;
    raw.repeat = wasDown;
    raw.pt = s.cursor;
    raw.time = GetTickCount();
    Enqueue(raw);
}

// Decodes one UTF-8 sequence; malformed bytes give U+FFFD.
UINT NextCodePoint(std::string_view text, size_t& i) {
    const auto b = static_cast<unsigned char>(text[i++]);
    if (b < 0x80) return b;
    int extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (extra < 0 || b >= 0xF5) return 0xFFFD;
    UINT cp = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    static constexpr UINT kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    return cp;
}

}  // namespace

void MoveMouse(int x, int y) {
    auto& s = S();
    s.cursor = ClampToScreen(POINT{x, y});
    RawInput raw;
    raw.kind = RawInput::Mouse;
    raw.message = WM_MOUSEMOVE;
    raw.pt = s.cursor;
    raw.time = GetTickCount();
    raw.keyFlags = MouseKeyFlags(s.asyncKeys);
    Enqueue(raw);
}

void PressButton(Button button) {
    InjectButton(button, true);
}
void ReleaseButton(Button button) {
    InjectButton(button, false);
}

void Click(int x, int y, Button button) {
    MoveMouse(x, y);
    PressButton(button);
    ReleaseButton(button);
}

void DoubleClick(int x, int y, Button button) {
    Click(x, y, button);
    PressButton(button);
    ReleaseButton(button);
}

void KeyDown(int vk) {
    InjectKey(vk, true, 0);
}
void KeyUp(int vk) {
    InjectKey(vk, false, 0);
}

void PressKey(int vk, unsigned shiftState) {
    if (shiftState & Shift) KeyDown(VK_SHIFT);
    if (shiftState & Ctrl) KeyDown(VK_CONTROL);
    if (shiftState & Alt) KeyDown(VK_MENU);
    KeyDown(vk);
    KeyUp(vk);
    if (shiftState & Alt) KeyUp(VK_MENU);
    if (shiftState & Ctrl) KeyUp(VK_CONTROL);
    if (shiftState & Shift) KeyUp(VK_SHIFT);
}

void TypeText(std::string_view utf8) {
    auto& s = S();
    for (size_t i = 0; i < utf8.size();) {
        const UINT cp = NextCodePoint(utf8, i);
        if (cp == '\r' && i < utf8.size() && utf8[i] == '\n') continue;
        if (cp == '\n' || cp == '\r') {
            PressKey(VK_RETURN);
            continue;
        }
        const SHORT scan =
            cp < 0x80 && cp >= 0x20 ? VkKeyScan(static_cast<char>(cp)) : (cp == '\t' ? VK_TAB : -1);
        if (scan != -1 && !(scan & 0x600)) {
            const int vk = scan & 0xFF;
            bool shift = (scan & 0x100) != 0;
            if (vk >= 'A' && vk <= 'Z' && (s.asyncKeys[VK_CAPITAL] & 1)) shift = !shift;
            PressKey(vk, shift ? Shift : None);
            continue;
        }
        InjectKey(VK_PACKET, true, cp);
        InjectKey(VK_PACKET, false, cp);
    }
}

void Wheel(int delta) {
    auto& s = S();
    RawInput raw;
    raw.kind = RawInput::Mouse;
    raw.message = WM_MOUSEWHEEL;
    raw.wheel = std::clamp(delta, -32768, 32767);
    raw.pt = s.cursor;
    raw.time = GetTickCount();
    raw.keyFlags = MouseKeyFlags(s.asyncKeys);
    Enqueue(raw);
}

}  // namespace input

void user::InjectPacket(UINT codePoint) {
    input::InjectKey(VK_PACKET, true, codePoint);
    input::InjectKey(VK_PACKET, false, codePoint);
}

}  // namespace win32
