// Text output in glyphs per second. The reference in the same run renders the same glyphs with
// FreeType directly (load and render each glyph, monochrome), the work a text engine without a
// glyph cache would do for every string.
#include <benchmark/benchmark.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include <cstring>
#include <string>
#include FT_FREETYPE_H

#include "dib_target.h"
#include "win32/gdi.h"

using namespace win32;

namespace {

const std::string kLine = "The quick brown fox jumps over the lazy dog 0123456789 (fine print)";

struct Target : zylbench::DibTarget {
    HFONT font = nullptr;

    Target() : DibTarget(640, 48) {
        LOGFONT logFont{};
        logFont.lfHeight = -13;
        std::strcpy(logFont.lfFaceName, "Arial");
        font = CreateFontIndirect(&logFont);
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
    }
    ~Target() {
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
    }
};

void BM_TextOut(benchmark::State& state) {
    Target target;
    for (auto _ : state)
        TextOut(target.dc, 4, 8, kLine.data(), static_cast<int>(kLine.size()));
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kLine.size()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TextOut);

void BM_DrawTextCentered(benchmark::State& state) {
    Target target;
    for (auto _ : state) {
        RECT r{0, 0, 640, 48};
        DrawText(target.dc, kLine.data(), static_cast<int>(kLine.size()), &r,
                 DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kLine.size()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawTextCentered);

// Reference: FreeType renders every glyph of the line, as without a cache.
void BM_FreeTypeRenderReference(benchmark::State& state) {
    FcInit();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcPatternGetString(match, FC_FILE, 0, &file);
    FT_Library library;
    FT_Init_FreeType(&library);
    FT_Face face;
    FT_New_Face(library, reinterpret_cast<const char*>(file), 0, &face);
    FT_Set_Pixel_Sizes(face, 0, 13);
    for (auto _ : state) {
        for (char c : kLine) {
            FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
            benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
        }
    }
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kLine.size()),
                                                    benchmark::Counter::kIsRate);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}
BENCHMARK(BM_FreeTypeRenderReference);

}  // namespace
