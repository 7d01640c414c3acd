// The gradient painter on a full-HD area, style by style, against a solid fill of the same area and
// against the same shapes painted one by one with the platform's PatBlt, Ellipse and LineTo calls into a
// compatible bitmap (the straightforward way to paint them).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "win32/gdi.h"

using namespace win32;
using lumaro::TZylFillStyle;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
const int64_t kBytes = int64_t{kWidth} * kHeight * 4;
constexpr vcl::TColor kBegin = 0x2040E0, kBetween = vcl::clRed, kEnd = 0xF0A010;

// A 32-bit DIB section selected into a memory DC: the target every variant paints on.
struct Target {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;

    Target() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// The table's shapes with one platform call each, into a compatible bitmap that is then copied.
class StraightPainter {
public:
    StraightPainter(HDC target, std::vector<COLORREF> colors, int steps)
        : target_(target), colors_(std::move(colors)), N(steps) {}

    void Paint(TZylFillStyle style) {
        dc_ = CreateCompatibleDC(target_);
        HBITMAP bitmap = CreateCompatibleBitmap(target_, W, H);
        HGDIOBJ oldBitmap = SelectObject(dc_, bitmap);
        HGDIOBJ oldBrush = SelectObject(dc_, CreateSolidBrush(colors_.front()));
        HGDIOBJ oldPen = SelectObject(dc_, CreatePen(PS_SOLID, 1, colors_.front()));
        PatBlt(dc_, 0, 0, W, H, PATCOPY);
        const int q = static_cast<int>(colors_.size()) - 1;
        for (int s = 0; s < q; ++s)
            for (int n = 0; n < N; ++n) {
                step_ = Mix(colors_[s], colors_[s + 1], n, true);
                mirrored_ = Mix(colors_[s], colors_[s + 1], N - 1 - n, false);
                DeleteObject(SelectObject(dc_, CreateSolidBrush(step_)));
                SetPen(step_);
                Shape(style, q, s, n);
            }
        BitBlt(target_, 0, 0, W, H, dc_, 0, 0, SRCCOPY);
        DeleteObject(SelectObject(dc_, oldBrush));
        DeleteObject(SelectObject(dc_, oldPen));
        SelectObject(dc_, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc_);
    }

private:
    COLORREF Mix(COLORREF c0, COLORREF c1, int n, bool raise) const {
        auto channel = [&](int a, int b) {
            const int v = a + vcl::MulDiv(n, b - a, N - 1);
            return raise && v == 0 ? 1 : v;
        };
        return RGB(channel(GetRValue(c0), GetRValue(c1)), channel(GetGValue(c0), GetGValue(c1)),
                   channel(GetBValue(c0), GetBValue(c1)));
    }
    void SetPen(COLORREF color) {
        if (color == pen_) return;
        DeleteObject(SelectObject(dc_, CreatePen(PS_SOLID, 1, color)));
        pen_ = color;
    }
    static int R(double x) { return static_cast<int>(vcl::Round(x)); }
    int M(int a, int b) const { return vcl::MulDiv(a, b, N); }
    void Band(int x, int y, int w, int h) { PatBlt(dc_, x, y, w, h, PATCOPY); }
    void Line(int x0, int y0, int x1, int y1, COLORREF color) {
        SetPen(color);
        MoveToEx(dc_, x0, y0, nullptr);
        LineTo(dc_, x1, y1);
    }

    void Shape(TZylFillStyle style, int q, int s, int n) {
        switch (style) {
            case TZylFillStyle::Circle:
            case TZylFillStyle::Spectral: {
                const bool spectral = style == TZylFillStyle::Spectral;
                auto pick = [&](int index) { return spectral && index % 2 == 0 ? mirrored_ : step_; };
                const int bH = R(double(H) / q) + 1, oY = bH * s, bW = R(double(W) / q) + 1, oX = bW * s;
                for (int j = M(n, bW); j <= M(n + 2, bW); ++j)
                    Line(oX + j, 0, W - j - oX, H, pick(j));
                for (int i = M(n, bH); i <= M(n + 2, bH); ++i)
                    Line(0, oY + i, W, H - i - oY, pick(i));
                break;
            }
            case TZylFillStyle::Horizontal: {
                const int b = R(double(H) / q) + 1, o = b * s;
                Band(0, o + M(n, b), W, M(n + 2, b) - M(n, b));
                break;
            }
            case TZylFillStyle::Vertical: {
                const int b = R(double(W) / q) + 1, o = b * s;
                Band(o + M(n, b), 0, M(n + 2, b) - M(n, b), H);
                break;
            }
            case TZylFillStyle::LeftBottom: {
                const int bH = R(double(H) / q) + 1, oY = bH * s, u = R(double(W) / q) + 1, oX = u * s;
                Band(oX + M(n, u), oY + M(n, bH), W - M(n, u), H - M(n, bH));
                break;
            }
            case TZylFillStyle::RoundMiddle: {
                const int bH = R(double(H) / q) + 1, oY = R(bH / 2.0 * s) + 1;
                const int bW = R(double(W) / q) + 1, oX = R(bW / 2.0 * s) + 1;
                const int x = M(n, R(bW / 2.0) + 1), y = M(n, R(bH / 2.0) + 1);
                Ellipse(dc_, oX + x, oY + y, W - x - oX, H - y - oY);
                break;
            }
            case TZylFillStyle::SquareMiddle: {
                const int h = R(double(H) / q), oY = R(h / 2.0 * s), w = R(double(W) / q),
                          oX = R(w / 2.0 * s);
                const int x = M(n, R(w / 2.0)), y = M(n, R(h / 2.0));
                Band(oX + x, oY + y, W - 2 * x - 2 * oX, H - 2 * y - 2 * oY);
                break;
            }
            case TZylFillStyle::DoppelFlash: {
                const int bH = R(double(H) / q) + 1, oY = bH * s + 1, u = R(double(W) / q) + 1,
                          oX = u * s + 1;
                const int x = M(n, u), y = M(n, bH);
                Ellipse(dc_, oX + x, oY + y, W, H);
                Ellipse(dc_, W - x - oX, H - y - oY, 0, 0);
                break;
            }
            case TZylFillStyle::Singleflash: {
                const int h = R(double(H) / q), oY = h * s, w = R(double(W) / q), oX = w * s;
                Ellipse(dc_, oX + M(n, w), oY + M(n, h), W, H);
                break;
            }
            case TZylFillStyle::MiddleHBar: {
                const int b = R(double(H) / q) + 1, oY = R(b / 2.0 * s) + 1, k = R(b / 2.0);
                const int ya = H - M(n, k + 1), yb = H - M(n + 2, k + 1);
                Band(0, ya - oY - 1, W, yb - ya);
                Band(0, oY + M(n, k), W, M(n + 2, k) - M(n, k) + 1);
                break;
            }
            case TZylFillStyle::MiddleVBar: {
                const int b = R(double(W) / q) + 1, oX = R(b / 2.0 * s) + 1, k = R(b / 2.0);
                const int xa = W - M(n, k + 1), xb = W - M(n + 2, k + 1);
                Band(xa - oX - 1, 0, xb - xa, H);
                Band(oX + M(n, k), 0, M(n + 2, k) - M(n, k) + 1, H);
                break;
            }
            case TZylFillStyle::VerticalDoppelBar: {
                const int b = R(double(W) / q) + 1, oX = R(b / 3.0 * s) + 1, k = R(b / 3.0) + 1;
                const int x0 = M(n, k), x1 = M(n + 1, k), t = R(W / 3.0);
                Band(oX + x0, 0, x1 - x0, H);
                Band(2 * t - x1 - oX, 0, x1 - x0, H);
                Band(2 * t + oX + x0, 0, x1 - x0, H);
                break;
            }
            case TZylFillStyle::HorizontalDoppelBar: {
                const int b = R(double(H) / q) + 1, oY = R(b / 3.0 * s) + 1, k = R(b / 3.0) + 1;
                const int y0 = M(n, k), y1 = M(n + 1, k), t = R(H / 3.0);
                Band(0, oY + y0, W, y1 - y0);
                Band(0, 2 * t - y1 - oY, W, y1 - y0);
                Band(0, 2 * t + oY + y0, W, y1 - y0);
                break;
            }
        }
    }

    static constexpr int W = kWidth, H = kHeight;
    HDC target_;
    HDC dc_ = nullptr;
    std::vector<COLORREF> colors_;
    const int N;
    COLORREF step_ = 0, mirrored_ = 0, pen_ = CLR_INVALID;
};

std::string StyleName(int64_t style) {
    return std::string(vcl::EnumName(static_cast<TZylFillStyle>(style)));
}

void SolidFill(benchmark::State& state) {
    Target t;
    HBRUSH brush = CreateSolidBrush(RGB(12, 34, 56));
    HGDIOBJ old = SelectObject(t.dc, brush);
    for (auto _ : state) {
        PatBlt(t.dc, 0, 0, kWidth, kHeight, PATCOPY);
        benchmark::ClobberMemory();
    }
    DeleteObject(SelectObject(t.dc, old));
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(SolidFill)->Unit(benchmark::kMillisecond);

void MultiDraw(benchmark::State& state) {
    Target t;
    lumaro::TZylGradient gradient;
    gradient.SetBeginColor(kBegin);
    gradient.SetEndColor(kEnd);
    gradient.ColorsInBetween()->Add(vcl::ColorToString(kBetween));
    gradient.SetFillStyle(static_cast<TZylFillStyle>(state.range(0)));
    for (auto _ : state) {
        gradient.MultiDraw(t.dc, kWidth, kHeight, gradient.ColorsInBetween(), vcl::clWhite, true);
        benchmark::ClobberMemory();
    }
    state.SetLabel(StyleName(state.range(0)));
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(MultiDraw)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);

void PlatformCalls(benchmark::State& state) {
    Target t;
    const std::vector<COLORREF> colors{vcl::ColorToRGB(kBegin), vcl::ColorToRGB(kBetween),
                                       vcl::ColorToRGB(kEnd)};
    for (auto _ : state) {
        StraightPainter(t.dc, colors, 32).Paint(static_cast<TZylFillStyle>(state.range(0)));
        benchmark::ClobberMemory();
    }
    state.SetLabel(StyleName(state.range(0)));
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(PlatformCalls)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);

}  // namespace
