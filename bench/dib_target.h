// The surface the benchmarks paint on: a 32-bit top-down DIB section selected into a memory DC, with
// its pixels at hand.
#pragma once

#include <cstdint>

#include "win32/gdi.h"

namespace zylbench {

struct DibTarget {
    win32::HDC dc = nullptr;
    win32::HBITMAP bitmap = nullptr;
    win32::HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;

    DibTarget(int width, int height) {
        win32::BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(win32::BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* pixels = nullptr;
        bitmap = win32::CreateDIBSection(nullptr, &info, win32::DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint32_t*>(pixels);
        dc = win32::CreateCompatibleDC(nullptr);
        old = win32::SelectObject(dc, bitmap);
    }
    ~DibTarget() {
        win32::SelectObject(dc, old);
        win32::DeleteObject(bitmap);
        win32::DeleteDC(dc);
    }
    DibTarget(const DibTarget&) = delete;
    DibTarget& operator=(const DibTarget&) = delete;
};

}  // namespace zylbench
