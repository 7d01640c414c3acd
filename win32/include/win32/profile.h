// Initialization files (kernel32 profile functions) on real files.
//
// Rules: section and key names are compared without case; values are read trimmed of blanks with
// one pair of surrounding quotes (" or ') removed. A file name that is not a full path (neither
// "/..." nor "X:\..." nor "\...") lives in the Windows directory (win32::PlatformWindowsDirectory,
// created on the first write). Every write reads the file, changes it and replaces it atomically
// (a temporary file in the same folder, synced, then renamed), so a file is never half-written;
// between processes the last writer wins. Comments (;) and lines the rules do not know are kept.
// A file that cannot be read is never rewritten.
//
// Refused with ERROR_INVALID_PARAMETER: section names holding ']', key names holding '=' or
// starting with '[' or ';' or empty after trimming, and a line break (CR or LF) in any of section,
// key or value - a value with a line break would turn into lines of its own.
//
// Buffers follow Win32: a string that does not fit is truncated (size - 1 returned); a list of
// strings that does not fit is cut and closed with two NULs (size - 2 returned). Values are not
// limited to any length. GetProfile... and WriteProfile... use win.ini in the Windows directory.
//
// Deliberate differences from Win32, none of which a caller can come to harm by:
// - Deleting a key or a section of a file that does not exist leaves no file behind (Win32
//   creates an empty one).
// - There is no IniFileMapping: a profile file is always the file, never registry keys.
#pragma once

#include <string>
#include <vector>

#include "win32/kernel.h"
#include "win32/types.h"

namespace win32 {

// With section nullptr: the section names; with key nullptr: the section's key names (both as
// NUL-separated lists ended by an extra NUL). A missing key answers the default (nullptr is ""),
// trailing blanks removed. A missing file, or no file name, sets ERROR_FILE_NOT_FOUND.
DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                              DWORD size, const char* fileName);
// Decimal digits with an optional sign at the start of the value, wrapped modulo 2^32 as Win32
// does ("-1" answers 0xFFFFFFFF, which as an int is -1); 0 when there are none, the default when
// the key is missing.
UINT GetPrivateProfileInt(const char* section, const char* key, INT defaultValue, const char* fileName);
// Unlike the other lists, the names need a spare byte: a list that would fill the buffer exactly
// is cut as one that does not fit (Win32 answers size - 2 there too).
DWORD GetPrivateProfileSectionNames(char* buffer, DWORD size, const char* fileName);
// "key=value" entries of the section (values as written, blanks trimmed), comments left out. A
// null section or buffer answers 0 with ERROR_INVALID_PARAMETER.
DWORD GetPrivateProfileSection(const char* section, char* buffer, DWORD size, const char* fileName);
// value nullptr deletes the key; key nullptr deletes the section; all three nullptr does nothing
// (nothing is cached) and succeeds. Otherwise a null section fails with ERROR_FILE_NOT_FOUND and an
// empty file name with ERROR_ACCESS_DENIED, as in Win32. A new section is appended right after the
// last line, so a file written only through these calls is byte for byte what Win32 writes
// ("[App1]\r\nkey1=string1\r\n[App2]\r\n...").
BOOL WritePrivateProfileString(const char* section, const char* key, const char* value, const char* fileName);
// Replaces the section's lines with the "key=value" entries of a NUL-separated list ended by an
// empty string; values nullptr deletes the section.
BOOL WritePrivateProfileSection(const char* section, const char* values, const char* fileName);

DWORD GetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                       DWORD size);
UINT GetProfileInt(const char* section, const char* key, INT defaultValue);
DWORD GetProfileSection(const char* section, char* buffer, DWORD size);
BOOL WriteProfileString(const char* section, const char* key, const char* value);
BOOL WriteProfileSection(const char* section, const char* values);

// Extensions for callers holding std::string (no buffers, no truncation). A missing key (or file)
// makes ProfileReadString return FALSE with ERROR_FILE_NOT_FOUND; the name lists of a missing file
// are empty. An unreadable file returns FALSE with its error.
BOOL ProfileReadString(const std::string& fileName, const std::string& section, const std::string& key,
                       std::string& value);
BOOL ProfileReadSectionNames(const std::string& fileName, std::vector<std::string>& names);
BOOL ProfileReadKeyNames(const std::string& fileName, const std::string& section,
                         std::vector<std::string>& keys);
// The real path a profile file name stands for; empty (ERROR_INVALID_PARAMETER) for an empty name.
std::string ProfilePath(const std::string& fileName);

namespace testing {

// Makes the next profile write fail after writing `bytes` bytes of the new file, as a crash or a
// full disk would (ERROR_DISK_FULL); a negative count cancels.
void FailNextProfileWrite(long bytes);

}  // namespace testing

}  // namespace win32
