#include <vector>

#include "lumaro/zylenhanced.h"
#include "painting.h"

namespace {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;

constexpr TColor kFrameHighlight = clRed, kFrameShadow = clBlue, kSolid = clGreen;

struct Ring {
    TColor topLeft, bottomRight;  // clNone leaves those sides out
};

// The rings each style is made of, outermost first, written out from the style table.
std::vector<Ring> RingsOf(TZylFrameStyle style, int width) {
    std::vector<Ring> passes;
    switch (style) {
        case frameSolid:
            passes = {{kSolid, kSolid}};
            break;
        case frameRaised:
            passes = {{kFrameHighlight, kFrameShadow}};
            break;
        case frameLowered:
            passes = {{kFrameShadow, kFrameHighlight}};
            break;
        case frameNone:
            break;
        case frameFramedUp:
            passes = {{kFrameHighlight, kFrameShadow}, {kFrameShadow, kFrameHighlight}};
            break;
        case frameFramedDown:
            passes = {{kFrameShadow, kFrameHighlight}, {kFrameHighlight, kFrameShadow}};
            break;
        case framePanelUp:
            passes = {{kFrameHighlight, clBlack}, {clNone, kFrameShadow}};
            break;
        case framePanelDown:
            passes = {{kFrameShadow, clNone}, {clBlack, kFrameHighlight}};
            break;
        case frameLightBordered:
            passes = {{clNone, kFrameShadow}, {kFrameHighlight, kFrameHighlight}};
            break;
    }
    std::vector<Ring> rings;
    for (const Ring& pass : passes)
        for (int i = 0; i < width; ++i)
            rings.push_back(pass);
    return rings;
}

// The colour GDI leaves at (x, y) of a size x size square after the rings are drawn as lines:
// left edge bottom-up without its top end, top edge without its right end, right edge top-down
// without its bottom end, bottom edge right to left including its left end, in that order.
TColor Expected(const std::vector<Ring>& rings, TZylFrameEdges edges, int size, int x, int y) {
    const int k = std::min(std::min(x, y), std::min(size - 1 - x, size - 1 - y));
    if (k >= static_cast<int>(rings.size())) return kGround;
    const int l = k, t = k, r = size - 1 - k, b = size - 1 - k;
    const Ring ring = rings[static_cast<size_t>(k)];
    TColor colour = kGround;
    if (ring.topLeft != clNone) {
        if (edges.Contains(EdgeLeft) && x == l && y > t && y <= b) colour = ring.topLeft;
        if (edges.Contains(EdgeTop) && y == t && x >= l && x < r) colour = ring.topLeft;
    }
    if (ring.bottomRight != clNone) {
        if (edges.Contains(EdgeRight) && x == r && y >= t && y < b) colour = ring.bottomRight;
        if (edges.Contains(EdgeBottom) && y == b && x >= l && x <= r) colour = ring.bottomRight;
    }
    return colour;
}

class FrameTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        frame.SetHighlight(kFrameHighlight);
        frame.SetShadow(kFrameShadow);
        frame.SetSolid(kSolid);
    }

    // Draws the frame on a 12 x 12 square and checks every pixel and the returned rectangle.
    void CheckFrame(TZylFrameStyle style, int width, TZylFrameEdges edges) {
        SCOPED_TRACE(std::string(EnumName(style)) + " width " + std::to_string(width));
        frame.SetFrameStyle(style);
        frame.SetFrameWidth(static_cast<Byte>(width));
        frame.SetEdges(edges);
        auto surface = Surface(kSize, kSize);
        TRect rect = Rect(0, 0, kSize, kSize);
        frame.Draw(surface->Canvas()->Handle(), rect);
        const int inset = frame.Calcwidth();
        EXPECT_EQ(rect.left, inset);
        EXPECT_EQ(rect.top, inset);
        EXPECT_EQ(rect.right, kSize - inset);
        EXPECT_EQ(rect.bottom, kSize - inset);
        const auto rings = RingsOf(style, width);
        int wrong = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const auto want = ColorToRGB(Expected(rings, edges, kSize, x, y));
                if (At(surface.get(), x, y) != want && ++wrong <= 5)
                    ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex
                                  << At(surface.get(), x, y) << ", want " << want;
            }
    }

    static constexpr int kSize = 12;
    TZylFrame frame;
};

TEST_F(FrameTest, EveryStyleAtWidthsOneAndTwoDrawsItsRingsAndReturnsTheInnerRectangle) {
    for (int style = 0; style <= static_cast<int>(frameLightBordered); ++style)
        for (int width = 1; width <= 2; ++width)
            CheckFrame(static_cast<TZylFrameStyle>(style), width, kAllFrameEdges);
}

TEST_F(FrameTest, PartialEdgesDrawOnlyTheirSidesYetShrinkAllFour) {
    const TZylFrameEdges cases[] = {{EdgeLeft}, {EdgeTop, EdgeRight}, {EdgeBottom}, {EdgeLeft, EdgeBottom}};
    for (const auto& edges : cases) {
        CheckFrame(frameFramedUp, 2, edges);
        CheckFrame(framePanelDown, 1, edges);
    }
}

TEST_F(FrameTest, EmptyEdgesDrawNothingButStillShrink) {
    frame.SetFrameStyle(frameFramedUp);
    frame.SetFrameWidth(2);
    frame.SetEdges({});
    auto surface = Surface(kSize, kSize);
    TRect rect = Rect(0, 0, kSize, kSize);
    frame.Draw(surface->Canvas()->Handle(), rect);
    EXPECT_EQ(rect.left, 4);
    EXPECT_EQ(rect.top, 4);
    EXPECT_EQ(rect.right, kSize - 4);
    EXPECT_EQ(rect.bottom, kSize - 4);
    auto blank = Surface(kSize, kSize);
    EXPECT_EQ(Differences(surface.get(), blank.get()), "");
    const TRect points = frame.GetEdgePoints();
    EXPECT_EQ(points.left + points.top + points.right + points.bottom, 0);
}

TEST_F(FrameTest, CalcwidthAndEdgePointsFollowTheStyle) {
    struct Case {
        TZylFrameStyle style;
        int widthOne, widthThree;
    };
    const Case cases[] = {{frameSolid, 1, 3},   {frameRaised, 1, 3},    {frameLowered, 1, 3},
                          {frameNone, 0, 0},    {frameFramedUp, 2, 6},  {frameFramedDown, 2, 6},
                          {framePanelUp, 2, 6}, {framePanelDown, 2, 6}, {frameLightBordered, 2, 6}};
    for (const Case& c : cases) {
        frame.SetFrameStyle(c.style);
        frame.SetFrameWidth(1);
        EXPECT_EQ(frame.Calcwidth(), c.widthOne) << EnumName(c.style);
        frame.SetFrameWidth(3);
        EXPECT_EQ(frame.Calcwidth(), c.widthThree) << EnumName(c.style);
    }
    frame.SetFrameStyle(frameFramedDown);
    frame.SetEdges({EdgeRight, EdgeTop});
    const TRect points = frame.GetEdgePoints();
    EXPECT_EQ(points.left, 0);
    EXPECT_EQ(points.top, 6);
    EXPECT_EQ(points.right, 6);
    EXPECT_EQ(points.bottom, 0);
}

TEST_F(FrameTest, DrawLeavesTheDeviceContextsPenAndMode) {
    auto surface = Surface(kSize, kSize);
    const win32::HDC dc = surface->Canvas()->Handle();
    const win32::HPEN own = win32::CreatePen(win32::PS_SOLID, 3, 0x123456);
    const win32::HGDIOBJ before = win32::SelectObject(dc, own);
    win32::SetROP2(dc, win32::R2_XORPEN);
    frame.SetFrameStyle(frameFramedUp);
    TRect rect = Rect(0, 0, kSize, kSize);
    frame.Draw(dc, rect);
    EXPECT_EQ(win32::GetCurrentObject(dc, win32::OBJ_PEN), own);
    EXPECT_EQ(win32::SetROP2(dc, win32::R2_COPYPEN), win32::R2_XORPEN);
    win32::SelectObject(dc, before);
    win32::DeleteObject(own);
}

TEST_F(FrameTest, DrawbuttonDrawsTwoRingsWhateverTheFrameWidth) {
    frame.SetFrameWidth(3);
    for (bool down : {false, true}) {
        SCOPED_TRACE(down ? "down" : "up");
        auto surface = Surface(kSize, kSize);
        TRect rect = Rect(0, 0, kSize, kSize);
        frame.Drawbutton(surface->Canvas(), rect, down);
        EXPECT_EQ(rect.left, 2);
        EXPECT_EQ(rect.top, 2);
        EXPECT_EQ(rect.right, kSize - 2);
        EXPECT_EQ(rect.bottom, kSize - 2);
        const std::vector<Ring> rings =
            down ? std::vector<Ring>{{kFrameShadow, kFrameHighlight}, {clBlack, clWhite}}
                 : std::vector<Ring>{{clWhite, clBlack}, {kFrameHighlight, kFrameShadow}};
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                ASSERT_EQ(At(surface.get(), x, y), ColorToRGB(Expected(rings, kAllFrameEdges, kSize, x, y)))
                    << "(" << x << "," << y << ")";
    }
}

// ZylDrawButtonFrame: kinds 1 and 2 draw on a rectangle one smaller, so the last column and row
// stay untouched.
TEST_F(FrameTest, ButtonFrameKindsDrawOneToThreeRings) {
    const Ring p1Up{clSilver, clBlack}, p2Up{clWhite, clGray}, p3Up{clBtnHighlight, clBtnShadow};
    const Ring p1Down{clBlack, clSilver}, p2Down{clGray, clWhite}, p3Down{clBtnShadow, clBtnHighlight};
    struct Case {
        int kind;
        bool down;
        std::vector<Ring> rings;
        int size;  // of the square the rings lie on
    };
    const Case cases[] = {
        {3, false, {p1Up, p2Up, p3Up}, kSize}, {3, true, {p1Down, p2Down, p3Down}, kSize},
        {2, false, {p1Up, p3Up}, kSize - 1},   {2, true, {p1Down, p3Down}, kSize - 1},
        {1, false, {p3Up}, kSize - 1},         {1, true, {p3Down}, kSize - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + (c.down ? " down" : " up"));
        auto surface = Surface(kSize, kSize);
        ZylDrawButtonFrame(surface->Canvas(), kSize, kSize, c.kind, c.down);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const TColor want =
                    x < c.size && y < c.size ? Expected(c.rings, kAllFrameEdges, c.size, x, y) : kGround;
                ASSERT_EQ(At(surface.get(), x, y), ColorToRGB(want)) << "(" << x << "," << y << ")";
            }
    }
}

TEST_F(FrameTest, ButtonFrameOfAnotherKindDrawsNothing) {
    for (int kind : {0, 4, -1, 255}) {
        auto surface = Surface(kSize, kSize);
        ZylDrawButtonFrame(surface->Canvas(), kSize, kSize, kind, false);
        auto blank = Surface(kSize, kSize);
        EXPECT_EQ(Differences(surface.get(), blank.get()), "") << "kind " << kind;
    }
}

}  // namespace
