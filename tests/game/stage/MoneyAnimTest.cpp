// The still animations and the money display: where every piece goes, and
// the order in which the display plays and ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "StageFixture.h"
#include "game/show/GameRecord.h"
#include "game/show/MoneyLadder.h"
#include "game/show/event/CoreEvents.h"
#include "game/stage/anim/AnimEvent.h"
#include "game/stage/anim/MoneyAnim.h"
#include "platform/StringTable.h"
#include "render/TextLayout.h"

using namespace KAnim;

namespace {

class MoneyAnimTest : public StageFixture {
protected:
    void SetUp() override
    {
        StageFixture::SetUp();
        FreshManagers();
        sheets["anim/blue_static"] = 16;
        sheets["anim/blue_static_long"] = 32;
        AddSheet("anim/money.xml", 30, 40, 30);
        AddSheet("anim/blue_fade.xml", 6, 20, 10);
        AddSheet("anim/blue_fade_long.xml", 6, 24, 10);
        AddSheet("anim/flare.xml", 3, 8, 8);
    }
    void TearDown() override
    {
        ReleaseMoneyDisplay();
        TearDownManagers();
        StageFixture::TearDown();
    }

    static std::string Describe(const AnimPtr& anim)
    {
        char text[160];
        if (auto* simple = dynamic_cast<SimpleAnim*>(anim.get())) {
            const TDrawParams& p = simple->GetDrawParams();
            const TAnimatedTextureRef& t = simple->GetTexture();
            std::snprintf(text, sizeof text, "%s \"%s\" %d@%g,%g",
                          t ? t->GetDescription().descriptionName.c_str() : "-",
                          simple->GetFrameList().GetText().c_str(), simple->GetFps(), p.transform(2, 0),
                          p.transform(2, 1));
        } else if (auto* image = dynamic_cast<StaticImageAnim*>(anim.get())) {
            const TDrawParams& p = image->GetDrawParams();
            const TTextureRef t = image->GetSprite() ? image->GetSprite()->GetTexture() : TTextureRef();
            std::snprintf(text, sizeof text, "%s@%g,%g", t ? t->GetData()->mFileName.c_str() : "-",
                          p.transform(2, 0), p.transform(2, 1));
        } else if (auto* label = dynamic_cast<StaticTextAnim*>(anim.get())) {
            const TRect& r = label->GetRect();
            std::snprintf(text, sizeof text, "text %d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
        } else {
            return "?";
        }
        return text;
    }

    // The display's pieces by track, read back through its event wiring:
    // the end waits for each track's end, which waits for the track's
    // start and its animations' events.
    static std::vector<std::vector<std::string>> Pieces(MultiAnim& display)
    {
        std::vector<std::vector<std::string>> tracks;
        for (const auto& trackEnd : display.GetEvent()->GetPrerequisites()) {
            if (trackEnd == display.GetStartEvent())
                continue;
            tracks.emplace_back();
            for (const auto& event : trackEnd->GetPrerequisites())
                if (auto* animEvent = dynamic_cast<eAnimBase*>(event.get()))
                    tracks.back().push_back(Describe(animEvent->GetAnim()));
        }
        return tracks;
    }
};

const std::vector<std::string> kCounter = {
    "anim/money.xml \"\" 20@0,0",
    "anim/money.xml \"28[10]\" 20@0,0",
};

// Fade and highlight of each lit step, by step.
const char* kSteps[12][2] = {
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,195", "anim/blue_static@66,205"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,176", "anim/blue_static@66,186"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,157", "anim/blue_static@66,167"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,138", "anim/blue_static@66,148"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,119", "anim/blue_static@66,129"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,98", "anim/blue_static@66,108"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,79", "anim/blue_static@66,89"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,60", "anim/blue_static@66,70"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,41", "anim/blue_static@66,51"},
    {"anim/blue_fade.xml \"1-4,5[6]\" 30@10,22", "anim/blue_static@66,32"},
    {"anim/blue_fade_long.xml \"1-4,5[6]\" 30@0,0", "anim/blue_static_long@68,11"},
    {"anim/blue_fade_long.xml \"1-4,5[6]\" 30@0,0", "anim/blue_static_long@68,11"},
};
const char* kFlares[12] = {
    "anim/flare.xml \"\" 30@28,193", "anim/flare.xml \"\" 30@28,174", "anim/flare.xml \"\" 30@28,155",
    "anim/flare.xml \"\" 30@28,136", "anim/flare.xml \"\" 30@28,117", "anim/flare.xml \"\" 30@28,96",
    "anim/flare.xml \"\" 30@28,77",  "anim/flare.xml \"\" 30@28,58",  "anim/flare.xml \"\" 30@28,39",
    "anim/flare.xml \"\" 30@28,20",  "anim/flare.xml \"\" 30@28,0",   "anim/flare.xml \"\" 30@28,0",
};
// Label boxes from the bottom: indexes 0 to 10, and 1 to 11 with honours
// (index 5 then sits in row 4 but keeps its own 2-pixel lift).
const std::vector<std::string> kLabels = {
    "text 10,185,122,225", "text 10,166,122,206", "text 10,147,122,187", "text 10,128,122,168",
    "text 10,109,122,149", "text 10,88,122,128",  "text 10,69,122,109",  "text 10,50,122,90",
    "text 10,31,122,71",   "text 10,12,122,52",   "text 0,1,137,23",
};
const std::vector<std::string> kHonoursLabels = {
    "text 10,185,122,225", "text 10,166,122,206", "text 10,147,122,187", "text 10,128,122,168",
    "text 10,107,122,147", "text 10,88,122,128",  "text 10,69,122,109",  "text 10,50,122,90",
    "text 10,31,122,71",   "text 10,12,122,52",   "text 0,1,137,23",
};

TEST_F(MoneyAnimTest, EveryPieceOfTheDisplayGoesToItsPlace)
{
    for (int32_t count : {0, 5, 12}) {
        for (bool honours : {false, true}) {
            std::shared_ptr<KEvent::Event> out;
            std::shared_ptr<KEvent::Event> end = MakeMoneyAnim(out, count, nullptr, nullptr, honours, nullptr);
            const std::shared_ptr<MultiAnim>& display = GetMoneyDisplay();
            ASSERT_TRUE(display);
            EXPECT_EQ(end, display->GetEvent());
            EXPECT_EQ(out, std::shared_ptr<KEvent::Event>(display->GetStartEvent())) << "no window, no show event";

            std::vector<std::string> steps, flares;
            for (int32_t k = 0; k < count; ++k) {
                steps.push_back(kSteps[k][0]);
                steps.push_back(kSteps[k][1]);
                flares.push_back(kFlares[k]);
            }
            const std::vector<std::vector<std::string>> expected = {
                kCounter, steps, honours ? kHonoursLabels : kLabels, flares};
            EXPECT_EQ(Pieces(*display), expected) << "count " << count << (honours ? " with honours" : "");
        }
    }
}

TEST_F(MoneyAnimTest, ACountOffTheLadderIsClampedWithALogLine)
{
    struct Case {
        int32_t count;
        size_t flares;
        const char* log;
    } cases[] = {
        {-3, 0, "Money display: -3 right answers is off the ladder; 0 is shown"},
        {13, 12, "Money display: 13 right answers is off the ladder; 12 is shown"},
    };
    for (const Case& c : cases) {
        std::shared_ptr<KEvent::Event> out;
        MakeMoneyAnim(out, c.count, nullptr, nullptr, false, nullptr);
        EXPECT_EQ(Pieces(*GetMoneyDisplay())[3].size(), c.flares);
        EXPECT_EQ(LogCount(c.log), 1);
    }
}

TEST_F(MoneyAnimTest, TheGameRecordStartsTheDisplayForItsRightAnswers)
{
    struct Case {
        int32_t correct;
        bool honours;
    };
    for (const Case& c : {Case{0, false}, Case{4, false}, Case{7, true}}) {
        GameRecord record;
        record.correctCount = c.correct;
        record.honours = c.honours;
        std::shared_ptr<KEvent::Event> start;
        const std::shared_ptr<KEvent::Event> end = record.StartMoneyAnim(start, nullptr);
        ASSERT_NE(GetMoneyDisplay(), nullptr);
        EXPECT_EQ(end, GetMoneyDisplay()->GetEvent());
        EXPECT_NE(start, nullptr);
        const auto pieces = Pieces(*GetMoneyDisplay());
        EXPECT_EQ(pieces[3].size(), size_t(c.correct)) << "a flare a step";
        EXPECT_EQ(pieces[2].front(), c.honours ? kHonoursLabels.front() : kLabels.front());
    }
}

// The display played frame by frame (50 ms a frame: a clock step, an event
// pass, a draw), noting when each of its events finishes.
class MoneyTimeline : public MoneyAnimTest {
protected:
    struct Watched {
        std::string name;
        std::shared_ptr<KEvent::Event> event;
        uint32_t finishedAt = 0;
    };
    std::vector<Watched> watched;
    uint32_t start = 0;

    void Watch(const std::string& name, const std::shared_ptr<KEvent::Event>& event)
    {
        watched.push_back({name, event, 0});
    }
    // Plays until every watched event has finished or limit ms have passed.
    void Play(MultiAnim& display, uint32_t limit)
    {
        start = now;
        while (now - start < limit) {
            now += 50;
            EventPass();
            DrawnBy([&] { display.Draw(); });
            bool all = true;
            for (Watched& w : watched) {
                if (!w.finishedAt && w.event->IsFinished())
                    w.finishedAt = now - start;
                all = all && w.finishedAt;
            }
            if (all)
                return;
        }
    }
    uint32_t At(const std::string& name) const
    {
        for (const Watched& w : watched)
            if (w.name == name)
                return w.finishedAt;
        return 0;
    }
    // The step and counter events, by piece, read from the display.
    void WatchPieces(MultiAnim& display)
    {
        int track = 0;
        for (const auto& trackEnd : display.GetEvent()->GetPrerequisites()) {
            if (trackEnd == display.GetStartEvent())
                continue;
            ++track;
            int n = 0;
            for (const auto& event : trackEnd->GetPrerequisites())
                if (dynamic_cast<eAnimBase*>(event.get()) && track != 3)
                    Watch("t" + std::to_string(track) + "." + std::to_string(n++), event);
            Watch("end" + std::to_string(track), trackEnd);
        }
        Watch("end", display.GetEvent());
    }
};

TEST_F(MoneyTimeline, StepsLightUpInTurnThenTheCounterHoldsTwoSecondsAndEverythingEnds)
{
    std::shared_ptr<KEvent::Event> after = KEvent::MakeDummy();
    std::shared_ptr<KEvent::Event> out;
    MakeMoneyAnim(out, 2, after, nullptr, false, nullptr);
    std::shared_ptr<MultiAnim> display = GetMoneyDisplay();
    WatchPieces(*display);
    Play(*display, 20000);

    // The counter's first pass: 30 frames at 20 a second; time starts at
    // its first drawn frame. Then the steps, each a fade of 10 entries at
    // 30 a second beside a flare of 3, the next step once both have ended.
    const uint32_t counter = At("t1.0");
    EXPECT_GE(counter, 1500u);
    EXPECT_LE(counter, 1700u);
    const uint32_t fade0 = At("t2.0"), highlight0 = At("t2.1"), fade1 = At("t2.2"), highlight1 = At("t2.3");
    const uint32_t flare0 = At("t4.0"), flare1 = At("t4.1");
    EXPECT_GT(flare0, counter);
    EXPECT_GT(fade0, flare0) << "a fade outlasts its flare";
    EXPECT_GE(fade0 - counter, 333u);
    EXPECT_LE(fade0 - counter, 700u) << "a few event passes, then 10 entries at 30 a second";
    EXPECT_GT(flare1, fade0) << "the next step starts when both pieces of the last have ended";
    EXPECT_GE(fade1 - fade0, 333u);
    EXPECT_LE(fade1 - fade0, 500u);
    // The counter holds 2 seconds after the last step, ends its 500 ms
    // pass, and takes the highlights and labels with it.
    const uint32_t hold = At("t1.1");
    EXPECT_GE(hold, fade1 + 2000);
    EXPECT_LE(hold, fade1 + 2000 + 600);
    EXPECT_GE(highlight0, hold);
    EXPECT_GE(highlight1, hold);
    EXPECT_LE(highlight1, hold + 100);
    for (const char* track : {"end1", "end2", "end3"})
        EXPECT_GE(At(track), hold) << track;
    // The flares' track ends with its last flare.
    EXPECT_GE(At("end4"), flare1);
    EXPECT_LT(At("end4"), hold);
    EXPECT_GT(At("end"), 0u) << "the display ended";
    EXPECT_LE(At("end"), hold + 200);
}

TEST_F(MoneyTimeline, CountZeroHoldsTheCounterUntilTwoSecondsAndTheHoldEventHavePassed)
{
    for (bool longHold : {false, true}) {
        std::shared_ptr<KEvent::Event> after = KEvent::MakeDummy();
        std::shared_ptr<KEvent::Event> hold = KEvent::MakeWaitTime(longHold ? 5000 : 100);
        after->Then(hold);
        std::shared_ptr<KEvent::Event> out;
        MakeMoneyAnim(out, 0, after, hold, true, nullptr);
        std::shared_ptr<MultiAnim> display = GetMoneyDisplay();
        watched.clear();
        WatchPieces(*display);
        Play(*display, 20000);
        const uint32_t counter = At("t1.0"), held = At("t1.1");
        EXPECT_GE(held, counter + (longHold ? 5000 - counter : 2000)) << longHold;
        EXPECT_LE(held, std::max(counter + 2000, 5000u) + 600) << longHold;
        EXPECT_GT(At("end"), 0u);
    }
}

TEST_F(MoneyAnimTest, ANewDisplayAsksTheOldOneToStopAndLeavesItsWindowAlone)
{
    std::shared_ptr<KEvent::Event> out;
    MakeMoneyAnim(out, 1, nullptr, nullptr, false, nullptr);
    std::shared_ptr<MultiAnim> first = GetMoneyDisplay();
    first->Start();
    MakeMoneyAnim(out, 1, nullptr, nullptr, false, nullptr);
    EXPECT_NE(GetMoneyDisplay(), first);
    EXPECT_FALSE(first->IsRunning()) << "a started display stops";
    EXPECT_TRUE(Pieces(*first)[0].empty() || first->GetTrackCount() == 0);

    // Never started: Stop does nothing, and its pieces stay.
    std::shared_ptr<MultiAnim> second = GetMoneyDisplay();
    MakeMoneyAnim(out, 1, nullptr, nullptr, false, nullptr);
    EXPECT_EQ(second->GetTrackCount(), 4u);
}

TEST_F(MoneyAnimTest, TheLadderLabelsInOurStringTableAreTheLadderAmounts)
{
    TStringTable table;
    RegisterAssetFile(TString("strings.xml"), TString(QUILLORY_SOURCE_DIR "/assets/strings.xml"));
    ASSERT_TRUE(table.Load(TString("strings.xml")));
    for (int32_t index = 0; index < kMoneyLadderSteps; ++index) {
        std::string amount = std::to_string(MoneyLadderAmount(index + 1));
        for (int pos = int(amount.size()) - 3; pos > 0; pos -= 3)
            amount.insert(size_t(pos), ",");
        TString text;
        table.GetString(text, TString(("money_ladder_" + std::to_string(index)).c_str()));
        EXPECT_EQ(std::string(text.c_str()), "$" + amount) << index;
    }
}

class StaticAnimTest : public MoneyAnimTest {};

TEST_F(StaticAnimTest, AStillAnimationShowsWhileItsOwnerRunsAndStopsUnseenAfter)
{
    enum Owner { kNone, kRunning, kFinished };
    struct Case {
        Owner owner;
        bool started;
        bool drawn, running;
    } cases[] = {
        {kRunning, false, false, false}, // not started: nothing
        {kRunning, true, true, true},
        {kNone, true, false, false},     // no owner: stops at once, unseen
        {kFinished, true, false, false}, // owner done: stops, unseen
    };
    for (const Case& c : cases) {
        std::shared_ptr<KEvent::Event> owner;
        if (c.owner != kNone)
            owner = KEvent::MakeDummy();
        if (c.owner == kFinished)
            owner->Finish();
        auto image = MakeStaticImageAnim(TString("anim/blue_static"), TDrawParams(TVec2(66, 205), 1, 1, 0), owner);
        auto text = MakeStaticTextAnim(TString("$1,000"), TRect(10, 185, 122, 225), owner);
        for (AnimBase* anim : {static_cast<AnimBase*>(image.get()), static_cast<AnimBase*>(text.get())}) {
            if (c.started)
                anim->Start();
            const size_t draws = DrawnBy([&] { anim->Draw(); });
            EXPECT_EQ(draws > 0, c.drawn) << c.owner << " " << c.started;
            EXPECT_EQ(anim->GetEvent()->IsFinished(), c.started && !c.running) << c.owner;
        }
        EXPECT_EQ(image->IsRunning(), c.running);
        EXPECT_EQ(text->IsRunning(), c.running);
    }
}

TEST_F(StaticAnimTest, TheImageIsCentredOnItsPositionAndTheTextLiesInItsBox)
{
    std::shared_ptr<KEvent::Event> owner = KEvent::MakeDummy();
    auto image = MakeStaticImageAnim(TString("anim/blue_static"), TDrawParams(TVec2(66, 205), 1, 1, 0), owner);
    image->Start();
    ASSERT_EQ(DrawnBy([&] { image->Draw(); }), 1u);
    std::vector<QuadCorner> quad = QuadOf(GfxRecordingLog().draws[0]);
    float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
    for (const QuadCorner& q : quad) {
        minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
    }
    EXPECT_NEAR((minX + maxX) / 2, 66.0f, 1.0f);
    EXPECT_NEAR((minY + maxY) / 2, 205.0f, 1.0f);
    EXPECT_NEAR(maxX - minX, 16.0f, 1.0f);

    auto text = MakeStaticTextAnim(TString("abc"), TRect(10, 185, 122, 225), owner);
    ASSERT_NE(text->GetLayout(), nullptr);
    TRect bounds;
    text->GetLayout()->GetBounds(bounds);
    // Centred both ways in the 112 x 40 box.
    EXPECT_NEAR((bounds.left + bounds.right) / 2.0, 56.0, 2.0);
    EXPECT_NEAR((bounds.top + bounds.bottom) / 2.0, 20.0, 4.0);
}

} // namespace
