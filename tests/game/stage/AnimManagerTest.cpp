// The animation manager's passes and deferred removal, and the animation
// event that ties an animation into event chains.
#include "AnimTestSupport.h"

#include "game/show/event/CoreEvents.h"
#include "game/stage/anim/AnimWindow.h"

namespace {

using animtest::gTrace;
using animtest::Probe;
using Trace = std::vector<std::string>;

class AnimManagerTest : public animtest::AnimFixture {};

TEST_F(AnimManagerTest, UpdatePicksTheDrawPassOnlyInsideAFrame)
{
    auto a = Probe("a");
    Anims().Add(a);
    EventPass();
    DrawPass();
    EXPECT_EQ(gTrace, (Trace{"start:a", "update:a", "draw:a"})) << "its event started it in the event pass";
    EXPECT_TRUE(Anims().Update()) << "the manager never ends as a task";
}

TEST_F(AnimManagerTest, DeferredRemovalCases)
{
    struct Case {
        const char* what;
        std::function<void(KAnim::AnimManager&, const std::shared_ptr<animtest::ProbeAnim>&)> setUp;
        Trace trace; // over one draw pass
        int stopCalls;
        size_t left;
    };
    const Case cases[] = {
        {"added twice: drawn twice",
         [](auto& m, auto& a) { m.Add(a), m.Add(a); },
         {"draw:a", "draw:a"}, 0, 2},
        {"added twice, removed once: both entries go, one Stop each",
         [](auto& m, auto& a) { m.Add(a), m.Add(a), m.Remove(a); },
         {}, 2, 0},
        {"removed then added before the purge: both go",
         [](auto& m, auto& a) { m.Add(a), m.Remove(a), m.Add(a); },
         {}, 2, 0},
        {"removed without being registered: nothing",
         [](auto& m, auto& a) { m.Remove(a); },
         {}, 0, 0},
        {"a null animation is ignored",
         [](auto& m, auto&) { m.Add(nullptr), m.Remove(nullptr); },
         {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KAnim::AnimManager::Destroy();
        auto a = Probe("a");
        c.setUp(Anims(), a);
        DrawPass();
        EXPECT_EQ(gTrace, c.trace);
        EXPECT_EQ(a->stopCalls, c.stopCalls);
        EXPECT_EQ(Anims().GetCount(), c.left);
        gTrace.clear();
    }
}

TEST_F(AnimManagerTest, AnAnimationStoppingInItsDrawIsDrawnOnceAndGoneAfterThePass)
{
    auto a = Probe("a", 1), b = Probe("b");
    Anims().Add(a);
    Anims().Add(b);
    a->Start();
    DrawPass();
    EXPECT_EQ(gTrace, (Trace{"start:a", "draw:a", "stop:a", "draw:b"})) << "the entries after it are still drawn";
    EXPECT_EQ(Anims().CountOf(a.get()), 0u);
    EXPECT_EQ(Anims().GetCount(), 1u);
    gTrace.clear();
    DrawPass();
    EXPECT_EQ(gTrace, (Trace{"draw:b"}));
}

TEST_F(AnimManagerTest, AnimationsAddedOrRemovedDuringAPass)
{
    auto a = Probe("a"), b = Probe("b"), c = Probe("c");
    std::weak_ptr<animtest::ProbeAnim> weakC = c;
    // a adds b and removes c during the pass; c is released by the test, so
    // only the manager keeps it alive while the pass runs.
    a->onDraw = [&] {
        if (Anims().CountOf(b.get()) == 0)
            Anims().Add(b);
        Anims().Remove(weakC.lock());
    };
    Anims().Add(a);
    Anims().Add(c);
    c->Start();
    c.reset();
    DrawPass();
    EXPECT_EQ(gTrace, (Trace{"start:c", "draw:a", "draw:c", "draw:b", "stop:c"}))
        << "a removal waits for the purge; an addition is called in the same pass";
    EXPECT_TRUE(weakC.expired()) << "the purge let go of c";
    EXPECT_EQ(Anims().GetCount(), 2u);
}

TEST_F(AnimManagerTest, DestroyingTheManagerStopsEachAnimationOnceAndFinishesItsEvent)
{
    auto a = Probe("a"), b = Probe("b");
    Anims().Add(a);
    Anims().Add(b);
    EventPass(); // the events start their animations
    ASSERT_TRUE(a->running && b->running);
    gTrace.clear();
    KAnim::AnimManager::Destroy();
    EXPECT_EQ(gTrace, (Trace{"stop:a", "stop:b"}));
    EXPECT_TRUE(a->GetEvent()->IsFinished());
    EXPECT_TRUE(b->GetEvent()->IsFinished());
    EXPECT_EQ(KAnim::AnimManager::Existing(), nullptr);
}

TEST_F(AnimManagerTest, TheEventStartsItsAnimationAndFinishesItTwiceWithoutHarm)
{
    // One animation ends by itself, the other is skipped from outside; each
    // event's dependents start once.
    auto selfEnding = Probe("self", 1), skipped = Probe("skipped");
    Anims().Add(selfEnding);
    Anims().Add(skipped);
    auto afterSelf = eventtest::Instant("after-self");
    auto afterSkipped = eventtest::Instant("after-skipped");
    selfEnding->GetEvent()->Then(afterSelf);
    skipped->GetEvent()->Then(afterSkipped);
    EXPECT_STREQ(selfEnding->GetEvent()->GetName().c_str(), "eAnimBase");

    EventPass();
    EXPECT_TRUE(selfEnding->running && skipped->running);
    DrawPass(); // self stops in its draw
    skipped->GetEvent()->Skip();
    EXPECT_FALSE(skipped->running) << "finishing the event stops the animation";
    EventPass(3);
    EXPECT_EQ(eventtest::Only("start"), (Trace{"0:after-self", "0:after-skipped"}));
    EXPECT_EQ(std::count(gTrace.begin(), gTrace.end(), "stop:self"), 1);
    EXPECT_EQ(std::count(gTrace.begin(), gTrace.end(), "stop:skipped"), 1);
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
    EXPECT_EQ(Anims().GetCount(), 0u);
}

TEST_F(AnimManagerTest, AnEventWhoseAnimationIsGoneRunsLikeAPlainEvent)
{
    std::shared_ptr<KEvent::Event> event;
    {
        auto a = Probe("a");
        event = a->GetEvent();
    }
    auto after = eventtest::Instant("after");
    event->Then(after);
    EventPass();
    EXPECT_TRUE(event->IsStarted());
    event->Finish();
    EventPass();
    EXPECT_TRUE(after->IsFinished());
    EXPECT_TRUE(gTrace.empty()) << "nothing was called on the gone animation";
}

TEST_F(AnimManagerTest, SelfPointerOfAnUnownedAnimationIsEmptyNotAnException)
{
    animtest::ProbeAnim loose("loose");
    EXPECT_EQ(loose.GetSelf(), nullptr);
    EXPECT_EQ(KAnim::AnimWindow::Create(loose), nullptr);
    EXPECT_TRUE(mLog.Has("no shared pointer owns"));

    auto owned = Probe("owned");
    EXPECT_EQ(owned->GetSelf(), owned);
    EXPECT_EQ(owned.use_count(), 1) << "the self pointer does not keep it alive";
}

} // namespace
