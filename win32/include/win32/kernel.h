// Kernel services of the platform layer: the clock, sleeping and the per-thread error code.
#pragma once

#include <functional>
#include <string>

#include "win32/errors.h"
#include "win32/types.h"

namespace win32 {

inline constexpr DWORD INFINITE = 0xFFFFFFFF;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      // 1..12
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// Milliseconds since an arbitrary start; the 32-bit count wraps after 49.7 days.
DWORD GetTickCount();
ULONGLONG GetTickCount64();
// Sleep(0) yields the processor.
void Sleep(DWORD milliseconds);
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTime(SYSTEMTIME* time);

DWORD GetLastError();
void SetLastError(DWORD error);

// The folder that stands for the Windows directory (ini files with relative names, the Windows
// directory of GetWindowsDirectory): ZYL_WINDOWS_DIR, else $XDG_CONFIG_HOME/zyl, else ~/.config/zyl.
// Not created here.
std::string PlatformWindowsDirectory();

// Test control of the clock. Under the manual clock the tick count and the time of day move only
// through AdvanceClock and Sleep, which then returns at once.
namespace testing {

// Starts the manual clock at `localNow` (wDayOfWeek is ignored) with the tick count at 0; UTC is
// local time minus `utcOffsetMinutes`. Raises std::invalid_argument for fields out of range.
void UseManualClock(const SYSTEMTIME& localNow, int utcOffsetMinutes = 0);
void AdvanceClock(DWORD milliseconds);
void UseRealClock();
bool ManualClock();

// Every area of the platform that keeps state (windows, queues, hooks, timers, clipboard, desktop,
// registry connections, drive maps, recorded calls) registers how to return to its fresh state;
// ResetPlatform runs them all, newest first, then returns to the real clock. Tests call it between
// cases.
void AddResetHook(std::function<void()> hook);
void ResetPlatform();
// Points the Windows directory somewhere else (a test's temporary folder); empty restores the default.
void SetWindowsDirectory(const std::string& path);

}  // namespace testing

}  // namespace win32
