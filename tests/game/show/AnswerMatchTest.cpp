// Typed answers: distance and acceptance as one table of cases.
#include <gtest/gtest.h>

#include "game/show/AnswerMatch.h"

namespace {

struct MatchCase {
    const char* typed;
    const char* reference;
    float distance;
    bool accepted;
};

const MatchCase kCases[] = {
    {"Paris", "paris", 0, true},        // case does not count
    {"Pairs", "Paris", 1, true},        // one adjacent transposition, threshold 1
    {"Pxrys", "Paris", 2, false},       // two wrong letters in five
    {"ab", "ba", 1, false},             // two letters must match exactly
    {"", "paris", 5, false},            // empty typed text
    {"", "", 0, true},                  // only two empty texts match
    {" paris", "paris", 1, true},       // a leading blank is an edit, threshold 1
    {"go ", "go", 1, false},            // threshold 0 for two letters
    {"ca", "abc", 3, false},            // no transposition across an insertion
    {"Mississippi", "misisipi", 3, false}, // three deletions, shorter length 8: threshold 2
    {"Mississipi", "mississippi", 1, true},
    {"photosynthesis", "fotosynthesis", 2, true}, // 13 letters: threshold 4
    {"Abraham Lincoln", "abraham lincon", 1, true},
    {"1492", "1942", 1, true},          // digits are characters too
    {"ABC", "abc", 0, true},
};

TEST(AnswerMatchTest, DistanceAndVerdictFollowTheTable)
{
    for (const MatchCase& c : kCases) {
        SCOPED_TRACE(std::string("'") + c.typed + "' for '" + c.reference + "'");
        EXPECT_EQ(AnswerDistance(TString(c.typed), TString(c.reference)), c.distance);
        EXPECT_EQ(AnswerMatches(TString(c.typed), TString(c.reference)), c.accepted);
        // Symmetric: the order of the texts changes nothing.
        EXPECT_EQ(AnswerDistance(TString(c.reference), TString(c.typed)), c.distance);
        EXPECT_EQ(AnswerMatches(TString(c.reference), TString(c.typed)), c.accepted);
    }
}

TEST(AnswerMatchTest, ThresholdGrowsByOneEditEveryThreeCharacters)
{
    // A text of n 'a's against one with its last letter changed: one edit,
    // accepted from three characters on; n/3 edits accepted, n/3 + 1 not.
    for (uint32_t n = 1; n <= 12; ++n) {
        const std::string base(n, 'a');
        const uint32_t allowed = n / 3;
        std::string within = base, beyond = base;
        for (uint32_t k = 0; k < allowed; ++k)
            within[k] = 'b';
        for (uint32_t k = 0; k <= allowed && k < n; ++k)
            beyond[k] = 'b';
        EXPECT_TRUE(AnswerMatches(TString(within.c_str()), TString(base.c_str()))) << n;
        EXPECT_FALSE(AnswerMatches(TString(beyond.c_str()), TString(base.c_str()))) << n;
    }
}

} // namespace
