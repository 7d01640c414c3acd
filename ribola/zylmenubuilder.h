// The menu builder: the design window that edits a menu component's item tree in the form
// designer. The menu shows as a tree (the top node stands for the component, every other node
// carries its TZylMenuItem); items are added, inserted, removed, renamed in place and dragged to a
// new place, the item being worked on is selected in the inspector, and "&Test" pops the menu up.
//
// One builder is open at a time. It lives only inside the designer; the package's registration
// installs the editors that open it.
#pragma once

#include "ribola/zylmenu.h"
#include "vcl/buttons.h"
#include "vcl/comctrls.h"
#include "vcl/designintf.h"
#include "vcl/extctrls.h"

namespace ribola {

class TZylMenuBuilder : public vcl::TDesignWindow {
    VCL_DECLARE_CLASS(TZylMenuBuilder, vcl::TDesignWindow)
public:
    explicit TZylMenuBuilder(vcl::TComponent* owner);
    ~TZylMenuBuilder() override;

    vcl::TPanel* TopPanel = nullptr;
    vcl::TSpeedButton* AddButton = nullptr;
    vcl::TSpeedButton* RemoveButton = nullptr;
    vcl::TSpeedButton* InsertButton = nullptr;
    vcl::TSpeedButton* TestButton = nullptr;
    vcl::TTreeView* ZylMenuTree = nullptr;
    vcl::TPopupMenu* TreeMenu = nullptr;

    // The edited menu and its root item; nullptr once the menu is gone.
    TZylMenu* EditedMenu() const { return menu_; }
    TZylMenuItem* RootItem() const { return root_; }
    // The node that stands for the menu component.
    vcl::TTreeNode* TopNode() const;
    // The item a node carries (nullptr for the top node).
    static TZylMenuItem* ItemOf(const vcl::TTreeNode* node);
    vcl::TTreeNode* NodeOf(const TZylMenuItem* item) const;

    // What the buttons and the tree's popup menu run, on the selected node.
    void AddItem();
    void InsertItem();
    void RemoveItem();
    void TestMenu();
    // Moves the dragged node's item before the target's (asChild false) or to the end of the
    // target's children. A move onto the node itself or one of its descendants, or onto the top
    // node, is refused (false). When the menu refuses the move, the item goes back to where it was
    // and the exception is passed on; the tree is left as it was.
    bool MoveNode(vcl::TTreeNode* dragged, vcl::TTreeNode* target, bool asChild);

    void FormModified() override;
    void ComponentDeleted(vcl::TComponent* component) override;

protected:
    void Activate() override;
    void BeforeDestruction() override;
    void DoClose(vcl::TCloseAction& action) override;

private:
    friend TZylMenuBuilder* OpenMenuBuilder(TZylMenu* menu);

    void Open(TZylMenu* menu);
    void BuildSubtree(TZylMenuItem* item, vcl::TTreeNode* node);
    void UpdateNodeImage(vcl::TTreeNode* node) const;
    // Creates a named item through the designer and links it with `link`; the item is freed again
    // when linking fails.
    TZylMenuItem* NewItem(const std::function<void(TZylMenuItem*)>& link);
    void SelectInDesigner(vcl::TPersistent* instance);
    // Forgets the items of a node and its descendants.
    static void ClearData(vcl::TTreeNode* node);

    void TreeChange(vcl::TTreeNode* node);
    void TreeEdited(vcl::TTreeNode* node, std::string& text);
    void TreeDoubleClick();
    void TreeMouseDown(vcl::TMouseButton button, vcl::Integer x, vcl::Integer y);
    void TreeDragOver(vcl::TObject* source, vcl::Integer x, vcl::Integer y, bool& accept);
    void TreeDragDrop(vcl::TObject* source, vcl::Integer x, vcl::Integer y);

    TZylMenu* menu_ = nullptr;
    TZylMenuItem* root_ = nullptr;
};

// Opens the builder for a designed menu: a builder open for another menu is freed first, one open
// for this menu is only brought forward. Raises vcl::EDesignError for a menu no designer edits.
TZylMenuBuilder* OpenMenuBuilder(TZylMenu* menu);
// The open builder, nullptr when none.
TZylMenuBuilder* OpenedMenuBuilder();

// The message a refused rename raises.
inline constexpr std::string_view SMenuItemRenameRefused = "This MenuItem can not have the new Name";

}  // namespace ribola
