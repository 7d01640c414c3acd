#include "pellic/zyltdbindexlookup.h"

#include "vcl/classregistration.h"
#include "vcl/dbtables.h"
#include "vcl/sysutils.h"

namespace pellic {

using vcl::Integer;

namespace zyltdbindexlookup {

const vcl::TClassRegistration classesRegistered{TZylDBIndexLookup::StaticClass()};

// The names of a field list separated at semicolons, as the framework's ExtractFieldName reads it.
std::vector<std::string> FieldNames(const std::string& fields) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= fields.size()) {
        const size_t end = std::min(fields.find(';', start), fields.size());
        if (std::string name = vcl::Trim(fields.substr(start, end - start)); !name.empty())
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

}  // namespace zyltdbindexlookup

VCL_DEFINE_CLASS(TZylIndexDataLink, vcl::TDataLink)

void TZylIndexDataLink::ActiveChanged() {
    lookup_->ActiveChanged();
}

void TZylIndexDataLink::DataSetChanged() {
    lookup_->ActiveChanged();
}

VCL_DEFINE_CLASS(TZylDBIndexLookup, vcl::TCustomComboBox)

TZylDBIndexLookup::TZylDBIndexLookup(vcl::TComponent* owner)
    : vcl::TCustomComboBox(owner), dataLink_(std::make_unique<TZylIndexDataLink>(this)) {
    SetStyle(vcl::csDropDownList);
}

TZylDBIndexLookup::~TZylDBIndexLookup() {
    dataLink_->SetDataSource(nullptr);
}

vcl::TDataSet* TZylDBIndexLookup::Table() const {
    return dynamic_cast<vcl::TTable*>(dataLink_->DataSet());
}

void TZylDBIndexLookup::SetDataSource(vcl::TDataSource* value) {
    vcl::TDataSource* old = dataLink_->DataSource();
    if (old == value) return;
    dataLink_->SetDataSource(value);
    if (old) old->RemoveFreeNotification(this);
    if (value) value->FreeNotification(this);
    if (!IsLoading()) ActiveChanged();
}

void TZylDBIndexLookup::SetDisplayType(TZylDBDisplayType value) {
    if (displayType_ == value) return;
    displayType_ = value;
    if (!IsLoading()) UpdateList();
}

void TZylDBIndexLookup::SetNoIndexEnabled(bool value) {
    if (noIndexEnabled_ == value) return;
    noIndexEnabled_ = value;
    if (!IsLoading()) ActiveChanged();
}

void TZylDBIndexLookup::SetNoIndexItemName(const std::string& value) {
    if (noIndexItemName_ == value) return;
    noIndexItemName_ = value;
    if (!IsLoading()) ActiveChanged();
}

void TZylDBIndexLookup::ActiveChanged() {
    if (Enabled() && dataLink_->Active() && Table()) {
        UpdateList();
    } else {
        Items()->Clear();
        SetItemIndex(-1);
    }
}

void TZylDBIndexLookup::FillIndexList(vcl::TStrings* list) {
    list->Clear();
    vcl::TDataSet* table = Table();
    if (!table) return;
    vcl::TIndexDefs* defs = table->IndexDefs();
    for (int i = 0; defs && i < defs->Count(); ++i) {
        vcl::TIndexDef* def = defs->Items(i);
        if (def->Options().Contains(vcl::TIndexOption::ixExpression)) continue;
        std::string text;
        if (displayType_ == TZylDBDisplayType::dtIndexName) {
            text = def->Name();
        } else {
            for (const std::string& name : zyltdbindexlookup::FieldNames(def->Fields())) {
                if (!text.empty()) text += "; ";
                // A field the dataset does not have (yet) is named as the index names it.
                vcl::TField* field = table->FindField(name);
                text += displayType_ == TZylDBDisplayType::dtDisplayLabel && field ? field->DisplayLabel()
                        : field                                                    ? field->FieldName()
                                                                                   : name;
            }
        }
        if (list->IndexOf(text) < 0) list->AddObject(text, def);
    }
    if (noIndexEnabled_ && list->IndexOf(noIndexItemName_) < 0) list->AddObject(noIndexItemName_, nullptr);
}

void TZylDBIndexLookup::UpdateList() {
    if (!Enabled() || !dataLink_->Active()) return;
    vcl::TDataSet* table = Table();
    vcl::TStrings* items = Items();
    items->BeginUpdate();
    const vcl::ScopeExit end([items] { items->EndUpdate(); });
    if (!table) {
        items->Clear();
        return;
    }
    FillIndexList(items);
    Integer match = noIndexEnabled_ ? items->IndexOf(noIndexItemName_) : -1;
    for (Integer i = 0; i < items->Count(); ++i) {
        const auto* def = dynamic_cast<const vcl::TIndexDef*>(items->Objects(i));
        if (def && vcl::AnsiCompareText(def->Fields(), table->IndexFieldNames()) == 0) {
            match = i;
            break;
        }
    }
    SetItemIndex(match);
}

std::string TZylDBIndexLookup::GetIndexFieldName() const {
    const Integer index = ItemIndex();
    if (index < 0) return {};
    const auto* def = dynamic_cast<const vcl::TIndexDef*>(Items()->Objects(index));
    return def ? def->Fields() : std::string();
}

void TZylDBIndexLookup::Change() {
    vcl::TDataSet* table = Table();
    if (Enabled() && dataLink_->Active() && table && !IsLoading()) {
        // Back to the record that was current once the order has changed.
        vcl::TBookmark mark = table->GetBookmark();
        const vcl::ScopeExit release([&] { table->FreeBookmark(mark); });
        table->SetIndexFieldNames(GetIndexFieldName());
        if (mark && table->BookmarkValid(mark)) table->GotoBookmark(mark);
    }
    vcl::TCustomComboBox::Change();
}

void TZylDBIndexLookup::Loaded() {
    vcl::TCustomComboBox::Loaded();
    ActiveChanged();
}

void TZylDBIndexLookup::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    vcl::TCustomComboBox::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component == dataLink_->DataSource())
        SetDataSource(nullptr);
}

void TZylDBIndexLookup::WndProc(vcl::TMessage& message) {
    vcl::TCustomComboBox::WndProc(message);
    if (message.Msg == vcl::CM_ENABLEDCHANGED && !IsLoading()) ActiveChanged();
}

}  // namespace pellic
