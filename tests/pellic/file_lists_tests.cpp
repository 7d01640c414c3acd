// The file combo, drive combo, folder list and icon lists over a real folder tree in a temporary
// directory mapped to drive Q: (R: is a CD-ROM, S: a removable drive): masks and attribute kinds,
// paths and their errors, one change report per selection by mouse and keyboard, the shell's and
// the package's pictures in the rows, and icon files with several, one or no icons.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pellic/zyltfilectrls.h"
#include "pellic/zylticonctrls.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/fileutils.h"
#include "win32/files.h"
#include "win32/gdi.h"
#include "win32/imagelist.h"
#include "win32/resources.h"
#include "win32/shell.h"
#include "win32/virtualkeys.h"

namespace file_lists_tests {

using namespace pellic;
using vcl::Integer;
namespace fs = std::filesystem;

std::vector<std::string> ItemTexts(vcl::TStrings* items) {
    std::vector<std::string> texts;
    for (Integer i = 0; i < items->Count(); ++i)
        texts.push_back(items->Strings(i));
    return texts;
}

// A solid square icon of one colour.
win32::HICON SolidIcon(vcl::TColor color) {
    vcl::TBitmap image;
    image.SetSize(32, 32);
    image.Canvas()->Brush()->SetColor(color);
    image.Canvas()->FillRect(vcl::Rect(0, 0, 32, 32));
    const std::vector<uint8_t> opaque(32 * 4, 0);
    const win32::HBITMAP mask = win32::CreateBitmap(32, 32, 1, 1, opaque.data());
    win32::ICONINFO info{win32::TRUE, 0, 0, mask, image.Handle()};
    const win32::HICON icon = win32::CreateIconIndirect(&info);
    win32::DeleteObject(mask);
    return icon;
}

void WriteIcons(const fs::path& path, const std::vector<vcl::TColor>& colors) {
    std::vector<win32::HICON> icons;
    for (vcl::TColor color : colors)
        icons.push_back(SolidIcon(color));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(win32::WriteIconFile(icons, bytes));
    for (win32::HICON icon : icons)
        win32::DestroyIcon(icon);
    zyltest::WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
}

// The non-key pixels of `picture` are found at (x, y) of `shot`; the picture must show something.
void ExpectPictureAt(vcl::TBitmap* shot, Integer x, Integer y, vcl::TBitmap* picture, vcl::TColor key) {
    Integer shown = 0, wrong = 0;
    for (Integer py = 0; py < picture->Height(); ++py)
        for (Integer px = 0; px < picture->Width(); ++px) {
            const vcl::TColor expected = picture->Canvas()->Pixels(px, py);
            if (expected == key) continue;
            ++shown;
            if (shot->Canvas()->Pixels(x + px, y + py) != expected && wrong++ == 0)
                ADD_FAILURE() << "first difference at " << px << "," << py << ": " << std::hex << expected
                              << " shown as " << shot->Canvas()->Pixels(x + px, y + py);
        }
    EXPECT_GT(shown, 0);
    EXPECT_EQ(wrong, 0) << "at " << x << "," << y;
}

// Image `index` of the shell's small image list on a fuchsia key.
std::unique_ptr<vcl::TBitmap> ShellPicture(int index) {
    auto picture = std::make_unique<vcl::TBitmap>();
    picture->SetSize(16, 16);
    picture->Canvas()->Brush()->SetColor(vcl::clFuchsia);
    picture->Canvas()->FillRect(vcl::Rect(0, 0, 16, 16));
    win32::SHFILEINFO info{};
    const auto list = reinterpret_cast<win32::HIMAGELIST>(win32::SHGetFileInfo(
        "Q:\\", 0, &info, sizeof info, win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON));
    win32::ImageList_Draw(list, index, picture->Canvas()->Handle(), 0, 0, win32::ILD_TRANSPARENT);
    return picture;
}

// A row of a list in the list's own painted picture (the border included).
vcl::TRect RowInShot(vcl::TCustomListBox* list, Integer index) {
    const Integer border = (list->Width() - list->ClientWidth()) / 2;
    vcl::TRect rect = list->ItemRect(index);
    return vcl::Rect(rect.left + border, rect.top + border, rect.right + border, rect.bottom + border);
}

class FileListsTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        const fs::path q = dir.Path() / "q";
        for (const char* folder : {"Sub/Deeper", "Other", "icons"})
            fs::create_directories(q / folder);
        for (const char* file :
             {"a.txt", "b.TXT", "c.ini", "readme.md", "tools.t", "Sub/inner.txt", ".secret.ini"})
            zyltest::WriteTextFile(q / file);
        WriteIcons(q / "icons" / "three.ico", {vcl::clRed, vcl::clLime, vcl::clBlue});
        WriteIcons(q / "icons" / "one.ico", {vcl::clYellow});
        zyltest::WriteTextFile(q / "icons" / "notes.txt", "plain text");
        win32::testing::MapDrive('Q', q.string());
        fs::create_directories(dir.Path() / "r");
        win32::testing::MapDrive('R', (dir.Path() / "r").string(), win32::DRIVE_CDROM, "DISC");
        fs::create_directories(dir.Path() / "s");
        win32::testing::MapDrive('S', (dir.Path() / "s").string(), win32::DRIVE_REMOVABLE);
        form = ShowForm(100, 100, 360, 300);
    }

    TZylFileCombo* MakeFileCombo(const std::string& folder = "Q:\\") {
        auto* combo = new TZylFileCombo(form);
        combo->SetParent(form);
        combo->SetBounds(10, 10, 200, 24);
        combo->SetDirectory(folder);
        combo->OnChange = [this](vcl::TObject*) { ++changes; };
        PumpUntilIdle();
        return combo;
    }

    static void ClickRow(vcl::TCustomComboBox* combo, Integer row) {
        ClickAt(combo, 20, combo->Height() / 2);
        ASSERT_TRUE(combo->DroppedDown());
        vcl::TCustomListBox* list = combo->ListBox();
        const vcl::TPoint at = list->ClientToScreen(vcl::Point(30, list->ItemRect(row).top + 3));
        win32::input::Click(at.x, at.y);
        PumpUntilIdle();
    }

    zyltest::TempDir dir;
    vcl::TForm* form = nullptr;
    int changes = 0;
};

TEST_F(FileListsTest, FileComboListsEachMatchingEntryOnceSortedWithFoldersInBrackets) {
    TZylFileCombo* combo = MakeFileCombo();
    EXPECT_EQ(combo->Width(), 200);
    EXPECT_EQ(ItemTexts(combo->Items()),
              (std::vector<std::string>{"a.txt", "b.TXT", "c.ini", "readme.md", "tools.t"}));
    EXPECT_EQ(combo->ItemIndex(), 0) << "the first name is chosen";
    combo->SetMask("*.txt;*.ini");
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"a.txt", "b.TXT", "c.ini"}));
    // Overlapping patterns find the same files more than once.
    combo->SetMask("*.txt;*.TXT;*.t*");
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"a.txt", "b.TXT", "tools.t"}));

    combo->SetMask("*.*");
    combo->SetFileType(vcl::TFileType{vcl::ftDirectory});
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"[icons]", "[Other]", "[Sub]"}));
    combo->SetDirectory("Sub");
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"[..]", "[Deeper]"}));
    combo->SetFileType(vcl::TFileType{vcl::ftNormal, vcl::ftDirectory});
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"[..]", "[Deeper]", "inner.txt"}));
    // A hidden file (a dot name) shows only when asked for.
    combo->SetDirectory("Q:\\");
    combo->SetFileType(vcl::TFileType{vcl::ftNormal});
    combo->SetMask("*.ini;*.md");
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"c.ini", "readme.md"}));
    combo->SetFileType(vcl::TFileType{vcl::ftNormal, vcl::ftHidden});
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{".secret.ini", "c.ini", "readme.md"}));
    combo->SetFileType(vcl::TFileType{vcl::ftHidden});
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{".secret.ini"}));
}

TEST_F(FileListsTest, FileComboFollowsDirectoriesDrivesAndPathsAndRefusesWhatIsNotThere) {
    TZylFileCombo* combo = MakeFileCombo();
    EXPECT_EQ(combo->Directory(), "Q:\\");
    EXPECT_EQ(combo->Drive(), 'Q');
    combo->SetDirectory("sub");
    EXPECT_EQ(vcl::UpperCase(combo->Directory()), "Q:\\SUB");
    EXPECT_EQ(combo->FilePath(), combo->Directory() + "\\inner.txt");
    EXPECT_THROW(combo->SetDirectory("Q:\\Missing"), vcl::EInOutError);
    EXPECT_EQ(vcl::UpperCase(combo->Directory()), "Q:\\SUB") << "a refused folder changes nothing";

    combo->SetDrive('r');
    EXPECT_EQ(combo->Directory(), "R:\\");
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(combo->FileName(), "");
    EXPECT_EQ(combo->FilePath(), "");

    // A wildcard name is a mask; a name is selected; a name the mask hides becomes the mask.
    combo->SetFilePath("Q:\\*.ini");
    EXPECT_EQ(combo->Directory(), "Q:\\");
    EXPECT_EQ(combo->Mask(), "*.ini");
    EXPECT_EQ(ItemTexts(combo->Items()), std::vector<std::string>{"c.ini"});
    combo->SetMask("*.*");
    combo->SetFilePath("Q:\\README.MD");
    EXPECT_EQ(combo->FileName(), "readme.md");
    EXPECT_EQ(combo->FilePath(), "Q:\\readme.md");
    combo->SetMask("*.txt");
    combo->SetFilePath("Q:\\c.ini");
    EXPECT_EQ(combo->Mask(), "c.ini");
    EXPECT_EQ(combo->FilePath(), "Q:\\c.ini");
    EXPECT_THROW(combo->SetFilePath("Q:\\Sub\\missing.txt"), vcl::EInvalidOperation);
    EXPECT_EQ(combo->FilePath(), "Q:\\c.ini") << "a refused path changes nothing";

    combo->SetFileName("B.txt");
    EXPECT_EQ(combo->FileName(), "") << "not listed under the mask c.ini";
    combo->SetMask("*.txt");
    combo->SetFileName("B.txt");
    EXPECT_EQ(combo->FileName(), "b.TXT");
}

TEST_F(FileListsTest, FileComboReportsEachSelectionOnceToOnChangeAndItsEdit) {
    TZylFileCombo* combo = MakeFileCombo();
    auto* edit = new vcl::TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 60, 150, 21);
    combo->SetFileEdit(edit);
    EXPECT_EQ(edit->Text(), "a.txt");
    changes = 0;

    combo->SetFocus();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(combo->FileName(), "b.TXT");
    EXPECT_EQ(edit->Text(), "b.TXT");
    EXPECT_EQ(edit->SelLength(), 5);

    ClickRow(combo, 3);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(edit->Text(), "readme.md");
    ClickRow(combo, 3);
    EXPECT_EQ(changes, 2) << "choosing the chosen row again is no change";

    // With nothing listed the edit shows the mask.
    combo->SetMask("*.none");
    EXPECT_EQ(edit->Text(), "*.none");
    edit->Free();
    EXPECT_EQ(combo->FileEdit(), nullptr);
    combo->SetMask("*.*");
    EXPECT_EQ(combo->FileName(), "a.txt");
}

TEST_F(FileListsTest, FileComboRowsShowTheShellIconOfFilesAndFolders) {
    TZylFileCombo* combo = MakeFileCombo();
    combo->SetFileType(vcl::TFileType{vcl::ftNormal, vcl::ftDirectory});
    const Integer sub = combo->Items()->IndexOf("[Sub]");
    ASSERT_GE(sub, 0);
    combo->SetDroppedDown(true);
    PumpUntilIdle();
    vcl::TCustomListBox* list = combo->ListBox();
    auto shot = BitmapOf(list);
    // A folder is asked about by its name, not its bracketed text: the open folder icon.
    const vcl::TRect folderRow = RowInShot(list, sub);
    ExpectPictureAt(shot.get(), folderRow.left, folderRow.top,
                    ShellPicture(win32::SHELL_ICON_FOLDER_OPEN).get(), vcl::clFuchsia);
    const vcl::TRect textRow = RowInShot(list, combo->Items()->IndexOf("a.txt"));
    ExpectPictureAt(shot.get(), textRow.left, textRow.top, ShellPicture(win32::SHELL_ICON_DOCUMENT).get(),
                    vcl::clFuchsia);
}

TEST_F(FileListsTest, DriveComboShowsThePictureOfEachKindOfDrive) {
    auto* combo = new TZylDriveCombo(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 200, 24);
    PumpUntilIdle();
    EXPECT_GE(combo->ItemHeight(), 16);
    const Integer before = combo->ItemHeight();
    combo->Font()->SetSize(24);
    EXPECT_GT(combo->ItemHeight(), before) << "rows follow the font";
    combo->Font()->SetSize(8);

    Integer q = -1, r = -1, s = -1;
    for (Integer i = 0; i < combo->Items()->Count(); ++i) {
        const std::string& text = combo->Items()->Strings(i);
        if (text.starts_with("q:")) q = i;
        if (text.starts_with("r:")) r = i;
        if (text.starts_with("s:")) s = i;
    }
    ASSERT_GE(q, 0);
    ASSERT_GE(r, 0);
    ASSERT_GE(s, 0);
    EXPECT_EQ(combo->Items()->Strings(r), "r: [DISC]");
    combo->SetDroppedDown(true);
    PumpUntilIdle();
    vcl::TCustomListBox* list = combo->ListBox();
    auto shot = BitmapOf(list);
    const win32::HINSTANCE pellic = win32::GetModuleHandle("pellic");
    for (const auto& [row, name] :
         {std::pair{q, "ZYLFIXED"}, std::pair{r, "ZYLCDROM"}, std::pair{s, "ZYLFLOPPY"}}) {
        vcl::TBitmap picture;
        picture.SetHandle(win32::LoadBitmap(pellic, name));
        ASSERT_FALSE(picture.Empty()) << name;
        const vcl::TRect rect = RowInShot(list, row);
        SCOPED_TRACE(name);
        ExpectPictureAt(shot.get(), rect.left + 2, rect.top + (rect.bottom - rect.top - 16) / 2, &picture,
                        picture.Canvas()->Pixels(0, 15));
    }
    combo->SetDroppedDown(false);
    // Choosing a drive by keyboard moves the combo to it.
    combo->SetDrive('Q');
    combo->SetFocus();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(combo->Drive(), 'R');
}

TEST_F(FileListsTest, FolderListShowsOpenFoldersDownToTheCurrentOneAndClosedOnesBelow) {
    auto* list = new TZylFolderListbox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 120);
    list->SetDirectory("Q:\\Sub");
    PumpUntilIdle();
    ASSERT_EQ(ItemTexts(list->Items()), (std::vector<std::string>{"Q:\\", "Sub", "Deeper"}));
    auto shot = BitmapOf(list);
    const auto open = ShellPicture(win32::SHELL_ICON_FOLDER_OPEN);
    const auto closed = ShellPicture(win32::SHELL_ICON_FOLDER);
    // Each row one indent step deeper, down to the current folder's contents.
    for (const auto& [row, picture] :
         {std::pair{0, open.get()}, std::pair{1, open.get()}, std::pair{2, closed.get()}}) {
        const vcl::TRect rect = RowInShot(list, row);
        SCOPED_TRACE(row);
        ExpectPictureAt(shot.get(), rect.left + 2 + row * 8, rect.top, picture, vcl::clFuchsia);
    }
    // The keyboard opens the chosen folder.
    list->SetFocus();
    PressKey(win32::VK_DOWN);
    PressKey(win32::VK_RETURN);
    EXPECT_EQ(vcl::UpperCase(list->Directory()), "Q:\\SUB\\DEEPER");
}

TEST_F(FileListsTest, IconListsCountTheIconsOfAFileAndTreatOtherFilesAsHavingNone) {
    auto* combo = new TZylIconCombo(form);
    combo->SetParent(form);
    combo->SetLeft(10);
    int fileChanges = 0;
    combo->OnFileChange = [&](vcl::TObject*) { ++fileChanges; };
    const int icon = win32::GetSystemMetrics(win32::SM_CXICON);
    EXPECT_EQ(combo->Width(), win32::GetSystemMetrics(win32::SM_CXVSCROLL) + icon + 13);
    EXPECT_EQ(combo->DropDownCount(), 5);

    combo->SetFileName("Q:\\icons\\three.ico");
    EXPECT_EQ(fileChanges, 1);
    EXPECT_EQ(combo->NumberOfIcons(), 3);
    EXPECT_EQ(ItemTexts(combo->Items()), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(combo->IconIndex(), 0);
    ASSERT_FALSE(combo->Icon()->Empty());
    EXPECT_EQ(combo->Icon()->Width(), 32);

    combo->SetFileName("Q:\\icons\\one.ico");
    EXPECT_EQ(combo->NumberOfIcons(), 1) << "a single icon is an icon";
    EXPECT_EQ(combo->Items()->Count(), 1);
    // A file without icons answers 1 to the count: it is none, not one.
    combo->SetFileName("Q:\\icons\\notes.txt");
    EXPECT_EQ(combo->NumberOfIcons(), 0);
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(combo->IconIndex(), -1);
    EXPECT_TRUE(combo->Icon()->Empty());
    combo->SetFileName("Q:\\icons\\missing.ico");
    EXPECT_EQ(combo->NumberOfIcons(), -1);
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(fileChanges, 4);

    auto* list = new TZylIconListbox(form);
    list->SetParent(form);
    list->SetFileName("Q:\\icons\\notes.txt");
    EXPECT_EQ(list->NumberOfIcons(), 0);
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(FileListsTest, IconComboDrawsEachIconCentredAndTheKeyboardChoosesOne) {
    auto* combo = new TZylIconCombo(form);
    combo->SetParent(form);
    combo->SetLeft(10);
    combo->SetFileName("Q:\\icons\\three.ico");
    PumpUntilIdle();
    combo->SetFocus();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(combo->IconIndex(), 1);
    EXPECT_EQ(combo->Icon()->Handle() != nullptr, true);
    vcl::TBitmap drawn;
    drawn.SetSize(32, 32);
    drawn.Canvas()->Draw(0, 0, combo->Icon());
    EXPECT_EQ(drawn.Canvas()->Pixels(16, 16), vcl::clLime);

    combo->SetDroppedDown(true);
    PumpUntilIdle();
    vcl::TCustomListBox* list = combo->ListBox();
    auto shot = BitmapOf(list);
    const vcl::TColor colors[] = {vcl::clRed, vcl::clLime, vcl::clBlue};
    for (Integer row = 0; row < 3; ++row) {
        const vcl::TRect rect = RowInShot(list, row);
        const Integer cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
        EXPECT_EQ(shot->Canvas()->Pixels(cx, cy), colors[row]) << row;
        // Centred: the icon's 32 pixels span the middle of the row.
        EXPECT_EQ(shot->Canvas()->Pixels(cx - 15, cy), colors[row]) << row;
        EXPECT_NE(shot->Canvas()->Pixels(rect.left + 1, cy), colors[row]) << row;
    }
}

TEST_F(FileListsTest, IconListSizesItselfByIconsPerRowAndTheMouseChoosesAnIcon) {
    auto* list = new TZylIconListbox(form);
    list->SetParent(form);
    list->SetLeft(10);
    list->SetTop(10);
    const int cx = win32::GetSystemMetrics(win32::SM_CXICON), cy = win32::GetSystemMetrics(win32::SM_CYICON);
    const int scroll = win32::GetSystemMetrics(win32::SM_CYHSCROLL);
    EXPECT_EQ(list->Width(), (cx + 6) * 4 + 2);
    EXPECT_EQ(list->Height(), (cy + 6) + scroll + 1);
    EXPECT_EQ(list->Columns(), 4);
    list->SetXIcons(0);
    list->SetYIcons(-1);
    EXPECT_EQ(list->Width(), (cx + 6) * 4 + 2) << "0 and less are ignored";
    list->SetXIcons(3);
    list->SetYIcons(2);
    EXPECT_EQ(list->Width(), (cx + 6) * 3 + 2);
    EXPECT_EQ(list->Height(), (cy + 6) * 2 + scroll + 1);
    EXPECT_EQ(list->Columns(), 3);

    list->SetYIcons(1);
    list->SetFileName("Q:\\icons\\three.ico");
    PumpUntilIdle();
    EXPECT_EQ(list->IconIndex(), 0);
    const vcl::TRect third = list->ItemRect(2);
    ClickAt(list, (third.left + third.right) / 2, (third.top + third.bottom) / 2);
    EXPECT_EQ(list->IconIndex(), 2);
    vcl::TBitmap drawn;
    drawn.SetSize(32, 32);
    drawn.Canvas()->Draw(0, 0, list->Icon());
    EXPECT_EQ(drawn.Canvas()->Pixels(5, 5), vcl::clBlue);
    auto shot = BitmapOf(list);
    const vcl::TRect second = RowInShot(list, 1);
    EXPECT_EQ(shot->Canvas()->Pixels((second.left + second.right) / 2, (second.top + second.bottom) / 2),
              vcl::clLime);
}

}  // namespace file_lists_tests
