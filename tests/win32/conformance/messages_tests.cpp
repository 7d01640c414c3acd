// Message sequences of showing, hiding and activating windows, against the sequences Wine's
// message tests record on Windows. Only the messages that carry the order are compared (painting and
// non-client traffic vary between versions and are left out); WINDOWPOS flags are compared without
// SWP_NOZORDER, as those tests do.
#include <string>
#include <utility>
#include <vector>

#include "../user/recorder.h"

namespace conf_messages {

using namespace win32;

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;  // the WINDOWPOS flags for WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED
    HWND active;    // GetActiveWindow() and GetFocus() while the message was handled
    HWND focus;
};

constexpr UINT kTracked[] = {
    WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_ACTIVATEAPP,   WM_NCACTIVATE,
    WM_ACTIVATE,   WM_SETFOCUS,          WM_KILLFOCUS,        WM_CHILDACTIVATE, WM_MOVE,
    WM_SIZE,       WM_DESTROY,           WM_NCDESTROY};

std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

LRESULT SequenceProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (std::find(std::begin(kTracked), std::end(kTracked), message) != std::end(kTracked)) {
        WPARAM recorded = wParam;
        if (message == WM_WINDOWPOSCHANGING || message == WM_WINDOWPOSCHANGED)
            recorded = reinterpret_cast<const WINDOWPOS*>(lParam)->flags & 0xFFFF & ~SWP_NOZORDER;
        Log().push_back(Seen{hwnd, message, recorded, GetActiveWindow(), GetFocus()});
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

struct Expected {
    UINT message;
    bool checkWParam;
    WPARAM wParam;
    bool optional;
};
constexpr Expected Msg(UINT message) {
    return {message, false, 0, false};
}
constexpr Expected Msg(UINT message, WPARAM wParam) {
    return {message, true, wParam, false};
}
constexpr Expected Optional(UINT message) {
    return {message, false, 0, true};
}

// The comparison of Wine's ok_sequence: in order, optional entries may be missing, nothing extra.
void ExpectSequence(HWND hwnd, const std::vector<Expected>& expected, const std::string& context) {
    std::vector<Seen> actual;
    for (const Seen& seen : Log())
        if (seen.hwnd == hwnd) actual.push_back(seen);
    size_t a = 0;
    for (const Expected& e : expected) {
        const bool matches = a < actual.size() && actual[a].message == e.message &&
                             (!e.checkWParam || actual[a].wParam == e.wParam);
        if (matches) {
            ++a;
            continue;
        }
        if (e.optional) continue;
        ::testing::Message got;
        if (a < actual.size())
            got << "0x" << std::hex << actual[a].message << " wParam 0x" << actual[a].wParam;
        else
            got << "nothing";
        ADD_FAILURE() << context << ": expected message 0x" << std::hex << e.message << " wParam 0x"
                      << e.wParam << ", got " << got;
        return;
    }
    if (a < actual.size())
        ADD_FAILURE() << context << ": unexpected message 0x" << std::hex << actual[a].message << " wParam 0x"
                      << actual[a].wParam;
}

constexpr UINT kShowFlags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
constexpr UINT kHideFlags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
constexpr UINT kNoClientChange = SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE;

// Activation of a top-level window that is already on top: the z-order step asks and changes nothing.
const std::vector<Expected> kActivation = {Msg(WM_WINDOWPOSCHANGING, SWP_NOSIZE | SWP_NOMOVE),
                                           Msg(WM_ACTIVATEAPP, TRUE), Msg(WM_NCACTIVATE, TRUE),
                                           Msg(WM_ACTIVATE, WA_ACTIVE), Msg(WM_SETFOCUS, 0)};
// The last window of the application losing activation.
const std::vector<Expected> kDeactivation = {Msg(WM_NCACTIVATE, FALSE), Msg(WM_ACTIVATE, WA_INACTIVE),
                                             Msg(WM_ACTIVATEAPP, FALSE), Msg(WM_KILLFOCUS, 0)};

std::vector<Expected> Concat(std::initializer_list<std::vector<Expected>> parts) {
    std::vector<Expected> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class ConfMessages : public usertest::UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        Log().clear();
        WNDCLASS wc{};
        wc.lpfnWndProc = SequenceProc;
        wc.lpszClassName = "ConfSequence";
        wc.hbrBackground = MakeHandle<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClass(&wc), 0);
    }
    static HWND Overlapped(DWORD style = WS_OVERLAPPEDWINDOW) {
        return CreateWindowEx(0, "ConfSequence", "overlapped", style, 100, 100, 200, 200, nullptr, nullptr,
                              nullptr, nullptr);
    }
    static HWND ChildOf(HWND parent, DWORD style = WS_CHILD) {
        return CreateWindowEx(0, "ConfSequence", "child", style, 10, 10, 50, 50, parent, nullptr, nullptr,
                              nullptr);
    }
};

// Wine: test_messages (WmSWP_ShowOverlappedSeq, WmHideOverlappedSeq, WmShowOverlappedSeq,
// WmSWP_HideOverlappedSeq, WmDestroyOverlappedSeq), in the order that test runs them.
TEST_F(ConfMessages, OverlappedWindowShowHideAndDestroySequences) {
    const HWND hwnd = Overlapped();
    ASSERT_NE(hwnd, nullptr);
    Pump();

    Log().clear();
    EXPECT_FALSE(ShowWindow(hwnd, SW_HIDE));
    ExpectSequence(hwnd, {}, "ShowWindow(SW_HIDE) of a hidden window");

    Log().clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, kShowFlags);
    ExpectSequence(hwnd,
                   Concat({{Msg(WM_WINDOWPOSCHANGING, kShowFlags)}, kActivation, {Msg(WM_WINDOWPOSCHANGED)}}),
                   "SetWindowPos(SWP_SHOWWINDOW)");
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetActiveWindow(), hwnd);
    EXPECT_EQ(GetFocus(), hwnd);

    Log().clear();
    ShowWindow(hwnd, SW_HIDE);
    ExpectSequence(hwnd,
                   Concat({{Msg(WM_SHOWWINDOW, FALSE), Msg(WM_WINDOWPOSCHANGING, kHideFlags),
                            Msg(WM_WINDOWPOSCHANGED, kHideFlags | kNoClientChange), Optional(WM_SIZE),
                            Optional(WM_MOVE)},
                           kDeactivation}),
                   "ShowWindow(SW_HIDE)");
    EXPECT_EQ(GetActiveWindow(), nullptr);

    Log().clear();
    ShowWindow(hwnd, SW_SHOW);
    ExpectSequence(hwnd,
                   Concat({{Msg(WM_SHOWWINDOW, TRUE), Msg(WM_WINDOWPOSCHANGING, kShowFlags)},
                           kActivation,
                           {Msg(WM_WINDOWPOSCHANGED)}}),
                   "ShowWindow(SW_SHOW)");
    EXPECT_EQ(GetActiveWindow(), hwnd);
    EXPECT_EQ(GetFocus(), hwnd);

    Log().clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, kHideFlags);
    ExpectSequence(
        hwnd, {Msg(WM_WINDOWPOSCHANGING, kHideFlags), Msg(WM_WINDOWPOSCHANGED, kHideFlags | kNoClientChange)},
        "SetWindowPos(SWP_HIDEWINDOW)");
    EXPECT_FALSE(IsWindowVisible(hwnd));

    ShowWindow(hwnd, SW_SHOW);
    Log().clear();
    DestroyWindow(hwnd);
    constexpr UINT kDestroyHide = kHideFlags | SWP_NOACTIVATE;
    ExpectSequence(hwnd,
                   Concat({{Msg(WM_WINDOWPOSCHANGING, kDestroyHide),
                            Msg(WM_WINDOWPOSCHANGED, kDestroyHide | kNoClientChange)},
                           kDeactivation,
                           {Msg(WM_DESTROY), Msg(WM_NCDESTROY)}}),
                   "DestroyWindow");
}

// Wine: test_messages (WmShowOverlappedSeq) — the activation messages come before
// WM_WINDOWPOSCHANGED, so its handler already sees the window active and focused.
TEST_F(ConfMessages, WindowPosChangedOfShowSeesTheNewActivation) {
    const HWND other = Overlapped(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const HWND hwnd = Overlapped();
    ASSERT_EQ(GetActiveWindow(), other);
    Log().clear();
    ShowWindow(hwnd, SW_SHOW);
    const Seen* changed = nullptr;
    for (const Seen& seen : Log())
        if (seen.hwnd == hwnd && seen.message == WM_WINDOWPOSCHANGED) changed = &seen;
    ASSERT_NE(changed, nullptr);
    EXPECT_EQ(changed->active, hwnd);
    EXPECT_EQ(changed->focus, hwnd);
    // The window that was active hears of it before the new one's WM_WINDOWPOSCHANGED too.
    ExpectSequence(other, {Msg(WM_NCACTIVATE, FALSE), Msg(WM_ACTIVATE, WA_INACTIVE), Msg(WM_KILLFOCUS)},
                   "deactivated window");
}

// Wine: test_messages (WmShowMaxOverlappedSeq).
TEST_F(ConfMessages, ShowMaximizedActivatesBeforeMoveAndSize) {
    const HWND hwnd = Overlapped();
    Log().clear();
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    ExpectSequence(hwnd,
                   Concat({{Msg(WM_WINDOWPOSCHANGING, SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_STATECHANGED)},
                           kActivation,
                           {Msg(WM_WINDOWPOSCHANGED), Msg(WM_MOVE), Msg(WM_SIZE, SIZE_MAXIMIZED)}}),
                   "ShowWindow(SW_SHOWMAXIMIZED)");
    EXPECT_TRUE(IsZoomed(hwnd));
}

// Wine: test_messages (WmShowChildSeq, WmHideChildSeq, WmShowChildSeq_2, WmShowChildSeq_3,
// WmShowChildSeq_4, WmShowVisiblePopupSeq_2).
TEST_F(ConfMessages, ChildWindowSequences) {
    const HWND parent = Overlapped(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const HWND child = ChildOf(parent);
    constexpr UINT kChildShow = kShowFlags | SWP_NOACTIVATE;
    constexpr UINT kChildHide = kHideFlags | SWP_NOACTIVATE;

    Log().clear();
    ShowWindow(child, SW_SHOW);
    ExpectSequence(child,
                   {Msg(WM_SHOWWINDOW, TRUE), Msg(WM_WINDOWPOSCHANGING, kChildShow),
                    Msg(WM_WINDOWPOSCHANGED, kChildShow | kNoClientChange)},
                   "ShowWindow(SW_SHOW) of a child");

    Log().clear();
    ShowWindow(child, SW_HIDE);
    ExpectSequence(child,
                   {Msg(WM_SHOWWINDOW, FALSE), Msg(WM_WINDOWPOSCHANGING, kChildHide),
                    Msg(WM_WINDOWPOSCHANGED, kChildHide | kNoClientChange)},
                   "ShowWindow(SW_HIDE) of a child");

    Log().clear();
    SetWindowPos(child, nullptr, 0, 0, 0, 0, kShowFlags);
    ExpectSequence(child,
                   {Msg(WM_WINDOWPOSCHANGING, kShowFlags), Msg(WM_CHILDACTIVATE),
                    Msg(WM_WINDOWPOSCHANGED, kShowFlags | kNoClientChange)},
                   "SetWindowPos(SWP_SHOWWINDOW) of a child");

    // Already visible: nothing changes, so only WM_WINDOWPOSCHANGING (and the activation) follow.
    Log().clear();
    SetWindowPos(child, nullptr, 0, 0, 0, 0, kShowFlags);
    ExpectSequence(child, {Msg(WM_WINDOWPOSCHANGING), Msg(WM_CHILDACTIVATE)},
                   "SetWindowPos(SWP_SHOWWINDOW) of a visible child");
    Log().clear();
    SetWindowPos(child, nullptr, 0, 0, 0, 0, kShowFlags | SWP_NOACTIVATE | SWP_NOZORDER);
    ExpectSequence(child, {Msg(WM_WINDOWPOSCHANGING)}, "SetWindowPos(SWP_NOACTIVATE) of a visible child");

    ShowWindow(child, SW_HIDE);
    Log().clear();
    SetWindowPos(child, nullptr, 0, 0, 0, 0, kChildShow);
    ExpectSequence(
        child,
        {Msg(WM_WINDOWPOSCHANGING, kChildShow), Msg(WM_WINDOWPOSCHANGED, kChildShow | kNoClientChange)},
        "SetWindowPos(SWP_SHOWWINDOW | SWP_NOACTIVATE) of a child");
}

// Wine: test_messages (WmShowChildInvisibleParentSeq_5, WmHideChildInvisibleParentSeq,
// WmDestroyInvisibleChildSeq) — a child of a hidden parent hears WM_SHOWWINDOW alone.
TEST_F(ConfMessages, ChildOfHiddenParentOnlyHearsShowWindow) {
    const HWND parent = Overlapped();
    const HWND child = ChildOf(parent);
    Log().clear();
    ShowWindow(child, SW_SHOW);
    ExpectSequence(child, {Msg(WM_SHOWWINDOW, TRUE)}, "ShowWindow(SW_SHOW)");
    EXPECT_NE(GetWindowLong(child, GWL_STYLE) & WS_VISIBLE, 0);
    Log().clear();
    ShowWindow(child, SW_HIDE);
    ExpectSequence(child, {Msg(WM_SHOWWINDOW, FALSE)}, "ShowWindow(SW_HIDE)");
    EXPECT_EQ(GetWindowLong(child, GWL_STYLE) & WS_VISIBLE, 0);
    ShowWindow(child, SW_SHOW);
    Log().clear();
    DestroyWindow(child);
    ExpectSequence(child, {Msg(WM_SHOWWINDOW, FALSE), Msg(WM_DESTROY), Msg(WM_NCDESTROY)}, "DestroyWindow");
}

// Wine: test_messages (WmDestroyChildSeq) — a destroyed child is hidden with WM_SHOWWINDOW and
// hands the focus to its parent before WM_DESTROY.
TEST_F(ConfMessages, DestroyedChildHandsTheFocusToItsParent) {
    const HWND parent = Overlapped(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const HWND child = ChildOf(parent, WS_CHILD | WS_VISIBLE);
    SetFocus(child);
    Log().clear();
    DestroyWindow(child);
    constexpr UINT kHide = kHideFlags | SWP_NOACTIVATE;
    ExpectSequence(child,
                   {Msg(WM_SHOWWINDOW, FALSE), Msg(WM_WINDOWPOSCHANGING, kHide),
                    Msg(WM_WINDOWPOSCHANGED, kHide | kNoClientChange), Msg(WM_KILLFOCUS), Msg(WM_DESTROY),
                    Msg(WM_NCDESTROY)},
                   "DestroyWindow of a focused child");
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& seen : Log())
        if (seen.message == WM_KILLFOCUS || seen.message == WM_SETFOCUS || seen.message == WM_DESTROY)
            order.emplace_back(seen.hwnd, seen.message);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {child, WM_KILLFOCUS}, {parent, WM_SETFOCUS}, {child, WM_DESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(GetFocus(), parent);
}

// Wine: test_messages (WmSWP_ResizeSeq, WmSWP_MoveSeq) — what did not change is reported as such.
TEST_F(ConfMessages, ResizeAndMoveReportWhatChanged) {
    const HWND hwnd = Overlapped(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    Log().clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 250, 250, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
    ExpectSequence(hwnd,
                   {Msg(WM_WINDOWPOSCHANGING, SWP_NOACTIVATE | SWP_NOMOVE),
                    Msg(WM_WINDOWPOSCHANGED, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOCLIENTMOVE),
                    Msg(WM_SIZE, SIZE_RESTORED)},
                   "resize");
    Log().clear();
    SetWindowPos(hwnd, nullptr, 20, 20, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
    ExpectSequence(
        hwnd,
        {Msg(WM_WINDOWPOSCHANGING, SWP_NOACTIVATE | SWP_NOSIZE),
         Msg(WM_WINDOWPOSCHANGED, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOCLIENTSIZE), Msg(WM_MOVE, 0)},
        "move");
}

}  // namespace conf_messages
