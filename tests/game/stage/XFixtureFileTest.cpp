// The model reader on the .x files the build's generator writes (test-x/):
// the same numbers through another writer, and its damaged copies.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "XModelFixture.h"

using namespace KScene;

namespace {

class XFixtureFileTest : public XModelFixture {
protected:
    // Loads test-x/<name> as "mesh/<name>"; false when the build has not
    // written it.
    bool LoadFixture(const std::string& name)
    {
        std::ifstream in(std::string(QUILLORY_X_FIXTURES) + "/" + name, std::ios::binary);
        if (!in)
            return false;
        std::stringstream bytes;
        bytes << in.rdbuf();
        mLog->Restart();
        Load(bytes.str(), "mesh/" + name);
        return true;
    }
};

TEST_F(XFixtureFileTest, ChainSkinsToTheGeneratorsNumbers)
{
    ASSERT_TRUE(LoadFixture("chain.x"));
    std::shared_ptr<XElem> body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetName(), "Body");
    ASSERT_EQ(body->GetVertexCount(), 4);
    EXPECT_EQ(body->GetTextureName(), "textures/chain.png");
    XBone* upper = body->GetBones().FindBone(TString("Upper"), false);
    XBone* lower = body->GetBones().FindBone(TString("Lower"), false);
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(lower->GetParent(), upper);
    EXPECT_EQ(upper->GetParent(), body->GetBones().Root());
    EXPECT_EQ(upper->GetKeyCount(), 2);

    body->SetFrame(1);
    const TVec3 posed[] = {TVec3(1, 1, 0), TVec3(1, 2, 0), TVec3(0, 2, 0), TVec3(1, 3, 0)};
    for (uint32_t i = 0; i < 4; ++i)
        ExpectNear(body->GetVertex(i)->position, posed[i]);
    body->SetFrame(0);
    const TVec3 bind[] = {TVec3(0, 1, 0), TVec3(0, 2, 0), TVec3(0, 3, 0), TVec3(1, 2, 0)};
    for (uint32_t i = 0; i < 4; ++i)
        ExpectNear(body->GetVertex(i)->position, bind[i]);
    EXPECT_FALSE(LogHas("Model"));
}

TEST_F(XFixtureFileTest, MinimalWeightsAndNoAnimation)
{
    ASSERT_TRUE(LoadFixture("minimal.x"));
    std::shared_ptr<XElem> body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    ExpectNear(body->GetVertex(0)->normal, TVec3(0, 0, -1));
    body->SetFrame(0);
    ExpectNear(body->GetVertex(2)->position, TVec3(1, 0.5f, 0));
    EXPECT_FALSE(LogHas("Model"));

    ASSERT_TRUE(LoadFixture("weights.x"));
    body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetTextureName(), "textures/kid_skin.png");
    ASSERT_TRUE(body->GetWeights(1));
    EXPECT_FLOAT_EQ(body->GetWeights(1)->Weight(0), 0.001f);
    EXPECT_EQ(body->GetWeights(2), nullptr);

    ASSERT_TRUE(LoadFixture("noanim.x"));
    body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetBones().Root(), nullptr);
    EXPECT_EQ(body->GetBones().FindBone(TString("Bone_BaseBone"), false), nullptr);
    body->SetFrame(0);
    ExpectNear(body->GetVertex(2)->position, TVec3(1, 0, 0));
}

// Each damaged file loads what it safely can and writes one line.
TEST_F(XFixtureFileTest, DamagedFilesLoadSafely)
{
    for (const char* name : {"truncated.x", "badname.x", "badindex.x", "shortlists.x"}) {
        ASSERT_TRUE(LoadFixture(name)) << name;
        EXPECT_EQ(LogLines(std::string("Model mesh/") + name), 1) << name;
        if (std::shared_ptr<XElem> mesh = model.GetFirstMeshFrame()) {
            for (uint32_t i = 0; i < mesh->GetIndexCount(); ++i)
                EXPECT_LT(mesh->GetIndex(i / 3, i % 3), mesh->GetVertexCount()) << name;
            mesh->SetFrame(0);
        }
        model.Draw();
    }

    ASSERT_TRUE(LoadFixture("badindex.x"));
    std::shared_ptr<XElem> body = model.GetFirstMeshFrame();
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetIndexCount(), 3u);
    for (uint32_t v = 0; v < 3; ++v)
        EXPECT_TRUE(body->GetWeights(v)) << v;

    ASSERT_TRUE(LoadFixture("shortlists.x"));
    std::shared_ptr<XElem> frame = model.FindFrame(TString("Body"));
    ASSERT_TRUE(frame);
    EXPECT_FLOAT_EQ(frame->GetLocal()(2, 0), 1.0f);
    EXPECT_FLOAT_EQ(frame->GetLocal()(3, 3), 1.0f);
    XBone* hips = frame->GetBones().FindBone(TString("Hips"), false);
    ASSERT_TRUE(hips);
    ASSERT_EQ(hips->GetKeyCount(), 1);
    EXPECT_FLOAT_EQ(hips->GetKey(0)(2, 2), 1.0f);

    ASSERT_TRUE(LoadFixture("truncated.x"));
    EXPECT_TRUE(model.FindFrame(TString("Body")));
}

} // namespace
