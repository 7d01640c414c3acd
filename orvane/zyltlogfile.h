// Stamped lines appended to a text log.
#pragma once

#include <string>

#include "orvane/zylsystem.h"

namespace orvane {

// Each Log call opens LogFile, appends one whole line and closes it again. The line (and, for a
// new file, the header before it) goes out in a single append, so lines of several programs
// writing one log never interleave. ClearLog empties only a log this component created, or one
// that begins with its Header; any other file of that name is left as it is.
class TZylLogFile : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylLogFile, TZylSystemsComponent)
public:
    explicit TZylLogFile(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

    const std::string& LogFile() const { return logFile_; }
    void SetLogFile(const std::string& value);
    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& value) { header_ = value; }
    bool LogHeader() const { return logHeader_; }
    void SetLogHeader(bool value) { logHeader_ = value; }
    const std::string& Special() const { return special_; }
    void SetSpecial(const std::string& value) { special_ = value; }
    bool LogSpecial() const { return logSpecial_; }
    void SetLogSpecial(bool value) { logSpecial_ = value; }
    bool LogTime() const { return logTime_; }
    void SetLogTime(bool value) { logTime_ = value; }
    bool LogDate() const { return logDate_; }
    void SetLogDate(bool value) { logDate_ = value; }

    // The line Log(Text) writes now, without its line end.
    std::string LogLine(const std::string& Text) const;
    // EInOutError when the file cannot be written.
    void Log(const std::string& Text);
    // False when the file was left alone (missing, or not a log of this component).
    bool ClearLog();

    vcl::TNotifyEvent OnClear;

    static void Publish(vcl::Published<TZylLogFile>& p) {
        using L = TZylLogFile;
        p.Property("LogFile", &L::LogFile, &L::SetLogFile, std::string());
        p.Property("Header", &L::Header, &L::SetHeader, std::string(kDefaultHeader));
        p.Property("LogHeader", &L::LogHeader, &L::SetLogHeader, false);
        p.Property("Special", &L::Special, &L::SetSpecial, std::string(kDefaultSpecial));
        p.Property("LogSpecial", &L::LogSpecial, &L::SetLogSpecial, false);
        p.Property("LogTime", &L::LogTime, &L::SetLogTime, false);
        p.Property("LogDate", &L::LogDate, &L::SetLogDate, false);
        p.Event("OnClear", &L::OnClear);
    }

    static constexpr std::string_view kDefaultHeader = "Generic Log File for my Application";
    static constexpr std::string_view kDefaultSpecial = "Logged by User";

private:
    bool MayClear(const std::string& native) const;

    std::string logFile_;
    std::string header_{kDefaultHeader};
    bool logHeader_ = false;
    std::string special_{kDefaultSpecial};
    bool logSpecial_ = false;
    bool logTime_ = false;
    bool logDate_ = false;
    // The real file this component created, the one log it may always clear.
    std::string created_;
};

}  // namespace orvane
