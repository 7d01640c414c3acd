// The system's locales as locale identifiers: the compiled ones (installed) and the ones the C
// library could compile (supported).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "version/version_internal.h"
#include "win32/errors.h"

namespace win32 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kSystemLocaleFolder = "/usr/lib/locale";
constexpr const char* kSystemSupportedList = "/usr/share/i18n/SUPPORTED";

struct LocaleSources {
    std::mutex lock;
    std::string folder;
    std::string supported;
};

LocaleSources& Sources() {
    static LocaleSources sources;
    return sources;
}

std::pair<std::string, std::string> CurrentSources() {
    LocaleSources& sources = Sources();
    const std::lock_guard guard(sources.lock);
    return {sources.folder.empty() ? kSystemLocaleFolder : sources.folder,
            sources.supported.empty() ? kSystemSupportedList : sources.supported};
}

// The locale archive's header (glibc's struct locarhead): 32-bit words in the machine's order.
constexpr uint32_t kArchiveMagic = 0xDE020109;
constexpr size_t kArchiveHeaderWords = 14;
constexpr size_t kNameHashOffset = 2, kNameHashSize = 4, kStringOffset = 5, kStringUsed = 6;
// One name hash entry: hash value, name offset, locale record offset (0 for an empty slot).
constexpr size_t kNameHashEntryWords = 3;

bool ReadArchiveBytes(std::ifstream& file, uint64_t offset, void* buffer, size_t size) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return file.gcount() == static_cast<std::streamsize>(size);
}

}  // namespace

namespace version {

std::vector<std::string> LocaleArchiveNames(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> names;
    if (!file) return names;
    file.seekg(0, std::ios::end);
    const auto fileSize = static_cast<uint64_t>(std::max<std::streamoff>(0, file.tellg()));
    uint32_t header[kArchiveHeaderWords] = {};
    if (!ReadArchiveBytes(file, 0, header, sizeof header) || header[0] != kArchiveMagic) return names;
    const uint64_t hashOffset = header[kNameHashOffset];
    const uint64_t hashBytes = uint64_t{header[kNameHashSize]} * kNameHashEntryWords * sizeof(uint32_t);
    const uint64_t stringOffset = header[kStringOffset];
    const uint64_t stringUsed = header[kStringUsed];
    // Every area lies inside the file, so that a damaged header cannot ask for more than it holds.
    if (hashOffset + hashBytes > fileSize || stringOffset + stringUsed > fileSize) return names;
    std::vector<uint32_t> hash(static_cast<size_t>(hashBytes / sizeof(uint32_t)));
    std::string strings(static_cast<size_t>(stringUsed), '\0');
    if (!ReadArchiveBytes(file, hashOffset, hash.data(), static_cast<size_t>(hashBytes)) ||
        !ReadArchiveBytes(file, stringOffset, strings.data(), strings.size()))
        return names;
    for (size_t entry = 0; entry + kNameHashEntryWords <= hash.size(); entry += kNameHashEntryWords) {
        const uint64_t nameOffset = hash[entry + 1];
        if (hash[entry + 2] == 0 || nameOffset < stringOffset || nameOffset >= stringOffset + stringUsed)
            continue;
        const size_t start = static_cast<size_t>(nameOffset - stringOffset);
        const size_t end = strings.find('\0', start);
        if (end == std::string::npos) continue;
        names.push_back(strings.substr(start, end - start));
    }
    return names;
}

}  // namespace version

namespace {

std::vector<std::string> InstalledLocaleNames(const std::string& folder) {
    std::vector<std::string> names =
        version::LocaleArchiveNames((fs::path(folder) / "locale-archive").string());
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        // A compiled locale is a folder with its categories; LC_IDENTIFICATION is always among them.
        std::error_code ignored;
        if (it->is_directory(ignored) && fs::exists(it->path() / "LC_IDENTIFICATION", ignored))
            names.push_back(it->path().filename().string());
    }
    return names;
}

// Lines such as "de_DE.UTF-8 UTF-8"; comments start with '#'.
std::vector<std::string> SupportedLocaleNames(const std::string& path) {
    std::vector<std::string> names;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const size_t end = line.find_first_of(" \t/", start);
        names.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    }
    return names;
}

}  // namespace

BOOL EnumSystemLocales(LOCALE_ENUMPROC proc, DWORD flags) {
    if (!proc || (flags != LCID_INSTALLED && flags != LCID_SUPPORTED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto [folder, supported] = CurrentSources();
    const std::vector<std::string> names =
        flags == LCID_INSTALLED ? InstalledLocaleNames(folder) : SupportedLocaleNames(supported);
    std::set<LCID> identifiers;
    for (const std::string& name : names)
        for (LANGID lang : version::LanguagesOfLocale(name))
            identifiers.insert(MAKELCID(lang, SORT_DEFAULT));
    for (LCID identifier : identifiers) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(identifier));
        if (!proc(text)) break;
    }
    return TRUE;
}

namespace testing {

void SetLocaleSources(const std::string& folder, const std::string& supported) {
    static const bool registered = [] {
        AddResetHook([] {
            LocaleSources& sources = Sources();
            const std::lock_guard guard(sources.lock);
            sources.folder.clear();
            sources.supported.clear();
        });
        return true;
    }();
    (void)registered;
    LocaleSources& sources = Sources();
    const std::lock_guard guard(sources.lock);
    sources.folder = folder;
    sources.supported = supported;
}

}  // namespace testing

}  // namespace win32
