// Arbitrary bytes as a .mesh file, read directly and through a model
// loading it as an asset file: either a mesh whose every index names one of
// its vertices and whose counts fit the bytes, or nothing at all.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/AssetNames.h"
#include "render/MeshFile.h"
#include "render/Model.h"

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

void CheckMesh(const TMeshData& mesh, bool loaded, size_t size)
{
    if (!loaded) {
        Require(mesh.vertices.empty() && mesh.indices.empty());
        return;
    }
    Require(mesh.indices.size() % 3 == 0);
    Require(kMeshHeaderSize + mesh.vertices.size() * kMeshVertexSize +
                mesh.indices.size() / 3 * kMeshTriangleSize <= size);
    for (uint16_t index : mesh.indices)
        Require(index < mesh.vertices.size());
    for (const TMeshVertex& v : mesh.vertices)
        for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v})
            Require(std::isfinite(f) && std::fabs(f) <= 32.768f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exactly sized copy, so that ASan sees a read past its end.
    const std::vector<uint8_t> bytes(data, data + size);
    TMeshData direct;
    const bool parsed = ParseMesh(bytes.data(), bytes.size(), "fuzz", direct);
    CheckMesh(direct, parsed, size);

    // The same bytes as a file; a null buffer would unregister the name.
    const uint8_t empty = 0;
    RegisterMemoryFile("fuzz.mesh", size ? bytes.data() : &empty, uint32_t(size));
    TModel model;
    const bool loaded = model.LoadMesh("fuzz.mesh");
    Require(loaded == parsed);
    Require(model.GetMesh() != nullptr);
    CheckMesh(*model.GetMesh(), loaded, size);
    if (loaded)
        Require(model.GetMesh()->vertices.size() == direct.vertices.size() &&
                model.GetMesh()->indices == direct.indices);
    ClearRegisteredFiles();
    return 0;
}
