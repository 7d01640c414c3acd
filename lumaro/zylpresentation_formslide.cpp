// The form slide: a host control that swaps the form shown inside it through a transition.
#include <utility>

#include "lumaro/zylpresentation.h"
#include "vcl/sysutils.h"

namespace lumaro {

using namespace vcl;

VCL_DEFINE_CLASS(TZylFormSlide, vcl::TCustomControl)

TZylFormSlide::TZylFormSlide(TComponent* owner) : TCustomControl(owner) {
    SetBounds(Left(), Top(), 185, 41);
}

TZylFormSlide::~TZylFormSlide() {
    if (run_) run_->alive = false;
    // A form lent to the control goes back where it came from; one it made goes with its owner.
    if (form_ && !formCreated_ && !form_->IsDestroying()) {
        form_->RemoveFreeNotification(this);
        form_->Hide();
        form_->SetParent(formParent_);
    }
}

void TZylFormSlide::Show(TCustomForm* form) {
    if (!form) throw EInvalidOperation("TZylFormSlide cannot show a missing form");
    if (busy_ || form == form_) return;
    Swap(form, false);
}

TCustomForm* TZylFormSlide::ShowInstance(TClass formClass) {
    if (!formClass || !formClass->InheritsFrom(TCustomForm::StaticClass()))
        throw EInvalidOperation("TZylFormSlide can only make forms");
    if (busy_) return nullptr;
    auto* form = static_cast<TCustomForm*>(CreateComponent(formClass, this));
    Swap(form, true);
    return form;
}

void TZylFormSlide::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation != TOperation::opRemove || !component) return;
    if (component == leaving_) leaving_ = nullptr;
    if (component != form_) return;
    form_ = nullptr;
    formCreated_ = false;
    formParent_ = nullptr;
    Invalidate();
}

void TZylFormSlide::Swap(TCustomForm* form, bool created) {
    TRun run;
    run_ = &run;
    busy_ = true;
    // Cleared on every way out, unless a handler freed the control meanwhile.
    const ScopeExit leave([&] {
        if (!run.alive) return;
        busy_ = false;
        run_ = nullptr;
    });
    const Integer w = ClientWidth(), h = ClientHeight();

    // The look of the form that leaves stays on the control until the new one has slid in.
    TCustomForm* leaving = form_;
    leaving_ = leaving;
    const bool leavingCreated = formCreated_;
    TWinControl* leavingParent = formParent_;
    auto shown = ZylNewSlidePicture(w, h, Color());
    if (leaving) {
        leaving->PaintTo(shown->Canvas(), 0, 0);
        leaving->Hide();
    } else if (previous_) {
        shown->Canvas()->Draw(0, 0, previous_.get());
    }
    TCanvas* canvas = HandleAllocated() ? Canvas() : nullptr;
    if (canvas) canvas->Draw(0, 0, shown.get());

    const TPoint offScreen = Point(win32::GetSystemMetrics(win32::SM_CXSCREEN) + 1,
                                   win32::GetSystemMetrics(win32::SM_CYSCREEN) + 1);
    formParent_ = form->Parent();
    form_ = form;
    formCreated_ = created;
    if (!created) form->FreeNotification(this);
    form->SetBorderStyle(bsNone);
    form->SetBounds(offScreen.x, offScreen.y, w, h);
    form->SetParent(this);
    form->SetVisible(true);

    auto source = ZylNewSlidePicture(w, h, Color());
    if (std::unique_ptr<TBitmap> image = form->GetFormImage()) source->Canvas()->Draw(0, 0, image.get());
    ZylPlayTransition(static_cast<Integer>(slideEffect_), source.get(), shown.get(), canvas, [&run, this] {
        Application->ProcessMessages();
        return run.alive && form_;
    });
    if (!run.alive) return;
    previous_ = std::move(shown);
    if (form_ == form) form->SetBounds(0, 0, w, h);

    // The form that left may have been freed by a handler meanwhile (leaving_ is then cleared).
    leaving = std::exchange(leaving_, nullptr);
    if (!leaving) return;
    if (leavingCreated) {
        leaving->Free();
    } else {
        leaving->RemoveFreeNotification(this);
        leaving->SetParent(leavingParent);
    }
}

void TZylFormSlide::Paint() {
    TCanvas* canvas = Canvas();
    const TRect client = ClientRect();
    if (Designing()) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnShadow);
        canvas->FillRect(client);
        return;
    }
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    if (!form_ && previous_) canvas->Draw(0, 0, previous_.get());
}

}  // namespace lumaro
