#include "win32/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>

#include "ascii.h"
#include "registry/store.h"
#include "win32/files.h"

namespace win32 {

namespace {

constexpr off_t kProfileSizeLimit = 64 << 20;

std::atomic<long> failNextWriteAfter{-1};
// Writers in this process take turns so that two threads do not lose each other's changes.
std::mutex writeMutex;

bool SameName(std::string_view a, std::string_view b) {
    return registry::FoldName(a) == registry::FoldName(b);
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

// The lines of one file, kept verbatim so that a rewrite changes only what was asked.
class IniDocument {
public:
    void Parse(std::string_view text) {
        lines_.clear();
        size_t start = 0;
        bool sawBreak = false;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\n' && text[i] != '\r') continue;
            if (!sawBreak)
                newline_ = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? "\r\n" : "\n";
            sawBreak = true;
            lines_.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        if (start < text.size()) lines_.emplace_back(text.substr(start));
    }

    std::string Text() const {
        std::string out;
        for (const auto& line : lines_)
            out += line + newline_;
        return out;
    }

    // Section headers in order; each section runs to the next header.
    static bool SectionName(std::string_view line, std::string_view& name) {
        line = ascii::TrimBlanks(line);
        if (line.empty() || line.front() != '[') return false;
        size_t close = line.find(']');
        if (close == std::string_view::npos) return false;
        name = ascii::TrimBlanks(line.substr(1, close - 1));
        return true;
    }

    static bool Entry(std::string_view line, std::string_view& key, std::string_view& value) {
        line = ascii::TrimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '[') return false;
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) return false;
        key = ascii::TrimBlanks(line.substr(0, equals));
        value = ascii::TrimBlanks(line.substr(equals + 1));
        return true;
    }

    // The first section with the name: header index, or npos.
    size_t FindSection(std::string_view section) const {
        std::string_view name;
        for (size_t i = 0; i < lines_.size(); ++i)
            if (SectionName(lines_[i], name) && SameName(name, section)) return i;
        return std::string::npos;
    }

    size_t SectionEnd(size_t header) const {
        std::string_view name;
        size_t i = header + 1;
        while (i < lines_.size() && !SectionName(lines_[i], name))
            ++i;
        return i;
    }

    std::vector<std::string> SectionNames() const {
        std::vector<std::string> names;
        std::string_view name;
        for (const auto& line : lines_)
            if (SectionName(line, name) && !Contains(names, name)) names.emplace_back(name);
        return names;
    }

    std::vector<std::string> Keys(std::string_view section) const {
        std::vector<std::string> keys;
        size_t header = FindSection(section);
        if (header == std::string::npos) return keys;
        std::string_view key, value;
        for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i)
            if (Entry(lines_[i], key, value) && !Contains(keys, key)) keys.emplace_back(key);
        return keys;
    }

    std::vector<std::string> SectionLines(std::string_view section) const {
        std::vector<std::string> entries;
        size_t header = FindSection(section);
        if (header == std::string::npos) return entries;
        std::string_view key, value;
        for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
            if (Entry(lines_[i], key, value)) {
                entries.push_back(std::string(key) + "=" + std::string(value));
            } else {
                // Win32 hands lines out as C strings: a stray NUL ends one, and what is left of a
                // line that starts with it is nothing.
                std::string_view line = lines_[i];
                line = ascii::TrimBlanks(line.substr(0, line.find('\0')));
                if (!line.empty() && line.front() != ';') entries.emplace_back(line);
            }
        }
        return entries;
    }

    // The raw value (trimmed, quotes kept).
    bool Get(std::string_view section, std::string_view wanted, std::string& result) const {
        size_t header = FindSection(section);
        if (header == std::string::npos) return false;
        std::string_view key, value;
        for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
            if (Entry(lines_[i], key, value) && SameName(key, wanted)) {
                result = value;
                return true;
            }
        }
        return false;
    }

    void Set(std::string_view section, std::string_view wanted, std::string_view newValue) {
        size_t header = FindSection(section);
        // A new section goes right after the last line, with no blank line before it, as Win32 writes.
        if (header == std::string::npos) {
            lines_.push_back("[" + std::string(section) + "]");
            lines_.push_back(std::string(wanted) + "=" + std::string(newValue));
            return;
        }
        size_t end = SectionEnd(header);
        std::string_view key, value;
        for (size_t i = header + 1; i < end; ++i) {
            if (Entry(lines_[i], key, value) && SameName(key, wanted)) {
                // The key keeps the spelling it has in the file.
                lines_[i] = std::string(key) + "=" + std::string(newValue);
                return;
            }
        }
        // After the section's last non-blank line, so that blank separators stay between sections.
        size_t insertAt = end;
        while (insertAt > header + 1 && ascii::TrimBlanks(lines_[insertAt - 1]).empty())
            --insertAt;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      std::string(wanted) + "=" + std::string(newValue));
    }

    bool DeleteKey(std::string_view section, std::string_view wanted) {
        size_t header = FindSection(section);
        if (header == std::string::npos) return false;
        bool removed = false;
        std::string_view key, value;
        for (size_t i = header + 1, end = SectionEnd(header); i < end;) {
            if (Entry(lines_[i], key, value) && SameName(key, wanted)) {
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
                --end;
                removed = true;
            } else {
                ++i;
            }
        }
        return removed;
    }

    bool DeleteSection(std::string_view section) {
        bool removed = false;
        for (size_t header; (header = FindSection(section)) != std::string::npos;) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                         lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
            removed = true;
        }
        return removed;
    }

    void ReplaceSection(std::string_view section, const std::vector<std::string>& entries) {
        size_t header = FindSection(section);
        if (header == std::string::npos) {
            lines_.push_back("[" + std::string(section) + "]");
            lines_.insert(lines_.end(), entries.begin(), entries.end());
            return;
        }
        size_t end = SectionEnd(header);
        while (end > header + 1 && ascii::TrimBlanks(lines_[end - 1]).empty())
            --end;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(header + 1), entries.begin(),
                      entries.end());
    }

private:
    static bool Contains(const std::vector<std::string>& names, std::string_view name) {
        for (const auto& existing : names)
            if (SameName(existing, name)) return true;
        return false;
    }

    std::vector<std::string> lines_;
    std::string newline_ = "\r\n";
};

std::string Dequoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string ResolvePath(const char* fileName) {
    if (!fileName || !*fileName) return {};
    return ProfilePath(fileName);
}

// A missing file reads as empty. ERROR_SUCCESS with `exists` telling which.
DWORD LoadDocument(const std::string& path, IniDocument& document, bool& exists) {
    exists = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : ErrorFromErrno(errno);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kProfileSizeLimit) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;
    }
    std::string text;
    char chunk[65536];
    for (;;) {
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            int error = errno;
            ::close(fd);
            return ErrorFromErrno(error);
        }
        if (got == 0) break;
        text.append(chunk, static_cast<size_t>(got));
        if (static_cast<off_t>(text.size()) > kProfileSizeLimit) {
            ::close(fd);
            return ERROR_ACCESS_DENIED;
        }
    }
    ::close(fd);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.erase(0, 3);
    document.Parse(text);
    exists = true;
    return ERROR_SUCCESS;
}

bool WriteAll(int fd, std::string_view data) {
    long limit = failNextWriteAfter.exchange(-1);
    if (limit >= 0 && static_cast<size_t>(limit) < data.size()) {
        (void)!::write(fd, data.data(), static_cast<size_t>(limit));
        errno = ENOSPC;
        return false;
    }
    while (!data.empty()) {
        ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

DWORD SaveDocument(const std::string& path, const IniDocument& document) {
    std::filesystem::path target(path);
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        auto resolved = std::filesystem::canonical(target, error);
        if (!error) target = resolved;
    }
    auto folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(temporary.data());
    if (fd < 0) return ErrorFromErrno(errno);
    struct stat old {};
    mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    std::string text = document.Text();
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return ErrorFromErrno(savedErrno);
    }
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    return ERROR_SUCCESS;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool ValidSection(std::string_view section) {
    return section.find(']') == std::string_view::npos && !HasLineBreak(section) &&
           section.find('\0') == std::string_view::npos;
}

bool ValidKey(std::string_view key) {
    std::string_view trimmed = ascii::TrimBlanks(key);
    return !trimmed.empty() && trimmed.front() != '[' && trimmed.front() != ';' &&
           key.find('=') == std::string_view::npos && !HasLineBreak(key);
}

// Reads, changes and atomically replaces the file.
template <typename Change>
BOOL Modify(const char* fileName, Change&& change) {
    // An empty name is refused the way Win32 refuses it.
    if (fileName && !*fileName) return Fail(ERROR_ACCESS_DENIED);
    std::string path = ResolvePath(fileName);
    if (path.empty()) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(writeMutex);
    IniDocument document;
    bool exists = false;
    if (DWORD error = LoadDocument(path, document, exists); error != ERROR_SUCCESS) return Fail(error);
    if (!change(document)) return TRUE;
    std::error_code ignored;
    std::string windows = PlatformWindowsDirectory();
    if (!windows.empty() && path.compare(0, windows.size(), windows) == 0)
        std::filesystem::create_directories(windows, ignored);
    if (DWORD error = SaveDocument(path, document); error != ERROR_SUCCESS) return Fail(error);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD CopyString(std::string_view value, char* buffer, DWORD size) {
    if (!buffer || size == 0) return 0;
    if (value.size() + 1 > size) {
        std::memcpy(buffer, value.data(), size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_MORE_DATA);
        return size - 1;
    }
    std::memcpy(buffer, value.data(), value.size());
    buffer[value.size()] = '\0';
    return static_cast<DWORD>(value.size());
}

// `spare` asks for room beyond the closing NUL, as GetPrivateProfileSectionNames does: a list that
// fills its buffer exactly is cut there too.
DWORD CopyList(const std::vector<std::string>& items, char* buffer, DWORD size, bool spare = false) {
    if (!buffer || size == 0) return 0;
    std::string joined;
    for (const auto& item : items) {
        joined += item;
        joined += '\0';
    }
    if (joined.size() + (spare ? 2 : 1) <= size) {
        std::memcpy(buffer, joined.data(), joined.size());
        buffer[joined.size()] = '\0';
        return static_cast<DWORD>(joined.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, joined.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    SetLastError(ERROR_MORE_DATA);
    return size - 2;
}

// Loads for reading; a missing file, or no file name, leaves ERROR_FILE_NOT_FOUND as the last error.
bool LoadForRead(const char* fileName, IniDocument& document) {
    std::string path = ResolvePath(fileName);
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    bool exists = false;
    DWORD error = LoadDocument(path, document, exists);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    SetLastError(exists ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return true;
}

const char* WinIni() {
    return "win.ini";
}

}  // namespace

std::string ProfilePath(const std::string& fileName) {
    if (fileName.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    if (fileName.front() == '/') return fileName;
    bool full = fileName.front() == '\\' || (fileName.size() >= 2 && fileName[1] == ':' &&
                                             std::isalpha(static_cast<unsigned char>(fileName[0])));
    if (full) return NativePath(fileName);
    std::string relative = fileName;
    for (char& c : relative)
        if (c == '\\') c = '/';
    return PlatformWindowsDirectory() + "/" + relative;
}

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              DWORD size, const char* fileName) {
    IniDocument document;
    bool loaded = LoadForRead(fileName, document);
    DWORD lastError = GetLastError();
    DWORD result;
    if (!section) {
        result = CopyList(loaded ? document.SectionNames() : std::vector<std::string>{}, buffer, size);
    } else if (!key) {
        result = CopyList(loaded ? document.Keys(section) : std::vector<std::string>{}, buffer, size);
    } else {
        std::string value;
        if (loaded && document.Get(section, key, value)) {
            result = CopyString(Dequoted(value), buffer, size);
        } else {
            std::string_view fallback = defaultValue ? defaultValue : "";
            while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t'))
                fallback.remove_suffix(1);
            result = CopyString(fallback, buffer, size);
        }
    }
    if (GetLastError() != ERROR_MORE_DATA) SetLastError(lastError);
    return result;
}

UINT GetPrivateProfileInt(const char* section, const char* key, INT defaultValue, const char* fileName) {
    IniDocument document;
    std::string raw;
    if (!section || !key || !LoadForRead(fileName, document) || !document.Get(section, key, raw))
        return static_cast<UINT>(defaultValue);
    std::string value = Dequoted(raw);
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    // Unsigned arithmetic wraps modulo 2^32 as Win32's does: "-1" is 0xFFFFFFFF, "4294967297" is 1.
    UINT number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        number = number * 10u + static_cast<UINT>(value[i] - '0');
    return negative ? 0u - number : number;
}

DWORD GetPrivateProfileSectionNames(char* buffer, DWORD size, const char* fileName) {
    IniDocument document;
    bool loaded = LoadForRead(fileName, document);
    DWORD lastError = GetLastError();
    DWORD result =
        CopyList(loaded ? document.SectionNames() : std::vector<std::string>{}, buffer, size, true);
    if (GetLastError() != ERROR_MORE_DATA) SetLastError(lastError);
    return result;
}

DWORD GetPrivateProfileSection(const char* section, char* buffer, DWORD size, const char* fileName) {
    if (!section || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    IniDocument document;
    if (!LoadForRead(fileName, document)) return CopyList({}, buffer, size);
    return CopyList(document.SectionLines(section), buffer, size);
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* fileName) {
    if (!section && !key && !value) return TRUE;
    if (!section) return Fail(ERROR_FILE_NOT_FOUND);
    if (!ValidSection(section)) return Fail(ERROR_INVALID_PARAMETER);
    if (key && !ValidKey(key)) return Fail(ERROR_INVALID_PARAMETER);
    if (value && HasLineBreak(value)) return Fail(ERROR_INVALID_PARAMETER);
    return Modify(fileName, [&](IniDocument& document) {
        if (!key) return document.DeleteSection(section);
        if (!value) return document.DeleteKey(section, ascii::TrimBlanks(key));
        document.Set(section, ascii::TrimBlanks(key), value);
        return true;
    });
}

BOOL WritePrivateProfileSection(const char* section, const char* values, const char* fileName) {
    if (!section || !ValidSection(section)) return Fail(ERROR_INVALID_PARAMETER);
    std::vector<std::string> entries;
    for (const char* entry = values; entry && *entry; entry += std::strlen(entry) + 1) {
        std::string_view line = ascii::TrimBlanks(entry);
        if (HasLineBreak(line)) return Fail(ERROR_INVALID_PARAMETER);
        std::string_view name = line.substr(0, line.find('='));
        if (!line.empty() && line.front() != ';' && !ValidKey(name)) return Fail(ERROR_INVALID_PARAMETER);
        entries.emplace_back(line);
    }
    return Modify(fileName, [&](IniDocument& document) {
        if (!values) return document.DeleteSection(section);
        document.ReplaceSection(section, entries);
        return true;
    });
}

DWORD GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                       DWORD size) {
    return GetPrivateProfileString(section, key, defaultValue, buffer, size, WinIni());
}
UINT GetProfileInt(const char* section, const char* key, INT defaultValue) {
    return GetPrivateProfileInt(section, key, defaultValue, WinIni());
}
DWORD GetProfileSection(const char* section, char* buffer, DWORD size) {
    return GetPrivateProfileSection(section, buffer, size, WinIni());
}
BOOL WriteProfileString(const char* section, const char* key, const char* value) {
    return WritePrivateProfileString(section, key, value, WinIni());
}
BOOL WriteProfileSection(const char* section, const char* values) {
    return WritePrivateProfileSection(section, values, WinIni());
}

BOOL ProfileReadString(const std::string& fileName, const std::string& section, const std::string& key,
                       std::string& value) {
    IniDocument document;
    if (!LoadForRead(fileName.c_str(), document)) return FALSE;
    std::string raw;
    if (!document.Get(section, key, raw)) return Fail(ERROR_FILE_NOT_FOUND);
    value = Dequoted(raw);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL ProfileReadSectionNames(const std::string& fileName, std::vector<std::string>& names) {
    names.clear();
    IniDocument document;
    if (!LoadForRead(fileName.c_str(), document)) return FALSE;
    names = document.SectionNames();
    return TRUE;
}

BOOL ProfileReadKeyNames(const std::string& fileName, const std::string& section,
                         std::vector<std::string>& keys) {
    keys.clear();
    IniDocument document;
    if (!LoadForRead(fileName.c_str(), document)) return FALSE;
    keys = document.Keys(section);
    return TRUE;
}

namespace testing {

void FailNextProfileWrite(long bytes) {
    failNextWriteAfter = bytes;
}

}  // namespace testing

}  // namespace win32
