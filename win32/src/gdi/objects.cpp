// The object table, stock objects, system colours, object creation, selection and deletion.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <vector>

#include "gdi/gdi_objects.h"
#include "gdi/raster.h"
#include "printing/printing_internal.h"
#include "win32/kernel.h"
#include "win32/messages.h"
#include "win32/user.h"

namespace win32::gdi {

namespace {

// Objects live in reusable slots; a handle carries its slot, the slot's generation at creation and the
// type, so a handle outlives its object only as a value that no longer matches.
class Slots {
    static_assert(sizeof(UINT_PTR) == 8, "handles carry a 32-bit generation above the slot");

public:
    UINT_PTR Insert(std::unique_ptr<Object> object) {
        uint32_t slot;
        if (!free_.empty()) {
            slot = free_.back();
            free_.pop_back();
        } else {
            slot = static_cast<uint32_t>(entries_.size());
            entries_.emplace_back();
        }
        Entry& e = entries_[slot];
        UINT_PTR type = object->type & 31;
        e.object = std::move(object);
        return (static_cast<UINT_PTR>(e.generation) << 32) | (static_cast<UINT_PTR>(slot + 1) << 5) | type;
    }
    Object* Find(UINT_PTR value) const {
        Entry* e = EntryOf(value);
        return e ? e->object.get() : nullptr;
    }
    std::unique_ptr<Object> Erase(UINT_PTR value) {
        Entry* e = EntryOf(value);
        if (!e) return nullptr;
        std::unique_ptr<Object> object = std::move(e->object);
        ++e->generation;
        free_.push_back(static_cast<uint32_t>(e - entries_.data()));
        return object;
    }
    template <typename F>
    void ForEach(F&& f) const {
        for (const Entry& e : entries_)
            if (e.object) f(*e.object);
    }

private:
    struct Entry {
        std::unique_ptr<Object> object;
        uint32_t generation = 1;
    };
    Entry* EntryOf(UINT_PTR value) const {
        UINT_PTR slot = ((value & 0xFFFFFFFFu) >> 5);
        if (slot == 0 || slot > entries_.size()) return nullptr;
        auto* e = const_cast<Entry*>(&entries_[slot - 1]);
        if (!e->object || e->generation != static_cast<uint32_t>(value >> 32) ||
            (e->object->type & 31) != (value & 31))
            return nullptr;
        return e;
    }
    std::vector<Entry> entries_;
    std::vector<uint32_t> free_;
};

struct Table {
    Slots objects;
    std::array<HGDIOBJ, 20> stock{};
    std::array<HBRUSH, SYSTEM_COLOR_COUNT> systemBrushes{};
    HBITMAP defaultBitmap = nullptr;
    bool stockMade = false;
};

Table& TheTable() {
    static Table table;
    return table;
}

constexpr std::array<COLORREF, SYSTEM_COLOR_COUNT> kClassicColors = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // background
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // app workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3D dark shadow
    RGB(192, 192, 192),  // 3D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(192, 192, 192),  // (unused index 25)
    RGB(0, 0, 128),      // hot light
    RGB(16, 132, 208),   // gradient active caption
    RGB(181, 181, 181),  // gradient inactive caption
    RGB(0, 0, 128),      // menu highlight
    RGB(192, 192, 192),  // menu bar
};

std::array<COLORREF, SYSTEM_COLOR_COUNT>& SystemColors() {
    static std::array<COLORREF, SYSTEM_COLOR_COUNT> colors = kClassicColors;
    return colors;
}

struct ScreenState {
    std::unique_ptr<Surface> surface;
};

ScreenState& Screen() {
    static ScreenState state;
    return state;
}

HGDIOBJ RegisterLocked(std::unique_ptr<Object> object) {
    Table& table = TheTable();
    return MakeHandle<HGDIOBJ>(table.objects.Insert(std::move(object)));
}

LOGFONT MakeLogFont(LONG height, LONG weight, BYTE pitch, const char* face) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = pitch;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

void MakeStockLocked() {
    Table& table = TheTable();
    if (table.stockMade) return;
    table.stockMade = true;
    auto brush = [](UINT style, COLORREF color) {
        auto b = std::make_unique<BrushObject>();
        b->type = OBJ_BRUSH;
        b->stock = true;
        b->style = style;
        b->color = color;
        return RegisterLocked(std::move(b));
    };
    auto pen = [](UINT style, COLORREF color) {
        auto p = std::make_unique<PenObject>();
        p->type = OBJ_PEN;
        p->stock = true;
        p->style = style;
        p->color = color;
        return RegisterLocked(std::move(p));
    };
    auto font = [](const LOGFONT& lf) {
        auto f = std::make_unique<FontObject>();
        f->type = OBJ_FONT;
        f->stock = true;
        f->log = lf;
        return RegisterLocked(std::move(f));
    };
    table.stock[WHITE_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
    table.stock[LTGRAY_BRUSH] = brush(BS_SOLID, RGB(192, 192, 192));
    table.stock[GRAY_BRUSH] = brush(BS_SOLID, RGB(128, 128, 128));
    table.stock[DKGRAY_BRUSH] = brush(BS_SOLID, RGB(64, 64, 64));
    table.stock[BLACK_BRUSH] = brush(BS_SOLID, RGB(0, 0, 0));
    table.stock[NULL_BRUSH] = brush(BS_NULL, 0);
    table.stock[WHITE_PEN] = pen(PS_SOLID, RGB(255, 255, 255));
    table.stock[BLACK_PEN] = pen(PS_SOLID, RGB(0, 0, 0));
    table.stock[NULL_PEN] = pen(PS_NULL, 0);
    table.stock[OEM_FIXED_FONT] = font(MakeLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal"));
    table.stock[ANSI_FIXED_FONT] = font(MakeLogFont(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier"));
    table.stock[ANSI_VAR_FONT] = font(MakeLogFont(12, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
    table.stock[SYSTEM_FONT] = font(MakeLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"));
    table.stock[DEVICE_DEFAULT_FONT] = font(MakeLogFont(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System"));
    table.stock[SYSTEM_FIXED_FONT] = font(MakeLogFont(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys"));
    table.stock[DEFAULT_GUI_FONT] =
        font(MakeLogFont(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
    table.stock[DC_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
    table.stock[DC_PEN] = pen(PS_SOLID, RGB(0, 0, 0));
    {
        auto palette = std::make_unique<Object>();
        palette->type = OBJ_PAL;
        palette->stock = true;
        table.stock[DEFAULT_PALETTE] = RegisterLocked(std::move(palette));
    }
    for (int i = 0; i < SYSTEM_COLOR_COUNT; ++i) {
        auto b = std::make_unique<BrushObject>();
        b->type = OBJ_BRUSH;
        b->stock = true;
        b->style = BS_SOLID;
        b->color = SystemColors()[i];
        b->systemColorIndex = i;
        table.systemBrushes[i] = static_cast<HBRUSH>(RegisterLocked(std::move(b)));
    }
    {
        auto bitmap = std::make_unique<BitmapObject>();
        bitmap->type = OBJ_BITMAP;
        bitmap->stock = true;
        bitmap->surface = MakeSurface(1, 1, 1);
        table.defaultBitmap = static_cast<HBITMAP>(RegisterLocked(std::move(bitmap)));
    }
}

void ResetSystemColorsLocked() {
    SystemColors() = kClassicColors;
    Table& table = TheTable();
    if (!table.stockMade) return;
    for (int i = 0; i < SYSTEM_COLOR_COUNT; ++i) {
        if (Object* o = table.objects.Find(HandleValue(table.systemBrushes[i])))
            static_cast<BrushObject*>(o)->color = kClassicColors[i];
    }
}

void ResetScreen();

const bool resetRegistered = [] {
    testing::AddResetHook([] {
        {
            std::lock_guard lock(TableMutex());
            ResetSystemColorsLocked();
        }
        ResetScreen();
    });
    return true;
}();

void Hold(HGDIOBJ handle) {
    if (Object* o = LookupObject(handle)) ++o->selectCount;
}
void Drop(HGDIOBJ handle) {
    if (Object* o = LookupObject(handle)) --o->selectCount;
}

}  // namespace

std::mutex& TableMutex() {
    static std::mutex mutex;
    return mutex;
}

HGDIOBJ RegisterObject(std::unique_ptr<Object> object) {
    std::lock_guard lock(TableMutex());
    MakeStockLocked();
    return RegisterLocked(std::move(object));
}

Object* LookupObject(HGDIOBJ handle) {
    std::lock_guard lock(TableMutex());
    MakeStockLocked();
    return TheTable().objects.Find(HandleValue(handle));
}

bool DestroyObject(HGDIOBJ handle) {
    std::unique_ptr<Object> doomed;
    {
        std::lock_guard lock(TableMutex());
        doomed = TheTable().objects.Erase(HandleValue(handle));
        if (!doomed) return false;
    }
    return true;
}

HRGN NewRegion(Region region) {
    auto object = std::make_unique<RegionObject>();
    object->type = OBJ_REGION;
    object->region = std::move(region);
    return static_cast<HRGN>(RegisterObject(std::move(object)));
}

HBITMAP NewBitmap(std::unique_ptr<Surface> surface, bool dibSection) {
    if (!surface) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto object = std::make_unique<BitmapObject>();
    object->type = OBJ_BITMAP;
    object->surface = std::move(surface);
    object->dibSection = dibSection;
    return static_cast<HBITMAP>(RegisterObject(std::move(object)));
}

std::unique_ptr<Surface> MakeSurface(int width, int height, int bitsPerPixel, bool bottomUp) {
    if (width < 0 || height < 0 || width > MAX_IMAGE_DIMENSION || height > MAX_IMAGE_DIMENSION)
        return nullptr;
    if (static_cast<int64_t>(width) * height > MAX_IMAGE_PIXELS) return nullptr;
    if (bitsPerPixel != 1 && bitsPerPixel != 24 && bitsPerPixel != 32) return nullptr;
    auto surface = std::make_unique<Surface>();
    surface->width = width;
    surface->height = height;
    surface->bitsPerPixel = bitsPerPixel;
    ptrdiff_t rowBytes = (static_cast<ptrdiff_t>(width) * bitsPerPixel + 31) / 32 * 4;
    size_t total = static_cast<size_t>(rowBytes) * static_cast<size_t>(height);
    surface->storage.reset(new (std::nothrow) uint8_t[std::max<size_t>(total, 4)]());
    if (!surface->storage) return nullptr;
    if (bottomUp && height > 0) {
        surface->origin = surface->storage.get() + rowBytes * (height - 1);
        surface->stride = -rowBytes;
    } else {
        surface->origin = surface->storage.get();
        surface->stride = rowBytes;
    }
    return surface;
}

std::unique_ptr<Surface> CopySurface(const Surface& source) {
    auto copy = MakeSurface(source.width, source.height, source.bitsPerPixel);
    if (!copy) return nullptr;
    size_t rowBytes = static_cast<size_t>(std::abs(copy->stride));
    for (int y = 0; y < source.height; ++y)
        std::memcpy(copy->Row(y), source.Row(y), rowBytes);
    return copy;
}

// ---------------------------------------------------------------------------------------------
// Screen

namespace {

void ResetScreen() {
    ResizeScreenSurface(1024, 768);
}

}  // namespace

Surface& ScreenSurface() {
    ScreenState& screen = Screen();
    if (!screen.surface) ResizeScreenSurface(1024, 768);
    return *screen.surface;
}

void ResizeScreenSurface(int width, int height) {
    auto surface = MakeSurface(std::max(width, 1), std::max(height, 1), 32);
    if (!surface) return;
    uint32_t background = ToPixel(SystemColors()[COLOR_BACKGROUND]);
    for (int y = 0; y < surface->height; ++y)
        std::fill_n(surface->Row32(y), surface->width, background);
    Screen().surface = std::move(surface);
    NoteScreenWrite();
    // Live screen DCs point at the surface: move them to the new one.
    std::lock_guard lock(TableMutex());
    TheTable().objects.ForEach([](Object& object) {
        if (object.type != OBJ_DC) return;
        DeviceContext& dc = static_cast<DCObject&>(object).dc;
        if (dc.isMemory) return;
        dc.surface = Screen().surface.get();
        UpdateEffectiveClip(dc);
    });
}

SIZE ScreenSize() {
    Surface& s = ScreenSurface();
    return SIZE{s.width, s.height};
}

// ---------------------------------------------------------------------------------------------
// Device contexts

struct SavedState {
    HPEN pen;
    HBRUSH brush;
    HFONT font;
    HBITMAP bitmap;
    COLORREF textColor, bkColor;
    int bkMode;
    UINT textAlign;
    POINT currentPosition, viewportOrg, windowOrg, brushOrg;
    int charExtra, rop2, stretchMode, polyFillMode;
    COLORREF dcBrushColor, dcPenColor;
    std::unique_ptr<Region> clipRegion;
};

DeviceContext::DeviceContext() = default;
DeviceContext::~DeviceContext() = default;

void UpdateEffectiveClip(DeviceContext& dc) {
    RECT bounds{0, 0, dc.surface ? dc.surface->width : 0, dc.surface ? dc.surface->height : 0};
    Region clip = Region::FromRect(bounds);
    const auto keepInside = [&](const Region& limit) {
        if (dc.surfaceOrigin.x == 0 && dc.surfaceOrigin.y == 0) {
            clip = CombineRegions(clip, limit, RGN_AND);
            return;
        }
        Region moved = limit;
        moved.Offset(dc.surfaceOrigin.x, dc.surfaceOrigin.y);
        clip = CombineRegions(clip, moved, RGN_AND);
    };
    if (dc.visibleRegion) keepInside(*dc.visibleRegion);
    if (dc.clipRegion) keepInside(*dc.clipRegion);
    dc.effectiveClip = std::move(clip);
}

namespace {
std::atomic<uint64_t> screenWriteCount{0};
std::atomic<int> screenDotsPerInch{96};
}  // namespace

uint64_t ScreenWrites() {
    return screenWriteCount.load(std::memory_order_relaxed);
}

void NoteScreenWrite() {
    screenWriteCount.fetch_add(1, std::memory_order_relaxed);
}

void SetScreenLogPixels(int dotsPerInch) {
    screenDotsPerInch.store(dotsPerInch, std::memory_order_relaxed);
}

DeviceContext* LookupDC(HDC dc) {
    auto* object = LookupAs<DCObject>(dc, OBJ_DC);
    if (!object) return nullptr;
    if (!object->dc.isMemory) NoteScreenWrite();
    return &object->dc;
}

DeviceContext* DCOrFail(HDC handle) {
    DeviceContext* dc = LookupDC(handle);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

RECT DeviceClipBox(const DeviceContext& dc) {
    if (dc.effectiveClip.Empty()) return RECT{0, 0, 0, 0};
    RECT box = dc.effectiveClip.extents;
    OffsetRect(&box, -dc.surfaceOrigin.x, -dc.surfaceOrigin.y);
    return box;
}

bool FontLogFont(HFONT font, LOGFONT* out) {
    FontObject* f = LookupFont(font);
    if (!f || !out) return false;
    *out = f->log;
    return true;
}

namespace {

HDC NewDC(bool memory, bool screen) {
    auto object = std::make_unique<DCObject>();
    object->type = OBJ_DC;
    DeviceContext& dc = object->dc;
    dc.isMemory = memory;
    dc.isScreen = screen;
    dc.logPixelsX = dc.logPixelsY = screenDotsPerInch.load(std::memory_order_relaxed);
    dc.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    dc.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    dc.font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    FontLogFont(dc.font, &dc.logFont);
    dc.palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    if (memory) {
        std::lock_guard lock(TableMutex());
        dc.bitmap = TheTable().defaultBitmap;
    }
    if (memory) {
        BitmapObject* bitmap = LookupBitmap(dc.bitmap);
        dc.surface = bitmap ? bitmap->surface.get() : nullptr;
    } else {
        dc.surface = &ScreenSurface();
    }
    HDC handle = static_cast<HDC>(RegisterObject(std::move(object)));
    DeviceContext* created = LookupDC(handle);
    created->handle = handle;
    Hold(created->pen);
    Hold(created->brush);
    Hold(created->font);
    if (memory) Hold(created->bitmap);
    UpdateEffectiveClip(*created);
    return handle;
}

void ReleaseSelections(DeviceContext& dc) {
    Drop(dc.pen);
    Drop(dc.brush);
    Drop(dc.font);
    if (dc.bitmap) Drop(dc.bitmap);
    for (auto& state : dc.saved) {
        Drop(state->pen);
        Drop(state->brush);
        Drop(state->font);
        if (state->bitmap) Drop(state->bitmap);
    }
    auto releaseBitmap = [&](HBITMAP bitmap) {
        if (BitmapObject* b = LookupBitmap(bitmap); b && b->selectedInto == dc.handle)
            b->selectedInto = nullptr;
    };
    releaseBitmap(dc.bitmap);
    for (auto& state : dc.saved)
        releaseBitmap(state->bitmap);
}

}  // namespace

HDC CreateSurfaceDC(Surface* surface, int logPixelsX, int logPixelsY) {
    HDC handle = NewDC(false, false);
    DeviceContext* dc = LookupDC(handle);
    dc->surface = surface;
    dc->logPixelsX = logPixelsX;
    dc->logPixelsY = logPixelsY;
    UpdateEffectiveClip(*dc);
    return handle;
}

HDC CreateScreenDC(POINT origin, std::vector<RECT> visible) {
    HDC handle = NewDC(false, true);
    SetScreenDCVisible(handle, origin, std::move(visible));
    return handle;
}

BOOL SetScreenDCVisible(HDC handle, POINT origin, std::vector<RECT> visible) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !dc->isScreen) return FALSE;
    for (RECT& r : visible)
        OffsetRect(&r, -origin.x, -origin.y);
    dc->surfaceOrigin = origin;
    dc->visibleRegion = std::make_unique<Region>(Region::FromRects(visible));
    UpdateEffectiveClip(*dc);
    return TRUE;
}

}  // namespace win32::gdi

namespace win32 {

using namespace gdi;

HDC CreateDC(const char* driver, const char* device, const char*, const void* initData) {
    if (driver && std::strcmp(driver, "DISPLAY") == 0) return NewDC(false, false);
    if (!device || !*device) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return printing::CreatePrinterDC(device, static_cast<const DEVMODE*>(initData));
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !LookupDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewDC(true, false);
}

BOOL DeleteDC(HDC handle) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    printing::ForgetPrinterDC(handle);
    ReleaseSelections(*dc);
    DestroyObject(handle);
    return TRUE;
}

int SaveDC(HDC handle) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return 0;
    auto state = std::make_unique<SavedState>();
    state->pen = dc->pen;
    state->brush = dc->brush;
    state->font = dc->font;
    state->bitmap = dc->bitmap;
    state->textColor = dc->textColor;
    state->bkColor = dc->bkColor;
    state->bkMode = dc->bkMode;
    state->textAlign = dc->textAlign;
    state->currentPosition = dc->currentPosition;
    state->viewportOrg = dc->viewportOrg;
    state->windowOrg = dc->windowOrg;
    state->brushOrg = dc->brushOrg;
    state->charExtra = dc->charExtra;
    state->rop2 = dc->rop2;
    state->stretchMode = dc->stretchMode;
    state->polyFillMode = dc->polyFillMode;
    state->dcBrushColor = dc->dcBrushColor;
    state->dcPenColor = dc->dcPenColor;
    if (dc->clipRegion) state->clipRegion = std::make_unique<Region>(*dc->clipRegion);
    Hold(state->pen);
    Hold(state->brush);
    Hold(state->font);
    if (state->bitmap) Hold(state->bitmap);
    dc->saved.push_back(std::move(state));
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC handle, int savedDC) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    int count = static_cast<int>(dc->saved.size());
    int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
    if (level < 1 || level > count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    while (static_cast<int>(dc->saved.size()) > level) {
        auto& state = dc->saved.back();
        Drop(state->pen);
        Drop(state->brush);
        Drop(state->font);
        if (state->bitmap) Drop(state->bitmap);
        dc->saved.pop_back();
    }
    std::unique_ptr<SavedState> state = std::move(dc->saved.back());
    dc->saved.pop_back();
    Drop(dc->pen);
    Drop(dc->brush);
    Drop(dc->font);
    if (dc->bitmap) Drop(dc->bitmap);
    dc->pen = state->pen;
    dc->brush = state->brush;
    dc->font = state->font;
    FontLogFont(dc->font, &dc->logFont);
    if (dc->bitmap != state->bitmap) {
        if (BitmapObject* old = LookupBitmap(dc->bitmap);
            old && old->selectedInto == handle && old->selectCount <= 0)
            old->selectedInto = nullptr;
    }
    dc->bitmap = state->bitmap;
    if (BitmapObject* b = LookupBitmap(dc->bitmap)) dc->surface = b->surface.get();
    dc->textColor = state->textColor;
    dc->bkColor = state->bkColor;
    dc->bkMode = state->bkMode;
    dc->textAlign = state->textAlign;
    dc->currentPosition = state->currentPosition;
    dc->viewportOrg = state->viewportOrg;
    dc->windowOrg = state->windowOrg;
    dc->brushOrg = state->brushOrg;
    dc->charExtra = state->charExtra;
    dc->rop2 = state->rop2;
    dc->stretchMode = state->stretchMode;
    dc->polyFillMode = state->polyFillMode;
    dc->dcBrushColor = state->dcBrushColor;
    dc->dcPenColor = state->dcPenColor;
    dc->clipRegion = std::move(state->clipRegion);
    UpdateEffectiveClip(*dc);
    return TRUE;
}

int GetDeviceCaps(HDC handle, int index) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return 0;
    if (int printerValue = 0; printing::PrinterDeviceCaps(handle, index, printerValue)) return printerValue;
    SIZE screen = ScreenSize();
    switch (index) {
        case DRIVERVERSION:
            return 0x4000;
        case TECHNOLOGY:
            return DT_RASDISPLAY;
        case HORZSIZE:
            return screen.cx * 254 / (dc->logPixelsX * 10);
        case VERTSIZE:
            return screen.cy * 254 / (dc->logPixelsY * 10);
        case HORZRES:
        case DESKTOPHORZRES:
            return screen.cx;
        case VERTRES:
        case DESKTOPVERTRES:
            return screen.cy;
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        case NUMBRUSHES:
        case NUMPENS:
        case NUMCOLORS:
            return -1;
        case NUMMARKERS:
            return 0;
        case NUMFONTS:
            return 0;
        case CURVECAPS:
            return 0xFF;
        case LINECAPS:
            return 0xFE;
        case POLYGONALCAPS:
            return 0xFF;
        case TEXTCAPS:
            return 0x7807;
        case CLIPCAPS:
            return 1;
        case RASTERCAPS:
            return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
                   RC_FLOODFILL | RC_STRETCHDIB;
        case ASPECTX:
        case ASPECTY:
            return 36;
        case ASPECTXY:
            return 51;
        case LOGPIXELSX:
            return dc->logPixelsX;
        case LOGPIXELSY:
            return dc->logPixelsY;
        case SIZEPALETTE:
        case NUMRESERVED:
            return 0;
        case COLORRES:
            return 24;
        case VREFRESH:
            return 60;
        default:
            return 0;
    }
}

UINT GetObjectType(HGDIOBJ handle) {
    Object* object = LookupObject(handle);
    if (!object || object->type == OBJ_ICON_INTERNAL) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (object->type == OBJ_DC) return static_cast<DCObject*>(object)->dc.isMemory ? OBJ_MEMDC : OBJ_DC;
    return object->type;
}

// ---------------------------------------------------------------------------------------------
// Objects

HGDIOBJ GetStockObject(int index) {
    std::lock_guard lock(TableMutex());
    MakeStockLocked();
    if (index < 0 || index >= static_cast<int>(TheTable().stock.size())) return nullptr;
    return TheTable().stock[index];
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return nullptr;
    Object* o = LookupObject(object);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto swap = [&](auto& slot) {
        using Handle = std::remove_reference_t<decltype(slot)>;
        HGDIOBJ previous = slot;
        Hold(object);
        Drop(previous);
        slot = static_cast<Handle>(object);
        return previous;
    };
    switch (o->type) {
        case OBJ_PEN:
            return swap(dc->pen);
        case OBJ_BRUSH:
            return swap(dc->brush);
        case OBJ_FONT: {
            HGDIOBJ previous = swap(dc->font);
            dc->logFont = static_cast<FontObject*>(o)->log;
            return previous;
        }
        case OBJ_PAL:
            return swap(dc->palette);
        case OBJ_REGION: {
            int result = SelectClipRgn(handle, static_cast<HRGN>(object));
            return reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(result));
        }
        case OBJ_BITMAP: {
            if (!dc->isMemory) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            auto* bitmap = static_cast<BitmapObject*>(o);
            if (!bitmap->stock && bitmap->selectedInto && bitmap->selectedInto != handle &&
                bitmap->selectCount > 0) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            HGDIOBJ previous = dc->bitmap;
            if (previous != object) {
                if (auto* old = LookupBitmap(previous)) {
                    Drop(previous);
                    if (old->selectCount <= 0 && old->selectedInto == handle) old->selectedInto = nullptr;
                }
                Hold(object);
            }
            if (!bitmap->stock) bitmap->selectedInto = handle;
            dc->bitmap = static_cast<HBITMAP>(object);
            dc->surface = bitmap->surface.get();
            UpdateEffectiveClip(*dc);
            return previous;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ handle) {
    Object* object = LookupObject(handle);
    if (!object || object->type == OBJ_DC || object->type == OBJ_ICON_INTERNAL) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->stock) return TRUE;
    if (object->selectCount > 0) return FALSE;
    DestroyObject(handle);
    return TRUE;
}

HGDIOBJ GetCurrentObject(HDC handle, UINT type) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_PEN:
            return dc->pen;
        case OBJ_BRUSH:
            return dc->brush;
        case OBJ_FONT:
            return dc->font;
        case OBJ_PAL:
            return dc->palette;
        case OBJ_BITMAP:
            return dc->bitmap;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

int GetObject(HGDIOBJ handle, int size, void* buffer) {
    Object* object = LookupObject(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto give = [&](const void* data, int dataSize) {
        if (!buffer) return dataSize;
        int n = std::min(size, dataSize);
        if (n <= 0) return 0;
        std::memcpy(buffer, data, static_cast<size_t>(n));
        return n;
    };
    switch (object->type) {
        case OBJ_PEN: {
            auto* pen = static_cast<PenObject*>(object);
            LOGPEN lp{pen->style, POINT{pen->width, 0}, pen->color};
            return give(&lp, sizeof lp);
        }
        case OBJ_BRUSH: {
            auto* brush = static_cast<BrushObject*>(object);
            LOGBRUSH lb{brush->style, brush->color,
                        brush->style == BS_HATCHED ? static_cast<ULONG_PTR>(brush->hatch) : 0};
            if (brush->systemColorIndex >= 0) lb.lbColor = GetSysColor(brush->systemColorIndex);
            return give(&lb, sizeof lb);
        }
        case OBJ_FONT:
            return give(&static_cast<FontObject*>(object)->log, sizeof(LOGFONT));
        case OBJ_BITMAP: {
            auto* bitmap = static_cast<BitmapObject*>(object);
            const Surface& s = *bitmap->surface;
            DIBSECTION ds{};
            ds.dsBm.bmWidth = s.width;
            ds.dsBm.bmHeight = s.height;
            ds.dsBm.bmPlanes = 1;
            ds.dsBm.bmBitsPixel = static_cast<WORD>(s.bitsPerPixel);
            if (bitmap->dibSection) {
                ds.dsBm.bmWidthBytes = static_cast<LONG>(std::abs(s.stride));
                ds.dsBm.bmBits = s.stride < 0 ? s.Row(s.height - 1) : s.origin;
                ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
                ds.dsBmih.biWidth = s.width;
                ds.dsBmih.biHeight = s.stride < 0 ? s.height : -s.height;
                ds.dsBmih.biPlanes = 1;
                ds.dsBmih.biBitCount = static_cast<WORD>(s.bitsPerPixel);
                ds.dsBmih.biCompression = BI_RGB;
                ds.dsBmih.biSizeImage = static_cast<DWORD>(std::abs(s.stride) * s.height);
                if (buffer && size >= static_cast<int>(sizeof(DIBSECTION))) return give(&ds, sizeof ds);
            } else {
                ds.dsBm.bmWidthBytes = s.bitsPerPixel == 1 ? ((s.width + 15) / 16) * 2 : s.width * 4;
            }
            return give(&ds.dsBm, sizeof(BITMAP));
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF color) {
    UINT kind = static_cast<UINT>(style) & PS_STYLE_MASK;
    if (kind > PS_ALTERNATE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto pen = std::make_unique<PenObject>();
    pen->type = OBJ_PEN;
    pen->style = static_cast<UINT>(style);
    // Wide dashed pens become solid, as with cosmetic pens in Win32.
    pen->width = std::clamp(width, 0, 1 << 16);
    if (pen->width > 1 && kind >= PS_DASH && kind <= PS_DASHDOTDOT)
        pen->style = (pen->style & ~PS_STYLE_MASK) | PS_SOLID;
    pen->color = color & 0x00FFFFFF;
    return static_cast<HPEN>(RegisterObject(std::move(pen)));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
    if (!pen) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    LOGBRUSH lb{BS_SOLID, color, 0};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
    LOGBRUSH lb{BS_HATCHED, color, static_cast<ULONG_PTR>(hatch)};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
    LOGBRUSH lb{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap)};
    return CreateBrushIndirect(&lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* log) {
    if (!log) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto brush = std::make_unique<BrushObject>();
    brush->type = OBJ_BRUSH;
    brush->style = log->lbStyle;
    brush->color = log->lbColor & 0x00FFFFFF;
    switch (log->lbStyle) {
        case BS_SOLID:
        case BS_NULL:
            break;
        case BS_HATCHED:
            if (log->lbHatch > static_cast<ULONG_PTR>(HS_DIAGCROSS)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            brush->hatch = static_cast<int>(log->lbHatch);
            break;
        case BS_PATTERN:
        case BS_PATTERN8X8: {
            BitmapObject* bitmap = LookupBitmap(reinterpret_cast<HGDIOBJ>(log->lbHatch));
            if (!bitmap || bitmap->surface->width == 0 || bitmap->surface->height == 0) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            brush->style = BS_PATTERN;
            brush->pattern = CopySurface(*bitmap->surface);
            if (!brush->pattern) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
            break;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
    return static_cast<HBRUSH>(RegisterObject(std::move(brush)));
}

BOOL SetBrushOrgEx(HDC handle, int x, int y, POINT* previous) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    if (previous) *previous = dc->brushOrg;
    dc->brushOrg = POINT{x, y};
    return TRUE;
}

BOOL GetBrushOrgEx(HDC handle, POINT* origin) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !origin) return FALSE;
    *origin = dc->brushOrg;
    return TRUE;
}

HFONT CreateFontIndirect(const LOGFONT* log) {
    if (!log) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto font = std::make_unique<FontObject>();
    font->type = OBJ_FONT;
    font->log = *log;
    font->log.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(RegisterObject(std::move(font)));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* faceName) {
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= SYSTEM_COLOR_COUNT) return 0;
    std::lock_guard lock(TableMutex());
    return SystemColors()[index];
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= SYSTEM_COLOR_COUNT) return nullptr;
    std::lock_guard lock(TableMutex());
    MakeStockLocked();
    return TheTable().systemBrushes[index];
}

BOOL SetSysColors(int count, const int* indices, const COLORREF* colors) {
    if (count < 0 || (count > 0 && (!indices || !colors))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    {
        std::lock_guard lock(TableMutex());
        MakeStockLocked();
        Table& table = TheTable();
        for (int i = 0; i < count; ++i) {
            int index = indices[i];
            if (index < 0 || index >= SYSTEM_COLOR_COUNT) continue;
            SystemColors()[index] = colors[i] & 0x00FFFFFF;
            if (Object* o = table.objects.Find(HandleValue(table.systemBrushes[index])))
                static_cast<BrushObject*>(o)->color = colors[i] & 0x00FFFFFF;
        }
    }
    // Every top-level window hears of it, as after a change in the control panel.
    SendMessage(HWND_BROADCAST, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// DC attributes

#define ZYL_DC_ATTRIBUTE(Setter, Getter, Type, field, failure) \
    Type Setter(HDC handle, Type value) {                      \
        DeviceContext* dc = DCOrFail(handle);                  \
        if (!dc) return failure;                               \
        Type previous = dc->field;                             \
        dc->field = value;                                     \
        return previous;                                       \
    }                                                          \
    Type Getter(HDC handle) {                                  \
        DeviceContext* dc = DCOrFail(handle);                  \
        return dc ? dc->field : failure;                       \
    }

ZYL_DC_ATTRIBUTE(SetTextCharacterExtra, GetTextCharacterExtra, int, charExtra, static_cast<int>(0x80000000))
#undef ZYL_DC_ATTRIBUTE

COLORREF SetTextColor(HDC handle, COLORREF color) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->textColor;
    dc->textColor = color & 0x00FFFFFF;
    return previous;
}
COLORREF GetTextColor(HDC handle) {
    DeviceContext* dc = DCOrFail(handle);
    return dc ? dc->textColor : CLR_INVALID;
}
COLORREF SetBkColor(HDC handle, COLORREF color) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->bkColor;
    dc->bkColor = color & 0x00FFFFFF;
    return previous;
}
COLORREF GetBkColor(HDC handle) {
    DeviceContext* dc = DCOrFail(handle);
    return dc ? dc->bkColor : CLR_INVALID;
}
COLORREF SetDCBrushColor(HDC handle, COLORREF color) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->dcBrushColor;
    dc->dcBrushColor = color & 0x00FFFFFF;
    return previous;
}
COLORREF SetDCPenColor(HDC handle, COLORREF color) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return CLR_INVALID;
    COLORREF previous = dc->dcPenColor;
    dc->dcPenColor = color & 0x00FFFFFF;
    return previous;
}

namespace {
int SetMode(HDC handle, int value, int low, int high, int DeviceContext::*field) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return 0;
    if (value < low || value > high) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = dc->*field;
    dc->*field = value;
    return previous;
}
int GetMode(HDC handle, int DeviceContext::*field) {
    DeviceContext* dc = DCOrFail(handle);
    return dc ? dc->*field : 0;
}
}  // namespace

int SetBkMode(HDC dc, int mode) {
    return SetMode(dc, mode, TRANSPARENT, OPAQUE, &DeviceContext::bkMode);
}
int GetBkMode(HDC dc) {
    return GetMode(dc, &DeviceContext::bkMode);
}
int SetROP2(HDC dc, int mode) {
    return SetMode(dc, mode, R2_BLACK, R2_WHITE, &DeviceContext::rop2);
}
int GetROP2(HDC dc) {
    return GetMode(dc, &DeviceContext::rop2);
}
int SetStretchBltMode(HDC dc, int mode) {
    return SetMode(dc, mode, BLACKONWHITE, HALFTONE, &DeviceContext::stretchMode);
}
int GetStretchBltMode(HDC dc) {
    return GetMode(dc, &DeviceContext::stretchMode);
}
int SetPolyFillMode(HDC dc, int mode) {
    return SetMode(dc, mode, ALTERNATE, WINDING, &DeviceContext::polyFillMode);
}
int GetPolyFillMode(HDC dc) {
    return GetMode(dc, &DeviceContext::polyFillMode);
}

UINT SetTextAlign(HDC handle, UINT align) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return GDI_ERROR;
    UINT previous = dc->textAlign;
    dc->textAlign = align & TA_MASK;
    return previous;
}
UINT GetTextAlign(HDC handle) {
    DeviceContext* dc = DCOrFail(handle);
    return dc ? dc->textAlign : GDI_ERROR;
}

// ---------------------------------------------------------------------------------------------
// Coordinates

int SetMapMode(HDC handle, int mode) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return 0;
    if (mode != MM_TEXT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return MM_TEXT;
}
int GetMapMode(HDC handle) {
    return DCOrFail(handle) ? MM_TEXT : 0;
}

namespace {
BOOL SetOrigin(HDC handle, POINT DeviceContext::*field, int x, int y, bool relative, POINT* previous) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    POINT& origin = dc->*field;
    if (previous) *previous = origin;
    origin = relative ? POINT{ClampCoordinate(static_cast<long long>(origin.x) + x),
                              ClampCoordinate(static_cast<long long>(origin.y) + y)}
                      : POINT{ClampCoordinate(x), ClampCoordinate(y)};
    return TRUE;
}
}  // namespace

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous) {
    return SetOrigin(dc, &DeviceContext::viewportOrg, x, y, false, previous);
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* previous) {
    return SetOrigin(dc, &DeviceContext::viewportOrg, dx, dy, true, previous);
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous) {
    return SetOrigin(dc, &DeviceContext::windowOrg, x, y, false, previous);
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* previous) {
    return SetOrigin(dc, &DeviceContext::windowOrg, dx, dy, true, previous);
}
BOOL GetViewportOrgEx(HDC handle, POINT* origin) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !origin) return FALSE;
    *origin = dc->viewportOrg;
    return TRUE;
}
BOOL GetWindowOrgEx(HDC handle, POINT* origin) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !origin) return FALSE;
    *origin = dc->windowOrg;
    return TRUE;
}
BOOL LPtoDP(HDC handle, POINT* points, int count) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || (count > 0 && !points)) return FALSE;
    for (int i = 0; i < count; ++i)
        points[i] = LogicalToDevice(*dc, points[i]);
    return TRUE;
}
BOOL DPtoLP(HDC handle, POINT* points, int count) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || (count > 0 && !points)) return FALSE;
    for (int i = 0; i < count; ++i)
        points[i] = DeviceToLogical(*dc, points[i]);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Clipping

namespace {

RECT DeviceBounds(const DeviceContext& dc) {
    RECT r{0, 0, dc.surface ? dc.surface->width : 0, dc.surface ? dc.surface->height : 0};
    OffsetRect(&r, -dc.surfaceOrigin.x, -dc.surfaceOrigin.y);
    return r;
}

int ClipResult(DeviceContext& dc) {
    UpdateEffectiveClip(dc);
    return dc.effectiveClip.Complexity();
}

int CombineClip(DeviceContext& dc, const Region* region, int mode) {
    if (mode == RGN_COPY) {
        if (region)
            dc.clipRegion = std::make_unique<Region>(*region);
        else
            dc.clipRegion.reset();
        return ClipResult(dc);
    }
    if (!region) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    if (dc.clipRegion)
        *dc.clipRegion = CombineRegions(*dc.clipRegion, *region, mode);
    else
        dc.clipRegion =
            std::make_unique<Region>(CombineRegions(Region::FromRect(DeviceBounds(dc)), *region, mode));
    return ClipResult(dc);
}

RECT LogicalRectToDevice(const DeviceContext& dc, int left, int top, int right, int bottom) {
    POINT a = LogicalToDevice(dc, POINT{ClampCoordinate(left), ClampCoordinate(top)});
    POINT b = LogicalToDevice(dc, POINT{ClampCoordinate(right), ClampCoordinate(bottom)});
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

int SelectClipRgn(HDC dc, HRGN region) {
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int ExtSelectClipRgn(HDC handle, HRGN region, int mode) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return ERROR;
    if (mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    const Region* source = nullptr;
    if (region) {
        RegionObject* object = LookupRegionObject(region);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return ERROR;
        }
        source = &object->region;
    }
    return CombineClip(*dc, source, mode);
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return ERROR;
    Region r = Region::FromRect(LogicalRectToDevice(*dc, left, top, right, bottom));
    return CombineClip(*dc, &r, RGN_AND);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return ERROR;
    Region r = Region::FromRect(LogicalRectToDevice(*dc, left, top, right, bottom));
    return CombineClip(*dc, &r, RGN_DIFF);
}

int OffsetClipRgn(HDC handle, int dx, int dy) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return ERROR;
    if (dc->clipRegion) dc->clipRegion->Offset(ClampCoordinate(dx), ClampCoordinate(dy));
    return ClipResult(*dc);
}

int GetClipBox(HDC handle, RECT* rect) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return ERROR;
    RECT box = DeviceClipBox(*dc);
    if (IsRectEmpty(&box)) {
        *rect = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    POINT a = DeviceToLogical(*dc, POINT{box.left, box.top});
    POINT b = DeviceToLogical(*dc, POINT{box.right, box.bottom});
    *rect = RECT{a.x, a.y, b.x, b.y};
    return dc->effectiveClip.Complexity();
}

int GetClipRgn(HDC handle, HRGN region) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return -1;
    // Without a clip region there is nothing to copy, so the region handle is not looked at.
    if (!dc->clipRegion) return 0;
    RegionObject* target = LookupRegionObject(region);
    if (!target) {
        SetLastError(ERROR_INVALID_HANDLE);
        return -1;
    }
    target->region = *dc->clipRegion;
    return 1;
}

BOOL PtVisible(HDC handle, int x, int y) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc) return FALSE;
    POINT p = LogicalToDevice(*dc, POINT{ClampCoordinate(x), ClampCoordinate(y)});
    return dc->effectiveClip.Contains(p.x + dc->surfaceOrigin.x, p.y + dc->surfaceOrigin.y) ? TRUE : FALSE;
}

BOOL RectVisible(HDC handle, const RECT* rect) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    RECT r = LogicalRectToDevice(*dc, rect->left, rect->top, rect->right, rect->bottom);
    OffsetRect(&r, dc->surfaceOrigin.x, dc->surfaceOrigin.y);
    for (const RECT& c : dc->effectiveClip.rects) {
        RECT overlap;
        if (IntersectRect(&overlap, &c, &r)) return TRUE;
    }
    return FALSE;
}

namespace testing {

size_t GdiObjectCount() {
    std::lock_guard lock(TableMutex());
    size_t count = 0;
    TheTable().objects.ForEach([&](const Object& object) { count += object.stock ? 0 : 1; });
    return count;
}

}  // namespace testing

}  // namespace win32
