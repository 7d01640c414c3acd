// The spin button: which half a point is in, the four pictures, presses tracked with the mouse,
// and auto-repeat on the platform clock.
#include <gtest/gtest.h>

#include <string>

#include "pellic/zyltspinedit.h"
#include "support/ui_fixture.h"
#include "win32/user.h"

namespace spin_button_tests {

using namespace pellic;
using vcl::TColor;
using win32::input::Button;

class SpinButtonTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm();
        button = new TZylSpinButton(form);
        button->SetParent(form);
        button->SetBounds(10, 10, 40, 20);
        button->OnTopClick = [this](vcl::TObject*) { clicks += "T"; };
        button->OnBottomClick = [this](vcl::TObject*) { clicks += "B"; };
        PumpUntilIdle();
    }

    void Press(int x, int y) {
        MoveMouseTo(button, x, y);
        win32::input::PressButton(Button::Left);
        PumpUntilIdle();
    }
    void Release() {
        win32::input::ReleaseButton(Button::Left);
        PumpUntilIdle();
    }
    // The clock moved on in steps, as a running program would see it.
    void AdvanceInSteps(int milliseconds) {
        for (int done = 0; done < milliseconds; done += 50)
            Advance(50);
    }

    vcl::TForm* form = nullptr;
    TZylSpinButton* button = nullptr;
    std::string clicks;
};

TEST_F(SpinButtonTest, TheDiagonalSplitsTheHalves) {
    using enum TZylButtonState;
    const struct {
        int x, y;
        TZylButtonState half;
    } cases[] = {{30, 3, bsTopDown},  {30, 8, bsBottomDown},  {0, 0, bsTopDown},  {39, 19, bsBottomDown},
                 {20, 10, bsTopDown}, {20, 11, bsBottomDown}, {2, 18, bsTopDown}, {4, 19, bsBottomDown}};
    for (const auto& c : cases)
        EXPECT_EQ(button->HalfAt(c.x, c.y), c.half) << c.x << "," << c.y;
}

TEST_F(SpinButtonTest, EachStateHasItsPicture) {
    button->SetBounds(10, 10, 20, 20);
    using enum TZylButtonState;
    const auto rgb = [](TColor color) { return vcl::ColorToRGB(color); };
    // Pixels of the up arrow's apex, the down arrow's first row, and the three divider lines.
    const struct {
        TZylButtonState state;
        TColor upApex, downRow, inner, middle, outer;
        int upX, upY, downX, downY;
    } cases[] = {
        {bsUp, vcl::clBlack, vcl::clBlack, vcl::clBtnShadow, vcl::clWindowFrame, vcl::clBtnHighlight, 5, 4,
         12, 12},
        {bsTopDown, vcl::clBlack, vcl::clBlack, vcl::clBtnHighlight, vcl::clWindowFrame, vcl::clBtnHighlight,
         6, 5, 12, 12},
        {bsBottomDown, vcl::clBlack, vcl::clBlack, vcl::clBtnShadow, vcl::clWindowFrame, vcl::clBtnShadow, 5,
         4, 13, 13},
        {bsDisabled, vcl::clGrayText, vcl::clGrayText, vcl::clBtnShadow, vcl::clWindowFrame,
         vcl::clBtnHighlight, 5, 4, 12, 12},
    };
    for (const auto& c : cases) {
        button->SetDown(c.state);
        auto picture = BitmapOf(button);
        vcl::TCanvas* canvas = picture->Canvas();
        SCOPED_TRACE(static_cast<int>(c.state));
        EXPECT_EQ(rgb(canvas->Pixels(c.upX, c.upY)), rgb(c.upApex));
        // Nothing left and right of the apex: the arrow is one pixel wide at the top.
        EXPECT_NE(rgb(canvas->Pixels(c.upX - 1, c.upY)), rgb(c.upApex));
        for (int x = c.downX; x <= c.downX + 4; ++x)
            EXPECT_EQ(rgb(canvas->Pixels(x, c.downY)), rgb(c.downRow)) << x;
        EXPECT_EQ(rgb(canvas->Pixels(c.downX + 2, c.downY + 2)), rgb(c.downRow));
        EXPECT_EQ(rgb(canvas->Pixels(8, 10)), rgb(c.inner));
        EXPECT_EQ(rgb(canvas->Pixels(8, 11)), rgb(c.middle));
        EXPECT_EQ(rgb(canvas->Pixels(8, 12)), rgb(c.outer));
    }
    // The disabled arrows are embossed: a highlight copy one pixel right and down.
    button->SetDown(bsDisabled);
    EXPECT_EQ(rgb(BitmapOf(button)->Canvas()->Pixels(4, 7)), rgb(vcl::clHighlightText));
    // A new arrow colour builds new pictures.
    button->SetDown(bsUp);
    button->SetArrowColor(vcl::clRed);
    EXPECT_EQ(rgb(BitmapOf(button)->Canvas()->Pixels(5, 4)), rgb(vcl::clRed));
}

TEST_F(SpinButtonTest, PressesClickTheHalfTheyAreReleasedOn) {
    ClickAt(button, 30, 3);
    ClickAt(button, 30, 8);
    EXPECT_EQ(clicks, "TB");
    // Dragged off the button the press shows nothing pressed, back on it the pressed half again;
    // released outside it clicks nothing.
    Press(5, 5);
    EXPECT_EQ(button->Down(), TZylButtonState::bsTopDown);
    MoveMouseTo(button, 60, 5);
    EXPECT_EQ(button->Down(), TZylButtonState::bsUp);
    MoveMouseTo(button, 5, 5);
    EXPECT_EQ(button->Down(), TZylButtonState::bsTopDown);
    MoveMouseTo(button, 60, 5);
    Release();
    // Dragged onto the other half it clicks nothing either.
    Press(5, 5);
    MoveMouseTo(button, 35, 18);
    EXPECT_EQ(button->Down(), TZylButtonState::bsUp);
    Release();
    ClickAt(button, 30, 3, Button::Right);
    EXPECT_EQ(clicks, "TB");
    EXPECT_EQ(button->Down(), TZylButtonState::bsUp);
    // A disabled button takes no press.
    button->SetEnabled(false);
    ClickAt(button, 30, 3);
    EXPECT_EQ(clicks, "TB");
    EXPECT_EQ(button->Down(), TZylButtonState::bsDisabled);
}

TEST_F(SpinButtonTest, AHeldHalfRepeatsOnTheClock) {
    button->SetAutoRepeat(true);
    button->SetRepeatDelay(400);
    button->SetRepeatInterval(100);
    // A quick click is one click, on release.
    Press(5, 5);
    Advance(100);
    Release();
    EXPECT_EQ(clicks, "T");
    clicks.clear();

    Press(5, 5);
    AdvanceInSteps(350);
    EXPECT_EQ(clicks, "");
    AdvanceInSteps(50);
    EXPECT_EQ(clicks, "T");
    AdvanceInSteps(200);
    EXPECT_EQ(clicks, "TTT");
    // Off the pressed half the repeat pauses, and goes on when the pointer comes back.
    MoveMouseTo(button, 60, 5);
    AdvanceInSteps(300);
    EXPECT_EQ(clicks, "TTT");
    MoveMouseTo(button, 5, 5);
    AdvanceInSteps(100);
    EXPECT_EQ(clicks, "TTTT");
    // A press that repeated clicks nothing more on release, and stops.
    Release();
    AdvanceInSteps(500);
    EXPECT_EQ(clicks, "TTTT");
}

TEST_F(SpinButtonTest, LosingTheCaptureEndsThePress) {
    button->SetAutoRepeat(true);
    auto* other = new vcl::TEdit(form);
    other->SetParent(form);
    other->SetBounds(100, 10, 80, 21);
    Press(35, 18);
    AdvanceInSteps(400);
    EXPECT_EQ(clicks, "B");
    win32::SetCapture(other->Handle());
    EXPECT_EQ(button->Down(), TZylButtonState::bsUp);
    AdvanceInSteps(500);
    win32::ReleaseCapture();
    Release();
    EXPECT_EQ(clicks, "B");
    // Without repeats the same loss clicks nothing on the release either.
    button->SetAutoRepeat(false);
    Press(5, 5);
    win32::SetCapture(other->Handle());
    win32::ReleaseCapture();
    Release();
    EXPECT_EQ(clicks, "B");
}

}  // namespace spin_button_tests
