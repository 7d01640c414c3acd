// The GDI object table: every pen, brush, font, bitmap, region, icon and DC lives behind a handle
// whose value encodes a never-reused serial number and the object type, so stale handles are refused.
#pragma once

#include <memory>
#include <mutex>

#include "gdi/dc_internal.h"

namespace win32::gdi {

inline constexpr UINT OBJ_ICON_INTERNAL = 20;  // icons and cursors share the table

struct Object {
    virtual ~Object() = default;
    UINT type = 0;
    bool stock = false;
    int selectCount = 0;  // number of DCs holding the object
};

struct PenObject : Object {
    UINT style = PS_SOLID;  // full style word (style, end cap, join, type)
    int width = 1;
    COLORREF color = 0;
};

struct BrushObject : Object {
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    std::unique_ptr<Surface> pattern;  // BS_PATTERN
    int systemColorIndex = -1;         // GetSysColorBrush brushes follow SetSysColors
};

struct FontObject : Object {
    LOGFONT log{};
};

struct BitmapObject : Object {
    std::unique_ptr<Surface> surface;
    bool dibSection = false;
    HDC selectedInto = nullptr;
};

struct RegionObject : Object {
    Region region;
};

struct IconObject : Object {
    bool isIcon = true;
    POINT hotspot{0, 0};
    int width = 0;
    int height = 0;
    std::unique_ptr<Surface> mask;   // 1 bpp; 2*height rows (AND over XOR) when color is null
    std::unique_ptr<Surface> color;  // 32 bpp XOR image, or null for monochrome icons
    bool shared = false;             // stock icons: DestroyIcon ignores them
};

struct DCObject : Object {
    DeviceContext dc;
};

std::mutex& TableMutex();
HGDIOBJ RegisterObject(std::unique_ptr<Object> object);
Object* LookupObject(HGDIOBJ handle);
// Removes and destroys the object; false for a stale handle.
bool DestroyObject(HGDIOBJ handle);

template <typename T>
T* LookupAs(HGDIOBJ handle, UINT type) {
    Object* object = LookupObject(handle);
    return object && object->type == type ? static_cast<T*>(object) : nullptr;
}
inline PenObject* LookupPen(HGDIOBJ h) {
    return LookupAs<PenObject>(h, OBJ_PEN);
}
inline BrushObject* LookupBrush(HGDIOBJ h) {
    return LookupAs<BrushObject>(h, OBJ_BRUSH);
}
inline FontObject* LookupFont(HGDIOBJ h) {
    return LookupAs<FontObject>(h, OBJ_FONT);
}
inline BitmapObject* LookupBitmap(HGDIOBJ h) {
    return LookupAs<BitmapObject>(h, OBJ_BITMAP);
}
inline RegionObject* LookupRegionObject(HGDIOBJ h) {
    return LookupAs<RegionObject>(h, OBJ_REGION);
}
inline IconObject* LookupIcon(HGDIOBJ h) {
    return LookupAs<IconObject>(h, OBJ_ICON_INTERNAL);
}

// Recomputes dc.effectiveClip from the surface bounds, the visible and the clip region.
void UpdateEffectiveClip(DeviceContext& dc);
// The DC of a handle together with a failure report (ERROR_INVALID_HANDLE) when it is stale.
DeviceContext* DCOrFail(HDC dc);

HRGN NewRegion(Region region);
HBITMAP NewBitmap(std::unique_ptr<Surface> surface, bool dibSection);
std::unique_ptr<Surface> CopySurface(const Surface& source);

// Surface colour words <-> COLORREF.
constexpr uint32_t ToPixel(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ToColorRef(uint32_t p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
// The nearer of black and white, as a monochrome surface stores a colour.
constexpr bool IsNearerWhite(COLORREF c) {
    int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    int toBlack = r * r + g * g + b * b;
    int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite <= toBlack;
}

}  // namespace win32::gdi
