// Saved bits: the screen under a shown window of a CS_SAVEBITS class, put back when it hides.
// Every window paints into the one screen surface, so hiding a window otherwise costs the windows
// below a repaint of all it covered. The pixels stay valid as long as nothing below draws into the
// covered area; screen DCs report what they may touch, and that part is marked stale.
#include <algorithm>
#include <cstring>

#include "user/user_internal.h"

namespace win32::user {

namespace {

RECT ScreenBounds() {
    const SIZE size = gdi::ScreenSize();
    return RECT{0, 0, size.cx, size.cy};
}

RECT Clip(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) r = RECT{0, 0, 0, 0};
    return r;
}

// Buffers are kept for reuse: fresh memory of a screen's size costs more in page faults than the
// copy itself.
constexpr size_t kSpareBuffers = 4;

PixelBuffer TakeBuffer(size_t size) {
    auto& spare = S().spareBits;
    auto fits =
        std::find_if(spare.begin(), spare.end(), [&](const PixelBuffer& b) { return b.size >= size; });
    if (fits == spare.end()) return PixelBuffer{std::make_unique_for_overwrite<uint32_t[]>(size), size};
    PixelBuffer buffer = std::move(*fits);
    spare.erase(fits);
    return buffer;
}

void Forget(Window* w) {
    auto& s = S();
    s.savers.erase(std::remove(s.savers.begin(), s.savers.end(), w), s.savers.end());
    if (!w->savedBits) return;
    if (s.spareBits.size() == kSpareBuffers) s.spareBits.erase(s.spareBits.begin());
    s.spareBits.push_back(std::move(w->savedBits->pixels));
    w->savedBits.reset();
}

// Whether the top-level window `top` lies below the top-level window `saver`.
bool Below(const Window* top, const Window* saver) {
    if (top->isDesktop) return true;
    if (!saver->parent || top->parent != saver->parent) return false;
    for (const Window* sibling : saver->parent->children) {
        if (sibling == saver) return true;
        if (sibling == top) return false;
    }
    return false;
}

// Copies the bits back where nothing covers them and nothing was drawn below since; returns the rest.
Region PutBack(const Window* w, const SavedBits* bits, Region exposed) {
    const SIZE size = gdi::ScreenSize();
    if (size.cx != bits->screen.cx || size.cy != bits->screen.cy) return exposed;
    // Windows above cover what they cover; a shaped one may show what lies below, which the bits
    // may not hold as it is now.
    for (Window* sibling : w->parent->children) {
        if (sibling == w) break;
        if (!(sibling->style & WS_VISIBLE) || !gdi::RectsMeet(sibling->rect, exposed.extents)) continue;
        if (sibling->region) return exposed;
        exposed = gdi::CombineRegions(exposed, Region::FromRect(sibling->rect), RGN_DIFF);
    }
    const Region restorable = gdi::CombineRegions(
        gdi::CombineRegions(exposed, Region::FromRect(bits->area), RGN_AND), bits->stale, RGN_DIFF);
    gdi::Surface& screen = gdi::ScreenSurface();
    const int width = bits->area.right - bits->area.left;
    for (const RECT& r : restorable.rects) {
        const size_t count = static_cast<size_t>(r.right - r.left) * 4;
        for (int y = r.top; y < r.bottom; ++y) {
            const size_t row = static_cast<size_t>(y - bits->area.top) * static_cast<size_t>(width);
            std::memcpy(screen.Row32(y) + r.left,
                        &bits->pixels.data[row + static_cast<size_t>(r.left - bits->area.left)], count);
        }
    }
    if (!restorable.Empty()) gdi::NoteScreenWrite();
    return gdi::CombineRegions(exposed, restorable, RGN_DIFF);
}

}  // namespace

void SaveBitsUnder(Window* w) {
    Forget(w);
    gdi::Surface& screen = gdi::ScreenSurface();
    const RECT area = Clip(w->rect, ScreenBounds());
    if (screen.bitsPerPixel != 32 || area.right <= area.left) return;
    auto bits = std::make_unique<SavedBits>();
    bits->area = area;
    bits->screen = gdi::ScreenSize();
    const int width = area.right - area.left, height = area.bottom - area.top;
    bits->pixels = TakeBuffer(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(&bits->pixels.data[static_cast<size_t>(y) * static_cast<size_t>(width)],
                    screen.Row32(area.top + y) + area.left, static_cast<size_t>(width) * 4);
    w->savedBits = std::move(bits);
    S().savers.push_back(w);
}

Region RestoreSavedBits(Window* w, Region exposed) {
    if (!w->savedBits) return exposed;
    Region rest = w->parent ? PutBack(w, w->savedBits.get(), std::move(exposed)) : std::move(exposed);
    Forget(w);
    return rest;
}

void DiscardSavedBits(Window* w) {
    if (w->savedBits) Forget(w);
}

void DiscardAllSavedBits() {
    for (Window* w : S().savers)
        w->savedBits.reset();
    S().savers.clear();
    S().spareBits.clear();
}

void NoteScreenDrawing(Window* w, const Region& drawn) {
    auto& savers = S().savers;
    if (savers.empty() || drawn.Empty()) return;
    Window* top = w->isDesktop ? w : TopLevel(w);
    for (Window* saver : savers) {
        SavedBits& bits = *saver->savedBits;
        if (saver == top || !gdi::RectsMeet(bits.area, drawn.extents) || !Below(top, saver)) continue;
        bits.stale = gdi::CombineRegions(
            bits.stale, gdi::CombineRegions(drawn, Region::FromRect(bits.area), RGN_AND), RGN_OR);
    }
}

}  // namespace win32::user
