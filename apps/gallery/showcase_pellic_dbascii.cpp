// Showcase of the dataset text export's design-time editor: the message it gives for a data source
// whose dataset is closed, and the columns and the exported file after "&Insert All Fields".
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "gallery.h"
#include "pellic/zyltdbascii.h"
#include "vcl/db.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/user.h"

using namespace vcl;
using namespace pellic;

namespace {

TCustomForm* DbAsciiFormNamed(std::string_view name) {
    for (Integer i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Name() == name) return Screen->Forms(i);
    return nullptr;
}

gallery::Registration dbAscii{
    "TZylDBAscii", "pellic",
    "The Insert All Fields editor: its message for a closed dataset, then the columns it made from a "
    "dataset's fields beside the semicolon-delimited file the export writes with PrintHeader on.",
    [](gallery::Album& album) {
        namespace fs = std::filesystem;
        TComponentPtr<TMemoryDataSet> data(new TMemoryDataSet(nullptr));
        data->SetName("Customers");
        data->FieldDefs()->Add("Name", TFieldType::ftString, 12);
        data->FieldDefs()->Add("City", TFieldType::ftString, 16);
        data->FieldDefs()->Add("Orders", TFieldType::ftInteger);
        TComponentPtr<TDataSource> source(new TDataSource(nullptr));
        source->SetDataSet(data.get());
        TComponentPtr<TZylDBAscii> ascii(new TZylDBAscii(nullptr));
        ascii->SetName("ZylDBAscii1");
        ascii->SetDataSource(source.get());

        std::unique_ptr<TZylDBAsciiConfigEditor> editor(new TZylDBAsciiConfigEditor);
        editor->Initialize(ascii.get(), nullptr);
        win32::testing::SetModalScript([&](std::string_view) {
            TCustomForm* box = DbAsciiFormNamed("MessageDlg");
            if (!box) return;
            album.Shoot("Insert All Fields with the dataset closed", box, ascii.get());
            box->SetModalResult(mrOk);
        });
        const ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
        editor->Edit();

        data->CreateDataSet();
        data->AppendRecord({"Bob", "Paris", 3});
        data->AppendRecord({"Ann", "Rome; Italy", 12});
        data->AppendRecord({"Kim \"K\"", "Oslo", 0});
        editor->ExecuteVerb(0);
        const fs::path file =
            fs::temp_directory_path() / ("zyl-gallery-ascii-" + std::to_string(::getpid()) + ".txt");
        ascii->SetFilename(file.string());
        ascii->SetDelimiter(';');
        ascii->SetPrintHeader(true);
        ascii->DoExport();
        std::stringstream text;
        text << std::ifstream(file, std::ios::binary).rdbuf();
        std::error_code error;
        fs::remove(file, error);

        TForm* form = album.NewForm("ZylDBAscii1.Fields and the exported file", 420, 150);
        auto* columns = gallery::Place<TListBox>(form, 8, 8, 120, 134);
        for (int i = 0; i < ascii->Fields()->Count(); ++i)
            columns->Items()->Add(std::to_string(i) + " - " + ascii->Fields()->Items(i)->DisplayName());
        auto* memo = gallery::Place<TMemo>(form, 136, 8, 276, 134);
        memo->SetText(text.str());
        album.Shoot("After &Insert All Fields: the columns and the export", form, ascii.get());
    }};

}  // namespace
