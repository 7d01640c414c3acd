// The plain fill control and the canvas on the whole screen.
#include "lumaro/zylbackgrounds.h"
#include "vcl/forms.h"
#include "win32/user.h"

namespace lumaro {

using namespace vcl;

// ---------------------------------------------------------------------------------------------
// TZylFillBackground

VCL_DEFINE_CLASS(TZylFillBackground, TZylGraphicControl)

TZylFillBackground::TZylFillBackground(TComponent* owner) : TZylGraphicControl(owner) {
    SetBounds(Left(), Top(), 150, 150);
}

void TZylFillBackground::SetAutoSize(bool value) {
    autoSize_ = value;
    Invalidate();
}

void TZylFillBackground::SetBackground(TZylBackground* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylFillBackground::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    TZylGraphicControl::Notification(component, operation);
}

void TZylFillBackground::Paint() {
    if (TZylBackground* background = Background())
        background->Draw(Canvas()->Handle(), Width(), Height(), true);
}

// ---------------------------------------------------------------------------------------------
// TZylScreenCanvas

VCL_DEFINE_CLASS(TZylScreenCanvas, vcl::TComponent)

TZylScreenCanvas::TZylScreenCanvas(TComponent* owner) : TComponent(owner) {}

TZylScreenCanvas::~TZylScreenCanvas() {
    EndPaint();
}

TCanvas* TZylScreenCanvas::Canvas() {
    BeginPaint();
    return canvas_.get();
}

Integer TZylScreenCanvas::Width() const {
    return Screen ? Screen->Width() : win32::GetSystemMetrics(win32::SM_CXSCREEN);
}

Integer TZylScreenCanvas::Height() const {
    return Screen ? Screen->Height() : win32::GetSystemMetrics(win32::SM_CYSCREEN);
}

void TZylScreenCanvas::BeginPaint() {
    if (canvas_) return;
    auto canvas = std::make_unique<TCanvas>();
    dc_ = win32::GetDC(nullptr);
    canvas->SetHandle(dc_);
    canvas_ = std::move(canvas);
}

void TZylScreenCanvas::EndPaint() {
    if (!canvas_) return;
    // The canvas lets go of its pens, brushes and fonts before the DC goes.
    canvas_->SetHandle(nullptr);
    if (dc_) win32::ReleaseDC(nullptr, dc_);
    dc_ = nullptr;
    canvas_.reset();
    if (autoRestore_) RestoreScreen();
}

void TZylScreenCanvas::RestoreScreen() {
    win32::InvalidateRect(nullptr, nullptr, win32::TRUE);
}

}  // namespace lumaro
