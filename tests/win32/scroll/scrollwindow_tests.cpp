#include "scroll_fixture.h"

namespace scrolltest {
namespace {

using ScrollWindowing = ScrollTest;

// Each row of the client area gets its own colour, so moved rows can be recognised.
COLORREF RowColour(int y) {
    return RGB(y, 255 - y, 7);
}

void PaintRows(HWND w) {
    RECT client{};
    GetClientRect(w, &client);
    HDC dc = GetDC(w);
    for (int y = 0; y < client.bottom; ++y) {
        HBRUSH brush = CreateSolidBrush(RowColour(y));
        RECT row{0, y, client.right, y + 1};
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }
    ReleaseDC(w, dc);
}

COLORREF ClientPixel(HWND w, int x, int y) {
    HDC dc = GetDC(w);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(ScrollWindowing, PixelsMoveAndTheUncoveredBandIsInvalidated) {
    HWND w = Popup(0);
    Pump();
    PaintRows(w);
    ValidateRect(w, nullptr);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    RECT updateRect{};
    EXPECT_EQ(ScrollWindowEx(w, 0, -10, nullptr, nullptr, update, &updateRect, SW_INVALIDATE), SIMPLEREGION);
    EXPECT_EQ(ClientPixel(w, 50, 0), RowColour(10));
    EXPECT_EQ(ClientPixel(w, 50, 139), RowColour(149));
    EXPECT_TRUE(SameRect(updateRect, RECT{0, 140, 200, 150}));
    RECT box{};
    GetRgnBox(update, &box);
    EXPECT_TRUE(SameRect(box, updateRect));
    RECT invalid{};
    ASSERT_TRUE(GetUpdateRect(w, &invalid, FALSE));
    EXPECT_TRUE(SameRect(invalid, RECT{0, 140, 200, 150}));
    DeleteObject(update);
}

TEST_F(ScrollWindowing, OnlyTheScrollRectangleMovesWithinTheClip) {
    HWND w = Popup(0);
    Pump();
    PaintRows(w);
    ValidateRect(w, nullptr);
    const RECT area{0, 50, 100, 100};
    RECT updateRect{};
    EXPECT_EQ(ScrollWindowEx(w, 0, 5, &area, &area, nullptr, &updateRect, 0), SIMPLEREGION);
    EXPECT_EQ(ClientPixel(w, 10, 60), RowColour(55));
    EXPECT_EQ(ClientPixel(w, 10, 99), RowColour(94));
    EXPECT_EQ(ClientPixel(w, 150, 60), RowColour(60));   // beside the rectangle
    EXPECT_EQ(ClientPixel(w, 10, 100), RowColour(100));  // below the clip
    EXPECT_TRUE(SameRect(updateRect, RECT{0, 50, 100, 55}));
    RECT invalid{};
    EXPECT_FALSE(GetUpdateRect(w, &invalid, FALSE));  // without SW_INVALIDATE nothing waits for paint
}

TEST_F(ScrollWindowing, PendingUpdateTravelsWithThePixels) {
    HWND w = Popup(0);
    Pump();
    ValidateRect(w, nullptr);
    const RECT band{0, 50, 200, 60};
    InvalidateRect(w, &band, FALSE);
    ASSERT_TRUE(ScrollWindow(w, 0, -20, nullptr, nullptr));
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(GetUpdateRgn(w, update, FALSE), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(update, 5, 35));
    EXPECT_FALSE(PtInRegion(update, 5, 55));
    EXPECT_TRUE(PtInRegion(update, 5, 135));
    DeleteObject(update);
}

TEST_F(ScrollWindowing, ChildrenMoveWithScrollChildren) {
    HWND w = Popup(0);
    HWND inside = CreateWindowEx(0, "Scrolling", "", WS_CHILD | WS_VISIBLE, 10, 10, 30, 30, w, nullptr,
                                 nullptr, nullptr);
    HWND outside = CreateWindowEx(0, "Scrolling", "", WS_CHILD | WS_VISIBLE, 150, 100, 30, 30, w, nullptr,
                                  nullptr, nullptr);
    Pump();
    Record().messages.clear();
    const RECT area{0, 0, 100, 80};
    ScrollWindowEx(w, 5, 20, &area, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
    RECT r{};
    GetWindowRect(inside, &r);
    EXPECT_EQ(r.left, 115);
    EXPECT_EQ(r.top, 130);
    GetWindowRect(outside, &r);
    EXPECT_EQ(r.left, 250);  // does not meet the scroll rectangle
    const auto& m = Record().messages;
    EXPECT_NE(std::find(m.begin(), m.end(), WM_MOVE), m.end());

    // Without a rectangle every child moves.
    ScrollWindow(w, -5, -20, nullptr, nullptr);
    GetWindowRect(inside, &r);
    EXPECT_EQ(r.left, 110);
    GetWindowRect(outside, &r);
    EXPECT_EQ(r.left, 245);
    EXPECT_EQ(r.top, 180);
}

TEST_F(ScrollWindowing, BadArgumentsFail) {
    HWND w = Popup(0);
    HRGN stale = CreateRectRgn(0, 0, 1, 1);
    DeleteObject(stale);
    EXPECT_EQ(ScrollWindowEx(w, 0, 1, nullptr, nullptr, stale, nullptr, 0), ERROR);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DestroyWindow(w);
    EXPECT_EQ(ScrollWindowEx(w, 0, 1, nullptr, nullptr, nullptr, nullptr, 0), ERROR);
    EXPECT_FALSE(ScrollWindow(w, 0, 1, nullptr, nullptr));
    EXPECT_FALSE(ScrollDC(nullptr, 0, 1, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(ScrollWindowing, ScrollDCWorksOnMemoryInLogicalCoordinates) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(20, 20, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 20; ++y)
            SetPixel(dc, x, y, RGB(x * 10, y * 10, 0));
    SetWindowOrgEx(dc, 100, 100, nullptr);
    const RECT area{102, 100, 110, 120};  // device columns 2..9
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    RECT updateRect{};
    ASSERT_TRUE(ScrollDC(dc, 3, 0, &area, &area, update, &updateRect));
    SetWindowOrgEx(dc, 0, 0, nullptr);
    EXPECT_EQ(GetPixel(dc, 5, 4), RGB(20, 40, 0));
    EXPECT_EQ(GetPixel(dc, 9, 4), RGB(60, 40, 0));
    EXPECT_EQ(GetPixel(dc, 10, 4), RGB(100, 40, 0));  // outside the clip: untouched
    EXPECT_EQ(GetPixel(dc, 2, 4), RGB(20, 40, 0));    // uncovered: left as it was
    EXPECT_TRUE(SameRect(updateRect, RECT{102, 100, 105, 120}));
    EXPECT_TRUE(PtInRegion(update, 104, 110));
    EXPECT_FALSE(PtInRegion(update, 105, 110));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteObject(update);
    DeleteDC(dc);
}

TEST_F(ScrollWindowing, BarsAppearInTheFrame) {
    HWND w = Popup(WS_VSCROLL | WS_HSCROLL);
    Pump();
    UpdateWindow(w);
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    // Shaft: the scroll bar colour dithered with the highlight.
    const COLORREF a = ScreenPixel(290, 180), b = ScreenPixel(291, 180);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a == GetSysColor(COLOR_3DHILIGHT) || a == GetSysColor(COLOR_SCROLLBAR));
    EXPECT_TRUE(b == GetSysColor(COLOR_3DHILIGHT) || b == GetSysColor(COLOR_SCROLLBAR));
    // Thumb at the top of the shaft: a raised button face.
    EXPECT_EQ(ScreenPixel(292, 124), face);
    // Arrow buttons, and the box between the bars.
    EXPECT_EQ(ScreenPixel(287, 103), face);
    EXPECT_EQ(ScreenPixel(290, 240), face);
    EXPECT_EQ(ScreenPixel(290, 245), face);
    // The client area stops where the bars begin.
    EXPECT_EQ(ScreenPixel(283, 180), GetSysColor(COLOR_WINDOW));
}

TEST_F(ScrollWindowing, DisabledArrowsAreDrawnGrey) {
    HWND w = Popup();
    Pump();
    UpdateWindow(w);
    auto darkest = [](int top) {
        int value = 255 * 3;
        COLORREF found = 0;
        // Inside the button's edges, whose outer shadow is black too.
        for (int y = top + 2; y < top + 14; ++y)
            for (int x = 286; x < 298; ++x) {
                const COLORREF c = ScreenPixel(x, y);
                const int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
                if (sum < value) value = sum, found = c;
            }
        return found;
    };
    // The enabled glyph is black; a disabled one has no black pixel left.
    EXPECT_EQ(darkest(100) & 0xFFFFFF, 0u);
    EnableScrollBar(w, SB_VERT, ESB_DISABLE_UP);
    EXPECT_NE(darkest(100) & 0xFFFFFF, 0u);
    EXPECT_EQ(darkest(234) & 0xFFFFFF, 0u);
    // With the whole bar disabled the thumb goes and the dithered shaft shows where it was.
    EXPECT_EQ(ScreenPixel(292, 124), ScreenPixel(293, 124));
    EnableScrollBar(w, SB_VERT, ESB_DISABLE_BOTH);
    EXPECT_NE(ScreenPixel(292, 124), ScreenPixel(293, 124));
}

}  // namespace
}  // namespace scrolltest
