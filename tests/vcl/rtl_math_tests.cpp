#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vcl/sysutils.h"
#include "win32/kernel.h"

namespace vcl {
namespace {

TEST(RtlRound, HalvesGoToEven) {
    const struct {
        double value;
        Int64 expected;
    } cases[] = {{2.5, 2},  {3.5, 4},    {-2.5, -2},  {-3.5, -4}, {0.5, 0},
                 {1.5, 2},  {2.4999, 2}, {2.5001, 3}, {-0.5, 0},  {1e15 + 0.5, 1000000000000000},
                 {-7.0, -7}};
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.value), c.expected) << c.value;
}

TEST(RtlRound, TruncIntAndFracKeepTheSign) {
    EXPECT_EQ(Trunc(2.9), 2);
    EXPECT_EQ(Trunc(-2.9), -2);
    EXPECT_DOUBLE_EQ(Int(-2.75), -2.0);
    EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
    EXPECT_DOUBLE_EQ(Frac(3.25), 0.25);
    EXPECT_DOUBLE_EQ(Int(1e300), 1e300);
}

TEST(RtlRound, InvalidValuesRaiseInvalidOp) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 9.3e18, -9.3e18};
    for (double value : bad) {
        try {
            Round(value);
            ADD_FAILURE() << value;
        } catch (const EInvalidOp& e) {
            EXPECT_EQ(e.Message(), "Invalid floating point operation");
        }
        EXPECT_THROW(Trunc(value), EInvalidOp) << value;
    }
    EXPECT_THROW(Frac(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
    EXPECT_THROW(Int(std::numeric_limits<double>::infinity()), EInvalidOp);
    EXPECT_EQ(Trunc(-9223372036854775808.0), INT64_MIN);
}

TEST(RtlMulDiv, RoundsHalvesAwayFromZeroAndSignalsErrors) {
    const struct {
        Integer a, b, c, expected;
    } cases[] = {
        {10, 10, 3, 33},
        {10, 10, 6, 17},
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {5, -1, 2, -3},
        {-5, -1, -2, -3},
        {7, 1, 0, -1},
        {0x40000000, 4, 1, -1},
        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
        {INT32_MIN, 1, 1, INT32_MIN},
        {INT32_MIN, -1, 1, -1},
        {100000, 100000, 100000, 100000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << '*' << c.b << '/' << c.c;
}

TEST(RtlRandom, FollowsTheLinearCongruentialSequence) {
    SetRandSeed(0);
    EXPECT_EQ(Random(100), 0);  // seed 1: (1 * 100) >> 32
    EXPECT_EQ(RandSeed(), 1u);
    EXPECT_EQ(Random(1000), static_cast<Integer>((uint64_t{134775814} * 1000) >> 32));
    SetRandSeed(0xFFFFFFFF);
    const Cardinal next = 0xFFFFFFFFu * 134775813u + 1u;
    EXPECT_DOUBLE_EQ(Random(), next / 4294967296.0);
    EXPECT_EQ(RandSeed(), next);
}

TEST(RtlRandom, StaysInRange) {
    SetRandSeed(12345);
    for (int i = 0; i < 2000; ++i) {
        const Integer r = Random(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
        const double d = Random();
        ASSERT_GE(d, 0.0);
        ASSERT_LT(d, 1.0);
    }
    EXPECT_EQ(Random(0), 0);
}

TEST(RtlRandom, RandomizeSeedsFromTheClock) {
    win32::SYSTEMTIME start{};
    start.wYear = 2024, start.wMonth = 5, start.wDay = 17;
    win32::testing::UseManualClock(start);
    win32::testing::AdvanceClock(987654);
    Randomize();
    win32::testing::UseRealClock();
    EXPECT_EQ(RandSeed(), 987654u);
}

}  // namespace
}  // namespace vcl
