#pragma once
#include <memory>

#include "game/show/event/Event.h"
#include "game/stage/anim/AnimBase.h"

namespace KAnim {

// The event ("eAnimBase") that stands for an animation in event chains: its
// start starts the animation, its finish stops it. It holds the animation
// weakly (the animation holds the event); once the animation is gone it
// starts and finishes like a plain event. An animation that stops by itself
// finishes this event from inside its Finish as well; finishing twice is
// harmless.
class eAnimBase : public KEvent::Event {
public:
    explicit eAnimBase(const AnimPtr& anim);
    void Start() override;
    void Finish() override;

    // The animation, when it still exists.
    AnimPtr GetAnim() const { return mAnim.lock(); }

private:
    std::weak_ptr<AnimBase> mAnim;
};

// A new registered event for the animation (KEvent::Create).
std::shared_ptr<eAnimBase> MakeAnimEvent(const AnimPtr& anim);

} // namespace KAnim
