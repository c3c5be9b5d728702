// The random source against the reference generator's published outputs and
// the standard library's MT19937, and its derived draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <random>

#include "game/show/MTRandom.h"

namespace {

MTRandom SeededWith(uint32_t seed)
{
    MTRandom r;
    r.Seed(seed);
    return r;
}

TEST(MTRandomTest, OneWordSeedingGivesTheReferenceSequence)
{
    // Published first outputs of init_genrand(5489), and the standard
    // library's generator for 20,000 words (two refills and more).
    MTRandom r = SeededWith(5489);
    for (uint32_t expected : {3499211612u, 581869302u, 3890346734u, 3586334585u, 545404204u})
        EXPECT_EQ(r.NextWord(), expected);
    for (uint32_t seed : {5489u, 0u, 1u, 0xFFFFFFFFu}) {
        MTRandom ours = SeededWith(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 20000; ++i)
            ASSERT_EQ(ours.NextWord(), reference()) << "seed " << seed << ", word " << i;
    }
    // The 10,000th word of seed 5489, as the C++ standard states it.
    MTRandom again = SeededWith(5489);
    uint32_t word = 0;
    for (int i = 0; i < 10000; ++i)
        word = again.NextWord();
    EXPECT_EQ(word, 4123659995u);
}

TEST(MTRandomTest, ArraySeedingGivesTheReferenceSequence)
{
    const uint32_t key[] = {0x123, 0x234, 0x345, 0x456};
    MTRandom r;
    r.Seed(77); // overwritten by the array seeding
    r.InitByArray(key, 4);
    for (uint32_t expected : {1067595299u, 955945823u, 477289528u, 4107218783u, 4228976476u, 3344332714u,
                              3355579695u, 227628506u, 810200273u, 2591290167u})
        EXPECT_EQ(r.NextWord(), expected);

    // The default instance uses that key: the same sequence in every run.
    MTRandom fixed;
    EXPECT_EQ(fixed.NextWord(), 1067595299u);
    EXPECT_EQ(fixed.NextWord(), 955945823u);
}

TEST(MTRandomTest, TheShowsInstanceIsSeededFromTheClockOnceAndMadeAgainAfterDestroy)
{
    // Without a window manager the clock reads 0.
    MTRandom::Destroy();
    MTRandom* first = MTRandom::Instance();
    EXPECT_EQ(MTRandom::Instance(), first);
    MTRandom expected = SeededWith(0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(first->NextWord(), expected.NextWord());

    MTRandom::Destroy();
    MTRandom* second = MTRandom::Instance();
    MTRandom fresh = SeededWith(0);
    EXPECT_EQ(second->NextWord(), fresh.NextWord()) << "the same clock value gives the same sequence";
    MTRandom::Destroy();
    MTRandom::Destroy(); // nothing left: does nothing
}

TEST(MTRandomTest, UnitFloatStaysBelowOne)
{
    EXPECT_EQ(MTRandom::UnitFloat(0), 0.0f);
    EXPECT_EQ(MTRandom::UnitFloat(0xFFFFFFFFu), 0.99999994f);
    EXPECT_LT(MTRandom::UnitFloat(0xFFFFFFFFu), 1.0f);
    EXPECT_FLOAT_EQ(MTRandom::UnitFloat(0x80000000u), 0.5f);
}

TEST(MTRandomTest, RandomIntCoversItsBoundsInclusively)
{
    MTRandom r = SeededWith(42);
    int low = INT_MAX, high = INT_MIN;
    for (int i = 0; i < 100000; ++i) {
        const int v = r.RandomInt(0, 99);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 99);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 99);

    struct Case {
        int32_t lo, hi;
    };
    for (const Case& c : {Case{7, 7}, Case{-5, -5}, Case{INT_MIN, INT_MIN}, Case{INT_MAX, INT_MAX}})
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(r.RandomInt(c.lo, c.hi), c.lo);

    // Bounds the wrong way round are a range too; the whole int32 range
    // (2^32 values) is not empty.
    bool wide = false;
    for (int i = 0; i < 1000; ++i) {
        const int v = r.RandomInt(10, -10);
        ASSERT_GE(v, -10);
        ASSERT_LE(v, 10);
        wide |= r.RandomInt(INT_MIN, INT_MAX) != INT_MIN;
    }
    EXPECT_TRUE(wide);
}

TEST(MTRandomTest, RandomFloatAndDoubleStayInTheirRanges)
{
    MTRandom r = SeededWith(7);
    EXPECT_EQ(r.RandomFloat(2.5f, 2.5f), 2.5f);
    for (int i = 0; i < 10000; ++i) {
        const float f = r.RandomFloat(-1.0f, 3.0f);
        ASSERT_GE(f, -1.0f);
        ASSERT_LT(f, 3.0f);
        const double d = r.RandomDouble();
        ASSERT_GE(d, 0.0);
        ASSERT_LT(d, 1.0);
    }
    // A double takes two words: the first gives the top 27 bits.
    MTRandom a = SeededWith(9), b = SeededWith(9);
    const uint32_t hi = b.NextWord() >> 5, lo = b.NextWord() >> 6;
    EXPECT_EQ(a.RandomDouble(), (hi * 67108864.0 + lo) / 9007199254740992.0);
    EXPECT_EQ(a.NextWord(), b.NextWord());
}

TEST(MTRandomTest, GaussianKeepsItsSecondValueAndHasUnitSpread)
{
    MTRandom r = SeededWith(1234);
    r.Gaussian();
    MTRandom afterFirst = r;
    r.Gaussian(); // the kept value: no words
    EXPECT_EQ(r.NextWord(), afterFirst.NextWord());
    // The third draws words again: four per attempt.
    MTRandom skipped = r;
    r.Gaussian();
    const uint32_t next = MTRandom(r).NextWord();
    int taken = 0;
    while (taken < 400 && skipped.NextWord() != next)
        ++taken;
    EXPECT_GE(taken, 4);
    EXPECT_EQ(taken % 4, 0) << taken << " words";

    MTRandom s = SeededWith(99);
    double sum = 0, squares = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const double g = s.Range(10.0, 2.0);
        sum += g;
        squares += g * g;
    }
    const double mean = sum / n;
    const double deviation = std::sqrt(squares / n - mean * mean);
    EXPECT_NEAR(mean, 10.0, 0.02);
    EXPECT_NEAR(deviation, 2.0, 0.02);
}

TEST(MTRandomTest, ShuffleDrawsOneWordPerElementAndKeepsTheElements)
{
    MTRandom r = SeededWith(5);
    MTRandom copy = r;
    std::vector<int> none;
    r.Shuffle(none);
    EXPECT_EQ(r.NextWord(), copy.NextWord()) << "an empty sequence draws nothing";

    std::vector<int> one{42};
    copy = r;
    r.Shuffle(one);
    copy.NextWord();
    EXPECT_EQ(one, std::vector<int>{42});
    EXPECT_EQ(r.NextWord(), copy.NextWord());

    std::vector<int> items(50);
    std::iota(items.begin(), items.end(), 0);
    copy = r;
    r.Shuffle(items);
    for (int i = 0; i < 50; ++i)
        copy.NextWord();
    EXPECT_EQ(r.NextWord(), copy.NextWord());
    std::vector<int> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(sorted, expected);
    EXPECT_NE(items, expected);

}

} // namespace
