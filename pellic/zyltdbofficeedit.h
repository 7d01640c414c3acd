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
        p.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, vcl::ecNormal);
        PublishColor(p, vcl::clWindow);
        p.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
        p.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        p.Property("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert, false);
        PublishParentFont(p);
        PublishPasswordChar(p);
        PublishReadOnly(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    bool SameKind(const vcl::TControl* control) const override {
        return dynamic_cast<const TZylDBOfficeEdit*>(control) != nullptr;
    }
};

}  // namespace pellic
