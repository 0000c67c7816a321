// The generator must reproduce the same sequence everywhere: expected values are worked out from the
// recurrence s' = 48271 * s mod (2^31 - 1) with plain 64-bit arithmetic, not with the code under test.
#include "platform/Random.h"
#include "platform/Testing.h"

#include <gtest/gtest.h>

#include <set>

TEST(Random, FirstStatesAfterSeedFollowTheRecurrence)
{
    SeedRandom(4660);
    RandomUnit();
    // Two steps per unit value: 224942860 then 539475828.
    EXPECT_EQ(RandomState(), 539475828);
    RandomUnit();
    EXPECT_EQ(RandomState(), 1951098782);

    SeedRandom(4660);
    // ((224942860 & 0x1FFFFFFC) + (539475828 & 0x1FFFFFF8) / 2^27) / 2^29
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.4189887270692887);
    SeedRandom(12345);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.10996048079683407);
    SeedRandom(12345);
    EXPECT_EQ(RandomInt(0, 99), 10);
    SeedRandom(4660);
    EXPECT_EQ(RandomInt(1, 5), 3);
}

TEST(Random, DegenerateSeedsFallBackToTheDefaultState)
{
    for (int seed : {0, 0x7FFFFFFF, int(0xFFFFFFFF), int(0x80000000)}) {
        SeedRandom(seed);
        EXPECT_EQ(RandomState(), 4660) << seed;
    }
    // Only the low 31 bits of a seed count.
    SeedRandom(int(0x80000000u | 12345u));
    EXPECT_EQ(RandomState(), 12345);
}

TEST(Random, RangesIncludeBothEndsInEitherOrderAndFloatsExcludeTheTop)
{
    SeedRandom(99);
    std::set<int> forward, backward;
    for (int i = 0; i < 2000; ++i) {
        forward.insert(RandomInt(1, 5));
        backward.insert(RandomInt(5, 1));
    }
    EXPECT_EQ(forward, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(backward, forward);

    EXPECT_EQ(RandomInt(7, 7), 7);
    for (int i = 0; i < 1000; ++i) {
        const int wide = RandomInt(-2147483647, 2147483647);
        EXPECT_GE(wide, -2147483647);
        const double f = RandomFloat(3.0, 2.0);
        EXPECT_GE(f, 2.0);
        EXPECT_LT(f, 3.0);
    }
}
