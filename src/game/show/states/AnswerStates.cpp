// States 5 to 8 and 12: the answer comes in, from the player or from the
// helping classmate.
#include "game/show/ShowController.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOBuilders.h"

namespace KShow {

namespace {

// The host's reaction to a classmate's answer; the next state follows it.
std::shared_ptr<KEvent::Event> HelpedReaction(GameRecord& record, bool right)
{
    record.state = right ? kRightAnswer : kWrongAnswer;
    return right ? KVO::VOHelpedAnswer() : KVO::VOHelpedAnswerEnd();
}

} // namespace

void ClassmateAnswer(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.mainMenuButtonShown = false;
    StopQuestionTimer(show);
    record.helpUsed = true;
    if (record.state == kPeekAnswer)
        record.peekUsed = true;
    else
        record.copyUsed = true;
    TString text;
    record.answerCorrect = ClassmateAnswerText(show, text);
    std::shared_ptr<KEvent::Event> answer = KVO::VOClassmateAnswer();
    std::shared_ptr<KEvent::Event> update = KEvent::MakeUpdateMainScreens(text);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    std::shared_ptr<KEvent::Event> reaction = HelpedReaction(record, record.answerCorrect);
    answer->Then(update)->Then(reaction);
    update->Then(advance);
}

void AnswerGiven(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.mainMenuButtonShown = false;
    StopQuestionTimer(show);
    show.AdvanceNextFrame();
    record.state = kVerdict;
}

void Verdict(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.state = record.answerCorrect ? kRightAnswer : kWrongAnswer;
    std::shared_ptr<KEvent::Event> current = CurrentVoiceOver();
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    int32_t pauseMs = 0;
    std::shared_ptr<KEvent::Event> verdict = KVO::VOAnswerReaction(pauseMs);
    std::shared_ptr<KEvent::Event> pause = KEvent::MakeWaitTime(uint32_t(pauseMs > 0 ? pauseMs : 0));
    std::shared_ptr<KEvent::Event> comment = KVO::VOGradeComment();
    current->Then(verdict);
    current->Then(pause)->Then(advance);
    pause->Then(comment);
}

void SaveHelp(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.saveCount -= 1;
    record.helpUsed = true;
    record.saveUsed = true;
    TString text;
    record.answerCorrect = ClassmateAnswerText(show, text);
    std::shared_ptr<KEvent::Event> first = KVO::VOSaveAvailable();
    std::shared_ptr<KEvent::Event> second = KVO::VOSaveUsed();
    std::shared_ptr<KEvent::Event> update = KEvent::MakeUpdateMainScreens(text);
    std::shared_ptr<KEvent::Event> linger = KEvent::MakeWaitTime(800);
    std::shared_ptr<KEvent::Event> beat = KEvent::MakeWaitTime(250);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    std::shared_ptr<KEvent::Event> reaction = HelpedReaction(record, record.answerCorrect);
    first->Then(second)->Then(beat)->Then(update)->Then(reaction);
    update->Then(linger)->Then(advance);
}

} // namespace KShow
