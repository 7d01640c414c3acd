// The data-aware spin edit: the integer spin edit (zyltspinedit.h) on the framework's data-aware
// edit, bound to a field through DataSource and DataField. The button, the arrow keys and Page Up
// and Page Down step only while the data source edits or inserts (they never start editing
// themselves): otherwise they beep and change nothing. The button focuses the edit before it
// steps, so that the step starts from the field's edit text and is not dropped when the edit takes
// the focus (which reloads the field). Typing starts editing as in TDBEdit.
// Leaving the control while editing writes the value clamped to the limits; an empty (null) field
// stays empty. Value is published for the inspector but not stored: the field holds it.
#pragma once

#include "pellic/zyltspinedit.h"

namespace pellic {

using TZylDBSpinEditBase = TZylSpinEditCore<vcl::TDBEdit>;

class TZylDBCustomSpinEdit : public TZylDBSpinEditBase {
    VCL_DECLARE_CLASS(TZylDBCustomSpinEdit, TZylDBSpinEditBase)
public:
    explicit TZylDBCustomSpinEdit(vcl::TComponent* owner) : TZylDBSpinEditBase(owner) {}

    void DownClick(vcl::TObject* Sender) override;
    void UpClick(vcl::TObject* Sender) override;

protected:
    bool CanStep(bool pageKey) override;
};

class TZylDBSpinEdit : public TZylDBCustomSpinEdit {
    VCL_DECLARE_CLASS(TZylDBSpinEdit, TZylDBCustomSpinEdit)
public:
    explicit TZylDBSpinEdit(vcl::TComponent* owner) : TZylDBCustomSpinEdit(owner) {}

    // After the data-aware edit's own properties.
    static void Publish(vcl::Published<TZylDBSpinEdit>& p) {
        PublishSpinColors(p);
        PublishCutandPaste(p);
        PublishSpinLimits(p);
        PublishValue(p, false);
    }
};

}  // namespace pellic
