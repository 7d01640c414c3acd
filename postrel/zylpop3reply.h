// Gathering POP3 replies from the bytes a connection delivers (RFC 1939): status lines one whole line
// at a time, and multi-line answers (RETR, TOP) up to their terminating "." line with the dot
// stuffing undone, across reads of any size. Bytes beyond a reply are kept for the next one, and
// every reply is bounded, so that no server can make the reader grow without limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace postrel {

class TZylPOP3Reader {
public:
    // A status line longer than this is refused (RFC 2449 allows 512 octets).
    static constexpr size_t kMaxStatusLength = 4096;

    enum class TStatus { NeedMore, Complete, TooLong };

    void Feed(const char* data, size_t size);

    // Takes the next whole line, without its line end (CR LF, or a bare LF).
    TStatus NextLine(std::string& line);

    // Appends the lines of a multi-line answer to text as they arrive, each with its own line end,
    // a leading "." of a line removed, until the line "."; Complete once that line is taken. TooLong
    // when the text would pass limit bytes: nothing more is appended, and the rest of the answer
    // can be passed over with SkipBody.
    TStatus NextBody(std::string& text, size_t limit);

    // Passes over the lines of a multi-line answer up to the line "." without keeping them. TooLong
    // once more than limit bytes were passed over in this answer.
    TStatus SkipBody(size_t limit);

    // Bytes fed but not yet taken.
    size_t Pending() const { return buffer_.size() - consumed_; }
    void Clear();

private:
    // The position after the last line end among the pending bytes, or consumed_ when none.
    size_t CompleteLinesEnd() const;
    // Whether the bytes after the last whole line may be the start of the terminating line.
    bool PendingMayEnd() const;
    void Compact();

    std::string buffer_;
    size_t consumed_ = 0;
    size_t skipped_ = 0;
};

}  // namespace postrel
