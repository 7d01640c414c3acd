// Scope guards: what they set or schedule is undone on every way out of the scope.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "win32/scope.h"

namespace {

using win32::ScopedValue;
using win32::ScopeExit;

TEST(ScopedValue, RestoresOnReturnAndOnException) {
    bool busy = false;
    {
        const ScopedValue guard(busy, true);
        EXPECT_TRUE(busy);
    }
    EXPECT_FALSE(busy);

    std::string mode = "idle";
    EXPECT_THROW(
        {
            const ScopedValue guard(mode, "loading");
            EXPECT_EQ(mode, "loading");
            throw std::runtime_error("read failed");
        },
        std::runtime_error);
    EXPECT_EQ(mode, "idle");
}

TEST(ScopedValue, NestedGuardsUnwindInReverseOrder) {
    int depth = 0;
    {
        const ScopedValue outer(depth, 1);
        {
            const ScopedValue inner(depth, 2);
            EXPECT_EQ(depth, 2);
        }
        EXPECT_EQ(depth, 1);
        // A change made inside the scope is not kept: the value from before the scope comes back.
        depth = 7;
    }
    EXPECT_EQ(depth, 0);
}

TEST(ScopeExit, RunsOnEveryExitUnlessDismissed) {
    std::vector<std::string> steps;
    {
        const ScopeExit first([&] { steps.push_back("first"); });
        const ScopeExit second([&] { steps.push_back("second"); });
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"second", "first"}));

    steps.clear();
    try {
        const ScopeExit cleanUp([&] { steps.push_back("released"); });
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
        steps.push_back("caught");
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"released", "caught"}));

    steps.clear();
    {
        ScopeExit rollback([&] { steps.push_back("rolled back"); });
        rollback.Dismiss();
    }
    EXPECT_TRUE(steps.empty());
}

}  // namespace

namespace {

TEST(ScopeExit, AFailingStepThrowsOnlyWhenNothingElseIs) {
    EXPECT_THROW({ const win32::ScopeExit failing([] { throw std::logic_error("close failed"); }); },
                 std::logic_error);

    // While the first failure unwinds, the step's own failure does not replace it.
    try {
        const win32::ScopeExit failing([] { throw std::logic_error("close failed"); });
        throw std::runtime_error("read failed");
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "read failed");
    } catch (...) {
        ADD_FAILURE() << "the clean-up's exception replaced the first one";
    }
}

TEST(ScopeExit, AFailingStepReachesTheCallerUnlessAnEarlierErrorIsUnwinding) {
    // A clean-up step that runs user code (EndUpdate firing OnChange) may throw on a normal exit.
    EXPECT_THROW({ const ScopeExit endUpdate([] { throw std::runtime_error("handler failed"); }); },
                 std::runtime_error);

    // While another exception unwinds the scope, the step still runs but the first error is kept.
    bool ran = false;
    try {
        const ScopeExit endUpdate([&] {
            ran = true;
            throw std::runtime_error("handler failed");
        });
        throw std::logic_error("read failed");
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "read failed");
    }
    EXPECT_TRUE(ran);

    // A guard in a destructor that runs during unwinding exits its own scope normally.
    struct Closer {
        std::string& seen;
        ~Closer() {
            try {
                const ScopeExit close([] { throw std::runtime_error("close failed"); });
            } catch (const std::runtime_error& error) {
                seen = error.what();
            }
        }
    };
    std::string seen;
    EXPECT_THROW(
        {
            const Closer closer{seen};
            throw std::logic_error("read failed");
        },
        std::logic_error);
    EXPECT_EQ(seen, "close failed");
}

}  // namespace
