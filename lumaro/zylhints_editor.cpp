// The hint property editor of the enhanced package and its "Hint Editor" dialog.
#include "lumaro/zyleditors.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace lumaro {

using namespace vcl;

namespace {

// The dialog, built in code: a memo for the short hint, an edit box for the long hint (the status bar
// text) and the Ok and Cancel buttons.
class HintDialog {
public:
    HintDialog(const std::string& shortHint, const std::string& longHint) : form_(new TForm(nullptr, 0)) {
        try {
            Build(shortHint, longHint);
        } catch (...) {
            form_->Free();
            throw;
        }
    }
    ~HintDialog() { form_->Free(); }
    HintDialog(const HintDialog&) = delete;
    HintDialog& operator=(const HintDialog&) = delete;

    // True when closed with Ok; the edited hint is then in `hint`.
    bool Execute(std::string& hint) {
        if (form_->ShowModal() != mrOk) return false;
        hint = memo_->Text();
        const std::string longHint = statusBar_->Text();
        if (!longHint.empty()) hint += "|" + longHint;
        return true;
    }

private:
    void Build(const std::string& shortHint, const std::string& longHint) {
        form_->SetName("HintEditor");
        form_->SetCaption("Hint Editor");
        form_->SetBorderStyle(bsDialog);
        form_->SetBorderIcons(TBorderIcons{biSystemMenu});
        form_->SetPosition(poScreenCenter);
        form_->SetClientWidth(320);
        form_->SetClientHeight(184);

        memo_ = new TMemo(form_);
        memo_->SetName("Memo");
        memo_->SetBounds(8, 8, 304, 89);
        memo_->SetText(shortHint);
        memo_->SetParent(form_);

        auto* label = new TLabel(form_);
        label->SetName("StatusbarLabel");
        label->SetCaption("Statusbar");
        label->SetBounds(8, 104, 60, 13);
        label->SetParent(form_);

        statusBar_ = new TEdit(form_);
        statusBar_->SetName("Statusbar");
        statusBar_->SetBounds(8, 120, 304, 21);
        statusBar_->SetText(longHint);
        statusBar_->SetParent(form_);

        auto* ok = new TButton(form_);
        ok->SetName("OkButton");
        ok->SetCaption("Ok");
        ok->SetModalResult(mrOk);
        ok->SetBounds(156, 152, 75, 25);
        ok->SetParent(form_);

        auto* cancel = new TButton(form_);
        cancel->SetName("CancelButton");
        cancel->SetCaption("Cancel");
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
        cancel->SetBounds(237, 152, 75, 25);
        cancel->SetParent(form_);

        form_->SetActiveControl(memo_);
        // Typing replaces the whole short hint at once.
        form_->OnActivate = [memo = memo_](TObject*) { memo->SelectAll(); };
    }

    TForm* form_;
    TMemo* memo_ = nullptr;
    TEdit* statusBar_ = nullptr;
};

}  // namespace

VCL_DEFINE_CLASS(TZylHintProperty, vcl::TStringProperty)

TPropertyAttributes TZylHintProperty::GetAttributes() const {
    return {paDialog, paMultiSelect, paAutoUpdate};
}

void TZylHintProperty::Edit() {
    const std::string value = GetStrValue();
    const size_t bar = value.find('|');
    HintDialog dialog(value.substr(0, bar), bar == std::string::npos ? std::string() : value.substr(bar + 1));
    std::string hint;
    // SetValue gives the hint to every selected component and tells the designer.
    if (dialog.Execute(hint)) SetValue(hint);
}

}  // namespace lumaro
