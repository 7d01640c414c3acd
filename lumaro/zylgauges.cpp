// The segmented gauge and the 3D panel.
#include "lumaro/zylgauges.h"

#include <algorithm>
#include <string>

#include "vcl/streaming.h"
#include "win32/gdi.h"

namespace lumaro {

using namespace vcl;
using win32::UINT;

namespace zylgauges {

Integer RoundHalf(double value) {
    return static_cast<Integer>(Round(value));
}

void FillArea(win32::HDC dc, const TRect& rect, TColor color) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    win32::HBRUSH brush = win32::CreateSolidBrush(ColorToRGB(color));
    win32::FillRect(dc, &rect, brush);
    win32::DeleteObject(brush);
}

UINT AlignmentFlags(TAlignment alignment) {
    switch (alignment) {
        case TAlignment::taRightJustify:
            return win32::DT_RIGHT;
        case TAlignment::taCenter:
            return win32::DT_CENTER;
        default:
            return win32::DT_LEFT;
    }
}

// A frame's own table takes frameRaised for its default, which a control may not start with; such a
// control writes that value itself, and reading goes through the published path as usual.
void DefineRaisedFrame(TFiler& filer, const char* name, const TZylFrame* frame, TZylFrameStyle initial) {
    const bool stored = initial != frameRaised && frame->FrameStyle() == frameRaised;
    filer.DefineProperty(
        std::string(name) + ".FrameStyle", nullptr, [](TWriter& writer) { writer.WriteIdent("frameRaised"); },
        stored);
}

}  // namespace zylgauges

// ---------------------------------------------------------------------------------------------
// TZylGauge

VCL_DEFINE_CLASS(TZylGauge, TZylGraphicControl)

TZylGauge::TZylGauge(TComponent* owner)
    : TZylGraphicControl(owner),
      glyph_(std::make_unique<TZylGlyph>(this)),
      bevelOuter_(std::make_unique<TZylFrame>(this)),
      bevelInner_(std::make_unique<TZylFrame>(this)),
      font3D_(std::make_unique<TZylFont3D>(this)) {
    controlStyle_.Include(csOpaque);
    bevelInner_->SetFrameStyle(frameLowered);
    const TNotifyEvent repaint = [this](TObject*) { Invalidate(); };
    glyph_->OnChange = repaint;
    bevelOuter_->OnChange = repaint;
    bevelInner_->OnChange = repaint;
    font3D_->OnChange = repaint;
    SetBounds(Left(), Top(), 140, 36);
}

TZylGauge::~TZylGauge() = default;

void TZylGauge::SetPercentage(Byte value) {
    value = std::min<Byte>(value, 100);
    if (value == percentage_) return;
    percentage_ = value;
    // Only a gauge on screen has a surface to draw on at once.
    if (!Designing() && Parent() && Parent()->HandleAllocated() && Visible())
        UpdateProgress();
    else
        Invalidate();
}

void TZylGauge::SetKind(TZylKind value) {
    StoreAndRepaint(kind_, value);
}
void TZylGauge::SetSegmentWidth(Byte value) {
    StoreAndRepaint(segmentWidth_, value);
}
void TZylGauge::SetSegmentGap(Byte value) {
    StoreAndRepaint(segmentGap_, value);
}
void TZylGauge::SetSegmentColor(TColor value) {
    StoreAndRepaint(segmentColor_, value);
}
void TZylGauge::SetInsideBackColor(TColor value) {
    StoreAndRepaint(insideBackColor_, value);
}
void TZylGauge::SetBorderwidth(Byte value) {
    StoreAndRepaint(borderwidth_, value);
}
void TZylGauge::SetPicturePosition(TZylPosition value) {
    StoreAndRepaint(picturePosition_, value);
}

void TZylGauge::SetGlyph(TZylGlyph* value) {
    if (value && value != glyph_.get()) glyph_->Assign(value);
}
void TZylGauge::SetBevelOuter(TZylFrame* value) {
    if (value && value != bevelOuter_.get()) bevelOuter_->Assign(value);
}
void TZylGauge::SetBevelInner(TZylFrame* value) {
    if (value && value != bevelInner_.get()) bevelInner_->Assign(value);
}
void TZylGauge::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylGauge::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylGauge::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    TZylGraphicControl::Notification(component, operation);
}

void TZylGauge::DefineProperties(TFiler& filer) {
    TZylGraphicControl::DefineProperties(filer);
    zylgauges::DefineRaisedFrame(filer, "BevelInner", bevelInner_.get(), frameLowered);
}

TZylGauge::Margins TZylGauge::GetMargins() const {
    Margins margins{borderwidth_, borderwidth_, borderwidth_, borderwidth_};
    const Integer glyphWidth = glyph_->Width();
    if (glyphWidth <= 0) return margins;
    // The glyph's width also on the top and bottom sides.
    switch (picturePosition_) {
        case pLeft:
            margins.left += glyphWidth;
            break;
        case pRight:
            margins.right += glyphWidth;
            break;
        case pTop:
            margins.top += glyphWidth;
            break;
        case pBottom:
            margins.bottom += glyphWidth;
            break;
    }
    return margins;
}

TRect TZylGauge::BarRect() const {
    const Margins m = GetMargins();
    const Integer co = bevelOuter_->Calcwidth(), ci = bevelInner_->Calcwidth();
    return Rect(m.left + co + ci - 1, m.top + co + ci - 1, Width() - m.right - ci - co,
                Height() - m.bottom - ci - co);
}

void TZylGauge::DrawGlyph(const Margins& m) {
    const Integer gw = glyph_->Width(), gh = glyph_->Height();
    if (gw <= 0 || gh <= 0) return;
    const Integer w = Width(), h = Height();
    const Integer co = bevelOuter_->Calcwidth();
    const Integer b2 = zylgauges::RoundHalf(borderwidth_ / 2.0);
    const Integer middleY = zylgauges::RoundHalf(h / 2.0 - gh / 2.0);
    const Integer middleX = zylgauges::RoundHalf(w / 2.0 - gw / 2.0);
    TPoint at;
    switch (picturePosition_) {
        case pLeft:
            at = Point(co + b2 + 1, middleY);
            break;
        case pRight:
            at = Point(w + b2 - co - m.right + 1, middleY);
            break;
        case pTop:
            at = Point(middleX, co + b2 + 1);
            break;
        case pBottom:
            at = Point(middleX + 1, h + b2 - co - m.bottom);
            break;
    }
    glyph_->Draw(Canvas(), at.x, at.y, Enabled(), false, false);
}

TColor TZylGauge::SegmentColorAt(Integer at) const {
    // No period at all draws one continuous bar.
    const Integer period = segmentWidth_ + segmentGap_;
    if (period == 0) return segmentColor_;
    return at % period > segmentWidth_ ? insideBackColor_ : segmentColor_;
}

void TZylGauge::Paint() {
    const win32::HDC dc = Canvas()->Handle();
    const Integer w = Width(), h = Height();
    if (TZylBackground* background = Background()) background->Draw(dc, w, h, true);
    const Margins m = GetMargins();
    DrawGlyph(m);
    TRect rect = Rect(0, 0, w, h);
    bevelOuter_->Draw(dc, rect);
    TRect inner =
        Rect(rect.left + m.left - 1, rect.top + m.top - 1, rect.right - m.right, rect.bottom - m.bottom);
    bevelInner_->Draw(dc, inner);
    zylgauges::FillArea(dc, inner, insideBackColor_);
    UpdateProgress();
}

void TZylGauge::UpdateProgress() {
    const win32::HDC dc = Canvas()->Handle();
    const TRect bar = BarRect();
    if (bar.right <= bar.left || bar.bottom <= bar.top) return;
    // Neighbouring lines of one colour go out as one rectangle.
    auto lines = [&](Integer from, Integer to, bool vertical) {
        Integer start = from;
        for (Integer at = from; at <= to; ++at) {
            const TColor color = SegmentColorAt(at);
            if (at < to && SegmentColorAt(at + 1) == color) continue;
            zylgauges::FillArea(dc,
                                vertical ? Rect(start, bar.top, at + 1, bar.bottom)
                                         : Rect(bar.left, start, bar.right, at + 1),
                                color);
            start = at + 1;
        }
    };
    if (kind_ == kHorizontal) {
        const Integer n = zylgauges::RoundHalf((bar.right - bar.left - 1) * percentage_ / 100.0);
        if (percentage_ > 0) lines(bar.left, bar.left + n, true);
        const Integer emptyFrom = percentage_ > 0 ? bar.left + n + 1 : bar.left;
        zylgauges::FillArea(dc, Rect(emptyFrom, bar.top, bar.right, bar.bottom), insideBackColor_);
    } else {
        const Integer n = zylgauges::RoundHalf((bar.bottom - bar.top - 1) * percentage_ / 100.0);
        if (percentage_ > 0) lines(bar.bottom - 1 - n, bar.bottom - 1, false);
        const Integer emptyTo = percentage_ > 0 ? bar.bottom - 1 - n : bar.bottom;
        zylgauges::FillArea(dc, Rect(bar.left, bar.top, bar.right, emptyTo), insideBackColor_);
    }
    const std::string text = std::to_string(percentage_) + " %";
    font3D_->Write(Font(), dc, bar, text, win32::DT_CENTER | win32::DT_VCENTER | win32::DT_SINGLELINE,
                   Enabled());
}

// ---------------------------------------------------------------------------------------------
// TZylPanel

VCL_DEFINE_CLASS(TZylPanel, vcl::TCustomPanel)

TZylPanel::TZylPanel(TComponent* owner)
    : TCustomPanel(owner),
      font3D_(std::make_unique<TZylFont3D>(this)),
      frameInner_(std::make_unique<TZylFrame>(this)),
      frameOuter_(std::make_unique<TZylFrame>(this)) {
    // The frames stand in for the framework's bevels.
    SetBevelOuter(bvNone);
    const TNotifyEvent reframe = [this](TObject*) {
        Realign();
        Invalidate();
    };
    frameInner_->OnChange = reframe;
    frameOuter_->OnChange = reframe;
    font3D_->OnChange = [this](TObject*) { Invalidate(); };
}

TZylPanel::~TZylPanel() = default;

void TZylPanel::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylPanel::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    Invalidate();
}

void TZylPanel::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylPanel::SetDlgFrame(bool value) {
    if (value == dlgFrame_) return;
    dlgFrame_ = value;
    Invalidate();
}

void TZylPanel::SetFrameInner(TZylFrame* value) {
    if (value && value != frameInner_.get()) frameInner_->Assign(value);
}

void TZylPanel::SetFrameOuter(TZylFrame* value) {
    if (value && value != frameOuter_.get()) frameOuter_->Assign(value);
}

void TZylPanel::SetBorderwidth(Integer value) {
    if (value < 0 || value == borderwidth_) return;
    borderwidth_ = value;
    Realign();
    Invalidate();
}

void TZylPanel::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    TCustomPanel::Notification(component, operation);
}

void TZylPanel::AlignControls(TControl* control, TRect& rect) {
    Integer inset = borderwidth_;
    if (frameOuter_->FrameStyle() != frameNone) inset += frameOuter_->FrameWidth();
    if (frameInner_->FrameStyle() != frameNone) inset += frameInner_->FrameWidth();
    rect.left += inset;
    rect.top += inset;
    rect.right -= inset;
    rect.bottom -= inset;
    TCustomPanel::AlignControls(control, rect);
}

void TZylPanel::Paint() {
    TCanvas* canvas = Canvas();
    const win32::HDC dc = canvas->Handle();
    TRect rect = ClientRect();
    zylgauges::FillArea(dc, rect, Color());
    if (TZylBackground* background = Background()) background->Draw(dc, Width(), Height(), true);
    if (dlgFrame_) {
        Frame3D(canvas, rect, clBtnHighlight, clBlack, 1);
        Frame3D(canvas, rect, clBtnFace, clBtnShadow, 1);
        Frame3D(canvas, rect, clBtnFace, clBtnFace, 1);
    }
    frameOuter_->Draw(dc, rect);
    if (borderwidth_ > 0) {
        rect.left += borderwidth_ + 1;
        rect.top += borderwidth_ + 1;
        rect.right -= borderwidth_ + 1;
        rect.bottom -= borderwidth_ + 1;
    }
    frameInner_->Draw(dc, rect);
    font3D_->Write(Font(), dc, rect, Caption(),
                   zylgauges::AlignmentFlags(Alignment()) | win32::DT_SINGLELINE | win32::DT_VCENTER |
                       win32::DT_EXPANDTABS,
                   Enabled());
}

}  // namespace lumaro
