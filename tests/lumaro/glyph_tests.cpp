#include <memory>

#include "lumaro/zylenhanced.h"
#include "painting.h"

namespace {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;

constexpr int kImage = 6;  // each image of the test strips is 6 x 6

// A strip of `count` images; image k has k white pixels at the start of its first row, the rest
// black, so the image drawn can be told by counting.
std::unique_ptr<TBitmap> CountingStrip(int count) {
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf32bit);
    strip->SetSize(kImage * count, kImage);
    strip->Canvas()->Brush()->SetColor(clBlack);
    strip->Canvas()->FillRect(Rect(0, 0, kImage * count, kImage));
    for (int image = 1; image <= count; ++image)
        for (int x = 0; x < image; ++x)
            strip->Canvas()->SetPixels((image - 1) * kImage + x, 0, clWhite);
    return strip;
}

class GlyphTest : public lumarotest::PaintingTest {
protected:
    // The number of pixels of `colour` on the first row of what Draw produced at (2, 2).
    int DrawnImage(TZylGlyph& glyph, bool enabled, bool down, TColor colour = clWhite) {
        auto surface = Surface(20, 12);
        glyph.Draw(surface->Canvas(), 2, 2, enabled, down, false);
        int count = 0;
        for (int x = 2; x < 2 + kImage; ++x)
            count += At(surface.get(), x, 2) == ColorToRGB(colour);
        return count;
    }

    // The component a glyph belongs to, at design time or not.
    std::unique_ptr<TComponent> Owner(bool designing) {
        auto owner = std::make_unique<TComponent>(nullptr);
        owner->SetDesigning(designing);
        return owner;
    }
};

TEST_F(GlyphTest, ImageChosenForEachStateAndStripLength) {
    struct Case {
        int numGlyphs;
        int normal, pressed, disabled;
    };
    // Image 2 is the pressed one only from three images on; the last one is always the disabled.
    const Case cases[] = {{1, 1, 1, 1}, {2, 1, 1, 2}, {3, 1, 2, 3}, {4, 1, 2, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE("NumGlyphs " + std::to_string(c.numGlyphs));
        TZylGlyph glyph;
        glyph.SetBitmap(CountingStrip(c.numGlyphs).get());
        glyph.SetNumGlyphs(static_cast<TZylNumGlyphs>(c.numGlyphs));
        glyph.SetTransparent(false);
        EXPECT_EQ(glyph.Width(), kImage);
        EXPECT_EQ(DrawnImage(glyph, true, false), c.normal);
        EXPECT_EQ(DrawnImage(glyph, true, true), c.pressed);
        // Disabled images are greyed: white becomes the highlight shade.
        EXPECT_EQ(DrawnImage(glyph, false, false, clBtnHighlight), c.disabled);
        EXPECT_EQ(DrawnImage(glyph, false, true, clBtnHighlight), c.disabled);
    }
}

TEST_F(GlyphTest, MonoDrawsTheFirstImageGreyed) {
    TZylGlyph glyph;
    glyph.SetBitmap(CountingStrip(3).get());
    glyph.SetNumGlyphs(3);
    glyph.SetTransparent(false);
    auto surface = Surface(20, 12);
    glyph.Draw(surface->Canvas(), 2, 2, true, true, true);
    // White (765) is above 535 at level 1: button face; black stays black.
    EXPECT_EQ(At(surface.get(), 2, 2), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(surface.get(), 3, 2), ColorToRGB(clBlack));
}

TEST_F(GlyphTest, GreyLevelsSwitchJustAboveTheirBoundaries) {
    struct Case {
        TColor colour;  // sum of red, green and blue in the comment
        TColor level1, level2;
    };
    const Case cases[] = {
        {static_cast<TColor>(win32::RGB(255, 255, 26)), clBtnFace, clBtnShadow},       // 536
        {static_cast<TColor>(win32::RGB(255, 255, 25)), clBtnHighlight, clBtnShadow},  // 535
        {static_cast<TColor>(win32::RGB(255, 255, 39)), clBtnFace, clBtnHighlight},    // 549
        {static_cast<TColor>(win32::RGB(255, 255, 38)), clBtnFace, clBtnShadow},       // 548
        {static_cast<TColor>(win32::RGB(255, 20, 0)), clBtnHighlight, clBtnShadow},    // 275
        {static_cast<TColor>(win32::RGB(255, 19, 0)), clBtnShadow, clBtnShadow},       // 274
        {static_cast<TColor>(win32::RGB(111, 0, 0)), clBtnShadow, clBtnShadow},        // 111
        {static_cast<TColor>(win32::RGB(110, 0, 0)), clBtnShadow, clBlack},            // 110
        {static_cast<TColor>(win32::RGB(56, 0, 0)), clBtnShadow, clBlack},             // 56
        {static_cast<TColor>(win32::RGB(55, 0, 0)), clBlack, clBlack},                 // 55
        {clWhite, clBtnFace, clBtnHighlight},                                          // 765
    };
    for (TPixelFormat format : {pf32bit, pf24bit}) {
        for (int level : {1, 2}) {
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->SetPixelFormat(format);
            bitmap->SetSize(static_cast<int>(std::size(cases)) + 1, 1);
            for (size_t i = 0; i < std::size(cases); ++i)
                bitmap->Canvas()->SetPixels(static_cast<int>(i), 0, cases[i].colour);
            bitmap->Canvas()->SetPixels(static_cast<int>(std::size(cases)), 0, clLime);
            TZylGlyph glyph;
            glyph.SetTransparentColor(clLime);
            glyph.DrawGrayed(bitmap.get(), level);
            for (size_t i = 0; i < std::size(cases); ++i)
                EXPECT_EQ(At(bitmap.get(), static_cast<int>(i), 0),
                          ColorToRGB(level == 1 ? cases[i].level1 : cases[i].level2))
                    << "case " << i << " level " << level << " format " << EnumName(format);
            // The transparent colour keeps its pixels.
            EXPECT_EQ(At(bitmap.get(), static_cast<int>(std::size(cases)), 0), ColorToRGB(clLime));
        }
    }
}

TEST_F(GlyphTest, TransparentPixelsLeaveTheGround) {
    TZylGlyph glyph;
    auto strip = CountingStrip(1);
    strip->Canvas()->SetPixels(5, 5, clFuchsia);
    strip->Canvas()->SetPixels(4, 5, clFuchsia);
    glyph.SetBitmap(strip.get());
    glyph.SetTransparentColor(clFuchsia);
    auto surface = Surface(20, 12);
    glyph.Draw(surface->Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(At(surface.get(), 2 + 5, 2 + 5), ColorToRGB(kGround));
    EXPECT_EQ(At(surface.get(), 2 + 4, 2 + 5), ColorToRGB(kGround));
    EXPECT_EQ(At(surface.get(), 2 + 3, 2 + 5), ColorToRGB(clBlack));
    EXPECT_EQ(At(surface.get(), 2, 2), ColorToRGB(clWhite));
    // Not transparent: the fuchsia pixels are copied too.
    glyph.SetTransparent(false);
    auto copied = Surface(20, 12);
    glyph.Draw(copied->Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(At(copied.get(), 2 + 5, 2 + 5), ColorToRGB(clFuchsia));
}

TEST_F(GlyphTest, TransparentBitmapRoutineLeavesOutOnlyTheGivenColour) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(3, 1);
    bitmap->Canvas()->SetPixels(0, 0, clRed);
    bitmap->Canvas()->SetPixels(1, 0, clAqua);
    bitmap->Canvas()->SetPixels(2, 0, clBlue);
    auto surface = Surface(8, 4);
    ZylDrawTransparentBitmap(surface->Canvas(), bitmap.get(), 4, 2, clAqua);
    EXPECT_EQ(At(surface.get(), 4, 2), ColorToRGB(clRed));
    EXPECT_EQ(At(surface.get(), 5, 2), ColorToRGB(kGround));
    EXPECT_EQ(At(surface.get(), 6, 2), ColorToRGB(clBlue));
    EXPECT_EQ(At(surface.get(), 3, 2), ColorToRGB(kGround));
    EXPECT_EQ(At(surface.get(), 4, 3), ColorToRGB(kGround));
}

TEST_F(GlyphTest, NothingIsDrawnWhenInvisibleOrEmpty) {
    TZylGlyph glyph;
    glyph.SetTransparent(false);
    auto blank = Surface(20, 12);
    auto surface = Surface(20, 12);
    glyph.Draw(surface->Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(Differences(surface.get(), blank.get()), "");
    glyph.SetBitmap(CountingStrip(1).get());
    glyph.SetVisible(false);
    glyph.Draw(surface->Canvas(), 2, 2, true, false, false);
    EXPECT_EQ(Differences(surface.get(), blank.get()), "");
}

TEST_F(GlyphTest, WidthRoundsHalvesToEvenAndHeightIsZeroWhenEmpty) {
    TZylGlyph glyph;
    EXPECT_EQ(glyph.Width(), 0);
    EXPECT_EQ(glyph.Height(), 0);
    auto bitmap = std::make_unique<TBitmap>();
    struct Case {
        int width, numGlyphs, want;
    };
    // 10/4 = 2.5 -> 2, 14/4 = 3.5 -> 4, 7/2 = 3.5 -> 4, 5/2 = 2.5 -> 2, 10/3 = 3.33 -> 3
    const Case cases[] = {{10, 4, 2}, {14, 4, 4}, {7, 2, 4}, {5, 2, 2}, {10, 3, 3}};
    for (const Case& c : cases) {
        bitmap->SetSize(c.width, 5);
        glyph.SetBitmap(bitmap.get());
        glyph.SetNumGlyphs(static_cast<TZylNumGlyphs>(c.numGlyphs));
        EXPECT_EQ(glyph.Width(), c.want) << c.width << "/" << c.numGlyphs;
        EXPECT_EQ(glyph.Height(), 5);
    }
}

TEST_F(GlyphTest, DesignTimeBitmapSetsTheImageCountAndTransparentColour) {
    auto owner = Owner(true);
    struct Case {
        int width;
        int want;
    };
    // 64 x 16 holds four images, 80 x 16 would be five (too many: one), 40 x 16 is no multiple.
    const Case cases[] = {{64, 4}, {80, 1}, {40, 2}, {16, 1}, {32, 2}};
    for (const Case& c : cases) {
        TZylGlyph glyph(owner.get());
        glyph.SetNumGlyphs(2);
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(c.width, 16);
        bitmap->Canvas()->Brush()->SetColor(clTeal);
        bitmap->Canvas()->FillRect(Rect(0, 0, c.width, 16));
        bitmap->Canvas()->SetPixels(0, 15, clOlive);
        glyph.SetBitmap(bitmap.get());
        EXPECT_EQ(glyph.NumGlyphs(), c.want) << c.width << " x 16";
        EXPECT_EQ(ColorToRGB(glyph.TransparentColor()), ColorToRGB(clOlive));
    }
}

TEST_F(GlyphTest, RunTimeBitmapLeavesTheSettingsAlone) {
    auto owner = Owner(false);
    TZylGlyph glyph(owner.get());
    glyph.SetNumGlyphs(3);
    glyph.SetTransparentColor(clNavy);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(64, 16);
    glyph.SetBitmap(bitmap.get());
    EXPECT_EQ(glyph.NumGlyphs(), 3);
    EXPECT_EQ(glyph.TransparentColor(), clNavy);
    EXPECT_EQ(glyph.Bitmap()->Width(), 64);
    EXPECT_NE(glyph.Bitmap(), bitmap.get());
}

}  // namespace
