// The SQLite engine behind the datasets: statements, value conversion, schema, row identity by rowid.
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "db/driver.h"

namespace vcl::dbdriver {

std::string QuoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char ch : name) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    quoted += '"';
    return quoted;
}

bool ParseIsoDateTime(std::string_view text, TDateTime& result) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double fraction = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    auto digits = [&](int count, unsigned& value) {
        value = 0;
        for (int i = 0; i < count; ++i, ++p) {
            if (p >= end || *p < '0' || *p > '9') return false;
            value = value * 10 + static_cast<unsigned>(*p - '0');
        }
        return true;
    };
    auto time = [&]() {
        if (!digits(2, hour) || p >= end || *p++ != ':' || !digits(2, minute)) return false;
        if (p < end && *p == ':') {
            ++p;
            if (!digits(2, second)) return false;
            if (p < end && *p == '.') {
                ++p;
                double scale = 0.1;
                while (p < end && *p >= '0' && *p <= '9') {
                    fraction += (*p++ - '0') * scale;
                    scale /= 10;
                }
            }
        }
        return hour < 24 && minute < 60 && second < 60;
    };
    TDateTime date = 0, clock = 0;
    bool hasDate = false;
    if (text.size() >= 10 && text[4] == '-') {
        if (!digits(4, year) || *p++ != '-' || !digits(2, month) || *p++ != '-' || !digits(2, day))
            return false;
        if (!TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date))
            return false;
        hasDate = true;
        if (p < end && (*p == ' ' || *p == 'T')) ++p;
    }
    if (p < end) {
        if (!time()) return false;
        clock = (hour * 3600.0 + minute * 60.0 + second + fraction) / SecsPerDay;
    }
    if (p != end) return false;
    result = hasDate ? ComposeDateTime(date, clock) : clock;
    return true;
}

std::string FormatIso(TDateTime value, TFieldType type) {
    Word year, month, day, hour, minute, second, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    char text[64];
    if (type == TFieldType::ftDate) {
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
    } else {
        char clock[32];
        if (msec)
            std::snprintf(clock, sizeof clock, "%02u:%02u:%02u.%03u", hour, minute, second, msec);
        else
            std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", hour, minute, second);
        if (type == TFieldType::ftTime)
            std::snprintf(text, sizeof text, "%s", clock);
        else
            std::snprintf(text, sizeof text, "%04u-%02u-%02u %s", year, month, day, clock);
    }
    return text;
}

namespace sqlite_engine {

constexpr double kUnixEpoch = 25569.0;       // 1970-01-01 as TDateTime
constexpr double kJulianOffset = 2415018.5;  // Julian day of 1899-12-30

// A prepared statement that raises EDatabaseError with SQLite's message on any failure.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql, const TComponent* owner) : db_(db), owner_(owner) {
        if (sql.size() > static_cast<size_t>(INT32_MAX)) DatabaseError("SQL text too long", owner);
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, &tail_) != SQLITE_OK)
            Fail();
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // nullptr when the text held no statement.
    sqlite3_stmt* Handle() const { return stmt_; }
    // Where the text after the first statement starts.
    const char* Tail() const { return tail_; }
    // True while a row is available.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        Fail();
    }
    void BindText(int index, std::string_view text) {
        if (sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) !=
            SQLITE_OK)
            Fail();
    }
    std::string Text(int column) const {
        auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }
    Int64 Int64At(int column) const { return sqlite3_column_int64(stmt_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    [[noreturn]] void Fail() const { DatabaseError(sqlite3_errmsg(db_), owner_); }

private:
    sqlite3* db_;
    const TComponent* owner_;
    sqlite3_stmt* stmt_ = nullptr;
    const char* tail_ = nullptr;
};

Variant ReadColumn(sqlite3_stmt* stmt, int column, TFieldType type) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER: {
            Int64 value = sqlite3_column_int64(stmt, column);
            if (IsDateType(type))
                return Variant::FromDateTime(static_cast<double>(value) / SecsPerDay + kUnixEpoch);
            if (type == TFieldType::ftBoolean) return value != 0;
            if (type == TFieldType::ftCurrency) {
                if (value > INT64_MAX / Currency::kScale || value < INT64_MIN / Currency::kScale)
                    return value;
                return Currency::FromRaw(value * Currency::kScale);
            }
            if (type == TFieldType::ftFloat) return static_cast<double>(value);
            return value;
        }
        case SQLITE_FLOAT: {
            double value = sqlite3_column_double(stmt, column);
            if (IsDateType(type)) return Variant::FromDateTime(value - kJulianOffset);
            if (type == TFieldType::ftBoolean) return value != 0;
            if (type == TFieldType::ftCurrency && std::abs(value) < 9.2e14) return Currency(value);
            return value;
        }
        case SQLITE_TEXT: {
            auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            std::string value(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
            TDateTime date = 0;
            if (IsDateType(type) && ParseIsoDateTime(value, date)) return Variant::FromDateTime(date);
            return value;
        }
        case SQLITE_BLOB: {
            auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
            return std::string(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
        }
        default:
            return Variant();
    }
}

// Text and blobs are copied unless `lifetime` is SQLITE_STATIC: the caller then keeps the values
// until the statement is reset and its bindings cleared.
void BindValue(Statement& statement, int index, const Variant& value, TFieldType type,
               sqlite3_destructor_type lifetime, const TComponent* owner) {
    sqlite3_stmt* stmt = statement.Handle();
    int rc = SQLITE_OK;
    switch (value.VarType()) {
        case TVarType::varNull:
            rc = sqlite3_bind_null(stmt, index);
            break;
        case TVarType::varBoolean:
            rc = sqlite3_bind_int(stmt, index, value.AsBoolean() ? 1 : 0);
            break;
        case TVarType::varInteger:
            rc = sqlite3_bind_int64(stmt, index, value.AsInt64());
            break;
        case TVarType::varFloat:
            rc = sqlite3_bind_double(stmt, index, value.AsFloat());
            break;
        case TVarType::varCurrency: {
            Currency money = value.AsCurrency();
            if (money.raw % Currency::kScale == 0)
                rc = sqlite3_bind_int64(stmt, index, money.raw / Currency::kScale);
            else
                rc = sqlite3_bind_double(stmt, index, money.ToDouble());
            break;
        }
        case TVarType::varDate:
            statement.BindText(
                index, FormatIso(value.AsDateTime(), IsDateType(type) ? type : TFieldType::ftDateTime));
            return;
        case TVarType::varString: {
            const std::string& bytes = *value.StringPtr();
            if (type == TFieldType::ftBlob || type == TFieldType::ftGraphic ||
                type == TFieldType::ftTypedBinary)
                rc = sqlite3_bind_blob64(stmt, index, bytes.data(), bytes.size(), lifetime);
            else
                rc = sqlite3_bind_text64(stmt, index, bytes.data(), bytes.size(), lifetime, SQLITE_UTF8);
            break;
        }
    }
    if (rc != SQLITE_OK) DatabaseError(sqlite3_errmsg(sqlite3_db_handle(stmt)), owner);
}

ColumnType MapDeclaredType(std::string_view declared) {
    std::string upper = UpperCase(declared);
    auto has = [&](const char* word) { return upper.find(word) != std::string::npos; };
    // The first number in parentheses is the size; absurd sizes fall back to a memo.
    Integer size = 0;
    bool sizeGiven = false, sizeValid = true;
    if (size_t open = upper.find('('); open != std::string::npos) {
        Int64 value = 0;
        size_t i = open + 1;
        while (i < upper.size() && upper[i] == ' ')
            ++i;
        size_t start = i;
        while (i < upper.size() && upper[i] >= '0' && upper[i] <= '9' && value <= 1'000'000)
            value = value * 10 + (upper[i++] - '0');
        if (i > start) {
            sizeGiven = true;
            sizeValid = value >= 1 && value <= 8192;
            size = static_cast<Integer>(std::min<Int64>(value, 8192));
        }
    }
    if (has("BOOL")) return {TFieldType::ftBoolean, 0};
    if (has("DATETIME") || has("TIMESTAMP")) return {TFieldType::ftDateTime, 0};
    if (has("DATE")) return {TFieldType::ftDate, 0};
    if (has("TIME")) return {TFieldType::ftTime, 0};
    if (has("MONEY") || has("CURRENCY")) return {TFieldType::ftCurrency, 0};
    if (has("GRAPHIC") || has("IMAGE")) return {TFieldType::ftGraphic, 0};
    if (has("MEMO")) return {TFieldType::ftMemo, 0};
    if (has("WORD")) return {TFieldType::ftWord, 0};
    if (has("INT")) {
        if (has("SMALLINT") || has("TINYINT") || has("INT2")) return {TFieldType::ftSmallint, 0};
        if (has("BIGINT") || has("INT8")) return {TFieldType::ftLargeint, 0};
        return {TFieldType::ftInteger, 0};
    }
    if (has("CHAR") || has("CLOB") || has("TEXT")) {
        if (sizeGiven && sizeValid) return {TFieldType::ftString, size};
        if (!sizeGiven && has("CHAR") && !has("CLOB") && !has("TEXT")) return {TFieldType::ftString, 255};
        return {TFieldType::ftMemo, 0};
    }
    if (has("BLOB") || upper.empty()) return {TFieldType::ftBlob, 0};
    return {TFieldType::ftFloat, 0};
}

std::string DeclaredType(TFieldType type, Integer size) {
    switch (type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftWideString:
            return "VARCHAR(" + IntToStr(size > 0 ? size : 20) + ")";
        case TFieldType::ftSmallint:
            return "SMALLINT";
        case TFieldType::ftInteger:
            return "INTEGER";
        case TFieldType::ftWord:
            return "WORD INTEGER";
        case TFieldType::ftLargeint:
            return "BIGINT";
        case TFieldType::ftAutoInc:
            return "INTEGER PRIMARY KEY AUTOINCREMENT";
        case TFieldType::ftBoolean:
            return "BOOLEAN";
        case TFieldType::ftFloat:
        case TFieldType::ftBCD:
            return "FLOAT";
        case TFieldType::ftCurrency:
            return "MONEY";
        case TFieldType::ftDate:
            return "DATE";
        case TFieldType::ftTime:
            return "TIME";
        case TFieldType::ftDateTime:
            return "DATETIME";
        case TFieldType::ftMemo:
        case TFieldType::ftFmtMemo:
            return "MEMO TEXT";
        case TFieldType::ftGraphic:
            return "GRAPHIC BLOB";
        default:
            return "BLOB";
    }
}

void BindAll(Statement& statement, const std::vector<Param>& params, const TComponent* owner,
             sqlite3_destructor_type lifetime = SQLITE_TRANSIENT) {
    int count = sqlite3_bind_parameter_count(statement.Handle());
    if (static_cast<size_t>(count) != params.size()) DatabaseError("Wrong number of parameters", owner);
    for (int i = 0; i < count; ++i)
        BindValue(statement, i + 1, params[static_cast<size_t>(i)].value, params[static_cast<size_t>(i)].type,
                  lifetime, owner);
}

class StatementRow final : public Row {
public:
    explicit StatementRow(sqlite3_stmt* stmt) : stmt_(stmt) {}
    int ColumnCount() const override { return sqlite3_column_count(stmt_); }
    bool IsNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    Variant Value(int column, TFieldType type) const override { return ReadColumn(stmt_, column, type); }
    void ValueInto(int column, TFieldType type, Variant& into) const override { Read(column, type, into); }
    void ReadInto(const std::vector<ColumnRead>& reads, std::vector<Variant>& values) const override {
        for (const ColumnRead& read : reads)
            Read(read.column, read.type, values[read.slot]);
    }
    std::string Text(int column) const override {
        auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }
    Int64 Int64At(int column) const override { return sqlite3_column_int64(stmt_, column); }

private:
    void Read(int column, TFieldType type, Variant& into) const {
        // The cell itself, asked for once: the connection is used by one thread at a time, so the
        // value needs no lock of its own.
        sqlite3_value* cell = sqlite3_column_value(stmt_, column);
        int storage = sqlite3_value_type(cell);
        // The common cases directly; dates, booleans, money and mixed storage as Value reads them.
        bool plain = !IsDateType(type) && type != TFieldType::ftBoolean && type != TFieldType::ftCurrency;
        if (storage == SQLITE_INTEGER && plain && type != TFieldType::ftFloat) {
            into.AssignInteger(sqlite3_value_int64(cell));
        } else if (storage == SQLITE_FLOAT && plain) {
            into.AssignFloat(sqlite3_value_double(cell));
        } else if (storage == SQLITE_TEXT && !IsDateType(type)) {
            auto* text = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            into.AssignString({text, static_cast<size_t>(sqlite3_value_bytes(cell))});
        } else if (storage == SQLITE_BLOB) {
            auto* bytes = static_cast<const char*>(sqlite3_value_blob(cell));
            into.AssignString({bytes ? bytes : "", static_cast<size_t>(sqlite3_value_bytes(cell))});
        } else {
            into = ReadColumn(stmt_, column, type);
        }
    }

    sqlite3_stmt* stmt_;
};

// A query's statement kept prepared: reading forward steps on, reading back starts it over. The
// statement is reset whenever it has run to its end, so that it holds no lock while idle.
class StatementCursor final : public ResultCursor {
public:
    StatementCursor(sqlite3* db, const std::string& sql, const std::vector<Param>& params,
                    const TComponent* owner)
        : statement_(db, sql, owner) {
        if (!statement_.Handle() || sqlite3_column_count(statement_.Handle()) == 0)
            DatabaseError(std::string(dbconsts::SNoResultSet), owner);
        BindAll(statement_, params, owner);
    }
    int ColumnCount() const override { return sqlite3_column_count(statement_.Handle()); }
    std::string ColumnName(int column) const override {
        const char* name = sqlite3_column_name(statement_.Handle(), column);
        return name ? name : "COLUMN" + IntToStr(column + 1);
    }
    ColumnType DeclaredType(int column) const override {
        const char* declared = sqlite3_column_decltype(statement_.Handle(), column);
        return declared ? MapDeclaredType(declared) : ColumnType{TFieldType::ftUnknown, 0};
    }
    int Read(Int64 position, int count, const RowHandler& each) override {
        if (position < next_) Restart();
        while (next_ < position && StepOn())
            ;
        int read = 0;
        StatementRow row(statement_.Handle());
        while (read < count && next_ == position + read && StepOn()) {
            ++read;
            if (!each(row)) break;
        }
        return read;
    }
    Int64 Count() override {
        while (StepOn())
            ;
        return next_;
    }

private:
    bool StepOn() {
        if (done_) return false;
        if (statement_.Step()) {
            ++next_;
            return true;
        }
        done_ = true;
        sqlite3_reset(statement_.Handle());
        return false;
    }
    void Restart() {
        sqlite3_reset(statement_.Handle());
        next_ = 0;
        done_ = false;
    }

    Statement statement_;
    Int64 next_ = 0;  // rows stepped over so far
    bool done_ = false;
};

void Exec(sqlite3* db, const char* sql, const TComponent* owner) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        DatabaseError(message, owner);
    }
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string result;
    for (const std::string& item : names)
        result += (result.empty() ? "" : ";") + item;
    return result;
}

class SQLiteConnection final : public Connection {
public:
    explicit SQLiteConnection(sqlite3* db) : db_(db) {}
    ~SQLiteConnection() override {
        prepared_.clear();
        if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
    }

    void ExecuteScript(const std::string& sql, const TComponent* owner) override {
        if (sql.find('\0') != std::string::npos) DatabaseError("SQL text contains a NUL character", owner);
        Exec(db_, sql.c_str(), owner);
    }

    Int64 Run(const std::string& sql, const std::vector<Param>& params, const RowHandler& each,
              const TComponent* owner) override {
        return Execute(
            sql, [&](Statement& statement) { BindAll(statement, params, owner, SQLITE_STATIC); }, each,
            owner);
    }

    // Runs a kept statement with the bindings `bind` makes.
    template <class Bind>
    Int64 Execute(const std::string& sql, const Bind& bind, const RowHandler& each, const TComponent* owner) {
        Prepared* prepared = Prepare(sql, owner);
        if (!prepared) return 0;
        Statement& statement = *prepared->statement;
        prepared->busy = true;
        // Neither call raises: a plain guard, cheaper than ScopeExit for a statement run per row.
        struct Release {
            Prepared& prepared;
            ~Release() {
                sqlite3_reset(prepared.statement->Handle());
                prepared.busy = false;
            }
        } release{*prepared};
        // The values outlive the run: they need no copy. What stays bound afterwards is never
        // read, since every run binds every parameter before it steps (the binders check the count).
        bind(statement);
        StatementRow row(statement.Handle());
        while (statement.Step())
            if (each && !each(row)) break;
        return sqlite3_changes64(db_);
    }

    std::unique_ptr<ResultCursor> OpenResult(const std::string& sql, const std::vector<Param>& params,
                                             const TComponent* owner) override {
        return std::make_unique<StatementCursor>(db_, sql, params, owner);
    }

    bool InTransaction() const override { return !sqlite3_get_autocommit(db_); }

    // SAVEPOINT joins an open transaction or makes one of its own.
    void Atomically(const std::function<void()>& write, const TComponent* owner) override {
        // Both statements stay prepared: a post of one row runs them each time.
        Run("SAVEPOINT zyl_write", {}, {}, owner);
        try {
            write();
            Run("RELEASE zyl_write", {}, {}, owner);
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK TO zyl_write", nullptr, nullptr, nullptr);
            sqlite3_exec(db_, "RELEASE zyl_write", nullptr, nullptr, nullptr);
            throw;
        }
    }

    bool StatementsAtomic() const override { return true; }

    std::string Placeholder(int index) const override { return "?" + IntToStr(index); }
    std::string Caseless(const std::string& expression) const override {
        return expression + " COLLATE NOCASE";
    }
    std::string AsText(const std::string& expression) const override {
        return "CAST(" + expression + " AS TEXT)";
    }
    std::string NullsPlacement(bool) const override { return {}; }

    bool TableExists(const std::string& table, const TComponent* owner) override {
        Statement query(db_, "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ?",
                        owner);
        query.BindText(1, table);
        return query.Step();
    }

    TableInfo ReadTable(const std::string& table, const TComponent* owner) override {
        TableInfo info;
        info.name = table;
        info.identity = "rowid";
        std::vector<std::pair<Int64, std::string>> keyColumns;
        std::vector<std::string> declaredTypes;
        Statement columns(db_, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)",
                          owner);
        columns.BindText(1, table);
        while (columns.Step()) {
            ColumnInfo column;
            column.name = columns.Text(0);
            std::string declared = columns.Text(1);
            column.type = MapDeclaredType(declared);
            column.required = columns.Int64At(2) != 0 && columns.IsNull(3);
            column.notNull = columns.Int64At(2) != 0;
            if (Int64 pk = columns.Int64At(4); pk > 0) keyColumns.emplace_back(pk, column.name);
            declaredTypes.push_back(UpperCase(Trim(declared)));
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db_, nullptr, table.c_str(), column.name.c_str(), nullptr,
                                          &collation, nullptr, nullptr, nullptr);
            column.caseInsensitive = collation && SameText(collation, "NOCASE");
            info.columns.push_back(std::move(column));
        }
        std::sort(keyColumns.begin(), keyColumns.end());
        for (const auto& [position, name] : keyColumns)
            info.primaryKey.push_back(name);
        // A single INTEGER PRIMARY KEY column is the rowid itself.
        if (keyColumns.size() == 1) {
            for (size_t i = 0; i < info.columns.size(); ++i)
                if (info.columns[i].name == keyColumns[0].second && declaredTypes[i] == "INTEGER") {
                    info.identityColumn = static_cast<int>(i);
                    info.columns[i].type = {TFieldType::ftAutoInc, 0};
                    info.columns[i].required = false;
                    info.columns[i].notNull = true;
                }
        }
        return info;
    }

    void ReadIndexes(const std::string& table, TIndexDefs& defs, const TComponent* owner) override {
        Statement list(db_, "SELECT name, \"unique\", origin FROM pragma_index_list(?)", owner);
        list.BindText(1, table);
        while (list.Step()) {
            std::string name = list.Text(0);
            bool unique = list.Int64At(1) != 0;
            std::string origin = list.Text(2);
            Statement columns(
                db_,
                "SELECT cid, name, \"desc\", coll FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno",
                owner);
            columns.BindText(1, name);
            std::vector<std::string> fields, descending, caseless;
            bool expression = false;
            while (columns.Step()) {
                if (columns.Int64At(0) < 0) {
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
            TIndexOptions options;
            if (unique) options.Include(TIndexOption::ixUnique);
            if (origin == "pk") options.Include(TIndexOption::ixPrimary);
            TIndexDef* def = defs.Add(name, JoinNames(fields), options);
            if (descending.size() == fields.size())
                def->SetOptions(def->Options() + TIndexOptions{TIndexOption::ixDescending});
            else
                def->SetDescFields(JoinNames(descending));
            if (caseless.size() == fields.size())
                def->SetOptions(def->Options() + TIndexOptions{TIndexOption::ixCaseInsensitive});
            else
                def->SetCaseInsFields(JoinNames(caseless));
        }
    }

    std::string DeclaredType(TFieldType type, Integer size) const override {
        return sqlite_engine::DeclaredType(type, size);
    }
    std::string CaselessIndexColumn(const std::string& column) const override {
        return column + " COLLATE NOCASE";
    }

    Int64 Insert(const std::string& table, const TableInfo&, const std::vector<std::string>& columns,
                 const std::vector<Param>& values, const TComponent* owner) override {
        Run(InsertText(table, columns), values, {}, owner);
        return sqlite3_last_insert_rowid(db_);
    }

    Int64 InsertRow(const std::string& table, const TableInfo&, const std::vector<std::string>& columns,
                    const std::vector<ParamRef>& values, const TComponent* owner) override {
        auto bind = [&](Statement& statement) {
            if (sqlite3_bind_parameter_count(statement.Handle()) != static_cast<int>(values.size()))
                DatabaseError("Wrong number of parameters", owner);
            for (size_t i = 0; i < values.size(); ++i)
                BindValue(statement, static_cast<int>(i) + 1, *values[i].value, values[i].type, SQLITE_STATIC,
                          owner);
        };
        Execute(InsertText(table, columns), bind, {}, owner);
        return sqlite3_last_insert_rowid(db_);
    }

    // "INSERT INTO table (columns) VALUES (?, ...)". A run of inserts names the same columns each
    // time: the text is made once for them.
    const std::string& InsertText(const std::string& table, const std::vector<std::string>& columns) {
        if (table != insert_.table || columns != insert_.columns) {
            std::string sql = "INSERT INTO " + QuoteIdentifier(table);
            if (columns.empty()) {
                sql += " DEFAULT VALUES";
            } else {
                std::string names, marks;
                for (const std::string& column : columns) {
                    names += (names.empty() ? "" : ", ") + QuoteIdentifier(column);
                    marks += marks.empty() ? "?" : ", ?";
                }
                sql += " (" + names + ") VALUES (" + marks + ")";
            }
            insert_ = {table, columns, std::move(sql)};
        }
        return insert_.sql;
    }

    std::optional<Int64> Update(const std::string& table, const TableInfo& info,
                                const std::vector<std::string>& columns, const std::vector<Param>& values,
                                Int64 identity, const TComponent* owner) override {
        std::string sql = "UPDATE " + QuoteIdentifier(table) + " SET ";
        for (size_t i = 0; i < columns.size(); ++i)
            sql += (i ? ", " : "") + QuoteIdentifier(columns[i]) + " = ?";
        sql += " WHERE rowid = ?";
        std::vector<Param> bound = values;
        bound.push_back(IdentityParam(info, identity));
        if (Run(sql, bound, {}, owner) == 0) return std::nullopt;
        // Writing the rowid column moves the row.
        if (info.identityColumn >= 0) {
            const std::string& key = info.columns[static_cast<size_t>(info.identityColumn)].name;
            for (size_t i = 0; i < columns.size(); ++i)
                if (columns[i] == key && !values[i].value.IsNull()) return values[i].value.AsInt64();
        }
        return identity;
    }

private:
    // Statements run again and again (each window of a table, a row read again) stay prepared:
    // the most recent few are kept by their text. One in use is never handed out twice.
    struct Prepared {
        std::string sql;
        std::unique_ptr<Statement> statement;
        bool busy = false;
    };
    static constexpr size_t kPreparedKept = 16;

    // nullptr when the text holds no statement.
    Prepared* Prepare(const std::string& sql, const TComponent* owner) {
        // A run of the same statement (a bulk insert) finds it last.
        if (!prepared_.empty() && !prepared_.back()->busy && prepared_.back()->sql == sql)
            return prepared_.back().get();
        for (size_t i = 0; i < prepared_.size(); ++i) {
            if (prepared_[i]->busy || prepared_[i]->sql != sql) continue;
            // The most recent go last.
            std::rotate(prepared_.begin() + static_cast<std::ptrdiff_t>(i),
                        prepared_.begin() + static_cast<std::ptrdiff_t>(i) + 1, prepared_.end());
            return prepared_.back().get();
        }
        auto statement = std::make_unique<Statement>(db_, sql, owner);
        if (!statement->Handle()) return nullptr;
        if (prepared_.size() >= kPreparedKept) {
            auto idle = std::find_if(prepared_.begin(), prepared_.end(),
                                     [](const std::unique_ptr<Prepared>& p) { return !p->busy; });
            if (idle != prepared_.end()) prepared_.erase(idle);
        }
        prepared_.push_back(std::make_unique<Prepared>(Prepared{sql, std::move(statement), false}));
        return prepared_.back().get();
    }

    sqlite3* db_;
    std::vector<std::unique_ptr<Prepared>> prepared_;
    struct CachedInsert {
        std::string table;
        std::vector<std::string> columns;
        std::string sql;
    } insert_;
};

}  // namespace sqlite_engine

std::unique_ptr<Connection> ConnectSQLite(const std::string& path, bool readOnly, std::string& error) {
    if (path.find('\0') != std::string::npos) {
        error = "invalid file name";
        return nullptr;
    }
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Reading the schema now turns a damaged or locked file into an error at connect time.
    char* message = nullptr;
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        error = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        sqlite3_close_v2(db);
        return nullptr;
    }
    return std::make_unique<sqlite_engine::SQLiteConnection>(db);
}

}  // namespace vcl::dbdriver
