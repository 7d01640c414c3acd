// The menu builder driven through the designer host: opening it from the editors, adding,
// inserting, removing, renaming and dragging items with the mouse and keyboard, the test popup, and
// that every change reaches the menu component and its form text while no node outlives its item.
#include <deque>
#include <functional>

#include "ribola/zylmenubuilder.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace builder_tests {
namespace {

using namespace ribola;
using vcl::TTreeNode;

// An item whose menu refuses the next change made below it, as a menu that runs out of native
// resources would.
class TRefusingItem : public TZylMenuItem {
public:
    using TZylMenuItem::TZylMenuItem;
    bool refuseNext = false;

protected:
    void MenuChanged(bool rebuild) override {
        if (std::exchange(refuseNext, false)) throw EZylMenuError("Out of menu resources");
        TZylMenuItem::MenuChanged(rebuild);
    }
};

class MenuBuilderTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        host = std::make_unique<vcl::TDesignerHost>();
        host->LoadPackage("ribola");
        form = static_cast<vcl::TForm*>(host->NewForm(vcl::TForm::StaticClass(), "Designed"));
        menu = static_cast<TZylMenu*>(host->DropComponent("TZylPopupMenu"));
    }
    void TearDown() override {
        host.reset();
        UiFixture::TearDown();
    }

    TZylMenuBuilder* Open() {
        host->EditProperty(menu, "Items");
        PumpUntilIdle();
        return OpenedMenuBuilder();
    }
    // Adds an item through the designer below `parent` (the root when null).
    TZylMenuItem* Item(const std::string& caption, TZylMenuItem* parent = nullptr) {
        auto* item = static_cast<TZylMenuItem*>(
            host->CreateComponent(TZylMenuItem::StaticClass(), nullptr, 0, 0, -1, -1));
        item->SetCaption(caption);
        (parent ? parent : menu->Items())->Add(item);
        return item;
    }
    // The tree as "caption(children) ..." below the top node.
    static std::string Outline(const TTreeNode* node) {
        std::string text;
        for (TTreeNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
            if (!text.empty()) text += " ";
            text += child->Text();
            if (child->Count() > 0) text += "(" + Outline(child) + ")";
        }
        return text;
    }
    static std::string Outline(const TZylMenuItem* item) {
        std::string text;
        for (Integer i = 0; i < item->Count(); ++i) {
            if (!text.empty()) text += " ";
            text += item->Items(i)->Caption();
            if (item->Items(i)->Count() > 0) text += "(" + Outline(item->Items(i)) + ")";
        }
        return text;
    }
    // The tree and the menu agree, and every node carries the item of its place.
    void ExpectInStep(TZylMenuBuilder* builder, const std::string& outline) {
        EXPECT_EQ(Outline(builder->TopNode()), outline);
        EXPECT_EQ(Outline(menu->Items()), outline);
        for (TTreeNode* node = builder->TopNode()->GetNext(); node; node = node->GetNext()) {
            TZylMenuItem* item = TZylMenuBuilder::ItemOf(node);
            ASSERT_NE(item, nullptr) << node->Text();
            TZylMenuItem* parent = TZylMenuBuilder::ItemOf(node->Parent());
            EXPECT_EQ(item->Parent(), parent ? parent : menu->Items()) << node->Text();
            EXPECT_EQ(item->MenuIndex(), node->Index()) << node->Text();
        }
    }
    std::vector<vcl::TPersistent*> Selected() const { return host->GetSelections(); }

    // Presses on one node's label and lets go over another point of the tree.
    void Drag(TZylMenuBuilder* builder, TTreeNode* from, vcl::TPoint to) {
        vcl::TTreeView* tree = builder->ZylMenuTree;
        const vcl::TRect label = from->DisplayRect(true);
        MoveMouseTo(tree, label.left + 3, (label.top + label.bottom) / 2);
        win32::input::PressButton(win32::input::Button::Left);
        PumpUntilIdle();
        MoveMouseTo(tree, to.x, to.y + 6);
        MoveMouseTo(tree, to.x, to.y);
        win32::input::ReleaseButton(win32::input::Button::Left);
        PumpUntilIdle();
        Advance(win32::GetDoubleClickTime() + 1);
    }
    static vcl::TPoint OnLabel(TTreeNode* node) {
        const vcl::TRect r = node->DisplayRect(true);
        return {r.left + 3, (r.top + r.bottom) / 2};
    }
    static vcl::TPoint LeftOfLabel(TTreeNode* node) {
        const vcl::TRect r = node->DisplayRect(true);
        return {r.left - 22, (r.top + r.bottom) / 2};
    }

    std::unique_ptr<vcl::TDesignerHost> host;
    vcl::TForm* form = nullptr;
    TZylMenu* menu = nullptr;
};

TEST_F(MenuBuilderTest, TheEditorsOpenOneBuilderAtATime) {
    EXPECT_EQ(host->GetProperty(menu, "Items"), "(Menu Builder)");
    EXPECT_EQ(host->Verbs(menu), (std::vector<std::string>{"Zyl's Menu Builder ..."}));
    Item("&File");
    // The designer's own menu editor makes way for the builder.
    auto* ownEditor = new vcl::TForm(vcl::Application, 0);
    ownEditor->SetName("MenuBuilder");
    ownEditor->Show();
    TZylMenuBuilder* builder = Open();
    EXPECT_FALSE(ownEditor->Visible());
    ASSERT_NE(builder, nullptr);
    EXPECT_EQ(builder->Caption(), "Zyl's Menu Builder");
    EXPECT_EQ(builder->Width(), 264);
    EXPECT_EQ(builder->Height(), 306);
    EXPECT_EQ(builder->BorderIcons(), vcl::TBorderIcons{vcl::biSystemMenu});
    EXPECT_EQ(builder->TopNode()->Text(), "ZylPopupMenu1");
    EXPECT_TRUE(builder->TopNode()->Expanded());
    // Activation selects the first item, in the tree and in the inspector.
    EXPECT_EQ(builder->ZylMenuTree->Selected(), builder->TopNode()->GetFirstChild());
    EXPECT_EQ(Selected(), (std::vector<vcl::TPersistent*>{menu->Items()->Items(0)}));

    // Asking again only brings it forward; another menu's builder replaces it.
    host->ExecuteVerb(menu, "Zyl's Menu Builder ...");
    EXPECT_EQ(OpenedMenuBuilder(), builder);
    auto* other = static_cast<TZylMenu*>(host->DropComponent("TZylMainMenu"));
    host->EditComponent(other);
    PumpUntilIdle();
    ASSERT_NE(OpenedMenuBuilder(), nullptr);
    EXPECT_EQ(OpenedMenuBuilder()->EditedMenu(), other);
    EXPECT_EQ(host->DesignWindows().size(), 1u);
    // An empty menu selects itself.
    EXPECT_EQ(OpenedMenuBuilder()->ZylMenuTree->Selected(), OpenedMenuBuilder()->TopNode());
    EXPECT_EQ(Selected(), (std::vector<vcl::TPersistent*>{other}));

    // Deleting the menu takes the builder along; so does closing the form.
    host->DeleteComponent(other);
    EXPECT_EQ(OpenedMenuBuilder(), nullptr);
    Open();
    ASSERT_NE(OpenedMenuBuilder(), nullptr);
    host->CloseForm();
    EXPECT_EQ(OpenedMenuBuilder(), nullptr);
}

TEST_F(MenuBuilderTest, AddInsertAndRemoveReachTheMenuAndItsFormText) {
    TZylMenuBuilder* builder = Open();
    ASSERT_NE(builder, nullptr);
    // Add on the top node: a top-level item named by the designer and captioned with the name,
    // its label open for editing.
    builder->AddButton->Click();
    ExpectInStep(builder, "ZylMenuItem1");
    EXPECT_TRUE(builder->ZylMenuTree->IsEditing());
    PressKey(win32::VK_RETURN);
    TZylMenuItem* first = menu->Items()->Items(0);
    EXPECT_EQ(first->Name(), "ZylMenuItem1");
    EXPECT_EQ(Selected(), (std::vector<vcl::TPersistent*>{first}));

    // Add on an item makes a child; the popup menu's entries do the same as the buttons.
    builder->TreeMenu->Items()->Items(0)->Click();
    PressKey(win32::VK_ESCAPE);
    ExpectInStep(builder, "ZylMenuItem1(ZylMenuItem2)");
    // Insert goes before the selected item, in its parent.
    builder->InsertButton->Click();
    PressKey(win32::VK_ESCAPE);
    ExpectInStep(builder, "ZylMenuItem1(ZylMenuItem3 ZylMenuItem2)");
    builder->ZylMenuTree->SetSelected(builder->TopNode()->GetFirstChild());
    builder->TreeMenu->Items()->Items(1)->Click();
    PressKey(win32::VK_ESCAPE);
    ExpectInStep(builder, "ZylMenuItem4 ZylMenuItem1(ZylMenuItem3 ZylMenuItem2)");
    EXPECT_EQ(builder->TreeMenu->Items()->Items(2)->Caption(), "-");
    const std::string text = host->FormText();
    EXPECT_NE(text.find("object ZylMenuItem1: TZylMenuItem\n      Caption = 'ZylMenuItem1'\n      object "
                        "ZylMenuItem3: TZylMenuItem"),
              std::string::npos)
        << text;

    // Removing the last child of a submenu selects its parent; the inspector lets go first.
    TTreeNode* third = builder->NodeOf(menu->Items()->Items(1)->Items(0));
    builder->ZylMenuTree->SetSelected(third->GetNextSibling());
    builder->RemoveButton->Click();
    builder->ZylMenuTree->SetSelected(builder->NodeOf(menu->Items()->Items(1)->Items(0)));
    builder->TreeMenu->Items()->Items(3)->Click();
    ExpectInStep(builder, "ZylMenuItem4 ZylMenuItem1");
    EXPECT_EQ(builder->ZylMenuTree->Selected(), builder->NodeOf(menu->Items()->Items(1)));
    EXPECT_EQ(Selected(), (std::vector<vcl::TPersistent*>{menu->Items()->Items(1)}));
    EXPECT_EQ(host->GetComponent("ZylMenuItem3"), nullptr);
    EXPECT_EQ(host->FormText().find("ZylMenuItem2"), std::string::npos);

    // Removing an item with children frees them too: no node keeps any of them, and later changes
    // walk the tree safely (the sanitizer watches).
    host->CloseForm();
    host->NewForm(vcl::TForm::StaticClass(), "Designed");
    menu = static_cast<TZylMenu*>(host->DropComponent("TZylPopupMenu"));
    Item("Deep", Item("Middle", Item("Top")));
    builder = Open();
    builder->ZylMenuTree->SetSelected(builder->TopNode()->GetFirstChild());
    builder->RemoveButton->Click();
    ExpectInStep(builder, "");
    EXPECT_EQ(builder->ZylMenuTree->Selected(), builder->TopNode());
    EXPECT_EQ(Selected(), (std::vector<vcl::TPersistent*>{menu}));
    host->Modified();
    // Nothing to remove on the top node.
    builder->RemoveButton->Click();
    EXPECT_EQ(builder->TopNode()->Text(), "ZylPopupMenu1");
}

TEST_F(MenuBuilderTest, CaptionsEditedInPlaceAndInTheInspectorStayInStep) {
    TZylMenuBuilder* builder = Open();
    builder->AddButton->Click();
    ASSERT_TRUE(builder->ZylMenuTree->IsEditing());
    TypeText("&Open");
    PressKey(win32::VK_RETURN);
    TZylMenuItem* item = menu->Items()->Items(0);
    EXPECT_EQ(item->Caption(), "&Open");
    EXPECT_NE(host->FormText().find("Caption = '&Open'"), std::string::npos);
    // A change made in the inspector shows in the tree.
    host->SetProperty(item, "Caption", "&Close");
    EXPECT_EQ(builder->NodeOf(item)->Text(), "&Close");
    // An item deleted elsewhere in the designer leaves the tree.
    host->DeleteComponent(item);
    ExpectInStep(builder, "");
    // A double click opens the item's click handler.
    builder->AddButton->Click();
    PressKey(win32::VK_ESCAPE);
    Advance(win32::GetDoubleClickTime() + 1);
    const vcl::TPoint at = OnLabel(builder->ZylMenuTree->Selected());
    const vcl::TPoint p = builder->ZylMenuTree->ClientToScreen(at);
    win32::input::Click(p.x, p.y);
    win32::input::Click(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(host->ShownMethods(), (std::vector<std::string>{"ZylMenuItem1Click"}));
}

TEST_F(MenuBuilderTest, DraggingMovesItemsButNeverBelowThemselves) {
    TZylMenuItem* file = Item("File");
    Item("New", file);
    Item("Open", file);
    TZylMenuItem* edit = Item("Edit");
    Item("Copy", edit);
    TZylMenuBuilder* builder = Open();
    builder->ZylMenuTree->FullExpand();
    PumpUntilIdle();
    ExpectInStep(builder, "File(New Open) Edit(Copy)");

    // Onto another item's text: its last child.
    Drag(builder, builder->NodeOf(file->Items(0)), OnLabel(builder->NodeOf(edit)));
    ExpectInStep(builder, "File(Open) Edit(Copy New)");
    // Left of another item's text: before it.
    Drag(builder, builder->NodeOf(edit->Items(1)), LeftOfLabel(builder->NodeOf(file)));
    ExpectInStep(builder, "New File(Open) Edit(Copy)");
    const std::string text = host->FormText();
    EXPECT_LT(text.find("Caption = 'New'"), text.find("Caption = 'File'")) << text;
    // Onto one of its own descendants: refused, nothing moves.
    const int modified = host->ModifiedCount();
    Drag(builder, builder->NodeOf(file), OnLabel(builder->NodeOf(file->Items(0))));
    ExpectInStep(builder, "New File(Open) Edit(Copy)");
    EXPECT_FALSE(builder->MoveNode(builder->NodeOf(file), builder->NodeOf(file->Items(0)), true));
    EXPECT_FALSE(builder->MoveNode(builder->NodeOf(file), builder->NodeOf(file), true));
    EXPECT_FALSE(builder->MoveNode(builder->NodeOf(file), builder->TopNode(), true));
    EXPECT_EQ(host->ModifiedCount(), modified);
}

TEST_F(MenuBuilderTest, AMoveTheMenuRefusesPutsEverythingBack) {
    auto* refusing = new TRefusingItem(form);
    refusing->SetName("Refusing");
    refusing->SetCaption("Refusing");
    menu->Items()->Add(refusing);
    TZylMenuItem* file = Item("File");
    Item("New", file);
    TZylMenuBuilder* builder = Open();
    builder->ZylMenuTree->FullExpand();
    refusing->refuseNext = true;
    EXPECT_THROW(builder->MoveNode(builder->NodeOf(file->Items(0)), builder->NodeOf(refusing), true),
                 EZylMenuError);
    ExpectInStep(builder, "Refusing File(New)");
    // The next attempt goes through.
    EXPECT_TRUE(builder->MoveNode(builder->NodeOf(file->Items(0)), builder->NodeOf(refusing), true));
    ExpectInStep(builder, "Refusing(New) File");

    // A caption the item refuses: the node and the item keep the old one, and the user is told.
    std::vector<std::string> shown;
    vcl::Application->OnException = [&](vcl::TObject*, const vcl::Exception& error) {
        shown.push_back(error.Message());
    };
    TTreeNode* node = builder->NodeOf(refusing);
    builder->ZylMenuTree->SetSelected(node);
    ASSERT_TRUE(node->EditText());
    TypeText("Renamed");
    refusing->refuseNext = true;
    PressKey(win32::VK_RETURN);
    vcl::Application->OnException = nullptr;
    EXPECT_EQ(shown, (std::vector<std::string>{"This MenuItem can not have the new Name"}));
    EXPECT_EQ(node->Text(), "Refusing");
    EXPECT_EQ(refusing->Caption(), "Refusing");
}

TEST_F(MenuBuilderTest, TheTestButtonPopsTheMenuUpBelowItself) {
    Item("&Alpha");
    Item("&Bravo");
    TZylMenuBuilder* builder = Open();
    win32::RECT first{};
    bool menuMode = false;
    win32::testing::SetModalScript([&](std::string_view) {
        if (menuMode) return;
        win32::GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        win32::GetGUIThreadInfo(0, &info);
        menuMode = (info.flags & win32::GUI_POPUPMENUMODE) != 0;
        win32::GetMenuItemRect(nullptr, menu->Handle(), 0, &first);
        win32::input::PressKey(win32::VK_ESCAPE);
    });
    builder->TestButton->Click();
    PumpUntilIdle();
    EXPECT_TRUE(menuMode);
    const vcl::TPoint corner = builder->TestButton->ClientToScreen({0, builder->TestButton->Height()});
    EXPECT_GE(first.left, corner.x);
    EXPECT_LE(first.left, corner.x + 4);
    EXPECT_GE(first.top, corner.y);
    EXPECT_LE(first.top, corner.y + 4);
}

TEST_F(MenuBuilderTest, ClosingSelectsTheMenuAndTheSideBarFontListsTheScreenFonts) {
    Item("&Alpha");
    TZylMenuBuilder* builder = Open();
    EXPECT_NE(Selected(), (std::vector<vcl::TPersistent*>{menu}));
    builder->Close();
    PumpUntilIdle();
    EXPECT_EQ(OpenedMenuBuilder(), nullptr);
    EXPECT_EQ(Selected(), (std::vector<vcl::TPersistent*>{menu}));

    auto* popup = static_cast<TZylPopupMenu*>(menu);
    auto editor = host->FindEditor({popup->PopupDetails()}, "BarFontname");
    const std::vector<std::string> fonts = editor->Values();
    ASSERT_FALSE(fonts.empty());
    EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end(), [](const std::string& a, const std::string& b) {
        return vcl::CompareText(a, b) < 0;
    }));
    EXPECT_TRUE(editor->GetAttributes().Contains(vcl::paValueList));
    host->SetProperty(popup, "PopupDetails.BarFontname", fonts.front());
    EXPECT_EQ(popup->PopupDetails()->BarFontname(), fonts.front());
}

}  // namespace
}  // namespace builder_tests
