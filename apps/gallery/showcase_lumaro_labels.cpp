// Showcases of the enhanced labels: captions in relief inside frames and over shared backgrounds,
// letters filled with a gradient, a label following a dataset and file paths shortened to fit.
#include <string>

#include "gallery.h"
#include "lumaro/zylbackgrounds.h"
#include "lumaro/zyllabels.h"
#include "vcl/db.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Place;

TZylBackground* Gradient(TForm* form, const std::string& name, TColor begin, TColor end,
                         TZylFillStyle style) {
    auto* background = new TZylBackground(form);
    background->SetName(name);
    background->SetBackgroundStyle(bGradient);
    background->Gradient()->SetBeginColor(begin);
    background->Gradient()->SetEndColor(end);
    background->Gradient()->SetFillStyle(style);
    return background;
}

TZylLabel* Caption(TForm* form, int top, const std::string& text, TZylStyle3D style, TZylFrameStyle frame,
                   Byte frameWidth) {
    auto* label = Place<TZylLabel>(form, 10, top, 250, 40);
    label->SetCaption(text);
    label->SetColor(clBtnFace);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(16);
    label->Font3D()->SetStyle3D(style);
    label->Font3D()->SetOffset(2);
    label->Font3D()->SetShadow(clGray);
    label->Frame()->SetFrameStyle(frame);
    label->Frame()->SetFrameWidth(frameWidth);
    return label;
}

gallery::Registration labels{
    "TZylLabel", "lumaro",
    "Captions in each 3D style inside raised, lowered and double frames, one over a gradient "
    "background, one with gradient-filled letters on a transparent label, and one disabled.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Enhanced labels", 530, 250);
        form->SetColor(clBtnFace);
        TZylBackground* sky = Gradient(form, "Sky", clNavy, clAqua, TZylFillStyle::Horizontal);
        TZylBackground* fire = Gradient(form, "Fire", clRed, clYellow, TZylFillStyle::Vertical);

        Caption(form, 10, "Raised, frame 2", fontRaised, frameRaised, 2);
        Caption(form, 58, "Inset, lowered", fontInset, frameLowered, 1);
        Caption(form, 106, "&Outline, framed", fontOutLineShadow, frameFramedUp, 1);
        TZylLabel* disabled = Caption(form, 154, "Disabled", fontRaised, framePanelDown, 1);
        disabled->SetEnabled(false);

        TZylLabel* overSky = Caption(form, 10, "Over a gradient", fontOnlyShadow, frameLowered, 2);
        overSky->SetLeft(270);
        overSky->Font()->SetColor(clWhite);
        overSky->Font3D()->SetShadow(clBlack);
        overSky->SetBackground(sky);

        auto* filled = Place<TZylLabel>(form, 270, 58, 250, 90);
        filled->SetCaption("Filled");
        filled->SetTransparent(true);
        filled->SetAlignment(TAlignment::taCenter);
        filled->Font()->SetName("Arial");
        filled->Font()->SetSize(40);
        filled->Font3D()->SetStyle3D(fontRaised);
        filled->Font3D()->SetOffset(2);
        filled->Font3D()->SetShadow(clMaroon);
        filled->SetFontBackground(fire);

        TZylLabel* wrapped = Caption(form, 154, "Word wrap keeps a longer caption inside its frame",
                                     fontOnlyHighlight, frameSolid, 1);
        wrapped->SetBounds(270, 154, 250, 86);
        wrapped->SetWordWrap(true);
        wrapped->Font()->SetSize(12);
        wrapped->SetColor(clInfoBk);
        album.Shoot("Styles, frames and backgrounds", form);
        album.Shoot("The gradient-filled caption", form, filled);
    }};

gallery::Registration dataLabel{
    "TZylDBLabel", "lumaro",
    "A data-aware label showing the CITY field of an in-memory dataset, on the first and on the last "
    "record, with a raised frame.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Data-aware label", 280, 70);
        auto* data = new TMemoryDataSet(form);
        data->FieldDefs()->Add("CITY", TFieldType::ftString, 30);
        data->CreateDataSet();
        data->AppendRecord({std::string("Lyon")});
        data->AppendRecord({std::string("Porto")});
        data->First();
        auto* source = new TDataSource(form);
        source->SetDataSet(data);
        auto* label = Place<TZylDBLabel>(form, 10, 10, 260, 50);
        label->Font()->SetName("Arial");
        label->Font()->SetSize(20);
        label->Font3D()->SetStyle3D(fontRaised);
        label->Font3D()->SetOffset(2);
        label->Frame()->SetFrameStyle(frameRaised);
        label->Frame()->SetFrameWidth(2);
        label->SetAlignment(TAlignment::taCenter);
        label->SetDataSource(source);
        label->SetDataField("CITY");
        album.Shoot("First record", form, label);
        data->Last();
        album.Shoot("Last record", form, label);
    }};

gallery::Registration fileLabels{
    "TZylFileLabel3D", "lumaro",
    "One Windows path and one Unix path in labels of four widths: whole, without some directories, "
    "with the ellipsis only, and the file name alone.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("File labels", 420, 280);
        const int widths[] = {400, 240, 150, 90};
        for (int i = 0; i < 4; ++i) {
            auto* windows = Place<TZylFileLabel3D>(form, 10, 10 + i * 32, widths[i], 26);
            windows->SetFilename("C:\\Program Files\\Zyl\\Samples\\Labels\\readme.txt");
            windows->Font3D()->SetStyle3D(fontInset);
            windows->Frame()->SetFrameStyle(frameLowered);
            windows->SetColor(clInfoBk);

            auto* unix = Place<TZylFileLabel3D>(form, 10, 146 + i * 32, widths[i], 26);
            unix->SetSeparator('/');
            unix->SetFilename("/usr/share/doc/zyl/examples/labels.txt");
            unix->Frame()->SetFrameStyle(frameRaised);
            unix->SetColor(clBtnFace);
        }
        album.Shoot("Shortened at four widths", form);
    }};

}  // namespace
