// The live X11 display on a private Xvfb: whole-window uploads of a 1024x768 window through MIT-SHM
// against XPutImage (each the other's reference), and the time from a key pressed on the server
// (XTEST) to the changed pixels read back from the server, against the same key injected into the
// platform's own input queue.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/xvfb_server.h"
#include "win32/display.h"
#include "win32/input.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using namespace win32;

// The character typed last, as the window's colour.
COLORREF typedColour = RGB(255, 255, 255);

LRESULT ColourProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
            typedColour = typedColour == RGB(255, 255, 255) ? RGB(0, 0, 128) : RGB(255, 255, 255);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd, &ps);
            HBRUSH brush = CreateSolidBrush(typedColour);
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// A function's static, so that the server is stopped when the program ends although the live
// state itself is never destroyed (the platform may still use it while the program exits).
zyltest::XvfbServer& TheServer() {
    static zyltest::XvfbServer server;
    return server;
}

struct Live {
    zyltest::XvfbServer& server = TheServer();
    Display* observer = nullptr;  // a second client: reads pixels back, presses keys
    HWND window = nullptr;
    ::Window xid = 0;
    std::string error;

    Live() {
        if (server.Name().empty()) {
            error = "Xvfb did not start";
            return;
        }
        if (!display::OpenX11(server.Name().c_str(), &error)) return;
        observer = XOpenDisplay(server.Name().c_str());
        WNDCLASS wc{};
        wc.lpfnWndProc = ColourProc;
        wc.lpszClassName = "BenchColour";
        RegisterClass(&wc);
        window = CreateWindowEx(0, "BenchColour", "Display bench", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768,
                                nullptr, nullptr, nullptr, nullptr);
        SetForegroundWindow(window);
        // Until the window is on the server, painted and focused.
        for (int i = 0; i < 5000 && (!xid || Pixel() == 0); ++i) {
            Pump();
            if (!xid) xid = Find(DefaultRootWindow(observer));
        }
        if (!xid) error = "the window never reached the server";
    }
    ::Window Find(::Window parent) {
        ::Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (!XQueryTree(observer, parent, &root, &up, &children, &count)) return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(observer, children[i], &name) && name) {
                if (std::string(name) == "Display bench") found = children[i];
                XFree(name);
            }
        }
        if (children) XFree(children);
        return found;
    }
    void Pump() {
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        } else {
            usleep(100);
        }
    }
    // The server's pixel near the window's top-left corner (0 before the window shows).
    unsigned long Pixel() {
        if (!xid) return 0;
        XImage* image = XGetImage(observer, xid, 10, 10, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0;
        const unsigned long pixel = XGetPixel(image, 0, 0) | 0xFF000000;
        XDestroyImage(image);
        return pixel;
    }
};

Live& TheLive() {
    static Live* live = new Live;
    return *live;
}

void Uploads(benchmark::State& state, bool sharedMemory) {
    Live& live = TheLive();
    if (!live.error.empty()) {
        state.SkipWithError(live.error.c_str());
        return;
    }
    if (!display::UseSharedMemory(sharedMemory)) {
        state.SkipWithError("MIT-SHM is not available");
        return;
    }
    for (auto _ : state)
        if (!display::RefreshWindow(live.window)) state.SkipWithError("the window is not on the server");
    state.counters["uploads/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    display::UseSharedMemory(true);
}

void BM_FullWindowUpload_XPutImage(benchmark::State& state) {
    Uploads(state, false);
}
void BM_FullWindowUpload_SharedMemory(benchmark::State& state) {
    Uploads(state, true);
}

// Presses and releases 'a' (on the server or in the platform) and waits for the new colour on the
// server.
void KeyToPixels(benchmark::State& state, bool throughServer) {
    Live& live = TheLive();
    if (!live.error.empty() || !live.observer) {
        state.SkipWithError(live.error.empty() ? "no second connection" : live.error.c_str());
        return;
    }
    const KeyCode key = XKeysymToKeycode(live.observer, XK_a);
    for (auto _ : state) {
        const unsigned long before = live.Pixel();
        if (throughServer) {
            XTestFakeKeyEvent(live.observer, key, True, CurrentTime);
            XTestFakeKeyEvent(live.observer, key, False, CurrentTime);
            XFlush(live.observer);
        } else {
            input::PressKey('A');
        }
        int spins = 0;
        while (live.Pixel() == before && ++spins < 100000)
            live.Pump();
        if (spins >= 100000) state.SkipWithError("the key never changed the pixels");
    }
}

void BM_KeyToPixels_ThroughServer(benchmark::State& state) {
    KeyToPixels(state, true);
}
void BM_KeyToPixels_InjectedReference(benchmark::State& state) {
    KeyToPixels(state, false);
}

// The server works while this process waits: wall time is what counts.
BENCHMARK(BM_FullWindowUpload_XPutImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullWindowUpload_SharedMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeyToPixels_InjectedReference)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_KeyToPixels_ThroughServer)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
