// Rasterizers of the GDI shapes into span sets: shared by drawing and region creation so that a
// region of a shape covers exactly the pixels the shape paints.
#pragma once

#include <vector>

#include "gdi/raster.h"

namespace win32::gdi {

// The rows outside `limit` are skipped and spans are clamped to one pixel beyond it, so shapes of any
// size cost only what is visible.
struct Limit {
    int left, top, right, bottom;
    static Limit Everything() {
        return Limit{-kCoordinateLimit, -kCoordinateLimit, kCoordinateLimit, kCoordinateLimit};
    }
};

// The ellipse inscribed in the box (right/bottom excluded): pixel centres inside the ellipse whose
// axes are the box's width and height, centred on the box's middle pixel.
void EllipseSpans(int left, int top, int right, int bottom, const Limit& limit, SpanSet& out);
void RoundRectSpans(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight,
                    const Limit& limit, SpanSet& out);
// Pixel centres inside the polygons by the fill mode; right and bottom edges excluded.
void PolygonSpans(const std::vector<std::vector<POINT>>& polygons, int fillMode, const Limit& limit,
                  SpanSet& out);
// Pixels within width/2 of the segment (a wide line with round ends).
void CapsuleSpans(int x0, int y0, int x1, int y1, int width, const Limit& limit, SpanSet& out);
// The pixels of `filled` that have a 4-neighbour outside it.
SpanSet OutlineOf(const SpanSet& filled);

// The pixels of a thin line from (x0, y0) to (x1, y1), the end point excluded, in drawing order:
// plot(x, y, index along the line). Steps outside `limit` along the major axis are skipped.
template <typename F>
void BresenhamLine(int x0, int y0, int x1, int y1, const Limit& limit, F&& plot) {
    long long dx = static_cast<long long>(x1) - x0, dy = static_cast<long long>(y1) - y0;
    long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    bool xMajor = adx >= ady;
    long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    if (major == 0) return;
    long long start = xMajor ? x0 : y0;
    int step = xMajor ? sx : sy;
    long long low = xMajor ? limit.left - 1 : limit.top - 1, high = xMajor ? limit.right : limit.bottom;
    // Index range whose major coordinate lies within [low, high].
    long long first = 0, last = major - 1;
    if (step > 0) {
        first = std::max(first, low - start);
        last = std::min(last, high - start);
    } else {
        first = std::max(first, start - high);
        last = std::min(last, start - low);
    }
    if (first > last) return;
    // The minor offset at step i is floor(i * minor / major + 1/2).
    long long err = major + 2 * minor * first;
    long long minorOffset = err / (2 * major);
    err %= 2 * major;
    long long a = start + step * first;
    long long b = (xMajor ? y0 : x0) + (xMajor ? sy : sx) * minorOffset;
    int minorStep = xMajor ? sy : sx;
    for (long long i = first; i <= last; ++i) {
        if (xMajor)
            plot(static_cast<int>(a), static_cast<int>(b), i);
        else
            plot(static_cast<int>(b), static_cast<int>(a), i);
        a += step;
        err += 2 * minor;
        if (err >= 2 * major) {
            err -= 2 * major;
            b += minorStep;
        }
    }
}

}  // namespace win32::gdi
