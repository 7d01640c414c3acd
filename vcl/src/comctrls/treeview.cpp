// The tree view: TTreeNode and TTreeNodes keep the tree; the platform's tree control shows it,
// each item carrying its node in lParam. The nodes outlive the window, so a recreated window is
// filled again from them.
#include <algorithm>

#include "vcl/comctrls.h"
#include "vcl/sysutils.h"
#include "win32/commctrl.h"

namespace vcl {

using namespace win32;

namespace treeview_unit {

const bool classesRegistered = [] {
    RegisterClasses({TTreeView::StaticClass()});
    return true;
}();

TTreeNode* NodeOf(const TVITEM& item) {
    return reinterpret_cast<TTreeNode*>(item.lParam);
}

}  // namespace treeview_unit

using treeview_unit::NodeOf;

// ---------------------------------------------------------------------------------------------
// TTreeNode

VCL_DEFINE_CLASS(TTreeNode, TPersistent)

TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const {
    return owner_->Owner();
}

void TTreeNode::PushState() {
    TCustomTreeView* tree = TreeView();
    if (!item_ || !tree->HandleAllocated()) return;
    TVITEM item{};
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    item.hItem = item_;
    item.pszText = const_cast<char*>(text_.c_str());
    item.iImage = imageIndex_;
    item.iSelectedImage = selectedIndex_;
    item.cChildren = hasChildren_ ? 1 : 0;
    TreeView_SetItem(tree->Handle(), &item);
}

void TTreeNode::SetText(const std::string& value) {
    if (text_ == value) return;
    text_ = value;
    PushState();
}

void TTreeNode::SetImageIndex(Integer value) {
    if (imageIndex_ == value) return;
    imageIndex_ = value;
    PushState();
}

void TTreeNode::SetSelectedIndex(Integer value) {
    if (selectedIndex_ == value) return;
    selectedIndex_ = value;
    PushState();
}

bool TTreeNode::HasChildren() const {
    return hasChildren_ || !children_.empty();
}

void TTreeNode::SetHasChildren(bool value) {
    if (hasChildren_ == value) return;
    hasChildren_ = value;
    PushState();
}

void TTreeNode::Expand(bool recurse) {
    TCustomTreeView* tree = TreeView();
    if (!expanded_ && HasChildren() && tree->CanExpand(this)) {
        expanded_ = true;
        if (item_ && tree->HandleAllocated()) {
            const ScopedValue quiet(tree->programExpanding_, true);
            TreeView_Expand(tree->Handle(), item_, TVE_EXPAND);
        }
        tree->Expand(this);
    }
    if (recurse)
        for (TTreeNode* child : std::vector<TTreeNode*>(children_))
            child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    TCustomTreeView* tree = TreeView();
    if (recurse)
        for (TTreeNode* child : std::vector<TTreeNode*>(children_))
            child->Collapse(true);
    if (!expanded_ || !tree->CanCollapse(this)) return;
    expanded_ = false;
    if (item_ && tree->HandleAllocated()) {
        const ScopedValue quiet(tree->programExpanding_, true);
        TreeView_Expand(tree->Handle(), item_, TVE_COLLAPSE);
    } else if (tree->selected_ && tree->selected_->HasAsParent(this)) {
        tree->SetSelected(this);
    }
    tree->Collapse(this);
}

bool TTreeNode::Selected() const {
    return TreeView()->Selected() == this;
}

void TTreeNode::SetSelected(bool value) {
    TCustomTreeView* tree = TreeView();
    if (value)
        tree->SetSelected(this);
    else if (tree->Selected() == this)
        tree->SetSelected(nullptr);
}

bool TTreeNode::DropTarget() const {
    return TreeView()->DropTarget() == this;
}

void TTreeNode::SetDropTarget(bool value) {
    TCustomTreeView* tree = TreeView();
    if (value)
        tree->SetDropTarget(this);
    else if (tree->DropTarget() == this)
        tree->SetDropTarget(nullptr);
}

Integer TTreeNode::Level() const {
    Integer level = 0;
    for (TTreeNode* p = parent_; p; p = p->parent_)
        ++level;
    return level;
}

TTreeNode* TTreeNode::Item(Integer index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
    return children_[static_cast<size_t>(index)];
}

Integer TTreeNode::Index() const {
    const auto& siblings = owner_->SiblingsOf(parent_);
    return static_cast<Integer>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

Integer TTreeNode::AbsoluteIndex() const {
    Integer index = 0;
    for (const TTreeNode* node = owner_->GetFirstNode(); node && node != this; node = node->GetNext())
        ++index;
    return index;
}

TTreeNode* TTreeNode::GetNextSibling() const {
    const auto& siblings = owner_->SiblingsOf(parent_);
    const auto index = static_cast<size_t>(Index()) + 1;
    return index < siblings.size() ? siblings[index] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    const Integer index = Index();
    return index > 0 ? owner_->SiblingsOf(parent_)[static_cast<size_t>(index - 1)] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (!children_.empty()) return children_.front();
    for (const TTreeNode* node = this; node; node = node->parent_)
        if (TTreeNode* next = node->GetNextSibling()) return next;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNode* previous = GetPrevSibling();
    if (!previous) return parent_;
    while (!previous->children_.empty())
        previous = previous->children_.back();
    return previous;
}

TTreeNode* TTreeNode::GetNextVisible() const {
    if (expanded_ && !children_.empty()) return children_.front();
    for (const TTreeNode* node = this; node; node = node->parent_)
        if (TTreeNode* next = node->GetNextSibling()) return next;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const {
    TTreeNode* previous = GetPrevSibling();
    if (!previous) return parent_;
    while (previous->expanded_ && !previous->children_.empty())
        previous = previous->children_.back();
    return previous;
}

bool TTreeNode::HasAsParent(const TTreeNode* value) const {
    if (!value) return false;
    for (TTreeNode* p = parent_; p; p = p->parent_)
        if (p == value) return true;
    return false;
}

bool TTreeNode::IsVisible() const {
    for (TTreeNode* p = parent_; p; p = p->parent_)
        if (!p->expanded_) return false;
    return true;
}

void TTreeNode::MakeVisible() {
    for (TTreeNode* p = parent_; p; p = p->parent_)
        if (!p->expanded_) p->Expand(false);
    TCustomTreeView* tree = TreeView();
    if (item_ && tree->HandleAllocated())
        SendMessage(tree->Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

TRect TTreeNode::DisplayRect(bool textOnly) const {
    TCustomTreeView* tree = TreeView();
    RECT rect{};
    if (!item_ || !tree->HandleAllocated() || !TreeView_GetItemRect(tree->Handle(), item_, &rect, textOnly))
        return TRect{0, 0, 0, 0};
    return rect;
}

bool TTreeNode::EditText() {
    TCustomTreeView* tree = TreeView();
    if (!item_ || !tree->HandleAllocated()) return false;
    return SendMessage(tree->Handle(), TVM_EDITLABEL, 0, reinterpret_cast<LPARAM>(item_)) != 0;
}

void TTreeNode::EndEdit(bool cancel) {
    TCustomTreeView* tree = TreeView();
    if (tree->HandleAllocated()) SendMessage(tree->Handle(), TVM_ENDEDITLABELNOW, cancel ? 1 : 0, 0);
}

void TTreeNode::Delete() {
    owner_->Delete(this);
}

void TTreeNode::DeleteChildren() {
    for (TTreeNode* child : std::vector<TTreeNode*>(children_))
        owner_->Delete(child);
}

bool TTreeNode::AlphaSort() {
    TCustomTreeView* tree = TreeView();
    std::stable_sort(children_.begin(), children_.end(),
                     [tree](TTreeNode* a, TTreeNode* b) { return tree->CompareNodes(a, b) < 0; });
    if (item_ && tree->HandleAllocated()) {
        TVSORTCB sort{item_,
                      [](LPARAM a, LPARAM b, LPARAM view) {
                          return static_cast<int>(reinterpret_cast<TCustomTreeView*>(view)->CompareNodes(
                              reinterpret_cast<TTreeNode*>(a), reinterpret_cast<TTreeNode*>(b)));
                      },
                      reinterpret_cast<LPARAM>(tree)};
        SendMessage(tree->Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    }
    return true;
}

void TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
    if (destination == this || (destination && destination->HasAsParent(this))) return;
    TCustomTreeView* tree = TreeView();
    const bool wasSelected =
        tree->selected_ == this || (tree->selected_ && tree->selected_->HasAsParent(this));
    TTreeNode* selected = tree->selected_;
    // The platform's items go and come back; the nodes stay what they are.
    if (item_ && tree->HandleAllocated()) {
        const ScopedValue quiet(tree->recreating_, true);
        TreeView_DeleteItem(tree->Handle(), item_);
    }
    for (TTreeNode* node = this; node && (node == this || node->HasAsParent(this)); node = node->GetNext())
        node->item_ = nullptr;
    owner_->Unlink(this);
    TTreeNode* parent = nullptr;
    size_t position = 0;
    switch (mode) {
        case naAdd:
        case naAddFirst:
            parent = destination ? destination->parent_ : nullptr;
            position = mode == naAdd ? owner_->SiblingsOf(parent).size() : 0;
            break;
        case naAddChild:
        case naAddChildFirst:
            parent = destination;
            position = mode == naAddChild ? owner_->SiblingsOf(parent).size() : 0;
            break;
        case naInsert:
            parent = destination ? destination->parent_ : nullptr;
            position =
                destination ? static_cast<size_t>(destination->Index()) : owner_->SiblingsOf(parent).size();
            break;
    }
    owner_->Link(this, parent, position);
    if (wasSelected && tree->HandleAllocated() && selected && selected->item_)
        TreeView_SelectItem(tree->Handle(), selected->item_);
}

// ---------------------------------------------------------------------------------------------
// TTreeNodes

VCL_DEFINE_CLASS(TTreeNodes, TPersistent)

TTreeNodes::~TTreeNodes() {
    // Whatever is left goes without events: the tree cleared itself while it was whole.
    std::vector<TTreeNode*> pending(roots_.begin(), roots_.end());
    while (!pending.empty()) {
        TTreeNode* node = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), node->children_.begin(), node->children_.end());
        delete node;
    }
}

TPersistent* TTreeNodes::GetOwner() const {
    return owner_;
}

Integer TTreeNodes::Count() const {
    Integer count = 0;
    for (const TTreeNode* node = GetFirstNode(); node; node = node->GetNext())
        ++count;
    return count;
}

TTreeNode* TTreeNodes::Item(Integer index) const {
    Integer at = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext(), ++at)
        if (at == index) return node;
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

void TTreeNodes::InsertItems(TTreeNode* node, HTREEITEM after) {
    TVINSERTSTRUCT insert{};
    insert.hParent = node->parent_ ? node->parent_->item_ : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    insert.item.pszText = const_cast<char*>(node->text_.c_str());
    insert.item.iImage = node->imageIndex_;
    insert.item.iSelectedImage = node->selectedIndex_;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    insert.item.cChildren = node->hasChildren_ ? 1 : 0;
    insert.item.stateMask = TVIS_EXPANDED;
    insert.item.state = node->expanded_ ? TVIS_EXPANDED : 0;
    node->item_ = TreeView_InsertItem(owner_->Handle(), &insert);
    for (TTreeNode* child : node->children_)
        InsertItems(child, TVI_LAST);
}

void TTreeNodes::Link(TTreeNode* node, TTreeNode* parent, size_t position) {
    auto& siblings = SiblingsOf(parent);
    position = std::min(position, siblings.size());
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), node);
    node->parent_ = parent;
    if (!owner_->HandleAllocated() || (parent && !parent->item_)) return;
    HTREEITEM after = position == 0 ? TVI_FIRST : siblings[position - 1]->item_;
    InsertItems(node, after ? after : TVI_LAST);
    if (parent) parent->PushState();
}

void TTreeNodes::Unlink(TTreeNode* node) {
    auto& siblings = SiblingsOf(node->parent_);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    node->parent_ = nullptr;
}

TTreeNode* TTreeNodes::Attach(TTreeNode* relative, const std::string& text, void* data,
                              TNodeAttachMode mode) {
    if (relative && relative->owner_ != this) throw EInvalidOperation("The node belongs to another tree");
    auto* node = new TTreeNode(this);
    node->text_ = text;
    node->data_ = data;
    TTreeNode* parent = nullptr;
    size_t position = 0;
    switch (mode) {
        case naAdd:
            parent = relative ? relative->parent_ : nullptr;
            position = SiblingsOf(parent).size();
            break;
        case naAddFirst:
            parent = relative ? relative->parent_ : nullptr;
            position = 0;
            break;
        case naAddChild:
            parent = relative;
            position = SiblingsOf(parent).size();
            break;
        case naAddChildFirst:
            parent = relative;
            position = 0;
            break;
        case naInsert:
            parent = relative ? relative->parent_ : nullptr;
            position = relative ? static_cast<size_t>(relative->Index()) : SiblingsOf(parent).size();
            break;
    }
    Link(node, parent, position);
    owner_->GetImageIndex(node);
    owner_->GetSelectedIndex(node);
    if (owner_->sortType_ == stText || owner_->sortType_ == stBoth || owner_->sortType_ == stData)
        owner_->SortByType(parent);
    return node;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, void* data) {
    return Attach(sibling, text, data, naAdd);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text) {
    return Attach(sibling, text, nullptr, naAddFirst);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data) {
    return Attach(parent, text, data, naAddChild);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) {
    return Attach(parent, text, nullptr, naAddChildFirst);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const std::string& text, void* data) {
    return Attach(sibling, text, data, naInsert);
}

void TTreeNodes::DestroyNode(TTreeNode* node) {
    node->deleting_ = true;
    for (TTreeNode* child : std::vector<TTreeNode*>(node->children_))
        DestroyNode(child);
    owner_->Delete(node);
    if (owner_->selected_ == node) owner_->selected_ = nullptr;
    if (owner_->dropTarget_ == node) owner_->dropTarget_ = nullptr;
    Unlink(node);
    delete node;
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (!node || node->owner_ != this || node->deleting_) return;
    TTreeNode* parent = node->parent_;
    node->deleting_ = true;
    if (node->item_ && owner_->HandleAllocated()) {
        // The platform's items go first, unheard: the nodes are told about below, children first.
        const ScopedValue quiet(owner_->recreating_, true);
        TreeView_DeleteItem(owner_->Handle(), node->item_);
    }
    DestroyNode(node);
    if (parent && !parent->deleting_) {
        if (parent->children_.empty()) parent->expanded_ = false;
        parent->PushState();
    }
    // The platform moved its caret off the deleted item without asking; the tree follows it.
    if (owner_->HandleAllocated() && !owner_->selected_) {
        const HTREEITEM caret = TreeView_GetNextItem(owner_->Handle(), nullptr, TVGN_CARET);
        TVITEM item{};
        item.mask = TVIF_PARAM;
        item.hItem = caret;
        if (caret && TreeView_GetItem(owner_->Handle(), &item)) owner_->selected_ = NodeOf(item);
    }
}

void TTreeNodes::Clear() {
    BeginUpdate();
    while (!roots_.empty())
        Delete(roots_.back());
    EndUpdate();
}

void TTreeNodes::BeginUpdate() {
    if (updateCount_++ == 0 && owner_->HandleAllocated())
        SendMessage(owner_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
    if (updateCount_ == 0 || --updateCount_ > 0 || !owner_->HandleAllocated()) return;
    SendMessage(owner_->Handle(), WM_SETREDRAW, TRUE, 0);
    owner_->Invalidate();
}

void TTreeNodes::Assign(const TPersistent* source) {
    const auto* other = dynamic_cast<const TTreeNodes*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    std::function<void(const TTreeNode*, TTreeNode*)> copy = [&](const TTreeNode* from, TTreeNode* parent) {
        TTreeNode* made = AddChildObject(parent, from->text_, from->data_);
        made->SetImageIndex(from->imageIndex_);
        made->SetSelectedIndex(from->selectedIndex_);
        made->SetHasChildren(from->hasChildren_);
        for (const TTreeNode* child : from->children_)
            copy(child, made);
    };
    for (const TTreeNode* root : other->roots_)
        copy(root, nullptr);
    EndUpdate();
}

// ---------------------------------------------------------------------------------------------
// TCustomTreeView

VCL_DEFINE_CLASS(TCustomTreeView, TWinControl)

TCustomTreeView::TCustomTreeView(TComponent* owner)
    : TWinControl(owner),
      nodes_(std::make_unique<TTreeNodes>(this)),
      imageLink_(std::make_unique<TChangeLink>()) {
    controlStyle_.Exclude(csCaptureMouse);
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(false);
    imageLink_->OnChange = [this](TObject* sender) { ImagesChanged(sender); };
}

TCustomTreeView::~TCustomTreeView() {
    if (images_) images_->UnRegisterChanges(imageLink_.get());
}

void TCustomTreeView::BeforeDestruction() {
    // The nodes go while the tree is whole, so that OnDeletion and Delete can free their data.
    nodes_->Clear();
    TWinControl::BeforeDestruction();
}

void TCustomTreeView::CreateParams(TCreateParams& params) {
    InitCommonControls();
    TWinControl::CreateParams(params);
    WNDCLASS native{};
    if (!GetClassInfo(nullptr, WC_TREEVIEW, &native)) throw EOutOfResources("Cannot create the tree view");
    SetDefWndProc(native.lpfnWndProc);
    params.Style |= WS_VSCROLL;
    if (showButtons_) params.Style |= TVS_HASBUTTONS;
    if (showLines_) params.Style |= TVS_HASLINES;
    if (showRoot_) params.Style |= TVS_LINESATROOT;
    if (!readOnly_) params.Style |= TVS_EDITLABELS;
    if (!hideSelection_) params.Style |= TVS_SHOWSELALWAYS;
    params.Style |= TVS_DISABLEDRAGDROP;
    if (borderStyle_ != bsNone) {
        if (Ctl3D())
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTreeView::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessage(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    SendMessage(Handle(), TVM_SETINDENT, static_cast<WPARAM>(indent_), 0);
    if (images_)
        SendMessage(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_->Handle()));
    for (TTreeNode* root : nodes_->roots_)
        nodes_->InsertItems(root, TVI_LAST);
    if (selected_ && selected_->item_) {
        const ScopedValue quiet(recreating_, true);
        TreeView_SelectItem(Handle(), selected_->item_);
    }
    if (dropTarget_ && dropTarget_->item_)
        SendMessage(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(dropTarget_->item_));
}

void TCustomTreeView::DestroyWnd() {
    {
        const ScopedValue quiet(recreating_, true);
        if (HandleAllocated()) TreeView_DeleteItem(Handle(), TVI_ROOT);
    }
    for (TTreeNode* node = nodes_->GetFirstNode(); node; node = node->GetNext())
        node->item_ = nullptr;
    TWinControl::DestroyWnd();
}

void TCustomTreeView::SetStyleFlag(bool& flag, bool value) {
    if (flag == value) return;
    flag = value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetBorderStyle(TBorderStyle value) {
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTreeView::SetIndent(Integer value) {
    if (indent_ == value) return;
    indent_ = value;
    if (HandleAllocated()) SendMessage(Handle(), TVM_SETINDENT, static_cast<WPARAM>(value), 0);
}

void TCustomTreeView::SetImages(TCustomImageList* value) {
    if (images_ == value) return;
    if (images_) {
        images_->UnRegisterChanges(imageLink_.get());
        images_->RemoveFreeNotification(this);
    }
    images_ = value;
    if (images_) {
        images_->RegisterChanges(imageLink_.get());
        images_->FreeNotification(this);
    }
    ImagesChanged(images_);
}

void TCustomTreeView::ImagesChanged(TObject*) {
    if (!HandleAllocated()) return;
    SendMessage(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL,
                reinterpret_cast<LPARAM>(images_ ? images_->Handle() : nullptr));
    Invalidate();
}

void TCustomTreeView::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == images_) SetImages(nullptr);
}

void TCustomTreeView::SetSelected(TTreeNode* value) {
    if (value && value->owner_ != nodes_.get()) return;
    if (HandleAllocated()) {
        if (value && value->item_) {
            TreeView_SelectItem(Handle(), value->item_);
        } else if (!value) {
            TreeView_SelectItem(Handle(), nullptr);
        }
        return;
    }
    // Without a window the same questions are asked.
    if (value == selected_ || !CanChange(value)) return;
    selected_ = value;
    Change(value);
}

void TCustomTreeView::SetDropTarget(TTreeNode* value) {
    if (value && value->owner_ != nodes_.get()) return;
    dropTarget_ = value;
    if (HandleAllocated())
        SendMessage(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE,
                    reinterpret_cast<LPARAM>(value ? value->item_ : nullptr));
}

TTreeNode* TCustomTreeView::TopItem() const {
    if (!HandleAllocated()) return nodes_->GetFirstNode();
    TVITEM item{};
    item.mask = TVIF_PARAM;
    item.hItem = TreeView_GetNextItem(Window(), nullptr, TVGN_FIRSTVISIBLE);
    return item.hItem && TreeView_GetItem(Window(), &item) ? NodeOf(item) : nullptr;
}

void TCustomTreeView::SetTopItem(TTreeNode* value) {
    if (value && value->item_ && HandleAllocated())
        SendMessage(Handle(), TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(value->item_));
}

void TCustomTreeView::SetSortType(TSortType value) {
    if (sortType_ == value) return;
    sortType_ = value;
    if (value != stNone) AlphaSort();
}

void TCustomTreeView::SortByType(TTreeNode* parent) {
    if (parent) {
        parent->AlphaSort();
        return;
    }
    std::stable_sort(nodes_->roots_.begin(), nodes_->roots_.end(),
                     [this](TTreeNode* a, TTreeNode* b) { return CompareNodes(a, b) < 0; });
    if (HandleAllocated()) {
        TVSORTCB sort{TVI_ROOT,
                      [](LPARAM a, LPARAM b, LPARAM view) {
                          return static_cast<int>(reinterpret_cast<TCustomTreeView*>(view)->CompareNodes(
                              reinterpret_cast<TTreeNode*>(a), reinterpret_cast<TTreeNode*>(b)));
                      },
                      reinterpret_cast<LPARAM>(this)};
        SendMessage(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    }
}

bool TCustomTreeView::AlphaSort() {
    SortByType(nullptr);
    for (TTreeNode* node = nodes_->GetFirstNode(); node; node = node->GetNext())
        if (!node->children_.empty()) node->AlphaSort();
    return true;
}

Integer TCustomTreeView::CompareNodes(TTreeNode* a, TTreeNode* b) {
    Integer result = 0;
    if (OnCompare) {
        OnCompare(this, a, b, 0, result);
        return result;
    }
    if (sortType_ == stData || sortType_ == stBoth) {
        const auto da = reinterpret_cast<uintptr_t>(a->data_), db = reinterpret_cast<uintptr_t>(b->data_);
        if (da != db || sortType_ == stData) return da < db ? -1 : (da > db ? 1 : 0);
    }
    return AnsiCompareText(a->text_, b->text_);
}

TTreeNode* TCustomTreeView::GetNodeAt(Integer x, Integer y) const {
    if (!HandleAllocated()) return nullptr;
    TVHITTESTINFO info{{x, y}, 0, nullptr};
    constexpr UINT kOnRow = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
    if (!TreeView_HitTest(Window(), &info) || !(info.flags & kOnRow)) return nullptr;
    TVITEM item{};
    item.mask = TVIF_PARAM;
    item.hItem = info.hItem;
    return TreeView_GetItem(Window(), &item) ? NodeOf(item) : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(Integer x, Integer y) const {
    THitTests result;
    if (!HandleAllocated()) return result;
    TVHITTESTINFO info{{x, y}, 0, nullptr};
    TreeView_HitTest(Window(), &info);
    constexpr std::pair<UINT, THitTest> kFlags[] = {
        {TVHT_ABOVE, htAbove},           {TVHT_BELOW, htBelow},         {TVHT_NOWHERE, htNowhere},
        {TVHT_ONITEMBUTTON, htOnButton}, {TVHT_ONITEMICON, htOnIcon},   {TVHT_ONITEMINDENT, htOnIndent},
        {TVHT_ONITEMLABEL, htOnLabel},   {TVHT_ONITEMRIGHT, htOnRight}, {TVHT_TOLEFT, htToLeft},
        {TVHT_TORIGHT, htToRight}};
    for (const auto& [flag, test] : kFlags)
        if (info.flags & flag) result.Include(test);
    if (info.flags & TVHT_ONITEM) result.Include(htOnItem);
    return result;
}

bool TCustomTreeView::IsEditing() const {
    return HandleAllocated() && SendMessage(Window(), TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TCustomTreeView::FullExpand() {
    for (TTreeNode* root : std::vector<TTreeNode*>(nodes_->roots_))
        root->Expand(true);
}

void TCustomTreeView::FullCollapse() {
    for (TTreeNode* root : std::vector<TTreeNode*>(nodes_->roots_))
        root->Collapse(true);
}

bool TCustomTreeView::CanChange(TTreeNode* node) {
    bool allow = true;
    if (OnChanging) OnChanging(this, node, allow);
    return allow;
}

void TCustomTreeView::Change(TTreeNode* node) {
    if (OnChange) OnChange(this, node);
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(this, node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
    if (OnExpanded) OnExpanded(this, node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
    bool allow = true;
    if (OnCollapsing) OnCollapsing(this, node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
    if (OnCollapsed) OnCollapsed(this, node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node) {
    if (readOnly_) return false;
    bool allow = true;
    if (OnEditing) OnEditing(this, node, allow);
    return allow;
}

void TCustomTreeView::Edit(TTreeNode* node, std::string& text) {
    if (OnEdited) OnEdited(this, node, text);
}

void TCustomTreeView::Delete(TTreeNode* node) {
    if (OnDeletion) OnDeletion(this, node);
}

void TCustomTreeView::GetImageIndex(TTreeNode* node) {
    if (OnGetImageIndex) OnGetImageIndex(this, node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* node) {
    if (OnGetSelectedIndex) OnGetSelectedIndex(this, node);
}

void TCustomTreeView::DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
    TWinControl::DragOver(source, x, y, state, accept);
    SetDropTarget(state == dsDragLeave || !accept ? nullptr : GetNodeAt(x, y));
}

void TCustomTreeView::DragDrop(TObject* source, Integer x, Integer y) {
    // OnDragDrop still sees the node it landed on.
    TWinControl::DragDrop(source, x, y);
    SetDropTarget(nullptr);
}

void TCustomTreeView::DoStartDrag() {
    // The press that began the drag is not the click that edits a selected label.
    if (HandleAllocated()) SendMessage(Handle(), WM_CANCELMODE, 0, 0);
    TWinControl::DoStartDrag();
}

void TCustomTreeView::DoEndDrag(TObject* target, Integer x, Integer y) {
    TWinControl::DoEndDrag(target, x, y);
    SetDropTarget(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Notifications of the platform's tree

bool TCustomTreeView::ExpandingNotification(const NMTREEVIEW& info) {
    TTreeNode* node = NodeOf(info.itemNew);
    if (programExpanding_ || !node) return true;
    return info.action == TVE_EXPAND ? CanExpand(node) : CanCollapse(node);
}

void TCustomTreeView::ExpandedNotification(const NMTREEVIEW& info) {
    TTreeNode* node = NodeOf(info.itemNew);
    if (programExpanding_ || !node) return;
    node->expanded_ = info.action == TVE_EXPAND;
    node->expanded_ ? Expand(node) : Collapse(node);
}

void TCustomTreeView::SelectionNotification(const NMTREEVIEW& info) {
    TTreeNode* node = NodeOf(info.itemNew);
    selected_ = node;
    if (!recreating_) Change(node);
}

bool TCustomTreeView::EndEditNotification(const NMTVDISPINFO& info) {
    TTreeNode* node = NodeOf(info.item);
    if (!node || !info.item.pszText) return false;
    std::string text = info.item.pszText;
    Edit(node, text);
    // The node may have gone in OnEdited.
    if (!text.empty() && nodes_->Count() > 0) {
        for (TTreeNode* n = nodes_->GetFirstNode(); n; n = n->GetNext())
            if (n == node) {
                node->SetText(text);
                break;
            }
    }
    return false;
}

void TCustomTreeView::Notify(TMessage& message) {
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    message.Result = 0;
    switch (header->code) {
        case TVN_ITEMEXPANDING:
            message.Result = ExpandingNotification(*reinterpret_cast<const NMTREEVIEW*>(header)) ? 0 : 1;
            return;
        case TVN_ITEMEXPANDED:
            ExpandedNotification(*reinterpret_cast<const NMTREEVIEW*>(header));
            return;
        case TVN_SELCHANGING: {
            TTreeNode* node = NodeOf(reinterpret_cast<const NMTREEVIEW*>(header)->itemNew);
            message.Result = recreating_ || CanChange(node) ? 0 : 1;
            return;
        }
        case TVN_SELCHANGED:
            SelectionNotification(*reinterpret_cast<const NMTREEVIEW*>(header));
            return;
        case TVN_DELETEITEM: {
            // Deletions the tree did not start (none today) still free their nodes.
            TTreeNode* node = NodeOf(reinterpret_cast<const NMTREEVIEW*>(header)->itemOld);
            if (recreating_ || !node || node->deleting_) return;
            node->item_ = nullptr;
            nodes_->Delete(node);
            return;
        }
        case TVN_BEGINLABELEDIT: {
            TTreeNode* node = NodeOf(reinterpret_cast<const NMTVDISPINFO*>(header)->item);
            message.Result = node && CanEdit(node) ? 0 : 1;
            return;
        }
        case TVN_ENDLABELEDIT:
            message.Result = EndEditNotification(*reinterpret_cast<const NMTVDISPINFO*>(header)) ? 1 : 0;
            return;
        default:
            return;
    }
}

void TCustomTreeView::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CN_NOTIFY:
            Notify(message);
            return;
        case CM_FONTCHANGED:
            TWinControl::WndProc(message);
            if (HandleAllocated())
                SendMessage(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEMOVE:
            // The platform's tree selects and expands; the framework then raises the mouse events.
            if (!Designing()) DefaultHandler(message);
            TWinControl::WndProc(message);
            return;
        default:
            break;
    }
    TWinControl::WndProc(message);
}

}  // namespace vcl
