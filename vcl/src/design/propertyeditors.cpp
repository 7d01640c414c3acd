// The property editor base, the stock property editors and the component editors.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "vcl/designeditors.h"
#include "vcl/dialogs.h"

namespace vcl {

namespace {

constexpr std::string_view kInvalidValue = "Invalid property value";

bool IsPrintable(Int64 code) {
    return code >= 32 && code < 127;
}

std::string ClassValueText(TObject* value) {
    return value ? "(" + std::string(value->ClassName()) + ")" : std::string();
}

// The properties that can be edited at design time: anything with a setter, owned objects filled
// in place, events.
bool Editable(const TPropInfo& info, bool withEvents) {
    if (info.kind == TTypeKind::tkMethod) return withEvents;
    return info.set || (info.kind == TTypeKind::tkClass && !info.isReference);
}

// The same property in another instance's class: same name, kind and type.
const TPropInfo* Counterpart(const TPersistent* instance, const TPropInfo& info) {
    const TPropInfo* other = instance->ClassType()->FindProperty(info.name);
    if (!other || other->kind != info.kind || !SameText(other->typeName, info.typeName)) return nullptr;
    return other;
}

// Each instance is read and written through its own class's accessors: a selection may mix classes
// that publish the same property, and one class's accessor must never see another class's object.
const TPropInfo& AccessorFor(const TPersistent* instance, const TPropInfo& info) {
    const TPropInfo* own = Counterpart(instance, info);
    return own ? *own : info;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TPropertyEditor

VCL_DEFINE_CLASS(TPropertyEditor, TObject)

void TPropertyEditor::Initialize(IDesigner* designer, std::vector<TPersistent*> instances,
                                 const TPropInfo* info) {
    if (instances.empty() || !info) throw EDesignError("A property editor needs a property and an object");
    designer_ = designer;
    instances_ = std::move(instances);
    info_ = info;
}

TPropertyAttributes TPropertyEditor::GetAttributes() const {
    return {paMultiSelect, paRevertable};
}

std::string TPropertyEditor::GetName() const {
    return info_->name;
}

std::string TPropertyEditor::GetValue() const {
    return "(unknown)";
}

void TPropertyEditor::SetValue(const std::string&) {
    throw EPropertyError(Format("Property %s is read-only", {GetName()}));
}

void TPropertyEditor::GetValues(const TGetStrProc&) const {}

void TPropertyEditor::GetProperties(const TGetPropProc&) const {}

void TPropertyEditor::Edit() {
    // Without a dialog, Edit steps through the value list as a double-click in the inspector does.
    std::vector<std::string> values = Values();
    if (values.empty() || GetAttributes().Contains(paReadOnly)) return;
    std::string current = GetValue();
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const std::string& v) { return SameText(v, current); });
    size_t next =
        found == values.end() ? 0 : (static_cast<size_t>(found - values.begin()) + 1) % values.size();
    SetValue(values[next]);
}

bool TPropertyEditor::AllEqual() const {
    return instances_.size() == 1;
}

TPersistent* TPropertyEditor::GetComponent(int index) const {
    if (index < 0 || index >= PropCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
    return instances_[static_cast<size_t>(index)];
}

void TPropertyEditor::Modified() {
    if (designer_) designer_->Modified();
}

std::vector<std::string> TPropertyEditor::Values() const {
    std::vector<std::string> values;
    GetValues([&](const std::string& value) { values.push_back(value); });
    if (GetAttributes().Contains(paSortList))
        std::stable_sort(values.begin(), values.end(),
                         [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    return values;
}

Int64 TPropertyEditor::GetOrdValue(int index) const {
    TPersistent* instance = GetComponent(index);
    return std::get<Int64>(AccessorFor(instance, *info_).get(instance));
}

void TPropertyEditor::SetOrdValue(Int64 value) {
    SetPropValue(value);
}

double TPropertyEditor::GetFloatValue(int index) const {
    TPersistent* instance = GetComponent(index);
    return std::get<double>(AccessorFor(instance, *info_).get(instance));
}

void TPropertyEditor::SetFloatValue(double value) {
    SetPropValue(value);
}

std::string TPropertyEditor::GetStrValue(int index) const {
    TPersistent* instance = GetComponent(index);
    return std::get<std::string>(AccessorFor(instance, *info_).get(instance));
}

void TPropertyEditor::SetStrValue(const std::string& value) {
    SetPropValue(value);
}

SetBits TPropertyEditor::GetSetValue(int index) const {
    TPersistent* instance = GetComponent(index);
    return std::get<SetBits>(AccessorFor(instance, *info_).get(instance));
}

void TPropertyEditor::SetSetValue(const SetBits& value) {
    SetPropValue(value);
}

TObject* TPropertyEditor::GetObjectValue(int index) const {
    TPersistent* instance = GetComponent(index);
    return std::get<TObject*>(AccessorFor(instance, *info_).get(instance));
}

void TPropertyEditor::SetObjectValue(TObject* value) {
    SetPropValue(value);
}

void TPropertyEditor::SetPropValue(const TPropValue& value) {
    if (!info_->set) throw EPropertyError(Format("Property %s is read-only", {GetName()}));
    for (TPersistent* instance : instances_) {
        const TPropInfo& own = AccessorFor(instance, *info_);
        if (!own.set) throw EPropertyError(Format("Property %s is read-only", {GetName()}));
        own.set(instance, value);
    }
    Modified();
}

void TPropertyEditor::InvalidValue() const {
    throw EPropertyError(std::string(kInvalidValue));
}

TPropertyEditorPtr CreatePropertyEditor(TClass editorClass, IDesigner* designer,
                                        std::vector<TPersistent*> instances, const TPropInfo* info) {
    if (!editorClass || !editorClass->createObject ||
        !editorClass->InheritsFrom(TPropertyEditor::StaticClass()))
        throw EDesignError("Not a property editor class");
    TPropertyEditorPtr editor(static_cast<TPropertyEditor*>(editorClass->createObject()));
    editor->Initialize(designer, std::move(instances), info);
    return editor;
}

void GetComponentProperties(const std::vector<TPersistent*>& instances, IDesigner* designer,
                            const TGetPropProc& proc, bool withEvents) {
    if (instances.empty()) return;
    TClass first = instances.front()->ClassType();
    for (const TPropInfo* info : first->Properties()) {
        if (!Editable(*info, withEvents)) continue;
        bool shared = std::all_of(instances.begin() + 1, instances.end(),
                                  [info](const TPersistent* i) { return Counterpart(i, *info) != nullptr; });
        if (!shared) continue;
        TPropertyEditorPtr editor =
            CreatePropertyEditor(GetEditorClass(*info, first), designer, instances, info);
        if (instances.size() > 1 && !editor->GetAttributes().Contains(paMultiSelect)) continue;
        proc(std::move(editor));
    }
}

// ---------------------------------------------------------------------------------------------
// Ordinal editors

VCL_DEFINE_CLASS(TOrdinalProperty, TPropertyEditor)

bool TOrdinalProperty::AllEqual() const {
    for (int i = 1; i < PropCount(); ++i)
        if (GetOrdValue(i) != GetOrdValue(0)) return false;
    return true;
}

VCL_DEFINE_CLASS(TIntegerProperty, TOrdinalProperty)

TPropertyAttributes TIntegerProperty::GetAttributes() const {
    TPropertyAttributes attributes{paMultiSelect, paRevertable};
    if (!GetPropInfo()->idents.empty()) attributes.Include(paValueList);
    return attributes;
}

std::string TIntegerProperty::GetValue() const {
    Int64 value = GetOrdValue();
    for (const TIdentMapEntry& entry : GetPropInfo()->idents)
        if (entry.value == value) return std::string(entry.name);
    return IntToStr(value);
}

void TIntegerProperty::SetValue(const std::string& value) {
    for (const TIdentMapEntry& entry : GetPropInfo()->idents)
        if (SameText(entry.name, value)) return SetRangedValue(entry.value);
    Int64 number = 0;
    if (!TryStrToInt64(value, number))
        throw EConvertError(Format("'%s' is not a valid integer value", {value}));
    SetRangedValue(number);
}

void TIntegerProperty::SetRangedValue(Int64 value) {
    const TPropInfo* info = GetPropInfo();
    if (info->minValue < info->maxValue && (value < info->minValue || value > info->maxValue))
        throw EPropertyError(Format("Value must be between %d and %d", {info->minValue, info->maxValue}));
    SetOrdValue(value);
}

void TIntegerProperty::GetValues(const TGetStrProc& proc) const {
    for (const TIdentMapEntry& entry : GetPropInfo()->idents)
        proc(std::string(entry.name));
}

VCL_DEFINE_CLASS(TCharProperty, TOrdinalProperty)

std::string TCharProperty::GetValue() const {
    Int64 code = GetOrdValue() & 0xFF;
    if (IsPrintable(code)) return std::string(1, static_cast<char>(code));
    return "#" + IntToStr(code);
}

void TCharProperty::SetValue(const std::string& value) {
    Int64 code = 0;
    if (value.size() == 1) {
        code = static_cast<unsigned char>(value[0]);
    } else if (value.size() > 1 && value[0] == '#' &&
               TryStrToInt64(std::string_view(value).substr(1), code) && code >= 0 && code <= 255) {
    } else {
        InvalidValue();
    }
    // A signed char property holds codes above 127 as negative values.
    const TPropInfo* info = GetPropInfo();
    if (code > info->maxValue) code -= 256;
    SetOrdValue(code);
}

VCL_DEFINE_CLASS(TEnumProperty, TOrdinalProperty)

TPropertyAttributes TEnumProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TEnumProperty::GetValue() const {
    Int64 value = GetOrdValue();
    const auto& names = GetPropInfo()->names;
    if (value >= 0 && static_cast<size_t>(value) < names.size())
        return std::string(names[static_cast<size_t>(value)]);
    return IntToStr(value);
}

void TEnumProperty::SetValue(const std::string& value) {
    auto index = FindEnumName(GetPropInfo()->names, Trim(value));
    if (!index) InvalidValue();
    SetOrdValue(static_cast<Int64>(*index));
}

void TEnumProperty::GetValues(const TGetStrProc& proc) const {
    for (std::string_view name : GetPropInfo()->names)
        proc(std::string(name));
}

VCL_DEFINE_CLASS(TBoolProperty, TEnumProperty)

TPropertyAttributes TBoolProperty::GetAttributes() const {
    // False before True, as declared, rather than sorted.
    return {paMultiSelect, paValueList, paRevertable};
}

// ---------------------------------------------------------------------------------------------
// Sets

VCL_DEFINE_CLASS(TSetProperty, TOrdinalProperty)

TPropertyAttributes TSetProperty::GetAttributes() const {
    return {paMultiSelect, paSubProperties, paReadOnly, paRevertable};
}

std::string TSetProperty::GetValue() const {
    SetBits bits = GetSetValue();
    std::string text = "[";
    const auto& names = GetPropInfo()->names;
    for (size_t i = 0; i < names.size(); ++i) {
        if (!bits.Contains(i)) continue;
        if (text.size() > 1) text += ',';
        text += names[i];
    }
    return text + "]";
}

void TSetProperty::SetValue(const std::string& value) {
    std::string_view text = value;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']') InvalidValue();
    text = text.substr(1, text.size() - 2);
    SetBits bits;
    while (!Trim(text).empty()) {
        size_t comma = text.find(',');
        std::string element = Trim(text.substr(0, comma));
        auto index = FindEnumName(GetPropInfo()->names, element);
        if (!index) throw EPropertyError(Format("Invalid set element '%s'", {element}));
        bits.Include(*index);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    }
    SetSetValue(bits);
}

void TSetProperty::GetProperties(const TGetPropProc& proc) const {
    std::vector<TPersistent*> instances;
    for (int i = 0; i < PropCount(); ++i)
        instances.push_back(GetComponent(i));
    for (size_t element = 0; element < GetPropInfo()->names.size(); ++element) {
        auto editor = std::make_unique<TSetElementProperty>();
        editor->Initialize(Designer(), instances, GetPropInfo());
        editor->SetElement(element);
        proc(std::move(editor));
    }
}

bool TSetProperty::AllEqual() const {
    for (int i = 1; i < PropCount(); ++i)
        if (!(GetSetValue(i) == GetSetValue(0))) return false;
    return true;
}

VCL_DEFINE_CLASS(TSetElementProperty, TPropertyEditor)

TPropertyAttributes TSetElementProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList};
}

std::string TSetElementProperty::GetName() const {
    return std::string(GetPropInfo()->names[element_]);
}

std::string TSetElementProperty::GetValue() const {
    return GetSetValue().Contains(element_) ? "True" : "False";
}

void TSetElementProperty::SetValue(const std::string& value) {
    bool include = false;
    if (SameText(value, "True"))
        include = true;
    else if (!SameText(value, "False"))
        InvalidValue();
    // Each instance keeps its other elements.
    const TPropInfo* info = GetPropInfo();
    if (!info->set) throw EPropertyError(Format("Property %s is read-only", {info->name}));
    for (int i = 0; i < PropCount(); ++i) {
        SetBits bits = GetSetValue(i);
        if (include)
            bits.Include(element_);
        else
            bits.Exclude(element_);
        info->set(GetComponent(i), bits);
    }
    Modified();
}

void TSetElementProperty::GetValues(const TGetStrProc& proc) const {
    proc("False");
    proc("True");
}

bool TSetElementProperty::AllEqual() const {
    for (int i = 1; i < PropCount(); ++i)
        if (GetSetValue(i).Contains(element_) != GetSetValue(0).Contains(element_)) return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Floats and strings

VCL_DEFINE_CLASS(TFloatProperty, TPropertyEditor)

std::string TFloatProperty::GetValue() const {
    return FloatToStr(GetFloatValue());
}

void TFloatProperty::SetValue(const std::string& value) {
    double number = 0;
    if (!TryStrToFloat(Trim(value), number) || !std::isfinite(number))
        throw EConvertError(Format("'%s' is not a valid floating point value", {value}));
    SetFloatValue(number);
}

bool TFloatProperty::AllEqual() const {
    for (int i = 1; i < PropCount(); ++i)
        if (GetFloatValue(i) != GetFloatValue(0)) return false;
    return true;
}

VCL_DEFINE_CLASS(TStringProperty, TPropertyEditor)

std::string TStringProperty::GetValue() const {
    return GetStrValue();
}

void TStringProperty::SetValue(const std::string& value) {
    SetStrValue(value);
}

bool TStringProperty::AllEqual() const {
    for (int i = 1; i < PropCount(); ++i)
        if (GetStrValue(i) != GetStrValue(0)) return false;
    return true;
}

VCL_DEFINE_CLASS(TCaptionProperty, TStringProperty)

TPropertyAttributes TCaptionProperty::GetAttributes() const {
    return {paMultiSelect, paAutoUpdate, paRevertable};
}

VCL_DEFINE_CLASS(TComponentNameProperty, TStringProperty)

TPropertyAttributes TComponentNameProperty::GetAttributes() const {
    return {};
}

// ---------------------------------------------------------------------------------------------
// Colours

VCL_DEFINE_CLASS(TColorProperty, TIntegerProperty)

TPropertyAttributes TColorProperty::GetAttributes() const {
    return {paMultiSelect, paDialog, paValueList, paRevertable};
}

std::string TColorProperty::GetValue() const {
    return ColorToString(static_cast<TColor>(GetOrdValue()));
}

void TColorProperty::SetValue(const std::string& value) {
    std::string text = Trim(value);
    Integer color = 0;
    Int64 number = 0;
    if (IdentToColor(text, color)) {
        SetOrdValue(color);
    } else if (!text.empty() &&
               (text[0] == '$' || std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-') &&
               TryStrToInt64(text, number)) {
        // $hex and decimal alike, kept to the 32 bits a colour holds.
        if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<uint32_t>::max())
            throw EConvertError(Format("'%s' is not a valid integer value", {text}));
        SetOrdValue(static_cast<Int64>(static_cast<int32_t>(static_cast<uint32_t>(number))));
    } else {
        throw EConvertError(std::string(kInvalidValue));
    }
}

void TColorProperty::GetValues(const TGetStrProc& proc) const {
    for (const TIdentMapEntry& entry : ColorIdents())
        proc(std::string(entry.name));
}

void TColorProperty::Edit() {
    TComponentPtr<TColorDialog> dialog(new TColorDialog(nullptr));
    dialog->SetColor(static_cast<TColor>(GetOrdValue()));
    if (dialog->Execute()) SetOrdValue(dialog->Color());
}

// ---------------------------------------------------------------------------------------------
// Sub-objects

VCL_DEFINE_CLASS(TClassProperty, TPropertyEditor)

TPropertyAttributes TClassProperty::GetAttributes() const {
    return {paMultiSelect, paSubProperties, paReadOnly};
}

std::string TClassProperty::GetValue() const {
    return ClassValueText(GetObjectValue());
}

void TClassProperty::GetProperties(const TGetPropProc& proc) const {
    std::vector<TPersistent*> objects;
    for (int i = 0; i < PropCount(); ++i) {
        auto* object = dynamic_cast<TPersistent*>(GetObjectValue(i));
        if (!object) return;
        objects.push_back(object);
    }
    GetComponentProperties(objects, Designer(), proc, false);
}

VCL_DEFINE_CLASS(TFontProperty, TClassProperty)

TPropertyAttributes TFontProperty::GetAttributes() const {
    return {paMultiSelect, paSubProperties, paDialog, paReadOnly};
}

void TFontProperty::Edit() {
    auto* font = dynamic_cast<TFont*>(GetObjectValue());
    if (!font) return;
    TComponentPtr<TFontDialog> dialog(new TFontDialog(nullptr));
    dialog->SetFont(font);
    if (!dialog->Execute()) return;
    for (int i = 0; i < PropCount(); ++i)
        if (auto* target = dynamic_cast<TFont*>(GetObjectValue(i))) target->Assign(dialog->Font());
    Modified();
}

// ---------------------------------------------------------------------------------------------
// Component references

VCL_DEFINE_CLASS(TComponentProperty, TPropertyEditor)

TPropertyAttributes TComponentProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TComponentProperty::GetValue() const {
    auto* component = dynamic_cast<TComponent*>(GetObjectValue());
    if (!component) return {};
    return Designer() ? Designer()->GetComponentName(component) : component->Name();
}

void TComponentProperty::SetValue(const std::string& value) {
    std::string name = Trim(value);
    if (name.empty()) return SetObjectValue(nullptr);
    TComponent* component = Designer() ? Designer()->GetComponent(name) : nullptr;
    if (!component || !component->InheritsFrom(GetPropInfo()->classType) ||
        !Designer()->IsComponentLinkable(component))
        InvalidValue();
    SetObjectValue(component);
}

void TComponentProperty::GetValues(const TGetStrProc& proc) const {
    if (Designer()) Designer()->GetComponentNames(GetPropInfo()->classType, proc);
}

bool TComponentProperty::AllEqual() const {
    for (int i = 1; i < PropCount(); ++i)
        if (GetObjectValue(i) != GetObjectValue(0)) return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Events

VCL_DEFINE_CLASS(TMethodProperty, TPropertyEditor)

TPropertyAttributes TMethodProperty::GetAttributes() const {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

std::string TMethodProperty::GetValue() const {
    auto* component = dynamic_cast<TComponent*>(GetComponent(0));
    if (!component || !GetPropInfo()->hasHandler(component)) return {};
    return component->EventMethodName(GetPropInfo()->name);
}

void TMethodProperty::SetValue(const std::string& value) {
    std::string name = Trim(value);
    const TPropInfo* info = GetPropInfo();
    std::vector<TComponent*> components;
    for (int i = 0; i < PropCount(); ++i) {
        auto* component = dynamic_cast<TComponent*>(GetComponent(i));
        if (!component) throw EPropertyError(Format("Events can only be set on components", {}));
        components.push_back(component);
    }
    if (name.empty()) {
        for (TComponent* component : components) {
            info->clearHandler(component);
            component->UnbindEvent(info->name);
        }
        Modified();
        return;
    }
    if (!Designer()) throw EDesignError("Events are bound through a designer");
    if (!IsValidIdent(name)) throw EPropertyError(Format("'%s' is not a valid method name", {name}));
    std::string method = Designer()->CreateMethod(name, *info);
    for (TComponent* component : components)
        component->BindEvent(info->name, Designer()->GetRoot(), method);
    Modified();
}

void TMethodProperty::GetValues(const TGetStrProc& proc) const {
    if (Designer()) Designer()->GetMethods(*GetPropInfo(), proc);
}

bool TMethodProperty::AllEqual() const {
    auto nameOf = [this](int i) {
        auto* component = dynamic_cast<TComponent*>(GetComponent(i));
        return component ? component->EventMethodName(GetPropInfo()->name) : std::string();
    };
    for (int i = 1; i < PropCount(); ++i)
        if (!SameText(nameOf(i), nameOf(0))) return false;
    return true;
}

void TMethodProperty::Edit() {
    if (!Designer()) throw EDesignError("Events are bound through a designer");
    std::string name = GetValue();
    if (name.empty()) {
        auto* component = dynamic_cast<TComponent*>(GetComponent(0));
        if (!component) return;
        name = Designer()->GetDefaultMethodName(component, *GetPropInfo());
        SetValue(name);
    }
    Designer()->ShowMethod(name);
}

// ---------------------------------------------------------------------------------------------
// Component editors

VCL_DEFINE_CLASS(TComponentEditor, TObject)

void TComponentEditor::Initialize(TComponent* component, IDesigner* designer) {
    if (!component) throw EDesignError("A component editor needs a component");
    component_ = component;
    designer_ = designer;
}

std::string TComponentEditor::GetVerb(int index) const {
    VerbIndexError(index);
}

void TComponentEditor::ExecuteVerb(int index) {
    VerbIndexError(index);
}

void TComponentEditor::Edit() {
    if (GetVerbCount() > 0) ExecuteVerb(0);
}

void TComponentEditor::VerbIndexError(int index) const {
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

VCL_DEFINE_CLASS(TDefaultEditor, TComponentEditor)

void TDefaultEditor::Edit() {
    std::vector<TPropertyEditorPtr> events;
    GetComponentProperties(
        {Component()}, Designer(),
        [&](TPropertyEditorPtr editor) {
            if (editor->GetPropInfo()->kind == TTypeKind::tkMethod) events.push_back(std::move(editor));
        },
        true);
    best_ = nullptr;
    bestRank_ = 0;
    bool continueIteration = true;
    for (size_t i = 0; i < events.size() && continueIteration; ++i)
        EditProperty(*events[i], continueIteration);
    TPropertyEditor* chosen = best_;
    best_ = nullptr;
    if (chosen) chosen->Edit();
}

void TDefaultEditor::EditProperty(TPropertyEditor& editor, bool& continueIteration) {
    // The events a developer most often means when double-clicking, best first.
    static constexpr std::string_view kPreferred[] = {"OnCreate", "OnChange", "OnClick"};
    constexpr int kBest = static_cast<int>(std::size(kPreferred)) + 1;
    int rank = 1;  // any event
    for (size_t i = 0; i < std::size(kPreferred); ++i)
        if (SameText(editor.GetName(), kPreferred[i])) rank = kBest - static_cast<int>(i);
    if (rank > bestRank_) {
        best_ = &editor;
        bestRank_ = rank;
        if (rank == kBest) continueIteration = false;
    }
}

TComponentEditorPtr GetComponentEditor(TComponent* component, IDesigner* designer) {
    if (!component) throw EDesignError("A component editor needs a component");
    TClass editorClass = GetComponentEditorClass(component->ClassType());
    TComponentEditorPtr editor(static_cast<TComponentEditor*>(editorClass->createObject()));
    editor->Initialize(component, designer);
    return editor;
}

}  // namespace vcl
