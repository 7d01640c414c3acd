// Injected input: mouse and keyboard events enter the input queue as a user's would. The target
// window is decided when the UI thread retrieves the event (capture, else the window under the
// cursor; keys go to the focus window), with time and position stamped at injection.
#pragma once

#include <string_view>

#include "win32/types.h"

namespace win32::input {

enum class Button : uint8_t { Left, Right, Middle, X1, X2 };

// Modifier keys held around a key press.
enum ShiftState : unsigned {
    None = 0,
    Shift = 1,
    Ctrl = 2,
    Alt = 4,
};

// Screen coordinates; the cursor is kept inside the clip rectangle and the screen.
void MoveMouse(int x, int y);
void PressButton(Button button);
void ReleaseButton(Button button);
// Moves there, then presses and releases.
void Click(int x, int y, Button button = Button::Left);
// Two clicks at the same place, no time between them.
void DoubleClick(int x, int y, Button button = Button::Left);
void KeyDown(int virtualKey);
void KeyUp(int virtualKey);
// Presses the modifiers, the key, and releases them in reverse order.
void PressKey(int virtualKey, unsigned shiftState = None);
// Types UTF-8 text: characters on the US layout as key strokes (with Shift where needed), others
// as VK_PACKET strokes that TranslateMessage turns into their WM_CHAR.
void TypeText(std::string_view utf8);
// A wheel turn (WHEEL_DELTA = 120 per notch, positive away from the user).
void Wheel(int delta);

}  // namespace win32::input
