#include "vcl/objects.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <shared_mutex>

#include "vcl/classes.h"

namespace vcl {

namespace {

struct LessIgnoringCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return CompareText(a, b) < 0; }
};

// Registered classes by name. Packages register from their load hooks, possibly on any thread.
struct ClassRegistry {
    std::shared_mutex mutex;
    struct Entry {
        TClass cls;
        std::string package;  // empty for the framework's own and the application's classes
    };
    std::map<std::string, Entry, LessIgnoringCase> classes;
};

thread_local std::string currentPackage;

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Class information

TClass TObject::StaticClass() {
    struct TObjectClassInfo : TClassInfo {
        TObjectClassInfo() { name = "TObject"; }
    };
    static const TObjectClassInfo info;
    return &info;
}

const TPropList& TClassInfo::Properties() const {
    std::call_once(built, [this] {
        if (parent) table.all = parent->Properties();
        if (publish) {
            auto first = table.owned.size();
            publish(table);
            for (auto i = first; i < table.owned.size(); ++i) {
                const TPropInfo* own = table.owned[i].get();
                // A redeclared property (a descendant changing the default) keeps its place.
                auto same = std::find_if(table.all.begin(), table.all.end(),
                                         [own](const TPropInfo* p) { return SameText(p->name, own->name); });
                if (same != table.all.end())
                    *same = own;
                else
                    table.all.push_back(own);
            }
        }
    });
    return table.all;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view propName) const {
    for (const TPropInfo* info : Properties())
        if (SameText(info->name, propName)) return info;
    return nullptr;
}

bool TPropInfo::IsDefault(const TObject* instance) const {
    switch (kind) {
        case TTypeKind::tkMethod:
            return !hasHandler(instance);
        case TTypeKind::tkClass: {
            TObject* value = std::get<TObject*>(get(instance));
            if (isReference) return value == nullptr;
            return false;  // owned objects decide per property of their own
        }
        case TTypeKind::tkFloat: {
            // Bit for bit, so that -0 and NaN are written rather than taken for the default.
            if (!defaultValue) return false;
            double value = std::get<double>(get(instance)), fallback = std::get<double>(*defaultValue);
            return std::memcmp(&value, &fallback, sizeof value) == 0;
        }
        default:
            return defaultValue && get(instance) == *defaultValue;
    }
}

// ---------------------------------------------------------------------------------------------
// Class registry

void RegisterClass(TClass cls) {
    auto& registry = Registry();
    std::unique_lock lock(registry.mutex);
    auto found = registry.classes.find(cls->name);
    // Registering a class again keeps it with whoever registered it first.
    if (found != registry.classes.end() && found->second.cls == cls) return;
    registry.classes.insert_or_assign(std::string(cls->name), ClassRegistry::Entry{cls, currentPackage});
}

void RegisterClasses(std::initializer_list<TClass> classes) {
    for (TClass cls : classes)
        RegisterClass(cls);
}

void UnRegisterClass(TClass cls) {
    auto& registry = Registry();
    std::unique_lock lock(registry.mutex);
    auto found = registry.classes.find(cls->name);
    if (found != registry.classes.end() && found->second.cls == cls) registry.classes.erase(found);
}

const std::string& CurrentPackage() {
    return currentPackage;
}

void SetCurrentPackage(std::string package) {
    currentPackage = std::move(package);
}

void UnRegisterPackageClasses(std::string_view package) {
    if (package.empty()) return;
    auto& registry = Registry();
    std::unique_lock lock(registry.mutex);
    std::erase_if(registry.classes, [&](const auto& entry) { return entry.second.package == package; });
}

TClass GetClass(std::string_view name) {
    auto& registry = Registry();
    std::shared_lock lock(registry.mutex);
    auto found = registry.classes.find(name);
    return found == registry.classes.end() ? nullptr : found->second.cls;
}

TClass FindClass(std::string_view name) {
    if (TClass cls = GetClass(name)) return cls;
    throw EClassNotFound(Format("Class %s not found", {name}));
}

// ---------------------------------------------------------------------------------------------
// TPersistent

VCL_DEFINE_CLASS(TPersistent, TObject)

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    std::string sourceName = source ? std::string(source->ClassName()) : "nil";
    throw EConvertError(Format("Cannot assign a %s to a %s", {sourceName, ClassName()}));
}

std::string TPersistent::GetNamePath() const {
    return std::string(ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

void AssignPublished(TPersistent* dest, const TPersistent* source) {
    if (!dest->InheritsFrom(source->ClassType()) && !source->InheritsFrom(dest->ClassType()))
        throw EConvertError(Format("Cannot assign a %s to a %s", {source->ClassName(), dest->ClassName()}));
    TClass common = dest->InheritsFrom(source->ClassType()) ? source->ClassType() : dest->ClassType();
    // A component's name identifies it in its owner; it is never copied.
    static const TPropInfo* const componentName = TComponent::StaticClass()->FindProperty("Name");
    for (const TPropInfo* info : common->Properties()) {
        if (info->kind == TTypeKind::tkMethod || info == componentName) continue;
        if (info->kind == TTypeKind::tkClass && !info->isReference) {
            auto* target = dynamic_cast<TPersistent*>(std::get<TObject*>(info->get(dest)));
            auto* from = dynamic_cast<TPersistent*>(std::get<TObject*>(info->get(source)));
            // An owned component (a menu's root item) has an identity of its own and is not copied.
            if (target && from && !dynamic_cast<TComponent*>(target)) target->Assign(from);
            continue;
        }
        if (info->set) info->set(dest, info->get(source));
    }
}

}  // namespace vcl
