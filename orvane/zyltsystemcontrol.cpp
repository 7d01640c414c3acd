#include "orvane/zyltsystemcontrol.h"

#include <bit>
#include <vector>

#include "vcl/dialogs.h"
#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "vcl/registry.h"
#include "win32/devices.h"
#include "win32/files.h"
#include "win32/gdi.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/shutdown.h"
#include "win32/sound.h"
#include "win32/user.h"

namespace orvane {

namespace systemcontrol {

constexpr const char* kRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string ErrorText(win32::DWORD error) {
    return "Error: " + vcl::IntToStr(error);
}

std::string ProgramPath() {
    std::vector<char> path(4096);
    const win32::DWORD length =
        win32::GetModuleFileName(nullptr, path.data(), static_cast<win32::DWORD>(path.size()));
    return length > 0 && length < path.size() ? std::string(path.data(), length) : std::string();
}

}  // namespace systemcontrol

// ---------------------------------------------------------------------------------------------
// TZylCDTriggers

VCL_DEFINE_CLASS(TZylCDTriggers, TZylHookComponent)

void TZylCDTriggers::Hooked(vcl::TMessage& message) {
    if (message.Msg == win32::WM_DEVICECHANGE) {
        const auto alive = AliveToken();
        const win32::HWND window = HookedWindow();
        const win32::WNDPROC previous = PreviousProc();
        DeviceChanged(message.WParam, message.LParam);
        // A handler may have freed the component: the message goes on without it.
        if (!*alive) {
            PassOn(message, window, previous);
            return;
        }
    }
    TZylHookComponent::Hooked(message);
}

void TZylCDTriggers::DeviceChanged(win32::WPARAM event, win32::LPARAM record) {
    if (event != win32::DBT_DEVICEARRIVAL && event != win32::DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const win32::DEV_BROADCAST_HDR*>(record);
    if (!header || header->dbch_devicetype != win32::DBT_DEVTYP_VOLUME ||
        header->dbch_size < sizeof(win32::DEV_BROADCAST_VOLUME))
        return;
    const auto* volume = reinterpret_cast<const win32::DEV_BROADCAST_VOLUME*>(record);
    // A mask without drives names no letter at all: nothing is reported.
    if (!(volume->dbcv_flags & win32::DBTF_MEDIA) || (volume->dbcv_unitmask & 0x03FFFFFF) == 0) return;
    const char letter = static_cast<char>('A' + std::countr_zero(volume->dbcv_unitmask));
    const TZylDeviceChangeEvent& handler = event == win32::DBT_DEVICEARRIVAL ? AfterInsert : AfterRemove;
    if (handler) handler(this, letter);
}

// ---------------------------------------------------------------------------------------------
// TZylWavePlayer

VCL_DEFINE_CLASS(TZylWavePlayer, TZylExecuteComponent)

bool TZylWavePlayer::Play(const std::string& FileName, bool Async) {
    if (FileName.empty() || !vcl::FileExists(FileName)) return false;
    bool played = false;
    try {
        const win32::UINT flags = win32::SND_NODEFAULT | (Async ? win32::SND_ASYNC : win32::SND_SYNC);
        played = win32::sndPlaySound(FileName.c_str(), flags);
    } catch (const std::exception&) {
        played = false;
    }
    if (!played && OnError) OnError(this);
    return played;
}

// ---------------------------------------------------------------------------------------------
// TZylWallPaper

VCL_DEFINE_CLASS(TZylWallPaper, TZylExecuteComponent)

bool TZylWallPaper::Execute() {
    if (OnChange) OnChange(this);
    try {
        // The settings are written only once the system took the picture, so that they never name
        // a wallpaper other than the one shown.
        std::string name = filename_;
        if (!win32::SystemParametersInfo(win32::SPI_SETDESKWALLPAPER, 1, name.data(),
                                         win32::SPIF_UPDATEINIFILE))
            return false;
        vcl::TRegistry registry;
        if (!registry.OpenKey("\\Control Panel\\desktop", true)) return false;
        registry.WriteString("TileWallPaper", tiled_ ? "1" : "0");
        registry.WriteString("Wallpaper", filename_);
        return true;
    } catch (const vcl::ERegistryException&) {
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// TZylScreenSaver

VCL_DEFINE_CLASS(TZylScreenSaver, TZylExecuteComponent)

TZylScreenSaver::TZylScreenSaver(vcl::TComponent* owner)
    : TZylExecuteComponent(owner), form_(dynamic_cast<vcl::TCustomForm*>(owner)) {
    if (!form_) throw vcl::EInvalidCast("Invalid class typecast");
}

bool TZylScreenSaver::Active() const {
    win32::BOOL active = win32::FALSE;
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != win32::FALSE;
}

void TZylScreenSaver::SetActive(bool value) {
    win32::SystemParametersInfo(win32::SPI_SETSCREENSAVEACTIVE, value ? 1 : 0, nullptr,
                                win32::SPIF_SENDWININICHANGE);
}

vcl::Integer TZylScreenSaver::Seconds() const {
    int seconds = 0;
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds;
}

void TZylScreenSaver::SetSeconds(vcl::Integer value) {
    if (value <= 0) return;
    win32::SystemParametersInfo(win32::SPI_SETSCREENSAVETIMEOUT, static_cast<win32::UINT>(value), nullptr,
                                win32::SPIF_SENDWININICHANGE);
}

bool TZylScreenSaver::Execute() {
    if (!Active()) return false;
    win32::SendMessage(form_->Handle(), win32::WM_SYSCOMMAND, win32::SC_SCREENSAVE, 0);
    win32::BOOL running = win32::FALSE;
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running != win32::FALSE;
}

// ---------------------------------------------------------------------------------------------
// TZylStartup

VCL_DEFINE_CLASS(TZylStartup, TZylSystemsComponent)

std::string ZylStartupCommand(const std::string& programPath) {
    if (programPath.find_first_of(" \t") == std::string::npos) return programPath;
    return "\"" + programPath + "\"";
}

void TZylStartup::SetAutoStartup(bool value) {
    if (value == autoStartup_) return;
    if (Designing() || uniqueName_.empty()) {
        autoStartup_ = value;
        return;
    }
    if (value ? Register() : Unregister()) {
        lastError_.clear();
        autoStartup_ = value;
    }
}

bool TZylStartup::Register() {
    const std::string program = systemcontrol::ProgramPath();
    if (program.empty()) {
        lastError_ = systemcontrol::ErrorText(win32::GetLastError());
        return false;
    }
    try {
        vcl::TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey(systemcontrol::kRunKey, true)) {
            lastError_ = systemcontrol::ErrorText(win32::GetLastError());
            return false;
        }
        if (!registry.ValueExists(uniqueName_)) registry.WriteString(uniqueName_, ZylStartupCommand(program));
    } catch (const vcl::ERegistryException& error) {
        lastError_ = error.Message();
        return false;
    }
    if (!win32::SetAutostartEntry(uniqueName_.c_str(), program.c_str())) {
        lastError_ = systemcontrol::ErrorText(win32::GetLastError());
        return false;
    }
    return true;
}

bool TZylStartup::Unregister() {
    try {
        vcl::TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        if (registry.OpenKey(systemcontrol::kRunKey, false) && registry.ValueExists(uniqueName_) &&
            !registry.DeleteValue(uniqueName_)) {
            lastError_ = systemcontrol::ErrorText(win32::GetLastError());
            return false;
        }
    } catch (const vcl::ERegistryException& error) {
        lastError_ = error.Message();
        return false;
    }
    if (!win32::RemoveAutostartEntry(uniqueName_.c_str())) {
        lastError_ = systemcontrol::ErrorText(win32::GetLastError());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TZylExitWindows

VCL_DEFINE_CLASS(TZylExitWindows, TZylExecuteComponent)

bool TZylExitWindows::Execute() {
    if (OnExecute) OnExecute(this);
    if (confirm_ && vcl::MessageDlg(confirmMessage_, vcl::TMsgDlgType::mtConfirmation,
                                    {vcl::TMsgDlgBtn::mbYes, vcl::TMsgDlgBtn::mbNo}, 0) != vcl::mrYes)
        return false;
    if (!RequestExit()) return false;
    lastError_.clear();
    if (vcl::Application) vcl::Application->Terminate();
    return true;
}

bool TZylExitWindows::RequestExit() {
    static constexpr win32::UINT kFlags[] = {win32::EWX_LOGOFF, win32::EWX_REBOOT, win32::EWX_SHUTDOWN,
                                             win32::EWX_POWEROFF, win32::EWX_FORCE};
    win32::HANDLE token = nullptr;
    win32::TOKEN_PRIVILEGES privileges{};
    const bool haveToken =
        win32::OpenProcessToken(win32::GetCurrentProcess(),
                                win32::TOKEN_ADJUST_PRIVILEGES | win32::TOKEN_QUERY, &token) &&
        win32::LookupPrivilegeValue(nullptr, win32::SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    if (haveToken) {
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = win32::SE_PRIVILEGE_ENABLED;
        win32::AdjustTokenPrivileges(token, win32::FALSE, &privileges, 0, nullptr, nullptr);
    }
    const bool accepted = win32::ExitWindowsEx(kFlags[static_cast<size_t>(exitType_)], 0);
    const win32::DWORD error = win32::GetLastError();
    if (haveToken) {
        privileges.Privileges[0].Attributes = 0;
        win32::AdjustTokenPrivileges(token, win32::FALSE, &privileges, 0, nullptr, nullptr);
    }
    if (token) win32::CloseHandle(token);
    if (!accepted) lastError_ = systemcontrol::ErrorText(error);
    return accepted;
}

// ---------------------------------------------------------------------------------------------
// TZylMouseController

VCL_DEFINE_CLASS(TZylMouseController, TZylHookComponent)

TZylMouseController::~TZylMouseController() {
    if (fenced_) win32::ClipCursor(nullptr);
}

vcl::TRect TZylMouseController::ClientAreaOnScreen(const vcl::TControl* control) {
    const vcl::TPoint origin = control->ClientToScreen(vcl::TPoint{0, 0});
    return {origin.x, origin.y, origin.x + control->ClientWidth(), origin.y + control->ClientHeight()};
}

void TZylMouseController::FenceAt(const vcl::TRect& Rect) {
    if (win32::IsRectEmpty(&Rect)) return;
    win32::POINT cursor{};
    win32::GetCursorPos(&cursor);
    if (!win32::PtInRect(&Rect, cursor)) win32::SetCursorPos(Rect.left, Rect.top);
    fenced_ = win32::ClipCursor(&Rect) != win32::FALSE;
}

void TZylMouseController::FenceAtControl(const vcl::TControl* Control) {
    if (Control) FenceAt(ClientAreaOnScreen(Control));
}

void TZylMouseController::PositionAt(vcl::Integer X, vcl::Integer Y) {
    win32::SetCursorPos(X, Y);
}

void TZylMouseController::PositionAtControl(const vcl::TControl* Control) {
    if (!Control) return;
    const vcl::TRect area = ClientAreaOnScreen(Control);
    win32::SetCursorPos(area.left, area.top);
}

void TZylMouseController::StopFencing() {
    win32::ClipCursor(nullptr);
    fenced_ = false;
}

void TZylMouseController::Hooked(vcl::TMessage& message) {
    if (message.Msg == win32::WM_CANCELMODE && fenced_) StopFencing();
    TZylHookComponent::Hooked(message);
}

// ---------------------------------------------------------------------------------------------
// TZylSystemKeys

VCL_DEFINE_CLASS(TZylSystemKeys, TZylSystemsComponent)

bool TZylSystemKeys::Locked(int virtualKey) {
    return win32::GetKeyState(virtualKey) & 1;
}

void TZylSystemKeys::SetLocked(int virtualKey, bool value) {
    win32::BYTE state[256] = {};
    if (!win32::GetKeyboardState(state)) return;
    const auto lockBit = static_cast<win32::BYTE>(1);
    state[virtualKey] = value ? static_cast<win32::BYTE>(state[virtualKey] | lockBit)
                              : static_cast<win32::BYTE>(state[virtualKey] & ~lockBit);
    win32::SetKeyboardState(state);
}

}  // namespace orvane
