#include "orvane/zyltapplication.h"

#include <algorithm>
#include <vector>

#include "win32/user.h"

namespace orvane {

using namespace win32;
using vcl::Integer;

namespace {

// Live instances of the components a program may hold once. A constructor that refuses a second
// one raises before it counts itself, so a refused component leaves the count as it was.
int onlyOneInstances = 0;
int applicationInstances = 0;

std::string WindowCaption(HWND window) {
    std::string text(static_cast<size_t>(std::max(0, GetWindowTextLength(window))) + 1, '\0');
    text.resize(
        static_cast<size_t>(std::max(0, GetWindowText(window, text.data(), static_cast<int>(text.size())))));
    return text;
}

std::string WindowClassName(HWND window) {
    char name[257] = {};
    GetClassName(window, name, sizeof name);
    return name;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylOnlyOne

VCL_DEFINE_CLASS(TZylOnlyOne, TZylSystemsComponent)

TZylOnlyOne::TZylOnlyOne(vcl::TComponent* owner) : TZylSystemsComponent(owner) {
    if (onlyOneInstances > 0)
        throw EZylDuplicateError("You can have only one class of type\r\n" + std::string(ClassName()) +
                                 "\r\n, in a project and it must be on the Mainform");
    ++onlyOneInstances;
}

TZylOnlyOne::~TZylOnlyOne() {
    --onlyOneInstances;
}

void TZylOnlyOne::Loaded() {
    TZylSystemsComponent::Loaded();
    if (!Designing()) CheckPrevInstances();
}

void TZylOnlyOne::CheckPrevInstances() {
    if (!vcl::Application) return;
    struct Search {
        HWND own;
        std::string className;
        std::string caption;
        Integer count = 0;
        HWND other = nullptr;  // the last copy counted that is not this one
    } search{vcl::Application->Handle(), {}, {}};
    search.className = WindowClassName(search.own);
    search.caption = WindowCaption(search.own);
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (WindowClassName(window) != s.className || WindowCaption(window) != s.caption) return TRUE;
            ++s.count;
            if (window != s.own) s.other = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    const Integer allowed = std::max<Integer>(1, instances_);
    if (search.count <= allowed) return;
    if (OnExceeded) OnExceeded(this, search.count);
    if ((onExceed_ == aRestoreAndExit || onExceed_ == aRestore) && search.other) {
        const HWND popup = GetLastActivePopup(search.other);
        BringWindowToTop(search.other);
        if (IsIconic(popup))
            ShowWindow(popup, SW_RESTORE);
        else
            SetForegroundWindow(popup);
    }
    if (onExceed_ == aRestoreAndExit || onExceed_ == aExit) vcl::Halt(0);
}

// ---------------------------------------------------------------------------------------------
// TZylApplication

struct TZylApplication::Takeovers {
    TZylEventTakeover<vcl::TNotifyEvent> activate, deactivate, minimize, restore, hint;
    TZylEventTakeover<vcl::TExceptionEvent> exception;
    TZylEventTakeover<vcl::THelpEvent> help;
    TZylEventTakeover<vcl::TIdleEvent> idle;
    TZylEventTakeover<vcl::TMessageEvent> message;
    TZylEventTakeover<vcl::TShowHintEvent> showHint;
};

VCL_DEFINE_CLASS(TZylApplication, TZylSystemsComponent)

TZylApplication::TZylApplication(vcl::TComponent* owner)
    : TZylSystemsComponent(owner),
      applicationIcon_(std::make_unique<vcl::TIcon>()),
      takeovers_(std::make_unique<Takeovers>()) {
    if (applicationInstances > 0)
        throw EZylDuplicateError("You can have one and ONLY ONE\r\n" + std::string(ClassName()) +
                                 " Component\r\n, in a project and it must be on the Mainform");
    if (vcl::Application) {
        hintColor_ = vcl::Application->HintColor();
        hintPause_ = vcl::Application->HintPause();
        showHint_ = vcl::Application->ShowHint();
        applicationIcon_->Assign(vcl::Application->Icon());
    }
    ++applicationInstances;
}

TZylApplication::~TZylApplication() {
    takeovers_.reset();  // the application's own handlers come back
    --applicationInstances;
}

void TZylApplication::SetHintColor(vcl::TColor value) {
    hintColor_ = value;
    if (Running() && vcl::Application) vcl::Application->SetHintColor(value);
}

void TZylApplication::SetHintPause(Integer value) {
    hintPause_ = value;
    if (Running() && vcl::Application) vcl::Application->SetHintPause(value);
}

void TZylApplication::SetShowHint(bool value) {
    showHint_ = value;
    if (Running() && vcl::Application) vcl::Application->SetShowHint(value);
}

void TZylApplication::SetApplicationTitle(const std::string& value) {
    applicationTitle_ = value;
    if (Running() && vcl::Application) vcl::Application->SetTitle(value);
}

void TZylApplication::Loaded() {
    TZylSystemsComponent::Loaded();
    if (Designing() || !vcl::Application) return;
    // An empty icon would take the application's away.
    if (!applicationIcon_->Empty()) vcl::Application->SetIcon(applicationIcon_.get());
    TakeOverEvents();
}

void TZylApplication::TakeOverEvents() {
    vcl::TApplication& app = *vcl::Application;
    Takeovers& t = *takeovers_;
    // Each runs this component's handler, or the application's own once this one was cleared.
    auto notify = [](TZylEventTakeover<vcl::TNotifyEvent>& takeover, vcl::TNotifyEvent& event,
                     const vcl::TNotifyEvent& mine) {
        if (!mine) return;
        takeover.Take(event, [&mine](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
            if (mine)
                mine(sender);
            else if (previous)
                previous(sender);
        });
    };
    notify(t.activate, app.OnActivate, OnActivate);
    notify(t.deactivate, app.OnDeactivate, OnDeactivate);
    notify(t.minimize, app.OnMinimize, OnMinimize);
    notify(t.restore, app.OnRestore, OnRestore);
    notify(t.hint, app.OnHint, OnHint);
    if (OnException)
        t.exception.Take(app.OnException, [this](const vcl::TExceptionEvent& previous, vcl::TObject* sender,
                                                 const vcl::Exception& error) {
            if (OnException)
                OnException(sender, error);
            else if (previous)
                previous(sender, error);
        });
    if (OnHelp)
        t.help.Take(app.OnHelp,
                    [this](const vcl::THelpEvent& previous, vcl::Word command, Integer data, bool& callHelp) {
                        if (OnHelp) return OnHelp(command, data, callHelp);
                        return previous ? previous(command, data, callHelp) : false;
                    });
    if (OnIdle)
        t.idle.Take(app.OnIdle, [this](const vcl::TIdleEvent& previous, vcl::TObject* sender, bool& done) {
            if (OnIdle)
                OnIdle(sender, done);
            else if (previous)
                previous(sender, done);
        });
    if (OnMessage)
        t.message.Take(app.OnMessage, [this](const vcl::TMessageEvent& previous, MSG& msg, bool& handled) {
            if (OnMessage)
                OnMessage(msg, handled);
            else if (previous)
                previous(msg, handled);
        });
    if (OnShowHint)
        t.showHint.Take(app.OnShowHint, [this](const vcl::TShowHintEvent& previous, std::string& hint,
                                               bool& canShow, vcl::THintInfo& info) {
            if (OnShowHint)
                OnShowHint(hint, canShow, info);
            else if (previous)
                previous(hint, canShow, info);
        });
}

// ---------------------------------------------------------------------------------------------
// TZylTopMost

VCL_DEFINE_CLASS(TZylTopMost, TZylSystemsComponent)

void TZylTopMost::BeforeDestruction() {
    TZylSystemsComponent::BeforeDestruction();
    active_ = false;
    if (auto* form = dynamic_cast<vcl::TCustomForm*>(Owner()); form && form->HandleAllocated()) Apply();
}

void TZylTopMost::SetActive(bool value) {
    if (active_ == value) return;
    active_ = value;
    if (!IsLoading() && !Designing()) Apply();
}

void TZylTopMost::Loaded() {
    TZylSystemsComponent::Loaded();
    if (!Designing()) Apply();
}

void TZylTopMost::Apply() {
    auto* form = dynamic_cast<vcl::TCustomForm*>(Owner());
    if (!form) return;
    SetWindowPos(form->Handle(), active_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace orvane
