// The menu manager's own records, shared by the units of win32/src/menu, and the calls the window
// manager makes into it (the frame's menu bar, system commands, destroyed windows).
#pragma once

#include <string>
#include <vector>

#include "win32/menu.h"

namespace win32::menu {

// A popup's frame: a raised edge and one pixel of menu ground, on every side.
constexpr int kPopupBorder = 3;

struct Item {
    UINT type = MFT_STRING;  // MFT_* (separators, bitmaps, owner-draw, breaks, radio, right-justified)
    UINT state = 0;          // MFS_*
    UINT id = 0;
    HMENU submenu = nullptr;
    HBITMAP checkedBitmap = nullptr;
    HBITMAP uncheckedBitmap = nullptr;
    HBITMAP bitmap = nullptr;  // hbmpItem, or the bitmap of an MFT_BITMAP entry
    ULONG_PTR data = 0;
    std::string text;
    bool hasText = false;

    // Layout (relative to the menu's window or, for a bar, to the bar's top-left corner)
    RECT rect{};
    bool measured = false;  // owner-draw size asked once
    UINT ownerWidth = 0;
    UINT ownerHeight = 0;

    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsOwnerDraw() const { return (type & MFT_OWNERDRAW) != 0; }
    bool IsDisabled() const { return (state & MFS_GRAYED) != 0; }
};

struct Menu {
    UINT_PTR handle = 0;
    bool popup = false;  // CreatePopupMenu (else a bar)
    std::vector<Item> items;
    DWORD style = 0;  // MNS_*
    UINT maxHeight = 0;
    HBRUSH background = nullptr;
    DWORD helpId = 0;
    ULONG_PTR data = 0;
    HWND systemOwner = nullptr;  // a window's copy of the system menu
    HWND barOwner = nullptr;     // the window whose bar shows this menu

    // Layout of the last measure
    int width = 0;
    int height = 0;
    int textOffset = 0;     // space for check marks
    HWND window = nullptr;  // while open in the loop
    int selected = -1;

    HMENU Handle() const { return MakeHandle<HMENU>(handle); }
};

// The system bitmaps of hbmpItem (HBMMENU_*): drawn by the menu next to a label, where any other
// bitmap makes the entry a picture.
inline bool IsSystemBitmap(HBITMAP bitmap) {
    const UINT_PTR value = HandleValue(bitmap);
    return bitmap == HBMMENU_CALLBACK || (value >= 1 && value <= HandleValue(HBMMENU_POPUP_MINIMIZE));
}

// Lookup: nullptr for zero, stale or destroyed handles (without touching the error code).
Menu* Find(HMENU menu);
// The same, setting ERROR_INVALID_MENU_HANDLE on failure.
Menu* Get(HMENU menu);
// An item by command (depth first through submenus) or by position; `owner` receives the menu that
// holds it and `index` its position there.
Item* Locate(HMENU menu, UINT item, bool byPosition, Menu** owner, int* index);
// By command only, leaving the error code alone.
Item* FindCommand(HMENU menu, UINT command, Menu** owner, int* index);

// Measuring and painting
struct Fonts {
    HFONT normal = nullptr;
    HFONT bold = nullptr;
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
};
// Lays out a popup menu (sending WM_MEASUREITEM to `owner` for owner-draw items not yet measured).
void LayoutPopup(Menu* m, HWND owner);
// Lays out a bar of the given width; returns its height.
int LayoutBar(Menu* m, HWND owner, int width);
// Draws one item (background, text or bitmap, check mark, arrow) or asks the owner to draw it.
// `origin` is where the item rectangles' (0, 0) lies on the DC.
void DrawItem(HDC dc, Menu* m, int index, HWND owner, bool bar, UINT action, POINT origin);
void DrawPopup(HDC dc, Menu* m, HWND owner);
// The frame's bar: `bar` in window coordinates of `hwnd`.
void DrawBar(HDC dc, HWND hwnd, const RECT& bar);
// The bar's rectangle in window coordinates; false when the window shows no bar.
bool BarRect(HWND hwnd, RECT* bar);
// Paints the bar at once (selection changes during the loop).
void RepaintBar(HWND hwnd);
// The text an item shows, without the accelerator part, and the accelerator part.
void SplitText(const std::string& text, std::string* label, std::string* accelerator);
// The mnemonic character (lower case) of a label, 0 when none.
unsigned char Mnemonic(const std::string& text);

// Standard system menu entries and their states for a window.
HMENU MakeSystemMenu(HWND owner);
void UpdateSystemMenu(HMENU menu, HWND owner);
// The system menu the loop shows for a window: its copy, or a fresh standard one kept by the window.
HMENU SystemMenuFor(HWND hwnd);

// Called by the window manager
void WindowDestroyed(HWND hwnd);
void SystemCommand(HWND hwnd, WPARAM command, LPARAM lParam);
bool InMenuLoop();
// The owner window of the running loop and its GUI_*MENUMODE flags; nullptr outside a loop.
HWND LoopOwner(DWORD* modeFlags);

}  // namespace win32::menu
