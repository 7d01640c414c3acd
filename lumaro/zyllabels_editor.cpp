// The caption property editor of the enhanced package and its "Caption Editor" dialog.
#include "lumaro/zyleditordialog_internal.h"
#include "lumaro/zyleditors.h"

namespace lumaro {

using namespace vcl;

namespace {

// The dialog: one edit box holding the caption.
class CaptionDialog : public EditorDialog {
public:
    explicit CaptionDialog(const std::string& caption)
        : EditorDialog("CaptionEditor", "Caption Editor", 320, 84) {
        edit_ = new TEdit(Form());
        edit_->SetName("Edit");
        edit_->SetBounds(8, 12, 304, 21);
        edit_->SetText(caption);
        edit_->SetParent(Form());
        AddButtons(48, true);
        Form()->SetActiveControl(edit_);
        // Typing replaces the whole caption at once.
        Form()->OnActivate = [edit = edit_](TObject*) { edit->SelectAll(); };
    }

    // True when closed with Ok; the edited text is then in `caption`.
    bool Execute(std::string& caption) {
        if (!EditorDialog::Execute()) return false;
        caption = edit_->Text();
        return true;
    }

private:
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
