// Surfaces and devices: monochrome drawing, DIB formats, the screen, coordinate mapping, object
// lifetimes and the less common pen and frame-control rules.
#include <vector>

#include "gdi_test_support.h"

namespace {

using namespace win32;
using gditest::Canvas;

using gditest::kBlack;
using gditest::kRed;
using gditest::kWhite;

TEST(Monochrome, ColoursMapToTheNearerOfBlackAndWhite) {
    Canvas mono(4, 1, 1);
    EXPECT_EQ(SetPixel(mono.dc(), 0, 0, RGB(200, 200, 200)), kWhite);
    EXPECT_EQ(SetPixel(mono.dc(), 1, 0, RGB(100, 100, 100)), kBlack);
    EXPECT_EQ(SetPixel(mono.dc(), 2, 0, kRed), kBlack);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(250, 250, 250));
    SelectObject(mono.dc(), pen);
    mono.Clear(kBlack);
    MoveToEx(mono.dc(), 0, 0, nullptr);
    LineTo(mono.dc(), 3, 0);
    EXPECT_EQ(mono.Row(0), "...#");
    SetROP2(mono.dc(), R2_XORPEN);
    MoveToEx(mono.dc(), 0, 0, nullptr);
    LineTo(mono.dc(), 4, 0);
    EXPECT_EQ(mono.Row(0), "###.");
    SelectObject(mono.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Monochrome, OneBitDibSectionBitsAreMostSignificantFirst) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 9;
    info.header.biHeight = -2;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    void* bits = nullptr;
    HBITMAP section =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    auto* bytes = static_cast<uint8_t*>(bits);
    bytes[0] = 0x80;      // (0, 0) white
    bytes[4 + 1] = 0x80;  // (8, 1) white: rows are DWORD aligned
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(dc, 1, 0), kBlack);
    EXPECT_EQ(GetPixel(dc, 8, 1), kWhite);
    DIBSECTION ds{};
    EXPECT_EQ(GetObject(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 4);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(section);
}

TEST(Dib, TwentyFourBitSectionsDrawThroughEveryPath) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 5;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    RECT all{0, 0, 5, 2};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(dc, &all, red);
    auto* bytes = static_cast<uint8_t*>(bits);
    EXPECT_EQ(bytes[2], 255);  // B G R
    EXPECT_EQ(bytes[0], 0);
    bytes[16 + 3] = 0x10;  // row 1 starts at 16 (15 bytes padded to 16); pixel (1, 1) blue = 0x10
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0x10));
    Canvas target(5, 2);
    BitBlt(target.dc(), 0, 0, 5, 2, dc, 0, 0, SRCINVERT);
    EXPECT_EQ(target.At(0, 0), RGB(0, 255, 255));
    BitBlt(dc, 0, 0, 5, 2, target.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(dc, 4, 1), RGB(0, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(red);
    DeleteObject(section);
}

TEST(Dib, UnsupportedSectionsAndHeaderQueries) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 4;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 16;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biWidth = -4;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    Canvas c(5, 3);
    BITMAPINFO query{};
    query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 3, nullptr, &query, DIB_RGB_COLORS), 3);
    EXPECT_EQ(query.bmiHeader.biWidth, 5);
    EXPECT_EQ(query.bmiHeader.biBitCount, 32);
    EXPECT_EQ(query.bmiHeader.biSizeImage, 5u * 3u * 4u);
}

TEST(Dib, SetDIBitsToDeviceCountsRowsFromTheBottom) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    uint32_t bits[2] = {0x00FF0000, 0x000000FF};  // bottom row red, top row blue
    Canvas c(1, 2);
    EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 1, 2, 0, 0, 0, 2, bits, &info, DIB_RGB_COLORS), 2);
    EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(0, 1), kRed);
}

TEST(Screen, DisplayDCDrawsOnTheDesktopSurfaceAndResets) {
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetPixel(screen, 5, 5), RGB(0, 128, 128));
    SetPixel(screen, 5, 5, kRed);
    HDC other = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(GetPixel(other, 5, 5), kRed);
    EXPECT_EQ(GetPixel(other, 1024, 0), CLR_INVALID);
    RECT box;
    GetClipBox(other, &box);
    EXPECT_EQ(box.right, 1024);
    EXPECT_EQ(box.bottom, 768);
    DeleteDC(other);
    DeleteDC(screen);
    EXPECT_EQ(CreateDC("PRINTER", nullptr, nullptr, nullptr), nullptr);
    win32::testing::ResetPlatform();
    HDC fresh = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(GetPixel(fresh, 5, 5), RGB(0, 128, 128));
    DeleteDC(fresh);
}

TEST(Coordinates, WindowAndViewportOriginsCombine) {
    Canvas c(10, 10);
    SetWindowOrgEx(c.dc(), 10, 10, nullptr);
    SetViewportOrgEx(c.dc(), 2, 3, nullptr);
    POINT p[2] = {{10, 10}, {12, 11}};
    LPtoDP(c.dc(), p, 2);
    EXPECT_EQ(p[0].x, 2);
    EXPECT_EQ(p[0].y, 3);
    EXPECT_EQ(p[1].x, 4);
    DPtoLP(c.dc(), p, 2);
    EXPECT_EQ(p[1].y, 11);
    POINT previous;
    OffsetViewportOrgEx(c.dc(), 1, 1, &previous);
    EXPECT_EQ(previous.x, 2);
    SetPixel(c.dc(), 10, 10, kRed);
    SetWindowOrgEx(c.dc(), 0, 0, nullptr);
    SetViewportOrgEx(c.dc(), 0, 0, nullptr);
    EXPECT_EQ(c.At(3, 4), kRed);
    EXPECT_EQ(SetMapMode(c.dc(), 2), 0);
    EXPECT_EQ(GetMapMode(c.dc()), MM_TEXT);
}

TEST(Pens, InsideFrameStaysInsideTheRectangle) {
    Canvas c(10, 10);
    HPEN pen = CreatePen(PS_INSIDEFRAME, 3, kBlack);
    SelectObject(c.dc(), pen);
    SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
    Rectangle(c.dc(), 1, 1, 9, 9);
    EXPECT_EQ(c.Row(0), "..........");
    EXPECT_EQ(c.Row(1), ".########.");
    EXPECT_EQ(c.Row(3), ".########.");
    EXPECT_EQ(c.Row(4), ".###..###.");
    EXPECT_EQ(c.Row(9), "..........");
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Pens, WideRectangleOutlineIsCentredOnTheEdge) {
    Canvas c(12, 12);
    HPEN pen = CreatePen(PS_SOLID, 3, kBlack);
    SelectObject(c.dc(), pen);
    SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
    Rectangle(c.dc(), 2, 2, 10, 10);
    EXPECT_EQ(c.At(1, 5), kBlack);
    EXPECT_EQ(c.At(3, 5), kBlack);
    EXPECT_EQ(c.At(4, 5), kWhite);
    EXPECT_EQ(c.At(10, 5), kBlack);
    EXPECT_EQ(c.At(11, 5), kWhite);
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(Pens, InvalidStylesAndWideDashesBecomeSolid) {
    EXPECT_EQ(CreatePen(42, 1, kBlack), nullptr);
    EXPECT_EQ(CreateHatchBrush(9, kBlack), nullptr);
    LOGBRUSH bad{77, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&bad), nullptr);
    HPEN wide = CreatePen(PS_DASH, 2, kBlack);
    LOGPEN lp{};
    GetObject(wide, sizeof lp, &lp);
    EXPECT_EQ(lp.lopnStyle & PS_STYLE_MASK, PS_SOLID);
    DeleteObject(wide);
}

TEST(Shapes, ArcDrawsOnlyTheOutlineBetweenItsRadials) {
    Canvas c(20, 20);
    // From 12 o'clock counterclockwise to 6 o'clock: the left half of the outline.
    Arc(c.dc(), 0, 0, 20, 20, 10, 0, 10, 20);
    EXPECT_EQ(c.At(0, 9), kBlack);
    EXPECT_EQ(c.At(19, 9), kWhite);
    EXPECT_EQ(c.At(5, 9), kWhite);
}

TEST(Shapes, PatBltAndFillRgnUseTheBrushOrigin) {
    Canvas c(8, 2);
    HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, kBlack);
    SelectObject(c.dc(), hatch);
    SetBrushOrgEx(c.dc(), 2, 0, nullptr);
    PatBlt(c.dc(), 0, 0, 8, 1, PATCOPY);
    EXPECT_EQ(c.Row(0), "..#.....");
    HRGN region = CreateRectRgn(0, 1, 8, 2);
    SetBrushOrgEx(c.dc(), 5, 0, nullptr);
    FillRgn(c.dc(), region, hatch);
    EXPECT_EQ(c.Row(1), ".....#..");
    SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(region);
    DeleteObject(hatch);
}

TEST(FrameControls, RadioButtonCheckedHasADot) {
    Canvas c(12, 12);
    c.Clear(RGB(192, 192, 192));
    RECT r{0, 0, 12, 12};
    DrawFrameControl(c.dc(), &r, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(0, 0), RGB(192, 192, 192));  // corners untouched
    EXPECT_EQ(c.At(5, 0), RGB(128, 128, 128));  // upper ring in shadow
    EXPECT_EQ(c.At(5, 11), kWhite);             // lower ring in highlight
    DrawFrameControl(c.dc(), &r, DFC_BUTTON, DFCS_BUTTONRADIO);
    EXPECT_EQ(c.At(5, 5), kWhite);
}

TEST(FrameControls, CaptionButtonsAndPushedPushButton) {
    Canvas c(16, 14);
    RECT r{0, 0, 16, 14};
    DrawFrameControl(c.dc(), &r, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    int ink = 0;
    for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 14; ++x)
            ink += c.At(x, y) == kBlack;
    EXPECT_GT(ink, 8);
    DrawFrameControl(c.dc(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED | DFCS_ADJUSTRECT);
    EXPECT_EQ(c.At(0, 5), RGB(128, 128, 128));
    EXPECT_EQ(c.At(15, 5), kWhite);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.right, 14);
}

TEST(Lifetimes, DrawingLeavesNoObjectsBehind) {
    Canvas c(32, 32);
    HICON warning = LoadIcon(nullptr, IDI_WARNING);  // stock icons are made once, on first use
    size_t before = win32::testing::GdiObjectCount();
    DrawIconEx(c.dc(), 0, 0, warning, 16, 16, 0, nullptr, DI_NORMAL);
    RECT r{0, 0, 32, 32};
    DrawFrameControl(c.dc(), &r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE);
    DrawEdge(c.dc(), &r, EDGE_BUMP, BF_RECT | BF_MIDDLE);
    StretchBlt(c.dc(), 0, 0, 32, 32, c.dc(), 0, 0, 16, 16, SRCCOPY);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    uint32_t pixel = 0;
    StretchDIBits(c.dc(), 0, 0, 4, 4, 0, 0, 1, 1, &pixel, &info, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(win32::testing::GdiObjectCount(), before);
}

TEST(Lifetimes, BitmapSelectedIntoTwoDCsIsRefused) {
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
    EXPECT_NE(SelectObject(a, bitmap), nullptr);
    EXPECT_EQ(SelectObject(b, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap));
    DeleteDC(a);  // deleting the DC releases the bitmap
    EXPECT_NE(SelectObject(b, bitmap), nullptr);
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(SelectObject(screen, bitmap), nullptr);  // only memory DCs hold bitmaps
    DeleteDC(screen);
    DeleteDC(b);
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(MaskBlt, BackgroundOperationWhereTheMaskIsClear) {
    Canvas src(2, 1);
    src.Clear(kRed);
    uint8_t bits[2] = {0x80, 0};
    HBITMAP mask = CreateBitmap(2, 1, 1, 1, bits);
    Canvas dest(2, 1);
    dest.Clear(RGB(0, 0, 255));
    MaskBlt(dest.dc(), 0, 0, 2, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
    EXPECT_EQ(dest.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(dest.At(1, 0), kRed);
    Canvas colourMask(2, 1);
    EXPECT_FALSE(MaskBlt(dest.dc(), 0, 0, 2, 1, src.dc(), 0, 0, colourMask.bitmap(), 0, 0, SRCCOPY));
    DeleteObject(mask);
}

}  // namespace
