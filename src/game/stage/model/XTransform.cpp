#include "game/stage/model/XTransform.h"

namespace KScene {

TMat4 XTransform::ToMatrix() const
{
    TMat4 m;
    m.RotateYawPitchRoll(rotation.y, rotation.x, rotation.z);
    m.Scale(scale.x, scale.y, scale.z);
    m.Translate(position);
    return m;
}

} // namespace KScene
