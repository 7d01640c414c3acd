// The data store: where small settings live (a registry key or an ini file, and a section in it),
// what a read answers when a value is missing, and the eleven operations that read and write them.
//
// Two packages carry this code, each in its own namespace, so that neither library includes or
// links the other and both read and write the same layout. Include it only through the package's
// own header, which defines ZYL_DATASTORE_NAMESPACE as the package's name around the inclusion
// (the file has no guard of its own for that reason); the package's build compiles the matching
// source with the same definition.
//
// Storage layout. Registry: root ZylHKeys[Registry.Rootkey], key Registry.Path ('/' read as '\'),
// subkey <section>, value <key>; strings, integers and booleans are written by the framework's
// TRegIniFile (integers and booleans as decimal text). Ini file: file Inifile.Filename, section
// [<section>], entry <key>=<value>, written by TIniFile. The section is Inifile.Section in ini mode,
// otherwise Registry.Section. Scrambled strings are ordinary strings whose bytes are the plain
// bytes plus ZylScrambleOffset (mod 256).
//
// Every operation opens the backing store, acts and closes it again; nothing is cached. The
// frame: the path is normalised first (whatever the mode, Enabled or not), reads start from
// their error default, a disabled store does nothing, an empty section raises OnError, an empty
// path or file name does nothing silently.
//
// Names and values the back end cannot hold are refused, never stored changed: the operation
// raises OnError, writes nothing and reads answer their error default. That covers a NUL in any
// name, control characters in registry key and value names, and in ini mode a section holding
// ']' or a line break, a key holding '=' or a line break, starting with '[' or ';' or empty,
// and a value holding a line break or a NUL (a multi-line text, such as a memo's, is therefore
// kept only in registry mode; WriteCrypt scrambles line breaks into ordinary bytes, so its text
// may span lines in either mode). Ini values that the file would trim or unquote (leading or
// trailing blanks, one pair of surrounding quotes) are written inside a pair of double quotes,
// which the reading rules of ini files take away again: the value reads back exactly.
//
// A key path that cannot be opened (or, for the operations allowed to create it, created) is not
// replaced by the root key: reads answer their error default (ReadStr, ReadCrypt and ReadInt raise
// OnError as for a missing value), DeleteKey, Erase and ReadStrs do nothing and writes raise
// OnError. Exceptions of the framework's registry and ini classes reach the caller after the
// object was freed.
#ifndef ZYL_DATASTORE_NAMESPACE
#error "zyldatastore.h is included through a package header that names the namespace"
#endif

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "vcl/classes.h"
#include "win32/registry.h"

namespace ZYL_DATASTORE_NAMESPACE {

enum class TZylRootKey : uint8_t {
    hkeyClassesRoot,
    hkeyCurrentUser,
    hkeyLocalMachine,
    hkeyUsers,
    hkeyCurrentConfig,
    hkeyDynData,
};
VCL_ENUM_NAMES(TZylRootKey, "hkeyClassesRoot", "hkeyCurrentUser", "hkeyLocalMachine", "hkeyUsers",
               "hkeyCurrentConfig", "hkeyDynData")
using enum TZylRootKey;

enum class TZylDatatype : uint8_t { sRegistry, sIniFile };
VCL_ENUM_NAMES(TZylDatatype, "sRegistry", "sIniFile")
using enum TZylDatatype;

// The root key of each TZylRootKey, by value.
inline constexpr std::array<win32::PredefinedKey, 6> ZylHKeys = {
    win32::HKEY_CLASSES_ROOT, win32::HKEY_CURRENT_USER,   win32::HKEY_LOCAL_MACHINE,
    win32::HKEY_USERS,        win32::HKEY_CURRENT_CONFIG, win32::HKEY_DYN_DATA,
};

// Added to every byte of a scrambled string. With 11, no byte of printable ASCII (0x20-0x7E) or of
// UTF-8 text (0x80-0xBF, 0xC2-0xF4) becomes NUL, a control character, a blank or a quote, so a
// scrambled text is never cut, split, trimmed or unquoted by either back end. Shared by every data
// store, so any store reads what another wrote.
inline constexpr uint8_t ZylScrambleOffset = 11;

std::string ZylScramble(std::string_view plain);
std::string ZylUnscramble(std::string_view scrambled);

class TZylRegistry : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TZylRegistry, vcl::TPersistent)
public:
    explicit TZylRegistry(vcl::TPersistent* owner = nullptr) : owner_(owner) {}

    TZylRootKey Rootkey() const { return rootkey_; }
    void SetRootkey(TZylRootKey value) { rootkey_ = value; }
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& value) { path_ = value; }
    const std::string& Section() const { return section_; }
    void SetSection(const std::string& value) { section_ = value; }

    void Assign(const vcl::TPersistent* source) override;
    vcl::TPersistent* GetOwner() const override { return owner_; }

    static void Publish(vcl::Published<TZylRegistry>& p) {
        p.Property("Rootkey", &TZylRegistry::Rootkey, &TZylRegistry::SetRootkey, hkeyCurrentUser);
        p.Property("Path", &TZylRegistry::Path, &TZylRegistry::SetPath, std::string(kDefaultPath));
        p.Property("Section", &TZylRegistry::Section, &TZylRegistry::SetSection,
                   std::string(kDefaultSection));
    }

    static constexpr std::string_view kDefaultPath = "Software\\Company\\Product";
    static constexpr std::string_view kDefaultSection = "MySection";

private:
    vcl::TPersistent* owner_;
    TZylRootKey rootkey_ = hkeyCurrentUser;
    std::string path_{kDefaultPath};
    std::string section_{kDefaultSection};
};

class TZylIniFile : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TZylIniFile, vcl::TPersistent)
public:
    explicit TZylIniFile(vcl::TPersistent* owner = nullptr) : owner_(owner) {}

    // Passed to TIniFile as given: a name without a full path lives in the Windows directory.
    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value) { filename_ = value; }
    const std::string& Section() const { return section_; }
    void SetSection(const std::string& value) { section_ = value; }

    void Assign(const vcl::TPersistent* source) override;
    vcl::TPersistent* GetOwner() const override { return owner_; }

    static void Publish(vcl::Published<TZylIniFile>& p) {
        p.Property("Filename", &TZylIniFile::Filename, &TZylIniFile::SetFilename,
                   std::string(kDefaultFilename));
        p.Property("Section", &TZylIniFile::Section, &TZylIniFile::SetSection,
                   std::string(TZylRegistry::kDefaultSection));
    }

    static constexpr std::string_view kDefaultFilename = "MyFile.ini";

private:
    vcl::TPersistent* owner_;
    std::string filename_{kDefaultFilename};
    std::string section_{TZylRegistry::kDefaultSection};
};

class TZylDataStore : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TZylDataStore, vcl::TPersistent)
public:
    explicit TZylDataStore(vcl::TPersistent* owner = nullptr);
    ~TZylDataStore() override;

    vcl::Integer ErrorInt() const { return errorInt_; }
    void SetErrorInt(vcl::Integer value) { errorInt_ = value; }
    const std::string& ErrorStr() const { return errorStr_; }
    void SetErrorStr(const std::string& value) { errorStr_ = value; }
    bool ErrorBool() const { return errorBool_; }
    void SetErrorBool(bool value) { errorBool_ = value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    TZylDatatype Datatype() const { return datatype_; }
    void SetDatatype(TZylDatatype value) { datatype_ = value; }
    TZylRegistry* Registry() const { return registry_.get(); }
    void SetRegistry(const TZylRegistry* value) { registry_->Assign(value); }
    TZylIniFile* Inifile() const { return inifile_.get(); }
    void SetInifile(const TZylIniFile* value) { inifile_->Assign(value); }

    // Missing values (and values equal to the error default) raise OnError for ReadStr, ReadCrypt
    // and ReadInt, never for ReadBool.
    std::string ReadStr(const std::string& Key);
    std::string ReadCrypt(const std::string& Key);
    // Creates the key path when it is missing, unlike the other reads.
    vcl::Integer ReadInt(const std::string& Key);
    bool ReadBool(const std::string& Key);
    // The section's entries as name=value lines; List is left alone when the store is unusable.
    void ReadStrs(vcl::TStrings& List);
    void WriteStr(const std::string& Key, const std::string& Value);
    void WriteCrypt(const std::string& Key, const std::string& Value);
    void WriteInt(const std::string& Key, vcl::Integer Value);
    void WriteBool(const std::string& Key, bool Value);
    void DeleteKey(const std::string& Key);
    // Removes the section with all its values.
    void Erase();

    void Assign(const vcl::TPersistent* source) override;
    vcl::TPersistent* GetOwner() const override { return owner_; }

    // Sender is the data store.
    vcl::TNotifyEvent OnError;
    // Called after OnError for the component that owns this store, so that it can report the error
    // through an event of its own; not published.
    std::function<void()> ErrorRelay;

    static void Publish(vcl::Published<TZylDataStore>& p) {
        p.Property("ErrorInt", &TZylDataStore::ErrorInt, &TZylDataStore::SetErrorInt, 0);
        p.Property("ErrorStr", &TZylDataStore::ErrorStr, &TZylDataStore::SetErrorStr,
                   std::string(kDefaultErrorStr));
        p.Property("ErrorBool", &TZylDataStore::ErrorBool, &TZylDataStore::SetErrorBool, false);
        p.Event("OnError", &TZylDataStore::OnError);
        p.Property("Enabled", &TZylDataStore::Enabled, &TZylDataStore::SetEnabled, true);
        p.Property("Datatype", &TZylDataStore::Datatype, &TZylDataStore::SetDatatype, sRegistry);
        p.Property("Registry", &TZylDataStore::Registry);
        p.Property("Inifile", &TZylDataStore::Inifile);
    }

    static constexpr std::string_view kDefaultErrorStr = "Error";

private:
    // What an operation does with the names and value it is given, for the checks of the frame.
    struct Request {
        const std::string* key = nullptr;
        const std::string* value = nullptr;
        bool canCreate = false;  // may create the registry key path
        bool writes = false;     // a path that cannot be opened is an error, not a missing value
    };

    // Rewrites every '/' of Registry.Path as '\'.
    void DoFix();
    // The section of the back end in use.
    const std::string& GetSection() const;
    void RaiseError();
    enum class Outcome : uint8_t {
        skipped,      // disabled, no location, or refused (OnError already raised where due)
        pathMissing,  // the registry key path could not be opened: a read finds nothing
        done,
    };
    // Runs the frame and, when the store is usable, action(store, section) on a TIniFile or a
    // TRegIniFile opened on the key path.
    template <typename Action>
    Outcome Perform(const Request& request, Action&& action);
    bool CanHold(const std::string& section, const Request& request) const;

    vcl::TPersistent* owner_;
    vcl::Integer errorInt_ = 0;
    std::string errorStr_{kDefaultErrorStr};
    bool errorBool_ = false;
    bool enabled_ = true;
    TZylDatatype datatype_ = sRegistry;
    std::unique_ptr<TZylRegistry> registry_;
    std::unique_ptr<TZylIniFile> inifile_;
};

}  // namespace ZYL_DATASTORE_NAMESPACE
