// The X11 back end's own records, shared by its units. Included after every platform header:
// Xlib's macros (None, Bool, Status, KeyPress, ...) would otherwise reach them. The units are kept
// out of the unity batches for the same reason.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/display.h"
#include "user/user_internal.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace win32::display::x11 {

using gdi::Region;

// One top-level window of the desktop as shown on the server.
struct Mirror {
    HWND hwnd = nullptr;
    ::Window xid = 0;
    bool overrideRedirect = false;
    bool mapRequested = false;
    bool viewable = false;        // MapNotify seen, UnmapNotify not since
    bool iconified = false;       // the window manager took it away (minimized)
    RECT geometry{};              // screen rectangle last sent to (or reported by) the server
    std::vector<RECT> requested;  // places asked for whose ConfigureNotify has not come back yet
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    HICON icon = nullptr;
    // What the server holds of the window, in window coordinates: `known` says where `shadow`
    // (rows of the window's width) matches it. Exposure, a resize or an unmap make parts unknown.
    std::vector<uint32_t> shadow;
    Region known;
    RECT reported{};  // a move or size by the window manager, applied after the events
    bool reportPending = false;
    bool minimizeRequested = false;  // the window manager minimized or restored the window
    bool restoreRequested = false;
};

// A notification-area icon docked in the system tray.
struct TrayMirror {
    HWND window = nullptr;
    UINT id = 0;
    ::Window xid = 0;
    ::Window manager = 0;  // the tray it was docked with
    HICON icon = nullptr;
    std::string tip;
    std::vector<uint32_t> pixels;  // ARGB, transparent where alpha is 0
};

// The icon's pixels at size x size as ARGB words (transparent where its mask says so).
std::vector<uint32_t> IconPixels(HICON icon, int size);

// The pixels of the platform's screen surface on their way to the server.
class Uploader {
public:
    Uploader(Display* display, int screen);
    ~Uploader();
    Uploader(const Uploader&) = delete;
    Uploader& operator=(const Uploader&) = delete;

    // Uploads through a shared segment (where the server and the visual allow) or XPutImage; false
    // when shared memory was asked for and cannot be had.
    bool SetSharedMemory(bool enabled);
    // Copies `rect` (screen coordinates, within the surface) of the surface to the window, whose
    // top-left corner is at `origin` on the screen. Nothing is waited for: Finish() does.
    void Put(::Window window, const gdi::Surface& surface, const RECT& rect, POINT origin);
    // Waits until the server has read what Put handed it (shared memory may then be rewritten).
    void Finish();
    uint64_t PixelsSent() const { return pixelsSent_; }

private:
    bool EnsureSegment(int width, int height);
    void ReleaseSegment();
    void PutConverted(::Window window, const gdi::Surface& surface, const RECT& rect, POINT origin);

    Display* display_;
    int screen_;
    Visual* visual_;
    int depth_;
    GC gc_;
    bool directFormat_ = false;  // the server takes the surface's 0x00RRGGBB words as they are
    XShmSegmentInfo shm_{};
    XImage* shmImage_ = nullptr;
    bool shmPending_ = false;
    uint64_t pixelsSent_ = 0;
};

class Backend final : public display::Backend {
public:
    static Backend* Open(const char* displayName, std::string* error);
    ~Backend() override;

    const char* Name() const override { return "x11"; }
    void Sync() override;
    void Wait(long long milliseconds) override;
    void Pump() override;
    void Wake() override;
    void ClipboardChanged() override;
    bool ForeignClipboardText(std::string* text) override;
    bool UseSharedMemory(bool enabled) override;
    bool RefreshWindow(HWND hwnd) override;

    Display* XDisplay() const { return display_; }
    ::Window XWindowOf(HWND hwnd) const;
    Uploader& Pixels() { return *uploader_; }

private:
    Backend() = default;
    bool Connect(const char* displayName, std::string* error);
    void ReadScreen();
    Atom Intern(const char* name);

    // Windows (x11_windows.cpp)
    void SyncWindows();
    void SyncStacking();
    void SyncActivation();
    void SyncCursor();
    void SyncGrab();
    void CreateMirror(Mirror& m, user::Window* w);
    void DestroyMirror(Mirror& m);
    void ApplyKind(Mirror& m, user::Window* w);
    void ApplyTitle(Mirror& m, user::Window* w);
    void ApplyHints(Mirror& m, user::Window* w);
    void ApplyIcon(Mirror& m, user::Window* w);
    Mirror* MirrorOf(::Window xid);
    void ApplyReports();

    // Pixels (x11_pixels.cpp)
    void SyncPixels();

    // Handles what the connection holds, then what the window manager did; true when anything came.
    bool HandleArrivedEvents();

    // Events (x11_events.cpp)
    void HandleEvent(XEvent& event);
    void HandleKey(XKeyEvent& event, bool down);
    void HandleButton(XButtonEvent& event, bool down);
    void HandleFocus(XFocusChangeEvent& event, bool in);
    void HandleConfigure(XConfigureEvent& event);
    void HandleClientMessage(XClientMessageEvent& event);

    // Tray (x11_tray.cpp)
    ::Window TrayManager();
    void SyncTray();
    TrayMirror* TrayMirrorOf(::Window xid);
    void PaintTrayIcon(TrayMirror& t);
    void TrayButton(TrayMirror& t, const XButtonEvent& event, bool down);

    // Clipboard (x11_clipboard.cpp)
    void HandleSelectionRequest(XSelectionRequestEvent& event);
    void HandleSelectionClear(XSelectionClearEvent& event);

    Display* display_ = nullptr;
    int screen_ = 0;
    ::Window root_ = 0;
    ::Window helper_ = 0;  // owns the selection; receives converted clipboard text
    int wakeFd_ = -1;
    XIM inputMethod_ = nullptr;
    std::map<::Window, XIC> inputContexts_;
    std::unique_ptr<Uploader> uploader_;
    std::vector<Mirror> mirrors_;
    std::vector<TrayMirror> trayMirrors_;
    std::vector<::Window> stacking_;  // last stacking sent, topmost first
    HWND activeSynced_ = nullptr;
    HCURSOR cursorSynced_ = nullptr;
    ::Window grabbed_ = 0;
    std::map<HCURSOR, Cursor> cursors_;
    uint64_t screenWritesSynced_ = ~uint64_t{0};
    bool windowManager_ = false;
    bool pixelsDirty_ = true;           // exposed, moved or sized since the last upload
    std::vector<unsigned> packetKeys_;  // keys held whose text went in as VK_PACKET strokes
    enum class FocusChange : uint8_t { Unchanged, Gained, Lost } focusChange_ = FocusChange::Unchanged;
    HWND focusWindow_ = nullptr;
    bool ownsClipboard_ = false;
    std::atomic<bool> clipboardChanged_{false};  // by another thread, for the UI thread to take up

public:
    struct Atoms {
        Atom wmProtocols, wmDeleteWindow, netWmPing, netWmName, netWmIcon, utf8String, text, targets,
            clipboard, motifHints, netWmWindowType, typeNormal, typeDialog, typeMenu, typeDropdown,
            typeTooltip, typeUtility, netActiveWindow, netWmPid, netSupportingWmCheck, netWorkarea,
            zylSelection, incr;
    } atoms{};
};

// The error code of the last request the server refused since the previous call (0: none).
int TakeLastError();

// Virtual keys for keysyms; 0 when the key has none.
int VirtualKeyForKeysym(KeySym keysym);

}  // namespace win32::display::x11
