#include "pellic/zyltanimator.h"

#include <fstream>
#include <iterator>

#include "win32/avi.h"
#include "win32/commctrl.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylAnimator, vcl::TWinControl)

namespace {

std::string FileError(const std::string& name) {
    return "Unable to open AVI \"" + name;
}

// Whether the file holds a clip the control plays, for a clip named before the window exists.
bool ReadableClip(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    if (!file) return false;
    return AviClip::Parse({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}) !=
           nullptr;
}

}  // namespace

TZylAnimator::TZylAnimator(vcl::TComponent* owner) : vcl::TWinControl(owner) {
    SetBounds(Left(), Top(), 32, 32);
}

void TZylAnimator::CreateParams(vcl::TCreateParams& params) {
    InitCommonControls();
    vcl::TWinControl::CreateParams(params);
    WNDCLASS native{};
    if (!GetClassInfo(nullptr, ANIMATE_CLASS, &native))
        throw vcl::EOutOfResources("Cannot create the animator");
    SetDefWndProc(native.lpfnWndProc);
    if (autoAnimate_) params.Style |= ACS_AUTOPLAY;
    if (center_) params.Style |= ACS_CENTER;
    if (transparent_) params.Style |= ACS_TRANSPARENT;
}

void TZylAnimator::CreateWnd() {
    vcl::TWinControl::CreateWnd();
    // A clip that cannot be read leaves the control empty: a form naming one still loads.
    ShowClip(false);
}

void TZylAnimator::WndProc(vcl::TMessage& message) {
    // A transparent clip shows the control's colour, its parent's unless set.
    if (message.Msg == vcl::CN_CTLCOLORSTATIC) {
        message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
        return;
    }
    vcl::TWinControl::WndProc(message);
}

void TZylAnimator::SetStyleFlag(bool& flag, bool value) {
    if (flag == value) return;
    flag = value;
    if (HandleAllocated()) RecreateWnd();
}

void TZylAnimator::SetFilename(const std::string& value) {
    filename_ = value;
    ShowClip(!IsLoading());
}

void TZylAnimator::SetAction(TZylState value) {
    action_ = value;
    ShowClip(!IsLoading());
}

void TZylAnimator::SetPlayFrom(int16_t value) {
    playFrom_ = value;
    ApplyPlayRange();
}

void TZylAnimator::SetPlayTo(int16_t value) {
    playTo_ = value;
    ApplyPlayRange();
}

void TZylAnimator::SetCycles(int16_t value) {
    cycles_ = value;
    ApplyPlayRange();
}

void TZylAnimator::ShowClip(bool raise) {
    const bool closed = (!autoAnimate_ && action_ == TZylState::sClosed) || filename_.empty();
    if (!HandleAllocated()) {
        // The window opens the clip when it is made; a clip named in code is checked now.
        if (raise && !closed && !ReadableClip(filename_)) throw EZylAnimatorError(FileError(filename_));
        return;
    }
    if (closed) {
        SendMessage(Handle(), ACM_OPEN, 0, 0);
        Invalidate();
        return;
    }
    if (!SendMessage(Handle(), ACM_OPEN, 0, reinterpret_cast<LPARAM>(filename_.c_str()))) {
        if (raise) throw EZylAnimatorError(FileError(filename_));
        return;
    }
    ApplyPlayRange();
}

void TZylAnimator::OpenResource(int id, HINSTANCE module) {
    if (!SendMessage(Handle(), ACM_OPEN, reinterpret_cast<WPARAM>(module),
                     reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(static_cast<WORD>(id)))))
        throw EZylAnimatorError("Unable to open AVI #" + std::to_string(id));
    ApplyPlayRange();
}

void TZylAnimator::OpenAVIFile(const std::string& name) {
    if (!SendMessage(Handle(), ACM_OPEN, 0, reinterpret_cast<LPARAM>(name.c_str())))
        throw EZylAnimatorError(FileError(name));
    ApplyPlayRange();
}

void TZylAnimator::ApplyPlayRange() {
    if (action_ != TZylState::sBusy || !HandleAllocated()) return;
    // The 16-bit values go out as the control reads them: -1 cycles is endless, -1 as the last
    // frame is 0xFFFF.
    SendMessage(Handle(), ACM_PLAY, static_cast<WPARAM>(static_cast<INT_PTR>(cycles_)),
                MAKELONG(static_cast<WORD>(playFrom_), static_cast<WORD>(playTo_)));
}

}  // namespace pellic
