#include "vcl/registry.h"

#include <cstring>
#include <vector>

namespace vcl {

namespace {

using namespace win32;

bool IsRelative(const std::string& key) {
    return key.empty() || key.front() != '\\';
}

std::string WithoutLeadingBackslash(const std::string& key) {
    return IsRelative(key) ? key : key.substr(1);
}

TRegDataType DataTypeOf(DWORD type) {
    switch (type) {
        case REG_SZ:
            return rdString;
        case REG_EXPAND_SZ:
            return rdExpandString;
        case REG_DWORD:
            return rdInteger;
        case REG_BINARY:
            return rdBinary;
        default:
            return rdUnknown;
    }
}

[[noreturn]] void ReadError(const std::string& name) {
    throw ERegistryException(Format("Invalid data type for '%s'", {name}));
}

std::string JoinPath(const std::string& base, const std::string& key) {
    if (base.empty()) return key;
    if (key.empty()) return base;
    return base + "\\" + key;
}

std::string FoldedPath(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return AnsiLowerCase(path);
}

// Copies every value and subkey of `source` into `target`.
void CopyBranch(HKEY source, HKEY target) {
    std::vector<std::string> names;
    char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        DWORD type = 0, dataSize = 0;
        LSTATUS status = RegEnumValue(source, index, name, &nameSize, nullptr, &type, nullptr, &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) throw ERegistryException(Format("Failed to get data for '%s'", {""}));
        std::string data(dataSize, '\0');
        status =
            RegQueryValueEx(source, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (status != ERROR_SUCCESS) throw ERegistryException(Format("Failed to get data for '%s'", {name}));
        if (RegSetValueEx(target, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), dataSize) !=
            ERROR_SUCCESS)
            throw ERegistryException(Format("Failed to set data for '%s'", {name}));
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        LSTATUS status = RegEnumKeyEx(source, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) throw ERegistryException(Format("Failed to get data for '%s'", {""}));
        names.emplace_back(name, nameSize);
    }
    for (const auto& child : names) {
        HKEY from = nullptr, to = nullptr;
        if (RegOpenKeyEx(source, child.c_str(), 0, KEY_READ, &from) != ERROR_SUCCESS) continue;
        if (RegCreateKeyEx(target, child.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                           nullptr, &to, nullptr) != ERROR_SUCCESS) {
            RegCloseKey(from);
            throw ERegistryException(Format("Failed to create key %s", {child}));
        }
        const ScopeExit close([from, to] {
            RegCloseKey(from);
            RegCloseKey(to);
        });
        CopyBranch(from, to);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TRegistry

VCL_DEFINE_CLASS(TRegistry, TObject)

TRegistry::TRegistry() : TRegistry(KEY_ALL_ACCESS) {}

TRegistry::TRegistry(Cardinal access) : rootKey_(HKEY_CURRENT_USER), access_(access) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::CloseKey() {
    if (!currentKey_) return;
    if (!lazyWrite_) RegFlushKey(currentKey_);
    RegCloseKey(currentKey_);
    currentKey_ = nullptr;
    currentPath_.clear();
}

void TRegistry::SetRootKey(HKEY value) {
    if (value == rootKey_) return;
    rootKey_ = value;
    CloseKey();
}

void TRegistry::ChangeKey(HKEY value, const std::string& path) {
    CloseKey();
    currentKey_ = value;
    currentPath_ = path;
}

HKEY TRegistry::GetBaseKey(bool relative) const {
    return !currentKey_ || !relative ? rootKey_ : currentKey_;
}

HKEY TRegistry::GetKey(const std::string& key) {
    HKEY result = nullptr;
    if (RegOpenKeyEx(GetBaseKey(IsRelative(key)), WithoutLeadingBackslash(key).c_str(), 0, access_,
                     &result) != ERROR_SUCCESS)
        return nullptr;
    return result;
}

std::string TRegistry::AbsolutePath(const std::string& key) const {
    return IsRelative(key) && currentKey_ ? JoinPath(currentPath_, key) : WithoutLeadingBackslash(key);
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    bool relative = IsRelative(key);
    std::string path = WithoutLeadingBackslash(key);
    HKEY opened = nullptr;
    LSTATUS status;
    if (!canCreate || path.empty())
        status = RegOpenKeyEx(GetBaseKey(relative), path.c_str(), 0, access_, &opened);
    else
        status = RegCreateKeyEx(GetBaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                access_, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return false;
    std::string newPath = relative && currentKey_ ? JoinPath(currentPath_, path) : path;
    while (!newPath.empty() && newPath.back() == '\\')
        newPath.pop_back();
    ChangeKey(opened, newPath);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    const ScopedValue readOnly(access_, KEY_READ);
    return OpenKey(key, false);
}

bool TRegistry::CreateKey(const std::string& key) {
    bool relative = IsRelative(key);
    std::string path = WithoutLeadingBackslash(key);
    HKEY created = nullptr;
    if (RegCreateKeyEx(GetBaseKey(relative), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                       KEY_ALL_ACCESS, nullptr, &created, nullptr) != ERROR_SUCCESS)
        throw ERegistryException(Format("Failed to create key %s", {key}));
    RegCloseKey(created);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    std::string path = WithoutLeadingBackslash(key);
    // An empty name would be the base key itself, which this call never deletes.
    if (path.empty()) return false;
    return RegDeleteTree(GetBaseKey(IsRelative(key)), path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& name) {
    return RegDeleteValue(currentKey_, name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& key) {
    HKEY found = nullptr;
    {
        const ScopedValue query(access_, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS |
                                             (access_ & KEY_WOW64_RES));
        found = GetKey(key);
    }
    if (found) RegCloseKey(found);
    return found != nullptr;
}

bool TRegistry::ValueExists(const std::string& name) {
    TRegDataInfo info;
    return GetDataInfo(name, info);
}

bool TRegistry::GetDataInfo(const std::string& valueName, TRegDataInfo& value) {
    DWORD type = 0, size = 0;
    value = TRegDataInfo{};
    if (valueName.find('\0') != std::string::npos) return false;
    if (RegQueryValueEx(currentKey_, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    value.RegData = DataTypeOf(type);
    value.DataSize = static_cast<Integer>(size);
    return true;
}

Integer TRegistry::GetDataSize(const std::string& valueName) {
    TRegDataInfo info;
    return GetDataInfo(valueName, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const std::string& valueName) {
    TRegDataInfo info;
    return GetDataInfo(valueName, info) ? info.RegData : rdUnknown;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& value) {
    value = TRegKeyInfo{};
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
    if (RegQueryInfoKey(currentKey_, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values,
                        &maxValueName, &maxData, nullptr, &value.FileTime) != ERROR_SUCCESS)
        return false;
    value.NumSubKeys = static_cast<Integer>(subKeys);
    value.MaxSubKeyLen = static_cast<Integer>(maxSubKey);
    value.NumValues = static_cast<Integer>(values);
    value.MaxValueLen = static_cast<Integer>(maxValueName);
    value.MaxDataLen = static_cast<Integer>(maxData);
    return true;
}

void TRegistry::GetKeyNames(TStrings* strings) {
    strings->Clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info)) return;
    std::string name(static_cast<size_t>(info.MaxSubKeyLen) + 1, '\0');
    for (DWORD index = 0;; ++index) {
        auto size = static_cast<DWORD>(name.size());
        LSTATUS status =
            RegEnumKeyEx(currentKey_, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            // Another writer added a longer name meanwhile.
            name.resize(256);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        strings->Add(name.substr(0, size));
    }
}

void TRegistry::GetValueNames(TStrings* strings) {
    strings->Clear();
    TRegKeyInfo info;
    if (!GetKeyInfo(info)) return;
    std::string name(static_cast<size_t>(info.MaxValueLen) + 1, '\0');
    for (DWORD index = 0;; ++index) {
        auto size = static_cast<DWORD>(name.size());
        LSTATUS status =
            RegEnumValue(currentKey_, index, name.data(), &size, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && name.size() < 16384) {
            name.resize(16384);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        strings->Add(name.substr(0, size));
    }
}

bool TRegistry::HasSubKeys() {
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::MoveKey(const std::string& oldName, const std::string& newName, bool deleteOld) {
    if (!KeyExists(oldName)) return;
    std::string from = FoldedPath(AbsolutePath(oldName)), to = FoldedPath(AbsolutePath(newName));
    if (to == from || to.compare(0, from.size() + 1, from + "\\") == 0)
        throw ERegistryException(Format("Failed to create key %s", {newName}));
    HKEY source = GetKey(oldName);
    if (!source) return;
    {
        HKEY target = nullptr;
        const ScopeExit close([&] {
            RegCloseKey(source);
            if (target) RegCloseKey(target);
        });
        CreateKey(newName);
        target = GetKey(newName);
        if (!target) throw ERegistryException(Format("Failed to create key %s", {newName}));
        CopyBranch(source, target);
    }
    if (deleteOld) DeleteKey(oldName);
}

void TRegistry::RenameValue(const std::string& oldName, const std::string& newName) {
    if (!ValueExists(oldName) || ValueExists(newName)) return;
    DWORD type = 0, size = 0;
    if (RegQueryValueEx(currentKey_, oldName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return;
    std::string data(size, '\0');
    if (RegQueryValueEx(currentKey_, oldName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                        &size) != ERROR_SUCCESS)
        throw ERegistryException(Format("Failed to get data for '%s'", {oldName}));
    PutData(newName, data.data(), size, type);
    RegDeleteValue(currentKey_, oldName.c_str());
}

std::string TRegistry::GetData(const std::string& name, TRegDataType& regData) {
    if (name.find('\0') == std::string::npos) {
        // Another writer may grow the value between the two calls; a few attempts settle it.
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD type = 0, size = 0;
            if (RegQueryValueEx(currentKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
                break;
            std::string data(size, '\0');
            LSTATUS status = RegQueryValueEx(currentKey_, name.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &size);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS) break;
            data.resize(size);
            regData = DataTypeOf(type);
            return data;
        }
    }
    throw ERegistryException(Format("Failed to get data for '%s'", {name}));
}

void TRegistry::PutData(const std::string& name, const void* buffer, size_t size, DWORD type) {
    if (name.find('\0') != std::string::npos || size > REG_MAX_DATA_SIZE ||
        RegSetValueEx(currentKey_, name.c_str(), 0, type, static_cast<const BYTE*>(buffer),
                      static_cast<DWORD>(size)) != ERROR_SUCCESS)
        throw ERegistryException(Format("Failed to set data for '%s'", {name}));
}

std::string TRegistry::ReadString(const std::string& name) {
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) return {};
    TRegDataType type = rdUnknown;
    std::string data = GetData(name, type);
    if (type != rdString && type != rdExpandString) ReadError(name);
    if (!data.empty() && data.back() == '\0') data.pop_back();
    return data;
}

Integer TRegistry::ReadInteger(const std::string& name) {
    TRegDataType type = rdUnknown;
    std::string data = GetData(name, type);
    if (type != rdInteger || data.size() != sizeof(Integer)) ReadError(name);
    Integer value;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

bool TRegistry::ReadBool(const std::string& name) {
    return ReadInteger(name) != 0;
}

double TRegistry::ReadEightBytes(const std::string& name) {
    TRegDataType type = rdUnknown;
    std::string data = GetData(name, type);
    if (type != rdBinary || data.size() != sizeof(double)) ReadError(name);
    double value;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

double TRegistry::ReadFloat(const std::string& name) {
    return ReadEightBytes(name);
}
TDateTime TRegistry::ReadDate(const std::string& name) {
    return ReadEightBytes(name);
}
TDateTime TRegistry::ReadTime(const std::string& name) {
    return ReadEightBytes(name);
}
TDateTime TRegistry::ReadDateTime(const std::string& name) {
    return ReadEightBytes(name);
}

Currency TRegistry::ReadCurrency(const std::string& name) {
    TRegDataType type = rdUnknown;
    std::string data = GetData(name, type);
    if (type != rdBinary || data.size() != sizeof(Int64)) ReadError(name);
    Int64 raw;
    std::memcpy(&raw, data.data(), sizeof raw);
    return Currency::FromRaw(raw);
}

Integer TRegistry::ReadBinaryData(const std::string& name, void* buffer, Integer bufSize) {
    TRegDataInfo info;
    if (!GetDataInfo(name, info)) return 0;
    if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > bufSize) ReadError(name);
    TRegDataType type = rdUnknown;
    std::string data = GetData(name, type);
    if (data.size() > static_cast<size_t>(bufSize)) ReadError(name);
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    return static_cast<Integer>(data.size());
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    std::string data = value + '\0';
    PutData(name, data.data(), data.size(), REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    std::string data = value + '\0';
    PutData(name, data.data(), data.size(), REG_EXPAND_SZ);
}

void TRegistry::WriteInteger(const std::string& name, Integer value) {
    PutData(name, &value, sizeof value, REG_DWORD);
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteFloat(const std::string& name, double value) {
    PutData(name, &value, sizeof value, REG_BINARY);
}
void TRegistry::WriteDate(const std::string& name, TDateTime value) {
    WriteFloat(name, value);
}
void TRegistry::WriteTime(const std::string& name, TDateTime value) {
    WriteFloat(name, value);
}
void TRegistry::WriteDateTime(const std::string& name, TDateTime value) {
    WriteFloat(name, value);
}

void TRegistry::WriteCurrency(const std::string& name, Currency value) {
    PutData(name, &value.raw, sizeof value.raw, REG_BINARY);
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, Integer bufSize) {
    if (bufSize < 0) throw ERegistryException(Format("Failed to set data for '%s'", {name}));
    PutData(name, buffer, static_cast<size_t>(bufSize), REG_BINARY);
}

// ---------------------------------------------------------------------------------------------
// TRegIniFile

VCL_DEFINE_CLASS(TRegIniFile, TRegistry)

TRegIniFile::TRegIniFile(const std::string& fileName) : TRegIniFile(fileName, KEY_ALL_ACCESS) {}

TRegIniFile::TRegIniFile(const std::string& fileName, Cardinal access)
    : TRegistry(access), fileName_(fileName) {
    OpenKey(fileName, true);
}

template <typename Action>
bool TRegIniFile::InSection(const std::string& section, Action&& action) {
    HKEY key = GetKey(section);
    if (!key) return false;
    HKEY old = CurrentKey();
    SetCurrentKey(key);
    const ScopeExit leave([this, old, key] {
        SetCurrentKey(old);
        RegCloseKey(key);
    });
    action();
    return true;
}

bool TRegIniFile::ReadText(const std::string& section, const std::string& ident, std::string& text) {
    bool found = false;
    InSection(section, [&] {
        TRegDataInfo info;
        if (!GetDataInfo(ident, info)) return;
        if (info.RegData == rdInteger && info.DataSize == sizeof(Integer))
            text = IntToStr(TRegistry::ReadInteger(ident));
        else
            text = TRegistry::ReadString(ident);
        found = true;
    });
    return found;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) {
    std::string text;
    return ReadText(section, ident, text) ? text : defaultValue;
}

Integer TRegIniFile::ReadInteger(const std::string& section, const std::string& ident, Integer defaultValue) {
    std::string text;
    if (!ReadText(section, ident, text)) return defaultValue;
    return StrToIntDef(Trim(text), defaultValue);
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident,
                              const std::string& value) {
    if (!section.empty()) CreateKey(section);
    if (!InSection(section, [&] { TRegistry::WriteString(ident, value); }))
        throw ERegistryException(Format("Failed to set data for '%s'", {ident}));
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident, Integer value) {
    WriteString(section, ident, IntToStr(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const std::string& section, TStrings* strings) {
    strings->Clear();
    InSection(section, [&] { GetValueNames(strings); });
}

void TRegIniFile::ReadSections(TStrings* strings) {
    GetKeyNames(strings);
}

void TRegIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
    strings->Clear();
    TStringList names;
    ReadSection(section, &names);
    for (int i = 0; i < names.Count(); ++i)
        strings->Add(names.Strings(i) + "=" + ReadString(section, names.Strings(i), ""));
}

void TRegIniFile::EraseSection(const std::string& section) {
    TRegistry::DeleteKey(section);
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    InSection(section, [&] { DeleteValue(ident); });
}

}  // namespace vcl
