// TRegistry, the framework's view of one registry key at a time, and TRegIniFile, which reads
// and writes a key as if it were an initialization file.
//
// Representation: integers and booleans are REG_DWORD (booleans 0/1); floats, dates, times and
// currency are REG_BINARY holding the 8-byte value; strings REG_SZ (or REG_EXPAND_SZ).
//
// Reading: ReadString of a missing value answers ""; ReadInteger, ReadBool, ReadFloat, ReadDate,
// ReadTime, ReadDateTime and ReadCurrency of a missing value raise ERegistryException
// "Failed to get data for '%s'"; a value of another type (or size) raises "Invalid data type for
// '%s'". ReadString drops the one terminating NUL and keeps any other bytes, NULs included.
// Writing failures raise "Failed to set data for '%s'".
#pragma once

#include <string>

#include "vcl/classes.h"
#include "win32/registry.h"

namespace vcl {

VCL_DECLARE_EXCEPTION(ERegistryException, Exception)

enum class TRegDataType : uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };
VCL_ENUM_NAMES(TRegDataType, "rdUnknown", "rdString", "rdExpandString", "rdInteger", "rdBinary")
using enum TRegDataType;

struct TRegKeyInfo {
    Integer NumSubKeys = 0;
    Integer MaxSubKeyLen = 0;
    Integer NumValues = 0;
    Integer MaxValueLen = 0;
    Integer MaxDataLen = 0;
    win32::FILETIME FileTime{};
};

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    Integer DataSize = 0;
};

class TRegistry : public TObject {
    VCL_DECLARE_CLASS(TRegistry, TObject)
public:
    // Opens nothing; RootKey is HKEY_CURRENT_USER and Access KEY_ALL_ACCESS.
    TRegistry();
    explicit TRegistry(Cardinal access);
    ~TRegistry() override;

    // A key starting with '\' is a path from RootKey; any other is relative to the current key
    // (to RootKey when none is open). The current key changes only when the new one opened.
    bool OpenKey(const std::string& key, bool canCreate);
    // Opens with KEY_READ; Access is left as it was.
    bool OpenKeyReadOnly(const std::string& key);
    // Raises ERegistryException "Failed to create key %s" on failure.
    bool CreateKey(const std::string& key);
    // Deletes the key with all its subkeys, in one transaction.
    bool DeleteKey(const std::string& key);
    bool DeleteValue(const std::string& name);
    bool KeyExists(const std::string& key);
    bool ValueExists(const std::string& name);
    void CloseKey();

    bool GetDataInfo(const std::string& valueName, TRegDataInfo& value);
    // -1 for a missing value.
    Integer GetDataSize(const std::string& valueName);
    TRegDataType GetDataType(const std::string& valueName);
    bool GetKeyInfo(TRegKeyInfo& value);
    void GetKeyNames(TStrings* strings);
    void GetValueNames(TStrings* strings);
    bool HasSubKeys();

    // Copies the key with its values and subkeys to newName (created when missing), then deletes
    // the old key when deleteOld. Moving a key into its own branch raises ERegistryException.
    void MoveKey(const std::string& oldName, const std::string& newName, bool deleteOld);
    // Does nothing when oldName is missing or newName exists.
    void RenameValue(const std::string& oldName, const std::string& newName);

    std::string ReadString(const std::string& name);
    Integer ReadInteger(const std::string& name);
    bool ReadBool(const std::string& name);
    double ReadFloat(const std::string& name);
    TDateTime ReadDate(const std::string& name);
    TDateTime ReadTime(const std::string& name);
    TDateTime ReadDateTime(const std::string& name);
    Currency ReadCurrency(const std::string& name);
    // The size of the value (0 when missing); raises "Invalid data type" for a value that is not
    // binary or does not fit.
    Integer ReadBinaryData(const std::string& name, void* buffer, Integer bufSize);

    void WriteString(const std::string& name, const std::string& value);
    void WriteExpandString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, Integer value);
    void WriteBool(const std::string& name, bool value);
    void WriteFloat(const std::string& name, double value);
    void WriteDate(const std::string& name, TDateTime value);
    void WriteTime(const std::string& name, TDateTime value);
    void WriteDateTime(const std::string& name, TDateTime value);
    void WriteCurrency(const std::string& name, Currency value);
    void WriteBinaryData(const std::string& name, const void* buffer, Integer bufSize);

    win32::HKEY CurrentKey() const { return currentKey_; }
    const std::string& CurrentPath() const { return currentPath_; }
    // Without lazy writing, closing a key flushes it to disk.
    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool value) { lazyWrite_ = value; }
    win32::HKEY RootKey() const { return rootKey_; }
    // Closes the current key.
    void SetRootKey(win32::HKEY value);
    Cardinal Access() const { return access_; }
    void SetAccess(Cardinal value) { access_ = value; }

protected:
    void ChangeKey(win32::HKEY value, const std::string& path);
    win32::HKEY GetBaseKey(bool relative) const;
    // A new handle to the key (opened with Access), nullptr when it cannot be opened.
    win32::HKEY GetKey(const std::string& key);
    // Swaps the current key without closing either.
    void SetCurrentKey(win32::HKEY value) { currentKey_ = value; }
    // Raises "Failed to get data for '%s'" when the value cannot be read.
    std::string GetData(const std::string& name, TRegDataType& regData);
    void PutData(const std::string& name, const void* buffer, size_t size, win32::DWORD type);

private:
    double ReadEightBytes(const std::string& name);
    std::string AbsolutePath(const std::string& key) const;

    win32::HKEY rootKey_;
    win32::HKEY currentKey_ = nullptr;
    std::string currentPath_;
    Cardinal access_;
    bool lazyWrite_ = true;
};

// Sections are subkeys of the key named by the file name (under RootKey); values are strings.
// Reading never creates a key and answers the default when the section or value is missing.
// Integers and booleans are written as REG_SZ decimal text ("1"/"0" for booleans); reading takes
// REG_SZ text or REG_DWORD values, and text that is not a number answers the default.
class TRegIniFile : public TRegistry {
    VCL_DECLARE_CLASS(TRegIniFile, TRegistry)
public:
    explicit TRegIniFile(const std::string& fileName);
    TRegIniFile(const std::string& fileName, Cardinal access);

    const std::string& FileName() const { return fileName_; }

    using TRegistry::DeleteKey;
    using TRegistry::ReadBool;
    using TRegistry::ReadInteger;
    using TRegistry::ReadString;
    using TRegistry::WriteBool;
    using TRegistry::WriteInteger;
    using TRegistry::WriteString;

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue);
    Integer ReadInteger(const std::string& section, const std::string& ident, Integer defaultValue);
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue);
    // Create the section's key when needed.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, Integer value);
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    void ReadSection(const std::string& section, TStrings* strings);
    void ReadSections(TStrings* strings);
    // Name=value lines.
    void ReadSectionValues(const std::string& section, TStrings* strings);
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);

private:
    // Runs `action` with the section's key current; false when the section cannot be opened.
    template <typename Action>
    bool InSection(const std::string& section, Action&& action);
    bool ReadText(const std::string& section, const std::string& ident, std::string& text);

    std::string fileName_;
};

}  // namespace vcl
