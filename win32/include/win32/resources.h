// Resources compiled into a library or program: blocks of data by type and name, found through the
// module that carries them. A target embeds files with the CMake function zyl_add_resources, which
// registers them under the target's module name when the library loads:
//   zyl_add_resources(lumaro MODULE lumaro FILES res/zylbutton.bmp res/zylhint.ico)
//   HBITMAP glyph = LoadBitmap(GetModuleHandle("lumaro"), "ZYLBUTTON");
// Names are the files' base names, matched without case; a base name of digits is the numeric name
// (12.avi is MAKEINTRESOURCE(12)). Bitmaps are whole BMP files, icons and cursors whole ICO and CUR
// files, clips whole AVI files of the type "AVI".
#pragma once

#include <cstddef>

#include "win32/gdi.h"

namespace win32 {

WIN32_DECLARE_HANDLE(HRSRC);

// Resource type ids (RT_* are MAKEINTRESOURCE of these).
inline constexpr WORD RT_ID_CURSOR = 1;
inline constexpr WORD RT_ID_BITMAP = 2;
inline constexpr WORD RT_ID_ICON = 3;
inline constexpr WORD RT_ID_RCDATA = 10;
inline constexpr WORD RT_ID_GROUP_CURSOR = 12;
inline constexpr WORD RT_ID_GROUP_ICON = 14;

inline const char* const RT_CURSOR = MAKEINTRESOURCEA(RT_ID_CURSOR);
inline const char* const RT_BITMAP = MAKEINTRESOURCEA(RT_ID_BITMAP);
inline const char* const RT_ICON = MAKEINTRESOURCEA(RT_ID_ICON);
inline const char* const RT_RCDATA = MAKEINTRESOURCEA(RT_ID_RCDATA);
inline const char* const RT_GROUP_CURSOR = MAKEINTRESOURCEA(RT_ID_GROUP_CURSOR);
inline const char* const RT_GROUP_ICON = MAKEINTRESOURCEA(RT_ID_GROUP_ICON);

// The module of that name (a library's target name), or the program itself for nullptr.
// nullptr with ERROR_MOD_NOT_FOUND when no resources were registered under the name.
HMODULE GetModuleHandle(const char* moduleName);
// name and type are strings or MAKEINTRESOURCE ids; nullptr with ERROR_RESOURCE_NAME_NOT_FOUND.
HRSRC FindResource(HMODULE module, const char* name, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The data stays valid for the life of the process.
const void* LockResource(HGLOBAL resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL resource);
HBITMAP LoadBitmap(HINSTANCE instance, const char* name);

// Calls `proc` with the name of each resource of `type` in the module, in the order they were
// registered (numeric names as MAKEINTRESOURCE ids), until it returns FALSE. FALSE with
// ERROR_RESOURCE_TYPE_NOT_FOUND when the module has none of that type.
using ENUMRESNAMEPROC = BOOL (*)(HMODULE module, const char* type, char* name, LONG_PTR param);
BOOL EnumResourceNames(HMODULE module, const char* type, ENUMRESNAMEPROC proc, LONG_PTR param);

// Called by the code zyl_add_resources generates; data must outlive the process (static arrays).
// Type by id (RT_ID_*) so that registration works from static initialisers.
void RegisterResource(const char* moduleName, WORD typeId, const char* name, const void* data, size_t size);
// A resource of a type known by name, such as "AVI".
void RegisterResource(const char* moduleName, const char* typeName, const char* name, const void* data,
                      size_t size);

}  // namespace win32
