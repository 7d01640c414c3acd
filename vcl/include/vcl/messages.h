// The framework's message record and object instances: window procedures that call a method.
#pragma once

#include <functional>

#include "win32/messages.h"

namespace vcl {

struct TMessage {
    win32::UINT Msg;
    win32::WPARAM WParam;
    win32::LPARAM LParam;
    win32::LRESULT Result;
};

using TWndMethod = std::function<void(TMessage&)>;

// The number of object instances that can exist at once.
inline constexpr size_t MaxObjectInstances = 4096;

// A window procedure (a distinct function address) that calls `method` with the message; the method
// sets Result. Raises EOutOfResources when every instance is in use.
win32::WNDPROC MakeObjectInstance(TWndMethod method);
// Releases an instance. One still referenced by a window's procedure chain keeps forwarding to the
// procedure it replaced there (or DefWindowProc) and is reused only once no window refers to it.
// Unknown or already freed procedures are ignored.
void FreeObjectInstance(win32::WNDPROC proc);

// A hidden window of its own whose messages go to `method` (which sets Result, typically through
// DefWindowProc for what it does not handle): for components that need a window handle without a
// control, such as a tray icon's callback target or a timer's. A hidden top-level tool window of
// class "TPUtilWindow", so that it can also be made the foreground window (a tray menu needs that
// to hear the keyboard). Raises EOutOfResources when it cannot be made.
win32::HWND AllocateHWnd(TWndMethod method);
// Destroys a window from AllocateHWnd and releases its method; other handles are ignored.
void DeallocateHWnd(win32::HWND window);

}  // namespace vcl
