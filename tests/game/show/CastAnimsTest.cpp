// The cast's animation pickers: idles and talk drawn from the show's random
// source, the class writing and clapping as one event, PlayKidsAnim, and
// the show's model reset through the cast's link.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "CastEventFixture.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/ShowLinks.h"
#include "game/show/question/Question.h"

namespace {

using Quillory::KChild;
using Quillory::KChildManager;

using CastAnims = CastEventFixture;

// Every event given has finished (null ones are passed over).
bool AllFinished(const std::vector<std::shared_ptr<KEvent::Event>>& events)
{
    return std::all_of(events.begin(), events.end(), [](const auto& e) { return !e || e->IsFinished(); });
}

TEST_F(CastAnims, ClassmateIdleStandsForTheHelperAndSitsForTheOthers)
{
    KChildManager& cast = Cast();
    SetCurrent(cast.GetChild(2));
    std::set<std::string> seen;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        for (int32_t i = 0; i < 5; ++i) {
            MTRandom::Instance()->Seed(seed * 10 + uint32_t(i));
            MTRandom copy = Copy();
            const uint32_t variant = (copy.NextWord() & 1u) + 1;
            auto idle = Quillory::PlayClassmateIdle(i, 2);
            const std::string want = (i == 2 ? "StandIdle" : "SitIdle") + std::to_string(variant);
            EXPECT_EQ(Played(idle), want) << seed << " " << i;
            EXPECT_EQ(cast.GetChild(i)->GetCurrentAnim(), idle);
            EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), 2);
            EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << "one word a pick";
            seen.insert(want);
        }
    }
    EXPECT_EQ(seen, (std::set<std::string>{"SitIdle1", "SitIdle2", "StandIdle1", "StandIdle2"}));

    // No such classmate: a dummy, nothing drawn.
    for (int32_t missing : {-1, 5, 254}) {
        MTRandom copy = Copy();
        EXPECT_EQ(Played(Quillory::PlayClassmateIdle(missing, 2)), "dummy") << missing;
        EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << missing;
    }
    // The caller's priority decides: a stronger claim holds.
    auto sit = cast.GetChild(0)->PlayAnim(TString("Sit"), 1);
    EXPECT_EQ(Played(Quillory::PlayClassmateIdle(0, 2)), "dummy");
    EXPECT_EQ(cast.GetChild(0)->GetCurrentAnim(), sit);
}

TEST_F(CastAnims, HostIdleAndTalkPlayAtTheHostsMark)
{
    KChildManager& cast = Cast();
    Quillory::CVModel& host = *cast.GetHost();
    struct Case {
        uint32_t mark;
        const char* kind;
        std::shared_ptr<KEvent::Event> (*pick)(int32_t);
        int32_t priority;
    };
    const Case cases[] = {{2, "Idle", Quillory::PlayHostIdle, 2},
                          {3, "Idle", Quillory::PlayHostIdle, 2},
                          {1, "Talk", Quillory::PlayHostTalk, 2},
                          {2, "Talk", Quillory::PlayHostTalk, 0}};
    for (const Case& c : cases) {
        host.SetPosition(c.mark);
        std::set<std::string> seen;
        for (uint32_t seed = 1; seed <= 30; ++seed) {
            MTRandom::Instance()->Seed(seed);
            MTRandom copy = Copy();
            const std::string want =
                "Pos" + std::to_string(c.mark) + "_" + c.kind + std::to_string(copy.NextWord() % 3 + 1);
            auto anim = c.pick(c.priority);
            EXPECT_EQ(Played(anim), want) << seed;
            EXPECT_EQ(host.GetCurrentAnim(), anim);
            EXPECT_EQ(host.GetCurrentPriority(), c.priority);
            EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << "one word a pick";
            seen.insert(want);
        }
        EXPECT_EQ(seen.size(), 3u) << c.mark << c.kind;
    }
}

TEST_F(CastAnims, TheClassClapsAfterShortDelaysAndTheGroupEndsWithTheLastClap)
{
    KChildManager& cast = Cast();
    SetCurrent(cast.GetChild(1));
    // The delays: one word each, drawn classmate by classmate.
    MTRandom copy = Copy();
    uint32_t delay[5];
    for (uint32_t& d : delay)
        d = 20 + copy.NextWord() % 60;

    auto group = Quillory::MakeClassmatesClap();
    EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << "five words";
    std::vector<std::shared_ptr<KEvent::Event>> claps;
    for (int32_t i = 0; i < 5; ++i) {
        claps.push_back(cast.GetChild(i)->GetCurrentAnim());
        EXPECT_EQ(Played(claps.back()), i == 1 ? "StandClap" : "SitClap") << i;
        EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), 1) << i;
    }

    // Each clap starts a few passes after its delay (a pass for the group's
    // head, one for the wait to start, one after it ends); passes 1 ms apart.
    const uint32_t t0 = now;
    uint32_t started[5] = {};
    uint32_t allDone = 0;
    for (;;) {
        Pass();
        for (size_t i = 0; i < 5; ++i)
            if (!started[i] && claps[i]->IsStarted())
                started[i] = now;
        if (!allDone && AllFinished(claps))
            allDone = now;
        if (group->IsFinished() || now - t0 > 2000)
            break;
        now += 1;
    }
    ASSERT_TRUE(group->IsFinished());
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_GT(started[i] - t0, delay[i]) << i;
        EXPECT_LE(started[i] - t0, delay[i] + 4) << i;
    }
    ASSERT_NE(allDone, 0u);
    EXPECT_GT(now, allDone) << "the group ends after every clap";
    EXPECT_LE(now - allDone, 4u);
}

TEST_F(CastAnims, TheClassWritesAfterThinkingExceptTheHelper)
{
    KChildManager& cast = Cast();
    SetCurrent(cast.GetChild(3));
    auto held = cast.GetChild(3)->PlayAnim(TString("StandWrite"), 0);
    // The thinking times, replayed on the same draws.
    const MTRandom before = Copy();
    int32_t think[5] = {};
    for (int32_t i : {0, 1, 2, 4})
        think[i] = cast.GetChild(i)->GetThinkTime();
    const MTRandom after = Copy();
    *MTRandom::Instance() = before;

    auto group = Quillory::MakeClassmatesWrite();
    MTRandom expected = after;
    EXPECT_EQ(MTRandom::Instance()->NextWord(), expected.NextWord()) << "one draw a writer";
    EXPECT_EQ(cast.GetChild(3)->GetCurrentAnim(), held) << "the helper does not write";
    std::vector<std::shared_ptr<KEvent::Event>> writes(5);
    for (int32_t i : {0, 1, 2, 4}) {
        writes[size_t(i)] = cast.GetChild(i)->GetCurrentAnim();
        EXPECT_EQ(Played(writes[size_t(i)]), "SitWrite") << i;
        EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), 1) << i;
        EXPECT_GE(think[i], 1000) << i;
        EXPECT_LE(think[i], 4500) << i;
    }

    // Each write starts a few passes after its thinking time; passes 20 ms
    // apart.
    const uint32_t t0 = now;
    const uint32_t step = 20;
    uint32_t allDone = 0;
    for (;;) {
        Pass();
        for (int32_t i : {0, 1, 2, 4}) {
            const uint32_t gone = now - t0;
            if (gone < uint32_t(think[i])) {
                EXPECT_FALSE(writes[size_t(i)]->IsStarted()) << i << " at " << gone;
            }
            if (gone > uint32_t(think[i]) + 4 * step) {
                EXPECT_TRUE(writes[size_t(i)]->IsStarted()) << i << " at " << gone;
            }
        }
        if (!allDone && AllFinished(writes))
            allDone = now;
        if (group->IsFinished() || now - t0 > 10000)
            break;
        now += step;
    }
    ASSERT_TRUE(group->IsFinished());
    ASSERT_NE(allDone, 0u);
    EXPECT_GT(now, allDone) << "the group ends after every write";
    EXPECT_LE(now - allDone, 4 * step);
}

TEST_F(CastAnims, GroupsPassOverMissingClassmates)
{
    for (int classmates : {0, 3}) {
        SCOPED_TRACE(classmates);
        KChildManager& cast = Cast(classmates);
        for (auto make : {Quillory::MakeClassmatesWrite, Quillory::MakeClassmatesClap}) {
            auto group = make();
            for (int32_t i = 0; i < classmates; ++i)
                EXPECT_NE(Played(cast.GetChild(i)->GetCurrentAnim()), "null") << i;
            Run(2000);
            EXPECT_TRUE(group->IsFinished());
        }
        EXPECT_EQ(Manager().GetCount(), 0u);
        KChildManager::Destroy();
    }
}

// Who, the animation, what comes back and who moves.
TEST_F(CastAnims, PlayKidsAnimByNumber)
{
    struct Case {
        int32_t who;
        bool withHelper;
        const char* result;  // what comes back
        int32_t moved;       // the classmate that plays, -1 none, 255 the host
    };
    const Case cases[] = {
        {-1, true, "Stand", 2},   {-1, false, "dummy", -1}, {0, true, "Stand", 0},  {4, true, "Stand", 4},
        {2, true, "dummy", -1},   {2, false, "Stand", 2},   {255, true, "dummy", 255}, {5, true, "dummy", -1},
        {-2, true, "dummy", -1},  {256, true, "dummy", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.who) + (c.withHelper ? " with helper" : ""));
        KChildManager& cast = Cast();
        SetCurrent(c.withHelper ? cast.GetChild(2) : nullptr);
        cast.GetHost()->SetPosition(3);
        auto result = PlayKidsAnim(c.who, "Stand");
        EXPECT_EQ(Played(result), c.result);
        for (int32_t i : {0, 1, 2, 3, 4, 255}) {
            KChild& who = *cast.GetChild(i);
            if (i == c.moved) {
                EXPECT_EQ(Played(who.GetCurrentAnim()), i == 255 ? "Pos3_Stand" : "Stand") << i;
                EXPECT_EQ(who.GetCurrentPriority(), 1) << i;
            } else {
                EXPECT_EQ(who.GetCurrentAnim(), nullptr) << i;
            }
        }
        if (c.moved == 255) {
            Pass(2);
            EXPECT_TRUE(result->IsFinished()) << "does not wait for the host";
            EXPECT_FALSE(cast.GetHost()->GetCurrentAnim()->IsFinished());
        }
        KChildManager::Destroy();
        ShowController::Destroy();
    }
}

TEST_F(CastAnims, TheModelResetRunsThroughTheCastLink)
{
    EXPECT_EQ(KEvent::GetCastLink(), nullptr);
    std::vector<KQuestion::QMult> questions(10);
    struct Case {
        int played;
        bool random;
    };
    for (const Case c : {Case{0, false}, Case{1, false}, Case{2, true}, Case{9, true}, Case{10, false}}) {
        SCOPED_TRACE(c.played);
        KChildManager& cast = Cast();
        ASSERT_NE(KEvent::GetCastLink(), nullptr) << "registered while the cast lives";
        GameRecord& record = ShowController::Instance()->GetRecord();
        record.board.clear();
        for (int i = 0; i < 10; ++i) {
            questions[size_t(i)].used = i < c.played;
            record.board.push_back(&questions[size_t(i)]);
        }
        SetCurrent(cast.GetChild(1));
        cast.GetHost()->SetPosition(3);
        MTRandom copy = Copy();
        const uint32_t mark = c.random ? copy.NextWord() % 3 + 1 : 1;

        auto reset = KEvent::MakeResetModelPos();
        Pass();
        EXPECT_TRUE(reset->IsFinished());
        EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << "a word only for a random mark";
        EXPECT_EQ(cast.GetHost()->GetPosition(), mark);
        EXPECT_EQ(Played(cast.GetHost()->GetCurrentAnim()), "Pos" + std::to_string(mark) + "_Stand");
        EXPECT_EQ(cast.GetHost()->GetCurrentPriority(), 1);
        for (int32_t i = 0; i < 5; ++i) {
            EXPECT_EQ(Played(cast.GetChild(i)->GetCurrentAnim()), i == 1 ? "Stand" : "Sit") << i;
            EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), 1) << i;
        }
        KChildManager::Destroy();
        EXPECT_EQ(KEvent::GetCastLink(), nullptr) << "gone with the cast";
        ShowController::Destroy();
    }

    // Without a show nothing has been played: the host goes to mark 1.
    KChildManager& cast = Cast();
    cast.GetHost()->SetPosition(2);
    EXPECT_EQ(KEvent::GetCastLink()->CountPlayed(), 0);
    KEvent::MakeResetModelPos();
    Pass();
    EXPECT_EQ(cast.GetHost()->GetPosition(), 1u);
    // Marks the host does not have are refused.
    for (int32_t bad : {0, -1, 4}) {
        KEvent::GetCastLink()->SetHostPosition(bad);
        EXPECT_EQ(cast.GetHost()->GetPosition(), 1u) << bad;
    }
    EXPECT_TRUE(LogHas("Host: no mark -1"));
    EXPECT_TRUE(LogHas("Host: no mark 4"));
}

} // namespace
