#include "zylmails.h"

#include <cerrno>
#include <filesystem>

#include "vcl/dialogs.h"
#include "vcl/forms.h"
#include "win32/user.h"

namespace postrel {

namespace {

TZylExceptionHandler& InstalledHandler() {
    static TZylExceptionHandler handler;
    return handler;
}

TZylMessageHandler& InstalledMessageHandler() {
    static TZylMessageHandler handler;
    return handler;
}

}  // namespace

VCL_DEFINE_CLASS(TZylMailsComponent, vcl::TComponent)

TZylMailsComponent::TZylMailsComponent(vcl::TComponent* owner)
    : TComponent(owner), designExecute_("(Execute)") {}

bool TZylMailsComponent::Execute() {
    return false;
}

void ProcessMessages() {
    win32::MSG msg{};
    while (win32::PeekMessage(&msg, nullptr, 0, 0, win32::PM_REMOVE)) {
        if (msg.message == win32::WM_QUIT) {
            win32::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        win32::TranslateMessage(&msg);
        win32::DispatchMessage(&msg);
    }
}

std::string ApplicationTitle() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return program_invocation_short_name;
    return executable.stem().string();
}

void SetExceptionHandler(TZylExceptionHandler handler) {
    InstalledHandler() = std::move(handler);
}

void HandleException(vcl::TObject* Sender, const std::exception& E) {
    if (auto& handler = InstalledHandler()) {
        handler(Sender, E);
        return;
    }
    vcl::Application->HandleException(Sender, E);
}

void SetMessageHandler(TZylMessageHandler handler) {
    InstalledMessageHandler() = std::move(handler);
}

void ShowMailMessage(vcl::TObject* Sender, const std::string& Text) {
    if (auto& handler = InstalledMessageHandler()) {
        handler(Sender, Text);
        return;
    }
    vcl::ShowMessage(Text);
}

}  // namespace postrel
