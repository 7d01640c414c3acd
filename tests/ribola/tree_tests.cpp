// The item tree: group indexes on insertion, index errors, moves and their rollback, and the change
// notifications that climb to the menu component.
#include <utility>

#include "menu_fixture.h"

namespace {

using namespace ribola;
using zyltest::MenuTest;

// Records every OnChange of an item as (sender, rebuild) while it lives; the item outlives it.
struct ChangeLog {
    std::vector<std::pair<vcl::TObject*, bool>> calls;
    TZylMenuItem* item = nullptr;
    void Attach(TZylMenuItem* target) {
        item = target;
        item->OnChange = [this](vcl::TObject* sender, bool rebuild) { calls.emplace_back(sender, rebuild); };
    }
    ~ChangeLog() {
        if (item) item->OnChange = nullptr;
    }
};

template <typename F>
void ExpectMenuError(F&& action, std::string_view message) {
    try {
        action();
        ADD_FAILURE() << "no EZylMenuError";
    } catch (const EZylMenuError& error) {
        EXPECT_EQ(error.Message(), message);
    }
}

// ---------------------------------------------------------------------------------------------
// Group indexes

using GroupTest = MenuTest;

struct GroupCase {
    std::vector<int> existing;
    int position;
    int inserted;
    std::vector<int> expected;  // the list afterwards, the inserted item included
};

TEST_F(GroupTest, InsertionRaisesGroupsToKeepTheOrder) {
    const GroupCase cases[] = {
        {{0, 3}, 2, 0, {0, 3, 3}},        // raised to its predecessor's group
        {{2, 7}, 0, 5, {5, 5, 7}},        // later items below it follow it
        {{1, 1, 4}, 1, 0, {1, 1, 1, 4}},  // predecessor first, then the later ones
        {{}, 0, 9, {9}},
        {{0, 2, 4}, 3, 200, {0, 2, 4, 200}},
    };
    for (const GroupCase& c : cases) {
        TZylMenuItem* root = NewItem("root");
        for (int group : c.existing)
            AddItem(root, "x", static_cast<vcl::Byte>(group));
        root->Insert(c.position, NewItem("new", static_cast<vcl::Byte>(c.inserted)));
        EXPECT_EQ(Groups(root), c.expected) << "insert " << c.inserted << " at " << c.position;
        EXPECT_EQ(root->Items(c.position)->Caption(), "new");
        root->Free();
    }
}

TEST_F(GroupTest, LoweringBelowAnEarlierSiblingIsRefusedWithoutChange) {
    TZylMenuItem* root = NewItem("root");
    AddItem(root, "a", 0);
    AddItem(root, "b", 3);
    TZylMenuItem* c = AddItem(root, "c", 5);
    ExpectMenuError([&] { c->SetGroupIndex(1); }, SGroupIndexTooLow);
    EXPECT_EQ(Groups(root), (std::vector<int>{0, 3, 5}));
}

TEST_F(GroupTest, RaisingAGroupRaisesLaterSiblings) {
    TZylMenuItem* root = NewItem("root");
    TZylMenuItem* a = AddItem(root, "a", 0);
    AddItem(root, "b", 2);
    AddItem(root, "c", 6);
    a->SetGroupIndex(4);
    EXPECT_EQ(Groups(root), (std::vector<int>{4, 4, 6}));
}

TEST_F(GroupTest, InsertAfterAHigherGroupIsRefusedWithoutChange) {
    TZylMenuItem* root = NewItem("root");
    AddItem(root, "a", 0);
    TZylMenuItem* b = AddItem(root, "b", 5);
    AddItem(root, "c", 5);
    // The framework setter does not check the order: the list is now out of order.
    static_cast<vcl::TMenuItem*>(b)->SetGroupIndex(9);
    TZylMenuItem* late = NewItem("late", 1);
    ExpectMenuError([&] { root->Insert(3, late); }, SGroupIndexTooLow);
    EXPECT_EQ(late->GroupIndex(), 1);
    EXPECT_EQ(late->Parent(), nullptr);
    EXPECT_EQ(Groups(root), (std::vector<int>{0, 9, 5}));
}

// ---------------------------------------------------------------------------------------------
// Errors of the tree operations

using TreeErrorTest = MenuTest;

TEST_F(TreeErrorTest, InsertOutsideTheListChangesNothing) {
    TZylMenuItem* root = NewItem("root");
    AddItem(root, "a", 0);
    AddItem(root, "b", 1);
    for (int index : {-1, -100, 3, 50}) {
        TZylMenuItem* item = NewItem("new", 7);
        ExpectMenuError([&] { root->Insert(index, item); }, SMenuIndexError);
        EXPECT_EQ(Groups(root), (std::vector<int>{0, 1})) << index;
        EXPECT_EQ(item->Parent(), nullptr);
        item->Free();
    }
}

TEST_F(TreeErrorTest, ItemsOutOfRange) {
    TZylMenuItem* root = NewItem("root");
    ExpectMenuError([&] { root->Items(0); }, SMenuIndexError);  // no children at all
    AddItem(root, "a");
    EXPECT_EQ(root->Items(0)->Caption(), "a");
    ExpectMenuError([&] { root->Items(1); }, SMenuIndexError);
    ExpectMenuError([&] { root->Items(-1); }, SMenuIndexError);
}

TEST_F(TreeErrorTest, DeleteAndRemoveErrors) {
    TZylMenuItem* root = NewItem("root");
    ExpectMenuError([&] { root->Delete(0); }, SMenuIndexError);
    TZylMenuItem* a = AddItem(root, "a");
    ExpectMenuError([&] { root->Delete(1); }, SMenuIndexError);
    ExpectMenuError([&] { root->Delete(-1); }, SMenuIndexError);
    TZylMenuItem* stranger = NewItem("stranger");
    ExpectMenuError([&] { root->Remove(stranger); }, SMenuNotFound);
    EXPECT_EQ(root->Count(), 1);
    root->Remove(a);
    EXPECT_EQ(root->Count(), 0);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(a->MenuIndex(), -1);
}

TEST_F(TreeErrorTest, AnItemGoesIntoOneParentAndNeverIntoItself) {
    TZylMenuItem* root = NewItem("root");
    TZylMenuItem* a = AddItem(root, "a");
    TZylMenuItem* other = NewItem("other");
    ExpectMenuError([&] { other->Add(a); }, SMenuReinserted);
    TZylMenuItem* child = AddItem(a, "child");
    ExpectMenuError([&] { child->Add(root); }, SMenuReinserted);
    ExpectMenuError([&] { a->Add(a); }, SMenuReinserted);
    EXPECT_EQ(a->Parent(), root);
}

// ---------------------------------------------------------------------------------------------
// Moving items

using MoveTest = MenuTest;

TEST_F(MoveTest, MenuIndexIsClampedToTheParent) {
    TZylMenuItem* root = NewItem("root");
    AddItem(root, "a");
    AddItem(root, "b");
    TZylMenuItem* c = AddItem(root, "c");
    c->SetMenuIndex(-3);
    EXPECT_EQ(Captions(root), (std::vector<std::string>{"c", "a", "b"}));
    c->SetMenuIndex(99);
    EXPECT_EQ(Captions(root), (std::vector<std::string>{"a", "b", "c"}));
    c->SetMenuIndex(1);
    EXPECT_EQ(Captions(root), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(c->MenuIndex(), 1);
}

TEST_F(MoveTest, AFailedMoveLeavesTheItemWhereItWas) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* root = menu->Items();
    TZylMenuItem* a = AddItem(root, "a", 0);
    TZylMenuItem* b = AddItem(root, "b", 5);
    AddItem(root, "c", 5);
    const win32::HMENU native = menu->GetHandle();
    static_cast<vcl::TMenuItem*>(b)->SetGroupIndex(9);
    ExpectMenuError([&] { a->SetMenuIndex(2); }, SGroupIndexTooLow);
    EXPECT_EQ(Captions(root), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(a->GroupIndex(), 0);
    EXPECT_EQ(a->Parent(), root);
    EXPECT_EQ(zyltest::Texts(native), (std::vector<std::string>{"a", "b", "c"}));
    // The item is still wired into the tree.
    a->SetCaption("A");
    EXPECT_EQ(zyltest::Texts(native), (std::vector<std::string>{"A", "b", "c"}));
}

TEST_F(MoveTest, AFailedReparentingPutsTheItemBack) {
    TZylMenuItem* first = NewItem("first");
    AddItem(first, "x");
    TZylMenuItem* mover = AddItem(first, "mover", 2);
    AddItem(first, "y", 2);
    TZylMenuItem* second = NewItem("second");
    TZylMenuItem* high = AddItem(second, "high", 5);
    AddItem(second, "low", 5);
    static_cast<vcl::TMenuItem*>(high)->SetGroupIndex(9);
    EXPECT_THROW(mover->SetParentComponent(second), EZylMenuError);
    EXPECT_EQ(mover->Parent(), first);
    EXPECT_EQ(mover->MenuIndex(), 1);
    EXPECT_EQ(mover->GroupIndex(), 2);
    EXPECT_EQ(second->Count(), 2);
}

TEST_F(MoveTest, ReparentingThroughTheStreamProtocol) {
    auto* menu = NewMenu<TZylMainMenu>();
    TZylMenuItem* file = AddItem(menu->Items(), "File");
    TZylMenuItem* item = NewItem("Open");
    item->SetParentComponent(menu);
    EXPECT_EQ(item->Parent(), menu->Items());
    EXPECT_EQ(item->GetParentComponent(), menu);
    item->SetParentComponent(file);
    EXPECT_EQ(item->Parent(), file);
    EXPECT_EQ(item->GetParentComponent(), file);
    EXPECT_EQ(menu->Items()->Count(), 1);
    EXPECT_THROW(item->SetParentComponent(host_), EZylMenuError);
    EXPECT_EQ(item->Parent(), file);
}

// ---------------------------------------------------------------------------------------------
// Notifications

using NotificationTest = MenuTest;

TEST_F(NotificationTest, DeleteRebuildsWhenTheLastChildGoes) {
    TZylMenuItem* root = NewItem("root");
    AddItem(root, "a");
    AddItem(root, "b");
    ChangeLog log;
    log.Attach(root);
    root->Delete(0);
    root->Delete(0);
    ASSERT_EQ(log.calls.size(), 2u);
    EXPECT_FALSE(log.calls[0].second);
    EXPECT_TRUE(log.calls[1].second);
    EXPECT_EQ(log.calls[1].first, root);
}

TEST_F(NotificationTest, AddAnnouncesTwiceAndNotToRebuildWhileLoading) {
    TZylMenuItem* root = NewItem("root");
    ChangeLog log;
    log.Attach(root);
    root->Add(NewItem("a"));
    root->Add(NewItem("b"));
    EXPECT_EQ(log.calls, (std::vector<std::pair<vcl::TObject*, bool>>{
                             {root, true}, {root, true}, {root, false}, {root, true}}));
    log.calls.clear();
    root->SetLoadingState(true);
    root->Add(NewItem("c"));
    root->SetCaption("loaded");
    root->SetVisible(false);  // visibility always rebuilds
    root->SetLoadingState(false);
    EXPECT_EQ(log.calls, (std::vector<std::pair<vcl::TObject*, bool>>{
                             {root, false}, {root, false}, {root, false}, {root, true}}));
}

TEST_F(NotificationTest, SettersAnnounceOnlyRealChangesWhereTheRulesSaySo) {
    TZylMenuItem* item = NewItem("item");
    ChangeLog log;
    log.Attach(item);
    item->SetCaption("item");   // same: silent
    item->SetShortCut(0);       // always announced
    item->SetImageIndex(-2);    // ignored
    item->SetCheckedIndex(-7);  // ignored
    item->SetImageIndex(3);
    item->SetChecked(true);   // never announced
    item->SetVisible(true);   // same: silent
    item->SetDefault(false);  // same: silent
    EXPECT_EQ(log.calls.size(), 2u);
    EXPECT_EQ(item->ImageIndex(), 3);
    EXPECT_EQ(item->CheckedIndex(), -1);
}

TEST_F(NotificationTest, ChangesClimbToTheMainMenu) {
    struct CountingMenu : TZylMainMenu {
        using TZylMainMenu::TZylMainMenu;
        int changes = 0;
        void ItemChanged() override {
            ++changes;
            TZylMainMenu::ItemChanged();
        }
    };
    auto* menu = new CountingMenu(host_);
    TZylMenuItem* file = AddItem(menu->Items(), "File");
    TZylMenuItem* open = AddItem(file, "Open");
    menu->changes = 0;
    open->SetCaption("Open...");
    EXPECT_EQ(menu->changes, 1);
    open->SubMenuDetails()->SetColor(vcl::clRed);
    EXPECT_EQ(menu->changes, 2);
}

TEST_F(NotificationTest, AppearanceChangesReachTheItem) {
    TZylMenuItem* item = NewItem("item");
    ChangeLog log;
    log.Attach(item);
    item->AsBitmapItem()->SetCaptionOnTop(true);
    item->SubMenuDetails()->SetBarCaption("Bar");
    item->SubMenuDetails()->BarAsGradient()->SetActive(true);
    ASSERT_EQ(log.calls.size(), 3u);
    EXPECT_TRUE(log.calls[0].second);
    // The item consults its own loading state.
    item->SetLoadingState(true);
    item->SubMenuDetails()->SetBarCaption("Other");
    item->SetLoadingState(false);
    EXPECT_EQ(log.calls.size(), 3u);
    EXPECT_EQ(item->SubMenuDetails()->BarCaption(), "Other");
}

}  // namespace
