// The menu components on real forms, driven by injected input: the menu bar, popups, columns,
// shortcuts across forms, hints, and the form and application menus; and that everything a menu took
// over comes back when the menus are freed, in any order.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <numeric>

#include "ribola/zylmenu.h"
#include "support/ui_fixture.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace components_tests {
namespace {

using namespace ribola;
using namespace win32;
using Clicks = std::vector<std::string>;

class MenuFormTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetModalScript([this](std::string_view) {
            if (steps_.empty()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
    }

    void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }
    void Keys(std::initializer_list<int> keys) {
        for (int key : keys)
            Then([key] { input::PressKey(key); });
    }

    // An item of the form the menu belongs to; a click records its caption.
    static TZylMenuItem* Add(TZylMenuItem* parent, const std::string& caption, Clicks* clicks = nullptr,
                             const std::string& shortCut = {}) {
        vcl::TComponent* owner = parent->Owner();
        if (dynamic_cast<TZylMenu*>(owner)) owner = owner->Owner();
        auto* item = new TZylMenuItem(owner);
        item->SetCaption(caption);
        if (clicks)
            item->OnClick = [clicks, caption](vcl::TObject*) {
                clicks->push_back(vcl::StripHotkey(caption));
            };
        if (!shortCut.empty()) item->SetShortCut(vcl::TextToShortCut(shortCut));
        parent->Add(item);
        return item;
    }

    static void ClickCentre(const RECT& r) { input::Click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

    static COLORREF ScreenPixel(int x, int y) {
        const HDC screen = GetDC(nullptr);
        const COLORREF color = GetPixel(screen, x, y);
        ReleaseDC(nullptr, screen);
        return color;
    }

    // Builds menus with `build` and frees them in every order. After each one goes, every other still
    // runs its first item on a WM_COMMAND to its window; after all, the windows have their own
    // procedures back and no hook is left.
    static void FreeInEveryOrder(const std::function<std::vector<TZylMenu*>()>& build,
                                 std::vector<HWND> windows) {
        const int hooks = win32::testing::InstalledHookCount(WH_GETMESSAGE);
        std::vector<LONG_PTR> procedures;
        for (HWND window : windows)
            procedures.push_back(GetWindowLongPtr(window, GWLP_WNDPROC));
        std::vector<size_t> order;
        do {
            std::vector<TZylMenu*> menus = build();
            if (order.empty()) {
                order.resize(menus.size());
                std::iota(order.begin(), order.end(), size_t{0});
            }
            int clicked = 0;
            for (TZylMenu* menu : menus)
                menu->Items()->Items(0)->OnClick = [&clicked](vcl::TObject*) { ++clicked; };
            for (size_t step = 0; step < order.size(); ++step) {
                menus[order[step]]->Free();
                for (size_t rest = step + 1; rest < order.size(); ++rest) {
                    TZylMenu* menu = menus[order[rest]];
                    const int before = clicked;
                    SendMessage(menu->WindowHandle(), WM_COMMAND, menu->Items()->Items(0)->Command(), 0);
                    EXPECT_EQ(clicked, before + 1)
                        << "menu " << order[rest] << " after freeing " << order[step];
                }
            }
            EXPECT_EQ(win32::testing::InstalledHookCount(WH_GETMESSAGE), hooks);
            for (size_t i = 0; i < windows.size(); ++i)
                EXPECT_EQ(GetWindowLongPtr(windows[i], GWLP_WNDPROC), procedures[i]);
        } while (std::next_permutation(order.begin(), order.end()));
    }

    std::deque<std::function<void()>> steps_;
};

// ---------------------------------------------------------------------------------------------
// The menu bar

TEST_F(MenuFormTest, TheBarOpensByMouseAndByAltLetterAndPaintsItsItems) {
    vcl::TForm* form = ShowForm();
    Clicks clicks;
    auto* menu = new TZylMainMenu(form);
    // An item whose submenu opens is clicked first (WM_INITMENUPOPUP).
    TZylMenuItem* file = Add(menu->Items(), "&File", &clicks);
    Add(menu->Items(), "&Edit");
    Add(file, "&Open", &clicks);
    Add(file, "&Save", &clicks);
    file->SubMenuDetails()->SetEnabled(true);
    file->SubMenuDetails()->SetBarEnabled(true);
    file->SubMenuDetails()->SetBarColor(vcl::clRed);
    PumpUntilIdle();
    ASSERT_EQ(GetMenu(form->Handle()), menu->Handle());

    RECT bar{};
    ASSERT_TRUE(GetMenuItemRect(form->Handle(), menu->Handle(), 0, &bar));
    COLORREF sideBar = 0;
    Then([&] {
        RECT entry{};
        ASSERT_TRUE(GetMenuItemRect(form->Handle(), file->Handle(), 1, &entry));
        sideBar = ScreenPixel(entry.left + 2, entry.top + 2);
        ClickCentre(entry);
    });
    ClickCentre(bar);
    PumpUntilIdle();
    EXPECT_EQ(sideBar, vcl::ColorToRGB(vcl::clRed));
    // Owner-drawn entries have no mnemonics of the platform's: the menu answers WM_MENUCHAR.
    Keys({'O'});
    PressKey('F', input::Alt);
    EXPECT_EQ(clicks, (Clicks{"File", "Save", "File", "Open"}));
    EXPECT_TRUE(steps_.empty());

    menu->Free();
    FreeInEveryOrder(
        [&] {
            auto* bar1 = new TZylMainMenu(form);
            Add(bar1->Items(), "&File");
            auto* system = new TZylFormMenu(form);
            Add(system->Items(), "&About");
            auto* popup = new TZylPopupMenu(form);
            Add(popup->Items(), "&Copy");
            return std::vector<TZylMenu*>{bar1, system, popup};
        },
        {form->Handle(), vcl::Application->Handle()});
}

TEST_F(MenuFormTest, FreeingTheBarDetachesItBeforeItsItemsGo) {
    vcl::TForm* form = ShowForm();
    auto* menu = new TZylMainMenu(form);
    Add(Add(menu->Items(), "&File"), "&Open");
    const HMENU root = menu->Handle();
    ASSERT_EQ(GetMenu(form->Handle()), root);
    menu->Free();
    EXPECT_EQ(GetMenu(form->Handle()), nullptr);
    EXPECT_FALSE(IsMenu(root));
}

// ---------------------------------------------------------------------------------------------
// Popup menus

TEST_F(MenuFormTest, APopupOpensOnRightClickAndRunsTheChosenItem) {
    vcl::TForm* form = ShowForm();
    auto* panel = new vcl::TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 120, 80);
    Clicks clicks;
    auto* popup = new TZylPopupMenu(form);
    popup->OnPopup = [&](vcl::TObject*) { clicks.push_back("popup"); };
    Add(popup->Items(), "Cu&t", &clicks);
    Add(popup->Items(), "-")->SetDivider(true);
    Add(popup->Items(), "&Copy", &clicks);
    panel->SetPopupMenu(popup);
    Keys({VK_DOWN, VK_DOWN, VK_RETURN});
    ClickAt(panel, 20, 20, input::Button::Right);
    EXPECT_EQ(clicks, (Clicks{"popup", "Copy"}));

    popup->Free();
    FreeInEveryOrder(
        [&] {
            std::vector<TZylMenu*> menus;
            for (const char* caption : {"&One", "&Two", "T&hree"}) {
                auto* menu = new TZylPopupMenu(form);
                Add(menu->Items(), caption);
                menus.push_back(menu);
            }
            return menus;
        },
        {vcl::Application->Handle()});
}

TEST_F(MenuFormTest, TheKeyboardCrossesAColumnBreak) {
    vcl::TForm* form = ShowForm();
    Clicks clicks, selected;
    auto* popup = new TZylPopupMenu(form);
    popup->SetNewStyles(false);
    for (const char* caption : {"&Alpha", "&Bravo", "&Charlie", "&Delta"}) {
        TZylMenuItem* item = Add(popup->Items(), caption, &clicks);
        item->OnSelect = [&selected, caption](vcl::TObject*) {
            selected.push_back(vcl::StripHotkey(caption));
        };
    }
    popup->Items()->Items(2)->SetBreak(mbBreak);
    popup->SetNewStyles(true);
    popup->PopupDetails()->SetEnabled(true);
    popup->PopupDetails()->SetBarEnabled(true);
    popup->PopupDetails()->SetBarColor(vcl::clGreen);
    RECT first{}, charlie{};
    COLORREF secondBar = 0;
    Then([&] {
        GetMenuItemRect(form->Handle(), popup->Handle(), 0, &first);
        GetMenuItemRect(form->Handle(), popup->Handle(), 2, &charlie);
        secondBar = ScreenPixel(charlie.left + 2, charlie.top + 2);
        input::PressKey(VK_DOWN);
    });
    Keys({VK_DOWN, VK_DOWN, VK_RETURN});
    popup->Popup(200, 200);
    PumpUntilIdle();
    EXPECT_EQ(clicks, Clicks{"Charlie"});
    EXPECT_EQ(selected, (Clicks{"Alpha", "Bravo", "Charlie"}));
    // The second column stands beside the first, at the same height, with a side bar of its own.
    EXPECT_GT(charlie.left, first.right - 1);
    EXPECT_EQ(charlie.top, first.top);
    EXPECT_EQ(secondBar, vcl::ColorToRGB(vcl::clGreen));
}

// ---------------------------------------------------------------------------------------------
// Shortcuts

std::vector<UINT>& SeenByAnOlderHook() {
    static std::vector<UINT> seen;
    return seen;
}
HHOOK olderHook = nullptr;
LRESULT OlderHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE)
        SeenByAnOlderHook().push_back(reinterpret_cast<MSG*>(lParam)->message);
    return CallNextHookEx(olderHook, code, wParam, lParam);
}

TEST_F(MenuFormTest, AShortcutReachesTheItemOfTheActiveForm) {
    SeenByAnOlderHook().clear();
    olderHook = SetWindowsHookEx(WH_GETMESSAGE, OlderHook, nullptr, GetCurrentThreadId());
    Clicks clicks;
    auto makeForm = [&](const std::string& name, int left) {
        vcl::TForm* form = ShowForm(left, 100);
        auto* menu = new TZylMainMenu(form);
        TZylMenuItem* file = Add(menu->Items(), "&File");
        Add(file, name, &clicks, "Ctrl+S");
        auto* edit = new vcl::TEdit(form);
        edit->SetParent(form);
        return std::pair{form, menu};
    };
    auto [a, menuA] = makeForm("A", 50);
    auto [b, menuB] = makeForm("B", 450);
    auto* typing = dynamic_cast<vcl::TEdit*>(b->Components(b->ComponentCount() - 1));
    b->BringToFront();
    typing->SetFocus();
    PumpUntilIdle();
    PressKey('S', input::Ctrl);
    EXPECT_EQ(clicks, Clicks{"B"});
    // The keystroke was taken out (the hook after ours saw it blanked), so the edit typed nothing.
    EXPECT_NE(std::find(SeenByAnOlderHook().begin(), SeenByAnOlderHook().end(), UINT{0}),
              SeenByAnOlderHook().end());
    EXPECT_EQ(typing->Text(), "");
    SetForegroundWindow(a->Handle());
    PumpUntilIdle();
    // Only a keystroke that leaves the queue is one: a look at it runs nothing.
    input::KeyDown(VK_CONTROL);
    PumpUntilIdle();
    input::KeyDown('S');
    MSG peeked{};
    ASSERT_TRUE(PeekMessage(&peeked, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
    EXPECT_EQ(peeked.wParam, WPARAM{'S'});
    EXPECT_EQ(clicks, Clicks{"B"});
    PumpUntilIdle();
    input::KeyUp('S');
    input::KeyUp(VK_CONTROL);
    PumpUntilIdle();
    EXPECT_EQ(clicks, (Clicks{"B", "A"}));
    // The first menu made goes; the other form's shortcut still works.
    menuA->Free();
    SetForegroundWindow(b->Handle());
    PumpUntilIdle();
    PressKey('S', input::Ctrl);
    EXPECT_EQ(clicks, (Clicks{"B", "A", "B"}));
    menuB->Free();
    UnhookWindowsHookEx(olderHook);
    EXPECT_EQ(win32::testing::InstalledHookCount(WH_GETMESSAGE), 0);
}

// ---------------------------------------------------------------------------------------------
// Hints

TEST_F(MenuFormTest, SelectingAnItemRaisesItsHintsEvenWithAnotherMenuChained) {
    vcl::TForm* form = ShowForm();
    auto* older = new TZylPopupMenu(form);
    Add(older->Items(), "&Older")->SetHint("Old|An older menu");
    auto* popup = new TZylPopupMenu(form);
    TZylMenuItem* save = Add(popup->Items(), "&Save");
    save->SetHint("Save|Saves the document");
    std::vector<std::pair<std::string, std::string>> hints;
    popup->OnHint = [&](vcl::TObject* sender, const std::string& longHint, const std::string& hint) {
        EXPECT_EQ(sender, popup);
        hints.emplace_back(longHint, hint);
    };
    std::string during;
    Then([] { input::PressKey(VK_DOWN); });
    Then([&] {
        during = vcl::Application->Hint();
        input::PressKey(VK_ESCAPE);
    });
    popup->Popup(100, 100);
    EXPECT_EQ(hints, (std::vector<std::pair<std::string, std::string>>{{"Saves the document", "Save"}}));
    EXPECT_EQ(during, "Saves the document");
    EXPECT_EQ(vcl::Application->Hint(), "");
    // The signal that closes a menu selects nothing.
    vcl::Application->SetHint("kept?");
    SendMessage(popup->WindowHandle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(hints.size(), 1u);
    EXPECT_EQ(vcl::Application->Hint(), "");
}

// ---------------------------------------------------------------------------------------------
// Form and application menus

TEST_F(MenuFormTest, AFormMenuAndAnApplicationMenuReplaceTheirSystemMenus) {
    vcl::TForm* form = ShowForm();
    Clicks clicks;
    // The bar chains on the form after the form menu: a command it does not know goes on.
    auto* system = new TZylFormMenu(form);
    Add(system->Items(), "&About", &clicks);
    Add(system->Items(), "&Close")->SetSystemItem(sicClose);
    auto* bar = new TZylMainMenu(form);
    Add(bar->Items(), "&File", &clicks);
    auto* application = new TZylApplicationMenu(form);
    Add(application->Items(), "&Show", &clicks);
    const HWND appWindow = vcl::Application->Handle();
    const HMENU formSystem = GetSystemMenu(form->Handle(), FALSE);
    ASSERT_EQ(GetMenuItemCount(formSystem), 2);
    EXPECT_EQ(GetMenuItemID(formSystem, 0), system->Items()->Items(0)->Command());
    EXPECT_EQ(GetMenuItemID(formSystem, 1), UINT{SC_CLOSE});

    // Alt+Space opens the form's system menu, and the taskbar's request the application's; their
    // own items run through WM_SYSCOMMAND.
    Keys({VK_RETURN, VK_RETURN});
    PressKey(VK_SPACE, input::Alt);
    SendMessage(appWindow, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    PumpUntilIdle();
    EXPECT_EQ(clicks, (Clicks{"About", "Show"}));
    // The standard command of a bound item reaches the window: the form closes.
    Keys({VK_DOWN, VK_RETURN});
    PressKey(VK_SPACE, input::Alt);
    EXPECT_FALSE(form->Visible());

    for (TZylMenu* menu : std::initializer_list<TZylMenu*>{system, bar, application})
        menu->Free();
    char text[32] = {};
    GetMenuString(GetSystemMenu(form->Handle(), FALSE), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Restore");
    GetMenuString(GetSystemMenu(appWindow, FALSE), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Restore");
    FreeInEveryOrder(
        [&] {
            auto* formMenu = new TZylFormMenu(form);
            Add(formMenu->Items(), "&About");
            auto* appMenu = new TZylApplicationMenu(form);
            Add(appMenu->Items(), "&Show");
            auto* popup = new TZylPopupMenu(form);
            Add(popup->Items(), "&Copy");
            return std::vector<TZylMenu*>{formMenu, appMenu, popup};
        },
        {form->Handle(), appWindow});
}

TEST_F(MenuFormTest, SystemItemsKeepTheGreyTheWindowGivesThemWhenTheMenuOpens) {
    vcl::TForm* form = ShowForm();
    auto* system = new TZylFormMenu(form);
    Add(system->Items(), "&Restore")->SetSystemItem(sicRestore);
    Add(system->Items(), "&About");
    TZylMenuItem* close = Add(system->Items(), "&Close");
    close->SetSystemItem(sicClose);
    const HMENU menu = system->Items()->Handle();
    auto greyed = [menu](UINT command) {
        return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    // Open, the menu refreshes its entries (WM_ENTERMENULOOP): Restore stays grey on a normal window,
    // Close and the program's own item stay enabled.
    std::vector<bool> seen;
    Then([&] {
        seen = {greyed(SC_RESTORE), greyed(system->Items()->Items(1)->Command()), greyed(SC_CLOSE)};
        input::PressKey(VK_ESCAPE);
    });
    PressKey(VK_SPACE, input::Alt);
    PumpUntilIdle();
    EXPECT_EQ(seen, (std::vector<bool>{true, false, false}));
    // A bound item the program disables is grey whatever the window says.
    close->SetEnabled(false);
    Then([&] {
        seen = {greyed(SC_RESTORE), greyed(SC_CLOSE)};
        input::PressKey(VK_ESCAPE);
    });
    PressKey(VK_SPACE, input::Alt);
    PumpUntilIdle();
    EXPECT_EQ(seen, (std::vector<bool>{true, true}));
    system->Free();
}

// ---------------------------------------------------------------------------------------------
// Messages a menu handles

TEST_F(MenuFormTest, MenuCharAnswersTheNativePositionAndNotificationsGoOn) {
    vcl::TForm* form = ShowForm();
    static std::vector<UINT> heard;
    heard.clear();
    static WNDPROC formProcedure = nullptr;
    formProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(form->Handle(), GWLP_WNDPROC,
                         reinterpret_cast<LONG_PTR>(+[](HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
                             if (msg == WM_INITMENUPOPUP || msg == WM_MENUSELECT || msg == WM_ENTERMENULOOP)
                                 heard.push_back(msg);
                             return CallWindowProc(formProcedure, hwnd, msg, w, l);
                         })));
    Clicks clicks;
    auto* menu = new TZylMainMenu(form);
    TZylMenuItem* file = Add(menu->Items(), "&File");
    Add(file, "&Hidden", &clicks)->SetVisible(false);
    TZylMenuItem* bravo = Add(file, "&Bravo", &clicks);
    Add(bravo, "&Inner");
    Add(file, "&Charlie", &clicks);
    const LRESULT answer = SendMessage(form->Handle(), WM_MENUCHAR, MAKEWPARAM('c', MF_POPUP),
                                       reinterpret_cast<LPARAM>(file->Handle()));
    EXPECT_EQ(answer, MAKELRESULT(1, MNC_EXECUTE));
    // Every entry kept its submenu when the flags were applied again.
    menu->SetOwnerDrawAll();
    EXPECT_EQ(GetSubMenu(file->Handle(), 0), bravo->Handle());
    EXPECT_TRUE(IsMenu(bravo->Handle()));

    Keys({'C'});
    PressKey('F', input::Alt);
    EXPECT_EQ(clicks, Clicks{"Charlie"});
    for (UINT message : {WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_MENUSELECT})
        EXPECT_NE(std::find(heard.begin(), heard.end(), message), heard.end()) << std::hex << message;
}

// ---------------------------------------------------------------------------------------------
// A framework main menu on the form

TEST_F(MenuFormTest, AFrameworkMainMenuIsTakenOverWithFreeNamesOrRefused) {
    vcl::TForm* form = ShowForm();
    auto* framework = new vcl::TMainMenu(form);
    form->SetMenu(framework);
    for (const char* name : {"File1", ""}) {
        auto* item = new vcl::TMenuItem(form);
        if (*name) item->SetName(name);
        item->SetCaption("&Item");
        framework->Items()->Add(item);
    }
    auto* taken = new TZylMenuItem(form);
    taken->SetName("ZylFile1");
    auto* menu = new TZylMainMenu(form);
    ASSERT_EQ(menu->Items()->Count(), 2);
    EXPECT_EQ(menu->Items()->Items(0)->Name(), "ZylFile1_2");
    EXPECT_EQ(menu->Items()->Items(1)->Name(), "ZylMenuItem");
    EXPECT_EQ(form->MenuComponent(), nullptr);
    EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());

    const int count = form->ComponentCount();
    try {
        new vcl::TMainMenu(form);
        ADD_FAILURE() << "a framework main menu was accepted";
    } catch (const vcl::Exception& error) {
        EXPECT_EQ(error.Message(), "You can not use a TMainMenu in conjunction with TZylMainMenu ");
    }
    EXPECT_EQ(form->ComponentCount(), count);
}

}  // namespace
}  // namespace components_tests
