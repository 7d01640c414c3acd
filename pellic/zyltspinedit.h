// The spin button and the integer spin edits.
//
// TZylSpinButton is a square button split along the diagonal from its lower-left to its upper-right
// corner: a press released over the upper-left half clicks OnTopClick, over the lower-right half
// OnBottomClick. A press dragged off its half and released elsewhere, and any other mouse button,
// click nothing. With AutoRepeat a half held down clicks again after RepeatDelay and then every
// RepeatInterval milliseconds of the platform clock, while the mouse stays over it; a press that
// repeated clicks nothing more on release.
//
// TZylSpinEdit is an edit for whole numbers with a spin button docked inside its right edge: the
// top half and Up add LineSize, the bottom half and Down subtract it, Page Up and Page Down step by
// MultipleLineSize. Steps are computed in 64 bits and kept inside the 32-bit range, then inside
// MinValue...MaxValue (no limits while the two are equal). An unparsable text reads as MinValue,
// an empty one is replaced by it; refused keys and steps beep. Limits set in code keep MinValue
// below MaxValue (a limit that would break that is ignored); limits read from a form are taken as
// stored and checked once the form is read, where limits stored the wrong way round are exchanged.
// Enter and Escape reach the form's default and cancel buttons once per key press.
//
// TZylDBSpinEdit (zyltdbspinedit.h) is the same editor on the framework's data-aware edit.
#pragma once

#include <memory>
#include <type_traits>

#include "vcl/dbctrls.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace pellic {

// The picture a spin button shows, also the index of its frame in the picture strip.
enum class TZylButtonState : uint8_t { bsUp, bsTopDown, bsBottomDown, bsDisabled };
VCL_ENUM_NAMES(TZylButtonState, "bsUp", "bsTopDown", "bsBottomDown", "bsDisabled")

class TZylCustomSpinButton : public vcl::TGraphicControl {
    VCL_DECLARE_CLASS(TZylCustomSpinButton, vcl::TGraphicControl)
public:
    explicit TZylCustomSpinButton(vcl::TComponent* owner);
    ~TZylCustomSpinButton() override;

    // Color (the face, clBtnFace by default) and ArrowColor rebuild the pictures.
    vcl::TColor ArrowColor() const { return arrowColor_; }
    void SetArrowColor(vcl::TColor value);
    // The picture shown; set from code it only changes what is drawn.
    TZylButtonState Down() const { return state_; }
    void SetDown(TZylButtonState value);
    bool AutoRepeat() const { return autoRepeat_; }
    void SetAutoRepeat(bool value);
    // Milliseconds before the first repeated click and between the following ones (at least 1).
    vcl::Cardinal RepeatDelay() const { return repeatDelay_; }
    void SetRepeatDelay(vcl::Cardinal value) { repeatDelay_ = std::max<vcl::Cardinal>(value, 1); }
    vcl::Cardinal RepeatInterval() const { return repeatInterval_; }
    void SetRepeatInterval(vcl::Cardinal value) { repeatInterval_ = std::max<vcl::Cardinal>(value, 1); }

    // bsBottomDown for a point below the diagonal from (0, Height) to (Width, 0), else bsTopDown.
    TZylButtonState HalfAt(vcl::Integer x, vcl::Integer y) const;

    vcl::TNotifyEvent OnTopClick;
    vcl::TNotifyEvent OnBottomClick;

    void WndProc(vcl::TMessage& message) override;

protected:
    void Paint() override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, vcl::Integer x, vcl::Integer y) override;
    void MouseMove(vcl::TShiftState shift, vcl::Integer x, vcl::Integer y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, vcl::Integer x, vcl::Integer y) override;
    // Rebuilds the strip of the four pictures, Width x Height each, in TZylButtonState order.
    void CreateStates();
    // Draws the picture of one state into its place in the strip.
    void DrawState(TZylButtonState state);

private:
    // The state the pointer at (x, y) shows while a press is tracked.
    TZylButtonState TrackedState(vcl::Integer x, vcl::Integer y) const;
    void ShowState(TZylButtonState state);
    void FireClick(TZylButtonState half);
    void StartRepeating();
    void StopTracking();
    void RepeatTick();

    std::unique_ptr<vcl::TBitmap> pictures_;
    std::unique_ptr<vcl::TTimer> repeatTimer_;
    bool picturesValid_ = false;
    vcl::TColor arrowColor_ = vcl::clBlack;
    TZylButtonState state_ = TZylButtonState::bsUp;
    TZylButtonState pressedHalf_ = TZylButtonState::bsUp;
    bool tracking_ = false;
    bool repeated_ = false;
    bool autoRepeat_ = false;
    vcl::Cardinal repeatDelay_ = 400;
    vcl::Cardinal repeatInterval_ = 100;
};

class TZylSpinButton : public TZylCustomSpinButton {
    VCL_DECLARE_CLASS(TZylSpinButton, TZylCustomSpinButton)
public:
    explicit TZylSpinButton(vcl::TComponent* owner) : TZylCustomSpinButton(owner) {}

    static void Publish(vcl::Published<TZylSpinButton>& p) {
        p.Property("ArrowColor", &TZylCustomSpinButton::ArrowColor, &TZylCustomSpinButton::SetArrowColor,
                   vcl::clBlack)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("AutoRepeat", &TZylCustomSpinButton::AutoRepeat, &TZylCustomSpinButton::SetAutoRepeat,
                   false);
        PublishColor(p, vcl::clBtnFace);
        PublishEnabled(p);
        PublishParentShowHint(p);
        p.Property("RepeatDelay", &TZylCustomSpinButton::RepeatDelay, &TZylCustomSpinButton::SetRepeatDelay,
                   vcl::Cardinal{400});
        p.Property("RepeatInterval", &TZylCustomSpinButton::RepeatInterval,
                   &TZylCustomSpinButton::SetRepeatInterval, vcl::Cardinal{100});
        PublishShowHint(p);
        PublishVisible(p);
        p.template Event<vcl::TNotifyEvent>("OnBottomClick", &TZylCustomSpinButton::OnBottomClick);
        p.template Event<vcl::TNotifyEvent>("OnTopClick", &TZylCustomSpinButton::OnTopClick);
    }
};

// What the spin edit and the data-aware spin edit share, over the edit class they are built on.
template <typename Base>
class TZylSpinEditCore : public Base {
public:
    explicit TZylSpinEditCore(vcl::TComponent* owner);
    ~TZylSpinEditCore() override;

    // Reading puts MinValue into an empty text first; an unparsable text reads as MinValue.
    vcl::Integer Value();
    // Kept inside the limits.
    void SetValue(vcl::Integer value);
    vcl::Integer MinValue() const { return minValue_; }
    void SetMinValue(vcl::Integer value);
    vcl::Integer MaxValue() const { return maxValue_; }
    void SetMaxValue(vcl::Integer value);
    vcl::Integer LineSize() const { return lineSize_; }
    void SetLineSize(vcl::Integer value) { lineSize_ = value; }
    vcl::Integer MultipleLineSize() const { return multipleLineSize_; }
    void SetMultipleLineSize(vcl::Integer value) { multipleLineSize_ = value; }
    // False refuses typing, cutting and pasting: only the button and the keys change the value.
    bool CutandPaste() const { return cutandPaste_; }
    void SetCutandPaste(bool value) { cutandPaste_ = value; }
    vcl::TColor ButtonColor() const { return button_->Color(); }
    void SetButtonColor(vcl::TColor value) { button_->SetColor(value); }
    vcl::TColor ArrowColor() const { return button_->ArrowColor(); }
    void SetArrowColor(vcl::TColor value) { button_->SetArrowColor(value); }
    // The embedded button (AutoRepeat and the repeat times can be set on it).
    TZylCustomSpinButton* Button() const { return button_.get(); }
    // The smallest height at which the text fits.
    vcl::Integer GetMinHeight() const;

    virtual void DownClick(vcl::TObject* Sender);
    virtual bool IsValidChar(char32_t Key);
    virtual void UpClick(vcl::TObject* Sender);

    void WndProc(vcl::TMessage& message) override;

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;
    void Resize() override;
    void Loaded() override;
    void KeyDown(vcl::Word& key, vcl::TShiftState shift) override;
    void KeyPress(char32_t& key) override;

    // Whether a step may change the text now. Refused steps of the button and the arrows beep;
    // `pageKey` says the step came from Page Up or Page Down.
    virtual bool CanStep(bool pageKey);
    // The value the text holds, without the empty-text rule: what a form file stores.
    vcl::Integer StoredValue() const;
    vcl::Integer CheckValue(vcl::Int64 value) const;
    bool IsDataAware() const { return std::is_base_of_v<vcl::TDBEdit, Base>; }

    // The spin edit's own published properties, in the order forms store them (MaxValue before
    // MinValue); Value is not stored by the data-aware edit, whose field holds it.
    template <typename T>
    static void PublishSpinColors(vcl::Published<T>& p) {
        p.Property("ArrowColor", &TZylSpinEditCore::ArrowColor, &TZylSpinEditCore::SetArrowColor,
                   vcl::clBlack)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("ButtonColor", &TZylSpinEditCore::ButtonColor, &TZylSpinEditCore::SetButtonColor,
                   vcl::clBtnFace)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
    }
    template <typename T>
    static void PublishSpinLimits(vcl::Published<T>& p) {
        p.Property("LineSize", &TZylSpinEditCore::LineSize, &TZylSpinEditCore::SetLineSize, 1);
        p.Property("MaxValue", &TZylSpinEditCore::MaxValue, &TZylSpinEditCore::SetMaxValue, 100);
        p.Property("MinValue", &TZylSpinEditCore::MinValue, &TZylSpinEditCore::SetMinValue, 0);
        p.Property("MultipleLineSize", &TZylSpinEditCore::MultipleLineSize,
                   &TZylSpinEditCore::SetMultipleLineSize, 10);
    }
    template <typename T>
    static void PublishCutandPaste(vcl::Published<T>& p) {
        p.Property("CutandPaste", &TZylSpinEditCore::CutandPaste, &TZylSpinEditCore::SetCutandPaste, true);
    }
    template <typename T>
    static void PublishValue(vcl::Published<T>& p, bool stored) {
        p.Property("Value", &TZylSpinEditCore::StoredValue, &TZylSpinEditCore::SetValue, 0).Stored(stored);
    }

private:
    void Step(vcl::Int64 delta, bool pageKey);
    void PlaceButton();
    // Leaving the control: a value outside the limits is written back clamped.
    void CorrectValue();
    void SendDialogKey(char32_t key);

    // Parts of the edit, freed (button first) while the edit is still whole.
    vcl::TComponentPtr<vcl::TWinControl> holder_;
    vcl::TComponentPtr<TZylCustomSpinButton> button_;
    vcl::Integer minValue_ = 0;
    vcl::Integer maxValue_ = 100;
    vcl::Integer lineSize_ = 1;
    vcl::Integer multipleLineSize_ = 10;
    bool cutandPaste_ = true;
    bool placing_ = false;
};

extern template class TZylSpinEditCore<vcl::TCustomEdit>;
extern template class TZylSpinEditCore<vcl::TDBEdit>;

using TZylSpinEditBase = TZylSpinEditCore<vcl::TCustomEdit>;

class TZylCustomSpinEdit : public TZylSpinEditBase {
    VCL_DECLARE_CLASS(TZylCustomSpinEdit, TZylSpinEditBase)
public:
    explicit TZylCustomSpinEdit(vcl::TComponent* owner) : TZylSpinEditCore(owner) {}
};

class TZylSpinEdit : public TZylCustomSpinEdit {
    VCL_DECLARE_CLASS(TZylSpinEdit, TZylCustomSpinEdit)
public:
    explicit TZylSpinEdit(vcl::TComponent* owner) : TZylCustomSpinEdit(owner) {}

    static void Publish(vcl::Published<TZylSpinEdit>& p) {
        PublishAnchors(p);
        PublishSpinColors(p);
        p.Property("AutoSelect", &vcl::TCustomEdit::AutoSelect, &vcl::TCustomEdit::SetAutoSelect, true);
        p.Property("AutoSize", &vcl::TControl::AutoSize, &vcl::TCustomEdit::SetAutoSize, true);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        PublishCutandPaste(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("MaxLength", &vcl::TCustomEdit::MaxLength, &vcl::TCustomEdit::SetMaxLength, 0);
        PublishSpinLimits(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishValue(p, true);
        PublishVisible(p);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
};

}  // namespace pellic
