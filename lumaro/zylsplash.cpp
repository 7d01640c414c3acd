// The splash screen.
#include "lumaro/zylsplash.h"

#include <algorithm>

#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/kernel.h"

namespace lumaro {

using namespace vcl;

namespace zylsplash {

// Where a picture of `size` goes along an edge of `room`: centred (halves to even) when it is
// smaller, else from the start.
Integer CenteredStart(Integer room, Integer size) {
    return size < room ? static_cast<Integer>(Round((room - size) / 2.0)) : 0;
}

// The longest sleep of one round of the wait, so that messages keep flowing while it lasts.
constexpr win32::DWORD kWaitSlice = 10;

}  // namespace zylsplash

// ---------------------------------------------------------------------------------------------
// TSplashForm

VCL_DEFINE_CLASS(TSplashForm, vcl::TForm)

TSplashForm::TSplashForm(TComponent* owner) : TForm(owner, 0), picture_(std::make_unique<TBitmap>()) {
    SetBorderStyle(bsNone);
    // The program's main form may appear meanwhile; the splash stays in front of it.
    SetFormStyle(fsStayOnTop);
}

TSplashForm::~TSplashForm() = default;

void TSplashForm::Paint() {
    TForm::Paint();
    if (!picture_->Empty()) Canvas()->Draw(0, 0, picture_.get());
}

void TSplashForm::DoClose(TCloseAction& action) {
    TForm::DoClose(action);
    // The splash component owns the form: closing only hides it, whatever a handler chose.
    action = caHide;
    if (OnSplashClose) OnSplashClose(this);
}

// ---------------------------------------------------------------------------------------------
// TZylSplashScreen

VCL_DEFINE_CLASS(TZylSplashScreen, TZylEnhancedExecComponent)

TZylSplashScreen::TZylSplashScreen(TComponent* owner)
    : TZylEnhancedExecComponent(owner),
      image_(std::make_unique<TBitmap>()),
      outsideFrame_(std::make_unique<TZylFrame>(this)),
      insideFrame_(std::make_unique<TZylFrame>(this)) {
    insideFrame_->SetFrameStyle(frameLowered);
}

TZylSplashScreen::~TZylSplashScreen() {
    *alive_ = false;
}

void TZylSplashScreen::SetImage(TBitmap* value) {
    if (!value)
        image_->SetSize(0, 0);
    else if (value != image_.get())
        image_->Assign(value);
}

void TZylSplashScreen::SetSplashWidth(Integer value) {
    splashWidth_ = value;
}

void TZylSplashScreen::SetSplashHeight(Integer value) {
    splashHeight_ = value;
}

void TZylSplashScreen::SetDelayInMsec(Integer value) {
    if (value >= 0) delayInMsec_ = value;
}

void TZylSplashScreen::SetBackground(TZylBackground* value) {
    if (value == background_) return;
    if (background_) background_->RemoveFreeNotification(this);
    background_ = value;
    if (value) value->FreeNotification(this);
}

void TZylSplashScreen::SetOutsideFrame(TZylFrame* value) {
    if (value && value != outsideFrame_.get()) outsideFrame_->Assign(value);
}

void TZylSplashScreen::SetInsideFrame(TZylFrame* value) {
    if (value && value != insideFrame_.get()) insideFrame_->Assign(value);
}

void TZylSplashScreen::SetBorderwidth(Integer value) {
    if (value >= 0) borderwidth_ = value;
}

void TZylSplashScreen::Notification(TComponent* component, TOperation operation) {
    TZylEnhancedExecComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == background_) background_ = nullptr;
}

std::unique_ptr<TBitmap> TZylSplashScreen::PaintSplash() const {
    auto bitmap = std::make_unique<TBitmap>();
    const Integer width = std::max<Integer>(0, splashWidth_), height = std::max<Integer>(0, splashHeight_);
    bitmap->SetSize(width, height);
    TCanvas* canvas = bitmap->Canvas();
    const win32::HDC dc = canvas->Handle();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(Rect(0, 0, width, height));
    if (background_) background_->Draw(dc, width, height, true);
    if (!image_->Empty())
        canvas->Draw(zylsplash::CenteredStart(width, image_->Width()),
                     zylsplash::CenteredStart(height, image_->Height()), image_.get());
    TRect rect = Rect(0, 0, width, height);
    outsideFrame_->Draw(dc, rect);
    win32::InflateRect(&rect, -borderwidth_, -borderwidth_);
    insideFrame_->Draw(dc, rect);
    return bitmap;
}

void TZylSplashScreen::Execute() {
    if (form_) return;  // a splash is already shown: its Execute is still running further up
    const std::shared_ptr<bool> alive = alive_;
    try {
        ShowSplash();
        if (OnRun) OnRun(form_.get());
        if (!*alive) return;
        WaitForDelay();
        if (!*alive) return;
        CloseSplash();
    } catch (const std::exception& error) {
        if (!*alive) throw;
        CloseSplash();
        if (Application)
            Application->HandleException(this, error);
        else
            throw;
    }
}

void TZylSplashScreen::Close() {
    if (form_ && form_->Visible()) form_->Close();
}

void TZylSplashScreen::ShowSplash() {
    form_.reset(new TSplashForm(nullptr));
    form_->OnSplashClose = [this](TObject* sender) {
        if (OnSplashDone) OnSplashDone(sender);
    };
    form_->Picture()->Assign(PaintSplash().get());
    form_->SetPosition(screencenter_ ? poScreenCenter : poDefaultPosOnly);
    form_->SetClientWidth(std::max<Integer>(0, splashWidth_));
    form_->SetClientHeight(std::max<Integer>(0, splashHeight_));
    form_->Show();
    form_->Update();
}

void TZylSplashScreen::WaitForDelay() {
    // Unsigned differences of the tick count stay right across its wrap after 49.7 days.
    const win32::DWORD start = win32::GetTickCount();
    const auto delay = static_cast<win32::DWORD>(delayInMsec_);
    const std::shared_ptr<bool> alive = alive_;
    for (;;) {
        if (Application) Application->ProcessMessages();
        // A program that quits meanwhile does not wait for the rest of the time.
        if (!*alive || !form_ || !form_->Visible() || (Application && Application->Terminated())) return;
        const win32::DWORD elapsed = win32::GetTickCount() - start;
        if (elapsed >= delay) return;
        win32::Sleep(std::min(delay - elapsed, zylsplash::kWaitSlice));
    }
}

void TZylSplashScreen::CloseSplash() {
    if (!form_) return;
    // Freed on every way out, also when a handler of the closing raises.
    const ScopeExit release([this] { form_.reset(); });
    if (form_->Visible()) form_->Close();
}

}  // namespace lumaro
