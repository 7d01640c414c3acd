// The hint property editor of the enhanced package and its "Hint Editor" dialog.
#include "lumaro/zyleditordialog_internal.h"
#include "lumaro/zyleditors.h"

namespace lumaro {

using namespace vcl;

namespace {

// The dialog: a memo for the short hint and an edit box for the long hint (the status bar text).
class HintDialog : public EditorDialog {
public:
    HintDialog(const std::string& shortHint, const std::string& longHint)
        : EditorDialog("HintEditor", "Hint Editor", 320, 184) {
        memo_ = new TMemo(Form());
        memo_->SetName("Memo");
        memo_->SetBounds(8, 8, 304, 89);
        memo_->SetText(shortHint);
        memo_->SetParent(Form());

        auto* label = new TLabel(Form());
        label->SetName("StatusbarLabel");
        label->SetCaption("Statusbar");
        label->SetBounds(8, 104, 60, 13);
        label->SetParent(Form());

        statusBar_ = new TEdit(Form());
        statusBar_->SetName("Statusbar");
        statusBar_->SetBounds(8, 120, 304, 21);
        statusBar_->SetText(longHint);
        statusBar_->SetParent(Form());

        // Enter in the memo starts a new line: Ok is not the default button.
        AddButtons(152, false);
        Form()->SetActiveControl(memo_);
        // Typing replaces the whole short hint at once.
        Form()->OnActivate = [memo = memo_](TObject*) { memo->SelectAll(); };
    }

    // True when closed with Ok; the edited hint is then in `hint`.
    bool Execute(std::string& hint) {
        if (!EditorDialog::Execute()) return false;
        hint = memo_->Text();
        const std::string longHint = statusBar_->Text();
        if (!longHint.empty()) hint += "|" + longHint;
        return true;
    }

private:
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
