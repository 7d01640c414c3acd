// Bitmaps and block transfers: creation, DIB access, BitBlt/StretchBlt/MaskBlt/TransparentBlt with
// every ternary raster operation and the monochrome conversions.
#include <cstring>

#include "gdi/dib.h"
#include "gdi/raster.h"
#include "win32/kernel.h"

namespace win32::gdi {

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;

// Where a transfer reads: the source surface and how destination pixels map onto it.
struct Source {
    const Surface* surface = nullptr;
    int destX = 0, destY = 0, destW = 0, destH = 0;  // destination rectangle (surface coordinates)
    int srcX = 0, srcY = 0, srcW = 0, srcH = 0;      // source rectangle, positive extents
    bool flipX = false, flipY = false;
    int stretchMode = COLORONCOLOR;
    uint32_t sourceBackground = kWhite;              // colour -> monochrome: this colour becomes white
    uint32_t destText = 0, destBackground = kWhite;  // monochrome -> colour
    bool destMono = false;

    bool Identity() const { return destW == srcW && destH == srcH && !flipX && !flipY; }

    uint32_t Convert(uint32_t value) const {
        if (surface->bitsPerPixel == 1) {
            if (destMono) return value;
            return value ? destBackground : destText;
        }
        if (destMono) return value == sourceBackground ? kWhite : 0;
        return value;
    }

    // Source column/row of a destination column/row (offset from the destination rectangle).
    int MapX(int dx) const {
        int s = static_cast<int>(static_cast<long long>(dx) * srcW / destW);
        return srcX + (flipX ? srcW - 1 - s : s);
    }
    int MapY(int dy) const {
        int s = static_cast<int>(static_cast<long long>(dy) * srcH / destH);
        return srcY + (flipY ? srcH - 1 - s : s);
    }

    uint32_t Read(int x, int y) const {
        x = std::clamp(x, 0, surface->width - 1);
        y = std::clamp(y, 0, surface->height - 1);
        return ReadPixel(*surface, x, y);
    }

    // Source values for destination row y, columns [x0, x1), converted to the destination's format.
    void Fetch(int y, int x0, int x1, uint32_t* out) const {
        if (Identity()) {
            int sy = srcY + (y - destY), sx = srcX + (x0 - destX);
            if (surface->bitsPerPixel == 32 && !destMono) {
                std::memcpy(out, surface->Row32(sy) + sx, static_cast<size_t>(x1 - x0) * 4);
                return;
            }
            for (int x = x0; x < x1; ++x)
                out[x - x0] = Convert(ReadPixel(*surface, sx + (x - x0), sy));
            return;
        }
        bool shrinkY = srcH > destH, shrinkX = srcW > destW;
        bool combine = (stretchMode == BLACKONWHITE || stretchMode == WHITEONBLACK) && (shrinkX || shrinkY);
        int dy = y - destY;
        int rowFirst = MapY(dy), rowLast = rowFirst;
        if (combine && shrinkY) {
            int a = static_cast<int>(static_cast<long long>(dy) * srcH / destH);
            int b = static_cast<int>(static_cast<long long>(dy + 1) * srcH / destH);
            rowFirst = srcY + (flipY ? srcH - b : a);
            rowLast = srcY + (flipY ? srcH - 1 - a : b - 1);
        }
        for (int x = x0; x < x1; ++x) {
            int dx = x - destX;
            if (!combine) {
                out[x - x0] = Convert(Read(MapX(dx), rowFirst));
                continue;
            }
            int colFirst = MapX(dx), colLast = colFirst;
            if (shrinkX) {
                int a = static_cast<int>(static_cast<long long>(dx) * srcW / destW);
                int b = static_cast<int>(static_cast<long long>(dx + 1) * srcW / destW);
                colFirst = srcX + (flipX ? srcW - b : a);
                colLast = srcX + (flipX ? srcW - 1 - a : b - 1);
            }
            // Eliminated pixels are ANDed (black wins) or ORed (white wins), as GDI does.
            uint32_t value = stretchMode == BLACKONWHITE ? kWhite : 0;
            for (int sy = rowFirst; sy <= rowLast; ++sy)
                for (int sx = colFirst; sx <= colLast; ++sx) {
                    uint32_t v = Read(sx, sy);
                    value = stretchMode == BLACKONWHITE ? (value & v) : (value | v);
                }
            out[x - x0] = Convert(value);
        }
    }
};

template <typename Op>
void RowOp(uint32_t* d, const uint32_t* s, const uint32_t* p, int n, Op op) {
    for (int i = 0; i < n; ++i)
        d[i] = op(p[i], s[i], d[i]) & kWhite;
}

void ApplyRow(unsigned index, uint32_t* d, const uint32_t* s, const uint32_t* p, int n) {
    switch (index) {
        case 0xCC:
            std::memcpy(d, s, static_cast<size_t>(n) * 4);
            return;
        case 0xEE:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t D) { return S | D; });
            return;
        case 0x88:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t D) { return S & D; });
            return;
        case 0x66:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t D) { return S ^ D; });
            return;
        case 0x44:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t D) { return S & ~D; });
            return;
        case 0x33:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t) { return ~S; });
            return;
        case 0x11:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t D) { return ~(S | D); });
            return;
        case 0xC0:
            RowOp(d, s, p, n, [](uint32_t P, uint32_t S, uint32_t) { return P & S; });
            return;
        case 0xBB:
            RowOp(d, s, p, n, [](uint32_t, uint32_t S, uint32_t D) { return ~S | D; });
            return;
        case 0xF0:
            std::memcpy(d, p, static_cast<size_t>(n) * 4);
            return;
        case 0xFB:
            RowOp(d, s, p, n, [](uint32_t P, uint32_t S, uint32_t D) { return P | ~S | D; });
            return;
        case 0x5A:
            RowOp(d, s, p, n, [](uint32_t P, uint32_t, uint32_t D) { return P ^ D; });
            return;
        case 0x55:
            RowOp(d, s, p, n, [](uint32_t, uint32_t, uint32_t D) { return ~D; });
            return;
        case 0x00:
            std::fill_n(d, n, 0u);
            return;
        case 0xFF:
            std::fill_n(d, n, kWhite);
            return;
        case 0xE2:
            RowOp(d, s, p, n, [](uint32_t P, uint32_t S, uint32_t D) { return ((P ^ D) & S) ^ D; });
            return;
        case 0xB8:
            RowOp(d, s, p, n, [](uint32_t P, uint32_t S, uint32_t D) { return ((P ^ D) & S) ^ P; });
            return;
        default:
            RowOp(d, s, p, n,
                  [index](uint32_t P, uint32_t S, uint32_t D) { return Ternary(index, P, S, D); });
            return;
    }
}

bool UsesSource(unsigned index) {
    return ((index >> 2) & 0x33) != (index & 0x33);
}
bool UsesPattern(unsigned index) {
    return ((index >> 4) & 0x0F) != (index & 0x0F);
}
bool UsesDestination(unsigned index) {
    return ((index >> 1) & 0x55) != (index & 0x55);
}

struct Transfer {
    DeviceContext* dest = nullptr;
    RECT destRect{};  // surface coordinates, normalized
    const Source* source = nullptr;
    unsigned foreground = 0xCC, background = 0xCC;
    const Surface* mask = nullptr;  // MaskBlt: bit 1 -> foreground, 0 -> background
    int maskX = 0, maskY = 0;       // mask pixel of destRect's top-left
    bool keyed = false;             // TransparentBlt: source pixels equal to key are skipped
    uint32_t key = 0;
    Paint pattern;
};

void Execute(const Transfer& t) {
    DeviceContext& dc = *t.dest;
    Surface& surface = *dc.surface;
    bool needSource = t.source && (UsesSource(t.foreground) || UsesSource(t.background) || t.keyed);
    bool needPattern = UsesPattern(t.foreground) || UsesPattern(t.background);
    bool mono = surface.bitsPerPixel == 1;
    bool direct = surface.bitsPerPixel == 32;  // others go pixel by pixel
    // Reading and writing one surface: take the source first so that overlapping parts copy correctly.
    std::unique_ptr<Surface> snapshot;
    Source localSource;
    const Source* source = t.source;
    if (needSource && source->surface == &surface) {
        RECT area{source->srcX, source->srcY, source->srcX + source->srcW, source->srcY + source->srcH};
        snapshot = MakeSurface(source->srcW, source->srcH, surface.bitsPerPixel);
        if (!snapshot) return;
        for (int y = 0; y < source->srcH; ++y) {
            if (!direct) {
                for (int x = 0; x < source->srcW; ++x)
                    WritePixel(*snapshot, x, y, ReadPixel(surface, area.left + x, area.top + y));
            } else {
                std::memcpy(snapshot->Row32(y), surface.Row32(area.top + y) + area.left,
                            static_cast<size_t>(source->srcW) * 4);
            }
        }
        localSource = *source;
        localSource.surface = snapshot.get();
        localSource.srcX = 0;
        localSource.srcY = 0;
        source = &localSource;
    }
    int width = t.destRect.right - t.destRect.left;
    if (width <= 0) return;
    std::vector<uint32_t> s(static_cast<size_t>(width)), p(static_cast<size_t>(width)),
        d(static_cast<size_t>(width)), original(static_cast<size_t>(width));
    if (needPattern && t.pattern.solid)
        std::fill(p.begin(), p.end(),
                  mono ? (IsNearerWhite(ToColorRef(t.pattern.color)) ? kWhite : 0) : t.pattern.color);
    bool simpleCopy = direct && !t.mask && !t.keyed && t.foreground == 0xCC && source && source->Identity() &&
                      source->surface->bitsPerPixel == 32;
    bool solidFill = direct && !t.mask && !needSource && (!needPattern || t.pattern.solid);
    for (const RECT& c : dc.effectiveClip.rects) {
        if (c.top >= t.destRect.bottom) break;
        RECT r;
        if (!IntersectRect(&r, &c, &t.destRect)) continue;
        int n = r.right - r.left;
        for (int y = r.top; y < r.bottom; ++y) {
            if (simpleCopy) {
                int sy = source->srcY + (y - source->destY), sx = source->srcX + (r.left - source->destX);
                std::memmove(surface.Row32(y) + r.left, source->surface->Row32(sy) + sx,
                             static_cast<size_t>(n) * 4);
                continue;
            }
            if (solidFill && !UsesDestination(t.foreground)) {
                uint32_t value = Ternary(t.foreground, t.pattern.color, 0, 0);
                std::fill_n(surface.Row32(y) + r.left, n, value);
                continue;
            }
            if (needSource) source->Fetch(y, r.left, r.right, s.data());
            if (needPattern && !t.pattern.solid) {
                for (int x = r.left; x < r.right; ++x) {
                    uint32_t v = t.pattern.At(x, y);
                    p[static_cast<size_t>(x - r.left)] =
                        mono ? (IsNearerWhite(ToColorRef(v)) ? kWhite : 0) : v;
                }
            }
            uint32_t* row;
            if (!direct) {
                for (int x = r.left; x < r.right; ++x)
                    d[static_cast<size_t>(x - r.left)] = ReadPixel(surface, x, y);
                row = d.data();
            } else {
                row = surface.Row32(y) + r.left;
            }
            if (t.mask || t.keyed) std::memcpy(original.data(), row, static_cast<size_t>(n) * 4);
            ApplyRow(t.foreground, row, s.data(), p.data(), n);
            if (t.mask) {
                std::vector<uint32_t> back(original.begin(), original.begin() + n);
                ApplyRow(t.background, back.data(), s.data(), p.data(), n);
                for (int i = 0; i < n; ++i) {
                    int mx = t.maskX + (r.left + i - t.destRect.left), my = t.maskY + (y - t.destRect.top);
                    bool bit = mx >= 0 && my >= 0 && mx < t.mask->width && my < t.mask->height &&
                               ReadPixel(*t.mask, mx, my);
                    if (!bit) row[i] = back[static_cast<size_t>(i)];
                }
            }
            if (t.keyed)
                for (int i = 0; i < n; ++i)
                    if ((s[static_cast<size_t>(i)] & kWhite) == t.key)
                        row[i] = original[static_cast<size_t>(i)];
            if (!direct)
                for (int x = r.left; x < r.right; ++x)
                    WritePixel(surface, x, y, d[static_cast<size_t>(x - r.left)]);
        }
    }
}

POINT ToSurfacePoint(const DeviceContext& dc, int x, int y) {
    POINT p = LogicalToDevice(dc, POINT{ClampCoordinate(x), ClampCoordinate(y)});
    return POINT{p.x + dc.surfaceOrigin.x, p.y + dc.surfaceOrigin.y};
}

// Sets up the source mapping from logical rectangles; false when nothing is to be done.
bool Prepare(DeviceContext& dest, int x, int y, int width, int height, DeviceContext* src, int xSrc, int ySrc,
             int srcWidth, int srcHeight, Source& source, RECT& destRect) {
    width = ClampCoordinate(width);
    height = ClampCoordinate(height);
    srcWidth = ClampCoordinate(srcWidth);
    srcHeight = ClampCoordinate(srcHeight);
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return false;
    POINT d = ToSurfacePoint(dest, x, y);
    destRect = RECT{d.x, d.y, d.x + width, d.y + height};
    bool flipDestX = width < 0, flipDestY = height < 0;
    if (flipDestX) std::swap(destRect.left, destRect.right), ++destRect.left, ++destRect.right;
    if (flipDestY) std::swap(destRect.top, destRect.bottom), ++destRect.top, ++destRect.bottom;
    source.destX = destRect.left;
    source.destY = destRect.top;
    source.destW = destRect.right - destRect.left;
    source.destH = destRect.bottom - destRect.top;
    source.destMono = dest.surface->bitsPerPixel == 1;
    source.destText = ToPixel(dest.textColor);
    source.destBackground = ToPixel(dest.bkColor);
    source.stretchMode = dest.stretchMode;
    if (!src) return true;
    POINT s = ToSurfacePoint(*src, xSrc, ySrc);
    RECT srcRect{s.x, s.y, s.x + srcWidth, s.y + srcHeight};
    bool flipSrcX = srcWidth < 0, flipSrcY = srcHeight < 0;
    if (flipSrcX) std::swap(srcRect.left, srcRect.right), ++srcRect.left, ++srcRect.right;
    if (flipSrcY) std::swap(srcRect.top, srcRect.bottom), ++srcRect.top, ++srcRect.bottom;
    source.surface = src->surface;
    source.srcX = srcRect.left;
    source.srcY = srcRect.top;
    source.srcW = srcRect.right - srcRect.left;
    source.srcH = srcRect.bottom - srcRect.top;
    source.flipX = flipDestX != flipSrcX;
    source.flipY = flipDestY != flipSrcY;
    source.sourceBackground = ToPixel(src->bkColor);
    if (source.Identity()) {
        // Unscaled: only the part of the source inside its surface is transferred.
        int left = std::max<int>(0, source.srcX), top = std::max<int>(0, source.srcY);
        int right = std::min<int>(src->surface->width, source.srcX + source.srcW);
        int bottom = std::min<int>(src->surface->height, source.srcY + source.srcH);
        if (left >= right || top >= bottom) return false;
        destRect = RECT{source.destX + (left - source.srcX), source.destY + (top - source.srcY),
                        source.destX + (right - source.srcX), source.destY + (bottom - source.srcY)};
        source.destX = destRect.left;
        source.destY = destRect.top;
        source.srcX = left;
        source.srcY = top;
        source.destW = source.srcW = right - left;
        source.destH = source.srcH = bottom - top;
    } else if (src->surface->width == 0 || src->surface->height == 0) {
        return false;
    }
    return true;
}

BOOL Blit(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc,
          int srcWidth, int srcHeight, DWORD rop, bool stretch) {
    DeviceContext* dest = DCOrFail(destHandle);
    if (!dest) return FALSE;
    unsigned index = (rop >> 16) & 0xFF;
    DeviceContext* src = nullptr;
    if (UsesSource(index)) {
        src = DCOrFail(srcHandle);
        if (!src) return FALSE;
    }
    if (!stretch) {
        srcWidth = width;
        srcHeight = height;
    }
    Source source;
    Transfer t;
    t.dest = dest;
    if (!Prepare(*dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, source, t.destRect))
        return TRUE;
    t.source = src ? &source : nullptr;
    t.foreground = t.background = index;
    if (UsesPattern(index)) t.pattern = BrushPaint(*dest, dest->brush);
    if (t.pattern.none) t.pattern = SolidPaint(0);
    Execute(t);
    return TRUE;
}

}  // namespace

}  // namespace win32::gdi

namespace win32 {

using namespace gdi;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
    return Blit(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop, false);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop) {
    return Blit(dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, rop, true);
}

BOOL MaskBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc,
             HBITMAP maskHandle, int xMask, int yMask, DWORD rop4) {
    if (!maskHandle) return BitBlt(destHandle, x, y, width, height, srcHandle, xSrc, ySrc, rop4 & 0x00FFFFFF);
    DeviceContext* dest = DCOrFail(destHandle);
    BitmapObject* mask = LookupBitmap(maskHandle);
    if (!dest) return FALSE;
    if (!mask || mask->surface->bitsPerPixel != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    unsigned fore = (rop4 >> 16) & 0xFF, back = (rop4 >> 24) & 0xFF;
    DeviceContext* src = nullptr;
    if (UsesSource(fore) || UsesSource(back)) {
        src = DCOrFail(srcHandle);
        if (!src) return FALSE;
    }
    if (width <= 0 || height <= 0) return TRUE;
    Source source;
    Transfer t;
    t.dest = dest;
    if (!Prepare(*dest, x, y, width, height, src, xSrc, ySrc, width, height, source, t.destRect)) return TRUE;
    POINT d = ToSurfacePoint(*dest, x, y);
    t.source = src ? &source : nullptr;
    t.foreground = fore;
    t.background = back;
    t.mask = mask->surface.get();
    t.maskX = xMask + (t.destRect.left - d.x);
    t.maskY = yMask + (t.destRect.top - d.y);
    t.pattern = BrushPaint(*dest, dest->brush);
    if (t.pattern.none) t.pattern = SolidPaint(0);
    Execute(t);
    return TRUE;
}

BOOL TransparentBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, UINT transparentColor) {
    DeviceContext* dest = DCOrFail(destHandle);
    DeviceContext* src = DCOrFail(srcHandle);
    if (!dest || !src) return FALSE;
    if (width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Source source;
    Transfer t;
    t.dest = dest;
    if (!Prepare(*dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, source, t.destRect))
        return TRUE;
    source.stretchMode = COLORONCOLOR;
    t.source = &source;
    t.keyed = true;
    // The key is compared after conversion to the destination's format.
    uint32_t key = ToPixel(transparentColor & 0x00FFFFFF);
    if (src->surface->bitsPerPixel == 1) key = IsNearerWhite(transparentColor) ? kWhite : 0;
    Source probe = source;
    probe.surface = src->surface;
    t.key = probe.Convert(key);
    Execute(t);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Bitmaps

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (width < 0 || height < 0 || planes != 1 ||
        (bitsPerPixel != 1 && bitsPerPixel != 32 && bitsPerPixel != 24)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (width == 0 || height == 0) {
        width = height = 1;
        bitsPerPixel = 1;
    }
    auto surface = MakeSurface(width, height, bitsPerPixel == 1 ? 1 : 32);
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HBITMAP bitmap = NewBitmap(std::move(surface), false);
    if (bits && bitmap) {
        // Device-dependent rows are WORD aligned.
        long long rowBits = static_cast<long long>(width) * bitsPerPixel;
        SetBitmapBits(bitmap, static_cast<DWORD>(((rowBits + 15) / 16) * 2 * height), bits);
    }
    return bitmap;
}

HBITMAP CreateBitmapIndirect(const BITMAP* bitmap) {
    if (!bitmap) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateBitmap(bitmap->bmWidth, bitmap->bmHeight, bitmap->bmPlanes, bitmap->bmBitsPixel,
                        bitmap->bmBits);
}

HBITMAP CreateCompatibleBitmap(HDC handle, int width, int height) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return nullptr;
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool mono = dc->isMemory && dc->surface && dc->surface->bitsPerPixel == 1;
    if (width == 0 || height == 0) return CreateBitmap(1, 1, 1, 1, nullptr);
    return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

LONG GetBitmapBits(HBITMAP handle, LONG size, void* bits) {
    BitmapObject* bitmap = LookupBitmap(handle);
    if (!bitmap || !bits || size < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Surface& s = *bitmap->surface;
    size_t rowBytes = static_cast<size_t>((static_cast<long long>(s.width) * s.bitsPerPixel + 15) / 16 * 2);
    auto* out = static_cast<uint8_t*>(bits);
    size_t written = 0;
    for (int y = 0; y < s.height && written + rowBytes <= static_cast<size_t>(size); ++y) {
        size_t copy = std::min(rowBytes, static_cast<size_t>(std::abs(s.stride)));
        std::memcpy(out + written, s.Row(y), copy);
        if (copy < rowBytes) std::memset(out + written + copy, 0, rowBytes - copy);
        written += rowBytes;
    }
    return static_cast<LONG>(written);
}

LONG SetBitmapBits(HBITMAP handle, DWORD size, const void* bits) {
    BitmapObject* bitmap = LookupBitmap(handle);
    if (!bitmap || !bits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Surface& s = *bitmap->surface;
    size_t rowBytes = static_cast<size_t>((static_cast<long long>(s.width) * s.bitsPerPixel + 15) / 16 * 2);
    const auto* in = static_cast<const uint8_t*>(bits);
    size_t read = 0;
    for (int y = 0; y < s.height && read + rowBytes <= size; ++y) {
        std::memcpy(s.Row(y), in + read, std::min(rowBytes, static_cast<size_t>(std::abs(s.stride))));
        if (s.bitsPerPixel == 32)
            for (int x = 0; x < s.width; ++x)
                s.Row32(y)[x] &= kWhite;
        read += rowBytes;
    }
    return static_cast<LONG>(read);
}

namespace {

// The header, masks and colour table of a caller's BITMAPINFO (trusted like Win32's).
bool CallerFormat(const BITMAPINFO* info, UINT usage, DibFormat& format) {
    if (!info || usage != DIB_RGB_COLORS) return false;
    size_t tableEntries =
        info->bmiHeader.biBitCount <= 8
            ? (info->bmiHeader.biClrUsed ? info->bmiHeader.biClrUsed : 1u << info->bmiHeader.biBitCount)
            : 0;
    if (tableEntries > 256) return false;
    size_t available = info->bmiHeader.biSize + 12 + tableEntries * 4;
    size_t used;
    return ParseDibHeader(reinterpret_cast<const uint8_t*>(info), available, format, used, nullptr);
}

size_t CallerDataSize(const BITMAPINFO* info, const DibFormat& format) {
    if (format.compression == BI_RLE8 || format.compression == BI_RLE4) return info->bmiHeader.biSizeImage;
    return DibRowBytes(format.width, format.bitsPerPixel) * static_cast<size_t>(format.height);
}

std::unique_ptr<Surface> DecodeCallerDib(const BITMAPINFO* info, UINT usage, const void* bits) {
    DibFormat format;
    if (!bits || !CallerFormat(info, usage, format)) return nullptr;
    auto surface = MakeSurface(format.width, format.height, 32);
    if (!surface) return nullptr;
    if (!DecodeDibPixels(format, static_cast<const uint8_t*>(bits), CallerDataSize(info, format), *surface,
                         nullptr))
        return nullptr;
    return surface;
}

// Draws a 32-bit surface onto a DC (the DIB-to-device calls) through a temporary memory DC.
int DrawSurface(HDC dc, std::unique_ptr<Surface> surface, int x, int y, int w, int h, int xSrc, int ySrc,
                int srcW, int srcH, DWORD rop) {
    int lines = surface->height;
    HBITMAP bitmap = NewBitmap(std::move(surface), false);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL ok = StretchBlt(dc, x, y, w, h, memory, xSrc, ySrc, srcW, srcH, rop);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return ok ? lines : 0;
}

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    DibFormat format;
    if (!CallerFormat(info, usage, format) ||
        (format.bitsPerPixel != 1 && format.bitsPerPixel != 24 && format.bitsPerPixel != 32) ||
        (format.bitsPerPixel == 32 && format.compression == BI_BITFIELDS &&
         (format.masks[0] != 0xFF0000 || format.masks[1] != 0xFF00 || format.masks[2] != 0xFF))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        if (bits) *bits = nullptr;
        return nullptr;
    }
    auto surface = MakeSurface(format.width, format.height, format.bitsPerPixel, format.bottomUp);
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        if (bits) *bits = nullptr;
        return nullptr;
    }
    void* pixels = surface->storage.get();
    HBITMAP bitmap = NewBitmap(std::move(surface), true);
    if (bits) *bits = bitmap ? pixels : nullptr;
    return bitmap;
}

HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
    if (!header) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int width = header->biWidth, height = std::abs(header->biHeight);
    HBITMAP bitmap = header->biBitCount == 1 ? CreateBitmap(width, height, 1, 1, nullptr)
                                             : (dc ? CreateCompatibleBitmap(dc, width, height)
                                                   : CreateBitmap(width, height, 1, 32, nullptr));
    if (bitmap && (init & CBM_INIT)) SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits, info, usage);
    return bitmap;
}

int SetDIBits(HDC, HBITMAP handle, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
    BitmapObject* bitmap = LookupBitmap(handle);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::unique_ptr<Surface> decoded = DecodeCallerDib(info, usage, bits);
    if (!decoded) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Surface& target = *bitmap->surface;
    bool bottomUp = info->bmiHeader.biHeight > 0;
    int count = 0;
    for (UINT line = start; line < start + lines && static_cast<int>(line) < decoded->height; ++line) {
        // Scan lines count from the bottom of a bottom-up DIB.
        int row = bottomUp ? decoded->height - 1 - static_cast<int>(line) : static_cast<int>(line);
        int targetRow = bottomUp ? target.height - 1 - static_cast<int>(line) : static_cast<int>(line);
        if (targetRow < 0 || targetRow >= target.height) continue;
        for (int x = 0; x < std::min(target.width, decoded->width); ++x)
            WritePixel(target, x, targetRow, decoded->Row32(row)[x]);
        ++count;
    }
    return count;
}

int GetDIBits(HDC, HBITMAP handle, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
    BitmapObject* bitmap = LookupBitmap(handle);
    if (!bitmap || !info || usage != DIB_RGB_COLORS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Surface& s = *bitmap->surface;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount == 0 || !bits) {
        if (h.biBitCount == 0) {
            h.biWidth = s.width;
            h.biHeight = s.height;
            h.biPlanes = 1;
            h.biBitCount = static_cast<WORD>(s.bitsPerPixel);
            h.biCompression = BI_RGB;
            h.biSizeImage = static_cast<DWORD>(DibRowBytes(s.width, s.bitsPerPixel) * s.height);
            return s.height;
        }
    }
    int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::vector<uint32_t> palette;
    if (bpp <= 8) {
        palette = ChoosePalette(s, bpp);
        for (size_t i = 0; i < palette.size(); ++i)
            info->bmiColors[i] = RGBQUAD{static_cast<BYTE>(palette[i]), static_cast<BYTE>(palette[i] >> 8),
                                         static_cast<BYTE>(palette[i] >> 16), 0};
    }
    bool bottomUp = h.biHeight >= 0;
    h.biWidth = s.width;
    h.biHeight = bottomUp ? s.height : -s.height;
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(DibRowBytes(s.width, bpp) * s.height);
    h.biClrUsed = 0;
    if (!bits) return s.height;
    std::vector<uint8_t> encoded = EncodeDibPixels(s, bpp, palette, bottomUp, false);
    size_t rowBytes = DibRowBytes(s.width, bpp);
    int count = 0;
    for (UINT line = start; line < start + lines && static_cast<int>(line) < s.height; ++line, ++count)
        std::memcpy(static_cast<uint8_t*>(bits) + (line - start) * rowBytes, encoded.data() + line * rowBytes,
                    rowBytes);
    return count;
}

int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
    std::unique_ptr<Surface> surface = DecodeCallerDib(info, usage, bits);
    if (!surface || !DCOrFail(dc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    (void)startScan;
    (void)lines;
    // Source y counts from the bottom of a bottom-up DIB.
    int top = info->bmiHeader.biHeight > 0 ? surface->height - ySrc - static_cast<int>(height) : ySrc;
    int w = static_cast<int>(std::min<DWORD>(width, kCoordinateLimit));
    int h = static_cast<int>(std::min<DWORD>(height, kCoordinateLimit));
    return DrawSurface(dc, std::move(surface), xDest, yDest, w, h, xSrc, top, w, h, SRCCOPY);
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
    std::unique_ptr<Surface> surface = DecodeCallerDib(info, usage, bits);
    if (!surface || !DCOrFail(dc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int top = info->bmiHeader.biHeight > 0 ? surface->height - ySrc - srcHeight : ySrc;
    return DrawSurface(dc, std::move(surface), xDest, yDest, destWidth, destHeight, xSrc, top, srcWidth,
                       srcHeight, rop);
}

}  // namespace win32
