// Arbitrary server bytes for the SMTP reply reader: whatever arrives, in whatever pieces, it must
// give the same replies, keep each within its bounds, and never read past what it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "postrel/zylsmtpreply.h"

namespace {

using postrel::TZylReply;
using postrel::TZylReplyReader;

struct Outcome {
    std::vector<std::string> replies;
    bool tooLong = false;
};

Outcome ReadAll(const uint8_t* data, size_t size, size_t pieceSize) {
    Outcome outcome;
    TZylReplyReader reader;
    TZylReply reply;
    for (size_t offset = 0; offset < size && !outcome.tooLong; offset += pieceSize) {
        size_t piece = std::min(pieceSize, size - offset);
        reader.Feed(reinterpret_cast<const char*>(data + offset), piece);
        for (;;) {
            auto status = reader.Next(reply);
            if (status == TZylReplyReader::TStatus::NeedMore) break;
            if (status == TZylReplyReader::TStatus::TooLong) {
                outcome.tooLong = true;
                break;
            }
            if (reply.lines.empty() || reply.lines.size() > TZylReplyReader::kMaxReplyLines) abort();
            if (reply.code.size() > 3 || reply.text.size() > TZylReplyReader::kMaxTextLength) abort();
            for (const auto& line : reply.lines)
                if (line.size() > TZylReplyReader::kMaxLineLength) abort();
            std::string joined = reply.code + '\x01' + reply.text;
            for (const auto& line : reply.lines)
                joined += '\x02' + line;
            outcome.replies.push_back(joined);
        }
        if (reader.Pending() > size) abort();
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t pieceSize = data[0] % 17 + 1;
    Outcome whole = ReadAll(data + 1, size - 1, size);
    Outcome pieces = ReadAll(data + 1, size - 1, pieceSize);
    // Pieces may stop at an overlong reply sooner; up to there they must agree.
    if (!whole.tooLong && !pieces.tooLong && whole.replies != pieces.replies) abort();
    size_t common = std::min(whole.replies.size(), pieces.replies.size());
    for (size_t i = 0; i < common; ++i)
        if (whole.replies[i] != pieces.replies[i]) abort();
    return 0;
}
