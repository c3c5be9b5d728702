#pragma once
#include <cstdint>
#include <memory>

#include "platform/Clock.h"

namespace KUtil {

// Moves a fixed number of float channels from start to end values over a
// duration in ms, timed by its own clock (application time) from its
// construction. Subclasses give the curve. Once done, Evaluate keeps giving
// the end values; a zero duration is done at once and gives the end values.
class KInterpolate {
public:
    // Copies channels floats from start and end (null reads as zeros).
    KInterpolate(uint16_t channels, uint32_t durationMs, const float* start, const float* end);
    virtual ~KInterpolate();
    KInterpolate(const KInterpolate&) = delete;
    KInterpolate& operator=(const KInterpolate&) = delete;

    // Writes every channel's current value to out (room for GetChannels()
    // floats) and returns out. The time spent here is not counted.
    virtual float* Evaluate(float* out);
    // The channel's value at t in [0, 1].
    virtual float Value(uint16_t channel, float t) const = 0;
    // Whether the duration has passed.
    virtual bool IsDone() const;

    uint16_t GetChannels() const { return mChannels; }
    uint32_t GetDuration() const { return mDuration; }

protected:
    float Start(uint16_t channel) const { return mStart[channel]; }
    float End(uint16_t channel) const { return mEnd[channel]; }

private:
    uint32_t mDuration;
    TClock mClock;
    uint16_t mChannels;
    std::unique_ptr<float[]> mStart;
    std::unique_ptr<float[]> mEnd;
};

// start + (end - start) * t.
class KLinearInterpolate : public KInterpolate {
public:
    using KInterpolate::KInterpolate;
    float Value(uint16_t channel, float t) const override;
};

// Ease in and out, flat at both ends:
// start * (2t^3 - 3t^2 + 1) + end * (3t^2 - 2t^3).
class KCubicInterpolate : public KInterpolate {
public:
    using KInterpolate::KInterpolate;
    float Value(uint16_t channel, float t) const override;
};

} // namespace KUtil
