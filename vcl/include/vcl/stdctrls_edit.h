// Edit controls: the editing engine shared by every text control (text, caret, selection, undo and
// line layout), TCustomEdit/TEdit (single line) and TCustomMemo/TMemo (multi-line).
//
// Positions in the text are byte offsets into the UTF-8 text, as the narrow-character interface of
// the platform counts them; every position the engine hands out lies on a character boundary, and
// positions coming in are moved back to the start of the character they fall into.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "vcl/controls.h"
#include "vcl/stringlist.h"

#include "win32/controls.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// The editing engine

// One displayed line: `length` bytes of text from `start`, then `breakLength` bytes of line break
// (0 for a line wrapped inside a paragraph and for the last line).
struct TEditLine {
    size_t start = 0;
    size_t length = 0;
    size_t breakLength = 0;
    size_t End() const { return start + length; }
    size_t Next() const { return start + length + breakLength; }
};

// Text, selection, one level of undo and the division into displayed lines. The owner supplies the
// measurement (cumulative advance of every character of a run) and the wrapping width.
class TEditEngine {
public:
    // The advance of one character (the bytes of one code point, or one stray byte).
    using TMeasure = std::function<int(std::string_view character)>;

    TEditEngine();

    const std::string& Text() const { return text_; }
    // Replaces everything: the selection goes to the start, the undo record is emptied.
    void SetText(std::string text);

    size_t Anchor() const { return anchor_; }
    size_t Caret() const { return caret_; }
    size_t SelStart() const { return std::min(anchor_, caret_); }
    size_t SelEnd() const { return std::max(anchor_, caret_); }
    std::string SelText() const { return text_.substr(SelStart(), SelEnd() - SelStart()); }
    // Clamped to the text and moved back to a character boundary.
    void Select(size_t anchor, size_t caret);

    // Replaces the selection; `typing` joins consecutive typed characters into one undo step.
    void ReplaceSelection(std::string_view insert, bool typing);
    bool CanUndo() const { return undoValid_; }
    // Undoes the last change; undoing again redoes it.
    void Undo();
    void EmptyUndoBuffer() { undoValid_ = false; }

    // Character and word boundaries.
    size_t Snap(size_t pos) const;
    size_t NextChar(size_t pos) const;
    size_t PrevChar(size_t pos) const;
    size_t NextWord(size_t pos) const;
    size_t PrevWord(size_t pos) const;
    // The word (or run of blanks) around pos.
    void WordAt(size_t pos, size_t& start, size_t& end) const;

    // Layout
    void SetMultiLine(bool value);
    bool MultiLine() const { return multiLine_; }
    // Wraps at spaces to this width in pixels; 0 or less keeps paragraphs on one line each.
    void SetWrapWidth(int width);
    int WrapWidth() const { return wrapWidth_; }
    void SetMeasure(TMeasure measure);
    // Forget the layout (after the font changed).
    void Invalidate() { layoutValid_ = false; }
    const std::vector<TEditLine>& Lines() const;
    int LineCount() const { return static_cast<int>(Lines().size()); }
    // The line holding pos (a position at a wrap belongs to the following line).
    int LineFromPos(size_t pos) const;
    // The x of pos from the start of its line.
    int XOfPos(size_t pos) const;
    // The position on `line` nearest to x.
    size_t PosAtX(int line, int x) const;
    // The width of the widest line.
    int MaxLineWidth() const;

private:
    void Layout() const;
    void LayoutParagraph(size_t start, size_t end, size_t breakLength) const;
    // xs[i] is the x of position start + i from start (continuation bytes repeat their character's).
    void Advances(size_t start, size_t end, std::vector<int>& xs) const;

    std::string text_;
    size_t anchor_ = 0;
    size_t caret_ = 0;
    // The one undo step: at undoPos_, undoInserted_ replaced undoRemoved_.
    bool undoValid_ = false;
    bool undoTyping_ = false;
    size_t undoPos_ = 0;
    std::string undoRemoved_;
    std::string undoInserted_;

    bool multiLine_ = false;
    int wrapWidth_ = 0;
    TMeasure measure_;
    mutable bool layoutValid_ = false;
    mutable std::vector<TEditLine> lines_;
    mutable std::vector<int> scratch_;
    mutable int maxLineWidth_ = -1;
};

// ---------------------------------------------------------------------------------------------
// Edit controls

enum class TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };
VCL_ENUM_NAMES(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")
using enum TEditCharCase;

enum class TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
VCL_ENUM_NAMES(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")
using enum TScrollStyle;

class TCustomEdit : public TWinControl {
    VCL_DECLARE_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;

    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    void SetAutoSize(bool value) override;
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TEditCharCase CharCase() const { return charCase_; }
    // Converts the present text too.
    void SetCharCase(TEditCharCase value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    // 0: no limit. Text already longer stays.
    Integer MaxLength() const { return maxLength_; }
    void SetMaxLength(Integer value);
    bool OEMConvert() const { return oemConvert_; }
    void SetOEMConvert(bool value) { oemConvert_ = value; }
    // '\0': the text shows.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }

    Integer SelStart() const { return static_cast<Integer>(engine_.SelStart()); }
    // Collapses the selection at value.
    void SetSelStart(Integer value);
    Integer SelLength() const { return static_cast<Integer>(engine_.SelEnd() - engine_.SelStart()); }
    void SetSelLength(Integer value);
    std::string SelText() const { return engine_.SelText(); }
    // Replaces the selection (honours CharCase and MaxLength, not ReadOnly, like EM_REPLACESEL).
    void SetSelText(const std::string& value);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Clear();
    bool CanUndo() const { return engine_.CanUndo(); }
    void Undo();
    void ClearUndo() { engine_.EmptyUndoBuffer(); }
    // The selection as (start, end) of the text; copies at most bufSize - 1 bytes and a NUL.
    Integer GetSelTextBuf(char* buffer, Integer bufSize) const;
    void SetSelTextBuf(const char* buffer) { SetSelText(buffer ? std::string(buffer) : std::string()); }

    // The engine (layout, positions) for the controls built on this one.
    const TEditEngine& Engine() const { return engine_; }

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnChange;

    static void Publish(Published<TCustomEdit>&) {}

    template <typename T>
    static void PublishEditProperties(Published<T>& p) {
        p.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomEdit::SetAutoSize, true);
        p.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle);
        p.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, ecNormal);
    }
    template <typename T>
    static void PublishHideSelectionMaxLength(Published<T>& p) {
        p.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, true);
        p.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0);
    }
    template <typename T>
    static void PublishPasswordChar(Published<T>& p) {
        p.Property("PasswordChar", &TCustomEdit::PasswordCharText, &TCustomEdit::SetPasswordCharText);
    }
    template <typename T>
    static void PublishReadOnly(Published<T>& p) {
        p.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false);
    }
    template <typename T>
    static void PublishOnChange(Published<T>& p) {
        p.template Event<TNotifyEvent>("OnChange", &TCustomEdit::OnChange);
    }

    // PasswordChar as a form file holds it: one character, empty for none.
    std::string PasswordCharText() const {
        return passwordChar_ ? std::string(1, passwordChar_) : std::string();
    }
    void SetPasswordCharText(const std::string& value) { SetPasswordChar(value.empty() ? '\0' : value[0]); }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void Loaded() override;
    TCaption GetText() const override;
    void SetTextValue(const TCaption& value) override;
    void PaintWindow(win32::HDC dc) override;
    void DoEnter() override;
    void Resize() override;
    bool CanAutoSize(Integer& newWidth, Integer& newHeight) override;

    virtual void Change();
    // The text as typed or pasted would enter: case conversion; controls below refine it.
    virtual std::string FilterInsert(std::string_view text) const;
    // A character typed (KeyPress left it); false when the control ignores it.
    virtual bool TypeCharacter(char32_t character);
    // Keys of the native edit after OnKeyDown (arrows, Home/End, Delete, clipboard shortcuts).
    virtual void EditKeyDown(Word key, TShiftState shift);
    // Replaces the selection as the user does: ReadOnly refuses, MaxLength cuts; true when changed.
    bool UserReplace(std::string_view text, bool typing);
    // Replaces the selection without the user checks (except MaxLength), notifying the change.
    void ReplaceAndNotify(std::string_view text, bool typing, bool enforceLimit);
    // Moves the caret (extending the selection when `extend`), keeps it in view.
    void MoveCaret(size_t pos, bool extend);
    // After the text or selection changed: keep the caret visible, repaint, place the caret.
    void SelectionChanged();
    void NotifyParent(win32::WORD code);

    // Multi-line behaviour (set by the memo).
    void SetMultiLine(bool value);
    bool IsMultiLine() const { return engine_.MultiLine(); }
    void SetWordWrapValue(bool value);
    bool WordWrapValue() const { return wordWrap_; }
    TScrollStyle ScrollBarsValue() const { return scrollBars_; }
    void SetScrollBarsValue(TScrollStyle value);
    // Single lines are aligned too, while they fit the formatting rectangle.
    TAlignment AlignmentValue() const { return alignment_; }
    void SetAlignmentValue(TAlignment value);
    bool wantReturns_ = true;
    bool wantTabs_ = false;

    // Geometry
    // The formatting rectangle in client coordinates.
    TRect FormatRect() const;
    Integer LineHeight() const;
    Integer VisibleLineCount() const;
    Integer FirstVisibleLine() const { return firstLine_; }
    // The client point of the character at pos (its top-left).
    TPoint PosToPoint(size_t pos) const;
    // The nearest position to a client point.
    size_t PointToPos(TPoint point) const;
    void ScrollCaretIntoView();
    // Scrolls by lines and pixels; returns false when nothing moved.
    bool ScrollBy(Integer lines, Integer pixels);
    void UpdateScrollBars();

    TEditEngine engine_;
    bool modified_ = false;

private:
    int MeasureCharacter(std::string_view character) const;
    void FreeMeasureContext() const;
    void RelayoutWidth();
    void UpdateCaret();
    void MouseSelect(TPoint point, bool extend);
    void HandleEditMessage(TMessage& message);
    void HandleScrollMessage(TMessage& message, bool vertical);
    // Steps of WndProc and HandleEditMessage; the LRESULTs are the answers to the messages.
    win32::LRESULT DialogCode() const;
    void BeginMouseSelection(TPoint point, bool byWord, bool extend);
    void ShowLineCaret();
    void ShowFocus();
    void HideFocus();
    void ForgetFontMeasurements();
    void FitToFont();
    win32::LRESULT ReportSelection(win32::DWORD* start, win32::DWORD* end) const;
    void SetSelectionRange(Int64 start, Int64 end);
    Integer LineFromCharacter(Int64 index) const;
    win32::LRESULT LineStartOf(Integer line) const;
    win32::LRESULT LineLengthAt(Int64 index) const;
    win32::LRESULT CopyLine(Int64 line, char* buffer) const;
    void SetFormatRect(const win32::RECT* rect, bool relative);
    void SetMargins(win32::WPARAM which, win32::WORD left, win32::WORD right);
    win32::LRESULT PositionOfCharacter(size_t index) const;
    win32::LRESULT CharacterAtPoint(TPoint point) const;
    void ScrollToCaret();
    Integer AverageCharacterWidth() const;
    win32::LRESULT ScrollByCommand(win32::WORD command);
    void ApplyCharCaseToText();
    Integer AlignmentOffset(const TEditLine& line) const;

    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
    TEditCharCase charCase_ = ecNormal;
    bool hideSelection_ = true;
    Integer maxLength_ = 0;
    bool oemConvert_ = false;
    char passwordChar_ = '\0';
    bool readOnly_ = false;
    bool wordWrap_ = false;
    TScrollStyle scrollBars_ = ssNone;
    TAlignment alignment_ = TAlignment::taLeftJustify;

    Integer firstLine_ = 0;
    Integer scrollX_ = 0;
    Integer leftMargin_ = 1;
    Integer rightMargin_ = 1;
    bool customRect_ = false;
    TRect formatRect_{0, 0, 0, 0};
    bool mouseSelecting_ = false;
    size_t wordAnchorStart_ = 0;
    size_t wordAnchorEnd_ = 0;
    bool wordSelecting_ = false;
    // Keeps the x of vertical caret moves across lines of different lengths.
    Integer desiredX_ = -1;

    mutable win32::HDC measureDC_ = nullptr;
    mutable std::unordered_map<uint32_t, int> advanceCache_;
    mutable Integer lineHeight_ = 0;
};

class TEdit : public TCustomEdit {
    VCL_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}

    static void Publish(Published<TEdit>& p) {
        PublishAnchors(p);
        PublishEditProperties(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        p.Property("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert, false);
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

// ---------------------------------------------------------------------------------------------
// Memos

class TCustomMemo;

// The lines of a memo as displayed (wrapped lines count separately); Text is the memo's text.
class TMemoStrings : public TStrings {
    VCL_DECLARE_CLASS(TMemoStrings, TStrings)
public:
    explicit TMemoStrings(TCustomEdit* memo) : memo_(memo) {}

    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;

protected:
    std::string Get(int index) const override;
    int GetCount() const override;
    void Put(int index, const std::string& s) override;
    std::string GetTextStr() const override;
    void SetTextStr(std::string_view text) override;
    void SetUpdateState(bool updating) override;

private:
    TCustomEdit* memo_ = nullptr;
};

class TCustomMemo : public TCustomEdit {
    VCL_DECLARE_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return lines_.get(); }
    void SetLines(const TStrings* value) { lines_->Assign(value); }
    bool WordWrap() const { return WordWrapValue(); }
    void SetWordWrap(bool value) { SetWordWrapValue(value); }
    TScrollStyle ScrollBars() const { return ScrollBarsValue(); }
    void SetScrollBars(TScrollStyle value) { SetScrollBarsValue(value); }
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool value) { wantReturns_ = value; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool value) { wantTabs_ = value; }
    TAlignment Alignment() const { return AlignmentValue(); }
    void SetAlignment(TAlignment value) { SetAlignmentValue(value); }
    // Line and column (byte offset in the line) of the caret.
    TPoint CaretPos() const;
    void SetCaretPos(TPoint value);

    void WndProc(TMessage& message) override;

    template <typename T>
    static void PublishMemoProperties(Published<T>& p) {
        p.Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment,
                   TAlignment::taLeftJustify);
    }

private:
    std::unique_ptr<TMemoStrings> lines_;
};

class TMemo : public TCustomMemo {
    VCL_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}

    static void Publish(Published<TMemo>& p) {
        PublishAlign(p);
        PublishMemoProperties(p);
        PublishAnchors(p);
        p.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        p.Property("Lines", &TCustomMemo::Lines);
        p.Property("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert, false);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        p.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, ssNone);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns, true);
        p.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs, false);
        p.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, true);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
};

}  // namespace vcl
