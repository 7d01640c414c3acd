// The autostart entry of a program: where it goes, how its Exec is quoted, and that the desktop
// file tools take it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/tempdir.h"
#include "win32/errors.h"
#include "win32/kernel.h"
#include "win32/shell.h"

namespace {

using namespace win32;

class Autostart : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) previous_ = old, hadPrevious_ = true;
        ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    }
    void TearDown() override {
        if (hadPrevious_)
            ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        win32::testing::ResetPlatform();
    }

    // desktop-file-validate's verdict: empty when it found nothing to say.
    static std::string Validate(const std::string& path) {
        const std::string command = "desktop-file-validate '" + path + "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return "cannot run desktop-file-validate";
        std::string output;
        char buffer[512];
        while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, got);
        const int status = ::pclose(pipe);
        if (status != 0 && output.empty()) output = "desktop-file-validate failed";
        return output;
    }

    static std::string ExecLine(const std::string& path) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("Exec=", 0) == 0) return line.substr(5);
        return {};
    }

    zyltest::TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

TEST_F(Autostart, ExecArgumentsAreQuotedAndEscapedByTheDesktopEntryRules) {
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/bin/plain", "/usr/bin/plain"}, {"/opt/My Apps/run", "\"/opt/My Apps/run\""},
        {"/opt/a$b", "\"/opt/a\\\\$b\""},     {"/opt/a`b", "\"/opt/a\\\\`b\""},
        {"/opt/a\\b", "\"/opt/a\\\\\\\\b\""}, {"/opt/50%", "/opt/50%%"},
        {"/opt/it's", "\"/opt/it's\""},       {"", "\"\""},
    };
    for (const auto& [argument, expected] : cases)
        EXPECT_EQ(DesktopEntryExecArgument(argument), expected) << argument;
}

TEST_F(Autostart, EntryForAPathWithBlanksValidatesAndIsRemoved) {
    const std::string program = "/opt/My Apps/run $x%1 (it's).bin";
    ASSERT_TRUE(SetAutostartEntry("Zyl Demo", program.c_str())) << GetLastError();
    const std::string path = AutostartEntryPath("Zyl Demo");
    EXPECT_EQ(path, dir_.File("config") + "/autostart/Zyl Demo.desktop");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ExecLine(path), "\"/opt/My Apps/run \\\\$x%%1 (it's).bin\"");
    EXPECT_EQ(Validate(path), "");

    // Writing again replaces the entry; removing twice is no error.
    ASSERT_TRUE(SetAutostartEntry("Zyl Demo", "/usr/bin/plain"));
    EXPECT_EQ(ExecLine(path), "/usr/bin/plain");
    EXPECT_EQ(Validate(path), "");
    EXPECT_TRUE(RemoveAutostartEntry("Zyl Demo"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(RemoveAutostartEntry("Zyl Demo"));
}

TEST_F(Autostart, BadNamesAndUnwritableFoldersFail) {
    for (const char* name : {"", ".", "..", "../escape", "a/b", "tab\there"}) {
        EXPECT_FALSE(SetAutostartEntry(name, "/usr/bin/plain")) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
        EXPECT_EQ(AutostartEntryPath(name), "") << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("escape.desktop")));
    // The configuration folder is a file: the entry cannot be written, and the caller hears it.
    std::ofstream(dir_.File("blocked")) << "x";
    ::setenv("XDG_CONFIG_HOME", dir_.File("blocked").c_str(), 1);
    SetLastError(0);
    EXPECT_FALSE(SetAutostartEntry("Zyl Demo", "/usr/bin/plain"));
    EXPECT_NE(GetLastError(), 0u);
}

}  // namespace
