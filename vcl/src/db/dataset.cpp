// TDataSet: the state machine, navigation, editing, order, keys and ranges over the loaded rows.
#include <algorithm>

#include "vcl/db.h"

namespace vcl {

namespace {
const Variant& NullVariant() {
    static const Variant null;
    return null;
}
}  // namespace

VCL_DEFINE_CLASS(TDataSet, TComponent)

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner),
      fields_(std::make_unique<TFields>(this)),
      fieldDefs_(std::make_unique<TFieldDefs>(this)),
      indexDefs_(std::make_unique<TIndexDefs>(this)) {
    fieldDefs_->SetPropName("FieldDefs");
    indexDefs_->SetPropName("IndexDefs");
}

TDataSet::~TDataSet() {
    // Sources and persistent fields outlive us: leave them no dangling pointer.
    std::vector<TDataSource*> sources = dataSources_;
    dataSources_.clear();
    for (TDataSource* source : sources)
        source->DetachDataSet();
    for (TField* field : fields_->list_)
        field->dataSet_ = nullptr;
    fields_->list_.clear();
}

void TDataSet::CloseForDestruction() {
    if (!Active()) return;
    state_ = dsInactive;
    try {
        CloseCursor();
    } catch (...) {
        // Nothing can be reported from a destructor; the rows are released regardless.
    }
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive) DatabaseError(std::string(dbconsts::SDataSetClosed), this);
}

void TDataSet::CheckInactive() const {
    if (state_ != dsInactive) DatabaseError(std::string(dbconsts::SDataSetOpen), this);
}

void TDataSet::CheckCanModify() const {
    if (!CanModify()) DatabaseError(std::string(dbconsts::SDataSetReadOnly), this);
}

bool TDataSet::CanModify() const {
    return !readOnly_ && SourceWritable();
}

void TDataSet::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    if (readOnly && Active()) CheckBrowseMode();
    readOnly_ = readOnly;
    if (Active()) SendEvent(deUpdateState, nullptr, 0);
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

void TDataSet::SetActive(bool active) {
    if (ComponentState().Contains(csLoading)) {
        streamedActive_ = active;
        return;
    }
    if (active == Active()) return;
    if (active) {
        Notify(BeforeOpen);
        OpenCursor();
        SetState(dsBrowse);
        Notify(AfterOpen);
    } else {
        bool destroying = IsDestroying();
        if (!destroying) Notify(BeforeClose);
        SetState(dsInactive);
        CloseCursor();
        if (!destroying) Notify(AfterClose);
    }
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (streamedActive_) {
        streamedActive_ = false;
        SetActive(true);
    }
}

void TDataSet::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    if (defaultFields_) return;
    for (TField* field : fields_->list_)
        if (field->Owner() == root) proc(field);
}

void TDataSet::OpenCursor() {
    try {
        InternalOpen();
        BindFields();
        rangeActive_ = false;
        countCache_.reset();
        if (Windowed()) {
            ResolveOrder();
            InstallWindow(ReadFirstWindow());
        } else {
            LoadRecords();
            ResolveOrder();
            BuildView(std::nullopt);
            windowStart_ = windowEnd_ = true;
            windowBase_ = 0;
        }
        bof_ = true;
        eof_ = view_.empty();
        modified_ = false;
        CalcCurrent();
    } catch (...) {
        CloseCursor();
        throw;
    }
}

void TDataSet::CloseCursor() {
    try {
        InternalClose();
    } catch (...) {
        store_.clear();
        view_.clear();
        DestroyDefaultFields();
        throw;
    }
    store_.clear();
    view_.clear();
    spareRecords_.clear();
    cursor_ = -1;
    bof_ = eof_ = true;
    windowStart_ = windowEnd_ = true;
    windowBase_.reset();
    countCache_.reset();
    fetchBatch_ = 0;
    buffer_ = TDataRecord();
    changed_.clear();
    order_.clear();
    rangeActive_ = false;
    modified_ = false;
    DestroyDefaultFields();
}

void TDataSet::BindFields() {
    if (fields_->list_.empty()) {
        defaultFields_ = true;
        for (int i = 0; i < fieldDefs_->Count(); ++i)
            fieldDefs_->Items(i)->CreateField(this, this);
    } else {
        defaultFields_ = false;
        for (TField* field : fields_->list_) {
            if (field->fieldKind_ != TFieldKind::fkData) {
                field->fieldNo_ = 0;
                continue;
            }
            TFieldDef* def = fieldDefs_->Find(field->FieldName());
            if (!def) DatabaseError(Format(dbconsts::SFieldNotFound, {field->FieldName()}), this);
            TClass expected = FieldClassFor(def->DataType());
            if (expected && !field->InheritsFrom(expected) && field->DataType() != def->DataType())
                DatabaseError(Format(dbconsts::SFieldTypeMismatch,
                                     {field->FieldName(), FieldTypeName(field->DataType()),
                                      FieldTypeName(def->DataType())}),
                              this);
            field->fieldNo_ = def->FieldNo();
        }
    }
    hasCalcFields_ = false;
    for (size_t i = 0; i < fields_->list_.size(); ++i) {
        fields_->list_[i]->slot_ = static_cast<int>(i);
        if (fields_->list_[i]->fieldKind_ != TFieldKind::fkData) hasCalcFields_ = true;
    }
}

void TDataSet::DestroyDefaultFields() {
    if (!defaultFields_) return;
    defaultFields_ = false;
    std::vector<TField*> fields = std::move(fields_->list_);
    fields_->list_.clear();
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
        (*it)->dataSet_ = nullptr;
        if (*it != removingField_) (*it)->Free();
    }
}

std::vector<int> TDataSet::DefSlots() const {
    std::vector<int> slots(static_cast<size_t>(fieldDefs_->Count()), -1);
    for (TField* field : fields_->list_) {
        int def = field->fieldNo_ - 1;
        if (field->fieldKind_ == TFieldKind::fkData && def >= 0 && def < static_cast<int>(slots.size()))
            slots[static_cast<size_t>(def)] = field->slot_;
    }
    return slots;
}

TDataRecord& TDataSet::AddLoadedRecord(Int64 id) {
    auto record = std::make_unique<TDataRecord>();
    record->id = id;
    record->values.resize(fields_->list_.size());
    store_.push_back(std::move(record));
    return *store_.back();
}

void TDataSet::AddField(TField* field) {
    fields_->list_.push_back(field);
    field->dataSet_ = this;
    field->slot_ = static_cast<int>(fields_->list_.size()) - 1;
}

void TDataSet::RemoveField(TField* field) {
    if (Active()) {
        // The field is being destroyed already: closing must not free it a second time.
        removingField_ = field;
        try {
            SetActive(false);
        } catch (...) {
            // The field goes regardless; a failing close has released the rows already.
        }
        removingField_ = nullptr;
    }
    auto& list = fields_->list_;
    list.erase(std::remove(list.begin(), list.end(), field), list.end());
    field->dataSet_ = nullptr;
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->slot_ = static_cast<int>(i);
}

void TDataSet::EmptyRecords() {
    CheckBrowseMode();
    view_.clear();
    store_.clear();
    cursor_ = -1;
    windowStart_ = windowEnd_ = true;
    windowBase_ = 0;
    countCache_ = 0;
    Resync();
}

TField* TDataSet::FieldByName(std::string_view name) const {
    return fields_->FieldByName(name);
}

// ---------------------------------------------------------------------------------------------
// State and notification

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state) return;
    state_ = state;
    modified_ = false;
    SendEvent(deUpdateState, nullptr, 0);
}

void TDataSet::DataEvent(TDataEvent event, TField* field) {
    SendEvent(event, field, 0);
}

void TDataSet::SendEvent(TDataEvent event, TField* field, int info) {
    if (event == deFieldChange && field && field->fieldKind_ == TFieldKind::fkData && state_ != dsSetKey)
        modified_ = true;
    if (disableCount_ == 0) {
        std::vector<TDataSource*> sources = dataSources_;
        for (TDataSource* source : sources)
            if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end())
                source->DataEvent(event, field, info);
    } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
        enableEvent_ = deLayoutChange;
    }
}

void TDataSet::DisableControls() {
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0) return;
    if (--disableCount_ > 0) return;
    if (disableState_ != state_) SendEvent(deUpdateState, nullptr, 0);
    if (disableState_ != dsInactive && state_ != dsInactive) SendEvent(enableEvent_, nullptr, 0);
}

void TDataSet::BeginBulkAppend() {
    DisableControls();
    ++bulkCount_;
}

void TDataSet::EndBulkAppend() {
    if (bulkCount_ == 0) return;
    --bulkCount_;
    EnableControls();
}

void TDataSet::ReadBackPosted() const {
    if (cursor_ < 0 || static_cast<size_t>(cursor_) >= view_.size() || state_ == dsInactive) return;
    TDataRecord& record = *view_[static_cast<size_t>(cursor_)];
    if (!record.unread) return;
    std::unique_ptr<TDataRecord> stored = const_cast<TDataSet*>(this)->FetchRecord(record.id);
    record.unread = false;
    // A row another connection deleted meanwhile keeps the values it was written with.
    if (!stored) return;
    std::swap(record.values, stored->values);
    if (spareRecords_.size() < static_cast<size_t>(windowLimit_)) spareRecords_.push_back(std::move(stored));
    if (hasCalcFields_ && state_ == dsBrowse) const_cast<TDataSet*>(this)->CalculateFields(record);
}

void TDataSet::AddDataSource(TDataSource* source) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end())
        dataSources_.push_back(source);
}

void TDataSet::RemoveDataSource(TDataSource* source) {
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), source), dataSources_.end());
}

// ---------------------------------------------------------------------------------------------
// Field values

const Variant& TDataSet::StateValue(const TField* field) const {
    auto slot = static_cast<size_t>(field->slot_);
    switch (state_) {
        case dsInactive:
            return NullVariant();
        case dsEdit:
        case dsInsert:
            return slot < buffer_.values.size() ? buffer_.values[slot] : NullVariant();
        case dsSetKey: {
            const auto& values = keys_[keyBuffer_].values;
            return slot < values.size() ? values[slot] : NullVariant();
        }
        case dsCalcFields:
            return calcTarget_ && slot < calcTarget_->values.size() ? calcTarget_->values[slot]
                                                                    : NullVariant();
        default:
            if (cursor_ < 0) return NullVariant();
            ReadBackPosted();
            return view_[static_cast<size_t>(cursor_)]->values[slot];
    }
}

void TDataSet::WriteValue(TField* field, Variant value) {
    auto slot = static_cast<size_t>(field->slot_);
    if (state_ == dsCalcFields) {
        if (field->fieldKind_ == TFieldKind::fkData)
            DatabaseError(Format(dbconsts::SFieldReadOnly, {field->DisplayName()}), this);
        if (calcTarget_) calcTarget_->values[slot] = std::move(value);
        return;
    }
    if (state_ == dsSetKey) {
        bool indexed = std::any_of(order_.begin(), order_.end(),
                                   [&](const OrderKey& key) { return key.slot == field->slot_; });
        if (!indexed) DatabaseError(Format(dbconsts::SNotIndexField, {field->DisplayName()}), this);
        keys_[keyBuffer_].values[slot] = std::move(value);
        keys_[keyBuffer_].assigned[slot] = true;
        SendEvent(deFieldChange, field, 0);
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert) DatabaseError(std::string(dbconsts::SNotEditing), this);
    if (field->readOnly_ || field->fieldKind_ != TFieldKind::fkData)
        DatabaseError(Format(dbconsts::SFieldReadOnly, {field->DisplayName()}), this);
    if (field->OnValidate) {
        Variant old = std::move(buffer_.values[slot]);
        buffer_.values[slot] = std::move(value);
        try {
            field->OnValidate(field);
        } catch (...) {
            buffer_.values[slot] = std::move(old);
            throw;
        }
    } else {
        buffer_.values[slot] = std::move(value);
    }
    changed_[slot] = true;
    CalcCurrent();
    SendEvent(deFieldChange, field, 0);
    if (field->OnChange) field->OnChange(field);
}

void TDataSet::CalculateFields(TDataRecord& record) {
    for (TField* field : fields_->list_)
        if (field->fieldKind_ != TFieldKind::fkData)
            record.values[static_cast<size_t>(field->slot_)] = Variant();
    if (!OnCalcFields) return;
    const ScopedValue calculating(state_, dsCalcFields);
    const ScopedValue target(calcTarget_, &record);
    OnCalcFields(this);
}

void TDataSet::CalcCurrent() {
    if (!hasCalcFields_) return;
    if (state_ == dsEdit || state_ == dsInsert) {
        CalculateFields(buffer_);
    } else if (cursor_ >= 0) {
        ReadBackPosted();
        CalculateFields(*view_[static_cast<size_t>(cursor_)]);
    }
}

// ---------------------------------------------------------------------------------------------
// Navigation

bool TDataSet::IsEmpty() const {
    return view_.empty() && state_ != dsInsert;
}

int TDataSet::RecordCount() const {
    CheckActive();
    if (WindowComplete()) return static_cast<int>(view_.size());
    // Counting is the source's work, done when someone asks and kept until rows change.
    if (!countCache_) countCache_ = const_cast<TDataSet*>(this)->CountRecords(nullptr);
    return static_cast<int>(std::min<Int64>(*countCache_, INT32_MAX));
}

int TDataSet::RecNo() const {
    if (state_ == dsInactive || state_ == dsInsert || cursor_ < 0) return -1;
    if (!windowBase_) {
        // After a seek the position is unknown until someone asks: the source counts the rows before.
        ReadBackPosted();
        Int64 before = const_cast<TDataSet*>(this)->CountRecords(view_[static_cast<size_t>(cursor_)]);
        windowBase_ = before - cursor_;
    }
    return static_cast<int>(std::min<Int64>(*windowBase_ + cursor_ + 1, INT32_MAX));
}

void TDataSet::SetRecNo(int recNo) {
    CheckBrowseMode();
    if (recNo < 1 || recNo > RecordCount()) DatabaseError(Format(dbconsts::SInvalidRecNo, {recNo}), this);
    if (windowBase_ && recNo - 1 >= *windowBase_ &&
        recNo - 1 < *windowBase_ + static_cast<Int64>(view_.size())) {
        int position = static_cast<int>(recNo - 1 - *windowBase_);
        if (position != cursor_) ScrollTo(position);
        return;
    }
    std::unique_ptr<TDataRecord> record = FetchRecordAt(recNo - 1);
    if (!record) DatabaseError(Format(dbconsts::SInvalidRecNo, {recNo}), this);
    Window window = ReadWindowAround(std::move(record));
    window.base = recNo - 1 - window.cursor;
    Notify(BeforeScroll);
    InstallWindow(std::move(window));
    bof_ = eof_ = false;
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
    Notify(AfterScroll);
}

void TDataSet::ScrollTo(int position) {
    Notify(BeforeScroll);
    cursor_ = position;
    bof_ = eof_ = false;
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
    Notify(AfterScroll);
}

void TDataSet::First() {
    CheckBrowseMode();
    std::optional<Window> window;
    if (!windowStart_) window = ReadFirstWindow();
    Notify(BeforeScroll);
    if (window) InstallWindow(std::move(*window));
    cursor_ = view_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = view_.empty();
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
    Notify(AfterScroll);
}

void TDataSet::Last() {
    CheckBrowseMode();
    std::optional<Window> window;
    if (!windowEnd_) window = ReadLastWindow();
    Notify(BeforeScroll);
    if (window) InstallWindow(std::move(*window));
    cursor_ = static_cast<int>(view_.size()) - 1;
    eof_ = true;
    bof_ = view_.empty();
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
    Notify(AfterScroll);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    Notify(BeforeScroll);
    if (!((distance > 0 && !eof_) || (distance < 0 && !bof_))) return 0;
    bof_ = eof_ = false;
    int moved = 0;
    Int64 origin = cursor_;
    Int64 target = origin + distance;
    // Past an edge of the window the source reads on and the window slides; the row left behind
    // may leave the window, so positions are followed through each shift.
    while (target >= static_cast<Int64>(view_.size()) && !windowEnd_) {
        int shift = ExtendForward();
        target += shift;
        origin += shift;
    }
    while (target < 0 && !windowStart_) {
        int shift = ExtendBackward();
        target += shift;
        origin += shift;
    }
    auto count = static_cast<Int64>(view_.size());
    if (count == 0) {
        bof_ = eof_ = true;
    } else {
        if (target >= count) {
            target = count - 1;
            eof_ = true;
        }
        if (target < 0) {
            target = 0;
            bof_ = true;
        }
        moved = static_cast<int>(target - origin);
        cursor_ = static_cast<int>(target);
    }
    CalcCurrent();
    SendEvent(deDataSetScroll, nullptr, moved);
    Notify(AfterScroll);
    return moved;
}

void TDataSet::Resync() {
    if (view_.empty()) {
        cursor_ = -1;
        bof_ = eof_ = true;
    } else {
        cursor_ = std::clamp(cursor_, 0, static_cast<int>(view_.size()) - 1);
        bof_ = eof_ = false;
    }
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
}

// ---------------------------------------------------------------------------------------------
// Editing

void TDataSet::Edit() {
    if (state_ == dsEdit || state_ == dsInsert) return;
    CheckActive();
    if (view_.empty()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    ReadBackPosted();
    Notify(BeforeEdit);
    CheckOperation([this] { InternalEdit(*view_[static_cast<size_t>(cursor_)]); }, OnEditError);
    buffer_ = *view_[static_cast<size_t>(cursor_)];
    changed_.assign(buffer_.values.size(), false);
    SetState(dsEdit);
    CalcCurrent();
    SendEvent(deRecordChange, nullptr, 0);
    Notify(AfterEdit);
}

void TDataSet::BeginInsertAppend(bool append) {
    CheckBrowseMode();
    CheckCanModify();
    Notify(BeforeInsert);
    Notify(BeforeScroll);
    // The buffer's storage serves one inserted row after another.
    buffer_.id = 0;
    buffer_.displaced = buffer_.unread = false;
    buffer_.values.assign(fields_->list_.size(), Variant());
    changed_.assign(buffer_.values.size(), false);
    appending_ = append;
    bof_ = false;
    eof_ = append;
    SetState(dsInsert);
    try {
        Notify(OnNewRecord);
    } catch (...) {
        SetState(dsBrowse);
        Resync();
        throw;
    }
    modified_ = false;
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
    Notify(AfterInsert);
    Notify(AfterScroll);
}

void TDataSet::InternalPost(TDataRecord& record, const std::vector<bool>&, bool inserting) {
    if (inserting) record.id = NextSerial();
}

void TDataSet::InternalDelete(const TDataRecord&) {}

void TDataSet::UpdateRecord() {
    if (!IsEditMode(state_)) DatabaseError(std::string(dbconsts::SNotEditing), this);
    SendEvent(deUpdateRecord, nullptr, 0);
}

void TDataSet::Post() {
    CheckActive();
    UpdateRecord();
    if (state_ == dsSetKey) {
        SetState(dsBrowse);
        SendEvent(deDataSetChange, nullptr, 0);
        return;
    }
    SendEvent(deCheckBrowseMode, nullptr, 0);
    Notify(BeforePost);
    bool inserting = state_ == dsInsert;
    std::unique_ptr<TDataRecord> written = NewRecord(0, false);
    CheckOperation(
        [&] {
            for (TField* field : fields_->list_)
                if (field->DataType() != TFieldType::ftAutoInc) field->CheckRequired();
            if (!inserting || bulkCount_ == 0) {
                *written = buffer_;
                InternalPost(*written, changed_, inserting);
                return;
            }
            // A row of a bulk append moves into the posted record rather than being copied; a
            // failed post hands the values back for the error handler, a retry or Cancel.
            written->values.swap(buffer_.values);
            written->id = buffer_.id;
            try {
                InternalPost(*written, changed_, inserting);
            } catch (...) {
                buffer_.values.swap(written->values);
                throw;
            }
        },
        OnPostError);

    countCache_.reset();
    if (Windowed()) {
        PlacePosted(std::move(written), inserting);
    } else {
        PlaceInView(std::move(written), inserting);
    }
    buffer_.values.clear();
    SetState(dsBrowse);
    Resync();
    Notify(AfterPost);
}

void TDataSet::PlacePosted(std::unique_ptr<TDataRecord> record, bool inserting) {
    // In the natural order a new row shows where it was inserted, and an edited row stays, until
    // the window is read again; otherwise the window is read again around the posted row.
    if (order_.empty() && (inserting || cursor_ >= 0) && !(inserting && bulkCount_ > 0)) {
        if (inserting) {
            record->displaced = true;
            size_t position = appending_ || cursor_ < 0 ? store_.size() : static_cast<size_t>(cursor_);
            store_.insert(store_.begin() + static_cast<std::ptrdiff_t>(position), std::move(record));
            cursor_ = static_cast<int>(position);
        } else {
            TDataRecord& current = *store_[static_cast<size_t>(cursor_)];
            record->displaced = current.displaced || record->id != current.id;
            current = std::move(*record);
        }
        SyncView();
        return;
    }
    if (disableCount_ > 0) {
        // Nothing shows the rows: the posted one alone is the window, and its neighbours are read
        // when navigation reaches them. A run of posts (an import) then reads nothing back. A bulk
        // append takes this way in the natural order too, where the window would otherwise grow
        // by every row: there a row's identity is its place.
        record->displaced = false;
        KeepSpare(store_.begin(), store_.end());
        store_.clear();
        store_.push_back(std::move(record));
        cursor_ = 0;
        windowStart_ = windowEnd_ = false;
        windowBase_.reset();
        fetchBatch_ = 0;
        SyncView();
        return;
    }
    InstallWindow(ReadWindowAround(std::move(record)));
}

void TDataSet::PlaceInView(std::unique_ptr<TDataRecord> written, bool inserting) {
    TDataRecord* record = nullptr;
    if (inserting) {
        store_.push_back(std::move(written));
        record = store_.back().get();
        size_t position;
        if (!order_.empty())
            position = static_cast<size_t>(SortedPosition(record));
        else if (appending_ || cursor_ < 0)
            position = view_.size();
        else
            position = static_cast<size_t>(cursor_);
        view_.insert(view_.begin() + static_cast<std::ptrdiff_t>(position), record);
        cursor_ = static_cast<int>(position);
    } else {
        record = view_[static_cast<size_t>(cursor_)];
        *record = std::move(*written);
        if (!order_.empty()) {
            view_.erase(view_.begin() + cursor_);
            auto position = SortedPosition(record);
            view_.insert(view_.begin() + position, record);
            cursor_ = position;
        }
    }
}

void TDataSet::Cancel() {
    if (state_ == dsSetKey) {
        keys_[keyBuffer_] = savedKey_;
        SetState(dsBrowse);
        SendEvent(deDataSetChange, nullptr, 0);
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert) return;
    SendEvent(deCheckBrowseMode, nullptr, 0);
    Notify(BeforeCancel);
    buffer_ = TDataRecord();
    SetState(dsBrowse);
    Resync();
    Notify(AfterCancel);
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (view_.empty()) DatabaseError(std::string(dbconsts::SDataSetEmpty), this);
    CheckCanModify();
    SendEvent(deCheckBrowseMode, nullptr, 0);
    Notify(BeforeDelete);
    Notify(BeforeScroll);
    // The row's key places the rows after it.
    ReadBackPosted();
    TDataRecord* record = view_[static_cast<size_t>(cursor_)];
    CheckOperation([&] { InternalDelete(*record); }, OnDeleteError);
    TDataRecord deleted = *record;
    view_.erase(view_.begin() + cursor_);
    store_.erase(
        std::find_if(store_.begin(), store_.end(), [&](const auto& held) { return held.get() == record; }));
    if (countCache_) --*countCache_;
    // The row after the last one of the window comes from the source.
    if (Windowed() && cursor_ >= static_cast<int>(view_.size()) && !windowEnd_) {
        deleted.displaced = false;
        cursor_ += ExtendForward(&deleted);
    }
    if (cursor_ >= static_cast<int>(view_.size())) cursor_ = static_cast<int>(view_.size()) - 1;
    buffer_ = TDataRecord();
    SetState(dsBrowse);
    Resync();
    Notify(AfterDelete);
    Notify(AfterScroll);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    SendEvent(deCheckBrowseMode, nullptr, 0);
    switch (state_) {
        case dsEdit:
        case dsInsert:
            UpdateRecord();
            if (modified_)
                Post();
            else
                Cancel();
            break;
        case dsSetKey:
            Post();
            break;
        default:
            break;
    }
}

void TDataSet::ClearFields() {
    if (state_ != dsEdit && state_ != dsInsert) DatabaseError(std::string(dbconsts::SNotEditing), this);
    for (TField* field : fields_->list_) {
        if (field->fieldKind_ != TFieldKind::fkData || field->readOnly_) continue;
        auto slot = static_cast<size_t>(field->slot_);
        if (!buffer_.values[slot].IsNull()) {
            buffer_.values[slot] = Variant();
            changed_[slot] = true;
            modified_ = true;
        }
    }
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
}

void TDataSet::InsertRecord(std::initializer_list<Variant> values) {
    Insert();
    int index = 0;
    for (const Variant& value : values)
        fields_->Fields(index++)->SetValue(value);
    Post();
}

void TDataSet::AppendRecord(std::initializer_list<Variant> values) {
    Append();
    int index = 0;
    for (const Variant& value : values)
        fields_->Fields(index++)->SetValue(value);
    Post();
}

void TDataSet::Refresh() {
    CheckBrowseMode();
    Notify(BeforeRefresh);
    countCache_.reset();
    std::optional<TDataRecord> current;
    if (cursor_ >= 0) current = *view_[static_cast<size_t>(cursor_)];
    bool wasWindowed = Windowed();
    if (!wasWindowed) {
        view_.clear();
        cursor_ = -1;
    }
    InternalRefresh();
    if (Windowed()) {
        // A source read anew: the window is read again around the row that was current.
        if (wasWindowed)
            ReloadAround(current ? &*current : nullptr);
        else
            InstallWindow(ReadFirstWindow());
    } else {
        if (wasWindowed) {
            store_.clear();
            LoadRecords();
            windowStart_ = windowEnd_ = true;
            windowBase_ = 0;
        }
        BuildView(current ? std::optional<Int64>(current->id) : std::nullopt);
    }
    Resync();
    Notify(AfterRefresh);
}

// ---------------------------------------------------------------------------------------------
// Bookmarks and searching

TBookmark TDataSet::GetBookmark() const {
    if (state_ == dsInactive || state_ == dsInsert || cursor_ < 0) return std::nullopt;
    return view_[static_cast<size_t>(cursor_)]->id;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
    CheckBrowseMode();
    int position = -1;
    if (bookmark) {
        for (size_t i = 0; i < view_.size() && position < 0; ++i)
            if (view_[i]->id == *bookmark) position = static_cast<int>(i);
    }
    if (position < 0 && bookmark && !WindowComplete()) {
        if (std::unique_ptr<TDataRecord> record = FetchRecord(*bookmark)) {
            GoToFetched(std::move(record));
            return;
        }
    }
    if (position < 0) DatabaseError(std::string(dbconsts::SRecordNotFound), this);
    ScrollTo(position);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const {
    if (!bookmark || state_ == dsInactive) return false;
    if (std::any_of(view_.begin(), view_.end(), [&](const TDataRecord* r) { return r->id == *bookmark; }))
        return true;
    return !WindowComplete() && const_cast<TDataSet*>(this)->FetchRecord(*bookmark) != nullptr;
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
    if (!a || !b) return a == b ? 0 : (!a ? -1 : 1);
    auto positionOf = [this](Int64 id) -> Int64 {
        for (size_t i = 0; i < view_.size(); ++i)
            if (view_[i]->id == id) return static_cast<Int64>(i);
        return -1;
    };
    Int64 x = positionOf(*a), y = positionOf(*b);
    if ((x < 0 || y < 0) && !WindowComplete()) {
        // Outside the window the source counts the rows before each.
        auto* self = const_cast<TDataSet*>(this);
        std::unique_ptr<TDataRecord> first = self->FetchRecord(*a), second = self->FetchRecord(*b);
        if (first && second) {
            x = self->CountRecords(first.get());
            y = self->CountRecords(second.get());
            if (x == y) {
                x = *a;
                y = *b;
            }
            return x == y ? 0 : (x < y ? -1 : 1);
        }
    }
    if (x < 0 || y < 0) {
        x = *a;
        y = *b;
    }
    return x == y ? 0 : (x < y ? -1 : 1);
}

std::vector<std::optional<Variant>> TDataSet::LocateKeys(const std::vector<TField*>& fields,
                                                         const std::vector<Variant>& values) const {
    // Keys converted once to each field's type; a key that cannot be converted matches nothing.
    std::vector<std::optional<Variant>> keys;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (values[i].IsNull() || values[i].StringPtr()) {
            keys.emplace_back(values[i]);
            continue;
        }
        try {
            keys.emplace_back(fields[i]->Convert(values[i]));
        } catch (const Exception&) {
            keys.emplace_back(std::nullopt);
        }
    }
    return keys;
}

bool TDataSet::MatchesRecord(const TDataRecord& record, const std::vector<TField*>& fields,
                             const std::vector<std::optional<Variant>>& keys, TLocateOptions options) const {
    bool caseInsensitive = options.Contains(TLocateOption::loCaseInsensitive);
    bool partial = options.Contains(TLocateOption::loPartialKey);
    bool match = true;
    for (size_t i = 0; i < fields.size() && match; ++i) {
        if (!keys[i]) return false;
        const Variant& value = record.values[static_cast<size_t>(fields[i]->slot_)];
        const Variant& key = *keys[i];
        if (key.IsNull()) {
            match = value.IsNull();
        } else if (value.IsNull()) {
            match = false;
        } else if (key.StringPtr()) {
            std::string text = value.AsString();
            const std::string& wanted = *key.StringPtr();
            if (partial && text.size() > wanted.size()) text.resize(wanted.size());
            if (!partial && !caseInsensitive && !value.StringPtr() && !fields[i]->IsBlob()) {
                // "5" against a number compares as numbers, the way the field would store it.
                try {
                    match = CompareVariants(value, fields[i]->Convert(key)) == 0;
                } catch (const Exception&) {
                    match = false;
                }
            } else {
                match = caseInsensitive ? AnsiSameText(text, wanted) : text == wanted;
            }
        } else {
            match = CompareVariants(value, key) == 0;
        }
    }
    return match;
}

int TDataSet::FindMatch(const std::vector<TField*>& fields, const std::vector<Variant>& values,
                        TLocateOptions options) const {
    std::vector<std::optional<Variant>> keys = LocateKeys(fields, values);
    for (size_t row = 0; row < view_.size(); ++row)
        if (MatchesRecord(*view_[row], fields, keys, options)) return static_cast<int>(row);
    return -1;
}

std::unique_ptr<TDataRecord> TDataSet::LocateRecord(const std::vector<TField*>& fields,
                                                    const std::vector<Variant>& values,
                                                    TLocateOptions options) {
    std::vector<std::optional<Variant>> keys = LocateKeys(fields, values);
    std::vector<std::unique_ptr<TDataRecord>> rows;
    std::unique_ptr<TDataRecord> anchor;
    int batch = std::max(2, windowLimit_);
    for (;;) {
        rows.clear();
        FetchRecords(anchor.get(), true, batch, rows);
        for (auto& row : rows)
            if (MatchesRecord(*row, fields, keys, options)) return std::move(row);
        if (static_cast<int>(rows.size()) < batch) return nullptr;
        anchor = std::move(rows.back());
    }
}

bool TDataSet::Locate(std::string_view keyFields, const std::vector<Variant>& keyValues,
                      TLocateOptions options) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (const std::string& name : SplitFieldNames(keyFields))
        fields.push_back(FieldByName(name));
    if (fields.size() != keyValues.size() || fields.empty())
        DatabaseError(std::string(dbconsts::SFieldValueCount), this);
    if (!WindowComplete()) {
        std::unique_ptr<TDataRecord> record = LocateRecord(fields, keyValues, options);
        if (!record) return false;
        GoToFetched(std::move(record));
        return true;
    }
    int position = FindMatch(fields, keyValues, options);
    if (position < 0) return false;
    ScrollTo(position);
    return true;
}

Variant TDataSet::Lookup(std::string_view keyFields, const std::vector<Variant>& keyValues,
                         std::string_view resultField) {
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (const std::string& name : SplitFieldNames(keyFields))
        fields.push_back(FieldByName(name));
    if (fields.size() != keyValues.size() || fields.empty())
        DatabaseError(std::string(dbconsts::SFieldValueCount), this);
    TField* result = FieldByName(resultField);
    if (!WindowComplete()) {
        std::unique_ptr<TDataRecord> record = LocateRecord(fields, keyValues, {});
        return record ? record->values[static_cast<size_t>(result->slot_)] : Variant();
    }
    int position = FindMatch(fields, keyValues, {});
    if (position < 0) return Variant();
    return view_[static_cast<size_t>(position)]->values[static_cast<size_t>(result->slot_)];
}

// ---------------------------------------------------------------------------------------------
// Order

void TDataSet::ResolveOrder() {
    std::vector<OrderKey> order;
    auto add = [&](const std::string& name, bool descending, bool caseInsensitive) {
        TField* field = FieldByName(name);
        order.push_back({field->slot_, descending, caseInsensitive || FieldCaseInsensitive(field)});
    };
    if (!indexFieldNames_.empty()) {
        for (const std::string& name : SplitFieldNames(indexFieldNames_))
            add(name, false, false);
    } else if (!indexName_.empty()) {
        TIndexDef* def = indexDefs_->Find(indexName_);
        if (!def) DatabaseError(Format(dbconsts::SIndexNotFound, {indexName_}), this);
        auto listed = [](const std::string& list, const std::string& name) {
            for (const std::string& item : SplitFieldNames(list))
                if (AnsiSameText(item, name)) return true;
            return false;
        };
        for (const std::string& name : SplitFieldNames(def->Fields()))
            add(name, def->Options().Contains(TIndexOption::ixDescending) || listed(def->DescFields(), name),
                def->Options().Contains(TIndexOption::ixCaseInsensitive) ||
                    listed(def->CaseInsFields(), name));
    } else {
        for (const std::string& name : SplitFieldNames(DefaultKeyFields()))
            add(name, false, false);
    }
    order_ = std::move(order);
}

int TDataSet::CompareRecords(const TDataRecord& a, const TDataRecord& b) const {
    for (const OrderKey& key : order_) {
        auto slot = static_cast<size_t>(key.slot);
        int result = CompareVariants(a.values[slot], b.values[slot], key.caseInsensitive);
        if (result != 0) return key.descending ? -result : result;
    }
    return 0;
}

int TDataSet::CompareKey(const TDataRecord& record, const std::vector<Variant>& key, int count) const {
    for (int i = 0; i < count; ++i) {
        const OrderKey& order = order_[static_cast<size_t>(i)];
        int result = CompareVariants(record.values[static_cast<size_t>(order.slot)],
                                     key[static_cast<size_t>(i)], order.caseInsensitive);
        if (result != 0) return order.descending ? -result : result;
    }
    return 0;
}

int TDataSet::SortedPosition(const TDataRecord* record) const {
    auto position = std::upper_bound(
        view_.begin(), view_.end(), record,
        [this](const TDataRecord* a, const TDataRecord* b) { return CompareRecords(*a, *b) < 0; });
    return static_cast<int>(position - view_.begin());
}

bool TDataSet::InRange(const TDataRecord& record) const {
    if (!rangeLow_.empty() && CompareKey(record, rangeLow_, static_cast<int>(rangeLow_.size())) < 0)
        return false;
    if (!rangeHigh_.empty() && CompareKey(record, rangeHigh_, static_cast<int>(rangeHigh_.size())) > 0)
        return false;
    return true;
}

void TDataSet::BuildView(std::optional<Int64> keepId) {
    view_.clear();
    view_.reserve(store_.size());
    for (const auto& record : store_)
        if (!rangeActive_ || InRange(*record)) view_.push_back(record.get());
    if (!order_.empty())
        std::stable_sort(view_.begin(), view_.end(), [this](const TDataRecord* a, const TDataRecord* b) {
            return CompareRecords(*a, *b) < 0;
        });
    cursor_ = view_.empty() ? -1 : 0;
    if (keepId) {
        for (size_t i = 0; i < view_.size(); ++i)
            if (view_[i]->id == *keepId) {
                cursor_ = static_cast<int>(i);
                break;
            }
    }
}

void TDataSet::ApplyOrderChange() {
    if (Windowed()) {
        rangeActive_ = false;
        rangeLow_.clear();
        rangeHigh_.clear();
        countCache_.reset();
        ReloadAround(cursor_ >= 0 ? view_[static_cast<size_t>(cursor_)] : nullptr);
        Resync();
        return;
    }
    std::optional<Int64> current;
    if (cursor_ >= 0) current = view_[static_cast<size_t>(cursor_)]->id;
    rangeActive_ = false;
    rangeLow_.clear();
    rangeHigh_.clear();
    BuildView(current);
    Resync();
}

void TDataSet::SetIndexFieldNames(const std::string& names) {
    if (names == indexFieldNames_ && (indexName_.empty() || names.empty())) return;
    if (!Active()) {
        indexFieldNames_ = names;
        if (!names.empty()) indexName_.clear();
        return;
    }
    CheckBrowseMode();
    CheckSeeksByKey();
    std::string oldFields = indexFieldNames_, oldName = indexName_;
    indexFieldNames_ = names;
    if (!names.empty()) indexName_.clear();
    try {
        ResolveOrder();
    } catch (...) {
        indexFieldNames_ = oldFields;
        indexName_ = oldName;
        throw;
    }
    ApplyOrderChange();
}

void TDataSet::SetIndexName(const std::string& name) {
    if (AnsiSameText(name, indexName_) && (indexFieldNames_.empty() || name.empty())) return;
    if (!Active()) {
        indexName_ = name;
        if (!name.empty()) indexFieldNames_.clear();
        return;
    }
    CheckBrowseMode();
    CheckSeeksByKey();
    std::string oldFields = indexFieldNames_, oldName = indexName_;
    indexName_ = name;
    if (!name.empty()) indexFieldNames_.clear();
    try {
        ResolveOrder();
    } catch (...) {
        indexFieldNames_ = oldFields;
        indexName_ = oldName;
        throw;
    }
    ApplyOrderChange();
}

TField* TDataSet::IndexFields(int index) const {
    if (index < 0 || index >= static_cast<int>(order_.size()))
        DatabaseError(std::string(dbconsts::SFieldIndexError), this);
    return fields_->list_[static_cast<size_t>(order_[static_cast<size_t>(index)].slot)];
}

// ---------------------------------------------------------------------------------------------
// Keys and ranges

void TDataSet::CheckKeyIndex() const {
    if (order_.empty()) DatabaseError(std::string(dbconsts::SNoIndexActive), this);
}

void TDataSet::EnterKeyMode(KeyBuffer buffer, bool clear) {
    CheckBrowseMode();
    CheckKeyIndex();
    KeyValues& key = keys_[buffer];
    size_t count = fields_->list_.size();
    if (clear || key.values.size() != count) {
        key.values.assign(count, Variant());
        key.assigned.assign(count, false);
    }
    savedKey_ = key;
    keyBuffer_ = buffer;
    SetState(dsSetKey);
    SendEvent(deDataSetChange, nullptr, 0);
}

void TDataSet::SetKey() {
    EnterKeyMode(kbLookup, true);
}
void TDataSet::EditKey() {
    EnterKeyMode(kbLookup, false);
}
void TDataSet::SetRangeStart() {
    EnterKeyMode(kbRangeStart, true);
}
void TDataSet::SetRangeEnd() {
    EnterKeyMode(kbRangeEnd, true);
}
void TDataSet::EditRangeStart() {
    EnterKeyMode(kbRangeStart, false);
}
void TDataSet::EditRangeEnd() {
    EnterKeyMode(kbRangeEnd, false);
}

int TDataSet::KeyCount(const KeyValues& key) const {
    int count = 0;
    for (const OrderKey& order : order_) {
        auto slot = static_cast<size_t>(order.slot);
        if (slot >= key.assigned.size() || !key.assigned[slot]) break;
        ++count;
    }
    return count;
}

std::vector<Variant> TDataSet::KeyVector(const KeyValues& key) const {
    std::vector<Variant> values;
    int count = KeyCount(key);
    for (int i = 0; i < count; ++i)
        values.push_back(key.values[static_cast<size_t>(order_[static_cast<size_t>(i)].slot)]);
    return values;
}

bool TDataSet::SeekKey(const KeyValues& keyValues, bool nearest) {
    std::vector<Variant> key = KeyVector(keyValues);
    int count = static_cast<int>(key.size());
    if (!WindowComplete()) {
        CheckSeeksByKey();
        std::unique_ptr<TDataRecord> record = SeekRecord(key, nearest);
        if (!record) return false;
        GoToFetched(std::move(record));
        return true;
    }
    auto position = std::lower_bound(
        view_.begin(), view_.end(), key,
        [&](const TDataRecord* record, const auto& k) { return CompareKey(*record, k, count) < 0; });
    if (view_.empty()) return false;
    if (!nearest) {
        if (position == view_.end() || CompareKey(**position, key, count) != 0) return false;
    } else if (position == view_.end()) {
        --position;
    }
    ScrollTo(static_cast<int>(position - view_.begin()));
    return true;
}

bool TDataSet::GotoKey() {
    CheckBrowseMode();
    CheckKeyIndex();
    return SeekKey(keys_[kbLookup], false);
}

void TDataSet::GotoNearest() {
    CheckBrowseMode();
    CheckKeyIndex();
    SeekKey(keys_[kbLookup], true);
}

bool TDataSet::FindKey(const std::vector<Variant>& keyValues) {
    CheckBrowseMode();
    CheckKeyIndex();
    if (keyValues.size() > order_.size()) DatabaseError(std::string(dbconsts::SFieldValueCount), this);
    SetKey();
    try {
        for (size_t i = 0; i < keyValues.size(); ++i)
            IndexFields(static_cast<int>(i))->SetValue(keyValues[i]);
    } catch (...) {
        Cancel();
        throw;
    }
    return GotoKey();
}

void TDataSet::FindNearest(const std::vector<Variant>& keyValues) {
    CheckBrowseMode();
    CheckKeyIndex();
    if (keyValues.size() > order_.size()) DatabaseError(std::string(dbconsts::SFieldValueCount), this);
    SetKey();
    try {
        for (size_t i = 0; i < keyValues.size(); ++i)
            IndexFields(static_cast<int>(i))->SetValue(keyValues[i]);
    } catch (...) {
        Cancel();
        throw;
    }
    GotoNearest();
}

void TDataSet::ApplyRange() {
    CheckBrowseMode();
    CheckKeyIndex();
    CheckSeeksByKey();
    rangeLow_ = KeyVector(keys_[kbRangeStart]);
    rangeHigh_ = KeyVector(keys_[kbRangeEnd]);
    rangeActive_ = true;
    countCache_.reset();
    if (Windowed()) {
        windowStart_ = false;  // read the range's first window
        First();
        return;
    }
    BuildView(std::nullopt);
    First();
}

void TDataSet::CancelRange() {
    CheckBrowseMode();
    if (!rangeActive_) return;
    rangeActive_ = false;
    rangeLow_.clear();
    rangeHigh_.clear();
    countCache_.reset();
    if (Windowed()) {
        ReloadAround(cursor_ >= 0 ? view_[static_cast<size_t>(cursor_)] : nullptr);
        Resync();
        return;
    }
    std::optional<Int64> current;
    if (cursor_ >= 0) current = view_[static_cast<size_t>(cursor_)]->id;
    BuildView(current);
    Resync();
}

void TDataSet::SetRange(const std::vector<Variant>& startValues, const std::vector<Variant>& endValues) {
    CheckBrowseMode();
    CheckKeyIndex();
    if (startValues.size() > order_.size() || endValues.size() > order_.size())
        DatabaseError(std::string(dbconsts::SFieldValueCount), this);
    try {
        SetRangeStart();
        for (size_t i = 0; i < startValues.size(); ++i)
            IndexFields(static_cast<int>(i))->SetValue(startValues[i]);
        SetRangeEnd();
        for (size_t i = 0; i < endValues.size(); ++i)
            IndexFields(static_cast<int>(i))->SetValue(endValues[i]);
    } catch (...) {
        Cancel();
        throw;
    }
    ApplyRange();
}

}  // namespace vcl
