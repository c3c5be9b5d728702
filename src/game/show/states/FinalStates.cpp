// States 14 to 16: the offer of the final question, the final question and
// its verdict.
#include "game/show/QuestionTimer.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/question/Question.h"
#include "game/show/states/ShowStateWindow.h"
#include "game/show/states/ShowStates.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOBuilders.h"
#include "game/stage/camera/CameraEvent.h"
#include "game/stage/camera/CameraShots.h"
#include "platform/Log.h"
#include "ui/WindowManager.h"

namespace KShow {

namespace {

constexpr uint32_t kCameraMoveMs = 1000;
constexpr uint32_t kCameraBackMs = 100;
constexpr uint32_t kBetweenLinesMs = 800;

TString FinalSubject(const GameRecord& record)
{
    if (!record.finalQuestion) {
        WriteLog("Show: the final offer without a final question");
        return TString();
    }
    return record.finalQuestion->subject;
}

// The host offers the final question: two lines, none with honours.
std::shared_ptr<KEvent::Event> OfferLines(const GameRecord& record)
{
    if (record.honours)
        return KEvent::MakeDummy();
    std::shared_ptr<KEvent::Event> first = KVO::VOFinalOffer();
    first->Then(KEvent::MakeWaitTime(kBetweenLinesMs))->Then(KVO::VOFinalOfferAlt());
    return first;
}

} // namespace

void FinalOffer(ShowController& show)
{
    if (!ShowIsRunning(show, "the final offer"))
        return;
    GameRecord& record = show.GetRecord();
    record.helpUsed = false;
    record.mainMenuButtonShown = false;
    // A show that reached the final cannot be continued later.
    GameRecord::ClearSaveFile();
    show.ClearMainScreens();
    std::shared_ptr<KEvent::Event> camera = KScene::MakeCameraMove(KScene::kFinalShot, kCameraMoveMs);
    record.currentClassmate = nullptr;
    camera->Then(KEvent::MakeResetModelPos());
    TWindow* offer = nullptr;
    if (auto make = GetShowStateParts().makeContinueWindow)
        offer = PlaceableWindow(show, make());
    else
        WriteLog("Show: no final offer window");
    const TString subject = FinalSubject(record);
    std::shared_ptr<KEvent::Event> transition = TextTransition(subject);
    std::shared_ptr<KEvent::Event> first = OfferLines(record);
    record.finalOffered = true;
    std::shared_ptr<KEvent::Event> shown = MakeShowStateWindow(WindowParent(show), offer);
    std::shared_ptr<KEvent::Event> update = KEvent::MakeUpdateMainScreens(subject);
    KEvent::MakePlaySound(TString("sfx/audience/coaxing_7_sec.ogg"), kShowSoundGroup);
    camera->Then(first)->Then(transition)->Then(shown)->Then(update);
    std::shared_ptr<KEvent::Event> music = KEvent::MakePlaySound(TString("music/millionq.ogg"), kShowSoundGroup);
    first->Then(music);
    show.SetCurrentMusic(music);
    record.state = kFinalQuestion;
    // The offer's buttons move the show on; without the offer it goes on
    // to the final question by itself.
    if (!offer)
        update->Then(KEvent::MakeAdvanceScript());
}

void FinalQuestion(ShowController& show)
{
    if (!ShowIsRunning(show, "the final question"))
        return;
    GameRecord& record = show.GetRecord();
    // No help on the final question.
    record.copyCount = 0;
    record.saveCount = 0;
    record.peekCount = 0;
    record.currentQuestion = record.finalQuestion;
    std::shared_ptr<KEvent::Event> back = KScene::MakeCameraReturn(kCameraBackMs);
    std::shared_ptr<KEvent::Event> reveal;
    std::shared_ptr<KEvent::Event> question = QuestionEvents(record, reveal);
    std::shared_ptr<KEvent::Event> line = KVO::VOFinalQuestion();
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    back->Then(line)->Then(reveal)->Then(advance);
    back->Then(question)->Then(advance);
    advance->Then(KEvent::MakeStopMusic());
    record.state = kFinalVerdict;
    TWindowManager* windows = GetWindowManager();
    show.SetQuestionTimer(Quillory::QuestionTimer::Create(windows ? windows->GetTopModal() : nullptr));
}

void FinalVerdict(ShowController& show)
{
    if (!ShowIsRunning(show, "the final verdict"))
        return;
    GameRecord& record = show.GetRecord();
    show.ShowChalkboardText(TString());
    StopQuestionTimer(show);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    KEvent::MakeDummy()->Then(advance);
    if (record.answerCorrect) {
        record.correctCount += 1;
        record.state = kWin;
        return;
    }
    record.lost = true;
    record.state = kFlunkOut;
    AudienceReactionSound()->Then(advance);
    // The reaction's pause is not waited for here.
    int32_t pauseMs = 0;
    KVO::VOAnswerReaction(pauseMs)->Then(advance);
}

} // namespace KShow
