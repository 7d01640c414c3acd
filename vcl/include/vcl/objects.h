// TObject with its class information, the class registry, TPersistent, and the published
// property tables that drive form files, Assign helpers and property editors.
#pragma once

#include <any>
#include <cctype>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <variant>
#include <vector>

#include "vcl/system.h"
#include "vcl/sysutils.h"

namespace vcl {

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TFiler;
struct TClassInfo;
struct TPropInfo;

// A class reference, the framework's `class of TObject`.
using TClass = const TClassInfo*;

using TNotifyEvent = std::function<void(TObject* Sender)>;

// ---------------------------------------------------------------------------------------------
// Published properties

enum class TTypeKind : uint8_t {
    tkInteger,      // any integral type, held as Int64
    tkBoolean,      // written as False / True
    tkEnumeration,  // written by value name
    tkSet,          // written as [a, b]
    tkFloat,
    tkString,
    tkClass,   // owned sub-object (persistent, strings, collection) or component reference
    tkMethod,  // event, written by the name of the method bound to it
};

// Integer properties whose values have names (colours, cursors) map them both ways.
struct TIdentMapEntry {
    Integer value;
    std::string_view name;
};
using TIdentMap = std::span<const TIdentMapEntry>;

// A property value in the form the streaming layer moves it.
using TPropValue = std::variant<Int64, double, std::string, SetBits, TObject*>;

namespace detail {

// A bound accessor of a published property: one plain function pointer and the accessor's own
// bytes (a lambda holding a member pointer). Every property of every class makes a few of these in
// each unit that uses the class, and each std::function would instantiate a type-erasure manager
// besides the call; this instantiates the call alone.
template <typename Signature>
class TAccessor;

template <typename R, typename... Args>
class TAccessor<R(Args...)> {
public:
    TAccessor() = default;
    TAccessor(std::nullptr_t) {}
    template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TAccessor> && !std::is_null_pointer_v<F>)
        TAccessor(F function) {
        static_assert(std::is_trivially_copyable_v<F> && sizeof(F) <= kCapacity &&
                          alignof(F) <= alignof(std::max_align_t),
                      "an accessor holds a member pointer or a small trivially copyable lambda");
        ::new (static_cast<void*>(storage_)) F(function);
        call_ = &Call<F>;
    }

    R operator()(Args... args) const { return call_(storage_, std::forward<Args>(args)...); }
    explicit operator bool() const { return call_ != nullptr; }

private:
    static constexpr size_t kCapacity = 2 * sizeof(void*) + sizeof(void*);

    template <typename F>
    static R Call(const unsigned char* storage, Args... args) {
        return (*std::launder(reinterpret_cast<const F*>(storage)))(std::forward<Args>(args)...);
    }

    R (*call_)(const unsigned char*, Args...) = nullptr;
    alignas(std::max_align_t) unsigned char storage_[kCapacity] = {};
};

}  // namespace detail

struct TPropInfo {
    std::string name;
    TTypeKind kind = TTypeKind::tkInteger;
    std::string typeName;                     // the declared type, for messages and editor lookup
    std::span<const std::string_view> names;  // enumeration or set element names
    TIdentMap idents;                         // named integer values
    Int64 minValue = 0, maxValue = 0;         // range of integral types
    TClass classType = nullptr;               // declared class of a tkClass property
    bool isReference = false;                 // tkClass: a component link, not an owned object
    bool readOnly = false;                    // no setter: owned objects are filled in place

    detail::TAccessor<TPropValue(const TObject*)> get;
    detail::TAccessor<void(TObject*, const TPropValue&)> set;
    std::optional<TPropValue> defaultValue;

    // Events: the handler is a std::function member; binding stores both handler and name.
    detail::TAccessor<bool(const TObject*)> hasHandler;
    detail::TAccessor<void(TObject*, const std::any&)> setHandler;  // raises EInvalidCast on mismatch
    detail::TAccessor<void(TObject*)> clearHandler;
    const std::type_info* handlerType = nullptr;  // the event's std::function type
    detail::TAccessor<std::any()> emptyHandler;   // a handler of that type that does nothing

    // Stored rule: absent means always stored.
    detail::TAccessor<bool(const TObject*)> stored;

    bool IsStored(const TObject* instance) const { return !stored || stored(instance); }
    // True when the current value equals the declared default and so is not written.
    bool IsDefault(const TObject* instance) const;
};

using TPropList = std::vector<const TPropInfo*>;

template <typename T>
class Published;

// Fluent options on a property just declared.
class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& info) : info_(info) {}

    // Never written (the value comes from elsewhere, e.g. another property).
    TPropBuilder& Stored(bool stored) {
        if (stored)
            info_.stored = nullptr;
        else
            info_.stored = [](const TObject*) { return false; };
        return *this;
    }
    // Written only while the predicate holds.
    template <typename T>
    TPropBuilder& Stored(bool (T::*predicate)() const) {
        info_.stored = [predicate](const TObject* o) { return (static_cast<const T*>(o)->*predicate)(); };
        return *this;
    }
    // A component the instance owns and edits as a part of itself (a menu's root item) rather than
    // a link to another component.
    TPropBuilder& Owned() {
        info_.isReference = false;
        return *this;
    }
    // Integer values that have names are written by name. A map of colour names ("cl...") makes
    // the property a TColor unless a type name was given.
    TPropBuilder& Idents(TIdentMap map) {
        info_.idents = map;
        bool colours = !map.empty();
        for (const TIdentMapEntry& entry : map)
            colours = colours && entry.name.size() > 2 && entry.name.substr(0, 2) == "cl" &&
                      (std::isupper(static_cast<unsigned char>(entry.name[2])) ||
                       std::isdigit(static_cast<unsigned char>(entry.name[2])));
        if (colours && info_.kind == TTypeKind::tkInteger && !typeNamed_) info_.typeName = "TColor";
        return *this;
    }
    // The declared type name the designer looks editors up by ("TCaption", "TAnchors").
    TPropBuilder& TypeName(std::string_view name) {
        info_.typeName = std::string(name);
        typeNamed_ = true;
        return *this;
    }

private:
    TPropInfo& info_;
    bool typeNamed_ = false;
};

namespace detail {

template <typename V>
struct IsSet : std::false_type {};
template <typename E>
struct IsSet<Set<E>> : std::true_type {
    using Element = E;
};

// A handler that does nothing and returns the default of its result, for methods the designer
// creates before any code exists for them.
template <typename F>
struct EmptyHandler;
template <typename R, typename... Args>
struct EmptyHandler<std::function<R(Args...)>> {
    static std::function<R(Args...)> Make() {
        return [](Args...) -> R {
            if constexpr (!std::is_void_v<R>) return R{};
        };
    }
};

// The framework's name of an integral type of this width and signedness.
template <typename V>
constexpr std::string_view IntegerTypeName() {
    if constexpr (std::is_same_v<V, char>)
        return "Char";
    else if constexpr (std::is_signed_v<V>)
        return sizeof(V) == 1   ? "ShortInt"
               : sizeof(V) == 2 ? "SmallInt"
               : sizeof(V) == 4 ? "Integer"
                                : "Int64";
    else
        return sizeof(V) == 1 ? "Byte" : sizeof(V) == 2 ? "Word" : "Cardinal";
}

template <typename F>
struct HandlerOf;
template <typename C, typename F>
struct HandlerOf<F C::*> {
    using type = F;
};

// Appends the class's own published properties; the parent's are already in the table.
struct TPropTable {
    std::vector<std::unique_ptr<TPropInfo>> owned;
    TPropList all;  // parent's first, in declaration order
};

template <typename V>
TPropValue ToPropValue(const V& value) {
    if constexpr (std::is_same_v<V, bool>)
        return Int64{value ? 1 : 0};
    else if constexpr (std::is_enum_v<V>)
        return static_cast<Int64>(value);
    else if constexpr (std::is_integral_v<V>)
        return static_cast<Int64>(value);
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<double>(value);
    else if constexpr (IsSet<V>::value)
        return value.Bits();
    else if constexpr (std::is_convertible_v<V, std::string>)
        return std::string(value);
    else if constexpr (std::is_pointer_v<V>)
        return static_cast<TObject*>(const_cast<std::remove_const_t<std::remove_pointer_t<V>>*>(value));
    else
        static_assert(!sizeof(V), "unsupported published property type");
}

template <typename V>
V FromPropValue(const TPropValue& value) {
    if constexpr (std::is_same_v<V, bool>)
        return std::get<Int64>(value) != 0;
    else if constexpr (std::is_enum_v<V> || std::is_integral_v<V>)
        return static_cast<V>(std::get<Int64>(value));
    else if constexpr (std::is_floating_point_v<V>)
        return static_cast<V>(std::get<double>(value));
    else if constexpr (IsSet<V>::value)
        return V::FromBits(std::get<SetBits>(value));
    else if constexpr (std::is_same_v<V, std::string>)
        return std::get<std::string>(value);
    else if constexpr (std::is_pointer_v<V>)
        return dynamic_cast<V>(std::get<TObject*>(value));
    else
        static_assert(!sizeof(V), "unsupported published property type");
}

}  // namespace detail

// What a class knows of itself: its name, its parent, how to create it, its published properties.
struct TClassInfo {
    std::string_view name;
    TClass parent = nullptr;
    TComponent* (*createComponent)(TComponent* owner) = nullptr;
    TCollectionItem* (*createItem)(TCollection* collection) = nullptr;
    TObject* (*createObject)() = nullptr;
    void (*publish)(detail::TPropTable& table) = nullptr;

    bool InheritsFrom(TClass other) const {
        for (TClass c = this; c; c = c->parent)
            if (c == other) return true;
        return false;
    }
    // All published properties, the ancestors' first, in declaration order.
    const TPropList& Properties() const;
    // Case-insensitive lookup; nullptr when the class has no such property.
    const TPropInfo* FindProperty(std::string_view propName) const;

    mutable std::once_flag built;
    mutable detail::TPropTable table;
};

namespace detail {

template <typename T>
concept HasOwnPublish = requires(Published<T>& p) {
    {static_cast<void (*)(Published<T>&)>(&T::Publish)};
};

template <typename T>
void PublishThunk(TPropTable& table) {
    Published<T> published(table);
    T::Publish(published);
}

template <typename Self, typename Base>
struct TClassInfoOf : TClassInfo {
    explicit TClassInfoOf(std::string_view className) {
        name = className;
        parent = Base::StaticClass();
        if constexpr (!std::is_abstract_v<Self>) {
            if constexpr (std::is_base_of_v<TComponent, Self> && std::is_constructible_v<Self, TComponent*>)
                createComponent = [](TComponent* owner) -> TComponent* { return new Self(owner); };
            else if constexpr (std::is_base_of_v<TCollectionItem, Self> &&
                               std::is_constructible_v<Self, TCollection*>)
                createItem = [](TCollection* collection) -> TCollectionItem* { return new Self(collection); };
            else if constexpr (std::is_default_constructible_v<Self>)
                createObject = []() -> TObject* { return new Self(); };
        }
        if constexpr (HasOwnPublish<Self>) publish = &PublishThunk<Self>;
    }
};

}  // namespace detail

// Declares a class's class information. Place first in the class body:
//   class TButton : public TWinControl { VCL_CLASS(TButton, TWinControl) public: ... };
#define VCL_CLASS(Self, Base)                                             \
public:                                                                   \
    using Inherited = Base;                                               \
    static ::vcl::TClass StaticClass() {                                  \
        static const ::vcl::detail::TClassInfoOf<Self, Base> info(#Self); \
        return &info;                                                     \
    }                                                                     \
    ::vcl::TClass ClassType() const override {                            \
        return StaticClass();                                             \
    }                                                                     \
                                                                          \
private:

// The same for a class of a library: the class information and its published table are compiled
// once, in the unit that says VCL_DEFINE_CLASS(Self, Base) (inside the class's namespace), instead of
// in every unit that uses the class.
#define VCL_DECLARE_CLASS(Self, Base)          \
public:                                        \
    using Inherited = Base;                    \
    static ::vcl::TClass StaticClass();        \
    ::vcl::TClass ClassType() const override { \
        return StaticClass();                  \
    }                                          \
                                               \
private:

#define VCL_DEFINE_CLASS(Self, Base)                                      \
    ::vcl::TClass Self::StaticClass() {                                   \
        static const ::vcl::detail::TClassInfoOf<Self, Base> info(#Self); \
        return &info;                                                     \
    }

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }
    std::string_view ClassName() const { return ClassType()->name; }
    bool InheritsFrom(TClass other) const { return ClassType()->InheritsFrom(other); }
};

// Records a class under its name so that form files and FindClass can create it.
void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
// Raises EClassNotFound ("Class X not found") when the name is unknown.
TClass FindClass(std::string_view name);
// nullptr when the name is unknown.
TClass GetClass(std::string_view name);

template <typename T>
void RegisterClass() {
    RegisterClass(T::StaticClass());
}

// Registrations made while a package's Register runs belong to that package, so that unloading
// it takes them back. The package loader sets the name on its own thread; empty outside loading.
const std::string& CurrentPackage();
void SetCurrentPackage(std::string package);
// Removes every class registered while the named package was current.
void UnRegisterPackageClasses(std::string_view package);

class TPersistent : public TObject {
    VCL_DECLARE_CLASS(TPersistent, TObject)
public:
    // Copies source into this object; raises EConvertError "Cannot assign a X to a Y" when
    // neither side knows how.
    virtual void Assign(const TPersistent* source);
    // The dotted path the designer shows for this object (Form1.Button1.Font).
    virtual std::string GetNamePath() const;
    // Unpublished data written with the object (binary blocks, lists of strings).
    virtual void DefineProperties(TFiler& filer);
    // The object this one belongs to, for name paths; nullptr for a free-standing one.
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

// Copies every published, non-event property from source to dest (same class or a descendant
// of source's class). Owned sub-objects are copied with Assign; component links are shared.
void AssignPublished(TPersistent* dest, const TPersistent* source);

// Collects one class's published properties; a class declares
//   static void Publish(vcl::Published<TSelf>& p) { p.Property("Caption", ...); ... }
template <typename T>
class Published {
public:
    explicit Published(detail::TPropTable& table) : table_(table) {}

    // Value property with getter and setter; the declared default is not written.
    template <typename Getter, typename Setter, typename D>
    TPropBuilder Property(std::string_view name, Getter getter, Setter setter, const D& defaultValue) {
        using V = ValueOf<Getter>;
        TPropInfo& info = Add<V>(name, getter, setter);
        info.defaultValue = detail::ToPropValue<V>(static_cast<V>(defaultValue));
        return TPropBuilder(info);
    }

    // Value property without a declared default: always written (strings and floats are not
    // written while empty or zero, as the framework does).
    template <typename Getter, typename Setter>
    TPropBuilder Property(std::string_view name, Getter getter, Setter setter) {
        using V = ValueOf<Getter>;
        TPropInfo& info = Add<V>(name, getter, setter);
        if constexpr (std::is_same_v<V, std::string>)
            info.defaultValue = std::string();
        else if constexpr (std::is_floating_point_v<V>)
            info.defaultValue = 0.0;
        return TPropBuilder(info);
    }

    // Owned sub-object filled in place (Font, Lines, Items): only a getter is needed.
    template <typename Getter>
    TPropBuilder Property(std::string_view name, Getter getter) {
        using V = ValueOf<Getter>;
        static_assert(std::is_pointer_v<V>, "a property without setter must be an owned object");
        TPropInfo& info = Add<V>(name, getter, nullptr);
        return TPropBuilder(info);
    }

    // Event: a std::function member, bound by method name when read from a form file.
    template <typename Handler>
    TPropBuilder Event(std::string_view name, Handler T::*member) {
        auto& info = NewInfo(name);
        info.kind = TTypeKind::tkMethod;
        info.typeName = "method";
        info.hasHandler = [member](const TObject* o) { return bool(static_cast<const T*>(o)->*member); };
        info.setHandler = [member](TObject* o, const std::any& handler) {
            const Handler* typed = std::any_cast<Handler>(&handler);
            if (!typed) throw EInvalidCast("Invalid type cast");
            static_cast<T*>(o)->*member = *typed;
        };
        info.clearHandler = [member](TObject* o) { static_cast<T*>(o)->*member = nullptr; };
        info.handlerType = &typeid(Handler);
        info.emptyHandler = [] { return std::any(detail::EmptyHandler<Handler>::Make()); };
        return TPropBuilder(info);
    }

private:
    template <typename Getter>
    using ValueOf = std::remove_cvref_t<std::invoke_result_t<Getter, const T&>>;

    TPropInfo& NewInfo(std::string_view name) {
        table_.owned.push_back(std::make_unique<TPropInfo>());
        TPropInfo& info = *table_.owned.back();
        info.name = std::string(name);
        return info;
    }

    template <typename V, typename Getter, typename Setter>
    TPropInfo& Add(std::string_view name, Getter getter, Setter setter) {
        TPropInfo& info = NewInfo(name);
        Describe<V>(info);
        info.get = [getter](const TObject* o) {
            return detail::ToPropValue<V>(std::invoke(getter, *static_cast<const T*>(o)));
        };
        if constexpr (std::is_null_pointer_v<Setter>) {
            info.readOnly = true;
        } else {
            info.set = [setter](TObject* o, const TPropValue& value) {
                std::invoke(setter, *static_cast<T*>(o), detail::FromPropValue<V>(value));
            };
        }
        return info;
    }

    template <typename V>
    static void Describe(TPropInfo& info) {
        if constexpr (std::is_same_v<V, bool>) {
            static constexpr std::string_view kBooleanNames[] = {"False", "True"};
            info.kind = TTypeKind::tkBoolean;
            info.typeName = "Boolean";
            info.names = kBooleanNames;
        } else if constexpr (std::is_enum_v<V>) {
            info.kind = TTypeKind::tkEnumeration;
            info.typeName = std::string(EnumTypeNameOf<V>());
            info.names = EnumNamesOf<V>();
        } else if constexpr (std::is_integral_v<V>) {
            static_assert(sizeof(V) < 8 || std::is_signed_v<V>,
                          "unsigned 64-bit properties are not streamable");
            info.kind = TTypeKind::tkInteger;
            info.typeName = std::string(detail::IntegerTypeName<V>());
            info.minValue = static_cast<Int64>(std::numeric_limits<V>::min());
            info.maxValue = static_cast<Int64>(std::numeric_limits<V>::max());
        } else if constexpr (std::is_floating_point_v<V>) {
            info.kind = TTypeKind::tkFloat;
            info.typeName = "Extended";
        } else if constexpr (detail::IsSet<V>::value) {
            info.kind = TTypeKind::tkSet;
            info.typeName = "set of " + std::string(EnumTypeNameOf<typename detail::IsSet<V>::Element>());
            info.names = EnumNamesOf<typename detail::IsSet<V>::Element>();
        } else if constexpr (std::is_same_v<V, std::string>) {
            info.kind = TTypeKind::tkString;
            info.typeName = "string";
        } else if constexpr (std::is_pointer_v<V>) {
            using C = std::remove_const_t<std::remove_pointer_t<V>>;
            info.kind = TTypeKind::tkClass;
            info.classType = C::StaticClass();
            info.typeName = std::string(info.classType->name);
            info.isReference = std::is_base_of_v<TComponent, C>;
        } else {
            static_assert(!sizeof(V), "unsupported published property type");
        }
    }

    detail::TPropTable& table_;
};

}  // namespace vcl
