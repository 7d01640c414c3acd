// Text output and measurement on device contexts: TextOut, ExtTextOut, extents and metrics.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "gdi/dc_internal.h"
#include "gdi/text/fontengine.h"
#include "gdi/text/textrun.h"
#include "win32/fonts.h"
#include "win32/kernel.h"

namespace win32 {

namespace gdi::text {

std::shared_ptr<FontInstance> FontOf(const DeviceContext& dc) {
    return GetFont(dc.logFont, dc.logPixelsY);
}

int RunWidth(FontInstance& font, std::u32string_view run, int charExtra) {
    int width = 0;
    for (char32_t code : run)
        width += font.GlyphFor(code).advance + charExtra;
    return width;
}

void DrawRun(DeviceContext& dc, FontInstance& font, POINT logicalStart, std::u32string_view run,
             const INT* dx, const RECT* clipLogical, bool opaqueCell) {
    const FontMetrics& metrics = font.Metrics();
    const int width = dx ? 0 : RunWidth(font, run, dc.charExtra);
    int total = width;
    if (dx)
        for (size_t i = 0; i < run.size(); ++i)
            total += dx[i];

    // The reference point: alignment moves the start along the baseline direction.
    const double angle = font.Escapement() / 10.0 * M_PI / 180.0;
    const double cosine = std::cos(angle), sine = std::sin(angle);
    POINT start = logicalStart;
    const UINT horizontal = dc.textAlign & (TA_LEFT | TA_RIGHT | TA_CENTER);
    int shift = horizontal == TA_RIGHT ? total : horizontal == TA_CENTER ? total / 2 : 0;
    int baselineDrop = (dc.textAlign & TA_BASELINE) == TA_BASELINE ? 0
                       : (dc.textAlign & TA_BOTTOM) == TA_BOTTOM   ? -metrics.descent
                                                                   : metrics.ascent;
    // Along the baseline (cos, -sin) and down to it (sin, cos) in device space (y down).
    double originX = start.x - shift * cosine + baselineDrop * sine;
    double originY = start.y + shift * sine + baselineDrop * cosine;

    RECT clipDevice{};
    const RECT* clip = nullptr;
    if (clipLogical) {
        POINT topLeft = LogicalToDevice(dc, POINT{clipLogical->left, clipLogical->top});
        POINT bottomRight = LogicalToDevice(dc, POINT{clipLogical->right, clipLogical->bottom});
        clipDevice = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        clip = &clipDevice;
    }
    POINT pen = LogicalToDevice(
        dc, POINT{static_cast<LONG>(std::lround(originX)), static_cast<LONG>(std::lround(originY))});

    if (opaqueCell && font.Escapement() % 3600 == 0) {
        RECT cell{pen.x, pen.y - metrics.ascent, pen.x + total, pen.y + metrics.descent};
        if (clip) {
            cell.left = std::max(cell.left, clip->left);
            cell.top = std::max(cell.top, clip->top);
            cell.right = std::min(cell.right, clip->right);
            cell.bottom = std::min(cell.bottom, clip->bottom);
        }
        if (cell.left < cell.right && cell.top < cell.bottom) FillDeviceRect(dc, cell, dc.bkColor);
    }

    double penX = pen.x, penY = pen.y;
    for (size_t i = 0; i < run.size(); ++i) {
        const Glyph& glyph = font.GlyphFor(run[i]);
        int x = static_cast<int>(std::lround(penX)), y = static_cast<int>(std::lround(penY));
        if (glyph.width > 0 && glyph.height > 0)
            FillMonoMask(dc, x + glyph.left, y - glyph.top, glyph.bits.data(), glyph.width, glyph.height,
                         glyph.pitch, dc.textColor, clip);
        if (dx) {
            penX += dx[i] * cosine;
            penY -= dx[i] * sine;
        } else {
            penX += glyph.advanceX + dc.charExtra * cosine;
            penY += glyph.advanceY - dc.charExtra * sine;
        }
    }

    // Underline and strike-out run along the baseline; drawn as bars for horizontal text.
    if ((metrics.underline || metrics.strikeOut) && font.Escapement() % 3600 == 0 && total > 0) {
        auto bar = [&](int top, int thickness) {
            RECT r{pen.x, top, pen.x + total, top + thickness};
            if (clip) {
                r.left = std::max(r.left, clip->left);
                r.right = std::min(r.right, clip->right);
                r.top = std::max(r.top, clip->top);
                r.bottom = std::min(r.bottom, clip->bottom);
            }
            if (r.left < r.right && r.top < r.bottom) FillDeviceRect(dc, r, dc.textColor);
        };
        if (metrics.underline) bar(pen.y + metrics.underlinePosition, metrics.underlineThickness);
        if (metrics.strikeOut) bar(pen.y - metrics.strikeOutPosition, metrics.strikeOutThickness);
    }

    if (dc.textAlign & TA_UPDATECP) {
        if (horizontal == TA_LEFT)
            dc.currentPosition.x = logicalStart.x + total;
        else if (horizontal == TA_RIGHT)
            dc.currentPosition.x = logicalStart.x - total;
    }
}

}  // namespace gdi::text

using namespace gdi;
using namespace gdi::text;

namespace {

DeviceContext* CheckedDC(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

bool BadText(const char* text, int count) {
    return count < 0 || (count > 0 && !text);
}

}  // namespace

BOOL TextOut(HDC handle, int x, int y, const char* text, int count) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || BadText(text, count)) return FALSE;
    auto font = FontOf(*dc);
    std::u32string run = DecodeUtf8(std::string_view(text ? text : "", static_cast<size_t>(count)));
    POINT start = dc->textAlign & TA_UPDATECP ? dc->currentPosition : POINT{x, y};
    DrawRun(*dc, *font, start, run, nullptr, nullptr, dc->bkMode == OPAQUE);
    return TRUE;
}

BOOL ExtTextOut(HDC handle, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                const INT* dx) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || (count > 0 && !text) || count > 0x7FFFFFFF) return FALSE;
    if ((options & ETO_OPAQUE) && rect) {
        POINT topLeft = LogicalToDevice(*dc, POINT{rect->left, rect->top});
        POINT bottomRight = LogicalToDevice(*dc, POINT{rect->right, rect->bottom});
        RECT device{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        if (device.left < device.right && device.top < device.bottom)
            FillDeviceRect(*dc, device, dc->bkColor);
    }
    if (count == 0) return TRUE;
    auto font = FontOf(*dc);
    std::u32string run = DecodeUtf8(std::string_view(text, count));
    POINT start = dc->textAlign & TA_UPDATECP ? dc->currentPosition : POINT{x, y};
    // With an opaque rectangle the cell background is already painted.
    bool opaqueCell = dc->bkMode == OPAQUE && !((options & ETO_OPAQUE) && rect);
    DrawRun(*dc, *font, start, run, dx, (options & ETO_CLIPPED) ? rect : nullptr, opaqueCell);
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC handle, const char* text, int count, SIZE* size) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || BadText(text, count) || !size) return FALSE;
    auto font = FontOf(*dc);
    std::u32string run = DecodeUtf8(std::string_view(text ? text : "", static_cast<size_t>(count)));
    size->cx = RunWidth(*font, run, dc->charExtra);
    size->cy = font->Metrics().height;
    return TRUE;
}

BOOL GetTextExtentExPoint(HDC handle, const char* text, int count, int maxExtent, INT* fit, INT* dx,
                          SIZE* size) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || BadText(text, count) || !size) return FALSE;
    auto font = FontOf(*dc);
    std::u32string run = DecodeUtf8(std::string_view(text ? text : "", static_cast<size_t>(count)));
    int width = 0, fitting = 0;
    bool full = false;
    for (size_t i = 0; i < run.size(); ++i) {
        width += font->GlyphFor(run[i]).advance + dc->charExtra;
        if (dx) dx[i] = width;
        if (!full && (maxExtent < 0 || width <= maxExtent))
            ++fitting;
        else
            full = true;
    }
    if (fit) *fit = fitting;
    size->cx = width;
    size->cy = font->Metrics().height;
    return TRUE;
}

BOOL GetTextMetrics(HDC handle, TEXTMETRIC* tm) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || !tm) return FALSE;
    auto font = FontOf(*dc);
    const FontMetrics& m = font->Metrics();
    *tm = TEXTMETRIC{};
    tm->tmHeight = m.height;
    tm->tmAscent = m.ascent;
    tm->tmDescent = m.descent;
    tm->tmInternalLeading = m.internalLeading;
    tm->tmExternalLeading = m.externalLeading;
    tm->tmAveCharWidth = m.aveCharWidth;
    tm->tmMaxCharWidth = m.maxCharWidth;
    tm->tmWeight = m.weight;
    tm->tmOverhang = 0;
    tm->tmDigitizedAspectX = dc->logPixelsX;
    tm->tmDigitizedAspectY = dc->logPixelsY;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = m.italic ? 0xFF : 0;
    tm->tmUnderlined = m.underline ? 0xFF : 0;
    tm->tmStruckOut = m.strikeOut ? 0xFF : 0;
    // The pitch bit is set for variable pitch, against its name, as the system has always done.
    BYTE pitch = m.fixedPitch ? 0 : TMPF_FIXED_PITCH;
    if (m.trueType) pitch |= TMPF_VECTOR | TMPF_TRUETYPE;
    tm->tmPitchAndFamily = static_cast<BYTE>(pitch | m.family);
    tm->tmCharSet = m.charSet;
    return TRUE;
}

int GetTextFace(HDC handle, int count, char* faceName) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc) return 0;
    const std::string& name = FontOf(*dc)->FaceName();
    if (!faceName) return static_cast<int>(name.size()) + 1;
    if (count <= 0) return 0;
    size_t copied = std::min(name.size(), static_cast<size_t>(count - 1));
    std::memcpy(faceName, name.data(), copied);
    faceName[copied] = '\0';
    return static_cast<int>(copied) + 1;
}

BOOL GetCharWidth32(HDC handle, UINT first, UINT last, INT* widths) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || !widths || last < first || last > 0x10FFFF) return FALSE;
    auto font = FontOf(*dc);
    for (UINT code = first; code <= last; ++code)
        widths[code - first] = font->GlyphFor(code).advance;
    return TRUE;
}

BOOL GetCharABCWidths(HDC handle, UINT first, UINT last, ABC* widths) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || !widths || last < first || last > 0x10FFFF) return FALSE;
    auto font = FontOf(*dc);
    for (UINT code = first; code <= last; ++code) {
        const Glyph& glyph = font->GlyphFor(code);
        ABC& abc = widths[code - first];
        abc.abcA = glyph.left;
        abc.abcB = static_cast<UINT>(glyph.width);
        abc.abcC = glyph.advance - glyph.left - glyph.width;
    }
    return TRUE;
}

namespace {

// Splits at tabs and advances to the next stop: stops in pixels from tabOrigin, the last stop
// repeating its interval, or every eight average character widths without stops.
LONG TabbedRun(DeviceContext& dc, int x, int y, std::string_view text, int tabPositions, const INT* tabStops,
               int tabOrigin, bool draw) {
    auto font = FontOf(dc);
    std::u32string run = DecodeUtf8(text);
    const int defaultInterval =
        tabPositions == 1 && tabStops ? tabStops[0] : font->Metrics().aveCharWidth * 8;
    auto nextStop = [&](int position) {
        if (tabPositions > 1 && tabStops) {
            for (int i = 0; i < tabPositions; ++i)
                if (tabOrigin + tabStops[i] > position) return tabOrigin + tabStops[i];
        }
        int interval = std::max(1, defaultInterval);
        return tabOrigin + ((position - tabOrigin) / interval + 1) * interval;
    };
    int pen = x;
    size_t start = 0;
    for (size_t i = 0; i <= run.size(); ++i) {
        if (i < run.size() && run[i] != U'\t') continue;
        std::u32string_view piece(run.data() + start, i - start);
        if (draw && !piece.empty()) {
            UINT savedAlign = dc.textAlign;
            dc.textAlign = (dc.textAlign & ~(TA_RIGHT | TA_CENTER | TA_UPDATECP)) | TA_LEFT;
            DrawRun(dc, *font, POINT{pen, y}, piece, nullptr, nullptr, dc.bkMode == OPAQUE);
            dc.textAlign = savedAlign;
        }
        pen += RunWidth(*font, piece, dc.charExtra);
        if (i < run.size()) pen = nextStop(pen);
        start = i + 1;
    }
    return static_cast<LONG>(MAKELONG(static_cast<WORD>(pen - x), static_cast<WORD>(font->Metrics().height)));
}

}  // namespace

LONG TabbedTextOut(HDC handle, int x, int y, const char* text, int count, int tabPositions,
                   const INT* tabStops, int tabOrigin) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || BadText(text, count)) return 0;
    return TabbedRun(*dc, x, y, std::string_view(text ? text : "", static_cast<size_t>(count)), tabPositions,
                     tabStops, tabOrigin, true);
}

DWORD GetTabbedTextExtent(HDC handle, const char* text, int count, int tabPositions, const INT* tabStops) {
    DeviceContext* dc = CheckedDC(handle);
    if (!dc || BadText(text, count) || count == 0) return 0;  // no characters: no extent, not a line's height
    return static_cast<DWORD>(TabbedRun(*dc, 0, 0,
                                        std::string_view(text ? text : "", static_cast<size_t>(count)),
                                        tabPositions, tabStops, 0, false));
}

}  // namespace win32
