// The painted check box and radio button: the caption is drawn in relief into a bitmap that the
// native control shows in place of its text.
#include "lumaro/zylbuttons.h"

namespace lumaro {

using namespace vcl;
using win32::DWORD;
using win32::UINT;

namespace zylbuttons_check {

// The caption keeps this far from every edge of its bitmap, and this much more from the box.
constexpr Integer kCaptionMargin = 6;
constexpr Integer kBoxRoom = 12;

}  // namespace zylbuttons_check

template <typename Base>
TZylCheckControl<Base>::TZylCheckControl(TComponent* owner)
    : Base(owner), font3D_(std::make_unique<TZylFont3D>(this)), captionBitmap_(std::make_unique<TBitmap>()) {
    captionBitmap_->SetPixelFormat(pf32bit);
    this->SetBounds(this->Left(), this->Top(), 120, 22);
}

template <typename Base>
TZylCheckControl<Base>::~TZylCheckControl() = default;

template <typename Base>
void TZylCheckControl<Base>::SetAlignment(TAlignment value) {
    if (alignment_ == value) return;
    alignment_ = value;
    this->Invalidate();
}

template <typename Base>
void TZylCheckControl<Base>::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

template <typename Base>
void TZylCheckControl<Base>::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) this->Invalidate();
}

template <typename Base>
void TZylCheckControl<Base>::SetAsButton(bool value) {
    if (asButton_ == value) return;
    asButton_ = value;
    StyleChanged();
}

template <typename Base>
void TZylCheckControl<Base>::SetButtonSunk(bool value) {
    if (buttonSunk_ == value) return;
    buttonSunk_ = value;
    StyleChanged();
}

template <typename Base>
void TZylCheckControl<Base>::SetAlignButton(TLeftRight value) {
    if (alignButton_ == value) return;
    alignButton_ = value;
    StyleChanged();
}

template <typename Base>
void TZylCheckControl<Base>::StyleChanged() {
    // The window's style (and its client edge) change only with a new window.
    if (this->HandleAllocated())
        this->RecreateWnd();
    else
        this->Invalidate();
}

template <typename Base>
DWORD TZylCheckControl<Base>::ButtonStyle() const {
    using namespace win32;
    DWORD style = Base::ButtonStyle() & ~(BS_LEFTTEXT | BS_CENTER | BS_VCENTER);
    style |= BS_VCENTER;
    if (asButton_) style |= BS_PUSHLIKE | BS_CENTER;
    style |= alignButton_ == TLeftRight::taRightJustify ? BS_LEFTTEXT | BS_LEFT : BS_RIGHT;
    if (this->WordWrap()) style |= BS_MULTILINE;
    return style | BS_BITMAP;
}

template <typename Base>
void TZylCheckControl<Base>::CreateParams(TCreateParams& params) {
    Base::CreateParams(params);
    if (asButton_ && buttonSunk_) params.ExStyle |= win32::WS_EX_CLIENTEDGE;
}

template <typename Base>
void TZylCheckControl<Base>::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) this->Invalidate();
    Base::Notification(component, operation);
}

template <typename Base>
TRect TZylCheckControl<Base>::CaptionRect() const {
    using namespace zylbuttons_check;
    TRect rect = this->ClientRect();
    win32::InflateRect(&rect, -kCaptionMargin, -kCaptionMargin);
    if (!asButton_) {
        // The native control covers this side of the bitmap with its box.
        if (alignButton_ == TLeftRight::taRightJustify)
            rect.right -= kBoxRoom;
        else
            rect.left += kBoxRoom;
    }
    return rect;
}

template <typename Base>
UINT TZylCheckControl<Base>::CaptionFlags() const {
    using namespace win32;
    const UINT alignment = alignment_ == TAlignment::taRightJustify ? DT_RIGHT
                           : alignment_ == TAlignment::taCenter     ? DT_CENTER
                                                                    : DT_LEFT;
    return alignment | (this->WordWrap() ? DT_WORDBREAK : 0) | DT_END_ELLIPSIS | DT_EXPANDTABS | DT_VCENTER;
}

template <typename Base>
void TZylCheckControl<Base>::PaintCaptionBitmap() {
    const TRect client = this->ClientRect();
    const Integer width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        captionBitmap_->SetSize(0, 0);
        this->Perform(win32::BM_SETIMAGE, win32::IMAGE_BITMAP, 0);
        return;
    }
    captionBitmap_->SetSize(width, height);
    TCanvas* canvas = captionBitmap_->Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(this->Color());
    canvas->FillRect(Rect(0, 0, width, height));
    if (TZylBackground* background = Background())
        background->DrawTrans(canvas, width, height, true, this->Color());
    canvas->Brush()->SetStyle(bsClear);
    // The native control shows the picture as it is, so a disabled caption is drawn disabled here.
    font3D_->Write(this->Font(), canvas->Handle(), CaptionRect(), this->Caption(), CaptionFlags(),
                   this->Enabled());
    // The native control selects the bitmap into a DC of its own.
    captionBitmap_->Dormant();
    this->Perform(win32::BM_SETIMAGE, win32::IMAGE_BITMAP,
                  reinterpret_cast<win32::LPARAM>(captionBitmap_->Handle()));
}

template <typename Base>
void TZylCheckControl<Base>::PaintWindow(win32::HDC dc) {
    PaintCaptionBitmap();
    Base::PaintWindow(dc);
}

template class TZylCheckControl<TCheckBox>;
template class TZylCheckControl<TRadioButton>;

VCL_DEFINE_CLASS(TZylCheckbox, TZylCheckControl<vcl::TCheckBox>)
VCL_DEFINE_CLASS(TZylRadiobutton, TZylCheckControl<vcl::TRadioButton>)

}  // namespace lumaro
