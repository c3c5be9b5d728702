#pragma once

namespace KScene {

// Where the stage camera is and how it looks: position, the angles about
// x (pitch), y (yaw) and z (roll) in radians, and the vertical field of
// view in radians. Seven floats in this order (the camera animator
// interpolates them as seven channels).
struct CameraRecord {
    float x = 0, y = 0, z = 0;
    float pitch = 0, yaw = 0, roll = 0;
    float fov = 0.62831855f;

    CameraRecord() = default;
    CameraRecord(float px, float py, float pz, float pitchAngle, float yawAngle, float rollAngle, float fieldOfView)
        : x(px), y(py), z(pz), pitch(pitchAngle), yaw(yawAngle), roll(rollAngle), fov(fieldOfView)
    {
    }
};

} // namespace KScene
