// States 3 and 4: the question board and the question.
#include "game/show/QuestionTimer.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChild.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/StageEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/states/ShowStateWindow.h"
#include "game/show/states/ShowStates.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOBuilders.h"
#include "game/show/vo/VOIds.h"
#include "game/stage/camera/CameraEvent.h"
#include "game/stage/camera/CameraShots.h"
#include "platform/Log.h"
#include "ui/WindowManager.h"

namespace KShow {

namespace {

bool NoHelpsLeft(const GameRecord& record)
{
    return record.saveCount <= 0 && record.peekCount <= 0 && record.copyCount <= 0;
}

// The helping classmate thinks, writes and lights the pedestal.
void ChainHelperWrites(Quillory::KChild& classmate, const std::shared_ptr<KEvent::Event>& reveal,
                       const std::shared_ptr<KEvent::Event>& advance)
{
    const int32_t thinkMs = classmate.GetThinkTime();
    std::shared_ptr<KEvent::Event> think = KEvent::MakeWaitTime(uint32_t(thinkMs > 0 ? thinkMs : 0));
    reveal->Then(think)->Then(PlayKidsAnim(-1, "StandWrite"))->Then(advance);
    think->Then(KEvent::MakeWaitTime(3060))->Then(KEvent::MakePodiumColor(0.33f, 1.0f, 90));
}

} // namespace

void QuestionBoard(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    record.mainMenuButtonShown = true;
    // Every return to the board is a point the show can be continued from.
    record.Save();
    TWindow* board = nullptr;
    if (auto make = GetShowStateParts().makeQuestionBoard)
        board = PlaceableWindow(show, make());
    else
        WriteLog("Show: no question board");
    std::shared_ptr<KEvent::Event> camera = KScene::MakeCameraMove(KScene::kBoardShot, 1000);
    std::shared_ptr<KEvent::Event> shown = MakeShowStateWindow(WindowParent(show), board);
    std::shared_ptr<KEvent::Event> closed = KEvent::MakeWaitForWindowClose(board);
    std::shared_ptr<KEvent::Event> back = KScene::MakeCameraReturn(100);
    std::shared_ptr<KEvent::Event> settle = KEvent::MakeWaitTime(600);
    std::shared_ptr<KEvent::Event> beforeRemark = KEvent::MakeWaitTime(1500);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    // The host's remark about the board goes its own way.
    beforeRemark->Then(KVO::VOBoard());
    camera->Then(shown)->Then(closed)->Then(back)->Then(settle)->Then(advance);
    camera->Then(KEvent::MakeResetModelPos())->Then(back);
    Quillory::IdleAnimController::Instance()->Start();
    record.state = kQuestion;
    show.ClearMainScreens();
}

void Question(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    std::shared_ptr<KEvent::Event> reveal;
    std::shared_ptr<KEvent::Event> question = QuestionEvents(record, reveal);
    std::shared_ptr<KEvent::Event> intro = KVO::VOQuestionIntro();
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    intro->Then(reveal);
    if (NoHelpsLeft(record) && !record.noHelpsVoicePlayed) {
        record.noHelpsVoicePlayed = true;
        reveal->Then(PlayVORow(KVO::Id::kNoHelpsLeft));
    }
    question->Then(KEvent::MakeWaitTime(1000))->Then(advance);
    intro->Then(advance);
    show.SetCurrentMusic(KEvent::MakePlaySound(TString("music/question.ogg?group="), kShowSoundGroup));
    advance->Then(KEvent::MakeStopMusic());
    if (Quillory::KChild* classmate = record.currentClassmate)
        ChainHelperWrites(*classmate, reveal, advance);
    reveal->Then(Quillory::MakeClassmatesWrite())->Then(advance);

    TWindowManager* windows = GetWindowManager();
    show.SetQuestionTimer(Quillory::QuestionTimer::Create(windows ? windows->GetTopModal() : nullptr));
    record.state = kAnswerGiven;
    record.helpUsed = false;
    record.saveUsed = false;
    record.peekUsed = false;
    record.copyUsed = false;
}

} // namespace KShow
