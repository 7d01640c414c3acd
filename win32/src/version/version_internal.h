// Shared by the version units: UTF-8 decoding and finding a block inside a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win32/version.h"

namespace win32::version {

// ERROR_INVALID_DATA; the name is declared by the graphics header, which this unit does not need.
inline constexpr DWORD kErrorInvalidData = 13;

// Code points of UTF-8 text; malformed sequences become U+FFFD.
std::u32string DecodeUtf8(const std::string& text);

// The raw VS_VERSIONINFO block of a file: an ELF section ".zylver", the RT_VERSION entry of a RES
// file or of a PE file's resource directory. Returns ERROR_SUCCESS or the Win32 error.
DWORD ReadVersionResource(const std::string& nativePath, std::vector<BYTE>& resource);

// The language identifiers a POSIX locale name ("de_DE.utf8", "sr_RS@latin") stands for: more than
// one where the system has several sorts of one language, none for a locale the table lacks.
std::vector<LANGID> LanguagesOfLocale(std::string_view name);

// The locale names a glibc locale-archive file holds; none for a file that is missing or damaged.
std::vector<std::string> LocaleArchiveNames(const std::string& path);

}  // namespace win32::version
