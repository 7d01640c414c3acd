#include "quenta/zylpassword.h"

#include <algorithm>

#include "vcl/buttons.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace quenta {

using vcl::Integer;

namespace zylpassword {

// Equal length and bytes, looked at to the end whatever differs first.
bool SameSecret(std::string_view a, std::string_view b) {
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    const size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

std::string Shifted(std::string_view text, int offset) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(static_cast<unsigned char>(static_cast<unsigned char>(c) + offset));
    return result;
}

// The form both password dialogs show.
class TPasswordForm : public vcl::TForm {
public:
    TPasswordForm() : TForm(vcl::Application, 0) {
        SetName("PasswordForm");
        SetBorderStyle(vcl::bsToolWindow);
        SetBorderIcons(vcl::TBorderIcons{vcl::biSystemMenu});
        Font()->SetStyle(vcl::TFontStyles{vcl::TFontStyle::fsBold});
        caption_ = new vcl::TLabel(this);
        caption_->SetName("CaptionLabel");
        caption_->SetParent(this);
        caption_->SetAlign(vcl::TAlign::alTop);
        caption_->SetAlignment(vcl::TAlignment::taCenter);
        icon_ = AddImage("IconImage", 12, 28);
        key_ = AddImage("KeyImage", 12, 72);
        userLabel_ = AddLabel("UserLabel", "Username", 34);
        user_ = AddEdit("UserEdit", 30);
        passwordLabel_ = AddLabel("PasswordLabel", "Password", 66);
        password_ = AddEdit("PasswordEdit", 62);
        ok_ = AddButton("OkButton", "OK", 140);
        ok_->SetDefault(true);
        cancel_ = AddButton("CancelButton", "Cancel", 225);
        cancel_->SetCancel(true);
        password_->OnChange = [this](vcl::TObject*) { ok_->SetEnabled(!password_->Text().empty()); };
        DrawKey();
    }

    vcl::TLabel* CaptionLabel() const { return caption_; }
    vcl::TImage* IconImage() const { return icon_; }
    vcl::TEdit* UserEdit() const { return user_; }
    vcl::TEdit* PasswordEdit() const { return password_; }
    vcl::TBitBtn* OkButton() const { return ok_; }
    vcl::TBitBtn* CancelButton() const { return cancel_; }
    void HideUserName() {
        userLabel_->SetVisible(false);
        user_->SetVisible(false);
    }
    bool AsksUserName() const { return user_->Visible(); }
    // The typed secret is overwritten and the edit emptied.
    void ClearPassword() {
        std::string text = password_->Text();
        ZylWipe(text);
        password_->SetText(std::string(password_->Text().size(), ' '));
        password_->SetText("");
    }

private:
    vcl::TImage* AddImage(const char* name, Integer left, Integer top) {
        auto* image = new vcl::TImage(this);
        image->SetName(name);
        image->SetParent(this);
        image->SetBounds(left, top, 32, 32);
        return image;
    }
    vcl::TLabel* AddLabel(const char* name, const char* caption, Integer top) {
        auto* label = new vcl::TLabel(this);
        label->SetName(name);
        label->SetParent(this);
        label->SetCaption(caption);
        label->SetBounds(56, top, 80, 16);
        return label;
    }
    vcl::TEdit* AddEdit(const char* name, Integer top) {
        auto* edit = new vcl::TEdit(this);
        edit->SetName(name);
        edit->SetParent(this);
        edit->SetBounds(140, top, 160, 21);
        edit->SetText("");
        return edit;
    }
    vcl::TBitBtn* AddButton(const char* name, const char* caption, Integer left) {
        auto* button = new vcl::TBitBtn(this);
        button->SetName(name);
        button->SetParent(this);
        button->SetCaption(caption);
        button->SetBounds(left, 104, 75, 25);
        return button;
    }
    // A key: a ring for the bow, a shaft and two teeth.
    void DrawKey() {
        vcl::TBitmap* bitmap = key_->Picture()->Bitmap();
        bitmap->SetSize(32, 32);
        vcl::TCanvas* canvas = bitmap->Canvas();
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(vcl::Rect(0, 0, 32, 32));
        canvas->Pen()->SetColor(vcl::clBlack);
        canvas->Brush()->SetColor(vcl::clYellow);
        canvas->Ellipse(2, 10, 14, 22);
        canvas->Rectangle(13, 14, 30, 18);
        canvas->Rectangle(22, 17, 25, 23);
        canvas->Rectangle(27, 17, 30, 21);
    }

    vcl::TLabel* caption_;
    vcl::TImage* icon_;
    vcl::TImage* key_;
    vcl::TLabel* userLabel_;
    vcl::TEdit* user_;
    vcl::TLabel* passwordLabel_;
    vcl::TEdit* password_;
    vcl::TBitBtn* ok_;
    vcl::TBitBtn* cancel_;
};

}  // namespace zylpassword

// ---------------------------------------------------------------------------------------------
// TZylPasswordDialogBase

VCL_DEFINE_CLASS(TZylPasswordDialogBase, TZylAdvDialogComponent)

TZylPasswordDialogBase::TZylPasswordDialogBase(vcl::TComponent* owner, const std::string& caption,
                                               const std::string& editCaption)
    : TZylAdvDialogComponent(owner),
      fonts_(std::make_unique<vcl::TFont>()),
      glyphOk_(std::make_unique<vcl::TBitmap>()),
      glyphCancel_(std::make_unique<vcl::TBitmap>()),
      editCaption_(editCaption) {
    SetWindowDefaults(caption, 320, 200, vcl::poScreenCenter);
}

TZylPasswordDialogBase::~TZylPasswordDialogBase() = default;

void TZylPasswordDialogBase::RunForm(bool askUserName) {
    using zylpassword::TPasswordForm;
    auto* form = new TPasswordForm();
    const vcl::ScopeExit release([form] {
        form->ClearPassword();
        form->Free();
    });
    SetFormProperties(form);
    form->SetFont(fonts_.get());
    form->IconImage()->Picture()->SetGraphic(vcl::Application->Icon());
    form->PasswordEdit()->SetPasswordChar(passwordchar_);
    form->CaptionLabel()->SetCaption(editCaption_);
    form->OkButton()->SetGlyph(glyphOk_.get());
    form->CancelButton()->SetGlyph(glyphCancel_.get());
    if (!askUserName) form->HideUserName();

    auto okClick = [this, form](vcl::TObject*) {
        std::string password = form->PasswordEdit()->Text();
        const vcl::ScopeExit wipe([&password] { ZylWipe(password); });
        Answer(form, form->UserEdit()->Text(), password);
    };
    form->OkButton()->OnClick = okClick;
    form->CancelButton()->OnClick = [this, form](vcl::TObject*) {
        if (OnCancel) OnCancel(this);
        form->SetModalResult(vcl::mrCancel);
    };
    // Enter answers like OK, and only while OK can be pressed.
    auto enterKey = [form, okClick](vcl::TObject*, char32_t& key) {
        if (key != U'\r') return;
        key = 0;
        if (form->OkButton()->Enabled()) okClick(form->OkButton());
    };
    form->UserEdit()->OnKeyPress = enterKey;
    form->PasswordEdit()->OnKeyPress = enterKey;
    form->OnShow = [this, form](vcl::TObject*) {
        attempt_ = 1;
        form->UserEdit()->SetText("");
        form->ClearPassword();
        form->OkButton()->SetEnabled(false);
        form->SetActiveControl(form->AsksUserName() ? form->UserEdit() : form->PasswordEdit());
    };
    form->ShowModal();
}

void TZylPasswordDialogBase::Answer(vcl::TCustomForm* form, const std::string& userName,
                                    const std::string& password) {
    if (OnOk) OnOk(this);
    if (CheckAnswer(form, userName, password)) {
        form->SetModalResult(vcl::mrOk);
        return;
    }
    if (attempt_ >= std::max<Integer>(noOfRetries_, 1)) {
        form->SetModalResult(vcl::mrAbort);
        if (AfterRetries) AfterRetries(this);
    }
    ++attempt_;
}

// ---------------------------------------------------------------------------------------------
// TZylPasswordDlg

VCL_DEFINE_CLASS(TZylPasswordDlg, TZylPasswordDialogBase)

TZylPasswordDlg::TZylPasswordDlg(vcl::TComponent* owner)
    : TZylPasswordDialogBase(owner, std::string(kEditCaption), std::string(kEditCaption)) {}

TZylPasswordDlg::~TZylPasswordDlg() {
    ZylWipe(password_);
}

void TZylPasswordDlg::SetPassword(const std::string& value) {
    password_ = vcl::AnsiUpperCase(value);
    scramble_ = zylpassword::Shifted(password_, kScrambleOffset);
}

// The password read back is upper case too, so that both always describe the same secret.
void TZylPasswordDlg::SetScramble(const std::string& value) {
    SetPassword(zylpassword::Shifted(value, -kScrambleOffset));
}

bool TZylPasswordDlg::Execute() {
    TZylDialogComponent::Execute();
    RunForm(false);
    return true;
}

bool TZylPasswordDlg::CheckAnswer(vcl::TCustomForm* form, const std::string&, const std::string& password) {
    std::string typed = vcl::AnsiUpperCase(password);
    const bool right = zylpassword::SameSecret(typed, password_);
    ZylWipe(typed);
    if (right) {
        form->Hide();
        if (OnRightPassword) OnRightPassword(this);
    } else if (OnWrongPassword) {
        OnWrongPassword(this);
    }
    return right;
}

// ---------------------------------------------------------------------------------------------
// TZylDBPasswordDlg

VCL_DEFINE_CLASS(TZylDataSourceLink, vcl::TDataLink)
VCL_DEFINE_CLASS(TZylDBPasswordDlg, TZylPasswordDialogBase)

TZylDBPasswordDlg::TZylDBPasswordDlg(vcl::TComponent* owner)
    : TZylPasswordDialogBase(owner, "Database Login", std::string(kEditCaption)),
      dataLink_(std::make_unique<TZylDataSourceLink>(this)) {}

TZylDBPasswordDlg::~TZylDBPasswordDlg() = default;

void TZylDBPasswordDlg::SetDataUserName(const std::string& value) {
    if (value != dataUserName_) dataUserName_ = value;
}

void TZylDBPasswordDlg::SetDataPassword(const std::string& value) {
    if (value != dataPassword_) dataPassword_ = value;
}

void TZylDBPasswordDlg::SetDataSource(vcl::TDataSource* value) {
    vcl::TDataSource* old = dataLink_->DataSource();
    if (value == old) return;
    dataLink_->SetDataSource(value);
    if (old) old->RemoveFreeNotification(this);
    if (value) value->FreeNotification(this);
}

void TZylDBPasswordDlg::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    TZylPasswordDialogBase::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component && component == dataLink_->DataSource())
        dataLink_->SetDataSource(nullptr);
}

bool TZylDBPasswordDlg::Execute() {
    if (!DataSource()) return false;
    RunForm(true);
    return true;
}

bool TZylDBPasswordDlg::VerifyLogin(const std::string& userName, const std::string& password) {
    vcl::TDataSet* data = dataLink_->DataSet();
    if (!data) return false;
    try {
        data->SetIndexFieldNames(dataUserName_);
        data->Open();
        if (!data->Locate(dataUserName_, {vcl::Variant(userName)}, {})) vcl::DatabaseError(errorMessage_);
        std::string stored = data->FieldByName(dataPassword_)->AsString();
        const bool right = zylpassword::SameSecret(stored, password);
        ZylWipe(stored);
        if (!right) {
            if (OnWrongPassword) OnWrongPassword(this);
            vcl::DatabaseError(errorMessage_);
        }
        if (OnRightPassword) OnRightPassword(this);
        return true;
    } catch (const std::exception& error) {
        vcl::Application->HandleException(this, error);
        return false;
    }
}

bool TZylDBPasswordDlg::CheckAnswer(vcl::TCustomForm*, const std::string& userName,
                                    const std::string& password) {
    return VerifyLogin(userName, password);
}

}  // namespace quenta
