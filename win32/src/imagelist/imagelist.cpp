#include "win32/imagelist.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "win32/kernel.h"

namespace win32 {

namespace {

// One list: the images' pixels in our own memory, and strips of every image side by side (colour
// with the transparent pixels black, and the monochrome mask) rebuilt when the images change, so
// that drawing is two block transfers.
struct ImageList {
    int cx = 0, cy = 0;
    bool masked = false;
    COLORREF bkColor = CLR_NONE;
    std::vector<std::vector<uint32_t>> colour;  // 0x00RRGGBB per pixel
    std::vector<std::vector<uint8_t>> mask;     // 1 = transparent
    HBITMAP colourStrip = nullptr;
    HBITMAP maskStrip = nullptr;
    bool dirty = true;

    ~ImageList() { ReleaseStrips(); }
    void ReleaseStrips() {
        if (colourStrip) DeleteObject(colourStrip);
        if (maskStrip) DeleteObject(maskStrip);
        colourStrip = maskStrip = nullptr;
        dirty = true;
    }
};

struct Lists {
    std::mutex mutex;
    std::unordered_map<UINT_PTR, std::unique_ptr<ImageList>> byHandle;
    UINT_PTR next = 0x1000;
};

Lists& AllLists() {
    static Lists* lists = new Lists();
    return *lists;
}

ImageList* Lookup(HIMAGELIST handle) {
    Lists& lists = AllLists();
    std::lock_guard lock(lists.mutex);
    auto found = lists.byHandle.find(HandleValue(handle));
    if (found == lists.byHandle.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second.get();
}

uint32_t ImageListPixel(COLORREF color) {
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// A memory DC with a top-down 32-bit DIB of the given size; pixels through `bits`.
struct Scratch {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;

    Scratch(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<uint32_t*>(pixels);
        if (bitmap) previous = SelectObject(dc, bitmap);
    }
    ~Scratch() {
        if (previous) SelectObject(dc, previous);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    bool Ok() const { return dc && bitmap && bits; }
    uint32_t At(int x, int y) const { return bits[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

// Copies a bitmap's pixels (any depth) through a 32-bit scratch surface.
bool ReadBitmap(HBITMAP bitmap, int width, int height, Scratch& into) {
    if (!into.Ok()) return false;
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, bitmap);
    if (!previous) {
        DeleteDC(source);
        return false;
    }
    // Monochrome sources come out black and white.
    SetTextColor(into.dc, RGB(0, 0, 0));
    SetBkColor(into.dc, RGB(255, 255, 255));
    BitBlt(into.dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    return true;
}

bool BitmapSize(HBITMAP bitmap, int& width, int& height) {
    BITMAP info{};
    if (!bitmap || GetObject(bitmap, sizeof info, &info) != sizeof info) return false;
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

// Splits a strip into images; `transparent` decides the mask per pixel. Returns the first index.
template <typename Transparent>
int AddStrip(ImageList& list, HBITMAP image, Transparent transparent, int replaceAt = -1) {
    int width = 0, height = 0;
    if (!BitmapSize(image, width, height) || list.cx <= 0 || width < list.cx) return -1;
    Scratch pixels(width, std::max(height, list.cy));
    if (!ReadBitmap(image, width, height, pixels)) return -1;
    const int count = replaceAt >= 0 ? 1 : width / list.cx;
    const int first = replaceAt >= 0 ? replaceAt : static_cast<int>(list.colour.size());
    for (int n = 0; n < count; ++n) {
        std::vector<uint32_t> colour(static_cast<size_t>(list.cx) * list.cy, 0);
        std::vector<uint8_t> mask(colour.size(), 0);
        for (int y = 0; y < std::min(height, list.cy); ++y)
            for (int x = 0; x < list.cx; ++x) {
                size_t at = static_cast<size_t>(y) * list.cx + x;
                colour[at] = pixels.At(n * list.cx + x, y);
                mask[at] = list.masked && transparent(n * list.cx + x, y, colour[at]) ? 1 : 0;
            }
        if (replaceAt >= 0) {
            list.colour[static_cast<size_t>(replaceAt)] = std::move(colour);
            list.mask[static_cast<size_t>(replaceAt)] = std::move(mask);
        } else {
            list.colour.push_back(std::move(colour));
            list.mask.push_back(std::move(mask));
        }
    }
    list.dirty = true;
    return first;
}

void RebuildStrips(ImageList& list) {
    if (!list.dirty && list.colourStrip) return;
    list.ReleaseStrips();
    const int count = std::max<int>(1, static_cast<int>(list.colour.size()));
    const int width = list.cx * count;
    std::vector<uint32_t> colour(static_cast<size_t>(width) * list.cy, 0);
    const int maskStride = ((width + 15) / 16) * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(maskStride) * list.cy, 0);
    for (size_t n = 0; n < list.colour.size(); ++n)
        for (int y = 0; y < list.cy; ++y)
            for (int x = 0; x < list.cx; ++x) {
                size_t at = static_cast<size_t>(y) * list.cx + x;
                int stripX = static_cast<int>(n) * list.cx + x;
                bool clear = list.mask[n][at];
                colour[static_cast<size_t>(y) * width + stripX] = clear ? 0 : list.colour[n][at];
                if (clear)
                    mask[static_cast<size_t>(y) * maskStride + stripX / 8] |=
                        static_cast<uint8_t>(0x80 >> (stripX % 8));
            }
    list.colourStrip = CreateBitmap(width, list.cy, 1, 32, colour.data());
    list.maskStrip = CreateBitmap(width, list.cy, 1, 1, mask.data());
    list.dirty = false;
}

bool ValidIndex(const ImageList& list, int index) {
    return index >= 0 && index < static_cast<int>(list.colour.size());
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int) {
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096 || initial < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto list = std::make_unique<ImageList>();
    list->cx = cx;
    list->cy = cy;
    list->masked = flags & ILC_MASK;
    Lists& lists = AllLists();
    std::lock_guard lock(lists.mutex);
    UINT_PTR value = lists.next++;
    lists.byHandle.emplace(value, std::move(list));
    return MakeHandle<HIMAGELIST>(value);
}

BOOL ImageList_Destroy(HIMAGELIST handle) {
    Lists& lists = AllLists();
    std::unique_ptr<ImageList> gone;
    {
        std::lock_guard lock(lists.mutex);
        auto found = lists.byHandle.find(HandleValue(handle));
        if (found == lists.byHandle.end()) return FALSE;
        gone = std::move(found->second);
        lists.byHandle.erase(found);
    }
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST handle) {
    ImageList* list = Lookup(handle);
    return list ? static_cast<int>(list->colour.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST handle, UINT count) {
    ImageList* list = Lookup(handle);
    if (!list || count > 1u << 20) return FALSE;
    const size_t size = static_cast<size_t>(list->cx) * list->cy;
    list->colour.resize(count, std::vector<uint32_t>(size, 0));
    list->mask.resize(count, std::vector<uint8_t>(size, list->masked ? 1 : 0));
    list->dirty = true;
    return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy) {
    ImageList* list = Lookup(handle);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) {
    ImageList* list = Lookup(handle);
    if (!list) return -1;
    int width = 0, height = 0;
    std::unique_ptr<Scratch> maskPixels;
    if (mask && BitmapSize(mask, width, height)) {
        maskPixels = std::make_unique<Scratch>(width, height);
        if (!ReadBitmap(mask, width, height, *maskPixels)) maskPixels.reset();
    }
    return AddStrip(*list, image, [&](int x, int y, uint32_t) {
        return maskPixels && x < maskPixels->width && y < maskPixels->height && maskPixels->At(x, y) != 0;
    });
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF maskColor) {
    ImageList* list = Lookup(handle);
    if (!list) return -1;
    const uint32_t key = ImageListPixel(maskColor);
    return AddStrip(*list, image, [key](int, int, uint32_t pixel) { return pixel == key; });
}

BOOL ImageList_Replace(HIMAGELIST handle, int index, HBITMAP image, HBITMAP mask) {
    ImageList* list = Lookup(handle);
    if (!list || !ValidIndex(*list, index)) return FALSE;
    int width = 0, height = 0;
    std::unique_ptr<Scratch> maskPixels;
    if (mask && BitmapSize(mask, width, height)) {
        maskPixels = std::make_unique<Scratch>(width, height);
        if (!ReadBitmap(mask, width, height, *maskPixels)) maskPixels.reset();
    }
    return AddStrip(
               *list, image,
               [&](int x, int y, uint32_t) {
                   return maskPixels && x < maskPixels->width && y < maskPixels->height &&
                          maskPixels->At(x, y) != 0;
               },
               index) >= 0;
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON icon) {
    ImageList* list = Lookup(handle);
    if (!list || !icon || (index != -1 && !ValidIndex(*list, index))) return -1;
    // The icon's image on black and its mask on white, at the list's size.
    Scratch image(list->cx, list->cy), mask(list->cx, list->cy);
    if (!image.Ok() || !mask.Ok()) return -1;
    PatBlt(image.dc, 0, 0, list->cx, list->cy, BLACKNESS);
    PatBlt(mask.dc, 0, 0, list->cx, list->cy, WHITENESS);
    if (!DrawIconEx(image.dc, 0, 0, icon, list->cx, list->cy, 0, nullptr, DI_IMAGE) ||
        !DrawIconEx(mask.dc, 0, 0, icon, list->cx, list->cy, 0, nullptr, DI_MASK))
        return -1;
    const size_t size = static_cast<size_t>(list->cx) * list->cy;
    std::vector<uint32_t> colour(size);
    std::vector<uint8_t> transparent(size);
    for (int y = 0; y < list->cy; ++y)
        for (int x = 0; x < list->cx; ++x) {
            size_t at = static_cast<size_t>(y) * list->cx + x;
            colour[at] = image.At(x, y);
            transparent[at] = list->masked && mask.At(x, y) != 0 ? 1 : 0;
        }
    if (index == -1) {
        list->colour.push_back(std::move(colour));
        list->mask.push_back(std::move(transparent));
        index = static_cast<int>(list->colour.size()) - 1;
    } else {
        list->colour[static_cast<size_t>(index)] = std::move(colour);
        list->mask[static_cast<size_t>(index)] = std::move(transparent);
    }
    list->dirty = true;
    return index;
}

BOOL ImageList_Remove(HIMAGELIST handle, int index) {
    ImageList* list = Lookup(handle);
    if (!list) return FALSE;
    if (index == -1) {
        list->colour.clear();
        list->mask.clear();
    } else {
        if (!ValidIndex(*list, index)) return FALSE;
        list->colour.erase(list->colour.begin() + index);
        list->mask.erase(list->mask.begin() + index);
    }
    list->dirty = true;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF color) {
    ImageList* list = Lookup(handle);
    if (!list) return CLR_NONE;
    COLORREF previous = list->bkColor;
    list->bkColor = color;
    return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) {
    ImageList* list = Lookup(handle);
    return list ? list->bkColor : CLR_NONE;
}

BOOL ImageList_DrawEx(HIMAGELIST handle, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style) {
    ImageList* list = Lookup(handle);
    if (!list || !ValidIndex(*list, index) || !dc) return FALSE;
    RebuildStrips(*list);
    const int width = dx > 0 ? std::min(dx, list->cx) : list->cx;
    const int height = dy > 0 ? std::min(dy, list->cy) : list->cy;
    const int sourceX = index * list->cx;
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, list->maskStrip);
    const COLORREF savedText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF savedBk = SetBkColor(dc, RGB(255, 255, 255));
    if (style & ILD_MASK) {
        BitBlt(dc, x, y, width, height, source, sourceX, 0, SRCCOPY);
    } else {
        COLORREF fill = background == CLR_DEFAULT ? list->bkColor : background;
        bool transparent = !list->masked || (style & ILD_TRANSPARENT) || fill == CLR_NONE;
        if (list->masked && !transparent) {
            HBRUSH brush = CreateSolidBrush(fill);
            RECT area{x, y, x + width, y + height};
            FillRect(dc, &area, brush);
            DeleteObject(brush);
        }
        if (list->masked) BitBlt(dc, x, y, width, height, source, sourceX, 0, SRCAND);
        SelectObject(source, list->colourStrip);
        BitBlt(dc, x, y, width, height, source, sourceX, 0, list->masked ? SRCPAINT : SRCCOPY);
        if (style & (ILD_BLEND25 | ILD_BLEND50)) {
            // Selected or focused: every other opaque pixel takes the blend colour.
            COLORREF blend = foreground == CLR_DEFAULT || foreground == CLR_NONE
                                 ? GetSysColor(COLOR_HIGHLIGHT)
                                 : foreground;
            const std::vector<uint8_t>& mask = list->mask[static_cast<size_t>(index)];
            for (int py = 0; py < height; ++py)
                for (int px = (py % 2); px < width; px += 2)
                    if (!mask[static_cast<size_t>(py) * list->cx + px]) SetPixelV(dc, x + px, y + py, blend);
        }
    }
    SetTextColor(dc, savedText);
    SetBkColor(dc, savedBk);
    SelectObject(source, previous);
    DeleteDC(source);
    return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC dc, int x, int y, UINT style) {
    return ImageList_DrawEx(handle, index, dc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

HICON ImageList_GetIcon(HIMAGELIST handle, int index, UINT) {
    ImageList* list = Lookup(handle);
    if (!list || !ValidIndex(*list, index)) return nullptr;
    const size_t size = static_cast<size_t>(list->cx) * list->cy;
    std::vector<uint32_t> colour(size);
    const int maskStride = ((list->cx + 15) / 16) * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(maskStride) * list->cy, 0);
    for (int y = 0; y < list->cy; ++y)
        for (int x = 0; x < list->cx; ++x) {
            size_t at = static_cast<size_t>(y) * list->cx + x;
            bool clear = list->mask[static_cast<size_t>(index)][at];
            colour[at] = clear ? 0 : (0xFF000000u | list->colour[static_cast<size_t>(index)][at]);
            if (clear)
                mask[static_cast<size_t>(y) * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = CreateBitmap(list->cx, list->cy, 1, 32, colour.data());
    info.hbmMask = CreateBitmap(list->cx, list->cy, 1, 1, mask.data());
    HICON icon = info.hbmColor && info.hbmMask ? CreateIconIndirect(&info) : nullptr;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return icon;
}

BOOL ImageList_GetImageInfo(HIMAGELIST handle, int index, IMAGEINFO* info) {
    ImageList* list = Lookup(handle);
    if (!list || !info || !ValidIndex(*list, index)) return FALSE;
    RebuildStrips(*list);
    info->hbmImage = list->colourStrip;
    info->hbmMask = list->masked ? list->maskStrip : nullptr;
    info->rcImage = RECT{index * list->cx, 0, (index + 1) * list->cx, list->cy};
    return TRUE;
}

HIMAGELIST ImageList_Duplicate(HIMAGELIST handle) {
    ImageList* list = Lookup(handle);
    if (!list) return nullptr;
    HIMAGELIST copy =
        ImageList_Create(list->cx, list->cy, list->masked ? ILC_MASK | ILC_COLOR32 : ILC_COLOR32, 0, 0);
    ImageList* target = Lookup(copy);
    target->colour = list->colour;
    target->mask = list->mask;
    target->bkColor = list->bkColor;
    return copy;
}

}  // namespace win32
