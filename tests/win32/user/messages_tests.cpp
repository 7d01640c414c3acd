#include <algorithm>
#include <thread>

#include "recorder.h"
#include "win32/input.h"
#include "win32/virtualkeys.h"

namespace usertest {
namespace {

using Messages = UserTest;

TEST_F(Messages, SendMessageIsReentrant) {
    HWND w = Top();
    Handlers()[w] = [](HWND h, UINT m, WPARAM wp, LPARAM, LRESULT* r) {
        if (m != WM_USER) return false;
        *r = wp == 0 ? 1 : static_cast<LRESULT>(wp) * SendMessage(h, WM_USER, wp - 1, 0);
        return true;
    };
    EXPECT_EQ(SendMessage(w, WM_USER, 5, 0), 120);
}

TEST_F(Messages, RetrievalOrderIsPostedInputPaintTimer) {
    HWND w = Top(0, 0, 300, 200);
    Pump();  // the first paint
    ValidateRect(w, nullptr);
    SetTimer(w, 1, 10, nullptr);
    win32::testing::AdvanceClock(10);
    InvalidateRect(w, nullptr, FALSE);
    input::KeyDown('A');
    PostMessage(w, WM_USER, 0, 0);
    std::vector<UINT> order;
    MSG msg;
    for (int i = 0; i < 4 && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        order.push_back(msg.message);
        if (msg.message == WM_PAINT) ValidateRect(w, nullptr);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
}

TEST_F(Messages, FiltersSelectByRangeAndWindowButQuitAlwaysComes) {
    HWND a = Top(), b = Top();
    PostMessage(a, WM_USER + 1, 0, 0);
    PostMessage(b, WM_USER + 2, 0, 0);
    PostMessage(a, WM_USER + 3, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_USER + 2);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    PostQuitMessage(3);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessage(&msg, a, WM_USER + 10, WM_USER + 20, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    PostMessage(b, WM_USER + 4, 0, 0);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER + 2);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER + 4);
    EXPECT_EQ(GetMessage(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(Messages, PostedMessagesCarryTimeAndCursorPosition) {
    HWND w = Top();
    input::MoveMouse(40, 50);
    Pump();
    win32::testing::AdvanceClock(1234);
    PostMessage(w, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.time, 1234u);
    EXPECT_EQ(GetMessageTime(), 1234);
    EXPECT_EQ(msg.pt.x, 40);
    EXPECT_EQ(GetMessagePos(), MAKELONG(40, 50));
}

TEST_F(Messages, DestroyedWindowsLoseTheirPostedMessages) {
    HWND w = Top();
    PostMessage(w, WM_USER, 0, 0);
    DestroyWindow(w);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_EQ(GetMessage(&msg, w, 0, 0), -1);
}

TEST_F(Messages, SendFromAnotherThreadRunsOnTheWindowsThread) {
    HWND w = Top();
    const DWORD ui = GetCurrentThreadId();
    DWORD seenThread = 0;
    bool inSend = false;
    Handlers()[w] = [&](HWND, UINT m, WPARAM wp, LPARAM, LRESULT* r) {
        if (m != WM_USER) return false;
        seenThread = GetCurrentThreadId();
        inSend = InSendMessage();
        *r = static_cast<LRESULT>(wp) + 1;
        return true;
    };
    LRESULT result = 0;
    std::thread worker([&] { result = SendMessage(w, WM_USER, 41, 0); });
    MSG msg;
    // The sent message is processed inside GetMessage, which then returns the posted quit.
    std::thread poster([&] {
        while (!seenThread)
            std::this_thread::yield();
        PostThreadMessage(ui, WM_QUIT, 0, 0);
    });
    while (GetMessage(&msg, nullptr, 0, 0))
        DispatchMessage(&msg);
    worker.join();
    poster.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(seenThread, ui);
    EXPECT_TRUE(inSend);
    EXPECT_FALSE(InSendMessage());
}

TEST_F(Messages, RegisteredMessagesAreSharedByName) {
    const UINT a = RegisterWindowMessage("Zyl.Message");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("ZYL.MESSAGE"), a);
    EXPECT_NE(RegisterWindowMessage("Other"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(Messages, TranslateMessageTurnsKeysIntoCharacters) {
    HWND w = Top();
    input::PressKey('A', input::Shift);
    input::PressKey('1');
    input::PressKey('C', input::Ctrl);
    input::PressKey('X', input::Alt);
    Pump();
    std::vector<std::pair<UINT, WPARAM>> chars;
    for (const auto& e : Log())
        if (e.hwnd == w && (e.message == WM_CHAR || e.message == WM_SYSCHAR))
            chars.emplace_back(e.message, e.wParam);
    EXPECT_EQ(chars, (std::vector<std::pair<UINT, WPARAM>>{
                         {WM_CHAR, 'A'}, {WM_CHAR, '1'}, {WM_CHAR, 3}, {WM_SYSCHAR, 'x'}}));
}

TEST_F(Messages, TypeTextDeliversCharactersIncludingOnesWithoutKeys) {
    HWND w = Top();
    input::TypeText("Hi ü€\n");
    Pump();
    std::vector<WPARAM> chars;
    for (const auto& e : Log())
        if (e.hwnd == w && e.message == WM_CHAR) chars.push_back(e.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'H', 'i', ' ', 0xFC, 0x20AC, '\r'}));
}

// ---------------------------------------------------------------------------------------------
// Hooks

HHOOK getMessageHook = nullptr;

LRESULT BlankKeyA(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_KEYDOWN && msg->wParam == 'A')
        msg->message = WM_NULL;
    return CallNextHookEx(getMessageHook, code, wParam, lParam);
}

using Hooks = UserTest;

TEST_F(Hooks, GetMessageHookCanBlankAKeystroke) {
    HWND w = Top();
    getMessageHook = SetWindowsHookEx(WH_GETMESSAGE, BlankKeyA, nullptr, GetCurrentThreadId());
    ASSERT_NE(getMessageHook, nullptr);
    input::PressKey('A');
    input::PressKey('B');
    Pump();
    EXPECT_TRUE(UnhookWindowsHookEx(getMessageHook));
    std::vector<WPARAM> chars;
    for (const auto& e : Log())
        if (e.hwnd == w && e.message == WM_CHAR) chars.push_back(e.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'b'}));
    EXPECT_FALSE(UnhookWindowsHookEx(getMessageHook));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_HANDLE);
}

std::vector<int> hookCalls;
HHOOK hookA = nullptr, hookB = nullptr, hookC = nullptr;

LRESULT HookA(int code, WPARAM w, LPARAM l) {
    hookCalls.push_back(1);
    return CallNextHookEx(hookA, code, w, l);
}
LRESULT HookB(int code, WPARAM w, LPARAM l) {
    hookCalls.push_back(2);
    UnhookWindowsHookEx(hookB);  // removing itself mid-chain
    return CallNextHookEx(hookB, code, w, l);
}
LRESULT HookC(int code, WPARAM w, LPARAM l) {
    hookCalls.push_back(3);
    return CallNextHookEx(hookC, code, w, l);
}

TEST_F(Hooks, NewestHookRunsFirstAndUnhookingInsideAHookIsSafe) {
    HWND w = Top();
    hookCalls.clear();
    hookA = SetWindowsHookEx(WH_CALLWNDPROC, HookA, nullptr, 0);
    hookB = SetWindowsHookEx(WH_CALLWNDPROC, HookB, nullptr, 0);
    hookC = SetWindowsHookEx(WH_CALLWNDPROC, HookC, nullptr, 0);
    SendMessage(w, WM_USER, 0, 0);
    EXPECT_EQ(hookCalls, (std::vector<int>{3, 2, 1}));
    hookCalls.clear();
    SendMessage(w, WM_USER, 0, 0);
    EXPECT_EQ(hookCalls, (std::vector<int>{3, 1}));
    EXPECT_EQ(win32::testing::InstalledHookCount(WH_CALLWNDPROC), 2);
    UnhookWindowsHookEx(hookA);
    UnhookWindowsHookEx(hookC);
    EXPECT_EQ(win32::testing::InstalledHookCount(WH_CALLWNDPROC), 0);
}

CWPSTRUCT lastSent{};
LRESULT lastResult = 0;
HHOOK callHook = nullptr, retHook = nullptr;
LRESULT RecordCall(int code, WPARAM w, LPARAM l) {
    lastSent = *reinterpret_cast<CWPSTRUCT*>(l);
    return CallNextHookEx(callHook, code, w, l);
}
LRESULT RecordReturn(int code, WPARAM w, LPARAM l) {
    lastResult = reinterpret_cast<CWPRETSTRUCT*>(l)->lResult;
    return CallNextHookEx(retHook, code, w, l);
}

TEST_F(Hooks, CallWndProcHooksSeeSentMessagesAndResults) {
    HWND w = Top();
    SetWindowText(w, "abc");
    callHook = SetWindowsHookEx(WH_CALLWNDPROC, RecordCall, nullptr, 0);
    retHook = SetWindowsHookEx(WH_CALLWNDPROCRET, RecordReturn, nullptr, 0);
    EXPECT_EQ(SendMessage(w, WM_GETTEXTLENGTH, 0, 0), 3);
    EXPECT_EQ(lastSent.hwnd, w);
    EXPECT_EQ(lastSent.message, static_cast<UINT>(WM_GETTEXTLENGTH));
    EXPECT_EQ(lastResult, 3);
    UnhookWindowsHookEx(callHook);
    UnhookWindowsHookEx(retHook);
    EXPECT_EQ(SetWindowsHookEx(WH_JOURNALRECORD, RecordCall, nullptr, 0), nullptr);
    EXPECT_EQ(SetWindowsHookEx(WH_MOUSE, nullptr, nullptr, 0), nullptr);
}

HHOOK keyboardHook = nullptr;
LRESULT SwallowEscape(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION && w == VK_ESCAPE) return 1;
    return CallNextHookEx(keyboardHook, code, w, l);
}

TEST_F(Hooks, KeyboardHookSwallowsKeys) {
    HWND w = Top();
    keyboardHook = SetWindowsHookEx(WH_KEYBOARD, SwallowEscape, nullptr, 0);
    input::PressKey(VK_ESCAPE);
    input::PressKey(VK_RETURN);
    Pump();
    UnhookWindowsHookEx(keyboardHook);
    EXPECT_EQ(MessagesOf(w, {WM_KEYDOWN}), (std::vector<UINT>{WM_KEYDOWN}));
    EXPECT_EQ(std::count_if(Log().begin(), Log().end(),
                            [](const Entry& e) { return e.message == WM_KEYDOWN && e.wParam == VK_ESCAPE; }),
              0);
}

HHOOK filterHook = nullptr;
int filterCode = -99;
LRESULT EatFilter(int code, WPARAM w, LPARAM l) {
    filterCode = code;
    if (reinterpret_cast<MSG*>(l)->message == WM_USER + 5) return 1;
    return CallNextHookEx(filterHook, code, w, l);
}

TEST_F(Hooks, MessageFilterHooksSeeModalLoopMessages) {
    HWND w = Top();
    filterHook = SetWindowsHookEx(WH_MSGFILTER, EatFilter, nullptr, 0);
    PostMessage(w, WM_USER + 5, 0, 0);
    PostMessage(w, WM_USER + 6, 0, 0);
    int seen = 0;
    Handlers()[w] = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m == WM_USER + 6) ++seen;
        return false;
    };
    RunModalLoop(
        "Filter", [&] { return seen > 0; }, MSGF_DIALOGBOX);
    UnhookWindowsHookEx(filterHook);
    EXPECT_EQ(filterCode, MSGF_DIALOGBOX);
    EXPECT_TRUE(MessagesOf(w, {WM_USER + 5}).empty());
}

}  // namespace
}  // namespace usertest
