// Image lists: adding strips with a mask colour, icons, transparent drawing, removal, and the
// shell's system image list.
#include <gtest/gtest.h>

#include <vector>

#include "win32/gdi/gdi_test_support.h"
#include "win32/imagelist.h"
#include "win32/kernel.h"
#include "win32/shell.h"

using namespace win32;

namespace {

using gditest::kRed;
using gditest::kWhite;
constexpr COLORREF kKey = RGB(255, 0, 255);

struct DibCanvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    DibCanvas(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, width, height, WHITENESS);
    }
    ~DibCanvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// Two 4x4 images side by side: the first red with a key-coloured top row, the second all key.
HBITMAP TwoImageStrip() {
    std::vector<uint32_t> pixels(8 * 4, 0x00FF0000);
    for (int x = 0; x < 8; ++x)
        pixels[static_cast<size_t>(x)] = 0x00FF00FF;
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            pixels[static_cast<size_t>(y * 8 + x)] = 0x00FF00FF;
    return CreateBitmap(8, 4, 1, 32, pixels.data());
}

}  // namespace

class ImageLists : public ::testing::Test {
protected:
    void TearDown() override { win32::testing::ResetPlatform(); }
};

TEST_F(ImageLists, MaskColourMakesPixelsTransparent) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_MASK | ILC_COLOR32, 2, 2);
    HBITMAP strip = TwoImageStrip();
    EXPECT_EQ(ImageList_AddMasked(list, strip, kKey), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);

    DibCanvas canvas(8, 8);
    ASSERT_TRUE(ImageList_Draw(list, 0, canvas.dc, 2, 2, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(canvas.dc, 2, 2), kWhite);  // the key row shows the background
    EXPECT_EQ(GetPixel(canvas.dc, 2, 3), kRed);
    EXPECT_EQ(GetPixel(canvas.dc, 5, 5), kRed);
    EXPECT_EQ(GetPixel(canvas.dc, 6, 6), kWhite);  // outside the image

    // A background colour fills behind the transparent pixels.
    ImageList_SetBkColor(list, RGB(0, 0, 255));
    ImageList_Draw(list, 1, canvas.dc, 0, 0, ILD_NORMAL);
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), RGB(0, 0, 255));
    // The mask alone: white where transparent, black where the image is.
    ImageList_Draw(list, 0, canvas.dc, 4, 4, ILD_MASK);
    EXPECT_EQ(GetPixel(canvas.dc, 4, 4), kWhite);
    EXPECT_EQ(GetPixel(canvas.dc, 4, 5), RGB(0, 0, 0));

    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list, 1, &info));
    EXPECT_EQ(info.rcImage.left, 4);
    EXPECT_EQ(info.rcImage.right, 8);
    EXPECT_NE(info.hbmMask, nullptr);

    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 1);
    EXPECT_FALSE(ImageList_Remove(list, 5));
    EXPECT_FALSE(ImageList_Draw(list, 1, canvas.dc, 0, 0, ILD_NORMAL));
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    DeleteObject(strip);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_AddMasked(list, strip, kKey), -1);
}

TEST_F(ImageLists, IconsGoInAndComeOutWithTheirMasks) {
    HIMAGELIST list = ImageList_Create(32, 32, ILC_MASK | ILC_COLOR32, 1, 1);
    HICON warning = LoadIcon(nullptr, IDI_WARNING);
    ASSERT_EQ(ImageList_AddIcon(list, warning), 0);

    DibCanvas fromIcon(32, 32), fromList(32, 32);
    DrawIconEx(fromIcon.dc, 0, 0, warning, 32, 32, 0, nullptr, DI_NORMAL);
    ImageList_Draw(list, 0, fromList.dc, 0, 0, ILD_TRANSPARENT);
    int differences = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            differences += GetPixel(fromIcon.dc, x, y) != GetPixel(fromList.dc, x, y);
    EXPECT_EQ(differences, 0);

    HICON back = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ASSERT_NE(back, nullptr);
    DibCanvas fromBack(32, 32);
    DrawIconEx(fromBack.dc, 0, 0, back, 32, 32, 0, nullptr, DI_NORMAL);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            differences += GetPixel(fromIcon.dc, x, y) != GetPixel(fromBack.dc, x, y);
    EXPECT_EQ(differences, 0);
    DestroyIcon(back);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 7, warning), -1);
    ImageList_Destroy(list);
}

TEST_F(ImageLists, TheSystemImageListHoldsTheShellIcons) {
    SHFILEINFO info{};
    auto small = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfo("C:\\folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                      SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ASSERT_NE(small, nullptr);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_GT(ImageList_GetImageCount(small), info.iIcon);

    auto large =
        reinterpret_cast<HIMAGELIST>(SHGetFileInfo("C:\\folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                                                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX));
    ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
    EXPECT_EQ(cx, 32);
    DibCanvas canvas(32, 32);
    ASSERT_TRUE(ImageList_Draw(large, info.iIcon, canvas.dc, 0, 0, ILD_TRANSPARENT));
    int ink = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ink += GetPixel(canvas.dc, x, y) != kWhite;
    EXPECT_GT(ink, 0);
}
