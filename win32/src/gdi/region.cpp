// Regions as y-x banded rectangle lists, their boolean combination, and the rectangle helpers.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "gdi/gdi_objects.h"
#include "gdi/raster.h"
#include "gdi/shapes.h"
#include "win32/kernel.h"

namespace win32::gdi {

namespace {

using Intervals = std::vector<std::pair<int, int>>;

// Appends a band, merging it into the previous one when they touch and have the same spans.
void AppendBand(std::vector<RECT>& out, size_t& previousStart, int top, int bottom, const Intervals& spans) {
    if (spans.empty()) return;
    if (previousStart < out.size() && out[previousStart].bottom == top &&
        out.size() - previousStart == spans.size()) {
        bool same = true;
        for (size_t i = 0; i < spans.size() && same; ++i)
            same = out[previousStart + i].left == spans[i].first &&
                   out[previousStart + i].right == spans[i].second;
        if (same) {
            for (size_t i = previousStart; i < out.size(); ++i)
                out[i].bottom = bottom;
            return;
        }
    }
    previousStart = out.size();
    for (auto& [l, r] : spans)
        out.push_back(RECT{l, top, r, bottom});
}

void Finish(Region& region) {
    if (region.rects.empty()) {
        region.extents = RECT{0, 0, 0, 0};
        return;
    }
    RECT e = region.rects.front();
    for (const RECT& r : region.rects) {
        e.left = std::min(e.left, r.left);
        e.right = std::max(e.right, r.right);
    }
    e.top = region.rects.front().top;
    e.bottom = region.rects.back().bottom;
    region.extents = e;
}

// Whether a point lies in the result, from whether it lies in either operand.
bool Inside(int mode, bool inA, bool inB) {
    switch (mode) {
        case RGN_AND:
            return inA && inB;
        case RGN_OR:
            return inA || inB;
        case RGN_XOR:
            return inA != inB;
        case RGN_DIFF:
            return inA && !inB;
        default:
            return inA;
    }
}

int LeftOf(const RECT& r) {
    return r.left;
}
int RightOf(const RECT& r) {
    return r.right;
}
int LeftOf(const std::pair<int, int>& span) {
    return span.first;
}
int RightOf(const std::pair<int, int>& span) {
    return span.second;
}

// Boolean combination of two sorted, disjoint span lists (one band's rectangles, or intervals).
// One pass over the edges in x order; spans that touch are joined.
template <typename Span>
void CombineSpans(const Span* a, size_t countA, const Span* b, size_t countB, int mode, Intervals& out) {
    out.clear();
    constexpr int kEnd = std::numeric_limits<int>::max();
    size_t ia = 0, ib = 0;
    bool inA = false, inB = false, in = false;
    int start = 0;
    for (;;) {
        const int xa = ia < countA ? (inA ? RightOf(a[ia]) : LeftOf(a[ia])) : kEnd;
        const int xb = ib < countB ? (inB ? RightOf(b[ib]) : LeftOf(b[ib])) : kEnd;
        const int x = std::min(xa, xb);
        if (x == kEnd) break;
        if (xa == x) {
            if (inA) ++ia;
            inA = !inA;
        }
        if (xb == x) {
            if (inB) ++ib;
            inB = !inB;
        }
        const bool now = Inside(mode, inA, inB);
        if (now == in) continue;
        in = now;
        if (in) {
            start = x;
            if (!out.empty() && out.back().second == x) {  // touches the span before: reopen it
                start = out.back().first;
                out.pop_back();
            }
        } else {
            out.emplace_back(start, x);
        }
    }
}

Intervals CombineIntervals(const Intervals& a, const Intervals& b, int mode) {
    Intervals out;
    CombineSpans(a.data(), a.size(), b.data(), b.size(), mode, out);
    return out;
}

// One past the last rectangle of the band that begins at `first`.
size_t BandEnd(const std::vector<RECT>& rects, size_t first) {
    size_t last = first;
    while (last < rects.size() && rects[last].top == rects[first].top)
        ++last;
    return last;
}

}  // namespace

Region Region::FromRect(const RECT& rect) {
    Region region;
    if (rect.left < rect.right && rect.top < rect.bottom) region.rects.push_back(rect);
    Finish(region);
    return region;
}

Region Region::FromRects(const std::vector<RECT>& input) {
    std::vector<RECT> rects;
    for (const RECT& r : input)
        if (r.left < r.right && r.top < r.bottom) rects.push_back(r);
    std::vector<int> ys;
    for (const RECT& r : rects)
        ys.insert(ys.end(), {r.top, r.bottom});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    Region region;
    size_t previousStart = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        Intervals spans;
        for (const RECT& r : rects)
            if (r.top <= ys[i] && r.bottom > ys[i]) spans.emplace_back(r.left, r.right);
        std::sort(spans.begin(), spans.end());
        Intervals merged;
        for (auto& s : spans) {
            if (!merged.empty() && s.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, s.second);
            else
                merged.push_back(s);
        }
        AppendBand(region.rects, previousStart, ys[i], ys[i + 1], merged);
    }
    Finish(region);
    return region;
}

void Region::Offset(int dx, int dy) {
    for (RECT& r : rects)
        OffsetRect(&r, dx, dy);
    Finish(*this);
}

bool Region::Contains(int x, int y) const {
    bool found = false;
    ForEachSpanInRegion(*this, y, x, x + 1, [&](int, int) { found = true; });
    return found;
}

Region CombineRegions(const Region& a, const Region& b, int mode) {
    if (mode == RGN_COPY) return a;
    // Shortcuts for the common cases of window clipping: regions that do not meet, and two
    // rectangles.
    const RECT &ea = a.extents, &eb = b.extents;
    const bool meet = !a.Empty() && !b.Empty() && RectsMeet(ea, eb);
    if (!meet) {
        if (mode == RGN_AND) return Region();
        if (mode == RGN_DIFF) return a;
        if (a.Empty()) return b;
        if (b.Empty()) return a;
    } else if (mode == RGN_AND && a.rects.size() == 1 && b.rects.size() == 1) {
        return Region::FromRect(RECT{std::max(ea.left, eb.left), std::max(ea.top, eb.top),
                                     std::min(ea.right, eb.right), std::min(ea.bottom, eb.bottom)});
    }
    // Sweep down both band lists at once: every stretch of y where neither operand changes bands
    // becomes one band of the result (joined with the band above when their spans match).
    const std::vector<RECT>&ra = a.rects, &rb = b.rects;
    const bool keepsA = mode != RGN_AND, keepsB = mode == RGN_OR || mode == RGN_XOR;
    Region out;
    out.rects.reserve(ra.size() + rb.size());
    Intervals spans;
    size_t ia = 0, ib = 0, endA = BandEnd(ra, 0), endB = BandEnd(rb, 0), previousStart = 0;
    int y = std::min(ra.empty() ? INT_MAX : ra.front().top, rb.empty() ? INT_MAX : rb.front().top);
    while ((ia < ra.size() && (keepsA || ib < rb.size())) || (ib < rb.size() && keepsB)) {
        const bool hereA = ia < ra.size() && ra[ia].top <= y;
        const bool hereB = ib < rb.size() && rb[ib].top <= y;
        int next = INT_MAX;
        if (ia < ra.size()) next = std::min(next, hereA ? ra[ia].bottom : ra[ia].top);
        if (ib < rb.size()) next = std::min(next, hereB ? rb[ib].bottom : rb[ib].top);
        if (hereA || hereB) {
            CombineSpans(hereA ? &ra[ia] : nullptr, hereA ? endA - ia : 0, hereB ? &rb[ib] : nullptr,
                         hereB ? endB - ib : 0, mode, spans);
            AppendBand(out.rects, previousStart, y, next, spans);
        }
        y = next;
        if (ia < ra.size() && ra[ia].bottom <= y) endA = BandEnd(ra, ia = endA);
        if (ib < rb.size() && rb[ib].bottom <= y) endB = BandEnd(rb, ib = endB);
    }
    Finish(out);
    return out;
}

// ---------------------------------------------------------------------------------------------
// Span sets

void SpanSet::Add(int y, int x0, int x1) {
    if (x0 >= x1) return;
    rows_.push_back(Span{y, x0, x1});
    normalized_ = false;
}

void SpanSet::Normalize() {
    if (normalized_) return;
    std::sort(rows_.begin(), rows_.end(),
              [](const Span& a, const Span& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; });
    std::vector<Span> merged;
    merged.reserve(rows_.size());
    for (const Span& s : rows_) {
        if (!merged.empty() && merged.back().y == s.y && s.x0 <= merged.back().x1)
            merged.back().x1 = std::max(merged.back().x1, s.x1);
        else
            merged.push_back(s);
    }
    rows_ = std::move(merged);
    normalized_ = true;
}

void SpanSet::Paint(DeviceContext& dc, const gdi::Paint& paint, int rop2) {
    Normalize();
    for (const Span& s : rows_)
        FillClippedSpan(dc, s.y, s.x0, s.x1, paint, rop2);
}

void SpanSet::Subtract(const SpanSet& other) {
    Normalize();
    SpanSet& o = const_cast<SpanSet&>(other);
    o.Normalize();
    std::vector<Span> out;
    size_t j = 0;
    for (const Span& s : rows_) {
        while (j < o.rows_.size() && o.rows_[j].y < s.y)
            ++j;
        int x = s.x0;
        for (size_t k = j; k < o.rows_.size() && o.rows_[k].y == s.y; ++k) {
            const Span& c = o.rows_[k];
            if (c.x1 <= x) continue;
            if (c.x0 >= s.x1) break;
            if (c.x0 > x) out.push_back(Span{s.y, x, c.x0});
            x = std::max(x, c.x1);
        }
        if (x < s.x1) out.push_back(Span{s.y, x, s.x1});
    }
    rows_ = std::move(out);
}

Region SpanSet::ToRegion() const {
    SpanSet& self = const_cast<SpanSet&>(*this);
    self.Normalize();
    Region region;
    size_t previousStart = 0;
    for (size_t i = 0; i < rows_.size();) {
        Intervals spans;
        int y = rows_[i].y;
        for (; i < rows_.size() && rows_[i].y == y; ++i)
            spans.emplace_back(rows_[i].x0, rows_[i].x1);
        AppendBand(region.rects, previousStart, y, y + 1, spans);
    }
    Finish(region);
    return region;
}

SpanSet OutlineOf(const SpanSet& filled) {
    Region region = filled.ToRegion();
    SpanSet out;
    if (region.Empty()) return out;
    auto rowSpans = [&](int y) {
        Intervals spans;
        ForEachSpanInRegion(region, y, region.extents.left, region.extents.right,
                            [&](int l, int r) { spans.emplace_back(l, r); });
        return spans;
    };
    for (int y = region.extents.top; y < region.extents.bottom; ++y) {
        Intervals row = rowSpans(y);
        if (row.empty()) continue;
        Intervals interior =
            CombineIntervals(CombineIntervals(row, rowSpans(y - 1), RGN_AND), rowSpans(y + 1), RGN_AND);
        Intervals eroded;
        for (auto& [l, r] : interior) {
            // A pixel is interior only when its left and right neighbours are in the row too.
            for (auto& [rl, rr] : row) {
                int el = std::max(l, rl + 1), er = std::min(r, rr - 1);
                if (el < er) eroded.emplace_back(el, er);
            }
        }
        std::sort(eroded.begin(), eroded.end());
        for (auto& [l, r] : CombineIntervals(row, eroded, RGN_DIFF))
            out.Add(y, l, r);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Shapes

namespace {

// The pixel columns [x0, x1) of an ellipse row, false if the row misses the ellipse.
bool EllipseRow(int left, int top, int right, int bottom, int y, long long& x0, long long& x1) {
    double width = static_cast<double>(right) - left, height = static_cast<double>(bottom) - top;
    if (width <= 0 || height <= 0) return false;
    double cx = (static_cast<double>(left) + right - 1) / 2.0,
           cy = (static_cast<double>(top) + bottom - 1) / 2.0;
    double a = width / 2.0, b = height / 2.0;
    double dy = (y - cy) / b;
    double q = 1.0 - dy * dy;
    if (q < 0) return false;
    double half = a * std::sqrt(q);
    x0 = static_cast<long long>(std::ceil(cx - half - 1e-9));
    x1 = static_cast<long long>(std::floor(cx + half + 1e-9)) + 1;
    if (x0 >= x1) {
        // The thinnest rows keep their middle pixel so that the outline stays closed.
        if (y < top || y >= bottom) return false;
        x0 = static_cast<long long>(std::floor(cx));
        x1 = static_cast<long long>(std::ceil(cx)) + 1;
    }
    return true;
}

void AddClamped(SpanSet& out, const Limit& limit, long long y, long long x0, long long x1) {
    if (y < limit.top - 1 || y > limit.bottom) return;
    x0 = std::max<long long>(x0, limit.left - 1);
    x1 = std::min<long long>(x1, limit.right + 1);
    if (x0 < x1) out.Add(static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1));
}

}  // namespace

void EllipseSpans(int left, int top, int right, int bottom, const Limit& limit, SpanSet& out) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    int y0 = std::max(top, limit.top - 1), y1 = std::min(bottom, limit.bottom + 1);
    for (int y = y0; y < y1; ++y) {
        long long x0, x1;
        if (EllipseRow(left, top, right, bottom, y, x0, x1)) AddClamped(out, limit, y, x0, x1);
    }
}

void RoundRectSpans(int left, int top, int right, int bottom, int ew, int eh, const Limit& limit,
                    SpanSet& out) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    ew = std::clamp(std::abs(ew), 0, right - left);
    eh = std::clamp(std::abs(eh), 0, bottom - top);
    if (ew < 2 || eh < 2) {
        for (int y = std::max(top, limit.top - 1); y < std::min(bottom, limit.bottom + 1); ++y)
            AddClamped(out, limit, y, left, right);
        return;
    }
    int y0 = std::max(top, limit.top - 1), y1 = std::min(bottom, limit.bottom + 1);
    int cornerTopEnd = top + eh / 2, cornerBottomStart = bottom - (eh - eh / 2);
    for (int y = y0; y < y1; ++y) {
        long long l = left, r = right, x0, x1;
        if (y < cornerTopEnd) {
            if (EllipseRow(left, top, left + ew, top + eh, y, x0, x1)) l = x0;
            if (EllipseRow(right - ew, top, right, top + eh, y, x0, x1)) r = x1;
        } else if (y >= cornerBottomStart) {
            if (EllipseRow(left, bottom - eh, left + ew, bottom, y, x0, x1)) l = x0;
            if (EllipseRow(right - ew, bottom - eh, right, bottom, y, x0, x1)) r = x1;
        }
        AddClamped(out, limit, y, l, r);
    }
}

void PolygonSpans(const std::vector<std::vector<POINT>>& polygons, int fillMode, const Limit& limit,
                  SpanSet& out) {
    struct Edge {
        double x0, y0, x1, y1;
        int direction;
    };
    std::vector<Edge> edges;
    long long minY = kCoordinateLimit, maxY = -kCoordinateLimit;
    for (const auto& poly : polygons) {
        if (poly.size() < 2) continue;
        for (size_t i = 0; i < poly.size(); ++i) {
            POINT a = poly[i], b = poly[(i + 1) % poly.size()];
            if (a.y == b.y) continue;
            int direction = a.y < b.y ? 1 : -1;
            if (a.y > b.y) std::swap(a, b);
            edges.push_back(Edge{double(a.x), double(a.y), double(b.x), double(b.y), direction});
            minY = std::min<long long>(minY, a.y);
            maxY = std::max<long long>(maxY, b.y);
        }
    }
    if (edges.empty()) return;
    long long yStart = std::max<long long>(minY, limit.top - 1),
              yEnd = std::min<long long>(maxY, limit.bottom + 1);
    std::vector<std::pair<double, int>> crossings;
    for (long long y = yStart; y < yEnd; ++y) {
        crossings.clear();
        double sampleY = static_cast<double>(y);
        for (const Edge& e : edges) {
            // Top edge included, bottom excluded, so shared vertices count once.
            if (sampleY < e.y0 || sampleY >= e.y1) continue;
            double x = e.x0 + (sampleY - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0);
            crossings.emplace_back(x, e.direction);
        }
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].second;
            bool inside = fillMode == WINDING ? winding != 0 : (i % 2) == 0;
            if (!inside) continue;
            long long x0 = static_cast<long long>(std::ceil(crossings[i].first));
            long long x1 = static_cast<long long>(std::ceil(crossings[i + 1].first));
            AddClamped(out, limit, y, x0, x1);
        }
    }
}

void CapsuleSpans(int x0, int y0, int x1, int y1, int width, const Limit& limit, SpanSet& out) {
    double r = width / 2.0;
    double ax = x0, ay = y0, bx = x1, by = y1;
    long long top = static_cast<long long>(std::floor(std::min(ay, by) - r)) - 1;
    long long bottom = static_cast<long long>(std::ceil(std::max(ay, by) + r)) + 1;
    top = std::max<long long>(top, limit.top - 1);
    bottom = std::min<long long>(bottom, limit.bottom + 1);
    double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    const double r2 = r * r + 1e-9;
    for (long long y = top; y <= bottom; ++y) {
        double py = static_cast<double>(y);
        double lo = 1e300, hi = -1e300;
        auto disc = [&](double cx, double cy) {
            double d = py - cy, q = r2 - d * d;
            if (q < 0) return;
            double h = std::sqrt(q);
            lo = std::min(lo, cx - h);
            hi = std::max(hi, cx + h);
        };
        disc(ax, ay);
        disc(bx, by);
        if (length2 > 0) {
            // The band of points whose projection falls inside the segment and whose distance is <= r:
            // solve for x on this row where |cross| <= r*len and 0 <= dot <= len^2.
            double len = std::sqrt(length2);
            double xlo = -1e300, xhi = 1e300;
            auto constrain = [&](double coefficient, double constant, double lowBound, double highBound) {
                // lowBound <= coefficient * x + constant <= highBound
                if (std::abs(coefficient) < 1e-12) {
                    if (constant < lowBound || constant > highBound) xlo = 1e300;
                    return;
                }
                double a = (lowBound - constant) / coefficient, b = (highBound - constant) / coefficient;
                if (a > b) std::swap(a, b);
                xlo = std::max(xlo, a);
                xhi = std::min(xhi, b);
            };
            // cross = dx * (py - ay) - dy * (x - ax);  dot = dx * (x - ax) + dy * (py - ay)
            constrain(-dy, dx * (py - ay) + dy * ax, -r * len - 1e-9, r * len + 1e-9);
            constrain(dx, -dx * ax + dy * (py - ay), 0, length2);
            if (xlo <= xhi) {
                lo = std::min(lo, xlo);
                hi = std::max(hi, xhi);
            }
        }
        if (lo > hi) continue;
        AddClamped(out, limit, y, static_cast<long long>(std::ceil(lo)),
                   static_cast<long long>(std::floor(hi)) + 1);
    }
}

}  // namespace win32::gdi

// ---------------------------------------------------------------------------------------------
// The region calls

namespace win32 {

using namespace gdi;

namespace {

RegionObject* RegionOrFail(HRGN region) {
    RegionObject* object = LookupRegionObject(region);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

RECT Ordered(int left, int top, int right, int bottom) {
    left = ClampCoordinate(left);
    right = ClampCoordinate(right);
    top = ClampCoordinate(top);
    bottom = ClampCoordinate(bottom);
    return RECT{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    return NewRegion(Region::FromRect(Ordered(left, top, right, bottom)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh) {
    RECT r = Ordered(left, top, right, bottom);
    SpanSet spans;
    RoundRectSpans(r.left, r.top, r.right, r.bottom, ew, eh, Limit::Everything(), spans);
    return NewRegion(spans.ToRegion());
}

HRGN CreateEllipticRgn(int left, int top, int right, int bottom) {
    RECT r = Ordered(left, top, right, bottom);
    SpanSet spans;
    EllipseSpans(r.left, r.top, r.right, r.bottom, Limit::Everything(), spans);
    return NewRegion(spans.ToRegion());
}

HRGN CreateEllipticRgnIndirect(const RECT* rect) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateEllipticRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode) {
    if (!points || !counts || polygons <= 0 || (fillMode != ALTERNATE && fillMode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::vector<POINT>> list;
    const POINT* p = points;
    for (int i = 0; i < polygons; ++i) {
        if (counts[i] < 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::vector<POINT> poly;
        for (int k = 0; k < counts[i]; ++k, ++p)
            poly.push_back(POINT{ClampCoordinate(p->x), ClampCoordinate(p->y)});
        list.push_back(std::move(poly));
    }
    SpanSet spans;
    PolygonSpans(list, fillMode, Limit::Everything(), spans);
    return NewRegion(spans.ToRegion());
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    return CreatePolyPolygonRgn(points, &count, 1, fillMode);
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    RegionObject* d = RegionOrFail(dest);
    RegionObject* a = RegionOrFail(src1);
    if (!d || !a) return ERROR;
    if (mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    if (mode == RGN_COPY) {
        d->region = a->region;
        return d->region.Complexity();
    }
    RegionObject* b = RegionOrFail(src2);
    if (!b) return ERROR;
    d->region = CombineRegions(a->region, b->region, mode);
    return d->region.Complexity();
}

int OffsetRgn(HRGN region, int dx, int dy) {
    RegionObject* r = RegionOrFail(region);
    if (!r) return ERROR;
    r->region.Offset(ClampCoordinate(dx), ClampCoordinate(dy));
    return r->region.Complexity();
}

BOOL PtInRegion(HRGN region, int x, int y) {
    RegionObject* r = RegionOrFail(region);
    return r && r->region.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN region, const RECT* rect) {
    RegionObject* r = RegionOrFail(region);
    if (!r || !rect) return FALSE;
    RECT test = Ordered(rect->left, rect->top, rect->right, rect->bottom);
    for (const RECT& c : r->region.rects) {
        RECT overlap;
        if (IntersectRect(&overlap, &c, &test)) return TRUE;
    }
    return FALSE;
}

BOOL EqualRgn(HRGN region1, HRGN region2) {
    RegionObject* a = RegionOrFail(region1);
    RegionObject* b = RegionOrFail(region2);
    if (!a || !b) return ERROR;
    if (a->region.rects.size() != b->region.rects.size()) return FALSE;
    for (size_t i = 0; i < a->region.rects.size(); ++i)
        if (!EqualRect(&a->region.rects[i], &b->region.rects[i])) return FALSE;
    return TRUE;
}

BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom) {
    RegionObject* r = RegionOrFail(region);
    if (!r) return FALSE;
    r->region = Region::FromRect(Ordered(left, top, right, bottom));
    return TRUE;
}

int GetRgnBox(HRGN region, RECT* rect) {
    RegionObject* r = RegionOrFail(region);
    if (!r || !rect) return ERROR;
    *rect = r->region.extents;
    return r->region.Complexity();
}

DWORD GetRegionData(HRGN region, DWORD size, RGNDATA* data) {
    RegionObject* r = RegionOrFail(region);
    if (!r) return 0;
    DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + r->region.rects.size() * sizeof(RECT));
    if (!data) return needed;
    if (size < needed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(r->region.rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(r->region.rects.size() * sizeof(RECT));
    data->rdh.rcBound = r->region.extents;
    if (!r->region.rects.empty())  // an empty vector may hold no storage at all
        std::memcpy(reinterpret_cast<char*>(data) + sizeof(RGNDATAHEADER), r->region.rects.data(),
                    r->region.rects.size() * sizeof(RECT));
    return needed;
}

// ---------------------------------------------------------------------------------------------
// Rectangles

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(RECT* dest, const RECT* src) {
    if (!dest || !src) return FALSE;
    *dest = *src;
    return TRUE;
}

BOOL InflateRect(RECT* rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left -= dx;
    rect->top -= dy;
    rect->right += dx;
    rect->bottom += dy;
    return TRUE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) {
    return !rect || rect->left >= rect->right || rect->top >= rect->bottom ? TRUE : FALSE;
}

BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dest = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    bool emptyA = IsRectEmpty(a), emptyB = IsRectEmpty(b);
    if (emptyA && emptyB) {
        *dest = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (emptyA) {
        *dest = *b;
    } else if (emptyB) {
        *dest = *a;
    } else {
        *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                     std::max(a->bottom, b->bottom)};
    }
    return TRUE;
}

BOOL SubtractRect(RECT* dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT result = *a;
    RECT overlap;
    if (IntersectRect(&overlap, a, b)) {
        // Only a cut along a whole side leaves a rectangle.
        if (overlap.top == a->top && overlap.bottom == a->bottom) {
            if (overlap.left == a->left)
                result.left = overlap.right;
            else if (overlap.right == a->right)
                result.right = overlap.left;
        } else if (overlap.left == a->left && overlap.right == a->right) {
            if (overlap.top == a->top)
                result.top = overlap.bottom;
            else if (overlap.bottom == a->bottom)
                result.bottom = overlap.top;
        }
    }
    if (IsRectEmpty(&result)) {
        *dest = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dest = result;
    return TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    if (!a || !b) return FALSE;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* rect, POINT p) {
    if (!rect) return FALSE;
    return p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom ? TRUE : FALSE;
}

}  // namespace win32

namespace win32::gdi {

std::vector<RECT> RegionRects(HRGN region) {
    RegionObject* r = LookupRegionObject(region);
    return r ? r->region.rects : std::vector<RECT>{};
}

HRGN CreateRegionFromRects(const std::vector<RECT>& rects) {
    return NewRegion(Region::FromRects(rects));
}

const Region* LookupRegion(HRGN region) {
    RegionObject* r = LookupRegionObject(region);
    return r ? &r->region : nullptr;
}

}  // namespace win32::gdi
