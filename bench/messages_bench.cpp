// Message dispatch speed: SendMessage and post + GetMessage + DispatchMessage against a direct call
// of the same window procedure through a function pointer.
#include <benchmark/benchmark.h>

#include "win32/user.h"

namespace {

using namespace win32;

LRESULT counter = 0;

LRESULT CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        counter += static_cast<LRESULT>(wParam);
        return counter;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND MakeWindow() {
    static HWND window = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = CountingProc;
        wc.lpszClassName = "BenchWindow";
        RegisterClass(&wc);
        return CreateWindowEx(0, "BenchWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
    }();
    return window;
}

constexpr int64_t kMessages = 1000000;

void DirectCall(benchmark::State& state) {
    HWND w = MakeWindow();
    WNDPROC volatile proc = CountingProc;
    for (auto _ : state) {
        for (int64_t i = 0; i < kMessages; ++i)
            benchmark::DoNotOptimize(proc(w, WM_USER, 1, 0));
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}

void SentMessages(benchmark::State& state) {
    HWND w = MakeWindow();
    for (auto _ : state) {
        for (int64_t i = 0; i < kMessages; ++i)
            benchmark::DoNotOptimize(SendMessage(w, WM_USER, 1, 0));
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}

void PostedMessages(benchmark::State& state) {
    HWND w = MakeWindow();
    MSG msg;
    for (auto _ : state) {
        // In batches, as a busy queue would hold them.
        for (int64_t done = 0; done < kMessages; done += 1000) {
            for (int i = 0; i < 1000; ++i)
                PostMessage(w, WM_USER, 1, 0);
            for (int i = 0; i < 1000; ++i) {
                GetMessage(&msg, nullptr, 0, 0);
                benchmark::DoNotOptimize(DispatchMessage(&msg));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}

BENCHMARK(DirectCall)->Unit(benchmark::kMillisecond);
BENCHMARK(SentMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(PostedMessages)->Unit(benchmark::kMillisecond);

}  // namespace
