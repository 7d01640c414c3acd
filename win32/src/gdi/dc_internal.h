// What the rest of the platform sees of the device contexts: the text engine draws its glyphs through
// FillMonoMask/FillDeviceRect, the window manager makes screen DCs and reads window regions.
// Coordinates: logical -> device through the window and viewport origins (MM_TEXT);
// device -> surface pixels through DeviceContext::surfaceOrigin (non-zero for screen DCs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "win32/gdi.h"

namespace win32::gdi {

// A pixel surface: 32 bits (0x00RRGGBB words, B G R x in memory), 24 bits (B G R, rows DWORD
// aligned; DIB sections only, drawn through the generic per-pixel paths) or 1 bit (most significant
// bit first, 1 = white). Row y starts at origin + y * stride; stride is negative for bottom-up DIB memory.
struct Surface {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    uint8_t* origin = nullptr;
    ptrdiff_t stride = 0;
    std::unique_ptr<uint8_t[]> storage;

    uint8_t* Row(int y) const { return origin + static_cast<ptrdiff_t>(y) * stride; }
    uint32_t* Row32(int y) const { return reinterpret_cast<uint32_t*>(Row(y)); }
};

// Allocates a zeroed surface (black); 0x0 surfaces are allowed. Returns nullptr beyond the size limits.
std::unique_ptr<Surface> MakeSurface(int width, int height, int bitsPerPixel, bool bottomUp = false);

// A region as y-x banded rectangles: sorted by top, then left; rectangles of one band share top and
// bottom, do not touch one another, and neighbouring bands with equal spans are merged.
// Whether two rectangles share at least one pixel.
inline bool RectsMeet(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

struct Region {
    std::vector<RECT> rects;
    RECT extents{0, 0, 0, 0};

    bool Empty() const { return rects.empty(); }
    int Complexity() const {
        return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
    }
    static Region FromRect(const RECT& rect);
    // Any rectangles, overlapping or not.
    static Region FromRects(const std::vector<RECT>& rects);
    void Offset(int dx, int dy);
    bool Contains(int x, int y) const;
};
Region CombineRegions(const Region& a, const Region& b, int mode);

struct SavedState;

struct DeviceContext {
    // The state the text engine reads. `logFont` mirrors the selected font.
    HFONT font = nullptr;
    LOGFONT logFont{};
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
    POINT currentPosition{0, 0};
    POINT viewportOrg{0, 0};
    POINT windowOrg{0, 0};
    int logPixelsX = 96;
    int logPixelsY = 96;
    int charExtra = 0;

    // Everything else.
    HDC handle = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HBITMAP bitmap = nullptr;  // memory DCs only
    HPALETTE palette = nullptr;
    int rop2 = R2_COPYPEN;
    int stretchMode = BLACKONWHITE;
    int polyFillMode = ALTERNATE;
    POINT brushOrg{0, 0};
    COLORREF dcBrushColor = 0xFFFFFF;
    COLORREF dcPenColor = 0x000000;
    bool isMemory = false;
    bool isScreen = false;

    Surface* surface = nullptr;
    POINT surfaceOrigin{0, 0};
    std::unique_ptr<Region> clipRegion;     // application clip, device coordinates
    std::unique_ptr<Region> visibleRegion;  // system clip of screen DCs, device coordinates
    Region effectiveClip;                   // surface coordinates, within the surface
    std::vector<std::unique_ptr<SavedState>> saved;

    DeviceContext();
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
};

// nullptr for a stale or foreign handle.
DeviceContext* LookupDC(HDC dc);

inline POINT LogicalToDevice(const DeviceContext& dc, POINT p) {
    return POINT{p.x - dc.windowOrg.x + dc.viewportOrg.x, p.y - dc.windowOrg.y + dc.viewportOrg.y};
}
inline POINT DeviceToLogical(const DeviceContext& dc, POINT p) {
    return POINT{p.x + dc.windowOrg.x - dc.viewportOrg.x, p.y + dc.windowOrg.y - dc.viewportOrg.y};
}
// The visible part of the DC in device coordinates (empty when nothing can be drawn).
RECT DeviceClipBox(const DeviceContext& dc);

// Sets each pixel whose mask bit is 1 (MSB first, rows `pitch` bytes apart) to `color`, honouring the
// clip region, the surface bounds and, when given, `clipDevice` (ETO_CLIPPED).
void FillMonoMask(DeviceContext& dc, int deviceX, int deviceY, const uint8_t* bits, int width, int height,
                  int pitch, COLORREF color);
void FillMonoMask(DeviceContext& dc, int deviceX, int deviceY, const uint8_t* bits, int width, int height,
                  int pitch, COLORREF color, const RECT* clipDevice);
// Fills a device rectangle (right/bottom excluded) with a solid colour, honouring the clip.
void FillDeviceRect(DeviceContext& dc, const RECT& deviceRect, COLORREF color);

// The screen. A screen DC draws on the desktop surface with its logical origin at `origin` (screen
// coordinates), clipped to `visible` (screen coordinates, disjoint). DeleteDC releases it.
HDC CreateScreenDC(POINT origin, std::vector<RECT> visible);
// A DC that draws on a surface someone else owns (a printer's page), at the given resolution.
HDC CreateSurfaceDC(Surface* surface, int logPixelsX, int logPixelsY);
// Moves an existing screen DC (after the window moved or its visible part changed).
BOOL SetScreenDCVisible(HDC dc, POINT origin, std::vector<RECT> visible);
void ResizeScreenSurface(int width, int height);  // contents are cleared to COLOR_BACKGROUND
SIZE ScreenSize();
Surface& ScreenSurface();
// Counts the occasions on which the screen surface may have changed (a screen DC looked up, bits
// put back, the surface replaced): a display that shows the surface compares it again only when
// the count moved.
uint64_t ScreenWrites();
void NoteScreenWrite();
// The resolution new DCs report and render fonts at (96 unless a live display says otherwise).
void SetScreenLogPixels(int dotsPerInch);

// Regions for window regions: the banded rectangles of a region, and a new region from rectangles.
std::vector<RECT> RegionRects(HRGN region);
HRGN CreateRegionFromRects(const std::vector<RECT>& rects);
// The region object behind a handle, nullptr if stale.
const Region* LookupRegion(HRGN region);

// The LOGFONT behind a font handle (false for a stale handle).
bool FontLogFont(HFONT font, LOGFONT* out);

}  // namespace win32::gdi
