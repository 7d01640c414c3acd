// Pixel rules of the drawing primitives: end points, fills, pens, mix modes, hatches, shapes.
#include "gdi_test_support.h"

namespace {

using namespace win32;
using gditest::Canvas;

using gditest::kBlack;
using gditest::kRed;
using gditest::kWhite;

TEST(Lines, HorizontalLineOmitsItsLastPoint) {
    Canvas c(8, 3);
    MoveToEx(c.dc(), 1, 1, nullptr);
    LineTo(c.dc(), 6, 1);
    EXPECT_EQ(c.Row(1), ".#####..");
    POINT p;
    GetCurrentPositionEx(c.dc(), &p);
    EXPECT_EQ(p.x, 6);
}

TEST(Lines, DrawnFromTheStartPointInEitherDirection) {
    Canvas c(8, 3);
    MoveToEx(c.dc(), 6, 1, nullptr);
    LineTo(c.dc(), 1, 1);
    EXPECT_EQ(c.Row(1), "..#####.");
}

TEST(Lines, DiagonalAndVerticalArePixelExact) {
    Canvas c(5, 5);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 4, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c.At(i, i), kBlack) << i;
    EXPECT_EQ(c.At(4, 4), kWhite);
    EXPECT_EQ(c.At(1, 0), kWhite);
    Canvas v(3, 5);
    MoveToEx(v.dc(), 1, 4, nullptr);
    LineTo(v.dc(), 1, 0);
    EXPECT_EQ(v.At(1, 4), kBlack);
    EXPECT_EQ(v.At(1, 1), kBlack);
    EXPECT_EQ(v.At(1, 0), kWhite);
}

TEST(Lines, ShallowLineStepsHalfway) {
    Canvas c(8, 2);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 4, 1);
    EXPECT_EQ(c.Row(0), "##......");
    EXPECT_EQ(c.Row(1), "..##....");
}

TEST(Lines, PolylineSharesVerticesOnceUnderXor) {
    Canvas c(6, 6);
    SetROP2(c.dc(), R2_NOT);
    POINT path[3] = {{0, 1}, {4, 1}, {4, 5}};
    Polyline(c.dc(), path, 3);
    EXPECT_EQ(c.Row(1), "#####.");
    EXPECT_EQ(c.At(4, 2), kBlack);
    EXPECT_EQ(c.At(4, 5), kWhite);
}

TEST(Lines, DottedPenAlternatesThreeOnThreeOffOverBackground) {
    Canvas c(12, 1);
    HPEN pen = CreatePen(PS_DOT, 1, kBlack);
    SelectObject(c.dc(), pen);
    SetBkColor(c.dc(), kRed);
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 12, 0);
    EXPECT_EQ(c.Row(0), "###???###???");
    EXPECT_EQ(c.At(3, 0), kRed);
    Canvas t(12, 1);
    SelectObject(t.dc(), pen);
    SetBkMode(t.dc(), TRANSPARENT);
    MoveToEx(t.dc(), 0, 0, nullptr);
    LineTo(t.dc(), 12, 0);
    EXPECT_EQ(t.Row(0), "###...###...");
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    SelectObject(t.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Lines, WidePenCoversBothSidesOfTheLine) {
    Canvas c(10, 7);
    HPEN pen = CreatePen(PS_SOLID, 3, kBlack);
    SelectObject(c.dc(), pen);
    MoveToEx(c.dc(), 2, 3, nullptr);
    LineTo(c.dc(), 7, 3);
    for (int y : {2, 3, 4})
        EXPECT_EQ(c.At(4, y), kBlack) << y;
    EXPECT_EQ(c.At(4, 1), kWhite);
    EXPECT_EQ(c.At(4, 5), kWhite);
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Rectangles, OutlineExcludesRightAndBottomEdges) {
    Canvas c(8, 6);
    HBRUSH brush = CreateSolidBrush(kRed);
    SelectObject(c.dc(), brush);
    Rectangle(c.dc(), 1, 1, 6, 5);
    EXPECT_EQ(c.Row(0), "........");
    EXPECT_EQ(c.Row(1), ".#####..");
    EXPECT_EQ(c.Row(2), ".#???#..");
    EXPECT_EQ(c.Row(4), ".#####..");
    EXPECT_EQ(c.Row(5), "........");
    EXPECT_EQ(c.At(2, 2), kRed);
    SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST(Rectangles, NullPenMakesTheFillOnePixelSmaller) {
    Canvas c(8, 4);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    Rectangle(c.dc(), 1, 1, 6, 4);
    EXPECT_EQ(c.Row(1), ".####...");
    EXPECT_EQ(c.Row(2), ".####...");
    EXPECT_EQ(c.Row(3), "........");
}

TEST(Rectangles, FillRectFrameRectAndInvertRect) {
    Canvas c(6, 5);
    RECT r{1, 1, 5, 4};
    FrameRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.Row(1), ".####.");
    EXPECT_EQ(c.Row(2), ".#..#.");
    EXPECT_EQ(c.Row(3), ".####.");
    InvertRect(c.dc(), &r);
    EXPECT_EQ(c.Row(2), "..##..");  // black became white, white became black
    EXPECT_EQ(c.At(1, 2), kWhite);
    RECT all{0, 0, 6, 5};
    FillRect(c.dc(), &all, reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(c.At(0, 0), RGB(192, 192, 192));
}

TEST(Rectangles, PatBltOperations) {
    Canvas c(4, 1);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    PatBlt(c.dc(), 0, 0, 1, 1, PATCOPY);
    PatBlt(c.dc(), 1, 0, 1, 1, BLACKNESS);
    PatBlt(c.dc(), 2, 0, 1, 1, DSTINVERT);
    PatBlt(c.dc(), 3, 0, 1, 1, WHITENESS);
    EXPECT_EQ(c.Row(0), "###.");
    PatBlt(c.dc(), 0, 0, 4, 1, PATINVERT);  // black pattern: nothing changes
    EXPECT_EQ(c.Row(0), "###.");
    SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
    PatBlt(c.dc(), 0, 0, 4, 1, PATINVERT);
    EXPECT_EQ(c.Row(0), "...#");
    EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));
}

TEST(Rectangles, EveryMixModeOnAKnownBackground) {
    const COLORREF pen = RGB(0xF0, 0x0F, 0x33), dest = RGB(0xCC, 0xAA, 0x55);
    auto mix = [](int mode, uint32_t p, uint32_t d) {
        uint32_t r = 0;
        unsigned code = static_cast<unsigned>(mode - 1);
        for (int bit = 0; bit < 24; ++bit) {
            unsigned pb = (p >> bit) & 1, db = (d >> bit) & 1;
            r |= ((code >> (pb * 2 + db)) & 1u) << bit;
        }
        return r;
    };
    const uint32_t expected[16] = {0x000000,
                                   ~(pen | dest) & 0xFFFFFF,
                                   ~pen & dest & 0xFFFFFF,
                                   ~pen & 0xFFFFFF,
                                   pen & ~dest & 0xFFFFFF,
                                   ~dest & 0xFFFFFF,
                                   pen ^ dest,
                                   ~(pen & dest) & 0xFFFFFF,
                                   pen & dest,
                                   ~(pen ^ dest) & 0xFFFFFF,
                                   dest,
                                   (~pen | dest) & 0xFFFFFF,
                                   pen,
                                   (pen | ~dest) & 0xFFFFFF,
                                   pen | dest,
                                   0xFFFFFF};
    for (int mode = R2_BLACK; mode <= R2_WHITE; ++mode) {
        ASSERT_EQ(mix(mode, pen, dest), expected[mode - 1]) << mode;
        Canvas c(3, 1);
        c.Clear(dest);
        HPEN p = CreatePen(PS_SOLID, 1, pen);
        SelectObject(c.dc(), p);
        SetROP2(c.dc(), mode);
        MoveToEx(c.dc(), 0, 0, nullptr);
        LineTo(c.dc(), 2, 0);
        EXPECT_EQ(c.At(0, 0), expected[mode - 1]) << "mode " << mode;
        EXPECT_EQ(c.At(2, 0), dest);
        SelectObject(c.dc(), GetStockObject(BLACK_PEN));
        DeleteObject(p);
    }
}

TEST(Brushes, HatchesFollowTheBrushOrigin) {
    Canvas c(8, 8);
    HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, kBlack);
    RECT all{0, 0, 8, 8};
    FillRect(c.dc(), &all, hatch);
    EXPECT_EQ(c.Row(0), "#.......");
    EXPECT_EQ(c.Row(5), "#.......");
    SetBrushOrgEx(c.dc(), 3, 0, nullptr);
    FillRect(c.dc(), &all, hatch);
    EXPECT_EQ(c.Row(2), "...#....");
    DeleteObject(hatch);
}

TEST(Brushes, HatchBackgroundUsesTheBackgroundModeAndColour) {
    Canvas c(8, 2);
    c.Clear(kRed);
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, kBlack);
    SetBkMode(c.dc(), TRANSPARENT);
    RECT all{0, 0, 8, 2};
    FillRect(c.dc(), &all, hatch);
    EXPECT_EQ(c.At(3, 0), kBlack);
    EXPECT_EQ(c.At(3, 1), kRed);
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), kWhite);
    FillRect(c.dc(), &all, hatch);
    EXPECT_EQ(c.At(3, 1), kWhite);
    DeleteObject(hatch);
}

TEST(Brushes, DiagonalHatchShapes) {
    Canvas c(8, 8);
    HBRUSH forward = CreateHatchBrush(HS_FDIAGONAL, kBlack);
    RECT all{0, 0, 8, 8};
    FillRect(c.dc(), &all, forward);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(c.At(i, i), kBlack) << i;
    EXPECT_EQ(c.At(1, 0), kWhite);
    HBRUSH backward = CreateHatchBrush(HS_BDIAGONAL, kBlack);
    c.Clear(kWhite);
    FillRect(c.dc(), &all, backward);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(c.At(7 - i, i), kBlack) << i;
    DeleteObject(forward);
    DeleteObject(backward);
}

TEST(Brushes, MonochromePatternTakesTextAndBackgroundColours) {
    uint8_t rows[4] = {0x80, 0, 0, 0};  // 1 bit at (0,0); WORD-aligned rows
    HBITMAP bits = CreateBitmap(2, 2, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(bits);
    Canvas c(4, 2);
    SetTextColor(c.dc(), kRed);
    SetBkColor(c.dc(), RGB(0, 0, 255));
    RECT all{0, 0, 4, 2};
    FillRect(c.dc(), &all, brush);
    EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(1, 0), kRed);
    EXPECT_EQ(c.At(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(0, 1), kRed);
    DeleteObject(brush);
    DeleteObject(bits);
}

TEST(Shapes, EllipseIsSymmetricAndTouchesItsBox) {
    Canvas c(10, 10);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    Ellipse(c.dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.Row(0), "...####...");
    EXPECT_EQ(c.Row(4), "##########");
    EXPECT_EQ(c.Row(9), "...####...");
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(c.At(x, y), c.At(9 - x, y)) << x << "," << y;
    EXPECT_EQ(c.At(0, 0), kWhite);
}

TEST(Shapes, EllipseOutlineAroundBrushInterior) {
    Canvas c(10, 10);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(c.dc(), red);
    Ellipse(c.dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.At(0, 4), kBlack);
    EXPECT_EQ(c.At(4, 0), kBlack);
    EXPECT_EQ(c.At(4, 4), kRed);
    EXPECT_EQ(c.At(1, 4), kRed);
    SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(Shapes, RoundRectCornersAreCut) {
    Canvas c(12, 8);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    RoundRect(c.dc(), 0, 0, 12, 8, 6, 6);
    EXPECT_EQ(c.At(0, 0), kWhite);
    EXPECT_EQ(c.At(11, 7), kWhite);
    EXPECT_EQ(c.At(6, 0), kBlack);
    EXPECT_EQ(c.At(0, 4), kBlack);
    EXPECT_EQ(c.At(11, 4), kBlack);
    EXPECT_EQ(c.At(12, 4), CLR_INVALID);
}

TEST(Shapes, PolygonFillModes) {
    // A pentagram: the centre is outside with ALTERNATE and inside with WINDING.
    POINT star[5] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
    Canvas c(21, 20);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.At(10, 10), kWhite);
    EXPECT_EQ(c.At(10, 3), kBlack);
    SetPolyFillMode(c.dc(), WINDING);
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.At(10, 10), kBlack);
}

TEST(Shapes, PieFillsOnlyItsSector) {
    Canvas c(20, 20);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    // Start at 3 o'clock, end at 12 o'clock, counterclockwise: the upper-right quarter.
    Pie(c.dc(), 0, 0, 20, 20, 20, 10, 10, 0);
    EXPECT_EQ(c.At(15, 5), kBlack);
    EXPECT_EQ(c.At(5, 5), kWhite);
    EXPECT_EQ(c.At(5, 15), kWhite);
    EXPECT_EQ(c.At(15, 15), kWhite);
}

TEST(Shapes, ChordKeepsTheArcSide) {
    Canvas c(20, 20);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    Chord(c.dc(), 0, 0, 20, 20, 20, 10, 10, 0);
    EXPECT_EQ(c.At(16, 4), kBlack);
    EXPECT_EQ(c.At(11, 9), kWhite);
}

TEST(Pixels, SetAndGetWithClippingAndOrigins) {
    Canvas c(4, 4);
    EXPECT_EQ(SetPixel(c.dc(), 1, 1, kRed), kRed);
    EXPECT_EQ(GetPixel(c.dc(), 1, 1), kRed);
    EXPECT_EQ(GetPixel(c.dc(), 4, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(c.dc(), -1, 0), CLR_INVALID);
    SetViewportOrgEx(c.dc(), 2, 2, nullptr);
    EXPECT_EQ(GetPixel(c.dc(), -1, -1), kRed);
    IntersectClipRect(c.dc(), 0, 0, 1, 1);  // device (2,2)-(3,3)
    EXPECT_EQ(GetPixel(c.dc(), -1, -1), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc(), 1, 1, kRed), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc(), 0, 0, kRed), kRed);
}

TEST(Pixels, FarAwayAndHugeShapesAreClippedSafely) {
    Canvas c(16, 16);
    HPEN huge = CreatePen(PS_SOLID, 1000000, kBlack);
    SelectObject(c.dc(), huge);
    MoveToEx(c.dc(), -2000000000, -2000000000, nullptr);
    LineTo(c.dc(), 2000000000, 2000000000);
    EXPECT_EQ(c.At(8, 8), kBlack);
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(huge);
    Ellipse(c.dc(), -2000000000, -2000000000, 2000000000, 2000000000);
    Rectangle(c.dc(), 5, 5, -2000000000, 2000000000);
    POINT far[3] = {{-2000000000, 0}, {2000000000, 1}, {0, 2000000000}};
    Polygon(c.dc(), far, 3);
    SUCCEED();
}

TEST(Pixels, FloodFillStopsAtTheBorderColour) {
    Canvas c(8, 8);
    SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
    Rectangle(c.dc(), 1, 1, 7, 7);
    HBRUSH red = CreateSolidBrush(kRed);
    SelectObject(c.dc(), red);
    EXPECT_TRUE(FloodFill(c.dc(), 3, 3, kBlack));
    EXPECT_EQ(c.At(3, 3), kRed);
    EXPECT_EQ(c.At(5, 5), kRed);
    EXPECT_EQ(c.At(1, 1), kBlack);
    EXPECT_EQ(c.At(0, 0), kWhite);
    EXPECT_TRUE(ExtFloodFill(c.dc(), 0, 0, kWhite, FLOODFILLSURFACE));
    EXPECT_EQ(c.At(7, 7), kRed);
    SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
}

TEST(Objects, SelectedObjectsAreNotDeleted) {
    Canvas c(2, 2);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(c.dc(), pen);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(SelectObject(c.dc(), old), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
}

TEST(Objects, GetObjectDescribesPensBrushesFontsAndBitmaps) {
    HPEN pen = CreatePen(PS_DASH, 1, kRed);
    LOGPEN lp{};
    EXPECT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnStyle, PS_DASH);
    EXPECT_EQ(lp.lopnColor, kRed);
    HFONT font = CreateFont(-11, 0, 0, 0, FW_BOLD, 1, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    LOGFONT lf{};
    GetObject(font, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
    HBITMAP bitmap = CreateBitmap(17, 3, 1, 1, nullptr);
    BITMAP bm{};
    GetObject(bitmap, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 17);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 4);
    EXPECT_EQ(GetObject(pen, 0, nullptr), static_cast<int>(sizeof(LOGPEN)));
    DeleteObject(pen);
    DeleteObject(font);
    DeleteObject(bitmap);
}

TEST(Objects, StaleHandlesFailWithoutCrashing) {
    HBRUSH brush = CreateSolidBrush(kRed);
    DeleteObject(brush);
    Canvas c(2, 2);
    EXPECT_EQ(SelectObject(c.dc(), brush), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    RECT r{0, 0, 1, 1};
    EXPECT_FALSE(FillRect(c.dc(), &r, brush));
    EXPECT_EQ(GetPixel(MakeHandle<HDC>(12345), 0, 0), CLR_INVALID);
    EXPECT_FALSE(LineTo(nullptr, 1, 1));
}

TEST(Objects, FreshMemoryDCHasAMonochromeDefaultBitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 4, 4);
    BITMAP bm{};
    GetObject(compatible, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, 4, 4);
    GetObject(colour, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1024);
    DeleteObject(compatible);
    DeleteObject(colour);
    DeleteDC(dc);
    DeleteDC(screen);
}

TEST(Objects, SaveAndRestoreDC) {
    Canvas c(2, 2);
    int level = SaveDC(c.dc());
    SetTextColor(c.dc(), kRed);
    SetViewportOrgEx(c.dc(), 5, 5, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    SelectObject(c.dc(), pen);
    SaveDC(c.dc());
    EXPECT_TRUE(RestoreDC(c.dc(), level));
    EXPECT_EQ(GetTextColor(c.dc()), kBlack);
    POINT org;
    GetViewportOrgEx(c.dc(), &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(RestoreDC(c.dc(), 1));
}

TEST(SystemColours, ClassicSchemeAndReset) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
    int index = COLOR_BTNFACE;
    COLORREF value = RGB(1, 2, 3);
    SetSysColors(1, &index, &value);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), value);
    LOGBRUSH lb{};
    GetObject(GetSysColorBrush(COLOR_BTNFACE), sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, value);
    EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_BTNFACE)));
    win32::testing::ResetPlatform();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
}

}  // namespace
