// The gradient painter on a full-HD area, style by style, against a solid fill of the same area and
// against the same shapes painted one by one with the platform's PatBlt, Ellipse and LineTo calls into a
// compatible bitmap (the straightforward way to paint them).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "dib_target.h"
#include "lumaro/zylbackgrounds.h"
#include "support/gradient_reference.h"
#include "win32/gdi.h"

using namespace win32;
using lumaro::TZylFillStyle;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
const int64_t kBytes = int64_t{kWidth} * kHeight * 4;
constexpr vcl::TColor kBegin = 0x2040E0, kBetween = vcl::clRed, kEnd = 0xF0A010;

struct Target : zylbench::DibTarget {
    Target() : DibTarget(kWidth, kHeight) {}
};

// The table's shapes with one platform call each, into a compatible bitmap that is then copied.
void PaintStraight(HDC target, const std::vector<COLORREF>& colors, TZylFillStyle style) {
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, kWidth, kHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    zyltest::GradientReference(dc, kWidth, kHeight, colors, 32).Draw(style);
    BitBlt(target, 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

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
        PaintStraight(t.dc, colors, static_cast<TZylFillStyle>(state.range(0)));
        benchmark::ClobberMemory();
    }
    state.SetLabel(StyleName(state.range(0)));
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(PlatformCalls)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);

}  // namespace
