#include "os/gfx/gl/GfxGlBatch.h"

#include <cstring>

GfxGlShape GfxGlShapeOf(GfxPrimitive primitive)
{
    switch (primitive) {
    case GfxPrimitive::PointList: return GfxGlShape::Points;
    case GfxPrimitive::LineList:
    case GfxPrimitive::LineStrip: return GfxGlShape::Lines;
    default: return GfxGlShape::Triangles;
    }
}

uint8_t* GfxGlBatch::Append(GfxPrimitive primitive, const void* vertices, uint32_t vertexCount, uint32_t stride,
                            const uint16_t* indices, uint32_t indexCount, bool provokingFirst)
{
    if (Empty())
        mShape = GfxGlShapeOf(primitive);
    const size_t at = mVertices.size();
    const size_t bytes = size_t(vertexCount) * stride;
    mVertices.resize(at + bytes);
    if (bytes)
        memcpy(mVertices.data() + at, vertices, bytes);

    const uint32_t base = mVertexCount;
    mVertexCount += vertexCount;
    const uint32_t n = indices ? indexCount : vertexCount;
    auto e = [&](uint32_t k) { return base + (indices ? uint32_t(indices[k]) : k); };
    auto put = [&](uint32_t a, uint32_t b, uint32_t c) {
        mIndices.push_back(e(a));
        mIndices.push_back(e(b));
        mIndices.push_back(e(c));
    };
    switch (primitive) {
    case GfxPrimitive::PointList:
        for (uint32_t k = 0; k < n; ++k)
            mIndices.push_back(e(k));
        break;
    case GfxPrimitive::LineList:
        for (uint32_t k = 0; k + 1 < n; k += 2) {
            mIndices.push_back(e(k));
            mIndices.push_back(e(k + 1));
        }
        break;
    case GfxPrimitive::LineStrip:
        for (uint32_t k = 0; k + 1 < n; ++k) {
            mIndices.push_back(e(k));
            mIndices.push_back(e(k + 1));
        }
        break;
    case GfxPrimitive::TriangleList:
        for (uint32_t k = 0; k + 2 < n; k += 3)
            put(k, k + 1, k + 2);
        break;
    case GfxPrimitive::TriangleStrip:
        // Every other triangle is wound the other way round.
        for (uint32_t k = 0; k + 2 < n; ++k) {
            if (!(k & 1))
                put(k, k + 1, k + 2);
            else if (provokingFirst)
                put(k, k + 2, k + 1);
            else
                put(k + 1, k, k + 2);
        }
        break;
    case GfxPrimitive::TriangleFan:
        for (uint32_t k = 0; k + 2 < n; ++k) {
            if (provokingFirst)
                put(k + 1, k + 2, 0);
            else
                put(0, k + 1, k + 2);
        }
        break;
    }
    return mVertices.data() + at;
}

void GfxGlBatch::Clear()
{
    mVertices.clear();
    mIndices.clear();
    mVertexCount = 0;
}
