// TZylDBStickyLabel: the sticky label showing a field's text; it keeps beside its control exactly
// as TZylStickyLabel does.
#pragma once

#include <cstdint>

#include "pellic/zyltstickylabel.h"
#include "vcl/dbctrls.h"

namespace pellic {

enum class TZylLabelPos : uint8_t { pLeft, pRight, pTop, pBottom };
VCL_ENUM_NAMES(TZylLabelPos, "pLeft", "pRight", "pTop", "pBottom")

class TZylDBStickyLabel : public vcl::TDBText {
    VCL_DECLARE_CLASS(TZylDBStickyLabel, vcl::TDBText)
public:
    explicit TZylDBStickyLabel(vcl::TComponent* owner);

    vcl::TWinControl* AttachToControl() const { return sticky_.Control(); }
    void SetAttachTo(vcl::TWinControl* value);
    TZylLabelPos Position() const { return static_cast<TZylLabelPos>(sticky_.Side()); }
    void SetPosition(TZylLabelPos value);
    vcl::Integer Space() const { return sticky_.Space(); }
    void SetSpace(vcl::Integer value);

    void ReAlign() { sticky_.ReAlign(); }
    void SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width, vcl::Integer height) override;

    static void Publish(vcl::Published<TZylDBStickyLabel>& p) {
        p.Property("AttachToControl", &TZylDBStickyLabel::AttachToControl, &TZylDBStickyLabel::SetAttachTo);
        p.Property("Position", &TZylDBStickyLabel::Position, &TZylDBStickyLabel::SetPosition,
                   TZylLabelPos::pLeft);
        p.Property("Space", &TZylDBStickyLabel::Space, &TZylDBStickyLabel::SetSpace, vcl::Integer{5});
    }

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    TZylStickyAttachment sticky_;
};

}  // namespace pellic
