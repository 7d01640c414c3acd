#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/tempdir.h"
#include "vcl/inifiles.h"
#include "win32/profile.h"

namespace {

using namespace vcl;
using namespace std::string_literals;

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::SetWindowsDirectory(dir_.File("windows")); }
    void TearDown() override {
        win32::testing::FailNextProfileWrite(-1);
        win32::testing::ResetPlatform();
    }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string WriteMessage(TIniFile& ini, const std::string& section, const std::string& key,
                             const std::string& value) {
        try {
            ini.WriteString(section, key, value);
        } catch (const EIniFileException& error) {
            return error.Message();
        }
        return "<no exception>";
    }

    zyltest::TempDir dir_;
    std::string path_ = dir_.File("app.ini");
};

TEST_F(IniFileTest, ReadsFollowTheProfileRules) {
    Write(
        "[Main]\n Caption = ' Hello ' \nCount=$1F\nHex=0x10\nBad=12x\nOn=1\nOff=0\nRatio=2.5\n"
        "Day=03/15/2024\nWhen=03/15/2024 13:30:00\nAt=13:30:00\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("MAIN", "caption", ""), " Hello ");
    EXPECT_EQ(ini.ReadInteger("main", "Count", 0), 31);
    EXPECT_EQ(ini.ReadInteger("main", "Hex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("main", "Bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("main", "Missing", 8), 8);
    EXPECT_TRUE(ini.ReadBool("Main", "On", false));
    EXPECT_FALSE(ini.ReadBool("Main", "Off", true));
    EXPECT_TRUE(ini.ReadBool("Main", "Missing", true));
    EXPECT_EQ(ini.ReadFloat("Main", "Ratio", 0), 2.5);
    EXPECT_EQ(ini.ReadFloat("Main", "Caption", 1.5), 1.5);
    EXPECT_EQ(ini.ReadDate("Main", "Day", 0), EncodeDate(2024, 3, 15));
    EXPECT_EQ(ini.ReadDateTime("Main", "When", 0), EncodeDate(2024, 3, 15) + EncodeTime(13, 30, 0, 0));
    EXPECT_EQ(ini.ReadTime("Main", "At", 0), EncodeTime(13, 30, 0, 0));
    EXPECT_EQ(ini.ReadDate("Main", "Caption", 7.0), 7.0);
    EXPECT_TRUE(ini.SectionExists("main"));
    EXPECT_TRUE(ini.ValueExists("main", "RATIO"));
    EXPECT_FALSE(ini.ValueExists("main", "nothing"));
}

TEST_F(IniFileTest, WritesRoundTripAndKeepComments) {
    Write("; settings of the app\r\n[Main]\r\n; the caption\r\nCaption=Old\r\n");
    TIniFile ini(path_);
    ini.WriteString("Main", "caption", "New");
    ini.WriteInteger("Main", "Count", -3);
    ini.WriteBool("Main", "On", true);
    ini.WriteFloat("Numbers", "Ratio", 0.25);
    ini.WriteDate("Numbers", "Day", EncodeDate(2024, 1, 2));
    EXPECT_EQ(Contents(),
              "; settings of the app\r\n[Main]\r\n; the caption\r\nCaption=New\r\nCount=-3\r\nOn=1\r\n"
              "[Numbers]\r\nRatio=0.25\r\nDay=1/2/2024\r\n")
        << "a new section follows the last line directly, as Win32 writes it";
    EXPECT_EQ(ini.ReadInteger("Main", "Count", 0), -3);
    EXPECT_EQ(ini.ReadDate("Numbers", "Day", 0), EncodeDate(2024, 1, 2));

    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(list.CommaText(), "Main,Numbers");
    ini.ReadSectionValues("Main", &list);
    EXPECT_EQ(list.CommaText(), "Caption=New,Count=-3,On=1");
    ini.DeleteKey("main", "COUNT");
    ini.EraseSection("numbers");
    ini.UpdateFile();
    EXPECT_EQ(Contents(), "; settings of the app\r\n[Main]\r\n; the caption\r\nCaption=New\r\nOn=1\r\n");
}

TEST_F(IniFileTest, WritesThatWouldCorruptTheFileAreRefused) {
    Write("[S]\nk=v\n");
    TIniFile ini(path_);
    EXPECT_EQ(WriteMessage(ini, "S", "k", "two\nlines"),
              "Unable to write to " + path_ + ": the value of 'k' holds a line break");
    EXPECT_EQ(WriteMessage(ini, "S]", "k", "v"),
              "Unable to write to " + path_ + ": the section name 'S]' holds ']' or a line break");
    EXPECT_NE(WriteMessage(ini, "S", "a=b", "v").find("the key name 'a=b'"), std::string::npos);
    EXPECT_NE(WriteMessage(ini, "S", "k", "nul\0inside"s).find("NUL"), std::string::npos);
    EXPECT_THROW(ini.EraseSection("bad\nsection"), EIniFileException);
    EXPECT_EQ(Contents(), "[S]\nk=v\n");
}

TEST_F(IniFileTest, AFailedWriteRaisesAndKeepsTheOldFile) {
    Write("[S]\nk=old\n");
    TIniFile ini(path_);
    win32::testing::FailNextProfileWrite(3);
    EXPECT_EQ(WriteMessage(ini, "S", "k", "new"), "Unable to write to " + path_);
    EXPECT_EQ(Contents(), "[S]\nk=old\n");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "old");
}

TEST_F(IniFileTest, MissingOrUnreadableFilesAnswerDefaults) {
    TIniFile missing(dir_.File("none.ini"));
    EXPECT_EQ(missing.ReadString("S", "k", "d"), "d");
    EXPECT_FALSE(missing.SectionExists("S"));
    std::filesystem::create_directory(dir_.File("folder.ini"));
    TIniFile folder(dir_.File("folder.ini"));
    EXPECT_EQ(folder.ReadInteger("S", "k", 4), 4);
    EXPECT_THROW(folder.WriteString("S", "k", "v"), EIniFileException);
    EXPECT_TRUE(std::filesystem::is_directory(dir_.File("folder.ini")));
}

TEST_F(IniFileTest, RelativeNamesLiveInTheWindowsDirectory) {
    TIniFile ini("relative.ini");
    EXPECT_EQ(ini.FileName(), "relative.ini");
    ini.WriteString("S", "k", "v");
    EXPECT_TRUE(std::filesystem::exists(dir_.File("windows") + "/relative.ini"));
    EXPECT_EQ(TIniFile("RELATIVE.ini").ReadString("s", "K", ""), "") << "file names keep their case on Linux";
    EXPECT_EQ(ini.ReadString("s", "K", ""), "v");
}

}  // namespace
