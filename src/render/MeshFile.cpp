#include "render/MeshFile.h"

#include <cstring>

#include "platform/Log.h"

namespace {

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

float ReadFixed(const uint8_t* p)
{
    return float(int16_t(ReadU16(p)) / 1000.0);
}

} // namespace

bool ParseMesh(const uint8_t* bytes, size_t size, const char* name, TMeshData& out)
{
    out.vertices.clear();
    out.indices.clear();
    if (size < 4 || std::memcmp(bytes, "TRIS", 4) != 0) {
        WriteLog("Mesh %s: not a mesh file", name);
        return false;
    }
    if (size < kMeshHeaderSize) {
        WriteLog("Mesh %s: truncated header (%zu bytes)", name, size);
        return false;
    }
    const uint32_t vertexCount = ReadU16(bytes + 4);
    const uint32_t triangleCount = ReadU16(bytes + 6);
    const size_t needed = kMeshHeaderSize + kMeshVertexSize * vertexCount + kMeshTriangleSize * triangleCount;
    if (size < needed) {
        WriteLog("Mesh %s: %u vertices and %u triangles need %zu bytes, the file has %zu", name, vertexCount,
                 triangleCount, needed, size);
        return false;
    }

    std::vector<TMeshVertex> vertices(vertexCount);
    const uint8_t* p = bytes + kMeshHeaderSize;
    for (TMeshVertex& v : vertices) {
        float* fields[8] = {&v.x, &v.y, &v.z, &v.nx, &v.ny, &v.nz, &v.u, &v.v};
        for (float* field : fields) {
            *field = ReadFixed(p);
            p += 2;
        }
    }
    std::vector<uint16_t> indices(size_t(triangleCount) * 3);
    for (size_t i = 0; i < indices.size(); ++i, p += 2) {
        indices[i] = ReadU16(p);
        if (indices[i] >= vertexCount) {
            WriteLog("Mesh %s: triangle %zu uses vertex %u of %u", name, i / 3, indices[i], vertexCount);
            return false;
        }
    }
    out.vertices = std::move(vertices);
    out.indices = std::move(indices);
    return true;
}
