// Design-time property editors of the enhanced package, installed by Register.
#pragma once

#include "vcl/designeditors.h"

namespace lumaro {

// ColorsInBetween of a gradient: shown as "(Extra Colors)", edited in the colour list dialog.
class TZylColorInBetweenProperty : public vcl::TClassProperty {
    VCL_DECLARE_CLASS(TZylColorInBetweenProperty, vcl::TClassProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void Edit() override;
};

// Every control's Caption: typed in place, or edited in the caption dialog.
class TZylCaptionProperty : public vcl::TStringProperty {
    VCL_DECLARE_CLASS(TZylCaptionProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    void Edit() override;
};

// Every component's Hint: typed in place, or edited in the hint dialog with the short hint in a memo
// and the long one (after "|") in an edit box.
class TZylHintProperty : public vcl::TStringProperty {
    VCL_DECLARE_CLASS(TZylHintProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    void Edit() override;
};

// Slides of a presentation: shown as "(Slides)", edited in the "Slide Configuration" form, which
// changes the collection itself and tells the designer when it closes.
class TZylSlidesProperty : public vcl::TClassProperty {
    VCL_DECLARE_CLASS(TZylSlidesProperty, vcl::TClassProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void Edit() override;
};

}  // namespace lumaro
