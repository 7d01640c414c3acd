// What the items write into native menus, on the modern and the old platform path; merging of
// another menu's root items by group; handle lookup; destruction of either side of a merge.
#include "menu_fixture.h"

namespace {

using namespace ribola;
using namespace win32;
using zyltest::EntryAt;
using zyltest::MenuTest;
using zyltest::Texts;

constexpr vcl::TShortCut kCtrlS = vcl::scCtrl | 'S';

// ---------------------------------------------------------------------------------------------
// Entries

using EntryTest = MenuTest;

TEST_F(EntryTest, CaptionsCarryShortcutsExceptOnTheBar) {
    auto* menu = NewMenu<TZylMainMenu>();
    TZylMenuItem* file = AddItem(menu->Items(), "&File");
    file->SetShortCut(vcl::scAlt | 'F');
    TZylMenuItem* save = AddItem(file, "&Save");
    save->SetShortCut(kCtrlS);
    TZylMenuItem* quit = AddItem(menu->Items(), "&Quit");
    quit->SetShortCut(vcl::scCtrl | 'Q');
    const HMENU bar = menu->GetHandle();
    EXPECT_EQ(Texts(bar), (std::vector<std::string>{"&File", "&Quit"}));
    EXPECT_EQ(Texts(file->Handle()), (std::vector<std::string>{"&Save\tCtrl+S"}));
    EXPECT_TRUE(quit->ValidateType());
    EXPECT_FALSE(save->ValidateType());
    // The same item in a submenu is no bar item any more.
    menu->Items()->Remove(quit);
    file->Add(quit);
    EXPECT_EQ(Texts(file->Handle()), (std::vector<std::string>{"&Save\tCtrl+S", "&Quit\tCtrl+Q"}));
}

TEST_F(EntryTest, PopupMenusAreMadeAsPopups) {
    auto* popup = NewMenu<TZylPopupMenu>();
    AddItem(popup->Items(), "One");
    const HMENU handle = popup->GetHandle();
    EXPECT_TRUE(IsMenu(handle));
    EXPECT_EQ(popup->Items()->Handle(), handle);
    EXPECT_EQ(Texts(handle), (std::vector<std::string>{"One"}));
    EXPECT_EQ(popup->FindItem(HandleValue(handle), fkHandle), nullptr);  // the root is no entry
}

TEST_F(EntryTest, InvisibleItemsAreLeftOut) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* a = AddItem(menu->Items(), "a");
    TZylMenuItem* b = AddItem(menu->Items(), "b");
    AddItem(menu->Items(), "c");
    const HMENU handle = menu->GetHandle();
    b->SetVisible(false);
    EXPECT_EQ(Texts(handle), (std::vector<std::string>{"a", "c"}));
    a->SetVisible(false);
    b->SetVisible(true);
    EXPECT_EQ(Texts(handle), (std::vector<std::string>{"b", "c"}));
}

TEST_F(EntryTest, KindsAndStatesOfEntries) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* root = menu->Items();
    TZylMenuItem* plain = AddItem(root, "plain");
    TZylMenuItem* picture = AddItem(root, "picture");
    picture->AsBitmapItem()->Bitmap()->SetSize(12, 10);
    TZylMenuItem* divider = AddItem(root, "Section");
    divider->SetDivider(true);
    TZylMenuItem* radio = AddItem(root, "radio");
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    TZylMenuItem* gray = AddItem(root, "gray");
    gray->SetEnabled(false);
    TZylMenuItem* chosen = AddItem(root, "chosen");
    chosen->SetDefault(true);
    TZylMenuItem* column = AddItem(root, "column");
    column->SetBreak(mbBreak);
    TZylMenuItem* barColumn = AddItem(root, "bar column");
    barColumn->SetBreak(mbBarBreak);
    TZylMenuItem* sub = AddItem(root, "sub");
    AddItem(sub, "inner");

    const HMENU handle = menu->GetHandle();
    ASSERT_EQ(GetMenuItemCount(handle), 9);
    EXPECT_EQ(EntryAt(handle, 0).type, MFT_STRING);
    EXPECT_EQ(EntryAt(handle, 0).id, plain->Command());
    EXPECT_EQ(EntryAt(handle, 0).state, 0u);
    EXPECT_EQ(EntryAt(handle, 1).type, MFT_BITMAP);
    EXPECT_EQ(EntryAt(handle, 1).bitmap, picture->AsBitmapItem()->Bitmap()->Handle());
    EXPECT_EQ(EntryAt(handle, 2).type, MFT_SEPARATOR);
    EXPECT_EQ(EntryAt(handle, 3).type, MFT_RADIOCHECK);
    EXPECT_EQ(EntryAt(handle, 3).state, MFS_CHECKED);
    EXPECT_EQ(EntryAt(handle, 4).state, MFS_GRAYED);
    EXPECT_EQ(EntryAt(handle, 5).state, MFS_DEFAULT);
    EXPECT_EQ(EntryAt(handle, 6).type, MFT_MENUBREAK);
    EXPECT_EQ(EntryAt(handle, 7).type, MFT_MENUBARBREAK);
    EXPECT_EQ(EntryAt(handle, 8).submenu, sub->Handle());
    EXPECT_EQ(GetSubMenu(handle, 8), sub->Handle());
    EXPECT_EQ(Texts(sub->Handle()), (std::vector<std::string>{"inner"}));
    EXPECT_EQ(EntryAt(handle, 8).id, sub->Command());
}

TEST_F(EntryTest, NewStylesDrawsEveryEntryAndDropsBreaks) {
    auto* menu = NewMenu<TZylPopupMenu>(true);
    TZylMenuItem* item = AddItem(menu->Items(), "drawn");
    TZylMenuItem* divider = AddItem(menu->Items(), "-");
    divider->SetDivider(true);
    item->SetBreak(mbBarBreak);
    EXPECT_EQ(item->Break(), mbNone);
    const HMENU handle = menu->GetHandle();
    EXPECT_EQ(EntryAt(handle, 0).type, MFT_OWNERDRAW);
    EXPECT_EQ(EntryAt(handle, 0).id, item->Command());
    EXPECT_EQ(EntryAt(handle, 1).type, MFT_OWNERDRAW | MFT_SEPARATOR);
    // Switching the style over remakes the entries made so far.
    menu->SetNewStyles(false);
    EXPECT_EQ(EntryAt(handle, 0).type, MFT_STRING);
    EXPECT_EQ(EntryAt(handle, 0).text, "drawn");
    item->SetBreak(mbBarBreak);
    EXPECT_EQ(item->Break(), mbBarBreak);
    EXPECT_EQ(EntryAt(handle, 0).type, MFT_MENUBARBREAK);
}

TEST_F(EntryTest, TheOldPlatformPathUsesMenuFlags) {
    win32::testing::SetReportedVersion(3, 51, 1057);
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* save = AddItem(menu->Items(), "Save");
    save->SetShortCut(kCtrlS);
    save->SetChecked(true);
    TZylMenuItem* line = AddItem(menu->Items(), "-");
    line->SetDivider(true);
    TZylMenuItem* sub = AddItem(menu->Items(), "More");
    sub->SetEnabled(false);
    AddItem(sub, "inner");
    const HMENU handle = menu->GetHandle();
    ASSERT_EQ(GetMenuItemCount(handle), 3);
    EXPECT_EQ(GetMenuState(handle, 0, MF_BYPOSITION), MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(handle, 0), save->Command());
    EXPECT_EQ(EntryAt(handle, 0).text, "Save\tCtrl+S");
    EXPECT_EQ(GetMenuState(handle, 1, MF_BYPOSITION), MF_SEPARATOR | MF_GRAYED | MF_DISABLED);  // as in Win32
    EXPECT_EQ(GetMenuState(handle, 2, MF_BYPOSITION), (1u << 8) | MF_POPUP | MF_GRAYED | MF_DISABLED);
    EXPECT_EQ(GetSubMenu(handle, 2), sub->Handle());
    EXPECT_EQ(EntryAt(handle, 2).text, "More");
    // Owner-drawn dividers stay entries of one kind.
    menu->SetNewStyles(true);
    ASSERT_EQ(GetMenuItemCount(handle), 3);
    EXPECT_EQ(EntryAt(handle, 1).type, MFT_OWNERDRAW);
}

// ---------------------------------------------------------------------------------------------
// Native state following the items

using NativeStateTest = MenuTest;

TEST_F(NativeStateTest, RadioItemsAndDefaultAmongSiblings) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* root = menu->Items();
    TZylMenuItem* a = AddItem(root, "a", 1);
    TZylMenuItem* b = AddItem(root, "b", 1);
    TZylMenuItem* plain = AddItem(root, "plain", 1);
    TZylMenuItem* other = AddItem(root, "other", 2);
    for (TZylMenuItem* item : {a, b, other})
        item->SetRadioItem(true);
    const HMENU handle = menu->GetHandle();
    auto checkedNatively = [&](TZylMenuItem* item) {
        return (GetMenuState(handle, item->Command(), MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    plain->SetChecked(true);
    other->SetChecked(true);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(plain->Checked());  // no radio item
    EXPECT_TRUE(other->Checked());  // another group
    EXPECT_FALSE(checkedNatively(a));
    EXPECT_TRUE(checkedNatively(b));
    EXPECT_TRUE(checkedNatively(plain));
    EXPECT_TRUE(checkedNatively(other));
    // A checked item that becomes a radio item turns its group's others off.
    a->SetRadioItem(false);
    a->SetChecked(true);
    a->SetRadioItem(true);
    EXPECT_FALSE(b->Checked());
    EXPECT_FALSE(checkedNatively(b));

    a->SetDefault(true);
    b->SetDefault(true);
    EXPECT_FALSE(a->Default());
    EXPECT_TRUE(b->Default());
    EXPECT_EQ(GetMenuDefaultItem(handle, FALSE, 0), b->Command());
}

TEST_F(NativeStateTest, EnablingFollowsNatively) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* leaf = AddItem(menu->Items(), "leaf");
    TZylMenuItem* sub = AddItem(menu->Items(), "sub");
    AddItem(sub, "inner");
    const HMENU handle = menu->GetHandle();
    leaf->SetEnabled(false);
    EXPECT_EQ(GetMenuState(handle, 0, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    sub->SetEnabled(false);  // rebuilt on NT
    EXPECT_EQ(GetMenuState(handle, 1, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    leaf->SetEnabled(true);
    EXPECT_EQ(GetMenuState(handle, 0, MF_BYPOSITION) & MF_GRAYED, 0u);

    win32::testing::SetReportedVersion(4, 10, 2222, VER_PLATFORM_WIN32_WINDOWS);
    sub->SetEnabled(true);  // by command on the other platform
    EXPECT_EQ(GetMenuState(handle, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
}

// ---------------------------------------------------------------------------------------------
// Merging

struct MergeMenus {
    TZylMainMenu* host;
    TZylMainMenu* child;
};

class MergeFixture : public MenuTest {
protected:
    MergeMenus Build() {
        auto* host = NewMenu<TZylMainMenu>();
        AddItem(host->Items(), "File", 0);
        AddItem(host->Items(), "Edit", 1);
        AddItem(host->Items(), "Window", 3);
        AddItem(host->Items(), "Help", 255);
        auto* child = NewMenu<TZylMainMenu>();
        AddItem(child->Items(), "Document", 1);
        AddItem(child->Items(), "Format", 1);
        AddItem(child->Items(), "Tools", 2);
        return {host, child};
    }
};

TEST_F(MergeFixture, GroupsReplaceAndInterleave) {
    auto [host, child] = Build();
    const HMENU bar = host->GetHandle();
    host->Items()->MergeWith(child->Items());
    EXPECT_EQ(host->Items()->Merged(), child->Items());
    EXPECT_EQ(child->Items()->MergedWith(), host->Items());
    EXPECT_EQ(Texts(bar),
              (std::vector<std::string>{"File", "Document", "Format", "Tools", "Window", "Help"}));
    // Changes of the merged menu show in the host.
    child->Items()->Items(2)->SetCaption("Tools!");
    AddItem(child->Items(), "Late", 3);
    EXPECT_EQ(Texts(bar), (std::vector<std::string>{"File", "Document", "Format", "Tools!", "Late", "Help"}));
    host->Items()->MergeWith(nullptr);
    EXPECT_EQ(child->Items()->MergedWith(), nullptr);
    EXPECT_EQ(Texts(bar), (std::vector<std::string>{"File", "Edit", "Window", "Help"}));
}

TEST_F(MergeFixture, LookupFollowsTheMerge) {
    auto [host, child] = Build();
    TZylMenuItem* edit = host->Items()->Items(1);
    TZylMenuItem* tools = child->Items()->Items(2);
    host->Items()->MergeWith(child->Items());
    EXPECT_EQ(host->FindItem(tools->Command(), fkCommand), tools);
    EXPECT_EQ(host->FindItem(edit->Command(), fkCommand), nullptr);  // replaced by the merge
    host->Items()->MergeWith(nullptr);
    EXPECT_EQ(host->FindItem(edit->Command(), fkCommand), edit);
    EXPECT_EQ(host->FindItem(tools->Command(), fkCommand), nullptr);
}

TEST_F(MergeFixture, GroupTwoHundredFiftyFiveShowsWithNothingMerged) {
    auto* menu = NewMenu<TZylMainMenu>();
    TZylMenuItem* first = AddItem(menu->Items(), "a", 255);
    AddItem(menu->Items(), "b", 255);
    EXPECT_EQ(Texts(menu->GetHandle()), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(menu->FindItem(first->Command(), fkCommand), first);
    int visited = 0;
    IterateMenus([&](TZylMenuItem*) { return ++visited, false; }, nullptr, menu->Items());
    EXPECT_EQ(visited, 2);
    visited = 0;
    IterateMenus([&](TZylMenuItem*) { return ++visited, false; }, menu->Items(), nullptr);
    EXPECT_EQ(visited, 2);
}

TEST_F(MergeFixture, FreeingTheMergedMenuRestoresTheHost) {
    auto [host, child] = Build();
    const HMENU bar = host->GetHandle();
    host->Items()->MergeWith(child->Items());
    child->Free();
    EXPECT_EQ(host->Items()->Merged(), nullptr);
    EXPECT_EQ(Texts(bar), (std::vector<std::string>{"File", "Edit", "Window", "Help"}));
}

TEST_F(MergeFixture, FreeingEitherSideWithoutNativeMenusClearsBothLinks) {
    auto [host, child] = Build();
    host->Items()->MergeWith(child->Items());
    host->Free();
    EXPECT_EQ(child->Items()->MergedWith(), nullptr);
    child->Items()->Items(0)->SetCaption("still fine");  // would reach the freed host otherwise

    auto [host2, child2] = Build();
    host2->Items()->MergeWith(child2->Items());
    child2->Free();
    EXPECT_EQ(host2->Items()->Merged(), nullptr);
    EXPECT_EQ(Texts(host2->GetHandle()), (std::vector<std::string>{"File", "Edit", "Window", "Help"}));
}

TEST_F(MergeFixture, FreeingTheHostKeepsTheMergedSubmenus) {
    auto [host, child] = Build();
    TZylMenuItem* tools = child->Items()->Items(2);
    AddItem(tools, "Options");
    host->GetHandle();
    host->Items()->MergeWith(child->Items());
    const HMENU toolsMenu = tools->Handle();
    ASSERT_TRUE(IsMenu(toolsMenu));
    host->Free();
    EXPECT_TRUE(IsMenu(toolsMenu));
    EXPECT_EQ(Texts(child->GetHandle()), (std::vector<std::string>{"Document", "Format", "Tools"}));
    EXPECT_EQ(GetSubMenu(child->GetHandle(), 2), toolsMenu);
}

TEST_F(MergeFixture, AMenuIsNeverMergedIntoItself) {
    auto [host, child] = Build();
    host->Items()->MergeWith(child->Items());
    EXPECT_THROW(child->Items()->MergeWith(host->Items()), EZylMenuError);
    EXPECT_THROW(host->Items()->MergeWith(host->Items()), EZylMenuError);
    EXPECT_EQ(host->Items()->Merged(), child->Items());
    EXPECT_EQ(child->Items()->Merged(), nullptr);
}

TEST_F(MergeFixture, MergingElsewhereLeavesThePreviousHost) {
    auto [host, child] = Build();
    auto* second = NewMenu<TZylMainMenu>();
    AddItem(second->Items(), "Own", 0);
    const HMENU firstBar = host->GetHandle();
    host->Items()->MergeWith(child->Items());
    second->Items()->MergeWith(child->Items());
    EXPECT_EQ(host->Items()->Merged(), nullptr);
    EXPECT_EQ(child->Items()->MergedWith(), second->Items());
    EXPECT_EQ(Texts(firstBar), (std::vector<std::string>{"File", "Edit", "Window", "Help"}));
}

// ---------------------------------------------------------------------------------------------
// Lookup

using FindTest = MenuTest;

TEST_F(FindTest, ByCommandShortcutAndHandle) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* file = AddItem(menu->Items(), "File");
    TZylMenuItem* save = AddItem(file, "Save");
    save->SetShortCut(kCtrlS);
    TZylMenuItem* twin = AddItem(menu->Items(), "Twin");
    twin->SetShortCut(kCtrlS);
    EXPECT_EQ(menu->FindItem(save->Command(), fkCommand), save);
    EXPECT_EQ(menu->FindItem(kCtrlS, fkShortCut), save);  // depth first: File's children come first
    EXPECT_EQ(menu->FindItem(0xFFFF, fkCommand), nullptr);
    // No handles yet: handle 0 finds nothing although every item holds it.
    EXPECT_EQ(menu->FindItem(0, fkHandle), nullptr);
    menu->GetHandle();
    EXPECT_EQ(menu->FindItem(HandleValue(file->Handle()), fkHandle), file);
    EXPECT_EQ(menu->FindItem(0, fkHandle), nullptr);
}

TEST_F(FindTest, AnItemIsTestedBeforeItsChildren) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* outer = AddItem(menu->Items(), "outer");
    TZylMenuItem* inner = AddItem(outer, "inner");
    outer->SetShortCut(kCtrlS);
    inner->SetShortCut(kCtrlS);
    EXPECT_EQ(menu->FindItem(kCtrlS, fkShortCut), outer);
}

// ---------------------------------------------------------------------------------------------
// Handles and destruction

using HandleTest = MenuTest;

TEST_F(HandleTest, FreeingAnItemDestroysItsMenusEvenWhenHidden) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* sub = AddItem(menu->Items(), "sub");
    TZylMenuItem* hidden = AddItem(sub, "hidden");
    AddItem(hidden, "deep");
    menu->GetHandle();
    const HMENU subMenu = sub->Handle();
    hidden->SetVisible(true);
    const HMENU hiddenMenu = hidden->Handle();
    ASSERT_TRUE(IsMenu(hiddenMenu));
    hidden->SetVisible(false);  // no entry holds its menu any more
    sub->Free();
    EXPECT_FALSE(IsMenu(subMenu));
    EXPECT_FALSE(IsMenu(hiddenMenu));
    EXPECT_EQ(GetMenuItemCount(menu->GetHandle()), 0);
}

TEST_F(HandleTest, ClearHandlesForgetsWithoutDestroying) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* sub = AddItem(menu->Items(), "sub");
    AddItem(sub, "inner");
    const HMENU root = menu->GetHandle();
    const HMENU subMenu = sub->Handle();
    menu->Items()->ClearHandles();
    EXPECT_EQ(menu->Items()->Handle(), nullptr);
    EXPECT_EQ(sub->Handle(), nullptr);
    EXPECT_TRUE(IsMenu(root));
    EXPECT_TRUE(IsMenu(subMenu));
    DestroyMenu(root);
    EXPECT_FALSE(IsMenu(subMenu));
}

TEST_F(HandleTest, DeletedChildrenLeaveTheNativeMenu) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* a = AddItem(menu->Items(), "a");
    AddItem(menu->Items(), "b");
    const HMENU handle = menu->GetHandle();
    menu->Items()->Remove(a);
    EXPECT_EQ(Texts(handle), (std::vector<std::string>{"b"}));
    a->Free();
    EXPECT_EQ(Texts(handle), (std::vector<std::string>{"b"}));
}

}  // namespace
