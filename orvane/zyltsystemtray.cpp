#include "orvane/zyltsystemtray.h"

#include <cstring>

#include "vcl/forms.h"
#include "win32/sysinfo.h"
#include "win32/user.h"

namespace orvane {

using namespace win32;

VCL_DEFINE_CLASS(TZylSystemTray, TZylSystemsComponent)

namespace {

// At most `limit` bytes of UTF-8 text, never ending inside a character.
std::string CutBetweenCharacters(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

HWND MainFormWindow() {
    vcl::TCustomForm* main = vcl::Application ? vcl::Application->MainForm() : nullptr;
    return main && main->HandleAllocated() ? main->Handle() : nullptr;
}

}  // namespace

TZylSystemTray::TZylSystemTray(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), icon_(std::make_unique<vcl::TIcon>()) {
    if (vcl::Application) icon_->Assign(vcl::Application->Icon());
    OSVERSIONINFO version{};
    version.dwOSVersionInfoSize = sizeof version;
    supported_ = GetVersionEx(&version) && version.dwMajorVersion >= 4;
    if (Designing()) return;
    window_ = vcl::AllocateHWnd([this](vcl::TMessage& message) { TrayMessage(message); });
    data_.cbSize = NOTIFYICONDATA_V1_SIZE;
    data_.hWnd = window_;
    data_.uID = 0;
    data_.uFlags = NIF_MESSAGE | NIF_ICON;
    data_.uCallbackMessage = kTrayMessage;
    data_.hIcon = icon_->Handle();
    SetTip();
    if (vcl::Application) {
        minimizeTakeover_.Take(vcl::Application->OnMinimize,
                               [this](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
                                   const auto alive = alive_;
                                   if (previous) previous(sender);
                                   if (*alive) ApplicationMinimized();
                               });
        restoreTakeover_.Take(vcl::Application->OnRestore,
                              [this](const vcl::TNotifyEvent& previous, vcl::TObject* sender) {
                                  const auto alive = alive_;
                                  if (previous) previous(sender);
                                  if (*alive) ApplicationRestored();
                              });
    }
    minimized_ = MainFormMinimized();
    FollowState();
}

TZylSystemTray::~TZylSystemTray() {
    *alive_ = false;
    minimizeTakeover_.Release();
    restoreTakeover_.Release();
    if (inTray_) EmptyTray();
    if (window_) vcl::DeallocateHWnd(window_);
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
}

bool TZylSystemTray::Live() const {
    return window_ && !Designing() && !IsLoading();
}

bool TZylSystemTray::MainFormMinimized() {
    const HWND main = MainFormWindow();
    return main && IsIconic(main);
}

void TZylSystemTray::Loaded() {
    TZylSystemsComponent::Loaded();
    if (!window_) return;
    SetTip();
    data_.hIcon = icon_->Handle();
    FollowState();
}

void TZylSystemTray::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    TZylSystemsComponent::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TZylSystemTray::FillTray() {
    if (!enabled_ || !supported_ || inTray_ || !window_) return;
    if (!Shell_NotifyIcon(NIM_ADD, &data_))
        throw vcl::EOutOfResources("Cannot create shell notification Icon");
    inTray_ = true;
}

void TZylSystemTray::EmptyTray() {
    if (supported_ && inTray_) Shell_NotifyIcon(NIM_DELETE, &data_);
    inTray_ = false;
}

void TZylSystemTray::UpdateTray() {
    if (enabled_ && supported_ && inTray_ && Live()) Shell_NotifyIcon(NIM_MODIFY, &data_);
}

void TZylSystemTray::FollowState() {
    if (!Live()) return;
    if (enabled_ && (minimized_ || normalIcon_))
        FillTray();
    else
        EmptyTray();
}

void TZylSystemTray::SetTip() {
    std::string tip = hint_.empty() && vcl::Application ? vcl::Application->Title() : hint_;
    tip = CutBetweenCharacters(tip, kTipLength);
    std::memset(data_.szTip, 0, sizeof data_.szTip);
    std::memcpy(data_.szTip, tip.data(), tip.size());
    if (tip.empty())
        data_.uFlags &= ~NIF_TIP;
    else
        data_.uFlags |= NIF_TIP;
}

void TZylSystemTray::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    FollowState();
}

void TZylSystemTray::SetNormalIcon(bool value) {
    if (normalIcon_ == value) return;
    normalIcon_ = value;
    FollowState();
}

void TZylSystemTray::SetHint(const std::string& value) {
    if (hint_ == value) return;
    hint_ = value;
    if (!window_) return;
    SetTip();
    // An emptied tip is sent too, so that the shell stops showing the old one.
    const UINT flags = data_.uFlags;
    data_.uFlags |= NIF_TIP;
    UpdateTray();
    data_.uFlags = flags;
}

void TZylSystemTray::SetIcon(const vcl::TIcon* value) {
    icon_->Assign(value);
    data_.hIcon = icon_->Handle();
    UpdateTray();
}

void TZylSystemTray::SetPopupMenu(vcl::TPopupMenu* value) {
    if (popupMenu_ == value) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = value;
    if (popupMenu_) popupMenu_->FreeNotification(this);
}

void TZylSystemTray::ApplicationMinimized() {
    minimized_ = true;
    if (enabled_ && Live()) {
        if (vcl::Application && !icon_->Empty()) vcl::Application->Icon()->Assign(icon_.get());
        if (inTray_)
            UpdateTray();
        else
            FillTray();  // raises when refused: the application stays where the user can reach it
        if (const HWND main = MainFormWindow(); main && inTray_) ShowWindow(main, SW_HIDE);
    }
    if (OnMinimize) OnMinimize(this);
}

void TZylSystemTray::ApplicationRestored() {
    if (enabled_ && Live()) {
        if (const HWND main = MainFormWindow(); main && (IsIconic(main) || !IsWindowVisible(main)))
            ShowWindow(main, SW_RESTORE);
        if (!normalIcon_) EmptyTray();
    }
    const auto alive = alive_;
    if (OnRestore) OnRestore(this);
    if (*alive) minimized_ = false;
}

void TZylSystemTray::TrayMessage(vcl::TMessage& message) {
    if (message.Msg != kTrayMessage) {
        message.Result = DefWindowProc(window_, message.Msg, message.WParam, message.LParam);
        return;
    }
    message.Result = 0;
    const auto alive = alive_;
    try {
        switch (static_cast<UINT>(message.LParam)) {
            case WM_LBUTTONUP:
                if (OnClick)
                    OnClick(this);
                else if (minimized_ && vcl::Application)
                    vcl::Application->Restore();
                break;
            case WM_LBUTTONDBLCLK:
                if (OnDblClick) OnDblClick(this);
                break;
            case WM_RBUTTONUP: {
                POINT cursor{};
                GetCursorPos(&cursor);
                const HWND main = MainFormWindow();
                if (popupMenu_ && (!main || !IsWindowVisible(main) || normalIcon_)) {
                    // The menu hears the keyboard and closes on a click elsewhere only while the
                    // application holds the foreground; the posted message lets it close at once.
                    SetForegroundWindow(window_);
                    popupMenu_->Popup(cursor.x, cursor.y);
                    if (*alive) PostMessage(window_, WM_NULL, 0, 0);
                }
                if (*alive && OnRightClick)
                    OnRightClick(this, vcl::TMouseButton::mbRight, vcl::TShiftState{}, cursor.x, cursor.y);
                break;
            }
            default:
                break;
        }
    } catch (...) {
        if (vcl::Application) vcl::Application->HandleException(*alive ? this : nullptr);
    }
}

}  // namespace orvane
