// The components that change system settings or answer system events, each read back from the
// platform state it acts on: device broadcasts (and a real tmpfs medium), played sounds, the
// wallpaper and screen saver settings, the Run value and autostart entry, exit requests, the cursor
// confinement and the keyboard state.
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "orvane/zyltsystemcontrol.h"
#include "system_fixture.h"
#include "vcl/registry.h"
#include "win32/devices.h"
#include "win32/files.h"
#include "win32/input.h"
#include "win32/shell.h"
#include "win32/shutdown.h"
#include "win32/sound.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace syscontrol_tests {

using namespace vcl;
using namespace orvane;

win32::LRESULT SendDeviceChange(TForm* form, win32::WPARAM event, win32::DWORD mask,
                                win32::WORD flags = win32::DBTF_MEDIA,
                                win32::DWORD type = win32::DBT_DEVTYP_VOLUME) {
    win32::DEV_BROADCAST_VOLUME volume{sizeof volume, type, 0, mask, flags};
    return win32::SendMessage(form->Handle(), win32::WM_DEVICECHANGE, event,
                              reinterpret_cast<win32::LPARAM>(&volume));
}

std::string RegistryString(win32::HKEY root, const std::string& key, const std::string& name) {
    TRegistry registry(win32::KEY_READ);
    registry.SetRootKey(root);
    if (!registry.OpenKey(key, false) || !registry.ValueExists(name)) return "(none)";
    return registry.ReadString(name);
}

// A PCM wave of `frames` 16-bit mono samples.
std::string WaveBytes(size_t frames) {
    auto put = [](std::string& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    std::string body = "WAVEfmt ";
    put(body, 16, 4);
    put(body, 1, 2);
    put(body, 1, 2);
    put(body, 8000, 4);
    put(body, 16000, 4);
    put(body, 2, 2);
    put(body, 16, 2);
    body += "data";
    put(body, static_cast<uint32_t>(frames * 2), 4);
    for (size_t i = 0; i < frames; ++i)
        put(body, static_cast<uint32_t>(i * 97), 2);
    std::string file = "RIFF";
    put(file, static_cast<uint32_t>(body.size()), 4);
    return file + body;
}

class SystemControl : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) previousConfig_ = old, hadConfig_ = true;
        ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    }
    void TearDown() override {
        if (hadConfig_)
            ::setenv("XDG_CONFIG_HOME", previousConfig_.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        SystemTest::TearDown();
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string previousConfig_;
    bool hadConfig_ = false;
};

// ---------------------------------------------------------------------------------------------
// TZylCDTriggers

TEST_F(SystemControl, MediaBroadcastsReportTheFirstDriveLetterAndNothingForNoDrive) {
    TForm* form = ShowForm();
    auto* triggers = new TZylCDTriggers(form);
    std::vector<std::string> heard;
    // Removal is reported although nobody listens for insertion.
    triggers->AfterRemove = [&](TObject* sender, char letter) {
        EXPECT_EQ(sender, triggers);
        heard.push_back(std::string("out ") + letter);
    };
    SendDeviceChange(form, win32::DBT_DEVICEREMOVECOMPLETE, 1u << 4);
    triggers->AfterInsert = [&](TObject*, char letter) { heard.push_back(std::string("in ") + letter); };
    SendDeviceChange(form, win32::DBT_DEVICEARRIVAL, (1u << 4) | (1u << 6));
    SendDeviceChange(form, win32::DBT_DEVICEARRIVAL, 0);                         // no drive at all
    SendDeviceChange(form, win32::DBT_DEVICEARRIVAL, 1u << 3, win32::DBTF_NET);  // a network share
    SendDeviceChange(form, win32::DBT_DEVICEARRIVAL, 1u << 3, win32::DBTF_MEDIA, 5);
    SendDeviceChange(form, 0x8001, 1u << 3);  // a query, not an arrival
    EXPECT_EQ(heard, (std::vector<std::string>{"out E", "in E"}));

    // A second component on the same form hears the broadcast too: the message goes on.
    auto* second = new TZylCDTriggers(form);
    char secondHeard = 0;
    second->AfterInsert = [&](TObject*, char letter) { secondHeard = letter; };
    SendDeviceChange(form, win32::DBT_DEVICEARRIVAL, 1u << 25);
    EXPECT_EQ(secondHeard, 'Z');
    EXPECT_EQ(heard.back(), "in Z");

    TComponentPtr<TComponent> plain(new TComponent(nullptr));
    EXPECT_THROW(TZylCDTriggers{plain.get()}, EInvalidCast);
}

TEST_F(SystemControl, ARealMediumMountedOnARemovableDriveFiresAfterInsertAndAfterRemove) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a medium needs root";
    const std::string folder = dir_.File("cdrom");
    std::filesystem::create_directories(folder);
    win32::testing::MapDrive('F', folder, win32::DRIVE_CDROM, "", 0, false);
    TForm* form = ShowForm();
    auto* triggers = new TZylCDTriggers(form);
    std::string heard;
    triggers->AfterInsert = [&](TObject*, char letter) { heard += std::string("+") + letter; };
    triggers->AfterRemove = [&](TObject*, char letter) { heard += std::string("-") + letter; };
    // A helper thread wakes the queue so that a broadcast that never comes fails instead of hanging.
    auto pumpUntil = [&](const std::string& wanted) {
        const win32::DWORD thread = win32::GetCurrentThreadId();
        std::atomic<bool> done{false};
        std::thread waker([&] {
            for (int i = 0; i < 100 && !done; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                win32::PostThreadMessage(thread, win32::WM_NULL, 0, 0);
            }
            done = true;
        });
        while (heard != wanted && !done) {
            Application->ProcessMessages();
            if (heard != wanted) win32::WaitMessage();
        }
        done = true;
        waker.join();
        Application->ProcessMessages();
    };
    if (::mount("none", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here: " << std::strerror(errno);
    pumpUntil("+F");
    const int unmounted = ::umount(folder.c_str());
    ASSERT_EQ(unmounted, 0);
    pumpUntil("+F-F");
    EXPECT_EQ(heard, "+F-F");
}

// ---------------------------------------------------------------------------------------------
// TZylWavePlayer

TEST_F(SystemControl, WavePlayerPlaysAsToldAndSaysWhenItCouldNot) {
    win32::testing::SetSoundDevice("null");
    TComponentPtr<TZylWavePlayer> player(new TZylWavePlayer(nullptr));
    int errors = 0;
    player->OnError = [&](TObject*) { ++errors; };
    player->SetWaveFile(WriteFile("tone.wav", WaveBytes(800)));
    EXPECT_TRUE(player->Execute());
    win32::testing::WaitForSound();
    player->SetAsynchronously(false);
    EXPECT_TRUE(player->Execute());
    auto played = win32::testing::PlayedSounds();
    ASSERT_EQ(played.size(), 2u);
    EXPECT_EQ(played[0].flags, win32::SND_ASYNC | win32::SND_NODEFAULT);
    EXPECT_EQ(played[1].flags, win32::SND_NODEFAULT);
    EXPECT_EQ(played[1].frames, 800u);
    EXPECT_EQ(errors, 0);

    // A missing file is a quiet false; a broken file and a missing device are errors.
    EXPECT_FALSE(player->Play(dir_.File("missing.wav"), false));
    EXPECT_EQ(errors, 0);
    EXPECT_FALSE(player->Play(WriteFile("broken.wav", WaveBytes(800).substr(0, 60)), false));
    EXPECT_EQ(errors, 1);
    win32::testing::SetSoundDevice("zyl_no_such_device");
    EXPECT_FALSE(player->Execute());
    EXPECT_EQ(errors, 2);
    EXPECT_TRUE(win32::testing::Beeps().empty());
}

// ---------------------------------------------------------------------------------------------
// TZylWallPaper

TEST_F(SystemControl, WallpaperIsSetAndKeptInTheDesktopSettingsOnlyWhenThePictureIsTaken) {
    TComponentPtr<TZylWallPaper> paper(new TZylWallPaper(nullptr));
    const std::string picture = WriteFile("picture.bmp", "BM");
    std::string wallpaperDuringChange = "unset";
    paper->OnChange = [&](TObject*) { wallpaperDuringChange = win32::testing::Wallpaper(); };
    paper->SetFilename(picture);
    paper->SetTiled(false);
    EXPECT_TRUE(paper->Execute());
    EXPECT_EQ(wallpaperDuringChange, "");
    EXPECT_EQ(win32::testing::Wallpaper(), picture);
    const char* key = "\\Control Panel\\desktop";
    EXPECT_EQ(RegistryString(win32::HKEY_CURRENT_USER, key, "TileWallPaper"), "0");
    EXPECT_EQ(RegistryString(win32::HKEY_CURRENT_USER, key, "Wallpaper"), picture);

    paper->SetFilename(dir_.File("missing.bmp"));
    paper->SetTiled(true);
    EXPECT_FALSE(paper->Execute());
    EXPECT_EQ(win32::testing::Wallpaper(), picture);
    EXPECT_EQ(RegistryString(win32::HKEY_CURRENT_USER, key, "Wallpaper"), picture);
    EXPECT_EQ(RegistryString(win32::HKEY_CURRENT_USER, key, "TileWallPaper"), "0");
}

// ---------------------------------------------------------------------------------------------
// TZylScreenSaver

TEST_F(SystemControl, ScreenSaverSettingsAreTheSystemsAndExecuteStartsItOnlyWhenActive) {
    TForm* form = ShowForm();
    auto* saver = new TZylScreenSaver(form);
    auto* other = new TZylScreenSaver(form);
    saver->SetSeconds(120);
    saver->SetActive(false);
    EXPECT_EQ(other->Seconds(), 120);
    EXPECT_FALSE(other->Active());
    saver->SetSeconds(0);  // refused by the system
    EXPECT_EQ(other->Seconds(), 120);
    win32::BOOL running = win32::TRUE;
    EXPECT_FALSE(saver->Execute());
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_FALSE(running);

    saver->SetActive(true);
    EXPECT_TRUE(saver->Execute());
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_TRUE(running);
    // The user's next move ends it.
    win32::input::MoveMouse(5, 5);
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    EXPECT_FALSE(running);

    TComponentPtr<TComponent> plain(new TComponent(nullptr));
    EXPECT_THROW(TZylScreenSaver{plain.get()}, EInvalidCast);
}

// ---------------------------------------------------------------------------------------------
// TZylStartup

TEST_F(SystemControl, StartupCommandQuotesAProgramPathWithBlanks) {
    EXPECT_EQ(ZylStartupCommand("C:\\bin\\zyl"), "C:\\bin\\zyl");
    EXPECT_EQ(ZylStartupCommand("C:\\Program Files\\zyl"), "\"C:\\Program Files\\zyl\"");
}

TEST_F(SystemControl, StartupWritesTheRunValueOnceAndTheAutostartEntryAndRemovesBoth) {
    char program[1024];
    const auto length = win32::GetModuleFileName(nullptr, program, sizeof program);
    ASSERT_GT(length, 0u);
    const char* run = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    TComponentPtr<TZylStartup> startup(new TZylStartup(nullptr));
    startup->SetUniqueName("Zyl Demo");
    startup->SetAutoStartup(true);
    EXPECT_TRUE(startup->AutoStartup());
    EXPECT_EQ(startup->LastError(), "");
    EXPECT_EQ(RegistryString(win32::HKEY_LOCAL_MACHINE, run, "Zyl Demo"), ZylStartupCommand(program));
    const std::string entry = win32::AutostartEntryPath("Zyl Demo");
    ASSERT_TRUE(std::filesystem::exists(entry));
    std::ifstream in(entry);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec=" + win32::DesktopEntryExecArgument(win32::NativePath(program)) + "\n"),
              std::string::npos)
        << text;

    // Switched on again by another component, the value that is there stays.
    {
        TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey(run, false));
        registry.WriteString("Zyl Demo", "kept");
    }
    TComponentPtr<TZylStartup> again(new TZylStartup(nullptr));
    again->SetUniqueName("Zyl Demo");
    again->SetAutoStartup(true);
    EXPECT_EQ(RegistryString(win32::HKEY_LOCAL_MACHINE, run, "Zyl Demo"), "kept");

    startup->SetAutoStartup(false);
    EXPECT_FALSE(startup->AutoStartup());
    EXPECT_EQ(RegistryString(win32::HKEY_LOCAL_MACHINE, run, "Zyl Demo"), "(none)");
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(SystemControl, StartupThatCannotWriteKeepsItsStateAndSaysWhy) {
    std::ofstream(dir_.File("blocked")) << "x";
    ::setenv("XDG_CONFIG_HOME", dir_.File("blocked").c_str(), 1);
    TComponentPtr<TZylStartup> startup(new TZylStartup(nullptr));
    startup->SetUniqueName("Zyl Demo");
    startup->SetAutoStartup(true);
    EXPECT_FALSE(startup->AutoStartup());
    EXPECT_EQ(startup->LastError().substr(0, 7), "Error: ");
    // A name that cannot be a file name is refused the same way.
    ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    startup->SetUniqueName("../escape");
    startup->SetAutoStartup(true);
    EXPECT_FALSE(startup->AutoStartup());
    EXPECT_EQ(startup->LastError(), "Error: " + std::to_string(win32::ERROR_INVALID_NAME));
}

// ---------------------------------------------------------------------------------------------
// TZylExitWindows

TEST_F(SystemControl, ExitRequestsCarryTheirTypeHoldThePrivilegeOnlyMeanwhileAndTerminate) {
    const std::pair<TZylExitType, win32::UINT> cases[] = {{xLogoff, win32::EWX_LOGOFF},
                                                          {xReboot, win32::EWX_REBOOT},
                                                          {xShutDown, win32::EWX_SHUTDOWN},
                                                          {xPowerOff, win32::EWX_POWEROFF},
                                                          {xForce, win32::EWX_FORCE}};
    TComponentPtr<TZylExitWindows> exit(new TZylExitWindows(nullptr));
    exit->SetConfirm(false);
    for (auto [type, flags] : cases) {
        exit->SetExitType(type);
        EXPECT_TRUE(exit->Execute()) << exit->LastError();
        EXPECT_EQ(win32::testing::ExitRequests().back().flags, flags);
        EXPECT_FALSE(win32::testing::ShutdownPrivilegeEnabled());
        EXPECT_TRUE(Application->Terminated());
    }
    EXPECT_EQ(win32::testing::ExitRequests().size(), 5u);
}

TEST_F(SystemControl, ExitAsksFirstAndReportsARefusal) {
    TComponentPtr<TZylExitWindows> exit(new TZylExitWindows(nullptr));
    std::vector<std::string> order;
    exit->OnExecute = [&](TObject*) { order.push_back("execute"); };
    std::string asked;
    Answer({[&] {
        order.push_back("asked");
        asked = dynamic_cast<TLabel*>(Dialog("MessageDlg")->FindComponent("Message"))->Caption();
        ClickControl("MessageDlg", "No");
    }});
    EXPECT_FALSE(exit->Execute());
    EXPECT_EQ(asked, TZylExitWindows::kDefaultConfirmMessage);
    EXPECT_EQ(order, (std::vector<std::string>{"execute", "asked"}));
    EXPECT_TRUE(win32::testing::ExitRequests().empty());

    win32::testing::RefuseExitWindows(win32::ERROR_NOT_READY);
    Answer({[&] { ClickControl("MessageDlg", "Yes"); }});
    EXPECT_FALSE(exit->Execute());
    EXPECT_EQ(exit->LastError(), "Error: 21");
    EXPECT_FALSE(Application->Terminated());
    EXPECT_FALSE(win32::testing::ShutdownPrivilegeEnabled());
}

// ---------------------------------------------------------------------------------------------
// TZylMouseController

TEST_F(SystemControl, FencingMovesTheCursorInConfinesItAndLetsGoOfOnlyItsOwnFence) {
    TForm* form = ShowForm(100, 100, 300, 200);
    auto* mouse = new TZylMouseController(form);
    win32::SetCursorPos(10, 10);
    mouse->FenceAt({500, 400, 600, 450});
    win32::POINT cursor{};
    win32::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 500);
    EXPECT_EQ(cursor.y, 400);
    win32::RECT clip{};
    win32::GetClipCursor(&clip);
    EXPECT_EQ(systemtest::Sides(clip), (std::array<long, 4>{500, 400, 600, 450}));
    win32::SetCursorPos(0, 0);
    win32::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 500);

    // An empty rectangle changes nothing; a cursor inside stays where it is.
    mouse->FenceAt({0, 0, 0, 0});
    win32::GetClipCursor(&clip);
    EXPECT_EQ(clip.left, 500);
    mouse->StopFencing();
    const TPoint origin = form->ClientToScreen(TPoint{0, 0});
    win32::SetCursorPos(origin.x + 50, origin.y + 60);
    mouse->FenceAtControl(form);
    win32::GetClipCursor(&clip);
    EXPECT_EQ(systemtest::Sides(clip),
              (std::array<long, 4>{origin.x, origin.y, origin.x + 300, origin.y + 200}));
    win32::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, origin.x + 50);
    mouse->PositionAtControl(form);
    win32::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, origin.x);
    EXPECT_EQ(cursor.y, origin.y);

    // The form told to cancel its modes lets the cursor go and still hears the message.
    int cancels = 0;
    auto* hook = new TZylFormHook(form);
    hook->OnMessage = [&](TObject*, TMessage& message) { cancels += message.Msg == win32::WM_CANCELMODE; };
    win32::SendMessage(form->Handle(), win32::WM_CANCELMODE, 0, 0);
    EXPECT_EQ(cancels, 1);
    win32::GetClipCursor(&clip);
    EXPECT_EQ(systemtest::Sides(clip), (std::array<long, 4>{0, 0, 1024, 768}));

    // Someone else's confinement outlives a controller that never fenced.
    const win32::RECT theirs{10, 10, 20, 20};
    win32::ClipCursor(&theirs);
    mouse->Free();
    win32::GetClipCursor(&clip);
    EXPECT_EQ(clip.right, 20);
    auto* fencing = new TZylMouseController(form);
    fencing->FenceAt({30, 30, 40, 40});
    fencing->Free();
    win32::GetClipCursor(&clip);
    EXPECT_EQ(clip.right, 1024);
}

// ---------------------------------------------------------------------------------------------
// TZylSystemKeys

TEST_F(SystemControl, LockKeysToggleTheLockBitOnlyAndFollowTheKeyboard) {
    TComponentPtr<TZylSystemKeys> keys(new TZylSystemKeys(nullptr));
    win32::BYTE state[256] = {};
    state[win32::VK_CAPITAL] = 0x80;  // held down, not locked
    ASSERT_TRUE(win32::SetKeyboardState(state));
    EXPECT_FALSE(keys->CapsLock());
    keys->SetCapsLock(true);
    keys->SetScrollLock(true);
    win32::GetKeyboardState(state);
    EXPECT_EQ(state[win32::VK_CAPITAL], 0x81);
    EXPECT_EQ(state[win32::VK_SCROLL], 0x01);
    EXPECT_EQ(state[win32::VK_NUMLOCK], 0x00);
    EXPECT_TRUE(keys->CapsLock());
    keys->SetCapsLock(false);
    win32::GetKeyboardState(state);
    EXPECT_EQ(state[win32::VK_CAPITAL], 0x80);

    // Pressing the key on a form is seen at once.
    ShowForm();
    PressKey(win32::VK_NUMLOCK);
    EXPECT_TRUE(keys->NumLock());
    PressKey(win32::VK_NUMLOCK);
    EXPECT_FALSE(keys->NumLock());
}

// ---------------------------------------------------------------------------------------------
// In the designer

class SystemControlDesigner : public systemtest::DesignedSystemForm {};

TEST_F(SystemControlDesigner, SettingsReadLiveAreNeverStoredAndChoicesSurviveTheFormFile) {
    zyltest::TempDir config;
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    auto* exit = host->DropComponent("TZylExitWindows");
    auto* saver = host->DropComponent("TZylScreenSaver");
    auto* keys = host->DropComponent("TZylSystemKeys");
    auto* startup = host->DropComponent("TZylStartup");
    ASSERT_TRUE(exit && saver && keys && startup);
    host->SetProperty(exit, "ExitType", "xShutDown");
    host->SetProperty(exit, "ConfirmMessage", "Really?");
    host->SetProperty(saver, "Seconds", "300");
    host->SetProperty(startup, "UniqueName", "Designed");
    // Switched on in the designer, nothing is written until the program runs.
    host->SetProperty(startup, "AutoStartup", "True");
    EXPECT_FALSE(std::filesystem::exists(win32::AutostartEntryPath("Designed")));
    int seconds = 0;
    win32::SystemParametersInfo(win32::SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    EXPECT_EQ(seconds, 300);

    const std::string text = host->FormText();
    for (const char* property : {"Seconds", "Active", "CapsLock", "NumLock", "ScrollLock"})
        EXPECT_EQ(text.find(property), std::string::npos) << text;
    EXPECT_NE(text.find("ExitType = xShutDown"), std::string::npos) << text;
    EXPECT_NE(text.find("AutoStartup = True"), std::string::npos) << text;

    const std::string exitName = exit->Name();
    TComponent* root = host->OpenForm(text);
    ::unsetenv("XDG_CONFIG_HOME");
    auto* loaded = dynamic_cast<TZylExitWindows*>(root->FindComponent(exitName));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->ExitType(), xShutDown);
    EXPECT_EQ(loaded->ConfirmMessage(), "Really?");
    EXPECT_TRUE(loaded->Confirm());
}

}  // namespace syscontrol_tests
