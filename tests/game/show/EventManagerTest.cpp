// The event engine's pass semantics, checked as traces: which event started
// and finished in which pass.
#include <gtest/gtest.h>

#include "EventTestSupport.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventTrigger.h"
#include "platform/TaskList.h"

namespace {

using namespace eventtest;
using KEvent::EventManager;
using Strings = std::vector<std::string>;

class EventEngine : public EventFixture {};

TEST_F(EventEngine, PassSemantics)
{
    struct Case {
        const char* what;
        std::function<void()> run; // builds and runs the passes
        Strings starts;
        Strings finishes;
    };
    const Case cases[] = {
        {"a chain of four instant events takes four passes",
         [] {
             Instant("a")->Then(Instant("b"))->Then(Instant("c"))->Then(Instant("d"));
             Pass(5);
         },
         {"1:a", "2:b", "3:c", "4:d"},
         {"1:a", "2:b", "3:c", "4:d"}},
        {"a chain and a slow event joining (the example of docs/events.md)",
         [] {
             auto c = Instant("a")->Then(Instant("b"))->Then(Instant("c"));
             auto slow = AfterUpdates("slow", 2);
             auto w = Instant("w");
             c->Then(w);
             slow->Then(w);
             Pass(5);
         },
         {"1:a", "1:slow", "2:b", "3:c", "4:w"},
         {"1:a", "2:b", "3:slow", "3:c", "4:w"}},
        {"the first update comes the pass after the start",
         [] {
             AfterUpdates("a", 2)->Then(Instant("b"));
             Pass(5);
         },
         {"1:a", "4:b"},
         {"3:a", "4:b"}},
        {"several prerequisites: starts in the pass after the last is pruned, whatever order they end in",
         [] {
             auto w = Instant("w");
             AfterUpdates("slow", 3)->Then(w);
             Instant("quick")->Then(w);
             AfterUpdates("middle", 1)->Then(w);
             Pass(6);
         },
         {"1:slow", "1:quick", "1:middle", "5:w"},
         {"1:quick", "2:middle", "4:slow", "5:w"}},
        {"then on an event finished but not yet pruned: it is pruned and the dependent starts in the same pass",
         [] {
             auto a = Instant("a");
             Pass();
             a->Then(Instant("b"));
             Pass(2);
         },
         {"1:a", "2:b"},
         {"1:a", "2:b"}},
        {"then on an event already pruned: no wait",
         [] {
             auto a = Instant("a");
             Pass(2);
             auto b = a->Then(Instant("b"));
             EXPECT_TRUE(b->GetPrerequisites().empty());
             Pass();
         },
         {"1:a", "3:b"},
         {"1:a", "3:b"}},
        {"a prerequisite given to a pruned event registers it again; it starts again once that one is gone",
         [] {
             auto a = Instant("a");
             Pass(2);
             auto gate = Manual("gate");
             gate->Then(a);
             Pass(2);
             gate->Finish();
             Pass(2);
         },
         {"1:a", "3:gate", "5:a"},
         {"1:a", "4:gate", "5:a"}},
        {"skipped while pending: pruned at the next pass, never started",
         [] {
             auto gate = Manual("gate");
             auto b = gate->Then(Instant("b"));
             b->Skip();
             Pass(3);
         },
         {"1:gate"},
         {"0:b"}},
        {"an event built during a pass starts in the next one",
         [] {
             auto a = Instant("a");
             a->onStart = [] { Instant("built"); };
             Pass(3);
         },
         {"1:a", "2:built"},
         {"1:a", "2:built"}},
        {"an event finished while the finished ones are released is pruned in the next pass, not lost",
         [] {
             auto held = Manual("held");
             held->Then(Instant("after"));
             {
                 auto dying = Instant("dying");
                 std::weak_ptr<eTrace> weakHeld = held;
                 dying->onDestroy = [weakHeld] {
                     if (auto h = weakHeld.lock())
                         h->Finish();
                 };
             }
             Pass(4);
         },
         {"1:held", "1:dying", "3:after"},
         {"1:dying", "2:held", "3:after"}},
        {"SkipAll in a start: running events skipped, then pending ones (never started); the others collected in "
         "that pass still start",
         [] {
             auto running = Manual("running");
             auto pending = running->Then(Instant("pending"));
             Pass();
             auto ender = Instant("ender");
             auto late = Instant("late");
             ender->onStart = [] {
                 EventManager::Instance()->SkipAll();
                 Instant("next");
             };
             Pass(2);
         },
         // ender is already running when it skips everything (itself too);
         // late is still pending then: skipped, then started all the same.
         {"1:running", "2:ender", "2:late", "3:next"},
         {"2:running", "2:ender", "2:pending", "2:late", "2:ender", "2:late", "3:next"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshManager();
        gTrace.clear();
        gPass = 0;
        c.run();
        EXPECT_EQ(Only("start"), c.starts);
        EXPECT_EQ(Only("finish"), c.finishes);
    }
}

TEST_F(EventEngine, IdsFollowConstructionOrderAndAreNeverReused)
{
    const int32_t first = KEvent::Event::PeekNextId();
    auto a = Instant("a");
    auto b = Manual("b");
    auto c = KEvent::MakeDummy();
    EXPECT_EQ(a->GetId(), first);
    EXPECT_EQ(b->GetId(), first + 1);
    EXPECT_EQ(c->GetId(), first + 2);
    Pass(3);
    a.reset();
    EXPECT_EQ(Instant("d")->GetId(), first + 3);
}

TEST_F(EventEngine, TheManagerOwnsEventsUntilTheyArePruned)
{
    std::weak_ptr<eTrace> weak;
    {
        auto a = Instant("a");
        weak = a;
        EXPECT_EQ(a->GetName(), TString("a"));
        EXPECT_EQ(a->GetSharedPtr(), a);
    }
    EXPECT_FALSE(weak.expired()) << "held by the manager while pending";
    Pass();
    EXPECT_FALSE(weak.expired()) << "finished, not yet pruned";
    Pass();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(Manager().GetCount(), 0u);

    // A dependent keeps its prerequisite alive after the manager lets go.
    auto b = Instant("b");
    auto gate = Manual("gate");
    gate->Then(Instant("c"));
    b->Then(gate);
    std::weak_ptr<eTrace> weakB = b;
    b.reset();
    Pass(3);
    EXPECT_FALSE(weakB.expired());
    EXPECT_EQ(gate->GetPrerequisites().size(), 1u);
}

TEST_F(EventEngine, FinishingTwiceAndFinishingBeforeTheStart)
{
    auto a = Manual("a");
    auto b = a->Then(Instant("b"));
    Pass();
    a->Finish();
    a->Finish();
    Pass();
    EXPECT_FALSE(Manager().Contains(a));
    EXPECT_TRUE(b->IsStarted()) << "the second entry of a removes nothing else";
    EXPECT_EQ(Manager().GetCount(), 1u);

    auto early = Manual("early");
    early->Finish(); // before it ever started: pruned, never started
    Pass(2);
    EXPECT_FALSE(early->IsStarted());
    EXPECT_EQ(Manager().GetCount(), 0u);
}

TEST_F(EventEngine, SkipAllOnAnEmptyManagerAndWhatComesAfter)
{
    Manager().SkipAll();
    EXPECT_EQ(Manager().GetCount(), 0u);

    auto running = AfterUpdates("running", 5);
    auto pending = running->Then(Manual("pending"));
    Pass();
    Manager().SkipAll();
    EXPECT_EQ(Manager().GetCount(), 0u);
    EXPECT_EQ(Manager().GetRunningCount(), 0u);
    EXPECT_EQ(Manager().GetPendingCount(), 0u);
    EXPECT_EQ(Only("skip"), (Strings{"1:running", "1:pending"}));
    EXPECT_FALSE(pending->IsStarted());

    auto fresh = Instant("fresh");
    fresh->AddPrerequisite(running); // gone: no wait
    Pass();
    EXPECT_TRUE(fresh->IsStarted());
    EXPECT_EQ(Only("update").size(), 0u) << "skipped events get no more updates";
}

TEST_F(EventEngine, ChainOfKInstantEventsTakesKPassesForAnyK)
{
    for (int k : {1, 2, 10, 100}) {
        SCOPED_TRACE(k);
        FreshManager();
        std::shared_ptr<KEvent::Event> last = KEvent::MakeDummy();
        for (int i = 1; i < k; ++i)
            last = last->Then(std::shared_ptr<KEvent::Event>(KEvent::MakeDummy()));
        int passes = 0;
        while (!last->IsFinished() && passes < 1000) {
            Pass();
            ++passes;
        }
        EXPECT_EQ(passes, k);
        Pass();
        EXPECT_EQ(Manager().GetCount(), 0u);
    }
}

TEST_F(EventEngine, OnceDestroyedTheManagerIsNotMadeAgain)
{
    auto held = Manual("held");
    EventManager::Destroy();
    EXPECT_EQ(EventManager::Instance(), nullptr);
    EXPECT_EQ(EventManager::Instance(), nullptr);
    // What events still do without a manager: no crash, no registration.
    held->Finish();
    EXPECT_TRUE(held->IsFinished());
    auto late = KEvent::MakeDummy();
    late->AddPrerequisite(held);
    EXPECT_EQ(late->GetPrerequisites().size(), 1u);
    EXPECT_EQ(EventManager::Instance(), nullptr);
    EventManager::AllowRecreateForTests();
}

TEST_F(EventEngine, TriggerRunsAPassInIdleAndFramePassesThenTheAfterStep)
{
    TTaskList tasks;
    Strings order;
    KEvent::EventTrigger* trigger = KEvent::InstallEventTrigger(tasks, [&order] { order.push_back("after"); });
    ASSERT_TRUE(tasks.Contains(trigger));
    auto a = Instant("a");
    a->onStart = [&order] { order.push_back("events"); };
    Instant("x")->Then(Instant("y"))->Then(Instant("z"));

    tasks.RunAll(kPassIdle);
    EXPECT_EQ(order, (Strings{"events", "after"}));
    tasks.RunAll(kPassFrame);
    gNow += 1000;
    tasks.RunAll(kPassIdle);
    tasks.RunAll(kPassIdle); // no time passed: still ready
    EXPECT_EQ(order.size(), 5u);
    EXPECT_EQ(Manager().GetCount(), 0u) << "four passes ran the three-step chain and pruned it";
    EXPECT_TRUE(tasks.Contains(trigger)) << "never ends by itself";

    delete trigger;
    EXPECT_FALSE(tasks.Contains(trigger));
}

} // namespace
