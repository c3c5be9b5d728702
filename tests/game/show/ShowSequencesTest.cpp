// The audience's reaction to an answer: which sounds, how they are chained,
// and when the reaction ends, on the null audio device with a hand-moved
// clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SoundEventFixture.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/SoundEvents.h"
#include "sound/SoundData.h"
#include "sound/SoundTestSupport.h"

namespace {

const std::string kPrefix = "sfx/audience/";

class AudienceReaction : public SoundEventFixture {
protected:
    void SetUp() override
    {
        SoundEventFixture::SetUp();
        ShowController::Destroy();
        MTRandom::Destroy();
        MTRandom::Instance()->Seed(7);
    }
    void TearDown() override
    {
        ShowController::Destroy();
        MTRandom::Destroy();
        SoundEventFixture::TearDown();
    }
    static void React(bool right, int32_t correctCount)
    {
        GameRecord& record = ShowController::Instance()->GetRecord();
        record.answerCorrect = right;
        record.correctCount = correctCount;
    }
    // The sound an event plays ("" for another kind of event).
    static std::string SoundOf(const std::shared_ptr<KEvent::Event>& event)
    {
        if (!std::dynamic_pointer_cast<KEvent::ePlaySound>(event))
            return "";
        const std::string name = event->GetName().c_str();
        const std::string head = "ePlaySound (" + kPrefix;
        return name.compare(0, head.size(), head) == 0 ? name.substr(head.size(), name.size() - head.size() - 1)
                                                        : name;
    }
    // The sounds of a reaction as "A", "A+B" or "A+B+C", read from its
    // links: the end waits for A and for the last of the later sounds, and
    // those follow one wait.
    static std::string Chain(const std::shared_ptr<KEvent::Event>& reaction)
    {
        if (!SoundOf(reaction).empty())
            return SoundOf(reaction);
        if (!std::dynamic_pointer_cast<KEvent::eDummy>(reaction))
            return "?";
        const auto& ends = reaction->GetPrerequisites();
        if (ends.empty())
            return "-";
        if (ends.size() != 2 || !ends[0]->GetPrerequisites().empty())
            return "?";
        std::vector<std::string> later;
        std::shared_ptr<KEvent::Event> at = ends[1];
        while (!SoundOf(at).empty() && at->GetPrerequisites().size() == 1) {
            later.insert(later.begin(), SoundOf(at));
            at = at->GetPrerequisites()[0];
        }
        if (!std::dynamic_pointer_cast<KEvent::eWaitTime>(at) || !at->GetPrerequisites().empty())
            return "?";
        std::string text = SoundOf(ends[0]);
        for (const std::string& sound : later)
            text += "+" + sound;
        return text;
    }
};

TEST_F(AudienceReaction, SoundsByAnswerAndRightAnswersSoFar)
{
    const std::string light10 = "applause_light_10_sec.ogg", medium6 = "applause_medium_6_sec.ogg",
                      heavy6 = "applause_heavy_6_sec.ogg", heavy15 = "applause_heavy_15_sec.ogg",
                      heavy30 = "applause_heavy_30_sec.ogg", groan = "awww_5_sec.ogg";
    const struct {
        bool right;
        int32_t count;
        std::string sounds;
    } cases[] = {
        {false, 0, groan},
        {false, 5, groan},
        {false, 11, groan},
        {false, 12, groan},
        {false, -1, groan},
        {true, 0, light10},
        {true, 1, light10},
        {true, 2, light10 + "+" + medium6},
        {true, 3, light10 + "+" + medium6},
        {true, 4, medium6 + "+" + heavy6},
        {true, 5, heavy6 + "+" + medium6},
        {true, 6, heavy15 + "+" + medium6},
        {true, 7, heavy15 + "+" + medium6},
        {true, 8, heavy15 + "+" + heavy6 + "+" + medium6},
        {true, 9, heavy15 + "+" + heavy6 + "+" + medium6},
        {true, 10, heavy15 + "+" + heavy6 + "+" + heavy6},
        {true, 11, heavy30 + "+" + heavy15 + "+" + heavy6},
        {true, 12, "-"},
        {true, 40, "-"},
        {true, -1, "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.right ? "right" : "wrong") + " " + std::to_string(c.count));
        React(c.right, c.count);
        MTRandom copy = *MTRandom::Instance();
        auto reaction = AudienceReactionSound();
        ASSERT_TRUE(reaction);
        EXPECT_EQ(Chain(reaction), c.sounds);
        // One word, for the wait, when there is more than one sound.
        if (c.sounds.find('+') != std::string::npos)
            copy.NextWord();
        EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord());
        // Without a sound manager every sound ends at once, and so does
        // the reaction, once its wait is over.
        for (int i = 0; i < 20 && !reaction->IsFinished(); ++i) {
            Pass();
            gSoundTestNow += 200;
        }
        EXPECT_TRUE(reaction->IsFinished());
    }
}

TEST_F(AudienceReaction, NoShowNoReaction)
{
    auto reaction = AudienceReactionSound();
    ASSERT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(reaction));
    Pass();
    EXPECT_TRUE(reaction->IsFinished());
}

// The reaction ends when the first sound and the last of the later ones
// have both ended, whichever is later; the later ones start after a wait
// of 600 to 1199 ms and follow each other.
TEST_F(AudienceReaction, EndsWithTheFirstSoundAndTheLastLaterOne)
{
    MakeManager();
    MakeSound(kPrefix + "applause_heavy_30_sec.ogg", 0.3);
    MakeSound(kPrefix + "applause_heavy_15_sec.ogg", 3.0);
    MakeSound(kPrefix + "applause_heavy_6_sec.ogg", 0.3);
    MakeSound(kPrefix + "applause_medium_6_sec.ogg", 0.3);
    const struct {
        const char* what;
        int32_t count;
        double first, later; // seconds of the first sound, of the later ones
    } cases[] = {
        // heavy 15, then heavy 6 and medium 6
        {"the first sound ends last", 8, 3.0, 0.6},
        // heavy 30, then heavy 15 and heavy 6
        {"the later ones end last", 11, 0.3, 3.3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        React(true, c.count);
        MTRandom copy = *MTRandom::Instance();
        const double wait = (600 + copy.NextWord() % 600) / 1000.0;
        const double expected = std::max(c.first, wait + c.later);

        auto reaction = AudienceReactionSound();
        const uint32_t took = RunUntilFinished(*reaction, 10000);
        ASSERT_TRUE(reaction->IsFinished());
        EXPECT_GE(took, uint32_t(expected * 1000.0)) << "wait " << wait;
        // Each sound's end is reported up to about a second late (the
        // streamed buffers); the later ones add up.
        EXPECT_LE(took, uint32_t(expected * 1000.0) + 3500u) << "wait " << wait;
    }
}

} // namespace
