// State shared by the control and form units: the window-to-control map, the capture control and
// the application's bookkeeping that must forget a control when it goes.
#pragma once

#include <string_view>
#include <unordered_map>

#include "vcl/controls.h"

namespace vcl::detail {

// Windows the framework made, by handle.
std::unordered_map<win32::HWND, TWinControl*>& ControlWindows();
// Forgets every global reference to a control that is being destroyed.
void ControlGoing(TControl* control);
// The graphic control that holds the capture through its parent's window.
TControl*& CaptureControlRef();
// Device contexts of control canvases taken outside painting, given back after each message.
void RegisterCanvasDC(TControlCanvas* canvas);
void UnregisterCanvasDC(TControlCanvas* canvas);
void FreeDeviceContexts();
// The hint and mouse-tracking bookkeeping of the application.
void ApplicationForgetControl(TControl* control);
void ScreenForgetControl(TControl* control);
// Ends a drag whose source is the control, and forgets it as a drop target.
void DragForgetControl(TControl* control);
// Sends CM_MOUSELEAVE / CM_MOUSEENTER when the control under the cursor changed.
void TrackMouseControl();

// The NUL-terminated text a message carries in lParam (none for a null pointer).
inline std::string_view MessageText(win32::LPARAM lParam) {
    const auto* text = reinterpret_cast<const char*>(lParam);
    return text ? std::string_view(text) : std::string_view();
}

}  // namespace vcl::detail
