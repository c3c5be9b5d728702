#include "game/show/answer/QWMult.h"
#include "game/show/answer/QWOpenAnswer.h"
#include "game/show/answer/QWTrueFalse.h"
#include "game/show/answer/QWVO.h"
#include "game/show/question/Question.h"

namespace KQuestion {

namespace {

TWindow* MakeMult(QBase& question)
{
    return new QWMult(static_cast<QMult&>(question));
}

TWindow* MakeVoiceOver(QBase& question)
{
    return new QWVO(static_cast<QVoiceOver&>(question));
}

TWindow* MakeTrueFalse(QBase& question)
{
    return new QWTrueFalse(static_cast<QTrueFalse&>(question));
}

TWindow* MakeOpenAnswer(QBase& question)
{
    return new QWOpenAnswer(static_cast<QOpenAnswer&>(question));
}

} // namespace

void RegisterAnswerWindows()
{
    SetAnswerWindowMaker(AnswerWindowKind::kMult, &MakeMult);
    SetAnswerWindowMaker(AnswerWindowKind::kVoiceOver, &MakeVoiceOver);
    SetAnswerWindowMaker(AnswerWindowKind::kTrueFalse, &MakeTrueFalse);
    SetAnswerWindowMaker(AnswerWindowKind::kOpenAnswer, &MakeOpenAnswer);
}

} // namespace KQuestion
