// Showcases of the standard package's small controls: office edits flat and framed, form dividers
// of each style, file labels shortened to fit, and the clipboard viewer with text and a bitmap.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gallery.h"
#include "pellic/zyltclipboard.h"
#include "pellic/zyltdbofficeedit.h"
#include "pellic/zyltfilelabel.h"
#include "pellic/zyltformdivider.h"
#include "pellic/zyltofficeedit.h"
#include "vcl/clipbrd.h"
#include "vcl/db.h"
#include "win32/files.h"
#include "win32/input.h"

using namespace vcl;
using namespace pellic;

namespace {

namespace fs = std::filesystem;
using gallery::Place;

void Caption(TForm* form, int left, int top, const std::string& text) {
    auto* label = Place<TLabel>(form, left, top + 3, 70, 13);
    label->SetCaption(text);
}

gallery::Registration officeEdits{
    "TZylOfficeEdit", "pellic",
    "Three TZylOfficeEdit: flat until focused (the sunken frame) or hovered while no other office edit "
    "has the focus; the last one disabled.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Contact", 260, 104);
        const char* names[] = {"Name:", "E-mail:", "Phone:"};
        const char* texts[] = {"Ada Byron", "ada@example.org", "+44 20 7946 0000"};
        TZylOfficeEdit* edits[3] = {};
        for (int i = 0; i < 3; ++i) {
            Caption(form, 12, 12 + 30 * i, names[i]);
            edits[i] = Place<TZylOfficeEdit>(form, 80, 12 + 30 * i, 160, 19);
            edits[i]->SetText(texts[i]);
        }
        edits[2]->SetEnabled(false);
        form->Show();
        album.Shoot("Flat", form, edits[0]);
        edits[0]->SetFocus();
        album.Shoot("First focused", form, edits[0]);
    }};

gallery::Registration dbOfficeEdit{
    "TZylDBOfficeEdit", "pellic",
    "TZylDBOfficeEdit showing a dataset's field, focused (the sunken frame), beside a flat one.",
    [](gallery::Album& album) {
        TComponentPtr<TMemoryDataSet> data(new TMemoryDataSet(nullptr));
        data->FieldDefs()->Add("CITY", TFieldType::ftString, 30);
        data->FieldDefs()->Add("COUNTRY", TFieldType::ftString, 30);
        data->CreateDataSet();
        data->AppendRecord({"Lisbon", "Portugal"});
        TComponentPtr<TDataSource> source(new TDataSource(nullptr));
        source->SetDataSet(data.get());
        TForm* form = album.NewForm("Customer", 260, 74);
        const char* fields[] = {"CITY", "COUNTRY"};
        TZylDBOfficeEdit* edits[2] = {};
        for (int i = 0; i < 2; ++i) {
            Caption(form, 12, 12 + 30 * i, i == 0 ? "City:" : "Country:");
            edits[i] = Place<TZylDBOfficeEdit>(form, 80, 12 + 30 * i, 160, 19);
            edits[i]->SetDataSource(source.get());
            edits[i]->SetDataField(fields[i]);
        }
        form->Show();
        edits[0]->SetFocus();
        album.Shoot("City focused", form, edits[0]);
    }};

gallery::Registration dividers{
    "TZylFormDivider", "pellic",
    "TZylFormDivider across a settings form: etched, sunken and raised lines, and a double (frame) style, "
    "each with its caption in a gap.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Settings", 320, 150);
        const std::pair<const char*, TZylDivBorder> styles[] = {{"General", TZylDivBorder::bdrEtched},
                                                                {"Network", TZylDivBorder::bdrSunken},
                                                                {"Printing", TZylDivBorder::bdrRaised},
                                                                {"Advanced", TZylDivBorder::frmEtched}};
        int top = 10;
        TZylFormDivider* first = nullptr;
        for (const auto& [caption, style] : styles) {
            auto* divider = Place<TZylFormDivider>(form, 20, top, 200, 17);
            divider->SetCaption(caption);
            divider->SetBorderStyle(style);
            if (!first) first = divider;
            top += 34;
        }
        form->Show();
        album.Shoot("Four styles", form, first);
    }};

// A few folders and a file on drive P:, made once per run and removed at exit.
void MakeReports() {
    static const fs::path root = [] {
        const fs::path made = fs::temp_directory_path() / ("zyl-gallery-labels-" + std::to_string(getpid()));
        fs::create_directories(made / "Company" / "Reports" / "2025" / "Quarterly");
        std::ofstream(made / "Company" / "Reports" / "2025" / "Quarterly" / "summary.txt") << "x";
        std::atexit([] {
            fs::remove_all(fs::temp_directory_path() / ("zyl-gallery-labels-" + std::to_string(getpid())));
        });
        return made;
    }();
    win32::testing::MapDrive('P', root.string());
}

gallery::Registration fileLabels{
    "TZylFileLabel", "pellic",
    "TZylFileLabel: a file and a folder on drive P: with their pictures, the file's path shortened to "
    "fit 200 pixels (drive, \"...\", the nearest folders, the name), and a name that does not exist.",
    [](gallery::Album& album) {
        MakeReports();
        TForm* form = album.NewForm("Recent", 300, 96);
        form->SetColor(clWhite);
        const char* names[] = {"P:\\Company\\Reports\\2025\\Quarterly\\summary.txt", "P:\\Company\\Reports",
                               "P:\\Company\\Archive\\missing.txt"};
        TZylFileLabel* first = nullptr;
        for (int i = 0; i < 3; ++i) {
            auto* label = Place<TZylFileLabel>(form, 10, 10 + 26 * i, i == 0 ? 200 : 280, 19);
            label->SetFilename(names[i]);
            if (!first) first = label;
        }
        form->Show();
        album.Shoot("File, folder and missing name", form, first);
    }};

gallery::Registration clipboardViewer{
    "TZylClipboard", "pellic",
    "TZylClipboard showing the clipboard: text in a read-only memo, then a bitmap centred in the viewer.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Clipboard", 260, 140);
        auto* viewer = Place<TZylClipboard>(form, 10, 10, 240, 120);
        form->Show();
        Clipboard()->SetAsText("Quarterly summary\r\nRevenue up 4 %\r\nCosts flat");
        album.Shoot("Text", form, viewer);
        TBitmap picture;
        picture.SetSize(96, 64);
        TCanvas* canvas = picture.Canvas();
        canvas->Brush()->SetColor(clNavy);
        canvas->FillRect(Rect(0, 0, 96, 64));
        canvas->Brush()->SetColor(clYellow);
        canvas->Ellipse(24, 8, 72, 56);
        Clipboard()->Assign(&picture);
        album.Shoot("Bitmap", form, viewer);
        Clipboard()->Clear();
    }};

}  // namespace
