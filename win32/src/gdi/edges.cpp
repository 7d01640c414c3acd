// Three-dimensional edges, the focus rectangle and the standard frame controls in the classic look.
#include <cmath>

#include "gdi/raster.h"
#include "gdi/shapes.h"
#include "win32/kernel.h"

namespace win32::gdi {

namespace {

RECT ToSurfaceRect(const DeviceContext& dc, const RECT& r) {
    POINT a = LogicalToDevice(dc, POINT{ClampCoordinate(r.left), ClampCoordinate(r.top)});
    POINT b = LogicalToDevice(dc, POINT{ClampCoordinate(r.right), ClampCoordinate(r.bottom)});
    return RECT{a.x + dc.surfaceOrigin.x, a.y + dc.surfaceOrigin.y, b.x + dc.surfaceOrigin.x,
                b.y + dc.surfaceOrigin.y};
}

void Fill(DeviceContext& dc, const RECT& surfaceRect, int colorIndex) {
    FillClippedRect(dc, surfaceRect, SolidPaint(GetSysColor(colorIndex)), R2_COPYPEN);
}

struct EdgeColors {
    int topLeft, bottomRight;
};

// Colours of one border layer (bits: 1 raised, 2 sunken) by the flags.
EdgeColors LayerColors(UINT bits, bool outer, UINT flags) {
    if (flags & BF_MONO)
        return outer ? EdgeColors{COLOR_WINDOWFRAME, COLOR_WINDOWFRAME}
                     : EdgeColors{COLOR_WINDOW, COLOR_WINDOW};
    if (flags & BF_FLAT)
        return outer ? EdgeColors{COLOR_BTNSHADOW, COLOR_BTNSHADOW}
                     : EdgeColors{COLOR_BTNFACE, COLOR_BTNFACE};
    bool soft = (flags & BF_SOFT) != 0;
    bool raised = (bits & 1) != 0;
    if (outer) {
        if (raised) return EdgeColors{soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
        return EdgeColors{soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
    }
    if (raised) return EdgeColors{soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    return EdgeColors{soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

void DiagonalEdge(DeviceContext& dc, RECT r, UINT edge, UINT flags) {
    int size = std::min(r.right - r.left, r.bottom - r.top);
    if (size <= 0) return;
    bool endTop = (flags & BF_TOP) != 0, endRight = (flags & BF_RIGHT) != 0;
    // The line runs from the start corner towards the end corner named by the flags.
    POINT start{endRight ? r.left : r.right - 1, endTop ? r.bottom - 1 : r.top};
    int sx = endRight ? 1 : -1, sy = endTop ? -1 : 1;
    bool upward = endTop;
    for (int layer = 0; layer < 2; ++layer) {
        UINT bits = layer == 0 ? (edge & 3) : ((edge >> 2) & 3);
        if (!bits) continue;
        EdgeColors colors = LayerColors(bits, layer == 0, flags);
        uint32_t color = ToPixel(GetSysColor(upward ? colors.topLeft : colors.bottomRight));
        int offset = layer;  // the inner line runs one pixel inside
        for (int i = 0; i < size - offset; ++i)
            PlotPixel(dc, start.x + sx * (i + offset), start.y + sy * i, color, R2_COPYPEN);
    }
}

}  // namespace

}  // namespace win32::gdi

namespace win32 {

using namespace gdi;

BOOL DrawEdge(HDC handle, RECT* rect, UINT edge, UINT flags) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    RECT r = ToSurfaceRect(*dc, *rect);
    if (flags & BF_DIAGONAL) {
        DiagonalEdge(*dc, r, edge, flags);
        return TRUE;
    }
    RECT inner = r;
    for (int layer = 0; layer < 2; ++layer) {
        UINT bits = layer == 0 ? (edge & 3) : ((edge >> 2) & 3);
        if (!bits) continue;
        if (inner.right <= inner.left || inner.bottom <= inner.top) break;
        EdgeColors colors = LayerColors(bits, layer == 0, flags);
        if (flags & BF_TOP)
            Fill(*dc, RECT{inner.left, inner.top, inner.right, inner.top + 1}, colors.topLeft);
        if (flags & BF_LEFT)
            Fill(*dc, RECT{inner.left, inner.top, inner.left + 1, inner.bottom}, colors.topLeft);
        if (flags & BF_RIGHT)
            Fill(*dc, RECT{inner.right - 1, inner.top, inner.right, inner.bottom}, colors.bottomRight);
        if (flags & BF_BOTTOM)
            Fill(*dc, RECT{inner.left, inner.bottom - 1, inner.right, inner.bottom}, colors.bottomRight);
        if (flags & BF_LEFT) ++inner.left;
        if (flags & BF_TOP) ++inner.top;
        if (flags & BF_RIGHT) --inner.right;
        if (flags & BF_BOTTOM) --inner.bottom;
    }
    if ((flags & BF_MIDDLE) && inner.left < inner.right && inner.top < inner.bottom)
        Fill(*dc, inner, (flags & (BF_MONO | BF_FLAT)) ? COLOR_WINDOW : COLOR_BTNFACE);
    if (flags & BF_ADJUST) {
        rect->left += inner.left - r.left;
        rect->top += inner.top - r.top;
        rect->right += inner.right - r.right;
        rect->bottom += inner.bottom - r.bottom;
    }
    return TRUE;
}

BOOL DrawFocusRect(HDC handle, const RECT* rect) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    RECT r = ToSurfaceRect(*dc, *rect);
    if (r.right <= r.left || r.bottom <= r.top) return TRUE;
    SpanSet frame;
    frame.Add(r.top, r.left, r.right);
    frame.Add(r.bottom - 1, r.left, r.right);
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        frame.Add(y, r.left, r.left + 1);
        frame.Add(y, r.right - 1, r.right);
    }
    // Every other pixel, counted from the device origin, is inverted.
    Paint dots;
    dots.solid = false;
    dots.patternWidth = dots.patternHeight = 2;
    dots.pattern = {0xFFFFFF, 0, 0, 0xFFFFFF};
    dots.patternOpaque = {1, 0, 0, 1};
    dots.originX = dc->surfaceOrigin.x;
    dots.originY = dc->surfaceOrigin.y;
    frame.Paint(*dc, dots, R2_XORPEN);
    return TRUE;
}

namespace {

void Glyph(DeviceContext& dc, int x, int y, const char* const* rows, int count, int colorIndex) {
    uint32_t color = ToPixel(GetSysColor(colorIndex));
    for (int row = 0; row < count; ++row)
        for (int col = 0; rows[row][col]; ++col)
            if (rows[row][col] == '#') PlotPixel(dc, x + col, y + row, color, R2_COPYPEN);
}

constexpr const char* kCheck[] = {
    "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
};

void Arrow(DeviceContext& dc, const RECT& r, UINT direction, int colorIndex, int shift) {
    int size = std::min(r.right - r.left, r.bottom - r.top);
    int height = std::max((size - 4) / 4 + 1, 2);  // rows of the triangle; 4 for a 16-pixel button
    int cx = (r.left + r.right) / 2 + shift, cy = (r.top + r.bottom) / 2 + shift;
    Paint paint = SolidPaint(GetSysColor(colorIndex));
    for (int i = 0; i < height; ++i) {
        int half = height - 1 - i;
        switch (direction) {
            case DFCS_SCROLLUP:
                FillClippedRect(dc, RECT{cx - i, cy - height / 2 + i, cx + i + 1, cy - height / 2 + i + 1},
                                paint, R2_COPYPEN);
                break;
            case DFCS_SCROLLDOWN:
            case DFCS_SCROLLCOMBOBOX:
                FillClippedRect(dc,
                                RECT{cx - half, cy - height / 2 + i, cx + half + 1, cy - height / 2 + i + 1},
                                paint, R2_COPYPEN);
                break;
            case DFCS_SCROLLLEFT:
                FillClippedRect(dc, RECT{cx - height / 2 + i, cy - i, cx - height / 2 + i + 1, cy + i + 1},
                                paint, R2_COPYPEN);
                break;
            default:
                FillClippedRect(dc,
                                RECT{cx - height / 2 + i, cy - half, cx - height / 2 + i + 1, cy + half + 1},
                                paint, R2_COPYPEN);
                break;
        }
    }
}

void ButtonFace(HDC handle, RECT* rect, UINT state) {
    UINT flags = BF_RECT | BF_MIDDLE | BF_SOFT | BF_ADJUST;
    if (state & DFCS_FLAT) flags |= BF_FLAT;
    if (state & DFCS_MONO) flags |= BF_MONO;
    if (state & (DFCS_PUSHED | DFCS_CHECKED))
        DrawEdge(handle, rect, (state & DFCS_FLAT) ? BDR_SUNKENOUTER : EDGE_SUNKEN, flags & ~BF_SOFT);
    else
        DrawEdge(handle, rect, EDGE_RAISED, flags);
}

BOOL CheckBox(DeviceContext& dc, HDC handle, const RECT& r, UINT state) {
    int size = std::min(r.right - r.left, r.bottom - r.top);
    if (size <= 0) return TRUE;
    RECT box{r.left, r.top + (r.bottom - r.top - size) / 2, r.left + size,
             r.top + (r.bottom - r.top - size) / 2 + size};
    RECT logical = box;
    POINT a = DeviceToLogical(dc, POINT{box.left - dc.surfaceOrigin.x, box.top - dc.surfaceOrigin.y});
    OffsetRect(&logical, a.x - box.left, a.y - box.top);
    UINT flags = BF_RECT | BF_ADJUST;
    if (state & DFCS_FLAT) flags |= BF_FLAT;
    if (state & DFCS_MONO) flags |= BF_MONO;
    DrawEdge(handle, &logical, EDGE_SUNKEN, flags);
    RECT inner = ToSurfaceRect(dc, logical);
    bool greyed =
        (state & (DFCS_PUSHED | DFCS_INACTIVE)) || ((state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED));
    Fill(dc, inner, greyed ? COLOR_BTNFACE : COLOR_WINDOW);
    if (state & DFCS_CHECKED) {
        int x = (inner.left + inner.right - 7) / 2, y = (inner.top + inner.bottom - 7) / 2;
        Glyph(dc, x, y, kCheck, 7,
              (state & (DFCS_INACTIVE | DFCS_BUTTON3STATE)) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    }
    return TRUE;
}

BOOL RadioButton(DeviceContext& dc, const RECT& r, UINT state) {
    int size = std::min(r.right - r.left, r.bottom - r.top);
    if (size <= 0) return TRUE;
    RECT box{r.left, r.top + (r.bottom - r.top - size) / 2, r.left + size,
             r.top + (r.bottom - r.top - size) / 2 + size};
    Limit everything = Limit::Everything();
    SpanSet outer, inner, core;
    EllipseSpans(box.left, box.top, box.right, box.bottom, everything, outer);
    EllipseSpans(box.left + 1, box.top + 1, box.right - 1, box.bottom - 1, everything, inner);
    EllipseSpans(box.left + 2, box.top + 2, box.right - 2, box.bottom - 2, everything, core);
    SpanSet outerRing = outer, innerRing = inner;
    outerRing.Subtract(inner);
    innerRing.Subtract(core);
    // The upper-left half of each ring takes the shadow colours, the lower-right half the light ones.
    int diagonal = box.left + box.top + size - 1;
    auto paintRing = [&](SpanSet& ring, int topLeft, int bottomRight) {
        if (state & DFCS_MONO) topLeft = bottomRight = COLOR_WINDOWFRAME;
        if (state & DFCS_FLAT) topLeft = bottomRight = COLOR_BTNSHADOW;
        Region region = ring.ToRegion();
        uint32_t tl = ToPixel(GetSysColor(topLeft)), br = ToPixel(GetSysColor(bottomRight));
        for (const RECT& band : region.rects)
            for (int y = band.top; y < band.bottom; ++y)
                for (int x = band.left; x < band.right; ++x)
                    PlotPixel(dc, x, y, x + y < diagonal ? tl : br, R2_COPYPEN);
    };
    paintRing(outerRing, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
    paintRing(innerRing, COLOR_3DDKSHADOW, COLOR_3DLIGHT);
    if (state & (DFCS_FLAT | DFCS_MONO))
        innerRing.Paint(dc, SolidPaint(GetSysColor(COLOR_WINDOW)), R2_COPYPEN);
    core.Paint(
        dc, SolidPaint(GetSysColor((state & (DFCS_PUSHED | DFCS_INACTIVE)) ? COLOR_BTNFACE : COLOR_WINDOW)),
        R2_COPYPEN);
    if (state & DFCS_CHECKED) {
        int dot = std::max(size / 3, 2);
        int x = box.left + (size - dot) / 2, y = box.top + (size - dot) / 2;
        SpanSet spot;
        EllipseSpans(x, y, x + dot, y + dot, everything, spot);
        spot.Paint(dc, SolidPaint(GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT)),
                   R2_COPYPEN);
    }
    return TRUE;
}

void CaptionGlyph(DeviceContext& dc, const RECT& r, UINT kind, int colorIndex, int shift) {
    int w = r.right - r.left, h = r.bottom - r.top;
    int size = std::max(std::min(w, h) - 6, 3);
    int x = r.left + (w - size) / 2 + shift, y = r.top + (h - size) / 2 + shift;
    Paint paint = SolidPaint(GetSysColor(colorIndex));
    auto box = [&](int l, int t, int rr, int b) {
        FillClippedRect(dc, RECT{l, t, rr, b}, paint, R2_COPYPEN);
    };
    switch (kind) {
        case DFCS_CAPTIONCLOSE:
            for (int i = 0; i < size; ++i) {
                box(x + i, y + i, x + i + 2, y + i + 1);
                box(x + size - 1 - i - 1, y + i, x + size - i, y + i + 1);
            }
            break;
        case DFCS_CAPTIONMIN:
            box(x + 1, y + size - 2, x + size - 2, y + size);
            break;
        case DFCS_CAPTIONMAX:
            box(x, y, x + size, y + 2);
            box(x, y, x + 1, y + size);
            box(x + size - 1, y, x + size, y + size);
            box(x, y + size - 1, x + size, y + size);
            break;
        case DFCS_CAPTIONRESTORE: {
            int s = size * 2 / 3;
            int bx = x + size - s, by = y;
            box(bx, by, bx + s, by + 2);
            box(bx + s - 1, by, bx + s, by + s);
            int fx = x, fy = y + size - s;
            box(fx, fy, fx + s, fy + 2);
            box(fx, fy, fx + 1, fy + s);
            box(fx + s - 1, fy, fx + s, fy + s);
            box(fx, fy + s - 1, fx + s, fy + s);
            break;
        }
        default: {
            // A question mark: hook, stem and dot.
            box(x + 1, y, x + size - 1, y + 1);
            box(x + size - 2, y + 1, x + size - 1, y + size / 2);
            box(x + size / 2, y + size / 2, x + size - 1, y + size / 2 + 1);
            box(x + size / 2, y + size / 2, x + size / 2 + 1, y + size - 2);
            box(x + size / 2, y + size - 1, x + size / 2 + 1, y + size);
            break;
        }
    }
}

}  // namespace

BOOL DrawFrameControl(HDC handle, RECT* rect, UINT type, UINT state) {
    DeviceContext* dc = DCOrFail(handle);
    if (!dc || !rect) return FALSE;
    RECT work = *rect;
    switch (type) {
        case DFC_BUTTON: {
            if (state & DFCS_BUTTONPUSH) {
                ButtonFace(handle, &work, state);
                if (state & DFCS_ADJUSTRECT) *rect = work;
                return TRUE;
            }
            RECT r = ToSurfaceRect(*dc, work);
            if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE)) return RadioButton(*dc, r, state);
            if (state & DFCS_BUTTONRADIOMASK) {
                SpanSet mask;
                int size = std::min(r.right - r.left, r.bottom - r.top);
                EllipseSpans(r.left, r.top, r.left + size, r.top + size, Limit::Everything(), mask);
                mask.Paint(*dc, SolidPaint(0), R2_COPYPEN);
                return TRUE;
            }
            return CheckBox(*dc, handle, r, state);
        }
        case DFC_SCROLL: {
            UINT kind = state & 0xFF;
            RECT r = ToSurfaceRect(*dc, work);
            if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
                Fill(*dc, r, COLOR_BTNFACE);
                int size = std::min(r.right - r.left, r.bottom - r.top);
                for (int line = 0; line + 2 < size; line += 4) {
                    for (int i = 0; i < size - line - 1; ++i) {
                        int x = r.right - 1 - i, y = r.bottom - size + line + i + 1;
                        PlotPixel(*dc, x, y, ToPixel(GetSysColor(COLOR_BTNHIGHLIGHT)), R2_COPYPEN);
                        PlotPixel(*dc, x, y + 1, ToPixel(GetSysColor(COLOR_BTNSHADOW)), R2_COPYPEN);
                        PlotPixel(*dc, x, y + 2, ToPixel(GetSysColor(COLOR_BTNSHADOW)), R2_COPYPEN);
                    }
                }
                return TRUE;
            }
            if (state & DFCS_PUSHED) {
                DrawEdge(handle, &work, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE | BF_FLAT);
            } else {
                ButtonFace(handle, &work, state);
            }
            int shift = (state & DFCS_PUSHED) ? 1 : 0;
            if (state & DFCS_INACTIVE) {
                Arrow(*dc, RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, kind, COLOR_BTNHIGHLIGHT,
                      shift);
                Arrow(*dc, r, kind, COLOR_BTNSHADOW, shift);
            } else {
                Arrow(*dc, r, kind, COLOR_BTNTEXT, shift);
            }
            return TRUE;
        }
        case DFC_CAPTION: {
            ButtonFace(handle, &work, state);
            RECT r = ToSurfaceRect(*dc, *rect);
            int shift = (state & DFCS_PUSHED) ? 1 : 0;
            UINT kind = state & 0xFF;
            if (state & DFCS_INACTIVE) {
                CaptionGlyph(*dc, RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, kind,
                             COLOR_BTNHIGHLIGHT, shift);
                CaptionGlyph(*dc, r, kind, COLOR_BTNSHADOW, shift);
            } else {
                CaptionGlyph(*dc, r, kind, COLOR_BTNTEXT, shift);
            }
            return TRUE;
        }
        case DFC_MENU:
        case DFC_POPUPMENU: {
            RECT r = ToSurfaceRect(*dc, work);
            UINT kind = state & 0xFF;
            if (kind == DFCS_MENUCHECK) {
                Glyph(*dc, (r.left + r.right - 7) / 2, (r.top + r.bottom - 7) / 2, kCheck, 7, COLOR_MENUTEXT);
            } else if (kind == DFCS_MENUBULLET) {
                SpanSet dot;
                int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
                EllipseSpans(cx - 3, cy - 3, cx + 3, cy + 3, Limit::Everything(), dot);
                dot.Paint(*dc, SolidPaint(GetSysColor(COLOR_MENUTEXT)), R2_COPYPEN);
            } else {
                Arrow(*dc, r, kind == DFCS_MENUARROWRIGHT ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT,
                      COLOR_MENUTEXT, 0);
            }
            return TRUE;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}

}  // namespace win32
