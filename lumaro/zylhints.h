// Speech-bubble hints: one TZylHint on the main form makes every hint of the application appear as a
// bubble with a pointed tail, a dithered drop shadow and 3D text, opened toward the side of the mouse
// pointer where it fits on the screen. The bubble window itself is TZylNewHint, which the component
// installs as the application's hint window class.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/forms.h"

namespace lumaro {

// Where the bubble opens: up puts it above the pointer, right makes it extend to the right of it.
enum class TZylDirectionB : uint8_t { dUpRight, dUpLeft, dDownRight, dDownLeft };
VCL_ENUM_NAMES(TZylDirectionB, "dUpRight", "dUpLeft", "dDownRight", "dDownLeft")
using enum TZylDirectionB;

// Chooses the direction of the hints of one control; HintDirection arrives with the preferred one.
using TOnSelectHintDirection = std::function<void(vcl::TControl* HintControl, TZylDirectionB& HintDirection)>;

// A second TZylHint in the process.
class TZylDuplicateError : public vcl::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "TZylDuplicateError"; }
};

// ---------------------------------------------------------------------------------------------
// TZylHint

// The settings of the bubbles. Only one may exist in a process; at run time it belongs to the main
// form (when there is one) and, while it lives, the application's hints are TZylNewHint windows.
class TZylHint : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylHint, vcl::TComponent)
public:
    // Raises TZylDuplicateError while another TZylHint exists.
    explicit TZylHint(vcl::TComponent* owner);
    ~TZylHint() override;

    TZylFont3D* Font3D() const { return font3D_.get(); }
    // Copies the values of `value` (nullptr is ignored).
    void SetFont3D(TZylFont3D* value);
    // A rounded box with a tail pointing at the mouse pointer; a square box without a tail otherwise.
    bool Speechbubble() const { return speechbubble_; }
    void SetSpeechbubble(bool value) { speechbubble_ = value; }
    bool Shadow() const { return shadow_; }
    void SetShadow(bool value) { shadow_ = value; }
    // The preferred direction; a bubble that does not fit that way opens another way.
    TZylDirectionB HintDirection() const { return hintDirection_; }
    void SetHintDirection(TZylDirectionB value) { hintDirection_ = value; }
    // Marks the inside of the bubble while it is composed; it never shows, so pick a colour that the
    // screen under a bubble does not have.
    TColor UnUsedHintColor() const { return unUsedHintColor_; }
    void SetUnUsedHintColor(TColor value) { unUsedHintColor_ = value; }
    TColor HintShadowColor() const { return hintShadowColor_; }
    void SetHintShadowColor(TColor value) { hintShadowColor_ = value; }
    vcl::TFont* HintFont() const { return hintFont_.get(); }
    // Copies the font; the hint window takes it at once.
    void SetHintFont(const vcl::TFont* value);
    // Milliseconds before a hint shows; at run time the application's HintPause follows.
    Integer HintPauseTime() const { return hintPauseTime_; }
    void SetHintPauseTime(Integer value);
    // Fills the inside of the bubbles; changes of the background do not repaint a bubble showing.
    TZylBackground* Background() const { return background_; }
    void SetBackground(TZylBackground* value);

    TOnSelectHintDirection OnSelectHintDirection;

    static void Publish(vcl::Published<TZylHint>& p) {
        p.Property("Font3D", &TZylHint::Font3D, &TZylHint::SetFont3D);
        p.Property("Speechbubble", &TZylHint::Speechbubble, &TZylHint::SetSpeechbubble, false);
        p.Property("Shadow", &TZylHint::Shadow, &TZylHint::SetShadow, true);
        p.Property("HintDirection", &TZylHint::HintDirection, &TZylHint::SetHintDirection, dUpRight);
        // Declared with the constructor's values, so that what is not written reads back the same.
        p.Property("UnUsedHintColor", &TZylHint::UnUsedHintColor, &TZylHint::SetUnUsedHintColor,
                   TColor{0x00FF00})
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("HintShadowColor", &TZylHint::HintShadowColor, &TZylHint::SetHintShadowColor, vcl::clBlack)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("HintFont", &TZylHint::HintFont);
        p.Property("HintPauseTime", &TZylHint::HintPauseTime, &TZylHint::SetHintPauseTime, 600);
        p.Event("OnSelectHintDirection", &TZylHint::OnSelectHintDirection);
        p.Property("Background", &TZylHint::Background, &TZylHint::SetBackground);
    }

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    // Makes TZylNewHint the application's hint window class and has the hint window made anew.
    void InstallHintWindow();
    // The hint window in use takes HintFont.
    void SetHintWindowFont();
    bool AtRunTime() const { return !Designing(); }

    // Counts this instance for as long as it lives; the first member, so that a constructor that
    // fails later gives the count back too.
    class InstanceClaim {
    public:
        InstanceClaim();
        ~InstanceClaim();
        InstanceClaim(const InstanceClaim&) = delete;
        InstanceClaim& operator=(const InstanceClaim&) = delete;
    };

    InstanceClaim claim_;
    std::unique_ptr<TZylFont3D> font3D_;
    std::unique_ptr<vcl::TFont> hintFont_;
    bool speechbubble_ = false;
    bool shadow_ = true;
    TZylDirectionB hintDirection_ = dUpRight;
    TColor unUsedHintColor_ = 0x00FF00;
    TColor hintShadowColor_ = vcl::clBlack;
    Integer hintPauseTime_ = 600;
    TZylBackground* background_ = nullptr;
    // What the application had before this component installed its bubbles, given back when it goes.
    vcl::THintWindowClass previousHintWindowClass_ = nullptr;
    TColor previousHintColor_ = vcl::clInfoBk;
};

// ---------------------------------------------------------------------------------------------
// TZylNewHint

// The bubble window. Each activation looks up the TZylHint on the main form; without one (or while
// designing) it is the framework's plain hint window.
class TZylNewHint : public vcl::THintWindow {
    VCL_DECLARE_CLASS(TZylNewHint, vcl::THintWindow)
public:
    explicit TZylNewHint(vcl::TComponent* owner);
    ~TZylNewHint() override;

    // Fits the direction and places the bubble around the mouse pointer; `rect` is the framework's
    // proposal for the text, placed below the pointer.
    void ActivateHint(vcl::TRect rect, const std::string& hint) override;
    vcl::TRect CalcHintRect(Integer maxWidth, const std::string& hint, void* data) override;
    // The direction of the bubble showing (or shown last).
    TZylDirectionB Direction() const { return direction_; }

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void Paint() override;

private:
    // The first TZylHint among the main form's components, nullptr when there is none.
    static TZylHint* FindHint();
    // The direction that fits around the pointer and the window's place for it.
    struct Placement {
        TZylDirectionB direction;
        vcl::TPoint topLeft;
        vcl::TSize size;
    };
    static Placement Place(TZylHint* hint, const vcl::TRect& text, vcl::TPoint pointer);
    // Copies what the screen shows under `bounds` into the capture.
    void CaptureScreen(const vcl::TRect& bounds);
    void PaintBubble(TZylHint* hint);

    TZylDirectionB direction_ = dUpRight;
    // The screen under the bubble, taken at each activation; the bubble is composed over it.
    std::unique_ptr<vcl::TBitmap> capture_;
};

}  // namespace lumaro
