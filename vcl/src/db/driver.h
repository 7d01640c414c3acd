// The seam between the datasets and a database engine. A connection runs SQL with bound values and
// hands each row to its caller; it also answers what SQL leaves to the engine: how a table's
// columns, keys and indexes are read, how a row is identified, how text compares without case.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vcl/db.h"

namespace vcl::dbdriver {

// A value bound to a placeholder, with the field type it is written as (blobs, dates).
struct Param {
    Variant value;
    TFieldType type = TFieldType::ftUnknown;
};

// A value bound where it stands: a bulk insert binds the dataset's own values without copying them.
struct ParamRef {
    const Variant* value;
    TFieldType type;
};

struct ColumnType {
    TFieldType type;
    Integer size;
};

// One column of a result read into a record's value slot, as a field of `type` holds it.
struct ColumnRead {
    int column;
    TFieldType type;
    size_t slot;
};

inline bool IsDateType(TFieldType type) {
    return type == TFieldType::ftDate || type == TFieldType::ftTime || type == TFieldType::ftDateTime;
}
inline bool IsBinaryType(TFieldType type) {
    return type == TFieldType::ftBlob || type == TFieldType::ftGraphic || type == TFieldType::ftTypedBinary ||
           type == TFieldType::ftBytes || type == TFieldType::ftVarBytes;
}

// One row of a result, valid during the call that hands it over.
class Row {
public:
    virtual ~Row() = default;
    virtual int ColumnCount() const = 0;
    virtual bool IsNull(int column) const = 0;
    // The column's value as a field of `type` holds it.
    virtual Variant Value(int column, TFieldType type) const = 0;
    // The same into a value that may hold a string whose storage can be reused.
    virtual void ValueInto(int column, TFieldType type, Variant& into) const { into = Value(column, type); }
    // Every column of `reads` into its slot of `values`, in one call per row.
    virtual void ReadInto(const std::vector<ColumnRead>& reads, std::vector<Variant>& values) const {
        for (const ColumnRead& read : reads)
            ValueInto(read.column, read.type, values[read.slot]);
    }
    virtual std::string Text(int column) const = 0;
    virtual Int64 Int64At(int column) const = 0;
};
// Returns false to stop reading.
using RowHandler = std::function<bool(const Row&)>;

// A result without a key to seek by (a query's), read a window at a time by position.
class ResultCursor {
public:
    virtual ~ResultCursor() = default;
    virtual int ColumnCount() const = 0;
    virtual std::string ColumnName(int column) const = 0;
    // The type the engine declares; ftUnknown when it declares none (expressions).
    virtual ColumnType DeclaredType(int column) const = 0;
    // Hands over up to `count` rows from the 0-based position on; returns how many it read.
    virtual int Read(Int64 position, int count, const RowHandler& each) = 0;
    virtual Int64 Count() = 0;
};

struct ColumnInfo {
    std::string name;
    ColumnType type;
    bool required = false;
    bool caseInsensitive = false;
    // The engine refuses nulls in the column (a NOT NULL constraint, or the row's identity).
    bool notNull = false;
};

struct TableInfo {
    // The table's name as the engine knows it.
    std::string name;
    std::vector<ColumnInfo> columns;
    std::vector<std::string> primaryKey;
    // The column that is the row's identity itself (an integer primary key), or -1.
    int identityColumn = -1;
    // What identifies a row in SQL: an integer (rowid, the key column) or, without one, the row's
    // physical place (a PostgreSQL tuple id, packed into 64 bits as block << 16 | item).
    std::string identity;
    bool tupleIdentity = false;
};

class Connection {
public:
    virtual ~Connection() = default;

    // Statements without results, several in one text; raises EDatabaseError with the engine's message.
    virtual void ExecuteScript(const std::string& sql, const TComponent* owner) = 0;
    // One statement with bound values; its rows go to `each` (may be empty). Returns the rows changed.
    virtual Int64 Run(const std::string& sql, const std::vector<Param>& params, const RowHandler& each,
                      const TComponent* owner) = 0;
    // A query's statement with its parameters, read by position.
    virtual std::unique_ptr<ResultCursor> OpenResult(const std::string& sql, const std::vector<Param>& params,
                                                     const TComponent* owner) = 0;
    // Starts `sql` for reading a part at a time, so that the server produces rows while the caller
    // works on those it has. One stream is open at a time: any other call on the connection first
    // receives and drops what is left of it. Returns a ticket, or 0 where the engine does not
    // stream (or cannot now: inside a transaction, a statement whose rows went unread could fail
    // unseen and abort it).
    virtual uint64_t StartStream(const std::string& /*sql*/, const std::vector<Param>& /*params*/,
                                 const TComponent* /*owner*/) {
        return 0;
    }
    // Hands over up to `count` more rows of the stream; fewer at its end. -1 when the stream is no
    // longer open.
    virtual int ReadStream(uint64_t /*ticket*/, int /*count*/, const RowHandler& /*each*/,
                           const TComponent* /*owner*/) {
        return -1;
    }
    virtual bool InTransaction() const = 0;
    // Runs `write` atomically: in a savepoint inside an open transaction, else in one of its own.
    virtual void Atomically(const std::function<void()>& write, const TComponent* owner) = 0;
    // Whether one statement is atomic as it stands: a failed one undoes its own changes and leaves
    // an open transaction usable, so that it needs no savepoint.
    virtual bool StatementsAtomic() const { return false; }

    // The placeholder of the 1-based parameter `index`.
    virtual std::string Placeholder(int index) const = 0;
    // An expression comparing and ordering `expression` without letter case.
    virtual std::string Caseless(const std::string& expression) const = 0;
    // An expression giving the text of `expression` (for partial and caseless matching).
    virtual std::string AsText(const std::string& expression) const = 0;
    // What follows an ORDER BY term so that nulls come first ascending and last descending.
    virtual std::string NullsPlacement(bool descending) const = 0;

    // Schema.
    virtual bool TableExists(const std::string& table, const TComponent* owner) = 0;
    // Columns empty when the table does not exist.
    virtual TableInfo ReadTable(const std::string& table, const TComponent* owner) = 0;
    virtual void ReadIndexes(const std::string& table, TIndexDefs& defs, const TComponent* owner) = 0;
    virtual std::string DeclaredType(TFieldType type, Integer size) const = 0;
    // The clause making an index's column caseless (SQLite "COLLATE NOCASE"); empty when the
    // engine needs an expression instead (then Caseless applies).
    virtual std::string CaselessIndexColumn(const std::string& column) const = 0;

    // Inserts a row, returning the new row's identity.
    virtual Int64 Insert(const std::string& table, const TableInfo& info,
                         const std::vector<std::string>& columns, const std::vector<Param>& values,
                         const TComponent* owner) = 0;
    // The same from values that stay where they are; a driver that can bind them in place does.
    virtual Int64 InsertRow(const std::string& table, const TableInfo& info,
                            const std::vector<std::string>& columns, const std::vector<ParamRef>& values,
                            const TComponent* owner) {
        std::vector<Param> copies;
        copies.reserve(values.size());
        for (const ParamRef& ref : values)
            copies.push_back({*ref.value, ref.type});
        return Insert(table, info, columns, copies, owner);
    }
    // Updates the row; returns its identity afterwards (which can change), or nullopt when gone.
    virtual std::optional<Int64> Update(const std::string& table, const TableInfo& info,
                                        const std::vector<std::string>& columns,
                                        const std::vector<Param>& values, Int64 identity,
                                        const TComponent* owner) = 0;
};

std::string IdentityPlaceholder(const Connection& connection, const TableInfo& table, int index);
Param IdentityParam(const TableInfo& table, Int64 identity);
Int64 ReadIdentity(const TableInfo& table, const Row& row, int column);

std::string QuoteIdentifier(std::string_view name);
// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or with 'T') and "HH:MM[:SS[.fff]]".
bool ParseIsoDateTime(std::string_view text, TDateTime& result);
std::string FormatIso(TDateTime value, TFieldType type);

std::unique_ptr<Connection> ConnectSQLite(const std::string& path, bool readOnly, std::string& error);
// `settings` are libpq's keywords and values ("host", "port", "dbname", "user", "password"); a
// connection string or URI may stand in "dbname".
std::unique_ptr<Connection> ConnectPostgres(const std::vector<std::pair<std::string, std::string>>& settings,
                                            std::string& error);

}  // namespace vcl::dbdriver
