// Ending the session: log off, shut down, restart and power off, and the process token privilege
// that the last three need. Requests are recorded as platform state and never reach the machine.
#pragma once

#include <vector>

#include "win32/types.h"

namespace win32 {

inline constexpr UINT EWX_LOGOFF = 0x00000000;
inline constexpr UINT EWX_SHUTDOWN = 0x00000001;
inline constexpr UINT EWX_REBOOT = 0x00000002;
inline constexpr UINT EWX_FORCE = 0x00000004;
inline constexpr UINT EWX_POWEROFF = 0x00000008;

inline constexpr DWORD TOKEN_QUERY = 0x0008;
inline constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
inline constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
inline constexpr const char* SE_SHUTDOWN_NAME = "SeShutdownPrivilege";

inline constexpr DWORD ERROR_NO_SUCH_PRIVILEGE = 1313;
inline constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;

struct LUID {
    DWORD LowPart;
    LONG HighPart;
};

struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};

// A pseudo handle that names the calling process.
HANDLE GetCurrentProcess();
// A handle (closed with CloseHandle) on the process's token; TOKEN_ADJUST_PRIVILEGES lets it change
// privileges. Only the current process is served.
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
// Only SE_SHUTDOWN_NAME is known; other names fail with ERROR_NO_SUCH_PRIVILEGE.
BOOL LookupPrivilegeValue(const char* systemName, const char* name, LUID* luid);
// Enables or disables the privileges listed (one of them at most, the shut-down privilege); the
// previous state goes to `previousState` when given.
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, const TOKEN_PRIVILEGES* newState,
                           DWORD bufferLength, TOKEN_PRIVILEGES* previousState, DWORD* returnLength);
// Records the request. Shutting down, restarting and powering off need the shut-down privilege
// enabled (ERROR_PRIVILEGE_NOT_HELD otherwise); unknown flags give ERROR_INVALID_PARAMETER.
BOOL ExitWindowsEx(UINT flags, DWORD reason);

namespace testing {

struct ExitRequest {
    UINT flags = 0;
    DWORD reason = 0;
};
// The accepted requests since the last reset, in order.
std::vector<ExitRequest> ExitRequests();
// Whether the process holds the shut-down privilege enabled now.
bool ShutdownPrivilegeEnabled();
// Makes the next requests fail with `error` (0 accepts them again), as a session that refuses.
void RefuseExitWindows(DWORD error);

}  // namespace testing

}  // namespace win32
