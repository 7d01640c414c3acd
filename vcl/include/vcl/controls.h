// The control core: TControl, TWinControl, TGraphicControl, TCustomControl and TControlCanvas, the
// framework's control messages, alignment, anchors, mouse routing, keyboard routing and focus.
//
// For authors of controls:
// - Handle messages by overriding WndProc: switch on Msg, answer what the class cares about and hand
//   everything else to Inherited::WndProc(message).
// - Paint a TCustomControl in Paint() on Canvas(); paint a TGraphicControl in Paint() on its Canvas()
//   (the parent's surface, origin at the control's top-left, clipped to its bounds). Painting always
//   goes to an off-screen bitmap that is copied in one block.
// - Keys arrive as KeyDown/KeyPress/KeyUp (events OnKeyDown/OnKeyPress/OnKeyUp). A control that wants
//   Tab, arrows, Enter/Escape or characters answers WM_GETDLGCODE with the DLGC_* bits; otherwise those
//   keys go to the form as CM_DIALOGKEY (Tab and arrows move focus, anything else is broadcast to
//   every control until one sets Result to non-zero) and characters as CM_DIALOGCHAR.
// - A default button answers CM_DIALOGKEY for VK_RETURN, a cancel button for VK_ESCAPE: Click and set
//   message.Result = 1; a control with an accelerator answers CM_DIALOGCHAR (see IsAccel).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/classes.h"
#include "vcl/graphics.h"
#include "vcl/messages.h"
#include "vcl/shortcuts.h"

namespace vcl {

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;

// ---------------------------------------------------------------------------------------------
// Control messages

inline constexpr win32::UINT CM_BASE = 0xB000;
inline constexpr win32::UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr win32::UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr win32::UINT CM_GOTFOCUS = CM_BASE + 2;
inline constexpr win32::UINT CM_LOSTFOCUS = CM_BASE + 3;
inline constexpr win32::UINT CM_CANCELMODE = CM_BASE + 4;
inline constexpr win32::UINT CM_DIALOGKEY = CM_BASE + 5;
inline constexpr win32::UINT CM_DIALOGCHAR = CM_BASE + 6;
inline constexpr win32::UINT CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr win32::UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr win32::UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr win32::UINT CM_HITTEST = CM_BASE + 10;
inline constexpr win32::UINT CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr win32::UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr win32::UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr win32::UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr win32::UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr win32::UINT CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr win32::UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr win32::UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr win32::UINT CM_MOUSEENTER = CM_BASE + 19;
inline constexpr win32::UINT CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr win32::UINT CM_MENUCHANGED = CM_BASE + 21;
inline constexpr win32::UINT CM_APPKEYDOWN = CM_BASE + 22;
inline constexpr win32::UINT CM_APPSYSCOMMAND = CM_BASE + 23;
inline constexpr win32::UINT CM_BUTTONPRESSED = CM_BASE + 24;
inline constexpr win32::UINT CM_SHOWINGCHANGED = CM_BASE + 25;
inline constexpr win32::UINT CM_ENTER = CM_BASE + 26;
inline constexpr win32::UINT CM_EXIT = CM_BASE + 27;
inline constexpr win32::UINT CM_DESIGNHITTEST = CM_BASE + 28;
inline constexpr win32::UINT CM_ICONCHANGED = CM_BASE + 29;
inline constexpr win32::UINT CM_WANTSPECIALKEY = CM_BASE + 30;
inline constexpr win32::UINT CM_INVOKEHELP = CM_BASE + 31;
inline constexpr win32::UINT CM_WINDOWHOOK = CM_BASE + 32;
inline constexpr win32::UINT CM_RELEASE = CM_BASE + 33;
inline constexpr win32::UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr win32::UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr win32::UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
inline constexpr win32::UINT CM_WININICHANGE = CM_BASE + 37;
inline constexpr win32::UINT CM_FONTCHANGE = CM_BASE + 38;
inline constexpr win32::UINT CM_TIMECHANGE = CM_BASE + 39;
inline constexpr win32::UINT CM_TABSTOPCHANGED = CM_BASE + 40;
inline constexpr win32::UINT CM_UIACTIVATE = CM_BASE + 41;
inline constexpr win32::UINT CM_UIDEACTIVATE = CM_BASE + 42;
inline constexpr win32::UINT CM_DOCWINDOWACTIVATE = CM_BASE + 43;
inline constexpr win32::UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
inline constexpr win32::UINT CM_GETDATALINK = CM_BASE + 45;
inline constexpr win32::UINT CM_CHILDKEY = CM_BASE + 46;
inline constexpr win32::UINT CM_DRAG = CM_BASE + 47;
inline constexpr win32::UINT CM_HINTSHOW = CM_BASE + 48;
inline constexpr win32::UINT CM_DIALOGHANDLE = CM_BASE + 49;
inline constexpr win32::UINT CM_ISTOOLCONTROL = CM_BASE + 50;
inline constexpr win32::UINT CM_RECREATEWND = CM_BASE + 51;
inline constexpr win32::UINT CM_INVALIDATE = CM_BASE + 52;
inline constexpr win32::UINT CM_SYSFONTCHANGED = CM_BASE + 53;
inline constexpr win32::UINT CM_CONTROLCHANGE = CM_BASE + 54;
inline constexpr win32::UINT CM_CHANGED = CM_BASE + 55;

// Notifications a parent reflects back to the child control that caused them.
inline constexpr win32::UINT CN_BASE = 0xBC00;
inline constexpr win32::UINT CN_CHARTOITEM = CN_BASE + win32::WM_CHARTOITEM;
inline constexpr win32::UINT CN_COMMAND = CN_BASE + win32::WM_COMMAND;
inline constexpr win32::UINT CN_COMPAREITEM = CN_BASE + win32::WM_COMPAREITEM;
inline constexpr win32::UINT CN_CTLCOLORBTN = CN_BASE + win32::WM_CTLCOLORBTN;
inline constexpr win32::UINT CN_CTLCOLORDLG = CN_BASE + win32::WM_CTLCOLORDLG;
inline constexpr win32::UINT CN_CTLCOLOREDIT = CN_BASE + win32::WM_CTLCOLOREDIT;
inline constexpr win32::UINT CN_CTLCOLORLISTBOX = CN_BASE + win32::WM_CTLCOLORLISTBOX;
inline constexpr win32::UINT CN_CTLCOLORMSGBOX = CN_BASE + win32::WM_CTLCOLORMSGBOX;
inline constexpr win32::UINT CN_CTLCOLORSCROLLBAR = CN_BASE + win32::WM_CTLCOLORSCROLLBAR;
inline constexpr win32::UINT CN_CTLCOLORSTATIC = CN_BASE + win32::WM_CTLCOLORSTATIC;
inline constexpr win32::UINT CN_DELETEITEM = CN_BASE + win32::WM_DELETEITEM;
inline constexpr win32::UINT CN_DRAWITEM = CN_BASE + win32::WM_DRAWITEM;
inline constexpr win32::UINT CN_HSCROLL = CN_BASE + win32::WM_HSCROLL;
inline constexpr win32::UINT CN_MEASUREITEM = CN_BASE + win32::WM_MEASUREITEM;
inline constexpr win32::UINT CN_PARENTNOTIFY = CN_BASE + win32::WM_PARENTNOTIFY;
inline constexpr win32::UINT CN_VKEYTOITEM = CN_BASE + win32::WM_VKEYTOITEM;
inline constexpr win32::UINT CN_VSCROLL = CN_BASE + win32::WM_VSCROLL;
inline constexpr win32::UINT CN_KEYDOWN = CN_BASE + win32::WM_KEYDOWN;
inline constexpr win32::UINT CN_KEYUP = CN_BASE + win32::WM_KEYUP;
inline constexpr win32::UINT CN_CHAR = CN_BASE + win32::WM_CHAR;
inline constexpr win32::UINT CN_SYSKEYDOWN = CN_BASE + win32::WM_SYSKEYDOWN;
inline constexpr win32::UINT CN_SYSCHAR = CN_BASE + win32::WM_SYSCHAR;
inline constexpr win32::UINT CN_NOTIFY = CN_BASE + win32::WM_NOTIFY;

// WM_GETDLGCODE answers.
inline constexpr win32::LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr win32::LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr win32::LRESULT DLGC_WANTALLKEYS = 0x0004;
inline constexpr win32::LRESULT DLGC_WANTMESSAGE = 0x0004;
inline constexpr win32::LRESULT DLGC_HASSETSEL = 0x0008;
inline constexpr win32::LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr win32::LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr win32::LRESULT DLGC_RADIOBUTTON = 0x0040;
inline constexpr win32::LRESULT DLGC_WANTCHARS = 0x0080;
inline constexpr win32::LRESULT DLGC_STATIC = 0x0100;
inline constexpr win32::LRESULT DLGC_BUTTON = 0x2000;

// ---------------------------------------------------------------------------------------------
// Enumerations and sets

enum class TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
VCL_ENUM_NAMES(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient")
using enum TAlign;
using TAlignSet = Set<TAlign>;

enum class TAnchorKind : uint8_t { akLeft, akTop, akRight, akBottom };
VCL_ENUM_NAMES(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
using enum TAnchorKind;
using TAnchors = Set<TAnchorKind>;

enum class TControlStyleFlag : uint8_t {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
};
VCL_ENUM_NAMES(TControlStyleFlag, "csAcceptsControls", "csCaptureMouse", "csDesignInteractive",
               "csClickEvents", "csFramed", "csSetCaption", "csOpaque", "csDoubleClicks", "csFixedWidth",
               "csFixedHeight", "csNoDesignVisible", "csReplicatable", "csNoStdEvents", "csDisplayDragImage",
               "csReflector", "csActionClient", "csMenuEvents")
using enum TControlStyleFlag;
using TControlStyle = Set<TControlStyleFlag>;

enum class TControlStateFlag : uint8_t {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
};
VCL_ENUM_NAMES(TControlStateFlag, "csLButtonDown", "csClicked", "csPalette", "csReadingState",
               "csAlignmentNeeded", "csFocusing", "csCreating", "csPaintCopy", "csCustomPaint",
               "csDestroyingHandle")
using enum TControlStateFlag;
using TControlState = Set<TControlStateFlag>;

enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
VCL_ENUM_NAMES(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
using enum TMouseButton;

// One enumeration serves plain controls (bsNone, bsSingle) and forms (all six values): a control that
// has only a plain border treats every value other than bsNone as bsSingle.
enum class TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
VCL_ENUM_NAMES(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
               "bsSizeToolWin")
using enum TFormBorderStyle;
using TBorderStyle = TFormBorderStyle;

// Shared by the scroll bar control and the scroll bars of a scrolling form.
enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };
VCL_ENUM_NAMES(TScrollBarKind, "sbHorizontal", "sbVertical")
using enum TScrollBarKind;
using TScrollBarInc = Integer;

using TCaption = std::string;

// Cursor identifiers; application cursors are positive and live in Screen->Cursors.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = -22;
// For published cursor properties: p.Property("Cursor", ...).Idents(CursorIdents()).
TIdentMap CursorIdents();
bool CursorToIdent(Integer cursor, std::string& ident);
bool IdentToCursor(std::string_view ident, Integer& cursor);
std::string CursorToString(TCursor cursor);
// Names or numbers; raises EConvertError for anything else.
TCursor StringToCursor(std::string_view text);

using TModalResult = Integer;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// ---------------------------------------------------------------------------------------------
// Events

using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
// Key is the character's code point (WM_CHAR); setting it to 0 swallows the character.
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta,
                                            TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// The shift state of a key message's lParam (reads the keyboard state for Shift and Ctrl; bit 29 is Alt).
TShiftState KeyDataToShiftState(win32::LPARAM keyData);
// The shift state of a mouse message's wParam (MK_* bits) plus Alt from the keyboard.
TShiftState KeysToShiftState(win32::WPARAM keys);
// The current shift state from the keyboard and mouse buttons.
TShiftState KeyboardStateToShiftState();
// True when `character` is the accelerator of `caption` ("&Save": 's' or 'S'; "&&" is a literal &).
bool IsAccel(char32_t character, std::string_view caption);
// The caption without its & marks ("&&" becomes "&").
std::string StripHotkey(std::string_view caption);

// ---------------------------------------------------------------------------------------------
// Creating windows

struct TCreateParams {
    std::string Caption;
    win32::DWORD Style = 0;
    win32::DWORD ExStyle = 0;
    Integer X = 0, Y = 0, Width = 0, Height = 0;
    win32::HWND WndParent = nullptr;
    void* Param = nullptr;
    win32::WNDCLASS WindowClass{};
    std::string WinClassName;
};

// The menus unit tells the controls how to show a popup menu component and how menu shortcut keys
// reach a menu; without it popup menus are not shown and no shortcut matches.
struct TMenuHooks {
    // Shows `popupMenu` (a TPopupMenu) for `control` at a screen point.
    std::function<void(TComponent* popupMenu, TControl* control, Integer x, Integer y)> popup;
    // True when `menu` (a TMenu) has an item with that shortcut; the item has then been clicked.
    std::function<bool(TComponent* menu, TShortCut shortCut)> isShortCut;
    // The native menu of a main menu component (set on the form's window); nullptr for none.
    std::function<win32::HMENU(TComponent* mainMenu)> menuHandle;
    // A WM_COMMAND from a menu of `menu`'s tree; true when an item had that command.
    std::function<bool(TComponent* menu, win32::UINT command)> dispatchCommand;
    // WM_INITMENUPOPUP for a submenu of `menu` (items update themselves before showing).
    std::function<void(TComponent* menu, win32::HMENU popup)> initPopup;
};
TMenuHooks& MenuHooks();

// ---------------------------------------------------------------------------------------------
// Drag and drop within the application

enum class TDragMode : uint8_t { dmManual, dmAutomatic };
VCL_ENUM_NAMES(TDragMode, "dmManual", "dmAutomatic")
using enum TDragMode;

enum class TDragState : uint8_t { dsDragEnter, dsDragLeave, dsDragMove };
VCL_ENUM_NAMES(TDragState, "dsDragEnter", "dsDragLeave", "dsDragMove")
using enum TDragState;

// Source is the control being dragged; X and Y are in the Sender's client coordinates.
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
// Target is the control that took the drop, nullptr when the drag was cancelled or refused.
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TStartDragEvent = std::function<void(TObject* Sender)>;

// ---------------------------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
    VCL_DECLARE_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Parent
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

    // Bounds (relative to the parent's client area)
    Integer Left() const { return left_; }
    void SetLeft(Integer value) { SetBounds(value, top_, width_, height_); }
    Integer Top() const { return top_; }
    void SetTop(Integer value) { SetBounds(left_, value, width_, height_); }
    Integer Width() const { return width_; }
    void SetWidth(Integer value) { SetBounds(left_, top_, value, height_); }
    Integer Height() const { return height_; }
    void SetHeight(Integer value) { SetBounds(left_, top_, width_, value); }
    // Does nothing when nothing changes; otherwise moves the window, realigns and calls Resize.
    virtual void SetBounds(Integer left, Integer top, Integer width, Integer height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& rect) {
        SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
    virtual TRect ClientRect() const;
    Integer ClientWidth() const { return ClientRect().right; }
    void SetClientWidth(Integer value);
    Integer ClientHeight() const { return ClientRect().bottom; }
    void SetClientHeight(Integer value);
    // The screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint point) const;
    TPoint ScreenToClient(TPoint point) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value);
    // Forms write their client size instead.
    virtual bool IsSizeStored() const { return true; }
    bool IsAnchorsStored() const { return anchors_ != TAnchors{akLeft, akTop}; }
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool value);

    // Visibility and state
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show();
    void Hide();
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState value) { controlState_ = value; }

    // Text: Caption and Text are one value (WM_SETTEXT/WM_GETTEXT); CM_TEXTCHANGED only on a change.
    TCaption Caption() const { return GetText(); }
    void SetCaption(const TCaption& value) { SetText(value); }
    TCaption Text() const { return GetText(); }
    void SetText(const TCaption& value);
    Integer GetTextLen() const;

    // Appearance
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    bool IsColorStored() const { return !parentColor_; }
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* value) { font_->Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    bool IsFontStored() const { return !parentFont_; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);

    // Hints: "short|long"
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    bool IsShowHintStored() const { return !parentShowHint_; }
    Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(Integer value) { helpContext_ = value; }

    // The popup menu (a TPopupMenu from the menus unit) shown on a right click or the menu key.
    TComponent* PopupMenuComponent() const { return popupMenu_; }
    // Raises EInvalidCast for a component that is not a popup menu.
    void SetPopupMenuComponent(TComponent* value);
    template <typename M = TPopupMenu>
    M* PopupMenu() const {
        return static_cast<M*>(popupMenu_);
    }
    template <typename M>
    void SetPopupMenu(M* value) {
        SetPopupMenuComponent(value);
    }

    // Messages: WindowProc is replaceable (subclassing) and defaults to WndProc.
    win32::LRESULT Perform(win32::UINT msg, win32::WPARAM wParam, win32::LPARAM lParam);
    const TWndMethod& WindowProc() const { return windowProc_; }
    void SetWindowProc(TWndMethod value) { windowProc_ = std::move(value); }
    virtual void WndProc(TMessage& message);
    // What a message no class handles gets (a windowed control: its window's default procedure).
    virtual void DefaultHandler(TMessage& message);

    // Painting: Invalidate is deferred, Repaint and Update paint now.
    virtual void Invalidate();
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }
    // Paints the control (and any children) on `dc` with its top-left at (x, y), shown or not.
    virtual void PaintTo(win32::HDC dc, Integer x, Integer y);
    void PaintTo(TCanvas* canvas, Integer x, Integer y);

    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }
    // True when the mouse is captured for this control (graphic controls through their parent).
    bool MouseCapture() const;
    void SetMouseCapture(bool value);
    // The cursor position in this control's client coordinates was inside it at the last mouse move.
    bool MouseInControl() const { return mouseInControl_; }

    // Dragging: dmAutomatic starts a drag when the left button goes down and the mouse then moves
    // past the drag threshold. The control under the mouse hears DragOver (OnDragOver) and shows
    // the source's DragCursor when it accepts, crNoDrop otherwise; releasing the button over an
    // accepting control drops (OnDragDrop); the source hears OnEndDrag in every case. A right
    // click, Escape or the loss of the mouse capture cancels.
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor value) { dragCursor_ = value; }
    // immediate false waits until the mouse moves `threshold` pixels (-1: the system's distance).
    void BeginDrag(bool immediate, Integer threshold = -1);
    void EndDrag(bool drop);
    bool Dragging() const;

    // Events
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnResize;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;

    static void Publish(Published<TControl>& p) {
        p.Property("Left", &TControl::Left, &TControl::SetLeft);
        p.Property("Top", &TControl::Top, &TControl::SetTop);
        p.Property("Width", &TControl::Width, &TControl::SetWidth).Stored(&TControl::IsSizeStored);
        p.Property("Height", &TControl::Height, &TControl::SetHeight).Stored(&TControl::IsSizeStored);
        p.Property("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault).Idents(CursorIdents());
        p.Property("Hint", &TControl::Hint, &TControl::SetHint);
        p.Property("HelpContext", &TControl::HelpContext, &TControl::SetHelpContext, 0);
    }

    // Descendants publish the rest of the framework's control properties as they have them, with
    // these helpers so that names, defaults and stored rules are the same everywhere. An event
    // declared in a base class is published with its handler type named:
    //   p.template Event<TNotifyEvent>("OnClick", &TControl::OnClick);
    template <typename T>
    static void PublishAlign(Published<T>& p) {
        p.Property("Align", &TControl::Align, &TControl::SetAlign, alNone);
    }
    template <typename T>
    static void PublishAnchors(Published<T>& p) {
        p.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors).Stored(&TControl::IsAnchorsStored);
    }
    template <typename T>
    static void PublishCaption(Published<T>& p) {
        p.Property("Caption", &TControl::Caption, &TControl::SetCaption).TypeName("TCaption");
    }
    template <typename T>
    static void PublishText(Published<T>& p) {
        p.Property("Text", &TControl::Text, &TControl::SetText);
    }
    template <typename T>
    static void PublishColor(Published<T>& p, TColor defaultColor) {
        p.Property("Color", &TControl::Color, &TControl::SetColor, defaultColor)
            .TypeName("TColor")
            .Idents(ColorIdents())
            .Stored(&TControl::IsColorStored);
    }
    template <typename T>
    static void PublishEnabled(Published<T>& p) {
        p.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true);
    }
    template <typename T>
    static void PublishFont(Published<T>& p) {
        p.Property("Font", &TControl::Font).Stored(&TControl::IsFontStored);
    }
    template <typename T>
    static void PublishParentColor(Published<T>& p, bool defaultValue) {
        p.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, defaultValue);
    }
    template <typename T>
    static void PublishParentFont(Published<T>& p, bool defaultValue = true) {
        p.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, defaultValue);
    }
    template <typename T>
    static void PublishParentShowHint(Published<T>& p) {
        p.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true);
    }
    template <typename T>
    static void PublishPopupMenu(Published<T>& p) {
        p.Property("PopupMenu", &TControl::PopupMenuComponent, &TControl::SetPopupMenuComponent);
    }
    template <typename T>
    static void PublishShowHint(Published<T>& p) {
        p.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
            .Stored(&TControl::IsShowHintStored);
    }
    template <typename T>
    static void PublishVisible(Published<T>& p) {
        p.Property("Visible", &TControl::Visible, &TControl::SetVisible, true);
    }
    template <typename T>
    static void PublishMouseEvents(Published<T>& p) {
        p.template Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        p.template Event<TNotifyEvent>("OnDblClick", &TControl::OnDblClick);
        p.template Event<TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.template Event<TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.template Event<TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }
    template <typename T>
    static void PublishDragProperties(Published<T>& p) {
        p.Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, crDrag)
            .Idents(CursorIdents());
        p.Property("DragMode", &TControl::DragMode, &TControl::SetDragMode, dmManual);
    }
    template <typename T>
    static void PublishDragEvents(Published<T>& p) {
        p.template Event<TDragDropEvent>("OnDragDrop", &TControl::OnDragDrop);
        p.template Event<TDragOverEvent>("OnDragOver", &TControl::OnDragOver);
        p.template Event<TEndDragEvent>("OnEndDrag", &TControl::OnEndDrag);
        p.template Event<TStartDragEvent>("OnStartDrag", &TControl::OnStartDrag);
    }
    template <typename T>
    static void PublishOnResize(Published<T>& p) {
        p.template Event<TNotifyEvent>("OnResize", &TControl::OnResize);
    }

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    virtual TCaption GetText() const;
    virtual void SetTextValue(const TCaption& value);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
    virtual void MouseMove(TShiftState shift, Integer x, Integer y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y);
    virtual bool DoMouseWheel(TShiftState shift, Integer wheelDelta, TPoint mousePos);
    // The drag steps; the defaults raise the events. Without OnDragOver nothing is accepted.
    virtual void DoStartDrag();
    virtual void DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, Integer x, Integer y);
    virtual void DoEndDrag(TObject* target, Integer x, Integer y);
    virtual void Resize();
    virtual void Changed();
    // Asks the parent to realign its children after this control's bounds or alignment changed.
    virtual void RequestAlign();
    virtual void SetZOrder(bool topMost);
    virtual void VisibleChanging() {}
    // Graphic controls: the parent's DC moved to this control's origin and clipped to its bounds.
    virtual win32::HDC GetDeviceContext(win32::HWND& window);
    virtual bool CanAutoSize(Integer& newWidth, Integer& newHeight);
    virtual void AdjustSize();
    // The popup menu for a right click at `pos` (client coordinates); the control's own by default.
    virtual TComponent* GetPopupMenu() const { return popupMenu_; }
    // Records the distances the anchors keep to the parent's edges.
    void UpdateAnchorRules();
    void SendCancelMode(TControl* sender);
    bool IsParentColorChanging() const { return parentColorChanging_; }

    std::unique_ptr<TFont> font_;
    Integer left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;

private:
    friend class TWinControl;
    friend class TControlCanvas;
    friend class TCustomForm;
    friend class THintWindow;
    friend class TDragSession;
    void FontChanged(TObject* sender);
    void HandleMouseDown(TMessage& message, TMouseButton button, TShiftState shift);
    void HandleMouseUp(TMessage& message, TMouseButton button);
    void HandleContextMenu(TMessage& message);
    void HandleHitTest(TMessage& message);

    TWinControl* parent_ = nullptr;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    TRect anchorRules_{0, 0, 0, 0};  // left, top, right distance, bottom distance
    TSize originalParentSize_{0, 0};
    bool autoSize_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    TCaption text_;
    TColor color_ = clWindow;
    bool parentColor_ = true;
    bool parentColorChanging_ = false;
    bool parentFont_ = true;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    bool mouseInControl_ = false;
    TCursor cursor_ = crDefault;
    TDragMode dragMode_ = dmManual;
    TCursor dragCursor_ = crDrag;
    std::string hint_;
    Integer helpContext_ = 0;
    TComponent* popupMenu_ = nullptr;
    TWndMethod windowProc_;
};

// The control that has the mouse captured (a graphic control through its parent's window). A
// graphic control whose capture another window or control takes hears WM_CAPTURECHANGED, as a window
// does; one that releases the capture itself (SetMouseCapture(false)) does not.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The windowed control of a window handle; nullptr for a window no control made.
TWinControl* FindControl(win32::HWND window);
// The control under a screen point (a graphic control when one is there).
TControl* FindDragTarget(TPoint pos, bool allowDisabled);
// The form a control lies on (its outermost parent when that is a form).
TCustomForm* GetParentForm(TControl* control);

// ---------------------------------------------------------------------------------------------
// TWinControl

class TWinControl : public TControl {
    VCL_DECLARE_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created on demand (with the parents' windows) by HandleNeeded.
    win32::HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // A window not made by the framework to be this (parentless) control's parent.
    win32::HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(win32::HWND value);
    // True when the control and all its parents are visible.
    bool Showing() const { return showing_; }

    // Children in z-order (bottom first); graphic controls before windowed ones as in the framework.
    Integer ControlCount() const { return static_cast<Integer>(controls_.size() + winControls_.size()); }
    // Raises EListError for an index out of range.
    TControl* Controls(Integer index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const;
    // The topmost visible child under `pos` (client coordinates).
    TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false) const;
    TControl* FindChildControl(std::string_view controlName) const;
    // Sends the message to every child until one sets Result to non-zero.
    void Broadcast(TMessage& message);
    void NotifyControls(win32::UINT msg);

    // Alignment
    void DisableAlign();
    void EnableAlign();
    bool AlignDisabled() const { return alignLevel_ > 0; }
    void Realign();
    Integer BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(Integer value);
    TBrush* Brush() const { return brush_.get(); }

    // Focus and tab order
    Integer TabOrder() const;
    void SetTabOrder(Integer value);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    virtual bool CanFocus() const;
    virtual bool Focused() const;
    virtual void SetFocus();
    // The controls in tab order, each windowed child followed by its own.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                 bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    void SelectFirst();

    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool value);

    void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    void PaintTo(win32::HDC dc, Integer x, Integer y) override;
    using TControl::PaintTo;
    void DefaultHandler(TMessage& message) override;
    void WndProc(TMessage& message) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    // Destroys and creates the window again, keeping text, bounds, children and focus.
    void RecreateWnd();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    template <typename T>
    static void PublishTabOrder(Published<T>& p) {
        p.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1);
    }
    template <typename T>
    static void PublishTabStop(Published<T>& p, bool defaultValue) {
        p.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, defaultValue);
    }
    template <typename T>
    static void PublishCtl3D(Published<T>& p) {
        p.Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, true);
        p.Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true);
    }
    template <typename T>
    static void PublishFocusEvents(Published<T>& p) {
        p.template Event<TNotifyEvent>("OnEnter", &TWinControl::OnEnter);
        p.template Event<TNotifyEvent>("OnExit", &TWinControl::OnExit);
    }
    template <typename T>
    static void PublishKeyEvents(Published<T>& p) {
        p.template Event<TKeyEvent>("OnKeyDown", &TWinControl::OnKeyDown);
        p.template Event<TKeyPressEvent>("OnKeyPress", &TWinControl::OnKeyPress);
        p.template Event<TKeyEvent>("OnKeyUp", &TWinControl::OnKeyUp);
    }

protected:
    void Loaded() override;
    void SetChildOrder(TComponent* child, int order) override;
    void SetZOrder(bool topMost) override;
    TCaption GetText() const override;
    void SetTextValue(const TCaption& value) override;
    win32::HDC GetDeviceContext(win32::HWND& window) override;

    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    void DestroyHandle();
    // Called with the new window before the children's windows are made.
    virtual void CreateHandleDone() {}
    // The procedure DefaultHandler calls (DefWindowProc unless a class wraps another).
    win32::WNDPROC DefWndProc() const { return defWndProc_; }
    void SetDefWndProc(win32::WNDPROC proc) { defWndProc_ = proc; }
    // The window procedure target: catches every exception for Application->HandleException.
    void MainWndProc(TMessage& message);

    // Arranges the children by Align and Anchors inside `rect` (the client rect less borders).
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect& rect) const;
    void AlignControl(TControl* control);
    // Whether a message for this window belongs to a graphic child (mouse at or captured by it).
    bool IsControlMouseMsg(TMessage& message);

    // Painting: WM_PAINT fills an off-screen bitmap through PaintHandler and copies it once.
    virtual void PaintWindow(win32::HDC dc);
    virtual void PaintHandler(TMessage& message);
    // Paints the visible graphic children from `first` on (all when nullptr) on `dc`.
    void PaintControls(win32::HDC dc, TControl* first);
    // Fills `rect` of `dc` with Brush (WM_ERASEBKGND).
    virtual void EraseBackground(win32::HDC dc, const TRect& rect);

    virtual void KeyDown(Word& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    virtual void KeyUp(Word& key, TShiftState shift);
    bool DoKeyDown(TMessage& message);
    bool DoKeyPress(TMessage& message);
    bool DoKeyUp(TMessage& message);
    virtual void DoEnter();
    virtual void DoExit();
    // The control's shortcut keys before the normal key handling (menu keys); true when used.
    virtual bool IsMenuKey(TMessage& message);
    virtual void ShowControl(TControl* control);
    void UpdateControlState();
    // Copies the window's position back after the platform moved it.
    void UpdateBounds();

private:
    friend class TControl;
    friend class TCustomForm;
    void CreateChildHandles();
    void ShowingChanged();
    void AlignAnchored(const TRect& clientRect);
    void PaintFrame(win32::HDC dc);
    void HandleKeyNotification(TMessage& message);
    win32::HWND GetDlgItemFromNotification(const TMessage& message) const;
    // Steps of WndProc.
    bool OfferCharToDialog(TMessage& message);
    void ApplyShowingToWindow();
    void FollowVisible();
    void FollowEnabled();
    void FollowParentCtl3D();
    void HandleSetText(TMessage& message);
    void PaintThroughBuffer();
    bool ShowClientCursor();
    // Hands a child's notification back to its control as CN_*; false when no other control sent it.
    bool ReflectToSender(TMessage& message);
    win32::HWND NotificationSender(const TMessage& message) const;
    // The class procedure: attaches the window being created to its control.
    static win32::LRESULT InitWndProc(win32::HWND window, win32::UINT msg, win32::WPARAM wParam,
                                      win32::LPARAM lParam);

    win32::HWND handle_ = nullptr;
    win32::HWND parentWindow_ = nullptr;
    win32::WNDPROC objectInstance_ = nullptr;
    win32::WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;        // graphic children, z-order bottom first
    std::vector<TWinControl*> winControls_;  // windowed children, z-order bottom first
    std::vector<TWinControl*> tabList_;      // windowed children in tab order
    std::unique_ptr<TBrush> brush_;
    Integer alignLevel_ = 0;
    Integer borderWidth_ = 0;
    bool tabStop_ = false;
    bool showing_ = false;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    bool recreating_ = false;
};

// ---------------------------------------------------------------------------------------------
// Canvases of controls

// A canvas on a control's device context, made on demand and released when the window goes.
class TControlCanvas : public TCanvas {
    VCL_DECLARE_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas();
    ~TControlCanvas() override;

    TControl* Control() const { return control_; }
    void SetControl(TControl* value);
    // Gives the device context back (after painting, or when the control's window goes).
    void FreeHandle();
    void UpdateTextFlags() {}

protected:
    void CreateHandle() override;

private:
    TControl* control_ = nullptr;
    win32::HDC deviceContext_ = nullptr;
    win32::HWND window_ = nullptr;
};

class TGraphicControl : public TControl {
    VCL_DECLARE_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    // Usable outside painting too: the parent's surface offset and clipped to this control.
    TCanvas* Canvas() const { return canvas_.get(); }
    void WndProc(TMessage& message) override;

protected:
    virtual void Paint() {}

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

class TCustomControl : public TWinControl {
    VCL_DECLARE_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas* Canvas() const { return canvas_.get(); }
    void WndProc(TMessage& message) override;

protected:
    virtual void Paint() {}
    void PaintWindow(win32::HDC dc) override;
    void DestroyWindowHandle() override;

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

// A window class name for a control class ("TButton"), registered on first use.
std::string ControlWindowClassName(const TWinControl* control);

}  // namespace vcl
