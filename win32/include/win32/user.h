// The window manager: classes, windows, messages, hooks, timers, focus and capture, the keyboard
// state, the cursor, the desktop's settings, the clipboard and carets. Windows live in memory and
// belong to the thread that created them (the UI thread); other threads post or send to them.
//
// One desktop across processes. The processes of a user session share the list of top-level
// windows: EnumWindows and FindWindow list every process's windows in the desktop's z-order
// (topmost windows first, then the processes by when they last brought a window to the top, each
// process's windows in its own order), and GetClassName, GetWindowText, GetWindowTextLength,
// GetWindowThreadProcessId, GetWindowRect, IsWindow, IsWindowVisible, IsWindowEnabled, IsIconic,
// IsZoomed and GetLastActivePopup answer for other processes' windows as those processes published
// them (without a message, so a program that does not answer cannot block the caller).
// ShowWindow, BringWindowToTop and SetForegroundWindow on another process's window are carried out
// by that process's window thread, waiting at most five seconds; PostMessage, SendNotifyMessage,
// SendMessage and SendMessageTimeout reach them too. Across processes, wParam and lParam travel as
// numbers, except that WM_SETTEXT, WM_GETTEXT and WM_COPYDATA carry their data (they cannot be
// posted: ERROR_MESSAGE_SYNC_ONLY), and SendMessage without a time limit gives up after five
// seconds. Registered message numbers and class atoms belong to each process. GetForegroundWindow
// answers the active window of the process that last took the foreground; the others lose their
// activation (WM_ACTIVATEAPP) when one takes it. A process that ends, or dies, takes its windows
// with it. Handles of other processes' windows carry the owner's process id above the low 32 bits.
//
// Where the session lives: the folder ZYL_SESSION names ("none": a desktop of the process's own),
// else $XDG_RUNTIME_DIR/zyl-session, else /tmp/zyl-session-<uid>; it must belong to the user (it is
// made private to the user). A process joins it when it makes its first top-level window
// (listening on "<pid>.sock" there) and leaves at exit. testing::ResetPlatform gives the process a desktop of
// its own; tests that start other processes point them and themselves at a folder of their own with
// testing::SetSessionFolder.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "win32/gdi.h"
#include "win32/kernel.h"
#include "win32/messages.h"
#include "win32/types.h"

namespace win32 {

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using HOOKPROC = LRESULT (*)(int code, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
using SENDASYNCPROC = void (*)(HWND, UINT, ULONG_PTR, LRESULT);

// The id of the calling thread (the kernel's thread id on Linux).
DWORD GetCurrentThreadId();

// ---------------------------------------------------------------------------------------------
// Window classes

ATOM RegisterClass(const WNDCLASS* wndClass);
ATOM RegisterClassEx(const WNDCLASSEX* wndClass);
BOOL UnregisterClass(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, WNDCLASS* wndClass);
BOOL GetClassInfoEx(HINSTANCE instance, LPCSTR className, WNDCLASSEX* wndClass);
int GetClassName(HWND hwnd, LPSTR className, int maxCount);
ULONG_PTR GetClassLongPtr(HWND hwnd, int index);
ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR newValue);
DWORD GetClassLong(HWND hwnd, int index);
DWORD SetClassLong(HWND hwnd, int index, LONG newValue);

// ---------------------------------------------------------------------------------------------
// Windows

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsChild(HWND parent, HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);

HWND GetDesktopWindow();
HWND GetParent(HWND hwnd);
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT command);
HWND GetTopWindow(HWND hwnd);
HWND GetNextWindow(HWND hwnd, UINT command);
HWND GetLastActivePopup(HWND hwnd);

LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG newValue);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR newValue);

// SetWindowPos sends WM_WINDOWPOSCHANGING, then activates (a top-level window: WM_ACTIVATEAPP,
// WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS; a child: WM_CHILDACTIVATE) unless SWP_NOACTIVATE, then
// WM_WINDOWPOSCHANGED with SWP_NOSIZE, SWP_NOMOVE and SWP_NOZORDER added for what did not change; a
// call that changed nothing sends no WM_WINDOWPOSCHANGED. SWP_HIDEWINDOW leaves a top-level window
// active, as Win32 does (ShowWindow(SW_HIDE) hands activation on); hiding a child this way also
// moves the focus to its parent and releases the capture at once, which Win32 leaves to
// ShowWindow(SW_HIDE), so that keys never go to a hidden control.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// Sends WM_SHOWWINDOW before showing or hiding, except when the window appears minimised, maximised
// or restored (as in Win32). SW_HIDE of the active window deactivates it after WM_WINDOWPOSCHANGED.
BOOL ShowWindow(HWND hwnd, int command);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement);
BOOL BringWindowToTop(HWND hwnd);
BOOL CloseWindow(HWND hwnd);
BOOL OpenIcon(HWND hwnd);

BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
HWND WindowFromPoint(POINT point);
HWND ChildWindowFromPoint(HWND parent, POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);

BOOL EnumWindows(WNDENUMPROC callback, LPARAM param);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param);
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM param);
HWND FindWindow(LPCSTR className, LPCSTR windowName);
HWND FindWindowEx(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName);

int GetWindowText(HWND hwnd, LPSTR text, int maxCount);
int GetWindowTextLength(HWND hwnd);
BOOL SetWindowText(HWND hwnd, LPCSTR text);

// The window takes the region (the caller must not use or delete it afterwards).
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
// Copies the window's region into `region`; ERROR (0) when the window has none.
int GetWindowRgn(HWND hwnd, HRGN region);

// The menu bar of a top-level window (the frame's height follows it).
HMENU GetMenu(HWND hwnd);
BOOL SetMenu(HWND hwnd, HMENU menu);
BOOL DrawMenuBar(HWND hwnd);

// Window procedure chains. When several procedures subclass one window and one of them restores
// the procedure it replaced while it is not the newest, it leaves the chain without cutting off the
// newer ones: SetWindowLongPtr(GWL_WNDPROC) with a procedure that some chain member replaced takes that
// member out, and CallWindowProc through the removed member's address forwards to what it replaced.
// The procedure `proc` replaced on `hwnd` (following removed members), or nullptr when `proc` is
// not in that window's chain.
WNDPROC GetReplacedWindowProc(HWND hwnd, WNDPROC proc);
// True while any window's chain (current, replaced or removed members) mentions `proc`.
bool IsWindowProcInUse(WNDPROC proc);

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                           DWORD_PTR* result);
BOOL SendNotifyMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL WaitMessage();
DWORD GetQueueStatus(UINT flags);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
LONG GetMessageTime();
DWORD GetMessagePos();
LPARAM GetMessageExtraInfo();
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL InSendMessage();
DWORD InSendMessageEx(LPVOID reserved);
BOOL ReplyMessage(LRESULT result);
UINT RegisterWindowMessage(LPCSTR name);

// ---------------------------------------------------------------------------------------------
// Painting

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRgn(HWND hwnd, HRGN region);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags);
int ReleaseDC(HWND hwnd, HDC dc);
HWND WindowFromDC(HDC dc);
BOOL LockWindowUpdate(HWND hwnd);

// ---------------------------------------------------------------------------------------------
// Hooks

HHOOK SetWindowsHookEx(int hookId, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
// Runs the WH_MSGFILTER hooks for a message of a modal loop; TRUE when a hook processed it.
BOOL CallMsgFilter(MSG* msg, int code);

// ---------------------------------------------------------------------------------------------
// Timers

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// ---------------------------------------------------------------------------------------------
// Modal loops

// A modal loop that had nothing left to do: no message, no due timer and no script answer.
class ModalLoopStuck : public std::runtime_error {
public:
    explicit ModalLoopStuck(std::string loopName)
        : std::runtime_error("modal loop \"" + loopName + "\" has nothing to do and would wait forever"),
          loopName_(std::move(loopName)) {}
    const std::string& LoopName() const { return loopName_; }

private:
    std::string loopName_;
};

// Pumps messages (through the WH_MSGFILTER hooks with `filterCode`, then TranslateMessage and
// DispatchMessage) until `done` returns true. Returns false when WM_QUIT ended it; the quit message
// is posted again for the outer loop. Under the manual clock or with a modal script, an idle loop
// asks the script and raises ModalLoopStuck when that brings nothing; on the real clock it waits.
bool RunModalLoop(std::string_view loopName, const std::function<bool()>& done, int filterCode = MSGF_USER);

// ---------------------------------------------------------------------------------------------
// Focus, activation, capture

HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL GetGUIThreadInfo(DWORD threadId, GUITHREADINFO* info);

// ---------------------------------------------------------------------------------------------
// Keyboard

SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);
BOOL GetKeyboardState(BYTE* keyState);
BOOL SetKeyboardState(const BYTE* keyState);
inline constexpr UINT MAPVK_VK_TO_VSC = 0;
inline constexpr UINT MAPVK_VSC_TO_VK = 1;
inline constexpr UINT MAPVK_VK_TO_CHAR = 2;
UINT MapVirtualKey(UINT code, UINT mapType);
// Low byte: the virtual key; high byte: 1 Shift, 2 Ctrl, 4 Alt. -1 when no key types the character.
SHORT VkKeyScan(char character);
// The characters the key types under `keyState` (US layout); returns their count (0 for none).
int ToUnicode(UINT virtualKey, UINT scanCode, const BYTE* keyState, wchar_t* buffer, int bufferSize,
              UINT flags);

// ---------------------------------------------------------------------------------------------
// Mouse and cursor

BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL ClipCursor(const RECT* rect);
BOOL GetClipCursor(RECT* rect);
int ShowCursor(BOOL show);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT milliseconds);
BOOL SwapMouseButton(BOOL swap);

inline constexpr DWORD TME_HOVER = 0x00000001;
inline constexpr DWORD TME_LEAVE = 0x00000002;
inline constexpr DWORD TME_NONCLIENT = 0x00000010;
inline constexpr DWORD TME_QUERY = 0x40000000;
inline constexpr DWORD TME_CANCEL = 0x80000000;
inline constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

// ---------------------------------------------------------------------------------------------
// Desktop

int GetSystemMetrics(int index);
BOOL SystemParametersInfo(UINT action, UINT uiParam, LPVOID pvParam, UINT winIni);

struct NONCLIENTMETRICS {
    UINT cbSize;
    int iBorderWidth;
    int iScrollWidth;
    int iScrollHeight;
    int iCaptionWidth;
    int iCaptionHeight;
    LOGFONT lfCaptionFont;
    int iSmCaptionWidth;
    int iSmCaptionHeight;
    LOGFONT lfSmCaptionFont;
    int iMenuWidth;
    int iMenuHeight;
    LOGFONT lfMenuFont;
    LOGFONT lfStatusFont;
    LOGFONT lfMessageFont;
    int iPaddedBorderWidth;
};

BOOL MessageBeep(UINT type);

// ---------------------------------------------------------------------------------------------
// Global memory (clipboard data)

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_NOCOMPACT = 0x0010;
inline constexpr UINT GMEM_NODISCARD = 0x0020;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_MODIFY = 0x0080;
inline constexpr UINT GMEM_DISCARDABLE = 0x0100;
inline constexpr UINT GMEM_SHARE = 0x2000;
inline constexpr UINT GMEM_DDESHARE = GMEM_SHARE;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
// The largest block handed out.
inline constexpr size_t GLOBAL_MEMORY_LIMIT = size_t{1} << 31;

// A GMEM_FIXED block's handle is its address, as in Win32; moveable blocks are table handles.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalReAlloc(HGLOBAL memory, size_t bytes, UINT flags);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
size_t GlobalSize(HGLOBAL memory);
UINT GlobalFlags(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);

// ---------------------------------------------------------------------------------------------
// Clipboard (CF_TEXT holds UTF-8; CF_UNICODETEXT UTF-16; each is synthesised from the other)

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE data);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
UINT RegisterClipboardFormat(LPCSTR name);
int GetClipboardFormatName(UINT format, LPSTR name, int maxCount);
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
DWORD GetClipboardSequenceNumber();
HWND SetClipboardViewer(HWND viewer);
HWND GetClipboardViewer();
BOOL ChangeClipboardChain(HWND remove, HWND next);
BOOL AddClipboardFormatListener(HWND hwnd);
BOOL RemoveClipboardFormatListener(HWND hwnd);

// ---------------------------------------------------------------------------------------------
// Carets

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* point);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT milliseconds);

// ---------------------------------------------------------------------------------------------
// Scroll bars

inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_CTL = 2;
inline constexpr int SB_BOTH = 3;

// Request codes of WM_HSCROLL / WM_VSCROLL (low word of wParam).
inline constexpr WORD SB_LINEUP = 0;
inline constexpr WORD SB_LINELEFT = 0;
inline constexpr WORD SB_LINEDOWN = 1;
inline constexpr WORD SB_LINERIGHT = 1;
inline constexpr WORD SB_PAGEUP = 2;
inline constexpr WORD SB_PAGELEFT = 2;
inline constexpr WORD SB_PAGEDOWN = 3;
inline constexpr WORD SB_PAGERIGHT = 3;
inline constexpr WORD SB_THUMBPOSITION = 4;
inline constexpr WORD SB_THUMBTRACK = 5;
inline constexpr WORD SB_TOP = 6;
inline constexpr WORD SB_LEFT = 6;
inline constexpr WORD SB_BOTTOM = 7;
inline constexpr WORD SB_RIGHT = 7;
inline constexpr WORD SB_ENDSCROLL = 8;

inline constexpr UINT SIF_RANGE = 0x0001;
inline constexpr UINT SIF_PAGE = 0x0002;
inline constexpr UINT SIF_POS = 0x0004;
inline constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
inline constexpr UINT SIF_TRACKPOS = 0x0010;
inline constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

inline constexpr UINT ESB_ENABLE_BOTH = 0x0000;
inline constexpr UINT ESB_DISABLE_BOTH = 0x0003;
inline constexpr UINT ESB_DISABLE_LEFT = 0x0001;
inline constexpr UINT ESB_DISABLE_RIGHT = 0x0002;
inline constexpr UINT ESB_DISABLE_UP = 0x0001;
inline constexpr UINT ESB_DISABLE_DOWN = 0x0002;
inline constexpr UINT ESB_DISABLE_LTUP = ESB_DISABLE_LEFT;
inline constexpr UINT ESB_DISABLE_RTDN = ESB_DISABLE_RIGHT;

inline constexpr LONG OBJID_WINDOW = 0;
inline constexpr LONG OBJID_SYSMENU = -1;
inline constexpr LONG OBJID_TITLEBAR = -2;
inline constexpr LONG OBJID_MENU = -3;
inline constexpr LONG OBJID_CLIENT = -4;
inline constexpr LONG OBJID_VSCROLL = -5;
inline constexpr LONG OBJID_HSCROLL = -6;
inline constexpr LONG OBJID_SIZEGRIP = -7;
inline constexpr LONG OBJID_CARET = -8;
inline constexpr LONG OBJID_CURSOR = -9;
inline constexpr LONG OBJID_ALERT = -10;
inline constexpr LONG OBJID_SOUND = -11;

inline constexpr DWORD STATE_SYSTEM_UNAVAILABLE = 0x00000001;
inline constexpr DWORD STATE_SYSTEM_PRESSED = 0x00000008;
inline constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x00008000;
inline constexpr DWORD STATE_SYSTEM_OFFSCREEN = 0x00010000;

inline constexpr UINT SW_SCROLLCHILDREN = 0x0001;
inline constexpr UINT SW_INVALIDATE = 0x0002;
inline constexpr UINT SW_ERASE = 0x0004;
inline constexpr UINT SW_SMOOTHSCROLL = 0x0010;

// Messages a scroll bar control answers; SB_CTL calls are forwarded to them.
inline constexpr UINT SBM_SETPOS = 0x00E0;
inline constexpr UINT SBM_GETPOS = 0x00E1;
inline constexpr UINT SBM_SETRANGE = 0x00E2;
inline constexpr UINT SBM_GETRANGE = 0x00E3;
inline constexpr UINT SBM_ENABLE_ARROWS = 0x00E4;
inline constexpr UINT SBM_SETRANGEREDRAW = 0x00E6;
inline constexpr UINT SBM_SETSCROLLINFO = 0x00E9;
inline constexpr UINT SBM_GETSCROLLINFO = 0x00EA;
inline constexpr UINT SBM_GETSCROLLBARINFO = 0x00EB;

inline constexpr DWORD ERROR_NO_SCROLLBARS = 1447;
inline constexpr DWORD ERROR_INVALID_SCROLLBAR_RANGE = 1448;

struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};

inline constexpr int CCHILDREN_SCROLLBAR = 5;
struct SCROLLBARINFO {
    DWORD cbSize;
    RECT rcScrollBar;  // screen coordinates
    int dxyLineButton;
    int xyThumbTop;     // from the top (left) of rcScrollBar
    int xyThumbBottom;  // from the top (left) of rcScrollBar
    int reserved;
    // The bar, then its top arrow, page-up area, thumb, page-down area and bottom arrow.
    DWORD rgstate[CCHILDREN_SCROLLBAR + 1];
};

// The window scroll bars (SB_HORZ, SB_VERT) live in the frame: WS_HSCROLL / WS_VSCROLL show them.
// Range, page and position are clamped as the owner expects: the page to the range's size plus one,
// the position to nMin .. nMax - max(nPage - 1, 0). A range or page that leaves nothing to scroll
// hides the bar, or with SIF_DISABLENOSCROLL disables it; one that needs scrolling shows it again.
// Returns the position after the change.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Returns the previous position.
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
// Equal bounds hide a window scroll bar; a span beyond MAXLONG fails (ERROR_INVALID_SCROLLBAR_RANGE).
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
// Adds or removes WS_HSCROLL / WS_VSCROLL (SB_BOTH: both) and recomputes the client area.
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
// ESB_* flags; FALSE when the arrows already were in that state.
BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);
// OBJID_VSCROLL, OBJID_HSCROLL, or OBJID_CLIENT for a scroll bar control.
BOOL GetScrollBarInfo(HWND hwnd, LONG object, SCROLLBARINFO* info);

// Moves the client area's pixels on the screen surface. ScrollWindow invalidates (and erases) what was
// uncovered; without `scroll` it also moves the child windows and the pending update region.
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);
// SW_INVALIDATE, SW_ERASE and SW_SCROLLCHILDREN (children that meet `scroll`, all without it). The
// uncovered area goes to `update` and `updateRect` (client coordinates); returns its complexity
// (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR.
int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* updateRect, UINT flags);
// The same on any device context, in its logical coordinates; nothing is invalidated.
BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect);

// ---------------------------------------------------------------------------------------------
// Test controls

namespace testing {

// How many global memory blocks are allocated and not yet freed.
size_t GlobalBlockCount();

// Changes the headless screen (default 1024 x 768 at 96 DPI); the work area follows when it was the
// whole screen, and top-level windows hear WM_DISPLAYCHANGE.
void SetScreenSize(int width, int height);
// Every MessageBeep since the last reset, in order.
std::vector<UINT> Beeps();
// The wallpaper last set through SPI_SETDESKWALLPAPER.
std::string Wallpaper();
// Called when a modal loop is idle: the script plays the user (injects input, closes the dialog,
// advances the clock). Empty removes the script.
void SetModalScript(std::function<void(std::string_view loopName)> script);
// Whether the caret is shown (created, not hidden) and its rectangle in client coordinates.
bool CaretShown(RECT* rect = nullptr);
// The hooks of a kind (WH_*) installed on the calling thread, so that a test can tell that a
// component removed what it installed.
int InstalledHookCount(int hookId);
// Leaves the current session and joins the one in `folder` (created, private to the user); empty
// gives the process a desktop of its own, as ResetPlatform does. Processes started afterwards join
// the same folder when ZYL_SESSION names it in their environment.
void SetSessionFolder(const std::string& folder);
// The folder of the session this process shares, empty when it has a desktop of its own.
std::string SessionFolder();

}  // namespace testing

}  // namespace win32
