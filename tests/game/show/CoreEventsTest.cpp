// Waits, dummies and wrappers, and the names every event class carries.
#include <gtest/gtest.h>

#include "EventTestSupport.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/StageEvents.h"
#include "game/show/event/WindowEvents.h"

namespace {

using namespace eventtest;
using Strings = std::vector<std::string>;

class CoreEvents : public EventFixture {};

TEST_F(CoreEvents, WaitFinishesInTheFirstPassStrictlyPastItsDuration)
{
    struct Case {
        uint32_t duration;
        std::vector<uint32_t> steps; // milliseconds moved before each pass
        int finishPass;              // 0: not finished after the steps
    };
    const Case cases[] = {
        {0, {0, 0, 1}, 3},    // never in its start, even with no duration
        {0, {0, 1}, 2},
        {100, {0, 50, 50, 1}, 4},  // exactly 100 ms is not enough
        {100, {0, 5000}, 2},
        {1000, {0, 999, 1}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.duration << " ms");
        FreshManager();
        auto wait = KEvent::MakeWaitTime(c.duration);
        int finished = 0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            gNow += c.steps[i];
            Pass();
            if (!finished && wait->IsFinished())
                finished = int(i) + 1;
        }
        EXPECT_EQ(finished, c.finishPass);
    }
}

TEST_F(CoreEvents, DummyFinishesInItsStartPass)
{
    auto dummy = KEvent::MakeDummy();
    auto after = dummy->Then(Instant("after"));
    Pass();
    EXPECT_TRUE(dummy->IsStarted());
    EXPECT_TRUE(dummy->IsFinished());
    Pass();
    EXPECT_EQ(Only("start"), Strings{"2:after"});
}

TEST_F(CoreEvents, WrapperStandsForTheWholeChain)
{
    auto gate = Manual("gate");
    auto a = Instant("a");
    auto c = a->Then(Instant("b"))->Then(Instant("c"));
    auto wrapper = KEvent::MakeWrapper(a, c);
    gate->Then(wrapper); // delays the chain's first event, not the wrapper itself
    EXPECT_EQ(wrapper->GetPrerequisites().size(), 1u);
    EXPECT_EQ(a->GetPrerequisites().size(), 1u);
    wrapper->Then(Instant("after"));

    Pass(2);
    gate->Finish();
    Pass(3);
    EXPECT_FALSE(wrapper->IsStarted()) << "c was not pruned yet";
    Pass();
    EXPECT_TRUE(wrapper->IsFinished());
    Pass();
    EXPECT_EQ(Only("start"), (Strings{"1:gate", "3:a", "4:b", "5:c", "7:after"}));

    // Around a single event: waits for it.
    auto single = Instant("single");
    auto around = KEvent::MakeWrapper(single, single);
    Pass();
    EXPECT_TRUE(single->IsFinished());
    EXPECT_FALSE(around->IsStarted());
    Pass();
    EXPECT_TRUE(around->IsFinished());
}

TEST_F(CoreEvents, SkippingAWrapperSkipsItsChainBackwards)
{
    struct Case {
        const char* what;
        int length; // events in the chain; 1: first is last
        Strings skips;
    };
    const Case cases[] = {
        {"three events: from the last back to the first, then the first once more", 3,
         {"0:a", "0:b", "0:c", "0:a"}},
        {"one event: skipped twice", 1, {"0:a", "0:a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshManager();
        gTrace.clear();
        auto outside = Manual("outside");
        auto first = Manual("a");
        outside->Then(first);
        std::shared_ptr<KEvent::Event> last = first;
        for (int i = 1; i < c.length; ++i)
            last = last->Then(std::shared_ptr<KEvent::Event>(Manual(std::string(1, char('a' + i)))));
        auto wrapper = KEvent::MakeWrapper(first, last);
        wrapper->Skip();
        EXPECT_EQ(Only("skip"), c.skips) << "the first event's own prerequisites are left alone";
        EXPECT_TRUE(wrapper->IsFinished());
        EXPECT_TRUE(last->IsFinished());
        EXPECT_FALSE(outside->IsFinished());
    }
}

TEST_F(CoreEvents, WrapperSkipVisitsEachEventOfAFanInOnce)
{
    // a -> b -> d and a -> c -> d: a is reached along two paths.
    auto a = Manual("a");
    auto d = Manual("d");
    a->Then(Manual("b"))->Then(d);
    a->Then(Manual("c"))->Then(d);
    auto wrapper = KEvent::MakeWrapper(a, d);
    wrapper->Skip();
    EXPECT_EQ(Only("skip"), (Strings{"0:a", "0:b", "0:c", "0:d", "0:a"}));
}

TEST_F(CoreEvents, WrapperWithoutEndsIsHarmless)
{
    auto wrapper = KEvent::MakeWrapper(nullptr, nullptr);
    wrapper->AddPrerequisite(Manual("gate"));
    wrapper->Skip();
    EXPECT_TRUE(wrapper->IsFinished());
    auto lone = KEvent::MakeWrapper(nullptr, nullptr);
    Pass();
    EXPECT_TRUE(lone->IsFinished()) << "nothing to wait for";
}

TEST_F(CoreEvents, EveryClassNamesItself)
{
    std::shared_ptr<KEvent::ConfettiControl> confetti;
    const std::pair<std::shared_ptr<KEvent::Event>, const char*> cases[] = {
        {Manual("fresh"), "fresh"},
        {KEvent::MakeDummy(), "Dummy Event"},
        {KEvent::MakeWaitTime(1500), "eWaitTime(1500)"},
        {KEvent::MakeShowWindow(nullptr, nullptr), "eShowWindow"},
        {KEvent::MakeCloseWindow(nullptr), "eCloseWindow"},
        {KEvent::MakePlaySound("sfx/ButtonPush.ogg", 1000), "ePlaySound (sfx/ButtonPush.ogg)"},
        {KEvent::MakeStopMusic(), "eStopMusic"},
        {KEvent::MakeAdvanceScript(), "Advance Script"},
        {KEvent::MakeUpdateMainScreens("x"), "e Update Mainscreens"},
        {KEvent::MakePodiumColor(0.5f, 1.0f, 90), "ePodiumColor(90)"},
        {KEvent::MakeStartConfetti(10, confetti), "e Start Confetti"},
        {KEvent::MakeStopConfetti(confetti), "e Stop Confetti"},
        {KEvent::MakeResetModelPos(), "eResetModelPositions"},
        {KEvent::MakeWrapper(nullptr, nullptr), "eWrapper"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.first->GetName().c_str(), c.second);
    struct Plain : KEvent::Event {};
    EXPECT_STREQ(KEvent::Create<Plain>()->GetName().c_str(), "<Unamed>");
}

} // namespace
