// The folder browser: the shortened path of its status line, the shell dialog run by script with
// its root, flags, initial selection and events, and computer browsing.
#include <filesystem>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zylfolderbrowser.h"
#include "win32/files.h"
#include "win32/user.h"

namespace folderbrowser_tests {

using namespace vcl;
using namespace quenta;
namespace testing = win32::testing;

class FolderBrowserTest : public dialogtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        std::filesystem::create_directories(dir_.Path() / "Projects" / "Zyl" / "src");
        testing::MapDrive('T', dir_.Path().string());
        browser.reset(new TZylFolderBrowser(nullptr));
    }
    void TearDown() override {
        browser.reset();
        DialogTest::TearDown();
    }
    TComponentPtr<TZylFolderBrowser> browser;
};

TEST_F(FolderBrowserTest, PathsAreSplitAndShortenedToTheirEnds) {
    TStringList parts;
    EXPECT_EQ(ZylBreakApart("C:\\a\\\\b", "\\", parts), 4);
    EXPECT_EQ(parts.Strings(2), "");
    EXPECT_EQ(ZylBreakApart("C:\\a", "", parts), 1) << "no delimiter keeps the text whole";
    EXPECT_EQ(parts.Strings(0), "C:\\a");

    struct Case {
        const char* path;
        const char* shown;
    };
    const Case cases[] = {
        // 60 characters in seven parts: the drive, the ellipsis and what fits of the end.
        {"C:\\Program Files\\Company1\\Product Suite\\Modules\\Data\\Archive",
         "C:\\...\\Modules\\Data\\Archive"},
        {"C:\\Short\\Path", "C:\\Short\\Path"},
        // Never fewer than three parts, even when they do not fit.
        {"C:\\A very long folder name indeed\\Another very long folder name",
         "C:\\...\\Another very long folder name"},
        {"NoDelimitersButLongerThanThirtyFiveCharacters", "NoDelimitersButLongerThanThirtyFiveCharacters"},
    };
    for (const Case& c : cases) {
        std::string shown;
        ZylCompressString(c.path, "\\", "...", shown, 35);
        EXPECT_EQ(shown, c.shown) << c.path;
    }
    EXPECT_EQ(std::string(cases[0].path).size(), 60u);
}

TEST_F(FolderBrowserTest, TheChosenFolderComesBackWithEventsInOrder) {
    browser->SetBrowseCaption("Pick a folder");
    browser->SetBrowsePathLabel(true);
    browser->SetBrowseReturnPath("T:\\Projects");
    browser->SetSound(bQuestion);
    std::vector<std::string> events;
    browser->BeforeBrowse = [&](TObject*) { events.push_back("before"); };
    browser->OnPathChanged = [&](TObject*) { events.push_back("changed " + browser->CurrentPath()); };
    browser->AfterBrowse = [&](TObject*) { events.push_back("after"); };
    testing::SetBrowseForFolderScript({{"T:\\Projects\\Zyl\\src"}, false});
    EXPECT_TRUE(browser->Execute());
    EXPECT_EQ(browser->BrowseReturnPath(), "T:\\Projects\\Zyl\\src");
    EXPECT_EQ(browser->DisplayName(), "src");
    EXPECT_EQ(events, (std::vector<std::string>{"before", "changed T:\\Projects",
                                                "changed T:\\Projects\\Zyl\\src", "after"}));
    const auto log = testing::BrowseForFolderLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].title, "Pick a folder");
    EXPECT_EQ(log[0].flags, win32::BIF_RETURNONLYFSDIRS | win32::BIF_STATUSTEXT);
    EXPECT_EQ(log[0].statusTexts, (std::vector<std::string>{"T:\\Projects", "T:\\Projects\\Zyl\\src"}));
    EXPECT_EQ(testing::Beeps(), (std::vector<win32::UINT>{0x20}));
    EXPECT_EQ(browser->DialogWindow(), nullptr);

    testing::SetBrowseForFolderScript({{"T:\\Projects"}, true});
    EXPECT_FALSE(browser->Execute());
    EXPECT_EQ(browser->BrowseReturnPath(), "T:\\Projects\\Zyl\\src") << "Cancel keeps the last choice";
}

TEST_F(FolderBrowserTest, TheWindowIsCentredAndOwnedByTheApplicationWithoutAMainForm) {
    win32::RECT bounds{};
    win32::HWND owner = nullptr;
    browser->OnPathChanged = [&](TObject*) {
        win32::GetWindowRect(browser->DialogWindow(), &bounds);
        owner = win32::GetWindow(browser->DialogWindow(), win32::GW_OWNER);
    };
    testing::SetBrowseForFolderScript({{"T:\\Projects"}, false});
    EXPECT_TRUE(browser->Execute());
    EXPECT_EQ(bounds.left, 1024 / 2 - (bounds.right - bounds.left) / 2);
    EXPECT_EQ(bounds.top, 768 / 2 - (bounds.bottom - bounds.top) / 2);
    EXPECT_EQ(owner, Application->Handle());
}

TEST_F(FolderBrowserTest, RootsMapToShellFoldersAndComputerBrowsingKeepsOkUsable) {
    EXPECT_EQ(ZylBrowseRootFolder(csidlDesktopExpanded), -1);
    EXPECT_EQ(ZylBrowseRootFolder(csidlMyComputer), 0x11);
    EXPECT_EQ(ZylBrowseRootFolder(csidlSendto), 9);
    EXPECT_EQ(ZylBrowseFlags({bifBrowseForComputer, bifBrowseForPrinter, bifDontGoBelowDomain}), 0x3002u);

    // Rooted at the personal folder, a folder outside it cannot be chosen.
    testing::SetSpecialFolder(0x05, (dir_.Path() / "Projects").string());
    browser->SetBrowseRoot(csidlPersonal);
    testing::SetBrowseForFolderScript({{"T:\\Projects\\Zyl"}, false});
    EXPECT_TRUE(browser->Execute());
    testing::SetBrowseForFolderScript({{"T:\\"}, false});
    EXPECT_FALSE(browser->Execute());
    EXPECT_EQ(testing::BrowseForFolderLog().back().outcome, "not a folder");

    // The computer has no item of the shell here: the whole namespace stands for it.
    browser->SetBrowseRoot(csidlMyComputer);
    browser->SetBrowseFlags({bifBrowseForComputer});
    testing::SetBrowseForFolderScript({{"T:\\Projects"}, false});
    EXPECT_TRUE(browser->Execute());
    EXPECT_TRUE(testing::BrowseForFolderLog().back().okEnabled);

    browser->SetBrowseFlags({bifFileSystemDirsOnly});
    browser->SetBrowseRoot(csidlControlPanel);
    testing::SetBrowseForFolderScript({{"T:\\Projects"}, false});
    EXPECT_FALSE(browser->Execute()) << "a root the shell cannot name";
}

TEST_F(FolderBrowserTest, ItemListsAreMadeForExistingFoldersOnly) {
    win32::PIDLIST_ABSOLUTE list = ZylGetIDListFromPath("T:\\Projects\\Zyl");
    ASSERT_NE(list, nullptr);
    char path[win32::MAX_PATH] = {};
    EXPECT_TRUE(win32::SHGetPathFromIDList(list, path));
    EXPECT_EQ(std::string(path), "T:\\Projects\\Zyl");
    win32::ILFree(list);
    EXPECT_EQ(ZylGetIDListFromPath("T:\\Projects\\missing"), nullptr);
    EXPECT_EQ(ZylGetIDListFromPath(""), nullptr);
}

}  // namespace folderbrowser_tests
