// Shared fixture of the window manager tests: a class whose procedure records every message.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win32/kernel.h"
#include "win32/user.h"

namespace usertest {

using namespace win32;

struct Entry {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Entry>& Log() {
    static std::vector<Entry> log;
    return log;
}

// Per-window overrides: return true when handled (result in *result).
using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
inline std::map<HWND, Handler>& Handlers() {
    static std::map<HWND, Handler> handlers;
    return handlers;
}
inline Handler& ClassHandler() {
    static Handler handler;
    return handler;
}

inline LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Entry{hwnd, message, wParam, lParam});
    LRESULT result = 0;
    if (auto found = Handlers().find(hwnd);
        found != Handlers().end() && found->second && found->second(hwnd, message, wParam, lParam, &result))
        return result;
    if (ClassHandler() && ClassHandler()(hwnd, message, wParam, lParam, &result)) return result;
    return DefWindowProc(hwnd, message, wParam, lParam);
}

// The messages one window received, in order, optionally only those in `only`.
inline std::vector<UINT> MessagesOf(HWND hwnd, const std::vector<UINT>& only = {}) {
    std::vector<UINT> out;
    for (const auto& e : Log())
        if (e.hwnd == hwnd && (only.empty() || std::find(only.begin(), only.end(), e.message) != only.end()))
            out.push_back(e.message);
    return out;
}

inline std::vector<std::pair<HWND, UINT>> Sequence(const std::vector<UINT>& only) {
    std::vector<std::pair<HWND, UINT>> out;
    for (const auto& e : Log())
        if (std::find(only.begin(), only.end(), e.message) != only.end()) out.emplace_back(e.hwnd, e.message);
    return out;
}

inline SYSTEMTIME Noon() {
    SYSTEMTIME t{};
    t.wYear = 2024, t.wMonth = 3, t.wDay = 1, t.wHour = 12;
    return t;
}

class UserTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::UseManualClock(Noon());
        Log().clear();
        Handlers().clear();
        ClassHandler() = nullptr;
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "Recorder";
        wc.hbrBackground = MakeHandle<HBRUSH>(COLOR_WINDOW + 1);
        ASSERT_NE(RegisterClass(&wc), 0);
        WNDCLASS plain = wc;
        plain.style = 0;
        plain.lpszClassName = "Plain";
        ASSERT_NE(RegisterClass(&plain), 0);
    }
    void TearDown() override {
        Handlers().clear();
        ClassHandler() = nullptr;
        win32::testing::ResetPlatform();
    }

    static HWND Top(int x = 100, int y = 100, int w = 300, int h = 200,
                    DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, const char* cls = "Recorder") {
        return CreateWindowEx(0, cls, "top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
    }
    static HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE,
                      int id = 0, const char* cls = "Recorder") {
        return CreateWindowEx(0, cls, "child", style, x, y, w, h, parent,
                              MakeHandle<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    }
    // Retrieves and dispatches everything pending (no waiting).
    static int Pump() {
        MSG msg;
        int count = 0;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            if (++count > 10000) break;
        }
        return count;
    }
};

}  // namespace usertest
