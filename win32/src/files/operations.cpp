// Moving, copying, deleting, folders, special folders and the program's own name.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "files/files_internal.h"

namespace win32 {

using namespace files;

namespace files {

namespace {

std::string ParentFolder(const std::string& native) {
    const size_t slash = native.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : native.substr(0, slash);
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Renames without replacing: the kernel refuses atomically where the file system supports it.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (Exists(to)) return EEXIST;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

DWORD CopyFileContents(const std::string& from, const std::string& to, bool failIfExists) {
    struct stat source {
    }, target{};
    if (stat(from.c_str(), &source) != 0) return ErrorFromErrno(errno);
    if (!S_ISREG(source.st_mode)) return ERROR_ACCESS_DENIED;
    if (stat(to.c_str(), &target) == 0) {
        if (failIfExists) return ERROR_FILE_EXISTS;
        if (source.st_dev == target.st_dev && source.st_ino == target.st_ino) return ERROR_SHARING_VIOLATION;
        if (S_ISDIR(target.st_mode) || !(target.st_mode & S_IWUSR)) return ERROR_ACCESS_DENIED;
    }
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return ErrorFromErrno(errno);
    // The copy is written beside the target and renamed into place, so a failure halfway leaves an
    // existing target as it was.
    std::string temporary = ParentFolder(to) + "/.zylcopy-XXXXXX";
    const int out = mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        const DWORD error = ErrorFromErrno(errno);
        close(in);
        return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;
    }
    DWORD error = ERROR_SUCCESS;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 || (got > 0 && !WriteAll(out, buffer.data(), static_cast<size_t>(got)))) {
            error = ErrorFromErrno(errno);
            break;
        }
        if (got == 0) break;
    }
    if (error == ERROR_SUCCESS) {
        const timespec times[2] = {source.st_atim, source.st_mtim};
        if (fchmod(out, source.st_mode & 07777) != 0 || futimens(out, times) != 0)
            error = ErrorFromErrno(errno);
    }
    close(in);
    if (close(out) != 0 && error == ERROR_SUCCESS) error = ErrorFromErrno(errno);
    if (error == ERROR_SUCCESS) {
        const int failure = failIfExists ? RenameNoReplace(temporary, to)
                                         : (rename(temporary.c_str(), to.c_str()) == 0 ? 0 : errno);
        if (failure) error = failure == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(failure);
    }
    if (error != ERROR_SUCCESS) unlink(temporary.c_str());
    return error;
}

DWORD MissingError(const Resolved& resolved) {
    return resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

}  // namespace files

BOOL MoveFile(const char* lpExistingFileName, const char* lpNewFileName) {
    return MoveFileEx(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileEx(const char* lpExistingFileName, const char* lpNewFileName, DWORD dwFlags) {
    if ((dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT) || !lpNewFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Resolved source, target;
    if (!ResolveOrFail(lpExistingFileName, source) || !ResolveOrFail(lpNewFileName, target)) return FALSE;
    struct stat sourceInfo {};
    if (!source.exists || lstat(source.native.c_str(), &sourceInfo) != 0) {
        SetLastError(MissingError(source));
        return FALSE;
    }
    if (source.name.components.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!target.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string destination = target.native;
    const bool replace = dwFlags & MOVEFILE_REPLACE_EXISTING;
    if (target.exists) {
        struct stat targetInfo {};
        lstat(target.native.c_str(), &targetInfo);
        if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
            // The same entry under another letter case: rename it to the spelling asked for.
            WindowsName asked;
            DWORD error = ERROR_SUCCESS;
            ParseWindowsPath(lpNewFileName, asked, error);
            destination = files::ParentFolder(target.native) + "/" + asked.components.back();
            if (destination == source.native) return TRUE;
            if (rename(source.native.c_str(), destination.c_str()) != 0) {
                SetLastError(ErrorFromErrno(errno));
                return FALSE;
            }
            return TRUE;
        }
        if (!replace) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(targetInfo.st_mode) || S_ISDIR(sourceInfo.st_mode) || !(targetInfo.st_mode & S_IWUSR)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    const int failure = replace ? (rename(source.native.c_str(), destination.c_str()) == 0 ? 0 : errno)
                                : files::RenameNoReplace(source.native, destination);
    if (failure == 0) return TRUE;
    if (failure == EEXIST) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (failure != EXDEV) {
        SetLastError(ErrorFromErrno(failure));
        return FALSE;
    }
    if (!(dwFlags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(sourceInfo.st_mode)) {
        SetLastError(ERROR_NOT_SAME_DEVICE);
        return FALSE;
    }
    if (DWORD error = CopyFileContents(source.native, destination, !replace); error != ERROR_SUCCESS) {
        SetLastError(error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error);
        return FALSE;
    }
    if (unlink(source.native.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CopyFile(const char* lpExistingFileName, const char* lpNewFileName, BOOL bFailIfExists) {
    Resolved source, target;
    if (!ResolveOrFail(lpExistingFileName, source) || !ResolveOrFail(lpNewFileName, target)) return FALSE;
    if (!source.exists) {
        SetLastError(MissingError(source));
        return FALSE;
    }
    if (!target.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (DWORD error = CopyFileContents(source.native, target.native, bFailIfExists); error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFile(const char* lpFileName) {
    Resolved resolved;
    if (!ResolveOrFail(lpFileName, resolved)) return FALSE;
    struct stat info {};
    if (!resolved.exists || lstat(resolved.native.c_str(), &info) != 0) {
        SetLastError(MissingError(resolved));
        return FALSE;
    }
    if (S_ISDIR(info.st_mode) || (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(resolved.native.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectory(const char* lpPathName, void* /*lpSecurityAttributes*/) {
    Resolved resolved;
    if (!ResolveOrFail(lpPathName, resolved)) return FALSE;
    if (resolved.exists) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (!resolved.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(resolved.native.c_str(), 0777) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectory(const char* lpPathName) {
    Resolved resolved;
    if (!ResolveOrFail(lpPathName, resolved)) return FALSE;
    struct stat info {};
    if (!resolved.exists || lstat(resolved.native.c_str(), &info) != 0) {
        SetLastError(MissingError(resolved));
        return FALSE;
    }
    if (!S_ISDIR(info.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (resolved.name.components.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (rmdir(resolved.native.c_str()) != 0) {
        SetLastError(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

UINT SetErrorMode(UINT uMode) {
    static std::atomic<UINT> mode{0};
    return mode.exchange(uMode);
}

namespace {

UINT CopyDrivePath(const std::string& native, char* buffer, UINT size, bool trailingDelimiter) {
    std::string windows = WindowsPath(native);
    if (windows.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (trailingDelimiter && windows.back() != '\\') windows += '\\';
    return CopyOut(windows, buffer, size);
}

}  // namespace

UINT GetWindowsDirectory(char* lpBuffer, UINT uSize) {
    return CopyDrivePath(PlatformWindowsDirectory(), lpBuffer, uSize, false);
}

UINT GetSystemDirectory(char* lpBuffer, UINT uSize) {
    return CopyDrivePath(PlatformWindowsDirectory() + "/system32", lpBuffer, uSize, false);
}

DWORD GetTempPath(DWORD nBufferLength, char* lpBuffer) {
    const char* tmp = std::getenv("TMPDIR");
    return CopyDrivePath(tmp && *tmp == '/' ? tmp : "/tmp", lpBuffer, nBufferLength, true);
}

UINT GetTempFileName(const char* lpPathName, const char* lpPrefixString, UINT uUnique, char* lpTempFileName) {
    if (!lpPathName || !lpTempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Resolved folder;
    if (!ResolveOrFail(lpPathName, folder)) return 0;
    if (!folder.exists || !IsDirectory(folder.native)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    const std::string prefix = std::string(lpPrefixString ? lpPrefixString : "").substr(0, 3);
    for (char c : prefix) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) {
            SetLastError(ERROR_INVALID_NAME);
            return 0;
        }
    }
    static std::atomic<UINT> counter{static_cast<UINT>(getpid())};
    auto nameFor = [&](UINT number, std::string& windows, std::string& native) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%X", number & 0xFFFF);
        const std::string file = prefix + digits + ".TMP";
        windows = folder.name.Text();
        if (windows.back() != '\\') windows += '\\';
        windows += file;
        native = folder.native == "/" ? "/" + file : folder.native + "/" + file;
    };
    std::string windows, native;
    if (uUnique != 0) {
        nameFor(uUnique, windows, native);
        if (windows.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        CopyOut(windows, lpTempFileName, MAX_PATH);
        return uUnique & 0xFFFF;
    }
    for (UINT attempt = 0; attempt < 0xFFFF; ++attempt) {
        UINT number = counter.fetch_add(1) & 0xFFFF;
        if (number == 0) continue;
        nameFor(number, windows, native);
        if (windows.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        const int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            CopyOut(windows, lpTempFileName, MAX_PATH);
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(ErrorFromErrno(errno));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD GetModuleFileName(HMODULE hModule, char* lpFilename, DWORD nSize) {
    if (hModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::error_code error;
    const std::string windows = WindowsPath(std::filesystem::read_symlink("/proc/self/exe", error).string());
    if (error || windows.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (windows.size() >= nSize) {
        std::memcpy(lpFilename, windows.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    return CopyOut(windows, lpFilename, nSize);
}

std::string ModuleFileNameOf(const void* address) {
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) return {};
    std::string file = info.dli_fname;
    std::error_code error;
    if (file.find('/') == std::string::npos || file == program_invocation_name)
        file = std::filesystem::read_symlink("/proc/self/exe", error).string();
    const auto canonical = std::filesystem::weakly_canonical(file, error);
    return WindowsPath(error ? file : canonical.string());
}

}  // namespace win32
