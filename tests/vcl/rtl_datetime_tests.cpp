#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vcl/sysutils.h"
#include "win32/kernel.h"

namespace vcl {
namespace {

TFormatSettings GermanDates() {
    TFormatSettings s = DefaultFormatSettings();
    s.DateSeparator = '.';
    s.TimeSeparator = ':';
    s.DecimalSeparator = ',';
    s.ThousandSeparator = '.';
    s.ShortDateFormat = "dd.MM.yyyy";
    s.LongDateFormat = "dddd, d. MMMM yyyy";
    s.ShortTimeFormat = "hh:mm";
    s.LongTimeFormat = "hh:mm:ss";
    s.TimeAMString = "";
    s.TimePMString = "";
    s.ShortMonthNames = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    s.LongMonthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                        "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    s.ShortDayNames = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    s.LongDayNames = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    return s;
}

// Runs with the manual clock at 2024-06-15 10:30 and restores the global settings afterwards.
class RtlDateTime : public ::testing::Test {
protected:
    void SetUp() override {
        win32::SYSTEMTIME now{};
        now.wYear = 2024, now.wMonth = 6, now.wDay = 15, now.wHour = 10, now.wMinute = 30;
        win32::testing::UseManualClock(now);
    }
    void TearDown() override {
        win32::testing::UseRealClock();
        FormatSettings = DefaultFormatSettings();
    }
};

TEST_F(RtlDateTime, EncodeAndDecodeAcrossTheRange) {
    const struct {
        Word y, m, d;
        double serial;
    } cases[] = {{1899, 12, 30, 0},  {1900, 1, 1, 2},         {2000, 2, 29, 36585}, {2024, 6, 15, 45458},
                 {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {1899, 12, 29, -1},   {1800, 3, 1, -36463}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << '-' << c.m << '-' << c.d;
        Word y, m, d;
        DecodeDate(c.serial, y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST_F(RtlDateTime, InvalidArgumentsRaise) {
    const Word bad[][3] = {{0, 1, 1},     {10000, 1, 1}, {2023, 2, 29}, {2024, 0, 1},
                           {2024, 13, 1}, {2024, 4, 31}, {1900, 2, 29}};
    for (const auto& b : bad) {
        try {
            EncodeDate(b[0], b[1], b[2]);
            ADD_FAILURE() << b[0] << '-' << b[1] << '-' << b[2];
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Invalid argument to date encode");
        }
    }
    try {
        EncodeTime(24, 0, 0, 0);
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to time encode");
    }
    TDateTime t = 7;
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, t));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, t));
    EXPECT_EQ(t, 7);
}

TEST_F(RtlDateTime, NegativeValuesKeepTheTimeCountingForward) {
    const TDateTime value = ComposeDateTime(EncodeDate(1899, 12, 29), EncodeTime(6, 0, 0, 0));
    EXPECT_DOUBLE_EQ(value, -1.25);
    Word y, m, d, h, n, s, z;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, n, s, z);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(h, 6);
    DecodeTime(-0.5, h, n, s, z);
    DecodeDate(-0.5, y, m, d);
    EXPECT_EQ(h, 12);
    EXPECT_EQ(d, 30);
    EXPECT_DOUBLE_EQ(IncMonth(-1.25, 1), ComposeDateTime(EncodeDate(1900, 1, 29), 0.25));
}

TEST_F(RtlDateTime, TimeRoundsToTheMillisecondIntoTheNextDay) {
    Word y, m, d, h, n, s, z;
    const TDateTime almost = EncodeDate(2024, 12, 31) + 0.9999999999;
    DecodeDate(almost, y, m, d);
    DecodeTime(almost, h, n, s, z);
    EXPECT_EQ(y, 2025);
    EXPECT_EQ(d, 1);
    EXPECT_EQ(h + n + s + z, 0);
    DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, z);
    EXPECT_EQ(z, 999);
}

TEST_F(RtlDateTime, OutOfRangeValuesDecodeAsZero) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), 1e300, -693594.0, 2958466.0,
                          std::numeric_limits<double>::infinity()};
    for (double v : bad) {
        Word y = 1, m = 1, d = 1;
        DecodeDate(v, y, m, d);
        EXPECT_EQ(y + m + d, 0) << v;
        EXPECT_EQ(DayOfWeek(v), 0);
        EXPECT_THROW(IncMonth(v), EConvertError);
    }
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd ddd mmm", std::numeric_limits<double>::quiet_NaN()), "0000-00-00  ");
}

TEST_F(RtlDateTime, CalendarHelpers) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 16)), 1);  // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_EQ(MonthDays[IsLeapYear(2024)][1], 29);
    EXPECT_EQ(DaysInAMonth(2023, 2), 28);
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -13), EncodeDate(2023, 2, 28));
    EXPECT_DOUBLE_EQ(IncMonth(EncodeDate(2023, 12, 15) + 0.75, 1), EncodeDate(2024, 1, 15) + 0.75);
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
    TSystemTime st{};
    DateTimeToSystemTime(EncodeDate(2024, 6, 16) + EncodeTime(1, 2, 3, 4), st);
    EXPECT_EQ(st.wDayOfWeek, 0);
    EXPECT_EQ(st.wMilliseconds, 4);
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(st), EncodeDate(2024, 6, 16) + EncodeTime(1, 2, 3, 4));
}

TEST_F(RtlDateTime, TheManualClockDrivesNowDateAndTime) {
    EXPECT_EQ(Date(), EncodeDate(2024, 6, 15));
    EXPECT_DOUBLE_EQ(Now(), EncodeDate(2024, 6, 15) + EncodeTime(10, 30, 0, 0));
    win32::testing::AdvanceClock(14 * 3600000);
    EXPECT_EQ(Date(), EncodeDate(2024, 6, 16));
    EXPECT_DOUBLE_EQ(Time(), EncodeTime(0, 30, 0, 0));
}

TEST_F(RtlDateTime, FormatDateTimeSpecifiers) {
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
    const TDateTime morning = EncodeDate(2024, 3, 5) + EncodeTime(0, 5, 0, 0);
    const struct {
        const char* format;
        TDateTime value;
        const char* expected;
    } cases[] = {
        {"d dd ddd dddd", t, "5 05 Tue Tuesday"},
        {"m mm mmm mmmm", t, "3 03 Mar March"},
        {"yy yyyy", t, "24 2024"},
        {"h hh n nn s ss z zzz", t, "14 14 7 07 9 09 45 045"},
        {"h:m", t, "14:7"},
        {"hh:mm:ss", t, "14:07:09"},
        {"h:mm am/pm", t, "2:07 pm"},
        {"h:mm AM/PM", morning, "12:05 AM"},
        {"h a/p", t, "2 p"},
        {"hh A/P", morning, "12 A"},
        {"h ampm", t, "2 PM"},
        {"ddddd", t, "3/5/2024"},
        {"dddddd", t, "Tuesday, March 5, 2024"},
        {"t|tt", t, "2:07 PM|2:07:09 PM"},
        {"c", t, "3/5/2024 2:07:09 PM"},
        {"c", EncodeDate(2024, 3, 5), "3/5/2024"},
        {"", t, "3/5/2024 2:07:09 PM"},
        {"yyyy/mm/dd", t, "2024/03/05"},
        {"'d' \"m\" d", t, "d m 5"},
        {"'unterminated", t, "unterminated"},
        {"x-q#", t, "x-q#"},
        {"mm/dd hh:nn", t, "03/05 14:07"},
        {"hh 'o''clock' mm", t, "14 oclock 07"},
        {"am", t, "a3"},  // a lone "a" is text, and the "m" after it a month
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.value), c.expected) << c.format;
}

TEST_F(RtlDateTime, FormatsUnderGermanSettings) {
    const TFormatSettings de = GermanDates();
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
    EXPECT_EQ(DateToStr(t, de), "05.03.2024");
    EXPECT_EQ(TimeToStr(t, de), "14:07:09");
    EXPECT_EQ(DateTimeToStr(t, de), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("dddddd", t, de), "Dienstag, 5. März 2024");
    EXPECT_EQ(FormatDateTime("d/m/yy", t, de), "5.3.24");
    FormatSettings = de;
    EXPECT_EQ(DateToStr(t), "05.03.2024");
    EXPECT_EQ(StrToDate("5.3.2024"), EncodeDate(2024, 3, 5));
}

TEST_F(RtlDateTime, SettingsThatNameThemselvesStillEnd) {
    TFormatSettings s = DefaultFormatSettings();
    s.ShortDateFormat = "c ddddd";
    s.LongTimeFormat = "tt";
    EXPECT_FALSE(FormatDateTime("c", 1.5, s).empty());
}

TEST_F(RtlDateTime, StrToDateFollowsTheShortDateOrder) {
    const struct {
        const char* text;
        const char* shortFormat;
        Word y, m, d;
    } cases[] = {
        {"3/5/2024", "M/d/yyyy", 2024, 3, 5},   {" 12 / 31 / 1999 ", "M/d/yyyy", 1999, 12, 31},
        {"3/5", "M/d/yyyy", 2024, 3, 5},        {"5/3/2024", "d/M/yyyy", 2024, 3, 5},
        {"2024/3/5", "yyyy/MM/dd", 2024, 3, 5}, {"3/5", "yyyy/MM/dd", 2024, 3, 5},
        {"1/1/74", "M/d/yyyy", 1974, 1, 1},     {"1/1/73", "M/d/yyyy", 2073, 1, 1},
        {"1/1/0024", "M/d/yyyy", 24, 1, 1},     {"2/29/24", "M/d/yy", 2024, 2, 29},
    };
    for (const auto& c : cases) {
        TFormatSettings s = DefaultFormatSettings();
        s.ShortDateFormat = c.shortFormat;
        EXPECT_EQ(StrToDate(c.text, s), EncodeDate(c.y, c.m, c.d)) << c.text << " as " << c.shortFormat;
    }
    TFormatSettings currentCentury = DefaultFormatSettings();
    currentCentury.TwoDigitYearCenturyWindow = 0;
    EXPECT_EQ(StrToDate("1/1/99", currentCentury), EncodeDate(2099, 1, 1));
}

TEST_F(RtlDateTime, StrToDateRejects) {
    const char* bad[] = {"",          "3",        "3/",    "2/30/2024", "13/1/2024",
                         "3/5/2024x", "3-5-2024", "a/b/c", "3/5/20245", "0/1/2024"};
    for (const char* text : bad) {
        try {
            StrToDate(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid date");
        }
        EXPECT_EQ(StrToDateDef(text, -3), -3);
    }
}

TEST_F(RtlDateTime, StrToTimeAcceptsTheFrameworkForms) {
    const struct {
        const char* text;
        Word h, n, s, z;
    } cases[] = {
        {"13", 13, 0, 0, 0},           {"13:05", 13, 5, 0, 0},    {"1:05:09", 1, 5, 9, 0},
        {"1:05:09.250", 1, 5, 9, 250}, {"1:05 PM", 13, 5, 0, 0},  {"12:00 am", 0, 0, 0, 0},
        {"12:30 PM", 12, 30, 0, 0},    {"PM 3:15", 15, 15, 0, 0}, {" 7 : 08 ", 7, 8, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(StrToTime(c.text), EncodeTime(c.h, c.n, c.s, c.z)) << c.text;
    const char* bad[] = {"", "24:00", "12:60", "13:00 PM", "0 AM", "1:2:3:4", "noon", "1:", "1:05:09.1000"};
    for (const char* text : bad) {
        try {
            StrToTime(text);
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) + "' is not a valid time");
        }
    }
}

// Free Pascal RTL tests, tests/test/units/sysutils/tstrtotimetest.pp (checks 26 to 51): spaces but
// no tabs, leading zeros however many while the value stays in range.
TEST_F(RtlDateTime, StrToTimeFollowsTheClassicReader) {
    TFormatSettings s = DefaultFormatSettings();
    s.TimeSeparator = ':';
    s.DecimalSeparator = ',';
    const struct {
        const char* text;
        Word h, n, sec, z;
    } cases[] = {
        {"1:2:3", 1, 2, 3, 0},
        {"1:4", 1, 4, 0, 0},
        {"1:4:55,4", 1, 4, 55, 4},
        {"1:4:55,0012", 1, 4, 55, 12},
        {" 1:4:55,4", 1, 4, 55, 4},
        {"1: 4:55,12", 1, 4, 55, 12},
        {"1:4: 55,004", 1, 4, 55, 4},
        {"1:4:55, 2", 1, 4, 55, 2},
        {"1:  4:   55,   4", 1, 4, 55, 4},
        {"12:034:00056", 12, 34, 56, 0},
        {"1:4:55,0000000000000000000000012", 1, 4, 55, 12},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(StrToTime(c.text, s), EncodeTime(c.h, c.n, c.sec, c.z)) << c.text;
    const char* bad[] = {"111:2:3",       "1:444",    "1:2:333",           "1:4:55,004\tam",
                         "\t1:4:55,0012", "1 4 55 4", "1:4:55,0000100012", "1:4:55,000001012",
                         "12::45",        "12:34:5x"};
    for (const char* text : bad) {
        TDateTime value = 0;
        EXPECT_FALSE(TryStrToTime(text, value, s)) << text;
    }
}

TEST_F(RtlDateTime, StrToDateTimeCombinesBoth) {
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024 2:07:09 PM"), EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024"), EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(StrToDateTime("14:07"), EncodeTime(14, 7, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("12/29/1899 6:00"), -1.25);
    try {
        StrToDateTime("3/5/2024 25:00");
        ADD_FAILURE();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'3/5/2024 25:00' is not a valid date and time");
    }
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToDateTime("3/5/2024 x", value));
    EXPECT_EQ(StrToDateTimeDef("junk", 9), 9);
}

TEST_F(RtlDateTime, TextRoundTripsUnderBothSettings) {
    const TFormatSettings settings[] = {DefaultFormatSettings(), GermanDates()};
    const TDateTime values[] = {EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0), EncodeDate(1999, 12, 31),
                                EncodeDate(2050, 1, 1) + EncodeTime(0, 0, 1, 0), EncodeDate(1, 1, 1) + 0.5};
    for (const auto& s : settings)
        for (TDateTime v : values) {
            EXPECT_DOUBLE_EQ(StrToDateTime(DateTimeToStr(v, s), s), v) << DateTimeToStr(v, s);
            EXPECT_DOUBLE_EQ(StrToDate(DateToStr(v, s), s), std::trunc(v));
        }
}

}  // namespace
}  // namespace vcl
