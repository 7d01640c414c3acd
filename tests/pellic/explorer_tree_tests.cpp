// The explorer tree over a real folder tree in a temporary directory mapped to drive Q: (other
// drives are vetoed): lazy reading and expand buttons, the veto event, FastLoad, the memory of
// folders per drive, the tree's own add, rename and delete, folders that vanish behind its back,
// and the faults it must not have (loops, double frees, stuck cursors, re-entry).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "pellic/zyltexplorertree.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/extctrls.h"
#include "win32/files.h"

namespace explorer_tree_tests {

using namespace pellic;
namespace fs = std::filesystem;

class ExplorerTreeTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        const fs::path root = dir.Path() / "q";
        for (const char* folder :
             {"Alpha/One", "Alpha/Two", "Beta", "Gamma", "Delta/Vetoed", "RECYCLED/Inside", "Case", "case"})
            fs::create_directories(root / folder);
        zyltest::WriteTextFile(root / "Gamma" / "file.txt");
        win32::testing::MapDrive('Q', root.string());
        fs::create_directories(dir.Path() / "r");
        win32::testing::MapDrive('R', (dir.Path() / "r").string());
        form = ShowForm(100, 100, 300, 300);
    }

    // A tree that lists Q: and R: only, and never the folder named Vetoed.
    TZylExplorerTree* MakeTree(bool fastLoad = false) {
        auto* tree = new TZylExplorerTree(form);
        tree->SetFastLoad(fastLoad);
        tree->OnAddDirectory = [](vcl::TObject*, const std::string& path, bool& add) {
            add = (path.starts_with("Q:") || path.starts_with("R:")) &&
                  path.find("Vetoed") == std::string::npos;
        };
        tree->SetParent(form);
        tree->SetBounds(0, 0, 300, 300);
        PumpUntilIdle();
        return tree;
    }

    static std::vector<std::string> ChildTexts(vcl::TTreeNode* node) {
        std::vector<std::string> texts;
        for (vcl::Integer i = 0; i < node->Count(); ++i)
            texts.push_back(node->Item(i)->Text());
        return texts;
    }

    zyltest::TempDir dir;
    vcl::TForm* form = nullptr;
    std::vector<std::string> deleted;
};

TEST_F(ExplorerTreeTest, FoldersAreReadOnExpandingAndButtonsShowOnlyWhereAFolderIsAccepted) {
    TZylExplorerTree* tree = MakeTree();
    ASSERT_EQ(tree->Items()->Roots().size(), 2u);
    vcl::TTreeNode* q = tree->GetNodeFromPath("Q:\\");
    ASSERT_NE(q, nullptr);
    EXPECT_FALSE(tree->IsExpanded(q));
    EXPECT_EQ(ChildTexts(q), std::vector<std::string>{"**"});
    // R: holds no folder: no button.
    EXPECT_EQ(tree->GetNodeFromPath("R:\\")->Count(), 0);

    q->Expand(false);
    EXPECT_TRUE(tree->IsExpanded(q));
    EXPECT_EQ(ChildTexts(q),
              (std::vector<std::string>{"Alpha", "Beta", "Case", "case", "Delta", "Gamma", "RECYCLED"}));
    const std::map<std::string, bool> button{{"Alpha", true},    {"Beta", false},  {"case", false},
                                             {"Case", false},    {"Delta", false}, {"Gamma", false},
                                             {"RECYCLED", false}};
    for (vcl::Integer i = 0; i < q->Count(); ++i)
        EXPECT_EQ(q->Item(i)->HasChildren(), button.at(q->Item(i)->Text())) << q->Item(i)->Text();
    vcl::TTreeNode* alpha = q->Item(0);
    EXPECT_EQ(tree->NodePath(alpha), "Q:\\Alpha\\");
    alpha->Expand(false);
    EXPECT_EQ(ChildTexts(alpha), (std::vector<std::string>{"One", "Two"}));
}

TEST_F(ExplorerTreeTest, DirectoryFindsTheExactSpellingFirstAndFallsBackToTheDriveRoot) {
    TZylExplorerTree* tree = MakeTree();
    tree->SetDirectory("q:\\alpha\\two");
    EXPECT_EQ(tree->Directory(), "Q:\\Alpha\\Two\\");
    EXPECT_EQ(tree->Drive(), 'Q');
    // Two folders that differ only in case stay two nodes, each found by its own spelling.
    tree->SetDirectory("Q:\\case");
    EXPECT_EQ(tree->Directory(), "Q:\\case\\");
    tree->SetDirectory("Q:\\Case\\");
    EXPECT_EQ(tree->Directory(), "Q:\\Case\\");
    tree->SetDirectory("Q:\\Missing\\Deeper");
    EXPECT_EQ(tree->Directory(), "Q:\\");
    EXPECT_THROW(tree->SetDirectory(""), vcl::Exception);
    tree->SetDirectory("nil");
    EXPECT_EQ(tree->Directory(), "Q:\\");
    // A folder below the recycle folder is never a node: the selection stays where it was.
    tree->SetDirectory("Q:\\Beta");
    tree->SetDirectory("Q:\\RECYCLED\\Inside");
    EXPECT_EQ(tree->Directory(), "Q:\\Beta\\");
    EXPECT_NE(tree->GetNodeFromPath("Q:\\RECYCLED"), nullptr);
}

TEST_F(ExplorerTreeTest, VetoFastLoadAndTheFolderLastVisitedOnEachDrive) {
    TZylExplorerTree* tree = MakeTree(true);
    // FastLoad gives every drive a button without reading it.
    EXPECT_EQ(tree->GetNodeFromPath("R:\\")->Count(), 1);
    EXPECT_FALSE(tree->IsExpanded(tree->GetNodeFromPath("Q:\\")));
    tree->SetDirectory("Q:\\Delta");
    vcl::TTreeNode* delta = tree->GetNodeFromPath("Q:\\Delta");
    ASSERT_NE(delta, nullptr);
    EXPECT_FALSE(delta->HasChildren());

    tree->SetDirectory("Q:\\Alpha\\One");
    tree->SetDrive('r');
    EXPECT_EQ(tree->Directory(), "R:\\");
    tree->SetDrive('Q');
    EXPECT_EQ(tree->Directory(), "Q:\\Alpha\\One\\");
    for (char ignored : {'1', '@', '\0', ' '}) {
        tree->SetDrive(ignored);
        EXPECT_EQ(tree->Directory(), "Q:\\Alpha\\One\\") << int(ignored);
    }
    // A remembered folder that went away brings back the drive's root.
    tree->SetDrive('R');
    fs::remove_all(dir.Path() / "q" / "Alpha" / "One");
    tree->SetDrive('Q');
    EXPECT_EQ(tree->Directory(), "Q:\\");
}

TEST_F(ExplorerTreeTest, AddRenameAndDeleteKeepTheNodesInStepAndFreeEachOnce) {
    TZylExplorerTree* tree = MakeTree();
    tree->OnDeleteItem = [this](vcl::TObject*, vcl::TTreeNode* node) { deleted.push_back(node->Text()); };
    tree->SetDirectory("Q:\\Alpha\\One");

    fs::create_directories(dir.Path() / "q" / "Alpha" / "Three" / "Sub");
    tree->AddPath("Q:\\Alpha", "Three");
    tree->AddPath("Q:\\Alpha\\", "Three");
    vcl::TTreeNode* alpha = tree->GetNodeFromPath("Q:\\Alpha");
    EXPECT_EQ(ChildTexts(alpha), (std::vector<std::string>{"One", "Three", "Two"}));
    EXPECT_TRUE(tree->GetNodeFromPath("Q:\\Alpha\\Three")->HasChildren());
    tree->AddPath("Q:\\Nowhere", "X");

    fs::rename(dir.Path() / "q" / "Alpha", dir.Path() / "q" / "Omega");
    tree->RenamePath("Q:\\Alpha\\", "Omega");
    EXPECT_EQ(tree->GetNodeFromPath("Q:\\Alpha"), nullptr);
    EXPECT_EQ(tree->NodePath(tree->GetNodeFromPath("Q:\\Omega\\One")), "Q:\\Omega\\One\\");
    EXPECT_EQ(tree->Directory(), "Q:\\Omega\\One\\");
    EXPECT_EQ(tree->GetNodeFromPath("Q:\\Omega")->Text(), "Omega");

    deleted.clear();
    tree->DeletePath("Q:\\Omega");
    EXPECT_EQ(tree->GetNodeFromPath("Q:\\Omega"), nullptr);
    // Children first, each once (placeholders included); the data of each went with it.
    EXPECT_EQ(deleted, (std::vector<std::string>{"One", "**", "Three", "Two", "Omega"}));
    EXPECT_EQ(tree->Directory(), "nil");
}

TEST_F(ExplorerTreeTest, AFolderDeletedBehindTheTreesBackDisappearsWhenTheNodeIsReadAgain) {
    TZylExplorerTree* tree = MakeTree();
    tree->SetDirectory("Q:\\Alpha");
    fs::remove_all(dir.Path() / "q" / "Alpha" / "Two");
    fs::remove_all(dir.Path() / "q" / "Beta");
    vcl::TTreeNode* q = tree->GetNodeFromPath("Q:\\");
    tree->ClearNode(q);
    EXPECT_FALSE(tree->IsExpanded(q));
    q->Collapse(false);
    q->Expand(false);
    EXPECT_EQ(tree->GetNodeFromPath("Q:\\Beta"), nullptr);
    tree->SetDirectory("Q:\\Alpha\\Two");
    EXPECT_EQ(tree->Directory(), "Q:\\");
}

TEST_F(ExplorerTreeTest, FullExpandStopsAtLinksAndASearchHandlerThatNeverAnswersEnds) {
    fs::create_directory_symlink(dir.Path() / "q", dir.Path() / "q" / "Beta" / "Loop");
    TZylExplorerTree* tree = MakeTree();
    tree->FullExpand();
    vcl::TTreeNode* loop = tree->GetNodeFromPath("Q:\\Beta\\Loop");
    ASSERT_NE(loop, nullptr);
    EXPECT_FALSE(tree->IsExpanded(loop));
    EXPECT_TRUE(tree->IsExpanded(tree->GetNodeFromPath("Q:\\Alpha")));

    int steps = 0;
    tree->OnFindDirectory = [&](vcl::TObject*, const std::string&, vcl::Integer&, bool) { ++steps; };
    tree->Reload();
    EXPECT_EQ(tree->GetNodeFromPath("Q:\\")->Count(), 0);
    // One step per search: the probes of Q: and R:, and Q: read again to select it.
    EXPECT_EQ(steps, 3);
}

TEST_F(ExplorerTreeTest, CursorAndUpdatesComeBackWhenAHandlerThrowsAndReentryIsIgnored) {
    TZylExplorerTree* tree = MakeTree();
    bool reentered = false;
    tree->OnAddDirectory = [&](vcl::TObject*, const std::string& path, bool& add) {
        if (path.find("Alpha\\One") != std::string::npos) {
            // Reading while reading is ignored, not nested.
            tree->SetDirectory("Q:\\Beta");
            tree->Reload();
            reentered = true;
            throw vcl::Exception("refused");
        }
        add = path.starts_with("Q:");
    };
    EXPECT_THROW(tree->SetDirectory("Q:\\Alpha\\One"), vcl::Exception);
    EXPECT_TRUE(reentered);
    EXPECT_EQ(vcl::Screen->Cursor(), vcl::crDefault);
    EXPECT_EQ(tree->Items()->UpdateCount(), 0);
    EXPECT_EQ(tree->Directory(), "nil");
}

TEST_F(ExplorerTreeTest, DragDropFolderIsTheNodeUnderADrag) {
    TZylExplorerTree* tree = MakeTree();
    tree->SetDirectory("Q:\\Alpha");
    auto* source = new vcl::TPanel(form);
    source->SetParent(form);
    source->SetBounds(200, 250, 50, 40);
    std::string over, dropped;
    tree->OnDragOver = [&](vcl::TObject*, vcl::TObject*, vcl::Integer, vcl::Integer, vcl::TDragState,
                           bool& accept) {
        over = tree->DragDropFolder();
        accept = true;
    };
    tree->OnDragDrop = [&](vcl::TObject*, vcl::TObject*, vcl::Integer, vcl::Integer) {
        dropped = tree->DragDropFolder();
    };
    vcl::TTreeNode* beta = tree->GetNodeFromPath("Q:\\Beta");
    const vcl::TRect rect = beta->DisplayRect(true);
    const vcl::TPoint start = source->ClientToScreen(vcl::Point(10, 10));
    win32::input::MoveMouse(start.x, start.y);
    win32::input::PressButton(win32::input::Button::Left);
    PumpUntilIdle();
    source->BeginDrag(true);
    MoveMouseTo(tree, rect.left + 4, rect.top + 4);
    MoveMouseTo(tree, rect.left + 5, rect.top + 4);
    EXPECT_EQ(over, "Q:\\Beta\\");
    EXPECT_EQ(tree->DragDropFolder(), "Q:\\Beta\\");
    win32::input::ReleaseButton(win32::input::Button::Left);
    PumpUntilIdle();
    EXPECT_EQ(dropped, "Q:\\Beta\\");
    EXPECT_EQ(tree->DragDropFolder(), "");
}

TEST_F(ExplorerTreeTest, PathHelpersRespellPathsAndLeaveOtherInputAlone) {
    fs::create_directories(dir.Path() / "q" / "Mixed Case");
    struct Case {
        std::string input, system;
    };
    const Case cases[] = {
        {"q:\\alpha\\one", "Q:\\Alpha\\One"},
        {"q:\\mixed case\\", "Q:\\Mixed Case"},
        {"q:\\alpha\\new\\", "Q:\\Alpha\\new"},
        {"q:", "Q:"},
        {"q:\\", "Q:"},
        {"", ""},
        {"\\", ""},
        {"relative\\path", "relative\\path"},
        {"\\\\server\\share\\x", "\\\\server\\share\\x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZylGetSystemPath(c.input), c.system) << c.input;
    EXPECT_EQ(ZylGetShellPath("q:\\alpha\\one"), "Q:\\Alpha\\One");
    EXPECT_TRUE(ZylShellItemExists("Q:\\Alpha"));
    EXPECT_FALSE(ZylShellItemExists("Q:\\Nothing"));
    EXPECT_FALSE(ZylShellItemExists(""));
}

}  // namespace explorer_tree_tests
