// The font engine: turns a LOGFONT into a face found by fontconfig, rendered by FreeType as
// monochrome glyphs (no anti-aliasing: components match colours exactly), with the metrics GDI
// reports. Instances are cached by request and shared; glyphs are cached per instance.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win32/gdi.h"

namespace win32::gdi::text {

// One rendered glyph. The bitmap's top-left corner is at (pen.x + left, pen.y - top) in device
// coordinates (y down), where pen is the point on the baseline where the glyph starts.
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes per row, MSB first
    std::vector<uint8_t> bits;
    // Advance of the pen in device pixels (y down); rotated with the escapement.
    int advanceX = 0;
    int advanceY = 0;
    // Advance along the baseline before rotation, for extents.
    int advance = 0;
};

struct FontMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool fixedPitch = false;
    bool trueType = true;  // false for the Windows raster face names we stand in for
    BYTE charSet = ANSI_CHARSET;
    BYTE family = FF_SWISS;
    // Below the baseline (positive down) and thickness, in pixels.
    int underlinePosition = 1;
    int underlineThickness = 1;
    // Above the baseline.
    int strikeOutPosition = 0;
    int strikeOutThickness = 1;
};

class FontInstance {
public:
    virtual ~FontInstance() = default;
    virtual const FontMetrics& Metrics() const = 0;
    // The face name GDI reports: the requested Windows name when it is one we map, else the family.
    virtual const std::string& FaceName() const = 0;
    // Escapement in tenths of a degree, counter-clockwise.
    virtual int Escapement() const = 0;
    // Never null; a character the face lacks renders as the face's missing-glyph box.
    virtual const Glyph& GlyphFor(char32_t code) = 0;
};

// The instance for a LOGFONT at a resolution (LOGPIXELSY). Never null: every request falls back to
// the default family.
std::shared_ptr<FontInstance> GetFont(const LOGFONT& logFont, int logPixelsY);

// UTF-8 to code points; malformed bytes become U+FFFD one byte at a time, so nothing is skipped.
std::u32string DecodeUtf8(std::string_view text);

enum class FontKind : uint8_t { raster, device, trueType };

struct FontFamily {
    std::string name;
    FontKind kind;
    bool fixedPitch;
    BYTE family;  // FF_*
};

// Face names compare without regard to ASCII case.
bool SameFaceName(std::string_view a, std::string_view b);

// The families the screen offers: the Windows names we map, then the installed families, sorted
// and without duplicates.
std::vector<FontFamily> ScreenFontFamilies();

}  // namespace win32::gdi::text
