// A column header whose section borders the user drags, and a multi-column list under such a header:
// each line of the list holds the texts of its columns separated by a delimiter, drawn at the widths
// of the header's sections.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace lumaro {

// A section's width while (OnSizing) or after (OnSized) its right border is dragged.
using TZylSectionChange = std::function<void(vcl::TObject* Sender, Integer ASection, Integer AWidth)>;

class TZylHeaderStrings;

// ---------------------------------------------------------------------------------------------
// TZylHeader

// A row of captioned sections drawn in relief over an optional background. Dragging a border changes
// the width of the section left of it; the last section takes whatever room is left.
class TZylHeader : public TZylCustomControl {
    VCL_DECLARE_CLASS(TZylHeader, TZylCustomControl)
public:
    explicit TZylHeader(vcl::TComponent* owner);
    ~TZylHeader() override;

    bool AllowResize() const { return allowResize_; }
    void SetAllowResize(bool value) { allowResize_ = value; }
    vcl::TBorderStyle BorderStyle() const { return borderStyle_; }
    // bsSingle adds a window border; the window is made anew.
    void SetBorderStyle(vcl::TBorderStyle value);
    TZylFont3D* Font3D() const { return font3D_.get(); }
    // Copies the values of `value` (nullptr is ignored).
    void SetFont3D(TZylFont3D* value);
    // One string per section, its caption; the widths live beside them. Written with the form as a
    // list of NUL, width, NUL, caption strings.
    vcl::TStrings* Sections() const;
    // Keeps the widths of the sections whose captions stay in the same order.
    void SetSections(const vcl::TStrings* value);

    // The stored width; for the last section the room the others leave; 0 for an index outside.
    Integer GetWidth(Integer index) const;
    // Raises EStringListError for an index outside; a negative width is taken as 0.
    void SetWidth(Integer index, Integer width);
    // Whether a section shows pressed: the left button is held on it.
    bool Pressed() const { return pressed_; }

    TZylSectionChange OnSizing;
    TZylSectionChange OnSized;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylHeader>& p) {
        p.Property("AllowResize", &TZylHeader::AllowResize, &TZylHeader::SetAllowResize, true);
        p.Property("BorderStyle", &TZylHeader::BorderStyle, &TZylHeader::SetBorderStyle, vcl::bsNone);
        p.Property("Font3D", &TZylHeader::Font3D, &TZylHeader::SetFont3D);
        p.Property("Sections", &TZylHeader::Sections, &TZylHeader::SetSections);
        p.Event("OnSizing", &TZylHeader::OnSizing);
        p.Event("OnSized", &TZylHeader::OnSized);
        PublishAlign(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
    }

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void Paint() override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, Integer x, Integer y) override;
    void MouseMove(vcl::TShiftState shift, Integer x, Integer y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, Integer x, Integer y) override;
    virtual void Sizing(Integer section, Integer width);
    virtual void Sized(Integer section, Integer width);

private:
    friend class TZylHeaderStrings;
    // Finds the border under the pointer for WM_SETCURSOR; true when it shows the resize cursor.
    bool ShowResizeCursor();
    // The right edge of section `index` as the border search and the drag measure it.
    Integer BorderOf(Integer index) const;
    void EndDrag();

    std::unique_ptr<TZylHeaderStrings> sections_;
    std::unique_ptr<TZylFont3D> font3D_;
    bool allowResize_ = true;
    vcl::TBorderStyle borderStyle_ = vcl::bsNone;
    bool pressed_ = false;
    vcl::TPoint mouseDownPoint_{0, 0};
    // The border under the pointer (found while hovering) and, once dragged, the drag's state.
    bool canResize_ = false;
    bool dragging_ = false;
    Integer resizeSection_ = 0;
    Integer grabOffset_ = 0;
    vcl::TPoint hitTestPoint_{0, 0};
};

// ---------------------------------------------------------------------------------------------
// TZylHeaderList

class TZylHeaderListBox;

// A header over an owner-drawn list box on a panel. A line's parts, cut at Delimiter, are drawn in
// the header's columns and follow them when a border is dragged.
class TZylHeaderList : public vcl::TCustomPanel {
    VCL_DECLARE_CLASS(TZylHeaderList, vcl::TCustomPanel)
public:
    explicit TZylHeaderList(vcl::TComponent* owner);
    ~TZylHeaderList() override;

    TZylHeader* Header() const { return header_; }
    vcl::TListBox* ListBox() const;

    // Forwarded to the header.
    bool AllowResize() const { return header_->AllowResize(); }
    void SetAllowResize(bool value) { header_->SetAllowResize(value); }
    TZylBackground* HeaderBackground() const { return static_cast<TZylBackground*>(header_->Background()); }
    void SetHeaderBackground(TZylBackground* value) { header_->SetBackground(value); }
    TZylFont3D* HeaderFont3D() const { return header_->Font3D(); }
    void SetHeaderFont3D(TZylFont3D* value) { header_->SetFont3D(value); }
    vcl::TBorderStyle HeaderBorderStyle() const { return header_->BorderStyle(); }
    void SetHeaderBorderStyle(vcl::TBorderStyle value) { header_->SetBorderStyle(value); }
    vcl::TFont* HeaderFont() const { return header_->Font(); }
    bool IsHeaderFontStored() const { return !header_->ParentFont(); }
    Integer HeaderHeight() const { return header_->Height(); }
    void SetHeaderHeight(Integer value);
    bool HeaderVisible() const { return header_->Visible(); }
    void SetHeaderVisible(bool value);
    vcl::TStrings* HeaderSections() const { return header_->Sections(); }
    void SetHeaderSections(const vcl::TStrings* value) { header_->SetSections(value); }

    // Forwarded to the list box (published as Color, Cursor, Font, Hint, Items ...).
    TColor ListColor() const;
    void SetListColor(TColor value);
    vcl::TCursor ListCursor() const;
    void SetListCursor(vcl::TCursor value);
    vcl::TFont* ListFont() const;
    bool IsListFontStored() const;
    const std::string& ListHint() const;
    void SetListHint(const std::string& value);
    vcl::TStrings* Items() const;
    void SetItems(const vcl::TStrings* value);
    bool ExtendedSelect() const;
    void SetExtendedSelect(bool value);
    bool MultiSelect() const;
    void SetMultiSelect(bool value);
    bool Sorted() const;
    void SetSorted(bool value);
    bool ListTabStop() const;
    void SetListTabStop(bool value);
    Integer ItemHeight() const;
    void SetItemHeight(Integer value);
    // Written only for a style the owner paints: the standard style measures its rows itself.
    bool IsItemHeightStored() const { return listBoxStyle_ != vcl::lbStandard; }
    Integer ItemIndex() const;
    void SetItemIndex(Integer value);
    Integer TopIndex() const;
    void SetTopIndex(Integer value);
    // The list box's canvas (valid while a line is drawn).
    vcl::TCanvas* Canvas() const;

    // Forwarded to the list box and the header together.
    void SetEnabled(bool value) override;
    bool ListShowHint() const;
    void SetListShowHint(bool value);
    bool ListParentShowHint() const;
    void SetListParentShowHint(bool value);

    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor value);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char value);
    // A style other than lbStandard hands the drawing of the lines to OnDrawItem.
    vcl::TListBoxStyle ListBoxStyle() const { return listBoxStyle_; }
    void SetListBoxStyle(vcl::TListBoxStyle value);

    // Appends the values joined by Delimiter as one line; returns its index.
    Integer AddLine(const std::vector<std::string>& values);
    // Part `part` (0-based) of line `index` cut at Delimiter; empty past the last part or for a
    // negative part. Raises EStringListError for a line outside the list.
    std::string ItemPart(Integer index, Integer part) const;
    Integer ItemAtPos(vcl::TPoint pos, bool existing) const;
    void Clear();
    void SetFocus() override;
    // The header and the list box are parts of the list, never written as its children.
    void GetChildren(const std::function<void(vcl::TComponent*)>& proc, vcl::TComponent* root) override;

    // Draws the lines for a ListBoxStyle other than lbStandard (Control is the list box).
    vcl::TDrawItemEvent OnDrawItem;
    vcl::TMeasureItemEvent OnMeasureItem;
    // After a border of the header was dragged; Sender is the header.
    vcl::TNotifyEvent OnHeaderSized;
    // Forwarded to the header's OnSizing.
    TZylSectionChange OnHeaderSizing;

    static void Publish(vcl::Published<TZylHeaderList>& p) {
        p.Property("AllowResize", &TZylHeaderList::AllowResize, &TZylHeaderList::SetAllowResize, true);
        p.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, vcl::bvNone);
        p.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, vcl::bvRaised);
        p.Property("HeaderBackground", &TZylHeaderList::HeaderBackground,
                   &TZylHeaderList::SetHeaderBackground);
        p.Property("HeaderFont3D", &TZylHeaderList::HeaderFont3D, &TZylHeaderList::SetHeaderFont3D);
        p.Property("HeaderBorderStyle", &TZylHeaderList::HeaderBorderStyle,
                   &TZylHeaderList::SetHeaderBorderStyle, vcl::bsNone);
        p.Property("HeaderFont", &TZylHeaderList::HeaderFont).Stored(&TZylHeaderList::IsHeaderFontStored);
        p.Property("HeaderHeight", &TZylHeaderList::HeaderHeight, &TZylHeaderList::SetHeaderHeight, 25);
        p.Property("HeaderVisible", &TZylHeaderList::HeaderVisible, &TZylHeaderList::SetHeaderVisible, true);
        p.Property("HeaderSections", &TZylHeaderList::HeaderSections, &TZylHeaderList::SetHeaderSections);
        p.Property("Color", &TZylHeaderList::ListColor, &TZylHeaderList::SetListColor, vcl::clWhite)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("SelectedColor", &TZylHeaderList::SelectedColor, &TZylHeaderList::SetSelectedColor,
                   vcl::clHighlight)
            .TypeName("TColor")
            .Idents(vcl::ColorIdents());
        p.Property("Cursor", &TZylHeaderList::ListCursor, &TZylHeaderList::SetListCursor, vcl::crDefault)
            .Idents(vcl::CursorIdents());
        p.Property("Font", &TZylHeaderList::ListFont).Stored(&TZylHeaderList::IsListFontStored);
        p.Property("Hint", &TZylHeaderList::ListHint, &TZylHeaderList::SetListHint);
        p.Property("Items", &TZylHeaderList::Items, &TZylHeaderList::SetItems);
        p.Property("ExtendedSelect", &TZylHeaderList::ExtendedSelect, &TZylHeaderList::SetExtendedSelect,
                   true);
        p.Property("MultiSelect", &TZylHeaderList::MultiSelect, &TZylHeaderList::SetMultiSelect, false);
        p.Property("Sorted", &TZylHeaderList::Sorted, &TZylHeaderList::SetSorted, false);
        p.Property("TabStop", &TZylHeaderList::ListTabStop, &TZylHeaderList::SetListTabStop, true);
        PublishEnabled(p);
        p.Property("ShowHint", &TZylHeaderList::ListShowHint, &TZylHeaderList::SetListShowHint, false);
        p.Property("ParentShowHint", &TZylHeaderList::ListParentShowHint,
                   &TZylHeaderList::SetListParentShowHint, true);
        p.Property("ItemHeight", &TZylHeaderList::ItemHeight, &TZylHeaderList::SetItemHeight)
            .Stored(&TZylHeaderList::IsItemHeightStored);
        p.Property("Delimiter", &TZylHeaderList::Delimiter, &TZylHeaderList::SetDelimiter, ';');
        p.Property("ListBoxStyle", &TZylHeaderList::ListBoxStyle, &TZylHeaderList::SetListBoxStyle,
                   vcl::lbStandard);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
        p.Event("OnDrawItem", &TZylHeaderList::OnDrawItem);
        p.Event("OnMeasureItem", &TZylHeaderList::OnMeasureItem);
        p.Event("OnHeaderSized", &TZylHeaderList::OnHeaderSized);
        p.Event("OnHeaderSizing", &TZylHeaderList::OnHeaderSizing);
        PublishAlign(p);
        PublishPopupMenu(p);
        PublishTabOrder(p);
        PublishVisible(p);
        PublishOnResize(p);
    }

protected:
    void AlignControls(vcl::TControl* control, vcl::TRect& rect) override;
    // The panel's own clicks, keys and mouse moves are not the list's events: those come from the list box.
    void Click() override {}
    void DblClick() override {}
    void MouseDown(vcl::TMouseButton, vcl::TShiftState, Integer, Integer) override {}
    void MouseMove(vcl::TShiftState, Integer, Integer) override {}
    void MouseUp(vcl::TMouseButton, vcl::TShiftState, Integer, Integer) override {}

private:
    // Paints one line of the list box.
    void DrawLine(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state);
    void HeaderSized();
    // Hands the list box's events on as the list's own.
    void RelayListEvents();

    TZylHeader* header_;
    TZylHeaderListBox* listBox_;
    TColor selectedColor_ = vcl::clHighlight;
    char delimiter_ = ';';
    vcl::TListBoxStyle listBoxStyle_ = vcl::lbStandard;
};

}  // namespace lumaro
