// Showcases of the enhanced package's core painting: frame styles, 3D text and glyph strips, each
// drawn on a paint box with a caption beside it; and a stopwatch driven by the thread timer.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "gallery.h"
#include "lumaro/zylenhanced.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "win32/kernel.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Caption;
using gallery::Place;

gallery::Registration frames{
    "TZylFrame", "lumaro",
    "Every frame style at FrameWidth 1 and 2, in the default highlight, shadow and solid colours.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Frames", 540, 330);
        auto* box = Place<TPaintBox>(form, 0, 0, 540, 330);
        auto frame = std::make_shared<TZylFrame>();
        box->OnPaint = [box, frame](TObject*) {
            TCanvas* canvas = box->Canvas();
            for (int style = 0; style < 9; ++style)
                for (int width = 1; width <= 2; ++width) {
                    const int cell = style * 2 + (width - 1);
                    const int x = 6 + (cell % 3) * 178, y = 6 + (cell / 3) * 54;
                    frame->SetFrameStyle(static_cast<TZylFrameStyle>(style));
                    frame->SetFrameWidth(static_cast<Byte>(width));
                    TRect r = Rect(x, y, x + 44, y + 44);
                    frame->Draw(canvas->Handle(), r);
                    Caption(canvas, x + 50, y + 8, std::string(EnumName(static_cast<TZylFrameStyle>(style))));
                    Caption(canvas, x + 50, y + 24, "width " + std::to_string(width));
                }
        };
        album.Shoot("Frame styles at widths 1 and 2", form);
    }};

gallery::Registration font3D{
    "TZylFont3D", "lumaro",
    "Caption text in each Style3D (Offset 2), with an extrusion on the shadow and on the highlight "
    "side, plain, and disabled.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("3D text", 460, 300);
        auto* box = Place<TPaintBox>(form, 0, 0, 460, 300);
        box->OnPaint = [box](TObject*) {
            TCanvas* canvas = box->Canvas();
            TFont font;
            font.SetName("Arial");
            font.SetSize(16);
            font.SetStyle({fsBold});
            font.SetColor(clNavy);
            struct Sample {
                std::string caption;
                std::function<void(TZylFont3D&)> setUp;
                bool enabled = true;
            };
            const Sample samples[] = {
                {"fontRaised", [](TZylFont3D& f) { f.SetStyle3D(fontRaised); }},
                {"fontInset", [](TZylFont3D& f) { f.SetStyle3D(fontInset); }},
                {"fontOnlyShadow", [](TZylFont3D& f) { f.SetStyle3D(fontOnlyShadow); }},
                {"fontOnlyHighlight", [](TZylFont3D& f) { f.SetStyle3D(fontOnlyHighlight); }},
                {"fontOutLineShadow", [](TZylFont3D& f) { f.SetStyle3D(fontOutLineShadow); }},
                {"repeatOnShadow, 4",
                 [](TZylFont3D& f) {
                     f.SetStyle3D(fontOnlyHighlight);
                     f.SetRepetition(repeatOnShadow);
                     f.SetRepetitionwidth(4);
                     f.SetRepetitionColor(clGray);
                 }},
                {"repeatOnHighLight, 4",
                 [](TZylFont3D& f) {
                     f.SetStyle3D(fontOnlyShadow);
                     f.SetRepetition(repeatOnHighLight);
                     f.SetRepetitionwidth(4);
                     f.SetRepetitionColor(clSilver);
                 }},
                {"ThreeDimensional False", [](TZylFont3D& f) { f.SetThreeDimensional(false); }},
                {"disabled", [](TZylFont3D& f) { f.SetStyle3D(fontRaised); }, false},
            };
            int index = 0;
            for (const Sample& sample : samples) {
                TZylFont3D effect;
                effect.SetOffset(2);
                effect.SetHighlight(clWhite);
                effect.SetShadow(clGray);
                sample.setUp(effect);
                const int x = 10 + (index % 2) * 226, y = 8 + (index / 2) * 58;
                effect.Write(&font, canvas->Handle(), Rect(x, y, x + 220, y + 34), "Zyl 3D",
                             win32::DT_LEFT | win32::DT_SINGLELINE, sample.enabled);
                Caption(canvas, x, y + 36, sample.caption);
                ++index;
            }
        };
        album.Shoot("Styles, extrusions and the disabled look", form);
    }};

// A strip of three 32 x 32 images on a fuchsia (transparent) ground: normal, pressed, disabled.
std::unique_ptr<TBitmap> MakeStrip() {
    auto strip = std::make_unique<TBitmap>();
    strip->SetSize(96, 32);
    TCanvas* c = strip->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 96, 32));
    for (int image = 0; image < 3; ++image) {
        const int x = image * 32, shift = image == 1 ? 1 : 0;
        c->Pen()->SetColor(clNavy);
        c->Brush()->SetColor(image == 1 ? clYellow : clRed);
        c->Ellipse(x + 4 + shift, 4 + shift, x + 28 + shift, 28 + shift);
        c->Brush()->SetColor(clWhite);
        c->Rectangle(x + 12 + shift, 10 + shift, x + 20 + shift, 22 + shift);
        c->Brush()->SetColor(clLime);
        c->Rectangle(x + 2, 24, x + 10, 30);
    }
    return strip;
}

gallery::Registration glyphs{
    "TZylGlyph", "lumaro",
    "A three-image strip made in code (normal, pressed, disabled) drawn in each state with its "
    "fuchsia ground left out, and the strip itself.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Glyphs", 360, 120);
        auto* box = Place<TPaintBox>(form, 0, 0, 360, 120);
        auto glyph = std::make_shared<TZylGlyph>();
        glyph->SetBitmap(MakeStrip().get());
        glyph->SetNumGlyphs(3);
        glyph->SetTransparentColor(clFuchsia);
        box->OnPaint = [box, glyph](TObject*) {
            TCanvas* canvas = box->Canvas();
            struct State {
                const char* caption;
                bool enabled, down, mono;
            };
            const State states[] = {{"normal", true, false, false},
                                    {"pressed", true, true, false},
                                    {"disabled", false, false, false},
                                    {"mono", true, false, true}};
            for (int i = 0; i < 4; ++i) {
                const int x = 12 + i * 70;
                glyph->Draw(canvas, x, 10, states[i].enabled, states[i].down, states[i].mono);
                Caption(canvas, x, 48, states[i].caption);
            }
            canvas->Draw(12, 72, glyph->Bitmap());
            Caption(canvas, 116, 82, "the strip (3 images)");
        };
        album.Shoot("Normal, pressed, disabled and mono", form);
    }};

gallery::Registration timer32{
    "TZylTimer32", "lumaro",
    "A stopwatch whose label a thread timer of 100 ms advanced five times (its ticks handed to the main "
    "thread), stopped then; and the timer's settings.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Stopwatch", 220, 70);
        auto* display = Place<TLabel>(form, 16, 12, 188, 30);
        display->Font()->SetSize(18);
        display->Font()->SetStyle({fsBold});
        display->SetCaption("0.0 s");
        auto* timer = new TZylTimer32(form);
        timer->SetName("ZylTimer321");
        timer->SetEnabled(false);
        timer->SetInterval(100);
        timer->SetPriority(TThreadPriority::tpHigher);
        int ticks = 0;
        timer->OnTimer = [&ticks, display, timer](TObject*) {
            ++ticks;
            display->SetCaption("0." + std::to_string(ticks) + " s");
            if (ticks == 5) timer->SetEnabled(false);
        };
        form->Show();
        timer->SetEnabled(true);
        // The ticks arrive as messages; a few seconds at most in case the clock stands still.
        const win32::ULONGLONG until = win32::GetTickCount64() + 5000;
        while (ticks < 5 && win32::GetTickCount64() < until) {
            Application->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        timer->SetEnabled(false);
        auto* note = Place<TLabel>(form, 16, 48, 188, 16);
        note->SetCaption(std::to_string(ticks) + " ticks of 100 ms, then stopped");
        album.Shoot("Five ticks of 100 ms", form, timer);
        timer->OnTimer = nullptr;
        gallery::ShootInspector(album, timer, "Settings: 100 ms at a higher priority", false);
    }};

}  // namespace
