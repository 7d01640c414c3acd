// Slide transitions at 1024 x 768: frames per second of each effect (every frame rendered and copied to
// a screen-sized surface, as the presentation shows it, without the pacing), against a plain full-
// surface blit of the same size, the least a frame can cost.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "dib_target.h"
#include "lumaro/zylpresentation.h"
#include "win32/gdi.h"

using namespace win32;
using namespace lumaro;

namespace {

constexpr int kWidth = 1024, kHeight = 768;

std::unique_ptr<vcl::TBitmap> Picture(vcl::TColor color) {
    auto picture = ZylNewSlidePicture(kWidth, kHeight, color);
    picture->Canvas()->Brush()->SetColor(vcl::clWhite);
    picture->Canvas()->Ellipse(100, 100, 900, 700);
    return picture;
}

void FullSurfaceBlit(benchmark::State& state) {
    zylbench::DibTarget screen(kWidth, kHeight);
    const auto source = Picture(vcl::clNavy);
    for (auto _ : state) {
        BitBlt(screen.dc, 0, 0, kWidth, kHeight, source->Canvas()->Handle(), 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(FullSurfaceBlit)->Unit(benchmark::kMillisecond);

void Transition(benchmark::State& state) {
    const auto effect = static_cast<vcl::Integer>(state.range(0));
    state.SetLabel(std::string(vcl::EnumName(static_cast<TZylSlideeffects>(effect))));
    zylbench::DibTarget screen(kWidth, kHeight);
    const auto source = Picture(vcl::clNavy);
    const auto old = Picture(vcl::clMaroon);
    int64_t frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto shown = ZylNewSlidePicture(kWidth, kHeight, vcl::clBlack);
        BitBlt(shown->Canvas()->Handle(), 0, 0, kWidth, kHeight, old->Canvas()->Handle(), 0, 0, SRCCOPY);
        state.ResumeTiming();
        const TZylTransition transition(effect, kWidth, kHeight);
        for (int frame = 0; frame < transition.FrameCount(); ++frame) {
            transition.RenderFrame(frame, source.get(), shown.get());
            BitBlt(screen.dc, 0, 0, kWidth, kHeight, shown->Canvas()->Handle(), 0, 0, SRCCOPY);
        }
        frames += transition.FrameCount();
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(Transition)->DenseRange(1, kSlideEffectCount - 1)->Unit(benchmark::kMillisecond);

}  // namespace
