// Shared fixture of the menu tests: a window class that records every message (with copies of the
// owner-draw records) and a modal script that plays one step each time a loop is idle.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "win32/input.h"
#include "win32/kernel.h"
#include "win32/menu.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace menutest {

using namespace win32;

struct Entry {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    MEASUREITEMSTRUCT measure;
    DRAWITEMSTRUCT draw;
};

inline std::vector<Entry>& Log() {
    static std::vector<Entry> log;
    return log;
}

// Answers a message instead of DefWindowProc when it returns true.
using Handler = std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)>;
inline Handler& Answer() {
    static Handler handler;
    return handler;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    const bool handled = Answer() && Answer()(message, wParam, lParam, &result);
    Entry e{hwnd, message, wParam, lParam, {}, {}};
    if (message == WM_MEASUREITEM) e.measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (message == WM_DRAWITEM) e.draw = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    Log().push_back(e);
    return handled ? result : DefWindowProc(hwnd, message, wParam, lParam);
}

// The menu messages, in order.
inline std::vector<Entry> MenuMessages() {
    static const UINT kinds[] = {WM_ENTERMENULOOP,   WM_EXITMENULOOP, WM_INITMENU, WM_INITMENUPOPUP,
                                 WM_UNINITMENUPOPUP, WM_MENUSELECT,   WM_MENUCHAR, WM_COMMAND,
                                 WM_SYSCOMMAND,      WM_MENUCOMMAND};
    std::vector<Entry> out;
    for (const Entry& e : Log())
        if (std::find(std::begin(kinds), std::end(kinds), e.message) != std::end(kinds)) out.push_back(e);
    return out;
}

inline std::vector<Entry> Only(UINT message) {
    std::vector<Entry> out;
    for (const Entry& e : Log())
        if (e.message == message) out.push_back(e);
    return out;
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        SYSTEMTIME noon{};
        noon.wYear = 2024, noon.wMonth = 3, noon.wDay = 1, noon.wHour = 12;
        win32::testing::UseManualClock(noon);
        Log().clear();
        Answer() = nullptr;
        steps_.clear();
        WNDCLASS wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "MenuOwner";
        wc.hbrBackground = MakeHandle<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClass(&wc), 0);
        win32::testing::SetModalScript([this](std::string_view) {
            if (steps_.empty()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
    }
    void TearDown() override {
        win32::testing::SetModalScript(nullptr);
        Answer() = nullptr;
        win32::testing::ResetPlatform();
    }

    HWND Owner(HMENU bar = nullptr, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
        HWND hwnd = CreateWindowEx(0, "MenuOwner", "owner", style, 100, 100, 400, 300, nullptr, bar, nullptr,
                                   nullptr);
        Pump();
        Log().clear();
        return hwnd;
    }
    static void Pump() {
        MSG msg;
        for (int i = 0; i < 10000 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    // Steps the user takes, one each time the menu loop waits.
    void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void Keys(std::initializer_list<int> keys) {
        for (int key : keys)
            Then([key] { input::PressKey(key); });
    }
    static POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    std::deque<std::function<void()>> steps_;
};

}  // namespace menutest
