// DrawEdge colours and geometry, the focus rectangle and frame controls.
#include "gdi_test_support.h"

namespace {

using namespace win32;
using gditest::Canvas;

const COLORREF kHighlight = RGB(255, 255, 255), kLight = RGB(192, 192, 192), kShadow = RGB(128, 128, 128),
               kDark = RGB(0, 0, 0);

struct EdgeCase {
    const char* name;
    UINT edge, flags;
    COLORREF outerTopLeft, innerTopLeft, outerBottomRight, innerBottomRight;
};

TEST(DrawEdge, ColoursOfEachBorderKind) {
    const EdgeCase cases[] = {
        {"raised", EDGE_RAISED, BF_RECT, kLight, kHighlight, kDark, kShadow},
        {"sunken", EDGE_SUNKEN, BF_RECT, kShadow, kDark, kHighlight, kLight},
        {"etched", EDGE_ETCHED, BF_RECT, kShadow, kHighlight, kHighlight, kShadow},
        {"bump", EDGE_BUMP, BF_RECT, kLight, kDark, kDark, kLight},
        {"raised soft", EDGE_RAISED, BF_RECT | BF_SOFT, kHighlight, kLight, kDark, kShadow},
        {"sunken soft", EDGE_SUNKEN, BF_RECT | BF_SOFT, kDark, kShadow, kHighlight, kLight},
        {"flat", EDGE_RAISED, BF_RECT | BF_FLAT, kShadow, kLight, kShadow, kLight},
        {"mono", EDGE_RAISED, BF_RECT | BF_MONO, kDark, kHighlight, kDark, kHighlight},
    };
    for (const EdgeCase& c : cases) {
        Canvas canvas(8, 8);
        canvas.Clear(RGB(1, 2, 3));
        RECT r{0, 0, 8, 8};
        DrawEdge(canvas.dc(), &r, c.edge, c.flags);
        EXPECT_EQ(canvas.At(0, 3), c.outerTopLeft) << c.name;
        EXPECT_EQ(canvas.At(3, 0), c.outerTopLeft) << c.name;
        EXPECT_EQ(canvas.At(1, 3), c.innerTopLeft) << c.name;
        EXPECT_EQ(canvas.At(7, 3), c.outerBottomRight) << c.name;
        EXPECT_EQ(canvas.At(3, 7), c.outerBottomRight) << c.name;
        EXPECT_EQ(canvas.At(6, 3), c.innerBottomRight) << c.name;
        EXPECT_EQ(canvas.At(3, 3), RGB(1, 2, 3)) << c.name;  // no BF_MIDDLE
        // The bottom/right colour owns the top-right and bottom-left corners.
        EXPECT_EQ(canvas.At(7, 0), c.outerBottomRight) << c.name;
        EXPECT_EQ(canvas.At(0, 7), c.outerBottomRight) << c.name;
        EXPECT_EQ(canvas.At(0, 0), c.outerTopLeft) << c.name;
    }
}

TEST(DrawEdge, AdjustMiddleAndPartialSides) {
    Canvas c(8, 8);
    RECT r{0, 0, 8, 8};
    DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 6);
    EXPECT_EQ(c.At(3, 3), RGB(192, 192, 192));
    Canvas d(8, 8);
    RECT s{0, 0, 8, 8};
    DrawEdge(d.dc(), &s, BDR_RAISEDINNER, BF_BOTTOM | BF_ADJUST);
    EXPECT_EQ(s.bottom, 7);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(d.At(3, 7), kShadow);
    EXPECT_EQ(d.At(3, 0), RGB(255, 255, 255));
    EXPECT_EQ(d.At(0, 3), RGB(255, 255, 255));
}

TEST(DrawEdge, FollowsSystemColourChanges) {
    int index = COLOR_3DDKSHADOW;
    COLORREF red = RGB(255, 0, 0);
    SetSysColors(1, &index, &red);
    Canvas c(4, 4);
    RECT r{0, 0, 4, 4};
    DrawEdge(c.dc(), &r, BDR_RAISEDOUTER, BF_RECT);
    EXPECT_EQ(c.At(3, 2), red);
    win32::testing::ResetPlatform();
}

TEST(DrawFocusRect, DottedXorThatUndoesItself) {
    Canvas c(6, 4);
    RECT r{0, 0, 6, 4};
    DrawFocusRect(c.dc(), &r);
    EXPECT_EQ(c.Row(0), "#.#.#.");
    EXPECT_EQ(c.Row(1), ".....#");
    EXPECT_EQ(c.Row(2), "#.....");
    EXPECT_EQ(c.Row(3), ".#.#.#");
    DrawFocusRect(c.dc(), &r);
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(c.Row(y), "......") << y;
}

TEST(DrawFrameControl, PushButtonAndCheckBox) {
    Canvas c(16, 16);
    RECT r{0, 0, 16, 16};
    DrawFrameControl(c.dc(), &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(c.At(15, 8), kDark);
    EXPECT_EQ(c.At(14, 8), kShadow);
    EXPECT_EQ(c.At(8, 8), RGB(192, 192, 192));
    Canvas box(13, 13);
    RECT b{0, 0, 13, 13};
    DrawFrameControl(box.dc(), &b, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    EXPECT_EQ(box.At(0, 5), kShadow);
    EXPECT_EQ(box.At(1, 5), kDark);
    EXPECT_EQ(box.At(12, 5), RGB(255, 255, 255));
    int black = 0;
    for (int y = 2; y < 11; ++y)
        for (int x = 2; x < 11; ++x)
            black += box.At(x, y) == kDark;
    EXPECT_GT(black, 10);  // the check mark
    DrawFrameControl(box.dc(), &b, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE);
    EXPECT_EQ(box.At(6, 6), RGB(192, 192, 192));
}

TEST(DrawFrameControl, ScrollArrowPointsTheRightWay) {
    Canvas c(16, 16);
    RECT r{0, 0, 16, 16};
    DrawFrameControl(c.dc(), &r, DFC_SCROLL, DFCS_SCROLLUP);
    int topWidth = 0, bottomWidth = 0, top = -1, bottom = -1;
    for (int y = 2; y < 14; ++y) {
        int n = 0;
        for (int x = 2; x < 14; ++x)
            n += c.At(x, y) == kDark;
        if (n && top < 0) top = y, topWidth = n;
        if (n) bottom = y, bottomWidth = n;
    }
    ASSERT_GE(top, 0);
    EXPECT_LT(topWidth, bottomWidth);
    EXPECT_EQ(topWidth, 1);
    EXPECT_EQ(bottom - top + 1, 4);
}

}  // namespace
