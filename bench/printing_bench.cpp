// A printed page: drawn by the raster engine on a Letter page at 150 dots per inch, then written as a
// PDF page (an RGB image, Flate-compressed). References in the same run: copying the surface once
// (the least any output must do) and zlib alone on the same pixels (the compression the PDF needs).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "dib_target.h"
#include "printing/pdf_writer.h"
#include "win32/gdi.h"

using namespace win32;

namespace {

constexpr int kWidth = 1275, kHeight = 1650;  // Letter at 150 dots per inch
const int64_t kBytes = int64_t{kWidth} * kHeight * 4;

struct Page : zylbench::DibTarget {
    Page() : DibTarget(kWidth, kHeight) {}

    // A report page: white paper, a title band, forty lines of text and a boxed table.
    void Draw() {
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT band{75, 75, kWidth - 75, 140};
        FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        for (int line = 0; line < 40; ++line) {
            const std::string text =
                "Line " + std::to_string(line) + ": the quick brown fox jumps over the lazy dog";
            TextOut(dc, 90, 160 + line * 20, text.c_str(), static_cast<int>(text.size()));
        }
        for (int row = 0; row < 10; ++row)
            Rectangle(dc, 90, 1000 + row * 40, kWidth - 90, 1041 + row * 40);
    }
};

void DrawAndWritePdfPage(benchmark::State& state) {
    Page page;
    for (auto _ : state) {
        page.Draw();
        printing::PdfWriter writer("Report");
        printing::PdfPage geometry{612, 792, 0, 0, 612, 792};
        writer.AddPage(geometry, page.bits, kWidth, kHeight, kWidth * 4);
        std::string pdf = writer.Finish();
        benchmark::DoNotOptimize(pdf.data());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(DrawAndWritePdfPage)->Unit(benchmark::kMillisecond);

void DrawOnly(benchmark::State& state) {
    Page page;
    for (auto _ : state) {
        page.Draw();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(DrawOnly)->Unit(benchmark::kMillisecond);

void ReferenceCopySurface(benchmark::State& state) {
    Page page;
    page.Draw();
    std::vector<uint32_t> copy(size_t{kWidth} * kHeight);
    for (auto _ : state) {
        std::memcpy(copy.data(), page.bits, copy.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferenceCopySurface)->Unit(benchmark::kMillisecond);

void ReferenceZlibSurface(benchmark::State& state) {
    Page page;
    page.Draw();
    std::vector<Bytef> packed(compressBound(static_cast<uLong>(kBytes)));
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(packed.size());
        compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(page.bits), static_cast<uLong>(kBytes),
                  Z_BEST_SPEED);
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferenceZlibSurface)->Unit(benchmark::kMillisecond);

}  // namespace
