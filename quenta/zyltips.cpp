#include "quenta/zyltips.h"

#include "vcl/buttons.h"
#include "vcl/comctrls.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace quenta {

using vcl::Integer;

VCL_DEFINE_CLASS(TZylCheckBoxInfo, vcl::TPersistent)

void TZylCheckBoxInfo::Assign(const vcl::TPersistent* source) {
    const auto* info = dynamic_cast<const TZylCheckBoxInfo*>(source);
    if (!info) {
        TPersistent::Assign(source);
        return;
    }
    visible_ = info->visible_;
    enabled_ = info->enabled_;
    checked_ = info->checked_;
    caption_ = info->caption_;
}

namespace zyltips {

constexpr Integer kClientWidth = 371, kClientHeight = 251;
constexpr Integer kMargin = 8, kButtonWidth = 89, kButtonHeight = 27, kButtonGap = 6;
constexpr Integer kPictureHeight = 36;

// The tip window. It keeps its own copy of the tips and shows one of them at random.
class TTipDialog : public vcl::TForm {
public:
    explicit TTipDialog(TZylTipTricks* tips);

    vcl::TLabel* Heading() const { return heading_; }
    vcl::TLabel* TipLabel() const { return tip_; }
    vcl::TPanel* TipPanel() const { return tipPanel_; }
    vcl::TCheckBox* CheckBox() const { return check_; }
    vcl::TBitBtn* Button(std::string_view name) const {
        return static_cast<vcl::TBitBtn*>(FindComponent(std::string(name)));
    }
    vcl::TStrings* Tips() const { return tips_.get(); }
    void ShowRandomTip();
    // The check box reports its clicks from now on (setting its state before is no click).
    void ConnectCheckBox() {
        check_->OnClick = [this](vcl::TObject*) { CheckClick(); };
    }
    void DrawPicture();

private:
    vcl::TBitBtn* AddButton(const char* name, const char* caption, Integer index,
                            void (TTipDialog::*click)());
    void OkClick();
    void NextTipClick();
    void Other1Click();
    void Other2Click();
    void CheckClick();

    TZylTipTricks* component_;
    std::unique_ptr<vcl::TStrings> tips_;
    vcl::TPanel* tipPanel_;
    vcl::TImage* picture_;
    vcl::TLabel* heading_;
    vcl::TLabel* tip_;
    vcl::TCheckBox* check_;
};

TTipDialog::TTipDialog(TZylTipTricks* tips)
    : TForm(vcl::Application, 0), component_(tips), tips_(std::make_unique<vcl::TStringList>()) {
    SetName("TipDialog");
    SetBorderStyle(vcl::bsDialog);
    SetBorderIcons(vcl::TBorderIcons{vcl::biSystemMenu});
    SetPosition(vcl::poScreenCenter);
    SetClientWidth(kClientWidth);
    SetClientHeight(kClientHeight);
    Font()->SetName("Arial");
    Font()->SetStyle(vcl::TFontStyles{vcl::TFontStyle::fsBold});

    auto* status = new vcl::TStatusBar(this);
    status->SetName("StatusBar");
    status->SetParent(this);
    status->SetSimplePanel(true);

    const Integer buttonsLeft = kClientWidth - kMargin - kButtonWidth;
    auto* outer = new vcl::TPanel(this);
    outer->SetName("OuterPanel");
    outer->SetParent(this);
    outer->SetCaption("");
    outer->SetBevelOuter(vcl::TBevelCut::bvLowered);
    outer->SetBounds(kMargin, kMargin, buttonsLeft - 2 * kMargin, 196);
    auto* bevel = new vcl::TBevel(this);
    bevel->SetName("Bevel");
    bevel->SetParent(outer);
    bevel->SetShape(vcl::TBevelShape::bsFrame);
    bevel->SetAlign(vcl::TAlign::alClient);
    tipPanel_ = new vcl::TPanel(this);
    tipPanel_->SetName("TipPanel");
    tipPanel_->SetParent(outer);
    tipPanel_->SetCaption("");
    tipPanel_->SetBevelOuter(vcl::TBevelCut::bvNone);
    tipPanel_->SetBounds(4, 4, outer->ClientWidth() - 8, outer->ClientHeight() - 8);
    tipPanel_->SetColor(vcl::clWhite);
    picture_ = new vcl::TImage(this);
    picture_->SetName("Picture");
    picture_->SetParent(tipPanel_);
    picture_->SetAlign(vcl::TAlign::alTop);
    picture_->SetHeight(kPictureHeight);
    heading_ = new vcl::TLabel(this);
    heading_->SetName("Heading");
    heading_->SetParent(tipPanel_);
    heading_->SetAlign(vcl::TAlign::alTop);
    tip_ = new vcl::TLabel(this);
    tip_->SetName("TipLabel");
    tip_->SetParent(tipPanel_);
    tip_->SetAlign(vcl::TAlign::alClient);
    tip_->SetWordWrap(true);

    using T = TTipDialog;
    AddButton("OkButton", "OK", 0, &T::OkClick);
    AddButton("NextTipButton", "Next Tip", 1, &T::NextTipClick);
    AddButton("Other1Button", "Other 1", 2, &T::Other1Click);
    AddButton("Other2Button", "Other 2", 3, &T::Other2Click);

    check_ = new vcl::TCheckBox(this);
    check_->SetName("SetupCheckbox");
    check_->SetParent(this);
    check_->SetBounds(kMargin, outer->Top() + outer->Height() + 6, 220, 17);
}

vcl::TBitBtn* TTipDialog::AddButton(const char* name, const char* caption, Integer index,
                                    void (TTipDialog::*click)()) {
    auto* button = new vcl::TBitBtn(this);
    button->SetName(name);
    button->SetParent(this);
    button->SetCaption(caption);
    button->SetBounds(kClientWidth - kMargin - kButtonWidth, kMargin + index * (kButtonHeight + kButtonGap),
                      kButtonWidth, kButtonHeight);
    button->OnClick = [this, click](vcl::TObject*) { (this->*click)(); };
    return button;
}

// A light bulb on the left of the strip above the heading.
void TTipDialog::DrawPicture() {
    vcl::TBitmap* bitmap = picture_->Picture()->Bitmap();
    bitmap->SetSize(tipPanel_->ClientWidth(), kPictureHeight);
    vcl::TCanvas* canvas = bitmap->Canvas();
    canvas->Brush()->SetColor(tipPanel_->Color());
    canvas->FillRect(vcl::Rect(0, 0, bitmap->Width(), bitmap->Height()));
    canvas->Pen()->SetColor(vcl::clBlack);
    canvas->Brush()->SetColor(vcl::clYellow);
    canvas->Ellipse(10, 4, 32, 26);
    canvas->Brush()->SetColor(vcl::clGray);
    canvas->Rectangle(16, 25, 26, 33);
}

void TTipDialog::ShowRandomTip() {
    const Integer count = tips_->Count();
    tip_->SetCaption(count == 0 ? std::string(TZylTipTricks::kNoMoreTips)
                                : tips_->Strings(vcl::Random(count)));
}

void TTipDialog::OkClick() {
    if (component_->OnOk) component_->OnOk(this);
    SetModalResult(vcl::mrOk);
}

void TTipDialog::NextTipClick() {
    if (component_->OnNext) component_->OnNext(this);
    ShowRandomTip();
}

void TTipDialog::Other1Click() {
    if (component_->OnCustom1) component_->OnCustom1(this);
}

void TTipDialog::Other2Click() {
    if (component_->OnCustom2) component_->OnCustom2(this);
}

void TTipDialog::CheckClick() {
    if (!component_->Designing()) component_->SetupCheckbox()->SetChecked(check_->Checked());
    if (component_->OnCheckClick) component_->OnCheckClick(this);
}

}  // namespace zyltips

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylTipTricks, TZylDialogComponent)

TZylTipTricks::TZylTipTricks(vcl::TComponent* owner)
    : TZylDialogComponent(owner),
      setupCheckbox_(std::make_unique<TZylCheckBoxInfo>()),
      custom1_(std::make_unique<TZylButtonDetails>(this)),
      custom2_(std::make_unique<TZylButtonDetails>(this)),
      ok_(std::make_unique<TZylButtonDetails>(this)),
      nextTip_(std::make_unique<TZylButtonDetails>(this)),
      tips_(std::make_unique<vcl::TStringList>()),
      fonts_(std::make_unique<vcl::TFont>()) {
    ok_->SetCaption("Ok");
    nextTip_->SetCaption("Next Tip");
    fonts_->SetSize(8);
}

TZylTipTricks::~TZylTipTricks() = default;

bool TZylTipTricks::Execute() {
    auto* form = new zyltips::TTipDialog(this);
    const vcl::ScopeExit release([form] { form->Free(); });
    form->SetFont(fonts_.get());
    form->Heading()->SetCaption(didYouKnow_);
    form->SetCaption(tipDlgCaption_);
    form->TipLabel()->SetAlignment(tipAlign_);
    form->TipPanel()->SetColor(color_);
    const std::pair<const char*, const TZylButtonDetails*> buttons[] = {{"Other1Button", custom1_.get()},
                                                                        {"OkButton", ok_.get()},
                                                                        {"NextTipButton", nextTip_.get()},
                                                                        {"Other2Button", custom2_.get()}};
    for (const auto& [name, details] : buttons)
        details->ApplyTo(form->Button(name));
    vcl::TCheckBox* check = form->CheckBox();
    check->SetEnabled(setupCheckbox_->Enabled());
    check->SetVisible(setupCheckbox_->Visible());
    check->SetChecked(setupCheckbox_->Checked());
    check->SetCaption(setupCheckbox_->Caption());
    form->ConnectCheckBox();
    form->DrawPicture();
    form->Tips()->Assign(tips_.get());
    form->ShowRandomTip();
    TZylDialogComponent::Execute();
    form->ShowModal();
    return true;
}

}  // namespace quenta
