// Caption painting shared by the label, the buttons and the group box.
#pragma once

#include <string>

#include "vcl/graphics.h"

namespace vcl::captiontext {

// DrawText with the canvas's font, transparent, leaving the canvas's selections as they were.
int DrawCanvasText(TCanvas* canvas, const std::string& text, TRect& rect, win32::UINT flags);

// Enabled text as it is; disabled text embossed the classic way. Measuring is never embossed.
void DrawEmbossableText(TCanvas* canvas, const std::string& text, TRect& rect, win32::UINT flags, bool enabled);

}  // namespace vcl::captiontext
