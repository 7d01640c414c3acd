// The caption property editor of the enhanced package and its "Caption Editor" dialog.
#include "lumaro/zyleditors.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace lumaro {

using namespace vcl;

namespace {

// The dialog, built in code: one edit box holding the caption and the Ok and Cancel buttons.
class CaptionDialog {
public:
    explicit CaptionDialog(const std::string& caption) : form_(new TForm(nullptr, 0)) {
        try {
            Build(caption);
        } catch (...) {
            form_->Free();
            throw;
        }
    }
    ~CaptionDialog() { form_->Free(); }
    CaptionDialog(const CaptionDialog&) = delete;
    CaptionDialog& operator=(const CaptionDialog&) = delete;

    // True when closed with Ok; the edited text is then in `caption`.
    bool Execute(std::string& caption) {
        if (form_->ShowModal() != mrOk) return false;
        caption = edit_->Text();
        return true;
    }

private:
    void Build(const std::string& caption) {
        form_->SetName("CaptionEditor");
        form_->SetCaption("Caption Editor");
        form_->SetBorderStyle(bsDialog);
        form_->SetBorderIcons(TBorderIcons{biSystemMenu});
        form_->SetPosition(poScreenCenter);
        form_->SetClientWidth(320);
        form_->SetClientHeight(84);

        edit_ = new TEdit(form_);
        edit_->SetName("Edit");
        edit_->SetBounds(8, 12, 304, 21);
        edit_->SetText(caption);
        edit_->SetParent(form_);

        auto* ok = new TButton(form_);
        ok->SetName("OkButton");
        ok->SetCaption("Ok");
        ok->SetModalResult(mrOk);
        ok->SetDefault(true);
        ok->SetBounds(156, 48, 75, 25);
        ok->SetParent(form_);

        auto* cancel = new TButton(form_);
        cancel->SetName("CancelButton");
        cancel->SetCaption("Cancel");
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
        cancel->SetBounds(237, 48, 75, 25);
        cancel->SetParent(form_);

        form_->SetActiveControl(edit_);
        // Typing replaces the whole caption at once.
        form_->OnActivate = [edit = edit_](TObject*) { edit->SelectAll(); };
    }

    TForm* form_;
    TEdit* edit_ = nullptr;
};

}  // namespace

VCL_DEFINE_CLASS(TZylCaptionProperty, vcl::TStringProperty)

TPropertyAttributes TZylCaptionProperty::GetAttributes() const {
    return {paDialog, paMultiSelect, paAutoUpdate};
}

void TZylCaptionProperty::Edit() {
    std::string caption = GetStrValue();
    CaptionDialog dialog(caption);
    // SetValue gives the text to every selected control and tells the designer.
    if (dialog.Execute(caption)) SetValue(caption);
}

}  // namespace lumaro
