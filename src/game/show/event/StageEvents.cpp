#include "game/show/event/StageEvents.h"

#include "platform/Log.h"

namespace KEvent {

ePodiumColor::ePodiumColor(float hue, float saturation, int32_t milliseconds)
    : mDuration(milliseconds > 0 ? uint32_t(milliseconds) : 0), mHue(hue), mSaturation(saturation)
{
    if (milliseconds < 0)
        WriteLog("ePodiumColor: duration %d taken as 0", milliseconds);
    SetName(StrFormat("ePodiumColor(%d)", milliseconds));
}

void ePodiumColor::Start()
{
    if (PodiumLights* lights = GetPodiumLights()) {
        lights->ReadPodiumColor(mFromHue, mFromSaturation);
        mFading = true;
        mClock.Reset();
        mClock.Start();
        Update();
        Event::Start();
    } else {
        WriteLog("%s: no pedestal lights", GetName().c_str());
        Event::Start();
        Finish();
    }
}

void ePodiumColor::Update()
{
    if (!mFading || IsFinished())
        return;
    // Without a duration the fade is over at once (no division by 0).
    float t = mDuration == 0 ? 2.0f : float(mClock.GetTime()) / float(mDuration);
    if (t > 1.0f) {
        t = 1.0f;
        Finish();
    }
    PodiumLights* lights = GetPodiumLights();
    if (!lights)
        return;
    lights->SetPodiumLight(mFromHue + (mHue - mFromHue) * t, mFromSaturation + (mSaturation - mFromSaturation) * t);
}

std::shared_ptr<ePodiumColor> MakePodiumColor(float hue, float saturation, int32_t milliseconds)
{
    return Create<ePodiumColor>(hue, saturation, milliseconds);
}

eStartConfetti::eStartConfetti(uint16_t count)
{
    SetName("e Start Confetti");
    if (const ConfettiFactory& factory = GetConfettiFactory())
        mConfetti = factory(count);
    if (!mConfetti)
        WriteLog("e Start Confetti: no confetti emitter could be made");
}

void eStartConfetti::Start()
{
    if (mConfetti)
        mConfetti->Start();
    Event::Start();
    Finish();
}

std::shared_ptr<eStartConfetti> MakeStartConfetti(uint16_t count, std::shared_ptr<ConfettiControl>& emitter)
{
    std::shared_ptr<eStartConfetti> event = Create<eStartConfetti>(count);
    emitter = event->GetConfetti();
    return event;
}

eStopConfetti::eStopConfetti(std::shared_ptr<ConfettiControl> confetti) : mConfetti(std::move(confetti))
{
    SetName("e Stop Confetti");
}

void eStopConfetti::Start()
{
    if (mConfetti)
        mConfetti->StopRespawn();
    Event::Start();
    Finish();
}

std::shared_ptr<eStopConfetti> MakeStopConfetti(const std::shared_ptr<ConfettiControl>& emitter)
{
    return Create<eStopConfetti>(emitter);
}

} // namespace KEvent
