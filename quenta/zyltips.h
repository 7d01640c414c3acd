// The tip-of-the-day dialog: a random tip from a list, a Next Tip button, OK, two buttons for the
// application, and a check box whose state the application reads afterwards.
#pragma once

#include <memory>
#include <string>

#include "quenta/zyldialogs.h"
#include "vcl/stringlist.h"

namespace quenta {

// The settings of the tip dialog's check box.
class TZylCheckBoxInfo : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TZylCheckBoxInfo, vcl::TPersistent)
public:
    TZylCheckBoxInfo() = default;

    bool Visible() const { return visible_; }
    void SetVisible(bool value) { visible_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    bool Checked() const { return checked_; }
    void SetChecked(bool value) { checked_ = value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }

    void Assign(const vcl::TPersistent* source) override;

    static void Publish(vcl::Published<TZylCheckBoxInfo>& p) {
        using C = TZylCheckBoxInfo;
        p.Property("Visible", &C::Visible, &C::SetVisible, true);
        p.Property("Enabled", &C::Enabled, &C::SetEnabled, true);
        p.Property("Checked", &C::Checked, &C::SetChecked, true);
        p.Property("Caption", &C::Caption, &C::SetCaption, std::string(kDefaultCaption));
    }

    static constexpr std::string_view kDefaultCaption = "Show Tips At Startup";

private:
    bool visible_ = true;
    bool enabled_ = true;
    bool checked_ = true;
    std::string caption_{kDefaultCaption};
};

// Shows the modal form "TipDialog" (371 by 251 client pixels, centred on the screen): the tip
// panel "TipPanel" with the heading "Heading" and the tip "TipLabel", the buttons "OkButton",
// "NextTipButton", "Other1Button", "Other2Button", the check box "SetupCheckbox" and a status bar.
// Form events are called with the form as Sender.
class TZylTipTricks : public TZylDialogComponent {
    VCL_DECLARE_CLASS(TZylTipTricks, TZylDialogComponent)
public:
    explicit TZylTipTricks(vcl::TComponent* owner);
    ~TZylTipTricks() override;

    TZylCheckBoxInfo* SetupCheckbox() const { return setupCheckbox_.get(); }
    void SetSetupCheckbox(const TZylCheckBoxInfo* value) { setupCheckbox_->Assign(value); }
    TZylButtonDetails* Custom1BitBtn() const { return custom1_.get(); }
    TZylButtonDetails* Custom2BitBtn() const { return custom2_.get(); }
    TZylButtonDetails* OkBitBtn() const { return ok_.get(); }
    TZylButtonDetails* NextTipBitBtn() const { return nextTip_.get(); }
    vcl::TAlignment TipAlign() const { return tipAlign_; }
    void SetTipAlign(vcl::TAlignment value) { tipAlign_ = value; }
    vcl::TColor Color() const { return color_; }
    void SetColor(vcl::TColor value) { color_ = value; }
    vcl::TStrings* Tips() const { return tips_.get(); }
    void SetTips(const vcl::TStrings* value) { tips_->Assign(value); }
    const std::string& TipDlgCaption() const { return tipDlgCaption_; }
    void SetTipDlgCaption(const std::string& value) { tipDlgCaption_ = value; }
    const std::string& DidYouKnow() const { return didYouKnow_; }
    void SetDidYouKnow(const std::string& value) { didYouKnow_ = value; }
    vcl::TFont* Fonts() const { return fonts_.get(); }
    void SetFonts(const vcl::TFont* value) { fonts_->Assign(value); }

    // Shows the window modally; true.
    bool Execute() override;

    vcl::TNotifyEvent OnCustom1;
    vcl::TNotifyEvent OnCustom2;
    vcl::TNotifyEvent OnOk;
    vcl::TNotifyEvent OnNext;
    vcl::TNotifyEvent OnCheckClick;

    static void Publish(vcl::Published<TZylTipTricks>& p) {
        using C = TZylTipTricks;
        p.Property("SetupCheckbox", &C::SetupCheckbox);
        p.Property("Custom1BitBtn", &C::Custom1BitBtn);
        p.Property("Custom2BitBtn", &C::Custom2BitBtn);
        p.Property("OkBitBtn", &C::OkBitBtn);
        p.Property("NextTipBitBtn", &C::NextTipBitBtn);
        p.Property("TipAlign", &C::TipAlign, &C::SetTipAlign, vcl::TAlignment::taCenter);
        p.Property("Color", &C::Color, &C::SetColor, vcl::TColor{0xFFFFFF}).Idents(vcl::ColorIdents());
        p.Property("Tips", &C::Tips);
        p.Event("OnCustom1", &C::OnCustom1);
        p.Event("OnCustom2", &C::OnCustom2);
        p.Event("OnOk", &C::OnOk);
        p.Event("OnNext", &C::OnNext);
        p.Event("OnCheckClick", &C::OnCheckClick);
        p.Property("TipDlgCaption", &C::TipDlgCaption, &C::SetTipDlgCaption, std::string());
        p.Property("DidYouKnow", &C::DidYouKnow, &C::SetDidYouKnow, std::string(kDidYouKnow));
        p.Property("Fonts", &C::Fonts);
    }

    static constexpr std::string_view kDidYouKnow = "Did You Know ... ?";
    static constexpr std::string_view kNoMoreTips = "No more Tips found";

private:
    std::unique_ptr<TZylCheckBoxInfo> setupCheckbox_;
    std::unique_ptr<TZylButtonDetails> custom1_, custom2_, ok_, nextTip_;
    vcl::TAlignment tipAlign_ = vcl::TAlignment::taCenter;
    vcl::TColor color_ = 0xFFFFFF;
    std::unique_ptr<vcl::TStrings> tips_;
    std::string tipDlgCaption_;
    std::string didYouKnow_{kDidYouKnow};
    std::unique_ptr<vcl::TFont> fonts_;
};

}  // namespace quenta
