// The OBJ to .mesh converter: what OBJ text becomes, what it refuses and
// why, the 16-bit limits, the file it writes read back by the game's mesh
// reader, and the program's exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ObjMesh.h"
#include "render/MeshFile.h"
#include "support/TempFolder.h"

using obj_mesh::Mesh;
using obj_mesh::Vertex;

namespace {

bool ConvertText(const std::string& text, Mesh& mesh, std::string& error)
{
    std::istringstream in(text);
    return obj_mesh::Convert(in, mesh, error);
}

TEST(ObjMesh, FacesBecomeIndexedTrianglesOfQuantisedVertices)
{
    struct Case {
        const char* what;
        const char* obj;
        std::vector<Vertex> vertices;
        std::vector<uint16_t> indices;
    };
    const Case cases[] = {
        {"triangle without normals or texture: its face normal, (0, 0)",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
         {{0, 0, 0, 0, 0, 1000, 0, 0}, {1000, 0, 0, 0, 0, 1000, 0, 0}, {0, 1000, 0, 0, 0, 1000, 0, 0}},
         {0, 1, 2}},
        {"the other winding turns the normal round",
         "v 0 0 0\nv 0 1 0\nv 1 0 0\nf 1 2 3\n",
         {{0, 0, 0, 0, 0, -1000, 0, 0}, {0, 1000, 0, 0, 0, -1000, 0, 0}, {1000, 0, 0, 0, 0, -1000, 0, 0}},
         {0, 1, 2}},
        {"quad cut into a fan, corners shared",
         "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 -1\nf 1//1 2//1 3//1 4//1\n",
         {{0, 0, 0, 0, 0, -1000, 0, 0}, {1000, 0, 0, 0, 0, -1000, 0, 0}, {1000, 1000, 0, 0, 0, -1000, 0, 0},
          {0, 1000, 0, 0, 0, -1000, 0, 0}},
         {0, 1, 2, 0, 2, 3}},
        {"v/vt/vn: normals made unit length, v turned upside down",
         "v 1.5 -2.25 32.767\nv -32.768 0 0\nv 0 0 1\nvt 0.25 0.25\nvt 1\nvn 0 3 0\n"
         "f 1/1/1 2/2/1 3/1/1\n",
         {{1500, -2250, 32767, 0, 1000, 0, 250, 750},
          {-32768, 0, 0, 0, 1000, 0, 1000, 1000},
          {0, 0, 1000, 0, 1000, 0, 250, 750}},
         {0, 1, 2}},
        {"negative indices count back from the last element read",
         "v 9 9 9\nvn 1 0 0\nv 0 0 0\nv 0 1 0\nv 0 0 1\nvn 0 1 0\nf -3//-1 -2//-1 -1//-2\n",
         {{0, 0, 0, 0, 1000, 0, 0, 0}, {0, 1000, 0, 0, 1000, 0, 0, 0}, {0, 0, 1000, 1000, 0, 0, 0, 0}},
         {0, 1, 2}},
        {"same position with another normal is another vertex; CRLF, comments, other statements",
         "# two faces\r\nmtllib x.mtl\r\no thing\r\ng part\r\nv 0 0 0 1\r\nv 1 0 0\r\nv 0 1 0\r\n"
         "vn 0 0 1 # up\r\nvn 0 0 -1\r\ns off\r\nusemtl m\r\nf 1//1 2//1 3//1\r\nf 1//2 3//2 2//2\r\n"
         "f 1//1 2//1 3//1\r\n",
         {{0, 0, 0, 0, 0, 1000, 0, 0}, {1000, 0, 0, 0, 0, 1000, 0, 0}, {0, 1000, 0, 0, 0, 1000, 0, 0},
          {0, 0, 0, 0, 0, -1000, 0, 0}, {0, 1000, 0, 0, 0, -1000, 0, 0}, {1000, 0, 0, 0, 0, -1000, 0, 0}},
         {0, 1, 2, 3, 4, 5, 0, 1, 2}},
        {"a pentagon makes three triangles, values rounded to thousandths",
         "v 0 0 0.0004\nv 1 0 0\nv 1.0006 1 0\nv 0.5 1.5 0\nv 0 1 0\nf 1 2 3 4 5\n",
         {{0, 0, 0, 0, 0, 1000, 0, 0}, {1000, 0, 0, 0, 0, 1000, 0, 0}, {1001, 1000, 0, 0, 0, 1000, 0, 0},
          {500, 1500, 0, 0, 0, 1000, 0, 0}, {0, 1000, 0, 0, 0, 1000, 0, 0}},
         {0, 1, 2, 0, 2, 3, 0, 3, 4}},
        {"no faces, no mesh", "v 1 2 3\nvn 0 0 1\n", {}, {}},
    };
    for (const Case& c : cases) {
        Mesh mesh;
        std::string error;
        EXPECT_TRUE(ConvertText(c.obj, mesh, error)) << c.what << ": " << error;
        EXPECT_EQ(mesh.vertices, c.vertices) << c.what;
        EXPECT_EQ(mesh.indices, c.indices) << c.what;
    }
}

TEST(ObjMesh, RefusesWhatTheFormatCannotHoldWithTheLine)
{
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    struct Case {
        std::string obj;
        const char* error;
    };
    const Case cases[] = {
        {"v 0 0 32.768\n", "line 1: position 32.768 is outside -32.768..32.767"},
        {"v -32.769 0 0\n", "line 1: position -32.769 is outside"},
        {"v 0 0 0\nvt 40 0\n", "line 2: texture coordinate 40 is outside"},
        {"vt 0 -32\n", "line 1: texture coordinate -32 is outside"}, // 1 - v = 33
        {"v 1 2\n", "line 1: v needs 3 to 4 numbers"},
        {"vn 1 2 3 4\n", "line 1: vn needs 3 numbers"},
        {"v 1 nan 2\n", "\"nan\" is not a finite number"},
        {"v 1 1e999 2\n", "\"1e999\" is not a finite number"},
        {"v 1 x 2\n", "\"x\" is not a finite number"},
        {"v 1 2 3 w\n", "\"w\" is not a finite number"},
        {"vn 0 0 0\n", "line 1: normal of length 0"},
        {triangle + "f 1 2\n", "line 4: a face needs at least 3 corners"},
        {triangle + "f 0 1 2\n", "bad vertex index \"0\""},
        {triangle + "f 1 2 4\n", "vertex index 4 with 3 vertices read so far"},
        {triangle + "f -4 1 2\n", "vertex index -4 with 3 vertices"},
        {triangle + "f 1/1 2/1 3/1\n", "texture index 1 with 0 texture coordinates read so far"},
        {triangle + "f 1//2 2//2 3//2\n", "normal index 2 with 0 normals read so far"},
        {triangle + "f 1/1/1/1 2 3\n", "bad face corner \"1/1/1/1\""},
        {triangle + "f /1 2 3\n", "bad face corner \"/1\""},
        {triangle + "f 1a 2 3\n", "bad vertex index \"1a\""},
        {"f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", "line 1: vertex index 1 with 0 vertices"},
        {"v 0 0 0\nv 1 1 1\nv 2 2 2\nf 1 2 3\n", "line 4: face without normals has no area"},
    };
    for (const Case& c : cases) {
        Mesh mesh;
        std::string error;
        EXPECT_FALSE(ConvertText(c.obj, mesh, error)) << c.obj;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.obj << "gave: " << error;
    }
}

// A strip of `vertices` distinct vertices along x, from -32.768 on, and
// `triangles` triangles over them (the strip's, then repeats of the first).
std::string Strip(int vertices, int triangles)
{
    std::string obj = "vn 0 0 1\n";
    for (int k = 0; k < vertices; ++k)
        obj += "v " + std::to_string(-32.768 + k * 0.001) + " " + std::to_string(k % 2) + " 0\n";
    for (int t = 0; t < triangles; ++t) {
        const int a = t + 3 <= vertices ? t + 1 : 1;
        obj += "f " + std::to_string(a) + "//1 " + std::to_string(a + 1) + "//1 " + std::to_string(a + 2) + "//1\n";
    }
    return obj;
}

TEST(ObjMesh, SixteenBitCountsAreTheLimit)
{
    struct Case {
        int vertices, triangles;
        const char* error; // null: converts
    };
    const Case cases[] = {
        {65535, 65533, nullptr},
        {65536, 65534, "more than 65535 distinct vertices"},
        {3, 65535, nullptr},
        {3, 65536, "line 65540: more than 65535 triangles"},
    };
    for (const Case& c : cases) {
        Mesh mesh;
        std::string error;
        const bool converted = ConvertText(Strip(c.vertices, c.triangles), mesh, error);
        EXPECT_EQ(converted, c.error == nullptr) << c.vertices << " " << c.triangles << ": " << error;
        if (converted) {
            EXPECT_EQ(mesh.vertices.size(), size_t(c.vertices));
            EXPECT_EQ(mesh.indices.size(), size_t(c.triangles) * 3);
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

TEST(ObjMesh, TheGameReadsWhatTheConverterWrites)
{
    Mesh mesh;
    std::string error;
    ASSERT_TRUE(ConvertText("v -1.5 2 32.767\nv 1 0 -32.768\nv 0 1 0\nvt 0.5 0.25\nf 1/1 2/1 3/1\n"
                            "v 5 5 5\nf 4 2 3\n",
                            mesh, error))
        << error;
    const std::vector<uint8_t> bytes = obj_mesh::Encode(mesh);
    ASSERT_EQ(bytes.size(), kMeshHeaderSize + 6 * kMeshVertexSize + 2 * kMeshTriangleSize);
    TMeshData read;
    ASSERT_TRUE(ParseMesh(bytes.data(), bytes.size(), "converted", read));
    ASSERT_EQ(read.vertices.size(), mesh.vertices.size());
    EXPECT_EQ(read.indices, mesh.indices);
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const TMeshVertex& v = read.vertices[i];
        const float got[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v};
        for (int f = 0; f < 8; ++f)
            EXPECT_FLOAT_EQ(got[f], float(mesh.vertices[i][size_t(f)] / 1000.0)) << "vertex " << i << " value " << f;
    }
    EXPECT_FLOAT_EQ(read.vertices[0].z, 32.767f);
    EXPECT_FLOAT_EQ(read.vertices[0].v, 0.75f);
}

// The converter as a program: exit code and standard error.
struct ProgramRun {
    int code;
    std::string errors;
};

ProgramRun RunConverter(const std::string& arguments, const std::string& folder)
{
    const std::string log = folder + "/stderr.txt";
    const int status = std::system((std::string(QUILLORY_OBJ2MESH) + " " + arguments + " >/dev/null 2>" + log).c_str());
    std::ifstream in(log);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(none)");
}

TEST(ObjMesh, TheProgramWritesOrRefusesWithAnExitCode)
{
    TTempFolder folder("obj2mesh");
    const std::string dir = folder.Path();
    std::ofstream(dir + "/good.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::ofstream(dir + "/far.obj") << "v 0 0 0\nv 100 0 0\nv 0 1 0\nf 1 2 3\n";
    std::ofstream(dir + "/old.mesh") << "old";

    ProgramRun ok = RunConverter(dir + "/good.obj " + dir + "/good.mesh", dir);
    EXPECT_EQ(ok.code, 0) << ok.errors;
    Mesh mesh;
    std::string error;
    ASSERT_TRUE(ConvertText(ReadAll(dir + "/good.obj"), mesh, error));
    const std::vector<uint8_t> expected = obj_mesh::Encode(mesh);
    EXPECT_EQ(ReadAll(dir + "/good.mesh"), std::string(expected.begin(), expected.end()));

    ProgramRun far = RunConverter(dir + "/far.obj " + dir + "/old.mesh", dir);
    EXPECT_EQ(far.code, 1);
    EXPECT_NE(far.errors.find("far.obj: line 2: position 100 is outside -32.768..32.767"), std::string::npos)
        << far.errors;
    EXPECT_EQ(ReadAll(dir + "/old.mesh"), "old") << "a refused model leaves the output as it was";

    ProgramRun missing = RunConverter(dir + "/none.obj " + dir + "/none.mesh", dir);
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.errors.find("cannot open"), std::string::npos) << missing.errors;
    EXPECT_EQ(ReadAll(dir + "/none.mesh"), "(none)");

    ProgramRun unwritable = RunConverter(dir + "/good.obj " + dir + "/no/such/folder.mesh", dir);
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.errors.find("cannot write"), std::string::npos) << unwritable.errors;

    ProgramRun usage = RunConverter(dir + "/good.obj", dir);
    EXPECT_EQ(usage.code, 2);
    EXPECT_NE(usage.errors.find("usage: obj2mesh IN.obj OUT.mesh"), std::string::npos);
}

} // namespace
