// The index chooser: a drop-down list of the indexes of the table behind DataSource; picking one
// makes it the table's active index while staying on the current record. Expression indexes are
// left out; entries that would read alike are listed once (the first index wins). With
// NoIndexEnabled an entry named NoIndexItemName stands for "no index".
#pragma once

#include <memory>
#include <string>

#include "vcl/db.h"
#include "vcl/stdctrls.h"

namespace pellic {

enum class TZylDBDisplayType : uint8_t { dtDisplayLabel, dtFieldName, dtIndexName };
VCL_ENUM_NAMES(TZylDBDisplayType, "dtDisplayLabel", "dtFieldName", "dtIndexName")

class TZylDBIndexLookup;

class TZylIndexDataLink : public vcl::TDataLink {
    VCL_DECLARE_CLASS(TZylIndexDataLink, vcl::TDataLink)
public:
    explicit TZylIndexDataLink(TZylDBIndexLookup* lookup) : lookup_(lookup) {}

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;

private:
    TZylDBIndexLookup* lookup_;
};

class TZylDBIndexLookup : public vcl::TCustomComboBox {
    VCL_DECLARE_CLASS(TZylDBIndexLookup, vcl::TCustomComboBox)
public:
    explicit TZylDBIndexLookup(vcl::TComponent* owner);
    ~TZylDBIndexLookup() override;

    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value);
    TZylDBDisplayType DisplayType() const { return displayType_; }
    void SetDisplayType(TZylDBDisplayType value);
    bool NoIndexEnabled() const { return noIndexEnabled_; }
    void SetNoIndexEnabled(bool value);
    const std::string& NoIndexItemName() const { return noIndexItemName_; }
    void SetNoIndexItemName(const std::string& value);

    // The field list of the chosen index; empty for none or the no-index entry.
    std::string GetIndexFieldName() const;
    // Fills `list` with the entries for the table's indexes.
    void FillIndexList(vcl::TStrings* list);

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylDBIndexLookup>& p) {
        PublishAnchors(p);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        p.Property("DataSource", &TZylDBIndexLookup::DataSource, &TZylDBIndexLookup::SetDataSource);
        p.Property("DisplayType", &TZylDBIndexLookup::DisplayType, &TZylDBIndexLookup::SetDisplayType,
                   TZylDBDisplayType::dtDisplayLabel);
        PublishDragProperties(p);
        p.Property("DropDownCount", &vcl::TCustomComboBox::DropDownCount,
                   &vcl::TCustomComboBox::SetDropDownCount, 8);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("ItemHeight", &vcl::TCustomComboBox::ItemHeight, &vcl::TCustomComboBox::SetItemHeight, 16);
        p.Property("NoIndexEnabled", &TZylDBIndexLookup::NoIndexEnabled,
                   &TZylDBIndexLookup::SetNoIndexEnabled, false);
        p.Property("NoIndexItemName", &TZylDBIndexLookup::NoIndexItemName,
                   &TZylDBIndexLookup::SetNoIndexItemName);
        PublishParentColor(p, false);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Sorted", &vcl::TCustomComboBox::Sorted, &vcl::TCustomComboBox::SetSorted, false);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        p.Event<vcl::TNotifyEvent>("OnChange", &vcl::TCustomComboBox::OnChange);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    void Change() override;
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    friend class TZylIndexDataLink;
    void ActiveChanged();
    void UpdateList();
    vcl::TDataSet* Table() const;

    std::unique_ptr<TZylIndexDataLink> dataLink_;
    TZylDBDisplayType displayType_ = TZylDBDisplayType::dtDisplayLabel;
    bool noIndexEnabled_ = false;
    std::string noIndexItemName_;
};

}  // namespace pellic
