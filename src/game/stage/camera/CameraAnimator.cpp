#include "game/stage/camera/CameraAnimator.h"

#include "game/show/event/Event.h"
#include "game/stage/anim/Interpolate.h"
#include "game/stage/camera/CameraAngles.h"
#include "game/stage/camera/CameraShots.h"
#include "game/stage/scene/SceneSet.h"

namespace KScene {

namespace {

CameraAnimator* gAnimator = nullptr;

constexpr uint16_t kChannels = 7;

void ToChannels(const CameraRecord& r, float out[kChannels])
{
    out[0] = r.x;
    out[1] = r.y;
    out[2] = r.z;
    out[3] = r.pitch;
    out[4] = r.yaw;
    out[5] = r.roll;
    out[6] = r.fov;
}

} // namespace

CameraAnimator* CameraAnimator::Get()
{
    if (!gAnimator)
        gAnimator = new CameraAnimator();
    return gAnimator;
}

CameraAnimator* CameraAnimator::Existing()
{
    return gAnimator;
}

void CameraAnimator::Destroy()
{
    delete gAnimator;
    gAnimator = nullptr;
}

CameraAnimator::CameraAnimator() = default;
CameraAnimator::~CameraAnimator() = default;

CameraRecord CameraAnimator::DefaultShot()
{
    return kDefaultShot;
}

void CameraAnimator::StopMove()
{
    mActive = false;
    mInterpolator.reset();
}

// Eases from `from` to `to`, each angle of `to` taken the shorter way.
void CameraAnimator::Interpolate(const CameraRecord& from, const CameraRecord& to, uint32_t durationMs)
{
    float start[kChannels];
    float end[kChannels];
    ToChannels(from, start);
    ToChannels(to, end);
    end[3] = NearestAngle(from.pitch, to.pitch);
    end[4] = NearestAngle(from.yaw, to.yaw);
    end[5] = NearestAngle(from.roll, to.roll);
    mInterpolator = std::make_unique<KUtil::KCubicInterpolate>(kChannels, durationMs, start, end);
}

void CameraAnimator::MoveTo(const CameraRecord& from, const CameraRecord& to, uint32_t durationMs)
{
    if (mActive)
        StopMove(); // home stays the shot before the first move
    else
        mHome = from;
    mIdleReturn = false;
    mActive = true;
    mReturning = false;
    Interpolate(from, to, durationMs);
}

void CameraAnimator::Return(uint32_t durationMs)
{
    if (!mActive) {
        mIdleReturn = true;
        return;
    }
    mIdleReturn = false;
    mInterpolator.reset();
    mActive = true;
    mReturning = true;
    Interpolate(mCurrent, mHome, durationMs);
}

void CameraAnimator::Advance()
{
    if (!mActive || !mInterpolator) {
        // Idle: the camera is left alone (the current shot may be older
        // than a reset). A return asked for while idle ends here.
        if (mIdleReturn) {
            mIdleReturn = false;
            FinishEvent();
        }
        return;
    }
    float values[kChannels];
    mInterpolator->Evaluate(values);
    mCurrent = CameraRecord(values[0], values[1], values[2], WrapAngle(values[3]), WrapAngle(values[4]),
                            WrapAngle(values[5]), values[6]);
    const bool done = mInterpolator->IsDone();
    if (done)
        FinishEvent();
    if (done && mReturning)
        StopMove();
    KSceneSet::Get()->GetCamera() = mCurrent;
}

void CameraAnimator::ResetToDefault()
{
    StopMove();
    KSceneSet::Get()->GetCamera() = DefaultShot();
}

void CameraAnimator::SetEvent(const std::shared_ptr<KEvent::Event>& event)
{
    if (mEvent && mEvent != event && !mEvent->IsFinished()) {
        // Released first: the finish must not find it still attached.
        std::shared_ptr<KEvent::Event> replaced = std::move(mEvent);
        replaced->Finish();
    }
    mEvent = event;
}

void CameraAnimator::ReleaseEvent()
{
    mEvent.reset();
}

void CameraAnimator::FinishEvent()
{
    std::shared_ptr<KEvent::Event> event = std::move(mEvent);
    mEvent.reset();
    // A skipped event is finished already; it is not finished again.
    if (event && !event->IsFinished())
        event->Finish();
}

} // namespace KScene
