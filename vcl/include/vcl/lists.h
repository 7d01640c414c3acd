// TList, the framework's list of untyped pointers, a thin typed view over it, and the bounded
// introspective sort shared by the list classes.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "vcl/objects.h"

namespace vcl {

// The largest number of items a list holds, as the framework's 32-bit lists were limited.
inline constexpr int MaxListSize = 134217727;

enum class TListNotification : uint8_t { lnAdded, lnExtracted, lnDeleted };
VCL_ENUM_NAMES(TListNotification, "lnAdded", "lnExtracted", "lnDeleted")
using enum TListNotification;

// Negative when item1 sorts before item2, zero when equal, positive after.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

class TList : public TObject {
    VCL_DECLARE_CLASS(TList, TObject)
public:
    TList() = default;
    // Notify is not called from here: a descendant that owns its items frees them in its own destructor.
    ~TList() override = default;

    int Add(void* item);
    // index may equal Count (append). Raises EListError "List index out of bounds (%d)".
    void Insert(int index, void* item);
    void Delete(int index);
    // Deletes the first occurrence; returns its former index or -1.
    int Remove(const void* item);
    // Removes the first occurrence without deleting it; returns the item or nullptr.
    void* Extract(void* item);
    int IndexOf(const void* item) const;
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    // Drops every nullptr item.
    void Pack();
    void Clear();
    // Not stable. The compare function may be inconsistent without harming the list.
    void Sort(const TListSortCompare& compare);
    // Raise EListError on an empty list, as Items(0) and Items(-1) do.
    void* First() const;
    void* Last() const;

    void* Items(int index) const;
    void SetItems(int index, void* item);
    int Count() const { return static_cast<int>(items_.size()); }
    // Growing adds nullptr items; shrinking deletes the items beyond. Raises EListError
    // "List count out of bounds (%d)".
    void SetCount(int count);
    int Capacity() const { return static_cast<int>(items_.capacity()); }
    // Raises EListError "List capacity out of bounds (%d)" below Count or above MaxListSize.
    void SetCapacity(int capacity);
    // Makes room for one more item.
    TList* Expand();
    void Assign(const TList& source);
    // The items as an array, valid until the list changes.
    void* const* List() const { return items_.data(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

protected:
    // Told of each non-null item that enters or leaves the list.
    virtual void Notify(void*, TListNotification) {}
    // Raises EListError with the message formatted with data.
    [[noreturn]] static void Error(std::string_view message, Int64 data);

private:
    void Grow();
    void CheckIndex(int index) const;

    std::vector<void*> items_;
};

// A TList of T* with typed accessors; the items are not owned.
template <typename T>
class TTypedList {
public:
    int Add(T* item) { return list_.Add(item); }
    void Insert(int index, T* item) { list_.Insert(index, item); }
    void Delete(int index) { list_.Delete(index); }
    int Remove(const T* item) { return list_.Remove(item); }
    T* Extract(T* item) { return static_cast<T*>(list_.Extract(item)); }
    int IndexOf(const T* item) const { return list_.IndexOf(item); }
    void Exchange(int index1, int index2) { list_.Exchange(index1, index2); }
    void Move(int curIndex, int newIndex) { list_.Move(curIndex, newIndex); }
    void Clear() { list_.Clear(); }
    T* First() const { return static_cast<T*>(list_.First()); }
    T* Last() const { return static_cast<T*>(list_.Last()); }
    T* Items(int index) const { return static_cast<T*>(list_.Items(index)); }
    void SetItems(int index, T* item) { list_.SetItems(index, item); }
    int Count() const { return list_.Count(); }
    void Sort(const std::function<int(T* item1, T* item2)>& compare) {
        list_.Sort([&compare](void* a, void* b) { return compare(static_cast<T*>(a), static_cast<T*>(b)); });
    }
    TList& List() { return list_; }
    const TList& List() const { return list_; }

private:
    TList list_;
};

namespace detail {

// Sorts positions 0..count-1 through index-based compare and exchange callbacks, the framework's
// quicksort with its moving pivot, bounded so that an inconsistent compare stays inside the range,
// falling back to heapsort when the recursion gets deep so that the worst case is O(n log n).
template <typename Compare, typename Exchange>
class IndexSorter {
public:
    IndexSorter(Compare& compare, Exchange& exchange) : compare_(compare), exchange_(exchange) {}

    void Sort(int count) {
        if (count < 2) return;
        int depth = 0;
        for (int n = count; n > 1; n >>= 1)
            depth += 2;
        QuickSort(0, count - 1, depth);
    }

private:
    void QuickSort(int left, int right, int depth) {
        while (left < right) {
            if (depth-- == 0) {
                HeapSort(left, right);
                return;
            }
            int i = left, j = right, pivot = left + (right - left) / 2;
            do {
                while (i < right && compare_(i, pivot) < 0)
                    ++i;
                while (j > left && compare_(j, pivot) > 0)
                    --j;
                if (i <= j) {
                    if (i != j) exchange_(i, j);
                    if (pivot == i)
                        pivot = j;
                    else if (pivot == j)
                        pivot = i;
                    ++i;
                    --j;
                }
            } while (i <= j);
            // Recurse into the smaller part so that the stack stays logarithmic.
            if (j - left < right - i) {
                if (left < j) QuickSort(left, j, depth);
                left = i;
            } else {
                if (i < right) QuickSort(i, right, depth);
                right = j;
            }
        }
    }

    void HeapSort(int left, int right) {
        int n = right - left + 1;
        for (int start = n / 2 - 1; start >= 0; --start)
            SiftDown(left, start, n);
        for (int end = n - 1; end > 0; --end) {
            exchange_(left, left + end);
            SiftDown(left, 0, end);
        }
    }

    void SiftDown(int base, int root, int n) {
        for (;;) {
            int child = 2 * root + 1;
            if (child >= n) return;
            if (child + 1 < n && compare_(base + child, base + child + 1) < 0) ++child;
            if (compare_(base + root, base + child) >= 0) return;
            exchange_(base + root, base + child);
            root = child;
        }
    }

    Compare& compare_;
    Exchange& exchange_;
};

template <typename Compare, typename Exchange>
void SortIndexed(int count, Compare compare, Exchange exchange) {
    IndexSorter<Compare, Exchange>(compare, exchange).Sort(count);
}

}  // namespace detail

}  // namespace vcl
