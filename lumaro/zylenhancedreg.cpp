// Registration unit of the enhanced package: puts its components on their palette pages, its
// sub-object classes into the streaming registry and its property editors into the designer.
#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylbuttons.h"
#include "lumaro/zyleditors.h"
#include "lumaro/zylgauges.h"
#include "lumaro/zylheaders.h"
#include "lumaro/zylhints.h"
#include "lumaro/zyllabels.h"
#include "lumaro/zylnavigator.h"
#include "lumaro/zylpresentation.h"
#include "lumaro/zylscroller.h"
#include "lumaro/zylsplash.h"
#include "vcl/classregistration.h"
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

const vcl::TClassRegistration streamingRegistration{
    TZylFont3D::StaticClass(),       TZylFrame::StaticClass(),         TZylGlyph::StaticClass(),
    TZylGradient::StaticClass(),     TZylTexture::StaticClass(),       TZylBrushFill::StaticClass(),
    TZylTimer32::StaticClass(),      TZylBackground::StaticClass(),    TZylFillBackground::StaticClass(),
    TZylScreenCanvas::StaticClass(), TZylLabel::StaticClass(),         TZylDBLabel::StaticClass(),
    TZylFileLabel3D::StaticClass(),  TZylButton::StaticClass(),        TZylArrowButton::StaticClass(),
    TZylRoundButton::StaticClass(),  TZylOfficeButton::StaticClass(),  TZylIEButton::StaticClass(),
    TZylCheckbox::StaticClass(),     TZylRadiobutton::StaticClass(),   TZylHint::StaticClass(),
    TZylHeader::StaticClass(),       TZylHeaderList::StaticClass(),    TZylSlide::StaticClass(),
    TZylPresentation::StaticClass(), TZylFormSlide::StaticClass(),     TZylGauge::StaticClass(),
    TZylPanel::StaticClass(),        TZylImageScroller::StaticClass(), TZylSplashScreen::StaticClass(),
    TZylDBNavigator::StaticClass()};

}  // namespace

void Register() {
    vcl::RegisterClasses({TZylFont3D::StaticClass(), TZylGradient::StaticClass(), TZylTexture::StaticClass(),
                          TZylFrame::StaticClass()});
    vcl::RegisterComponents(
        "Zyl Enhanced",
        {TZylBackground::StaticClass(),   TZylCheckbox::StaticClass(),      TZylRadiobutton::StaticClass(),
         TZylLabel::StaticClass(),        TZylButton::StaticClass(),        TZylIEButton::StaticClass(),
         TZylOfficeButton::StaticClass(), TZylPanel::StaticClass(),         TZylGauge::StaticClass(),
         TZylPresentation::StaticClass(), TZylHint::StaticClass(),          TZylFillBackground::StaticClass(),
         TZylArrowButton::StaticClass(),  TZylRoundButton::StaticClass(),   TZylHeader::StaticClass(),
         TZylHeaderList::StaticClass(),   TZylImageScroller::StaticClass(), TZylScreenCanvas::StaticClass(),
         TZylFileLabel3D::StaticClass(),  TZylFormSlide::StaticClass()});
    vcl::RegisterComponents("Zyl Data-Aware", {TZylDBLabel::StaticClass(), TZylDBNavigator::StaticClass()});
    vcl::RegisterComponents("Zyl Dialogs", {TZylSplashScreen::StaticClass()});
    vcl::RegisterComponents("Zyl System", {TZylTimer32::StaticClass()});
    vcl::RegisterPropertyEditor("TStrings", TZylGradient::StaticClass(), "ColorsInBetween",
                                TZylColorInBetweenProperty::StaticClass());
    vcl::RegisterPropertyEditor("string", vcl::TComponent::StaticClass(), "Hint",
                                TZylHintProperty::StaticClass());
    vcl::RegisterPropertyEditor("TCaption", vcl::TControl::StaticClass(), "Caption",
                                TZylCaptionProperty::StaticClass());
    vcl::RegisterPropertyEditor("TZylSlides", TZylPresentation::StaticClass(), "Slides",
                                TZylSlidesProperty::StaticClass());
    vcl::RegisterPropertyEditor("TZylEnhancedExecStr", TZylEnhancedExecComponent::StaticClass(),
                                "DesignExecute", TZylExecEnhancedProperty::StaticClass());
}

}  // namespace lumaro
