// Menus: menu objects by handle (entries, states, owner-draw, bitmaps, submenus), the system menu,
// accelerator tables and the modal menu loop of menu bars, system menus and TrackPopupMenu. Menus
// belong to the UI thread, like windows.
#pragma once

#include "win32/messages.h"
#include "win32/types.h"

namespace win32 {

WIN32_DECLARE_HANDLE(HACCEL);

inline constexpr DWORD ERROR_INVALID_ACCEL_HANDLE = 1403;
inline constexpr DWORD ERROR_POPUP_ALREADY_ACTIVE = 1446;
inline constexpr DWORD ERROR_MENU_ITEM_NOT_FOUND = 1456;

// Flags of AppendMenu / InsertMenu / ModifyMenu / GetMenuState / WM_MENUSELECT
inline constexpr UINT MF_INSERT = 0x00000000;
inline constexpr UINT MF_CHANGE = 0x00000080;
inline constexpr UINT MF_APPEND = 0x00000100;
inline constexpr UINT MF_DELETE = 0x00000200;
inline constexpr UINT MF_REMOVE = 0x00001000;
inline constexpr UINT MF_BYCOMMAND = 0x00000000;
inline constexpr UINT MF_BYPOSITION = 0x00000400;
inline constexpr UINT MF_SEPARATOR = 0x00000800;
inline constexpr UINT MF_ENABLED = 0x00000000;
inline constexpr UINT MF_GRAYED = 0x00000001;
inline constexpr UINT MF_DISABLED = 0x00000002;
inline constexpr UINT MF_UNCHECKED = 0x00000000;
inline constexpr UINT MF_CHECKED = 0x00000008;
inline constexpr UINT MF_USECHECKBITMAPS = 0x00000200;
inline constexpr UINT MF_STRING = 0x00000000;
inline constexpr UINT MF_BITMAP = 0x00000004;
inline constexpr UINT MF_OWNERDRAW = 0x00000100;
inline constexpr UINT MF_POPUP = 0x00000010;
inline constexpr UINT MF_MENUBARBREAK = 0x00000020;
inline constexpr UINT MF_MENUBREAK = 0x00000040;
inline constexpr UINT MF_UNHILITE = 0x00000000;
inline constexpr UINT MF_HILITE = 0x00000080;
inline constexpr UINT MF_DEFAULT = 0x00001000;
inline constexpr UINT MF_SYSMENU = 0x00002000;
inline constexpr UINT MF_HELP = 0x00004000;
inline constexpr UINT MF_RIGHTJUSTIFY = 0x00004000;
inline constexpr UINT MF_MOUSESELECT = 0x00008000;
inline constexpr UINT MF_END = 0x00000080;

inline constexpr UINT MFT_STRING = MF_STRING;
inline constexpr UINT MFT_BITMAP = MF_BITMAP;
inline constexpr UINT MFT_MENUBARBREAK = MF_MENUBARBREAK;
inline constexpr UINT MFT_MENUBREAK = MF_MENUBREAK;
inline constexpr UINT MFT_OWNERDRAW = MF_OWNERDRAW;
inline constexpr UINT MFT_RADIOCHECK = 0x00000200;
inline constexpr UINT MFT_SEPARATOR = MF_SEPARATOR;
inline constexpr UINT MFT_RIGHTORDER = 0x00002000;
inline constexpr UINT MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;

inline constexpr UINT MFS_GRAYED = 0x00000003;
inline constexpr UINT MFS_DISABLED = MFS_GRAYED;
inline constexpr UINT MFS_CHECKED = MF_CHECKED;
inline constexpr UINT MFS_HILITE = MF_HILITE;
inline constexpr UINT MFS_ENABLED = MF_ENABLED;
inline constexpr UINT MFS_UNCHECKED = MF_UNCHECKED;
inline constexpr UINT MFS_UNHILITE = MF_UNHILITE;
inline constexpr UINT MFS_DEFAULT = MF_DEFAULT;

inline constexpr UINT MIIM_STATE = 0x00000001;
inline constexpr UINT MIIM_ID = 0x00000002;
inline constexpr UINT MIIM_SUBMENU = 0x00000004;
inline constexpr UINT MIIM_CHECKMARKS = 0x00000008;
inline constexpr UINT MIIM_TYPE = 0x00000010;
inline constexpr UINT MIIM_DATA = 0x00000020;
inline constexpr UINT MIIM_STRING = 0x00000040;
inline constexpr UINT MIIM_BITMAP = 0x00000080;
inline constexpr UINT MIIM_FTYPE = 0x00000100;

// System bitmaps of hbmpItem
inline const HBITMAP HBMMENU_CALLBACK = MakeHandle<HBITMAP>(static_cast<UINT_PTR>(-1));
inline const HBITMAP HBMMENU_SYSTEM = MakeHandle<HBITMAP>(1);
inline const HBITMAP HBMMENU_MBAR_RESTORE = MakeHandle<HBITMAP>(2);
inline const HBITMAP HBMMENU_MBAR_MINIMIZE = MakeHandle<HBITMAP>(3);
inline const HBITMAP HBMMENU_MBAR_CLOSE = MakeHandle<HBITMAP>(5);
inline const HBITMAP HBMMENU_MBAR_CLOSE_D = MakeHandle<HBITMAP>(6);
inline const HBITMAP HBMMENU_MBAR_MINIMIZE_D = MakeHandle<HBITMAP>(7);
inline const HBITMAP HBMMENU_POPUP_CLOSE = MakeHandle<HBITMAP>(8);
inline const HBITMAP HBMMENU_POPUP_RESTORE = MakeHandle<HBITMAP>(9);
inline const HBITMAP HBMMENU_POPUP_MAXIMIZE = MakeHandle<HBITMAP>(10);
inline const HBITMAP HBMMENU_POPUP_MINIMIZE = MakeHandle<HBITMAP>(11);

struct MENUITEMINFO {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};

inline constexpr DWORD MIM_MAXHEIGHT = 0x00000001;
inline constexpr DWORD MIM_BACKGROUND = 0x00000002;
inline constexpr DWORD MIM_HELPID = 0x00000004;
inline constexpr DWORD MIM_MENUDATA = 0x00000008;
inline constexpr DWORD MIM_STYLE = 0x00000010;
inline constexpr DWORD MIM_APPLYTOSUBMENUS = 0x80000000;

inline constexpr DWORD MNS_NOCHECK = 0x80000000;
inline constexpr DWORD MNS_MODELESS = 0x40000000;
inline constexpr DWORD MNS_DRAGDROP = 0x20000000;
inline constexpr DWORD MNS_AUTODISMISS = 0x10000000;
inline constexpr DWORD MNS_NOTIFYBYPOS = 0x08000000;
inline constexpr DWORD MNS_CHECKORBMP = 0x04000000;

struct MENUINFO {
    DWORD cbSize;
    DWORD fMask;
    DWORD dwStyle;
    UINT cyMax;
    HBRUSH hbrBack;
    DWORD dwContextHelpID;
    ULONG_PTR dwMenuData;
};

// GetMenuDefaultItem
inline constexpr UINT GMDI_USEDISABLED = 0x0001;
inline constexpr UINT GMDI_GOINTOPOPUPS = 0x0002;

// TrackPopupMenu(Ex)
inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_HORIZONTAL = 0x0000;
inline constexpr UINT TPM_VERTICAL = 0x0040;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;
inline constexpr UINT TPM_RECURSE = 0x0001;
inline constexpr UINT TPM_HORPOSANIMATION = 0x0400;
inline constexpr UINT TPM_HORNEGANIMATION = 0x0800;
inline constexpr UINT TPM_VERPOSANIMATION = 0x1000;
inline constexpr UINT TPM_VERNEGANIMATION = 0x2000;
inline constexpr UINT TPM_NOANIMATION = 0x4000;
inline constexpr UINT TPM_LAYOUTRTL = 0x8000;
inline constexpr UINT TPM_WORKAREA = 0x10000;

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};

// WM_MENUCHAR results (high word)
inline constexpr WORD MNC_IGNORE = 0;
inline constexpr WORD MNC_CLOSE = 1;
inline constexpr WORD MNC_EXECUTE = 2;
inline constexpr WORD MNC_SELECT = 3;

// Owner-draw records
inline constexpr UINT ODT_MENU = 1;
inline constexpr UINT ODT_LISTBOX = 2;
inline constexpr UINT ODT_COMBOBOX = 3;
inline constexpr UINT ODT_BUTTON = 4;
inline constexpr UINT ODT_STATIC = 5;

inline constexpr UINT ODA_DRAWENTIRE = 0x0001;
inline constexpr UINT ODA_SELECT = 0x0002;
inline constexpr UINT ODA_FOCUS = 0x0004;

inline constexpr UINT ODS_SELECTED = 0x0001;
inline constexpr UINT ODS_GRAYED = 0x0002;
inline constexpr UINT ODS_DISABLED = 0x0004;
inline constexpr UINT ODS_CHECKED = 0x0008;
inline constexpr UINT ODS_FOCUS = 0x0010;
inline constexpr UINT ODS_DEFAULT = 0x0020;
inline constexpr UINT ODS_HOTLIGHT = 0x0040;
inline constexpr UINT ODS_INACTIVE = 0x0080;
inline constexpr UINT ODS_NOACCEL = 0x0100;
inline constexpr UINT ODS_NOFOCUSRECT = 0x0200;
inline constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    ULONG_PTR itemData;
};

// For menus hwndItem carries the HMENU.
struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};

// Accelerators
inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FNOINVERT = 0x02;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};

// The window class of open menus.
inline constexpr LPCSTR MENU_WINDOW_CLASS = "#32768";

// ---------------------------------------------------------------------------------------------
// Menu objects
//
// Entries behave as in Win32: separators report MFS_GRAYED; an entry left without a label,
// owner-draw or bitmap is a separator; MF_DEFAULT in the flag calls is ignored (SetMenuDefaultItem
// sets the default entry); an insertion by a command that no entry has appends; new entries stay
// left of the MDI buttons (HBMMENU_SYSTEM .. HBMMENU_MBAR_CLOSE_D) at the end of a bar; an item that
// opens a submenu is found by its command only when no plain entry of its menu has that command.
// Where this platform differs on purpose:
// - AppendMenu, InsertMenu and ModifyMenu refuse two kinds of entry in one call (MF_BITMAP,
//   MF_OWNERDRAW, MF_SEPARATOR) and MF_POPUP with a handle that is not a menu, failing with
//   ERROR_INVALID_PARAMETER / ERROR_INVALID_MENU_HANDLE; Win32 takes the call and makes an entry
//   that opens nothing.
// - ModifyMenu without MF_POPUP on an entry that opens a submenu destroys the submenu and makes a
//   plain entry, as the documentation says, where Win32 keeps the submenu.
// - Bitmap handles given as MF_BITMAP / MFT_BITMAP data are kept whole; Win32 keeps their low word.
// - A submenu may be nested 64 deep (Win32: fewer); deeper nesting, like a cycle, fails with
//   ERROR_INVALID_PARAMETER, where Win32 leaves the error code alone.
// - The system menu's entries carry no HBMMENU_POPUP_* pictures and its style is 0, not
//   MNS_CHECKORBMP; a plain menu does not accept SC_TASKLIST as a command no entry has.

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Frees the menu and, depth first, every submenu it holds (each once, however often it is held).
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem);
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem);
BOOL InsertMenuItem(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info);
BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info);
// MIIM_TYPE answers MFT_BITMAP with the bitmap in dwTypeData for an entry whose hbmpItem is a
// picture (not an HBMMENU_* value), and NULL for owner-draw entries and separators; cch is then the
// label's length and nothing is written through dwTypeData.
BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info);
// RemoveMenu keeps a removed submenu alive; DeleteMenu destroys it.
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);

int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT id, UINT flags);
int GetMenuString(HMENU menu, UINT id, LPSTR text, int maxCount, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);
DWORD CheckMenuItem(HMENU menu, UINT id, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT id, UINT enable);
// Positions or commands of the range that no entry has, separators, and entries outside the menu of
// the first entry found are passed over; TRUE when `check` was checked (check = -1 clears the range).
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL HiliteMenuItem(HWND hwnd, HMENU menu, UINT item, UINT hilite);
UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);
BOOL GetMenuInfo(HMENU menu, MENUINFO* info);
BOOL SetMenuInfo(HMENU menu, const MENUINFO* info);
BOOL SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked);
LONG GetMenuCheckMarkDimensions();
// Screen rectangle of an item of a window's menu bar or of an open popup menu.
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, RECT* rect);
// Position of the item at a screen point (-1 for none).
int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen);

// The window's copy of the system menu (made on first use); revert destroys the copy and returns 0.
HMENU GetSystemMenu(HWND hwnd, BOOL revert);

// ---------------------------------------------------------------------------------------------
// Accelerators

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// Copies up to `count` entries; with no buffer returns the number of entries.
int CopyAcceleratorTable(HACCEL table, ACCEL* entries, int count);
int TranslateAccelerator(HWND hwnd, HACCEL table, const MSG* msg);

// ---------------------------------------------------------------------------------------------
// The menu loop

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* reserved2);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);
// Ends the menu loop that is running (as if cancelled).
BOOL EndMenu();

}  // namespace win32
