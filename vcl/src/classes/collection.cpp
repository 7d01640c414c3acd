#include <algorithm>

#include "vcl/classes.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// TCollectionItem

VCL_DEFINE_CLASS(TCollectionItem, TPersistent)

TCollectionItem::TCollectionItem(TCollection* collection) {
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem() {
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection) {
    if (collection == collection_) return;
    if (collection_) collection_->RemoveItem(this);
    if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    auto& items = collection_->items_;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index) {
    int current = Index();
    if (current < 0 || index == current) return;
    collection_->MoveItem(current, index);
    Changed(true);
}

void TCollectionItem::Changed(bool allItems) {
    if (!collection_ || collection_->updateCount_ != 0) return;
    collection_->Update(allItems ? nullptr : this);
}

std::string TCollectionItem::GetNamePath() const {
    if (!collection_) return std::string(ClassName());
    return Format("%s[%d]", {collection_->GetNamePath(), Index()});
}

TPersistent* TCollectionItem::GetOwner() const {
    return collection_;
}

void TCollectionItem::Assign(const TPersistent* source) {
    auto* item = dynamic_cast<const TCollectionItem*>(source);
    if (item && (InheritsFrom(item->ClassType()) || item->InheritsFrom(ClassType()))) {
        AssignPublished(this, item);
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TCollection

VCL_DEFINE_CLASS(TCollection, TPersistent)

TCollection::TCollection(TClass itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection() {
    updateCount_ = 1;  // no change events while the items go
    Clear();
}

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add() {
    if (!itemClass_->createItem)
        throw EComponentError(Format("Cannot create an instance of %s", {itemClass_->name}));
    // The item joins from its base constructor; listeners hear of it once it is whole.
    BeginUpdate();
    const ScopeExit endUpdate([this] { EndUpdate(); });
    return itemClass_->createItem(this);
}

TCollectionItem* TCollection::Insert(int index) {
    if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
    BeginUpdate();
    const ScopeExit endUpdate([this] { EndUpdate(); });
    TCollectionItem* item = Add();
    MoveItem(Count() - 1, index);
    return item;
}

void TCollection::Delete(int index) {
    delete Items(index);
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
    for (TCollectionItem* item : items_)
        if (item->id_ == id) return item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++updateCount_;
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {
    if (OnChange) OnChange(this);
}

void TCollection::InsertItem(TCollectionItem* item) {
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    auto found = std::find(items_.rbegin(), items_.rend(), item);
    if (found != items_.rend()) items_.erase(std::next(found).base());
    item->collection_ = nullptr;
    Changed();
}

void TCollection::MoveItem(int from, int to) {
    to = std::clamp(to, 0, Count() - 1);
    TCollectionItem* item = items_[static_cast<size_t>(from)];
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
}

void TCollection::Assign(const TPersistent* source) {
    auto* other = dynamic_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    const ScopeExit endUpdate([this] { EndUpdate(); });
    Clear();
    for (TCollectionItem* item : other->items_)
        Add()->Assign(item);
}

std::string TCollection::GetNamePath() const {
    TPersistent* owner = GetOwner();
    if (!owner) return std::string(ClassName());
    std::string path = owner->GetNamePath();
    if (path.empty()) return path;
    return path + "." + propName_;
}

}  // namespace vcl
