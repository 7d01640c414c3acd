// List boxes and combo boxes: TCustomListBox/TListBox and TCustomComboBox/TComboBox.
//
// Both keep their items in the control object, so Items works before the window exists and survives
// RecreateWnd. The windows answer the LB_* / CB_* messages with the system's semantics and tell their
// parent what the system's controls tell it (WM_COMMAND with LBN_* / CBN_*); the parent reflects the
// notification back as CN_COMMAND, where the framework's events fire.
//
// A combo box's list is a TCustomListBox as well: a popup window on the screen for the drop-down
// styles, a child window below the edit part for csSimple. CB_* messages are answered from it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/controls.h"
#include "vcl/stdctrls_edit.h"

#include "win32/controls.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// Enumerations and events

enum class TListBoxStyle : uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
VCL_ENUM_NAMES(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable")
using enum TListBoxStyle;

enum class TComboBoxStyle : uint8_t {
    csDropDown,
    csSimple,
    csDropDownList,
    csOwnerDrawFixed,
    csOwnerDrawVariable
};
VCL_ENUM_NAMES(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
               "csOwnerDrawVariable")
using enum TComboBoxStyle;

// The bits follow ODS_*: odSelected is ODS_SELECTED (bit 0) ... odComboBoxEdit is ODS_COMBOBOXEDIT.
enum class TOwnerDrawStateFlag : uint8_t {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit,
};
VCL_ENUM_NAMES(TOwnerDrawStateFlag, "odSelected", "odGrayed", "odDisabled", "odChecked", "odFocused",
               "odDefault", "odHotLight", "odInactive", "odNoAccel", "odNoFocusRect", "odReserved1",
               "odReserved2", "odComboBoxEdit")
using enum TOwnerDrawStateFlag;
using TOwnerDrawState = Set<TOwnerDrawStateFlag>;

// ODS_* bits of a DRAWITEMSTRUCT and back.
TOwnerDrawState OwnerDrawStateFromBits(win32::UINT itemState);
win32::UINT OwnerDrawStateToBits(TOwnerDrawState state);

using TDrawItemEvent =
    std::function<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, Integer Index, Integer& Height)>;

class TCustomComboBox;

// ---------------------------------------------------------------------------------------------
// TCustomListBox

class TCustomListBox : public TWinControl {
    VCL_DECLARE_CLASS(TCustomListBox, TWinControl)
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    // The strings with their objects (the objects are the items' data); index errors raise
    // EStringListError "List index out of bounds (%d)". On a Sorted list Add puts the string in order.
    TStrings* Items() const { return items_.get(); }
    void SetItems(const TStrings* value);
    void Clear();

    // -1 for none. In a multi-select list the item with the focus rectangle; setting an index out of
    // range clears the selection, as LB_SETCURSEL does.
    Integer ItemIndex() const;
    void SetItemIndex(Integer value);
    Integer Count() const { return static_cast<Integer>(entries_.size()); }
    // Raise EListError "List index out of bounds (%d)" for an index out of range.
    bool Selected(Integer index) const;
    void SetSelected(Integer index, bool value);
    // -1 for a single-select list, as LB_GETSELCOUNT answers.
    Integer SelCount() const;
    Integer TopIndex() const { return topIndex_; }
    void SetTopIndex(Integer value);

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle value);
    // The standard style's rows are as high as the font's text; owner-draw styles use ItemHeight.
    Integer ItemHeight() const;
    void SetItemHeight(Integer value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool value);
    bool ExtendedSelect() const { return extendedSelect_; }
    void SetExtendedSelect(bool value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool value);
    // More than 0: items flow in that many columns across the client width, scrolling sideways.
    Integer Columns() const { return columns_; }
    void SetColumns(Integer value);
    bool IntegralHeight() const { return integralHeight_; }
    void SetIntegralHeight(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);

    // The item at a client point; -1 (existing) or the count (not existing) when none is there.
    Integer ItemAtPos(TPoint pos, bool existing) const;
    // The row of an item in client coordinates (also for rows scrolled out of view); raises
    // EListError for an index out of range (the count itself is allowed: the row after the last).
    TRect ItemRect(Integer index) const;

    void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
    void WndProc(TMessage& message) override;

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void PaintWindow(win32::HDC dc) override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
    void MouseMove(TShiftState shift, Integer x, Integer y) override;
    void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
    void Loaded() override;

    // Paints one row on Canvas; the default fills it and writes the text (OnDrawItem when assigned).
    virtual void DrawItem(Integer index, TRect rect, TOwnerDrawState state);
    // The height of a row of an lbOwnerDrawVariable list (OnMeasureItem when assigned).
    virtual void MeasureItem(Integer index, Integer& height);
    // The selection changed by the user: LBN_SELCHANGE to the parent.
    virtual void SelectionChangedByUser();
    // The canvas rows are painted on (valid while painting).
    TCanvas* Canvas() const { return canvas_.get(); }
    bool IsOwnerDraw() const { return style_ != lbStandard; }
    // WM_COMMAND with the notification to the parent window.
    virtual void NotifyParent(Word code);

private:
    friend class TListBoxStrings;
    friend class TCustomComboBox;
    friend class TComboListBox;

    struct Entry {
        std::string text;
        win32::LPARAM data = 0;
        Integer height = 0;
        bool selected = false;
    };

    // Item storage, shared by the strings object and the messages.
    Integer InsertEntry(Integer index, const std::string& text, win32::LPARAM data);
    Integer AddEntry(const std::string& text, win32::LPARAM data);
    void DeleteEntry(Integer index);
    void ResetContent();
    Integer SortedPosition(const std::string& text) const;
    Integer MeasureEntry(Integer index);
    void RemeasureAll();

    // Geometry
    Integer StandardItemHeight() const;
    Integer RowHeight(Integer index) const;
    Integer RowsPerColumn() const;
    Integer ColumnWidth() const;
    Integer FullyVisibleRows() const;
    Integer LastTopIndex() const;
    Integer ItemFromPoint(TPoint pos, bool& outside) const;
    void ScrollIntoView(Integer index);
    void SetTopIndexInternal(Integer value);
    void UpdateScrollBar();
    void HandleScroll(Word code, Integer thumb);

    // Selection
    bool IsMulti() const { return multiSelect_; }
    bool IsExtended() const { return multiSelect_ && extendedSelect_; }
    void SetCurSelInternal(Integer index);
    bool SelectRange(Integer first, Integer last, bool select);
    void MoveCaretByUser(Integer index, TShiftState shift);
    void SelectByUser(Integer index, TShiftState shift, bool fromMouse);
    Integer FindString(Integer start, std::string_view text, bool exact) const;
    void InvalidateItem(Integer index);
    void StopAutoScroll();

    win32::LRESULT HandleListMessage(TMessage& message, bool& handled);
    // Steps of WndProc.
    void ShowFocusChange(Word notification);
    void ScrollByBar(int bar, Word code);
    bool ScrollByWheel(win32::SHORT delta);
    void FitToNewSize();
    void AutoScrollTick();
    void StopTracking();
    void FollowFont();
    void FireNotificationEvent(Word code);
    // CN_DRAWITEM and CN_MEASUREITEM: a row through DrawItem and MeasureItem.
    void DrawItemOnCanvas(TMessage& message);
    void MeasureItemFor(TMessage& message);
    win32::HWND WindowHandleOrNull() const;
    void PaintRow(win32::HDC dc, Integer index, const TRect& rect);
    // The row painted as selected in a single-select list (a combo's list shows the row under the mouse).
    virtual Integer HighlightIndex() const { return curSel_; }

    std::unique_ptr<TStrings> items_;
    std::unique_ptr<TControlCanvas> canvas_;
    std::vector<Entry> entries_;
    TListBoxStyle style_ = lbStandard;
    TBorderStyle borderStyle_ = bsSingle;
    Integer itemHeight_ = 16;
    Integer columns_ = 0;
    Integer topIndex_ = 0;
    Integer curSel_ = -1;  // single selection
    Integer caret_ = -1;   // the focus rectangle
    Integer anchor_ = -1;  // extended selection
    bool multiSelect_ = false;
    bool extendedSelect_ = true;
    bool sorted_ = false;
    bool integralHeight_ = false;
    bool tracking_ = false;         // left button down inside, selection follows the mouse
    bool trackSelectState_ = true;  // Ctrl-drag in an extended list selects or deselects
    bool autoScrollTimer_ = false;
    bool updating_ = false;
    bool updatingScrollBar_ = false;
    mutable Integer standardHeight_ = 0;  // the font's text height, measured once per font
    mutable win32::HFONT standardHeightFont_ = nullptr;
    TPoint lastMouse_{0, 0};
    TShiftState trackShift_;
};

class TListBox : public TCustomListBox {
    VCL_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}

    static void Publish(Published<TListBox>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        p.Property("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle, bsSingle);
        PublishColor(p, clWindow);
        p.Property("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns, 0);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect,
                   true);
        PublishFont(p);
        p.Property("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight,
                   false);
        p.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16);
        p.Property("Items", &TCustomListBox::Items);
        p.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, false);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, false);
        p.Property("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle, lbStandard);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        p.Event<TNotifyEvent>("OnDblClick", &TControl::OnDblClick);
        PublishDragEvents(p);
        p.Event<TDrawItemEvent>("OnDrawItem", &TCustomListBox::OnDrawItem);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<TMeasureItemEvent>("OnMeasureItem", &TCustomListBox::OnMeasureItem);
        p.Event<TMouseEvent>("OnMouseDown", &TControl::OnMouseDown);
        p.Event<TMouseMoveEvent>("OnMouseMove", &TControl::OnMouseMove);
        p.Event<TMouseEvent>("OnMouseUp", &TControl::OnMouseUp);
    }
};

// ---------------------------------------------------------------------------------------------
// TCustomComboBox

class TComboListBox;

class TCustomComboBox : public TCustomControl {
    VCL_DECLARE_CLASS(TCustomComboBox, TCustomControl)
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    // The strings with their objects; index errors raise EStringListError.
    TStrings* Items() const;
    void SetItems(const TStrings* value);
    void Clear();

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle value);
    // -1 for none; an index out of range clears the selection and the text, as CB_SETCURSEL does.
    Integer ItemIndex() const;
    void SetItemIndex(Integer value);
    bool Sorted() const;
    void SetSorted(bool value);
    // The height of the list's rows and of the selection field (owner-draw styles: as set).
    Integer ItemHeight() const;
    void SetItemHeight(Integer value);
    // 0 is no limit.
    Integer MaxLength() const { return maxLength_; }
    void SetMaxLength(Integer value);
    Integer DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(Integer value);
    bool DroppedDown() const { return droppedDown_; }
    void SetDroppedDown(bool value);

    // The edit part's selection (byte offsets into the UTF-8 text, on character boundaries).
    Integer SelStart() const { return static_cast<Integer>(edit_.SelStart()); }
    void SetSelStart(Integer value);
    Integer SelLength() const { return static_cast<Integer>(edit_.SelEnd() - edit_.SelStart()); }
    void SetSelLength(Integer value);
    std::string SelText() const;
    void SetSelText(const std::string& value);
    void SelectAll();

    // The drop-down list's window (a popup on the screen while dropped; the list part for csSimple).
    TCustomListBox* ListBox() const;

    bool Focused() const override;
    void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
    void WndProc(TMessage& message) override;

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnSelect;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void DestroyWnd() override;
    void Paint() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
    void Loaded() override;
    TCaption GetText() const override;
    void SetTextValue(const TCaption& value) override;

    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(Integer index, TRect rect, TOwnerDrawState state);
    virtual void MeasureItem(Integer index, Integer& height);

private:
    friend class TComboListBox;

    bool IsOwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    bool HasEdit() const { return style_ == csDropDown || style_ == csSimple; }
    void NotifyParent(Word code);
    Integer EditHeight() const;
    TRect ButtonRect() const;
    TRect EditRect() const;
    void PlaceList();
    // Selection committed by the user or a message: text follows, CBN_SELCHANGE when `notify`.
    void ChangeSelection(Integer index, bool notify);
    void SetEditTextInternal(const std::string& text);
    void OpenList();
    // Closes the dropped list; `accept` keeps the highlighted row, otherwise the earlier selection.
    void CloseList(bool accept);
    void ListMouseTracking(TMessage& message);
    // The edit part
    void EditKey(Word key, TShiftState shift);
    void EditInsert(const std::string& text, bool typing);
    void EditChanged();
    void UpdateCaret();
    Integer TextWidthOf(std::string_view text) const;
    void PaintEdit(TCanvas* canvas, const TRect& rect);
    void PaintSelectionField(TCanvas* canvas, const TRect& rect);
    Integer TypeAheadFrom(Integer start, std::string_view letter) const;
    void CopyToClipboard();
    void PasteFromClipboard();
    // Steps of WndProc; the LRESULTs are the answers to the CB_* and WM_* messages.
    win32::LRESULT DeleteListItem(win32::WPARAM wParam, win32::LPARAM lParam);
    win32::LRESULT ClearItemsAndText();
    win32::LRESULT SelectionOrError() const;
    win32::LRESULT SelectItemStartingWith(Integer start, std::string_view prefix);
    win32::LRESULT ShowDropDown(bool show);
    win32::LRESULT ReportEditSelection(win32::DWORD* start, win32::DWORD* end) const;
    win32::LRESULT SetEditSelection(win32::LPARAM range);
    win32::LRESULT LimitEditText(win32::WPARAM limit);
    win32::LRESULT ItemHeightFor(win32::WPARAM wParam, win32::LPARAM lParam);
    win32::LRESULT SetItemHeightFor(win32::WPARAM wParam, win32::LPARAM lParam);
    win32::LRESULT GetDroppedControlRect(win32::RECT* rect);
    Integer EffectiveDroppedWidth() const;
    win32::LRESULT CopyTextTo(char* buffer, win32::WPARAM size) const;
    win32::LRESULT HandleSetText(std::string_view text);
    void StartEditingOnFocus();
    void EndEditingOnFocusLoss();
    void FollowFont();
    void FireNotificationEvent(Word code);

    std::unique_ptr<TComboListBox> list_;
    TEditEngine edit_;
    TComboBoxStyle style_ = csDropDown;
    Integer pendingItemIndex_ = -1;
    Integer maxLength_ = 0;
    Integer dropDownCount_ = 8;
    Integer indexBeforeDrop_ = -1;
    std::string textBeforeDrop_;
    Integer droppedWidth_ = 0;
    Integer selectionFieldHeight_ = 0;  // 0: from the item height
    bool droppedDown_ = false;
    bool trackingFromButton_ = false;
    bool mouseSelecting_ = false;
    bool extendedUI_ = false;
};

class TComboBox : public TCustomComboBox {
    VCL_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}

    static void Publish(Published<TComboBox>& p) {
        p.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle, csDropDown);
        PublishAnchors(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight, 16);
        p.Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex, -1);
        p.Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength, 0);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, false);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishText(p);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        p.Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        p.Event<TNotifyEvent>("OnCloseUp", &TCustomComboBox::OnCloseUp);
        p.Event<TNotifyEvent>("OnDblClick", &TControl::OnDblClick);
        PublishDragEvents(p);
        p.Event<TDrawItemEvent>("OnDrawItem", &TCustomComboBox::OnDrawItem);
        p.Event<TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event<TMeasureItemEvent>("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
        p.Event<TNotifyEvent>("OnSelect", &TCustomComboBox::OnSelect);
        // After ItemIndex and Text so that they are applied to the loaded items in Loaded.
        p.Property("Items", &TCustomComboBox::Items);
    }
};

}  // namespace vcl
