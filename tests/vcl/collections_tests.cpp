// Collections: items, order, identity, change notification and assignment.
#include <gtest/gtest.h>

#include <stdexcept>

#include "support/sample_components.h"

using namespace vcl;
using namespace zyltest;

namespace {

std::vector<std::string> Captions(const TCollection& collection) {
    std::vector<std::string> result;
    for (int i = 0; i < collection.Count(); ++i)
        result.push_back(static_cast<TSampleItem*>(collection.Items(i))->Caption());
    return result;
}

TSampleItem* AddItem(TCollection& collection, const std::string& caption) {
    auto* item = static_cast<TSampleItem*>(collection.Add());
    item->SetCaption(caption);
    return item;
}

}  // namespace

TEST(Collections, ItemsKeepOrderIndexAndIdentity) {
    TCollection collection(TSampleItem::StaticClass());
    auto* a = AddItem(collection, "a");
    auto* b = AddItem(collection, "b");
    auto* c = AddItem(collection, "c");
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(b->Collection(), &collection);

    c->SetIndex(0);
    EXPECT_EQ(Captions(collection), (std::vector<std::string>{"c", "a", "b"}));
    a->SetIndex(100);  // clamped to the last place
    EXPECT_EQ(Captions(collection), (std::vector<std::string>{"c", "b", "a"}));

    auto* inserted = static_cast<TSampleItem*>(collection.Insert(1));
    inserted->SetCaption("new");
    EXPECT_EQ(Captions(collection), (std::vector<std::string>{"c", "new", "b", "a"}));
    // IDs are handed out once and never reused, whatever the order.
    EXPECT_EQ(a->ID(), 0);
    EXPECT_EQ(inserted->ID(), 3);
    collection.Delete(1);
    EXPECT_EQ(AddItem(collection, "d")->ID(), 4);
    EXPECT_EQ(collection.FindItemID(2), c);
    EXPECT_EQ(collection.FindItemID(3), nullptr);

    try {
        collection.Items(4);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (4)");
    }
    EXPECT_THROW(collection.Insert(-1), EListError);
    EXPECT_THROW(collection.Delete(-1), EListError);
}

TEST(Collections, ItemsMoveBetweenCollectionsAndLeaveOnDeletion) {
    TCollection first(TSampleItem::StaticClass());
    TCollection second(TSampleItem::StaticClass());
    auto* item = AddItem(first, "x");
    item->SetCollection(&second);
    EXPECT_EQ(first.Count(), 0);
    EXPECT_EQ(second.Count(), 1);
    delete item;
    EXPECT_EQ(second.Count(), 0);
}

TEST(Collections, ChangesAreReportedOnceOutsideUpdates) {
    TCollection collection(TSampleItem::StaticClass());
    int changes = 0;
    collection.OnChange = [&](TObject*) { ++changes; };
    AddItem(collection, "a");  // the add, then the caption
    EXPECT_EQ(changes, 2);

    changes = 0;
    collection.BeginUpdate();
    collection.BeginUpdate();
    AddItem(collection, "b");
    AddItem(collection, "c");
    collection.Delete(0);
    collection.EndUpdate();
    EXPECT_EQ(changes, 0);
    collection.EndUpdate();
    EXPECT_EQ(changes, 1);
    collection.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(collection.UpdateCount(), 0);
}

TEST(Collections, AssignCopiesItemsByTheirPublishedProperties) {
    TCollection source(TSampleItem::StaticClass());
    AddItem(source, "one")->SetWidth(7);
    AddItem(source, "two")->SetVisible(false);
    TCollection dest(TSampleItem::StaticClass());
    AddItem(dest, "old");
    int changes = 0;
    dest.OnChange = [&](TObject*) { ++changes; };
    dest.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Captions(dest), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(static_cast<TSampleItem*>(dest.Items(0))->Width(), 7);
    EXPECT_FALSE(static_cast<TSampleItem*>(dest.Items(1))->Visible());
    EXPECT_NE(dest.Items(0), source.Items(0));
    dest.Assign(&dest);  // self-assignment keeps the items
    EXPECT_EQ(dest.Count(), 2);

    TStringList list;
    EXPECT_THROW(dest.Assign(&list), EConvertError);
}

// The change notice at the end of an update runs user code: its failure reaches the caller, and the
// update is over all the same.
TEST(Collections, AFailingChangeHandlerEndsTheUpdateAndReachesTheCaller) {
    TCollection source(TSampleItem::StaticClass());
    AddItem(source, "one");
    TCollection dest(TSampleItem::StaticClass());
    int changes = 0;
    dest.OnChange = [&](TObject*) {
        ++changes;
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(dest.Assign(&source), std::runtime_error);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(dest.UpdateCount(), 0);
    EXPECT_EQ(Captions(dest), (std::vector<std::string>{"one"}));

    EXPECT_THROW(dest.Insert(0), std::runtime_error);
    EXPECT_EQ(dest.UpdateCount(), 0);
    EXPECT_EQ(dest.Count(), 2);
}

TEST(Collections, NamePathsLeadFromTheOwner) {
    TComponentPtr<TSampleComponent> owner(new TSampleComponent(nullptr));
    owner->SetName("Header1");
    AddItem(*owner->Items(), "a");
    AddItem(*owner->Items(), "b");
    EXPECT_EQ(owner->Items()->GetNamePath(), "Header1.Items");
    EXPECT_EQ(owner->Items()->Items(1)->GetNamePath(), "Header1.Items[1]");
    EXPECT_EQ(owner->Items()->Items(0)->DisplayName(), "a");
    TCollection loose(TSampleItem::StaticClass());
    EXPECT_EQ(AddItem(loose, "")->DisplayName(), "TSampleItem");
}
