#pragma once
#include "platform/Matrix.h"
#include "platform/Vector.h"

namespace KScene {

// A placement of a model: rotation in radians (x pitch, y yaw, z roll),
// position and scale. Copied by value.
struct XTransform {
    TVec3 rotation;
    TVec3 position;
    TVec3 scale = TVec3(1.0f, 1.0f, 1.0f);

    // Rotated, then scaled along the parent's axes, then moved (row vectors).
    TMat4 ToMatrix() const;
};

} // namespace KScene
