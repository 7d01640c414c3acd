// Message components: a message box, an input box and a choice box, each run by Execute and
// answering through one event per result.
#pragma once

#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"

namespace orvane {

// Shows its Caption lines (each followed by a CR) with MessageDlg, or with MessageDlgPos at
// XPosition, YPosition unless YPosition is -1; the answer goes to ModalResult and to the event of
// that answer. Setting either position to -1 sets both to -1.
class TZylMsgBox : public TZylAdvancedExecComponent {
    VCL_DECLARE_CLASS(TZylMsgBox, TZylAdvancedExecComponent)
public:
    // In the designer a new component holds the line "Place your message here".
    explicit TZylMsgBox(vcl::TComponent* owner);
    ~TZylMsgBox() override;

    vcl::TStrings* Caption() const { return caption_.get(); }
    void SetCaption(const vcl::TStrings* value);
    vcl::TMsgDlgType MessageType() const { return messageType_; }
    void SetMessageType(vcl::TMsgDlgType value) { messageType_ = value; }
    vcl::TMsgDlgButtons Buttons() const { return buttons_; }
    void SetButtons(vcl::TMsgDlgButtons value) { buttons_ = value; }
    vcl::Integer HelpContext() const { return helpContext_; }
    void SetHelpContext(vcl::Integer value) { helpContext_ = value; }
    vcl::Integer XPosition() const { return xPosition_; }
    void SetXPosition(vcl::Integer value);
    vcl::Integer YPosition() const { return yPosition_; }
    void SetYPosition(vcl::Integer value);
    // The answer of the last Execute.
    vcl::TModalResult ModalResult() const { return modalResult_; }

    // The text shown: every line of Caption followed by a CR.
    std::string MessageText() const;
    // Always true.
    bool Execute() override;

    vcl::TNotifyEvent OnYes;
    vcl::TNotifyEvent OnNo;
    vcl::TNotifyEvent OnOk;
    vcl::TNotifyEvent OnCancel;
    vcl::TNotifyEvent OnAbort;
    vcl::TNotifyEvent OnRetry;
    vcl::TNotifyEvent OnIgnore;
    vcl::TNotifyEvent OnAll;

    static void Publish(vcl::Published<TZylMsgBox>& p) {
        p.Property("Caption", &TZylMsgBox::Caption);
        p.Property("MessageType", &TZylMsgBox::MessageType, &TZylMsgBox::SetMessageType, vcl::mtInformation);
        p.Property("Buttons", &TZylMsgBox::Buttons, &TZylMsgBox::SetButtons,
                   vcl::TMsgDlgButtons{vcl::mbOK, vcl::mbCancel});
        p.Property("HelpContext", &TZylMsgBox::HelpContext, &TZylMsgBox::SetHelpContext, 0);
        p.Property("XPosition", &TZylMsgBox::XPosition, &TZylMsgBox::SetXPosition, -1);
        p.Property("YPosition", &TZylMsgBox::YPosition, &TZylMsgBox::SetYPosition, -1);
        p.Event("OnYes", &TZylMsgBox::OnYes);
        p.Event("OnNo", &TZylMsgBox::OnNo);
        p.Event("OnOk", &TZylMsgBox::OnOk);
        p.Event("OnCancel", &TZylMsgBox::OnCancel);
        p.Event("OnAbort", &TZylMsgBox::OnAbort);
        p.Event("OnRetry", &TZylMsgBox::OnRetry);
        p.Event("OnIgnore", &TZylMsgBox::OnIgnore);
        p.Event("OnAll", &TZylMsgBox::OnAll);
    }

    static constexpr std::string_view kDesignCaption = "Place your message here";

private:
    std::unique_ptr<vcl::TStrings> caption_;
    vcl::TMsgDlgType messageType_ = vcl::mtInformation;
    vcl::TMsgDlgButtons buttons_{vcl::mbOK, vcl::mbCancel};
    vcl::Integer helpContext_ = 0;
    vcl::Integer xPosition_ = -1;
    vcl::Integer yPosition_ = -1;
    vcl::TModalResult modalResult_ = vcl::mrNone;
};

// Asks for a line of text with InputQuery(Header, Question, Return); OK puts the text in Return.
class TZylMsgDlg : public TZylAdvancedExecComponent {
    VCL_DECLARE_CLASS(TZylMsgDlg, TZylAdvancedExecComponent)
public:
    explicit TZylMsgDlg(vcl::TComponent* owner) : TZylAdvancedExecComponent(owner) {}

    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& value) { header_ = value; }
    const std::string& Question() const { return question_; }
    void SetQuestion(const std::string& value) { question_ = value; }
    const std::string& Return() const { return return_; }
    void SetReturn(const std::string& value) { return_ = value; }

    // True when OK was chosen.
    bool Execute() override;

    vcl::TNotifyEvent OnOk;
    vcl::TNotifyEvent OnCancel;

    static void Publish(vcl::Published<TZylMsgDlg>& p) {
        p.Property("Header", &TZylMsgDlg::Header, &TZylMsgDlg::SetHeader, std::string("Heading"));
        p.Property("Question", &TZylMsgDlg::Question, &TZylMsgDlg::SetQuestion, std::string("Question"));
        p.Property("Return", &TZylMsgDlg::Return, &TZylMsgDlg::SetReturn, std::string("Default Return"));
        p.Event("OnOk", &TZylMsgDlg::OnOk);
        p.Event("OnCancel", &TZylMsgDlg::OnCancel);
    }

private:
    std::string header_ = "Heading";
    std::string question_ = "Question";
    std::string return_ = "Default Return";
};

// The choice box of TZylMsgSelect: a modal form "InputQueryEx" (280 x 160, dialog border, caption
// `caption`, MS Sans Serif 8 point bold, centred on the screen) with the label "Prompt" at (10, 10),
// the combo box "Combo" 5 pixels below it (10 pixels from either side, at most 127 characters, the
// text `value`, selected in `items` when it is one of them) and the buttons "OK" and "Cancel" (77 x
// 27, 10 pixels apart, centred, 10 pixels below the combo box; the client area ends 10 pixels below
// them). True and `value` set to the combo box's text when it ends with OK.
bool InputQueryEx(const std::string& caption, const std::string& prompt, const vcl::TStrings& items,
                  bool sorted, vcl::TComboBoxStyle style, std::string& value);

// Lets the user choose (or type, with a combo style that allows it) one of Items.
class TZylMsgSelect : public TZylAdvancedExecComponent {
    VCL_DECLARE_CLASS(TZylMsgSelect, TZylAdvancedExecComponent)
public:
    explicit TZylMsgSelect(vcl::TComponent* owner);
    ~TZylMsgSelect() override;

    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& value) { header_ = value; }
    const std::string& Question() const { return question_; }
    void SetQuestion(const std::string& value) { question_ = value; }
    const std::string& Return() const { return return_; }
    void SetReturn(const std::string& value) { return_ = value; }
    vcl::TStrings* Items() const { return items_.get(); }
    void SetItems(const vcl::TStrings* value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value) { sorted_ = value; }
    vcl::TComboBoxStyle ComboStyle() const { return comboStyle_; }
    void SetComboStyle(vcl::TComboBoxStyle value) { comboStyle_ = value; }

    // True when OK was chosen.
    bool Execute() override;

    vcl::TNotifyEvent OnOk;
    vcl::TNotifyEvent OnCancel;

    static void Publish(vcl::Published<TZylMsgSelect>& p) {
        p.Property("Header", &TZylMsgSelect::Header, &TZylMsgSelect::SetHeader, std::string("Heading"));
        p.Property("Question", &TZylMsgSelect::Question, &TZylMsgSelect::SetQuestion,
                   std::string("Question"));
        p.Property("Return", &TZylMsgSelect::Return, &TZylMsgSelect::SetReturn, std::string());
        p.Property("Items", &TZylMsgSelect::Items);
        p.Property("Sorted", &TZylMsgSelect::Sorted, &TZylMsgSelect::SetSorted, false);
        p.Property("ComboStyle", &TZylMsgSelect::ComboStyle, &TZylMsgSelect::SetComboStyle, vcl::csDropDown);
        p.Event("OnOk", &TZylMsgSelect::OnOk);
        p.Event("OnCancel", &TZylMsgSelect::OnCancel);
    }

private:
    std::string header_ = "Heading";
    std::string question_ = "Question";
    std::string return_;
    std::unique_ptr<vcl::TStrings> items_;
    bool sorted_ = false;
    vcl::TComboBoxStyle comboStyle_ = vcl::csDropDown;
};

}  // namespace orvane
