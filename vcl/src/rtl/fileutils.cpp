// File names, searching and file facts of the run-time library, on the platform's file services.
#include <cstring>

#include "vcl/sysutils.h"
#include "win32/files.h"

namespace vcl {

namespace {

constexpr std::string_view kNameDelimiters = "\\/:";
constexpr win32::DWORD kGenericRead = 0x80000000;
constexpr win32::DWORD kGenericWrite = 0x40000000;

bool IsDelimiterChar(char c) {
    return c == '\\' || c == '/';
}

// The platform takes C strings: a name holding NUL cannot name a file.
bool ToCString(std::string_view text, std::string& out) {
    if (text.find('\0') != std::string_view::npos) {
        win32::SetLastError(win32::ERROR_INVALID_NAME);
        return false;
    }
    out.assign(text);
    return true;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

win32::DWORD Attributes(std::string_view fileName) {
    std::string name;
    if (!ToCString(fileName, name)) return win32::INVALID_FILE_ATTRIBUTES;
    return win32::GetFileAttributes(name.c_str());
}

win32::HANDLE ToPlatform(uintptr_t handle) {
    return reinterpret_cast<win32::HANDLE>(handle);
}

Integer DosDate(const win32::FILETIME& utc) {
    win32::FILETIME local{};
    win32::WORD date = 0, time = 0;
    if (!win32::FileTimeToLocalFileTime(&utc, &local) || !win32::FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<Integer>((static_cast<uint32_t>(date) << 16) | time);
}

bool FileTimeOfDosDate(Integer age, win32::FILETIME& utc) {
    win32::FILETIME local{};
    const auto value = static_cast<uint32_t>(age);
    return win32::DosDateTimeToFileTime(static_cast<win32::WORD>(value >> 16),
                                        static_cast<win32::WORD>(value), &local) &&
           win32::LocalFileTimeToFileTime(&local, &utc);
}

std::vector<std::string> Folders(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsDelimiterChar(path[end]))
            ++end;
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

Integer LastDelimiter(std::string_view delimiters, std::string_view s) {
    for (size_t i = s.size(); i-- > 0;)
        if (delimiters.find(s[i]) != std::string_view::npos) return static_cast<Integer>(i);
    return -1;
}

bool IsPathDelimiter(std::string_view s, Integer index) {
    return index >= 0 && static_cast<size_t>(index) < s.size() &&
           IsDelimiterChar(s[static_cast<size_t>(index)]);
}

std::string IncludeTrailingPathDelimiter(std::string_view s) {
    std::string result(s);
    if (result.empty() || !IsDelimiterChar(result.back())) result += PathDelim;
    return result;
}

std::string IncludeTrailingBackslash(std::string_view s) {
    return IncludeTrailingPathDelimiter(s);
}

std::string ExcludeTrailingPathDelimiter(std::string_view s) {
    std::string result(s);
    if (!result.empty() && IsDelimiterChar(result.back())) result.pop_back();
    return result;
}

std::string ExcludeTrailingBackslash(std::string_view s) {
    return ExcludeTrailingPathDelimiter(s);
}

std::string ExtractFilePath(std::string_view fileName) {
    return std::string(fileName.substr(0, static_cast<size_t>(LastDelimiter(kNameDelimiters, fileName) + 1)));
}

std::string ExtractFileDir(std::string_view fileName) {
    const Integer last = LastDelimiter(kNameDelimiters, fileName);
    if (last < 0) return {};
    auto length = static_cast<size_t>(last) + 1;
    if (IsDelimiterChar(fileName[static_cast<size_t>(last)]) &&
        !(last >= 1 &&
          kNameDelimiters.find(fileName[static_cast<size_t>(last) - 1]) != std::string_view::npos))
        --length;
    return std::string(fileName.substr(0, length));
}

std::string ExtractFileName(std::string_view fileName) {
    return std::string(fileName.substr(static_cast<size_t>(LastDelimiter(kNameDelimiters, fileName) + 1)));
}

std::string ExtractFileExt(std::string_view fileName) {
    const Integer last = LastDelimiter(".\\/:", fileName);
    if (last < 0 || fileName[static_cast<size_t>(last)] != '.') return {};
    return std::string(fileName.substr(static_cast<size_t>(last)));
}

std::string ExtractFileDrive(std::string_view fileName) {
    if (fileName.size() >= 2 && fileName[1] == DriveDelim) return std::string(fileName.substr(0, 2));
    if (fileName.size() >= 2 && IsDelimiterChar(fileName[0]) && IsDelimiterChar(fileName[1])) {
        size_t end = 2;
        int parts = 0;
        while (end < fileName.size()) {
            if (IsDelimiterChar(fileName[end]) && ++parts == 2) break;
            ++end;
        }
        return std::string(fileName.substr(0, end));
    }
    return {};
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension) {
    const Integer last = LastDelimiter(".\\/:", fileName);
    const size_t keep =
        last >= 0 && fileName[static_cast<size_t>(last)] == '.' ? static_cast<size_t>(last) : fileName.size();
    std::string result(fileName.substr(0, keep));
    result += extension;
    return result;
}

std::string ExpandFileName(std::string_view fileName) {
    std::string name;
    if (fileName.empty() || !ToCString(fileName, name)) return std::string(fileName);
    std::string buffer(win32::MAX_PATH, '\0');
    for (;;) {
        const win32::DWORD length = win32::GetFullPathName(
            name.c_str(), static_cast<win32::DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return name;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(length, '\0');
    }
}

std::string ExtractRelativePath(std::string_view baseName, std::string_view destName) {
    const std::string basePath = ExtractFilePath(baseName), destPath = ExtractFilePath(destName);
    const std::string baseDrive = ExtractFileDrive(basePath), destDrive = ExtractFileDrive(destPath);
    if (!EqualNoCase(baseDrive, destDrive)) return std::string(destName);
    const auto baseFolders = Folders(std::string_view(basePath).substr(baseDrive.size()));
    const auto destFolders = Folders(std::string_view(destPath).substr(destDrive.size()));
    size_t common = 0;
    while (common < baseFolders.size() && common < destFolders.size() &&
           EqualNoCase(baseFolders[common], destFolders[common]))
        ++common;
    std::string result;
    for (size_t i = common; i < baseFolders.size(); ++i)
        result += "..\\";
    for (size_t i = common; i < destFolders.size(); ++i)
        result += destFolders[i] + PathDelim;
    return result + ExtractFileName(destName);
}

bool FileExists(std::string_view fileName) {
    const win32::DWORD attributes = Attributes(fileName);
    return attributes != win32::INVALID_FILE_ATTRIBUTES && !(attributes & win32::FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::string_view directory) {
    const win32::DWORD attributes = Attributes(directory);
    return attributes != win32::INVALID_FILE_ATTRIBUTES && (attributes & win32::FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(std::string_view directory) {
    std::string name;
    return ToCString(directory, name) && win32::CreateDirectory(name.c_str(), nullptr);
}

bool RemoveDir(std::string_view directory) {
    std::string name;
    return ToCString(directory, name) && win32::RemoveDirectory(name.c_str());
}

bool ForceDirectories(std::string_view directory) {
    if (directory.empty()) throw EInOutError("Unable to create directory");
    const std::string full = ExcludeTrailingPathDelimiter(ExpandFileName(directory));
    if (DirectoryExists(full)) return true;
    const std::string parent = ExtractFilePath(full);
    if (parent.empty() || parent == full || full.size() < 3) return DirectoryExists(full);
    return ForceDirectories(parent) && CreateDir(full);
}

bool DeleteFile(std::string_view fileName) {
    std::string name;
    return ToCString(fileName, name) && win32::DeleteFile(name.c_str());
}

bool RenameFile(std::string_view oldName, std::string_view newName) {
    std::string from, to;
    return ToCString(oldName, from) && ToCString(newName, to) && win32::MoveFile(from.c_str(), to.c_str());
}

std::string GetCurrentDir() {
    std::string buffer(win32::MAX_PATH, '\0');
    win32::DWORD length = win32::GetCurrentDirectory(static_cast<win32::DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.assign(length, '\0');
        length = win32::GetCurrentDirectory(static_cast<win32::DWORD>(buffer.size()), buffer.data());
    }
    buffer.resize(length < buffer.size() ? length : 0);
    return buffer;
}

bool SetCurrentDir(std::string_view directory) {
    std::string name;
    return ToCString(directory, name) && win32::SetCurrentDirectory(name.c_str());
}

std::string FileSearch(std::string_view name, std::string_view directoryList) {
    if (FileExists(name)) return std::string(name);
    size_t start = 0;
    while (start <= directoryList.size()) {
        size_t end = directoryList.find(PathSep, start);
        if (end == std::string_view::npos) end = directoryList.size();
        const std::string_view folder = directoryList.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = IncludeTrailingPathDelimiter(folder);
            candidate += name;
            if (FileExists(candidate)) return candidate;
        }
        start = end + 1;
    }
    return {};
}

namespace {

bool DriveSpace(Byte drive, win32::ULARGE_INTEGER& freeBytes, win32::ULARGE_INTEGER& totalBytes) {
    if (drive > 26) return false;
    std::string root;
    if (drive == 0) {
        const std::string current = GetCurrentDir();
        if (current.size() < 2) return false;
        root = current.substr(0, 2) + "\\";
    } else {
        root = {static_cast<char>('A' + drive - 1), ':', '\\'};
    }
    return win32::GetDiskFreeSpaceEx(root.c_str(), &freeBytes, &totalBytes, nullptr);
}

}  // namespace

Int64 DiskFree(Byte drive) {
    win32::ULARGE_INTEGER freeBytes{}, totalBytes{};
    return DriveSpace(drive, freeBytes, totalBytes) ? static_cast<Int64>(freeBytes.QuadPart) : -1;
}

Int64 DiskSize(Byte drive) {
    win32::ULARGE_INTEGER freeBytes{}, totalBytes{};
    return DriveSpace(drive, freeBytes, totalBytes) ? static_cast<Int64>(totalBytes.QuadPart) : -1;
}

Integer FileGetAttr(std::string_view fileName) {
    const win32::DWORD attributes = Attributes(fileName);
    return attributes == win32::INVALID_FILE_ATTRIBUTES ? -1 : static_cast<Integer>(attributes);
}

Integer FileSetAttr(std::string_view fileName, Integer attr) {
    std::string name;
    if (!ToCString(fileName, name) ||
        !win32::SetFileAttributes(name.c_str(), static_cast<win32::DWORD>(attr)))
        return static_cast<Integer>(win32::GetLastError());
    return 0;
}

Integer FileAge(std::string_view fileName) {
    std::string name;
    win32::WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!ToCString(fileName, name) ||
        !win32::GetFileAttributesEx(name.c_str(), win32::GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & win32::FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return DosDate(data.ftLastWriteTime);
}

double FileDateToDateTime(Integer fileDate) {
    const auto value = static_cast<uint32_t>(fileDate);
    const auto date = static_cast<Word>(value >> 16), time = static_cast<Word>(value);
    return ComposeDateTime(EncodeDate(static_cast<Word>((date >> 9) + 1980), (date >> 5) & 15, date & 31),
                           EncodeTime(time >> 11, (time >> 5) & 63, static_cast<Word>((time & 31) * 2), 0));
}

Integer DateTimeToFileDate(double dateTime) {
    Word year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDate(dateTime, year, month, day);
    if (year < 1980 || year > 2107) return 0;
    DecodeTime(dateTime, hour, minute, second, msec);
    const uint32_t date =
        (static_cast<uint32_t>(year - 1980) << 9) | (static_cast<uint32_t>(month) << 5) | day;
    const uint32_t time =
        (static_cast<uint32_t>(hour) << 11) | (static_cast<uint32_t>(minute) << 5) | (second / 2u);
    return static_cast<Integer>((date << 16) | time);
}

uintptr_t FileOpen(std::string_view fileName, Integer mode) {
    static constexpr win32::DWORD kAccess[] = {kGenericRead, kGenericWrite, kGenericRead | kGenericWrite};
    std::string name;
    if ((mode & 3) == 3 || !ToCString(fileName, name)) return static_cast<uintptr_t>(-1);
    return reinterpret_cast<uintptr_t>(win32::CreateFile(name.c_str(), kAccess[mode & 3],
                                                         win32::FILE_SHARE_READ | win32::FILE_SHARE_WRITE,
                                                         nullptr, win32::OPEN_EXISTING, 0, nullptr));
}

uintptr_t FileCreate(std::string_view fileName) {
    std::string name;
    if (!ToCString(fileName, name)) return static_cast<uintptr_t>(-1);
    return reinterpret_cast<uintptr_t>(win32::CreateFile(name.c_str(), kGenericRead | kGenericWrite, 0,
                                                         nullptr, win32::CREATE_ALWAYS, 0, nullptr));
}

void FileClose(uintptr_t handle) {
    win32::CloseHandle(ToPlatform(handle));
}

Integer FileRead(uintptr_t handle, void* buffer, Integer count) {
    win32::DWORD done = 0;
    if (count < 0 ||
        !win32::ReadFile(ToPlatform(handle), buffer, static_cast<win32::DWORD>(count), &done, nullptr))
        return -1;
    return static_cast<Integer>(done);
}

Integer FileWrite(uintptr_t handle, const void* buffer, Integer count) {
    win32::DWORD done = 0;
    if (count < 0 ||
        !win32::WriteFile(ToPlatform(handle), buffer, static_cast<win32::DWORD>(count), &done, nullptr))
        return -1;
    return static_cast<Integer>(done);
}

Int64 FileSeek(uintptr_t handle, Int64 offset, Integer origin) {
    auto high = static_cast<win32::LONG>(static_cast<uint64_t>(offset) >> 32);
    const win32::DWORD low =
        win32::SetFilePointer(ToPlatform(handle), static_cast<win32::LONG>(offset & 0xFFFFFFFF), &high,
                              static_cast<win32::DWORD>(origin));
    if (low == win32::INVALID_SET_FILE_POINTER && win32::GetLastError() != win32::ERROR_SUCCESS) return -1;
    return static_cast<Int64>((static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | low);
}

Integer FileGetDate(uintptr_t handle) {
    win32::FILETIME written{};
    if (!win32::GetFileTime(ToPlatform(handle), nullptr, nullptr, &written)) return -1;
    return DosDate(written);
}

Integer FileSetDate(uintptr_t handle, Integer age) {
    win32::FILETIME utc{};
    if (!FileTimeOfDosDate(age, utc)) return static_cast<Integer>(win32::ERROR_INVALID_PARAMETER);
    if (!win32::SetFileTime(ToPlatform(handle), nullptr, nullptr, &utc))
        return static_cast<Integer>(win32::GetLastError());
    return 0;
}

Integer FileSetDate(std::string_view fileName, Integer age) {
    std::string name;
    if (!ToCString(fileName, name)) return static_cast<Integer>(win32::ERROR_INVALID_NAME);
    win32::HANDLE handle =
        win32::CreateFile(name.c_str(), kGenericWrite, 0, nullptr, win32::OPEN_EXISTING, 0, nullptr);
    if (handle == win32::INVALID_HANDLE_VALUE) return static_cast<Integer>(win32::GetLastError());
    const Integer result = FileSetDate(reinterpret_cast<uintptr_t>(handle), age);
    win32::CloseHandle(handle);
    return result;
}

namespace {

static_assert(sizeof(TWin32FindData) == sizeof(win32::WIN32_FIND_DATA));

// Skips entries with excluded attributes and fills the record from the current one.
Integer MatchingFile(TSearchRec& searchRec, win32::WIN32_FIND_DATA& data) {
    auto handle = static_cast<win32::HANDLE>(searchRec.FindHandle);
    while (data.dwFileAttributes & static_cast<win32::DWORD>(searchRec.ExcludeAttr)) {
        if (!win32::FindNextFile(handle, &data)) return static_cast<Integer>(win32::GetLastError());
    }
    std::memcpy(&searchRec.FindData, &data, sizeof data);
    const Integer time = DosDate(data.ftLastWriteTime);
    searchRec.Time = time < 0 ? 0 : time;
    searchRec.Size =
        static_cast<Int64>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    searchRec.Attr = static_cast<Integer>(data.dwFileAttributes);
    searchRec.Name = data.cFileName;
    return 0;
}

}  // namespace

Integer FindFirst(std::string_view path, Integer attr, TSearchRec& searchRec) {
    searchRec.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
    searchRec.FindHandle = nullptr;
    std::string name;
    if (!ToCString(path, name)) return static_cast<Integer>(win32::ERROR_INVALID_NAME);
    win32::WIN32_FIND_DATA data{};
    win32::HANDLE handle = win32::FindFirstFile(name.c_str(), &data);
    if (handle == win32::INVALID_HANDLE_VALUE) return static_cast<Integer>(win32::GetLastError());
    searchRec.FindHandle = handle;
    const Integer result = MatchingFile(searchRec, data);
    if (result != 0) FindClose(searchRec);
    return result;
}

Integer FindNext(TSearchRec& searchRec) {
    win32::WIN32_FIND_DATA data{};
    if (!win32::FindNextFile(static_cast<win32::HANDLE>(searchRec.FindHandle), &data))
        return static_cast<Integer>(win32::GetLastError());
    return MatchingFile(searchRec, data);
}

void FindClose(TSearchRec& searchRec) {
    if (searchRec.FindHandle) win32::FindClose(static_cast<win32::HANDLE>(searchRec.FindHandle));
    searchRec.FindHandle = nullptr;
}

}  // namespace vcl
