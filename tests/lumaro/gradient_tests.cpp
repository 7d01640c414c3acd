#include <climits>
#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "painting.h"
#include "support/gradient_reference.h"
#include "win32/gdi.h"
#include "win32/user.h"

namespace {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;
using win32::COLORREF;
using win32::HDC;
using win32::RGB;

using GradientReference = zyltest::GradientReference;

const std::vector<TZylFillStyle> kAllStyles = {TZylFillStyle::Circle,
                                               TZylFillStyle::Horizontal,
                                               TZylFillStyle::Vertical,
                                               TZylFillStyle::LeftBottom,
                                               TZylFillStyle::RoundMiddle,
                                               TZylFillStyle::SquareMiddle,
                                               TZylFillStyle::Spectral,
                                               TZylFillStyle::DoppelFlash,
                                               TZylFillStyle::Singleflash,
                                               TZylFillStyle::MiddleHBar,
                                               TZylFillStyle::MiddleVBar,
                                               TZylFillStyle::VerticalDoppelBar,
                                               TZylFillStyle::HorizontalDoppelBar};

std::string NameOf(TZylFillStyle style) {
    return std::string(EnumName(style));
}

class GradientTest : public lumarotest::PaintingTest {
protected:
    // The painter's picture of `style` next to the reference, as a list of differing pixels.
    std::string Compare(TZylFillStyle style, int width, int height, int paintWidth, int paintHeight,
                        const std::vector<std::string>& between, const std::vector<COLORREF>& expectedColors,
                        bool forward = true, win32::POINT origin = {0, 0}) {
        TZylGradient gradient;
        gradient.SetBeginColor(begin_);
        gradient.SetEndColor(end_);
        gradient.SetColorCount(count_);
        gradient.SetFillStyle(style);
        TStringList lines;
        for (const std::string& line : between)
            lines.Add(line);
        auto got = Surface(width, height);
        win32::SetWindowOrgEx(got->Canvas()->Handle(), origin.x, origin.y, nullptr);
        gradient.MultiDraw(got->Canvas()->Handle(), paintWidth, paintHeight, &lines, clYellow, forward);
        auto want = Surface(width, height);
        win32::SetWindowOrgEx(want->Canvas()->Handle(), origin.x, origin.y, nullptr);
        // The painter's own bitmap ends at the area's edges.
        win32::IntersectClipRect(want->Canvas()->Handle(), 0, 0, paintWidth, paintHeight);
        GradientReference(want->Canvas()->Handle(), paintWidth, paintHeight, expectedColors,
                          gradient.ColorCount())
            .Draw(style);
        return Mismatches(got.get(), want.get());
    }

    // The 32-bit rows of a bitmap, top row first.
    static std::vector<uint32_t> Bits(TBitmap* bitmap) {
        win32::BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(win32::BITMAPINFOHEADER);
        info.bmiHeader.biWidth = bitmap->Width();
        info.bmiHeader.biHeight = -bitmap->Height();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> bits(static_cast<size_t>(bitmap->Width()) * bitmap->Height());
        HDC screen = win32::GetDC(nullptr);
        win32::GetDIBits(screen, bitmap->Handle(), 0, static_cast<win32::UINT>(bitmap->Height()), bits.data(),
                         &info, win32::DIB_RGB_COLORS);
        win32::ReleaseDC(nullptr, screen);
        return bits;
    }

    // The first differing pixels as "(x,y) got/want" lines, empty when the pictures match.
    static std::string Mismatches(TBitmap* got, TBitmap* want) {
        const std::vector<uint32_t> a = Bits(got), b = Bits(want);
        std::string text;
        int shown = 0;
        for (size_t i = 0; i < a.size() && shown < 12; ++i) {
            if (a[i] == b[i]) continue;
            ++shown;
            text += "(" + std::to_string(i % want->Width()) + "," + std::to_string(i / want->Width()) + ") " +
                    std::to_string(a[i]) + "/" + std::to_string(b[i]) + "\n";
        }
        return text;
    }

    TColor begin_ = 0x2040E0, end_ = 0xF0A010;
    int count_ = 32;
};

// ---------------------------------------------------------------------------------------------
// Exact bands

TEST_F(GradientTest, HorizontalRunsThroughThirtyTwoBandsFromBeginToEnd) {
    TZylGradient gradient;
    gradient.SetBeginColor(clRed);
    gradient.SetEndColor(clBlue);
    auto bitmap = Surface(10, 100);
    gradient.MultiDraw(bitmap->Canvas()->Handle(), 10, 100, gradient.ColorsInBetween(), clWhite, true);
    // Band n starts at row MulDiv(n, 101, 32) and has the colour n/31 of the way, zero channels as 1.
    EXPECT_EQ(At(bitmap.get(), 0, 0), RGB(255, 1, 1));
    EXPECT_EQ(At(bitmap.get(), 9, 2), RGB(255, 1, 1));
    EXPECT_EQ(At(bitmap.get(), 5, 3), RGB(247, 1, 8));
    EXPECT_EQ(At(bitmap.get(), 5, 97), RGB(8, 1, 247));
    EXPECT_EQ(At(bitmap.get(), 5, 98), RGB(1, 1, 255));
    EXPECT_EQ(At(bitmap.get(), 9, 99), RGB(1, 1, 255));
    int bands = 1;
    for (int y = 1; y < 100; ++y) {
        if (At(bitmap.get(), 0, y) != At(bitmap.get(), 0, y - 1)) ++bands;
        for (int x = 1; x < 10; ++x)
            ASSERT_EQ(At(bitmap.get(), x, y), At(bitmap.get(), 0, y)) << x << "," << y;
    }
    EXPECT_EQ(bands, 32);
}

TEST_F(GradientTest, BackwardsStartsAtEndColor) {
    TZylGradient gradient;
    gradient.SetBeginColor(clRed);
    gradient.SetEndColor(clBlue);
    auto bitmap = Surface(10, 100);
    gradient.MultiDraw(bitmap->Canvas()->Handle(), 10, 100, nullptr, clWhite, false);
    EXPECT_EQ(At(bitmap.get(), 0, 0), RGB(1, 1, 255));
    EXPECT_EQ(At(bitmap.get(), 5, 3), RGB(8, 1, 247));
    EXPECT_EQ(At(bitmap.get(), 5, 98), RGB(255, 1, 1));
}

TEST_F(GradientTest, BackwardsKeepsTheColorsInBetweenInOrder) {
    begin_ = clRed;
    end_ = clBlue;
    const std::vector<std::string> between{"clLime", "$00808080"};
    EXPECT_EQ(Compare(TZylFillStyle::Vertical, 60, 20, 60, 20, between,
                      {RGB(0, 0, 255), RGB(0, 255, 0), RGB(128, 128, 128), RGB(255, 0, 0)}, false),
              "");
}

TEST_F(GradientTest, BlackStepsArePaintedAsOneOneOne) {
    TZylGradient gradient;
    gradient.SetBeginColor(clBlack);
    gradient.SetEndColor(clBlack);
    auto bitmap = Surface(8, 40);
    gradient.MultiDraw(bitmap->Canvas()->Handle(), 8, 40, nullptr, clWhite, true);
    for (int y = 0; y < 40; ++y)
        ASSERT_EQ(At(bitmap.get(), 3, y), RGB(1, 1, 1)) << y;
}

// ---------------------------------------------------------------------------------------------
// Every style against the reference drawing

struct StyleCase {
    int width, height, count;
    std::vector<std::string> between;
    std::vector<COLORREF> colors;  // the whole list, as the painter should see it
    bool forward;
};

TEST_F(GradientTest, EveryStyleMatchesTheShapeTable) {
    const std::vector<StyleCase> cases = {
        {37, 23, 32, {"clRed"}, {RGB(0xE0, 0x40, 0x20), RGB(255, 0, 0), RGB(0x10, 0xA0, 0xF0)}, true},
        {23, 37, 32, {"clRed"}, {RGB(0x10, 0xA0, 0xF0), RGB(255, 0, 0), RGB(0xE0, 0x40, 0x20)}, false},
        {37, 23, 2, {"clBlack"}, {RGB(0xE0, 0x40, 0x20), RGB(0, 0, 0), RGB(0x10, 0xA0, 0xF0)}, true},
        {37, 23, 255, {}, {RGB(0xE0, 0x40, 0x20), RGB(0x10, 0xA0, 0xF0)}, true},
        {101,
         67,
         7,
         {"clBtnFace", "$00336699"},
         {RGB(0xE0, 0x40, 0x20), win32::GetSysColor(win32::COLOR_BTNFACE), RGB(0x99, 0x66, 0x33),
          RGB(0x10, 0xA0, 0xF0)},
         true},
        {1, 1, 32, {"clRed"}, {RGB(0xE0, 0x40, 0x20), RGB(255, 0, 0), RGB(0x10, 0xA0, 0xF0)}, true},
        {2, 9, 5, {}, {RGB(0xE0, 0x40, 0x20), RGB(0x10, 0xA0, 0xF0)}, true},
        // Slim areas give slim ellipses, whose thinnest rows keep their middle pixels.
        {3, 40, 3, {}, {RGB(0xE0, 0x40, 0x20), RGB(0x10, 0xA0, 0xF0)}, true},
        {40, 3, 2, {}, {RGB(0xE0, 0x40, 0x20), RGB(0x10, 0xA0, 0xF0)}, true},
        {4, 31, 2, {"clBlack"}, {RGB(0xE0, 0x40, 0x20), RGB(0, 0, 0), RGB(0x10, 0xA0, 0xF0)}, true},
    };
    for (const StyleCase& c : cases) {
        count_ = c.count;
        for (TZylFillStyle style : kAllStyles)
            EXPECT_EQ(Compare(style, c.width, c.height, c.width, c.height, c.between, c.colors, c.forward),
                      "")
                << NameOf(style) << " " << c.width << "x" << c.height << " N=" << c.count;
    }
}

TEST_F(GradientTest, AreaLargerThanTheTargetPaintsItsVisiblePart) {
    // The shapes keep the full size; the platform clips the reference, the painter paints only what
    // the bitmap shows.
    const std::vector<COLORREF> colors{RGB(0xE0, 0x40, 0x20), RGB(0x10, 0xA0, 0xF0)};
    for (TZylFillStyle style : kAllStyles)
        EXPECT_EQ(Compare(style, 41, 29, 3000, 2000, {}, colors), "") << NameOf(style);
}

TEST_F(GradientTest, LargeTargetMatchesInEveryRow) {
    // Big enough that the picture goes out in several pieces: no seam may show between them.
    const std::vector<COLORREF> colors{RGB(0xE0, 0x40, 0x20), RGB(255, 0, 0), RGB(0x10, 0xA0, 0xF0)};
    count_ = 9;
    for (TZylFillStyle style : kAllStyles)
        EXPECT_EQ(Compare(style, 1101, 613, 1101, 613, {"clRed"}, colors), "") << NameOf(style);
}

TEST_F(GradientTest, HugeAreaPaintsOnlyWhatTheTargetShows) {
    const std::vector<COLORREF> colors{RGB(0xE0, 0x40, 0x20), RGB(0x10, 0xA0, 0xF0)};
    for (TZylFillStyle style : kAllStyles)
        EXPECT_EQ(Compare(style, 30, 20, 20000, 15000, {}, colors), "") << NameOf(style);
}

TEST_F(GradientTest, WindowInTheMiddleOfALargeAreaSeesTheSameShapes) {
    // Every Circle and Spectral line crosses the middle; the target shows only that part.
    const std::vector<COLORREF> colors{RGB(0xE0, 0x40, 0x20), RGB(0, 0, 0), RGB(0x10, 0xA0, 0xF0)};
    for (TZylFillStyle style : kAllStyles)
        EXPECT_EQ(Compare(style, 41, 29, 3001, 2001, {"clBlack"}, colors, true, {1480, 985}), "")
            << NameOf(style);
}

TEST_F(GradientTest, LargestAreaStillPaintsTheTarget) {
    // Beyond what the reference's int arithmetic can follow: the corner is painted, quickly.
    TZylGradient gradient;
    gradient.SetBeginColor(clRed);
    gradient.SetEndColor(clBlue);
    for (TZylFillStyle style : kAllStyles) {
        gradient.SetFillStyle(style);
        auto bitmap = Surface(16, 16);
        gradient.MultiDraw(bitmap->Canvas()->Handle(), INT_MAX, INT_MAX, nullptr, clWhite, true);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_NE(At(bitmap.get(), x, y), vcl::ColorToRGB(kGround))
                    << NameOf(style) << " " << x << "," << y;
    }
}

TEST_F(GradientTest, ClippedTargetKeepsItsPixelsOutsideTheClip) {
    const std::vector<COLORREF> colors{RGB(0xE0, 0x40, 0x20), RGB(255, 0, 0), RGB(0x10, 0xA0, 0xF0)};
    for (TZylFillStyle style : kAllStyles) {
        TZylGradient gradient;
        gradient.SetBeginColor(begin_);
        gradient.SetEndColor(end_);
        gradient.SetFillStyle(style);
        gradient.ColorsInBetween()->Add("clRed");
        auto got = Surface(37, 23);
        HDC dc = got->Canvas()->Handle();
        win32::IntersectClipRect(dc, 5, 7, 30, 20);
        gradient.MultiDraw(dc, 37, 23, gradient.ColorsInBetween(), clWhite, true);
        win32::SelectClipRgn(dc, nullptr);
        auto want = Surface(37, 23);
        GradientReference(want->Canvas()->Handle(), 37, 23, colors, 32).Draw(style);
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 37; ++x) {
                const bool inside = x >= 5 && x < 30 && y >= 7 && y < 20;
                ASSERT_EQ(At(got.get(), x, y), inside ? At(want.get(), x, y) : vcl::ColorToRGB(kGround))
                    << NameOf(style) << " " << x << "," << y;
            }
    }
}

// ---------------------------------------------------------------------------------------------
// Bad input

TEST_F(GradientTest, LinesThatAreNoColorAreLeftOut) {
    const std::vector<COLORREF> colors{RGB(0xE0, 0x40, 0x20), RGB(255, 0, 0), RGB(0, 0, 255),
                                       RGB(0x10, 0xA0, 0xF0)};
    for (TZylFillStyle style :
         {TZylFillStyle::Horizontal, TZylFillStyle::Spectral, TZylFillStyle::RoundMiddle})
        EXPECT_EQ(Compare(style, 37, 23, 37, 23, {"clRed", "not a colour", "", "$XYZ", "clBlue"}, colors), "")
            << NameOf(style);
}

TEST_F(GradientTest, EmptyOrNegativeSizesPaintNothing) {
    TZylGradient gradient;
    gradient.ColorsInBetween()->Add("clRed");
    const std::pair<int, int> sizes[] = {{0, 10}, {10, 0}, {-5, 10}, {10, -5}, {INT_MIN, INT_MIN}, {0, 0}};
    for (TZylFillStyle style : kAllStyles) {
        gradient.SetFillStyle(style);
        for (auto [width, height] : sizes) {
            auto bitmap = Surface(12, 12);
            gradient.MultiDraw(bitmap->Canvas()->Handle(), width, height, gradient.ColorsInBetween(), clRed,
                               true);
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 12; ++x)
                    ASSERT_EQ(At(bitmap.get(), x, y), vcl::ColorToRGB(kGround))
                        << NameOf(style) << " " << width << "x" << height;
        }
    }
}

TEST_F(GradientTest, StaleDeviceContextIsRefusedQuietly) {
    TZylGradient gradient;
    HDC dc = win32::CreateCompatibleDC(nullptr);
    win32::DeleteDC(dc);
    gradient.MultiDraw(dc, 20, 20, nullptr, clRed, true);
    gradient.MultiDraw(nullptr, 20, 20, nullptr, clRed, true);
}

TEST_F(GradientTest, ColorCountOutsideTwoTo255IsIgnoredButSignalled) {
    TZylGradient gradient;
    int changes = 0;
    gradient.OnChange = [&](TObject*) { ++changes; };
    const struct {
        int value, kept;
    } cases[] = {{1, 32}, {256, 32}, {0, 32}, {-1, 32}, {INT_MIN, 32}, {2, 2}, {255, 255}, {INT_MAX, 255}};
    int expectedChanges = 0;
    for (const auto& c : cases) {
        gradient.SetColorCount(c.value);
        EXPECT_EQ(gradient.ColorCount(), c.kept) << c.value;
        EXPECT_EQ(changes, ++expectedChanges) << c.value;
    }
}

}  // namespace
