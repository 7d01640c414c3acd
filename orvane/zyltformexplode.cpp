#include "orvane/zyltformexplode.h"

#include "win32/gdi.h"
#include "win32/user.h"

namespace orvane {

using namespace win32;
using vcl::Integer;

VCL_DEFINE_CLASS(TZylFormExplode, TZylSystemsComponent)

namespace {

vcl::TCustomForm* ExplodingForm(vcl::TComponent* owner) {
    auto* form = dynamic_cast<vcl::TCustomForm*>(owner);
    if (!form) throw vcl::EInvalidCast("Invalid class typecast");
    return form;
}

}  // namespace

TZylFormExplode::TZylFormExplode(vcl::TComponent* owner) : TZylSystemsComponent(ExplodingForm(owner)) {
    vcl::TCustomForm* form = Form();
    showTakeover_.Take(form->OnShow, [this](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
        const auto alive = alive_;
        FormShown();
        if (*alive && previous) previous(sender);
    });
    paintTakeover_.Take(form->OnPaint, [this](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
        // Re-armed by every paint; messages are not processed inside a paint.
        armed_ = true;
        if (previous) previous(sender);
    });
    hideTakeover_.Take(form->OnHide, [this](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
        const auto alive = alive_;
        FormHidden();
        if (*alive && previous) previous(sender);
    });
}

TZylFormExplode::~TZylFormExplode() {
    *alive_ = false;
    showTakeover_.Release();
    paintTakeover_.Release();
    hideTakeover_.Release();
}

vcl::TCustomForm* TZylFormExplode::Form() const {
    return static_cast<vcl::TCustomForm*>(Owner());
}

vcl::TRect TZylFormExplode::FormBounds() const {
    const vcl::TCustomForm* form = Form();
    return vcl::TRect{form->Left(), form->Top(), form->Left() + form->Width(), form->Top() + form->Height()};
}

vcl::TRect TZylFormExplode::WipeRect(TZylWipeType wipe) const {
    const vcl::TCustomForm* form = Form();
    const Integer l = form->Left(), t = form->Top(), w = form->Width(), h = form->Height();
    const Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    auto half = [](Integer x) { return static_cast<Integer>(vcl::Round(x / 2.0)); };
    switch (wipe) {
        case wsFormTopBorder:
            return {l, t, l + w, t};
        case wsFormBottomBorder:
            return {l, t + h, l + w, t + h};
        case wsFormLeftBorder:
            return {l, t, l, t + h};
        case wsFormRightBorder:
            return {l + w, t, l + w, t + h};
        case wsScreenTopBorder:
            return {0, 0, sw, 0};
        case wsScreenBottomBorder:
            return {0, sh, sw, sh};
        case wsScreenLeftBorder:
            return {0, 0, 0, sh};
        case wsScreenRightBorder:
            return {sw, 0, sw, sh};
        case wsFormTopLeft:
            return {l, t, l + 5, t + 5};
        case wsFormBottomLeft:
            return {l, t + h - 5, l + 5, t + h};
        case wsFormTopRight:
            return {l + w, t, l + w - 5, t + 5};
        case wsFormBottomRight:
            return {l + w, t + h, l + w - 5, t + h - 5};
        case wsScreenTopLeft:
            return {0, 0, 5, 5};
        case wsScreenBottomLeft:
            return {0, sh - 5, 5, sh};
        case wsScreenTopRight:
            return {sw, 0, sw - 5, 5};
        case wsScreenBottomRight:
            return {sw, sh, sw - 5, sh - 5};
        case wsFormMiddle:
            return {l + half(w) - 2, t + half(h) - 2, l + half(w) + 2, t + half(h) + 2};
        case wsScreenMiddle:
            return {half(sw) - 2, half(sh) - 2, half(sw) + 2, half(sh) + 2};
        case wsCustompoint:
            return {customLeft_, customTop_, customRight_, customBottom_};
    }
    return {};
}

vcl::TRect TZylFormExplode::EndPoint(TZylWipeType wipe) {
    vcl::TRect r = WipeRect(wipe);
    if (OnGetPoints) OnGetPoints(this, r.left, r.top, r.right, r.bottom);
    return r;
}

std::vector<vcl::TRect> TZylFormExplode::Outlines(const vcl::TRect& from, const vcl::TRect& to) const {
    const Integer steps = noOfSteps_ == 0 ? 1 : noOfSteps_;
    const vcl::TRect step{(to.left - from.left) / steps, (to.top - from.top) / steps,
                          (to.right - from.right) / steps, (to.bottom - from.bottom) / steps};
    std::vector<vcl::TRect> outlines;
    outlines.reserve(static_cast<size_t>(steps) + 2);
    for (Integer i = 0; i <= steps; ++i)
        outlines.push_back({from.left + i * step.left, from.top + i * step.top, from.right + i * step.right,
                            from.bottom + i * step.bottom});
    outlines.push_back(to);
    return outlines;
}

void TZylFormExplode::DrawOutlines(const std::vector<vcl::TRect>& outlines, bool pump) {
    const auto alive = alive_;
    for (const vcl::TRect& r : outlines) {
        HDC dc = GetDC(nullptr);
        const HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
        const HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        const int mix = SetROP2(dc, R2_NOTXORPEN);
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SetROP2(dc, mix);
        SelectObject(dc, brush);
        SelectObject(dc, pen);
        ReleaseDC(nullptr, dc);
        if (pump && vcl::Application) vcl::Application->ProcessMessages();
        if (!*alive) return;
    }
}

// Drawn twice, each outline inverts the same pixels twice: the erase pass uses the very list of the
// draw pass, so nothing is left behind even when the form moved or OnGetPoints would answer
// otherwise meanwhile.
void TZylFormExplode::Animate(const std::vector<vcl::TRect>& outlines) {
    const auto alive = alive_;
    DrawOutlines(outlines, true);
    if (*alive) DrawOutlines(outlines, false);
}

void TZylFormExplode::FormShown() {
    const auto alive = alive_;
    if ((showType_ == onAlways || showType_ == onShow) && armed_) {
        Animate(Outlines(EndPoint(onShowType_), FormBounds()));
        if (!*alive) return;
        armed_ = false;
    }
    if (vcl::Application) vcl::Application->ProcessMessages();
}

void TZylFormExplode::FormHidden() {
    const auto alive = alive_;
    if ((showType_ == onAlways || showType_ == onHide) && armed_) {
        Animate(Outlines(FormBounds(), EndPoint(onCloseType_)));
        if (!*alive) return;
    }
    if (vcl::Application) vcl::Application->ProcessMessages();
    if (*alive) armed_ = true;
}

}  // namespace orvane
