// System facts: processors, reported version, memory, names, environment and command line.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstring>

#include "win32/files.h"
#include "win32/sysinfo.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

class SystemFactsTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("ZYL_TEST_VARIABLE");
        unsetenv("ZYL_OTHER");
        wt::ResetPlatform();
    }
};

TEST_F(SystemFactsTest, SystemInfoComesFromTheMachine) {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    EXPECT_EQ(info.dwPageSize, static_cast<DWORD>(sysconf(_SC_PAGESIZE)));
    EXPECT_EQ(info.dwNumberOfProcessors, static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN)));
    EXPECT_NE(info.dwActiveProcessorMask, 0u);
    EXPECT_EQ(info.dwAllocationGranularity, 65536u);
#if defined(__x86_64__)
    EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_AMD64);
#endif
}

TEST_F(SystemFactsTest, ReportedVersionIsConfigurable) {
    OSVERSIONINFO info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionEx(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(info.dwBuildNumber, 2195u);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(GetVersion(), 5u | (2195u << 16));
    wt::SetReportedVersion(4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS, "A");
    ASSERT_TRUE(GetVersionEx(&info));
    EXPECT_EQ(info.dwMinorVersion, 10u);
    EXPECT_STREQ(info.szCSDVersion, "A");
    EXPECT_EQ(GetVersion(), 0x80000000u | (1998u << 16) | (10u << 8) | 4u);
    info.dwOSVersionInfoSize = 20;
    EXPECT_FALSE(GetVersionEx(&info));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    wt::ResetPlatform();
    EXPECT_EQ(GetVersion() & 0xFF, 5u);
}

TEST_F(SystemFactsTest, MemoryStatusIsConsistent) {
    MEMORYSTATUS status{};
    GlobalMemoryStatus(&status);
    EXPECT_EQ(status.dwLength, sizeof status);
    EXPECT_GT(status.dwTotalPhys, 0u);
    EXPECT_LE(status.dwAvailPhys, status.dwTotalPhys);
    EXPECT_GE(status.dwTotalPageFile, status.dwTotalPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
}

TEST_F(SystemFactsTest, UserAndComputerNames) {
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserName(name, &size));
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(name, entry->pw_name);
    EXPECT_EQ(size, std::strlen(name) + 1);
    DWORD tiny = 1;
    EXPECT_FALSE(GetUserName(name, &tiny));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tiny, std::strlen(entry->pw_name) + 1);
    char computer[MAX_COMPUTERNAME_LENGTH + 1];
    size = sizeof computer;
    ASSERT_TRUE(GetComputerName(computer, &size));
    EXPECT_EQ(size, std::strlen(computer));
    EXPECT_LE(size, MAX_COMPUTERNAME_LENGTH);
    for (const char* c = computer; *c; ++c)
        EXPECT_FALSE(*c >= 'a' && *c <= 'z');
    tiny = 0;
    EXPECT_FALSE(GetComputerName(computer, &tiny));
    EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
}

TEST_F(SystemFactsTest, EnvironmentVariables) {
    ASSERT_TRUE(SetEnvironmentVariable("ZYL_TEST_VARIABLE", "value 1"));
    char buffer[32];
    EXPECT_EQ(GetEnvironmentVariable("ZYL_TEST_VARIABLE", buffer, sizeof buffer), 7u);
    EXPECT_STREQ(buffer, "value 1");
    EXPECT_EQ(GetEnvironmentVariable("zyl_test_variable", buffer, sizeof buffer), 7u);
    EXPECT_EQ(GetEnvironmentVariable("ZYL_TEST_VARIABLE", buffer, 3), 8u);
    ASSERT_TRUE(SetEnvironmentVariable("ZYL_TEST_VARIABLE", nullptr));
    EXPECT_EQ(GetEnvironmentVariable("ZYL_TEST_VARIABLE", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
    EXPECT_FALSE(SetEnvironmentVariable("A=B", "x"));
    EXPECT_FALSE(SetEnvironmentVariable("", "x"));
}

struct ExpandCase {
    const char* source;
    const char* expanded;
};

class ExpandTest : public SystemFactsTest, public ::testing::WithParamInterface<ExpandCase> {};

TEST_P(ExpandTest, ReplacesKnownNames) {
    setenv("ZYL_TEST_VARIABLE", "abc", 1);
    setenv("ZYL_OTHER", "%ZYL_TEST_VARIABLE%", 1);
    const ExpandCase& c = GetParam();
    char buffer[128];
    const DWORD size = ExpandEnvironmentStrings(c.source, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, c.expanded) << c.source;
    EXPECT_EQ(size, std::strlen(c.expanded) + 1);
    char tiny[2] = {'#', '#'};
    EXPECT_EQ(ExpandEnvironmentStrings(c.source, tiny, sizeof tiny), size);
}

INSTANTIATE_TEST_SUITE_P(Table, ExpandTest,
                         ::testing::Values(ExpandCase{"%ZYL_TEST_VARIABLE%", "abc"},
                                           ExpandCase{"x%zyl_test_variable%y", "xabcy"},
                                           ExpandCase{"%ZYL_MISSING%", "%ZYL_MISSING%"},
                                           ExpandCase{"%ZYL_MISSING%ZYL_TEST_VARIABLE%", "%ZYL_MISSINGabc"},
                                           ExpandCase{"100%", "100%"}, ExpandCase{"%%", "%%"},
                                           ExpandCase{"%ZYL_OTHER%", "%ZYL_TEST_VARIABLE%"},
                                           ExpandCase{"", ""}));

TEST_F(SystemFactsTest, CommandLineStartsWithTheProgram) {
    const std::string line = GetCommandLine();
    ASSERT_FALSE(line.empty());
    EXPECT_NE(line.find("win32_tests"), std::string::npos);
    EXPECT_EQ(GetCommandLine(), GetCommandLine());
}

}  // namespace
