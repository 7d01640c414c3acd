// A seeded random sequence of tree edits, after each of which every native menu equals the item
// tree and no native menu is alive that no item holds.
#include <algorithm>
#include <functional>
#include <random>
#include <set>

#include "menu_fixture.h"

namespace {

using namespace ribola;
using namespace win32;
using zyltest::EntryAt;
using zyltest::MenuTest;

void CollectItems(TZylMenuItem* item, std::vector<TZylMenuItem*>& out) {
    out.push_back(item);
    for (Integer i = 0; i < item->Count(); ++i)
        CollectItems(item->Items(i), out);
}

bool Contains(TZylMenuItem* ancestor, TZylMenuItem* item) {
    for (TZylMenuItem* up = item; up; up = up->Parent())
        if (up == ancestor) return true;
    return false;
}

// The native menu of `item` shows its visible children, each with its text, command and submenu.
void ExpectNativeEqualsTree(TZylMenuItem* item, bool bar, const std::string& where) {
    const HMENU menu = item->Handle();
    ASSERT_TRUE(IsMenu(menu)) << where;
    std::vector<TZylMenuItem*> shown;
    for (Integer i = 0; i < item->Count(); ++i)
        if (item->Items(i)->Visible()) shown.push_back(item->Items(i));
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(shown.size())) << where;
    for (size_t i = 0; i < shown.size(); ++i) {
        TZylMenuItem* child = shown[i];
        const zyltest::NativeEntry entry = EntryAt(menu, static_cast<int>(i));
        std::string text = child->Caption();
        if (child->Count() == 0 && child->ShortCut() != 0 && !bar)
            text += "\t" + vcl::ShortCutToText(child->ShortCut());
        EXPECT_EQ(entry.text, text) << where << " entry " << i;
        EXPECT_EQ(entry.id, child->Command()) << where << " entry " << i;
        if (child->Count() > 0) {
            EXPECT_EQ(entry.submenu, child->Handle()) << where << " entry " << i;
            ExpectNativeEqualsTree(child, false, where + "/" + child->Caption());
        } else {
            EXPECT_EQ(entry.submenu, nullptr) << where << " entry " << i;
        }
    }
}

class RandomEditTest : public MenuTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RandomEditTest, NativeMenusFollowTheTree) {
    std::mt19937 random(GetParam());
    auto chance = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto* menu = NewMenu<TZylMainMenu>();
    TZylMenuItem* root = menu->Items();
    menu->GetHandle();
    std::set<UINT_PTR> seen;
    int made = 0;

    for (int step = 0; step < 300; ++step) {
        std::vector<TZylMenuItem*> all;
        CollectItems(root, all);
        TZylMenuItem* some = all[static_cast<size_t>(chance(static_cast<int>(all.size())))];
        const int action = chance(7);
        std::string what;
        if (action <= 1 || all.size() < 4) {
            if (all.size() > 60) continue;
            auto* item = new TZylMenuItem(host_);
            item->SetCaption("item" + std::to_string(++made));
            if (chance(3) == 0)
                item->SetShortCut(static_cast<vcl::TShortCut>(vcl::scCtrl | ('A' + chance(26))));
            some->Insert(chance(some->Count() + 1), item);
            what = "insert";
        } else if (some == root) {
            continue;
        } else if (action == 2) {
            some->Free();
            what = "free";
        } else if (action == 3) {
            some->SetMenuIndex(chance(some->Parent()->Count() + 4) - 2);
            what = "move";
        } else if (action == 4) {
            some->SetVisible(!some->Visible());
            what = "visibility";
        } else if (action == 5) {
            some->SetCaption(some->Caption() + "'");
            what = "caption";
        } else {
            TZylMenuItem* target = all[static_cast<size_t>(chance(static_cast<int>(all.size())))];
            if (Contains(some, target)) continue;
            some->Parent()->Remove(some);
            target->Insert(chance(target->Count() + 1), some);
            what = "reparent";
        }

        const std::string where = "step " + std::to_string(step) + " (" + what + ")";
        ExpectNativeEqualsTree(root, true, where);
        if (HasFatalFailure()) return;
        // Every native menu ever seen is alive exactly while an item holds it.
        all.clear();
        CollectItems(root, all);
        std::set<UINT_PTR> held;
        for (TZylMenuItem* item : all)
            if (item->Handle()) held.insert(HandleValue(item->Handle()));
        seen.insert(held.begin(), held.end());
        for (UINT_PTR handle : seen)
            ASSERT_EQ(IsMenu(MakeHandle<HMENU>(handle)) != FALSE, held.count(handle) == 1)
                << where << ": menu " << handle;
    }
    menu->Free();
    for (UINT_PTR handle : seen)
        EXPECT_FALSE(IsMenu(MakeHandle<HMENU>(handle))) << "menu " << handle << " outlived its items";
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomEditTest, ::testing::Values(1u, 7u, 2024u, 90210u));

}  // namespace
