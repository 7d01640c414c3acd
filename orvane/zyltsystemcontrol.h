// Components that change a system setting or answer a system event: media insertion and removal,
// wave sounds, the desktop wallpaper, the screen saver, start with the session, log off and shut
// down, the mouse cursor's confinement and the lock keys.
#pragma once

#include <functional>
#include <string>

#include "orvane/zylsystem.h"
#include "vcl/graphics.h"

namespace vcl {
class TCustomForm;
}

namespace orvane {

// ---------------------------------------------------------------------------------------------
// Media in removable and CD-ROM drives

using TZylDeviceChangeEvent = std::function<void(vcl::TObject* Sender, char FirstDriveLetter)>;

// Hooks its form (EInvalidCast for another owner) and reports a medium arriving in or leaving a
// drive with the first drive letter of the broadcast. A broadcast naming no drive reports nothing.
// The form's own handlers hear the message afterwards.
class TZylCDTriggers : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylCDTriggers, TZylHookComponent)
public:
    explicit TZylCDTriggers(vcl::TComponent* owner) : TZylHookComponent(owner) {}

    TZylDeviceChangeEvent AfterInsert;
    TZylDeviceChangeEvent AfterRemove;

    static void Publish(vcl::Published<TZylCDTriggers>& p) {
        p.Event<TZylDeviceChangeEvent>("AfterInsert", &TZylCDTriggers::AfterInsert);
        p.Event<TZylDeviceChangeEvent>("AfterRemove", &TZylCDTriggers::AfterRemove);
    }

protected:
    void Hooked(vcl::TMessage& message) override;

private:
    void DeviceChanged(win32::WPARAM event, win32::LPARAM record);
};

// ---------------------------------------------------------------------------------------------
// Wave sounds

// Plays a wave file (8- or 16-bit PCM, mono or stereo). Execute plays WaveFile. A sound that cannot
// be played (a broken file, no sound device) fires OnError, and the play returns false.
class TZylWavePlayer : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylWavePlayer, TZylExecuteComponent)
public:
    explicit TZylWavePlayer(vcl::TComponent* owner) : TZylExecuteComponent(owner) {}

    const std::string& WaveFile() const { return waveFile_; }
    void SetWaveFile(const std::string& value) { waveFile_ = value; }
    bool Asynchronously() const { return asynchronously_; }
    void SetAsynchronously(bool value) { asynchronously_ = value; }

    // False without a word for a file that does not exist.
    bool Play(const std::string& FileName, bool Async);
    bool Execute() override { return Play(waveFile_, asynchronously_); }

    vcl::TNotifyEvent OnError;

    static void Publish(vcl::Published<TZylWavePlayer>& p) {
        p.Property("WaveFile", &TZylWavePlayer::WaveFile, &TZylWavePlayer::SetWaveFile, std::string());
        p.Property("Asynchronously", &TZylWavePlayer::Asynchronously, &TZylWavePlayer::SetAsynchronously,
                   true);
        p.Event("OnError", &TZylWavePlayer::OnError);
    }

private:
    std::string waveFile_;
    bool asynchronously_ = true;
};

// ---------------------------------------------------------------------------------------------
// Desktop wallpaper

// Execute fires OnChange, then makes Filename the wallpaper (tiled or not) and keeps both in the
// user's desktop settings. Returns false, leaving the wallpaper setting as it was, when the picture
// is refused (it does not exist) or the settings cannot be written.
class TZylWallPaper : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylWallPaper, TZylExecuteComponent)
public:
    explicit TZylWallPaper(vcl::TComponent* owner) : TZylExecuteComponent(owner) {}

    const std::string& Filename() const { return filename_; }
    void SetFilename(const std::string& value) { filename_ = value; }
    bool Tiled() const { return tiled_; }
    void SetTiled(bool value) { tiled_ = value; }

    bool Execute() override;

    vcl::TNotifyEvent OnChange;

    static void Publish(vcl::Published<TZylWallPaper>& p) {
        p.Property("Filename", &TZylWallPaper::Filename, &TZylWallPaper::SetFilename, std::string());
        p.Property("Tiled", &TZylWallPaper::Tiled, &TZylWallPaper::SetTiled, true);
        p.Event("OnChange", &TZylWallPaper::OnChange);
    }

private:
    std::string filename_;
    bool tiled_ = true;
};

// ---------------------------------------------------------------------------------------------
// Screen saver

// The screen saver's settings, read and written live (never stored in a form file). Execute starts
// the screen saver through the owner form when it is active and tells whether it runs. The owner
// must be a form (EInvalidCast otherwise).
class TZylScreenSaver : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylScreenSaver, TZylExecuteComponent)
public:
    explicit TZylScreenSaver(vcl::TComponent* owner);

    bool Active() const;
    void SetActive(bool value);
    vcl::Integer Seconds() const;
    // Values below one second are refused by the system and change nothing.
    void SetSeconds(vcl::Integer value);

    bool Execute() override;

    static void Publish(vcl::Published<TZylScreenSaver>& p) {
        p.Property("Active", &TZylScreenSaver::Active, &TZylScreenSaver::SetActive).Stored(false);
        p.Property("Seconds", &TZylScreenSaver::Seconds, &TZylScreenSaver::SetSeconds).Stored(false);
    }

private:
    vcl::TCustomForm* form_;
};

// ---------------------------------------------------------------------------------------------
// Start with the session

// The Run value for a program: its path, quoted when it holds a blank.
std::string ZylStartupCommand(const std::string& programPath);

// Switching AutoStartup on (at run time, with a UniqueName) registers the program to start with the
// session: the Run value named UniqueName in the machine's settings (left alone when it exists) and
// the user's autostart entry of that name; switching it off removes both. When writing fails
// AutoStartup keeps its previous value and LastError says why.
class TZylStartup : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylStartup, TZylSystemsComponent)
public:
    explicit TZylStartup(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

    const std::string& UniqueName() const { return uniqueName_; }
    void SetUniqueName(const std::string& value) { uniqueName_ = value; }
    bool AutoStartup() const { return autoStartup_; }
    void SetAutoStartup(bool value);

    // Empty after a change that worked.
    const std::string& LastError() const { return lastError_; }

    static void Publish(vcl::Published<TZylStartup>& p) {
        p.Property("UniqueName", &TZylStartup::UniqueName, &TZylStartup::SetUniqueName, std::string());
        p.Property("AutoStartup", &TZylStartup::AutoStartup, &TZylStartup::SetAutoStartup, false);
    }

private:
    bool Register();
    bool Unregister();

    std::string uniqueName_;
    bool autoStartup_ = false;
    std::string lastError_;
};

// ---------------------------------------------------------------------------------------------
// Log off and shut down

enum class TZylExitType : uint8_t { xLogoff, xReboot, xShutDown, xPowerOff, xForce };
VCL_ENUM_NAMES(TZylExitType, "xLogoff", "xReboot", "xShutDown", "xPowerOff", "xForce")
using enum TZylExitType;

// Execute fires OnExecute, asks ConfirmMessage (Yes/No) when Confirm, then asks the system to end the
// session the way ExitType says, holding the shut-down privilege only for the request. An accepted
// request terminates the application; a refused one leaves "Error: " and the system's error number in
// LastError. Returns whether the request was accepted.
class TZylExitWindows : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylExitWindows, TZylExecuteComponent)
public:
    explicit TZylExitWindows(vcl::TComponent* owner) : TZylExecuteComponent(owner) {}

    TZylExitType ExitType() const { return exitType_; }
    void SetExitType(TZylExitType value) { exitType_ = value; }
    bool Confirm() const { return confirm_; }
    void SetConfirm(bool value) { confirm_ = value; }
    const std::string& ConfirmMessage() const { return confirmMessage_; }
    void SetConfirmMessage(const std::string& value) { confirmMessage_ = value; }
    const std::string& LastError() const { return lastError_; }

    bool Execute() override;

    vcl::TNotifyEvent OnExecute;

    static constexpr const char* kDefaultConfirmMessage = "Are you sure you want to Logoff ?";

    static void Publish(vcl::Published<TZylExitWindows>& p) {
        p.Property("ExitType", &TZylExitWindows::ExitType, &TZylExitWindows::SetExitType, xLogoff);
        p.Property("Confirm", &TZylExitWindows::Confirm, &TZylExitWindows::SetConfirm, true);
        p.Property("ConfirmMessage", &TZylExitWindows::ConfirmMessage, &TZylExitWindows::SetConfirmMessage,
                   std::string(kDefaultConfirmMessage));
        p.Event("OnExecute", &TZylExitWindows::OnExecute);
    }

private:
    bool RequestExit();

    TZylExitType exitType_ = xLogoff;
    bool confirm_ = true;
    std::string confirmMessage_ = kDefaultConfirmMessage;
    std::string lastError_;
};

// ---------------------------------------------------------------------------------------------
// Mouse cursor

// Confines the cursor to a rectangle or a control's client area and moves it. The confinement it set
// ends with StopFencing, when the form is told to cancel its modes (WM_CANCELMODE), and when the
// component goes; a confinement someone else set is left alone.
class TZylMouseController : public TZylHookComponent {
    VCL_DECLARE_CLASS(TZylMouseController, TZylHookComponent)
public:
    explicit TZylMouseController(vcl::TComponent* owner) : TZylHookComponent(owner) {}
    ~TZylMouseController() override;

    // Nothing for an empty rectangle; a cursor outside moves to the top-left corner first.
    void FenceAt(const vcl::TRect& Rect);
    void FenceAtControl(const vcl::TControl* Control);
    void PositionAt(vcl::Integer X, vcl::Integer Y);
    void PositionAtControl(const vcl::TControl* Control);
    void StopFencing();

protected:
    void Hooked(vcl::TMessage& message) override;

private:
    static vcl::TRect ClientAreaOnScreen(const vcl::TControl* control);

    bool fenced_ = false;
};

// ---------------------------------------------------------------------------------------------
// Lock keys

// The toggle state of Caps Lock, Num Lock and Scroll Lock, read live; writing one toggles that key's
// lock in the thread's keyboard state and leaves whether the key is held down as it was.
class TZylSystemKeys : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylSystemKeys, TZylSystemsComponent)
public:
    explicit TZylSystemKeys(vcl::TComponent* owner) : TZylSystemsComponent(owner) {}

    bool CapsLock() const { return Locked(kCapsLockKey); }
    void SetCapsLock(bool value) { SetLocked(kCapsLockKey, value); }
    bool NumLock() const { return Locked(kNumLockKey); }
    void SetNumLock(bool value) { SetLocked(kNumLockKey, value); }
    bool ScrollLock() const { return Locked(kScrollLockKey); }
    void SetScrollLock(bool value) { SetLocked(kScrollLockKey, value); }

    static void Publish(vcl::Published<TZylSystemKeys>& p) {
        p.Property("CapsLock", &TZylSystemKeys::CapsLock, &TZylSystemKeys::SetCapsLock).Stored(false);
        p.Property("NumLock", &TZylSystemKeys::NumLock, &TZylSystemKeys::SetNumLock).Stored(false);
        p.Property("ScrollLock", &TZylSystemKeys::ScrollLock, &TZylSystemKeys::SetScrollLock).Stored(false);
    }

private:
    static constexpr int kCapsLockKey = 0x14;
    static constexpr int kNumLockKey = 0x90;
    static constexpr int kScrollLockKey = 0x91;

    static bool Locked(int virtualKey);
    static void SetLocked(int virtualKey, bool value);
};

}  // namespace orvane
