#include <algorithm>
#include <utility>

#include "vcl/classes.h"
#include "vcl/streaming.h"

namespace vcl {

namespace {

std::string IndexKey(std::string_view name) {
    return LowerCase(name);
}

[[noreturn]] void ListIndexError(int index) {
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

template <typename T>
void EraseValue(std::vector<T*>& list, T* value) {
    auto found = std::find(list.begin(), list.end(), value);
    if (found != list.end()) list.erase(found);
}

}  // namespace

bool IsValidIdent(std::string_view ident) {
    auto alpha = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (ident.empty() || !alpha(static_cast<unsigned char>(ident[0]))) return false;
    return std::all_of(ident.begin() + 1, ident.end(), [&](char c) {
        auto u = static_cast<unsigned char>(c);
        return alpha(u) || (u >= '0' && u <= '9');
    });
}

TComponent* CreateComponent(TClass cls, TComponent* owner) {
    if (!cls->createComponent) throw EComponentError(Format("Cannot create an instance of %s", {cls->name}));
    return cls->createComponent(owner);
}

// ---------------------------------------------------------------------------------------------
// Life

VCL_DEFINE_CLASS(TComponent, TPersistent)

namespace {
thread_local bool holdNextInsertionNotice = false;
}  // namespace

TComponent::TComponent(TComponent* owner) {
    if (!owner) return;
    if (std::exchange(holdNextInsertionNotice, false)) {
        owner->ValidateInsert(this);
        owner->ValidateRename(this, std::string(), name_);
        owner->Insert(this);
        if (owner->Designing()) SetDesigning(true);
        return;
    }
    owner->InsertComponent(this);
}

TComponent* TComponent::DeferInsertionNotice(TComponent* owner) {
    if (owner) holdNextInsertionNotice = true;
    return owner;
}

void TComponent::AnnounceInsertion() {
    if (!owner_) return;
    TComponent* owner = owner_;
    try {
        owner->Notification(this, TOperation::opInsert);
    } catch (...) {
        if (owner_ == owner) owner->RemoveComponent(this);
        throw;
    }
}

TComponent::~TComponent() {
    // Reached without Free(): the derived parts are gone already, so listeners only learn the
    // address. Unlink all the same so that nobody keeps a dangling pointer.
    if (!released_) ReleaseEverything();
}

void TComponent::Free() {
    ReleaseEverything();
    delete this;
}

void TComponent::ReleaseEverything() {
    if (!released_) BeforeDestruction();
    released_ = true;
    Destroying();
    RemoveFreeNotifications();
    if (state_.Contains(csFixups)) RemoveFixupReferences(this);
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* component : components_)
        component->Destroying();
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* component = components_.back();
        // No broadcast to the siblings, who all go too: whoever linked to the component asked
        // for FreeNotification and hears of it from the component itself.
        Remove(component);
        component->Free();
    }
}

// ---------------------------------------------------------------------------------------------
// Ownership

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount()) ListIndexError(index);
    return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& siblings = owner_->components_;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TComponent::SetComponentIndex(int index) {
    if (!owner_) return;
    auto& siblings = owner_->components_;
    int current = ComponentIndex();
    index = std::clamp(index, 0, static_cast<int>(siblings.size()) - 1);
    if (index == current) return;
    siblings.erase(siblings.begin() + current);
    siblings.insert(siblings.begin() + index, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    auto found = namesIndex_.find(IndexKey(name));
    return found == namesIndex_.end() ? nullptr : found->second;
}

void TComponent::InsertComponent(TComponent* component) {
    ValidateInsert(component);
    ValidateRename(component, std::string(), component->name_);
    Insert(component);
    if (Designing()) component->SetDesigning(true);
    try {
        Notification(component, TOperation::opInsert);
    } catch (...) {
        // The component is not made (its constructor fails with this): nobody may keep it.
        RemoveComponent(component);
        throw;
    }
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, TOperation::opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
    if (!component->name_.empty()) namesIndex_[IndexKey(component->name_)] = component;
}

void TComponent::Remove(TComponent* component) {
    if (!component->name_.empty()) {
        auto found = namesIndex_.find(IndexKey(component->name_));
        if (found != namesIndex_.end() && found->second == component) namesIndex_.erase(found);
    }
    // Owned components mostly leave last first, so search from the back.
    auto found = std::find(components_.rbegin(), components_.rend(), component);
    if (found != components_.rend()) components_.erase(std::next(found).base());
    component->owner_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Names

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError(Format("'%s' is not a valid component name", {name}));
    if (owner_)
        owner_->ValidateRename(this, name_, name);
    else
        ValidateRename(nullptr, name_, name);
    if (owner_) {
        if (!name_.empty()) owner_->namesIndex_.erase(IndexKey(name_));
        if (!name.empty()) owner_->namesIndex_[IndexKey(name)] = this;
    }
    name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const std::string& currentName,
                                const std::string& newName) {
    if (component && !newName.empty() && !SameText(currentName, newName)) {
        TComponent* holder = FindComponent(newName);
        if (holder && holder != component)
            throw EComponentError(Format("A component named %s already exists", {newName}));
    }
}

// ---------------------------------------------------------------------------------------------
// State

void TComponent::SetDesigning(bool designing, bool setChildren) {
    if (designing)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* component : components_)
            component->SetDesigning(designing);
}

void TComponent::SetLoadingState(bool loading) {
    if (loading) {
        state_.Include(csLoading);
        state_.Include(csReading);
    } else {
        state_.Exclude(csLoading);
        state_.Exclude(csReading);
    }
}

void TComponent::Loaded() {
    state_.Exclude(csLoading);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    if (root != this) return;
    for (TComponent* component : components_)
        if (!component->HasParent()) proc(component);
}

// ---------------------------------------------------------------------------------------------
// Notification

void TComponent::Notification(TComponent* component, TOperation operation) {
    // Links are kept on both sides, so a component with none has nothing to unlink.
    if (operation == TOperation::opRemove && component && !freeNotifies_.empty())
        RemoveFreeNotification(component);
    // A listener may free components of ours while it is told, so index and re-check.
    for (size_t i = components_.size(); i-- > 0;) {
        if (i >= components_.size()) continue;
        components_[i]->Notification(component, operation);
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
    state_.Include(csFreeNotification);
    component->state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    RemoveNotification(component);
    component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) {
    EraseValue(freeNotifies_, component);
}

void TComponent::RemoveFreeNotifications() {
    while (!freeNotifies_.empty()) {
        TComponent* listener = freeNotifies_.back();
        freeNotifies_.pop_back();
        listener->RemoveNotification(this);
        listener->Notification(this, TOperation::opRemove);
    }
}

// ---------------------------------------------------------------------------------------------
// Events bound by method name

TComponent::MethodMap& TComponent::MethodTable() {
    if (!methods_) methods_ = std::make_unique<MethodMap>();
    return *methods_;
}

const std::any* TComponent::MethodAddress(std::string_view methodName) const {
    if (!methods_) return nullptr;
    for (auto& [name, handler] : *methods_)
        if (SameText(name, methodName)) return &handler;
    return nullptr;
}

std::string TComponent::EventMethodName(std::string_view eventName) const {
    for (auto& [event, method] : eventMethods_)
        if (SameText(event, eventName)) return method;
    return {};
}

void TComponent::BindEvent(std::string_view eventName, TComponent* root, const std::string& methodName) {
    const TPropInfo* info = ClassType()->FindProperty(eventName);
    if (!info || info->kind != TTypeKind::tkMethod)
        throw EPropertyError(Format("Property %s does not exist", {eventName}));
    const std::any* handler = root ? root->MethodAddress(methodName) : nullptr;
    if (!handler) throw EMethodNotFound(Format("Method %s not found", {methodName}));
    info->setHandler(this, *handler);
    UnbindEvent(eventName);
    eventMethods_.emplace_back(info->name, methodName);
}

void TComponent::UnbindEvent(std::string_view eventName) {
    std::erase_if(eventMethods_, [&](const auto& entry) { return SameText(entry.first, eventName); });
}

// ---------------------------------------------------------------------------------------------
// Design position of non-visual components, stored as Left and Top

void TComponent::DefineProperties(TFiler& filer) {
    auto low = static_cast<int16_t>(designInfo_ & 0xFFFF);
    auto high = static_cast<int16_t>((designInfo_ >> 16) & 0xFFFF);
    auto combine = [](int16_t lo, int16_t hi) {
        return static_cast<Integer>((static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16) |
                                    static_cast<uint16_t>(lo));
    };
    filer.DefineProperty(
        "Left",
        [this, combine](TReader& reader) {
            auto value = static_cast<int16_t>(reader.ReadInteger());
            designInfo_ = combine(value, static_cast<int16_t>((designInfo_ >> 16) & 0xFFFF));
        },
        [low](TWriter& writer) { writer.WriteInteger(low); }, low != 0);
    filer.DefineProperty(
        "Top",
        [this, combine](TReader& reader) {
            auto value = static_cast<int16_t>(reader.ReadInteger());
            designInfo_ = combine(static_cast<int16_t>(designInfo_ & 0xFFFF), value);
        },
        [high](TWriter& writer) { writer.WriteInteger(high); }, high != 0);
}

}  // namespace vcl
