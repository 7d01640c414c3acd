// The segmented gauge and the 3D panel at exact pixels: bar geometry, segment patterns, both kinds,
// the glyph's margin, the panel's frames and child alignment, and what their form files keep.
#include <algorithm>
#include <memory>
#include <string>

#include "lumaro/zylgauges.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"

namespace gauge_tests {

std::string Text(const vcl::TRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

using namespace vcl;
using namespace lumaro;

const win32::COLORREF kNavy = ColorToRGB(clNavy), kWhite = ColorToRGB(clWhite);

class GaugeTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 400, 300);
    }

    TZylGauge* NewGauge(Integer width = 140, Integer height = 36) {
        auto* gauge = new TZylGauge(form);
        gauge->SetParent(form);
        gauge->SetBounds(10, 10, width, height);
        PumpUntilIdle();
        return gauge;
    }

    template <typename C>
    static win32::COLORREF At(C* control, Integer x, Integer y) {
        return ColorToRGB(control->Canvas()->Pixels(x, y));
    }

    TForm* form = nullptr;
};

TEST_F(GaugeTest, NewGaugeStartsWithTheTableValues) {
    TZylGauge* gauge = NewGauge();
    TComponentPtr<TZylGauge> fresh(new TZylGauge(nullptr));
    EXPECT_EQ(fresh->Width(), 140);
    EXPECT_EQ(fresh->Height(), 36);
    EXPECT_EQ(fresh->BevelOuter()->FrameStyle(), frameRaised);
    EXPECT_EQ(fresh->BevelInner()->FrameStyle(), frameLowered);
    // Borderwidth 6 and two one-pixel bevels: the bar is (6 + 1 + 1 - 1, ..., 140 - 6 - 2, 36 - 6 - 2).
    EXPECT_EQ(Text(gauge->BarRect()), Text(Rect(7, 7, 132, 28)));
    gauge->SetPercentage(150);
    EXPECT_EQ(gauge->Percentage(), 100);
}

// Rows 7 and 27 of the bar lie above and below the centred percentage text.
TEST_F(GaugeTest, HorizontalSegmentsFollowTheControlsCoordinates) {
    struct Case {
        Byte percentage, width, gap;
        Integer filledTo;  // last column of the bar drawn as segments
        const char* pattern;
    };
    // 37 % of 124: R(45.88) = 46 -> columns 7..53. With period 10 the gap is x mod 10 = 9 alone.
    const Case cases[] = {
        {37, 8, 2, 53, "periodic"},   {37, 8, 0, 53, "continuous"}, {37, 8, 1, 53, "continuous"},
        {37, 0, 0, 53, "continuous"}, {100, 8, 2, 131, "periodic"}, {0, 8, 2, 6, "empty"},
    };
    TZylGauge* gauge = NewGauge();
    for (const Case& c : cases) {
        gauge->SetSegmentWidth(c.width);
        gauge->SetSegmentGap(c.gap);
        gauge->SetPercentage(c.percentage);
        PumpUntilIdle();
        for (Integer x = 7; x < 132; ++x) {
            win32::COLORREF want = kWhite;
            if (x <= c.filledTo && std::string(c.pattern) != "empty")
                want =
                    std::string(c.pattern) == "periodic" && x % (c.width + c.gap) > c.width ? kWhite : kNavy;
            for (Integer y : {7, 27})
                ASSERT_EQ(At(gauge, x, y), want)
                    << c.percentage << "% " << int(c.width) << "/" << int(c.gap) << " at " << x << "," << y;
        }
    }
}

TEST_F(GaugeTest, VerticalGaugeFillsFromTheBottom) {
    TZylGauge* gauge = NewGauge(36, 140);
    gauge->SetKind(kVertical);
    gauge->SetSegmentGap(0);
    gauge->SetPercentage(25);
    PumpUntilIdle();
    // Bar (7, 7, 28, 132): h = 124, n = R(31) = 31, rows 131 - 31 = 100 .. 131.
    EXPECT_EQ(Text(gauge->BarRect()), Text(Rect(7, 7, 28, 132)));
    EXPECT_EQ(At(gauge, 7, 131), kNavy);
    EXPECT_EQ(At(gauge, 7, 100), kNavy);
    EXPECT_EQ(At(gauge, 7, 99), kWhite);
    EXPECT_EQ(At(gauge, 27, 110), kNavy);
    EXPECT_NE(At(gauge, 28, 110), kNavy);
}

TEST_F(GaugeTest, AGlyphWidensItsSideOfTheMargin) {
    TZylGauge* gauge = NewGauge();
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    gauge->Glyph()->SetTransparent(false);
    gauge->Glyph()->SetBitmap(&glyph);
    gauge->SetSegmentGap(0);
    gauge->SetPercentage(100);
    PumpUntilIdle();
    EXPECT_EQ(gauge->BarRect().left, 23);
    EXPECT_EQ(At(gauge, 23, 7), kNavy);
    // The glyph at (co + R(6 / 2) + 1, R(36 / 2 - 16 / 2)) = (5, 10).
    EXPECT_EQ(At(gauge, 5, 10), ColorToRGB(clRed));
    EXPECT_EQ(At(gauge, 20, 25), ColorToRGB(clRed));
    gauge->SetPicturePosition(pRight);
    EXPECT_EQ(Text(gauge->BarRect()), Text(Rect(7, 7, 116, 28)));
}

TEST_F(GaugeTest, APercentageOnAGaugeOffScreenOnlyInvalidates) {
    TComponentPtr<TZylGauge> parentless(new TZylGauge(nullptr));
    EXPECT_NO_THROW(parentless->SetPercentage(40));
    TZylGauge* hidden = NewGauge();
    hidden->SetVisible(false);
    EXPECT_NO_THROW(hidden->SetPercentage(60));
    hidden->SetVisible(true);
    hidden->SetSegmentGap(0);
    PumpUntilIdle();
    EXPECT_EQ(At(hidden, 80, 7), kNavy);
}

TEST_F(GaugeTest, FormFilesKeepARaisedInnerBevel) {
    TComponentPtr<TZylGauge> gauge(new TZylGauge(nullptr));
    gauge->SetName("Gauge");
    TComponentPtr<TZylGauge> lowered(new TZylGauge(nullptr));
    ReadComponentText(ComponentToText(gauge.get()), lowered.get());
    EXPECT_EQ(lowered->BevelInner()->FrameStyle(), frameLowered);
    gauge->BevelInner()->SetFrameStyle(frameRaised);
    const std::string text = ComponentToText(gauge.get());
    TComponentPtr<TZylGauge> copy(new TZylGauge(nullptr));
    ReadComponentText(text, copy.get());
    EXPECT_EQ(copy->BevelInner()->FrameStyle(), frameRaised) << text;
    EXPECT_EQ(copy->Width(), 140);
}

class PanelTest : public GaugeTest {
protected:
    TZylPanel* NewPanel() {
        auto* panel = new TZylPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 120, 80);
        PumpUntilIdle();
        return panel;
    }
};

TEST_F(PanelTest, DialogFrameOuterFrameAndMarginPlaceTheInnerFrame) {
    TZylPanel* panel = NewPanel();
    panel->SetDlgFrame(true);
    panel->SetBorderwidth(2);
    PumpUntilIdle();
    const win32::COLORREF highlight = ColorToRGB(clBtnHighlight), face = ColorToRGB(clBtnFace);
    // The dialog rings: highlight and black, then face and shadow, then face.
    EXPECT_EQ(At(panel, 0, 40), highlight);
    EXPECT_EQ(At(panel, 119, 40), ColorToRGB(clBlack));
    EXPECT_EQ(At(panel, 118, 40), ColorToRGB(clBtnShadow));
    // FrameOuter (raised, 1) at 3; the inner frame 3 + 1 + (2 + 1) = 7 pixels in.
    EXPECT_EQ(At(panel, 3, 40), highlight);
    EXPECT_EQ(At(panel, 116, 40), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(panel, 6, 40), face);
    EXPECT_EQ(At(panel, 7, 40), highlight);
    EXPECT_EQ(At(panel, 112, 40), ColorToRGB(clBtnShadow));
    // Borderwidth 0 is taken again; negative values are not.
    panel->SetBorderwidth(0);
    EXPECT_EQ(panel->Borderwidth(), 0);
    panel->SetBorderwidth(-3);
    EXPECT_EQ(panel->Borderwidth(), 0);
}

TEST_F(PanelTest, ChildrenKeepClearOfTheMarginAndTheFrames) {
    TZylPanel* panel = NewPanel();
    panel->SetBorderwidth(4);
    auto* child = new TPanel(form);
    child->SetParent(panel);
    child->SetAlign(alClient);
    PumpUntilIdle();
    EXPECT_EQ(Text(child->BoundsRect()), Text(Rect(6, 6, 114, 74)));
    panel->FrameInner()->SetFrameStyle(frameNone);
    EXPECT_EQ(Text(child->BoundsRect()), Text(Rect(5, 5, 115, 75)));
}

TEST_F(PanelTest, CaptionIsDrawnInReliefInsideTheFrames) {
    TZylPanel* panel = NewPanel();
    panel->SetCaption("WWWW");
    panel->Font()->SetColor(clRed);
    panel->Font3D()->SetStyle3D(fontRaised);
    panel->SetAlignment(TAlignment::taLeftJustify);
    PumpUntilIdle();
    int red = 0, left = 120;
    for (Integer y = 0; y < 80; ++y)
        for (Integer x = 0; x < 120; ++x)
            if (At(panel, x, y) == ColorToRGB(clRed)) {
                ++red;
                left = std::min(left, x);
            }
    EXPECT_GT(red, 20);
    // Left-justified just inside the two one-pixel frames.
    EXPECT_GE(left, 2);
    EXPECT_LE(left, 5);
}

TEST_F(PanelTest, FormFilesWriteOnlyWhatDiffers) {
    TComponentPtr<TZylPanel> panel(new TZylPanel(nullptr));
    panel->SetName("Panel");
    const std::string plain = ComponentToText(panel.get());
    for (const char* name : {"Borderwidth", "DlgFrame", "FrameInner", "FrameOuter", "AutoSize", "Alignment"})
        EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
    panel->SetBorderwidth(3);
    panel->FrameInner()->SetFrameStyle(frameLowered);
    TComponentPtr<TZylPanel> copy(new TZylPanel(nullptr));
    ReadComponentText(ComponentToText(panel.get()), copy.get());
    EXPECT_EQ(copy->Borderwidth(), 3);
    EXPECT_EQ(copy->FrameInner()->FrameStyle(), frameLowered);
    EXPECT_EQ(copy->FrameOuter()->FrameStyle(), frameRaised);
}

}  // namespace gauge_tests
