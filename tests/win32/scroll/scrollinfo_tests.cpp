#include <climits>

#include "scroll_fixture.h"

namespace scrolltest {
namespace {

using ScrollInfo = ScrollTest;

struct ClampCase {
    int min, max;
    UINT page;
    int pos;
    int wantMax;
    UINT wantPage;
    int wantPos;
};

TEST_F(ScrollInfo, RangePageAndPositionAreClampedTogether) {
    const ClampCase cases[] = {
        {0, 100, 10, 95, 100, 10, 91},              // last position leaves a whole page
        {0, 100, 200, 50, 100, 101, 0},             // page at most the range's size
        {0, 100, 1, 100, 100, 1, 100},              // a page of one takes nothing away
        {0, 100, 0, 150, 100, 0, 100},              // no page: up to max
        {-50, 50, 0, -100, 50, 0, -50},             // below min
        {0, 100, 101, 30, 100, 101, 0},             // everything visible
        {10, 5, 0, 7, 10, 0, 10},                   // max below min collapses onto min
        {INT_MIN, INT_MAX, 0, 12, INT_MAX, 0, 12},  // the whole integer range
    };
    HWND w = Popup();
    for (const auto& c : cases) {
        SCROLLINFO in{sizeof in, SIF_ALL, c.min, c.max, c.page, c.pos, 0};
        EXPECT_EQ(SetScrollInfo(w, SB_VERT, &in, FALSE), c.wantPos)
            << c.min << ".." << c.max << " " << c.page;
        SCROLLINFO out{sizeof out, SIF_ALL, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &out));
        EXPECT_EQ(out.nMin, c.min);
        EXPECT_EQ(out.nMax, c.wantMax);
        EXPECT_EQ(out.nPage, c.wantPage);
        EXPECT_EQ(out.nPos, c.wantPos);
        EXPECT_EQ(out.nTrackPos, c.wantPos);  // not dragging: the position
    }
}

TEST_F(ScrollInfo, MaskedFieldsAloneChangeAndTheRestIsReclamped) {
    HWND w = Popup();
    SCROLLINFO all{sizeof all, SIF_ALL, 0, 50, 0, 40, 0};
    SetScrollInfo(w, SB_VERT, &all, FALSE);
    SCROLLINFO page{sizeof page, SIF_PAGE, 999, 999, 20, 999, 0};
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &page, FALSE), 31);  // 50 - 19
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 31);
    int lo = -1, hi = -1;
    ASSERT_TRUE(GetScrollRange(w, SB_VERT, &lo, &hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 50);
    EXPECT_EQ(SetScrollPos(w, SB_VERT, -5, FALSE), 31);  // returns the previous position
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
    // The horizontal bar keeps its own defaults.
    SCROLLINFO other{sizeof other, SIF_RANGE | SIF_POS, 0, 0, 0, 0, 0};
    ShowScrollBar(w, SB_HORZ, TRUE);
    ASSERT_TRUE(GetScrollInfo(w, SB_HORZ, &other));
    EXPECT_EQ(other.nMax, 100);
    EXPECT_EQ(other.nPos, 0);
}

TEST_F(ScrollInfo, BadCallsFailWithTheirErrors) {
    HWND w = Popup(0);
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 10, 0, 0, 0};
    SetLastError(0);
    EXPECT_FALSE(GetScrollInfo(w, SB_VERT, &info));
    EXPECT_EQ(GetLastError(), ERROR_NO_SCROLLBARS);
    int lo = 7, hi = 7;
    EXPECT_TRUE(GetScrollRange(w, SB_HORZ, &lo, &hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 0);

    SCROLLINFO badSize = info;
    badSize.cbSize = 12;
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &badSize, FALSE), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SCROLLINFO badMask = info;
    badMask.fMask = 0x100;
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &badMask, FALSE), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetScrollInfo(w, 7, &info, FALSE), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, nullptr, FALSE), 0);

    EXPECT_FALSE(SetScrollRange(w, SB_VERT, -10, INT_MAX, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SCROLLBAR_RANGE);
    EXPECT_FALSE(SetScrollRange(w, SB_VERT, 10, 0, FALSE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SCROLLBAR_RANGE);

    DestroyWindow(w);
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &info, FALSE), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0);
    EXPECT_FALSE(ShowScrollBar(w, SB_VERT, TRUE));
}

TEST_F(ScrollInfo, ARangeWithNothingToScrollHidesTheBarAndOneWithSomethingShowsIt) {
    HWND w = Popup(0);
    ASSERT_TRUE(SetScrollRange(w, SB_VERT, 0, 10, FALSE));
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    ASSERT_TRUE(SetScrollRange(w, SB_VERT, 5, 5, FALSE));
    EXPECT_FALSE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 99, 100, 0, 0};
    SetScrollInfo(w, SB_VERT, &info, FALSE);
    EXPECT_FALSE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    info.nPage = 99;
    SetScrollInfo(w, SB_VERT, &info, FALSE);
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    // A position alone never shows or hides.
    ShowScrollBar(w, SB_VERT, FALSE);
    SetScrollPos(w, SB_VERT, 1, FALSE);
    EXPECT_FALSE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ScrollInfo, DisableNoScrollKeepsTheBarDisabledUntilThereIsSomethingToScroll) {
    HWND w = Popup(0);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 9, 50, 0, 0};
    SetScrollInfo(w, SB_VERT, &info, FALSE);
    EXPECT_TRUE(GetWindowLong(w, GWL_STYLE) & WS_VSCROLL);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.rgstate[0], STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(bar.rgstate[1], STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(bar.rgstate[5], STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(bar.rgstate[3], STATE_SYSTEM_INVISIBLE);  // no thumb
    info.nMax = 500;
    SetScrollInfo(w, SB_VERT, &info, FALSE);
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.rgstate[0], 0u);
    EXPECT_EQ(bar.rgstate[3], 0u);
}

TEST_F(ScrollInfo, ShowScrollBarChangesTheStyleAndTheClientArea) {
    HWND w = Popup(0);
    Pump();
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 200);
    Record().messages.clear();
    ASSERT_TRUE(ShowScrollBar(w, SB_BOTH, TRUE));
    EXPECT_EQ(GetWindowLong(w, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL),
              static_cast<LONG>(WS_VSCROLL | WS_HSCROLL));
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(client.bottom, 150 - GetSystemMetrics(SM_CYHSCROLL));
    const auto& m = Record().messages;
    EXPECT_NE(std::find(m.begin(), m.end(), WM_NCCALCSIZE), m.end());
    ASSERT_NE(std::find(m.begin(), m.end(), WM_SIZE), m.end());
    Record().messages.clear();
    ASSERT_TRUE(ShowScrollBar(w, SB_HORZ, FALSE));
    GetClientRect(w, &client);
    EXPECT_EQ(client.bottom, 150);
    EXPECT_EQ(client.right, 184);
    Record().messages.clear();
    ASSERT_TRUE(ShowScrollBar(w, SB_VERT, TRUE));  // already shown: nothing happens
    EXPECT_TRUE(Record().messages.empty());
    EXPECT_FALSE(ShowScrollBar(w, 9, TRUE));
}

TEST_F(ScrollInfo, EnableScrollBarReportsWhetherSomethingChanged) {
    HWND w = Popup(WS_VSCROLL | WS_HSCROLL);
    EXPECT_FALSE(EnableScrollBar(w, SB_VERT, ESB_ENABLE_BOTH));
    EXPECT_TRUE(EnableScrollBar(w, SB_VERT, ESB_DISABLE_UP));
    EXPECT_FALSE(EnableScrollBar(w, SB_VERT, ESB_DISABLE_UP));
    EXPECT_TRUE(EnableScrollBar(w, SB_BOTH, ESB_DISABLE_UP));  // the horizontal one changes
    EXPECT_FALSE(EnableScrollBar(w, SB_VERT, 4));
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_HSCROLL, &bar));
    EXPECT_EQ(bar.rgstate[1], STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(bar.rgstate[5], 0u);
}

TEST_F(ScrollInfo, ScrollBarInfoGivesTheGeometryOfTheBarAndItsThumb) {
    HWND w = Popup();
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.rcScrollBar.left, 284);
    EXPECT_EQ(bar.rcScrollBar.top, 100);
    EXPECT_EQ(bar.rcScrollBar.right, 300);
    EXPECT_EQ(bar.rcScrollBar.bottom, 250);
    EXPECT_EQ(bar.dxyLineButton, 16);
    EXPECT_EQ(bar.xyThumbTop, 16);
    EXPECT_EQ(bar.xyThumbBottom, 16 + GetSystemMetrics(SM_CYVTHUMB));
    SetScrollPos(w, SB_VERT, 100, FALSE);
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.xyThumbBottom, 150 - 16);  // the last position touches the lower arrow
    // A page sizes the thumb: 118 pixels of shaft, a quarter of the range.
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 25, 0, 0};
    SetScrollInfo(w, SB_VERT, &info, FALSE);
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.xyThumbBottom - bar.xyThumbTop, 118 / 4);
    // A tiny page still leaves a thumb one can take.
    info.nMax = 100000;
    info.nPage = 1;
    SetScrollInfo(w, SB_VERT, &info, FALSE);
    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    EXPECT_EQ(bar.xyThumbBottom - bar.xyThumbTop, GetSystemMetrics(SM_CYVTHUMB) / 2);

    ASSERT_TRUE(GetScrollBarInfo(w, OBJID_HSCROLL, &bar));
    EXPECT_EQ(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE, STATE_SYSTEM_INVISIBLE);
    bar.cbSize = 4;
    EXPECT_FALSE(GetScrollBarInfo(w, OBJID_VSCROLL, &bar));
    bar.cbSize = sizeof bar;
    EXPECT_FALSE(GetScrollBarInfo(w, OBJID_MENU, &bar));
}

// A scroll bar control answers the SBM_* messages; the SB_CTL calls reach it through them.
LRESULT ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static int pos = 0;
    switch (message) {
        case SBM_SETPOS: {
            const int previous = pos;
            pos = static_cast<int>(wParam);
            return previous;
        }
        case SBM_GETPOS:
            return pos;
        case SBM_SETSCROLLINFO:
            pos = reinterpret_cast<const SCROLLINFO*>(lParam)->nPos;
            return pos;
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

TEST_F(ScrollInfo, ControlCallsGoToTheControlsMessages) {
    WNDCLASS wc{};
    wc.lpfnWndProc = ControlProc;
    wc.lpszClassName = "Bar";
    ASSERT_NE(RegisterClass(&wc), 0);
    HWND bar = CreateWindowEx(0, "Bar", "", WS_POPUP, 0, 0, 100, 16, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, 12, TRUE), 0);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 12);
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 33, 0};
    EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &info, FALSE), 33);
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, 0, TRUE), 33);
}

}  // namespace
}  // namespace scrolltest
