#include "game/show/cast/IdleAnimController.h"

#include <algorithm>

#include "game/show/MTRandom.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/event/CoreEvents.h"

namespace Quillory {

namespace {

IdleAnimController* gInstance = nullptr;

// Classmates 0 to 4 and, for the last pick, the host.
constexpr uint32_t kPicks = 6;

} // namespace

IdleAnimController* IdleAnimController::Instance()
{
    if (!gInstance)
        gInstance = new IdleAnimController();
    return gInstance;
}

IdleAnimController* IdleAnimController::Existing()
{
    return gInstance;
}

void IdleAnimController::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

uint32_t IdleAnimController::DrawPause()
{
    const double drawn = MTRandom::Instance()->Range(4000.0, 2000.0);
    const double held = std::clamp(drawn, double(kMinPause), double(kMaxPause));
    return uint32_t(int32_t(held));
}

void IdleAnimController::Start()
{
    if (mEnabled)
        return;
    mEnabled = true;
    ++mGeneration;
    MakePlayIdleAnim();
    std::shared_ptr<KEvent::Event> second = MakePlayIdleAnim();
    KEvent::MakeWaitTime(DrawPause())->Then(second);
}

void IdleAnimController::Stop()
{
    mEnabled = false;
}

std::shared_ptr<KEvent::Event> IdleAnimController::Next(uint32_t generation)
{
    if (!mEnabled || generation != mGeneration)
        return KEvent::MakeDummy();
    const uint32_t pick = MTRandom::Instance()->NextWord() % kPicks;
    std::shared_ptr<KEvent::Event> idle =
        pick < kPicks - 1 ? PlayClassmateIdle(int32_t(pick), kIdlePriority) : PlayHostIdle(kIdlePriority);
    std::shared_ptr<KEvent::Event> next = MakePlayIdleAnim();
    idle->Then(KEvent::MakeWaitTime(DrawPause()))->Then(next);
    return idle;
}

ePlayIdleAnim::ePlayIdleAnim(uint32_t generation) : mGeneration(generation)
{
    SetName("ePlayIdleAnim");
}

void ePlayIdleAnim::Start()
{
    // Without a controller (shut-down) the loop simply ends.
    if (IdleAnimController* controller = IdleAnimController::Existing())
        controller->Next(mGeneration);
    Event::Start();
    Finish();
}

std::shared_ptr<ePlayIdleAnim> MakePlayIdleAnim()
{
    IdleAnimController* controller = IdleAnimController::Existing();
    return KEvent::Create<ePlayIdleAnim>(controller ? controller->GetGeneration() : 0u);
}

} // namespace Quillory
