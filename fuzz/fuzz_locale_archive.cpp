// The locale archive is read from the system's locale folder: a damaged file must never crash the
// enumeration, and every identifier reported is eight hexadecimal digits.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "win32/version.h"

namespace {

win32::BOOL CheckLocale(char* locale) {
    if (std::strlen(locale) != 8) __builtin_trap();
    for (size_t i = 0; i < 8; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(locale[i]))) __builtin_trap();
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    static const fs::path folder = [] {
        const fs::path path = fs::temp_directory_path() / ("zyl-fuzz-locales-" + std::to_string(getpid()));
        fs::create_directories(path);
        return path;
    }();
    {
        std::ofstream archive(folder / "locale-archive", std::ios::binary | std::ios::trunc);
        archive.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    win32::testing::SetLocaleSources(folder.string(), "");
    win32::EnumSystemLocales(CheckLocale, win32::LCID_INSTALLED);
    win32::testing::SetLocaleSources("", "");
    return 0;
}
