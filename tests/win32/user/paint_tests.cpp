#include "recorder.h"

namespace usertest {
namespace {

using Painting = UserTest;

TEST_F(Painting, ShownWindowGetsPaintWithEraseFirst) {
    HWND w = Top(0, 0, 200, 100, WS_POPUP | WS_VISIBLE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
    EXPECT_EQ(update.right, 200);
    Log().clear();
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}),
              (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    Log().clear();
    Pump();
    EXPECT_TRUE(MessagesOf(w, {WM_PAINT}).empty());
}

TEST_F(Painting, UpdateRegionIsAUnionOfRectangles) {
    HWND w = Top(0, 0, 200, 100, WS_POPUP | WS_VISIBLE);
    Pump();
    RECT a{10, 10, 20, 20}, b{50, 40, 60, 90};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, FALSE);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(w, region, FALSE), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(region, 15, 15));
    EXPECT_FALSE(PtInRegion(region, 30, 15));
    RECT box;
    GetUpdateRect(w, &box, FALSE);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.bottom, 90);
    ValidateRect(w, &a);
    EXPECT_EQ(GetUpdateRgn(w, region, FALSE), SIMPLEREGION);
    DeleteObject(region);
    PAINTSTRUCT ps{};
    Handlers()[w] = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m != WM_PAINT) return false;
        BeginPaint(h, &ps);
        EndPaint(h, &ps);
        return true;
    };
    Pump();
    EXPECT_EQ(ps.rcPaint.left, 50);
    EXPECT_EQ(ps.rcPaint.top, 40);
    EXPECT_EQ(ps.rcPaint.right, 60);
    EXPECT_FALSE(ps.fErase);
}

TEST_F(Painting, ChildInvalidationDoesNotReachTheParent) {
    HWND parent = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
    HWND child = Child(parent, 10, 10, 50, 50);
    Pump();
    InvalidateRect(child, nullptr, TRUE);
    EXPECT_FALSE(GetUpdateRect(parent, nullptr, FALSE));
    EXPECT_TRUE(GetUpdateRect(child, nullptr, FALSE));
    Pump();
    // Without WS_CLIPCHILDREN the parent's invalidation covers the children below it.
    HWND open = Top(300, 0, 200, 200, WS_POPUP | WS_VISIBLE);
    HWND inner = Child(open, 10, 10, 50, 50);
    Pump();
    InvalidateRect(open, nullptr, TRUE);
    EXPECT_TRUE(GetUpdateRect(inner, nullptr, FALSE));
    Pump();
    InvalidateRect(parent, nullptr, TRUE);
    EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE));
    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    EXPECT_TRUE(GetUpdateRect(child, nullptr, FALSE));
}

TEST_F(Painting, UpdateWindowPaintsAtOnceParentBeforeChildren) {
    HWND parent = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
    HWND child = Child(parent, 10, 10, 50, 50);
    Log().clear();
    UpdateWindow(parent);
    auto seq = Sequence({WM_PAINT});
    ASSERT_EQ(seq.size(), 2u);
    EXPECT_EQ(seq[0].first, parent);
    EXPECT_EQ(seq[1].first, child);
}

TEST_F(Painting, HiddenWindowsAreNotPainted) {
    HWND w = Top(0, 0, 200, 100, WS_POPUP);
    InvalidateRect(w, nullptr, TRUE);
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(Painting, PaintDrawsOnTheScreenClippedToTheVisibleRegion) {
    HWND back = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    HWND front = Top(50, 50, 100, 100, WS_POPUP | WS_VISIBLE);
    Pump();
    HDC screen = GetDC(nullptr);
    // The class brush is COLOR_WINDOW; fill the back window red through its own DC.
    HDC dc = GetDC(back);
    RECT all{0, 0, 100, 100};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    ReleaseDC(back, dc);
    DeleteObject(red);
    EXPECT_EQ(GetPixel(screen, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(screen, 60, 60), GetSysColor(COLOR_WINDOW));  // the front window covers it
    EXPECT_EQ(GetPixel(screen, 120, 120), GetSysColor(COLOR_WINDOW));
    ReleaseDC(nullptr, screen);
    (void)front;
}

TEST_F(Painting, MovingAWindowExposesWhatWasBelow) {
    HWND back = Top(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
    HWND front = Top(50, 50, 100, 100, WS_POPUP | WS_VISIBLE);
    Pump();
    SetWindowPos(front, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(back, &update, FALSE));
    EXPECT_EQ(update.left, 50);
    EXPECT_EQ(update.top, 50);
    EXPECT_EQ(update.right, 150);
}

TEST_F(Painting, InternalPaintAndNonClientFrames) {
    HWND w = Top(0, 0, 200, 100, WS_POPUP | WS_VISIBLE | WS_BORDER);
    Pump();
    Log().clear();
    RedrawWindow(w, nullptr, nullptr, RDW_INTERNALPAINT);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT}));
    Log().clear();
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(MessagesOf(w, {WM_PAINT, WM_NCPAINT}), (std::vector<UINT>{WM_PAINT, WM_NCPAINT}));
}

// A window that uncovers others (or a redraw of frames and children) redraws the borders of the
// children it reaches, not only their client areas: else what covered them stays on their borders.
TEST_F(Painting, UncoveringRedrawsTheBordersOfChildrenBelow) {
    HWND top = Top(0, 0, 300, 200, WS_POPUP | WS_VISIBLE);
    HWND bordered = Child(top, 20, 20, 100, 30, WS_CHILD | WS_VISIBLE | WS_BORDER);
    HWND apart = Child(top, 20, 150, 100, 30, WS_CHILD | WS_VISIBLE | WS_BORDER);
    Pump();
    HWND cover = Top(10, 10, 60, 60, WS_POPUP | WS_VISIBLE);
    Pump();
    Log().clear();
    ShowWindow(cover, SW_HIDE);
    Pump();
    EXPECT_EQ(MessagesOf(bordered, {WM_NCPAINT}).size(), 1u);
    EXPECT_TRUE(MessagesOf(apart, {WM_NCPAINT}).empty());

    Log().clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(MessagesOf(apart, {WM_NCPAINT}).size(), 1u);
    Log().clear();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(MessagesOf(apart, {WM_NCPAINT}).empty());
}

}  // namespace
}  // namespace usertest
namespace usertest {
namespace {

using LockedUpdates = UserTest;

TEST_F(LockedUpdates, LockedWindowDrawsNothingAndRepaintsWhenUnlocked) {
    HWND w = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    Pump();
    ASSERT_TRUE(LockWindowUpdate(w));
    EXPECT_FALSE(LockWindowUpdate(Top(200, 0, 10, 10, WS_POPUP | WS_VISIBLE)));
    HDC dc = GetDC(w);
    RECT all{0, 0, 100, 100};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &all, red);
    ReleaseDC(w, dc);
    DeleteObject(red);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, 10, 10), GetSysColor(COLOR_WINDOW));
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
    LockWindowUpdate(nullptr);
    EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
}

}  // namespace
}  // namespace usertest
namespace usertest {
namespace {

using Frames = UserTest;

TEST_F(Frames, DefaultFrameShowsActiveCaptionAndSunkenClientEdge) {
    HWND w = CreateWindowEx(WS_EX_CLIENTEDGE, "Recorder", "Caption", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                            100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    Log().clear();
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}),
              (std::vector<UINT>{WM_PAINT, WM_NCPAINT, WM_ERASEBKGND}));
    HDC screen = GetDC(nullptr);
    // Caption ground to the right of the text, left of the buttons.
    EXPECT_EQ(GetPixel(screen, 300, 106), GetSysColor(COLOR_ACTIVECAPTION));
    // The sunken client edge: shadow outside, dark shadow inside, on the left.
    EXPECT_EQ(GetPixel(screen, 104, 200), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(GetPixel(screen, 105, 200), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(GetPixel(screen, 106, 200), GetSysColor(COLOR_WINDOW));
    HWND other = Top(600, 100, 100, 100);
    Pump();
    EXPECT_EQ(GetPixel(screen, 300, 106), GetSysColor(COLOR_INACTIVECAPTION));
    ReleaseDC(nullptr, screen);
    (void)other;
}

}  // namespace
}  // namespace usertest
