// The real-number spin edit: a lookup edit whose inner button steps the value up and whose outer
// button steps it down. Its text is always a number with exactly Decimals decimal places in the
// locale's format (vcl::FormatSettings.DecimalSeparator), and typing works like a calculator
// display: digits are inserted in the whole part and overwrite the decimals, the separator jumps
// to the decimals, "-" toggles the sign (only while MinValue is below 0), and deleting a decimal
// shifts the rest left and appends a zero. A text that reads as minus zero ("-0", "-0.00") stays as
// typed, so that the next digit keeps the sign. Typing stops at 15 whole digits, the most a double
// holds exactly, and never leaves a text that is no number.
//
// The limits are active unless both are 0. Value refuses a number outside them with a beep and
// keeps the text; typing may leave such a number, which leaving the control reports through
// OnInvalidEntry. The increase and decrease buttons are enabled while the value kept can still
// move up or down (both, without limits). NaN and the infinities are never values: Value and the
// limits and steps ignore them (Value with a beep), as do the As... setters. Reading Value,
// AsFloat, AsInteger or AsCurrency raises EConvertError when the program has put a text in that is
// no number; AsInteger truncates and keeps the result inside the 32-bit range.
#pragma once

#include <optional>
#include <string>

#include "pellic/zyltlookupedit.h"
#include "vcl/sysutils.h"

namespace pellic {

class TZylRealSpinEdit : public TZylCustomLookupEdit {
    VCL_DECLARE_CLASS(TZylRealSpinEdit, TZylCustomLookupEdit)
public:
    explicit TZylRealSpinEdit(vcl::TComponent* owner);

    double Value() const { return AsFloat(); }
    void SetValue(double value);
    // Both 0: no limits.
    double MinValue() const { return minValue_; }
    void SetMinValue(double value);
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double value);
    // Of the buttons and Up/Down, and of Page Up/Page Down.
    double StepSmall() const { return stepSmall_; }
    void SetStepSmall(double value);
    double StepBig() const { return stepBig_; }
    void SetStepBig(double value);
    // 0...9; values outside are brought inside.
    int8_t Decimals() const { return decimals_; }
    void SetDecimals(int8_t value);

    // Without the limit checks and without a beep.
    double AsFloat() const;
    void SetAsFloat(double value);
    vcl::Integer AsInteger() const;
    void SetAsInteger(vcl::Integer value);
    vcl::Currency AsCurrency() const;
    void SetAsCurrency(vcl::Currency value);

    // The handlers of the increase and decrease buttons.
    void IncNumber(vcl::TObject* Sender);
    void DecNumber(vcl::TObject* Sender);
    // Deletes one character under the fixed-decimals rules; Key is VK_BACK or VK_DELETE.
    void DeleteKey(vcl::Word Key);
    // Deletes the selection as that many Backspaces at its end would, then notifies the change
    // once when the text changed.
    void DeleteSelection();

    // Raised on leaving the control with a value outside the limits (or a text that is no number).
    vcl::TNotifyEvent OnInvalidEntry;
    // Raised after a change that leaves the value within the limits (with no limits: at 0 only).
    vcl::TNotifyEvent OnValidChange;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylRealSpinEdit>& p) {
        p.Property("Alignment", &TZylRealSpinEdit::Alignment, &TZylRealSpinEdit::SetAlignment,
                   vcl::TAlignment::taRightJustify);
        PublishAnchors(p);
        p.Property("AutoSelect", &vcl::TCustomEdit::AutoSelect, &vcl::TCustomEdit::SetAutoSelect, true);
        // The buttons keep the height: the edit is made without automatic height.
        p.Property("AutoSize", &vcl::TControl::AutoSize, &vcl::TCustomEdit::SetAutoSize, false);
        p.Property("BorderStyle", &vcl::TCustomEdit::BorderStyle, &vcl::TCustomEdit::SetBorderStyle,
                   vcl::bsSingle);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        p.Property("Decimals", &TZylRealSpinEdit::Decimals, &TZylRealSpinEdit::SetDecimals, int8_t{2});
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        p.Property("MaxValue", &TZylRealSpinEdit::MaxValue, &TZylRealSpinEdit::SetMaxValue, 0.0);
        p.Property("MinValue", &TZylRealSpinEdit::MinValue, &TZylRealSpinEdit::SetMinValue, 0.0);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        PublishShowHint(p);
        p.Property("StepBig", &TZylRealSpinEdit::StepBig, &TZylRealSpinEdit::SetStepBig, 10.0);
        p.Property("StepSmall", &TZylRealSpinEdit::StepSmall, &TZylRealSpinEdit::SetStepSmall, 1.0);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        p.Property("Value", &TZylRealSpinEdit::StoredValue, &TZylRealSpinEdit::SetValue, 0.0);
        PublishVisible(p);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        p.Event("OnInvalidEntry", &TZylRealSpinEdit::OnInvalidEntry);
        PublishKeyEvents(p);
        p.Event("OnValidChange", &TZylRealSpinEdit::OnValidChange);
    }

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void Change() override;
    void DoExit() override;
    void Loaded() override;
    void KeyDown(vcl::Word& key, vcl::TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void EditButton1Click(vcl::TObject* Sender) override;
    void EditButton2Click(vcl::TObject* Sender) override;

    // Raises OnInvalidEntry.
    void InvalidEntry();
    // Rebuilds the format mask from Decimals and formats the text again.
    void SetFormatMask();

private:
    bool LimitsActive() const { return minValue_ != 0 || maxValue_ != 0; }
    // The number the text holds, if it holds one.
    std::optional<double> TextValue() const;
    // What a form file stores: the text's number, 0 for a text that is none.
    double StoredValue() const { return TextValue().value_or(0.0); }
    std::string Formatted(double value) const;
    // Puts text in as the user's change, caret at `caret`.
    void ReplaceText(const std::string& text, size_t caret);
    void PlaceCaret(size_t caret);
    // SetValue for keys and buttons: nothing but a beep on a text that is no number.
    void StepBy(double delta);
    void UpdateStepButtons();
    // The calculator rules of a digit typed at the caret. A digit that would leave no number, or
    // more whole digits than a double holds, is refused.
    enum class TDigitResult : uint8_t { handled, leftToEdit, refused };
    TDigitResult TypeDigit(char32_t digit);
    void PasteText();
    // The re-check after a typed key: the text's number goes through SetValue.
    void Recheck();

    double minValue_ = 0;
    double maxValue_ = 0;
    double stepSmall_ = 1.0;
    double stepBig_ = 10.0;
    int8_t decimals_ = 2;
    std::string mask_ = "0.00";
    // OnChange and OnValidChange wait while this is above 0.
    int quiet_ = 0;
    // The value read from a form, formatted once Decimals and the limits are known too.
    std::optional<double> loadedValue_;
};

}  // namespace pellic
