// Windows of a CS_SAVEBITS class give back the screen under them when they go, and the windows
// below are asked to paint only what changed under them meanwhile.
#include "recorder.h"

namespace savebits_tests {
using namespace usertest;

class SavedBits : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        WNDCLASS wc{};
        wc.style = CS_SAVEBITS;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "Saver";
        wc.hbrBackground = MakeHandle<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClass(&wc), 0);
    }

    // A window that paints itself in `*color`.
    static HWND Painted(int x, int y, int width, int height, const COLORREF* color,
                        const char* cls = "Recorder") {
        HWND hwnd = Top(x, y, width, height, WS_POPUP | WS_VISIBLE, cls);
        Handlers()[hwnd] = [color](HWND h, UINT m, WPARAM, LPARAM, LRESULT*) {
            if (m != WM_PAINT) return false;
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(h, &ps);
            HBRUSH brush = CreateSolidBrush(*color);
            FillRect(dc, &ps.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(h, &ps);
            return true;
        };
        return hwnd;
    }

    static int Paints(HWND hwnd) { return static_cast<int>(MessagesOf(hwnd, {WM_PAINT, WM_NCPAINT}).size()); }
};

TEST_F(SavedBits, HidingOrDestroyingPutsTheScreenBackWithoutRepaint) {
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroy" : "hide");
        const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0);
        HWND back = Painted(0, 0, 300, 300, &red);
        Pump();
        HDC screen = GetDC(nullptr);
        HWND saver = Painted(50, 50, 100, 100, &green, "Saver");
        Pump();
        EXPECT_EQ(GetPixel(screen, 60, 60), green);
        Log().clear();
        if (destroy)
            DestroyWindow(saver);
        else
            ShowWindow(saver, SW_HIDE);
        EXPECT_FALSE(GetUpdateRect(back, nullptr, FALSE));
        Pump();
        EXPECT_EQ(Paints(back), 0);
        for (const POINT p : {POINT{60, 60}, POINT{149, 149}, POINT{10, 10}})
            EXPECT_EQ(GetPixel(screen, p.x, p.y), red);
        ReleaseDC(nullptr, screen);
        DestroyWindow(back);
        if (!destroy) DestroyWindow(saver);
    }
}

TEST_F(SavedBits, WhatWasDrawnBelowMeanwhileIsPaintedAgain) {
    // Painted while covered, or still waiting for paint when the saver goes.
    for (const bool paintWhileCovered : {true, false}) {
        SCOPED_TRACE(paintWhileCovered ? "painted while covered" : "pending");
        COLORREF color = RGB(255, 0, 0);
        const COLORREF green = RGB(0, 255, 0);
        HWND back = Painted(0, 0, 300, 300, &color);
        Pump();
        HDC screen = GetDC(nullptr);
        HWND saver = Painted(50, 50, 100, 100, &green, "Saver");
        Pump();
        color = RGB(0, 0, 255);
        RECT part{0, 0, 100, 100};
        InvalidateRect(back, &part, TRUE);
        if (paintWhileCovered) UpdateWindow(back);
        Log().clear();
        DestroyWindow(saver);
        Pump();
        EXPECT_EQ(Paints(back), 1);
        EXPECT_EQ(GetPixel(screen, 60, 60), color);
        EXPECT_EQ(GetPixel(screen, 99, 99), color);
        EXPECT_EQ(GetPixel(screen, 120, 120), RGB(255, 0, 0));  // restored, never drawn since
        ReleaseDC(nullptr, screen);
        DestroyWindow(back);
    }
}

TEST_F(SavedBits, WindowsAboveKeepTheirPixelsAndAreNotRepainted) {
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
    HWND back = Painted(0, 0, 300, 300, &red);
    Pump();
    HDC screen = GetDC(nullptr);
    HWND saver = Painted(50, 50, 100, 100, &green, "Saver");
    HWND above = Painted(100, 100, 100, 100, &blue);
    Pump();
    Log().clear();
    DestroyWindow(saver);
    Pump();
    EXPECT_EQ(Paints(back) + Paints(above), 0);
    EXPECT_EQ(GetPixel(screen, 60, 60), red);
    EXPECT_EQ(GetPixel(screen, 120, 120), blue);
    ReleaseDC(nullptr, screen);
}

TEST_F(SavedBits, MovingTheSaverOrChangingTheScreenDropsTheBits) {
    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0);
    HWND back = Painted(0, 0, 300, 300, &red);
    HWND saver = Painted(50, 50, 100, 100, &green, "Saver");
    Pump();
    SetWindowPos(saver, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(back, &update, FALSE));
    EXPECT_EQ(update.left, 50);
    Pump();
    ShowWindow(saver, SW_HIDE);
    EXPECT_TRUE(GetUpdateRect(back, nullptr, FALSE));  // the bits were taken at the old place

    ShowWindow(saver, SW_SHOW);  // above `back` again, which took the activation
    Pump();
    Log().clear();
    win32::testing::SetScreenSize(800, 600);
    Pump();
    EXPECT_EQ(Paints(back), 1);  // the new screen starts blank
    Log().clear();
    ShowWindow(saver, SW_HIDE);
    EXPECT_TRUE(GetUpdateRect(back, nullptr, FALSE));
}

}  // namespace savebits_tests
