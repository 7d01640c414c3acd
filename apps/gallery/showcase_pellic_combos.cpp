// Showcases of the selection combos: auto-completion while typing, the colour, font, printer and
// language lists, each closed and dropped down.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gallery.h"
#include "pellic/zyltautocombo.h"
#include "pellic/zyltcolorcombo.h"
#include "pellic/zyltfontcontrols.h"
#include "pellic/zyltlanguagecombo.h"
#include "pellic/zyltprintercombo.h"
#include "vcl/stdctrls.h"
#include "win32/input.h"
#include "win32/scope.h"
#include "win32/version.h"

using namespace vcl;
using namespace pellic;

namespace {

using gallery::Place;

void ComboLabel(TForm* form, int left, int top, const std::string& text) {
    auto* label = Place<TLabel>(form, left, top + 4, 90, 13);
    label->SetCaption(text);
}

void ShootDropped(gallery::Album& album, const std::string& caption, TForm* form, TCustomComboBox* combo) {
    form->SetActiveControl(combo);
    combo->SetDroppedDown(true);
    album.Shoot(caption, form, combo);
    combo->SetDroppedDown(false);
}

gallery::Registration autoCombo{
    "TZylAutoCombo", "pellic",
    "The auto-complete combo: closed, completing typed text with the rest selected, and dropped down.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Fruit", 260, 190);
        ComboLabel(form, 12, 12, "&Fruit:");
        auto* combo = Place<TZylAutoCombo>(form, 100, 12, 148, 21);
        for (const char* item : {"Apple", "Apricot", "Banana", "Blackberry", "Cherry", "Date", "Fig"})
            combo->Items()->Add(item);
        auto* ok = Place<TButton>(form, 173, 157, 75, 25);
        ok->SetCaption("OK");
        form->SetActiveControl(ok);
        album.Shoot("Closed", form, combo);
        form->SetActiveControl(combo);
        win32::input::TypeText("apr");
        Application->ProcessMessages();
        album.Shoot("Typed apr, completed", form, combo);
        ShootDropped(album, "Dropped down", form, combo);
    }};

gallery::Registration colorCombo{
    "TZylColorCombo", "pellic",
    "The colour combo: closed on Red, dropped down with the system colours, and without swatches.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Colours", 260, 190);
        ComboLabel(form, 12, 12, "&Text colour:");
        auto* combo = Place<TZylColorCombo>(form, 100, 12, 148, 22);
        combo->SetColorByName("Red");
        ComboLabel(form, 12, 44, "&Background:");
        auto* plain = Place<TZylColorCombo>(form, 100, 44, 148, 22);
        plain->SetSystemColors(false);
        plain->SetColorDisplayWidth(0);
        plain->SetColorSelected(0x808000);
        plain->SetEnabled(false);
        album.Shoot("Closed, the lower one disabled without swatch", form, combo);
        combo->SetItemIndex(20);
        ShootDropped(album, "Dropped down at the system colours", form, combo);
    }};

gallery::Registration fontControls{
    "TZylFontCombo, TZylFontBox", "pellic",
    "The font combo closed and dropped down, and the font box listing TrueType families only.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Fonts", 420, 200);
        ComboLabel(form, 12, 12, "&Font:");
        auto* combo = Place<TZylFontCombo>(form, 60, 12, 160, 22);
        combo->SetFontSelected("DejaVu Sans");
        auto* box = Place<TZylFontBox>(form, 240, 12, 168, 176);
        box->SetFilterOptions({TZylFilterOption::ShowTrueType});
        form->SetActiveControl(box);
        album.Shoot("Closed, TrueType box focused", form, combo);
        ShootDropped(album, "Dropped down", form, combo);
    }};

gallery::Registration printerCombo{
    "TZylPrinterCombo", "pellic",
    "The printer combo on this system's printers (disabled, with a notice, when there are none), "
    "closed and dropped down.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Print", 280, 150);
        ComboLabel(form, 12, 12, "&Printer:");
        auto* combo = Place<TZylPrinterCombo>(form, 80, 12, 188, 26);
        album.Shoot("Closed", form, combo);
        if (combo->Enabled()) ShootDropped(album, "Dropped down", form, combo);
    }};

gallery::Registration languageCombo{
    "TZylLanguageCombo", "pellic",
    "The language combo on a locale folder of seven languages, the user's German chosen, closed and "
    "dropped down.",
    [](gallery::Album& album) {
        namespace fs = std::filesystem;
        const fs::path folder =
            fs::temp_directory_path() / ("zyl-gallery-locales-" + std::to_string(getpid()));
        for (const char* name : {"de_DE.utf8", "de_AT.utf8", "en_GB.utf8", "en_US.utf8", "fr_FR.utf8",
                                 "it_IT.utf8", "nl_NL.utf8"}) {
            fs::create_directories(folder / name);
            std::ofstream(folder / name / "LC_IDENTIFICATION") << "id";
        }
        win32::testing::SetLocaleSources(folder.string(), "");
        win32::testing::SetDefaultLangID(0x0407);
        const win32::ScopeExit restore([&folder] {
            win32::testing::SetLocaleSources("", "");
            win32::testing::SetDefaultLangID(0);
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        });
        TForm* form = album.NewForm("Language", 300, 210);
        ComboLabel(form, 12, 12, "&Language:");
        auto* combo = Place<TZylLanguageCombo>(form, 88, 12, 200, 21);
        album.Shoot("Closed on the user's language", form, combo);
        ShootDropped(album, "Dropped down", form, combo);
    }};

}  // namespace
