// TZylAnimator: the platform's animation control, playing a silent AVI clip from a file or from a
// module's resources (uncompressed or RLE8 frames; see win32/avi.h).
//
// Filename and Action say what is shown: with a file named and Action sOpen the clip shows its
// first frame, with sBusy it plays PlayFrom to PlayTo (-1: the last frame) Cycles times (-1: in
// an endless loop). With AutoAnimate the control plays any clip it opens in an endless loop; then
// even sClosed keeps the clip open. A clip that cannot be read raises EZylAnimatorError
// ("Unable to open AVI "" and the name) when Filename or Action is set in code; a form that names a
// missing clip still loads, and the control shows nothing.
#pragma once

#include <cstdint>
#include <string>

#include "vcl/controls.h"

namespace pellic {

using vcl::Exception;
VCL_DECLARE_EXCEPTION(EZylAnimatorError, Exception)

enum class TZylState : uint8_t { sOpen, sClosed, sBusy };
VCL_ENUM_NAMES(TZylState, "sOpen", "sClosed", "sBusy")

class TZylAnimator : public vcl::TWinControl {
    VCL_DECLARE_CLASS(TZylAnimator, vcl::TWinControl)
public:
    explicit TZylAnimator(vcl::TComponent* owner);

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value);
    TZylState Action() const { return action_; }
    void SetAction(TZylState value);
    // These three are window styles: changing one makes the window again.
    bool AutoAnimate() const { return autoAnimate_; }
    void SetAutoAnimate(bool value) { SetStyleFlag(autoAnimate_, value); }
    bool Center() const { return center_; }
    void SetCenter(bool value) { SetStyleFlag(center_, value); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { SetStyleFlag(transparent_, value); }
    int16_t PlayFrom() const { return playFrom_; }
    void SetPlayFrom(int16_t value);
    int16_t PlayTo() const { return playTo_; }
    void SetPlayTo(int16_t value);
    int16_t Cycles() const { return cycles_; }
    void SetCycles(int16_t value);

    // Opens the clip resource of that number in `module` (the program's by default), or a file,
    // and applies the play range; EZylAnimatorError when it cannot be read.
    void OpenResource(int id, win32::HINSTANCE module = nullptr);
    void OpenAVIFile(const std::string& name);

    static void Publish(vcl::Published<TZylAnimator>& p) {
        p.Property("Action", &TZylAnimator::Action, &TZylAnimator::SetAction, TZylState::sClosed);
        p.Property("AutoAnimate", &TZylAnimator::AutoAnimate, &TZylAnimator::SetAutoAnimate, true);
        p.Property("Center", &TZylAnimator::Center, &TZylAnimator::SetCenter, true);
        p.Property("Cycles", &TZylAnimator::Cycles, &TZylAnimator::SetCycles, int16_t{-1});
        PublishEnabled(p);
        p.Property("Filename", &TZylAnimator::Filename, &TZylAnimator::SetFilename, std::string());
        p.Property("PlayFrom", &TZylAnimator::PlayFrom, &TZylAnimator::SetPlayFrom, int16_t{0});
        p.Property("PlayTo", &TZylAnimator::PlayTo, &TZylAnimator::SetPlayTo, int16_t{-1});
        p.Property("Transparent", &TZylAnimator::Transparent, &TZylAnimator::SetTransparent, true);
        PublishVisible(p);
        PublishMouseEvents(p);
    }

    void WndProc(vcl::TMessage& message) override;

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void CreateWnd() override;

private:
    void SetStyleFlag(bool& flag, bool value);
    // Opens or closes the clip as Filename and Action say; `raise` reports a clip that cannot be read.
    void ShowClip(bool raise);
    void ApplyPlayRange();

    std::string filename_;
    TZylState action_ = TZylState::sClosed;
    bool autoAnimate_ = true, center_ = true, transparent_ = true;
    int16_t playFrom_ = 0, playTo_ = -1, cycles_ = -1;
};

}  // namespace pellic
