// Helpers shared by the extra-control tests: controls made on a form and painted on a marked ground.
#pragma once

#include <string>

#include "support/ui_fixture.h"
#include "vcl/buttons.h"
#include "vcl/extctrls.h"

namespace zyltest {

template <typename T>
T* MakeOn(vcl::TWinControl* parent, const std::string& name, vcl::Integer left, vcl::Integer top,
          vcl::Integer width, vcl::Integer height) {
    auto* control = new T(parent);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// A colour none of the controls paints, so that untouched pixels are told apart.
inline constexpr vcl::TColor kGround = 0x00123456;

// The control painted on its own into a bitmap first filled with kGround.
inline std::unique_ptr<vcl::TBitmap> PaintOnGround(vcl::TControl* control) {
    auto bitmap = std::make_unique<vcl::TBitmap>();
    bitmap->SetSize(control->Width(), control->Height());
    bitmap->Canvas()->Brush()->SetColor(kGround);
    bitmap->Canvas()->FillRect(vcl::Rect(0, 0, control->Width(), control->Height()));
    control->PaintTo(bitmap->Canvas(), 0, 0);
    return bitmap;
}

inline vcl::TColor Rgb(vcl::TColor color) {
    return static_cast<vcl::TColor>(vcl::ColorToRGB(color));
}

inline vcl::TColor PixelAt(vcl::TBitmap& bitmap, int x, int y) {
    return bitmap.Canvas()->Pixels(x, y) & 0xFFFFFF;
}

inline int CountColor(vcl::TBitmap& bitmap, vcl::TColor color) {
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (PixelAt(bitmap, x, y) == Rgb(color)) ++count;
    return count;
}

// The top-left corner of the first pixel of `color` in row order; (-1, -1) when there is none.
inline vcl::TPoint FindColor(vcl::TBitmap& bitmap, vcl::TColor color) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (PixelAt(bitmap, x, y) == Rgb(color)) return vcl::Point(x, y);
    return vcl::Point(-1, -1);
}

// The child objects of a form file: the form's own lines are the forms unit's business.
inline std::string Children(const std::string& formText) {
    const size_t first = formText.find("\n  object ");
    return first == std::string::npos ? std::string() : formText.substr(first);
}

// Points and rectangles as text, for comparisons that show the values when they fail.
inline std::string Text(vcl::TPoint p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}
inline std::string Text(const vcl::TRect& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + ")";
}

}  // namespace zyltest
