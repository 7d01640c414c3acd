#include "locale_folder.h"

#include <cstdint>
#include <cstring>
#include <fstream>

#include "tempdir.h"

namespace zyltest {

std::string LocaleArchive(const std::vector<std::string>& names) {
    constexpr uint32_t kMagic = 0xDE020109;
    constexpr uint32_t kHeaderSize = 14 * 4;
    // One empty slot besides the names, as a real hash table has.
    const auto slots = static_cast<uint32_t>(names.size() + 1);
    const uint32_t hashOffset = kHeaderSize;
    const uint32_t stringOffset = hashOffset + slots * 12;
    std::string strings;
    std::vector<uint32_t> hash;
    for (const std::string& name : names) {
        hash.insert(hash.end(), {0x1234u, stringOffset + static_cast<uint32_t>(strings.size()), 0x100u});
        strings += name;
        strings += '\0';
    }
    hash.insert(hash.end(), {0u, 0u, 0u});
    const uint32_t header[14] = {kMagic,
                                 1,
                                 hashOffset,
                                 static_cast<uint32_t>(names.size()),
                                 slots,
                                 stringOffset,
                                 static_cast<uint32_t>(strings.size()),
                                 static_cast<uint32_t>(strings.size()),
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(hash.data()), hash.size() * sizeof(uint32_t));
    bytes += strings;
    return bytes;
}

void WriteLocaleFolder(const std::filesystem::path& folder, const std::vector<std::string>& compiled,
                       const std::vector<std::string>& archived) {
    std::filesystem::create_directories(folder);
    for (const std::string& name : compiled)
        WriteTextFile(folder / name / "LC_IDENTIFICATION", "id");
    if (!archived.empty())
        std::ofstream(folder / "locale-archive", std::ios::binary) << LocaleArchive(archived);
}

}  // namespace zyltest
