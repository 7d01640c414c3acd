// Run-time library: exceptions, conversions, formatting, strings, dates and times.
#pragma once

#include <array>
#include <compare>
#include <concepts>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "vcl/system.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Exceptions

// The root of the framework's exception family. The message is the text shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    virtual const char* ClassName() const noexcept { return "Exception"; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
    int helpContext_ = 0;
};

#define VCL_DECLARE_EXCEPTION(Name, Base)                                 \
    class Name : public Base {                                            \
    public:                                                               \
        using Base::Base;                                                 \
        const char* ClassName() const noexcept override { return #Name; } \
    };

// The silent exception: it unwinds like any other but the application never shows it.
VCL_DECLARE_EXCEPTION(EAbort, Exception)
VCL_DECLARE_EXCEPTION(EConvertError, Exception)
VCL_DECLARE_EXCEPTION(EListError, Exception)
VCL_DECLARE_EXCEPTION(EStringListError, Exception)
VCL_DECLARE_EXCEPTION(EComponentError, Exception)
VCL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
VCL_DECLARE_EXCEPTION(EInvalidPointer, Exception)
VCL_DECLARE_EXCEPTION(EInvalidCast, Exception)
VCL_DECLARE_EXCEPTION(EPropertyError, Exception)
VCL_DECLARE_EXCEPTION(EParserError, Exception)
VCL_DECLARE_EXCEPTION(EAssertionFailed, Exception)
VCL_DECLARE_EXCEPTION(EThread, Exception)
VCL_DECLARE_EXCEPTION(EOutOfMemory, Exception)
VCL_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory)
VCL_DECLARE_EXCEPTION(EIntError, Exception)
VCL_DECLARE_EXCEPTION(EDivByZero, EIntError)
VCL_DECLARE_EXCEPTION(ERangeError, EIntError)
VCL_DECLARE_EXCEPTION(EIntOverflow, EIntError)
VCL_DECLARE_EXCEPTION(EMathError, Exception)
VCL_DECLARE_EXCEPTION(EInvalidOp, EMathError)
VCL_DECLARE_EXCEPTION(EZeroDivide, EMathError)
VCL_DECLARE_EXCEPTION(EOverflow, EMathError)
VCL_DECLARE_EXCEPTION(EStreamError, Exception)
VCL_DECLARE_EXCEPTION(EFCreateError, EStreamError)
VCL_DECLARE_EXCEPTION(EFOpenError, EStreamError)
VCL_DECLARE_EXCEPTION(EFilerError, EStreamError)
VCL_DECLARE_EXCEPTION(EReadError, EFilerError)
VCL_DECLARE_EXCEPTION(EWriteError, EFilerError)
VCL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
VCL_DECLARE_EXCEPTION(EMethodNotFound, EFilerError)
VCL_DECLARE_EXCEPTION(EInvalidImage, EFilerError)

// Input and output failures carry the operating system's error code.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}
    explicit EInOutError(std::string message) : EInOutError(std::move(message), 0) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

class EOSError : public Exception {
public:
    EOSError(std::string message, Cardinal errorCode)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    const char* ClassName() const noexcept override { return "EOSError"; }
    Cardinal ErrorCode() const { return errorCode_; }

private:
    Cardinal errorCode_;
};

// Raises the silent exception.
[[noreturn]] void Abort();

// ---------------------------------------------------------------------------------------------
// Currency: a 64-bit fixed-point number with four decimals.

struct Currency {
    static constexpr Int64 kScale = 10000;

    // The value times 10000.
    Int64 raw = 0;

    constexpr Currency() = default;
    // Whole units; raises EOverflow when the value does not fit.
    Currency(Int64 units);                           // NOLINT(google-explicit-constructor)
    Currency(int units) : Currency(Int64{units}) {}  // NOLINT(google-explicit-constructor)
    // Rounds to four decimals, halves to even; NaN, infinities and out-of-range values raise EInvalidOp.
    explicit Currency(double value);

    static constexpr Currency FromRaw(Int64 value) {
        Currency result;
        result.raw = value;
        return result;
    }
    double ToDouble() const { return static_cast<double>(raw) / kScale; }
    explicit operator double() const { return ToDouble(); }

    // Arithmetic raises EOverflow on overflow and EZeroDivide on division by zero; products and
    // quotients round halves to even.
    friend Currency operator+(Currency a, Currency b);
    friend Currency operator-(Currency a, Currency b);
    friend Currency operator*(Currency a, Currency b);
    friend Currency operator/(Currency a, Currency b);
    Currency operator-() const;
    Currency& operator+=(Currency other) { return *this = *this + other; }
    Currency& operator-=(Currency other) { return *this = *this - other; }
    Currency& operator*=(Currency other) { return *this = *this * other; }
    Currency& operator/=(Currency other) { return *this = *this / other; }
    friend constexpr bool operator==(Currency a, Currency b) { return a.raw == b.raw; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.raw <=> b.raw; }
};

// ---------------------------------------------------------------------------------------------
// Locale settings

struct TFormatSettings {
    std::string CurrencyString;
    // 0 = "$1", 1 = "1$", 2 = "$ 1", 3 = "1 $".
    Byte CurrencyFormat = 0;
    // 0 = "($1)", 1 = "-$1", 2 = "$-1", 3 = "$1-", 4 = "(1$)", 5 = "-1$", 6 = "1-$", 7 = "1$-",
    // 8 = "-1 $", 9 = "-$ 1", 10 = "1 $-", 11 = "$ 1-", 12 = "$ -1", 13 = "1- $", 14 = "($ 1)", 15 = "(1 $)".
    Byte NegCurrFormat = 0;
    // A NUL separator means none.
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    Byte CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    std::string ShortDateFormat;
    std::string LongDateFormat;
    std::string TimeAMString;
    std::string TimePMString;
    std::string ShortTimeFormat;
    std::string LongTimeFormat;
    std::array<std::string, 12> ShortMonthNames;
    std::array<std::string, 12> LongMonthNames;
    // Indexed from Sunday.
    std::array<std::string, 7> ShortDayNames;
    std::array<std::string, 7> LongDayNames;
    // Two-digit years fall within this many years before or after the current year; 0 means the
    // current century.
    Word TwoDigitYearCenturyWindow = 50;
};

// The US English settings.
TFormatSettings DefaultFormatSettings();

// The settings every function without a settings argument uses. Not synchronised: set it at start-up.
extern TFormatSettings FormatSettings;

// ---------------------------------------------------------------------------------------------
// Strings (ASCII case rules unless the name starts with Ansi, which works on UTF-8 text)

int CompareStr(std::string_view a, std::string_view b);
bool SameStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Removes every character up to and including the space from the ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Case mapping of Latin-1 Supplement, Latin Extended-A, Greek and Cyrillic letters besides ASCII;
// bytes that are not valid UTF-8 are copied unchanged.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// Compares the lower-case forms by code point.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
int AnsiCompareStr(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);

// 'it''s' style quoting.
std::string QuotedStr(std::string_view s);
std::string AnsiQuotedStr(std::string_view s, char quote);
// The inverse of AnsiQuotedStr; text that does not start with the quote is returned as it is, and
// an unterminated quote takes the rest of the text.
std::string AnsiDequotedStr(std::string_view s, char quote);
// Extracts the quoted string at the start of `s` and advances `s` past it; empty when `s` does not
// start with the quote.
std::string AnsiExtractQuotedStr(std::string_view& s, char quote);

enum class TReplaceFlag : uint8_t { rfReplaceAll, rfIgnoreCase };
VCL_ENUM_NAMES(TReplaceFlag, "rfReplaceAll", "rfIgnoreCase")
using TReplaceFlags = Set<TReplaceFlag>;

// rfIgnoreCase matches with the Ansi case rules.
std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags);

// ---------------------------------------------------------------------------------------------
// Format and its argument list

// One element of an argument list, the framework's `array of const`. It only refers to strings,
// so a list must not outlive the expression that built it.
class TVarRec {
public:
    enum class Kind : uint8_t {
        vtInteger,
        vtInt64,
        vtUInt64,
        vtExtended,
        vtCurrency,
        vtBoolean,
        vtChar,
        vtString,
        vtPointer
    };

    constexpr TVarRec(int v) : kind_(Kind::vtInteger), int_(v) {}                        // NOLINT
    constexpr TVarRec(unsigned v) : kind_(Kind::vtInt64), int_(v) {}                     // NOLINT
    constexpr TVarRec(long v) : kind_(Kind::vtInt64), int_(v) {}                         // NOLINT
    constexpr TVarRec(long long v) : kind_(Kind::vtInt64), int_(v) {}                    // NOLINT
    constexpr TVarRec(unsigned long v) : TVarRec(static_cast<unsigned long long>(v)) {}  // NOLINT
    constexpr TVarRec(unsigned long long v)                                              // NOLINT
        : kind_(v > static_cast<unsigned long long>(INT64_MAX) ? Kind::vtUInt64 : Kind::vtInt64),
          int_(static_cast<Int64>(v)) {}
    constexpr TVarRec(double v) : kind_(Kind::vtExtended), double_(v) {}     // NOLINT
    constexpr TVarRec(Currency v) : kind_(Kind::vtCurrency), int_(v.raw) {}  // NOLINT
    constexpr TVarRec(bool v) : kind_(Kind::vtBoolean), int_(v) {}           // NOLINT
    constexpr TVarRec(char v) : kind_(Kind::vtChar), char_(v) {}             // NOLINT
    constexpr TVarRec(const char* v)                                         // NOLINT
        : kind_(Kind::vtString), string_{v, v ? std::char_traits<char>::length(v) : 0} {}
    constexpr TVarRec(std::string_view v) : kind_(Kind::vtString), string_{v.data(), v.size()} {}  // NOLINT
    TVarRec(const std::string& v) : kind_(Kind::vtString), string_{v.data(), v.size()} {}          // NOLINT
    constexpr TVarRec(const void* v) : kind_(Kind::vtPointer), pointer_(v) {}                      // NOLINT
    constexpr TVarRec(std::nullptr_t) : kind_(Kind::vtPointer), pointer_(nullptr) {}               // NOLINT

    constexpr Kind VType() const { return kind_; }
    // Integer, Int64, UInt64 (as the same bits), Boolean and Currency (the raw value).
    constexpr Int64 AsInt64() const { return int_; }
    constexpr double AsDouble() const { return double_; }
    constexpr char AsChar() const { return char_; }
    constexpr std::string_view AsString() const { return {string_.data, string_.size}; }
    constexpr const void* AsPointer() const { return pointer_; }

private:
    struct StringRef {
        const char* data;
        size_t size;
    };
    Kind kind_;
    union {
        Int64 int_;
        double double_;
        char char_;
        StringRef string_;
        const void* pointer_;
    };
};

// Formats `%[index:][-][width][.precision]type` with the types d u e f g n m p s x; `*` takes a
// width or precision from the arguments and `%%` is a percent sign. Raises EConvertError
// "Format '%s' invalid or incompatible with argument" for a bad format, a missing argument or an
// argument of the wrong type.
std::string Format(std::string_view format, std::initializer_list<TVarRec> args);
std::string Format(const TFormatSettings& settings, std::string_view format,
                   std::initializer_list<TVarRec> args);
std::string Format(std::string_view format, std::span<const TVarRec> args);
std::string Format(const TFormatSettings& settings, std::string_view format, std::span<const TVarRec> args);

// ---------------------------------------------------------------------------------------------
// Integer conversions

std::string IntToStr(Int64 value);
// Leading spaces (no other blank), an optional sign, then decimal digits or hexadecimal ones after
// `$`, `0x` or `x` ("x1E" is 30). Raises EConvertError "'%s' is not a valid integer value".
Integer StrToInt(std::string_view s);
Integer StrToIntDef(std::string_view s, Integer defaultValue);
bool TryStrToInt(std::string_view s, Integer& value);
Int64 StrToInt64(std::string_view s);
Int64 StrToInt64Def(std::string_view s, Int64 defaultValue);
bool TryStrToInt64(std::string_view s, Int64& value);

// Upper-case hexadecimal of the value's bits, at least `digits` long: negative values of 32-bit
// types give eight digits, of 64-bit types sixteen.
std::string IntToHexBits(uint64_t bits, int digits);
template <std::integral T>
std::string IntToHex(T value, int digits) {
    if constexpr (sizeof(T) <= 4)
        return IntToHexBits(static_cast<uint32_t>(value), digits);
    else
        return IntToHexBits(static_cast<uint64_t>(value), digits);
}

// ---------------------------------------------------------------------------------------------
// Floating point and currency conversions. Numbers round halves away from zero, decided on the
// exact decimal value of the double.

enum class TFloatFormat : uint8_t { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
VCL_ENUM_NAMES(TFloatFormat, "ffGeneral", "ffExponent", "ffFixed", "ffNumber", "ffCurrency")

// General format with 15 significant digits.
std::string FloatToStr(double value, const TFormatSettings& settings = FormatSettings);
// `precision` counts significant digits (1..18). `digits` is the minimum number of exponent digits
// for ffGeneral and ffExponent (0..4) and the number of decimals for the others (0..18).
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings = FormatSettings);
// Masks of '0', '#', '.', ',', 'E+', 'E-', 'e+', 'e-', quoted text and up to three ';' sections for
// positive, negative and zero values.
std::string FormatFloat(std::string_view format, double value,
                        const TFormatSettings& settings = FormatSettings);
// Spaces around the number are ignored; a tab or another control character is not.
// Raises EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view s, const TFormatSettings& settings = FormatSettings);
double StrToFloatDef(std::string_view s, double defaultValue,
                     const TFormatSettings& settings = FormatSettings);
bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings = FormatSettings);

std::string CurrToStr(Currency value, const TFormatSettings& settings = FormatSettings);
std::string CurrToStrF(Currency value, TFloatFormat format, int digits,
                       const TFormatSettings& settings = FormatSettings);
std::string FormatCurr(std::string_view format, Currency value,
                       const TFormatSettings& settings = FormatSettings);
// Exact decimal parsing, rounded to four decimals (halves to even). Raises EConvertError
// "'%s' is not a valid floating point value".
Currency StrToCurr(std::string_view s, const TFormatSettings& settings = FormatSettings);
Currency StrToCurrDef(std::string_view s, Currency defaultValue,
                      const TFormatSettings& settings = FormatSettings);
bool TryStrToCurr(std::string_view s, Currency& value, const TFormatSettings& settings = FormatSettings);

// ---------------------------------------------------------------------------------------------
// Dates and times

// Days since 1899-12-30; the fraction is the time of day. Before that day the whole part counts
// backwards and the fraction still counts forwards from midnight: -1.25 is 1899-12-29 06:00.
using TDateTime = double;

inline constexpr Integer HoursPerDay = 24;
inline constexpr Integer MinsPerDay = 24 * 60;
inline constexpr Integer SecsPerDay = MinsPerDay * 60;
inline constexpr Integer MSecsPerDay = SecsPerDay * 1000;
// Days from 0001-01-01 to 1899-12-30.
inline constexpr Integer DateDelta = 693594;

// Days of each month, indexed [IsLeapYear(year)][month - 1].
inline constexpr std::array<std::array<Word, 12>, 2> MonthDays{{
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
}};

bool IsLeapYear(Word year);
// Zero for a month outside 1..12.
Word DaysInAMonth(Word year, Word month);
// Years 1..9999. Raises EConvertError "Invalid argument to date encode".
TDateTime EncodeDate(Word year, Word month, Word day);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
// Raises EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
// A date plus a time of day under the sign rule of TDateTime.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// Values outside years 1..9999 (and NaN) decode as all zeros.
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
// 1 = Sunday .. 7 = Saturday; 0 for a value outside years 1..9999.
Word DayOfWeek(TDateTime date);
// Moves by whole months, keeping the time and clamping the day to the length of the month;
// raises EConvertError "Invalid argument to date encode" when the year leaves 1..9999.
TDateTime IncMonth(TDateTime date, Integer months = 1);

TDateTime Now();
TDateTime Date();
TDateTime Time();

// Fields as win32 SYSTEMTIME, so that this header needs no platform types.
struct TSystemTime {
    Word wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
void DateTimeToSystemTime(TDateTime dateTime, TSystemTime& systemTime);
// Raises EConvertError for invalid fields.
TDateTime SystemTimeToDateTime(const TSystemTime& systemTime);

// Specifiers c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz t tt am/pm a/p
// ampm / : and quoted text; m after h or hh is minutes. An empty format means "c".
std::string FormatDateTime(std::string_view format, TDateTime dateTime,
                           const TFormatSettings& settings = FormatSettings);
std::string DateToStr(TDateTime date, const TFormatSettings& settings = FormatSettings);
std::string TimeToStr(TDateTime time, const TFormatSettings& settings = FormatSettings);
std::string DateTimeToStr(TDateTime dateTime, const TFormatSettings& settings = FormatSettings);

// The order of day, month and year follows ShortDateFormat; a missing year is the current one and
// two-digit years follow TwoDigitYearCenturyWindow. Raises EConvertError "'%s' is not a valid date".
TDateTime StrToDate(std::string_view s, const TFormatSettings& settings = FormatSettings);
TDateTime StrToDateDef(std::string_view s, TDateTime defaultValue,
                       const TFormatSettings& settings = FormatSettings);
bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& settings = FormatSettings);
// h[:n[:s[.z]]] with an optional AM/PM marker; spaces may stand around each part, and a field may
// have leading zeros however many ("12:034:00056" is 12:34:56). Raises EConvertError
// "'%s' is not a valid time".
TDateTime StrToTime(std::string_view s, const TFormatSettings& settings = FormatSettings);
TDateTime StrToTimeDef(std::string_view s, TDateTime defaultValue,
                       const TFormatSettings& settings = FormatSettings);
bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& settings = FormatSettings);
// A date, optionally followed by a time. Raises EConvertError "'%s' is not a valid date and time".
TDateTime StrToDateTime(std::string_view s, const TFormatSettings& settings = FormatSettings);
TDateTime StrToDateTimeDef(std::string_view s, TDateTime defaultValue,
                           const TFormatSettings& settings = FormatSettings);
bool TryStrToDateTime(std::string_view s, TDateTime& value, const TFormatSettings& settings = FormatSettings);

}  // namespace vcl

#include "vcl/fileutils.h"
