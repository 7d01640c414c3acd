#include <algorithm>

#include "vcl/sysutils.h"
#include "win32/utf8.h"

#include "rtl/chars.h"

namespace vcl {

namespace {

constexpr unsigned char AsciiUpper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}
constexpr unsigned char AsciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

// One decoded UTF-8 sequence; length 1 with valid == false for a byte that starts no valid sequence.
struct CodePoint {
    char32_t value;
    size_t length;
    bool valid;
};

CodePoint Decode(std::string_view s, size_t pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) return {b0, 1, true};
    size_t length;
    char32_t value, minimum;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, value = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, value = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, value = b0 & 0x07, minimum = 0x10000;
    } else {
        return {b0, 1, false};
    }
    if (s.size() - pos < length) return {b0, 1, false};
    for (size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return {b0, 1, false};
        value = (value << 6) | (b & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {b0, 1, false};
    return {value, length, true};
}

// Simple (one-to-one) case mappings of the supported blocks.
char32_t ToUpper(char32_t c) {
    if (c < 0x80) return AsciiUpper(static_cast<unsigned char>(c));
    if (c < 0x100) {
        if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
        if (c == 0xFF) return 0x178;
        if (c == 0xB5) return 0x39C;
        return c;
    }
    if (c < 0x180) {
        if (c == 0x131) return 'I';
        if (c == 0x17F) return 'S';
        if ((c >= 0x101 && c <= 0x137) || (c >= 0x14B && c <= 0x177)) return c & 1 ? c - 1 : c;
        if ((c >= 0x13A && c <= 0x148) || (c >= 0x17A && c <= 0x17E)) return c & 1 ? c : c - 1;
        return c;
    }
    if (c >= 0x370 && c < 0x400) {
        if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? 0x3A3 : c - 0x20;
        switch (c) {
            case 0x371:
            case 0x373:
            case 0x377:
                return c - 1;
            case 0x37B:
            case 0x37C:
            case 0x37D:
                return c + 0x82;
            case 0x3AC:
                return 0x386;
            case 0x3AD:
            case 0x3AE:
            case 0x3AF:
                return c - 0x25;
            case 0x3CC:
                return 0x38C;
            case 0x3CD:
            case 0x3CE:
                return c - 0x3F;
            case 0x3D0:
                return 0x392;
            case 0x3D1:
                return 0x398;
            case 0x3D5:
                return 0x3A6;
            case 0x3D6:
                return 0x3A0;
            case 0x3D7:
                return 0x3CF;
            case 0x3F0:
                return 0x39A;
            case 0x3F1:
                return 0x3A1;
            case 0x3F2:
                return 0x3F9;
            case 0x3F3:
                return 0x37F;
            case 0x3F5:
                return 0x395;
            case 0x3F8:
            case 0x3FB:
                return c - 1;
            default:
                break;
        }
        if (c >= 0x3D9 && c <= 0x3EF && (c & 1)) return c - 1;
        return c;
    }
    if (c >= 0x400 && c < 0x500) {
        if (c >= 0x430 && c <= 0x44F) return c - 0x20;
        if (c >= 0x450 && c <= 0x45F) return c - 0x50;
        if (c == 0x4CF) return 0x4C0;
        if ((c >= 0x461 && c <= 0x481) || (c >= 0x48B && c <= 0x4BF) || (c >= 0x4D1 && c <= 0x4FF))
            return c & 1 ? c - 1 : c;
        if (c >= 0x4C2 && c <= 0x4CE) return c & 1 ? c : c - 1;
        return c;
    }
    return c;
}

char32_t ToLower(char32_t c) {
    if (c < 0x80) return AsciiLower(static_cast<unsigned char>(c));
    if (c < 0x100) return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 0x20 : c;
    if (c < 0x180) {
        if (c == 0x130) return 'i';
        if (c == 0x178) return 0xFF;
        if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & 1 ? c : c + 1;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c & 1 ? c + 1 : c;
        return c;
    }
    if (c >= 0x370 && c < 0x400) {
        if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
        switch (c) {
            case 0x370:
            case 0x372:
            case 0x376:
                return c + 1;
            case 0x37F:
                return 0x3F3;
            case 0x386:
                return 0x3AC;
            case 0x388:
            case 0x389:
            case 0x38A:
                return c + 0x25;
            case 0x38C:
                return 0x3CC;
            case 0x38E:
            case 0x38F:
                return c + 0x3F;
            case 0x3CF:
                return 0x3D7;
            case 0x3F4:
                return 0x3B8;
            case 0x3F7:
            case 0x3FA:
                return c + 1;
            case 0x3F9:
                return 0x3F2;
            case 0x3FD:
            case 0x3FE:
            case 0x3FF:
                return c - 0x82;
            default:
                break;
        }
        if (c >= 0x3D8 && c <= 0x3EE && !(c & 1)) return c + 1;
        return c;
    }
    if (c >= 0x400 && c < 0x500) {
        if (c >= 0x410 && c <= 0x42F) return c + 0x20;
        if (c >= 0x400 && c <= 0x40F) return c + 0x50;
        if (c == 0x4C0) return 0x4CF;
        if ((c >= 0x460 && c <= 0x480) || (c >= 0x48A && c <= 0x4BE) || (c >= 0x4D0 && c <= 0x4FE))
            return c & 1 ? c : c + 1;
        if (c >= 0x4C1 && c <= 0x4CD) return c & 1 ? c + 1 : c;
        return c;
    }
    return c;
}

template <typename Map>
std::string MapUtf8(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (size_t pos = 0; pos < s.size();) {
        const auto b = static_cast<unsigned char>(s[pos]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(map(b)));
            ++pos;
            continue;
        }
        const CodePoint cp = Decode(s, pos);
        if (cp.valid)
            win32::AppendUtf8(out, map(cp.value));
        else
            out.append(s.substr(pos, cp.length));
        pos += cp.length;
    }
    return out;
}

// The code point at `pos` folded to lower case; invalid bytes compare by their value above every
// code point so that they never equal a character.
char32_t FoldedAt(std::string_view s, size_t& pos) {
    const CodePoint cp = Decode(s, pos);
    pos += cp.length;
    return cp.valid ? ToLower(cp.value) : 0x110000 + cp.value;
}

// Length of the text at `pos` that matches `pattern` without regard to case, or npos.
size_t MatchIgnoreCase(std::string_view s, size_t pos, std::string_view pattern) {
    size_t i = pos, j = 0;
    while (j < pattern.size()) {
        if (i >= s.size()) return std::string_view::npos;
        if (FoldedAt(s, i) != FoldedAt(pattern, j)) return std::string_view::npos;
    }
    return i - pos;
}

}  // namespace

int CompareStr(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y) return x - y;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameStr(std::string_view a, std::string_view b) {
    return a == b;
}

int CompareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = AsciiUpper(static_cast<unsigned char>(a[i]));
        const auto y = AsciiUpper(static_cast<unsigned char>(b[i]));
        if (x != y) return x - y;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
    return out;
}

std::string LowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
    return out;
}

std::string Trim(std::string_view s) {
    size_t first = 0, last = s.size();
    while (first < last && chars::IsBlankOrControl(s[first]))
        ++first;
    while (last > first && chars::IsBlankOrControl(s[last - 1]))
        --last;
    return std::string(s.substr(first, last - first));
}

std::string TrimLeft(std::string_view s) {
    size_t first = 0;
    while (first < s.size() && chars::IsBlankOrControl(s[first]))
        ++first;
    return std::string(s.substr(first));
}

std::string TrimRight(std::string_view s) {
    size_t last = s.size();
    while (last > 0 && chars::IsBlankOrControl(s[last - 1]))
        --last;
    return std::string(s.substr(0, last));
}

std::string AnsiUpperCase(std::string_view s) {
    return MapUtf8(s, ToUpper);
}
std::string AnsiLowerCase(std::string_view s) {
    return MapUtf8(s, ToLower);
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = FoldedAt(a, i), y = FoldedAt(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    return AnsiCompareText(a, b) == 0;
}

// Byte order of UTF-8 is code point order.
int AnsiCompareStr(std::string_view a, std::string_view b) {
    const int result = CompareStr(a, b);
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

bool AnsiSameStr(std::string_view a, std::string_view b) {
    return a == b;
}

std::string QuotedStr(std::string_view s) {
    return AnsiQuotedStr(s, '\'');
}

std::string AnsiQuotedStr(std::string_view s, char quote) {
    std::string out;
    out.reserve(s.size() + 2);
    out.push_back(quote);
    for (char c : s) {
        out.push_back(c);
        if (c == quote) out.push_back(quote);
    }
    out.push_back(quote);
    return out;
}

std::string AnsiExtractQuotedStr(std::string_view& s, char quote) {
    std::string out;
    if (s.empty() || s[0] != quote) return out;
    size_t pos = 1;
    while (pos < s.size()) {
        if (s[pos] == quote) {
            if (pos + 1 < s.size() && s[pos + 1] == quote) {
                out.push_back(quote);
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        out.push_back(s[pos++]);
    }
    s.remove_prefix(pos);
    return out;
}

std::string AnsiDequotedStr(std::string_view s, char quote) {
    if (s.empty() || s[0] != quote) return std::string(s);
    std::string_view rest = s;
    return AnsiExtractQuotedStr(rest, quote);
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags) {
    if (oldPattern.empty()) return std::string(s);
    const bool all = flags.Contains(TReplaceFlag::rfReplaceAll);
    const bool ignoreCase = flags.Contains(TReplaceFlag::rfIgnoreCase);
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        size_t found = std::string_view::npos, length = 0;
        if (ignoreCase) {
            for (size_t at = pos; at < s.size(); at += Decode(s, at).length) {
                length = MatchIgnoreCase(s, at, oldPattern);
                if (length != std::string_view::npos) {
                    found = at;
                    break;
                }
            }
        } else {
            found = s.find(oldPattern, pos);
            length = oldPattern.size();
        }
        if (found == std::string_view::npos) break;
        out.append(s.substr(pos, found - pos));
        out.append(newPattern);
        pos = found + length;
        if (!all) break;
    }
    out.append(s.substr(pos));
    return out;
}

}  // namespace vcl
