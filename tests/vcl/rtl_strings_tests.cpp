#include <gtest/gtest.h>

#include "vcl/sysutils.h"

namespace vcl {
namespace {

using namespace std::string_literals;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(RtlCompare, TextComparisonFoldsAsciiToUpperCase) {
    const struct {
        std::string_view a, b;
        int expected;
    } cases[] = {{"abc", "ABC", 0}, {"abc", "abd", -1},         {"ab", "abc", -1}, {"b", "A", 1},
                 {"a_", "AZ", 1},  // '_' sorts after the upper-case letters
                 {"", "", 0},       {"\xC3\xA9", "\xC3\x89", 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareText(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(SameText(c.a, c.b), c.expected == 0);
    }
    EXPECT_LT(CompareStr("ABC", "abc"), 0);
    EXPECT_GT(CompareStr("\xFF", "a"), 0);  // bytes compare unsigned
    EXPECT_FALSE(SameStr("a", "A"));
    EXPECT_LT(CompareStr("a\0b"s, "a\0c"s), 0);
}

TEST(RtlCase, AsciiFunctionsLeaveOtherBytesAlone) {
    EXPECT_EQ(UpperCase("abc\xC3\xA9z"), "ABC\xC3\xA9Z");
    EXPECT_EQ(LowerCase("ABC\xC3\x89Z\0Q"s), "abc\xC3\x89z\0q"s);
}

TEST(RtlCase, AnsiFunctionsMapEachSupportedBlock) {
    const struct {
        const char* lower;
        const char* upper;
    } pairs[] = {
        {"àéîõüýþ", "ÀÉÎÕÜÝÞ"},                      // Latin-1 Supplement
        {"āčďęğıłńőřśšťůűźż", "ĀČĎĘĞIŁŃŐŘŚŠŤŮŰŹŻ"},  // Latin Extended-A, dotless i upper-cases to I
        {"αβγδεζηθικλμνξοπρστυφχψω", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"},
        {"άέήίόύώ", "ΆΈΉΊΌΎΏ"},
        {"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
        {"ђєіїјљњћџѣґ", "ЂЄІЇЈЉЊЋЏѢҐ"},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(AnsiUpperCase(p.lower), p.upper);
        if (std::string_view(p.lower).find("ı") == std::string_view::npos) {
            EXPECT_EQ(AnsiLowerCase(p.upper), p.lower);
        }
    }
    EXPECT_EQ(AnsiUpperCase("ς"), "Σ");
    EXPECT_EQ(AnsiUpperCase("ÿ"), "Ÿ");
    EXPECT_EQ(AnsiLowerCase("Ÿ"), "ÿ");
    EXPECT_EQ(AnsiUpperCase("ß"), "ß");
    EXPECT_EQ(AnsiLowerCase("×÷"), "×÷");
}

TEST(RtlCase, InvalidUtf8IsCopiedUnchanged) {
    const std::string bad[] = {"\xFF"s,          "a\xC3"s,    "\xC0\xAF"s, "\xED\xA0\x80"s,
                               "\xE0\x80\x80x"s, "\x80\x80"s, "\0"s};
    for (const auto& s : bad) {
        EXPECT_EQ(AnsiUpperCase(s), UpperCase(s));
        EXPECT_EQ(AnsiLowerCase(s), LowerCase(s));
    }
    EXPECT_EQ(AnsiUpperCase("\xFF\xC3\xA9"), "\xFF\xC3\x89");
}

TEST(RtlCase, AnsiComparisonIgnoresCaseBeyondAscii) {
    EXPECT_TRUE(AnsiSameText("Straße ΣΟΦΙΑ Москва", "STRAßE σοφια москва"));
    EXPECT_FALSE(AnsiSameText("é", "e"));
    EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
    EXPECT_GT(AnsiCompareText("Ωmega", "αlpha"), 0);
    EXPECT_LT(AnsiCompareText("ab", "ABC"), 0);
    EXPECT_EQ(AnsiCompareText("", ""), 0);
    EXPECT_NE(AnsiCompareText("\xFF", "\xFE"), 0);
}

TEST(RtlTrim, RemovesControlCharactersAndSpaces) {
    EXPECT_EQ(Trim(" \t\r\n x y \x01\x1F "), "x y");
    EXPECT_EQ(TrimLeft("\0 a "s), "a ");
    EXPECT_EQ(TrimRight(" a \0"s), " a");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xC2\xA0x"), "\xC2\xA0x");  // bytes above 127 stay
}

TEST(RtlQuote, QuotesAndDequotes) {
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(QuotedStr(""), "''");
    EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
    const struct {
        std::string_view in, out;
    } cases[] = {
        {"'it''s'", "it's"}, {"'abc' tail", "abc"}, {"'open", "open"}, {"plain", "plain"}, {"''", ""},
        {"'", ""},           {"'a''", "a'"}};
    for (const auto& c : cases)
        EXPECT_EQ(AnsiDequotedStr(c.in, '\''), c.out) << c.in;
    std::string_view rest = "'a''b'c";
    EXPECT_EQ(AnsiExtractQuotedStr(rest, '\''), "a'b");
    EXPECT_EQ(rest, "c");
}

TEST(RtlReplace, HonoursTheFlags) {
    using enum TReplaceFlag;
    const struct {
        std::string_view s, from, to;
        TReplaceFlags flags;
        std::string_view expected;
    } cases[] = {
        {"a-b-c", "-", "+", {}, "a+b-c"},
        {"a-b-c", "-", "+", {rfReplaceAll}, "a+b+c"},
        {"Hello HELLO", "hello", "x", {rfIgnoreCase}, "x HELLO"},
        {"Hello HELLO hello", "hello", "x", {rfReplaceAll, rfIgnoreCase}, "x x x"},
        {"aaa", "aa", "b", {rfReplaceAll}, "ba"},
        {"abc", "", "x", {rfReplaceAll}, "abc"},
        {"abc", "abc", "", {}, ""},
        {"Über über", "ÜBER", "x", {rfReplaceAll, rfIgnoreCase}, "x x"},
        {"x\xFFy", "\xFF", "-", {rfIgnoreCase}, "x-y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.expected) << c.s;
}

TEST(RtlAbort, RaisesTheSilentException) {
    try {
        Abort();
    } catch (const EAbort& e) {
        EXPECT_EQ(e.Message(), "Operation aborted");
        return;
    }
    ADD_FAILURE();
}

}  // namespace
}  // namespace vcl
