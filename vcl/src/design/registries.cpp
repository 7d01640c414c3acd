// The palette, the property and component editor registries, the package loader, and the
// designer's bookkeeping of its design windows.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "vcl/designeditors.h"
#include "vcl/designintf.h"

namespace vcl {

namespace {

struct PaletteEntry {
    TClass cls;
    std::string package;
};

struct PaletteSheet {
    std::string name;
    std::vector<PaletteEntry> entries;
};

struct PropertyEditorEntry {
    TPropertyType type;
    TClass componentClass;
    std::string propertyName;
    TClass editorClass;
    uint64_t order;
    std::string package;
};

struct ComponentEditorEntry {
    TClass componentClass;
    TClass editorClass;
    uint64_t order;
    std::string package;
};

struct LoadedPackage {
    std::string name;
    void* handle;
    int count;
};

// Registrations arrive from package entry points and are read by designers; one lock covers all.
struct DesignRegistry {
    std::recursive_mutex mutex;
    std::vector<PaletteSheet> palette;
    std::vector<PropertyEditorEntry> propertyEditors;
    std::vector<ComponentEditorEntry> componentEditors;
    std::vector<LoadedPackage> packages;
    uint64_t nextOrder = 0;

    DesignRegistry() {
        // The framework's own editors; anything registered later wins a tie against them.
        AddPropertyEditor("TColor", nullptr, "", TColorProperty::StaticClass(), {});
        AddPropertyEditor("TCaption", nullptr, "", TCaptionProperty::StaticClass(), {});
        AddPropertyEditor("string", TComponent::StaticClass(), "Name", TComponentNameProperty::StaticClass(),
                          {});
        AddPropertyEditor(TFont::StaticClass(), nullptr, "", TFontProperty::StaticClass(), {});
    }

    void AddPropertyEditor(const TPropertyType& type, TClass componentClass, const std::string& name,
                           TClass editorClass, std::string package) {
        propertyEditors.push_back({type, componentClass, name, editorClass, nextOrder++, std::move(package)});
    }
};

DesignRegistry& Registry() {
    static DesignRegistry registry;
    return registry;
}

void CheckEditorClass(TClass editorClass, TClass base, std::string_view what) {
    if (!editorClass || !editorClass->InheritsFrom(base) || !editorClass->createObject)
        throw EDesignError(Format("%s must be a creatable descendant of %s", {what, base->name}));
}

// How well a registered property editor fits; nullopt when it does not apply.
struct PropertyMatch {
    const PropertyEditorEntry* entry;
    bool exactType;
};

std::optional<PropertyMatch> MatchPropertyEditor(const PropertyEditorEntry& entry, const TPropInfo& info,
                                                 TClass componentClass) {
    bool exact = false;
    if (entry.type.classType) {
        if (info.kind != TTypeKind::tkClass || !info.classType ||
            !info.classType->InheritsFrom(entry.type.classType))
            return std::nullopt;
        exact = info.classType == entry.type.classType;
    } else {
        if (!SameText(entry.type.typeName, info.typeName)) return std::nullopt;
        exact = true;
    }
    if (entry.componentClass && (!componentClass || !componentClass->InheritsFrom(entry.componentClass)))
        return std::nullopt;
    if (!entry.propertyName.empty() && !SameText(entry.propertyName, info.name)) return std::nullopt;
    return PropertyMatch{&entry, exact};
}

bool BetterPropertyMatch(const PropertyMatch& a, const PropertyMatch& b) {
    const PropertyEditorEntry& x = *a.entry;
    const PropertyEditorEntry& y = *b.entry;
    if (bool(x.componentClass) != bool(y.componentClass)) return bool(x.componentClass);
    if (x.propertyName.empty() != y.propertyName.empty()) return !x.propertyName.empty();
    if (a.exactType != b.exactType) return a.exactType;
    if (x.type.classType && y.type.classType && x.type.classType != y.type.classType)
        return x.type.classType->InheritsFrom(y.type.classType);
    if (x.componentClass && y.componentClass && x.componentClass != y.componentClass)
        return x.componentClass->InheritsFrom(y.componentClass);
    return x.order > y.order;
}

TClass StockEditorClass(const TPropInfo& info) {
    switch (info.kind) {
        case TTypeKind::tkInteger:
            return info.typeName == "Char" ? TCharProperty::StaticClass() : TIntegerProperty::StaticClass();
        case TTypeKind::tkBoolean:
            return TBoolProperty::StaticClass();
        case TTypeKind::tkEnumeration:
            return TEnumProperty::StaticClass();
        case TTypeKind::tkSet:
            return TSetProperty::StaticClass();
        case TTypeKind::tkFloat:
            return TFloatProperty::StaticClass();
        case TTypeKind::tkString:
            return TStringProperty::StaticClass();
        case TTypeKind::tkClass:
            return info.isReference ? TComponentProperty::StaticClass() : TClassProperty::StaticClass();
        case TTypeKind::tkMethod:
            return TMethodProperty::StaticClass();
    }
    return TPropertyEditor::StaticClass();
}

void RemovePackageRegistrations(DesignRegistry& registry, const std::string& package) {
    for (PaletteSheet& sheet : registry.palette)
        std::erase_if(sheet.entries, [&](const PaletteEntry& e) { return e.package == package; });
    std::erase_if(registry.palette, [](const PaletteSheet& sheet) { return sheet.entries.empty(); });
    std::erase_if(registry.propertyEditors, [&](const auto& e) { return e.package == package; });
    std::erase_if(registry.componentEditors, [&](const auto& e) { return e.package == package; });
    UnRegisterPackageClasses(package);
}

// The folder of the framework's own library, where the build and installs put the packages too.
std::string FrameworkDirectory() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&FrameworkDirectory), &info) || !info.dli_fname) return {};
    return std::filesystem::path(info.dli_fname).parent_path().string();
}

std::string PackageFileName(const std::string& name, const std::string& directory) {
    const std::string file = "lib" + name + ".so";
    std::vector<std::string> folders;
    if (!directory.empty()) folders.push_back(directory);
    if (const char* path = std::getenv("ZYL_PACKAGE_PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            std::string_view folder = rest.substr(0, colon);
            if (!folder.empty()) folders.emplace_back(folder);
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    if (std::string own = FrameworkDirectory(); !own.empty()) folders.push_back(own);
    std::error_code error;
    for (const std::string& folder : folders) {
        std::filesystem::path candidate = std::filesystem::path(folder) / file;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
    return file;  // the dynamic loader's own search
}

// "lumaro" from "lumaro", "/opt/zyl/liblumaro.so" or "liblumaro.so".
std::string PackageName(const std::string& nameOrPath) {
    if (nameOrPath.find('/') == std::string::npos && !nameOrPath.ends_with(".so")) return nameOrPath;
    std::string stem = std::filesystem::path(nameOrPath).filename().string();
    if (stem.ends_with(".so")) stem.resize(stem.size() - 3);
    if (stem.starts_with("lib")) stem.erase(0, 3);
    return stem;
}

std::string LoaderError() {
    const char* error = dlerror();
    return error ? error : "unknown error";
}

// Runs a package's entry point with the package current; on failure takes back what it
// registered, closes the library and reports.
// A package loaded again is only counted.
bool CountAgain(DesignRegistry& registry, const std::string& name) {
    for (LoadedPackage& package : registry.packages)
        if (package.name == name) {
            ++package.count;
            return true;
        }
    return false;
}

void RunEntryPoint(DesignRegistry& registry, const std::string& name, void* handle, void (*entry)()) {
    std::string previous = CurrentPackage();
    SetCurrentPackage(name);
    std::string failure;
    try {
        entry();
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "unknown exception";
    }
    SetCurrentPackage(previous);
    if (!failure.empty()) {
        RemovePackageRegistrations(registry, name);
        if (handle) dlclose(handle);
        throw EPackageError(Format("Package %s failed to register: %s", {name, failure}));
    }
    registry.packages.push_back({name, handle, 1});
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Palette

void RegisterComponents(const std::string& page, const std::vector<TClass>& classes) {
    if (page.empty()) throw EDesignError("A palette page needs a name");
    for (TClass cls : classes)
        if (!cls || !cls->createComponent)
            throw EDesignError(Format("Cannot register %s on page %s: not a creatable component",
                                      {cls ? cls->name : std::string_view("nil"), page}));
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto sheet = std::find_if(registry.palette.begin(), registry.palette.end(),
                              [&](const PaletteSheet& s) { return SameText(s.name, page); });
    if (sheet == registry.palette.end()) {
        registry.palette.push_back({page, {}});
        sheet = registry.palette.end() - 1;
    }
    for (TClass cls : classes) {
        RegisterClass(cls);
        bool present = std::any_of(sheet->entries.begin(), sheet->entries.end(),
                                   [cls](const PaletteEntry& e) { return e.cls == cls; });
        if (!present) sheet->entries.push_back({cls, CurrentPackage()});
    }
}

void RegisterComponents(const std::string& page, std::initializer_list<TClass> classes) {
    RegisterComponents(page, std::vector<TClass>(classes));
}

std::vector<TPalettePage> Palette() {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::vector<TPalettePage> pages;
    for (const PaletteSheet& sheet : registry.palette) {
        TPalettePage page{sheet.name, {}};
        for (const PaletteEntry& entry : sheet.entries)
            page.classes.push_back(entry.cls);
        if (!page.classes.empty()) pages.push_back(std::move(page));
    }
    return pages;
}

TClass FindPaletteClass(std::string_view className) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    for (const PaletteSheet& sheet : registry.palette)
        for (const PaletteEntry& entry : sheet.entries)
            if (SameText(entry.cls->name, className)) return entry.cls;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Editor registries

void RegisterPropertyEditor(const TPropertyType& propertyType, TClass componentClass,
                            const std::string& propertyName, TClass editorClass) {
    CheckEditorClass(editorClass, TPropertyEditor::StaticClass(), "A property editor");
    if (propertyType.typeName.empty()) throw EDesignError("A property editor needs a property type");
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.AddPropertyEditor(propertyType, componentClass, propertyName, editorClass, CurrentPackage());
}

TClass GetEditorClass(const TPropInfo& info, TClass componentClass) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::optional<PropertyMatch> best;
    for (const PropertyEditorEntry& entry : registry.propertyEditors)
        if (auto match = MatchPropertyEditor(entry, info, componentClass))
            if (!best || BetterPropertyMatch(*match, *best)) best = match;
    return best ? best->entry->editorClass : StockEditorClass(info);
}

void RegisterComponentEditor(TClass componentClass, TClass editorClass) {
    if (!componentClass) throw EDesignError("A component editor needs a component class");
    CheckEditorClass(editorClass, TComponentEditor::StaticClass(), "A component editor");
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.componentEditors.push_back(
        {componentClass, editorClass, registry.nextOrder++, CurrentPackage()});
}

TClass GetComponentEditorClass(TClass componentClass) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    const ComponentEditorEntry* best = nullptr;
    for (const ComponentEditorEntry& entry : registry.componentEditors) {
        if (!componentClass || !componentClass->InheritsFrom(entry.componentClass)) continue;
        // The later registration wins unless the earlier one is for a more derived class.
        if (!best || entry.componentClass == best->componentClass ||
            entry.componentClass->InheritsFrom(best->componentClass))
            best = &entry;
    }
    return best ? best->editorClass : TDefaultEditor::StaticClass();
}

// ---------------------------------------------------------------------------------------------
// Packages

void LoadPackage(const std::string& nameOrPath, const std::string& directory) {
    const std::string name = PackageName(nameOrPath);
    if (name.empty() || !IsValidIdent(name))
        throw EPackageError(Format("Invalid package name '%s'", {nameOrPath}));
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    if (CountAgain(registry, name)) return;
    const std::string file =
        nameOrPath.find('/') != std::string::npos ? nameOrPath : PackageFileName(name, directory);
    dlerror();
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw EPackageError(Format("Cannot load package %s: %s", {name, LoaderError()}));
    const std::string entryName = "ZylRegisterPackage_" + name;
    auto entry = reinterpret_cast<void (*)()>(dlsym(handle, entryName.c_str()));
    if (!entry) {
        dlclose(handle);
        throw EPackageError(Format("Package %s has no entry point %s", {name, entryName}));
    }
    RunEntryPoint(registry, name, handle, entry);
}

void RegisterPackage(const std::string& name, void (*entryPoint)()) {
    if (name.empty() || !IsValidIdent(name)) throw EPackageError(Format("Invalid package name '%s'", {name}));
    if (!entryPoint) throw EPackageError(Format("Package %s has no entry point", {name}));
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    if (CountAgain(registry, name)) return;
    RunEntryPoint(registry, name, nullptr, entryPoint);
}

void UnloadPackage(const std::string& nameOrPath) {
    const std::string name = PackageName(nameOrPath);
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto package = std::find_if(registry.packages.begin(), registry.packages.end(),
                                [&](const LoadedPackage& p) { return p.name == name; });
    if (package == registry.packages.end()) throw EPackageError(Format("Package %s is not loaded", {name}));
    if (--package->count > 0) return;
    void* handle = package->handle;
    registry.packages.erase(package);
    RemovePackageRegistrations(registry, name);
    if (handle) dlclose(handle);
}

bool PackageLoaded(std::string_view name) {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    return std::any_of(registry.packages.begin(), registry.packages.end(),
                       [&](const LoadedPackage& p) { return p.name == name; });
}

std::vector<std::string> LoadedPackages() {
    auto& registry = Registry();
    std::lock_guard lock(registry.mutex);
    std::vector<std::string> names;
    for (const LoadedPackage& package : registry.packages)
        names.push_back(package.name);
    return names;
}

// ---------------------------------------------------------------------------------------------
// Designer and design windows

namespace {

// The designers alive, newest last (the designer runs on the main thread only).
std::vector<IDesigner*>& LiveDesigners() {
    static std::vector<IDesigner*> designers;
    return designers;
}

}  // namespace

IDesigner::IDesigner() {
    LiveDesigners().push_back(this);
}

IDesigner::~IDesigner() {
    std::erase(LiveDesigners(), this);
    FreeWindows([](TDesignWindow*) { return true; });
}

IDesigner* FindRootDesigner(const TComponent* component) {
    for (; component; component = component->Owner())
        for (IDesigner* designer : LiveDesigners())
            if (designer->GetRoot() == component) return designer;
    return nullptr;
}

std::string IDesigner::GetDefaultMethodName(TComponent* component, const TPropInfo& event) const {
    std::string_view eventName = event.name;
    if (eventName.size() > 2 && SameText(eventName.substr(0, 2), "On")) eventName.remove_prefix(2);
    std::string prefix;
    if (component == GetRoot()) {
        if (component->InheritsFrom(TCustomForm::StaticClass())) {
            prefix = "Form";
        } else {
            std::string_view className = component->ClassName();
            if (className.size() > 1 && (className[0] == 'T' || className[0] == 't'))
                className.remove_prefix(1);
            prefix = std::string(className);
        }
    } else {
        prefix = component->Name();
    }
    return prefix + std::string(eventName);
}

TDesignWindow* IDesigner::FindDesignWindow(TClass windowClass, TComponent* component) const {
    for (TDesignWindow* window : windows_)
        if (window->ClassType() == windowClass && window->Component() == component) return window;
    return nullptr;
}

void IDesigner::NotifyModified() {
    for (TDesignWindow* window : std::vector<TDesignWindow*>(windows_))
        if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) window->FormModified();
}

void IDesigner::NotifySelectionChanged(const std::vector<TPersistent*>& selections) {
    for (TDesignWindow* window : std::vector<TDesignWindow*>(windows_))
        if (std::find(windows_.begin(), windows_.end(), window) != windows_.end())
            window->SelectionChanged(selections);
}

void IDesigner::NotifyComponentDeleted(TComponent* component) {
    for (TDesignWindow* window : std::vector<TDesignWindow*>(windows_))
        if (std::find(windows_.begin(), windows_.end(), window) != windows_.end())
            window->ComponentDeleted(component);
    FreeWindows([component](TDesignWindow* window) { return window->Component() == component; });
}

void IDesigner::NotifyFormClosed() {
    TComponent* root = GetRoot();
    for (TDesignWindow* window : std::vector<TDesignWindow*>(windows_))
        if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) window->FormClosed(root);
    FreeWindows([](TDesignWindow*) { return true; });
}

void IDesigner::AddDesignWindow(TDesignWindow* window) {
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end()) windows_.push_back(window);
}

void IDesigner::RemoveDesignWindow(TDesignWindow* window) {
    std::erase(windows_, window);
}

void IDesigner::FreeWindows(const std::function<bool(TDesignWindow*)>& which) {
    std::vector<TDesignWindow*> doomed;
    for (TDesignWindow* window : windows_)
        if (which(window)) doomed.push_back(window);
    for (TDesignWindow* window : doomed) {
        RemoveDesignWindow(window);
        window->designer_ = nullptr;
        window->component_ = nullptr;
        window->Free();
    }
}

VCL_DEFINE_CLASS(TDesignWindow, TForm)

TDesignWindow::~TDesignWindow() {
    if (designer_) designer_->RemoveDesignWindow(this);
}

void TDesignWindow::Attach(IDesigner* designer, TComponent* component) {
    if (designer_) designer_->RemoveDesignWindow(this);
    designer_ = designer;
    component_ = component;
    if (designer_) designer_->AddDesignWindow(this);
}

}  // namespace vcl
