// Font enumeration and the font-related constants that sit beside the GDI text calls.
#pragma once

#include "win32/gdi.h"

namespace win32 {

// TEXTMETRIC::tmPitchAndFamily bits. TMPF_FIXED_PITCH set means a variable-pitch font.
inline constexpr BYTE TMPF_FIXED_PITCH = 0x01;
inline constexpr BYTE TMPF_VECTOR = 0x02;
inline constexpr BYTE TMPF_TRUETYPE = 0x04;
inline constexpr BYTE TMPF_DEVICE = 0x08;

// Font types given to the enumeration callback.
inline constexpr DWORD RASTER_FONTTYPE = 0x0001;
inline constexpr DWORD DEVICE_FONTTYPE = 0x0002;
inline constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

inline constexpr int LF_FULLFACESIZE = 64;

struct ENUMLOGFONT {
    LOGFONT elfLogFont;
    char elfFullName[LF_FULLFACESIZE];
    char elfStyle[LF_FACESIZE];
};

using NEWTEXTMETRIC = TEXTMETRIC;

// Return 0 to stop the enumeration.
using FONTENUMPROC = int (*)(const LOGFONT* logFont, const TEXTMETRIC* metrics, DWORD fontType, LPARAM data);

// One call per family when family is null, else one per style of that family. Returns the last
// callback result (0 when nothing was enumerated).
int EnumFontFamilies(HDC dc, const char* family, FONTENUMPROC proc, LPARAM data);
int EnumFontFamiliesEx(HDC dc, const LOGFONT* logFont, FONTENUMPROC proc, LPARAM data, DWORD flags);

}  // namespace win32
