// A full scan of a 100,000-row SQLite table through TTable (open, First/Next, reading every field)
// against a plain sqlite3_step loop over the same query, in rows per second.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "vcl/dbtables.h"

namespace {

constexpr int kRows = 100000;

const std::string& DatabasePath() {
    static const std::string path = [] {
        char folder[] = "/tmp/zyl-db-bench-XXXXXX";
        if (!mkdtemp(folder)) throw std::runtime_error("no temporary folder");
        std::string file = std::string(folder) + "/bench.db";
        sqlite3* db = nullptr;
        if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create database");
        sqlite3_exec(
            db,
            "CREATE TABLE rows (id INTEGER PRIMARY KEY, name VARCHAR(30), amount FLOAT, qty INTEGER);"
            "BEGIN;",
            nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO rows (name, amount, qty) VALUES (?, ?, ?)", -1, &insert, nullptr);
        for (int i = 0; i < kRows; ++i) {
            std::string name = "row number " + std::to_string(i);
            sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 2, i * 0.25);
            sqlite3_bind_int(insert, 3, i % 1000);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return file;
    }();
    return path;
}

void TableScan(benchmark::State& state) {
    vcl::TComponentPtr<vcl::TTable> table(new vcl::TTable(nullptr));
    table->SetDatabaseName(DatabasePath());
    table->SetTableName("rows");
    vcl::Int64 total = 0;
    for (auto _ : state) {
        table->Open();
        vcl::TField* id = table->FieldByName("id");
        vcl::TField* name = table->FieldByName("name");
        vcl::TField* amount = table->FieldByName("amount");
        vcl::TField* qty = table->FieldByName("qty");
        int rows = 0;
        for (table->First(); !table->Eof(); table->Next()) {
            total += id->AsInteger() + qty->AsInteger() + static_cast<vcl::Int64>(amount->AsFloat());
            total += static_cast<vcl::Int64>(name->AsString().size());
            ++rows;
        }
        table->Close();
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(TableScan)->Unit(benchmark::kMillisecond);

void RawStepScan(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    long long total = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid, id, name, amount, qty FROM rows", -1, &stmt, nullptr);
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            total += sqlite3_column_int(stmt, 1) + sqlite3_column_int(stmt, 4) +
                     static_cast<long long>(sqlite3_column_double(stmt, 3));
            auto* text = sqlite3_column_text(stmt, 2);
            total += text ? sqlite3_column_bytes(stmt, 2) : 0;
            ++rows;
        }
        sqlite3_finalize(stmt);
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    sqlite3_close(db);
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(RawStepScan)->Unit(benchmark::kMillisecond);

}  // namespace
