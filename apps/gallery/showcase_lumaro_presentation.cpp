// Showcases of the presentation's transitions (a contact sheet of every effect at its middle frame),
// a presentation showing a text slide, a form slid part-way in over another, the segmented gauge and
// the 3D panel.
#include <memory>
#include <string>

#include "gallery.h"
#include "lumaro/zylgauges.h"
#include "lumaro/zylpresentation.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "win32/kernel.h"
#include "win32/user.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Caption;
using gallery::Place;

constexpr int kCellWidth = 64, kCellHeight = 48;

// The picture a transition brings in: a navy-to-teal gradient with a white ring and a red corner, so
// that stretching and dripping show as well as revealing.
std::unique_ptr<TBitmap> IncomingPicture() {
    auto picture = ZylNewSlidePicture(kCellWidth, kCellHeight, clNavy);
    TCanvas* canvas = picture->Canvas();
    for (int x = 0; x < kCellWidth; ++x) {
        canvas->Pen()->SetColor(static_cast<TColor>(win32::RGB(0, x * 2, 128)));
        canvas->MoveTo(x, 0);
        canvas->LineTo(x, kCellHeight);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clWhite);
    canvas->Pen()->SetWidth(3);
    canvas->Ellipse(16, 8, 48, 40);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(0, 0, 10, 8));
    return picture;
}

gallery::Registration transitions{
    "TZylTransition", "lumaro",
    "Every slide transition at its middle frame, 64 x 48: the new picture (a gradient with a ring and a "
    "red corner) coming in over the pale yellow of the old one; efRandom drew its effect from seed 7.",
    [](gallery::Album& album) {
        constexpr int columns = 8, cellW = kCellWidth + 10, cellH = kCellHeight + 18;
        TForm* form = album.NewForm("Slide transitions", columns * cellW + 6, 7 * cellH + 6);
        auto* box = Place<TPaintBox>(form, 0, 0, form->ClientWidth(), form->ClientHeight());
        box->OnPaint = [box](TObject*) {
            TCanvas* canvas = box->Canvas();
            const auto incoming = IncomingPicture();
            SetRandSeed(7);
            for (int effect = 0; effect < kSlideEffectCount; ++effect) {
                const int x = 6 + (effect % columns) * cellW, y = 4 + (effect / columns) * cellH;
                auto shown = ZylNewSlidePicture(kCellWidth, kCellHeight,
                                                static_cast<TColor>(win32::RGB(255, 250, 200)));
                const TZylTransition transition(effect, kCellWidth, kCellHeight);
                for (int frame = 0; frame <= transition.FrameCount() / 2; ++frame)
                    transition.RenderFrame(frame, incoming.get(), shown.get());
                canvas->Draw(x, y, shown.get());
                Caption(canvas, x, y + kCellHeight + 1,
                        (effect < 10 ? "0" : "") + std::to_string(effect) + " " +
                            std::string(EnumName(transition.Effect())).substr(2, 8));
            }
        };
        album.Shoot("Middle frames of the 55 effects", form);
    }};

gallery::Registration presentation{
    "TZylPresentation", "lumaro",
    "A presentation over a gradient background showing a centred, word-wrapped text slide in raised "
    "3D letters.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Presentation", 320, 180);
        auto* sky = new TZylBackground(form);
        sky->SetName("Sky");
        sky->Gradient()->SetBeginColor(clNavy);
        sky->Gradient()->SetEndColor(clTeal);
        auto* show = Place<TZylPresentation>(form, 10, 10, 300, 160);
        show->SetBackground(sky);
        show->SetAlignment(TAlignment::taCenter);
        show->Font()->SetSize(16);
        show->Font()->SetStyle({fsBold});
        show->Font()->SetColor(clYellow);
        show->Font3D()->SetStyle3D(fontRaised);
        show->Font3D()->SetShadow(clBlack);
        TZylSlide* slide = show->Slides()->Add();
        slide->SetStyle(1);
        slide->SetText("Welcome to the quarterly review of the garden club");
        slide->SetEffect(static_cast<Integer>(efNone));
        form->Show();
        Application->ProcessMessages();
        show->DoOneSlide(0);
        album.Shoot("A text slide", form, show);
    }};

// A page of a wizard for the form slide: a coloured form with a heading and a line of text.
TForm* WizardPage(TColor color, const std::string& heading, const std::string& text) {
    auto* page = new TForm(nullptr, 0);
    page->SetColor(color);
    auto* title = Place<TLabel>(page, 16, 16, 260, 24);
    title->SetCaption(heading);
    title->Font()->SetSize(14);
    title->Font()->SetStyle({fsBold});
    title->Font()->SetColor(clWhite);
    auto* line = Place<TLabel>(page, 16, 52, 260, 16);
    line->SetCaption(text);
    line->Font()->SetColor(clWhite);
    return page;
}

gallery::Registration formSlide{
    "TZylFormSlide", "lumaro",
    "A wizard's second page wiping in from the left over the picture of the first (efWipeLeftToRight), "
    "shot halfway through the transition; then the second page in place.",
    [](gallery::Album& album) {
        TForm* host = album.NewForm("Planting wizard", 300, 150);
        auto* slide = Place<TZylFormSlide>(host, 0, 0, 300, 150);
        slide->SetSlideEffect(efWipeLeftToRight);
        TComponentPtr<TForm> first(WizardPage(clNavy, "1. Choose a bed", "The sunny bed by the south wall."));
        TComponentPtr<TForm> second(
            WizardPage(clGreen, "2. Choose plants", "Sweet peas, marigolds and basil."));
        host->Show();
        Application->ProcessMessages();
        slide->Show(first.get());
        Application->ProcessMessages();

        // Every frame of the transition processes messages: a fast timer's tick there shoots the
        // host once half of the transition's time has passed, as the screen shows it then.
        const TZylTransition transition(static_cast<Integer>(efWipeLeftToRight), 300, 150);
        const win32::ULONGLONG half = static_cast<win32::ULONGLONG>(transition.FrameCount()) * 1000 /
                                      TZylTransition::kFramesPerSecond / 2;
        constexpr win32::UINT_PTR kFrameTimer = 41;
        const win32::ULONGLONG start = win32::GetTickCount64();
        bool shot = false;
        const TMessageEvent previous = Application->OnMessage;
        Application->OnMessage = [&](win32::MSG& message, bool& handled) {
            if (message.message != win32::WM_TIMER || message.wParam != kFrameTimer) return;
            handled = true;
            if (shot || !slide->Busy() || win32::GetTickCount64() - start < half) return;
            shot = true;
            album.ShootWindow("Halfway through the wipe", host->Handle(), slide);
        };
        win32::SetTimer(host->Handle(), kFrameTimer, 1, nullptr);
        slide->Show(second.get());
        win32::KillTimer(host->Handle(), kFrameTimer);
        Application->OnMessage = previous;
        Application->ProcessMessages();
        album.Shoot("The second page in place", host, slide);
    }};

gallery::Registration gauges{
    "TZylGauge", "lumaro",
    "Horizontal and vertical gauges at 0, 37 and 100 %, SegmentWidth 8 and SegmentGap 2, and one "
    "horizontal gauge with a continuous bar (SegmentGap 0) and a glyph at pLeft.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Gauges", 400, 220);
        const Byte values[] = {0, 37, 100};
        for (int i = 0; i < 3; ++i) {
            auto* across = Place<TZylGauge>(form, 10, 10 + i * 46, 140, 36);
            across->SetPercentage(values[i]);
            auto* upright = Place<TZylGauge>(form, 220 + i * 56, 10, 36, 140);
            upright->SetKind(kVertical);
            upright->SetPercentage(values[i]);
        }
        auto* continuous = Place<TZylGauge>(form, 10, 160, 200, 36);
        continuous->SetSegmentGap(0);
        continuous->SetSegmentColor(clGreen);
        TBitmap glyph;
        glyph.SetSize(16, 16);
        glyph.Canvas()->Brush()->SetColor(clOlive);
        glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
        glyph.Canvas()->Brush()->SetColor(clYellow);
        glyph.Canvas()->Ellipse(3, 3, 13, 13);
        continuous->Glyph()->SetTransparent(false);
        continuous->Glyph()->SetBitmap(&glyph);
        continuous->SetPercentage(64);
        form->Show();
        album.Shoot("Gauges at 0, 37 and 100 %, and a continuous one with a glyph", form);
    }};

gallery::Registration panels{
    "TZylPanel", "lumaro",
    "Panels: the default two raised frames; DlgFrame with Borderwidth 2; a lowered inner frame with "
    "Borderwidth 4 and an aligned child; a gradient background with a 3D caption.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Panels", 420, 200);
        auto* plain = Place<TZylPanel>(form, 10, 10, 190, 80);
        plain->SetCaption("Default frames");
        auto* dialog = Place<TZylPanel>(form, 220, 10, 190, 80);
        dialog->SetCaption("DlgFrame, Borderwidth 2");
        dialog->SetDlgFrame(true);
        dialog->SetBorderwidth(2);
        auto* framed = Place<TZylPanel>(form, 10, 110, 190, 80);
        framed->SetBorderwidth(4);
        framed->FrameInner()->SetFrameStyle(frameLowered);
        auto* child = Place<TPanel>(framed, 0, 0, 10, 10);
        child->SetAlign(alClient);
        child->SetBevelOuter(bvNone);
        child->SetColor(clWhite);
        child->SetCaption("alClient child");
        auto* dusk = new TZylBackground(form);
        dusk->SetName("Dusk");
        dusk->Gradient()->SetBeginColor(clMaroon);
        dusk->Gradient()->SetEndColor(clNavy);
        auto* fancy = Place<TZylPanel>(form, 220, 110, 190, 80);
        fancy->SetBackground(dusk);
        fancy->SetCaption("3D caption");
        fancy->Font()->SetSize(14);
        fancy->Font()->SetStyle({fsBold});
        fancy->Font()->SetColor(clWhite);
        fancy->Font3D()->SetStyle3D(fontRaised);
        fancy->Font3D()->SetShadow(clBlack);
        fancy->FrameOuter()->SetFrameWidth(2);
        form->Show();
        album.Shoot("Panel variants", form);
    }};

}  // namespace
