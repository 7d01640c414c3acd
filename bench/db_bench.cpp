// Datasets over a 2,000,000-row table in SQLite and in PostgreSQL, each against its raw client loop
// in the same run: opening (time, and memory added as a counter), a full forward scan reading four
// fields (rows per second), and a Locate on an indexed column. Times are wall-clock, so that a
// server's share of the work counts.
//
// PostgreSQL: the server in ZYL_POSTGRES_URI, or a private one started with scripts/postgres-server
// for the run; without either the PostgreSQL benchmarks report an error and the others run.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "vcl/dbtables.h"

namespace {

constexpr int kRows = 2'000'000;

// Resident memory of the process in bytes.
long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

std::string RunShell(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    return output;
}

const std::string& Folder() {
    static const std::string folder = [] {
        char name[] = "/tmp/zyl-db-bench-XXXXXX";
        if (!mkdtemp(name)) throw std::runtime_error("no temporary folder");
        // Removed at exit, after the server in it has stopped (handlers run in reverse order).
        static std::string made = name;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return std::string(name);
    }();
    return folder;
}

const std::string& SQLitePath() {
    static const std::string path = [] {
        std::string file = Folder() + "/bench.db";
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
        sqlite3_exec(db, "COMMIT; CREATE INDEX rows_name ON rows (name);", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return file;
    }();
    return path;
}

// The server's URI, empty when none could start.
const std::string& PostgresUri() {
    static const std::string uri = []() -> std::string {
        std::string server;
        if (const char* given = std::getenv("ZYL_POSTGRES_URI"); given && *given) {
            server = given;
        } else {
            std::string cluster = Folder() + "/cluster";
            std::string script = std::string(ZYL_BENCH_SOURCE_DIR) + "/../scripts/postgres-server";
            server = RunShell(script + " start '" + cluster + "' 2>/dev/null");
            if (server.rfind("postgresql://", 0) != 0) return {};
            static const std::string stop = script + " stop '" + cluster + "'";
            std::atexit([] { RunShell(stop); });
        }
        PGconn* connection = PQconnectdb(server.c_str());
        if (PQstatus(connection) != CONNECTION_OK) {
            PQfinish(connection);
            return {};
        }
        PGresult* made = PQexec(
            connection,
            "DROP TABLE IF EXISTS bench_rows;"
            "CREATE TABLE bench_rows (id INTEGER PRIMARY KEY, name VARCHAR(30), amount FLOAT, qty INTEGER);"
            "INSERT INTO bench_rows SELECT i + 1, 'row number ' || i, i * 0.25, i % 1000"
            " FROM generate_series(0, 1999999) AS i;"
            "CREATE INDEX bench_rows_name ON bench_rows (name); ANALYZE bench_rows;");
        bool ok = PQresultStatus(made) == PGRES_COMMAND_OK;
        PQclear(made);
        PQfinish(connection);
        return ok ? server : std::string();
    }();
    return uri;
}

std::string DatabaseFor(bool postgres) {
    return postgres ? PostgresUri() : SQLitePath();
}
const char* TableFor(bool postgres) {
    return postgres ? "bench_rows" : "rows";
}

vcl::TTable* NewTable(bool postgres) {
    auto* table = new vcl::TTable(nullptr);
    table->SetDatabaseName(DatabaseFor(postgres));
    table->SetTableName(TableFor(postgres));
    return table;
}

// One connection kept for the run, so that opening measures the table and not the connection.
vcl::TDatabase& SharedDatabase(bool postgres) {
    static vcl::TComponentPtr<vcl::TDatabase> databases[2];
    auto& database = databases[postgres ? 1 : 0];
    if (!database) {
        database.reset(new vcl::TDatabase(nullptr));
        database->SetDatabaseName(DatabaseFor(postgres));
        database->Open();
    }
    return *database;
}

bool Ready(benchmark::State& state, bool postgres) {
    if (postgres && PostgresUri().empty()) {
        state.SkipWithError("no PostgreSQL server");
        return false;
    }
    SharedDatabase(postgres);
    return true;
}

void TableOpen(benchmark::State& state) {
    bool postgres = state.range(0) != 0;
    if (!Ready(state, postgres)) return;
    vcl::TComponentPtr<vcl::TTable> table(NewTable(postgres));
    long added = 0;
    for (auto _ : state) {
        long before = ResidentBytes();
        table->Open();
        added = std::max(added, ResidentBytes() - before);
        state.PauseTiming();
        table->Close();
        state.ResumeTiming();
    }
    state.counters["added_MB"] = static_cast<double>(added) / (1024.0 * 1024.0);
}
BENCHMARK(TableOpen)->ArgName("postgres")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void TableScan(benchmark::State& state) {
    bool postgres = state.range(0) != 0;
    if (!Ready(state, postgres)) return;
    vcl::TComponentPtr<vcl::TTable> table(NewTable(postgres));
    table->Open();
    vcl::TField* id = table->FieldByName("id");
    vcl::TField* name = table->FieldByName("name");
    vcl::TField* amount = table->FieldByName("amount");
    vcl::TField* qty = table->FieldByName("qty");
    vcl::Int64 total = 0;
    for (auto _ : state) {
        int rows = 0;
        for (table->First(); !table->Eof(); table->Next()) {
            total += id->AsInteger() + qty->AsInteger() + static_cast<vcl::Int64>(amount->AsFloat());
            total += static_cast<vcl::Int64>(name->AsString().size());
            ++rows;
        }
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(TableScan)->ArgName("postgres")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void RawSQLiteStepScan(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(SQLitePath().c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
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
BENCHMARK(RawSQLiteStepScan)->Unit(benchmark::kMillisecond)->UseRealTime();

// libpq in single-row mode, as a client streams a large result: in the table's own order, and
// in the key order a dataset shows (which makes the server walk the key's index).
void RawLibpqSingleRowScan(benchmark::State& state) {
    const char* sql = state.range(0) ? "SELECT id, name, amount, qty FROM bench_rows ORDER BY id"
                                     : "SELECT id, name, amount, qty FROM bench_rows";
    if (PostgresUri().empty()) {
        state.SkipWithError("no PostgreSQL server");
        return;
    }
    PGconn* connection = PQconnectdb(PostgresUri().c_str());
    long long total = 0;
    for (auto _ : state) {
        PQsendQuery(connection, sql);
        PQsetSingleRowMode(connection);
        int rows = 0;
        while (PGresult* result = PQgetResult(connection)) {
            if (PQresultStatus(result) == PGRES_SINGLE_TUPLE) {
                total += std::atoi(PQgetvalue(result, 0, 0)) + std::atoi(PQgetvalue(result, 0, 3)) +
                         static_cast<long long>(std::strtod(PQgetvalue(result, 0, 2), nullptr));
                total += PQgetlength(result, 0, 1);
                ++rows;
            }
            PQclear(result);
        }
        if (rows != kRows) state.SkipWithError("wrong row count");
    }
    PQfinish(connection);
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(RawLibpqSingleRowScan)
    ->ArgName("ordered")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void TableLocateIndexed(benchmark::State& state) {
    bool postgres = state.range(0) != 0;
    if (!Ready(state, postgres)) return;
    vcl::TComponentPtr<vcl::TTable> table(NewTable(postgres));
    table->Open();
    int i = 0;
    for (auto _ : state) {
        int wanted = static_cast<int>((i++ * 7919LL) % kRows);
        if (!table->Locate("name", {"row number " + std::to_string(wanted)}, {}))
            state.SkipWithError("row not found");
    }
}
BENCHMARK(TableLocateIndexed)
    ->ArgName("postgres")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

}  // namespace
