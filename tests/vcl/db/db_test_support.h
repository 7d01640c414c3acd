// Datasets with the same rows in memory, in an SQLite table and in a PostgreSQL table, for tests
// that must hold for every back end.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "support/real_peers.h"

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

enum class Kind { memory, sqlite, postgres };

inline const char* KindName(Kind kind) {
    return kind == Kind::memory ? "Memory" : kind == Kind::sqlite ? "SQLite" : "PostgreSQL";
}

// The test server: the one the test scripts started (ZYL_POSTGRES_URI), or else one this process
// starts on first use and stops when it ends. Empty when none can run, with the reason in `why`.
inline const std::string& PostgresServer(std::string* why = nullptr) {
    static std::string failure;
    static const std::string uri = []() -> std::string {
        if (const char* given = std::getenv("ZYL_POSTGRES_URI"); given && *given) return given;
        static zyltest::TempDir folder;
        static const std::string cluster = folder.File("cluster");
        std::string started =
            zyltest::RunCommand(std::string(ZYL_POSTGRES_SCRIPT) + " start '" + cluster + "' 2>&1");
        while (!started.empty() && (started.back() == '\n' || started.back() == ' '))
            started.pop_back();
        if (started.rfind("postgresql://", 0) != 0) {
            failure = started.empty() ? "the server did not start" : started;
            return {};
        }
        std::atexit(
            [] { zyltest::RunCommand(std::string(ZYL_POSTGRES_SCRIPT) + " stop '" + cluster + "'"); });
        return started;
    }();
    if (why) *why = failure;
    return uri;
}

// A database of the test's own on the test server: a schema named after the test, made empty
// on first use in each test. Skips the test when no server can run.
inline std::string PostgresDatabase() {
    std::string why;
    const std::string& server = PostgresServer(&why);
    if (server.empty()) return {};
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test ? test->test_suite_name() : "t") + "_" + (test ? test->name() : "t");
    std::string schema = "t_";
    for (char ch : name)
        schema += std::isalnum(static_cast<unsigned char>(ch)) ? static_cast<char>(std::tolower(ch)) : '_';
    if (schema.size() > 50)
        schema = schema.substr(0, 40) + "_" + std::to_string(std::hash<std::string>{}(schema) % 1000000);
    static std::string prepared;
    std::string uri = server + "?options=-csearch_path%3D" + schema;
    if (prepared != schema) {
        Execute(server, "DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
        prepared = schema;
    }
    return uri;
}

// The database a test of `kind` works in: a new SQLite file, or the test's PostgreSQL schema.
inline std::string NewDatabase(Kind kind, const zyltest::TempDir& dir) {
    return kind == Kind::postgres ? PostgresDatabase() : NewDatabase(dir);
}

#define ZYL_SKIP_WITHOUT_POSTGRES(kind)                                                \
    do {                                                                               \
        std::string why_;                                                              \
        if ((kind) == dbtest::Kind::postgres && dbtest::PostgresServer(&why_).empty()) \
            GTEST_SKIP() << "no PostgreSQL server: " << why_;                          \
    } while (false)

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
    std::string path = NewDatabase(kind, dir);
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

struct FieldSpec {
    const char* name;
    vcl::TFieldType type;
    int size = 0;
};

// A dataset of the given fields and rows, in memory or as a table named "data" of a new database.
inline vcl::TDataSet* MakeDataSet(Kind kind, const zyltest::TempDir& dir,
                                  std::initializer_list<FieldSpec> fields,
                                  std::initializer_list<std::initializer_list<vcl::Variant>> rows) {
    vcl::TDataSet* data = nullptr;
    if (kind == Kind::memory) {
        auto* memory = new vcl::TMemoryDataSet(nullptr);
        for (const FieldSpec& field : fields)
            memory->FieldDefs()->Add(field.name, field.type, field.size);
        memory->CreateDataSet();
        data = memory;
    } else {
        auto* table = new vcl::TTable(nullptr);
        table->SetDatabaseName(NewDatabase(kind, dir));
        table->SetTableName("data");
        for (const FieldSpec& field : fields)
            table->FieldDefs()->Add(field.name, field.type, field.size);
        table->CreateTable();
        table->Open();
        data = table;
    }
    for (const auto& row : rows)
        data->AppendRecord(row);
    data->First();
    return data;
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
