// Drive map, current directories and the resolution of Windows paths against the real file system.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>

#include "files/files_internal.h"

namespace win32 {

namespace files {

namespace {

struct PathState {
    std::mutex mutex;
    std::map<char, DriveFacts> drives;
    std::map<char, std::vector<std::string>> currentDirectories;
    std::optional<char> currentDrive;
};

DriveFacts DefaultSystemDrive() {
    DriveFacts facts;
    facts.folder = "/";
    facts.type = DRIVE_FIXED;
    return facts;
}

void ResetDrives(PathState& state) {
    state.drives.clear();
    state.drives['C'] = DefaultSystemDrive();
    state.currentDirectories.clear();
    state.currentDrive.reset();
}

PathState& Paths() {
    static PathState* state = [] {
        auto* created = new PathState;
        ResetDrives(*created);
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            ResetDrives(*created);
        });
        return created;
    }();
    return *state;
}

bool IsDelimiter(char c) {
    return c == '\\' || c == '/';
}

std::string NormalFolder(const std::string& folder) {
    std::string normal = std::filesystem::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

std::string JoinNative(const std::string& folder, std::string_view name) {
    std::string joined = folder;
    if (joined.empty() || joined.back() != '/') joined += '/';
    joined += name;
    return joined;
}

// The drive path of a native absolute, normalized path; the caller holds the lock.
std::string WindowsPathLocked(PathState& state, const std::string& native) {
    const char* bestDrive = nullptr;
    size_t bestLength = 0;
    for (const auto& [letter, facts] : state.drives) {
        if (!facts.hasMedium) continue;
        const std::string& folder = facts.folder;
        bool covers = false;
        if (folder == "/")
            covers = true;
        else if (native.compare(0, folder.size(), folder) == 0 &&
                 (native.size() == folder.size() || native[folder.size()] == '/'))
            covers = true;
        if (covers && (!bestDrive || folder.size() > bestLength)) {
            bestDrive = &letter;
            bestLength = folder.size();
        }
    }
    if (!bestDrive) return {};
    std::string result{*bestDrive, ':', '\\'};
    size_t start = state.drives[*bestDrive].folder == "/" ? 1 : bestLength + 1;
    bool first = true;
    while (start < native.size()) {
        size_t end = native.find('/', start);
        if (end == std::string::npos) end = native.size();
        if (end > start) {
            if (!first) result += '\\';
            result.append(native, start, end - start);
            first = false;
        }
        start = end + 1;
    }
    return result;
}

std::string ProcessDirectory() {
    std::error_code error;
    auto cwd = std::filesystem::current_path(error);
    return error ? std::string("/") : cwd.string();
}

// The current drive and its directory, set from the working directory on first use.
void EnsureCurrent(PathState& state) {
    if (state.currentDrive) return;
    std::string windows = WindowsPathLocked(state, NormalFolder(ProcessDirectory()));
    if (windows.empty()) windows = "C:\\";
    char drive = windows[0];
    std::vector<std::string> components;
    size_t start = 3;
    while (start < windows.size()) {
        size_t end = windows.find('\\', start);
        if (end == std::string::npos) end = windows.size();
        components.emplace_back(windows.substr(start, end - start));
        start = end + 1;
    }
    state.currentDrive = drive;
    state.currentDirectories[drive] = std::move(components);
}

}  // namespace

std::string WindowsName::Text() const {
    std::string text{drive, ':', '\\'};
    for (size_t i = 0; i < components.size(); ++i) {
        if (i) text += '\\';
        text += components[i];
    }
    return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool ParseWindowsPath(std::string_view path, WindowsName& name, DWORD& error, bool allowWildcards) {
    if (path.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    size_t lastDelimiter = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i)
        if (IsDelimiter(path[i])) lastDelimiter = i;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        const bool wildcard = c == '*' || c == '?';
        const bool badColon = c == ':' && i != 1;
        if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || badColon ||
            (wildcard &&
             (!allowWildcards || (lastDelimiter != std::string_view::npos && i < lastDelimiter)))) {
            error = ERROR_INVALID_NAME;
            return false;
        }
    }
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    EnsureCurrent(state);
    std::string_view rest = path;
    char drive = *state.currentDrive;
    bool absolute = false;
    if (path.size() >= 2 && path[1] == ':') {
        const auto letter = static_cast<unsigned char>(path[0]);
        if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) {
            error = ERROR_INVALID_NAME;
            return false;
        }
        drive = static_cast<char>(letter & ~0x20);
        rest = path.substr(2);
        absolute = !rest.empty() && IsDelimiter(rest[0]);
    } else if (IsDelimiter(path[0])) {
        if (path.size() >= 2 && IsDelimiter(path[1])) {
            error = ERROR_INVALID_NAME;  // network names are not served
            return false;
        }
        absolute = true;
    }
    name.drive = drive;
    name.components.clear();
    if (!absolute) {
        auto current = state.currentDirectories.find(drive);
        if (current != state.currentDirectories.end()) name.components = current->second;
    }
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = start;
        while (end < rest.size() && !IsDelimiter(rest[end]))
            ++end;
        std::string_view component = rest.substr(start, end - start);
        if (component == "..") {
            if (name.components.empty()) {
                error = ERROR_INVALID_NAME;
                return false;
            }
            name.components.pop_back();
        } else if (!component.empty() && component != ".") {
            name.components.emplace_back(component);
        }
        start = end + 1;
    }
    return true;
}

bool DriveOf(char drive, DriveFacts& facts, DWORD& error) {
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    auto found = state.drives.find(drive);
    if (found == state.drives.end()) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (!found->second.hasMedium) {
        error = ERROR_NOT_READY;
        return false;
    }
    facts = found->second;
    return true;
}

bool Exists(const std::string& native) {
    struct stat info {};
    return lstat(native.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& native) {
    struct stat info {};
    return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// The real name of `component` inside `folder`, or nothing.
std::optional<std::string> FindEntry(const std::string& folder, const std::string& component) {
    if (Exists(JoinNative(folder, component))) return component;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> best;
    while (dirent* entry = readdir(dir)) {
        std::string_view entryName = entry->d_name;
        if (!EqualNoCase(entryName, component)) continue;
        if (!best || entryName < *best) best = std::string(entryName);
    }
    closedir(dir);
    return best;
}

}  // namespace

bool Resolve(std::string_view path, Resolved& resolved, DWORD& error, bool allowWildcards) {
    WindowsName name;
    if (!ParseWindowsPath(path, name, error, allowWildcards)) return false;
    DriveFacts facts;
    if (!DriveOf(name.drive, facts, error)) return false;
    resolved.name.drive = name.drive;
    resolved.name.components.clear();
    std::string native = facts.folder;
    bool found = IsDirectory(native);
    resolved.parentExists = found;
    for (size_t i = 0; i < name.components.size(); ++i) {
        const std::string& component = name.components[i];
        const bool last = i + 1 == name.components.size();
        if (last) resolved.parentExists = found && IsDirectory(native);
        std::optional<std::string> real;
        if (found && !(last && allowWildcards && component.find_first_of("*?") != std::string::npos))
            real = FindEntry(native, component);
        if (!real) found = false;
        const std::string& spelled = real ? *real : component;
        native = JoinNative(native, spelled);
        resolved.name.components.push_back(spelled);
    }
    resolved.native = std::move(native);
    resolved.exists = found;
    return true;
}

bool ResolveOrFail(const char* path, Resolved& resolved) {
    DWORD error = ERROR_SUCCESS;
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!Resolve(path, resolved, error)) {
        SetLastError(error);
        return false;
    }
    return true;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case ENOTEMPTY:
            return ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EXDEV:
            return ERROR_NOT_SAME_DEVICE;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case EBUSY:
        case ETXTBSY:
            return ERROR_SHARING_VIOLATION;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
    const size_t length = text.size();
    if (!buffer || size <= length) return static_cast<DWORD>(length + 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

std::string ShortAlias(std::string_view name) {
    static constexpr std::string_view kSpecial = "!#$%&'()-@^_`{}~";
    auto valid = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               kSpecial.find(static_cast<char>(c)) != std::string_view::npos;
    };
    if (name == "." || name == "..") return {};
    size_t dot = name.rfind('.');
    if (dot == 0) dot = std::string_view::npos;  // a leading dot starts no extension
    std::string_view base = dot == std::string_view::npos ? name : name.substr(0, dot);
    std::string_view extension = dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
    bool fits =
        !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
        (dot == std::string_view::npos || !extension.empty()) &&
        std::all_of(base.begin(), base.end(), [&](char c) { return valid(static_cast<unsigned char>(c)); }) &&
        std::all_of(extension.begin(), extension.end(),
                    [&](char c) { return valid(static_cast<unsigned char>(c)); });
    if (fits) return {};
    auto clean = [&](std::string_view part, size_t limit) {
        std::string out;
        for (char c : part) {
            if (out.size() == limit) break;
            const auto u = static_cast<unsigned char>(c);
            if (c == '.' || c == ' ') continue;
            out += valid(u) ? static_cast<char>(u >= 'a' && u <= 'z' ? u - 32 : u) : '_';
        }
        return out;
    };
    std::string alias = clean(base, 6);
    if (alias.empty()) alias = "_";
    alias += "~1";
    std::string shortExtension = clean(extension, 3);
    if (!shortExtension.empty()) alias += "." + shortExtension;
    return alias;
}

}  // namespace files

using namespace files;

std::string NativePath(const std::string& windowsPath) {
    Resolved resolved;
    DWORD error = ERROR_SUCCESS;
    if (!Resolve(windowsPath, resolved, error)) {
        SetLastError(error);
        return {};
    }
    return resolved.native;
}

std::string WindowsPath(const std::string& nativePath) {
    if (nativePath.empty()) return {};
    std::string absolute = nativePath[0] == '/' ? nativePath : JoinNative(ProcessDirectory(), nativePath);
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    return WindowsPathLocked(state, NormalFolder(absolute));
}

std::string FullWindowsPath(const std::string& path) {
    WindowsName name;
    DWORD error = ERROR_SUCCESS;
    if (!ParseWindowsPath(path, name, error)) {
        SetLastError(error);
        return {};
    }
    return name.Text();
}

DWORD GetCurrentDirectory(DWORD nBufferLength, char* lpBuffer) {
    auto& state = Paths();
    std::string text;
    {
        std::lock_guard lock(state.mutex);
        EnsureCurrent(state);
        WindowsName name;
        name.drive = *state.currentDrive;
        name.components = state.currentDirectories[name.drive];
        text = name.Text();
    }
    return CopyOut(text, lpBuffer, nBufferLength);
}

BOOL SetCurrentDirectory(const char* lpPathName) {
    Resolved resolved;
    if (!ResolveOrFail(lpPathName, resolved)) return FALSE;
    if (!resolved.exists) {
        SetLastError(resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!IsDirectory(resolved.native)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    state.currentDrive = resolved.name.drive;
    state.currentDirectories[resolved.name.drive] = resolved.name.components;
    return TRUE;
}

DWORD GetFullPathName(const char* lpFileName, DWORD nBufferLength, char* lpBuffer, char** lpFilePart) {
    if (!lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowsName name;
    DWORD error = ERROR_SUCCESS;
    if (!ParseWindowsPath(lpFileName, name, error, true)) {
        SetLastError(error);
        return 0;
    }
    std::string text = name.Text();
    // A trailing delimiter in the request stays, as Windows keeps it.
    const std::string_view request = lpFileName;
    if (!name.components.empty() && (request.back() == '\\' || request.back() == '/')) text += '\\';
    DWORD written = CopyOut(text, lpBuffer, nBufferLength);
    if (lpFilePart && written < nBufferLength) {
        const size_t lastDelimiter = text.rfind('\\');
        *lpFilePart = lastDelimiter + 1 < text.size() ? lpBuffer + lastDelimiter + 1 : nullptr;
    }
    return written;
}

namespace {

DWORD RealSpelling(const char* path, char* buffer, DWORD size) {
    Resolved resolved;
    if (!ResolveOrFail(path, resolved)) return 0;
    if (!resolved.exists) {
        SetLastError(resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return CopyOut(resolved.name.Text(), buffer, size);
}

}  // namespace

DWORD GetShortPathName(const char* lpszLongPath, char* lpszShortPath, DWORD cchBuffer) {
    return RealSpelling(lpszLongPath, lpszShortPath, cchBuffer);
}

DWORD GetLongPathName(const char* lpszShortPath, char* lpszLongPath, DWORD cchBuffer) {
    return RealSpelling(lpszShortPath, lpszLongPath, cchBuffer);
}

namespace testing {

void MapDrive(char letter, const std::string& folder, UINT type, const std::string& label, DWORD serial,
              bool hasMedium) {
    const auto upper = static_cast<char>(letter & ~0x20);
    if (upper < 'A' || upper > 'Z') throw std::invalid_argument("drive letter outside A..Z");
    if (type < DRIVE_REMOVABLE || type > DRIVE_RAMDISK) throw std::invalid_argument("unknown drive type");
    if (folder.empty() || folder[0] != '/') throw std::invalid_argument("drive folder must be absolute");
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    DriveFacts facts;
    facts.folder = NormalFolder(folder);
    facts.type = type;
    facts.label = label;
    facts.serial = serial;
    facts.hasMedium = hasMedium;
    state.drives[upper] = std::move(facts);
    state.currentDirectories.erase(upper);
}

void UnmapDrive(char letter) {
    const auto upper = static_cast<char>(letter & ~0x20);
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    state.currentDirectories.erase(upper);
    if (upper == 'C')
        state.drives['C'] = DefaultSystemDrive();
    else
        state.drives.erase(upper);
    if (state.currentDrive == upper) state.currentDrive.reset();
}

}  // namespace testing

// Drive enumeration lives here because it reads the map directly.
DWORD GetLogicalDrives() {
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    DWORD mask = 0;
    for (const auto& entry : state.drives)
        mask |= DWORD{1} << (entry.first - 'A');
    return mask;
}

DWORD GetLogicalDriveStrings(DWORD nBufferLength, char* lpBuffer) {
    std::string text;
    {
        auto& state = Paths();
        std::lock_guard lock(state.mutex);
        for (const auto& entry : state.drives) {
            text += entry.first;
            text += ":\\";
            text += '\0';
        }
    }
    // The final NUL is not counted; the buffer must hold it.
    if (!lpBuffer || nBufferLength < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(lpBuffer, text.data(), text.size());
    lpBuffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

namespace files {

// The drive letter named by a root ("X:\", "X:" or "X:/"); 0 when it is not a root.
char RootDrive(const char* root) {
    if (!root) {
        WindowsName name;
        DWORD error = 0;
        return ParseWindowsPath(".", name, error) ? name.drive : 'C';
    }
    std::string_view text = root;
    if (text.size() < 2 || text.size() > 3 || text[1] != ':') return 0;
    if (text.size() == 3 && !IsDelimiter(text[2])) return 0;
    const auto upper = static_cast<char>(text[0] & ~0x20);
    return upper >= 'A' && upper <= 'Z' ? upper : 0;
}

// The facts of a drive regardless of its medium.
bool DriveFactsAnyMedium(char drive, DriveFacts& facts) {
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    auto found = state.drives.find(drive);
    if (found == state.drives.end()) return false;
    facts = found->second;
    return true;
}

void SetDriveLabel(char drive, const std::string& label) {
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    auto found = state.drives.find(drive);
    if (found != state.drives.end()) found->second.label = label;
}

std::vector<std::pair<char, DriveFacts>> MediaDrives() {
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    std::vector<std::pair<char, DriveFacts>> drives;
    for (const auto& entry : state.drives)
        if (entry.second.type == DRIVE_REMOVABLE || entry.second.type == DRIVE_CDROM) drives.push_back(entry);
    return drives;
}

void SetDriveMedium(char drive, bool present) {
    auto& state = Paths();
    std::lock_guard lock(state.mutex);
    auto found = state.drives.find(drive);
    if (found != state.drives.end() &&
        (found->second.type == DRIVE_REMOVABLE || found->second.type == DRIVE_CDROM))
        found->second.hasMedium = present;
}

}  // namespace files

}  // namespace win32
