// The server's events as the platform's own: pointer and keys enter the input queue as injected
// input does, the window manager's moves, sizes, focus and close requests become the platform's
// calls, and exposures are put right from the pixels the platform already has.
#include <algorithm>
#include <cstring>

#include "win32/input.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

// Xlib last: see x11_internal.h.
#include "display/x11/x11_internal.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace win32::display::x11 {

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Code points of UTF-8 text from the input method (already well formed).
std::vector<uint32_t> CodePoints(const std::string& text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

bool IsKeypad(KeySym keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

}  // namespace

void Backend::HandleEvent(XEvent& event) {
    switch (event.type) {
        case MotionNotify:
            input::MoveMouse(event.xmotion.x_root, event.xmotion.y_root);
            break;
        case EnterNotify:
        case LeaveNotify:
            // Leaving for another program's window moves the platform's cursor off its windows.
            if (event.xcrossing.mode == NotifyNormal)
                input::MoveMouse(event.xcrossing.x_root, event.xcrossing.y_root);
            break;
        case ButtonPress:
        case ButtonRelease:
            if (TrayMirror* t = TrayMirrorOf(event.xbutton.window))
                TrayButton(*t, event.xbutton, event.type == ButtonPress);
            else
                HandleButton(event.xbutton, event.type == ButtonPress);
            break;
        case KeyPress:
        case KeyRelease:
            HandleKey(event.xkey, event.type == KeyPress);
            break;
        case FocusIn:
        case FocusOut:
            HandleFocus(event.xfocus, event.type == FocusIn);
            break;
        case Expose:
            if (TrayMirror* t = TrayMirrorOf(event.xexpose.window); t && event.xexpose.count == 0)
                PaintTrayIcon(*t);
            if (Mirror* m = MirrorOf(event.xexpose.window)) {
                const RECT lost{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                event.xexpose.y + event.xexpose.height};
                m->known = gdi::CombineRegions(m->known, Region::FromRect(lost), RGN_DIFF);
                pixelsDirty_ = true;
            }
            break;
        case ConfigureNotify:
            HandleConfigure(event.xconfigure);
            break;
        case MapNotify:
            if (Mirror* m = MirrorOf(event.xmap.window)) {
                m->viewable = true;
                pixelsDirty_ = true;
                if (m->iconified) {
                    // The window manager gave a minimized window back.
                    m->iconified = false;
                    m->restoreRequested = true;
                }
            }
            break;
        case UnmapNotify:
            if (Mirror* m = MirrorOf(event.xunmap.window)) {
                m->viewable = false;
                m->known = Region{};
                // Unmapped by the window manager, not by us: minimized from its frame or task bar.
                if (m->mapRequested && windowManager_ && !m->overrideRedirect) {
                    m->iconified = true;
                    m->minimizeRequested = true;
                }
            }
            break;
        case ClientMessage:
            HandleClientMessage(event.xclient);
            break;
        case MappingNotify:
            XRefreshKeyboardMapping(&event.xmapping);
            break;
        case SelectionRequest:
            HandleSelectionRequest(event.xselectionrequest);
            break;
        case SelectionClear:
            HandleSelectionClear(event.xselectionclear);
            break;
        default:
            break;
    }
}

void Backend::HandleButton(XButtonEvent& event, bool down) {
    input::MoveMouse(event.x_root, event.y_root);
    switch (event.button) {
        case Button1:
            down ? input::PressButton(input::Button::Left) : input::ReleaseButton(input::Button::Left);
            break;
        case Button2:
            down ? input::PressButton(input::Button::Middle) : input::ReleaseButton(input::Button::Middle);
            break;
        case Button3:
            down ? input::PressButton(input::Button::Right) : input::ReleaseButton(input::Button::Right);
            break;
        case Button4:
        case Button5:
            // The wheel comes as a press and a release per notch.
            if (down) input::Wheel(event.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA);
            break;
        case 8:
            down ? input::PressButton(input::Button::X1) : input::ReleaseButton(input::Button::X1);
            break;
        case 9:
            down ? input::PressButton(input::Button::X2) : input::ReleaseButton(input::Button::X2);
            break;
        default:
            break;
    }
}

// A key goes in as its virtual key, and TranslateMessage makes its character as on a US keyboard.
// Where the server's keyboard layout or input method gives other text, that text goes in as
// VK_PACKET strokes instead, so that WM_CHAR carries what the user typed.
void Backend::HandleKey(XKeyEvent& event, bool down) {
    char buffer[64];
    KeySym keysym = NoSymbol;
    std::string text;
    auto context = inputContexts_.find(event.window);
    if (down && context != inputContexts_.end()) {
        Status status = 0;
        int length = Xutf8LookupString(context->second, &event, buffer, sizeof buffer - 1, &keysym, &status);
        if (status == XBufferOverflow) length = 0;
        if (status == XLookupChars || status == XLookupBoth)
            text.assign(buffer, static_cast<size_t>(std::max(0, length)));
        if (status == XLookupChars || status == XLookupNone) keysym = NoSymbol;
        if (keysym == NoSymbol) XLookupString(&event, buffer, sizeof buffer - 1, &keysym, nullptr);
    } else {
        const int length = XLookupString(&event, buffer, sizeof buffer - 1, &keysym, nullptr);
        // Without an input method the text is Latin-1.
        if (down)
            for (int i = 0; i < length; ++i)
                AppendUtf8(text, static_cast<unsigned char>(buffer[i]));
    }
    // The key's place on the keyboard names it, whatever the modifiers; the keypad follows Num Lock.
    const KeySym base = XkbKeycodeToKeysym(display_, static_cast<KeyCode>(event.keycode), 0, 0);
    int vk = VirtualKeyForKeysym(IsKeypad(keysym) ? keysym : base);
    if (!vk) vk = VirtualKeyForKeysym(keysym);
    auto packet = std::find(packetKeys_.begin(), packetKeys_.end(), event.keycode);
    if (!down) {
        if (packet != packetKeys_.end())
            packetKeys_.erase(packet);
        else if (vk)
            input::KeyUp(vk);
        return;
    }
    const auto& s = user::S();
    const bool commandKey = (s.asyncKeys[VK_CONTROL] | s.asyncKeys[VK_MENU]) & 0x80;
    std::vector<uint32_t> typed = CodePoints(text);
    // Control characters are the platform's to make from the key and the modifiers.
    typed.erase(
        std::remove_if(typed.begin(), typed.end(), [](uint32_t cp) { return cp < 0x20 || cp == 0x7F; }),
        typed.end());
    if (vk) {
        BYTE state[256];
        std::memcpy(state, s.asyncKeys, sizeof state);
        state[vk] |= 0x80;
        const UINT expected = user::CharacterFor(static_cast<UINT>(vk), state, nullptr);
        if (typed.empty() || commandKey || (typed.size() == 1 && typed[0] == expected)) {
            input::KeyDown(vk);
            return;
        }
    }
    if (typed.empty()) return;
    if (packet == packetKeys_.end()) packetKeys_.push_back(event.keycode);
    for (uint32_t cp : typed)
        user::InjectPacket(cp);
}

void Backend::HandleFocus(XFocusChangeEvent& event, bool in) {
    if (event.mode == NotifyGrab || event.mode == NotifyUngrab || event.detail == NotifyPointer ||
        event.detail == NotifyInferior)
        return;
    Mirror* m = MirrorOf(event.window);
    if (!m) return;
    if (in) {
        focusChange_ = FocusChange::Gained;
        focusWindow_ = m->hwnd;
    } else if (focusWindow_ == m->hwnd || focusChange_ == FocusChange::Unchanged) {
        focusChange_ = FocusChange::Lost;
        focusWindow_ = nullptr;
    }
}

void Backend::HandleConfigure(XConfigureEvent& event) {
    Mirror* m = MirrorOf(event.window);
    if (!m || m->overrideRedirect || event.width <= 0 || event.height <= 0) return;
    int x = event.x, y = event.y;
    // A reparenting window manager reports the place inside its frame; synthetic events (and a
    // window straight on the root) give the place on the screen.
    if (!event.send_event) {
        ::Window child = 0;
        if (!XTranslateCoordinates(display_, event.window, root_, 0, 0, &x, &y, &child)) return;
    }
    const RECT r{x, y, x + event.width, y + event.height};
    const auto same = [&](const RECT& a) {
        return a.left == r.left && a.top == r.top && a.right == r.right && a.bottom == r.bottom;
    };
    // The answer to a place this process asked for: the places asked for before it are past.
    if (auto answered = std::find_if(m->requested.begin(), m->requested.end(), same);
        answered != m->requested.end()) {
        m->requested.erase(m->requested.begin(), answered + 1);
        return;
    }
    if (same(m->geometry)) return;
    m->geometry = r;
    m->reported = r;
    m->reportPending = true;
    pixelsDirty_ = true;
}

void Backend::HandleClientMessage(XClientMessageEvent& event) {
    if (event.message_type != atoms.wmProtocols || event.format != 32) return;
    const auto protocol = static_cast<Atom>(event.data.l[0]);
    if (protocol == atoms.wmDeleteWindow) {
        if (Mirror* m = MirrorOf(event.window)) PostMessage(m->hwnd, WM_CLOSE, 0, 0);
    } else if (protocol == atoms.netWmPing) {
        XEvent reply{};
        reply.xclient = event;
        reply.xclient.window = root_;
        XSendEvent(display_, root_, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
    }
}

// What the window manager did, applied once its events are all read: the platform's handlers may
// run any code, this loop included.
void Backend::ApplyReports() {
    std::vector<std::pair<HWND, RECT>> moved;
    std::vector<std::pair<HWND, int>> shown;
    for (auto& m : mirrors_) {
        if (m.reportPending) moved.emplace_back(m.hwnd, m.reported);
        if (m.minimizeRequested) shown.emplace_back(m.hwnd, SW_SHOWMINNOACTIVE);
        if (m.restoreRequested) shown.emplace_back(m.hwnd, SW_RESTORE);
        m.reportPending = m.minimizeRequested = m.restoreRequested = false;
    }
    for (const auto& [hwnd, command] : shown) {
        const bool minimized = IsIconic(hwnd);
        if ((command == SW_RESTORE) == minimized) ShowWindow(hwnd, command);
    }
    for (const auto& [hwnd, r] : moved)
        if (!IsIconic(hwnd))
            SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    const FocusChange change = focusChange_;
    const HWND target = focusWindow_;
    focusChange_ = FocusChange::Unchanged;
    auto& s = user::S();
    if (change == FocusChange::Gained && IsWindow(target)) {
        activeSynced_ = target;
        user::Window* active = s.active ? user::TopLevel(s.active) : nullptr;
        if (!active || active->Handle() != target) SetForegroundWindow(target);
    } else if (change == FocusChange::Lost && s.active) {
        activeSynced_ = nullptr;
        user::ActivateWindow(nullptr, WA_INACTIVE);
    }
}

}  // namespace win32::display::x11
