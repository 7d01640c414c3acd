#include "quenta/zylaccess.h"

#include "vcl/dialogs.h"
#include "win32/shell.h"

namespace quenta {

VCL_DEFINE_CLASS(TZylQueryAccess, TZylDialogComponent)

TZylQueryAccess::~TZylQueryAccess() {
    ZylWipe(accessCode_);
}

bool TZylQueryAccess::Execute() {
    TZylDialogComponent::Execute();
    std::string typed;
    const bool answered = vcl::InputQuery(caption_, query_, typed);
    std::string upperTyped = vcl::AnsiUpperCase(typed);
    std::string upperCode = vcl::AnsiUpperCase(accessCode_);
    const bool right = answered && upperTyped == upperCode;
    ZylWipe(typed);
    ZylWipe(upperTyped);
    ZylWipe(upperCode);
    const vcl::TNotifyEvent& event = right ? OnRightCode : OnWrongCode;
    if (event) event(this);
    return right;
}

VCL_DEFINE_CLASS(TZylShellAbout, TZylDialogComponent)

bool TZylShellAbout::Execute() {
    TZylDialogComponent::Execute();
    const std::string app = firstLine_ + "#" + titleLine_;
    win32::ShellAbout(nullptr, app.c_str(), infoLine_.c_str(), nullptr);
    return true;
}

}  // namespace quenta
