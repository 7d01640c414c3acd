// Scrolling pixels: ScrollDC on any device context, ScrollWindow(Ex) on a window's client area with
// its children, pending update region and caret.
#include <algorithm>
#include <vector>

#include "user/user_internal.h"

namespace win32 {

namespace user {

namespace {

using gdi::CombineRegions;

Region Offset(Region region, int dx, int dy) {
    region.Offset(dx, dy);
    return region;
}

// Moves the pixels of `source` (device coordinates) by (dx, dy) where `clip` and the DC's visible part
// allow, and returns the area that received valid pixels.
Region MovePixels(HDC dc, gdi::DeviceContext& context, int dx, int dy, const Region& source,
                  const Region& clip) {
    Region visible = context.effectiveClip;
    visible.Offset(-context.surfaceOrigin.x, -context.surfaceOrigin.y);
    const Region from = CombineRegions(source, visible, RGN_AND);
    const Region to = CombineRegions(CombineRegions(Offset(from, dx, dy), clip, RGN_AND), visible, RGN_AND);
    if (to.Empty() || (dx == 0 && dy == 0)) return to;
    const int saved = SaveDC(dc);
    HRGN area = gdi::CreateRegionFromRects(to.rects);
    SelectClipRgn(dc, area);
    DeleteObject(area);
    const POINT topLeft = gdi::DeviceToLogical(context, POINT{to.extents.left, to.extents.top});
    BitBlt(dc, topLeft.x, topLeft.y, to.extents.right - to.extents.left, to.extents.bottom - to.extents.top,
           dc, topLeft.x - dx, topLeft.y - dy, SRCCOPY);
    RestoreDC(dc, saved);
    return to;
}

// What scrolling uncovers: the scrolled area and where it went, within the clip, minus what received
// valid pixels.
Region Uncovered(const RECT& scroll, const Region& clip, int dx, int dy, const Region& moved) {
    const Region area = Region::FromRect(scroll);
    const Region both = CombineRegions(area, Offset(area, dx, dy), RGN_OR);
    return CombineRegions(CombineRegions(both, clip, RGN_AND), moved, RGN_DIFF);
}

bool Report(const Region& update, HRGN updateRegion, RECT* updateRect) {
    if (updateRegion) {
        HRGN copy = gdi::CreateRegionFromRects(update.rects);
        if (!copy) return false;
        CombineRgn(updateRegion, copy, nullptr, RGN_COPY);
        DeleteObject(copy);
    }
    if (updateRect) *updateRect = update.Empty() ? RECT{0, 0, 0, 0} : update.extents;
    return true;
}

RECT Intersection(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) r = RECT{0, 0, 0, 0};
    return r;
}

}  // namespace

}  // namespace user

using namespace user;

BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRegion,
              RECT* updateRect) {
    gdi::DeviceContext* context = gdi::LookupDC(dc);
    if (!context || (updateRegion && !gdi::LookupRegion(updateRegion))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Device coordinates throughout; the results go back in logical ones.
    auto toDevice = [&](const RECT& r) {
        const POINT a = gdi::LogicalToDevice(*context, POINT{r.left, r.top});
        const POINT b = gdi::LogicalToDevice(*context, POINT{r.right, r.bottom});
        return RECT{a.x, a.y, b.x, b.y};
    };
    Region visible = context->effectiveClip;
    visible.Offset(-context->surfaceOrigin.x, -context->surfaceOrigin.y);
    const RECT whole = visible.Empty() ? RECT{0, 0, 0, 0} : visible.extents;
    const RECT area = scroll ? toDevice(*scroll) : whole;
    const Region limit = clip ? Region::FromRect(toDevice(*clip)) : Region::FromRect(whole);
    const Region moved = MovePixels(dc, *context, dx, dy, Region::FromRect(area), limit);
    Region update = Uncovered(area, limit, dx, dy, moved);
    const POINT origin = gdi::DeviceToLogical(*context, POINT{0, 0});
    update.Offset(origin.x, origin.y);
    return Report(update, updateRegion, updateRect) ? TRUE : FALSE;
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN updateRegion,
                   RECT* updateRect, UINT flags) {
    Window* w = Get(hwnd);
    if (!w) return ERROR;
    if ((updateRegion && !gdi::LookupRegion(updateRegion)) ||
        (flags & ~(SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE | SW_SMOOTHSCROLL | 0xFFFF0000u))) {
        SetLastError(updateRegion && !gdi::LookupRegion(updateRegion) ? ERROR_INVALID_HANDLE
                                                                      : ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    if (w->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return ERROR;
    }
    Hold hold(w);
    const RECT client{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
    const RECT area = scroll ? Intersection(*scroll, client) : client;
    const RECT limitRect = clip ? Intersection(*clip, client) : client;
    const Region limit = Region::FromRect(limitRect);

    Region moved;
    if (HDC dc = GetDCEx(hwnd, nullptr, 0)) {
        if (gdi::DeviceContext* context = gdi::LookupDC(dc))
            moved = MovePixels(dc, *context, dx, dy, Region::FromRect(area), limit);
        ReleaseDC(hwnd, dc);
    }
    const Region update = Uncovered(area, limit, dx, dy, moved);

    // Parts of the window that were waiting for paint travel with the pixels.
    const Region scrolled = CombineRegions(Region::FromRect(area), limit, RGN_AND);
    const Region pending = CombineRegions(w->update, scrolled, RGN_AND);
    if (!pending.Empty() && (dx || dy)) {
        const Region kept = CombineRegions(w->update, pending, RGN_DIFF);
        SetUpdate(w, CombineRegions(kept, CombineRegions(Offset(pending, dx, dy), limit, RGN_AND), RGN_OR));
    }

    auto& s = S();
    if (s.caret.hwnd == hwnd) {
        const POINT p = s.caret.pos;
        if (p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom)
            s.caret.pos = POINT{p.x + dx, p.y + dy};
    }

    if ((flags & SW_SCROLLCHILDREN) && (dx || dy)) {
        std::vector<HWND> children;
        for (Window* child : w->children) {
            const RECT r = child->rect;
            if (!scroll ||
                (r.left < area.right && r.right > area.left && r.top < area.bottom && r.bottom > area.top))
                children.push_back(child->Handle());
        }
        // Their pixels moved with the parent's unless the parent clips them out; then they paint again.
        const bool repaint = (w->style & WS_CLIPCHILDREN) != 0;
        for (HWND h : children) {
            Window* child = Find(h);
            if (!child) continue;
            SetWindowPosInternal(child, nullptr, child->rect.left + dx, child->rect.top + dy, 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
            if (repaint && Find(h))
                RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
        if (!Find(hwnd)) return ERROR;
    }

    if (flags & SW_INVALIDATE) InvalidateInternal(w, update, (flags & SW_ERASE) != 0, false, false);
    if (!Report(update, updateRegion, updateRect)) return ERROR;
    return update.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
    const UINT flags = SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN);
    return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr, flags) != ERROR;
}

}  // namespace win32
