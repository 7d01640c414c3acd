// The tray icon component: when the icon is in the notification area, how the application hides in
// it and comes back, the shell's clicks, the tip, and the application's events it shares.
#include <string>
#include <vector>

#include "orvane/zyltsystemtray.h"
#include "system_fixture.h"
#include "vcl/menus.h"
#include "win32/shell.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace tray_tests {

using namespace vcl;
using orvane::TZylSystemTray;

class SystemTray : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        Application->SetTitle("Tray Test");
        main_ = Application->CreateForm<TForm>();
        main_->SetBounds(100, 100, 300, 200);
        main_->Show();
        PumpUntilIdle();
        tray_ = new TZylSystemTray(main_);
    }

    std::vector<win32::testing::TrayIcon> Icons() const { return win32::testing::TrayIcons(); }

    void MinimizeThroughTheSystemMenu() {
        win32::SendMessage(main_->Handle(), win32::WM_SYSCOMMAND, win32::SC_MINIMIZE, 0);
        PumpUntilIdle();
    }

    bool Click(win32::input::Button button, int clicks = 1) {
        const bool clicked = win32::testing::ClickTrayIcon(tray_->WindowHandle(), 0, button, clicks);
        PumpUntilIdle();
        return clicked;
    }

    TForm* main_ = nullptr;
    TZylSystemTray* tray_ = nullptr;
};

TEST_F(SystemTray, TheIconIsInWhileTheApplicationIsMinimizedAndAClickBringsItBack) {
    tray_->SetEnabled(true);
    EXPECT_TRUE(Icons().empty()) << "not minimized";
    MinimizeThroughTheSystemMenu();
    ASSERT_EQ(Icons().size(), 1u);
    EXPECT_EQ(Icons()[0].callbackMessage, win32::WM_USER + 1);
    EXPECT_EQ(Icons()[0].tip, "Tray Test");
    EXPECT_FALSE(win32::IsWindowVisible(main_->Handle())) << "hidden in the tray";
    EXPECT_TRUE(tray_->InTray());

    ASSERT_TRUE(Click(win32::input::Button::Left));
    EXPECT_TRUE(win32::IsWindowVisible(main_->Handle()));
    EXPECT_FALSE(win32::IsIconic(main_->Handle()));
    EXPECT_TRUE(Icons().empty());

    // With NormalIcon it stays while the application is shown; off and freed, it goes.
    tray_->SetNormalIcon(true);
    EXPECT_EQ(Icons().size(), 1u);
    tray_->SetEnabled(false);
    EXPECT_TRUE(Icons().empty());
    tray_->SetEnabled(true);
    EXPECT_EQ(Icons().size(), 1u);
    tray_->Free();
    EXPECT_TRUE(Icons().empty());
}

TEST_F(SystemTray, EnabledWhileMinimizedWithNormalIconAddsTheIcon) {
    tray_->SetNormalIcon(true);
    MinimizeThroughTheSystemMenu();
    EXPECT_TRUE(Icons().empty()) << "not enabled";
    EXPECT_TRUE(win32::IsWindowVisible(main_->Handle())) << "nothing hides a disabled tray's application";
    tray_->SetEnabled(true);
    EXPECT_EQ(Icons().size(), 1u);
}

TEST_F(SystemTray, ARefusedIconLeavesTheApplicationWhereTheUserCanReachIt) {
    tray_->SetEnabled(true);
    // The shell already holds an icon of that window and id: the add fails.
    win32::NOTIFYICONDATA taken{};
    taken.cbSize = sizeof taken;
    taken.hWnd = tray_->WindowHandle();
    ASSERT_TRUE(win32::Shell_NotifyIcon(win32::NIM_ADD, &taken));
    MinimizeThroughTheSystemMenu();
    EXPECT_TRUE(win32::IsWindowVisible(main_->Handle()));
    EXPECT_FALSE(tray_->InTray());
    ASSERT_FALSE(Application->ExceptionLog().empty());
    EXPECT_EQ(Application->ExceptionLog().back(), "Cannot create shell notification Icon.");
}

TEST_F(SystemTray, TheApplicationsOwnMinimizeAndRestoreHandlersStayAndComeBack) {
    std::vector<std::string> calls;
    Application->OnMinimize = [&](TObject*) { calls.push_back("app minimize"); };
    Application->OnRestore = [&](TObject*) { calls.push_back("app restore"); };
    auto* tray = new TZylSystemTray(main_);
    tray->SetEnabled(true);
    tray->OnMinimize = [&](TObject*) { calls.push_back("tray minimize"); };
    tray->OnRestore = [&](TObject*) { calls.push_back("tray restore"); };
    Application->Minimize();
    Application->Restore();
    EXPECT_EQ(calls,
              (std::vector<std::string>{"app minimize", "tray minimize", "app restore", "tray restore"}));
    tray->Free();
    calls.clear();
    Application->Minimize();
    Application->Restore();
    EXPECT_EQ(calls, (std::vector<std::string>{"app minimize", "app restore"}));
}

TEST_F(SystemTray, ClicksReachTheirEventsAndTheMenuShowsOnlyForAHiddenApplication) {
    tray_->SetEnabled(true);
    tray_->SetNormalIcon(true);
    std::vector<std::string> events;
    win32::POINT where{};
    tray_->OnClick = [&](TObject*) { events.push_back("click"); };
    tray_->OnDblClick = [&](TObject*) { events.push_back("double"); };
    tray_->OnRightClick = [&](TObject* sender, TMouseButton button, TShiftState, Integer x, Integer y) {
        EXPECT_EQ(sender, tray_);
        EXPECT_EQ(button, TMouseButton::mbRight);
        where = {x, y};
        events.push_back("right");
    };
    auto* menu = new TPopupMenu(main_);
    auto* item = new TMenuItem(menu);
    item->SetCaption("Restore");
    menu->Items()->Add(item);
    // The user closes every menu shown.
    win32::testing::SetModalScript([](std::string_view) { win32::input::PressKey(win32::VK_ESCAPE); });
    int popups = 0;
    menu->OnPopup = [&](TObject*) { ++popups; };
    tray_->SetPopupMenu(menu);

    Click(win32::input::Button::Left, 2);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "double", "click"}));
    events.clear();
    Click(win32::input::Button::Right);
    EXPECT_EQ(events, (std::vector<std::string>{"right"}));
    EXPECT_EQ(popups, 1) << "NormalIcon shows the menu while the application is visible";
    win32::NOTIFYICONIDENTIFIER which{sizeof which, tray_->WindowHandle(), 0};
    win32::RECT icon{};
    ASSERT_EQ(win32::Shell_NotifyIconGetRect(&which, &icon), win32::S_OK);
    EXPECT_EQ(where.x, (icon.left + icon.right) / 2);
    EXPECT_EQ(where.y, (icon.top + icon.bottom) / 2);

    tray_->SetNormalIcon(false);
    MinimizeThroughTheSystemMenu();  // hidden: the menu shows
    Click(win32::input::Button::Right);
    EXPECT_EQ(popups, 2);
    Application->Restore();
    // Visible without NormalIcon: no menu, but the event fires (as the shell would deliver it).
    events.clear();
    win32::PostMessage(tray_->WindowHandle(), TZylSystemTray::kTrayMessage, 0, win32::WM_RBUTTONUP);
    PumpUntilIdle();
    EXPECT_EQ(popups, 2);
    EXPECT_EQ(events, (std::vector<std::string>{"right"}));
    // A freed menu is forgotten.
    menu->Free();
    EXPECT_EQ(tray_->PopupMenu(), nullptr);
    EXPECT_TRUE(Application->ExceptionLog().empty());
}

TEST_F(SystemTray, TheTipIsTheHintCutBetweenCharactersAndChangesAtRunTime) {
    tray_->SetEnabled(true);
    tray_->SetNormalIcon(true);
    EXPECT_EQ(Icons()[0].tip, "Tray Test");
    const std::string sixtyTwo(62, 'a');
    tray_->SetHint(sixtyTwo + "\xC3\xA9");  // 64 bytes: the e acute does not fit whole
    EXPECT_EQ(Icons()[0].tip, sixtyTwo);
    tray_->SetHint("Short");
    EXPECT_EQ(Icons()[0].tip, "Short");
    tray_->SetHint("");
    EXPECT_EQ(Icons()[0].tip, "Tray Test");

    vcl::TIcon icon;
    icon.SetHandle(win32::CopyIcon(win32::LoadIcon(nullptr, win32::IDI_QUESTION)));
    tray_->SetIcon(&icon);
    EXPECT_EQ(Icons()[0].icon, tray_->Icon()->Handle());
    EXPECT_NE(Icons()[0].icon, nullptr);
}

}  // namespace tray_tests
