// The multi-colour gradient painter. The step shapes of every fill style are rasterised straight into
// the pixels of a 32-bit DIB section by the platform's own PatBlt, Ellipse and LineTo pixel rules, and
// only the part of the area that the target can show is painted: a huge area costs what is visible.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "win32/gdi.h"

namespace lumaro {

using namespace vcl;
using namespace win32;

namespace {

using Int = int64_t;

// The platform clamps every coordinate it is handed to this range; the shapes here do the same so
// that they stay pixel-identical to the platform's calls even where W and H are enormous.
constexpr Int kCoordinateLimit = Int{1} << 27;

// Pixels of one strip of the off-screen picture: bands and ellipses touch each pixel once, so a strip
// that stays in the first cache levels is best; the line styles set up every line again in each strip,
// so fewer, larger strips pay off there (both measured on a full-HD area).
constexpr Int kStripPixels = Int{1} << 16;
constexpr Int kLineStripPixels = Int{1} << 19;

Int Clamped(Int value) {
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

// Halves go to the even neighbour, as the framework's Round does.
Int RoundHalfEven(double value) {
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
    return static_cast<Int>(whole);
}

// a * b / c rounded half away from zero, as MulDiv rounds; c > 0.
Int MulDivNearest(Int a, Int b, Int c) {
    const Int product = a * b;
    const Int magnitude = product < 0 ? -product : product;
    Int quotient = magnitude / c;
    if ((magnitude % c) * 2 >= c) ++quotient;
    return product < 0 ? -quotient : quotient;
}

Int FloorDiv(Int a, Int b) {  // b > 0
    Int q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

Int CeilDiv(Int a, Int b) {
    return -FloorDiv(-a, b);
}

struct Rgb {
    int red, green, blue;
};

Rgb Channels(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

// Surface pixel words are 0x00RRGGBB.
uint32_t Pixel(int red, int green, int blue) {
    return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue);
}
uint32_t Pixel(Rgb c) {
    return Pixel(c.red, c.green, c.blue);
}

std::vector<Rgb> ColorList(TColor begin, TColor end, const TStrings* colors, bool forward) {
    std::vector<Rgb> list{Channels(ColorToRGB(forward ? begin : end))};
    if (colors) {
        for (int i = 0; i < colors->Count(); ++i) {
            try {
                list.push_back(Channels(ColorToRGB(StringToColor(colors->Strings(i)))));
            } catch (const Exception&) {
                // A line that is no colour is left out: painting never raises.
            }
        }
    }
    list.push_back(Channels(ColorToRGB(forward ? end : begin)));
    return list;
}

struct StepColors {
    uint32_t step;      // what the step's shapes are painted with
    uint32_t mirrored;  // the same distance from the other end, for the alternate lines
};

StepColors ColorsOfStep(Rgb from, Rgb to, Int n, Int count) {
    auto channel = [&](int c0, int c1, Int k) {
        return count < 2 ? c0 : c0 + static_cast<int>(MulDivNearest(k, c1 - c0, count - 1));
    };
    // A step channel of 0 is painted as 1 (the mirrored colour keeps its 0).
    auto raised = [](int value) { return value == 0 ? 1 : value; };
    const Int back = count - 1 - n;
    return {Pixel(raised(channel(from.red, to.red, n)), raised(channel(from.green, to.green, n)),
                  raised(channel(from.blue, to.blue, n))),
            Pixel(channel(from.red, to.red, back), channel(from.green, to.green, back),
                  channel(from.blue, to.blue, back))};
}

// The painted part of the area, in the area's coordinates, and its pixels (top row first).
struct Canvas {
    Int left, top, right, bottom;
    uint32_t* bits;

    Int Width() const { return right - left; }
    uint32_t* At(Int x, Int y) const { return bits + (y - top) * Width() + (x - left); }
    void Fill(Int y, Int x0, Int x1, uint32_t color) const { std::fill_n(At(x0, y), x1 - x0, color); }
};

// A band (what PatBlt fills) or an ellipse (what Ellipse fills when pen and brush share a colour),
// normalised as the platform normalises them.
struct Area {
    Int left, top, right, bottom;
    uint32_t color;
    bool ellipse;
    double centerX, centerY, radiusX, radiusY;

    // The columns [x0, x1) of row y, false when the row misses the shape.
    bool Row(Int y, Int& x0, Int& x1) const {
        if (y < top || y >= bottom) return false;
        if (!ellipse) {
            x0 = left;
            x1 = right;
            return true;
        }
        const double dy = (static_cast<double>(y) - centerY) / radiusY;
        const double inside = 1.0 - dy * dy;
        if (inside < 0) return false;
        const double half = radiusX * std::sqrt(inside);
        x0 = static_cast<Int>(std::ceil(centerX - half - 1e-9));
        x1 = static_cast<Int>(std::floor(centerX + half + 1e-9)) + 1;
        if (x0 >= x1) {
            // The thinnest rows keep their middle pixel, so the figure stays closed.
            x0 = static_cast<Int>(std::floor(centerX));
            x1 = static_cast<Int>(std::ceil(centerX)) + 1;
        }
        return true;
    }
};

struct Line {
    Int x0, y0, x1, y1;
    uint32_t color;
};

class Shapes {
public:
    std::vector<Area> areas;
    uint32_t color = 0;  // of the current step

    // PatBlt(x, y, width, height).
    void Band(Int x, Int y, Int width, Int height) {
        Int l = Clamped(x), t = Clamped(y), r = Clamped(x + width), b = Clamped(y + height);
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        if (l < r && t < b) areas.push_back(Area{l, t, r, b, color, false, 0, 0, 0, 0});
    }

    // Ellipse(left, top, right, bottom).
    void Ellipse(Int left, Int top, Int right, Int bottom) {
        Int l = Clamped(left), t = Clamped(top), r = Clamped(right), b = Clamped(bottom);
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        if (l >= r || t >= b) return;
        // The same arithmetic, in the same order, as the platform's ellipse rows.
        const double width = static_cast<double>(r) - static_cast<double>(l);
        const double height = static_cast<double>(b) - static_cast<double>(t);
        areas.push_back(
            Area{l, t, r, b, color, true, (static_cast<double>(l) + static_cast<double>(r) - 1) / 2.0,
                 (static_cast<double>(t) + static_cast<double>(b) - 1) / 2.0, width / 2.0, height / 2.0});
    }
};

// The quantities of the fill styles for segment s of q, step n of N, over an area of W x H.
class Geometry {
public:
    Geometry(Int width, Int height, Int segments, Int steps)
        : W(width), H(height), q(segments), N(std::max<Int>(steps, 1)) {}

    // Appends the shapes of one step, in the order they are painted. The line styles are drawn
    // elsewhere (LineSteps): only their last drawing of each line counts.
    void AddStep(TZylFillStyle style, Int s, Int n, Shapes& out) const {
        switch (style) {
            case TZylFillStyle::Horizontal: {
                const Int b = R(H, q) + 1, o = b * s;
                out.Band(0, o + M(n, b), W, M(n + 2, b) - M(n, b));
                break;
            }
            case TZylFillStyle::Vertical: {
                const Int b = R(W, q) + 1, o = b * s;
                out.Band(o + M(n, b), 0, M(n + 2, b) - M(n, b), H);
                break;
            }
            case TZylFillStyle::LeftBottom: {
                const Int bH = R(H, q) + 1, oY = bH * s, u = R(W, q) + 1, oX = u * s;
                const Int x = M(n, u), y = M(n, bH);
                out.Band(oX + x, oY + y, W - x, H - y);
                break;
            }
            case TZylFillStyle::RoundMiddle: {
                const Int bH = R(H, q) + 1, oY = Half(bH, s) + 1, bW = R(W, q) + 1, oX = Half(bW, s) + 1;
                const Int x = M(n, Half(bW, 1) + 1), y = M(n, Half(bH, 1) + 1);
                out.Ellipse(oX + x, oY + y, W - x - oX, H - y - oY);
                break;
            }
            case TZylFillStyle::SquareMiddle: {
                const Int h = R(H, q), oY = Half(h, s), w = R(W, q), oX = Half(w, s);
                const Int x = M(n, Half(w, 1)), y = M(n, Half(h, 1));
                out.Band(oX + x, oY + y, W - 2 * x - 2 * oX, H - 2 * y - 2 * oY);
                break;
            }
            case TZylFillStyle::DoppelFlash: {
                const Int bH = R(H, q) + 1, oY = bH * s + 1, u = R(W, q) + 1, oX = u * s + 1;
                const Int x = M(n, u), y = M(n, bH);
                out.Ellipse(oX + x, oY + y, W, H);
                out.Ellipse(W - x - oX, H - y - oY, 0, 0);
                break;
            }
            case TZylFillStyle::Singleflash: {
                const Int h = R(H, q), oY = h * s, w = R(W, q), oX = w * s;
                out.Ellipse(oX + M(n, w), oY + M(n, h), W, H);
                break;
            }
            case TZylFillStyle::MiddleHBar: {
                const Int b = R(H, q) + 1, oY = Half(b, s) + 1, k = Half(b, 1);
                const Int ya = H - M(n, k + 1), yb = H - M(n + 2, k + 1);
                out.Band(0, ya - oY - 1, W, yb - ya);
                out.Band(0, oY + M(n, k), W, M(n + 2, k) - M(n, k) + 1);
                break;
            }
            case TZylFillStyle::MiddleVBar: {
                const Int b = R(W, q) + 1, oX = Half(b, s) + 1, k = Half(b, 1);
                const Int xa = W - M(n, k + 1), xb = W - M(n + 2, k + 1);
                out.Band(xa - oX - 1, 0, xb - xa, H);
                out.Band(oX + M(n, k), 0, M(n + 2, k) - M(n, k) + 1, H);
                break;
            }
            case TZylFillStyle::VerticalDoppelBar: {
                const Int b = R(W, q) + 1, oX = Third(b, s) + 1, k = Third(b, 1) + 1, t = R(W, 3);
                const Int x0 = M(n, k), x1 = M(n + 1, k);
                out.Band(oX + x0, 0, x1 - x0, H);
                out.Band(2 * t - x1 - oX, 0, x1 - x0, H);
                out.Band(2 * t + oX + x0, 0, x1 - x0, H);
                break;
            }
            case TZylFillStyle::HorizontalDoppelBar: {
                const Int b = R(H, q) + 1, oY = Third(b, s) + 1, k = Third(b, 1) + 1, t = R(H, 3);
                const Int y0 = M(n, k), y1 = M(n + 1, k);
                out.Band(0, oY + y0, W, y1 - y0);
                out.Band(0, 2 * t - y1 - oY, W, y1 - y0);
                out.Band(0, 2 * t + oY + y0, W, y1 - y0);
                break;
            }
            case TZylFillStyle::Circle:
            case TZylFillStyle::Spectral:
                break;
        }
    }

    // Circle and Spectral: per step, the lines j = M(n, bW) .. M(n + 2, bW) from (oX + j, 0) to
    // (W - j - oX, H), then i = M(n, bH) .. M(n + 2, bH) from (0, oY + i) to (W, H - i - oY). The ranges
    // of successive steps overlap; a line drawn again later is left out here, which changes no pixel.
    struct LineRange {
        Int from, to;  // inclusive, of j (or i)
        Int offset;    // oX (or oY)
    };
    LineRange Columns(Int s, Int n) const {
        const Int b = R(W, q) + 1;
        return {M(n, b), M(n + 2, b), b * s};
    }
    LineRange Rows(Int s, Int n) const {
        const Int b = R(H, q) + 1;
        return {M(n, b), M(n + 2, b), b * s};
    }

    const Int W, H, q, N;

private:
    static Int R(Int a, Int b) { return RoundHalfEven(static_cast<double>(a) / static_cast<double>(b)); }
    // R(v/2 * s) and R(v/3 * s).
    static Int Half(Int v, Int s) {
        return RoundHalfEven(static_cast<double>(v) / 2.0 * static_cast<double>(s));
    }
    static Int Third(Int v, Int s) {
        return RoundHalfEven(static_cast<double>(v) / 3.0 * static_cast<double>(s));
    }
    Int M(Int a, Int b) const { return MulDivNearest(a, b, N); }
};

// Paints bands and ellipses with the later shapes over the earlier ones, by walking each row from the
// last shape back to the first and filling only what is not covered yet: every pixel is written once.
class AreaPainter {
public:
    AreaPainter(const Canvas& canvas, const std::vector<Area>& areas, uint32_t ground)
        : canvas_(canvas), areas_(areas), ground_(ground) {}

    void Paint() {
        // Shapes that all span every painted row make every row alike.
        const bool rowsAlike = std::all_of(areas_.begin(), areas_.end(), [&](const Area& a) {
            return !a.ellipse && a.top <= canvas_.top && a.bottom >= canvas_.bottom;
        });
        for (Int y = canvas_.top; y < canvas_.bottom; ++y) {
            if (rowsAlike && y > canvas_.top) {
                std::memcpy(canvas_.At(canvas_.left, y), canvas_.At(canvas_.left, canvas_.top),
                            static_cast<size_t>(canvas_.Width()) * sizeof(uint32_t));
                continue;
            }
            PaintRow(y);
        }
    }

private:
    struct Interval {
        Int from, to;
    };

    void PaintRow(Int y) {
        covered_.clear();
        for (auto area = areas_.rbegin(); area != areas_.rend(); ++area) {
            Int x0, x1;
            if (!area->Row(y, x0, x1)) continue;
            x0 = std::max(x0, canvas_.left);
            x1 = std::min(x1, canvas_.right);
            if (x0 >= x1) continue;
            Cover(y, x0, x1, area->color);
            if (covered_.size() == 1 && covered_[0].from == canvas_.left && covered_[0].to == canvas_.right)
                return;
        }
        Cover(y, canvas_.left, canvas_.right, ground_);
    }

    // Fills the parts of [from, to) not covered yet and marks them covered.
    void Cover(Int y, Int from, Int to, uint32_t color) {
        merged_.clear();
        Int cursor = from, joinedFrom = from, joinedTo = to;
        bool placed = false;
        auto fill = [&](Int a, Int b) {
            if (a < b) canvas_.Fill(y, a, b, color);
        };
        for (const Interval& c : covered_) {
            if (c.to < from) {
                merged_.push_back(c);
            } else if (c.from > to) {
                if (!placed) merged_.push_back({joinedFrom, joinedTo});
                placed = true;
                merged_.push_back(c);
            } else {
                fill(cursor, std::min(c.from, to));
                cursor = std::max(cursor, c.to);
                joinedFrom = std::min(joinedFrom, c.from);
                joinedTo = std::max(joinedTo, c.to);
            }
        }
        fill(cursor, to);
        if (!placed) merged_.push_back({joinedFrom, joinedTo});
        covered_.swap(merged_);
    }

    const Canvas& canvas_;
    const std::vector<Area>& areas_;
    uint32_t ground_;
    std::vector<Interval> covered_, merged_;
};

// One pen line by the platform's rule (the end point left out; the minor offset at step i along the
// major axis is floor(i * minor / major + 1/2)), clipped to the canvas on both axes.
void DrawLine(const Canvas& canvas, const Line& line) {
    const Int dx = line.x1 - line.x0, dy = line.y1 - line.y0;
    const Int adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const Int major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    if (major == 0) return;
    const Int step = (xMajor ? dx : dy) < 0 ? -1 : 1, minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const Int start = xMajor ? line.x0 : line.y0, minorStart = xMajor ? line.y0 : line.x0;
    const Int low = xMajor ? canvas.left : canvas.top, high = xMajor ? canvas.right : canvas.bottom;
    const Int minorLow = xMajor ? canvas.top : canvas.left, minorHigh = xMajor ? canvas.bottom : canvas.right;

    // Steps whose major coordinate is on the canvas.
    Int first = 0, last = major - 1;
    if (step > 0) {
        first = std::max(first, low - start);
        last = std::min(last, high - 1 - start);
    } else {
        first = std::max(first, start - (high - 1));
        last = std::min(last, start - low);
    }
    // ... and whose minor offset is too.
    const Int offLow = minorStep > 0 ? minorLow - minorStart : minorStart - (minorHigh - 1);
    const Int offHigh = minorStep > 0 ? minorHigh - 1 - minorStart : minorStart - minorLow;
    // First step with offset >= m, and last step with offset <= m.
    auto firstAtLeast = [&](Int m) { return CeilDiv(2 * major * m - major, 2 * minor); };
    auto lastAtMost = [&](Int m) { return CeilDiv(2 * major * (m + 1) - major, 2 * minor) - 1; };
    if (minor == 0) {
        if (offLow > 0 || offHigh < 0) return;
    } else if (offLow > 0 || offHigh < minor) {  // the offsets run from 0 to minor at most
        first = std::max(first, firstAtLeast(offLow));
        last = std::min(last, lastAtMost(offHigh));
    }
    if (first > last) return;

    // Walk the pixels by offsets into the strip: one store and one error step per pixel.
    Int error = major + 2 * minor * first;
    const Int offFirst = error / (2 * major);
    error %= 2 * major;
    const Int majorAt = start + step * first, minorAt = minorStart + minorStep * offFirst;
    Int offset = (xMajor ? canvas.At(majorAt, minorAt) : canvas.At(minorAt, majorAt)) - canvas.bits;
    const Int majorStride = xMajor ? step : step * canvas.Width();
    const Int minorStride = xMajor ? minorStep * canvas.Width() : minorStep;
    if (xMajor && minor * 4 <= major) {
        // Flat lines: whole runs of one row at a time.
        for (Int i = first; i <= last;) {
            const Int runEnd =
                minor == 0 ? last : std::min(last, i + CeilDiv(2 * major - error, 2 * minor) - 1);
            const Int count = runEnd - i + 1;
            std::fill_n(canvas.bits + (step > 0 ? offset : offset - (count - 1)), count, line.color);
            offset += step * count;
            error += 2 * minor * count;
            if (error >= 2 * major) {
                error -= 2 * major;
                offset += minorStride;
            }
            i = runEnd + 1;
        }
        return;
    }
    for (Int i = first; i <= last; ++i) {
        canvas.bits[offset] = line.color;
        offset += majorStride;
        error += 2 * minor;
        if (error >= 2 * major) {
            error -= 2 * major;
            offset += minorStride;
        }
    }
}

// The first v in [from, to] where the monotone `test` turns true; to + 1 when it never does.
template <typename Test>
Int FirstWhere(Int from, Int to, Test test) {
    Int low = from, high = to + 1;
    while (low < high) {
        const Int middle = low + (high - low) / 2;
        if (test(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

struct Range {
    Int from, to;  // inclusive; empty when from > to
};

// Where `holds` is true in [from, to], for a test whose truth set is a prefix or a suffix of the range
// (an inequality on an affine function of v).
template <typename Test>
Range Where(Int from, Int to, Test holds) {
    const bool atFrom = holds(from), atTo = holds(to);
    if (atFrom && atTo) return {from, to};
    if (!atFrom && !atTo) return {from, from - 1};
    if (atFrom) return {from, FirstWhere(from, to, [&](Int v) { return !holds(v); }) - 1};
    return {FirstWhere(from, to, holds), to};
}

// The family of lines from (Clamped(v), 0) to (Clamped(far - v), length), written in (moving, fixed)
// coordinates: calls draw(v) for the v in [from, to] whose line may reach [low, high) x [fixedLow,
// fixedHigh). A line passes within half a pixel of each pixel it sets, so one that keeps a margin of
// two pixels to one side of the window over all of the window's rows sets none there; such lines are
// skipped in runs, and an enormous area costs only the lines near what is shown.
template <typename Draw>
void ForVisibleLines(Int from, Int to, Int far, Int length, Int low, Int high, Int fixedLow, Int fixedHigh,
                     Draw draw) {
    if (from > to) return;
    const Int r0 = std::max<Int>(fixedLow - 2, 0), r1 = std::min<Int>(fixedHigh + 1, length);
    if (r0 > r1) return;
    const Int before = (low - 2) * length, past = (high + 1) * length;
    // The moving coordinate at fixed coordinate r, times length.
    auto at = [&](Int v, Int r) {
        const Int a = Clamped(v), b = Clamped(far - v);
        return a * length + (b - a) * r;
    };
    // Clamping bends the ends; between these points both are affine in v.
    Int bends[] = {-kCoordinateLimit, kCoordinateLimit, far - kCoordinateLimit, far + kCoordinateLimit};
    std::sort(std::begin(bends), std::end(bends));
    Int pieceFrom = from;
    for (int k = 0; k <= 4 && pieceFrom <= to; ++k) {
        const Int pieceTo = k < 4 ? std::min(to, bends[k]) : to;
        if (pieceTo < pieceFrom) continue;
        const Range left0 = Where(pieceFrom, pieceTo, [&](Int v) { return at(v, r0) < before; });
        const Range left1 = Where(pieceFrom, pieceTo, [&](Int v) { return at(v, r1) < before; });
        const Range right0 = Where(pieceFrom, pieceTo, [&](Int v) { return at(v, r0) > past; });
        const Range right1 = Where(pieceFrom, pieceTo, [&](Int v) { return at(v, r1) > past; });
        Range skips[2] = {{std::max(left0.from, left1.from), std::min(left0.to, left1.to)},
                          {std::max(right0.from, right1.from), std::min(right0.to, right1.to)}};
        if (skips[1].from < skips[0].from) std::swap(skips[0], skips[1]);
        Int v = pieceFrom;
        for (const Range& skip : skips) {
            if (skip.from > skip.to) continue;
            for (; v < skip.from; ++v)
                draw(v);
            v = std::max(v, skip.to + 1);
        }
        for (; v <= pieceTo; ++v)
            draw(v);
        pieceFrom = pieceTo + 1;
    }
}

// Circle and Spectral: every line of every step, except those a later step draws again.
void DrawLineSteps(const Canvas& canvas, const Geometry& geometry, const std::vector<Rgb>& list,
                   TZylFillStyle style) {
    const Int q = geometry.q, N = geometry.N;
    const bool alternate = style == TZylFillStyle::Spectral;
    const Int W = geometry.W, H = geometry.H;
    const Int clampedW = Clamped(W), clampedH = Clamped(H);
    for (Int s = 0; s < q; ++s) {
        for (Int n = 0; n < N; ++n) {
            const StepColors colors = ColorsOfStep(list[s], list[s + 1], n, geometry.N);
            const bool lastStep = s == q - 1 && n == N - 1;
            const Int nextS = n + 1 < N ? s : s + 1, nextN = n + 1 < N ? n + 1 : 0;
            auto colorOf = [&](Int index) {
                return alternate && index % 2 == 0 ? colors.mirrored : colors.step;
            };

            const Geometry::LineRange columns = geometry.Columns(s, n);
            Int to = columns.to;
            if (!lastStep) {
                const Geometry::LineRange next = geometry.Columns(nextS, nextN);
                to = std::min(to, next.from + next.offset - columns.offset - 1);
            }
            ForVisibleLines(columns.offset + columns.from, columns.offset + to, W, clampedH, canvas.left,
                            canvas.right, canvas.top, canvas.bottom, [&](Int v) {
                                DrawLine(canvas, Line{Clamped(v), 0, Clamped(W - v), clampedH,
                                                      colorOf(v - columns.offset)});
                            });

            const Geometry::LineRange rows = geometry.Rows(s, n);
            to = rows.to;
            if (!lastStep) {
                const Geometry::LineRange next = geometry.Rows(nextS, nextN);
                to = std::min(to, next.from + next.offset - rows.offset - 1);
            }
            ForVisibleLines(
                rows.offset + rows.from, rows.offset + to, H, clampedW, canvas.top, canvas.bottom,
                canvas.left, canvas.right, [&](Int v) {
                    DrawLine(canvas, Line{0, Clamped(v), clampedW, Clamped(H - v), colorOf(v - rows.offset)});
                });
        }
    }
}

// A top-down 32-bit DIB section in its own memory DC, freed on every way out.
class Offscreen {
public:
    Offscreen(HDC target, Int width, Int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = static_cast<LONG>(width);
        info.bmiHeader.biHeight = -static_cast<LONG>(height);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        bitmap_ = CreateDIBSection(target, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!bitmap_) return;
        dc_ = CreateCompatibleDC(target);
        if (!dc_) return;
        old_ = SelectObject(dc_, bitmap_);
        bits_ = static_cast<uint32_t*>(pixels);
    }
    ~Offscreen() {
        if (dc_) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
        if (bitmap_) DeleteObject(bitmap_);
    }
    Offscreen(const Offscreen&) = delete;
    Offscreen& operator=(const Offscreen&) = delete;

    HDC Dc() const { return dc_; }
    uint32_t* Bits() const { return bits_; }

private:
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
};

}  // namespace

void TZylGradient::MultiDraw(HDC dc, Integer width, Integer height, const TStrings* colors, TColor,
                             bool forward) const {
    if (width <= 0 || height <= 0) return;
    // Only the part of the area that the DC can show is painted; the shapes keep the full size.
    RECT clip{};
    const int complexity = GetClipBox(dc, &clip);
    if (complexity == ERROR || complexity == NULLREGION) return;
    const Int left = std::max<Int>(clip.left, 0), top = std::max<Int>(clip.top, 0);
    const Int right = std::min<Int>(clip.right, width), bottom = std::min<Int>(clip.bottom, height);
    if (left >= right || top >= bottom) return;

    // The picture goes out in strips of rows small enough to stay in the cache while they are painted
    // and copied; every target pixel is still written once, with its final colour.
    const bool lineStyle = fillStyle_ == TZylFillStyle::Circle || fillStyle_ == TZylFillStyle::Spectral;
    const Int stripRows =
        std::clamp<Int>((lineStyle ? kLineStripPixels : kStripPixels) / (right - left), 1, bottom - top);
    Offscreen offscreen(dc, right - left, stripRows);
    if (!offscreen.Bits()) return;

    const std::vector<Rgb> list = ColorList(beginColor_, endColor_, colors, forward);
    const Int q = static_cast<Int>(list.size()) - 1;
    const Geometry geometry(width, height, q, colorCount_);
    const uint32_t ground = Pixel(list.front());
    Shapes shapes;
    if (!lineStyle) {
        for (Int s = 0; s < q; ++s)
            for (Int n = 0; n < geometry.N; ++n) {
                shapes.color = ColorsOfStep(list[s], list[s + 1], n, geometry.N).step;
                geometry.AddStep(fillStyle_, s, n, shapes);
            }
    }
    for (Int stripTop = top; stripTop < bottom; stripTop += stripRows) {
        const Int stripBottom = std::min(bottom, stripTop + stripRows);
        const Canvas canvas{left, stripTop, right, stripBottom, offscreen.Bits()};
        if (lineStyle) {
            for (Int y = stripTop; y < stripBottom; ++y)
                canvas.Fill(y, left, right, ground);
            DrawLineSteps(canvas, geometry, list, fillStyle_);
        } else {
            AreaPainter(canvas, shapes.areas, ground).Paint();
        }
        BitBlt(dc, static_cast<int>(left), static_cast<int>(stripTop), static_cast<int>(right - left),
               static_cast<int>(stripBottom - stripTop), offscreen.Dc(), 0, 0, SRCCOPY);
    }
}

}  // namespace lumaro
