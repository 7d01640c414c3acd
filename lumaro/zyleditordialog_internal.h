// The modal dialog of a property editor, built in code: a fixed dialog form centred on the screen,
// the editor's own controls, and Ok and Cancel at its bottom right. The form is freed with the
// object, also when building it fails halfway.
#pragma once

#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace lumaro {

class EditorDialog {
public:
    EditorDialog(const char* name, const char* caption, int clientWidth, int clientHeight)
        : form_(new vcl::TForm(nullptr, 0)) {
        form_->SetName(name);
        form_->SetCaption(caption);
        form_->SetBorderStyle(vcl::bsDialog);
        form_->SetBorderIcons(vcl::TBorderIcons{vcl::biSystemMenu});
        form_->SetPosition(vcl::poScreenCenter);
        form_->SetClientWidth(clientWidth);
        form_->SetClientHeight(clientHeight);
    }
    ~EditorDialog() { form_->Free(); }
    EditorDialog(const EditorDialog&) = delete;
    EditorDialog& operator=(const EditorDialog&) = delete;

    // True when closed with Ok.
    bool Execute() { return form_->ShowModal() == vcl::mrOk; }

protected:
    vcl::TForm* Form() const { return form_; }

    // Ok and Cancel side by side, ending at the form's right margin; Ok answers Enter when it is
    // the default.
    void AddButtons(int top, bool okDefault) {
        const int right = form_->ClientWidth() - 8;
        AddButton("OkButton", "Ok", vcl::mrOk, right - 156, top)->SetDefault(okDefault);
        AddButton("CancelButton", "Cancel", vcl::mrCancel, right - 75, top)->SetCancel(true);
    }

private:
    vcl::TButton* AddButton(const char* name, const char* caption, vcl::TModalResult result, int left,
                            int top) {
        auto* button = new vcl::TButton(form_);
        button->SetName(name);
        button->SetCaption(caption);
        button->SetModalResult(result);
        button->SetBounds(left, top, 75, 25);
        button->SetParent(form_);
        return button;
    }

    vcl::TForm* form_;
};

}  // namespace lumaro
