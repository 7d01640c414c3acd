// Slide shows: the transition engine with its 54 effects, the slide list, the presentation control
// that shows one slide per timer tick, and the form slide that swaps whole forms inside a host
// control through the same transitions.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace lumaro {

// ---------------------------------------------------------------------------------------------
// Transition effects

enum class TZylSlideeffects : uint8_t {
    efRandom,
    efNone,
    efWipeTopToBottom,
    efWipeBottomToTop,
    efWipeLeftToRight,
    efWipeRightToLeft,
    efStretchUp,
    efStretchDown,
    efStretchLeft,
    efStretchRight,
    efCloseHorizontalCurtain,
    efOpenHorizontalCurtain,
    efCloseVerticalCurtain,
    efOpenVerticalCurtain,
    efVerticalInterlace,
    efHorizontalInterlace,
    efLeftRightDoppel,
    efTopBottomDoppel,
    efRightLeftDoppel,
    efBottomTopDoppel,
    efLeftRightDoppelInOut,
    efTopBottomDoppelInOut,
    efRightLeftDoppelInOut,
    efBottomTopDoppelInOut,
    efLeftTopToRightBottomWipe,
    efLeftBottomToRightTopWipe,
    efRightTopToLeftBottomWipe,
    efRightBottomToLeftTopWipe,
    efLTRBClosingCurtain,
    efRTLBClosingCurtain,
    efQuadVerticalInterlace,
    efQuadHorizontalInterlace,
    efDoppelVerticalInterlace,
    efDoppelHorizontalInterlace,
    efVerticalQuadUp,
    efVerticalDoppelDown,
    efVeticalQuadDown,
    efVerticalDoppelUp,
    efWipeEffect1,
    efWipeEffect2,
    efWipeEffect3,
    efBitBlt,
    efDripVertical,
    efDripHorizontal,
    efStepWipeVertical,
    efStepWipeHorizontal,
    efScreenOff,
    efFadeDown,
    efWipeEffect4,
    efWipeEffect5,
    efWipeEffect6,
    efHorizontalQuadLeft,
    efHorizontalDoppelRight,
    efHorizontalQuadRight,
    efHorizontalDoppelLeft
};
VCL_ENUM_NAMES(TZylSlideeffects, "efRandom", "efNone", "efWipeTopToBottom", "efWipeBottomToTop",
               "efWipeLeftToRight", "efWipeRightToLeft", "efStretchUp", "efStretchDown", "efStretchLeft",
               "efStretchRight", "efCloseHorizontalCurtain", "efOpenHorizontalCurtain",
               "efCloseVerticalCurtain", "efOpenVerticalCurtain", "efVerticalInterlace",
               "efHorizontalInterlace", "efLeftRightDoppel", "efTopBottomDoppel", "efRightLeftDoppel",
               "efBottomTopDoppel", "efLeftRightDoppelInOut", "efTopBottomDoppelInOut",
               "efRightLeftDoppelInOut", "efBottomTopDoppelInOut", "efLeftTopToRightBottomWipe",
               "efLeftBottomToRightTopWipe", "efRightTopToLeftBottomWipe", "efRightBottomToLeftTopWipe",
               "efLTRBClosingCurtain", "efRTLBClosingCurtain", "efQuadVerticalInterlace",
               "efQuadHorizontalInterlace", "efDoppelVerticalInterlace", "efDoppelHorizontalInterlace",
               "efVerticalQuadUp", "efVerticalDoppelDown", "efVeticalQuadDown", "efVerticalDoppelUp",
               "efWipeEffect1", "efWipeEffect2", "efWipeEffect3", "efBitBlt", "efDripVertical",
               "efDripHorizontal", "efStepWipeVertical", "efStepWipeHorizontal", "efScreenOff", "efFadeDown",
               "efWipeEffect4", "efWipeEffect5", "efWipeEffect6", "efHorizontalQuadLeft",
               "efHorizontalDoppelRight", "efHorizontalQuadRight", "efHorizontalDoppelLeft")
using enum TZylSlideeffects;

inline constexpr Integer kSlideEffectCount = 55;

// The effect's name in words, as the slides editor lists it ("Wipe Top To Bottom").
std::string ZylSlideEffectCaption(TZylSlideeffects effect);

// ---------------------------------------------------------------------------------------------
// TZylTransition

// One run of an effect over a width x height area: the steps the effect reveals the new picture in
// (rows, columns, rings, passes, ...), grouped into at most kMaxFrames frames. A frame is shown at
// once, so the order of the pixels inside a step is never seen; what each frame shows is the old
// picture with every step up to the frame's end applied. The last frame always shows the whole new
// picture.
class TZylTransition {
public:
    // Half a second at the pace the components play a transition, whatever the area's size.
    static constexpr Integer kMaxFrames = 30;
    static constexpr Integer kFramesPerSecond = 60;

    // `effect` is an ordinal of TZylSlideeffects: efRandom draws one of the 54 others from the
    // framework's random sequence, and a number outside 0..54 shows as efNone.
    TZylTransition(Integer effect, Integer width, Integer height);

    // The effect that runs (never efRandom).
    TZylSlideeffects Effect() const { return effect_; }
    Integer Width() const { return width_; }
    Integer Height() const { return height_; }
    Integer StepCount() const { return steps_; }
    Integer FrameCount() const { return frames_; }
    // The steps frames 0..frame together have applied.
    Integer StepsThrough(Integer frame) const;

    // Applies frame `frame` from `source` to `target`, both 32-bit bitmaps of the transition's size;
    // frames are applied in order, each once.
    void RenderFrame(Integer frame, vcl::TBitmap* source, vcl::TBitmap* target) const;

private:
    TZylSlideeffects effect_;
    Integer width_;
    Integer height_;
    Integer steps_;
    Integer frames_;
};

// A 32-bit bitmap of the given size, filled with `color`.
std::unique_ptr<vcl::TBitmap> ZylNewSlidePicture(Integer width, Integer height, TColor color);

// Plays `effect` from `source` into `shown` (the picture the control displays, same size), copying
// each frame to (0, 0) of `target` (when there is one) and pacing the frames at kFramesPerSecond on the
// platform clock. After each frame `afterFrame` runs (it processes the application's messages); when it
// returns false the run ends at once. `finish`, asked after each frame, ends the run early by applying the
// remaining frames in one. False when afterFrame ended the run.
bool ZylPlayTransition(Integer effect, vcl::TBitmap* source, vcl::TBitmap* shown, vcl::TCanvas* target,
                       const std::function<bool()>& afterFrame, const std::function<bool()>& finish = {});

// ---------------------------------------------------------------------------------------------
// TZylSlide, TZylSlides

class TZylSlides;

// One slide: a text or a picture, and the effect it appears with.
class TZylSlide : public vcl::TCollectionItem {
    VCL_DECLARE_CLASS(TZylSlide, vcl::TCollectionItem)
public:
    // A slide added to a collection is named "Slide - " and its index.
    explicit TZylSlide(vcl::TCollection* collection);
    ~TZylSlide() override;

    vcl::TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies the bitmap (nullptr empties it).
    void SetBitmap(vcl::TBitmap* value);
    // 1 = text slide, 2 = picture slide; any other value shows only the background.
    Integer Style() const { return style_; }
    void SetStyle(Integer value);
    // An ordinal of TZylSlideeffects.
    Integer Effect() const { return effect_; }
    void SetEffect(Integer value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    const std::string& ID() const { return id_; }
    void SetID(const std::string& value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);

    std::string DisplayName() const override;
    // From another slide: the bitmap, Style, Effect, Text, ID and Stretch.
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylSlide>& p) {
        p.Property("Bitmap", &TZylSlide::Bitmap, &TZylSlide::SetBitmap);
        p.Property("Style", &TZylSlide::Style, &TZylSlide::SetStyle, 0);
        p.Property("Effect", &TZylSlide::Effect, &TZylSlide::SetEffect, 0);
        p.Property("Text", &TZylSlide::Text, &TZylSlide::SetText);
        p.Property("ID", &TZylSlide::ID, &TZylSlide::SetID);
        p.Property("Stretch", &TZylSlide::Stretch, &TZylSlide::SetStretch, false);
    }

private:
    std::unique_ptr<vcl::TBitmap> bitmap_;
    Integer style_ = 0;
    Integer effect_ = 0;
    std::string text_;
    std::string id_;
    bool stretch_ = false;
};

// The slides of a presentation, in showing order.
class TZylSlides : public vcl::TCollection {
    VCL_DECLARE_CLASS(TZylSlides, vcl::TCollection)
public:
    explicit TZylSlides(vcl::TPersistent* owner);

    TZylSlide* Add() { return static_cast<TZylSlide*>(TCollection::Add()); }
    // Raises EListError for an index out of range.
    TZylSlide* Items(int index) const { return static_cast<TZylSlide*>(TCollection::Items(index)); }
    // Frees the slide and names every remaining slide "Slide - " and its new index.
    void Delete(int index);
    // Swaps the contents (ID included) of the two slides; EListError for an index out of range.
    void Move(int from, int to);
    vcl::TPersistent* GetOwner() const override { return owner_; }

private:
    vcl::TPersistent* owner_;
};

// ---------------------------------------------------------------------------------------------
// TZylPresentation

// A slide show: each tick of its thread timer shows the next slide through the slide's effect.
class TZylPresentation : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylPresentation, vcl::TCustomLabel)
public:
    explicit TZylPresentation(vcl::TComponent* owner);
    ~TZylPresentation() override;

    TZylSlides* Slides() const { return slides_.get(); }
    void SetSlides(TZylSlides* value) {
        if (value && value != slides_.get()) slides_->Assign(value);
    }
    // Milliseconds per slide; negative values are ignored. The timer counts to 65535 at most.
    Integer Speed() const { return speed_; }
    void SetSpeed(Integer value);
    bool KeepLooping() const { return keepLooping_; }
    void SetKeepLooping(bool value) { keepLooping_ = value; }
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    // When set, the letters of text slides are filled with it.
    TZylBackground* FontBackground() const { return static_cast<TZylBackground*>(fontBackground_.Get()); }
    void SetFontBackground(TZylBackground* value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    // Copies the values of `value` (nullptr is ignored).
    void SetFont3D(TZylFont3D* value);

    // Starts the show: the first slide comes one Speed interval later.
    void LoopSlides();
    // Ends the show; a transition on its way completes at once.
    void Stop();
    // One timer tick: shows the next slide, raises OnSlideDone, moves on (and raises OnLoopDone
    // after the last slide).
    void RunSlides();
    // Composes slide `index` and shows it through its effect; nothing for an index out of range or
    // while a transition runs.
    void DoOneSlide(Integer index);

    // The index of the slide the next tick shows.
    Integer NextSlide() const { return next_; }
    // True while a transition runs.
    bool Busy() const { return busy_; }
    TZylTimer32* Timer() const { return timer_.get(); }

    vcl::TNotifyEvent OnSlideDone;
    vcl::TNotifyEvent OnLoopDone;

    static void Publish(vcl::Published<TZylPresentation>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, false);
        p.Property("Background", &TZylPresentation::Background, &TZylPresentation::SetBackground);
        PublishColor(p, vcl::clBtnFace);
        PublishEnabled(p);
        p.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
        PublishFont(p);
        p.Property("Font3D", &TZylPresentation::Font3D, &TZylPresentation::SetFont3D);
        p.Property("FontBackground", &TZylPresentation::FontBackground, &TZylPresentation::SetFontBackground);
        p.Property("KeepLooping", &TZylPresentation::KeepLooping, &TZylPresentation::SetKeepLooping, false);
        PublishParentColor(p, true);
        PublishParentFont(p);
        p.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true);
        PublishShowHint(p);
        p.Property("Slides", &TZylPresentation::Slides, &TZylPresentation::SetSlides);
        p.Property("Speed", &TZylPresentation::Speed, &TZylPresentation::SetSpeed, 1000);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        p.Event("OnLoopDone", &TZylPresentation::OnLoopDone);
        p.Event("OnSlideDone", &TZylPresentation::OnSlideDone);
        PublishMouseEvents(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    // The last slide shown; before any, the linked Background or the label's own painting.
    void Paint() override;

private:
    // What a handler may free under a running slide: the frames of the run check it after every
    // call out.
    struct TRun {
        bool alive = true;
        bool stopped = false;
    };

    // The picture of slide `slide` at the control's size, over the background.
    std::unique_ptr<vcl::TBitmap> ComposeSlide(TZylSlide* slide);
    void PaintBackground(vcl::TCanvas* canvas);

    std::unique_ptr<TZylSlides> slides_;
    std::unique_ptr<TZylFont3D> font3D_;
    TZylBackgroundClient background_{this};
    TZylBackgroundClient fontBackground_{this};
    vcl::TComponentPtr<TZylTimer32> timer_;
    // What the control shows after the last transition (empty before the first).
    std::unique_ptr<vcl::TBitmap> shown_;
    Integer speed_ = 1000;
    bool keepLooping_ = false;
    Integer next_ = 0;
    bool busy_ = false;
    TRun* run_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// TZylFormSlide

// A host control that shows one form inside itself; the next form slides in over the picture of the
// previous one with SlideEffect.
class TZylFormSlide : public vcl::TCustomControl {
    VCL_DECLARE_CLASS(TZylFormSlide, vcl::TCustomControl)
public:
    explicit TZylFormSlide(vcl::TComponent* owner);
    ~TZylFormSlide() override;

    TZylSlideeffects SlideEffect() const { return slideEffect_; }
    void SetSlideEffect(TZylSlideeffects value) { slideEffect_ = value; }

    // Shows `form` inside the control. Raises EInvalidOperation for nullptr; does nothing for the form
    // already shown or while a transition runs. The previous form is hidden and given back its
    // parent, or freed when the control made it.
    void Show(vcl::TCustomForm* form);
    // Makes a form of `formClass` (owned by the control, freed when replaced) and shows it.
    vcl::TCustomForm* ShowInstance(vcl::TClass formClass);
    template <typename F>
    F* ShowInstance() {
        return static_cast<F*>(ShowInstance(F::StaticClass()));
    }

    vcl::TCustomForm* Form() const { return form_; }
    bool Busy() const { return busy_; }

    static void Publish(vcl::Published<TZylFormSlide>& p) {
        PublishAlign(p);
        PublishColor(p, vcl::clBtnFace);
        PublishEnabled(p);
        PublishParentColor(p, false);
        PublishShowHint(p);
        p.Property("SlideEffect", &TZylFormSlide::SlideEffect, &TZylFormSlide::SetSlideEffect, efRandom);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishOnResize(p);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;

private:
    struct TRun {
        bool alive = true;
    };

    void Swap(vcl::TCustomForm* form, bool created);

    vcl::TCustomForm* form_ = nullptr;
    // The form that is sliding out, until it is hidden for good or freed.
    vcl::TCustomForm* leaving_ = nullptr;
    bool formCreated_ = false;
    vcl::TWinControl* formParent_ = nullptr;
    std::unique_ptr<vcl::TBitmap> previous_;
    bool busy_ = false;
    TRun* run_ = nullptr;
    TZylSlideeffects slideEffect_ = efRandom;
};

}  // namespace lumaro
