#include "game/stage/camera/CameraEvent.h"

#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/scene/SceneSet.h"

namespace KScene {

eCameraEvent::eCameraEvent(const CameraRecord& target, Kind kind, uint32_t durationMs)
    : mTarget(target), mKind(kind), mDuration(durationMs)
{
    SetName("eCameraEvent");
}

void eCameraEvent::Start()
{
    CameraAnimator* animator = CameraAnimator::Get();
    if (mKind == kMove)
        animator->MoveTo(KSceneSet::Get()->GetCamera(), mTarget, mDuration);
    else
        animator->Return(mDuration);
    animator->SetEvent(GetSharedPtr());
    KEvent::Event::Start();
}

void eCameraEvent::Update()
{
    CameraAnimator::Get()->Advance();
}

std::shared_ptr<eCameraEvent> MakeCameraMove(const CameraRecord& target, uint32_t durationMs)
{
    return KEvent::Create<eCameraEvent>(target, eCameraEvent::kMove, durationMs);
}

std::shared_ptr<eCameraEvent> MakeCameraReturn(uint32_t durationMs)
{
    return KEvent::Create<eCameraEvent>(CameraRecord(), eCameraEvent::kReturn, durationMs);
}

} // namespace KScene
