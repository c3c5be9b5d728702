// The transition on the studio screens: which picture shows when, when it
// composes, where the composite goes, and how it ends.
#include <gtest/gtest.h>

#include "AnimTestSupport.h"
#include "game/stage/anim/Trans3DAnim.h"
#include "game/stage/scene/SceneSet.h"
#include "render/Texture.h"

namespace {

constexpr char kScreens[] = R"(<scene><models>
<model><Name>mainscreen_1</Name></model>
<model><Name>mainscreen_2</Name></model>
</models></scene>)";

class Trans3DAnimTest : public animtest::AnimFixture {
protected:
    void SetUp() override
    {
        AnimFixture::SetUp();
        // 30 mask frames of 4 x 4.
        AddFile("anim/wipe.anm", anm::Write(anm::Grid(30, 1, 4)));
        AddFile("mesh/set/Set.xml", kScreens);
        Scene()->Load(TString("mesh/set/Set.xml"), true);
        mOld = TTexture::CreateRenderTarget(8, 8, false);
        mNew = TTexture::CreateRenderTarget(4, 4, false);
        Scene()->SetElementTexture(TString("mainscreen_1"), mOld);
    }

    void TearDown() override
    {
        mAnim.reset();
        KScene::KSceneSet::Destroy();
        AnimFixture::TearDown();
    }

    static KScene::KSceneSet* Scene() { return KScene::KSceneSet::Get(); }

    void Make(const char* second = "mainscreen_2", const char* file = "anim/wipe.anm")
    {
        mAnim = KAnim::Trans3D_Anim::Create(TString(file), mNew, TString("mainscreen_1"), TString(second));
    }

    // One tick of the animation manager, counting the passes composed.
    size_t Tick()
    {
        const size_t before = GfxRecordingLog().Count("BeginScene");
        EventPass();
        return GfxRecordingLog().Count("BeginScene") - before;
    }

    TTextureRef mOld, mNew;
    std::shared_ptr<KAnim::Trans3D_Anim> mAnim;
};

TEST_F(Trans3DAnimTest, TheOldPictureShowsForHalfTheFramesThenTheNewOneUntilTheStop)
{
    Make();
    ASSERT_EQ(mAnim->GetFrameCount(), 30);
    EXPECT_EQ(Anims().CountOf(mAnim.get()), 1u);
    Tick();
    EXPECT_EQ(mAnim->GetLastFrame(), -1) << "nothing before the start";

    // Its event starts it in the next event pass.
    std::shared_ptr<KEvent::Event> event = mAnim->GetEvent();
    ASSERT_TRUE(event);
    EXPECT_EQ(mAnim->GetEvent(), event) << "one event per animation";
    EXPECT_EQ(Tick(), 1u);
    EXPECT_TRUE(mAnim->IsRunning());
    EXPECT_EQ(mAnim->GetLastFrame(), 0);
    EXPECT_FALSE(mAnim->ShowsNewPicture());
    EXPECT_EQ(Scene()->GetElementTexture(TString("mainscreen_1")), mAnim->GetComposite());
    EXPECT_EQ(Scene()->GetElementTexture(TString("mainscreen_2")), mAnim->GetComposite());

    const struct {
        uint32_t at;
        int32_t frame;
        bool isNew;
    } steps[] = {{480, 14, false}, {500, 15, true}, {966, 28, true}, {1000, 30, true}};
    uint32_t now = 0;
    for (const auto& s : steps) {
        Advance(s.at - now);
        now = s.at;
        Tick();
        EXPECT_EQ(mAnim->GetLastFrame(), s.frame) << s.at << " ms";
        EXPECT_EQ(mAnim->ShowsNewPicture(), s.isNew) << s.at << " ms";
    }
    EXPECT_TRUE(mAnim->IsRunning());
    EXPECT_FALSE(event->IsFinished());

    Advance(34);
    Tick();
    EXPECT_FALSE(mAnim->IsRunning()) << "frame 31 is past the end";
    EXPECT_TRUE(event->IsFinished());
    EXPECT_EQ(mAnim->GetLastFrame(), 29);
    EXPECT_EQ(Scene()->GetElementTexture(TString("mainscreen_1")), mAnim->GetComposite())
        << "the last composite stays on the screens";
    Tick();
    EXPECT_EQ(Anims().CountOf(mAnim.get()), 0u);

    // A second stop does nothing.
    mAnim->Stop();
    EXPECT_FALSE(mAnim->IsRunning());
}

TEST_F(Trans3DAnimTest, TicksWithinOneFrameComposeOnce)
{
    Make();
    mAnim->Start();
    EXPECT_EQ(Tick(), 1u);
    Advance(10);
    EXPECT_EQ(Tick(), 0u);
    Advance(10);
    EXPECT_EQ(Tick(), 0u);
    Advance(20);
    EXPECT_EQ(Tick(), 1u);
    // Time spent composing is not animation time: the clock is paused
    // through each tick.
    EXPECT_EQ(mAnim->GetLastFrame(), 1);
}

TEST_F(Trans3DAnimTest, AMissingElementOrMaskLeavesTheRestWorking)
{
    Make("no_such_screen");
    mAnim->Start();
    Tick();
    EXPECT_EQ(Scene()->GetElementTexture(TString("mainscreen_1")), mAnim->GetComposite());
    EXPECT_NE(Scene()->GetElementTexture(TString("mainscreen_2")), mAnim->GetComposite());

    // Without its mask the transition ends at its first tick and the
    // screens stay as they were.
    const TTextureRef before = Scene()->GetElementTexture(TString("mainscreen_1"));
    Make("mainscreen_2", "anim/missing.anm");
    std::shared_ptr<KEvent::Event> event = mAnim->GetEvent();
    mAnim->Start();
    Tick();
    EXPECT_FALSE(mAnim->IsRunning());
    EXPECT_TRUE(event->IsFinished());
    EXPECT_EQ(Scene()->GetElementTexture(TString("mainscreen_1")), before);
}

} // namespace
