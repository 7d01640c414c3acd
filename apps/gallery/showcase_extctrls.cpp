// Showcases of the framework's panels, shapes and glyph buttons, and of a status bar.
#include "gallery.h"
#include "vcl/buttons.h"
#include "vcl/comctrls.h"
#include "vcl/extctrls.h"

using namespace vcl;

namespace {

using gallery::Place;

gallery::Registration panelsAndButtons{
    "Panels and glyph buttons", "framework",
    "Panels with each bevel, bevel shapes, shapes, a radio group, speed buttons in a group (one down, "
    "one flat), bitmap buttons of the stock kinds and a status bar with panels.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Panels", 420, 250);

        const std::pair<TPanelBevel, TPanelBevel> bevels[] = {
            {bvRaised, bvNone}, {bvLowered, bvNone}, {bvRaised, bvLowered}, {bvLowered, bvRaised}};
        const char* captions[] = {"Raised", "Lowered", "Raised, lowered", "Lowered, raised"};
        for (int i = 0; i < 4; ++i) {
            auto* panel = Place<TPanel>(form, 8 + i * 102, 8, 96, 40);
            panel->SetBevelOuter(bevels[i].first);
            panel->SetBevelInner(bevels[i].second);
            panel->SetCaption(captions[i]);
        }

        const TBevelShape shapes[] = {bsBox, bsFrame, bsTopLine, bsLeftLine};
        for (int i = 0; i < 4; ++i) {
            auto* bevel = Place<TBevel>(form, 8 + i * 36, 58, 30, 30);
            bevel->SetShape(shapes[i]);
        }
        auto* ellipse = Place<TShape>(form, 152, 58, 50, 30);
        ellipse->SetShape(stEllipse);
        ellipse->Brush()->SetColor(clYellow);
        auto* rounded = Place<TShape>(form, 208, 58, 50, 30);
        rounded->SetShape(stRoundRect);
        rounded->Brush()->SetColor(clAqua);

        auto* group = Place<TRadioGroup>(form, 8, 96, 250, 64);
        group->SetCaption("View");
        group->Items()->SetCommaText("Icons,List,Details,Thumbnails");
        group->SetColumns(2);
        group->SetItemIndex(2);

        const char* tools[] = {"B", "I", "U"};
        for (int i = 0; i < 3; ++i) {
            auto* tool = Place<TSpeedButton>(form, 268 + i * 25, 58, 25, 25);
            tool->SetCaption(tools[i]);
            tool->SetGroupIndex(1);
            tool->SetAllowAllUp(true);
            if (i == 1) tool->SetDown(true);
        }
        auto* flat = Place<TSpeedButton>(form, 350, 58, 60, 25);
        flat->SetCaption("Flat");
        flat->SetFlat(true);

        const TBitBtnKind kinds[] = {bkOK, bkCancel, bkHelp, bkYes, bkNo, bkRetry};
        for (int i = 0; i < 6; ++i) {
            auto* button = Place<TBitBtn>(form, 268 + (i % 2) * 76, 96 + (i / 2) * 31, 72, 27);
            button->SetKind(kinds[i]);
        }

        auto* status = Place<TStatusBar>(form, 0, 0, 420, 19);
        status->Panels()->Add()->SetText("Ready");
        status->Panels()->Items(0)->SetWidth(200);
        status->Panels()->Add()->SetText("12 items");
        status->Panels()->Items(1)->SetWidth(120);
        status->Panels()->Add()->SetText("UTF-8");
        album.Shoot("Panels, shapes and buttons", form);
    }};

}  // namespace
