// States 9 to 11 and 13: right or wrong, the explanation, and on to the
// next question.
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/StageEvents.h"
#include "game/show/question/Question.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOBuilders.h"
#include "platform/Log.h"

namespace KShow {

namespace {

constexpr float kRightHue = 0.66f;
constexpr float kWrongHue = 0.0f;
constexpr int32_t kLightUpMs = 90;
constexpr int32_t kFadeMs = 5000;
constexpr uint32_t kReadingMs = 5000;
constexpr int32_t kBoardSize = 10;
constexpr int32_t kHalfway = 5;

bool HasExplanation(const GameRecord& record)
{
    if (!record.currentQuestion) {
        WriteLog("Show: an answer without a current question");
        return false;
    }
    return !record.currentQuestion->explanation.IsEmpty();
}

} // namespace

void RightAnswer(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.correctCount += 1;
    record.state = HasExplanation(record) ? kExplanation : kNextQuestion;
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    AudienceReactionSound();
    std::shared_ptr<KEvent::Event> noStart;
    std::shared_ptr<KEvent::Event> money = record.StartMoneyAnim(noStart, nullptr);
    KEvent::MakePodiumColor(kRightHue, 1.0f, kLightUpMs);
    std::shared_ptr<KEvent::Event> fade = KEvent::MakePodiumColor(kRightHue, 0.0f, kFadeMs);
    Quillory::MakeClassmatesClap()->Then(advance);
    if (record.state != kExplanation && money)
        money->Then(advance);
    advance->Then(fade);
}

void WrongAnswer(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    std::shared_ptr<KEvent::Event> current = CurrentVoiceOver();
    KEvent::MakePodiumColor(kWrongHue, 1.0f, kLightUpMs);
    std::shared_ptr<KEvent::Event> fade = KEvent::MakePodiumColor(kWrongHue, 0.0f, kFadeMs);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    AudienceReactionSound();
    if (record.saveCount > 0 && !record.copyUsed) {
        record.state = kSaveHelp;
        current->Then(advance);
    } else {
        record.lost = true;
        record.state = HasExplanation(record) ? kExplanation : kFlunkOut;
        TString text = LabelText("answerReveal") + "\n";
        if (record.currentQuestion)
            text += record.currentQuestion->GetCorrect();
        std::shared_ptr<KEvent::Event> update = KEvent::MakeUpdateMainScreens(text);
        TextTransition(text)->Then(update)->Then(advance);
        if (record.state == kExplanation)
            update->Then(KEvent::MakeWaitTime(kReadingMs))->Then(advance);
        else
            current->Then(advance);
    }
    advance->Then(fade);
}

void Explanation(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.state = record.answerCorrect ? kNextQuestion : kFlunkOut;
    const KQuestion::QBase* question = record.currentQuestion;
    const TString explanation = question ? question->explanation : TString();
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    std::shared_ptr<KEvent::Event> update = KEvent::MakeUpdateMainScreens(explanation);
    TextTransition(explanation)->Then(update)->Then(KEvent::MakeWaitTime(kReadingMs))->Then(advance);
    if (question && !question->explanation_vo.IsEmpty())
        CurrentVoiceOver()->Then(KEvent::MakePlaySound(question->explanation_vo, kExplanationGroup))->Then(advance);
}

void NextQuestion(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    const int32_t played = record.CountPlayed();
    if (played >= kBoardSize) {
        record.state = kFinalOffer;
    } else {
        const bool helpsLeft = record.HasHelpsLeft();
        if (!helpsLeft)
            record.currentClassmate = nullptr;
        // With helps left the player picks a classmate after every second question.
        record.state = helpsLeft && played % 2 == 0 ? kChooseClassmate : kQuestionBoard;
    }
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    if (played == kHalfway && record.answerCorrect)
        KVO::VOHalfway()->Then(advance);
}

} // namespace KShow
