// TList: editing, errors with the framework's messages, sorting and notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "vcl/classes.h"

using namespace vcl;

namespace {

int values[8] = {0, 1, 2, 3, 4, 5, 6, 7};
void* P(int i) {
    return &values[i];
}

std::vector<int> Contents(const TList& list) {
    std::vector<int> result;
    for (void* item : list)
        result.push_back(item ? *static_cast<int*>(item) : -1);
    return result;
}

// -1 stands for nullptr.
void Fill(TList& list, std::initializer_list<int> items) {
    for (int i : items)
        list.Add(i < 0 ? nullptr : P(i));
}

// Records every notification as "+n", "-n" or "xn".
class TLoggingList : public TList {
    VCL_CLASS(TLoggingList, TList)
public:
    std::vector<std::string> log;

protected:
    void Notify(void* item, TListNotification action) override {
        const char* sign = action == lnAdded ? "+" : action == lnDeleted ? "-" : "x";
        log.push_back(sign + std::to_string(*static_cast<int*>(item)));
    }
};

}  // namespace

TEST(Lists, AddInsertDeleteKeepOrder) {
    TList list;
    Fill(list, {1, 2});
    EXPECT_EQ(list.Add(P(4)), 2);
    list.Insert(0, P(0));
    list.Insert(3, P(3));
    list.Insert(list.Count(), P(5));
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    list.Delete(0);
    list.Delete(list.Count() - 1);
    EXPECT_EQ(Contents(list), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(list.First(), P(1));
    EXPECT_EQ(list.Last(), P(4));
}

TEST(Lists, RemoveAndExtractTakeTheFirstOccurrence) {
    TList list;
    Fill(list, {1, 2, 1});
    EXPECT_EQ(list.Remove(P(1)), 0);
    EXPECT_EQ(Contents(list), (std::vector<int>{2, 1}));
    EXPECT_EQ(list.Remove(P(7)), -1);
    EXPECT_EQ(list.Extract(P(1)), P(1));
    EXPECT_EQ(list.Extract(P(1)), nullptr);
    EXPECT_EQ(Contents(list), (std::vector<int>{2}));
    EXPECT_EQ(list.IndexOf(P(2)), 0);
    EXPECT_EQ(list.IndexOf(P(3)), -1);
}

TEST(Lists, MoveExchangeAndPack) {
    TList list;
    Fill(list, {0, 1, 2, 3, 4});
    list.Move(1, 3);
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 2, 3, 1, 4}));
    list.Move(4, 0);
    EXPECT_EQ(Contents(list), (std::vector<int>{4, 0, 2, 3, 1}));
    list.Exchange(0, 4);
    EXPECT_EQ(Contents(list), (std::vector<int>{1, 0, 2, 3, 4}));

    TList holes;
    Fill(holes, {-1, 1, -1, -1, 2, -1});
    holes.Pack();
    EXPECT_EQ(Contents(holes), (std::vector<int>{1, 2}));
}

TEST(Lists, CountAndCapacity) {
    TList list;
    EXPECT_EQ(list.Capacity(), 0);
    list.Add(P(1));
    EXPECT_EQ(list.Capacity(), 4);
    list.SetCount(3);
    EXPECT_EQ(Contents(list), (std::vector<int>{1, -1, -1}));
    list.SetCapacity(100);
    EXPECT_EQ(list.Capacity(), 100);
    EXPECT_EQ(list.Count(), 3);
    list.SetCount(1);
    EXPECT_EQ(Contents(list), (std::vector<int>{1}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.Expand()->Capacity(), 4);
}

TEST(Lists, ErrorsNameTheOffendingValue) {
    struct Case {
        const char* what;
        std::function<void(TList&)> action;
        const char* message;
    };
    const Case cases[] = {
        {"Items(-1)", [](TList& l) { l.Items(-1); }, "List index out of bounds (-1)"},
        {"Items(Count)", [](TList& l) { l.Items(3); }, "List index out of bounds (3)"},
        {"SetItems", [](TList& l) { l.SetItems(5, nullptr); }, "List index out of bounds (5)"},
        {"Insert past end", [](TList& l) { l.Insert(4, nullptr); }, "List index out of bounds (4)"},
        {"Delete", [](TList& l) { l.Delete(3); }, "List index out of bounds (3)"},
        {"Exchange", [](TList& l) { l.Exchange(0, -2); }, "List index out of bounds (-2)"},
        {"Move to", [](TList& l) { l.Move(0, 3); }, "List index out of bounds (3)"},
        {"Move from", [](TList& l) { l.Move(7, 1); }, "List index out of bounds (7)"},
        {"SetCount", [](TList& l) { l.SetCount(-1); }, "List count out of bounds (-1)"},
        {"SetCapacity below count", [](TList& l) { l.SetCapacity(2); }, "List capacity out of bounds (2)"},
        {"SetCapacity huge", [](TList& l) { l.SetCapacity(MaxListSize + 1); },
         "List capacity out of bounds (134217728)"},
    };
    for (const Case& c : cases) {
        TList list;
        Fill(list, {0, 1, 2});
        try {
            c.action(list);
            ADD_FAILURE() << c.what << " raised nothing";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.what;
        }
        EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 2})) << c.what << " changed the list";
    }
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);
}

TEST(Lists, SortOrdersByTheCompareFunction) {
    TList list;
    Fill(list, {3, 1, 4, 1, 5, 0, 2, 6, 7});
    list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
    EXPECT_EQ(Contents(list), (std::vector<int>{0, 1, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(Lists, SortSurvivesAnInconsistentCompare) {
    std::vector<int> big(5000);
    TList list;
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<int>(i % 97);
        list.Add(&big[i]);
    }
    unsigned state = 1;
    list.Sort([&state](void*, void*) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % 3) - 1;
    });
    // Nothing lost or duplicated.
    std::vector<void*> seen(list.begin(), list.end());
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen.size(), big.size());
}

TEST(Lists, NotifyHearsItemsEnterAndLeave) {
    TLoggingList list;
    list.Add(P(1));
    list.Add(nullptr);
    list.Insert(0, P(2));
    list.SetItems(0, P(3));
    list.Extract(P(1));
    list.Move(0, 1);
    list.Delete(0);
    list.Add(P(4));
    list.Clear();
    EXPECT_EQ(list.log, (std::vector<std::string>{"+1", "+2", "-2", "+3", "x1", "+4", "-4", "-3"}));
}

TEST(Lists, AssignCopiesTheItems) {
    TList source;
    Fill(source, {2, 3});
    TList dest;
    Fill(dest, {7});
    dest.Assign(source);
    EXPECT_EQ(Contents(dest), (std::vector<int>{2, 3}));
    dest.Assign(dest);
    EXPECT_EQ(Contents(dest), (std::vector<int>{2, 3}));
}

TEST(Lists, TypedListGivesTypedItems) {
    TTypedList<int> list;
    list.Add(&values[5]);
    list.Add(&values[2]);
    list.Sort([](int* a, int* b) { return *a - *b; });
    EXPECT_EQ(*list.First(), 2);
    EXPECT_EQ(*list.Items(1), 5);
    EXPECT_EQ(list.IndexOf(&values[5]), 1);
}
