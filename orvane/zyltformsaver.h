// The form saver, which keeps the size, position, visibility and window state of the application's
// forms and of their controls in a data store between runs, and the crash detector, which tells a
// program that its last run did not end normally.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "orvane/zyltstoredata.h"
#include "vcl/forms.h"

namespace orvane {

using TZylOnStoreControl = std::function<void(vcl::TObject* Sender, bool& Result)>;

// Owned by a form (EInvalidCast otherwise). Outside the designer it takes over the form's OnShow,
// which then restores every form of the application, and OnClose, which stores them; the form's own
// handlers still run first. Values (in FormStore's section):
//   <form class>_WindowState   1 minimized, 2 normal, 3 maximized
//   <form class>_Width, _Height, _Top, _Left, _Visible
//   <control name>_Width, _Height, _Top, _Left, _Visible   bounds relative to the parent
// Forms are keyed by class name, controls by name alone. Controls without a name are not stored
// (they would all share one key); their children are. A form that is maximized or minimized keeps
// its size and position from the store unchanged, except the saver's own form, which writes the
// bounds it had before it was last maximized or minimized through its system menu. A form whose
// restored bounds lie off the desktop's work area entirely is moved back onto it.
class TZylFormSaver : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylFormSaver, TZylHookComponent)
public:
    explicit TZylFormSaver(vcl::TComponent* owner);
    ~TZylFormSaver() override;

    TZylDataStore* FormStore() const { return formStore_.get(); }
    void SetFormStore(const TZylDataStore* value) { formStore_->Assign(value); }
    bool StoreSize() const { return storeSize_; }
    void SetStoreSize(bool value) { storeSize_ = value; }
    bool StoreLocation() const { return storeLocation_; }
    void SetStoreLocation(bool value) { storeLocation_ = value; }
    bool StoreState() const { return storeState_; }
    void SetStoreState(bool value) { storeState_ = value; }
    bool StoreVisible() const { return storeVisible_; }
    void SetStoreVisible(bool value) { storeVisible_ = value; }
    bool StoreControls() const { return storeControls_; }
    void SetStoreControls(bool value) { storeControls_ = value; }

    // The store routine with the saver's form as sender (the form's previous OnClose runs first).
    void Store();
    // The restore routine with the saver's form as sender (the form's previous OnShow runs first).
    void Restore();
    // Read through FormStore with `Default` as its error default (which stays set there).
    vcl::Integer ReadInt(const std::string& Name, vcl::Integer Default);
    std::string ReadStr(const std::string& Name, const std::string& Default);
    bool ReadBool(const std::string& Name, bool Default);
    void StoreWindow(vcl::TCustomForm* Form);
    void RestoreWindow(vcl::TCustomForm* Form);
    void StoreControl(vcl::TControl* Control);
    void RestoreControl(vcl::TControl* Control);
    // Remembers the saver's form's bounds in the normal state, before it is maximized or minimized.
    void BeforeMaximize();

    vcl::TNotifyEvent OnStore;
    TZylOnStoreControl OnStoreControl;
    vcl::TNotifyEvent OnRestore;

    static void Publish(vcl::Published<TZylFormSaver>& p) {
        p.Property("FormStore", &TZylFormSaver::FormStore);
        p.Property("StoreSize", &TZylFormSaver::StoreSize, &TZylFormSaver::SetStoreSize, true);
        p.Property("StoreLocation", &TZylFormSaver::StoreLocation, &TZylFormSaver::SetStoreLocation, true);
        p.Property("StoreState", &TZylFormSaver::StoreState, &TZylFormSaver::SetStoreState, true);
        p.Property("StoreVisible", &TZylFormSaver::StoreVisible, &TZylFormSaver::SetStoreVisible, true);
        p.Property("StoreControls", &TZylFormSaver::StoreControls, &TZylFormSaver::SetStoreControls, true);
        p.Event("OnStore", &TZylFormSaver::OnStore);
        p.Event<TZylOnStoreControl>("OnStoreControl", &TZylFormSaver::OnStoreControl);
        p.Event("OnRestore", &TZylFormSaver::OnRestore);
    }

protected:
    void Hooked(vcl::TMessage& message) override;

private:
    vcl::TCustomForm* Form() const;
    void StoreRoutine(vcl::TObject* sender, vcl::TCloseAction& action, const vcl::TCloseEvent& previous);
    void RestoreRoutine(vcl::TObject* sender, const vcl::TNotifyEvent& previous);
    struct Bounds;
    void StoreBounds(const std::string& prefix, const Bounds& bounds);
    void BringOntoDesktop(vcl::TCustomForm* form);

    std::unique_ptr<TZylDataStore> formStore_;
    bool storeSize_ = true;
    bool storeLocation_ = true;
    bool storeState_ = true;
    bool storeVisible_ = true;
    bool storeControls_ = true;
    TZylEventTakeover<vcl::TNotifyEvent> showTakeover_;
    TZylEventTakeover<vcl::TCloseEvent> closeTakeover_;
    struct Bounds {
        vcl::Integer left = 0, top = 0, width = 0, height = 0;
    };
    bool boundsSaved_ = false;  // never cleared once set
    Bounds savedBounds_;
};

// Writes "IllegalAbort" = 1 once the form holding it is read, and 0 when it is freed: a program
// that ended without freeing it (a crash, a kill) finds 1 at its next start, which fires
// OnIllegalAbort. Also in the designer.
class TZylIllegalAbort : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylIllegalAbort, TZylSystemsComponent)
public:
    explicit TZylIllegalAbort(vcl::TComponent* owner);
    ~TZylIllegalAbort() override;

    TZylDataStore* ParamStore() const { return paramStore_.get(); }
    void SetParamStore(const TZylDataStore* value) { paramStore_->Assign(value); }

    vcl::TNotifyEvent OnIllegalAbort;

    static void Publish(vcl::Published<TZylIllegalAbort>& p) {
        p.Property("ParamStore", &TZylIllegalAbort::ParamStore);
        p.Event("OnIllegalAbort", &TZylIllegalAbort::OnIllegalAbort);
    }

    static constexpr std::string_view kValueName = "IllegalAbort";

protected:
    void Loaded() override;

private:
    std::unique_ptr<TZylDataStore> paramStore_;
};

}  // namespace orvane
