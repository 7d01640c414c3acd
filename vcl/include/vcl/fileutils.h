// File names, searching and file facts of the run-time library.
//
// Names are Windows paths: the framework's delimiter is `\` (PathDelim) and the drive delimiter `:`
// (DriveDelim); `/` is accepted wherever a delimiter is looked for, as the platform accepts it.
// Positions are 0-based; "not found" is -1. Every call that touches the disk goes through the
// platform's drive map and case-insensitive resolution (win32/files.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vcl/system.h"

namespace vcl {

inline constexpr char PathDelim = '\\';
inline constexpr char DriveDelim = ':';
inline constexpr char PathSep = ';';

inline constexpr Integer faReadOnly = 0x01;
inline constexpr Integer faHidden = 0x02;
inline constexpr Integer faSysFile = 0x04;
inline constexpr Integer faVolumeID = 0x08;
inline constexpr Integer faDirectory = 0x10;
inline constexpr Integer faArchive = 0x20;
inline constexpr Integer faAnyFile = 0x3F;

// ---------------------------------------------------------------------------------------------
// Names

// The index of the last character of `s` that is one of `delimiters`, or -1.
Integer LastDelimiter(std::string_view delimiters, std::string_view s);
bool IsPathDelimiter(std::string_view s, Integer index);
std::string IncludeTrailingPathDelimiter(std::string_view s);
std::string IncludeTrailingBackslash(std::string_view s);
std::string ExcludeTrailingPathDelimiter(std::string_view s);
std::string ExcludeTrailingBackslash(std::string_view s);

// "C:\dir\name.ext": path "C:\dir\", dir "C:\dir", name "name.ext", extension ".ext", drive "C:".
// The folder of a file in a root keeps its delimiter: ExtractFileDir("C:\x") is "C:\".
std::string ExtractFilePath(std::string_view fileName);
std::string ExtractFileDir(std::string_view fileName);
std::string ExtractFileName(std::string_view fileName);
std::string ExtractFileExt(std::string_view fileName);
// "C:" for drive names, "\\server\share" for network names, else empty.
std::string ExtractFileDrive(std::string_view fileName);
// `extension` includes its dot; an empty one removes the extension.
std::string ChangeFileExt(std::string_view fileName, std::string_view extension);
// The full path against the current directories; the name unchanged when the platform refuses it.
std::string ExpandFileName(std::string_view fileName);
// `destName` relative to the folder of `baseName` ("..\" steps, names compared without case); both
// must be full names. A name on another drive comes back unchanged.
std::string ExtractRelativePath(std::string_view baseName, std::string_view destName);

// ---------------------------------------------------------------------------------------------
// Files and folders

bool FileExists(std::string_view fileName);
bool DirectoryExists(std::string_view directory);
// Creates every missing folder of the path. Raises EInOutError "Unable to create directory" for an
// empty name; false when a folder cannot be made.
bool ForceDirectories(std::string_view directory);
bool CreateDir(std::string_view directory);
bool RemoveDir(std::string_view directory);
bool DeleteFile(std::string_view fileName);
// Never replaces an existing file.
bool RenameFile(std::string_view oldName, std::string_view newName);
std::string GetCurrentDir();
bool SetCurrentDir(std::string_view directory);

// The first of `name` itself and `name` inside each folder of the `;`-separated list that exists;
// empty when none does.
std::string FileSearch(std::string_view name, std::string_view directoryList);
// Drive 0 is the current drive, 1 is A:, 2 is B:, ...; -1 for a drive that is missing or not ready.
Int64 DiskFree(Byte drive);
Int64 DiskSize(Byte drive);

// The attribute bits (fa...) or -1.
Integer FileGetAttr(std::string_view fileName);
// 0 or the platform's error code.
Integer FileSetAttr(std::string_view fileName, Integer attr);

// ---------------------------------------------------------------------------------------------
// File dates: local time as the DOS date in the high word and the DOS time in the low word.

// -1 for a missing file or a folder.
Integer FileAge(std::string_view fileName);
// Raises EConvertError for a value that is not a valid date and time.
double FileDateToDateTime(Integer fileDate);
// 0 for a time outside 1980..2107.
Integer DateTimeToFileDate(double dateTime);

// Handles of the run-time library's file calls are platform file handles as integers (the THandle
// of vcl/threads.h); uintptr_t(-1) is "no handle".

// `mode` takes the fmOpen... values of vcl/streams.h (read 0, write 1, read-write 2).
uintptr_t FileOpen(std::string_view fileName, Integer mode);
// Creates or truncates.
uintptr_t FileCreate(std::string_view fileName);
void FileClose(uintptr_t handle);
// The number of bytes moved, or -1.
Integer FileRead(uintptr_t handle, void* buffer, Integer count);
Integer FileWrite(uintptr_t handle, const void* buffer, Integer count);
// Origin 0 = start, 1 = current, 2 = end; the new position or -1.
Int64 FileSeek(uintptr_t handle, Int64 offset, Integer origin);
// -1 on failure.
Integer FileGetDate(uintptr_t handle);
// 0 or the platform's error code.
Integer FileSetDate(uintptr_t handle, Integer age);
Integer FileSetDate(std::string_view fileName, Integer age);

// ---------------------------------------------------------------------------------------------
// Searching

struct TFileTime {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
};

// The platform's WIN32_FIND_DATA, field by field.
struct TWin32FindData {
    uint32_t dwFileAttributes;
    TFileTime ftCreationTime;
    TFileTime ftLastAccessTime;
    TFileTime ftLastWriteTime;
    uint32_t nFileSizeHigh;
    uint32_t nFileSizeLow;
    uint32_t dwReserved0;
    uint32_t dwReserved1;
    char cFileName[260];
    char cAlternateFileName[14];
};

struct TSearchRec {
    Integer Time = 0;  // as FileAge
    Int64 Size = 0;
    Integer Attr = 0;
    std::string Name;
    Integer ExcludeAttr = 0;
    void* FindHandle = nullptr;
    TWin32FindData FindData{};
};

// Normal files always match; folders, hidden, system files and volume ids only when `attr` asks for
// them. Returns 0, or the platform's error code (ERROR_FILE_NOT_FOUND 2, ERROR_NO_MORE_FILES 18,
// ERROR_PATH_NOT_FOUND 3, ...). FindClose releases the search and may be called again.
Integer FindFirst(std::string_view path, Integer attr, TSearchRec& searchRec);
Integer FindNext(TSearchRec& searchRec);
void FindClose(TSearchRec& searchRec);

}  // namespace vcl
