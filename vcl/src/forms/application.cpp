// The application and screen objects, hint windows and the hint machinery.
#include <algorithm>
#include <iostream>

#include "controls/controls_internal.h"
#include "vcl/forms.h"
#include "win32/fonts.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;
using vcl::Screen;

namespace detail {
int ApplicationLoopCode();
}

namespace {

constexpr UINT_PTR kHintTimer = 1;

enum class HintTimerMode : uint8_t { show, hide };
HintTimerMode hintTimerMode = HintTimerMode::show;
TControl* mouseControl = nullptr;

// The control whose hint applies: the nearest one up the parents that shows hints.
TControl* GetHintControl(TControl* control) {
    while (control && !control->ShowHint())
        control = control->Parent();
    return control;
}

std::string GetHint(TControl* control) {
    while (control && control->Hint().empty())
        control = control->Parent();
    return control ? control->Hint() : std::string();
}

}  // namespace

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

void detail::FreeAllForms() {
    if (!Screen) return;
    for (Integer guard = 0; Screen->FormCount() > 0 && guard < 10000; ++guard) {
        TCustomForm* form = Screen->Forms(Screen->FormCount() - 1);
        // A form owned by another form goes with its owner.
        TComponent* top = form;
        while (top->Owner() && top->Owner() != Application && dynamic_cast<TCustomForm*>(top->Owner()))
            top = top->Owner();
        if (auto* topForm = dynamic_cast<TCustomForm*>(top))
            topForm->DestroyForm();
        else
            form->Free();
    }
}

namespace {
bool created = [] {
    Application = new TApplication(nullptr);
    Screen = new TScreen(nullptr);
    RegisterClass(THintWindow::StaticClass());
    testing::AddResetHook([] {
        detail::FreeAllForms();
        mouseControl = nullptr;
        Application->ResetState();
        Screen->ResetState();
        detail::CaptureControlRef() = nullptr;
    });
    return true;
}();
}  // namespace

namespace detail {

void ApplicationForgetControl(TControl* control) {
    if (mouseControl == control) mouseControl = nullptr;
    if (!Application) return;
    if (Application->hintControl_ == control) {
        Application->hintControl_ = nullptr;
        Application->StopHintTimer();
    }
    if (Application->hintWindow_ == control) Application->hintWindow_ = nullptr;
}

void ScreenForgetControl(TControl* control) {
    if (!Screen) return;
    if (Screen->activeControl_ == control) Screen->activeControl_ = nullptr;
}

void TrackMouseControl() {
    POINT pos{};
    GetCursorPos(&pos);
    TControl* control = GetCaptureControl();
    if (!control) control = FindDragTarget(pos, true);
    if (control == mouseControl) return;
    TControl* previous = mouseControl;
    mouseControl = control;
    if (previous) previous->Perform(CM_MOUSELEAVE, 0, 0);
    // The leave handler may have freed the new control.
    if (mouseControl == control && control) control->Perform(CM_MOUSEENTER, 0, 0);
    if (Application && mouseControl == control) Application->SetHint(GetLongHint(GetHint(control)));
}

}  // namespace detail

std::string GetShortHint(std::string_view hint) {
    const size_t bar = hint.find('|');
    return std::string(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

std::string GetLongHint(std::string_view hint) {
    const size_t bar = hint.find('|');
    return std::string(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

// ---------------------------------------------------------------------------------------------
// THintWindow

VCL_DEFINE_CLASS(THintWindow, TCustomControl)

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    SetColor(clInfoBk);
    Font()->Assign(Screen ? Screen->HintFont() : Font());
    visible_ = false;
}

void THintWindow::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    params.WndParent = nullptr;
    params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(Integer maxWidth, const std::string& hint, void*) {
    Canvas()->Font()->Assign(Font());
    TRect rect =
        TextMeasure(Font()).TextRect(hint, Rect(0, 0, maxWidth, 0), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    rect.right += 6;
    rect.bottom += 2;
    return rect;
}

void THintWindow::ActivateHint(TRect rect, const std::string& hint) {
    SetCaption(hint);
    const Integer screenWidth = Screen ? Screen->Width() : rect.right;
    if (rect.right > screenWidth) {
        const Integer shift = rect.right - screenWidth;
        rect.left -= shift;
        rect.right -= shift;
    }
    if (rect.left < 0) {
        rect.right -= rect.left;
        rect.left = 0;
    }
    ShowAt(rect);
}

void THintWindow::ShowAt(const TRect& rect) {
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    HandleNeeded();
    SetWindowPos(Handle(), HWND_TOPMOST, rect.left, rect.top, width_, height_,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    visible_ = true;
    Invalidate();
}

void THintWindow::ActivateHintData(TRect rect, const std::string& hint, void*) {
    ActivateHint(rect, hint);
}

void THintWindow::ReleaseHandle() {
    visible_ = false;
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

bool THintWindow::IsHintShowing() const {
    return visible_;
}

void THintWindow::Paint() {
    TRect rect = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(rect);
    rect.left += 2;
    rect.top += 1;
    Canvas()->Font()->SetColor(clInfoText);
    SetBkMode(Canvas()->Handle(), TRANSPARENT);
    const std::string text = Caption();
    DrawText(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
             DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::WndProc(TMessage& message) {
    if (message.Msg == WM_NCHITTEST) {
        message.Result = HTTRANSPARENT;
        return;
    }
    TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TApplication

VCL_DEFINE_CLASS(TApplication, TComponent)

TApplication::TApplication(TComponent* owner) : TComponent(owner), icon_(std::make_unique<TIcon>()) {
    hintWindowClass_ = THintWindow::StaticClass();
    exeName_ = "zyl";
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
}

TApplication::~TApplication() {
    if (objectInstance_) FreeObjectInstance(objectInstance_);
}

HWND TApplication::Handle() {
    if (handle_ && IsWindow(handle_)) return handle_;
    static constexpr char kClassName[] = "TApplication";
    WNDCLASS existing{};
    if (!GetClassInfo(nullptr, kClassName, &existing)) {
        WNDCLASS cls{};
        cls.lpfnWndProc = DefWindowProc;
        cls.lpszClassName = kClassName;
        RegisterClass(&cls);
    }
    handle_ = CreateWindowEx(WS_EX_TOOLWINDOW, kClassName, title_.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                             0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!handle_) throw EOutOfResources("Error creating the application window");
    if (!objectInstance_)
        objectInstance_ = MakeObjectInstance([this](TMessage& message) {
            try {
                WndProc(message);
            } catch (...) {
                HandleException(this);
            }
        });
    SetWindowLongPtr(handle_, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(objectInstance_));
    return handle_;
}

void TApplication::SetTitle(const std::string& value) {
    title_ = value;
    if (handle_ && IsWindow(handle_)) SetWindowText(handle_, value.c_str());
}

void TApplication::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_TIMER:
            if (message.WParam == kHintTimer) {
                HintTimerExpired();
                return;
            }
            break;
        case WM_ACTIVATEAPP:
            DoActivate(message.WParam != 0);
            break;
        case WM_ACTIVATE:
            // Another program activates the hidden application window to bring the application
            // forward (a second copy of it that found the first, say): the main form takes over.
            if (LOWORD(message.WParam) != WA_INACTIVE) PostMessage(handle_, CM_ACTIVATE, 0, 0);
            break;
        case CM_ACTIVATE:
            BringMainFormForward();
            return;
        case WM_SYSCOMMAND:
            if ((message.WParam & 0xFFF0) == SC_MINIMIZE) {
                Minimize();
                return;
            }
            if ((message.WParam & 0xFFF0) == SC_RESTORE) {
                Restore();
                return;
            }
            break;
        case WM_CLOSE:
            if (mainForm_) mainForm_->Close();
            return;
        default:
            break;
    }
    message.Result = DefWindowProc(handle_, message.Msg, message.WParam, message.LParam);
}

TComponent* TApplication::CreateForm(TClass formClass) {
    if (!formClass || !formClass->InheritsFrom(TComponent::StaticClass()) || !formClass->createComponent)
        throw EInvalidCast("CreateForm needs a component class");
    TComponent* instance = formClass->createComponent(this);
    if (auto* form = dynamic_cast<TCustomForm*>(instance)) {
        if (!form->createDone_) {
            try {
                form->DoCreate();
            } catch (...) {
                HandleException(form);
            }
        }
        if (!mainForm_) {
            form->HandleNeeded();
            mainForm_ = form;
        }
    }
    return instance;
}

void TApplication::EnsureMessageFilter() {
    if (messageFilter_) return;
    messageFilter_ =
        SetWindowsHookEx(WH_MSGFILTER, &TApplication::MessageFilter, nullptr, GetCurrentThreadId());
}

LRESULT TApplication::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == detail::ApplicationLoopCode() && Application && lParam) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        bool handled = false;
        try {
            if (Application->OnMessage) Application->OnMessage(*msg, handled);
            if (!handled) Application->IsHintMsg(*msg);
            if (!handled) handled = Application->IsKeyMsg(*msg);
        } catch (...) {
            Application->HandleException(Application);
            handled = true;
        }
        if (handled) return 1;
    }
    return CallNextHookEx(Application ? Application->messageFilter_ : nullptr, code, wParam, lParam);
}

bool TApplication::IsKeyMsg(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    HWND window = GetCapture();
    if (!window) window = msg.hwnd;
    if (!window) return false;
    const UINT notification = CN_BASE + msg.message;
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR &&
        msg.message != WM_SYSKEYDOWN && msg.message != WM_SYSKEYUP && msg.message != WM_SYSCHAR)
        return false;
    // A window inside a control that the framework did not make answers through that control.
    HWND target = window;
    while (target && !FindControl(target))
        target = GetParent(target);
    if (!target) return false;
    return SendMessage(target, notification, msg.wParam, msg.lParam) != 0;
}

bool TApplication::IsHintMsg(const MSG& msg) {
    if (!hintShowing_) return false;
    const UINT m = msg.message;
    if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN ||
        m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN || m == WM_ACTIVATE || m == WM_MOUSEWHEEL)
        CancelHint();
    return false;
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    try {
        if (OnMessage) OnMessage(msg, handled);
        IsHintMsg(msg);
        if (!handled) handled = IsKeyMsg(msg);
    } catch (...) {
        HandleException(this);
        handled = true;
    }
    if (!handled) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
        try {
            detail::TrackMouseControl();
        } catch (...) {
            HandleException(this);
        }
    }
    return true;
}

void TApplication::ProcessMessages() {
    EnsureMessageFilter();
    MSG msg{};
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Idle(const MSG&) {
    try {
        detail::TrackMouseControl();
        // The pointer left the application's windows: no control is there to say so.
        if (!mouseControl && hintControl_) CancelHint();
        bool done = true;
        if (OnIdle) OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::HandleMessage() {
    EnsureMessageFilter();
    MSG msg{};
    if (!ProcessMessage(msg)) {
        Idle(msg);
        if (!testing::ManualClock() && !PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) WaitMessage();
    }
}

void TApplication::Run() {
    if (running_) return;
    const ScopedValue running(running_, true);
    if (!mainForm_) return;
    if (showMainForm_) mainForm_->SetVisible(true);
    EnsureMessageFilter();
    auto done = [this] {
        MSG peek{};
        if (!terminated_ && !PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE)) Idle(peek);
        return terminated_;
    };
    if (!RunModalLoop("Application.Run", done, detail::ApplicationLoopCode())) {
        terminated_ = true;
        MSG quit{};
        PeekMessage(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_RESTORE);
    if (OnRestore) OnRestore(this);
}

void TApplication::BringMainFormForward() {
    if (!mainForm_ || !mainForm_->HandleAllocated()) return;
    const HWND main = mainForm_->Handle();
    if (IsIconic(main)) Restore();
    if (IsWindowVisible(main)) SetForegroundWindow(main);
}

void TApplication::BringToFront() {
    if (mainForm_ && mainForm_->HandleAllocated()) BringWindowToTop(mainForm_->Handle());
}

void TApplication::DoActivate(bool active) {
    if (active_ == active) return;
    active_ = active;
    if (active && OnActivate) OnActivate(this);
    if (!active && OnDeactivate) OnDeactivate(this);
}

// Exceptions

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr error = std::current_exception();
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        HandleException(sender, e);
    } catch (const std::exception& e) {
        HandleException(sender, e);
    } catch (...) {
        HandleException(sender, Exception("Unknown exception"));
    }
}

void TApplication::HandleException(TObject* sender, const std::exception& error) {
    const auto* framework = dynamic_cast<const Exception*>(&error);
    const Exception converted(error.what());
    const Exception& e = framework ? *framework : converted;
    if (dynamic_cast<const EAbort*>(&error)) return;
    try {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
        // A failing handler must not take the message loop down: record what it threw instead.
        exceptionLog_.push_back("Exception in the exception handler");
    }
}

void TApplication::ShowException(const Exception& error) {
    std::string text = error.Message();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    exceptionLog_.push_back(text);
    std::cerr << (title_.empty() ? exeName_ : title_) << ": " << text << '\n';
}

// Hints

void TApplication::SetHint(const std::string& value) {
    if (hint_ == value) return;
    hint_ = value;
    if (OnHint) OnHint(this);
}

void TApplication::SetShowHint(bool value) {
    if (showHint_ == value) return;
    showHint_ = value;
    if (!value) CancelHint();
}

void TApplication::SetHintColor(TColor value) {
    hintColor_ = value;
    if (hintWindow_) hintWindow_->SetColor(value);
}

void TApplication::SetHintWindowClass(THintWindowClass value) {
    if (!value || !value->InheritsFrom(THintWindow::StaticClass()) || !value->createComponent)
        throw EInvalidCast("The hint window class must descend from THintWindow");
    if (hintWindowClass_ == value) return;
    hintWindowClass_ = value;
    if (hintWindow_) {
        THintWindow* old = hintWindow_;
        hintWindow_ = nullptr;
        hintShowing_ = false;
        old->Free();
    }
}

THintWindow* TApplication::HintWindow() const {
    return hintShowing_ ? hintWindow_ : nullptr;
}

void TApplication::StartHintTimer(Integer delay) {
    StopHintTimer();
    if (SetTimer(Handle(), kHintTimer, static_cast<UINT>(std::max(1, delay)), nullptr))
        hintTimerRunning_ = true;
}

void TApplication::StopHintTimer() {
    if (!hintTimerRunning_) return;
    hintTimerRunning_ = false;
    if (handle_ && IsWindow(handle_)) KillTimer(handle_, kHintTimer);
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
    if (!control || Designing()) return;
    const TPoint local = Point(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    const TPoint screen = control->ClientToScreen(local);
    TControl* target = FindDragTarget(screen, true);
    TControl* hintControl = GetHintControl(target ? target : control);
    if (!hintControl || !showHint_ || GetShortHint(GetHint(hintControl)).empty()) {
        CancelHint();
        return;
    }
    const TPoint inHint = hintControl->ScreenToClient(screen);
    const bool inRect = inHint.x >= hintCursorRect_.left && inHint.x < hintCursorRect_.right &&
                        inHint.y >= hintCursorRect_.top && inHint.y < hintCursorRect_.bottom;
    if (hintControl != hintControl_ || !inRect) {
        const bool wasActive = hintActive_;
        CancelHint();
        hintControl_ = hintControl;
        hintCursorRect_ = hintControl->ClientRect();
        hintTimerMode = HintTimerMode::show;
        StartHintTimer(wasActive ? hintShortPause_ : hintPause_);
    }
}

void TApplication::HintTimerExpired() {
    StopHintTimer();
    if (hintTimerMode == HintTimerMode::hide) {
        HideHint();
        return;
    }
    POINT pos{};
    GetCursorPos(&pos);
    ActivateHint(pos);
}

void TApplication::ActivateHint(TPoint cursorPos) {
    if (!hintControl_) return;
    THintInfo info;
    info.HintControl = hintControl_;
    info.HintWindowClass = hintWindowClass_;
    info.HintPos = Point(cursorPos.x, cursorPos.y + 20);
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.HintColor = hintColor_;
    info.CursorRect = hintControl_->ClientRect();
    info.CursorPos = hintControl_->ScreenToClient(cursorPos);
    info.HideTimeout = hintHidePause_;
    info.HintStr = GetShortHint(GetHint(hintControl_));
    bool canShow = hintControl_->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
    hintActive_ = canShow;
    if (!canShow || info.HintStr.empty()) {
        HideHint();
        return;
    }
    TClass windowClass = info.HintWindowClass &&
                                 info.HintWindowClass->InheritsFrom(THintWindow::StaticClass()) &&
                                 info.HintWindowClass->createComponent
                             ? info.HintWindowClass
                             : hintWindowClass_;
    if (hintWindow_ && hintWindow_->ClassType() != windowClass) {
        hintWindow_->Free();
        hintWindow_ = nullptr;
    }
    if (!hintWindow_) hintWindow_ = static_cast<THintWindow*>(windowClass->createComponent(this));
    hintWindow_->SetColor(info.HintColor);
    TRect rect = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    OffsetRect(&rect, info.HintPos.x, info.HintPos.y);
    hintWindow_->ActivateHintData(rect, info.HintStr, info.HintData);
    hintShowing_ = true;
    hintCursorRect_ = info.CursorRect;
    if (info.HideTimeout > 0) {
        hintTimerMode = HintTimerMode::hide;
        StartHintTimer(info.HideTimeout);
    }
}

void TApplication::HideHint() {
    if (hintWindow_) hintWindow_->ReleaseHandle();
    hintShowing_ = false;
}

void TApplication::CancelHint() {
    StopHintTimer();
    HideHint();
    hintActive_ = false;
    hintControl_ = nullptr;
    hintCursorRect_ = TRect{0, 0, 0, 0};
}

// Help

bool TApplication::HelpCommand(Word command, Integer data) {
    bool callHelp = true;
    bool result = false;
    if (OnHelp) result = OnHelp(command, data, callHelp);
    if (callHelp) {
        helpRequests_.push_back(THelpRequest{command, data, helpFile_});
        result = !helpFile_.empty();
    }
    return result;
}

bool TApplication::HelpContext(Integer context) {
    constexpr Word kHelpContext = 0x0001;
    return HelpCommand(kHelpContext, context);
}

bool TApplication::HelpJump(const std::string& jumpId) {
    constexpr Word kHelpKey = 0x0101;
    helpRequests_.push_back(THelpRequest{kHelpKey, 0, helpFile_ + ">" + jumpId});
    return !helpFile_.empty();
}

void TApplication::ResetState() {
    CancelHint();
    if (hintWindow_) {
        hintWindow_->Free();
        hintWindow_ = nullptr;
    }
    while (ComponentCount() > 0)
        Components(ComponentCount() - 1)->Free();
    mainForm_ = nullptr;
    if (handle_ && IsWindow(handle_)) DestroyWindow(handle_);
    handle_ = nullptr;
    if (messageFilter_) UnhookWindowsHookEx(messageFilter_);
    messageFilter_ = nullptr;
    title_.clear();
    helpFile_.clear();
    icon_ = std::make_unique<TIcon>();
    showMainForm_ = true;
    terminated_ = false;
    active_ = false;
    running_ = false;
    modalLevel_ = 0;
    exceptionLog_.clear();
    helpRequests_.clear();
    hint_.clear();
    showHint_ = true;
    hintColor_ = clInfoBk;
    hintPause_ = 500;
    hintShortPause_ = 50;
    hintHidePause_ = 2500;
    hintWindowClass_ = THintWindow::StaticClass();
    hintActive_ = hintTimerRunning_ = hintShowing_ = false;
    hintControl_ = nullptr;
    OnActivate = nullptr;
    OnDeactivate = nullptr;
    OnException = nullptr;
    OnHint = nullptr;
    OnIdle = nullptr;
    OnMessage = nullptr;
    OnMinimize = nullptr;
    OnRestore = nullptr;
    OnShowHint = nullptr;
    OnHelp = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TScreen

VCL_DEFINE_CLASS(TScreen, TComponent)

TScreen::TScreen(TComponent* owner)
    : TComponent(owner),
      hintFont_(std::make_unique<TFont>()),
      iconFont_(std::make_unique<TFont>()),
      menuFont_(std::make_unique<TFont>()) {}

TScreen::~TScreen() = default;

Integer TScreen::Width() const {
    return GetSystemMetrics(SM_CXSCREEN);
}

Integer TScreen::Height() const {
    return GetSystemMetrics(SM_CYSCREEN);
}

TRect TScreen::WorkAreaRect() const {
    RECT rect{0, 0, Width(), Height()};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &rect, 0);
    return rect;
}

TStrings* TScreen::Fonts() {
    if (!fonts_) {
        auto list = std::make_unique<TStringList>();
        list->SetSorted(true);
        list->SetDuplicates(TDuplicates::dupIgnore);
        HDC dc = GetDC(nullptr);
        EnumFontFamilies(
            dc, nullptr,
            [](const LOGFONT* font, const TEXTMETRIC*, DWORD, LPARAM data) -> int {
                reinterpret_cast<TStringList*>(data)->Add(font->lfFaceName);
                return 1;
            },
            reinterpret_cast<LPARAM>(list.get()));
        ReleaseDC(nullptr, dc);
        fonts_ = std::move(list);
    }
    return fonts_.get();
}

void TScreen::SetCursor(TCursor value) {
    if (cursor_ == value) return;
    cursor_ = value;
    if (value != crDefault) win32::SetCursor(Cursors(value));
}

HCURSOR TScreen::Cursors(Integer index) const {
    for (const auto& [id, handle] : cursors_)
        if (id == index) return handle;
    const char* name = IDC_ARROW;
    switch (index) {
        case crNone:
            return nullptr;
        case crCross:
            name = IDC_CROSS;
            break;
        case crIBeam:
            name = IDC_IBEAM;
            break;
        case crSizeNESW:
            name = IDC_SIZENESW;
            break;
        case crSizeNS:
            name = IDC_SIZENS;
            break;
        case crSizeNWSE:
            name = IDC_SIZENWSE;
            break;
        case crSizeWE:
            name = IDC_SIZEWE;
            break;
        case crUpArrow:
            name = IDC_UPARROW;
            break;
        case crHourGlass:
            name = IDC_WAIT;
            break;
        case crNo:
            name = IDC_NO;
            break;
        case crAppStart:
            name = IDC_APPSTARTING;
            break;
        case crHelp:
            name = IDC_HELP;
            break;
        case crHandPoint:
            name = IDC_HAND;
            break;
        case crSizeAll:
            name = IDC_SIZEALL;
            break;
        default:
            break;
    }
    return LoadCursor(nullptr, name);
}

void TScreen::SetCursors(Integer index, HCURSOR handle) {
    for (auto& entry : cursors_)
        if (entry.first == index) {
            entry.second = handle;
            return;
        }
    cursors_.emplace_back(index, handle);
}

TCustomForm* TScreen::Forms(Integer index) const {
    if (index < 0 || index >= FormCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
    return forms_[static_cast<size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form) {
    forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (activeForm_ == form) {
        activeForm_ = nullptr;
        activeControl_ = nullptr;
        if (OnActiveFormChange) OnActiveFormChange(this);
    }
}

void TScreen::SetActiveForm(TCustomForm* form) {
    if (activeForm_ == form) return;
    activeForm_ = form;
    // The active form is the first in the list, as the system's z-order is.
    auto it = std::find(forms_.begin(), forms_.end(), form);
    if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
    if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* control) {
    if (activeControl_ == control) return;
    activeControl_ = control;
    if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::ResetState() {
    activeForm_ = nullptr;
    activeControl_ = nullptr;
    cursor_ = crDefault;
    cursors_.clear();
    fonts_.reset();
    OnActiveControlChange = nullptr;
    OnActiveFormChange = nullptr;
}

}  // namespace vcl
