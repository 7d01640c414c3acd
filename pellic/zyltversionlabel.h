// TZylVersionLabel: one entry of the running program's version resource, after a prefix that names
// it ("File Version: 1.2.0.4"). The string entries come from the string table of LangCharset (the
// resource's first translation unless set); verFlags lists the fixed information's file flags.
// Problems show as the caption's text ("< No Data Available >", ...), never as an exception.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vcl/stdctrls.h"

namespace pellic {

enum class TZylVersionRes : uint8_t {
    verCompanyName,
    verFileDescription,
    verFileVersion,
    verInternalName,
    verLegalCopyright,
    verOriginalFilename,
    verProductName,
    verProductVersion,
    verComments,
    verFlags
};
VCL_ENUM_NAMES(TZylVersionRes, "verCompanyName", "verFileDescription", "verFileVersion", "verInternalName",
               "verLegalCopyright", "verOriginalFilename", "verProductName", "verProductVersion",
               "verComments", "verFlags")

struct TZylVersionLookupEntry {
    const char* key;
    const char* prefix;
};
// Indexed by TZylVersionRes: the string-table key and the prefix shown before its value.
extern const TZylVersionLookupEntry VersionLookup[10];

class TZylVersionLabel : public vcl::TCustomLabel {
    VCL_DECLARE_CLASS(TZylVersionLabel, vcl::TCustomLabel)
public:
    explicit TZylVersionLabel(vcl::TComponent* owner);

    TZylVersionRes VersionRes() const { return versionRes_; }
    // Also takes the entry's key and prefix.
    void SetVersionRes(TZylVersionRes value);
    const std::string& VersionResKey() const { return versionResKey_; }
    void SetVersionResKey(const std::string& value);
    const std::string& InfoPrefix() const { return infoPrefix_; }
    void SetInfoPrefix(const std::string& value);
    bool ShowInfoPrefix() const { return showInfoPrefix_; }
    void SetShowInfoPrefix(bool value);
    // Eight hexadecimal digits, language then code page; "-1" takes the first translation.
    const std::string& LangCharset() const { return langCharset_; }
    void SetLangCharset(const std::string& value);

    static void Publish(vcl::Published<TZylVersionLabel>& p) {
        PublishAlign(p);
        p.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment,
                   vcl::TAlignment::taLeftJustify);
        PublishColor(p, vcl::clBtnFace);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("VersionRes", &TZylVersionLabel::VersionRes, &TZylVersionLabel::SetVersionRes,
                   TZylVersionRes::verFileVersion);
        p.Property("VersionResKey", &TZylVersionLabel::VersionResKey, &TZylVersionLabel::SetVersionResKey,
                   std::string("FileVersion"));
        p.Property("InfoPrefix", &TZylVersionLabel::InfoPrefix, &TZylVersionLabel::SetInfoPrefix,
                   std::string("File Version:"));
        p.Property("ShowInfoPrefix", &TZylVersionLabel::ShowInfoPrefix, &TZylVersionLabel::SetShowInfoPrefix,
                   true);
        p.Property("LangCharset", &TZylVersionLabel::LangCharset, &TZylVersionLabel::SetLangCharset,
                   std::string("-1"));
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        p.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false);
        p.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, vcl::tlTop);
        PublishVisible(p);
        PublishMouseEvents(p);
    }

protected:
    void Loaded() override;
    // The file whose version resource is shown: the running program.
    virtual std::string VersionFileName() const;

    // The value for the current entry, or the text that says why there is none.
    std::string GetInfo();
    std::string GetStringFileInfo(const std::vector<win32::BYTE>& block);
    std::string GetFixedFileInfo(const std::vector<win32::BYTE>& block) const;
    void SetupCaption();

private:
    TZylVersionRes versionRes_ = TZylVersionRes::verFileVersion;
    std::string versionResKey_ = "FileVersion";
    std::string infoPrefix_ = "File Version:";
    bool showInfoPrefix_ = true;
    std::string langCharset_ = "-1";
};

}  // namespace pellic
