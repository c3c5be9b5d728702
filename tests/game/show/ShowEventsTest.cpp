// The events that reach the show, the cast, the pedestal lights and the
// confetti, against fakes of those parts.
#include <gtest/gtest.h>

#include <cmath>

#include "EventFakes.h"
#include "EventTestSupport.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/StageEvents.h"

namespace {

using namespace eventtest;
using eventtest::FakeQuestion;
using eventtest::FakeShow;
using Strings = std::vector<std::string>;

struct FakeCast : KEvent::CastLink {
    Strings calls;
    int32_t played = 0;
    uint32_t word = 0;
    int draws = 0;
    std::shared_ptr<KEvent::Event> PlayKidsAnim(int32_t who, const char* animation) override
    {
        calls.push_back(std::to_string(who) + " " + animation);
        return KEvent::MakeDummy();
    }
    int32_t CountPlayed() override { return played; }
    uint32_t NextRandomWord() override
    {
        ++draws;
        return word;
    }
    void SetHostPosition(int32_t position) override { calls.push_back("host at " + std::to_string(position)); }
    void PlayHostStand() override { calls.push_back("host Stand"); }
};

struct FakeLights : KEvent::PodiumLights {
    float hue = 0.0f, saturation = 0.0f;
    std::vector<std::pair<float, float>> sets;
    void ReadPodiumColor(float& h, float& s) override
    {
        h = hue;
        s = saturation;
    }
    void SetPodiumLight(float h, float s) override
    {
        hue = h;
        saturation = s;
        sets.emplace_back(h, s);
    }
};

struct FakeConfetti : KEvent::ConfettiControl {
    Strings* calls;
    explicit FakeConfetti(Strings* c) : calls(c) {}
    void Start() override { calls->push_back("start"); }
    void StopRespawn() override { calls->push_back("stop respawn"); }
};

class ShowEvents : public EventFixture {};

TEST_F(ShowEvents, AdvanceRunsOneShowStepAndFinishesInItsStartPass)
{
    FakeShow show;
    KEvent::SetShowLink(&show);
    // Each step queues the next advance after a dummy, as the show does.
    int steps = 0;
    show.onStep = [&steps] {
        if (++steps < 3)
            KEvent::MakeDummy()->Then(KEvent::MakeAdvanceScript());
    };
    auto advance = KEvent::MakeAdvanceScript();
    Pass();
    EXPECT_TRUE(advance->IsFinished());
    EXPECT_EQ(steps, 1);
    Pass(10);
    EXPECT_EQ(steps, 3) << "two more steps, each two passes after the one before";
    EXPECT_EQ(Manager().GetCount(), 0u);

    KEvent::SetShowLink(nullptr);
    auto alone = KEvent::MakeAdvanceScript();
    Pass();
    EXPECT_TRUE(alone->IsFinished()) << "with no show it only finishes";
}

TEST_F(ShowEvents, StopMusicSkipsTheCurrentMusicEvent)
{
    auto stop = KEvent::MakeStopMusic();
    Pass();
    EXPECT_TRUE(stop->IsFinished()) << "no show";

    FakeShow show;
    KEvent::SetShowLink(&show);
    auto again = KEvent::MakeStopMusic();
    Pass();
    EXPECT_TRUE(again->IsFinished()) << "no music";

    auto music = Manual("music");
    show.music = music;
    KEvent::MakeStopMusic();
    Pass();
    EXPECT_EQ(Only("skip"), Strings{"3:music"});
    EXPECT_TRUE(music->IsFinished());
}

TEST_F(ShowEvents, MainScreensShowTheTextOrTheQuestion)
{
    FakeShow show;
    FakeQuestion question;
    auto unseen = KEvent::MakeUpdateMainScreens("nobody sees this");
    Pass();
    EXPECT_TRUE(unseen->IsFinished());
    KEvent::SetShowLink(&show);
    KEvent::MakeUpdateMainScreens("Grade 3")->Then(KEvent::MakeUpdateMainScreens(&question));
    Pass(2);
    EXPECT_EQ(show.calls, (Strings{"chalk Grade 3", "screens question What is 2 + 2?"}));
}

TEST_F(ShowEvents, ResetPutsEveryoneBackAndPlacesTheHost)
{
    struct Case {
        int32_t played;
        uint32_t word;
        int32_t position;
        int draws;
    };
    const Case cases[] = {
        {0, 7, 1, 0}, {1, 7, 1, 0}, {2, 7, 2, 1}, {5, 3, 1, 1}, {9, 5, 3, 1}, {10, 5, 1, 0}, {-1, 5, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.played << " played");
        FreshManager();
        FakeCast cast;
        cast.played = c.played;
        cast.word = c.word;
        KEvent::SetCastLink(&cast);
        auto reset = KEvent::MakeResetModelPos();
        Pass();
        EXPECT_TRUE(reset->IsFinished());
        EXPECT_EQ(cast.calls, (Strings{"-1 Stand", "0 Sit", "1 Sit", "2 Sit", "3 Sit", "4 Sit",
                                       "host at " + std::to_string(c.position), "host Stand"}));
        EXPECT_EQ(cast.draws, c.draws);
    }
    KEvent::SetCastLink(nullptr);
    auto alone = KEvent::MakeResetModelPos();
    Pass();
    EXPECT_TRUE(alone->IsFinished());
}

TEST_F(ShowEvents, PodiumFadeMovesHueAndSaturationLinearly)
{
    using Colors = std::vector<std::pair<float, float>>;
    struct Case {
        const char* what;
        float fromHue, fromSaturation;
        float hue, saturation;
        int32_t duration;
        std::vector<uint32_t> steps; // ms before each pass
        Colors sets;
        int finishPass;
    };
    const Case cases[] = {
        {"a 90 ms fade: the target is set in the pass that finishes it", 0.5f, 0.2f, 0.25f, 1.0f, 90, {0, 45, 45, 1},
         {{0.5f, 0.2f}, {0.375f, 0.6f}, {0.25f, 1.0f}, {0.25f, 1.0f}}, 4},
        {"already at the target: unchanged until the duration has passed", 0.33f, 1.0f, 0.33f, 1.0f, 100,
         {0, 60, 60}, {{0.33f, 1.0f}, {0.33f, 1.0f}, {0.33f, 1.0f}}, 3},
        {"no duration: the target at once", 0.1f, 0.1f, 0.9f, 0.5f, 0, {0, 10}, {{0.9f, 0.5f}}, 1},
        {"a negative duration counts as none", 0.1f, 0.1f, 0.9f, 0.5f, -40, {0, 10}, {{0.9f, 0.5f}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshManager();
        FakeLights lights;
        lights.hue = c.fromHue;
        lights.saturation = c.fromSaturation;
        KEvent::SetPodiumLights(&lights);
        auto fade = KEvent::MakePodiumColor(c.hue, c.saturation, c.duration);
        int finished = 0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            gNow += c.steps[i];
            Pass();
            if (!finished && fade->IsFinished())
                finished = int(i) + 1;
        }
        EXPECT_EQ(finished, c.finishPass);
        ASSERT_EQ(lights.sets.size(), c.sets.size());
        for (size_t i = 0; i < c.sets.size(); ++i) {
            EXPECT_NEAR(lights.sets[i].first, c.sets[i].first, 1e-6) << i;
            EXPECT_NEAR(lights.sets[i].second, c.sets[i].second, 1e-6) << i;
            EXPECT_FALSE(std::isnan(lights.sets[i].first));
        }
    }
    KEvent::SetPodiumLights(nullptr);
    auto dark = KEvent::MakePodiumColor(0.5f, 0.5f, 1000);
    Pass();
    EXPECT_TRUE(dark->IsFinished()) << "no lights: nothing to fade";
}

TEST_F(ShowEvents, ConfettiStartsAndRunsOut)
{
    Strings calls;
    std::vector<uint16_t> counts;
    KEvent::SetConfettiFactory([&](uint16_t count) {
        counts.push_back(count);
        return std::make_shared<FakeConfetti>(&calls);
    });
    std::shared_ptr<KEvent::ConfettiControl> emitter;
    auto start = KEvent::MakeStartConfetti(1600, emitter);
    ASSERT_NE(emitter, nullptr) << "handed back for the stop event";
    EXPECT_EQ(counts, std::vector<uint16_t>{1600});
    EXPECT_TRUE(calls.empty()) << "made at once, started in its turn";
    start->Then(KEvent::MakeWaitTime(25000))->Then(KEvent::MakeStopConfetti(emitter));
    Pass(2);
    EXPECT_EQ(calls, Strings{"start"});
    gNow += 25001;
    Pass(3);
    EXPECT_EQ(calls, (Strings{"start", "stop respawn"}));

    KEvent::SetConfettiFactory(nullptr);
    std::shared_ptr<KEvent::ConfettiControl> none;
    auto noStart = KEvent::MakeStartConfetti(10, none);
    auto noStop = KEvent::MakeStopConfetti(none);
    Pass();
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(noStart->IsFinished());
    EXPECT_TRUE(noStop->IsFinished());
}

} // namespace
