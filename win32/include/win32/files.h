// Files and drives of the platform layer: drive letters mapped to folders, Windows paths resolved
// against the real file system, searching with wildcards, attributes, times and file handles.
//
// Path rules (every call taking a path follows them):
// - `\` and `/` both separate components; a path is `X:\...` (absolute), `\...` (root of the current
//   drive), `X:name` (relative to drive X's current directory) or relative to the current directory.
// - Each component is looked up without regard to ASCII letter case; an exact match wins over a
//   case-insensitive one, several case-insensitive matches resolve to the first in byte order. Results
//   keep the case found on disk. Components that do not exist yet keep the case as written.
// - Refused with ERROR_INVALID_NAME: control characters (0x01..0x1F, and NUL inside a std::string),
//   any of < > " | and `:` other than the drive delimiter, `*` and `?` outside the last component of a
//   search pattern, UNC names (`\\server\share`) and `..` climbing above a drive's root.
// - `.` components are dropped and `..` removes the previous component. Trailing dots and spaces
//   are kept (Windows strips them); device names such as NUL or CON are ordinary names.
// - A drive letter that is not mapped gives ERROR_PATH_NOT_FOUND; a removable drive without its
//   medium ERROR_NOT_READY.
//
// Strings are UTF-8; buffers follow the Win32 convention: a call that fits returns the length without
// the terminating NUL, one that does not returns the size needed including it.
#pragma once

#include <string>
#include <string_view>

// ERROR_INVALID_DATA (13), which file and version calls report too, is declared by the graphics header.
#include "win32/kernel.h"
#include "win32/types.h"

namespace win32 {

inline constexpr DWORD MAX_PATH = 260;

// ---------------------------------------------------------------------------------------------
// Drives

inline constexpr UINT DRIVE_UNKNOWN = 0;
inline constexpr UINT DRIVE_NO_ROOT_DIR = 1;
inline constexpr UINT DRIVE_REMOVABLE = 2;
inline constexpr UINT DRIVE_FIXED = 3;
inline constexpr UINT DRIVE_REMOTE = 4;
inline constexpr UINT DRIVE_CDROM = 5;
inline constexpr UINT DRIVE_RAMDISK = 6;

inline constexpr DWORD FILE_CASE_SENSITIVE_SEARCH = 0x00000001;
inline constexpr DWORD FILE_CASE_PRESERVED_NAMES = 0x00000002;
inline constexpr DWORD FILE_UNICODE_ON_DISK = 0x00000004;
inline constexpr DWORD FILE_READ_ONLY_VOLUME = 0x00080000;

union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};

// Bit 0 is A:.
DWORD GetLogicalDrives();
// "C:\<NUL>D:\<NUL><NUL>".
DWORD GetLogicalDriveStrings(DWORD nBufferLength, char* lpBuffer);
// A root such as "D:\" (or "D:"); nullptr means the current drive.
UINT GetDriveType(const char* lpRootPathName);
// The file system name is the one the folder's mount reports ("ext4", "tmpfs", ...).
BOOL GetVolumeInformation(const char* lpRootPathName, char* lpVolumeNameBuffer, DWORD nVolumeNameSize,
                          DWORD* lpVolumeSerialNumber, DWORD* lpMaximumComponentLength,
                          DWORD* lpFileSystemFlags, char* lpFileSystemNameBuffer, DWORD nFileSystemNameSize);
// Labels are at most 32 bytes, without reserved characters; a CD-ROM drive refuses with
// ERROR_WRITE_PROTECT. Labels live in the drive map, not on the medium.
BOOL SetVolumeLabel(const char* lpRootPathName, const char* lpVolumeName);
// 512-byte sectors; counts that do not fit 32 bits are clamped as Win32 does for large volumes.
BOOL GetDiskFreeSpace(const char* lpRootPathName, DWORD* lpSectorsPerCluster, DWORD* lpBytesPerSector,
                      DWORD* lpNumberOfFreeClusters, DWORD* lpTotalNumberOfClusters);
// Any folder of the drive may be named.
BOOL GetDiskFreeSpaceEx(const char* lpDirectoryName, ULARGE_INTEGER* lpFreeBytesAvailableToCaller,
                        ULARGE_INTEGER* lpTotalNumberOfBytes, ULARGE_INTEGER* lpTotalNumberOfFreeBytes);

// The real path behind a Windows path (resolved as described above); empty with the last error set
// when the path is refused or its drive is missing.
std::string NativePath(const std::string& windowsPath);
// The drive path for a real path: the mapped drive with the longest folder prefix wins. Relative
// paths are taken from the process's working directory. Empty when no drive covers the path.
std::string WindowsPath(const std::string& nativePath);
// The full Windows form of a path ("X:\a\b", no resolution against the disk); empty with
// ERROR_INVALID_NAME when refused.
std::string FullWindowsPath(const std::string& path);

// Windows wildcard matching, without regard to ASCII case: `*` matches any run of characters, `?`
// one character but never a dot, and zero characters at a dot or at the end of the name; a `.` in
// the pattern also matches the end of the name when only `.`, `?` and `*` follow it, so "*.*" matches
// every name, "abc." matches "abc" and "a.??" matches "a". No 8.3 alias matching.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// ---------------------------------------------------------------------------------------------
// Attributes and times

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
// Found entries that are symbolic links carry it (searches only).
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
};

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

// Attributes on Linux: DIRECTORY for folders, ARCHIVE for regular files, SYSTEM for devices, pipes
// and sockets, READONLY when the owner may not write, HIDDEN for names starting with a dot. Creation
// time is the last write time (the file systems do not all keep a birth time).
DWORD GetFileAttributes(const char* lpFileName);
// READONLY clears every write permission, its absence restores the owner's; folders are left alone
// (Windows does not honour READONLY on them). HIDDEN, SYSTEM, ARCHIVE,
// NORMAL and TEMPORARY are accepted and ignored: hiding would need a rename.
BOOL SetFileAttributes(const char* lpFileName, DWORD dwFileAttributes);
BOOL GetFileAttributesEx(const char* lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                         void* lpFileInformation);

// Local file times are UTC shifted by the platform's present UTC offset (the manual clock's under test).
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);
// Years 1980..2107, two-second resolution.
BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, WORD* lpFatDate, WORD* lpFatTime);
BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, FILETIME* lpFileTime);
LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);

// ---------------------------------------------------------------------------------------------
// Searching

// Non-root folders list "." and ".." first; the other entries come in byte order of their names
// without regard to case. cAlternateFileName is empty when the name is already a valid 8.3 name,
// else a simplified alias (six letters, "~1", three of the extension; no collision numbering).
HANDLE FindFirstFile(const char* lpFileName, WIN32_FIND_DATA* lpFindFileData);
BOOL FindNextFile(HANDLE hFindFile, WIN32_FIND_DATA* lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

// ---------------------------------------------------------------------------------------------
// Folders and names

// One current directory per drive plus the current drive, kept by the platform (the process's
// working directory is not changed). It starts at the working directory's drive path.
DWORD GetCurrentDirectory(DWORD nBufferLength, char* lpBuffer);
BOOL SetCurrentDirectory(const char* lpPathName);
UINT GetWindowsDirectory(char* lpBuffer, UINT uSize);
// The "system32" folder inside the Windows directory (not created).
UINT GetSystemDirectory(char* lpBuffer, UINT uSize);
// TMPDIR, else /tmp, as a drive path with a trailing backslash.
DWORD GetTempPath(DWORD nBufferLength, char* lpBuffer);
// With uUnique 0 creates an empty file with a fresh number and returns the number.
UINT GetTempFileName(const char* lpPathName, const char* lpPrefixString, UINT uUnique, char* lpTempFileName);
DWORD GetFullPathName(const char* lpFileName, DWORD nBufferLength, char* lpBuffer, char** lpFilePart);
// Long names are the only names: both return the existing entry's real spelling.
DWORD GetShortPathName(const char* lpszLongPath, char* lpszShortPath, DWORD cchBuffer);
DWORD GetLongPathName(const char* lpszShortPath, char* lpszLongPath, DWORD cchBuffer);
// Only the main program (hModule nullptr): /proc/self/exe as a drive path. Truncates to nSize - 1
// characters with ERROR_INSUFFICIENT_BUFFER as Windows XP does.
DWORD GetModuleFileName(HMODULE hModule, char* lpFilename, DWORD nSize);
// The drive path of the program or shared library that contains `address` (a library's own function
// or variable); empty when the address belongs to no loaded file.
std::string ModuleFileNameOf(const void* address);

inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;
inline constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x00000002;
inline constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x00000004;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008;

// Never replaces an existing target (ERROR_ALREADY_EXISTS); a change of letter case alone renames
// the entry itself. Files move across file systems by copying; folders do not (ERROR_NOT_SAME_DEVICE).
BOOL MoveFile(const char* lpExistingFileName, const char* lpNewFileName);
// MOVEFILE_DELAY_UNTIL_REBOOT is not supported (ERROR_INVALID_PARAMETER).
BOOL MoveFileEx(const char* lpExistingFileName, const char* lpNewFileName, DWORD dwFlags);
// Copies contents, permissions and the last write time.
BOOL CopyFile(const char* lpExistingFileName, const char* lpNewFileName, BOOL bFailIfExists);
// Read-only files and folders are refused with ERROR_ACCESS_DENIED.
BOOL DeleteFile(const char* lpFileName);
BOOL CreateDirectory(const char* lpPathName, void* lpSecurityAttributes);
BOOL RemoveDirectory(const char* lpPathName);

inline constexpr UINT SEM_FAILCRITICALERRORS = 0x0001;
inline constexpr UINT SEM_NOGPFAULTERRORBOX = 0x0002;
inline constexpr UINT SEM_NOALIGNMENTFAULTEXCEPT = 0x0004;
inline constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;
// Kept and returned; no call of this layer ever shows an error box.
UINT SetErrorMode(UINT uMode);

// ---------------------------------------------------------------------------------------------
// File handles

// GENERIC_READ (0x80000000) and GENERIC_WRITE (0x40000000) are declared with the other access
// rights in win32/registry.h.
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD FILE_SHARE_DELETE = 0x00000004;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

// Sharing modes are not enforced. Folders cannot be opened (ERROR_ACCESS_DENIED). A new file made
// with FILE_ATTRIBUTE_READONLY is created without write permissions.
HANDLE CreateFile(const char* lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                  void* lpSecurityAttributes, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                  HANDLE hTemplateFile);
// lpOverlapped must be nullptr (ERROR_INVALID_PARAMETER otherwise).
BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, DWORD* lpNumberOfBytesRead,
              void* lpOverlapped);
BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite, DWORD* lpNumberOfBytesWritten,
               void* lpOverlapped);
DWORD GetFileSize(HANDLE hFile, DWORD* lpFileSizeHigh);
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh, DWORD dwMoveMethod);
BOOL SetEndOfFile(HANDLE hFile);
BOOL FlushFileBuffers(HANDLE hFile);
// The creation time cannot be set and is ignored.
BOOL GetFileTime(HANDLE hFile, FILETIME* lpCreationTime, FILETIME* lpLastAccessTime,
                 FILETIME* lpLastWriteTime);
BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime);
// Closes file handles of this unit; other handles are refused with ERROR_INVALID_HANDLE.
BOOL CloseHandle(HANDLE hObject);

namespace testing {

// Maps a drive letter (A..Z, either case) to a folder; an existing mapping is replaced. A removable
// drive may be mapped without its medium. Raises std::invalid_argument for a letter outside A..Z or a
// type that is not one of the DRIVE_ values 2..6.
void MapDrive(char letter, const std::string& folder, UINT type = DRIVE_FIXED, const std::string& label = {},
              DWORD serial = 0, bool hasMedium = true);
// Unmapping C: returns it to "/".
void UnmapDrive(char letter);

}  // namespace testing

}  // namespace win32
