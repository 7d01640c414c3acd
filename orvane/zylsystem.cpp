#include "orvane/zylsystem.h"

#include "vcl/forms.h"
#include "win32/user.h"

namespace orvane {

using namespace win32;

void ZylBeep(TZylBeeptype sound) {
    switch (sound) {
        case bNone:
            return;
        case bDefault:
            MessageBeep(MB_OK);
            return;
        case bAsterix:
            MessageBeep(MB_ICONASTERISK);
            return;
        case bExclamation:
            MessageBeep(MB_ICONEXCLAMATION);
            return;
        case bQuestion:
            MessageBeep(MB_ICONQUESTION);
            return;
        case bCriticalStop:
            MessageBeep(MB_ICONHAND);
            return;
    }
}

VCL_DEFINE_CLASS(TZylSystemsComponent, vcl::TComponent)
VCL_DEFINE_CLASS(TZylExecuteComponent, TZylSystemsComponent)
VCL_DEFINE_CLASS(TZylAdvancedExecComponent, TZylExecuteComponent)
VCL_DEFINE_CLASS(TZylHookComponent, TZylSystemsComponent)
VCL_DEFINE_CLASS(TZylFormHook, TZylHookComponent)

bool TZylAdvancedExecComponent::Execute() {
    const bool result = TZylExecuteComponent::Execute();
    PlaySound();
    return result;
}

namespace {

vcl::TWinControl* WindowedOwner(vcl::TComponent* owner) {
    auto* control = dynamic_cast<vcl::TWinControl*>(owner);
    if (!control) throw vcl::EInvalidCast("Invalid class typecast");
    return control;
}

}  // namespace

TZylHookComponent::TZylHookComponent(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), control_(WindowedOwner(owner)) {
    HookWin();
}

TZylHookComponent::~TZylHookComponent() {
    *alive_ = false;
    UnhookWin();
}

void TZylHookComponent::HookWin() {
    UnhookWin();
    const HWND window = control_->Handle();
    instance_ = vcl::MakeObjectInstance([this](vcl::TMessage& message) { Dispatch(message); });
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance_)));
    window_ = window;
}

void TZylHookComponent::UnhookWin() {
    if (!instance_) return;
    // Given back out of turn, the procedure leaves the window's chain and newer hooks stay in it.
    if (IsWindow(window_)) SetWindowLongPtr(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    vcl::FreeObjectInstance(instance_);
    instance_ = nullptr;
    previous_ = nullptr;
    window_ = nullptr;
}

void TZylHookComponent::Loaded() {
    TZylSystemsComponent::Loaded();
    if (!control_->HandleAllocated() || control_->Handle() != window_) HookWin();
}

void TZylHookComponent::PassOn(vcl::TMessage& message, HWND window, WNDPROC previous) {
    message.Result = previous && IsWindow(window)
                         ? CallWindowProc(previous, window, message.Msg, message.WParam, message.LParam)
                         : DefWindowProc(window, message.Msg, message.WParam, message.LParam);
}

void TZylHookComponent::Hooked(vcl::TMessage& message) {
    PassOn(message, window_, previous_);
}

void TZylHookComponent::Dispatch(vcl::TMessage& message) {
    const std::shared_ptr<bool> alive = alive_;
    const HWND window = window_;
    try {
        Hooked(message);
    } catch (...) {
        if (vcl::Application) vcl::Application->HandleException(*alive ? this : nullptr);
    }
    // The window is gone: nothing is left to give back.
    if (message.Msg == WM_NCDESTROY && *alive && window_ == window) {
        vcl::FreeObjectInstance(instance_);
        instance_ = nullptr;
        previous_ = nullptr;
        window_ = nullptr;
    }
}

void TZylFormHook::Hooked(vcl::TMessage& message) {
    const auto alive = AliveToken();
    const HWND window = HookedWindow();
    const WNDPROC previous = PreviousProc();
    if (OnMessage) {
        try {
            OnMessage(this, message);
        } catch (...) {
            if (vcl::Application) vcl::Application->HandleException(*alive ? this : nullptr);
        }
    }
    // The handler may change the message, not keep it from the form.
    if (*alive)
        TZylHookComponent::Hooked(message);
    else
        PassOn(message, window, previous);
}

}  // namespace orvane
