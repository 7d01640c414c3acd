// The registry's database and its open-key table, shared by the API, the REGEDIT4 text and tests.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "win32/registry.h"

namespace win32::registry {

// The comparison key of a name: lower case for ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic letters; every other byte is kept.
std::string FoldName(std::string_view name);

// Key name components: 1..255 bytes, no backslash, no control characters.
bool ValidKeyComponent(std::string_view name);
// Value names: up to 16383 bytes, no control characters.
bool ValidValueName(std::string_view name);
// Splits "a\b\c" into its components. Trailing backslashes are ignored ("\" alone names the key
// itself); a leading one or an empty component gives ERROR_BAD_PATHNAME, an invalid component
// ERROR_INVALID_PARAMETER.
LSTATUS SplitKeyPath(std::string_view path, std::vector<std::string_view>& parts);

// Key ids of the predefined roots are fixed: HKEY_CLASSES_ROOT is 1 ... HKEY_DYN_DATA is 7.
inline constexpr int kRootCount = 7;
inline constexpr UINT_PTR kRootHandleBase = 0x80000000;
extern const char* const kRootNames[kRootCount];
// The root index (0..6) for a predefined handle, -1 for any other.
int RootIndex(HKEY key);
inline bool IsRootId(int64_t id) {
    return id >= 1 && id <= kRootCount;
}

// A prepared statement borrowed from the cache; reset and unbound when it goes out of scope.
class Statement {
public:
    explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}
    ~Statement() {
        if (!statement_) return;
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value) {
        if (statement_) sqlite3_bind_int64(statement_, index, value);
        return *this;
    }
    Statement& BindText(int index, std::string_view text) {
        // An empty view may have no data pointer, which would bind NULL instead of ''.
        if (statement_)
            sqlite3_bind_text(statement_, index, text.empty() ? "" : text.data(),
                              static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const void* data, size_t size) {
        // A zero-length blob must not bind as NULL.
        if (statement_)
            sqlite3_bind_blob(statement_, index, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code; a statement that failed to prepare reports SQLITE_CORRUPT.
    int Step() { return statement_ ? sqlite3_step(statement_) : SQLITE_CORRUPT; }
    int64_t Int(int column) { return sqlite3_column_int64(statement_, column); }
    std::string_view Text(int column) {
        auto text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return {text ? text : "", static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
    }
    std::string_view Blob(int column) {
        auto data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return {data ? data : "", static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
    }

private:
    sqlite3_stmt* statement_;
};

struct ValueRecord {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

// One connection to the database file. Every method expects the registry lock to be held.
class Database {
public:
    // Opens (creating and seeding a new file); ERROR_BADDB for a file that is not a registry.
    static LSTATUS Open(const std::string& path, const std::string& mimeTypesPath, Database*& result);
    ~Database();

    sqlite3* Handle() const { return db_; }
    Statement Prepare(const char* sql);
    // The last statement's failure as an ERROR_ code.
    LSTATUS Failure(int code) const;

    // Write transactions take the write lock at once so that two writers queue instead of failing.
    LSTATUS Begin(bool write);
    LSTATUS Commit();
    void Rollback();

    LSTATUS KeyExists(int64_t id, bool& exists);
    // ERROR_SUCCESS for a live key, ERROR_KEY_DELETED for one that is gone.
    LSTATUS CheckAlive(int64_t id);
    // Child id in `child` (0 when absent).
    LSTATUS FindChild(int64_t parent, std::string_view name, int64_t& child);
    LSTATUS CreateChild(int64_t parent, std::string_view name, int64_t& child);
    LSTATUS CountChildren(int64_t id, int64_t& count);
    LSTATUS KeyName(int64_t id, std::string& name, int64_t& parent);
    // "HKEY_CURRENT_USER\Software\X"
    LSTATUS FullPath(int64_t id, std::string& path);
    LSTATUS ChildNames(int64_t id, std::vector<std::pair<int64_t, std::string>>& children);
    LSTATUS Values(int64_t id, std::vector<ValueRecord>& values);
    LSTATUS SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data);
    LSTATUS DeleteValue(int64_t key, std::string_view name, bool& existed);
    // The key, its values and everything below it; keepKey keeps the key itself (emptied).
    LSTATUS DeleteBranch(int64_t id, bool keepKey);
    LSTATUS Touch(int64_t id);

private:
    explicit Database(sqlite3* db) : db_(db) {}
    LSTATUS Initialise(const std::string& mimeTypesPath);
    LSTATUS CreateSchema(const std::string& mimeTypesPath);
    LSTATUS SeedMimeTypes(const std::string& path);
    LSTATUS SeedSystemValues();

    sqlite3* db_;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

// A transaction that rolls back unless committed.
class Transaction {
public:
    Transaction(Database& db, bool write) : db_(db), status_(db.Begin(write)) {}
    ~Transaction() {
        if (status_ == ERROR_SUCCESS && !done_) db_.Rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    LSTATUS Status() const { return status_; }
    LSTATUS Commit() {
        done_ = true;
        return db_.Commit();
    }

private:
    Database& db_;
    LSTATUS status_;
    bool done_ = false;
};

struct OpenKey {
    int64_t id = 0;
    REGSAM access = 0;
};

// The process-wide registry state behind one lock.
struct Session {
    std::recursive_mutex mutex;
    std::string pathOverride;
    std::string mimeTypesPath = "/etc/mime.types";
    Database* db = nullptr;
    std::unordered_map<UINT_PTR, OpenKey> keys;
    UINT_PTR nextHandle = 0x1000;

    // Opens the database on first use; a failed open is retried on the next call.
    LSTATUS Connect(Database*& result);
    void Disconnect();
    std::string Path() const;
    // Resolves a handle to its key id and rights; roots have every right.
    LSTATUS Resolve(HKEY key, OpenKey& entry) const;
    HKEY AddHandle(int64_t id, REGSAM access);
};

Session& TheSession();

// The rights a request for `desired` grants (generic rights and MAXIMUM_ALLOWED mapped).
REGSAM GrantedAccess(REGSAM desired);
// The present system time as FILETIME units.
int64_t FileTimeNow();

}  // namespace win32::registry
