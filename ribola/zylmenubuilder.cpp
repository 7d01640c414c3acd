// The menu builder design window.
#include "ribola/zylmenubuilder.h"

#include <algorithm>

#include "vcl/designeditors.h"
#include "vcl/forms.h"
#include "win32/scope.h"

namespace ribola {

using vcl::Integer;
using vcl::TTreeNode;

namespace zylmenubuilder {

// The one open builder.
TZylMenuBuilder* openBuilder = nullptr;

vcl::TSpeedButton* ToolButton(vcl::TWinControl* parent, const char* name, const char* caption, Integer left) {
    auto* button = new vcl::TSpeedButton(parent->Owner());
    button->SetName(name);
    button->SetParent(parent);
    button->SetBounds(left, 3, 50, 19);
    button->SetCaption(caption);
    return button;
}

vcl::TMenuItem* MenuEntry(vcl::TPopupMenu* menu, const char* name, const char* caption,
                          std::function<void()> action) {
    auto* entry = new vcl::TMenuItem(menu->Owner());
    entry->SetName(name);
    entry->SetCaption(caption);
    if (action) entry->OnClick = [action = std::move(action)](vcl::TObject*) { action(); };
    menu->Items()->Add(entry);
    return entry;
}

}  // namespace zylmenubuilder

VCL_DEFINE_CLASS(TZylMenuBuilder, vcl::TDesignWindow)

TZylMenuBuilder::TZylMenuBuilder(vcl::TComponent* owner) : TDesignWindow(owner) {
    using zylmenubuilder::MenuEntry;
    using zylmenubuilder::ToolButton;
    SetName("ZylMenuBuilder");
    SetCaption("Zyl's Menu Builder");
    SetBorderIcons({vcl::biSystemMenu});
    SetWidth(264);
    SetHeight(306);
    SetShowHint(false);

    TopPanel = new vcl::TPanel(this);
    TopPanel->SetName("TopPanel");
    TopPanel->SetParent(this);
    TopPanel->SetAlign(vcl::alTop);
    TopPanel->SetHeight(25);
    TopPanel->SetCaption("");
    AddButton = ToolButton(TopPanel, "AddButton", "Add", 4);
    RemoveButton = ToolButton(TopPanel, "RemoveButton", "Remove", 56);
    InsertButton = ToolButton(TopPanel, "InsertButton", "Insert", 108);
    TestButton = ToolButton(TopPanel, "TestButton", "&Test", 160);
    AddButton->OnClick = [this](vcl::TObject*) { AddItem(); };
    RemoveButton->OnClick = [this](vcl::TObject*) { RemoveItem(); };
    InsertButton->OnClick = [this](vcl::TObject*) { InsertItem(); };
    TestButton->OnClick = [this](vcl::TObject*) { TestMenu(); };

    TreeMenu = new vcl::TPopupMenu(this);
    TreeMenu->SetName("TreeMenu");
    MenuEntry(TreeMenu, "AddEntry", "Add a new menuitem", [this] { AddItem(); });
    MenuEntry(TreeMenu, "InsertEntry", "Insert a new menuitem", [this] { InsertItem(); });
    MenuEntry(TreeMenu, "Separator", "-", nullptr);
    MenuEntry(TreeMenu, "DeleteEntry", "Delete selected menuitem", [this] { RemoveItem(); });

    ZylMenuTree = new vcl::TTreeView(this);
    ZylMenuTree->SetName("ZylMenuTree");
    ZylMenuTree->SetParent(this);
    ZylMenuTree->SetAlign(vcl::alClient);
    ZylMenuTree->SetColor(vcl::clWhite);
    ZylMenuTree->Font()->SetHeight(-12);
    ZylMenuTree->Font()->SetStyle({vcl::fsBold});
    ZylMenuTree->SetIndent(19);
    ZylMenuTree->SetHideSelection(false);
    ZylMenuTree->SetShowHint(false);
    ZylMenuTree->SetPopupMenu(TreeMenu);
    ZylMenuTree->OnChange = [this](vcl::TObject*, TTreeNode* node) { TreeChange(node); };
    ZylMenuTree->OnEdited = [this](vcl::TObject*, TTreeNode* node, std::string& text) {
        TreeEdited(node, text);
    };
    ZylMenuTree->OnDblClick = [this](vcl::TObject*) { TreeDoubleClick(); };
    ZylMenuTree->OnMouseDown = [this](vcl::TObject*, vcl::TMouseButton button, vcl::TShiftState, Integer x,
                                      Integer y) { TreeMouseDown(button, x, y); };
    ZylMenuTree->OnDragOver = [this](vcl::TObject*, vcl::TObject* source, Integer x, Integer y,
                                     vcl::TDragState, bool& accept) { TreeDragOver(source, x, y, accept); };
    ZylMenuTree->OnDragDrop = [this](vcl::TObject*, vcl::TObject* source, Integer x, Integer y) {
        TreeDragDrop(source, x, y);
    };
}

TZylMenuBuilder::~TZylMenuBuilder() {
    if (zylmenubuilder::openBuilder == this) zylmenubuilder::openBuilder = nullptr;
}

void TZylMenuBuilder::BeforeDestruction() {
    if (zylmenubuilder::openBuilder == this) zylmenubuilder::openBuilder = nullptr;
    // No node outlives the window pointing at an item, and the menu's image list is let go.
    ZylMenuTree->OnChange = nullptr;
    ZylMenuTree->Items()->Clear();
    ZylMenuTree->SetImages(nullptr);
    TDesignWindow::BeforeDestruction();
}

// ---------------------------------------------------------------------------------------------
// The tree

TTreeNode* TZylMenuBuilder::TopNode() const {
    return ZylMenuTree->Items()->GetFirstNode();
}

TZylMenuItem* TZylMenuBuilder::ItemOf(const TTreeNode* node) {
    return node ? static_cast<TZylMenuItem*>(node->Data()) : nullptr;
}

TTreeNode* TZylMenuBuilder::NodeOf(const TZylMenuItem* item) const {
    for (TTreeNode* node = TopNode(); node; node = node->GetNext())
        if (item && node->Data() == item) return node;
    return nullptr;
}

void TZylMenuBuilder::Open(TZylMenu* menu) {
    menu_ = menu;
    root_ = menu->Items();
    vcl::TTreeNodes* nodes = ZylMenuTree->Items();
    nodes->BeginUpdate();
    const win32::ScopeExit endUpdate([nodes] { nodes->EndUpdate(); });
    nodes->Clear();
    ZylMenuTree->SetImages(menu->Images());
    TTreeNode* top = nodes->AddChildObject(nullptr, menu->Name(), nullptr);
    BuildSubtree(root_, top);
    ZylMenuTree->Font()->Assign(menu->MenuFont());
    top->Expand(false);
    top->SetImageIndex(-1);
    top->SetSelectedIndex(-1);
}

void TZylMenuBuilder::BuildSubtree(TZylMenuItem* item, TTreeNode* node) {
    for (Integer i = 0; i < item->Count(); ++i) {
        TZylMenuItem* child = item->Items(i);
        BuildSubtree(child, ZylMenuTree->Items()->AddChildObject(node, child->Caption(), child));
    }
    UpdateNodeImage(node);
}

void TZylMenuBuilder::UpdateNodeImage(TTreeNode* node) const {
    const TZylMenuItem* item = ItemOf(node);
    if (!item || !menu_ || !menu_->Images()) return;
    Integer image = item->ImageIndex();
    if (!item->Enabled() && item->DisabledImageIndex() != -1)
        image = item->DisabledImageIndex();
    else if (item->Checked() && item->CheckedIndex() != -1)
        image = item->CheckedIndex();
    node->SetImageIndex(image);
    node->SetSelectedIndex(image);
}

void TZylMenuBuilder::ClearData(TTreeNode* node) {
    node->SetData(nullptr);
    for (Integer i = 0; i < node->Count(); ++i)
        ClearData(node->Item(i));
}

void TZylMenuBuilder::SelectInDesigner(vcl::TPersistent* instance) {
    if (Designer() && instance) Designer()->SelectComponent(instance);
}

// ---------------------------------------------------------------------------------------------
// Editing

TZylMenuItem* TZylMenuBuilder::NewItem(const std::function<void(TZylMenuItem*)>& link) {
    if (!Designer()) throw vcl::EDesignError("The menu is not being designed");
    auto* item = static_cast<TZylMenuItem*>(
        Designer()->CreateComponent(TZylMenuItem::StaticClass(), nullptr, 0, 0, -1, -1));
    try {
        link(item);
    } catch (...) {
        Designer()->DeleteComponent(item);
        throw;
    }
    item->SetCaption(item->Name());
    Designer()->Modified();
    return item;
}

void TZylMenuBuilder::AddItem() {
    TTreeNode* selected = ZylMenuTree->Selected();
    if (!selected || !root_) return;
    TZylMenuItem* parent = ItemOf(selected) ? ItemOf(selected) : root_;
    TZylMenuItem* item = NewItem([parent](TZylMenuItem* added) { parent->Add(added); });
    TTreeNode* node = ZylMenuTree->Items()->AddChildObject(selected, item->Caption(), item);
    ZylMenuTree->SetSelected(node);
    node->EditText();
}

void TZylMenuBuilder::InsertItem() {
    TTreeNode* selected = ZylMenuTree->Selected();
    if (!selected || !root_) return;
    TZylMenuItem* before = ItemOf(selected);
    if (!before || !before->Parent()) {
        AddItem();
        return;
    }
    TZylMenuItem* item =
        NewItem([before](TZylMenuItem* added) { before->Parent()->Insert(before->MenuIndex(), added); });
    TTreeNode* node = ZylMenuTree->Items()->InsertObject(selected, item->Caption(), item);
    ZylMenuTree->SetSelected(node);
    node->EditText();
}

void TZylMenuBuilder::RemoveItem() {
    TTreeNode* node = ZylMenuTree->Selected();
    TZylMenuItem* item = ItemOf(node);
    if (!item) return;
    // The selection moves on first, and no node keeps the item (or one of its children) once it
    // is freed.
    TTreeNode* parentNode = node->Parent();
    ZylMenuTree->SetSelected(parentNode);
    TZylMenuItem* parentItem = ItemOf(parentNode);
    SelectInDesigner(parentItem ? static_cast<vcl::TPersistent*>(parentItem) : menu_);
    ClearData(node);
    if (Designer() && item->Owner() == Designer()->GetRoot())
        Designer()->DeleteComponent(item);
    else
        item->Free();
    node->Delete();
    if (Designer()) Designer()->Modified();
}

void TZylMenuBuilder::TestMenu() {
    if (!menu_) return;
    const vcl::TPoint at = TestButton->ClientToScreen({0, TestButton->Height()});
    menu_->Popup(at.x, at.y);
}

bool TZylMenuBuilder::MoveNode(TTreeNode* dragged, TTreeNode* target, bool asChild) {
    TZylMenuItem* item = ItemOf(dragged);
    TZylMenuItem* targetItem = ItemOf(target);
    if (!item || !targetItem || target == dragged || target->HasAsParent(dragged)) return false;
    TZylMenuItem* from = item->Parent();
    const Integer fromIndex = item->MenuIndex();
    const vcl::Byte fromGroup = item->GroupIndex();
    vcl::TTreeNodes* nodes = ZylMenuTree->Items();
    nodes->BeginUpdate();
    const win32::ScopeExit endUpdate([nodes] { nodes->EndUpdate(); });
    try {
        if (from) from->Remove(item);
        if (asChild)
            targetItem->Add(item);
        else
            targetItem->Parent()->Insert(targetItem->MenuIndex(), item);
    } catch (...) {
        // The item goes back to its place; the tree was not touched yet.
        try {
            if (TZylMenuItem* holder = item->Parent(); holder && holder != from) holder->Remove(item);
            if (from && !item->Parent()) from->Insert(std::min(fromIndex, from->Count()), item);
            if (item->GroupIndex() != fromGroup) item->SetGroupIndex(fromGroup);
        } catch (...) {
            // The menu refuses again: the item stays where the menu left it.
        }
        throw;
    }
    dragged->MoveTo(target, asChild ? vcl::naAddChild : vcl::naInsert);
    if (Designer()) Designer()->Modified();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Events of the tree

void TZylMenuBuilder::TreeChange(TTreeNode* node) {
    if (!node) return;
    if (TZylMenuItem* item = ItemOf(node))
        SelectInDesigner(item);
    else
        SelectInDesigner(menu_);
}

void TZylMenuBuilder::TreeEdited(TTreeNode* node, std::string& text) {
    TZylMenuItem* item = ItemOf(node);
    if (!item) return;
    const std::string old = item->Caption();
    try {
        item->SetCaption(text);
    } catch (const std::exception&) {
        // The node and the item both keep the old caption.
        text = old;
        try {
            if (item->Caption() != old) item->SetCaption(old);
        } catch (const std::exception&) {
            // The item refuses that too; the node still shows what it had.
        }
        throw vcl::Exception(std::string(SMenuItemRenameRefused));
    }
    SelectInDesigner(item);
    if (Designer()) Designer()->Modified();
}

void TZylMenuBuilder::TreeDoubleClick() {
    TZylMenuItem* item = ItemOf(ZylMenuTree->Selected());
    if (!item || !Designer()) return;
    vcl::GetComponentEditor(item, Designer())->Edit();
}

void TZylMenuBuilder::TreeMouseDown(vcl::TMouseButton button, Integer x, Integer y) {
    if (button != vcl::mbLeft) return;
    TTreeNode* node = ZylMenuTree->GetNodeAt(x, y);
    if (ItemOf(node)) ZylMenuTree->BeginDrag(false);
}

void TZylMenuBuilder::TreeDragOver(vcl::TObject* source, Integer x, Integer y, bool& accept) {
    // A node can go anywhere but below itself.
    TTreeNode* dragged = ZylMenuTree->Selected();
    TTreeNode* target = ZylMenuTree->GetNodeAt(x, y);
    accept =
        source == ZylMenuTree && !(target && dragged && (target == dragged || target->HasAsParent(dragged)));
}

void TZylMenuBuilder::TreeDragDrop(vcl::TObject* source, Integer x, Integer y) {
    if (source != ZylMenuTree) return;
    TTreeNode* target = ZylMenuTree->GetNodeAt(x, y);
    const vcl::THitTests hit = ZylMenuTree->GetHitTestInfoAt(x, y);
    MoveNode(ZylMenuTree->Selected(), target, hit.Contains(vcl::htOnLabel) || hit.Contains(vcl::htOnRight));
}

// ---------------------------------------------------------------------------------------------
// The designer

void TZylMenuBuilder::FormModified() {
    TTreeNode* top = TopNode();
    if (!top) return;
    for (TTreeNode* node = top->GetNext(); node; node = node->GetNext()) {
        const TZylMenuItem* item = ItemOf(node);
        if (!item) continue;
        if (node->Text() != item->Caption()) node->SetText(item->Caption());
        UpdateNodeImage(node);
    }
}

void TZylMenuBuilder::ComponentDeleted(vcl::TComponent* component) {
    if (component == menu_) {
        // The window goes with the menu; until then it edits nothing.
        ZylMenuTree->Items()->Clear();
        menu_ = nullptr;
        root_ = nullptr;
        return;
    }
    TTreeNode* node = NodeOf(dynamic_cast<TZylMenuItem*>(component));
    if (!node) return;
    if (node->Selected() || (ZylMenuTree->Selected() && ZylMenuTree->Selected()->HasAsParent(node)))
        ZylMenuTree->SetSelected(node->Parent());
    ClearData(node);
    node->Delete();
}

void TZylMenuBuilder::Activate() {
    TDesignWindow::Activate();
    // The designer's own menu editor makes way.
    if (auto* other = dynamic_cast<vcl::TCustomForm*>(vcl::Application->FindComponent("MenuBuilder")))
        other->Close();
    TTreeNode* top = TopNode();
    if (!top || ZylMenuTree->Selected()) return;
    if (!root_ || root_->Count() == 0) {
        SelectInDesigner(menu_);
        ZylMenuTree->SetSelected(top);
    } else {
        ZylMenuTree->SetSelected(top->GetFirstChild());
    }
}

void TZylMenuBuilder::DoClose(vcl::TCloseAction& action) {
    TDesignWindow::DoClose(action);
    try {
        SelectInDesigner(menu_);
    } catch (const std::exception& error) {
        vcl::Application->HandleException(this, error);
    }
    action = vcl::caFree;
}

TZylMenuBuilder* OpenMenuBuilder(TZylMenu* menu) {
    TZylMenuBuilder*& open = zylmenubuilder::openBuilder;
    if (open && open->EditedMenu() != menu) {
        open->Free();
        open = nullptr;
    }
    if (open) {
        open->Show();
        open->BringToFront();
        return open;
    }
    vcl::IDesigner* designer = vcl::FindRootDesigner(menu);
    if (!designer) throw vcl::EDesignError(vcl::Format("%s is not being designed", {menu->Name()}));
    auto* builder = new TZylMenuBuilder(nullptr);
    open = builder;
    builder->Attach(designer, menu);
    builder->Open(menu);
    builder->Show();
    return builder;
}

TZylMenuBuilder* OpenedMenuBuilder() {
    return zylmenubuilder::openBuilder;
}

}  // namespace ribola
