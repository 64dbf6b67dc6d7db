#include "runtime/random.h"

#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace hexwend::testing {
namespace {

using RandomTest = RuntimeTest;

TEST_F(RandomTest, OneDrawFromTheDefaultSeed) {
    EXPECT_EQ(rt_random_Seed, 1234);
    float value = rt_random_Rnd();
    EXPECT_EQ(unsigned(rt_random_Seed), 3067928073u);
    EXPECT_EQ(value, 11984094.0f / 16777216.0f);
    EXPECT_NEAR(value, 0.7143077f, 1e-7f);
}

TEST_F(RandomTest, TheSequenceFollowsTheRecurrenceModulo2To32) {
    uint32_t state = 1234;
    for (int i = 0; i < 1000; ++i) {
        state = state * 1664525u + 1013904223u;
        float value = rt_random_Rnd();
        ASSERT_EQ(uint32_t(rt_random_Seed), state) << i;
        ASSERT_EQ(value, float(state >> 8) / 16777216.0f) << i;
    }
}

TEST_F(RandomTest, AssigningTheSeedReplaysTheSequence) {
    rt_random_Seed = -987654;
    std::vector<float> first;
    for (int i = 0; i < 20; ++i) first.push_back(rt_random_Rnd());
    rt_random_Seed = -987654;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(rt_random_Rnd(), first[size_t(i)]);
    rtInit(); // start-up restores the default
    EXPECT_EQ(rt_random_Seed, 1234);
}

TEST_F(RandomTest, ValuesStayBelowOne) {
    // The state whose successor has all upper 24 bits set gives the largest value.
    rt_random_Seed = int((0xffffffffu - 1013904223u) * 0xfee058c5u); // 1664525^-1 mod 2^32
    static_assert(1664525u * 0xfee058c5u == 1u);
    float largest = rt_random_Rnd();
    EXPECT_EQ(uint32_t(rt_random_Seed), 0xffffffffu);
    EXPECT_EQ(largest, 1.0f - 1.0f / 16777216.0f);
    EXPECT_LT(largest, 1.0f);
}

TEST_F(RandomTest, RangesDrawExactlyOnce) {
    const struct { float low, high; } cases[] = {{0, 10}, {-5, 5}, {2, 2}, {10, 0}};
    for (const auto& c : cases) {
        rt_random_Seed = 77;
        float unit = rt_random_Rnd();
        int after = rt_random_Seed;
        rt_random_Seed = 77;
        EXPECT_EQ(rt_random_Rnd2(c.low, c.high), unit * (c.high - c.low) + c.low);
        EXPECT_EQ(rt_random_Seed, after);
        rt_random_Seed = 77;
        EXPECT_EQ(rt_random_Rnd3(c.high), unit * c.high);
        EXPECT_EQ(rt_random_Seed, after);
    }
}

TEST_F(RandomTest, NumericFunctions) {
    const struct {
        int x, abs;
    } absCases[] = {{0, 0}, {5, 5}, {-5, 5}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}};
    for (const auto& c : absCases) EXPECT_EQ(rt_math_Abs(c.x), c.abs) << c.x;

    EXPECT_EQ(rt_math_Abs2(-2.5f), 2.5f);
    EXPECT_EQ(rt_math_Abs2(2.5f), 2.5f);
    EXPECT_FALSE(std::signbit(rt_math_Abs2(0.0f)));
    EXPECT_TRUE(std::signbit(rt_math_Abs2(-0.0f))); // -x only when x < 0

    const struct {
        int a, b, max;
    } maxCases[] = {{1, 2, 2}, {2, 1, 2}, {-3, -7, -3}, {INT_MIN, INT_MAX, INT_MAX}, {4, 4, 4}};
    for (const auto& c : maxCases) EXPECT_EQ(rt_math_Max(c.a, c.b), c.max);

    EXPECT_EQ(rt_math_Max2(1.5f, 2.5f), 2.5f);
    EXPECT_EQ(rt_math_Max2(2.5f, 1.5f), 2.5f);
    EXPECT_TRUE(std::signbit(rt_math_Max2(0.0f, -0.0f))); // a <= b gives b
}

} // namespace
} // namespace hexwend::testing
