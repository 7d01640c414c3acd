// The mouse loop of window scroll bars: arrows and page areas repeat while held, the thumb is dragged.
// The loop only reports; the window procedure moves the position.
#include <algorithm>
#include <cstdlib>

#include "user/scrollbar_internal.h"

namespace win32 {

namespace user {

namespace {

// The repeat timer of the loop; it never reaches the window procedure.
constexpr UINT_PTR kRepeatTimer = 0xFFFA;
constexpr UINT kFirstRepeatDelay = 200;
constexpr UINT kRepeatDelay = 50;

WORD RequestFor(ScrollPart part) {
    switch (part) {
        case ScrollPart::ArrowTop:
            return SB_LINEUP;
        case ScrollPart::ArrowBottom:
            return SB_LINEDOWN;
        case ScrollPart::PageTop:
            return SB_PAGEUP;
        default:
            return SB_PAGEDOWN;
    }
}

ScrollLayout ScreenLayout(Window* w, int bar, int position) {
    RECT r = WindowScrollBarRect(w, bar);
    const RECT window = ScreenRect(w);
    r = RECT{r.left + window.left, r.top + window.top, r.right + window.left, r.bottom + window.top};
    return LayoutScrollBar(r, bar == SB_VERT, WindowScrollData(w, bar), position);
}

// The position the thumb stands for when its leading edge is at `top` (offset along the bar).
int PositionAt(const ScrollLayout& l, const ScrollBarData& d, int top) {
    const int thumb = l.thumbBottom - l.thumbTop;
    const int64_t travel = l.length - 2 * l.arrow - thumb;
    const int64_t positions =
        std::max<int64_t>(int64_t{d.max} - std::max<int64_t>(int64_t{d.page} - 1, 0), d.min) - d.min;
    if (travel <= 0) return d.min;
    const int64_t offset = std::clamp<int64_t>(top - l.arrow, 0, travel);
    return static_cast<int>(d.min + (offset * positions * 2 + travel) / (travel * 2));
}

// A drag that wanders this far across the bar puts the thumb back where it started.
bool TooFarAcross(const ScrollLayout& l, POINT p) {
    const int thickness = l.vertical ? l.bar.right - l.bar.left : l.bar.bottom - l.bar.top;
    const int margin = 2 * thickness;
    if (l.vertical) return p.x < l.bar.left - margin || p.x >= l.bar.right + margin;
    return p.y < l.bar.top - margin || p.y >= l.bar.bottom + margin;
}

}  // namespace

void TrackWindowScrollBar(Window* w, int bar, POINT screen) {
    auto& s = S();
    const HWND hwnd = w->Handle();
    if (!VisibleFlag(w) || !(w->style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) return;
    ScrollTrack& track = CurrentScrollTrack();
    if (track.hwnd) return;  // one loop at a time
    const ScrollBarData& data = WindowScrollData(w, bar);
    if (data.disabledArrows == ESB_DISABLE_BOTH) return;
    const ScrollLayout start = ScreenLayout(w, bar, data.pos);
    const ScrollPart part = ScrollPartAt(start, screen);
    if (part == ScrollPart::None) return;
    if (part == ScrollPart::ArrowTop && (data.disabledArrows & ESB_DISABLE_LTUP)) return;
    if (part == ScrollPart::ArrowBottom && (data.disabledArrows & ESB_DISABLE_RTDN)) return;

    const UINT message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    auto report = [&](WORD request, int pos) {
        if (Window* x = Find(hwnd)) Send(x, message, MAKEWPARAM(request, static_cast<WORD>(pos)), 0);
    };
    const bool dragging = part == ScrollPart::Thumb;
    const int along = start.vertical ? screen.y - start.bar.top : screen.x - start.bar.left;
    const int grip = along - start.thumbTop;  // where the thumb was taken
    const int startPos = data.pos;
    track = ScrollTrack{hwnd, bar, part, true, startPos};
    SetCapture(hwnd);
    RedrawWindowScrollBar(w, bar);
    if (!dragging) {
        report(RequestFor(part), 0);
        if (Find(hwnd)) SetTimer(hwnd, kRepeatTimer, kFirstRepeatDelay, nullptr);
    }

    // Whether the cursor is still on the part pressed, measured against the position the window
    // procedure has set since.
    auto onPart = [&](POINT p) {
        Window* x = Find(hwnd);
        return x && ScrollPartAt(ScreenLayout(x, bar, WindowScrollData(x, bar).pos), p) == part;
    };
    auto showPressed = [&](bool pressed) {
        if (track.pressed == pressed) return;
        track.pressed = pressed;
        if (Window* x = Find(hwnd)) RedrawWindowScrollBar(x, bar);
    };
    auto drag = [&](POINT p) {
        Window* x = Find(hwnd);
        if (!x) return;
        const ScrollLayout now = ScreenLayout(x, bar, track.trackPos);
        if (!now.hasThumb) return;
        int pos = startPos;
        if (!TooFarAcross(now, p)) {
            const int at = now.vertical ? p.y - now.bar.top : p.x - now.bar.left;
            pos = PositionAt(now, WindowScrollData(x, bar), at - grip);
        }
        if (pos == track.trackPos) return;
        track.trackPos = pos;
        RedrawWindowScrollBar(x, bar);
        report(SB_THUMBTRACK, pos);
    };

    bool released = false;
    POINT cursor = screen;
    try {
        while (!released && Find(hwnd) && s.capture && s.capture->Handle() == hwnd) {
            MSG msg;
            if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ModalIdle("ScrollBar");
                continue;
            }
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (CallMsgFilter(&msg, MSGF_SCROLLBAR)) continue;
            switch (msg.message) {
                case WM_LBUTTONUP:
                    cursor = msg.pt;
                    if (dragging) drag(cursor);
                    released = true;
                    break;
                case WM_MOUSEMOVE:
                    cursor = msg.pt;
                    if (dragging)
                        drag(cursor);
                    else
                        showPressed(onPart(cursor));
                    break;
                case WM_TIMER:
                    if (msg.hwnd == hwnd && msg.wParam == kRepeatTimer) {
                        const bool on = onPart(cursor);
                        showPressed(on);
                        if (on) report(RequestFor(part), 0);
                        if (Find(hwnd)) SetTimer(hwnd, kRepeatTimer, kRepeatDelay, nullptr);
                        break;
                    }
                    DispatchMessage(&msg);
                    break;
                default:
                    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) break;
                    TranslateMessage(&msg);
                    DispatchMessage(&msg);
            }
        }
    } catch (...) {
        if (Find(hwnd)) KillTimer(hwnd, kRepeatTimer);
        track = ScrollTrack{};
        if (s.capture && s.capture->Handle() == hwnd) ReleaseCapture();
        throw;
    }
    Window* x = Find(hwnd);
    if (!x) {
        track = ScrollTrack{};
        return;
    }
    KillTimer(hwnd, kRepeatTimer);
    const int finalPos = track.trackPos;
    if (dragging && released) report(SB_THUMBPOSITION, finalPos);
    track = ScrollTrack{};
    if ((x = Find(hwnd)) != nullptr && s.capture == x) ReleaseCapture();
    report(SB_ENDSCROLL, 0);
    if ((x = Find(hwnd)) != nullptr) RedrawWindowScrollBar(x, bar);
}

}  // namespace user

}  // namespace win32
