#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/TString.h"
#include "render/VertexList.h"

// The contents of a ".mesh" file: little-endian, no padding,
//     "TRIS", vertex count V (uint16), triangle count T (uint16),
//     V x 8 int16 (position, normal, texture coordinates; each / 1000),
//     T x 3 uint16 indices into the vertex list.
struct TMeshData {
    std::vector<TMeshVertex> vertices;
    std::vector<uint16_t> indices; // three per triangle
    TString fileName;               // the name it was loaded from
};

constexpr size_t kMeshHeaderSize = 8;
constexpr size_t kMeshVertexSize = 16;
constexpr size_t kMeshTriangleSize = 6;
// The largest file the counts can describe; bytes after it are never read.
constexpr size_t kMeshMaxFileSize = kMeshHeaderSize + (kMeshVertexSize + kMeshTriangleSize) * 65535;

// Reads the bytes of a mesh file into out (its file name untouched). False,
// with a log line naming name, when the magic is wrong, when there are fewer
// bytes than the counts need, or when an index lies past the vertex count;
// out's arrays are then empty. Bytes after the indices are ignored.
bool ParseMesh(const uint8_t* bytes, size_t size, const char* name, TMeshData& out);
