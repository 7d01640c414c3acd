// The PostgreSQL engine behind the datasets, through libpq: values travel as text (bytea in
// binary), every value is a bound parameter, rows are identified by an integer key or the tuple id.
#include <libpq-fe.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "db/driver.h"

namespace vcl::dbdriver {

std::string IdentityPlaceholder(const Connection& connection, const TableInfo& table, int index) {
    return connection.Placeholder(index) + (table.tupleIdentity ? "::tid" : "");
}

Param IdentityParam(const TableInfo& table, Int64 identity) {
    if (!table.tupleIdentity) return {Variant(identity), TFieldType::ftLargeint};
    return {"(" + std::to_string(identity >> 16) + "," + std::to_string(identity & 0xFFFF) + ")",
            TFieldType::ftString};
}

Int64 ReadIdentity(const TableInfo& table, const Row& row, int column) {
    if (!table.tupleIdentity) return row.Int64At(column);
    // "(block,item)"
    std::string text = row.Text(column);
    Int64 block = 0, item = 0;
    size_t comma = text.find(',');
    if (text.size() > 2 && comma != std::string::npos) {
        block = std::strtoll(text.c_str() + 1, nullptr, 10);
        item = std::strtoll(text.c_str() + comma + 1, nullptr, 10);
    }
    return (block << 16) | (item & 0xFFFF);
}

namespace postgres_engine {

// Type identifiers of the built-in types (pg_type.oid), fixed across servers.
enum TypeOid : Oid {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kBpchar = 1042,
    kVarchar = 1043,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kTimestamptz = 1184,
    kNumeric = 1700,
};

// NUMERIC(19,4) is how currency is stored.
constexpr int kCurrencyPrecision = 19, kCurrencyScale = 4;

ColumnType MapType(Oid type, int modifier) {
    switch (type) {
        case kBool:
            return {TFieldType::ftBoolean, 0};
        case kInt2:
            return {TFieldType::ftSmallint, 0};
        case kInt4:
            return {TFieldType::ftInteger, 0};
        case kInt8:
            return {TFieldType::ftLargeint, 0};
        case kFloat4:
        case kFloat8:
            return {TFieldType::ftFloat, 0};
        case kNumeric: {
            int precision = modifier >= 4 ? ((modifier - 4) >> 16) & 0xFFFF : 0;
            int scale = modifier >= 4 ? (modifier - 4) & 0xFFFF : 0;
            if (precision == kCurrencyPrecision && scale == kCurrencyScale)
                return {TFieldType::ftCurrency, 0};
            return {TFieldType::ftBCD, 0};
        }
        case kVarchar:
        case kBpchar: {
            int size = modifier >= 4 ? modifier - 4 : 0;
            if (size >= 1 && size <= 8192) return {TFieldType::ftString, size};
            return {TFieldType::ftMemo, 0};
        }
        case kDate:
            return {TFieldType::ftDate, 0};
        case kTime:
            return {TFieldType::ftTime, 0};
        case kTimestamp:
        case kTimestamptz:
            return {TFieldType::ftDateTime, 0};
        case kBytea:
            return {TFieldType::ftBlob, 0};
        default:
            return {TFieldType::ftMemo, 0};
    }
}

std::string DecodeBytea(std::string_view text) {
    if (text.size() < 2 || text[0] != '\\' || text[1] != 'x') return std::string(text);
    auto nibble = [](char ch) -> int {
        if (ch >= '0' && ch <= '9') return ch - '0';
        if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
        if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
        return 0;
    };
    std::string bytes;
    bytes.reserve((text.size() - 2) / 2);
    for (size_t i = 2; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(nibble(text[i]) * 16 + nibble(text[i + 1]));
    return bytes;
}

// A number the server wrote as text, parsed from a terminated copy: on the stack for the usual
// short ones, on the heap for a long numeric.
template <typename Parse>
auto ParseNumber(std::string_view text, Parse parse) {
    char buffer[64];
    if (text.size() >= sizeof buffer) return parse(std::string(text).c_str());
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return parse(buffer);
}

// Reads a value the server wrote as text into `into`, as a field of `type` holds it (the column's
// own type decides when the field's is unknown). A text keeps the storage `into` already has.
void ParseValueInto(std::string_view text, Oid columnType, TFieldType type, Variant& into) {
    if (type == TFieldType::ftUnknown) type = MapType(columnType, -1).type;
    auto integer = [](const char* digits) { return static_cast<Int64>(std::strtoll(digits, nullptr, 10)); };
    auto real = [](const char* digits) { return std::strtod(digits, nullptr); };
    switch (type) {
        case TFieldType::ftBoolean:
            into = Variant(text == "t" || text == "true");
            return;
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftAutoInc:
        case TFieldType::ftLargeint:
            into.AssignInteger(columnType == kBool ? Int64{text == "t" ? 1 : 0} : ParseNumber(text, integer));
            return;
        case TFieldType::ftFloat:
        case TFieldType::ftBCD:
            into.AssignFloat(columnType == kBool ? (text == "t" ? 1.0 : 0.0) : ParseNumber(text, real));
            return;
        case TFieldType::ftCurrency: {
            double value = ParseNumber(text, real);
            if (std::abs(value) < 9.2e14)
                into = Variant(Currency(value));
            else
                into.AssignFloat(value);
            return;
        }
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime: {
            // Time zones (UTC on this connection) are dropped: datetimes here carry none.
            std::string_view clock = text;
            if (columnType == kTimestamptz) {
                size_t zone = clock.find_last_of("+-");
                if (zone != std::string_view::npos && zone > 10) clock = clock.substr(0, zone);
            }
            TDateTime value = 0;
            if (ParseIsoDateTime(clock, value))
                into = Variant::FromDateTime(value);
            else
                into.AssignString(text);
            return;
        }
        case TFieldType::ftBlob:
        case TFieldType::ftGraphic:
        case TFieldType::ftTypedBinary:
        case TFieldType::ftBytes:
        case TFieldType::ftVarBytes:
            if (columnType == kBytea)
                into = Variant(DecodeBytea(text));
            else
                into.AssignString(text);
            return;
        default:
            into.AssignString(text);
            return;
    }
}

class ResultRow final : public Row {
public:
    ResultRow(const PGresult* result, int row) : result_(result), row_(row) {}
    int ColumnCount() const override { return PQnfields(result_); }
    bool IsNull(int column) const override { return PQgetisnull(result_, row_, column) != 0; }
    Variant Value(int column, TFieldType type) const override {
        Variant value;
        ValueInto(column, type, value);
        return value;
    }
    void ValueInto(int column, TFieldType type, Variant& into) const override {
        if (IsNull(column))
            into = Variant();
        else
            ParseValueInto(View(column), PQftype(result_, column), type, into);
    }
    std::string Text(int column) const override { return std::string(View(column)); }
    Int64 Int64At(int column) const override {
        return static_cast<Int64>(std::strtoll(PQgetvalue(result_, row_, column), nullptr, 10));
    }
    void MoveTo(int row) { row_ = row; }

private:
    std::string_view View(int column) const {
        return {PQgetvalue(result_, row_, column), static_cast<size_t>(PQgetlength(result_, row_, column))};
    }
    const PGresult* result_;
    int row_;
};

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// Parameters in the form libpq takes them: text, except bytes for binary fields.
class BoundParams {
public:
    explicit BoundParams(const std::vector<Param>& params) {
        texts_.reserve(params.size());
        for (const Param& param : params) {
            const Variant& value = param.value;
            bool binary = IsBinaryType(param.type) && value.StringPtr();
            formats_.push_back(binary ? 1 : 0);
            if (value.IsNull()) {
                texts_.emplace_back();
                nulls_.push_back(true);
                continue;
            }
            nulls_.push_back(false);
            texts_.push_back(binary ? *value.StringPtr() : Text(value, param.type));
        }
        for (size_t i = 0; i < texts_.size(); ++i) {
            values_.push_back(nulls_[i] ? nullptr : texts_[i].data());
            lengths_.push_back(static_cast<int>(texts_[i].size()));
        }
    }
    int Count() const { return static_cast<int>(values_.size()); }
    const char* const* Values() const { return values_.data(); }
    const int* Lengths() const { return lengths_.data(); }
    const int* Formats() const { return formats_.data(); }

private:
    static std::string Text(const Variant& value, TFieldType type) {
        switch (value.VarType()) {
            case TVarType::varBoolean:
                return value.AsBoolean() ? "true" : "false";
            case TVarType::varFloat: {
                double number = value.AsFloat();
                if (std::isnan(number)) return "NaN";
                if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
                char text[32];
                std::snprintf(text, sizeof text, "%.17g", number);
                return text;
            }
            case TVarType::varCurrency: {
                Int64 raw = value.AsCurrency().raw;
                char text[40];
                unsigned long long magnitude = raw < 0 ? 0ULL - static_cast<unsigned long long>(raw)
                                                       : static_cast<unsigned long long>(raw);
                std::snprintf(text, sizeof text, "%s%llu.%04llu", raw < 0 ? "-" : "", magnitude / 10000,
                              magnitude % 10000);
                return text;
            }
            case TVarType::varDate:
                return FormatIso(value.AsDateTime(), IsDateType(type) ? type : TFieldType::ftDateTime);
            default:
                return value.AsString();
        }
    }

    std::vector<std::string> texts_;
    std::vector<bool> nulls_;
    std::vector<const char*> values_;
    std::vector<int> lengths_, formats_;
};

std::string JoinNames(const std::vector<std::string>& names) {
    std::string result;
    for (const std::string& item : names)
        result += (result.empty() ? "" : ";") + item;
    return result;
}

class PostgresConnection;

// A query's rows held by the server in a scrollable cursor; the client reads a window at a time.
class ServerCursor final : public ResultCursor {
public:
    ServerCursor(PostgresConnection& connection, const std::string& sql, const std::vector<Param>& params,
                 const TComponent* owner);
    ~ServerCursor() override;
    int ColumnCount() const override { return PQnfields(shape_.get()); }
    std::string ColumnName(int column) const override { return PQfname(shape_.get(), column); }
    ColumnType DeclaredType(int column) const override {
        return MapType(PQftype(shape_.get(), column), PQfmod(shape_.get(), column));
    }
    int Read(Int64 position, int count, const RowHandler& each) override;
    Int64 Count() override;

private:
    PostgresConnection& connection_;
    const TComponent* owner_;
    std::string name_;
    Result shape_;
};

class PostgresConnection final : public Connection {
public:
    explicit PostgresConnection(PGconn* connection) : connection_(connection) {}
    ~PostgresConnection() override { PQfinish(connection_); }

    // Runs a statement; raises EDatabaseError with the server's own message on failure.
    Result Exec(const std::string& sql, const std::vector<Param>& params, const TComponent* owner) {
        BoundParams bound(params);
        Settle();
        Result result(PQexecParams(connection_, sql.c_str(), bound.Count(), nullptr, bound.Values(),
                                   bound.Lengths(), bound.Formats(), 0));
        Check(result.get(), owner);
        return result;
    }
    void Check(const PGresult* result, const TComponent* owner) const {
        ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY) return;
        const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        std::string message = primary ? primary : PQerrorMessage(connection_);
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        DatabaseError(message, owner);
    }
    Int64 ForEachRow(const PGresult* result, const RowHandler& each) {
        int rows = PQntuples(result);
        ResultRow row(result, 0);
        for (int i = 0; i < rows; ++i) {
            row.MoveTo(i);
            if (each && !each(row)) break;
        }
        return rows;
    }

    uint64_t StartStream(const std::string& sql, const std::vector<Param>& params,
                         const TComponent* owner) override {
        Settle();
        if (PQtransactionStatus(connection_) != PQTRANS_IDLE) return 0;
        BoundParams bound(params);
        if (!PQsendQueryParams(connection_, sql.c_str(), bound.Count(), nullptr, bound.Values(),
                               bound.Lengths(), bound.Formats(), 0))
            Check(nullptr, owner);
        stream_ = ++streams_;
        // Without row-by-row mode the rows still come, all at once at the end.
        PQsetSingleRowMode(connection_);
        return stream_;
    }

    int ReadStream(uint64_t ticket, int count, const RowHandler& each, const TComponent* owner) override {
        if (ticket == 0 || ticket != stream_) return -1;
        int read = 0;
        while (read < count) {
            Result result(PQgetResult(connection_));
            if (PQresultStatus(result.get()) == PGRES_SINGLE_TUPLE) {
                ++read;
                ForEachRow(result.get(), each);
                continue;
            }
            // The rows of a statement that did not go row by row.
            if (PQresultStatus(result.get()) == PGRES_TUPLES_OK)
                read += static_cast<int>(ForEachRow(result.get(), each));
            // The end of the rows, or the statement failed.
            Settle();
            Check(result.get(), owner);
            break;
        }
        return read;
    }

    void ExecuteScript(const std::string& sql, const TComponent* owner) override {
        if (sql.find('\0') != std::string::npos) DatabaseError("SQL text contains a NUL character", owner);
        Settle();
        Result result(PQexec(connection_, sql.c_str()));
        Check(result.get(), owner);
    }

    Int64 Run(const std::string& sql, const std::vector<Param>& params, const RowHandler& each,
              const TComponent* owner) override {
        Result result = Exec(sql, params, owner);
        if (PQresultStatus(result.get()) == PGRES_TUPLES_OK) ForEachRow(result.get(), each);
        const char* changed = PQcmdTuples(result.get());
        return changed && *changed ? std::strtoll(changed, nullptr, 10) : 0;
    }

    std::unique_ptr<ResultCursor> OpenResult(const std::string& sql, const std::vector<Param>& params,
                                             const TComponent* owner) override {
        return std::make_unique<ServerCursor>(*this, sql, params, owner);
    }

    bool InTransaction() const override {
        Settle();
        PGTransactionStatusType status = PQtransactionStatus(connection_);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
    }

    void Atomically(const std::function<void()>& write, const TComponent* owner) override {
        bool nested = InTransaction();
        ExecuteScript(nested ? "SAVEPOINT zyl_write" : "BEGIN", owner);
        try {
            write();
            ExecuteScript(nested ? "RELEASE zyl_write" : "COMMIT", owner);
        } catch (...) {
            Settle();
            Result undo(
                PQexec(connection_, nested ? "ROLLBACK TO zyl_write; RELEASE zyl_write" : "ROLLBACK"));
            throw;
        }
    }

    // Alone a statement is its own transaction; inside one, a failed statement aborts it.
    bool StatementsAtomic() const override { return !InTransaction(); }

    std::string Placeholder(int index) const override { return "$" + IntToStr(index); }
    std::string Caseless(const std::string& expression) const override { return "lower(" + expression + ")"; }
    std::string AsText(const std::string& expression) const override { return "(" + expression + ")::text"; }
    std::string NullsPlacement(bool descending) const override {
        return descending ? " NULLS LAST" : " NULLS FIRST";
    }

    // The table's name as spelled, or folded to lower case the way unquoted SQL names are.
    std::optional<std::string> ResolveTable(const std::string& table, const TComponent* owner) {
        std::optional<std::string> found;
        Run(
            "SELECT c.relname FROM pg_class c WHERE c.oid = coalesce(to_regclass(quote_ident($1)),"
            " to_regclass(quote_ident(lower($1)))) AND c.relkind IN ('r', 'v', 'p', 'm')",
            {{table, TFieldType::ftString}},
            [&](const Row& row) {
                found = row.Text(0);
                return false;
            },
            owner);
        return found;
    }

    bool TableExists(const std::string& table, const TComponent* owner) override {
        return ResolveTable(table, owner).has_value();
    }

    TableInfo ReadTable(const std::string& table, const TComponent* owner) override {
        TableInfo info;
        std::optional<std::string> name = ResolveTable(table, owner);
        if (!name) return info;
        info.name = *name;
        std::vector<std::pair<Int64, size_t>> keyColumns;
        std::vector<bool> generated;
        Run(
            "SELECT a.attname, a.atttypid, a.atttypmod, a.attnotnull, a.atthasdef OR a.attidentity <> '',"
            " coalesce((SELECT k.ord FROM pg_index i, unnest(i.indkey::int2[]) WITH ORDINALITY k(num, ord)"
            "           WHERE i.indrelid = a.attrelid AND i.indisprimary AND k.num = a.attnum), 0),"
            " a.attidentity <> '' OR coalesce(pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false)"
            " FROM pg_attribute a LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
            " WHERE a.attrelid = to_regclass(quote_ident($1)) AND a.attnum > 0 AND NOT a.attisdropped"
            " ORDER BY a.attnum",
            {{info.name, TFieldType::ftString}},
            [&](const Row& row) {
                ColumnInfo column;
                column.name = row.Text(0);
                column.type = MapType(static_cast<Oid>(row.Int64At(1)), static_cast<int>(row.Int64At(2)));
                column.required = row.Text(3) == "t" && row.Text(4) != "t";
                column.notNull = row.Text(3) == "t";
                if (Int64 key = row.Int64At(5); key > 0) keyColumns.emplace_back(key, info.columns.size());
                generated.push_back(row.Text(6) == "t");
                info.columns.push_back(std::move(column));
                return true;
            },
            owner);
        std::sort(keyColumns.begin(), keyColumns.end());
        for (const auto& [position, index] : keyColumns)
            info.primaryKey.push_back(info.columns[index].name);
        if (keyColumns.size() == 1) {
            size_t index = keyColumns[0].second;
            TFieldType type = info.columns[index].type.type;
            if (type == TFieldType::ftSmallint || type == TFieldType::ftInteger ||
                type == TFieldType::ftLargeint) {
                info.identityColumn = static_cast<int>(index);
                info.identity = QuoteIdentifier(info.columns[index].name);
                // A key the server numbers itself reads like SQLite's INTEGER PRIMARY KEY.
                if (generated[index]) {
                    info.columns[index].type = {TFieldType::ftAutoInc, 0};
                    info.columns[index].required = false;
                }
            }
        }
        if (info.identity.empty()) {
            info.identity = "ctid";
            info.tupleIdentity = true;
        }
        return info;
    }

    void ReadIndexes(const std::string& table, TIndexDefs& defs, const TComponent* owner) override {
        std::optional<std::string> name = ResolveTable(table, owner);
        if (!name) return;
        Run(
            "SELECT i.relname, x.indisunique, x.indisprimary,"
            " array_to_string(ARRAY(SELECT coalesce(a.attname, '') FROM unnest(x.indkey::int2[])"
            "   WITH ORDINALITY k(num, ord) LEFT JOIN pg_attribute a ON a.attrelid = x.indrelid"
            "   AND a.attnum = k.num ORDER BY k.ord), ';', ''),"
            " array_to_string(x.indoption::int2[], ';'), x.indexprs IS NOT NULL"
            " FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid"
            " WHERE x.indrelid = to_regclass(quote_ident($1)) ORDER BY i.relname",
            {{*name, TFieldType::ftString}},
            [&](const Row& row) {
                std::vector<std::string> fields = SplitFieldNames(row.Text(3));
                std::vector<std::string> options = SplitFieldNames(row.Text(4));
                // Indexes on expressions cannot order fields; they are left out.
                if (row.Text(5) == "t" || fields.empty()) return true;
                for (const std::string& field : fields)
                    if (field.empty()) return true;
                std::vector<std::string> descending;
                for (size_t i = 0; i < fields.size() && i < options.size(); ++i)
                    if (StrToIntDef(options[i], 0) & 1) descending.push_back(fields[i]);
                TIndexOptions indexOptions;
                if (row.Text(1) == "t") indexOptions.Include(TIndexOption::ixUnique);
                if (row.Text(2) == "t") indexOptions.Include(TIndexOption::ixPrimary);
                TIndexDef* def = defs.Add(row.Text(0), JoinNames(fields), indexOptions);
                if (descending.size() == fields.size())
                    def->SetOptions(def->Options() + TIndexOptions{TIndexOption::ixDescending});
                else
                    def->SetDescFields(JoinNames(descending));
                return true;
            },
            owner);
    }

    std::string DeclaredType(TFieldType type, Integer size) const override {
        switch (type) {
            case TFieldType::ftString:
            case TFieldType::ftFixedChar:
            case TFieldType::ftWideString:
                return "VARCHAR(" + IntToStr(size > 0 ? size : 20) + ")";
            case TFieldType::ftSmallint:
                return "SMALLINT";
            case TFieldType::ftInteger:
            case TFieldType::ftWord:
                return "INTEGER";
            case TFieldType::ftLargeint:
                return "BIGINT";
            case TFieldType::ftAutoInc:
                return "SERIAL PRIMARY KEY";
            case TFieldType::ftBoolean:
                return "BOOLEAN";
            case TFieldType::ftFloat:
                return "DOUBLE PRECISION";
            case TFieldType::ftBCD:
                return "NUMERIC";
            case TFieldType::ftCurrency:
                return "NUMERIC(19,4)";
            case TFieldType::ftDate:
                return "DATE";
            case TFieldType::ftTime:
                return "TIME";
            case TFieldType::ftDateTime:
                return "TIMESTAMP";
            case TFieldType::ftMemo:
            case TFieldType::ftFmtMemo:
                return "TEXT";
            default:
                return "BYTEA";
        }
    }
    std::string CaselessIndexColumn(const std::string&) const override { return {}; }

    Int64 Insert(const std::string& table, const TableInfo& info, const std::vector<std::string>& columns,
                 const std::vector<Param>& values, const TComponent* owner) override {
        std::string sql = "INSERT INTO " + QuoteIdentifier(table);
        if (columns.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (size_t i = 0; i < columns.size(); ++i) {
                names += (i ? ", " : "") + QuoteIdentifier(columns[i]);
                marks += (i ? ", " : "") + Placeholder(static_cast<int>(i) + 1);
            }
            sql += " (" + names + ") VALUES (" + marks + ")";
        }
        sql += " RETURNING " + info.identity;
        Int64 identity = 0;
        Run(
            sql, values,
            [&](const Row& row) {
                identity = ReadIdentity(info, row, 0);
                return false;
            },
            owner);
        return identity;
    }

    std::optional<Int64> Update(const std::string& table, const TableInfo& info,
                                const std::vector<std::string>& columns, const std::vector<Param>& values,
                                Int64 identity, const TComponent* owner) override {
        std::string sql = "UPDATE " + QuoteIdentifier(table) + " SET ";
        for (size_t i = 0; i < columns.size(); ++i)
            sql +=
                (i ? ", " : "") + QuoteIdentifier(columns[i]) + " = " + Placeholder(static_cast<int>(i) + 1);
        sql += " WHERE " + info.identity + " = " +
               IdentityPlaceholder(*this, info, static_cast<int>(columns.size()) + 1) + " RETURNING " +
               info.identity;
        std::vector<Param> bound = values;
        bound.push_back(IdentityParam(info, identity));
        std::optional<Int64> moved;
        Run(
            sql, bound,
            [&](const Row& row) {
                moved = ReadIdentity(info, row, 0);
                return false;
            },
            owner);
        return moved;
    }

    // The connection with no statement in flight.
    PGconn* Idle() const {
        Settle();
        return connection_;
    }
    int NextCursorNumber() { return ++cursors_; }

private:
    // Lets the open stream go: its remaining rows are received and dropped, never mixed with the
    // next statement's.
    void Settle() const {
        if (!stream_) return;
        stream_ = 0;
        while (PGresult* rest = PQgetResult(connection_))
            PQclear(rest);
    }

    PGconn* connection_;
    int cursors_ = 0;
    uint64_t streams_ = 0;
    mutable uint64_t stream_ = 0;  // the open stream's ticket, 0 when none
};

ServerCursor::ServerCursor(PostgresConnection& connection, const std::string& sql,
                           const std::vector<Param>& params, const TComponent* owner)
    : connection_(connection), owner_(owner), name_("zyl_cursor_" + IntToStr(connection.NextCursorNumber())) {
    connection_.Exec("DECLARE " + name_ + " SCROLL CURSOR WITH HOLD FOR " + sql, params, owner);
    shape_ = connection_.Exec("FETCH ABSOLUTE 0 FROM " + name_, {}, owner);
    if (PQnfields(shape_.get()) == 0) DatabaseError(std::string(dbconsts::SNoResultSet), owner);
}

ServerCursor::~ServerCursor() {
    Result closed(PQexec(connection_.Idle(), ("CLOSE " + name_).c_str()));
}

int ServerCursor::Read(Int64 position, int count, const RowHandler& each) {
    connection_.Exec("MOVE ABSOLUTE " + std::to_string(position) + " IN " + name_, {}, owner_);
    Result rows = connection_.Exec("FETCH FORWARD " + IntToStr(count) + " FROM " + name_, {}, owner_);
    return static_cast<int>(connection_.ForEachRow(rows.get(), each));
}

Int64 ServerCursor::Count() {
    connection_.Exec("MOVE ABSOLUTE 0 IN " + name_, {}, owner_);
    Result moved = connection_.Exec("MOVE FORWARD ALL IN " + name_, {}, owner_);
    return std::strtoll(PQcmdTuples(moved.get()), nullptr, 10);
}

}  // namespace postgres_engine

std::unique_ptr<Connection> ConnectPostgres(const std::vector<std::pair<std::string, std::string>>& settings,
                                            std::string& error) {
    std::vector<const char*> keywords, values;
    for (const auto& [keyword, value] : settings) {
        keywords.push_back(keyword.c_str());
        values.push_back(value.c_str());
    }
    keywords.push_back("client_encoding");
    values.push_back("UTF8");
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* connection = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        error = connection ? PQerrorMessage(connection) : "out of memory";
        while (!error.empty() && (error.back() == '\n' || error.back() == ' '))
            error.pop_back();
        PQfinish(connection);
        return nullptr;
    }
    // The server's notices are not the application's output.
    PQsetNoticeProcessor(
        connection, [](void*, const char*) {}, nullptr);
    postgres_engine::Result settingsResult(
        PQexec(connection, "SET DateStyle = ISO; SET TimeZone = 'UTC'; SET extra_float_digits = 3"));
    if (PQresultStatus(settingsResult.get()) != PGRES_COMMAND_OK) {
        error = PQerrorMessage(connection);
        PQfinish(connection);
        return nullptr;
    }
    return std::make_unique<postgres_engine::PostgresConnection>(connection);
}

}  // namespace vcl::dbdriver
