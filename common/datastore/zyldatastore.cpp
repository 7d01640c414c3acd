#include "common/datastore/zyldatastore.h"

#include <string_view>
#include <type_traits>

#include "vcl/inifiles.h"
#include "vcl/registry.h"

namespace ZYL_DATASTORE_NAMESPACE {

namespace {

bool HasByte(std::string_view text, std::string_view bytes) {
    return text.find_first_of(bytes) != std::string_view::npos;
}

bool HasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

bool HasLineBreak(std::string_view text) {
    return HasByte(text, "\r\n");
}

// The registry refuses control characters in key and value names.
bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F) return true;
    }
    return false;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IniCanHoldSection(std::string_view section) {
    return !HasNul(section) && !HasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool IniCanHoldKey(std::string_view key) {
    const std::string_view trimmed = TrimBlanks(key);
    return !HasNul(key) && !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           !trimmed.empty() && trimmed.front() != '[' && trimmed.front() != ';';
}

// An ini file trims the blanks around a value and takes away one pair of surrounding quotes;
// quoting such a value once more makes it read back exactly.
std::string IniValue(const std::string& value) {
    if (value.empty()) return value;
    const char first = value.front(), last = value.back();
    const bool trimmed = IsBlank(first) || IsBlank(last);
    const bool unquoted = value.size() >= 2 && (first == '"' || first == '\'') && last == first;
    return trimmed || unquoted ? '"' + value + '"' : value;
}

}  // namespace

std::string ZylScramble(std::string_view plain) {
    std::string scrambled(plain);
    for (char& c : scrambled)
        c = static_cast<char>(static_cast<uint8_t>(static_cast<unsigned char>(c) + ZylScrambleOffset));
    return scrambled;
}

std::string ZylUnscramble(std::string_view scrambled) {
    std::string plain(scrambled);
    for (char& c : plain)
        c = static_cast<char>(static_cast<uint8_t>(static_cast<unsigned char>(c) - ZylScrambleOffset));
    return plain;
}

// ---------------------------------------------------------------------------------------------
// Locations

VCL_DEFINE_CLASS(TZylRegistry, vcl::TPersistent)

void TZylRegistry::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylRegistry*>(source)) {
        rootkey_ = other->rootkey_;
        path_ = other->path_;
        section_ = other->section_;
        return;
    }
    vcl::TPersistent::Assign(source);
}

VCL_DEFINE_CLASS(TZylIniFile, vcl::TPersistent)

void TZylIniFile::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylIniFile*>(source)) {
        filename_ = other->filename_;
        section_ = other->section_;
        return;
    }
    vcl::TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TZylDataStore

VCL_DEFINE_CLASS(TZylDataStore, vcl::TPersistent)

TZylDataStore::TZylDataStore(vcl::TPersistent* owner)
    : owner_(owner),
      registry_(std::make_unique<TZylRegistry>(this)),
      inifile_(std::make_unique<TZylIniFile>(this)) {}

TZylDataStore::~TZylDataStore() = default;

void TZylDataStore::Assign(const vcl::TPersistent* source) {
    if (auto* other = dynamic_cast<const TZylDataStore*>(source)) {
        errorInt_ = other->errorInt_;
        errorStr_ = other->errorStr_;
        errorBool_ = other->errorBool_;
        enabled_ = other->enabled_;
        datatype_ = other->datatype_;
        registry_->Assign(other->registry_.get());
        inifile_->Assign(other->inifile_.get());
        return;
    }
    vcl::TPersistent::Assign(source);
}

void TZylDataStore::DoFix() {
    std::string path = registry_->Path();
    bool changed = false;
    for (char& c : path)
        if (c == '/') {
            c = '\\';
            changed = true;
        }
    if (changed) registry_->SetPath(path);
}

const std::string& TZylDataStore::GetSection() const {
    return datatype_ == sIniFile ? inifile_->Section() : registry_->Section();
}

void TZylDataStore::RaiseError() {
    if (OnError) OnError(this);
    if (ErrorRelay) ErrorRelay();
}

bool TZylDataStore::CanHold(const std::string& section, const Request& request) const {
    if (HasNul(section) || (request.key && HasNul(*request.key))) return false;
    if (datatype_ == sIniFile)
        return IniCanHoldSection(section) && (!request.key || IniCanHoldKey(*request.key)) &&
               (!request.value || (!HasNul(*request.value) && !HasLineBreak(*request.value)));
    return !HasControlCharacter(registry_->Path()) && !HasControlCharacter(section) &&
           (!request.key || !HasControlCharacter(*request.key));
}

template <typename Action>
TZylDataStore::Outcome TZylDataStore::Perform(const Request& request, Action&& action) {
    DoFix();
    if (!enabled_) return Outcome::skipped;
    const std::string section = GetSection();
    if (section.empty()) {
        RaiseError();
        return Outcome::skipped;
    }
    if (datatype_ == sIniFile) {
        const std::string fileName = inifile_->Filename();
        if (fileName.empty()) return Outcome::skipped;
        if (!CanHold(section, request)) {
            RaiseError();
            return Outcome::skipped;
        }
        vcl::TIniFile ini(fileName);
        action(ini, section);
        return Outcome::done;
    }
    const std::string path = registry_->Path();
    if (path.empty()) return Outcome::skipped;
    if (!CanHold(section, request)) {
        RaiseError();
        return Outcome::skipped;
    }
    // Built on no path, then opened: its constructor would create the path under HKEY_CURRENT_USER.
    vcl::TRegIniFile registry("");
    registry.CloseKey();
    registry.SetRootKey(ZylHKeys[static_cast<size_t>(registry_->Rootkey())]);
    if (!registry.OpenKey(path, request.canCreate)) {
        // Never fall back to the root key, which the framework class would act on instead.
        if (request.writes) {
            RaiseError();
            return Outcome::skipped;
        }
        return Outcome::pathMissing;
    }
    action(registry, section);
    return Outcome::done;
}

std::string TZylDataStore::ReadStr(const std::string& Key) {
    std::string result = errorStr_;
    const Outcome outcome = Perform({.key = &Key}, [&](auto& store, const std::string& section) {
        result = store.ReadString(section, Key, errorStr_);
    });
    if (outcome != Outcome::skipped && result == errorStr_) RaiseError();
    return result;
}

std::string TZylDataStore::ReadCrypt(const std::string& Key) {
    std::string result = errorStr_;
    const Outcome outcome = Perform({.key = &Key}, [&](auto& store, const std::string& section) {
        result = store.ReadString(section, Key, errorStr_);
    });
    if (outcome == Outcome::skipped) return errorStr_;
    if (result == errorStr_) {
        RaiseError();
        return errorStr_;
    }
    return ZylUnscramble(result);
}

vcl::Integer TZylDataStore::ReadInt(const std::string& Key) {
    vcl::Integer result = errorInt_;
    const Outcome outcome =
        Perform({.key = &Key, .canCreate = true}, [&](auto& store, const std::string& section) {
            result = store.ReadInteger(section, Key, errorInt_);
        });
    if (outcome != Outcome::skipped && result == errorInt_) RaiseError();
    return result;
}

bool TZylDataStore::ReadBool(const std::string& Key) {
    bool result = errorBool_;
    Perform({.key = &Key}, [&](auto& store, const std::string& section) {
        result = store.ReadBool(section, Key, errorBool_);
    });
    return result;
}

void TZylDataStore::ReadStrs(vcl::TStrings& List) {
    Perform({}, [&](auto& store, const std::string& section) { store.ReadSectionValues(section, &List); });
}

void TZylDataStore::WriteStr(const std::string& Key, const std::string& Value) {
    Perform({.key = &Key, .value = &Value, .canCreate = true, .writes = true},
            [&](auto& store, const std::string& section) {
                if constexpr (std::is_same_v<std::decay_t<decltype(store)>, vcl::TIniFile>)
                    store.WriteString(section, Key, IniValue(Value));
                else
                    store.WriteString(section, Key, Value);
            });
}

void TZylDataStore::WriteCrypt(const std::string& Key, const std::string& Value) {
    const std::string scrambled = ZylScramble(Value);
    Perform({.key = &Key, .value = &scrambled, .canCreate = true, .writes = true},
            [&](auto& store, const std::string& section) {
                if constexpr (std::is_same_v<std::decay_t<decltype(store)>, vcl::TIniFile>)
                    store.WriteString(section, Key, IniValue(scrambled));
                else
                    store.WriteString(section, Key, scrambled);
            });
}

void TZylDataStore::WriteInt(const std::string& Key, vcl::Integer Value) {
    Perform({.key = &Key, .canCreate = true, .writes = true},
            [&](auto& store, const std::string& section) { store.WriteInteger(section, Key, Value); });
}

void TZylDataStore::WriteBool(const std::string& Key, bool Value) {
    Perform({.key = &Key, .canCreate = true, .writes = true},
            [&](auto& store, const std::string& section) { store.WriteBool(section, Key, Value); });
}

void TZylDataStore::DeleteKey(const std::string& Key) {
    Perform({.key = &Key}, [&](auto& store, const std::string& section) { store.DeleteKey(section, Key); });
}

void TZylDataStore::Erase() {
    Perform({}, [&](auto& store, const std::string& section) { store.EraseSection(section); });
}

}  // namespace ZYL_DATASTORE_NAMESPACE
