// DIB pixel formats: 1, 4, 8, 16, 24 and 32 bits; BI_RGB, BI_RLE4, BI_RLE8, BI_BITFIELDS.
#include "gdi/dib.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "gdi/raster.h"

namespace win32::gdi {

namespace {

uint32_t ReadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t ReadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool Fail(std::string* error, const char* message) {
    if (error) *error = message;
    return false;
}

// Extracts a channel by mask and scales it to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t m = mask >> shift;
    int bits = 0;
    while (bits < 32 && ((m >> bits) & 1))
        ++bits;
    uint32_t v = (value >> shift) & m;
    if (bits >= 8) return v >> (bits - 8);
    // Replicate the high bits so that full scale maps to 255.
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits) | v;
        filled += bits;
    }
    return out >> (filled - 8);
}

int Nearest(const std::vector<uint32_t>& palette, uint32_t color) {
    int best = 0;
    long long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long long dr = static_cast<long long>((palette[i] >> 16) & 0xFF) - ((color >> 16) & 0xFF);
        long long dg = static_cast<long long>((palette[i] >> 8) & 0xFF) - ((color >> 8) & 0xFF);
        long long db = static_cast<long long>(palette[i] & 0xFF) - (color & 0xFF);
        long long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
            if (d == 0) break;
        }
    }
    return best;
}

}  // namespace

size_t DibRowBytes(long long width, int bitsPerPixel) {
    if (width < 0 || width > MAX_IMAGE_DIMENSION) return 0;
    long long bits = width * bitsPerPixel;
    return static_cast<size_t>(((bits + 31) / 32) * 4);
}

bool ParseDibHeader(const uint8_t* info, size_t available, DibFormat& format, size_t& used,
                    std::string* error) {
    if (available < 12) return Fail(error, "bitmap header truncated");
    uint32_t headerSize = ReadLE32(info);
    long long width, height;
    int planes, bpp;
    DWORD compression = BI_RGB;
    uint32_t colorsUsed = 0;
    if (headerSize == 12) {
        width = ReadLE16(info + 4);
        height = static_cast<int16_t>(ReadLE16(info + 6));
        planes = ReadLE16(info + 8);
        bpp = ReadLE16(info + 10);
    } else if (headerSize >= 40 && headerSize <= 1024) {
        if (available < headerSize) return Fail(error, "bitmap header truncated");
        width = static_cast<int32_t>(ReadLE32(info + 4));
        height = static_cast<int32_t>(ReadLE32(info + 8));
        planes = ReadLE16(info + 12);
        bpp = ReadLE16(info + 14);
        compression = ReadLE32(info + 16);
        colorsUsed = ReadLE32(info + 32);
    } else {
        return Fail(error, "unsupported bitmap header size");
    }
    if (planes != 1) return Fail(error, "bitmap must have one plane");
    if (width <= 0 || width > MAX_IMAGE_DIMENSION) return Fail(error, "bitmap width out of range");
    if (height == 0 || height > MAX_IMAGE_DIMENSION || height < -MAX_IMAGE_DIMENSION)
        return Fail(error, "bitmap height out of range");
    if (width * std::llabs(height) > MAX_IMAGE_PIXELS) return Fail(error, "bitmap too large");
    switch (bpp) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return Fail(error, "unsupported bits per pixel");
    }
    switch (compression) {
        case BI_RGB:
            break;
        case BI_RLE8:
            if (bpp != 8) return Fail(error, "RLE8 needs 8 bits per pixel");
            break;
        case BI_RLE4:
            if (bpp != 4) return Fail(error, "RLE4 needs 4 bits per pixel");
            break;
        case BI_BITFIELDS:
            if (bpp != 16 && bpp != 32) return Fail(error, "bit fields need 16 or 32 bits per pixel");
            break;
        default:
            return Fail(error, "unsupported compression");
    }
    if ((compression == BI_RLE8 || compression == BI_RLE4) && height < 0)
        return Fail(error, "compressed bitmaps cannot be top-down");
    format.width = static_cast<int>(width);
    format.height = static_cast<int>(std::llabs(height));
    format.bottomUp = height > 0;
    format.bitsPerPixel = bpp;
    format.compression = compression;
    size_t offset = headerSize;
    if (compression == BI_BITFIELDS) {
        // The masks follow a 40-byte header; larger headers hold them inside.
        if (headerSize == 40) {
            if (available < offset + 12) return Fail(error, "bit field masks truncated");
            for (int i = 0; i < 3; ++i)
                format.masks[i] = ReadLE32(info + 40 + 4 * i);
            offset += 12;
        } else {
            if (headerSize < 52 || available < 52) return Fail(error, "bit field masks truncated");
            for (int i = 0; i < 3; ++i)
                format.masks[i] = ReadLE32(info + 40 + 4 * i);
        }
    } else if (bpp == 16) {
        format.masks[0] = 0x7C00;
        format.masks[1] = 0x03E0;
        format.masks[2] = 0x001F;
    } else if (bpp == 32) {
        format.masks[0] = 0x00FF0000;
        format.masks[1] = 0x0000FF00;
        format.masks[2] = 0x000000FF;
    }
    if (bpp <= 8) {
        uint32_t count = colorsUsed ? colorsUsed : (1u << bpp);
        if (count > (1u << bpp)) return Fail(error, "colour table too large");
        size_t entry = headerSize == 12 ? 3 : 4;
        if (available < offset + count * entry) return Fail(error, "colour table truncated");
        format.palette.resize(1u << bpp, 0);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* q = info + offset + i * entry;
            format.palette[i] =
                (static_cast<uint32_t>(q[2]) << 16) | (static_cast<uint32_t>(q[1]) << 8) | q[0];
        }
        offset += count * entry;
    }
    used = offset;
    return true;
}

bool DecodeDibPixels(const DibFormat& f, const uint8_t* data, size_t size, Surface& target,
                     std::string* error, bool overPrevious) {
    auto rowOf = [&](int fileRow) { return f.bottomUp ? f.height - 1 - fileRow : fileRow; };
    auto paletteColor = [&](unsigned index) -> uint32_t {
        return index < f.palette.size() ? f.palette[index] : 0;
    };
    if (f.compression == BI_RLE8 || f.compression == BI_RLE4) {
        // Pixels skipped by deltas or an early end stay at palette entry 0, as in Win32.
        if (!overPrevious)
            for (int y = 0; y < f.height; ++y)
                std::fill_n(target.Row32(y), f.width, paletteColor(0));
        size_t pos = 0;
        long long x = 0, row = 0;
        bool four = f.compression == BI_RLE4;
        auto put = [&](unsigned index) {
            if (row < f.height && x < f.width)
                target.Row32(rowOf(static_cast<int>(row)))[x] = paletteColor(index);
            ++x;
        };
        while (row < f.height) {
            if (pos + 2 > size) return Fail(error, "compressed bitmap data truncated");
            unsigned count = data[pos], value = data[pos + 1];
            pos += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count; ++i)
                    put(four ? ((i & 1) ? (value & 15) : (value >> 4)) : value);
                continue;
            }
            if (value == 0) {  // end of line
                x = 0;
                ++row;
            } else if (value == 1) {  // end of bitmap
                break;
            } else if (value == 2) {  // delta
                if (pos + 2 > size) return Fail(error, "compressed bitmap data truncated");
                x += data[pos];
                row += data[pos + 1];
                pos += 2;
            } else {  // absolute run, padded to 16 bits
                size_t bytes = four ? (value + 1) / 2 : value;
                if (pos + bytes > size) return Fail(error, "compressed bitmap data truncated");
                for (unsigned i = 0; i < value; ++i)
                    put(four ? ((i & 1) ? (data[pos + i / 2] & 15) : (data[pos + i / 2] >> 4))
                             : data[pos + i]);
                pos += bytes + (bytes & 1);
            }
        }
        return true;
    }
    size_t rowBytes = DibRowBytes(f.width, f.bitsPerPixel);
    if (rowBytes == 0 || size / rowBytes < static_cast<size_t>(f.height))
        return Fail(error, "bitmap pixel data truncated");
    for (int fileRow = 0; fileRow < f.height; ++fileRow) {
        const uint8_t* src = data + static_cast<size_t>(fileRow) * rowBytes;
        uint32_t* dst = target.Row32(rowOf(fileRow));
        switch (f.bitsPerPixel) {
            case 1:
                for (int x = 0; x < f.width; ++x)
                    dst[x] = paletteColor((src[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                for (int x = 0; x < f.width; ++x)
                    dst[x] = paletteColor((x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4));
                break;
            case 8:
                for (int x = 0; x < f.width; ++x)
                    dst[x] = paletteColor(src[x]);
                break;
            case 16:
                for (int x = 0; x < f.width; ++x) {
                    uint32_t v = ReadLE16(src + 2 * x);
                    dst[x] = (Channel(v, f.masks[0]) << 16) | (Channel(v, f.masks[1]) << 8) |
                             Channel(v, f.masks[2]);
                }
                break;
            case 24:
                for (int x = 0; x < f.width; ++x)
                    dst[x] = (static_cast<uint32_t>(src[3 * x + 2]) << 16) |
                             (static_cast<uint32_t>(src[3 * x + 1]) << 8) | src[3 * x];
                break;
            default:
                if (f.masks[0] == 0x00FF0000 && f.masks[1] == 0x0000FF00 && f.masks[2] == 0x000000FF) {
                    for (int x = 0; x < f.width; ++x)
                        dst[x] = ReadLE32(src + 4 * x) & 0x00FFFFFF;
                } else {
                    for (int x = 0; x < f.width; ++x) {
                        uint32_t v = ReadLE32(src + 4 * x);
                        dst[x] = (Channel(v, f.masks[0]) << 16) | (Channel(v, f.masks[1]) << 8) |
                                 Channel(v, f.masks[2]);
                    }
                }
                break;
        }
    }
    return true;
}

std::vector<uint32_t> ChoosePalette(const Surface& source, int bitsPerPixel) {
    if (bitsPerPixel == 1) return {0x000000, 0xFFFFFF};
    size_t limit = size_t{1} << bitsPerPixel;
    std::map<uint32_t, int> seen;
    for (int y = 0; y < source.height && seen.size() <= limit; ++y)
        for (int x = 0; x < source.width && seen.size() <= limit; ++x)
            seen.emplace(ReadPixel(source, x, y), 0);
    std::vector<uint32_t> palette;
    if (seen.size() <= limit) {
        for (auto& [color, unused] : seen)
            palette.push_back(color);
    } else if (bitsPerPixel == 4) {
        palette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                   0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    } else {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    palette.push_back((r * 51u << 16) | (g * 51u << 8) | (b * 51u));
        for (int i = 0; i < 40; ++i)
            palette.push_back(static_cast<uint32_t>(i * 255 / 39) * 0x010101u);
    }
    palette.resize(limit, 0);
    return palette;
}

std::vector<uint8_t> EncodeDibPixels(const Surface& s, int bpp, const std::vector<uint32_t>& palette,
                                     bool bottomUp, bool rle) {
    std::vector<uint8_t> out;
    std::map<uint32_t, int> cache;
    auto index = [&](uint32_t color) {
        auto it = cache.find(color);
        if (it != cache.end()) return it->second;
        int i = Nearest(palette, color);
        cache.emplace(color, i);
        return i;
    };
    if (rle && (bpp == 8 || bpp == 4)) {
        for (int fileRow = 0; fileRow < s.height; ++fileRow) {
            int y = bottomUp ? s.height - 1 - fileRow : fileRow;
            int x = 0;
            while (x < s.width) {
                int value = index(ReadPixel(s, x, y));
                int run = 1;
                while (x + run < s.width && run < 255 && index(ReadPixel(s, x + run, y)) == value)
                    ++run;
                out.push_back(static_cast<uint8_t>(run));
                out.push_back(static_cast<uint8_t>(bpp == 4 ? (value << 4) | value : value));
                x += run;
            }
            out.push_back(0);
            out.push_back(fileRow + 1 == s.height ? 1 : 0);
        }
        if (s.height == 0) out.insert(out.end(), {0, 1});
        return out;
    }
    size_t rowBytes = DibRowBytes(s.width, bpp);
    out.assign(rowBytes * static_cast<size_t>(s.height), 0);
    for (int fileRow = 0; fileRow < s.height; ++fileRow) {
        int y = bottomUp ? s.height - 1 - fileRow : fileRow;
        uint8_t* dst = out.data() + static_cast<size_t>(fileRow) * rowBytes;
        for (int x = 0; x < s.width; ++x) {
            uint32_t c = ReadPixel(s, x, y);
            switch (bpp) {
                case 1:
                    if (s.bitsPerPixel == 1 ? c != 0 : index(c) != 0)
                        dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                    break;
                case 4:
                    dst[x >> 1] |= static_cast<uint8_t>((x & 1) ? index(c) : index(c) << 4);
                    break;
                case 8:
                    dst[x] = static_cast<uint8_t>(index(c));
                    break;
                case 24:
                    dst[3 * x] = static_cast<uint8_t>(c);
                    dst[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                    dst[3 * x + 2] = static_cast<uint8_t>(c >> 16);
                    break;
                default:
                    dst[4 * x] = static_cast<uint8_t>(c);
                    dst[4 * x + 1] = static_cast<uint8_t>(c >> 8);
                    dst[4 * x + 2] = static_cast<uint8_t>(c >> 16);
                    break;
            }
        }
    }
    return out;
}

}  // namespace win32::gdi
