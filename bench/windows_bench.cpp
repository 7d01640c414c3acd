// Window management at scale: creating, showing, moving, hiding and destroying one top-level window
// (with five children) while 10 or 5,000 other windows are alive, each step followed by the paint it
// causes. The run with 10 windows is the reference for the one with 5,000: the costs should match.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "win32/user.h"

namespace {

using namespace win32;
using Clock = std::chrono::steady_clock;

LRESULT PaintingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

void RegisterOnce() {
    static const bool registered = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = PaintingProc;
        wc.lpszClassName = "ScaleWindow";
        return RegisterClass(&wc) != 0;
    }();
    benchmark::DoNotOptimize(registered);
}

void Pump() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
}

HWND Make(HWND parent, int x, int y, int width, int height, DWORD style) {
    return CreateWindowEx(0, "ScaleWindow", "", style, x, y, width, height, parent, nullptr, nullptr,
                          nullptr);
}

// `count` windows alive: top-level windows of nine children each, overlapping one another on the
// left of the screen, away from the subject: what is measured is the cost of their number, not
// the painting of what the subject uncovers.
std::vector<HWND> Crowd(int count) {
    std::vector<HWND> tops;
    for (int made = 0, i = 0; made < count; ++i) {
        const int x = (i % 8) * 20, y = (i / 8 % 30) * 20;
        HWND top = Make(nullptr, x, y, 120, 100, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
        tops.push_back(top);
        ++made;
        for (int c = 0; c < 9 && made < count; ++c, ++made)
            Make(top, (c % 3) * 40, (c / 3) * 33, 38, 31, WS_CHILD | WS_VISIBLE);
    }
    Pump();
    return tops;
}

HWND Subject() {
    HWND top = Make(nullptr, 500, 200, 200, 150, WS_POPUP | WS_CLIPCHILDREN);
    for (int c = 0; c < 5; ++c)
        Make(top, 10 + c * 36, 10, 32, 24, WS_CHILD | WS_VISIBLE);
    return top;
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

enum Step { kCreate, kShow, kMove, kHide, kDestroy };

template <Step step>
void WindowStep(benchmark::State& state) {
    RegisterOnce();
    std::vector<HWND> crowd = Crowd(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto start = Clock::now();
        HWND w = Subject();
        double seconds = step == kCreate ? Seconds(start) : 0;
        if (step == kShow) start = Clock::now();
        ShowWindow(w, SW_SHOWNA);
        Pump();
        if (step == kShow) seconds = Seconds(start);
        if (step == kMove) start = Clock::now();
        SetWindowPos(w, nullptr, 540, 230, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
        if (step == kMove) seconds = Seconds(start);
        if (step == kHide) start = Clock::now();
        ShowWindow(w, SW_HIDE);
        Pump();
        if (step == kHide) seconds = Seconds(start);
        if (step == kDestroy) start = Clock::now();
        DestroyWindow(w);
        Pump();
        if (step == kDestroy) seconds = Seconds(start);
        state.SetIterationTime(seconds);
    }
    for (HWND top : crowd)
        DestroyWindow(top);
    Pump();
}

void Alive(benchmark::internal::Benchmark* b) {
    b->Arg(10)->Arg(5000)->ArgName("alive")->UseManualTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(WindowStep<kCreate>)->Name("Create")->Apply(Alive);
BENCHMARK(WindowStep<kShow>)->Name("ShowAndPaint")->Apply(Alive);
BENCHMARK(WindowStep<kMove>)->Name("MoveAndPaint")->Apply(Alive);
BENCHMARK(WindowStep<kHide>)->Name("HideAndPaint")->Apply(Alive);
BENCHMARK(WindowStep<kDestroy>)->Name("Destroy")->Apply(Alive);

}  // namespace
