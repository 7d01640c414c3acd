#include "recorder.h"
#include "win32/input.h"
#include "win32/virtualkeys.h"

namespace usertest {
namespace {

using Timers = UserTest;

std::vector<std::pair<UINT_PTR, DWORD>> callbacks;
void OnTimer(HWND, UINT message, UINT_PTR id, DWORD time) {
    if (message == WM_TIMER) callbacks.emplace_back(id, time);
}

TEST_F(Timers, WindowTimerFiresOnlyAfterTheClockAdvances) {
    HWND w = Top();
    Pump();
    EXPECT_EQ(SetTimer(w, 7, 100, nullptr), 7u);
    win32::testing::AdvanceClock(99);
    Pump();
    EXPECT_TRUE(MessagesOf(w, {WM_TIMER}).empty());
    win32::testing::AdvanceClock(1);
    EXPECT_TRUE(MessagesOf(w, {WM_TIMER}).empty());  // advancing dispatches nothing by itself
    Pump();
    ASSERT_EQ(MessagesOf(w, {WM_TIMER}).size(), 1u);
    EXPECT_EQ(Log().back().wParam, 7u);
}

TEST_F(Timers, OverdueTimerFiresOncePerRetrieval) {
    HWND w = Top();
    SetTimer(w, 1, 100, nullptr);
    win32::testing::AdvanceClock(1000);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_TIMER}).size(), 1u);
    win32::testing::AdvanceClock(100);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_TIMER}).size(), 2u);
}

TEST_F(Timers, ResettingAnIdChangesTheIntervalAndKillStopsIt) {
    HWND w = Top();
    SetTimer(w, 1, 100, nullptr);
    SetTimer(w, 1, 500, nullptr);
    win32::testing::AdvanceClock(400);
    Pump();
    EXPECT_TRUE(MessagesOf(w, {WM_TIMER}).empty());
    win32::testing::AdvanceClock(100);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_TIMER}).size(), 1u);
    EXPECT_TRUE(KillTimer(w, 1));
    EXPECT_FALSE(KillTimer(w, 1));
    win32::testing::AdvanceClock(1000);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_TIMER}).size(), 1u);
}

TEST_F(Timers, CallbackTimersGetFreshIdsAndTheirProcedureIsCalled) {
    callbacks.clear();
    const UINT_PTR a = SetTimer(nullptr, 0, 50, OnTimer);
    const UINT_PTR b = SetTimer(nullptr, 0, 80, OnTimer);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(SetTimer(nullptr, a, 60, OnTimer), a);
    win32::testing::AdvanceClock(80);
    Pump();
    ASSERT_EQ(callbacks.size(), 2u);
    EXPECT_EQ(callbacks[0].first, a);
    EXPECT_EQ(callbacks[1].first, b);
    EXPECT_EQ(callbacks[0].second, 80u);
    KillTimer(nullptr, a);
    KillTimer(nullptr, b);
}

TEST_F(Timers, DestroyingTheWindowKillsItsTimers) {
    HWND w = Top();
    SetTimer(w, 3, 10, nullptr);
    DestroyWindow(w);
    win32::testing::AdvanceClock(100);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(Timers, IntervalIsClampedToTheMinimum) {
    HWND w = Top();
    SetTimer(w, 1, 1, nullptr);
    win32::testing::AdvanceClock(9);
    Pump();
    EXPECT_TRUE(MessagesOf(w, {WM_TIMER}).empty());
    win32::testing::AdvanceClock(1);
    Pump();
    EXPECT_EQ(MessagesOf(w, {WM_TIMER}).size(), 1u);
}

using ModalLoops = UserTest;

TEST_F(ModalLoops, LoopWithNothingToDoRaisesNamingTheLoop) {
    Top();
    Pump();
    try {
        RunModalLoop("Dialog", [] { return false; });
        FAIL() << "no error";
    } catch (const ModalLoopStuck& e) {
        EXPECT_EQ(e.LoopName(), "Dialog");
        EXPECT_NE(std::string(e.what()).find("Dialog"), std::string::npos);
    }
}

TEST_F(ModalLoops, ScriptPlaysTheUser) {
    HWND w = Top(0, 0, 200, 200);
    Pump();
    bool closed = false;
    Handlers()[w] = [&](HWND, UINT m, WPARAM wp, LPARAM, LRESULT*) {
        if (m == WM_KEYDOWN && wp == VK_ESCAPE) closed = true;
        return false;
    };
    std::vector<std::string> asked;
    win32::testing::SetModalScript([&](std::string_view name) {
        asked.emplace_back(name);
        input::PressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(RunModalLoop("Form", [&] { return closed; }));
    EXPECT_EQ(asked, (std::vector<std::string>{"Form"}));
}

TEST_F(ModalLoops, ScriptThatDoesNothingStillEndsInTheError) {
    win32::testing::SetModalScript([](std::string_view) {});
    EXPECT_THROW(RunModalLoop("Menu", [] { return false; }), ModalLoopStuck);
}

TEST_F(ModalLoops, TimersKeepTheLoopGoingWhenTheScriptAdvancesTheClock) {
    HWND w = Top();
    Pump();
    int ticks = 0;
    Handlers()[w] = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m == WM_TIMER) ++ticks;
        return false;
    };
    SetTimer(w, 1, 100, nullptr);
    win32::testing::SetModalScript([](std::string_view) { win32::testing::AdvanceClock(100); });
    RunModalLoop("Wait", [&] { return ticks == 3; });
    EXPECT_EQ(ticks, 3);
}

TEST_F(ModalLoops, QuitEndsTheLoopAndIsPostedAgain) {
    PostQuitMessage(4);
    EXPECT_FALSE(RunModalLoop("Dialog", [] { return false; }));
    MSG msg;
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.wParam, 4u);
}

TEST_F(ModalLoops, CaptionDragMovesTheWindowThroughTheSizeMoveLoop) {
    HWND w = Top(100, 100, 300, 200);
    Pump();
    input::MoveMouse(200, 110);
    input::PressButton(input::Button::Left);
    input::MoveMouse(250, 150);
    input::ReleaseButton(input::Button::Left);
    Log().clear();
    Pump();
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 140);
    EXPECT_EQ(MessagesOf(w, {WM_ENTERSIZEMOVE, WM_MOVING, WM_EXITSIZEMOVE}),
              (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_MOVING, WM_EXITSIZEMOVE}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ModalLoops, FrameDragResizes) {
    HWND w = Top(100, 100, 300, 200);
    Pump();
    input::MoveMouse(399, 200);
    input::PressButton(input::Button::Left);
    input::MoveMouse(449, 200);
    input::ReleaseButton(input::Button::Left);
    Pump();
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.left, 100);
}

TEST_F(ModalLoops, CloseButtonClosesOnRelease) {
    HWND w = Top(100, 100, 300, 200);
    Pump();
    input::Click(385, 110);
    Pump();
    EXPECT_FALSE(IsWindow(w));
}

}  // namespace
}  // namespace usertest
