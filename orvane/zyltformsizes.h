// Two hooks that shape their form while the user sizes it: TZylFormAspect keeps a fixed aspect
// while an edge is dragged and sets the maximized size from a ratio, TZylFormSizes sets minimum
// and maximum track sizes.
#pragma once

#include <functional>

#include "orvane/zylsystem.h"
#include "vcl/graphics.h"

namespace orvane {

using TZylOnClientModified = std::function<void(vcl::TObject* Sender, vcl::Integer& X, vcl::Integer& Y)>;
using TZylBeforeResizing = std::function<void(vcl::TObject* Sender, vcl::TRect& R)>;

// While an edge is dragged (WM_SIZING) the client part's height is kept at 42/40 of its width: the
// dragged side decides, the opposite one follows (EstablishAspectRatio). The maximized size (in
// WM_GETMINMAXINFO) takes the proposed width and the height RatioHeight / RatioWidth of it, or the
// proposed height and the width from it when that is taller than the screen; a ratio with a side
// of 0 or less leaves the maximized size as proposed. With Client, the frame (the form's size less
// its client size, as OnClientModified may change it) is added to the client parts. BeforeResizing
// may change each computed rectangle. Both messages end here; the others go on to the form.
class TZylFormAspect : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylFormAspect, TZylHookComponent)
public:
    explicit TZylFormAspect(vcl::TComponent* owner) : TZylHookComponent(owner) {}

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    vcl::Integer RatioWidth() const { return ratioWidth_; }
    void SetRatioWidth(vcl::Integer value) { ratioWidth_ = value; }
    vcl::Integer RatioHeight() const { return ratioHeight_; }
    void SetRatioHeight(vcl::Integer value) { ratioHeight_ = value; }
    bool Client() const { return client_; }
    void SetClient(bool value) { client_ = value; }

    TZylOnClientModified OnClientModified;
    TZylBeforeResizing BeforeResizing;

    static void Publish(vcl::Published<TZylFormAspect>& p) {
        p.Property("Enabled", &TZylFormAspect::Enabled, &TZylFormAspect::SetEnabled, true);
        p.Property("RatioWidth", &TZylFormAspect::RatioWidth, &TZylFormAspect::SetRatioWidth, 1);
        p.Property("RatioHeight", &TZylFormAspect::RatioHeight, &TZylFormAspect::SetRatioHeight, 1);
        p.Property("Client", &TZylFormAspect::Client, &TZylFormAspect::SetClient, true);
        p.Event<TZylOnClientModified>("OnClientModified", &TZylFormAspect::OnClientModified);
        p.Event<TZylBeforeResizing>("BeforeResizing", &TZylFormAspect::BeforeResizing);
    }

protected:
    void Hooked(vcl::TMessage& message) override;
    // Fixes `rect` (screen coordinates) for a drag of `edge` (WMSZ_*), frame X by Y.
    virtual void EstablishAspectRatio(win32::WPARAM edge, vcl::TRect& rect, vcl::Integer x, vcl::Integer y);

private:
    // The frame's width and height added to the client parts.
    void FrameSize(vcl::Integer& x, vcl::Integer& y);
    void MaximizedSize(win32::MINMAXINFO& info, vcl::Integer x, vcl::Integer y);

    bool enabled_ = true;
    vcl::Integer ratioWidth_ = 1;
    vcl::Integer ratioHeight_ = 1;
    bool client_ = true;
};

enum class TZylFormSizeOption : uint8_t { MinimumWidth, MaximumWidth, MinimumHeight, MaximumHeight };
VCL_ENUM_NAMES(TZylFormSizeOption, "MinimumWidth", "MaximumWidth", "MinimumHeight", "MaximumHeight")
using TZylFormSizeOptions = vcl::Set<TZylFormSizeOption>;

// At run time every limit above 0 goes into the form's WM_GETMINMAXINFO answer (MinWidth and
// MinHeight as the minimum track size, MaxWidth and MaxHeight as the maximum). In the designer,
// resizing the form copies its width or height into the limits that Options name.
class TZylFormSizes : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylFormSizes, TZylHookComponent)
public:
    explicit TZylFormSizes(vcl::TComponent* owner) : TZylHookComponent(owner) {}

    vcl::Integer MinWidth() const { return minWidth_; }
    void SetMinWidth(vcl::Integer value) { minWidth_ = value; }
    vcl::Integer MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(vcl::Integer value) { maxWidth_ = value; }
    vcl::Integer MinHeight() const { return minHeight_; }
    void SetMinHeight(vcl::Integer value) { minHeight_ = value; }
    vcl::Integer MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(vcl::Integer value) { maxHeight_ = value; }
    TZylFormSizeOptions Options() const { return options_; }
    void SetOptions(TZylFormSizeOptions value) { options_ = value; }

    static void Publish(vcl::Published<TZylFormSizes>& p) {
        p.Property("MinWidth", &TZylFormSizes::MinWidth, &TZylFormSizes::SetMinWidth, 0);
        p.Property("MaxWidth", &TZylFormSizes::MaxWidth, &TZylFormSizes::SetMaxWidth, 0);
        p.Property("MinHeight", &TZylFormSizes::MinHeight, &TZylFormSizes::SetMinHeight, 0);
        p.Property("MaxHeight", &TZylFormSizes::MaxHeight, &TZylFormSizes::SetMaxHeight, 0);
        p.Property("Options", &TZylFormSizes::Options, &TZylFormSizes::SetOptions, TZylFormSizeOptions{});
    }

protected:
    void Hooked(vcl::TMessage& message) override;

private:
    void FollowDesignedSize();
    void ApplyLimits(win32::MINMAXINFO& info) const;

    vcl::Integer minWidth_ = 0;
    vcl::Integer maxWidth_ = 0;
    vcl::Integer minHeight_ = 0;
    vcl::Integer maxHeight_ = 0;
    TZylFormSizeOptions options_;
};

}  // namespace orvane
