// The mail package's shared unit: the base class of its components and the host-application
// services the transfers rely on (pumping the message queue, the title, the exception handler).
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "vcl/classes.h"

namespace postrel {

class EZylMailError : public vcl::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EZylMailError"; }
};

class TZylMailsComponent : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylMailsComponent, vcl::TComponent)
public:
    explicit TZylMailsComponent(vcl::TComponent* owner);

    virtual bool Execute();

    // Shown by the designer, whose editor for it runs Execute; the value never changes.
    const std::string& DesignExecute() const { return designExecute_; }
    void SetDesignExecute(const std::string&) {}

    static void Publish(vcl::Published<TZylMailsComponent>& p) {
        p.Property("DesignExecute", &TZylMailsComponent::DesignExecute, &TZylMailsComponent::SetDesignExecute)
            .Stored(false);
    }

private:
    std::string designExecute_;
};

// Dispatches every message waiting in the calling thread's queue, so that a user interface stays
// alive during a transfer. A WM_QUIT is put back for the application's own loop.
void ProcessMessages();

// The title of the running application: its executable's name without directory and extension.
std::string ApplicationTitle();

// Where exceptions that a component must not pass on (inside Execute, deletions, saving) are
// shown: by default the application object's HandleException (its log and standard error); a
// program or a test may install its own handler. An empty handler restores the default.
using TZylExceptionHandler = std::function<void(vcl::TObject* Sender, const std::exception& E)>;
void SetExceptionHandler(TZylExceptionHandler handler);
void HandleException(vcl::TObject* Sender, const std::exception& E);

// Where a component's notices to the user go ("Unable to connect"): by default a modal message box
// (ShowMessage); a program without a user interface or a test installs its own handler. An empty
// handler restores the default.
using TZylMessageHandler = std::function<void(vcl::TObject* Sender, const std::string& Text)>;
void SetMessageHandler(TZylMessageHandler handler);
void ShowMailMessage(vcl::TObject* Sender, const std::string& Text);

}  // namespace postrel
