// Standard controls, part one: labels, push buttons, check boxes, radio buttons, group boxes and the
// scroll bar. All are painted by the framework in the classic look; each answers the messages of the
// native control it stands for (BM_* for buttons, SBM_* for the scroll bar) on its own window and tells
// its parent what a native control tells it (WM_COMMAND with BN_CLICKED, WM_HSCROLL / WM_VSCROLL).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "vcl/controls.h"
#include "win32/controls.h"
#include "win32/user.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Enumerations

enum class TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };
VCL_ENUM_NAMES(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")
using enum TCheckBoxState;

// The side of a check box or radio button its caption is on (the two first values of TAlignment).
enum class TLeftRight : uint8_t { taLeftJustify, taRightJustify };
VCL_ENUM_NAMES(TLeftRight, "taLeftJustify", "taRightJustify")

enum class TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
VCL_ENUM_NAMES(TTextLayout, "tlTop", "tlCenter", "tlBottom")
using enum TTextLayout;

enum class TScrollCode : uint8_t {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};
VCL_ENUM_NAMES(TScrollCode, "scLineUp", "scLineDown", "scPageUp", "scPageDown", "scPosition", "scTrack",
               "scTop", "scBottom", "scEndScroll")
using enum TScrollCode;

using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;

// ---------------------------------------------------------------------------------------------
// Labels

class TCustomLabel : public TGraphicControl {
    VCL_DECLARE_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* owner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    // Width and height follow the caption and font; with WordWrap only the height does.
    void SetAutoSize(bool value) override;
    // The control whose focus the caption's accelerator key moves to.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout value);
    // "&x" underlines x and makes it the accelerator; "&&" is a literal &.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);

    void WndProc(TMessage& message) override;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Paint() override;
    // Draws (or with DT_CALCRECT measures) the caption on Canvas in `rect` with DrawText flags; a
    // disabled label is drawn embossed.
    virtual void DoDrawText(TRect& rect, win32::UINT flags);
    // The text DoDrawText shows (the caption here).
    virtual std::string GetLabelText() const;
    // Resizes to the caption when AutoSize is on, keeping the side the alignment anchors.
    virtual void AdjustBounds();

private:
    win32::UINT TextFlags() const;

    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = tlTop;
    TWinControl* focusControl_ = nullptr;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
};

class TLabel : public TCustomLabel {
    VCL_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}

    static void Publish(Published<TLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   TAlignment::taLeftJustify);
        PublishAnchors(p);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, true);
        PublishCaption(p);
        PublishColor(p, clBtnFace);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        p.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, tlTop);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
        PublishDragEvents(p);
    }
};

// ---------------------------------------------------------------------------------------------
// Buttons

// What push buttons, check boxes and radio buttons share: the pressed look while the mouse is held
// inside or Space is down, BN_CLICKED to the parent when the press completes (which comes back as
// CN_COMMAND and runs ButtonClicked), BM_CLICK / BM_GETSTATE / BM_SETSTATE / BM_SETIMAGE, and painting
// on Canvas. A button whose style is BS_OWNERDRAW paints nothing itself: each paint asks its parent
// with WM_DRAWITEM, which comes back as CN_DRAWITEM.
class TButtonControl : public TWinControl {
    VCL_DECLARE_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* owner);
    ~TButtonControl() override;

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    // True while the button shows pressed (mouse held inside, Space down, or BM_SETSTATE).
    bool Pressed() const { return pressed_ || stateHighlight_; }
    // The bitmap (not owned) a BS_BITMAP button shows instead of its caption (BM_SETIMAGE).
    win32::HBITMAP Image() const { return image_; }

    void WndProc(TMessage& message) override;

protected:
    TCanvas* Canvas() const { return canvas_.get(); }
    virtual void Paint() {}
    void PaintWindow(win32::HDC dc) override;
    void DestroyWindowHandle() override;
    void CreateParams(TCreateParams& params) override;

    virtual bool GetChecked() const { return false; }
    virtual void SetChecked(bool) {}
    // The completed press (BN_CLICKED come back from the parent, or a parentless press).
    virtual void ButtonClicked() { Click(); }
    // The BM_GETSTATE / BM_SETCHECK check value.
    virtual win32::LRESULT CheckValue() const {
        return GetChecked() ? win32::BST_CHECKED : win32::BST_UNCHECKED;
    }
    virtual void SetCheckValue(win32::WPARAM value) { SetChecked(value == win32::BST_CHECKED); }
    // The native control's style bits (BS_*), for CreateParams and BM_SETSTYLE; painting follows them.
    virtual win32::DWORD ButtonStyle() const { return win32::BS_PUSHBUTTON; }
    // Sends BN_CLICKED to the parent window, which reflects it back as CN_COMMAND; a parent that is
    // no framework control does not, so ButtonClicked runs directly then.
    void PressCompleted();
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyUp(Word& key, TShiftState shift) override;
    // Caption text (with DT_CALCRECT only measured); embossed when disabled.
    void DrawCaption(TRect& rect, win32::UINT flags);
    // Check boxes and radio buttons: the box drawn with `frameState` (DFC_BUTTON), the caption (or the
    // BS_BITMAP image) beside it, placed by the BS_LEFT / BS_RIGHT / BS_TOP / BS_BOTTOM bits, and the
    // focus rectangle around it; BS_LEFTTEXT puts the box on the right. With BS_PUSHLIKE the control
    // is a push button that stays down while checked (DFCS_CHECKED in `frameState`).
    void PaintCheckControl(win32::UINT frameState);

    bool ClicksDisabled() const { return clicksDisabled_; }
    void SetClicksDisabled(bool value) { clicksDisabled_ = value; }

private:
    void BeginMousePress(Integer x, Integer y);
    void TrackMouse(Integer x, Integer y);
    void EndMousePress(Integer x, Integer y);
    void SetPressed(bool value);
    bool Inside(Integer x, Integer y) const;
    bool OwnerDrawn() const { return (ButtonStyle() & win32::BS_TYPEMASK) == win32::BS_OWNERDRAW; }
    // The DRAWITEMSTRUCT of the button's state, to the parent (or to itself without one).
    void RequestOwnerDraw(win32::HDC dc);
    void SetImage(TMessage& message);
    void PaintPushLike(bool down, win32::DWORD style);
    // The image (or, without one, the caption) at its place inside `area`; returns where it went.
    TRect DrawContent(const TRect& area, win32::DWORD style, win32::UINT textFlags);

    std::unique_ptr<TControlCanvas> canvas_;
    win32::HBITMAP image_ = nullptr;
    bool wordWrap_ = false;
    bool clicksDisabled_ = false;
    bool pressed_ = false;
    bool mouseTracking_ = false;
    bool spaceDown_ = false;
    bool stateHighlight_ = false;
};

class TButton : public TButtonControl {
    VCL_DECLARE_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* owner);

    // Enter clicks the default button unless another button has the focus.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    // Escape clicks a cancel button.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    // Set on the parent form when the button is clicked (mrNone leaves the form open).
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    // True when Enter clicks this button: it has the focus, or it is the default button and the
    // focused control is no button.
    bool Active() const;

    void Click() override;
    void WndProc(TMessage& message) override;

    static void Publish(Published<TButton>& p) {
        PublishAnchors(p);
        p.Property("Cancel", &TButton::Cancel, &TButton::SetCancel, false);
        PublishCaption(p);
        p.Property("Default", &TButton::Default, &TButton::SetDefault, false);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap, false);
        p.Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event<TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }

protected:
    void Paint() override;
    win32::DWORD ButtonStyle() const override {
        return defaultLook_ ? win32::BS_DEFPUSHBUTTON : win32::BS_PUSHBUTTON;
    }

private:
    void UpdateDefaultLook(TControl* focused);

    bool default_ = false;
    bool cancel_ = false;
    bool defaultLook_ = false;  // the extra black frame (win32::BS_DEFPUSHBUTTON)
    TModalResult modalResult_ = mrNone;
};

class TCustomCheckBox : public TButtonControl {
    VCL_DECLARE_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* owner);

    // taRightJustify puts the caption right of the box (the usual place).
    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight value);
    // With AllowGrayed the user cycles unchecked -> checked -> grayed; otherwise only two states.
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value) { allowGrayed_ = value; }
    // Every change of State, by the user or the program, fires Click / OnClick.
    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState value);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool value) override { SetCheckedValue(value); }
    void SetCheckedValue(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    // The next state in the user's cycle.
    virtual void Toggle();

protected:
    void Paint() override;
    bool GetChecked() const override { return Checked(); }
    void ButtonClicked() override { Toggle(); }
    win32::LRESULT CheckValue() const override;
    void SetCheckValue(win32::WPARAM value) override;
    win32::DWORD ButtonStyle() const override;

public:
    void WndProc(TMessage& message) override;

private:
    TLeftRight alignment_ = TLeftRight::taRightJustify;
    bool allowGrayed_ = false;
    TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
    VCL_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}

    static void Publish(Published<TCheckBox>& p) {
        p.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment,
                   TLeftRight::taRightJustify);
        p.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed, false);
        PublishAnchors(p);
        PublishCaption(p);
        p.Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetCheckedValue, false)
            .Stored(false);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState, cbUnchecked);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap, false);
        p.Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event<TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }
};

class TRadioButton : public TButtonControl {
    VCL_DECLARE_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* owner);

    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight value);
    // Checking turns every sibling radio button off without their Click, then fires this one's
    // Click; TabStop follows Checked so that Tab reaches only the checked button of a group.
    bool Checked() const { return checked_; }
    void SetChecked(bool value) override;
    void SetCheckedValue(bool value) { SetChecked(value); }

    void WndProc(TMessage& message) override;

    static void Publish(Published<TRadioButton>& p) {
        p.Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment,
                   TLeftRight::taRightJustify);
        PublishAnchors(p);
        PublishCaption(p);
        p.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetCheckedValue, false);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
        p.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap, false);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Paint() override;
    bool GetChecked() const override { return checked_; }
    void ButtonClicked() override { SetChecked(true); }
    void SetCheckValue(win32::WPARAM value) override;
    win32::DWORD ButtonStyle() const override;
    void KeyDown(Word& key, TShiftState shift) override;

private:
    void TurnSiblingsOff();
    // The next enabled, visible sibling radio button in tab order (wrapping); nullptr for none.
    TRadioButton* SiblingInDirection(bool goForward) const;

    TLeftRight alignment_ = TLeftRight::taRightJustify;
    bool checked_ = false;
};

// ---------------------------------------------------------------------------------------------
// Group boxes

class TCustomGroupBox : public TCustomControl {
    VCL_DECLARE_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* owner);

    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    // Inside the etched frame and below the caption line.
    void AdjustClientRect(TRect& rect) const override;
};

class TGroupBox : public TCustomGroupBox {
    VCL_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}

    static void Publish(Published<TGroupBox>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishCaption(p);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
    }
};

// ---------------------------------------------------------------------------------------------
// Scroll bar

class TScrollBar : public TWinControl {
    VCL_DECLARE_CLASS(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* owner);
    ~TScrollBar() override;

    // Changing the kind swaps width and height (outside loading).
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind value);
    // Min, Max and PageSize out of order raise EInvalidOperation "Scrollbar property out of range";
    // Position is clamped to Min .. Max.
    Integer Min() const { return min_; }
    void SetMin(Integer value) { SetParams(position_, value, max_); }
    Integer Max() const { return max_; }
    void SetMax(Integer value) { SetParams(position_, min_, value); }
    Integer Position() const { return position_; }
    void SetPosition(Integer value) { SetParams(value, min_, max_); }
    void SetParams(Integer position, Integer min, Integer max);
    Integer PageSize() const { return pageSize_; }
    void SetPageSize(Integer value);
    TScrollBarInc SmallChange() const { return smallChange_; }
    void SetSmallChange(TScrollBarInc value) { smallChange_ = value; }
    TScrollBarInc LargeChange() const { return largeChange_; }
    void SetLargeChange(TScrollBarInc value) { largeChange_ = value; }

    // Fires after Position changed.
    TNotifyEvent OnChange;
    // Fires for every scroll action before Position follows ScrollPos (which the handler may change).
    TScrollEvent OnScroll;

    void WndProc(TMessage& message) override;

    static void Publish(Published<TScrollBar>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("Kind", &TScrollBar::Kind, &TScrollBar::SetKind, sbHorizontal);
        p.Property("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange, 1);
        p.Property("Max", &TScrollBar::Max, &TScrollBar::SetMax, 100);
        p.Property("Min", &TScrollBar::Min, &TScrollBar::SetMin, 0);
        p.Property("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize, 0);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("Position", &TScrollBar::Position, &TScrollBar::SetPosition, 0);
        PublishShowHint(p);
        p.Property("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange, 1);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnChange", &TScrollBar::OnChange);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<TScrollEvent>("OnScroll", &TScrollBar::OnScroll);
    }

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(win32::HDC dc) override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyUp(Word& key, TShiftState shift) override;
    virtual void Change();
    virtual void Scroll(TScrollCode scrollCode, Integer& scrollPos);

private:
    enum class Part : uint8_t { None, ArrowBack, PageBack, Thumb, PageForward, ArrowForward };
    struct Layout {
        Integer length = 0;  // along the bar
        Integer arrow = 0;   // each arrow button
        bool hasThumb = false;
        Integer thumbStart = 0, thumbEnd = 0;
    };

    Layout ComputeLayout(Integer position) const;
    Part PartAt(const Layout& layout, Integer along) const;
    TRect PartRect(Integer start, Integer end) const;
    Integer PositionFromThumb(const Layout& layout, Integer thumbStart) const;
    // The highest position a user can scroll to (Max less the page).
    Integer UserMax() const;
    // Sends WM_HSCROLL / WM_VSCROLL to the parent, which reflects it back to DoScroll.
    void NotifyScroll(TScrollCode code, Integer thumbPos);
    void DoScroll(TScrollCode code, Integer thumbPos);
    void MouseAction(bool repeat);
    void StartRepeat(win32::UINT delay);
    void StopRepeat();
    void EndTracking(Integer along);
    void HandleMouseDown(Integer x, Integer y);
    void HandleMouseMove(Integer x, Integer y);
    void HandleMouseUp(Integer x, Integer y);
    void SetScrollInfoFrom(const win32::SCROLLINFO& info);
    void FillScrollInfo(win32::SCROLLINFO& info) const;

    TScrollBarKind kind_ = sbHorizontal;
    Integer min_ = 0;
    Integer max_ = 100;
    Integer position_ = 0;
    Integer pageSize_ = 0;
    TScrollBarInc smallChange_ = 1;
    TScrollBarInc largeChange_ = 1;

    // Mouse tracking
    Part pressedPart_ = Part::None;
    bool partHot_ = false;  // the mouse is over the pressed part
    bool timerRunning_ = false;
    bool tracking_ = false;  // dragging the thumb
    Integer trackPos_ = 0;
    Integer dragOffset_ = 0;    // mouse to thumb start
    Integer mouseAlong_ = 0;    // last mouse position along the bar
    bool keyScrolled_ = false;  // a key scrolled; its release ends the scroll
};

}  // namespace vcl
