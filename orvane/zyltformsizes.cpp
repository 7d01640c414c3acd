#include "orvane/zyltformsizes.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "win32/user.h"

namespace orvane {

using namespace win32;
using vcl::Integer;

namespace {

// a * b / c truncated toward zero, kept within 32 bits.
Integer ScaledSide(Integer a, Integer b, Integer c) {
    const int64_t scaled = static_cast<int64_t>(a) * b / c;
    return static_cast<Integer>(std::clamp<int64_t>(scaled, INT_MIN, INT_MAX));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylFormAspect

VCL_DEFINE_CLASS(TZylFormAspect, TZylHookComponent)

void TZylFormAspect::FrameSize(Integer& x, Integer& y) {
    x = y = 0;
    if (client_) {
        vcl::TWinControl* form = HookedControl();
        x = form->Width() - form->ClientWidth();
        y = form->Height() - form->ClientHeight();
    }
    if (OnClientModified) OnClientModified(this, x, y);
}

void TZylFormAspect::EstablishAspectRatio(WPARAM edge, vcl::TRect& r, Integer x, Integer y) {
    // The client part's height is 42/40 of its width.
    constexpr Integer kHeightParts = 42, kWidthParts = 40;
    switch (edge) {
        case WMSZ_LEFT:
        case WMSZ_TOPRIGHT:
            r.top = r.bottom - (r.right - r.left - x) * kHeightParts / kWidthParts - y;
            break;
        case WMSZ_RIGHT:
        case WMSZ_BOTTOMLEFT:
            r.bottom = r.top + (r.right - r.left - x) * kHeightParts / kWidthParts + y;
            break;
        case WMSZ_TOP:
        case WMSZ_TOPLEFT:
            r.left = r.right - (r.bottom - r.top - y) * kWidthParts / kHeightParts - x;
            break;
        case WMSZ_BOTTOM:
        case WMSZ_BOTTOMRIGHT:
            r.right = r.left + (r.bottom - r.top - y) * kWidthParts / kHeightParts + x;
            break;
        default:
            break;
    }
}

void TZylFormAspect::MaximizedSize(MINMAXINFO& info, Integer x, Integer y) {
    // A ratio without a side has no shape to keep.
    if (ratioWidth_ <= 0 || ratioHeight_ <= 0) return;
    Integer width = info.ptMaxSize.x;
    Integer height = ScaledSide(width, ratioHeight_, ratioWidth_);
    if (height > GetSystemMetrics(SM_CYSCREEN)) {
        height = info.ptMaxSize.y;
        width = ScaledSide(height, ratioWidth_, ratioHeight_);
    }
    vcl::TRect r{0, 0, width + x, height + y};
    if (BeforeResizing) BeforeResizing(this, r);
    info.ptMaxSize.x = r.right - r.left;
    info.ptMaxSize.y = r.bottom - r.top;
}

void TZylFormAspect::Hooked(vcl::TMessage& message) {
    if (!enabled_ || (message.Msg != WM_SIZING && message.Msg != WM_GETMINMAXINFO) || !message.LParam) {
        TZylHookComponent::Hooked(message);
        return;
    }
    Integer x = 0, y = 0;
    FrameSize(x, y);
    if (message.Msg == WM_SIZING) {
        auto* rect = reinterpret_cast<RECT*>(message.LParam);
        EstablishAspectRatio(message.WParam, *rect, x, y);
        if (BeforeResizing) BeforeResizing(this, *rect);
    } else {
        MaximizedSize(*reinterpret_cast<MINMAXINFO*>(message.LParam), x, y);
    }
    message.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// TZylFormSizes

VCL_DEFINE_CLASS(TZylFormSizes, TZylHookComponent)

void TZylFormSizes::FollowDesignedSize() {
    vcl::TWinControl* form = HookedControl();
    if (options_.Contains(TZylFormSizeOption::MinimumWidth)) minWidth_ = form->Width();
    if (options_.Contains(TZylFormSizeOption::MaximumWidth)) maxWidth_ = form->Width();
    if (options_.Contains(TZylFormSizeOption::MinimumHeight)) minHeight_ = form->Height();
    if (options_.Contains(TZylFormSizeOption::MaximumHeight)) maxHeight_ = form->Height();
}

void TZylFormSizes::ApplyLimits(MINMAXINFO& info) const {
    if (minWidth_ > 0) info.ptMinTrackSize.x = minWidth_;
    if (minHeight_ > 0) info.ptMinTrackSize.y = minHeight_;
    if (maxWidth_ > 0) info.ptMaxTrackSize.x = maxWidth_;
    if (maxHeight_ > 0) info.ptMaxTrackSize.y = maxHeight_;
}

void TZylFormSizes::Hooked(vcl::TMessage& message) {
    const auto alive = AliveToken();
    TZylHookComponent::Hooked(message);
    if (!*alive || IsDestroying()) return;
    if (ComponentState() == vcl::TComponentState{vcl::csDesigning}) {
        if (message.Msg == WM_SIZE) FollowDesignedSize();
        return;
    }
    if (message.Msg == WM_GETMINMAXINFO && message.LParam)
        ApplyLimits(*reinterpret_cast<MINMAXINFO*>(message.LParam));
}

}  // namespace orvane
