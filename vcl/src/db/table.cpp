// TTable and TQuery on the database drivers.
#include <algorithm>

#include "db/driver.h"
#include "vcl/dbtables.h"

namespace vcl {

using dbdriver::Param;
using dbdriver::QuoteIdentifier;
using dbdriver::Row;

namespace {

bool IsTextType(TFieldType type) {
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftWideString || type == TFieldType::ftMemo || type == TFieldType::ftFmtMemo;
}

// Characters of UTF-8 text, as SQL's substr counts them.
int CharacterCount(const std::string& text) {
    int count = 0;
    for (char ch : text)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++count;
    return count;
}

bool SqlIdentifierChar(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
           ch >= 0x80;
}

// Where the quoted name or text, or the comment, that starts at `i` ends; `i` itself when none starts
// there. A doubled quote stays inside; an unclosed one runs to the end.
size_t SkipSqlQuoteOrComment(std::string_view sql, size_t i) {
    const size_t n = sql.size();
    const char ch = sql[i];
    if (ch == '\'' || ch == '"' || ch == '`' || ch == '[') {
        const char close = ch == '[' ? ']' : ch;
        for (++i; i < n; ++i)
            if (sql[i] == close) {
                if (close != ']' && i + 1 < n && sql[i + 1] == close) {
                    ++i;
                    continue;
                }
                break;
            }
        return std::min(n, i + 1);
    }
    if (ch == '-' && i + 1 < n && sql[i + 1] == '-') {
        const size_t end = sql.find('\n', i);
        return end == std::string_view::npos ? n : end;
    }
    if (ch == '/' && i + 1 < n && sql[i + 1] == '*') {
        const size_t end = sql.find("*/", i + 2);
        return end == std::string_view::npos ? n : end + 2;
    }
    return i;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TTable

// A statement's bound values, each answered with the placeholder that takes it.
struct TTable::Sql {
    const dbdriver::Connection& connection;
    std::vector<Param> params;

    std::string Bind(const Variant& value, TFieldType type) {
        params.push_back({value, type});
        return connection.Placeholder(static_cast<int>(params.size()));
    }
};

VCL_DEFINE_CLASS(TTable, TDBDataSet)

TTable::TTable(TComponent* owner) : TDBDataSet(owner) {}

TTable::~TTable() {
    CloseForDestruction();
}

void TTable::SetTableName(const std::string& name) {
    if (name == tableName_) return;
    CheckInactive();
    tableName_ = name;
}

std::string TTable::QuotedTable() const {
    return QuoteIdentifier(info_ && !info_->name.empty() ? info_->name : tableName_);
}

bool TTable::Exists() {
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    bool wasOpen = Database() != nullptr;
    dbdriver::Connection& connection = OpenDatabase();
    const ScopeExit close([&] {
        if (!wasOpen) CloseDatabase();
    });
    return connection.TableExists(tableName_, this);
}

void TTable::InternalOpen() {
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    dbdriver::Connection& connection = OpenDatabase();
    ReadColumns(connection);
    IndexDefs()->Clear();
    connection.ReadIndexes(tableName_, *IndexDefs(), this);
}

void TTable::ReadColumns(dbdriver::Connection& connection) {
    FieldDefs()->Clear();
    caseInsensitive_.clear();
    notNull_.clear();
    info_ = std::make_unique<dbdriver::TableInfo>(connection.ReadTable(tableName_, this));
    if (info_->columns.empty()) DatabaseError(Format(dbconsts::STableNotFound, {tableName_}), this);
    for (const dbdriver::ColumnInfo& column : info_->columns) {
        FieldDefs()->Add(column.name, column.type.type, column.type.size, column.required);
        caseInsensitive_.push_back(column.caseInsensitive);
        notNull_.push_back(column.notNull);
    }
    // A key that is the row's identity is read once, as the column it is.
    std::string list = info_->identityColumn >= 0 ? "" : info_->identity;
    for (int i = 0; i < FieldDefs()->Count(); ++i)
        list += (list.empty() ? "" : ", ") + QuoteIdentifier(FieldDefs()->Items(i)->Name());
    selectList_ = "SELECT " + list + " FROM " + QuotedTable();
    primaryKey_.clear();
    for (const std::string& name : info_->primaryKey)
        primaryKey_ += (primaryKey_.empty() ? "" : ";") + name;
}

void TTable::InternalClose() {
    scan_ = {};
    postSlots_.clear();
    bulkSlots_.clear();
    bulkColumns_.clear();
    CloseDatabase();
    info_.reset();
    selectList_.clear();
}

bool TTable::FieldCaseInsensitive(const TField* field) const {
    auto index = static_cast<size_t>(field->FieldNo() - 1);
    return field->FieldNo() > 0 && index < caseInsensitive_.size() && caseInsensitive_[index];
}

std::string TTable::DefaultKeyFields() const {
    return primaryKey_;
}

bool TTable::KeyNotNull(const OrderKey& key) const {
    const TField* field = Fields()[key.slot];
    auto index = static_cast<size_t>(field->FieldNo() - 1);
    return field->FieldNo() > 0 && index < notNull_.size() && notNull_[index];
}

bool TTable::OrderUnique() const {
    if (!info_ || info_->primaryKey.empty()) return false;
    for (const std::string& column : info_->primaryKey) {
        bool held = std::any_of(OrderKeys().begin(), OrderKeys().end(), [&](const OrderKey& key) {
            return !key.caseInsensitive && KeyNotNull(key) && Fields()[key.slot]->FieldName() == column;
        });
        if (!held) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Reading through keys

dbdriver::RowHandler TTable::Recorder(std::vector<std::unique_ptr<TDataRecord>>& rows) {
    // SelectList's columns: the identity first unless it is one of the table's columns.
    int first = info_->identityColumn >= 0 ? 0 : 1;
    int identity = info_->identityColumn >= 0 ? info_->identityColumn : 0;
    // Each field definition's column into its record slot; calculated and lookup fields are not
    // read and stay null.
    std::vector<int> slots = DefSlots();
    std::vector<dbdriver::ColumnRead> reads;
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i] >= 0)
            reads.push_back({static_cast<int>(i) + first, FieldDefs()->Items(static_cast<int>(i))->DataType(),
                             static_cast<size_t>(slots[i])});
    // A reused record may hold old values in slots that are not read.
    bool clear = reads.size() < static_cast<size_t>(Fields().Count());
    // The identity as the record holds it, when its column is read into a slot anyway.
    std::optional<size_t> identitySlot;
    if (info_->identityColumn >= 0)
        for (const dbdriver::ColumnRead& read : reads)
            if (read.column == identity) identitySlot = read.slot;
    return [this, &rows, identity, identitySlot, clear, reads = std::move(reads)](const Row& row) {
        std::unique_ptr<TDataRecord> record = NewRecord(0, clear);
        row.ReadInto(reads, record->values);
        record->id = identitySlot ? record->values[*identitySlot].AsInt64()
                                  : dbdriver::ReadIdentity(*info_, row, identity);
        rows.push_back(std::move(record));
        return true;
    };
}

void TTable::ReadRows(const std::string& sql, Sql& statement,
                      std::vector<std::unique_ptr<TDataRecord>>& rows) {
    Connection().Run(sql, statement.params, Recorder(rows), this);
}

std::unique_ptr<TDataRecord> TTable::ReadOne(const std::string& sql, Sql& statement) {
    std::vector<std::unique_ptr<TDataRecord>> rows;
    ReadRows(sql, statement, rows);
    return rows.empty() ? nullptr : std::move(rows.front());
}

std::string TTable::KeyExpression(const OrderKey& key) const {
    std::string column = QuoteIdentifier(Fields()[key.slot]->FieldName());
    return key.caseInsensitive ? Connection().Caseless(column) : column;
}

std::string TTable::OrderBy(bool forward) const {
    const dbdriver::Connection& connection = Connection();
    std::string order;
    for (const OrderKey& key : OrderKeys()) {
        bool descending = key.descending != !forward;
        // Where nulls go is said only where there can be some: an index then serves the order
        // whichever way the engine places them.
        order += (order.empty() ? " ORDER BY " : ", ") + KeyExpression(key) + (descending ? " DESC" : "") +
                 (KeyNotNull(key) ? std::string() : connection.NullsPlacement(descending));
    }
    if (!OrderUnique())
        order += (order.empty() ? " ORDER BY " : ", ") + info_->identity + (forward ? "" : " DESC");
    return order;
}

std::vector<Variant> TTable::AnchorKey(const TDataRecord& record) const {
    std::vector<Variant> key;
    for (const OrderKey& order : OrderKeys())
        key.push_back(record.values[static_cast<size_t>(order.slot)]);
    return key;
}

std::string TTable::Beyond(Sql& statement, const std::vector<Variant>& anchor, bool hasIdentity,
                           Int64 identity, bool forward, bool inclusive, bool nullsApart) const {
    const dbdriver::Connection& connection = Connection();
    const std::vector<OrderKey>& keys = OrderKeys();
    // Built from the last key inwards: beyond(k) OR (level(k) AND rest). Nulls sort first, so
    // nothing lies below a null and everything that is not null lies above it. Keys that tell
    // rows apart leave the identity out: level on all of them is the anchor itself.
    std::string rest;
    bool restAlways = inclusive, restNever = !inclusive;
    int terms = 0;
    if (hasIdentity && !OrderUnique()) {
        Param bound = dbdriver::IdentityParam(*info_, identity);
        statement.params.push_back(bound);
        std::string mark =
            dbdriver::IdentityPlaceholder(connection, *info_, static_cast<int>(statement.params.size()));
        rest =
            info_->identity + (forward ? (inclusive ? " >= " : " > ") : (inclusive ? " <= " : " < ")) + mark;
        restAlways = restNever = false;
        ++terms;
    }
    for (size_t i = std::min(anchor.size(), keys.size()); i-- > 0;) {
        const OrderKey& key = keys[i];
        const Variant& value = anchor[i];
        std::string expression = KeyExpression(key);
        bool upward = key.descending != forward;
        TFieldType type = Fields()[key.slot]->DataType();
        std::string beyond, level;
        if (value.IsNull()) {
            beyond = upward ? expression + " IS NOT NULL" : "";
            level = expression + " IS NULL";
        } else {
            std::string mark = statement.Bind(value, type);
            if (key.caseInsensitive) mark = connection.Caseless(mark);
            if (upward)
                beyond = expression + " > " + mark;
            else if (KeyNotNull(key))
                beyond = expression + " < " + mark;
            else
                beyond = "(" + expression + " < " + mark + " OR " + expression + " IS NULL)";
            // Level with the anchor matters only where something follows; an unused value would
            // leave the statement's placeholders and values out of step.
            if (!restNever) {
                std::string same = statement.Bind(value, type);
                if (key.caseInsensitive) same = connection.Caseless(same);
                level = expression + " = " + same;
            }
        }
        std::string combined;
        if (restAlways)
            combined = beyond.empty() ? level : "(" + beyond + " OR " + level + ")";
        else if (restNever)
            combined = beyond.empty() ? "1 = 0" : beyond;
        else
            combined = beyond.empty() ? "(" + level + " AND " + rest + ")"
                                      : "(" + beyond + " OR (" + level + " AND " + rest + "))";
        rest = combined;
        restAlways = restNever = false;
        ++terms;
    }
    if (restAlways) return "1 = 1";
    if (restNever) return "1 = 0";
    // The same condition again on the first key alone, in a form an index can seek by: without
    // it the engine reads from the start for every window. A lone comparison already is one.
    // Reading down towards nulls, the caller that reads the null rows apart (nullsApart) gets a
    // bound that leaves them out, so that the seek is not lost to an OR.
    if (!anchor.empty() && !keys.empty() && !anchor[0].IsNull()) {
        const OrderKey& first = keys[0];
        bool upward = first.descending != forward;
        bool noNulls = KeyNotNull(first) || nullsApart;
        if (terms > 1 || !(upward || noNulls)) {
            std::string expression = KeyExpression(first);
            std::string mark = statement.Bind(anchor[0], Fields()[first.slot]->DataType());
            if (first.caseInsensitive) mark = connection.Caseless(mark);
            std::string bound = upward ? expression + " >= " + mark
                                : noNulls
                                    ? expression + " <= " + mark
                                    : "(" + expression + " <= " + mark + " OR " + expression + " IS NULL)";
            rest = bound + " AND " + rest;
        }
    }
    return rest;
}

std::string TTable::RangeCondition(Sql& statement) const {
    if (!RangeApplied()) return {};
    std::string condition;
    if (!RangeLow().empty()) condition = Beyond(statement, RangeLow(), false, 0, true, true);
    if (!RangeHigh().empty())
        condition +=
            (condition.empty() ? "" : " AND ") + Beyond(statement, RangeHigh(), false, 0, false, true);
    return condition;
}

std::string TTable::FetchStatement(const TDataRecord* anchor, bool forward, Sql& statement,
                                   const OrderKey*& nullable) const {
    std::string where = RangeCondition(statement);
    // Reading down from a value of a first key that can be null, the null rows come last: they
    // are read apart, after the others, so that those are sought by the key's index.
    nullable = nullptr;
    if (anchor) {
        std::vector<Variant> key = AnchorKey(*anchor);
        const std::vector<OrderKey>& keys = OrderKeys();
        if (!keys.empty() && keys[0].descending == forward && !KeyNotNull(keys[0]) && !key[0].IsNull())
            nullable = &keys[0];
        std::string beyond = Beyond(statement, key, true, anchor->id, forward, false, nullable != nullptr);
        where += (where.empty() ? "" : " AND ") + beyond;
    }
    return SelectList() + (where.empty() ? "" : " WHERE " + where) + OrderBy(forward);
}

void TTable::FetchRecords(const TDataRecord* anchor, bool forward, int limit,
                          std::vector<std::unique_ptr<TDataRecord>>& rows) {
    Sql statement{Connection(), {}};
    const OrderKey* nullable = nullptr;
    std::string sql = FetchStatement(anchor, forward, statement, nullable);
    if (anchor && ReadScan(sql, *anchor, limit, rows)) return;
    size_t start = rows.size();
    ReadRows(sql + " LIMIT " + IntToStr(limit), statement, rows);
    auto read = static_cast<int>(rows.size() - start);
    if (nullable && read < limit) {
        Sql nulls{Connection(), {}};
        std::string among = RangeCondition(nulls);
        among += (among.empty() ? "" : " AND ") + KeyExpression(*nullable) + " IS NULL";
        ReadRows(SelectList() + " WHERE " + among + OrderBy(forward) + " LIMIT " + IntToStr(limit - read),
                 nulls, rows);
    }
}

// A scan streams its rows: one statement for many windows, read as the window slides on, so that
// the server is not asked again for every window and produces rows while the caller works.
namespace {
// How many windows one scan statement reads at most. A scan left early leaves its rest to be
// received and dropped by the connection's next statement: bounded, so that costs little.
constexpr int kScanWindows = 16;
}  // namespace

bool TTable::ReadScan(const std::string& sql, const TDataRecord& anchor, int limit,
                      std::vector<std::unique_ptr<TDataRecord>>& rows) {
    if (!scan_.Covers(sql, anchor, limit)) return false;
    int read = Connection().ReadStream(scan_.ticket, limit, Recorder(rows), this);
    if (read < 0) {
        // Another statement ended it.
        scan_ = {};
        return false;
    }
    scan_.left -= read;
    if (read < limit || scan_.left == 0)
        scan_ = {};
    else
        scan_.lastId = rows.back()->id;
    return true;
}

void TTable::ReadAheadRecords(const TDataRecord& anchor, bool forward, int limit) {
    Sql statement{Connection(), {}};
    const OrderKey* nullable = nullptr;
    std::string sql = FetchStatement(&anchor, forward, statement, nullable);
    // The scan open still covers the next window.
    if (scan_.Covers(sql, anchor, limit)) return;
    scan_ = {};
    // Null rows read apart take a statement of their own.
    if (nullable) return;
    int budget = limit * kScanWindows;
    uint64_t ticket = Connection().StartStream(sql + " LIMIT " + IntToStr(budget), statement.params, this);
    if (ticket) scan_ = {ticket, std::move(sql), anchor.id, budget};
}

std::unique_ptr<TDataRecord> TTable::RereadRecord(Int64 id) {
    Sql statement{Connection(), {}};
    statement.params.push_back(dbdriver::IdentityParam(*info_, id));
    return ReadOne(SelectList() + " WHERE " + info_->identity + " = " +
                       dbdriver::IdentityPlaceholder(Connection(), *info_, 1),
                   statement);
}

std::unique_ptr<TDataRecord> TTable::FetchRecord(Int64 id) {
    return RereadRecord(id);
}

Int64 TTable::CountRecords(const TDataRecord* before) {
    Sql statement{Connection(), {}};
    std::string where = RangeCondition(statement);
    if (before) {
        std::string beyond = Beyond(statement, AnchorKey(*before), true, before->id, false, false);
        where += (where.empty() ? "" : " AND ") + beyond;
    }
    Int64 count = 0;
    Connection().Run(
        "SELECT count(*) FROM " + QuotedTable() + (where.empty() ? "" : " WHERE " + where), statement.params,
        [&](const Row& row) {
            count = row.Int64At(0);
            return false;
        },
        this);
    return count;
}

std::unique_ptr<TDataRecord> TTable::FetchRecordAt(Int64 position) {
    Sql statement{Connection(), {}};
    std::string where = RangeCondition(statement);
    return ReadOne(SelectList() + (where.empty() ? "" : " WHERE " + where) + OrderBy(true) +
                       " LIMIT 1 OFFSET " + std::to_string(position),
                   statement);
}

std::unique_ptr<TDataRecord> TTable::SeekRecord(const std::vector<Variant>& key, bool nearest) {
    Sql statement{Connection(), {}};
    std::string where = RangeCondition(statement);
    std::string condition;
    if (nearest) {
        condition = Beyond(statement, key, false, 0, true, true);
    } else {
        const std::vector<OrderKey>& keys = OrderKeys();
        for (size_t i = 0; i < key.size() && i < keys.size(); ++i) {
            std::string expression = KeyExpression(keys[i]);
            std::string term;
            if (key[i].IsNull()) {
                term = expression + " IS NULL";
            } else {
                std::string mark = statement.Bind(key[i], Fields()[keys[i].slot]->DataType());
                term = expression + " = " + (keys[i].caseInsensitive ? Connection().Caseless(mark) : mark);
            }
            condition += (condition.empty() ? "" : " AND ") + term;
        }
    }
    if (!condition.empty()) where += (where.empty() ? "" : " AND ") + condition;
    std::string sql = SelectList() + (where.empty() ? "" : " WHERE " + where) + OrderBy(true) + " LIMIT 1";
    std::unique_ptr<TDataRecord> found = ReadOne(sql, statement);
    if (!found && nearest) {
        // Past every key: the last row, as a search in memory would end.
        std::vector<std::unique_ptr<TDataRecord>> last;
        FetchRecords(nullptr, false, 1, last);
        if (!last.empty()) found = std::move(last.front());
    }
    return found;
}

std::unique_ptr<TDataRecord> TTable::LocateRecord(const std::vector<TField*>& fields,
                                                  const std::vector<Variant>& values,
                                                  TLocateOptions options) {
    const dbdriver::Connection& connection = Connection();
    bool caseless = options.Contains(TLocateOption::loCaseInsensitive);
    bool partial = options.Contains(TLocateOption::loPartialKey);
    Sql statement{connection, {}};
    std::string where = RangeCondition(statement);
    for (size_t i = 0; i < fields.size(); ++i) {
        TField* field = fields[i];
        if (field->FieldKind() != TFieldKind::fkData) return TDataSet::LocateRecord(fields, values, options);
        std::string column = QuoteIdentifier(field->FieldName());
        const Variant& key = values[i];
        std::string term;
        if (key.IsNull()) {
            term = column + " IS NULL";
        } else if (key.StringPtr() &&
                   (caseless || partial || field->IsBlob() || IsTextType(field->DataType()))) {
            std::string text = IsTextType(field->DataType()) ? column : connection.AsText(column);
            std::string mark = statement.Bind(key, TFieldType::ftString);
            if (partial) text = "substr(" + text + ", 1, " + IntToStr(CharacterCount(*key.StringPtr())) + ")";
            term = caseless ? "lower(" + text + ") = lower(" + mark + ")" : text + " = " + mark;
        } else {
            // A key is compared as the field would store it; one that cannot be stored matches nothing.
            Variant converted;
            try {
                converted = ConvertForField(field, key);
            } catch (const Exception&) {
                return nullptr;
            }
            term = column + " = " + statement.Bind(converted, field->DataType());
        }
        where += (where.empty() ? "" : " AND ") + term;
    }
    return ReadOne(SelectList() + (where.empty() ? "" : " WHERE " + where) + OrderBy(true) + " LIMIT 1",
                   statement);
}

// ---------------------------------------------------------------------------------------------
// Writing through the identity

void TTable::InternalEdit(const TDataRecord& record) {
    if (!RereadRecord(record.id)) DatabaseError(std::string(dbconsts::SRecordChanged), this);
}

void TTable::BulkInsert(TDataRecord& record, const std::vector<bool>& changed) {
    dbdriver::Connection& connection = Connection();
    if (postSlots_.empty()) postSlots_ = DefSlots();
    // The values are bound where they stand: a row of a run is not copied on its way. The rows of
    // a run mostly name the same columns, whose names are then kept.
    size_t count = 0;
    bulkValues_.clear();
    for (size_t i = 0; i < postSlots_.size(); ++i) {
        int slot = postSlots_[i];
        // As in any insert: the values given, and a null given on purpose over a default.
        if (slot < 0 ||
            (!changed[static_cast<size_t>(slot)] && record.values[static_cast<size_t>(slot)].IsNull()))
            continue;
        TFieldDef* def = FieldDefs()->Items(static_cast<int>(i));
        if (count == bulkSlots_.size()) {
            bulkSlots_.push_back(static_cast<size_t>(slot));
            bulkColumns_.push_back(def->Name());
        } else if (bulkSlots_[count] != static_cast<size_t>(slot)) {
            bulkSlots_[count] = static_cast<size_t>(slot);
            bulkColumns_[count] = def->Name();
        }
        ++count;
        bulkValues_.push_back({&record.values[static_cast<size_t>(slot)], def->DataType()});
    }
    bulkSlots_.resize(count);
    bulkColumns_.resize(count);
    auto insert = [&] {
        record.id = connection.InsertRow(info_->name, *info_, bulkColumns_, bulkValues_, this);
    };
    // One statement, and nothing read back: the dataset asks for the row when it needs it.
    if (connection.StatementsAtomic())
        insert();
    else
        connection.Atomically(insert, this);
    record.unread = true;
}

void TTable::InternalPost(TDataRecord& record, const std::vector<bool>& changed, bool inserting) {
    if (inserting && BulkAppending()) {
        BulkInsert(record, changed);
        return;
    }
    dbdriver::Connection& connection = Connection();
    std::vector<int> slots = DefSlots();
    std::vector<std::string> columns;
    std::vector<Param> values;
    for (size_t i = 0; i < slots.size(); ++i) {
        int slot = slots[i];
        if (slot < 0) continue;
        auto s = static_cast<size_t>(slot);
        if (changed[s] || (inserting && !record.values[s].IsNull())) {
            TFieldDef* def = FieldDefs()->Items(static_cast<int>(i));
            columns.push_back(def->Name());
            values.push_back({record.values[s], def->DataType()});
        }
    }
    connection.Atomically(
        [&] {
            Int64 identity = record.id;
            if (inserting) {
                identity = connection.Insert(info_->name, *info_, columns, values, this);
            } else if (!columns.empty()) {
                std::optional<Int64> moved =
                    connection.Update(info_->name, *info_, columns, values, identity, this);
                if (!moved) DatabaseError(std::string(dbconsts::SRecordChanged), this);
                identity = *moved;
            }
            // Defaults and whatever the database computed come back with the row.
            std::unique_ptr<TDataRecord> stored = RereadRecord(identity);
            if (!stored) DatabaseError(std::string(dbconsts::SRecordChanged), this);
            for (size_t i = 0; i < slots.size(); ++i)
                if (slots[i] >= 0)
                    record.values[static_cast<size_t>(slots[i])] =
                        std::move(stored->values[static_cast<size_t>(slots[i])]);
            record.id = identity;
        },
        this);
}

void TTable::InternalDelete(const TDataRecord& record) {
    dbdriver::Connection& connection = Connection();
    connection.Atomically(
        [&] {
            std::string sql = "DELETE FROM " + QuotedTable() + " WHERE " + info_->identity + " = " +
                              dbdriver::IdentityPlaceholder(connection, *info_, 1);
            if (connection.Run(sql, {dbdriver::IdentityParam(*info_, record.id)}, {}, this) == 0)
                DatabaseError(std::string(dbconsts::SRecordChanged), this);
        },
        this);
}

// ---------------------------------------------------------------------------------------------
// Schema

void TTable::CreateTable() {
    CheckInactive();
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    if (FieldDefs()->Count() == 0) DatabaseError(std::string(dbconsts::SNoFieldDefs), this);
    bool wasOpen = Database() != nullptr;
    dbdriver::Connection& connection = OpenDatabase();
    const ScopeExit close([&] {
        if (!wasOpen) CloseDatabase();
    });
    std::string sql = "CREATE TABLE " + QuotedTable() + " (";
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        TFieldDef* def = FieldDefs()->Items(i);
        sql += (i ? ", " : "") + QuoteIdentifier(def->Name()) + " " +
               connection.DeclaredType(def->DataType(), def->Size());
        if (def->Required() && def->DataType() != TFieldType::ftAutoInc) sql += " NOT NULL";
    }
    sql += ")";
    connection.Atomically(
        [&] {
            connection.ExecuteScript(sql, this);
            for (int i = 0; i < IndexDefs()->Count(); ++i) {
                TIndexDef* index = IndexDefs()->Items(i);
                TIndexOptions options = index->Options();
                bool unique =
                    options.Contains(TIndexOption::ixUnique) || options.Contains(TIndexOption::ixPrimary);
                std::string name =
                    index->Name().empty() ? tableName_ + "_index" + IntToStr(i) : index->Name();
                std::string create = std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
                                     QuoteIdentifier(name) + " ON " + QuotedTable() + " (";
                std::vector<std::string> names = SplitFieldNames(index->Fields());
                if (names.empty()) DatabaseError(Format(dbconsts::SIndexNotFound, {name}), this);
                for (size_t k = 0; k < names.size(); ++k) {
                    std::string column = QuoteIdentifier(names[k]);
                    if (options.Contains(TIndexOption::ixCaseInsensitive)) {
                        std::string clause = connection.CaselessIndexColumn(column);
                        column = clause.empty() ? "(" + connection.Caseless(column) + ")" : clause;
                    }
                    create += (k ? ", " : "") + column;
                    if (options.Contains(TIndexOption::ixDescending)) create += " DESC";
                }
                create += ")";
                connection.ExecuteScript(create, this);
            }
        },
        this);
}

void TTable::DeleteTable() {
    CheckInactive();
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    dbdriver::Connection& connection = OpenDatabase();
    const ScopeExit close([this] { CloseDatabase(); });
    connection.ExecuteScript("DROP TABLE " + QuotedTable(), this);
}

void TTable::EmptyTable() {
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    if (Active()) CheckBrowseMode();
    bool wasOpen = Database() != nullptr;
    dbdriver::Connection& connection = OpenDatabase();
    try {
        connection.ExecuteScript("DELETE FROM " + QuotedTable(), this);
    } catch (...) {
        if (!wasOpen) CloseDatabase();
        throw;
    }
    if (Active())
        EmptyRecords();
    else if (!wasOpen)
        CloseDatabase();
}

// ---------------------------------------------------------------------------------------------
// Parameters

VCL_DEFINE_CLASS(TParam, TCollectionItem)

void TParam::SetValue(const Variant& value) {
    value_ = value;
    bound_ = true;
}
void TParam::SetAsString(const std::string& value) {
    SetValue(value);
    dataType_ = TFieldType::ftString;
}
void TParam::SetAsInteger(Integer value) {
    SetValue(value);
    dataType_ = TFieldType::ftInteger;
}
void TParam::SetAsFloat(double value) {
    SetValue(value);
    dataType_ = TFieldType::ftFloat;
}
void TParam::SetAsBoolean(bool value) {
    SetValue(value);
    dataType_ = TFieldType::ftBoolean;
}
void TParam::SetAsDateTime(TDateTime value) {
    SetValue(Variant::FromDateTime(value));
    dataType_ = TFieldType::ftDateTime;
}
void TParam::SetAsCurrency(Currency value) {
    SetValue(value);
    dataType_ = TFieldType::ftCurrency;
}

VCL_DEFINE_CLASS(TParams, TOwnedCollection)

TParam* TParams::CreateParam(TFieldType type, const std::string& name, TParamType paramType) {
    auto* param = static_cast<TParam*>(TCollection::Add());
    param->SetName(name);
    param->SetDataType(type);
    param->SetParamType(paramType);
    return param;
}

TParam* TParams::FindParam(std::string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Items(i)->Name(), name)) return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(std::string_view name) const {
    TParam* param = FindParam(name);
    if (!param) throw EDatabaseError(Format(dbconsts::SParameterNotFound, {name}));
    return param;
}

std::vector<std::string> TParams::ParseSQL(std::string_view sql, bool doCreate) {
    std::vector<std::string> names;
    size_t i = 0, n = sql.size();
    while (i < n) {
        if (const size_t skipped = SkipSqlQuoteOrComment(sql, i); skipped != i) {
            i = skipped;
        } else if (sql[i] == ':') {
            if (i + 1 < n && sql[i + 1] == ':') {
                i += 2;
                continue;
            }
            size_t start = ++i;
            while (i < n && SqlIdentifierChar(static_cast<unsigned char>(sql[i])))
                ++i;
            if (i > start) {
                std::string name(sql.substr(start, i - start));
                bool known = std::any_of(names.begin(), names.end(),
                                         [&](const std::string& s) { return AnsiSameText(s, name); });
                if (!known) names.push_back(std::move(name));
            }
        } else {
            ++i;
        }
    }
    if (doCreate) {
        // Rebuild in order of use, carrying over the values of parameters that stay.
        std::vector<std::tuple<std::string, TFieldType, TParamType, Variant, bool>> kept;
        for (const std::string& name : names) {
            TParam* old = FindParam(name);
            if (old)
                kept.emplace_back(name, old->DataType(), old->ParamType(), old->Value(), old->Bound());
            else
                kept.emplace_back(name, TFieldType::ftUnknown, TParamType::ptInput, Variant(), false);
        }
        BeginUpdate();
        Clear();
        for (auto& [name, type, paramType, value, bound] : kept) {
            TParam* param = CreateParam(type, name, paramType);
            if (bound) param->SetValue(value);
        }
        EndUpdate();
    }
    return names;
}

// ---------------------------------------------------------------------------------------------
// TQuery

VCL_DEFINE_CLASS(TQuery, TDBDataSet)

TQuery::TQuery(TComponent* owner)
    : TDBDataSet(owner), sql_(std::make_unique<TStringList>()), params_(std::make_unique<TParams>(this)) {
    params_->SetPropName("Params");
    sql_->OnChange = [this](TObject*) { SQLChanged(); };
}

TQuery::~TQuery() {
    CloseForDestruction();
    sql_->OnChange = nullptr;
}

void TQuery::SQLChanged() {
    if (Active()) Close();
    if (paramCheck_) params_->ParseSQL(SQLText(), true);
}

std::string TQuery::SQLText() const {
    return sql_->Text();
}

namespace {

// The statement with each :name replaced by the engine's placeholder, and the values bound there
// in order. Quotes and comments are left as they are; "::" is a cast, not a parameter.
std::string BindQueryParams(std::string_view sql, const TParams& params,
                            const dbdriver::Connection& connection, std::vector<Param>& bound,
                            const TComponent* owner) {
    std::string text;
    size_t i = 0, n = sql.size();
    auto bind = [&](const std::string& name, TParam* param) {
        if (!param) DatabaseError(Format(dbconsts::SParameterNotFound, {name}), owner);
        if (!param->Bound()) DatabaseError(Format(dbconsts::SNoParameterValue, {name}), owner);
        bound.push_back({param->Value(), param->DataType()});
        text += connection.Placeholder(static_cast<int>(bound.size()));
    };
    int positional = 0;
    while (i < n) {
        char ch = sql[i];
        size_t start = i;
        if (const size_t skipped = SkipSqlQuoteOrComment(sql, i); skipped != i) {
            i = skipped;
            text.append(sql.substr(start, i - start));
        } else if (ch == ':' && i + 1 < n && sql[i + 1] == ':') {
            text += "::";
            i += 2;
        } else if (ch == ':' && i + 1 < n && SqlIdentifierChar(static_cast<unsigned char>(sql[i + 1]))) {
            ++i;
            while (i < n && SqlIdentifierChar(static_cast<unsigned char>(sql[i])))
                ++i;
            std::string name(sql.substr(start + 1, i - start - 1));
            bind(name, params.FindParam(name));
        } else if (ch == '?') {
            // Unnamed placeholders take the parameters in order.
            ++i;
            while (i < n && sql[i] >= '0' && sql[i] <= '9')
                ++i;
            std::string name = "?" + IntToStr(positional + 1);
            bind(name, positional < params.Count() ? params.Items(positional) : nullptr);
            ++positional;
        } else {
            text += ch;
            ++i;
        }
    }
    return text;
}

// Splits a text into statements at semicolons outside quotes and comments.
std::vector<std::string> SplitStatements(std::string_view sql) {
    std::vector<std::string> statements;
    size_t i = 0, start = 0, n = sql.size();
    while (i < n) {
        if (const size_t skipped = SkipSqlQuoteOrComment(sql, i); skipped != i) {
            i = skipped;
        } else if (sql[i] == ';') {
            statements.emplace_back(sql.substr(start, i - start));
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n) statements.emplace_back(sql.substr(start));
    return statements;
}

bool OnlyCommentsOrSpace(std::string_view sql) {
    size_t i = 0, n = sql.size();
    while (i < n) {
        if (static_cast<unsigned char>(sql[i]) <= ' ') {
            ++i;
        } else if (sql.substr(i, 2) == "--") {
            while (i < n && sql[i] != '\n')
                ++i;
        } else if (sql.substr(i, 2) == "/*") {
            size_t end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

void TQuery::ExecSQL() {
    CheckInactive();
    std::string text = SQLText();
    if (Trim(text).empty()) DatabaseError(std::string(dbconsts::SEmptySQLStatement), this);
    bool wasOpen = Database() != nullptr;
    dbdriver::Connection& connection = OpenDatabase();
    const ScopeExit close([&] {
        if (!wasOpen) CloseDatabase();
    });
    rowsAffected_ = 0;
    for (const std::string& statement : SplitStatements(text)) {
        if (OnlyCommentsOrSpace(statement)) continue;
        std::vector<Param> bound;
        std::string sql = BindQueryParams(statement, *params_, connection, bound, this);
        rowsAffected_ = static_cast<int>(connection.Run(sql, bound, {}, this));
    }
}

void TQuery::InternalOpen() {
    columnTypes_.clear();
    rows_.clear();
    result_.reset();
    resultCount_.reset();
    FieldDefs()->Clear();
    Fetch(true);
}

void TQuery::Fetch(bool defineFields) {
    std::string text = SQLText();
    if (Trim(text).empty()) DatabaseError(std::string(dbconsts::SEmptySQLStatement), this);
    dbdriver::Connection& connection = OpenDatabase();
    std::vector<std::string> statements = SplitStatements(text);
    std::erase_if(statements, [](const std::string& statement) { return OnlyCommentsOrSpace(statement); });
    if (statements.empty()) DatabaseError(std::string(dbconsts::SNoResultSet), this);
    std::vector<Param> bound;
    std::string sql = BindQueryParams(statements.front(), *params_, connection, bound, this);
    std::unique_ptr<dbdriver::ResultCursor> result = connection.OpenResult(sql, bound, this);
    int columns = result->ColumnCount();
    if (defineFields) {
        for (int i = 0; i < columns; ++i)
            columnTypes_.push_back(result->DeclaredType(i).type);
    }
    // A result that fits the window is held whole; one row more says it does not.
    rows_.clear();
    int limit = WindowLimit();
    result->Read(0, limit + 1, [&](const Row& row) {
        std::vector<Variant> values;
        values.reserve(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i)
            values.push_back(row.Value(i, columnTypes_[static_cast<size_t>(i)]));
        rows_.push_back(std::move(values));
        return true;
    });
    bool windowed = static_cast<int>(rows_.size()) > limit;
    if (windowed) result_ = std::move(result);
    const ScopeExit dropWindowRows([&] {
        if (windowed) rows_.clear();
    });
    if (!defineFields) return;
    for (int i = 0; i < columns; ++i) {
        dbdriver::ColumnType declared = windowed ? result_->DeclaredType(i) : result->DeclaredType(i);
        TFieldType type = columnTypes_[static_cast<size_t>(i)];
        Integer size = declared.size;
        if (type == TFieldType::ftUnknown) {
            // Expressions: the storage class of the first non-null value read decides.
            type = TFieldType::ftString;
            size_t longest = 1;
            for (const auto& row : rows_) {
                const Variant& value = row[static_cast<size_t>(i)];
                if (value.IsNull()) continue;
                if (value.VarType() == TVarType::varInteger) type = TFieldType::ftLargeint;
                if (value.VarType() == TVarType::varFloat) type = TFieldType::ftFloat;
                if (value.StringPtr()) longest = std::max(longest, value.StringPtr()->size());
                if (type != TFieldType::ftString) break;
            }
            if (type == TFieldType::ftString) {
                if (longest > 8192 || windowed)
                    type = TFieldType::ftMemo;
                else
                    size = static_cast<Integer>(longest);
            }
            columnTypes_[static_cast<size_t>(i)] = type;
        }
        std::string name = windowed ? result_->ColumnName(i) : result->ColumnName(i);
        std::string unique = name;
        for (int suffix = 1; FieldDefs()->Find(unique); ++suffix)
            unique = name + "_" + IntToStr(suffix);
        FieldDefs()->Add(unique, type, size, false);
    }
}

void TQuery::LoadRecords() {
    if (result_) return;
    std::vector<int> slots = DefSlots();
    for (auto& row : rows_) {
        TDataRecord& record = AddLoadedRecord(NextSerial());
        for (size_t i = 0; i < slots.size() && i < row.size(); ++i)
            if (slots[i] >= 0) record.values[static_cast<size_t>(slots[i])] = std::move(row[i]);
    }
    rows_.clear();
}

void TQuery::InternalClose() {
    result_.reset();
    resultCount_.reset();
    rows_.clear();
}

void TQuery::InternalRefresh() {
    resultCount_.reset();
    if (result_) {
        // The window is read again by the dataset; a result that now fits is held whole.
        result_.reset();
        Fetch(false);
        return;
    }
    Store().clear();
    Fetch(false);
    LoadRecords();
}

void TQuery::ReadAt(Int64 position, int count, std::vector<std::unique_ptr<TDataRecord>>& rows) {
    std::vector<int> slots = DefSlots();
    Int64 identity = position;
    result_->Read(position, count, [&](const Row& row) {
        std::unique_ptr<TDataRecord> record = NewRecord(++identity);
        for (size_t i = 0; i < slots.size(); ++i)
            if (slots[i] >= 0)
                record->values[static_cast<size_t>(slots[i])] =
                    row.Value(static_cast<int>(i), columnTypes_[i]);
        rows.push_back(std::move(record));
        return true;
    });
}

// Without a key, a query's rows are known by their position (the identity is the 1-based number).
void TQuery::FetchRecords(const TDataRecord* anchor, bool forward, int limit,
                          std::vector<std::unique_ptr<TDataRecord>>& rows) {
    if (forward) {
        ReadAt(anchor ? anchor->id : 0, limit, rows);
        return;
    }
    Int64 end = anchor ? anchor->id - 1 : CountRecords(nullptr);
    Int64 start = std::max<Int64>(0, end - limit);
    ReadAt(start, static_cast<int>(end - start), rows);
    std::reverse(rows.begin(), rows.end());
}

std::unique_ptr<TDataRecord> TQuery::FetchRecord(Int64 id) {
    return id >= 1 ? FetchRecordAt(id - 1) : nullptr;
}

Int64 TQuery::CountRecords(const TDataRecord* before) {
    if (before) return before->id - 1;
    if (!resultCount_) resultCount_ = result_->Count();
    return *resultCount_;
}

std::unique_ptr<TDataRecord> TQuery::FetchRecordAt(Int64 position) {
    std::vector<std::unique_ptr<TDataRecord>> rows;
    ReadAt(position, 1, rows);
    return rows.empty() ? nullptr : std::move(rows.front());
}

}  // namespace vcl
