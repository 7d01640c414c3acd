// Data-aware controls: an edit, a label, a memo, an image, a check box and a combo box, each bound
// to one field of a dataset through a TFieldDataLink.
//
// The cycle every control follows: browsing shows the field's DisplayText; while the control has
// the focus and the field can be modified it shows the field's Text; typing first asks the link to
// Edit (the data source's AutoEdit decides) and a refused Edit drops the key; Escape reloads the
// field; leaving the control writes it (UpdateRecord), and a failed write keeps the focus in the
// control and lets the exception travel on to Application->HandleException.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "vcl/db.h"
#include "vcl/graphics.h"
#include "vcl/stdctrls.h"

namespace vcl {

// The data link a data-aware control answers CM_GETDATALINK with, as an LRESULT.
inline TDataLink* DataLinkOf(TControl* control) {
    return control ? reinterpret_cast<TDataLink*>(control->Perform(CM_GETDATALINK, 0, 0)) : nullptr;
}

class TDBEdit : public TCustomEdit {
    VCL_DECLARE_CLASS(TDBEdit, TCustomEdit)
public:
    explicit TDBEdit(TComponent* owner);
    ~TDBEdit() override;

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    // The link's read-only flag; the edit itself is read-only whenever the link is not editing.
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool value);
    TField* Field() const { return dataLink_->Field(); }

    void WndProc(TMessage& message) override;

    static void Publish(Published<TDBEdit>& p) {
        PublishAnchors(p);
        PublishEditProperties(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
        p.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPasswordChar(p);
        PublishPopupMenu(p);
        p.Property("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly, false);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        PublishOnChange(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Change() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();
    void SetFocusedState(bool value);

    std::unique_ptr<TFieldDataLink> dataLink_;
    bool focused_ = false;
};

class TDBText : public TCustomLabel {
    VCL_DECLARE_CLASS(TDBText, TCustomLabel)
public:
    explicit TDBText(TComponent* owner);
    ~TDBText() override;

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    TField* Field() const { return dataLink_->Field(); }

    void WndProc(TMessage& message) override;

    static void Publish(Published<TDBText>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   TAlignment::taLeftJustify);
        PublishAnchors(p);
        p.Property("AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize, false);
        PublishColor(p, clBtnFace);
        p.Property("DataField", &TDBText::DataField, &TDBText::SetDataField);
        p.Property("DataSource", &TDBText::DataSource, &TDBText::SetDataSource);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        PublishVisible(p);
        p.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
        PublishMouseEvents(p);
        PublishDragEvents(p);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

private:
    void DataChange();
    // The field's display text; the control's name at design time without a field.
    std::string FieldText() const;

    std::unique_ptr<TFieldDataLink> dataLink_;
};

class TDBMemo : public TCustomMemo {
    VCL_DECLARE_CLASS(TDBMemo, TCustomMemo)
public:
    explicit TDBMemo(TComponent* owner);
    ~TDBMemo() override;

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool value);
    TField* Field() const { return dataLink_->Field(); }
    // Without AutoDisplay a blob field shows "(FieldName)" until LoadMemo or a double click.
    bool AutoDisplay() const { return autoDisplay_; }
    void SetAutoDisplay(bool value);
    void LoadMemo();

    void WndProc(TMessage& message) override;

    static void Publish(Published<TDBMemo>& p) {
        PublishAlign(p);
        PublishMemoProperties(p);
        PublishAnchors(p);
        p.Property("AutoDisplay", &TDBMemo::AutoDisplay, &TDBMemo::SetAutoDisplay, true);
        p.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DataField", &TDBMemo::DataField, &TDBMemo::SetDataField);
        p.Property("DataSource", &TDBMemo::DataSource, &TDBMemo::SetDataSource);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishHideSelectionMaxLength(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ReadOnly", &TDBMemo::ReadOnly, &TDBMemo::SetReadOnly, false);
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
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Change() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;

private:
    void DataChange();
    void EditingChange();
    void UpdateData();

    std::unique_ptr<TFieldDataLink> dataLink_;
    bool autoDisplay_ = true;
    // The memo holds the field's value (not the "(FieldName)" placeholder).
    bool memoLoaded_ = false;
    bool focused_ = false;
};

class TDBImage : public TCustomControl {
    VCL_DECLARE_CLASS(TDBImage, TCustomControl)
public:
    explicit TDBImage(TComponent* owner);
    ~TDBImage() override;

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool value) { dataLink_->SetReadOnly(value); }
    TField* Field() const { return dataLink_->Field(); }
    bool AutoDisplay() const { return autoDisplay_; }
    void SetAutoDisplay(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool Center() const { return center_; }
    void SetCenter(bool value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    // The picture shown; assigning one (SetPicture) edits the record when the link allows it.
    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(const TPicture* value);
    void LoadPicture();

    void WndProc(TMessage& message) override;

    static void Publish(Published<TDBImage>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        p.Property("AutoDisplay", &TDBImage::AutoDisplay, &TDBImage::SetAutoDisplay, true);
        p.Property("BorderStyle", &TDBImage::BorderStyle, &TDBImage::SetBorderStyle, bsSingle);
        p.Property("Center", &TDBImage::Center, &TDBImage::SetCenter, true);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DataField", &TDBImage::DataField, &TDBImage::SetDataField);
        p.Property("DataSource", &TDBImage::DataSource, &TDBImage::SetDataSource);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ReadOnly", &TDBImage::ReadOnly, &TDBImage::SetReadOnly, false);
        PublishShowHint(p);
        p.Property("Stretch", &TDBImage::Stretch, &TDBImage::SetStretch, false);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;

private:
    void DataChange();
    void UpdateData();
    void PictureChanged();

    std::unique_ptr<TFieldDataLink> dataLink_;
    std::unique_ptr<TPicture> picture_;
    TBorderStyle borderStyle_ = bsSingle;
    bool autoDisplay_ = true, center_ = true, stretch_ = false;
    bool pictureLoaded_ = false;
    // Set while the picture is loaded from the field, so that the load is no user change.
    bool loading_ = false;
};

class TDBCheckBox : public TCustomCheckBox {
    VCL_DECLARE_CLASS(TDBCheckBox, TCustomCheckBox)
public:
    explicit TDBCheckBox(TComponent* owner);
    ~TDBCheckBox() override;

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool value) { dataLink_->SetReadOnly(value); }
    TField* Field() const { return dataLink_->Field(); }
    // For fields that are not boolean: the texts meaning checked and unchecked, each a list
    // separated by ';' (matched without case; the first one is written).
    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& value);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& value);
    void Toggle() override;

    void WndProc(TMessage& message) override;

    static void Publish(Published<TDBCheckBox>& p) {
        p.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment,
                   TLeftRight::taRightJustify);
        p.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed, false);
        PublishAnchors(p);
        PublishCaption(p);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        p.Property("DataField", &TDBCheckBox::DataField, &TDBCheckBox::SetDataField);
        p.Property("DataSource", &TDBCheckBox::DataSource, &TDBCheckBox::SetDataSource);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ReadOnly", &TDBCheckBox::ReadOnly, &TDBCheckBox::SetReadOnly, false);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        p.Property("ValueChecked", &TDBCheckBox::ValueChecked, &TDBCheckBox::SetValueChecked,
                   std::string("True"));
        p.Property("ValueUnchecked", &TDBCheckBox::ValueUnchecked, &TDBCheckBox::SetValueUnchecked,
                   std::string("False"));
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void KeyPress(char32_t& key) override;

private:
    void DataChange();
    void UpdateData();
    TCheckBoxState FieldState() const;

    std::unique_ptr<TFieldDataLink> dataLink_;
    std::string valueChecked_ = "True", valueUnchecked_ = "False";
};

class TDBComboBox : public TCustomComboBox {
    VCL_DECLARE_CLASS(TDBComboBox, TCustomComboBox)
public:
    explicit TDBComboBox(TComponent* owner);
    ~TDBComboBox() override;

    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    bool ReadOnly() const { return dataLink_->ReadOnly(); }
    void SetReadOnly(bool value) { dataLink_->SetReadOnly(value); }
    TField* Field() const { return dataLink_->Field(); }

    void WndProc(TMessage& message) override;

    static void Publish(Published<TDBComboBox>& p) {
        p.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle, csDropDown);
        PublishAnchors(p);
        PublishColor(p, clWindow);
        PublishCtl3D(p);
        p.Property("DataField", &TDBComboBox::DataField, &TDBComboBox::SetDataField);
        p.Property("DataSource", &TDBComboBox::DataSource, &TDBComboBox::SetDataSource);
        p.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight, 16);
        p.Property("Items", &TCustomComboBox::Items);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        p.Property("ReadOnly", &TDBComboBox::ReadOnly, &TDBComboBox::SetReadOnly, false);
        PublishShowHint(p);
        p.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, false);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<TNotifyEvent>("OnChange", &TCustomComboBox::OnChange);
        p.Event<TNotifyEvent>("OnClick", &TControl::OnClick);
        p.Event<TNotifyEvent>("OnDropDown", &TCustomComboBox::OnDropDown);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Change() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;

private:
    void DataChange();
    void UpdateData();
    // The value the control stands for: the edit text, or the chosen item of a list-only style.
    std::string ComboText() const;
    void SetComboText(const std::string& value);

    std::unique_ptr<TFieldDataLink> dataLink_;
};

// What the data-aware controls share.
namespace dbcontrols {

// Links the control's field link to a source, moving the free notification with it.
void LinkSource(TComponent* control, TFieldDataLink& link, TDataSource* source);
// Forgets the source when it is freed.
void DropSource(TFieldDataLink& link, TComponent* component, TOperation operation);
// A character that enters text (not a control character).
bool IsTypedCharacter(char32_t key);
// Whether the field takes this character; true without a field.
bool IsAcceptedBy(const TField* field, char32_t key);
// Writes pending text into the record; on failure the control keeps the focus (its text selected)
// and the exception travels on.
void WriteOnExit(TWinControl* control, TFieldDataLink& link, const std::function<void()>& selectAll);
// Keys of an edit that change the text without a typed character.
bool EditShortCut(Word key, TShiftState shift);

}  // namespace dbcontrols

}  // namespace vcl
