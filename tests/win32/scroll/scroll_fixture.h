// Shared fixture of the scroll tests: a window class that records its scroll requests and, when asked,
// moves its own position the way an application's window procedure does.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "win32/input.h"
#include "win32/kernel.h"
#include "win32/user.h"

namespace scrolltest {

using namespace win32;

struct Request {
    HWND hwnd;
    UINT message;  // WM_VSCROLL or WM_HSCROLL
    WORD code;
    WORD pos;
    int trackPos;  // GetScrollInfo(SIF_TRACKPOS) while the request is handled
    int posNow;    // the position while the request is handled
};

struct Recorded {
    std::vector<Request> requests;
    std::vector<UINT> messages;
    bool applyRequests = false;
    int line = 1;
    int page = 10;
};

inline Recorded& Record() {
    static Recorded record;
    return record;
}

inline LRESULT ScrollingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& r = Record();
    r.messages.push_back(message);
    if (message == WM_VSCROLL || message == WM_HSCROLL) {
        const int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd, bar, &info);
        r.requests.push_back(
            Request{hwnd, message, LOWORD(wParam), HIWORD(wParam), info.nTrackPos, info.nPos});
        if (r.applyRequests) {
            int pos = info.nPos;
            switch (LOWORD(wParam)) {
                case SB_LINEUP:
                    pos -= r.line;
                    break;
                case SB_LINEDOWN:
                    pos += r.line;
                    break;
                case SB_PAGEUP:
                    pos -= r.page;
                    break;
                case SB_PAGEDOWN:
                    pos += r.page;
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION:
                    pos = info.nTrackPos;
                    break;
                default:
                    break;
            }
            SetScrollPos(hwnd, bar, pos, TRUE);
        }
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

inline SYSTEMTIME Noon() {
    SYSTEMTIME t{};
    t.wYear = 2024, t.wMonth = 3, t.wDay = 1, t.wHour = 12;
    return t;
}

class ScrollTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::UseManualClock(Noon());
        Record() = Recorded{};
        WNDCLASS wc{};
        wc.lpfnWndProc = ScrollingProc;
        wc.lpszClassName = "Scrolling";
        wc.hbrBackground = MakeHandle<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClass(&wc), 0);
    }
    void TearDown() override {
        win32::testing::SetModalScript(nullptr);
        win32::testing::ResetPlatform();
    }

    // A borderless 200 x 150 window at (100, 100): a vertical bar occupies screen x 284..299.
    static HWND Popup(DWORD extraStyle = WS_VSCROLL, int width = 200, int height = 150) {
        return CreateWindowEx(0, "Scrolling", "scroll", WS_POPUP | WS_VISIBLE | extraStyle, 100, 100, width,
                              height, nullptr, nullptr, nullptr, nullptr);
    }
    static int Pump() {
        MSG msg;
        int count = 0;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE) && count < 10000) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            ++count;
        }
        return count;
    }
    static std::vector<WORD> Codes() {
        std::vector<WORD> codes;
        for (const auto& r : Record().requests)
            codes.push_back(r.code);
        return codes;
    }
    static COLORREF ScreenPixel(int x, int y) {
        HDC dc = GetDC(nullptr);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(nullptr, dc);
        return c;
    }
};

}  // namespace scrolltest
