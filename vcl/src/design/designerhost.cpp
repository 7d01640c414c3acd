// The headless designer host.
#include <algorithm>
#include <typeinfo>

#include "vcl/designhost.h"
#include "vcl/streaming.h"
#include "win32/user.h"

namespace vcl {

namespace {

// "Label" for TLabel: the stem the designer numbers new components by.
std::string NameStem(std::string_view className) {
    if (className.size() > 1 && (className[0] == 'T' || className[0] == 't')) className.remove_prefix(1);
    return std::string(className);
}

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> steps;
    while (true) {
        size_t dot = path.find('.');
        steps.push_back(path.substr(0, dot));
        if (dot == std::string_view::npos) break;
        path.remove_prefix(dot + 1);
    }
    return steps;
}

}  // namespace

TDesignerHost::TDesignerHost() = default;

TDesignerHost::~TDesignerHost() {
    try {
        CloseForm();
    } catch (...) {
        // A destructor cannot report; the root is gone either way.
    }
    if (scriptInstalled_) win32::testing::SetModalScript(nullptr);
    for (auto name = packages_.rbegin(); name != packages_.rend(); ++name) {
        try {
            vcl::UnloadPackage(*name);
        } catch (const Exception&) {
            // Unloaded by someone else already.
        }
    }
}

void TDesignerHost::LoadPackage(const std::string& name, const std::string& directory) {
    vcl::LoadPackage(name, directory);
    packages_.push_back(name);
}

void TDesignerHost::RequireRoot() const {
    if (!root_) throw EDesignError("No form is open in the designer");
}

// ---------------------------------------------------------------------------------------------
// The designed root

TComponent* TDesignerHost::NewForm(TClass rootClass, const std::string& name) {
    if (!rootClass || !rootClass->createComponent)
        throw EDesignError(
            Format("Cannot design a %s", {rootClass ? rootClass->name : std::string_view("nil")}));
    CloseForm();
    TComponent* root = rootClass->createComponent(nullptr);
    try {
        root->SetDesigning(true);
        root->SetName(name.empty() ? NameStem(rootClass->name) + "1" : name);
        if (auto* control = dynamic_cast<TControl*>(root); control && control->Caption().empty())
            control->SetCaption(root->Name());
    } catch (...) {
        root->Free();
        throw;
    }
    return AdoptRoot(root);
}

TComponent* TDesignerHost::AdoptRoot(TComponent* root) {
    root_ = root;
    methods_.clear();
    SelectComponent(root_);
    return root_;
}

TComponent* TDesignerHost::OpenForm(std::string_view formText) {
    // The root's class comes from the text's first line: "object Name: TClass".
    TParser parser(formText);
    parser.NextToken();
    if (!parser.TokenSymbolIs("object") && !parser.TokenSymbolIs("inherited"))
        parser.Error("object expected");
    parser.NextToken();
    parser.CheckToken(TTokenKind::toSymbol);
    parser.NextToken();
    parser.CheckChar(':');
    parser.NextToken();
    parser.CheckToken(TTokenKind::toSymbol);
    TClass rootClass = FindClass(parser.TokenString());
    if (!rootClass->createComponent) throw EDesignError(Format("Cannot design a %s", {rootClass->name}));
    CloseForm();
    TComponent* root = rootClass->createComponent(nullptr);
    try {
        root->SetDesigning(true);
        ReadComponentText(formText, root);
        root->SetDesigning(true);  // and everything the text created
    } catch (...) {
        root->Free();
        throw;
    }
    return AdoptRoot(root);
}

void TDesignerHost::CloseForm() {
    if (!root_) return;
    NotifyFormClosed();
    TComponent* root = root_;
    root_ = nullptr;
    selections_.clear();
    methods_.clear();
    root->Free();
}

TComponent* TDesignerHost::DropComponent(std::string_view className, TComponent* parent, Integer left,
                                         Integer top, Integer width, Integer height) {
    TClass cls = FindPaletteClass(className);
    if (!cls) cls = GetClass(className);
    if (!cls) throw EDesignError(Format("Class %s is not on the palette", {className}));
    return CreateComponent(cls, parent, left, top, width, height);
}

TComponent* TDesignerHost::CreateComponent(TClass componentClass, TComponent* parent, Integer left,
                                           Integer top, Integer width, Integer height) {
    RequireRoot();
    if (!componentClass || !componentClass->createComponent)
        throw EDesignError(
            Format("Cannot create a %s", {componentClass ? componentClass->name : std::string_view("nil")}));
    if (parent && parent != root_ && parent->Owner() != root_)
        throw EDesignError(Format("%s is not part of %s", {parent->Name(), root_->Name()}));
    TComponent* component = componentClass->createComponent(root_);
    try {
        component->SetDesigning(true);
        component->SetName(UniqueName(NameStem(componentClass->name)));
        if (auto* control = dynamic_cast<TControl*>(component)) {
            TComponent* container = parent ? parent : root_;
            auto* parentControl = dynamic_cast<TWinControl*>(container);
            if (!parentControl)
                throw EDesignError(
                    Format("%s cannot hold the control %s", {container->Name(), component->Name()}));
            control->SetBounds(left, top, width < 0 ? control->Width() : width,
                               height < 0 ? control->Height() : height);
            control->SetParent(parentControl);
            if (control->ControlStyle().Contains(csSetCaption)) control->SetCaption(component->Name());
        } else {
            auto low = static_cast<uint16_t>(static_cast<int16_t>(left));
            auto high = static_cast<uint16_t>(static_cast<int16_t>(top));
            component->SetDesignInfo(static_cast<Integer>((static_cast<uint32_t>(high) << 16) | low));
        }
    } catch (...) {
        component->Free();
        throw;
    }
    Modified();
    SelectComponent(component);
    return component;
}

void TDesignerHost::DeleteComponent(TComponent* component) {
    RequireRoot();
    if (!component || component == root_ || component->Owner() != root_)
        throw EDesignError("Only components of the designed form can be deleted");
    NotifyComponentDeleted(component);
    size_t selected = selections_.size();
    std::erase(selections_, static_cast<TPersistent*>(component));
    component->Free();
    if (selections_.size() != selected) NotifySelectionChanged(selections_);
    Modified();
}

std::string TDesignerHost::UniqueName(std::string_view baseName) const {
    for (int n = 1;; ++n) {
        std::string name = std::string(baseName) + IntToStr(n);
        if (!GetComponent(name)) return name;
    }
}

// ---------------------------------------------------------------------------------------------
// Selection

void TDesignerHost::SelectComponent(TPersistent* instance) {
    selections_.clear();
    if (instance) selections_.push_back(instance);
    NotifySelectionChanged(selections_);
}

void TDesignerHost::SetSelections(const std::vector<TPersistent*>& selections) {
    selections_.clear();
    for (TPersistent* instance : selections)
        if (instance && std::find(selections_.begin(), selections_.end(), instance) == selections_.end())
            selections_.push_back(instance);
    NotifySelectionChanged(selections_);
}

void TDesignerHost::Modified() {
    ++modifiedCount_;
    NotifyModified();
}

// ---------------------------------------------------------------------------------------------
// Components by name

TComponent* TDesignerHost::GetComponent(std::string_view name) const {
    if (!root_ || name.empty()) return nullptr;
    if (SameText(root_->Name(), name)) return root_;
    return root_->FindComponent(name);
}

std::string TDesignerHost::GetComponentName(TComponent* component) const {
    if (!component) return {};
    if (component == root_ || component->Owner() == root_ || !component->Owner()) return component->Name();
    return component->Owner()->Name() + "." + component->Name();
}

void TDesignerHost::GetComponentNames(TClass componentClass, const TGetStrProc& proc) const {
    if (!root_) return;
    auto offer = [&](TComponent* component) {
        if (!component->Name().empty() && (!componentClass || component->InheritsFrom(componentClass)))
            proc(component->Name());
    };
    offer(root_);
    for (int i = 0; i < root_->ComponentCount(); ++i)
        offer(root_->Components(i));
}

bool TDesignerHost::IsComponentLinkable(TComponent* component) const {
    return root_ && component && (component == root_ || component->Owner() == root_);
}

// ---------------------------------------------------------------------------------------------
// Methods

std::string TDesignerHost::CreateMethod(const std::string& name, const TPropInfo& event) {
    RequireRoot();
    if (event.kind != TTypeKind::tkMethod || !event.handlerType || !event.emptyHandler)
        throw EDesignError(Format("%s is not an event", {event.name}));
    if (!IsValidIdent(name)) throw EDesignError(Format("'%s' is not a valid method name", {name}));
    if (const std::any* existing = root_->MethodAddress(name)) {
        if (existing->type() != *event.handlerType)
            throw EDesignError(Format("Method %s is not compatible with the event %s", {name, event.name}));
    } else {
        root_->RegisterMethod(name, event.emptyHandler());
    }
    auto known = std::find_if(methods_.begin(), methods_.end(),
                              [&](const Method& m) { return SameText(m.name, name); });
    if (known != methods_.end()) return known->name;
    methods_.push_back({name, event.handlerType});
    return name;
}

bool TDesignerHost::MethodExists(std::string_view name) const {
    return root_ && root_->MethodAddress(name);
}

void TDesignerHost::GetMethods(const TPropInfo& event, const TGetStrProc& proc) const {
    if (!root_ || !event.handlerType) return;
    std::vector<std::string> names;
    auto offer = [&](const std::string& name) {
        if (name.empty()) return;
        const std::any* method = root_->MethodAddress(name);
        if (!method || method->type() != *event.handlerType) return;
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); }))
            names.push_back(name);
    };
    for (const Method& method : methods_)
        offer(method.name);
    // Methods the form's code provides are known by the events already bound to them.
    auto boundOf = [&](TComponent* component) {
        for (const TPropInfo* info : component->ClassType()->Properties())
            if (info->kind == TTypeKind::tkMethod) offer(component->EventMethodName(info->name));
    };
    boundOf(root_);
    for (int i = 0; i < root_->ComponentCount(); ++i)
        boundOf(root_->Components(i));
    for (const std::string& name : names)
        proc(name);
}

void TDesignerHost::ShowMethod(const std::string& name) {
    shownMethods_.push_back(name);
}

// ---------------------------------------------------------------------------------------------
// The inspector

TPropertyEditorPtr TDesignerHost::FindEditor(const std::vector<TPersistent*>& instances,
                                             std::string_view path) {
    if (instances.empty()) throw EDesignError("Nothing is selected");
    TPropertyEditorPtr current;
    for (std::string_view step : SplitPath(path)) {
        TPropertyEditorPtr next;
        auto take = [&](TPropertyEditorPtr editor) {
            if (!next && SameText(editor->GetName(), step)) next = std::move(editor);
        };
        if (!current)
            GetComponentProperties(instances, this, take);
        else if (current->GetAttributes().Contains(paSubProperties))
            current->GetProperties(take);
        if (!next) throw EPropertyError(Format("Property %s does not exist", {std::string(path)}));
        current = std::move(next);
    }
    return current;
}

void TDesignerHost::SetProperty(TPersistent* instance, std::string_view path, const std::string& value) {
    FindEditor({instance}, path)->SetValue(value);
}

std::string TDesignerHost::GetProperty(TPersistent* instance, std::string_view path) {
    return FindEditor({instance}, path)->GetValue();
}

void TDesignerHost::SetSelectionProperty(std::string_view path, const std::string& value) {
    FindEditor(selections_, path)->SetValue(value);
}

void TDesignerHost::EditProperty(TPersistent* instance, std::string_view path) {
    FindEditor({instance}, path)->Edit();
}

// ---------------------------------------------------------------------------------------------
// Component editors

std::vector<std::string> TDesignerHost::Verbs(TComponent* component) {
    TComponentEditorPtr editor = GetComponentEditor(component, this);
    std::vector<std::string> verbs;
    for (int i = 0; i < editor->GetVerbCount(); ++i)
        verbs.push_back(editor->GetVerb(i));
    return verbs;
}

void TDesignerHost::ExecuteVerb(TComponent* component, std::string_view verb) {
    TComponentEditorPtr editor = GetComponentEditor(component, this);
    for (int i = 0; i < editor->GetVerbCount(); ++i) {
        // Verbs carry menu accelerators ("&Edit..."), which the caller may leave out.
        std::string text = editor->GetVerb(i);
        std::string plain;
        for (char c : text)
            if (c != '&') plain += c;
        if (SameText(text, verb) || SameText(plain, verb)) {
            editor->ExecuteVerb(i);
            return;
        }
    }
    throw EDesignError(Format("%s has no verb '%s'", {component->ClassName(), std::string(verb)}));
}

void TDesignerHost::EditComponent(TComponent* component) {
    GetComponentEditor(component, this)->Edit();
}

// ---------------------------------------------------------------------------------------------
// Modal dialogs

void TDesignerHost::AnswerModal(std::string loopName, std::function<void(TCustomForm& form)> answer) {
    answers_.push_back({std::move(loopName), std::move(answer)});
    scriptInstalled_ = true;
    win32::testing::SetModalScript([this](std::string_view loop) { RunModalScript(loop); });
}

void TDesignerHost::RunModalScript(std::string_view loopName) {
    auto answer = std::find_if(answers_.begin(), answers_.end(), [&](const ModalAnswer& a) {
        return a.loopName.empty() || SameText(a.loopName, loopName);
    });
    if (answer == answers_.end())
        throw EDesignError(Format("No answer is waiting for the dialog %s", {std::string(loopName)}));
    TCustomForm* form = nullptr;
    for (Integer i = 0; Screen && i < Screen->FormCount() && !form; ++i) {
        TCustomForm* candidate = Screen->Forms(i);
        std::string_view name = candidate->Name().empty() ? candidate->ClassName() : candidate->Name();
        if (candidate->FormState().Contains(fsModal) && SameText(name, loopName)) form = candidate;
    }
    if (!form) throw EDesignError(Format("No modal form runs the loop %s", {std::string(loopName)}));
    auto run = std::move(answer->answer);
    answers_.erase(answer);
    run(*form);
    // The loop checks its result again once a message arrives.
    if (form->HandleAllocated()) win32::PostMessage(form->Handle(), win32::WM_NULL, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Form text

std::string TDesignerHost::FormText() const {
    RequireRoot();
    return ComponentToText(root_);
}

void TDesignerHost::SaveForm(const std::string& fileName) const {
    RequireRoot();
    WriteComponentFile(fileName, root_);
}

}  // namespace vcl
