// The tree view on the platform's tree control: nodes and their events, lazy children, keys,
// label editing, scrolling, a recreated window, and the classic look pixel by pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/comctrls.h"
#include "win32/commctrl.h"
#include "win32/virtualkeys.h"

namespace treeview_tests {

using namespace vcl;

class TreeViewTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 300, 300);
        tree = new TTreeView(form);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 200, 200);
        // Fruit [Apple, Pear [Conference]], Veg
        fruit = tree->Items()->Add(nullptr, "Fruit");
        apple = tree->Items()->AddChild(fruit, "Apple");
        pear = tree->Items()->AddChild(fruit, "Pear");
        conference = tree->Items()->AddChild(pear, "Conference");
        veg = tree->Items()->Add(fruit, "Veg");
        PumpUntilIdle();
    }

    int RowHeight() const {
        return static_cast<int>(win32::SendMessage(tree->Handle(), win32::TVM_GETITEMHEIGHT, 0, 0));
    }
    // The middle of a node's label, client coordinates.
    TPoint LabelCentre(TTreeNode* node) const {
        const TRect r = node->DisplayRect(true);
        return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    TForm* form = nullptr;
    TTreeView* tree = nullptr;
    TTreeNode *fruit = nullptr, *apple = nullptr, *pear = nullptr, *conference = nullptr, *veg = nullptr;
};

TEST_F(TreeViewTest, NodesKeepTheirOrderAndEachDeletionIsToldOnceChildrenFirst) {
    EXPECT_EQ(tree->Items()->Count(), 5);
    EXPECT_EQ(tree->Items()->Item(4), veg);
    EXPECT_EQ(conference->Level(), 2);
    EXPECT_EQ(conference->AbsoluteIndex(), 3);
    EXPECT_EQ(apple->GetNext(), pear);
    EXPECT_EQ(veg->GetPrev(), conference);
    EXPECT_EQ(fruit->GetNextVisible(), veg);
    TTreeNode* first = tree->Items()->AddChildFirst(fruit, "Banana");
    TTreeNode* before = tree->Items()->Insert(veg, "Nuts");
    EXPECT_EQ(fruit->Item(0), first);
    EXPECT_EQ(before->GetNextSibling(), veg);
    EXPECT_THROW(fruit->Item(5), EListError);

    std::vector<std::string> deleted;
    tree->OnDeletion = [&](TObject*, TTreeNode* node) { deleted.push_back(node->Text()); };
    tree->Selected();
    tree->SetSelected(conference);
    fruit->Delete();
    EXPECT_EQ(deleted, (std::vector<std::string>{"Banana", "Apple", "Conference", "Pear", "Fruit"}));
    EXPECT_EQ(tree->Items()->Count(), 2);
    EXPECT_NE(tree->Selected(), conference);
    deleted.clear();
    tree->Items()->Clear();
    EXPECT_EQ(deleted, (std::vector<std::string>{"Veg", "Nuts"}));
    EXPECT_EQ(win32::SendMessage(tree->Handle(), win32::TVM_GETCOUNT, 0, 0), 0);
}

TEST_F(TreeViewTest, ExpandingCollapsingAndSelectingAskFirstWhoeverStartsThem) {
    std::string log;
    bool allowExpand = false, allowChange = true;
    tree->OnExpanding = [&](TObject*, TTreeNode* node, bool& allow) {
        log += "?" + node->Text();
        allow = allowExpand;
    };
    tree->OnExpanded = [&](TObject*, TTreeNode* node) { log += "+" + node->Text(); };
    tree->OnCollapsed = [&](TObject*, TTreeNode* node) { log += "-" + node->Text(); };
    tree->OnChanging = [&](TObject*, TTreeNode*, bool& allow) { allow = allowChange; };
    tree->OnChange = [&](TObject*, TTreeNode* node) {
        log += "=" + (node ? node->Text() : std::string("none"));
    };

    fruit->Expand(false);
    EXPECT_FALSE(fruit->Expanded());
    const TRect row = fruit->DisplayRect(false);
    ClickAt(tree, 9, row.top + RowHeight() / 2);  // the button
    EXPECT_FALSE(fruit->Expanded());
    EXPECT_EQ(log, "?Fruit?Fruit");
    allowExpand = true;
    log.clear();
    ClickAt(tree, 9, row.top + RowHeight() / 2);
    EXPECT_TRUE(fruit->Expanded());
    EXPECT_EQ(log, "?Fruit+Fruit");

    log.clear();
    ClickAt(tree, LabelCentre(pear).x, LabelCentre(pear).y);
    EXPECT_EQ(tree->Selected(), pear);
    EXPECT_TRUE(tree->Focused());
    allowChange = false;
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(tree->Selected(), pear);
    allowChange = true;
    PressKey(win32::VK_RIGHT);  // expands Pear
    PressKey(win32::VK_RIGHT);  // goes to its first child
    EXPECT_EQ(tree->Selected(), conference);
    PressKey(win32::VK_LEFT);  // up to the parent
    PressKey(win32::VK_LEFT);  // collapses it
    EXPECT_FALSE(pear->Expanded());
    PressKey(win32::VK_END);
    EXPECT_EQ(tree->Selected(), veg);
    PressKey(win32::VK_HOME);
    EXPECT_EQ(tree->Selected(), fruit);
    EXPECT_EQ(log, "=Pear?Pear+Pear=Conference=Pear-Pear=Veg=Fruit");
    // Collapsing over the selection moves it up, telling the change.
    tree->SetSelected(apple);
    log.clear();
    fruit->Collapse(false);
    EXPECT_EQ(tree->Selected(), fruit);
    EXPECT_EQ(log, "=Fruit-Fruit");
}

TEST_F(TreeViewTest, LazyChildrenComeWithTheFirstExpansion) {
    TTreeNode* lazy = tree->Items()->Add(nullptr, "Lazy");
    lazy->SetHasChildren(true);
    tree->OnExpanding = [&](TObject*, TTreeNode* node, bool& allow) {
        if (node == lazy && lazy->Count() == 0) {
            tree->Items()->AddChild(lazy, "one");
            tree->Items()->AddChild(lazy, "two");
        }
        allow = true;
    };
    PumpUntilIdle();
    tree->SetSelected(lazy);
    tree->SetFocus();
    PressKey(win32::VK_ADD);
    EXPECT_TRUE(lazy->Expanded());
    ASSERT_EQ(lazy->Count(), 2);
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(tree->Selected(), lazy->Item(0));
}

TEST_F(TreeViewTest, LabelsAreEditedInPlaceUnlessReadOnly) {
    std::string edited;
    tree->OnEdited = [&](TObject*, TTreeNode*, std::string& text) {
        edited = text;
        text += "!";
    };
    tree->SetSelected(veg);
    tree->SetFocus();
    ASSERT_TRUE(veg->EditText());
    EXPECT_TRUE(tree->IsEditing());
    // The label starts selected, as an edit box does: End keeps it and moves to its end.
    PressKey(win32::VK_END);
    PressKey(win32::VK_BACK);
    TypeText("an");
    PressKey(win32::VK_RETURN);
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(edited, "Vean");
    EXPECT_EQ(veg->Text(), "Vean!");

    // Typing at once replaces the whole label; Escape keeps the old one.
    ASSERT_TRUE(veg->EditText());
    TypeText("xyz");
    PressKey(win32::VK_RETURN);
    EXPECT_EQ(edited, "xyz");
    ASSERT_TRUE(veg->EditText());
    TypeText("Vean");
    PressKey(win32::VK_ESCAPE);
    EXPECT_EQ(veg->Text(), "xyz!");

    // A click on the selected label starts editing once the double-click time has passed.
    const TPoint centre = LabelCentre(veg);
    ClickAt(tree, centre.x, centre.y);
    EXPECT_FALSE(tree->IsEditing());
    Advance(win32::GetDoubleClickTime());
    EXPECT_TRUE(tree->IsEditing());
    veg->EndEdit(true);

    tree->SetReadOnly(true);
    EXPECT_FALSE(veg->EditText());
    bool asked = false;
    tree->SetReadOnly(false);
    tree->OnEditing = [&](TObject*, TTreeNode*, bool& allow) {
        asked = true;
        allow = false;
    };
    EXPECT_FALSE(veg->EditText());
    EXPECT_TRUE(asked);
}

TEST_F(TreeViewTest, ScrollingFollowsTheSelectionAndTheWindowCanBeMadeAgain) {
    for (int i = 0; i < 40; ++i)
        tree->Items()->Add(nullptr, "Node " + std::to_string(i));
    TTreeNode* last = tree->Items()->Item(tree->Items()->Count() - 1);
    tree->SetSelected(last);
    PumpUntilIdle();
    EXPECT_NE(tree->TopItem(), fruit);
    EXPECT_EQ(tree->GetNodeAt(LabelCentre(last).x, LabelCentre(last).y), last);
    EXPECT_TRUE(tree->GetHitTestInfoAt(LabelCentre(last).x, LabelCentre(last).y).Contains(htOnLabel));
    EXPECT_TRUE(tree->GetHitTestInfoAt(-5, 10).Contains(htToLeft));

    fruit->Expand(false);
    tree->SetShowLines(false);  // a new window, filled again from the nodes
    EXPECT_EQ(win32::SendMessage(tree->Handle(), win32::TVM_GETCOUNT, 0, 0), tree->Items()->Count());
    EXPECT_EQ(tree->Selected(), last);
    EXPECT_TRUE(fruit->Expanded());
    tree->SetSelected(apple);
    EXPECT_EQ(tree->GetNodeAt(LabelCentre(apple).x, LabelCentre(apple).y), apple);
}

// Pixels of the classic look: dotted lines, square buttons with a plus or minus, the selection
// in the highlight colour while focused and a focus rectangle round it.
TEST_F(TreeViewTest, ClassicLookLinesButtonsSelectionAndFocus) {
    tree->SetBorderStyle(bsNone);
    tree->SetHideSelection(false);
    fruit->Expand(false);
    tree->SetSelected(apple);
    tree->SetFocus();
    PumpUntilIdle();
    const int h = RowHeight();
    auto pixel = [&](int x, int y) {
        auto bitmap = BitmapOf(tree);
        return ColorToRGB(bitmap->Canvas()->Pixels(x, y));
    };
    const TColor window = ColorToRGB(clWindow), shadow = ColorToRGB(clBtnShadow),
                 text = ColorToRGB(clWindowText);
    // Fruit's button: a box 9 pixels square round (9, h/2), minus sign as it is expanded.
    const int cy = h / 2;
    EXPECT_EQ(pixel(5, cy - 4), shadow);
    EXPECT_EQ(pixel(13, cy + 4), shadow);
    EXPECT_EQ(pixel(6, cy - 3), window);
    EXPECT_EQ(pixel(7, cy), text);
    EXPECT_EQ(pixel(11, cy), text);
    EXPECT_EQ(pixel(9, cy - 2), window);
    // Veg (below Fruit, Apple and Pear) has no button; the root line comes down to its middle
    // in dots on the pixels where x + y is even, and stops there.
    const int vegTop = 3 * h, vegMid = vegTop + h / 2;
    const int dot = vegTop + ((9 + vegTop) & 1);
    EXPECT_EQ(pixel(9, dot), shadow);
    EXPECT_EQ(pixel(9, dot + 1), window);
    EXPECT_EQ(pixel(9, vegMid + 2), window);
    EXPECT_EQ(pixel(14 + ((14 + vegMid) & 1), vegMid), shadow);
    // Apple (level 1): the line of its own column joins it; selected and focused.
    const TRect label = apple->DisplayRect(true);
    EXPECT_EQ(pixel(label.left + 1, label.top + 2), ColorToRGB(clHighlight));
    EXPECT_EQ(pixel(label.right - 2, label.top + 3), ColorToRGB(clHighlight));
    // The focus rectangle's dots alternate along the label's edge.
    const TColor corner = pixel(label.left, label.top);
    EXPECT_NE(corner, ColorToRGB(clHighlight));
    // Unfocused: the selection stays in the button face colour with HideSelection off ...
    form->ActiveControl();
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(220, 10, 60, 24);
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(pixel(label.left + 1, label.top + 2), ColorToRGB(clBtnFace));
    // ... and goes away with it on.
    tree->SetHideSelection(true);
    PumpUntilIdle();
    EXPECT_EQ(pixel(label.left + 1, label.top + 2), window);
}

TEST_F(TreeViewTest, IconsComeFromTheImageListSelectedIndexForTheSelection) {
    auto* images = new TImageList(form);
    for (TColor color : {clRed, clBlue}) {
        TBitmap square;
        square.SetSize(16, 16);
        square.Canvas()->Brush()->SetColor(color);
        square.Canvas()->FillRect(Rect(0, 0, 16, 16));
        images->Add(&square, nullptr);
    }
    tree->SetBorderStyle(bsNone);
    tree->SetImages(images);
    for (TTreeNode* node : {fruit, veg}) {
        node->SetImageIndex(0);
        node->SetSelectedIndex(1);
    }
    tree->SetSelected(veg);
    PumpUntilIdle();
    auto bitmap = BitmapOf(tree);
    const int h = RowHeight();
    const int iconX = 19 + 8;  // the content of the first level starts one indent in
    EXPECT_EQ(ColorToRGB(bitmap->Canvas()->Pixels(iconX, h / 2)), ColorToRGB(clRed));
    EXPECT_EQ(ColorToRGB(bitmap->Canvas()->Pixels(iconX, h + h / 2)), ColorToRGB(clBlue));
    images->Free();
    EXPECT_EQ(tree->Images(), nullptr);
}

// The platform's tree on its own: stale items fail as the system reports failure.
TEST_F(TreeViewTest, StaleItemHandlesFailWithoutHarm) {
    const win32::HTREEITEM item = veg->ItemId();
    veg->Delete();
    win32::TVITEM query{};
    query.mask = win32::TVIF_TEXT;
    query.hItem = item;
    EXPECT_FALSE(win32::TreeView_GetItem(tree->Handle(), &query));
    EXPECT_FALSE(win32::TreeView_DeleteItem(tree->Handle(), item));
    EXPECT_FALSE(win32::TreeView_Expand(tree->Handle(), item, win32::TVE_EXPAND));
    EXPECT_EQ(win32::TreeView_GetNextItem(tree->Handle(), item, win32::TVGN_NEXT), nullptr);
}

}  // namespace treeview_tests
