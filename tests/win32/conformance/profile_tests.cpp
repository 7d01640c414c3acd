// The profile (ini file) calls against the values and file contents Wine's kernel32 conformance
// tests pin.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/tempdir.h"
#include "win32/files.h"
#include "win32/profile.h"

namespace conf_profile {

using namespace win32;
using namespace std::string_literals;

class ConfProfile : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::SetWindowsDirectory(dir_.File("windows")); }
    void TearDown() override { win32::testing::ResetPlatform(); }

    std::string Write(const std::string& name, const std::string& text) {
        zyltest::WriteTextFile(dir_.File(name), text);
        return dir_.File(name);
    }
    // The list a call wrote, its NULs shown as commas.
    static std::string Listed(const char* buffer, DWORD length) {
        std::string text(buffer, length);
        for (char& c : text)
            if (c == '\0') c = ',';
        return text;
    }

    zyltest::TempDir dir_;
};

// Wine: test_profile_int
TEST_F(ConfProfile, ProfileIntWrapsAsWin32Does) {
    const std::string path = dir_.File("testwine.ini");
    EXPECT_EQ(GetPrivateProfileInt("Test", "ProfileInt", -1, path.c_str()), 4294967295u) << "missing file";
    EXPECT_EQ(GetPrivateProfileInt(nullptr, "ProfileInt", -1, path.c_str()), 4294967295u);
    EXPECT_EQ(GetPrivateProfileInt("Test", nullptr, 1, path.c_str()), 1u);
    struct Case {
        const char* value;
        UINT result;
    } cases[] = {
        {"-1", 4294967295u}, {"1", 1},           {"+1", 1},
        {"4294967296", 0},   {"4294967297", 1},  {"-4294967297", 4294967295u},
        {"42A94967297", 42}, {"B4294967297", 0}, {"-32000", 0xFFFF8300u},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WritePrivateProfileString("Test", "ProfileInt", c.value, path.c_str()));
        for (INT fallback : {-1, 1})
            EXPECT_EQ(GetPrivateProfileInt("Test", "ProfileInt", fallback, path.c_str()), c.result)
                << c.value;
    }
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileInt("Test", "ProfileInt", 0, path.c_str())), -32000)
        << "a negative window position survives";
}

// Wine: test_GetPrivateProfileString (both the CR+LF and the CR-only file)
TEST_F(ConfProfile, GetPrivateProfileStringCases) {
    for (const char* newline : {"\r\n", "\r"}) {
        std::string content;
        for (const char* line :
             {"[section1]", "name1=val1", "name2=\"val2\"", "name3", "name4=a", "[section2]"})
            content += std::string(line) + newline;
        const std::string path = Write("winetest.ini", content);
        struct Case {
            const char *section, *key, *fallback;
            DWORD size;
            DWORD length;
            std::string text;  // NULs shown as commas
        } cases[] = {
            {nullptr, "name1", "default", 260, 18, "section1,section2,,"},
            {"", "name1", "default", 260, 7, "default,"},
            {"notasection", "name1", "default", 260, 7, "default,"},
            {"", "name1", nullptr, 260, 0, ","},
            {"", "name1", "default  ", 260, 7, "default,"},
            {"", "name1", "one two  ", 260, 7, "one two,"},
            {"section1", nullptr, "default", 260, 18, "name1,name2,name4,,"},
            {"section1", "", "default", 260, 7, "default,"},
            {"section1", "notakey", "default", 260, 7, "default,"},
            {"section1", "", nullptr, 260, 0, ","},
            {"section1", "name1", "default", 4, 3, "val,"},
            {"section1", "name1", "default", 5, 4, "val1,"},
            {"section1", "name4", "default", 260, 1, "a,"},
            {"section1", "name4", "default", 1, 0, ","},
            {nullptr, "name1", "default", 16, 14, "section1,secti,,"},
            {"section1", nullptr, "default", 16, 14, "name1,name2,na,,"},
            {"section1", "name2", "default", 260, 4, "val2,"},
            {"section1", "NaMe1", "default", 260, 4, "val1,"},
            {"section2", "DoesntExist", "", 260, 0, ","},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.section ? c.section : "(null)") + "/" + (c.key ? c.key : "(null)") +
                         " size " + std::to_string(c.size));
            char buffer[260];
            std::memset(buffer, 0x0c, sizeof buffer);
            DWORD length =
                GetPrivateProfileString(c.section, c.key, c.fallback, buffer, c.size, path.c_str());
            EXPECT_EQ(length, c.length);
            EXPECT_EQ(Listed(buffer, static_cast<DWORD>(c.text.size())), c.text);
        }
        char buffer[16] = "kumquat";
        EXPECT_EQ(GetPrivateProfileString("section1", "name1", "default", buffer, 0, path.c_str()), 0u);
        EXPECT_STREQ(buffer, "kumquat") << "no size, no write";
        for (const char* file : {static_cast<const char*>(nullptr), "", "nonexistent"}) {
            EXPECT_EQ(GetPrivateProfileString("section1", "name1", "default", buffer, sizeof buffer, file),
                      7u);
            EXPECT_STREQ(buffer, "default");
        }
    }
}

// Wine: test_profile_string
TEST_F(ConfProfile, KeyListsSkipLinesWithoutEquals) {
    const std::string path =
        Write("testwine2.ini", "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n\0"s);
    char buffer[100];
    EXPECT_EQ(Listed(buffer, GetPrivateProfileString("s", nullptr, "", buffer, sizeof buffer, path.c_str())),
              "name1,name2,name4,");
    ASSERT_TRUE(WritePrivateProfileString("s", "name5", "val5", path.c_str()));
    EXPECT_EQ(Listed(buffer, GetPrivateProfileString("s", nullptr, "", buffer, sizeof buffer, path.c_str())),
              "name1,name2,name4,name5,");

    Write("testwine2.ini",
          "\r\nkey=val_no_section\r\n[]\r\nkey=val_e_section\r\n[s]\r\n=val_no_key\r\n[t]\r\n\0"s);
    EXPECT_EQ(GetPrivateProfileString("s", "", "", buffer, sizeof buffer, path.c_str()), 10u);
    EXPECT_STREQ(buffer, "val_no_key");
}

// Wine: test_profile_sections
TEST_F(ConfProfile, GetPrivateProfileSection) {
    const std::string path =
        Write("testwine4.ini",
              "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[section2]\r\n"
              "[section3]\r\n=val5\r\n\0"s);
    char buffer[100];
    struct Refused {
        const char* section;
        char* buffer;
        DWORD size;
        const char* file;
    } refused[] = {{nullptr, nullptr, 0, nullptr},
                   {nullptr, nullptr, 0, path.c_str()},
                   {"section1", nullptr, 0, path.c_str()},
                   {nullptr, buffer, sizeof buffer, path.c_str()}};
    for (const Refused& r : refused) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(GetPrivateProfileSection(r.section, r.buffer, r.size, r.file), 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetPrivateProfileSection("section1", buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    struct Case {
        const char* section;
        DWORD size;
        DWORD length;
        std::string text;
    } cases[] = {
        {"section2", sizeof buffer, 0, ","},
        {"section1", sizeof buffer, 35, "name1=val1,name2=,name3,name4=val4,,"},
        {"section3", sizeof buffer, 6, "=val5,,"},
        {"section1", 24, 22, "name1=val1,name2=,name,,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " size " + std::to_string(c.size));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(GetPrivateProfileSection(c.section, buffer, c.size, path.c_str()), c.length);
        EXPECT_EQ(Listed(buffer, static_cast<DWORD>(c.text.size())), c.text);
        if (c.size == sizeof buffer) {
            EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
        }
    }
}

// Wine: test_profile_sections_names
TEST_F(ConfProfile, SectionNamesNeedASpareByte) {
    const std::string path = Write("testwine3.ini", "[ section1 ]\r\n[section2]\r\n[section3]\r\n\0"s);
    char buffer[100];
    struct Case {
        DWORD size, length;
        std::string text;
    } cases[] = {
        {29, 27, "section1,section2,section3,,"},
        {28, 26, "section1,section2,section3,,"},
        {27, 25, "section1,section2,section,,"},
    };
    for (const Case& c : cases) {
        std::memset(buffer, 0x0c, sizeof buffer);
        EXPECT_EQ(GetPrivateProfileSectionNames(buffer, c.size, path.c_str()), c.length) << c.size;
        EXPECT_EQ(Listed(buffer, static_cast<DWORD>(c.text.size())), c.text) << c.size;
    }
    std::memset(buffer, 0x0c, sizeof buffer);
    EXPECT_EQ(GetPrivateProfileSectionNames(buffer, 10, dir_.File("not_here.ini").c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_NE(buffer[1], '\0') << "a missing file gets one NUL, not two";
}

// Wine: test_profile_refresh
TEST_F(ConfProfile, EveryReadSeesTheFileAsItIsNow) {
    const std::string path = Write("winetest4.ini", "[Test]\nProfileInt=123\n");
    EXPECT_EQ(GetPrivateProfileInt("Test", "ProfileInt", 0, path.c_str()), 123u);
    Write("winetest4.ini", "[Test]\nProfileInt=124\n");
    EXPECT_EQ(GetPrivateProfileInt("Test", "ProfileInt", 0, path.c_str()), 124u);
    std::filesystem::remove(path);
    EXPECT_EQ(GetPrivateProfileInt("Test", "ProfileInt", 421, path.c_str()), 421u);
}

// Wine: test_WritePrivateProfileString
TEST_F(ConfProfile, WrittenFilesAreByteForByteWhatWin32Writes) {
    const std::string path = dir_.File("wine.tmp");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileString(nullptr, "key", "string", path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(path));
    Write("wine.tmp", "");
    EXPECT_FALSE(WritePrivateProfileString(nullptr, "key", "string", path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(zyltest::ReadTextFile(path), "");
    std::filesystem::remove(path);

    ASSERT_TRUE(WritePrivateProfileString("App", "key", "", path.c_str()));
    EXPECT_EQ(zyltest::ReadTextFile(path), "[App]\r\nkey=\r\n");
    std::filesystem::remove(path);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileString("App", "key", "string", ""));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(WritePrivateProfileString("App", "key", "string", "win1.tmp"));
    EXPECT_EQ(zyltest::ReadTextFile(dir_.File("windows/win1.tmp")), "[App]\r\nkey=string\r\n");

    WritePrivateProfileString("App1", "key1", "string1", path.c_str());
    WritePrivateProfileString("App1", "key2", "string2", path.c_str());
    WritePrivateProfileString("App1", "key3", "string3", path.c_str());
    WritePrivateProfileString("App2", "key4", "string4", path.c_str());
    struct Step {
        const char *section, *key, *value;
        const char* file;
    } steps[] = {
        {"App3", "key5", "string5",
         "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\n"
         "key5=string5\r\n"},
        {"App1", "key2", nullptr,
         "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"App1", "key2", nullptr,
         "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"App1", nullptr, "string1", "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"App2", nullptr, nullptr, "[App3]\r\nkey5=string5\r\n"},
        {"App3", "key5", nullptr, "[App3]\r\n"},
    };
    for (const Step& step : steps) {
        EXPECT_TRUE(WritePrivateProfileString(step.section, step.key, step.value, path.c_str()));
        EXPECT_EQ(zyltest::ReadTextFile(path), step.file);
    }

    // Bytes before the first section, NULs among them, are kept.
    const std::string before = "Data \0 before \0 first \0 section"s;
    Write("wine.tmp", before);
    ASSERT_TRUE(WritePrivateProfileString("section1", "key1", "string1", path.c_str()));
    EXPECT_EQ(zyltest::ReadTextFile(path), before + "\r\n[section1]\r\nkey1=string1\r\n");
}

}  // namespace conf_profile
