#include "menu_fixture.h"

namespace menutest {
namespace {

using Loop = MenuTest;

HMENU FilePopup() {
    HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_STRING, 10, "&Open");
    AppendMenu(m, MF_SEPARATOR, 0, nullptr);
    AppendMenu(m, MF_STRING | MF_GRAYED, 11, "&Print");
    AppendMenu(m, MF_STRING, 12, "&Save\tCtrl+S");
    return m;
}

struct Expected {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

void ExpectSequence(const std::vector<Expected>& expected) {
    const auto actual = MenuMessages();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].message, expected[i].message) << "at " << i;
        EXPECT_EQ(actual[i].wParam, expected[i].wParam)
            << "at " << i << std::hex << " message " << actual[i].message;
        EXPECT_EQ(actual[i].lParam, expected[i].lParam)
            << "at " << i << std::hex << " message " << actual[i].message;
    }
}

LPARAM L(HMENU m) {
    return reinterpret_cast<LPARAM>(m);
}
WPARAM W(HMENU m) {
    return reinterpret_cast<WPARAM>(m);
}

TEST_F(Loop, PopupNavigatedByKeysSendsWin32Sequence) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    // Down selects the first entry, Down skips the separator and stops on the greyed one, Down again,
    // Enter chooses.
    Keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(TrackPopupMenu(m, 0, 200, 200, 0, hwnd, nullptr));
    Pump();
    ExpectSequence({
        {WM_ENTERMENULOOP, TRUE, 0},
        {WM_INITMENU, W(m), 0},
        {WM_INITMENUPOPUP, W(m), 0},
        {WM_MENUSELECT, MAKEWPARAM(10, MF_HILITE), L(m)},
        {WM_MENUSELECT, MAKEWPARAM(11, MF_HILITE | MF_GRAYED), L(m)},
        {WM_MENUSELECT, MAKEWPARAM(12, MF_HILITE), L(m)},
        {WM_UNINITMENUPOPUP, W(m), 0},
        {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
        {WM_EXITMENULOOP, TRUE, 0},
        {WM_COMMAND, MAKEWPARAM(12, 0), 0},
    });
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(FindWindow(MENU_WINDOW_CLASS, nullptr), nullptr);
    DestroyMenu(m);
}

TEST_F(Loop, DisabledEntryIsSelectableButNotChosen) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    Keys({VK_END, VK_UP, VK_RETURN, VK_HOME, VK_RETURN});
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, hwnd, nullptr), 10);
    Pump();
    EXPECT_TRUE(Only(WM_COMMAND).empty());  // TPM_RETURNCMD returns instead of posting
}

TEST_F(Loop, MnemonicsChooseOrCycleAndOpenSubmenus) {
    HWND hwnd = Owner();
    HMENU m = CreatePopupMenu(), sub = CreatePopupMenu();
    AppendMenu(sub, MF_STRING, 31, "&Deep");
    AppendMenu(m, MF_STRING, 20, "&Alpha");
    AppendMenu(m, MF_STRING, 21, "&Another");
    AppendMenu(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&More");
    Keys({'A', 'A', 'M', 'D'});
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, hwnd, nullptr), 31);
    std::vector<WPARAM> selected;
    for (const Entry& e : Only(WM_MENUSELECT))
        selected.push_back(e.wParam);
    ASSERT_GE(selected.size(), 4u);
    EXPECT_EQ(selected[0], MAKEWPARAM(20, MF_HILITE));
    EXPECT_EQ(selected[1], MAKEWPARAM(21, MF_HILITE));
    EXPECT_EQ(selected[2], MAKEWPARAM(2, MF_HILITE | MF_POPUP));  // a popup entry reports its position
    EXPECT_EQ(selected[3], MAKEWPARAM(31, MF_HILITE));
    const auto init = Only(WM_INITMENUPOPUP);
    ASSERT_EQ(init.size(), 2u);
    EXPECT_EQ(init[1].wParam, W(sub));
    EXPECT_EQ(init[1].lParam, MAKELPARAM(2, FALSE));
    EXPECT_EQ(Only(WM_UNINITMENUPOPUP).size(), 2u);
    DestroyMenu(m);
}

TEST_F(Loop, MenuCharResultsDecideWhatHappens) {
    struct Case {
        WORD action;
        WORD item;
        int expected;  // command returned, 0 for none
        size_t beeps;
    } cases[] = {
        {MNC_EXECUTE, 1, 41, 0},
        {MNC_CLOSE, 0, 0, 0},
        {MNC_SELECT, 2, 42, 0},  // selected, then Enter chooses it
        {MNC_IGNORE, 0, 0, 1},   // beeps, then Escape
    };
    for (const Case& c : cases) {
        Log().clear();
        HWND hwnd = Owner();
        HMENU m = CreatePopupMenu();
        for (UINT id = 40; id < 43; ++id)
            AppendMenu(m, MF_OWNERDRAW, id, nullptr);
        Answer() = [&](UINT message, WPARAM, LPARAM, LRESULT* result) {
            if (message != WM_MENUCHAR) return false;
            *result = MAKELRESULT(c.item, c.action);
            return true;
        };
        Then([] { input::TypeText("z"); });
        if (c.action == MNC_SELECT) Keys({VK_RETURN});
        if (c.action == MNC_IGNORE) Keys({VK_ESCAPE});
        const size_t beepsBefore = win32::testing::Beeps().size();
        EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, hwnd, nullptr), c.expected) << c.action;
        EXPECT_EQ(win32::testing::Beeps().size() - beepsBefore, c.beeps) << c.action;
        const auto chars = Only(WM_MENUCHAR);
        ASSERT_EQ(chars.size(), 1u);
        EXPECT_EQ(chars[0].wParam, MAKEWPARAM('z', MF_POPUP));
        EXPECT_EQ(chars[0].lParam, L(m));
        Answer() = nullptr;
        DestroyMenu(m);
        DestroyWindow(hwnd);
    }
}

TEST_F(Loop, OwnerDrawnEntriesAreMeasuredOnceAndDrawnWithTheirState) {
    HWND hwnd = Owner();
    HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_OWNERDRAW, 51, reinterpret_cast<LPCSTR>(0x1234));
    AppendMenu(m, MF_OWNERDRAW | MF_CHECKED | MF_GRAYED, 52, reinterpret_cast<LPCSTR>(0x5678));
    Answer() = [](UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
        if (message != WM_MEASUREITEM) return false;
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure->itemWidth = 80;
        measure->itemHeight = 30;
        *result = TRUE;
        return true;
    };
    Keys({VK_DOWN, VK_ESCAPE});
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 100, 100, 0, hwnd, nullptr), 0);
    Keys({VK_ESCAPE});
    TrackPopupMenu(m, TPM_RETURNCMD, 100, 100, 0, hwnd, nullptr);

    const auto measures = Only(WM_MEASUREITEM);
    ASSERT_EQ(measures.size(), 2u);  // the second opening reuses the sizes
    EXPECT_EQ(measures[0].wParam, 0u);
    EXPECT_EQ(measures[0].measure.CtlType, ODT_MENU);
    EXPECT_EQ(measures[0].measure.itemID, 51u);
    EXPECT_EQ(measures[0].measure.itemData, 0x1234u);
    EXPECT_EQ(measures[1].measure.itemData, 0x5678u);

    const auto draws = Only(WM_DRAWITEM);
    ASSERT_GE(draws.size(), 3u);
    const DRAWITEMSTRUCT& first = draws[0].draw;
    EXPECT_EQ(first.CtlType, ODT_MENU);
    EXPECT_EQ(first.itemID, 51u);
    EXPECT_EQ(first.itemAction, ODA_DRAWENTIRE);
    EXPECT_EQ(first.itemState, 0u);
    EXPECT_EQ(first.hwndItem, reinterpret_cast<HWND>(m));
    EXPECT_EQ(first.itemData, 0x1234u);
    EXPECT_EQ(first.rcItem.bottom - first.rcItem.top, 30);
    EXPECT_GE(first.rcItem.right - first.rcItem.left, 80);
    const DRAWITEMSTRUCT& second = draws[1].draw;
    EXPECT_EQ(second.itemID, 52u);
    EXPECT_EQ(second.itemState, ODS_CHECKED | ODS_GRAYED);
    EXPECT_EQ(second.rcItem.top, first.rcItem.bottom);
    const DRAWITEMSTRUCT& select = draws[2].draw;
    EXPECT_EQ(select.itemID, 51u);
    EXPECT_EQ(select.itemAction, ODA_SELECT);
    EXPECT_EQ(select.itemState, ODS_SELECTED);
    DestroyMenu(m);
}

TEST_F(Loop, EscapeAndClickOutsideCancelWithoutCommand) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    Keys({VK_DOWN, VK_ESCAPE});
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, hwnd, nullptr), 0);
    Log().clear();
    Then([] { input::Click(150, 150); });  // inside the owner, outside the menu
    EXPECT_TRUE(TrackPopupMenu(m, 0, 300, 300, 0, hwnd, nullptr));
    Pump();
    EXPECT_TRUE(Only(WM_COMMAND).empty());
    EXPECT_TRUE(Only(WM_LBUTTONDOWN).empty());  // the cancelling click is not passed on
    EXPECT_EQ(Only(WM_EXITMENULOOP).size(), 1u);
    DestroyMenu(m);
}

TEST_F(Loop, MouseHoverSelectsAndClickChooses) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    Then([&] {
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(hwnd, m, 3, &r));
        EXPECT_EQ(MenuItemFromPoint(hwnd, m, Center(r)), 3);
        input::Click(Center(r).x, Center(r).y);
    });
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 200, 200, 0, hwnd, nullptr), 12);
    const auto selects = Only(WM_MENUSELECT);
    ASSERT_GE(selects.size(), 1u);
    EXPECT_EQ(selects[0].wParam, MAKEWPARAM(12, MF_HILITE | MF_MOUSESELECT));
    DestroyMenu(m);
}

TEST_F(Loop, PopupAlignmentAndScreenEdges) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    struct Case {
        UINT flags;
        int x, y;
        bool right, bottom;  // the point is the menu's right / bottom edge
    } cases[] = {
        {TPM_LEFTALIGN | TPM_TOPALIGN, 300, 300, false, false},
        {TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 300, 300, true, true},
        {TPM_LEFTALIGN, 1020, 760, true, true},  // no room right or below: flipped
    };
    for (const Case& c : cases) {
        RECT r{};
        Then([&] {
            HWND window = FindWindow(MENU_WINDOW_CLASS, nullptr);
            ASSERT_NE(window, nullptr);
            GetWindowRect(window, &r);
            input::PressKey(VK_ESCAPE);
        });
        TrackPopupMenu(m, c.flags | TPM_RETURNCMD, c.x, c.y, 0, hwnd, nullptr);
        EXPECT_EQ(c.right ? r.right : r.left, c.x) << c.flags;
        EXPECT_EQ(c.bottom ? r.bottom : r.top, c.y) << c.flags;
    }
    DestroyMenu(m);
}

TEST_F(Loop, OpenMenuAppearsOnTheScreen) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    COLORREF ground = 0, highlight = 0, border = 0;
    RECT item{};
    Then([&] {
        GetMenuItemRect(hwnd, m, 0, &item);
        HDC screen = GetDC(nullptr);
        ground = GetPixel(screen, item.right - 3, item.top + 1);
        RECT window{};
        GetWindowRect(FindWindow(MENU_WINDOW_CLASS, nullptr), &window);
        border = GetPixel(screen, window.left + 1, window.top + 1);
        ReleaseDC(nullptr, screen);
        input::PressKey(VK_DOWN);
    });
    Then([&] {
        HDC screen = GetDC(nullptr);
        highlight = GetPixel(screen, item.right - 3, item.top + 1);
        ReleaseDC(nullptr, screen);
        input::PressKey(VK_ESCAPE);
    });
    TrackPopupMenu(m, TPM_RETURNCMD, 150, 150, 0, hwnd, nullptr);
    EXPECT_EQ(ground, GetSysColor(COLOR_MENU));
    EXPECT_EQ(highlight, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(border, GetSysColor(COLOR_3DHILIGHT));
    DestroyMenu(m);
}

TEST_F(Loop, MenuBarSubmenuChosenByMouseOnTheFrame) {
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 31, "&New");
    AppendMenu(file, MF_STRING, 32, "&Quit");
    AppendMenu(edit, MF_STRING, 33, "&Copy");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    HWND hwnd = Owner(bar);
    RECT fileRect{}, editRect{};
    ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 0, &fileRect));
    ASSERT_TRUE(GetMenuItemRect(hwnd, bar, 1, &editRect));
    EXPECT_EQ(MenuItemFromPoint(hwnd, bar, Center(editRect)), 1);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, fileRect.left + 1, fileRect.top + 1), GetSysColor(COLOR_MENU));
    ReleaseDC(nullptr, screen);

    COLORREF open = 0;
    // Dragging along the bar moves the drop-down to the next entry, and back.
    Then([&] { input::MoveMouse(Center(editRect).x, Center(editRect).y); });
    Then([&] { input::MoveMouse(Center(fileRect).x, Center(fileRect).y); });
    Then([&] {
        HDC dc = GetDC(nullptr);
        open = GetPixel(dc, fileRect.left + 1, fileRect.top + 1);
        ReleaseDC(nullptr, dc);
        RECT quit{};
        ASSERT_TRUE(GetMenuItemRect(hwnd, file, 1, &quit));
        input::Click(Center(quit).x, Center(quit).y);
    });
    input::Click(Center(fileRect).x, Center(fileRect).y);
    Pump();
    EXPECT_EQ(open, GetSysColor(COLOR_HIGHLIGHT));
    ExpectSequence({
        {WM_SYSCOMMAND, SC_MOUSEMENU + HTMENU,
         MAKELPARAM(static_cast<WORD>(Center(fileRect).x), static_cast<WORD>(Center(fileRect).y))},
        {WM_ENTERMENULOOP, FALSE, 0},
        {WM_INITMENU, W(bar), 0},
        {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE | MF_MOUSESELECT), L(bar)},
        {WM_INITMENUPOPUP, W(file), MAKELPARAM(0, FALSE)},
        {WM_UNINITMENUPOPUP, W(file), 0},
        {WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP | MF_HILITE | MF_MOUSESELECT), L(bar)},
        {WM_INITMENUPOPUP, W(edit), MAKELPARAM(1, FALSE)},
        {WM_UNINITMENUPOPUP, W(edit), 0},
        {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE | MF_MOUSESELECT), L(bar)},
        {WM_INITMENUPOPUP, W(file), MAKELPARAM(0, FALSE)},
        {WM_MENUSELECT, MAKEWPARAM(32, MF_HILITE | MF_MOUSESELECT), L(file)},
        {WM_UNINITMENUPOPUP, W(file), 0},
        {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
        {WM_EXITMENULOOP, FALSE, 0},
        {WM_COMMAND, MAKEWPARAM(32, 0), 0},
    });
    screen = GetDC(nullptr);
    Pump();
    EXPECT_EQ(GetPixel(screen, fileRect.left + 1, fileRect.top + 1), GetSysColor(COLOR_MENU));
    ReleaseDC(nullptr, screen);
}

TEST_F(Loop, AltLetterAndArrowsDriveTheBar) {
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 31, "&New");
    AppendMenu(edit, MF_STRING, 33, "&Copy");
    AppendMenu(edit, MF_STRING, 34, "&Paste");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    Owner(bar);
    // Alt+F opens File with its first entry selected; Right moves to Edit; Down, Enter chooses Paste.
    Keys({VK_RIGHT, VK_DOWN, VK_RETURN});
    input::PressKey('F', input::Alt);
    Pump();
    const auto commands = Only(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(34, 0));
    const auto init = Only(WM_INITMENUPOPUP);
    ASSERT_EQ(init.size(), 2u);
    EXPECT_EQ(init[0].wParam, W(file));
    EXPECT_EQ(init[1].wParam, W(edit));

    // F10 selects the bar; Escape leaves.
    Log().clear();
    Keys({VK_ESCAPE});
    input::PressKey(VK_F10);
    Pump();
    ExpectSequence({
        {WM_SYSCOMMAND, SC_KEYMENU, 0},
        {WM_ENTERMENULOOP, FALSE, 0},
        {WM_INITMENU, W(bar), 0},
        {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), L(bar)},
        {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
        {WM_EXITMENULOOP, FALSE, 0},
    });
}

TEST_F(Loop, SystemMenuFromAltSpace) {
    HWND hwnd = Owner();
    Answer() = [](UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
        *result = 0;
        return message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE;
    };
    Then([] { input::TypeText("n"); });
    input::PressKey(VK_SPACE, input::Alt);
    Pump();
    HMENU sys = GetSystemMenu(hwnd, FALSE);
    const auto init = Only(WM_INITMENUPOPUP);
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].wParam, W(sys));
    EXPECT_EQ(init[0].lParam, MAKELPARAM(0, TRUE));
    bool sawSystemFlag = false;
    for (const Entry& e : Only(WM_MENUSELECT))
        if (HIWORD(e.wParam) != 0xFFFF) sawSystemFlag = sawSystemFlag || (HIWORD(e.wParam) & MF_SYSMENU);
    EXPECT_TRUE(sawSystemFlag);
    bool minimize = false;
    for (const Entry& e : Only(WM_SYSCOMMAND))
        minimize = minimize || e.wParam == SC_MINIMIZE;
    EXPECT_TRUE(minimize);
}

TEST_F(Loop, AcceleratorsSendCommandsAfterInitMenu) {
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenu(file, MF_STRING, 11, "&Save\tCtrl+S");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HWND hwnd = Owner(bar);
    const ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'S', 11}, {FVIRTKEY, VK_F5, 60}};
    HACCEL table = CreateAcceleratorTable(entries, 2);
    auto run = [&] {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!TranslateAccelerator(hwnd, table, &msg)) {
                TranslateMessage(&msg);
                DispatchMessage(&msg);
            }
    };
    input::PressKey('S', input::Ctrl);
    run();
    ExpectSequence({
        {WM_INITMENU, W(bar), 0},
        {WM_INITMENUPOPUP, W(file), MAKELPARAM(0, FALSE)},
        {WM_COMMAND, MAKEWPARAM(11, 1), 0},
    });
    Log().clear();
    input::PressKey('S');  // without Ctrl: no accelerator
    input::PressKey(VK_F5);
    run();
    ExpectSequence({{WM_COMMAND, MAKEWPARAM(60, 1), 0}});

    Log().clear();
    EnableMenuItem(bar, 11, MF_GRAYED);
    input::PressKey('S', input::Ctrl);
    run();
    EXPECT_TRUE(Only(WM_COMMAND).empty());  // a greyed entry's command is not sent
    EXPECT_EQ(Only(WM_INITMENU).size(), 1u);
    SetLastError(0);
    MSG msg{};
    EXPECT_EQ(TranslateAccelerator(hwnd, MakeHandle<HACCEL>(0x42), &msg), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCEL_HANDLE);
    DestroyAcceleratorTable(table);
}

// Values as Wine's menu loop sends them for F1 (dlls/user32/menu.c, VK_F1).
TEST_F(Loop, F1AsksForHelpOnTheSelectedEntryAndTheLoopShowsInThreadInfo) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_HELPID;
    info.dwContextHelpID = 77;
    SetMenuInfo(m, &info);
    static std::vector<HELPINFO> requests;
    requests.clear();
    Answer() = [](UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_HELP) requests.push_back(*reinterpret_cast<HELPINFO*>(lParam));
        return false;
    };
    GUITHREADINFO during{};
    Then([] { input::PressKey(VK_F1); });
    Then([] { input::PressKey(VK_DOWN); });
    Then([&during] {
        during.cbSize = sizeof during;
        GetGUIThreadInfo(0, &during);
        input::PressKey(VK_F1);
    });
    Keys({VK_ESCAPE});
    TrackPopupMenu(m, 0, 150, 150, 0, hwnd, nullptr);
    ASSERT_EQ(requests.size(), 2u);
    for (const HELPINFO& help : requests) {
        EXPECT_EQ(help.cbSize, sizeof(HELPINFO));
        EXPECT_EQ(help.iContextType, HELPINFO_MENUITEM);
        EXPECT_EQ(help.hItemHandle, reinterpret_cast<HANDLE>(m));
        EXPECT_EQ(help.dwContextId, 77u);
    }
    EXPECT_EQ(requests[0].iCtrlId, 0);  // nothing selected yet
    EXPECT_EQ(requests[1].iCtrlId, 10);
    EXPECT_EQ(during.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE),
              GUI_INMENUMODE | GUI_POPUPMENUMODE);
    EXPECT_EQ(during.hwndMenuOwner, hwnd);
    GUITHREADINFO after{};
    after.cbSize = sizeof after;
    ASSERT_TRUE(GetGUIThreadInfo(0, &after));
    EXPECT_EQ(after.flags & GUI_INMENUMODE, 0u);
    EXPECT_EQ(after.hwndMenuOwner, nullptr);
    DestroyMenu(m);
}

TEST_F(Loop, HooksSeeTheLoopAndAnIdleLoopRaises) {
    HWND hwnd = Owner();
    HMENU m = FilePopup();
    static std::vector<int> codes;
    codes.clear();
    HHOOK hook = SetWindowsHookEx(
        WH_MSGFILTER,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            codes.push_back(code);
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    Keys({VK_ESCAPE});
    TrackPopupMenu(m, 0, 100, 100, 0, hwnd, nullptr);
    UnhookWindowsHookEx(hook);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), MSGF_MENU);

    SetLastError(0);
    EXPECT_FALSE(TrackPopupMenu(MakeHandle<HMENU>(0x5), 0, 0, 0, 0, hwnd, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    EXPECT_FALSE(TrackPopupMenu(m, 0, 0, 0, 0, MakeHandle<HWND>(0x5), nullptr));

    win32::testing::SetModalScript(nullptr);
    EXPECT_THROW(TrackPopupMenu(m, 0, 100, 100, 0, hwnd, nullptr), ModalLoopStuck);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(FindWindow(MENU_WINDOW_CLASS, nullptr), nullptr);
    // The loop is over: a new one may start.
    Keys({VK_ESCAPE});
    win32::testing::SetModalScript([this](std::string_view) {
        if (steps_.empty()) return;
        auto step = std::move(steps_.front());
        steps_.pop_front();
        step();
    });
    EXPECT_TRUE(TrackPopupMenu(m, 0, 100, 100, 0, hwnd, nullptr));
    DestroyMenu(m);
}

}  // namespace
}  // namespace menutest
