// The record window of datasets that read from a database: a bounded run of rows around the
// current one, read through the source in the current order and slid along as navigation passes
// its edges. Rows are sought by their keys, never by reading from the start again.
#include <algorithm>

#include "vcl/db.h"

namespace vcl {

namespace {
// The first read of a window: enough for the controls that show a dataset, small enough that
// opening costs the same whatever the table's size. Reading on doubles it up to the limit.
constexpr int kFirstFetch = 64;

[[noreturn]] void NoSource(const TComponent* component) {
    DatabaseError("This dataset reads no rows from a source", component);
}
}  // namespace

void TDataSet::SetWindowLimit(int limit) {
    windowLimit_ = std::max(2, limit);
}

void TDataSet::FetchRecords(const TDataRecord*, bool, int, std::vector<std::unique_ptr<TDataRecord>>&) {
    NoSource(this);
}
std::unique_ptr<TDataRecord> TDataSet::FetchRecord(Int64) {
    NoSource(this);
}
Int64 TDataSet::CountRecords(const TDataRecord*) {
    NoSource(this);
}
std::unique_ptr<TDataRecord> TDataSet::FetchRecordAt(Int64) {
    NoSource(this);
}
std::unique_ptr<TDataRecord> TDataSet::SeekRecord(const std::vector<Variant>&, bool) {
    NoSource(this);
}

std::unique_ptr<TDataRecord> TDataSet::NewRecord(Int64 id, bool cleared) const {
    std::unique_ptr<TDataRecord> record;
    if (!spareRecords_.empty()) {
        // A row the window let go of, emptied: reading on then allocates almost nothing.
        record = std::move(spareRecords_.back());
        spareRecords_.pop_back();
        if (cleared)
            for (Variant& value : record->values)
                value = Variant();
        record->displaced = record->unread = false;
    } else {
        record = std::make_unique<TDataRecord>();
    }
    record->id = id;
    record->values.resize(fields_->list_.size());
    return record;
}

void TDataSet::KeepSpare(std::vector<std::unique_ptr<TDataRecord>>::iterator begin,
                         std::vector<std::unique_ptr<TDataRecord>>::iterator end) {
    for (auto it = begin; it != end && spareRecords_.size() < static_cast<size_t>(windowLimit_); ++it)
        spareRecords_.push_back(std::move(*it));
}

Variant TDataSet::ConvertForField(const TField* field, const Variant& value) {
    return field->Convert(value);
}

void TDataSet::CheckSeeksByKey() const {
    if (Windowed() && !SeeksByKey() && !WindowComplete())
        DatabaseError(
            "Cannot order, range or search by key a result larger than its window; "
            "say it in the SQL text",
            this);
}

int TDataSet::FirstFetch() const {
    // The controls showing the dataset ask for their rows: the first read brings at least those.
    int wanted = kFirstFetch;
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->links_)
            wanted = std::max(wanted, 2 * link->BufferCount());
    return std::min(wanted, windowLimit_);
}

TDataSet::Window TDataSet::ReadFirstWindow() {
    Window window;
    int limit = FirstFetch();
    FetchRecords(nullptr, true, limit, window.rows);
    window.atStart = true;
    window.atEnd = static_cast<int>(window.rows.size()) < limit;
    window.base = 0;
    window.cursor = window.rows.empty() ? -1 : 0;
    return window;
}

TDataSet::Window TDataSet::ReadLastWindow() {
    Window window;
    int limit = FirstFetch();
    FetchRecords(nullptr, false, limit, window.rows);
    std::reverse(window.rows.begin(), window.rows.end());
    window.atEnd = true;
    window.atStart = static_cast<int>(window.rows.size()) < limit;
    if (window.atStart) window.base = 0;
    window.cursor = static_cast<int>(window.rows.size()) - 1;
    return window;
}

TDataSet::Window TDataSet::ReadWindowAround(std::unique_ptr<TDataRecord> record) {
    Window window;
    int half = std::max(1, FirstFetch() / 2);
    FetchRecords(record.get(), false, half, window.rows);
    window.atStart = static_cast<int>(window.rows.size()) < half;
    if (window.atStart) window.base = 0;
    std::reverse(window.rows.begin(), window.rows.end());
    window.cursor = static_cast<int>(window.rows.size());
    std::vector<std::unique_ptr<TDataRecord>> after;
    FetchRecords(record.get(), true, half, after);
    window.atEnd = static_cast<int>(after.size()) < half;
    record->displaced = false;
    window.rows.push_back(std::move(record));
    for (auto& row : after)
        window.rows.push_back(std::move(row));
    return window;
}

void TDataSet::InstallWindow(Window window) {
    store_ = std::move(window.rows);
    cursor_ = window.cursor;
    windowStart_ = window.atStart;
    windowEnd_ = window.atEnd;
    windowBase_ = window.base;
    fetchBatch_ = 0;
    SyncView();
}

void TDataSet::SyncView() {
    view_.clear();
    view_.reserve(store_.size());
    for (const auto& record : store_)
        view_.push_back(record.get());
}

const TDataRecord* TDataSet::EdgeRecord(bool last) const {
    // Rows shown out of order cannot say where the next rows begin.
    if (last) {
        for (auto it = view_.rbegin(); it != view_.rend(); ++it)
            if (!(*it)->displaced) return *it;
    } else {
        for (const TDataRecord* record : view_)
            if (!record->displaced) return record;
    }
    return nullptr;
}

namespace {
// Drops rows read again that the window already shows out of order.
void DropShown(std::vector<std::unique_ptr<TDataRecord>>& rows,
               const std::vector<std::unique_ptr<TDataRecord>>& held) {
    std::vector<Int64> shown;
    for (const auto& record : held)
        if (record->displaced) shown.push_back(record->id);
    if (shown.empty()) return;
    std::erase_if(rows, [&](const std::unique_ptr<TDataRecord>& row) {
        return std::find(shown.begin(), shown.end(), row->id) != shown.end();
    });
}
}  // namespace

int TDataSet::ExtendForward(const TDataRecord* fallbackAnchor) {
    ReadBackPosted();
    const TDataRecord* anchor = EdgeRecord(true);
    if (!anchor) anchor = fallbackAnchor;
    if (!anchor) {
        // Nothing to read on from: start over.
        int shift = -static_cast<int>(store_.size());
        InstallWindow(ReadFirstWindow());
        return shift;
    }
    fetchBatch_ = fetchBatch_ == 0 ? FirstFetch() : std::min(windowLimit_, fetchBatch_ * 2);
    std::vector<std::unique_ptr<TDataRecord>> rows;
    FetchRecords(anchor, true, fetchBatch_, rows);
    windowEnd_ = static_cast<int>(rows.size()) < fetchBatch_;
    DropShown(rows, store_);
    for (auto& row : rows)
        store_.push_back(std::move(row));
    int dropped = std::max(0, static_cast<int>(store_.size()) - windowLimit_);
    if (dropped > 0) {
        KeepSpare(store_.begin(), store_.begin() + dropped);
        store_.erase(store_.begin(), store_.begin() + dropped);
        windowStart_ = false;
        if (windowBase_) *windowBase_ += dropped;
        cursor_ -= dropped;
    }
    SyncView();
    ReadAheadFrom(EdgeRecord(true), true);
    return -dropped;
}

void TDataSet::ReadAheadFrom(const TDataRecord* edge, bool forward) {
    // Reading on past the first window is a scan: the source may start on the next rows while
    // the caller works through these.
    bool more = forward ? !windowEnd_ : !windowStart_;
    if (more && edge) ReadAheadRecords(*edge, forward, std::min(windowLimit_, fetchBatch_ * 2));
}

int TDataSet::ExtendBackward() {
    ReadBackPosted();
    const TDataRecord* anchor = EdgeRecord(false);
    if (!anchor) {
        InstallWindow(ReadLastWindow());
        return static_cast<int>(store_.size());
    }
    fetchBatch_ = fetchBatch_ == 0 ? FirstFetch() : std::min(windowLimit_, fetchBatch_ * 2);
    std::vector<std::unique_ptr<TDataRecord>> rows;
    FetchRecords(anchor, false, fetchBatch_, rows);
    windowStart_ = static_cast<int>(rows.size()) < fetchBatch_;
    DropShown(rows, store_);
    auto added = static_cast<int>(rows.size());
    std::reverse(rows.begin(), rows.end());
    store_.insert(store_.begin(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    if (windowStart_)
        windowBase_ = 0;
    else if (windowBase_)
        *windowBase_ -= added;
    cursor_ += added;
    if (static_cast<int>(store_.size()) > windowLimit_) {
        KeepSpare(store_.begin() + windowLimit_, store_.end());
        store_.resize(static_cast<size_t>(windowLimit_));
        windowEnd_ = false;
    }
    SyncView();
    ReadAheadFrom(EdgeRecord(false), false);
    return added;
}

void TDataSet::ReloadAround(const TDataRecord* current) {
    if (!current) {
        InstallWindow(ReadFirstWindow());
        return;
    }
    // Copied first: installing a window frees the rows the current one may point into.
    TDataRecord anchor = *current;
    anchor.displaced = false;
    if (std::unique_ptr<TDataRecord> fresh = FetchRecord(anchor.id)) {
        InstallWindow(ReadWindowAround(std::move(fresh)));
        return;
    }
    // The row is gone: the window resumes at the row that followed it.
    std::vector<std::unique_ptr<TDataRecord>> next;
    FetchRecords(&anchor, true, 1, next);
    if (!next.empty())
        InstallWindow(ReadWindowAround(std::move(next.front())));
    else
        InstallWindow(ReadLastWindow());
}

void TDataSet::GoToFetched(std::unique_ptr<TDataRecord> record) {
    Window window = ReadWindowAround(std::move(record));
    Notify(BeforeScroll);
    InstallWindow(std::move(window));
    bof_ = eof_ = false;
    CalcCurrent();
    SendEvent(deDataSetChange, nullptr, 0);
    Notify(AfterScroll);
}

}  // namespace vcl
