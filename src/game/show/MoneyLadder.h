#pragma once
#include <cstdint>

// The prize ladder of a show, in whole dollars.

// Highest step of the ladder (a right final answer with honours).
constexpr int32_t kMoneyLadderSteps = 12;

// The prize of step n (1 to 12); any other step is worth 0.
int32_t MoneyLadderAmount(int32_t step);

// What a show has won: while the last answer was right, the step of the
// right answers (one step higher with honours once any answer was right);
// after a wrong answer, 25,000 (50,000 with honours) once five answers were
// right, else nothing.
int32_t ShowEarnings(bool answerCorrect, int32_t correctCount, bool honours);
