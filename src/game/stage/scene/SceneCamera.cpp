#include <cmath>

#include "game/stage/camera/CameraAngles.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/Log.h"

namespace KScene {

namespace {

constexpr float kPi = 3.1415927f;

// Commands 0 to 5: the direction of the move in the camera's yaw frame.
const TVec3 kMoveDirections[6] = {
    TVec3(-1, 0, 0), TVec3(1, 0, 0), TVec3(0, 0, -1), TVec3(0, 0, 1), TVec3(0, 1, 0), TVec3(0, -1, 0),
};

// Once each way, unlike WrapAngle.
float WrapOnce(float angle)
{
    if (angle < 0.0f)
        angle += kTwoPi;
    if (angle > kTwoPi)
        angle -= kTwoPi;
    return angle;
}

float ClampFov(float fov)
{
    return fov < 0.0f ? 0.0f : fov > kPi ? kPi : fov;
}

} // namespace

void KSceneSet::CameraCommand(float amount, uint32_t command)
{
    if (const CameraAnimator* animator = CameraAnimator::Existing(); animator && animator->IsActive())
        return;
    if (!std::isfinite(amount)) {
        WriteLog("CameraCommand %u: amount %f ignored", command, double(amount));
        return;
    }
    CameraRecord& camera = mCamera;
    if (command < 6) {
        TMat4 frame;
        frame.Translate(TVec3(-camera.x, -camera.y, -camera.z));
        frame.RotateY(camera.yaw);
        const TVec3 offset = amount * (frame * kMoveDirections[command]);
        camera.x += offset.x;
        camera.y += offset.y;
        camera.z += offset.z;
        return;
    }
    switch (command) {
    case 6:
        camera.fov = ClampFov(camera.fov - amount);
        break;
    case 7:
        camera.fov = ClampFov(camera.fov + amount);
        break;
    case 8:
        camera.pitch = WrapOnce(camera.pitch + amount);
        break;
    case 9:
        camera.yaw = WrapOnce(camera.yaw + amount);
        break;
    case 10:
        camera.roll = WrapOnce(camera.roll + amount);
        break;
    default:
        WriteLog("CameraCommand: unknown command %u", command);
        break;
    }
}

} // namespace KScene
