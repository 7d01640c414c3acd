// The shell's own windows: the folder browser's tree and the about box.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/tempdir.h"
#include "win32/gdi.h"
#include "win32/input.h"
#include "win32/shell.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

class ShellDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"docs/Sub/deep", "docs/beta", "docs/.cache", "music"})
            std::filesystem::create_directories(temp.Path() / folder);
        wt::MapDrive('H', temp.Path().string(), DRIVE_FIXED, "HOMEWORK");
    }
    void TearDown() override { wt::ResetPlatform(); }

    zyltest::TempDir temp;
};

// The screen colour at a client point of the window.
COLORREF ShellWindowPixel(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The rows of the tree (18 pixels each, from the top of the tree box) that show the selection's
// highlight.
std::vector<int> HighlightedTreeRows(HWND window, int treeTop) {
    std::vector<int> rows;
    for (int row = 0; row < 12; ++row) {
        const int y = treeTop + 3 + row * 18 + 9;
        bool highlighted = false;
        for (int x = 14; x < 270 && !highlighted; ++x)
            highlighted = ShellWindowPixel(window, x, y) == GetSysColor(COLOR_HIGHLIGHT);
        if (highlighted) rows.push_back(row);
    }
    return rows;
}

TEST_F(ShellDialogTest, TheFolderBrowserShowsItsTreeOpenedDownToTheSelection) {
    PIDLIST_ABSOLUTE root = ILCreateFromPath("H:\\");
    BROWSEINFO info{};
    info.pidlRoot = root;
    info.lpszTitle = "Where do the notes go?";
    std::vector<int> highlighted;
    std::string className, caption;
    wt::BrowseForFolderScript script{{"H:\\docs", "H:\\docs\\Sub"}, false};
    script.whileOpen = [&](HWND dialog) {
        char text[64] = {};
        GetClassName(dialog, text, sizeof text);
        className = text;
        GetWindowText(dialog, text, sizeof text);
        caption = text;
        EXPECT_TRUE(IsWindowVisible(dialog));
        highlighted = HighlightedTreeRows(dialog, 48);
    };
    wt::SetBrowseForFolderScript(script);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolder(&info);
    EXPECT_NE(chosen, nullptr);
    ILFree(chosen);
    ILFree(root);
    EXPECT_EQ(className, "ZylBrowseForFolder");
    EXPECT_EQ(caption, "Browse for Folder");
    // H:, docs, beta, Sub: subfolders by name regardless of case, hidden ones left out, and the
    // selection's own subfolders still closed.
    EXPECT_EQ(highlighted, (std::vector<int>{3}));
}

TEST_F(ShellDialogTest, TheAboutBoxIsModalAndAnswersOkEnterAndEscape) {
    WNDCLASS windowClass{};
    windowClass.lpfnWndProc = DefWindowProc;
    windowClass.lpszClassName = "ZylAboutOwner";
    RegisterClass(&windowClass);
    HWND owner = CreateWindowEx(0, "ZylAboutOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
    bool ownerEnabled = true;
    std::string caption;
    std::function<void(HWND)> answer;
    wt::SetShellAboutWhileOpen([&](HWND box) {
        ownerEnabled = IsWindowEnabled(owner);
        char text[64] = {};
        GetWindowText(box, text, sizeof text);
        caption = text;
        if (answer) answer(box);
    });

    EXPECT_TRUE(ShellAbout(owner, "Notes#Zyl Notes 2.1", "Built for the team", nullptr));
    EXPECT_EQ(caption, "Notes") << "the text before # is the caption";
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));

    answer = [](HWND) { input::PressKey(VK_RETURN); };
    EXPECT_TRUE(ShellAbout(owner, "Zyl Notes", "", nullptr));
    EXPECT_EQ(caption, "About Zyl Notes");
    answer = [](HWND) { input::PressKey(VK_ESCAPE); };
    EXPECT_TRUE(ShellAbout(owner, "Zyl Notes", "", nullptr));
    answer = [](HWND box) {
        RECT bounds{};
        GetWindowRect(box, &bounds);
        input::Click(bounds.right - 40, bounds.bottom - 20);
    };
    EXPECT_TRUE(ShellAbout(nullptr, "Zyl Notes", "", nullptr));

    const auto log = wt::ShellAboutLog();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].app, "Notes#Zyl Notes 2.1");
    EXPECT_EQ(log[0].otherStuff, "Built for the team");
    EXPECT_EQ(log[0].owner, owner);
    EXPECT_EQ(log[0].closedBy, "headless");
    EXPECT_EQ(log[1].closedBy, "Enter");
    EXPECT_EQ(log[2].closedBy, "Escape");
    EXPECT_EQ(log[3].closedBy, "OK");
    const int width = log[3].window.right - log[3].window.left;
    EXPECT_EQ(log[3].window.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2) << "centred";
    DestroyWindow(owner);
}

}  // namespace
