// The raster core: filling clipped horizontal spans with a colour or pattern under a mix mode, and
// evaluating ternary raster operations. Everything works in surface coordinates.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gdi/gdi_objects.h"

namespace win32::gdi {

// What a fill paints: nothing, a solid colour, or a pattern repeated from an origin. Pattern words
// are surface colours; `patternOpaque` (when not empty) marks pixels that are painted at all, for
// hatches in TRANSPARENT mode.
struct Paint {
    bool none = false;
    bool solid = true;
    uint32_t color = 0;
    int patternWidth = 0;
    int patternHeight = 0;
    std::vector<uint32_t> pattern;
    std::vector<uint8_t> patternOpaque;
    int originX = 0;  // surface coordinates of pattern pixel (0, 0)
    int originY = 0;

    uint32_t At(int x, int y) const;
};

// The paint of a brush in a DC (hatch background and monochrome patterns take the DC colours).
Paint BrushPaint(const DeviceContext& dc, HBRUSH brush);
Paint BrushPaint(const DeviceContext& dc, HBRUSH handle, const BrushObject* brush);
Paint SolidPaint(COLORREF color);

// Binary raster operation `rop2` (R2_*) on pen/brush `p` and destination `d`.
constexpr uint32_t Mix(int rop2, uint32_t p, uint32_t d) {
    const unsigned code = static_cast<unsigned>(rop2 - 1) & 15;
    uint32_t result = 0;
    if (code & 1) result |= ~p & ~d;
    if (code & 2) result |= ~p & d;
    if (code & 4) result |= p & ~d;
    if (code & 8) result |= p & d;
    return result & 0x00FFFFFF;
}

// Ternary raster operation index (bits of the rop's third byte) on pattern, source and destination.
constexpr uint32_t Ternary(unsigned index, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t result = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (!(index & (1u << bit))) continue;
        uint32_t term = ((bit & 4) ? p : ~p) & ((bit & 2) ? s : ~s) & ((bit & 1) ? d : ~d);
        result |= term;
    }
    return result & 0x00FFFFFF;
}

// Fills [x0, x1) of row y (already clipped) on any surface.
void FillSpan(Surface& surface, int y, int x0, int x1, const Paint& paint, int rop2);
// Fills the part of `rect` (surface coordinates) inside the clip.
void FillClippedRect(DeviceContext& dc, const RECT& rect, const Paint& paint, int rop2);
// Fills the span [x0, x1) of row y inside the clip.
void FillClippedSpan(DeviceContext& dc, int y, int x0, int x1, const Paint& paint, int rop2);
// One pixel, clip tested.
void PlotPixel(DeviceContext& dc, int x, int y, uint32_t color, int rop2);

uint32_t ReadPixel(const Surface& surface, int x, int y);
void WritePixel(Surface& surface, int x, int y, uint32_t color);

// Calls f(left, right) for every part of [x0, x1) on row y inside the region.
template <typename F>
void ForEachSpanInRegion(const Region& region, int y, int x0, int x1, F&& f) {
    const auto& rects = region.rects;
    auto it = std::partition_point(rects.begin(), rects.end(), [y](const RECT& r) { return r.bottom <= y; });
    for (; it != rects.end() && it->top <= y; ++it) {
        if (it->right <= x0) continue;
        if (it->left >= x1) break;
        f(std::max<int>(x0, it->left), std::min<int>(x1, it->right));
    }
}

// Spans of a shape collected per row, merged so that overlapping parts are painted once (XOR pens).
class SpanSet {
public:
    void Add(int y, int x0, int x1);
    void Paint(DeviceContext& dc, const gdi::Paint& paint, int rop2);
    bool Empty() const { return rows_.empty(); }
    // Subtracts `other` (used to keep the interior from overpainting the outline).
    void Subtract(const SpanSet& other);
    Region ToRegion() const;

private:
    struct Span {
        int y, x0, x1;
    };
    void Normalize();
    std::vector<Span> rows_;
    bool normalized_ = true;
};

// Region coordinate safety: coordinates passed in from callers are clamped to this range so that
// arithmetic on them cannot overflow.
inline constexpr int kCoordinateLimit = 1 << 27;
inline int ClampCoordinate(long long v) {
    return static_cast<int>(std::clamp<long long>(v, -kCoordinateLimit, kCoordinateLimit));
}

}  // namespace win32::gdi
