// The image scroller.
#include "lumaro/zylscroller.h"

#include <algorithm>

#include "vcl/streaming.h"
#include "win32/gdi.h"

namespace lumaro {

using namespace vcl;

namespace zylscroller {

// Copies `source` onto `dest` repeatedly so that its (offsetX, offsetY) lands on dest's origin and
// the picture continues past its ends from its start.
void BlitWrapped(win32::HDC dest, Integer width, Integer height, TBitmap* source, Integer offsetX,
                 Integer offsetY) {
    const Integer tileWidth = source->Width(), tileHeight = source->Height();
    const win32::HDC from = source->Canvas()->Handle();
    for (Integer y = -offsetY; y < height; y += tileHeight)
        for (Integer x = -offsetX; x < width; x += tileWidth)
            win32::BitBlt(dest, x, y, tileWidth, tileHeight, from, 0, 0, win32::SRCCOPY);
}

// `value` moved by `step` and brought back into 0 .. length - 1, however large the step.
Integer Wrap(Integer value, Integer step, Integer length) {
    const Integer moved = (value + step) % length;
    return moved < 0 ? moved + length : moved;
}

}  // namespace zylscroller

TZylImageScroller::TZylImageScroller(TComponent* owner)
    : TZylGraphicControl(owner),
      bitmap_(std::make_unique<TBitmap>()),
      font3D_(std::make_unique<TZylFont3D>(this)),
      timer_(new TZylTimer32(nullptr)),
      surface_(std::make_unique<TBitmap>()) {
    controlStyle_.Include(csOpaque);
    controlStyle_.Include(csReplicatable);
    timer_->SetEnabled(false);
    timer_->SetInterval(static_cast<Word>(scrollInterval_));
    timer_->OnTimer = [this](TObject*) { MoveImage(); };
    font3D_->OnChange = [this](TObject*) { RebuildSurface(); };
    SetColor(clWindow);
    SetParentColor(true);
    SetBounds(Left(), Top(), 100, 100);
}

TZylImageScroller::~TZylImageScroller() = default;

void TZylImageScroller::SetBitmap(TBitmap* value) {
    if (value && value != bitmap_.get())
        bitmap_->Assign(value);
    else if (!value)
        bitmap_->SetSize(0, 0);
    AdjustSize();
    ResetOffsets();
    RebuildSurface();
}

void TZylImageScroller::SetText(const std::string& value) {
    if (value == text_) return;
    text_ = value;
    if (!UsesPicture()) RebuildSurface();
}

void TZylImageScroller::SetScrolling(bool value) {
    if (value == scrolling_) return;
    scrolling_ = value;
    timer_->SetEnabled(value);
}

void TZylImageScroller::SetScrollDirection(TZylKind value) {
    if (value == scrollDirection_) return;
    scrollDirection_ = value;
    ResetOffsets();
    Invalidate();
}

void TZylImageScroller::SetScrollInterval(Integer value) {
    value = std::clamp<Integer>(value, 1, 0xFFFF);
    if (value == scrollInterval_) return;
    scrollInterval_ = value;
    timer_->SetInterval(static_cast<Word>(value));
}

void TZylImageScroller::SetScrollStep(Byte value) {
    scrollStep_ = value;
}

void TZylImageScroller::SetScrollInverse(bool value) {
    scrollInverse_ = value;
}

void TZylImageScroller::SetParentCenter(bool value) {
    parentCenter_ = value;
    if (!value || !Parent() || IsLoading()) return;
    const TRect client = Parent()->ClientRect();
    Integer left = Left(), top = Top();
    if (Width() <= client.right) left = (client.right - Width()) / 2;
    if (Height() <= client.bottom) top = (client.bottom - Height()) / 2;
    SetBounds(left, top, Width(), Height());
}

void TZylImageScroller::SetTextToCenter(bool value) {
    if (value == textToCenter_) return;
    textToCenter_ = value;
    if (!UsesPicture()) RebuildSurface();
}

void TZylImageScroller::SetTextWindowLeft(Integer value) {
    if (value < 0) return;
    textWindowLeft_ = value;
    textToCenter_ = false;
    if (!UsesPicture()) RebuildSurface();
}

void TZylImageScroller::SetTextWindowTop(Integer value) {
    if (value < 0) return;
    textWindowTop_ = value;
    textToCenter_ = false;
    if (!UsesPicture()) RebuildSurface();
}

void TZylImageScroller::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylImageScroller::MoveImage() {
    if (surface_->Empty()) return;
    const Integer step = scrollInverse_ ? -Integer{scrollStep_} : Integer{scrollStep_};
    if (scrollDirection_ == kHorizontal)
        offsetX_ = zylscroller::Wrap(offsetX_, step, surface_->Width());
    else
        offsetY_ = zylscroller::Wrap(offsetY_, step, surface_->Height());
    Repaint();
}

void TZylImageScroller::WndProc(TMessage& message) {
    TZylGraphicControl::WndProc(message);
    switch (message.Msg) {
        case CM_COLORCHANGED:
        case CM_FONTCHANGED:
        case CM_ENABLEDCHANGED:
            if (!UsesPicture()) RebuildSurface();
            break;
        default:
            break;
    }
}

void TZylImageScroller::Loaded() {
    TZylGraphicControl::Loaded();
    AdjustSize();
    RebuildSurface();
    timer_->SetEnabled(scrolling_);
}

void TZylImageScroller::Resize() {
    TZylGraphicControl::Resize();
    // The wrap lengths depend on the control's size; the offsets stay inside the new ones.
    RebuildSurface();
    if (!surface_->Empty()) {
        offsetX_ %= surface_->Width();
        offsetY_ %= surface_->Height();
    }
}

bool TZylImageScroller::CanAutoSize(Integer& newWidth, Integer& newHeight) {
    if (!UsesPicture() || Align() != TAlign::alNone) return false;
    newWidth = bitmap_->Width();
    newHeight = bitmap_->Height();
    return true;
}

void TZylImageScroller::RebuildSurface() {
    if (IsLoading()) return;
    if (UsesPicture())
        BuildPictureSurface();
    else
        BuildTextSurface();
    Invalidate();
}

void TZylImageScroller::BuildPictureSurface() {
    // Whole copies of the picture, enough of them to cover the control in each direction (one at
    // least, so that a control of no size still has something to wrap around).
    const Integer tileWidth = bitmap_->Width(), tileHeight = bitmap_->Height();
    const Integer columns = std::max<Integer>(1, (Width() + tileWidth - 1) / tileWidth);
    const Integer rows = std::max<Integer>(1, (Height() + tileHeight - 1) / tileHeight);
    surface_->SetSize(columns * tileWidth, rows * tileHeight);
    const win32::HDC dc = surface_->Canvas()->Handle();
    const win32::HDC from = bitmap_->Canvas()->Handle();
    for (Integer row = 0; row < rows; ++row)
        for (Integer column = 0; column < columns; ++column)
            win32::BitBlt(dc, column * tileWidth, row * tileHeight, tileWidth, tileHeight, from, 0, 0,
                          win32::SRCCOPY);
}

void TZylImageScroller::BuildTextSurface() {
    if (text_.empty() || Width() <= 0 || Height() <= 0) {
        surface_->SetSize(0, 0);
        return;
    }
    if (textToCenter_) CenterTextWindow();
    surface_->SetSize(Width(), Height());
    TCanvas* canvas = surface_->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(Rect(0, 0, Width(), Height()));
    const TSize extent = TextMeasure(Font()).Extent(text_);
    const Integer effect = font3D_->DrawingWidth();
    const TRect window = Rect(textWindowLeft_, textWindowTop_, textWindowLeft_ + extent.cx + effect,
                              textWindowTop_ + extent.cy + effect);
    font3D_->Write(Font(), canvas->Handle(), window, text_,
                   win32::DT_CENTER | win32::DT_VCENTER | win32::DT_SINGLELINE, Enabled());
}

void TZylImageScroller::CenterTextWindow() {
    const TSize extent = TextMeasure(Font()).Extent(text_);
    const Integer effect = font3D_->DrawingWidth();
    const Integer textWidth = extent.cx + effect, textHeight = extent.cy + effect;
    if (textWidth <= Width()) textWindowLeft_ = (Width() - textWidth) / 2;
    if (textHeight <= Height()) textWindowTop_ = (Height() - textHeight) / 2;
}

void TZylImageScroller::ResetOffsets() {
    offsetX_ = 0;
    offsetY_ = 0;
}

void TZylImageScroller::Paint() {
    if (!Parent() || Width() <= 0 || Height() <= 0) return;
    TCanvas* canvas = Canvas();
    if (surface_->Empty()) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
        return;
    }
    TBitmap work;
    work.SetSize(Width(), Height());
    zylscroller::BlitWrapped(work.Canvas()->Handle(), Width(), Height(), surface_.get(), offsetX_, offsetY_);
    win32::BitBlt(canvas->Handle(), 0, 0, Width(), Height(), work.Canvas()->Handle(), 0, 0, win32::SRCCOPY);
}

VCL_DEFINE_CLASS(TZylImageScroller, TZylGraphicControl)

}  // namespace lumaro
