// The exploding outline: rectangles drawn on the screen from a start rectangle out to the form when
// it is shown, and from the form to an end rectangle when it is hidden.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "orvane/zylsystem.h"
#include "vcl/forms.h"

namespace orvane {

enum class TZylShowType : uint8_t { onAlways, onShow, onHide };
VCL_ENUM_NAMES(TZylShowType, "onAlways", "onShow", "onHide")
using enum TZylShowType;

enum class TZylWipeType : uint8_t {
    wsFormTopBorder,
    wsFormBottomBorder,
    wsFormLeftBorder,
    wsFormRightBorder,
    wsScreenTopBorder,
    wsScreenBottomBorder,
    wsScreenLeftBorder,
    wsScreenRightBorder,
    wsFormTopLeft,
    wsFormBottomLeft,
    wsFormTopRight,
    wsFormBottomRight,
    wsScreenTopLeft,
    wsScreenBottomLeft,
    wsScreenTopRight,
    wsScreenBottomRight,
    wsFormMiddle,
    wsScreenMiddle,
    wsCustompoint,
};
VCL_ENUM_NAMES(TZylWipeType, "wsFormTopBorder", "wsFormBottomBorder", "wsFormLeftBorder", "wsFormRightBorder",
               "wsScreenTopBorder", "wsScreenBottomBorder", "wsScreenLeftBorder", "wsScreenRightBorder",
               "wsFormTopLeft", "wsFormBottomLeft", "wsFormTopRight", "wsFormBottomRight", "wsScreenTopLeft",
               "wsScreenBottomLeft", "wsScreenTopRight", "wsScreenBottomRight", "wsFormMiddle",
               "wsScreenMiddle", "wsCustompoint")
using enum TZylWipeType;

using TZylOnGetPoints =
    std::function<void(vcl::TObject* Sender, vcl::Integer& CustomLeft, vcl::Integer& CustomTop,
                       vcl::Integer& CustomRight, vcl::Integer& CustomBottom)>;

// Owned by a form (EInvalidCast otherwise), whose OnShow, OnPaint and OnHide it takes over; the
// form's own handlers run after its part. Armed at creation and by every paint, it animates the
// next show (ShowType onAlways or onShow) and hide (onAlways or onHide). Each animation draws
// NoOfSteps + 1 outlines (0 steps count as 1) from one rectangle towards the other, in equal steps
// truncated per side, then the last rectangle, and then draws the very same outlines again, which
// takes them off: the outlines are inverted (R2_NOTXORPEN, black pen, no fill) on the screen's
// device context, so the screen is left as it was. Messages are processed between outlines.
class TZylFormExplode : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylFormExplode, TZylSystemsComponent)
public:
    explicit TZylFormExplode(vcl::TComponent* owner);
    ~TZylFormExplode() override;

    uint16_t NoOfSteps() const { return noOfSteps_; }
    void SetNoOfSteps(uint16_t value) { noOfSteps_ = value; }
    TZylShowType ShowType() const { return showType_; }
    void SetShowType(TZylShowType value) { showType_ = value; }
    TZylWipeType OnShowType() const { return onShowType_; }
    void SetOnShowType(TZylWipeType value) { onShowType_ = value; }
    TZylWipeType OnCloseType() const { return onCloseType_; }
    void SetOnCloseType(TZylWipeType value) { onCloseType_ = value; }
    uint16_t CustomLeft() const { return customLeft_; }
    void SetCustomLeft(uint16_t value) { customLeft_ = value; }
    uint16_t CustomTop() const { return customTop_; }
    void SetCustomTop(uint16_t value) { customTop_ = value; }
    uint16_t CustomRight() const { return customRight_; }
    void SetCustomRight(uint16_t value) { customRight_ = value; }
    uint16_t CustomBottom() const { return customBottom_; }
    void SetCustomBottom(uint16_t value) { customBottom_ = value; }

    // The rectangle a wipe type gives for the form's bounds now (before OnGetPoints).
    vcl::TRect WipeRect(TZylWipeType wipe) const;
    // The outlines of one animation from `from` towards `to`, in drawing order, `to` last.
    std::vector<vcl::TRect> Outlines(const vcl::TRect& from, const vcl::TRect& to) const;

    TZylOnGetPoints OnGetPoints;

    static void Publish(vcl::Published<TZylFormExplode>& p) {
        p.Property("NoOfSteps", &TZylFormExplode::NoOfSteps, &TZylFormExplode::SetNoOfSteps, uint16_t{40});
        p.Property("ShowType", &TZylFormExplode::ShowType, &TZylFormExplode::SetShowType, onAlways);
        p.Property("OnShowType", &TZylFormExplode::OnShowType, &TZylFormExplode::SetOnShowType, wsFormMiddle);
        p.Property("OnCloseType", &TZylFormExplode::OnCloseType, &TZylFormExplode::SetOnCloseType,
                   wsFormMiddle);
        p.Property("CustomLeft", &TZylFormExplode::CustomLeft, &TZylFormExplode::SetCustomLeft, uint16_t{0});
        p.Property("CustomTop", &TZylFormExplode::CustomTop, &TZylFormExplode::SetCustomTop, uint16_t{0});
        p.Property("CustomRight", &TZylFormExplode::CustomRight, &TZylFormExplode::SetCustomRight,
                   uint16_t{0});
        p.Property("CustomBottom", &TZylFormExplode::CustomBottom, &TZylFormExplode::SetCustomBottom,
                   uint16_t{0});
        p.Event<TZylOnGetPoints>("OnGetPoints", &TZylFormExplode::OnGetPoints);
    }

private:
    vcl::TCustomForm* Form() const;
    vcl::TRect FormBounds() const;
    // The wipe type's rectangle as OnGetPoints leaves it.
    vcl::TRect EndPoint(TZylWipeType wipe);
    void FormShown();
    void FormHidden();
    // Draws each outline on the screen, processing messages after each while `pump`.
    void DrawOutlines(const std::vector<vcl::TRect>& outlines, bool pump);
    void Animate(const std::vector<vcl::TRect>& outlines);

    uint16_t noOfSteps_ = 40;
    TZylShowType showType_ = onAlways;
    TZylWipeType onShowType_ = wsFormMiddle;
    TZylWipeType onCloseType_ = wsFormMiddle;
    uint16_t customLeft_ = 0;
    uint16_t customTop_ = 0;
    uint16_t customRight_ = 0;
    uint16_t customBottom_ = 0;
    bool armed_ = true;
    TZylEventTakeover<vcl::TNotifyEvent> showTakeover_;
    TZylEventTakeover<vcl::TNotifyEvent> paintTakeover_;
    TZylEventTakeover<vcl::TNotifyEvent> hideTakeover_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane
