// Links between the clock, the file handles, the waitable events and the tokens of the kernel unit.
#pragma once

#include <cstdint>

#include "win32/types.h"

namespace win32::kernel {

// The clock moved or changed mode: waiters look at it again.
void ClockMoved();

// A millisecond count that follows the clock in use but does not jump when the manual clock is set
// anew or the real clock takes over, so a wait keeps its remaining time; `manual` tells which runs.
int64_t ContinuousTicks(bool* manual);

// Closes an event handle; false (error untouched) when the handle is no event.
bool CloseWaitable(HANDLE handle);
// Closes a process token handle; false (error untouched) when the handle is no token.
bool CloseToken(HANDLE handle);

}  // namespace win32::kernel
