// Window scroll bars: their ranges, pages and positions, showing and enabling them, their geometry and
// their classic drawing in the frame. Scroll bar controls (SB_CTL) answer the SBM_* messages instead.
#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

#include "user/scrollbar_internal.h"

namespace win32 {

namespace user {

namespace {

struct ScrollState {
    std::unordered_map<UINT_PTR, std::array<ScrollBarData, 2>> windows;
    size_t sweepAt = 64;
    ScrollTrack track;
};

ScrollState& Scroll() {
    static ScrollState* state = new ScrollState;
    static const bool registered = (testing::AddResetHook([] { *state = ScrollState{}; }), true);
    (void)registered;
    return *state;
}

bool IsWindowBar(int bar) {
    return bar == SB_HORZ || bar == SB_VERT;
}

DWORD StyleOf(int bar) {
    return bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
}

int64_t HighestPosition(const ScrollBarData& d) {
    const int64_t page = d.page;
    return std::max<int64_t>(d.min, int64_t{d.max} - std::max<int64_t>(page - 1, 0));
}

bool Scrollable(const ScrollBarData& d) {
    return HighestPosition(d) > d.min;
}

void Clamp(ScrollBarData& d) {
    if (d.max < d.min) d.max = d.min;
    const int64_t span = int64_t{d.max} - d.min + 1;
    if (d.page > span) d.page = static_cast<UINT>(span);
    d.pos = static_cast<int>(std::clamp<int64_t>(d.pos, d.min, HighestPosition(d)));
}

bool Valid(const SCROLLINFO* info) {
    return info && (info->cbSize == sizeof(SCROLLINFO) || info->cbSize == sizeof(SCROLLINFO) - sizeof(int)) &&
           !(info->fMask & ~(SIF_ALL | SIF_DISABLENOSCROLL));
}

// Window calls run on the window's own thread, as the frame does.
Window* OwnWindow(HWND hwnd) {
    Window* w = Get(hwnd);
    if (w && w->thread != CurrentThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return w;
}

bool HasBar(Window* w, int bar) {
    return (w->style & StyleOf(bar)) || Scroll().windows.count(w->handle);
}

void ShowBars(Window* w, DWORD bars, bool show) {
    const DWORD style = show ? (w->style | bars) : (w->style & ~bars);
    if (style == w->style) return;
    w->style = style;
    SetWindowPosInternal(w, nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HBRUSH ShaftBrush() {
    // The classic shaft: the scroll bar colour dithered with the highlight.
    auto pixel = [](COLORREF c) {
        return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 |
               GetBValue(c);
    };
    const uint32_t a = pixel(GetSysColor(COLOR_SCROLLBAR)), b = pixel(GetSysColor(COLOR_3DHILIGHT));
    uint32_t bits[8 * 8];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bits[y * 8 + x] = ((x + y) & 1) ? b : a;
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, bits);
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

RECT Along(const ScrollLayout& l, int from, int to) {
    if (l.vertical) return RECT{l.bar.left, l.bar.top + from, l.bar.right, l.bar.top + to};
    return RECT{l.bar.left + from, l.bar.top, l.bar.left + to, l.bar.bottom};
}

void DrawBar(HDC dc, const ScrollLayout& l, UINT disabled, ScrollPart pushed) {
    if (l.bar.right <= l.bar.left || l.bar.bottom <= l.bar.top) return;
    RECT first = Along(l, 0, l.arrow), last = Along(l, l.length - l.arrow, l.length);
    DrawFrameControl(dc, &first, DFC_SCROLL,
                     (l.vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) |
                         ((disabled & ESB_DISABLE_LTUP) ? DFCS_INACTIVE : 0) |
                         (pushed == ScrollPart::ArrowTop ? DFCS_PUSHED | DFCS_FLAT : 0));
    DrawFrameControl(dc, &last, DFC_SCROLL,
                     (l.vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) |
                         ((disabled & ESB_DISABLE_RTDN) ? DFCS_INACTIVE : 0) |
                         (pushed == ScrollPart::ArrowBottom ? DFCS_PUSHED | DFCS_FLAT : 0));
    if (l.length - 2 * l.arrow <= 0) return;
    HBRUSH shaft = ShaftBrush();
    RECT ground = Along(l, l.arrow, l.length - l.arrow);
    FillRect(dc, &ground, shaft);
    DeleteObject(shaft);
    if (!l.hasThumb) return;
    // A page area held down shows inverted, as the classic look does.
    if (pushed == ScrollPart::PageTop) {
        RECT page = Along(l, l.arrow, l.thumbTop);
        InvertRect(dc, &page);
    } else if (pushed == ScrollPart::PageBottom) {
        RECT page = Along(l, l.thumbBottom, l.length - l.arrow);
        InvertRect(dc, &page);
    }
    RECT thumb = Along(l, l.thumbTop, l.thumbBottom);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

void PaintBar(Window* w, HDC dc, int bar) {
    const RECT r = WindowScrollBarRect(w, bar);
    if (r.right <= r.left || r.bottom <= r.top) return;
    const ScrollBarData& d = WindowScrollData(w, bar);
    const ScrollTrack& t = Scroll().track;
    const bool tracked = t.hwnd == w->Handle() && t.bar == bar;
    const bool dragging = tracked && t.part == ScrollPart::Thumb;
    const ScrollLayout l = LayoutScrollBar(r, bar == SB_VERT, d, dragging ? t.trackPos : d.pos);
    DrawBar(dc, l, d.disabledArrows, tracked && t.pressed ? t.part : ScrollPart::None);
}

DWORD PartState(const ScrollLayout& l, ScrollPart part, const ScrollBarData& d, const ScrollTrack& t,
                bool tracked) {
    DWORD state = 0;
    if (part == ScrollPart::PageTop || part == ScrollPart::Thumb || part == ScrollPart::PageBottom) {
        if (!l.hasThumb) state |= STATE_SYSTEM_INVISIBLE;
    }
    if (part == ScrollPart::ArrowTop && (d.disabledArrows & ESB_DISABLE_LTUP))
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (part == ScrollPart::ArrowBottom && (d.disabledArrows & ESB_DISABLE_RTDN))
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (tracked && t.pressed && t.part == part) state |= STATE_SYSTEM_PRESSED;
    return state;
}

}  // namespace

ScrollTrack& CurrentScrollTrack() {
    return Scroll().track;
}

ScrollBarData& WindowScrollData(Window* w, int bar) {
    auto& s = Scroll();
    auto found = s.windows.find(w->handle);
    if (found == s.windows.end()) {
        // Records of destroyed windows go when the table has grown enough to make a sweep worth it.
        if (s.windows.size() >= s.sweepAt) {
            for (auto it = s.windows.begin(); it != s.windows.end();)
                it = Find(MakeHandle<HWND>(it->first)) ? std::next(it) : s.windows.erase(it);
            s.sweepAt = std::max<size_t>(64, s.windows.size() * 2);
        }
        found = s.windows.emplace(w->handle, std::array<ScrollBarData, 2>{}).first;
    }
    return found->second[bar == SB_VERT ? 1 : 0];
}

RECT WindowScrollBarRect(const Window* w, int bar) {
    if (!(w->style & StyleOf(bar)) || (w->style & WS_MINIMIZE)) return RECT{0, 0, 0, 0};
    const RECT& c = w->client;
    const int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    RECT r = bar == SB_VERT ? RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom}
                            : RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    r.right = std::min<LONG>(r.right, width);
    r.bottom = std::min<LONG>(r.bottom, height);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

ScrollLayout LayoutScrollBar(const RECT& bar, bool vertical, const ScrollBarData& d, int position) {
    ScrollLayout l;
    l.bar = bar;
    l.vertical = vertical;
    l.length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    l.arrow = GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL);
    if (l.length < 2 * l.arrow) l.arrow = l.length / 2;
    const int shaft = l.length - 2 * l.arrow;
    if (d.disabledArrows == ESB_DISABLE_BOTH || !Scrollable(d)) return l;
    const int fixedThumb = GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
    const int minimum = fixedThumb / 2;
    const int64_t span = int64_t{d.max} - d.min + 1;
    int thumb = d.page ? static_cast<int>(int64_t{shaft} * d.page / span) : fixedThumb;
    thumb = std::max(thumb, minimum);
    if (thumb > shaft) return l;
    const int64_t positions = HighestPosition(d) - d.min;
    const int64_t offset = std::clamp<int64_t>(int64_t{position} - d.min, 0, positions);
    // Rounded to the nearest pixel so that the ends of the range touch the arrows exactly.
    const int64_t travel = shaft - thumb;
    l.hasThumb = true;
    l.thumbTop = l.arrow + static_cast<int>((offset * travel * 2 + positions) / (positions * 2));
    l.thumbBottom = l.thumbTop + thumb;
    return l;
}

ScrollPart ScrollPartAt(const ScrollLayout& l, POINT p) {
    if (p.x < l.bar.left || p.x >= l.bar.right || p.y < l.bar.top || p.y >= l.bar.bottom)
        return ScrollPart::None;
    const int at = l.vertical ? p.y - l.bar.top : p.x - l.bar.left;
    if (at < l.arrow) return ScrollPart::ArrowTop;
    if (at >= l.length - l.arrow) return ScrollPart::ArrowBottom;
    if (!l.hasThumb) return ScrollPart::None;
    if (at < l.thumbTop) return ScrollPart::PageTop;
    if (at < l.thumbBottom) return ScrollPart::Thumb;
    return ScrollPart::PageBottom;
}

void PaintWindowScrollBars(Window* w, HDC dc) {
    if (!(w->style & (WS_VSCROLL | WS_HSCROLL)) || (w->style & WS_MINIMIZE)) return;
    PaintBar(w, dc, SB_VERT);
    PaintBar(w, dc, SB_HORZ);
    if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
        const RECT v = WindowScrollBarRect(w, SB_VERT), h = WindowScrollBarRect(w, SB_HORZ);
        RECT box{v.left, h.top, v.right, h.bottom};
        FillRect(dc, &box, GetSysColorBrush(COLOR_3DFACE));
    }
}

void RedrawWindowScrollBar(Window* w, int bar) {
    if (!VisibleFlag(w) || !(w->style & StyleOf(bar)) || (w->style & WS_MINIMIZE)) return;
    HDC dc = GetWindowDC(w->Handle());
    if (!dc) return;
    PaintBar(w, dc, bar);
    ReleaseDC(w->Handle(), dc);
}

namespace {

int SetWindowScrollInfo(Window* w, int bar, const SCROLLINFO& info, bool redraw) {
    Hold hold(w);
    ScrollBarData& d = WindowScrollData(w, bar);
    if (info.fMask & SIF_RANGE) {
        d.min = info.nMin;
        d.max = info.nMax;
    }
    if (info.fMask & SIF_PAGE) d.page = info.nPage;
    if (info.fMask & SIF_POS) d.pos = info.nPos;
    Clamp(d);
    const int pos = d.pos;
    if (info.fMask & (SIF_RANGE | SIF_PAGE)) {
        const bool needed = Scrollable(d);
        if (info.fMask & SIF_DISABLENOSCROLL) {
            const UINT arrows = needed ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
            if (d.disabledArrows != arrows && (!needed || d.disabledArrows == ESB_DISABLE_BOTH))
                d.disabledArrows = arrows;
            ShowBars(w, StyleOf(bar), true);
        } else {
            ShowBars(w, StyleOf(bar), needed);
        }
        if (w->destroyed) return pos;
    }
    if (redraw) RedrawWindowScrollBar(w, bar);
    return pos;
}

}  // namespace

}  // namespace user

using namespace user;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    if (bar == SB_CTL) {
        if (!Get(hwnd)) return 0;
        return static_cast<int>(
            SendMessage(hwnd, SBM_SETSCROLLINFO, redraw ? TRUE : FALSE, reinterpret_cast<LPARAM>(info)));
    }
    Window* w = OwnWindow(hwnd);
    if (!w) return 0;
    if (!IsWindowBar(bar) || !Valid(info)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return SetWindowScrollInfo(w, bar, *info, redraw != FALSE);
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    if (bar == SB_CTL) {
        if (!Get(hwnd)) return FALSE;
        return static_cast<BOOL>(SendMessage(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
    }
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (!IsWindowBar(bar) || !Valid(info) || !(info->fMask & SIF_ALL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!HasBar(w, bar)) {
        SetLastError(ERROR_NO_SCROLLBARS);
        return FALSE;
    }
    const ScrollBarData& d = WindowScrollData(w, bar);
    if (info->fMask & SIF_RANGE) info->nMin = d.min, info->nMax = d.max;
    if (info->fMask & SIF_PAGE) info->nPage = d.page;
    if (info->fMask & SIF_POS) info->nPos = d.pos;
    if ((info->fMask & SIF_TRACKPOS) && info->cbSize == sizeof(SCROLLINFO)) {
        const ScrollTrack& t = CurrentScrollTrack();
        const bool dragging = t.hwnd == hwnd && t.bar == bar && t.part == ScrollPart::Thumb;
        info->nTrackPos = dragging ? t.trackPos : d.pos;
    }
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    if (bar == SB_CTL) {
        if (!Get(hwnd)) return 0;
        return static_cast<int>(
            SendMessage(hwnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw ? TRUE : FALSE));
    }
    Window* w = OwnWindow(hwnd);
    if (!w) return 0;
    if (!IsWindowBar(bar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int previous = WindowScrollData(w, bar).pos;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, pos, 0};
    SetWindowScrollInfo(w, bar, info, redraw != FALSE);
    return previous;
}

int GetScrollPos(HWND hwnd, int bar) {
    if (bar == SB_CTL) return Get(hwnd) ? static_cast<int>(SendMessage(hwnd, SBM_GETPOS, 0, 0)) : 0;
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, bar, &info) ? info.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
    if (bar == SB_CTL) {
        if (!Get(hwnd)) return FALSE;
        SendMessage(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos);
        return TRUE;
    }
    Window* w = OwnWindow(hwnd);
    if (!w) return FALSE;
    if (!IsWindowBar(bar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int64_t span = int64_t{maxPos} - minPos;
    if (span < 0 || span > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
        return FALSE;
    }
    SCROLLINFO info{sizeof info, SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetWindowScrollInfo(w, bar, info, redraw != FALSE);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
    if (!minPos || !maxPos) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *minPos = *maxPos = 0;
    if (bar == SB_CTL) {
        if (!Get(hwnd)) return FALSE;
        SendMessage(hwnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(minPos), reinterpret_cast<LPARAM>(maxPos));
        return TRUE;
    }
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (!IsWindowBar(bar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A window without scroll bars reports an empty range, and that is not a failure.
    if (!HasBar(w, bar)) return TRUE;
    const ScrollBarData& d = WindowScrollData(w, bar);
    *minPos = d.min;
    *maxPos = d.max;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    if (bar == SB_CTL) {
        if (!Get(hwnd)) return FALSE;
        ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
        return TRUE;
    }
    Window* w = OwnWindow(hwnd);
    if (!w) return FALSE;
    DWORD bars = 0;
    if (bar == SB_HORZ || bar == SB_BOTH) bars |= WS_HSCROLL;
    if (bar == SB_VERT || bar == SB_BOTH) bars |= WS_VSCROLL;
    if (!bars) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (bars & WS_HSCROLL) WindowScrollData(w, SB_HORZ);
    if (bars & WS_VSCROLL) WindowScrollData(w, SB_VERT);
    ShowBars(w, bars, show != FALSE);
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
    if (bar == static_cast<UINT>(SB_CTL)) {
        if (!Get(hwnd)) return FALSE;
        return static_cast<BOOL>(SendMessage(hwnd, SBM_ENABLE_ARROWS, arrows, 0));
    }
    Window* w = OwnWindow(hwnd);
    if (!w) return FALSE;
    if (arrows > ESB_DISABLE_BOTH ||
        (bar != static_cast<UINT>(SB_HORZ) && bar != static_cast<UINT>(SB_VERT) &&
         bar != static_cast<UINT>(SB_BOTH))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL changed = FALSE;
    for (int one : {SB_HORZ, SB_VERT}) {
        if (bar != static_cast<UINT>(SB_BOTH) && bar != static_cast<UINT>(one)) continue;
        ScrollBarData& d = WindowScrollData(w, one);
        if (d.disabledArrows == arrows) continue;
        d.disabledArrows = arrows;
        changed = TRUE;
        RedrawWindowScrollBar(w, one);
    }
    return changed;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG object, SCROLLBARINFO* info) {
    if (object == OBJID_CLIENT) {
        if (!Get(hwnd)) return FALSE;
        return static_cast<BOOL>(SendMessage(hwnd, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LPARAM>(info)));
    }
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (!info || info->cbSize != sizeof(SCROLLBARINFO) ||
        (object != OBJID_VSCROLL && object != OBJID_HSCROLL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int bar = object == OBJID_VSCROLL ? SB_VERT : SB_HORZ;
    const ScrollBarData& d = WindowScrollData(w, bar);
    const ScrollTrack& t = CurrentScrollTrack();
    const bool tracked = t.hwnd == hwnd && t.bar == bar;
    // The rectangle the bar has (or would have) in the frame.
    const DWORD savedStyle = w->style;
    w->style |= StyleOf(bar);
    RECT r = WindowScrollBarRect(w, bar);
    w->style = savedStyle;
    const bool shown = (savedStyle & StyleOf(bar)) && !(savedStyle & WS_MINIMIZE);
    if (!shown) {
        const RECT c = w->client;
        r = bar == SB_VERT ? RECT{c.right, c.top, c.right, c.bottom}
                           : RECT{c.left, c.bottom, c.right, c.bottom};
    }
    const ScrollLayout l =
        LayoutScrollBar(r, bar == SB_VERT, d, tracked && t.part == ScrollPart::Thumb ? t.trackPos : d.pos);
    const RECT window = ScreenRect(w);
    info->rcScrollBar =
        RECT{r.left + window.left, r.top + window.top, r.right + window.left, r.bottom + window.top};
    info->dxyLineButton = l.arrow;
    info->xyThumbTop = l.hasThumb ? l.thumbTop : 0;
    info->xyThumbBottom = l.hasThumb ? l.thumbBottom : 0;
    info->reserved = 0;
    DWORD state = 0;
    if (!shown) state |= STATE_SYSTEM_INVISIBLE;
    if (!VisibleFlag(w)) state |= STATE_SYSTEM_OFFSCREEN;
    if (d.disabledArrows == ESB_DISABLE_BOTH) state |= STATE_SYSTEM_UNAVAILABLE;
    info->rgstate[0] = state;
    const ScrollPart parts[] = {ScrollPart::ArrowTop, ScrollPart::PageTop, ScrollPart::Thumb,
                                ScrollPart::PageBottom, ScrollPart::ArrowBottom};
    for (int i = 0; i < CCHILDREN_SCROLLBAR; ++i)
        info->rgstate[i + 1] = PartState(l, parts[i], d, t, tracked);
    return TRUE;
}

}  // namespace win32
