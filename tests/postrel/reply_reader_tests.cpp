#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "postrel/zylsmtpreply.h"

namespace {

using postrel::TZylReply;
using postrel::TZylReplyReader;
using Status = TZylReplyReader::TStatus;

// Feeds the pieces one after the other and collects "code|text|line count" of every reply.
std::vector<std::string> ReadReplies(const std::vector<std::string>& pieces, Status* last = nullptr) {
    TZylReplyReader reader;
    TZylReply reply;
    std::vector<std::string> replies;
    Status status = Status::NeedMore;
    for (const auto& piece : pieces) {
        reader.Feed(piece.data(), piece.size());
        while ((status = reader.Next(reply)) == Status::Complete)
            replies.push_back(reply.code + "|" + reply.text + "|" + std::to_string(reply.lines.size()));
        if (status == Status::TooLong) break;
    }
    if (last) *last = status;
    return replies;
}

TEST(ReplyReader, GathersLinesAndRepliesHoweverTheyArrive) {
    struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> replies;
    } cases[] = {
        {{"220 ready\r\n"}, {"220|ready|1"}},
        {{"22", "0 rea", "dy\r", "\n"}, {"220|ready|1"}},
        {{"220-first\r\n220 second\r\n"}, {"220|second|2"}},
        {{"250-a\r\n", "250-b\r\n250-c\r\n", "250 d\r\n"}, {"250|d|4"}},
        {{"250-a\n250\n"}, {"250||2"}},
        {{"250 one\r\n354 two\r\n"}, {"250|one|1", "354|two|1"}},
        {{"250 one\r\n35", "4 two\r\n"}, {"250|one|1", "354|two|1"}},
        {{"250 partial"}, {}},
        {{"\r\n"}, {"||1"}},
        {{"5\r\n"}, {"5||1"}},
        {{"421  spaced   \r\n"}, {"421|spaced|1"}},
        {{"250 " + std::string(100, 'x') + "\r\n"}, {"250|" + std::string(63, 'x') + "|1"}},
        {{std::string("250 nul\0inside\r\n", 16)}, {"250|" + std::string("nul\0inside", 10) + "|1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pieces[0]);
        EXPECT_EQ(ReadReplies(c.pieces), c.replies);
        std::string whole;
        for (const auto& piece : c.pieces)
            whole += piece;
        std::vector<std::string> bytes;
        for (char ch : whole)
            bytes.emplace_back(1, ch);
        EXPECT_EQ(ReadReplies(bytes), c.replies);
    }
}

TEST(ReplyReader, BoundsTheSizeOfALineAndOfAReply) {
    Status status;
    EXPECT_TRUE(ReadReplies({std::string(TZylReplyReader::kMaxLineLength + 1, 'x')}, &status).empty());
    EXPECT_EQ(status, Status::TooLong);
    ReadReplies({std::string(TZylReplyReader::kMaxLineLength, 'x')}, &status);
    EXPECT_EQ(status, Status::NeedMore);
    std::string many;
    for (size_t i = 0; i < TZylReplyReader::kMaxReplyLines; ++i)
        many += "250-more\r\n";
    ReadReplies({many}, &status);
    EXPECT_EQ(status, Status::TooLong);
    std::string enough;
    for (size_t i = 0; i + 1 < TZylReplyReader::kMaxReplyLines; ++i)
        enough += "250-more\r\n";
    EXPECT_EQ(ReadReplies({enough + "250 done\r\n"}), std::vector<std::string>{"250|done|256"});
}

TEST(ReplyReader, KeepsWhatFollowsAReplyAcrossManyFeeds) {
    TZylReplyReader reader;
    TZylReply reply;
    std::string stream;
    for (int i = 0; i < 2000; ++i)
        stream += "250 reply " + std::to_string(i) + "\r\n";
    int seen = 0;
    for (size_t offset = 0; offset < stream.size(); offset += 7) {
        std::string piece = stream.substr(offset, 7);
        reader.Feed(piece.data(), piece.size());
        while (reader.Next(reply) == Status::Complete) {
            EXPECT_EQ(reply.text, "reply " + std::to_string(seen));
            ++seen;
        }
    }
    EXPECT_EQ(seen, 2000);
    EXPECT_EQ(reader.Pending(), 0u);
}

}  // namespace
