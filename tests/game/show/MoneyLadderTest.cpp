#include <gtest/gtest.h>

#include "game/show/MoneyLadder.h"

namespace {

TEST(MoneyLadder, ShowEarningsByAnswerCountAndHonours)
{
    struct Case {
        bool correct;
        int32_t count;
        bool honours;
        int32_t amount;
    } const cases[] = {
        // While the last answer is right: the ladder step of the count.
        {true, 0, false, 0},        {true, 0, true, 0},          {true, 1, false, 1000},
        {true, 1, true, 2000},      {true, 2, false, 2000},      {true, 3, false, 5000},
        {true, 4, false, 10000},    {true, 5, false, 25000},     {true, 6, false, 50000},
        {true, 7, false, 100000},   {true, 8, false, 175000},    {true, 9, false, 300000},
        {true, 9, true, 500000},    {true, 10, false, 500000},   {true, 10, true, 1000000},
        {true, 11, false, 1000000}, {true, 11, true, 5000000},   {true, 12, false, 5000000},
        // Past the ladder, or a count that cannot happen.
        {true, 12, true, 0},        {true, 13, false, 0},        {true, -1, false, 0},
        {true, -1, true, 0},        {true, INT32_MAX, true, 0},  {true, INT32_MIN, false, 0},
        // After a wrong answer: the safe amount from five right answers on.
        {false, 0, false, 0},       {false, 4, false, 0},        {false, 4, true, 0},
        {false, 5, false, 25000},   {false, 5, true, 50000},     {false, 10, false, 25000},
        {false, 11, true, 50000},   {false, -3, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "correct " << c.correct << ", count " << c.count << ", honours "
                                        << c.honours);
        EXPECT_EQ(ShowEarnings(c.correct, c.count, c.honours), c.amount);
    }
    // The ladder's own ends.
    EXPECT_EQ(MoneyLadderAmount(0), 0);
    EXPECT_EQ(MoneyLadderAmount(1), 1000);
    EXPECT_EQ(MoneyLadderAmount(kMoneyLadderSteps), 5000000);
    EXPECT_EQ(MoneyLadderAmount(kMoneyLadderSteps + 1), 0);
}

} // namespace
