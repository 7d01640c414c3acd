// The timer component: a hidden window receives the platform's WM_TIMER.
#include "vcl/extctrls.h"
#include "vcl/forms.h"

namespace vcl {

using namespace win32;

namespace {

constexpr char kTimerWindowClass[] = "TTimerWindow";
constexpr UINT_PTR kTimerId = 1;

}  // namespace

VCL_DEFINE_CLASS(TTimer, TComponent)

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    StopTimer();
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (windowProc_) FreeObjectInstance(windowProc_);
}

void TTimer::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(Cardinal value) {
    if (interval_ == value) return;
    interval_ = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    OnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::StopTimer() {
    if (active_ && window_ && IsWindow(window_)) KillTimer(window_, kTimerId);
    active_ = false;
}

void TTimer::UpdateTimer() {
    StopTimer();
    if (IsLoading() || !enabled_ || interval_ == 0 || !OnTimer) return;
    // The window may have gone with a platform reset; a new one is made on demand.
    if (!window_ || !IsWindow(window_)) {
        WNDCLASS existing{};
        if (!GetClassInfo(nullptr, kTimerWindowClass, &existing)) {
            WNDCLASS cls{};
            cls.lpfnWndProc = DefWindowProc;
            cls.lpszClassName = kTimerWindowClass;
            if (!RegisterClass(&cls)) throw EOutOfResources("Not enough timers available");
        }
        window_ =
            CreateWindowEx(0, kTimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!window_) throw EOutOfResources("Not enough timers available");
        if (!windowProc_) windowProc_ = MakeObjectInstance([this](TMessage& message) { WndProc(message); });
        SetWindowLongPtr(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc_));
    }
    if (SetTimer(window_, kTimerId, interval_, nullptr) == 0)
        throw EOutOfResources("Not enough timers available");
    active_ = true;
}

void TTimer::WndProc(TMessage& message) {
    if (message.Msg == WM_TIMER && message.WParam == kTimerId) {
        try {
            Timer();
        } catch (const std::exception& error) {
            if (Application) Application->HandleException(this, error);
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
        message.Result = 0;
        return;
    }
    message.Result = DefWindowProc(window_, message.Msg, message.WParam, message.LParam);
}

void TTimer::Timer() {
    if (enabled_ && OnTimer) OnTimer(this);
}

namespace {
const bool timerClassesRegistered = [] {
    RegisterClasses({TTimer::StaticClass()});
    return true;
}();
}  // namespace

}  // namespace vcl
