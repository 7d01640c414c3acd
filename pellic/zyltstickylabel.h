// TZylStickyLabel: a label that keeps to one side of a windowed control, Space pixels away, and
// follows it as it moves, resizes, hides and shows. The label watches the control through a hook on
// its window procedure, which comes off when the label or the control goes, in either order. In the
// designer, a label dropped onto a control attaches itself to that control.
#pragma once

#include <cstdint>

#include "vcl/stdctrls.h"
#include "vcl/wndhooks.h"

namespace pellic {

enum class TZylPosition : uint8_t { pLeft, pRight, pTop, pBottom };
VCL_ENUM_NAMES(TZylPosition, "pLeft", "pRight", "pTop", "pBottom")

// What both sticky labels do: the control they follow and where they sit beside it. The label owns
// one of these; it calls Detach from its Notification when the control goes away.
class TZylStickyAttachment {
public:
    enum class TSide : uint8_t { Left, Right, Top, Bottom };

    explicit TZylStickyAttachment(vcl::TCustomLabel* label) : label_(label) {}

    vcl::TWinControl* Control() const { return control_; }
    void Attach(vcl::TWinControl* control);
    void Detach();
    TSide Side() const { return side_; }
    void SetSide(TSide value);
    vcl::Integer Space() const { return space_; }
    void SetSpace(vcl::Integer value);

    // Moves the label beside the control, keeping its size.
    void ReAlign();
    bool Realigning() const { return realigning_; }
    // In the designer: attaches to the first other windowed control of the label's owner whose
    // bounds meet the label's. True when it attached.
    bool CheckForControl();

private:
    vcl::TCustomLabel* label_;
    vcl::TWinControl* control_ = nullptr;
    TSide side_ = TSide::Left;
    vcl::Integer space_ = 5;
    bool realigning_ = false;
    vcl::TWindowProcHook hook_;
};

class TZylStickyLabel : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylStickyLabel, vcl::TCustomLabel)
public:
    explicit TZylStickyLabel(vcl::TComponent* owner);

    vcl::TWinControl* AttachToControl() const { return sticky_.Control(); }
    void SetAttachTo(vcl::TWinControl* value);
    TZylPosition Position() const { return static_cast<TZylPosition>(sticky_.Side()); }
    void SetPosition(TZylPosition value);
    vcl::Integer Space() const { return sticky_.Space(); }
    void SetSpace(vcl::Integer value);

    void ReAlign() { sticky_.ReAlign(); }
    void SetBounds(vcl::Integer left, vcl::Integer top, vcl::Integer width, vcl::Integer height) override;

    static void Publish(vcl::Published<TZylStickyLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("AttachToControl", &TZylStickyLabel::AttachToControl, &TZylStickyLabel::SetAttachTo);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, true);
        PublishCaption(p);
        PublishColor(p, vcl::clBtnFace);
        PublishEnabled(p);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("Position", &TZylStickyLabel::Position, &TZylStickyLabel::SetPosition,
                   TZylPosition::pLeft);
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true);
        PublishShowHint(p);
        p.Property("Space", &TZylStickyLabel::Space, &TZylStickyLabel::SetSpace, vcl::Integer{5});
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        p.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, vcl::tlTop);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
    }

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    TZylStickyAttachment sticky_;
};

}  // namespace pellic
