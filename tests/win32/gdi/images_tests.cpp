// BMP and ICO files: round trips at every depth, compressed data, hostile input, icons, PNG export.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "gdi_test_support.h"
#include "support/tempdir.h"

namespace {

using namespace win32;
using gditest::Canvas;

// A bitmap with a few colours in known places.
void Paint(Canvas& c, int colours) {
    const COLORREF palette[4] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 0, 0), RGB(10, 200, 30)};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            SetPixel(c.dc(), x, y, palette[(x + 2 * y) % colours]);
}

HBITMAP Reread(const std::vector<uint8_t>& file, std::string* error = nullptr) {
    return ReadBmp(file.data(), file.size(), error);
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

struct DepthCase {
    int bits;
    bool rle;
    int colours;
};

TEST(Bmp, RoundTripAtEveryDepth) {
    const DepthCase cases[] = {{1, false, 2}, {4, false, 4},  {4, true, 4},  {8, false, 4},
                               {8, true, 4},  {24, false, 4}, {32, false, 4}};
    for (const DepthCase& d : cases) {
        Canvas c(7, 5);
        if (d.bits == 1) {
            c.Clear(RGB(255, 255, 255));
            SetPixel(c.dc(), 2, 3, RGB(0, 0, 0));
        } else {
            Paint(c, d.colours);
        }
        std::vector<uint8_t> file;
        ASSERT_TRUE(WriteBmp(c.bitmap(), file, d.bits, d.rle)) << d.bits;
        EXPECT_EQ(file[0], 'B');
        std::string error;
        HBITMAP back = Reread(file, &error);
        ASSERT_NE(back, nullptr) << d.bits << " " << error;
        BITMAP bm{};
        GetObject(back, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, 7);
        EXPECT_EQ(bm.bmHeight, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(PixelOf(back, x, y), c.At(x, y)) << d.bits << " " << x << "," << y;
        DeleteObject(back);
    }
}

// A hand-made 4x2 bottom-up 8-bit RLE file with an absolute run and a delta.
TEST(Bmp, ReadsRle8WithDeltaAndAbsoluteRuns) {
    std::vector<uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 40 + 8, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0,
                                 0, 2, 0, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2,
                                 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0,  // white, red
                                 // bottom row: absolute run of 3 (1,0,1) + pad, then end of line
                                 0, 3, 1, 0, 1, 0, 0, 0,
                                 // top row: delta right by 2, then two red pixels, end of bitmap
                                 0, 2, 2, 0, 2, 1, 0, 1};
    std::string error;
    HBITMAP bitmap = Reread(file, &error);
    ASSERT_NE(bitmap, nullptr) << error;
    EXPECT_EQ(PixelOf(bitmap, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 1, 1), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(bitmap, 2, 1), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 255, 255));  // skipped by the delta
    EXPECT_EQ(PixelOf(bitmap, 2, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 3, 0), RGB(255, 0, 0));
    DeleteObject(bitmap);
}

TEST(Bmp, ReadsBitFieldsAndTopDown) {
    // 2x1, 16 bits 5-6-5, top-down.
    std::vector<uint8_t> file = {'B',  'M',  0,    0,    0,    0, 0,  0,    0,    0, 14 + 40 + 12,
                                 0,    0,    0,    40,   0,    0, 0,  2,    0,    0, 0,
                                 0xFF, 0xFF, 0xFF, 0xFF, 1,    0, 16, 0,    3,    0, 0,
                                 0,    0,    0,    0,    0,    0, 0,  0,    0,    0, 0,
                                 0,    0,    0,    0,    0,    0, 0,  0,    0,    0, 0x00,
                                 0xF8, 0,    0,    0xE0, 0x07, 0, 0,  0x1F, 0x00, 0, 0,
                                 0x00, 0xF8, 0xE0, 0x07};
    std::string error;
    HBITMAP bitmap = Reread(file, &error);
    ASSERT_NE(bitmap, nullptr) << error;
    EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(bitmap, 1, 0), RGB(0, 255, 0));
    DeleteObject(bitmap);
}

TEST(Bmp, BitFieldEdgeCasesFromFuzzing) {
    // 1x1, 32 bits, a 40-byte header with one all-ones mask: the channel takes all 32 bits.
    std::vector<uint8_t> file = {'B',  'M',  0,    0,   0,    0, 0,  0,    0, 0, 14 + 40 + 12,
                                 0,    0,    0,    40,  0,    0, 0,  1,    0, 0, 0,
                                 1,    0,    0,    0,   1,    0, 32, 0,    3, 0, 0,
                                 0,    0,    0,    0,   0,    0, 0,  0,    0, 0, 0,
                                 0,    0,    0,    0,   0,    0, 0,  0,    0, 0, 0xFF,
                                 0xFF, 0xFF, 0xFF, 0,   0xFF, 0, 0,  0xFF, 0, 0, 0,
                                 0xFF, 0xFF, 0xFF, 0xFF};
    std::string error;
    HBITMAP bitmap = Reread(file, &error);
    ASSERT_NE(bitmap, nullptr) << error;
    EXPECT_EQ(GetRValue(PixelOf(bitmap, 0, 0)), 255);
    DeleteObject(bitmap);
    // A header too short to hold its masks and no room after it: refused, nothing read past the end.
    std::vector<uint8_t> shortHeader(file.begin(), file.begin() + 14 + 48);
    shortHeader[14] = 48;
    EXPECT_EQ(Reread(shortHeader, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(Bmp, HostileFilesFailWithAReason) {
    Canvas c(3, 3);
    std::vector<uint8_t> good;
    WriteBmp(c.bitmap(), good, 24);
    struct Corruption {
        const char* name;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    const Corruption cases[] = {
        {"signature", 0, {'X'}},
        {"huge width", 18, {0xFF, 0xFF, 0xFF, 0x7F}},
        {"negative width", 18, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"zero height", 22, {0, 0, 0, 0}},
        {"planes", 26, {2, 0}},
        {"depth", 28, {7, 0}},
        {"compression", 30, {9, 0, 0, 0}},
        {"header size", 14, {0xFF, 0, 0, 0}},
        {"large area", 18, {0x00, 0x80, 0, 0}},
    };
    for (const Corruption& k : cases) {
        std::vector<uint8_t> bad = good;
        std::copy(k.bytes.begin(), k.bytes.end(), bad.begin() + static_cast<long>(k.offset));
        if (std::string(k.name) == "large area") std::copy(k.bytes.begin(), k.bytes.end(), bad.begin() + 22);
        std::string error;
        EXPECT_EQ(Reread(bad, &error), nullptr) << k.name;
        EXPECT_FALSE(error.empty()) << k.name;
    }
    for (size_t length = 0; length < good.size(); length += 7) {
        std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(length));
        EXPECT_EQ(Reread(truncated), nullptr) << length;
    }
}

TEST(Icons, RoundTripThroughAnIcoFile) {
    Canvas colour(16, 16);
    colour.Clear(RGB(0, 0, 0));
    SetPixel(colour.dc(), 3, 4, RGB(255, 0, 0));
    Canvas mask(16, 16, 1);
    RECT hole{0, 0, 8, 16};
    FillRect(mask.dc(), &hole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));  // left half opaque
    ICONINFO info{TRUE, 0, 0, mask.bitmap(), colour.bitmap()};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteIconFile({icon}, file));
    std::string error;
    HICON back = ReadIcon(file.data(), file.size(), 0, 0, &error);
    ASSERT_NE(back, nullptr) << error;
    Canvas target(16, 16);
    target.Clear(RGB(0, 128, 0));
    DrawIconEx(target.dc(), 0, 0, back, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(target.At(3, 4), RGB(255, 0, 0));
    EXPECT_EQ(target.At(5, 5), RGB(0, 0, 0));
    EXPECT_EQ(target.At(12, 5), RGB(0, 128, 0));
    ICONINFO got{};
    ASSERT_TRUE(GetIconInfo(back, &got));
    EXPECT_TRUE(got.fIcon);
    BITMAP bm{};
    GetObject(got.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 16);
    DeleteObject(got.hbmColor);
    DeleteObject(got.hbmMask);
    DestroyIcon(back);
    DestroyIcon(icon);
}

TEST(Icons, CursorKeepsItsHotSpotAndPicksTheNearestSize) {
    Canvas small(16, 16), large(32, 32);
    Canvas maskSmall(16, 16, 1), maskLarge(32, 32, 1);
    ICONINFO a{FALSE, 3, 5, maskSmall.bitmap(), small.bitmap()};
    ICONINFO b{FALSE, 7, 9, maskLarge.bitmap(), large.bitmap()};
    HICON first = CreateIconIndirect(&a), second = CreateIconIndirect(&b);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteIconFile({first, second}, file, true));
    bool cursor = false;
    std::vector<IconImage> images = ReadIconFile(file.data(), file.size(), &cursor);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_TRUE(cursor);
    ICONINFO info{};
    GetIconInfo(images[1].icon, &info);
    EXPECT_EQ(info.xHotspot, 7u);
    EXPECT_EQ(info.yHotspot, 9u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    for (auto& image : images)
        DestroyIcon(image.icon);
    HICON near = ReadIcon(file.data(), file.size(), 30, 30);
    GetIconInfo(near, &info);
    BITMAP bm{};
    GetObject(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(near);
    DestroyIcon(first);
    DestroyIcon(second);
}

TEST(Icons, HostileIconFilesFail) {
    std::vector<uint8_t> header = {0, 0,  1, 0,    1,    0, 16, 16, 0, 0, 1,
                                   0, 32, 0, 0xFF, 0xFF, 0, 0,  22, 0, 0, 0};
    std::string error;
    EXPECT_TRUE(ReadIconFile(header.data(), header.size(), nullptr, &error).empty());
    EXPECT_FALSE(error.empty());
    std::vector<uint8_t> zero = {0, 0, 1, 0, 0, 0};
    EXPECT_TRUE(ReadIconFile(zero.data(), zero.size()).empty());
    std::vector<uint8_t> wrongType = {0, 0, 3, 0, 1, 0};
    EXPECT_TRUE(ReadIconFile(wrongType.data(), wrongType.size()).empty());
}

TEST(Icons, StockIconsAndCursorsAreSharedAndDrawable) {
    HICON app = LoadIcon(nullptr, IDI_APPLICATION);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(LoadIcon(nullptr, IDI_APPLICATION), app);
    EXPECT_TRUE(DestroyIcon(app));
    EXPECT_EQ(LoadIcon(nullptr, IDI_APPLICATION), app);
    for (const char* id : {IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION, IDI_WINLOGO})
        EXPECT_NE(LoadIcon(nullptr, id), nullptr);
    for (const char* id :
         {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_SIZEALL, IDC_SIZEWE, IDC_SIZENS, IDC_NO, IDC_HAND,
          IDC_HELP, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW, IDC_APPSTARTING})
        EXPECT_NE(LoadCursor(nullptr, id), nullptr);
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    Canvas c(32, 32);
    c.Clear(RGB(0, 128, 0));
    DrawIcon(c.dc(), 0, 0, LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(c.At(0, 0), RGB(0, 0, 0));        // the tip is outlined
    EXPECT_EQ(c.At(2, 5), RGB(255, 255, 255));  // inside the arrow
    EXPECT_EQ(c.At(20, 20), RGB(0, 128, 0));    // transparent around it
}

TEST(Png, ScreenshotReadByAnIndependentDecoder) {
    zyltest::TempDir dir;
    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    RECT r{10, 20, 30, 40};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(screen, &r, red);
    DeleteObject(red);
    DeleteDC(screen);
    std::string path = dir.File("screen.png");
    ASSERT_TRUE(win32::testing::SaveScreenAsPNG(path));
    if (std::system("python3 -c 'import zlib' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not available";
    std::string script = dir.File("read.py");
    std::ofstream(script) << R"(import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n'
pos, idat, width, height = 8, b'', 0, 0
while pos < len(data):
    length, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b'IHDR':
        width, height, depth, colour = struct.unpack('>IIBB', body[:10])
        assert depth == 8 and colour == 2
    elif kind == b'IDAT':
        idat += body
    pos += 12 + length
raw = zlib.decompress(idat)
stride = width * 3
rows, prev = [], bytearray(stride)
for y in range(height):
    f = raw[y * (stride + 1)]
    line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - 3] if i >= 3 else 0
        b = prev[i]
        c = prev[i - 3] if i >= 3 else 0
        if f == 1: line[i] = (line[i] + a) & 255
        elif f == 2: line[i] = (line[i] + b) & 255
        elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    prev = line
def px(x, y): return tuple(rows[y][3 * x:3 * x + 3])
print(width, height, *px(10, 20), *px(29, 39), *px(30, 40))
)";
    std::string command = "python3 " + script + " " + path + " > " + dir.File("out.txt");
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir.File("out.txt"));
    int w, h, r1, g1, b1, r2, g2, b2, r3, g3, b3;
    in >> w >> h >> r1 >> g1 >> b1 >> r2 >> g2 >> b2 >> r3 >> g3 >> b3;
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(r1, 255);
    EXPECT_EQ(g1, 0);
    EXPECT_EQ(r2, 255);
    EXPECT_EQ(b2, 0);
    EXPECT_EQ(r3, 0);  // the desktop background
    EXPECT_EQ(g3, 128);
    EXPECT_EQ(b3, 128);
}

}  // namespace
