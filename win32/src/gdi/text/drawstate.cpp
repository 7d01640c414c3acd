// DrawState (text, prefixed text, bitmaps, icons and owner-drawn images in their normal, disabled,
// mono and union looks) and font family enumeration.
#include <algorithm>
#include <cstring>
#include <vector>

#include "gdi/dc_internal.h"
#include "gdi/text/textrun.h"
#include "win32/fonts.h"
#include "win32/kernel.h"

namespace win32 {

using namespace gdi;
using namespace gdi::text;

namespace {

// The image's shape as a 1-bit mask (MSB first): bits set where the image is not the white
// background it was drawn on.
struct Mask {
    int width = 0, height = 0, pitch = 0;
    std::vector<uint8_t> bits;
};

// Draws `render` into a white 32-bit bitmap of the given size and takes every non-white pixel.
template <typename Render>
Mask RenderMask(HDC target, int width, int height, Render render) {
    Mask mask;
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return mask;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!memory || !bitmap || !pixels) {
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        return mask;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    render(memory);
    mask.width = width;
    mask.height = height;
    mask.pitch = (width + 7) / 8;
    mask.bits.assign(static_cast<size_t>(mask.pitch) * static_cast<size_t>(height), 0);
    auto* rows = static_cast<const uint32_t*>(pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((rows[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] &
                 0xFFFFFF) != 0xFFFFFF)
                mask.bits[static_cast<size_t>(y) * mask.pitch + static_cast<size_t>(x / 8)] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return mask;
}

void PaintMask(DeviceContext& dc, const Mask& mask, int x, int y, COLORREF color) {
    if (mask.bits.empty()) return;
    POINT device = LogicalToDevice(dc, POINT{x, y});
    FillMonoMask(dc, device.x, device.y, mask.bits.data(), mask.width, mask.height, mask.pitch, color);
}

// Every other pixel of the mask, for the union (selected) look.
Mask Dithered(Mask mask) {
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            if ((x + y) % 2)
                mask.bits[static_cast<size_t>(y) * mask.pitch + static_cast<size_t>(x / 8)] &=
                    static_cast<uint8_t>(~(0x80 >> (x % 8)));
    return mask;
}

COLORREF BrushColor(HBRUSH brush, COLORREF fallback) {
    LOGBRUSH logBrush{};
    if (brush && GetObject(brush, sizeof logBrush, &logBrush) == sizeof logBrush &&
        logBrush.lbStyle == BS_SOLID)
        return logBrush.lbColor;
    return fallback;
}

}  // namespace

BOOL DrawState(HDC handle, HBRUSH brush, DRAWSTATEPROC callback, LPARAM data, WPARAM dataLength, int x, int y,
               int width, int height, UINT flags) {
    DeviceContext* dc = LookupDC(handle);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const UINT type = flags & 0x000F;
    const bool isText = type == DST_TEXT || type == DST_PREFIXTEXT;
    std::string text;
    UINT textFormat = DT_SINGLELINE | DT_NOCLIP;
    if (isText) {
        const char* chars = reinterpret_cast<const char*>(data);
        if (!chars) return FALSE;
        text.assign(chars, dataLength ? dataLength : std::strlen(chars));
        if (type == DST_TEXT) textFormat |= DT_NOPREFIX;
        if (flags & DSS_HIDEPREFIX) textFormat |= DT_HIDEPREFIX;
        if (flags & DSS_PREFIXONLY) textFormat |= DT_PREFIXONLY;
    }

    // The size of the image when the caller leaves it to us.
    if (width == 0 || height == 0) {
        if (isText) {
            RECT extent{0, 0, 0, 0};
            DrawTextEx(handle, text.data(), static_cast<int>(text.size()), &extent, textFormat | DT_CALCRECT,
                       nullptr);
            width = width ? width : extent.right;
            height = height ? height : extent.bottom;
        } else if (type == DST_BITMAP) {
            BITMAP info{};
            if (GetObject(reinterpret_cast<HBITMAP>(data), sizeof info, &info) != sizeof info) return FALSE;
            width = width ? width : info.bmWidth;
            height = height ? height : info.bmHeight;
        } else if (type == DST_ICON) {
            ICONINFO info{};
            if (!GetIconInfo(reinterpret_cast<HICON>(data), &info)) return FALSE;
            BITMAP bits{};
            GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bits, &bits);
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
            width = width ? width : bits.bmWidth;
            height = height ? height : (info.hbmColor ? bits.bmHeight : bits.bmHeight / 2);
        }
    }
    if (width <= 0 || height <= 0) return type == DST_COMPLEX ? FALSE : TRUE;

    auto renderAt = [&](HDC target, int left, int top) {
        switch (type) {
            case DST_TEXT:
            case DST_PREFIXTEXT: {
                RECT r{left, top, left + width, top + height};
                DrawTextEx(target, text.data(), static_cast<int>(text.size()), &r, textFormat, nullptr);
                break;
            }
            case DST_BITMAP: {
                HDC source = CreateCompatibleDC(target);
                HGDIOBJ previous = SelectObject(source, reinterpret_cast<HBITMAP>(data));
                BitBlt(target, left, top, width, height, source, 0, 0, SRCCOPY);
                SelectObject(source, previous);
                DeleteDC(source);
                break;
            }
            case DST_ICON:
                DrawIconEx(target, left, top, reinterpret_cast<HICON>(data), width, height, 0, nullptr,
                           DI_NORMAL);
                break;
            default:
                if (callback) {
                    POINT saved{};
                    OffsetViewportOrgEx(target, left, top, &saved);
                    callback(target, data, dataLength, width, height);
                    SetViewportOrgEx(target, saved.x, saved.y, nullptr);
                }
                break;
        }
    };

    const UINT state = flags & (DSS_DISABLED | DSS_MONO | DSS_UNION);
    if (state == DSS_NORMAL && !(flags & DSS_RIGHT)) {
        if (isText) {
            int savedMode = SetBkMode(handle, TRANSPARENT);
            renderAt(handle, x, y);
            SetBkMode(handle, savedMode);
        } else {
            renderAt(handle, x, y);
        }
        return TRUE;
    }

    Mask mask = RenderMask(handle, width, height, [&](HDC memory) {
        if (isText) {
            SelectObject(memory, dc->font ? static_cast<HGDIOBJ>(dc->font) : GetStockObject(SYSTEM_FONT));
            SetTextColor(memory, RGB(0, 0, 0));
            SetBkMode(memory, TRANSPARENT);
        }
        renderAt(memory, 0, 0);
    });
    if (flags & DSS_DISABLED) {
        // Embossed: the highlight one pixel down and right, the shadow on top.
        PaintMask(*dc, mask, x + 1, y + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        PaintMask(*dc, mask, x, y, GetSysColor(COLOR_BTNSHADOW));
    } else if (flags & DSS_MONO) {
        PaintMask(*dc, mask, x, y, BrushColor(brush, dc->textColor));
    } else if (flags & DSS_UNION) {
        renderAt(handle, x, y);
        PaintMask(*dc, Dithered(mask), x, y, GetSysColor(COLOR_HIGHLIGHT));
    } else {
        PaintMask(*dc, mask, x, y, dc->textColor);
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Enumeration

namespace {

LOGFONT FamilyLogFont(const FontFamily& family, LONG weight, bool italic) {
    LOGFONT logFont{};
    logFont.lfHeight = -16;
    logFont.lfWeight = weight;
    logFont.lfItalic = italic ? 1 : 0;
    logFont.lfCharSet = ANSI_CHARSET;
    logFont.lfPitchAndFamily =
        static_cast<BYTE>((family.fixedPitch ? FIXED_PITCH : VARIABLE_PITCH) | family.family);
    std::strncpy(logFont.lfFaceName, family.name.c_str(), LF_FACESIZE - 1);
    return logFont;
}

DWORD FontType(FontKind kind) {
    switch (kind) {
        case FontKind::raster:
            return RASTER_FONTTYPE;
        case FontKind::device:
            return DEVICE_FONTTYPE;
        default:
            return TRUETYPE_FONTTYPE;
    }
}

int EnumerateFamily(HDC dc, const FontFamily& family, bool allStyles, FONTENUMPROC proc, LPARAM data) {
    struct Style {
        LONG weight;
        bool italic;
    };
    static constexpr Style kStyles[] = {
        {FW_NORMAL, false}, {FW_BOLD, false}, {FW_NORMAL, true}, {FW_BOLD, true}};
    const size_t styles = allStyles && family.kind == FontKind::trueType ? 4 : 1;
    int result = 0;
    for (size_t i = 0; i < styles; ++i) {
        LOGFONT logFont = FamilyLogFont(family, kStyles[i].weight, kStyles[i].italic);
        TEXTMETRIC metrics{};
        HFONT font = CreateFontIndirect(&logFont);
        HGDIOBJ previous = SelectObject(dc, font);
        GetTextMetrics(dc, &metrics);
        SelectObject(dc, previous);
        DeleteObject(font);
        result = proc(&logFont, &metrics, FontType(family.kind), data);
        if (result == 0) break;
    }
    return result;
}

}  // namespace

int EnumFontFamilies(HDC dc, const char* family, FONTENUMPROC proc, LPARAM data) {
    if (!LookupDC(dc) || !proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int result = 0;
    for (const FontFamily& candidate : ScreenFontFamilies()) {
        if (family && !SameFaceName(candidate.name, family)) continue;
        result = EnumerateFamily(dc, candidate, family != nullptr, proc, data);
        if (result == 0) break;
    }
    return result;
}

int EnumFontFamiliesEx(HDC dc, const LOGFONT* logFont, FONTENUMPROC proc, LPARAM data, DWORD) {
    const char* family = logFont && logFont->lfFaceName[0] ? logFont->lfFaceName : nullptr;
    return EnumFontFamilies(dc, family, proc, data);
}

}  // namespace win32
