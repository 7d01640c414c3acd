// The enhanced buttons: an owner-drawn push button with 3D caption, glyph and background; windowless
// arrow, round and office buttons; a flat tool button with groups and a drop-down menu; and check boxes
// and radio buttons whose captions are painted in relief over a background.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "win32/menu.h"

namespace lumaro {

// ---------------------------------------------------------------------------------------------
// Enumerations

// Where an arrow button points.
enum class TZylDirection : uint8_t { dUp, dRight, dLeft, dDown };
VCL_ENUM_NAMES(TZylDirection, "dUp", "dRight", "dLeft", "dDown")
using enum TZylDirection;

// The pen width of an arrow button's bevel, 1..4.
using TZylButtonRaise = Byte;

// A round button's face: a black outline, or a sunken ring.
enum class TZylButtonType : uint8_t { btNormal, btInset };
VCL_ENUM_NAMES(TZylButtonType, "btNormal", "btInset")
using enum TZylButtonType;

enum class TZylButtonOption : uint8_t { opMonoDisplay, opMenuArrow, opTextonly, opBitmapOnly };
VCL_ENUM_NAMES(TZylButtonOption, "opMonoDisplay", "opMenuArrow", "opTextonly", "opBitmapOnly")
using enum TZylButtonOption;
using TZylButtonOptions = vcl::Set<TZylButtonOption>;

// The border of a flat button: one, two or three rings of ZylDrawButtonFrame.
enum class TZylButtonKind : uint8_t { bk97, bkNormal, bkDeep };
VCL_ENUM_NAMES(TZylButtonKind, "bk97", "bkNormal", "bkDeep")
using enum TZylButtonKind;

// ---------------------------------------------------------------------------------------------
// TZylButton

// A push button whose face the control paints (BS_OWNERDRAW): background, glyph, 3D caption and a
// sunken or raised edge. Enter clicks the active default button, Escape a Cancel button, and a click
// hands ModalResult to the parent form.
class TZylButton : public vcl::TButtonControl {
    VCL_DECLARE_CLASS(TZylButton, vcl::TButtonControl)
public:
    explicit TZylButton(vcl::TComponent* owner);
    ~TZylButton() override;

    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    bool Default() const { return default_; }
    // Stores the value; with a window, the parent form tells every button of the focus again so
    // that each one's active default flag follows.
    void SetDefault(bool value);
    vcl::TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(vcl::TModalResult value) { modalResult_ = value; }
    TZylFont3D* Font3D() const { return font3D_.get(); }
    // Copies the values of `value` (nullptr is ignored).
    void SetFont3D(TZylFont3D* value);
    TZylGlyph* Glyph() const { return glyph_.get(); }
    void SetGlyph(TZylGlyph* value);
    // Only makes the window anew.
    bool ButtonSunk() const { return buttonSunk_; }
    void SetButtonSunk(bool value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    // True when Enter clicks this button: it has the focus, or it is the Default button and the focus
    // is on a control that is no TZylButton.
    bool ActiveDefault() const { return activeDefault_; }
    // DT_* flags of the caption; WordWrap chooses between two sets.
    win32::UINT CaptionFlags() const;

    void Click() override;
    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylButton>& p) {
        // Declared as the size a new button has, so that every other size is written.
        p.Property("Width", &TControl::Width, &TControl::SetWidth, 75).Stored(&TControl::IsSizeStored);
        p.Property("Height", &TControl::Height, &TControl::SetHeight, 25).Stored(&TControl::IsSizeStored);
        p.Property("Background", &TZylButton::Background, &TZylButton::SetBackground);
        p.Property("ButtonSunk", &TZylButton::ButtonSunk, &TZylButton::SetButtonSunk, false);
        p.Property("Cancel", &TZylButton::Cancel, &TZylButton::SetCancel, false);
        PublishCaption(p);
        p.Property("Default", &TZylButton::Default, &TZylButton::SetDefault, false);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("Font3D", &TZylButton::Font3D, &TZylButton::SetFont3D);
        p.Property("Glyph", &TZylButton::Glyph, &TZylButton::SetGlyph);
        p.Property("ModalResult", &TZylButton::ModalResult, &TZylButton::SetModalResult, vcl::mrNone);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap, false);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<vcl::TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event<vcl::TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<vcl::TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }

protected:
    void CreateWnd() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    win32::DWORD ButtonStyle() const override { return win32::BS_OWNERDRAW; }
    // Paints the face for one draw request.
    void DrawItem(const win32::DRAWITEMSTRUCT& item);

private:
    bool HandleDialogKey(vcl::TMessage& message);
    void FocusChanged(vcl::TControl* focused);

    std::unique_ptr<TZylFont3D> font3D_;
    std::unique_ptr<TZylGlyph> glyph_;
    std::unique_ptr<vcl::TCanvas> drawCanvas_;
    TZylBackgroundClient background_{this};
    vcl::TModalResult modalResult_ = vcl::mrNone;
    bool cancel_ = false;
    bool default_ = false;
    bool activeDefault_ = false;
    bool buttonSunk_ = false;
};

// ---------------------------------------------------------------------------------------------
// TZylArrowButton

// A triangle pointing up, right, left or down with a drop shadow; only the triangle takes the mouse.
class TZylArrowButton : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylArrowButton, TZylGraphicControl)
public:
    explicit TZylArrowButton(vcl::TComponent* owner);
    ~TZylArrowButton() override;

    TZylDirection ButtonType() const { return buttonType_; }
    void SetButtonType(TZylDirection value);
    TZylButtonRaise ButtonRaise() const { return buttonRaise_; }
    // Values outside 1..4 are refused (the old value stays).
    void SetButtonRaise(TZylButtonRaise value);
    TZylGlyph* Glyph() const { return glyph_.get(); }
    void SetGlyph(TZylGlyph* value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    bool Pressed() const { return pressed_; }
    // The corners P1, P2, P3 of the triangle for the current size.
    std::array<vcl::TPoint, 3> Corners() const;
    // Whether (x, y) in client coordinates lies in the triangle.
    bool InTriangle(vcl::Integer x, vcl::Integer y);

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylArrowButton>& p) {
        p.Property("Background", &TZylArrowButton::Background, &TZylArrowButton::SetBackground);
        p.Property("ButtonRaise", &TZylArrowButton::ButtonRaise, &TZylArrowButton::SetButtonRaise, 1)
            .TypeName("TZylButtonRaise");
        p.Property("ButtonType", &TZylArrowButton::ButtonType, &TZylArrowButton::SetButtonType, dUp);
        PublishEnabled(p);
        p.Property("Glyph", &TZylArrowButton::Glyph, &TZylArrowButton::SetGlyph);
        PublishParentShowHint(p);
        PublishShowHint(p);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        p.Event<vcl::TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event<vcl::TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<vcl::TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    // The triangle's region for the current size and direction, made anew when either changed;
    // nullptr when none can be made.
    win32::HRGN TriangleRegion();
    void DrawBevel();
    vcl::TPoint GlyphPlace() const;
    void SetPressed(bool value);

    std::unique_ptr<TZylGlyph> glyph_;
    TZylBackgroundClient background_{this};
    TZylDirection buttonType_ = dUp;
    TZylButtonRaise buttonRaise_ = 1;
    bool pressed_ = false;
    win32::HRGN region_ = nullptr;
    std::array<vcl::TPoint, 3> regionCorners_{};
};

// ---------------------------------------------------------------------------------------------
// TZylRoundButton

// A round face over what lies under it; the mouse counts only inside the circle.
class TZylRoundButton : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylRoundButton, TZylGraphicControl)
public:
    explicit TZylRoundButton(vcl::TComponent* owner);

    TZylButtonType ButtonType() const { return buttonType_; }
    void SetButtonType(TZylButtonType value);
    TZylGlyph* Glyph() const { return glyph_.get(); }
    void SetGlyph(TZylGlyph* value);
    // Marks the face while it is composed; never shows.
    TColor UnUsedColor() const { return unUsedColor_; }
    void SetUnUsedColor(TColor value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    bool Pressed() const { return pressed_; }
    // With c = Width div 2: the distance from (c, Height div 2), rounded, is at most c - 1.
    bool InCircle(vcl::Integer x, vcl::Integer y) const;

    // The button's own click: a press that began inside the circle, released inside it.
    vcl::TNotifyEvent OnClick;
    vcl::TNotifyEvent OnMouseEnter;
    vcl::TNotifyEvent OnMouseExit;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylRoundButton>& p) {
        p.Property("Background", &TZylRoundButton::Background, &TZylRoundButton::SetBackground);
        p.Property("ButtonType", &TZylRoundButton::ButtonType, &TZylRoundButton::SetButtonType, btNormal);
        PublishEnabled(p);
        p.Property("Glyph", &TZylRoundButton::Glyph, &TZylRoundButton::SetGlyph);
        PublishParentShowHint(p);
        PublishShowHint(p);
        p.Property("UnUsedColor", &TZylRoundButton::UnUsedColor, &TZylRoundButton::SetUnUsedColor,
                   vcl::clLime)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        PublishVisible(p);
        p.Event("OnClick", &TZylRoundButton::OnClick);
        p.Event<vcl::TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event("OnMouseEnter", &TZylRoundButton::OnMouseEnter);
        p.Event("OnMouseExit", &TZylRoundButton::OnMouseExit);
        p.Event<vcl::TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<vcl::TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    void BeginPress(vcl::Integer x, vcl::Integer y);
    void TrackPress(vcl::Integer x, vcl::Integer y);
    // True when the release completes a click.
    bool EndPress(vcl::Integer x, vcl::Integer y);
    void CancelPress();
    void SetPressed(bool value);

    std::unique_ptr<TZylGlyph> glyph_;
    TZylBackgroundClient background_{this};
    TZylButtonType buttonType_ = btNormal;
    TColor unUsedColor_ = vcl::clLime;
    bool pressed_ = false;
    // The left button went down inside the circle and is still held.
    bool held_ = false;
};

// ---------------------------------------------------------------------------------------------
// TZylOfficeButton

// A rounded button with a lamp that lights while the mouse is over it and changes while pressed.
class TZylOfficeButton : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylOfficeButton, TZylGraphicControl)
public:
    explicit TZylOfficeButton(vcl::TComponent* owner);

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    TColor LedNormal() const { return ledNormal_; }
    void SetLedNormal(TColor value);
    TColor LedIn() const { return ledIn_; }
    void SetLedIn(TColor value);
    TColor LedOut() const { return ledOut_; }
    void SetLedOut(TColor value);
    // The diameter of the rounded corners.
    vcl::Integer RoundSize() const { return roundSize_; }
    void SetRoundSize(vcl::Integer value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZylFont3D* value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    bool Hot() const { return hot_; }
    bool Down() const { return down_; }
    // The colour the lamp shows now.
    TColor LedColor() const;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylOfficeButton>& p) {
        p.Property("Background", &TZylOfficeButton::Background, &TZylOfficeButton::SetBackground);
        p.Property("BorderColor", &TZylOfficeButton::BorderColor, &TZylOfficeButton::SetBorderColor,
                   vcl::clBlack)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        PublishCaption(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("Font3D", &TZylOfficeButton::Font3D, &TZylOfficeButton::SetFont3D);
        p.Property("LedIn", &TZylOfficeButton::LedIn, &TZylOfficeButton::SetLedIn, vcl::clAqua)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("LedNormal", &TZylOfficeButton::LedNormal, &TZylOfficeButton::SetLedNormal, vcl::clNavy)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("LedOut", &TZylOfficeButton::LedOut, &TZylOfficeButton::SetLedOut, vcl::clTeal)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("RoundSize", &TZylOfficeButton::RoundSize, &TZylOfficeButton::SetRoundSize, 20);
        PublishShowHint(p);
        PublishVisible(p);
        PublishMouseEvents(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    // Stores the state and repaints at once.
    void SetState(bool hot, bool down, vcl::Integer offset);
    void DrawLed(vcl::TCanvas* canvas, vcl::Integer x, vcl::Integer y) const;

    std::unique_ptr<TZylFont3D> font3D_;
    TZylBackgroundClient background_{this};
    TColor borderColor_ = vcl::clBlack;
    TColor ledNormal_ = vcl::clNavy;
    TColor ledIn_ = vcl::clAqua;
    TColor ledOut_ = vcl::clTeal;
    vcl::Integer roundSize_ = 20;
    bool hot_ = false;
    bool down_ = false;
    // How far the lamp and the caption move: 1 from a press, or an entry while held, to a release
    // or a leave.
    vcl::Integer offset_ = 0;
};

// ---------------------------------------------------------------------------------------------
// TZylIEButton

// A flat tool button: a border only while the mouse is over it or it is down, a grey glyph until the
// mouse comes. Buttons of one parent with the same GroupIndex stay down one at a time; a button with a
// DropDownMenu shows the menu below itself instead of clicking.
class TZylIEButton : public TZylGraphicControl {
    VCL_DECLARE_CLASS(TZylIEButton, TZylGraphicControl)
public:
    explicit TZylIEButton(vcl::TComponent* owner);
    ~TZylIEButton() override;

    // Lets a click raise the group's down button; shared by the whole group.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    TZylGlyph* Glyph() const { return glyph_.get(); }
    void SetGlyph(TZylGlyph* value);
    // A thin black frame while designed, so that an empty button can be found.
    bool DesignTimeFrame() const { return designTimeFrame_; }
    void SetDesignTimeFrame(bool value);
    // 0: the button never stays down.
    vcl::Integer GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(vcl::Integer value);
    bool Down() const { return down_; }
    // Ignored without a group; going down raises the other buttons of the group.
    void SetDown(bool value);
    vcl::TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(vcl::TPopupMenu* value);
    TZylPosition Layout() const { return layout_; }
    void SetLayout(TZylPosition value);
    TZylButtonOptions Options() const { return options_; }
    void SetOptions(TZylButtonOptions value);
    TZylButtonKind BevelLooks() const { return bevelLooks_; }
    void SetBevelLooks(TZylButtonKind value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZylFont3D* value);
    // Also ends hovering and pressing; a button without a group goes up.
    void SetEnabled(bool value) override;
    bool Hot() const { return hot_; }
    bool Pressing() const { return pressing_; }

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylIEButton>& p) {
        p.Property("AllowAllUp", &TZylIEButton::AllowAllUp, &TZylIEButton::SetAllowAllUp, false);
        p.Property("Glyph", &TZylIEButton::Glyph, &TZylIEButton::SetGlyph);
        p.Property("DesignTimeFrame", &TZylIEButton::DesignTimeFrame, &TZylIEButton::SetDesignTimeFrame,
                   true);
        p.Property("GroupIndex", &TZylIEButton::GroupIndex, &TZylIEButton::SetGroupIndex, 0);
        p.Property("Down", &TZylIEButton::Down, &TZylIEButton::SetDown, false);
        p.Property("DropDownMenu", &TZylIEButton::DropDownMenu, &TZylIEButton::SetDropDownMenu);
        PublishEnabled(p);
        p.Property("Layout", &TZylIEButton::Layout, &TZylIEButton::SetLayout, pTop);
        p.Property("Options", &TZylIEButton::Options, &TZylIEButton::SetOptions,
                   TZylButtonOptions{opMonoDisplay, opMenuArrow});
        p.Property("BevelLooks", &TZylIEButton::BevelLooks, &TZylIEButton::SetBevelLooks, bk97);
        p.Property("Font3D", &TZylIEButton::Font3D, &TZylIEButton::SetFont3D);
        PublishCaption(p);
        PublishFont(p);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishShowHint(p);
        PublishVisible(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    void TrackHover(vcl::Integer x, vcl::Integer y);
    void BeginPress();
    void EndPress();
    // Hovering and pressing end and the mouse is let go (capture lost, hidden, disabled).
    void StopTracking();
    // An accelerator: the press and release a click would make, pending messages handled between.
    void PlayAccelerator();
    // The other buttons of the same parent and group.
    template <typename F>
    void ForEachInGroup(F&& visit);
    void ReleaseOthersInGroup();
    void SetHot(bool value);
    bool ShowsMenuArrow() const;
    void DrawMenuArrow(vcl::TCanvas* canvas) const;
    void DrawGlyphAndCaption(vcl::TCanvas* canvas, vcl::Integer pressOffset);

    std::unique_ptr<TZylGlyph> glyph_;
    std::unique_ptr<TZylFont3D> font3D_;
    vcl::TPopupMenu* dropDownMenu_ = nullptr;
    vcl::Integer groupIndex_ = 0;
    TZylPosition layout_ = pTop;
    TZylButtonOptions options_{opMonoDisplay, opMenuArrow};
    TZylButtonKind bevelLooks_ = bk97;
    bool allowAllUp_ = false;
    bool designTimeFrame_ = true;
    bool down_ = false;
    bool hot_ = false;
    bool pressing_ = false;
    bool playingAccelerator_ = false;
    vcl::Integer pendingAccelerators_ = 0;
    // Cleared by the destructor: code that calls out to handlers sees whether the button survived.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// ---------------------------------------------------------------------------------------------
// TZylCheckbox, TZylRadiobutton

// What the painted check box and radio button share: the caption is drawn in relief over Color or a
// background into a bitmap the size of the control, which the native control shows (BS_BITMAP)
// instead of its text. AsButton makes the control push-like, ButtonSunk then gives it a client edge,
// and AlignButton puts the box left or right of the caption.
template <typename Base>
class TZylCheckControl : public Base {
public:
    explicit TZylCheckControl(vcl::TComponent* owner);
    ~TZylCheckControl() override;

    // Where the caption stands inside its bitmap.
    vcl::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(vcl::TAlignment value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZylFont3D* value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    bool AsButton() const { return asButton_; }
    void SetAsButton(bool value);
    bool ButtonSunk() const { return buttonSunk_; }
    void SetButtonSunk(bool value);
    // taLeftJustify: the box left of the caption.
    vcl::TLeftRight AlignButton() const { return alignButton_; }
    void SetAlignButton(vcl::TLeftRight value);
    bool IsButtonSunkStored() const { return asButton_; }
    bool IsAlignButtonStored() const { return !asButton_; }

    // The caption picture as last painted.
    vcl::TBitmap* CaptionBitmap() const { return captionBitmap_.get(); }
    // Where the caption is written inside its bitmap, and with which DT_* flags.
    vcl::TRect CaptionRect() const;
    win32::UINT CaptionFlags() const;

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    win32::DWORD ButtonStyle() const override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void PaintWindow(win32::HDC dc) override;

private:
    void PaintCaptionBitmap();
    void StyleChanged();

    std::unique_ptr<TZylFont3D> font3D_;
    std::unique_ptr<vcl::TBitmap> captionBitmap_;
    TZylBackgroundClient background_{this};
    vcl::TAlignment alignment_ = vcl::TAlignment::taLeftJustify;
    vcl::TLeftRight alignButton_ = vcl::TLeftRight::taLeftJustify;
    bool asButton_ = false;
    bool buttonSunk_ = true;
};

extern template class TZylCheckControl<vcl::TCheckBox>;
extern template class TZylCheckControl<vcl::TRadioButton>;

template <typename T>
void PublishZylCheckControl(vcl::Published<T>& p) {
    using Control = typename T::Inherited;
    p.Property("Alignment", &Control::Alignment, &Control::SetAlignment, vcl::TAlignment::taLeftJustify);
    p.Property("Font3D", &Control::Font3D, &Control::SetFont3D);
    p.Property("Background", &Control::Background, &Control::SetBackground);
    p.Property("AsButton", &Control::AsButton, &Control::SetAsButton, false);
    p.Property("ButtonSunk", &Control::ButtonSunk, &Control::SetButtonSunk, true)
        .Stored(&Control::IsButtonSunkStored);
    p.Property("AlignButton", &Control::AlignButton, &Control::SetAlignButton, vcl::TLeftRight::taLeftJustify)
        .Stored(&Control::IsAlignButtonStored);
}

class TZylCheckbox : public TZylCheckControl<vcl::TCheckBox> {
    VCL_DECLARE_CLASS(TZylCheckbox, TZylCheckControl<vcl::TCheckBox>)
public:
    explicit TZylCheckbox(vcl::TComponent* owner) : TZylCheckControl(owner) {}

    static void Publish(vcl::Published<TZylCheckbox>& p) { PublishZylCheckControl(p); }
};

class TZylRadiobutton : public TZylCheckControl<vcl::TRadioButton> {
    VCL_DECLARE_CLASS(TZylRadiobutton, TZylCheckControl<vcl::TRadioButton>)
public:
    explicit TZylRadiobutton(vcl::TComponent* owner) : TZylCheckControl(owner) {}

    static void Publish(vcl::Published<TZylRadiobutton>& p) { PublishZylCheckControl(p); }
};

}  // namespace lumaro
