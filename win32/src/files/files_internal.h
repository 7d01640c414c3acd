// Shared between the files, shell and version units: path resolution, drive facts, conversions.
#pragma once

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win32/files.h"

namespace win32::files {

// A Windows path taken apart: the drive letter (upper case) and its components below the root.
struct WindowsName {
    char drive = 'C';
    std::vector<std::string> components;

    std::string Text() const;  // "X:\a\b" ("X:\" for the root)
};

struct DriveFacts {
    std::string folder;
    UINT type = DRIVE_FIXED;
    std::string label;
    DWORD serial = 0;
    bool hasMedium = true;
};

// Splits and normalizes a path against the current directories. `allowWildcards` lets `*` and `?`
// stand in the last component. False with the Win32 error on refusal.
bool ParseWindowsPath(std::string_view path, WindowsName& name, DWORD& error, bool allowWildcards = false);

// The drive's facts; false with ERROR_PATH_NOT_FOUND (unmapped) or ERROR_NOT_READY (no medium).
bool DriveOf(char drive, DriveFacts& facts, DWORD& error);

// A resolved path: the native path, and the Windows name with the real spelling of every existing
// component. `exists` tells whether the whole path exists; `parentExists` whether all but the last do.
struct Resolved {
    std::string native;
    WindowsName name;
    bool exists = false;
    bool parentExists = false;
};
bool Resolve(std::string_view path, Resolved& resolved, DWORD& error, bool allowWildcards = false);
// Resolve, setting the last error on failure.
bool ResolveOrFail(const char* path, Resolved& resolved);

// The error for a failed system call on `native`: ENOENT becomes PATH_NOT_FOUND when the parent is
// missing too.
DWORD ErrorFromErrno(int error);

// Attributes of a stat result for an entry called `name`.
DWORD AttributesOf(const struct stat& info, std::string_view name);
FILETIME FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(const FILETIME& time);
ULONGLONG FileTimeValue(const FILETIME& time);
FILETIME MakeFileTime(ULONGLONG value);

// Values for search and file handles, never reused while the process runs.
UINT_PTR NextHandleValue();
// Copies a regular file through a temporary beside the target; returns the Win32 error.
DWORD CopyFileContents(const std::string& from, const std::string& to, bool failIfExists);
DWORD MissingError(const Resolved& resolved);

// Copies `text` with a NUL into a caller's buffer under the Win32 size convention.
DWORD CopyOut(const std::string& text, char* buffer, DWORD size);

bool IsDirectory(const std::string& native);
bool Exists(const std::string& native);

// The drive letter named by a root ("X:\", "X:" or "X:/", nullptr for the current drive); 0 when
// the text is not a root.
char RootDrive(const char* root);
bool DriveFactsAnyMedium(char drive, DriveFacts& facts);
void SetDriveLabel(char drive, const std::string& label);
// The removable and CD-ROM drives, with or without their medium.
std::vector<std::pair<char, DriveFacts>> MediaDrives();
// A medium arrived in (or left) a removable or CD-ROM drive.
void SetDriveMedium(char drive, bool present);

// Folds ASCII letters for comparing names.
inline unsigned char FoldCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}
bool EqualNoCase(std::string_view a, std::string_view b);
// The 8.3 alias of a long name, empty when the name is a valid 8.3 name already.
std::string ShortAlias(std::string_view name);

}  // namespace win32::files
