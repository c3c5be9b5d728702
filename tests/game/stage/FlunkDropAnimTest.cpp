// The flunk-out and drop-out animation: the amount written at each drawn
// frame's "Text" anchor, only with a drawn frame, and one current
// animation at a time.
#include <gtest/gtest.h>

#include <string>

#include "StageFixture.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/FlunkDropAnim.h"

using Quillory::FlunkDropAnim;
using Quillory::MakeFlunkDropAnim;

namespace {

class FlunkDropAnimTest : public StageFixture {
protected:
    void SetUp() override
    {
        StageFixture::SetUp();
        FreshManagers();
        // Frames 0 to 3; 1 and 3 carry the anchor.
        AddSheet("anim/flunkout.xml", 4, 40, 30, {1, 3}, 100, 50);
    }
    void TearDown() override
    {
        Quillory::ReleaseFlunkDropAnim();
        TearDownManagers();
        StageFixture::TearDown();
    }
    static TDrawParams Place() { return TDrawParams(TVec2(560, 40), 1.0f, 1.0f, 0); }

    std::shared_ptr<FlunkDropAnim> Make(const char* list, const char* file = "anim/flunkout.xml")
    {
        return MakeFlunkDropAnim(TString(file), TString("$25,000"), Place(), TString(list));
    }
    // Draws the animation once, 70 ms later than the last time (a little
    // over one entry at 15 a second); the number of draw calls.
    size_t Step(FlunkDropAnim& anim)
    {
        now += 70;
        return DrawnBy([&] { anim.Draw(); });
    }
};

TEST_F(FlunkDropAnimTest, TheTextSitsCentredUnderTheAnchorMovedByThePosition)
{
    auto anim = Make("1");
    ASSERT_TRUE(anim->GetTexture());
    anim->GetTexture()->SetFrame(1);
    TRect rect;
    ASSERT_TRUE(anim->GetTextRect(rect));
    EXPECT_EQ(rect.left, 595);
    EXPECT_EQ(rect.top, 90);
    EXPECT_EQ(rect.right, 725);
    EXPECT_EQ(rect.bottom, 116);
    anim->GetTexture()->SetFrame(0);
    EXPECT_FALSE(anim->GetTextRect(rect)) << "frame 0 has no anchor";
    EXPECT_EQ(anim->GetFps(), 15);
    EXPECT_EQ(KAnim::AnimManager::Get()->CountOf(anim.get()), 1u) << "always registered";
}

TEST_F(FlunkDropAnimTest, TheTextIsWrittenOnlyWithADrawnFrameThatHasTheAnchor)
{
    // One entry a step; the last is drawn once more in the call that
    // stops the animation.
    auto anim = Make("1,0,1");
    const size_t frameOnly = [&] {
        anim->GetTexture()->SetFrame(0);
        return DrawnBy([&] { anim->GetTexture()->Draw(Place()); });
    }();
    ASSERT_EQ(frameOnly, 1u);

    // Not started: the shared texture shows an anchored frame, but nothing
    // is drawn, text included.
    anim->GetTexture()->SetFrame(1);
    EXPECT_EQ(Step(*anim), 0u);

    anim->GetEvent()->Start();
    EXPECT_GT(Step(*anim), frameOnly) << "entry 0 (frame 1): frame and text";
    EXPECT_EQ(Step(*anim), frameOnly) << "entry 1 (frame 0): the frame alone";
    EXPECT_GT(Step(*anim), frameOnly) << "entry 2 (frame 1)";
    // The list has run out: the last entry once more, with its text, and
    // the animation stops.
    EXPECT_GT(Step(*anim), frameOnly);
    EXPECT_FALSE(anim->IsRunning());
    EXPECT_TRUE(anim->GetEvent()->IsFinished());
    // Stopped, still registered until the next purge: nothing at all.
    EXPECT_EQ(Step(*anim), 0u);
}

TEST_F(FlunkDropAnimTest, ANewAnimationStopsTheCurrentOneFirst)
{
    auto first = Make("1-3");
    first->GetEvent()->Start();
    Step(*first);
    ASSERT_TRUE(first->IsRunning());
    auto second = Make("1-3");
    EXPECT_FALSE(first->IsRunning());
    EXPECT_TRUE(first->GetEvent()->IsFinished());
    EXPECT_EQ(Quillory::GetFlunkDropAnim(), second);
    EXPECT_FALSE(second->GetEvent()->IsFinished());
}

TEST_F(FlunkDropAnimTest, AMissingSheetEndsAtOnceWithoutText)
{
    auto anim = Make("1-30,30[100]", "anim/none.xml");
    EXPECT_FALSE(anim->GetTexture());
    TRect rect;
    EXPECT_FALSE(anim->GetTextRect(rect));
    anim->GetEvent()->Start();
    EXPECT_EQ(Step(*anim), 0u);
    EXPECT_TRUE(anim->GetEvent()->IsFinished()) << "the show's chain goes on";
}

} // namespace
