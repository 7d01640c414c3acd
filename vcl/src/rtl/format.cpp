#include <charconv>
#include <limits>

#include "vcl/sysutils.h"

namespace vcl {

namespace {

// Widths and precisions beyond this are taken as a broken format rather than a request for
// megabytes of padding.
constexpr Int64 kMaxWidth = 1 << 20;

size_t CharCount(std::string_view s) {
    size_t count = 0;
    for (char c : s)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// Byte length of the first `chars` characters of UTF-8 text.
size_t PrefixBytes(std::string_view s, size_t chars) {
    size_t i = 0;
    for (size_t seen = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (seen == chars) break;
            ++seen;
        }
    }
    return i;
}

void AppendUnsigned(std::string& out, uint64_t value, int minDigits) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (auto length = r.ptr - buffer; length < minDigits; ++length)
        out.push_back('0');
    out.append(buffer, r.ptr);
}

void AppendHex(std::string& out, uint64_t value, int minDigits) {
    char buffer[24];
    auto r = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
    for (char* p = buffer; p < r.ptr; ++p)
        if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
    for (auto length = r.ptr - buffer; length < minDigits; ++length)
        out.push_back('0');
    out.append(buffer, r.ptr);
}

class Formatter {
public:
    Formatter(const TFormatSettings& settings, std::string_view format, std::span<const TVarRec> args)
        : settings_(settings), format_(format), args_(args) {}

    std::string Run() {
        std::string out;
        out.reserve(format_.size() + 16 * args_.size());
        size_t pos = 0;
        while (pos < format_.size()) {
            const size_t percent = format_.find('%', pos);
            if (percent == std::string_view::npos) {
                out.append(format_.substr(pos));
                break;
            }
            out.append(format_.substr(pos, percent - pos));
            pos = percent + 1;
            if (pos < format_.size() && format_[pos] == '%') {
                out.push_back('%');
                ++pos;
                continue;
            }
            pos = Conversion(pos, out);
        }
        return out;
    }

private:
    [[noreturn]] void Invalid() const {
        std::string message = "Format '";
        message.append(format_).append("' invalid or incompatible with argument");
        throw EConvertError(std::move(message));
    }

    const TVarRec& NextArg() {
        if (next_ >= args_.size()) Invalid();
        return args_[next_++];
    }

    // Digits or '*'; -1 when neither is there.
    Int64 Number(size_t& pos) {
        if (pos < format_.size() && format_[pos] == '*') {
            ++pos;
            const TVarRec& arg = NextArg();
            if (arg.VType() != TVarRec::Kind::vtInteger) Invalid();
            return arg.AsInt64() < 0 ? 0 : arg.AsInt64();
        }
        if (pos >= format_.size() || format_[pos] < '0' || format_[pos] > '9') return -1;
        Int64 value = 0;
        while (pos < format_.size() && format_[pos] >= '0' && format_[pos] <= '9') {
            value = value * 10 + (format_[pos++] - '0');
            if (value > kMaxWidth) Invalid();
        }
        return value;
    }

    size_t Conversion(size_t pos, std::string& out) {
        Int64 width = Number(pos);
        if (width >= 0 && pos < format_.size() && format_[pos] == ':') {
            if (static_cast<uint64_t>(width) >= args_.size()) Invalid();
            next_ = static_cast<size_t>(width);
            ++pos;
            width = -1;
        }
        bool left = false;
        if (width < 0 && pos < format_.size() && format_[pos] == '-') {
            left = true;
            ++pos;
        }
        if (width < 0) width = Number(pos);
        Int64 precision = -1;
        if (pos < format_.size() && format_[pos] == '.') {
            ++pos;
            precision = Number(pos);
            if (precision < 0) precision = 0;
        }
        if (width > kMaxWidth || precision > kMaxWidth) Invalid();
        if (pos >= format_.size()) Invalid();
        const char type = static_cast<char>(format_[pos] | 0x20);
        ++pos;
        std::string text = Convert(type, static_cast<int>(precision));
        const auto length = static_cast<Int64>(CharCount(text));
        if (width > length) {
            if (left)
                text.append(static_cast<size_t>(width - length), ' ');
            else
                text.insert(0, static_cast<size_t>(width - length), ' ');
        }
        out.append(text);
        return pos;
    }

    std::string Convert(char type, int precision) {
        const TVarRec& arg = NextArg();
        using Kind = TVarRec::Kind;
        const Kind kind = arg.VType();
        const bool integer = kind == Kind::vtInteger || kind == Kind::vtInt64 || kind == Kind::vtUInt64;
        const bool floating = kind == Kind::vtExtended || kind == Kind::vtCurrency;
        std::string text;
        switch (type) {
            case 'd': {
                if (!integer) Invalid();
                const Int64 value = arg.AsInt64();
                const bool negative = kind != Kind::vtUInt64 && value < 0;
                if (negative) text.push_back('-');
                const uint64_t magnitude =
                    negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
                AppendUnsigned(text, magnitude, precision);
                return text;
            }
            case 'u': {
                if (!integer) Invalid();
                const uint64_t bits = kind == Kind::vtInteger ? static_cast<uint32_t>(arg.AsInt64())
                                                              : static_cast<uint64_t>(arg.AsInt64());
                AppendUnsigned(text, bits, precision);
                return text;
            }
            case 'x': {
                if (!integer) Invalid();
                const uint64_t bits = kind == Kind::vtInteger ? static_cast<uint32_t>(arg.AsInt64())
                                                              : static_cast<uint64_t>(arg.AsInt64());
                AppendHex(text, bits, precision);
                return text;
            }
            case 'p': {
                if (kind != Kind::vtPointer) Invalid();
                AppendHex(text, reinterpret_cast<uintptr_t>(arg.AsPointer()), 2 * sizeof(void*));
                return text;
            }
            case 's': {
                std::string_view value;
                char c;
                if (kind == Kind::vtString) {
                    value = arg.AsString();
                } else if (kind == Kind::vtChar) {
                    c = arg.AsChar();
                    value = std::string_view(&c, 1);
                } else {
                    Invalid();
                }
                if (precision >= 0)
                    value = value.substr(0, PrefixBytes(value, static_cast<size_t>(precision)));
                return std::string(value);
            }
            case 'e':
            case 'f':
            case 'g':
            case 'n':
            case 'm':
                if (!floating) Invalid();
                return Float(arg, type, precision);
            default:
                Invalid();
        }
    }

    std::string Float(const TVarRec& arg, char type, int precision) {
        const bool currency = arg.VType() == TVarRec::Kind::vtCurrency;
        const Currency money = Currency::FromRaw(arg.AsInt64());
        const double value = currency ? money.ToDouble() : arg.AsDouble();
        TFloatFormat format;
        int digits;
        switch (type) {
            case 'e':
                return FloatToStrF(value, TFloatFormat::ffExponent, precision < 0 ? 15 : precision, 3,
                                   settings_);
            case 'g':
                if (currency) return CurrToStrF(money, TFloatFormat::ffGeneral, 0, settings_);
                return FloatToStrF(value, TFloatFormat::ffGeneral, precision < 0 ? 15 : precision, 3,
                                   settings_);
            case 'f':
                format = TFloatFormat::ffFixed, digits = precision < 0 ? 2 : precision;
                break;
            case 'n':
                format = TFloatFormat::ffNumber, digits = precision < 0 ? 2 : precision;
                break;
            default:
                format = TFloatFormat::ffCurrency;
                digits = precision < 0 ? settings_.CurrencyDecimals : precision;
                break;
        }
        if (currency) return CurrToStrF(money, format, digits, settings_);
        return FloatToStrF(value, format, 15, digits, settings_);
    }

    const TFormatSettings& settings_;
    std::string_view format_;
    std::span<const TVarRec> args_;
    size_t next_ = 0;
};

[[noreturn]] void NotAnInteger(std::string_view s) {
    std::string message = "'";
    message.append(s).append("' is not a valid integer value");
    throw EConvertError(std::move(message));
}

// "[spaces][sign][$ | 0x | x]digits". Leading spaces are skipped, but no other blank: a tab or a
// line break makes the text invalid. Decimal values must fit in [min, max]; hexadecimal ones may
// use every bit of the type.
bool ParseInteger(std::string_view s, Int64 min, Int64 max, uint64_t hexMax, Int64& value) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t magnitude = 0;
    const uint64_t limit =
        hex ? hexMax : (negative ? static_cast<uint64_t>(-(min + 1)) + 1 : static_cast<uint64_t>(max));
    const unsigned base = hex ? 16 : 10;
    for (; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        // magnitude * base + digit <= limit, without a division per digit.
        uint64_t next;
        if (__builtin_mul_overflow(magnitude, base, &next) || __builtin_add_overflow(next, digit, &next) ||
            next > limit)
            return false;
        magnitude = next;
    }
    if (hex) {
        // Hexadecimal literals name bit patterns: $FFFFFFFF is -1 as an Integer.
        Int64 bits;
        if (hexMax == UINT32_MAX)
            bits = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        else
            bits = static_cast<Int64>(magnitude);
        value = negative ? static_cast<Int64>(0 - static_cast<uint64_t>(bits)) : bits;
        if (hexMax == UINT32_MAX) value = static_cast<int32_t>(static_cast<uint32_t>(value));
        return true;
    }
    value = negative ? static_cast<Int64>(0 - magnitude) : static_cast<Int64>(magnitude);
    return true;
}

}  // namespace

std::string Format(std::string_view format, std::initializer_list<TVarRec> args) {
    return Formatter(FormatSettings, format, std::span<const TVarRec>(args.begin(), args.size())).Run();
}
std::string Format(const TFormatSettings& settings, std::string_view format,
                   std::initializer_list<TVarRec> args) {
    return Formatter(settings, format, std::span<const TVarRec>(args.begin(), args.size())).Run();
}
std::string Format(std::string_view format, std::span<const TVarRec> args) {
    return Formatter(FormatSettings, format, args).Run();
}
std::string Format(const TFormatSettings& settings, std::string_view format, std::span<const TVarRec> args) {
    return Formatter(settings, format, args).Run();
}

std::string IntToStr(Int64 value) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, r.ptr);
}

std::string IntToHexBits(uint64_t bits, int digits) {
    std::string out;
    AppendHex(out, bits, digits);
    return out;
}

bool TryStrToInt(std::string_view s, Integer& value) {
    Int64 result;
    if (!ParseInteger(s, INT32_MIN, INT32_MAX, UINT32_MAX, result)) return false;
    value = static_cast<Integer>(result);
    return true;
}

Integer StrToInt(std::string_view s) {
    Integer value;
    if (!TryStrToInt(s, value)) NotAnInteger(s);
    return value;
}

Integer StrToIntDef(std::string_view s, Integer defaultValue) {
    Integer value;
    return TryStrToInt(s, value) ? value : defaultValue;
}

bool TryStrToInt64(std::string_view s, Int64& value) {
    return ParseInteger(s, INT64_MIN, INT64_MAX, UINT64_MAX, value);
}

Int64 StrToInt64(std::string_view s) {
    Int64 value;
    if (!TryStrToInt64(s, value)) NotAnInteger(s);
    return value;
}

Int64 StrToInt64Def(std::string_view s, Int64 defaultValue) {
    Int64 value;
    return TryStrToInt64(s, value) ? value : defaultValue;
}

}  // namespace vcl
