// The .x model reader: frame structure, meshes and materials, skins, the
// routing of animation keys, and damaged files (truncated, oversized counts,
// indices out of range), which load as far as they go with one log line.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "XModelFixture.h"
#include "game/stage/model/XReader.h"

using namespace KScene;
using namespace xfile;

namespace {

class XReaderTest : public XModelFixture {
protected:
    // The bytes of a file with one mesh frame "Skin" holding three vertices
    // and one triangle, plus whatever the mesh body adds (closed here).
    static std::string OneMesh(const std::function<void(Writer&)>& body)
    {
        Writer w;
        w.Header().Frame("Skin").Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
        body(w);
        w.Close().Close();
        return w.bytes;
    }
};

TEST_F(XReaderTest, FramesFormATreeAndAreFoundByName)
{
    Writer w;
    w.Header();
    // Data before the first frame is never interpreted.
    w.Name("Header").Open().Ints({1, 0, 1}).Close();
    std::vector<float> m(16);
    for (int i = 0; i < 16; ++i)
        m[i] = float(i + 1);
    w.Frame("Hips").Matrix(m).Frame("Spine").Matrix(Identity()).Close().Close();
    w.Frame("").Matrix(Identity()).Close();
    Load(w.bytes);

    ASSERT_EQ(model.GetRoots().size(), 2u);
    std::shared_ptr<XElem> hips = model.GetRoots()[0];
    EXPECT_EQ(hips->GetName(), "Hips");
    ASSERT_EQ(hips->GetChildren().size(), 1u);
    EXPECT_EQ(hips->GetChildren()[0]->GetName(), "Spine");
    EXPECT_EQ(model.FindFrame(TString("Hips")), hips);
    EXPECT_EQ(model.FindFrame(TString("Spine")), hips->GetChildren()[0]);
    // Row-major: value k at row k / 4, column k % 4.
    EXPECT_FLOAT_EQ(hips->GetLocal()(0, 1), 2.0f);
    EXPECT_FLOAT_EQ(hips->GetLocal()(3, 0), 13.0f);
    EXPECT_EQ(model.GetRoots()[1]->GetName(), "<unnamed>");
    EXPECT_TRUE(model.FindFrame(TString("<unnamed>")));

    // Lookups never add entries.
    EXPECT_FALSE(model.FindFrame(TString("Nobody")));
    EXPECT_EQ(model.GetFrameCount(), 3u);
    EXPECT_FALSE(LogHas("Model"));
}

TEST_F(XReaderTest, OuterFrameTakesTheNameFromANestedOne)
{
    Writer w;
    w.Header().Frame("Twin").Matrix(Translation(1, 0, 0));
    w.Frame("Twin").Matrix(Translation(2, 0, 0)).Close().Close();
    Load(w.bytes);
    ASSERT_TRUE(model.FindFrame(TString("Twin")));
    EXPECT_EQ(model.FindFrame(TString("Twin")), model.GetRoots()[0]);
}

TEST_F(XReaderTest, LoadingAgainReplacesTheModel)
{
    Load(Chain().bytes);
    Writer w;
    w.Header().Frame("Only").Matrix(Identity()).Close();
    Load(w.bytes, "mesh/other.x");
    EXPECT_EQ(model.GetRoots().size(), 1u);
    EXPECT_FALSE(model.FindFrame(TString("Body")));
    EXPECT_FALSE(model.GetFirstMeshFrame());
}

TEST_F(XReaderTest, MeshReadsPositionsFacesNormalsAndTextureCoordinates)
{
    Load(OneMesh([](Writer& w) {
        // Normal 0 for the face's corners 0 and 2, normal 1 for corner 1.
        w.Normals({0, 0, -1, 0, 1, 0}, {0, 1, 0});
        w.TexCoords({0.0f, 0.5f, 1.0f, 0.25f, 0.75f, 1.0f});
    }));
    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin);
    ASSERT_EQ(skin->GetVertexCount(), 3);
    EXPECT_EQ(skin->GetIndexCount(), 3u);
    EXPECT_EQ(skin->GetIndex(0, 2), 2);
    ExpectNear(skin->GetVertex(1)->position, TVec3(1, 0, 0));
    ExpectNear(skin->GetVertex(0)->normal, TVec3(0, 0, -1));
    ExpectNear(skin->GetVertex(1)->normal, TVec3(0, 1, 0));
    EXPECT_FLOAT_EQ(skin->GetVertex(1)->uv.y, 0.25f);
    EXPECT_FLOAT_EQ(skin->GetVertex(2)->uv.x, 0.75f);
    EXPECT_EQ(skin->GetVertex(3), nullptr);
}

TEST_F(XReaderTest, LaterFacesSetTheNormalOfASharedVertex)
{
    Writer w;
    w.Header().Frame("Skin").Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 1, 2, 2, 1, 3});
    w.Normals({1, 0, 0, 0, 1, 0}, {0, 0, 0, 1, 1, 1}).Close().Close();
    Load(w.bytes);
    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin);
    ExpectNear(skin->GetVertex(0)->normal, TVec3(1, 0, 0));
    ExpectNear(skin->GetVertex(1)->normal, TVec3(0, 1, 0));
    ExpectNear(skin->GetVertex(2)->normal, TVec3(0, 1, 0));
}

TEST_F(XReaderTest, MaterialAndLowerCasedTextureName)
{
    sheets["textures/kid_skin.png"] = 16;
    Load(OneMesh([](Writer& w) {
        w.Material({0.1f, 0.2f, 0.3f, 0.4f, 5.0f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 0.05f}, "Kid_Skin.PNG");
    }));
    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin);
    const TMaterial& m = skin->GetMaterial();
    EXPECT_FLOAT_EQ(m.diffuse.a, 0.4f);
    EXPECT_FLOAT_EQ(m.power, 5.0f);
    EXPECT_FLOAT_EQ(m.specular.b, 0.8f);
    EXPECT_FLOAT_EQ(m.emissive.b, 0.05f);
    // Ambient and the specular and emissive alphas are not in the file.
    EXPECT_FLOAT_EQ(m.ambient.r, 0.0f);
    EXPECT_FLOAT_EQ(m.specular.a, 0.0f);
    EXPECT_FLOAT_EQ(m.emissive.a, 0.0f);
    EXPECT_EQ(skin->GetTextureName(), "textures/kid_skin.png");
    EXPECT_TRUE(skin->GetTexture());
    EXPECT_NE(std::find(loads.begin(), loads.end(), "textures/kid_skin.png|"), loads.end());
}

TEST_F(XReaderTest, MissingTextureLeavesTheMeshUntextured)
{
    Load(OneMesh([](Writer& w) { w.Material({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, "Gone.png"); }));
    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->GetTextureName(), "textures/gone.png");
    EXPECT_FALSE(skin->GetTexture());
    EXPECT_FLOAT_EQ(skin->GetMaterial().diffuse.g, 1.0f);
}

TEST_F(XReaderTest, SmallWeightsAreDroppedAndOffsetsRead)
{
    Load(OneMesh([](Writer& w) {
        w.SkinWeights("Bone", {0, 1, 2}, {0.001f, 0.0009f, 0.0f}, Translation(0, -4, 0));
    }));
    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin);
    XBone* bone = skin->GetBones().FindBone(TString("Bone"), false);
    ASSERT_TRUE(bone);
    ASSERT_TRUE(skin->GetWeights(0));
    EXPECT_EQ(skin->GetWeights(0)->Count(), 1u);
    EXPECT_FLOAT_EQ(skin->GetWeights(0)->Weight(0), 0.001f);
    EXPECT_EQ(skin->GetWeights(0)->Bone(0), bone);
    // No kept weight names these vertices: no record at all.
    EXPECT_EQ(skin->GetWeights(1), nullptr);
    EXPECT_EQ(skin->GetWeights(2), nullptr);
    EXPECT_FLOAT_EQ(bone->GetOffset()(3, 1), -4.0f);
    EXPECT_EQ(skin->GetBones().Count(), 1u);
}

TEST_F(XReaderTest, BonesLinkIntoATreeUnderTheBaseBone)
{
    Load(Chain().bytes);
    std::shared_ptr<XElem> body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    const XBoneList& bones = body->GetBones();
    ASSERT_EQ(bones.Count(), 3u);
    XBone* root = bones.Root();
    ASSERT_TRUE(root);
    EXPECT_EQ(root, bones.At(2));
    XBone* a = bones.At(0);
    XBone* b = bones.At(1);
    EXPECT_EQ(a->GetName(), "A");
    EXPECT_EQ(a->GetParent(), root);
    EXPECT_EQ(b->GetParent(), a);
    EXPECT_EQ(root->GetChildren(), std::vector<XBone*>{a});
    // The bind pose comes from the frames, which now route keys to bones.
    EXPECT_FLOAT_EQ(b->GetAnim()(3, 1), 2.0f);
    EXPECT_EQ(model.FindFrame(TString("A"))->GetLinkedBone(), a);
    EXPECT_EQ(model.FindFrame(TString("B"))->GetLinkedBone(), b);
    EXPECT_EQ(body->GetLinkedBone(), nullptr);
}

TEST_F(XReaderTest, WithoutAnAnimationSetNothingIsLinkedOrKeyed)
{
    Load(Chain(false).bytes);
    std::shared_ptr<XElem> body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetBones().FindBone(TString("Bone_BaseBone"), false), nullptr);
    EXPECT_EQ(body->GetBones().Count(), 2u);
    for (uint32_t i = 0; i < body->GetBones().Count(); ++i)
        EXPECT_EQ(body->GetBones().At(i)->GetKeyCount(), 0);
    EXPECT_EQ(model.FindFrame(TString("A"))->GetLinkedBone(), nullptr);
}

// Which animations keep keys: the target must be a linked frame without a
// mesh; a second key list for the same frame replaces the first.
TEST_F(XReaderTest, AnimationKeysAreRoutedToLinkedBoneFrames)
{
    Writer w = Chain(false);
    w.AnimationSet("set");
    w.Animation("x", "Body").Keys({Translation(9, 9, 9)}).Close();
    w.Animation("y", "Nowhere").Keys({Translation(9, 9, 9)}).Close();
    w.Animation("z", "A").Keys({Identity(), Identity(), Identity()}).Keys({Translation(0, 5, 0)}).Close();
    w.Animation("w", "B").Keys({Translation(0, 6, 0), Translation(0, 7, 0)}).Close();
    w.Close();
    Load(w.bytes);
    std::shared_ptr<XElem> body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    XBone* a = body->GetBones().FindBone(TString("A"), false);
    XBone* b = body->GetBones().FindBone(TString("B"), false);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetKeyCount(), 1);
    EXPECT_FLOAT_EQ(a->GetKey(0)(3, 1), 5.0f);
    EXPECT_EQ(b->GetKeyCount(), 2);
    EXPECT_FLOAT_EQ(b->GetKey(1)(3, 1), 7.0f);
    EXPECT_EQ(body->GetBones().Root()->GetKeyCount(), 0);
    EXPECT_FALSE(LogHas("Model"));
}

TEST_F(XReaderTest, OnlyTheFirstAnimationSetIsRead)
{
    Writer w = Chain();
    w.AnimationSet("second").Animation("a", "A").Keys({Translation(0, 8, 0)}).Close().Close();
    Load(w.bytes);
    XBone* a = model.GetFirstMeshFrame()->GetBones().FindBone(TString("A"), false);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->GetKeyCount(), 2);
}

TEST_F(XReaderTest, MissingFileGivesAnEmptyModel)
{
    model.LoadX(TString("mesh/none.x"));
    EXPECT_TRUE(model.GetRoots().empty());
    EXPECT_EQ(model.GetFrameCount(), 0u);
    EXPECT_FALSE(model.GetFirstMeshFrame());
    EXPECT_TRUE(LogHas("mesh/none.x"));
    model.Draw();
}

// Every prefix of a whole character file loads without hanging or
// crashing, and a damaged one writes one line for the file.
TEST_F(XReaderTest, TruncatedFilesEndEveryLoop)
{
    const std::string whole = Chain().bytes;
    const auto start = std::chrono::steady_clock::now();
    for (size_t length = 0; length < whole.size(); ++length) {
        XModel cut;
        AddFile("mesh/cut.x", whole.substr(0, length));
        cut.LoadX(TString("mesh/cut.x"));
        if (std::shared_ptr<XElem> mesh = cut.GetFirstMeshFrame()) {
            mesh->SetFrame(1);
            EXPECT_LE(mesh->GetIndexCount(), 6u);
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    mLog->Restart();
    Load(whole.substr(0, whole.size() / 2));
    EXPECT_EQ(LogLines("Model mesh/test.x"), 1);
}

// Damaged values: each is logged once and read as the safe part of it.
TEST_F(XReaderTest, OversizedLengthsAndCountsStopTheRead)
{
    struct Case {
        const char* what;
        std::function<void(Writer&)> damage;
    };
    const Case cases[] = {
        {"name length", [](Writer& w) { w.Word(1).U32(0xFFFFFFF0u).U32(0); }},
        {"int count", [](Writer& w) { w.Word(6).U32(0x7FFFFFFFu).U32(1); }},
        {"float count", [](Writer& w) { w.Word(7).U32(0x40000000u).U32(1); }},
        {"string length", [](Writer& w) { w.Name("TextureFilename").Open().Word(2).U32(0x80000000u); }},
    };
    for (const Case& c : cases) {
        mLog->Restart();
        Writer w;
        w.Header().Frame("Hips").Matrix(Identity());
        c.damage(w);
        w.Close().Close();
        Load(w.bytes);
        ASSERT_EQ(model.GetRoots().size(), 1u) << c.what;
        EXPECT_EQ(model.GetRoots()[0]->GetName(), "Hips") << c.what;
        EXPECT_EQ(LogLines("Model mesh/test.x"), 1) << c.what;
    }
}

TEST_F(XReaderTest, OutOfRangeIndicesAreDropped)
{
    // Face 1 names vertex 7; normal 9 does not exist; 5 uvs for 3 vertices;
    // a weight for vertex 40000; a key list of 3 values.
    Writer w;
    w.Header().Frame("Skin").Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2, 0, 1, 7, 2, 1, 0});
    w.Normals({0, 0, 1, 0, 1, 0}, {0, 0, 0, 1, 1, 1, 9, 1, 1});
    w.Name("MeshTextureCoords").Open().Ints({5}).Floats({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).Close();
    w.SkinWeights("Bone", {40000, 1}, {1.0f, 1.0f}, {2, 0, 0});
    w.Close().Close();
    w.Frame("Bone").Matrix({1, 2, 3}).Close();
    w.AnimationSet("s").Animation("a", "Bone");
    w.Name("AnimationKey").Open().Ints({4, 2, 0, 16}).Floats({5, 5, 5}).Ints({1, 16}).Floats(Identity()).Close();
    w.Close().Close();
    Load(w.bytes);

    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin);
    // The second face is dropped; the third keeps its normals from the
    // file's third face although it is the second kept one.
    EXPECT_EQ(skin->GetIndexCount(), 6u);
    EXPECT_EQ(skin->GetIndex(1, 0), 2);
    ExpectNear(skin->GetVertex(0)->normal, TVec3(0, 1, 0));
    // Normal 9 is dropped: vertex 2 keeps the first face's normal.
    ExpectNear(skin->GetVertex(2)->normal, TVec3(0, 0, 1));
    EXPECT_FLOAT_EQ(skin->GetVertex(2)->uv.y, 6.0f);
    EXPECT_EQ(skin->GetWeights(0), nullptr);
    ASSERT_TRUE(skin->GetWeights(1));
    // Short matrices are filled from the identity.
    XBone* bone = skin->GetBones().FindBone(TString("Bone"), false);
    ASSERT_TRUE(bone);
    EXPECT_FLOAT_EQ(bone->GetOffset()(0, 0), 2.0f);
    EXPECT_FLOAT_EQ(bone->GetOffset()(1, 1), 1.0f);
    EXPECT_FLOAT_EQ(model.FindFrame(TString("Bone"))->GetLocal()(0, 2), 3.0f);
    EXPECT_FLOAT_EQ(model.FindFrame(TString("Bone"))->GetLocal()(3, 3), 1.0f);
    ASSERT_EQ(bone->GetKeyCount(), 2);
    EXPECT_FLOAT_EQ(bone->GetKey(0)(0, 2), 5.0f);
    EXPECT_FLOAT_EQ(bone->GetKey(0)(2, 2), 1.0f);
    EXPECT_EQ(LogLines("Model mesh/test.x"), 1);
}

// The influence capacity belongs to the file being read: a later file
// without a skin header starts from the default again.
TEST_F(XReaderTest, InfluenceCapacityIsPerFile)
{
    auto weights = [](bool header) {
        Writer w;
        w.Header().Frame("Skin").Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
        if (header)
            w.SkinHeader(1, 1, 3);
        for (const char* bone : {"a", "b", "c"})
            w.SkinWeights(bone, {0}, {0.3f}, Identity());
        w.Close().Close();
        return w.bytes;
    };
    Load(weights(true));
    ASSERT_TRUE(model.GetFirstMeshFrame() && model.GetFirstMeshFrame()->GetWeights(0));
    EXPECT_EQ(model.GetFirstMeshFrame()->GetWeights(0)->Count(), 1u);
    EXPECT_EQ(LogLines("Model mesh/test.x"), 1);

    XModel other;
    AddFile("mesh/other.x", weights(false));
    other.LoadX(TString("mesh/other.x"));
    ASSERT_TRUE(other.GetFirstMeshFrame() && other.GetFirstMeshFrame()->GetWeights(0));
    EXPECT_EQ(other.GetFirstMeshFrame()->GetWeights(0)->Count(), 3u);
    EXPECT_EQ(other.GetFirstMeshFrame()->GetWeights(0)->Capacity(), 4u);
}

TEST_F(XReaderTest, DeepNestingAndCyclicNamesAreSafe)
{
    Writer deep;
    deep.Header();
    for (int i = 0; i < 5000; ++i)
        deep.Frame("f" + std::to_string(i));
    Load(deep.bytes);
    EXPECT_EQ(model.GetRoots().size(), 1u);
    // Every frame kept is also found by name, the deepest one too.
    std::shared_ptr<XElem> frame = model.GetRoots()[0];
    uint32_t depth = 0;
    for (; frame; ++depth) {
        EXPECT_EQ(model.FindFrame(frame->GetName()), frame);
        frame = frame->GetChildren().empty() ? nullptr : frame->GetChildren()[0];
    }
    EXPECT_EQ(depth, model.GetFrameCount());
    EXPECT_LE(depth, XReader::kMaxFrameDepth + 1);
    EXPECT_EQ(LogLines("Model mesh/test.x"), 1);

    // Frames X { Y } and Y { X } elsewhere: each bone would be the other's
    // parent; the tree keeps one link and the pose still updates.
    Writer w;
    w.Header().Frame("Skin").Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    w.SkinWeights("X", {0}, {1}, Identity()).SkinWeights("Y", {1}, {1}, Identity()).Close().Close();
    w.Frame("G").Frame("X").Frame("Y").Matrix(Identity()).Close().Close().Close();
    w.Frame("Y").Frame("X").Matrix(Identity()).Close().Close();
    w.AnimationSet("s").Close();
    Load(w.bytes);
    std::shared_ptr<XElem> skin = model.GetFirstMeshFrame();
    ASSERT_TRUE(skin && skin->GetBones().Root());
    skin->SetFrame(0);
    int parented = 0;
    for (uint32_t i = 0; i < 2; ++i)
        parented += skin->GetBones().At(i)->GetParent() == skin->GetBones().Root();
    EXPECT_EQ(parented, 1);
}

} // namespace
