// Character models: bone update and skinning with known numbers, key
// picking, placement, lookups and drawing on the recording device.
#include <gtest/gtest.h>

#include <cmath>

#include "XModelFixture.h"
#include "os/gfx/recording/GfxRecording.h"
#include "render/Renderer.h"

using namespace KScene;

namespace {

class XModelTest : public XModelFixture {
protected:
    std::shared_ptr<XElem> Body() { return model.GetFirstMeshFrame(); }
    TVec3 Position(uint32_t vertex) { return Body()->GetVertex(vertex)->position; }
};

TEST_F(XModelTest, ChainPosesAndSkinsInRowVectorOrder)
{
    Load(Chain().bytes);
    std::shared_ptr<XElem> body = Body();
    ASSERT_TRUE(body);
    XBone* root = body->GetBones().Root();
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), "Bone_BaseBone");

    // Key 0 is the bind pose: offsets undo the combined matrices.
    body->SetFrame(0);
    ExpectNear(Position(0), TVec3(0, 3, 0));
    ExpectNear(Position(1), TVec3(1, 1, 0));

    // A turns a quarter about z: B's tip at (0, 3, 0) is 2 above A's origin,
    // so it goes to (-2, 0) and is lifted by 1.
    body->SetFrame(1);
    ExpectNear(Position(0), TVec3(-2, 1, 0));
    ExpectNear(Position(1), TVec3(0, 2, 0));
    // Weights are not normalised: half of the moved position.
    ExpectNear(Position(2), TVec3(-1, 0.5f, 0));
    // A vertex without weights keeps its place.
    ExpectNear(Position(3), TVec3(5, 5, 5));

    XBone* b = body->GetBones().FindBone(TString("B"), false);
    ASSERT_TRUE(b);
    // Combined of B = anim(B) x anim(A): its origin lies at (-2, 1, 0).
    ExpectNear(TransformPoint(TVec3(), b->GetCombined()), TVec3(-2, 1, 0));
}

TEST_F(XModelTest, FramesBeyondTheKeysHoldTheLastKeyAndBonesWithoutKeysKeepTheirBindPose)
{
    Load(Chain().bytes);
    std::shared_ptr<XElem> body = Body();
    ASSERT_TRUE(body);
    XBone* a = body->GetBones().FindBone(TString("A"), false);
    XBone* b = body->GetBones().FindBone(TString("B"), false);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetKeyCount(), 2);
    EXPECT_EQ(b->GetKeyCount(), 0);

    for (uint16_t frame : {uint16_t(1), uint16_t(2), uint16_t(500), uint16_t(0xFFFF)}) {
        body->SetFrame(frame);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(a->GetAnim().m[i], TurnAndLift()[i]) << "frame " << frame;
        ExpectNear(Position(0), TVec3(-2, 1, 0));
        // B's anim is its frame's matrix whatever the frame number.
        EXPECT_FLOAT_EQ(b->GetAnim()(3, 1), 2.0f);
    }
    body->SetFrame(0);
    ExpectNear(Position(0), TVec3(0, 3, 0));
}

TEST_F(XModelTest, RefreshRecomputesFromTheAnimMatricesWithoutPickingKeys)
{
    Load(Chain().bytes);
    std::shared_ptr<XElem> body = Body();
    XBone* a = body->GetBones().FindBone(TString("A"), false);
    body->SetFrame(0);
    TMat4 turn;
    for (int i = 0; i < 16; ++i)
        turn.m[i] = TurnAndLift()[i];
    a->SetAnim(turn);
    body->GetBones().Root()->Refresh(TMat4());
    body->Skin();
    ExpectNear(Position(0), TVec3(-2, 1, 0));
    // Update picks key 0 again.
    body->GetBones().Root()->Update(0, TMat4());
    body->Skin();
    ExpectNear(Position(0), TVec3(0, 3, 0));
}

TEST_F(XModelTest, UnlinkedBonesLeaveSetFrameANoOp)
{
    // Without an animation set the bones are never linked into a tree.
    Load(Chain(false).bytes);
    std::shared_ptr<XElem> body = Body();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetBones().Count(), 2u);
    EXPECT_FALSE(body->GetBones().IsLinked());
    EXPECT_EQ(body->GetBones().Root(), nullptr);
    body->SetFrame(1);
    ExpectNear(Position(0), TVec3(0, 3, 0));

    // A frame without bones at all.
    std::shared_ptr<XElem> bare = XElem::Create(TString("bare"));
    bare->SetFrame(3);
    bare->Skin();
    EXPECT_FALSE(bare->HasMesh());
}

TEST_F(XModelTest, BonesAlwaysFormATree)
{
    XBone a(TString("a")), b(TString("b")), c(TString("c"));
    EXPECT_TRUE(a.AddChild(&b));
    EXPECT_TRUE(b.AddChild(&c));
    EXPECT_FALSE(c.AddChild(&a)) << "an ancestor";
    EXPECT_FALSE(a.AddChild(&a)) << "itself";
    EXPECT_FALSE(a.AddChild(&c)) << "already has a parent";
    EXPECT_FALSE(a.AddChild(nullptr));
    EXPECT_EQ(c.GetParent(), &b);
    EXPECT_EQ(a.GetChildren().size(), 1u);
    EXPECT_EQ(a.GetParent(), nullptr);
}

TEST_F(XModelTest, InfluencesStopAtTheRecordCapacity)
{
    XBone bone(TString("b"));
    XVertexWeights record(2, TVec3(1, 2, 3));
    EXPECT_TRUE(record.Add(0.5f, &bone));
    EXPECT_TRUE(record.Add(0.25f, &bone));
    EXPECT_FALSE(record.Add(0.25f, &bone));
    EXPECT_FALSE(XVertexWeights(4, TVec3()).Add(1.0f, nullptr));
    EXPECT_EQ(record.Count(), 2u);

    // An empty record puts the vertex back at its bind position.
    std::shared_ptr<XElem> frame = XElem::Create(TString("m"));
    frame->SetVertices(std::vector<XVertex>(1));
    frame->GetVertex(0)->position = TVec3(4, 5, 6);
    ASSERT_TRUE(frame->GetOrMakeWeights(0, 4));
    EXPECT_EQ(frame->GetOrMakeWeights(1, 4), nullptr);
    frame->GetVertex(0)->position = TVec3(9, 9, 9);
    frame->Skin();
    ExpectNear(frame->GetVertex(0)->position, TVec3(4, 5, 6));
}

TEST_F(XModelTest, TransformRotatesThenScalesThenMoves)
{
    XTransform placement;
    placement.rotation = TVec3(0, float(M_PI / 2), 0); // yaw a quarter
    placement.scale = TVec3(2, 3, 4);
    placement.position = TVec3(10, 20, 30);
    // Yaw turns +x towards -z (left-handed, row vectors); then z is scaled by 4.
    ExpectNear(TransformPoint(TVec3(1, 0, 0), placement.ToMatrix()), TVec3(10, 20, 26));
    ExpectNear(TransformPoint(TVec3(1, 1, 1), XTransform().ToMatrix()), TVec3(1, 1, 1));

    std::shared_ptr<XElem> frame = XElem::Create(TString("f"));
    frame->SetTransform(placement);
    EXPECT_FLOAT_EQ(frame->GetLocal()(3, 2), 30.0f);
    EXPECT_FLOAT_EQ(frame->GetTransform().scale.y, 3.0f);
}

TEST_F(XModelTest, FirstMeshFrameIsFoundDepthFirstAcrossRoots)
{
    using namespace xfile;
    Writer w;
    w.Header().Frame("First").Matrix(Identity()).Frame("FirstChild").Matrix(Identity()).Close().Close();
    w.Frame("Second").Matrix(Identity()).Frame("SecondChild").Mesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    w.Close().Close().Close();
    w.Frame("Third").Mesh({0, 0, 0}, {}).Close().Close();
    Load(w.bytes);
    ASSERT_EQ(model.GetRoots().size(), 3u);
    std::shared_ptr<XElem> mesh = model.GetFirstMeshFrame();
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->GetName(), "SecondChild");

    XModel empty;
    EXPECT_FALSE(empty.GetFirstMeshFrame());
    EXPECT_FALSE(empty.FindFrame(TString("First")));
}

TEST_F(XModelTest, DrawsTheMeshUnderItsFrameAndRestoresTheWorld)
{
    Load(Chain().bytes);
    Body()->GetMaterial().diffuse.r = 0.25f;
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin3d());
    TMat4 before;
    before.Translate(TVec3(1, 2, 3));
    Renderer().SetWorldTransform(before);
    GfxRecordingLog().Clear();
    model.Draw();
    TMat4 after;
    Renderer().GetWorldTransform(after);
    Renderer().End3d();
    Renderer().EndDraw(false);

    const auto& draws = GfxRecordingLog().draws;
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].vertexCount, 4u);
    EXPECT_EQ(draws[0].indices, (std::vector<uint16_t>{0, 1, 2, 1, 2, 3}));
    EXPECT_FLOAT_EQ(draws[0].Float(3, 0), 5.0f);
    EXPECT_FLOAT_EQ(draws[0].state.world.m[14], 7.0f);
    EXPECT_FLOAT_EQ(draws[0].state.material.diffuse.r, 0.25f);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(after.m[i], before.m[i]);
}

TEST_F(XModelTest, ModelWithoutMeshesDrawsNothingAndKeepsTheWorld)
{
    using namespace xfile;
    Writer w;
    w.Header().Frame("Hips").Matrix(Translation(4, 4, 4)).Frame("Leg").Matrix(Identity()).Close().Close();
    Load(w.bytes);
    ASSERT_EQ(model.GetFrameCount(), 2u);
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin3d());
    TMat4 before;
    before.Scale(2, 2, 2);
    Renderer().SetWorldTransform(before);
    GfxRecordingLog().Clear();
    model.Draw();
    TMat4 after;
    Renderer().GetWorldTransform(after);
    Renderer().End3d();
    Renderer().EndDraw(false);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(after.m[i], before.m[i]);
}

TEST_F(XModelTest, NestedFrameWorldIsParentTimesLocal)
{
    std::shared_ptr<XElem> parent = XElem::Create(TString("p"));
    std::shared_ptr<XElem> child = XElem::Create(TString("c"));
    child->SetVertices(std::vector<XVertex>(3));
    ASSERT_TRUE(child->AddTriangle(0, 1, 2));
    EXPECT_FALSE(child->AddTriangle(0, 1, 3));
    EXPECT_EQ(child->GetIndexCount(), 3u);
    TMat4 local;
    local.Translate(TVec3(1, 0, 0));
    child->SetLocal(local);
    parent->AddChild(child);

    TMat4 scale;
    scale.Scale(2, 2, 2);
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin3d());
    GfxRecordingLog().Clear();
    parent->Draw(Renderer(), scale);
    Renderer().End3d();
    Renderer().EndDraw(false);
    ASSERT_EQ(GfxRecordingLog().draws.size(), 1u);
    // The parent's matrix comes first in the product: the move is not scaled.
    EXPECT_FLOAT_EQ(GfxRecordingLog().draws[0].state.world.m[12], 1.0f);
    EXPECT_FLOAT_EQ(GfxRecordingLog().draws[0].state.world.m[0], 2.0f);
}

} // namespace
