#pragma once

// Character classes shared by the run-time library's parsers, trimmers and string lists.

namespace vcl::chars {

// What Trim removes: the space and every control character.
constexpr bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace vcl::chars
