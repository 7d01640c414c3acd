// Classes: components with ownership and notification, collections, and (through the headers
// included below) lists, string lists, streams and shortcuts.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "vcl/lists.h"
#include "vcl/objects.h"
#include "vcl/shortcuts.h"
#include "vcl/streams.h"
#include "vcl/stringlist.h"
#include "vcl/sysutils.h"
#include "vcl/threads.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Components

enum class TOperation : uint8_t { opInsert, opRemove };
VCL_ENUM_NAMES(TOperation, "opInsert", "opRemove")

// Horizontal alignment of text, shared by controls and fields.
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
VCL_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

enum class TComponentStateFlag : uint8_t {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance,
};
VCL_ENUM_NAMES(TComponentStateFlag, "csLoading", "csReading", "csWriting", "csDestroying", "csDesigning",
               "csAncestor", "csUpdating", "csFixups", "csFreeNotification", "csInline", "csDesignInstance")
using TComponentState = Set<TComponentStateFlag>;
using enum TComponentStateFlag;

class TComponent : public TPersistent {
    VCL_DECLARE_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    // Prefer Free(): the destructor can only tell others once this object's derived parts are gone.
    ~TComponent() override;

    // Tells every linked component and the owner that this one goes away while it is still
    // whole, frees the owned components (last first), then deletes this object.
    void Free();

    // Ownership
    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    void SetComponentIndex(int index);
    // Case-insensitive; nullptr when no owned component has that name.
    TComponent* FindComponent(std::string_view name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // Name and tag
    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is not an identifier or is taken in the owner.
    void SetName(const std::string& name);
    Integer Tag() const { return tag_; }
    void SetTag(Integer tag) { tag_ = tag; }
    // Left and top of a non-visual component on its form in the designer.
    Integer DesignInfo() const { return designInfo_; }
    void SetDesignInfo(Integer info) { designInfo_ = info; }

    // State
    TComponentState ComponentState() const { return state_; }
    bool Designing() const { return state_.Contains(csDesigning); }
    bool IsLoading() const { return state_.Contains(csLoading); }
    bool IsDestroying() const { return state_.Contains(csDestroying); }
    // Marks this component and everything it owns as being designed.
    void SetDesigning(bool designing, bool setChildren = true);
    void Destroying();
    void Updating() { state_.Include(csUpdating); }
    void Updated() { state_.Exclude(csUpdating); }

    // Links: after FreeNotification(other), this component's Notification hears of other's
    // removal. Links are mutual, so either side may go first.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Streaming hooks
    // Called once after every stored property of the whole form has been read.
    virtual void Loaded();
    // Gives the components written inside this one; a root gives what it owns without a parent.
    virtual void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root);
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent*) {}
    // Reading: the reader marks components it creates and clears the marks when done.
    void SetLoadingState(bool loading);

    std::string GetNamePath() const override { return name_; }
    TPersistent* GetOwner() const override { return owner_; }
    void DefineProperties(TFiler& filer) override;

    // Methods a root offers to events by name, the way a form's published methods are bound
    // when the form is read. The handler type must be the event's own std::function type.
    template <typename Handler>
    void RegisterMethod(const std::string& methodName, Handler handler) {
        MethodTable()[methodName] = std::move(handler);
    }
    // nullptr when the root offers no method of that name.
    const std::any* MethodAddress(std::string_view methodName) const;
    // The method name bound to an event property, empty when none.
    std::string EventMethodName(std::string_view eventName) const;
    // Binds an event to a method of the root by name; raises EMethodNotFound when unknown.
    void BindEvent(std::string_view eventName, TComponent* root, const std::string& methodName);
    void UnbindEvent(std::string_view eventName);

    static void Publish(Published<TComponent>& p) {
        p.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
        p.Property("Tag", &TComponent::Tag, &TComponent::SetTag, 0);
    }

    // For a class whose arrival other components may refuse: passes `owner` on to the base
    // constructor and holds the insertion notice back until the class's constructor calls
    // AnnounceInsertion(). The notice TComponent's constructor would send comes before the
    // descendant's type is known, so a listener could not tell what arrived.
    static TComponent* DeferInsertionNotice(TComponent* owner);

protected:
    // Tells the owner's components of the insertion held back by DeferInsertionNotice; when one of
    // them refuses (raises), the component leaves the owner and the exception passes on.
    void AnnounceInsertion();
    // The first step of Free(), while this component and everything it owns are still whole and
    // nobody has been told yet: where a component undoes what it did to objects outside itself
    // that its owned parts depend on (a window it subclassed, a menu it attached to a window).
    virtual void BeforeDestruction() {}
    // Told of every component inserted into or removed from the owner, and of linked components
    // going away. Descendants clear their links, then call the inherited method. A component that
    // refuses an insertion raises; the insertion is then undone.
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void ValidateRename(TComponent* component, const std::string& currentName,
                                const std::string& newName);
    virtual void ValidateInsert(TComponent*) {}
    virtual void SetChildOrder(TComponent*, int) {}

private:
    friend class TReader;
    friend class TWriter;
    using MethodMap = std::map<std::string, std::any, std::less<>>;

    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void RemoveNotification(TComponent* component);
    void RemoveFreeNotifications();
    void ReleaseEverything();
    MethodMap& MethodTable();

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    // Owned components by lower-case name, kept in step with components_.
    std::unordered_map<std::string, TComponent*> namesIndex_;
    std::vector<TComponent*> freeNotifies_;
    std::string name_;
    Integer tag_ = 0;
    Integer designInfo_ = 0;
    TComponentState state_;
    bool released_ = false;
    std::unique_ptr<MethodMap> methods_;
    std::vector<std::pair<std::string, std::string>> eventMethods_;  // event -> method name
};

// A component class reference, the framework's `class of TComponent`.
using TComponentClass = TClass;

// Creates a component of a registered class with the given owner.
TComponent* CreateComponent(TClass cls, TComponent* owner);

// Releases a component through Free(); for std::unique_ptr<TComponent, TComponentDeleter>.
struct TComponentDeleter {
    void operator()(TComponent* component) const {
        if (component) component->Free();
    }
};
template <typename T>
using TComponentPtr = std::unique_ptr<T, TComponentDeleter>;

// Identifier rules for component names: a letter or underscore, then letters, digits, underscores.
bool IsValidIdent(std::string_view ident);

// ---------------------------------------------------------------------------------------------
// Collections

class TCollectionItem : public TPersistent {
    VCL_DECLARE_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    // Moves the item into another collection (or out of any, with nullptr).
    void SetCollection(TCollection* collection);
    int ID() const { return id_; }
    int Index() const;
    void SetIndex(int index);
    // The text the designer lists; the class name unless a descendant says better.
    virtual std::string DisplayName() const { return std::string(ClassName()); }
    virtual void SetDisplayName(const std::string&) { Changed(false); }

    // Items of one class copy their published properties unless a descendant knows better.
    void Assign(const TPersistent* source) override;
    std::string GetNamePath() const override;
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection that this item changed (allItems: the order or number changed).
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    VCL_DECLARE_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TClass itemClass);
    ~TCollection() override;

    TClass ItemClass() const { return itemClass_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError "List index out of bounds (n)" for an index out of range.
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    void Assign(const TPersistent* source) override;
    std::string GetNamePath() const override;
    // The property name under which the owner publishes this collection ("Items").
    const std::string& PropName() const { return propName_; }
    void SetPropName(std::string name) { propName_ = std::move(name); }

    // Raised after any change while no update is open.
    TNotifyEvent OnChange;

protected:
    // item is the changed one, or nullptr when the order or the number of items changed.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);
    void MoveItem(int from, int to);

    TClass itemClass_;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
    std::string propName_;
};

// A collection that names its owner, for name paths and the designer.
class TOwnedCollection : public TCollection {
    VCL_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* owner, TClass itemClass) : TCollection(itemClass), owner_(owner) {}
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};

}  // namespace vcl
