// Update regions, WM_PAINT bookkeeping and the device contexts of windows (on the screen surface,
// clipped to the visible region).
#include <algorithm>

#include "user/user_internal.h"

namespace win32 {

namespace user {

namespace {

RECT ClientBox(const Window* w) {
    return RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
}

bool NeedsPaint(const Window* w) {
    return !w->destroyed && (!w->update.Empty() || w->internalPaint || w->ncDirty);
}

Window* SearchPaint(Window* w, DWORD thread) {
    if (w->paintPending == 0 || (!(w->style & WS_VISIBLE) && !w->isDesktop)) return nullptr;
    if (w->paintListed && w->thread == thread) return w;
    for (Window* child : w->children)
        if (Window* found = SearchPaint(child, thread)) return found;
    return nullptr;
}

// A screen DC for `w`, clipped to `visible`. `drawn` is what the DC may draw into were nothing
// in the way (screen coordinates); the whole DC rectangle when null.
HDC MakeDC(Window* w, const Region& visible, bool whole, const Region* drawn = nullptr) {
    const RECT r = whole ? ScreenRect(w) : ScreenClientRect(w);
    if (!S().savers.empty()) NoteScreenDrawing(w, drawn ? *drawn : Region::FromRect(r));
    HDC dc = gdi::CreateScreenDC(POINT{r.left, r.top}, visible.rects);
    if (dc) S().dcs[HandleValue(dc)] = w->Handle();
    return dc;
}

Region ToScreen(Region region, const Window* w) {
    const POINT origin = ClientOrigin(w);
    region.Offset(origin.x, origin.y);
    return region;
}

// What painting `update` (screen coordinates) may touch: the visible part of it.
Region PaintClip(Window* w, const Region& update) {
    if (update.Empty()) return update;
    const Region visible = VisibleRegion(w, true, (w->style & WS_CLIPCHILDREN) != 0,
                                         (w->style & WS_CLIPSIBLINGS) != 0, &update.extents);
    return gdi::CombineRegions(visible, update, RGN_AND);
}

void ValidateInternal(Window* w, const Region* region, bool children) {
    if (region) {
        SetUpdate(w, gdi::CombineRegions(w->update, *region, RGN_DIFF));
    } else {
        SetUpdate(w, Region());
        w->internalPaint = false;
        RefreshPaintState(w);
    }
    if (w->update.Empty()) w->erase = false;
    if (!children) return;
    for (Window* child : w->children) {
        if (region) {
            Region part = *region;
            part.Offset(-(child->rect.left + child->client.left), -(child->rect.top + child->client.top));
            ValidateInternal(child, &part, true);
        } else {
            ValidateInternal(child, nullptr, true);
        }
    }
}

void UpdateNow(Window* w, bool children) {
    const HWND hwnd = w->Handle();
    if (NeedsPaint(w) && VisibleFlag(w)) {
        if (!w->update.Empty() || w->internalPaint)
            Send(w, WM_PAINT, 0, 0);
        else
            SendEraseNow(w);
    }
    if (!children || !Find(hwnd)) return;
    std::vector<HWND> handles;
    for (Window* child : w->children)
        handles.push_back(child->Handle());
    for (HWND h : handles)
        if (Window* child = Find(h)) UpdateNow(child, true);
}

}  // namespace

void AddPaintPending(Window* w, int delta) {
    for (; w && delta; w = w->parent)
        w->paintPending += delta;
}

void RefreshPaintState(Window* w) {
    const bool needs = NeedsPaint(w);
    if (needs != w->paintListed) {
        w->paintListed = needs;
        S().windowsToPaint += needs ? 1 : -1;
        AddPaintPending(w, needs ? 1 : -1);
    }
}

void SetUpdate(Window* w, Region region) {
    w->update = std::move(region);
    if (w->destroyed) w->update = Region();
    RefreshPaintState(w);
    if (w->destroyed && w->paintListed) {
        w->paintListed = false;
        --S().windowsToPaint;
        AddPaintPending(w, -1);
    }
}

void InvalidateInternal(Window* w, const Region& region, bool erase, bool allChildren, bool noChildren,
                        bool childFrames) {
    if (!VisibleFlag(w) && !w->isDesktop) return;
    Region part = gdi::CombineRegions(region, Region::FromRect(ClientBox(w)), RGN_AND);
    if (part.Empty()) return;
    SetUpdate(w, gdi::CombineRegions(w->update, part, RGN_OR));
    if (erase) w->erase = true;
    if (noChildren || (!allChildren && (w->style & WS_CLIPCHILDREN))) return;
    for (Window* child : w->children) {
        if (!(child->style & WS_VISIBLE)) continue;
        // A child's border lies outside its client area: only a caller that means frames redraws it.
        if (childFrames && !child->ncDirty && gdi::RectsMeet(part.extents, child->rect)) {
            const RECT client{child->rect.left + child->client.left, child->rect.top + child->client.top,
                              child->rect.left + child->client.right, child->rect.top + child->client.bottom};
            const Region frame =
                gdi::CombineRegions(Region::FromRect(child->rect), Region::FromRect(client), RGN_DIFF);
            if (!gdi::CombineRegions(part, frame, RGN_AND).Empty()) {
                child->ncDirty = true;
                RefreshPaintState(child);
            }
        }
        Region inChild = part;
        inChild.Offset(-(child->rect.left + child->client.left), -(child->rect.top + child->client.top));
        InvalidateInternal(child, inChild, erase, allChildren, noChildren, childFrames);
    }
}

void InvalidateBehind(Window* parent, Region screenArea, Window* changed, bool zOrderChanged) {
    Region area = std::move(screenArea);
    const bool stays = changed && (changed->style & WS_VISIBLE);
    if (stays) area = gdi::CombineRegions(area, Region::FromRect(ScreenRect(changed)), RGN_DIFF);
    if (area.Empty()) return;
    const POINT origin = ClientOrigin(parent);
    Region local = std::move(area);
    local.Offset(-origin.x, -origin.y);
    // Top of the z-order first: what a window covers is not exposed to the windows below it, so
    // the area shrinks as it goes down and windows wholly covered are not touched.
    Region exposed = gdi::CombineRegions(local, Region::FromRect(ClientBox(parent)), RGN_AND);
    bool below = zOrderChanged || !changed;
    for (Window* sibling : parent->children) {
        if (exposed.Empty()) break;
        if (sibling == changed) {
            below = true;
            continue;
        }
        if (!(sibling->style & WS_VISIBLE)) continue;
        const RECT& r = sibling->rect;
        if (!gdi::RectsMeet(r, exposed.extents)) continue;
        if (below) {
            Region inChild = exposed;
            inChild.Offset(-(r.left + sibling->client.left), -(r.top + sibling->client.top));
            InvalidateInternal(sibling, inChild, true, true, false, true);
            const RECT client{r.left + sibling->client.left, r.top + sibling->client.top,
                              r.left + sibling->client.right, r.top + sibling->client.bottom};
            const Region frame = gdi::CombineRegions(Region::FromRect(r), Region::FromRect(client), RGN_DIFF);
            if (!gdi::CombineRegions(exposed, frame, RGN_AND).Empty()) {
                sibling->ncDirty = true;
                RefreshPaintState(sibling);
            }
        }
        // A shaped window may let what lies below show through: it hides nothing here.
        if (!sibling->region) exposed = gdi::CombineRegions(exposed, Region::FromRect(r), RGN_DIFF);
    }
    // What no child covers is the parent's own.
    if (!exposed.Empty() && (VisibleFlag(parent) || parent->isDesktop)) {
        parent->erase = true;
        SetUpdate(parent, gdi::CombineRegions(parent->update, exposed, RGN_OR));
    }
}

Window* FindWindowToPaint(DWORD thread, Window* limit) {
    auto& s = S();
    if (s.windowsToPaint <= 0) return nullptr;
    if (limit) return SearchPaint(limit, thread);
    if (s.desktop)
        if (Window* w = SearchPaint(s.desktop, thread)) return w;
    return nullptr;
}

void SendEraseNow(Window* w) {
    const HWND hwnd = w->Handle();
    if (w->ncDirty) {
        w->ncDirty = false;
        RefreshPaintState(w);
        Send(w, WM_NCPAINT, 1, 0);
        if (!Find(hwnd)) return;
    }
    if (w->erase) {
        w->erase = false;
        const Region update = ToScreen(w->update, w);
        HDC dc = MakeDC(w, PaintClip(w, update), false, &update);
        const LRESULT erased = Send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        if (dc) {
            S().dcs.erase(HandleValue(dc));
            DeleteDC(dc);
        }
        if (!erased && Find(hwnd)) w->erase = true;
    }
}

}  // namespace user

using namespace user;

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN regionHandle, UINT flags) {
    Window* w = hwnd ? Get(hwnd) : CreateDesktopIfNeeded();
    if (!w) return FALSE;
    Hold hold(w);
    Region region = Region::FromRect(ClientBox(w));
    if (regionHandle) {
        const Region* r = gdi::LookupRegion(regionHandle);
        if (!r) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        region = *r;
    } else if (rect) {
        region = Region::FromRect(*rect);
    }
    const bool children = (flags & RDW_ALLCHILDREN) != 0;
    if (flags & RDW_INVALIDATE) {
        InvalidateInternal(w, region, (flags & RDW_ERASE) != 0, children, (flags & RDW_NOCHILDREN) != 0,
                           (flags & RDW_FRAME) != 0);
        if (flags & RDW_FRAME) w->ncDirty = VisibleFlag(w);
        if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
        RefreshPaintState(w);
    } else if (flags & RDW_INTERNALPAINT) {
        w->internalPaint = true;
        RefreshPaintState(w);
    }
    if (flags & RDW_VALIDATE) {
        ValidateInternal(w, (rect || regionHandle) ? &region : nullptr, children);
        if (flags & RDW_NOFRAME) w->ncDirty = false;
        if (flags & RDW_NOERASE) w->erase = false;
        if (!(rect || regionHandle) && !(flags & RDW_NOFRAME) && !(flags & RDW_FRAME))
            w->internalPaint = false;
        RefreshPaintState(w);
    }
    if (flags & RDW_NOINTERNALPAINT) {
        w->internalPaint = false;
        RefreshPaintState(w);
    }
    if (flags & RDW_UPDATENOW)
        UpdateNow(w, children || !(flags & RDW_NOCHILDREN));
    else if (flags & RDW_ERASENOW)
        SendEraseNow(w);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!hwnd)
        return RedrawWindow(nullptr, nullptr, nullptr,
                            RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    if (!hwnd) return RedrawWindow(nullptr, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (rect) {
        Region region = Region::FromRect(*rect);
        ValidateInternal(w, &region, false);
    } else {
        SetUpdate(w, Region());
        w->erase = false;
        w->internalPaint = false;
        RefreshPaintState(w);
    }
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
    return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRgn(HWND hwnd, HRGN regionHandle) {
    if (!regionHandle) return ValidateRect(hwnd, nullptr);
    Window* w = Get(hwnd);
    const Region* region = gdi::LookupRegion(regionHandle);
    if (!w || !region) return FALSE;
    ValidateInternal(w, region, false);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (erase && w->erase && !w->update.Empty()) SendEraseNow(w);
    if (!Find(hwnd)) return FALSE;
    const RECT box = w->update.Empty() ? RECT{0, 0, 0, 0} : w->update.extents;
    if (rect) *rect = box;
    return !w->update.Empty();
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
    Window* w = Get(hwnd);
    if (!w || !region) return ERROR;
    if (erase && w->erase && !w->update.Empty()) SendEraseNow(w);
    if (!Find(hwnd)) return ERROR;
    HRGN copy = gdi::CreateRegionFromRects(w->update.rects);
    const int type = CombineRgn(region, copy, nullptr, RGN_COPY);
    DeleteObject(copy);
    return type;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    Hold hold(w);
    UpdateNow(w, true);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    Window* w = Get(hwnd);
    if (!w || !paint) return nullptr;
    Hold hold(w);
    HideCaretForPaint(w);
    if (w->ncDirty) {
        w->ncDirty = false;
        RefreshPaintState(w);
        Send(w, WM_NCPAINT, 1, 0);
        if (w->destroyed) return nullptr;
    }
    const Region update = gdi::CombineRegions(w->update, Region::FromRect(ClientBox(w)), RGN_AND);
    const bool erase = w->erase;
    SetUpdate(w, Region());
    w->erase = false;
    w->internalPaint = false;
    RefreshPaintState(w);
    const Region drawn = ToScreen(update, w);
    HDC dc = MakeDC(w, PaintClip(w, drawn), false, &drawn);
    *paint = PAINTSTRUCT{};
    paint->hdc = dc;
    paint->rcPaint = update.Empty() ? RECT{0, 0, 0, 0} : update.extents;
    paint->fErase = FALSE;
    if (erase) {
        paint->fErase = Send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
        if (w->destroyed) return dc;
    }
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    Window* w = Get(hwnd);
    if (!paint) return FALSE;
    if (paint->hdc) ReleaseDC(hwnd, paint->hdc);
    if (w) ShowCaretAfterPaint(w);
    return TRUE;
}

HDC GetDCEx(HWND hwnd, HRGN clipRegion, DWORD flags) {
    if (!hwnd) {
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (Window* desktop = S().desktop) NoteScreenDrawing(desktop, Region::FromRect(screen));
        return gdi::CreateScreenDC(POINT{0, 0}, {screen});
    }
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    if (w->isDesktop) return GetDCEx(nullptr, clipRegion, flags);
    const bool whole = (flags & DCX_WINDOW) != 0;
    const bool clipChildren = (flags & DCX_CLIPCHILDREN) || (w->style & WS_CLIPCHILDREN);
    const bool clipSiblings = (flags & DCX_CLIPSIBLINGS) || (w->style & WS_CLIPSIBLINGS);
    Region visible = VisibleRegion(w, !whole, clipChildren, clipSiblings);
    if (clipRegion && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
        if (const Region* r = gdi::LookupRegion(clipRegion))
            visible = gdi::CombineRegions(visible, *r, (flags & DCX_INTERSECTRGN) ? RGN_AND : RGN_DIFF);
    }
    if (flags & (DCX_INTERSECTUPDATE | DCX_EXCLUDEUPDATE)) {
        visible = gdi::CombineRegions(visible, ToScreen(w->update, w),
                                      (flags & DCX_INTERSECTUPDATE) ? RGN_AND : RGN_DIFF);
        if ((flags & DCX_VALIDATE) && (flags & DCX_INTERSECTUPDATE)) ValidateRect(hwnd, nullptr);
    }
    return MakeDC(w, visible, whole);
}

namespace user {

HDC FrameDC(Window* w) {
    const RECT window = ScreenRect(w);
    const Region frame =
        gdi::CombineRegions(Region::FromRect(window), Region::FromRect(ScreenClientRect(w)), RGN_DIFF);
    // Children lie within the client area: they need not be cut out of the frame.
    const bool clipSiblings = (w->style & WS_CLIPSIBLINGS) != 0;
    return MakeDC(w, gdi::CombineRegions(VisibleRegion(w, false, false, clipSiblings), frame, RGN_AND), true,
                  &frame);
}

}  // namespace user

HDC GetDC(HWND hwnd) {
    return GetDCEx(hwnd, nullptr, 0);
}
HDC GetWindowDC(HWND hwnd) {
    return GetDCEx(hwnd, nullptr, DCX_WINDOW);
}

int ReleaseDC(HWND, HDC dc) {
    if (!dc) return 0;
    S().dcs.erase(HandleValue(dc));
    return DeleteDC(dc) ? 1 : 0;
}

HWND WindowFromDC(HDC dc) {
    auto& dcs = S().dcs;
    auto found = dcs.find(HandleValue(dc));
    return found == dcs.end() ? nullptr : found->second;
}

BOOL LockWindowUpdate(HWND hwnd) {
    auto& s = S();
    if (hwnd) {
        if (!Get(hwnd)) return FALSE;
        if (s.lockedWindow && Find(s.lockedWindow)) return FALSE;
        s.lockedWindow = hwnd;
        return TRUE;
    }
    const HWND previous = s.lockedWindow;
    s.lockedWindow = nullptr;
    // What was drawn while locked went nowhere, so the window paints again.
    if (previous && Find(previous))
        RedrawWindow(previous, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return TRUE;
}

}  // namespace win32
