#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "win32/kernel.h"

namespace {

using win32::SYSTEMTIME;
namespace clock = win32::testing;

SYSTEMTIME At(win32::WORD y, win32::WORD mo, win32::WORD d, win32::WORD h = 0, win32::WORD mi = 0,
              win32::WORD s = 0, win32::WORD ms = 0) {
    SYSTEMTIME t{};
    t.wYear = y, t.wMonth = mo, t.wDay = d, t.wHour = h, t.wMinute = mi, t.wSecond = s, t.wMilliseconds = ms;
    return t;
}

class ManualClockTest : public ::testing::Test {
protected:
    void TearDown() override { clock::UseRealClock(); }
};

void ExpectTime(const SYSTEMTIME& t, int y, int mo, int d, int dow, int h, int mi, int s, int ms) {
    EXPECT_EQ(t.wYear, y);
    EXPECT_EQ(t.wMonth, mo);
    EXPECT_EQ(t.wDay, d);
    EXPECT_EQ(t.wDayOfWeek, dow);
    EXPECT_EQ(t.wHour, h);
    EXPECT_EQ(t.wMinute, mi);
    EXPECT_EQ(t.wSecond, s);
    EXPECT_EQ(t.wMilliseconds, ms);
}

TEST_F(ManualClockTest, StartsAtTheGivenTimeWithTicksAtZero) {
    clock::UseManualClock(At(2024, 2, 29, 13, 45, 30, 250));
    EXPECT_TRUE(clock::ManualClock());
    EXPECT_EQ(win32::GetTickCount64(), 0u);
    SYSTEMTIME now{};
    win32::GetLocalTime(&now);
    ExpectTime(now, 2024, 2, 29, 4, 13, 45, 30, 250);  // a Thursday
}

TEST_F(ManualClockTest, AdvanceAndSleepMoveTicksAndTimeTogether) {
    clock::UseManualClock(At(2023, 12, 31, 23, 59, 59, 900));
    clock::AdvanceClock(50);
    win32::Sleep(100);
    EXPECT_EQ(win32::GetTickCount(), 150u);
    SYSTEMTIME now{};
    win32::GetLocalTime(&now);
    ExpectTime(now, 2024, 1, 1, 1, 0, 0, 0, 50);
    // The time stands still between calls.
    EXPECT_EQ(win32::GetTickCount(), 150u);
}

TEST_F(ManualClockTest, SystemTimeIsLocalTimeMinusTheOffset) {
    clock::UseManualClock(At(2024, 3, 1, 1, 30), 120);
    SYSTEMTIME utc{};
    win32::GetSystemTime(&utc);
    ExpectTime(utc, 2024, 2, 29, 4, 23, 30, 0, 0);
    clock::UseManualClock(At(2024, 12, 31, 23, 0), -90);
    win32::GetSystemTime(&utc);
    ExpectTime(utc, 2025, 1, 1, 3, 0, 30, 0, 0);
}

TEST_F(ManualClockTest, TickCountWrapsAt32Bits) {
    clock::UseManualClock(At(2024, 1, 1));
    clock::AdvanceClock(0xFFFFFFFF);
    clock::AdvanceClock(11);
    EXPECT_EQ(win32::GetTickCount(), 10u);
    EXPECT_EQ(win32::GetTickCount64(), 0x10000000Aull);
}

TEST_F(ManualClockTest, RejectsFieldsOutOfRange) {
    EXPECT_THROW(clock::UseManualClock(At(2023, 2, 29)), std::invalid_argument);
    EXPECT_THROW(clock::UseManualClock(At(2024, 13, 1)), std::invalid_argument);
    EXPECT_THROW(clock::UseManualClock(At(2024, 1, 1, 24)), std::invalid_argument);
    EXPECT_THROW(clock::UseManualClock(At(2024, 1, 1), 25 * 60), std::invalid_argument);
    EXPECT_FALSE(clock::ManualClock());
}

TEST_F(ManualClockTest, ConcurrentAdvancesAreAllCounted) {
    clock::UseManualClock(At(2024, 6, 1));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 1000; ++i)
                clock::AdvanceClock(1);
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(win32::GetTickCount64(), 4000u);
}

TEST(RealClock, TicksNeverGoBackAndTheDateIsPlausible) {
    ASSERT_FALSE(clock::ManualClock());
    const auto before = win32::GetTickCount64();
    win32::Sleep(0);
    EXPECT_GE(win32::GetTickCount64(), before);
    SYSTEMTIME now{};
    win32::GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2020);
    EXPECT_LE(now.wDayOfWeek, 6);
}

TEST(LastError, IsPerThread) {
    win32::SetLastError(win32::ERROR_ACCESS_DENIED);
    win32::DWORD other = 1234;
    std::thread([&] { other = win32::GetLastError(); }).join();
    EXPECT_EQ(other, win32::ERROR_SUCCESS);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_ACCESS_DENIED);
    win32::SetLastError(win32::ERROR_SUCCESS);
}

}  // namespace
