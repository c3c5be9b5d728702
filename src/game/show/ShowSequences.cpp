#include "game/show/ShowSequences.h"

#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/stage/StageWindow.h"
#include "game/stage/anim/AnimWindow.h"
#include "game/stage/anim/MultiAnim.h"
#include "game/stage/anim/SimpleAnim.h"
#include "game/stage/anim/StaticAnim.h"
#include "platform/Log.h"
#include "platform/Vector.h"

namespace {

constexpr int32_t kEffectsGroup = 1000;
constexpr int32_t kKidsPriority = 1;
constexpr int32_t kClassmateNumbers = 5;

const char* const kGroan = "sfx/audience/awww_5_sec.ogg";
const char* const kLight10 = "sfx/audience/applause_light_10_sec.ogg";
const char* const kMedium6 = "sfx/audience/applause_medium_6_sec.ogg";
const char* const kHeavy6 = "sfx/audience/applause_heavy_6_sec.ogg";
const char* const kHeavy15 = "sfx/audience/applause_heavy_15_sec.ogg";
const char* const kHeavy30 = "sfx/audience/applause_heavy_30_sec.ogg";

struct Reaction {
    const char* first;
    const char* second;
    const char* third;
};

// The applause after a right answer, by the right answers so far.
Reaction Applause(int32_t correct)
{
    switch (correct) {
    case 0:
    case 1:
        return {kLight10, nullptr, nullptr};
    case 2:
    case 3:
        return {kLight10, kMedium6, nullptr};
    case 4:
        return {kMedium6, kHeavy6, nullptr};
    case 5:
        return {kHeavy6, kMedium6, nullptr};
    case 6:
    case 7:
        return {kHeavy15, kMedium6, nullptr};
    case 8:
    case 9:
        return {kHeavy15, kHeavy6, kMedium6};
    case 10:
        return {kHeavy15, kHeavy6, kHeavy6};
    case 11:
        return {kHeavy30, kHeavy15, kHeavy6};
    default:
        return {nullptr, nullptr, nullptr};
    }
}

std::shared_ptr<KEvent::Event> Sound(const char* name)
{
    return KEvent::MakePlaySound(TString(name), kEffectsGroup);
}

} // namespace

std::shared_ptr<KEvent::Event> AudienceReactionSound()
{
    ShowController* show = ShowController::Existing();
    if (!show)
        return KEvent::MakeDummy();
    const GameRecord& record = show->GetRecord();
    const Reaction reaction = record.answerCorrect ? Applause(record.correctCount) : Reaction{kGroan, nullptr, nullptr};
    if (!reaction.first)
        return KEvent::MakeDummy();
    if (!reaction.second)
        return Sound(reaction.first);

    std::shared_ptr<KEvent::Event> first = Sound(reaction.first);
    std::shared_ptr<KEvent::Event> later = Sound(reaction.second);
    std::shared_ptr<KEvent::Event> wait = KEvent::MakeWaitTime(600 + MTRandom::Instance()->NextWord() % 600);
    std::shared_ptr<KEvent::Event> done = KEvent::MakeDummy();
    wait->Then(later);
    if (reaction.third)
        later = later->Then(Sound(reaction.third));
    first->Then(done);
    later->Then(done);
    return done;
}

std::shared_ptr<KEvent::Event> PlayKidsAnim(int32_t who, const char* animation)
{
    const TString name(animation ? animation : "");
    Quillory::KChildManager* cast = Quillory::KChildManager::Instance();
    if (who == Quillory::KChildManager::kHost) {
        cast->GetHost()->PlayAnim(name, kKidsPriority);
        return KEvent::MakeDummy();
    }
    Quillory::KChild* child = nullptr;
    if (who == -1)
        child = Quillory::GetCurrentClassmate();
    else if (who >= 0 && who < kClassmateNumbers) {
        child = cast->GetChild(who);
        if (Quillory::IsCurrentClassmate(child))
            child = nullptr;
    }
    if (!child)
        return KEvent::MakeDummy();
    return child->PlayAnim(name, kKidsPriority);
}

std::shared_ptr<KEvent::Event> PlayChalkAnim(const TVec2& position, const std::shared_ptr<KEvent::Event>& owner,
                                             TWindow* parent, std::shared_ptr<KEvent::Event>* cross)
{
    constexpr int32_t kChalkFps = 30;
    std::shared_ptr<KAnim::MultiAnim> group = KAnim::MultiAnim::Create();
    KAnim::MultiAnim::Track* track = group->AddTrack();

    TDrawParams params(position, 1.0f, 1.0f, kDrawAtOrigin);
    params.origin = TVec2(39.0f, 16.5f);
    std::shared_ptr<KAnim::SimpleAnim> strokes =
        KAnim::SimpleAnim::Create("anim/chalk_cross.xml", params, 0, TString(), false);
    strokes->SetFps(kChalkFps);
    std::shared_ptr<KAnim::StaticImageAnim> line = KAnim::MakeStaticImageAnim("anim/chalk_line", params, owner);
    track->AppendAnim(strokes);
    track->AppendAnim(line);
    strokes->GetEvent()->Then(line->GetEvent());
    if (cross)
        *cross = strokes->GetEvent();

    if (!parent) {
        ShowController* show = ShowController::Existing();
        parent = show ? show->GetStage() : nullptr;
    }
    KAnim::AnimWindow* window = parent ? KAnim::AnimWindow::Create(*group) : nullptr;
    if (window && !parent->AddChild(window, true)) {
        delete window;
        window = nullptr;
    }
    if (!window) {
        // Nothing will draw the chalk: its events end now, so chains that
        // wait for them go on.
        WriteLog("PlayChalkAnim: no window to draw the chalk in");
        strokes->GetEvent()->Skip();
        line->GetEvent()->Skip();
    }
    return group->GetEvent();
}
