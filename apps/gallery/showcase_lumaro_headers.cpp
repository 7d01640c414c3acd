// Showcase of the column header and the header list: a header with a gradient and 3D captions, and a
// list of four columns under its header with one line selected; then a header section held down.
#include <string>
#include <vector>

#include "gallery.h"
#include "lumaro/zylheaders.h"
#include "win32/input.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Place;

gallery::Registration headerList{
    "TZylHeaderList", "lumaro",
    "A column header over a gradient with raised 3D captions, and a header list of four columns (an "
    "empty first column for the line's marker) whose lines are cut at ';' and drawn in the header's "
    "columns, clipped, one line selected; then the list's \"Size\" section held down by the mouse.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Header and header list", 420, 250);
        auto* dusk = new TZylBackground(form);
        dusk->SetName("Dusk");
        dusk->Gradient()->SetBeginColor(clNavy);
        dusk->Gradient()->SetEndColor(clPurple);

        auto* header = Place<TZylHeader>(form, 10, 10, 400, 26);
        header->SetBackground(dusk);
        header->Font()->SetColor(clWhite);
        header->Font()->SetStyle({fsBold});
        header->Font3D()->SetStyle3D(fontRaised);
        header->Font3D()->SetShadow(clBlack);
        for (const char* caption : {"Monday", "Tuesday", "Wednesday", "Thursday"})
            header->Sections()->Add(caption);

        auto* list = Place<TZylHeaderList>(form, 10, 46, 400, 194);
        for (const char* caption : {"", "Name", "Size", "Modified"})
            list->HeaderSections()->Add(caption);
        list->Header()->SetWidth(0, 20);
        list->Header()->SetWidth(1, 150);
        list->Header()->SetWidth(2, 80);
        const std::vector<std::vector<std::string>> lines{
            {"*", "readme.txt", "1 204", "2024-01-02"},
            {"", "a rather long file name that the column clips.txt", "88 012", "2024-02-11"},
            {"", "notes.md", "412", "2024-03-05"},
            {"*", "picture.png", "245 771", "2023-12-24"},
            {"", "report.pdf", "1 048 576", "2024-04-30"},
        };
        for (const auto& line : lines)
            list->AddLine(line);
        list->SetItemIndex(2);
        form->Show();
        Application->ProcessMessages();
        album.Shoot("A header, and a header list with one line selected", form);

        const TPoint size = list->Header()->ClientToScreen(Point(210, 12));
        win32::input::MoveMouse(size.x, size.y);
        win32::input::PressButton(win32::input::Button::Left);
        Application->ProcessMessages();
        album.Shoot("The \"Size\" section held down", form);
        win32::input::ReleaseButton(win32::input::Button::Left);
        Application->ProcessMessages();
    }};

}  // namespace
