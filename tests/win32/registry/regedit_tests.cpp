#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "registry_fixture.h"

namespace {

using namespace win32;
using regtest::RegistryTest;
using namespace std::string_literals;

class RegeditTest : public RegistryTest {
protected:
    // A branch holding every kind of value, awkward names and a string that needs hex(1).
    void BuildBranch() {
        HKEY key = Create("Software\\Zyl Test");
        SetString(key, "", "default \"quoted\" C:\\path");
        SetString(key, "name with \"quotes\" and \\", "plain");
        SetDword(key, "answer", 42);
        std::string binary;
        for (int i = 0; i < 100; ++i)
            binary += static_cast<char>(i * 7);
        Set(key, "blob", REG_BINARY, binary);
        Set(key, "expand", REG_EXPAND_SZ, "%HOME%\\bin\0"s);
        Set(key, "multi", REG_MULTI_SZ, "one\0two\0\0"s);
        Set(key, "qword", REG_QWORD, "\1\2\3\4\5\6\7\x08"s);
        Set(key, "lines", REG_SZ, "first\r\nsecond\0"s);
        Set(key, "empty", REG_BINARY, "");
        Set(key, "bigendian", REG_DWORD_BIG_ENDIAN, "\0\0\1\0"s);
        SetString(key, "unicode", "Grüße");
        RegCloseKey(key);
        HKEY child = Create("Software\\Zyl Test\\Child]Bracket");
        SetDword(child, "n", 7);
        RegCloseKey(child);
        RegCloseKey(Create("Software\\Zyl Test\\Child]Bracket\\Grandchild"));
        RegCloseKey(Create("Software\\Zyl Test\\Another"));
    }
    static void Set(HKEY key, const char* name, DWORD type, const std::string& data) {
        ASSERT_EQ(RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    static std::string Export(const char* path = "Software") {
        std::string text;
        EXPECT_EQ(RegExportBranch(HKEY_CURRENT_USER, path, text), ERROR_SUCCESS);
        return text;
    }
    // The same lines the independent reader prints, from the registry calls.
    static void Describe(HKEY key, const std::string& path, std::vector<std::string>& lines) {
        lines.push_back("K " + path);
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name, type = 0, size = 0;
            if (RegEnumValue(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
            std::string data(size, '\0');
            RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
            std::string hex;
            for (unsigned char c : data) {
                char digits[3];
                std::snprintf(digits, sizeof digits, "%02x", c);
                hex += digits;
            }
            lines.push_back("V " + path + "|" + name + "|" + std::to_string(type) + "|" + hex);
        }
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name;
            if (RegEnumKeyEx(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            HKEY child = nullptr;
            ASSERT_EQ(RegOpenKeyEx(key, name, 0, KEY_READ, &child), ERROR_SUCCESS);
            Describe(child, path + "\\" + name, lines);
            RegCloseKey(child);
        }
    }
};

TEST_F(RegeditTest, AnExportImportsBackToTheSameBranch) {
    BuildBranch();
    std::string before = Export();
    ASSERT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software"), ERROR_SUCCESS);
    std::string error;
    ASSERT_EQ(RegImportText(before, &error), ERROR_SUCCESS) << error;
    EXPECT_EQ(Export(), before);
    EXPECT_NE(before.find("\"lines\"=hex(1):"), std::string::npos)
        << "a string with a line break is written as hex";
    for (size_t start = 0, end; (end = before.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 80u) << before.substr(start, end - start);
}

TEST_F(RegeditTest, TheIndependentReaderSeesWhatTheRegistryHolds) {
    if (std::system("python3 --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
    BuildBranch();
    std::string file = dir_.File("export.reg");
    std::ofstream(file, std::ios::binary) << Export();
    std::string reader =
        (std::filesystem::path(__FILE__).parent_path() / "../../support/regread.py").string();
    std::string command = "python3 '" + reader + "' '" + file + "' > '" + dir_.File("read.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir_.File("read.txt"));
    std::vector<std::string> seen;
    for (std::string line; std::getline(in, line);)
        seen.push_back(line);

    std::vector<std::string> expected;
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &software), ERROR_SUCCESS);
    Describe(software, "HKEY_CURRENT_USER\\Software", expected);
    RegCloseKey(software);
    EXPECT_EQ(seen, expected);
}

TEST_F(RegeditTest, ExportWritesTheClassicNotation) {
    HKEY key = Create("Software\\Small");
    SetString(key, "", "x");
    SetString(key, "path", "C:\\dir\\\"q\"");
    SetDword(key, "n", 0x2a);
    Set(key, "b", REG_BINARY, "\x01\xff"s);
    Set(key, "q", REG_QWORD, "\1\0\0\0\0\0\0\0"s);
    RegCloseKey(key);
    EXPECT_EQ(Export("Software\\Small"),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Small]\r\n"
              "@=\"x\"\r\n"
              "\"path\"=\"C:\\\\dir\\\\\\\"q\\\"\"\r\n"
              "\"n\"=dword:0000002a\r\n"
              "\"b\"=hex:01,ff\r\n"
              "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n");
    std::string text;
    EXPECT_EQ(RegExportBranch(HKEY_CURRENT_USER, "Software\\Missing", text), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegeditTest, ImportUnderstandsContinuationsDeletionsAndLineEnds) {
    HKEY old = Create("Software\\Old\\Sub");
    RegCloseKey(old);
    HKEY keep = Create("Software\\Keep");
    SetString(keep, "drop", "x");
    SetString(keep, "stay", "y");
    RegCloseKey(keep);
    std::string error;
    ASSERT_EQ(RegImportText("\xEF\xBB\xBFREGEDIT4\n"
                            "; a comment\n"
                            "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Keep]\n"
                            "\"drop\"=-\n"
                            "\"bin\"=hex:01,02,\\\n"
                            "    03,04\n"
                            "\"exp\"=hex(2):25,00\n"
                            "\"dw\" = dword:FFFFFFFF\n"
                            "[hkey_current_user\\Software\\New\\Deep]\r\n"
                            "@=\"v\"\r\n",
                            &error),
              ERROR_SUCCESS)
        << error;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Old", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Keep", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "drop").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Get(key, "stay").data, "y\0"s);
    EXPECT_EQ(Get(key, "bin").data, "\1\2\3\4"s);
    EXPECT_EQ(Get(key, "exp").type, REG_EXPAND_SZ);
    EXPECT_EQ(Get(key, "dw").data, "\xff\xff\xff\xff"s);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\New\\Deep", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "").data, "v\0"s);
    RegCloseKey(key);
}

struct BadImport {
    const char* text;
    const char* error;  // the start of the message
};

class MalformedImport : public RegeditTest, public ::testing::WithParamInterface<BadImport> {};

TEST_P(MalformedImport, ChangesNothingAndNamesTheLine) {
    HKEY key = Create("Software\\Existing");
    SetDword(key, "n", 1);
    RegCloseKey(key);
    std::string before = Export();
    std::string error;
    EXPECT_EQ(RegImportText(GetParam().text, &error), ERROR_INVALID_DATA);
    EXPECT_EQ(error.rfind(GetParam().error, 0), 0u) << error;
    EXPECT_EQ(Export(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedImport,
    ::testing::Values(
        BadImport{"", "line 1: the text does not start with REGEDIT4"},
        BadImport{"Windows Registry Editor Version 5.00\r\n", "line 1: the text does not start"},
        BadImport{"REGEDIT4\n\n\"v\"=\"x\"\n", "line 3: a value outside a key section"},
        // The deletion and creation come first, so only a whole-file transaction keeps them out.
        BadImport{"REGEDIT4\n[-HKEY_CURRENT_USER\\Software\\Existing]\n[HKEY_CURRENT_USER\\Software\\New]\n"
                  "\"ok\"=dword:1\n\"bad\"=dword:123456789\n",
                  "line 5: dword: needs"},
        BadImport{"REGEDIT4\n[HKEY_NOWHERE\\X]\n", "line 2: 'HKEY_NOWHERE' is not a predefined root key"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\X\n", "line 2: a key header must end with ']'"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A\\\\B]\n", "line 2: 'A\\\\B' is not a valid key path"},
        BadImport{"REGEDIT4\n[-HKEY_CURRENT_USER]\n", "line 2: a root key cannot be deleted"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"unterminated\n",
                  "line 3: a quoted string has no"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"bad \\n escape\"\n", "line 3: only \\\\ and"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,zz\n",
                  "line 3: 'zz' is not a hexadecimal byte"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\", "line 3: the line continues past"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex(xyz):01\n", "line 3: hex(type): needs"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\" \"x\"\n", "line 3: '=' expected"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=str:x\n", "line 3: unknown value data"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"tab\there\"=\"x\"\n",
                  "line 3: the value name is not valid"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\ngarbage\n", "line 3: unexpected text"},
        BadImport{"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"\"=\"x\"\n",
                  "line 3: the default value is written @"}));

}  // namespace
