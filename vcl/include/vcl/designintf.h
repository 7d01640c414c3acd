// Design-time interfaces: palette registration, the registries of property and component
// editors, package loading, the designer a form is edited through, and the windows a designer
// keeps informed.
//
// A package library exports one entry point that registers what it brings:
//   // lumaro/package.cpp
//   namespace lumaro { void Register(); }
//   ZYL_PACKAGE_ENTRY(lumaro)
// Everything registered while a package's entry point runs (palette entries, editors, stream
// classes) belongs to that package and goes away when it is unloaded.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/forms.h"

namespace vcl {

class IDesigner;
class TDesignWindow;

VCL_DECLARE_EXCEPTION(EPackageError, Exception)
VCL_DECLARE_EXCEPTION(EDesignError, Exception)

using TGetStrProc = std::function<void(const std::string& value)>;

// ---------------------------------------------------------------------------------------------
// Palette

struct TPalettePage {
    std::string name;
    std::vector<TClass> classes;  // in registration order
};

// Puts component classes on a palette page (created on first use; pages keep the order of their
// first registration) and registers them for streaming. A class already on the page keeps its place.
void RegisterComponents(const std::string& page, std::initializer_list<TClass> classes);
void RegisterComponents(const std::string& page, const std::vector<TClass>& classes);
// Pages without components are not listed.
std::vector<TPalettePage> Palette();
// The palette class of that name (case-insensitive), nullptr when no page holds it.
TClass FindPaletteClass(std::string_view className);

// ---------------------------------------------------------------------------------------------
// Editor registries

// The type a property editor is registered for: a declared type name ("TColor", "TCaption",
// "Integer", "set of TFontStyle") or, for class properties, a class whose descendants it also serves.
struct TPropertyType {
    TPropertyType(const char* name) : typeName(name) {}
    TPropertyType(std::string_view name) : typeName(name) {}
    TPropertyType(const std::string& name) : typeName(name) {}
    TPropertyType(TClass cls) : typeName(cls ? cls->name : std::string_view{}), classType(cls) {}

    std::string typeName;
    TClass classType = nullptr;
};

// editorClass must descend from TPropertyEditor; componentClass nullptr means every component,
// an empty propertyName every property of the type.
void RegisterPropertyEditor(const TPropertyType& propertyType, TClass componentClass,
                            const std::string& propertyName, TClass editorClass);
// The editor for a property of a component class: the registered candidate that fits best (a
// component class over none, a property name over none, an exact type over an inherited class,
// the more derived property class, the more derived component class, the later registration),
// else the stock editor for the property's kind.
TClass GetEditorClass(const TPropInfo& info, TClass componentClass);

// editorClass must descend from TComponentEditor.
void RegisterComponentEditor(TClass componentClass, TClass editorClass);
// The most derived registered class's editor (the later one on a tie), else TDefaultEditor.
TClass GetComponentEditorClass(TClass componentClass);

// ---------------------------------------------------------------------------------------------
// Packages

// Opens lib<name>.so (or a path, when name holds a '/'), looking in `directory`, then in each
// folder of ZYL_PACKAGE_PATH, then beside the framework's own library, then where the dynamic
// loader looks, and runs its entry point. Loading a loaded package only counts it. Raises
// EPackageError naming the package when the file, its entry point or its registration fails; the
// registries are then as they were.
void LoadPackage(const std::string& name, const std::string& directory = {});
// The same bookkeeping for a package linked into the program: runs its entry point as the current
// package (counted like LoadPackage, undone by UnloadPackage).
void RegisterPackage(const std::string& name, void (*entryPoint)());
// Undoes one LoadPackage; the last one removes everything the package registered and closes it.
// Raises EPackageError for a package that is not loaded.
void UnloadPackage(const std::string& name);
bool PackageLoaded(std::string_view name);
// Loaded packages in load order.
std::vector<std::string> LoadedPackages();

#define ZYL_PACKAGE_ENTRY(package)                                                          \
    extern "C" __attribute__((visibility("default"))) void ZylRegisterPackage_##package() { \
        package::Register();                                                                \
    }

// ---------------------------------------------------------------------------------------------
// The designer

// What property and component editors talk to while a root (form or data module) is designed.
// The notifications to design windows are the designer's own; a concrete designer supplies the rest.
class IDesigner {
public:
    IDesigner();
    IDesigner(const IDesigner&) = delete;
    IDesigner& operator=(const IDesigner&) = delete;
    // Frees the design windows still open.
    virtual ~IDesigner();

    virtual TComponent* GetRoot() const = 0;

    // Creates a component owned by the root, named uniquely after its class (Label1, Label2, ...).
    // Controls go into `parent` (the root when nullptr) at the given bounds (a width or height
    // below zero keeps the class's own); other components keep the position as their design info.
    virtual TComponent* CreateComponent(TClass componentClass, TComponent* parent, Integer left, Integer top,
                                        Integer width, Integer height) = 0;
    // Frees a component of the root (never the root) and tells the design windows.
    virtual void DeleteComponent(TComponent* component) = 0;
    // "<base><n>" with the smallest n >= 1 that no component of the root uses.
    virtual std::string UniqueName(std::string_view baseName) const = 0;

    virtual void SelectComponent(TPersistent* instance) = 0;
    virtual std::vector<TPersistent*> GetSelections() const = 0;
    virtual void SetSelections(const std::vector<TPersistent*>& selections) = 0;

    // Something in the designed root changed.
    virtual void Modified() = 0;

    // The root or a component it owns, by name (case-insensitive); nullptr when none.
    virtual TComponent* GetComponent(std::string_view name) const = 0;
    // The name a reference property shows for a component.
    virtual std::string GetComponentName(TComponent* component) const = 0;
    // Names of the linkable components that descend from componentClass.
    virtual void GetComponentNames(TClass componentClass, const TGetStrProc& proc) const = 0;
    // Whether a reference property may point at the component (it belongs to the root).
    virtual bool IsComponentLinkable(TComponent* component) const = 0;

    // Adds a method of the event's type to the root (or accepts an existing one of that type) and
    // returns its name; raises EDesignError for an invalid name or a method of another type.
    virtual std::string CreateMethod(const std::string& name, const TPropInfo& event) = 0;
    virtual bool MethodExists(std::string_view name) const = 0;
    // Methods of the root that an event of this type can be bound to.
    virtual void GetMethods(const TPropInfo& event, const TGetStrProc& proc) const = 0;
    // Brings the method's code forward in the code editor.
    virtual void ShowMethod(const std::string& name) = 0;

    // "Button1Click", "FormCreate": the name the designer proposes for a new handler.
    std::string GetDefaultMethodName(TComponent* component, const TPropInfo& event) const;

    // Design windows open on this designer, newest last.
    const std::vector<TDesignWindow*>& DesignWindows() const { return windows_; }
    // The open window of that class for the component (nullptr for the designer as a whole).
    TDesignWindow* FindDesignWindow(TClass windowClass, TComponent* component) const;

protected:
    void NotifyModified();
    void NotifySelectionChanged(const std::vector<TPersistent*>& selections);
    // Tells every window, then frees the windows that were editing the component.
    void NotifyComponentDeleted(TComponent* component);
    // Tells every window, then frees them all.
    void NotifyFormClosed();

private:
    friend class TDesignWindow;
    void AddDesignWindow(TDesignWindow* window);
    void RemoveDesignWindow(TDesignWindow* window);
    void FreeWindows(const std::function<bool(TDesignWindow*)>& which);

    std::vector<TDesignWindow*> windows_;
};

// The designer of the root that `component` belongs to (the component itself or one of its owners),
// nullptr when that root is not being designed. Components tell it of changes they make themselves.
IDesigner* FindRootDesigner(const TComponent* component);

// A window a package opens to edit a component (a collection or menu editor). One window of each
// class per designer and component: asking again brings the open one forward.
class TDesignWindow : public TForm {
    VCL_DECLARE_CLASS(TDesignWindow, TForm)
public:
    explicit TDesignWindow(TComponent* owner) : TForm(owner, 0) {}
    ~TDesignWindow() override;

    IDesigner* Designer() const { return designer_; }
    TComponent* Component() const { return component_; }
    // Registers the window with the designer for the component.
    void Attach(IDesigner* designer, TComponent* component);

    virtual void FormModified() {}
    virtual void ComponentDeleted(TComponent*) {}
    virtual void FormClosed(TComponent*) {}
    virtual void SelectionChanged(const std::vector<TPersistent*>&) {}

    // The open window of class W for the component, shown and brought forward, or a new one.
    template <typename W>
    static W* ShowFor(IDesigner* designer, TComponent* component) {
        if (auto* open = dynamic_cast<W*>(designer->FindDesignWindow(W::StaticClass(), component))) {
            open->Show();
            open->BringToFront();
            return open;
        }
        auto* window = new W(nullptr);
        window->Attach(designer, component);
        window->Show();
        return window;
    }

private:
    friend class IDesigner;
    IDesigner* designer_ = nullptr;
    TComponent* component_ = nullptr;
};

}  // namespace vcl
