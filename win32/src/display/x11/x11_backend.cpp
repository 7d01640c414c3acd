// The X11 back end: the connection, the screen it reports, and the loop that waits on the
// connection and the platform's own wake-ups together.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gdi/dc_internal.h"
#include "win32/user.h"

// Xlib last: see x11_internal.h.
#include "display/x11/x11_internal.h"

#include <X11/XKBlib.h>
#ifdef ZYL_HAVE_XRANDR
#include <X11/extensions/Xrandr.h>
#endif

namespace win32::display::x11 {

namespace {

// Requests the server refuses (a window gone meanwhile, focus on an unviewable window, a shared
// segment it cannot attach) are expected in a live session: they are counted, never fatal.
int lastErrorCode = 0;

int RecordError(Display*, XErrorEvent* event) {
    lastErrorCode = event->error_code;
    return 0;
}

}  // namespace

int TakeLastError() {
    const int code = lastErrorCode;
    lastErrorCode = 0;
    return code;
}

Backend* OpenBackend(const char* displayName, std::string* error) {
    return Backend::Open(displayName, error);
}

Backend* Backend::Open(const char* displayName, std::string* error) {
    std::unique_ptr<Backend> backend(new Backend);
    if (!backend->Connect(displayName, error)) return nullptr;
    return backend.release();
}

Atom Backend::Intern(const char* name) {
    return XInternAtom(display_, name, False);
}

bool Backend::Connect(const char* displayName, std::string* error) {
    const char* name = displayName ? displayName : std::getenv("DISPLAY");
    if (!name || !*name) {
        *error = "DISPLAY is not set";
        return false;
    }
    display_ = XOpenDisplay(name);
    if (!display_) {
        *error = std::string("cannot connect to X server ") + name;
        return false;
    }
    XSetErrorHandler(RecordError);
    screen_ = DefaultScreen(display_);
    root_ = RootWindow(display_, screen_);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        *error = std::string("eventfd: ") + std::strerror(errno);
        return false;
    }
    auto& a = atoms;
    a.wmProtocols = Intern("WM_PROTOCOLS");
    a.wmDeleteWindow = Intern("WM_DELETE_WINDOW");
    a.netWmPing = Intern("_NET_WM_PING");
    a.netWmName = Intern("_NET_WM_NAME");
    a.netWmIcon = Intern("_NET_WM_ICON");
    a.utf8String = Intern("UTF8_STRING");
    a.text = Intern("TEXT");
    a.targets = Intern("TARGETS");
    a.clipboard = Intern("CLIPBOARD");
    a.motifHints = Intern("_MOTIF_WM_HINTS");
    a.netWmWindowType = Intern("_NET_WM_WINDOW_TYPE");
    a.typeNormal = Intern("_NET_WM_WINDOW_TYPE_NORMAL");
    a.typeDialog = Intern("_NET_WM_WINDOW_TYPE_DIALOG");
    a.typeMenu = Intern("_NET_WM_WINDOW_TYPE_POPUP_MENU");
    a.typeDropdown = Intern("_NET_WM_WINDOW_TYPE_DROPDOWN_MENU");
    a.typeTooltip = Intern("_NET_WM_WINDOW_TYPE_TOOLTIP");
    a.typeUtility = Intern("_NET_WM_WINDOW_TYPE_UTILITY");
    a.netActiveWindow = Intern("_NET_ACTIVE_WINDOW");
    a.netWmPid = Intern("_NET_WM_PID");
    a.netSupportingWmCheck = Intern("_NET_SUPPORTING_WM_CHECK");
    a.netWorkarea = Intern("_NET_WORKAREA");
    a.zylSelection = Intern("ZYL_SELECTION");
    a.incr = Intern("INCR");

    // A hidden window of our own: selection owner and target of conversions.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = PropertyChangeMask;
    helper_ = XCreateWindow(display_, root_, -10, -10, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                            CWOverrideRedirect | CWEventMask, &attributes);

    // Held keys repeat as presses alone, as the platform's own repeat counts expect.
    XkbSetDetectableAutoRepeat(display_, True, nullptr);
    // Text comes through the input method when the locale gives one.
    if (!std::setlocale(LC_CTYPE, "")) std::setlocale(LC_CTYPE, "C.UTF-8");
    if (XSupportsLocale()) {
        XSetLocaleModifiers("");
        inputMethod_ = XOpenIM(display_, nullptr, nullptr, nullptr);
    }
    // A system tray that starts later announces itself to the root window (MANAGER).
    XSelectInput(display_, root_, PropertyChangeMask | StructureNotifyMask);
    uploader_ = std::make_unique<Uploader>(display_, screen_);
    ReadScreen();
    XFlush(display_);
    return true;
}

// The screen's size, work area and resolution as the server (RandR, else the core protocol) and
// the window manager report them.
void Backend::ReadScreen() {
    const int width = DisplayWidth(display_, screen_);
    const int height = DisplayHeight(display_, screen_);
    const int widthMm = DisplayWidthMM(display_, screen_);
    double dpi = widthMm > 0 ? width * 25.4 / widthMm : 96.0;
#ifdef ZYL_HAVE_XRANDR
    // The primary output's physical size gives the resolution the user sees.
    int eventBase = 0, errorBase = 0;
    if (XRRQueryExtension(display_, &eventBase, &errorBase)) {
        if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root_)) {
            const RROutput primary = XRRGetOutputPrimary(display_, root_);
            for (int i = 0; i < resources->noutput; ++i) {
                if (primary && resources->outputs[i] != primary) continue;
                XRROutputInfo* info = XRRGetOutputInfo(display_, resources, resources->outputs[i]);
                bool found = false;
                if (info && info->connection == RR_Connected && info->crtc && info->mm_width > 0) {
                    if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources, info->crtc)) {
                        if (crtc->width > 0) {
                            dpi = crtc->width * 25.4 / static_cast<double>(info->mm_width);
                            found = true;
                        }
                        XRRFreeCrtcInfo(crtc);
                    }
                }
                if (info) XRRFreeOutputInfo(info);
                if (found) break;
            }
            XRRFreeScreenResources(resources);
        }
    }
#endif
    testing::SetScreenSize(width, height);
    if (dpi >= 24 && dpi <= 960) gdi::SetScreenLogPixels(static_cast<int>(std::lround(dpi)));

    // A window manager says it runs through _NET_SUPPORTING_WM_CHECK and publishes the work area.
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    windowManager_ = XGetWindowProperty(display_, root_, atoms.netSupportingWmCheck, 0, 1, False, XA_WINDOW,
                                        &type, &format, &count, &after, &data) == Success &&
                     count == 1;
    if (data) XFree(data);
    data = nullptr;
    if (XGetWindowProperty(display_, root_, atoms.netWorkarea, 0, 4, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        count == 4 && format == 32) {
        const auto* values = reinterpret_cast<const long*>(data);
        RECT work{static_cast<LONG>(values[0]), static_cast<LONG>(values[1]),
                  static_cast<LONG>(values[0] + values[2]), static_cast<LONG>(values[1] + values[3])};
        SystemParametersInfo(SPI_SETWORKAREA, 0, &work, 0);
    }
    if (data) XFree(data);
}

Backend::~Backend() {
    for (auto& m : mirrors_)
        DestroyMirror(m);
    for (auto& [xid, context] : inputContexts_)
        XDestroyIC(context);
    if (inputMethod_) XCloseIM(inputMethod_);
    for (auto& [handle, cursor] : cursors_)
        XFreeCursor(display_, cursor);
    uploader_.reset();
    if (display_) XCloseDisplay(display_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

::Window Backend::XWindowOf(HWND hwnd) const {
    for (const auto& m : mirrors_)
        if (m.hwnd == hwnd) return m.xid;
    return 0;
}

void Backend::Wake() {
    const uint64_t one = 1;
    // A full counter already wakes the poll: a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

bool Backend::HandleArrivedEvents() {
    bool any = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        any = true;
        if (XFilterEvent(&event, 0)) continue;
        HandleEvent(event);
    }
    ApplyReports();
    return any;
}

void Backend::Pump() {
    HandleArrivedEvents();
}

void Backend::Wait(long long milliseconds) {
    // Events that came in since the caller's sync (read along with a reply, say) may ask for one
    // again: an exposure, a tray that appeared. The caller syncs before it comes back to wait.
    if (HandleArrivedEvents()) return;
    XFlush(display_);
    if (XPending(display_) > 0) return;
    pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int timeout = milliseconds < 0 ? -1 : static_cast<int>(std::min(milliseconds, 1000000LL));
    if (poll(fds, 2, timeout) > 0 && (fds[1].revents & POLLIN)) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    }
    Pump();
}

void Backend::Sync() {
    SyncWindows();
    SyncStacking();
    SyncPixels();
    SyncActivation();
    SyncCursor();
    SyncGrab();
    SyncTray();
    if (clipboardChanged_) ClipboardChanged();
    XFlush(display_);
}

}  // namespace win32::display::x11
