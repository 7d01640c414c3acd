// What the menu components do with keys, help and cursors, the bar shown as a popup, in-place
// activation's accelerators, and their properties in form text.
#include <deque>
#include <functional>

#include "ribola/zylmenu.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"
#include "win32/menu.h"
#include "win32/virtualkeys.h"

namespace dispatch_tests {
namespace {

using namespace ribola;
using namespace win32;
using Clicks = std::vector<std::string>;

class DispatchTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        win32::testing::SetModalScript([this](std::string_view) {
            if (steps_.empty()) return;
            auto step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
        form_ = ShowForm();
    }

    TZylMenuItem* Add(TZylMenuItem* parent, const std::string& caption, const std::string& shortCut = {}) {
        auto* item = new TZylMenuItem(form_);
        item->SetCaption(caption);
        item->OnClick = [this, caption](vcl::TObject*) { clicks_.push_back(caption); };
        if (!shortCut.empty()) item->SetShortCut(vcl::TextToShortCut(shortCut));
        parent->Add(item);
        return item;
    }

    void Keys(std::initializer_list<int> keys) {
        for (int key : keys)
            steps_.push_back([key] { input::PressKey(key); });
    }

    static vcl::TMessage Key(int virtualKey, bool alt = false) {
        return vcl::TMessage{alt ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(virtualKey),
                             alt ? (LPARAM{1} << 29) : 0, 0};
    }

    vcl::TForm* form_ = nullptr;
    Clicks clicks_;
    std::deque<std::function<void()>> steps_;
};

TEST_F(DispatchTest, AShortcutClicksItsParentsFirstStopsAtADisabledOneAndFollowsAMove) {
    auto* menu = new TZylMainMenu(form_);
    TZylMenuItem* edit = Add(menu->Items(), "Edit");
    TZylMenuItem* find = Add(edit, "Find", "Alt+F3");
    TZylMenuItem* again = Add(edit, "Again");
    EXPECT_TRUE(menu->IsShortCut(Key(VK_F3, true)));
    EXPECT_EQ(clicks_, (Clicks{"Edit", "Find"}));
    // Found but not run under a disabled parent; the keystroke is still the menu's.
    edit->SetEnabled(false);
    EXPECT_TRUE(menu->IsShortCut(Key(VK_F3, true)));
    EXPECT_EQ(clicks_.size(), 2u);
    edit->SetEnabled(true);
    // A parent's click that hands the shortcut on: the search starts again and finds the new owner.
    edit->OnClick = [&](vcl::TObject*) {
        clicks_.push_back("Edit");
        find->SetShortCut(0);
        again->SetShortCut(vcl::TextToShortCut("Alt+F3"));
    };
    EXPECT_TRUE(menu->IsShortCut(Key(VK_F3, true)));
    EXPECT_EQ(clicks_, (Clicks{"Edit", "Find", "Edit", "Edit", "Again"}));
    EXPECT_FALSE(menu->IsShortCut(Key(VK_F4)));
    // A click that frees the menu ends the search safely.
    again->OnClick = [&](vcl::TObject*) { menu->Free(); };
    EXPECT_TRUE(menu->IsShortCut(Key(VK_F3, true)));
}

TEST_F(DispatchTest, F1InAnOpenMenuAsksForTheItemsHelpContext) {
    auto* popup = new TZylPopupMenu(form_);
    popup->SetHelpContext(7);
    TZylMenuItem* parent = Add(popup->Items(), "Parent");
    parent->SetHelpContext(30);
    Add(parent, "Child");
    Add(popup->Items(), "Plain");
    Keys({VK_DOWN, VK_F1, VK_DOWN, VK_F1, VK_ESCAPE});
    popup->Popup(100, 100);
    std::vector<vcl::Integer> contexts;
    for (const vcl::THelpRequest& request : vcl::Application->HelpRequests())
        contexts.push_back(request.data);
    // The submenu item has its own; the plain one falls back to the popup menu's.
    EXPECT_EQ(contexts, (std::vector<vcl::Integer>{30, 7}));
    EXPECT_EQ(popup->GetHelpContext(parent->Items(0)->Command(), true), 30);
}

TEST_F(DispatchTest, TheCursorIsSetOnlyInMenuMode) {
    auto* menu = new TZylMainMenu(form_);
    Add(menu->Items(), "File");
    const HWND window = form_->Handle();
    menu->SetCursor(vcl::crHandPoint);
    EXPECT_EQ(SendMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, 0)),
              TRUE);
    EXPECT_EQ(GetCursor(), vcl::Screen->Cursors(vcl::crHandPoint));
    SetCursor(vcl::Screen->Cursors(vcl::crArrow));
    SendMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), vcl::Screen->Cursors(vcl::crArrow));
}

TEST_F(DispatchTest, TheBarShownAsAPopupKeepsItsBar) {
    auto* menu = new TZylMainMenu(form_);
    Add(menu->Items(), "&File");
    Add(menu->Items(), "&View");
    const HMENU bar = menu->Handle();
    Keys({VK_DOWN, VK_DOWN, VK_RETURN});
    menu->Popup(150, 150);
    PumpUntilIdle();
    EXPECT_EQ(clicks_, Clicks{"&View"});
    EXPECT_EQ(menu->Handle(), bar);
    EXPECT_EQ(GetMenu(form_->Handle()), bar);
    EXPECT_EQ(GetMenuItemCount(bar), 2);
}

TEST_F(DispatchTest, InPlaceActivationSharesTheItemsOfItsGroups) {
    auto* menu = new TZylMainMenu(form_);
    TZylMenuItem* file = Add(menu->Items(), "File");
    Add(file, "New", "Ctrl+N");
    Add(file, "Save", "Ctrl+Shift+S");
    TZylMenuItem* view = Add(menu->Items(), "View", "Alt+V");
    view->SetGroupIndex(2);
    Add(menu->Items(), "Help")->SetGroupIndex(5);
    const vcl::Integer groups[] = {0, 2};
    vcl::Integer widths[6] = {9, 9, 9, 9, 9, 9};
    const HMENU shared = CreateMenu();
    menu->PopulateOle2Menu(shared, groups, widths);
    EXPECT_EQ(GetMenuItemCount(shared), 2);
    EXPECT_EQ((std::vector<vcl::Integer>(widths, widths + 6)), (std::vector<vcl::Integer>{1, 0, 1, 0, 0, 0}));
    vcl::Integer count = 0;
    const HACCEL table = menu->GetOle2AcceleratorTable(count, groups);
    ASSERT_EQ(count, 3);
    ACCEL entries[3] = {};
    ASSERT_EQ(CopyAcceleratorTable(table, entries, 3), 3);
    const BYTE kVirtual = FVIRTKEY | FNOINVERT;
    EXPECT_EQ(entries[0].fVirt, kVirtual | FCONTROL);
    EXPECT_EQ(entries[0].key, 'N');
    EXPECT_EQ(entries[1].fVirt, kVirtual | FCONTROL | FSHIFT);
    EXPECT_EQ(entries[2].fVirt, kVirtual | FALT);
    EXPECT_EQ(entries[2].cmd, view->Command());
    DestroyAcceleratorTable(table);
    RemoveMenu(shared, 0, MF_BYPOSITION);
    RemoveMenu(shared, 0, MF_BYPOSITION);
    DestroyMenu(shared);
}

TEST_F(DispatchTest, PropertiesGoToFormTextAndBack) {
    form_->SetName("Form1");
    auto* popup = new TZylPopupMenu(form_);
    popup->SetName("Popup1");
    popup->SetSelectType(selSunken);
    popup->SetSelectedColor(vcl::clNone);
    popup->SetPopupAlignment(vcl::paCenter);
    popup->DividerFont()->SetSize(7);
    popup->PopupDetails()->SetBarCaption("Side");
    popup->SetHelpContext(12);
    const std::string text = vcl::ComponentToText(popup);
    EXPECT_EQ(text.find("Items"), std::string::npos) << text;
    vcl::TComponentPtr<vcl::TForm> other(new vcl::TForm(nullptr, 0));
    auto* copy = dynamic_cast<TZylPopupMenu*>(vcl::TextToComponent(text, other.get()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->SelectType(), selSunken);
    EXPECT_EQ(copy->SelectedColor(), vcl::clNone);
    EXPECT_EQ(copy->PopupAlignment(), vcl::paCenter);
    EXPECT_EQ(copy->DividerFont()->Size(), 7);
    EXPECT_EQ(copy->PopupDetails()->BarCaption(), "Side");
    EXPECT_EQ(copy->HelpContext(), 12);
}

}  // namespace
}  // namespace dispatch_tests
