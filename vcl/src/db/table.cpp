// TTable and TQuery on SQLite.
#include <algorithm>

#include "db/database.h"

namespace vcl {

using sqlite::QuoteIdentifier;
using sqlite::Statement;

// ---------------------------------------------------------------------------------------------
// TTable

VCL_DEFINE_CLASS(TTable, TDBDataSet)

TTable::~TTable() {
    CloseForDestruction();
}

void TTable::SetTableName(const std::string& name) {
    if (name == tableName_) return;
    CheckInactive();
    tableName_ = name;
}

std::string TTable::QuotedTable() const {
    return QuoteIdentifier(tableName_);
}

bool TTable::Exists() {
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    bool wasOpen = Database() != nullptr;
    sqlite3* db = OpenDatabase();
    bool found = false;
    {
        Statement query(db, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?", this);
        query.BindText(1, tableName_);
        found = query.Step();
    }
    if (!wasOpen) CloseDatabase();
    return found;
}

void TTable::InternalOpen() {
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    sqlite3* db = OpenDatabase();
    ReadColumns(db);
    ReadIndexes(db);
}

void TTable::ReadColumns(sqlite3* db) {
    FieldDefs()->Clear();
    caseInsensitive_.clear();
    rowidAlias_ = -1;
    std::vector<std::pair<Int64, std::string>> keyColumns;
    std::vector<std::string> declaredTypes;
    {
        Statement info(db, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)", this);
        info.BindText(1, tableName_);
        while (info.Step()) {
            std::string name = info.Text(0);
            std::string declared = info.Text(1);
            sqlite::TColumnType column = sqlite::MapDeclaredType(declared);
            bool notNull = info.Int64At(2) != 0;
            bool hasDefault = !info.IsNull(3);
            Int64 pk = info.Int64At(4);
            if (pk > 0) keyColumns.emplace_back(pk, name);
            FieldDefs()->Add(name, column.type, column.size, notNull && !hasDefault);
            declaredTypes.push_back(UpperCase(Trim(declared)));
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db, nullptr, tableName_.c_str(), name.c_str(), nullptr, &collation,
                                          nullptr, nullptr, nullptr);
            caseInsensitive_.push_back(collation && SameText(collation, "NOCASE"));
        }
    }
    if (FieldDefs()->Count() == 0) DatabaseError(Format(dbconsts::STableNotFound, {tableName_}), this);
    std::sort(keyColumns.begin(), keyColumns.end());
    primaryKey_.clear();
    for (const auto& [position, name] : keyColumns)
        primaryKey_ += (primaryKey_.empty() ? "" : ";") + name;
    // A single INTEGER PRIMARY KEY column is the rowid itself.
    if (keyColumns.size() == 1) {
        int index = FieldDefs()->IndexOf(keyColumns[0].second);
        if (index >= 0 && declaredTypes[static_cast<size_t>(index)] == "INTEGER") {
            rowidAlias_ = index;
            TFieldDef* def = FieldDefs()->Items(index);
            def->SetDataType(TFieldType::ftAutoInc);
            def->SetRequired(false);
        }
    }
}

void TTable::ReadIndexes(sqlite3* db) {
    IndexDefs()->Clear();
    Statement list(db, "SELECT name, \"unique\", origin FROM pragma_index_list(?)", this);
    list.BindText(1, tableName_);
    while (list.Step()) {
        std::string name = list.Text(0);
        bool unique = list.Int64At(1) != 0;
        std::string origin = list.Text(2);
        Statement columns(
            db, "SELECT cid, name, \"desc\", coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno",
            this);
        columns.BindText(1, name);
        std::vector<std::string> fields, descending, caseless;
        bool expression = false;
        while (columns.Step()) {
            Int64 cid = columns.Int64At(0);
            if (cid < 0) {
                expression = true;
                break;
            }
            std::string column = columns.Text(1);
            fields.push_back(column);
            if (columns.Int64At(2) != 0) descending.push_back(column);
            if (SameText(columns.Text(3), "NOCASE")) caseless.push_back(column);
        }
        // Indexes on expressions cannot order fields; they are left out.
        if (expression || fields.empty()) continue;
        auto join = [](const std::vector<std::string>& names) {
            std::string result;
            for (const std::string& item : names)
                result += (result.empty() ? "" : ";") + item;
            return result;
        };
        TIndexOptions options;
        if (unique) options.Include(TIndexOption::ixUnique);
        if (origin == "pk") options.Include(TIndexOption::ixPrimary);
        TIndexDef* def = IndexDefs()->Add(name, join(fields), options);
        if (descending.size() == fields.size())
            def->SetOptions(def->Options() + TIndexOptions{TIndexOption::ixDescending});
        else
            def->SetDescFields(join(descending));
        if (caseless.size() == fields.size())
            def->SetOptions(def->Options() + TIndexOptions{TIndexOption::ixCaseInsensitive});
        else
            def->SetCaseInsFields(join(caseless));
    }
}

void TTable::LoadRecords() {
    sqlite3* db = Database()->Handle();
    std::vector<int> slots = DefSlots();
    std::vector<TFieldType> types;
    std::string sql = "SELECT rowid";
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        sql += ", " + QuoteIdentifier(FieldDefs()->Items(i)->Name());
        types.push_back(FieldDefs()->Items(i)->DataType());
    }
    sql += " FROM " + QuotedTable();
    Statement rows(db, sql, this);
    sqlite3_stmt* stmt = rows.Handle();
    auto columns = static_cast<int>(slots.size());
    while (rows.Step()) {
        TDataRecord& record = AddLoadedRecord(sqlite3_column_int64(stmt, 0));
        for (int i = 0; i < columns; ++i) {
            int slot = slots[static_cast<size_t>(i)];
            if (slot >= 0)
                record.values[static_cast<size_t>(slot)] =
                    sqlite::ReadColumn(stmt, i + 1, types[static_cast<size_t>(i)]);
        }
    }
}

void TTable::InternalClose() {
    CloseDatabase();
}

void TTable::InternalRefresh() {
    Store().clear();
    LoadRecords();
}

bool TTable::FieldCaseInsensitive(const TField* field) const {
    auto index = static_cast<size_t>(field->FieldNo() - 1);
    return field->FieldNo() > 0 && index < caseInsensitive_.size() && caseInsensitive_[index];
}

std::string TTable::DefaultKeyFields() const {
    return primaryKey_;
}

void TTable::InternalEdit(const TDataRecord& record) {
    Statement probe(Database()->Handle(), "SELECT 1 FROM " + QuotedTable() + " WHERE rowid = ?", this);
    probe.BindInt64(1, record.id);
    if (!probe.Step()) DatabaseError(std::string(dbconsts::SRecordChanged), this);
}

void TTable::RereadRecord(sqlite3* db, TDataRecord& record) {
    std::vector<int> slots = DefSlots();
    std::string sql = "SELECT rowid";
    for (int i = 0; i < FieldDefs()->Count(); ++i)
        sql += ", " + QuoteIdentifier(FieldDefs()->Items(i)->Name());
    sql += " FROM " + QuotedTable() + " WHERE rowid = ?";
    Statement row(db, sql, this);
    row.BindInt64(1, record.id);
    if (!row.Step()) DatabaseError(std::string(dbconsts::SRecordChanged), this);
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i] >= 0)
            record.values[static_cast<size_t>(slots[i])] = sqlite::ReadColumn(
                row.Handle(), static_cast<int>(i) + 1, FieldDefs()->Items(static_cast<int>(i))->DataType());
}

namespace {

// Runs the write between SAVEPOINT and RELEASE, so that it joins an open transaction or makes its own.
template <typename Write>
void InSavepoint(sqlite3* db, const TComponent* owner, Write write) {
    sqlite::Exec(db, "SAVEPOINT zyl_write", owner);
    try {
        write();
        sqlite::Exec(db, "RELEASE zyl_write", owner);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO zyl_write", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE zyl_write", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace

void TTable::InternalPost(TDataRecord& record, const std::vector<bool>& changed, bool inserting) {
    sqlite3* db = Database()->Handle();
    std::vector<int> slots = DefSlots();
    std::vector<int> columns;  // FieldDefs positions written
    for (size_t i = 0; i < slots.size(); ++i) {
        int slot = slots[i];
        if (slot < 0) continue;
        auto s = static_cast<size_t>(slot);
        if (changed[s] || (inserting && !record.values[s].IsNull())) columns.push_back(static_cast<int>(i));
    }
    InSavepoint(db, this, [&] {
        if (inserting) {
            std::string sql = "INSERT INTO " + QuotedTable();
            if (columns.empty()) {
                sql += " DEFAULT VALUES";
            } else {
                std::string names, marks;
                for (int column : columns) {
                    names +=
                        (names.empty() ? "" : ", ") + QuoteIdentifier(FieldDefs()->Items(column)->Name());
                    marks += marks.empty() ? "?" : ", ?";
                }
                sql += " (" + names + ") VALUES (" + marks + ")";
            }
            Statement insert(db, sql, this);
            int index = 1;
            for (int column : columns)
                sqlite::BindValue(insert, index++,
                                  record.values[static_cast<size_t>(slots[static_cast<size_t>(column)])],
                                  FieldDefs()->Items(column)->DataType(), this);
            insert.Step();
            record.id = sqlite3_last_insert_rowid(db);
        } else if (!columns.empty()) {
            std::string sql = "UPDATE " + QuotedTable() + " SET ";
            for (size_t i = 0; i < columns.size(); ++i)
                sql += (i ? ", " : "") + QuoteIdentifier(FieldDefs()->Items(columns[i])->Name()) + " = ?";
            sql += " WHERE rowid = ?";
            Statement update(db, sql, this);
            int index = 1;
            for (int column : columns)
                sqlite::BindValue(update, index++,
                                  record.values[static_cast<size_t>(slots[static_cast<size_t>(column)])],
                                  FieldDefs()->Items(column)->DataType(), this);
            update.BindInt64(index, record.id);
            update.Step();
            if (sqlite3_changes(db) == 0) DatabaseError(std::string(dbconsts::SRecordChanged), this);
            // Writing the rowid column moves the row.
            if (rowidAlias_ >= 0 && std::find(columns.begin(), columns.end(), rowidAlias_) != columns.end()) {
                const Variant& key =
                    record.values[static_cast<size_t>(slots[static_cast<size_t>(rowidAlias_)])];
                if (!key.IsNull()) record.id = key.AsInt64();
            }
        }
        RereadRecord(db, record);
    });
}

void TTable::InternalDelete(const TDataRecord& record) {
    sqlite3* db = Database()->Handle();
    InSavepoint(db, this, [&] {
        Statement remove(db, "DELETE FROM " + QuotedTable() + " WHERE rowid = ?", this);
        remove.BindInt64(1, record.id);
        remove.Step();
        if (sqlite3_changes(db) == 0) DatabaseError(std::string(dbconsts::SRecordChanged), this);
    });
}

void TTable::CreateTable() {
    CheckInactive();
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    if (FieldDefs()->Count() == 0) DatabaseError(std::string(dbconsts::SNoFieldDefs), this);
    std::string sql = "CREATE TABLE " + QuotedTable() + " (";
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        TFieldDef* def = FieldDefs()->Items(i);
        sql += (i ? ", " : "") + QuoteIdentifier(def->Name()) + " " +
               sqlite::DeclaredType(def->DataType(), def->Size());
        if (def->Required() && def->DataType() != TFieldType::ftAutoInc) sql += " NOT NULL";
    }
    sql += ")";
    bool wasOpen = Database() != nullptr;
    sqlite3* db = OpenDatabase();
    const ScopeExit close([&] {
        if (!wasOpen) CloseDatabase();
    });
    InSavepoint(db, this, [&] {
        sqlite::Exec(db, sql.c_str(), this);
        for (int i = 0; i < IndexDefs()->Count(); ++i) {
            TIndexDef* index = IndexDefs()->Items(i);
            TIndexOptions options = index->Options();
            bool unique =
                options.Contains(TIndexOption::ixUnique) || options.Contains(TIndexOption::ixPrimary);
            std::string name = index->Name().empty() ? tableName_ + "_index" + IntToStr(i) : index->Name();
            std::string create = std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
                                 QuoteIdentifier(name) + " ON " + QuotedTable() + " (";
            std::vector<std::string> names = SplitFieldNames(index->Fields());
            if (names.empty()) DatabaseError(Format(dbconsts::SIndexNotFound, {name}), this);
            for (size_t k = 0; k < names.size(); ++k) {
                create += (k ? ", " : "") + QuoteIdentifier(names[k]);
                if (options.Contains(TIndexOption::ixCaseInsensitive)) create += " COLLATE NOCASE";
                if (options.Contains(TIndexOption::ixDescending)) create += " DESC";
            }
            create += ")";
            sqlite::Exec(db, create.c_str(), this);
        }
    });
}

void TTable::DeleteTable() {
    CheckInactive();
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    sqlite3* db = OpenDatabase();
    std::string sql = "DROP TABLE " + QuotedTable();
    const ScopeExit close([this] { CloseDatabase(); });
    sqlite::Exec(db, sql.c_str(), this);
}

void TTable::EmptyTable() {
    if (tableName_.empty()) DatabaseError(std::string(dbconsts::SNoTableName), this);
    if (Active()) CheckBrowseMode();
    bool wasOpen = Database() != nullptr;
    sqlite3* db = OpenDatabase();
    std::string sql = "DELETE FROM " + QuotedTable();
    try {
        sqlite::Exec(db, sql.c_str(), this);
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
    auto identifierChar = [](unsigned char ch) {
        return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
               ch == '_' || ch >= 0x80;
    };
    size_t i = 0, n = sql.size();
    while (i < n) {
        char ch = sql[i];
        if (ch == '\'' || ch == '"' || ch == '`' || ch == '[') {
            char close = ch == '[' ? ']' : ch;
            for (++i; i < n; ++i)
                if (sql[i] == close) {
                    if (close != ']' && i + 1 < n && sql[i + 1] == close) {
                        ++i;
                        continue;
                    }
                    break;
                }
            ++i;
        } else if (ch == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\n')
                ++i;
        } else if (ch == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else if (ch == ':') {
            if (i + 1 < n && sql[i + 1] == ':') {
                i += 2;
                continue;
            }
            size_t start = ++i;
            while (i < n && identifierChar(static_cast<unsigned char>(sql[i])))
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

void BindParams(Statement& statement, const TParams& params, const TComponent* owner) {
    sqlite3_stmt* stmt = statement.Handle();
    int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const char* rawName = sqlite3_bind_parameter_name(stmt, i);
        TParam* param = nullptr;
        std::string name;
        if (rawName && (rawName[0] == ':' || rawName[0] == '@' || rawName[0] == '$')) {
            name = rawName + 1;
            param = params.FindParam(name);
        } else {
            name = rawName ? rawName : "?" + IntToStr(i);
            if (i - 1 < params.Count()) param = params.Items(i - 1);
        }
        if (!param) DatabaseError(Format(dbconsts::SParameterNotFound, {name}), owner);
        if (!param->Bound()) DatabaseError(Format(dbconsts::SNoParameterValue, {name}), owner);
        sqlite::BindValue(statement, i, param->Value(), param->DataType(), owner);
    }
}

}  // namespace

void TQuery::ExecSQL() {
    CheckInactive();
    std::string text = SQLText();
    if (Trim(text).empty()) DatabaseError(std::string(dbconsts::SEmptySQLStatement), this);
    bool wasOpen = Database() != nullptr;
    sqlite3* db = OpenDatabase();
    const ScopeExit close([&] {
        if (!wasOpen) CloseDatabase();
    });
    const char* position = text.data();
    const char* end = text.data() + text.size();
    rowsAffected_ = 0;
    while (position < end) {
        Statement statement(db, std::string_view(position, static_cast<size_t>(end - position)), this);
        position = statement.Tail() ? statement.Tail() : end;
        if (!statement.Handle()) continue;  // whitespace or a comment
        BindParams(statement, *params_, this);
        while (statement.Step()) {
        }
        rowsAffected_ = sqlite3_changes(db);
    }
}

void TQuery::InternalOpen() {
    columnTypes_.clear();
    rows_.clear();
    FieldDefs()->Clear();
    Fetch(true);
}

void TQuery::Fetch(bool defineFields) {
    std::string text = SQLText();
    if (Trim(text).empty()) DatabaseError(std::string(dbconsts::SEmptySQLStatement), this);
    sqlite3* db = OpenDatabase();
    Statement statement(db, text, this);
    sqlite3_stmt* stmt = statement.Handle();
    if (!stmt || sqlite3_column_count(stmt) == 0) DatabaseError(std::string(dbconsts::SNoResultSet), this);
    BindParams(statement, *params_, this);
    int columns = sqlite3_column_count(stmt);
    if (defineFields) {
        for (int i = 0; i < columns; ++i) {
            const char* declared = sqlite3_column_decltype(stmt, i);
            columnTypes_.push_back(declared ? sqlite::MapDeclaredType(declared).type : TFieldType::ftUnknown);
        }
    }
    rows_.clear();
    while (statement.Step()) {
        std::vector<Variant> row;
        row.reserve(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i)
            row.push_back(sqlite::ReadColumn(stmt, i, columnTypes_[static_cast<size_t>(i)]));
        rows_.push_back(std::move(row));
    }
    if (!defineFields) return;
    for (int i = 0; i < columns; ++i) {
        const char* declared = sqlite3_column_decltype(stmt, i);
        TFieldType type = columnTypes_[static_cast<size_t>(i)];
        Integer size = declared ? sqlite::MapDeclaredType(declared).size : 0;
        if (!declared) {
            // Expressions: the storage class of the first non-null value decides.
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
                if (longest > 8192)
                    type = TFieldType::ftMemo;
                else
                    size = static_cast<Integer>(longest);
            }
            columnTypes_[static_cast<size_t>(i)] = type;
        }
        const char* rawName = sqlite3_column_name(stmt, i);
        std::string name = rawName ? rawName : "COLUMN" + IntToStr(i + 1);
        std::string unique = name;
        for (int suffix = 1; FieldDefs()->Find(unique); ++suffix)
            unique = name + "_" + IntToStr(suffix);
        FieldDefs()->Add(unique, type, size, false);
    }
}

void TQuery::LoadRecords() {
    std::vector<int> slots = DefSlots();
    for (auto& row : rows_) {
        TDataRecord& record = AddLoadedRecord(NextSerial());
        for (size_t i = 0; i < slots.size() && i < row.size(); ++i)
            if (slots[i] >= 0) record.values[static_cast<size_t>(slots[i])] = std::move(row[i]);
    }
    rows_.clear();
}

void TQuery::InternalRefresh() {
    Store().clear();
    Fetch(false);
    LoadRecords();
}

}  // namespace vcl
