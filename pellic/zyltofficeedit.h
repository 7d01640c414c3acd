// TZylOfficeEdit: a flat edit that shows a thin sunken frame only while it is "hot": focused, or
// under the mouse while no other office edit of its kind has the focus (in the designer: whenever
// it is enabled). The frame takes 3 pixels on every side outside the client area; otherwise the
// frame is drawn in the button face and window colours, so the edit looks flat on its form. Its
// height follows its font (text height + 6), and its colour follows Enabled (the window colour,
// or the button face while disabled).
//
// TZylDBOfficeEdit (zyltdbofficeedit.h) is the same edit on the framework's data-aware edit.
#pragma once

#include "vcl/stdctrls.h"

namespace pellic {

template <typename Base>
class TZylOfficeEditCore : public Base {
public:
    explicit TZylOfficeEditCore(vcl::TComponent* owner);

    // Whether the frame is drawn sunken.
    bool Hot() const;

    // The properties and events both office edits publish; the data-aware one shows its field, not
    // a Text of its own.
    template <typename T>
    static void PublishOfficeEdit(vcl::Published<T>& p, bool text) {
        p.Property("CharCase", &vcl::TCustomEdit::CharCase, &vcl::TCustomEdit::SetCharCase, vcl::ecNormal);
        Base::PublishColor(p, vcl::clWindow);
        Base::PublishEnabled(p);
        Base::PublishFont(p);
        Base::PublishHideSelectionMaxLength(p);
        p.Property("OEMConvert", &vcl::TCustomEdit::OEMConvert, &vcl::TCustomEdit::SetOEMConvert, false);
        Base::PublishParentFont(p);
        Base::PublishPasswordChar(p);
        Base::PublishReadOnly(p);
        Base::PublishTabOrder(p);
        Base::PublishTabStop(p, true);
        if (text) Base::PublishText(p);
        Base::PublishVisible(p);
        Base::PublishOnChange(p);
        Base::PublishMouseEvents(p);
        Base::PublishFocusEvents(p);
        Base::PublishKeyEvents(p);
    }

    void WndProc(vcl::TMessage& message) override;

protected:
    void Loaded() override;
    // Whether `control` is an office edit of this one's kind, whose focus keeps this one flat.
    virtual bool SameKind(const vcl::TControl* control) const = 0;

private:
    void DrawFrame();
    void FitHeight();

    bool mouseOver_ = false;
};

class TZylOfficeEdit : public TZylOfficeEditCore<vcl::TCustomEdit> {
    VCL_DECLARE_CLASS(TZylOfficeEdit, TZylOfficeEditCore<vcl::TCustomEdit>)
public:
    explicit TZylOfficeEdit(vcl::TComponent* owner) : TZylOfficeEditCore(owner) {}

    static void Publish(vcl::Published<TZylOfficeEdit>& p) { PublishOfficeEdit(p, true); }

protected:
    bool SameKind(const vcl::TControl* control) const override {
        return dynamic_cast<const TZylOfficeEdit*>(control) != nullptr;
    }
};

}  // namespace pellic
