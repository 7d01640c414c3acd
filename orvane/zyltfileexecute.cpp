#include "orvane/zyltfileexecute.h"

#include "win32/shell.h"

namespace orvane {

VCL_DEFINE_CLASS(TZylFileExecute, TZylExecuteComponent)

std::string TZylFileExecute::Verb(TZylExeStyle style) {
    static constexpr const char* kVerbs[] = {"",     "open", "Print", "explore", "new", "Install",
                                             "edit", "find", "Test",  "open",    "Play"};
    return kVerbs[static_cast<size_t>(style)];
}

int TZylFileExecute::ShowCommand(vcl::TWindowState state) {
    switch (state) {
        case vcl::wsMinimized:
            return 2;
        case vcl::wsMaximized:
            return 3;
        default:
            return 1;
    }
}

bool TZylFileExecute::Execute() {
    const std::string verb = Verb(exeStyle_);
    win32::SHELLEXECUTEINFO info{};
    info.cbSize = sizeof info;
    info.fMask = win32::SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = vcl::Application->Handle();
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = filename_.c_str();
    info.lpParameters = exeParameters_.c_str();
    info.lpDirectory = exePath_.empty() ? nullptr : exePath_.c_str();
    info.nShow = ShowCommand(windowState_);
    if (!win32::ShellExecuteEx(&info)) {
        lastError_ = win32::GetLastError();
        return false;
    }
    lastError_ = 0;
    if (info.hProcess) {
        if (wait_) win32::WaitForSingleObject(info.hProcess, win32::INFINITE);
        win32::CloseHandle(info.hProcess);
    }
    return true;
}

}  // namespace orvane
