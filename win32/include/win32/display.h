// Where the desktop is shown. Headless by default: every window paints into memory and input is
// injected. With ZYL_DISPLAY=x11 (read when the first window is created) the desktop's top-level
// windows appear as real windows on the X server that DISPLAY names, and the server's mouse,
// keyboard, clipboard and tray reach the program as a user's input.
#pragma once

#include <string>

#include "win32/types.h"

namespace win32::display {

// "headless" or the live back end's name ("x11").
std::string Name();
bool IsLive();
// Opens the X11 back end on `displayName` (nullptr: DISPLAY) before the first window is created;
// false with the reason in `error` when the server cannot be reached or a window already exists.
bool OpenX11(const char* displayName, std::string* error);

// Live display only (false when headless):
// Uploads through MIT-SHM (the default where the server offers it) or through XPutImage; false
// when shared memory was asked for and cannot be had.
bool UseSharedMemory(bool enabled);
// Sends the whole shown part of the top-level window `hwnd` to the server again and waits until
// the server has it.
bool RefreshWindow(HWND hwnd);

}  // namespace win32::display
