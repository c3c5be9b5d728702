#pragma once
#include <cstdint>
#include <vector>

#include "platform/Vector.h"

namespace KScene {

class XBone;

// One mesh vertex: position, normal, texture coordinates (32 bytes, the
// renderer's lit mesh vertex layout). All zero when made.
struct XVertex {
    TVec3 position;
    TVec3 normal;
    TVec2 uv;
};
static_assert(sizeof(XVertex) == 32, "XVertex must match the mesh vertex layout");

// The bone influences of one vertex and its position as loaded.
class XVertexWeights {
public:
    XVertexWeights(uint32_t capacity, TVec3 bind) : mCapacity(capacity), mBind(bind) {}

    // Appends one influence; refused (false) once the capacity is reached
    // or for a null bone.
    bool Add(float weight, XBone* bone);

    uint32_t Count() const { return uint32_t(mWeights.size()); }
    uint32_t Capacity() const { return mCapacity; }
    float Weight(uint32_t i) const { return mWeights[i]; }
    XBone* Bone(uint32_t i) const { return mBones[i]; }
    TVec3 GetBind() const { return mBind; }

private:
    uint32_t mCapacity;
    TVec3 mBind;
    std::vector<float> mWeights;
    std::vector<XBone*> mBones;
};

} // namespace KScene
