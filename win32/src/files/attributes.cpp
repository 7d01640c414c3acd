// Attributes, file times and their conversions, wildcard matching and directory searches.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>

#include "files/files_internal.h"
#include "kernel/calendar.h"

namespace win32 {

using namespace files;

namespace files {

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;
using calendar::kMsPerDay;

using calendar::DaysFromCivil;

bool IsLeap(unsigned y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysIn(unsigned year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Milliseconds since 1970 of a SYSTEMTIME; false for fields out of range.
bool EpochMs(const SYSTEMTIME& time, int64_t& ms) {
    if (time.wYear < 1601 || time.wYear > 30827 || time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1 ||
        time.wDay > DaysIn(time.wYear, time.wMonth) || time.wHour > 23 || time.wMinute > 59 ||
        time.wSecond > 59 || time.wMilliseconds > 999)
        return false;
    ms = DaysFromCivil(time.wYear, time.wMonth, time.wDay) * kMsPerDay +
         ((time.wHour * 60 + time.wMinute) * 60 + time.wSecond) * 1000LL + time.wMilliseconds;
    return true;
}

SYSTEMTIME FromEpochMs(int64_t ms) {
    int64_t days = ms / kMsPerDay, rest = ms % kMsPerDay;
    if (rest < 0) rest += kMsPerDay, --days;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    SYSTEMTIME st{};
    st.wDay = static_cast<WORD>(doy - (153 * mp + 2) / 5 + 1);
    st.wMonth = static_cast<WORD>(mp < 10 ? mp + 3 : mp - 9);
    st.wYear = static_cast<WORD>(static_cast<int64_t>(yoe) + era * 400 + (st.wMonth <= 2));
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);
    st.wHour = static_cast<WORD>(rest / 3600000);
    st.wMinute = static_cast<WORD>(rest / 60000 % 60);
    st.wSecond = static_cast<WORD>(rest / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(rest % 1000);
    return st;
}

// The platform's present distance of local time from UTC, in 100-nanosecond units.
int64_t LocalBias() {
    SYSTEMTIME local{}, utc{};
    GetLocalTime(&local);
    GetSystemTime(&utc);
    int64_t localMs = 0, utcMs = 0;
    if (!EpochMs(local, localMs) || !EpochMs(utc, utcMs)) return 0;
    const int64_t minutes = (localMs - utcMs + (localMs >= utcMs ? 30000 : -30000)) / 60000;
    return minutes * 60 * 10000000LL;
}

}  // namespace

ULONGLONG FileTimeValue(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME MakeFileTime(ULONGLONG value) {
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

FILETIME FileTimeFromTimespec(const timespec& time) {
    const int64_t units = static_cast<int64_t>(time.tv_sec) * 10000000 + time.tv_nsec / 100;
    if (units < -static_cast<int64_t>(kUnixEpoch)) return MakeFileTime(0);
    return MakeFileTime(static_cast<ULONGLONG>(static_cast<int64_t>(kUnixEpoch) + units));
}

timespec TimespecFromFileTime(const FILETIME& time) {
    const auto units = static_cast<int64_t>(FileTimeValue(time) - kUnixEpoch);
    timespec stamp{};
    stamp.tv_sec = units / 10000000;
    stamp.tv_nsec = (units % 10000000) * 100;
    if (stamp.tv_nsec < 0) stamp.tv_nsec += 1000000000, --stamp.tv_sec;
    return stamp;
}

DWORD AttributesOf(const struct stat& info, std::string_view name) {
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISREG(info.st_mode))
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    else
        attributes |= FILE_ATTRIBUTE_SYSTEM;
    if (!(info.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

UINT_PTR NextHandleValue() {
    static std::atomic<UINT_PTR> next{0x4000};
    return next.fetch_add(4);
}

}  // namespace files

namespace {

// Follows links; a dangling link reports itself.
bool StatEntry(const std::string& native, struct stat& info) {
    return stat(native.c_str(), &info) == 0 || lstat(native.c_str(), &info) == 0;
}

bool StatResolved(const char* path, Resolved& resolved, struct stat& info) {
    if (!ResolveOrFail(path, resolved)) return false;
    if (!resolved.exists || !StatEntry(resolved.native, info)) {
        SetLastError(resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

std::string_view LastName(const Resolved& resolved) {
    return resolved.name.components.empty() ? std::string_view{}
                                            : std::string_view(resolved.name.components.back());
}

}  // namespace

DWORD GetFileAttributes(const char* lpFileName) {
    Resolved resolved;
    struct stat info {};
    if (!StatResolved(lpFileName, resolved, info)) return INVALID_FILE_ATTRIBUTES;
    return AttributesOf(info, LastName(resolved));
}

BOOL SetFileAttributes(const char* lpFileName, DWORD dwFileAttributes) {
    Resolved resolved;
    struct stat info {};
    if (!StatResolved(lpFileName, resolved, info)) return FALSE;
    // Windows does not honour READONLY on folders; their permissions stay as they are.
    if (S_ISDIR(info.st_mode)) return TRUE;
    mode_t mode = info.st_mode & 07777;
    if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode != (info.st_mode & 07777) && chmod(resolved.native.c_str(), mode) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileAttributesEx(const char* lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                         void* lpFileInformation) {
    if (fInfoLevelId != GetFileExInfoStandard || !lpFileInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Resolved resolved;
    struct stat info {};
    if (!StatResolved(lpFileName, resolved, info)) return FALSE;
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(lpFileInformation);
    data->dwFileAttributes = AttributesOf(info, LastName(resolved));
    data->ftLastWriteTime = FileTimeFromTimespec(info.st_mtim);
    data->ftCreationTime = data->ftLastWriteTime;
    data->ftLastAccessTime = FileTimeFromTimespec(info.st_atim);
    const auto size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Time conversions

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto value = static_cast<int64_t>(FileTimeValue(*lpFileTime)) + LocalBias();
    if (value < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpLocalFileTime = MakeFileTime(static_cast<ULONGLONG>(value));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime) {
    if (!lpFileTime || !lpLocalFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto value = static_cast<int64_t>(FileTimeValue(*lpLocalFileTime)) - LocalBias();
    if (value < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFileTime = MakeFileTime(static_cast<ULONGLONG>(value));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || (lpFileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG value = FileTimeValue(*lpFileTime);
    const int64_t ms = static_cast<int64_t>(value / 10000) - static_cast<int64_t>(kUnixEpoch / 10000);
    *lpSystemTime = FromEpochMs(ms);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime) {
    int64_t ms = 0;
    if (!lpSystemTime || !lpFileTime || !EpochMs(*lpSystemTime, ms)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFileTime = MakeFileTime(static_cast<ULONGLONG>(ms * 10000 + static_cast<int64_t>(kUnixEpoch)));
    return TRUE;
}

BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, WORD* lpFatDate, WORD* lpFatTime) {
    SYSTEMTIME time{};
    if (!lpFatDate || !lpFatTime || !FileTimeToSystemTime(lpFileTime, &time) || time.wYear < 1980 ||
        time.wYear > 2107) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFatDate = static_cast<WORD>(((time.wYear - 1980) << 9) | (time.wMonth << 5) | time.wDay);
    *lpFatTime = static_cast<WORD>((time.wHour << 11) | (time.wMinute << 5) | (time.wSecond / 2));
    return TRUE;
}

BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, FILETIME* lpFileTime) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(1980 + (wFatDate >> 9));
    time.wMonth = static_cast<WORD>((wFatDate >> 5) & 0x0F);
    time.wDay = static_cast<WORD>(wFatDate & 0x1F);
    time.wHour = static_cast<WORD>(wFatTime >> 11);
    time.wMinute = static_cast<WORD>((wFatTime >> 5) & 0x3F);
    time.wSecond = static_cast<WORD>((wFatTime & 0x1F) * 2);
    return SystemTimeToFileTime(&time, lpFileTime);
}

LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
    const ULONGLONG a = FileTimeValue(*lpFileTime1), b = FileTimeValue(*lpFileTime2);
    return a < b ? -1 : a > b ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Wildcards and searching

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return true;
    const size_t p = pattern.size(), n = name.size();
    if ((p + 1) * (n + 1) > (size_t{1} << 24)) return false;
    // matches[i * (n + 1) + j]: pattern from i matches name from j. Filled from the ends backwards.
    std::vector<uint8_t> matches((p + 1) * (n + 1), 0);
    auto at = [&](size_t i, size_t j) -> uint8_t& { return matches[i * (n + 1) + j]; };
    at(p, n) = 1;
    // Whether only `.`, `?` and `*` remain from each pattern position on.
    std::vector<uint8_t> onlyWild(p + 1, 1);
    for (size_t i = p; i-- > 0;)
        onlyWild[i] = onlyWild[i + 1] && (pattern[i] == '.' || pattern[i] == '?' || pattern[i] == '*');
    for (size_t i = p; i-- > 0;) {
        const char c = pattern[i];
        for (size_t j = n + 1; j-- > 0;) {
            bool match = false;
            if (c == '*') {
                match = at(i + 1, j) || (j < n && at(i, j + 1));
            } else if (c == '?') {
                if (j == n || name[j] == '.') {
                    match = at(i + 1, j);
                } else {
                    size_t next = j + 1;
                    while (next < n && (static_cast<unsigned char>(name[next]) & 0xC0) == 0x80)
                        ++next;
                    match = at(i + 1, next);
                }
            } else if (c == '.') {
                match = (j < n && name[j] == '.' && at(i + 1, j + 1)) || (j == n && onlyWild[i + 1]);
            } else {
                match = j < n &&
                        FoldCase(static_cast<unsigned char>(c)) ==
                            FoldCase(static_cast<unsigned char>(name[j])) &&
                        at(i + 1, j + 1);
            }
            at(i, j) = match;
        }
    }
    return at(0, 0) != 0;
}

namespace {

struct FindState {
    std::vector<WIN32_FIND_DATA> entries;
    size_t next = 0;
};

struct FindTable {
    std::mutex mutex;
    std::map<UINT_PTR, FindState> searches;
};

FindTable& Finds() {
    static FindTable* table = [] {
        auto* created = new FindTable;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->searches.clear();
        });
        return created;
    }();
    return *table;
}

bool FillFindData(const std::string& native, std::string_view name, WIN32_FIND_DATA& data) {
    struct stat info {};
    if (!StatEntry(native, info) || name.size() >= MAX_PATH) return false;
    data = WIN32_FIND_DATA{};
    data.dwFileAttributes = AttributesOf(info, name);
    // A symbolic link is what Windows calls a reparse point: walkers use it to avoid loops.
    if (struct stat link{}; lstat(native.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    data.ftLastWriteTime = FileTimeFromTimespec(info.st_mtim);
    data.ftCreationTime = data.ftLastWriteTime;
    data.ftLastAccessTime = FileTimeFromTimespec(info.st_atim);
    const auto size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    std::memcpy(data.cFileName, name.data(), name.size());
    const std::string alias = ShortAlias(name);
    std::memcpy(data.cAlternateFileName, alias.data(), std::min<size_t>(alias.size(), 13));
    return true;
}

std::string ParentOf(const std::string& native) {
    const size_t slash = native.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return native.substr(0, slash);
}

bool LessNoCase(const std::string& a, const std::string& b) {
    const size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        const auto x = FoldCase(static_cast<unsigned char>(a[i])),
                   y = FoldCase(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size() || (a.size() == b.size() && a < b);
}

}  // namespace

HANDLE FindFirstFile(const char* lpFileName, WIN32_FIND_DATA* lpFindFileData) {
    if (!lpFileName || !lpFindFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    Resolved resolved;
    DWORD error = ERROR_SUCCESS;
    if (!Resolve(lpFileName, resolved, error, true)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    const std::string_view request = lpFileName;
    if (resolved.name.components.empty() || request.back() == '\\' || request.back() == '/') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!resolved.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string& pattern = resolved.name.components.back();
    const std::string folder = ParentOf(resolved.native);
    FindState search;
    WIN32_FIND_DATA data{};
    if (pattern.find_first_of("*?") == std::string::npos) {
        if (resolved.exists && FillFindData(resolved.native, pattern, data)) search.entries.push_back(data);
    } else {
        std::vector<std::string> names;
        if (DIR* dir = opendir(folder.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name == "." || name == "..") continue;
                if (WildcardMatch(pattern, name)) names.push_back(std::move(name));
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end(), LessNoCase);
        if (resolved.name.components.size() > 1) {
            if (WildcardMatch(pattern, ".") && FillFindData(folder, ".", data))
                search.entries.push_back(data);
            if (WildcardMatch(pattern, "..") && FillFindData(ParentOf(folder), "..", data))
                search.entries.push_back(data);
        }
        for (const auto& name : names) {
            std::string native = folder == "/" ? "/" + name : folder + "/" + name;
            if (FillFindData(native, name, data)) search.entries.push_back(data);
        }
    }
    if (search.entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = search.entries[0];
    search.next = 1;
    const UINT_PTR value = NextHandleValue();
    auto& table = Finds();
    std::lock_guard lock(table.mutex);
    table.searches.emplace(value, std::move(search));
    return MakeHandle<HANDLE>(value);
}

BOOL FindNextFile(HANDLE hFindFile, WIN32_FIND_DATA* lpFindFileData) {
    auto& table = Finds();
    std::lock_guard lock(table.mutex);
    auto found = table.searches.find(HandleValue(hFindFile));
    if (found == table.searches.end() || !lpFindFileData) {
        SetLastError(found == table.searches.end() ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FindState& search = found->second;
    if (search.next >= search.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *lpFindFileData = search.entries[search.next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
    auto& table = Finds();
    std::lock_guard lock(table.mutex);
    if (table.searches.erase(HandleValue(hFindFile)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // namespace win32
