// Forms, scrolling containers, the application object, the screen object and hint windows.
//
// `Application` and `Screen` exist for the whole process; the platform reset (win32::testing::
// ResetPlatform) frees every form still alive and returns both to their fresh state.
// Key messages pass through the application before dispatch in ProcessMessages, HandleMessage, Run
// and ShowModal alike: they reach the focused control as CN_KEYDOWN/CN_CHAR/..., which sends keys the
// control does not want to the form as CM_DIALOGKEY/CM_DIALOGCHAR.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/controls.h"

namespace vcl {

class TMainMenu;
class THintWindow;
class TApplication;

namespace detail {
void ApplicationForgetControl(TControl* control);
void ScreenForgetControl(TControl* control);
void FreeAllForms();
}  // namespace detail

// ---------------------------------------------------------------------------------------------
// Scrolling

class TScrollingWinControl;

// One scroll bar of a scrolling control: Range is the extent of the content, Position the offset of
// the visible part; both follow the children while AutoScroll is on.
class TControlScrollBar : public TPersistent {
    VCL_DECLARE_CLASS(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);

    TScrollBarKind Kind() const { return kind_; }
    TScrollBarInc Increment() const { return increment_; }
    void SetIncrement(TScrollBarInc value);
    Integer Margin() const { return margin_; }
    void SetMargin(Integer value) { margin_ = value; }
    Integer Position() const { return position_; }
    // Clamped to 0 .. Range - client extent; the children move by the difference.
    void SetPosition(Integer value);
    Integer Range() const { return range_; }
    void SetRange(Integer value);
    bool Tracking() const { return tracking_; }
    void SetTracking(bool value) { tracking_ = value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // True when the scroll bar shows (visible and the range exceeds the client extent).
    bool IsScrollBarVisible() const;
    // The position the scroll bar would have to show (the client extent).
    Integer ScrollPos() const { return IsScrollBarVisible() ? position_ : 0; }
    // A range that follows the children is not written: it comes back from them.
    bool IsRangeStored() const;

    void Assign(const TPersistent* source) override;
    TPersistent* GetOwner() const override;

    static void Publish(Published<TControlScrollBar>& p) {
        p.Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement, 8);
        p.Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin, 0);
        p.Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition, 0);
        p.Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange, 0)
            .Stored(&TControlScrollBar::IsRangeStored);
        p.Property("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking, false);
        p.Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true);
    }

private:
    friend class TScrollingWinControl;
    Integer ControlSize() const;
    void Update();
    void ScrollMessage(win32::WPARAM code, Integer thumb);
    void CalcAutoRange();

    TScrollingWinControl* control_;
    TScrollBarKind kind_;
    TScrollBarInc increment_ = 8;
    Integer margin_ = 0;
    Integer position_ = 0;
    Integer range_ = 0;
    bool tracking_ = false;
    bool visible_ = true;
};

class TScrollingWinControl : public TWinControl {
    VCL_DECLARE_CLASS(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* owner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return horzScrollBar_.get(); }
    void SetHorzScrollBar(const TControlScrollBar* value) { horzScrollBar_->Assign(value); }
    TControlScrollBar* VertScrollBar() const { return vertScrollBar_.get(); }
    void SetVertScrollBar(const TControlScrollBar* value) { vertScrollBar_->Assign(value); }
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool value);
    // Scrolls so that the control (a descendant) is fully visible.
    void ScrollInView(TControl* control);
    // Moves every child by the given amounts (the content scrolls).
    void ScrollBy(Integer deltaX, Integer deltaY);
    void WndProc(TMessage& message) override;

    template <typename T>
    static void PublishScrolling(Published<T>& p) {
        p.Property("HorzScrollBar", &TScrollingWinControl::HorzScrollBar);
        p.Property("VertScrollBar", &TScrollingWinControl::VertScrollBar);
        p.Property("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll,
                   true);
    }

protected:
    void AlignControls(TControl* control, TRect& rect) override;
    void CreateWnd() override;
    void Resize() override;
    // Recomputes the ranges from the children and shows or hides the scroll bars.
    void UpdateScrollBars();

private:
    friend class TControlScrollBar;
    std::unique_ptr<TControlScrollBar> horzScrollBar_;
    std::unique_ptr<TControlScrollBar> vertScrollBar_;
    bool autoScroll_ = true;
    bool updatingScrollBars_ = false;
};

class TScrollBox : public TScrollingWinControl {
    VCL_DECLARE_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* owner);

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);

    static void Publish(Published<TScrollBox>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishScrolling(p);
        p.Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, bsSingle);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        PublishEnabled(p);
        PublishFont(p);
        PublishParentColor(p, true);
        PublishParentFont(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
        PublishMouseEvents(p);
        PublishFocusEvents(p);
        PublishOnResize(p);
    }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TBorderStyle borderStyle_ = bsSingle;
};

// ---------------------------------------------------------------------------------------------
// Forms

enum class TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
VCL_ENUM_NAMES(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
using enum TBorderIcon;
using TBorderIcons = Set<TBorderIcon>;

enum class TPosition : uint8_t { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
VCL_ENUM_NAMES(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
               "poScreenCenter")
using enum TPosition;

enum class TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
VCL_ENUM_NAMES(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
using enum TWindowState;

enum class TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
VCL_ENUM_NAMES(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
using enum TFormStyle;

enum class TFormStateFlag : uint8_t {
    fsCreating,
    fsVisible,
    fsShowing,
    fsModal,
    fsCreatedMDIChild,
    fsActivated
};
VCL_ENUM_NAMES(TFormStateFlag, "fsCreating", "fsVisible", "fsShowing", "fsModal", "fsCreatedMDIChild",
               "fsActivated")
using enum TFormStateFlag;
using TFormState = Set<TFormStateFlag>;

enum class TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
VCL_ENUM_NAMES(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")
using enum TCloseAction;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TMessage& Msg, bool& Handled)>;

class TCustomForm : public TScrollingWinControl {
    VCL_DECLARE_CLASS(TCustomForm, TScrollingWinControl)
public:
    explicit TCustomForm(TComponent* owner);
    // Makes a form without reading a form file (the framework's CreateNew).
    TCustomForm(TComponent* owner, int dummy);
    ~TCustomForm() override;

    // Forms are top-level: they have no parent control unless one is set.
    bool HasParent() const override { return false; }
    bool IsSizeStored() const override { return false; }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    TFormState FormState() const { return formState_; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    Integer PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(Integer value) { pixelsPerInch_ = value; }
    Integer TextHeight() const { return textHeight_; }
    void SetTextHeight(Integer value) { textHeight_ = value; }
    bool Active() const { return active_; }

    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(const TIcon* value) { icon_->Assign(value); }
    // The form's canvas (its client area), usable in OnPaint and outside it.
    TCanvas* Canvas() const { return canvas_.get(); }

    // The main menu (a TMainMenu from the menus unit), set on the window as its menu bar.
    TComponent* MenuComponent() const { return menu_; }
    // Raises EInvalidCast for a component that is not a main menu.
    void SetMenuComponent(TComponent* value);
    template <typename M = TMainMenu>
    M* Menu() const {
        return static_cast<M*>(menu_);
    }
    template <typename M>
    void SetMenu(M* value) {
        SetMenuComponent(value);
    }
    // The menus unit calls this after the menu's items changed: the window gets the new menu bar.
    virtual void MenuChanged();

    // Focus within the form
    TWinControl* ActiveControl() const { return activeControl_; }
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window" for a control that
    // cannot take the focus while the form is shown.
    void SetActiveControl(TWinControl* control);
    // Focuses the control (after the form's window exists).
    void FocusControl(TWinControl* control);
    // Moves the focus record to `control`, sending CM_EXIT / CM_ENTER along the parent chains.
    bool SetFocusedControl(TWinControl* control);
    void DefocusControl(TWinControl* control, bool removing);
    bool SetFocusedControlAllowed() const { return true; }

    // Showing and closing
    void Show();
    void Hide();
    void Close();
    virtual bool CloseQuery();
    void Release();
    // Runs a modal loop until ModalResult is set (or the form is hidden); returns ModalResult.
    // The loop is named after the form (Name, else class name) for scripted answers under test.
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value);
    void SetFocus() override;
    bool CanFocus() const override;
    // The client area painted into a new bitmap (the caller owns it).
    std::unique_ptr<TBitmap> GetFormImage();
    // Key shortcuts of the form: OnShortCut, then the main menu.
    virtual bool IsShortCut(TMessage& message);

    void WndProc(TMessage& message) override;
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    TNotifyEvent OnActivate;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TShortCutEvent OnShortCut;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void PaintWindow(win32::HDC dc) override;
    void SetChildOrder(TComponent* child, int order) override;
    void DoEnter() override {}
    void DoExit() override {}
    virtual void Activate();
    virtual void Deactivate();
    virtual void DoClose(TCloseAction& action);
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void Paint();
    // Closes the modal loop's form: asks CloseQuery and runs the close action (hide for a modal form).
    void CloseModal();

private:
    friend class TApplication;
    friend class TScreen;
    friend void detail::FreeAllForms();
    void VisibleChanged();
    void ApplyPosition();
    void ApplyWindowState();
    void HandleClose(TMessage& message);
    void HandleActivate(TMessage& message);
    void SetWindowMenu();
    void SetActive(bool value);
    void SetWindowFocus();
    // Runs OnDestroy (once), then frees the form.
    void DestroyForm();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    TFormStyle formStyle_ = fsNormal;
    TFormState formState_;
    bool keyPreview_ = false;
    bool active_ = false;
    Integer pixelsPerInch_ = 96;
    Integer textHeight_ = 13;
    std::unique_ptr<TIcon> icon_;
    std::unique_ptr<TControlCanvas> canvas_;
    TComponent* menu_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    TModalResult modalResult_ = mrNone;
    bool positionApplied_ = false;
    bool createDone_ = false;
    bool destroyDone_ = false;
    std::vector<win32::HWND> disabledWindows_;
};

class TForm : public TCustomForm {
    VCL_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    TForm(TComponent* owner, int dummy) : TCustomForm(owner, dummy) {}

    static void Publish(Published<TForm>& p) {
        p.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
        PublishAlign(p);
        PublishAnchors(p);
        PublishScrolling(p);
        p.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                   TBorderIcons{biSystemMenu, biMinimize, biMaximize});
        p.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable);
        p.Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0);
        PublishCaption(p);
        p.Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight);
        p.Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth);
        PublishColor(p, clBtnFace);
        PublishCtl3D(p);
        PublishEnabled(p);
        PublishFont(p);
        p.Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal);
        p.Property("Icon", &TCustomForm::Icon);
        p.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false);
        p.Property("Menu", &TCustomForm::MenuComponent, &TCustomForm::SetMenuComponent);
        PublishParentFont(p, false);
        p.Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch);
        PublishPopupMenu(p);
        p.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned);
        PublishShowHint(p);
        p.Property("Visible", &TControl::Visible, &TControl::SetVisible, false);
        p.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState, wsNormal);
        p.Property("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight);
        p.Event<TNotifyEvent>("OnActivate", &TCustomForm::OnActivate);
        PublishMouseEvents(p);
        p.Event<TCloseEvent>("OnClose", &TCustomForm::OnClose);
        p.Event<TCloseQueryEvent>("OnCloseQuery", &TCustomForm::OnCloseQuery);
        p.Event<TNotifyEvent>("OnCreate", &TCustomForm::OnCreate);
        p.Event<TNotifyEvent>("OnDeactivate", &TCustomForm::OnDeactivate);
        p.Event<TNotifyEvent>("OnDestroy", &TCustomForm::OnDestroy);
        p.Event<TNotifyEvent>("OnHide", &TCustomForm::OnHide);
        PublishKeyEvents(p);
        p.Event<TNotifyEvent>("OnPaint", &TCustomForm::OnPaint);
        PublishOnResize(p);
        p.Event<TNotifyEvent>("OnShow", &TCustomForm::OnShow);
    }
};

// ---------------------------------------------------------------------------------------------
// Hints

// The first part of a "short|long" hint, and the second (the whole hint when it has no bar).
std::string GetShortHint(std::string_view hint);
std::string GetLongHint(std::string_view hint);

class THintWindow : public TCustomControl {
    VCL_DECLARE_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* owner);

    // Shows the hint text in `rect` (screen coordinates) on top of everything, without activating.
    virtual void ActivateHint(TRect rect, const std::string& hint);
    virtual void ActivateHintData(TRect rect, const std::string& hint, void* data);
    // The rectangle (at 0, 0) the hint text needs, wrapped at maxWidth.
    virtual TRect CalcHintRect(Integer maxWidth, const std::string& hint, void* data);
    // Hides the hint window.
    void ReleaseHandle();
    bool IsHintShowing() const;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void WndProc(TMessage& message) override;
    // Places the window at `rect` (screen coordinates) and shows it on top of everything without
    // activating it; the contents are painted later.
    void ShowAt(const TRect& rect);
};

using THintWindowClass = TClass;

struct THintInfo {
    TControl* HintControl = nullptr;
    THintWindowClass HintWindowClass = nullptr;
    TPoint HintPos{0, 0};  // screen coordinates
    Integer HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect{0, 0, 0, 0};  // HintControl's client coordinates
    TPoint CursorPos{0, 0};        // HintControl's client coordinates
    Integer ReshowTimeout = 0;
    Integer HideTimeout = 0;
    std::string HintStr;
    void* HintData = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Application

using TMessageEvent = std::function<void(win32::MSG& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using THelpEvent = std::function<bool(Word Command, Integer Data, bool& CallHelp)>;

// A help request recorded for tests (WinHelp is not there to take it).
struct THelpRequest {
    Word command = 0;
    Integer data = 0;
    std::string helpFile;
};

class TApplication : public TComponent {
    VCL_DECLARE_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // The hidden application window (made on demand).
    win32::HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value);
    TIcon* Icon() const { return icon_.get(); }
    void SetIcon(const TIcon* value) { icon_->Assign(value); }
    const std::string& ExeName() const { return exeName_; }
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(const std::string& value) { helpFile_ = value; }

    // Forms
    // Creates a form of `formClass` owned by the application; the first one becomes MainForm.
    TComponent* CreateForm(TClass formClass);
    template <typename T>
    T* CreateForm() {
        return static_cast<T*>(CreateForm(T::StaticClass()));
    }
    TCustomForm* MainForm() const { return mainForm_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool value) { showMainForm_ = value; }
    bool Active() const { return active_; }

    // Message loop
    void Initialize() {}
    // Shows the main form and processes messages until Terminate (the main form's close calls it).
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Processes every waiting message, then returns.
    void ProcessMessages();
    // Processes one message, or idles (OnIdle, hint timing) and waits for one.
    void HandleMessage();
    // Whether the message was for the application (key routing, hints, OnMessage) or dispatched.
    bool ProcessMessage(win32::MSG& msg);
    // Minimize and Restore act on the main form, which stands for the application on the desktop;
    // minimizing or restoring the main form through its system menu comes here too. Each fires
    // its event after the window changed.
    void Minimize();
    void Restore();
    void BringToFront();
    void CancelHint();
    void HideHint();
    void ActivateHint(TPoint cursorPos);
    // Called by controls for every mouse message they receive (hint timing).
    void HintMouseMessage(TControl* control, TMessage& message);

    // Exceptions: OnException if assigned, otherwise ShowException. Never rethrows.
    void HandleException(TObject* sender);
    void HandleException(TObject* sender, const std::exception& error);
    // Records the message (ExceptionLog) and writes it to stderr; never a modal box.
    void ShowException(const Exception& error);
    const std::vector<std::string>& ExceptionLog() const { return exceptionLog_; }
    void ClearExceptionLog() { exceptionLog_.clear(); }

    // Hints
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    TColor HintColor() const { return hintColor_; }
    void SetHintColor(TColor value);
    Integer HintPause() const { return hintPause_; }
    void SetHintPause(Integer value) { hintPause_ = value; }
    Integer HintShortPause() const { return hintShortPause_; }
    void SetHintShortPause(Integer value) { hintShortPause_ = value; }
    Integer HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(Integer value) { hintHidePause_ = value; }
    // A THintWindow descendant (the class registry's class reference).
    THintWindowClass HintWindowClass() const { return hintWindowClass_; }
    // Raises EInvalidCast for a class that does not descend from THintWindow.
    void SetHintWindowClass(THintWindowClass value);
    // The hint window shown now, nullptr when none.
    THintWindow* HintWindow() const;

    // Help
    bool HelpContext(Integer context);
    bool HelpCommand(Word command, Integer data);
    bool HelpJump(const std::string& jumpId);
    const std::vector<THelpRequest>& HelpRequests() const { return helpRequests_; }

    // Notification of a modal form's loop (a running modal form counts in ModalLevel).
    Integer ModalLevel() const { return modalLevel_; }

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TExceptionEvent OnException;
    TNotifyEvent OnHint;
    TIdleEvent OnIdle;
    TMessageEvent OnMessage;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TShowHintEvent OnShowHint;
    THelpEvent OnHelp;

    // Back to the fresh state: forms freed, events cleared, settings at their defaults.
    void ResetState();

protected:
    // Forms and modules the application owns are not told of each other's coming and going, nor is
    // anything they own: a link across forms asks for FreeNotification. So creating or freeing a
    // form costs the same however many forms are open.
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomForm;
    friend class TWinControl;
    friend void detail::ApplicationForgetControl(TControl* control);
    void Idle(const win32::MSG& msg);
    bool IsKeyMsg(win32::MSG& msg);
    bool IsHintMsg(const win32::MSG& msg);
    void WndProc(TMessage& message);
    void HintTimerExpired();
    void StartHintTimer(Integer delay);
    void StopHintTimer();
    void DoActivate(bool active);
    // Restores a minimized main form and makes it the foreground window.
    void BringMainFormForward();
    void EnsureMessageFilter();
    static win32::LRESULT MessageFilter(int code, win32::WPARAM wParam, win32::LPARAM lParam);

    win32::HWND handle_ = nullptr;
    win32::WNDPROC objectInstance_ = nullptr;
    std::string title_;
    std::string exeName_;
    std::string helpFile_;
    std::unique_ptr<TIcon> icon_;
    TCustomForm* mainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    bool active_ = false;
    bool running_ = false;
    Integer modalLevel_ = 0;
    std::vector<std::string> exceptionLog_;
    std::vector<THelpRequest> helpRequests_;

    std::string hint_;
    bool showHint_ = true;
    TColor hintColor_ = clInfoBk;
    Integer hintPause_ = 500;
    Integer hintShortPause_ = 50;
    Integer hintHidePause_ = 2500;
    THintWindowClass hintWindowClass_ = nullptr;
    THintWindow* hintWindow_ = nullptr;
    TControl* hintControl_ = nullptr;
    TRect hintCursorRect_{0, 0, 0, 0};
    bool hintActive_ = false;
    bool hintTimerRunning_ = false;
    bool hintShowing_ = false;
    win32::HHOOK messageFilter_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Screen

class TScreen : public TComponent {
    VCL_DECLARE_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    Integer Width() const;
    Integer Height() const;
    Integer PixelsPerInch() const { return 96; }
    Integer DesktopWidth() const { return Width(); }
    Integer DesktopHeight() const { return Height(); }
    TRect WorkAreaRect() const;

    // Installed font families, sorted.
    TStrings* Fonts();
    TFont* HintFont() const { return hintFont_.get(); }
    TFont* IconFont() const { return iconFont_.get(); }
    TFont* MenuFont() const { return menuFont_.get(); }

    // The cursor shown over every control while not crDefault (crHourGlass during long work).
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    // Cursor handles by identifier: the predefined negative ones and application cursors.
    win32::HCURSOR Cursors(Integer index) const;
    void SetCursors(Integer index, win32::HCURSOR handle);

    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const { return activeControl_; }
    Integer FormCount() const { return static_cast<Integer>(forms_.size()); }
    // Raises EListError for an index out of range.
    TCustomForm* Forms(Integer index) const;
    Integer CustomFormCount() const { return FormCount(); }
    TCustomForm* CustomForms(Integer index) const { return Forms(index); }

    TNotifyEvent OnActiveControlChange;
    TNotifyEvent OnActiveFormChange;

    void ResetState();

private:
    friend class TCustomForm;
    friend class TApplication;
    friend void detail::ScreenForgetControl(TControl* control);
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form);
    void SetActiveControl(TWinControl* control);

    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TCursor cursor_ = crDefault;
    std::unique_ptr<TStringList> fonts_;
    std::unique_ptr<TFont> hintFont_;
    std::unique_ptr<TFont> iconFont_;
    std::unique_ptr<TFont> menuFont_;
    std::vector<std::pair<Integer, win32::HCURSOR>> cursors_;
};

extern TApplication* Application;
extern TScreen* Screen;

}  // namespace vcl
