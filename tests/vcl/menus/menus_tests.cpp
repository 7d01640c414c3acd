#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "vcl/extctrls.h"
#include "vcl/menus.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace {

using namespace vcl;
using namespace win32;

std::string MenuText(HMENU menu, int position) {
    char buffer[128] = {};
    GetMenuString(menu, static_cast<UINT>(position), buffer, sizeof(buffer), MF_BYPOSITION);
    return buffer;
}

std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        texts.push_back(MenuText(menu, i));
    return texts;
}

TMenuItem* Item(TComponent* owner, const std::string& caption, std::vector<std::string>* clicks = nullptr) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    if (clicks) item->OnClick = [clicks, caption](TObject*) { clicks->push_back(StripHotkey(caption)); };
    return item;
}

class MenusTest : public zyltest::UiFixture {
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

    static void ClickCentre(const RECT& r) {
        win32::input::Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    std::deque<std::function<void()>> steps_;
};

// ---------------------------------------------------------------------------------------------
// The tree and its native menu

TEST_F(MenusTest, TreeOperationsKeepTheNativeMenuInStep) {
    TComponentPtr<TPopupMenu> menu(new TPopupMenu(nullptr));
    TMenuItem* root = menu->Items();
    TMenuItem* open = Item(nullptr, "&Open");
    TMenuItem* save = Item(nullptr, "&Save");
    TMenuItem* line = Item(nullptr, "-");
    root->Add(open);
    root->Add(save);
    root->Insert(1, line);
    save->SetShortCut(ShortCut('S', TShiftState{ssCtrl}));
    const HMENU handle = menu->Handle();
    EXPECT_EQ(MenuTexts(handle), (std::vector<std::string>{"&Open", "", "&Save\tCtrl+S"}));
    EXPECT_TRUE(GetMenuState(handle, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(save->MenuIndex(), 2);
    EXPECT_EQ(root->IndexOf(line), 1);
    EXPECT_EQ(root->Find("save"), save);
    EXPECT_EQ(root->Find("Close"), nullptr);
    EXPECT_EQ(save->GetParentMenu(), menu.get());

    save->SetEnabled(false);
    open->SetChecked(true);
    EXPECT_TRUE(GetMenuState(handle, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(handle, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(GetMenuItemID(handle, 0), open->Command());

    line->SetVisible(false);
    EXPECT_EQ(GetMenuItemCount(handle), 2);
    save->SetMenuIndex(0);
    EXPECT_EQ(MenuText(handle, 0), "&Save\tCtrl+S");

    // A leaf that gains children becomes a submenu entry.
    TMenuItem* recent = Item(nullptr, "Recent");
    open->Add(recent);
    EXPECT_EQ(GetSubMenu(handle, 1), open->Handle());
    EXPECT_EQ(MenuText(open->Handle(), 0), "Recent");

    root->Remove(line);
    EXPECT_EQ(line->Parent(), nullptr);
    line->Free();
    recent->Free();
    EXPECT_EQ(open->Count(), 0);
    EXPECT_EQ(GetSubMenu(handle, 1), nullptr);
}

TEST_F(MenusTest, BadIndexesAndReinsertionRaiseMenuErrors) {
    TComponentPtr<TPopupMenu> menu(new TPopupMenu(nullptr));
    TMenuItem* a = Item(nullptr, "A");
    menu->Items()->Add(a);
    struct Case {
        const char* what;
        std::function<void()> action;
        const char* message;
    };
    const Case cases[] = {
        {"Items(-1)", [&] { menu->Items()->Items(-1); }, "Menu index out of range"},
        {"Items(1)", [&] { menu->Items()->Items(1); }, "Menu index out of range"},
        {"Delete(5)", [&] { menu->Items()->Delete(5); }, "Menu index out of range"},
        {"Insert(2)", [&] { menu->Items()->Insert(2, Item(menu.get(), "x")); }, "Menu index out of range"},
        {"Add twice", [&] { menu->Items()->Add(a); }, "Menu inserted twice"},
        {"Into itself", [&] { a->Add(a); }, "Menu inserted twice"},
        {"Remove stranger", [&] { a->Remove(Item(menu.get(), "y")); }, "Sub-menu is not in menu"},
    };
    for (const Case& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << c.what << " did not raise";
        } catch (const EMenuError& error) {
            EXPECT_EQ(error.Message(), c.message) << c.what;
        }
    }
    EXPECT_EQ(menu->Items()->Count(), 1);
}

TEST_F(MenusTest, CommandsAreUniqueAndReturnedWhenItemsGo) {
    std::vector<TMenuItem*> items;
    for (int i = 0; i < 50; ++i)
        items.push_back(new TMenuItem(nullptr));
    std::vector<UINT> commands;
    for (TMenuItem* item : items)
        commands.push_back(item->Command());
    std::sort(commands.begin(), commands.end());
    EXPECT_EQ(std::adjacent_find(commands.begin(), commands.end()), commands.end());
    EXPECT_NE(commands.front(), 0u);
    for (TMenuItem* item : items)
        item->Free();
}

TEST_F(MenusTest, DispatchCommandClicksOnlyEnabledItemsOfItsOwnTree) {
    std::vector<std::string> clicks;
    TComponentPtr<TPopupMenu> menu(new TPopupMenu(nullptr));
    TComponentPtr<TPopupMenu> other(new TPopupMenu(nullptr));
    TMenuItem* sub = Item(nullptr, "Sub");
    TMenuItem* deep = Item(nullptr, "Deep", &clicks);
    TMenuItem* off = Item(nullptr, "Off", &clicks);
    menu->Items()->Add(sub);
    sub->Add({deep, off});
    off->SetEnabled(false);
    EXPECT_TRUE(menu->DispatchCommand(deep->Command()));
    EXPECT_TRUE(menu->DispatchCommand(off->Command()));
    EXPECT_FALSE(other->DispatchCommand(deep->Command()));
    EXPECT_FALSE(menu->DispatchCommand(0));
    EXPECT_EQ(clicks, std::vector<std::string>{"Deep"});
    EXPECT_EQ(menu->FindItem(static_cast<UINT>(HandleValue(sub->Handle())), fkHandle), sub);
}

// ---------------------------------------------------------------------------------------------
// Radio groups and checks

TEST_F(MenusTest, RadioItemsOfOneGroupExcludeEachOther) {
    TComponentPtr<TPopupMenu> menu(new TPopupMenu(nullptr));
    std::vector<TMenuItem*> items;
    const Byte groups[] = {1, 1, 1, 2, 2};
    for (Byte group : groups) {
        TMenuItem* item = Item(nullptr, "R");
        item->SetRadioItem(true);
        item->SetAutoCheck(true);
        item->SetGroupIndex(group);
        menu->Items()->Add(item);
        items.push_back(item);
    }
    items[0]->SetChecked(true);
    items[3]->SetChecked(true);
    items[2]->Click();
    const bool expected[] = {false, false, true, true, false};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->Checked(), expected[i]) << i;
        EXPECT_EQ((GetMenuState(menu->Handle(), static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0,
                  expected[i])
            << i;
    }
    // Clicking a checked radio item keeps it checked; a plain auto-check item toggles.
    items[2]->Click();
    EXPECT_TRUE(items[2]->Checked());
    TMenuItem* plain = Item(nullptr, "P");
    plain->SetAutoCheck(true);
    menu->Items()->Add(plain);
    plain->Click();
    plain->Click();
    EXPECT_FALSE(plain->Checked());
    // Becoming a radio item while checked turns the group's others off.
    items[4]->SetRadioItem(false);
    items[4]->SetChecked(true);
    items[4]->SetRadioItem(true);
    EXPECT_FALSE(items[3]->Checked());
}

// ---------------------------------------------------------------------------------------------
// Popup menus

std::vector<std::pair<UINT, WPARAM>>& PopupLog() {
    static std::vector<std::pair<UINT, WPARAM>> log;
    return log;
}
WNDPROC& PopupOriginal() {
    static WNDPROC proc = nullptr;
    return proc;
}
LRESULT RecordPopupList(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ENTERMENULOOP || msg == WM_EXITMENULOOP || msg == WM_INITMENUPOPUP ||
        msg == WM_MENUSELECT || msg == WM_COMMAND)
        PopupLog().push_back({msg, wParam});
    return CallWindowProc(PopupOriginal(), hwnd, msg, wParam, lParam);
}

TEST_F(MenusTest, PopupOpensOnRightClickIsNavigatedWithKeysAndChosen) {
    TForm* form = ShowForm();
    auto* panel = new TPaintBox(form);
    panel->SetBounds(10, 10, 100, 80);
    panel->SetParent(form);
    std::vector<std::string> clicks;
    auto* popup = new TPopupMenu(form);
    TMenuItem* cut = Item(form, "Cu&t", &clicks);
    TMenuItem* line = Item(form, "-");
    TMenuItem* copy = Item(form, "&Copy", &clicks);
    popup->Items()->Add({cut, line, copy});
    panel->SetPopupMenu(popup);
    popup->OnPopup = [&](TObject*) {
        clicks.push_back("popup");
        EXPECT_EQ(popup->PopupComponent(), panel);
    };

    PopupLog().clear();
    PopupOriginal() = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(PopupListWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordPopupList)));
    steps_.push_back([] { win32::input::PressKey(VK_DOWN); });
    steps_.push_back([] { win32::input::PressKey(VK_DOWN); });
    steps_.push_back([] { win32::input::PressKey(VK_RETURN); });
    ClickAt(panel, 20, 20, win32::input::Button::Right);

    EXPECT_EQ(clicks, (std::vector<std::string>{"popup", "Copy"}));
    const HMENU handle = popup->Handle();
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_ENTERMENULOOP, TRUE},
        {WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle)},
        {WM_MENUSELECT, MAKEWPARAM(cut->Command(), MF_HILITE)},
        {WM_MENUSELECT, MAKEWPARAM(copy->Command(), MF_HILITE)},
        {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF)},
        {WM_EXITMENULOOP, TRUE},
        {WM_COMMAND, MAKEWPARAM(copy->Command(), 0)},
    };
    EXPECT_EQ(PopupLog(), expected);
}

TEST_F(MenusTest, PopupWithoutAutoPopupStaysClosedAndEscapeChoosesNothing) {
    TForm* form = ShowForm();
    std::vector<std::string> clicks;
    auto* popup = new TPopupMenu(form);
    popup->Items()->Add(Item(form, "One", &clicks));
    form->SetPopupMenu(popup);
    popup->SetAutoPopup(false);
    ClickAt(form, 50, 50, win32::input::Button::Right);
    EXPECT_EQ(FindWindow(MENU_WINDOW_CLASS, nullptr), nullptr);

    steps_.push_back([] { win32::input::PressKey(VK_ESCAPE); });
    popup->SetAlignment(paRight);
    popup->Popup(300, 300);
    PumpUntilIdle();
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(steps_.empty());
}

// ---------------------------------------------------------------------------------------------
// Main menus

TEST_F(MenusTest, MenuBarSubmenuChosenByMouseFiresOnClick) {
    TForm* form = ShowForm();
    std::vector<std::string> clicks;
    auto* menu = new TMainMenu(form);
    TMenuItem* file = Item(form, "&File", &clicks);
    TMenuItem* open = Item(form, "&Open", &clicks);
    TMenuItem* save = Item(form, "&Save", &clicks);
    menu->Items()->Add({file, Item(form, "&Edit")});
    file->Add({open, save});
    form->SetMenu(menu);
    PumpUntilIdle();
    ASSERT_EQ(GetMenu(form->Handle()), menu->Handle());

    RECT bar{};
    ASSERT_TRUE(GetMenuItemRect(form->Handle(), menu->Handle(), 0, &bar));
    steps_.push_back([&] {
        RECT entry{};
        ASSERT_TRUE(GetMenuItemRect(form->Handle(), file->Handle(), 1, &entry));
        ClickCentre(entry);
    });
    ClickCentre(bar);
    PumpUntilIdle();
    EXPECT_EQ(clicks, (std::vector<std::string>{"File", "Save"}));

    // Changing the tree changes the bar the window shows.
    file->SetCaption("&Document");
    EXPECT_EQ(MenuText(GetMenu(form->Handle()), 0), "&Document");
}

TEST_F(MenusTest, ShortcutsFromTheKeyboardReachEnabledItems) {
    TForm* form = ShowForm();
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    std::vector<std::string> clicks;
    auto* menu = new TMainMenu(form);
    TMenuItem* file = Item(form, "&File");
    TMenuItem* save = Item(form, "&Save", &clicks);
    TMenuItem* print = Item(form, "&Print", &clicks);
    save->SetShortCut(TextToShortCut("Ctrl+S"));
    print->SetShortCut(TextToShortCut("Ctrl+P"));
    menu->Items()->Add(file);
    file->Add({save, print});
    form->SetMenu(menu);
    auto* popup = new TPopupMenu(form);
    TMenuItem* local = Item(form, "Local", &clicks);
    local->SetShortCut(TextToShortCut("F5"));
    popup->Items()->Add(local);
    edit->SetPopupMenu(popup);
    edit->SetFocus();
    PumpUntilIdle();

    PressKey('S', win32::input::Ctrl);
    file->SetEnabled(false);
    PressKey('P', win32::input::Ctrl);
    file->SetEnabled(true);
    print->SetVisible(false);  // hidden items keep their shortcut
    PressKey('P', win32::input::Ctrl);
    PressKey(VK_F5);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Save", "Print", "Local"}));
    EXPECT_FALSE(menu->IsShortCut(TextToShortCut("Ctrl+Q")));
}

TEST_F(MenusTest, MergeReplacesAndInsertsByGroupIndex) {
    TComponentPtr<TForm> owner(new TForm(nullptr, 0));
    auto* host = new TMainMenu(owner.get());
    auto* child = new TMainMenu(owner.get());
    const std::pair<const char*, Byte> hostItems[] = {{"File", 0}, {"Edit", 1}, {"Window", 5}, {"Help", 9}};
    for (auto [caption, group] : hostItems) {
        TMenuItem* item = Item(owner.get(), caption);
        item->SetGroupIndex(group);
        host->Items()->Add(item);
    }
    const std::pair<const char*, Byte> childItems[] = {{"Edit2", 1}, {"Tools", 3}, {"Data", 3}};
    std::vector<UINT> childCommands;
    for (auto [caption, group] : childItems) {
        TMenuItem* item = Item(owner.get(), caption);
        item->SetGroupIndex(group);
        child->Items()->Add(item);
        childCommands.push_back(item->Command());
    }
    const std::vector<std::string> alone{"File", "Edit", "Window", "Help"};
    EXPECT_EQ(MenuTexts(host->Handle()), alone);
    host->Merge(child);
    EXPECT_EQ(MenuTexts(host->Handle()),
              (std::vector<std::string>{"File", "Edit2", "Tools", "Data", "Window", "Help"}));
    EXPECT_EQ(host->MergedMenu(), child);
    EXPECT_EQ(child->MergedInto(), host);
    EXPECT_EQ(host->FindItem(childCommands[1], fkCommand), child->Items()->Items(1));
    // A change in the merged menu shows in the host's bar.
    child->Items()->Items(2)->SetVisible(false);
    EXPECT_EQ(MenuTexts(host->Handle()),
              (std::vector<std::string>{"File", "Edit2", "Tools", "Window", "Help"}));
    host->Unmerge(child);
    EXPECT_EQ(MenuTexts(host->Handle()), alone);
    EXPECT_EQ(host->FindItem(childCommands[1], fkCommand), nullptr);
    // A merged menu that goes away leaves the host whole.
    host->Merge(child);
    child->Free();
    EXPECT_EQ(MenuTexts(host->Handle()), alone);
}

// ---------------------------------------------------------------------------------------------
// Streaming

TEST_F(MenusTest, MenuTreeIsWrittenToAFormFileAndReadBack) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form1");
    auto* menu = new TMainMenu(form.get());
    menu->SetName("MainMenu1");
    form->SetMenu(menu);
    auto* file = new TMenuItem(form.get());
    file->SetName("File1");
    file->SetCaption("&File");
    auto* save = new TMenuItem(form.get());
    save->SetName("Save1");
    save->SetCaption("&Save");
    save->SetShortCut(TextToShortCut("Ctrl+S"));
    save->SetRadioItem(true);
    save->SetGroupIndex(2);
    save->SetHint("Save|Saves the file");
    menu->Items()->Add(file);
    file->Add(save);
    form->RegisterMethod<TNotifyEvent>("SaveClick", [](TObject*) {});
    save->BindEvent("OnClick", form.get(), "SaveClick");

    const std::string text = ComponentToText(form.get());
    EXPECT_NE(text.find("  object MainMenu1: TMainMenu\n"
                        "    object File1: TMenuItem\n"
                        "      Caption = '&File'\n"
                        "      object Save1: TMenuItem\n"),
              std::string::npos)
        << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    int saved = 0;
    copy->RegisterMethod<TNotifyEvent>("SaveClick", [&](TObject*) { ++saved; });
    ReadComponentText(text, copy.get());
    auto* readMenu = dynamic_cast<TMainMenu*>(copy->FindComponent("MainMenu1"));
    ASSERT_NE(readMenu, nullptr);
    EXPECT_EQ(copy->MenuComponent(), readMenu);
    ASSERT_EQ(readMenu->Items()->Count(), 1);
    TMenuItem* readSave = readMenu->Items()->Items(0)->Items(0);
    EXPECT_EQ(readSave->Name(), "Save1");
    EXPECT_EQ(readSave->ShortCut(), TextToShortCut("Ctrl+S"));
    EXPECT_TRUE(readSave->RadioItem());
    EXPECT_EQ(readSave->GroupIndex(), 2);
    EXPECT_EQ(readSave->Hint(), "Save|Saves the file");
    EXPECT_TRUE(readMenu->DispatchCommand(readSave->Command()));
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(ComponentToText(copy.get()), text);
}

// ---------------------------------------------------------------------------------------------
// Helpers

TEST_F(MenusTest, BuildersAndHotkeys) {
    int clicked = 0;
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    TPopupMenu* menu = NewPopupMenu(
        owner.get(), "Popup1", paCenter, false,
        {NewItem(
             "&Go", TextToShortCut("Ctrl+G"), true, false, [&](TObject*) { ++clicked; }, 7, "Go1"),
         NewLine(), NewSubMenu("&More", 0, "More1", {NewItem("X", 0, false, true, nullptr, 0, "")})});
    EXPECT_EQ(menu->Alignment(), paCenter);
    EXPECT_FALSE(menu->AutoPopup());
    ASSERT_EQ(menu->Items()->Count(), 3);
    TMenuItem* go = menu->Items()->Items(0);
    EXPECT_TRUE(go->Checked());
    EXPECT_FALSE(go->Enabled());
    EXPECT_EQ(go->HelpContext(), 7);
    EXPECT_TRUE(menu->Items()->Items(1)->IsLine());
    EXPECT_EQ(menu->Items()->Items(2)->Count(), 1);
    EXPECT_FALSE(menu->IsShortCut(TextToShortCut("Ctrl+G")));  // disabled
    go->SetEnabled(true);
    EXPECT_TRUE(menu->IsShortCut(TextToShortCut("Ctrl+G")));
    EXPECT_EQ(clicked, 1);

    const std::pair<const char*, const char*> hotkeys[] = {
        {"E&xit", "x"}, {"&&Save", ""},    {"Fish && &Chips", "C"},
        {"No key", ""}, {"Trailing&", ""}, {"&\xC3\xA9t\xC3\xA9", "\xC3\xA9"}};
    for (auto [caption, key] : hotkeys)
        EXPECT_EQ(GetHotkey(caption), key) << caption;
}

}  // namespace
