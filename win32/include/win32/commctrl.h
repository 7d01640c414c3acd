// The common controls of the platform: the tree view ("SysTreeView32") and the animation control
// ("SysAnimate32"), with the system's messages, styles, records and notifications.
//
// The tree paints in the classic look: a window-coloured ground, dotted lines joining siblings to
// their parent, square expand buttons with a plus or minus, the item's image from the normal image
// list, and its text; the selected item is filled with the highlight colour while the tree has the
// focus (with a focus rectangle round it) and with the button face colour otherwise when
// TVS_SHOWSELALWAYS is set. A drop-highlighted item is drawn as a selected one.
//
// Notifications reach the parent as WM_NOTIFY. As in the system, TVM_EXPAND changes the state
// without notifying; the user's clicks and keys send TVN_ITEMEXPANDING (a non-zero answer vetoes)
// and TVN_ITEMEXPANDED. TVM_SELECTITEM with TVGN_CARET sends TVN_SELCHANGING (a non-zero answer
// vetoes) and TVN_SELCHANGED. Label editing is done by the tree itself on one line: characters
// are typed at the end, Backspace removes the last one, Enter or losing the focus ends the edit,
// Escape cancels it; TVN_ENDLABELEDIT carries the new text (null when cancelled) and a non-zero
// answer takes it.
#pragma once

#include "win32/imagelist.h"
#include "win32/types.h"
#include "win32/user.h"

namespace win32 {

inline constexpr const char* WC_TREEVIEW = "SysTreeView32";
inline constexpr const char* ANIMATE_CLASS = "SysAnimate32";

// Registers the common control classes (again after a platform reset); cheap when done.
void InitCommonControls();

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

inline constexpr UINT NM_FIRST = 0;
inline constexpr UINT NM_CLICK = NM_FIRST - 2;
inline constexpr UINT NM_DBLCLK = NM_FIRST - 3;
inline constexpr UINT NM_RETURN = NM_FIRST - 4;
inline constexpr UINT NM_RCLICK = NM_FIRST - 5;
inline constexpr UINT NM_SETFOCUS = NM_FIRST - 7;
inline constexpr UINT NM_KILLFOCUS = NM_FIRST - 8;

struct TREEITEM;
using HTREEITEM = TREEITEM*;
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x10000));
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFF));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFE));
inline const HTREEITEM TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(-0x0FFFD));

inline constexpr DWORD TVS_HASBUTTONS = 0x0001;
inline constexpr DWORD TVS_HASLINES = 0x0002;
inline constexpr DWORD TVS_LINESATROOT = 0x0004;
inline constexpr DWORD TVS_EDITLABELS = 0x0008;
inline constexpr DWORD TVS_DISABLEDRAGDROP = 0x0010;
inline constexpr DWORD TVS_SHOWSELALWAYS = 0x0020;

inline constexpr UINT TVIF_TEXT = 0x0001;
inline constexpr UINT TVIF_IMAGE = 0x0002;
inline constexpr UINT TVIF_PARAM = 0x0004;
inline constexpr UINT TVIF_STATE = 0x0008;
inline constexpr UINT TVIF_HANDLE = 0x0010;
inline constexpr UINT TVIF_SELECTEDIMAGE = 0x0020;
inline constexpr UINT TVIF_CHILDREN = 0x0040;

inline constexpr UINT TVIS_SELECTED = 0x0002;
inline constexpr UINT TVIS_CUT = 0x0004;
inline constexpr UINT TVIS_DROPHILITED = 0x0008;
inline constexpr UINT TVIS_BOLD = 0x0010;
inline constexpr UINT TVIS_EXPANDED = 0x0020;
inline constexpr UINT TVIS_EXPANDEDONCE = 0x0040;

inline constexpr int I_CHILDRENCALLBACK = -1;

struct TVITEM {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};

struct TVINSERTSTRUCT {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEM item;
};

inline constexpr UINT TV_FIRST = 0x1100;
inline constexpr UINT TVM_INSERTITEM = TV_FIRST + 0;
inline constexpr UINT TVM_DELETEITEM = TV_FIRST + 1;
inline constexpr UINT TVM_EXPAND = TV_FIRST + 2;
inline constexpr UINT TVM_GETITEMRECT = TV_FIRST + 4;
inline constexpr UINT TVM_GETCOUNT = TV_FIRST + 5;
inline constexpr UINT TVM_GETINDENT = TV_FIRST + 6;
inline constexpr UINT TVM_SETINDENT = TV_FIRST + 7;
inline constexpr UINT TVM_GETIMAGELIST = TV_FIRST + 8;
inline constexpr UINT TVM_SETIMAGELIST = TV_FIRST + 9;
inline constexpr UINT TVM_GETNEXTITEM = TV_FIRST + 10;
inline constexpr UINT TVM_SELECTITEM = TV_FIRST + 11;
inline constexpr UINT TVM_GETITEM = TV_FIRST + 12;
inline constexpr UINT TVM_SETITEM = TV_FIRST + 13;
inline constexpr UINT TVM_EDITLABEL = TV_FIRST + 14;
inline constexpr UINT TVM_GETEDITCONTROL = TV_FIRST + 15;
inline constexpr UINT TVM_GETVISIBLECOUNT = TV_FIRST + 16;
inline constexpr UINT TVM_HITTEST = TV_FIRST + 17;
inline constexpr UINT TVM_SORTCHILDREN = TV_FIRST + 19;
inline constexpr UINT TVM_ENSUREVISIBLE = TV_FIRST + 20;
inline constexpr UINT TVM_SORTCHILDRENCB = TV_FIRST + 21;
inline constexpr UINT TVM_ENDEDITLABELNOW = TV_FIRST + 22;
inline constexpr UINT TVM_SETITEMHEIGHT = TV_FIRST + 27;
inline constexpr UINT TVM_GETITEMHEIGHT = TV_FIRST + 28;

inline constexpr UINT TVE_COLLAPSE = 0x0001;
inline constexpr UINT TVE_EXPAND = 0x0002;
inline constexpr UINT TVE_TOGGLE = 0x0003;
inline constexpr UINT TVE_COLLAPSERESET = 0x8000;

inline constexpr UINT TVSIL_NORMAL = 0;
inline constexpr UINT TVSIL_STATE = 2;

inline constexpr UINT TVGN_ROOT = 0x0000;
inline constexpr UINT TVGN_NEXT = 0x0001;
inline constexpr UINT TVGN_PREVIOUS = 0x0002;
inline constexpr UINT TVGN_PARENT = 0x0003;
inline constexpr UINT TVGN_CHILD = 0x0004;
inline constexpr UINT TVGN_FIRSTVISIBLE = 0x0005;
inline constexpr UINT TVGN_NEXTVISIBLE = 0x0006;
inline constexpr UINT TVGN_PREVIOUSVISIBLE = 0x0007;
inline constexpr UINT TVGN_DROPHILITE = 0x0008;
inline constexpr UINT TVGN_CARET = 0x0009;
inline constexpr UINT TVGN_LASTVISIBLE = 0x000A;

inline constexpr UINT TVHT_NOWHERE = 0x0001;
inline constexpr UINT TVHT_ONITEMICON = 0x0002;
inline constexpr UINT TVHT_ONITEMLABEL = 0x0004;
inline constexpr UINT TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL;
inline constexpr UINT TVHT_ONITEMINDENT = 0x0008;
inline constexpr UINT TVHT_ONITEMBUTTON = 0x0010;
inline constexpr UINT TVHT_ONITEMRIGHT = 0x0020;
inline constexpr UINT TVHT_ABOVE = 0x0100;
inline constexpr UINT TVHT_BELOW = 0x0200;
inline constexpr UINT TVHT_TORIGHT = 0x0400;
inline constexpr UINT TVHT_TOLEFT = 0x0800;

struct TVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
};

using PFNTVCOMPARE = int (*)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
struct TVSORTCB {
    HTREEITEM hParent;
    PFNTVCOMPARE lpfnCompare;
    LPARAM lParam;
};

inline constexpr UINT TVC_UNKNOWN = 0x0000;
inline constexpr UINT TVC_BYMOUSE = 0x0001;
inline constexpr UINT TVC_BYKEYBOARD = 0x0002;

inline constexpr UINT TVN_FIRST = 0U - 400U;
inline constexpr UINT TVN_SELCHANGING = TVN_FIRST - 1;
inline constexpr UINT TVN_SELCHANGED = TVN_FIRST - 2;
inline constexpr UINT TVN_ITEMEXPANDING = TVN_FIRST - 5;
inline constexpr UINT TVN_ITEMEXPANDED = TVN_FIRST - 6;
inline constexpr UINT TVN_BEGINDRAG = TVN_FIRST - 7;
inline constexpr UINT TVN_DELETEITEM = TVN_FIRST - 9;
inline constexpr UINT TVN_BEGINLABELEDIT = TVN_FIRST - 10;
inline constexpr UINT TVN_ENDLABELEDIT = TVN_FIRST - 11;
inline constexpr UINT TVN_KEYDOWN = TVN_FIRST - 12;

struct NMTREEVIEW {
    NMHDR hdr;
    UINT action;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag;
};

struct NMTVDISPINFO {
    NMHDR hdr;
    TVITEM item;
};

struct NMTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};

// The rectangle of an item: textOnly TRUE gives the label's rectangle, FALSE the whole row. FALSE
// when the item is hidden under a collapsed parent.
inline BOOL TreeView_GetItemRect(HWND tree, HTREEITEM item, RECT* rect, BOOL textOnly) {
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return static_cast<BOOL>(
        SendMessage(tree, TVM_GETITEMRECT, static_cast<WPARAM>(textOnly), reinterpret_cast<LPARAM>(rect)));
}
inline HTREEITEM TreeView_GetNextItem(HWND tree, HTREEITEM item, UINT code) {
    return reinterpret_cast<HTREEITEM>(
        SendMessage(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}
inline HTREEITEM TreeView_InsertItem(HWND tree, const TVINSERTSTRUCT* insert) {
    return reinterpret_cast<HTREEITEM>(
        SendMessage(tree, TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(insert)));
}
inline BOOL TreeView_DeleteItem(HWND tree, HTREEITEM item) {
    return static_cast<BOOL>(SendMessage(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
}
inline BOOL TreeView_Expand(HWND tree, HTREEITEM item, UINT code) {
    return static_cast<BOOL>(SendMessage(tree, TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}
inline BOOL TreeView_SelectItem(HWND tree, HTREEITEM item) {
    return static_cast<BOOL>(SendMessage(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}
inline BOOL TreeView_GetItem(HWND tree, TVITEM* item) {
    return static_cast<BOOL>(SendMessage(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(item)));
}
inline BOOL TreeView_SetItem(HWND tree, const TVITEM* item) {
    return static_cast<BOOL>(SendMessage(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(item)));
}
inline HTREEITEM TreeView_HitTest(HWND tree, TVHITTESTINFO* info) {
    return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

// ---------------------------------------------------------------------------------------------
// Animation control: plays a silent AVI clip (see win32/avi.h for the clips it reads) from a file or
// from a module's "AVI" resource, frame by frame on the platform's clock (SetTimer), so that a test
// moving the manual clock sees each frame in turn.
//
// ACM_OPEN: wParam the module (HINSTANCE) whose resources are searched, lParam the resource's name
// or MAKEINTRESOURCE id, or a file name; null closes the clip. Returns FALSE for a clip it cannot
// read. Without ACS_CENTER the window takes the clip's size; with it the frame is centred. With
// ACS_TRANSPARENT the colour of the first frame's top-left pixel shows the background the parent
// answers to WM_CTLCOLORSTATIC (the button face without an answer). ACS_AUTOPLAY plays the clip
// in an endless loop as soon as it is opened.
// ACM_PLAY: wParam the number of times to play the range (-1 endless), lParam MAKELONG(from, to),
// to 0xFFFF meaning the last frame; FALSE for a range outside the clip. Playing zero times shows
// the first frame of the range. ACN_START and ACN_STOP reach the parent as WM_COMMAND.

inline constexpr DWORD ACS_CENTER = 0x0001;
inline constexpr DWORD ACS_TRANSPARENT = 0x0002;
inline constexpr DWORD ACS_AUTOPLAY = 0x0004;
inline constexpr DWORD ACS_TIMER = 0x0008;

inline constexpr UINT ACM_OPEN = WM_USER + 100;
inline constexpr UINT ACM_PLAY = WM_USER + 101;
inline constexpr UINT ACM_STOP = WM_USER + 102;
inline constexpr UINT ACM_ISPLAYING = WM_USER + 104;

inline constexpr WORD ACN_START = 1;
inline constexpr WORD ACN_STOP = 2;

// The resource type of clips in a module.
inline constexpr const char* RT_AVI = "AVI";

namespace testing {
// The frame an animation control shows, -1 without a clip.
int AnimateFrame(HWND animate);
}  // namespace testing

}  // namespace win32
