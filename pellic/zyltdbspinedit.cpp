#include "pellic/zyltdbspinedit.h"

#include "vcl/classregistration.h"
#include "win32/user.h"

namespace pellic {

namespace zyltdbspinedit {
const vcl::TClassRegistration streamingRegistration{TZylDBSpinEdit::StaticClass()};
}  // namespace zyltdbspinedit

VCL_DEFINE_CLASS(TZylDBCustomSpinEdit, TZylDBSpinEditBase)
VCL_DEFINE_CLASS(TZylDBSpinEdit, TZylDBCustomSpinEdit)

void TZylDBCustomSpinEdit::UpClick(vcl::TObject* Sender) {
    if (!Focused() && CanFocus()) SetFocus();
    TZylDBSpinEditBase::UpClick(Sender);
}

void TZylDBCustomSpinEdit::DownClick(vcl::TObject* Sender) {
    if (!Focused() && CanFocus()) SetFocus();
    TZylDBSpinEditBase::DownClick(Sender);
}

bool TZylDBCustomSpinEdit::CanStep(bool pageKey) {
    if (!TZylDBSpinEditBase::CanStep(pageKey)) return false;
    // Only a record being edited or inserted, in a field the link may write (the edit's own
    // read-only state says so), takes a step.
    const vcl::TDataSource* source = DataSource();
    if (source && (source->State() == vcl::dsEdit || source->State() == vcl::dsInsert) &&
        !vcl::TCustomEdit::ReadOnly())
        return true;
    win32::MessageBeep(0);
    return false;
}

}  // namespace pellic
