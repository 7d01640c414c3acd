// Components that act on the application: TZylOnlyOne limits how many copies of the program run on
// the desktop, TZylApplication sets the application object's settings and events from the form,
// TZylTopMost keeps its form above the other windows.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/forms.h"
#include "vcl/graphics.h"

namespace orvane {

enum class TZylAction : uint8_t { aRestoreAndExit, aRestore, aExit, aNone };
VCL_ENUM_NAMES(TZylAction, "aRestoreAndExit", "aRestore", "aExit", "aNone")
using enum TZylAction;

using TZylOnExceeded = std::function<void(vcl::TObject* Sender, vcl::Integer NoOfInstances)>;

// Once its form is read (not in the designer) it counts the copies of the program on the desktop,
// shared by the processes of the session: the top-level windows whose class name and caption equal
// this application's window's, its own included. When there are more than Instances (0 counts as
// 1), OnExceeded fires with the count; then, as OnExceed says, the last other copy found is brought
// forward (its main form restored and made the foreground window) and this copy ends at once with
// exit code 0. One per program: a second raises EZylDuplicateError.
class TZylOnlyOne : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylOnlyOne, TZylSystemsComponent)
public:
    explicit TZylOnlyOne(vcl::TComponent* owner);
    ~TZylOnlyOne() override;

    uint8_t Instances() const { return instances_; }
    void SetInstances(uint8_t value) { instances_ = value; }
    TZylAction OnExceed() const { return onExceed_; }
    void SetOnExceed(TZylAction value) { onExceed_ = value; }

    // Counts and acts as described above; Loaded runs it.
    void CheckPrevInstances();

    TZylOnExceeded OnExceeded;

    static void Publish(vcl::Published<TZylOnlyOne>& p) {
        p.Property("Instances", &TZylOnlyOne::Instances, &TZylOnlyOne::SetInstances, uint8_t{1});
        p.Property("OnExceed", &TZylOnlyOne::OnExceed, &TZylOnlyOne::SetOnExceed, aRestoreAndExit);
        p.Event<TZylOnExceeded>("OnExceeded", &TZylOnlyOne::OnExceeded);
    }

protected:
    void Loaded() override;

private:
    uint8_t instances_ = 1;
    TZylAction onExceed_ = aRestoreAndExit;
};

// The application object's settings and events, set from the form. At creation it takes the
// application's hint settings and icon. A setting changed at run time goes to the application at
// once (and is kept here too). Once the form is read (not in the designer) the application takes
// ApplicationIcon (unless it is empty) and, for every event assigned here, this component's
// handler in place of its own; those are given back when the component goes. One per program: a
// second raises EZylDuplicateError.
class TZylApplication : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylApplication, TZylSystemsComponent)
public:
    explicit TZylApplication(vcl::TComponent* owner);
    ~TZylApplication() override;

    vcl::TColor HintColor() const { return hintColor_; }
    void SetHintColor(vcl::TColor value);
    vcl::Integer HintPause() const { return hintPause_; }
    void SetHintPause(vcl::Integer value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    vcl::TIcon* ApplicationIcon() const { return applicationIcon_.get(); }
    void SetApplicationIcon(const vcl::TIcon* value) { applicationIcon_->Assign(value); }
    const std::string& ApplicationTitle() const { return applicationTitle_; }
    void SetApplicationTitle(const std::string& value);

    vcl::TNotifyEvent OnActivate;
    vcl::TNotifyEvent OnDeactivate;
    vcl::TExceptionEvent OnException;
    vcl::THelpEvent OnHelp;
    vcl::TIdleEvent OnIdle;
    vcl::TMessageEvent OnMessage;
    vcl::TNotifyEvent OnMinimize;
    vcl::TNotifyEvent OnRestore;
    vcl::TNotifyEvent OnHint;
    vcl::TShowHintEvent OnShowHint;

    static void Publish(vcl::Published<TZylApplication>& p) {
        p.Property("HintColor", &TZylApplication::HintColor, &TZylApplication::SetHintColor,
                   vcl::TColor{0x80FFFF})
            .Idents(vcl::ColorIdents());
        p.Property("HintPause", &TZylApplication::HintPause, &TZylApplication::SetHintPause, 800);
        p.Property("ShowHint", &TZylApplication::ShowHint, &TZylApplication::SetShowHint, true);
        p.Property("ApplicationIcon", &TZylApplication::ApplicationIcon);
        p.Property("ApplicationTitle", &TZylApplication::ApplicationTitle,
                   &TZylApplication::SetApplicationTitle, std::string());
        p.Event("OnActivate", &TZylApplication::OnActivate);
        p.Event("OnDeactivate", &TZylApplication::OnDeactivate);
        p.Event<vcl::TExceptionEvent>("OnException", &TZylApplication::OnException);
        p.Event<vcl::THelpEvent>("OnHelp", &TZylApplication::OnHelp);
        p.Event<vcl::TIdleEvent>("OnIdle", &TZylApplication::OnIdle);
        p.Event<vcl::TMessageEvent>("OnMessage", &TZylApplication::OnMessage);
        p.Event("OnMinimize", &TZylApplication::OnMinimize);
        p.Event("OnRestore", &TZylApplication::OnRestore);
        p.Event("OnHint", &TZylApplication::OnHint);
        p.Event<vcl::TShowHintEvent>("OnShowHint", &TZylApplication::OnShowHint);
    }

protected:
    void Loaded() override;

private:
    // Settings go to the application object once the program runs (the form is being read or was).
    bool Running() const { return !Designing(); }
    void TakeOverEvents();

    vcl::TColor hintColor_ = 0x80FFFF;
    vcl::Integer hintPause_ = 800;
    bool showHint_ = true;
    std::unique_ptr<vcl::TIcon> applicationIcon_;
    std::string applicationTitle_;
    struct Takeovers;
    std::unique_ptr<Takeovers> takeovers_;
};

// Keeps its form above every window that is not topmost while Active (from its creation on): applied
// once the form is read and whenever Active changes at run time; freed, it lets the form go back.
class TZylTopMost : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylTopMost, TZylSystemsComponent)
public:
    explicit TZylTopMost(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

    bool Active() const { return active_; }
    void SetActive(bool value);

    static void Publish(vcl::Published<TZylTopMost>& p) {
        p.Property("Active", &TZylTopMost::Active, &TZylTopMost::SetActive, true);
    }

protected:
    void Loaded() override;
    // Lets the form go while it is still the owner.
    void BeforeDestruction() override;

private:
    void Apply();

    bool active_ = true;
};

}  // namespace orvane
