#include <gtest/gtest.h>

#include <random>

#include "mail_fixture.h"

namespace mailtest {
namespace {

// A bit-at-a-time encoder, independent of the table-driven one.
std::string ReferenceBase64(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t accumulator = 0;
    int bits = 0;
    for (unsigned char c : bytes) {
        accumulator = accumulator << 8 | c;
        bits += 8;
        while (bits >= 6) {
            out += alphabet[(accumulator >> (bits - 6)) & 63];
            bits -= 6;
        }
    }
    if (bits > 0) out += alphabet[(accumulator << (6 - bits)) & 63];
    while (out.size() % 4)
        out += '=';
    return out;
}

std::vector<std::string> Lines(const std::string& text, size_t width) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < text.size(); i += width)
        lines.push_back(text.substr(i, width));
    return lines;
}

std::string Bytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

using Base64 = MailTest;

TEST_F(Base64, LinesMatchAnIndependentEncoderForBoundarySizesAndRandomData) {
    const size_t sizes[] = {0,   1,   2,   3,    4,    5,    56,   57,   58,     59,
                            113, 114, 115, 2279, 2280, 2281, 2282, 5000, 100'003};
    for (size_t size : sizes) {
        for (uint32_t seed : {1u, 2u}) {
            SCOPED_TRACE(size);
            std::string bytes = Bytes(size, seed);
            std::vector<std::string> lines;
            Base64EncodeLines(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), lines);
            EXPECT_EQ(lines, Lines(ReferenceBase64(bytes), 76));
            std::string text;
            Base64EncodeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), text, "\n");
            std::string expected;
            for (const auto& line : lines)
                expected += line + "\n";
            EXPECT_EQ(text, expected);
        }
    }
}

TEST_F(Base64, EveryByteValueEncodes) {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    bytes += bytes;
    std::vector<std::string> lines;
    Base64EncodeLines(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), lines);
    EXPECT_EQ(lines, Lines(ReferenceBase64(bytes), 76));
}

TEST_F(Base64, AttachmentFilesEncodeToTheirLines) {
    struct Case {
        size_t size;
        size_t lineCount;
        size_t lastLength;
    } cases[] = {{0, 0, 0},  {1, 1, 4},      {2, 1, 4},     {3, 1, 4},     {57, 1, 76},
                 {58, 2, 4}, {2280, 40, 76}, {2281, 41, 4}, {2282, 41, 4}, {6000, 106, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string bytes = Bytes(c.size, 7);
        TZylMessage* message = AddMessage();
        TZylAttachment* attachment = message->Attachments()->Add(WriteFile("file.bin", bytes));
        mail->Base64Encode(attachment);
        vcl::TStringList* lines = attachment->EncodedLines();
        ASSERT_EQ(static_cast<size_t>(lines->Count()), c.lineCount);
        std::string joined;
        for (int i = 0; i < lines->Count(); ++i)
            joined += lines->Strings(i);
        EXPECT_EQ(joined, ReferenceBase64(bytes));
        if (c.lineCount) {
            EXPECT_EQ(lines->Strings(lines->Count() - 1).size(), c.lastLength);
        }
    }
}

TEST_F(Base64, EmptyFileStillFiresStartFullProgressAndEnd) {
    TZylAttachment* attachment = AddMessage()->Attachments()->Add(WriteFile("empty.bin", ""));
    mail->Base64Encode(attachment);
    EXPECT_EQ(Join(log), "EncodeStart " + temp.File("empty.bin") + " 0|EncodeEnd");
    EXPECT_EQ(encodeProgress, std::vector<vcl::Word>{100});
    EXPECT_EQ(attachment->EncodedLines()->Count(), 0);
}

TEST_F(Base64, OneBlockReportsEveryLineAndNoExtraFullProgress) {
    TZylAttachment* attachment = AddMessage()->Attachments()->Add(WriteFile("block.bin", Bytes(2280, 3)));
    mail->Base64Encode(attachment);
    ASSERT_EQ(encodeProgress.size(), 40u);
    EXPECT_EQ(encodeProgress.front(), 2);  // 2.5 rounds to even
    EXPECT_EQ(encodeProgress[2], 8);       // 7.5 rounds to even
    EXPECT_EQ(encodeProgress.back(), 100);
    EXPECT_EQ(attachment->EncodedLines()->Count(), 40);
}

TEST_F(Base64, ProgressStepsAndTheTailWithoutProgress) {
    mail->SetProgressStep(25);
    TZylAttachment* attachment =
        AddMessage()->Attachments()->Add(WriteFile("blocks.bin", Bytes(2280 * 4 + 100, 3)));
    mail->Base64Encode(attachment);
    // Four blocks reach 99 %; the tail reports nothing, then the final 100 %.
    EXPECT_EQ(encodeProgress, (std::vector<vcl::Word>{25, 50, 75, 100}));
    EXPECT_EQ(mail->LastEncodePercent(), 99);
}

TEST_F(Base64, FileThatShrinksWhileReadIsEncodedFromTheBytesRead) {
    std::string bytes = Bytes(3 * 2280 + 500, 11);
    std::string path = WriteFile("shrinking.bin", bytes);
    mail->OnEncodeStart = [&](vcl::TObject*, const std::string&, vcl::Integer size) {
        EXPECT_EQ(size, static_cast<vcl::Integer>(bytes.size()));
        std::filesystem::resize_file(path, 1000);
    };
    TZylAttachment* attachment = AddMessage()->Attachments()->Add(path);
    mail->Base64Encode(attachment);
    std::string joined;
    for (int i = 0; i < attachment->EncodedLines()->Count(); ++i)
        joined += attachment->EncodedLines()->Strings(i);
    EXPECT_EQ(joined, ReferenceBase64(bytes.substr(0, 1000)));
    EXPECT_EQ(encodeProgress.back(), 100);
}

TEST_F(Base64, PercentagesRoundHalvesToEvenIn64Bits) {
    struct Case {
        uint64_t done, total;
        vcl::Word percent;
    } cases[] = {
        {0, 200, 0},
        {1, 200, 0},
        {3, 200, 2},
        {5, 200, 2},
        {7, 200, 4},
        {199, 200, 100},
        {1, 3, 33},
        {2, 3, 67},
        {0, 0, 100},
        {57, 2280, 2},
        {uint64_t{1} << 40, uint64_t{1} << 41, 50},
        {3'000'000'000ull, 6'000'000'000ull, 50},
        {~uint64_t{0}, ~uint64_t{0}, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PercentOf(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

}  // namespace
}  // namespace mailtest
