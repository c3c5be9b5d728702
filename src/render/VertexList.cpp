#include "render/VertexList.h"

#include <cmath>
#include <cstring>

namespace {

// value x 255 as a byte, clamped (NaN counts as 0).
uint8_t ByteOf(float value)
{
    float v = value * 255.0f;
    if (!(v > 0.0f))
        return 0;
    if (v >= 255.0f)
        return 255;
    return uint8_t(int32_t(v));
}

} // namespace

std::unique_ptr<TVertexList> MakeMeshVertexList(const TMeshVertex* vertices, uint32_t count)
{
    return std::make_unique<TVertexList>(kVertexMesh, vertices, count);
}

std::unique_ptr<TVertexList> MakeLitVertexList(const TLitVertex* vertices, uint32_t count)
{
    return std::make_unique<TVertexList>(kVertexLit, vertices, count);
}

std::unique_ptr<TVertexList> MakeSpriteVertexList(const TLitVertex* vertices, uint32_t count)
{
    return std::make_unique<TVertexList>(kVertexSprite, vertices, count);
}

std::unique_ptr<TVertexList> MakeScreenVertexList(const TScreenVertex* vertices, uint32_t count)
{
    return std::make_unique<TVertexList>(kVertexScreen, vertices, count);
}

void BuildQuadVertices(TVec2 offset, TLitVertex out[4], TVec2 corners[4], const TVec2 texCorners[2],
                       const TMat3& transform, float alpha, const float* colour)
{
    std::memset(static_cast<void*>(out), 0, 4 * sizeof(TLitVertex));
    const TColor diffuse(ByteOf(colour[0]), ByteOf(colour[1]), ByteOf(colour[2]), ByteOf(alpha));
    const TColor specular(0, 0, 0, 255);
    const float reserved = 0.5f;
    const float u[4] = {texCorners[0].x, texCorners[1].x, texCorners[1].x, texCorners[0].x};
    const float v[4] = {texCorners[0].y, texCorners[0].y, texCorners[1].y, texCorners[1].y};
    for (int i = 0; i < 4; ++i) {
        corners[i] = corners[i] * transform;
        TLitVertex& vertex = out[i];
        vertex.diffuse = diffuse;
        vertex.specular = specular;
        vertex.x = corners[i].x + offset.x;
        vertex.y = corners[i].y + offset.y;
        vertex.z = 0.1f;
        std::memcpy(&vertex.reserved, &reserved, sizeof(reserved));
        vertex.u = u[i];
        vertex.v = v[i];
    }
}
