// Private helpers of the SQLite datasets.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "vcl/dbtables.h"

namespace vcl::sqlite {

// A prepared statement that raises EDatabaseError with SQLite's message on any failure.
class Statement {
public:
    Statement(sqlite3* db, std::string_view sql, const TComponent* owner);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // nullptr when the text held no statement.
    sqlite3_stmt* Handle() const { return stmt_; }
    // Where the text after the first statement starts.
    const char* Tail() const { return tail_; }
    // True while a row is available.
    bool Step();
    void BindText(int index, std::string_view text);
    void BindInt64(int index, Int64 value);
    Int64 Int64At(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) const;
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    [[noreturn]] void Fail() const;

private:
    sqlite3* db_;
    const TComponent* owner_;
    sqlite3_stmt* stmt_ = nullptr;
    const char* tail_ = nullptr;
};

struct TColumnType {
    TFieldType type;
    Integer size;
};

std::string QuoteIdentifier(std::string_view name);
void Exec(sqlite3* db, const char* sql, const TComponent* owner);
bool IsDateType(TFieldType type);
// Dates are stored as ISO text; integers read as Unix seconds and reals as Julian days, as
// SQLite's own date functions take them.
Variant ReadColumn(sqlite3_stmt* stmt, int column, TFieldType type);
void BindValue(Statement& statement, int index, const Variant& value, TFieldType type,
               const TComponent* owner);
// The field type and size for a declared column type (VARCHAR(30) gives a 30-character string).
TColumnType MapDeclaredType(std::string_view declared);
// The declared type CreateTable writes for a field type; it maps back to the same type.
std::string DeclaredType(TFieldType type, Integer size);

}  // namespace vcl::sqlite
