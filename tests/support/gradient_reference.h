// The gradient drawn the slow way, straight from the shape table with one platform call per shape:
// what the painter must reproduce pixel for pixel, and the straightforward speed it is measured against.
#pragma once

#include <utility>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "win32/gdi.h"

namespace zyltest {

using lumaro::TZylFillStyle;
using vcl::MulDiv;
using vcl::Round;
using win32::COLORREF;
using win32::HDC;
using win32::RGB;

// Paints on `dc` at (0, 0, width, height) with its own pen and brush, restoring the old ones.
class GradientReference {
public:
    GradientReference(HDC dc, int width, int height, std::vector<COLORREF> colors, int count)
        : dc_(dc), W(width), H(height), colors_(std::move(colors)), N(count) {}

    void Draw(TZylFillStyle style) {
        win32::HBRUSH brush = win32::CreateSolidBrush(colors_.front());
        win32::HGDIOBJ oldBrush = win32::SelectObject(dc_, brush);
        win32::HPEN pen = win32::CreatePen(win32::PS_SOLID, 1, colors_.front());
        win32::HGDIOBJ oldPen = win32::SelectObject(dc_, pen);
        win32::PatBlt(dc_, 0, 0, W, H, win32::PATCOPY);
        const int q = static_cast<int>(colors_.size()) - 1;
        for (int s = 0; s < q; ++s)
            for (int n = 0; n < N; ++n) {
                step_ = Mix(colors_[s], colors_[s + 1], n, true);
                mirrored_ = Mix(colors_[s], colors_[s + 1], N - 1 - n, false);
                win32::DeleteObject(win32::SelectObject(dc_, win32::CreateSolidBrush(step_)));
                win32::DeleteObject(win32::SelectObject(dc_, win32::CreatePen(win32::PS_SOLID, 1, step_)));
                pen_ = step_;
                Shape(style, q, s, n);
            }
        win32::DeleteObject(win32::SelectObject(dc_, oldBrush));
        win32::DeleteObject(win32::SelectObject(dc_, oldPen));
    }

private:
    COLORREF Mix(COLORREF c0, COLORREF c1, int n, bool raise) const {
        auto channel = [&](int a, int b) {
            int v = N < 2 ? a : a + MulDiv(n, b - a, N - 1);
            return raise && v == 0 ? 1 : v;
        };
        return RGB(channel(win32::GetRValue(c0), win32::GetRValue(c1)),
                   channel(win32::GetGValue(c0), win32::GetGValue(c1)),
                   channel(win32::GetBValue(c0), win32::GetBValue(c1)));
    }
    static int R(double x) { return static_cast<int>(Round(x)); }
    int M(int a, int b) const { return MulDiv(a, b, N); }
    void Band(int x, int y, int w, int h) { win32::PatBlt(dc_, x, y, w, h, win32::PATCOPY); }
    void Oval(int l, int t, int r, int b) { win32::Ellipse(dc_, l, t, r, b); }
    void Line(int x0, int y0, int x1, int y1, COLORREF color) {
        if (color != pen_) {
            win32::DeleteObject(win32::SelectObject(dc_, win32::CreatePen(win32::PS_SOLID, 1, color)));
            pen_ = color;
        }
        win32::MoveToEx(dc_, x0, y0, nullptr);
        win32::LineTo(dc_, x1, y1);
    }

    void Shape(TZylFillStyle style, int q, int s, int n) {
        switch (style) {
            case TZylFillStyle::Circle:
            case TZylFillStyle::Spectral: {
                const bool spectral = style == TZylFillStyle::Spectral;
                auto pick = [&](int index) { return spectral && index % 2 == 0 ? mirrored_ : step_; };
                const int bH = R(double(H) / q) + 1, oY = bH * s, bW = R(double(W) / q) + 1, oX = bW * s;
                for (int j = M(n, bW); j <= M(n + 2, bW); ++j)
                    Line(oX + j, 0, W - j - oX, H, pick(j));
                for (int i = M(n, bH); i <= M(n + 2, bH); ++i)
                    Line(0, oY + i, W, H - i - oY, pick(i));
                break;
            }
            case TZylFillStyle::Horizontal: {
                const int b = R(double(H) / q) + 1, o = b * s;
                Band(0, o + M(n, b), W, M(n + 2, b) - M(n, b));
                break;
            }
            case TZylFillStyle::Vertical: {
                const int b = R(double(W) / q) + 1, o = b * s;
                Band(o + M(n, b), 0, M(n + 2, b) - M(n, b), H);
                break;
            }
            case TZylFillStyle::LeftBottom: {
                const int bH = R(double(H) / q) + 1, oY = bH * s, u = R(double(W) / q) + 1, oX = u * s;
                const int x = M(n, u), y = M(n, bH);
                Band(oX + x, oY + y, W - x, H - y);
                break;
            }
            case TZylFillStyle::RoundMiddle: {
                const int bH = R(double(H) / q) + 1, oY = R(bH / 2.0 * s) + 1;
                const int bW = R(double(W) / q) + 1, oX = R(bW / 2.0 * s) + 1;
                const int x = M(n, R(bW / 2.0) + 1), y = M(n, R(bH / 2.0) + 1);
                Oval(oX + x, oY + y, W - x - oX, H - y - oY);
                break;
            }
            case TZylFillStyle::SquareMiddle: {
                const int h = R(double(H) / q), oY = R(h / 2.0 * s), w = R(double(W) / q),
                          oX = R(w / 2.0 * s);
                const int x = M(n, R(w / 2.0)), y = M(n, R(h / 2.0));
                Band(oX + x, oY + y, W - 2 * x - 2 * oX, H - 2 * y - 2 * oY);
                break;
            }
            case TZylFillStyle::DoppelFlash: {
                const int bH = R(double(H) / q) + 1, oY = bH * s + 1, u = R(double(W) / q) + 1,
                          oX = u * s + 1;
                const int x = M(n, u), y = M(n, bH);
                Oval(oX + x, oY + y, W, H);
                Oval(W - x - oX, H - y - oY, 0, 0);
                break;
            }
            case TZylFillStyle::Singleflash: {
                const int h = R(double(H) / q), oY = h * s, w = R(double(W) / q), oX = w * s;
                Oval(oX + M(n, w), oY + M(n, h), W, H);
                break;
            }
            case TZylFillStyle::MiddleHBar: {
                const int b = R(double(H) / q) + 1, oY = R(b / 2.0 * s) + 1, k = R(b / 2.0);
                const int ya = H - M(n, k + 1), yb = H - M(n + 2, k + 1);
                Band(0, ya - oY - 1, W, yb - ya);
                Band(0, oY + M(n, k), W, M(n + 2, k) - M(n, k) + 1);
                break;
            }
            case TZylFillStyle::MiddleVBar: {
                const int b = R(double(W) / q) + 1, oX = R(b / 2.0 * s) + 1, k = R(b / 2.0);
                const int xa = W - M(n, k + 1), xb = W - M(n + 2, k + 1);
                Band(xa - oX - 1, 0, xb - xa, H);
                Band(oX + M(n, k), 0, M(n + 2, k) - M(n, k) + 1, H);
                break;
            }
            case TZylFillStyle::VerticalDoppelBar: {
                const int b = R(double(W) / q) + 1, oX = R(b / 3.0 * s) + 1, k = R(b / 3.0) + 1;
                const int x0 = M(n, k), x1 = M(n + 1, k), t = R(W / 3.0);
                Band(oX + x0, 0, x1 - x0, H);
                Band(2 * t - x1 - oX, 0, x1 - x0, H);
                Band(2 * t + oX + x0, 0, x1 - x0, H);
                break;
            }
            case TZylFillStyle::HorizontalDoppelBar: {
                const int b = R(double(H) / q) + 1, oY = R(b / 3.0 * s) + 1, k = R(b / 3.0) + 1;
                const int y0 = M(n, k), y1 = M(n + 1, k), t = R(H / 3.0);
                Band(0, oY + y0, W, y1 - y0);
                Band(0, 2 * t - y1 - oY, W, y1 - y0);
                Band(0, 2 * t + oY + y0, W, y1 - y0);
                break;
            }
        }
    }

    HDC dc_;
    const int W, H;
    std::vector<COLORREF> colors_;
    const int N;
    COLORREF step_ = 0, mirrored_ = 0, pen_ = 0;
};

}  // namespace zyltest
