// The display seam: where the desktop's windows and pixels are shown and where outside input comes
// from. Headless, nothing is attached and every call here returns at once; a live back end mirrors
// the top-level windows to a real window system, uploads the pixels the platform painted and turns
// the window system's events into the platform's own input.
#pragma once

#include <string>

#include "win32/types.h"

namespace win32::display {

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* Name() const = 0;

    // UI thread, with nothing left to do: the window system's windows follow the desktop's
    // top-level windows (place, stacking, caption, kind, activation, cursor, grab) and the pixels
    // that changed since the last call are uploaded.
    virtual void Sync() = 0;
    // UI thread: handles the events that arrived, then waits until the connection has more, Wake()
    // is called, or `milliseconds` pass (-1: no limit).
    virtual void Wait(long long milliseconds) = 0;
    // UI thread: handles the events that arrived, without waiting.
    virtual void Pump() = 0;
    // Any thread: ends a Wait.
    virtual void Wake() = 0;

    // The platform's clipboard took new contents: other programs are offered them.
    virtual void ClipboardChanged() = 0;
    // Text another program holds on the clipboard; false when none does (or this process does).
    virtual bool ForeignClipboardText(std::string* text) = 0;

    // See win32/display.h.
    virtual bool UseSharedMemory(bool enabled) = 0;
    virtual bool RefreshWindow(HWND hwnd) = 0;
};

// The attached back end, nullptr when headless. Set once, before the first window.
Backend* Live();
// Opens the back end that ZYL_DISPLAY names, if any; called when the desktop is created. A back
// end that cannot open leaves the desktop headless and says why on standard error.
void AttachFromEnvironment();
// Wakes the UI thread's Wait, when live.
void WakeLive();
void Attach(Backend* backend);

}  // namespace win32::display
