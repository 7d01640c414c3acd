#include <atomic>
#include <thread>

#include "recorder.h"
#include "win32/input.h"

namespace usertest {
namespace {

using CrossThread = UserTest;

TEST_F(CrossThread, PostFromWorkerWakesBlockingGetMessage) {
    HWND w = Top();
    std::thread worker([w] { PostMessage(w, WM_USER + 9, 1, 2); });
    MSG msg;
    do {
        ASSERT_EQ(GetMessage(&msg, nullptr, 0, 0), TRUE);
        DispatchMessage(&msg);
    } while (msg.message != WM_USER + 9);
    worker.join();
    EXPECT_EQ(msg.hwnd, w);
    EXPECT_EQ(msg.lParam, 2);
}

TEST_F(CrossThread, ThreadMessagesAndUnknownThreads) {
    EXPECT_TRUE(PostThreadMessage(GetCurrentThreadId(), WM_USER, 5, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, MakeHandle<HWND>(static_cast<UINT_PTR>(-1)), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_FALSE(PostThreadMessage(0x7FFFFFF0, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

// A thread that made a window can be posted to before it first asks for a message (a peer process
// announces its windows and only then enters its loop).
TEST_F(CrossThread, AWindowsThreadHasAQueueBeforeItFirstAsksForAMessage) {
    std::atomic<HWND> made{nullptr};
    std::atomic<bool> posted{false};
    bool received = false;
    std::thread worker([&] {
        const HWND h = CreateWindowEx(0, "Plain", "worker", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                      nullptr);
        made = h;
        while (!posted) std::this_thread::yield();
        MSG msg;
        received = PeekMessage(&msg, h, WM_USER + 5, WM_USER + 5, PM_REMOVE) && msg.wParam == 7;
        DestroyWindow(h);
    });
    while (!made) std::this_thread::yield();
    EXPECT_TRUE(PostMessage(made, WM_USER + 5, 7, 0));
    posted = true;
    worker.join();
    EXPECT_TRUE(received);
}

TEST_F(CrossThread, SendTimeoutGivesUpWhenTheWindowThreadDoesNotAnswer) {
    HWND w = Top();
    std::atomic<bool> done{false};
    LRESULT ok = 1;
    DWORD error = 0;
    std::thread worker([&] {
        DWORD_PTR result = 0;
        ok = SendMessageTimeout(w, WM_USER, 0, 0, SMTO_NORMAL, 20, &result);
        error = GetLastError();
        done = true;
    });
    worker.join();  // the UI thread never pumps, so the send times out
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(error, ERROR_TIMEOUT);
    Pump();  // the late message is still delivered
    EXPECT_EQ(MessagesOf(w, {WM_USER}).size(), 1u);
}

TEST_F(CrossThread, ReplyMessageReleasesTheSenderEarly) {
    HWND w = Top();
    std::atomic<bool> replied{false};
    Handlers()[w] = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_USER) return false;
        EXPECT_EQ(InSendMessageEx(nullptr), ISMEX_SEND);
        EXPECT_TRUE(ReplyMessage(99));
        EXPECT_EQ(InSendMessageEx(nullptr), ISMEX_SEND | ISMEX_REPLIED);
        replied = true;
        *r = 1;
        return true;
    };
    LRESULT result = 0;
    std::thread worker([&] { result = SendMessage(w, WM_USER, 0, 0); });
    while (!replied) {
        MSG msg;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    }
    worker.join();
    EXPECT_EQ(result, 99);
    EXPECT_FALSE(ReplyMessage(0));
}

using QueueState = UserTest;

TEST_F(QueueState, QueueStatusReportsWhatWaits) {
    HWND w = Top();
    Pump();
    EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);
    PostMessage(w, WM_USER, 0, 0);
    input::KeyDown('A');
    InvalidateRect(w, nullptr, FALSE);
    const DWORD status = GetQueueStatus(QS_ALLINPUT);
    EXPECT_TRUE(status & QS_POSTMESSAGE);
    EXPECT_TRUE(status & QS_KEY);
    EXPECT_TRUE(status & QS_PAINT);
    EXPECT_FALSE(status & QS_MOUSEBUTTON);
    MSG msg;
    // PM_QS_PAINT selects only the paint message.
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_PAINT));
    EXPECT_EQ(msg.message, WM_PAINT);
}

TEST_F(QueueState, GuiThreadInfoNamesActiveFocusCaptureAndCaret) {
    HWND top = Top();
    HWND child = Child(top, 0, 0, 10, 10);
    SetFocus(child);
    SetCapture(top);
    CreateCaret(child, nullptr, 1, 10);
    ShowCaret(child);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetGUIThreadInfo(0, &info));
    EXPECT_EQ(info.hwndActive, top);
    EXPECT_EQ(info.hwndFocus, child);
    EXPECT_EQ(info.hwndCapture, top);
    EXPECT_EQ(info.hwndCaret, child);
    EXPECT_TRUE(info.flags & GUI_CARETBLINKING);
    info.cbSize = 3;
    EXPECT_FALSE(GetGUIThreadInfo(0, &info));
}

HHOOK mouseHook = nullptr;
std::vector<UINT> hooked;
LRESULT WatchMouse(int code, WPARAM w, LPARAM l) {
    hooked.push_back(static_cast<UINT>(w));
    if (w == WM_RBUTTONDOWN) return 1;
    return CallNextHookEx(mouseHook, code, w, l);
}

TEST_F(QueueState, MouseHookSeesAndMaySwallowMouseMessages) {
    HWND w = Top(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
    Pump();
    hooked.clear();
    mouseHook = SetWindowsHookEx(WH_MOUSE, WatchMouse, nullptr, 0);
    input::Click(50, 50, input::Button::Right);
    Pump();
    UnhookWindowsHookEx(mouseHook);
    EXPECT_EQ(hooked, (std::vector<UINT>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}));
    EXPECT_TRUE(MessagesOf(w, {WM_RBUTTONDOWN}).empty());
    EXPECT_EQ(MessagesOf(w, {WM_RBUTTONUP, WM_CONTEXTMENU}),
              (std::vector<UINT>{WM_RBUTTONUP, WM_CONTEXTMENU}));
}

TEST_F(QueueState, MouseLeaveIsPostedWhenTheCursorGoesElsewhere) {
    HWND a = Top(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    Top(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    input::MoveMouse(50, 50);
    Pump();
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, a, 0};
    ASSERT_TRUE(TrackMouseEvent(&track));
    input::MoveMouse(60, 50);
    Pump();
    EXPECT_TRUE(MessagesOf(a, {WM_MOUSELEAVE}).empty());
    input::MoveMouse(250, 50);
    Pump();
    EXPECT_EQ(MessagesOf(a, {WM_MOUSELEAVE}).size(), 1u);
}

}  // namespace
}  // namespace usertest
