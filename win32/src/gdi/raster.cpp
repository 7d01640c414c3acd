// Span filling: the inner loops every fill, line and glyph ends in.
#include "gdi/raster.h"

#include <cstring>

namespace win32::gdi {

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

// 8x8 hatch masks, one byte per row, most significant bit = column 0, aligned to the brush origin.
constexpr uint8_t kHatches[6][8] = {
    {0xFF, 0, 0, 0, 0, 0, 0, 0},                       // horizontal
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal (\)
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal (/)
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

inline uint32_t MonoValue(uint32_t color) {
    return IsNearerWhite(ToColorRef(color)) ? kWhite : 0;
}

inline bool MonoBit(const Surface& s, int x, int y) {
    return (s.Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

inline void SetMonoBit(Surface& s, int x, int y, bool on) {
    uint8_t& byte = s.Row(y)[x >> 3];
    uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
    byte = on ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

inline int Wrap(long long v, int n) {
    long long m = v % n;
    return static_cast<int>(m < 0 ? m + n : m);
}

template <int Rop>
void MixSolidRow(uint32_t* row, int count, uint32_t color) {
    for (int i = 0; i < count; ++i)
        row[i] = Mix(Rop, color, row[i]);
}

void MixSolid(uint32_t* row, int count, uint32_t color, int rop2) {
    switch (rop2) {
        case R2_COPYPEN:
            std::fill_n(row, count, color);
            return;
        case R2_BLACK:
            std::fill_n(row, count, 0u);
            return;
        case R2_WHITE:
            std::fill_n(row, count, kWhite);
            return;
        case R2_NOP:
            return;
        case R2_NOT:
            MixSolidRow<R2_NOT>(row, count, color);
            return;
        case R2_XORPEN:
            MixSolidRow<R2_XORPEN>(row, count, color);
            return;
        case R2_MASKPEN:
            MixSolidRow<R2_MASKPEN>(row, count, color);
            return;
        case R2_MERGEPEN:
            MixSolidRow<R2_MERGEPEN>(row, count, color);
            return;
        case R2_NOTCOPYPEN:
            std::fill_n(row, count, ~color & kWhite);
            return;
        default:
            for (int i = 0; i < count; ++i)
                row[i] = Mix(rop2, color, row[i]);
            return;
    }
}

}  // namespace

uint32_t Paint::At(int x, int y) const {
    if (solid) return color;
    return pattern[static_cast<size_t>(Wrap(static_cast<long long>(y) - originY, patternHeight)) *
                       patternWidth +
                   Wrap(static_cast<long long>(x) - originX, patternWidth)];
}

Paint SolidPaint(COLORREF color) {
    Paint paint;
    paint.color = ToPixel(color);
    return paint;
}

Paint BrushPaint(const DeviceContext& dc, HBRUSH handle) {
    return BrushPaint(dc, handle, LookupBrush(handle));
}

Paint BrushPaint(const DeviceContext& dc, HBRUSH handle, const BrushObject* brush) {
    Paint paint;
    if (!brush || brush->style == BS_NULL) {
        paint.none = true;
        return paint;
    }
    static const HGDIOBJ dcBrush = GetStockObject(DC_BRUSH);
    if (handle == dcBrush) return SolidPaint(dc.dcBrushColor);
    paint.originX = dc.brushOrg.x + dc.surfaceOrigin.x;
    paint.originY = dc.brushOrg.y + dc.surfaceOrigin.y;
    if (brush->style == BS_SOLID) return SolidPaint(brush->color);
    paint.solid = false;
    if (brush->style == BS_HATCHED) {
        paint.patternWidth = paint.patternHeight = 8;
        paint.pattern.resize(64);
        bool opaque = dc.bkMode == OPAQUE;
        if (!opaque) paint.patternOpaque.resize(64);
        uint32_t fore = ToPixel(brush->color), back = ToPixel(dc.bkColor);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                bool line = (kHatches[brush->hatch][y] >> (7 - x)) & 1;
                paint.pattern[y * 8 + x] = line ? fore : back;
                if (!opaque) paint.patternOpaque[y * 8 + x] = line ? 1 : 0;
            }
        }
        return paint;
    }
    const Surface& p = *brush->pattern;
    paint.patternWidth = p.width;
    paint.patternHeight = p.height;
    paint.pattern.resize(static_cast<size_t>(p.width) * p.height);
    uint32_t fore = ToPixel(dc.textColor), back = ToPixel(dc.bkColor);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            paint.pattern[static_cast<size_t>(y) * p.width + x] =
                p.bitsPerPixel == 1 ? (MonoBit(p, x, y) ? back : fore) : ReadPixel(p, x, y);
    return paint;
}

uint32_t ReadPixel(const Surface& surface, int x, int y) {
    if (surface.bitsPerPixel == 1) return MonoBit(surface, x, y) ? kWhite : 0;
    if (surface.bitsPerPixel == 24) {
        const uint8_t* p = surface.Row(y) + static_cast<ptrdiff_t>(x) * 3;
        return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
    return surface.Row32(y)[x] & kWhite;
}

void WritePixel(Surface& surface, int x, int y, uint32_t color) {
    if (surface.bitsPerPixel == 1) {
        SetMonoBit(surface, x, y, MonoValue(color) != 0);
    } else if (surface.bitsPerPixel == 24) {
        uint8_t* p = surface.Row(y) + static_cast<ptrdiff_t>(x) * 3;
        p[0] = static_cast<uint8_t>(color);
        p[1] = static_cast<uint8_t>(color >> 8);
        p[2] = static_cast<uint8_t>(color >> 16);
    } else {
        surface.Row32(y)[x] = color & kWhite;
    }
}

void FillSpan(Surface& surface, int y, int x0, int x1, const Paint& paint, int rop2) {
    if (paint.none || x0 >= x1) return;
    if (surface.bitsPerPixel != 32) {
        // Monochrome and 24-bit surfaces go pixel by pixel.
        const bool mono = surface.bitsPerPixel == 1;
        for (int x = x0; x < x1; ++x) {
            if (!paint.solid && !paint.patternOpaque.empty()) {
                int px = Wrap(static_cast<long long>(x) - paint.originX, paint.patternWidth);
                int py = Wrap(static_cast<long long>(y) - paint.originY, paint.patternHeight);
                if (!paint.patternOpaque[static_cast<size_t>(py) * paint.patternWidth + px]) continue;
            }
            uint32_t p = paint.At(x, y);
            if (mono) p = MonoValue(p);
            WritePixel(surface, x, y, Mix(rop2, p, ReadPixel(surface, x, y)));
        }
        return;
    }
    uint32_t* row = surface.Row32(y);
    if (paint.solid) {
        MixSolid(row + x0, x1 - x0, paint.color, rop2);
        return;
    }
    const int w = paint.patternWidth;
    const size_t py =
        static_cast<size_t>(Wrap(static_cast<long long>(y) - paint.originY, paint.patternHeight));
    const uint32_t* prow = paint.pattern.data() + py * w;
    const uint8_t* orow = paint.patternOpaque.empty() ? nullptr : paint.patternOpaque.data() + py * w;
    int px = Wrap(static_cast<long long>(x0) - paint.originX, w);
    if (!orow && rop2 == R2_COPYPEN) {
        // One period from the pattern, then the row copies its own filled part: the filled length
        // stays a multiple of the period, so the copies stay aligned.
        const int n = x1 - x0;
        int filled = std::min(n, w);
        for (int i = 0; i < filled; ++i) {
            row[x0 + i] = prow[px];
            if (++px == w) px = 0;
        }
        while (filled < n) {
            int copy = std::min(filled, n - filled);
            std::memcpy(row + x0 + filled, row + x0, static_cast<size_t>(copy) * 4);
            filled += copy;
        }
        return;
    }
    for (int x = x0; x < x1; ++x) {
        if (!orow || orow[px]) row[x] = Mix(rop2, prow[px], row[x]);
        if (++px == w) px = 0;
    }
}

void FillClippedRect(DeviceContext& dc, const RECT& rect, const Paint& paint, int rop2) {
    if (paint.none || !dc.surface) return;
    for (const RECT& c : dc.effectiveClip.rects) {
        if (c.top >= rect.bottom) break;
        RECT r;
        if (!IntersectRect(&r, &c, &rect)) continue;
        for (int y = r.top; y < r.bottom; ++y)
            FillSpan(*dc.surface, y, r.left, r.right, paint, rop2);
    }
}

void FillClippedSpan(DeviceContext& dc, int y, int x0, int x1, const Paint& paint, int rop2) {
    if (paint.none || !dc.surface) return;
    ForEachSpanInRegion(dc.effectiveClip, y, x0, x1,
                        [&](int l, int r) { FillSpan(*dc.surface, y, l, r, paint, rop2); });
}

void PlotPixel(DeviceContext& dc, int x, int y, uint32_t color, int rop2) {
    const RECT& e = dc.effectiveClip.extents;
    if (x < e.left || x >= e.right || y < e.top || y >= e.bottom) return;
    if (dc.effectiveClip.rects.size() > 1 && !dc.effectiveClip.Contains(x, y)) return;
    WritePixel(*dc.surface, x, y, Mix(rop2, color, ReadPixel(*dc.surface, x, y)));
}

void FillMonoMask(DeviceContext& dc, int deviceX, int deviceY, const uint8_t* bits, int width, int height,
                  int pitch, COLORREF color) {
    FillMonoMask(dc, deviceX, deviceY, bits, width, height, pitch, color, nullptr);
}

void FillMonoMask(DeviceContext& dc, int deviceX, int deviceY, const uint8_t* bits, int width, int height,
                  int pitch, COLORREF color, const RECT* clipDevice) {
    if (!dc.surface || !bits || width <= 0 || height <= 0 || pitch <= 0) return;
    long long sx = static_cast<long long>(deviceX) + dc.surfaceOrigin.x;
    long long sy = static_cast<long long>(deviceY) + dc.surfaceOrigin.y;
    RECT box = dc.effectiveClip.extents;
    if (clipDevice) {
        RECT extra = *clipDevice;
        OffsetRect(&extra, dc.surfaceOrigin.x, dc.surfaceOrigin.y);
        if (!IntersectRect(&box, &box, &extra)) return;
    }
    long long top = std::max<long long>(sy, box.top), bottom = std::min<long long>(sy + height, box.bottom);
    long long left = std::max<long long>(sx, box.left), right = std::min<long long>(sx + width, box.right);
    if (top >= bottom || left >= right) return;
    uint32_t pixel = ToPixel(color);
    Surface& surface = *dc.surface;
    for (int y = static_cast<int>(top); y < bottom; ++y) {
        const uint8_t* maskRow = bits + static_cast<size_t>(y - sy) * static_cast<size_t>(pitch);
        ForEachSpanInRegion(dc.effectiveClip, y, static_cast<int>(left), static_cast<int>(right),
                            [&](int l, int r) {
                                for (int x = l; x < r; ++x) {
                                    int mx = static_cast<int>(x - sx);
                                    if ((maskRow[mx >> 3] >> (7 - (mx & 7))) & 1)
                                        WritePixel(surface, x, y, pixel);
                                }
                            });
    }
}

void FillDeviceRect(DeviceContext& dc, const RECT& deviceRect, COLORREF color) {
    RECT r = deviceRect;
    OffsetRect(&r, dc.surfaceOrigin.x, dc.surfaceOrigin.y);
    FillClippedRect(dc, r, SolidPaint(color), R2_COPYPEN);
}

}  // namespace win32::gdi
