// Showcases of the file, drive, folder and icon lists over a small folder tree made in a temporary
// folder and mapped to drive F:, with an icon file of four icons made on the spot.
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gallery.h"
#include "pellic/zyltfilectrls.h"
#include "pellic/zylticonctrls.h"
#include "win32/files.h"
#include "win32/gdi.h"

using namespace vcl;
using namespace pellic;

namespace {

namespace fs = std::filesystem;
using gallery::Place;

// A solid icon with a white frame, of one colour.
win32::HICON FramedIcon(TColor color) {
    TBitmap image;
    image.SetSize(32, 32);
    image.Canvas()->Brush()->SetColor(clWhite);
    image.Canvas()->FillRect(Rect(0, 0, 32, 32));
    image.Canvas()->Brush()->SetColor(color);
    image.Canvas()->FillRect(Rect(3, 3, 29, 29));
    const std::vector<uint8_t> opaque(32 * 4, 0);
    const win32::HBITMAP mask = win32::CreateBitmap(32, 32, 1, 1, opaque.data());
    win32::ICONINFO info{win32::TRUE, 0, 0, mask, image.Handle()};
    const win32::HICON icon = win32::CreateIconIndirect(&info);
    win32::DeleteObject(mask);
    return icon;
}

const fs::path& ListsFolder() {
    static const fs::path root = [] {
        const fs::path made = fs::temp_directory_path() / ("zyl-gallery-lists-" + std::to_string(getpid()));
        for (const char* folder : {"Letters/2024/Spring", "Letters/2024/Summer", "Letters/Drafts", "Icons"})
            fs::create_directories(made / folder);
        for (const char* file :
             {"Letters/2024/invoice.txt", "Letters/2024/notes.txt", "Letters/2024/setup.exe",
              "Letters/2024/budget.ini", "Letters/2024/readme.md"})
            std::ofstream(made / file) << "x";
        std::vector<win32::HICON> icons;
        for (TColor color : {clRed, clLime, clBlue, clYellow})
            icons.push_back(FramedIcon(color));
        std::vector<uint8_t> bytes;
        win32::WriteIconFile(icons, bytes);
        for (win32::HICON icon : icons)
            win32::DestroyIcon(icon);
        std::ofstream(made / "Icons" / "colours.ico", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() / ("zyl-gallery-lists-" + std::to_string(getpid())));
        });
        return made;
    }();
    win32::testing::MapDrive('F', root.string(), win32::DRIVE_FIXED, "LETTERS");
    return root;
}

gallery::Registration fileCombo{
    "TZylFileCombo", "pellic",
    "The files of a folder on drive F: with the shell's small icons, folders in brackets; the chosen "
    "name goes to the edit below.",
    [](gallery::Album& album) {
        ListsFolder();
        TForm* form = album.NewForm("Files", 220, 200);
        auto* combo = Place<TZylFileCombo>(form, 10, 10, 200, 24);
        auto* edit = Place<TEdit>(form, 10, 170, 200, 21);
        combo->SetFileType(TFileType{ftNormal, ftDirectory});
        combo->SetDirectory("F:\\Letters\\2024");
        combo->SetFileEdit(edit);
        // The names are read once the window exists.
        form->Show();
        combo->SetFileName("notes.txt");
        form->SetActiveControl(combo);
        album.Shoot("A file chosen", form, combo);
        combo->SetDroppedDown(true);
        album.Shoot("Dropped down", form, combo);
        combo->SetDroppedDown(false);
        combo->SetMask("*.txt;*.ini");
        album.Shoot("Mask *.txt;*.ini", form, combo);
    }};

gallery::Registration driveCombo{
    "TZylDriveCombo", "pellic",
    "The drives with a picture of each kind: fixed, CD-ROM, removable and network.",
    [](gallery::Album& album) {
        ListsFolder();
        const fs::path root = ListsFolder();
        win32::testing::MapDrive('G', (root / "Icons").string(), win32::DRIVE_CDROM, "DISC");
        win32::testing::MapDrive('H', (root / "Letters").string(), win32::DRIVE_REMOVABLE);
        win32::testing::MapDrive('N', (root / "Letters" / "Drafts").string(), win32::DRIVE_REMOTE, "SHARE");
        TForm* form = album.NewForm("Drives", 200, 160);
        auto* combo = Place<TZylDriveCombo>(form, 10, 10, 180, 24);
        combo->SetDrive('F');
        form->Show();
        form->SetActiveControl(combo);
        album.Shoot("Normal", form, combo);
        combo->SetDroppedDown(true);
        album.Shoot("Dropped down", form, combo);
        combo->SetDroppedDown(false);
    }};

gallery::Registration folderListbox{
    "TZylFolderListbox", "pellic",
    "The way down to a folder with open folder icons, and the folders inside it closed.",
    [](gallery::Album& album) {
        ListsFolder();
        TForm* form = album.NewForm("Folders", 200, 140);
        auto* list = Place<TZylFolderListbox>(form, 10, 10, 180, 120);
        list->SetDirectory("F:\\Letters\\2024");
        form->Show();
        form->SetActiveControl(list);
        album.Shoot("A folder open", form, list);
    }};

gallery::Registration iconLists{
    "TZylIconCombo and TZylIconListbox", "pellic",
    "The four icons of an icon file, as a drop-down and as a row of icons, the third chosen in the row.",
    [](gallery::Album& album) {
        ListsFolder();
        TForm* form = album.NewForm("Icons", 220, 130);
        // Both size themselves by the icons.
        auto* combo = new TZylIconCombo(form);
        combo->SetName("ZylIconCombo1");
        combo->SetParent(form);
        combo->SetLeft(10);
        combo->SetTop(10);
        combo->SetFileName("F:\\Icons\\colours.ico");
        auto* list = new TZylIconListbox(form);
        list->SetName("ZylIconListbox1");
        list->SetParent(form);
        list->SetLeft(10);
        list->SetTop(60);
        list->SetFileName("F:\\Icons\\colours.ico");
        list->SetIconIndex(2);
        form->Show();
        form->SetActiveControl(list);
        album.Shoot("Normal", form);
        form->SetActiveControl(combo);
        combo->SetDroppedDown(true);
        album.Shoot("Combo dropped down", form, combo);
        combo->SetDroppedDown(false);
    }};

}  // namespace
