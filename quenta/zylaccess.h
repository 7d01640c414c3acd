// Two small prompts: a one-line access code and the shell's about box.
#pragma once

#include <string>

#include "quenta/zyldialogs.h"

namespace quenta {

// Asks for the access code with the framework's input box ("InputQuery") and compares it, in any
// letter case, with AccessCode. Cancel never grants access.
class TZylQueryAccess : public TZylDialogComponent {
    VCL_DECLARE_CLASS(TZylQueryAccess, TZylDialogComponent)
public:
    explicit TZylQueryAccess(vcl::TComponent* owner) : TZylDialogComponent(owner) {}
    ~TZylQueryAccess() override;

    const std::string& AccessCode() const { return accessCode_; }
    void SetAccessCode(const std::string& value) { accessCode_ = value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    const std::string& Query() const { return query_; }
    void SetQuery(const std::string& value) { query_ = value; }

    // True when OK was chosen with the right code; OnRightCode or OnWrongCode tells the same.
    bool Execute() override;

    vcl::TNotifyEvent OnWrongCode;
    vcl::TNotifyEvent OnRightCode;

    static void Publish(vcl::Published<TZylQueryAccess>& p) {
        using C = TZylQueryAccess;
        p.Property("AccessCode", &C::AccessCode, &C::SetAccessCode, std::string());
        p.Property("Caption", &C::Caption, &C::SetCaption, std::string(kCaption));
        p.Property("Query", &C::Query, &C::SetQuery, std::string(kQuery));
        p.Event("OnWrongCode", &C::OnWrongCode);
        p.Event("OnRightCode", &C::OnRightCode);
    }

    static constexpr std::string_view kCaption = "Access Code required";
    static constexpr std::string_view kQuery = "Please enter the Access Code :";

private:
    std::string accessCode_;
    std::string caption_{kCaption};
    std::string query_{kQuery};
};

// The shell's about box: FirstLine in its title bar, TitleLine as its first line, then InfoLine.
class TZylShellAbout : public TZylDialogComponent {
    VCL_DECLARE_CLASS(TZylShellAbout, TZylDialogComponent)
public:
    explicit TZylShellAbout(vcl::TComponent* owner) : TZylDialogComponent(owner) {}

    const std::string& FirstLine() const { return firstLine_; }
    void SetFirstLine(const std::string& value) { firstLine_ = value; }
    const std::string& TitleLine() const { return titleLine_; }
    void SetTitleLine(const std::string& value) { titleLine_ = value; }
    const std::string& InfoLine() const { return infoLine_; }
    void SetInfoLine(const std::string& value) { infoLine_ = value; }

    // True.
    bool Execute() override;

    static void Publish(vcl::Published<TZylShellAbout>& p) {
        using C = TZylShellAbout;
        p.Property("FirstLine", &C::FirstLine, &C::SetFirstLine, std::string());
        p.Property("TitleLine", &C::TitleLine, &C::SetTitleLine, std::string());
        p.Property("InfoLine", &C::InfoLine, &C::SetInfoLine, std::string());
    }

private:
    std::string firstLine_;
    std::string titleLine_;
    std::string infoLine_;
};

}  // namespace quenta
