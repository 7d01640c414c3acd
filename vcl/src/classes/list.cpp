#include "vcl/lists.h"

#include <algorithm>

namespace vcl {

namespace {

constexpr std::string_view kListIndexError = "List index out of bounds (%d)";
constexpr std::string_view kListCapacityError = "List capacity out of bounds (%d)";
constexpr std::string_view kListCountError = "List count out of bounds (%d)";

}  // namespace

VCL_DEFINE_CLASS(TList, TObject)

void TList::Error(std::string_view message, Int64 data) {
    throw EListError(Format(message, {data}));
}

void TList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) Error(kListIndexError, index);
}

void TList::Grow() {
    int capacity = Capacity();
    int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    SetCapacity(capacity > MaxListSize - delta ? MaxListSize + 1 : capacity + delta);
}

TList* TList::Expand() {
    if (Count() == Capacity()) Grow();
    return this;
}

int TList::Add(void* item) {
    int result = Count();
    if (result == Capacity()) Grow();
    items_.push_back(item);
    if (item) Notify(item, lnAdded);
    return result;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > Count()) Error(kListIndexError, index);
    if (Count() == Capacity()) Grow();
    items_.insert(items_.begin() + index, item);
    if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
    CheckIndex(index);
    void* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(const void* item) {
    int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* item) {
    int index = IndexOf(item);
    if (index < 0) return nullptr;
    items_.erase(items_.begin() + index);
    if (item) Notify(item, lnExtracted);
    return item;
}

int TList::IndexOf(const void* item) const {
    auto found = std::find(items_.begin(), items_.end(), item);
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void TList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    if (newIndex < 0 || newIndex >= Count()) Error(kListIndexError, newIndex);
    CheckIndex(curIndex);
    auto first = items_.begin();
    if (curIndex < newIndex)
        std::rotate(first + curIndex, first + curIndex + 1, first + newIndex + 1);
    else
        std::rotate(first + newIndex, first + curIndex, first + curIndex + 1);
}

void TList::Pack() {
    std::erase(items_, nullptr);
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TList::Sort(const TListSortCompare& compare) {
    if (Count() < 2 || !compare) return;
    detail::SortIndexed(
        Count(),
        [this, &compare](int a, int b) {
            return compare(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
        },
        [this](int a, int b) { std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]); });
}

void* TList::First() const {
    return Items(0);
}

void* TList::Last() const {
    return Items(Count() - 1);
}

void* TList::Items(int index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void TList::SetItems(int index, void* item) {
    CheckIndex(index);
    void*& slot = items_[static_cast<size_t>(index)];
    if (slot == item) return;
    void* old = slot;
    slot = item;
    if (old) Notify(old, lnDeleted);
    if (item) Notify(item, lnAdded);
}

void TList::SetCount(int count) {
    if (count < 0 || count > MaxListSize) Error(kListCountError, count);
    if (count > Capacity()) SetCapacity(count);
    if (count > Count()) {
        items_.resize(static_cast<size_t>(count), nullptr);
        return;
    }
    for (int i = Count() - 1; i >= count; --i)
        Delete(i);
}

void TList::SetCapacity(int capacity) {
    if (capacity < Count() || capacity > MaxListSize) Error(kListCapacityError, capacity);
    if (capacity == Capacity()) return;
    std::vector<void*> resized;
    resized.reserve(static_cast<size_t>(capacity));
    resized.assign(items_.begin(), items_.end());
    items_.swap(resized);
}

void TList::Assign(const TList& source) {
    if (&source == this) return;
    Clear();
    SetCapacity(std::max(source.Capacity(), source.Count()));
    for (void* item : source.items_)
        Add(item);
}

}  // namespace vcl
