// The image scroller: the scroll surface, positions after timer ticks on the manual clock in each
// direction and speed, wrapping, the painted picture, text mode and the guards against empty input.
#include <memory>
#include <string>

#include "lumaro/zylscroller.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;
namespace platform = win32::testing;

constexpr Integer kScrollerTickLimit = 5000;
constexpr TColor kScrollerStripes[] = {clRed, clLime, clBlue, clYellow};

class ScrollerTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 300, 200);
        scroller = new TZylImageScroller(form);
        scroller->SetParent(form);
        scroller->SetBounds(10, 10, 100, 100);
    }
    void TearDown() override {
        while (CheckSynchronize(0)) {
        }
        UiFixture::TearDown();
    }

    // 40 x 30: four upright stripes of 10 pixels in kScrollerStripes.
    static std::unique_ptr<TBitmap> Stripes() {
        auto picture = std::make_unique<TBitmap>();
        picture->SetSize(40, 30);
        for (int i = 0; i < 4; ++i) {
            picture->Canvas()->Brush()->SetColor(kScrollerStripes[i]);
            picture->Canvas()->FillRect(Rect(i * 10, 0, i * 10 + 10, 30));
        }
        return picture;
    }

    void UseStripes() {
        auto picture = Stripes();
        scroller->SetBitmap(picture.get());
    }

    // Lets the timer's worker sleep, moves the clock one interval and runs the tick it hands over.
    void Tick() {
        ASSERT_TRUE(platform::WaitForClockWaiters(1, kScrollerTickLimit));
        platform::AdvanceClock(static_cast<win32::DWORD>(scroller->ScrollInterval()));
        ASSERT_TRUE(CheckSynchronize(kScrollerTickLimit));
    }

    win32::COLORREF PaintedAt(int x, int y) {
        auto picture = BitmapOf(scroller);
        return ColorToRGB(picture->Canvas()->Pixels(x, y));
    }

    TForm* form = nullptr;
    TZylImageScroller* scroller = nullptr;
};

TEST_F(ScrollerTest, PictureIsTiledToCoverTheControl) {
    UseStripes();
    EXPECT_EQ(scroller->SurfaceWidth(), 120);
    EXPECT_EQ(scroller->SurfaceHeight(), 120);
    scroller->SetBounds(10, 10, 80, 30);
    EXPECT_EQ(scroller->SurfaceWidth(), 80);
    EXPECT_EQ(scroller->SurfaceHeight(), 30);
}

TEST_F(ScrollerTest, TimerTicksMoveThePictureInEachDirectionAndSpeed) {
    UseStripes();
    struct Case {
        TZylKind direction;
        Byte step;
        bool inverse;
        int ticks;
        int x, y;
    };
    const Case cases[] = {
        {kHorizontal, 1, false, 3, 3, 0},  {kHorizontal, 3, false, 4, 12, 0},
        {kHorizontal, 3, true, 1, 117, 0}, {kHorizontal, 7, true, 3, 99, 0},
        {kVertical, 1, false, 2, 0, 2},    {kVertical, 5, true, 2, 0, 110},
    };
    for (const Case& c : cases) {
        // A change of direction starts over at 0; to start over in the same one, turn twice.
        scroller->SetScrollDirection(c.direction == kHorizontal ? kVertical : kHorizontal);
        scroller->SetScrollDirection(c.direction);
        ASSERT_EQ(scroller->OffsetX(), 0);
        ASSERT_EQ(scroller->OffsetY(), 0);
        scroller->SetScrollStep(c.step);
        scroller->SetScrollInverse(c.inverse);
        scroller->SetScrollInterval(50);
        scroller->SetScrolling(true);
        for (int i = 0; i < c.ticks; ++i)
            Tick();
        scroller->SetScrolling(false);
        EXPECT_EQ(scroller->OffsetX(), c.x) << int(c.step) << (c.inverse ? " inverse" : "");
        EXPECT_EQ(scroller->OffsetY(), c.y) << int(c.step) << (c.inverse ? " inverse" : "");
    }
}

TEST_F(ScrollerTest, OffsetsWrapAroundTheSurface) {
    UseStripes();
    for (int i = 0; i < 119; ++i)
        scroller->MoveImage();
    EXPECT_EQ(scroller->OffsetX(), 119);
    scroller->MoveImage();
    EXPECT_EQ(scroller->OffsetX(), 0);  // a full turn after 120 steps
    // A step longer than the surface wraps by the remainder, either way.
    scroller->SetScrollStep(250);
    scroller->MoveImage();
    EXPECT_EQ(scroller->OffsetX(), 10);
    scroller->SetScrollInverse(true);
    scroller->MoveImage();
    scroller->MoveImage();
    EXPECT_EQ(scroller->OffsetX(), 110);
}

TEST_F(ScrollerTest, PaintingContinuesPastTheEndFromTheStart) {
    UseStripes();
    EXPECT_EQ(PaintedAt(0, 5), ColorToRGB(clRed));
    EXPECT_EQ(PaintedAt(45, 50), ColorToRGB(clRed));
    scroller->SetScrollStep(35);
    scroller->MoveImage();
    scroller->MoveImage();
    scroller->MoveImage();  // offset 105: surface columns 105 .. 119, then 0 ..
    ASSERT_EQ(scroller->OffsetX(), 105);
    EXPECT_EQ(PaintedAt(0, 5), ColorToRGB(clBlue));
    EXPECT_EQ(PaintedAt(4, 5), ColorToRGB(clBlue));
    EXPECT_EQ(PaintedAt(5, 5), ColorToRGB(clYellow));
    EXPECT_EQ(PaintedAt(15, 99), ColorToRGB(clRed));  // the surface's start follows its end
    EXPECT_EQ(PaintedAt(99, 5), ColorToRGB(clRed));
}

TEST_F(ScrollerTest, ScrollIntervalIsClampedToTheTimersRange) {
    scroller->SetScrollInterval(70000);
    EXPECT_EQ(scroller->ScrollInterval(), 65535);
    EXPECT_EQ(scroller->Timer()->Interval(), 65535);
    scroller->SetScrollInterval(0);
    EXPECT_EQ(scroller->ScrollInterval(), 1);
    scroller->SetScrollInterval(-20);
    EXPECT_EQ(scroller->Timer()->Interval(), 1);
    scroller->SetScrollInterval(120);
    EXPECT_EQ(scroller->Timer()->Interval(), 120);
}

TEST_F(ScrollerTest, EmptyInputAndNoSizeAreHarmless) {
    // Nothing to show: no surface, nothing moves.
    scroller->MoveImage();
    EXPECT_EQ(scroller->OffsetX(), 0);
    EXPECT_EQ(scroller->SurfaceWidth(), 0);
    // A control of no size still gets one copy of the picture, and building it ends.
    scroller->SetBounds(10, 10, 0, 0);
    UseStripes();
    EXPECT_EQ(scroller->SurfaceWidth(), 40);
    EXPECT_EQ(scroller->SurfaceHeight(), 30);
    scroller->MoveImage();
    EXPECT_EQ(scroller->OffsetX(), 1);
    // A picture without pixels counts as none.
    TBitmap empty;
    empty.SetSize(0, 25);
    scroller->SetBitmap(&empty);
    EXPECT_EQ(scroller->SurfaceWidth(), 0);
    scroller->SetText("words");
    EXPECT_EQ(scroller->SurfaceWidth(), 0);  // a text picture of no size
}

TEST_F(ScrollerTest, WithoutParentItMovesButPaintsNothing) {
    TComponentPtr<TZylImageScroller> orphan(new TZylImageScroller(nullptr));
    auto picture = Stripes();
    orphan->SetBitmap(picture.get());
    orphan->SetText("loose");
    orphan->MoveImage();
    EXPECT_EQ(orphan->OffsetX(), 1);
    orphan->Repaint();
    orphan->SetParentCenter(true);
    EXPECT_EQ(orphan->Left(), 0);
}

TEST_F(ScrollerTest, TextIsDrawnOnTheParentsColourAndCentred) {
    scroller->Font()->SetColor(clBlack);
    scroller->SetText("Hello");
    EXPECT_TRUE(scroller->ParentColor());
    EXPECT_EQ(scroller->SurfaceWidth(), 100);
    EXPECT_EQ(scroller->SurfaceHeight(), 100);
    EXPECT_EQ(PaintedAt(1, 1), ColorToRGB(form->Color()));
    const TSize extent = TextMeasure(scroller->Font()).Extent("Hello");
    const Integer effect = scroller->Font3D()->DrawingWidth();
    EXPECT_EQ(scroller->TextWindowLeft(), (100 - extent.cx - effect) / 2);
    EXPECT_EQ(scroller->TextWindowTop(), (100 - extent.cy - effect) / 2);
    scroller->SetColor(clAqua);
    EXPECT_FALSE(scroller->ParentColor());
    EXPECT_EQ(PaintedAt(1, 1), ColorToRGB(clAqua));
    // Ink only inside the text window.
    scroller->SetTextWindowLeft(0);
    scroller->SetTextWindowTop(0);
    EXPECT_FALSE(scroller->TextToCenter());
    auto picture = BitmapOf(scroller);
    bool inkInside = false, inkOutside = false;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool ink = ColorToRGB(picture->Canvas()->Pixels(x, y)) != ColorToRGB(clAqua);
            const bool inside = x < extent.cx + effect && y < extent.cy + effect;
            (inside ? inkInside : inkOutside) |= ink;
        }
    EXPECT_TRUE(inkInside);
    EXPECT_FALSE(inkOutside);
    scroller->SetTextWindowLeft(-4);
    EXPECT_EQ(scroller->TextWindowLeft(), 0);
}

TEST_F(ScrollerTest, AutoSizeAndParentCenterPlaceTheControl) {
    scroller->SetAutoSize(true);
    UseStripes();
    EXPECT_EQ(scroller->Width(), 40);
    EXPECT_EQ(scroller->Height(), 30);
    EXPECT_EQ(scroller->SurfaceWidth(), 40);
    scroller->SetParentCenter(true);
    EXPECT_EQ(scroller->Left(), 130);
    EXPECT_EQ(scroller->Top(), 85);
    // Too wide for its parent: only the height is centred.
    scroller->SetAutoSize(false);
    scroller->SetBounds(0, 0, 400, 20);
    scroller->SetParentCenter(true);
    EXPECT_EQ(scroller->Left(), 0);
    EXPECT_EQ(scroller->Top(), (form->ClientHeight() - 20) / 2);  // less a scroll bar's height
}

}  // namespace

namespace {

TEST_F(ScrollerTest, FormFileRestoresThePictureAndStartsScrollingAfterLoading) {
    form->SetName("Banner");
    scroller->SetName("Marquee");
    UseStripes();
    scroller->SetScrollDirection(kVertical);
    scroller->SetScrollStep(4);
    scroller->SetScrollInterval(30);
    scroller->SetScrolling(true);
    const std::string text = ComponentToText(form);
    scroller->SetScrolling(false);
    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* reloaded = dynamic_cast<TZylImageScroller*>(copy->FindComponent("Marquee"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->Bitmap()->Width(), 40);
    EXPECT_EQ(reloaded->SurfaceWidth(), 120);
    EXPECT_EQ(reloaded->SurfaceHeight(), 120);
    EXPECT_EQ(reloaded->ScrollStep(), 4);
    EXPECT_EQ(reloaded->Timer()->Interval(), 30);
    EXPECT_TRUE(reloaded->Timer()->Enabled());
    reloaded->SetScrolling(false);
}

}  // namespace
