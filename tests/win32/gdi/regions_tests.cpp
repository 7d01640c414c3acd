// Regions: combination results and shapes, clipping through regions, painting regions, rectangles.
#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "gdi_test_support.h"

namespace {

using namespace win32;
using gditest::Canvas;

std::vector<RECT> Rects(HRGN region) {
    std::vector<char> buffer(GetRegionData(region, 0, nullptr));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    GetRegionData(region, static_cast<DWORD>(buffer.size()), data);
    const RECT* first = reinterpret_cast<const RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
    return std::vector<RECT>(first, first + data->rdh.nCount);
}

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

TEST(Regions, CombineReturnsTheRegionKind) {
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
    RECT box;
    GetRgnBox(d, &box);
    EXPECT_TRUE(Same(box, RECT{5, 5, 10, 10}));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(Rects(d).size(), 3u);  // three bands
    EXPECT_EQ(CombineRgn(d, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(d, 7, 7));
    EXPECT_TRUE(PtInRegion(d, 12, 12));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(d, 2, 7));
    EXPECT_FALSE(PtInRegion(d, 7, 7));
    EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(d, b, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(d, b));
    EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_AND), ERROR);
    for (HRGN r : {a, b, d})
        DeleteObject(r);
}

TEST(Regions, BandsAreCoalescedSoEqualShapesCompareEqual) {
    HRGN left = CreateRectRgn(0, 0, 5, 10), right = CreateRectRgn(5, 0, 10, 10),
         whole = CreateRectRgn(0, 0, 10, 10);
    HRGN joined = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(joined, left, right, RGN_OR), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(joined, whole));
    HRGN top = CreateRectRgn(0, 0, 10, 4), bottom = CreateRectRgn(0, 4, 10, 10);
    EXPECT_EQ(CombineRgn(joined, top, bottom, RGN_OR), SIMPLEREGION);
    for (HRGN r : {left, right, whole, joined, top, bottom})
        DeleteObject(r);
}

// Random shapes built by every combination mode agree pixel for pixel with the same operations on
// a grid, and stay in banded form: rows of equal top and bottom, sorted, neither touching nor
// overlapping, and no two adjacent bands with the same spans (so equal shapes compare equal).
TEST(Regions, RandomCombinationsMatchAPixelGridAndStayBanded) {
    constexpr int kSize = 24;
    using Grid = std::array<std::array<bool, kSize>, kSize>;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> coordinate(0, kSize);
    const auto randomRegion = [&](Grid& grid) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        grid = Grid{};
        for (int n = random() % 4; n >= 0; --n) {
            int x0 = coordinate(random), x1 = coordinate(random), y0 = coordinate(random),
                y1 = coordinate(random);
            HRGN rect = CreateRectRgn(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
            CombineRgn(region, region, rect, RGN_OR);
            DeleteObject(rect);
            for (int y = std::min(y0, y1); y < std::max(y0, y1); ++y)
                for (int x = std::min(x0, x1); x < std::max(x0, x1); ++x)
                    grid[y][x] = true;
        }
        return region;
    };
    for (int round = 0; round < 300; ++round) {
        Grid ga, gb;
        HRGN a = randomRegion(ga), b = randomRegion(gb), out = CreateRectRgn(0, 0, 0, 0);
        for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
            SCOPED_TRACE("round " + std::to_string(round) + " mode " + std::to_string(mode));
            CombineRgn(out, a, b, mode);
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x) {
                    const bool inA = ga[y][x], inB = gb[y][x];
                    const bool expected = mode == RGN_AND   ? inA && inB
                                          : mode == RGN_OR  ? inA || inB
                                          : mode == RGN_XOR ? inA != inB
                                                            : inA && !inB;
                    ASSERT_EQ(PtInRegion(out, x, y) != FALSE, expected) << x << "," << y;
                }
            const std::vector<RECT> rects = Rects(out);
            for (size_t i = 1; i < rects.size(); ++i) {
                const RECT &p = rects[i - 1], &r = rects[i];
                if (r.top == p.top) {
                    ASSERT_EQ(r.bottom, p.bottom);
                    ASSERT_GT(r.left, p.right);  // sorted, apart
                } else {
                    ASSERT_GE(r.top, p.bottom);
                }
            }
            for (size_t first = 0, next = 0; first < rects.size(); first = next) {
                next = first;
                while (next < rects.size() && rects[next].top == rects[first].top)
                    ++next;
                size_t after = next;
                while (after < rects.size() && rects[after].top == rects[next < rects.size() ? next : 0].top)
                    ++after;
                if (next == rects.size() || rects[next].top != rects[first].bottom ||
                    after - next != next - first)
                    continue;
                bool same = true;
                for (size_t i = 0; i < next - first; ++i)
                    same = same && rects[first + i].left == rects[next + i].left &&
                           rects[first + i].right == rects[next + i].right;
                ASSERT_FALSE(same) << "bands at " << rects[first].top << " and " << rects[next].top;
            }
        }
        for (HRGN r : {a, b, out})
            DeleteObject(r);
    }
}

TEST(Regions, OffsetRectInRegionAndRegionData) {
    HRGN r = CreateRectRgn(0, 0, 4, 4);
    OffsetRgn(r, 10, 20);
    RECT probe{13, 23, 20, 30}, miss{0, 0, 10, 20};
    EXPECT_TRUE(RectInRegion(r, &probe));
    EXPECT_FALSE(RectInRegion(r, &miss));
    DWORD size = GetRegionData(r, 0, nullptr);
    std::vector<char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    EXPECT_EQ(GetRegionData(r, size, data), size);
    EXPECT_EQ(data->rdh.nCount, 1u);
    EXPECT_TRUE(Same(data->rdh.rcBound, RECT{10, 20, 14, 24}));
    SetRectRgn(r, 1, 1, 2, 2);
    EXPECT_TRUE(PtInRegion(r, 1, 1));
    EXPECT_FALSE(PtInRegion(r, 2, 1));
    DeleteObject(r);
}

TEST(Regions, EllipticAndPolygonRegionsMatchTheDrawnShapes) {
    Canvas c(12, 12);
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    Ellipse(c.dc(), 1, 1, 11, 11);
    HRGN ellipse = CreateEllipticRgn(1, 1, 11, 11);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(PtInRegion(ellipse, x, y) != FALSE, c.At(x, y) == RGB(0, 0, 0)) << x << "," << y;
    POINT triangle[3] = {{0, 0}, {8, 0}, {0, 8}};
    HRGN poly = CreatePolygonRgn(triangle, 3, ALTERNATE);
    EXPECT_TRUE(PtInRegion(poly, 0, 0));
    EXPECT_TRUE(PtInRegion(poly, 3, 3));
    EXPECT_FALSE(PtInRegion(poly, 5, 5));
    EXPECT_FALSE(PtInRegion(poly, 8, 0));
    HRGN round = CreateRoundRectRgn(0, 0, 10, 10, 4, 4);
    EXPECT_FALSE(PtInRegion(round, 0, 0));
    EXPECT_TRUE(PtInRegion(round, 5, 0));
    for (HRGN r : {ellipse, poly, round})
        DeleteObject(r);
}

TEST(Clipping, SelectClipRgnIsInDeviceCoordinates) {
    Canvas c(10, 10);
    HRGN clip = CreateRectRgn(2, 2, 5, 5);
    EXPECT_EQ(SelectClipRgn(c.dc(), clip), SIMPLEREGION);
    DeleteObject(clip);  // the DC keeps its own copy
    SetWindowOrgEx(c.dc(), 1, 1, nullptr);
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
    EXPECT_TRUE(Same(box, RECT{3, 3, 6, 6}));
    RECT all{0, 0, 20, 20};
    FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.At(2, 2) /* logical (2,2) = device (1,1) */, CLR_INVALID);
    SelectClipRgn(c.dc(), nullptr);
    EXPECT_EQ(GetPixel(c.dc(), 3, 3), RGB(0, 0, 0));        // device (2,2)
    EXPECT_EQ(GetPixel(c.dc(), 2, 2), RGB(255, 255, 255));  // device (1,1)
    EXPECT_EQ(GetPixel(c.dc(), 6, 6), RGB(255, 255, 255));  // device (5,5)
}

TEST(Clipping, ExcludeAndIntersectBuildComplexClips) {
    Canvas c(6, 3);
    IntersectClipRect(c.dc(), 1, 0, 5, 3);
    ExcludeClipRect(c.dc(), 2, 0, 4, 3);
    RECT all{0, 0, 6, 3};
    FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(c.dc(), nullptr);
    EXPECT_EQ(c.Row(1), ".#..#.");
    HRGN got = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(c.dc(), got), 0);
    IntersectClipRect(c.dc(), 0, 0, 2, 2);
    EXPECT_EQ(GetClipRgn(c.dc(), got), 1);
    RECT box;
    GetRgnBox(got, &box);
    EXPECT_TRUE(Same(box, RECT{0, 0, 2, 2}));
    EXPECT_TRUE(PtVisible(c.dc(), 1, 1));
    EXPECT_FALSE(PtVisible(c.dc(), 2, 1));
    RECT visible{1, 1, 5, 5}, hidden{3, 0, 5, 2};
    EXPECT_TRUE(RectVisible(c.dc(), &visible));
    EXPECT_FALSE(RectVisible(c.dc(), &hidden));
    DeleteObject(got);
}

TEST(Clipping, SelectObjectOfARegionClips) {
    Canvas c(4, 1);
    HRGN clip = CreateRectRgn(1, 0, 2, 1);
    SelectObject(c.dc(), clip);
    RECT all{0, 0, 4, 1};
    FillRect(c.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(c.dc(), nullptr);
    EXPECT_EQ(c.Row(0), ".#..");
    EXPECT_TRUE(DeleteObject(clip));
}

TEST(Regions, PaintingRegions) {
    Canvas c(6, 6);
    HRGN r = CreateRectRgn(1, 1, 5, 5);
    FrameRgn(c.dc(), r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
    EXPECT_EQ(c.Row(1), ".####.");
    EXPECT_EQ(c.Row(2), ".#..#.");
    InvertRgn(c.dc(), r);
    EXPECT_EQ(c.Row(2), "..##..");
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    SetViewportOrgEx(c.dc(), -1, -1, nullptr);
    PaintRgn(c.dc(), r);  // logical (1,1) is device (0,0)
    SetViewportOrgEx(c.dc(), 0, 0, nullptr);
    EXPECT_EQ(c.Row(0), "####..");
    DeleteObject(r);
}

TEST(Rects, Helpers) {
    RECT a{0, 0, 10, 10}, b{5, 5, 15, 15}, out;
    EXPECT_TRUE(IntersectRect(&out, &a, &b));
    EXPECT_TRUE(Same(out, RECT{5, 5, 10, 10}));
    RECT far{20, 20, 30, 30};
    EXPECT_FALSE(IntersectRect(&out, &a, &far));
    EXPECT_TRUE(IsRectEmpty(&out));
    EXPECT_TRUE(UnionRect(&out, &a, &b));
    EXPECT_TRUE(Same(out, RECT{0, 0, 15, 15}));
    RECT cut{0, 0, 4, 10};
    EXPECT_TRUE(SubtractRect(&out, &a, &cut));
    EXPECT_TRUE(Same(out, RECT{4, 0, 10, 10}));
    EXPECT_TRUE(SubtractRect(&out, &a, &b));  // not a whole side: unchanged
    EXPECT_TRUE(Same(out, a));
    InflateRect(&out, 1, 2);
    EXPECT_TRUE(Same(out, RECT{-1, -2, 11, 12}));
    OffsetRect(&out, 1, 2);
    EXPECT_TRUE(Same(out, RECT{0, 0, 12, 14}));
    EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
}

}  // namespace
