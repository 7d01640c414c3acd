// The icons of a file (an icon file, a program or a library), one item per icon with its index as
// text, for choosing one: as a drop-down (TZylIconCombo) or as rows of icons (TZylIconListbox).
#pragma once

#include <memory>
#include <string>

#include "vcl/graphics.h"
#include "vcl/stdctrls.h"

namespace pellic {

// What both icon lists know of their file.
class TZylIconFile {
public:
    TZylIconFile();

    const std::string& FileName() const { return fileName_; }
    // Reads the number of icons; -1 when the file does not exist, 0 for a file without icons.
    void SetFileName(const std::string& value);
    vcl::Integer NumberOfIcons() const { return numberOfIcons_; }
    // The icon at `index` (the caller owns it), or null.
    win32::HICON Extract(vcl::Integer index) const;
    // Fills `items` with one entry per icon, "0", "1", ...
    void List(vcl::TStrings* items) const;
    // Draws icon `index` centred in `rect`; nothing when there is none.
    void DrawCentred(vcl::TCanvas* canvas, vcl::Integer index, const vcl::TRect& rect) const;

private:
    void Count();

    std::string fileName_;
    vcl::Integer numberOfIcons_ = -1;
};

// What both icon lists share on their list control: the file, the selected icon, and the rows
// filled from the file and painted with its icons.
template <typename Base>
class TZylIconListControl : public Base {
public:
    ~TZylIconListControl() override;

    const std::string& FileName() const { return file_.FileName(); }
    // Lists the new file's icons, selects the first and fires OnFileChange.
    void SetFileName(const std::string& value);
    vcl::Integer IconIndex() const { return this->ItemIndex(); }
    void SetIconIndex(vcl::Integer value) { this->SetItemIndex(value); }
    // The selected icon, extracted on every read; empty when nothing is selected.
    vcl::TIcon* Icon();
    vcl::Integer NumberOfIcons() const { return file_.NumberOfIcons(); }
    // Lists the file's icons again and selects the first.
    void SetIconDetails() { Refill(0); }

    vcl::TNotifyEvent OnFileChange;

protected:
    explicit TZylIconListControl(vcl::TComponent* owner);
    // Lists the file's icons and selects `index` (the first when out of range).
    void ShowIcons(vcl::Integer index);
    // The same after reading the file again: it may have changed since.
    void Refill(vcl::Integer index);
    void CreateWnd() override;
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;

private:
    TZylIconFile file_;
    std::unique_ptr<vcl::TIcon> icon_;
};

class TZylIconCombo : public TZylIconListControl<vcl::TCustomComboBox> {
    VCL_DECLARE_CLASS(TZylIconCombo, TZylIconListControl<vcl::TCustomComboBox>)
public:
    explicit TZylIconCombo(vcl::TComponent* owner);

    static void Publish(vcl::Published<TZylIconCombo>& p) {
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 5);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FileName", &TZylIconCombo::FileName, &TZylIconCombo::SetFileName);
        p.Property("IconIndex", &TZylIconCombo::IconIndex, &TZylIconCombo::SetIconIndex, 0);
        PublishParentColor(p, false);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        p.Event<vcl::TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishDragEvents(p);
        p.Event<vcl::TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        p.Event<vcl::TNotifyEvent>("OnFileChange", &TZylIconCombo::OnFileChange);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void MeasureItem(vcl::Integer index, vcl::Integer& height) override;
};

class TZylIconListbox : public TZylIconListControl<vcl::TCustomListBox> {
    VCL_DECLARE_CLASS(TZylIconListbox, TZylIconListControl<vcl::TCustomListBox>)
public:
    explicit TZylIconListbox(vcl::TComponent* owner);

    // Icons per row and rows shown; values of 0 or less are ignored.
    vcl::Integer XIcons() const { return xIcons_; }
    void SetXIcons(vcl::Integer value);
    vcl::Integer YIcons() const { return yIcons_; }
    void SetYIcons(vcl::Integer value);

    static void Publish(vcl::Published<TZylIconListbox>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        p.Property("FileName", &TZylIconListbox::FileName, &TZylIconListbox::SetFileName);
        p.Property("IconIndex", &TZylIconListbox::IconIndex, &TZylIconListbox::SetIconIndex, 0);
        PublishParentColor(p, false);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Property("XIcons", &TZylIconListbox::XIcons, &TZylIconListbox::SetXIcons, 4);
        p.Property("YIcons", &TZylIconListbox::YIcons, &TZylIconListbox::SetYIcons, 1);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        p.Event<vcl::TNotifyEvent>("OnFileChange", &TZylIconListbox::OnFileChange);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void CreateParams(vcl::TCreateParams& params) override;
    void MeasureItem(vcl::Integer index, vcl::Integer& height) override;

private:
    void ResetSize();

    vcl::Integer xIcons_ = 4;
    vcl::Integer yIcons_ = 1;
};

}  // namespace pellic
