// Status bar panels, simple text and owner drawing, checked on the painted pixels.
#include <gtest/gtest.h>

#include "support/ui_fixture.h"
#include "vcl/comctrls.h"

namespace {

using namespace vcl;

class StatusBarTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        bar = new TStatusBar(form);
        bar->SetParent(form);
        bar->SetSizeGrip(false);
        PumpUntilIdle();
    }
    TColor Pixel(TBitmap* bitmap, int x, int y) { return bitmap->Canvas()->Pixels(x, y); }
    int InkIn(TBitmap* bitmap, const TRect& r) {
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (Pixel(bitmap, x, y) == 0) ++count;
        return count;
    }
    TForm* form = nullptr;
    TStatusBar* bar = nullptr;
};

TEST_F(StatusBarTest, SitsAtTheBottomAcrossTheForm) {
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Width(), form->ClientWidth());
    EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
}

TEST_F(StatusBarTest, PanelsArePaintedWithBevelsAndText) {
    bar->Panels()->Add()->SetWidth(80);
    bar->Panels()->Items(0)->SetText("Ready");
    bar->Panels()->Add()->SetText("");
    const TRect first = bar->PanelRect(0);
    const TRect second = bar->PanelRect(1);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(second.left, 80);
    EXPECT_EQ(second.right, bar->ClientWidth() - 2);
    auto image = BitmapOf(bar);
    const TColor shadow = static_cast<TColor>(ColorToRGB(clBtnShadow));
    const TColor light = static_cast<TColor>(ColorToRGB(clBtnHighlight));
    // A lowered bevel: shadow on the top-left, highlight on the bottom-right.
    EXPECT_EQ(Pixel(image.get(), first.left, first.top + 3), shadow);
    EXPECT_EQ(Pixel(image.get(), first.right - 1, first.top + 3), light);
    EXPECT_EQ(Pixel(image.get(), second.left + 3, second.top), shadow);
    EXPECT_GT(InkIn(image.get(), first), 10);
    EXPECT_EQ(InkIn(image.get(), second), 0);
    EXPECT_THROW(bar->PanelRect(2), EListError);
}

TEST_F(StatusBarTest, OwnerDrawPanelsAndSimpleText) {
    bar->Panels()->Add()->SetWidth(60);
    TStatusPanel* drawn = bar->Panels()->Add();
    drawn->SetStyle(psOwnerDraw);
    int calls = 0;
    bar->OnDrawPanel = [&](TStatusBar* sender, TStatusPanel* panel, const TRect& rect) {
        ++calls;
        EXPECT_EQ(panel, drawn);
        sender->Canvas()->Brush()->SetColor(clRed);
        sender->Canvas()->FillRect(rect);
    };
    auto image = BitmapOf(bar);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Pixel(image.get(), 70, 8), clRed);
    bar->SetSimpleText("Simple");
    bar->SetSimplePanel(true);
    image = BitmapOf(bar);
    EXPECT_EQ(calls, 1);
    EXPECT_NE(Pixel(image.get(), 70, 8), clRed);
    EXPECT_GT(InkIn(image.get(), Rect(0, 2, 60, bar->Height())), 10);
}

}  // namespace
