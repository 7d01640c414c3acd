#include "zylmails.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "win32/user.h"

namespace postrel {

namespace {

TZylExceptionHandler& InstalledHandler() {
    static TZylExceptionHandler handler;
    return handler;
}

}  // namespace

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
    if (dynamic_cast<const vcl::EAbort*>(&E)) return;
    auto* framework = dynamic_cast<const vcl::Exception*>(&E);
    std::string text =
        framework ? std::string(framework->ClassName()) + ": " + framework->Message() : E.what();
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace postrel
