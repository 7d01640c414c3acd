#include "registry/store.h"
#include "win32/files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace win32::registry {

namespace {

// "ZYLR": marks a file as a registry database, so that another program's database is refused.
constexpr int kApplicationId = 0x5A594C52;
constexpr int kSchemaVersion = 1;
constexpr std::uintmax_t kMimeTypesLimit = 4u << 20;

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

uint32_t LowerCodePoint(uint32_t c) {
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

bool HasControlCharacter(std::string_view name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

const char* const kRootNames[kRootCount] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

std::string FoldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x80) {
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
            ++i;
            continue;
        }
        // Only two-byte sequences hold letters we fold; everything else is copied as it is.
        if ((c & 0xE0) == 0xC0 && i + 1 < name.size() &&
            (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80) {
            uint32_t code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(name[i + 1]) & 0x3Fu);
            if (code >= 0x80) {
                AppendUtf8(out, LowerCodePoint(code));
                i += 2;
                continue;
            }
        }
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

bool ValidKeyComponent(std::string_view name) {
    return !name.empty() && name.size() <= 255 && name.find('\\') == std::string_view::npos &&
           !HasControlCharacter(name);
}

bool ValidValueName(std::string_view name) {
    return name.size() <= 16383 && !HasControlCharacter(name);
}

LSTATUS SplitKeyPath(std::string_view path, std::vector<std::string_view>& parts) {
    parts.clear();
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    if (path.empty()) return ERROR_SUCCESS;
    if (path.front() == '\\') return ERROR_BAD_PATHNAME;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part.empty()) return ERROR_BAD_PATHNAME;
        if (!ValidKeyComponent(part)) return ERROR_INVALID_PARAMETER;
        parts.push_back(part);
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

int RootIndex(HKEY key) {
    UINT_PTR value = HandleValue(key);
    if (value >= kRootHandleBase && value < kRootHandleBase + kRootCount)
        return static_cast<int>(value - kRootHandleBase);
    return -1;
}

REGSAM GrantedAccess(REGSAM desired) {
    if (desired & (MAXIMUM_ALLOWED | GENERIC_ALL)) return KEY_ALL_ACCESS;
    REGSAM granted = desired & (KEY_ALL_ACCESS | DELETE | WRITE_DAC | WRITE_OWNER);
    if (desired & GENERIC_READ) granted |= KEY_READ;
    if (desired & GENERIC_WRITE) granted |= KEY_WRITE;
    if (desired & GENERIC_EXECUTE) granted |= KEY_EXECUTE;
    return granted;
}

int64_t FileTimeNow() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    int64_t days = DaysFromCivil(now.wYear, now.wMonth, now.wDay) - DaysFromCivil(1601, 1, 1);
    int64_t ms =
        ((days * 24 + now.wHour) * 60 + now.wMinute) * 60000 + now.wSecond * 1000 + now.wMilliseconds;
    return ms * 10000;
}

// ---------------------------------------------------------------------------------------------
// Database

LSTATUS Database::Open(const std::string& path, const std::string& mimeTypesPath, Database*& result) {
    result = nullptr;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        auto folder = std::filesystem::path(path).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder, error);
    }
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &handle,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(handle);
        return rc == SQLITE_PERM ? ERROR_ACCESS_DENIED : ERROR_CANTOPEN;
    }
    sqlite3_extended_result_codes(handle, 0);
    sqlite3_busy_timeout(handle, 15000);
    auto* database = new Database(handle);
    LSTATUS status = database->Initialise(mimeTypesPath);
    if (status != ERROR_SUCCESS) {
        delete database;
        return status;
    }
    result = database;
    return ERROR_SUCCESS;
}

Database::~Database() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    sqlite3_close(db_);
}

Statement Database::Prepare(const char* sql) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) return Statement(found->second);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        // Only a damaged database makes our fixed statements fail to prepare; callers see it on Step.
        sqlite3_finalize(statement);
        return Statement(nullptr);
    }
    statements_.emplace(sql, statement);
    return Statement(statement);
}

LSTATUS Database::Failure(int code) const {
    switch (code & 0xFF) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return ERROR_SUCCESS;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return ERROR_ACCESS_DENIED;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ERROR_CANTWRITE;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case SQLITE_IOERR:
        case SQLITE_FULL:
            return ERROR_CANTWRITE;
        case SQLITE_CANTOPEN:
            return ERROR_CANTOPEN;
        case SQLITE_TOOBIG:
            return ERROR_INVALID_PARAMETER;
        default:
            return ERROR_BADDB;
    }
}

LSTATUS Database::Begin(bool write) {
    return Failure(sqlite3_exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr));
}

LSTATUS Database::Commit() {
    int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) Rollback();
    return Failure(rc);
}

void Database::Rollback() {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

LSTATUS Database::Initialise(const std::string& mimeTypesPath) {
    Transaction transaction(*this, true);
    if (transaction.Status() != ERROR_SUCCESS)
        return transaction.Status() == ERROR_CANTWRITE ? ERROR_CANTWRITE : ERROR_BADDB;
    int64_t applicationId = 0, tables = 0, version = 0;
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_,
                               "SELECT (SELECT application_id FROM pragma_application_id),"
                               " (SELECT user_version FROM pragma_user_version),"
                               " (SELECT count(*) FROM sqlite_master)",
                               -1, &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            return ERROR_BADDB;
        }
        int rc = sqlite3_step(raw);
        if (rc == SQLITE_ROW) {
            applicationId = sqlite3_column_int64(raw, 0);
            version = sqlite3_column_int64(raw, 1);
            tables = sqlite3_column_int64(raw, 2);
        }
        sqlite3_finalize(raw);
        if (rc != SQLITE_ROW) return Failure(rc) == ERROR_CANTWRITE ? ERROR_CANTWRITE : ERROR_BADDB;
    }
    if (applicationId == kApplicationId) {
        if (version != kSchemaVersion) return ERROR_BADDB;
    } else if (applicationId == 0 && tables == 0) {
        if (LSTATUS status = CreateSchema(mimeTypesPath); status != ERROR_SUCCESS) return status;
    } else {
        return ERROR_BADDB;
    }
    if (LSTATUS status = transaction.Commit(); status != ERROR_SUCCESS) return status;
    // Two processes creating the file at once may both ask for WAL; the second finds it set.
    int rc = SQLITE_BUSY;
    for (int attempt = 0; attempt < 100 && rc == SQLITE_BUSY; ++attempt)
        rc = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return Failure(rc);
    sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    return ERROR_SUCCESS;
}

LSTATUS Database::CreateSchema(const std::string& mimeTypesPath) {
    std::ostringstream sql;
    sql << "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
           " name TEXT NOT NULL, name_folded TEXT NOT NULL, written INTEGER NOT NULL DEFAULT 0);"
           "CREATE UNIQUE INDEX keys_by_parent ON keys(parent, name_folded);"
           "CREATE TABLE key_values(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name TEXT NOT NULL,"
           " name_folded TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL);"
           "CREATE UNIQUE INDEX key_values_by_key ON key_values(key, name_folded);";
    for (int i = 0; i < kRootCount; ++i)
        sql << "INSERT INTO keys(id, parent, name, name_folded) VALUES(" << i + 1 << ", 0, '" << kRootNames[i]
            << "', '" << FoldName(kRootNames[i]) << "');";
    sql << "PRAGMA application_id=" << kApplicationId << ";PRAGMA user_version=" << kSchemaVersion << ";";
    if (int rc = sqlite3_exec(db_, sql.str().c_str(), nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return Failure(rc);
    if (LSTATUS status = SeedSystemValues(); status != ERROR_SUCCESS) return status;
    return SeedMimeTypes(mimeTypesPath);
}

// The values Windows setup leaves under the machine's CurrentVersion key, taken from this machine:
// the owner is the user's full name from the passwd entry (else the login name), the system root
// the Windows directory; Linux keeps no organisation, so it is empty.
LSTATUS Database::SeedSystemValues() {
    constexpr int64_t kLocalMachine = 3;
    int64_t key = kLocalMachine;
    for (std::string_view part : {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"})
        if (LSTATUS status = CreateChild(key, part, key); status != ERROR_SUCCESS) return status;
    std::string owner;
    passwd entry{}, *found = nullptr;
    char scratch[4096];
    if (getpwuid_r(geteuid(), &entry, scratch, sizeof scratch, &found) == 0 && found) {
        if (found->pw_gecos)
            owner = std::string(found->pw_gecos).substr(0, std::string_view(found->pw_gecos).find(','));
        if (owner.empty() && found->pw_name) owner = found->pw_name;
    }
    char windows[4096] = {};
    const UINT length = GetWindowsDirectory(windows, sizeof windows);
    const std::pair<std::string_view, std::string> values[] = {
        {"RegisteredOwner", owner},
        {"RegisteredOrganization", ""},
        {"ProgramFilesDir", WindowsPath("/opt")},
        {"SystemRoot", length < sizeof windows ? std::string(windows, length) : std::string()},
    };
    for (const auto& [name, text] : values)
        if (LSTATUS status = SetValue(key, name, REG_SZ, text + '\0'); status != ERROR_SUCCESS) return status;
    return ERROR_SUCCESS;
}

LSTATUS Database::SeedMimeTypes(const std::string& path) {
    if (path.empty()) return ERROR_SUCCESS;
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size > kMimeTypesLimit) return ERROR_SUCCESS;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    const std::string valueName = "Content Type";
    while (std::getline(in, line)) {
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string type, extension;
        if (!(words >> type) || type.find('/') == std::string::npos || !ValidValueName(type)) continue;
        while (words >> extension) {
            std::string keyName = "." + extension;
            if (!ValidKeyComponent(keyName)) continue;
            int64_t key = 0;
            if (LSTATUS status = CreateChild(1, keyName, key); status != ERROR_SUCCESS) return status;
            Statement exists = Prepare("SELECT 1 FROM key_values WHERE key = ?1 AND name_folded = ?2");
            exists.Bind(1, key).BindText(2, FoldName(valueName));
            int rc = exists.Step();
            if (rc == SQLITE_ROW) continue;
            if (rc != SQLITE_DONE) return Failure(rc);
            std::string data = type + '\0';
            if (LSTATUS status = SetValue(key, valueName, REG_SZ, data); status != ERROR_SUCCESS)
                return status;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS Database::KeyExists(int64_t id, bool& exists) {
    Statement query = Prepare("SELECT 1 FROM keys WHERE id = ?1");
    query.Bind(1, id);
    int rc = query.Step();
    exists = rc == SQLITE_ROW;
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : Failure(rc);
}

LSTATUS Database::CheckAlive(int64_t id) {
    bool exists = false;
    if (LSTATUS status = KeyExists(id, exists); status != ERROR_SUCCESS) return status;
    return exists ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

LSTATUS Database::FindChild(int64_t parent, std::string_view name, int64_t& child) {
    Statement query = Prepare("SELECT id FROM keys WHERE parent = ?1 AND name_folded = ?2");
    query.Bind(1, parent).BindText(2, FoldName(name));
    int rc = query.Step();
    child = rc == SQLITE_ROW ? query.Int(0) : 0;
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? ERROR_SUCCESS : Failure(rc);
}

LSTATUS Database::CreateChild(int64_t parent, std::string_view name, int64_t& child) {
    if (LSTATUS status = FindChild(parent, name, child); status != ERROR_SUCCESS || child != 0) return status;
    Statement insert = Prepare("INSERT INTO keys(parent, name, name_folded, written) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, parent).BindText(2, name).BindText(3, FoldName(name)).Bind(4, FileTimeNow());
    int rc = insert.Step();
    if (rc != SQLITE_DONE) return Failure(rc);
    child = sqlite3_last_insert_rowid(db_);
    return Touch(parent);
}

LSTATUS Database::CountChildren(int64_t id, int64_t& count) {
    Statement query = Prepare("SELECT count(*) FROM keys WHERE parent = ?1");
    query.Bind(1, id);
    int rc = query.Step();
    count = rc == SQLITE_ROW ? query.Int(0) : 0;
    return rc == SQLITE_ROW ? ERROR_SUCCESS : Failure(rc);
}

LSTATUS Database::KeyName(int64_t id, std::string& name, int64_t& parent) {
    Statement query = Prepare("SELECT name, parent FROM keys WHERE id = ?1");
    query.Bind(1, id);
    int rc = query.Step();
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW) return Failure(rc);
    name = query.Text(0);
    parent = query.Int(1);
    return ERROR_SUCCESS;
}

LSTATUS Database::FullPath(int64_t id, std::string& path) {
    std::vector<std::string> names;
    // A chain longer than any real nesting means a damaged table, not an endless walk.
    for (int depth = 0; id != 0; ++depth) {
        if (depth > 100000) return ERROR_BADDB;
        std::string name;
        int64_t parent = 0;
        if (LSTATUS status = KeyName(id, name, parent); status != ERROR_SUCCESS) return status;
        names.push_back(std::move(name));
        id = parent;
    }
    path.clear();
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty()) path += '\\';
        path += *name;
    }
    return ERROR_SUCCESS;
}

LSTATUS Database::ChildNames(int64_t id, std::vector<std::pair<int64_t, std::string>>& children) {
    children.clear();
    Statement query = Prepare("SELECT id, name FROM keys WHERE parent = ?1 ORDER BY name_folded");
    query.Bind(1, id);
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW)
        children.emplace_back(query.Int(0), std::string(query.Text(1)));
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Failure(rc);
}

LSTATUS Database::Values(int64_t id, std::vector<ValueRecord>& values) {
    values.clear();
    Statement query = Prepare("SELECT name, type, data FROM key_values WHERE key = ?1 ORDER BY id");
    query.Bind(1, id);
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW)
        values.push_back(
            {std::string(query.Text(0)), static_cast<DWORD>(query.Int(1)), std::string(query.Blob(2))});
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Failure(rc);
}

LSTATUS Database::SetValue(int64_t key, std::string_view name, DWORD type, std::string_view data) {
    Statement upsert = Prepare(
        "INSERT INTO key_values(key, name, name_folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
        " ON CONFLICT(key, name_folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.Bind(1, key)
        .BindText(2, name)
        .BindText(3, FoldName(name))
        .Bind(4, type)
        .BindBlob(5, data.data(), data.size());
    int rc = upsert.Step();
    if (rc != SQLITE_DONE) return Failure(rc);
    return Touch(key);
}

LSTATUS Database::DeleteValue(int64_t key, std::string_view name, bool& existed) {
    Statement remove = Prepare("DELETE FROM key_values WHERE key = ?1 AND name_folded = ?2");
    remove.Bind(1, key).BindText(2, FoldName(name));
    int rc = remove.Step();
    if (rc != SQLITE_DONE) return Failure(rc);
    existed = sqlite3_changes(db_) > 0;
    return existed ? Touch(key) : ERROR_SUCCESS;
}

LSTATUS Database::DeleteBranch(int64_t id, bool keepKey) {
    Statement values = Prepare(
        "WITH RECURSIVE branch(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN branch"
        " ON keys.parent = branch.id) DELETE FROM key_values WHERE key IN branch");
    values.Bind(1, id);
    if (int rc = values.Step(); rc != SQLITE_DONE) return Failure(rc);
    Statement keys = Prepare(
        "WITH RECURSIVE branch(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN branch"
        " ON keys.parent = branch.id) DELETE FROM keys WHERE id IN branch AND (?2 = 0 OR id <> ?1)");
    keys.Bind(1, id).Bind(2, keepKey ? 1 : 0);
    if (int rc = keys.Step(); rc != SQLITE_DONE) return Failure(rc);
    return ERROR_SUCCESS;
}

LSTATUS Database::Touch(int64_t id) {
    Statement update = Prepare("UPDATE keys SET written = ?2 WHERE id = ?1");
    update.Bind(1, id).Bind(2, FileTimeNow());
    int rc = update.Step();
    return rc == SQLITE_DONE ? ERROR_SUCCESS : Failure(rc);
}

// ---------------------------------------------------------------------------------------------
// Session

LSTATUS Session::Connect(Database*& result) {
    if (!db) {
        LSTATUS status = Database::Open(Path(), mimeTypesPath, db);
        if (status != ERROR_SUCCESS) {
            result = nullptr;
            return status;
        }
    }
    result = db;
    return ERROR_SUCCESS;
}

void Session::Disconnect() {
    delete db;
    db = nullptr;
}

std::string Session::Path() const {
    if (!pathOverride.empty()) return pathOverride;
    if (const char* configured = std::getenv("ZYL_REGISTRY"); configured && *configured) return configured;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/zyl/registry.sqlite";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/zyl/registry.sqlite";
}

LSTATUS Session::Resolve(HKEY key, OpenKey& entry) const {
    if (int root = RootIndex(key); root >= 0) {
        entry = {root + 1, KEY_ALL_ACCESS | DELETE};
        return ERROR_SUCCESS;
    }
    auto found = keys.find(HandleValue(key));
    if (found == keys.end()) return ERROR_INVALID_HANDLE;
    entry = found->second;
    return ERROR_SUCCESS;
}

HKEY Session::AddHandle(int64_t id, REGSAM access) {
    // Handle values are never reused, so a stale handle cannot reach a newer key.
    UINT_PTR value = nextHandle;
    nextHandle += 4;
    if (nextHandle >= kRootHandleBase && nextHandle < kRootHandleBase + 0x100)
        nextHandle = kRootHandleBase + 0x100;
    keys.emplace(value, OpenKey{id, access});
    return MakeHandle<HKEY>(value);
}

Session& TheSession() {
    static Session* session = [] {
        auto* created = new Session;
        testing::AddResetHook([created] {
            std::lock_guard lock(created->mutex);
            created->keys.clear();
            created->Disconnect();
            created->pathOverride.clear();
            created->mimeTypesPath = "/etc/mime.types";
        });
        return created;
    }();
    return *session;
}

}  // namespace win32::registry

namespace win32::testing {

void SetRegistryPath(const std::string& path) {
    auto& session = registry::TheSession();
    std::lock_guard lock(session.mutex);
    session.keys.clear();
    session.Disconnect();
    session.pathOverride = path;
}

void SetMimeTypesPath(const std::string& path) {
    auto& session = registry::TheSession();
    std::lock_guard lock(session.mutex);
    session.mimeTypesPath = path;
}

std::string RegistryPath() {
    auto& session = registry::TheSession();
    std::lock_guard lock(session.mutex);
    return session.Path();
}

}  // namespace win32::testing
