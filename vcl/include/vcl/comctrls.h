// Common controls: the plain-text rich edit, the status bar and the tree view.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <vector>

#include "vcl/classes.h"
#include "vcl/imglist.h"
#include "vcl/stdctrls_edit.h"
#include "win32/commctrl.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Rich edit (plain text: one set of attributes applies to the whole text)

enum class TAttributeType : uint8_t { atSelected, atDefaultText };
VCL_ENUM_NAMES(TAttributeType, "atSelected", "atDefaultText")
using enum TAttributeType;

class TCustomRichEdit;

// Character attributes of a rich edit; they read and write the control's font.
class TTextAttributes : public TPersistent {
    VCL_DECLARE_CLASS(TTextAttributes, TPersistent)
public:
    TTextAttributes(TCustomRichEdit* richEdit, TAttributeType type) : richEdit_(richEdit), type_(type) {}

    TAttributeType AttributeType() const { return type_; }
    TColor Color() const;
    void SetColor(TColor value);
    std::string Name() const;
    void SetName(const std::string& value);
    Integer Size() const;
    void SetSize(Integer value);
    Integer Height() const;
    void SetHeight(Integer value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles value);
    TFontPitch Pitch() const;
    void SetPitch(TFontPitch value);
    TFontCharset Charset() const;
    void SetCharset(TFontCharset value);

    // From a TFont or other text attributes.
    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    TCustomRichEdit* richEdit_;
    TAttributeType type_;
};

class TCustomRichEdit : public TCustomMemo {
    VCL_DECLARE_CLASS(TCustomRichEdit, TCustomMemo)
public:
    explicit TCustomRichEdit(TComponent* owner);
    ~TCustomRichEdit() override;

    TTextAttributes* DefAttributes() const { return defAttributes_.get(); }
    void SetDefAttributes(const TTextAttributes* value) { defAttributes_->Assign(value); }
    TTextAttributes* SelAttributes() const { return selAttributes_.get(); }
    void SetSelAttributes(const TTextAttributes* value) { selAttributes_->Assign(value); }
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool value) { plainText_ = value; }
    bool HideScrollBars() const { return hideScrollBars_; }
    void SetHideScrollBars(bool value) { hideScrollBars_ = value; }

    // The position of `text` from startPos within length bytes; -1 when absent.
    Integer FindText(const std::string& text, Integer startPos, Integer length, bool matchCase = true) const;

private:
    std::unique_ptr<TTextAttributes> defAttributes_;
    std::unique_ptr<TTextAttributes> selAttributes_;
    bool plainText_ = false;
    bool hideScrollBars_ = true;
};

class TRichEdit : public TCustomRichEdit {
    VCL_CLASS(TRichEdit, TCustomRichEdit)
public:
    explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}

    static void Publish(Published<TRichEdit>& p) {
        PublishAlign(p);
        PublishMemoProperties(p);
        PublishAnchors(p);
        p.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("HideScrollBars", &TCustomRichEdit::HideScrollBars, &TCustomRichEdit::SetHideScrollBars,
                   true);
        p.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, true);
        p.Property("Lines", &TCustomMemo::Lines);
        p.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        p.Property("PlainText", &TCustomRichEdit::PlainText, &TCustomRichEdit::SetPlainText, false);
        PublishPopupMenu(p);
        PublishReadOnly(p);
        p.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, ssNone);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns, true);
        p.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs, false);
        p.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, true);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
};

// ---------------------------------------------------------------------------------------------
// Status bar

enum class TStatusPanelStyle : uint8_t { psText, psOwnerDraw };
VCL_ENUM_NAMES(TStatusPanelStyle, "psText", "psOwnerDraw")
using enum TStatusPanelStyle;

enum class TStatusPanelBevel : uint8_t { pbNone, pbLowered, pbRaised };
VCL_ENUM_NAMES(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")
using enum TStatusPanelBevel;

class TStatusBar;

class TStatusPanel : public TCollectionItem {
    VCL_DECLARE_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TStatusPanelBevel Bevel() const { return bevel_; }
    void SetBevel(TStatusPanelBevel value);
    TStatusPanelStyle Style() const { return style_; }
    void SetStyle(TStatusPanelStyle value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    Integer Width() const { return width_; }
    void SetWidth(Integer value);
    std::string DisplayName() const override;

    static void Publish(Published<TStatusPanel>& p) {
        p.Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment,
                   TAlignment::taLeftJustify);
        p.Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel, pbLowered);
        p.Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle, psText);
        p.Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
        p.Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
    }

private:
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TStatusPanelBevel bevel_ = pbLowered;
    TStatusPanelStyle style_ = psText;
    std::string text_;
    Integer width_ = 50;
};

class TStatusPanels : public TCollection {
    VCL_DECLARE_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* statusBar);

    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    // Raises EListError for an index out of range.
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* item) override;

private:
    TStatusBar* statusBar_;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
    VCL_DECLARE_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return panels_.get(); }
    void SetPanels(const TStatusPanels* value) { panels_->Assign(value); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);
    bool AutoHint() const { return autoHint_; }
    void SetAutoHint(bool value) { autoHint_ = value; }

    // The rectangle a panel occupies (inside its bevel), client coordinates; raises EListError.
    TRect PanelRect(int index) const;

    TDrawPanelEvent OnDrawPanel;
    TNotifyEvent OnHint;

    static void Publish(Published<TStatusBar>& p) {
        p.Property("Align", &TControl::Align, &TControl::SetAlign, alBottom);
        PublishAnchors(p);
        p.Property("AutoHint", &TStatusBar::AutoHint, &TStatusBar::SetAutoHint, false);
        PublishColor(p, clBtnFace);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("Panels", &TStatusBar::Panels);
        PublishParentColor(p, false);
        PublishParentFont(p, false);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false);
        p.Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
        p.Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true);
        PublishVisible(p);
        PublishMouseEvents(p);
        p.Event<TDrawPanelEvent>("OnDrawPanel", &TStatusBar::OnDrawPanel);
        p.Event<TNotifyEvent>("OnHint", &TStatusBar::OnHint);
        PublishOnResize(p);
    }

protected:
    void Paint() override;
    virtual void DrawPanel(TStatusPanel* panel, const TRect& rect);

private:
    void DrawBevel(TRect rect, TStatusPanelBevel bevel);
    void DrawPanelText(const std::string& text, TRect rect, TAlignment alignment);
    bool ShowsSizeGrip() const;

    std::unique_ptr<TStatusPanels> panels_;
    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
    bool autoHint_ = false;
};

// ---------------------------------------------------------------------------------------------
// Tree view: nodes kept by the framework and shown by the platform's tree control.

class TTreeNodes;
class TCustomTreeView;

enum class TNodeAttachMode : uint8_t { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
VCL_ENUM_NAMES(TNodeAttachMode, "naAdd", "naAddFirst", "naAddChild", "naAddChildFirst", "naInsert")
using enum TNodeAttachMode;

enum class TSortType : uint8_t { stNone, stData, stText, stBoth };
VCL_ENUM_NAMES(TSortType, "stNone", "stData", "stText", "stBoth")
using enum TSortType;

enum class THitTest : uint8_t {
    htAbove,
    htBelow,
    htNowhere,
    htOnItem,
    htOnButton,
    htOnIcon,
    htOnIndent,
    htOnLabel,
    htOnRight,
    htToLeft,
    htToRight
};
VCL_ENUM_NAMES(THitTest, "htAbove", "htBelow", "htNowhere", "htOnItem", "htOnButton", "htOnIcon",
               "htOnIndent", "htOnLabel", "htOnRight", "htToLeft", "htToRight")
using enum THitTest;
using THitTests = Set<THitTest>;

// A node of a tree view. Nodes are made and freed by their TTreeNodes; Delete frees the node
// with its subtree, raising the tree's OnDeletion for each node, children first.
class TTreeNode : public TPersistent {
    VCL_DECLARE_CLASS(TTreeNode, TPersistent)
public:
    explicit TTreeNode(TTreeNodes* owner) : owner_(owner) {}
    ~TTreeNode() override;

    TTreeNodes* Owner() const { return owner_; }
    TCustomTreeView* TreeView() const;
    win32::HTREEITEM ItemId() const { return item_; }

    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    void* Data() const { return data_; }
    void SetData(void* value) { data_ = value; }
    Integer ImageIndex() const { return imageIndex_; }
    void SetImageIndex(Integer value);
    Integer SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(Integer value);
    // Shows an expand button before the children are there (lazy children).
    bool HasChildren() const;
    void SetHasChildren(bool value);
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool value) { value ? Expand(false) : Collapse(false); }
    // Ask the tree first (CanExpand / CanCollapse); recurse does the same for every descendant.
    void Expand(bool recurse);
    void Collapse(bool recurse);
    bool Selected() const;
    void SetSelected(bool value);
    bool DropTarget() const;
    void SetDropTarget(bool value);
    bool Deleting() const { return deleting_; }

    TTreeNode* Parent() const { return parent_; }
    Integer Level() const;
    Integer Count() const { return static_cast<Integer>(children_.size()); }
    // Raises EListError for an index out of range.
    TTreeNode* Item(Integer index) const;
    Integer Index() const;
    Integer AbsoluteIndex() const;
    TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front(); }
    TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // Depth first through the whole tree.
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    TTreeNode* GetNextVisible() const;
    TTreeNode* GetPrevVisible() const;
    bool HasAsParent(const TTreeNode* value) const;
    bool IsVisible() const;
    void MakeVisible();
    // Client coordinates; an empty rectangle while the node is hidden.
    TRect DisplayRect(bool textOnly) const;

    // Starts in-place editing of the label (the tree must not be ReadOnly); false when refused.
    bool EditText();
    void EndEdit(bool cancel);
    void Delete();
    void DeleteChildren();
    // Sorts the children by text without regard to case, or by the tree's OnCompare when set.
    bool AlphaSort();
    // Moves the node with its subtree; not below itself.
    void MoveTo(TTreeNode* destination, TNodeAttachMode mode);

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    void PushState();

    TTreeNodes* owner_;
    TTreeNode* parent_ = nullptr;
    std::vector<TTreeNode*> children_;
    win32::HTREEITEM item_ = nullptr;
    std::string text_;
    void* data_ = nullptr;
    Integer imageIndex_ = -1;
    Integer selectedIndex_ = -1;
    bool hasChildren_ = false;
    bool expanded_ = false;
    bool deleting_ = false;
};

class TTreeNodes : public TPersistent {
    VCL_DECLARE_CLASS(TTreeNodes, TPersistent)
public:
    explicit TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}
    ~TTreeNodes() override;

    TCustomTreeView* Owner() const { return owner_; }
    // Every node, depth first.
    Integer Count() const;
    // The node at an absolute index; raises EListError out of range.
    TTreeNode* Item(Integer index) const;
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front(); }
    const std::vector<TTreeNode*>& Roots() const { return roots_; }

    // A sibling of `sibling` (a top-level node for nullptr), last or first among them.
    TTreeNode* Add(TTreeNode* sibling, const std::string& text) { return AddObject(sibling, text, nullptr); }
    TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, void* data);
    TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
    // A child of `parent` (top level for nullptr), last or first.
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text) {
        return AddChildObject(parent, text, nullptr);
    }
    TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data);
    TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
    // Before `sibling` (at the end of the top level for nullptr).
    TTreeNode* Insert(TTreeNode* sibling, const std::string& text) {
        return InsertObject(sibling, text, nullptr);
    }
    TTreeNode* InsertObject(TTreeNode* sibling, const std::string& text, void* data);
    void Delete(TTreeNode* node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    Integer UpdateCount() const { return updateCount_; }

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    TTreeNode* Attach(TTreeNode* relative, const std::string& text, void* data, TNodeAttachMode mode);
    void Link(TTreeNode* node, TTreeNode* parent, size_t position);
    void Unlink(TTreeNode* node);
    std::vector<TTreeNode*>& SiblingsOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }
    // Puts the node and its subtree into the platform's tree after `after` (an item or TVI_*).
    void InsertItems(TTreeNode* node, win32::HTREEITEM after);
    void DestroyNode(TTreeNode* node);

    TCustomTreeView* owner_;
    std::vector<TTreeNode*> roots_;
    Integer updateCount_ = 0;
};

using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::string& S)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVCompareEvent =
    std::function<void(TObject* Sender, TTreeNode* Node1, TTreeNode* Node2, Integer Data, Integer& Compare)>;

// The tree view. Expanding and collapsing by the user or by the program ask CanExpand /
// CanCollapse (OnExpanding / OnCollapsing) first and tell Expand / Collapse after; selecting asks
// CanChange (OnChanging) and tells Change (OnChange). While ReadOnly is off, a click on the label
// of the selected node (after the double-click time) or EditText starts editing the label:
// OnEditing may refuse, OnEdited may change the text, an empty text is refused. While a drag is
// over the tree, the node under the mouse is the DropTarget.
class TCustomTreeView : public TWinControl {
    VCL_DECLARE_CLASS(TCustomTreeView, TWinControl)
public:
    explicit TCustomTreeView(TComponent* owner);
    ~TCustomTreeView() override;

    TTreeNodes* Items() const { return nodes_.get(); }
    void SetItems(const TTreeNodes* value) { nodes_->Assign(value); }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);
    TTreeNode* Selected() const { return selected_; }
    void SetSelected(TTreeNode* value);
    TTreeNode* DropTarget() const { return dropTarget_; }
    void SetDropTarget(TTreeNode* value);
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* value);
    Integer Indent() const { return indent_; }
    void SetIndent(Integer value);
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool value) { SetStyleFlag(showButtons_, value); }
    bool ShowLines() const { return showLines_; }
    void SetShowLines(bool value) { SetStyleFlag(showLines_, value); }
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool value) { SetStyleFlag(showRoot_, value); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { SetStyleFlag(readOnly_, value); }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value) { SetStyleFlag(hideSelection_, value); }
    TSortType SortType() const { return sortType_; }
    void SetSortType(TSortType value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);

    // The node whose row holds the point, wherever in the row (indent, button, icon, label or the
    // space right of it); GetHitTestInfoAt tells where.
    TTreeNode* GetNodeAt(Integer x, Integer y) const;
    THitTests GetHitTestInfoAt(Integer x, Integer y) const;
    bool IsEditing() const;
    void FullExpand();
    void FullCollapse();
    bool AlphaSort();

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVExpandedEvent OnDeletion;
    TTVExpandedEvent OnGetImageIndex;
    TTVExpandedEvent OnGetSelectedIndex;
    TTVCompareEvent OnCompare;

    void WndProc(TMessage& message) override;

    template <typename T>
    static void PublishTreeViewProperties(Published<T>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        p.Property("BorderStyle", &TCustomTreeView::BorderStyle, &TCustomTreeView::SetBorderStyle, bsSingle);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("HideSelection", &TCustomTreeView::HideSelection, &TCustomTreeView::SetHideSelection,
                   true);
        p.Property("Images", &TCustomTreeView::Images, &TCustomTreeView::SetImages);
        p.Property("Indent", &TCustomTreeView::Indent, &TCustomTreeView::SetIndent, 19);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ReadOnly", &TCustomTreeView::ReadOnly, &TCustomTreeView::SetReadOnly, false);
        p.Property("ShowButtons", &TCustomTreeView::ShowButtons, &TCustomTreeView::SetShowButtons, true);
        PublishShowHint(p);
        p.Property("ShowLines", &TCustomTreeView::ShowLines, &TCustomTreeView::SetShowLines, true);
        p.Property("ShowRoot", &TCustomTreeView::ShowRoot, &TCustomTreeView::SetShowRoot, true);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
    }
    template <typename T>
    static void PublishTreeViewEvents(Published<T>& p) {
        p.template Event<TTVChangedEvent>("OnChange", &TCustomTreeView::OnChange);
        p.template Event<TTVChangingEvent>("OnChanging", &TCustomTreeView::OnChanging);
        p.template Event<TTVExpandedEvent>("OnCollapsed", &TCustomTreeView::OnCollapsed);
        p.template Event<TTVCollapsingEvent>("OnCollapsing", &TCustomTreeView::OnCollapsing);
        p.template Event<TTVEditedEvent>("OnEdited", &TCustomTreeView::OnEdited);
        p.template Event<TTVEditingEvent>("OnEditing", &TCustomTreeView::OnEditing);
        p.template Event<TTVExpandedEvent>("OnExpanded", &TCustomTreeView::OnExpanded);
        p.template Event<TTVExpandingEvent>("OnExpanding", &TCustomTreeView::OnExpanding);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void BeforeDestruction() override;
    void Notification(TComponent* component, TOperation operation) override;
    void DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept) override;
    void DragDrop(TObject* source, Integer x, Integer y) override;
    void DoStartDrag() override;
    void DoEndDrag(TObject* target, Integer x, Integer y) override;

    virtual bool CanChange(TTreeNode* node);
    virtual void Change(TTreeNode* node);
    virtual bool CanExpand(TTreeNode* node);
    virtual void Expand(TTreeNode* node);
    virtual bool CanCollapse(TTreeNode* node);
    virtual void Collapse(TTreeNode* node);
    virtual bool CanEdit(TTreeNode* node);
    virtual void Edit(TTreeNode* node, std::string& text);
    // A node is going: raises OnDeletion while it is still whole.
    virtual void Delete(TTreeNode* node);
    virtual void GetImageIndex(TTreeNode* node);
    virtual void GetSelectedIndex(TTreeNode* node);
    virtual Integer CompareNodes(TTreeNode* a, TTreeNode* b);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    void SetStyleFlag(bool& flag, bool value);
    // The window for questions that change nothing; callers have checked HandleAllocated.
    win32::HWND Window() const { return const_cast<TCustomTreeView*>(this)->Handle(); }
    void Notify(TMessage& message);
    bool ExpandingNotification(const win32::NMTREEVIEW& info);
    void ExpandedNotification(const win32::NMTREEVIEW& info);
    void SelectionNotification(const win32::NMTREEVIEW& info);
    bool EndEditNotification(const win32::NMTVDISPINFO& info);
    void ImagesChanged(TObject* sender);
    void SortByType(TTreeNode* parent);

    std::unique_ptr<TTreeNodes> nodes_;
    std::unique_ptr<TChangeLink> imageLink_;
    TCustomImageList* images_ = nullptr;
    TTreeNode* selected_ = nullptr;
    TTreeNode* dropTarget_ = nullptr;
    Integer indent_ = 19;
    bool showButtons_ = true;
    bool showLines_ = true;
    bool showRoot_ = true;
    bool readOnly_ = false;
    bool hideSelection_ = true;
    TSortType sortType_ = stNone;
    TBorderStyle borderStyle_ = bsSingle;
    // The tree changes state on the program's word, not the user's: no second asking.
    bool programExpanding_ = false;
    bool recreating_ = false;
};

class TTreeView : public TCustomTreeView {
    VCL_CLASS(TTreeView, TCustomTreeView)
public:
    explicit TTreeView(TComponent* owner) : TCustomTreeView(owner) {}

    static void Publish(Published<TTreeView>& p) {
        PublishTreeViewProperties(p);
        p.Property("SortType", &TCustomTreeView::SortType, &TCustomTreeView::SetSortType, stNone);
        PublishTreeViewEvents(p);
        p.template Event<TTVExpandedEvent>("OnDeletion", &TCustomTreeView::OnDeletion);
        p.template Event<TTVExpandedEvent>("OnGetImageIndex", &TCustomTreeView::OnGetImageIndex);
        p.template Event<TTVExpandedEvent>("OnGetSelectedIndex", &TCustomTreeView::OnGetSelectedIndex);
        p.template Event<TTVCompareEvent>("OnCompare", &TCustomTreeView::OnCompare);
    }
};

}  // namespace vcl
