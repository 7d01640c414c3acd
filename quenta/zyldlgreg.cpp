// Registration unit of the dialogs package: puts its components on their palette pages, its
// sub-object classes into the streaming registry, and its design-time editors into the designer.
#include "quenta/zylaccess.h"
#include "quenta/zyldbviews.h"
#include "quenta/zyldialogs.h"
#include "quenta/zylfolderbrowser.h"
#include "quenta/zylpagesetup.h"
#include "quenta/zylpassword.h"
#include "quenta/zyltextview.h"
#include "quenta/zyltips.h"
#include "vcl/classregistration.h"
#include "vcl/db.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"

namespace quenta {

namespace {

// Double-click or the verb "Test <name>" runs the dialog in the designer.
class TZylDialogEditor : public vcl::TComponentEditor {
    VCL_CLASS(TZylDialogEditor, vcl::TComponentEditor)
public:
    int GetVerbCount() const override { return 1; }
    std::string GetVerb(int index) const override {
        if (index != 0) VerbIndexError(index);
        return "Test " + Component()->Name();
    }
    void ExecuteVerb(int index) override {
        if (index != 0) VerbIndexError(index);
        if (auto* dialog = dynamic_cast<TZylDialogComponent*>(Component())) dialog->Execute();
    }
    void Edit() override { ExecuteVerb(0); }
};

// DesignExecute: a read-only entry whose button runs the dialog.
class TZylExecDlgProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylExecDlgProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return vcl::Format("(%s)", {"Execute Test"}); }
    void Edit() override {
        if (auto* dialog = dynamic_cast<TZylDialogComponent*>(GetComponent(0))) dialog->Execute();
    }
};

// A field name of the dataset behind the component's DataSource property, chosen from a list.
class TZylDataFieldProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylDataFieldProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paValueList, vcl::paSortList}; }
    void GetValues(const vcl::TGetStrProc& proc) const override {
        vcl::TPersistent* component = GetComponent(0);
        const vcl::TPropInfo* info = component->ClassType()->FindProperty("DataSource");
        if (!info || info->kind != vcl::TTypeKind::tkClass || !info->get) return;
        const vcl::TPropValue value = info->get(component);
        const auto* object = std::get_if<vcl::TObject*>(&value);
        auto* source = object ? dynamic_cast<vcl::TDataSource*>(*object) : nullptr;
        if (!source || !source->DataSet()) return;
        vcl::TStringList names;
        source->DataSet()->GetFieldNames(names);
        for (vcl::Integer i = 0; i < names.Count(); ++i)
            proc(names.Strings(i));
    }
};

const vcl::TClassRegistration streamingRegistration{
    TZylButtonDetails::StaticClass(), TZylCheckBoxInfo::StaticClass(), TZylTextFileView::StaticClass(),
    TZylDBMemoView::StaticClass(),    TZylDBImageView::StaticClass(),  TZylTipTricks::StaticClass(),
    TZylFolderBrowser::StaticClass(), TZylPasswordDlg::StaticClass(),  TZylDBPasswordDlg::StaticClass(),
    TZylQueryAccess::StaticClass(),   TZylShellAbout::StaticClass()};

}  // namespace

void Register() {
    vcl::RegisterComponents("Zyl Dialogs", {TZylPasswordDlg::StaticClass(), TZylFolderBrowser::StaticClass(),
                                            TZylPageSetupDialog::StaticClass(),
                                            TZylQueryAccess::StaticClass(), TZylShellAbout::StaticClass(),
                                            TZylTipTricks::StaticClass(), TZylTextFileView::StaticClass()});
    vcl::RegisterComponents("Zyl Data-Aware", {TZylDBImageView::StaticClass(), TZylDBMemoView::StaticClass(),
                                               TZylDBPasswordDlg::StaticClass()});
    vcl::RegisterComponentEditor(TZylDialogComponent::StaticClass(), TZylDialogEditor::StaticClass());
    vcl::RegisterPropertyEditor("TZylExecDlgStr", TZylDialogComponent::StaticClass(), "DesignExecute",
                                TZylExecDlgProperty::StaticClass());
    for (const char* name : {"DataUsername", "Datapassword"})
        vcl::RegisterPropertyEditor("string", nullptr, name, TZylDataFieldProperty::StaticClass());
}

}  // namespace quenta
