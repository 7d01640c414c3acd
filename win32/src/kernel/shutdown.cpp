// Ending the session as platform state: the process token's shut-down privilege and the requests of
// ExitWindowsEx, which are recorded and go no further. A program that really wants to end the
// session would need a back end of its own; none is built in, so nothing here can reach the machine.
#include <map>
#include <mutex>
#include <string_view>

#include "files/files_internal.h"
#include "kernel/sync_internal.h"
#include "win32/errors.h"
#include "win32/kernel.h"
#include "win32/shutdown.h"

namespace win32 {

namespace shutdown {

// The pseudo handle of the current process, as the system's own.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(~UINT_PTR{0});
constexpr LUID kShutdownLuid{19, 0};
constexpr UINT kKnownFlags = EWX_SHUTDOWN | EWX_REBOOT | EWX_FORCE | EWX_POWEROFF;

struct State {
    std::mutex mutex;
    std::map<UINT_PTR, DWORD> tokens;  // handle value -> access
    bool privilegeEnabled = false;
    DWORD refusal = 0;
    std::vector<testing::ExitRequest> requests;
};

State& Shutdown() {
    static State* state = new State;
    return *state;
}

bool IsShutdownLuid(const LUID& luid) {
    return luid.LowPart == kShutdownLuid.LowPart && luid.HighPart == kShutdownLuid.HighPart;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

void ResetShutdown() {
    auto& s = Shutdown();
    std::lock_guard lock(s.mutex);
    s.tokens.clear();
    s.privilegeEnabled = false;
    s.refusal = 0;
    s.requests.clear();
}

const bool shutdownReset = (testing::AddResetHook(ResetShutdown), true);

}  // namespace shutdown

namespace kernel {

bool CloseToken(HANDLE handle) {
    auto& s = shutdown::Shutdown();
    std::lock_guard lock(s.mutex);
    return s.tokens.erase(HandleValue(handle)) > 0;
}

}  // namespace kernel

HANDLE GetCurrentProcess() {
    return shutdown::kCurrentProcess;
}

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) {
    using namespace shutdown;
    if (process != kCurrentProcess || !token) return Fail(ERROR_INVALID_HANDLE);
    auto& s = Shutdown();
    std::lock_guard lock(s.mutex);
    const UINT_PTR value = files::NextHandleValue();
    s.tokens[value] = desiredAccess;
    *token = MakeHandle<HANDLE>(value);
    return TRUE;
}

BOOL LookupPrivilegeValue(const char* systemName, const char* name, LUID* luid) {
    using namespace shutdown;
    if (!name || !luid) return Fail(ERROR_INVALID_PARAMETER);
    if (systemName && *systemName) return Fail(ERROR_NOT_SUPPORTED);
    if (std::string_view(name) != SE_SHUTDOWN_NAME) return Fail(ERROR_NO_SUCH_PRIVILEGE);
    *luid = kShutdownLuid;
    return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAllPrivileges, const TOKEN_PRIVILEGES* newState,
                           DWORD bufferLength, TOKEN_PRIVILEGES* previousState, DWORD* returnLength) {
    using namespace shutdown;
    auto& s = Shutdown();
    std::lock_guard lock(s.mutex);
    auto found = s.tokens.find(HandleValue(token));
    if (found == s.tokens.end()) return Fail(ERROR_INVALID_HANDLE);
    if (!(found->second & TOKEN_ADJUST_PRIVILEGES)) return Fail(ERROR_ACCESS_DENIED);
    if (!disableAllPrivileges && !newState) return Fail(ERROR_INVALID_PARAMETER);
    if (!disableAllPrivileges && newState->PrivilegeCount > 1) return Fail(ERROR_INVALID_PARAMETER);
    if (!disableAllPrivileges && newState->PrivilegeCount == 1 &&
        !IsShutdownLuid(newState->Privileges[0].Luid))
        return Fail(ERROR_NO_SUCH_PRIVILEGE);
    if (previousState) {
        if (bufferLength < sizeof(TOKEN_PRIVILEGES)) {
            if (returnLength) *returnLength = sizeof(TOKEN_PRIVILEGES);
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        previousState->PrivilegeCount = 1;
        previousState->Privileges[0] = {kShutdownLuid, s.privilegeEnabled ? SE_PRIVILEGE_ENABLED : 0};
        if (returnLength) *returnLength = sizeof(TOKEN_PRIVILEGES);
    }
    if (disableAllPrivileges)
        s.privilegeEnabled = false;
    else if (newState->PrivilegeCount == 1)
        s.privilegeEnabled = (newState->Privileges[0].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL ExitWindowsEx(UINT flags, DWORD reason) {
    using namespace shutdown;
    auto& s = Shutdown();
    std::lock_guard lock(s.mutex);
    if (flags & ~kKnownFlags) return Fail(ERROR_INVALID_PARAMETER);
    if ((flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) && !s.privilegeEnabled)
        return Fail(ERROR_PRIVILEGE_NOT_HELD);
    if (s.refusal) return Fail(s.refusal);
    s.requests.push_back({flags, reason});
    return TRUE;
}

namespace testing {

std::vector<ExitRequest> ExitRequests() {
    auto& s = shutdown::Shutdown();
    std::lock_guard lock(s.mutex);
    return s.requests;
}

bool ShutdownPrivilegeEnabled() {
    auto& s = shutdown::Shutdown();
    std::lock_guard lock(s.mutex);
    return s.privilegeEnabled;
}

void RefuseExitWindows(DWORD error) {
    auto& s = shutdown::Shutdown();
    std::lock_guard lock(s.mutex);
    s.refusal = error;
}

}  // namespace testing

}  // namespace win32
