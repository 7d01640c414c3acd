// Drive letters, the resolution of Windows paths, current directories and wildcard matching.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "support/tempdir.h"
#include "win32/files.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

class DriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temp.Path() / "Docs" / "Reports");
        zyltest::WriteTextFile(temp.Path() / "Docs" / "Reports" / "Annual.TXT");
        wt::MapDrive('Q', temp.Path().string(), DRIVE_FIXED, "WORK", 0x1234ABCD);
    }
    void TearDown() override { wt::ResetPlatform(); }

    zyltest::TempDir temp;
};

TEST_F(DriveTest, MappedDriveAppearsInTheMaskAndTheStrings) {
    EXPECT_EQ(GetLogicalDrives(), (1u << ('C' - 'A')) | (1u << ('Q' - 'A')));
    char buffer[64];
    const DWORD length = GetLogicalDriveStrings(sizeof buffer, buffer);
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(std::string(buffer, length + 1), std::string("C:\\\0Q:\\\0\0", 9));
    EXPECT_EQ(GetLogicalDriveStrings(4, buffer), 9u);
}

TEST_F(DriveTest, DriveTypesFollowTheMap) {
    wt::MapDrive('E', temp.Path().string(), DRIVE_CDROM);
    wt::MapDrive('A', temp.Path().string(), DRIVE_REMOVABLE, "", 0, false);
    EXPECT_EQ(GetDriveType("Q:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveType("e:"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveType("A:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveType("Z:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveType("Q:\\Docs"), DRIVE_NO_ROOT_DIR);
    wt::UnmapDrive('E');
    EXPECT_EQ(GetDriveType("E:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(DriveTest, VolumeInformationReportsLabelSerialAndFileSystem) {
    char label[40], system[40];
    DWORD serial = 0, component = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformation("Q:\\", label, sizeof label, &serial, &component, &flags, system,
                                     sizeof system));
    EXPECT_STREQ(label, "WORK");
    EXPECT_EQ(serial, 0x1234ABCDu);
    EXPECT_GE(component, 255u);
    EXPECT_TRUE(flags & FILE_CASE_PRESERVED_NAMES);
    EXPECT_GT(std::strlen(system), 0u);
    ASSERT_TRUE(SetVolumeLabel("Q:\\", "ARCHIVE"));
    ASSERT_TRUE(GetVolumeInformation("Q:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_STREQ(label, "ARCHIVE");
    EXPECT_FALSE(SetVolumeLabel("Q:\\", "bad*label"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST_F(DriveTest, RemovableDriveWithoutMediumIsNotReady) {
    wt::MapDrive('A', temp.Path().string(), DRIVE_REMOVABLE, "", 0, false);
    ULARGE_INTEGER available{}, total{}, free{};
    EXPECT_FALSE(GetDiskFreeSpaceEx("A:\\", &available, &total, &free));
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
    EXPECT_EQ(GetFileAttributes("A:\\Docs"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
    ASSERT_TRUE(GetDiskFreeSpaceEx("Q:\\Docs", &available, &total, &free));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(available.QuadPart, total.QuadPart);
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpace("Q:\\", &sectors, &bytes, &freeClusters, &clusters));
    EXPECT_EQ(bytes, 512u);
    EXPECT_LE(freeClusters, clusters);
}

TEST_F(DriveTest, PathsResolveWithoutRegardToCaseAndKeepTheRealSpelling) {
    const std::string expected = (temp.Path() / "Docs" / "Reports" / "Annual.TXT").string();
    EXPECT_EQ(NativePath("q:\\docs\\REPORTS\\annual.txt"), expected);
    EXPECT_EQ(NativePath("Q:/Docs/reports/ANNUAL.txt"), expected);
    char real[MAX_PATH];
    ASSERT_GT(GetLongPathName("q:\\DOCS\\reports\\annual.txt", real, MAX_PATH), 0u);
    EXPECT_STREQ(real, "Q:\\Docs\\Reports\\Annual.TXT");
    // Names not yet there keep the case written.
    EXPECT_EQ(NativePath("q:\\docs\\NewFile.txt"), (temp.Path() / "Docs" / "NewFile.txt").string());
}

TEST_F(DriveTest, ExactMatchWinsOverCaseInsensitiveOne) {
    zyltest::WriteTextFile(temp.Path() / "readme", "lower");
    zyltest::WriteTextFile(temp.Path() / "README", "upper");
    EXPECT_EQ(NativePath("Q:\\README"), (temp.Path() / "README").string());
    EXPECT_EQ(NativePath("Q:\\readme"), (temp.Path() / "readme").string());
    // Without an exact match, the first in byte order.
    EXPECT_EQ(NativePath("Q:\\ReadMe"), (temp.Path() / "README").string());
}

TEST_F(DriveTest, NativePathsConvertBackToTheLongestMappedDrive) {
    wt::MapDrive('R', (temp.Path() / "Docs").string());
    EXPECT_EQ(WindowsPath((temp.Path() / "Docs" / "Reports").string()), "R:\\Reports");
    EXPECT_EQ(WindowsPath(temp.Path().string() + "/x/../Docs"), "R:\\");
    EXPECT_EQ(WindowsPath((temp.Path() / "Other").string()), "Q:\\Other");
    EXPECT_EQ(WindowsPath("/usr/share"), "C:\\usr\\share");
    wt::MapDrive('C', (temp.Path() / "Docs").string());
    EXPECT_EQ(WindowsPath("/usr/share"), "");
    wt::UnmapDrive('C');
    EXPECT_EQ(WindowsPath("/usr/share"), "C:\\usr\\share");
}

struct RefusedName {
    const char* path;
    DWORD error;
};

class RefusedNameTest : public DriveTest, public ::testing::WithParamInterface<RefusedName> {};

TEST_P(RefusedNameTest, FailsWithoutTouchingTheDisk) {
    const RefusedName& c = GetParam();
    SetLastError(0);
    EXPECT_EQ(NativePath(c.path), "");
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    EXPECT_EQ(GetFileAttributes(c.path), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(CreateDirectory(c.path, nullptr));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedNameTest,
    ::testing::Values(RefusedName{"Q:\\a\x01"
                                  "b",
                                  ERROR_INVALID_NAME},
                      RefusedName{"Q:\\..\\etc", ERROR_INVALID_NAME},
                      RefusedName{"Q:\\Docs\\..\\..\\x", ERROR_INVALID_NAME},
                      RefusedName{"Q:\\a<b", ERROR_INVALID_NAME}, RefusedName{"Q:\\a|b", ERROR_INVALID_NAME},
                      RefusedName{"Q:\\a\"b", ERROR_INVALID_NAME}, RefusedName{"Q:\\a:b", ERROR_INVALID_NAME},
                      RefusedName{"Q:\\a*b", ERROR_INVALID_NAME},
                      RefusedName{"\\\\server\\share", ERROR_INVALID_NAME},
                      RefusedName{"1:\\x", ERROR_INVALID_NAME}, RefusedName{"Z:\\x", ERROR_PATH_NOT_FOUND},
                      RefusedName{"", ERROR_PATH_NOT_FOUND}));

TEST_F(DriveTest, DotDotInsideTheDriveIsAllowed) {
    EXPECT_EQ(NativePath("Q:\\Docs\\Reports\\..\\.\\Reports\\annual.txt"),
              (temp.Path() / "Docs" / "Reports" / "Annual.TXT").string());
}

TEST_F(DriveTest, EachDriveKeepsItsOwnCurrentDirectory) {
    wt::MapDrive('R', temp.Path().string());
    ASSERT_TRUE(SetCurrentDirectory("q:\\docs"));
    ASSERT_TRUE(SetCurrentDirectory("R:\\Docs\\Reports"));
    char buffer[MAX_PATH];
    ASSERT_GT(GetCurrentDirectory(MAX_PATH, buffer), 0u);
    EXPECT_STREQ(buffer, "R:\\Docs\\Reports");
    ASSERT_GT(GetFullPathName("Q:reports\\x.txt", MAX_PATH, buffer, nullptr), 0u);
    EXPECT_STREQ(buffer, "Q:\\Docs\\reports\\x.txt");
    char* filePart = nullptr;
    ASSERT_GT(GetFullPathName("..\\y.txt", MAX_PATH, buffer, &filePart), 0u);
    EXPECT_STREQ(buffer, "R:\\Docs\\y.txt");
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "y.txt");
    ASSERT_GT(GetFullPathName("\\top", MAX_PATH, buffer, nullptr), 0u);
    EXPECT_STREQ(buffer, "R:\\top");
    EXPECT_FALSE(SetCurrentDirectory("Q:\\Docs\\Reports\\Annual.TXT"));
    EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
    EXPECT_FALSE(SetCurrentDirectory("Q:\\Missing"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(DriveTest, BuffersFollowTheSizeConvention) {
    ASSERT_TRUE(SetCurrentDirectory("Q:\\Docs"));
    char small[4];
    EXPECT_EQ(GetCurrentDirectory(sizeof small, small), 8u);  // "Q:\Docs" and its NUL
    char exact[8];
    EXPECT_EQ(GetCurrentDirectory(sizeof exact, exact), 7u);
    EXPECT_STREQ(exact, "Q:\\Docs");
}

TEST_F(DriveTest, ResetForgetsMapsAndCurrentDirectories) {
    ASSERT_TRUE(SetCurrentDirectory("Q:\\Docs"));
    wt::ResetPlatform();
    EXPECT_EQ(GetDriveType("Q:\\"), DRIVE_NO_ROOT_DIR);
    char buffer[MAX_PATH];
    ASSERT_GT(GetCurrentDirectory(MAX_PATH, buffer), 0u);
    EXPECT_EQ(buffer[0], 'C');
}

struct WildcardCase {
    const char* pattern;
    const char* name;
    bool matches;
};

class WildcardTest : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(WildcardTest, FollowsTheWindowsRules) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WildcardTest,
    ::testing::Values(WildcardCase{"*", "anything.txt", true}, WildcardCase{"*.*", "noextension", true},
                      WildcardCase{"*.*", "a.b.c", true}, WildcardCase{"*.txt", "README.TXT", true},
                      WildcardCase{"*.txt", "readme.txt.bak", false},
                      WildcardCase{"*.TXT", "notes.text", false}, WildcardCase{"a?c", "abc", true},
                      WildcardCase{"a?c", "ac", false}, WildcardCase{"a?c", "a.c", false},
                      WildcardCase{"a??", "a", true}, WildcardCase{"a?.txt", "a.txt", true},
                      WildcardCase{"abc.", "abc", true}, WildcardCase{"abc.*", "abc", true},
                      WildcardCase{"a.??", "a", true}, WildcardCase{"*a*b*", "xxaxxbxx", true},
                      WildcardCase{"*a*b*", "xxbxxaxx", false}, WildcardCase{"?", "\xC3\xA9", true},
                      WildcardCase{"??", "\xC3\xA9", true}, WildcardCase{"report", "REPORT", true},
                      WildcardCase{"report", "report1", false}, WildcardCase{"", "", true},
                      WildcardCase{"", "a", false}));

}  // namespace
