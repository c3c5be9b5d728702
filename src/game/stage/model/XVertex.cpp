#include "game/stage/model/XVertex.h"

namespace KScene {

bool XVertexWeights::Add(float weight, XBone* bone)
{
    if (!bone || mWeights.size() >= mCapacity)
        return false;
    mWeights.push_back(weight);
    mBones.push_back(bone);
    return true;
}

} // namespace KScene
