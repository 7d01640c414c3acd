#include <gtest/gtest.h>

#include <random>

#include "postrel/zylmimedecode.h"
#include "postrel/zylpop3reply.h"
#include "postrel/zyltiemails.h"

namespace pop3test {
namespace pop3_reader_tests {

using postrel::TZylPOP3Reader;
using Status = TZylPOP3Reader::TStatus;

// A status line, a dot-stuffed answer and the next status line, fed in pieces of every size.
TEST(Pop3Reader, AnswersAreTheSameWhateverPiecesTheyArriveIn) {
    const std::string wire =
        "+OK 42 octets\r\nSubject: x\r\n\r\n..dot\r\n...\r\n..\r\n\r\nlast\nbare\n.\r\n+OK bye\r\n";
    const std::string body = "Subject: x\r\n\r\n.dot\r\n..\r\n.\r\n\r\nlast\nbare\n";
    for (size_t piece = 1; piece <= wire.size(); ++piece) {
        SCOPED_TRACE(piece);
        TZylPOP3Reader reader;
        std::string status, text, bye;
        int stage = 0;
        for (size_t offset = 0; offset < wire.size(); offset += piece) {
            reader.Feed(wire.data() + offset, std::min(piece, wire.size() - offset));
            for (bool progressed = true; progressed;) {
                progressed = false;
                if (stage == 0 && reader.NextLine(status) == Status::Complete) stage = 1, progressed = true;
                if (stage == 1 && reader.NextBody(text, 1000) == Status::Complete)
                    stage = 2, progressed = true;
                if (stage == 2 && reader.NextLine(bye) == Status::Complete) stage = 3, progressed = true;
            }
        }
        EXPECT_EQ(stage, 3);
        EXPECT_EQ(status, "+OK 42 octets");
        EXPECT_EQ(text, body);
        EXPECT_EQ(bye, "+OK bye");
        EXPECT_EQ(reader.Pending(), 0u);
    }
}

TEST(Pop3Reader, EveryAnswerIsBounded) {
    TZylPOP3Reader reader;
    std::string line(TZylPOP3Reader::kMaxStatusLength + 1, 'x'), text;
    reader.Feed(line.data(), line.size());
    EXPECT_EQ(reader.NextLine(line), Status::TooLong);

    // Past the limit the text stops growing; the rest of the answer can be passed over.
    reader.Clear();
    std::string answer;
    for (int i = 0; i < 100; ++i)
        answer += "line " + std::to_string(i) + "\r\n";
    answer += ".\r\n+OK next\r\n";
    reader.Feed(answer.data(), answer.size());
    EXPECT_EQ(reader.NextBody(text, 50), Status::TooLong);
    EXPECT_LE(text.size(), 50u);
    EXPECT_EQ(reader.SkipBody(10'000), Status::Complete);
    EXPECT_EQ(reader.NextLine(line), Status::Complete);
    EXPECT_EQ(line, "+OK next");

    // A text exactly at the limit still ends, however its last line arrives.
    reader.Clear();
    text.clear();
    reader.Feed("abc\r\n", 5);
    for (char c : std::string(".\r\n")) {
        EXPECT_EQ(reader.NextBody(text, 5), Status::NeedMore);
        reader.Feed(&c, 1);
    }
    EXPECT_EQ(reader.NextBody(text, 5), Status::Complete);
    EXPECT_EQ(text, "abc\r\n");

    // An endless line without line end is refused too.
    reader.Clear();
    text.clear();
    std::string endless(5000, 'y');
    reader.Feed(endless.data(), endless.size());
    EXPECT_EQ(reader.NextBody(text, 4000), Status::TooLong);
    EXPECT_EQ(reader.SkipBody(4000), Status::TooLong);
}

// ---------------------------------------------------------------------------------------------
// Decoders

TEST(MailDecoders, Base64FollowsRfc4648AndSkipsWhatIsNotInTheAlphabet) {
    struct Case {
        const char* encoded;
        const char* decoded;
    } cases[] = {
        // The test vectors of RFC 4648, section 10.
        {"", ""},
        {"Zg==", "f"},
        {"Zm8=", "fo"},
        {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"},
        {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"},
        // Unpadded tails, line ends, blanks and foreign characters, fill in the middle.
        {"Zg", "f"},
        {"Zm8", "fo"},
        {"Z", ""},
        {"Zm9v\r\nYmFy", "foobar"},
        {" Z m 9 v ", "foo"},
        {"Zm9v!YmFy~", "foobar"},
        {"Zg==Zm8=", "ffo"},
        {"====", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoded);
        EXPECT_EQ(postrel::DecodeBase64Text(c.encoded), c.decoded);
    }
    // Round trip through the encoder, fed in pieces that split the groups anywhere.
    std::mt19937 random(7);
    for (size_t size : {0u, 1u, 2u, 3u, 56u, 57u, 58u, 1000u, 4099u}) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        std::string text;
        postrel::Base64EncodeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text);
        postrel::TZylBase64Decoder decoder;
        std::string decoded;
        for (size_t offset = 0; offset < text.size(); offset += 5)
            decoder.Decode(std::string_view(text).substr(offset, 5), decoded);
        decoder.Finish(decoded);
        EXPECT_EQ(decoded, bytes) << size;
    }
}

TEST(MailDecoders, UuencodeLinesDecodeWithinTheirRange) {
    struct Case {
        const char* line;
        bool valid;
        std::string decoded;
    } cases[] = {
        {"#0V%T", true, "Cat"},
        {"#0V%T   ", true, "Cat"},
        {"#0V", true, std::string("C`\0", 3)},
        {"`", true, ""},
        {"", true, ""},
        {"#0V%t", false, ""},
        {"\x7F", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string out;
        EXPECT_EQ(postrel::DecodeUULine(c.line, out), c.valid);
        if (c.valid) {
            EXPECT_EQ(out, c.decoded);
        }
    }
    EXPECT_TRUE(postrel::IsUUBeginLine("begin 644 a b.txt"));
    for (const char* line : {"Begin 100 push-ups", "begin 777 x", "begin 648 x", "begin 64 x", "begin  644 x",
                             "begin 644 ", "begin 0644 x"})
        EXPECT_FALSE(postrel::IsUUBeginLine(line)) << line;
}

TEST(MailDecoders, ParametersAndEncodedWords) {
    auto type = postrel::ParseHeaderValue(
        "Application/PDF ; Name=\"a \\\"quoted\\\" name.pdf\"; x*=iso-8859-1'de'caf%E9; y=plain ;broken; "
        "z*1=\"two\"; z*0=one; z*3=gap");
    EXPECT_EQ(type.value, "application/pdf");
    EXPECT_EQ(*type.Parameter("name"), "a \"quoted\" name.pdf");
    EXPECT_EQ(*type.Parameter("x"), "caf\xC3\xA9");
    EXPECT_EQ(*type.Parameter("y"), "plain");
    EXPECT_EQ(*type.Parameter("z"), "onetwo");
    EXPECT_EQ(type.Parameter("broken"), nullptr);

    struct Case {
        const char* text;
        const char* decoded;
    } cases[] = {
        {"=?utf-8?Q?a_b?= =?utf-8?Q?_c?=", "a b c"},
        {"x =?utf-8?B?w7w=?= y", "x \xC3\xBC y"},
        {"=?windows-1252?q?=80=96?=", "\xE2\x82\xAC\xE2\x80\x93"},
        {"=?iso-8859-15?q?=A4?=", "\xE2\x82\xAC"},
        {"=?utf-8*en?q?hi?=", "hi"},
        {"=?utf-8?x?hi?= =?utf-8?q?has space?=", "=?utf-8?x?hi?= =?utf-8?q?has space?="},
        {"=?=?utf-8?q?ok?=", "=?ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(postrel::DecodeHeaderText(c.text), c.decoded);
    }
}

}  // namespace pop3_reader_tests
}  // namespace pop3test
