// Groups of animations: the event wiring that lets a group stand in chains
// like one event, tracks dropping finished animations, and the animation
// window that shows a group over the stage and stops it when it goes.
#include "AnimTestSupport.h"

#include <algorithm>

#include "render/AnimFixture.h"

#include "game/show/event/CoreEvents.h"
#include "game/stage/anim/AnimWindow.h"
#include "game/stage/anim/MultiAnim.h"
#include "game/stage/anim/SimpleAnim.h"

namespace {

using animtest::gTrace;
using animtest::Probe;
using KAnim::MultiAnim;
using Trace = std::vector<std::string>;

class MultiAnimTest : public animtest::AnimFixture {
protected:
    void SetUp() override
    {
        AnimFixture::SetUp();
        mStage = uitest::Place(mScreen, new uitest::Probe("stage", 0), 0, 0, 800, 600);
    }
    // The next platform event carries out deferred deletions.
    void NextEvent() { mManager->HandleEvent(uitest::Ev(kEventIdle)); }
    KAnim::AnimWindow* AnimWindowOnStage() const
    {
        for (TWindow* child : mStage->GetChildren())
            if (auto* window = TWindow::Cast<KAnim::AnimWindow>(child))
                return window;
        return nullptr;
    }

    TWindow* mStage = nullptr;
};

TEST_F(MultiAnimTest, TheGroupEndsWhenEveryTrackHasEnded)
{
    auto group = MultiAnim::Create();
    auto p1 = Probe("p1"), p2 = Probe("p2"), p3 = Probe("p3");
    MultiAnim::Track* first = group->AddTrack();
    first->AppendAnim(p1);
    first->AppendAnim(p2);
    first->AppendAnim(nullptr);
    group->AddTrack()->AppendAnim(p3);
    EXPECT_EQ(first->GetAnimCount(), 2u) << "an empty pointer is not appended";
    auto before = eventtest::Manual("before");
    before->Then(group->GetStartEvent());
    auto after = group->GetEvent()->Then(eventtest::Instant("after"));

    EventPass(3);
    EXPECT_TRUE(gTrace.empty()) << "nothing starts before the group's start";
    before->Finish();
    // The group's start, the tracks' starts, then the animations' events.
    EventPass(2);
    EXPECT_TRUE(gTrace.empty());
    EventPass();
    EXPECT_EQ(gTrace, (Trace{"start:p1", "start:p2", "start:p3"}));

    p1->Stop();
    p3->Stop();
    EventPass(5);
    EXPECT_FALSE(after->IsStarted()) << "p2 still runs";
    p2->Stop();
    // Its event's prune, the track's end, the group's end, then the chain.
    EventPass(2);
    EXPECT_FALSE(after->IsStarted());
    EventPass();
    EXPECT_TRUE(after->IsFinished());
}

TEST_F(MultiAnimTest, FinishedAnimationsAreDrawnOnceMoreThenTracksAndTheGroupGo)
{
    auto group = MultiAnim::Create();
    auto p1 = Probe("p1", 1), p2 = Probe("p2", 1), lasting = Probe("lasting", 2);
    MultiAnim::Track* track = group->AddTrack();
    track->AppendAnim(p1);
    track->AppendAnim(p2);
    group->AddTrack()->AppendAnim(lasting);
    group->Start();
    for (auto* p : {p1.get(), p2.get(), lasting.get()})
        p->Start();
    gTrace.clear();

    group->Draw();
    EXPECT_EQ(gTrace, (Trace{"draw:p1", "stop:p1", "draw:p2", "stop:p2", "draw:lasting"}));
    EXPECT_EQ(track->GetAnimCount(), 0u);
    EXPECT_EQ(group->GetTrackCount(), 2u) << "an emptied track stays until the next draw";
    gTrace.clear();
    group->Draw();
    EXPECT_EQ(gTrace, (Trace{"draw:lasting", "stop:lasting"}));
    EXPECT_EQ(group->GetTrackCount(), 1u);
    EXPECT_TRUE(group->IsRunning());
    gTrace.clear();
    group->Draw();
    EXPECT_TRUE(gTrace.empty());
    EXPECT_EQ(group->GetTrackCount(), 0u);
    EXPECT_FALSE(group->IsRunning()) << "with no track left the group stops";
}

TEST_F(MultiAnimTest, StoppingTheGroupStopsWhatItHoldsOnce)
{
    auto group = MultiAnim::Create();
    auto p1 = Probe("p1"), p2 = Probe("p2");
    group->AddTrack()->AppendAnim(p1);
    group->AddTrack()->AppendAnim(p2);
    group->Stop();
    EXPECT_EQ(group->GetTrackCount(), 2u) << "a group never started ignores Stop";
    p1->Start();
    p2->Start();
    group->Start();
    group->Stop();
    group->Stop();
    EXPECT_EQ(gTrace, (Trace{"start:p1", "start:p2", "stop:p1", "stop:p2"}));
    EXPECT_EQ(group->GetTrackCount(), 0u);
    EXPECT_TRUE(p1->GetEvent()->IsFinished() && p2->GetEvent()->IsFinished());

    auto empty = MultiAnim::Create();
    empty->Start();
    empty->Draw();
    EXPECT_FALSE(empty->IsRunning()) << "a group with no tracks stops at its first draw";
}

TEST_F(MultiAnimTest, ShowInWindowWithoutAParentGivesTheStartEvent)
{
    std::shared_ptr<MultiAnim> group;
    MultiAnim* plain = nullptr;
    MultiAnim::Create(group, plain);
    ASSERT_EQ(plain, group.get());
    std::shared_ptr<KEvent::Event> out;
    group->ShowInWindow(out, nullptr);
    EXPECT_EQ(out, group->GetStartEvent());
    EXPECT_TRUE(mStage->GetChildren().empty());
}

TEST_F(MultiAnimTest, AGroupInAWindowIsShownDrawnAndClosedByItsChain)
{
    std::weak_ptr<MultiAnim> weakGroup;
    std::shared_ptr<KEvent::Event> show;
    {
        auto group = MultiAnim::Create();
        weakGroup = group;
        auto frames = KAnim::SimpleAnim::Create("anim/run", TDrawParams(TVec2(400, 300), 1, 1, 0), 0, "1-3", false);
        frames->SetFps(10);
        group->AddTrack()->AppendAnim(frames);
        group->ShowInWindow(show, mStage);
    }
    ASSERT_FALSE(weakGroup.expired()) << "the window keeps the group";
    EXPECT_EQ(AnimWindowOnStage(), nullptr) << "shown only when the event runs";

    EventPass(); // the show event
    KAnim::AnimWindow* window = AnimWindowOnStage();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetRect(), TRect(0, 0, 800, 600));
    EventPass(3); // the group's start, the track's start, the animation's event

    // The frames of "anim/run" drawn in each window frame, by their left
    // texel (4 x 4 frames in a row of a 256-texel sheet). The window asks
    // for each next frame itself.
    std::string shown;
    mManager->Invalidate();
    for (int i = 0; i < 5; ++i) {
        GfxRecordingLog().draws.clear();
        ASSERT_TRUE(mManager->NeedsRedraw()) << "frame " << i;
        mManager->Frame();
        shown += "[";
        for (const GfxDrawRecord& d : GfxRecordingLog().draws) {
            const std::vector<QuadCorner> quad = QuadOf(d);
            if (quad.size() == 4 && quad[0].x == 398 && quad[0].y == 298)
                shown += std::to_string(int(quad[0].u * 256 / 4 + 0.5f));
        }
        shown += "]";
        uitest::gNow += 100;
        EventPass();
    }
    EXPECT_EQ(shown, "[1][2][3][3][]") << "three entries, the last drawn once more, centred on (400, 300)";
    EXPECT_FALSE(TRenderer::Get()->IsIn2d());

    // The track's end, the group's end, then the close.
    EventPass(3);
    EXPECT_EQ(AnimWindowOnStage(), nullptr);
    NextEvent();
    EXPECT_TRUE(weakGroup.expired()) << "the deleted window let go of the group";
}

TEST_F(MultiAnimTest, TheWindowDrawsInAPassOfItsOwnAndStopsItsAnimationWhenDestroyed)
{
    auto running = Probe("running"), stopped = Probe("stopped");
    running->Start();
    auto* first = KAnim::AnimWindow::Create(*running);
    auto* second = KAnim::AnimWindow::Create(*stopped);
    ASSERT_TRUE(first && second);

    TRenderer& renderer = *TRenderer::Get();
    ASSERT_TRUE(renderer.BeginDraw(false));
    first->Draw();
    EXPECT_FALSE(renderer.IsIn2d()) << "it closes the pass it opened";
    ASSERT_TRUE(renderer.Begin2d());
    first->Draw();
    EXPECT_TRUE(renderer.IsIn2d()) << "and leaves an open one open";
    renderer.End2d();
    renderer.EndDraw(false);

    delete first;
    delete second;
    EXPECT_EQ(gTrace, (Trace{"start:running", "draw:running", "draw:running", "stop:running"}));
    EXPECT_TRUE(running->GetEvent()->IsFinished());
    EXPECT_EQ(stopped->stopCalls, 1) << "a stopped animation is asked again, harmlessly";
    EXPECT_EQ(running.use_count(), 1);
}

} // namespace
