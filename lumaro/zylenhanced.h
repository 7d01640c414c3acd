// The enhanced package's shared core: the persistent sub-objects every painted control uses (3D text,
// frames, glyph strips), the free painting routines, the thread-driven timer, and the base classes of
// the package's windowed, windowless and executable components.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "vcl/classes.h"
#include "vcl/controls.h"
#include "vcl/graphics.h"
#include "vcl/threads.h"
#include "win32/kernel.h"

namespace lumaro {

using vcl::Byte;
using vcl::Integer;
using vcl::TColor;
using vcl::Word;

// ---------------------------------------------------------------------------------------------
// Enumerations

enum class TZylStyle3D : uint8_t {
    fontRaised,
    fontInset,
    fontOnlyShadow,
    fontOnlyHighlight,
    fontOutLineShadow
};
VCL_ENUM_NAMES(TZylStyle3D, "fontRaised", "fontInset", "fontOnlyShadow", "fontOnlyHighlight",
               "fontOutLineShadow")
using enum TZylStyle3D;

enum class TZylRepeat : uint8_t { repeatOnShadow, repeatOnHighLight, repeatNone };
VCL_ENUM_NAMES(TZylRepeat, "repeatOnShadow", "repeatOnHighLight", "repeatNone")
using enum TZylRepeat;

enum class TZylKind : uint8_t { kVertical, kHorizontal };
VCL_ENUM_NAMES(TZylKind, "kVertical", "kHorizontal")
using enum TZylKind;

enum class TZylPosition : uint8_t { pLeft, pRight, pTop, pBottom };
VCL_ENUM_NAMES(TZylPosition, "pLeft", "pRight", "pTop", "pBottom")
using enum TZylPosition;

enum class TZylFrameStyle : uint8_t {
    frameSolid,
    frameRaised,
    frameLowered,
    frameNone,
    frameFramedUp,
    frameFramedDown,
    framePanelUp,
    framePanelDown,
    frameLightBordered
};
VCL_ENUM_NAMES(TZylFrameStyle, "frameSolid", "frameRaised", "frameLowered", "frameNone", "frameFramedUp",
               "frameFramedDown", "framePanelUp", "framePanelDown", "frameLightBordered")
using enum TZylFrameStyle;

enum class TZylFrameEdge : uint8_t { EdgeLeft, EdgeRight, EdgeTop, EdgeBottom };
VCL_ENUM_NAMES(TZylFrameEdge, "EdgeLeft", "EdgeRight", "EdgeTop", "EdgeBottom")
using enum TZylFrameEdge;
using TZylFrameEdges = vcl::Set<TZylFrameEdge>;
inline constexpr TZylFrameEdges kAllFrameEdges{EdgeLeft, EdgeRight, EdgeTop, EdgeBottom};

// 1..4 images side by side in a glyph strip.
using TZylNumGlyphs = Byte;
// A short string of at most kExecStrLength characters.
using TZylEnhancedExecStr = std::string;
inline constexpr size_t kExecStrLength = 31;

// ---------------------------------------------------------------------------------------------
// TZylFont3D

// How a caption is drawn in relief: highlight and shadow copies, an outline, an extrusion.
class TZylFont3D : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylFont3D, vcl::TGraphicsObject)
public:
    explicit TZylFont3D(vcl::TPersistent* owner = nullptr);

    // The extra pixels the effect needs beside the plain text.
    Integer DrawingWidth() const { return GetDrawingwidth(); }
    Integer GetDrawingwidth() const { return 2 * offset_ + repetitionWidth_; }
    bool ThreeDimensional() const { return threeDimensional_; }
    void SetThreeDimensional(bool value);
    bool MaskFont() const { return maskFont_; }
    void SetMaskFont(bool value);
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor value);
    TColor Shadow() const { return shadow_; }
    void SetShadow(TColor value);
    TColor RepetitionColor() const { return repetitionColor_; }
    void SetRepetitionColor(TColor value);
    TZylRepeat Repetition() const { return repetition_; }
    void SetRepetition(TZylRepeat value);
    Byte Repetitionwidth() const { return repetitionWidth_; }
    // Signals only when the value changes.
    void SetRepetitionwidth(Byte value);
    Byte Offset() const { return offset_; }
    // 0 keeps the old value, yet still signals.
    void SetOffset(Byte value);
    TZylStyle3D Style3D() const { return style3D_; }
    void SetStyle3D(TZylStyle3D value);

    // Draws `text` inside `rect` (not changed) with `font` and the DrawText flags `format`.
    void Write(vcl::TFont* font, win32::HDC dc, const vcl::TRect& rect, const std::string& text,
               win32::UINT format, bool enabled) const;
    // Repaints the owner when it is a control.
    void Invalidate();
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylFont3D>& p) {
        p.Property("DrawingWidth", &TZylFont3D::DrawingWidth, nullptr).Stored(false);
        p.Property("ThreeDimensional", &TZylFont3D::ThreeDimensional, &TZylFont3D::SetThreeDimensional, true);
        p.Property("MaskFont", &TZylFont3D::MaskFont, &TZylFont3D::SetMaskFont, true);
        p.Property("Highlight", &TZylFont3D::Highlight, &TZylFont3D::SetHighlight, vcl::clBtnHighlight)
            .Idents(vcl::ColorIdents());
        p.Property("Shadow", &TZylFont3D::Shadow, &TZylFont3D::SetShadow, vcl::clBtnShadow)
            .Idents(vcl::ColorIdents());
        p.Property("RepetitionColor", &TZylFont3D::RepetitionColor, &TZylFont3D::SetRepetitionColor,
                   vcl::clBlack)
            .Idents(vcl::ColorIdents());
        p.Property("Repetition", &TZylFont3D::Repetition, &TZylFont3D::SetRepetition, repeatNone);
        p.Property("Repetitionwidth", &TZylFont3D::Repetitionwidth, &TZylFont3D::SetRepetitionwidth, 0);
        p.Property("Offset", &TZylFont3D::Offset, &TZylFont3D::SetOffset, 1);
        p.Property("Style3D", &TZylFont3D::Style3D, &TZylFont3D::SetStyle3D, fontOnlyHighlight);
    }

private:
    template <typename V>
    void Store(V& field, V value) {
        field = value;
        Changed();
    }

    bool threeDimensional_ = true;
    bool maskFont_ = true;
    TColor highlight_ = vcl::clBtnHighlight;
    TColor shadow_ = vcl::clBtnShadow;
    TColor repetitionColor_ = vcl::clBlack;
    TZylRepeat repetition_ = repeatNone;
    Byte repetitionWidth_ = 0;
    Byte offset_ = 1;
    TZylStyle3D style3D_ = fontOnlyHighlight;
};

// ---------------------------------------------------------------------------------------------
// TZylFrame

// A bevel of one of nine styles, drawn ring by ring, that tells its owner how much room it takes.
class TZylFrame : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylFrame, vcl::TGraphicsObject)
public:
    explicit TZylFrame(vcl::TPersistent* owner = nullptr);

    TZylFrameStyle FrameStyle() const { return frameStyle_; }
    void SetFrameStyle(TZylFrameStyle value);
    TZylFrameEdges Edges() const { return edges_; }
    void SetEdges(TZylFrameEdges value);
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor value);
    TColor Shadow() const { return shadow_; }
    void SetShadow(TColor value);
    TColor Solid() const { return solid_; }
    void SetSolid(TColor value);
    Byte FrameWidth() const { return frameWidth_; }
    // 0 is refused: the old value stays and nothing is signalled.
    void SetFrameWidth(Byte value);

    // Draws the bevel along the inside of `rect` and returns the rectangle left inside it.
    void Draw(win32::HDC dc, vcl::TRect& rect);
    // A classic two-ring push-button bevel in the frame's colours; `rect` shrinks by 2.
    void Drawbutton(vcl::TCanvas* canvas, vcl::TRect& rect, bool down) const;
    // The thickness in pixels.
    Integer Calcwidth() const;
    // The thickness taken from each side: Calcwidth for the sides in Edges, 0 for the others.
    vcl::TRect GetEdgePoints() const;
    void Invalidate();
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylFrame>& p) {
        p.Property("FrameStyle", &TZylFrame::FrameStyle, &TZylFrame::SetFrameStyle, frameRaised);
        p.Property("Edges", &TZylFrame::Edges, &TZylFrame::SetEdges, kAllFrameEdges);
        p.Property("Highlight", &TZylFrame::Highlight, &TZylFrame::SetHighlight, vcl::clBtnHighlight)
            .Idents(vcl::ColorIdents());
        p.Property("Shadow", &TZylFrame::Shadow, &TZylFrame::SetShadow, vcl::clBtnShadow)
            .Idents(vcl::ColorIdents());
        p.Property("Solid", &TZylFrame::Solid, &TZylFrame::SetSolid, vcl::clBlack).Idents(vcl::ColorIdents());
        p.Property("FrameWidth", &TZylFrame::FrameWidth, &TZylFrame::SetFrameWidth, 1);
    }

private:
    // Runs one bevel pass of FrameWidth rings in (topLeft, bottomRight); clNone leaves a side out.
    void DrawPass(win32::HDC dc, vcl::TRect& rect, TColor topLeft, TColor bottomRight);
    void DrawRing(win32::HDC dc, const vcl::TRect& rect, win32::HPEN topLeft, win32::HPEN bottomRight) const;

    TZylFrameStyle frameStyle_ = frameRaised;
    TZylFrameEdges edges_ = kAllFrameEdges;
    TColor highlight_ = vcl::clBtnHighlight;
    TColor shadow_ = vcl::clBtnShadow;
    TColor solid_ = vcl::clBlack;
    Byte frameWidth_ = 1;
    // Rings drawn so far in the current Draw.
    Integer ringCount_ = 0;
};

// ---------------------------------------------------------------------------------------------
// TZylGlyph

// A strip of one to four images (normal, pressed, disabled) with transparency and grey looks.
class TZylGlyph : public vcl::TGraphicsObject {
    VCL_DECLARE_CLASS(TZylGlyph, vcl::TGraphicsObject)
public:
    explicit TZylGlyph(vcl::TPersistent* owner = nullptr);
    ~TZylGlyph() override;

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    vcl::TBitmap* Bitmap() const { return bitmap_.get(); }
    // Copies the bitmap; at design time also guesses NumGlyphs and TransparentColor from it.
    void SetBitmap(vcl::TBitmap* value);
    TZylNumGlyphs NumGlyphs() const { return numGlyphs_; }
    // Values outside 1..4 are refused (the old value stays).
    void SetNumGlyphs(TZylNumGlyphs value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor value);

    // One image's size.
    Integer Width() const;
    Integer Height() const;

    // Draws the image for the state at (x, y).
    void Draw(vcl::TCanvas* canvas, Integer x, Integer y, bool enabled, bool down, bool mono) const;
    // Maps every pixel but the transparent ones to four system shades by brightness; Level 2 is
    // the disabled look, 1 the mono look.
    void DrawGrayed(vcl::TBitmap* bitmap, Integer level) const;
    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylGlyph>& p) {
        p.Property("Visible", &TZylGlyph::Visible, &TZylGlyph::SetVisible, true);
        p.Property("Bitmap", &TZylGlyph::Bitmap, &TZylGlyph::SetBitmap);
        p.Property("NumGlyphs", &TZylGlyph::NumGlyphs, &TZylGlyph::SetNumGlyphs, 1);
        p.Property("Transparent", &TZylGlyph::Transparent, &TZylGlyph::SetTransparent, true);
        p.Property("TransparentColor", &TZylGlyph::TransparentColor, &TZylGlyph::SetTransparentColor)
            .Idents(vcl::ColorIdents());
    }

private:
    // The image of the strip a state shows (1-based).
    Integer ImageFor(bool enabled, bool down) const;
    void CopyImage(vcl::TBitmap* work, Integer image) const;
    void GuessLayout();

    bool visible_ = true;
    std::unique_ptr<vcl::TBitmap> bitmap_;
    TZylNumGlyphs numGlyphs_ = 1;
    bool transparent_ = true;
    TColor transparentColor_ = vcl::clBlack;
};

// ---------------------------------------------------------------------------------------------
// Painting routines

// A button border of `kind` 1, 2 or 3 rings over (0, 0, width, height); other kinds draw nothing.
void ZylDrawButtonFrame(vcl::TCanvas* canvas, Integer width, Integer height, Integer kind, bool down);
// Draws `bitmap` at (x, y) leaving out the pixels of `transparentColor`.
void ZylDrawTransparentBitmap(vcl::TCanvas* canvas, vcl::TBitmap* bitmap, Integer x, Integer y,
                              TColor transparentColor);
// The engraved look of disabled text: highlight at `rect`, grey text one pixel up and left.
void ZylDrawDisabledText(vcl::TFont* font, vcl::TCanvas* canvas, const vcl::TRect& rect,
                         const std::string& text, win32::UINT format);

// ---------------------------------------------------------------------------------------------
// TZylTimer32

class TZylTimer32;

// The worker of a TZylTimer32: sleeps Interval on the platform clock, then hands the tick to the
// main thread. A wake event cuts the sleep short for suspension and termination.
class TZylThread : public vcl::TThread {
    VCL_DECLARE_CLASS(TZylThread, vcl::TThread)
public:
    // Created suspended.
    explicit TZylThread(TZylTimer32* timer);
    ~TZylThread() override;

    TZylTimer32* Timer() const { return timer_; }
    // Interrupts the current sleep (it goes on for the rest unless the thread is suspended or
    // terminated). The clock's reading now is where a suspension asked for meanwhile begins, so the
    // paused time does not depend on when the worker notices.
    void Wake();
    // Resumes the thread and notes when, so that a pause the worker noticed only afterwards still
    // ends where it really ended.
    void ResumeSleeper();
    // Main thread: delivers one tick, unless the timer was stopped since the tick was queued.
    void DoTimer();
    // True while DoTimer runs the timer's handler.
    bool Delivering() const { return delivering_; }
    // For a timer freed by its own handler: lets go of the timer, and the worker ends and frees
    // itself once the tick it waits on returns.
    void Abandon();

protected:
    void Execute() override;

private:
    // False when the thread was terminated or cannot sleep.
    bool SleepInterval();

    TZylTimer32* timer_;
    win32::HANDLE wake_;
    std::atomic<win32::ULONGLONG> wokenAt_{0};
    std::atomic<win32::ULONGLONG> resumedAt_{0};
    // Read and written on the main thread only.
    bool delivering_ = false;
};

// A timer whose ticks come from a sleeping worker thread instead of window timer messages.
class TZylTimer32 : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylTimer32, vcl::TComponent)
public:
    explicit TZylTimer32(vcl::TComponent* owner);
    ~TZylTimer32() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    Word Interval() const { return interval_; }
    // 0 stops the timer.
    void SetInterval(Word value);
    vcl::TThreadPriority Priority() const { return priority_; }
    void SetPriority(vcl::TThreadPriority value);
    TZylThread* Thread() const { return thread_; }

    // Sender is the timer; runs on the main thread. Assigning it alone does not start the timer.
    vcl::TNotifyEvent OnTimer;

    static void Publish(vcl::Published<TZylTimer32>& p) {
        p.Property("Enabled", &TZylTimer32::Enabled, &TZylTimer32::SetEnabled, true);
        p.Property("Interval", &TZylTimer32::Interval, &TZylTimer32::SetInterval, 1000);
        p.Event("OnTimer", &TZylTimer32::OnTimer);
        p.Property("Priority", &TZylTimer32::Priority, &TZylTimer32::SetPriority,
                   vcl::TThreadPriority::tpTimeCritical);
    }

protected:
    void Loaded() override;
    virtual void Timer();
    // Suspends the worker, then resumes it when the timer should tick.
    void UpdateTimer();

private:
    friend class TZylThread;
    void StopWorker();

    bool enabled_ = true;
    std::atomic<Word> interval_{1000};
    std::atomic<vcl::TThreadPriority> priority_{vcl::TThreadPriority::tpTimeCritical};
    TZylThread* thread_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Base controls

// What a control needs of the shared background component: the full background component derives
// from this link and paints the backgrounds of the controls registered with it.
class TZylBackgroundLink : public vcl::TComponent {
    VCL_CLASS(TZylBackgroundLink, vcl::TComponent)
public:
    explicit TZylBackgroundLink(vcl::TComponent* owner) : TComponent(owner) {}

    virtual void AddItem(vcl::TControl* control) = 0;
    virtual void RemoveItem(vcl::TControl* control) = 0;
    // Paints a client area of width x height on `dc`.
    virtual void Draw(win32::HDC dc, Integer width, Integer height, bool wholeArea) = 0;
};

// One link from a control to a shared background. Setting it joins the background's client list and
// its free notification; the control's Notification hands removals to Drop, which lets go without
// calling back into a background that is being destroyed.
class TZylBackgroundClient {
public:
    explicit TZylBackgroundClient(vcl::TControl* control) : control_(control) {}
    ~TZylBackgroundClient();
    TZylBackgroundClient(const TZylBackgroundClient&) = delete;
    TZylBackgroundClient& operator=(const TZylBackgroundClient&) = delete;

    TZylBackgroundLink* Get() const { return background_; }
    // Moves the link to `value`; `sibling` is another link of the same control, which shares the
    // free notification. False when the link already pointed there, so the control keeps its place
    // among the clients.
    bool Set(TZylBackgroundLink* value, const TZylBackgroundClient* sibling = nullptr);
    // True when `component` was the linked background; the link is then cleared.
    bool Drop(const vcl::TComponent* component);

private:
    vcl::TControl* control_;
    TZylBackgroundLink* background_ = nullptr;
};

// Base of the package's windowless controls, which paint their backgrounds themselves.
class TZylGraphicControl : public vcl::TGraphicControl {
    VCL_CLASS(TZylGraphicControl, vcl::TGraphicControl)
public:
    explicit TZylGraphicControl(vcl::TComponent* owner) : TGraphicControl(owner) {}
};

// Base of the package's windowed controls: a canvas of its own and an optional shared background.
class TZylCustomControl : public vcl::TWinControl {
    VCL_DECLARE_CLASS(TZylCustomControl, vcl::TWinControl)
public:
    explicit TZylCustomControl(vcl::TComponent* owner);
    ~TZylCustomControl() override;

    vcl::TCanvas* Canvas() const { return canvas_.get(); }
    TZylBackgroundLink* Background() const { return background_.Get(); }
    void SetBackground(TZylBackgroundLink* value);

    static void Publish(vcl::Published<TZylCustomControl>& p) {
        p.Property("Background", &TZylCustomControl::Background, &TZylCustomControl::SetBackground);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void DestroyWindowHandle() override;
    // Fills the client area in clBtnFace, or lets the linked background paint it.
    virtual void Paint();
    void PaintWindow(win32::HDC dc) override;

private:
    std::unique_ptr<vcl::TControlCanvas> canvas_;
    TZylBackgroundClient background_{this};
};

// ---------------------------------------------------------------------------------------------
// TZylEnhancedExecComponent

// Base of non-visual components the developer can run as a test from the form designer.
class TZylEnhancedExecComponent : public vcl::TComponent {
    VCL_CLASS(TZylEnhancedExecComponent, vcl::TComponent)
public:
    explicit TZylEnhancedExecComponent(vcl::TComponent* owner) : TComponent(owner) {}

    // A design-time handle for the property editor; never stored.
    const TZylEnhancedExecStr& DesignExecute() const { return designExecute_; }
    void SetDesignExecute(const TZylEnhancedExecStr& value) {
        designExecute_ = value.substr(0, kExecStrLength);
    }

    virtual void Execute() {}

    static void Publish(vcl::Published<TZylEnhancedExecComponent>& p) {
        p.Property("DesignExecute", &TZylEnhancedExecComponent::DesignExecute,
                   &TZylEnhancedExecComponent::SetDesignExecute)
            .TypeName("TZylEnhancedExecStr")
            .Stored(false);
    }

private:
    TZylEnhancedExecStr designExecute_;
};

void Register();

}  // namespace lumaro
