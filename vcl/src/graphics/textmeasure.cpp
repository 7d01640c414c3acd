#include <algorithm>
#include <climits>

#include "vcl/graphics.h"

namespace vcl {

using namespace win32;

namespace {

int TextCount(std::string_view text) {
    return static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
}

}  // namespace

TextMeasure::TextMeasure(const TFont* font) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_) previousFont_ = SelectObject(dc_, font->Handle());
}

TextMeasure::~TextMeasure() {
    if (!dc_) return;
    SelectObject(dc_, previousFont_);
    DeleteDC(dc_);
}

TSize TextMeasure::Extent(std::string_view text) const {
    SIZE size{0, 0};
    if (dc_ && !GetTextExtentPoint32(dc_, text.data(), TextCount(text), &size)) size = {0, 0};
    return size;
}

TEXTMETRIC TextMeasure::Metrics() const {
    TEXTMETRIC metrics{};
    if (dc_) GetTextMetrics(dc_, &metrics);
    return metrics;
}

TRect TextMeasure::TextRect(std::string_view text, TRect bounds, UINT flags) const {
    // DrawText leaves the rectangle alone for no characters; no text measures as nothing.
    if (text.empty()) return Rect(bounds.left, bounds.top, bounds.left, bounds.top);
    if (dc_) DrawText(dc_, text.data(), TextCount(text), &bounds, flags | DT_CALCRECT);
    return bounds;
}

}  // namespace vcl
