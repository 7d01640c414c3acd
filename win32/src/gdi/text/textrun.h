// Runs of code points drawn with a device context's font, shared by TextOut, DrawText and DrawState.
#pragma once

#include <memory>
#include <string_view>

#include "gdi/dc_internal.h"
#include "gdi/text/fontengine.h"

namespace win32::gdi::text {

std::shared_ptr<FontInstance> FontOf(const DeviceContext& dc);
// Advance of the run along the baseline, with the character extra after each character.
int RunWidth(FontInstance& font, std::u32string_view run, int charExtra);
// Draws the run at a logical point interpreted by the DC's text alignment. dx (one advance per code
// point) replaces the font's advances; clipLogical limits the glyphs (ETO_CLIPPED); opaqueCell fills
// the text cell with the background colour first. Updates the current position under TA_UPDATECP.
void DrawRun(DeviceContext& dc, FontInstance& font, POINT logicalStart, std::u32string_view run,
             const INT* dx, const RECT* clipLogical, bool opaqueCell);

}  // namespace win32::gdi::text
