// Command numbers and system items, the appearance objects, and the items in form text.
#include <algorithm>
#include <set>

#include "menu_fixture.h"
#include "vcl/designintf.h"
#include "win32/user.h"

namespace ribola {
void Register();
}  // namespace ribola

namespace {

using namespace ribola;
using namespace win32;
using zyltest::MenuTest;

// ---------------------------------------------------------------------------------------------
// Command numbers

using CommandTest = MenuTest;

TEST_F(CommandTest, TheLowestFreeNumberIsReused) {
    TZylMenuItem* a = NewItem("a");
    TZylMenuItem* b = NewItem("b");
    TZylMenuItem* c = NewItem("c");
    EXPECT_LT(a->Command(), b->Command());
    EXPECT_LT(b->Command(), c->Command());
    const Word freed = b->Command();
    b->Free();
    TZylMenuItem* d = NewItem("d");
    EXPECT_EQ(d->Command(), freed);
    TZylMenuItem* e = NewItem("e");
    EXPECT_GT(e->Command(), c->Command());
}

TEST_F(CommandTest, SystemItemsTakeTheWindowCommands) {
    const std::pair<TZylSystemItem, Word> table[] = {
        {sicRestore, 0xF120},     {sicMaximize, 0xF030}, {sicMinimize, 0xF020},
        {sicSize, 0xF000},        {sicMove, 0xF010},     {sicClose, 0xF060},
        {sicContextHelp, 0xF180}, {sicTaskList, 0xF130}, {sicMonitorPower, 0xF170}};
    TZylMenuItem* item = NewItem("system");
    for (auto [value, command] : table) {
        item->SetSystemItem(value);
        EXPECT_EQ(item->Command(), command);
        EXPECT_TRUE(item->OnClick);
    }
}

TEST_F(CommandTest, SystemItemAndBackNeitherLosesNorDoublesNumbers) {
    // Number 0 is never given back, so make sure the item under test holds another one.
    NewItem("first");
    TZylMenuItem* item = NewItem("item");
    ASSERT_NE(item->Command(), 0);
    const Word own = item->Command();
    item->SetSystemItem(sicClose);
    // The number went back to the pool: the next item takes it.
    TZylMenuItem* next = NewItem("next");
    EXPECT_EQ(next->Command(), own);
    item->SetSystemItem(sicNone);
    EXPECT_LT(item->Command(), kFirstSystemCommand);
    EXPECT_NE(item->Command(), own);
    EXPECT_FALSE(item->OnClick);
    item->SetSystemItem(sicMinimize);
    item->Free();  // gives back nothing: its command is the window's
    std::set<Word> commands;
    std::vector<TZylMenuItem*> made;
    for (int i = 0; i < 40; ++i) {
        made.push_back(NewItem("n"));
        EXPECT_TRUE(commands.insert(made.back()->Command()).second) << made.back()->Command();
        EXPECT_NE(made.back()->Command(), next->Command());
        EXPECT_LT(made.back()->Command(), kFirstSystemCommand);
    }
}

TEST_F(CommandTest, ASystemItemSendsItsCommandToTheMenusWindow) {
    static std::vector<std::pair<WPARAM, LPARAM>> received;
    received.clear();
    WNDCLASS cls{};
    cls.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_SYSCOMMAND) {
            received.emplace_back(wParam, lParam);
            return 0;
        }
        return DefWindowProc(hwnd, msg, wParam, lParam);
    };
    cls.lpszClassName = "ZylMenuTestWindow";
    ASSERT_TRUE(RegisterClass(&cls));
    const HWND window = CreateWindowEx(0, "ZylMenuTestWindow", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                       nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);

    struct WindowMenu : TZylMainMenu {
        WindowMenu(vcl::TComponent* owner, HWND target) : TZylMainMenu(owner), target_(target) {}
        HWND GetWindowHandle() override { return target_; }
        HWND target_;
    };
    auto* menu = new WindowMenu(host_, window);
    TZylMenuItem* close = AddItem(menu->Items(), "Close");
    close->SetSystemItem(sicClose);
    close->Click();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, WPARAM{0xF060});
    EXPECT_EQ(received[0].second, LPARAM{-1});
    close->SetEnabled(false);
    close->Click();
    EXPECT_EQ(received.size(), 1u);
    // Back to an ordinary item: the click runs nothing.
    close->SetEnabled(true);
    close->SetSystemItem(sicNone);
    close->Click();
    EXPECT_EQ(received.size(), 1u);
    DestroyWindow(window);
}

// ---------------------------------------------------------------------------------------------
// Appearance objects

using AppearanceTest = MenuTest;

TEST_F(AppearanceTest, SubMenuDefaults) {
    TZylMenuItem* item = NewItem("item");
    const TZylSubMenu* details = item->SubMenuDetails();
    EXPECT_EQ(details->BackgroundType(), btTiled);
    EXPECT_EQ(details->TransparentColor(), vcl::clNone);
    EXPECT_EQ(details->Color(), vcl::clMenu);
    EXPECT_FALSE(details->Enabled());
    EXPECT_FALSE(details->BarEnabled());
    EXPECT_EQ(details->BarFontname(), "Arial");
    EXPECT_EQ(details->BarFontSize(), 8);
    EXPECT_EQ(details->BarFontColor(), vcl::clWindowText);
    EXPECT_EQ(details->BarColor(), vcl::TColor{0x800000});
    EXPECT_EQ(details->BarWidth(), 15);
    EXPECT_FALSE(details->BarAsGradient()->Active());
    EXPECT_EQ(details->BarAsGradient()->ColorCount(), 32);
    EXPECT_EQ(details->BarAsGradient()->SubMenu(), details);
    EXPECT_FALSE(item->AsBitmapItem()->HasBitmap());
    item->AsBitmapItem()->Bitmap()->SetSize(5, 0);
    EXPECT_FALSE(item->AsBitmapItem()->HasBitmap());
    item->AsBitmapItem()->Bitmap()->SetSize(5, 3);
    EXPECT_TRUE(item->AsBitmapItem()->HasBitmap());
}

TEST_F(AppearanceTest, BarWidthStaysWithinItsRange) {
    TZylSubMenu details;
    int changes = 0;
    details.OnChange = [&](vcl::TObject*) { ++changes; };
    for (int bad : {0, 41, 255})
        EXPECT_THROW(details.SetBarWidth(static_cast<TZylBarWidth>(bad)), vcl::EPropertyError);
    EXPECT_EQ(details.BarWidth(), 15);
    details.SetBarWidth(1);
    details.SetBarWidth(40);
    details.SetBarWidth(40);  // unchanged: silent
    EXPECT_EQ(details.BarWidth(), 40);
    EXPECT_EQ(changes, 2);
}

TEST_F(AppearanceTest, PicturesAndGradientInvalidateTheCachedBar) {
    TZylMenuItem* item = NewItem("item");
    TZylSubMenu* details = item->SubMenuDetails();
    SetBarCacheOwner(item);
    details->SetBarColor(vcl::clRed);
    details->SetColor(vcl::clBlue);
    EXPECT_EQ(BarCacheOwner(), item);  // scalar settings keep the cache
    details->BarBackground()->SetSize(4, 4);
    EXPECT_EQ(BarCacheOwner(), nullptr);
    SetBarCacheOwner(item);
    details->BarAsGradient()->SetFadeToColor(vcl::clWhite);
    EXPECT_EQ(BarCacheOwner(), nullptr);
    SetBarCacheOwner(item);
    vcl::TBitmap picture;
    picture.SetSize(3, 2);
    details->SetBackground(&picture);
    EXPECT_EQ(BarCacheOwner(), nullptr);
    EXPECT_EQ(details->Background()->Width(), 3);
    // An item that goes takes the cache with it.
    SetBarCacheOwner(item);
    item->Free();
    EXPECT_EQ(BarCacheOwner(), nullptr);
}

TEST_F(AppearanceTest, SettersAnnounceOnlyChangesAndNotWhileLoading) {
    TZylMenuItem* item = NewItem("item");
    TZylSubMenu* details = item->SubMenuDetails();
    int changes = 0;
    item->OnChange = [&](vcl::TObject*, bool) { ++changes; };
    details->SetBarCaption("");
    details->SetBarFontname("Arial");
    details->SetBarColor(vcl::clNavy);
    EXPECT_EQ(changes, 0);
    details->SetEnabled(false);  // always announced
    details->SetBackgroundType(btCenter);
    EXPECT_EQ(changes, 2);
    item->SetLoadingState(true);
    details->SetBarCaption("Loaded");
    details->SetBarWidth(20);
    item->SetLoadingState(false);
    item->OnChange = nullptr;
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(details->BarWidth(), 20);
}

TEST_F(AppearanceTest, AssignCopiesEverything) {
    TZylSubMenu source;
    source.SetBarCaption("Side");
    source.SetBarWidth(22);
    source.SetColor(vcl::clYellow);
    source.BarBackground()->SetSize(6, 7);
    source.BarAsGradient()->SetActive(true);
    source.BarAsGradient()->SetColorCount(9);
    TZylSubMenu copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.BarCaption(), "Side");
    EXPECT_EQ(copy.BarWidth(), 22);
    EXPECT_EQ(copy.Color(), vcl::clYellow);
    EXPECT_EQ(copy.BarBackground()->Height(), 7);
    EXPECT_TRUE(copy.BarAsGradient()->Active());
    EXPECT_EQ(copy.BarAsGradient()->ColorCount(), 9);
}

TEST_F(AppearanceTest, ImageColumnsNeedAnImageListAndAnIndex) {
    auto* menu = NewMenu<TZylPopupMenu>();
    TZylMenuItem* file = AddItem(menu->Items(), "File");
    TZylMenuItem* open = AddItem(file, "Open");
    TZylMenuItem* close = AddItem(file, "Close");
    close->SetDisabledImageIndex(0);
    EXPECT_FALSE(close->HasImage());  // no image list yet
    EXPECT_FALSE(open->ImageInMenuNoRoot());
    auto* images = new vcl::TImageList(host_);
    menu->SetImages(images);
    EXPECT_TRUE(close->HasImage());
    EXPECT_FALSE(open->HasImage());
    EXPECT_TRUE(open->ImageInMenuNoRoot());  // a sibling has one
    EXPECT_FALSE(file->ImageInMenuNoRoot());
    auto* bar = NewMenu<TZylMainMenu>();
    bar->SetImages(images);
    TZylMenuItem* barItem = AddItem(bar->Items(), "Bar");
    barItem->SetImageIndex(1);
    EXPECT_TRUE(barItem->HasImage());
    EXPECT_FALSE(barItem->ImageInMenuNoRoot());  // bar items never reserve the column
    images->Free();
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(bar->Images(), nullptr);
    EXPECT_FALSE(close->HasImage());
}

TEST_F(AppearanceTest, SubmenuSizeFromTheMeasuredVisibleChildren) {
    TZylMenuItem* parent = NewItem("parent");
    const int sizes[][2] = {{80, 18}, {95, 18}, {60, 24}, {300, 50}};
    for (const auto& size : sizes) {
        TZylMenuItem* child = AddItem(parent, "child");
        child->SetMeasuredWidth(size[0]);
        child->SetMeasuredHeight(size[1]);
    }
    parent->Items(3)->SetVisible(false);
    const vcl::TPoint area = parent->GetSubSize();
    EXPECT_EQ(area.x, 115);
    EXPECT_EQ(area.y, 60);
}

// ---------------------------------------------------------------------------------------------
// Form text

using StreamTest = MenuTest;

TEST_F(StreamTest, RegistrationPutsTheMenusOnTheirPage) {
    ribola::Register();
    EXPECT_EQ(vcl::FindPaletteClass("TZylMainMenu"), TZylMainMenu::StaticClass());
    EXPECT_EQ(vcl::FindPaletteClass("TZylPopupMenu"), TZylPopupMenu::StaticClass());
    EXPECT_EQ(vcl::FindPaletteClass("TZylMenuItem"), nullptr);  // streamable, not on the palette
    EXPECT_EQ(vcl::GetClass("TZylMenuItem"), TZylMenuItem::StaticClass());
    EXPECT_EQ(vcl::GetClass("TZylSubMenu"), TZylSubMenu::StaticClass());
}

TEST_F(StreamTest, ItemsPublishTheirOwnListInOrder) {
    std::vector<std::string> names;
    for (const vcl::TPropInfo* info : TZylMenuItem::StaticClass()->Properties())
        names.push_back(info->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name",           "Tag",          "HelpContext",
                                               "Hint",           "SystemItem",   "AsBitmapItem",
                                               "SubMenuDetails", "Divider",      "Break",
                                               "Caption",        "Checked",      "Visible",
                                               "Default",        "Enabled",      "RadioItem",
                                               "ShortCut",       "OnClick",      "OnSelect",
                                               "ImageIndex",     "CheckedIndex", "DisabledImageIndex",
                                               "GroupIndex"}));
}

TEST_F(StreamTest, ARoundTripKeepsTheTreeAndNeverWritesShortCutText) {
    auto* menu = new TZylMainMenu(host_);
    menu->SetName("MainMenu1");
    TZylMenuItem* file = AddItem(menu->Items(), "&File", 1);
    file->SetName("File1");
    file->SubMenuDetails()->SetBarCaption("Files");
    file->SubMenuDetails()->SetBarWidth(24);
    TZylMenuItem* save = AddItem(file, "&Save", 0);
    save->SetName("Save1");
    save->SetShortCut(vcl::scCtrl | 'S');
    save->SetHelpContext(12);
    save->SetImageIndex(2);
    TZylMenuItem* line = AddItem(file, "-", 0);
    line->SetName("Line1");
    line->SetDivider(true);

    const std::string text = vcl::ComponentToText(host_);
    EXPECT_EQ(text.find("ShortCutText"), std::string::npos);
    EXPECT_NE(text.find("object MainMenu1: TZylMainMenu"), std::string::npos);
    EXPECT_NE(text.find("SubMenuDetails.BarWidth = 24"), std::string::npos);
    EXPECT_LT(text.find("HelpContext = 12"), text.find("Caption = '&Save'"));
    EXPECT_LT(text.find("ShortCut = "), text.find("ImageIndex = 2"));
    EXPECT_LT(text.find("object File1"), text.find("object Save1"));
    EXPECT_LT(text.find("object Save1"), text.find("object Line1"));

    vcl::TComponentPtr<zyltest::TMenuHost> copy(new zyltest::TMenuHost(nullptr));
    vcl::ReadComponentText(text, copy.get());
    EXPECT_EQ(vcl::ComponentToText(copy.get()), text);
    auto* readMenu = dynamic_cast<TZylMainMenu*>(copy->FindComponent("MainMenu1"));
    ASSERT_NE(readMenu, nullptr);
    ASSERT_EQ(readMenu->Items()->Count(), 1);
    TZylMenuItem* readFile = readMenu->Items()->Items(0);
    EXPECT_EQ(readFile->Name(), "File1");
    EXPECT_EQ(readFile->GroupIndex(), 1);
    EXPECT_EQ(Captions(readFile), (std::vector<std::string>{"&Save", "-"}));
    EXPECT_EQ(readFile->Items(0)->ShortCut(), vcl::scCtrl | 'S');
    EXPECT_TRUE(readFile->Items(1)->Divider());
}

TEST_F(StreamTest, ShortCutTextIsReadIntoShortCut) {
    const std::string text =
        "object Host: TMenuHost\n"
        "  object Menu1: TZylPopupMenu\n"
        "    NewStyles = False\n"
        "    object Item1: TZylMenuItem\n"
        "      Caption = 'Print'\n"
        "      ShortCutText = 'Ctrl+Shift+P'\n"
        "    end\n"
        "  end\n"
        "end\n";
    vcl::TComponentPtr<zyltest::TMenuHost> host(new zyltest::TMenuHost(nullptr));
    vcl::ReadComponentText(text, host.get());
    auto* item = dynamic_cast<TZylMenuItem*>(host->FindComponent("Item1"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ShortCut(), vcl::scCtrl | vcl::scShift | 'P');
    const std::string written = vcl::ComponentToText(host.get());
    EXPECT_EQ(written.find("ShortCutText"), std::string::npos);
    EXPECT_NE(written.find("ShortCut = "), std::string::npos);
    auto* menu = dynamic_cast<TZylPopupMenu*>(host->FindComponent("Menu1"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(zyltest::Texts(menu->GetHandle()), (std::vector<std::string>{"Print\tShift+Ctrl+P"}));
}

TEST_F(StreamTest, BadValuesNameTheLine) {
    const std::string text =
        "object Host: TMenuHost\n"
        "  object Menu1: TZylMainMenu\n"
        "    object Item1: TZylMenuItem\n"
        "      SubMenuDetails.BarWidth = 41\n"
        "    end\n"
        "  end\n"
        "end\n";
    vcl::TComponentPtr<zyltest::TMenuHost> host(new zyltest::TMenuHost(nullptr));
    try {
        vcl::ReadComponentText(text, host.get());
        ADD_FAILURE() << "no error";
    } catch (const vcl::EReadError& error) {
        EXPECT_NE(error.Message().find("line 4"), std::string::npos) << error.Message();
    }
    EXPECT_EQ(host->ComponentCount(), 0);
    const std::string unknown =
        "object Host: TMenuHost\n"
        "  object Menu1: TZylMainMenu\n"
        "    object Item1: TZylMenuItem\n"
        "      AutoCheck = True\n"
        "    end\n"
        "  end\n"
        "end\n";
    EXPECT_THROW(vcl::ReadComponentText(unknown, host.get()), vcl::EReadError);
}

}  // namespace
