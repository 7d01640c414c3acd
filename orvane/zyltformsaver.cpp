#include "orvane/zyltformsaver.h"

#include <algorithm>

#include "win32/scope.h"
#include "win32/user.h"

namespace orvane {

using namespace win32;
using vcl::Integer;

namespace {

constexpr Integer kStateMinimized = 1;
constexpr Integer kStateNormal = 2;
constexpr Integer kStateMaximized = 3;

vcl::TCustomForm* OwnerForm(vcl::TComponent* owner) {
    auto* form = dynamic_cast<vcl::TCustomForm*>(owner);
    if (!form) throw vcl::EInvalidCast("Invalid class typecast");
    return form;
}

// The application's forms, in the order the application owns them.
template <typename Step>
void ForEachApplicationForm(Step step) {
    if (!vcl::Application) return;
    std::vector<vcl::TCustomForm*> forms;
    for (int i = 0; i < vcl::Application->ComponentCount(); ++i)
        if (auto* form = dynamic_cast<vcl::TCustomForm*>(vcl::Application->Components(i)))
            forms.push_back(form);
    for (vcl::TCustomForm* form : forms)
        step(form);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylFormSaver

VCL_DEFINE_CLASS(TZylFormSaver, TZylHookComponent)

TZylFormSaver::TZylFormSaver(vcl::TComponent* owner)
    : TZylHookComponent(OwnerForm(owner)), formStore_(std::make_unique<TZylDataStore>(this)) {
    if (Designing()) return;
    vcl::TCustomForm* form = Form();
    showTakeover_.Take(form->OnShow, [this](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
        RestoreRoutine(sender, previous);
    });
    closeTakeover_.Take(form->OnClose,
                        [this](const vcl::TCloseEvent& previous, vcl::TObject* sender,
                               vcl::TCloseAction& action) { StoreRoutine(sender, action, previous); });
}

TZylFormSaver::~TZylFormSaver() {
    // Handed back only while they are still the ones installed here (see TZylEventTakeover).
    showTakeover_.Release();
    closeTakeover_.Release();
}

vcl::TCustomForm* TZylFormSaver::Form() const {
    return static_cast<vcl::TCustomForm*>(HookedControl());
}

void TZylFormSaver::Store() {
    vcl::TCloseAction action = vcl::caHide;
    StoreRoutine(Form(), action, closeTakeover_.Previous());
}

void TZylFormSaver::Restore() {
    RestoreRoutine(Form(), showTakeover_.Previous());
}

void TZylFormSaver::StoreRoutine(vcl::TObject* sender, vcl::TCloseAction& action,
                                 const vcl::TCloseEvent& previous) {
    const auto alive = AliveToken();
    if (previous) previous(sender, action);
    if (!*alive || !formStore_->Enabled()) return;
    if (OnStore) OnStore(Form());
    if (!*alive) return;
    ForEachApplicationForm([this](vcl::TCustomForm* form) { StoreWindow(form); });
}

void TZylFormSaver::RestoreRoutine(vcl::TObject* sender, const vcl::TNotifyEvent& previous) {
    const auto alive = AliveToken();
    if (previous) previous(sender);
    if (!*alive) return;
    if (formStore_->Enabled())
        ForEachApplicationForm([this](vcl::TCustomForm* form) { RestoreWindow(form); });
    if (OnRestore) OnRestore(this);
}

void TZylFormSaver::StoreBounds(const std::string& prefix, const Bounds& bounds) {
    if (storeSize_) {
        formStore_->WriteInt(prefix + "_Width", bounds.width);
        formStore_->WriteInt(prefix + "_Height", bounds.height);
    }
    if (storeLocation_) {
        formStore_->WriteInt(prefix + "_Top", bounds.top);
        formStore_->WriteInt(prefix + "_Left", bounds.left);
    }
}

void TZylFormSaver::StoreWindow(vcl::TCustomForm* form) {
    if (!form) return;
    const std::string prefix(form->ClassName());
    const vcl::TWindowState state = form->WindowState();
    if (storeState_) {
        const Integer stored = state == vcl::wsMinimized   ? kStateMinimized
                               : state == vcl::wsMaximized ? kStateMaximized
                                                           : kStateNormal;
        formStore_->WriteInt(prefix + "_WindowState", stored);
    }
    // Only the saver's own form knows the bounds it had before it left the normal state.
    if (state == vcl::wsNormal)
        StoreBounds(prefix, Bounds{form->Left(), form->Top(), form->Width(), form->Height()});
    else if (form == Form() && boundsSaved_)
        StoreBounds(prefix, savedBounds_);
    if (storeVisible_) formStore_->WriteBool(prefix + "_Visible", form->Visible());
    if (storeControls_)
        for (Integer i = 0; i < form->ControlCount(); ++i)
            StoreControl(form->Controls(i));
}

void TZylFormSaver::StoreControl(vcl::TControl* control) {
    if (!control) return;
    bool result = true;
    if (OnStoreControl) OnStoreControl(control, result);
    if (!result) return;
    if (!control->Name().empty()) {
        const std::string& prefix = control->Name();
        StoreBounds(prefix, Bounds{control->Left(), control->Top(), control->Width(), control->Height()});
        if (storeVisible_) formStore_->WriteBool(prefix + "_Visible", control->Visible());
    }
    if (auto* windowed = dynamic_cast<vcl::TWinControl*>(control))
        for (Integer i = 0; i < windowed->ControlCount(); ++i)
            StoreControl(windowed->Controls(i));
}

void TZylFormSaver::RestoreWindow(vcl::TCustomForm* form) {
    if (!form) return;
    const std::string prefix(form->ClassName());
    if (storeSize_ && form->WindowState() == vcl::wsNormal) {
        form->SetWidth(ReadInt(prefix + "_Width", form->Width()));
        form->SetHeight(ReadInt(prefix + "_Height", form->Height()));
    }
    if (storeLocation_) {
        form->SetTop(ReadInt(prefix + "_Top", form->Top()));
        form->SetLeft(ReadInt(prefix + "_Left", form->Left()));
    }
    if (storeSize_ || storeLocation_) BringOntoDesktop(form);
    if (storeVisible_) form->SetVisible(ReadBool(prefix + "_Visible", form->Visible()));
    if (storeState_) {
        switch (ReadInt(prefix + "_WindowState", kStateNormal)) {
            case kStateMinimized:
                form->SetWindowState(vcl::wsMinimized);
                break;
            case kStateNormal:
                form->SetWindowState(vcl::wsNormal);
                break;
            case kStateMaximized:
                form->SetWindowState(vcl::wsMaximized);
                break;
            default:
                break;
        }
    }
    if (storeControls_)
        for (Integer i = 0; i < form->ControlCount(); ++i)
            RestoreControl(form->Controls(i));
}

void TZylFormSaver::RestoreControl(vcl::TControl* control) {
    if (!control) return;
    if (!control->Name().empty()) {
        const std::string& prefix = control->Name();
        if (storeSize_) {
            control->SetWidth(ReadInt(prefix + "_Width", control->Width()));
            control->SetHeight(ReadInt(prefix + "_Height", control->Height()));
        }
        if (storeLocation_) {
            control->SetTop(ReadInt(prefix + "_Top", control->Top()));
            control->SetLeft(ReadInt(prefix + "_Left", control->Left()));
        }
        if (storeVisible_) control->SetVisible(ReadBool(prefix + "_Visible", control->Visible()));
    }
    if (auto* windowed = dynamic_cast<vcl::TWinControl*>(control))
        for (Integer i = 0; i < windowed->ControlCount(); ++i)
            RestoreControl(windowed->Controls(i));
}

// Bounds written on another desktop (a larger screen, a second monitor) may lie where no screen
// is: such a form comes back whole onto the work area.
void TZylFormSaver::BringOntoDesktop(vcl::TCustomForm* form) {
    if (!vcl::Screen) return;
    const vcl::TRect work = vcl::Screen->WorkAreaRect();
    const vcl::TRect bounds{form->Left(), form->Top(), form->Left() + form->Width(),
                            form->Top() + form->Height()};
    const bool meets = bounds.left < work.right && bounds.right > work.left && bounds.top < work.bottom &&
                       bounds.bottom > work.top;
    if (meets) return;
    const Integer left = std::max(work.left, std::min(bounds.left, work.right - form->Width()));
    const Integer top = std::max(work.top, std::min(bounds.top, work.bottom - form->Height()));
    form->SetBounds(left, top, form->Width(), form->Height());
}

Integer TZylFormSaver::ReadInt(const std::string& name, Integer fallback) {
    formStore_->SetErrorInt(fallback);
    return formStore_->ReadInt(name);
}

std::string TZylFormSaver::ReadStr(const std::string& name, const std::string& fallback) {
    formStore_->SetErrorStr(fallback);
    return formStore_->ReadStr(name);
}

bool TZylFormSaver::ReadBool(const std::string& name, bool fallback) {
    formStore_->SetErrorBool(fallback);
    return formStore_->ReadBool(name);
}

void TZylFormSaver::BeforeMaximize() {
    vcl::TCustomForm* form = Form();
    // Bounds of a form already maximized or minimized are not the ones to go back to.
    if (form->WindowState() != vcl::wsNormal) return;
    boundsSaved_ = true;
    savedBounds_ = Bounds{form->Left(), form->Top(), form->Width(), form->Height()};
}

void TZylFormSaver::Hooked(vcl::TMessage& message) {
    if (message.Msg == WM_SYSCOMMAND) {
        const WPARAM command = message.WParam & 0xFFF0;
        if (command == SC_MAXIMIZE || command == SC_MINIMIZE) BeforeMaximize();
    }
    TZylHookComponent::Hooked(message);
}

// ---------------------------------------------------------------------------------------------
// TZylIllegalAbort

VCL_DEFINE_CLASS(TZylIllegalAbort, TZylSystemsComponent)

TZylIllegalAbort::TZylIllegalAbort(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), paramStore_(std::make_unique<TZylDataStore>(this)) {
    paramStore_->SetErrorInt(0);
}

TZylIllegalAbort::~TZylIllegalAbort() {
    paramStore_->WriteInt(std::string(kValueName), 0);
}

void TZylIllegalAbort::Loaded() {
    TZylSystemsComponent::Loaded();
    const bool abortedBefore = paramStore_->ReadInt(std::string(kValueName)) == 1;
    // The mark is set even when the handler raises, so that this run counts as running.
    const ScopeExit mark([this] { paramStore_->WriteInt(std::string(kValueName), 1); });
    if (abortedBefore && OnIllegalAbort) OnIllegalAbort(this);
}

}  // namespace orvane
