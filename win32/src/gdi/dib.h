// Device-independent bitmap pixel data: decoding every BMP pixel format into 32-bit surfaces and
// encoding surfaces back, shared by the DIB calls and the BMP/ICO file readers and writers.
#pragma once

#include <string>
#include <vector>

#include "gdi/gdi_objects.h"

namespace win32::gdi {

struct DibFormat {
    int width = 0;
    int height = 0;  // rows, always positive
    bool bottomUp = true;
    int bitsPerPixel = 0;
    DWORD compression = BI_RGB;
    std::vector<uint32_t> palette;  // surface colours (0x00RRGGBB)
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue for BI_BITFIELDS
};

// Bytes of one uncompressed row (DWORD aligned); 0 when the size does not fit.
size_t DibRowBytes(long long width, int bitsPerPixel);

// Reads the header at `info` (`available` bytes from it: the header, masks and colour table) into a
// format. Checks every size and count; false with `error` on anything invalid or unsupported.
bool ParseDibHeader(const uint8_t* info, size_t available, DibFormat& format, size_t& headerAndTableBytes,
                    std::string* error);

// Decodes pixel data of `size` bytes into `target` (32 bpp, format.width x format.height, top row first).
// Pixels that compressed data skips take palette entry 0, or keep the target's pixels with
// `overPrevious` (the delta frames of a video clip).
bool DecodeDibPixels(const DibFormat& format, const uint8_t* data, size_t size, Surface& target,
                     std::string* error, bool overPrevious = false);

// Encodes a surface (top row first) as DIB rows of the given depth, with `palette` for 1/4/8 bits.
std::vector<uint8_t> EncodeDibPixels(const Surface& source, int bitsPerPixel,
                                     const std::vector<uint32_t>& palette, bool bottomUp, bool rle);

// A palette for `bitsPerPixel` (1, 4 or 8): black and white for 1 bit, else the surface's own colours
// when they fit, else a fixed spread of colours.
std::vector<uint32_t> ChoosePalette(const Surface& source, int bitsPerPixel);

}  // namespace win32::gdi
