// Gathering SMTP replies from the bytes a connection delivers: whole lines across reads (CR LF,
// a bare LF tolerated), replies of any number of lines ("250-" continues, "250 " or a code alone
// ends), surplus bytes kept for the next reply, and a bound on a reply's size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace postrel {

struct TZylReply {
    // The final line's first three characters and its characters from the fourth to the 67th,
    // both trimmed of blanks and control characters.
    std::string code;
    std::string text;
    // Every line of the reply without its line end.
    std::vector<std::string> lines;
};

class TZylReplyReader {
public:
    static constexpr size_t kMaxLineLength = 2048;
    static constexpr size_t kMaxReplyLines = 256;
    static constexpr size_t kMaxTextLength = 64;

    enum class TStatus { NeedMore, Complete, TooLong };

    void Feed(const char* data, size_t size) {
        if (consumed_ > 0 && consumed_ * 2 >= buffer_.size()) {
            buffer_.erase(0, consumed_);
            consumed_ = 0;
        }
        buffer_.append(data, size);
    }

    // Takes the next whole reply out of what was fed. After TooLong the reader must be cleared.
    TStatus Next(TZylReply& reply) {
        size_t scan = consumed_;
        size_t lineCount = 0;
        for (;;) {
            size_t end = buffer_.find('\n', scan);
            if (end == std::string::npos)
                return buffer_.size() - scan > kMaxLineLength ? TStatus::TooLong : TStatus::NeedMore;
            if (end - scan > kMaxLineLength) return TStatus::TooLong;
            ++lineCount;
            std::string_view line(buffer_.data() + scan, end - scan);
            scan = end + 1;
            if (line.size() >= 4 && line[3] == '-') {
                if (lineCount >= kMaxReplyLines) return TStatus::TooLong;
                continue;
            }
            reply.lines.clear();
            size_t start = consumed_;
            while (start < scan) {
                size_t stop = buffer_.find('\n', start);
                std::string_view piece(buffer_.data() + start, stop - start);
                if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
                reply.lines.emplace_back(piece);
                start = stop + 1;
            }
            consumed_ = scan;
            const std::string& last = reply.lines.back();
            reply.code = Trimmed(std::string_view(last).substr(0, 3));
            reply.text =
                last.size() > 3 ? Trimmed(std::string_view(last).substr(3, kMaxTextLength)) : std::string();
            return TStatus::Complete;
        }
    }

    // Bytes fed but not yet part of a whole reply.
    size_t Pending() const { return buffer_.size() - consumed_; }
    void Clear() {
        buffer_.clear();
        consumed_ = 0;
    }

private:
    static std::string Trimmed(std::string_view s) {
        size_t begin = 0, end = s.size();
        while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ')
            ++begin;
        while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ')
            --end;
        return std::string(s.substr(begin, end - begin));
    }

    std::string buffer_;
    size_t consumed_ = 0;
};

// What a server's EHLO reply offers (RFC 5321 section 4.1.1.1): each line after the first names an
// extension and its parameters.
struct TZylSMTPCapabilities {
    bool StartTls = false;
    // Upper case, in the server's order, without repeats.
    std::vector<std::string> AuthMechanisms;

    bool Offers(std::string_view mechanism) const {
        for (const auto& offered : AuthMechanisms)
            if (offered == mechanism) return true;
        return false;
    }
};

// Reads the lines of an EHLO reply ("250-STARTTLS", "250 AUTH PLAIN LOGIN"; the old "AUTH=LOGIN"
// form too). Keywords are matched without regard to case; anything unknown is passed over.
TZylSMTPCapabilities ParseEhloCapabilities(const std::vector<std::string>& lines);

}  // namespace postrel
