// Registry reads (open, query, close) and writes (one value per transaction), per second. The
// reference in the same run is raw SQLite prepared statements doing the same lookups and upserts
// on the same database file, the floor the registry layer stands on.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "win32/registry.h"

namespace {

const std::string& DatabasePath() {
    static const std::string path = [] {
        char folder[] = "/tmp/zyl-registry-bench-XXXXXX";
        if (!mkdtemp(folder)) throw std::runtime_error("no temporary folder");
        std::string file = std::string(folder) + "/registry.sqlite";
        win32::testing::SetMimeTypesPath("");
        win32::testing::SetRegistryPath(file);
        win32::HKEY key = nullptr;
        win32::RegCreateKeyEx(win32::HKEY_CURRENT_USER, "Software\\Bench", 0, nullptr, 0,
                              win32::KEY_ALL_ACCESS, nullptr, &key, nullptr);
        for (win32::DWORD i = 0; i < 100; ++i) {
            std::string name = "value" + std::to_string(i);
            win32::RegSetValueEx(key, name.c_str(), 0, win32::REG_DWORD,
                                 reinterpret_cast<const win32::BYTE*>(&i), 4);
        }
        win32::RegCloseKey(key);
        return file;
    }();
    return path;
}

void RegistryRead(benchmark::State& state) {
    DatabasePath();
    win32::DWORD value = 0, size = 0;
    for (auto _ : state) {
        win32::HKEY key = nullptr;
        win32::RegOpenKeyEx(win32::HKEY_CURRENT_USER, "Software\\Bench", 0, win32::KEY_READ, &key);
        size = sizeof value;
        win32::RegQueryValueEx(key, "value42", nullptr, nullptr, reinterpret_cast<win32::BYTE*>(&value),
                               &size);
        win32::RegCloseKey(key);
        benchmark::DoNotOptimize(value);
    }
    if (value != 42) state.SkipWithError("wrong value read");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RegistryRead);

void RegistryWrite(benchmark::State& state) {
    DatabasePath();
    win32::HKEY key = nullptr;
    win32::RegOpenKeyEx(win32::HKEY_CURRENT_USER, "Software\\Bench", 0, win32::KEY_ALL_ACCESS, &key);
    win32::DWORD counter = 0;
    for (auto _ : state) {
        ++counter;
        if (win32::RegSetValueEx(key, "written", 0, win32::REG_DWORD,
                                 reinterpret_cast<const win32::BYTE*>(&counter), 4) != win32::ERROR_SUCCESS)
            state.SkipWithError("write failed");
    }
    win32::RegCloseKey(key);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RegistryWrite);

// The same work on a second connection: two key lookups and a value select per read; an upsert
// plus the key's time stamp in one transaction per write.
struct RawConnection {
    sqlite3* db = nullptr;
    sqlite3_stmt* child = nullptr;
    sqlite3_stmt* value = nullptr;
    sqlite3_stmt* upsert = nullptr;
    sqlite3_stmt* touch = nullptr;
    RawConnection() {
        sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 15000);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db, "SELECT id FROM keys WHERE parent = ?1 AND name_folded = ?2", -1, &child,
                           nullptr);
        sqlite3_prepare_v2(db, "SELECT type, data FROM key_values WHERE key = ?1 AND name_folded = ?2", -1,
                           &value, nullptr);
        sqlite3_prepare_v2(
            db,
            "INSERT INTO key_values(key, name, name_folded, type, data) VALUES(?1, ?2, ?2, 4, ?3)"
            " ON CONFLICT(key, name_folded) DO UPDATE SET type = excluded.type, data = excluded.data",
            -1, &upsert, nullptr);
        sqlite3_prepare_v2(db, "UPDATE keys SET written = ?2 WHERE id = ?1", -1, &touch, nullptr);
    }
    int64_t Child(int64_t parent, const char* name) const {
        sqlite3_bind_int64(child, 1, parent);
        sqlite3_bind_text(child, 2, name, -1, SQLITE_STATIC);
        int64_t id = sqlite3_step(child) == SQLITE_ROW ? sqlite3_column_int64(child, 0) : 0;
        sqlite3_reset(child);
        return id;
    }
};

void RawSqliteRead(benchmark::State& state) {
    RawConnection raw;
    uint32_t result = 0;
    for (auto _ : state) {
        int64_t key = raw.Child(raw.Child(2, "software"), "bench");
        sqlite3_bind_int64(raw.value, 1, key);
        sqlite3_bind_text(raw.value, 2, "value42", -1, SQLITE_STATIC);
        if (sqlite3_step(raw.value) == SQLITE_ROW && sqlite3_column_bytes(raw.value, 1) == 4)
            std::memcpy(&result, sqlite3_column_blob(raw.value, 1), 4);
        sqlite3_reset(raw.value);
        benchmark::DoNotOptimize(result);
    }
    if (result != 42) state.SkipWithError("wrong value read");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RawSqliteRead);

void RawSqliteWrite(benchmark::State& state) {
    RawConnection raw;
    int64_t key = raw.Child(raw.Child(2, "software"), "bench");
    uint32_t counter = 0;
    for (auto _ : state) {
        ++counter;
        sqlite3_exec(raw.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int64(raw.upsert, 1, key);
        sqlite3_bind_text(raw.upsert, 2, "raw", -1, SQLITE_STATIC);
        sqlite3_bind_blob(raw.upsert, 3, &counter, 4, SQLITE_STATIC);
        sqlite3_step(raw.upsert);
        sqlite3_reset(raw.upsert);
        sqlite3_bind_int64(raw.touch, 1, key);
        sqlite3_bind_int64(raw.touch, 2, counter);
        sqlite3_step(raw.touch);
        sqlite3_reset(raw.touch);
        if (sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            state.SkipWithError("commit failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RawSqliteWrite);

}  // namespace
