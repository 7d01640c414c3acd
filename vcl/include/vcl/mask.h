// Masked edits: the edit mask engine and TCustomMaskEdit/TMaskEdit.
//
// A mask is "characters;save literals;blank": the characters below, then optionally '0' to keep
// literal characters out of Text ('1' or nothing keeps them), then the character that shows an
// empty position (default '_').
//   L letter   l optional letter   A letter or digit   a optional letter or digit
//   C any      c optional any      0 digit             9 optional digit    # optional digit or sign
//   > upper case from here   < lower case from here   <> no case change   ! blanks lead Text
//   \ the next character is a literal   : / time and date separators   _ a literal blank
// Any other character is a literal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vcl/stdctrls_edit.h"

namespace vcl {

VCL_DECLARE_EXCEPTION(EDBEditError, Exception)

inline constexpr char DefaultBlank = '_';
inline constexpr char MaskFieldSeparator = ';';
inline constexpr char MaskNoSave = '0';

// A parsed mask.
class TEditMaskPattern {
public:
    enum class Kind : uint8_t { Literal, Letter, AlphaNumeric, Any, Digit, DigitOrSign };
    enum class CaseMode : uint8_t { Keep, Upper, Lower };
    struct Slot {
        Kind kind = Kind::Literal;
        bool required = false;
        CaseMode caseMode = CaseMode::Keep;
        std::string literal;  // the literal character (UTF-8) of a Literal slot
    };

    TEditMaskPattern() = default;
    explicit TEditMaskPattern(std::string_view mask);

    bool Empty() const { return slots_.empty(); }
    const std::vector<Slot>& Slots() const { return slots_; }
    bool SaveLiterals() const { return saveLiterals_; }
    char Blank() const { return blank_; }
    bool LeadingBlanks() const { return leadingBlanks_; }

    // The character as the slot takes it (case converted), or empty when it does not fit.
    std::string Accept(size_t slot, std::string_view character) const;
    // The edit text of `value`: literals in place, characters that do not fit as blanks.
    // `withLiterals` says whether value holds the literal characters too.
    std::string Format(std::string_view value, bool withLiterals) const;
    // Text from edit text: blanks as spaces, literals kept only when SaveLiterals.
    std::string TextOf(std::string_view editText) const;
    // False when a required position holds a blank (or the edit text does not match the mask).
    bool IsComplete(std::string_view editText) const;

private:
    std::vector<Slot> slots_;
    bool saveLiterals_ = true;
    char blank_ = DefaultBlank;
    bool leadingBlanks_ = false;
};

// The byte offsets of the characters of a UTF-8 text, and its size at the end.
std::vector<size_t> CharacterOffsets(std::string_view text);
// Formats `value` (which holds no literals unless the mask saves them) through `mask`.
std::string FormatMaskText(std::string_view mask, std::string_view value);

class TCustomMaskEdit : public TCustomEdit {
    VCL_DECLARE_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    explicit TCustomMaskEdit(TComponent* owner);

    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& value);
    bool IsMasked() const { return !pattern_.Empty(); }
    // The text as shown: literals and blank characters included.
    std::string EditText() const { return engine_.Text(); }
    void SetEditText(const std::string& value);
    // Raises EDBEditError when a required position is empty; the caret goes there.
    virtual void ValidateEdit();
    // Back to the text before editing began.
    void Reset();

protected:
    TCaption GetText() const override;
    void SetTextValue(const TCaption& value) override;
    bool TypeCharacter(char32_t character) override;
    void EditKeyDown(Word key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;

private:
    // The slot at a byte position of the edit text (the slot count at the end).
    size_t SlotAt(size_t pos) const;
    size_t PosOfSlot(size_t slot) const;
    // The first editable slot at or after / before `slot`; Slots().size() / npos when none.
    size_t NextEditable(size_t slot) const;
    size_t PreviousEditable(size_t slot) const;
    // Writes `characters` into the slots from `first`, each at the next editable slot.
    void ReplaceSlots(size_t first, size_t last, const std::vector<std::string>& characters,
                      size_t caretSlot);
    void PlaceCaretAtSlot(size_t slot);

    std::string editMask_;
    TEditMaskPattern pattern_;
    std::string savedText_;
};

class TMaskEdit : public TCustomMaskEdit {
    VCL_CLASS(TMaskEdit, TCustomMaskEdit)
public:
    explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}

    static void Publish(Published<TMaskEdit>& p) {
        PublishAnchors(p);
        PublishEditProperties(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPasswordChar(p);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishText(p);
        PublishVisible(p);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
};

}  // namespace vcl
