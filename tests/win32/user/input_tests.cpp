#include "recorder.h"
#include "win32/input.h"
#include "win32/virtualkeys.h"

namespace usertest {
namespace {

using Focus = UserTest;

TEST_F(Focus, SetFocusSendsKillThenSetAndReturnsPrevious) {
    HWND top = Top();
    HWND a = Child(top, 0, 0, 10, 10), b = Child(top, 20, 0, 10, 10);
    EXPECT_EQ(SetFocus(a), top);
    Log().clear();
    EXPECT_EQ(SetFocus(b), a);
    auto seq = Sequence({WM_KILLFOCUS, WM_SETFOCUS});
    ASSERT_EQ(seq.size(), 2u);
    EXPECT_EQ(seq[0], std::make_pair(a, WM_KILLFOCUS));
    EXPECT_EQ(seq[1], std::make_pair(b, WM_SETFOCUS));
    EXPECT_EQ(Log()[0].wParam, reinterpret_cast<WPARAM>(b));
    EXPECT_EQ(Log()[1].wParam, reinterpret_cast<WPARAM>(a));
    EXPECT_EQ(GetFocus(), b);
}

TEST_F(Focus, DisabledOrHiddenWindowsAreRefused) {
    HWND top = Top();
    HWND disabled = Child(top, 0, 0, 10, 10, WS_CHILD | WS_VISIBLE | WS_DISABLED);
    HWND hidden = Child(top, 0, 0, 10, 10, WS_CHILD);
    SetFocus(top);
    EXPECT_EQ(SetFocus(disabled), nullptr);
    EXPECT_EQ(SetFocus(hidden), nullptr);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(Focus, FocusInAnotherTopLevelWindowActivatesIt) {
    HWND first = Top();
    HWND second = Top();
    HWND child = Child(first, 0, 0, 10, 10);
    ASSERT_EQ(GetActiveWindow(), second);
    Log().clear();
    SetFocus(child);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), child);
    auto seq = Sequence({WM_NCACTIVATE, WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS});
    std::vector<std::pair<HWND, UINT>> expected{
        {second, WM_NCACTIVATE}, {second, WM_ACTIVATE}, {first, WM_NCACTIVATE}, {first, WM_ACTIVATE},
        {second, WM_KILLFOCUS},  {first, WM_SETFOCUS},  {first, WM_KILLFOCUS},  {child, WM_SETFOCUS}};
    EXPECT_EQ(seq, expected);
}

TEST_F(Focus, HidingTheActiveWindowActivatesItsOwner) {
    HWND owner = Top();
    HWND dialog = CreateWindowEx(0, "Recorder", "dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 10, 100,
                                 100, owner, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetActiveWindow(), dialog);
    ShowWindow(dialog, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetFocus(), owner);
}

TEST_F(Focus, HidingAFocusedChildMovesFocusToTheParent) {
    HWND top = Top();
    HWND child = Child(top, 0, 0, 10, 10);
    SetFocus(child);
    ShowWindow(child, SW_HIDE);
    EXPECT_EQ(GetFocus(), top);
}

using Capture = UserTest;

TEST_F(Capture, CaptureChangesAreAnnounced) {
    HWND a = Top(), b = Top();
    EXPECT_EQ(SetCapture(a), nullptr);
    Log().clear();
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(MessagesOf(a), (std::vector<UINT>{WM_CAPTURECHANGED}));
    EXPECT_EQ(Log().back().lParam, reinterpret_cast<LPARAM>(b));
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(MessagesOf(b), (std::vector<UINT>{WM_CAPTURECHANGED}));
    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr);
}

using MouseInput = UserTest;

TEST_F(MouseInput, ClicksGoToTheTopmostWindowUnderTheCursorInClientCoordinates) {
    HWND back = Top(0, 0, 400, 400, WS_POPUP | WS_VISIBLE);
    HWND front = Top(100, 100, 100, 100, WS_POPUP | WS_VISIBLE);
    HWND child = Child(back, 300, 300, 50, 50);
    Log().clear();
    input::Click(150, 160);
    input::Click(310, 320, input::Button::Right);
    input::Click(50, 50);
    Pump();
    EXPECT_EQ(MessagesOf(front, {WM_LBUTTONDOWN, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
    auto down = std::find_if(Log().begin(), Log().end(),
                             [&](const Entry& e) { return e.hwnd == front && e.message == WM_LBUTTONDOWN; });
    EXPECT_EQ(GET_X_LPARAM(down->lParam), 50);
    EXPECT_EQ(GET_Y_LPARAM(down->lParam), 60);
    EXPECT_EQ(down->wParam, MK_LBUTTON);
    EXPECT_EQ(MessagesOf(child, {WM_RBUTTONDOWN, WM_RBUTTONUP}),
              (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_EQ(MessagesOf(back, {WM_LBUTTONDOWN}), (std::vector<UINT>{WM_LBUTTONDOWN}));
}

TEST_F(MouseInput, CaptureTakesEveryMouseMessage) {
    HWND a = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    HWND b = Top(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    SetCapture(a);
    Pump();
    Log().clear();
    input::MoveMouse(250, 50);
    input::Click(250, 50);
    Pump();
    EXPECT_TRUE(MessagesOf(b).empty());
    EXPECT_EQ(MessagesOf(a, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ(GET_X_LPARAM(Log().back().lParam), 250);
    EXPECT_TRUE(MessagesOf(a, {WM_SETCURSOR}).empty());
}

TEST_F(MouseInput, DisabledChildLetsTheParentHaveTheClickAndDisabledTopLevelBeeps) {
    HWND top = Top(0, 0, 400, 400, WS_POPUP | WS_VISIBLE);
    HWND disabled = Child(top, 10, 10, 50, 50, WS_CHILD | WS_VISIBLE | WS_DISABLED);
    input::Click(20, 20);
    Pump();
    EXPECT_TRUE(MessagesOf(disabled, {WM_LBUTTONDOWN}).empty());
    EXPECT_EQ(MessagesOf(top, {WM_LBUTTONDOWN}).size(), 1u);
    EnableWindow(top, FALSE);
    Log().clear();
    input::Click(100, 100);
    Pump();
    EXPECT_TRUE(MessagesOf(top, {WM_LBUTTONDOWN, WM_LBUTTONUP}).empty());
    EXPECT_EQ(win32::testing::Beeps().size(), 1u);
}

TEST_F(MouseInput, NonClientAreaGetsNonClientMessagesWithScreenCoordinates) {
    HWND w = Top(100, 100, 300, 200);
    Pump();
    Log().clear();
    input::MoveMouse(250, 110);
    Pump();
    auto moves = MessagesOf(w, {WM_NCMOUSEMOVE, WM_MOUSEMOVE, WM_SETCURSOR});
    EXPECT_EQ(moves, (std::vector<UINT>{WM_SETCURSOR, WM_NCMOUSEMOVE}));
    EXPECT_EQ(Log().back().wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(GET_X_LPARAM(Log().back().lParam), 250);
}

TEST_F(MouseInput, ClickOnInactiveWindowAsksMouseActivateAndActivates) {
    HWND a = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    HWND b = Top(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    ASSERT_EQ(GetActiveWindow(), b);
    input::MoveMouse(50, 50);
    Pump();
    Log().clear();
    input::Click(50, 50);
    Pump();
    EXPECT_EQ(MessagesOf(a, {WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_SETCURSOR, WM_MOUSEACTIVATE, WM_ACTIVATE, WM_SETCURSOR, WM_LBUTTONDOWN,
                                 WM_SETCURSOR, WM_LBUTTONUP}));
    auto activate = std::find_if(Log().begin(), Log().end(),
                                 [&](const Entry& e) { return e.hwnd == a && e.message == WM_ACTIVATE; });
    EXPECT_EQ(LOWORD(activate->wParam), WA_CLICKACTIVE);
    EXPECT_EQ(GetActiveWindow(), a);

    Handlers()[b] = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_MOUSEACTIVATE) return false;
        *r = MA_NOACTIVATEANDEAT;
        return true;
    };
    Log().clear();
    input::Click(250, 50);
    Pump();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(MessagesOf(b, {WM_LBUTTONDOWN, WM_LBUTTONUP}), (std::vector<UINT>{WM_LBUTTONUP}));
}

TEST_F(MouseInput, DoubleClicksDependOnTimeDistanceAndClassStyle) {
    HWND w = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
    HWND plain = Top(300, 0, 200, 200, WS_POPUP | WS_VISIBLE, "Plain");
    struct {
        DWORD gap;
        int dx;
        bool dblclk;
    } cases[] = {{0, 0, true}, {500, 0, true}, {501, 0, false}, {100, 2, true}, {100, 3, false}};
    for (const auto& c : cases) {
        Log().clear();
        win32::testing::AdvanceClock(5000);
        input::Click(50, 50);
        win32::testing::AdvanceClock(c.gap);
        input::Click(50 + c.dx, 50);
        Pump();
        const auto downs = MessagesOf(w, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK});
        EXPECT_EQ(downs, (std::vector<UINT>{WM_LBUTTONDOWN, c.dblclk ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN}))
            << c.gap << " ms, " << c.dx << " px";
    }
    Log().clear();
    win32::testing::AdvanceClock(5000);
    input::DoubleClick(350, 50);
    Pump();
    EXPECT_EQ(MessagesOf(plain, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
    // A third click after a double click starts a new pair.
    Log().clear();
    win32::testing::AdvanceClock(5000);
    input::DoubleClick(50, 50);
    input::Click(50, 50);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
}

TEST_F(MouseInput, WheelGoesToTheFocusWindowAndUpToItsParent) {
    HWND top = Top();
    HWND child = Child(top, 0, 0, 10, 10);
    SetFocus(child);
    Pump();
    Log().clear();
    input::Wheel(-120);
    Pump();
    EXPECT_EQ(MessagesOf(child, {WM_MOUSEWHEEL}).size(), 1u);
    EXPECT_EQ(MessagesOf(top, {WM_MOUSEWHEEL}).size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Log().back().wParam), -120);
}

TEST_F(MouseInput, CursorIsClippedAndCounted) {
    RECT clip{10, 10, 50, 50};
    ClipCursor(&clip);
    input::MoveMouse(500, 5);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 49);
    EXPECT_EQ(p.y, 10);
    RECT back;
    GetClipCursor(&back);
    EXPECT_EQ(back.right, 50);
    ClipCursor(nullptr);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    EXPECT_EQ(SetCursor(arrow), nullptr);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(GetDoubleClickTime(), 500u);
    SetDoubleClickTime(0);
    EXPECT_EQ(GetDoubleClickTime(), 500u);
}

using KeyboardInput = UserTest;

TEST_F(KeyboardInput, KeysReachTheFocusWindowAndUpdateKeyState) {
    HWND top = Top();
    HWND child = Child(top, 0, 0, 10, 10);
    SetFocus(child);
    input::KeyDown(VK_SHIFT);
    EXPECT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);  // not yet retrieved
    Pump();
    EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_TRUE(GetKeyState(VK_LSHIFT) & 0x8000);
    input::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
    EXPECT_EQ(MessagesOf(child, {WM_KEYDOWN, WM_KEYUP}), (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP}));
    auto up = std::find_if(Log().begin(), Log().end(), [&](const Entry& e) { return e.message == WM_KEYUP; });
    EXPECT_EQ(static_cast<ULONG_PTR>(up->lParam) >> 30 & 3, 3u);
    EXPECT_EQ((up->lParam >> 16) & 0xFF, 0x2A);
}

TEST_F(KeyboardInput, TogglesFlipOnEachPress) {
    Top();
    input::PressKey(VK_CAPITAL);
    Pump();
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
    input::TypeText("a");
    input::PressKey(VK_CAPITAL);
    Pump();
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
    BYTE state[256]{};
    state[VK_NUMLOCK] = 1;
    SetKeyboardState(state);
    EXPECT_EQ(GetKeyState(VK_NUMLOCK), 1);
    BYTE back[256];
    GetKeyboardState(back);
    EXPECT_EQ(back[VK_NUMLOCK], 1);
}

TEST_F(KeyboardInput, AltCombinationsAreSystemKeysAndAltF4Closes) {
    HWND w = Top();
    Log().clear();
    input::PressKey(VK_F4, input::Alt);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_SYSKEYDOWN}), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN}));
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(KeyboardInput, AltTapAndF10AskForTheMenu) {
    HWND w = Top();
    int keyMenus = 0;
    Handlers()[w] = [&](HWND, UINT m, WPARAM wp, LPARAM, LRESULT*) {
        if (m == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_KEYMENU) ++keyMenus;
        return false;
    };
    input::PressKey(VK_MENU);
    input::PressKey(VK_F10);
    Pump();
    EXPECT_EQ(keyMenus, 2);
}

TEST_F(KeyboardInput, WithoutFocusKeysGoToTheActiveWindowAsSystemKeys) {
    HWND w = Top();
    SetFocus(nullptr);
    Log().clear();
    input::PressKey('Q');
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYDOWN}),
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYUP}));
}

TEST_F(KeyboardInput, KeyTables) {
    EXPECT_EQ(VkKeyScan('a'), 'A');
    EXPECT_EQ(VkKeyScan('A'), 0x100 | 'A');
    EXPECT_EQ(VkKeyScan('?'), 0x100 | VK_OEM_2);
    EXPECT_EQ(MapVirtualKey('A', MAPVK_VK_TO_VSC), 0x1Eu);
    EXPECT_EQ(MapVirtualKey(0x1E, MAPVK_VSC_TO_VK), static_cast<UINT>('A'));
    EXPECT_EQ(MapVirtualKey('A', MAPVK_VK_TO_CHAR), static_cast<UINT>('A'));
}

}  // namespace
}  // namespace usertest
