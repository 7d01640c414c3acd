// A designer without a screen: it loads packages, designs a form in csDesigning state, drops
// components from the palette, sets properties through the property editors the way an
// inspector does, runs component editors, answers their modal dialogs from a script and writes
// the designed form as form text.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/designeditors.h"

namespace vcl {

class TDesignerHost : public IDesigner {
public:
    TDesignerHost();
    // Closes the form and unloads the packages this host loaded.
    ~TDesignerHost() override;

    void LoadPackage(const std::string& name, const std::string& directory = {});

    // Starts designing a new root of the class (a form or data module), named `name` or uniquely
    // after its class. Any form open before is closed.
    TComponent* NewForm(TClass rootClass, const std::string& name = {});
    // Opens form text for design; the root's class must be registered.
    TComponent* OpenForm(std::string_view formText);
    // Tells the design windows, then frees the root.
    void CloseForm();

    // Drops a palette (or registered) class by name; raises EDesignError for an unknown name.
    TComponent* DropComponent(std::string_view className, TComponent* parent = nullptr, Integer left = 0,
                              Integer top = 0, Integer width = -1, Integer height = -1);

    // The editor the inspector shows at a dotted path ("Font.Style.fsBold") for the instances;
    // raises EPropertyError "Property X does not exist" when a step is not there.
    TPropertyEditorPtr FindEditor(const std::vector<TPersistent*>& instances, std::string_view path);
    void SetProperty(TPersistent* instance, std::string_view path, const std::string& value);
    std::string GetProperty(TPersistent* instance, std::string_view path);
    // The same for the current selection (only properties every selected object has).
    void SetSelectionProperty(std::string_view path, const std::string& value);
    // The property's Edit (its dialog, or for an event its handler).
    void EditProperty(TPersistent* instance, std::string_view path);

    std::vector<std::string> Verbs(TComponent* component);
    // Raises EDesignError for a verb the component's editor does not offer.
    void ExecuteVerb(TComponent* component, std::string_view verb);
    // The double-click in the designer.
    void EditComponent(TComponent* component);

    // Answers the next modal loop of that name (a form's Name, else its class name; "" any) with
    // the form it runs; the answer usually fills controls and sets ModalResult. A modal loop
    // without an answer waiting raises EDesignError.
    void AnswerModal(std::string loopName, std::function<void(TCustomForm& form)> answer);
    size_t PendingAnswers() const { return answers_.size(); }

    std::string FormText() const;
    void SaveForm(const std::string& fileName) const;

    // What a code editor would have shown, in order.
    const std::vector<std::string>& ShownMethods() const { return shownMethods_; }
    int ModifiedCount() const { return modifiedCount_; }

    // IDesigner
    TComponent* GetRoot() const override { return root_; }
    TComponent* CreateComponent(TClass componentClass, TComponent* parent, Integer left, Integer top,
                                Integer width, Integer height) override;
    void DeleteComponent(TComponent* component) override;
    std::string UniqueName(std::string_view baseName) const override;
    void SelectComponent(TPersistent* instance) override;
    std::vector<TPersistent*> GetSelections() const override { return selections_; }
    void SetSelections(const std::vector<TPersistent*>& selections) override;
    void Modified() override;
    TComponent* GetComponent(std::string_view name) const override;
    std::string GetComponentName(TComponent* component) const override;
    void GetComponentNames(TClass componentClass, const TGetStrProc& proc) const override;
    bool IsComponentLinkable(TComponent* component) const override;
    std::string CreateMethod(const std::string& name, const TPropInfo& event) override;
    bool MethodExists(std::string_view name) const override;
    void GetMethods(const TPropInfo& event, const TGetStrProc& proc) const override;
    void ShowMethod(const std::string& name) override;

private:
    struct ModalAnswer {
        std::string loopName;
        std::function<void(TCustomForm& form)> answer;
    };
    struct Method {
        std::string name;
        const std::type_info* type;
    };

    void RequireRoot() const;
    // Makes a freshly created root the designed one, selected and without methods yet.
    TComponent* AdoptRoot(TComponent* root);
    void RunModalScript(std::string_view loopName);
    void ForgetSelected(TComponent* component);

    TComponent* root_ = nullptr;
    std::vector<TPersistent*> selections_;
    std::vector<Method> methods_;
    std::vector<std::string> shownMethods_;
    std::vector<std::string> packages_;
    std::deque<ModalAnswer> answers_;
    int modifiedCount_ = 0;
    bool scriptInstalled_ = false;
};

}  // namespace vcl
