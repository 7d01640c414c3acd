#include "stdctrls/captiontext.h"

namespace vcl::captiontext {

using namespace win32;

int DrawCanvasText(TCanvas* canvas, const std::string& text, TRect& rect, UINT flags) {
    // DrawText leaves the rectangle alone for no characters; an empty caption measures as nothing.
    if (text.empty()) {
        if (flags & DT_CALCRECT) rect = Rect(rect.left, rect.top, rect.left, rect.top);
        return 0;
    }
    const HDC dc = canvas->Handle();
    const int saved = SaveDC(dc);
    SelectObject(dc, canvas->Font()->Handle());
    SetTextColor(dc, ColorToRGB(canvas->Font()->Color()));
    SetBkMode(dc, TRANSPARENT);
    const int height = DrawText(dc, text.data(), static_cast<int>(text.size()), &rect, flags);
    RestoreDC(dc, saved);
    return height;
}

void DrawEmbossableText(TCanvas* canvas, const std::string& text, TRect& rect, UINT flags, bool enabled) {
    if (enabled || (flags & DT_CALCRECT)) {
        DrawCanvasText(canvas, text, rect, flags);
        return;
    }
    // The classic disabled look: a highlight copy one pixel down and right under a shadow copy.
    const TColor color = canvas->Font()->Color();
    OffsetRect(&rect, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    DrawCanvasText(canvas, text, rect, flags);
    OffsetRect(&rect, -1, -1);
    canvas->Font()->SetColor(clBtnShadow);
    DrawCanvasText(canvas, text, rect, flags);
    canvas->Font()->SetColor(color);
}

}  // namespace vcl::captiontext
