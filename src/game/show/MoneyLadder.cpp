#include "game/show/MoneyLadder.h"

namespace {

constexpr int32_t kLadder[kMoneyLadderSteps] = {
    1000, 2000, 5000, 10000, 25000, 50000, 100000, 175000, 300000, 500000, 1000000, 5000000,
};

// After a wrong answer the player keeps this much once they reached it.
constexpr int32_t kSafeCount = 5;
constexpr int32_t kSafeAmount = 25000;
constexpr int32_t kSafeAmountHonours = 50000;

} // namespace

int32_t MoneyLadderAmount(int32_t step)
{
    if (step < 1 || step > kMoneyLadderSteps)
        return 0;
    return kLadder[step - 1];
}

int32_t ShowEarnings(bool answerCorrect, int32_t correctCount, bool honours)
{
    if (!answerCorrect) {
        if (correctCount < kSafeCount)
            return 0;
        return honours ? kSafeAmountHonours : kSafeAmount;
    }
    int32_t step = correctCount;
    // Honours start one step higher; a step past the ladder is worth 0.
    if (honours && step > 0 && step <= kMoneyLadderSteps)
        ++step;
    return MoneyLadderAmount(step);
}
