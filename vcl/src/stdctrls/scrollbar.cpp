// The scroll bar control: painted by the framework, driven by mouse (arrows and shaft repeat on the
// platform timer, the thumb drags) and keys, answering the SBM_* messages.
#include <algorithm>

#include "vcl/stdctrls_button.h"
#include "win32/errors.h"
#include "win32/kernel.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace {

const bool scrollbarClassesRegistered = [] {
    RegisterClasses({TScrollBar::StaticClass()});
    return true;
}();

constexpr UINT_PTR kRepeatTimer = 1;
// The first repeat waits longer, as a held key does.
constexpr UINT kFirstRepeatDelay = 400;
constexpr UINT kRepeatDelay = 100;
constexpr Integer kMinimumThumb = 8;
constexpr std::string_view kScrollBarRange = "Scrollbar property out of range";

Integer Clamp(Int64 value, Integer low, Integer high) {
    return static_cast<Integer>(std::clamp<Int64>(value, low, std::max(low, high)));
}

uint32_t PatternPixel(TColor color) {
    const COLORREF rgb = ColorToRGB(color);
    return static_cast<uint32_t>(GetRValue(rgb)) << 16 | static_cast<uint32_t>(GetGValue(rgb)) << 8 |
           GetBValue(rgb);
}

// The classic shaft: button face dithered with the highlight.
HBRUSH CreateShaftBrush() {
    const uint32_t face = PatternPixel(clBtnFace), light = PatternPixel(clBtnHighlight);
    uint32_t bits[8 * 8];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bits[y * 8 + x] = ((x + y) & 1) ? light : face;
    const HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, bits);
    const HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

}  // namespace

VCL_DEFINE_CLASS(TScrollBar, TWinControl)

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    controlStyle_ = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
    SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
}

TScrollBar::~TScrollBar() = default;

void TScrollBar::CreateParams(TCreateParams& params) {
    Inherited::CreateParams(params);
    params.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::SetKind(TScrollBarKind value) {
    if (kind_ == value) return;
    kind_ = value;
    if (HandleAllocated()) {
        LONG style = GetWindowLong(Handle(), GWL_STYLE) & ~static_cast<LONG>(SBS_VERT);
        SetWindowLong(Handle(), GWL_STYLE,
                      style | static_cast<LONG>(value == sbVertical ? SBS_VERT : SBS_HORZ));
    }
    if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::SetParams(Integer position, Integer min, Integer max) {
    if (max < min || (pageSize_ > 0 && Int64{max} - min + 1 < pageSize_))
        throw EInvalidOperation(std::string(kScrollBarRange));
    position = std::clamp(position, min, max);
    const bool changed = position != position_;
    min_ = min;
    max_ = max;
    position_ = position;
    Invalidate();
    if (changed) Change();
}

void TScrollBar::SetPageSize(Integer value) {
    if (pageSize_ == value) return;
    if (value < 0 || value > Int64{max_} - min_ + 1) throw EInvalidOperation(std::string(kScrollBarRange));
    pageSize_ = value;
    Invalidate();
}

Integer TScrollBar::UserMax() const {
    return static_cast<Integer>(std::max<Int64>(min_, Int64{max_} - std::max(pageSize_ - 1, 0)));
}

void TScrollBar::Change() {
    Changed();
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode scrollCode, Integer& scrollPos) {
    if (OnScroll) OnScroll(this, scrollCode, scrollPos);
}

// ---------------------------------------------------------------------------------------------
// Geometry

TScrollBar::Layout TScrollBar::ComputeLayout(Integer position) const {
    Layout layout;
    const bool vertical = kind_ == sbVertical;
    layout.length = vertical ? Height() : Width();
    const Integer thickness = vertical ? Width() : Height();
    layout.arrow = std::min(thickness, layout.length / 2);
    const Integer shaft = layout.length - 2 * layout.arrow;
    const Int64 steps = Int64{UserMax()} - min_;
    if (!Enabled() || steps <= 0 || shaft <= 0) return layout;
    Integer thumb = thickness;
    if (pageSize_ > 0) thumb = static_cast<Integer>(Int64{shaft} * pageSize_ / (Int64{max_} - min_ + 1));
    thumb = std::max(thumb, kMinimumThumb);
    if (thumb > shaft) return layout;
    const Int64 travel = shaft - thumb;
    const Int64 offset = std::clamp<Int64>(Int64{position} - min_, 0, steps);
    layout.hasThumb = true;
    layout.thumbStart = layout.arrow + static_cast<Integer>((offset * travel * 2 + steps) / (steps * 2));
    layout.thumbEnd = layout.thumbStart + thumb;
    return layout;
}

TScrollBar::Part TScrollBar::PartAt(const Layout& layout, Integer along) const {
    if (along < 0 || along >= layout.length) return Part::None;
    if (along < layout.arrow) return Part::ArrowBack;
    if (along >= layout.length - layout.arrow) return Part::ArrowForward;
    if (!layout.hasThumb) return Part::None;
    if (along < layout.thumbStart) return Part::PageBack;
    if (along < layout.thumbEnd) return Part::Thumb;
    return Part::PageForward;
}

TRect TScrollBar::PartRect(Integer start, Integer end) const {
    return kind_ == sbVertical ? Rect(0, start, Width(), end) : Rect(start, 0, end, Height());
}

Integer TScrollBar::PositionFromThumb(const Layout& layout, Integer thumbStart) const {
    const Int64 travel = layout.length - 2 * layout.arrow - (layout.thumbEnd - layout.thumbStart);
    const Int64 steps = Int64{UserMax()} - min_;
    if (travel <= 0 || steps <= 0) return position_;
    const Int64 offset = std::clamp<Int64>(thumbStart - layout.arrow, 0, travel);
    return static_cast<Integer>(min_ + (offset * steps * 2 + travel) / (travel * 2));
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void TScrollBar::NotifyScroll(TScrollCode code, Integer thumbPos) {
    trackPos_ = thumbPos;
    if (HandleAllocated()) {
        if (const HWND parentWindow = GetParent(Handle())) {
            const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(thumbPos));
            SendMessage(parentWindow, kind_ == sbVertical ? WM_VSCROLL : WM_HSCROLL, wParam,
                        reinterpret_cast<LPARAM>(Handle()));
            // A framework parent reflects the notification back as CN_HSCROLL / CN_VSCROLL.
            if (FindControl(parentWindow)) return;
        }
    }
    DoScroll(code, thumbPos);
}

void TScrollBar::DoScroll(TScrollCode code, Integer thumbPos) {
    Int64 scrollPos = position_;
    switch (code) {
        case scLineUp:
            scrollPos -= smallChange_;
            break;
        case scLineDown:
            scrollPos += smallChange_;
            break;
        case scPageUp:
            scrollPos -= largeChange_;
            break;
        case scPageDown:
            scrollPos += largeChange_;
            break;
        case scPosition:
        case scTrack:
            scrollPos = thumbPos;
            break;
        case scTop:
            scrollPos = min_;
            break;
        case scBottom:
            scrollPos = UserMax();
            break;
        case scEndScroll:
            break;
    }
    Integer result = Clamp(scrollPos, min_, UserMax());
    Scroll(code, result);
    SetPosition(result);
}

void TScrollBar::StartRepeat(UINT delay) {
    if (!HandleAllocated()) return;
    SetTimer(Handle(), kRepeatTimer, delay, nullptr);
    timerRunning_ = true;
}

void TScrollBar::StopRepeat() {
    if (timerRunning_ && HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
    timerRunning_ = false;
}

void TScrollBar::MouseAction(bool repeat) {
    if (!partHot_) return;
    const Layout layout = ComputeLayout(position_);
    switch (pressedPart_) {
        case Part::ArrowBack:
            NotifyScroll(scLineUp, position_);
            break;
        case Part::ArrowForward:
            NotifyScroll(scLineDown, position_);
            break;
        case Part::PageBack:
            // Paging stops once the thumb reaches the mouse.
            if (!layout.hasThumb || mouseAlong_ >= layout.thumbStart) return;
            NotifyScroll(scPageUp, position_);
            break;
        case Part::PageForward:
            if (!layout.hasThumb || mouseAlong_ < layout.thumbEnd) return;
            NotifyScroll(scPageDown, position_);
            break;
        default:
            return;
    }
    if (repeat) StartRepeat(kRepeatDelay);
}

void TScrollBar::HandleMouseDown(Integer x, Integer y) {
    if (!Enabled()) return;
    if (TabStop() && !Focused() && CanFocus()) SetFocus();
    const Integer along = kind_ == sbVertical ? y : x;
    const Layout layout = ComputeLayout(position_);
    pressedPart_ = PartAt(layout, along);
    partHot_ = true;
    mouseAlong_ = along;
    if (pressedPart_ == Part::None) return;
    Invalidate();
    if (pressedPart_ == Part::Thumb) {
        tracking_ = true;
        trackPos_ = position_;
        dragOffset_ = along - layout.thumbStart;
        return;
    }
    MouseAction(false);
    if (pressedPart_ != Part::None) StartRepeat(kFirstRepeatDelay);
}

void TScrollBar::HandleMouseMove(Integer x, Integer y) {
    if (pressedPart_ == Part::None) return;
    const Integer along = kind_ == sbVertical ? y : x;
    mouseAlong_ = along;
    const Layout layout = ComputeLayout(tracking_ ? trackPos_ : position_);
    if (tracking_) {
        const Integer pos = PositionFromThumb(layout, along - dragOffset_);
        if (pos != trackPos_) NotifyScroll(scTrack, pos);
        return;
    }
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    const bool hot = inside && PartAt(layout, along) == pressedPart_;
    if (hot != partHot_) {
        partHot_ = hot;
        Invalidate();
    }
}

void TScrollBar::EndTracking(Integer along) {
    mouseAlong_ = along;
    StopRepeat();
    const bool wasTracking = tracking_;
    const bool wasPressed = pressedPart_ != Part::None;
    tracking_ = false;
    pressedPart_ = Part::None;
    partHot_ = false;
    if (!wasPressed) return;
    Invalidate();
    if (wasTracking) NotifyScroll(scPosition, trackPos_);
    NotifyScroll(scEndScroll, position_);
}

void TScrollBar::HandleMouseUp(Integer x, Integer y) {
    EndTracking(kind_ == sbVertical ? y : x);
}

void TScrollBar::KeyDown(Word& key, TShiftState shift) {
    Inherited::KeyDown(key, shift);
    TScrollCode code;
    switch (key) {
        case VK_LEFT:
        case VK_UP:
            code = scLineUp;
            break;
        case VK_RIGHT:
        case VK_DOWN:
            code = scLineDown;
            break;
        case VK_PRIOR:
            code = scPageUp;
            break;
        case VK_NEXT:
            code = scPageDown;
            break;
        case VK_HOME:
            code = scTop;
            break;
        case VK_END:
            code = scBottom;
            break;
        default:
            return;
    }
    if (!Enabled()) return;
    keyScrolled_ = true;
    NotifyScroll(code, position_);
}

void TScrollBar::KeyUp(Word& key, TShiftState shift) {
    Inherited::KeyUp(key, shift);
    if (!keyScrolled_) return;
    switch (key) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            keyScrolled_ = false;
            NotifyScroll(scEndScroll, position_);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// The platform's scroll bar messages

void TScrollBar::SetScrollInfoFrom(const SCROLLINFO& info) {
    Integer min = min_, max = max_, page = pageSize_;
    Int64 pos = position_;
    if (info.fMask & SIF_RANGE) {
        min = info.nMin;
        max = std::max(info.nMin, info.nMax);
    }
    // A page larger than the range shrinks to it.
    const Int64 pageRequest = (info.fMask & SIF_PAGE) ? Int64{info.nPage} : Int64{page};
    page = static_cast<Integer>(std::clamp<Int64>(pageRequest, 0, Int64{max} - min + 1));
    if (info.fMask & SIF_POS) pos = info.nPos;
    min_ = min;
    max_ = max;
    pageSize_ = page;
    const Integer clamped = Clamp(pos, min_, UserMax());
    const bool changed = clamped != position_;
    position_ = clamped;
    Invalidate();
    if (changed) Change();
}

void TScrollBar::FillScrollInfo(SCROLLINFO& info) const {
    if (info.fMask & SIF_RANGE) {
        info.nMin = min_;
        info.nMax = max_;
    }
    if (info.fMask & SIF_PAGE) info.nPage = static_cast<UINT>(pageSize_);
    if (info.fMask & SIF_POS) info.nPos = position_;
    if (info.fMask & SIF_TRACKPOS) info.nTrackPos = tracking_ ? trackPos_ : position_;
}

void TScrollBar::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            HandleMouseDown(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            break;
        case WM_MOUSEMOVE:
            HandleMouseMove(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            break;
        case WM_LBUTTONUP:
            HandleMouseUp(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
            break;
        case WM_CANCELMODE:
        case CM_CANCELMODE:
            EndTracking(mouseAlong_);
            break;
        case WM_TIMER:
            if (message.WParam == kRepeatTimer) {
                if (pressedPart_ == Part::None || tracking_)
                    StopRepeat();
                else
                    MouseAction(true);
                message.Result = 0;
                return;
            }
            break;
        case WM_GETDLGCODE:
            message.Result = DLGC_WANTARROWS;
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            keyScrolled_ = false;
            break;
        case CM_ENABLEDCHANGED:
            if (!Enabled()) EndTracking(mouseAlong_);
            break;
        case CN_HSCROLL:
        case CN_VSCROLL: {
            const WORD code = LOWORD(static_cast<DWORD_PTR>(message.WParam));
            if (code <= static_cast<WORD>(scEndScroll)) {
                // The 16-bit thumb position of the message stands for the full one it came from.
                const WORD thumb = HIWORD(static_cast<DWORD_PTR>(message.WParam));
                const Integer thumbPos =
                    thumb == static_cast<WORD>(trackPos_) ? trackPos_ : static_cast<int16_t>(thumb);
                DoScroll(static_cast<TScrollCode>(code), thumbPos);
            }
            message.Result = 0;
            return;
        }
        case SBM_SETPOS: {
            const Integer previous = position_;
            SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, static_cast<int>(message.WParam), 0};
            SetScrollInfoFrom(info);
            message.Result = previous;
            return;
        }
        case SBM_GETPOS:
            message.Result = position_;
            return;
        case SBM_SETRANGE:
        case SBM_SETRANGEREDRAW: {
            const auto min = static_cast<int>(message.WParam);
            const auto max = static_cast<int>(message.LParam);
            if (max < min) {
                SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
                message.Result = 0;
                return;
            }
            const Integer previous = position_;
            SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, min, max, 0, 0, 0};
            SetScrollInfoFrom(info);
            message.Result = previous;
            return;
        }
        case SBM_GETRANGE:
            if (auto* min = reinterpret_cast<int*>(message.WParam)) *min = min_;
            if (auto* max = reinterpret_cast<int*>(message.LParam)) *max = max_;
            message.Result = 0;
            return;
        case SBM_SETSCROLLINFO: {
            const auto* info = reinterpret_cast<const SCROLLINFO*>(message.LParam);
            if (!info || info->cbSize != sizeof(SCROLLINFO)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                message.Result = 0;
                return;
            }
            SetScrollInfoFrom(*info);
            message.Result = position_;
            return;
        }
        case SBM_GETSCROLLINFO: {
            auto* info = reinterpret_cast<SCROLLINFO*>(message.LParam);
            if (!info || info->cbSize != sizeof(SCROLLINFO)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                message.Result = FALSE;
                return;
            }
            FillScrollInfo(*info);
            message.Result = TRUE;
            return;
        }
        default:
            break;
    }
    Inherited::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// Painting

void TScrollBar::PaintWindow(HDC dc) {
    const Layout layout = ComputeLayout(tracking_ ? trackPos_ : position_);
    const bool vertical = kind_ == sbVertical;
    const bool scrollable = Enabled() && UserMax() > min_;
    auto arrowState = [&](Part part) {
        UINT state = 0;
        if (!scrollable) state |= DFCS_INACTIVE;
        if (pressedPart_ == part && partHot_) state |= DFCS_PUSHED | DFCS_FLAT;
        return state;
    };
    TRect back = PartRect(0, layout.arrow);
    TRect forward = PartRect(layout.length - layout.arrow, layout.length);
    DrawFrameControl(dc, &back, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | arrowState(Part::ArrowBack));
    DrawFrameControl(dc, &forward, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | arrowState(Part::ArrowForward));

    const TRect shaft = PartRect(layout.arrow, layout.length - layout.arrow);
    const HBRUSH shaftBrush = CreateShaftBrush();
    FillRect(dc, &shaft, shaftBrush);
    DeleteObject(shaftBrush);
    if (!layout.hasThumb) return;
    if (partHot_ && (pressedPart_ == Part::PageBack || pressedPart_ == Part::PageForward)) {
        // The held paging area shows dark.
        const TRect page = pressedPart_ == Part::PageBack
                               ? PartRect(layout.arrow, layout.thumbStart)
                               : PartRect(layout.thumbEnd, layout.length - layout.arrow);
        FillRect(dc, &page, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_3DDKSHADOW + 1)));
    }
    TRect thumb = PartRect(layout.thumbStart, layout.thumbEnd);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

}  // namespace vcl
