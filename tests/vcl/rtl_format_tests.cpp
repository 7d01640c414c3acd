#include <gtest/gtest.h>

#include <vector>

#include "vcl/sysutils.h"

namespace vcl {
namespace {

using namespace std::string_literals;

TEST(RtlFormat, FormatsEachType) {
    const std::string name = "Button1";
    const struct {
        std::string actual, expected;
    } cases[] = {
        {Format("Class %s not found", {"TFoo"}), "Class TFoo not found"},
        {Format("List index out of bounds (%d)", {-1}), "List index out of bounds (-1)"},
        {Format("%s.%s", {name, std::string_view("Caption")}), "Button1.Caption"},
        {Format("%s%s", {'x', "\0y"s}), "x\0y"s},
        {Format("%d|%d|%d", {INT32_MIN, Int64{INT64_MIN}, UINT64_MAX}),
         "-2147483648|-9223372036854775808|18446744073709551615"},
        {Format("%.5d|%.5d|%.1d", {42, -42, 123}), "00042|-00042|123"},
        {Format("%u|%u|%u", {-1, Int64{-1}, 7u}), "4294967295|18446744073709551615|7"},
        {Format("%x|%x|%.4x|%X", {255, -1, 10, Int64{-1}}), "FF|FFFFFFFF|000A|FFFFFFFFFFFFFFFF"},
        {Format("%e|%.3e|%e", {1000.0, -0.000123456, 0.0}),
         "1.00000000000000E+003|-1.23E-004|0.00000000000000E+000"},
        {Format("%f|%.0f|%.3f|%f", {3.14159, 2.5, -1.0625, -0.001}), "3.14|3|-1.063|0.00"},
        {Format("%g|%g|%.3g|%g", {0.1, 1e20, 1234.5, 1e-7}), "0.1|1E020|1.23E003|1E-007"},
        {Format("%n|%.1n|%n", {1234567.891, -1000.0, 12.0}), "1,234,567.89|-1,000.0|12.00"},
        {Format("%m|%m|%.0m", {1234.5, -5.0, 7.5}), "$1,234.50|($5.00)|$8"},
        {Format("%p", {reinterpret_cast<const void*>(0xBEEF)}), "000000000000BEEF"},
        {Format("%p", {nullptr}), "0000000000000000"},
        {Format("100%%", {}), "100%"},
        {Format("", {1}), ""},
        {Format("no args", {}), "no args"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.actual, c.expected);
}

TEST(RtlFormat, WidthPrecisionAndIndex) {
    EXPECT_EQ(Format("[%5s][%-5s][%2s]", {"ab", "ab", "abcd"}), "[   ab][ab   ][abcd]");
    EXPECT_EQ(Format("[%8.3f][%-8d]", {3.14159, 42}), "[   3.142][42      ]");
    EXPECT_EQ(Format("[%.2s][%.0s][%.9s]", {"hello", "x", "ok"}), "[he][][ok]");
    EXPECT_EQ(Format("[%.2s][%3s]", {"ÄÖÜ", "é"}), "[ÄÖ][  é]");  // characters, not bytes
    EXPECT_EQ(Format("[%*d][%-*d][%.*f]", {4, 7, 3, 1, 2, 1.005}), "[   7][1  ][1.00]");
    EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
    EXPECT_EQ(Format("%0:s%0:s%1:d", {"x", 5}), "xx5");
    EXPECT_EQ(Format("%d%%", {50}), "50%");
}

TEST(RtlFormat, SettingsDecideSeparatorsAndCurrency) {
    TFormatSettings de = DefaultFormatSettings();
    de.DecimalSeparator = ',';
    de.ThousandSeparator = '.';
    de.CurrencyString = "€";
    de.CurrencyFormat = 3;
    de.NegCurrFormat = 8;
    EXPECT_EQ(Format(de, "%n|%f|%m|%m", {1234567.5, 0.25, 1234.5, -2.0}),
              "1.234.567,50|0,25|1.234,50 €|-2,00 €");
}

TEST(RtlFormat, CurrencyArguments) {
    EXPECT_EQ(Format("%m|%f|%.6f|%n|%g", {Currency(1234.5), Currency(2.25), Currency(1.5),
                                          StrToCurr("-1234567.8912"), Currency(0.125)}),
              "$1,234.50|2.25|1.500000|-1,234,567.89|0.125");
}

TEST(RtlFormat, BadFormatsAndArgumentsRaise) {
    const struct {
        std::string_view format;
        std::vector<TVarRec> args;
    } cases[] = {
        {"%d", {1.5}},       {"%f", {1}},          {"%s", {42}},   {"%d", {}},       {"%d %d", {1}},
        {"%", {1}},          {"%5", {1}},          {"%q", {1}},    {"%2:d", {1, 2}}, {"%*d", {"x", 1}},
        {"%p", {"text"}},    {"%s", {true}},       {"%d", {true}}, {"%x", {2.0}},    {"%e", {'c'}},
        {"%99999999d", {1}}, {"%.99999999d", {1}},
    };
    for (const auto& c : cases) {
        try {
            Format(c.format, std::span<const TVarRec>(c.args));
            ADD_FAILURE() << c.format;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      "Format '" + std::string(c.format) + "' invalid or incompatible with argument");
        }
    }
}

TEST(RtlIntegers, IntToStrAndHex) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0xABCDEF, 2), "ABCDEF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64{-2}, 0), "FFFFFFFFFFFFFFFE");
    EXPECT_EQ(IntToHex(uint8_t{0x5}, 1), "5");
    EXPECT_EQ(IntToHex(0, 0), "0");
}

TEST(RtlIntegers, StrToIntAcceptsTheFrameworkSyntax) {
    const struct {
        std::string_view text;
        Integer value;
    } cases[] = {{"0", 0},
                 {"  42", 42},
                 {"  -17", -17},
                 {"+8", 8},
                 {"$FF", 255},
                 {"0x1f", 31},
                 {"-$10", -16},
                 {"$FFFFFFFF", -1},
                 {"2147483647", INT32_MAX},
                 {"-2147483648", INT32_MIN},
                 {"000123", 123},
                 {"$80000000", INT32_MIN}};
    for (const auto& c : cases) {
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
        Integer value = 0;
        EXPECT_TRUE(TryStrToInt(c.text, value));
        EXPECT_EQ(value, c.value);
    }
}

// Free Pascal RTL tests, tests/test/units/sysutils/tstrtoint.pp (Validate5): the classic reader's
// prefixes and blanks.
TEST(RtlIntegers, StrToIntReadsTheClassicPrefixesAndSkipsOnlySpaces) {
    const struct {
        std::string_view text;
        Integer value;
    } cases[] = {{"$1E", 30},      {"-$1E", -30},
                 {"0x1E", 30},     {"-0x1E", -30},
                 {"x1E", 30},      {"-x1E", -30},
                 {"X1e", 30},      {"            -10", -10},
                 {" 3210", 3210},  {"x7FFFFFFF", INT32_MAX},
                 {"xFFFFFFFF", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    EXPECT_EQ(StrToInt64("x1E"), 30);
    for (std::string_view text : {"\t17", "\n17", "\r17",
                                  "\x01"
                                  "17",
                                  "x", "-x", "x-1", "xx1"})
        EXPECT_THROW(StrToInt(text), EConvertError) << text;
}

TEST(RtlIntegers, StrToIntRejectsWithTheFrameworkMessage) {
    const std::string_view bad[] = {"",    " ",   "12a",     "1 ",         "--1",         "+",
                                    "$",   "0x",  "$G",      "2147483648", "-2147483649", "$100000000",
                                    "1.0", "1e3", "\xD9\xA1"};
    for (auto text : bad) {
        try {
            StrToInt(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid integer value");
        }
        EXPECT_EQ(StrToIntDef(text, -99), -99);
        EXPECT_THROW(StrToInt64(text.size() > 9 ? "x" : text), EConvertError);
    }
    EXPECT_THROW(StrToInt("1\0"s), EConvertError);
}

TEST(RtlIntegers, Int64Range) {
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), Int64{1} << 32);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
    Int64 value = 0;
    EXPECT_FALSE(TryStrToInt64("$10000000000000000", value));
    EXPECT_EQ(value, 0);
}

}  // namespace
}  // namespace vcl
