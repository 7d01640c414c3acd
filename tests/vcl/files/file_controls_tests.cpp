// The file controls on a folder mapped to a drive: the file list's masks and types, the
// directory list's rows, and the links from the drive and filter combo boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/filectrl.h"
#include "win32/files.h"

namespace file_controls_tests {

using namespace vcl;
namespace fs = std::filesystem;

class FileControlsTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        for (const char* file : {"b.txt", "A.TXT", "c.bmp", "Sub/inner.txt", ".hidden"})
            zyltest::WriteTextFile(dir.Path() / file);
        fs::create_directories(dir.Path() / "Other" / "Deep");
        win32::testing::MapDrive('W', dir.Path().string(), win32::DRIVE_FIXED, "WORK");
        form = ShowForm();
    }
    static std::vector<std::string> Lines(TStrings* items) {
        std::vector<std::string> lines;
        for (Integer i = 0; i < items->Count(); ++i)
            lines.push_back(items->Strings(i));
        return lines;
    }
    template <typename T>
    T* Make() {
        auto* control = new T(form);
        control->SetParent(form);
        control->SetBounds(10, 10, 150, 120);
        return control;
    }

    zyltest::TempDir dir;
    TForm* form = nullptr;
};

TEST_F(FileControlsTest, FileListFollowsMaskAndTypes) {
    auto* files = Make<TFileListBox>();
    int changes = 0;
    files->OnChange = [&](TObject*) { ++changes; };
    files->SetDirectory("w:\\");
    EXPECT_EQ(files->Directory(), "W:\\");
    EXPECT_EQ(Lines(files->Items()), (std::vector<std::string>{"A.TXT", "b.txt", "c.bmp"}));
    files->SetMask("*.txt; *.BMP");
    EXPECT_EQ(Lines(files->Items()), (std::vector<std::string>{"A.TXT", "b.txt", "c.bmp"}));
    files->SetMask("*.txt");
    files->SetFileType({ftNormal, ftDirectory, ftHidden});
    EXPECT_EQ(Lines(files->Items()), (std::vector<std::string>{"A.TXT", "b.txt", "[Other]", "[Sub]"}));
    files->SetDirectory("W:\\Other");
    EXPECT_EQ(Lines(files->Items()), (std::vector<std::string>{"[..]", "[Deep]"}));
    files->SetDirectory("W:\\");
    files->SetFileName("W:\\b.txt");
    EXPECT_EQ(files->FileName(), "W:\\b.txt");
    EXPECT_GE(changes, 2);
    files->SetDirectory("W:\\Missing");
    EXPECT_EQ(files->Items()->Count(), 0);
}

TEST_F(FileControlsTest, DirectoryListShowsTheWayDownAndTheFoldersBelow) {
    auto* folders = Make<TDirectoryListBox>();
    auto* files = Make<TFileListBox>();
    folders->SetFileList(files);
    folders->SetDirectory("W:\\Other");
    EXPECT_EQ(Lines(folders->Items()), (std::vector<std::string>{"W:\\", "Other", "Deep"}));
    EXPECT_EQ(folders->GetItemPath(2), "W:\\Other\\Deep");
    EXPECT_EQ(files->Directory(), "W:\\Other");
    folders->SetItemIndex(0);
    folders->OpenCurrent();
    EXPECT_EQ(folders->Directory(), "W:\\");
    EXPECT_EQ(Lines(folders->Items()), (std::vector<std::string>{"W:\\", "Other", "Sub"}));
    EXPECT_THROW(folders->SetDirectory("W:\\Nowhere"), EInOutError);
    files->Free();
    EXPECT_EQ(folders->FileList(), nullptr);
}

TEST_F(FileControlsTest, DriveAndFilterCombosMoveTheListsTheyAreLinkedTo) {
    auto* folders = Make<TDirectoryListBox>();
    auto* files = Make<TFileListBox>();
    auto* drives = Make<TDriveComboBox>();
    auto* filters = Make<TFilterComboBox>();
    drives->SetDirList(folders);
    folders->SetFileList(files);
    filters->SetFileList(files);
    bool listed = false;
    for (Integer i = 0; i < drives->Items()->Count(); ++i)
        listed |= drives->Items()->Strings(i) == "w: [WORK]";
    EXPECT_TRUE(listed);
    drives->SetDrive('w');
    EXPECT_EQ(drives->Drive(), 'W');
    EXPECT_EQ(folders->Drive(), 'W');
    EXPECT_EQ(files->Drive(), 'W');
    drives->SetDrive('#');
    EXPECT_EQ(drives->Drive(), 'W');
    filters->SetFilter("Text|*.txt|Pictures|*.bmp");
    EXPECT_EQ(files->Mask(), "*.txt");
    filters->SetItemIndex(1);
    EXPECT_EQ(filters->Mask(), "*.bmp");
}

}  // namespace file_controls_tests
