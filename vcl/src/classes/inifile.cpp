#include "vcl/inifiles.h"

#include <vector>

#include "win32/profile.h"

namespace vcl {

namespace {

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}
bool HasNul(const std::string& s) {
    return s.find('\0') != std::string::npos;
}

// Why the profile functions would refuse these names and value; empty when they are acceptable.
std::string RefusalReason(const std::string& section, const std::string* ident, const std::string* value) {
    if (HasNul(section) || (ident && HasNul(*ident)) || (value && HasNul(*value)))
        return "a name or value holds a NUL character";
    if (section.find(']') != std::string::npos || HasLineBreak(section))
        return Format("the section name '%s' holds ']' or a line break", {section});
    if (ident) {
        std::string trimmed = Trim(*ident);
        if (trimmed.empty() || trimmed.front() == '[' || trimmed.front() == ';' ||
            ident->find('=') != std::string::npos || HasLineBreak(*ident))
            return Format("the key name '%s' is empty, holds '=' or a line break, or starts with '[' or ';'",
                          {*ident});
    }
    if (value && HasLineBreak(*value))
        return Format("the value of '%s' holds a line break", {ident ? *ident : ""});
    return {};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomIniFile

VCL_DEFINE_CLASS(TCustomIniFile, TObject)

Integer TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                    Integer defaultValue) {
    return StrToIntDef(ReadString(section, ident, ""), defaultValue);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, Integer value) {
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident, double defaultValue) {
    double value;
    return TryStrToFloat(ReadString(section, ident, ""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteFloat(const std::string& section, const std::string& ident, double value) {
    WriteString(section, ident, FloatToStr(value));
}

TDateTime TCustomIniFile::ReadDate(const std::string& section, const std::string& ident,
                                   TDateTime defaultValue) {
    TDateTime value;
    return TryStrToDate(ReadString(section, ident, ""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteDate(const std::string& section, const std::string& ident, TDateTime value) {
    WriteString(section, ident, DateToStr(value));
}

TDateTime TCustomIniFile::ReadDateTime(const std::string& section, const std::string& ident,
                                       TDateTime defaultValue) {
    TDateTime value;
    return TryStrToDateTime(ReadString(section, ident, ""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteDateTime(const std::string& section, const std::string& ident, TDateTime value) {
    WriteString(section, ident, DateTimeToStr(value));
}

TDateTime TCustomIniFile::ReadTime(const std::string& section, const std::string& ident,
                                   TDateTime defaultValue) {
    TDateTime value;
    return TryStrToTime(ReadString(section, ident, ""), value) ? value : defaultValue;
}

void TCustomIniFile::WriteTime(const std::string& section, const std::string& ident, TDateTime value) {
    WriteString(section, ident, TimeToStr(value));
}

bool TCustomIniFile::SectionExists(const std::string& section) {
    TStringList keys;
    ReadSection(section, &keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
    TStringList keys;
    ReadSection(section, &keys);
    return keys.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------------------------------------
// TIniFile

VCL_DEFINE_CLASS(TIniFile, TCustomIniFile)

void TIniFile::WriteError(const std::string& reason) const {
    std::string message = Format("Unable to write to %s", {FileName()});
    if (!reason.empty()) message += ": " + reason;
    throw EIniFileException(message);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident,
                                 const std::string& defaultValue) {
    std::string value;
    if (HasNul(section) || HasNul(ident)) return defaultValue;
    return win32::ProfileReadString(FileName(), section, ident, value) ? value : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    if (std::string reason = RefusalReason(section, &ident, &value); !reason.empty()) WriteError(reason);
    if (!win32::WritePrivateProfileString(section.c_str(), ident.c_str(), value.c_str(), FileName().c_str()))
        WriteError({});
}

void TIniFile::ReadSection(const std::string& section, TStrings* strings) {
    std::vector<std::string> keys;
    if (!HasNul(section)) win32::ProfileReadKeyNames(FileName(), section, keys);
    strings->BeginUpdate();
    strings->Clear();
    for (const auto& key : keys)
        strings->Add(key);
    strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* strings) {
    std::vector<std::string> names;
    win32::ProfileReadSectionNames(FileName(), names);
    strings->BeginUpdate();
    strings->Clear();
    for (const auto& name : names)
        strings->Add(name);
    strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings* strings) {
    TStringList keys;
    ReadSection(section, &keys);
    strings->BeginUpdate();
    strings->Clear();
    for (int i = 0; i < keys.Count(); ++i)
        strings->Add(keys.Strings(i) + "=" + ReadString(section, keys.Strings(i), ""));
    strings->EndUpdate();
}

void TIniFile::EraseSection(const std::string& section) {
    if (std::string reason = RefusalReason(section, nullptr, nullptr); !reason.empty()) WriteError(reason);
    if (!win32::WritePrivateProfileString(section.c_str(), nullptr, nullptr, FileName().c_str()))
        WriteError({});
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    if (!RefusalReason(section, &ident, nullptr).empty()) return;
    win32::WritePrivateProfileString(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() {
    win32::WritePrivateProfileString(nullptr, nullptr, nullptr, FileName().c_str());
}

}  // namespace vcl
