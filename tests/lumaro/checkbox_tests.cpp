// The painted check box and radio button: the window style their properties give, the caption's
// rectangle and flags inside its bitmap, and the bitmap the native control shows.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbuttons.h"
#include "support/ui_fixture.h"

namespace checkbox_tests {

using namespace vcl;
using namespace lumaro;
using namespace win32;

std::string Show(const TRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

class TFlatBackground : public TZylBackground {
    VCL_CLASS(TFlatBackground, TZylBackground)
public:
    explicit TFlatBackground(TComponent* owner) : TZylBackground(owner) {}
    void Draw(HDC dc, Integer width, Integer height, bool) override {
        const HBRUSH brush = CreateSolidBrush(ColorToRGB(clOlive));
        const TRect all = Rect(0, 0, width, height);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
};

using CheckBoxTest = zyltest::UiFixture;

template <typename T>
void SetStyleProperties(T* control, bool asButton, bool sunk, bool boxRight, bool wordWrap) {
    control->SetAsButton(asButton);
    control->SetButtonSunk(sunk);
    control->SetAlignButton(boxRight ? TLeftRight::taRightJustify : TLeftRight::taLeftJustify);
    control->SetWordWrap(wordWrap);
}

TEST_F(CheckBoxTest, PropertiesMakeTheWindowStyle) {
    struct Case {
        bool asButton, sunk, boxRight, wordWrap;
        DWORD style;
        bool clientEdge;
    };
    const Case cases[] = {
        {false, true, false, false, BS_VCENTER | BS_RIGHT, false},
        {false, true, true, false, BS_VCENTER | BS_LEFTTEXT | BS_LEFT, false},
        {false, false, false, true, BS_VCENTER | BS_RIGHT | BS_MULTILINE, false},
        {true, true, false, false, BS_VCENTER | BS_PUSHLIKE | BS_CENTER, true},
        {true, false, true, false, BS_VCENTER | BS_PUSHLIKE | BS_CENTER | BS_LEFTTEXT, false},
    };
    constexpr DWORD kBits =
        BS_TYPEMASK | BS_LEFTTEXT | BS_BITMAP | BS_CENTER | BS_VCENTER | BS_PUSHLIKE | BS_MULTILINE;
    TForm* form = ShowForm();
    for (const Case& c : cases) {
        auto* check = new TZylCheckbox(form);
        auto* radio = new TZylRadiobutton(form);
        SetStyleProperties(check, c.asButton, c.sunk, c.boxRight, c.wordWrap);
        SetStyleProperties(radio, c.asButton, c.sunk, c.boxRight, c.wordWrap);
        for (TButtonControl* control : std::initializer_list<TButtonControl*>{check, radio}) {
            control->SetParent(form);
            const DWORD type = control == check ? BS_3STATE : BS_RADIOBUTTON;
            const auto style = static_cast<DWORD>(GetWindowLong(control->Handle(), GWL_STYLE));
            EXPECT_EQ(style & kBits, c.style | BS_BITMAP | type) << control->ClassName() << " " << c.asButton;
            const auto exStyle = static_cast<DWORD>(GetWindowLong(control->Handle(), GWL_EXSTYLE));
            EXPECT_EQ((exStyle & WS_EX_CLIENTEDGE) != 0, c.clientEdge) << control->ClassName();
        }
    }
    // AsButton, ButtonSunk and AlignButton make a new window; WordWrap and Alignment only repaint.
    auto* check = new TZylCheckbox(form);
    check->SetParent(form);
    const std::vector<std::function<void()>> changes = {
        [check] { check->SetAsButton(true); }, [check] { check->SetButtonSunk(false); },
        [check] { check->SetAlignButton(TLeftRight::taRightJustify); }, [check] { check->SetWordWrap(true); },
        [check] { check->SetAlignment(TAlignment::taCenter); }};
    for (size_t i = 0; i < changes.size(); ++i) {
        const HWND before = check->Handle();
        changes[i]();
        EXPECT_EQ(check->Handle() != before, i < 3) << i;
    }
}

TEST_F(CheckBoxTest, CaptionRectangleAndFlagsInsideTheBitmap) {
    struct Case {
        bool asButton, boxRight, wordWrap;
        TAlignment alignment;
        TRect rect;
        UINT flags;
    };
    constexpr UINT kAlways = DT_END_ELLIPSIS | DT_EXPANDTABS | DT_VCENTER;
    const Case cases[] = {
        {false, false, false, TAlignment::taLeftJustify, {18, 6, 114, 16}, DT_LEFT | kAlways},
        {false, true, false, TAlignment::taRightJustify, {6, 6, 102, 16}, DT_RIGHT | kAlways},
        // A button's client edge takes two pixels from each side of the client area.
        {true, false, true, TAlignment::taCenter, {6, 6, 110, 12}, DT_CENTER | DT_WORDBREAK | kAlways},
        {true, true, false, TAlignment::taLeftJustify, {6, 6, 110, 12}, DT_LEFT | kAlways},
    };
    for (const Case& c : cases) {
        TZylRadiobutton radio(nullptr);  // 120 x 22
        radio.SetAsButton(c.asButton);
        radio.SetAlignButton(c.boxRight ? TLeftRight::taRightJustify : TLeftRight::taLeftJustify);
        radio.SetWordWrap(c.wordWrap);
        radio.SetAlignment(c.alignment);
        EXPECT_EQ(Show(radio.CaptionRect()), Show(c.rect)) << c.asButton << c.boxRight;
        EXPECT_EQ(radio.CaptionFlags(), c.flags) << c.asButton << c.boxRight;
    }
}

TEST_F(CheckBoxTest, TheNativeControlShowsTheCaptionBitmapBesideItsBox) {
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* background = new TFlatBackground(owner.get());
    for (bool boxRight : {false, true}) {
        TZylCheckbox check(nullptr);
        check.SetCaption("Caption");
        check.Font()->SetColor(clRed);
        check.Font3D()->SetThreeDimensional(false);
        check.SetBackground(background);
        check.SetAlignButton(boxRight ? TLeftRight::taRightJustify : TLeftRight::taLeftJustify);
        auto picture = BitmapOf(&check);
        TBitmap* caption = check.CaptionBitmap();
        ASSERT_EQ(check.Perform(BM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(caption->Handle()));
        ASSERT_EQ(caption->Width(), 120);
        // The area beside the 13-pixel box and its 4-pixel gap is the bitmap, pixel for pixel.
        const int from = boxRight ? 0 : 17, to = boxRight ? 103 : 120;
        int mismatches = 0, red = 0;
        for (int y = 0; y < 22; ++y)
            for (int x = from; x < to; ++x) {
                const TColor got = picture->Canvas()->Pixels(x, y);
                mismatches += got != caption->Canvas()->Pixels(x, y);
                red += ColorToRGB(got) == ColorToRGB(clRed);
            }
        EXPECT_EQ(mismatches, 0) << boxRight;
        EXPECT_GT(red, 0) << boxRight;
        EXPECT_EQ(ColorToRGB(caption->Canvas()->Pixels(100, 2)), ColorToRGB(clOlive));
        check.SetBackground(nullptr);
    }
}

TEST_F(CheckBoxTest, ADisabledCaptionIsDrawnEngraved) {
    TZylCheckbox check(nullptr);
    check.SetCaption("Off");
    check.Font()->SetColor(clRed);
    check.SetEnabled(false);
    BitmapOf(&check);
    TBitmap* caption = check.CaptionBitmap();
    bool grey = false, red = false;
    for (int y = 0; y < caption->Height(); ++y)
        for (int x = 0; x < caption->Width(); ++x) {
            grey = grey || ColorToRGB(caption->Canvas()->Pixels(x, y)) == ColorToRGB(clGrayText);
            red = red || ColorToRGB(caption->Canvas()->Pixels(x, y)) == ColorToRGB(clRed);
        }
    EXPECT_TRUE(grey);
    EXPECT_FALSE(red);
}

}  // namespace checkbox_tests
