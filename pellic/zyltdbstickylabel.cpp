#include "pellic/zyltdbstickylabel.h"

namespace pellic {

VCL_DEFINE_CLASS(TZylDBStickyLabel, vcl::TDBText)

TZylDBStickyLabel::TZylDBStickyLabel(vcl::TComponent* owner) : vcl::TDBText(owner), sticky_(this) {}

void TZylDBStickyLabel::SetAttachTo(vcl::TWinControl* value) {
    sticky_.Attach(value);
}

void TZylDBStickyLabel::SetPosition(TZylLabelPos value) {
    sticky_.SetSide(static_cast<TZylStickyAttachment::TSide>(value));
}

void TZylDBStickyLabel::SetSpace(vcl::Integer value) {
    sticky_.SetSpace(value);
}

void TZylDBStickyLabel::SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width,
                                  vcl::Integer height) {
    const bool moved = left != Left() || top != Top();
    vcl::TDBText::SetBounds(left, top, width, height);
    if (sticky_.Realigning() || IsLoading()) return;
    if (moved && Designing())
        sticky_.CheckForControl();
    else if (!moved)
        sticky_.ReAlign();
}

void TZylDBStickyLabel::Loaded() {
    vcl::TDBText::Loaded();
    if (vcl::TWinControl* control = sticky_.Control()) {
        sticky_.Detach();
        sticky_.Attach(control);
    }
}

void TZylDBStickyLabel::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    vcl::TDBText::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component == sticky_.Control()) sticky_.Detach();
}

}  // namespace pellic
