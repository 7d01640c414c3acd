// TCustomMemo and the lines it shows.
#include <algorithm>

#include "vcl/stdctrls_edit.h"

namespace vcl {

using namespace win32;

namespace {
const bool memoClassesRegistered = [] {
    RegisterClasses({TEdit::StaticClass(), TMemo::StaticClass()});
    return true;
}();
}  // namespace

// ---------------------------------------------------------------------------------------------
// TMemoStrings

VCL_DEFINE_CLASS(TMemoStrings, TStrings)

int TMemoStrings::GetCount() const {
    const TEditEngine& engine = memo_->Engine();
    int count = engine.LineCount();
    // An empty last line (the text ends with a break) is not a line of its own.
    if (count > 0 && engine.Lines().back().length == 0) --count;
    return count;
}

std::string TMemoStrings::Get(int index) const {
    if (index < 0 || index >= GetCount()) Error("List index out of bounds (%d)", index);
    const TEditLine& line = memo_->Engine().Lines()[static_cast<size_t>(index)];
    return memo_->Engine().Text().substr(line.start, line.length);
}

void TMemoStrings::Put(int index, const std::string& s) {
    if (index < 0 || index >= GetCount()) Error("List index out of bounds (%d)", index);
    const TEditLine line = memo_->Engine().Lines()[static_cast<size_t>(index)];
    memo_->Perform(EM_SETSEL, line.start, static_cast<LPARAM>(line.End()));
    memo_->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void TMemoStrings::Insert(int index, const std::string& s) {
    const int count = GetCount();
    if (index < 0 || index > count) Error("List index out of bounds (%d)", index);
    const TEditEngine& engine = memo_->Engine();
    std::string insert;
    size_t pos = 0;
    if (index < engine.LineCount()) {
        pos = engine.Lines()[static_cast<size_t>(index)].start;
        insert = s + "\r\n";
    } else {
        pos = engine.Text().size();
        insert = "\r\n" + s;
    }
    memo_->Perform(EM_SETSEL, pos, static_cast<LPARAM>(pos));
    memo_->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(insert.c_str()));
}

void TMemoStrings::Delete(int index) {
    if (index < 0 || index >= GetCount()) Error("List index out of bounds (%d)", index);
    const TEditEngine& engine = memo_->Engine();
    const TEditLine line = engine.Lines()[static_cast<size_t>(index)];
    size_t start = line.start, end = line.Next();
    // The last line takes the break before it along.
    if (line.breakLength == 0 && end >= engine.Text().size() && index > 0) {
        const TEditLine& previous = engine.Lines()[static_cast<size_t>(index - 1)];
        start = previous.End();
    }
    memo_->Perform(EM_SETSEL, start, static_cast<LPARAM>(end));
    memo_->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
}

void TMemoStrings::Clear() {
    memo_->SetText("");
}

std::string TMemoStrings::GetTextStr() const {
    return memo_->Text();
}

void TMemoStrings::SetTextStr(std::string_view text) {
    // Breaks of any kind become the control's CR LF.
    std::string normalized;
    normalized.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            normalized += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            normalized += "\r\n";
        } else {
            normalized.push_back(c);
        }
    }
    memo_->SetText(normalized);
}

void TMemoStrings::SetUpdateState(bool updating) {
    if (!updating) memo_->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TCustomMemo

VCL_DEFINE_CLASS(TCustomMemo, TCustomEdit)

TCustomMemo::TCustomMemo(TComponent* owner)
    : TCustomEdit(owner), lines_(std::make_unique<TMemoStrings>(this)) {
    SetMultiLine(true);
    SetWordWrapValue(true);
    SetBounds(Left(), Top(), 185, 89);
    TControl::SetAutoSize(false);
}

TCustomMemo::~TCustomMemo() = default;

TPoint TCustomMemo::CaretPos() const {
    const size_t caret = engine_.Caret();
    const Integer line = engine_.LineFromPos(caret);
    return Point(static_cast<Integer>(caret - engine_.Lines()[static_cast<size_t>(line)].start), line);
}

void TCustomMemo::SetCaretPos(TPoint value) {
    const Integer line = std::clamp<Integer>(value.y, 0, engine_.LineCount() - 1);
    const TEditLine& info = engine_.Lines()[static_cast<size_t>(line)];
    const size_t column = static_cast<size_t>(std::max<Integer>(value.x, 0));
    const size_t pos = info.start + std::min(column, info.length);
    MoveCaret(pos, false);
}

void TCustomMemo::WndProc(TMessage& message) {
    TCustomEdit::WndProc(message);
}

}  // namespace vcl
