// The registry (advapi32): keys and values in a per-user SQLite database, with REGEDIT4 export
// and import.
//
// Where it lives: ZYL_REGISTRY (a file path) when set, else $XDG_CONFIG_HOME/zyl/registry.sqlite,
// else ~/.config/zyl/registry.sqlite; testing::SetRegistryPath overrides both. Names are UTF-8,
// compared without case and stored as given. Every change is one transaction, so several
// processes may write at once. A file that is not a registry database is reported as ERROR_BADDB
// and never touched.
//
// Data is stored exactly as given, strings included: a REG_SZ written without its NUL reads back
// without it (RegQueryValueEx and RegEnumValue add one past the reported size when the buffer has
// room, as Win32 does, and RegQueryValue always answers a terminated string). Databases written by
// earlier versions hold their strings with a NUL that was added then; they read back with it.
//
// Choices where Win32 leaves room or differs by version:
// - RegDeleteKey refuses a key that has subkeys (ERROR_ACCESS_DENIED), as Windows NT does;
//   RegDeleteTree removes a whole branch in one transaction.
// - Key and value names may not hold control characters (ERROR_INVALID_PARAMETER); key names are
//   at most 255 bytes and value names 16383.
// - Every predefined root, HKEY_PERFORMANCE_DATA and HKEY_DYN_DATA included, is a tree of its own;
//   HKEY_CLASSES_ROOT is not merged from HKEY_LOCAL_MACHINE\Software\Classes.
// - Opening or creating a key needs no rights on the handle it is opened from (Win32 asks none
//   either); RegDeleteKey and RegDeleteTree with a subkey name need none either (they open the
//   victim themselves, as Win32 does).
//
// Deliberate differences from Win32, none of which a caller can come to harm by:
// - Keys have no class: RegCreateKeyEx ignores the one given and every query answers an empty
//   class of length 0.
// - REG_OPTION_VOLATILE is accepted and ignored: every key persists, and a non-volatile key may
//   live under a "volatile" one (Win32 answers ERROR_CHILD_MUST_BE_VOLATILE).
// - Keys carry no security descriptors; RegQueryInfoKey reports a descriptor size of 0.
// - RegSetValueEx stores exactly dataSize bytes. Win32's ANSI call also takes in a NUL that
//   follows a string whose count left it out, which means reading past the caller's buffer.
// - Sizes count the bytes stored (UTF-8). Win32 keeps strings as UTF-16, so its
//   RegQueryInfoKey maximum data length of a string value is about twice as large.
#pragma once

#include <string>
#include <string_view>

#include "win32/files.h"
#include "win32/kernel.h"
#include "win32/types.h"

namespace win32 {

// Only passed through: keys carry no security descriptors.
struct SECURITY_ATTRIBUTES;

using REGSAM = DWORD;
using LSTATUS = LONG;

// A predefined root. Constant-initialised (a handle made by a cast could not be), so that tables
// of roots in other units' static data never see it before it is set; it converts to HKEY.
struct PredefinedKey {
    UINT_PTR value;
    operator HKEY() const { return MakeHandle<HKEY>(value); }  // NOLINT(google-explicit-constructor)
};

inline constexpr PredefinedKey HKEY_CLASSES_ROOT{0x80000000};
inline constexpr PredefinedKey HKEY_CURRENT_USER{0x80000001};
inline constexpr PredefinedKey HKEY_LOCAL_MACHINE{0x80000002};
inline constexpr PredefinedKey HKEY_USERS{0x80000003};
inline constexpr PredefinedKey HKEY_PERFORMANCE_DATA{0x80000004};
inline constexpr PredefinedKey HKEY_CURRENT_CONFIG{0x80000005};
inline constexpr PredefinedKey HKEY_DYN_DATA{0x80000006};

// Access rights.
inline constexpr REGSAM DELETE = 0x00010000;
inline constexpr REGSAM READ_CONTROL = 0x00020000;
inline constexpr REGSAM WRITE_DAC = 0x00040000;
inline constexpr REGSAM WRITE_OWNER = 0x00080000;
inline constexpr REGSAM SYNCHRONIZE = 0x00100000;
inline constexpr REGSAM STANDARD_RIGHTS_READ = READ_CONTROL;
inline constexpr REGSAM STANDARD_RIGHTS_WRITE = READ_CONTROL;
inline constexpr REGSAM STANDARD_RIGHTS_EXECUTE = READ_CONTROL;
inline constexpr REGSAM STANDARD_RIGHTS_ALL = 0x001F0000;
inline constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
inline constexpr REGSAM GENERIC_READ = 0x80000000;
inline constexpr REGSAM GENERIC_WRITE = 0x40000000;
inline constexpr REGSAM GENERIC_EXECUTE = 0x20000000;
inline constexpr REGSAM GENERIC_ALL = 0x10000000;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_WOW64_RES = 0x0300;
inline constexpr REGSAM KEY_READ =
    (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE;
inline constexpr REGSAM KEY_WRITE =
    (STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE;
inline constexpr REGSAM KEY_EXECUTE = KEY_READ & ~SYNCHRONIZE;
inline constexpr REGSAM KEY_ALL_ACCESS =
    (STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |
     KEY_NOTIFY | KEY_CREATE_LINK) &
    ~SYNCHRONIZE;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_LINK = 6;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_RESOURCE_LIST = 8;
inline constexpr DWORD REG_FULL_RESOURCE_DESCRIPTOR = 9;
inline constexpr DWORD REG_RESOURCE_REQUIREMENTS_LIST = 10;
inline constexpr DWORD REG_QWORD = 11;
inline constexpr DWORD REG_QWORD_LITTLE_ENDIAN = 11;

// RegCreateKeyEx options and dispositions.
inline constexpr DWORD REG_OPTION_RESERVED = 0x0000;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0000;
inline constexpr DWORD REG_OPTION_VOLATILE = 0x0001;
inline constexpr DWORD REG_OPTION_CREATE_LINK = 0x0002;
inline constexpr DWORD REG_OPTION_BACKUP_RESTORE = 0x0004;
inline constexpr DWORD REG_OPTION_OPEN_LINK = 0x0008;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Largest value data accepted, in bytes.
inline constexpr DWORD REG_MAX_DATA_SIZE = 64u << 20;

// All calls return an ERROR_ code (and leave GetLastError alone, as advapi32 does).
//
// A bad handle leaves *result as it was; a key that cannot be found sets it to nullptr.
LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result);
// A null or empty subKey returns `key` itself, not a new handle (even a null one), as in Win32.
LSTATUS RegOpenKey(HKEY key, const char* subKey, HKEY* result);
LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options,
                       REGSAM desired, const SECURITY_ATTRIBUTES* security, HKEY* result, DWORD* disposition);
LSTATUS RegCreateKey(HKEY key, const char* subKey, HKEY* result);
// Closing a predefined root does nothing and succeeds.
LSTATUS RegCloseKey(HKEY key);

// A missing value answers ERROR_FILE_NOT_FOUND and, when only the size was asked, a size of 0.
LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize);
// The default value of a subkey as a string; a key without one answers "".
LSTATUS RegQueryValue(HKEY key, const char* subKey, char* data, LONG* dataSize);
// A null valueName sets the default value; null data with a size is ERROR_NOACCESS.
LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize);
// Sets the default value of a subkey (created when missing); type must be REG_SZ and dataSize is
// ignored, as in Win32.
LSTATUS RegSetValue(HKEY key, const char* subKey, DWORD type, const char* data, DWORD dataSize);
LSTATUS RegDeleteValue(HKEY key, const char* valueName);
// An empty subKey deletes the key itself.
LSTATUS RegDeleteKey(HKEY key, const char* subKey);
// Deletes the subkey with everything below it; a null subKey empties the key (values and subkeys).
LSTATUS RegDeleteTree(HKEY key, const char* subKey);

// Subkeys come in case-insensitive name order, values in the order they were first set.
// Name lengths count bytes and exclude the NUL.
LSTATUS RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass,
                     DWORD* classSize, FILETIME* lastWriteTime);
LSTATUS RegEnumKey(HKEY key, DWORD index, char* name, DWORD nameSize);
// RegEnumValue reports the type and data size even when it answers ERROR_MORE_DATA; a name or
// data buffer that is too small leaves both buffers and *valueNameSize untouched.
LSTATUS RegEnumValue(HKEY key, DWORD index, char* valueName, DWORD* valueNameSize, DWORD* reserved,
                     DWORD* type, BYTE* data, DWORD* dataSize);
LSTATUS RegQueryInfoKey(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                        DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                        DWORD* maxValueNameLength, DWORD* maxValueLength, DWORD* securityDescriptorSize,
                        FILETIME* lastWriteTime);
// Makes every committed change durable on disk.
LSTATUS RegFlushKey(HKEY key);

// Extensions: REGEDIT4 text of a whole branch, and its import.
//
// Export writes the key `subKey` under `key` (empty: the key itself) and everything below it,
// parents before children, CRLF line ends. Strings that hold control characters, NUL bytes or
// bytes that are not UTF-8 are written as hex(1): so that the text stays one value per line.
LSTATUS RegExportBranch(HKEY key, const char* subKey, std::string& text);
// Import applies the whole text in one transaction or nothing of it. A text that is not REGEDIT4
// or has a malformed line returns ERROR_INVALID_DATA and, when `error` is given, a message naming
// the line ("line 7: ...").
LSTATUS RegImportText(std::string_view text, std::string* error = nullptr);

namespace testing {

// Points the registry at another database file (a test's temporary one); empty restores the
// default. Open keys are closed and the connection dropped.
void SetRegistryPath(const std::string& path);
// The file new databases seed their HKEY_CLASSES_ROOT\.ext "Content Type" values from (default
// /etc/mime.types; empty disables seeding).
void SetMimeTypesPath(const std::string& path);
// The database file in use.
std::string RegistryPath();

}  // namespace testing

}  // namespace win32
