// Measures the edits with embedded buttons share: the smallest height at which their text fits.
#pragma once

#include <algorithm>

#include "vcl/graphics.h"
#include "win32/gdi.h"
#include "win32/user.h"

namespace pellic::editmetrics {

// H + min(Hs, H) div 4 + 4 border widths, where H is the text height of `font` and Hs that of the
// screen's system font.
inline vcl::Integer MinimumTextHeight(const vcl::TFont* font) {
    const win32::HDC screen = win32::GetDC(nullptr);
    win32::TEXTMETRIC metrics{};
    const win32::HGDIOBJ previous = win32::SelectObject(screen, win32::GetStockObject(win32::SYSTEM_FONT));
    win32::GetTextMetrics(screen, &metrics);
    const vcl::Integer systemHeight = metrics.tmHeight;
    win32::SelectObject(screen, font->Handle());
    win32::GetTextMetrics(screen, &metrics);
    win32::SelectObject(screen, previous);
    win32::ReleaseDC(nullptr, screen);
    const vcl::Integer height = metrics.tmHeight;
    return height + std::min(systemHeight, height) / 4 + win32::GetSystemMetrics(win32::SM_CYBORDER) * 4;
}

}  // namespace pellic::editmetrics
