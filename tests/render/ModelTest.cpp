// Models: what a .mesh file loads as, which files are refused and why, the
// sharing by name, the reload on restore, and the draw on the recording
// device.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "os/gfx/recording/GfxRecording.h"
#include "platform/AssetManager.h"
#include "platform/AssetMap.h"
#include "platform/AssetNames.h"
#include "render/Model.h"
#include "render/Renderer.h"
#include "support/HeadlessDisplay.h"
#include "support/TempFolder.h"

namespace {

// A mesh file as bytes: magic, the two counts as given, then whatever
// values and indices follow (so counts and contents may disagree).
std::vector<uint8_t> MeshBytes(const char* magic, uint16_t vertexCount, uint16_t triangleCount,
                               const std::vector<int16_t>& values, const std::vector<uint16_t>& indices)
{
    std::vector<uint8_t> out(magic, magic + 4);
    auto put = [&out](uint16_t v) {
        out.push_back(uint8_t(v & 0xFF));
        out.push_back(uint8_t(v >> 8));
    };
    put(vertexCount);
    put(triangleCount);
    for (int16_t v : values)
        put(uint16_t(v));
    for (uint16_t i : indices)
        put(i);
    return out;
}

// One triangle of three vertices; first is the first vertex's eight values.
std::vector<uint8_t> Triangle(const std::vector<int16_t>& first = {0, 0, 0, 0, 0, -1000, 0, 0})
{
    std::vector<int16_t> values = first;
    const std::vector<int16_t> rest = {1000, 0, 0, 0, 0, -1000, 1000, 0, 0, 1000, 0, 0, 0, -1000, 0, 1000};
    values.insert(values.end(), rest.begin(), rest.end());
    return MeshBytes("TRIS", 3, 1, values, {0, 1, 2});
}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        mLog.Restart();
        mDisplay = std::make_unique<THeadlessDisplay>();
        SetAssetManager(&mAssets);
    }
    void TearDown() override
    {
        SetAssetManager(nullptr);
        mDisplay.reset();
        TRenderer::Shutdown();
        TAssetMap::ClearLoaders();
    }

    // Registers bytes as an in-memory asset file (kept alive by the test).
    void AddFile(const std::string& name, std::vector<uint8_t> bytes)
    {
        const uint32_t size = uint32_t(bytes.size());
        bytes.push_back(0); // never a null buffer, which would unregister the name
        mFiles.push_back(std::make_unique<std::vector<uint8_t>>(std::move(bytes)));
        RegisterMemoryFile(name.c_str(), mFiles.back()->data(), size);
    }

    // The model drawn in a 3D pass of a frame: the draws it made.
    std::vector<GfxDrawRecord> DrawnIn3d(TModel& model)
    {
        GfxRecordingLog().Clear();
        TRenderer* renderer = TRenderer::Get();
        EXPECT_TRUE(renderer->BeginDraw(false));
        EXPECT_TRUE(renderer->Begin3d());
        model.Draw();
        renderer->End3d();
        renderer->EndDraw(false);
        return GfxRecordingLog().draws;
    }

    TTempLogFolder mLog{"modeltest"};
    std::unique_ptr<THeadlessDisplay> mDisplay;
    TAssetManager mAssets;
    std::vector<std::unique_ptr<std::vector<uint8_t>>> mFiles;
};

TEST_F(ModelTest, VertexIntegersAreThousandths)
{
    AddFile("one.mesh", Triangle({1000, -500, 0, 0, 1000, 0, 250, 750}));
    std::shared_ptr<TModel> model = TModel::Get("one.mesh");
    ASSERT_TRUE(model);
    const TMeshData* mesh = model->GetMesh();
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->vertices.size(), 3u);
    const TMeshVertex& v = mesh->vertices[0];
    EXPECT_EQ(std::vector<float>({v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v}),
              std::vector<float>({1.0f, -0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.25f, 0.75f}));
    EXPECT_EQ(mesh->indices, (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(mesh->fileName, "one.mesh");

    // The extremes of the 16-bit range.
    AddFile("extremes.mesh", MeshBytes("TRIS", 1, 0, {-32768, 32767, 1, -1, 0, 0, 0, 0}, {}));
    model = TModel::Get("extremes.mesh");
    ASSERT_TRUE(model);
    const TMeshVertex& e = model->GetMesh()->vertices.at(0);
    EXPECT_FLOAT_EQ(e.x, -32.768f);
    EXPECT_FLOAT_EQ(e.y, 32.767f);
    EXPECT_FLOAT_EQ(e.z, 0.001f);
    EXPECT_FLOAT_EQ(e.nx, -0.001f);
}

TEST_F(ModelTest, FilesThatLoadAndFilesThatAreRefused)
{
    const std::vector<int16_t> vertex = {0, 0, 0, 0, 0, -1000, 0, 0};
    const std::vector<int16_t> twoVertices = {0, 0, 0, 0, 0, -1000, 0, 0, 1000, 0, 0, 0, 0, -1000, 0, 0};
    std::vector<uint8_t> shortIndices = Triangle();
    shortIndices.pop_back();
    std::vector<uint8_t> trailing = Triangle();
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool loads;
        size_t vertices, indices;
        const char* log; // a piece of the line a refusal logs
    };
    const Case cases[] = {
        {"empty mesh", MeshBytes("TRIS", 0, 0, {}, {}), true, 0, 0, nullptr},
        {"vertices and no triangles", MeshBytes("TRIS", 1, 0, vertex, {}), true, 1, 0, nullptr},
        {"bytes after the indices", trailing, true, 3, 3, nullptr},
        {"last vertex used", MeshBytes("TRIS", 2, 1, twoVertices, {1, 1, 0}), true, 2, 3, nullptr},
        {"magic TRIX", MeshBytes("TRIX", 0, 0, {}, {}), false, 0, 0, "not a mesh file"},
        {"empty file", {}, false, 0, 0, "not a mesh file"},
        {"header cut short", {'T', 'R', 'I', 'S', 1, 0}, false, 0, 0, "truncated header"},
        {"vertices cut short", MeshBytes("TRIS", 2, 0, vertex, {}), false, 0, 0, "need 40 bytes, the file has 24"},
        {"indices cut short", shortIndices, false, 0, 0, "need 62 bytes, the file has 61"},
        {"counts far past the end", MeshBytes("TRIS", 65535, 65535, vertex, {}), false, 0, 0, "65535 vertices"},
        {"index equal to the vertex count", MeshBytes("TRIS", 2, 1, twoVertices, {0, 1, 2}), false, 0, 0,
         "triangle 0 uses vertex 2 of 2"},
        {"index past it in a later triangle", MeshBytes("TRIS", 2, 2, twoVertices, {0, 1, 1, 1, 0, 65535}), false,
         0, 0, "triangle 1 uses vertex 65535 of 2"},
        {"triangles without vertices", MeshBytes("TRIS", 0, 1, {}, {0, 0, 0}), false, 0, 0,
         "uses vertex 0 of 0"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "case" + std::to_string(n++) + ".mesh";
        AddFile(name, c.bytes);
        mLog.Restart();
        std::shared_ptr<TModel> model = TModel::Get(name.c_str());
        EXPECT_EQ(bool(model), c.loads);
        if (model) {
            EXPECT_EQ(model->GetMesh()->vertices.size(), c.vertices);
            EXPECT_EQ(model->GetMesh()->indices.size(), c.indices);
            EXPECT_TRUE(DrawnIn3d(*model).size() == (c.indices ? 1u : 0u)) << "an empty mesh draws nothing";
            EXPECT_EQ(mLog.Count("Mesh "), 0);
        } else {
            EXPECT_TRUE(mLog.Has("Mesh " + name + ": ")) << mLog.Text();
            EXPECT_TRUE(mLog.Has(c.log)) << mLog.Text();
            EXPECT_FALSE(mAssets.Find(name.c_str())) << "a refused file is not registered";
        }
    }
}

TEST_F(ModelTest, NamesMustSayMeshAndExist)
{
    const std::vector<uint8_t> good = Triangle();
    AddFile("plain.msh", good);
    AddFile("upper.MESH", good);
    AddFile("dir.mesh/inside.bin", good); // ".mesh" anywhere in the name will do
    EXPECT_FALSE(TModel::Get("plain.msh"));
    EXPECT_FALSE(TModel::Get("upper.MESH"));
    EXPECT_FALSE(TModel::Get("missing.mesh"));
    EXPECT_TRUE(TModel::Get("dir.mesh/inside.bin"));
    // Not bad files: nothing logged.
    EXPECT_FALSE(mLog.Has("Mesh "));

    // A failed LoadMesh leaves no vertices behind, so nothing is drawn.
    std::shared_ptr<TModel> model = TModel::Get("dir.mesh/inside.bin");
    ASSERT_TRUE(model);
    EXPECT_FALSE(model->LoadMesh("plain.msh"));
    EXPECT_TRUE(DrawnIn3d(*model).empty());
}

TEST_F(ModelTest, OneModelPerNameWhileItLives)
{
    AddFile("shared.mesh", Triangle());
    std::shared_ptr<TModel> first = TModel::Get("shared.mesh");
    ASSERT_TRUE(first);
    EXPECT_EQ(TModel::Get("shared.mesh"), first);
    EXPECT_EQ(mAssets.Find("shared.mesh"), first);

    // Once dropped, the name loads a new model, from the file as it is now.
    first.reset();
    AddFile("shared.mesh", Triangle({7000, 0, 0, 0, 0, -1000, 0, 0}));
    std::shared_ptr<TModel> second = TModel::Get("shared.mesh");
    ASSERT_TRUE(second);
    EXPECT_FLOAT_EQ(second->GetMesh()->vertices[0].x, 7.0f);

    // Another kind of asset under the name is not taken for a model.
    auto other = std::make_shared<TAsset>();
    mAssets.Add("other.mesh", other);
    AddFile("other.mesh", Triangle());
    std::shared_ptr<TModel> model = TModel::Get("other.mesh");
    ASSERT_TRUE(model);
    EXPECT_EQ(mAssets.Find("other.mesh"), model);
    EXPECT_STREQ(model->GetClassName(), "TModel");
    EXPECT_TRUE(model->IsKindOf(TModel::ClassId));
    EXPECT_TRUE(model->IsKindOf(TAsset::ClassId));
    EXPECT_FALSE(other->IsKindOf(TModel::ClassId));
}

TEST_F(ModelTest, AnAssetMapFindsModelsByName)
{
    RegisterModelAssetLoader();
    AddFile("models/box.mesh", Triangle());
    TAssetMap map;
    std::shared_ptr<TAsset> asset = map.GetAsset("models\\box.mesh");
    ASSERT_TRUE(asset);
    EXPECT_TRUE(asset->IsKindOf(TModel::ClassId));
    EXPECT_EQ(map.GetAsset("models/box.mesh"), asset);
    EXPECT_FALSE(map.GetAsset("models/none.mesh"));
}

TEST_F(ModelTest, RestoreReloadsTheFile)
{
    AddFile("restore.mesh", Triangle());
    std::shared_ptr<TModel> model = TModel::Get("restore.mesh");
    ASSERT_TRUE(model);

    // The display's release and restore of every live asset.
    AddFile("restore.mesh", Triangle({2000, 0, 0, 0, 0, -1000, 0, 0}));
    mAssets.ReleaseAll();
    EXPECT_EQ(model->GetMesh()->vertices.size(), 3u) << "release keeps the mesh";
    mAssets.RestoreAll();
    EXPECT_FLOAT_EQ(model->GetMesh()->vertices.at(0).x, 2.0f);

    // A reload of a broken file leaves an empty mesh that draws nothing...
    std::vector<uint8_t> broken = Triangle();
    broken.resize(20);
    AddFile("restore.mesh", broken);
    model->Restore();
    EXPECT_TRUE(model->GetMesh() == nullptr || model->GetMesh()->vertices.empty());
    EXPECT_TRUE(DrawnIn3d(*model).empty());
    EXPECT_TRUE(mLog.Has("Mesh restore.mesh:"));

    // ...and the next restore tries the same file again.
    AddFile("restore.mesh", Triangle({3000, 0, 0, 0, 0, -1000, 0, 0}));
    model->Restore();
    ASSERT_NE(model->GetMesh(), nullptr);
    EXPECT_FLOAT_EQ(model->GetMesh()->vertices.at(0).x, 3.0f);
    EXPECT_EQ(model->GetMesh()->fileName, "restore.mesh");
}

TEST_F(ModelTest, DrawsOneIndexedTriangleListInsideA3dPass)
{
    AddFile("draw.mesh", MeshBytes("TRIS", 4, 2,
                                   {-1000, 1000, 5000, 0, 0, -1000, 0, 0,    //
                                    1000, 1000, 5000, 0, 0, -1000, 1000, 0,  //
                                    1000, -1000, 5000, 0, 0, -1000, 1000, 1000, //
                                    -1000, -1000, 5000, 0, 0, -1000, 0, 1000},
                                   {0, 1, 2, 0, 2, 3}));
    std::shared_ptr<TModel> model = TModel::Get("draw.mesh");
    ASSERT_TRUE(model);

    const std::vector<GfxDrawRecord> draws = DrawnIn3d(*model);
    ASSERT_EQ(draws.size(), 1u);
    const GfxDrawRecord& d = draws[0];
    EXPECT_EQ(d.primitive, GfxPrimitive::TriangleList);
    EXPECT_EQ(d.fvf, uint32_t(kFvfMesh));
    EXPECT_EQ(d.vertexCount, 4u);
    EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    // Vertex 2: position, normal, texture coordinates at their offsets.
    EXPECT_EQ(std::vector<float>({d.Float(2, 0), d.Float(2, 4), d.Float(2, 8), d.Float(2, 20), d.Float(2, 24),
                                  d.Float(2, 28)}),
              std::vector<float>({1.0f, -1.0f, 5.0f, -1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(d.Get(GfxRs::Lighting), 1u) << "mesh vertices are lit by the device";

    // Outside a 3D pass the renderer refuses it.
    GfxRecordingLog().Clear();
    ASSERT_TRUE(TRenderer::Get()->BeginDraw(false));
    model->Draw();
    TRenderer::Get()->EndDraw(false);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    EXPECT_TRUE(mLog.Has("DrawIndexedVertices called when not in Begin2d or Begin3d state"));
}

} // namespace
