#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/tempdir.h"
#include "win32/files.h"
#include "win32/profile.h"

namespace {

using namespace win32;
using namespace std::string_literals;

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::SetWindowsDirectory(dir_.File("windows")); }
    void TearDown() override {
        win32::testing::FailNextProfileWrite(-1);
        win32::testing::ResetPlatform();
    }
    std::string File(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        return path_;
    }
    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string Read(const char* section, const char* key, const char* fallback = "<default>") {
        char buffer[256];
        DWORD length = GetPrivateProfileString(section, key, fallback, buffer, sizeof buffer, path_.c_str());
        return std::string(buffer, length);
    }

    zyltest::TempDir dir_;
    std::string path_ = dir_.File("test.ini");
};

TEST_F(ProfileTest, NamesIgnoreCaseAndValuesAreTrimmedAndUnquoted) {
    File(
        "; leading comment\n"
        "[Settings]\n"
        "  Name  =  padded value  \n"
        "Double=\"  quoted  \"\n"
        "Single='x'\n"
        "Mixed=\"a'\n"
        "Inner=a \"b\" c\n"
        "Empty=\n"
        "[settings]\n"
        "Name=second section is shadowed\n");
    EXPECT_EQ(Read("SETTINGS", "name"), "padded value");
    EXPECT_EQ(Read("settings", "DOUBLE"), "  quoted  ");
    EXPECT_EQ(Read("Settings", "Single"), "x");
    EXPECT_EQ(Read("Settings", "Mixed"), "\"a'");
    EXPECT_EQ(Read("Settings", "Inner"), "a \"b\" c");
    EXPECT_EQ(Read("Settings", "Empty"), "");
    EXPECT_EQ(Read("Settings", "Missing", "fallback  "), "fallback") << "the default loses trailing blanks";
    EXPECT_EQ(Read("Missing", "Name"), "<default>");
}

TEST_F(ProfileTest, BuffersTruncateTheWayWin32Does) {
    File("[A]\nkey=abcdef\nk2=x\n[B]\n");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileString("A", "key", "", buffer, 4, path_.c_str()), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(GetPrivateProfileSectionNames(buffer, sizeof buffer, path_.c_str()), 4u);
    EXPECT_EQ(std::string(buffer, 5), "A\0B\0\0"s);
    EXPECT_EQ(GetPrivateProfileString("A", nullptr, "", buffer, sizeof buffer, path_.c_str()), 7u);
    EXPECT_EQ(std::string(buffer, 8), "key\0k2\0\0"s);
    EXPECT_EQ(GetPrivateProfileString("A", nullptr, "", buffer, 5, path_.c_str()), 3u);
    EXPECT_EQ(std::string(buffer, 5), "key\0\0"s);
    EXPECT_EQ(GetPrivateProfileSection("a", buffer, sizeof buffer, path_.c_str()), 14u);
    EXPECT_EQ(std::string(buffer, 16), "key=abcdef\0k2=\0\0"s);
    char large[32];
    EXPECT_EQ(GetPrivateProfileSection("a", large, sizeof large, path_.c_str()), 16u);
    EXPECT_EQ(std::string(large, 17), "key=abcdef\0k2=x\0\0"s);
}

TEST_F(ProfileTest, IntegersReadLeadingDigits) {
    File("[N]\na=42\nb=  -7\nc=12abc\nd=abc\ne=\"99\"\n");
    EXPECT_EQ(GetPrivateProfileInt("N", "a", 5, path_.c_str()), 42u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("N", "b", 5, path_.c_str())), -7);
    EXPECT_EQ(GetPrivateProfileInt("N", "c", 5, path_.c_str()), 12u);
    EXPECT_EQ(GetPrivateProfileInt("N", "d", 5, path_.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileInt("N", "e", 5, path_.c_str()), 99u);
    EXPECT_EQ(GetPrivateProfileInt("N", "missing", 5, path_.c_str()), 5u);
}

TEST_F(ProfileTest, RewritesKeepCommentsAndUnknownLines) {
    File(
        "; header comment\r\n"
        "[One]\r\n"
        "; about a\r\n"
        "A=1\r\n"
        "not an entry\r\n"
        "\r\n"
        "[Two]\r\n"
        "B=2\r\n");
    ASSERT_TRUE(WritePrivateProfileString("one", "a", "10", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("One", "New", "n", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("Three", "C", "3", path_.c_str()));
    EXPECT_EQ(Contents(),
              "; header comment\r\n"
              "[One]\r\n"
              "; about a\r\n"
              "A=10\r\n"
              "not an entry\r\n"
              "New=n\r\n"
              "\r\n"
              "[Two]\r\n"
              "B=2\r\n"
              "[Three]\r\n"
              "C=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("TWO", "b", nullptr, path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("one", nullptr, nullptr, path_.c_str()));
    EXPECT_EQ(Contents(), "; header comment\r\n[Two]\r\n[Three]\r\nC=3\r\n");
}

TEST_F(ProfileTest, RefusedNamesAndValuesLeaveTheFileAlone) {
    File("[S]\nk=v\n");
    struct Case {
        const char *section, *key, *value;
    } cases[] = {{"S", "k", "two\nlines"}, {"S", "k", "cr\rhere"}, {"S]x", "k", "v"}, {"S\n", "k", "v"},
                 {"S", "a=b", "v"},        {"S", "[k", "v"},       {"S", ";k", "v"},  {"S", "  ", "v"}};
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, path_.c_str())) << c.key << c.value;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_FALSE(WritePrivateProfileSection("S", "a=1\0b\nc=2\0"s.c_str(), path_.c_str()));
    EXPECT_EQ(Contents(), "[S]\nk=v\n");
}

TEST_F(ProfileTest, AFailedWriteLeavesTheOldFileWhole) {
    File("[S]\nk=old\n");
    win32::testing::FailNextProfileWrite(5);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "new", path_.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(Contents(), "[S]\nk=old\n");
    size_t entries = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir_.Path()))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
    EXPECT_TRUE(WritePrivateProfileString("S", "k", "new", path_.c_str()));
    EXPECT_EQ(Contents(), "[S]\nk=new\n");
}

TEST_F(ProfileTest, AFileThatCannotBeReadIsNeverRewritten) {
    std::filesystem::create_directory(path_);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", path_.c_str()));
    EXPECT_NE(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::is_directory(path_));
    EXPECT_EQ(Read("S", "k"), "<default>");
}

TEST_F(ProfileTest, RelativeNamesLiveInTheWindowsDirectoryMadeOnFirstWrite) {
    EXPECT_FALSE(std::filesystem::exists(dir_.File("windows")));
    char buffer[16];
    SetLastError(0);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", buffer, sizeof buffer, "app.ini"), 1u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", "app.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir_.File("windows") + "/app.ini"));
    ASSERT_TRUE(WriteProfileString("Desktop", "Wallpaper", "none"));
    EXPECT_EQ(GetProfileString("desktop", "wallpaper", "", buffer, sizeof buffer), 4u);
    EXPECT_TRUE(std::filesystem::exists(dir_.File("windows") + "/win.ini"));
    EXPECT_EQ(GetProfileInt("Desktop", "Missing", 3), 3u);
}

TEST_F(ProfileTest, WriteSectionReplacesTheEntries) {
    File("[S]\na=1\nb=2\n\n[T]\nc=3\n");
    ASSERT_TRUE(WritePrivateProfileSection("s", "x=9\0y = 8\0"s.c_str(), path_.c_str()));
    EXPECT_EQ(Contents(), "[S]\nx=9\ny = 8\n\n[T]\nc=3\n");
    ASSERT_TRUE(WritePrivateProfileSection("T", nullptr, path_.c_str()));
    EXPECT_EQ(Contents(), "[S]\nx=9\ny = 8\n\n");
}

}  // namespace
