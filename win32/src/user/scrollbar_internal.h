// Window scroll bars as the frame sees them: their state, geometry, drawing and the mouse loop.
#pragma once

#include "user/user_internal.h"

namespace win32::user {

// The parts of a scroll bar, in the order of SCROLLBARINFO::rgstate (after the bar itself).
enum class ScrollPart : uint8_t { None, ArrowTop, PageTop, Thumb, PageBottom, ArrowBottom };

struct ScrollBarData {
    int min = 0;
    int max = 100;
    UINT page = 0;
    int pos = 0;
    UINT disabledArrows = ESB_ENABLE_BOTH;
};

// Where the parts of one bar lie; offsets run along the bar from `bar`'s top (left) edge.
struct ScrollLayout {
    RECT bar{};
    bool vertical = true;
    int length = 0;
    int arrow = 0;  // length of each arrow button
    bool hasThumb = false;
    int thumbTop = 0;
    int thumbBottom = 0;
};

// The bar the mouse loop follows: the part pressed, shown pushed while the cursor is over it, and
// the thumb's track position while it is dragged.
struct ScrollTrack {
    HWND hwnd = nullptr;
    int bar = SB_VERT;
    ScrollPart part = ScrollPart::None;
    bool pressed = false;
    int trackPos = 0;
};
ScrollTrack& CurrentScrollTrack();
// Draws the bar again now, if the window shows it.
void RedrawWindowScrollBar(Window* w, int bar);

// The state of a window's SB_HORZ / SB_VERT bar, created with the defaults on first use.
ScrollBarData& WindowScrollData(Window* w, int bar);
// The bar's rectangle relative to the window's top-left corner (empty when it has no such bar).
RECT WindowScrollBarRect(const Window* w, int bar);
// `position` is where the thumb is drawn (the track position while it is dragged).
ScrollLayout LayoutScrollBar(const RECT& bar, bool vertical, const ScrollBarData& data, int position);
ScrollPart ScrollPartAt(const ScrollLayout& layout, POINT point);

// Draws both bars and the box between them on a DC whose origin is the window's top-left corner.
void PaintWindowScrollBars(Window* w, HDC windowDC);
// Runs the mouse loop for a press at `screen` on the SB_HORZ or SB_VERT bar.
void TrackWindowScrollBar(Window* w, int bar, POINT screen);

}  // namespace win32::user
