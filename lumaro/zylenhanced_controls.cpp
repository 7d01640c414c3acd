// The base classes of the enhanced package's windowed controls and the link to a shared background.
#include "lumaro/zylenhanced.h"

namespace lumaro {

using namespace vcl;

// ---------------------------------------------------------------------------------------------
// TZylBackgroundClient

TZylBackgroundClient::~TZylBackgroundClient() {
    if (background_) background_->RemoveItem(control_);
}

bool TZylBackgroundClient::Set(TZylBackgroundLink* value, const TZylBackgroundClient* sibling) {
    if (value == background_) return false;
    if (background_) {
        background_->RemoveItem(control_);
        if (!sibling || sibling->background_ != background_) background_->RemoveFreeNotification(control_);
    }
    background_ = value;
    if (value) {
        value->AddItem(control_);
        value->FreeNotification(control_);
    }
    return true;
}

bool TZylBackgroundClient::Drop(const TComponent* component) {
    if (!component || component != background_) return false;
    // A background on its way out forgets its clients with itself; one that merely leaves its owner
    // is still whole and is told.
    TZylBackgroundLink* gone = background_;
    background_ = nullptr;
    if (!gone->IsDestroying()) gone->RemoveItem(control_);
    return true;
}

// ---------------------------------------------------------------------------------------------
// TZylCustomControl

VCL_DEFINE_CLASS(TZylCustomControl, vcl::TWinControl)

TZylCustomControl::TZylCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
}

TZylCustomControl::~TZylCustomControl() {
    canvas_->FreeHandle();
}

void TZylCustomControl::SetBackground(TZylBackgroundLink* value) {
    if (background_.Set(value)) Invalidate();
}

void TZylCustomControl::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && background_.Drop(component)) Invalidate();
    TWinControl::Notification(component, operation);
}

void TZylCustomControl::DestroyWindowHandle() {
    canvas_->FreeHandle();
    TWinControl::DestroyWindowHandle();
}

void TZylCustomControl::Paint() {
    canvas_->Brush()->SetColor(clBtnFace);
    canvas_->Brush()->SetStyle(bsSolid);
    if (TZylBackgroundLink* background = background_.Get())
        background->Draw(canvas_->Handle(), Width(), Height(), true);
    else
        canvas_->FillRect(Rect(0, 0, Width(), Height()));
}

void TZylCustomControl::PaintWindow(win32::HDC dc) {
    const TCanvasPaintScope scope(canvas_.get(), dc);
    Paint();
}

}  // namespace lumaro
