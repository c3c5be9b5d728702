// Converts a Wavefront OBJ file into our .mesh format (see docs/meshes.md).
//
//   obj2mesh IN.obj OUT.mesh
//
// Exit code 0 when OUT.mesh was written, 1 when the model cannot be
// converted (the reason on standard error; OUT.mesh is left as it was),
// 2 for a wrong command line.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ObjMesh.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: obj2mesh IN.obj OUT.mesh\n");
        return 2;
    }
    const std::string input = argv[1], output = argv[2];
    std::ifstream in(input);
    if (!in) {
        std::fprintf(stderr, "obj2mesh: cannot open %s\n", input.c_str());
        return 1;
    }
    obj_mesh::Mesh mesh;
    std::string error;
    if (!obj_mesh::Convert(in, mesh, error)) {
        std::fprintf(stderr, "obj2mesh: %s: %s\n", input.c_str(), error.c_str());
        return 1;
    }
    if (in.bad()) {
        std::fprintf(stderr, "obj2mesh: %s: read error\n", input.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = obj_mesh::Encode(mesh);
    // Written beside the output and renamed, so a failure leaves no half file.
    const std::string temporary = output + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = file && std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "obj2mesh: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("obj2mesh: %s: %zu vertices, %zu triangles", output.c_str(), mesh.vertices.size(),
                mesh.indices.size() / 3);
    if (mesh.facesWithComputedNormals)
        std::printf(", %u faces given their face normal", mesh.facesWithComputedNormals);
    std::printf("\n");
    return 0;
}
