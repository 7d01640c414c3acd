// The desktop's top-level windows as X windows: created when first shown, then kept in step with
// the platform's place, stacking, caption, border style, activation, cursor and capture.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "gdi/dc_internal.h"
#include "win32/gdi.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

// Xlib last: see x11_internal.h.
#include "display/x11/x11_internal.h"

#include <X11/cursorfont.h>

namespace win32::display::x11 {

namespace {

constexpr long kEventMask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask |
                            ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | FocusChangeMask | PropertyChangeMask;

// Menus, drop-down lists and hint windows: captionless popups that belong to another window or
// stay above all. The window manager leaves them alone, so they appear exactly where the platform
// puts them and never take the focus.
bool IsTransientPopup(const user::Window* w) {
    if (!(w->style & WS_POPUP) || (w->style & WS_CAPTION) == WS_CAPTION) return false;
    return w->owner || (w->exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
}

// _MOTIF_WM_HINTS: the platform draws its own caption and frame, so the window manager adds no
// decoration; what the user may do to the window follows the border style.
struct MotifHints {
    unsigned long flags, functions, decorations;
    long inputMode;
    unsigned long status;
};
constexpr unsigned long kMotifFunctions = 1, kMotifDecorations = 2;
constexpr unsigned long kMotifResize = 2, kMotifMove = 4, kMotifMinimize = 8, kMotifMaximize = 16,
                        kMotifClose = 32;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The size hints carry the position too, so that a window manager places the window where the
// platform did instead of where it would like.
void SetSizeHints(Display* display, ::Window xid, const RECT& r, bool sizeable) {
    XSizeHints size{};
    size.flags = USPosition | PPosition | PSize;
    size.x = r.left;
    size.y = r.top;
    size.width = std::max<int>(1, r.right - r.left);
    size.height = std::max<int>(1, r.bottom - r.top);
    if (!sizeable) {
        size.flags |= PMinSize | PMaxSize;
        size.min_width = size.max_width = size.width;
        size.min_height = size.max_height = size.height;
    }
    XSetWMNormalHints(display, xid, &size);
}

}  // namespace

Mirror* Backend::MirrorOf(::Window xid) {
    for (auto& m : mirrors_)
        if (m.xid == xid) return &m;
    return nullptr;
}

void Backend::CreateMirror(Mirror& m, user::Window* w) {
    const RECT r = user::ScreenRect(w);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;  // the platform paints everything; the server clears nothing
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = kEventMask;
    attributes.override_redirect = IsTransientPopup(w) ? True : False;
    m.overrideRedirect = attributes.override_redirect;
    m.xid = XCreateWindow(
        display_, root_, r.left, r.top, static_cast<unsigned>(std::max<LONG>(1, r.right - r.left)),
        static_cast<unsigned>(std::max<LONG>(1, r.bottom - r.top)), 0, CopyFromParent, InputOutput,
        CopyFromParent, CWBackPixmap | CWBitGravity | CWEventMask | CWOverrideRedirect, &attributes);
    m.geometry = r;
    Atom protocols[] = {atoms.wmDeleteWindow, atoms.netWmPing};
    XSetWMProtocols(display_, m.xid, protocols, 2);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(display_, m.xid, &hints);
    std::string className = w->cls ? w->cls->name : "Zyl";
    std::string instance = "zyl";
    XClassHint classHint{instance.data(), className.data()};
    XSetClassHint(display_, m.xid, &classHint);
    const long pid = getpid();
    XChangeProperty(display_, m.xid, atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    if (inputMethod_) {
        XIC context = XCreateIC(inputMethod_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                                XNClientWindow, m.xid, XNFocusWindow, m.xid, nullptr);
        if (context) inputContexts_[m.xid] = context;
    }
    m.style = ~w->style;  // hints and title go out on the first sync
    m.title = w->text + "?";
}

void Backend::DestroyMirror(Mirror& m) {
    if (!m.xid) return;
    if (auto found = inputContexts_.find(m.xid); found != inputContexts_.end()) {
        XDestroyIC(found->second);
        inputContexts_.erase(found);
    }
    if (grabbed_ == m.xid) {
        XUngrabPointer(display_, CurrentTime);
        grabbed_ = 0;
    }
    XDestroyWindow(display_, m.xid);
    m.xid = 0;
}

void Backend::ApplyKind(Mirror& m, user::Window* w) {
    const bool wanted = IsTransientPopup(w);
    if (wanted == m.overrideRedirect) return;
    // The attribute counts when the window is mapped: an unmapped window takes it at once.
    if (m.mapRequested) {
        XUnmapWindow(display_, m.xid);
        m.mapRequested = false;
        m.viewable = false;
        m.known = Region{};
    }
    XSetWindowAttributes attributes{};
    attributes.override_redirect = wanted ? True : False;
    XChangeWindowAttributes(display_, m.xid, CWOverrideRedirect, &attributes);
    m.overrideRedirect = wanted;
}

void Backend::ApplyTitle(Mirror& m, user::Window* w) {
    m.title = w->text;
    const auto* bytes = reinterpret_cast<const unsigned char*>(m.title.data());
    const int length = static_cast<int>(m.title.size());
    XChangeProperty(display_, m.xid, atoms.netWmName, atoms.utf8String, 8, PropModeReplace, bytes, length);
    // WM_NAME is Latin-1 for older clients; a caption beyond it goes as UTF-8, which current ones read.
    std::string latin1;
    bool representable = true;
    for (size_t i = 0; i < m.title.size() && representable;) {
        const auto b = static_cast<unsigned char>(m.title[i]);
        if (b < 0x80) {
            latin1 += static_cast<char>(b);
            ++i;
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < m.title.size()) {
            latin1 +=
                static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(m.title[i + 1]) & 0x3F));
            i += 2;
        } else {
            representable = false;
        }
    }
    if (representable)
        XChangeProperty(display_, m.xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(latin1.data()),
                        static_cast<int>(latin1.size()));
    else
        XChangeProperty(display_, m.xid, XA_WM_NAME, atoms.utf8String, 8, PropModeReplace, bytes, length);
}

void Backend::ApplyHints(Mirror& m, user::Window* w) {
    m.style = w->style;
    m.exStyle = w->exStyle;
    if (m.overrideRedirect) {
        const bool menu = w->cls && user::EqualNoCase(w->cls->name, MENU_WINDOW_CLASS);
        const Atom type = menu ? atoms.typeMenu : (w->owner ? atoms.typeDropdown : atoms.typeTooltip);
        XChangeProperty(display_, m.xid, atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&type), 1);
        return;
    }
    MotifHints motif{kMotifFunctions | kMotifDecorations, kMotifMove, 0, 0, 0};
    if (w->style & WS_THICKFRAME) motif.functions |= kMotifResize;
    if (w->style & WS_MINIMIZEBOX) motif.functions |= kMotifMinimize;
    if (w->style & WS_MAXIMIZEBOX) motif.functions |= kMotifMaximize;
    if (w->style & WS_SYSMENU) motif.functions |= kMotifClose;
    XChangeProperty(display_, m.xid, atoms.motifHints, atoms.motifHints, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&motif), 5);

    const Atom type = (w->exStyle & WS_EX_TOOLWINDOW)                    ? atoms.typeUtility
                      : (w->owner || (w->exStyle & WS_EX_DLGMODALFRAME)) ? atoms.typeDialog
                                                                         : atoms.typeNormal;
    XChangeProperty(display_, m.xid, atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&type), 1);
    if (w->owner)
        if (::Window owner = XWindowOf(w->owner->Handle())) XSetTransientForHint(display_, m.xid, owner);
}

void Backend::SyncWindows() {
    // Windows destroyed, or no longer top-level, take their X window with them.
    for (auto it = mirrors_.begin(); it != mirrors_.end();) {
        user::Window* w = user::Find(it->hwnd);
        if (!w || !w->parent || !w->parent->isDesktop) {
            DestroyMirror(*it);
            it = mirrors_.erase(it);
        } else {
            ++it;
        }
    }
    for (user::Window* w : user::TopLevelWindows(false)) {
        const HWND hwnd = w->Handle();
        auto found =
            std::find_if(mirrors_.begin(), mirrors_.end(), [&](const Mirror& m) { return m.hwnd == hwnd; });
        const RECT r = user::ScreenRect(w);
        const bool minimizedByManager = windowManager_ && (w->style & WS_MINIMIZE) && !IsTransientPopup(w);
        const bool shown = (w->style & WS_VISIBLE) && r.right > r.left && r.bottom > r.top;
        if (found == mirrors_.end()) {
            if (!shown) continue;
            mirrors_.push_back(Mirror{});
            found = std::prev(mirrors_.end());
            found->hwnd = hwnd;
        }
        Mirror& m = *found;
        if (!shown) {
            if (m.mapRequested) {
                XUnmapWindow(display_, m.xid);
                // A managed window is withdrawn only when the window manager hears of it as well.
                if (windowManager_ && !m.overrideRedirect) {
                    XEvent unmap{};
                    unmap.xunmap.type = UnmapNotify;
                    unmap.xunmap.event = root_;
                    unmap.xunmap.window = m.xid;
                    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask,
                               &unmap);
                }
                m.mapRequested = false;
            }
            continue;
        }
        if (!m.xid) CreateMirror(m, w);
        ApplyKind(m, w);
        if (m.title != w->text) ApplyTitle(m, w);
        if (m.style != w->style || m.exStyle != w->exStyle) ApplyHints(m, w);
        if (w->cls && m.icon != w->cls->icon) ApplyIcon(m, w);
        if (minimizedByManager) {
            // The window manager shows a minimized window its own way; the platform's icon title
            // is not mirrored.
            if (m.mapRequested && !m.iconified) {
                XIconifyWindow(display_, m.xid, screen_);
                m.iconified = true;
            }
            continue;
        }
        if (!SameRect(r, m.geometry)) {
            const bool resized = r.right - r.left != m.geometry.right - m.geometry.left ||
                                 r.bottom - r.top != m.geometry.bottom - m.geometry.top;
            XMoveResizeWindow(display_, m.xid, r.left, r.top, static_cast<unsigned>(r.right - r.left),
                              static_cast<unsigned>(r.bottom - r.top));
            // Kept so that the server's answers are not taken for a window manager's own moves.
            if (m.requested.size() >= 32) m.requested.erase(m.requested.begin());
            m.requested.push_back(r);
            if (resized) {
                m.known = Region{};
                if (!m.overrideRedirect) SetSizeHints(display_, m.xid, r, (w->style & WS_THICKFRAME) != 0);
            }
            m.geometry = r;
        }
        if (!m.mapRequested) {
            if (!m.overrideRedirect) SetSizeHints(display_, m.xid, r, (w->style & WS_THICKFRAME) != 0);
            XMapWindow(display_, m.xid);
            m.mapRequested = true;
            m.iconified = false;
        }
    }
}

void Backend::SyncStacking() {
    std::vector<::Window> order;
    for (user::Window* w : user::TopLevelWindows(false)) {
        const HWND hwnd = w->Handle();
        for (const auto& m : mirrors_)
            if (m.hwnd == hwnd && m.mapRequested) order.push_back(m.xid);
    }
    if (order == stacking_ || order.empty()) {
        stacking_ = std::move(order);
        return;
    }
    if (!windowManager_) {
        XRestackWindows(display_, order.data(), static_cast<int>(order.size()));
    } else if (stacking_.empty() || order.front() != stacking_.front()) {
        // Managed windows live inside the manager's frames: only the request to come to the top
        // is the program's to make.
        XRaiseWindow(display_, order.front());
    }
    stacking_ = std::move(order);
}

void Backend::SyncActivation() {
    const auto& s = user::S();
    user::Window* active = s.active ? user::TopLevel(s.active) : nullptr;
    const HWND hwnd = active ? active->Handle() : nullptr;
    if (hwnd == activeSynced_ || !hwnd) return;
    auto found =
        std::find_if(mirrors_.begin(), mirrors_.end(), [&](const Mirror& m) { return m.hwnd == hwnd; });
    // Focus goes to a window the server shows; until then the request waits.
    if (found == mirrors_.end() || found->overrideRedirect || !found->viewable) return;
    if (windowManager_) {
        XEvent request{};
        request.xclient.type = ClientMessage;
        request.xclient.window = found->xid;
        request.xclient.message_type = atoms.netActiveWindow;
        request.xclient.format = 32;
        request.xclient.data.l[0] = 1;  // from an application
        request.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    } else {
        XSetInputFocus(display_, found->xid, RevertToParent, CurrentTime);
    }
    activeSynced_ = hwnd;
}

void Backend::SyncCursor() {
    const HCURSOR shape = user::S().cursorShape;
    if (shape == cursorSynced_) return;
    cursorSynced_ = shape;
    auto found = cursors_.find(shape);
    if (found == cursors_.end()) {
        // The stock shapes have their counterparts in the cursor font; others show the arrow.
        static constexpr std::pair<WORD, unsigned> kShapes[] = {
            {32512, XC_left_ptr},
            {32513, XC_xterm},
            {32514, XC_watch},
            {32515, XC_crosshair},
            {32516, XC_center_ptr},
            {32642, XC_bottom_right_corner},
            {32643, XC_bottom_left_corner},
            {32644, XC_sb_h_double_arrow},
            {32645, XC_sb_v_double_arrow},
            {32646, XC_fleur},
            {32648, XC_X_cursor},
            {32649, XC_hand2},
            {32650, XC_watch},
            {32651, XC_question_arrow},
        };
        unsigned glyph = XC_left_ptr;
        for (const auto& [id, font] : kShapes)
            if (shape && LoadCursor(nullptr, MAKEINTRESOURCEA(id)) == shape) glyph = font;
        found = cursors_.emplace(shape, XCreateFontCursor(display_, glyph)).first;
    }
    for (const auto& m : mirrors_)
        if (m.xid) XDefineCursor(display_, m.xid, found->second);
}

// Capture while a button is held keeps the pointer with the window, even over other programs.
void Backend::SyncGrab() {
    const auto& s = user::S();
    const bool buttonHeld =
        (s.asyncKeys[VK_LBUTTON] | s.asyncKeys[VK_RBUTTON] | s.asyncKeys[VK_MBUTTON]) & 0x80;
    ::Window wanted = 0;
    if (s.capture && buttonHeld)
        if (user::Window* top = user::TopLevel(s.capture)) wanted = XWindowOf(top->Handle());
    if (wanted == grabbed_) return;
    if (grabbed_) XUngrabPointer(display_, CurrentTime);
    grabbed_ = 0;
    if (wanted &&
        XGrabPointer(display_, wanted, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, None, None, CurrentTime) == GrabSuccess)
        grabbed_ = wanted;
}

// _NET_WM_ICON from the class icon: 32x32 ARGB, transparent where the icon's mask says so.
void Backend::ApplyIcon(Mirror& m, user::Window* w) {
    m.icon = w->cls->icon;
    if (!m.icon) {
        XDeleteProperty(display_, m.xid, atoms.netWmIcon);
        return;
    }
    constexpr int kSize = 32;
    std::vector<long> data{kSize, kSize};
    for (const uint32_t pixel : IconPixels(m.icon, kSize))
        data.push_back(static_cast<long>(pixel));
    XChangeProperty(display_, m.xid, atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

}  // namespace win32::display::x11
