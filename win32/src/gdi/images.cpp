// Image files (BMP, ICO, CUR, PNG export) and icon objects.
#include <png.h>

#include <cstring>
#include <fstream>
#include <map>

#include "gdi/dib.h"
#include "gdi/raster.h"
#include "win32/kernel.h"
#include "win32/resources.h"

namespace win32::gdi {

namespace {

constexpr DWORD kResourceNotFound = 1814;

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    SetLastError(ERROR_INVALID_DATA);
    return false;
}

uint32_t LE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t LE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bpp, DWORD compression,
                   size_t imageSize, size_t colors) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bpp));
    Put32(out, compression);
    Put32(out, static_cast<uint32_t>(imageSize));
    Put32(out, 3780);  // 96 DPI
    Put32(out, 3780);
    Put32(out, static_cast<uint32_t>(colors));
    Put32(out, 0);
}

void PutPalette(std::vector<uint8_t>& out, const std::vector<uint32_t>& palette) {
    for (uint32_t c : palette) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c >> 16));
        out.push_back(0);
    }
}

HICON NewIcon(std::unique_ptr<Surface> color, std::unique_ptr<Surface> mask, bool isIcon, POINT hotspot,
              bool shared) {
    auto icon = std::make_unique<IconObject>();
    icon->type = OBJ_ICON_INTERNAL;
    icon->isIcon = isIcon;
    icon->hotspot = hotspot;
    icon->width = mask->width;
    icon->height = color ? mask->height : mask->height / 2;
    icon->color = std::move(color);
    icon->mask = std::move(mask);
    icon->shared = shared;
    icon->stock = false;
    return static_cast<HICON>(RegisterObject(std::move(icon)));
}

// Decodes a PNG image inside an icon file into colour and mask (alpha below 128 is transparent).
bool DecodePngIcon(const uint8_t* data, size_t size, std::unique_ptr<Surface>& color,
                   std::unique_ptr<Surface>& mask, std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return Fail(error, "invalid PNG image in icon");
    // Icon images are at most 256 pixels square; a little room beyond that, no more.
    if (image.width == 0 || image.height == 0 || image.width > 1024 || image.height > 1024) {
        png_image_free(&image);
        return Fail(error, "PNG icon image size out of range");
    }
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return Fail(error, "invalid PNG image in icon");
    }
    int w = static_cast<int>(image.width), h = static_cast<int>(image.height);
    color = MakeSurface(w, h, 32);
    mask = MakeSurface(w, h, 1);
    if (!color || !mask) return Fail(error, "icon too large");
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * w + x) * 4;
            bool opaque = p[3] >= 128;
            color->Row32(y)[x] =
                opaque ? ((static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0])
                       : 0;
            WritePixel(*mask, x, y, opaque ? 0 : 0xFFFFFF);
        }
    return true;
}

bool DecodeDibIcon(const uint8_t* data, size_t size, std::unique_ptr<Surface>& color,
                   std::unique_ptr<Surface>& mask, int& bitsPerPixel, std::string* error) {
    DibFormat format;
    size_t used = 0;
    if (!ParseDibHeader(data, size, format, used, error)) return Fail(error, error ? *error : "");
    if (format.compression != BI_RGB && format.compression != BI_BITFIELDS)
        return Fail(error, "compressed icon image");
    if (format.height < 2) return Fail(error, "icon image height out of range");
    int h = format.height / 2, w = format.width;
    DibFormat xorFormat = format;
    xorFormat.height = h;
    size_t xorBytes = DibRowBytes(w, format.bitsPerPixel) * static_cast<size_t>(h);
    if (size - used < xorBytes) return Fail(error, "icon image data truncated");
    color = MakeSurface(w, h, 32);
    mask = MakeSurface(w, h, 1);
    if (!color || !mask) return Fail(error, "icon too large");
    if (!DecodeDibPixels(xorFormat, data + used, xorBytes, *color, error)) return false;
    bitsPerPixel = format.bitsPerPixel;
    size_t maskBytes = DibRowBytes(w, 1) * static_cast<size_t>(h);
    const uint8_t* maskData = data + used + xorBytes;
    bool haveMask = size - used - xorBytes >= maskBytes;
    bool useAlpha = false;
    if (format.bitsPerPixel == 32) {
        // 32-bit images carry alpha; it decides transparency when present.
        for (int y = 0; y < h && !useAlpha; ++y)
            for (int x = 0; x < w && !useAlpha; ++x)
                useAlpha = data[used + DibRowBytes(w, 32) * static_cast<size_t>(y) +
                                4 * static_cast<size_t>(x) + 3] != 0;
    }
    if (!haveMask && !useAlpha) return Fail(error, "icon mask truncated");
    for (int fileRow = 0; fileRow < h; ++fileRow) {
        int y = format.bottomUp ? h - 1 - fileRow : fileRow;
        for (int x = 0; x < w; ++x) {
            bool transparent;
            if (useAlpha) {
                transparent = data[used + DibRowBytes(w, 32) * static_cast<size_t>(fileRow) +
                                   4 * static_cast<size_t>(x) + 3] < 128;
                if (transparent) color->Row32(y)[x] = 0;
            } else {
                const uint8_t* row = maskData + DibRowBytes(w, 1) * static_cast<size_t>(fileRow);
                transparent = (row[x >> 3] >> (7 - (x & 7))) & 1;
            }
            WritePixel(*mask, x, y, transparent ? 0xFFFFFF : 0);
        }
    }
    return true;
}

// Built-in stock icons and cursors, drawn with the engine itself on first use.
struct Stock {
    std::map<UINT_PTR, HICON> icons;
    std::map<UINT_PTR, HCURSOR> cursors;
};

Stock& Stocks() {
    static Stock stock;
    return stock;
}

using Painter = void (*)(HDC color, HDC mask);

HICON BuildStock(int size, bool isIcon, POINT hotspot, Painter paint) {
    HDC colorDC = CreateCompatibleDC(nullptr);
    HDC maskDC = CreateCompatibleDC(nullptr);
    HBITMAP color = CreateBitmap(size, size, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HGDIOBJ oldColor = SelectObject(colorDC, color);
    HGDIOBJ oldMask = SelectObject(maskDC, mask);
    RECT all{0, 0, size, size};
    FillRect(colorDC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(maskDC, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // Shapes go black into the mask (opaque) and in colour into the image.
    SelectObject(maskDC, GetStockObject(BLACK_BRUSH));
    SelectObject(maskDC, GetStockObject(BLACK_PEN));
    paint(colorDC, maskDC);
    SelectObject(colorDC, oldColor);
    SelectObject(maskDC, oldMask);
    DeleteDC(colorDC);
    DeleteDC(maskDC);
    BitmapObject* c = LookupBitmap(color);
    BitmapObject* m = LookupBitmap(mask);
    HICON icon = NewIcon(CopySurface(*c->surface), CopySurface(*m->surface), isIcon, hotspot, true);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

void Both(HDC a, HDC b, COLORREF fill, COLORREF line, void (*shape)(HDC)) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, line);
    HGDIOBJ oldBrush = SelectObject(a, brush), oldPen = SelectObject(a, pen);
    shape(a);
    shape(b);
    SelectObject(a, oldBrush);
    SelectObject(a, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

void Bar(HDC dc, int l, int t, int r, int b, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT rect{l, t, r, b};
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void PaintApplication(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) { Rectangle(dc, 2, 4, 30, 28); });
    Bar(c, 3, 5, 29, 9, RGB(0, 0, 128));
}
void PaintHand(HDC c, HDC m) {
    Both(c, m, RGB(255, 0, 0), RGB(128, 0, 0), [](HDC dc) { Ellipse(dc, 2, 2, 30, 30); });
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(c, pen);
    MoveToEx(c, 10, 10, nullptr);
    LineTo(c, 21, 21);
    MoveToEx(c, 21, 10, nullptr);
    LineTo(c, 10, 21);
    SelectObject(c, old);
    DeleteObject(pen);
}
void PaintQuestion(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 128), [](HDC dc) { Ellipse(dc, 2, 2, 30, 30); });
    Bar(c, 12, 8, 20, 10, RGB(0, 0, 255));
    Bar(c, 18, 10, 20, 15, RGB(0, 0, 255));
    Bar(c, 15, 15, 19, 17, RGB(0, 0, 255));
    Bar(c, 15, 17, 17, 20, RGB(0, 0, 255));
    Bar(c, 15, 22, 17, 24, RGB(0, 0, 255));
}
void PaintExclamation(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 0), RGB(0, 0, 0), [](HDC dc) {
        POINT triangle[3] = {{16, 2}, {30, 28}, {2, 28}};
        Polygon(dc, triangle, 3);
    });
    Bar(c, 15, 10, 17, 21, RGB(0, 0, 0));
    Bar(c, 15, 23, 17, 25, RGB(0, 0, 0));
}
void PaintAsterisk(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 128), [](HDC dc) { Ellipse(dc, 2, 2, 30, 30); });
    Bar(c, 15, 8, 17, 10, RGB(0, 0, 255));
    Bar(c, 15, 12, 17, 23, RGB(0, 0, 255));
}
void PaintLogo(HDC c, HDC m) {
    Bar(m, 4, 4, 28, 28, RGB(0, 0, 0));
    Bar(c, 4, 4, 15, 15, RGB(255, 0, 0));
    Bar(c, 17, 4, 28, 15, RGB(0, 255, 0));
    Bar(c, 4, 17, 15, 28, RGB(0, 0, 255));
    Bar(c, 17, 17, 28, 28, RGB(255, 255, 0));
}
void PaintArrow(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT arrow[7] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};
        Polygon(dc, arrow, 7);
    });
}
void PaintIBeam(HDC c, HDC m) {
    for (HDC dc : {c, m}) {
        COLORREF k = RGB(0, 0, 0);
        Bar(dc, 12, 4, 15, 5, k);
        Bar(dc, 17, 4, 20, 5, k);
        Bar(dc, 15, 5, 17, 23, k);
        Bar(dc, 12, 23, 15, 24, k);
        Bar(dc, 17, 23, 20, 24, k);
    }
}
void PaintWait(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT glass[6] = {{8, 2}, {24, 2}, {17, 15}, {24, 28}, {8, 28}, {15, 15}};
        Polygon(dc, glass, 6);
    });
    Bar(c, 12, 22, 20, 26, RGB(0, 0, 0));
}
void PaintCross(HDC c, HDC m) {
    for (HDC dc : {c, m}) {
        Bar(dc, 15, 4, 16, 28, RGB(0, 0, 0));
        Bar(dc, 4, 15, 28, 16, RGB(0, 0, 0));
    }
}
void PaintUpArrow(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT up[7] = {{16, 2}, {24, 12}, {19, 12}, {19, 28}, {13, 28}, {13, 12}, {8, 12}};
        Polygon(dc, up, 7);
    });
}
void PaintSizeAll(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT star[12] = {{16, 2},  {21, 8},  {18, 8},  {18, 14}, {24, 14}, {24, 11},
                          {30, 16}, {24, 21}, {24, 18}, {18, 18}, {18, 24}, {16, 30}};
        Polygon(dc, star, 12);
        POINT other[9] = {{16, 30}, {14, 24}, {14, 18}, {8, 18}, {8, 21},
                          {2, 16},  {8, 11},  {8, 14},  {14, 14}};
        Polygon(dc, other, 9);
        POINT top[4] = {{14, 14}, {14, 8}, {11, 8}, {16, 2}};
        Polygon(dc, top, 4);
    });
}
void PaintSizeWE(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT shape[10] = {{2, 16},  {8, 10},  {8, 14},  {24, 14}, {24, 10},
                           {30, 16}, {24, 22}, {24, 18}, {8, 18},  {8, 22}};
        Polygon(dc, shape, 10);
    });
}
void PaintSizeNS(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT shape[10] = {{16, 2},  {22, 8},  {18, 8},  {18, 24}, {22, 24},
                           {16, 30}, {10, 24}, {14, 24}, {14, 8},  {10, 8}};
        Polygon(dc, shape, 10);
    });
}
void PaintSizeNWSE(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT shape[10] = {{4, 4},   {12, 4},  {9, 7},   {25, 23}, {28, 20},
                           {28, 28}, {20, 28}, {23, 25}, {7, 9},   {4, 12}};
        Polygon(dc, shape, 10);
    });
}
void PaintSizeNESW(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        POINT shape[10] = {{28, 4}, {28, 12}, {25, 9}, {9, 25}, {12, 28},
                           {4, 28}, {4, 20},  {7, 23}, {23, 7}, {20, 4}};
        Polygon(dc, shape, 10);
    });
}
void PaintNo(HDC c, HDC m) {
    Both(c, m, RGB(255, 0, 0), RGB(0, 0, 0), [](HDC dc) { Ellipse(dc, 4, 4, 28, 28); });
    Bar(c, 8, 14, 24, 18, RGB(255, 255, 255));
}
void PaintHandCursor(HDC c, HDC m) {
    Both(c, m, RGB(255, 255, 255), RGB(0, 0, 0), [](HDC dc) {
        RoundRect(dc, 8, 2, 14, 18, 6, 6);
        RoundRect(dc, 6, 12, 26, 30, 8, 8);
    });
}
void PaintHelp(HDC c, HDC m) {
    PaintArrow(c, m);
    Bar(c, 16, 4, 24, 6, RGB(0, 0, 0));
    Bar(m, 15, 3, 25, 7, RGB(0, 0, 0));
    Bar(c, 22, 6, 24, 10, RGB(0, 0, 0));
    Bar(c, 19, 10, 23, 12, RGB(0, 0, 0));
    Bar(c, 19, 14, 21, 16, RGB(0, 0, 0));
    Bar(m, 18, 6, 25, 17, RGB(0, 0, 0));
}

struct StockEntry {
    WORD id;
    bool isIcon;
    POINT hotspot;
    Painter paint;
};

const StockEntry kStock[] = {
    {32512, true, {16, 16}, PaintApplication}, {32513, true, {16, 16}, PaintHand},
    {32514, true, {16, 16}, PaintQuestion},    {32515, true, {16, 16}, PaintExclamation},
    {32516, true, {16, 16}, PaintAsterisk},    {32517, true, {16, 16}, PaintLogo},
    {32512, false, {0, 0}, PaintArrow},        {32513, false, {16, 14}, PaintIBeam},
    {32514, false, {16, 15}, PaintWait},       {32515, false, {15, 15}, PaintCross},
    {32516, false, {16, 2}, PaintUpArrow},     {32640, false, {16, 16}, PaintSizeAll},
    {32642, false, {16, 16}, PaintSizeNWSE},   {32643, false, {16, 16}, PaintSizeNESW},
    {32644, false, {16, 16}, PaintSizeWE},     {32645, false, {16, 16}, PaintSizeNS},
    {32646, false, {16, 16}, PaintSizeAll},    {32648, false, {16, 16}, PaintNo},
    {32649, false, {10, 2}, PaintHandCursor},  {32650, false, {0, 0}, PaintArrow},
    {32651, false, {0, 0}, PaintHelp},
};

HICON StockImage(const char* name, bool isIcon) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    WORD id = static_cast<WORD>(reinterpret_cast<UINT_PTR>(name));
    auto& cache = isIcon ? Stocks().icons : Stocks().cursors;
    auto it = cache.find(id);
    if (it != cache.end() && LookupIcon(it->second)) return it->second;
    for (const StockEntry& entry : kStock) {
        if (entry.id != id || entry.isIcon != isIcon) continue;
        HICON icon = BuildStock(32, isIcon, entry.hotspot, entry.paint);
        cache[id] = icon;
        return icon;
    }
    return nullptr;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    std::streamoff length = in.tellg();
    if (length < 0 || length > (std::streamoff{1} << 30)) return false;
    in.seekg(0);
    data.resize(static_cast<size_t>(length));
    in.read(reinterpret_cast<char*>(data.data()), length);
    return static_cast<bool>(in);
}

bool SavePng(const Surface& s, const std::string& path) {
    std::vector<uint8_t> rgb(static_cast<size_t>(s.width) * s.height * 3);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            uint32_t c = ReadPixel(s, x, y);
            uint8_t* p = rgb.data() + (static_cast<size_t>(y) * s.width + x) * 3;
            p[0] = static_cast<uint8_t>(c >> 16);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c);
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(s.width);
    image.height = static_cast<png_uint_32>(s.height);
    image.format = PNG_FORMAT_RGB;
    bool ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

}  // namespace

}  // namespace win32::gdi

namespace win32 {

using namespace gdi;

HBITMAP ReadBmp(const void* data, size_t size, std::string* error) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!bytes || size < 14 + 12) {
        Fail(error, "BMP file too short");
        return nullptr;
    }
    if (bytes[0] != 'B' || bytes[1] != 'M') {
        Fail(error, "not a BMP file");
        return nullptr;
    }
    uint32_t offBits = LE32(bytes + 10);
    DibFormat format;
    size_t used = 0;
    std::string reason;
    if (!ParseDibHeader(bytes + 14, size - 14, format, used, &reason)) {
        Fail(error, reason);
        return nullptr;
    }
    size_t pixelStart = offBits >= 14 + used && offBits < size ? offBits : 14 + used;
    if (pixelStart >= size) {
        Fail(error, "BMP pixel data missing");
        return nullptr;
    }
    // Uncompressed pixel data must all be there before anything is allocated for it.
    bool compressed = format.compression == BI_RLE8 || format.compression == BI_RLE4;
    size_t rowBytes = DibRowBytes(format.width, format.bitsPerPixel);
    if (!compressed &&
        (rowBytes == 0 || (size - pixelStart) / rowBytes < static_cast<size_t>(format.height))) {
        Fail(error, "bitmap pixel data truncated");
        return nullptr;
    }
    auto surface = MakeSurface(format.width, format.height, 32, true);
    if (!surface) {
        Fail(error, "BMP image too large");
        return nullptr;
    }
    if (!DecodeDibPixels(format, bytes + pixelStart, size - pixelStart, *surface, &reason)) {
        Fail(error, reason);
        return nullptr;
    }
    // Black-and-white 1-bit files stay monochrome.
    if (format.bitsPerPixel == 1 && format.palette.size() == 2 && format.palette[0] == 0 &&
        format.palette[1] == 0xFFFFFF) {
        auto mono = MakeSurface(format.width, format.height, 1, true);
        if (mono) {
            for (int y = 0; y < format.height; ++y)
                for (int x = 0; x < format.width; ++x)
                    WritePixel(*mono, x, y, surface->Row32(y)[x]);
            return NewBitmap(std::move(mono), true);
        }
    }
    return NewBitmap(std::move(surface), true);
}

bool WriteBmp(HBITMAP handle, std::vector<uint8_t>& out, int bpp, bool rle, std::string* error) {
    BitmapObject* bitmap = LookupBitmap(handle);
    if (!bitmap) {
        SetLastError(ERROR_INVALID_HANDLE);
        if (error) *error = "invalid bitmap handle";
        return false;
    }
    const Surface& s = *bitmap->surface;
    if (bpp == 0) bpp = s.bitsPerPixel == 1 ? 1 : 32;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return Fail(error, "unsupported bits per pixel");
    rle = rle && (bpp == 4 || bpp == 8);
    std::vector<uint32_t> palette;
    if (bpp <= 8) palette = ChoosePalette(s, bpp);
    std::vector<uint8_t> pixels = EncodeDibPixels(s, bpp, palette, true, rle);
    size_t offset = 14 + 40 + palette.size() * 4;
    out.clear();
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(offset + pixels.size()));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(offset));
    PutInfoHeader(out, s.width, s.height, bpp, rle ? (bpp == 8 ? BI_RLE8 : BI_RLE4) : BI_RGB, pixels.size(),
                  palette.size());
    PutPalette(out, palette);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return true;
}

std::vector<IconImage> ReadIconFile(const void* data, size_t size, bool* isCursor, std::string* error) {
    std::vector<IconImage> images;
    const auto* bytes = static_cast<const uint8_t*>(data);
    auto failAll = [&](const std::string& message) {
        for (IconImage& image : images)
            DestroyIcon(image.icon);
        images.clear();
        Fail(error, message);
        return images;
    };
    if (!bytes || size < 6) return failAll("icon file too short");
    uint16_t reserved = LE16(bytes), type = LE16(bytes + 2), count = LE16(bytes + 4);
    if (reserved != 0 || (type != 1 && type != 2)) return failAll("not an icon or cursor file");
    if (count == 0) return failAll("icon file holds no images");
    if (size < 6 + static_cast<size_t>(count) * 16) return failAll("icon directory truncated");
    if (isCursor) *isCursor = type == 2;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = bytes + 6 + i * 16;
        uint32_t length = LE32(entry + 8), offset = LE32(entry + 12);
        if (offset > size || length > size - offset || length < 8)
            return failAll("icon image outside the file");
        std::unique_ptr<Surface> color, mask;
        int bpp = 32;
        const uint8_t* image = bytes + offset;
        std::string reason;
        bool ok = std::memcmp(image, "\x89PNG\r\n\x1a\n", 8) == 0
                      ? DecodePngIcon(image, length, color, mask, &reason)
                      : DecodeDibIcon(image, length, color, mask, bpp, &reason);
        if (!ok) return failAll(reason);
        POINT hotspot{type == 2 ? LE16(entry + 4) : 0, type == 2 ? LE16(entry + 6) : 0};
        int w = color->width, h = color->height;
        images.push_back(
            IconImage{NewIcon(std::move(color), std::move(mask), type == 1, hotspot, false), w, h, bpp});
    }
    return images;
}

HICON ReadIcon(const void* data, size_t size, int width, int height, std::string* error) {
    std::vector<IconImage> images = ReadIconFile(data, size, nullptr, error);
    if (images.empty()) return nullptr;
    if (width <= 0) width = images.front().width;
    if (height <= 0) height = images.front().height;
    size_t best = 0;
    for (size_t i = 1; i < images.size(); ++i) {
        auto score = [&](const IconImage& im) {
            return std::make_pair(std::abs(im.width - width) + std::abs(im.height - height),
                                  -im.bitsPerPixel);
        };
        if (score(images[i]) < score(images[best])) best = i;
    }
    for (size_t i = 0; i < images.size(); ++i)
        if (i != best) DestroyIcon(images[i].icon);
    return images[best].icon;
}

bool WriteIconFile(const std::vector<HICON>& icons, std::vector<uint8_t>& out, bool cursor,
                   std::string* error) {
    if (icons.empty() || icons.size() > 0xFFFF) return Fail(error, "no icons to write");
    std::vector<std::vector<uint8_t>> blobs;
    std::vector<IconObject*> objects;
    for (HICON handle : icons) {
        IconObject* icon = LookupIcon(handle);
        if (!icon) {
            SetLastError(ERROR_INVALID_HANDLE);
            if (error) *error = "invalid icon handle";
            return false;
        }
        objects.push_back(icon);
        int w = icon->width, h = icon->height;
        std::vector<uint8_t> blob;
        auto maskSurface = MakeSurface(w, h, 1);
        std::unique_ptr<Surface> xorSurface;
        if (icon->color) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    WritePixel(*maskSurface, x, y, ReadPixel(*icon->mask, x, y));
            std::vector<uint8_t> pixels = EncodeDibPixels(*icon->color, 32, {}, true, false);
            // Alpha: opaque where the AND mask is 0.
            for (int fileRow = 0; fileRow < h; ++fileRow)
                for (int x = 0; x < w; ++x)
                    pixels[(static_cast<size_t>(fileRow) * w + x) * 4 + 3] =
                        ReadPixel(*icon->mask, x, h - 1 - fileRow) ? 0 : 255;
            std::vector<uint8_t> maskBits = EncodeDibPixels(*maskSurface, 1, {0, 0xFFFFFF}, true, false);
            PutInfoHeader(blob, w, h * 2, 32, BI_RGB, pixels.size() + maskBits.size(), 0);
            blob.insert(blob.end(), pixels.begin(), pixels.end());
            blob.insert(blob.end(), maskBits.begin(), maskBits.end());
        } else {
            auto xorPart = MakeSurface(w, h, 1);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    WritePixel(*maskSurface, x, y, ReadPixel(*icon->mask, x, y));
                    WritePixel(*xorPart, x, y, ReadPixel(*icon->mask, x, y + h));
                }
            std::vector<uint8_t> pixels = EncodeDibPixels(*xorPart, 1, {0, 0xFFFFFF}, true, false);
            std::vector<uint8_t> maskBits = EncodeDibPixels(*maskSurface, 1, {0, 0xFFFFFF}, true, false);
            PutInfoHeader(blob, w, h * 2, 1, BI_RGB, pixels.size() + maskBits.size(), 2);
            PutPalette(blob, {0, 0xFFFFFF});
            blob.insert(blob.end(), pixels.begin(), pixels.end());
            blob.insert(blob.end(), maskBits.begin(), maskBits.end());
        }
        blobs.push_back(std::move(blob));
    }
    out.clear();
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, static_cast<uint32_t>(icons.size()));
    size_t offset = 6 + 16 * icons.size();
    for (size_t i = 0; i < icons.size(); ++i) {
        IconObject* icon = objects[i];
        out.push_back(static_cast<uint8_t>(icon->width >= 256 ? 0 : icon->width));
        out.push_back(static_cast<uint8_t>(icon->height >= 256 ? 0 : icon->height));
        out.push_back(static_cast<uint8_t>(icon->color ? 0 : 2));
        out.push_back(0);
        Put16(out, cursor ? static_cast<uint32_t>(icon->hotspot.x) : 1);
        Put16(out, cursor ? static_cast<uint32_t>(icon->hotspot.y) : (icon->color ? 32 : 1));
        Put32(out, static_cast<uint32_t>(blobs[i].size()));
        Put32(out, static_cast<uint32_t>(offset));
        offset += blobs[i].size();
    }
    for (auto& blob : blobs)
        out.insert(out.end(), blob.begin(), blob.end());
    return true;
}

HICON CreateIconIndirect(const ICONINFO* info) {
    BitmapObject* mask = info ? LookupBitmap(info->hbmMask) : nullptr;
    if (!mask) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<Surface> color;
    if (info->hbmColor) {
        BitmapObject* c = LookupBitmap(info->hbmColor);
        if (!c) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        color = MakeSurface(c->surface->width, c->surface->height, 32);
        if (!color) return nullptr;
        for (int y = 0; y < color->height; ++y)
            for (int x = 0; x < color->width; ++x)
                color->Row32(y)[x] = ReadPixel(*c->surface, x, y);
    }
    int w = color ? color->width : mask->surface->width;
    int h = color ? color->height : mask->surface->height;
    auto maskCopy = MakeSurface(w, h, 1);
    if (!maskCopy) return nullptr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool inside = x < mask->surface->width && y < mask->surface->height;
            WritePixel(*maskCopy, x, y, inside ? ReadPixel(*mask->surface, x, y) : 0);
        }
    if (!color && h < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    POINT hotspot = info->fIcon ? POINT{w / 2, (color ? h : h / 2) / 2}
                                : POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
    return NewIcon(std::move(color), std::move(maskCopy), info->fIcon != 0, hotspot, false);
}

BOOL GetIconInfo(HICON handle, ICONINFO* info) {
    IconObject* icon = LookupIcon(handle);
    if (!icon || !info) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    info->fIcon = icon->isIcon ? TRUE : FALSE;
    info->xHotspot = static_cast<DWORD>(icon->hotspot.x);
    info->yHotspot = static_cast<DWORD>(icon->hotspot.y);
    info->hbmMask = NewBitmap(CopySurface(*icon->mask), false);
    info->hbmColor = icon->color ? NewBitmap(CopySurface(*icon->color), false) : nullptr;
    return TRUE;
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON handle, int width, int height, UINT, HBRUSH flickerFree,
                UINT flags) {
    IconObject* icon = LookupIcon(handle);
    DeviceContext* target = DCOrFail(dc);
    if (!icon || !target) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (width == 0) width = (flags & DI_DEFAULTSIZE) ? 32 : icon->width;
    if (height == 0) height = (flags & DI_DEFAULTSIZE) ? 32 : icon->height;
    if ((flags & DI_NORMAL) == 0) flags |= DI_NORMAL;
    if (flickerFree) {
        RECT r{x, y, x + width, y + height};
        FillRect(dc, &r, flickerFree);
    }
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP maskBitmap = NewBitmap(CopySurface(*icon->mask), false);
    HBITMAP colorBitmap = icon->color ? NewBitmap(CopySurface(*icon->color), false) : nullptr;
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0)), oldBk = SetBkColor(dc, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(memory, maskBitmap);
    int maskHeight = icon->height;
    bool both = (flags & DI_NORMAL) == DI_NORMAL;
    if (flags & DI_MASK) StretchBlt(dc, x, y, width, height, memory, 0, 0, icon->width, maskHeight, SRCAND);
    if (flags & DI_IMAGE) {
        DWORD rop = both ? SRCINVERT : SRCCOPY;
        if (colorBitmap) {
            SelectObject(memory, colorBitmap);
            StretchBlt(dc, x, y, width, height, memory, 0, 0, icon->width, icon->height, rop);
        } else {
            StretchBlt(dc, x, y, width, height, memory, 0, icon->height, icon->width, icon->height, rop);
        }
    }
    SelectObject(memory, old);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBk);
    DeleteDC(memory);
    DeleteObject(maskBitmap);
    if (colorBitmap) DeleteObject(colorBitmap);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    IconObject* object = LookupIcon(icon);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

BOOL DestroyIcon(HICON icon) {
    IconObject* object = LookupIcon(icon);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->shared) return TRUE;
    DestroyObject(icon);
    return TRUE;
}

BOOL DestroyCursor(HCURSOR cursor) {
    return DestroyIcon(cursor);
}

HICON CopyIcon(HICON handle) {
    IconObject* icon = LookupIcon(handle);
    if (!icon) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewIcon(icon->color ? CopySurface(*icon->color) : nullptr, CopySurface(*icon->mask), icon->isIcon,
                   icon->hotspot, false);
}

namespace {

// An icon or cursor file compiled into a module as a resource.
HICON IconResource(HINSTANCE instance, const char* name, const char* type, int width, int height) {
    HRSRC resource = FindResource(instance, name, type);
    if (!resource) return nullptr;
    const void* data = LockResource(LoadResource(instance, resource));
    return ReadIcon(data, SizeofResource(instance, resource), width, height);
}

}  // namespace

HICON LoadIcon(HINSTANCE instance, const char* name) {
    HICON icon = instance ? IconResource(instance, name, RT_GROUP_ICON, 32, 32) : StockImage(name, true);
    if (!icon) SetLastError(kResourceNotFound);
    return icon;
}

HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
    HCURSOR cursor =
        instance ? IconResource(instance, name, RT_GROUP_CURSOR, 32, 32) : StockImage(name, false);
    if (!cursor) SetLastError(kResourceNotFound);
    return cursor;
}

HANDLE LoadImage(HINSTANCE instance, const char* name, UINT type, int width, int height, UINT flags) {
    if (!(flags & LR_LOADFROMFILE)) {
        if (instance && type == IMAGE_BITMAP) return LoadBitmap(instance, name);
        if (instance && (type == IMAGE_ICON || type == IMAGE_CURSOR)) {
            int size = (flags & LR_DEFAULTSIZE) ? 32 : 0;
            HICON image = IconResource(instance, name, type == IMAGE_ICON ? RT_GROUP_ICON : RT_GROUP_CURSOR,
                                       width ? width : size, height ? height : size);
            if (!image) SetLastError(kResourceNotFound);
            return image;
        }
        if (type == IMAGE_ICON) return LoadIcon(instance, name);
        if (type == IMAGE_CURSOR) return LoadCursor(instance, name);
        SetLastError(kResourceNotFound);
        return nullptr;
    }
    std::vector<uint8_t> data;
    if (!name || IS_INTRESOURCE(name) || !ReadWholeFile(name, data)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (type == IMAGE_BITMAP) {
        HBITMAP bitmap = ReadBmp(data.data(), data.size());
        if (bitmap && (flags & LR_MONOCHROME)) {
            BitmapObject* b = LookupBitmap(bitmap);
            auto mono = MakeSurface(b->surface->width, b->surface->height, 1);
            for (int y = 0; mono && y < mono->height; ++y)
                for (int x = 0; x < mono->width; ++x)
                    WritePixel(*mono, x, y, ReadPixel(*b->surface, x, y));
            DeleteObject(bitmap);
            bitmap = NewBitmap(std::move(mono), false);
        }
        return bitmap;
    }
    if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
        if (flags & LR_DEFAULTSIZE) {
            if (width == 0) width = 32;
            if (height == 0) height = 32;
        }
        return ReadIcon(data.data(), data.size(), width, height);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

namespace testing {

bool SaveScreenAsPNG(const std::string& path) {
    return SavePng(ScreenSurface(), path);
}

bool SaveBitmapAsPNG(HBITMAP bitmap, const std::string& path) {
    BitmapObject* object = LookupBitmap(bitmap);
    if (!object || object->surface->width == 0 || object->surface->height == 0) return false;
    return SavePng(*object->surface, path);
}

}  // namespace testing

}  // namespace win32
