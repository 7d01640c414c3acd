// The data-aware lookup edit: the lookup edit bound to one field through a field data link, with
// the framework's data-aware edit cycle (browse shows the display text, focus the edit text,
// typing starts editing, leaving writes the record and keeps the focus when that fails).
// ReadonlyClickable lets the edit select its text, cut and paste; without it those are dropped.
#pragma once

#include <memory>

#include "pellic/zyltlookupedit.h"
#include "vcl/dbctrls.h"
#include "vcl/forms.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {

// The data binding shared by the data-aware lookup edit and lookup menu.
template <typename Base>
class TZylDBLookupCore : public Base {
public:
    explicit TZylDBLookupCore(vcl::TComponent* owner)
        : Base(owner), dataLink_(std::make_unique<vcl::TFieldDataLink>()) {
        dataLink_->SetControl(this);
        dataLink_->OnDataChange = [this](vcl::TObject*) { DataChange(); };
        dataLink_->OnEditingChange = [this](vcl::TObject*) { EditingChange(); };
        dataLink_->OnActiveChange = [this](vcl::TObject*) { EditingChange(); };
        dataLink_->OnUpdateData = [this](vcl::TObject*) { UpdateData(); };
        Base::SetReadOnly(true);
    }

    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value) { vcl::dbcontrols::LinkSource(this, *dataLink_, value); }
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    bool ReadonlyClickable() const { return readonlyClickable_; }
    void SetReadonlyClickable(bool value) { readonlyClickable_ = value; }
    vcl::TField* Field() const { return dataLink_->Field(); }
    vcl::TFieldDataLink* DataLink() const { return dataLink_.get(); }

    // Puts the dataset into edit mode; false when it cannot be.
    bool EditCanModify() { return dataLink_->Edit(); }
    // Reloads the field's text and selects it.
    void Reset() {
        dataLink_->Reset();
        SelectAllWhenClickable();
    }

    void WndProc(vcl::TMessage& message) override {
        switch (message.Msg) {
            case vcl::CM_GETDATALINK:
                message.Result = reinterpret_cast<win32::LRESULT>(dataLink_.get());
                return;
            case vcl::CM_ENTER:
                SetFocused(true);
                break;
            case vcl::CM_EXIT:
                vcl::dbcontrols::WriteOnExit(this, *dataLink_, [this] { SelectAllWhenClickable(); });
                SetFocused(false);
                break;
            case win32::WM_CUT:
            case win32::WM_PASTE:
                if (!readonlyClickable_ || Base::ReadOnly() || !dataLink_->Edit()) {
                    message.Result = 0;
                    return;
                }
                break;
            default:
                break;
        }
        Base::WndProc(message);
    }

    template <typename T>
    static void PublishDataProperties(vcl::Published<T>& p) {
        p.Property("DataField", &TZylDBLookupCore::DataField, &TZylDBLookupCore::SetDataField);
        p.Property("DataSource", &TZylDBLookupCore::DataSource, &TZylDBLookupCore::SetDataSource);
        p.Property("ReadonlyClickable", &TZylDBLookupCore::ReadonlyClickable,
                   &TZylDBLookupCore::SetReadonlyClickable, false);
    }

protected:
    bool IsFocusedForData() const { return focused_; }

    void Notification(vcl::TComponent* component, vcl::TOperation operation) override {
        Base::Notification(component, operation);
        vcl::dbcontrols::DropSource(*dataLink_, component, operation);
    }

    void Change() override {
        dataLink_->Modified();
        Base::Change();
    }

    void KeyPress(char32_t& key) override {
        Base::KeyPress(key);
        if (vcl::dbcontrols::IsTypedCharacter(key) && !vcl::dbcontrols::IsAcceptedBy(Field(), key)) {
            win32::MessageBeep(0);
            key = 0;
        }
        if (vcl::dbcontrols::IsTypedCharacter(key) || key == 0x08 || key == 0x16 || key == 0x18) {
            if (!dataLink_->Edit()) key = 0;
        } else if (key == 0x1B) {
            Reset();
            key = 0;
        }
    }

private:
    void SelectAllWhenClickable() {
        if (readonlyClickable_) Base::SelectAll();
    }

    void DataChange() {
        this->SetEditRect();
        if (vcl::TField* field = Field()) {
            if (field->Alignment() != lastAlignment_) {
                this->SetText({});
                lastAlignment_ = field->Alignment();
            }
            this->SetEditMask(field->EditMask());
            const bool text = field->DataType() == vcl::TFieldType::ftString ||
                              field->DataType() == vcl::TFieldType::ftFixedChar;
            this->SetMaxLength(text ? field->Size() : 0);
            this->SetText(focused_ && dataLink_->CanModify() ? field->Text() : field->DisplayText());
        } else {
            lastAlignment_ = vcl::TAlignment::taLeftJustify;
            this->SetEditMask({});
            this->SetMaxLength(0);
            this->SetText({});
        }
    }

    void EditingChange() { Base::SetReadOnly(!dataLink_->Editing()); }

    void UpdateData() {
        this->ValidateEdit();
        if (vcl::TField* field = Field()) field->SetText(this->Text());
    }

    void SetFocused(bool value) {
        if (focused_ == value) return;
        focused_ = value;
        dataLink_->Reset();
    }

    std::unique_ptr<vcl::TFieldDataLink> dataLink_;
    bool focused_ = false;
    bool readonlyClickable_ = false;
    vcl::TAlignment lastAlignment_ = vcl::TAlignment::taLeftJustify;
};

class TZylDBLookupedit : public TZylDBLookupCore<TZylCustomLookupEdit> {
    VCL_DECLARE_CLASS(TZylDBLookupedit, TZylDBLookupCore<TZylCustomLookupEdit>)
public:
    explicit TZylDBLookupedit(vcl::TComponent* owner);

    static void Publish(vcl::Published<TZylDBLookupedit>& p) {
        PublishLookupEditProperties(p);
        PublishButtons(p);
        PublishDataProperties(p);
        PublishLookupEditEvents(p);
    }
};

}  // namespace pellic
