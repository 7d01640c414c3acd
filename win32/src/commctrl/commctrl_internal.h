// What the common controls' units share: each control registers its own window class.
#pragma once

namespace win32::commctrl {

void RegisterAnimateClass();

}  // namespace win32::commctrl
