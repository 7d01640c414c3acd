// File handles: a table of open descriptors behind HANDLE values.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "files/files_internal.h"
#include "kernel/sync_internal.h"

namespace win32 {

using namespace files;

namespace {

constexpr DWORD kGenericRead = 0x80000000;
constexpr DWORD kGenericWrite = 0x40000000;

struct OpenFile {
    int fd = -1;
};

struct FileTable {
    std::mutex mutex;
    std::map<UINT_PTR, OpenFile> files;
};

FileTable& Files() {
    static FileTable* table = [] {
        auto* created = new FileTable;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            for (auto& entry : created->files)
                close(entry.second.fd);
            created->files.clear();
        });
        return created;
    }();
    return *table;
}

// The descriptor behind a handle, or -1 with ERROR_INVALID_HANDLE.
int Descriptor(HANDLE handle) {
    auto& table = Files();
    std::lock_guard lock(table.mutex);
    auto found = table.files.find(HandleValue(handle));
    if (found == table.files.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    return found->second.fd;
}

}  // namespace

HANDLE CreateFile(const char* lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                  void* /*lpSecurityAttributes*/, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                  HANDLE /*hTemplateFile*/) {
    Resolved resolved;
    if (!ResolveOrFail(lpFileName, resolved)) return INVALID_HANDLE_VALUE;
    const bool reading = dwDesiredAccess & kGenericRead, writing = dwDesiredAccess & kGenericWrite;
    int flags = O_CLOEXEC | (writing ? (reading ? O_RDWR : O_WRONLY) : O_RDONLY);
    switch (dwCreationDisposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            if (!writing) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            flags |= O_TRUNC;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    struct stat info {};
    const bool existed = resolved.exists && stat(resolved.native.c_str(), &info) == 0;
    if (existed) {
        if (dwCreationDisposition == CREATE_NEW) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        // Permissions are checked here as well, since a privileged process would pass them.
        const bool changes =
            writing || dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
        if (S_ISDIR(info.st_mode) || (changes && !(info.st_mode & S_IWUSR))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    } else if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
        SetLastError(MissingError(resolved));
        return INVALID_HANDLE_VALUE;
    } else if (!resolved.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    const int fd = open(resolved.native.c_str(), flags, mode);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    const UINT_PTR value = NextHandleValue();
    {
        auto& table = Files();
        std::lock_guard lock(table.mutex);
        table.files[value].fd = fd;
    }
    const bool reportsExisting =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(existed && reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return MakeHandle<HANDLE>(value);
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, DWORD* lpNumberOfBytesRead,
              void* lpOverlapped) {
    const int fd = Descriptor(hFile);
    if (fd < 0) return FALSE;
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* out = static_cast<char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        const ssize_t got = read(fd, out + total, nNumberOfBytesToRead - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
            SetLastError(ErrorFromErrno(errno));
            return FALSE;
        }
        if (got == 0) break;
        total += static_cast<DWORD>(got);
    }
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite, DWORD* lpNumberOfBytesWritten,
               void* lpOverlapped) {
    const int fd = Descriptor(hFile);
    if (fd < 0) return FALSE;
    if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* in = static_cast<const char*>(lpBuffer);
    DWORD total = 0;
    while (total < nNumberOfBytesToWrite) {
        const ssize_t written = write(fd, in + total, nNumberOfBytesToWrite - total);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
            SetLastError(written < 0 ? ErrorFromErrno(errno) : ERROR_DISK_FULL);
            return FALSE;
        }
        total += static_cast<DWORD>(written);
    }
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
    return TRUE;
}

DWORD GetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh) {
    const int fd = Descriptor(hFile);
    struct stat info {};
    if (fd < 0) return INVALID_FILE_SIZE;
    if (fstat(fd, &info) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    const int fd = Descriptor(hFile);
    if (fd < 0) return INVALID_SET_FILE_POINTER;
    int64_t distance = lDistanceToMove;
    if (lpDistanceToMoveHigh)
        distance =
            static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                 static_cast<uint32_t>(lDistanceToMove));
    int whence = SEEK_SET;
    switch (dwMoveMethod) {
        case FILE_BEGIN:
            whence = SEEK_SET;
            break;
        case FILE_CURRENT:
            whence = SEEK_CUR;
            break;
        case FILE_END:
            whence = SEEK_END;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_SET_FILE_POINTER;
    }
    const off_t base = whence == SEEK_SET ? 0 : lseek(fd, 0, whence);
    if (base < 0 || (distance < 0 && base + distance < 0)) {
        SetLastError(base < 0 ? ErrorFromErrno(errno) : ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    const off_t position = lseek(fd, base + distance, SEEK_SET);
    if (position < 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    // A position whose low part is 0xFFFFFFFF is told apart by the cleared error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

BOOL SetEndOfFile(HANDLE hFile) {
    const int fd = Descriptor(hFile);
    if (fd < 0) return FALSE;
    const off_t position = lseek(fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(fd, position) != 0) {
        SetLastError(errno == EBADF || errno == EINVAL ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile) {
    const int fd = Descriptor(hFile);
    if (fd < 0) return FALSE;
    if (fsync(fd) != 0 && errno != EINVAL) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileTime(HANDLE hFile, FILETIME* lpCreationTime, FILETIME* lpLastAccessTime,
                 FILETIME* lpLastWriteTime) {
    const int fd = Descriptor(hFile);
    struct stat info {};
    if (fd < 0) return FALSE;
    if (fstat(fd, &info) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    if (lpCreationTime) *lpCreationTime = FileTimeFromTimespec(info.st_mtim);
    if (lpLastAccessTime) *lpLastAccessTime = FileTimeFromTimespec(info.st_atim);
    if (lpLastWriteTime) *lpLastWriteTime = FileTimeFromTimespec(info.st_mtim);
    return TRUE;
}

BOOL SetFileTime(HANDLE hFile, const FILETIME* /*lpCreationTime*/, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime) {
    const int fd = Descriptor(hFile);
    if (fd < 0) return FALSE;
    timespec times[2];
    times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
    times[0].tv_sec = times[1].tv_sec = 0;
    if (lpLastAccessTime) times[0] = TimespecFromFileTime(*lpLastAccessTime);
    if (lpLastWriteTime) times[1] = TimespecFromFileTime(*lpLastWriteTime);
    if (futimens(fd, times) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
    auto& table = Files();
    std::lock_guard lock(table.mutex);
    auto found = table.files.find(HandleValue(hObject));
    if (found == table.files.end()) {
        if (kernel::CloseWaitable(hObject) || kernel::CloseToken(hObject)) return TRUE;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(found->second.fd);
    table.files.erase(found);
    return TRUE;
}

}  // namespace win32
