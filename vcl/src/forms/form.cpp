// Scrolling controls, the scroll box and forms.
#include "vcl/forms.h"

#include <algorithm>

#include "classes/links.h"
#include "controls/controls_internal.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;

namespace {

const bool formClassesRegistered = [] {
    RegisterClasses({TForm::StaticClass(), TScrollBox::StaticClass()});
    return true;
}();

// The filter code of the application's own modal loops (the message filter hook answers only these).
constexpr int kApplicationLoop = MSGF_USER + 0x5A;

}  // namespace

namespace detail {
int ApplicationLoopCode() {
    return kApplicationLoop;
}
}  // namespace detail

// ---------------------------------------------------------------------------------------------
// TControlScrollBar

VCL_DEFINE_CLASS(TControlScrollBar, TPersistent)

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : control_(control), kind_(kind) {}

TPersistent* TControlScrollBar::GetOwner() const {
    return control_;
}

void TControlScrollBar::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TControlScrollBar*>(source)) {
        increment_ = other->increment_;
        margin_ = other->margin_;
        tracking_ = other->tracking_;
        visible_ = other->visible_;
        range_ = other->range_;
        SetPosition(other->position_);
        Update();
        return;
    }
    TPersistent::Assign(source);
}

void TControlScrollBar::SetIncrement(TScrollBarInc value) {
    if (value < 1 || value > 32767)
        throw ERangeError(Format("%d is not within the valid range of 1..32767", {value}));
    increment_ = value;
}

Integer TControlScrollBar::ControlSize() const {
    const TRect client = control_->ClientRect();
    return kind_ == sbHorizontal ? client.right : client.bottom;
}

bool TControlScrollBar::IsScrollBarVisible() const {
    return visible_ && range_ > ControlSize();
}

bool TControlScrollBar::IsRangeStored() const {
    return !control_->AutoScroll();
}

void TControlScrollBar::SetRange(Integer value) {
    if (value < 0) value = 0;
    if (range_ == value) return;
    range_ = value;
    control_->autoScroll_ = false;
    Update();
}

void TControlScrollBar::SetVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    Update();
}

void TControlScrollBar::SetPosition(Integer value) {
    const Integer limit = std::max(0, range_ - ControlSize());
    value = std::clamp(value, 0, limit);
    if (value == position_) return;
    const Integer delta = position_ - value;
    position_ = value;
    if (kind_ == sbHorizontal)
        control_->ScrollBy(delta, 0);
    else
        control_->ScrollBy(0, delta);
    if (control_->HandleAllocated())
        SetScrollPos(control_->Handle(), kind_ == sbHorizontal ? SB_HORZ : SB_VERT, position_, TRUE);
}

void TControlScrollBar::CalcAutoRange() {
    Integer range = 0;
    for (Integer i = 0; i < control_->ControlCount(); ++i) {
        TControl* child = control_->Controls(i);
        if (!child->Visible()) continue;
        const TAlign align = child->Align();
        const bool counts = align == alNone || (kind_ == sbHorizontal ? align == alLeft : align == alTop);
        if (!counts) continue;
        const Integer extent =
            kind_ == sbHorizontal ? child->Left() + child->Width() : child->Top() + child->Height();
        range = std::max(range, position_ + extent + margin_);
    }
    range_ = range;
}

void TControlScrollBar::Update() {
    const Integer limit = std::max(0, range_ - ControlSize());
    if (position_ > limit) {
        const Integer target = limit;
        const Integer delta = position_ - target;
        position_ = target;
        if (kind_ == sbHorizontal)
            control_->ScrollBy(delta, 0);
        else
            control_->ScrollBy(0, delta);
    }
    if (!control_->HandleAllocated()) return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    info.nMin = 0;
    info.nMax = visible_ && range_ > 0 ? range_ - 1 : 0;
    info.nPage = static_cast<UINT>(std::max(0, ControlSize()));
    info.nPos = position_;
    SetScrollInfo(control_->Handle(), kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &info, TRUE);
}

void TControlScrollBar::ScrollMessage(WPARAM code, Integer thumb) {
    const Integer page = std::max(1, ControlSize() * 9 / 10);
    switch (LOWORD(code)) {
        case SB_LINEUP:
            SetPosition(position_ - increment_);
            break;
        case SB_LINEDOWN:
            SetPosition(position_ + increment_);
            break;
        case SB_PAGEUP:
            SetPosition(position_ - page);
            break;
        case SB_PAGEDOWN:
            SetPosition(position_ + page);
            break;
        case SB_THUMBPOSITION:
            SetPosition(thumb);
            break;
        case SB_THUMBTRACK:
            if (tracking_) SetPosition(thumb);
            break;
        case SB_TOP:
            SetPosition(0);
            break;
        case SB_BOTTOM:
            SetPosition(range_);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// TScrollingWinControl

VCL_DEFINE_CLASS(TScrollingWinControl, TWinControl)

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner),
      horzScrollBar_(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      vertScrollBar_(std::make_unique<TControlScrollBar>(this, sbVertical)) {
    controlStyle_ =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool value) {
    if (autoScroll_ == value) return;
    autoScroll_ = value;
    if (value) {
        UpdateScrollBars();
    } else {
        horzScrollBar_->range_ = 0;
        vertScrollBar_->range_ = 0;
        horzScrollBar_->Update();
        vertScrollBar_->Update();
    }
}

void TScrollingWinControl::ScrollBy(Integer deltaX, Integer deltaY) {
    if (deltaX == 0 && deltaY == 0) return;
    {
        DisableAlign();
        const ScopeExit enableAlign([this] { EnableAlign(); });
        for (Integer i = 0; i < ControlCount(); ++i) {
            TControl* child = Controls(i);
            child->SetBounds(child->Left() + deltaX, child->Top() + deltaY, child->Width(), child->Height());
        }
        // The children moved on purpose: no realignment follows.
        controlState_.Exclude(csAlignmentNeeded);
    }
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* control) {
    if (!control || !ContainsControl(control) || control == this) return;
    TRect rect = control->BoundsRect();
    for (TWinControl* parent = control->Parent(); parent && parent != this; parent = parent->Parent())
        rect = Bounds(rect.left + parent->Left(), rect.top + parent->Top(), rect.right - rect.left,
                      rect.bottom - rect.top);
    const TRect client = ClientRect();
    auto scrollAxis = [](TControlScrollBar* bar, Integer start, Integer end, Integer extent) {
        if (start < 0)
            bar->SetPosition(bar->Position() + start - bar->Margin());
        else if (end > extent)
            bar->SetPosition(bar->Position() + std::min(start, end - extent + bar->Margin()));
    };
    scrollAxis(horzScrollBar_.get(), rect.left, rect.right, client.right);
    scrollAxis(vertScrollBar_.get(), rect.top, rect.bottom, client.bottom);
}

void TScrollingWinControl::UpdateScrollBars() {
    if (updatingScrollBars_) return;
    const ScopedValue updating(updatingScrollBars_, true);
    if (autoScroll_) {
        horzScrollBar_->CalcAutoRange();
        vertScrollBar_->CalcAutoRange();
    }
    horzScrollBar_->Update();
    vertScrollBar_->Update();
}

void TScrollingWinControl::AlignControls(TControl* control, TRect& rect) {
    TWinControl::AlignControls(control, rect);
    UpdateScrollBars();
}

void TScrollingWinControl::CreateWnd() {
    TWinControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollingWinControl::Resize() {
    UpdateScrollBars();
    TWinControl::Resize();
}

void TScrollingWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_HSCROLL:
            if (message.LParam == 0) {
                horzScrollBar_->ScrollMessage(message.WParam, static_cast<int16_t>(HIWORD(message.WParam)));
                message.Result = 0;
                return;
            }
            break;
        case WM_VSCROLL:
            if (message.LParam == 0) {
                vertScrollBar_->ScrollMessage(message.WParam, static_cast<int16_t>(HIWORD(message.WParam)));
                message.Result = 0;
                return;
            }
            break;
        default:
            break;
    }
    TWinControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TScrollBox

VCL_DEFINE_CLASS(TScrollBox, TScrollingWinControl)

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
    controlStyle_ += TControlStyle{csAcceptsControls};
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
    if (value != bsNone) value = bsSingle;
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    RecreateWnd();
}

void TScrollBox::CreateParams(TCreateParams& params) {
    TScrollingWinControl::CreateParams(params);
    if (borderStyle_ == bsSingle) {
        if (Ctl3D())
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomForm

VCL_DEFINE_CLASS(TCustomForm, TScrollingWinControl)

TCustomForm::TCustomForm(TComponent* owner) : TCustomForm(owner, 0) {}

TCustomForm::TCustomForm(TComponent* owner, int) : TScrollingWinControl(owner) {
    visible_ = false;
    parentColor_ = false;
    parentFont_ = false;
    parentShowHint_ = false;
    color_ = clBtnFace;
    Brush()->SetColor(clBtnFace);
    left_ = 0;
    top_ = 0;
    width_ = 320;
    height_ = 240;
    icon_ = std::make_unique<TIcon>();
    canvas_ = std::make_unique<TControlCanvas>();
    canvas_->SetControl(this);
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    Destroying();
    canvas_->FreeHandle();
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->mainForm_ == this) Application->mainForm_ = nullptr;
    if (!HandleAllocated()) return;
    // The form leaves the screen in one step before its controls' windows go one by one; otherwise
    // each control's window would expose, and have repainted, the part of the form under it.
    if (IsWindowVisible(Handle()))
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    DestroyHandle();
}

void TCustomForm::DoCreate() {
    createDone_ = true;
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    destroyDone_ = true;
    if (OnDestroy) OnDestroy(this);
}

void TCustomForm::DestroyForm() {
    if (!destroyDone_) {
        try {
            DoDestroy();
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    }
    Free();
}

void TCustomForm::Loaded() {
    TScrollingWinControl::Loaded();
    if (activeControl_ && (activeControl_ == this || GetParentForm(activeControl_) != this))
        activeControl_ = nullptr;
    if (!createDone_) DoCreate();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove) {
        if (component == menu_) {
            menu_ = nullptr;
            if (HandleAllocated() && !IsDestroying()) ::win32::SetMenu(Handle(), nullptr);
        }
        if (component == activeControl_) activeControl_ = nullptr;
        if (component == focusedControl_) focusedControl_ = nullptr;
    }
    TScrollingWinControl::Notification(component, operation);
}

void TCustomForm::SetChildOrder(TComponent* child, int order) {
    TWinControl::SetChildOrder(child, order);
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
    TWinControl::GetChildren(proc, root);
    // Components without a parent (menus, timers, data sources) come after the controls.
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* component = Components(i);
        if (!component->HasParent()) proc(component);
    }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value) {
    if (borderIcons_ == value) return;
    borderIcons_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetPosition(TPosition value) {
    position_ = value;
}

void TCustomForm::SetFormStyle(TFormStyle value) {
    if (formStyle_ == value) return;
    formStyle_ = value;
    if (HandleAllocated())
        SetWindowPos(Handle(), value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetWindowState(TWindowState value) {
    if (windowState_ == value) return;
    windowState_ = value;
    if (HandleAllocated() && Showing()) ApplyWindowState();
}

void TCustomForm::ApplyWindowState() {
    static constexpr int kCommands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(Handle(), kCommands[static_cast<size_t>(windowState_)]);
}

void TCustomForm::ApplyPosition() {
    if (position_ == poScreenCenter && !parent_ && Screen) {
        SetBounds((Screen->Width() - width_) / 2, (Screen->Height() - height_) / 2, width_, height_);
    }
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TScrollingWinControl::CreateParams(params);
    if (parent_ || ParentWindow()) return;
    params.Style &= ~(WS_CHILD | WS_TABSTOP);
    params.Style |= WS_CLIPCHILDREN;
    params.WndParent = nullptr;
    // The screen under a shown form is kept, so that closing it puts back what it covered instead
    // of repainting every window below.
    params.WindowClass.style |= CS_SAVEBITS;
    const bool caption = borderStyle_ != bsNone;
    switch (borderStyle_) {
        case bsNone:
            params.Style |= WS_POPUP;
            break;
        case bsSingle:
            params.Style |= WS_CAPTION | WS_BORDER;
            break;
        case bsSizeable:
            params.Style |= WS_CAPTION | WS_THICKFRAME;
            break;
        case bsDialog:
            params.Style |= WS_POPUP | WS_CAPTION;
            params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            break;
        case bsToolWindow:
            params.Style |= WS_CAPTION;
            params.ExStyle |= WS_EX_TOOLWINDOW;
            break;
        case bsSizeToolWin:
            params.Style |= WS_CAPTION | WS_THICKFRAME;
            params.ExStyle |= WS_EX_TOOLWINDOW;
            break;
    }
    if (caption && borderIcons_.Contains(biSystemMenu)) {
        params.Style |= WS_SYSMENU;
        const bool plain = borderStyle_ == bsSingle || borderStyle_ == bsSizeable;
        if (plain && borderIcons_.Contains(biMinimize)) params.Style |= WS_MINIMIZEBOX;
        if (plain && borderIcons_.Contains(biMaximize)) params.Style |= WS_MAXIMIZEBOX;
        if (borderIcons_.Contains(biHelp)) params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (formStyle_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
    if (position_ == poDefault || position_ == poDefaultPosOnly) params.X = params.Y = CW_USEDEFAULT;
    if (position_ == poDefault || position_ == poDefaultSizeOnly)
        params.Width = params.Height = CW_USEDEFAULT;
}

void TCustomForm::CreateWnd() {
    TScrollingWinControl::CreateWnd();
    SetWindowMenu();
}

void TCustomForm::DestroyWnd() {
    active_ = false;
    TScrollingWinControl::DestroyWnd();
}

void TCustomForm::SetMenuComponent(TComponent* value) {
    if (value == menu_) return;
    if (value) {
        TClass menuClass = GetClass("TMainMenu");
        if (!menuClass || !value->InheritsFrom(menuClass))
            throw EInvalidCast(Format("%s is not a main menu", {std::string(value->ClassName())}));
    }
    ReplaceLink(this, menu_, value);
    MenuChanged();
}

void TCustomForm::MenuChanged() {
    if (HandleAllocated()) SetWindowMenu();
}

void TCustomForm::SetWindowMenu() {
    if (parent_) return;
    HMENU menu = menu_ && MenuHooks().menuHandle ? MenuHooks().menuHandle(menu_) : nullptr;
    const HWND window = Handle();
    if (::win32::GetMenu(window) != menu) ::win32::SetMenu(window, menu);
    DrawMenuBar(window);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (activeControl_ == control) {
        // The window may have lost the focus under it (recreated, or focus moved by the platform).
        if (control && !IsLoading() && active_ && !control->Focused()) SetWindowFocus();
        return;
    }
    if (control &&
        (control == this || GetParentForm(control) != this || (!IsLoading() && !control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = control;
    if (!IsLoading() && active_) SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
    if (!HandleAllocated()) return;
    HWND target = activeControl_ && activeControl_->CanFocus() ? activeControl_->Handle() : Handle();
    if (::win32::GetFocus() != target) ::win32::SetFocus(target);
}

void TCustomForm::FocusControl(TWinControl* control) {
    const bool wasActive = active_;
    SetActiveControl(control);
    if (!wasActive) SetFocus();
}

void TCustomForm::SetFocus() {
    if (active_) return;
    if (!Visible() || !Enabled()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetWindowFocus();
}

bool TCustomForm::CanFocus() const {
    return Visible() && Enabled();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
    if (!control || control->ControlState().Contains(csFocusing)) return false;
    activeControl_ = control != this ? control : nullptr;
    if (Screen) {
        Screen->SetActiveForm(this);
        Screen->SetActiveControl(control);
    }
    control->controlState_.Include(csFocusing);
    const ScopeExit done([control] { control->controlState_.Exclude(csFocusing); });
    if (!active_) {
        active_ = true;
        Perform(CM_ACTIVATE, 0, 0);
    }
    if (!focusedControl_) focusedControl_ = this;
    if (focusedControl_ != control) {
        while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
            TWinControl* leaving = focusedControl_;
            focusedControl_ = focusedControl_->Parent();
            leaving->Perform(CM_EXIT, 0, 0);
            if (GetParentForm(control) != this) break;
        }
        if (!focusedControl_) focusedControl_ = this;
        while (focusedControl_ != control) {
            TWinControl* entering = control;
            while (entering->Parent() && entering->Parent() != focusedControl_)
                entering = entering->Parent();
            if (entering->Parent() != focusedControl_) break;
            focusedControl_ = entering;
            entering->Perform(CM_ENTER, 0, 0);
        }
        for (TWinControl* parent = control->Parent(); parent; parent = parent->Parent())
            if (auto* scrolling = dynamic_cast<TScrollingWinControl*>(parent);
                scrolling && scrolling->AutoScroll())
                scrolling->ScrollInView(control);
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    }
    return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
    if (!control) return;
    if (removing && focusedControl_ && control->ContainsControl(focusedControl_))
        focusedControl_ = control->Parent();
    if (activeControl_ && control->ContainsControl(activeControl_)) {
        activeControl_ = nullptr;
        if (active_ && HandleAllocated() && !IsDestroying()) ::win32::SetFocus(Handle());
    }
}

void TCustomForm::SetActive(bool value) {
    if (value) {
        if (!activeControl_ && !Designing()) activeControl_ = FindNextControl(nullptr, true, true, false);
        SetWindowFocus();
        if (Application && !Application->Active()) Application->DoActivate(true);
    } else {
        if (active_) {
            active_ = false;
            Perform(CM_DEACTIVATE, 0, 0);
        }
    }
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomForm::PaintWindow(HDC dc) {
    const TCanvasPaintScope scope(canvas_.get(), dc);
    canvas_->Font()->Assign(Font());
    canvas_->Brush()->SetColor(Color());
    Paint();
}

void TCustomForm::Show() {
    SetVisible(true);
    if (HandleAllocated() && !parent_) BringWindowToTop(Handle());
}

void TCustomForm::Hide() {
    SetVisible(false);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
    if (formState_.Contains(fsModal)) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
        case caHide:
            Hide();
            break;
        case caMinimize:
            SetWindowState(wsMinimized);
            break;
        case caFree:
            Release();
            break;
        case caNone:
            break;
    }
}

void TCustomForm::Release() {
    if (HandleAllocated())
        PostMessage(Handle(), CM_RELEASE, 0, 0);
    else
        DestroyForm();
}

void TCustomForm::SetModalResult(TModalResult value) {
    modalResult_ = value;
    // Wakes the modal loop when the answer came from outside a message.
    if (value != mrNone && formState_.Contains(fsModal) && HandleAllocated())
        PostMessage(Handle(), WM_NULL, 0, 0);
}

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone) modalResult_ = mrNone;
        if (action == caFree) Release();
    } catch (...) {
        modalResult_ = mrNone;
        if (Application) Application->HandleException(this);
    }
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || formState_.Contains(fsModal) || formStyle_ == fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    formState_.Include(fsModal);
    TCustomForm* previousActive = Screen ? Screen->ActiveForm() : nullptr;
    // Every other window of the application is disabled while the modal form runs.
    disabledWindows_.clear();
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* list = reinterpret_cast<std::vector<HWND>*>(data);
            if (IsWindowVisible(window) && IsWindowEnabled(window)) list->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabledWindows_));
    auto restore = [this, previousActive] {
        for (HWND window : disabledWindows_)
            if (IsWindow(window)) EnableWindow(window, TRUE);
        disabledWindows_.clear();
        formState_.Exclude(fsModal);
        if (Application) --Application->modalLevel_;
        if (previousActive && Screen && Screen->FormCount() > 0) {
            for (Integer i = 0; i < Screen->FormCount(); ++i)
                if (Screen->Forms(i) == previousActive && previousActive->HandleAllocated() &&
                    previousActive->Visible()) {
                    ::win32::SetActiveWindow(previousActive->Handle());
                    break;
                }
        }
    };
    if (Application) ++Application->modalLevel_;
    const ScopeExit leaveModal(restore);
    // A failure hides the form too; what Hide throws then gives way to the first error.
    ScopeExit hideOnFailure([this] { Hide(); });
    for (HWND window : disabledWindows_)
        EnableWindow(window, FALSE);
    Show();
    modalResult_ = mrNone;
    const std::string loopName = Name().empty() ? std::string(ClassName()) : Name();
    auto done = [this] {
        if (Application && Application->Terminated()) modalResult_ = mrCancel;
        if (modalResult_ == mrNone && !Visible()) modalResult_ = mrCancel;
        if (modalResult_ != mrNone) CloseModal();
        return modalResult_ != mrNone;
    };
    if (Application) Application->EnsureMessageFilter();
    if (!RunModalLoop(loopName, done, kApplicationLoop)) {
        if (Application) Application->terminated_ = true;
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
    }
    const TModalResult result = modalResult_;
    Hide();
    hideOnFailure.Dismiss();
    return result;
}

std::unique_ptr<TBitmap> TCustomForm::GetFormImage() {
    auto bitmap = std::make_unique<TBitmap>();
    const TRect client = ClientRect();
    bitmap->SetSize(client.right, client.bottom);
    if (bitmap->Empty()) return bitmap;
    HDC dc = bitmap->Canvas()->Handle();
    {
        TCanvas* canvas = bitmap->Canvas();
        canvas->Lock();
        const ScopeExit unlock([canvas] { canvas->Unlock(); });
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        for (Integer i = 0; i < ControlCount(); ++i)
            if (auto* child = dynamic_cast<TWinControl*>(Controls(i)); child && child->Visible())
                child->PaintTo(dc, child->Left(), child->Top());
    }
    return bitmap;
}

bool TCustomForm::IsShortCut(TMessage& message) {
    bool handled = false;
    if (OnShortCut) OnShortCut(message, handled);
    if (handled) return true;
    if (menu_ && MenuHooks().isShortCut) {
        const TShortCut shortCut =
            ShortCut(static_cast<Word>(message.WParam), KeyDataToShiftState(message.LParam));
        if (shortCut != scNone && MenuHooks().isShortCut(menu_, shortCut)) return true;
    }
    return false;
}

void TCustomForm::HandleClose(TMessage& message) {
    Close();
    message.Result = 0;
}

void TCustomForm::HandleActivate(TMessage& message) {
    SetActive(LOWORD(message.WParam) != WA_INACTIVE);
    message.Result = 0;
}

void TCustomForm::VisibleChanged() {
    if (Visible())
        formState_.Include(fsVisible);
    else
        formState_.Exclude(fsVisible);
}

void TCustomForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_CLOSE:
            HandleClose(message);
            return;
        case WM_ACTIVATE:
            if (!parent_) {
                HandleActivate(message);
                return;
            }
            break;
        case CM_ACTIVATE:
            formState_.Include(fsActivated);
            Activate();
            return;
        case CM_DEACTIVATE:
            Deactivate();
            return;
        case CM_RELEASE:
            DestroyForm();
            return;
        case CM_VISIBLECHANGED:
            VisibleChanged();
            break;
        case CM_SHOWINGCHANGED:
            if (parent_) break;
            if (Showing()) {
                if (!positionApplied_) {
                    positionApplied_ = true;
                    ApplyPosition();
                }
                DoShow();
                ApplyWindowState();
            } else {
                DoHide();
                if (active_) SetActive(false);
                ShowWindow(Handle(), SW_HIDE);
            }
            return;
        case CM_DIALOGKEY:
            if (GetKeyState(VK_MENU) >= 0) {
                const auto key = static_cast<int>(message.WParam);
                if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
                    SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
                    message.Result = 1;
                    return;
                }
                if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
                    if (activeControl_ && activeControl_->Parent()) {
                        activeControl_->Parent()->SelectNext(activeControl_,
                                                             key == VK_RIGHT || key == VK_DOWN, false);
                        message.Result = 1;
                    }
                    return;
                }
            }
            break;
        case WM_SYSCOMMAND:
            // The main form stands for the application: minimizing it minimizes the application.
            if (Application && Application->MainForm() == this && HandleAllocated()) {
                const WPARAM command = message.WParam & 0xFFF0;
                if (command == SC_MINIMIZE) {
                    Application->Minimize();
                    message.Result = 0;
                    return;
                }
                if (command == SC_RESTORE && IsIconic(Handle())) {
                    Application->Restore();
                    message.Result = 0;
                    return;
                }
            }
            break;
        case WM_SIZE:
            if (!parent_) {
                if (message.WParam == SIZE_MINIMIZED)
                    windowState_ = wsMinimized;
                else if (message.WParam == SIZE_MAXIMIZED)
                    windowState_ = wsMaximized;
                else if (message.WParam == SIZE_RESTORED && IsWindowVisible(Handle()))
                    windowState_ = wsNormal;
            }
            break;
        case WM_COMMAND:
            if (message.LParam == 0 && menu_ && MenuHooks().dispatchCommand &&
                MenuHooks().dispatchCommand(menu_, LOWORD(message.WParam))) {
                message.Result = 0;
                return;
            }
            break;
        case WM_INITMENUPOPUP:
            if (menu_ && MenuHooks().initPopup)
                MenuHooks().initPopup(menu_, reinterpret_cast<HMENU>(message.WParam));
            break;
        default:
            break;
    }
    TScrollingWinControl::WndProc(message);
}

}  // namespace vcl
