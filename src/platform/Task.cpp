#include "platform/Task.h"

#include "platform/Clock.h"
#include "platform/Timer.h"

namespace {

// A computed wake time never lands on the "never" value.
uint32_t WakeAt(uint32_t time)
{
    return time == TAnimTask::kNever ? 0 : time;
}

} // namespace

TAnimTask::TAnimTask(TClock* clock) : mClock(clock)
{
    mWakeTime = WakeAt(Now());
}

uint32_t TAnimTask::Now() const
{
    return mClock ? mClock->GetTime() : GetTimer();
}

bool TAnimTask::IsReady(int32_t pass)
{
    if (pass == kPassFrame)
        return mPerFrame;
    if (mWakeTime == kNever)
        return false;
    return int32_t(Now() - mWakeTime) >= 0;
}

bool TAnimTask::Run()
{
    const uint32_t now = Now();
    if (mWakeTime != kNever && int32_t(now - mWakeTime) > 1000)
        mWakeTime = WakeAt(now); // missed periods beyond a second are dropped
    bool result;
    for (;;) {
        if (mWakeTime != kNever)
            mWakeTime = WakeAt(mFromNow ? now + mPeriod : mWakeTime + mPeriod);
        result = Update();
        // A period of 0 never catches up: its wake time would not move.
        if (!result || !mCatchUp || mPeriod == 0 || mWakeTime == kNever)
            break;
        if (int32_t(mWakeTime - now) >= 0)
            break;
    }
    return result;
}

void TAnimTask::SetTimer(uint32_t delay, bool repeat, bool fromNow, bool catchUp)
{
    mFromNow = fromNow;
    mCatchUp = catchUp;
    if (!fromNow && mWakeTime != kNever)
        mWakeTime = WakeAt(mWakeTime + delay);
    else
        mWakeTime = WakeAt(Now() + delay);
    mPeriod = repeat ? delay : 0;
}

void TAnimTask::Suspend()
{
    mWakeTime = kNever;
    mPerFrame = false;
}

int32_t TAnimTask::Elapsed() const
{
    if (mWakeTime == kNever)
        return -1;
    return int32_t(Now() - mWakeTime);
}

void TAnimTask::SetClock(TClock* clock)
{
    if (mWakeTime == kNever) {
        mClock = clock;
        return;
    }
    const int32_t remaining = int32_t(mWakeTime - Now());
    mClock = clock;
    mWakeTime = WakeAt(Now() + uint32_t(remaining));
}
