// The advapi32 registry calls on top of the database.
#include <cstring>

#include "registry/store.h"

namespace win32 {

namespace {

using registry::Database;
using registry::OpenKey;
using registry::Session;
using registry::Statement;
using registry::Transaction;

struct Locked {
    Session& session = registry::TheSession();
    std::lock_guard<std::recursive_mutex> lock{session.mutex};
};

void StoreFileTime(FILETIME* time, int64_t value) {
    if (!time) return;
    time->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) & 0xFFFFFFFFu);
    time->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value) >> 32);
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The Win32 buffer protocol: no buffer asks for the size, a short buffer gets ERROR_MORE_DATA
// with the size needed. `capacity` is read before anything is stored, since callers may pass one
// variable for both the type and the size. A string stored without its terminator gets one past
// the reported size when the buffer has room for it, as Win32 does, so that C-string readers stay
// safe; the size reported is always the stored one.
LSTATUS CopyData(DWORD type, std::string_view data, BYTE* buffer, DWORD capacity, DWORD* size) {
    if (!size) return ERROR_SUCCESS;
    auto needed = static_cast<DWORD>(data.size());
    *size = needed;
    if (!buffer) return ERROR_SUCCESS;
    if (capacity < needed) return ERROR_MORE_DATA;
    if (needed) std::memcpy(buffer, data.data(), needed);
    if (IsStringType(type) && needed && data.back() != '\0' && capacity > needed) buffer[needed] = 0;
    return ERROR_SUCCESS;
}

// Names: the size counts the NUL on the way in and excludes it on the way out.
LSTATUS CopyName(std::string_view name, char* buffer, DWORD* size) {
    if (name.size() + 1 > *size) return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Keys have no class: an empty one is answered, and a buffer of no size is left untouched.
void StoreEmptyClass(char* keyClass, DWORD* classSize) {
    if (keyClass && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
}

// A null name is the empty one (the default value, or the key itself).
std::string_view NameOf(const char* name) {
    return name ? std::string_view(name) : std::string_view("");
}

// Follows existing components from `base`; ERROR_FILE_NOT_FOUND at the first missing one.
LSTATUS Walk(Database& db, int64_t base, const std::vector<std::string_view>& parts, int64_t& id) {
    id = base;
    for (auto part : parts) {
        int64_t child = 0;
        if (LSTATUS status = db.FindChild(id, part, child); status != ERROR_SUCCESS) return status;
        if (child == 0) return ERROR_FILE_NOT_FOUND;
        id = child;
    }
    return ERROR_SUCCESS;
}

// The key a handle and an optional subkey name; a handle to a deleted key gives ERROR_KEY_DELETED.
LSTATUS Locate(Session& session, HKEY key, const char* subKey, Database*& db, OpenKey& base, int64_t& id) {
    if (LSTATUS status = session.Resolve(key, base); status != ERROR_SUCCESS) return status;
    std::vector<std::string_view> parts;
    if (LSTATUS status = registry::SplitKeyPath(NameOf(subKey), parts); status != ERROR_SUCCESS)
        return status;
    if (LSTATUS status = session.Connect(db); status != ERROR_SUCCESS) return status;
    if (!registry::IsRootId(base.id))
        if (LSTATUS status = db->CheckAlive(base.id); status != ERROR_SUCCESS) return status;
    return Walk(*db, base.id, parts, id);
}

}  // namespace

LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, DWORD, REGSAM desired, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey base;
    // A bad handle leaves *result as it was; a failed lookup clears it.
    if (LSTATUS status = locked.session.Resolve(key, base); status != ERROR_SUCCESS) return status;
    *result = nullptr;
    Database* db = nullptr;
    int64_t id = 0;
    if (LSTATUS status = Locate(locked.session, key, subKey, db, base, id); status != ERROR_SUCCESS)
        return status;
    // A root opened without a name is the root itself; "\\" opens it as a handle of its own.
    if (registry::RootIndex(key) >= 0 && NameOf(subKey).empty()) {
        *result = key;
        return ERROR_SUCCESS;
    }
    *result = locked.session.AddHandle(id, registry::GrantedAccess(desired));
    return ERROR_SUCCESS;
}

// Without a subkey name the handle given is the handle returned, not a new one, as in Win32.
LSTATUS RegOpenKey(HKEY key, const char* subKey, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    if (NameOf(subKey).empty()) {
        *result = key;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyEx(key, subKey, 0, MAXIMUM_ALLOWED, result);
}

LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, DWORD, char*, DWORD options, REGSAM desired,
                       const SECURITY_ATTRIBUTES*, HKEY* result, DWORD* disposition) {
    if (!result || !subKey) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (options & ~(REG_OPTION_VOLATILE | REG_OPTION_BACKUP_RESTORE | REG_OPTION_OPEN_LINK))
        return ERROR_INVALID_PARAMETER;
    Locked locked;
    Database* db = nullptr;
    OpenKey base;
    int64_t id = 0;
    LSTATUS status = Locate(locked.session, key, subKey, db, base, id);
    bool created = false;
    // Win32 asks no rights of the parent handle: a handle opened for KEY_NOTIFY alone creates
    // subkeys too.
    if (status == ERROR_FILE_NOT_FOUND) {
        std::vector<std::string_view> parts;
        registry::SplitKeyPath(subKey, parts);
        Transaction transaction(*db, true);
        if ((status = transaction.Status()) != ERROR_SUCCESS) return status;
        if (!registry::IsRootId(base.id))
            if ((status = db->CheckAlive(base.id)) != ERROR_SUCCESS) return status;
        id = base.id;
        for (auto part : parts) {
            int64_t child = 0;
            if ((status = db->FindChild(id, part, child)) != ERROR_SUCCESS) return status;
            if (child == 0) {
                if ((status = db->CreateChild(id, part, child)) != ERROR_SUCCESS) return status;
                created = true;
            }
            id = child;
        }
        if ((status = transaction.Commit()) != ERROR_SUCCESS) return status;
    } else if (status != ERROR_SUCCESS) {
        return status;
    }
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    if (registry::RootIndex(key) >= 0 && id == base.id)
        *result = key;
    else
        *result = locked.session.AddHandle(id, registry::GrantedAccess(desired));
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKey(HKEY key, const char* subKey, HKEY* result) {
    return RegCreateKeyEx(key, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED,
                          nullptr, result, nullptr);
}

LSTATUS RegCloseKey(HKEY key) {
    if (registry::RootIndex(key) >= 0) return ERROR_SUCCESS;
    Locked locked;
    return locked.session.keys.erase(HandleValue(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize) {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    if (!(entry.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    std::string_view name = NameOf(valueName);
    Statement query = db->Prepare("SELECT type, data FROM key_values WHERE key = ?1 AND name_folded = ?2");
    query.Bind(1, entry.id).BindText(2, registry::FoldName(name));
    int rc = registry::ValidValueName(name) ? query.Step() : SQLITE_DONE;
    if (rc == SQLITE_DONE) {
        LSTATUS status = db->CheckAlive(entry.id);
        if (status != ERROR_SUCCESS) return status;
        // A size query of a missing value answers 0; a caller's buffer size is left alone.
        if (dataSize && !data) *dataSize = 0;
        return ERROR_FILE_NOT_FOUND;
    }
    if (rc != SQLITE_ROW) return db->Failure(rc);
    DWORD capacity = dataSize ? *dataSize : 0;
    auto valueType = static_cast<DWORD>(query.Int(0));
    if (type) *type = valueType;
    return CopyData(valueType, query.Blob(1), data, capacity, dataSize);
}

LSTATUS RegQueryValue(HKEY key, const char* subKey, char* data, LONG* dataSize) {
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    Locked locked;
    Database* db = nullptr;
    OpenKey base;
    int64_t id = 0;
    if (LSTATUS status = Locate(locked.session, key, subKey, db, base, id); status != ERROR_SUCCESS)
        return status;
    if (id == base.id && !(base.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Statement query = db->Prepare("SELECT type, data FROM key_values WHERE key = ?1 AND name_folded = ''");
    query.Bind(1, id);
    int rc = query.Step();
    // Always a terminated string: one stored without its NUL gets it here, counted in the size.
    std::string value;
    if (rc == SQLITE_ROW) {
        auto type = static_cast<DWORD>(query.Int(0));
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
        value = query.Blob(1);
    } else if (rc != SQLITE_DONE) {
        return db->Failure(rc);
    }
    if (value.empty() || value.back() != '\0') value += '\0';
    if (!dataSize) return ERROR_SUCCESS;
    if (*dataSize < 0) return ERROR_INVALID_PARAMETER;
    DWORD size = 0;
    LSTATUS status =
        CopyData(REG_SZ, value, reinterpret_cast<BYTE*>(data), static_cast<DWORD>(*dataSize), &size);
    *dataSize = static_cast<LONG>(size);
    return status;
}

LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
    if (!data && dataSize) return ERROR_NOACCESS;
    if (dataSize > REG_MAX_DATA_SIZE) return ERROR_INVALID_PARAMETER;
    std::string_view name = NameOf(valueName);
    if (!registry::ValidValueName(name)) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    if (!(entry.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    std::string_view value(reinterpret_cast<const char*>(data), data ? dataSize : 0);
    Transaction transaction(*db, true);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    if (!registry::IsRootId(entry.id))
        if (LSTATUS status = db->CheckAlive(entry.id); status != ERROR_SUCCESS) return status;
    if (LSTATUS status = db->SetValue(entry.id, name, type, value); status != ERROR_SUCCESS) return status;
    return transaction.Commit();
}

LSTATUS RegSetValue(HKEY key, const char* subKey, DWORD type, const char* data, DWORD) {
    if (type != REG_SZ || !data) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey base;
    if (LSTATUS status = locked.session.Resolve(key, base); status != ERROR_SUCCESS) return status;
    std::vector<std::string_view> parts;
    if (LSTATUS status = registry::SplitKeyPath(NameOf(subKey), parts); status != ERROR_SUCCESS)
        return status;
    if (parts.empty() && !(base.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    Transaction transaction(*db, true);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    if (!registry::IsRootId(base.id))
        if (LSTATUS status = db->CheckAlive(base.id); status != ERROR_SUCCESS) return status;
    int64_t id = base.id;
    for (auto part : parts) {
        int64_t child = 0;
        if (LSTATUS status = db->FindChild(id, part, child); status != ERROR_SUCCESS) return status;
        if (child == 0)
            if (LSTATUS status = db->CreateChild(id, part, child); status != ERROR_SUCCESS) return status;
        id = child;
    }
    std::string value(data);
    value += '\0';
    if (LSTATUS status = db->SetValue(id, "", REG_SZ, value); status != ERROR_SUCCESS) return status;
    return transaction.Commit();
}

LSTATUS RegDeleteValue(HKEY key, const char* valueName) {
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    if (!(entry.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    Transaction transaction(*db, true);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    bool existed = false;
    if (LSTATUS status = db->DeleteValue(entry.id, NameOf(valueName), existed); status != ERROR_SUCCESS)
        return status;
    if (!existed) {
        LSTATUS status = db->CheckAlive(entry.id);
        return status == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : status;
    }
    return transaction.Commit();
}

LSTATUS RegDeleteKey(HKEY key, const char* subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    Locked locked;
    Database* db = nullptr;
    OpenKey base;
    int64_t id = 0;
    if (LSTATUS status = Locate(locked.session, key, subKey, db, base, id); status != ERROR_SUCCESS)
        return status;
    if (registry::IsRootId(id)) return ERROR_ACCESS_DENIED;
    if (id == base.id && !(base.access & DELETE)) return ERROR_ACCESS_DENIED;
    Transaction transaction(*db, true);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    // Another process may have changed the tree between the lookup and the lock.
    if (LSTATUS status = db->CheckAlive(id); status != ERROR_SUCCESS)
        return id == base.id ? status : ERROR_FILE_NOT_FOUND;
    int64_t children = 0;
    if (LSTATUS status = db->CountChildren(id, children); status != ERROR_SUCCESS) return status;
    if (children > 0) return ERROR_ACCESS_DENIED;
    if (LSTATUS status = db->DeleteBranch(id, false); status != ERROR_SUCCESS) return status;
    return transaction.Commit();
}

LSTATUS RegDeleteTree(HKEY key, const char* subKey) {
    Locked locked;
    Database* db = nullptr;
    OpenKey base;
    int64_t id = 0;
    if (LSTATUS status = Locate(locked.session, key, subKey, db, base, id); status != ERROR_SUCCESS)
        return status;
    bool itself = id == base.id;
    if (itself && (base.access & (DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)) !=
                      (DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    Transaction transaction(*db, true);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    if (LSTATUS status = db->CheckAlive(id); status != ERROR_SUCCESS)
        return itself ? status : ERROR_FILE_NOT_FOUND;
    if (LSTATUS status = db->DeleteBranch(id, itself); status != ERROR_SUCCESS) return status;
    return transaction.Commit();
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass,
                     DWORD* classSize, FILETIME* lastWriteTime) {
    if (!name || !nameSize || reserved || (keyClass && !classSize)) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    if (!(entry.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    Statement query = db->Prepare(
        "SELECT name, written FROM keys WHERE parent = ?1 ORDER BY name_folded LIMIT 1 OFFSET ?2");
    query.Bind(1, entry.id).Bind(2, index);
    int rc = query.Step();
    if (rc == SQLITE_DONE) {
        LSTATUS status = db->CheckAlive(entry.id);
        return status == ERROR_SUCCESS ? ERROR_NO_MORE_ITEMS : status;
    }
    if (rc != SQLITE_ROW) return db->Failure(rc);
    if (LSTATUS status = CopyName(query.Text(0), name, nameSize); status != ERROR_SUCCESS) return status;
    StoreEmptyClass(keyClass, classSize);
    StoreFileTime(lastWriteTime, query.Int(1));
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKey(HKEY key, DWORD index, char* name, DWORD nameSize) {
    return RegEnumKeyEx(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
}

LSTATUS RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD* reserved,
                     DWORD* type, BYTE* data, DWORD* dataSize) {
    if (!valueName || !valueNameSize || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    if (!(entry.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    Statement query =
        db->Prepare("SELECT name, type, data FROM key_values WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
    query.Bind(1, entry.id).Bind(2, index);
    int rc = query.Step();
    if (rc == SQLITE_DONE) {
        LSTATUS status = db->CheckAlive(entry.id);
        return status == ERROR_SUCCESS ? ERROR_NO_MORE_ITEMS : status;
    }
    if (rc != SQLITE_ROW) return db->Failure(rc);
    std::string_view name = query.Text(0);
    auto valueType = static_cast<DWORD>(query.Int(1));
    std::string_view value = query.Blob(2);
    DWORD capacity = dataSize ? *dataSize : 0;
    // Type and data size are reported whatever else fits; a buffer that is too small, name or
    // data, leaves both buffers and the name count untouched.
    bool fits = name.size() < *valueNameSize && (!data || value.size() <= capacity);
    if (type) *type = valueType;
    if (!fits) {
        if (dataSize) *dataSize = static_cast<DWORD>(value.size());
        return ERROR_MORE_DATA;
    }
    CopyName(name, valueName, valueNameSize);
    return CopyData(valueType, value, data, capacity, dataSize);
}

LSTATUS RegQueryInfoKey(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                        DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                        DWORD* maxValueNameLength, DWORD* maxValueLength, DWORD* securityDescriptorSize,
                        FILETIME* lastWriteTime) {
    if (reserved || (keyClass && !classSize)) return ERROR_INVALID_PARAMETER;
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    if (!(entry.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    Transaction transaction(*db, false);
    if (LSTATUS status = transaction.Status(); status != ERROR_SUCCESS) return status;
    Statement self = db->Prepare("SELECT written FROM keys WHERE id = ?1");
    self.Bind(1, entry.id);
    int rc = self.Step();
    if (rc == SQLITE_DONE) return ERROR_KEY_DELETED;
    if (rc != SQLITE_ROW) return db->Failure(rc);
    int64_t written = self.Int(0);
    Statement keys = db->Prepare(
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM keys WHERE parent = ?1");
    keys.Bind(1, entry.id);
    if ((rc = keys.Step()) != SQLITE_ROW) return db->Failure(rc);
    Statement valueInfo = db->Prepare(
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), coalesce(max(length(data)), 0)"
        " FROM key_values WHERE key = ?1");
    valueInfo.Bind(1, entry.id);
    if ((rc = valueInfo.Step()) != SQLITE_ROW) return db->Failure(rc);
    StoreEmptyClass(keyClass, classSize);
    if (subKeys) *subKeys = static_cast<DWORD>(keys.Int(0));
    if (maxSubKeyLength) *maxSubKeyLength = static_cast<DWORD>(keys.Int(1));
    if (maxClassLength) *maxClassLength = 0;
    if (values) *values = static_cast<DWORD>(valueInfo.Int(0));
    if (maxValueNameLength) *maxValueNameLength = static_cast<DWORD>(valueInfo.Int(1));
    if (maxValueLength) *maxValueLength = static_cast<DWORD>(valueInfo.Int(2));
    if (securityDescriptorSize) *securityDescriptorSize = 0;
    StoreFileTime(lastWriteTime, written);
    return ERROR_SUCCESS;
}

LSTATUS RegFlushKey(HKEY key) {
    Locked locked;
    OpenKey entry;
    if (LSTATUS status = locked.session.Resolve(key, entry); status != ERROR_SUCCESS) return status;
    Database* db = nullptr;
    if (LSTATUS status = locked.session.Connect(db); status != ERROR_SUCCESS) return status;
    if (!registry::IsRootId(entry.id))
        if (LSTATUS status = db->CheckAlive(entry.id); status != ERROR_SUCCESS) return status;
    // A checkpoint that readers hold back still syncs the log, which makes the commits durable.
    int rc = sqlite3_wal_checkpoint_v2(db->Handle(), nullptr, SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
    return rc == SQLITE_OK || rc == SQLITE_BUSY ? ERROR_SUCCESS : db->Failure(rc);
}

}  // namespace win32
