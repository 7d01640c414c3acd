// The shared unit of the system package: the sounds of the executable components, the base classes
// every component of the package derives from, the window-hook components that subclass their
// form's window procedure, and the takeover of another object's event.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "vcl/classes.h"
#include "vcl/controls.h"
#include "vcl/messages.h"
#include "vcl/sysutils.h"

namespace orvane {

enum class TZylBeeptype : uint8_t { bNone, bDefault, bAsterix, bExclamation, bQuestion, bCriticalStop };
VCL_ENUM_NAMES(TZylBeeptype, "bNone", "bDefault", "bAsterix", "bExclamation", "bQuestion", "bCriticalStop")
using enum TZylBeeptype;

// MessageBeep with the sound of the type; nothing for bNone.
void ZylBeep(TZylBeeptype sound);

using vcl::Exception;

// A second instance of a component that a program may hold only once.
VCL_DECLARE_EXCEPTION(EZylDuplicateError, Exception)

// ---------------------------------------------------------------------------------------------
// Base classes

// The common base of the package's components.
class TZylSystemsComponent : public vcl::TComponent {
    VCL_DECLARE_CLASS(TZylSystemsComponent, vcl::TComponent)
public:
    explicit TZylSystemsComponent(vcl::TComponent* owner) : TComponent(owner) {}
};

// A short string of at most kSystemExecStrLength characters.
using TZylSystemExecStr = std::string;
inline constexpr size_t kSystemExecStrLength = 37;

// A component the developer can run from the form designer through DesignExecute.
class TZylExecuteComponent : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylExecuteComponent, TZylSystemsComponent)
public:
    explicit TZylExecuteComponent(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

    // A handle for the designer's property editor, never stored.
    const TZylSystemExecStr& DesignExecute() const { return designExecute_; }
    void SetDesignExecute(const TZylSystemExecStr& value) {
        designExecute_ = value.substr(0, kSystemExecStrLength);
    }

    virtual bool Execute() { return false; }

    static void Publish(vcl::Published<TZylExecuteComponent>& p) {
        p.Property("DesignExecute", &TZylExecuteComponent::DesignExecute,
                   &TZylExecuteComponent::SetDesignExecute)
            .TypeName("TZylSystemExecStr")
            .Stored(false);
    }

private:
    TZylSystemExecStr designExecute_ = "(Execute)";
};

// An executable component with a sound.
class TZylAdvancedExecComponent : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylAdvancedExecComponent, TZylExecuteComponent)
public:
    explicit TZylAdvancedExecComponent(vcl::TComponent* owner) : TZylExecuteComponent(owner) {}

    TZylBeeptype Sound() const { return sound_; }
    void SetSound(TZylBeeptype value) { sound_ = value; }

    // The inherited Execute, then the sound.
    bool Execute() override;

    static void Publish(vcl::Published<TZylAdvancedExecComponent>& p) {
        p.Property("Sound", &TZylAdvancedExecComponent::Sound, &TZylAdvancedExecComponent::SetSound, bNone);
    }

protected:
    void PlaySound() const { ZylBeep(sound_); }

private:
    TZylBeeptype sound_ = bNone;
};

// ---------------------------------------------------------------------------------------------
// Window hooks

using TZylHookMessage = std::function<void(vcl::TObject* Sender, vcl::TMessage& WndMessage)>;

// Subclasses the window procedure of its owner, which must be a windowed control (a form): every
// message of that window passes through Hooked first. Hooked at construction (the owner's window
// is made if needed), hooked again in Loaded when the owner's window was made anew meanwhile, and
// unhooked when freed. Several hooks on one window may be removed in any order. An exception
// raised while handling a message goes to Application->HandleException.
class TZylHookComponent : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylHookComponent, TZylSystemsComponent)
public:
    // Raises EInvalidCast when the owner is not a windowed control.
    explicit TZylHookComponent(vcl::TComponent* owner);
    ~TZylHookComponent() override;

    void HookWin();
    void UnhookWin();
    // The window hooked now, nullptr when none.
    win32::HWND HookedWindow() const { return window_; }

protected:
    void Loaded() override;
    // Passes the message to the procedure that was there before and stores its result.
    virtual void Hooked(vcl::TMessage& message);
    vcl::TWinControl* HookedControl() const { return control_; }
    // False once the component was freed: a handler that ran user code reads it before going on.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }
    // What Hooked does, for a component that may be gone by then.
    static void PassOn(vcl::TMessage& message, win32::HWND window, win32::WNDPROC previous);
    win32::WNDPROC PreviousProc() const { return previous_; }

private:
    void Dispatch(vcl::TMessage& message);

    vcl::TWinControl* control_;
    win32::HWND window_ = nullptr;
    win32::WNDPROC previous_ = nullptr;
    win32::WNDPROC instance_ = nullptr;
    // Read after a handler ran: the handler may have freed the component.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A hook whose OnMessage sees every message of the form first; the handler may change the message,
// which then goes on to the form.
class TZylFormHook : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylFormHook, TZylHookComponent)
public:
    explicit TZylFormHook(vcl::TComponent* owner) : TZylHookComponent(owner) {}

    TZylHookMessage OnMessage;

    static void Publish(vcl::Published<TZylFormHook>& p) {
        p.Event<TZylHookMessage>("OnMessage", &TZylFormHook::OnMessage);
    }

protected:
    void Hooked(vcl::TMessage& message) override;
};

// ---------------------------------------------------------------------------------------------
// Taking over another object's event

// Puts a handler of its own in another object's event and keeps the handler that was there, which
// the new one may call. Released (when its component goes), it puts the previous handler back if
// the event still holds its own; if someone took the event over since, its handler stays in their
// chain and from then on only passes calls on to the previous one, so nobody is left calling into
// a freed component.
template <typename Event>
class TZylEventTakeover;

template <typename R, typename... Args>
class TZylEventTakeover<std::function<R(Args...)>> {
public:
    using Event = std::function<R(Args...)>;
    // Receives the previous handler (possibly empty) and the event's arguments.
    using Handler = std::function<R(const Event& previous, Args... args)>;

    TZylEventTakeover() = default;
    ~TZylEventTakeover() { Release(); }
    TZylEventTakeover(const TZylEventTakeover&) = delete;
    TZylEventTakeover& operator=(const TZylEventTakeover&) = delete;

    void Take(Event& event, Handler handler) {
        Release();
        state_ = std::make_shared<State>();
        state_->previous = event;
        state_->handler = std::move(handler);
        event_ = &event;
        event = Installed{state_};
    }

    void Release() {
        if (!state_) return;
        const Installed* current = event_->template target<Installed>();
        if (current && current->state == state_)
            *event_ = state_->previous;
        else
            state_->handler = nullptr;
        state_.reset();
        event_ = nullptr;
    }

    bool Taken() const { return state_ != nullptr; }
    // The handler that was there when the event was taken over.
    const Event& Previous() const {
        static const Event none;
        return state_ ? state_->previous : none;
    }

private:
    struct State {
        Event previous;
        Handler handler;
    };
    struct Installed {
        std::shared_ptr<State> state;
        R operator()(Args... args) const {
            const std::shared_ptr<State> keep = state;
            if (keep->handler) return keep->handler(keep->previous, args...);
            if (keep->previous) return keep->previous(args...);
            return R();
        }
    };

    std::shared_ptr<State> state_;
    Event* event_ = nullptr;
};

}  // namespace orvane
