#include "vcl/system.h"

#include <cstdlib>

namespace vcl {

namespace {
bool SameIdentifier(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}
}  // namespace

std::optional<size_t> FindEnumName(std::span<const std::string_view> names, std::string_view name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (SameIdentifier(names[i], name)) return i;
    return std::nullopt;
}

void Halt(Integer exitCode) {
    std::exit(exitCode);
}

}  // namespace vcl
