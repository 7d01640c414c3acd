#include <cstring>

#include "menu_fixture.h"

namespace menutest {
namespace {

using Items = MenuTest;

TEST_F(Items, AppendFlagsComeBackFromGetMenuState) {
    struct Case {
        UINT flags;
        UINT state;
    } cases[] = {
        {MF_STRING, 0},
        {MF_GRAYED, MF_GRAYED},
        {MF_DISABLED, MF_DISABLED},
        {MF_CHECKED, MF_CHECKED},
        {MF_CHECKED | MF_GRAYED, MF_CHECKED | MF_GRAYED},
        {MF_MENUBREAK, MF_MENUBREAK},
        {MF_MENUBARBREAK, MF_MENUBARBREAK},
        {MF_SEPARATOR, MF_SEPARATOR | MF_GRAYED | MF_DISABLED},  // separators cannot be chosen
        {MF_OWNERDRAW, MF_OWNERDRAW},
        {MF_RIGHTJUSTIFY, MF_RIGHTJUSTIFY},
        {MF_DEFAULT, 0},  // the default entry is SetMenuDefaultItem's to set
        {MF_HILITE, MF_HILITE},
    };
    HMENU m = CreatePopupMenu();
    UINT id = 100;
    for (const Case& c : cases) {
        ASSERT_TRUE(AppendMenu(m, c.flags, id, (c.flags & MF_OWNERDRAW) ? nullptr : "x"));
        EXPECT_EQ(GetMenuState(m, id, MF_BYCOMMAND), c.state) << std::hex << c.flags;
        ++id;
    }
    EXPECT_EQ(GetMenuItemCount(m), static_cast<int>(std::size(cases)));
    DestroyMenu(m);
}

TEST_F(Items, ItemInfoStringProtocol) {
    HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_STRING, 1, "&Open\tCtrl+O");
    AppendMenu(m, MF_SEPARATOR, 0, nullptr);
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    ASSERT_TRUE(GetMenuItemInfo(m, 0, TRUE, &info));
    EXPECT_EQ(info.cch, 12u);  // no buffer: the length

    char small[5] = "????";
    info.dwTypeData = small;
    info.cch = sizeof small;
    ASSERT_TRUE(GetMenuItemInfo(m, 1, FALSE, &info));
    EXPECT_STREQ(small, "&Ope");
    EXPECT_EQ(info.cch, 4u);

    char big[64];
    info.dwTypeData = big;
    info.cch = sizeof big;
    ASSERT_TRUE(GetMenuItemInfo(m, 0, TRUE, &info));
    EXPECT_STREQ(big, "&Open\tCtrl+O");
    EXPECT_EQ(info.cch, 12u);

    info.cch = sizeof big;
    ASSERT_TRUE(GetMenuItemInfo(m, 1, TRUE, &info));
    EXPECT_EQ(info.cch, 0u);
    EXPECT_STREQ(big, "");

    char text[16];
    EXPECT_EQ(GetMenuString(m, 1, nullptr, 0, MF_BYCOMMAND), 12);
    EXPECT_EQ(GetMenuString(m, 1, text, 6, MF_BYCOMMAND), 5);
    EXPECT_STREQ(text, "&Open");
    DestroyMenu(m);
}

TEST_F(Items, SetAndGetItemInfoRoundTripEveryMask) {
    HMENU m = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    HBITMAP checked = MakeHandle<HBITMAP>(0x51), unchecked = MakeHandle<HBITMAP>(0x52);
    char label[] = "Label";
    MENUITEMINFO in{};
    in.cbSize = sizeof in;
    in.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_DATA |
               MIIM_BITMAP;
    in.fType = MFT_RADIOCHECK | MFT_MENUBREAK;
    in.fState = MFS_CHECKED | MFS_DEFAULT;
    in.wID = 42;
    in.hSubMenu = sub;
    in.hbmpChecked = checked;
    in.hbmpUnchecked = unchecked;
    in.dwItemData = 0xABCDEF;
    in.dwTypeData = label;
    in.hbmpItem = HBMMENU_POPUP_CLOSE;
    ASSERT_TRUE(InsertMenuItem(m, 0, TRUE, &in));

    char buffer[16];
    MENUITEMINFO out{};
    out.cbSize = sizeof out;
    out.fMask = in.fMask;
    out.dwTypeData = buffer;
    out.cch = sizeof buffer;
    ASSERT_TRUE(GetMenuItemInfo(m, 0, TRUE, &out));
    EXPECT_EQ(out.fType, in.fType);
    EXPECT_EQ(out.fState, in.fState);
    EXPECT_EQ(out.wID, 42u);
    EXPECT_EQ(out.hSubMenu, sub);
    EXPECT_EQ(out.hbmpChecked, checked);
    EXPECT_EQ(out.hbmpUnchecked, unchecked);
    EXPECT_EQ(out.dwItemData, 0xABCDEFu);
    EXPECT_STREQ(buffer, "Label");
    EXPECT_EQ(out.hbmpItem, HBMMENU_POPUP_CLOSE);

    // Only the masked fields change.
    MENUITEMINFO state{};
    state.cbSize = sizeof state;
    state.fMask = MIIM_STATE;
    state.fState = MFS_GRAYED;
    ASSERT_TRUE(SetMenuItemInfo(m, 42, FALSE, &state));
    ASSERT_TRUE(GetMenuItemInfo(m, 0, TRUE, &out));
    EXPECT_EQ(out.fState, MFS_GRAYED);
    EXPECT_EQ(out.wID, 42u);
    EXPECT_EQ(out.dwItemData, 0xABCDEFu);
    DestroyMenu(m);
    EXPECT_FALSE(IsMenu(sub));
}

TEST_F(Items, ByCommandSearchesSubmenusDepthFirst) {
    HMENU top = CreateMenu(), a = CreatePopupMenu(), b = CreatePopupMenu();
    AppendMenu(b, MF_STRING, 77, "Deep");
    AppendMenu(a, MF_STRING, 5, "One");
    AppendMenu(a, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "B");
    AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "A");
    AppendMenu(top, MF_STRING, 77, "Shallow");

    char text[16];
    ASSERT_EQ(GetMenuString(top, 77, text, sizeof text, MF_BYCOMMAND), 4);
    EXPECT_STREQ(text, "Deep");  // the submenu comes before a later entry with the same id
    EXPECT_EQ(CheckMenuItem(top, 77, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(b, 0, MF_BYPOSITION), MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(top, 5, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(a, 5, MF_BYCOMMAND), MF_GRAYED);

    EXPECT_EQ(GetMenuState(top, 0, MF_BYPOSITION), MF_POPUP | (2u << 8));
    EXPECT_EQ(GetMenuItemID(top, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemID(top, 1), 77u);
    EXPECT_EQ(GetSubMenu(top, 0), a);
    EXPECT_EQ(GetSubMenu(top, 1), nullptr);

    ASSERT_TRUE(InsertMenu(top, 5, MF_BYCOMMAND | MF_STRING, 6, "Before five"));
    EXPECT_EQ(GetMenuItemID(a, 0), 6u);
    ASSERT_TRUE(DeleteMenu(top, 77, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(b), 0);
    EXPECT_EQ(GetMenuItemCount(top), 2);
    DestroyMenu(top);
}

TEST_F(Items, BadHandlesAndPositionsFailWithTheirErrors) {
    HMENU m = CreatePopupMenu();
    AppendMenu(m, MF_STRING, 1, "One");
    HMENU stale = CreateMenu();
    DestroyMenu(stale);
    const HMENU bad[] = {nullptr, stale, MakeHandle<HMENU>(0x7777)};
    for (HMENU h : bad) {
        SetLastError(0);
        EXPECT_EQ(GetMenuItemCount(h), -1);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(AppendMenu(h, MF_STRING, 1, "x"));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
        EXPECT_FALSE(DestroyMenu(h));
        EXPECT_FALSE(IsMenu(h));
        EXPECT_EQ(GetMenuState(h, 0, MF_BYPOSITION), static_cast<UINT>(-1));
        EXPECT_FALSE(AppendMenu(m, MF_POPUP, reinterpret_cast<UINT_PTR>(h), "sub"));
    }
    struct Failure {
        const char* what;
        std::function<bool()> call;
        DWORD error;
    } failures[] = {
        {"state by position", [&] { return GetMenuState(m, 5, MF_BYPOSITION) == static_cast<UINT>(-1); },
         ERROR_MENU_ITEM_NOT_FOUND},
        {"delete by command", [&] { return !DeleteMenu(m, 99, MF_BYCOMMAND); }, ERROR_MENU_ITEM_NOT_FOUND},
        {"modify by position", [&] { return !ModifyMenu(m, 3, MF_BYPOSITION, 1, "x"); },
         ERROR_MENU_ITEM_NOT_FOUND},
        {"check by command", [&] { return CheckMenuItem(m, 9, MF_CHECKED) == static_cast<DWORD>(-1); },
         ERROR_MENU_ITEM_NOT_FOUND},
        {"info size",
         [&] {
             MENUITEMINFO info{};
             info.cbSize = 7;
             return !GetMenuItemInfo(m, 0, TRUE, &info);
         },
         ERROR_INVALID_PARAMETER},
        {"no info", [&] { return !SetMenuItemInfo(m, 0, TRUE, nullptr); }, ERROR_INVALID_PARAMETER},
        {"two kinds", [&] { return !AppendMenu(m, MF_BITMAP | MF_SEPARATOR, 1, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"menu info size",
         [&] {
             MENUINFO info{};
             return !GetMenuInfo(m, &info);
         },
         ERROR_INVALID_PARAMETER},
    };
    for (const Failure& f : failures) {
        SetLastError(0);
        EXPECT_TRUE(f.call()) << f.what;
        EXPECT_EQ(GetLastError(), f.error) << f.what;
    }
    EXPECT_EQ(GetMenuItemID(m, -1), static_cast<UINT>(-1));
    EXPECT_EQ(GetSubMenu(m, 40), nullptr);
    EXPECT_EQ(GetMenuItemCount(m), 1);
    DestroyMenu(m);
}

TEST_F(Items, DestroyingFreesNestedAndSharedSubmenusOnce) {
    HMENU top = CreateMenu(), other = CreateMenu(), sub = CreatePopupMenu(), deep = CreatePopupMenu();
    AppendMenu(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(deep), "Deep");
    AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
    AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Again");
    AppendMenu(other, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Shared");
    // A menu cannot hold itself, directly or through a submenu.
    SetLastError(0);
    EXPECT_FALSE(AppendMenu(deep, MF_POPUP, reinterpret_cast<UINT_PTR>(top), "Loop"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    ASSERT_TRUE(DestroyMenu(top));
    EXPECT_FALSE(IsMenu(top));
    EXPECT_FALSE(IsMenu(sub));
    EXPECT_FALSE(IsMenu(deep));
    EXPECT_TRUE(IsMenu(other));
    EXPECT_EQ(GetSubMenu(other, 0), nullptr);
    EXPECT_TRUE(DestroyMenu(other));
}

TEST_F(Items, RemoveKeepsASubmenuWhileDeleteAndModifyDestroyIt) {
    HMENU top = CreateMenu(), kept = CreatePopupMenu(), deleted = CreatePopupMenu(),
          replaced = CreatePopupMenu();
    AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(kept), "Kept");
    AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(deleted), "Deleted");
    AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(replaced), "Replaced");
    ASSERT_TRUE(RemoveMenu(top, 0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(kept));
    ASSERT_TRUE(DeleteMenu(top, 0, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(deleted));
    ASSERT_TRUE(ModifyMenu(top, 0, MF_BYPOSITION | MF_STRING, 9, "Plain"));
    EXPECT_FALSE(IsMenu(replaced));
    EXPECT_EQ(GetMenuItemID(top, 0), 9u);
    DestroyMenu(top);
    DestroyMenu(kept);
}

TEST_F(Items, RadioGroupsDefaultItemsAndMenuInfo) {
    HMENU m = CreatePopupMenu(), sub = CreatePopupMenu();
    for (UINT id = 10; id < 14; ++id)
        AppendMenu(m, MF_STRING, id, "r");
    AppendMenu(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
    AppendMenu(sub, MF_STRING, 50, "Inner");
    SetMenuDefaultItem(sub, 50, FALSE);
    ASSERT_TRUE(CheckMenuRadioItem(m, 11, 13, 12, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(m, 12, MF_BYCOMMAND), MF_CHECKED | MFT_RADIOCHECK);
    ASSERT_TRUE(CheckMenuRadioItem(m, 1, 3, 1, MF_BYPOSITION));
    EXPECT_EQ(GetMenuState(m, 11, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(GetMenuState(m, 12, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(GetMenuState(m, 10, MF_BYCOMMAND) & MF_CHECKED, 0u);  // outside the range
    EXPECT_FALSE(CheckMenuRadioItem(m, 3, 1, 2, MF_BYPOSITION));

    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), static_cast<UINT>(-1));
    ASSERT_TRUE(SetMenuDefaultItem(m, 4, TRUE));
    EXPECT_EQ(GetMenuDefaultItem(m, TRUE, 0), 4u);
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, GMDI_GOINTOPOPUPS), 50u);
    ASSERT_TRUE(SetMenuDefaultItem(m, 11, FALSE));
    EnableMenuItem(m, 11, MF_GRAYED);
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, GMDI_USEDISABLED), 11u);
    EXPECT_EQ(GetMenuState(m, 4, MF_BYPOSITION) & MF_DEFAULT, 0u);

    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_MENUDATA | MIM_APPLYTOSUBMENUS;
    info.dwStyle = MNS_NOTIFYBYPOS | MNS_CHECKORBMP;
    info.cyMax = 120;
    info.hbrBack = GetSysColorBrush(COLOR_INFOBK);
    info.dwMenuData = 7;
    ASSERT_TRUE(SetMenuInfo(m, &info));
    MENUINFO back{};
    back.cbSize = sizeof back;
    back.fMask = MIM_STYLE | MIM_MAXHEIGHT | MIM_BACKGROUND | MIM_MENUDATA;
    ASSERT_TRUE(GetMenuInfo(sub, &back));
    EXPECT_EQ(back.dwStyle, info.dwStyle);
    EXPECT_EQ(back.cyMax, 120u);
    EXPECT_EQ(back.hbrBack, info.hbrBack);
    EXPECT_EQ(back.dwMenuData, 7u);
    EXPECT_EQ(GetMenuCheckMarkDimensions(), static_cast<LONG>(MAKELONG(GetSystemMetrics(SM_CXMENUCHECK),
                                                                       GetSystemMetrics(SM_CYMENUCHECK))));
    DestroyMenu(m);
}

TEST_F(Items, SystemMenuCopyFollowsTheWindowAndReverts) {
    HWND hwnd = Owner();
    HMENU sys = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(sys, nullptr);
    const UINT ids[] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, 0, SC_CLOSE};
    ASSERT_EQ(GetMenuItemCount(sys), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(GetMenuItemID(sys, i), ids[i]) << i;
    EXPECT_EQ(GetMenuState(sys, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(GetMenuState(sys, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(sys, SC_CLOSE, MF_BYCOMMAND) & MF_DEFAULT, MF_DEFAULT);
    char text[32];
    GetMenuString(sys, SC_CLOSE, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&Close\tAlt+F4");

    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_EQ(GetSystemMenu(hwnd, FALSE), sys);
    EXPECT_EQ(GetMenuState(sys, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(sys, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(GetMenuState(sys, SC_MOVE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);

    ASSERT_TRUE(DeleteMenu(sys, SC_SIZE, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(hwnd, FALSE)), 6);
    EXPECT_EQ(GetSystemMenu(hwnd, TRUE), nullptr);
    EXPECT_FALSE(IsMenu(sys));
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(hwnd, FALSE)), 7);

    HMENU copy = GetSystemMenu(hwnd, FALSE);
    HMENU bar = CreateMenu();
    ASSERT_TRUE(SetMenu(hwnd, bar));
    SetLastError(0);
    EXPECT_FALSE(SetMenu(hwnd, MakeHandle<HMENU>(0x999)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    EXPECT_EQ(GetMenu(hwnd), bar);
    DestroyWindow(hwnd);
    EXPECT_FALSE(IsMenu(bar));  // the bar and the system menu go with the window
    EXPECT_FALSE(IsMenu(copy));
    EXPECT_EQ(GetSystemMenu(hwnd, FALSE), nullptr);
}

TEST_F(Items, AcceleratorTablesCopyAndFailOnBadHandles) {
    const ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'S', 11}, {0, 'q', 40}};
    HACCEL table = CreateAcceleratorTable(entries, 2);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(CopyAcceleratorTable(table, nullptr, 0), 2);
    ACCEL copy[3]{};
    EXPECT_EQ(CopyAcceleratorTable(table, copy, 1), 1);
    EXPECT_EQ(copy[0].cmd, 11);
    EXPECT_EQ(copy[1].cmd, 0);
    EXPECT_EQ(CopyAcceleratorTable(table, copy, 3), 2);
    EXPECT_EQ(copy[1].key, 'q');
    ASSERT_TRUE(DestroyAcceleratorTable(table));
    SetLastError(0);
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ACCEL_HANDLE);
    EXPECT_EQ(CreateAcceleratorTable(entries, 0), nullptr);
    EXPECT_EQ(CreateAcceleratorTable(nullptr, 2), nullptr);
}

}  // namespace
}  // namespace menutest
