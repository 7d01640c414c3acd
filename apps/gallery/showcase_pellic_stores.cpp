// Showcase of the property persistence stores: a preferences form whose store controls show the
// values an earlier run left in an ini file.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "gallery.h"
#include "pellic/zyltautostores.h"
#include "vcl/streaming.h"

using namespace vcl;
using namespace pellic;

namespace {

using gallery::Place;

// The form as designed, as form text; the store is linked last so that designing writes nothing.
std::string PreferencesDesign(const std::string& iniFile) {
    auto* design = new TForm(nullptr, 0);
    design->SetName("Preferences");
    design->SetCaption("Preferences");
    design->SetClientWidth(320);
    design->SetClientHeight(212);
    auto* store = new TZylControlStore(design);
    store->SetName("Store1");
    store->DataStore()->SetDatatype(sIniFile);
    store->DataStore()->Inifile()->SetFilename(iniFile);
    store->DataStore()->Inifile()->SetSection("Preferences");

    auto* name = Place<TZylStoreEdit>(design, 12, 12, 200, 22);
    name->SetText("Your name");
    name->SetStoreKey("UserName");
    auto* sounds = Place<TZylStoreCheckbox>(design, 12, 44, 200, 20);
    sounds->SetCaption("Play sounds");
    sounds->SetStoreKey("Sounds");
    auto* daily = Place<TZylStoreRadioButton>(design, 12, 70, 120, 20);
    daily->SetCaption("Check daily");
    daily->SetStoreKey("Daily");
    daily->SetChecked(true);
    auto* weekly = Place<TZylStoreRadioButton>(design, 140, 70, 120, 20);
    weekly->SetCaption("Check weekly");
    weekly->SetStoreKey("Weekly");
    auto* size = Place<TZylStoreCombobox>(design, 12, 98, 200, 22);
    size->Items()->SetCommaText("Small,Medium,Large");
    size->SetText("Medium");
    size->SetStoreKey("FontSize");
    auto* notes = Place<TZylStoreMemo>(design, 12, 130, 296, 70);
    notes->SetText("");
    notes->SetStoreKey("Notes");

    name->SetStore(store);
    sounds->SetStore(store);
    daily->SetStore(store);
    weekly->SetStore(store);
    size->SetStore(store);
    notes->SetStore(store);
    const std::string text = ComponentToText(design);
    name->SetStore(nullptr);
    sounds->SetStore(nullptr);
    daily->SetStore(nullptr);
    weekly->SetStore(nullptr);
    size->SetStore(nullptr);
    notes->SetStore(nullptr);
    design->Free();
    return text;
}

gallery::Registration preferences{
    "Property persistence stores", "pellic",
    "A preferences form whose store edit, check box, radio buttons, combo box and memo restore the values "
    "an earlier run kept in an ini file through a control store.",
    [](gallery::Album& album) {
        const std::filesystem::path iniFile =
            std::filesystem::temp_directory_path() /
            ("zyl-gallery-preferences-" + std::to_string(getpid()) + ".ini");
        {
            // What the earlier run left behind.
            TZylDataStore earlier;
            earlier.SetDatatype(sIniFile);
            earlier.Inifile()->SetFilename(iniFile.string());
            earlier.Inifile()->SetSection("Preferences");
            earlier.WriteStr("UserName", "Ada Lovelace");
            earlier.WriteBool("Sounds", true);
            earlier.WriteBool("Daily", false);
            earlier.WriteBool("Weekly", true);
            earlier.WriteStr("FontSize", "Large");
            earlier.WriteStr("Notes", "Restored from the last run");
        }
        TForm* form = album.NewForm("Preferences", 320, 212);
        ReadComponentText(PreferencesDesign(iniFile.string()), form);
        album.Shoot("Restored preferences", form);
        // The form is freed after the showcase; its controls would write back into the file.
        auto* store = dynamic_cast<TZylControlStore*>(form->FindComponent("Store1"));
        if (store) store->DataStore()->SetEnabled(false);
        std::error_code ignored;
        std::filesystem::remove(iniFile, ignored);
    }};

}  // namespace
