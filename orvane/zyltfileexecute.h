// Opening, printing or running a file through the shell's verbs.
#pragma once

#include <string>

#include "orvane/zylsystem.h"
#include "vcl/forms.h"

namespace orvane {

enum class TZylExeStyle : uint8_t {
    osDefault,
    osOpen,
    osPrint,
    osExplore,
    osNew,
    osInstall,
    osEdit,
    osFind,
    osTest,
    osConfigure,
    osPlay
};
VCL_ENUM_NAMES(TZylExeStyle, "osDefault", "osOpen", "osPrint", "osExplore", "osNew", "osInstall", "osEdit",
               "osFind", "osTest", "osConfigure", "osPlay")
using enum TZylExeStyle;

// Hands Filename to the shell with the verb of ExeStyle. A program is started directly with
// ExeParameters split into its argument vector, never through a command interpreter, so quotes,
// `;` or `$()` in a name or parameter are only text. With Wait the call returns when the started
// program has ended (documents handed to another program are not waited for).
class TZylFileExecute : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylFileExecute, TZylExecuteComponent)
public:
    explicit TZylFileExecute(vcl::TComponent* owner) : TZylExecuteComponent(owner) {}

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value) { filename_ = value; }
    const std::string& ExeParameters() const { return exeParameters_; }
    void SetExeParameters(const std::string& value) { exeParameters_ = value; }
    const std::string& ExePath() const { return exePath_; }
    void SetExePath(const std::string& value) { exePath_ = value; }
    TZylExeStyle ExeStyle() const { return exeStyle_; }
    void SetExeStyle(TZylExeStyle value) { exeStyle_ = value; }
    vcl::TWindowState Windowstate() const { return windowState_; }
    void SetWindowstate(vcl::TWindowState value) { windowState_ = value; }
    bool Wait() const { return wait_; }
    void SetWait(bool value) { wait_ = value; }

    // The verb of ExeStyle; empty for osDefault.
    static std::string Verb(TZylExeStyle style);
    // The show command of the window state: normal 1, minimized 2, maximized 3.
    static int ShowCommand(vcl::TWindowState state);

    // False when the shell could not start anything; LastError then holds its error.
    bool Execute() override;
    win32::DWORD LastError() const { return lastError_; }

    static void Publish(vcl::Published<TZylFileExecute>& p) {
        p.Property("Filename", &TZylFileExecute::Filename, &TZylFileExecute::SetFilename, std::string());
        p.Property("ExeParameters", &TZylFileExecute::ExeParameters, &TZylFileExecute::SetExeParameters,
                   std::string());
        p.Property("ExePath", &TZylFileExecute::ExePath, &TZylFileExecute::SetExePath, std::string());
        p.Property("ExeStyle", &TZylFileExecute::ExeStyle, &TZylFileExecute::SetExeStyle, osDefault);
        p.Property("Windowstate", &TZylFileExecute::Windowstate, &TZylFileExecute::SetWindowstate,
                   vcl::wsNormal);
        p.Property("Wait", &TZylFileExecute::Wait, &TZylFileExecute::SetWait, false);
    }

private:
    std::string filename_;
    std::string exeParameters_;
    std::string exePath_;
    TZylExeStyle exeStyle_ = osDefault;
    vcl::TWindowState windowState_ = vcl::wsNormal;
    bool wait_ = false;
    win32::DWORD lastError_ = 0;
};

}  // namespace orvane
