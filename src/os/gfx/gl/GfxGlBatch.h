#pragma once
// Vertices of consecutive draws gathered for one GL draw call (no GL here).
#include <cstdint>
#include <vector>

#include "os/gfx/GfxTypes.h"

// What a primitive type is drawn as once gathered: strips and fans become
// lists, so draws of one shape can share a call.
enum class GfxGlShape : uint8_t { Points, Lines, Triangles };

GfxGlShape GfxGlShapeOf(GfxPrimitive primitive);

// Vertex bytes (the draws' own format, copied as they are) and 32-bit
// indices into them, as points, line pairs or triangles. Triangles keep the
// order in which GL itself splits strips and fans, with the vertex that
// gives a flat-shaded triangle its colour first (provokingFirst) or where
// GL's last-vertex rule looks for it.
class GfxGlBatch {
public:
    bool Empty() const { return mIndices.empty(); }
    GfxGlShape Shape() const { return mShape; }
    uint32_t VertexCount() const { return mVertexCount; }
    const std::vector<uint8_t>& Vertices() const { return mVertices; }
    const std::vector<uint32_t>& Indices() const { return mIndices; }

    // Adds one draw: vertexCount vertices of stride bytes, and indexCount
    // indices into them (indices null: the vertices in order). Counts are
    // whole primitives (the device trims them). Returns the copied vertices
    // so the caller can convert them in place; the shape must match a
    // non-empty batch.
    uint8_t* Append(GfxPrimitive primitive, const void* vertices, uint32_t vertexCount, uint32_t stride,
                    const uint16_t* indices, uint32_t indexCount, bool provokingFirst);
    void Clear();

private:
    std::vector<uint8_t> mVertices;
    std::vector<uint32_t> mIndices;
    uint32_t mVertexCount = 0;
    GfxGlShape mShape = GfxGlShape::Triangles;
};
