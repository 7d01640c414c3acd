#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vcl/sysutils.h"

namespace vcl {
namespace {

TFormatSettings GermanNumbers() {
    TFormatSettings s = DefaultFormatSettings();
    s.DecimalSeparator = ',';
    s.ThousandSeparator = '.';
    s.CurrencyString = "€";
    s.CurrencyFormat = 3;
    s.NegCurrFormat = 8;
    return s;
}

TEST(RtlFloatToStr, GeneralFormatWithFifteenDigits) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0.1, "0.1"},
        {-1.5, "-1.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {0.000012345, "1.2345E-5"},
        {1e15, "1E15"},
        {999999999999999.0, "999999999999999"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0, "0"},
        {-0.0, "0"},
        {100.0, "100"},
        {-2.5e-10, "-2.5E-10"},
        {5e-324, "4.94065645841247E-324"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {0.9999999999999999, "1"},
        {9.9999999999999995e14, "1E15"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.expected) << c.expected;
    EXPECT_EQ(FloatToStr(-1234.5, GermanNumbers()), "-1234,5");
}

TEST(RtlFloatToStr, FloatToStrFFormats) {
    using enum TFloatFormat;
    const struct {
        double value;
        TFloatFormat format;
        int precision, digits;
        const char* expected;
    } cases[] = {
        {2.5, ffFixed, 15, 0, "3"},
        {-2.5, ffFixed, 15, 0, "-3"},
        {0.125, ffFixed, 15, 2, "0.13"},
        {1.005, ffFixed, 15, 2, "1.00"},
        {-0.001, ffFixed, 15, 2, "0.00"},
        {1234567.891, ffFixed, 15, 1, "1234567.9"},
        {1e20, ffFixed, 15, 2, "1E20"},
        {12345.678, ffFixed, 3, 2, "1.23E4"},
        {0.5, ffFixed, 15, 0, "1"},
        {1234567.5, ffNumber, 15, 2, "1,234,567.50"},
        {-999.999, ffNumber, 15, 2, "-1,000.00"},
        {123.0, ffNumber, 15, 0, "123"},
        {123.456, ffExponent, 4, 2, "1.235E+02"},
        {-0.00123, ffExponent, 3, 0, "-1.23E-3"},
        {0.0, ffExponent, 3, 3, "0.00E+000"},
        {9.9999, ffExponent, 3, 1, "1.00E+1"},
        {1234.5, ffGeneral, 3, 0, "1.23E3"},
        {1234.5, ffGeneral, 15, 0, "1234.5"},
        {1e-7, ffGeneral, 15, 2, "1E-07"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {0.004, ffCurrency, 15, 2, "$0.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.expected) << c.expected;
    EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, GermanNumbers()), "-1.234,50 €");
    EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, GermanNumbers()), "1.234,50 €");
}

TEST(RtlFormatFloat, Masks) {
    const struct {
        const char* mask;
        double value;
        const char* expected;
    } cases[] = {
        {"0.00", 2.675, "2.67"},  // the double is 2.67499999999999982236431605997495353221893310546875
        {"0.00", 2.665, "2.67"},  // and this one 2.66500000000000003552713678800500929355621337890625
        {"0.00", 0.125, "0.13"},  // exactly representable: the half goes away from zero
        {"0.00", -0.125, "-0.13"},
        {"0", 0.5, "1"},
        {"0", 2.5, "3"},
        {"0", 0.49999999999999994, "0"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", 999.5, "1,000"},
        {"#,#", 1234567, "1,234,567"},
        {"#.##", 0.5, ".5"},
        {"0.##", 1, "1"},
        {"0.0#", 1.25, "1.25"},
        {"0.0#", 1.2, "1.2"},
        {"00000", 42, "00042"},
        {"#", 0, ""},
        {"0", 0, "0"},
        {"00-00", 1234, "12-34"},
        {"0", 123456, "123456"},
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.0e-0", 0.00012, "1.2e-4"},
        {"0.0E-00", 12345, "1.2E04"},
        {"00.0E+0", 12345, "12.3E+3"},
        {"0.00E+00", 0, "0.00E+00"},
        {"#,##0.00;(#,##0.00);Zero", -1234.5, "(1,234.50)"},
        {"#,##0.00;(#,##0.00);Zero", 0.001, "Zero"},
        {"#,##0.00;(#,##0.00);Zero", 0, "Zero"},
        {"0.0;;'nil'", -3.25, "-3.3"},
        {"0.0", -0.01, "0.0"},
        {"\"$\"#,##0.00", 5, "$5.00"},
        {"'#'0", 7, "#7"},
        {"0 'kg'", 12.4, "12 kg"},
        {"", 1.5, "1.5"},
        {"0.000", 1e20, "1E20"},
        {"0.00000000000000000000", 0.1, "0.10000000000000000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.mask, c.value), c.expected) << c.mask << " " << c.value;
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891, GermanNumbers()), "1.234.567,89");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(RtlStrToFloat, ParsesWithTheSettingsSeparator) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"1.5", 1.5},
                 {" -2.25 ", -2.25},
                 {"+3", 3},
                 {".5", 0.5},
                 {"5.", 5},
                 {"1e3", 1000},
                 {"1.5E-3", 0.0015},
                 {"-0", -0.0},
                 {"1e-400", 0},
                 {"0.1", 0.1},
                 {"00012.5000", 12.5},
                 {"1E+2", 100},
                 {"123456789012345678901234567890", 1.2345678901234568e29},
                 // Halfway between two doubles: the nearest even one, as for longer inputs.
                 {"9007199254740993", 9007199254740992.0},
                 {"123456.789012345678", 123456.789012345678}};
    for (const auto& c : cases) {
        EXPECT_EQ(StrToFloat(c.text), c.value) << c.text;
        double value = 0;
        EXPECT_TRUE(TryStrToFloat(c.text, value));
    }
    // Long inputs keep their value: leading zeros do not count against the digits kept.
    EXPECT_EQ(StrToFloat("0." + std::string(900, '0') + "1e905"), 1e4);
    EXPECT_EQ(StrToFloat("1" + std::string(1000, '0') + "e-1000"), 1);
    EXPECT_EQ(StrToFloat("1234,5", GermanNumbers()), 1234.5);
    EXPECT_THROW(StrToFloat("1234.5", GermanNumbers()), EConvertError);
}

TEST(RtlStrToFloat, RejectsWithTheFrameworkMessage) {
    const char* bad[] = {"",    "  ",    "abc", "1.2.3", "1e",   "1e+", "e5", "1,5",
                         "--1", "1e400", "inf", "nan",   "0x10", "1 2", "."};
    for (const char* text : bad) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid floating point value");
        }
        EXPECT_EQ(StrToFloatDef(text, -7.5), -7.5);
    }
}

TEST(RtlStrToFloat, RoundTripsThroughFloatToStrF) {
    const double values[] = {
        0.1, 1.0 / 3, 123456.789, -9.87654321e-12, 6.02214076e23, 5e-324, 1.7976931348623157e308};
    for (double v : values)
        EXPECT_EQ(StrToFloat(FloatToStrF(v, TFloatFormat::ffGeneral, 17, 0)), v) << v;
    for (double v : values)
        EXPECT_EQ(
            StrToFloat(FloatToStrF(v, TFloatFormat::ffExponent, 17, 0, GermanNumbers()), GermanNumbers()), v);
}

TEST(RtlCurrency, ArithmeticIsExactFixedPoint) {
    const Currency a = StrToCurr("0.1"), b = StrToCurr("0.2");
    EXPECT_EQ(a + b, StrToCurr("0.3"));
    EXPECT_EQ((a + b).raw, 3000);
    EXPECT_EQ(Currency(3) * StrToCurr("1.5"), StrToCurr("4.5"));
    EXPECT_EQ(Currency(1) / Currency(3), StrToCurr("0.3333"));
    EXPECT_EQ(Currency(2) / Currency(3), StrToCurr("0.6667"));
    EXPECT_EQ(StrToCurr("0.0001") * StrToCurr("0.5"), Currency());  // 0.00005 rounds to even
    EXPECT_EQ(StrToCurr("0.0003") * StrToCurr("0.5"), StrToCurr("0.0002"));
    EXPECT_LT(-Currency(5), Currency());
    EXPECT_EQ(Currency(1.23456).raw, 12346);
    EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
    EXPECT_THROW(Currency::FromRaw(INT64_MAX) + Currency::FromRaw(1), EOverflow);
    EXPECT_THROW(Currency(Int64{1} << 62), EOverflow);
    EXPECT_THROW(Currency(1e300), EInvalidOp);
    EXPECT_THROW(Currency(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
}

TEST(RtlCurrency, TextConversions) {
    const struct {
        const char* text;
        Int64 raw;
        const char* shown;
    } cases[] = {
        {"1.5", 15000, "1.5"},
        {"-0.0001", -1, "-0.0001"},
        {"1.23456", 12346, "1.2346"},
        {"1.23455", 12346, "1.2346"},
        {"1.23465", 12346, "1.2346"},
        {"1.234650001", 12347, "1.2347"},
        {"1e3", 10000000, "1000"},
        {"0", 0, "0"},
        {" 42 ", 420000, "42"},
        {"922337203685477.5807", INT64_MAX, "922337203685477.5807"},
        {"-922337203685477.5808", INT64_MIN, "-922337203685477.5808"},
        {"12.5e-5", 1, "0.0001"},
        {"0.00005", 0, "0"},
    };
    for (const auto& c : cases) {
        const Currency value = StrToCurr(c.text);
        EXPECT_EQ(value.raw, c.raw) << c.text;
        EXPECT_EQ(CurrToStr(value), c.shown) << c.text;
    }
    const char* bad[] = {"", "x", "922337203685477.5808", "1e20", "1,5"};
    for (const char* text : bad) {
        try {
            StrToCurr(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
    EXPECT_EQ(StrToCurr("1,5", GermanNumbers()).raw, 15000);
    EXPECT_EQ(CurrToStrF(StrToCurr("-1234.5678"), TFloatFormat::ffCurrency, 2), "($1,234.57)");
    EXPECT_EQ(CurrToStrF(StrToCurr("1234.5678"), TFloatFormat::ffNumber, 2, GermanNumbers()), "1.234,57");
    EXPECT_EQ(FormatCurr("#,##0.00", StrToCurr("9999.995")), "10,000.00");
}

}  // namespace
}  // namespace vcl
