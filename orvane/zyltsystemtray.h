// The tray icon component: an icon in the shell's notification area that the application hides in
// while it is minimized (or that stays there with NormalIcon), with click events and a popup menu.
#pragma once

#include <memory>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/controls.h"
#include "vcl/graphics.h"
#include "vcl/menus.h"
#include "win32/shell.h"

namespace orvane {

// The icon is in the tray while Enabled and the application is minimized, or always with
// NormalIcon; it leaves when the application is restored (without NormalIcon), when Enabled goes
// off and when the component is freed. Minimizing the application with the component enabled puts
// the icon in first, then hides the main form (its window on the desktop), so a refused icon
// never leaves an application nobody can reach. The application's OnMinimize and OnRestore keep
// their handlers: the component's part runs after them, and they are given back when it goes.
//
// The icon's window hears the shell's clicks: a left button release fires OnClick (without an
// OnClick handler it restores a minimized application), a double click OnDblClick, a right
// button release shows PopupMenu at the cursor while the main form is hidden (or with NormalIcon)
// and then fires OnRightClick with the cursor's screen position. The tip is Hint, or the
// application's title when Hint is empty, cut to 63 bytes between characters.
class TZylSystemTray : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylSystemTray, TZylSystemsComponent)
public:
    explicit TZylSystemTray(vcl::TComponent* owner);
    ~TZylSystemTray() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    vcl::TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(vcl::TPopupMenu* value);
    bool NormalIcon() const { return normalIcon_; }
    void SetNormalIcon(bool value);
    // The tray's icon; at creation a copy of the application's.
    vcl::TIcon* Icon() const { return icon_.get(); }
    void SetIcon(const vcl::TIcon* value);

    // Whether the shell has the icon now.
    bool InTray() const { return inTray_; }
    // The window the shell sends the icon's messages to (nullptr in the designer).
    win32::HWND WindowHandle() const { return window_; }

    vcl::TNotifyEvent OnClick;
    vcl::TNotifyEvent OnDblClick;
    vcl::TMouseEvent OnRightClick;
    vcl::TNotifyEvent OnMinimize;
    vcl::TNotifyEvent OnRestore;

    static void Publish(vcl::Published<TZylSystemTray>& p) {
        p.Property("Enabled", &TZylSystemTray::Enabled, &TZylSystemTray::SetEnabled, false);
        p.Property("Hint", &TZylSystemTray::Hint, &TZylSystemTray::SetHint, std::string());
        p.Property("PopupMenu", &TZylSystemTray::PopupMenu, &TZylSystemTray::SetPopupMenu);
        p.Property("NormalIcon", &TZylSystemTray::NormalIcon, &TZylSystemTray::SetNormalIcon, false);
        p.Event("OnClick", &TZylSystemTray::OnClick);
        p.Event("OnDblClick", &TZylSystemTray::OnDblClick);
        p.Event<vcl::TMouseEvent>("OnRightClick", &TZylSystemTray::OnRightClick);
        p.Event("OnMinimize", &TZylSystemTray::OnMinimize);
        p.Event("OnRestore", &TZylSystemTray::OnRestore);
    }

    // The callback message of the icon.
    static constexpr win32::UINT kTrayMessage = win32::WM_USER + 1;
    // Bytes of the tip the shell shows.
    static constexpr size_t kTipLength = 63;

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    // Acts at run time only: not in the designer, not while the form is read.
    bool Live() const;
    void FillTray();
    void EmptyTray();
    void UpdateTray();
    // Adds or removes the icon as Enabled, NormalIcon and the application's state say.
    void FollowState();
    void SetTip();
    void ApplicationMinimized();
    void ApplicationRestored();
    void TrayMessage(vcl::TMessage& message);
    static bool MainFormMinimized();

    bool enabled_ = false;
    std::string hint_;
    vcl::TPopupMenu* popupMenu_ = nullptr;
    bool normalIcon_ = false;
    std::unique_ptr<vcl::TIcon> icon_;
    bool inTray_ = false;
    bool minimized_ = false;
    bool supported_ = false;
    win32::HWND window_ = nullptr;
    win32::NOTIFYICONDATA data_{};
    TZylEventTakeover<vcl::TNotifyEvent> minimizeTakeover_;
    TZylEventTakeover<vcl::TNotifyEvent> restoreTakeover_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvane
