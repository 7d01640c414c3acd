// The raster engine against memory speed: solid fills against a plain fill of the same bytes, copies
// against memcpy of the same rows, a ternary raster operation and per-line and hatch fills against
// the same loops over raw memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "dib_target.h"
#include "win32/gdi.h"

using namespace win32;

namespace {

constexpr int kWidth = 1024, kHeight = 768;

struct Target : zylbench::DibTarget {
    Target() : DibTarget(kWidth, kHeight) {}
};

const int64_t kBytes = int64_t{kWidth} * kHeight * 4;

void FillRectSolid(benchmark::State& state) {
    Target t;
    HBRUSH brush = CreateSolidBrush(RGB(12, 34, 56));
    RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        FillRect(t.dc, &all, brush);
        benchmark::ClobberMemory();
    }
    DeleteObject(brush);
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(FillRectSolid);

void ReferenceFill(benchmark::State& state) {
    std::vector<uint32_t> buffer(size_t{kWidth} * kHeight);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::fill_n(buffer.data() + size_t{kWidth} * y, kWidth, 0x00382210u);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferenceFill);

void BitBltCopy(benchmark::State& state) {
    Target source, dest;
    for (auto _ : state) {
        BitBlt(dest.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BitBltCopy);

void ReferenceCopy(benchmark::State& state) {
    std::vector<uint32_t> from(size_t{kWidth} * kHeight), to(size_t{kWidth} * kHeight);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(to.data() + size_t{kWidth} * y, from.data() + size_t{kWidth} * y, kWidth * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferenceCopy);

void BitBltTernary(benchmark::State& state) {
    Target source, dest;
    HBRUSH brush = CreateSolidBrush(RGB(200, 100, 50));
    SelectObject(dest.dc, brush);
    for (auto _ : state) {
        BitBlt(dest.dc, 0, 0, kWidth, kHeight, source.dc, 0, 0, 0x00E20746);
        benchmark::ClobberMemory();
    }
    SelectObject(dest.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BitBltTernary);

void ReferenceTernary(benchmark::State& state) {
    std::vector<uint32_t> from(size_t{kWidth} * kHeight), to(size_t{kWidth} * kHeight);
    const uint32_t p = 0x00C86432;
    for (auto _ : state) {
        for (size_t i = 0; i < to.size(); ++i)
            to[i] = (((p ^ to[i]) & from[i]) ^ to[i]) & 0x00FFFFFF;
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferenceTernary);

void GradientLines(benchmark::State& state) {
    Target t;
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            HBRUSH brush = CreateSolidBrush(RGB(y & 255, 0, 255 - (y & 255)));
            RECT line{0, y, kWidth, y + 1};
            FillRect(t.dc, &line, brush);
            DeleteObject(brush);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(GradientLines);

void ReferenceGradientLines(benchmark::State& state) {
    std::vector<uint32_t> buffer(size_t{kWidth} * kHeight);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::fill_n(buffer.data() + size_t{kWidth} * y, kWidth,
                        static_cast<uint32_t>(((y & 255) << 16) | (255 - (y & 255))));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferenceGradientLines);

void HatchFill(benchmark::State& state) {
    Target t;
    HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 128));
    RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        FillRect(t.dc, &all, brush);
        benchmark::ClobberMemory();
    }
    DeleteObject(brush);
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(HatchFill);

void ReferencePatternFill(benchmark::State& state) {
    std::vector<uint32_t> buffer(size_t{kWidth} * kHeight);
    uint32_t pattern[8][8];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern[y][x] = (x == y || x + y == 7) ? 0x000080u : 0xFFFFFFu;
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            uint32_t* row = buffer.data() + size_t{kWidth} * y;
            for (int x = 0; x < kWidth; x += 8)
                std::memcpy(row + x, pattern[y & 7], 32);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(ReferencePatternFill);

}  // namespace
