// Showcases of the framework's common dialogs, each shot while its modal loop runs.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "gallery.h"
#include "vcl/dialogs.h"
#include "win32/files.h"
#include "win32/user.h"

using namespace vcl;

namespace {

// Runs the dialog; when its loop first waits for the user, shoots the form and cancels it.
void ShootWhileShown(gallery::Album& album, TCommonDialog* dialog, const std::string& caption,
                     const std::function<void(TForm*)>& prepare = {}) {
    bool shot = false;
    win32::testing::SetModalScript([&](std::string_view) {
        TForm* form = dialog->DialogForm();
        if (!form) return;
        if (!shot) {
            shot = true;
            if (prepare) prepare(form);
            album.Shoot(caption, form, dialog);
        }
        form->SetModalResult(mrCancel);
    });
    const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
    dialog->Execute();
}

gallery::Registration colorDialog{
    "TColorDialog", "framework",
    "The colour dialog with the basic colours and two custom colours, closed and opened fully on a "
    "colour being defined.",
    [](gallery::Album& album) {
        TComponentPtr<TColorDialog> dialog(new TColorDialog(nullptr));
        dialog->SetName("ColorDialog1");
        dialog->SetColor(clRed);
        dialog->CustomColors()->Add("ColorA=808022");
        dialog->CustomColors()->Add("ColorB=4080FF");
        ShootWhileShown(album, dialog.get(), "Basic colours");
        dialog->SetColor(static_cast<TColor>(0x3070C0));
        dialog->SetOptions(TColorDialogOptions{cdFullOpen});
        ShootWhileShown(album, dialog.get(), "Opened fully");
    }};

gallery::Registration fontDialog{"TFontDialog", "framework",
                                 "The font dialog with effects on a bold 12-point font, and without effects.",
                                 [](gallery::Album& album) {
                                     TComponentPtr<TFontDialog> dialog(new TFontDialog(nullptr));
                                     dialog->SetName("FontDialog1");
                                     dialog->Font()->SetName("Arial");
                                     dialog->Font()->SetSize(12);
                                     dialog->Font()->SetStyle(TFontStyles{fsBold});
                                     dialog->Font()->SetColor(clNavy);
                                     ShootWhileShown(album, dialog.get(), "With effects");
                                     dialog->SetOptions(TFontDialogOptions{fdApplyButton});
                                     ShootWhileShown(album, dialog.get(), "Without effects, with Apply");
                                 }};

gallery::Registration fileDialogs{
    "TOpenDialog, TSaveDialog", "framework",
    "The open dialog on a folder of samples filtered to text files, and the save dialog listing all files.",
    [](gallery::Album& album) {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path folder = fs::temp_directory_path(error) / "zyl-gallery-files";
        fs::remove_all(folder, error);
        fs::create_directories(folder / "Letters", error);
        fs::create_directories(folder / "Reports", error);
        for (const char* name : {"notes.txt", "readme.txt", "summary.txt", "picture.bmp", "table.csv"})
            std::ofstream(folder / name) << "sample\n";
        const std::string windowsFolder = win32::WindowsPath(folder.string());

        TComponentPtr<TOpenDialog> open(new TOpenDialog(nullptr));
        open->SetName("OpenDialog1");
        open->SetFilter("Text files (*.txt)|*.txt|Bitmaps (*.bmp)|*.bmp|All files (*.*)|*.*");
        open->SetInitialDir(windowsFolder);
        open->SetFileName("readme.txt");
        open->SetOptions(TOpenOptions{ofHideReadOnly, ofFileMustExist});
        ShootWhileShown(album, open.get(), "Open, text files");

        TComponentPtr<TSaveDialog> save(new TSaveDialog(nullptr));
        save->SetName("SaveDialog1");
        save->SetFilter("Text files (*.txt)|*.txt|All files (*.*)|*.*");
        save->SetFilterIndex(2);
        save->SetInitialDir(windowsFolder);
        save->SetDefaultExt("txt");
        save->SetFileName("report");
        save->SetOptions(TOpenOptions{ofHideReadOnly, ofOverwritePrompt});
        ShootWhileShown(album, save.get(), "Save as, all files");
        fs::remove_all(folder, error);
    }};

}  // namespace
