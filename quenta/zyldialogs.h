// The shared unit of the dialogs package: the sound an Execute plays, the base classes of the
// dialog components, and the settings of one dialog button.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vcl/classes.h"
#include "vcl/forms.h"
#include "vcl/graphics.h"

namespace quenta {

enum class TZylBeeptype : uint8_t { bNone, bDefault, bAsterix, bExclamation, bQuestion, bCriticalStop };
VCL_ENUM_NAMES(TZylBeeptype, "bNone", "bDefault", "bAsterix", "bExclamation", "bQuestion", "bCriticalStop")
using enum TZylBeeptype;

// MessageBeep with the sound of the type; nothing for bNone.
void ZylBeep(TZylBeeptype sound);

// A short string of at most kExecDlgStrLength characters.
using TZylExecDlgStr = std::string;
inline constexpr size_t kExecDlgStrLength = 30;

// The base of every dialog component: a sound, and DesignExecute, which exists only to carry the
// designer's "Execute Test" editor.
class TZylDialogComponent : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylDialogComponent, vcl::TComponent)
public:
    explicit TZylDialogComponent(vcl::TComponent* owner) : TComponent(owner) {}

    TZylBeeptype Sound() const { return sound_; }
    void SetSound(TZylBeeptype value) { sound_ = value; }
    const TZylExecDlgStr& DesignExecute() const { return designExecute_; }
    void SetDesignExecute(const TZylExecDlgStr& value) {
        designExecute_ = value.substr(0, kExecDlgStrLength);
    }

    // Plays the sound and returns false; descendants call it first where they sound.
    virtual bool Execute();

    static void Publish(vcl::Published<TZylDialogComponent>& p) {
        p.Property("Sound", &TZylDialogComponent::Sound, &TZylDialogComponent::SetSound, bNone);
        p.Property("DesignExecute", &TZylDialogComponent::DesignExecute,
                   &TZylDialogComponent::SetDesignExecute)
            .TypeName("TZylExecDlgStr")
            .Stored(false);
    }

private:
    TZylBeeptype sound_ = bNone;
    TZylExecDlgStr designExecute_;
};

// A dialog component that runs a form of its own and describes that form's window.
class TZylAdvDialogComponent : public TZylDialogComponent {
    VCL_DECLARE_CLASS(TZylAdvDialogComponent, TZylDialogComponent)
public:
    explicit TZylAdvDialogComponent(vcl::TComponent* owner) : TZylDialogComponent(owner) {}

    const std::string& FormCaption() const { return formCaption_; }
    void SetFormCaption(const std::string& value) { formCaption_ = value; }
    vcl::Integer FormWidth() const { return formWidth_; }
    void SetFormWidth(vcl::Integer value) { formWidth_ = value; }
    vcl::Integer FormHeight() const { return formHeight_; }
    void SetFormHeight(vcl::Integer value) { formHeight_ = value; }
    vcl::TPosition Position() const { return position_; }
    void SetPosition(vcl::TPosition value) { position_ = value; }
    vcl::Integer FormTop() const { return formTop_; }
    void SetFormTop(vcl::Integer value) { formTop_ = value; }
    vcl::Integer FormLeft() const { return formLeft_; }
    void SetFormLeft(vcl::Integer value) { formLeft_ = value; }
    vcl::Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(vcl::Integer value) { helpContext_ = value; }
    // Kept for the application; the framework's forms carry no help file of their own.
    const std::string& Helpfile() const { return helpfile_; }
    void SetHelpfile(const std::string& value) { helpfile_ = value; }
    vcl::TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(vcl::TFormBorderStyle value) { borderStyle_ = value; }

    // Caption, width, height, position, top, left, help context and border style, in that order.
    void SetFormProperties(vcl::TCustomForm* form) const;

    // Caption, size and position are written when they differ from what the dialog starts with,
    // which differs between dialogs.
    static void Publish(vcl::Published<TZylAdvDialogComponent>& p) {
        using C = TZylAdvDialogComponent;
        p.Property("FormCaption", &C::FormCaption, &C::SetFormCaption).Stored(&C::IsFormCaptionStored);
        p.Property("FormWidth", &C::FormWidth, &C::SetFormWidth).Stored(&C::IsFormWidthStored);
        p.Property("FormHeight", &C::FormHeight, &C::SetFormHeight).Stored(&C::IsFormHeightStored);
        p.Property("Position", &C::Position, &C::SetPosition).Stored(&C::IsPositionStored);
        p.Property("FormTop", &C::FormTop, &C::SetFormTop, 0);
        p.Property("FormLeft", &C::FormLeft, &C::SetFormLeft, 0);
        p.Property("HelpContext", &C::HelpContext, &C::SetHelpContext, 0);
        p.Property("Helpfile", &C::Helpfile, &C::SetHelpfile, std::string());
        p.Property("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, vcl::bsDialog);
    }

protected:
    // A dialog's own starting window: the values and the defaults of the form files.
    void SetWindowDefaults(const std::string& caption, vcl::Integer width, vcl::Integer height,
                           vcl::TPosition position);

private:
    struct WindowDefaults {
        std::string caption;
        vcl::Integer width = 500;
        vcl::Integer height = 350;
        vcl::TPosition position = vcl::poDesigned;
    };
    bool IsFormCaptionStored() const { return formCaption_ != defaults_.caption; }
    bool IsFormWidthStored() const { return formWidth_ != defaults_.width; }
    bool IsFormHeightStored() const { return formHeight_ != defaults_.height; }
    bool IsPositionStored() const { return position_ != defaults_.position; }

    WindowDefaults defaults_;
    std::string formCaption_;
    vcl::Integer formWidth_ = 500;
    vcl::Integer formHeight_ = 350;
    vcl::TPosition position_ = vcl::poDesigned;
    vcl::Integer formTop_ = 0;
    vcl::Integer formLeft_ = 0;
    vcl::Integer helpContext_ = 0;
    std::string helpfile_;
    vcl::TFormBorderStyle borderStyle_ = vcl::bsDialog;
};

// The settings of one dialog button. Its control is the component it belongs to; when that is a
// bitmap or speed button, every change reaches the button at once.
class TZylButtonDetails : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TZylButtonDetails, vcl::TPersistent)
public:
    explicit TZylButtonDetails(vcl::TComponent* control = nullptr);
    ~TZylButtonDetails() override;

    vcl::TComponent* Control() const { return control_; }
    vcl::TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(const vcl::TBitmap* value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool ConfirmOnPress() const { return confirmOnPress_; }
    void SetConfirmOnPress(bool value) { confirmOnPress_ = value; }
    const std::string& ConfirmMessage() const { return confirmMessage_; }
    void SetConfirmMessage(const std::string& value) { confirmMessage_ = value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);

    // Copies caption, glyph, visibility and enabled state onto a form's button.
    void ApplyTo(vcl::TControl* button) const;
    void Assign(const vcl::TPersistent* source) override;
    vcl::TPersistent* GetOwner() const override { return control_; }

    static void Publish(vcl::Published<TZylButtonDetails>& p) {
        using C = TZylButtonDetails;
        p.Property("Glyph", &C::Glyph, &C::SetGlyph);
        p.Property("Visible", &C::Visible, &C::SetVisible, true);
        p.Property("Enabled", &C::Enabled, &C::SetEnabled, true);
        p.Property("ConfirmOnPress", &C::ConfirmOnPress, &C::SetConfirmOnPress, false);
        p.Property("ConfirmMessage", &C::ConfirmMessage, &C::SetConfirmMessage, std::string());
        p.Property("Caption", &C::Caption, &C::SetCaption, std::string());
        p.Property("Hint", &C::Hint, &C::SetHint, std::string());
        p.Property("ShowHint", &C::ShowHint, &C::SetShowHint, true);
    }

private:
    // Applies everything to the control when it is a bitmap or speed button.
    void Changed();

    vcl::TComponent* control_;
    std::unique_ptr<vcl::TBitmap> glyph_;
    bool visible_ = true;
    bool enabled_ = true;
    bool confirmOnPress_ = false;
    std::string confirmMessage_;
    std::string caption_;
    std::string hint_;
    bool showHint_ = true;
};

// Glyph width div height, limited to the 1 to 4 images a button's glyph strip holds; 1 for an
// empty or zero-height glyph.
vcl::Integer ZylGlyphCount(const vcl::TBitmap* glyph);

// Overwrites the text before emptying it, so that no copy of a secret stays in memory.
void ZylWipe(std::string& text);

// The owner window for a dialog: the owner when it is a windowed control, else the main form,
// else the application's window.
win32::HWND ZylDialogOwnerWindow(vcl::TComponent* owner);

}  // namespace quenta
