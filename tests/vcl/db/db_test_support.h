// Datasets with the same rows in memory and in an SQLite table, for tests that must hold for both.
#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "support/tempdir.h"
#include "vcl/db.h"
#include "vcl/dbtables.h"

namespace dbtest {

// An empty database file (SQLite takes a zero-length file as a new database).
inline std::string NewDatabase(const zyltest::TempDir& dir, const std::string& name = "test.db") {
    std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
    return path;
}

inline void Execute(const std::string& path, const std::string& sql) {
    vcl::TComponentPtr<vcl::TDatabase> database(new vcl::TDatabase(nullptr));
    database->SetDatabaseName(path);
    database->Execute(sql);
}

enum class Kind { memory, sqlite };

// People(ID, NAME) with `rows` rows: ID 1..rows, NAME "name<ID>".
inline vcl::TDataSet* MakePeople(Kind kind, int rows, const zyltest::TempDir& dir) {
    if (kind == Kind::memory) {
        auto* data = new vcl::TMemoryDataSet(nullptr);
        data->FieldDefs()->Add("ID", vcl::TFieldType::ftInteger);
        data->FieldDefs()->Add("NAME", vcl::TFieldType::ftString, 20);
        data->CreateDataSet();
        for (int i = 1; i <= rows; ++i)
            data->AppendRecord({i, "name" + std::to_string(i)});
        data->First();
        return data;
    }
    std::string path = NewDatabase(dir);
    std::string sql = "CREATE TABLE people (ID INTEGER NOT NULL, NAME VARCHAR(20));";
    for (int i = 1; i <= rows; ++i)
        sql += "INSERT INTO people VALUES (" + std::to_string(i) + ", 'name" + std::to_string(i) + "');";
    Execute(path, sql);
    auto* table = new vcl::TTable(nullptr);
    table->SetDatabaseName(path);
    table->SetTableName("people");
    table->Open();
    return table;
}

inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const vcl::Exception& error) {
        return std::string(error.ClassName()) + ": " + error.Message();
    }
    return "<no exception>";
}

}  // namespace dbtest
