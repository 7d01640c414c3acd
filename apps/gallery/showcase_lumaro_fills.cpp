// Showcases of the shared fills: the thirteen gradient shapes, textures and brush fills, and captions
// whose letters are filled with a background; and marks drawn over the screen through a screen canvas.
#include <string>

#include "gallery.h"
#include "lumaro/zylbackgrounds.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Caption;
using gallery::Place;

// The background painted into a tile of `canvas` at (x, y), since a fill always starts at the origin.
void Tile(TCanvas* canvas, TZylBackground* background, Integer x, Integer y, Integer width, Integer height) {
    TBitmap tile;
    tile.SetPixelFormat(pf32bit);
    tile.SetSize(width, height);
    background->Draw(tile.Canvas()->Handle(), width, height, true);
    canvas->Draw(x, y, &tile);
}

// A 24 x 24 picture: a red diamond with a yellow centre on a fuchsia ground.
void PaintSample(TBitmap* image) {
    image->SetPixelFormat(pf32bit);
    image->SetSize(24, 24);
    TCanvas* c = image->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 24, 24));
    c->Pen()->SetColor(clMaroon);
    c->Brush()->SetColor(clRed);
    const TPoint diamond[4] = {{12, 1}, {22, 12}, {12, 22}, {1, 12}};
    c->Polygon(diamond);
    c->Brush()->SetColor(clYellow);
    c->Ellipse(8, 8, 16, 16);
}

gallery::Registration fillStyles{
    "TZylBackground", "lumaro",
    "Every gradient FillStyle from navy through yellow to aqua (ColorCount 32), one tile each.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Gradient fill styles", 520, 420);
        auto* background = new TZylBackground(form);
        background->SetBackgroundStyle(bGradient);
        background->Gradient()->SetBeginColor(clNavy);
        background->Gradient()->SetEndColor(clAqua);
        background->Gradient()->ColorsInBetween()->Add("clYellow");
        auto* box = Place<TPaintBox>(form, 0, 0, 520, 420);
        box->OnPaint = [box, background](TObject*) {
            TCanvas* canvas = box->Canvas();
            for (int style = 0; style < 13; ++style) {
                const auto fillStyle = static_cast<TZylFillStyle>(style);
                background->Gradient()->SetFillStyle(fillStyle);
                const int x = 8 + (style % 4) * 128, y = 6 + (style / 4) * 102;
                Tile(canvas, background, x, y, 120, 80);
                Caption(canvas, x, y + 82, std::string(EnumName(fillStyle)));
            }
        };
        album.Shoot("The thirteen fill styles", form);
    }};

gallery::Registration texturesAndBrushes{
    "TZylBackground", "lumaro",
    "A 24 x 24 texture tiled, centred (the rest left unpainted) and stretched, tiled with its fuchsia "
    "replaced by white, the two brush fills in navy cross-hatch (on white, on SolidColor yellow) and "
    "the flat SolidColor.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Textures and brush fills", 440, 300);
        auto* background = new TZylBackground(form);
        TBitmap diamond;
        PaintSample(&diamond);
        background->Texture()->SetImage(&diamond);
        background->SetSolidColor(clYellow);
        background->BrushFill()->SetBrushStyle(bsCross);
        background->BrushFill()->SetBrushColor(clNavy);
        auto* box = Place<TPaintBox>(form, 0, 0, 440, 300);
        box->OnPaint = [box, background](TObject*) {
            TCanvas* canvas = box->Canvas();
            struct Sample {
                const char* caption;
                TZylBackStyle style;
                TZylImageStyle imageStyle;
                TColor transparent;
            };
            const Sample samples[] = {
                {"isTile", bTexture, isTile, clNone},
                {"isCenter", bTexture, isCenter, clNone},
                {"isStretched", bTexture, isStretched, clNone},
                {"fuchsia replaced", bTexture, isTile, clFuchsia},
                {"use current", bBrushFillUseCurrent, isTile, clNone},
                {"on SolidColor", bBrushFillSolidColor, isTile, clNone},
                {"bSolidcolor", bSolidcolor, isTile, clNone},
            };
            int index = 0;
            for (const Sample& sample : samples) {
                background->SetBackgroundStyle(sample.style);
                background->Texture()->SetImageStyle(sample.imageStyle);
                background->Texture()->SetTransparentColor(sample.transparent);
                background->Texture()->SetTransparentBackground(clWhite);
                const int x = 8 + (index % 4) * 108, y = 8 + (index / 4) * 140;
                Tile(canvas, background, x, y, 100, 100);
                Caption(canvas, x, y + 104, sample.caption);
                ++index;
            }
        };
        album.Shoot("Textures in each style and both brush fills", form);
    }};

gallery::Registration filledLetters{
    "TZylBackground.Write", "lumaro",
    "Bold captions whose letters are filled with a gradient, the texture and a hatch, drawn with a "
    "grey shadow (Offset 2) or an extrusion, over a light ground.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Filled letters", 420, 260);
        auto* gradient = new TZylBackground(form);
        gradient->Gradient()->SetBeginColor(clRed);
        gradient->Gradient()->SetEndColor(clBlue);
        gradient->Gradient()->SetFillStyle(TZylFillStyle::Vertical);
        auto* texture = new TZylBackground(form);
        TBitmap diamond;
        PaintSample(&diamond);
        texture->Texture()->SetImage(&diamond);
        texture->SetBackgroundStyle(bTexture);
        auto* hatch = new TZylBackground(form);
        hatch->SetBackgroundStyle(bBrushFillSolidColor);
        hatch->SetSolidColor(clLime);
        hatch->BrushFill()->SetBrushStyle(bsDiagCross);
        hatch->BrushFill()->SetBrushColor(clGreen);
        auto* box = Place<TPaintBox>(form, 0, 0, 420, 260);
        box->OnPaint = [box, gradient, texture, hatch](TObject*) {
            TCanvas* canvas = box->Canvas();
            TFont font;
            font.SetName("Arial");
            font.SetHeight(-44);
            font.SetStyle({fsBold});
            font.SetColor(clBlack);
            struct Sample {
                const char* caption;
                TZylBackground* fill;
                TZylStyle3D style;
                TZylRepeat repetition;
            };
            const Sample samples[] = {
                {"gradient, shadow", gradient, fontOnlyShadow, repeatNone},
                {"texture, raised", texture, fontRaised, repeatNone},
                {"hatch, extrusion", hatch, fontOnlyHighlight, repeatOnShadow},
            };
            int index = 0;
            for (const Sample& sample : samples) {
                TZylFont3D effect;
                effect.SetOffset(2);
                effect.SetStyle3D(sample.style);
                effect.SetShadow(clGray);
                effect.SetHighlight(clWhite);
                effect.SetRepetition(sample.repetition);
                effect.SetRepetitionwidth(sample.repetition == repeatNone ? 0 : 4);
                effect.SetRepetitionColor(clDkGray);
                TBitmap picture;
                picture.SetPixelFormat(pf32bit);
                picture.SetSize(300, 60);
                picture.Canvas()->Brush()->SetColor(clCream);
                picture.Canvas()->FillRect(Rect(0, 0, 300, 60));
                sample.fill->Write(&effect, &font, picture.Canvas(), Rect(0, 0, 300, 60), "Zyl Fill",
                                   win32::DT_CENTER | win32::DT_VCENTER | win32::DT_SINGLELINE);
                const int y = 8 + index * 82;
                canvas->Draw(8, y, &picture);
                Caption(canvas, 316, y + 22, sample.caption);
                ++index;
            }
        };
        album.Shoot("Letters filled through Write", form);
    }};

gallery::Registration fillControl{
    "TZylFillBackground", "lumaro",
    "Three fill controls linked to one background (a horizontal gradient through lime), and one "
    "without a background, which shows the form through it.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Fill controls", 360, 120);
        auto* background = new TZylBackground(form);
        background->Gradient()->SetBeginColor(clTeal);
        background->Gradient()->SetEndColor(clNavy);
        background->Gradient()->ColorsInBetween()->Add("clLime");
        for (int i = 0; i < 3; ++i) {
            auto* fill = Place<TZylFillBackground>(form, 8 + i * 88, 8, 80, 104);
            fill->SetBackground(background);
        }
        Place<TZylFillBackground>(form, 272, 8, 80, 104);
        album.Shoot("Linked and unlinked", form);
    }};

gallery::Registration screenCanvas{
    "TZylScreenCanvas", "lumaro",
    "A screen canvas marking a form's button on the screen itself, over the window, with a red ring "
    "and a note; then the screen after EndPaint with AutoRestore, every window painted anew.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Tour", 280, 140);
        auto* hint = Place<TLabel>(form, 12, 12, 256, 16);
        hint->SetCaption("Press Start to plan your garden.");
        auto* start = Place<TButton>(form, 150, 90, 100, 28);
        start->SetCaption("Start");
        auto* screen = new TZylScreenCanvas(form);
        screen->SetName("ZylScreenCanvas1");
        screen->SetAutoRestore(true);
        form->Show();
        Application->ProcessMessages();

        // The button's place on the screen, ringed; nothing is pumped until the shot, so no window
        // paints over the marks.
        const TPoint at = start->ClientToScreen(Point(0, 0));
        TCanvas* canvas = screen->Canvas();
        canvas->Pen()->SetColor(clRed);
        canvas->Pen()->SetWidth(3);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Ellipse(at.x - 14, at.y - 12, at.x + start->Width() + 14, at.y + start->Height() + 12);
        canvas->Font()->SetColor(clRed);
        canvas->Font()->SetStyle({fsBold});
        canvas->TextOut(at.x - 110, at.y + 4, "Click here");
        album.ShootWindow("Marks drawn on the screen", form->Handle(), screen);
        screen->EndPaint();
        Application->ProcessMessages();
        album.Shoot("After EndPaint with AutoRestore", form, screen);
    }};

}  // namespace
