// Finding the version block inside ELF, RES and PE files, and the file-level version calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/files_internal.h"
#include "version/version_internal.h"

namespace win32 {

namespace version {

namespace {

// No version block is longer than its 16-bit length allows.
constexpr uint64_t kMaxBlock = 0xFFFF;

// Bounds-checked reads from an open file.
class FileReader {
public:
    explicit FileReader(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat info {};
        if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
            size_ = static_cast<uint64_t>(info.st_size);
    }
    ~FileReader() {
        if (fd_ >= 0) close(fd_);
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool Open() const { return fd_ >= 0; }
    uint64_t Size() const { return size_; }
    bool Read(uint64_t offset, uint64_t length, void* out) const {
        if (offset > size_ || length > size_ - offset) return false;
        auto* bytes = static_cast<char*>(out);
        while (length > 0) {
            const ssize_t got = pread(fd_, bytes, length, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            bytes += got;
            offset += static_cast<uint64_t>(got);
            length -= static_cast<uint64_t>(got);
        }
        return true;
    }
    // An unsigned integer of `width` bytes in the given byte order.
    bool Number(uint64_t offset, int width, bool bigEndian, uint64_t& value) const {
        unsigned char bytes[8];
        if (!Read(offset, static_cast<uint64_t>(width), bytes)) return false;
        value = 0;
        for (int i = 0; i < width; ++i) {
            const int index = bigEndian ? i : width - 1 - i;
            value = (value << 8) | bytes[index];
        }
        return true;
    }

private:
    int fd_;
    uint64_t size_ = 0;
};

DWORD ReadBlock(const FileReader& file, uint64_t offset, uint64_t size, std::vector<BYTE>& out) {
    size = std::min(size, kMaxBlock);
    out.resize(static_cast<size_t>(size));
    return file.Read(offset, size, out.data()) ? ERROR_SUCCESS : version::kErrorInvalidData;
}

DWORD FromElf(const FileReader& file, std::vector<BYTE>& out) {
    unsigned char ident[16];
    if (!file.Read(0, 16, ident)) return ERROR_BAD_FORMAT;
    const bool wide = ident[4] == 2, big = ident[5] == 2;
    if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) return ERROR_BAD_FORMAT;
    uint64_t sectionOffset = 0, entrySize = 0, count = 0, namesIndex = 0;
    if (!file.Number(wide ? 0x28 : 0x20, wide ? 8 : 4, big, sectionOffset) ||
        !file.Number(wide ? 0x3A : 0x2E, 2, big, entrySize) ||
        !file.Number(wide ? 0x3C : 0x30, 2, big, count) ||
        !file.Number(wide ? 0x3E : 0x32, 2, big, namesIndex))
        return ERROR_BAD_FORMAT;
    if (sectionOffset == 0) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (entrySize < (wide ? 64u : 40u)) return ERROR_BAD_FORMAT;
    auto field = [&](uint64_t index, int field64, int field32, int width64, int width32, uint64_t& value) {
        return file.Number(
            sectionOffset + index * entrySize + static_cast<uint64_t>(wide ? field64 : field32),
            wide ? width64 : width32, big, value);
    };
    // Extended numbering keeps large counts in section 0.
    if (count == 0 && !field(0, 0x20, 0x14, 8, 4, count)) return ERROR_BAD_FORMAT;
    if (namesIndex == 0xFFFF && !field(0, 0x28, 0x18, 4, 4, namesIndex)) return ERROR_BAD_FORMAT;
    if (count > file.Size() / entrySize || namesIndex >= count) return ERROR_BAD_FORMAT;
    uint64_t namesOffset = 0, namesSize = 0;
    if (!field(namesIndex, 0x18, 0x10, 8, 4, namesOffset) || !field(namesIndex, 0x20, 0x14, 8, 4, namesSize))
        return ERROR_BAD_FORMAT;
    static constexpr char kName[] = ".zylver";
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t name = 0, type = 0, offset = 0, size = 0;
        if (!field(i, 0, 0, 4, 4, name) || !field(i, 4, 4, 4, 4, type)) return ERROR_BAD_FORMAT;
        if (name + sizeof kName > namesSize) continue;
        char text[sizeof kName];
        if (!file.Read(namesOffset + name, sizeof kName, text) || std::memcmp(text, kName, sizeof kName) != 0)
            continue;
        if (type == 8) continue;  // SHT_NOBITS has no bytes in the file
        if (!field(i, 0x18, 0x10, 8, 4, offset) || !field(i, 0x20, 0x14, 8, 4, size)) return ERROR_BAD_FORMAT;
        return ReadBlock(file, offset, size, out);
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

// A RES file is a run of entries: sizes, a type and a name (each an ordinal 0xFFFF nn or a UTF-16
// string), fixed fields, then the data, each entry aligned to 32 bits.
DWORD FromRes(const FileReader& file, std::vector<BYTE>& out) {
    uint64_t offset = 0;
    while (offset + 8 <= file.Size()) {
        uint64_t dataSize = 0, headerSize = 0;
        if (!file.Number(offset, 4, false, dataSize) || !file.Number(offset + 4, 4, false, headerSize))
            return version::kErrorInvalidData;
        if (headerSize < 16 || offset + headerSize + dataSize > file.Size())
            return version::kErrorInvalidData;
        uint64_t marker = 0, type = 0;
        if (!file.Number(offset + 8, 2, false, marker)) return version::kErrorInvalidData;
        if (marker == 0xFFFF && file.Number(offset + 10, 2, false, type) && type == RT_VERSION_ID)
            return ReadBlock(file, offset + headerSize, dataSize, out);
        offset = (offset + headerSize + dataSize + 3) & ~uint64_t{3};
    }
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

DWORD FromPe(const FileReader& file, std::vector<BYTE>& out) {
    uint64_t header = 0, signature = 0, sectionCount = 0, optionalSize = 0, magic = 0;
    if (!file.Number(0x3C, 4, false, header) || !file.Number(header, 4, false, signature) ||
        signature != 0x4550 || !file.Number(header + 6, 2, false, sectionCount) ||
        !file.Number(header + 20, 2, false, optionalSize) || !file.Number(header + 24, 2, false, magic))
        return ERROR_BAD_FORMAT;
    const uint64_t optional = header + 24;
    const uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint64_t countField = optional + (magic == 0x20B ? 108 : 92);
    uint64_t directoryCount = 0, resourceRva = 0;
    if ((magic != 0x10B && magic != 0x20B) || !file.Number(countField, 4, false, directoryCount))
        return ERROR_BAD_FORMAT;
    if (directoryCount < 3 || !file.Number(directories + 16, 4, false, resourceRva) || resourceRva == 0)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    const uint64_t sections = optional + optionalSize;
    auto toOffset = [&](uint64_t rva, uint64_t& offset) {
        for (uint64_t i = 0; i < sectionCount; ++i) {
            uint64_t virtualSize = 0, address = 0, rawSize = 0, rawOffset = 0;
            const uint64_t entry = sections + i * 40;
            if (!file.Number(entry + 8, 4, false, virtualSize) ||
                !file.Number(entry + 12, 4, false, address) || !file.Number(entry + 16, 4, false, rawSize) ||
                !file.Number(entry + 20, 4, false, rawOffset))
                return false;
            if (rva >= address && rva < address + std::max(virtualSize, rawSize)) {
                offset = rawOffset + (rva - address);
                return true;
            }
        }
        return false;
    };
    uint64_t root = 0;
    if (!toOffset(resourceRva, root)) return ERROR_BAD_FORMAT;
    // Directory levels: type, name, language. The first entry below the version type is taken.
    uint64_t directory = root;
    for (int level = 0; level < 3; ++level) {
        uint64_t named = 0, ids = 0;
        if (!file.Number(directory + 12, 2, false, named) || !file.Number(directory + 14, 2, false, ids))
            return version::kErrorInvalidData;
        bool found = false;
        for (uint64_t i = 0; i < named + ids && !found; ++i) {
            uint64_t name = 0, target = 0;
            const uint64_t entry = directory + 16 + i * 8;
            if (!file.Number(entry, 4, false, name) || !file.Number(entry + 4, 4, false, target))
                return version::kErrorInvalidData;
            if (level == 0 && (i < named || name != RT_VERSION_ID)) continue;
            const bool subdirectory = target & 0x80000000u;
            if (subdirectory != (level < 2)) return version::kErrorInvalidData;
            directory = root + (target & 0x7FFFFFFFu);
            found = true;
        }
        if (!found) return level == 0 ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND;
    }
    uint64_t dataRva = 0, dataSize = 0, dataOffset = 0;
    if (!file.Number(directory, 4, false, dataRva) || !file.Number(directory + 4, 4, false, dataSize) ||
        !toOffset(dataRva, dataOffset))
        return version::kErrorInvalidData;
    return ReadBlock(file, dataOffset, dataSize, out);
}

}  // namespace

std::u32string DecodeUtf8(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80         ? 0
                          : (lead >> 5) == 6  ? 1
                          : (lead >> 4) == 14 ? 2
                          : (lead >> 3) == 30 ? 3
                                              : -1;
        char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) valid = false;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (valid && (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        out += valid ? code : U'\uFFFD';
        i += valid ? static_cast<size_t>(extra) + 1 : 1;
    }
    return out;
}

DWORD ReadVersionResource(const std::string& nativePath, std::vector<BYTE>& resource) {
    FileReader file(nativePath);
    if (!file.Open()) return files::ErrorFromErrno(errno);
    unsigned char magic[12] = {};
    if (!file.Read(0, std::min<uint64_t>(12, file.Size()), magic)) return ERROR_BAD_FORMAT;
    static constexpr unsigned char kElf[] = {0x7F, 'E', 'L', 'F'};
    static constexpr unsigned char kRes[] = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0};
    if (file.Size() >= 16 && std::memcmp(magic, kElf, 4) == 0) return FromElf(file, resource);
    if (file.Size() >= 32 && std::memcmp(magic, kRes, 12) == 0) return FromRes(file, resource);
    if (file.Size() >= 64 && magic[0] == 'M' && magic[1] == 'Z') return FromPe(file, resource);
    return ERROR_BAD_FORMAT;
}

}  // namespace version

namespace {

bool LoadFile(const char* fileName, std::vector<BYTE>& info) {
    files::Resolved resolved;
    if (!files::ResolveOrFail(fileName, resolved)) return false;
    if (!resolved.exists) {
        SetLastError(files::MissingError(resolved));
        return false;
    }
    std::vector<BYTE> resource;
    if (DWORD error = version::ReadVersionResource(resolved.native, resource); error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    return LoadVersionInfo(resource.data(), resource.size(), info);
}

}  // namespace

DWORD GetFileVersionInfoSize(const char* lptstrFilename, DWORD* lpdwHandle) {
    if (lpdwHandle) *lpdwHandle = 0;
    std::vector<BYTE> info;
    if (!LoadFile(lptstrFilename, info)) return 0;
    return static_cast<DWORD>(info.size());
}

BOOL GetFileVersionInfo(const char* lptstrFilename, DWORD /*dwHandle*/, DWORD dwLen, void* lpData) {
    std::vector<BYTE> info;
    if (!lpData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!LoadFile(lptstrFilename, info)) return FALSE;
    if (dwLen < info.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(lpData, info.data(), info.size());
    return TRUE;
}

}  // namespace win32
