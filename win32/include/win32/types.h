// The basic Win32 data types of the platform layer.
#pragma once

#include <cstdint>

namespace win32 {

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using LONG_PTR = intptr_t;
using ULONG_PTR = uintptr_t;
using DWORD_PTR = ULONG_PTR;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

#ifndef TRUE
inline constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
inline constexpr BOOL FALSE = 0;
#endif

// Each handle kind is a distinct opaque pointer type, so that one cannot be passed for another and
// 0 (nullptr) is "no handle". The platform hands the values out from its tables and never lets
// anyone dereference them: a stale or foreign handle is looked up and refused.
#define WIN32_DECLARE_HANDLE(Name) \
    struct Name##__ {              \
        int unused;                \
    };                             \
    using Name = Name##__*

using HANDLE = void*;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~UINT_PTR{0});

// The table value behind a handle, and the handle for a table value.
template <typename H>
UINT_PTR HandleValue(H handle) {
    return reinterpret_cast<UINT_PTR>(handle);
}
template <typename H>
H MakeHandle(UINT_PTR value) {
    return reinterpret_cast<H>(value);
}

WIN32_DECLARE_HANDLE(HWND);
WIN32_DECLARE_HANDLE(HDC);
WIN32_DECLARE_HANDLE(HBITMAP);
WIN32_DECLARE_HANDLE(HBRUSH);
WIN32_DECLARE_HANDLE(HPEN);
WIN32_DECLARE_HANDLE(HFONT);
WIN32_DECLARE_HANDLE(HRGN);
WIN32_DECLARE_HANDLE(HPALETTE);
WIN32_DECLARE_HANDLE(HICON);
WIN32_DECLARE_HANDLE(HMENU);
WIN32_DECLARE_HANDLE(HINSTANCE);
WIN32_DECLARE_HANDLE(HKEY);
WIN32_DECLARE_HANDLE(HHOOK);
WIN32_DECLARE_HANDLE(HDROP);
WIN32_DECLARE_HANDLE(HIMAGELIST);
using HCURSOR = HICON;
using HMODULE = HINSTANCE;
using HGDIOBJ = void*;
using HGLOBAL = HANDLE;
using ATOM = WORD;
using COLORREF = DWORD;

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

// Right and bottom are outside the rectangle.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF color) {
    return static_cast<BYTE>(color & 0xFF);
}
constexpr BYTE GetGValue(COLORREF color) {
    return static_cast<BYTE>((color >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF color) {
    return static_cast<BYTE>((color >> 16) & 0xFF);
}

constexpr WORD LOWORD(DWORD_PTR value) {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR value) {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr BYTE LOBYTE(DWORD_PTR value) {
    return static_cast<BYTE>(value & 0xFF);
}
constexpr BYTE HIBYTE(DWORD_PTR value) {
    return static_cast<BYTE>((value >> 8) & 0xFF);
}
constexpr DWORD MAKELONG(WORD low, WORD high) {
    return static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16);
}
constexpr WORD MAKEWORD(BYTE low, BYTE high) {
    return static_cast<WORD>(low | (high << 8));
}

}  // namespace win32
