// TZylFormDivider: a captioned line across its form. The caption is centred in a gap of the line;
// the line is a single edge (bdr styles) or a double one (frm styles), sunken, raised or etched.
// With AlignWidth the divider keeps SideSpace from the form's left side and spans its width less
// twice SideSpace and the frame (9 pixels), following the form as it is resized. The divider
// watches its owner's messages when the owner is a windowed control (its form); with any other
// owner it simply draws where it is put.
#pragma once

#include <cstdint>

#include "vcl/stdctrls.h"
#include "vcl/wndhooks.h"

namespace pellic {

enum class TZylDivBorder : uint8_t { bdrSunken, bdrRaised, bdrEtched, frmSunken, frmRaised, frmEtched };
VCL_ENUM_NAMES(TZylDivBorder, "bdrSunken", "bdrRaised", "bdrEtched", "frmSunken", "frmRaised", "frmEtched")

class TZylFormDivider : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylFormDivider, vcl::TCustomLabel)
public:
    explicit TZylFormDivider(vcl::TComponent* owner);

    bool AlignWidth() const { return alignWidth_; }
    void SetAlignWidth(bool value);
    TZylDivBorder BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TZylDivBorder value);
    vcl::Integer SideSpace() const { return sideSpace_; }
    void SetSideSpace(vcl::Integer value);

    static void Publish(vcl::Published<TZylFormDivider>& p) {
        p.Property("AlignWidth", &TZylFormDivider::AlignWidth, &TZylFormDivider::SetAlignWidth, true);
        p.Property("BorderStyle", &TZylFormDivider::BorderStyle, &TZylFormDivider::SetBorderStyle,
                   TZylDivBorder::bdrEtched);
        PublishCaption(p);
        PublishFont(p);
        PublishParentFont(p);
        p.Property("SideSpace", &TZylFormDivider::SideSpace, &TZylFormDivider::SetSideSpace,
                   vcl::Integer{20});
        PublishVisible(p);
    }

protected:
    void Loaded() override;
    void Paint() override;

private:
    // Left and width from the owner's width, when AlignWidth is on and the owner is a control.
    void AlignToOwner();

    bool alignWidth_ = true;
    TZylDivBorder borderStyle_ = TZylDivBorder::bdrEtched;
    vcl::Integer sideSpace_ = 20;
    vcl::TWindowProcHook ownerHook_;
};

}  // namespace pellic
