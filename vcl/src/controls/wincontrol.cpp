// TWinControl: windows, children, alignment, painting, keys and focus.
#include <algorithm>
#include <iterator>
#include <set>

#include "controls/controls_internal.h"
#include "vcl/controls.h"
#include "vcl/forms.h"
#include "win32/commctrl.h"
#include "win32/menu.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace {

// The control whose window CreateWindowEx is making; its first message attaches the two.
TWinControl* creationControl = nullptr;

std::set<std::string>& RegisteredClasses() {
    static std::set<std::string> classes;
    return classes;
}

bool registeredResetHook = [] {
    testing::AddResetHook([] {
        RegisteredClasses().clear();
        creationControl = nullptr;
    });
    return true;
}();

// Mouse messages in client coordinates, which a graphic child under the mouse may own.
bool IsClientMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL;
}

// What a child window tells its parent; the parent hands it back to the child's control as CN_*.
constexpr UINT kChildNotifications[] = {
    WM_COMMAND,           WM_NOTIFY,      WM_DRAWITEM,     WM_MEASUREITEM,     WM_HSCROLL,
    WM_VSCROLL,           WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORSTATIC,
    WM_CTLCOLORSCROLLBAR, WM_DELETEITEM,  WM_COMPAREITEM,  WM_VKEYTOITEM,      WM_CHARTOITEM,
};

bool IsChildNotification(UINT msg) {
    return std::ranges::find(kChildNotifications, msg) != std::ranges::end(kChildNotifications);
}

void FillSolid(HDC dc, const TRect& rect, TColor color) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

}  // namespace

std::string ControlWindowClassName(const TWinControl* control) {
    return std::string(control->ClassName());
}

VCL_DEFINE_CLASS(TWinControl, TControl)

LRESULT TWinControl::InitWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* control = creationControl;
    if (!control) return DefWindowProc(window, msg, wParam, lParam);
    creationControl = nullptr;
    control->handle_ = window;
    detail::ControlWindows()[window] = control;
    SetWindowLongPtr(window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(control->objectInstance_));
    return control->objectInstance_(window, msg, wParam, lParam);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(std::make_unique<TBrush>()) {
    brush_->SetColor(Color());
    brush_->OnChange = [this](TObject*) { Invalidate(); };
    defWndProc_ = DefWindowProc;
}

TWinControl::~TWinControl() {
    // Deleted without Free(): say so now, so that the children leaving do not realign the rest.
    Destroying();
    // Leave the parent while this is still a windowed control.
    if (parent_) parent_->RemoveControl(this);
    // Children that are still here go with their parent (their owner may free them later).
    for (TControl* child : std::vector<TControl*>(controls_))
        RemoveControl(child);
    for (TControl* child : std::vector<TWinControl*>(winControls_))
        RemoveControl(child);
    if (handle_) DestroyWindowHandle();
    if (objectInstance_) FreeObjectInstance(objectInstance_);
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    CreateHandle();
}

void TWinControl::SetParentWindow(HWND value) {
    if (parent_ || parentWindow_ == value) return;
    if (handle_ && parentWindow_ && value) {
        parentWindow_ = value;
        win32::SetParent(handle_, value);
    } else {
        DestroyHandle();
        parentWindow_ = value;
    }
    UpdateControlState();
}

TControl* TWinControl::Controls(Integer index) const {
    const auto graphicCount = static_cast<Integer>(controls_.size());
    if (index >= 0 && index < graphicCount) return controls_[static_cast<size_t>(index)];
    if (index >= graphicCount && index < graphicCount + static_cast<Integer>(winControls_.size()))
        return winControls_[static_cast<size_t>(index - graphicCount)];
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

void TWinControl::InsertControl(TControl* control) {
    if (!control) return;
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        winControls_.push_back(windowed);
        tabList_.push_back(windowed);
    } else {
        controls_.push_back(control);
    }
    control->parent_ = this;
    if (!IsLoading() && !control->IsLoading()) {
        control->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        control->Perform(CM_PARENTFONTCHANGED, 0, 0);
        control->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (auto* windowed = dynamic_cast<TWinControl*>(control))
            windowed->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    }
    AlignControl(control);
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        windowed->UpdateControlState();
    } else {
        control->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    if (!control || control->parent_ != this) return;
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(windowed, true);
        windowed->DestroyHandle();
        windowed->showing_ = false;
        winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), windowed),
                           winControls_.end());
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), windowed), tabList_.end());
    } else {
        control->Invalidate();
        if (detail::CaptureControlRef() == control) SetCaptureControl(nullptr);
        controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    }
    control->parent_ = nullptr;
    if (!IsDestroying()) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const {
    while (control && control != this)
        control = control->Parent();
    return control == this;
}

TControl* TWinControl::ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls) const {
    auto hit = [&](TControl* control) {
        if (!control->Visible() || (!allowDisabled && !control->Enabled())) return false;
        const TRect r = control->BoundsRect();
        if (pos.x < r.left || pos.x >= r.right || pos.y < r.top || pos.y >= r.bottom) return false;
        const LPARAM local = static_cast<LPARAM>(
            MAKELONG(static_cast<WORD>(pos.x - r.left), static_cast<WORD>(pos.y - r.top)));
        return control->Perform(CM_HITTEST, 0, local) != 0;
    };
    if (allowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hit(*it)) return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hit(*it)) return *it;
    return nullptr;
}

TControl* TWinControl::FindChildControl(std::string_view controlName) const {
    for (TControl* control : controls_)
        if (SameText(control->Name(), controlName)) return control;
    for (TControl* control : winControls_)
        if (SameText(control->Name(), controlName)) return control;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
    std::vector<TControl*> children(controls_.begin(), controls_.end());
    children.insert(children.end(), winControls_.begin(), winControls_.end());
    for (TControl* child : children) {
        if (!ContainsControl(child)) continue;
        child->WindowProc() ? child->WindowProc()(message) : child->WndProc(message);
        if (message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(UINT msg) {
    TMessage message{msg, 0, 0, 0};
    Broadcast(message);
}

// ---------------------------------------------------------------------------------------------
// Windows

void TWinControl::CreateParams(TCreateParams& params) {
    params = TCreateParams{};
    params.Caption = Text();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (controlStyle_.Contains(csAcceptsControls)) params.Style |= WS_CLIPCHILDREN;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (tabStop_) params.Style |= WS_TABSTOP;
    params.X = left_;
    params.Y = top_;
    params.Width = width_;
    params.Height = height_;
    if (parent_)
        params.WndParent = parent_->handle_;
    else
        params.WndParent = parentWindow_;
    params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    params.WindowClass.lpfnWndProc = &TWinControl::InitWndProc;
    params.WindowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    params.WindowClass.hbrBackground = nullptr;
    params.WinClassName = ControlWindowClassName(this);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
    params.WindowClass.lpszClassName = params.WinClassName.c_str();
    WNDCLASS existing{};
    if (!RegisteredClasses().contains(params.WinClassName) ||
        !GetClassInfo(nullptr, params.WinClassName.c_str(), &existing)) {
        if (!RegisterClass(&params.WindowClass) &&
            !GetClassInfo(nullptr, params.WinClassName.c_str(), &existing))
            throw EOutOfResources(Format("Cannot register the window class %s", {params.WinClassName}));
        RegisteredClasses().insert(params.WinClassName);
    }
    CreateWindowHandle(params);
    if (!handle_) throw EOutOfResources(Format("Error creating window for %s", {Name()}));
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
    if (!objectInstance_)
        objectInstance_ = MakeObjectInstance([this](TMessage& message) { MainWndProc(message); });
    HWND window = nullptr;
    {
        creationControl = this;
        const ScopeExit forget([] { creationControl = nullptr; });
        window = CreateWindowEx(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                                params.Style, params.X, params.Y, params.Width, params.Height,
                                params.WndParent, nullptr, nullptr, params.Param);
    }
    if (window && !handle_) {
        handle_ = window;
        detail::ControlWindows()[window] = this;
    }
}

void TWinControl::CreateHandle() {
    if (handle_) return;
    {
        controlState_.Include(csCreating);
        const ScopeExit created([this] { controlState_.Exclude(csCreating); });
        CreateWnd();
    }
    UpdateBounds();
    CreateHandleDone();
    CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
    for (TWinControl* child : std::vector<TWinControl*>(winControls_))
        if (child->Visible() && !child->handle_ && ContainsControl(child)) child->CreateHandle();
    // Windows stack in z-order: each child goes to the top in turn.
    for (TWinControl* child : winControls_)
        if (child->handle_)
            SetWindowPos(child->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    controlState_.Include(csDestroyingHandle);
    for (TWinControl* child : winControls_)
        child->DestroyHandle();
    DestroyWnd();
    controlState_.Exclude(csDestroyingHandle);
}

void TWinControl::DestroyWnd() {
    text_ = GetText();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    if (!handle_) return;
    const HWND window = handle_;
    if (TCustomForm* form = GetParentForm(this); form && form != this && Focused())
        form->DefocusControl(this, false);
    DestroyWindow(window);
    detail::ControlWindows().erase(window);
    handle_ = nullptr;
    showing_ = false;
}

void TWinControl::RecreateWnd() {
    if (!handle_ || recreating_) return;
    const ScopedValue recreating(recreating_, true);
    TCustomForm* form = GetParentForm(this);
    const bool hadFocus = form && form->ActiveControl() && ContainsControl(form->ActiveControl()) &&
                          GetFocus() == form->ActiveControl()->handle_;
    TWinControl* focused = hadFocus ? form->ActiveControl() : nullptr;
    DestroyHandle();
    UpdateControlState();
    if (!handle_ && (parent_ || parentWindow_ || dynamic_cast<TCustomForm*>(this))) HandleNeeded();
    if (focused && focused->CanFocus()) focused->SetFocus();
}

void TWinControl::MainWndProc(TMessage& message) {
    try {
        // Canvases borrowed device contexts for this message only.
        const ScopeExit freeContexts([] { detail::FreeDeviceContexts(); });
        const TWndMethod& proc = WindowProc();
        if (proc)
            proc(message);
        else
            WndProc(message);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
    if (message.Msg == WM_NCDESTROY && handle_) {
        detail::ControlWindows().erase(handle_);
        handle_ = nullptr;
        showing_ = false;
    }
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (!handle_) {
        TControl::DefaultHandler(message);
        return;
    }
    switch (message.Msg) {
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            TControl::DefaultHandler(message);
            return;
        default:
            break;
    }
    message.Result = CallWindowProc(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

TCaption TWinControl::GetText() const {
    return text_;
}

void TWinControl::SetTextValue(const TCaption& value) {
    text_ = value;
    if (handle_) {
        const std::string copy = value;
        CallWindowProc(defWndProc_, handle_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    }
}

HDC TWinControl::GetDeviceContext(HWND& window) {
    window = Handle();
    HDC dc = GetDC(window);
    if (!dc) throw EOutOfResources("Out of system resources");
    return dc;
}

void TWinControl::SetChildOrder(TComponent* child, int order) {
    if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && windowed->parent_ == this) {
        auto& list = winControls_;
        list.erase(std::remove(list.begin(), list.end(), windowed), list.end());
        list.insert(list.begin() + std::clamp<int>(order, 0, static_cast<int>(list.size())), windowed);
    } else if (auto* control = dynamic_cast<TControl*>(child); control && control->parent_ == this) {
        auto& list = controls_;
        list.erase(std::remove(list.begin(), list.end(), control), list.end());
        list.insert(list.begin() + std::clamp<int>(order, 0, static_cast<int>(list.size())), control);
    }
}

void TWinControl::SetZOrder(bool topMost) {
    if (!parent_) return;
    auto& list = parent_->winControls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    if (topMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    if (handle_)
        SetWindowPos(handle_, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    for (TControl* control : std::vector<TControl*>(controls_))
        if (control->Owner() == root) proc(control);
    for (TWinControl* control : std::vector<TWinControl*>(winControls_))
        if (control->Owner() == root) proc(control);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
    UpdateControlState();
}

// ---------------------------------------------------------------------------------------------
// Bounds and alignment

void TWinControl::SetBounds(Integer left, Integer top, Integer width, Integer height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    const bool sized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_ && !IsIconic(handle_))
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateAnchorRules();
    RequestAlign();
    if (sized) {
        Realign();
        if (!IsLoading()) Resize();
    }
}

void TWinControl::UpdateBounds() {
    if (!handle_ || IsIconic(handle_)) return;
    RECT rect{};
    GetWindowRect(handle_, &rect);
    if (GetWindowLong(handle_, GWL_STYLE) & WS_CHILD) {
        HWND parentWindow = GetParent(handle_);
        if (parentWindow) {
            POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
            MapWindowPoints(nullptr, parentWindow, corners, 2);
            rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        }
    }
    const Integer width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (rect.left == left_ && rect.top == top_ && width == width_ && height == height_) return;
    const bool sized = width != width_ || height != height_;
    left_ = rect.left;
    top_ = rect.top;
    width_ = width;
    height_ = height;
    UpdateAnchorRules();
    if (sized) {
        Realign();
        if (!IsLoading()) Resize();
    }
}

TRect TWinControl::ClientRect() const {
    if (handle_) {
        RECT rect{};
        if (GetClientRect(handle_, &rect)) return rect;
    }
    TCreateParams params;
    const_cast<TWinControl*>(this)->CreateParams(params);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    const Integer width = std::max(0, width_ - (frame.right - frame.left));
    const Integer height = std::max(0, height_ - (frame.bottom - frame.top));
    return Rect(0, 0, width, height);
}

TPoint TWinControl::ClientOrigin() const {
    if (handle_) {
        POINT origin{0, 0};
        win32::ClientToScreen(handle_, &origin);
        return origin;
    }
    TCreateParams params;
    const_cast<TWinControl*>(this)->CreateParams(params);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    TPoint origin = TControl::ClientOrigin();
    return Point(origin.x - frame.left, origin.y - frame.top);
}

void TWinControl::SetBorderWidth(Integer value) {
    if (value < 0) value = 0;
    if (borderWidth_ == value) return;
    borderWidth_ = value;
    Realign();
    Invalidate();
}

void TWinControl::DisableAlign() {
    ++alignLevel_;
}

void TWinControl::EnableAlign() {
    if (alignLevel_ == 0) return;
    if (--alignLevel_ == 0 && controlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() {
    AlignControl(nullptr);
}

void TWinControl::AdjustClientRect(TRect& rect) const {
    rect.left += borderWidth_;
    rect.top += borderWidth_;
    rect.right -= borderWidth_;
    rect.bottom -= borderWidth_;
}

void TWinControl::AlignControl(TControl* control) {
    if (IsDestroying()) return;
    if (alignLevel_ > 0 || IsLoading()) {
        controlState_.Include(csAlignmentNeeded);
        return;
    }
    DisableAlign();
    // Not EnableAlign: that would align again.
    const ScopeExit aligned([this] {
        controlState_.Exclude(csAlignmentNeeded);
        --alignLevel_;
    });
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    AlignControls(control, rect);
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
    std::vector<TControl*> all(controls_.begin(), controls_.end());
    all.insert(all.end(), winControls_.begin(), winControls_.end());

    auto insertBefore = [](TControl* moved, TControl* other, TAlign align) {
        switch (align) {
            case alTop:
                return moved->Top() < other->Top();
            case alBottom:
                return moved->Top() + moved->Height() >= other->Top() + other->Height();
            case alLeft:
                return moved->Left() < other->Left();
            case alRight:
                return moved->Left() + moved->Width() >= other->Left() + other->Width();
            default:
                return false;
        }
    };
    auto doAlign = [&](TAlign align) {
        std::vector<TControl*> list;
        const bool movedHere = control && control->Align() == align && control->Visible();
        if (movedHere) list.push_back(control);
        for (TControl* child : all) {
            if (child == control || child->Align() != align || !child->Visible()) continue;
            if (movedHere && align != alClient) {
                // The control that moved keeps the place its new position gives it.
                auto it = std::find(list.begin(), list.end(), control);
                if (it != list.end() && !insertBefore(control, child, align)) {
                    list.erase(it);
                    list.push_back(child);
                    list.push_back(control);
                    continue;
                }
            }
            list.push_back(child);
        }
        if (movedHere && align != alClient) {
            // Put the moved control before the first sibling it goes before.
            list.erase(std::find(list.begin(), list.end(), control));
            auto pos = std::find_if(list.begin(), list.end(),
                                    [&](TControl* other) { return insertBefore(control, other, align); });
            list.insert(pos, control);
        }
        for (TControl* child : list) {
            const Integer width = std::max(0, rect.right - rect.left);
            const Integer height = std::max(0, rect.bottom - rect.top);
            switch (align) {
                case alTop:
                    child->SetBounds(rect.left, rect.top, width, child->Height());
                    rect.top += child->Height();
                    break;
                case alBottom:
                    rect.bottom -= child->Height();
                    child->SetBounds(rect.left, rect.bottom, width, child->Height());
                    break;
                case alLeft:
                    child->SetBounds(rect.left, rect.top, child->Width(), height);
                    rect.left += child->Width();
                    break;
                case alRight:
                    rect.right -= child->Width();
                    child->SetBounds(rect.right, rect.top, child->Width(), height);
                    break;
                case alClient:
                    child->SetBounds(rect.left, rect.top, width, height);
                    break;
                default:
                    break;
            }
        }
    };
    doAlign(alTop);
    doAlign(alBottom);
    doAlign(alLeft);
    doAlign(alRight);
    doAlign(alClient);
    AlignAnchored(ClientRect());
}

void TWinControl::AlignAnchored(const TRect& clientRect) {
    const Integer parentWidth = clientRect.right, parentHeight = clientRect.bottom;
    std::vector<TControl*> all(controls_.begin(), controls_.end());
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* child : all) {
        if (child->Align() != alNone || child->Anchors() == TAnchors{akLeft, akTop}) continue;
        if (child->originalParentSize_.cx == 0 && child->originalParentSize_.cy == 0) continue;
        const TAnchors anchors = child->Anchors();
        const TRect rules = child->anchorRules_;
        const TSize original = child->originalParentSize_;
        Integer left = child->Left(), top = child->Top(), width = child->Width(), height = child->Height();
        if (anchors.Contains(akRight)) {
            if (anchors.Contains(akLeft))
                width = parentWidth - (original.cx - rules.left);
            else
                left = parentWidth - (original.cx - rules.left);
        } else if (!anchors.Contains(akLeft) && original.cx > 0) {
            left = MulDiv(rules.left, parentWidth, original.cx) - width / 2;
        }
        if (anchors.Contains(akBottom)) {
            if (anchors.Contains(akTop))
                height = parentHeight - (original.cy - rules.top);
            else
                top = parentHeight - (original.cy - rules.top);
        } else if (!anchors.Contains(akTop) && original.cy > 0) {
            top = MulDiv(rules.top, parentHeight, original.cy) - height / 2;
        }
        // Moving by the anchors must not change the rules they move by.
        const TRect savedRules = child->anchorRules_;
        const TSize savedSize = child->originalParentSize_;
        child->SetBounds(left, top, std::max(0, width), std::max(0, height));
        child->anchorRules_ = savedRules;
        child->originalParentSize_ = savedSize;
    }
}

// ---------------------------------------------------------------------------------------------
// Showing

void TWinControl::UpdateControlState() {
    TWinControl* control = this;
    while (control->parent_) {
        control = control->parent_;
        if (!control->showing_) {
            // Hidden parents hide their windowed children as well.
            if (showing_) ShowingChanged();
            return;
        }
    }
    if (dynamic_cast<TCustomForm*>(control) || control->parentWindow_ || dynamic_cast<THintWindow*>(control))
        ShowingChanged();
}

void TWinControl::ShowingChanged() {
    bool show = Visible() && !controlState_.Contains(csReadingState) && !IsLoading();
    if (parent_ && !parent_->showing_) show = false;
    if (show && !handle_) CreateHandle();
    const bool changed = handle_ && showing_ != show;
    // Children show before this window does (so that it can focus one of them as it appears) and
    // hide after it; either way they see this control's new state.
    if (changed) showing_ = show;
    {
        // A failure leaves the state as it was.
        ScopeExit rollBack([&] {
            if (changed) showing_ = !show;
        });
        if (show)
            for (TWinControl* child : std::vector<TWinControl*>(winControls_))
                child->ShowingChanged();
        if (changed) Perform(CM_SHOWINGCHANGED, 0, 0);
        rollBack.Dismiss();
    }
    if (!show)
        for (TWinControl* child : std::vector<TWinControl*>(winControls_))
            child->ShowingChanged();
}

void TWinControl::ShowControl(TControl* control) {
    if (parent_) parent_->ShowControl(this);
    (void)control;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::Update() {
    if (handle_) UpdateWindow(handle_);
}

void TWinControl::EraseBackground(HDC dc, const TRect& rect) {
    FillSolid(dc, rect, Color());
}

void TWinControl::PaintWindow(HDC dc) {
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(message);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    auto it = controls_.begin();
    if (first) {
        it = std::find(controls_.begin(), controls_.end(), first);
        if (it == controls_.end()) it = controls_.begin();
    }
    for (; it != controls_.end(); ++it) {
        TControl* control = *it;
        if (!control->Visible() && !Designing()) continue;
        const TRect bounds = control->BoundsRect();
        if (!RectVisible(dc, &bounds)) continue;
        const int saved = SaveDC(dc);
        const ScopeExit restore([&] { RestoreDC(dc, saved); });
        OffsetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
        IntersectClipRect(dc, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
        control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::PaintHandler(TMessage& message) {
    const HDC dc = reinterpret_cast<HDC>(message.WParam);
    const int saved = SaveDC(dc);
    bool anything = true;
    for (TControl* control : controls_)
        if (control->Visible() && control->ControlStyle().Contains(csOpaque)) {
            const TRect r = control->BoundsRect();
            if (ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom) == NULLREGION) anything = false;
        }
    if (anything) PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
}

void TWinControl::PaintFrame(HDC dc) {
    if (HandleAllocated()) {
        // The platform draws the frame as the screen shows it: borders, edges and scroll bars.
        SendMessage(handle_, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT);
        RECT window{}, client{};
        GetWindowRect(handle_, &window);
        GetClientRect(handle_, &client);
        POINT origin{0, 0};
        win32::ClientToScreen(handle_, &origin);
        OffsetViewportOrgEx(dc, origin.x - window.left, origin.y - window.top, nullptr);
        IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        return;
    }
    TCreateParams params;
    CreateParams(params);
    RECT rect{0, 0, width_, height_};
    if (params.ExStyle & WS_EX_CLIENTEDGE) {
        DrawEdge(dc, &rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else if (params.Style & WS_BORDER) {
        DrawEdge(dc, &rect, BDR_OUTER, BF_RECT | BF_ADJUST | BF_MONO);
    } else {
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
        rect = RECT{-frame.left, -frame.top, width_ - frame.right, height_ - frame.bottom};
    }
    OffsetViewportOrgEx(dc, rect.left, rect.top, nullptr);
    IntersectClipRect(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
}

void TWinControl::PaintTo(HDC dc, Integer x, Integer y) {
    if (!dc) throw EInvalidOperation("PaintTo needs a device context");
    controlState_.Include(csPaintCopy);
    const ScopeExit copied([this] { controlState_.Exclude(csPaintCopy); });
    const int saved = SaveDC(dc);
    const ScopeExit restore([&] { RestoreDC(dc, saved); });
    OffsetViewportOrgEx(dc, x, y, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    PaintFrame(dc);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    for (TWinControl* child : std::vector<TWinControl*>(winControls_))
        if (child->Visible()) child->PaintTo(dc, child->Left(), child->Top());
}

// ---------------------------------------------------------------------------------------------
// Messages

bool TWinControl::IsControlMouseMsg(TMessage& message) {
    TControl* control = nullptr;
    TControl* captured = GetCaptureControl();
    const TPoint pos = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    if (captured && captured != this) {
        if (captured->Parent() == this) control = captured;
    } else if (!captured) {
        control = ControlAtPos(pos, false);
    }
    if (!control) return false;
    const LPARAM local = static_cast<LPARAM>(
        MAKELONG(static_cast<WORD>(pos.x - control->Left()), static_cast<WORD>(pos.y - control->Top())));
    message.Result = control->Perform(message.Msg, message.WParam, local);
    return true;
}

void TWinControl::HandleKeyNotification(TMessage& message) {
    message.Result = 1;
    if (IsMenuKey(message)) return;
    if (!Designing()) {
        const Word key = static_cast<Word>(message.WParam);
        if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
        LRESULT mask = 0;
        switch (key) {
            case VK_TAB:
                mask = DLGC_WANTTAB;
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                mask = DLGC_WANTARROWS;
                break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL:
                mask = DLGC_WANTALLKEYS;
                break;
            default:
                break;
        }
        if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, 0) == 0 &&
            (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
            if (TCustomForm* form = GetParentForm(this);
                form && form->Perform(CM_DIALOGKEY, key, message.LParam) != 0)
                return;
        }
    }
    message.Result = 0;
}

bool TWinControl::IsMenuKey(TMessage& message) {
    if (Designing()) return false;
    const auto key = static_cast<Word>(message.WParam);
    const TShortCut shortCut = ShortCut(key, KeyDataToShiftState(message.LParam));
    if (shortCut == scNone) return false;
    if (MenuHooks().isShortCut) {
        for (TControl* control = this; control; control = control->Parent()) {
            TComponent* popup = control->PopupMenuComponent();
            if (popup && MenuHooks().isShortCut(popup, shortCut)) return true;
        }
    }
    TCustomForm* form = GetParentForm(this);
    return form && form->IsShortCut(message);
}

void TWinControl::WndProc(TMessage& message) {
    const UINT msg = message.Msg;
    if (IsClientMouseMessage(msg) && IsControlMouseMsg(message)) {
        if (msg == WM_MOUSEMOVE && handle_) DefaultHandler(message);
        return;
    }
    if (IsChildNotification(msg) && ReflectToSender(message)) return;
    switch (msg) {
        case WM_SETFOCUS:
            if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(this)) return;
            break;
        case WM_KILLFOCUS:
            if (controlState_.Contains(csFocusing)) return;
            break;
        case CM_FOCUSCHANGED:
            // Every control hears of the new focus (default buttons change their look by it).
            TControl::WndProc(message);
            Broadcast(message);
            return;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (DoKeyDown(message)) return;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (DoKeyUp(message)) return;
            break;
        case WM_CHAR:
            if (DoKeyPress(message)) return;
            break;
        case CN_KEYDOWN:
        case CN_SYSKEYDOWN:
            HandleKeyNotification(message);
            return;
        case CN_CHAR:
        case CN_SYSCHAR:
            message.Result = 0;
            if (OfferCharToDialog(message)) message.Result = 1;
            return;
        case CM_CHILDKEY:
            message.Result = parent_ ? parent_->Perform(CM_CHILDKEY, message.WParam, message.LParam) : 0;
            return;
        case WM_CAPTURECHANGED:
            // The capture a graphic child held through this window went elsewhere: tell the child.
            if (TControl* graphic = detail::CaptureControlRef(); graphic && graphic->Parent() == this) {
                detail::CaptureControlRef() = nullptr;
                graphic->Perform(WM_CAPTURECHANGED, message.WParam, message.LParam);
            }
            break;
        case CM_DIALOGKEY:
        case CM_DIALOGCHAR:
            Broadcast(message);
            return;
        case CM_ENTER:
            DoEnter();
            return;
        case CM_EXIT:
            DoExit();
            return;
        case CM_SHOWINGCHANGED:
            ApplyShowingToWindow();
            return;
        case CM_VISIBLECHANGED:
            FollowVisible();
            return;
        case CM_ENABLEDCHANGED:
            FollowEnabled();
            return;
        case CM_COLORCHANGED:
            brush_->SetColor(Color());
            NotifyControls(CM_PARENTCOLORCHANGED);
            Invalidate();
            return;
        case CM_FONTCHANGED:
            NotifyControls(CM_PARENTFONTCHANGED);
            Invalidate();
            return;
        case CM_SHOWHINTCHANGED:
            NotifyControls(CM_PARENTSHOWHINTCHANGED);
            return;
        case CM_CTL3DCHANGED:
            NotifyControls(CM_PARENTCTL3DCHANGED);
            if (handle_) RecreateWnd();
            return;
        case CM_PARENTCTL3DCHANGED:
            FollowParentCtl3D();
            return;
        case CM_TEXTCHANGED:
        case CM_INVALIDATE:
            Invalidate();
            return;
        case CM_RECREATEWND:
            RecreateWnd();
            return;
        case WM_SETTEXT:
            HandleSetText(message);
            return;
        case WM_ERASEBKGND:
            if (!controlStyle_.Contains(csOpaque))
                EraseBackground(reinterpret_cast<HDC>(message.WParam), ClientRect());
            message.Result = 1;
            return;
        case WM_PAINT:
            if (message.WParam)
                PaintHandler(message);
            else if (handle_)
                PaintThroughBuffer();
            message.Result = 0;
            return;
        case WM_SIZE:
        case WM_MOVE:
        case WM_WINDOWPOSCHANGED:
            DefaultHandler(message);
            UpdateBounds();
            return;
        case WM_SETCURSOR:
            if (LOWORD(static_cast<DWORD_PTR>(message.LParam)) == HTCLIENT && ShowClientCursor()) {
                message.Result = 1;
                return;
            }
            break;
        default:
            break;
    }
    TControl::WndProc(message);
}

bool TWinControl::OfferCharToDialog(TMessage& message) {
    if (Designing()) return false;
    // A control that takes characters keeps them; Alt+character always goes to the dialog.
    const bool wantsChars = (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0;
    if (message.Msg != CN_SYSCHAR && wantsChars) return false;
    TCustomForm* form = GetParentForm(this);
    return form && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0;
}

void TWinControl::ApplyShowingToWindow() {
    if (!handle_) return;
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::FollowVisible() {
    if (!Visible() && parent_)
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
    UpdateControlState();
}

void TWinControl::FollowEnabled() {
    if (!Enabled() && parent_)
        if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
    if (handle_) EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::FollowParentCtl3D() {
    if (!parentCtl3D_ || !parent_ || ctl3D_ == parent_->Ctl3D()) return;
    ctl3D_ = parent_->Ctl3D();
    Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::HandleSetText(TMessage& message) {
    const auto* text = reinterpret_cast<const char*>(message.LParam);
    text_ = text ? std::string(text) : std::string();
    if (handle_)
        message.Result = CallWindowProc(defWndProc_, handle_, WM_SETTEXT, message.WParam, message.LParam);
}

void TWinControl::PaintThroughBuffer() {
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(handle_, &ps);
    const ScopeExit endPaint([&] { EndPaint(handle_, &ps); });
    const TRect client = ClientRect();
    // Only the part waiting for paint: the buffer holds it, its origin moved so that everything
    // draws at its client coordinates, and whatever lies wholly outside it is skipped.
    TRect area{};
    if (!dc || !IntersectRect(&area, &ps.rcPaint, &client)) return;
    const int width = area.right - area.left, height = area.bottom - area.top;
    const HDC memoryDC = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    const HGDIOBJ old = SelectObject(memoryDC, bitmap);
    const ScopeExit releaseBuffer([&] {
        SelectObject(memoryDC, old);
        DeleteObject(bitmap);
        DeleteDC(memoryDC);
    });
    SetViewportOrgEx(memoryDC, -area.left, -area.top, nullptr);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memoryDC), 0);
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(memoryDC), 0, 0};
    PaintHandler(paint);
    SetViewportOrgEx(memoryDC, 0, 0, nullptr);
    BitBlt(dc, area.left, area.top, width, height, memoryDC, 0, 0, SRCCOPY);
}

bool TWinControl::ShowClientCursor() {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
        POINT pos{};
        GetCursorPos(&pos);
        TControl* control = ControlAtPos(ScreenToClient(pos), false);
        cursor = control ? control->Cursor() : Cursor();
    }
    if (cursor == crDefault || !Screen) return false;
    win32::SetCursor(Screen->Cursors(cursor));
    return true;
}

bool TWinControl::ReflectToSender(TMessage& message) {
    TWinControl* target = FindControl(NotificationSender(message));
    if (!target || target == this) return false;
    message.Result = target->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return true;
}

HWND TWinControl::NotificationSender(const TMessage& message) const {
    switch (message.Msg) {
        case WM_DRAWITEM: {
            // Framework controls share id 0, so the item's window says who drew it.
            const auto* item = reinterpret_cast<const win32::DRAWITEMSTRUCT*>(message.LParam);
            const HWND drawn = item && item->CtlType != win32::ODT_MENU ? item->hwndItem : nullptr;
            return drawn ? drawn : GetDlgItemFromNotification(message);
        }
        case WM_NOTIFY: {
            // The header names its window: framework controls share id 0.
            const auto* header = reinterpret_cast<const win32::NMHDR*>(message.LParam);
            if (header && header->hwndFrom && GetParent(header->hwndFrom) == handle_) return header->hwndFrom;
            return GetDlgItemFromNotification(message);
        }
        case WM_MEASUREITEM:
        case WM_DELETEITEM:
        case WM_COMPAREITEM:
            return GetDlgItemFromNotification(message);
        default:
            // The others carry the sender's window in lParam.
            return reinterpret_cast<HWND>(message.LParam);
    }
}

HWND TWinControl::GetDlgItemFromNotification(const TMessage& message) const {
    const auto id = static_cast<UINT>(message.WParam);
    for (TWinControl* child : winControls_)
        if (child->handle_ && static_cast<UINT>(GetWindowLong(child->handle_, GWL_ID)) == id && id != 0)
            return child->handle_;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Keys

bool TWinControl::DoKeyDown(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(message)) return true;
    Word key = static_cast<Word>(message.WParam);
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyDown(key, KeyDataToShiftState(message.LParam));
        message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyPress(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(message)) return true;
    char32_t key = static_cast<char32_t>(message.WParam);
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyPress(key);
        message.WParam = static_cast<WPARAM>(key);
        if (key == 0) return true;
    }
    return false;
}

bool TWinControl::DoKeyUp(TMessage& message) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(message)) return true;
    Word key = static_cast<Word>(message.WParam);
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyUp(key, KeyDataToShiftState(message.LParam));
        message.WParam = key;
        if (key == 0) return true;
    }
    return false;
}

void TWinControl::KeyDown(Word& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char32_t& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::KeyUp(Word& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

// ---------------------------------------------------------------------------------------------
// Focus and tab order

Integer TWinControl::TabOrder() const {
    if (!parent_) return -1;
    const auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TWinControl::SetTabOrder(Integer value) {
    if (!parent_) return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    const auto count = static_cast<Integer>(list.size());
    if (value < 0 || value > count) value = count;
    list.insert(list.begin() + value, this);
}

void TWinControl::SetTabStop(bool value) {
    if (tabStop_ == value) return;
    tabStop_ = value;
    if (handle_) {
        LONG style = GetWindowLong(handle_, GWL_STYLE);
        style = value ? (style | static_cast<LONG>(WS_TABSTOP)) : (style & ~static_cast<LONG>(WS_TABSTOP));
        SetWindowLong(handle_, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = GetParentForm(const_cast<TWinControl*>(this));
    if (!form) return false;
    for (const TControl* control = this; control != form; control = control->Parent())
        if (!control->Visible() || !control->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(this))
        form->FocusControl(this);
    else if (parentWindow_)
        win32::SetFocus(Handle());
    else
        throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* child : tabList_) {
        list.push_back(child);
        child->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const auto count = static_cast<Integer>(list.size());
    Integer start = -1;
    for (Integer i = 0; i < count; ++i)
        if (list[static_cast<size_t>(i)] == current) start = i;
    if (start < 0) start = goForward ? count - 1 : 0;
    Integer i = start;
    for (Integer steps = 0; steps < count; ++steps) {
        i = goForward ? (i + 1) % count : (i - 1 + count) % count;
        TWinControl* candidate = list[static_cast<size_t>(i)];
        if (candidate == current) break;
        if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop()) &&
            (!checkParent || candidate->Parent() == this))
            return candidate;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop);
    if (next) next->SetFocus();
}

void TWinControl::SelectFirst() {
    TCustomForm* form = GetParentForm(this);
    if (!form) return;
    TWinControl* control = FindNextControl(nullptr, true, true, false);
    if (!control) control = FindNextControl(nullptr, true, false, false);
    if (control) form->SetActiveControl(control);
}

void TWinControl::SetCtl3D(bool value) {
    if (ctl3D_ != value) {
        ctl3D_ = value;
        Perform(CM_CTL3DCHANGED, 0, 0);
    }
    parentCtl3D_ = false;
}

void TWinControl::SetParentCtl3D(bool value) {
    if (parentCtl3D_ == value) return;
    parentCtl3D_ = value;
    if (parent_ && value && !IsLoading()) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

}  // namespace vcl
