#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "vcl/classes.h"
#include "win32/user.h"

namespace {

using vcl::TThread;

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override { win32::testing::ResetPlatform(); }
    void TearDown() override { win32::testing::ResetPlatform(); }
};

class TCounter : public TThread {
public:
    explicit TCounter(bool suspended) : TThread(suspended) {}
    std::atomic<int> runs{0};
    std::atomic<int> loops{0};
    bool loop = false;
    int result = 7;

protected:
    void Execute() override {
        ++runs;
        while (loop && !Terminated()) {
            ++loops;
            CheckSuspended();
            std::this_thread::yield();
        }
        SetReturnValue(result);
    }
};

TEST_F(ThreadTest, RunningThreadExecutesOnceAndWaitForReturnsItsValue) {
    TCounter t(false);
    EXPECT_EQ(t.WaitFor(), 7u);
    EXPECT_EQ(t.runs, 1);
    EXPECT_TRUE(t.Finished());
    EXPECT_NE(t.ThreadID(), 0u);
    EXPECT_NE(t.ThreadID(), vcl::MainThreadID());
    EXPECT_NE(t.Handle(), 0u);
    EXPECT_FALSE(t.FatalException());
}

TEST_F(ThreadTest, SuspendedThreadWaitsForResume) {
    TCounter t(true);
    EXPECT_TRUE(t.Suspended());
    EXPECT_THROW(t.WaitFor(), vcl::EThread);
    EXPECT_EQ(t.runs, 0);
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    t.WaitFor();
    EXPECT_EQ(t.runs, 1);
}

class TCheckpoint : public TThread {
public:
    TCheckpoint() : TThread(false) {}
    std::atomic<bool> entered{false}, go{false}, reached{false}, passed{false};

protected:
    void Execute() override {
        entered = true;
        while (!go)
            std::this_thread::yield();
        reached = true;
        CheckSuspended();
        passed = true;
    }
};

TEST_F(ThreadTest, SuspendPausesAtTheNextCheckpointAndCountsNesting) {
    TCheckpoint t;
    t.Resume();  // a running thread is not suspended: no effect
    EXPECT_FALSE(t.Suspended());
    while (!t.entered)
        std::this_thread::yield();
    t.Suspend();
    t.Suspend();
    EXPECT_TRUE(t.Suspended());
    t.go = true;
    while (!t.reached)
        std::this_thread::yield();
    for (int i = 0; i < 1000; ++i)
        std::this_thread::yield();
    EXPECT_FALSE(t.passed);
    t.Resume();
    EXPECT_TRUE(t.Suspended());
    EXPECT_FALSE(t.passed);
    t.Resume();
    EXPECT_FALSE(t.Suspended());
    t.WaitFor();
    EXPECT_TRUE(t.passed);
}

TEST_F(ThreadTest, TerminateEndsACooperativeLoop) {
    TCounter t(false);
    t.loop = true;
    t.Terminate();
    EXPECT_TRUE(t.Terminated());
    t.WaitFor();
}

class TRaiser : public TThread {
public:
    TRaiser() : TThread(false) {}

protected:
    void Execute() override { throw vcl::EConvertError("bad value"); }
};

TEST_F(ThreadTest, ExceptionEscapingExecuteBecomesFatalException) {
    TRaiser t;
    t.WaitFor();
    ASSERT_TRUE(t.FatalException());
    try {
        std::rethrow_exception(t.FatalException());
    } catch (const vcl::EConvertError& e) {
        EXPECT_EQ(e.Message(), "bad value");
    }
}

class TSyncer : public TThread {
public:
    TSyncer() : TThread(true) {}
    int value = 0;
    std::thread::id ranOn;
    std::string caught;

protected:
    void Execute() override {
        Synchronize([this] {
            ranOn = std::this_thread::get_id();
            value = 42;
        });
        try {
            Synchronize([] { throw vcl::EInvalidOperation("refused on the main thread"); });
        } catch (const vcl::EInvalidOperation& e) {
            caught = e.Message();
        }
    }
};

TEST_F(ThreadTest, SynchronizeRunsOnTheMainThreadThroughTheMessageLoop) {
    TSyncer t;
    t.Resume();
    // The main thread's ordinary message loop carries the calls out.
    for (int i = 0; i < 1000000 && !t.Finished(); ++i) {
        win32::MSG msg;
        if (win32::PeekMessage(&msg, nullptr, 0, 0, win32::PM_REMOVE)) {
            win32::DispatchMessage(&msg);
        } else {
            std::this_thread::yield();
        }
    }
    t.WaitFor();
    EXPECT_EQ(t.value, 42);
    EXPECT_EQ(t.ranOn, std::this_thread::get_id());
    EXPECT_EQ(t.caught, "refused on the main thread");
}

TEST_F(ThreadTest, WaitForOnTheMainThreadKeepsSynchronizing) {
    TSyncer t;
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(t.value, 42);
}

TEST_F(ThreadTest, OnTerminateRunsOnTheMainThread) {
    TCounter t(true);
    std::thread::id ranOn;
    vcl::TObject* sender = nullptr;
    t.OnTerminate = [&](vcl::TObject* s) {
        ranOn = std::this_thread::get_id();
        sender = s;
    };
    t.Resume();
    t.WaitFor();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(sender, &t);
}

std::atomic<int> destroyed{0};
class TSelfFreeing : public TThread {
public:
    TSelfFreeing() : TThread(true) { SetFreeOnTerminate(true); }
    ~TSelfFreeing() override { ++destroyed; }

protected:
    void Execute() override {}
};

TEST_F(ThreadTest, FreeOnTerminateDeletesTheObject) {
    destroyed = 0;
    auto* t = new TSelfFreeing;
    std::atomic<bool> terminated{false};
    t->OnTerminate = [&](vcl::TObject*) { terminated = true; };
    t->Resume();
    while (destroyed == 0)
        vcl::CheckSynchronize(10);
    EXPECT_TRUE(terminated);
}

TEST_F(ThreadTest, PriorityIsRecorded) {
    TCounter t(true);
    EXPECT_EQ(t.Priority(), vcl::TThreadPriority::tpNormal);
    t.SetPriority(vcl::TThreadPriority::tpIdle);
    EXPECT_EQ(t.Priority(), vcl::TThreadPriority::tpIdle);
    t.Resume();
    t.WaitFor();
}

TEST_F(ThreadTest, CheckSynchronizeRefusesOtherThreads) {
    bool raised = false;
    std::thread other([&] {
        try {
            vcl::CheckSynchronize();
        } catch (const vcl::EThread&) {
            raised = true;
        }
    });
    other.join();
    EXPECT_TRUE(raised);
    EXPECT_FALSE(vcl::CheckSynchronize());
}

TEST_F(ThreadTest, FreeTerminatesAWorkingThread) {
    auto* t = new TCounter(false);
    t->loop = true;
    t->Free();
    SUCCEED();
}

TEST_F(ThreadTest, DeletingANeverStartedThreadIsClean) {
    auto* t = new TCounter(true);
    delete t;
    SUCCEED();
}

}  // namespace
