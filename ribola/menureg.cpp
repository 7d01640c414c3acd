// Registration unit of the menus package: puts its components on their palette pages, its
// sub-object classes into the streaming registry, and installs the designer's editors that open
// the menu builder and list the side bar's fonts.
#include "ribola/zylmenu.h"
#include "ribola/zylmenubuilder.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"
#include "vcl/forms.h"

namespace ribola {

namespace {

// The Items line of every menu: "(Menu Builder)", whose button opens the builder.
class TZylMenuProperty : public vcl::TClassProperty {
    VCL_CLASS(TZylMenuProperty, vcl::TClassProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return vcl::Format("(%s)", {"Menu Builder"}); }
    void Edit() override {
        if (auto* menu = dynamic_cast<TZylMenu*>(GetComponent(0))) OpenMenuBuilder(menu);
    }
};

// The verb, and the double click, of every menu component.
class TZylMenuComponentEditor : public vcl::TComponentEditor {
    VCL_CLASS(TZylMenuComponentEditor, vcl::TComponentEditor)
public:
    int GetVerbCount() const override { return 1; }
    std::string GetVerb(int index) const override {
        if (index != 0) VerbIndexError(index);
        return "Zyl's Menu Builder ...";
    }
    void ExecuteVerb(int index) override {
        if (index != 0) VerbIndexError(index);
        if (auto* menu = dynamic_cast<TZylMenu*>(Component())) OpenMenuBuilder(menu);
    }
    void Edit() override { ExecuteVerb(0); }
};

// A side bar's font: every font the screen knows, sorted.
class TZylBarFontNameProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylBarFontNameProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override {
        return {vcl::paValueList, vcl::paSortList, vcl::paMultiSelect};
    }
    void GetValues(const vcl::TGetStrProc& proc) const override {
        vcl::TStrings* fonts = vcl::Screen->Fonts();
        std::vector<std::string> names;
        for (vcl::Integer i = 0; i < fonts->Count(); ++i)
            names.push_back(fonts->Strings(i));
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return vcl::CompareText(a, b) < 0; });
        for (const std::string& name : names)
            proc(name);
    }
};

}  // namespace

void Register() {
    vcl::RegisterClasses({TZylMenuItem::StaticClass(), TZylBitmapItem::StaticClass(),
                          TZylSubMenu::StaticClass(), TZylMenuGradient::StaticClass()});
    vcl::RegisterComponents("Zyl Menus", {TZylMainMenu::StaticClass(), TZylPopupMenu::StaticClass(),
                                          TZylFormMenu::StaticClass(), TZylApplicationMenu::StaticClass()});
    vcl::RegisterPropertyEditor(TZylMenuItem::StaticClass(), TZylMenu::StaticClass(), "Items",
                                TZylMenuProperty::StaticClass());
    vcl::RegisterComponentEditor(TZylMenu::StaticClass(), TZylMenuComponentEditor::StaticClass());
    vcl::RegisterPropertyEditor("string", TZylSubMenu::StaticClass(), "BarFontName",
                                TZylBarFontNameProperty::StaticClass());
}

}  // namespace ribola
