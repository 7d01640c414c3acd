// Data sources, data links and field data links.
#include <algorithm>

#include "vcl/db.h"
#include "vcl/dbtables.h"

namespace vcl {

namespace {

// Datasets and data sources are read from form files by class name.
const bool datasourceClassesRegistered = [] {
    RegisterClasses({TDataSource::StaticClass(), TMemoryDataSet::StaticClass(), TTable::StaticClass(),
                     TQuery::StaticClass(), TDatabase::StaticClass()});
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// TDataSource

VCL_DEFINE_CLASS(TDataSource, TComponent)

TDataSource::~TDataSource() {
    std::vector<TDataLink*> links = std::move(links_);
    links_.clear();
    for (TDataLink* link : links) {
        link->dataSource_ = nullptr;
        link->UpdateState();
    }
    if (dataSet_) dataSet_->RemoveDataSource(this);
    dataSet_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet && IsLinkedTo(dataSet)) DatabaseError(std::string(dbconsts::SCircularDataLink), this);
    if (dataSet_) {
        dataSet_->RemoveDataSource(this);
        RemoveFreeNotification(dataSet_);
    }
    dataSet_ = dataSet;
    if (dataSet_) {
        dataSet_->AddDataSource(this);
        FreeNotification(dataSet_);
    }
    UpdateState();
}

void TDataSource::DetachDataSet() {
    dataSet_ = nullptr;
    UpdateState();
}

void TDataSource::SetEnabled(bool enabled) {
    enabled_ = enabled;
    UpdateState();
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const {
    // Follows links that feed datasets (master-detail style) to find a cycle back to dataSet.
    std::vector<const TDataSource*> pending{this};
    std::vector<const TDataSource*> seen;
    while (!pending.empty()) {
        const TDataSource* source = pending.back();
        pending.pop_back();
        if (std::find(seen.begin(), seen.end(), source) != seen.end()) continue;
        seen.push_back(source);
        for (TDataLink* link : source->links_) {
            TDataSet* fed = link->LinkedDataSet();
            if (!fed) continue;
            if (fed == dataSet) return true;
            for (TDataSource* next : fed->dataSources_)
                pending.push_back(next);
        }
    }
    return false;
}

void TDataSource::Edit() {
    if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == dataSet_) SetDataSet(nullptr);
}

void TDataSource::UpdateState() {
    SetState(enabled_ && dataSet_ ? dataSet_->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState state) {
    if (state_ == state) return;
    TDataSetState prior = state_;
    state_ = state;
    NotifyDataLinks(deUpdateState, nullptr, 0);
    if (IsDestroying()) return;
    if (OnStateChange) OnStateChange(this);
    if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) return;
    NotifyDataLinks(event, field, info);
    switch (event) {
        case deFieldChange:
        case deRecordChange:
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange:
            if (OnDataChange) OnDataChange(this, event == deFieldChange ? field : nullptr);
            break;
        case deUpdateRecord:
            if (OnUpdateData) OnUpdateData(this);
            break;
        default:
            break;
    }
}

void TDataSource::NotifyDataLinks(TDataEvent event, TField* field, int info) {
    // Newest link first, as the framework does; a link may leave while it is told.
    std::vector<TDataLink*> links = links_;
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if (std::find(links_.begin(), links_.end(), *it) != links_.end())
            (*it)->DataEvent(event, field, info);
}

// ---------------------------------------------------------------------------------------------
// TDataLink

VCL_DEFINE_CLASS(TDataLink, TPersistent)

TDataLink::~TDataLink() {
    if (dataSource_) {
        auto& links = dataSource_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == dataSource_) return;
    if (TDataSet* fed = LinkedDataSet();
        fed && source && (source->DataSet() == fed || source->IsLinkedTo(fed)))
        DatabaseError(std::string(dbconsts::SCircularDataLink), source);
    if (dataSource_) {
        auto& links = dataSource_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
    dataSource_ = source;
    if (dataSource_) dataSource_->links_.push_back(this);
    UpdateState();
}

void TDataLink::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    UpdateState();
}

void TDataLink::UpdateState() {
    SetActive(dataSource_ && dataSource_->State() != dsInactive);
    SetEditing(dataSource_ && IsEditMode(dataSource_->State()) && !readOnly_);
}

void TDataLink::SetActive(bool active) {
    if (active_ == active) return;
    active_ = active;
    ActiveChanged();
}

void TDataLink::SetEditing(bool editing) {
    if (editing_ == editing) return;
    editing_ = editing;
    EditingChanged();
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) return;
    switch (event) {
        case deFieldChange:
        case deRecordChange:
            if (!updating_) RecordChanged(field);
            break;
        case deDataSetChange:
            DataSetChanged();
            break;
        case deDataSetScroll:
            DataSetScrolled(info);
            break;
        case deLayoutChange:
            LayoutChanged();
            break;
        case deUpdateRecord:
            UpdateRecord();
            break;
        case deCheckBrowseMode:
            CheckBrowseMode();
            break;
        case deFocusControl:
            FocusControl(field);
            break;
        default:
            break;
    }
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    const ScopedValue updating(updating_, true);
    UpdateData();
}

int TDataLink::RecordCount() const {
    TDataSet* dataSet = DataSet();
    return active_ && dataSet && !dataSet->IsEmpty() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// TFieldDataLink

VCL_DEFINE_CLASS(TFieldDataLink, TDataLink)

void TFieldDataLink::SetFieldName(const std::string& name) {
    if (name == fieldName_) return;
    fieldName_ = name;
    UpdateField();
}

void TFieldDataLink::UpdateField() {
    SetField(nullptr);
    if (Active() && !fieldName_.empty()) SetField(DataSet()->FieldByName(fieldName_));
}

void TFieldDataLink::SetField(TField* field) {
    if (field_ == field) return;
    field_ = field;
    EditingChanged();
    RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && field_ && field_->CanModify();
}

bool TFieldDataLink::Edit() {
    if (CanModify()) TDataLink::Edit();
    return editing_;
}

void TFieldDataLink::SetFieldEditing(bool editing) {
    if (editing_ == editing) return;
    editing_ = editing;
    modified_ = false;
    if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() {
    SetFieldEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != field_) return;
    if (OnDataChange) OnDataChange(this);
    modified_ = false;
}

void TFieldDataLink::UpdateData() {
    if (!modified_) return;
    if (field_ && OnUpdateData) OnUpdateData(this);
    modified_ = false;
}

void TFieldDataLink::FocusControl(TField* field) {
    if (!field || field != field_ || !control_ || !OnFocusControl) return;
    bool focused = false;
    OnFocusControl(this, focused);
}

}  // namespace vcl
