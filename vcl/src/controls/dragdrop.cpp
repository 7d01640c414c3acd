// Drag and drop between the application's controls: one drag at a time, carried by a window of
// its own that holds the mouse capture while the drag lasts.
#include <cstdlib>

#include "controls/controls_internal.h"
#include "vcl/controls.h"
#include "vcl/forms.h"
#include "vcl/messages.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

class TDragSession {
public:
    static TDragSession& Current() {
        static TDragSession session;
        return session;
    }

    bool Active() const { return source_ != nullptr; }
    TControl* Source() const { return source_; }

    void Begin(TControl* source, bool immediate, Integer threshold) {
        if (Active() || !source) return;
        source_ = source;
        started_ = false;
        target_ = nullptr;
        GetCursorPos(&origin_);
        threshold_ = threshold >= 0 ? threshold : GetSystemMetrics(SM_CXDRAG);
        // A platform reset may have taken the window away.
        if (!window_ || !IsWindow(window_))
            window_ = AllocateHWnd([this](TMessage& message) { Handle(message); });
        SetCapture(window_);
        if (immediate) {
            Start();
            if (Active()) MoveTo(origin_);
        }
    }

    void End(bool drop) {
        if (!Active()) return;
        TControl* source = source_;
        TControl* target = started_ && drop && accepted_ ? target_ : nullptr;
        TPoint at = lastPos_;
        if (target_ && started_ && !target) Over(target_, dsDragLeave);
        const bool started = started_;
        source_ = nullptr;
        target_ = nullptr;
        started_ = false;
        if (window_ && GetCapture() == window_) ReleaseCapture();
        if (!started) return;
        if (Screen) Screen->SetCursor(crDefault);
        TPoint local = target ? target->ScreenToClient(at) : TPoint{0, 0};
        // The source may be freed by the drop; it is asked to end only while it is still here.
        if (target) {
            watching_ = source;
            target->DragDrop(source, local.x, local.y);
            if (!watching_) return;
            watching_ = nullptr;
        }
        source->DoEndDrag(target, local.x, local.y);
    }

    void Forget(TControl* control) {
        if (control == watching_) watching_ = nullptr;
        if (control == target_) target_ = nullptr;
        if (control == source_) {
            source_ = nullptr;
            started_ = false;
            if (window_ && GetCapture() == window_) ReleaseCapture();
        }
    }

private:
    void Start() {
        started_ = true;
        source_->DoStartDrag();
    }

    void Over(TControl* control, TDragState state) {
        const TPoint local = control->ScreenToClient(lastPos_);
        bool accept = false;
        control->DragOver(source_, local.x, local.y, state, accept);
        if (state != dsDragLeave) accepted_ = accept;
    }

    void MoveTo(TPoint pos) {
        lastPos_ = pos;
        if (!started_) {
            if (std::abs(pos.x - origin_.x) < threshold_ && std::abs(pos.y - origin_.y) < threshold_) return;
            Start();
            if (!Active()) return;
        }
        TControl* under = FindDragTarget(pos, false);
        if (under != target_) {
            if (target_) Over(target_, dsDragLeave);
            if (!Active()) return;
            target_ = under;
            accepted_ = false;
            if (target_) Over(target_, dsDragEnter);
        } else if (target_) {
            Over(target_, dsDragMove);
        }
        if (!Active()) return;
        if (Screen) Screen->SetCursor(target_ && accepted_ ? source_->DragCursor() : crNoDrop);
    }

    void Handle(TMessage& message) {
        switch (message.Msg) {
            case WM_MOUSEMOVE: {
                POINT pos{};
                GetCursorPos(&pos);
                if (Active()) MoveTo(pos);
                return;
            }
            case WM_LBUTTONUP:
                End(true);
                return;
            case WM_RBUTTONDOWN:
                End(false);
                return;
            case WM_KEYDOWN:
                if (message.WParam == VK_ESCAPE) End(false);
                return;
            case WM_CAPTURECHANGED:
                if (Active() && reinterpret_cast<HWND>(message.LParam) != window_) End(false);
                return;
            default:
                message.Result = DefWindowProc(window_, message.Msg, message.WParam, message.LParam);
        }
    }

    HWND window_ = nullptr;
    TControl* source_ = nullptr;
    TControl* target_ = nullptr;
    TControl* watching_ = nullptr;
    POINT origin_{};
    TPoint lastPos_{};
    Integer threshold_ = 0;
    bool started_ = false;
    bool accepted_ = false;
};

namespace detail {
void DragForgetControl(TControl* control) {
    TDragSession::Current().Forget(control);
}
}  // namespace detail

void TControl::BeginDrag(bool immediate, Integer threshold) {
    TDragSession::Current().Begin(this, immediate, threshold);
}

void TControl::EndDrag(bool drop) {
    if (TDragSession::Current().Source() == this) TDragSession::Current().End(drop);
}

bool TControl::Dragging() const {
    return TDragSession::Current().Source() == this;
}

void TControl::DoStartDrag() {
    if (OnStartDrag) OnStartDrag(this);
}

void TControl::DragOver(TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
    accept = false;
    if (OnDragOver) {
        accept = true;
        OnDragOver(this, source, x, y, state, accept);
    }
}

void TControl::DragDrop(TObject* source, Integer x, Integer y) {
    if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, Integer x, Integer y) {
    if (OnEndDrag) OnEndDrag(this, target, x, y);
}

}  // namespace vcl
