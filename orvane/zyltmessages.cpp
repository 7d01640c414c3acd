#include "orvane/zyltmessages.h"

#include "vcl/buttons.h"
#include "vcl/forms.h"
#include "win32/scope.h"

namespace orvane {

using vcl::Integer;

// ---------------------------------------------------------------------------------------------
// TZylMsgBox

VCL_DEFINE_CLASS(TZylMsgBox, TZylAdvancedExecComponent)

TZylMsgBox::TZylMsgBox(vcl::TComponent* owner)
    : TZylAdvancedExecComponent(owner), caption_(std::make_unique<vcl::TStringList>()) {
    if (Designing()) caption_->Add(std::string(kDesignCaption));
}

TZylMsgBox::~TZylMsgBox() = default;

void TZylMsgBox::SetCaption(const vcl::TStrings* value) {
    caption_->Assign(value);
}

void TZylMsgBox::SetXPosition(Integer value) {
    xPosition_ = value;
    if (value == -1) yPosition_ = -1;
}

void TZylMsgBox::SetYPosition(Integer value) {
    yPosition_ = value;
    if (value == -1) xPosition_ = -1;
}

std::string TZylMsgBox::MessageText() const {
    std::string text;
    for (Integer i = 0; i < caption_->Count(); ++i)
        text += caption_->Strings(i) + '\r';
    return text;
}

bool TZylMsgBox::Execute() {
    PlaySound();
    const std::string text = MessageText();
    modalResult_ = yPosition_ == -1 ? vcl::MessageDlg(text, messageType_, buttons_, helpContext_)
                                    : vcl::MessageDlgPos(text, messageType_, buttons_, helpContext_,
                                                         xPosition_, yPosition_);
    const vcl::TNotifyEvent* answered = nullptr;
    switch (modalResult_) {
        case vcl::mrYes:
            answered = &OnYes;
            break;
        case vcl::mrNo:
            answered = &OnNo;
            break;
        case vcl::mrOk:
            answered = &OnOk;
            break;
        case vcl::mrCancel:
            answered = &OnCancel;
            break;
        case vcl::mrAbort:
            answered = &OnAbort;
            break;
        case vcl::mrRetry:
            answered = &OnRetry;
            break;
        case vcl::mrIgnore:
            answered = &OnIgnore;
            break;
        case vcl::mrAll:
            answered = &OnAll;
            break;
        default:
            break;
    }
    if (answered && *answered) (*answered)(this);
    return true;
}

// ---------------------------------------------------------------------------------------------
// TZylMsgDlg

VCL_DEFINE_CLASS(TZylMsgDlg, TZylAdvancedExecComponent)

bool TZylMsgDlg::Execute() {
    PlaySound();
    const bool ok = vcl::InputQuery(header_, question_, return_);
    const vcl::TNotifyEvent& answered = ok ? OnOk : OnCancel;
    if (answered) answered(this);
    return ok;
}

// ---------------------------------------------------------------------------------------------
// InputQueryEx and TZylMsgSelect

bool InputQueryEx(const std::string& caption, const std::string& prompt, const vcl::TStrings& items,
                  bool sorted, vcl::TComboBoxStyle style, std::string& value) {
    constexpr Integer kMargin = 10, kButtonWidth = 77, kButtonHeight = 27, kButtonGap = 10;
    auto* form = new vcl::TForm(vcl::Application, 0);
    const vcl::ScopeExit release([form] { form->Free(); });
    form->SetName("InputQueryEx");
    form->SetBorderStyle(vcl::bsDialog);
    form->SetCtl3D(true);
    form->SetBounds(0, 0, 280, 160);
    form->SetCaption(caption);
    form->Font()->SetName("MS Sans Serif");
    form->Font()->SetSize(8);
    form->Font()->SetStyle(vcl::TFontStyles{vcl::TFontStyle::fsBold});
    form->SetPosition(vcl::poScreenCenter);

    auto* label = new vcl::TLabel(form);
    label->SetName("Prompt");
    label->SetParent(form);
    label->SetCaption(prompt);
    label->SetLeft(kMargin);
    label->SetTop(kMargin);

    auto* combo = new vcl::TComboBox(form);
    combo->SetName("Combo");
    combo->SetParent(form);
    combo->SetStyle(style);
    combo->SetSorted(sorted);
    combo->SetMaxLength(127);
    combo->SetBounds(kMargin, label->Top() + label->Height() + 5, form->ClientWidth() - 2 * kMargin,
                     combo->Height());
    combo->Items()->Assign(&items);
    combo->SetText(value);
    if (const Integer index = combo->Items()->IndexOf(value); index >= 0) combo->SetItemIndex(index);
    label->SetFocusControl(combo);

    const Integer buttonTop = combo->Top() + combo->Height() + kMargin;
    const Integer okLeft = form->ClientWidth() / 2 - (2 * kButtonWidth + kButtonGap) / 2;
    auto* ok = new vcl::TBitBtn(form);
    ok->SetName("OK");
    ok->SetParent(form);
    ok->SetCaption("OK");
    ok->SetModalResult(vcl::mrOk);
    ok->SetDefault(true);
    ok->SetBounds(okLeft, buttonTop, kButtonWidth, kButtonHeight);
    auto* cancel = new vcl::TBitBtn(form);
    cancel->SetName("Cancel");
    cancel->SetParent(form);
    cancel->SetCaption("Cancel");
    cancel->SetModalResult(vcl::mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(okLeft + kButtonWidth + kButtonGap, buttonTop, kButtonWidth, kButtonHeight);
    form->SetClientHeight(buttonTop + kButtonHeight + kMargin);
    form->SetActiveControl(combo);

    if (form->ShowModal() != vcl::mrOk) return false;
    value = combo->Text();
    return true;
}

VCL_DEFINE_CLASS(TZylMsgSelect, TZylAdvancedExecComponent)

TZylMsgSelect::TZylMsgSelect(vcl::TComponent* owner)
    : TZylAdvancedExecComponent(owner), items_(std::make_unique<vcl::TStringList>()) {}

TZylMsgSelect::~TZylMsgSelect() = default;

void TZylMsgSelect::SetItems(const vcl::TStrings* value) {
    items_->Assign(value);
}

bool TZylMsgSelect::Execute() {
    PlaySound();
    const bool ok = InputQueryEx(header_, question_, *items_, sorted_, comboStyle_, return_);
    const vcl::TNotifyEvent& answered = ok ? OnOk : OnCancel;
    if (answered) answered(this);
    return ok;
}

}  // namespace orvane
