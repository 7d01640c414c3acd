// The arrow, round and office buttons: their geometry in pixels, the mouse inside their shapes, the
// press that loses the mouse, and tiny sizes.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbuttons.h"
#include "painting.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"

namespace shaped_button_tests {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;

std::unique_ptr<TBitmap> SolidPicture(int width, int height, TColor colour) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Brush()->SetColor(colour);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

win32::COLORREF At(TBitmap* bitmap, int x, int y) {
    return ColorToRGB(bitmap->Canvas()->Pixels(x, y));
}

TRect InkBounds(TBitmap* bitmap, TColor colour) {
    TRect r{bitmap->Width(), bitmap->Height(), -1, -1};
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (At(bitmap, x, y) == ColorToRGB(colour)) {
                r.left = std::min(r.left, x);
                r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1);
                r.bottom = std::max(r.bottom, y + 1);
            }
    return r;
}

std::string Show(const TRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// Whether `colour` shows inside `area`.
bool Shows(TBitmap* bitmap, TColor colour, TRect area) {
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (At(bitmap, x, y) == ColorToRGB(colour)) return true;
    return false;
}

win32::LPARAM At(int x, int y) {
    return win32::MAKELPARAM(static_cast<win32::WORD>(x), static_cast<win32::WORD>(y));
}

// A background that paints one flat colour and notes the direction it was asked for.
class TFlatBackground : public TZylBackground {
    VCL_CLASS(TFlatBackground, TZylBackground)
public:
    explicit TFlatBackground(TComponent* owner) : TZylBackground(owner) {}
    void Draw(win32::HDC dc, Integer width, Integer height, bool forward) override {
        directions.push_back(forward);
        const win32::HBRUSH brush = win32::CreateSolidBrush(ColorToRGB(clOlive));
        const TRect all = Rect(0, 0, width, height);
        win32::FillRect(dc, &all, brush);
        win32::DeleteObject(brush);
    }
    std::vector<bool> directions;
};

class ShapedButtonTest : public zyltest::UiFixture {
protected:
    static std::unique_ptr<TBitmap> Painted(TControl* control) {
        auto bitmap = SolidPicture(std::max(control->Width(), 1), std::max(control->Height(), 1), kGround);
        control->PaintTo(bitmap->Canvas(), 0, 0);
        return bitmap;
    }
    template <typename T>
    static void SetLimeGlyph(T& button, int width, int height) {
        button.Glyph()->SetBitmap(SolidPicture(width, height, clLime).get());
        button.Glyph()->SetTransparentColor(clFuchsia);
    }
};

// ---------------------------------------------------------------------------------------------
// Arrow

TEST_F(ShapedButtonTest, ArrowCornersAndGlyphFollowTheDirection) {
    struct Case {
        TZylDirection direction;
        TPoint p1, p2, p3, glyph;
    };
    // 52 x 28, a 10 x 6 glyph, ButtonRaise 2.
    const Case cases[] = {
        {dUp, {26, 2}, {50, 26}, {2, 26}, {22, 20}},
        {dRight, {2, 2}, {50, 14}, {2, 26}, {4, 12}},
        {dLeft, {50, 2}, {50, 26}, {2, 14}, {41, 12}},
        {dDown, {50, 2}, {26, 26}, {2, 2}, {22, 4}},
    };
    for (const Case& c : cases) {
        TZylArrowButton arrow(nullptr);
        arrow.SetButtonType(c.direction);
        arrow.SetButtonRaise(2);
        SetLimeGlyph(arrow, 10, 6);
        const auto corners = arrow.Corners();
        const std::string name(EnumName(c.direction));
        EXPECT_EQ(corners[0].x, c.p1.x) << name;
        EXPECT_EQ(corners[0].y, c.p1.y) << name;
        EXPECT_EQ(corners[1].x, c.p2.x) << name;
        EXPECT_EQ(corners[1].y, c.p2.y) << name;
        EXPECT_EQ(corners[2].x, c.p3.x) << name;
        EXPECT_EQ(corners[2].y, c.p3.y) << name;
        auto picture = Painted(&arrow);
        const TRect glyph = InkBounds(picture.get(), clLime);
        EXPECT_EQ(glyph.left, c.glyph.x) << name;
        EXPECT_EQ(glyph.top, c.glyph.y) << name;
    }
}

TEST_F(ShapedButtonTest, ArrowShadowFaceAndBevelTurnWhenPressed) {
    TZylArrowButton arrow(nullptr);  // up, 52 x 28: P1 (26, 2), P2 (50, 26), P3 (2, 26)
    auto up = Painted(&arrow);
    // The shadow outline two pixels down and right of the bottom edge, the face white inside.
    EXPECT_EQ(At(up.get(), 26, 27), ColorToRGB(clBlack));
    EXPECT_EQ(At(up.get(), 26, 15), ColorToRGB(clWhite));
    EXPECT_EQ(At(up.get(), 1, 1), ColorToRGB(kGround));
    // The left side (P3 to P1) light, the bottom (P2 to P3) dark; the other way round when pressed.
    EXPECT_EQ(At(up.get(), 14, 14), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(up.get(), 26, 26), ColorToRGB(clBtnShadow));
    arrow.Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, At(26, 20));
    ASSERT_TRUE(arrow.Pressed());
    auto down = Painted(&arrow);
    EXPECT_EQ(At(down.get(), 14, 14), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(down.get(), 26, 26), ColorToRGB(clBtnHighlight));
    // A press that loses the mouse comes up again.
    for (win32::UINT lost : {win32::WM_CANCELMODE, win32::WM_CAPTURECHANGED}) {
        arrow.Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, At(26, 20));
        arrow.Perform(lost, 0, 0);
        EXPECT_FALSE(arrow.Pressed()) << lost;
    }
}

TEST_F(ShapedButtonTest, ArrowMouseCountsOnlyInsideTheTriangle) {
    TForm* form = ShowForm();
    auto* arrow = new TZylArrowButton(form);
    arrow->SetParent(form);
    arrow->SetBounds(20, 20, 52, 28);
    std::vector<std::string> events;
    arrow->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) {
        events.push_back("down");
    };
    arrow->OnClick = [&](TObject*) { events.push_back("click"); };
    PumpUntilIdle();
    ClickAt(arrow, 3, 3);  // a corner outside the triangle
    EXPECT_TRUE(events.empty());
    ClickAt(arrow, 26, 20);
    EXPECT_EQ(events, (std::vector<std::string>{"down", "click"}));
    EXPECT_FALSE(arrow->Pressed());
}

TEST_F(ShapedButtonTest, ArrowRegionFollowsTheSizeFromTheFirstClickOnAndIsNeverLeaked) {
    {
        // Whatever the platform keeps after a first paint is not counted.
        TZylArrowButton warmUp(nullptr);
        Painted(&warmUp);
    }
    const size_t objects = win32::testing::GdiObjectCount();
    {
        TZylArrowButton arrow(nullptr);
        // Before any paint.
        arrow.Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, At(26, 20));
        EXPECT_TRUE(arrow.Pressed());
        arrow.Perform(win32::WM_LBUTTONUP, 0, At(26, 20));
        for (int i = 0; i < 20; ++i)
            Painted(&arrow);
        // Grown: a point of the new triangle outside the old one.
        arrow.SetBounds(0, 0, 104, 56);
        EXPECT_TRUE(arrow.InTriangle(52, 50));
        EXPECT_FALSE(arrow.InTriangle(3, 3));
        // No size, no triangle: a miss, and nothing painted.
        arrow.SetBounds(0, 0, 0, 0);
        EXPECT_FALSE(arrow.InTriangle(0, 0));
        arrow.Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, At(0, 0));
        EXPECT_FALSE(arrow.Pressed());
        arrow.SetBounds(0, 0, 4, 4);
        auto tiny = Painted(&arrow);
        EXPECT_EQ(At(tiny.get(), 2, 2), ColorToRGB(kGround));
    }
    EXPECT_EQ(win32::testing::GdiObjectCount(), objects);
}

TEST_F(ShapedButtonTest, ButtonRaiseOutsideOneToFourIsRefusedFromCodeAndFromAForm) {
    TZylArrowButton arrow(nullptr);
    for (TZylButtonRaise value : {0, 5, 255}) {
        arrow.SetButtonRaise(3);
        arrow.SetButtonRaise(value);
        EXPECT_EQ(arrow.ButtonRaise(), 3) << int(value);
    }
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    ReadComponentText(
        "object Form1: TForm\n  object Arrow: TZylArrowButton\n    ButtonRaise = 9\n  end\nend\n",
        form.get());
    auto* read = dynamic_cast<TZylArrowButton*>(form->FindComponent("Arrow"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ButtonRaise(), 1);
}

// ---------------------------------------------------------------------------------------------
// Round

TEST_F(ShapedButtonTest, RoundInsideTestAtItsBoundary) {
    struct Case {
        int width, height, x, y;
        bool inside;
    };
    const Case cases[] = {
        {25, 25, 12, 12, true},
        {25, 25, 23, 12, true},  // distance 11 = c - 1
        {25, 25, 24, 12, false},
        {25, 25, 20, 20, true},   // sqrt(128) = 11.3 -> 11
        {25, 25, 20, 21, false},  // sqrt(145) = 12.04 -> 12
        {25, 25, 1, 12, true},
        {25, 25, 0, 12, false},  // the left side, 11 and 12 away
        {40, 20, 20, 10, true},
        {40, 20, 38, 10, true},  // the circle of Width, around the middle
        {40, 20, 20, 29, true},
        {40, 20, 20, 30, false},  // reaches below the control
        {1, 1, 0, 0, false},
        {0, 0, 0, 0, false},
        {2000000000, 10, 1000000000, 5, true},  // far from overflowing
        {2000000000, 10, -2000000000, 5, false},
    };
    for (const Case& c : cases) {
        TZylRoundButton round(nullptr);
        round.SetBounds(0, 0, c.width, c.height);
        EXPECT_EQ(round.InCircle(c.x, c.y), c.inside)
            << c.width << "x" << c.height << " " << c.x << "," << c.y;
    }
}

TEST_F(ShapedButtonTest, RoundClickNeedsAPressThatBeganInsideAndEveryReleaseClears) {
    TZylRoundButton round(nullptr);  // 25 x 25
    int clicks = 0;
    round.OnClick = [&clicks](TObject*) { ++clicks; };
    auto send = [&](win32::UINT msg, int x, int y) { round.Perform(msg, 0, At(x, y)); };

    // Pressed outside, released outside: hovering afterwards presses nothing, no click follows.
    send(win32::WM_LBUTTONDOWN, 0, 0);
    send(win32::WM_LBUTTONUP, 0, 0);
    send(win32::WM_MOUSEMOVE, 12, 12);
    EXPECT_FALSE(round.Pressed());
    send(win32::WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(clicks, 0);

    // Pressed inside, dragged out and released outside: no click, nothing held.
    send(win32::WM_LBUTTONDOWN, 12, 12);
    EXPECT_TRUE(round.Pressed());
    send(win32::WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(round.Pressed());
    send(win32::WM_MOUSEMOVE, 12, 12);
    EXPECT_TRUE(round.Pressed());
    send(win32::WM_MOUSEMOVE, 0, 0);
    send(win32::WM_LBUTTONUP, 0, 0);
    send(win32::WM_MOUSEMOVE, 12, 12);
    EXPECT_FALSE(round.Pressed());
    EXPECT_EQ(clicks, 0);

    // Lost the mouse while pressed: up again, and the release is no click.
    send(win32::WM_LBUTTONDOWN, 12, 12);
    round.Perform(win32::WM_CAPTURECHANGED, 0, 0);
    EXPECT_FALSE(round.Pressed());
    send(win32::WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(clicks, 0);

    send(win32::WM_LBUTTONDOWN, 12, 12);
    send(win32::WM_LBUTTONUP, 13, 13);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShapedButtonTest, RoundFaceShowsTheBackgroundInsideAndWhatIsUnderOutside) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* background = new TFlatBackground(owner.get());
    TZylRoundButton round(nullptr);
    round.SetBounds(0, 0, 25, 25);
    round.SetBackground(background);
    auto up = Painted(&round);
    EXPECT_EQ(At(up.get(), 0, 0), ColorToRGB(kGround));
    EXPECT_EQ(At(up.get(), 12, 12), ColorToRGB(clOlive));
    EXPECT_EQ(At(up.get(), 0, 12), ColorToRGB(clBlack));  // the outline
    // The bevel: light at the upper left, dark at the lower right, turned round while pressed.
    const TRect upperLeft = Rect(0, 0, 10, 10), lowerRight = Rect(15, 15, 25, 25);
    EXPECT_TRUE(Shows(up.get(), clBtnHighlight, upperLeft));
    EXPECT_FALSE(Shows(up.get(), clBtnShadow, upperLeft));
    EXPECT_TRUE(Shows(up.get(), clBtnShadow, lowerRight));
    EXPECT_FALSE(Shows(up.get(), clBtnHighlight, lowerRight));
    round.Perform(win32::WM_LBUTTONDOWN, 0, At(12, 12));
    auto down = Painted(&round);
    EXPECT_TRUE(Shows(down.get(), clBtnShadow, upperLeft));
    EXPECT_FALSE(Shows(down.get(), clBtnHighlight, upperLeft));
    EXPECT_TRUE(Shows(down.get(), clBtnHighlight, lowerRight));
    round.SetBackground(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Office

TEST_F(ShapedButtonTest, OfficeLampLightsByHoverAndPressAndMovesWithThePress) {
    struct Step {
        win32::UINT msg;
        TColor lamp;
        int offset;
    };
    // LedNormal navy, LedOut teal, LedIn aqua; the lamp's middle is at (7 + 6, (25 - 10) / 2 + 6).
    const Step steps[] = {
        {0, clNavy, 0},
        {CM_MOUSEENTER, clTeal, 0},
        {win32::WM_LBUTTONDOWN, clAqua, 1},
        {CM_MOUSELEAVE, clNavy, 0},  // left while held: no offset, normal lamp
        {CM_MOUSEENTER, clAqua, 1},  // back while still held
        {win32::WM_LBUTTONUP, clTeal, 0},
    };
    TZylOfficeButton office(nullptr);
    office.SetCaption("");
    for (const Step& step : steps) {
        // The mouse messages carry a point; the notices of entering and leaving do not.
        const bool notice = step.msg == CM_MOUSEENTER || step.msg == CM_MOUSELEAVE;
        if (step.msg) office.Perform(step.msg, 0, notice ? 0 : At(20, 12));
        EXPECT_EQ(office.LedColor(), step.lamp) << step.msg;
        auto picture = Painted(&office);
        const int x = 7 + step.offset, y = 7 + step.offset;
        EXPECT_EQ(At(picture.get(), x + 6, y + 6), ColorToRGB(step.lamp)) << step.msg;
        // The rim of single pixels: silver above, grey at the right, and the silver gleam.
        EXPECT_EQ(At(picture.get(), x + 4, y + 1), ColorToRGB(clSilver)) << step.msg;
        EXPECT_EQ(At(picture.get(), x + 10, y + 5), ColorToRGB(clGray)) << step.msg;
        EXPECT_EQ(At(picture.get(), x + 4, y + 4), ColorToRGB(clSilver)) << step.msg;
    }
}

TEST_F(ShapedButtonTest, OfficeFaceGradientRunsBackwardsOnlyWhileHeldUnderTheMouse) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* background = new TFlatBackground(owner.get());
    TZylOfficeButton office(nullptr);
    office.SetBackground(background);
    Painted(&office);
    office.Perform(win32::WM_LBUTTONDOWN, 0, At(20, 12));
    Painted(&office);
    office.Perform(CM_MOUSEENTER, 0, 0);
    auto held = Painted(&office);
    EXPECT_EQ(background->directions, (std::vector<bool>{true, true, false}));
    // Inside the rounded face the fill, outside it what is under the control, the border light while hot.
    EXPECT_EQ(At(held.get(), 65, 5), ColorToRGB(clOlive));
    EXPECT_EQ(At(held.get(), 0, 0), ColorToRGB(kGround));
    EXPECT_EQ(At(held.get(), 65, 2), ColorToRGB(clBtnHighlight));
    office.SetBackground(nullptr);
}

TEST_F(ShapedButtonTest, TinyShapesPaintNothingAndReadNoPixelOutside) {
    // Each shape up to the largest size that has no inside to paint.
    TZylOfficeButton office(nullptr);
    TZylRoundButton round(nullptr);
    TZylArrowButton arrow(nullptr);
    const std::pair<TControl*, int> cases[] = {{&office, 6}, {&round, 2}, {&arrow, 4}};
    for (auto [control, largest] : cases)
        for (int size = 0; size <= largest; ++size) {
            control->SetBounds(0, 0, size, size);
            auto picture = SolidPicture(8, 8, kGround);
            control->PaintTo(picture->Canvas(), 0, 0);
            EXPECT_EQ(Show(InkBounds(picture.get(), kGround)), "(0,0,8,8)")
                << control->ClassName() << " " << size;
            int changed = 0;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    changed += At(picture.get(), x, y) != ColorToRGB(kGround);
            EXPECT_EQ(changed, 0) << control->ClassName() << " " << size;
        }
}

}  // namespace shaped_button_tests
