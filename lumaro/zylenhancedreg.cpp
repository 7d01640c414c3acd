// Registration unit of the enhanced package: puts its components on their palette pages, its
// sub-object classes into the streaming registry and its property editors into the designer.
#include "lumaro/zylenhanced.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"

namespace lumaro {

namespace {

// DesignExecute of an executable component: a button-like entry that runs the component.
class TZylExecEnhancedProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylExecEnhancedProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return "(Execute Test)"; }
    void Edit() override {
        if (auto* component = dynamic_cast<TZylEnhancedExecComponent*>(GetComponent(0))) component->Execute();
    }
};

}  // namespace

void Register() {
    vcl::RegisterClasses({TZylFont3D::StaticClass(), TZylFrame::StaticClass()});
    vcl::RegisterComponents("Zyl System", {TZylTimer32::StaticClass()});
    vcl::RegisterPropertyEditor("TZylEnhancedExecStr", TZylEnhancedExecComponent::StaticClass(),
                                "DesignExecute", TZylExecEnhancedProperty::StaticClass());
}

}  // namespace lumaro
