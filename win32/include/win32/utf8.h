#pragma once

// UTF-8, the encoding of every narrow string of the platform and the framework.

#include <string>

namespace win32 {

// Appends the one to four bytes of code point `c`. The caller has checked that `c` is a Unicode
// scalar value (at most U+10FFFF and not a surrogate).
inline void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

inline std::string Utf8(char32_t c) {
    std::string out;
    AppendUtf8(out, c);
    return out;
}

}  // namespace win32
