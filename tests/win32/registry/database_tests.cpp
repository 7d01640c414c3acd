#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "registry_fixture.h"

namespace {

using namespace win32;
using regtest::RegistryTest;
using namespace std::string_literals;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST_F(RegistryTest, AFileThatIsNoDatabaseIsReportedAndLeftAlone) {
    std::string garbage;
    for (int i = 0; i < 300; ++i)
        garbage += "not a registry at all " + std::to_string(i) + "\n";
    WriteAll(DatabasePath(), garbage);
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr),
              ERROR_BADDB);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
    EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_BADDB);
    std::string error;
    EXPECT_EQ(RegImportText("REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n", &error), ERROR_BADDB);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadAll(DatabasePath()), garbage);
}

TEST_F(RegistryTest, ADatabaseOfAnotherProgramIsRefusedUnchanged) {
    HKEY key = Create("Software\\Mine");
    SetDword(key, "n", 1);
    RegCloseKey(key);
    RegFlushKey(HKEY_CURRENT_USER);
    win32::testing::SetRegistryPath(dir_.File("elsewhere.sqlite"));  // closes the file
    // Another application id in the header (offset 68) makes it someone else's database.
    std::string bytes = ReadAll(DatabasePath());
    ASSERT_GT(bytes.size(), 100u);
    bytes[68] = 'A', bytes[69] = 'B', bytes[70] = 'C', bytes[71] = 'D';
    WriteAll(DatabasePath(), bytes);
    win32::testing::SetRegistryPath(DatabasePath());
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Mine", 0, KEY_READ, &opened), ERROR_BADDB);
    EXPECT_EQ(ReadAll(DatabasePath()), bytes);
}

TEST_F(RegistryTest, ANewDatabaseSeedsContentTypesFromMimeTypesOnce) {
    std::string mime = dir_.File("mime.types");
    WriteAll(mime,
             "# comment line\n"
             "text/plain\t\ttxt text\n"
             "text/x-other\ttxt\n"
             "application/x-zyl  zyl   # trailing comment\n"
             "broken-line-without-extensions\n");
    win32::testing::SetMimeTypesPath(mime);
    auto contentType = [this](const char* extension) {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_CLASSES_ROOT, extension, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>"s;
        Value value = Get(key, "Content Type");
        RegCloseKey(key);
        return value.status == ERROR_SUCCESS ? value.data : "<no value>"s;
    };
    EXPECT_EQ(contentType(".txt"), "text/plain\0"s) << "the first line naming an extension wins";
    EXPECT_EQ(contentType(".TEXT"), "text/plain\0"s);
    EXPECT_EQ(contentType(".zyl"), "application/x-zyl\0"s);

    HKEY txt = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, ".txt", 0, KEY_ALL_ACCESS, &txt), ERROR_SUCCESS);
    SetString(txt, "Content Type", "text/mine");
    RegCloseKey(txt);
    win32::testing::SetRegistryPath(DatabasePath());
    EXPECT_EQ(contentType(".txt"), "text/mine\0"s) << "an existing database is not seeded again";
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kValuesPerWriter = 500;
    RegCloseKey(Create("Software\\Shared"));
    // A connection must not cross fork: drop it, and let each child open its own.
    win32::testing::SetRegistryPath(DatabasePath());
    pid_t writers[2];
    for (int writer = 0; writer < 2; ++writer) {
        writers[writer] = fork();
        ASSERT_GE(writers[writer], 0);
        if (writers[writer] == 0) {
            HKEY key = nullptr;
            if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
                _exit(2);
            for (DWORD i = 0; i < kValuesPerWriter; ++i) {
                std::string name = "w" + std::to_string(writer) + "-" + std::to_string(i);
                if (RegSetValueEx(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4) !=
                    ERROR_SUCCESS)
                    _exit(3);
            }
            _exit(0);
        }
    }
    for (pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                              nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u * kValuesPerWriter);
    EXPECT_EQ(Get(key, "w1-499").data, "\xf3\1\0\0"s);
    RegCloseKey(key);
}

TEST_F(RegistryTest, TheEnvironmentChoosesTheDatabaseWhenNoTestPathIsSet) {
    win32::testing::SetRegistryPath("");
    std::string previous = getenv("ZYL_REGISTRY") ? getenv("ZYL_REGISTRY") : "";
    setenv("ZYL_REGISTRY", dir_.File("from-env.sqlite").c_str(), 1);
    EXPECT_EQ(win32::testing::RegistryPath(), dir_.File("from-env.sqlite"));
    HKEY key = Create("Software\\Env");
    RegCloseKey(key);
    EXPECT_FALSE(ReadAll(dir_.File("from-env.sqlite")).empty());
    if (previous.empty())
        unsetenv("ZYL_REGISTRY");
    else
        setenv("ZYL_REGISTRY", previous.c_str(), 1);
}

}  // namespace
