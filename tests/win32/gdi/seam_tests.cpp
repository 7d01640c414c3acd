// What the text engine and the window manager use of the device contexts: screen DCs with their
// origin and visible part, glyph masks and opaque rectangles through the clip, region rectangles.
#include "../../../win32/src/gdi/dc_internal.h"
#include "gdi_test_support.h"

namespace {

using namespace win32;
using gditest::Canvas;

using gditest::kRed;
constexpr COLORREF kDesktop = RGB(0, 128, 128);

TEST(ScreenDC, OriginAndVisiblePartInScreenCoordinates) {
    win32::testing::ResetPlatform();
    HDC window = gdi::CreateScreenDC(POINT{100, 50}, {RECT{100, 50, 110, 60}, RECT{110, 50, 120, 55}});
    ASSERT_NE(window, nullptr);
    RECT all{0, 0, 40, 40};
    HBRUSH red = CreateSolidBrush(kRed);
    FillRect(window, &all, red);
    DeleteObject(red);
    RECT box;
    EXPECT_EQ(GetClipBox(window, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(box.bottom, 10);
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(GetPixel(screen, 100, 50), kRed);
    EXPECT_EQ(GetPixel(screen, 119, 54), kRed);
    EXPECT_EQ(GetPixel(screen, 119, 55), kDesktop);  // outside the visible part
    EXPECT_EQ(GetPixel(screen, 99, 50), kDesktop);
    EXPECT_TRUE(gdi::SetScreenDCVisible(window, POINT{0, 0}, {RECT{0, 0, 2, 2}}));
    SetPixel(window, 1, 1, kRed);
    EXPECT_EQ(GetPixel(screen, 1, 1), kRed);
    EXPECT_TRUE(DeleteDC(window));
    EXPECT_EQ(gdi::LookupDC(window), nullptr);
    DeleteDC(screen);
}

TEST(ScreenDC, ResizingTheScreenKeepsLiveDCsUsable) {
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    gdi::ResizeScreenSurface(300, 200);
    EXPECT_EQ(gdi::ScreenSize().cx, 300);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 300);
    EXPECT_EQ(GetPixel(screen, 299, 199), kDesktop);
    EXPECT_EQ(GetPixel(screen, 300, 0), CLR_INVALID);
    DeleteDC(screen);
    win32::testing::ResetPlatform();
    EXPECT_EQ(gdi::ScreenSize().cx, 1024);
}

TEST(TextSeam, MonoMaskHonoursClipAndExtraClip) {
    Canvas c(8, 2);
    gdi::DeviceContext* dc = gdi::LookupDC(c.dc());
    ASSERT_NE(dc, nullptr);
    const uint8_t glyph[2] = {0xF0, 0x0F};  // row 0: columns 0-3, row 1: columns 4-7
    ExcludeClipRect(c.dc(), 0, 0, 1, 1);
    gdi::FillMonoMask(*dc, 0, 0, glyph, 8, 2, 1, kRed);
    SelectClipRgn(c.dc(), nullptr);
    EXPECT_EQ(c.Row(0, kRed), ".###....");
    EXPECT_EQ(c.Row(1, kRed), "....####");
    Canvas d(8, 2);
    gdi::DeviceContext* other = gdi::LookupDC(d.dc());
    RECT extra{5, 0, 7, 2};
    gdi::FillMonoMask(*other, 0, 0, glyph, 8, 2, 1, kRed, &extra);
    EXPECT_EQ(d.Row(1, kRed), ".....##.");
    EXPECT_EQ(d.Row(0, kRed), "........");
    gdi::FillMonoMask(*other, -100000, 5, glyph, 8, 2, 1, kRed);  // entirely outside: nothing happens
}

TEST(TextSeam, DeviceRectAndStateTheTextEngineReads) {
    Canvas c(6, 3);
    SetViewportOrgEx(c.dc(), 1, 0, nullptr);
    gdi::DeviceContext* dc = gdi::LookupDC(c.dc());
    gdi::FillDeviceRect(*dc, RECT{1, 1, 3, 2}, kRed);  // device coordinates: no origin applied
    SetViewportOrgEx(c.dc(), 0, 0, nullptr);
    EXPECT_EQ(c.Row(1, kRed), ".##...");
    HFONT font = CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(c.dc(), font);
    EXPECT_STREQ(dc->logFont.lfFaceName, "Arial");
    EXPECT_EQ(dc->logFont.lfHeight, -13);
    SetTextAlign(c.dc(), TA_BASELINE | TA_CENTER);
    EXPECT_EQ(dc->textAlign, TA_BASELINE | TA_CENTER);
    EXPECT_EQ(dc->logPixelsY, 96);
    SelectObject(c.dc(), old);
    LOGFONT lf{};
    EXPECT_TRUE(gdi::FontLogFont(font, &lf));
    DeleteObject(font);
    EXPECT_FALSE(gdi::FontLogFont(font, &lf));
}

TEST(RegionSeam, RectanglesOfWindowRegions) {
    HRGN region = gdi::CreateRegionFromRects({RECT{0, 0, 10, 10}, RECT{5, 5, 15, 15}});
    std::vector<RECT> rects = gdi::RegionRects(region);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[1].left, 0);
    EXPECT_EQ(rects[1].right, 15);
    EXPECT_NE(gdi::LookupRegion(region), nullptr);
    DeleteObject(region);
    EXPECT_TRUE(gdi::RegionRects(region).empty());
    EXPECT_EQ(gdi::LookupRegion(region), nullptr);
}

}  // namespace
