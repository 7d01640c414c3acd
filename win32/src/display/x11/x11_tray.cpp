// Notification-area icons in the desktop's system tray (the XEmbed tray protocol): one small X
// window per shown icon, docked with the tray that owns _NET_SYSTEM_TRAY_S<screen>, its clicks
// posted to the icon's window as its callback message. Without a tray the icons stay as the
// platform records them.
#include <algorithm>
#include <string>

#include "win32/gdi.h"
#include "win32/shell.h"

// Xlib last: see x11_internal.h.
#include "display/x11/x11_internal.h"

namespace win32::display::x11 {

namespace {

constexpr long kSystemTrayRequestDock = 0;
constexpr int kTrayIconSize = 16;

}  // namespace

// The icon drawn once on black and once on white: pixels that differ are transparent. ARGB words.
std::vector<uint32_t> IconPixels(HICON icon, int size) {
    std::vector<uint32_t> onBlack(static_cast<size_t>(size * size)), onWhite(onBlack.size());
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const RECT all{0, 0, size, size};
    for (auto* target : {&onBlack, &onWhite}) {
        FillRect(memory, &all,
                 static_cast<HBRUSH>(GetStockObject(target == &onBlack ? BLACK_BRUSH : WHITE_BRUSH)));
        DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const COLORREF c = GetPixel(memory, x, y);
                (*target)[static_cast<size_t>(y * size + x)] = (static_cast<uint32_t>(GetRValue(c)) << 16) |
                                                               (static_cast<uint32_t>(GetGValue(c)) << 8) |
                                                               GetBValue(c);
            }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    std::vector<uint32_t> argb(onBlack.size());
    for (size_t i = 0; i < argb.size(); ++i)
        argb[i] = onBlack[i] == onWhite[i] ? 0xFF000000u | onBlack[i] : 0u;
    return argb;
}

::Window Backend::TrayManager() {
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen_);
    return XGetSelectionOwner(display_, Intern(name.c_str()));
}

void Backend::SyncTray() {
    std::vector<testing::TrayIcon> icons;
    for (auto& icon : testing::TrayIcons())
        if (!(icon.state & NIS_HIDDEN) && icon.icon) icons.push_back(icon);
    const auto listed = [&](const TrayMirror& t) {
        return std::any_of(icons.begin(), icons.end(),
                           [&](const testing::TrayIcon& i) { return i.window == t.window && i.id == t.id; });
    };
    // Icons deleted or hidden leave the tray.
    for (auto it = trayMirrors_.begin(); it != trayMirrors_.end();) {
        if (listed(*it)) {
            ++it;
            continue;
        }
        XDestroyWindow(display_, it->xid);
        it = trayMirrors_.erase(it);
    }
    if (icons.empty()) return;
    const ::Window manager = TrayManager();
    if (!manager) return;
    for (const auto& icon : icons) {
        auto found = std::find_if(trayMirrors_.begin(), trayMirrors_.end(), [&](const TrayMirror& t) {
            return t.window == icon.window && t.id == icon.id;
        });
        if (found == trayMirrors_.end() || found->manager != manager) {
            if (found == trayMirrors_.end()) {
                trayMirrors_.push_back(TrayMirror{});
                found = std::prev(trayMirrors_.end());
                found->window = icon.window;
                found->id = icon.id;
                XSetWindowAttributes attributes{};
                attributes.background_pixmap = ParentRelative;
                attributes.event_mask =
                    ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
                found->xid =
                    XCreateWindow(display_, root_, 0, 0, kTrayIconSize, kTrayIconSize, 0, CopyFromParent,
                                  InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
                // _XEMBED_INFO: protocol version 0, mapped once embedded.
                const long info[2] = {0, 1};
                XChangeProperty(display_, found->xid, Intern("_XEMBED_INFO"), Intern("_XEMBED_INFO"), 32,
                                PropModeReplace, reinterpret_cast<const unsigned char*>(info), 2);
            }
            found->manager = manager;
            XEvent dock{};
            dock.xclient.type = ClientMessage;
            dock.xclient.window = manager;
            dock.xclient.message_type = Intern("_NET_SYSTEM_TRAY_OPCODE");
            dock.xclient.format = 32;
            dock.xclient.data.l[0] = CurrentTime;
            dock.xclient.data.l[1] = kSystemTrayRequestDock;
            dock.xclient.data.l[2] = static_cast<long>(found->xid);
            XSendEvent(display_, manager, False, NoEventMask, &dock);
        }
        if (found->icon != icon.icon) {
            found->icon = icon.icon;
            found->pixels = IconPixels(icon.icon, kTrayIconSize);
            XClearArea(display_, found->xid, 0, 0, 0, 0, True);  // paints again through Expose
        }
        if (found->tip != icon.tip) {
            found->tip = icon.tip;
            XChangeProperty(display_, found->xid, atoms.netWmName, atoms.utf8String, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(found->tip.data()),
                            static_cast<int>(found->tip.size()));
        }
    }
}

TrayMirror* Backend::TrayMirrorOf(::Window xid) {
    for (auto& t : trayMirrors_)
        if (t.xid == xid) return &t;
    return nullptr;
}

// The icon's opaque pixels over the tray's own background, centred in whatever size it gave us.
void Backend::PaintTrayIcon(TrayMirror& t) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display_, t.xid, &attributes) || t.pixels.empty()) return;
    XClearWindow(display_, t.xid);
    const int left = (attributes.width - kTrayIconSize) / 2, top = (attributes.height - kTrayIconSize) / 2;
    GC gc = XCreateGC(display_, t.xid, 0, nullptr);
    for (int y = 0; y < kTrayIconSize; ++y)
        for (int x = 0; x < kTrayIconSize; ++x) {
            const uint32_t pixel = t.pixels[static_cast<size_t>(y * kTrayIconSize + x)];
            if (!(pixel >> 24)) continue;
            XColor colour{};
            colour.red = static_cast<unsigned short>(((pixel >> 16) & 0xFF) * 257);
            colour.green = static_cast<unsigned short>(((pixel >> 8) & 0xFF) * 257);
            colour.blue = static_cast<unsigned short>((pixel & 0xFF) * 257);
            if (!XAllocColor(display_, DefaultColormap(display_, screen_), &colour)) continue;
            XSetForeground(display_, gc, colour.pixel);
            XDrawPoint(display_, t.xid, gc, left + x, top + y);
        }
    XFreeGC(display_, gc);
}

void Backend::TrayButton(TrayMirror& t, const XButtonEvent& event, bool down) {
    UINT message = 0;
    switch (event.button) {
        case Button1:
            message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            break;
        case Button2:
            message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
        case Button3:
            message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
        default:
            return;
    }
    testing::ClickTrayIcon(t.window, t.id, message);
}

}  // namespace win32::display::x11
