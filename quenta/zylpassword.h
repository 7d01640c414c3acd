// The password prompts: a password compared with one set by the application, and a login of user
// name and password checked against a table. Both share one form and count the attempts.
#pragma once

#include <memory>
#include <string>

#include "quenta/zyldialogs.h"
#include "vcl/db.h"

namespace quenta {

// What the two password dialogs share: the form's look, the events and the attempts allowed.
// The form is "PasswordForm" with the label "CaptionLabel", the edits "UserEdit" and
// "PasswordEdit" with their labels, the pictures "IconImage" and "KeyImage", and the buttons
// "OkButton" and "CancelButton". OK is enabled while the password edit holds text; Enter in an
// edit acts as OK only then. The password edit is cleared when the form closes.
class TZylPasswordDialogBase : public TZylAdvDialogComponent {
    VCL_DECLARE_CLASS(TZylPasswordDialogBase, TZylAdvDialogComponent)
public:
    ~TZylPasswordDialogBase() override;

    vcl::TFont* Fonts() const { return fonts_.get(); }
    void SetFonts(const vcl::TFont* value) { fonts_->Assign(value); }
    char Passwordchar() const { return passwordchar_; }
    void SetPasswordchar(char value) { passwordchar_ = value; }
    vcl::TBitmap* GlyphOk() const { return glyphOk_.get(); }
    void SetGlyphOk(const vcl::TBitmap* value) { glyphOk_->Assign(value); }
    vcl::TBitmap* GlyphCancel() const { return glyphCancel_.get(); }
    void SetGlyphCancel(const vcl::TBitmap* value) { glyphCancel_->Assign(value); }
    const std::string& EditCaption() const { return editCaption_; }
    void SetEditCaption(const std::string& value) { editCaption_ = value; }
    // Wrong answers that end the dialog; 0 counts as 1.
    vcl::Byte NoOfRetries() const { return noOfRetries_; }
    void SetNoOfRetries(vcl::Byte value) { noOfRetries_ = value; }

    vcl::TNotifyEvent OnRightPassword;
    vcl::TNotifyEvent OnWrongPassword;
    vcl::TNotifyEvent OnOk;
    vcl::TNotifyEvent OnCancel;
    vcl::TNotifyEvent AfterRetries;

    static void Publish(vcl::Published<TZylPasswordDialogBase>& p) {
        using C = TZylPasswordDialogBase;
        p.Property("Fonts", &C::Fonts);
        p.Property("Passwordchar", &C::Passwordchar, &C::SetPasswordchar, '*');
        p.Property("GlyphOk", &C::GlyphOk, &C::SetGlyphOk);
        p.Property("GlyphCancel", &C::GlyphCancel, &C::SetGlyphCancel);
        p.Property("NoOfRetries", &C::NoOfRetries, &C::SetNoOfRetries, vcl::Byte{3});
        p.Event("OnRightPassword", &C::OnRightPassword);
        p.Event("OnWrongPassword", &C::OnWrongPassword);
        p.Event("OnOk", &C::OnOk);
        p.Event("OnCancel", &C::OnCancel);
        p.Event("AfterRetries", &C::AfterRetries);
    }

protected:
    TZylPasswordDialogBase(vcl::TComponent* owner, const std::string& caption,
                           const std::string& editCaption);

    // Builds the form, shows it modally and frees it. The text typed is gone afterwards.
    void RunForm(bool askUserName);
    // OK pressed: true for the right answer, which ends the dialog. Reports the answer through
    // OnRightPassword or OnWrongPassword.
    virtual bool CheckAnswer(vcl::TCustomForm* form, const std::string& userName,
                             const std::string& password) = 0;

private:
    // OK: the check, then the counting of wrong answers.
    void Answer(vcl::TCustomForm* form, const std::string& userName, const std::string& password);

    std::unique_ptr<vcl::TFont> fonts_;
    char passwordchar_ = '*';
    std::unique_ptr<vcl::TBitmap> glyphOk_;
    std::unique_ptr<vcl::TBitmap> glyphCancel_;
    std::string editCaption_;
    vcl::Byte noOfRetries_ = 3;
    vcl::Integer attempt_ = 1;
};

// Asks for a password and compares it, in any letter case, with Password. Password is kept in
// upper case; Scramble is the same text with every character code moved by a fixed offset, and
// is what a form file stores.
class TZylPasswordDlg : public TZylPasswordDialogBase {
    VCL_DECLARE_CLASS(TZylPasswordDlg, TZylPasswordDialogBase)
public:
    explicit TZylPasswordDlg(vcl::TComponent* owner);
    ~TZylPasswordDlg() override;

    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& value);
    const std::string& Scramble() const { return scramble_; }
    void SetScramble(const std::string& value);

    // Plays the sound and shows the prompt; true once it has closed. The outcome goes to the events.
    bool Execute() override;

    static void Publish(vcl::Published<TZylPasswordDlg>& p) {
        p.Property("EditCaption", &TZylPasswordDlg::EditCaption, &TZylPasswordDlg::SetEditCaption,
                   std::string(kEditCaption));
        p.Property("Scramble", &TZylPasswordDlg::Scramble, &TZylPasswordDlg::SetScramble, std::string());
        p.Property("Password", &TZylPasswordDlg::Password, &TZylPasswordDlg::SetPassword, std::string())
            .Stored(false);
    }

    static constexpr std::string_view kEditCaption = "Please enter your Password";
    // The offset between Password and Scramble.
    static constexpr unsigned char kScrambleOffset = 11;

protected:
    bool CheckAnswer(vcl::TCustomForm* form, const std::string& userName,
                     const std::string& password) override;

private:
    std::string password_;
    std::string scramble_;
};

class TZylDBPasswordDlg;

// The data link of the login dialog, which knows its dialog.
class TZylDataSourceLink : public vcl::TDataLink {
    VCL_DECLARE_CLASS(TZylDataSourceLink, vcl::TDataLink)
public:
    explicit TZylDataSourceLink(TZylDBPasswordDlg* dialog) : dialog_(dialog) {}
    TZylDBPasswordDlg* Dialog() const { return dialog_; }

private:
    TZylDBPasswordDlg* dialog_;
};

// Asks for a user name and a password and looks them up in the dataset of DataSource: the record
// whose DataUserName field holds the name must hold the password, exactly, in DataPassword.
class TZylDBPasswordDlg : public TZylPasswordDialogBase {
    VCL_DECLARE_CLASS(TZylDBPasswordDlg, TZylPasswordDialogBase)
public:
    explicit TZylDBPasswordDlg(vcl::TComponent* owner);
    ~TZylDBPasswordDlg() override;

    const std::string& DataUserName() const { return dataUserName_; }
    void SetDataUserName(const std::string& value);
    const std::string& DataPassword() const { return dataPassword_; }
    void SetDataPassword(const std::string& value);
    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value);
    const std::string& ErrorMessage() const { return errorMessage_; }
    void SetErrorMessage(const std::string& value) { errorMessage_ = value; }
    TZylDataSourceLink* DataLink() const { return dataLink_.get(); }

    // False at once without a data source; else shows the login and is true once it has closed.
    bool Execute() override;
    // Whether the user name and password match a record. An unknown user or a wrong password goes
    // to the application's exception handler as ErrorMessage; nothing is raised.
    bool VerifyLogin(const std::string& userName, const std::string& password);

    static void Publish(vcl::Published<TZylDBPasswordDlg>& p) {
        using C = TZylDBPasswordDlg;
        p.Property("DataUserName", &C::DataUserName, &C::SetDataUserName, std::string());
        p.Property("DataPassword", &C::DataPassword, &C::SetDataPassword, std::string());
        p.Property("DataSource", &C::DataSource, &C::SetDataSource);
        p.Property("EditCaption", &C::EditCaption, &C::SetEditCaption, std::string(kEditCaption));
        p.Property("ErrorMessage", &C::ErrorMessage, &C::SetErrorMessage, std::string(kErrorMessage));
    }

    static constexpr std::string_view kEditCaption = "Please enter your Login and Password";
    static constexpr std::string_view kErrorMessage = "Invalid Username or Password";

protected:
    bool CheckAnswer(vcl::TCustomForm* form, const std::string& userName,
                     const std::string& password) override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    std::string dataUserName_;
    std::string dataPassword_;
    std::unique_ptr<TZylDataSourceLink> dataLink_;
    std::string errorMessage_{kErrorMessage};
};

}  // namespace quenta
