// Initialization files: TCustomIniFile, the typed reading and writing every ini class shares,
// and TIniFile, which works on a real file through the platform's profile functions (so it follows
// their rules: names without case, values trimmed and unquoted, comments kept, atomic rewrites).
//
// TIniFile raises EIniFileException "Unable to write to <file>" when a write fails; when the
// failure is a refused name or value the message says which (a line break in a value, ']' in a
// section name, '=' in a key name, a NUL anywhere). Reading a file that is missing or cannot be
// read answers the defaults. Values are not limited in length.
#pragma once

#include <string>

#include "vcl/classes.h"

namespace vcl {

VCL_DECLARE_EXCEPTION(EIniFileException, Exception)

class TCustomIniFile : public TObject {
    VCL_DECLARE_CLASS(TCustomIniFile, TObject)
public:
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    virtual std::string ReadString(const std::string& section, const std::string& ident,
                                   const std::string& defaultValue) = 0;
    virtual void WriteString(const std::string& section, const std::string& ident,
                             const std::string& value) = 0;
    virtual void ReadSection(const std::string& section, TStrings* strings) = 0;
    virtual void ReadSections(TStrings* strings) = 0;
    // Name=value lines.
    virtual void ReadSectionValues(const std::string& section, TStrings* strings) = 0;
    virtual void EraseSection(const std::string& section) = 0;
    virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
    virtual void UpdateFile() = 0;

    // Decimal, $hex or 0x hex; anything else (or a missing value) answers the default.
    virtual Integer ReadInteger(const std::string& section, const std::string& ident, Integer defaultValue);
    virtual void WriteInteger(const std::string& section, const std::string& ident, Integer value);
    // Any integer other than 0 is true; written as 1 or 0.
    virtual bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue);
    virtual void WriteBool(const std::string& section, const std::string& ident, bool value);
    // Text in FormatSettings' form; text that does not convert answers the default.
    virtual double ReadFloat(const std::string& section, const std::string& ident, double defaultValue);
    virtual void WriteFloat(const std::string& section, const std::string& ident, double value);
    virtual TDateTime ReadDate(const std::string& section, const std::string& ident, TDateTime defaultValue);
    virtual void WriteDate(const std::string& section, const std::string& ident, TDateTime value);
    virtual TDateTime ReadDateTime(const std::string& section, const std::string& ident,
                                   TDateTime defaultValue);
    virtual void WriteDateTime(const std::string& section, const std::string& ident, TDateTime value);
    virtual TDateTime ReadTime(const std::string& section, const std::string& ident, TDateTime defaultValue);
    virtual void WriteTime(const std::string& section, const std::string& ident, TDateTime value);

    // A section exists when it holds at least one key.
    bool SectionExists(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& ident);

private:
    std::string fileName_;
};

class TIniFile : public TCustomIniFile {
    VCL_DECLARE_CLASS(TIniFile, TCustomIniFile)
public:
    // A name without a full path lives in the Windows directory.
    explicit TIniFile(std::string fileName) : TCustomIniFile(std::move(fileName)) {}

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& defaultValue) override;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
    void ReadSection(const std::string& section, TStrings* strings) override;
    void ReadSections(TStrings* strings) override;
    void ReadSectionValues(const std::string& section, TStrings* strings) override;
    void EraseSection(const std::string& section) override;
    void DeleteKey(const std::string& section, const std::string& ident) override;
    // Every write already reached the disk; nothing is cached.
    void UpdateFile() override;

private:
    [[noreturn]] void WriteError(const std::string& reason) const;
};

}  // namespace vcl
