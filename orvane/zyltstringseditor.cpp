#include "orvane/zyltstringseditor.h"

#include "orvane/zyltstringholders.h"
#include "vcl/buttons.h"
#include "vcl/designintf.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace orvane {

using vcl::Integer;

namespace stringseditor {

std::string CountText(Integer count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

void Changed(vcl::TComponentEditor& editor) {
    if (editor.Designer()) editor.Designer()->Modified();
}

}  // namespace stringseditor

bool EditStringList(const std::string& caption, vcl::TStrings* lines) {
    constexpr Integer kMargin = 8, kButtonWidth = 75, kButtonHeight = 25;
    auto* form = new vcl::TForm(vcl::Application, 0);
    const vcl::ScopeExit release([form] { form->Free(); });
    form->SetName("ZylStringsEditor");
    form->SetBorderStyle(vcl::bsDialog);
    form->SetCaption(caption);
    form->SetBounds(0, 0, 360, 280);
    form->SetPosition(vcl::poScreenCenter);

    auto* count = new vcl::TLabel(form);
    count->SetName("Count");
    count->SetParent(form);
    count->SetBounds(kMargin, kMargin, 200, 16);
    auto* memo = new vcl::TMemo(form);
    memo->SetName("Memo");
    memo->SetParent(form);
    memo->SetScrollBars(vcl::ssBoth);
    memo->SetWordWrap(false);
    const Integer buttonTop = form->ClientHeight() - kMargin - kButtonHeight;
    memo->SetBounds(kMargin, count->Top() + count->Height() + 4, form->ClientWidth() - 2 * kMargin,
                    buttonTop - kMargin - (count->Top() + count->Height() + 4));
    memo->Lines()->Assign(lines);
    memo->SetSelStart(0);  // the first lines in view, not the last
    count->SetCaption(stringseditor::CountText(memo->Lines()->Count()));
    memo->OnChange = [count, memo](vcl::TObject*) {
        count->SetCaption(stringseditor::CountText(memo->Lines()->Count()));
    };

    auto* ok = new vcl::TButton(form);
    ok->SetName("OK");
    ok->SetParent(form);
    ok->SetCaption("OK");
    ok->SetModalResult(vcl::mrOk);
    ok->SetDefault(true);
    ok->SetBounds(form->ClientWidth() - 2 * (kButtonWidth + kMargin), buttonTop, kButtonWidth, kButtonHeight);
    auto* cancel = new vcl::TButton(form);
    cancel->SetName("Cancel");
    cancel->SetParent(form);
    cancel->SetCaption("Cancel");
    cancel->SetModalResult(vcl::mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(form->ClientWidth() - kButtonWidth - kMargin, buttonTop, kButtonWidth, kButtonHeight);
    form->SetActiveControl(memo);

    if (form->ShowModal() != vcl::mrOk) return false;
    lines->Assign(memo->Lines());
    return true;
}

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylStringsProperty, vcl::TClassProperty)

vcl::TPropertyAttributes TZylStringsProperty::GetAttributes() const {
    return {vcl::paDialog, vcl::paReadOnly};
}

std::string TZylStringsProperty::GetValue() const {
    return "(TStrings)";
}

void TZylStringsProperty::Edit() {
    auto* current = dynamic_cast<vcl::TStrings*>(GetObjectValue(0));
    if (!current) return;
    vcl::TStringList lines;
    lines.Assign(current);
    // Through the property's setter, so every selected holder copies the lines and the designer hears of it.
    if (EditStringList("String List Editor", &lines)) SetObjectValue(&lines);
}

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylHolderEditor, vcl::TComponentEditor)

std::string TZylHolderEditor::GetVerb(int index) const {
    if (index != 0) VerbIndexError(index);
    return "Edit Items...";
}

void TZylHolderEditor::ExecuteVerb(int index) {
    if (index != 0) VerbIndexError(index);
    vcl::TStrings* items = nullptr;
    if (auto* holder = dynamic_cast<TZylStringHolder*>(Component())) items = holder->Items();
    if (auto* jokes = dynamic_cast<TZylJokeHolder*>(Component())) items = jokes->Items();
    if (items && EditStringList(Component()->Name() + " Items", items)) stringseditor::Changed(*this);
}

VCL_DEFINE_CLASS(TZylMultiListsEditor, vcl::TComponentEditor)

int TZylMultiListsEditor::GetVerbCount() const {
    auto* lists = dynamic_cast<TZylMultiLists*>(Component());
    return 1 + (lists ? lists->Lists()->Count() : 0);
}

std::string TZylMultiListsEditor::GetVerb(int index) const {
    if (index < 0 || index >= GetVerbCount()) VerbIndexError(index);
    return index == 0 ? "Add List" : "Edit List " + std::to_string(index) + "...";
}

void TZylMultiListsEditor::ExecuteVerb(int index) {
    if (index < 0 || index >= GetVerbCount()) VerbIndexError(index);
    auto* lists = dynamic_cast<TZylMultiLists*>(Component());
    if (index == 0) {
        lists->Lists()->Add();
        stringseditor::Changed(*this);
        return;
    }
    TZylStringList* list = lists->Lists()->GeTZylStringList(index - 1);
    if (EditStringList(Component()->Name() + " List " + std::to_string(index), list->Strings()))
        stringseditor::Changed(*this);
}

}  // namespace orvane
