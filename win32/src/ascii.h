// ASCII text helpers shared by the platform's parsers and lookups.
#pragma once

#include <string>
#include <string_view>

namespace win32::ascii {

// `text` with A-Z folded to a-z; every other byte, UTF-8 included, is unchanged.
inline std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return out;
}

// `s` without leading and trailing spaces and tabs.
inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace win32::ascii
