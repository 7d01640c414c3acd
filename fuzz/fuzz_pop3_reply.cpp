// Arbitrary server bytes for the POP3 reply reader, read as a status line, a multi-line answer and
// another status line, again and again: whatever pieces the bytes arrive in, the reader gives the
// same lines and texts, keeps each within its bound, and never holds more than it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "postrel/zylpop3reply.h"

namespace fuzz_pop3_reply {

using postrel::TZylPOP3Reader;
using Status = TZylPOP3Reader::TStatus;

constexpr size_t kBodyLimit = 2048;

struct Outcome {
    std::vector<std::string> items;
    bool tooLong = false;
};

Outcome ReadAll(const uint8_t* data, size_t size, size_t pieceSize) {
    Outcome outcome;
    TZylPOP3Reader reader;
    std::string line, body;
    int stage = 0;  // 0: status line, 1: answer, 2: passing over an answer that was too long
    for (size_t offset = 0; offset < size && !outcome.tooLong; offset += pieceSize) {
        reader.Feed(reinterpret_cast<const char*>(data + offset), std::min(pieceSize, size - offset));
        for (;;) {
            Status status = stage == 0   ? reader.NextLine(line)
                            : stage == 1 ? reader.NextBody(body, kBodyLimit)
                                         : reader.SkipBody(4 * kBodyLimit);
            if (status == Status::NeedMore) break;
            if (status == Status::TooLong && stage != 1) {
                outcome.tooLong = true;
                break;
            }
            if (stage == 0) {
                if (line.size() > TZylPOP3Reader::kMaxStatusLength) std::abort();
                if (line.find('\n') != std::string::npos) std::abort();
                outcome.items.push_back("L" + line);
                stage = 1;
            } else if (stage == 1 && status == Status::TooLong) {
                if (body.size() > kBodyLimit) std::abort();
                outcome.items.push_back("X");
                body.clear();
                stage = 2;
            } else {
                if (body.size() > kBodyLimit) std::abort();
                outcome.items.push_back("B" + body);
                body.clear();
                stage = 0;
            }
        }
        if (reader.Pending() > size) std::abort();
    }
    return outcome;
}

}  // namespace fuzz_pop3_reply

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fuzz_pop3_reply;
    if (size == 0) return 0;
    size_t pieceSize = data[0] % 23 + 1;
    Outcome whole = ReadAll(data + 1, size - 1, size);
    Outcome pieces = ReadAll(data + 1, size - 1, pieceSize);
    // Pieces may be refused sooner (a bound is checked on what has arrived); up to there they agree.
    size_t common = std::min(whole.items.size(), pieces.items.size());
    for (size_t i = 0; i < common; ++i)
        if (whole.items[i] != pieces.items[i]) std::abort();
    if (!whole.tooLong && !pieces.tooLong && whole.items != pieces.items) std::abort();
    return 0;
}
