// The desktop shared by the processes of a session: other processes' top-level windows are listed,
// described and reached by calls and messages, the foreground moves between processes, and a
// process that dies takes its windows along. Each test runs real second and third processes
// (tests/programs/session_peer.cpp) in a session folder of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/tempdir.h"
#include "win32/user.h"

namespace session_tests {

using namespace win32;

std::vector<HWND> AllTopLevelWindows() {
    std::vector<HWND> handles;
    EnumWindows(
        [](HWND h, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&handles));
    return handles;
}

// The first visible window of the desktop's z-order.
HWND TopVisibleWindow() {
    for (HWND h : AllTopLevelWindows())
        if (IsWindowVisible(h)) return h;
    return nullptr;
}

std::string CaptionOf(HWND h) {
    char text[64];
    GetWindowText(h, text, sizeof text);
    return text;
}

class SharedDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        win32::testing::SetSessionFolder(folder_);
    }
    void TearDown() override { win32::testing::ResetPlatform(); }

    std::unique_ptr<zyltest::ChildProcess> StartPeer(const std::string& className, const std::string& caption,
                                                     std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments{className, caption};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto peer = std::make_unique<zyltest::ChildProcess>(
            ZYL_SESSION_PEER, arguments, std::map<std::string, std::string>{{"ZYL_SESSION", folder_}});
        EXPECT_TRUE(peer->WaitForLine("ready"));
        return peer;
    }

    zyltest::TempDir dir_;
    std::string folder_ = (dir_.Path() / "session").string();
};

TEST_F(SharedDesktop, OtherProcessesWindowsAreListedAndDescribed) {
    auto first = StartPeer("PeerOne", "First peer");
    auto second = StartPeer("PeerTwo", "Second peer");

    const HWND one = FindWindow("PeerOne", "First peer");
    const HWND two = FindWindow("peertwo", nullptr);  // class names compare without case
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    const auto all = AllTopLevelWindows();
    EXPECT_NE(std::find(all.begin(), all.end(), one), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), two), all.end());

    struct Expected {
        HWND window;
        pid_t process;
        const char* className;
        const char* caption;
    };
    for (const Expected& e : {Expected{one, first->Pid(), "PeerOne", "First peer"},
                              Expected{two, second->Pid(), "PeerTwo", "Second peer"}}) {
        SCOPED_TRACE(e.caption);
        char name[32];
        EXPECT_EQ(GetClassName(e.window, name, sizeof name), static_cast<int>(std::strlen(e.className)));
        EXPECT_STREQ(name, e.className);
        EXPECT_EQ(CaptionOf(e.window), e.caption);
        EXPECT_EQ(GetWindowTextLength(e.window), static_cast<int>(std::strlen(e.caption)));
        DWORD process = 0;
        EXPECT_NE(GetWindowThreadProcessId(e.window, &process), 0u);
        EXPECT_EQ(process, static_cast<DWORD>(e.process));
        EXPECT_TRUE(IsWindow(e.window));
        EXPECT_TRUE(IsWindowVisible(e.window));
        RECT rect{};
        EXPECT_TRUE(GetWindowRect(e.window, &rect));
        EXPECT_EQ(rect.right - rect.left, 300);
    }
    // A process told to keep to itself is not among them.
    zyltest::ChildProcess alone(ZYL_SESSION_PEER, {"PeerAlone", "Alone"}, {{"ZYL_SESSION", "none"}});
    ASSERT_TRUE(alone.WaitForLine("ready"));
    EXPECT_EQ(FindWindow("PeerAlone", nullptr), nullptr);

    // A desktop of its own again: the others are out of sight.
    win32::testing::SetSessionFolder("");
    EXPECT_EQ(FindWindow("PeerOne", nullptr), nullptr);
    EXPECT_TRUE(AllTopLevelWindows().empty());
}

TEST_F(SharedDesktop, CallsAndMessagesReachAnotherProcess) {
    auto peer = StartPeer("PeerCalls", "Calls", {"--popup"});
    const HWND window = FindWindow("PeerCalls", "Calls");
    ASSERT_NE(window, nullptr);

    // The popup it owns and activated is its last active popup.
    const HWND popup = GetLastActivePopup(window);
    EXPECT_NE(popup, window);
    EXPECT_EQ(CaptionOf(popup), "popup");

    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(window));
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    ShowWindow(window, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(window));

    EXPECT_EQ(SendMessage(window, WM_USER + 1, 20, 2), 42);
    EXPECT_TRUE(PostMessage(window, WM_USER + 2, 5, 6));
    EXPECT_TRUE(peer->WaitForLine("posted 5 6"));
    EXPECT_TRUE(SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed")));
    EXPECT_EQ(CaptionOf(window), "Renamed");
    char text[4];
    EXPECT_EQ(SendMessage(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 3);
    EXPECT_STREQ(text, "Ren");
    std::string payload = "data for you";
    COPYDATASTRUCT copy{77, static_cast<DWORD>(payload.size()), payload.data()};
    EXPECT_EQ(SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)), 1);
    EXPECT_TRUE(peer->WaitForLine("copydata 77 data for you"));
    // Pointers cannot be posted to another process.
    SetLastError(0);
    EXPECT_FALSE(PostMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")));
    EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);

    // A busy program makes a send with a time limit give up; it answers again once free.
    DWORD_PTR answer = 0;
    SetLastError(0);
    EXPECT_EQ(SendMessageTimeout(window, WM_USER + 3, 0, 0, SMTO_NORMAL, 100, &answer), 0);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    peer->WriteLine("go on");
    EXPECT_EQ(SendMessageTimeout(window, WM_USER + 1, 1, 1, SMTO_NORMAL, 5000, &answer), 1);
    EXPECT_EQ(answer, 3u);

    PostMessage(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(peer->Wait(), 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(SharedDesktop, TheForegroundAndTheTopMoveBetweenProcesses) {
    auto first = StartPeer("PeerFront", "Front one");
    auto second = StartPeer("PeerFront", "Front two");
    const HWND one = FindWindow("PeerFront", "Front one");
    const HWND two = FindWindow("PeerFront", "Front two");
    ASSERT_TRUE(one && two);

    // Each started active; the second took the foreground from the first.
    EXPECT_EQ(GetForegroundWindow(), two);
    EXPECT_EQ(TopVisibleWindow(), two);

    EXPECT_TRUE(SetForegroundWindow(one));
    EXPECT_EQ(GetForegroundWindow(), one);
    EXPECT_EQ(TopVisibleWindow(), one);
    EXPECT_TRUE(second->WaitForLine("activateapp 0"));

    EXPECT_TRUE(BringWindowToTop(two));
    EXPECT_EQ(TopVisibleWindow(), two);

    // This process's own window comes back from the others in their form of its handle.
    WNDCLASS cls{};
    cls.lpfnWndProc = DefWindowProc;
    cls.lpszClassName = "LocalFront";
    RegisterClass(&cls);
    const HWND mine = CreateWindowEx(0, "LocalFront", "Mine", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                                     100, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(TopVisibleWindow(), mine);
    const HWND asOthersSeeIt = MakeHandle<HWND>((static_cast<UINT_PTR>(getpid()) << 32) | HandleValue(mine));
    EXPECT_TRUE(IsWindow(asOthersSeeIt));
    EXPECT_EQ(CaptionOf(asOthersSeeIt), "Mine");
}

TEST_F(SharedDesktop, AProcessThatDiesTakesItsWindowsAlong) {
    auto doomed = StartPeer("PeerDoomed", "Doomed");
    auto survivor = StartPeer("PeerSurvivor", "Survivor");
    const HWND window = FindWindow("PeerDoomed", "Doomed");
    ASSERT_NE(window, nullptr);
    const auto socket = std::filesystem::path(folder_) / (std::to_string(doomed->Pid()) + ".sock");
    EXPECT_TRUE(std::filesystem::exists(socket));

    doomed->Kill(SIGKILL);
    EXPECT_EQ(doomed->Wait(), -SIGKILL);
    EXPECT_EQ(FindWindow("PeerDoomed", nullptr), nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_NE(FindWindow("PeerSurvivor", "Survivor"), nullptr);
    SetLastError(0);
    EXPECT_FALSE(PostMessage(window, WM_USER + 2, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

}  // namespace session_tests
