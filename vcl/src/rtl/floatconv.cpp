// Floating point and currency conversions. Every number goes through a decimal digit string that
// is rounded once, at the tighter of the significant-digit and decimal-place limits, halves away
// from zero on the exact value.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "vcl/sysutils.h"

#include "rtl/chars.h"

namespace vcl {

namespace {

// 128-bit intermediates keep currency products and parsing exact.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

constexpr int kNoLimit = 1 << 20;
constexpr int kMaxDigits = 20;

// |value| = 0.d1 d2 ... dn * 10^exponent, without trailing zeros; count == 0 for zero.
struct Decimal {
    char digits[kMaxDigits + 2];
    int count = 0;
    int exponent = 0;
    bool negative = false;
};

// Exact comparison of |value| with the decimal `digits` * 10^(exponent - length).
bool ExactlyEqual(double abs, const char* digits, int length, int exponent) {
    // 800 significant digits cover the exact expansion of every double.
    char buffer[900];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, abs, std::chars_format::scientific, 800);
    const char* end = result.ptr;
    const char* e = end;
    while (e > buffer && *(e - 1) != 'e')
        --e;
    int exp10 = 0;
    std::from_chars(e[0] == '+' ? e + 1 : e, end, exp10);
    if (exp10 + 1 != exponent) return false;
    // Mantissa digits: buffer[0], then buffer[2..] up to the 'e'.
    const char* mantissaEnd = e - 1;
    int index = 0;
    for (const char* p = buffer; p < mantissaEnd; ++p) {
        if (*p == '.') continue;
        const char expected = index < length ? digits[index] : '0';
        if (*p != expected) return false;
        ++index;
    }
    return index >= length;
}

// Rounds |value| to `keep` significant digits; keep == 0 rounds to the place just above the first
// digit. `exponent` is that of |value| in the 0.d form.
void RoundSignificant(double abs, int keep, int exponent, Decimal& out) {
    out.count = 0;
    if (keep == 0) {
        // Up to 10^exponent from half of it on: compare with the double nearest to that half, and
        // settle equality on the exact expansion.
        char half[32];
        half[0] = '5';
        half[1] = 'e';
        const auto r = std::to_chars(half + 2, half + sizeof half, exponent - 1);
        double threshold = 0;
        std::from_chars(half, r.ptr, threshold);
        bool up = abs > threshold;
        if (abs == threshold) {
            char exact[900];
            const auto e =
                std::to_chars(exact, exact + sizeof exact, abs, std::chars_format::scientific, 800);
            (void)e;
            up = exact[0] >= '5';
        }
        if (up) {
            out.digits[0] = '1';
            out.count = 1;
            out.exponent = exponent + 1;
        }
        return;
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, abs, std::chars_format::scientific, keep - 1);
    const char* end = result.ptr;
    const char* e = end;
    while (*(e - 1) != 'e')
        --e;
    int exp10 = 0;
    std::from_chars(e[0] == '+' ? e + 1 : e, end, exp10);
    int count = 0;
    for (const char* p = buffer; p < e - 1; ++p)
        if (*p != '.') out.digits[count++] = *p;
    out.exponent = exp10 + 1;
    // The conversion rounds halves to even; an exact half that went down goes up instead.
    out.digits[count] = '5';
    char candidate[80];
    std::memcpy(candidate, out.digits, static_cast<size_t>(count) + 1);
    char* c = candidate + count + 1;
    *c++ = 'e';
    c = std::to_chars(c, candidate + sizeof candidate, exp10 - count).ptr;
    double tie = 0;
    std::from_chars(candidate, c, tie);
    if (tie == abs && ExactlyEqual(abs, out.digits, count + 1, out.exponent)) {
        int i = count - 1;
        while (i >= 0 && out.digits[i] == '9')
            out.digits[i--] = '0';
        if (i >= 0) {
            ++out.digits[i];
        } else {
            out.digits[0] = '1';
            for (int k = 1; k < count; ++k)
                out.digits[k] = '0';
            ++out.exponent;
        }
    }
    while (count > 0 && out.digits[count - 1] == '0')
        --count;
    out.count = count;
}

int DecimalExponent(double abs) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, abs, std::chars_format::scientific, 17);
    const char* e = result.ptr;
    while (*(e - 1) != 'e')
        --e;
    int exp10 = 0;
    std::from_chars(e[0] == '+' ? e + 1 : e, result.ptr, exp10);
    return exp10 + 1;
}

// A number to format: a finite double or a currency's raw value.
struct Number {
    bool isCurrency;
    double value;
    Int64 raw;

    bool Negative() const { return isCurrency ? raw < 0 : std::signbit(value); }
};

// Rounds digit strings that are already exact, half away from zero.
void RoundDigits(Decimal& d, int keep) {
    if (keep >= d.count) return;
    if (keep < 0) {
        d.count = 0;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9')
            --i;
        if (i < 0) {
            d.digits[0] = '1';
            d.count = 1;
            ++d.exponent;
            return;
        }
        ++d.digits[i];
        d.count = i + 1;
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
}

// Rounds to `precision` significant digits or `decimals` places, whichever is tighter.
Decimal ToDecimal(const Number& n, int precision, int decimals) {
    Decimal d;
    d.negative = n.Negative();
    if (n.isCurrency) {
        uint64_t magnitude = n.raw < 0 ? 0 - static_cast<uint64_t>(n.raw) : static_cast<uint64_t>(n.raw);
        if (magnitude == 0) return d;
        char buffer[24];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
        const int length = static_cast<int>(r.ptr - buffer);
        std::memcpy(d.digits, buffer, static_cast<size_t>(length));
        d.count = length;
        d.exponent = length - 4;
        while (d.count > 0 && d.digits[d.count - 1] == '0')
            --d.count;
        RoundDigits(d, std::min(precision, d.exponent + decimals));
        return d;
    }
    const double abs = std::fabs(n.value);
    if (abs == 0) return d;
    const int exponent = DecimalExponent(abs);
    const int keep = std::min(precision, exponent + std::min(decimals, kNoLimit));
    if (keep < 0) return d;
    RoundSignificant(abs, keep, exponent, d);
    return d;
}

void AppendDigits(std::string& out, const Decimal& d, int from, int to) {
    for (int i = from; i < to; ++i)
        out.push_back(i >= 0 && i < d.count ? d.digits[i] : '0');
}

void AppendExponent(std::string& out, int exponent, bool plusSign, int minDigits) {
    if (exponent < 0)
        out.push_back('-');
    else if (plusSign)
        out.push_back('+');
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, exponent < 0 ? -exponent : exponent);
    for (auto length = r.ptr - buffer; length < minDigits; ++length)
        out.push_back('0');
    out.append(buffer, r.ptr);
}

// Integer part with optional thousands separators, then `decimals` places.
void AppendFixed(std::string& out, const Decimal& d, int decimals, char thousands, char decimal) {
    if (d.count == 0 || d.exponent <= 0) {
        out.push_back('0');
    } else {
        for (int i = 0; i < d.exponent; ++i) {
            if (thousands && i > 0 && (d.exponent - i) % 3 == 0) out.push_back(thousands);
            out.push_back(i < d.count ? d.digits[i] : '0');
        }
    }
    if (decimals > 0) {
        out.push_back(decimal);
        AppendDigits(out, d, d.exponent, d.exponent + decimals);
    }
}

std::string SpecialValue(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string General(const Number& n, int precision, int expDigits, const TFormatSettings& settings) {
    const Decimal d = ToDecimal(n, precision, kNoLimit);
    std::string out;
    if (d.count == 0) return "0";
    if (d.negative) out.push_back('-');
    if (d.exponent > precision || d.exponent < -3) {
        out.push_back(d.digits[0]);
        if (d.count > 1) {
            out.push_back(settings.DecimalSeparator);
            AppendDigits(out, d, 1, d.count);
        }
        out.push_back('E');
        AppendExponent(out, d.exponent - 1, false, expDigits);
    } else {
        AppendFixed(out, d, std::max(0, d.count - d.exponent), 0, settings.DecimalSeparator);
    }
    return out;
}

std::string Exponent(const Number& n, int precision, int expDigits, const TFormatSettings& settings) {
    const Decimal d = ToDecimal(n, precision, kNoLimit);
    std::string out;
    if (d.negative && d.count) out.push_back('-');
    out.push_back(d.count ? d.digits[0] : '0');
    if (precision > 1) {
        out.push_back(settings.DecimalSeparator);
        AppendDigits(out, d, 1, precision);
    }
    out.push_back('E');
    AppendExponent(out, d.count ? d.exponent - 1 : 0, true, expDigits);
    return out;
}

// Places the formatted magnitude into the currency pattern.
std::string CurrencyPattern(std::string_view amount, bool negative, const TFormatSettings& s) {
    const std::string& c = s.CurrencyString;
    std::string out;
    if (!negative) {
        switch (s.CurrencyFormat) {
            case 1:
                return out.append(amount).append(c);
            case 2:
                return out.append(c).append(" ").append(amount);
            case 3:
                return out.append(amount).append(" ").append(c);
            default:
                return out.append(c).append(amount);
        }
    }
    switch (s.NegCurrFormat) {
        case 1:
            return out.append("-").append(c).append(amount);
        case 2:
            return out.append(c).append("-").append(amount);
        case 3:
            return out.append(c).append(amount).append("-");
        case 4:
            return out.append("(").append(amount).append(c).append(")");
        case 5:
            return out.append("-").append(amount).append(c);
        case 6:
            return out.append(amount).append("-").append(c);
        case 7:
            return out.append(amount).append(c).append("-");
        case 8:
            return out.append("-").append(amount).append(" ").append(c);
        case 9:
            return out.append("-").append(c).append(" ").append(amount);
        case 10:
            return out.append(amount).append(" ").append(c).append("-");
        case 11:
            return out.append(c).append(" ").append(amount).append("-");
        case 12:
            return out.append(c).append(" -").append(amount);
        case 13:
            return out.append(amount).append("- ").append(c);
        case 14:
            return out.append("(").append(c).append(" ").append(amount).append(")");
        case 15:
            return out.append("(").append(amount).append(" ").append(c).append(")");
        default:
            return out.append("(").append(c).append(amount).append(")");
    }
}

std::string FormatNumber(const Number& n, TFloatFormat format, int precision, int digits,
                         const TFormatSettings& settings) {
    precision = std::clamp(precision, 1, 18);
    if (!n.isCurrency && !std::isfinite(n.value)) return SpecialValue(n.value);
    switch (format) {
        case TFloatFormat::ffGeneral:
            return General(n, precision, std::clamp(digits, 0, 4), settings);
        case TFloatFormat::ffExponent:
            return Exponent(n, precision, std::clamp(digits, 0, 4), settings);
        default:
            break;
    }
    digits = std::clamp(digits, 0, 18);
    const Decimal d = ToDecimal(n, precision, digits);
    // More whole digits than the precision can show fall back to the general format.
    if (d.count && d.exponent > precision) return General(n, precision, 0, settings);
    std::string out;
    const bool negative = d.negative && d.count;
    if (format == TFloatFormat::ffFixed) {
        if (negative) out.push_back('-');
        AppendFixed(out, d, digits, 0, settings.DecimalSeparator);
        return out;
    }
    if (format == TFloatFormat::ffNumber) {
        if (negative) out.push_back('-');
        AppendFixed(out, d, digits, settings.ThousandSeparator, settings.DecimalSeparator);
        return out;
    }
    AppendFixed(out, d, digits, settings.ThousandSeparator, settings.DecimalSeparator);
    return CurrencyPattern(out, negative, settings);
}

// ---------------------------------------------------------------------------------------------
// FormatFloat masks

// Splits at ';' outside quotes; returns the number of sections (1..3).
int SplitSections(std::string_view format, std::string_view (&sections)[3]) {
    int count = 0;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';' && count < 2) {
            sections[count++] = format.substr(start, i - start);
            start = i + 1;
        }
    }
    sections[count++] = format.substr(start);
    return count;
}

struct MaskInfo {
    int integerPlaceholders = 0;
    int firstZero = -1;  // index of the first integer '0', counted from the left
    int minDecimals = 0;
    int maxDecimals = 0;
    bool thousands = false;
    bool scientific = false;
    bool expPlus = false;
    int expDigits = 0;
};

MaskInfo Analyse(std::string_view mask) {
    MaskInfo info;
    bool afterPoint = false;
    char quote = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        switch (c) {
            case '\'':
            case '"':
                quote = c;
                break;
            case '0':
            case '#':
                if (afterPoint) {
                    ++info.maxDecimals;
                    if (c == '0') info.minDecimals = info.maxDecimals;
                } else {
                    if (c == '0' && info.firstZero < 0) info.firstZero = info.integerPlaceholders;
                    ++info.integerPlaceholders;
                }
                break;
            case '.':
                afterPoint = true;
                break;
            case ',':
                if (!afterPoint) info.thousands = true;
                break;
            case 'E':
            case 'e':
                if (!info.scientific && i + 1 < mask.size() && (mask[i + 1] == '+' || mask[i + 1] == '-')) {
                    info.scientific = true;
                    info.expPlus = mask[i + 1] == '+';
                    size_t j = i + 2;
                    while (j < mask.size() && mask[j] == '0')
                        ++j;
                    info.expDigits = static_cast<int>(j - (i + 2));
                    i = j - 1;
                }
                break;
            default:
                break;
        }
    }
    return info;
}

std::string ApplyMask(std::string_view mask, const Number& n, bool withSign, const TFormatSettings& settings,
                      bool* roundedToZero) {
    const MaskInfo info = Analyse(mask);
    Decimal d;
    int exponent10 = 0;
    int wholeCount = 0;  // digits before the point: d.digits[0, wholeCount), padded with zeros
    if (info.scientific) {
        wholeCount = std::max(info.integerPlaceholders, 1);
        d = ToDecimal(n, std::min(18, wholeCount + info.maxDecimals), kNoLimit);
        exponent10 = d.count ? d.exponent - wholeCount : 0;
        d.exponent = wholeCount;
    } else {
        d = ToDecimal(n, 15, info.maxDecimals);
        wholeCount = d.count ? std::max(d.exponent, 0) : 0;
    }
    *roundedToZero = d.count == 0;
    const int significant = std::max(0, d.count - d.exponent);
    const int fractionShown = std::clamp(significant, info.minDecimals, info.maxDecimals);
    const int placeholders = info.integerPlaceholders;
    // The whole digits right-aligned in `slots` positions; placeholders take the last ones.
    const int slots = std::max(wholeCount, placeholders);
    const int virtualCount = slots - wholeCount;
    const int zeroFrom = info.firstZero < 0 ? slots : slots - placeholders + info.firstZero;

    std::string out;
    if (withSign && d.count) out.push_back('-');
    int next = 0;  // next slot
    auto emitSlots = [&](int upTo) {
        for (; next < upTo; ++next) {
            const bool real = next >= virtualCount;
            if (!real && next < zeroFrom) continue;
            const int position = next - virtualCount;
            out.push_back(real && position < d.count ? d.digits[position] : '0');
            const int remaining = slots - 1 - next;
            if (info.thousands && settings.ThousandSeparator && remaining > 0 && remaining % 3 == 0)
                out.push_back(settings.ThousandSeparator);
        }
    };
    int placeholder = 0, fractionIndex = 0;
    bool afterPoint = false;
    char quote = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out.push_back(c);
            continue;
        }
        switch (c) {
            case '\'':
            case '"':
                quote = c;
                break;
            case '0':
            case '#':
                if (!afterPoint) {
                    ++placeholder;
                    emitSlots(slots - placeholders + placeholder);
                } else if (fractionIndex < fractionShown) {
                    const int position = d.exponent + fractionIndex++;
                    out.push_back(position >= 0 && position < d.count ? d.digits[position] : '0');
                }
                break;
            case '.':
                if (!afterPoint) {
                    emitSlots(slots);
                    afterPoint = true;
                    if (fractionShown > 0) out.push_back(settings.DecimalSeparator);
                }
                break;
            case ',':
                break;
            case 'E':
            case 'e':
                if (info.scientific && i + 1 < mask.size() && (mask[i + 1] == '+' || mask[i + 1] == '-')) {
                    if (!afterPoint) emitSlots(slots);
                    afterPoint = true;
                    out.push_back(c);
                    AppendExponent(out, exponent10, info.expPlus, info.expDigits);
                    size_t j = i + 2;
                    while (j < mask.size() && mask[j] == '0')
                        ++j;
                    i = j - 1;
                    break;
                }
                out.push_back(c);
                break;
            default:
                out.push_back(c);
                break;
        }
    }
    // A mask without whole placeholders still shows the whole digits, at its end.
    if (!afterPoint) emitSlots(slots);
    return out;
}

std::string FormatMask(std::string_view format, const Number& n, const TFormatSettings& settings) {
    std::string_view sections[3];
    const int count = SplitSections(format, sections);
    const bool negative = n.Negative();
    std::string_view mask = sections[0];
    bool withSign = negative;
    if (negative && count >= 2 && !sections[1].empty()) {
        mask = sections[1];
        withSign = false;
    }
    bool zero = false;
    std::string out = ApplyMask(mask, n, withSign, settings, &zero);
    if (zero && count >= 3 && !sections[2].empty()) {
        const Number none{n.isCurrency, 0.0, 0};
        out = ApplyMask(sections[2], none, false, settings, &zero);
    }
    return out;
}

std::string FormatMaskOf(std::string_view format, const Number& n, const TFormatSettings& settings) {
    if (format.empty()) return General(n, n.isCurrency ? 19 : 15, 0, settings);
    if (!n.isCurrency) {
        if (!std::isfinite(n.value)) return SpecialValue(n.value);
        // Beyond 18 whole digits the mask's layout cannot hold the number.
        if (std::fabs(n.value) >= 1e18) {
            std::string_view sections[3];
            SplitSections(format, sections);
            if (!Analyse(sections[0]).scientific) return General(n, 15, 0, settings);
        }
    }
    return FormatMask(format, n, settings);
}

// ---------------------------------------------------------------------------------------------
// Parsing

// Numbers may stand between spaces, but not between tabs or other control characters.
std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The parts of "[sign] digits [sep digits] [e [sign] digits]".
struct NumberText {
    bool negative = false;
    std::string_view whole, fraction;
    bool expNegative = false;
    Int64 exponent = 0;  // saturated
};

bool Scan(std::string_view s, char decimalSeparator, NumberText& t) {
    s = TrimSpaces(s);
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) t.negative = s[i++] == '-';
    size_t start = i;
    while (i < s.size() && chars::IsDigit(s[i]))
        ++i;
    t.whole = s.substr(start, i - start);
    if (i < s.size() && s[i] == decimalSeparator) {
        start = ++i;
        while (i < s.size() && chars::IsDigit(s[i]))
            ++i;
        t.fraction = s.substr(start, i - start);
    }
    if (t.whole.empty() && t.fraction.empty()) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) t.expNegative = s[i++] == '-';
        start = i;
        while (i < s.size() && chars::IsDigit(s[i])) {
            if (t.exponent < 100000000) t.exponent = t.exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (i == start) return false;
    }
    return i == s.size();
}

bool ParseFloat(std::string_view s, double& value, const TFormatSettings& settings) {
    NumberText t;
    if (!Scan(s, settings.DecimalSeparator, t)) return false;
    // The common case, a short plain number written with a point, is already in from_chars' own
    // form: it parses where it stands, rounded the same way, and cannot leave the double range.
    if (settings.DecimalSeparator == '.' && t.exponent == 0 && t.whole.size() + t.fraction.size() <= 18) {
        const std::string_view digits = TrimSpaces(s);
        const char* first = digits.data() + (digits.front() == '+' ? 1 : 0);
        const auto parsed = std::from_chars(first, digits.data() + digits.size(), value);
        if (parsed.ec == std::errc() && parsed.ptr == digits.data() + digits.size()) return true;
    }
    // Significant digits and the decimal exponent of the last one, for from_chars.
    std::string_view whole = t.whole;
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    std::string_view fraction = t.fraction;
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    Int64 exponent = t.expNegative ? -t.exponent : t.exponent;
    double result = 0;
    if (!whole.empty() || !fraction.empty()) {
        // "digits" "e" exponent, with the digits of both parts run together.
        const Int64 exp10 = exponent - static_cast<Int64>(fraction.size());
        if (whole.empty())
            while (fraction.front() == '0')
                fraction.remove_prefix(1);
        // Beyond 800 digits the rest cannot change the nearest double except through a tie,
        // which the trailing non-zero digit keeps broken the right way.
        char small[900];
        size_t used = 0;
        Int64 dropped = 0;
        auto put = [&](char c) {
            if (used < 800)
                small[used++] = c;
            else {
                ++dropped;
                if (c != '0') small[799] = small[799] == '0' ? '1' : small[799];
            }
        };
        for (char c : whole)
            put(c);
        for (char c : fraction)
            put(c);
        small[used++] = 'e';
        const auto r = std::to_chars(small + used, small + sizeof small, exp10 + dropped);
        const auto parsed = std::from_chars(small, r.ptr, result);
        if (parsed.ec == std::errc::result_out_of_range) {
            // Too large is an error; too small is zero.
            const Int64 magnitude = static_cast<Int64>(used - 1) + exp10 + dropped;
            if (magnitude > 0) return false;
            result = 0;
        } else if (parsed.ec != std::errc()) {
            return false;
        }
        if (!std::isfinite(result)) return false;
    }
    value = t.negative ? -result : result;
    return true;
}

bool ParseCurrency(std::string_view s, Currency& value, const TFormatSettings& settings) {
    NumberText t;
    if (!Scan(s, settings.DecimalSeparator, t)) return false;
    const Int64 exponent = t.expNegative ? -t.exponent : t.exponent;
    // Shift the decimal point: a digit at place p (p = 0 for units) contributes to raw at p + 4.
    UInt128 raw = 0;
    int roundDigit = -1;  // the first digit below 10^-4
    bool sticky = false;  // any non-zero digit after it
    const Int64 wholeCount = static_cast<Int64>(t.whole.size());
    const Int64 total = wholeCount + static_cast<Int64>(t.fraction.size());
    const UInt128 limit = static_cast<UInt128>(1) << 64;
    for (Int64 k = 0; k < total; ++k) {
        const char c = k < wholeCount ? t.whole[static_cast<size_t>(k)]
                                      : t.fraction[static_cast<size_t>(k - wholeCount)];
        const int digit = c - '0';
        // Place of this digit relative to 10^-4 units: raw position.
        const Int64 place = wholeCount - 1 - k + exponent + 4;
        if (place >= 0) {
            if (digit == 0 && raw == 0) continue;
            if (place > 19) return false;
            UInt128 term = static_cast<UInt128>(digit);
            for (Int64 p = 0; p < place; ++p)
                term *= 10;
            raw += term;
            if (raw >= limit) return false;
        } else if (place == -1) {
            roundDigit = digit;
        } else if (digit != 0) {
            if (roundDigit < 0) roundDigit = 0;
            sticky = true;
        }
    }
    // Halves go to even, as the hardware conversion does.
    if (roundDigit > 5 || (roundDigit == 5 && (sticky || (raw & 1)))) ++raw;
    const UInt128 maxMagnitude =
        t.negative ? static_cast<UInt128>(INT64_MAX) + 1 : static_cast<UInt128>(INT64_MAX);
    if (raw > maxMagnitude) return false;
    const auto bits = static_cast<uint64_t>(raw);
    value = Currency::FromRaw(t.negative ? static_cast<Int64>(0 - bits) : static_cast<Int64>(bits));
    return true;
}

[[noreturn]] void NotAFloat(std::string_view s) {
    std::string message = "'";
    message.append(s).append("' is not a valid floating point value");
    throw EConvertError(std::move(message));
}

[[noreturn]] void Overflow() {
    throw EOverflow("Floating point overflow");
}

Number FromDouble(double value) {
    return Number{false, value, 0};
}
Number FromCurrency(Currency value) {
    return Number{true, 0.0, value.raw};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Currency

Currency::Currency(Int64 units) {
    if (__builtin_mul_overflow(units, kScale, &raw)) Overflow();
}

Currency::Currency(double value) {
    const double scaled = value * static_cast<double>(kScale);
    if (!std::isfinite(scaled) || !(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
        throw EInvalidOp("Invalid floating point operation");
    raw = static_cast<Int64>(std::nearbyint(scaled));
}

Currency operator+(Currency a, Currency b) {
    Currency result;
    if (__builtin_add_overflow(a.raw, b.raw, &result.raw)) Overflow();
    return result;
}

Currency operator-(Currency a, Currency b) {
    Currency result;
    if (__builtin_sub_overflow(a.raw, b.raw, &result.raw)) Overflow();
    return result;
}

Currency Currency::operator-() const {
    return Currency{} - *this;
}

namespace {
// n / d rounded half to even, for d > 0.
Int128 DivideEven(Int128 n, Int128 d) {
    Int128 q = n / d, r = n % d;
    if (r < 0) r = -r;
    const bool negative = n < 0;
    if (r * 2 > d || (r * 2 == d && (q & 1))) q += negative ? -1 : 1;
    return q;
}

Currency FromWide(Int128 value) {
    if (value > INT64_MAX || value < INT64_MIN) Overflow();
    return Currency::FromRaw(static_cast<Int64>(value));
}
}  // namespace

Currency operator*(Currency a, Currency b) {
    return FromWide(DivideEven(static_cast<Int128>(a.raw) * b.raw, Currency::kScale));
}

Currency operator/(Currency a, Currency b) {
    if (b.raw == 0) throw EZeroDivide("Floating point division by zero");
    Int128 n = static_cast<Int128>(a.raw) * Currency::kScale, d = b.raw;
    if (d < 0) n = -n, d = -d;
    return FromWide(DivideEven(n, d));
}

// ---------------------------------------------------------------------------------------------
// Public conversions

std::string FloatToStr(double value, const TFormatSettings& settings) {
    return FloatToStrF(value, TFloatFormat::ffGeneral, 15, 0, settings);
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings) {
    return FormatNumber(FromDouble(value), format, precision, digits, settings);
}

std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings) {
    return FormatMaskOf(format, FromDouble(value), settings);
}

double StrToFloat(std::string_view s, const TFormatSettings& settings) {
    double value = 0;
    if (!ParseFloat(s, value, settings)) NotAFloat(s);
    return value;
}
double StrToFloatDef(std::string_view s, double defaultValue, const TFormatSettings& settings) {
    double value = 0;
    return ParseFloat(s, value, settings) ? value : defaultValue;
}
bool TryStrToFloat(std::string_view s, double& value, const TFormatSettings& settings) {
    return ParseFloat(s, value, settings);
}

std::string CurrToStr(Currency value, const TFormatSettings& settings) {
    return General(FromCurrency(value), 19, 0, settings);
}
std::string CurrToStrF(Currency value, TFloatFormat format, int digits, const TFormatSettings& settings) {
    const Number n = FromCurrency(value);
    if (format == TFloatFormat::ffGeneral) return General(n, 19, 0, settings);
    if (format == TFloatFormat::ffExponent) return Exponent(n, std::clamp(digits, 1, 19), 3, settings);
    digits = std::clamp(digits, 0, 18);
    const Decimal d = ToDecimal(n, kNoLimit, digits);
    const bool negative = d.negative && d.count;
    std::string out;
    if (negative && format != TFloatFormat::ffCurrency) out.push_back('-');
    AppendFixed(out, d, digits, format == TFloatFormat::ffFixed ? '\0' : settings.ThousandSeparator,
                settings.DecimalSeparator);
    return format == TFloatFormat::ffCurrency ? CurrencyPattern(out, negative, settings) : out;
}
std::string FormatCurr(std::string_view format, Currency value, const TFormatSettings& settings) {
    return FormatMaskOf(format, FromCurrency(value), settings);
}

Currency StrToCurr(std::string_view s, const TFormatSettings& settings) {
    Currency value;
    if (!ParseCurrency(s, value, settings)) NotAFloat(s);
    return value;
}
Currency StrToCurrDef(std::string_view s, Currency defaultValue, const TFormatSettings& settings) {
    Currency value;
    return ParseCurrency(s, value, settings) ? value : defaultValue;
}
bool TryStrToCurr(std::string_view s, Currency& value, const TFormatSettings& settings) {
    return ParseCurrency(s, value, settings);
}

}  // namespace vcl
