#include "pellic/zyltstickylabel.h"

#include "vcl/forms.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylStickyLabel, vcl::TCustomLabel)

// ---------------------------------------------------------------------------------------------
// TZylStickyAttachment

void TZylStickyAttachment::Attach(vcl::TWinControl* control) {
    if (control == control_) return;
    hook_.Remove();
    control_ = control;
    if (!control_) return;
    label_->FreeNotification(control_);
    // Moves and resizes reach the hook as WM_MOVE and WM_SIZE, which only a control with a window
    // hears. On a form that has its window the control gets one now; otherwise it gets it with
    // the form, whose first WM_MOVE and WM_SIZE then place the label.
    vcl::TCustomForm* form = vcl::GetParentForm(control_);
    if (form && form->HandleAllocated() && !label_->IsLoading()) control_->HandleNeeded();
    hook_ = vcl::TWindowProcHook(control_, [this](vcl::TMessage& message, const vcl::TWndMethod& pass) {
        pass(message);
        switch (message.Msg) {
            case WM_MOVE:
            case WM_SIZE:
                ReAlign();
                break;
            case vcl::CM_VISIBLECHANGED:
                if (control_) label_->SetVisible(control_->Visible());
                break;
            default:
                break;
        }
    });
    ReAlign();
}

void TZylStickyAttachment::Detach() {
    hook_.Remove();
    control_ = nullptr;
}

void TZylStickyAttachment::SetSide(TSide value) {
    side_ = value;
    ReAlign();
}

void TZylStickyAttachment::SetSpace(vcl::Integer value) {
    space_ = value;
    ReAlign();
}

void TZylStickyAttachment::ReAlign() {
    if (!control_ || realigning_ || label_->IsLoading()) return;
    struct Flag {
        bool& flag;
        explicit Flag(bool& f) : flag(f) { flag = true; }
        ~Flag() { flag = false; }
    } guard(realigning_);
    vcl::Integer left = control_->Left();
    vcl::Integer top = control_->Top();
    switch (side_) {
        case TSide::Left:
            left = control_->Left() - label_->Width() - space_;
            break;
        case TSide::Right:
            left = control_->Left() + control_->Width() + space_;
            break;
        case TSide::Top:
            top = control_->Top() - label_->Height() - space_;
            break;
        case TSide::Bottom:
            top = control_->Top() + control_->Height() + space_;
            break;
    }
    label_->SetBounds(left, top, label_->Width(), label_->Height());
}

bool TZylStickyAttachment::CheckForControl() {
    vcl::TComponent* owner = label_->Owner();
    if (!owner) return false;
    const RECT mine = label_->BoundsRect();
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* control = dynamic_cast<vcl::TWinControl*>(owner->Components(i));
        if (!control || static_cast<vcl::TControl*>(control) == label_) continue;
        const RECT theirs = control->BoundsRect();
        RECT common{};
        if (!IntersectRect(&common, &mine, &theirs)) continue;
        Attach(control);
        label_->SetFocusControl(control);
        ReAlign();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TZylStickyLabel

TZylStickyLabel::TZylStickyLabel(vcl::TComponent* owner) : vcl::TCustomLabel(owner), sticky_(this) {}

void TZylStickyLabel::SetAttachTo(vcl::TWinControl* value) {
    sticky_.Attach(value);
}

void TZylStickyLabel::SetPosition(TZylPosition value) {
    sticky_.SetSide(static_cast<TZylStickyAttachment::TSide>(value));
}

void TZylStickyLabel::SetSpace(vcl::Integer value) {
    sticky_.SetSpace(value);
}

void TZylStickyLabel::SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width,
                                vcl::Integer height) {
    const bool moved = left != Left() || top != Top();
    vcl::TCustomLabel::SetBounds(left, top, width, height);
    // A resize by AutoSize keeps the label beside its control; a designer's move looks for a new one.
    if (sticky_.Realigning() || IsLoading()) return;
    if (moved && Designing())
        sticky_.CheckForControl();
    else if (!moved)
        sticky_.ReAlign();
}

void TZylStickyLabel::Loaded() {
    vcl::TCustomLabel::Loaded();
    if (vcl::TWinControl* control = sticky_.Control()) {
        sticky_.Detach();
        sticky_.Attach(control);
    }
}

void TZylStickyLabel::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    vcl::TCustomLabel::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component == sticky_.Control()) sticky_.Detach();
}

}  // namespace pellic
