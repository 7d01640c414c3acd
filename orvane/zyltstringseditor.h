// The designer's editors of the string holders: a dialog for one string list, the property editor
// of the holders' lists and the component editors behind a double-click on a holder.
#pragma once

#include <string>

#include "vcl/classes.h"
#include "vcl/designeditors.h"

namespace orvane {

// Shows `lines` in the modal form "ZylStringsEditor" (a memo "Memo", the line count in "Count",
// the buttons "OK" and "Cancel"); OK copies the edited lines back and returns true.
bool EditStringList(const std::string& caption, vcl::TStrings* lines);

// A holder's string list in the object inspector: "(TStrings)", edited in the dialog above.
class TZylStringsProperty : public vcl::TClassProperty {
    VCL_DECLARE_CLASS(TZylStringsProperty, vcl::TClassProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override;
    std::string GetValue() const override;
    void Edit() override;
};

// TZylStringHolder and TZylJokeHolder: one verb, "Edit Items...".
class TZylHolderEditor : public vcl::TComponentEditor {
    VCL_DECLARE_CLASS(TZylHolderEditor, vcl::TComponentEditor)
public:
    int GetVerbCount() const override { return 1; }
    std::string GetVerb(int index) const override;
    void ExecuteVerb(int index) override;
};

// TZylMultiLists: "Add List", then "Edit List 1..." and on for each list.
class TZylMultiListsEditor : public vcl::TComponentEditor {
    VCL_DECLARE_CLASS(TZylMultiListsEditor, vcl::TComponentEditor)
public:
    int GetVerbCount() const override;
    std::string GetVerb(int index) const override;
    void ExecuteVerb(int index) override;
};

}  // namespace orvane
