#include "game/stage/anim/AnimEvent.h"

namespace KAnim {

eAnimBase::eAnimBase(const AnimPtr& anim) : mAnim(anim)
{
    SetName("eAnimBase");
}

void eAnimBase::Start()
{
    if (AnimPtr anim = mAnim.lock())
        anim->Start();
    Event::Start();
}

void eAnimBase::Finish()
{
    // A running animation's Stop finishes this event again (nested).
    if (AnimPtr anim = mAnim.lock())
        anim->Stop();
    Event::Finish();
}

std::shared_ptr<eAnimBase> MakeAnimEvent(const AnimPtr& anim)
{
    return KEvent::Create<eAnimBase>(anim);
}

} // namespace KAnim
