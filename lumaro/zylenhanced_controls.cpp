// The base classes of the enhanced package's windowed controls and the link to a shared background.
#include "lumaro/zylenhanced.h"

namespace lumaro {

using namespace vcl;

TZylCustomControl::TZylCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>()) {
    canvas_->SetControl(this);
}

TZylCustomControl::~TZylCustomControl() {
    if (background_) background_->RemoveItem(this);
    canvas_->FreeHandle();
}

void TZylCustomControl::SetBackground(TZylBackgroundLink* value) {
    if (background_) {
        background_->RemoveItem(this);
        background_->RemoveFreeNotification(this);
    }
    if (value) value->AddItem(this);
    background_ = value;
    if (value) value->FreeNotification(this);
    Invalidate();
}

void TZylCustomControl::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component == background_) SetBackground(nullptr);
    TWinControl::Notification(component, operation);
}

void TZylCustomControl::DestroyWindowHandle() {
    canvas_->FreeHandle();
    TWinControl::DestroyWindowHandle();
}

void TZylCustomControl::Paint() {
    canvas_->Brush()->SetColor(clBtnFace);
    canvas_->Brush()->SetStyle(bsSolid);
    if (background_)
        background_->Draw(canvas_->Handle(), Width(), Height(), true);
    else
        canvas_->FillRect(Rect(0, 0, Width(), Height()));
}

void TZylCustomControl::PaintWindow(win32::HDC dc) {
    canvas_->Lock();
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
}

}  // namespace lumaro
