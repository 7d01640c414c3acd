// Components that look beyond their own process, run as real copies of a program
// (tests/programs/orvane_app.cpp) on a desktop shared with this test: the single-instance check
// and the crash detector.
#include <signal.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "orvane/zyltstoredata.h"
#include "support/child_process.h"
#include "system_fixture.h"
#include "win32/user.h"

namespace process_tests {

using namespace vcl;
using zyltest::ChildProcess;

class ProgramCopies : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        win32::testing::UseRealClock();
        win32::testing::SetSessionFolder(session_);
    }

    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments) {
        return std::make_unique<ChildProcess>(
            ZYL_ORVANE_APP, arguments,
            std::map<std::string, std::string>{{"ZYL_SESSION", session_},
                                               {"ZYL_REGISTRY", dir_.File("registry.sqlite")},
                                               {"ZYL_WINDOWS_DIR", dir_.File("windows")}});
    }

    // The main form ("Copy") of the copy running as `process`.
    static win32::HWND MainFormOf(const ChildProcess& copy) {
        struct Search {
            win32::DWORD process;
            win32::HWND found = nullptr;
        } search{static_cast<win32::DWORD>(copy.Pid())};
        win32::EnumWindows(
            [](win32::HWND window, win32::LPARAM data) -> win32::BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                char caption[16] = {};
                win32::DWORD process = 0;
                win32::GetWindowThreadProcessId(window, &process);
                win32::GetWindowText(window, caption, sizeof caption);
                if (process == s.process && std::string(caption) == "Copy") s.found = window;
                return s.found == nullptr;
            },
            reinterpret_cast<win32::LPARAM>(&search));
        return search.found;
    }

    static win32::HWND TopVisibleWindow() {
        win32::HWND top = nullptr;
        win32::EnumWindows(
            [](win32::HWND window, win32::LPARAM data) -> win32::BOOL {
                if (!win32::IsWindowVisible(window)) return win32::TRUE;
                *reinterpret_cast<win32::HWND*>(data) = window;
                return win32::FALSE;
            },
            reinterpret_cast<win32::LPARAM>(&top));
        return top;
    }

    Integer StoredAbortMark() {
        TComponentPtr<orvane::TZylStoreData> store(new orvane::TZylStoreData(nullptr));
        store->DataStore()->SetErrorInt(-1);
        return store->ReadInt("IllegalAbort");
    }

    std::string session_ = dir_.File("session");
};

TEST_F(ProgramCopies, TwoInstancesLetASecondCopyRunAndEndTheThird) {
    auto first = Start({"onlyone", "2", "aRestoreAndExit"});
    ASSERT_TRUE(first->WaitForLine("ready"));
    auto second = Start({"onlyone", "2", "aRestoreAndExit"});
    ASSERT_TRUE(second->WaitForLine("ready"));
    auto third = Start({"onlyone", "2", "aRestoreAndExit"});
    EXPECT_EQ(third->ReadLine(), "exceeded 3");
    EXPECT_EQ(third->Wait(), 0);
    EXPECT_FALSE(first->Wait(0).has_value());
    EXPECT_FALSE(second->Wait(0).has_value());
    // The copy found last in the desktop's order, the first, came to the front.
    EXPECT_TRUE(first->WaitForLine("activated"));
    EXPECT_EQ(win32::GetForegroundWindow(), MainFormOf(*first));
}

TEST_F(ProgramCopies, RestoreBringsTheFirstCopysWindowToTheFront) {
    auto first = Start({"onlyone", "1", "aRestoreAndExit", "--minimized"});
    ASSERT_TRUE(first->WaitForLine("ready"));
    const win32::HWND window = MainFormOf(*first);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(win32::IsIconic(window));
    auto second = Start({"onlyone", "1", "aRestore", "--hidden"});
    EXPECT_EQ(second->ReadLine(), "exceeded 2");
    EXPECT_TRUE(second->WaitForLine("ready")) << "aRestore lets the second copy run on";
    EXPECT_TRUE(first->WaitForLine("restored"));
    EXPECT_FALSE(win32::IsIconic(window));
    EXPECT_EQ(win32::GetForegroundWindow(), window);
    EXPECT_EQ(TopVisibleWindow(), window);
}

TEST_F(ProgramCopies, AKilledCopyLeavesItsMarkForTheNextStartAndANormalEndClearsIt) {
    auto killed = Start({"illegalabort"});
    EXPECT_EQ(killed->ReadLine(), "ready") << "a first start finds no mark";
    EXPECT_EQ(StoredAbortMark(), 1);
    killed->Kill(SIGKILL);
    EXPECT_EQ(killed->Wait(), -SIGKILL);
    EXPECT_EQ(StoredAbortMark(), 1);

    auto next = Start({"illegalabort"});
    EXPECT_EQ(next->ReadLine(), "illegal abort");
    EXPECT_EQ(next->ReadLine(), "ready");
    next->WriteLine("quit");
    EXPECT_EQ(next->Wait(), 0);
    EXPECT_EQ(StoredAbortMark(), 0);

    auto clean = Start({"illegalabort"});
    EXPECT_EQ(clean->ReadLine(), "ready");
    clean->WriteLine("quit");
    EXPECT_EQ(clean->Wait(), 0);
}

}  // namespace process_tests
