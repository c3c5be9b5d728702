#pragma once
#include <cstdint>
#include <memory>

#include "platform/Color.h"
#include "platform/Matrix.h"
#include "platform/Vector.h"
#include "render/RenderStates.h"

// The three vertex layouts (32 bytes each).

// Type 0: position, normal, texture coordinates; lit by the device.
struct TMeshVertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    float u = 0, v = 0;
};

// Types 1 and 2: position, one reserved word, diffuse and specular colours,
// texture coordinates; not lit. A new vertex is all zero (transparent-black
// colours) except the reserved word, which is left as it is.
struct TLitVertex {
    float x, y, z;
    uint32_t reserved;
    TColor diffuse;
    TColor specular;
    float u, v;

    TLitVertex() : x(0), y(0), z(0), diffuse(0u), specular(0u), u(0), v(0) {}
};

// Type 3: screen position (back-buffer pixels), depth, rhw, colours,
// texture coordinates; drawn without projection or lighting.
struct TScreenVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    TColor diffuse;
    TColor specular;
    float u = 0, v = 0;
};

static_assert(sizeof(TMeshVertex) == 32);
static_assert(sizeof(TLitVertex) == 32);
static_assert(sizeof(TScreenVertex) == 32);

// A vertex type, a vertex array and a count, handed to the renderer's vertex
// drawing. The array belongs to the caller; the list only points at it.
class TVertexList {
public:
    TVertexList(int32_t type, const void* vertices, uint32_t count)
        : mType(type), mVertices(vertices), mCount(count)
    {
    }

    int32_t GetType() const { return mType; }
    const void* GetVertices() const { return mVertices; }
    uint32_t GetCount() const { return mCount; }
    // Lists are reused for several draws.
    void SetCount(uint32_t count) { mCount = count; }

private:
    int32_t mType;
    const void* mVertices;
    uint32_t mCount;
};

std::unique_ptr<TVertexList> MakeMeshVertexList(const TMeshVertex* vertices, uint32_t count);
std::unique_ptr<TVertexList> MakeLitVertexList(const TLitVertex* vertices, uint32_t count);
std::unique_ptr<TVertexList> MakeSpriteVertexList(const TLitVertex* vertices, uint32_t count);
std::unique_ptr<TVertexList> MakeScreenVertexList(const TScreenVertex* vertices, uint32_t count);

// Four pre-lit vertices of a textured quad. Each corner is transformed
// (row vector times transform) and written back into corners; the vertex
// lies at corner + offset, z 0.1. texCorners[0] is the left/top texture
// coordinate pair, texCorners[1] the right/bottom one; corners 0..3 take
// (left, top), (right, top), (right, bottom), (left, bottom). The diffuse
// colour is colour[0..2] and alpha, each times 255 and clamped to 0..255;
// the specular colour is opaque black.
void BuildQuadVertices(TVec2 offset, TLitVertex out[4], TVec2 corners[4], const TVec2 texCorners[2],
                       const TMat3& transform, float alpha, const float* colour);
