// Searching, attributes, file times, moving, copying, deleting, folders and file handles.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "support/tempdir.h"
#include "win32/files.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

constexpr DWORD kRead = 0x80000000, kWrite = 0x40000000;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temp.Path() / "dir" / "sub");
        zyltest::WriteTextFile(temp.Path() / "dir" / "One.txt", "one");
        zyltest::WriteTextFile(temp.Path() / "dir" / "two.TXT", "two two");
        zyltest::WriteTextFile(temp.Path() / "dir" / "noext", "n");
        zyltest::WriteTextFile(temp.Path() / "dir" / ".hidden", "h");
        wt::MapDrive('T', temp.Path().string());
    }
    void TearDown() override { wt::ResetPlatform(); }

    std::vector<std::string> Find(const char* pattern) {
        std::vector<std::string> names;
        WIN32_FIND_DATA data{};
        HANDLE search = FindFirstFile(pattern, &data);
        if (search == INVALID_HANDLE_VALUE) return names;
        do
            names.emplace_back(data.cFileName);
        while (FindNextFile(search, &data));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(search));
        return names;
    }

    zyltest::TempDir temp;
};

TEST_F(FilesTest, FindListsMatchesInOrderWithDotEntries) {
    EXPECT_EQ(Find("T:\\DIR\\*"),
              (std::vector<std::string>{".", "..", ".hidden", "noext", "One.txt", "sub", "two.TXT"}));
    EXPECT_EQ(Find("t:/dir/*.txt"), (std::vector<std::string>{"One.txt", "two.TXT"}));
    EXPECT_EQ(Find("T:\\dir\\*.*").size(), 7u);
    EXPECT_EQ(Find("T:\\dir\\one.TXT"), (std::vector<std::string>{"One.txt"}));
    // The root of a drive has no dot entries.
    EXPECT_EQ(Find("T:\\*"), (std::vector<std::string>{"dir"}));
}

TEST_F(FilesTest, FindFailuresReportTheirCause) {
    WIN32_FIND_DATA data{};
    EXPECT_EQ(FindFirstFile("T:\\dir\\*.doc", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFile("T:\\nowhere\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFile("T:\\d*r\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
    EXPECT_FALSE(FindNextFile(MakeHandle<HANDLE>(12345), &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindClose(MakeHandle<HANDLE>(12345)));
}

TEST_F(FilesTest, FindDataDescribesTheEntry) {
    WIN32_FIND_DATA data{};
    HANDLE search = FindFirstFile("T:\\dir\\two.txt", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_STREQ(data.cAlternateFileName, "");
    search = FindFirstFile("T:\\dir\\.hidden", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_STREQ(data.cAlternateFileName, "HIDDEN~1");
}

TEST_F(FilesTest, AttributesComeFromPermissionsAndNames) {
    EXPECT_EQ(GetFileAttributes("T:\\dir"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes("T:\\dir\\one.txt"), FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributes("T:\\dir\\one.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributes("T:\\dir\\one.txt"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(std::filesystem::status(temp.Path() / "dir" / "One.txt").permissions() &
                  std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    ASSERT_TRUE(SetFileAttributes("T:\\dir\\one.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributes("T:\\dir\\one.txt"), FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_TRUE(SetFileAttributes("T:\\dir\\sub", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributes("T:\\dir\\sub"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes("T:\\dir\\missing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributes("T:\\missing\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesEx("T:\\dir\\two.txt", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 7u);
}

TEST(FileTimeConversion, SystemTimeRoundTripsThroughFileTime) {
    SYSTEMTIME time{2024, 2, 0, 29, 13, 45, 30, 250};
    FILETIME file{};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &file));
    // 2024-02-29 13:45:30.250 UTC in 100 ns units since 1601.
    EXPECT_EQ((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime,
              133536879302500000ULL);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wMonth, 2);
    EXPECT_EQ(back.wDay, 29);
    EXPECT_EQ(back.wDayOfWeek, 4);  // a Thursday
    EXPECT_EQ(back.wHour, 13);
    EXPECT_EQ(back.wMilliseconds, 250);
    SYSTEMTIME invalid{2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&invalid, &file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(FileTimeConversion, DosDateTimesHaveTwoSecondSteps) {
    SYSTEMTIME time{1999, 12, 0, 31, 23, 59, 59, 0};
    FILETIME file{};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &file));
    WORD date = 0, clock = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&file, &date, &clock));
    EXPECT_EQ(date, ((1999 - 1980) << 9) | (12 << 5) | 31);
    EXPECT_EQ(clock, (23 << 11) | (59 << 5) | 29);
    FILETIME back{};
    ASSERT_TRUE(DosDateTimeToFileTime(date, clock, &back));
    SYSTEMTIME decoded{};
    FileTimeToSystemTime(&back, &decoded);
    EXPECT_EQ(decoded.wSecond, 58);
    SYSTEMTIME early{1979, 1, 0, 1, 0, 0, 0, 0};
    SystemTimeToFileTime(&early, &file);
    EXPECT_FALSE(FileTimeToDosDateTime(&file, &date, &clock));
    EXPECT_FALSE(DosDateTimeToFileTime((1 << 5) | 0, 0, &back));  // day 0
}

TEST(FileTimeConversion, LocalTimeFollowsTheManualClockOffset) {
    wt::UseManualClock(SYSTEMTIME{2024, 6, 0, 1, 12, 0, 0, 0}, 120);
    SYSTEMTIME utc{2024, 6, 0, 1, 10, 0, 0, 0};
    FILETIME file{}, local{}, back{};
    SystemTimeToFileTime(&utc, &file);
    ASSERT_TRUE(FileTimeToLocalFileTime(&file, &local));
    SYSTEMTIME shown{};
    FileTimeToSystemTime(&local, &shown);
    EXPECT_EQ(shown.wHour, 12);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(CompareFileTime(&back, &file), 0);
    wt::ResetPlatform();
}

TEST_F(FilesTest, FileTimesRoundTripThroughHandles) {
    HANDLE file = CreateFile("T:\\dir\\one.txt", kWrite, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME when{2001, 9, 0, 8, 7, 6, 4, 0};
    FILETIME written{};
    SystemTimeToFileTime(&when, &written);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    FILETIME read{};
    ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &read));
    EXPECT_EQ(CompareFileTime(&read, &written), 0);
    EXPECT_TRUE(CloseHandle(file));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesEx("T:\\dir\\one.txt", GetFileExInfoStandard, &data));
    EXPECT_EQ(CompareFileTime(&data.ftLastWriteTime, &written), 0);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FilesTest, MoveFileNeverReplacesAnExistingTarget) {
    EXPECT_FALSE(MoveFile("T:\\dir\\one.txt", "T:\\dir\\TWO.txt"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "two.TXT"), "two two");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "One.txt"), "one");
    ASSERT_TRUE(MoveFile("T:\\dir\\one.txt", "T:\\dir\\sub\\moved.txt"));
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "sub" / "moved.txt"), "one");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dir" / "One.txt"));
    EXPECT_FALSE(MoveFile("T:\\dir\\missing", "T:\\dir\\x"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(MoveFile("T:\\dir\\noext", "T:\\nowhere\\x"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, MoveFileChangesLetterCaseOfTheSameEntry) {
    ASSERT_TRUE(MoveFile("T:\\dir\\one.txt", "T:\\dir\\ONE.TXT"));
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "dir" / "ONE.TXT"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dir" / "One.txt"));
}

TEST_F(FilesTest, MoveFileExReplacesOnlyWhenAsked) {
    ASSERT_TRUE(MoveFileEx("T:\\dir\\one.txt", "T:\\dir\\two.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "two.TXT"), "one");
    EXPECT_FALSE(MoveFileEx("T:\\dir\\noext", "T:\\dir\\sub", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileEx("T:\\dir\\noext", "T:\\dir\\x", MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FilesTest, CopyFileHonoursFailIfExists) {
    EXPECT_FALSE(CopyFile("T:\\dir\\one.txt", "T:\\dir\\two.txt", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "two.TXT"), "two two");
    ASSERT_TRUE(CopyFile("T:\\dir\\one.txt", "T:\\dir\\two.txt", FALSE));
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "two.TXT"), "one");
    ASSERT_TRUE(CopyFile("T:\\dir\\one.txt", "T:\\dir\\copy.txt", TRUE));
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "copy.txt"), "one");
    EXPECT_FALSE(CopyFile("T:\\dir\\one.txt", "T:\\dir\\ONE.TXT", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "One.txt"), "one");
    // Nothing of the temporary copies stays behind.
    for (const auto& entry : std::filesystem::directory_iterator(temp.Path() / "dir"))
        EXPECT_EQ(entry.path().filename().string().find(".zylcopy"), std::string::npos);
}

TEST_F(FilesTest, DeleteAndFolderCallsRefuseTheWrongKind) {
    EXPECT_FALSE(DeleteFile("T:\\dir\\sub"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(SetFileAttributes("T:\\dir\\noext", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFile("T:\\dir\\noext"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(DeleteFile("T:\\dir\\ONE.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dir" / "One.txt"));
    EXPECT_FALSE(CreateDirectory("T:\\dir\\SUB", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectory("T:\\a\\b", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(RemoveDirectory("T:\\dir"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(RemoveDirectory("T:\\dir\\two.txt"));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    ASSERT_TRUE(RemoveDirectory("T:\\dir\\Sub"));
    ASSERT_TRUE(CreateDirectory("T:\\dir\\New", nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "dir" / "New"));
}

TEST_F(FilesTest, HandlesReadWriteSeekAndTruncate) {
    HANDLE file = CreateFile("T:\\dir\\data.bin", kRead | kWrite, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);
    EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_END), 6u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(std::string(buffer, done), "world");
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_BEGIN), 5u);
    ASSERT_TRUE(SetEndOfFile(file));
    DWORD high = 1;
    EXPECT_EQ(GetFileSize(file, &high), 5u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "data.bin"), "hello");
}

TEST_F(FilesTest, CreateDispositionsReportWhatTheyFound) {
    EXPECT_EQ(CreateFile("T:\\dir\\one.txt", kWrite, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(CreateFile("T:\\dir\\none", kRead, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFile("T:\\dir\\sub", kRead, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE file = CreateFile("T:\\dir\\one.txt", kWrite, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(file);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "One.txt"), "one");
    file = CreateFile("T:\\dir\\one.txt", kWrite, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(file);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dir" / "One.txt"), "");
    SetFileAttributes("T:\\dir\\noext", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(CreateFile("T:\\dir\\noext", kWrite, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FilesTest, TemporaryFileNamesAreUniqueAndCreated) {
    char first[MAX_PATH], second[MAX_PATH];
    const UINT a = GetTempFileName("T:\\dir", "zyl", 0, first);
    const UINT b = GetTempFileName("T:\\dir", "zyl", 0, second);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(std::string(first), std::string(second));
    EXPECT_EQ(std::string(first).rfind("T:\\dir\\zyl", 0), 0u);
    EXPECT_EQ(std::string(first).substr(std::strlen(first) - 4), ".TMP");
    EXPECT_NE(GetFileAttributes(first), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetTempFileName("T:\\dir", "pre", 0x1A2B, first), 0x1A2Bu);
    EXPECT_STREQ(first, "T:\\dir\\pre1A2B.TMP");
    EXPECT_EQ(GetFileAttributes(first), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetTempFileName("T:\\missing", "pre", 0, first), 0u);
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

TEST_F(FilesTest, SpecialFoldersAreDrivePaths) {
    wt::SetWindowsDirectory((temp.Path() / "windows").string());
    char buffer[MAX_PATH];
    ASSERT_GT(GetWindowsDirectory(buffer, MAX_PATH), 0u);
    EXPECT_STREQ(buffer, "T:\\windows");
    ASSERT_GT(GetSystemDirectory(buffer, MAX_PATH), 0u);
    EXPECT_STREQ(buffer, "T:\\windows\\system32");
    ASSERT_GT(GetTempPath(MAX_PATH, buffer), 0u);
    EXPECT_EQ(std::string(buffer).back(), '\\');
    char module[MAX_PATH];
    const DWORD length = GetModuleFileName(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(NativePath(module), std::filesystem::canonical("/proc/self/exe").string());
    char tiny[4];
    EXPECT_EQ(GetModuleFileName(nullptr, tiny, sizeof tiny), 4u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(tiny), std::string(module, 3));
    EXPECT_EQ(ModuleFileNameOf(reinterpret_cast<const void*>(&GetTempPath)).empty(), false);
}

}  // namespace
