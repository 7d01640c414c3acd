// Block transfers: raster operations, monochrome conversions, stretching, masks, overlap, DIBs.
#include <cstring>
#include <vector>

#include "gdi_test_support.h"

namespace {

using namespace win32;
using gditest::Canvas;

using gditest::kBlack;
using gditest::kRed;
using gditest::kWhite;

struct RopCase {
    DWORD rop;
    COLORREF expected;
};

TEST(BitBlt, RasterOperationsCombinePatternSourceAndDestination) {
    const COLORREF src = RGB(0xF0, 0x0F, 0xAA), dst = RGB(0xCC, 0x55, 0x0F), pat = RGB(0x3C, 0x99, 0x66);
    const RopCase cases[] = {
        {SRCCOPY, src},
        {SRCAND, src & dst},
        {SRCPAINT, src | dst},
        {SRCINVERT, src ^ dst},
        {SRCERASE, src & ~dst & 0xFFFFFF},
        {NOTSRCCOPY, ~src & 0xFFFFFF},
        {MERGECOPY, pat & src},
        {MERGEPAINT, (~src | dst) & 0xFFFFFF},
        {PATCOPY, pat},
        {PATINVERT, pat ^ dst},
        {DSTINVERT, ~dst & 0xFFFFFF},
        {BLACKNESS, 0},
        {WHITENESS, 0xFFFFFF},
        {0x00E20746, ((pat ^ dst) & src) ^ dst},
        {0x00B8074A, ((pat ^ dst) & src) ^ pat},
        {0x00960000, pat ^ src ^ dst},  // general evaluator: DPSxx
        {0x00010000, ~(pat | src | dst) & 0xFFFFFF},
    };
    Canvas source(2, 1);
    source.Clear(src);
    HBRUSH brush = CreateSolidBrush(pat);
    for (const RopCase& c : cases) {
        Canvas dest(2, 1);
        dest.Clear(dst);
        SelectObject(dest.dc(), brush);
        EXPECT_TRUE(BitBlt(dest.dc(), 0, 0, 1, 1, source.dc(), 0, 0, c.rop)) << std::hex << c.rop;
        EXPECT_EQ(dest.At(0, 0), c.expected) << std::hex << c.rop;
        EXPECT_EQ(dest.At(1, 0), dst) << std::hex << c.rop;
        SelectObject(dest.dc(), GetStockObject(WHITE_BRUSH));
    }
    DeleteObject(brush);
}

TEST(BitBlt, ColourToMonochromeUsesTheSourceBackground) {
    Canvas colour(3, 1);
    SetPixel(colour.dc(), 0, 0, kRed);
    SetPixel(colour.dc(), 1, 0, RGB(200, 200, 200));
    SetBkColor(colour.dc(), kRed);
    Canvas mono(3, 1, 1);
    BitBlt(mono.dc(), 0, 0, 3, 1, colour.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(mono.At(0, 0), kWhite);  // the background colour
    EXPECT_EQ(mono.At(1, 0), kBlack);  // light grey is still "not background"
    EXPECT_EQ(mono.At(2, 0), kBlack);
}

TEST(BitBlt, MonochromeToColourUsesDestinationColours) {
    Canvas mono(2, 1, 1);
    SetPixel(mono.dc(), 0, 0, kBlack);
    Canvas colour(2, 1);
    SetTextColor(colour.dc(), kRed);
    SetBkColor(colour.dc(), RGB(0, 0, 255));
    BitBlt(colour.dc(), 0, 0, 2, 1, mono.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(colour.At(0, 0), kRed);
    EXPECT_EQ(colour.At(1, 0), RGB(0, 0, 255));
}

TEST(BitBlt, TransparentDrawWithMaskAndDSPDxax) {
    // The classic sequence: mono mask with SRCAND gives a hole, image with SRCPAINT fills it.
    Canvas mask(3, 1, 1);
    SetPixel(mask.dc(), 1, 0, kBlack);  // pixel 1 opaque
    Canvas dest(3, 1);
    dest.Clear(RGB(0, 128, 0));
    BitBlt(dest.dc(), 0, 0, 3, 1, mask.dc(), 0, 0, SRCAND);
    EXPECT_EQ(dest.At(0, 0), RGB(0, 128, 0));
    EXPECT_EQ(dest.At(1, 0), kBlack);
    // DSPDxax with a mono source paints the brush where the source is white (1 bits) and keeps the
    // destination where it is black.
    Canvas dest2(3, 1);
    dest2.Clear(RGB(0, 128, 0));
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(dest2.dc(), red);
    SetTextColor(dest2.dc(), kBlack);
    SetBkColor(dest2.dc(), kWhite);
    BitBlt(dest2.dc(), 0, 0, 3, 1, mask.dc(), 0, 0, 0x00E20746);
    EXPECT_EQ(dest2.At(0, 0), kRed);
    EXPECT_EQ(dest2.At(1, 0), RGB(0, 128, 0));
    SelectObject(dest2.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(BitBlt, OverlappingCopyOnOneSurface) {
    Canvas c(6, 1);
    for (int x = 0; x < 6; ++x)
        SetPixel(c.dc(), x, 0, RGB(x, 0, 0));
    BitBlt(c.dc(), 1, 0, 5, 1, c.dc(), 0, 0, SRCCOPY);
    for (int x = 1; x < 6; ++x)
        EXPECT_EQ(c.At(x, 0), RGB(x - 1, 0, 0)) << x;
    BitBlt(c.dc(), 0, 0, 5, 1, c.dc(), 1, 0, SRCCOPY);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(c.At(x, 0), RGB(x, 0, 0)) << x;
}

TEST(BitBlt, ClippedToSourceAndDestinationWithOrigins) {
    Canvas src(4, 4);
    src.Clear(kRed);
    Canvas dest(6, 6);
    SetViewportOrgEx(dest.dc(), 2, 2, nullptr);
    ExcludeClipRect(dest.dc(), 0, 0, 1, 1);  // device (2,2)
    BitBlt(dest.dc(), 0, 0, 10, 10, src.dc(), 2, 2, SRCCOPY);
    SetViewportOrgEx(dest.dc(), 0, 0, nullptr);
    SelectClipRgn(dest.dc(), nullptr);
    EXPECT_EQ(dest.At(2, 2), kWhite);
    EXPECT_EQ(dest.At(3, 2), kRed);
    EXPECT_EQ(dest.At(3, 3), kRed);
    EXPECT_EQ(dest.At(4, 4), kWhite);  // beyond the source bitmap
    EXPECT_EQ(dest.At(1, 1), kWhite);
}

TEST(StretchBlt, NearestNeighbourEnlargementAndMirroring) {
    Canvas src(2, 1);
    SetPixel(src.dc(), 0, 0, kRed);
    Canvas dest(4, 2);
    StretchBlt(dest.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dest.Row(0, kRed), "##..");
    EXPECT_EQ(dest.Row(1, kRed), "##..");
    StretchBlt(dest.dc(), 3, 0, -4, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dest.Row(0, kRed), "..##");
}

TEST(StretchBlt, ShrinkingModesKeepOrDropPixels) {
    Canvas src(4, 1);
    SetPixel(src.dc(), 1, 0, kBlack);
    Canvas dest(2, 1);
    SetStretchBltMode(dest.dc(), BLACKONWHITE);
    StretchBlt(dest.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dest.Row(0), "#.");
    dest.Clear(kWhite);
    SetStretchBltMode(dest.dc(), COLORONCOLOR);
    StretchBlt(dest.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dest.Row(0), "..");
    SetStretchBltMode(dest.dc(), WHITEONBLACK);
    src.Clear(kBlack);
    SetPixel(src.dc(), 1, 0, kWhite);
    dest.Clear(kBlack);
    StretchBlt(dest.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 1, SRCCOPY);
    EXPECT_EQ(dest.Row(0), ".#");
}

TEST(MaskBlt, ForegroundWhereMaskIsSet) {
    Canvas src(2, 1);
    src.Clear(kRed);
    uint8_t bits[2] = {0x80, 0};
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, bits);
    Canvas dest(2, 1);
    MaskBlt(dest.dc(), 0, 0, 2, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
    EXPECT_EQ(dest.At(0, 0), kRed);
    EXPECT_EQ(dest.At(1, 0), kWhite);
    DeleteObject(mask);
}

TEST(TransparentBlt, SkipsTheKeyColour) {
    Canvas src(3, 1);
    src.Clear(RGB(255, 0, 255));
    SetPixel(src.dc(), 1, 0, kRed);
    Canvas dest(6, 1);
    dest.Clear(kBlack);
    TransparentBlt(dest.dc(), 0, 0, 6, 1, src.dc(), 0, 0, 3, 1, RGB(255, 0, 255));
    EXPECT_EQ(dest.Row(0, kRed), "??##??");
    EXPECT_EQ(dest.At(0, 0), kBlack);
}

TEST(Dib, SectionSharesItsBitsBottomUp) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bits, nullptr);
    static_cast<uint32_t*>(bits)[0] = 0x00FF0000;  // first in memory: bottom-left, red
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    EXPECT_EQ(GetPixel(dc, 0, 1), kRed);
    SetPixel(dc, 1, 0, RGB(0, 0, 255));
    EXPECT_EQ(static_cast<uint32_t*>(bits)[3], 0x000000FFu);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(section);
}

TEST(Dib, GetAndSetDIBitsRoundTrip24Bits) {
    Canvas c(3, 2);
    SetPixel(c.dc(), 0, 0, kRed);
    SetPixel(c.dc(), 2, 1, RGB(1, 2, 3));
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    std::vector<uint8_t> bits(2 * 12);
    EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    // Bottom-up: the first row in memory is y = 1.
    EXPECT_EQ(bits[6], 3);
    EXPECT_EQ(bits[7], 2);
    EXPECT_EQ(bits[8], 1);
    EXPECT_EQ(bits[12 + 2], 255);
    HBITMAP copy = CreateBitmap(3, 2, 1, 32, nullptr);
    EXPECT_EQ(SetDIBits(nullptr, copy, 0, 2, bits.data(), &info, DIB_RGB_COLORS), 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, copy);
    EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
    EXPECT_EQ(GetPixel(dc, 2, 1), RGB(1, 2, 3));
    StretchDIBits(dc, 0, 0, 3, 2, 0, 0, 3, 2, bits.data(), &info, DIB_RGB_COLORS, NOTSRCCOPY);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(copy);
}

}  // namespace
