#include <cstring>

#include "recorder.h"

namespace usertest {
namespace {

using WindowLifetime = UserTest;

TEST_F(WindowLifetime, CreationSendsNcCreateCalcSizeCreateSizeMoveInOrder) {
    HWND w = Top(10, 20, 300, 200, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(MessagesOf(w),
              (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
}

TEST_F(WindowLifetime, ChildCreationNotifiesParentAfterCreate) {
    HWND parent = Top();
    Log().clear();
    HWND child = Child(parent, 0, 0, 10, 10, WS_CHILD, 7);
    auto seq = Sequence({WM_CREATE, WM_PARENTNOTIFY});
    ASSERT_EQ(seq.size(), 2u);
    EXPECT_EQ(seq[0], std::make_pair(child, WM_CREATE));
    EXPECT_EQ(seq[1], std::make_pair(parent, WM_PARENTNOTIFY));
    EXPECT_EQ(LOWORD(Log().back().wParam), WM_CREATE);
    EXPECT_EQ(HIWORD(Log().back().wParam), 7);
}

TEST_F(WindowLifetime, CreateFailingInWmCreateDestroysAndReturnsNull) {
    ClassHandler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_CREATE) return false;
        *r = -1;
        return true;
    };
    HWND w = Top();
    EXPECT_EQ(w, nullptr);
    ASSERT_GE(Log().size(), 2u);
    EXPECT_EQ(Log()[Log().size() - 2].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(Log().back().hwnd));
}

TEST_F(WindowLifetime, NcCreateFalseFailsCreation) {
    ClassHandler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_NCCREATE) return false;
        *r = FALSE;
        return true;
    };
    EXPECT_EQ(Top(), nullptr);
    EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(WindowLifetime, DestroyOrderIsDestroyParentFirstThenNcDestroyChildrenFirst) {
    HWND parent = Top(0, 0, 300, 300, WS_OVERLAPPEDWINDOW);
    HWND child = Child(parent, 0, 0, 100, 100);
    HWND grandchild = Child(child, 0, 0, 10, 10);
    Log().clear();
    ASSERT_TRUE(DestroyWindow(parent));
    auto seq = Sequence({WM_DESTROY, WM_NCDESTROY});
    std::vector<std::pair<HWND, UINT>> expected{{parent, WM_DESTROY},     {child, WM_DESTROY},
                                                {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
                                                {child, WM_NCDESTROY},    {parent, WM_NCDESTROY}};
    EXPECT_EQ(seq, expected);
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(WindowLifetime, DestroyingVisibleActiveWindowHidesAndDeactivatesFirst) {
    HWND w = Top();
    ASSERT_EQ(GetActiveWindow(), w);
    Log().clear();
    DestroyWindow(w);
    EXPECT_EQ(MessagesOf(w, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE, WM_ACTIVATE,
                             WM_ACTIVATEAPP, WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE, WM_ACTIVATE,
                                 WM_ACTIVATEAPP, WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowLifetime, OwnedWindowsAreDestroyedBeforeTheirOwner) {
    HWND owner = Top();
    HWND owned =
        CreateWindowEx(0, "Recorder", "owned", WS_POPUP, 0, 0, 50, 50, owner, nullptr, nullptr, nullptr);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_EQ(GetParent(owned), owner);
    Log().clear();
    DestroyWindow(owner);
    auto seq = Sequence({WM_DESTROY});
    ASSERT_EQ(seq.size(), 2u);
    EXPECT_EQ(seq[0].first, owned);
    EXPECT_EQ(seq[1].first, owner);
}

TEST_F(WindowLifetime, DestroyInsideOwnHandlerIsSafe) {
    HWND w = Top();
    Handlers()[w] = [](HWND h, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_USER) return false;
        DestroyWindow(h);
        // The record is still alive while this call runs; calls on it fail cleanly.
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(SetWindowLongPtr(h, GWL_USERDATA, 5), 0);
        *r = 42;
        return true;
    };
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 42);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowLifetime, StaleHandlesFailWithInvalidWindowHandle) {
    HWND w = Top();
    DestroyWindow(w);
    const HWND bogus = MakeHandle<HWND>(0x12345678);
    for (HWND h : {w, bogus, HWND{}}) {
        SetLastError(0);
        EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        SetLastError(0);
        RECT r{};
        EXPECT_FALSE(GetWindowRect(h, &r));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_FALSE(DestroyWindow(h));
        EXPECT_FALSE(ShowWindow(h, SW_SHOW));
        EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 1, 1, 0));
        EXPECT_EQ(GetWindowLongPtr(h, GWL_STYLE), 0);
        EXPECT_FALSE(IsWindowVisible(h));
        EXPECT_EQ(SetFocus(h), nullptr);
        if (h) {
            EXPECT_EQ(SetTimer(h, 1, 10, nullptr), 0u);
        }
    }
    EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
}

TEST_F(WindowLifetime, HandlesOfDestroyedWindowsAreNotReusedSoon) {
    std::vector<HWND> seen;
    for (int i = 0; i < 200; ++i) {
        HWND w = Top(0, 0, 50, 50, WS_POPUP);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), w), 0);
        seen.push_back(w);
        DestroyWindow(w);
    }
}

using WindowClasses = UserTest;

TEST_F(WindowClasses, RegisterTwiceFailsAndInfoRoundTrips) {
    WNDCLASS wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "recorder";  // class names ignore case
    SetLastError(0);
    EXPECT_EQ(RegisterClass(&wc), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    WNDCLASS info{};
    ASSERT_TRUE(GetClassInfo(nullptr, "RECORDER", &info));
    EXPECT_EQ(info.lpfnWndProc, &RecordingProc);
    EXPECT_EQ(info.style, CS_DBLCLKS);
    EXPECT_EQ(HandleValue(info.hbrBackground), static_cast<UINT_PTR>(COLOR_WINDOW + 1));
}

TEST_F(WindowClasses, UnregisterRefusedWhileWindowsExist) {
    HWND w = Top(0, 0, 10, 10, WS_POPUP, "Plain");
    EXPECT_FALSE(UnregisterClass("Plain", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClass("Plain", nullptr));
    EXPECT_EQ(CreateWindowEx(0, "Plain", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowClasses, ClassNameAndExtraBytes) {
    WNDCLASSEX wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProc;
    wc.cbWndExtra = 16;
    wc.lpszClassName = "Extra";
    ASSERT_NE(RegisterClassEx(&wc), 0);
    HWND w = CreateWindowEx(0, "Extra", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    char name[8];
    EXPECT_EQ(GetClassName(w, name, sizeof name), 5);
    EXPECT_STREQ(name, "Extra");
    EXPECT_EQ(SetWindowLongPtr(w, 8, 0x1234), 0);
    EXPECT_EQ(GetWindowLongPtr(w, 8), 0x1234);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtr(w, 9), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
}

using WindowTree = UserTest;

TEST_F(WindowTree, ChildrenKeepCreationOrderAndZOrderMoves) {
    HWND parent = Top();
    HWND a = Child(parent, 0, 0, 10, 10), b = Child(parent, 0, 0, 10, 10), c = Child(parent, 0, 0, 10, 10);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetTopWindow(parent), c);
    SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
    SetWindowPos(a, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), b);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
    EXPECT_TRUE(IsChild(parent, a));
    EXPECT_FALSE(IsChild(a, parent));
    EXPECT_EQ(GetParent(a), parent);
    EXPECT_EQ(GetAncestor(a, GA_ROOT), parent);
}

TEST_F(WindowTree, TopmostWindowsStayAboveOthers) {
    HWND normal = Top(0, 0, 10, 10, WS_POPUP | WS_VISIBLE);
    HWND topmost = CreateWindowEx(WS_EX_TOPMOST, "Recorder", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND later = Top(0, 0, 10, 10, WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetTopWindow(nullptr), topmost);
    EXPECT_EQ(GetWindow(topmost, GW_HWNDNEXT), later);
    SetWindowPos(normal, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(GetWindowLong(normal, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetTopWindow(nullptr), normal);
    SetWindowPos(normal, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_FALSE(GetWindowLong(normal, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetTopWindow(nullptr), topmost);
}

TEST_F(WindowTree, SetParentMovesWindowAndRefusesCycles) {
    HWND a = Top(), b = Top();
    HWND child = Child(a, 5, 6, 10, 10);
    EXPECT_EQ(SetParent(child, b), a);
    EXPECT_EQ(GetParent(child), b);
    EXPECT_FALSE(IsChild(a, child));
    RECT r;
    GetWindowRect(child, &r);
    POINT origin{0, 0};
    ClientToScreen(b, &origin);
    EXPECT_EQ(r.left, origin.x + 5);
    HWND inner = Child(child, 0, 0, 1, 1);
    EXPECT_EQ(SetParent(child, inner), nullptr);
}

TEST_F(WindowTree, EnumAndFindVisitTheTree) {
    HWND a = Top(), b = Top();
    SetWindowText(b, "Second");
    HWND c1 = Child(a, 0, 0, 1, 1), c2 = Child(c1, 0, 0, 1, 1);
    std::vector<HWND> tops;
    EnumWindows(
        [](HWND h, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tops));
    EXPECT_EQ(tops, (std::vector<HWND>{b, a}));
    std::vector<HWND> kids;
    EnumChildWindows(
        a,
        [](HWND h, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&kids));
    EXPECT_EQ(kids, (std::vector<HWND>{c1, c2}));
    EXPECT_EQ(FindWindow("recorder", "second"), b);
    EXPECT_EQ(FindWindow(nullptr, "top"), a);
    EXPECT_EQ(FindWindowEx(a, nullptr, "Recorder", nullptr), c1);
    EXPECT_EQ(FindWindowEx(a, c1, "Recorder", nullptr), nullptr);
    EXPECT_EQ(FindWindow("Nothing", nullptr), nullptr);
}

TEST_F(WindowTree, MessageOnlyWindowsAreNotEnumerated) {
    HWND message =
        CreateWindowEx(0, "Recorder", "hidden", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(message, nullptr);
    int count = 0;
    EnumWindows(
        [](HWND, LPARAM p) {
            ++*reinterpret_cast<int*>(p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(FindWindowEx(HWND_MESSAGE, nullptr, "Recorder", "hidden"), message);
    EXPECT_TRUE(PostMessage(message, WM_USER, 1, 2));
}

using WindowData = UserTest;

TEST_F(WindowData, StyleChangesAreAnnouncedAndCanBeAdjusted) {
    HWND w = Top(0, 0, 100, 100, WS_POPUP);
    Handlers()[w] = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT*) {
        if (m == WM_STYLECHANGING) reinterpret_cast<STYLESTRUCT*>(l)->styleNew |= WS_BORDER;
        return false;
    };
    Log().clear();
    const LONG old = SetWindowLong(w, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_THICKFRAME));
    EXPECT_EQ(static_cast<DWORD>(old), WS_POPUP | WS_CLIPSIBLINGS);
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLong(w, GWL_STYLE)), WS_POPUP | WS_THICKFRAME | WS_BORDER);
    EXPECT_EQ(Log().back().wParam, static_cast<WPARAM>(GWL_STYLE));
}

TEST_F(WindowData, TextGoesThroughMessages) {
    HWND w = Top();
    Log().clear();
    EXPECT_TRUE(SetWindowText(w, "Grüße"));
    EXPECT_EQ(GetWindowTextLength(w), 7);
    char buffer[6];
    // Truncation does not split the two-byte ü/ß sequences.
    EXPECT_EQ(GetWindowText(w, buffer, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "Grü");
    EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_SETTEXT, WM_GETTEXTLENGTH, WM_GETTEXT}));
}

TEST_F(WindowData, UserDataIdAndOwner) {
    HWND owner = Top();
    HWND w = Top(0, 0, 10, 10, WS_POPUP);
    EXPECT_EQ(SetWindowLongPtr(w, GWL_USERDATA, 77), 0);
    EXPECT_EQ(GetWindowLongPtr(w, GWL_USERDATA), 77);
    EXPECT_EQ(SetWindowLongPtr(w, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner)), 0);
    EXPECT_EQ(GetWindow(w, GW_OWNER), owner);
    HWND child = Child(owner, 0, 0, 1, 1, WS_CHILD, 9);
    EXPECT_EQ(GetWindowLong(child, GWL_ID), 9);
}

TEST_F(WindowData, EnableWindowSendsEnableAndMovesFocusAway) {
    HWND top = Top();
    HWND edit = Child(top, 0, 0, 10, 10);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    Log().clear();
    EXPECT_FALSE(EnableWindow(top, FALSE));
    EXPECT_FALSE(IsWindowEnabled(top));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(MessagesOf(edit, {WM_KILLFOCUS}), (std::vector<UINT>{WM_KILLFOCUS}));
    EXPECT_EQ(MessagesOf(top, {WM_CANCELMODE, WM_ENABLE}), (std::vector<UINT>{WM_CANCELMODE, WM_ENABLE}));
    EXPECT_TRUE(EnableWindow(top, TRUE));
}

TEST_F(WindowData, VisibilityFollowsAncestors) {
    HWND top = Top(0, 0, 100, 100, WS_OVERLAPPEDWINDOW);
    HWND child = Child(top, 0, 0, 10, 10);
    EXPECT_TRUE(GetWindowLong(child, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(IsWindowVisible(child));
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(child));
}

}  // namespace
}  // namespace usertest
