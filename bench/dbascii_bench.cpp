// Dataset text export and import of a 1,000,000-row SQLite table, against the sqlite3 tool in the
// same run: the component's DoExport against `.mode csv` output, DoImport against `.import --csv`.
// Both sides write and read the same comma-separated layout; the import of each side runs in one
// transaction, as the tool's does.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "pellic/zyltdbascii.h"
#include "support/tempdir.h"
#include "vcl/dbtables.h"

namespace {

constexpr int kRows = 1'000'000;

// The run's files, removed at exit.
const std::string& BenchFolder() {
    static const zyltest::TempDir folder;
    static const std::string path = folder.Path().string();
    return path;
}

std::string DatabasePath() {
    return BenchFolder() + "/rows.db";
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// The table with its rows, made once for every benchmark of the run.
void MakeTable() {
    static const bool made = [] {
        Shell("sqlite3 '" + DatabasePath() +
              "' \"CREATE TABLE orders (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), CITY VARCHAR(20), "
              "AMOUNT FLOAT); CREATE TABLE target (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), "
              "CITY VARCHAR(20), AMOUNT FLOAT); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
              "FROM n WHERE i < " +
              std::to_string(kRows) +
              ") INSERT INTO orders SELECT i, 'customer ' || i, CASE i % 3 WHEN 0 THEN 'Paris' WHEN 1 "
              "THEN 'Rome, Italy' ELSE 'Oslo' END, i * 0.25 FROM n;\"");
        return true;
    }();
    (void)made;
}

struct Pipeline {
    Pipeline(const std::string& tableName) {
        table.reset(new vcl::TTable(nullptr));
        table->SetDatabaseName(DatabasePath());
        table->SetTableName(tableName);
        source.reset(new vcl::TDataSource(nullptr));
        source->SetDataSet(table.get());
        ascii.reset(new pellic::TZylDBAscii(nullptr));
        ascii->SetDataSource(source.get());
        ascii->SetDelimiter(',');
        for (const char* name : {"ID", "NAME", "CITY", "AMOUNT"}) {
            pellic::TZylADField* column = ascii->Fields()->Add();
            column->SetDataField(name);
            column->SetHeader(name);
        }
    }
    vcl::TComponentPtr<vcl::TTable> table;
    vcl::TComponentPtr<vcl::TDataSource> source;
    vcl::TComponentPtr<pellic::TZylDBAscii> ascii;
};

void BM_ExportDBAscii(benchmark::State& state) {
    MakeTable();
    Pipeline pipeline("orders");
    pipeline.ascii->SetFilename(BenchFolder() + "/component.csv");
    for (auto _ : state)
        pipeline.ascii->DoExport();
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ExportDBAscii)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ExportSqliteTool(benchmark::State& state) {
    MakeTable();
    for (auto _ : state)
        Shell("sqlite3 -csv '" + DatabasePath() + "' 'SELECT ID, NAME, CITY, AMOUNT FROM orders' > '" +
              BenchFolder() + "/tool.csv'");
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ExportSqliteTool)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_ImportDBAscii(benchmark::State& state) {
    MakeTable();
    Shell("sqlite3 -csv '" + DatabasePath() + "' 'SELECT ID, NAME, CITY, AMOUNT FROM orders' > '" +
          BenchFolder() + "/input.csv'");
    Pipeline pipeline("target");
    pipeline.ascii->SetFilename(BenchFolder() + "/input.csv");
    vcl::TComponentPtr<vcl::TDatabase> database(new vcl::TDatabase(nullptr));
    database->SetDatabaseName(DatabasePath());
    for (auto _ : state) {
        state.PauseTiming();
        database->Execute("DELETE FROM target;");
        state.ResumeTiming();
        pipeline.table->Open();
        pipeline.table->Database()->StartTransaction();
        pipeline.ascii->DoImport();
        pipeline.table->Database()->Commit();
        pipeline.table->Close();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportDBAscii)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ImportSqliteTool(benchmark::State& state) {
    MakeTable();
    Shell("sqlite3 -csv '" + DatabasePath() + "' 'SELECT ID, NAME, CITY, AMOUNT FROM orders' > '" +
          BenchFolder() + "/input.csv'");
    for (auto _ : state) {
        state.PauseTiming();
        Shell("sqlite3 '" + DatabasePath() + "' 'DELETE FROM target;'");
        state.ResumeTiming();
        Shell("sqlite3 '" + DatabasePath() + "' \".import --csv '" + BenchFolder() + "/input.csv' target\"");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportSqliteTool)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
