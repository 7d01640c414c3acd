#include <vector>

#include "lumaro/zylenhanced.h"
#include "painting.h"

namespace {

using namespace vcl;
using namespace lumaro;

constexpr TColor kHighlight = clRed, kShadow = clBlue, kText = clGreen, kCopies = clYellow;
constexpr win32::UINT kFormat = win32::DT_LEFT | win32::DT_TOP | win32::DT_SINGLELINE;
const TRect kRect = Rect(12, 12, 92, 52);

// One DrawText the effect should make: where (the rectangle moved from kRect) and in which colour.
struct Pass {
    TRect rect;
    TColor colour;
};

TRect Move(TRect r, int dx, int dy) {
    win32::OffsetRect(&r, dx, dy);
    return r;
}

TRect Shrink(TRect r, int by) {
    win32::InflateRect(&r, -by, -by);
    return r;
}

class Font3DTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        font.SetName("Arial");
        font.SetHeight(-24);
        font.SetStyle({fsBold});
        font.SetColor(kText);
        effect.SetHighlight(kHighlight);
        effect.SetShadow(kShadow);
        effect.SetRepetitionColor(kCopies);
    }

    // The same passes made one by one with plain DrawText calls.
    std::unique_ptr<TBitmap> Reference(const std::vector<Pass>& passes) {
        auto surface = Surface(110, 70);
        const win32::HDC dc = surface->Canvas()->Handle();
        const win32::HGDIOBJ old = win32::SelectObject(dc, font.Handle());
        win32::SetBkMode(dc, win32::TRANSPARENT);
        for (const Pass& pass : passes) {
            win32::SetTextColor(dc, ColorToRGB(pass.colour));
            TRect r = pass.rect;
            win32::DrawText(dc, kText3D, -1, &r, kFormat | win32::DT_NOCLIP);
        }
        win32::SelectObject(dc, old);
        return surface;
    }

    std::unique_ptr<TBitmap> Written(bool enabled = true) {
        auto surface = Surface(110, 70);
        effect.Write(&font, surface->Canvas()->Handle(), kRect, kText3D, kFormat, enabled);
        return surface;
    }

    static int Count(TBitmap* bitmap, TColor colour) {
        int count = 0;
        for (int y = 0; y < bitmap->Height(); ++y)
            for (int x = 0; x < bitmap->Width(); ++x)
                count += At(bitmap, x, y) == ColorToRGB(colour);
        return count;
    }

    void ExpectPasses(const std::vector<Pass>& passes, bool enabled = true) {
        auto got = Written(enabled);
        auto want = Reference(passes);
        EXPECT_EQ(Differences(got.get(), want.get()), "");
        // Each colour of the passes shows somewhere, so the comparison is not between two blanks.
        for (const Pass& pass : passes)
            EXPECT_GT(Count(got.get(), pass.colour), 0) << std::hex << pass.colour;
    }

    static constexpr const char* kText3D = "Zy|";
    TFont font;
    TZylFont3D effect;
};

TEST_F(Font3DTest, EachStyleDrawsItsCopiesAtTheOffsetThenTheText) {
    struct Case {
        TZylStyle3D style;
        std::vector<Pass> passes;
    };
    const Case cases[] = {
        {fontRaised, {{Move(kRect, -2, -2), kHighlight}, {Move(kRect, 2, 2), kShadow}, {kRect, kText}}},
        {fontInset, {{Move(kRect, -2, -2), kShadow}, {Move(kRect, 2, 2), kHighlight}, {kRect, kText}}},
        {fontOnlyShadow, {{Move(kRect, 2, 2), kShadow}, {kRect, kText}}},
        {fontOnlyHighlight, {{Move(kRect, -2, -2), kHighlight}, {kRect, kText}}},
    };
    effect.SetOffset(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(EnumName(c.style)));
        effect.SetStyle3D(c.style);
        ExpectPasses(c.passes);
    }
}

TEST_F(Font3DTest, OutlineIsOnePixelWhateverTheOffset) {
    effect.SetStyle3D(fontOutLineShadow);
    effect.SetOffset(5);
    ExpectPasses({{Move(kRect, -1, -1), kShadow},
                  {Move(kRect, 1, -1), kShadow},
                  {Move(kRect, 1, 1), kShadow},
                  {Move(kRect, -1, 1), kShadow},
                  {kRect, kText}});
}

TEST_F(Font3DTest, ExtrusionOnTheShadowSideLiesBehindTheFinalText) {
    effect.SetStyle3D(fontOnlyHighlight);
    effect.SetOffset(2);
    effect.SetRepetition(repeatOnShadow);
    effect.SetRepetitionwidth(3);
    const TRect shrunk = Shrink(kRect, 3);
    // Copies at +2, +1, 0 from the shrunk rectangle; the text ends at 2 - 3 = -1.
    const TRect final = Move(shrunk, -1, -1);
    ExpectPasses({{Move(shrunk, 2, 2), kCopies},
                  {Move(shrunk, 1, 1), kCopies},
                  {shrunk, kCopies},
                  {Move(final, -2, -2), kHighlight},
                  {final, kText}});
}

TEST_F(Font3DTest, ExtrusionOnTheHighlightSideWalksDownRight) {
    effect.SetStyle3D(fontOnlyShadow);
    effect.SetOffset(1);
    effect.SetRepetition(repeatOnHighLight);
    effect.SetRepetitionwidth(3);
    const TRect shrunk = Shrink(kRect, 3);
    const TRect final = Move(shrunk, 2, 2);
    ExpectPasses({{Move(shrunk, -1, -1), kCopies},
                  {shrunk, kCopies},
                  {Move(shrunk, 1, 1), kCopies},
                  {Move(final, 1, 1), kShadow},
                  {final, kText}});
}

TEST_F(Font3DTest, ExtrusionOfWidthZeroStillMovesTheTextByTheOffset) {
    effect.SetStyle3D(fontOnlyShadow);
    effect.SetOffset(2);
    effect.SetRepetition(repeatOnShadow);
    effect.SetRepetitionwidth(0);
    const TRect final = Move(kRect, 2, 2);
    ExpectPasses({{Move(final, 2, 2), kShadow}, {final, kText}});
}

TEST_F(Font3DTest, PlainTextWhenNotThreeDimensional) {
    effect.SetStyle3D(fontRaised);
    effect.SetRepetition(repeatOnShadow);
    effect.SetRepetitionwidth(4);
    effect.SetThreeDimensional(false);
    ExpectPasses({{kRect, kText}});
}

TEST_F(Font3DTest, DisabledTextIgnoresTheEffectAndItsColours) {
    effect.SetStyle3D(fontOutLineShadow);
    effect.SetRepetition(repeatOnShadow);
    effect.SetRepetitionwidth(2);
    effect.SetThreeDimensional(false);
    ExpectPasses({{kRect, clBtnHighlight}, {Move(kRect, -1, -1), clGrayText}}, false);
}

TEST_F(Font3DTest, DrawingWidthCountsBothOffsetsAndTheExtrusion) {
    effect.SetOffset(3);
    effect.SetRepetitionwidth(4);
    EXPECT_EQ(effect.DrawingWidth(), 10);
    EXPECT_EQ(effect.GetDrawingwidth(), 10);
}

TEST_F(Font3DTest, WriteRestoresTheDeviceContext) {
    auto surface = Surface(110, 70);
    const win32::HDC dc = surface->Canvas()->Handle();
    win32::SetTextColor(dc, 0x010203);
    win32::SetBkMode(dc, win32::OPAQUE);
    const win32::HGDIOBJ font0 = win32::GetCurrentObject(dc, win32::OBJ_FONT);
    const win32::HGDIOBJ brush0 = win32::GetCurrentObject(dc, win32::OBJ_BRUSH);
    effect.SetStyle3D(fontRaised);
    effect.Write(&font, dc, kRect, "x", kFormat, true);
    EXPECT_EQ(win32::GetTextColor(dc), 0x010203u);
    EXPECT_EQ(win32::GetBkMode(dc), win32::OPAQUE);
    EXPECT_EQ(win32::GetCurrentObject(dc, win32::OBJ_FONT), font0);
    EXPECT_EQ(win32::GetCurrentObject(dc, win32::OBJ_BRUSH), brush0);
}

TEST_F(Font3DTest, DisabledTextRoutineDrawsHighlightThenGreyUpAndLeft) {
    auto got = Surface(110, 70);
    ZylDrawDisabledText(&font, got->Canvas(), kRect, kText3D, kFormat);
    auto want = Reference({{kRect, clBtnHighlight}, {Move(kRect, -1, -1), clGrayText}});
    EXPECT_EQ(Differences(got.get(), want.get()), "");
    EXPECT_EQ(got->Canvas()->Brush()->Style(), bsClear);
    EXPECT_EQ(got->Canvas()->Font()->Name(), "Arial");
}

}  // namespace
