// Version resources: the binary VS_VERSIONINFO block a program or library carries, read from ELF
// files (section ".zylver"), raw resource files (windres -O res) and PE files, and queried by path.
//
// A library opts in at build time: describe the version in a small text file (see
// BuildVersionResource's description format) and run
//     python3 win32/src/version/zylver.py description.ver --cpp version_resource.cpp
// adding the generated source to the library (it places the block in the ".zylver" section), or
//     python3 win32/src/version/zylver.py description.ver --bin block.bin
//     objcopy --add-section .zylver=block.bin libfoo.so
// The library finds its own file with ModuleFileNameOf(&someFunction) (win32/files.h).
//
// GetFileVersionInfo returns the block followed by UTF-8 copies of its strings, so that
// VerQueryValue can hand out UTF-8 pointers into the caller's buffer as the ANSI Win32 calls do.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "win32/kernel.h"
#include "win32/types.h"

namespace win32 {

using LANGID = WORD;

inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
inline constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
inline constexpr DWORD VS_FF_DEBUG = 0x01;
inline constexpr DWORD VS_FF_PRERELEASE = 0x02;
inline constexpr DWORD VS_FF_PATCHED = 0x04;
inline constexpr DWORD VS_FF_PRIVATEBUILD = 0x08;
inline constexpr DWORD VS_FF_INFOINFERRED = 0x10;
inline constexpr DWORD VS_FF_SPECIALBUILD = 0x20;
inline constexpr DWORD VOS_UNKNOWN = 0x00000000;
inline constexpr DWORD VOS_NT = 0x00040000;
inline constexpr DWORD VOS__WINDOWS32 = 0x00000004;
inline constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;
inline constexpr DWORD VFT_UNKNOWN = 0;
inline constexpr DWORD VFT_APP = 1;
inline constexpr DWORD VFT_DLL = 2;
inline constexpr DWORD VFT_DRV = 3;
inline constexpr DWORD VFT_FONT = 4;
inline constexpr DWORD VFT_STATIC_LIB = 7;
inline constexpr WORD RT_VERSION_ID = 16;

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

// *lpdwHandle is set to 0. ERROR_RESOURCE_TYPE_NOT_FOUND for a file without a version block,
// ERROR_BAD_FORMAT for a file that is none of ELF, RES or PE, ERROR_INVALID_DATA (13) for a malformed block.
DWORD GetFileVersionInfoSize(const char* lptstrFilename, DWORD* lpdwHandle);
// dwLen must be at least GetFileVersionInfoSize's answer (ERROR_INSUFFICIENT_BUFFER otherwise).
BOOL GetFileVersionInfo(const char* lptstrFilename, DWORD dwHandle, DWORD dwLen, void* lpData);
// "\" gives the VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the language/code page pairs (binary),
// "\StringFileInfo\040904E4\CompanyName" a UTF-8 string whose length counts its terminating NUL.
// Names are compared without regard to ASCII case. The block must come from GetFileVersionInfo (or
// LoadVersionInfo); strings of a bare resource block are converted into a per-thread buffer that the
// next call replaces.
BOOL VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer, UINT* puLen);
// "English (United States)" for 0x0409, ...; "Language Neutral" for identifiers not in the table.
DWORD VerLanguageName(DWORD wLang, char* szLang, DWORD cchLang);
// From LC_ALL, else LC_MESSAGES, else LANG ("de_DE.UTF-8" is 0x0407); 0x0409 when unset, "C", "POSIX"
// or unknown.
LANGID GetUserDefaultLangID();
LANGID GetSystemDefaultLangID();

// Locale identifiers: a language identifier and a sort identifier (always SORT_DEFAULT here).
using LCID = DWORD;
inline constexpr WORD SORT_DEFAULT = 0;
constexpr LCID MAKELCID(LANGID lang, WORD sort) {
    return (static_cast<DWORD>(sort) << 16) | lang;
}
constexpr LANGID LANGIDFROMLCID(LCID locale) {
    return static_cast<LANGID>(locale & 0xFFFF);
}

inline constexpr DWORD LCID_INSTALLED = 0x00000001;
inline constexpr DWORD LCID_SUPPORTED = 0x00000002;
// Receives a locale identifier as eight hexadecimal digits ("00000407"); FALSE stops the enumeration.
using LOCALE_ENUMPROC = BOOL (*)(char* localeString);
// Installed locales are those compiled on this system: the folders of /usr/lib/locale and the names
// in its locale-archive; supported ones are those /usr/share/i18n/SUPPORTED lists. Each identifier
// is reported once, in ascending order; POSIX locales without an identifier ("C.utf8") are left out.
// FALSE with ERROR_INVALID_PARAMETER for a null procedure or flags that are neither.
BOOL EnumSystemLocales(LOCALE_ENUMPROC proc, DWORD flags);

constexpr LANGID MAKELANGID(WORD primary, WORD sub) {
    return static_cast<LANGID>((sub << 10) | primary);
}
constexpr WORD PRIMARYLANGID(LANGID lang) {
    return static_cast<WORD>(lang & 0x3FF);
}
constexpr WORD SUBLANGID(LANGID lang) {
    return static_cast<WORD>(lang >> 10);
}

// The GetFileVersionInfo buffer for a raw VS_VERSIONINFO block: validated at every level (sizes
// against their parents and the data), then extended by the UTF-8 copies. False with
// ERROR_INVALID_DATA (13) for a malformed block.
bool LoadVersionInfo(const void* resource, size_t size, std::vector<BYTE>& info);

// What a version block says, for building one.
struct VersionDescription {
    WORD fileVersion[4] = {0, 0, 0, 0};
    WORD productVersion[4] = {0, 0, 0, 0};
    DWORD fileFlagsMask = VS_FFI_FILEFLAGSMASK;
    DWORD fileFlags = 0;
    DWORD fileOS = VOS_NT_WINDOWS32;
    DWORD fileType = VFT_APP;
    DWORD fileSubtype = 0;
    WORD language = 0x0409;
    WORD codePage = 1252;
    std::vector<std::pair<std::string, std::string>> strings;  // UTF-8 name and value, in order
};

// The binary block in the standard layout (UTF-16 keys and values, WORD lengths, 32-bit alignment),
// as resource compilers write it. Raises std::length_error when a part passes 64 KiB.
std::vector<BYTE> BuildVersionResource(const VersionDescription& description);
// The description format, one setting per line, `#` starts a comment:
//   FileVersion = 1.2.3.4        ProductVersion = 1.2.0.0     FileFlagsMask = 0x3F
//   FileFlags = 0x2              FileOS = 0x40004             FileType = 1      FileSubtype = 0
//   Language = 0409              CodePage = 1252 (hexadecimal language, decimal code page)
//   String CompanyName = Zyl Components
// Raises std::invalid_argument naming the line for anything else.
VersionDescription ParseVersionDescription(const std::string& text);

namespace testing {

// Overrides both default language identifiers; 0 returns to the environment.
void SetDefaultLangID(LANGID lang);
// Reads the installed locales from `folder` (laid out as /usr/lib/locale) and the supported ones
// from the file `supported` instead of the system's; empty strings return to the system's.
void SetLocaleSources(const std::string& folder, const std::string& supported);

}  // namespace testing

}  // namespace win32
