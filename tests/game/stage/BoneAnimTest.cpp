// Bone animations: the animation file read into named entries, the pose
// put at once, and the bone-animation event stepping a small hand-built
// skin over a hand-moved clock.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <map>
#include <memory>
#include <string>

#include "game/show/EventTestSupport.h"
#include "game/stage/model/KAnimSet.h"
#include "game/stage/model/KBoneAnim.h"
#include "game/stage/model/XElem.h"
#include "game/stage/model/XModel.h"
#include "platform/AssetNames.h"
#include "support/TempFolder.h"

namespace {

using namespace eventtest;
using KScene::KAnimEntry;
using KScene::KAnimSet;
using KScene::KBoneAnim;
using KScene::XBone;
using KScene::XElem;

// A translation along x by x.
TMat4 MoveX(float x)
{
    TMat4 m;
    m.Translate(TVec3(x, 0, 0));
    return m;
}

// How far apart two points are, along the axes added up.
float Apart(TVec3 a, TVec3 b)
{
    return std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z);
}

class BoneAnimTest : public EventFixture {
protected:
    void SetUp() override
    {
        EventFixture::SetUp();
        mFrame = MakeSkinnedFrame();
    }
    void TearDown() override
    {
        for (const auto& file : mFiles)
            RegisterMemoryFile(TString(file.first.c_str()), nullptr, 0);
        EventFixture::TearDown();
    }

    // A mesh frame "Body" with a root bone and one keyed bone "Arm" whose
    // key k moves by k along x. Vertex 0 (at the origin) follows the arm
    // fully, so its x is the frame shown; vertex 1 has no weights.
    static std::shared_ptr<XElem> MakeSkinnedFrame()
    {
        std::shared_ptr<XElem> frame = XElem::Create(TString("Body"));
        std::vector<KScene::XVertex> vertices(2);
        vertices[1].position = TVec3(1, 2, 3);
        frame->SetVertices(vertices);
        KScene::XBoneList& bones = frame->GetBones();
        XBone* root = bones.Add(std::make_unique<XBone>(TString("Bone_BaseBone")));
        XBone* arm = bones.Add(std::make_unique<XBone>(TString("Arm")));
        EXPECT_TRUE(root->AddChild(arm));
        std::vector<TMat4> keys;
        for (int k = 0; k < 20; ++k)
            keys.push_back(MoveX(float(k)));
        arm->SetKeys(keys);
        frame->GetOrMakeWeights(0, 4)->Add(1.0f, arm);
        bones.SetRootIndex(0);
        return frame;
    }

    void AddFile(const std::string& name, const std::string& text)
    {
        std::string& kept = mFiles[name];
        kept = text;
        RegisterMemoryFile(TString(name.c_str()), kept.data(), uint32_t(kept.size()));
    }

    // A set read from the text, for the test's frame.
    std::shared_ptr<KAnimSet> Read(const std::string& xml, std::shared_ptr<XElem> frame = nullptr)
    {
        AddFile("mesh/kid/kid.xml", xml);
        return KAnimSet::Create(frame ? frame : mFrame, TString("mesh/kid/kid.xml"));
    }

    // The x of the vertex that follows the arm: the key frame last skinned.
    float Shown() const { return mFrame->GetVertex(0)->position.x; }
    // Moves the arm's vertex away, so that a skin computation shows.
    void Spoil() { mFrame->GetVertex(0)->position = TVec3(-7, 0, 0); }

    std::shared_ptr<XElem> mFrame;
    std::map<std::string, std::string> mFiles;
    TTempLogFolder mLog{"quillory-boneanim"};
};

TEST_F(BoneAnimTest, ReadsTopLevelAnimsWithoutBoneAnim)
{
    auto set = Read("<anim name=\"Sit\"><frame frameNum=\"40\" transitionTime=\"33\"/>"
                    "<frame frameNum=\"41\" transitionTime=\"34\"/></anim>"
                    "<other><anim name=\"Hidden\"/></other>"
                    "<anim name=\"Stand\"><frame frameNum=\"2\" transitionTime=\"5\"/></anim>");
    ASSERT_EQ(set->GetEntries().size(), 2u);
    const KAnimEntry* sit = set->Find(TString("Sit"));
    ASSERT_NE(sit, nullptr);
    EXPECT_EQ(sit->GetCount(), 2);
    EXPECT_EQ(sit->frames, (std::vector<uint16_t>{40, 41}));
    EXPECT_EQ(sit->durations, (std::vector<uint32_t>{33, 34}));
    ASSERT_NE(set->Find(TString("Stand")), nullptr);
    EXPECT_EQ(set->Find(TString("Hidden")), nullptr);
    EXPECT_EQ(set->GetFileName(), TString("mesh/kid/kid.xml"));
}

TEST_F(BoneAnimTest, EntersBoneAnimAndLeavesItsLaterSiblings)
{
    auto set = Read("<anim name=\"Before\"/><BoneAnim><anim name=\"Inside\"/><skip/><anim name=\"Also\"/>"
                    "</BoneAnim><anim name=\"After\"/><BoneAnim><anim name=\"Second\"/></BoneAnim>");
    ASSERT_EQ(set->GetEntries().size(), 3u);
    EXPECT_EQ(set->GetEntries()[0]->name, TString("Before"));
    EXPECT_EQ(set->GetEntries()[1]->name, TString("Inside"));
    EXPECT_EQ(set->GetEntries()[2]->name, TString("Also"));
    EXPECT_EQ(set->Find(TString("After")), nullptr);
    EXPECT_EQ(set->Find(TString("Second")), nullptr);
}

TEST_F(BoneAnimTest, LaterAnimOfTheSameNameWins)
{
    auto set = Read("<BoneAnim><anim name=\"Sit\"><frame frameNum=\"1\" transitionTime=\"10\"/></anim>"
                    "<anim name=\"Sit\"><frame frameNum=\"2\" transitionTime=\"10\"/></anim>"
                    "<anim><frame frameNum=\"3\" transitionTime=\"10\"/></anim></BoneAnim>");
    ASSERT_EQ(set->GetEntries().size(), 3u);
    ASSERT_NE(set->Find(TString("Sit")), nullptr);
    EXPECT_EQ(set->Find(TString("Sit")), set->GetEntries()[1].get());
    EXPECT_EQ(set->Find(TString("Sit"))->frames[0], 2);
    // A nameless anim is found under the empty name.
    ASSERT_NE(set->Find(TString("")), nullptr);
    EXPECT_EQ(set->Find(TString(""))->frames[0], 3);
}

TEST_F(BoneAnimTest, PlacementVectors)
{
    const struct {
        const char* children;
        TVec3 rotation, position, scale;
        bool logged;
    } cases[] = {
        {"", TVec3(0, 0, 0), TVec3(0, 0, 0), TVec3(1, 1, 1), false},
        {"<pos>1.5,0,-2</pos><rot>0,3.14159,0</rot><scale>1,1,1</scale>", TVec3(0, 3.14159f, 0),
         TVec3(1.5f, 0, -2), TVec3(1, 1, 1), false},
        {"<scale>2,2</scale>", TVec3(0, 0, 0), TVec3(0, 0, 0), TVec3(2, 2, 0), false},
        {"<pos>oops</pos><rot>1,x,3</rot>", TVec3(1, 0, 0), TVec3(0, 0, 0), TVec3(1, 1, 1), false},
        // Later elements replace earlier ones.
        {"<pos>1,1,1</pos><pos>2,2,2</pos>", TVec3(0, 0, 0), TVec3(2, 2, 2), TVec3(1, 1, 1), false},
        // Not a number: 0 (reported by the vector reader).
        {"<pos>nan,1,2</pos>", TVec3(0, 0, 0), TVec3(0, 1, 2), TVec3(1, 1, 1), true},
        // Absurdly far: the default, reported.
        {"<pos>1e30,0,0</pos><scale>1,-1e9,1</scale>", TVec3(0, 0, 0), TVec3(0, 0, 0), TVec3(1, 1, 1), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.children);
        mLog.Restart();
        auto set = Read(std::string("<BoneAnim><anim name=\"A\">") + c.children + "</anim></BoneAnim>");
        ASSERT_EQ(set->GetEntries().size(), 1u);
        const KScene::XTransform& t = set->GetEntries()[0]->transform;
        for (const auto& pair : {std::make_pair(t.rotation, c.rotation), std::make_pair(t.position, c.position),
                                 std::make_pair(t.scale, c.scale)}) {
            EXPECT_FLOAT_EQ(pair.first.x, pair.second.x);
            EXPECT_FLOAT_EQ(pair.first.y, pair.second.y);
            EXPECT_FLOAT_EQ(pair.first.z, pair.second.z);
        }
        EXPECT_EQ(mLog.Text().find("(nan") != std::string::npos || mLog.Has("placement beyond range"), c.logged);
    }
}

TEST_F(BoneAnimTest, PlacementIgnoresTheProcessLocale)
{
    const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    if (!german)
        german = std::setlocale(LC_NUMERIC, "de_DE");
    auto set = Read("<anim name=\"A\"><pos>1.5,0.25,-2.5</pos></anim>");
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_EQ(set->GetEntries().size(), 1u);
    const TVec3 pos = set->GetEntries()[0]->transform.position;
    EXPECT_FLOAT_EQ(pos.x, 1.5f);
    EXPECT_FLOAT_EQ(pos.y, 0.25f);
    EXPECT_FLOAT_EQ(pos.z, -2.5f);
}

TEST_F(BoneAnimTest, IntegerAttributesFromLeadingDigits)
{
    const struct {
        const char* attributes;
        uint16_t frame;
        uint32_t duration;
        bool logged;
    } cases[] = {
        {"frameNum=\"40\" transitionTime=\"33\"", 40, 33, false},
        {"frameNum=\"12abc\" transitionTime=\"7.9\"", 12, 7, false},
        {"frameNum=\" 5\" transitionTime=\"x1\"", 5, 0, false},
        {"frameNum=\"-3\" transitionTime=\"\"", 0, 0, false},
        {"", 0, 0, false},
        {"frameNum=\"65535\" transitionTime=\"3600000\"", 65535, 3600000, false},
        // Beyond 16 bits the number is held at the last possible key, not
        // wrapped round to a small one.
        {"frameNum=\"65536\" transitionTime=\"1\"", 65535, 1, true},
        {"frameNum=\"99999999999999999999999\" transitionTime=\"1\"", 65535, 1, true},
        {"frameNum=\"1\" transitionTime=\"3600001\"", 1, KAnimSet::kMaxStepMs, true},
        {"frameNum=\"1\" transitionTime=\"4294967296\"", 1, KAnimSet::kMaxStepMs, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        mLog.Restart();
        auto set = Read(std::string("<anim name=\"A\"><frame ") + c.attributes + "/></anim>");
        ASSERT_EQ(set->GetEntries().size(), 1u);
        const KAnimEntry& entry = *set->GetEntries()[0];
        ASSERT_EQ(entry.GetCount(), 1);
        EXPECT_EQ(entry.frames[0], c.frame);
        EXPECT_EQ(entry.durations[0], c.duration);
        EXPECT_EQ(mLog.Has("anim \"A\":"), c.logged);
    }
}

TEST_F(BoneAnimTest, StepsBeyondTheCountAreDropped)
{
    std::string xml = "<anim name=\"Long\">";
    for (uint32_t i = 0; i < KAnimSet::kMaxSteps + 10; ++i)
        xml += "<frame frameNum=\"1\" transitionTime=\"1\"/>";
    xml += "</anim>";
    auto set = Read(xml);
    ASSERT_EQ(set->GetEntries().size(), 1u);
    EXPECT_EQ(set->GetEntries()[0]->frames.size(), KAnimSet::kMaxSteps);
    EXPECT_EQ(set->GetEntries()[0]->durations.size(), KAnimSet::kMaxSteps);
    EXPECT_TRUE(mLog.Has("steps beyond 65535 dropped"));
}

TEST_F(BoneAnimTest, AnimationLongerThanADayIsShortened)
{
    std::string xml = "<anim name=\"Slow\">";
    for (int i = 0; i < 26; ++i)
        xml += "<frame frameNum=\"1\" transitionTime=\"3500000\"/>";
    xml += "</anim>";
    auto set = Read(xml);
    ASSERT_EQ(set->GetEntries().size(), 1u);
    const std::vector<uint32_t>& durations = set->GetEntries()[0]->durations;
    ASSERT_EQ(durations.size(), 26u);
    EXPECT_EQ(durations[23], 3500000u);
    EXPECT_EQ(durations[24], KAnimSet::kMaxTotalMs - 24u * 3500000u);
    EXPECT_EQ(durations[25], 0u);
    EXPECT_TRUE(mLog.Has("beyond a day"));
}

TEST_F(BoneAnimTest, MissingOrBrokenFileGivesAnEmptySet)
{
    auto missing = KAnimSet::Create(mFrame, TString("mesh/nobody/nobody.xml"));
    EXPECT_TRUE(missing->GetEntries().empty());
    EXPECT_TRUE(mLog.Has("cannot read mesh/nobody/nobody.xml"));
    auto broken = Read("<BoneAnim><anim name=\"A\"><frame frameNum=");
    EXPECT_EQ(broken->Find(TString("B")), nullptr);
    auto event = broken->MakeBoneAnim(TString("B"));
    ASSERT_NE(event, nullptr);
}

TEST_F(BoneAnimTest, StepsShowTheirFramesForTheirTimes)
{
    auto set = Read("<BoneAnim><anim name=\"Wave\"><frame frameNum=\"10\" transitionTime=\"100\"/>"
                    "<frame frameNum=\"11\" transitionTime=\"100\"/><pos>1.5,0,-2</pos></anim></BoneAnim>");
    std::shared_ptr<KEvent::Event> event = set->MakeBoneAnim(TString("Wave"));
    auto* anim = dynamic_cast<KBoneAnim*>(event.get());
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(event->GetName(), TString("eBoneAnim on Body"));
    EXPECT_EQ(anim->GetTotal(), 200u);
    EXPECT_EQ(anim->GetCount(), 2);

    Pass(); // started: placed, nothing posed yet
    EXPECT_TRUE(event->IsStarted());
    EXPECT_FLOAT_EQ(mFrame->GetLocal()(3, 0), 1.5f);
    EXPECT_FLOAT_EQ(mFrame->GetLocal()(3, 2), -2.0f);
    EXPECT_FLOAT_EQ(Shown(), 0.0f);

    const struct {
        uint32_t at;
        float shown;
        bool finished;
    } steps[] = {{0, 10, false}, {99, 10, false}, {100, 11, false}, {199, 11, false}, {200, 11, true}};
    const uint32_t start = gNow;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.at);
        gNow = start + step.at;
        Pass();
        EXPECT_FLOAT_EQ(Shown(), step.shown);
        EXPECT_EQ(event->IsFinished(), step.finished);
    }
    // The vertex without weights never moves.
    EXPECT_FLOAT_EQ(mFrame->GetVertex(1)->position.y, 2.0f);
}

TEST_F(BoneAnimTest, EqualConsecutiveFramesComputeTheSkinOnce)
{
    auto set = Read("<anim name=\"Idle\"><frame frameNum=\"5\" transitionTime=\"100\"/>"
                    "<frame frameNum=\"5\" transitionTime=\"100\"/>"
                    "<frame frameNum=\"6\" transitionTime=\"100\"/></anim>");
    auto event = set->MakeBoneAnim(TString("Idle"));
    Pass();
    const uint32_t start = gNow;
    Pass();
    EXPECT_FLOAT_EQ(Shown(), 5.0f);
    // Were the skin computed again, the vertex would come back to 5.
    Spoil();
    gNow = start + 50;
    Pass();
    gNow = start + 150;
    Pass();
    EXPECT_FLOAT_EQ(Shown(), -7.0f);
    gNow = start + 250;
    Pass();
    EXPECT_FLOAT_EQ(Shown(), 6.0f);
}

TEST_F(BoneAnimTest, AnyFirstFrameIsSkinnedAtTheFirstUpdate)
{
    // Frame 13 first, the model posed elsewhere: the first update shows it.
    auto set = Read("<anim name=\"A\"><frame frameNum=\"13\" transitionTime=\"100\"/>"
                    "<frame frameNum=\"14\" transitionTime=\"100\"/></anim>");
    mFrame->SetFrame(3);
    EXPECT_FLOAT_EQ(Shown(), 3.0f);
    auto event = set->MakeBoneAnim(TString("A"));
    auto* anim = dynamic_cast<KBoneAnim*>(event.get());
    ASSERT_NE(anim, nullptr);
    Pass();
    EXPECT_EQ(anim->GetLastShown(), -1);
    Pass();
    EXPECT_FLOAT_EQ(Shown(), 13.0f);
    EXPECT_EQ(anim->GetLastShown(), 13);

    // A second event starting on the frame the first one left skins again.
    Spoil();
    auto again = set->MakeBoneAnim(TString("A"));
    Pass(2);
    EXPECT_FLOAT_EQ(Shown(), 13.0f);
}

TEST_F(BoneAnimTest, SkipLeavesThePose)
{
    auto set = Read("<anim name=\"A\"><frame frameNum=\"10\" transitionTime=\"100\"/>"
                    "<frame frameNum=\"11\" transitionTime=\"100\"/></anim>");
    auto event = set->MakeBoneAnim(TString("A"));
    Pass();
    gNow += 120;
    Pass();
    EXPECT_FLOAT_EQ(Shown(), 11.0f);
    event->Skip();
    EXPECT_TRUE(event->IsFinished());
    gNow += 500;
    Pass(2);
    EXPECT_FLOAT_EQ(Shown(), 11.0f);
}

TEST_F(BoneAnimTest, ZeroTimeAnimationEndsAtItsFirstUpdateOnItsFrame)
{
    auto set = Read("<anim name=\"A\"><frame frameNum=\"4\" transitionTime=\"0\"/>"
                    "<frame frameNum=\"8\" transitionTime=\"0\"/><pos>0,2,0</pos></anim>");
    auto event = set->MakeBoneAnim(TString("A"));
    Pass();
    EXPECT_FALSE(event->IsFinished());
    EXPECT_FLOAT_EQ(mFrame->GetLocal()(3, 1), 2.0f);
    Pass();
    EXPECT_TRUE(event->IsFinished());
    EXPECT_FLOAT_EQ(Shown(), 8.0f);
}

TEST_F(BoneAnimTest, TotalTimeDoesNotWrap)
{
    KAnimEntry entry;
    entry.name = TString("Long");
    entry.frames = {2, 3};
    entry.durations = {std::numeric_limits<uint32_t>::max(), 2};
    auto event = KEvent::Create<KBoneAnim>(mFrame, entry);
    EXPECT_EQ(event->GetTotal(), uint64_t(std::numeric_limits<uint32_t>::max()) + 2);
    Pass();
    gNow += 5;
    Pass();
    EXPECT_FALSE(event->IsFinished());
    EXPECT_FLOAT_EQ(Shown(), 2.0f);
}

TEST_F(BoneAnimTest, AnimWithoutStepsPlacesThenEndsWithoutPosing)
{
    auto set = Read("<anim name=\"Empty\"><pos>0,0,4</pos></anim>");
    ASSERT_NE(set->Find(TString("Empty")), nullptr);
    EXPECT_EQ(set->Find(TString("Empty"))->GetCount(), 0);
    EXPECT_TRUE(mLog.Has("has no steps"));
    Spoil();

    set->SetPose(TString("Empty"));
    EXPECT_FLOAT_EQ(Shown(), -7.0f);
    EXPECT_FLOAT_EQ(mFrame->GetLocal()(3, 2), 0.0f);

    auto event = set->MakeBoneAnim(TString("Empty"));
    ASSERT_NE(dynamic_cast<KBoneAnim*>(event.get()), nullptr);
    Pass();
    EXPECT_FALSE(event->IsFinished());
    Pass();
    EXPECT_TRUE(event->IsFinished());
    EXPECT_FLOAT_EQ(Shown(), -7.0f);
}

TEST_F(BoneAnimTest, SetPosePutsTheFirstStepAndPlacement)
{
    auto set = Read("<anim name=\"Stand\"><frame frameNum=\"7\" transitionTime=\"100\"/>"
                    "<frame frameNum=\"9\" transitionTime=\"100\"/><pos>3,0,0</pos><rot>0,1.5,0</rot></anim>");
    set->SetPose(TString("Stand"));
    EXPECT_FLOAT_EQ(Shown(), 7.0f);
    EXPECT_FLOAT_EQ(mFrame->GetTransform().position.x, 3.0f);
    EXPECT_FLOAT_EQ(mFrame->GetTransform().rotation.y, 1.5f);
    EXPECT_FLOAT_EQ(mFrame->GetLocal()(3, 0), 3.0f);
    // No event made.
    EXPECT_EQ(Manager().GetPendingCount() + Manager().GetRunningCount(), 0u);
}

TEST_F(BoneAnimTest, UnknownNamesGiveDummiesAndAreNeverAdded)
{
    auto set = Read("<anim name=\"Sit\"><frame frameNum=\"1\" transitionTime=\"10\"/></anim>");
    Spoil();
    set->SetPose(TString("Dance"));
    EXPECT_FLOAT_EQ(Shown(), -7.0f);
    EXPECT_EQ(set->Find(TString("Dance")), nullptr);
    EXPECT_TRUE(mLog.Has("no pose \"Dance\""));

    auto event = set->MakeBoneAnim(TString("Dance"));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(dynamic_cast<KBoneAnim*>(event.get()), nullptr);
    Pass();
    EXPECT_TRUE(event->IsFinished());
    EXPECT_FLOAT_EQ(Shown(), -7.0f);
    EXPECT_EQ(set->Find(TString("Dance")), nullptr);
    EXPECT_EQ(set->GetEntries().size(), 1u);
}

TEST_F(BoneAnimTest, ModelWithoutLinkedBonesPlaysNothing)
{
    std::shared_ptr<XElem> plain = XElem::Create(TString("Plain"));
    std::vector<KScene::XVertex> vertices(1);
    vertices[0].position = TVec3(4, 5, 6);
    plain->SetVertices(vertices);
    // Bones read but never linked into a tree, and no bones at all.
    std::shared_ptr<XElem> unlinked = XElem::Create(TString("Unlinked"));
    unlinked->GetBones().Add(std::make_unique<XBone>(TString("Arm")));
    for (const auto& frame : {plain, unlinked}) {
        SCOPED_TRACE(frame->GetName().c_str());
        auto set = Read("<anim name=\"Sit\"><frame frameNum=\"1\" transitionTime=\"10\"/><pos>9,9,9</pos></anim>",
                        frame);
        auto event = set->MakeBoneAnim(TString("Sit"));
        ASSERT_NE(event, nullptr);
        Pass();
        EXPECT_TRUE(event->IsFinished());
        EXPECT_FLOAT_EQ(frame->GetLocal()(3, 0), 0.0f);
        gNow += 50;
        Pass();
    }
    EXPECT_FLOAT_EQ(plain->GetVertex(0)->position.x, 4.0f);
    EXPECT_TRUE(mLog.Has("no linked bones"));
}

TEST_F(BoneAnimTest, SetWithoutFrameGivesDummies)
{
    AddFile("mesh/kid/kid.xml", "<anim name=\"Sit\"><frame frameNum=\"1\" transitionTime=\"10\"/></anim>");
    auto set = KAnimSet::Create(nullptr, TString("mesh/kid/kid.xml"));
    EXPECT_EQ(set->GetEntries().size(), 1u);
    set->SetPose(TString("Sit"));
    auto event = set->MakeBoneAnim(TString("Sit"));
    ASSERT_NE(event, nullptr);
    Pass();
    EXPECT_TRUE(event->IsFinished());
}

// The cast the build generates: each character's animations read for its
// model, every name the show asks for there, and each step of an animation
// posed as the model poses that key frame itself.
TEST_F(BoneAnimTest, GeneratedCastPlaysItsAnimations)
{
    std::vector<std::string> host;
    for (const char* place : {"Pos1_", "Pos2_", "Pos3_"})
        for (const char* name : {"Stand", "Idle1", "Idle2", "Idle3", "Talk1", "Talk2", "Talk3", "Clap"})
            host.push_back(std::string(place) + name);
    const struct {
        std::string model, anims;
        std::vector<std::string> names;
        std::string play;
    } cast[] = {
        {"kids/kid1.x", "kids/kid1.xml",
         {"Sit", "Stand", "SitWave", "SitWrite", "StandWrite", "SitClap", "StandClap", "SitIdle1", "SitIdle2",
          "StandIdle1", "StandIdle2"},
         "SitWave"},
        {"varnum/varnum.x", "varnum/varnum.xml", host, "Pos2_Talk1"},
    };
    for (const auto& character : cast) {
        SCOPED_TRACE(character.model);
        for (const std::string& file : {character.model, character.anims}) {
            std::ifstream in(std::string(QUILLORY_CAST_DIR) + "/" + file, std::ios::binary);
            ASSERT_TRUE(in) << "the build has not made " << file;
            std::stringstream bytes;
            bytes << in.rdbuf();
            AddFile("mesh/" + file, bytes.str());
        }
        KScene::XModel model;
        model.LoadX(TString(("mesh/" + character.model).c_str()));
        std::shared_ptr<XElem> frame = model.GetFirstMeshFrame();
        ASSERT_TRUE(frame);
        ASSERT_TRUE(frame->GetBones().Root());
        auto set = KAnimSet::Create(frame, TString(("mesh/" + character.anims).c_str()));
        for (const std::string& name : character.names) {
            const KAnimEntry* entry = set->Find(TString(name.c_str()));
            ASSERT_NE(entry, nullptr) << name;
            EXPECT_GE(entry->GetCount(), 1) << name;
        }

        const KAnimEntry& entry = *set->Find(TString(character.play.c_str()));
        ASSERT_GE(entry.GetCount(), 2);
        set->SetPose(TString(character.play.c_str()));
        EXPECT_FLOAT_EQ(frame->GetTransform().position.x, entry.transform.position.x);
        EXPECT_FLOAT_EQ(frame->GetTransform().rotation.y, entry.transform.rotation.y);

        auto event = set->MakeBoneAnim(TString(character.play.c_str()));
        Pass();
        const uint32_t start = gNow;
        uint32_t stepStart = 0;
        bool moved = false;
        std::vector<TVec3> previous;
        for (uint16_t step = 0; step < entry.GetCount(); ++step) {
            gNow = start + stepStart + entry.durations[step] / 2;
            stepStart += entry.durations[step];
            Pass();
            std::vector<TVec3> shown;
            for (uint32_t i = 0; i < frame->GetVertexCount(); ++i)
                shown.push_back(frame->GetVertex(i)->position);
            frame->SetFrame(entry.frames[step]);
            for (uint32_t i = 0; i < frame->GetVertexCount(); ++i) {
                const TVec3 posed = frame->GetVertex(i)->position;
                ASSERT_TRUE(std::isfinite(shown[i].x) && std::isfinite(shown[i].y) && std::isfinite(shown[i].z));
                ASSERT_NEAR(shown[i].x, posed.x, 1e-4f) << "step " << step << " vertex " << i;
                ASSERT_NEAR(shown[i].y, posed.y, 1e-4f) << "step " << step << " vertex " << i;
                ASSERT_NEAR(shown[i].z, posed.z, 1e-4f) << "step " << step << " vertex " << i;
                if (!previous.empty() && Apart(previous[i], shown[i]) > 1e-3f)
                    moved = true;
            }
            previous = shown;
        }
        EXPECT_TRUE(moved) << character.play << " never moves a vertex";
        EXPECT_FALSE(event->IsFinished());
        gNow = start + stepStart;
        Pass();
        EXPECT_TRUE(event->IsFinished());
    }
}

} // namespace
