// States 17 to 20: the three ways a show ends (flunked out, dropped out,
// won) and the end of the show.
#include "game/show/GameSettings.h"
#include "game/show/MoneyLadder.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/StageEvents.h"
#include "game/show/states/ShowStates.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOBuilders.h"
#include "game/stage/StageWindow.h"
#include "platform/Log.h"
#include "ui/WindowManager.h"

namespace KShow {

namespace {

constexpr uint32_t kBeforeLinesMs = 800;
constexpr uint16_t kConfettiPieces = 1600;
constexpr uint32_t kConfettiMs = 25000;
constexpr uint32_t kAfterConfettiMs = 5000;
constexpr int32_t kClapRounds = 5;
constexpr int32_t kHost = 255;

// What a flunked-out player leaves with: what a wrong answer keeps, even
// when the record still holds a right one.
TString FlunkOutText(const GameRecord& record)
{
    return DollarText(ShowEarnings(false, record.correctCount, record.honours));
}

// The banner of the file with the text; a dummy without a banner.
std::shared_ptr<KEvent::Event> MoneyBanner(const char* file, const TString& text)
{
    if (auto make = GetShowStateParts().makeMoneyBanner) {
        if (std::shared_ptr<KEvent::Event> banner = make(TString(file), text))
            return banner;
    } else {
        WriteLog("Show: no banner for %s", file);
    }
    return KEvent::MakeDummy();
}

// The show is over: no saved show to continue, and the player's total
// grows by what was won.
void SettleShow(const GameRecord& record)
{
    GameRecord::ClearSaveFile();
    if (GameSettings* settings = GameSettings::Instance())
        settings->AddEarnings(record.GetEarnings());
    else
        WriteLog("Show: no settings; the show's earnings of %d are not added", int(record.GetEarnings()));
}

// The host's two closing lines, from after.
std::shared_ptr<KEvent::Event> ClosingLines(const std::shared_ptr<KEvent::Event>& after)
{
    return after->Then(KVO::VOFlunkOut())->Then(KVO::VOFlunkOutA());
}

} // namespace

void FlunkOut(ShowController& show)
{
    if (!ShowIsRunning(show, "flunking out"))
        return;
    GameRecord& record = show.GetRecord();
    std::shared_ptr<KEvent::Event> banner = MoneyBanner("anim/flunkout.xml", FlunkOutText(record));
    std::shared_ptr<KEvent::Event> sound = KEvent::MakePlaySound(TString("sfx/flunk_out.ogg"), kShowSoundGroup);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    std::shared_ptr<KEvent::Event> saveGone = KVO::VOSaveGone();
    banner->Then(advance);
    sound->Then(advance);
    ClosingLines(saveGone)->Then(advance);
    record.lost = true;
    record.state = kShowEnd;
    SettleShow(record);
}

void DropOut(ShowController& show)
{
    if (!ShowIsRunning(show, "dropping out"))
        return;
    GameRecord& record = show.GetRecord();
    StopQuestionTimer(show);
    std::shared_ptr<KEvent::Event> banner = MoneyBanner("anim/dropout.xml", DollarText(record.GetEarnings()));
    std::shared_ptr<KEvent::Event> wait = KEvent::MakeWaitTime(kBeforeLinesMs);
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    ClosingLines(wait)->Then(advance);
    wait->Then(banner)->Then(advance);
    record.state = kShowEnd;
    SettleShow(record);
}

void Win(ShowController& show)
{
    if (!ShowIsRunning(show, "winning"))
        return;
    GameRecord& record = show.GetRecord();
    std::shared_ptr<KEvent::Event> advance = KEvent::MakeAdvanceScript();
    record.state = kShowEnd;
    SettleShow(record);
    PlayKidsAnim(kHost, "Clap");
    std::shared_ptr<KEvent::Event> winner = KVO::VOWinner();
    std::shared_ptr<KEvent::Event> theme = KEvent::MakePlaySound(TString("music/theme.ogg"), kShowSoundGroup);
    std::shared_ptr<KEvent::Event> moneyStart = KEvent::MakeDummy();
    record.StartMoneyAnim(moneyStart, advance);

    // The confetti falls from the stage's emitter (a slot of its own
    // without a stage: the events hold the emitter).
    KDemo* stage = show.GetStage();
    std::shared_ptr<KEvent::ConfettiControl> ownEmitter;
    std::shared_ptr<KEvent::ConfettiControl>& emitter = stage ? stage->Confetti() : ownEmitter;
    std::shared_ptr<KEvent::Event> beforeLine = KEvent::MakeWaitTime(kBeforeLinesMs);
    std::shared_ptr<KEvent::Event> confetti = KEvent::MakeStartConfetti(kConfettiPieces, emitter);
    std::shared_ptr<KEvent::Event> fall = KEvent::MakeWaitTime(kConfettiMs);
    std::shared_ptr<KEvent::Event> stop = KEvent::MakeStopConfetti(emitter);
    std::shared_ptr<KEvent::Event> settle = KEvent::MakeWaitTime(kAfterConfettiMs);
    beforeLine->Then(winner)->Then(theme);
    confetti->Then(fall)->Then(stop)->Then(settle)->Then(advance);
    theme->Then(advance);

    std::shared_ptr<KEvent::Event> claps = Quillory::MakeClassmatesClap();
    for (int32_t round = 1; round < kClapRounds; ++round)
        claps = claps->Then(Quillory::MakeClassmatesClap());
    claps->Then(advance);
    record.mainMenuButtonShown = true;
}

void ShowEnd(ShowController& show)
{
    Quillory::IdleAnimController::Instance()->Stop();
    // A question cut short must not prompt the player at the menus; the
    // timer goes too, as its window goes with the studio.
    StopQuestionTimer(show);
    show.SetQuestionTimer(nullptr);
    if (KEvent::EventManager* events = KEvent::EventManager::Instance())
        events->SkipAll();
    if (GameSettings* settings = GameSettings::Instance())
        if (GameSettingsMenu* menu = settings->GetMainMenu())
            menu->Refresh(false);
    GameRecord& record = show.GetRecord();
    record.state = kShowStart;
    show.SetRunning(false);
    TWindowManager* windows = GetWindowManager();
    if (!windows || !windows->DoPopModal(TString("loading_window")))
        WriteLog("Show: no loading screen to return to at the show's end");
}

} // namespace KShow
