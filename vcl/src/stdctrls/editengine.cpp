// The editing engine: text, selection, undo and line layout shared by every text control.
#include <algorithm>

#include "vcl/stdctrls_edit.h"

namespace vcl {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The byte count a lead byte announces (1 for ASCII and for bytes that cannot lead).
size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

TEditEngine::TEditEngine() = default;

void TEditEngine::SetText(std::string text) {
    text_ = std::move(text);
    anchor_ = caret_ = 0;
    undoValid_ = false;
    layoutValid_ = false;
}

void TEditEngine::Select(size_t anchor, size_t caret) {
    anchor_ = Snap(anchor);
    caret_ = Snap(caret);
}

size_t TEditEngine::Snap(size_t pos) const {
    const size_t size = text_.size();
    if (pos >= size) return size;
    if (IsContinuation(static_cast<unsigned char>(text_[pos]))) {
        for (size_t back = 1; back <= 3 && back <= pos; ++back) {
            const auto c = static_cast<unsigned char>(text_[pos - back]);
            if (IsContinuation(c)) continue;
            if (SequenceLength(c) > back) {
                bool whole = true;
                for (size_t i = pos - back + 1; i < pos; ++i)
                    whole = whole && IsContinuation(static_cast<unsigned char>(text_[i]));
                if (whole) return pos - back;
            }
            break;
        }
    }
    if (multiLine_ && pos > 0 && text_[pos] == '\n' && text_[pos - 1] == '\r') return pos - 1;
    return pos;
}

size_t TEditEngine::NextChar(size_t pos) const {
    const size_t size = text_.size();
    if (pos >= size) return size;
    if (multiLine_ && text_[pos] == '\r' && pos + 1 < size && text_[pos + 1] == '\n') return pos + 2;
    const size_t length = SequenceLength(static_cast<unsigned char>(text_[pos]));
    size_t next = pos + 1;
    while (next < size && next < pos + length && IsContinuation(static_cast<unsigned char>(text_[next])))
        ++next;
    return next;
}

size_t TEditEngine::PrevChar(size_t pos) const {
    if (pos == 0) return 0;
    pos = std::min(pos, text_.size());
    if (multiLine_ && pos >= 2 && text_[pos - 1] == '\n' && text_[pos - 2] == '\r') return pos - 2;
    return Snap(pos - 1);
}

size_t TEditEngine::NextWord(size_t pos) const {
    const size_t size = text_.size();
    pos = Snap(pos);
    while (pos < size && !IsBlank(static_cast<unsigned char>(text_[pos])))
        pos = NextChar(pos);
    while (pos < size && IsBlank(static_cast<unsigned char>(text_[pos])))
        pos = NextChar(pos);
    return pos;
}

size_t TEditEngine::PrevWord(size_t pos) const {
    pos = Snap(pos);
    while (pos > 0 && IsBlank(static_cast<unsigned char>(text_[PrevChar(pos)])))
        pos = PrevChar(pos);
    while (pos > 0 && !IsBlank(static_cast<unsigned char>(text_[PrevChar(pos)])))
        pos = PrevChar(pos);
    return pos;
}

void TEditEngine::WordAt(size_t pos, size_t& start, size_t& end) const {
    const size_t size = text_.size();
    pos = Snap(pos);
    // At the end of a word the word to the left counts.
    if ((pos == size || IsBlank(static_cast<unsigned char>(text_[pos]))) && pos > 0 &&
        !IsBlank(static_cast<unsigned char>(text_[PrevChar(pos)])))
        pos = PrevChar(pos);
    if (pos >= size) {
        start = end = size;
        return;
    }
    const bool blank = IsBlank(static_cast<unsigned char>(text_[pos]));
    start = pos;
    while (start > 0 && IsBlank(static_cast<unsigned char>(text_[PrevChar(start)])) == blank &&
           !(multiLine_ && (text_[start - 1] == '\n')))
        start = PrevChar(start);
    end = pos;
    while (end < size && IsBlank(static_cast<unsigned char>(text_[end])) == blank &&
           !(multiLine_ && (text_[end] == '\r' || text_[end] == '\n')))
        end = NextChar(end);
    if (end == start) end = NextChar(start);
}

void TEditEngine::ReplaceSelection(std::string_view insert, bool typing) {
    const size_t start = SelStart(), end = SelEnd();
    if (start == end && insert.empty()) return;
    const bool joins =
        typing && undoValid_ && undoTyping_ && start == end && start == undoPos_ + undoInserted_.size();
    if (joins) {
        undoInserted_.append(insert);
    } else {
        undoValid_ = true;
        undoTyping_ = typing;
        undoPos_ = start;
        undoRemoved_.assign(text_, start, end - start);
        undoInserted_.assign(insert);
    }
    text_.replace(start, end - start, insert);
    anchor_ = caret_ = start + insert.size();
    layoutValid_ = false;
}

void TEditEngine::Undo() {
    if (!undoValid_) return;
    text_.replace(undoPos_, undoInserted_.size(), undoRemoved_);
    std::swap(undoRemoved_, undoInserted_);
    undoTyping_ = false;
    anchor_ = undoPos_;
    caret_ = undoPos_ + undoInserted_.size();
    layoutValid_ = false;
}

void TEditEngine::SetMultiLine(bool value) {
    if (multiLine_ == value) return;
    multiLine_ = value;
    layoutValid_ = false;
}

void TEditEngine::SetWrapWidth(int width) {
    width = std::max(width, 0);
    if (wrapWidth_ == width) return;
    wrapWidth_ = width;
    layoutValid_ = false;
}

void TEditEngine::SetMeasure(TMeasure measure) {
    measure_ = std::move(measure);
    layoutValid_ = false;
}

const std::vector<TEditLine>& TEditEngine::Lines() const {
    if (!layoutValid_) Layout();
    return lines_;
}

void TEditEngine::Advances(size_t start, size_t end, std::vector<int>& xs) const {
    xs.assign(end - start + 1, 0);
    int x = 0;
    size_t pos = start;
    while (pos < end) {
        const size_t next = std::min(NextChar(pos), end);
        for (size_t i = pos; i < next; ++i)
            xs[i - start] = x;
        x += measure_ ? measure_(std::string_view(text_).substr(pos, next - pos)) : 8;
        pos = next;
    }
    xs[end - start] = x;
}

void TEditEngine::Layout() const {
    lines_.clear();
    maxLineWidth_ = -1;
    layoutValid_ = true;
    const size_t size = text_.size();
    if (!multiLine_) {
        lines_.push_back(TEditLine{0, size, 0});
        return;
    }
    size_t start = 0;
    for (;;) {
        const size_t newline = text_.find('\n', start);
        if (newline == std::string::npos) {
            LayoutParagraph(start, size, 0);
            return;
        }
        const bool crlf = newline > start && text_[newline - 1] == '\r';
        LayoutParagraph(start, crlf ? newline - 1 : newline, crlf ? 2 : 1);
        start = newline + 1;
    }
}

void TEditEngine::LayoutParagraph(size_t start, size_t end, size_t breakLength) const {
    if (wrapWidth_ <= 0 || start == end) {
        lines_.push_back(TEditLine{start, end - start, breakLength});
        return;
    }
    std::vector<int>& xs = scratch_;
    Advances(start, end, xs);
    size_t lineStart = start;
    while (lineStart < end) {
        const int base = xs[lineStart - start];
        if (xs[end - start] - base <= wrapWidth_) break;
        // The last position that still fits, at least one character in.
        size_t fit = NextChar(lineStart);
        for (size_t pos = fit; pos < end;) {
            const size_t next = NextChar(pos);
            if (xs[std::min(next, end) - start] - base > wrapWidth_) break;
            fit = pos = next;
        }
        // Break after the last blank that fits; blanks at the break stay on the line.
        size_t breakAt = fit;
        for (size_t pos = fit; pos > lineStart; --pos)
            if (text_[pos - 1] == ' ' || text_[pos - 1] == '\t') {
                breakAt = pos;
                break;
            }
        while (breakAt < end && (text_[breakAt] == ' ' || text_[breakAt] == '\t'))
            ++breakAt;
        if (breakAt >= end) break;
        lines_.push_back(TEditLine{lineStart, breakAt - lineStart, 0});
        lineStart = breakAt;
    }
    lines_.push_back(TEditLine{lineStart, end - lineStart, breakLength});
}

int TEditEngine::LineFromPos(size_t pos) const {
    const auto& lines = Lines();
    auto it = std::upper_bound(lines.begin(), lines.end(), pos,
                               [](size_t p, const TEditLine& line) { return p < line.start; });
    if (it == lines.begin()) return 0;
    return static_cast<int>(it - lines.begin()) - 1;
}

int TEditEngine::XOfPos(size_t pos) const {
    const auto& lines = Lines();
    const TEditLine& line = lines[static_cast<size_t>(LineFromPos(pos))];
    pos = std::clamp(pos, line.start, line.End());
    Advances(line.start, line.End(), scratch_);
    return scratch_[pos - line.start];
}

size_t TEditEngine::PosAtX(int lineIndex, int x) const {
    const auto& lines = Lines();
    lineIndex = std::clamp(lineIndex, 0, static_cast<int>(lines.size()) - 1);
    const TEditLine& line = lines[static_cast<size_t>(lineIndex)];
    Advances(line.start, line.End(), scratch_);
    size_t best = line.start;
    for (size_t pos = line.start; pos < line.End();) {
        const size_t next = NextChar(pos);
        const int left = scratch_[pos - line.start];
        const int right = scratch_[std::min(next, line.End()) - line.start];
        if (x < (left + right + 1) / 2) return pos;
        best = pos = next;
    }
    // A wrapped line ends where the next begins; the caret stays before its trailing blank.
    if (line.breakLength == 0 && static_cast<size_t>(lineIndex) + 1 < lines.size() && best > line.start)
        return PrevChar(best);
    return best;
}

int TEditEngine::MaxLineWidth() const {
    const auto& lines = Lines();
    if (maxLineWidth_ < 0) {
        int widest = 0;
        for (const TEditLine& line : lines) {
            Advances(line.start, line.End(), scratch_);
            widest = std::max(widest, scratch_.back());
        }
        maxLineWidth_ = widest;
    }
    return maxLineWidth_;
}

}  // namespace vcl
