// The edit mask engine and the masked edit.
#include "vcl/mask.h"

#include <algorithm>

#include "win32/user.h"
#include "win32/utf8.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace {

const bool maskeditClassesRegistered = [] {
    RegisterClass<TMaskEdit>();
    return true;
}();

const char* const kInvalidInput = "Invalid input value.  Use escape key to abandon changes";

bool IsDigit(std::string_view c) {
    return c.size() == 1 && c[0] >= '0' && c[0] <= '9';
}

bool IsLetter(std::string_view c) {
    if (c.size() == 1) {
        const auto b = static_cast<unsigned char>(c[0]);
        return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
    }
    // Characters beyond ASCII that have a case are letters.
    return !c.empty() && AnsiUpperCase(c) != AnsiLowerCase(c);
}

}  // namespace

std::vector<size_t> CharacterOffsets(std::string_view text) {
    std::vector<size_t> offsets;
    offsets.reserve(text.size() + 1);
    for (size_t pos = 0; pos < text.size();) {
        offsets.push_back(pos);
        const auto lead = static_cast<unsigned char>(text[pos]);
        size_t length = lead >= 0xF0 && lead <= 0xF7   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC0                 ? 2
                                                       : 1;
        size_t next = pos + 1;
        while (next < text.size() && next < pos + length &&
               (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            ++next;
        pos = next;
    }
    offsets.push_back(text.size());
    return offsets;
}

// ---------------------------------------------------------------------------------------------
// TEditMaskPattern

TEditMaskPattern::TEditMaskPattern(std::string_view mask) {
    // The trailing fields: blank character, then the save-literals flag.
    std::string_view characters = mask;
    size_t last = characters.rfind(MaskFieldSeparator);
    // A separator escaped by a backslash belongs to the characters.
    auto escaped = [&](size_t at) { return at > 0 && characters[at - 1] == '\\'; };
    if (last != std::string_view::npos && !escaped(last)) {
        const std::string_view tail = characters.substr(last + 1);
        characters = characters.substr(0, last);
        const size_t second = characters.rfind(MaskFieldSeparator);
        if (second != std::string_view::npos && !escaped(second)) {
            // mask;save;blank
            const std::string_view save = characters.substr(second + 1);
            characters = characters.substr(0, second);
            saveLiterals_ = !(save.size() == 1 && save[0] == MaskNoSave);
            if (tail.size() == 1) blank_ = tail[0];
        } else {
            // mask;save
            saveLiterals_ = !(tail.size() == 1 && tail[0] == MaskNoSave);
        }
    }
    CaseMode caseMode = CaseMode::Keep;
    const std::vector<size_t> offsets = CharacterOffsets(characters);
    for (size_t i = 0; i + 1 < offsets.size(); ++i) {
        const std::string_view c = characters.substr(offsets[i], offsets[i + 1] - offsets[i]);
        Slot slot;
        slot.caseMode = caseMode;
        if (c.size() == 1) {
            switch (c[0]) {
                case '>':
                    caseMode = CaseMode::Upper;
                    continue;
                case '<':
                    if (i + 2 < offsets.size() && characters[offsets[i + 1]] == '>') {
                        caseMode = CaseMode::Keep;
                        ++i;
                    } else {
                        caseMode = CaseMode::Lower;
                    }
                    continue;
                case '!':
                    leadingBlanks_ = true;
                    continue;
                case '\\':
                    if (i + 2 < offsets.size()) {
                        ++i;
                        slot.literal.assign(characters.substr(offsets[i], offsets[i + 1] - offsets[i]));
                        slots_.push_back(slot);
                    }
                    continue;
                case 'L':
                    slot.kind = Kind::Letter;
                    slot.required = true;
                    break;
                case 'l':
                    slot.kind = Kind::Letter;
                    break;
                case 'A':
                    slot.kind = Kind::AlphaNumeric;
                    slot.required = true;
                    break;
                case 'a':
                    slot.kind = Kind::AlphaNumeric;
                    break;
                case 'C':
                    slot.kind = Kind::Any;
                    slot.required = true;
                    break;
                case 'c':
                    slot.kind = Kind::Any;
                    break;
                case '0':
                    slot.kind = Kind::Digit;
                    slot.required = true;
                    break;
                case '9':
                    slot.kind = Kind::Digit;
                    break;
                case '#':
                    slot.kind = Kind::DigitOrSign;
                    break;
                case '_':
                    slot.literal = " ";
                    break;
                default:
                    slot.literal.assign(c);
                    break;
            }
        } else {
            slot.literal.assign(c);
        }
        slots_.push_back(std::move(slot));
    }
}

std::string TEditMaskPattern::Accept(size_t index, std::string_view c) const {
    if (index >= slots_.size() || c.empty()) return {};
    const Slot& slot = slots_[index];
    bool fits = false;
    switch (slot.kind) {
        case Kind::Literal:
            return {};
        case Kind::Letter:
            fits = IsLetter(c);
            break;
        case Kind::AlphaNumeric:
            fits = IsLetter(c) || IsDigit(c);
            break;
        case Kind::Any:
            fits = static_cast<unsigned char>(c[0]) >= 0x20;
            break;
        case Kind::Digit:
            fits = IsDigit(c);
            break;
        case Kind::DigitOrSign:
            fits = IsDigit(c) || c == "+" || c == "-";
            break;
    }
    if (!fits) return {};
    switch (slot.caseMode) {
        case CaseMode::Upper:
            return AnsiUpperCase(c);
        case CaseMode::Lower:
            return AnsiLowerCase(c);
        default:
            return std::string(c);
    }
}

std::string TEditMaskPattern::Format(std::string_view value, bool withLiterals) const {
    const std::vector<size_t> offsets = CharacterOffsets(value);
    const size_t count = offsets.size() - 1;
    size_t next = 0;
    std::string result;
    for (size_t i = 0; i < slots_.size(); ++i) {
        const Slot& slot = slots_[i];
        if (slot.kind == Kind::Literal) {
            if (withLiterals && next < count &&
                value.substr(offsets[next], offsets[next + 1] - offsets[next]) == slot.literal)
                ++next;
            result += slot.literal;
            continue;
        }
        std::string accepted;
        if (next < count) {
            accepted = Accept(i, value.substr(offsets[next], offsets[next + 1] - offsets[next]));
            ++next;
        }
        if (accepted.empty())
            result.push_back(blank_);
        else
            result += accepted;
    }
    return result;
}

std::string TEditMaskPattern::TextOf(std::string_view editText) const {
    const std::vector<size_t> offsets = CharacterOffsets(editText);
    std::string result;
    for (size_t i = 0; i + 1 < offsets.size(); ++i) {
        const std::string_view c = editText.substr(offsets[i], offsets[i + 1] - offsets[i]);
        const bool literal = i < slots_.size() && slots_[i].kind == Kind::Literal;
        if (literal && !saveLiterals_) continue;
        if (!literal && c.size() == 1 && c[0] == blank_)
            result.push_back(' ');
        else
            result += c;
    }
    return result;
}

bool TEditMaskPattern::IsComplete(std::string_view editText) const {
    const std::vector<size_t> offsets = CharacterOffsets(editText);
    if (offsets.size() - 1 != slots_.size()) return false;
    for (size_t i = 0; i < slots_.size(); ++i) {
        const std::string_view c = editText.substr(offsets[i], offsets[i + 1] - offsets[i]);
        if (slots_[i].kind == Kind::Literal) continue;
        const bool blank = c.size() == 1 && (c[0] == blank_ || c[0] == ' ');
        if (blank ? slots_[i].required : Accept(i, c).empty()) return false;
    }
    return true;
}

std::string FormatMaskText(std::string_view mask, std::string_view value) {
    const TEditMaskPattern pattern(mask);
    return pattern.TextOf(pattern.Format(value, pattern.SaveLiterals()));
}

// ---------------------------------------------------------------------------------------------
// TCustomMaskEdit

VCL_DEFINE_CLASS(TCustomMaskEdit, TCustomEdit)

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& value) {
    if (editMask_ == value) return;
    const std::string text = GetText();
    editMask_ = value;
    pattern_ = TEditMaskPattern(value);
    if (IsMasked()) {
        SetMaxLength(static_cast<Integer>(pattern_.Slots().size()));
        std::string formatted = pattern_.Format(text, pattern_.SaveLiterals());
        TCustomEdit::SetTextValue(formatted);
    } else {
        SetMaxLength(0);
        TCustomEdit::SetTextValue(text);
    }
}

TCaption TCustomMaskEdit::GetText() const {
    if (!IsMasked()) return TCustomEdit::GetText();
    return pattern_.TextOf(engine_.Text());
}

void TCustomMaskEdit::SetTextValue(const TCaption& value) {
    if (!IsMasked()) {
        TCustomEdit::SetTextValue(value);
        return;
    }
    TCustomEdit::SetTextValue(pattern_.Format(value, pattern_.SaveLiterals()));
}

void TCustomMaskEdit::SetEditText(const std::string& value) {
    if (!IsMasked()) {
        SetText(value);
        return;
    }
    TCustomEdit::SetTextValue(pattern_.Format(value, true));
}

size_t TCustomMaskEdit::SlotAt(size_t pos) const {
    const std::vector<size_t> offsets = CharacterOffsets(engine_.Text());
    return static_cast<size_t>(std::upper_bound(offsets.begin(), offsets.end() - 1, pos) - offsets.begin()) -
           1;
}

size_t TCustomMaskEdit::PosOfSlot(size_t slot) const {
    const std::vector<size_t> offsets = CharacterOffsets(engine_.Text());
    return offsets[std::min(slot, offsets.size() - 1)];
}

size_t TCustomMaskEdit::NextEditable(size_t slot) const {
    const auto& slots = pattern_.Slots();
    while (slot < slots.size() && slots[slot].kind == TEditMaskPattern::Kind::Literal)
        ++slot;
    return slot;
}

size_t TCustomMaskEdit::PreviousEditable(size_t slot) const {
    const auto& slots = pattern_.Slots();
    for (size_t i = std::min(slot, slots.size()); i-- > 0;)
        if (slots[i].kind != TEditMaskPattern::Kind::Literal) return i;
    return std::string::npos;
}

void TCustomMaskEdit::PlaceCaretAtSlot(size_t slot) {
    const size_t pos = PosOfSlot(slot);
    MoveCaret(pos, false);
}

void TCustomMaskEdit::ReplaceSlots(size_t first, size_t last, const std::vector<std::string>& characters,
                                   size_t caretSlot) {
    const std::string& text = engine_.Text();
    const std::vector<size_t> offsets = CharacterOffsets(text);
    const size_t count = offsets.size() - 1;
    std::vector<std::string> cells;
    cells.reserve(count);
    for (size_t i = 0; i < count; ++i)
        cells.emplace_back(text.substr(offsets[i], offsets[i + 1] - offsets[i]));
    const auto& slots = pattern_.Slots();
    for (size_t i = first; i < last && i < count && i < slots.size(); ++i)
        if (slots[i].kind != TEditMaskPattern::Kind::Literal) cells[i] = std::string(1, pattern_.Blank());
    size_t slot = first;
    for (const std::string& c : characters) {
        slot = NextEditable(slot);
        if (slot >= count) break;
        cells[slot] = c;
        ++slot;
    }
    std::string updated;
    for (const std::string& c : cells)
        updated += c;
    if (updated != text) {
        engine_.Select(0, text.size());
        ReplaceAndNotify(updated, false, false);
    }
    PlaceCaretAtSlot(caretSlot);
}

bool TCustomMaskEdit::TypeCharacter(char32_t character) {
    if (!IsMasked()) return TCustomEdit::TypeCharacter(character);
    if (character == 0x1B) {
        Reset();
        return true;
    }
    if (ReadOnly()) {
        MessageBeep(0);
        return false;
    }
    const size_t selFirst = SlotAt(engine_.SelStart());
    const size_t selLast = SlotAt(engine_.SelEnd());
    if (character == 0x08) {
        if (selFirst != selLast) {
            ReplaceSlots(selFirst, selLast, {}, selFirst);
            return true;
        }
        const size_t previous = PreviousEditable(selFirst);
        if (previous == std::string::npos) return false;
        ReplaceSlots(previous, previous + 1, {}, previous);
        return true;
    }
    if (character < 0x20 || character > 0x10FFFF) return false;
    const std::string utf8 = win32::Utf8(character);
    // Typing a literal where it stands just steps over it.
    if (selFirst < pattern_.Slots().size() &&
        pattern_.Slots()[selFirst].kind == TEditMaskPattern::Kind::Literal &&
        pattern_.Slots()[selFirst].literal == utf8 && selFirst == selLast) {
        PlaceCaretAtSlot(NextEditable(selFirst + 1));
        return true;
    }
    const size_t slot = NextEditable(selFirst);
    const std::string accepted = pattern_.Accept(slot, utf8);
    if (accepted.empty()) {
        MessageBeep(0);
        return false;
    }
    ReplaceSlots(selFirst, std::max(selLast, slot + 1), {accepted}, NextEditable(slot + 1));
    return true;
}

void TCustomMaskEdit::EditKeyDown(Word key, TShiftState shift) {
    if (!IsMasked()) {
        TCustomEdit::EditKeyDown(key, shift);
        return;
    }
    if (key == VK_DELETE && !shift.Contains(ssShift)) {
        if (ReadOnly()) return;
        const size_t first = SlotAt(engine_.SelStart());
        const size_t last = std::max(SlotAt(engine_.SelEnd()), first + 1);
        ReplaceSlots(first, last, {}, first);
        return;
    }
    TCustomEdit::EditKeyDown(key, shift);
    // The caret does not rest in front of a literal when moving right.
    if ((key == VK_RIGHT || key == VK_END) && !shift.Contains(ssShift) &&
        engine_.SelStart() == engine_.SelEnd()) {
        const size_t slot = SlotAt(engine_.Caret());
        if (slot < pattern_.Slots().size()) PlaceCaretAtSlot(NextEditable(slot));
    } else if (key == VK_LEFT && !shift.Contains(ssShift) && engine_.SelStart() == engine_.SelEnd()) {
        const size_t slot = SlotAt(engine_.Caret());
        if (slot < pattern_.Slots().size() &&
            pattern_.Slots()[slot].kind == TEditMaskPattern::Kind::Literal) {
            const size_t previous = PreviousEditable(slot);
            if (previous != std::string::npos) PlaceCaretAtSlot(previous);
        }
    }
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked() || pattern_.IsComplete(engine_.Text())) return;
    // The caret goes to the first position that needs a character.
    const std::vector<size_t> offsets = CharacterOffsets(engine_.Text());
    const auto& slots = pattern_.Slots();
    for (size_t i = 0; i < slots.size() && i + 1 < offsets.size(); ++i) {
        const std::string_view c =
            std::string_view(engine_.Text()).substr(offsets[i], offsets[i + 1] - offsets[i]);
        if (slots[i].required && c.size() == 1 && (c[0] == pattern_.Blank() || c[0] == ' ')) {
            PlaceCaretAtSlot(i);
            break;
        }
    }
    throw EDBEditError(kInvalidInput);
}

void TCustomMaskEdit::Reset() {
    if (engine_.Text() == savedText_) return;
    engine_.Select(0, engine_.Text().size());
    ReplaceAndNotify(savedText_, false, false);
    modified_ = false;
    SelectAll();
}

void TCustomMaskEdit::DoEnter() {
    savedText_ = engine_.Text();
    TCustomEdit::DoEnter();
}

void TCustomMaskEdit::DoExit() {
    // Leaving with a required position empty is refused: the focus comes back.
    if (IsMasked() && modified_ && !pattern_.IsComplete(engine_.Text())) {
        if (CanFocus()) SetFocus();
        ValidateEdit();
    }
    TCustomEdit::DoExit();
}

}  // namespace vcl
