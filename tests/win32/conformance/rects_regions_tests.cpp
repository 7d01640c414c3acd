// Rectangle functions, FillRect's brush, clip regions and degenerate polygon regions, against the
// values of Wine's uitools and clipping tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/user.h"

namespace conf_rects_regions {

using namespace win32;

bool Equal(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

class ConfRectsRegions : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::ResetPlatform(); }
    void TearDown() override { win32::testing::ResetPlatform(); }
};

// Wine: test_SetRect
TEST_F(ConfRectsRegions, SetRectStoresTheCoordinatesAsGiven) {
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 0, 0));
    RECT rect;
    EXPECT_TRUE(SetRect(&rect, 1, 2, 3, 4));
    EXPECT_TRUE(Equal(rect, RECT{1, 2, 3, 4}));
    EXPECT_TRUE(SetRect(&rect, 10, 10, 5, 5));  // not normalised
    EXPECT_TRUE(Equal(rect, RECT{10, 10, 5, 5}));
}

// Wine: test_EqualRect
TEST_F(ConfRectsRegions, EqualRectComparesCoordinatesNotAreas) {
    const RECT zero{0, 0, 0, 0}, one{1, 1, 1, 1}, box{0, 0, 10, 10}, inverted{10, 10, 0, 0};
    EXPECT_FALSE(EqualRect(nullptr, nullptr));
    EXPECT_FALSE(EqualRect(&zero, nullptr));
    EXPECT_FALSE(EqualRect(nullptr, &one));
    EXPECT_FALSE(EqualRect(&zero, &one));  // both empty, still different
    EXPECT_FALSE(EqualRect(&box, &inverted));
    EXPECT_TRUE(EqualRect(&box, &box));
    const RECT copy = box;
    EXPECT_TRUE(EqualRect(&box, &copy));
}

// Wine: test_SubtractRect
TEST_F(ConfRectsRegions, SubtractRectLeavesWhatARectangleCanHold) {
    struct Case {
        RECT a, b;
        BOOL result;
        RECT expected;
    };
    const Case cases[] = {
        {{50, 50, 150, 100}, {250, 200, 1500, 1000}, TRUE, {50, 50, 150, 100}},             // apart
        {{2431, 626, 3427, 1608}, {2499, 626, 3427, 1608}, TRUE, {2431, 626, 2499, 1608}},  // cut off a side
        {{250, 250, 400, 500}, {50, 50, 1500, 1000}, FALSE, {0, 0, 0, 0}},                  // covered
    };
    for (const Case& c : cases) {
        RECT out{-1, -1, -1, -1};
        EXPECT_EQ(SubtractRect(&out, &c.a, &c.b), c.result);
        if (c.result) {
            EXPECT_TRUE(Equal(out, c.expected));
        }
        // The destination may be one of the sources.
        RECT second = c.b;
        EXPECT_EQ(SubtractRect(&second, &c.a, &second), c.result);
        if (c.result) {
            EXPECT_TRUE(Equal(second, c.expected));
        }
    }
}

// Wine: test_FillRect — a null brush paints with the brush selected into the DC.
TEST_F(ConfRectsRegions, FillRectWithoutABrushUsesTheSelectedOne) {
    const HDC dc = CreateCompatibleDC(nullptr);
    BYTE white[32 * 4];
    std::fill(std::begin(white), std::end(white), BYTE{0xFF});
    const HBITMAP bitmap = CreateBitmap(32, 32, 1, 1, white);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    ASSERT_NE(oldBitmap, nullptr);  // a memory DC always has a bitmap
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));

    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    RECT r{0, 0, 5, 5};
    EXPECT_TRUE(FillRect(dc, &r, nullptr));
    SelectObject(dc, oldBrush);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 4, 4), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));

    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Wine: test_GetClipRgn
TEST_F(ConfRectsRegions, GetClipRgnReportsWhetherAClipRegionIsSet) {
    EXPECT_EQ(GetClipRgn(nullptr, nullptr), -1);
    const HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetClipRgn(dc, nullptr), 0);  // no clip region: the missing target does not matter

    const HRGN empty = CreateRectRgn(100, 100, 100, 100);
    const HRGN target = CreateRectRgn(1, 2, 3, 4), untouched = CreateRectRgn(1, 2, 3, 4),
               reference = CreateRectRgn(1, 2, 3, 4);
    EXPECT_EQ(GetClipRgn(dc, target), 0);
    EXPECT_TRUE(EqualRgn(target, reference));  // left as it was

    EXPECT_EQ(SelectClipRgn(dc, empty), NULLREGION);
    EXPECT_EQ(GetClipRgn(dc, nullptr), -1);  // a clip region and nowhere to copy it
    EXPECT_EQ(GetClipRgn(dc, target), 1);
    EXPECT_TRUE(EqualRgn(empty, target));

    EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, nullptr), 0);
    EXPECT_EQ(GetClipRgn(dc, untouched), 0);
    EXPECT_TRUE(EqualRgn(untouched, reference));

    for (HRGN r : {empty, target, untouched, reference})
        DeleteObject(r);
    ReleaseDC(nullptr, dc);
}

// Wine: test_memory_dc_clipping — without a clip region, combining starts from the surface.
TEST_F(ConfRectsRegions, MemoryDcClipCombinesWithTheSurface) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HRGN empty = CreateRectRgn(0, 0, 0, 0), clip = CreateRectRgn(0, 0, 0, 0);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, 100, 100);
    RECT box;

    EXPECT_EQ(GetClipRgn(dc, clip), 0);
    EXPECT_EQ(ExtSelectClipRgn(dc, empty, RGN_DIFF), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, clip), 1);
    EXPECT_EQ(GetRgnBox(clip, &box), SIMPLEREGION);
    EXPECT_TRUE(Equal(box, RECT{0, 0, 1, 1}));  // the default 1 x 1 bitmap

    EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, clip), 0);
    EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_DIFF), ERROR);
    EXPECT_EQ(GetClipRgn(dc, clip), 0);

    const HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(ExtSelectClipRgn(dc, empty, RGN_DIFF), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, clip), 1);
    EXPECT_EQ(GetRgnBox(clip, &box), SIMPLEREGION);
    EXPECT_TRUE(Equal(box, RECT{0, 0, 100, 100}));

    RECT probe{10, 10, 20, 20}, inverted{20, 20, 10, 10};
    EXPECT_TRUE(RectVisible(dc, &probe));
    EXPECT_TRUE(RectVisible(dc, &inverted));  // order of the corners does not matter

    EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_DIFF), ERROR);  // fails and keeps the clip
    EXPECT_EQ(GetClipRgn(dc, clip), 1);
    EXPECT_EQ(GetRgnBox(clip, &box), SIMPLEREGION);
    EXPECT_TRUE(Equal(box, RECT{0, 0, 100, 100}));

    SelectObject(dc, old);
    DeleteDC(dc);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(empty), static_cast<HGDIOBJ>(clip), static_cast<HGDIOBJ>(bitmap)})
        DeleteObject(o);
}

// Wine: test_window_dc_clipping — the screen's window DC starts from the whole screen.
TEST_F(ConfRectsRegions, ScreenDcClipCombinesWithTheScreen) {
    const HDC dc = GetWindowDC(nullptr);
    ASSERT_NE(dc, nullptr);
    const HRGN empty = CreateRectRgn(0, 0, 0, 0), clip = CreateRectRgn(0, 0, 0, 0);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT box;

    EXPECT_EQ(GetClipRgn(dc, clip), 0);
    EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_DIFF), ERROR);
    EXPECT_EQ(GetClipRgn(dc, clip), 0);
    EXPECT_EQ(ExtSelectClipRgn(dc, empty, RGN_DIFF), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, clip), 1);
    EXPECT_EQ(GetRgnBox(clip, &box), SIMPLEREGION);
    EXPECT_TRUE(Equal(box, screen));
    RECT probe{10, 10, 20, 20}, inverted{20, 20, 10, 10};
    EXPECT_TRUE(RectVisible(dc, &probe));
    EXPECT_TRUE(RectVisible(dc, &inverted));
    EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(dc, clip), 0);

    DeleteObject(empty);
    DeleteObject(clip);
    ReleaseDC(nullptr, dc);
}

// Wine: test_CreatePolyPolygonRgn — polygons of points and lines make an empty region, not none.
TEST_F(ConfRectsRegions, DegeneratePolygonsMakeEmptyRegions) {
    const POINT zero[] = {{0, 0}, {0, 0}, {0, 0}};
    const POINT six[] = {{6, 6}, {6, 6}, {6, 6}};
    const POINT line[] = {{1, 0}, {11, 0}, {21, 0}};
    const POINT mixed[] = {{0, 0}, {0, 0}, {0, 0}, {6, 6}, {6, 6}, {6, 6}};
    const INT one[] = {3}, two[] = {3, 3};
    struct Case {
        const POINT* points;
        const INT* counts;
        int polygons;
    };
    for (const Case& c : {Case{zero, one, 1}, Case{six, one, 1}, Case{line, one, 1}, Case{mixed, two, 2}}) {
        const HRGN region = CreatePolyPolygonRgn(c.points, c.counts, c.polygons, ALTERNATE);
        ASSERT_NE(region, nullptr);
        RECT box;
        EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
        DeleteObject(region);
    }
}

}  // namespace conf_rects_regions
