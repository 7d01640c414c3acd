// TZylDBOfficeEdit: the office edit (zyltofficeedit.h) on the framework's data-aware edit, showing
// and editing one field of a dataset.
#pragma once

#include "pellic/zyltofficeedit.h"
#include "vcl/dbctrls.h"

namespace pellic {

class TZylDBOfficeEdit : public TZylOfficeEditCore<vcl::TDBEdit> {
    VCL_DECLARE_CLASS(TZylDBOfficeEdit, TZylOfficeEditCore<vcl::TDBEdit>)
public:
    explicit TZylDBOfficeEdit(vcl::TComponent* owner) : TZylOfficeEditCore(owner) {}

    static void Publish(vcl::Published<TZylDBOfficeEdit>& p) {
        PublishOfficeEdit(p, false);
        p.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
        p.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
    }

protected:
    bool SameKind(const vcl::TControl* control) const override {
        return dynamic_cast<const TZylDBOfficeEdit*>(control) != nullptr;
    }
};

}  // namespace pellic
