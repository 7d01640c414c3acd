// The thread timer on the manual clock: the worker sleeps on the platform clock, so a test moves
// the clock only once the worker waits (WaitForClockWaiters) and takes ticks with CheckSynchronize.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "lumaro/zylenhanced.h"
#include "vcl/forms.h"
#include "vcl/streaming.h"
#include "win32/kernel.h"

namespace {

using namespace vcl;
using namespace lumaro;
namespace platform = win32::testing;

// Real time that only bounds a wait against a fault, never a condition of passing.
constexpr Integer kLimit = 5000;

class TTimerHost : public TComponent {
    VCL_CLASS(TTimerHost, TComponent)
public:
    explicit TTimerHost(TComponent* owner) : TComponent(owner) {}
};

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetPlatform();
        platform::UseManualClock(win32::SYSTEMTIME{2024, 5, 0, 6, 10, 0, 0, 0});
        RegisterClass<TTimerHost>();
        RegisterClass<TZylTimer32>();
    }
    void TearDown() override {
        while (CheckSynchronize(0)) {
        }
        platform::ResetPlatform();
    }

    // A running timer counting its ticks, with its worker asleep.
    TComponentPtr<TZylTimer32> Running(Word interval) {
        TComponentPtr<TZylTimer32> timer(new TZylTimer32(nullptr));
        timer->OnTimer = [this](TObject* sender) {
            ++ticks;
            sender_ = sender;
            tickThread = std::this_thread::get_id();
        };
        timer->SetInterval(interval);
        EXPECT_TRUE(platform::WaitForClockWaiters(1, kLimit));
        return timer;
    }

    // Runs the tick the worker hands over; false when none came within the limit.
    static bool DeliverTick() { return CheckSynchronize(kLimit); }

    int ticks = 0;
    TObject* sender_ = nullptr;
    std::thread::id tickThread;
};

TEST_F(TimerTest, NewTimerStartsWithTheTableValues) {
    TComponentPtr<TZylTimer32> timer(new TZylTimer32(nullptr));
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 1000);
    EXPECT_EQ(timer->Priority(), TThreadPriority::tpTimeCritical);
}

TEST_F(TimerTest, TicksComeAfterTheIntervalOnTheMainThread) {
    auto timer = Running(100);
    platform::AdvanceClock(99);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    EXPECT_FALSE(CheckSynchronize(0));
    platform::AdvanceClock(1);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(sender_, timer.get());
    EXPECT_EQ(tickThread, std::this_thread::get_id());
    // The next sleep starts once the tick was handled.
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(100);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 2);
    // The worker took the timer's priority when it first ran.
    EXPECT_EQ(timer->Thread()->Priority(), TThreadPriority::tpTimeCritical);
}

TEST_F(TimerTest, WithoutOnTimerTheWorkerStaysSuspended) {
    TComponentPtr<TZylTimer32> timer(new TZylTimer32(nullptr));
    timer->SetEnabled(true);
    timer->SetInterval(10);
    EXPECT_TRUE(timer->Thread()->Suspended());
    // Assigning the handler alone does not start it.
    timer->OnTimer = [this](TObject*) { ++ticks; };
    EXPECT_TRUE(timer->Thread()->Suspended());
    platform::AdvanceClock(1000);
    EXPECT_FALSE(CheckSynchronize(0));
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(platform::ClockWaiters(), 0u);
    // Any setter evaluates the timer again, even with the same value.
    timer->SetEnabled(true);
    EXPECT_FALSE(timer->Thread()->Suspended());
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(10);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, IntervalZeroAndDisablingStopTheTicks) {
    auto timer = Running(50);
    timer->SetInterval(0);
    EXPECT_TRUE(timer->Thread()->Suspended());
    platform::AdvanceClock(500);
    EXPECT_FALSE(CheckSynchronize(0));
    timer->SetInterval(50);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    timer->SetEnabled(false);
    EXPECT_TRUE(timer->Thread()->Suspended());
    platform::AdvanceClock(500);
    EXPECT_FALSE(CheckSynchronize(0));
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, SuspensionPausesTheRestOfTheSleep) {
    auto timer = Running(100);
    platform::AdvanceClock(60);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    timer->SetEnabled(false);
    // Time while disabled does not count towards the tick.
    platform::AdvanceClock(1000);
    timer->SetEnabled(true);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(39);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    EXPECT_FALSE(CheckSynchronize(0));
    platform::AdvanceClock(1);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, SlowHandlerDelaysTheNextTickInsteadOfQueueing) {
    TComponentPtr<TZylTimer32> timer(new TZylTimer32(nullptr));
    timer->OnTimer = [this](TObject*) {
        // The handler runs for three and a half intervals.
        if (++ticks == 1) platform::AdvanceClock(350);
    };
    timer->SetInterval(100);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(100);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 1);
    // The worker went back to sleep for a whole interval instead of handing over the missed ticks.
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    EXPECT_FALSE(CheckSynchronize(0));
    platform::AdvanceClock(99);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    EXPECT_FALSE(CheckSynchronize(0));
    platform::AdvanceClock(1);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 2);
}

// Destruction must not wait for the sleep to run out: a watchdog moves the clock only if it hangs.
class Watchdog {
public:
    Watchdog()
        : thread_([this] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::milliseconds(kLimit), [this] { return finished_; })) {
                  fired = true;
                  platform::AdvanceClock(0x7FFFFFFF);
              }
          }) {}
    ~Watchdog() { Stop(); }
    void Stop() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    std::atomic<bool> fired{false};

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

TEST_F(TimerTest, DestructionWakesTheSleepingWorker) {
    auto timer = Running(60000);
    const auto before = win32::GetTickCount64();
    Watchdog watchdog;
    timer.reset();
    watchdog.Stop();
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(win32::GetTickCount64(), before);
}

TEST_F(TimerTest, DestructionWithATickPendingDropsIt) {
    auto timer = Running(100);
    platform::AdvanceClock(100);
    // The worker is on its way to hand the tick over (or has done so already).
    Watchdog watchdog;
    timer.reset();
    watchdog.Stop();
    EXPECT_FALSE(watchdog.fired);
    while (CheckSynchronize(0)) {
    }
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, DestructionOfATimerThatNeverRan) {
    Watchdog watchdog;
    { TComponentPtr<TZylTimer32> timer(new TZylTimer32(nullptr)); }
    watchdog.Stop();
    EXPECT_FALSE(watchdog.fired);
}

// The threads of this process, from /proc.
int ThreadCount() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0) return std::atoi(line.c_str() + 8);
    return -1;
}

// Run in a child process with an alarm as watchdog: a timer that waits for its own worker while that
// worker waits for the tick would hang, and must fail the test instead of the suite.
TEST_F(TimerTest, FreedFromItsOwnHandlerTheWorkerEndsByItself) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            alarm(20);
            const int before = ThreadCount();
            auto* timer = new TZylTimer32(nullptr);
            bool freed = false;
            timer->OnTimer = [&freed](TObject* sender) {
                // The handler's own captures go with the timer: nothing of it is touched afterwards.
                freed = true;
                static_cast<TZylTimer32*>(sender)->Free();
            };
            timer->SetInterval(10);
            if (!platform::WaitForClockWaiters(1, kLimit)) std::_Exit(3);
            platform::AdvanceClock(10);
            if (!CheckSynchronize(kLimit) || !freed) std::_Exit(4);
            // The worker frees itself once the tick is over.
            for (int wait = 0; wait < 500 && ThreadCount() > before; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::_Exit(ThreadCount() > before ? 5 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(TimerTest, HandlerExceptionGoesToTheApplicationAndTheTimerGoesOn) {
    Application->ClearExceptionLog();
    TComponentPtr<TZylTimer32> timer(new TZylTimer32(nullptr));
    timer->OnTimer = [this](TObject*) {
        if (++ticks == 1) throw Exception("tick failed");
    };
    timer->SetInterval(10);
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(10);
    ASSERT_TRUE(DeliverTick());
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(10);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(Application->ExceptionLog().size(), 1u);
    EXPECT_NE(Application->ExceptionLog()[0].find("tick failed"), std::string::npos);
    Application->ClearExceptionLog();
}

TEST_F(TimerTest, PriorityRoundTripsThroughAFormFile) {
    TComponentPtr<TTimerHost> host(new TTimerHost(nullptr));
    host->SetName("Host");
    auto* normal = new TZylTimer32(host.get());
    normal->SetName("Normal");
    normal->SetPriority(TThreadPriority::tpNormal);
    auto* critical = new TZylTimer32(host.get());
    critical->SetName("Critical");
    const std::string text = ComponentToText(host.get());
    EXPECT_NE(text.find("Priority = tpNormal"), std::string::npos) << text;
    EXPECT_EQ(text.find("tpTimeCritical"), std::string::npos) << text;

    TComponentPtr<TTimerHost> copy(new TTimerHost(nullptr));
    ReadComponentText(text, copy.get());
    auto* readNormal = dynamic_cast<TZylTimer32*>(copy->FindComponent("Normal"));
    auto* readCritical = dynamic_cast<TZylTimer32*>(copy->FindComponent("Critical"));
    ASSERT_NE(readNormal, nullptr);
    ASSERT_NE(readCritical, nullptr);
    EXPECT_EQ(readNormal->Priority(), TThreadPriority::tpNormal);
    EXPECT_EQ(readCritical->Priority(), TThreadPriority::tpTimeCritical);
}

TEST_F(TimerTest, LoadedTimerTicksWithoutAStoredPriority) {
    TComponentPtr<TTimerHost> host(new TTimerHost(nullptr));
    host->RegisterMethod<TNotifyEvent>("HostTimer", [this](TObject*) { ++ticks; });
    ReadComponentText(
        "object Host: TTimerHost\n"
        "  object Timer1: TZylTimer32\n"
        "    Interval = 20\n"
        "    OnTimer = HostTimer\n"
        "  end\n"
        "end\n",
        host.get());
    auto* timer = dynamic_cast<TZylTimer32*>(host->FindComponent("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->Thread()->Suspended());
    ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
    platform::AdvanceClock(20);
    ASSERT_TRUE(DeliverTick());
    EXPECT_EQ(ticks, 1);
}

}  // namespace
