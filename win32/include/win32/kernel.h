// Kernel services of the platform layer: the clock, sleeping and the per-thread error code.
#pragma once

#include <cstddef>
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

// ---------------------------------------------------------------------------------------------
// Waitable events
//
// Event objects with the Win32 rules. Time-outs follow the platform clock: under the manual clock a
// wait ends with WAIT_TIMEOUT only when the clock is moved past its deadline (AdvanceClock, or Sleep
// on another thread), never because real time passed. Event handles are closed with CloseHandle.

inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
inline constexpr DWORD WAIT_ABANDONED = 0x00000080;
inline constexpr DWORD WAIT_TIMEOUT = 0x00000102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// A named event already open elsewhere is opened again (GetLastError gives ERROR_ALREADY_EXISTS and
// the initial state is ignored). Names are case-sensitive.
HANDLE CreateEvent(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, const char* lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
// A signalled auto-reset event is reset by the wait that sees it.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// Closes event and file handles alike.
BOOL CloseHandle(HANDLE hObject);

// ---------------------------------------------------------------------------------------------

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

// Threads now blocked in a wait with a time-out under the manual clock.
size_t ClockWaiters();
// Blocks until at least `count` threads wait for the manual clock, so that a test moves the clock
// only once a worker sleeps. `limitMilliseconds` of real time bound the wait against a fault that
// would hang the test; false when the limit passed first.
bool WaitForClockWaiters(size_t count, DWORD limitMilliseconds = 10000);

}  // namespace testing

}  // namespace win32
