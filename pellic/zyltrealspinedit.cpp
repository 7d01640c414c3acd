#include "pellic/zyltrealspinedit.h"

#include <algorithm>
#include <cmath>

#include "vcl/classregistration.h"
#include "vcl/clipbrd.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {

using vcl::Int64;
using vcl::Integer;

namespace zyltrealspinedit {

const vcl::TClassRegistration streamingRegistration{TZylRealSpinEdit::StaticClass()};

// A pasted number never needs more; a huge clipboard must not stall the edit.
constexpr size_t kPasteLimit = 256;
// The whole digits a double holds exactly: typing stops there.
constexpr size_t kMaxWholeDigits = 15;

char Separator() {
    return vcl::FormatSettings.DecimalSeparator;
}

}  // namespace zyltrealspinedit

VCL_DEFINE_CLASS(TZylRealSpinEdit, TZylCustomLookupEdit)

TZylRealSpinEdit::TZylRealSpinEdit(vcl::TComponent* owner) : TZylCustomLookupEdit(owner) {
    // The increase button is the inner one, the decrease button sits at the edge.
    LoadGlyph(*EditButton1(), "ZYLSPINEDITA");
    LoadGlyph(*EditButton2(), "ZYLSPINEDITB");
    SetWidth(73);
    SetAlignment(vcl::TAlignment::taRightJustify);
    {
        const vcl::ScopedValue quiet(quiet_, quiet_ + 1);
        SetText(Formatted(0));
    }
    UpdateStepButtons();
}

// ---------------------------------------------------------------------------------------------
// Values

std::string TZylRealSpinEdit::Formatted(double value) const {
    // Minus zero keeps its sign, whatever the formatting makes of it.
    if (value == 0 && std::signbit(value)) return "-" + vcl::FormatFloat(mask_, 0.0);
    return vcl::FormatFloat(mask_, value);
}

std::optional<double> TZylRealSpinEdit::TextValue() const {
    double value = 0;
    if (!vcl::TryStrToFloat(Text(), value)) return std::nullopt;
    return value;
}

void TZylRealSpinEdit::SetValue(double value) {
    if (!std::isfinite(value)) {
        win32::MessageBeep(0);
        return;
    }
    if (IsLoading()) {
        loadedValue_ = value;
        return;
    }
    if (LimitsActive() && (value < minValue_ || value > maxValue_)) {
        win32::MessageBeep(0);
        UpdateStepButtons();
        return;
    }
    const std::string text = Formatted(value);
    if (text != Text()) {
        const Integer caret = SelStart();
        SetText(text);
        PlaceCaret(static_cast<size_t>(caret));
    }
    UpdateStepButtons();
}

void TZylRealSpinEdit::SetMinValue(double value) {
    if (!std::isfinite(value) || value == minValue_) return;
    minValue_ = value;
    if (IsLoading()) return;
    if (const std::optional<double> current = TextValue())
        SetValue(*current);
    else
        UpdateStepButtons();
}

void TZylRealSpinEdit::SetMaxValue(double value) {
    if (!std::isfinite(value) || value == maxValue_) return;
    maxValue_ = value;
    if (IsLoading()) return;
    if (const std::optional<double> current = TextValue())
        SetValue(*current);
    else
        UpdateStepButtons();
}

void TZylRealSpinEdit::SetStepSmall(double value) {
    if (std::isfinite(value)) stepSmall_ = value;
}

void TZylRealSpinEdit::SetStepBig(double value) {
    if (std::isfinite(value)) stepBig_ = value;
}

void TZylRealSpinEdit::SetDecimals(int8_t value) {
    decimals_ = std::clamp<int8_t>(value, 0, 9);
    SetFormatMask();
}

void TZylRealSpinEdit::SetFormatMask() {
    mask_ = decimals_ == 0 ? "0" : "0." + std::string(static_cast<size_t>(decimals_), '0');
    if (IsLoading()) return;
    // A text that is no number stays as the program put it.
    if (const std::optional<double> current = TextValue()) {
        const vcl::ScopedValue quiet(quiet_, quiet_ + 1);
        SetText(Formatted(*current));
    }
    UpdateStepButtons();
}

double TZylRealSpinEdit::AsFloat() const {
    return vcl::StrToFloat(Text());
}

void TZylRealSpinEdit::SetAsFloat(double value) {
    if (std::isfinite(value)) SetText(Formatted(value));
}

Integer TZylRealSpinEdit::AsInteger() const {
    const double whole = std::trunc(AsFloat());
    return static_cast<Integer>(std::clamp<double>(whole, INT32_MIN, INT32_MAX));
}

void TZylRealSpinEdit::SetAsInteger(Integer value) {
    SetText(Formatted(value));
}

vcl::Currency TZylRealSpinEdit::AsCurrency() const {
    return vcl::StrToCurr(Text());
}

void TZylRealSpinEdit::SetAsCurrency(vcl::Currency value) {
    SetText(Formatted(value.ToDouble()));
}

void TZylRealSpinEdit::UpdateStepButtons() {
    bool up = true, down = true;
    if (LimitsActive()) {
        if (const std::optional<double> current = TextValue()) {
            up = *current < maxValue_;
            down = *current > minValue_;
        }
    }
    EditButton1()->SetEnabled(Enabled() && up);
    EditButton2()->SetEnabled(Enabled() && down);
}

void TZylRealSpinEdit::StepBy(double delta) {
    const std::optional<double> current = TextValue();
    if (ReadOnly() || !current) {
        win32::MessageBeep(0);
        return;
    }
    SetValue(*current + delta);
}

void TZylRealSpinEdit::IncNumber(vcl::TObject*) {
    StepBy(stepSmall_);
}

void TZylRealSpinEdit::DecNumber(vcl::TObject*) {
    StepBy(-stepSmall_);
}

void TZylRealSpinEdit::EditButton1Click(vcl::TObject*) {
    IncNumber(this);
    if (CanFocus()) SetFocus();
}

void TZylRealSpinEdit::EditButton2Click(vcl::TObject*) {
    DecNumber(this);
    if (CanFocus()) SetFocus();
}

void TZylRealSpinEdit::InvalidEntry() {
    if (OnInvalidEntry) OnInvalidEntry(this);
}

// ---------------------------------------------------------------------------------------------
// Notifications and the window

void TZylRealSpinEdit::Change() {
    UpdateStepButtons();
    if (quiet_ > 0) return;
    TZylCustomLookupEdit::Change();
    const std::optional<double> current = TextValue();
    if (current && *current >= minValue_ && *current <= maxValue_ && OnValidChange) OnValidChange(this);
}

void TZylRealSpinEdit::DoExit() {
    const std::optional<double> current = TextValue();
    if (!current || (minValue_ != maxValue_ && (*current < minValue_ || *current > maxValue_)))
        InvalidEntry();
    TZylCustomLookupEdit::DoExit();
}

void TZylRealSpinEdit::Loaded() {
    TZylCustomLookupEdit::Loaded();
    // The stored value, formatted with the stored decimals and shown whatever the stored limits.
    const std::optional<double> value = loadedValue_ ? loadedValue_ : TextValue();
    loadedValue_.reset();
    if (value) {
        const vcl::ScopedValue quiet(quiet_, quiet_ + 1);
        SetText(Formatted(*value));
    }
    UpdateStepButtons();
}

void TZylRealSpinEdit::CreateParams(vcl::TCreateParams& params) {
    TZylCustomLookupEdit::CreateParams(params);
    params.Style |= win32::ES_NUMBER;
}

void TZylRealSpinEdit::WndProc(vcl::TMessage& message) {
    switch (message.Msg) {
        case win32::WM_CUT:
            message.Result = 0;
            if (SelLength() == 0) return;
            CopyToClipboard();
            if (!ReadOnly()) DeleteSelection();
            return;
        case win32::WM_PASTE:
            message.Result = 0;
            PasteText();
            return;
        case vcl::CM_ENABLEDCHANGED:
            TZylCustomLookupEdit::WndProc(message);
            UpdateStepButtons();
            return;
        default:
            break;
    }
    TZylCustomLookupEdit::WndProc(message);
}

void TZylRealSpinEdit::PasteText() {
    if (ReadOnly()) return;
    DeleteSelection();
    if (!vcl::Clipboard()->HasFormat(win32::CF_TEXT)) return;
    std::string text = vcl::Clipboard()->AsText();
    // A single line takes the clipboard's first line, as the edit does.
    text = text.substr(0, text.find_first_of("\r\n"));
    size_t replayed = 0;
    for (const unsigned char c : text) {
        // Control characters would be keys: Ctrl+V again, or Enter pressing the default button.
        if (c < 0x20 || c == 0x7F) continue;
        if (++replayed > zyltrealspinedit::kPasteLimit) break;
        Perform(win32::WM_CHAR, c, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Typing

void TZylRealSpinEdit::PlaceCaret(size_t caret) {
    SetSelStart(static_cast<Integer>(std::min(caret, Text().size())));
}

void TZylRealSpinEdit::ReplaceText(const std::string& text, size_t caret) {
    if (text != Text()) {
        engine_.Select(0, engine_.Text().size());
        ReplaceAndNotify(text, false, false);
    }
    PlaceCaret(caret);
}

void TZylRealSpinEdit::Recheck() {
    if (const std::optional<double> current = TextValue()) SetValue(*current);
}

void TZylRealSpinEdit::DeleteKey(vcl::Word Key) {
    const std::string text = Text();
    const Int64 length = static_cast<Int64>(text.size());
    const Int64 decimals = decimals_;
    // The 1-based position of the character to delete.
    const Int64 position = SelStart() + (Key == win32::VK_DELETE ? 1 : 0);
    if (position <= 0 || position > length) return;
    const bool negative = text[0] == '-';
    auto without = [&text](Int64 at) {
        std::string rest = text;
        rest.erase(static_cast<size_t>(at - 1), 1);
        return rest;
    };
    if (decimals > 0) {
        const Int64 whole = length - decimals - 1;
        if (position > length - decimals) {
            // A decimal: the rest moves left and a zero fills the last place.
            ReplaceText(without(position) + "0", static_cast<size_t>(position - 1));
        } else if (position == length - decimals) {
            // The separator stays; the caret steps over it.
            PlaceCaret(
                static_cast<size_t>(Key == win32::VK_DELETE ? length - decimals : length - decimals - 1));
        } else if (position == 2 && whole == 2 && negative) {
            ReplaceText("-0" + text.substr(2), 1);
        } else if (position == 1 && whole == 1) {
            ReplaceText("0" + text.substr(1), 1);
        } else {
            ReplaceText(without(position), static_cast<size_t>(position - 1));
        }
        return;
    }
    if (negative && length == 2 && position == 2)
        ReplaceText("-0", 1);
    else if (length == 1)
        ReplaceText("0", 1);
    else
        ReplaceText(without(position), static_cast<size_t>(position - 1));
}

void TZylRealSpinEdit::DeleteSelection() {
    const std::string before = Text();
    {
        const vcl::ScopedValue quiet(quiet_, quiet_ + 1);
        const Integer count = SelLength();
        if (count > 0) {
            PlaceCaret(static_cast<size_t>(SelStart() + count));
            for (Integer i = 0; i < count; ++i)
                DeleteKey(win32::VK_BACK);
        }
    }
    if (Text() != before) Change();
}

TZylRealSpinEdit::TDigitResult TZylRealSpinEdit::TypeDigit(char32_t digit) {
    const std::string text = Text();
    const Int64 length = static_cast<Int64>(text.size());
    const Int64 caret = SelStart();
    const Int64 decimals = decimals_;
    const bool negative = text.find('-') != std::string::npos;
    const auto at = [](Int64 position) { return static_cast<size_t>(position); };
    const std::string typed(1, static_cast<char>(digit));
    std::string result;
    Int64 caretAfter = caret + 1;
    bool leftToEdit = false;
    if (caret <= 2 && negative && length >= 2 && text[1] == '0') {
        // "-0...": the digit takes the zero's place behind the sign.
        result = "-" + typed + (decimals > 0 ? text.substr(2) : std::string());
        caretAfter = 2;
    } else if (caret <= 1 && length >= 1 && text[0] == '0') {
        // "0...": the digit takes the zero's place.
        result = typed + (decimals > 0 ? text.substr(1) : std::string());
        caretAfter = 1;
    } else if (decimals > 0 && caret >= length - decimals) {
        // In the decimals the digit overwrites; behind the last one there is no room.
        if (caret >= length) return TDigitResult::refused;
        result = text;
        result[at(caret)] = static_cast<char>(digit);
    } else {
        // In the whole part it is inserted; directly in front of the separator (or anywhere without
        // decimals) the edit inserts it itself.
        result = text.substr(0, at(caret)) + typed + text.substr(at(caret));
        leftToEdit = decimals == 0 || caret == length - decimals - 1;
    }
    // Beyond 15 whole digits a double no longer holds what was typed.
    const size_t sign = !result.empty() && result[0] == '-' ? 1 : 0;
    const size_t whole = result.find_first_not_of("0123456789", sign);
    double value = 0;
    if ((whole == std::string::npos ? result.size() : whole) - sign > zyltrealspinedit::kMaxWholeDigits ||
        !vcl::TryStrToFloat(result, value))
        return TDigitResult::refused;
    if (leftToEdit) return TDigitResult::leftToEdit;
    ReplaceText(result, at(caretAfter));
    return TDigitResult::handled;
}

void TZylRealSpinEdit::KeyDown(vcl::Word& key, vcl::TShiftState shift) {
    if (ReadOnly()) {
        TZylCustomLookupEdit::KeyDown(key, shift);
        return;
    }
    switch (key) {
        case win32::VK_UP:
            StepBy(stepSmall_);
            key = 0;
            return;
        case win32::VK_DOWN:
            StepBy(-stepSmall_);
            key = 0;
            return;
        case win32::VK_PRIOR:
            StepBy(stepBig_);
            key = 0;
            return;
        case win32::VK_NEXT:
            StepBy(-stepBig_);
            key = 0;
            return;
        case win32::VK_DELETE:
            // Shift+Delete cuts.
            if (shift.Contains(vcl::ssShift)) break;
            if (SelLength() == 0)
                DeleteKey(win32::VK_DELETE);
            else
                DeleteSelection();
            key = 0;
            break;
        default:
            break;
    }
    TZylCustomLookupEdit::KeyDown(key, shift);
}

void TZylRealSpinEdit::KeyPress(char32_t& key) {
    TZylCustomLookupEdit::KeyPress(key);
    // A key the base swallowed (Enter, a button's) or a read-only edit changes nothing.
    if (key == 0 || ReadOnly()) return;
    // Ctrl+C, Ctrl+V and Ctrl+X belong to the edit.
    if (key == 0x03 || key == 0x16 || key == 0x18) return;
    const char32_t separator = static_cast<unsigned char>(zyltrealspinedit::Separator());
    const bool digit = key >= '0' && key <= '9';
    const bool backspace = key == 0x08;
    const bool minus = key == '-';
    const bool isSeparator = key == separator;
    // A key the calculator refuses changes nothing, the selection included.
    if ((!digit && !backspace && !minus && !isSeparator) || (minus && minValue_ >= 0) ||
        (isSeparator && decimals_ == 0)) {
        key = 0;
        return;
    }
    bool selectionDeleted = false;
    if (isSeparator) {
        SetSelLength(0);
    } else if (SelLength() > 0) {
        DeleteSelection();
        selectionDeleted = true;
    }
    const std::string text = Text();
    const size_t length = text.size();
    const size_t decimals = static_cast<size_t>(decimals_);
    const bool negative = text.find('-') != std::string::npos;
    const size_t caret = static_cast<size_t>(SelStart());
    if (key == '0' && caret == 0) {
        key = 0;
    } else if (minus) {
        if (!text.empty() && text[0] == '-')
            ReplaceText(text.substr(1), caret > 0 ? caret - 1 : 0);
        else
            ReplaceText("-" + text, caret + 1);
        key = 0;
    } else if (caret == length && decimals > 0 && !backspace && !isSeparator) {
        // The decimals are complete.
        key = 0;
    } else if (isSeparator) {
        PlaceCaret(length >= decimals ? length - decimals : 0);
        key = 0;
    } else if (backspace) {
        // A selection the key already deleted is all it deletes.
        if (!selectionDeleted) DeleteKey(win32::VK_BACK);
        key = 0;
    } else {
        // A digit goes behind the sign.
        if (negative && caret == 0) PlaceCaret(1);
        switch (TypeDigit(key)) {
            case TDigitResult::handled:
                key = 0;
                break;
            case TDigitResult::refused:
                key = 0;
                win32::MessageBeep(0);
                return;
            case TDigitResult::leftToEdit:
                break;
        }
    }
    // A digit left to the edit is inserted after this, and checked with the next key or change.
    Recheck();
}

}  // namespace pellic
