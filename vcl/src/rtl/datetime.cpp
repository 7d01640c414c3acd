#include <algorithm>
#include <charconv>
#include <cmath>

#include "vcl/sysutils.h"
#include "win32/kernel.h"

namespace vcl {

namespace {

// Day numbers count from 0001-01-01 = 1; the framework's TDateTime 0 is day DateDelta.
constexpr Int64 kMinDay = 1;
constexpr Int64 kMaxDay = 3652059;  // 9999-12-31

struct TimeStamp {
    Int64 day;      // 0 when out of range
    Integer msecs;  // since midnight
};

TimeStamp ToTimeStamp(TDateTime value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6) return {0, 0};
    const auto ms = static_cast<Int64>(std::nearbyint(std::fabs(value) * MSecsPerDay));
    Int64 day = ms / MSecsPerDay;
    if (value < 0) day = -day;
    day += DateDelta;
    if (day < kMinDay || day > kMaxDay) return {0, 0};
    return {day, static_cast<Integer>(ms % MSecsPerDay)};
}

void CivilFromDay(Int64 day, Word& year, Word& month, Word& dayOfMonth) {
    // Days since 1970-01-01, then the proleptic Gregorian calendar by eras of 400 years.
    const Int64 z = day - 719163 + 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    dayOfMonth = static_cast<Word>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<Word>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<Word>(static_cast<Int64>(yoe) + era * 400 + (month <= 2));
}

struct DateParts {
    Word year = 0, month = 0, day = 0, dayOfWeek = 0;  // dayOfWeek 1 = Sunday
    Word hour = 0, minute = 0, second = 0, msec = 0;
};

DateParts Decode(TDateTime value) {
    DateParts p;
    const TimeStamp ts = ToTimeStamp(value);
    if (ts.day == 0) return p;
    CivilFromDay(ts.day, p.year, p.month, p.day);
    p.dayOfWeek = static_cast<Word>(ts.day % 7 + 1);
    p.hour = static_cast<Word>(ts.msecs / 3600000);
    p.minute = static_cast<Word>(ts.msecs / 60000 % 60);
    p.second = static_cast<Word>(ts.msecs / 1000 % 60);
    p.msec = static_cast<Word>(ts.msecs % 1000);
    return p;
}

Word CurrentYear() {
    win32::SYSTEMTIME st;
    win32::GetLocalTime(&st);
    return st.wYear;
}

// ---------------------------------------------------------------------------------------------
// Formatting

void AppendNumber(std::string& out, unsigned value, int minDigits) {
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (auto length = r.ptr - buffer; length < minDigits; ++length)
        out.push_back('0');
    out.append(buffer, r.ptr);
}

constexpr char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool StartsWithText(std::string_view s, size_t pos, std::string_view what) {
    if (s.size() - pos < what.size()) return false;
    for (size_t i = 0; i < what.size(); ++i)
        if (Upper(s[pos + i]) != Upper(what[i])) return false;
    return true;
}

// Whether an am/pm marker follows before the next hour specifier.
bool TwelveHourClock(std::string_view format, size_t pos) {
    char quote = 0;
    for (; pos < format.size(); ++pos) {
        const char c = format[pos];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == 'h' || c == 'H') {
            return false;
        } else if (c == 'a' || c == 'A') {
            if (StartsWithText(format, pos, "am/pm") || StartsWithText(format, pos, "a/p") ||
                StartsWithText(format, pos, "ampm"))
                return true;
        }
    }
    return false;
}

class DateFormatter {
public:
    DateFormatter(const TFormatSettings& settings, TDateTime value) : s_(settings), p_(Decode(value)) {}

    void Append(std::string_view format, std::string& out, int level) {
        if (format.empty()) format = "c";
        char lastToken = ' ';
        size_t i = 0;
        while (i < format.size()) {
            const char starter = format[i];
            char token = Upper(starter);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H') token = 'N';
                lastToken = token;
            }
            size_t count = 1;
            auto countRun = [&] {
                while (i + count < format.size() && Upper(format[i + count]) == Upper(starter))
                    ++count;
            };
            switch (token) {
                case 'Y':
                    countRun();
                    if (count <= 2)
                        AppendNumber(out, p_.year % 100, 2);
                    else
                        AppendNumber(out, p_.year, 4);
                    break;
                case 'M':
                    countRun();
                    if (count <= 2)
                        AppendNumber(out, p_.month, static_cast<int>(count));
                    else if (p_.month)
                        out.append(count == 3 ? s_.ShortMonthNames[p_.month - 1]
                                              : s_.LongMonthNames[p_.month - 1]);
                    break;
                case 'D':
                    countRun();
                    if (count <= 2) {
                        AppendNumber(out, p_.day, static_cast<int>(count));
                    } else if (count <= 4) {
                        if (p_.dayOfWeek)
                            out.append(count == 3 ? s_.ShortDayNames[p_.dayOfWeek - 1]
                                                  : s_.LongDayNames[p_.dayOfWeek - 1]);
                    } else {
                        Nested(count == 5 ? s_.ShortDateFormat : s_.LongDateFormat, out, level);
                    }
                    break;
                case 'H': {
                    countRun();
                    unsigned hour = p_.hour;
                    if (TwelveHourClock(format, i + count)) {
                        hour %= 12;
                        if (hour == 0) hour = 12;
                    }
                    AppendNumber(out, hour, count >= 2 ? 2 : 1);
                    break;
                }
                case 'N':
                    countRun();
                    AppendNumber(out, p_.minute, count >= 2 ? 2 : 1);
                    break;
                case 'S':
                    countRun();
                    AppendNumber(out, p_.second, count >= 2 ? 2 : 1);
                    break;
                case 'Z':
                    countRun();
                    AppendNumber(out, p_.msec, count >= 2 ? 3 : 1);
                    break;
                case 'T':
                    countRun();
                    Nested(count == 1 ? s_.ShortTimeFormat : s_.LongTimeFormat, out, level);
                    break;
                case 'C':
                    countRun();
                    Nested(s_.ShortDateFormat, out, level);
                    if (p_.hour || p_.minute || p_.second || p_.msec) {
                        out.push_back(' ');
                        Nested(s_.LongTimeFormat, out, level);
                    }
                    break;
                case 'A': {
                    const bool pm = p_.hour >= 12;
                    if (StartsWithText(format, i, "am/pm")) {
                        out.append(format.substr(i + (pm ? 3 : 0), 2));
                        count = 5;
                    } else if (StartsWithText(format, i, "a/p")) {
                        out.push_back(format[i + (pm ? 2 : 0)]);
                        count = 3;
                    } else if (StartsWithText(format, i, "ampm")) {
                        out.append(pm ? s_.TimePMString : s_.TimeAMString);
                        count = 4;
                    } else {
                        out.push_back(starter);
                    }
                    break;
                }
                case '/':
                    out.push_back(s_.DateSeparator);
                    break;
                case ':':
                    out.push_back(s_.TimeSeparator);
                    break;
                case '\'':
                case '"': {
                    const size_t end = format.find(starter, i + 1);
                    const size_t stop = end == std::string_view::npos ? format.size() : end;
                    out.append(format.substr(i + 1, stop - i - 1));
                    count = stop == format.size() ? stop - i : stop - i + 1;
                    break;
                }
                default:
                    out.push_back(starter);
                    break;
            }
            i += count;
        }
    }

private:
    // Formats named by a specifier nest only so deep, so that settings that name themselves end.
    void Nested(std::string_view format, std::string& out, int level) {
        if (level < 2) Append(format, out, level + 1);
    }

    const TFormatSettings& s_;
    DateParts p_;
};

// ---------------------------------------------------------------------------------------------
// Parsing

struct Scanner {
    std::string_view s;
    size_t pos = 0;

    // Spaces only: a tab or another control character is not a separator of dates and times.
    void Blanks() {
        while (pos < s.size() && s[pos] == ' ')
            ++pos;
    }
    bool Char(char c) {
        Blanks();
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    // Digits whose value stays at most 9999, leading zeros however many ("00056" is 56);
    // `digits` receives how many there were.
    bool Number(Word& value, int& digits) {
        Blanks();
        size_t start = pos;
        unsigned result = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            result = result * 10 + static_cast<unsigned>(s[pos++] - '0');
            if (result > 9999) return false;
        }
        digits = static_cast<int>(pos - start);
        value = static_cast<Word>(result);
        return digits > 0;
    }
    bool Text(std::string_view what) {
        if (what.empty() || !StartsWithText(s, pos, what)) return false;
        pos += what.size();
        return true;
    }
    bool AtEnd() {
        Blanks();
        return pos == s.size();
    }
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::string_view shortDateFormat) {
    for (char c : shortDateFormat) {
        switch (Upper(c)) {
            case 'Y':
                return DateOrder::YMD;
            case 'M':
                return DateOrder::MDY;
            case 'D':
                return DateOrder::DMY;
            default:
                break;
        }
    }
    return DateOrder::MDY;
}

bool ScanDate(Scanner& sc, const TFormatSettings& settings, TDateTime& date) {
    Word n1, n2, n3 = 0;
    int l1, l2, l3 = 0;
    if (!sc.Number(n1, l1) || !sc.Char(settings.DateSeparator) || !sc.Number(n2, l2)) return false;
    const size_t save = sc.pos;
    const bool third = sc.Char(settings.DateSeparator) && sc.Number(n3, l3);
    if (!third) sc.pos = save;
    const DateOrder order = OrderOf(settings.ShortDateFormat);
    Word year, month, day;
    if (!third) {
        year = CurrentYear();
        if (order == DateOrder::DMY)
            day = n1, month = n2;
        else
            month = n1, day = n2;
    } else {
        int yearDigits;
        switch (order) {
            case DateOrder::MDY:
                month = n1, day = n2, year = n3, yearDigits = l3;
                break;
            case DateOrder::DMY:
                day = n1, month = n2, year = n3, yearDigits = l3;
                break;
            default:
                year = n1, yearDigits = l1, month = n2, day = n3;
                break;
        }
        if (yearDigits <= 2) {
            const int window = settings.TwoDigitYearCenturyWindow;
            const int base = CurrentYear() - window;
            int full = year + base / 100 * 100;
            if (window > 0 && full < base) full += 100;
            if (full < 1 || full > 9999) return false;
            year = static_cast<Word>(full);
        }
    }
    return TryEncodeDate(year, month, day, date);
}

bool ScanAmPm(Scanner& sc, const TFormatSettings& settings, int& marker) {
    sc.Blanks();
    if (sc.Text(settings.TimeAMString) || sc.Text("AM")) {
        marker = 1;
        return true;
    }
    if (sc.Text(settings.TimePMString) || sc.Text("PM")) {
        marker = 2;
        return true;
    }
    return false;
}

bool ScanTime(Scanner& sc, const TFormatSettings& settings, TDateTime& time) {
    int marker = 0;  // 1 = AM, 2 = PM
    ScanAmPm(sc, settings, marker);
    Word hour, minute = 0, second = 0, msec = 0;
    int digits;
    if (!sc.Number(hour, digits)) return false;
    if (sc.Char(settings.TimeSeparator)) {
        if (!sc.Number(minute, digits)) return false;
        if (sc.Char(settings.TimeSeparator)) {
            if (!sc.Number(second, digits)) return false;
            if (sc.Char(settings.DecimalSeparator) && !sc.Number(msec, digits)) return false;
        }
    }
    if (marker == 0) ScanAmPm(sc, settings, marker);
    if (marker) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        if (marker == 2) hour += 12;
    }
    return TryEncodeTime(hour, minute, second, msec, time);
}

[[noreturn]] void ConvertError(std::string_view s, std::string_view what) {
    std::string message = "'";
    message.append(s).append("' is not a valid ").append(what);
    throw EConvertError(std::move(message));
}

bool ParseDate(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
    Scanner sc{s};
    TDateTime date;
    if (!ScanDate(sc, settings, date) || !sc.AtEnd()) return false;
    value = date;
    return true;
}

bool ParseTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
    Scanner sc{s};
    TDateTime time;
    if (!ScanTime(sc, settings, time) || !sc.AtEnd()) return false;
    value = time;
    return true;
}

bool ParseDateTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
    Scanner sc{s};
    TDateTime date;
    if (ScanDate(sc, settings, date)) {
        if (sc.AtEnd()) {
            value = date;
            return true;
        }
        TDateTime time;
        if (!ScanTime(sc, settings, time) || !sc.AtEnd()) return false;
        value = ComposeDateTime(date, time);
        return true;
    }
    return ParseTime(s, value, settings);
}

}  // namespace

bool IsLeapYear(Word year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

Word DaysInAMonth(Word year, Word month) {
    if (month < 1 || month > 12) return 0;
    return MonthDays[IsLeapYear(year)][month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    Int64 days = day;
    for (int m = 1; m < month; ++m)
        days += MonthDays[IsLeapYear(year)][m - 1];
    const Int64 y = year - 1;
    date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + days - DateDelta);
    return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date)) throw EConvertError("Invalid argument to date encode");
    return date;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
    if (hour > 23 || min > 59 || sec > 59 || msec > 999) return false;
    time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
    TDateTime time;
    if (!TryEncodeTime(hour, min, sec, msec, time)) throw EConvertError("Invalid argument to time encode");
    return time;
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    const double t = std::fabs(time - std::trunc(time));
    return date < 0 ? std::trunc(date) - t : std::trunc(date) + t;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
    const DateParts p = Decode(date);
    year = p.year, month = p.month, day = p.day;
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
    const DateParts p = Decode(time);
    hour = p.hour, min = p.minute, sec = p.second, msec = p.msec;
}

Word DayOfWeek(TDateTime date) {
    return Decode(date).dayOfWeek;
}

TDateTime IncMonth(TDateTime date, Integer months) {
    const DateParts p = Decode(date);
    if (p.year == 0) throw EConvertError("Invalid argument to date encode");
    const Int64 index = Int64{p.year} * 12 + (p.month - 1) + months;
    const Int64 year = index / 12;
    if (index < 0 || year < 1 || year > 9999) throw EConvertError("Invalid argument to date encode");
    const auto month = static_cast<Word>(index % 12 + 1);
    const Word day = std::min(p.day, DaysInAMonth(static_cast<Word>(year), month));
    return ComposeDateTime(EncodeDate(static_cast<Word>(year), month, day), date - std::trunc(date));
}

TDateTime Date() {
    win32::SYSTEMTIME st;
    win32::GetLocalTime(&st);
    return EncodeDate(st.wYear, st.wMonth, st.wDay);
}

TDateTime Time() {
    win32::SYSTEMTIME st;
    win32::GetLocalTime(&st);
    return EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

TDateTime Now() {
    win32::SYSTEMTIME st;
    win32::GetLocalTime(&st);
    return ComposeDateTime(EncodeDate(st.wYear, st.wMonth, st.wDay),
                           EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds));
}

void DateTimeToSystemTime(TDateTime dateTime, TSystemTime& systemTime) {
    const DateParts p = Decode(dateTime);
    systemTime = {p.year,   p.month, static_cast<Word>(p.dayOfWeek ? p.dayOfWeek - 1 : 0),
                  p.day,    p.hour,  p.minute,
                  p.second, p.msec};
}

TDateTime SystemTimeToDateTime(const TSystemTime& t) {
    return ComposeDateTime(EncodeDate(t.wYear, t.wMonth, t.wDay),
                           EncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds));
}

std::string FormatDateTime(std::string_view format, TDateTime dateTime, const TFormatSettings& settings) {
    std::string out;
    DateFormatter(settings, dateTime).Append(format, out, 0);
    return out;
}

std::string DateToStr(TDateTime date, const TFormatSettings& settings) {
    return FormatDateTime("ddddd", date, settings);
}
std::string TimeToStr(TDateTime time, const TFormatSettings& settings) {
    return FormatDateTime("tt", time, settings);
}
std::string DateTimeToStr(TDateTime dateTime, const TFormatSettings& settings) {
    return FormatDateTime("c", dateTime, settings);
}

TDateTime StrToDate(std::string_view s, const TFormatSettings& settings) {
    TDateTime value;
    if (!ParseDate(s, value, settings)) ConvertError(s, "date");
    return value;
}
TDateTime StrToDateDef(std::string_view s, TDateTime defaultValue, const TFormatSettings& settings) {
    TDateTime value;
    return ParseDate(s, value, settings) ? value : defaultValue;
}
bool TryStrToDate(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
    return ParseDate(s, value, settings);
}

TDateTime StrToTime(std::string_view s, const TFormatSettings& settings) {
    TDateTime value;
    if (!ParseTime(s, value, settings)) ConvertError(s, "time");
    return value;
}
TDateTime StrToTimeDef(std::string_view s, TDateTime defaultValue, const TFormatSettings& settings) {
    TDateTime value;
    return ParseTime(s, value, settings) ? value : defaultValue;
}
bool TryStrToTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
    return ParseTime(s, value, settings);
}

TDateTime StrToDateTime(std::string_view s, const TFormatSettings& settings) {
    TDateTime value;
    if (!ParseDateTime(s, value, settings)) ConvertError(s, "date and time");
    return value;
}
TDateTime StrToDateTimeDef(std::string_view s, TDateTime defaultValue, const TFormatSettings& settings) {
    TDateTime value;
    return ParseDateTime(s, value, settings) ? value : defaultValue;
}
bool TryStrToDateTime(std::string_view s, TDateTime& value, const TFormatSettings& settings) {
    return ParseDateTime(s, value, settings);
}

}  // namespace vcl
