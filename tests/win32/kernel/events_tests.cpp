#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "win32/kernel.h"

namespace {

using namespace win32;
namespace clock = win32::testing;

class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock::ResetPlatform();
        clock::UseManualClock(SYSTEMTIME{2024, 3, 0, 1, 8, 0, 0, 0});
    }
    void TearDown() override { clock::ResetPlatform(); }
};

// A wait on another thread, whose result the test reads once the thread is done.
struct Waiter {
    Waiter(HANDLE event, DWORD milliseconds)
        : thread([this, event, milliseconds] {
              result = WaitForSingleObject(event, milliseconds);
              done = true;
          }) {}
    ~Waiter() {
        if (thread.joinable()) thread.join();
    }
    DWORD Join() {
        thread.join();
        return result;
    }
    std::atomic<DWORD> result{0xDEAD};
    std::atomic<bool> done{false};
    std::thread thread;
};

TEST_F(EventsTest, AutoResetEventReleasesOneWaitThenResets) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(EventsTest, ManualResetEventStaysSignalledUntilReset) {
    HANDLE event = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_F(EventsTest, BadAndClosedHandlesFailWithInvalidHandle) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    for (HANDLE bad : {event, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(SetEvent(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(ResetEvent(bad));
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST_F(EventsTest, NamedEventIsSharedUntilItsLastHandleCloses) {
    HANDLE first = CreateEvent(nullptr, TRUE, FALSE, "Zyl.Ready");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateEvent(nullptr, FALSE, TRUE, "Zyl.Ready");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    ASSERT_NE(first, second);
    // The second call's settings are ignored: still manual reset, not signalled.
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    HANDLE otherCase = CreateEvent(nullptr, FALSE, FALSE, "zyl.ready");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(otherCase, 0), WAIT_TIMEOUT);
    CloseHandle(first);
    CloseHandle(second);
    HANDLE fresh = CreateEvent(nullptr, FALSE, FALSE, "Zyl.Ready");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
    CloseHandle(fresh);
    CloseHandle(otherCase);
}

TEST_F(EventsTest, OverlongNameIsRefused) {
    SetLastError(0);
    EXPECT_EQ(CreateEvent(nullptr, FALSE, FALSE, std::string(261, 'n').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(EventsTest, TimedWaitEndsOnlyWhenTheManualClockPassesItsDeadline) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    Waiter waiter(event, 100);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    clock::AdvanceClock(99);
    // Woken by the move, the waiter finds time left and sleeps again.
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    EXPECT_FALSE(waiter.done);
    clock::AdvanceClock(1);
    EXPECT_EQ(waiter.Join(), WAIT_TIMEOUT);
    EXPECT_EQ(clock::ClockWaiters(), 0u);
    CloseHandle(event);
}

TEST_F(EventsTest, SetEventWakesATimedWaiterWithoutMovingTheClock) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    Waiter waiter(event, 60000);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    SetEvent(event);
    EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
    EXPECT_EQ(GetTickCount64(), 0u);
    // The auto-reset event was consumed by the waiter.
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_F(EventsTest, InfiniteWaitIgnoresTheClock) {
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    Waiter waiter(event, INFINITE);
    clock::AdvanceClock(0x7FFFFFFF);
    EXPECT_EQ(clock::ClockWaiters(), 0u);
    SetEvent(event);
    EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
    CloseHandle(event);
}

TEST_F(EventsTest, SleepOnAnotherThreadMovesTheClockForWaiters) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    Waiter waiter(event, 50);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    std::thread sleeper([] { Sleep(50); });
    sleeper.join();
    EXPECT_EQ(waiter.Join(), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_F(EventsTest, RestartingTheManualClockKeepsTheRemainingTime) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    clock::AdvanceClock(5000);
    Waiter waiter(event, 100);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    clock::AdvanceClock(40);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    // The count goes back to 0; a waiter reading it raw would never time out, or at once.
    clock::UseManualClock(SYSTEMTIME{2024, 3, 0, 1, 8, 0, 0, 0});
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    clock::AdvanceClock(59);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    EXPECT_FALSE(waiter.done);
    clock::AdvanceClock(1);
    EXPECT_EQ(waiter.Join(), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_F(EventsTest, ClosingAHandleDoesNotEndAWaitOnTheObject) {
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    HANDLE shared = CreateEvent(nullptr, FALSE, FALSE, "Zyl.Close");
    HANDLE other = CreateEvent(nullptr, FALSE, FALSE, "Zyl.Close");
    Waiter waiter(shared, 100);
    ASSERT_TRUE(clock::WaitForClockWaiters(1));
    CloseHandle(shared);
    SetEvent(other);
    EXPECT_EQ(waiter.Join(), WAIT_OBJECT_0);
    CloseHandle(other);
    CloseHandle(event);
}

TEST_F(EventsTest, ResetPlatformInvalidatesEvents) {
    HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    clock::ResetPlatform();
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
}

TEST_F(EventsTest, RealClockWaitTimesOut) {
    clock::UseRealClock();
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 1), WAIT_TIMEOUT);
    CloseHandle(event);
}

}  // namespace
