#include "game/stage/anim/Interpolate.h"

namespace KUtil {

KInterpolate::KInterpolate(uint16_t channels, uint32_t durationMs, const float* start, const float* end)
    : mDuration(durationMs), mChannels(channels), mStart(new float[channels]()), mEnd(new float[channels]())
{
    for (uint16_t i = 0; i < channels; ++i) {
        mStart[i] = start ? start[i] : 0.0f;
        mEnd[i] = end ? end[i] : 0.0f;
    }
    mClock.Start();
}

KInterpolate::~KInterpolate() = default;

float* KInterpolate::Evaluate(float* out)
{
    // No duration: done at once, at the end values (0 / 0 is no number).
    float t = 1.0f;
    if (mDuration != 0)
        t = float(mClock.GetTime()) / float(mDuration);
    if (t > 1.0f)
        t = 1.0f;
    mClock.Pause();
    for (uint16_t i = 0; i < mChannels; ++i)
        out[i] = Value(i, t);
    mClock.Start();
    return out;
}

bool KInterpolate::IsDone() const
{
    return mClock.GetTime() >= mDuration;
}

float KLinearInterpolate::Value(uint16_t channel, float t) const
{
    if (channel >= GetChannels())
        return 0.0f;
    const float s = Start(channel);
    return s + (End(channel) - s) * t;
}

float KCubicInterpolate::Value(uint16_t channel, float t) const
{
    if (channel >= GetChannels())
        return 0.0f;
    const float t2 = t * t;
    const float t3 = t2 * t;
    return Start(channel) * (2 * t3 - 3 * t2 + 1) + End(channel) * (3 * t2 - 2 * t3);
}

} // namespace KUtil
