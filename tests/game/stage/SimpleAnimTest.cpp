// Frame animations: the frame-list grammar, playing once, in loops, without
// end or until an owner event finishes, the clock starting at the first
// drawn frame, and animations with nothing to show.
#include "AnimTestSupport.h"

#include <sstream>

#include "game/show/event/CoreEvents.h"
#include "game/stage/anim/FrameList.h"
#include "game/stage/anim/SimpleAnim.h"

namespace {

using KAnim::FrameList;
using KAnim::SimpleAnim;

std::vector<int32_t> Range(int32_t first, int32_t last)
{
    std::vector<int32_t> out;
    for (int32_t i = first; i <= last; ++i)
        out.push_back(i);
    return out;
}

std::vector<int32_t> Join(std::vector<int32_t> a, const std::vector<int32_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class SimpleAnimTest : public animtest::AnimFixture {
protected:
    static TDrawParams At(float x, float y) { return TDrawParams(TVec2(x, y), 1.0f, 1.0f, 0); }

    // Draws the animation at each time (ms after base) and returns what each
    // pass showed: the frame index, or "-" when nothing was drawn.
    std::string Play(const std::vector<uint32_t>& times, const SimpleAnim& anim,
                     const std::function<void(uint32_t)>& before = nullptr)
    {
        std::string shown;
        for (uint32_t t : times) {
            uitest::gNow = kBase + t;
            if (before)
                before(t);
            const size_t quads = DrawPass();
            shown += shown.empty() ? "" : " ";
            shown += quads == 0 ? "-" : std::to_string(anim.GetTexture()->GetFrame());
        }
        return shown;
    }

    static constexpr uint32_t kBase = 20000;
};

TEST_F(SimpleAnimTest, FrameListGrammar)
{
    TAnimatedTextureRef run = TAnimatedTexture::Get("anim/run");
    ASSERT_TRUE(run);
    ASSERT_EQ(run->GetFrameCount(), 40);
    const struct {
        const char* text;
        std::vector<int32_t> frames;
    } cases[] = {
        {"1-30,30[100]", Join(Range(1, 30), std::vector<int32_t>(100, 30))},
        {"28[10]", std::vector<int32_t>(10, 28)},
        {"1-3,7", {1, 2, 3, 7}},
        {"5-3", {}},
        {"4-4", {4}},
        {"1 - 3", {1}},          // a blank before the dash stops the range
        {" 2- 4", {2, 3, 4}},    // blanks before a number are skipped
        {"2,,4,", {2, 4}},
        {"2--5", {}},            // the last number is -5
        {"-2", {-2}},            // not checked against the texture
        {"3[0],3[-2]", {}},
        {"6[2", {6, 6}},         // the closing bracket is optional
        {"7]x", {7}},            // what follows the last number is ignored
        {"x,5,[2],-", {5}},
        {"", Range(0, 39)},      // every frame of the texture
        {",", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FrameList list(run, c.text);
        EXPECT_EQ(list.GetFrames(), c.frames);
        EXPECT_EQ(list.Count(), int32_t(c.frames.size()));
        EXPECT_STREQ(list.GetText().c_str(), c.text);
    }
    EXPECT_EQ(FrameList(nullptr, "").Count(), 0) << "no texture, no frames";
}

TEST_F(SimpleAnimTest, HugeFrameListsAreCutAtTheLimitWithALogLine)
{
    for (const char* text : {"0[2000000000]", "0-2147483647", "-2147483648-2147483647,1"}) {
        SCOPED_TRACE(text);
        mLog.Restart();
        FrameList list(nullptr, text);
        EXPECT_EQ(list.Count(), FrameList::kMaxEntries);
        EXPECT_EQ(mLog.Count("longer than"), 1);
    }
}

TEST_F(SimpleAnimTest, SplitStringKeepsEmptyPieces)
{
    const struct {
        const char* text;
        const char* separator;
        std::vector<std::string> pieces;
    } cases[] = {
        {"a,b", ",", {"a", "b"}},
        {",a,", ",", {"", "a", ""}},
        {"abc", ",", {"abc"}},
        {"", ",", {""}},
        {"a::b::", "::", {"a", "b", ""}},
        {"a,b", "", {"a,b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> got;
        for (const TString& piece : KAnim::SplitString(c.text, c.separator))
            got.push_back(piece.c_str());
        EXPECT_EQ(got, c.pieces);
    }
}

TEST_F(SimpleAnimTest, PlayModes)
{
    const struct {
        const char* what;
        const char* list;
        int32_t loops;   // ignored with an owner
        bool withOwner;  // played until an owner event finishes
        uint32_t ownerFinishesAt;
        int32_t fps;
        std::vector<uint32_t> times;
        const char* shown;
        bool finished;
    } cases[] = {
        {"once: the last entry is drawn once more as it stops", "1-3", 0, false, 0, 10,
         {0, 99, 100, 250, 299, 300, 301, 400}, "1 1 2 3 3 3 - -", true},
        {"two loops: three passes, each clock from its first draw", "1-2", 2, false, 0, 10,
         {0, 100, 200, 300, 400, 500, 600, 700}, "1 2 1 2 1 2 2 -", true},
        {"endless: the overshoot is shown once, then a new pass", "1-2", -1, false, 0, 10,
         {0, 150, 230, 330, 5030}, "1 2 1 2 1", false},
        {"owner finishing mid-pass: the pass ends, then nothing is drawn", "1-3", 0, true, 150, 10,
         {0, 100, 200, 299, 300, 400}, "1 2 3 3 - -", true},
        {"owner still running: the list loops", "1-3", 0, true, 100000, 10,
         {0, 100, 200, 300, 400}, "1 2 3 1 2", false},
        {"fps 0 holds the first entry", "4-9", 0, false, 0, 0, {0, 5000, 100000}, "4 4 4", false},
        {"a negative rate counts as 0", "4-9", 0, false, 0, -30, {0, 5000}, "4 4", false},
        {"a huge rate wraps without overflow", "1-3", -1, false, 0, 2000000000, {0, 1, 4000}, "1 3 1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KAnim::AnimManager::Destroy();
        uitest::gNow = kBase;
        std::shared_ptr<KEvent::Event> owner = eventtest::Manual("owner");
        std::shared_ptr<SimpleAnim> anim =
            c.withOwner ? SimpleAnim::CreateLooping("anim/run", At(100, 100), owner, c.list, true)
                        : SimpleAnim::Create("anim/run", At(100, 100), c.loops, c.list, true);
        anim->SetFps(c.fps);
        EventPass(); // the event starts the animation
        ASSERT_TRUE(anim->IsRunning());
        const std::string shown = Play(c.times, *anim, [&](uint32_t t) {
            if (c.withOwner && t >= c.ownerFinishesAt && !owner->IsFinished())
                owner->Finish();
        });
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(anim->GetEvent()->IsFinished(), c.finished);
        EXPECT_EQ(anim->IsRunning(), !c.finished);
        EXPECT_EQ(Anims().GetCount(), c.finished ? 0u : 1u) << "a stopped animation leaves the manager";
    }
}

TEST_F(SimpleAnimTest, AHeldListAtThirtyFramesASecondFinishesAfterItsLastEntry)
{
    // 130 entries at 30 fps: 4,333 ms and a third.
    auto anim = SimpleAnim::Create("anim/run", At(400, 300), 0, "1-30,30[100]", true);
    auto after = eventtest::Instant("after");
    anim->GetEvent()->Then(after);
    EventPass();
    EXPECT_EQ(Play({0, 966, 999, 1000, 4333}, *anim), "1 29 30 30 30");
    EXPECT_FALSE(anim->GetEvent()->IsFinished());
    EXPECT_EQ(Play({4334, 4400}, *anim), "30 -");
    EXPECT_TRUE(anim->GetEvent()->IsFinished());
    EventPass(2);
    EXPECT_TRUE(after->IsFinished()) << "the chain goes on";
}

TEST_F(SimpleAnimTest, TheClockStartsAtTheFirstDrawnFrameAndASecondStartReplays)
{
    auto anim = SimpleAnim::Create("anim/run", At(100, 100), 0, "1-9", true);
    anim->SetFps(10);
    EventPass();
    // Started but not drawn for 5 s: it has not advanced.
    EXPECT_EQ(Play({5000, 5100, 5200}, *anim), "1 2 3");
    anim->Start();
    EXPECT_EQ(Play({9000, 9033}, *anim), "1 1") << "from the first entry, timed from its draw";
    EXPECT_EQ(Play({9100}, *anim), "2");
}

TEST_F(SimpleAnimTest, AnAnimationWithNothingToShowEndsAtItsFirstDraw)
{
    const struct {
        const char* what;
        const char* file;
        const char* list;
        const char* logged; // by the animation; a missing file is logged by its loader
    } cases[] = {
        {"missing file", "anim/missing", "", nullptr},
        {"a list of nothing", "anim/run", "5-3", "has no frames to show"},
        {"a list of no item", "anim/run", "x,,y", "has no frames to show"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        mLog.Restart();
        eventtest::gTrace.clear();
        auto anim = SimpleAnim::Create(c.file, At(10, 10), -1, c.list, true);
        anim->GetEvent()->Then(eventtest::Instant("after"));
        EventPass();
        ASSERT_TRUE(anim->IsRunning());
        EXPECT_EQ(DrawPass(), 0u);
        EXPECT_FALSE(anim->IsRunning());
        EXPECT_TRUE(anim->GetEvent()->IsFinished());
        EXPECT_EQ(DrawPass(), 0u);
        if (c.logged) {
            EXPECT_EQ(mLog.Count(c.logged), 1);
        }
        EventPass(2);
        EXPECT_EQ(eventtest::Only("finish"), std::vector<std::string>{"0:after"});
        EXPECT_EQ(Anims().GetCount(), 0u);
    }
}

TEST_F(SimpleAnimTest, UnregisteredAnimationsAreDrawnOnlyByTheirOwner)
{
    auto anim = SimpleAnim::Create("anim/run", At(10, 10), 0, "2", false);
    EXPECT_EQ(Anims().GetCount(), 0u);
    EventPass();
    EXPECT_TRUE(anim->IsRunning()) << "its event starts it all the same";
    EXPECT_EQ(DrawPass(), 0u);
    // Its owner draws it inside a 2D pass, once: one entry, played.
    TRenderer& renderer = *TRenderer::Get();
    ASSERT_TRUE(renderer.BeginDraw(false));
    ASSERT_TRUE(renderer.Begin2d());
    GfxRecordingLog().draws.clear();
    anim->Draw();
    uitest::gNow += 40;
    anim->Draw();
    EXPECT_EQ(GfxRecordingLog().draws.size(), 2u);
    renderer.End2d();
    renderer.EndDraw(false);
    EXPECT_TRUE(anim->GetEvent()->IsFinished());
}

} // namespace
