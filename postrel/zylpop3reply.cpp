#include "zylpop3reply.h"

#include <algorithm>
#include <cstring>

namespace postrel {

namespace {

// Whether the line (from its first character to its LF) is the terminating ".".
bool IsTerminator(const char* line, size_t lengthWithLineFeed) {
    return (lengthWithLineFeed == 2 && line[0] == '.') ||
           (lengthWithLineFeed == 3 && line[0] == '.' && line[1] == '\r');
}

}  // namespace

void TZylPOP3Reader::Feed(const char* data, size_t size) {
    Compact();
    buffer_.append(data, size);
}

void TZylPOP3Reader::Clear() {
    buffer_.clear();
    consumed_ = 0;
    skipped_ = 0;
}

void TZylPOP3Reader::Compact() {
    // Taken bytes are dropped only when they are at least half the buffer, so that a long answer
    // read in small pieces stays linear.
    if (consumed_ > 0 && consumed_ * 2 >= buffer_.size()) {
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
}

bool TZylPOP3Reader::PendingMayEnd() const {
    // "." or ".\r" may still become the terminating line, which adds nothing to the text.
    const size_t pending = Pending();
    return pending >= 1 && pending <= 2 && buffer_[consumed_] == '.' &&
           (pending == 1 || buffer_[consumed_ + 1] == '\r');
}

size_t TZylPOP3Reader::CompleteLinesEnd() const {
    size_t last = buffer_.rfind('\n');
    return last == std::string::npos || last < consumed_ ? consumed_ : last + 1;
}

TZylPOP3Reader::TStatus TZylPOP3Reader::NextLine(std::string& line) {
    const void* hit = std::memchr(buffer_.data() + consumed_, '\n', Pending());
    if (!hit) return Pending() > kMaxStatusLength ? TStatus::TooLong : TStatus::NeedMore;
    size_t end = static_cast<size_t>(static_cast<const char*>(hit) - buffer_.data());
    if (end - consumed_ > kMaxStatusLength) return TStatus::TooLong;
    size_t stop = end;
    if (stop > consumed_ && buffer_[stop - 1] == '\r') --stop;
    line.assign(buffer_, consumed_, stop - consumed_);
    consumed_ = end + 1;
    return TStatus::Complete;
}

TZylPOP3Reader::TStatus TZylPOP3Reader::NextBody(std::string& text, size_t limit) {
    const size_t linesEnd = CompleteLinesEnd();
    const char* data = buffer_.data();
    size_t position = consumed_;
    while (position < linesEnd) {
        const size_t lineStart = position;
        if (data[position] == '.') {
            const char* lineFeed =
                static_cast<const char*>(std::memchr(data + position, '\n', linesEnd - position));
            size_t length = static_cast<size_t>(lineFeed - (data + position)) + 1;
            if (IsTerminator(data + position, length)) {
                consumed_ = position + length;
                skipped_ = 0;
                return TStatus::Complete;
            }
            ++position;  // the stuffed dot
        }
        // Everything up to the next line that begins with a dot goes over in one piece.
        const void* dotLine = memmem(data + position, linesEnd - position, "\n.", 2);
        size_t pieceEnd =
            dotLine ? static_cast<size_t>(static_cast<const char*>(dotLine) - data) + 1 : linesEnd;
        if (text.size() + (pieceEnd - position) > limit) {
            consumed_ = lineStart;  // SkipBody goes on from a whole line
            return TStatus::TooLong;
        }
        text.append(data + position, pieceEnd - position);
        position = pieceEnd;
    }
    consumed_ = position;
    if (Pending() > limit - std::min(limit, text.size()) && !PendingMayEnd()) return TStatus::TooLong;
    return TStatus::NeedMore;
}

TZylPOP3Reader::TStatus TZylPOP3Reader::SkipBody(size_t limit) {
    const size_t linesEnd = CompleteLinesEnd();
    const char* data = buffer_.data();
    size_t position = consumed_;
    while (position < linesEnd) {
        const char* lineFeed =
            static_cast<const char*>(std::memchr(data + position, '\n', linesEnd - position));
        size_t length = static_cast<size_t>(lineFeed - (data + position)) + 1;
        if (IsTerminator(data + position, length)) {
            consumed_ = position + length;
            skipped_ = 0;
            return TStatus::Complete;
        }
        skipped_ += length;
        position += length;
        if (skipped_ > limit) {
            consumed_ = position;
            return TStatus::TooLong;
        }
    }
    consumed_ = position;
    if (skipped_ + Pending() > limit && !PendingMayEnd()) return TStatus::TooLong;
    return TStatus::NeedMore;
}

}  // namespace postrel
