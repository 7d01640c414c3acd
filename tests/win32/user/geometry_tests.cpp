#include "recorder.h"

namespace usertest {
namespace {

using Geometry = UserTest;

struct FrameCase {
    DWORD style;
    DWORD exStyle;
    RECT client;  // expected client rectangle in window coordinates of a 200 x 100 window
};

TEST_F(Geometry, ClientAreaFollowsTheClassicFrameMetrics) {
    const FrameCase cases[] = {
        {WS_POPUP, 0, {0, 0, 200, 100}},
        {WS_POPUP | WS_BORDER, 0, {1, 1, 199, 99}},
        {WS_POPUP | WS_DLGFRAME, 0, {3, 3, 197, 97}},
        {WS_POPUP | WS_THICKFRAME, 0, {4, 4, 196, 96}},
        {WS_POPUP | WS_CAPTION, 0, {3, 21, 197, 97}},
        {WS_OVERLAPPEDWINDOW, 0, {4, 22, 196, 96}},
        {WS_POPUP, WS_EX_CLIENTEDGE, {2, 2, 198, 98}},
        {WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, {3, 3, 197, 97}},
        {WS_POPUP | WS_VSCROLL | WS_HSCROLL, 0, {0, 0, 184, 84}},
        {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, {3, 18, 197, 97}},
    };
    for (const auto& c : cases) {
        HWND w = CreateWindowEx(c.exStyle, "Recorder", "", c.style, 50, 60, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(w, nullptr);
        RECT window, client;
        GetWindowRect(w, &window);
        GetClientRect(w, &client);
        POINT origin{0, 0};
        ClientToScreen(w, &origin);
        EXPECT_EQ(window.left, 50);
        EXPECT_EQ(window.right - window.left, 200) << std::hex << c.style;
        EXPECT_EQ(origin.x - window.left, c.client.left) << std::hex << c.style;
        EXPECT_EQ(origin.y - window.top, c.client.top) << std::hex << c.style;
        EXPECT_EQ(client.right, c.client.right - c.client.left) << std::hex << c.style;
        EXPECT_EQ(client.bottom, c.client.bottom - c.client.top) << std::hex << c.style;
        RECT adjusted{0, 0, client.right, client.bottom};
        if (!(c.style & (WS_VSCROLL | WS_HSCROLL))) {
            AdjustWindowRectEx(&adjusted, c.style, FALSE, GetWindowLong(w, GWL_EXSTYLE));
            EXPECT_EQ(adjusted.right - adjusted.left, 200) << std::hex << c.style;
            EXPECT_EQ(adjusted.bottom - adjusted.top, 100) << std::hex << c.style;
        }
        DestroyWindow(w);
    }
}

TEST_F(Geometry, DefaultHitTestNamesEachPartOfTheFrame) {
    HWND w = Top(100, 100, 300, 200);
    struct {
        int x, y;
        LRESULT hit;
    } cases[] = {
        {100, 100, HTTOPLEFT}, {101, 200, HTLEFT},        {399, 200, HTRIGHT},     {250, 101, HTTOP},
        {250, 298, HTBOTTOM},  {399, 299, HTBOTTOMRIGHT}, {110, 110, HTSYSMENU},   {250, 110, HTCAPTION},
        {385, 110, HTCLOSE},   {365, 110, HTMAXBUTTON},   {345, 110, HTMINBUTTON}, {250, 200, HTCLIENT},
        {99, 200, HTNOWHERE},  {400, 200, HTNOWHERE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendMessage(w, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)), c.hit) << c.x << "," << c.y;
    HWND bordered = Top(500, 100, 100, 100, WS_POPUP | WS_BORDER | WS_VISIBLE);
    EXPECT_EQ(SendMessage(bordered, WM_NCHITTEST, 0, MAKELPARAM(500, 150)), HTBORDER);
}

TEST_F(Geometry, SetWindowPosSendsChangingCalcSizeChangedMoveSize) {
    HWND w = Top(0, 0, 300, 200);
    Log().clear();
    SetWindowPos(w, nullptr, 10, 20, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(MessagesOf(w, {WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED,
                             WM_MOVE, WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED,
                                 WM_MOVE, WM_SIZE}));
    const Entry size = Log().back();
    EXPECT_EQ(size.message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(LOWORD(size.lParam), 392);
    EXPECT_EQ(HIWORD(size.lParam), 274);

    Log().clear();
    SetWindowPos(w, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
    EXPECT_EQ(GET_X_LPARAM(Log().back().lParam), 34);
    EXPECT_EQ(GET_Y_LPARAM(Log().back().lParam), 62);

    Log().clear();
    SetWindowPos(w, nullptr, 31, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_WINDOWPOSCHANGED, WM_MOVE}));
}

TEST_F(Geometry, WindowPosChangingMayRewriteThePosition) {
    HWND w = Top(0, 0, 300, 200, WS_POPUP | WS_VISIBLE);
    Handlers()[w] = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
        if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->x = 77;
        return false;
    };
    MoveWindow(w, 5, 6, 100, 100, TRUE);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 77);
    EXPECT_EQ(r.top, 6);
}

TEST_F(Geometry, MinMaxInfoLimitsTrackingSize) {
    HWND w = Top(0, 0, 300, 200);
    Handlers()[w] = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
        if (m == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = POINT{150, 120};
        return false;
    };
    MoveWindow(w, 0, 0, 50, 50, TRUE);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 120);
}

TEST_F(Geometry, ShowWindowOnHiddenTopLevelShowsThenActivates) {
    HWND w = Top(0, 0, 300, 200, WS_OVERLAPPEDWINDOW);
    Log().clear();
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    // Activation comes before WM_WINDOWPOSCHANGED (its z-order step asks with WM_WINDOWPOSCHANGING).
    EXPECT_EQ(MessagesOf(w, {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATEAPP,
                             WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}),
              (std::vector<UINT>{WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP,
                                 WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_WINDOWPOSCHANGED}));
    EXPECT_TRUE(ShowWindow(w, SW_SHOW));
    EXPECT_EQ(GetActiveWindow(), w);
    EXPECT_EQ(GetFocus(), w);
    Log().clear();
    ShowWindow(w, SW_HIDE);
    EXPECT_EQ(MessagesOf(w, {WM_SHOWWINDOW}), (std::vector<UINT>{WM_SHOWWINDOW}));
    EXPECT_EQ(Log().front().wParam, static_cast<WPARAM>(FALSE));
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(Geometry, ShowNoActivateLeavesActivationAlone) {
    HWND first = Top();
    HWND second = Top(0, 0, 100, 100, WS_OVERLAPPEDWINDOW);
    ShowWindow(second, SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_EQ(GetActiveWindow(), first);
}

TEST_F(Geometry, MinimizeMaximizeRestoreAndPlacement) {
    HWND w = Top(10, 20, 300, 200);
    Log().clear();
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 0);
    ASSERT_FALSE(MessagesOf(w, {WM_SIZE}).empty());
    auto sizes = std::find_if(Log().rbegin(), Log().rend(),
                              [&](const Entry& e) { return e.hwnd == w && e.message == WM_SIZE; });
    EXPECT_EQ(sizes->wParam, SIZE_MINIMIZED);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(w, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_EQ(placement.rcNormalPosition.left, 10);
    EXPECT_EQ(placement.rcNormalPosition.right, 310);

    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(w));
    EXPECT_FALSE(IsIconic(w));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, -4);
    EXPECT_EQ(r.top, -4);
    EXPECT_EQ(r.right, 1028);
    EXPECT_EQ(r.bottom, 772);

    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 310);
    EXPECT_FALSE(IsZoomed(w));
}

TEST_F(Geometry, SetWindowPlacementMovesNormalWindow) {
    HWND w = Top(10, 20, 300, 200);
    WINDOWPLACEMENT p{};
    p.length = sizeof p;
    p.showCmd = SW_SHOWMAXIMIZED;
    p.ptMaxPosition = POINT{-1, -1};
    p.ptMinPosition = POINT{-1, -1};
    p.rcNormalPosition = RECT{50, 60, 250, 260};
    ASSERT_TRUE(SetWindowPlacement(w, &p));
    EXPECT_TRUE(IsZoomed(w));
    ShowWindow(w, SW_RESTORE);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.bottom, 260);
    p.length = 3;
    EXPECT_FALSE(SetWindowPlacement(w, &p));
}

TEST_F(Geometry, SysCommandsAreCarriedOutByDefWindowProc) {
    HWND w = Top();
    SendMessage(w, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(w));
    SendMessage(w, WM_SYSCOMMAND, SC_RESTORE + 2, 0);  // the low bits are ignored
    EXPECT_FALSE(IsZoomed(w));
    SendMessage(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(w));
    Log().clear();
    SendMessage(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(MessagesOf(w, {WM_CLOSE, WM_DESTROY}), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(Geometry, CoordinateMapping) {
    HWND top = Top(100, 100, 300, 200);
    HWND a = Child(top, 10, 10, 50, 50), b = Child(top, 100, 40, 50, 50);
    POINT points[2] = {{0, 0}, {5, 5}};
    const int offset = MapWindowPoints(a, b, points, 2);
    EXPECT_EQ(points[0].x, -90);
    EXPECT_EQ(points[0].y, -30);
    EXPECT_EQ(points[1].x, -85);
    EXPECT_EQ(static_cast<SHORT>(LOWORD(offset)), -90);
    POINT p{0, 0};
    ClientToScreen(a, &p);
    EXPECT_EQ(p.x, 114);
    EXPECT_EQ(p.y, 132);
    ScreenToClient(b, &p);
    EXPECT_EQ(p.x, -90);
}

TEST_F(Geometry, WindowFromPointFindsTopmostVisibleEnabledWindow) {
    HWND back = Top(0, 0, 400, 400, WS_POPUP | WS_VISIBLE);
    HWND front = Top(100, 100, 100, 100, WS_POPUP | WS_VISIBLE);
    HWND child = Child(back, 10, 10, 50, 50);
    HWND disabled = Child(back, 300, 300, 50, 50, WS_CHILD | WS_VISIBLE | WS_DISABLED);
    HWND hidden = Child(back, 200, 10, 50, 50, WS_CHILD);
    EXPECT_EQ(WindowFromPoint(POINT{150, 150}), front);
    EXPECT_EQ(WindowFromPoint(POINT{20, 20}), child);
    EXPECT_EQ(WindowFromPoint(POINT{310, 310}), back);
    EXPECT_EQ(WindowFromPoint(POINT{210, 20}), back);
    EXPECT_EQ(ChildWindowFromPoint(back, POINT{310, 310}), disabled);
    EXPECT_EQ(ChildWindowFromPoint(back, POINT{210, 20}), hidden);
    EXPECT_EQ(ChildWindowFromPointEx(back, POINT{210, 20}, CWP_SKIPINVISIBLE), back);
    EXPECT_EQ(ChildWindowFromPoint(back, POINT{500, 20}), nullptr);
    // A window answering HTTRANSPARENT lets the one below have the point.
    Handlers()[front] = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_NCHITTEST) return false;
        *r = HTTRANSPARENT;
        return true;
    };
    EXPECT_EQ(WindowFromPoint(POINT{150, 150}), back);
}

}  // namespace
}  // namespace usertest
