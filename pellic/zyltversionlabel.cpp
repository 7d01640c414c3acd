#include "pellic/zyltversionlabel.h"

#include <cstring>

#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/version.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylVersionLabel, vcl::TCustomLabel)

const TZylVersionLookupEntry VersionLookup[10] = {{"CompanyName", "Company Name:"},
                                                  {"FileDescription", "File Description:"},
                                                  {"FileVersion", "File Version:"},
                                                  {"InternalName", "Internal Name:"},
                                                  {"LegalCopyright", "Legal Copyright:"},
                                                  {"OriginalFilename", "Original Filename:"},
                                                  {"ProductName", "Product Name:"},
                                                  {"ProductVersion", "Product Version:"},
                                                  {"Comments", "Comments:"},
                                                  {"Flags", "Flags:"}};

namespace zyltversionlabel {

constexpr const char* kErrorText = "< Error retrieving version info >";

}  // namespace zyltversionlabel

TZylVersionLabel::TZylVersionLabel(vcl::TComponent* owner) : vcl::TCustomLabel(owner) {
    SetWordWrap(false);
    SetAutoSize(true);
    SetupCaption();
}

void TZylVersionLabel::SetVersionRes(TZylVersionRes value) {
    versionRes_ = value;
    const TZylVersionLookupEntry& entry = VersionLookup[static_cast<size_t>(value)];
    versionResKey_ = entry.key;
    infoPrefix_ = entry.prefix;
    SetupCaption();
}

void TZylVersionLabel::SetVersionResKey(const std::string& value) {
    versionResKey_ = value;
    SetupCaption();
}

void TZylVersionLabel::SetInfoPrefix(const std::string& value) {
    infoPrefix_ = value;
    SetupCaption();
}

void TZylVersionLabel::SetShowInfoPrefix(bool value) {
    showInfoPrefix_ = value;
    SetupCaption();
}

void TZylVersionLabel::SetLangCharset(const std::string& value) {
    langCharset_ = value;
    SetupCaption();
}

void TZylVersionLabel::Loaded() {
    vcl::TCustomLabel::Loaded();
    SetupCaption();
}

std::string TZylVersionLabel::VersionFileName() const {
    std::vector<char> path(4096);
    const DWORD length = GetModuleFileName(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return length > 0 && length < path.size() ? std::string(path.data(), length) : std::string();
}

void TZylVersionLabel::SetupCaption() {
    if (IsLoading()) return;
    const std::string value = GetInfo();
    SetCaption(showInfoPrefix_ ? infoPrefix_ + " " + value : value);
}

std::string TZylVersionLabel::GetInfo() {
    if (Designing()) return "< No Designtime Information >";
    const std::string fileName = VersionFileName();
    DWORD handle = 0;
    const DWORD size = fileName.empty() ? 0 : GetFileVersionInfoSize(fileName.c_str(), &handle);
    if (size == 0) return "< No Data Available >";
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfo(fileName.c_str(), handle, size, block.data()))
        return zyltversionlabel::kErrorText;
    if (versionRes_ == TZylVersionRes::verFlags) return GetFixedFileInfo(block);
    return GetStringFileInfo(block);
}

std::string TZylVersionLabel::GetFixedFileInfo(const std::vector<BYTE>& block) const {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValue(block.data(), "\\", &data, &length) || !data) return zyltversionlabel::kErrorText;
    if (length < sizeof(VS_FIXEDFILEINFO)) return {};
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, data, sizeof info);
    static constexpr std::pair<DWORD, const char*> kFlags[] = {
        {VS_FF_DEBUG, "Debug Build"},         {VS_FF_PRERELEASE, "Pre-Release Build"},
        {VS_FF_PATCHED, "Patched Build"},     {VS_FF_PRIVATEBUILD, "Private Build"},
        {VS_FF_INFOINFERRED, "InfoInferred"}, {VS_FF_SPECIALBUILD, "Special Build"}};
    std::string names;
    for (const auto& [bit, name] : kFlags) {
        if (!(info.dwFileFlags & bit)) continue;
        if (!names.empty()) names += ", ";
        names += name;
    }
    return names;
}

std::string TZylVersionLabel::GetStringFileInfo(const std::vector<BYTE>& block) {
    void* data = nullptr;
    UINT length = 0;
    if (langCharset_ == "-1") {
        if (!VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &data, &length) || !data || length < 4)
            return "< Error retrieving translation info >";
        // Two words in this order: the language, then the code page.
        WORD pair[2];
        std::memcpy(pair, data, sizeof pair);
        langCharset_ = vcl::IntToHex(pair[0], 4) + vcl::IntToHex(pair[1], 4);
    }
    const std::string query = "\\StringFileInfo\\" + langCharset_ + "\\" + versionResKey_;
    data = nullptr;
    length = 0;
    if (!VerQueryValue(block.data(), query.c_str(), &data, &length) || !data)
        return zyltversionlabel::kErrorText;
    // The length the query gives counts the terminating NUL: a value of one character is a value
    // (a ProductVersion of "2"), only an empty one has none.
    const auto* text = static_cast<const char*>(data);
    const std::string value(text, ::strnlen(text, length));
    if (value.empty()) return "< No Version Info >";
    return value;
}

}  // namespace pellic
