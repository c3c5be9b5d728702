// States 0 to 2: the show's start, the introduction of the class and the
// choice of the helping classmate.
#include "game/show/GameSettings.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/states/ShowStateWindow.h"
#include "game/show/states/ShowStates.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOBuilders.h"
#include "game/show/vo/VOIds.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/camera/CameraEvent.h"
#include "game/stage/camera/CameraShots.h"
#include "platform/Log.h"

namespace KShow {

namespace {

constexpr uint32_t kCameraMoveMs = 1000;

// A new show's opening: applause, the intro music and the announcer's three
// lines, the first a second in at the earliest and after the music.
void ChainNewShowOpening(ShowController& show, const std::shared_ptr<KEvent::Event>& end)
{
    KEvent::MakePlaySound(TString("sfx/audience/applause_heavy_16_sec.ogg"), kShowSoundGroup);
    std::shared_ptr<KEvent::Event> music =
        KEvent::MakePlaySound(TString("music/intro_18s.ogg?group="), kShowSoundGroup);
    show.SetCurrentMusic(music);
    std::shared_ptr<KEvent::Event> welcome = PlayVORow(KVO::Id::kWelcome);
    std::shared_ptr<KEvent::Event> studio = PlayVORow(KVO::Id::kWelcomeStudio);
    std::shared_ptr<KEvent::Event> rules = PlayVORow(KVO::Id::kWelcomeRules);
    std::shared_ptr<KEvent::Event> wait = KEvent::MakeWaitTime(1000);
    wait->Then(welcome);
    music->Then(welcome)->Then(studio)->Then(rules)->Then(end);
}

} // namespace

void ShowStart(ShowController& show)
{
    GameRecord& record = show.GetRecord();
    show.SetRunning(true);
    if (Quillory::KChildManager* cast = Quillory::KChildManager::Existing())
        cast->ResetPoses();
    // The main menu's Continue asks for the player's saved show; a show that
    // is not restored starts anew and empties it.
    const bool restored = record.continueSavedShow && record.Load();
    // The request holds for this show only.
    record.continueSavedShow = false;
    if (!restored) {
        GameRecord::ClearSaveFile();
        record.Reset();
        GameSettings* settings = GameSettings::Instance();
        record.honours = settings && settings->GetHonorsEngaged();
        record.DealQuestions();
        record.state = kIntroduction;
    } else {
        HideSkipVOButton();
    }
    record.mainMenuButtonShown = false;
    KScene::CameraAnimator::Get()->ResetToDefault();
    Quillory::IdleAnimController::Instance()->Start();

    std::shared_ptr<KEvent::Event> end = KEvent::MakeDummy();
    if (restored)
        KVO::VOWelcomeBack()->Then(end);
    else if (!record.honours)
        ChainNewShowOpening(show, end);
    end->Then(KEvent::MakeAdvanceScript());
}

void Introduction(ShowController& show)
{
    HideSkipVOButton();
    std::shared_ptr<KEvent::Event> camera = KScene::MakeCameraMove(KScene::kIntroShot, kCameraMoveMs);
    std::shared_ptr<KEvent::Event> intro = KVO::VOIntro();
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    // The classmates wave one after another, counted from the camera's arrival.
    static constexpr struct {
        int32_t classmate;
        uint32_t wait;
    } kWaves[] = {{2, 1981}, {4, 3798}, {0, 5407}, {3, 6920}, {1, 7990}};
    for (const auto& wave : kWaves)
        camera->Then(KEvent::MakeWaitTime(wave.wait))->Then(PlayKidsAnim(wave.classmate, "SitWave"))->Then(advance);
    camera->Then(intro)->Then(advance);
    show.GetRecord().state = kChooseClassmate;
}

void ChooseClassmate(ShowController& show)
{
    Quillory::IdleAnimController::Instance()->Stop();
    show.ShowChalkboardText(TString());
    TWindow* window = nullptr;
    if (auto make = GetShowStateParts().makeClassmateWindow)
        window = PlaceableWindow(show, make());
    else
        WriteLog("Show: no classmate choice window");
    std::shared_ptr<KEvent::Event> camera = KScene::MakeCameraMove(KScene::kIntroShot, kCameraMoveMs);
    std::shared_ptr<KEvent::Event> shown = MakeShowStateWindow(WindowParent(show), window);
    std::shared_ptr<KEvent::Event> closed = KEvent::MakeWaitForWindowClose(window);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    camera->Then(shown)->Then(closed)->Then(advance);
    shown->Then(KVO::VOChooseClassmate())->Then(closed);
    show.GetRecord().state = kQuestionBoard;
}

} // namespace KShow
