#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "painting.h"

namespace {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;

// A picture whose every pixel is told apart by its position.
std::unique_ptr<TBitmap> Numbered(int width, int height) {
    auto image = std::make_unique<TBitmap>();
    image->SetPixelFormat(pf32bit);
    image->SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->Canvas()->SetPixels(x, y, static_cast<TColor>(win32::RGB(40 + x, 90 + y, 200)));
    return image;
}

win32::COLORREF NumberedAt(int x, int y) {
    return win32::RGB(40 + x, 90 + y, 200);
}

class BackgroundTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        background.reset(new TZylBackground(nullptr));
    }
    void TearDown() override {
        background.reset();
        PaintingTest::TearDown();
    }

    // The background drawn over (0, 0, width, height) of a larger surface.
    std::unique_ptr<TBitmap> Drawn(int width, int height, bool forward = true, int margin = 3) {
        auto surface = Surface(width + margin, height + margin);
        background->Draw(surface->Canvas()->Handle(), width, height, forward);
        return surface;
    }

    // Every pixel outside (0, 0, width, height) still shows the ground.
    static bool UntouchedOutside(TBitmap* surface, int width, int height) {
        for (int y = 0; y < surface->Height(); ++y)
            for (int x = 0; x < surface->Width(); ++x)
                if ((x >= width || y >= height) && At(surface, x, y) != ColorToRGB(kGround)) return false;
        return true;
    }

    TComponentPtr<TZylBackground> background;
};

// ---------------------------------------------------------------------------------------------
// Textures

TEST_F(BackgroundTest, TilesRepeatTheImageFromTheOriginAndStopAtTheArea) {
    background->SetBackgroundStyle(bTexture);
    background->Texture()->SetImage(Numbered(3, 2).get());
    // Few tiles are copied one by one; many go through the doubled sheet.
    struct Case {
        int width, height;
    };
    for (const Case c : {Case{8, 5}, Case{3, 2}, Case{2, 1}, Case{61, 37}, Case{200, 3}}) {
        auto surface = Drawn(c.width, c.height);
        std::string wrong;
        for (int y = 0; y < c.height && wrong.empty(); ++y)
            for (int x = 0; x < c.width && wrong.empty(); ++x)
                if (At(surface.get(), x, y) != NumberedAt(x % 3, y % 2))
                    wrong = "(" + std::to_string(x) + "," + std::to_string(y) + ")";
        EXPECT_EQ(wrong, "") << c.width << "x" << c.height;
        EXPECT_TRUE(UntouchedOutside(surface.get(), c.width, c.height)) << c.width << "x" << c.height;
    }
}

TEST_F(BackgroundTest, TilesUnderAClipStayOnTheGridOfTheWholeArea) {
    background->SetBackgroundStyle(bTexture);
    background->Texture()->SetImage(Numbered(3, 2).get());
    auto surface = Surface(90, 60);
    const win32::HDC dc = surface->Canvas()->Handle();
    win32::IntersectClipRect(dc, 31, 17, 70, 45);
    background->Draw(dc, 90, 60, true);
    win32::SelectClipRgn(dc, nullptr);
    for (const TPoint p : {Point(31, 17), Point(69, 44), Point(50, 30), Point(32, 18)})
        EXPECT_EQ(At(surface.get(), p.x, p.y), NumberedAt(p.x % 3, p.y % 2)) << p.x << "," << p.y;
    for (const TPoint p : {Point(30, 17), Point(70, 44), Point(0, 0), Point(89, 59)})
        EXPECT_EQ(At(surface.get(), p.x, p.y), ColorToRGB(kGround)) << p.x << "," << p.y;
}

TEST_F(BackgroundTest, StretchedImageCoversTheArea) {
    auto image = Surface(2, 2);
    const TColor corners[2][2] = {{clRed, clLime}, {clBlue, clYellow}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            image->Canvas()->SetPixels(x, y, corners[y][x]);
    background->SetBackgroundStyle(bTexture);
    background->Texture()->SetImageStyle(isStretched);
    background->Texture()->SetImage(image.get());
    auto surface = Drawn(10, 6);
    EXPECT_EQ(At(surface.get(), 0, 0), ColorToRGB(clRed));
    EXPECT_EQ(At(surface.get(), 4, 2), ColorToRGB(clRed));
    EXPECT_EQ(At(surface.get(), 9, 0), ColorToRGB(clLime));
    EXPECT_EQ(At(surface.get(), 0, 5), ColorToRGB(clBlue));
    EXPECT_EQ(At(surface.get(), 9, 5), ColorToRGB(clYellow));
    EXPECT_TRUE(UntouchedOutside(surface.get(), 10, 6));
}

TEST_F(BackgroundTest, CentredImageLeavesTheRestOfTheAreaUnpainted) {
    background->SetBackgroundStyle(bTexture);
    background->Texture()->SetImageStyle(isCenter);
    background->Texture()->SetImage(Numbered(4, 2).get());
    auto surface = Drawn(11, 8);
    // (11 - 4) div 2 = 3, (8 - 2) div 2 = 3.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 11; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 3 && y < 5;
            EXPECT_EQ(At(surface.get(), x, y), inside ? NumberedAt(x - 3, y - 3) : ColorToRGB(kGround))
                << x << "," << y;
        }
}

TEST_F(BackgroundTest, CentredImageLargerThanTheAreaStartsAtTheCornerClipped) {
    background->SetBackgroundStyle(bTexture);
    background->Texture()->SetImageStyle(isCenter);
    background->Texture()->SetImage(Numbered(9, 3).get());
    // Wider than the area, yet lower: x from the corner, y centred.
    auto surface = Drawn(5, 7);
    EXPECT_EQ(At(surface.get(), 0, 2), NumberedAt(0, 0));
    EXPECT_EQ(At(surface.get(), 4, 4), NumberedAt(4, 2));
    EXPECT_EQ(At(surface.get(), 0, 1), ColorToRGB(kGround));
    EXPECT_TRUE(UntouchedOutside(surface.get(), 5, 7));
}

TEST_F(BackgroundTest, SurroundColourIsWhatAMonochromeImageShowsForWhite) {
    TBitmap mono;
    mono.SetMonochrome(true);
    mono.SetSize(2, 2);
    mono.Canvas()->SetPixels(0, 0, clBlack);
    background->SetBackgroundStyle(bTexture);
    background->SetSolidColor(clTeal);
    background->Texture()->SetImageStyle(isCenter);
    background->Texture()->SetImage(&mono);
    auto surface = Surface(6, 6);
    const win32::HDC dc = surface->Canvas()->Handle();
    const win32::COLORREF before = win32::GetBkColor(dc);
    background->Draw(dc, 6, 6, true);
    EXPECT_EQ(At(surface.get(), 3, 2), ColorToRGB(clTeal));
    EXPECT_EQ(At(surface.get(), 3, 3), ColorToRGB(clTeal));
    EXPECT_NE(At(surface.get(), 2, 2), ColorToRGB(clTeal));
    EXPECT_EQ(At(surface.get(), 1, 1), ColorToRGB(kGround));
    // The surround is lent to the copy only.
    EXPECT_EQ(win32::GetBkColor(dc), before);
}

TEST_F(BackgroundTest, TransparentColourIsReplacedOnlyWhenSet) {
    auto image = Numbered(4, 1);
    image->Canvas()->SetPixels(1, 0, clFuchsia);
    image->Canvas()->SetPixels(3, 0, clFuchsia);
    background->SetBackgroundStyle(bTexture);
    TZylTexture* texture = background->Texture();
    texture->SetImage(image.get());
    texture->SetTransparentBackground(clLime);
    struct Case {
        TColor transparent;
        win32::COLORREF second, third;
    };
    const Case cases[] = {
        {clNone, ColorToRGB(clFuchsia), NumberedAt(2, 0)},  // TransparentBackground ignored
        {clFuchsia, ColorToRGB(clLime), NumberedAt(2, 0)},  // the fuchsia pixels replaced
        {static_cast<TColor>(NumberedAt(2, 0)), ColorToRGB(clFuchsia), ColorToRGB(clLime)},
    };
    for (const Case& c : cases) {
        texture->SetTransparentColor(c.transparent);
        auto surface = Drawn(4, 1);
        EXPECT_EQ(At(surface.get(), 0, 0), NumberedAt(0, 0));
        EXPECT_EQ(At(surface.get(), 1, 0), c.second) << c.transparent;
        EXPECT_EQ(At(surface.get(), 2, 0), c.third) << c.transparent;
    }
    // The image itself keeps its colours.
    EXPECT_EQ(ColorToRGB(texture->Image()->Canvas()->Pixels(1, 0)), ColorToRGB(clFuchsia));
}

TEST_F(BackgroundTest, EmptyImagesAndEmptyAreasPaintNothing) {
    background->SetBackgroundStyle(bTexture);
    auto check = [&](const char* what, int width, int height) {
        auto surface = Surface(5, 5);
        background->Draw(surface->Canvas()->Handle(), width, height, true);
        EXPECT_TRUE(UntouchedOutside(surface.get(), 0, 0)) << what;
    };
    for (TZylImageStyle style : {isTile, isCenter, isStretched}) {
        background->Texture()->SetImageStyle(style);
        background->Texture()->SetImage(nullptr);
        check("no image", 5, 5);
        TBitmap thin;
        thin.SetSize(0, 4);
        background->Texture()->SetImage(&thin);
        check("zero width", 5, 5);
        background->Texture()->SetImage(Numbered(2, 2).get());
        check("zero area", 0, 5);
        check("negative area", 5, -3);
    }
    // A stale DC is refused like any GDI call refuses it.
    background->Draw(nullptr, 5, 5, true);
}

// ---------------------------------------------------------------------------------------------
// Brush fills and the flat colour

TEST_F(BackgroundTest, SolidColourFillsExactlyTheArea) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clMaroon);
    auto surface = Drawn(7, 4);
    EXPECT_EQ(At(surface.get(), 0, 0), ColorToRGB(clMaroon));
    EXPECT_EQ(At(surface.get(), 6, 3), ColorToRGB(clMaroon));
    EXPECT_TRUE(UntouchedOutside(surface.get(), 7, 4));
}

win32::COLORREF PixelOf(TBitmap* surface, int x, int y) {
    return ColorToRGB(surface->Canvas()->Pixels(x, y));
}

// Rows (or columns) of a hatch fill: each line is one colour, one line in eight the pattern's.
void ExpectStripes(TBitmap* surface, int width, int height, bool rows, win32::COLORREF line,
                   win32::COLORREF gap, const std::string& what) {
    const int across = rows ? width : height, along = rows ? height : width;
    std::vector<bool> isLine;
    for (int i = 0; i < along; ++i) {
        const win32::COLORREF first = rows ? PixelOf(surface, 0, i) : PixelOf(surface, i, 0);
        ASSERT_TRUE(first == line || first == gap) << what << " at " << i << ": " << first;
        for (int j = 1; j < across; ++j) {
            const win32::COLORREF pixel = rows ? PixelOf(surface, j, i) : PixelOf(surface, i, j);
            ASSERT_EQ(pixel, first) << what << " at " << i << "/" << j;
        }
        isLine.push_back(first == line);
    }
    int lines = 0;
    for (int i = 0; i < along; ++i) {
        lines += isLine[static_cast<size_t>(i)] ? 1 : 0;
        if (i >= 8) {
            EXPECT_EQ(isLine[static_cast<size_t>(i)], isLine[static_cast<size_t>(i - 8)]) << what;
        }
    }
    EXPECT_EQ(lines, along / 8) << what;
}

TEST_F(BackgroundTest, BrushFillsLayThePatternOnWhiteOrOnTheSolidColour) {
    background->BrushFill()->SetBrushColor(clNavy);
    background->SetSolidColor(clYellow);
    struct Case {
        TZylBackStyle style;
        TBrushStyle brush;
        bool rows;
        TColor gap;
    };
    const Case cases[] = {
        {bBrushFillUseCurrent, bsHorizontal, true, clWhite},
        {bBrushFillUseCurrent, bsVertical, false, clWhite},
        {bBrushFillSolidColor, bsHorizontal, true, clYellow},
        {bBrushFillSolidColor, bsVertical, false, clYellow},
    };
    for (const Case& c : cases) {
        background->SetBackgroundStyle(c.style);
        background->BrushFill()->SetBrushStyle(c.brush);
        auto surface = Drawn(24, 16);
        ExpectStripes(surface.get(), 24, 16, c.rows, ColorToRGB(clNavy), ColorToRGB(c.gap),
                      std::string(EnumName(c.style)) + " " + std::string(EnumName(c.brush)));
        EXPECT_TRUE(UntouchedOutside(surface.get(), 24, 16));
    }
}

TEST_F(BackgroundTest, SolidBrushFillsShowTheBrushColourAndWhiteTurnsIntoTheSolidColour) {
    background->SetSolidColor(clYellow);
    background->BrushFill()->SetBrushStyle(bsSolid);
    struct Case {
        TZylBackStyle style;
        TColor brush, expected;
    };
    for (const Case c :
         {Case{bBrushFillUseCurrent, clPurple, clPurple}, Case{bBrushFillSolidColor, clPurple, clPurple},
          Case{bBrushFillUseCurrent, clWhite, clWhite}, Case{bBrushFillSolidColor, clWhite, clYellow},
          Case{bBrushFillSolidColor, clBtnFace, clBtnFace}}) {
        background->SetBackgroundStyle(c.style);
        background->BrushFill()->SetBrushColor(c.brush);
        auto surface = Drawn(9, 9);
        EXPECT_EQ(At(surface.get(), 0, 0), ColorToRGB(c.expected)) << EnumName(c.style) << " " << c.brush;
        EXPECT_EQ(At(surface.get(), 8, 8), ColorToRGB(c.expected)) << EnumName(c.style) << " " << c.brush;
    }
}

TEST_F(BackgroundTest, GradientRunsFromBeginToEndOrBack) {
    background->SetBackgroundStyle(bGradient);
    background->Gradient()->SetBeginColor(clRed);
    background->Gradient()->SetEndColor(clBlue);
    background->Gradient()->ColorsInBetween()->Add("clLime");
    auto forward = Drawn(20, 40, true, 0);
    auto backward = Drawn(20, 40, false, 0);
    // The background hands its gradient its own colour list and direction.
    auto reference = Surface(20, 40);
    background->Gradient()->MultiDraw(reference->Canvas()->Handle(), 20, 40,
                                      background->Gradient()->ColorsInBetween(), clBtnFace, false);
    EXPECT_EQ(Differences(backward.get(), reference.get()), "");
    EXPECT_NE(Differences(forward.get(), reference.get()), "");
}

// ---------------------------------------------------------------------------------------------
// DrawTrans

TEST_F(BackgroundTest, DrawTransShowsTheFillThroughTheTransparentColourOnly) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clLime);
    auto canvas = Surface(12, 6, clFuchsia);
    canvas->Canvas()->Brush()->SetColor(clNavy);
    canvas->Canvas()->FillRect(Rect(6, 0, 12, 6));
    background->DrawTrans(canvas->Canvas(), 10, 5, true, clFuchsia);
    EXPECT_EQ(At(canvas.get(), 0, 0), ColorToRGB(clLime));
    EXPECT_EQ(At(canvas.get(), 5, 4), ColorToRGB(clLime));
    EXPECT_EQ(At(canvas.get(), 6, 0), ColorToRGB(clNavy));
    EXPECT_EQ(At(canvas.get(), 9, 4), ColorToRGB(clNavy));
    // Outside the area the canvas keeps what it had.
    EXPECT_EQ(At(canvas.get(), 0, 5), ColorToRGB(clFuchsia));
    EXPECT_EQ(At(canvas.get(), 11, 0), ColorToRGB(clNavy));
    background->DrawTrans(nullptr, 10, 5, true, clFuchsia);
    background->DrawTrans(canvas->Canvas(), 0, 5, true, clFuchsia);
}

// ---------------------------------------------------------------------------------------------
// Letters filled with the background

constexpr win32::UINT kLetterFormat = win32::DT_LEFT | win32::DT_VCENTER | win32::DT_SINGLELINE;
const std::string kLetters = "WIM";
constexpr int kLetterWidth = 130, kLetterHeight = 44;

class WriteTest : public BackgroundTest {
protected:
    void SetUp() override {
        BackgroundTest::SetUp();
        font.SetName("Arial");
        font.SetHeight(-34);
        font.SetStyle({fsBold});
        font.SetColor(clBlack);
        effect.SetThreeDimensional(false);
    }

    // The pixels plain DrawText colours for the text at `r`.
    std::vector<bool> Shape(const TRect& r) {
        auto surface = Surface(kLetterWidth, kLetterHeight, clWhite);
        const win32::HDC dc = surface->Canvas()->Handle();
        const win32::HGDIOBJ old = win32::SelectObject(dc, font.Handle());
        win32::SetBkMode(dc, win32::TRANSPARENT);
        win32::SetTextColor(dc, 0);
        TRect at = r;
        win32::DrawText(dc, kLetters.data(), static_cast<int>(kLetters.size()), &at, kLetterFormat);
        win32::SelectObject(dc, old);
        std::vector<bool> shape;
        for (int y = 0; y < kLetterHeight; ++y)
            for (int x = 0; x < kLetterWidth; ++x)
                shape.push_back(At(surface.get(), x, y) == 0);
        return shape;
    }

    static bool In(const std::vector<bool>& shape, int x, int y) {
        return x >= 0 && y >= 0 && x < kLetterWidth && y < kLetterHeight &&
               shape[static_cast<size_t>(y * kLetterWidth + x)];
    }

    std::unique_ptr<TBitmap> Written(TColor ground = clWhite) {
        auto surface = Surface(kLetterWidth + 6, kLetterHeight + 6, ground);
        background->Write(&effect, &font, surface->Canvas(), Rect(0, 0, kLetterWidth, kLetterHeight),
                          kLetters, kLetterFormat);
        return surface;
    }

    // Mismatches against: the fill inside `shape`, `outside(x, y)` elsewhere.
    std::string Compare(TBitmap* got, const std::vector<bool>& shape,
                        const std::function<win32::COLORREF(int, int)>& outside) {
        auto fill = Surface(kLetterWidth, kLetterHeight);
        background->Draw(fill->Canvas()->Handle(), kLetterWidth, kLetterHeight, true);
        std::string text;
        int shown = 0, letters = 0;
        for (int y = 0; y < kLetterHeight; ++y)
            for (int x = 0; x < kLetterWidth; ++x) {
                const bool inside = In(shape, x, y);
                letters += inside ? 1 : 0;
                const win32::COLORREF want = inside ? At(fill.get(), x, y) : outside(x, y);
                if (At(got, x, y) != want && ++shown <= 8)
                    text +=
                        "(" + std::to_string(x) + "," + std::to_string(y) + (inside ? " in" : " out") + ") ";
            }
        if (letters < 100) text += "too few letter pixels";
        return text;
    }

    TFont font;
    TZylFont3D effect;
};

TEST_F(WriteTest, LettersShowTheFillAndTheRestStaysAsItWas) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clRed);
    auto got = Written();
    const auto shape = Shape(Rect(0, 0, kLetterWidth, kLetterHeight));
    EXPECT_EQ(Compare(got.get(), shape, [](int, int) { return ColorToRGB(clWhite); }), "");
    // Only the rectangle is copied back.
    EXPECT_EQ(At(got.get(), kLetterWidth + 2, 3), ColorToRGB(clWhite));
}

TEST_F(WriteTest, NoColourOfTheFillPunchesHolesIntoTheLetters) {
    // Fills holding the font colour, holding the colour of their own pixel (0, 0) inside the
    // letters, and both at once, on grounds of either colour.
    struct Case {
        const char* what;
        std::function<void()> setUp;
        TColor ground;
    };
    auto twoColours = [&](TColor first, TColor second) {
        TBitmap image;
        image.SetSize(2, 1);
        image.Canvas()->SetPixels(0, 0, first);
        image.Canvas()->SetPixels(1, 0, second);
        background->SetBackgroundStyle(bTexture);
        background->Texture()->SetImage(&image);
    };
    const Case cases[] = {
        {"black stripes",
         [&] {
             background->SetBackgroundStyle(bBrushFillUseCurrent);
             background->BrushFill()->SetBrushStyle(bsHorizontal);
             background->BrushFill()->SetBrushColor(clBlack);
         },
         clWhite},
        {"blue and green columns", [&] { twoColours(clBlue, clGreen); }, clWhite},
        {"black and white columns", [&] { twoColours(clBlack, clWhite); }, clWhite},
        {"white and black columns on black", [&] { twoColours(clWhite, clBlack); }, clBlack},
        {"solid font colour",
         [&] {
             background->SetBackgroundStyle(bSolidcolor);
             background->SetSolidColor(clBlack);
         },
         clYellow},
    };
    const auto shape = Shape(Rect(0, 0, kLetterWidth, kLetterHeight));
    for (const Case& c : cases) {
        c.setUp();
        auto got = Written(c.ground);
        EXPECT_EQ(Compare(got.get(), shape, [&](int, int) { return ColorToRGB(c.ground); }), "") << c.what;
    }
}

TEST_F(WriteTest, ReliefIsDrawnUnderTheFilledLetters) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clRed);
    effect.SetThreeDimensional(true);
    effect.SetStyle3D(fontOnlyShadow);
    effect.SetOffset(2);
    effect.SetShadow(clGray);
    auto got = Written();
    const auto shape = Shape(Rect(0, 0, kLetterWidth, kLetterHeight));
    const auto shadow = Shape(Rect(2, 2, kLetterWidth + 2, kLetterHeight + 2));
    EXPECT_EQ(Compare(got.get(), shape,
                      [&](int x, int y) { return ColorToRGB(In(shadow, x, y) ? clGray : clWhite); }),
              "");
}

TEST_F(WriteTest, ExtrusionNarrowsTheTextAndWalksTowardsTheLetters) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clRed);
    effect.SetThreeDimensional(true);
    effect.SetStyle3D(fontOnlyHighlight);
    effect.SetOffset(1);
    effect.SetHighlight(clAqua);
    effect.SetRepetitionColor(clGray);
    effect.SetRepetition(repeatOnShadow);
    effect.SetRepetitionwidth(3);
    auto got = Written();
    // Narrowed by 3 on the left and the right; copies at +3, +2, +1, the highlight at -1.
    const TRect r = Rect(3, 0, kLetterWidth - 3, kLetterHeight);
    auto moved = [&](int by) { return Shape(Rect(r.left + by, r.top + by, r.right + by, r.bottom + by)); };
    const auto shape = moved(0), highlight = moved(-1);
    const std::vector<std::vector<bool>> copies = {moved(1), moved(2), moved(3)};
    EXPECT_EQ(Compare(got.get(), shape,
                      [&](int x, int y) {
                          if (In(highlight, x, y)) return ColorToRGB(clAqua);
                          for (const auto& copy : copies)
                              if (In(copy, x, y)) return ColorToRGB(clGray);
                          return ColorToRGB(clWhite);
                      }),
              "");
    // On the highlight side the copies step forward from where the text stands.
    effect.SetRepetition(repeatOnHighLight);
    auto forward = Written();
    const auto last = moved(3), earlier = moved(2);
    const std::vector<std::vector<bool>> walked = {moved(0), moved(1), moved(2)};
    EXPECT_EQ(Compare(forward.get(), last,
                      [&](int x, int y) {
                          if (In(earlier, x, y)) return ColorToRGB(clAqua);
                          for (const auto& copy : walked)
                              if (In(copy, x, y)) return ColorToRGB(clGray);
                          return ColorToRGB(clWhite);
                      }),
              "");
}

TEST_F(WriteTest, NothingHappensWithoutCanvasOrArea) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clRed);
    auto surface = Surface(20, 20);
    background->Write(&effect, &font, surface->Canvas(), Rect(5, 5, 5, 20), "W", kLetterFormat);
    background->Write(&effect, &font, surface->Canvas(), Rect(0, 9, 20, 3), "W", kLetterFormat);
    background->Write(&effect, &font, nullptr, Rect(0, 0, 20, 20), "W", kLetterFormat);
    EXPECT_TRUE(UntouchedOutside(surface.get(), 0, 0));
    // Without an effect or a font: plain letters in the default font; text with a NUL byte is drawn whole.
    background->Write(nullptr, nullptr, surface->Canvas(), Rect(0, 0, 20, 20), std::string("I\0I", 3),
                      win32::DT_LEFT | win32::DT_TOP);
    EXPECT_FALSE(UntouchedOutside(surface.get(), 0, 0));
}

TEST_F(WriteTest, LettersAtTheFarEdgeOfAnInsetRectangleKeepTheirFill) {
    background->SetBackgroundStyle(bSolidcolor);
    background->SetSolidColor(clRed);
    const TRect inset = Rect(12, 6, kLetterWidth, kLetterHeight);
    const win32::UINT right = win32::DT_RIGHT | win32::DT_VCENTER | win32::DT_SINGLELINE;
    auto surface = Surface(kLetterWidth, kLetterHeight, clWhite);
    background->Write(&effect, &font, surface->Canvas(), inset, kLetters, right);
    // The last letter ends near the right edge, beyond the inset rectangle's width.
    int reddest = -1;
    for (int y = 0; y < kLetterHeight; ++y)
        for (int x = 0; x < kLetterWidth; ++x)
            if (At(surface.get(), x, y) == ColorToRGB(clRed)) reddest = std::max(reddest, x);
    EXPECT_GT(reddest, kLetterWidth - 12 - 1);
}

// ---------------------------------------------------------------------------------------------
// Sub-objects

TEST_F(BackgroundTest, SettingASubObjectCopiesItsValues) {
    TZylTexture texture;
    texture.SetImage(Numbered(3, 3).get());
    texture.SetImageStyle(isStretched);
    texture.SetTransparentColor(clRed);
    texture.SetTransparentBackground(clBlue);
    background->SetTexture(&texture);
    EXPECT_NE(background->Texture(), &texture);
    EXPECT_EQ(background->Texture()->ImageStyle(), isStretched);
    EXPECT_EQ(background->Texture()->TransparentColor(), clRed);
    EXPECT_EQ(background->Texture()->TransparentBackground(), clBlue);
    EXPECT_EQ(background->Texture()->Image()->Width(), 3);
    EXPECT_NE(background->Texture()->Image(), texture.Image());

    TZylGradient gradient;
    gradient.SetBeginColor(clNavy);
    gradient.SetFillStyle(TZylFillStyle::Spectral);
    gradient.ColorsInBetween()->Add("clRed");
    background->SetGradient(&gradient);
    EXPECT_EQ(background->Gradient()->BeginColor(), clNavy);
    EXPECT_EQ(background->Gradient()->FillStyle(), TZylFillStyle::Spectral);
    EXPECT_EQ(background->Gradient()->ColorsInBetween()->Text(), gradient.ColorsInBetween()->Text());

    TZylBrushFill fill;
    fill.SetBrushStyle(bsDiagCross);
    fill.SetBrushColor(clOlive);
    background->SetBrushFill(&fill);
    EXPECT_EQ(background->BrushFill()->BrushStyle(), bsDiagCross);
    EXPECT_EQ(background->BrushFill()->BrushColor(), clOlive);

    background->SetTexture(nullptr);
    EXPECT_EQ(background->Texture()->ImageStyle(), isStretched);
}

}  // namespace
