// The run-time library's file names, file facts and searches.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "support/tempdir.h"
#include "vcl/sysutils.h"
#include "win32/files.h"

namespace {

using namespace vcl;

struct NameCase {
    const char* name;
    const char* path;
    const char* dir;
    const char* file;
    const char* ext;
    const char* drive;
};

class FileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameTest, PartsOfAName) {
    const NameCase& c = GetParam();
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
    EXPECT_EQ(ExtractFileDrive(c.name), c.drive) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileNameTest,
    ::testing::Values(NameCase{"C:\\dir\\name.ext", "C:\\dir\\", "C:\\dir", "name.ext", ".ext", "C:"},
                      NameCase{"C:\\name.ext", "C:\\", "C:\\", "name.ext", ".ext", "C:"},
                      NameCase{"C:name.ext", "C:", "C:", "name.ext", ".ext", "C:"},
                      NameCase{"name", "", "", "name", "", ""},
                      NameCase{"dir.d\\name", "dir.d\\", "dir.d", "name", "", ""},
                      NameCase{"a\\b.tar.gz", "a\\", "a", "b.tar.gz", ".gz", ""},
                      NameCase{"a/b/c.txt", "a/b/", "a/b", "c.txt", ".txt", ""},
                      NameCase{"\\x", "\\", "", "x", "", ""},
                      NameCase{"\\\\server\\share\\dir\\f.txt", "\\\\server\\share\\dir\\",
                               "\\\\server\\share\\dir", "f.txt", ".txt", "\\\\server\\share"},
                      NameCase{"D:\\folder\\", "D:\\folder\\", "D:\\folder", "", "", "D:"},
                      NameCase{"", "", "", "", "", ""}));

TEST(FileNames, ChangeFileExtReplacesOnlyTheLastExtension) {
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\file.txt", ".bak"), "C:\\a.b\\file.bak");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\file", ".bak"), "C:\\a.b\\file.bak");
    EXPECT_EQ(ChangeFileExt("archive.tar.gz", ""), "archive.tar");
    EXPECT_EQ(ChangeFileExt("", ".x"), ".x");
}

TEST(FileNames, TrailingDelimiters) {
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\dir"), "C:\\dir\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\dir\\"), "C:\\dir\\");
    EXPECT_EQ(IncludeTrailingBackslash(""), "\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\dir\\"), "C:\\dir");
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\"), "C:");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("dir"), "dir");
    EXPECT_TRUE(IsPathDelimiter("a\\b", 1));
    EXPECT_FALSE(IsPathDelimiter("a\\b", 0));
    EXPECT_FALSE(IsPathDelimiter("a\\b", 3));
    EXPECT_FALSE(IsPathDelimiter("a\\b", -1));
    EXPECT_EQ(LastDelimiter("\\:", "C:\\a\\b"), 4);
    EXPECT_EQ(LastDelimiter(".", "abc"), -1);
}

struct RelativeCase {
    const char* base;
    const char* dest;
    const char* relative;
};

class RelativePathTest : public ::testing::TestWithParam<RelativeCase> {};

TEST_P(RelativePathTest, FromTheBaseFolder) {
    const RelativeCase& c = GetParam();
    EXPECT_EQ(ExtractRelativePath(c.base, c.dest), c.relative) << c.base << " -> " << c.dest;
}

INSTANTIATE_TEST_SUITE_P(Table, RelativePathTest,
                         ::testing::Values(RelativeCase{"C:\\a\\b\\x.txt", "C:\\a\\b\\y.txt", "y.txt"},
                                           RelativeCase{"C:\\a\\b\\", "C:\\a\\c\\y.txt", "..\\c\\y.txt"},
                                           RelativeCase{"C:\\a\\b\\", "C:\\A\\B\\d\\y.txt", "d\\y.txt"},
                                           RelativeCase{"C:\\a\\b\\c\\", "C:\\y.txt", "..\\..\\..\\y.txt"},
                                           RelativeCase{"C:\\a\\", "D:\\a\\y.txt", "D:\\a\\y.txt"}));

class FileUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temp.Path() / "Dir" / "Sub");
        std::ofstream(temp.Path() / "Dir" / "a.txt") << "alpha";
        std::ofstream(temp.Path() / "Dir" / ".secret") << "s";
        win32::testing::MapDrive('M', temp.Path().string());
    }
    void TearDown() override { win32::testing::ResetPlatform(); }

    std::set<std::string> Found(const char* pattern, Integer attr) {
        std::set<std::string> names;
        TSearchRec rec;
        Integer result = FindFirst(pattern, attr, rec);
        while (result == 0) {
            names.insert(rec.Name);
            result = FindNext(rec);
        }
        EXPECT_EQ(result, 18);  // ERROR_NO_MORE_FILES
        FindClose(rec);
        return names;
    }

    zyltest::TempDir temp;
};

TEST_F(FileUtilsTest, FindFirstFiltersByAttributes) {
    EXPECT_EQ(Found("M:\\dir\\*.*", 0), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(Found("M:\\dir\\*.*", faReadOnly | faArchive), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(Found("M:\\dir\\*", faDirectory), (std::set<std::string>{".", "..", "a.txt", "Sub"}));
    EXPECT_EQ(Found("M:\\dir\\*", faHidden), (std::set<std::string>{"a.txt", ".secret"}));
    EXPECT_EQ(Found("M:\\dir\\*", faAnyFile), (std::set<std::string>{".", "..", "a.txt", "Sub", ".secret"}));
    TSearchRec rec;
    EXPECT_EQ(FindFirst("M:\\dir\\*.doc", faAnyFile, rec), 2);
    EXPECT_EQ(FindFirst("M:\\nowhere\\*", faAnyFile, rec), 3);
    // Only folders there, and folders not asked for: nothing matches.
    EXPECT_EQ(FindFirst("M:\\dir\\S*", 0, rec), 18);
    FindClose(rec);
}

TEST_F(FileUtilsTest, SearchRecordCarriesSizeTimeAndAttributes) {
    ASSERT_EQ(
        FileSetDate("M:\\dir\\a.txt", DateTimeToFileDate(EncodeDate(2010, 5, 6) + EncodeTime(7, 8, 10, 0))),
        0);
    TSearchRec rec;
    ASSERT_EQ(FindFirst("M:\\DIR\\A.TXT", faAnyFile, rec), 0);
    EXPECT_EQ(rec.Name, "a.txt");
    EXPECT_EQ(rec.Size, 5);
    EXPECT_EQ(rec.Attr, faArchive);
    EXPECT_EQ(FileDateToDateTime(rec.Time), EncodeDate(2010, 5, 6) + EncodeTime(7, 8, 10, 0));
    EXPECT_EQ(std::string(rec.FindData.cFileName), "a.txt");
    FindClose(rec);
    EXPECT_EQ(FileAge("M:\\dir\\a.txt"), rec.Time);
    EXPECT_EQ(FileAge("M:\\dir\\missing"), -1);
    EXPECT_EQ(FileAge("M:\\dir\\sub"), -1);
}

TEST_F(FileUtilsTest, FileDatesConvertBothWays) {
    const double when = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 58, 0);
    const Integer packed = DateTimeToFileDate(when);
    EXPECT_EQ(static_cast<uint32_t>(packed),
              (((1999u - 1980) << 9 | 12 << 5 | 31) << 16) | (23u << 11 | 59 << 5 | 29));
    EXPECT_EQ(FileDateToDateTime(packed), when);
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 1, 1)), 0);
    EXPECT_THROW(FileDateToDateTime(0), EConvertError);
}

TEST_F(FileUtilsTest, FilesAndFoldersThroughDriveLetters) {
    EXPECT_TRUE(FileExists("m:\\DIR\\A.txt"));
    EXPECT_FALSE(FileExists("M:\\Dir\\Sub"));
    EXPECT_TRUE(DirectoryExists("M:\\dir\\sub"));
    EXPECT_FALSE(DirectoryExists("M:\\dir\\a.txt"));
    EXPECT_FALSE(FileExists(std::string("M:\\dir\\a.txt\0x", 15)));
    ASSERT_TRUE(ForceDirectories("M:\\dir\\x\\y\\z"));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path() / "Dir" / "x" / "y" / "z"));
    EXPECT_THROW(ForceDirectories(""), EInOutError);
    EXPECT_TRUE(RemoveDir("M:\\dir\\x\\y\\z"));
    EXPECT_FALSE(RemoveDir("M:\\dir\\x"));
    EXPECT_TRUE(CreateDir("M:\\dir\\new"));
    EXPECT_FALSE(CreateDir("M:\\dir\\new"));
    std::ofstream(temp.Path() / "Dir" / "b.txt") << "beta";
    EXPECT_FALSE(RenameFile("M:\\dir\\a.txt", "M:\\dir\\B.TXT"));
    EXPECT_TRUE(RenameFile("M:\\dir\\a.txt", "M:\\dir\\c.txt"));
    EXPECT_TRUE(DeleteFile("M:\\dir\\c.txt"));
    EXPECT_FALSE(DeleteFile("M:\\dir\\c.txt"));
    EXPECT_EQ(FileGetAttr("M:\\dir\\b.txt"), faArchive);
    EXPECT_EQ(FileSetAttr("M:\\dir\\b.txt", faReadOnly), 0);
    EXPECT_EQ(FileGetAttr("M:\\dir\\b.txt"), faArchive | faReadOnly);
    EXPECT_EQ(FileGetAttr("M:\\dir\\none"), -1);
    EXPECT_EQ(FileSetAttr("M:\\dir\\none", 0), 2);
}

TEST_F(FileUtilsTest, CurrentDirectoryAndExpansion) {
    ASSERT_TRUE(SetCurrentDir("m:\\dir"));
    EXPECT_EQ(GetCurrentDir(), "M:\\Dir");
    EXPECT_EQ(ExpandFileName("sub\\..\\a.txt"), "M:\\Dir\\a.txt");
    EXPECT_EQ(ExpandFileName("\\x"), "M:\\x");
    EXPECT_FALSE(SetCurrentDir("M:\\nowhere"));
    EXPECT_EQ(FileSearch("a.txt", ""), "a.txt");
    EXPECT_EQ(FileSearch("b.txt", "M:\\;M:\\dir\\sub"), "");
    std::ofstream(temp.Path() / "Dir" / "Sub" / "b.txt") << "beta";
    EXPECT_EQ(FileSearch("b.txt", "M:\\;M:\\dir\\sub"), "M:\\dir\\sub\\b.txt");
}

TEST_F(FileUtilsTest, HandlesReadWriteAndSeek) {
    const uintptr_t file = FileCreate("M:\\dir\\h.bin");
    ASSERT_NE(file, static_cast<uintptr_t>(-1));
    EXPECT_EQ(FileWrite(file, "0123456789", 10), 10);
    EXPECT_EQ(FileSeek(file, 4, 0), 4);
    char buffer[8] = {};
    EXPECT_EQ(FileRead(file, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(FileSeek(file, -2, 2), 8);
    EXPECT_EQ(FileSeek(file, -20, 1), -1);
    EXPECT_NE(FileGetDate(file), -1);
    FileClose(file);
    EXPECT_EQ(FileOpen("M:\\dir\\missing.bin", 0), static_cast<uintptr_t>(-1));
    EXPECT_EQ(FileRead(file, buffer, 1), -1);
}

TEST_F(FileUtilsTest, DiskSpaceByDriveNumber) {
    EXPECT_GT(DiskSize(13), 0);  // M:
    EXPECT_GE(DiskSize(13), DiskFree(13));
    EXPECT_EQ(DiskSize(26), -1);  // Z: is not mapped
    EXPECT_EQ(DiskSize(27), -1);
    ASSERT_TRUE(SetCurrentDir("M:\\dir"));
    EXPECT_EQ(DiskSize(0), DiskSize(13));
}

}  // namespace
