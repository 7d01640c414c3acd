// Pixels, lines, closed shapes, rectangle fills, flood fills and region painting.
#include <cmath>
#include <numbers>

#include "gdi/raster.h"
#include "gdi/shapes.h"
#include "win32/kernel.h"

namespace win32::gdi {

namespace {

struct PenInfo {
    bool none = false;
    uint32_t color = 0;
    int width = 1;
    UINT kind = PS_SOLID;
};

PenInfo ResolvePen(const DeviceContext& dc) {
    PenInfo info;
    PenObject* pen = LookupPen(dc.pen);
    if (!pen) {
        info.none = true;
        return info;
    }
    info.kind = pen->style & PS_STYLE_MASK;
    info.none = info.kind == PS_NULL;
    info.width = std::max(pen->width, 1);
    info.color = ToPixel(dc.pen == GetStockObject(DC_PEN) ? dc.dcPenColor : pen->color);
    return info;
}

POINT ToSurface(const DeviceContext& dc, int x, int y) {
    POINT p = LogicalToDevice(dc, POINT{ClampCoordinate(x), ClampCoordinate(y)});
    return POINT{p.x + dc.surfaceOrigin.x, p.y + dc.surfaceOrigin.y};
}

RECT ToSurfaceRect(const DeviceContext& dc, int left, int top, int right, int bottom) {
    POINT a = ToSurface(dc, left, top), b = ToSurface(dc, right, bottom);
    return RECT{a.x, a.y, b.x, b.y};
}

RECT Normalized(RECT r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

Limit ClipLimit(const DeviceContext& dc) {
    const RECT& e = dc.effectiveClip.extents;
    return Limit{e.left, e.top, e.right, e.bottom};
}

// On/off run lengths of the cosmetic pen styles.
const std::vector<int>* StylePattern(UINT kind) {
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3},
        alternate{1, 1};
    switch (kind) {
        case PS_DASH:
            return &dash;
        case PS_DOT:
            return &dot;
        case PS_DASHDOT:
            return &dashDot;
        case PS_DASHDOTDOT:
            return &dashDotDot;
        case PS_ALTERNATE:
            return &alternate;
        default:
            return nullptr;
    }
}

void ThinLine(DeviceContext& dc, POINT a, POINT b, const PenInfo& pen, long long& styleIndex) {
    const std::vector<int>* style = pen.width <= 1 ? StylePattern(pen.kind) : nullptr;
    Limit limit = ClipLimit(dc);
    long long length = std::max(std::llabs(static_cast<long long>(b.x) - a.x),
                                std::llabs(static_cast<long long>(b.y) - a.y));
    if (!style) {
        BresenhamLine(a.x, a.y, b.x, b.y, limit,
                      [&](int x, int y, long long) { PlotPixel(dc, x, y, pen.color, dc.rop2); });
    } else {
        int total = 0;
        for (int run : *style)
            total += run;
        uint32_t back = ToPixel(dc.bkColor);
        bool opaque = dc.bkMode == OPAQUE;
        long long base = styleIndex;
        BresenhamLine(a.x, a.y, b.x, b.y, limit, [&](int x, int y, long long i) {
            int position = static_cast<int>((base + i) % total);
            size_t segment = 0;
            while (position >= (*style)[segment])
                position -= (*style)[segment++];
            if (segment % 2 == 0)
                PlotPixel(dc, x, y, pen.color, dc.rop2);
            else if (opaque)
                PlotPixel(dc, x, y, back, dc.rop2);
        });
    }
    styleIndex += length;
}

// A connected path of segments with the current pen (points in surface coordinates).
void StrokePath(DeviceContext& dc, const std::vector<POINT>& points, bool closed) {
    PenInfo pen = ResolvePen(dc);
    if (pen.none || points.empty()) return;
    size_t segments = closed ? points.size() : points.size() - 1;
    if (pen.width <= 1) {
        long long styleIndex = 0;
        for (size_t i = 0; i < segments; ++i)
            ThinLine(dc, points[i], points[(i + 1) % points.size()], pen, styleIndex);
        return;
    }
    SpanSet spans;
    Limit limit = ClipLimit(dc);
    for (size_t i = 0; i < segments; ++i) {
        POINT a = points[i], b = points[(i + 1) % points.size()];
        CapsuleSpans(a.x, a.y, b.x, b.y, pen.width, limit, spans);
    }
    if (points.size() == 1)
        CapsuleSpans(points[0].x, points[0].y, points[0].x, points[0].y, pen.width, limit, spans);
    Paint paint;
    paint.color = pen.color;
    spans.Paint(dc, paint, dc.rop2);
}

// Fill and outline of a closed shape given as spans; the outline is painted over the fill.
void PaintShape(DeviceContext& dc, SpanSet& interior, SpanSet& outline) {
    Paint brush = BrushPaint(dc, dc.brush);
    interior.Subtract(outline);
    interior.Paint(dc, brush, dc.rop2);
    PenInfo pen = ResolvePen(dc);
    if (pen.none) return;
    Paint paint;
    paint.color = pen.color;
    outline.Paint(dc, paint, dc.rop2);
}

enum class Curve { Ellipse, RoundRect };

// Filled and outline spans of an ellipse or round rectangle with the pen's width rules.
void CurvedShape(DeviceContext& dc, Curve curve, RECT box, int ew, int eh, SpanSet& interior,
                 SpanSet& outline) {
    PenInfo pen = ResolvePen(dc);
    Limit limit = ClipLimit(dc);
    auto shape = [&](RECT r, int shrink, SpanSet& out) {
        if (r.left >= r.right || r.top >= r.bottom) return;
        if (curve == Curve::Ellipse)
            EllipseSpans(r.left, r.top, r.right, r.bottom, limit, out);
        else
            RoundRectSpans(r.left, r.top, r.right, r.bottom, ew - 2 * shrink, eh - 2 * shrink, limit, out);
    };
    if (pen.none) {
        // Without a pen the figure is one pixel smaller, as in Win32.
        shape(RECT{box.left, box.top, box.right - 1, box.bottom - 1}, 0, interior);
        return;
    }
    if (pen.width <= 1) {
        shape(box, 0, interior);
        outline = OutlineOf(interior);
        return;
    }
    int outward = pen.kind == PS_INSIDEFRAME ? 0 : pen.width / 2;
    int inward = pen.width - outward;
    shape(RECT{box.left - outward, box.top - outward, box.right + outward, box.bottom + outward}, -outward,
          outline);
    shape(RECT{box.left + inward, box.top + inward, box.right - inward, box.bottom - inward}, inward,
          interior);
    outline.Subtract(interior);
}

template <typename Keep>
SpanSet FilterSpans(SpanSet& spans, Keep keep) {
    SpanSet out;
    Region region = spans.ToRegion();
    for (const RECT& r : region.rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (keep(x, y)) out.Add(y, x, x + 1);
    return out;
}

enum class ArcKind { Arc, Pie, Chord };

BOOL DrawArc(HDC handle, ArcKind kind, int left, int top, int right, int bottom, int xs, int ys, int xe,
             int ye) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    RECT box = Normalized(ToSurfaceRect(*dc, left, top, right, bottom));
    POINT start = ToSurface(*dc, xs, ys), end = ToSurface(*dc, xe, ye);
    if (box.right - box.left < 2 || box.bottom - box.top < 2) return TRUE;
    double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
    double a = (box.right - box.left - 1) / 2.0, b = (box.bottom - box.top - 1) / 2.0;
    auto angleOf = [&](double x, double y) {
        double angle = std::atan2(-(y - cy), x - cx);
        return angle < 0 ? angle + 2 * std::numbers::pi : angle;
    };
    double startAngle = angleOf(start.x, start.y), endAngle = angleOf(end.x, end.y);
    double sweep = endAngle - startAngle;
    if (sweep <= 0) sweep += 2 * std::numbers::pi;
    auto onArc = [&](double x, double y) {
        if (x == cx && y == cy) return kind == ArcKind::Pie;
        double d = angleOf(x, y) - startAngle;
        if (d < 0) d += 2 * std::numbers::pi;
        return d <= sweep + 1e-9;
    };
    auto radialPoint = [&](POINT p) {
        double dx = p.x - cx, dy = p.y - cy;
        if (dx == 0 && dy == 0) dx = 1;
        double t = 1.0 / std::sqrt((dx / a) * (dx / a) + (dy / b) * (dy / b));
        return POINT{static_cast<LONG>(std::lround(cx + t * dx)),
                     static_cast<LONG>(std::lround(cy + t * dy))};
    };
    POINT p1 = radialPoint(start), p2 = radialPoint(end);

    SpanSet interior, outline;
    CurvedShape(*dc, Curve::Ellipse, box, 0, 0, interior, outline);
    if (kind != ArcKind::Arc) interior.Subtract(outline);
    SpanSet arcPixels = FilterSpans(outline, [&](int x, int y) { return onArc(x, y); });
    PenInfo pen = ResolvePen(*dc);
    Paint penPaint;
    penPaint.color = pen.color;
    if (kind == ArcKind::Arc) {
        if (!pen.none) arcPixels.Paint(*dc, penPaint, dc->rop2);
        return TRUE;
    }
    SpanSet fill;
    if (kind == ArcKind::Pie) {
        fill = FilterSpans(interior, [&](int x, int y) { return onArc(x, y); });
    } else {
        // The side of the chord line that holds the arc.
        double mid = startAngle + sweep / 2;
        double mx = cx + a * std::cos(mid), my = cy - b * std::sin(mid);
        auto side = [&](double x, double y) {
            return (p2.x - p1.x) * (y - p1.y) - (p2.y - p1.y) * (x - p1.x);
        };
        double arcSide = side(mx, my);
        fill = FilterSpans(interior, [&](int x, int y) { return side(x, y) * arcSide >= 0; });
    }
    fill.Paint(*dc, BrushPaint(*dc, dc->brush), dc->rop2);
    if (pen.none) return TRUE;
    arcPixels.Paint(*dc, penPaint, dc->rop2);
    POINT centre{static_cast<LONG>(std::lround(cx)), static_cast<LONG>(std::lround(cy))};
    if (kind == ArcKind::Pie)
        StrokePath(*dc, {p2, centre, p1}, false);
    else
        StrokePath(*dc, {p2, p1}, false);
    return TRUE;
}

HBRUSH ResolveBrushHandle(HBRUSH brush) {
    UINT_PTR value = HandleValue(brush);
    if (value >= 1 && value <= static_cast<UINT_PTR>(SYSTEM_COLOR_COUNT))
        return GetSysColorBrush(static_cast<int>(value - 1));
    return brush;
}

// Region in logical coordinates of the DC -> surface coordinates.
Region RegionOnSurface(const DeviceContext& dc, const Region& region) {
    Region r = region;
    r.Offset(dc.viewportOrg.x - dc.windowOrg.x + dc.surfaceOrigin.x,
             dc.viewportOrg.y - dc.windowOrg.y + dc.surfaceOrigin.y);
    return r;
}

void FillRegion(DeviceContext& dc, const Region& region, const Paint& paint, int rop2) {
    for (const RECT& r : region.rects)
        FillClippedRect(dc, r, paint, rop2);
}

}  // namespace

}  // namespace win32::gdi

namespace win32 {

using namespace gdi;

COLORREF SetPixel(HDC handle, int x, int y, COLORREF color) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return CLR_INVALID;
    POINT p = ToSurface(*dc, x, y);
    if (!dc->effectiveClip.Contains(p.x, p.y)) return CLR_INVALID;
    WritePixel(*dc->surface, p.x, p.y, ToPixel(color));
    return ToColorRef(ReadPixel(*dc->surface, p.x, p.y));
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF color) {
    return SetPixel(dc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC handle, int x, int y) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return CLR_INVALID;
    POINT p = ToSurface(*dc, x, y);
    if (!dc->effectiveClip.Contains(p.x, p.y)) return CLR_INVALID;
    return ToColorRef(ReadPixel(*dc->surface, p.x, p.y));
}

BOOL MoveToEx(HDC handle, int x, int y, POINT* previous) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    if (previous) *previous = dc->currentPosition;
    dc->currentPosition = POINT{ClampCoordinate(x), ClampCoordinate(y)};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC handle, POINT* position) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !position) return FALSE;
    *position = dc->currentPosition;
    return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    POINT from = ToSurface(*dc, dc->currentPosition.x, dc->currentPosition.y);
    POINT to = ToSurface(*dc, x, y);
    StrokePath(*dc, {from, to}, false);
    dc->currentPosition = POINT{ClampCoordinate(x), ClampCoordinate(y)};
    return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    if (!points || count < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<POINT> path;
    for (int i = 0; i < count; ++i)
        path.push_back(ToSurface(*dc, points[i].x, points[i].y));
    StrokePath(*dc, path, false);
    return TRUE;
}

BOOL PolylineTo(HDC handle, const POINT* points, DWORD count) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    if (!points && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (count == 0) return TRUE;
    std::vector<POINT> path{ToSurface(*dc, dc->currentPosition.x, dc->currentPosition.y)};
    for (DWORD i = 0; i < count; ++i)
        path.push_back(ToSurface(*dc, points[i].x, points[i].y));
    StrokePath(*dc, path, false);
    dc->currentPosition = POINT{ClampCoordinate(points[count - 1].x), ClampCoordinate(points[count - 1].y)};
    return TRUE;
}

BOOL PolyPolygon(HDC handle, const POINT* points, const INT* counts, int polygons) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    if (!points || !counts || polygons <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::vector<POINT>> list;
    const POINT* p = points;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 2) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        std::vector<POINT> poly;
        for (int k = 0; k < counts[i]; ++k, ++p)
            poly.push_back(ToSurface(*dc, p->x, p->y));
        list.push_back(std::move(poly));
    }
    SpanSet fill;
    PolygonSpans(list, dc->polyFillMode, ClipLimit(*dc), fill);
    fill.Paint(*dc, BrushPaint(*dc, dc->brush), dc->rop2);
    for (const auto& poly : list)
        StrokePath(*dc, poly, true);
    return TRUE;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    return PolyPolygon(dc, points, &count, 1);
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    RECT r = Normalized(ToSurfaceRect(*dc, left, top, right, bottom));
    PenInfo pen = ResolvePen(*dc);
    Paint brush = BrushPaint(*dc, dc->brush);
    if (pen.none) {
        FillClippedRect(*dc, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, brush, dc->rop2);
        return TRUE;
    }
    if (r.right - r.left < 1 || r.bottom - r.top < 1) return TRUE;
    Paint penPaint;
    penPaint.color = pen.color;
    if (pen.width <= 1 && StylePattern(pen.kind)) {
        FillClippedRect(*dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, brush, dc->rop2);
        StrokePath(
            *dc, {{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}},
            true);
        return TRUE;
    }
    if (pen.width <= 1 || pen.kind == PS_INSIDEFRAME) {
        // A frame of the pen's width inside the rectangle, clamped to half its size.
        int w = std::min({pen.width, (r.right - r.left + 1) / 2, (r.bottom - r.top + 1) / 2});
        w = std::max(w, 1);
        RECT inner{r.left + w, r.top + w, r.right - w, r.bottom - w};
        FillClippedRect(*dc, inner, brush, dc->rop2);
        FillClippedRect(*dc, RECT{r.left, r.top, r.right, std::min(r.top + w, r.bottom)}, penPaint, dc->rop2);
        if (r.bottom - w > r.top + w) {
            FillClippedRect(*dc, RECT{r.left, r.bottom - w, r.right, r.bottom}, penPaint, dc->rop2);
            FillClippedRect(*dc, RECT{r.left, r.top + w, std::min(r.left + w, r.right), r.bottom - w},
                            penPaint, dc->rop2);
            if (r.right - w > r.left + w)
                FillClippedRect(*dc, RECT{r.right - w, r.top + w, r.right, r.bottom - w}, penPaint, dc->rop2);
        }
        return TRUE;
    }
    SpanSet outline, interior;
    Limit limit = ClipLimit(*dc);
    POINT corners[4] = {
        {r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    for (int i = 0; i < 4; ++i)
        CapsuleSpans(corners[i].x, corners[i].y, corners[(i + 1) % 4].x, corners[(i + 1) % 4].y, pen.width,
                     limit, outline);
    for (int y = std::max<int>(r.top, limit.top - 1); y < std::min<int>(r.bottom - 1, limit.bottom + 1); ++y)
        interior.Add(y, std::max<int>(r.left, limit.left - 1), std::min<int>(r.right - 1, limit.right + 1));
    PaintShape(*dc, interior, outline);
    return TRUE;
}

BOOL RoundRect(HDC handle, int left, int top, int right, int bottom, int ew, int eh) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    RECT r = Normalized(ToSurfaceRect(*dc, left, top, right, bottom));
    SpanSet interior, outline;
    CurvedShape(*dc, Curve::RoundRect, r, ClampCoordinate(ew), ClampCoordinate(eh), interior, outline);
    PaintShape(*dc, interior, outline);
    return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    RECT r = Normalized(ToSurfaceRect(*dc, left, top, right, bottom));
    SpanSet interior, outline;
    CurvedShape(*dc, Curve::Ellipse, r, 0, 0, interior, outline);
    PaintShape(*dc, interior, outline);
    return TRUE;
}

BOOL Arc(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return DrawArc(dc, ArcKind::Arc, l, t, r, b, xs, ys, xe, ye);
}
BOOL Pie(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return DrawArc(dc, ArcKind::Pie, l, t, r, b, xs, ys, xe, ye);
}
BOOL Chord(HDC dc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return DrawArc(dc, ArcKind::Chord, l, t, r, b, xs, ys, xe, ye);
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    // No brush paints with the one selected into the DC, as Win32 does.
    brush = brush ? ResolveBrushHandle(brush) : dc->brush;
    BrushObject* object = LookupBrush(brush);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    RECT r = ToSurfaceRect(*dc, rect->left, rect->top, rect->right, rect->bottom);
    FillClippedRect(*dc, r, BrushPaint(*dc, brush, object), R2_COPYPEN);
    return TRUE;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    brush = ResolveBrushHandle(brush);
    if (!LookupBrush(brush)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    RECT r = ToSurfaceRect(*dc, rect->left, rect->top, rect->right, rect->bottom);
    if (r.right <= r.left || r.bottom <= r.top) return TRUE;
    Paint paint = BrushPaint(*dc, brush);
    FillClippedRect(*dc, RECT{r.left, r.top, r.right, r.top + 1}, paint, R2_COPYPEN);
    if (r.bottom - r.top > 1)
        FillClippedRect(*dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, paint, R2_COPYPEN);
    FillClippedRect(*dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, paint, R2_COPYPEN);
    if (r.right - r.left > 1)
        FillClippedRect(*dc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, paint, R2_COPYPEN);
    return TRUE;
}

BOOL InvertRect(HDC handle, const RECT* rect) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    RECT r = ToSurfaceRect(*dc, rect->left, rect->top, rect->right, rect->bottom);
    FillClippedRect(*dc, r, SolidPaint(0), R2_NOT);
    return TRUE;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    unsigned index = (rop >> 16) & 0xFF;
    // Operations that read the source cannot be done without one.
    if (((index >> 2) & 0x33) != (index & 0x33)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int code = (index & 1) | ((index >> 1) & 1) << 1 | ((index >> 4) & 1) << 2 | ((index >> 5) & 1) << 3;
    RECT r = Normalized(ToSurfaceRect(*dc, x, y, static_cast<int>(static_cast<long long>(x) + width),
                                      static_cast<int>(static_cast<long long>(y) + height)));
    bool usesPattern = ((index >> 4) & 0x0F) != (index & 0x0F);
    Paint paint = usesPattern ? BrushPaint(*dc, dc->brush) : SolidPaint(0);
    FillClippedRect(*dc, r, paint, code + 1);
    return TRUE;
}

BOOL ExtFloodFill(HDC handle, int x, int y, COLORREF color, UINT type) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    POINT p = ToSurface(*dc, x, y);
    if (!dc->effectiveClip.Contains(p.x, p.y)) return FALSE;
    Surface& s = *dc->surface;
    uint32_t target = ToPixel(color);
    if (s.bitsPerPixel == 1) target = IsNearerWhite(color) ? 0xFFFFFF : 0;
    auto fillable = [&](int px, int py) {
        uint32_t value = ReadPixel(s, px, py);
        return type == FLOODFILLSURFACE ? value == target : value != target;
    };
    if (!fillable(p.x, p.y)) return FALSE;
    const RECT& e = dc->effectiveClip.extents;
    int w = e.right - e.left, h = e.bottom - e.top;
    std::vector<uint8_t> seen(static_cast<size_t>(w) * h);
    auto inside = [&](int px, int py) {
        return px >= e.left && px < e.right && py >= e.top && py < e.bottom &&
               !seen[static_cast<size_t>(py - e.top) * w + (px - e.left)] &&
               dc->effectiveClip.Contains(px, py) && fillable(px, py);
    };
    SpanSet spans;
    std::vector<POINT> stack{p};
    while (!stack.empty()) {
        POINT q = stack.back();
        stack.pop_back();
        if (!inside(q.x, q.y)) continue;
        int l = q.x, r = q.x;
        while (inside(l - 1, q.y))
            --l;
        while (inside(r + 1, q.y))
            ++r;
        for (int i = l; i <= r; ++i)
            seen[static_cast<size_t>(q.y - e.top) * w + (i - e.left)] = 1;
        spans.Add(q.y, l, r + 1);
        for (int ny : {q.y - 1, q.y + 1}) {
            for (int i = l; i <= r; ++i)
                if (inside(i, ny) && (i == l || !inside(i - 1, ny))) stack.push_back(POINT{i, ny});
        }
    }
    spans.Paint(*dc, BrushPaint(*dc, dc->brush), R2_COPYPEN);
    return TRUE;
}

BOOL FloodFill(HDC dc, int x, int y, COLORREF color) {
    return ExtFloodFill(dc, x, y, color, FLOODFILLBORDER);
}

BOOL FillRgn(HDC handle, HRGN region, HBRUSH brush) {
    DeviceContext* dc = DCOrFail(handle);
    const Region* r = LookupRegion(region);
    brush = ResolveBrushHandle(brush);
    if (!dc || !r || !LookupBrush(brush)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FillRegion(*dc, RegionOnSurface(*dc, *r), BrushPaint(*dc, brush), R2_COPYPEN);
    return TRUE;
}

BOOL PaintRgn(HDC handle, HRGN region) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    return FillRgn(handle, region, dc->brush);
}

BOOL InvertRgn(HDC handle, HRGN region) {
    DeviceContext* dc = DCOrFail(handle);
    const Region* r = LookupRegion(region);
    if (!dc || !r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FillRegion(*dc, RegionOnSurface(*dc, *r), SolidPaint(0), R2_NOT);
    return TRUE;
}

BOOL FrameRgn(HDC handle, HRGN region, HBRUSH brush, int width, int height) {
    DeviceContext* dc = DCOrFail(handle);
    const Region* r = LookupRegion(region);
    brush = ResolveBrushHandle(brush);
    if (!dc || !r || !LookupBrush(brush)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (width <= 0 || height <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    width = std::min(width, kCoordinateLimit);
    height = std::min(height, kCoordinateLimit);
    Region eroded = *r;
    for (auto [dx, dy] :
         {std::pair{width, 0}, std::pair{-width, 0}, std::pair{0, height}, std::pair{0, -height}}) {
        Region shifted = *r;
        shifted.Offset(dx, dy);
        eroded = CombineRegions(eroded, shifted, RGN_AND);
    }
    Region frame = CombineRegions(*r, eroded, RGN_DIFF);
    FillRegion(*dc, RegionOnSurface(*dc, frame), BrushPaint(*dc, brush), R2_COPYPEN);
    return TRUE;
}

}  // namespace win32
