// Ending the session is platform state: requests are recorded, and those that would stop the
// machine need the shut-down privilege held at that moment.
#include <gtest/gtest.h>

#include "win32/errors.h"
#include "win32/files.h"
#include "win32/kernel.h"
#include "win32/shutdown.h"

namespace {

using namespace win32;

class ExitRequests : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::ResetPlatform(); }
    void TearDown() override { win32::testing::ResetPlatform(); }

    static BOOL SetShutdownPrivilege(HANDLE token, bool enabled) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        if (!LookupPrivilegeValue(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return FALSE;
        privileges.Privileges[0].Attributes = enabled ? SE_PRIVILEGE_ENABLED : 0;
        return AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
};

TEST_F(ExitRequests, StoppingTheMachineNeedsThePrivilegeLoggingOffDoesNot) {
    EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0));
    EXPECT_TRUE(ExitWindowsEx(EWX_FORCE, 0));
    for (UINT flags : {EWX_SHUTDOWN, EWX_REBOOT, EWX_POWEROFF}) {
        SetLastError(0);
        EXPECT_FALSE(ExitWindowsEx(flags, 0)) << flags;
        EXPECT_EQ(GetLastError(), ERROR_PRIVILEGE_NOT_HELD);
    }
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    ASSERT_TRUE(SetShutdownPrivilege(token, true));
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 7));
    ASSERT_TRUE(SetShutdownPrivilege(token, false));
    EXPECT_FALSE(ExitWindowsEx(EWX_POWEROFF, 0));
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_FALSE(CloseHandle(token));

    const auto requests = win32::testing::ExitRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].flags, EWX_LOGOFF);
    EXPECT_EQ(requests[1].flags, EWX_FORCE);
    EXPECT_EQ(requests[2].flags, EWX_REBOOT);
    EXPECT_EQ(requests[2].reason, 7u);
}

TEST_F(ExitRequests, BadTokensNamesAndFlagsAreRefused) {
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_ADJUST_PRIVILEGES, &token));
    // A token opened only to look cannot change privileges.
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    EXPECT_FALSE(SetShutdownPrivilege(token, true));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(win32::testing::ShutdownPrivilegeEnabled());
    CloseHandle(token);
    EXPECT_FALSE(SetShutdownPrivilege(token, true));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    LUID luid{};
    EXPECT_FALSE(LookupPrivilegeValue(nullptr, "SeDebugPrivilege", &luid));
    EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_PRIVILEGE);
    EXPECT_FALSE(ExitWindowsEx(0x100, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    win32::testing::RefuseExitWindows(ERROR_NOT_READY);
    EXPECT_FALSE(ExitWindowsEx(EWX_LOGOFF, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
    EXPECT_TRUE(win32::testing::ExitRequests().empty());
}

}  // namespace
