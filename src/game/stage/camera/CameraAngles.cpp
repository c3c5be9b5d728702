#include "game/stage/camera/CameraAngles.h"

#include <cmath>

#include "platform/Log.h"

namespace KScene {

namespace {

// Beyond this many turns the step-by-step wrap would take long (and beyond
// 2^24 it would never end): the remainder is taken at once instead.
constexpr float kStepLimit = 1024.0f * kTwoPi;

} // namespace

float WrapAngle(float angle)
{
    if (!std::isfinite(angle)) {
        WriteLog("WrapAngle: %f is no angle; 0 used", double(angle));
        return 0.0f;
    }
    if (std::fabs(angle) > kStepLimit)
        angle = float(std::fmod(double(angle), double(kTwoPi)));
    while (angle < 0.0f)
        angle += kTwoPi;
    while (angle > kTwoPi)
        angle -= kTwoPi;
    return angle;
}

float NearestAngle(float from, float to)
{
    const float below = to - kTwoPi;
    const float above = to + kTwoPi;
    const float direct = std::fabs(to - from);
    const float belowDistance = std::fabs(below - from);
    const float aboveDistance = std::fabs(above - from);
    if (belowDistance >= direct && aboveDistance >= direct)
        return to;
    if (belowDistance <= direct && belowDistance <= aboveDistance)
        return below;
    return above;
}

} // namespace KScene
