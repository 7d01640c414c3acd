// A white 32-bit memory DC for pixel tests, and a way to write a row of pixels as text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "win32/gdi.h"
#include "win32/kernel.h"

namespace gditest {

using namespace win32;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

class Canvas {
public:
    Canvas(int width, int height, int bitsPerPixel = 32) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(width, height, 1, static_cast<UINT>(bitsPerPixel), nullptr);
        old_ = SelectObject(dc_, bitmap_);
        Clear(RGB(255, 255, 255));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    void Clear(COLORREF color) {
        HBRUSH brush = CreateSolidBrush(color);
        RECT all{0, 0, width_, height_};
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    // One character per pixel: '#' for `ink`, '.' for white, '?' for anything else.
    std::string Row(int y, COLORREF ink = RGB(0, 0, 0)) const {
        std::string out;
        for (int x = 0; x < width_; ++x) {
            COLORREF c = At(x, y);
            out += c == ink ? '#' : c == RGB(255, 255, 255) ? '.' : '?';
        }
        return out;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

}  // namespace gditest
