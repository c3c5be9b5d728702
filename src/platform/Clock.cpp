#include "platform/Clock.h"

#include "platform/Timer.h"

uint32_t TClock::GetTime() const
{
    if (mPaused)
        return mFrozen;
    return mStartValue + (GetTimer() - mBase) - mPausedTotal;
}

void TClock::SetTime(uint32_t ms)
{
    mBase = GetTimer();
    mStartValue = ms;
    mFrozen = ms;
    mPausedTotal = 0;
}

void TClock::Start()
{
    if (!mPaused)
        return;
    mPaused = false;
    if (!mStarted) {
        mStarted = true;
        SetTime(0);
    } else {
        mPausedTotal += GetTime() - mFrozen;
    }
}

bool TClock::Pause()
{
    if (mPaused)
        return true;
    mFrozen = GetTime();
    mPaused = true;
    return false;
}

void TClock::Reset()
{
    SetTime(0);
    mPaused = true;
}
