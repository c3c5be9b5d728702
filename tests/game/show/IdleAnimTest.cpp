// The idle controller: its loops pick a character at a time and pause, end
// when stopped, and never multiply when stopped and started again.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <string>

#include "CastEventFixture.h"
#include "game/show/cast/IdleAnimController.h"

namespace {

using Quillory::IdleAnimController;
using Quillory::KChildManager;

class IdleAnim : public CastEventFixture {
protected:
    // Watches the six characters' current animations pass by pass; a new
    // one is a pick.
    struct Watch {
        std::array<int32_t, 6> ids{};
        int picks = 0;
        std::set<std::string> names[6];
    };
    void Look(Watch& watch)
    {
        KChildManager& cast = *KChildManager::Existing();
        for (int32_t i = 0; i < 6; ++i) {
            const auto& anim = cast.GetChild(i < 5 ? i : KChildManager::kHost)->GetCurrentAnim();
            const int32_t id = anim ? anim->GetId() : 0;
            if (id != watch.ids[size_t(i)]) {
                watch.ids[size_t(i)] = id;
                ++watch.picks;
                watch.names[i].insert(Played(anim));
            }
        }
    }
    // Runs ms of fake time in 50 ms passes; the picks seen.
    int Watched(Watch& watch, uint32_t ms)
    {
        const int before = watch.picks;
        for (uint32_t gone = 0; gone < ms; gone += 50) {
            now += 50;
            Pass();
            Look(watch);
        }
        return watch.picks - before;
    }
    // A fresh random source's first pause for that seed.
    static double FirstPauseDrawn(uint32_t seed)
    {
        MTRandom random;
        random.Seed(seed);
        return random.Range(4000.0, 2000.0);
    }
    static uint32_t SeedWhere(bool (*fits)(double))
    {
        for (uint32_t seed = 1; seed < 100000; ++seed)
            if (fits(FirstPauseDrawn(seed)))
                return seed;
        ADD_FAILURE() << "no such seed";
        return 0;
    }
};

TEST_F(IdleAnim, AStepOfAStoppedControllerPlaysAndLinksNothing)
{
    KChildManager& cast = Cast();
    for (const char* state : {"no controller", "never started", "stopped"}) {
        SCOPED_TRACE(state);
        if (std::string(state) != "no controller")
            IdleAnimController::Instance();
        if (std::string(state) == "stopped") {
            IdleAnimController::Instance()->Start();
            IdleAnimController::Instance()->Stop();
            Manager().SkipAll();
        }
        MTRandom copy = Copy();
        auto step = Quillory::MakePlayIdleAnim();
        EXPECT_EQ(step->GetName(), "ePlayIdleAnim");
        Pass();
        EXPECT_TRUE(step->IsFinished());
        for (int32_t i : {0, 1, 2, 3, 4, 255})
            EXPECT_EQ(cast.GetChild(i)->GetCurrentAnim(), nullptr) << i;
        EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << "nothing drawn";
        Pass(2);
        EXPECT_EQ(Manager().GetCount(), 0u) << "nothing linked";
    }
}

TEST_F(IdleAnim, ThePauseIsHeldBetween100And8000Milliseconds)
{
    const struct {
        const char* what;
        bool (*fits)(double);
    } cases[] = {
        {"below 100", [](double t) { return t < 100.0; }},
        {"above 8000", [](double t) { return t > 8000.0; }},
        {"between", [](double t) { return t > 100.0 && t < 8000.0 && t != std::floor(t); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t seed = SeedWhere(c.fits);
        const double drawn = FirstPauseDrawn(seed);
        const uint32_t want = drawn < 100.0 ? 100u : drawn > 8000.0 ? 8000u : uint32_t(drawn);
        MTRandom::Destroy();
        MTRandom::Instance()->Seed(seed);
        EXPECT_EQ(IdleAnimController::DrawPause(), want) << drawn;
    }
}

TEST_F(IdleAnim, StartBeginsOneLoopAtOnceAndStartingAgainDoesNothing)
{
    Cast();
    IdleAnimController& idle = *IdleAnimController::Instance();
    EXPECT_FALSE(idle.IsEnabled());
    idle.Start();
    EXPECT_TRUE(idle.IsEnabled());
    EXPECT_EQ(idle.GetGeneration(), 1u);

    const int32_t nextId = KEvent::Event::PeekNextId();
    MTRandom copy = Copy();
    idle.Start();
    EXPECT_EQ(KEvent::Event::PeekNextId(), nextId) << "no event made";
    EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << "nothing drawn";
    EXPECT_EQ(idle.GetGeneration(), 1u);

    Watch watch;
    Pass();
    Look(watch);
    EXPECT_EQ(watch.picks, 1) << "the first loop picks in the first pass, the second one pause later";
}

TEST_F(IdleAnim, TwoLoopsPickEveryoneUntilStopped)
{
    KChildManager& cast = Cast();
    SetCurrent(cast.GetChild(2));
    IdleAnimController& idle = *IdleAnimController::Instance();
    idle.Start();
    Watch watch;
    // Two loops of an idle (at most 0.42 s) and a pause (4 s on average).
    const int picks = Watched(watch, 300000);
    EXPECT_GT(picks, 100);
    EXPECT_LT(picks, 180);
    for (int i = 0; i < 5; ++i) {
        const std::string pose = i == 2 ? "StandIdle" : "SitIdle";
        EXPECT_EQ(watch.names[i], (std::set<std::string>{pose + "1", pose + "2"})) << i;
    }
    EXPECT_EQ(watch.names[5], (std::set<std::string>{"Pos1_Idle1", "Pos1_Idle2", "Pos1_Idle3"}));
    for (int32_t i : {0, 1, 2, 3, 4, 255})
        EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), 2) << i;

    // Stopped: each loop ends at its next pick, at most one idle and one
    // pause away; the running idles play out.
    idle.Stop();
    Watched(watch, 9000);
    EXPECT_EQ(Watched(watch, 20000), 0);
    EXPECT_EQ(Manager().GetCount(), 0u);

    // And started again.
    idle.Start();
    EXPECT_GT(Watched(watch, 60000), 10);
}

// Stopping and starting again while the old loops wait for their next
// pick leaves two loops, not four or more.
TEST_F(IdleAnim, StopAndStartWithinAPauseKeepTwoLoops)
{
    for (int restarts : {1, 5}) {
        SCOPED_TRACE(restarts);
        Cast();
        IdleAnimController& idle = *IdleAnimController::Instance();
        idle.Start();
        Watch watch;
        Watched(watch, 1000);
        for (int i = 0; i < restarts; ++i) {
            idle.Stop();
            idle.Start();
            Watched(watch, 50);
        }
        const int picks = Watched(watch, 300000);
        EXPECT_GT(picks, 100);
        EXPECT_LT(picks, 180) << "more than two loops";

        idle.Stop();
        Watched(watch, 9000);
        EXPECT_EQ(Watched(watch, 20000), 0);
        EXPECT_EQ(Manager().GetCount(), 0u) << "every loop has ended";
        ResetSingletons();
    }
}

} // namespace
