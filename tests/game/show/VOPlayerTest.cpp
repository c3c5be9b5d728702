// The voice-over player on the recording device and the null audio device,
// with a hand-moved clock: lines as event chains, their subtitle pages shown
// and closed at their times, lines one after the other, skipping, and the
// subtitle window's pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GoneProbe.h"
#include "VoiceTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/SubTitle.h"
#include "game/show/vo/VOPlayer.h"
#include "game/stage/StageFixture.h"
#include "game/stage/StageLinks.h"
#include "os/audio/AudioDevice.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "sound/SoundManager.h"
#include "support/OggWriter.h"
#include "ui/Image.h"

using KVO::KVOElem;
using KVO::SubTitle;
using KVO::VOPlayer;

namespace {

constexpr uint32_t kSeed = 777;

class VOPlayerTest : public voicetest::VoiceFixture {
protected:
    VOPlayerTest() : VoiceFixture(kSeed) {}
    void TearDown() override
    {
        Quillory::KChildManager::Destroy();
        VoiceFixture::TearDown();
    }

    // A sine of that length as the voice-over file "vo/<name>".
    void AddVoice(const std::string& name, double seconds) { AddSine("vo/" + name, seconds); }
    static std::shared_ptr<KVOElem> Row(const std::string& children) { return voicetest::Row(children); }

    // The subtitle windows under the parent, front first.
    std::vector<SubTitle*> Shown() const
    {
        std::vector<SubTitle*> out;
        for (TWindow* child : mParent->GetChildren())
            if (auto* subtitle = dynamic_cast<SubTitle*>(child))
                out.push_back(subtitle);
        return out;
    }

    // Runs until the event ends (or limit ms), noting for every page text
    // the first and last step it was seen under the parent.
    struct Seen {
        std::string text;
        uint32_t from, to;
    };
    std::vector<Seen> RunLine(const KEvent::Event& line, uint32_t limit)
    {
        std::vector<Seen> seen;
        while (!line.IsFinished() && mElapsed < limit) {
            Step();
            for (SubTitle* subtitle : Shown()) {
                const std::string text = subtitle->GetText().c_str();
                if (seen.empty() || seen.back().text != text)
                    seen.push_back({text, mElapsed, mElapsed});
                seen.back().to = mElapsed;
            }
        }
        return seen;
    }

    // A fresh run of the clock: mElapsed counts from here.
    void StartClock() { mElapsed = 0; }
};

TEST_F(VOPlayerTest, SubtitlePagesShowForTheirTimesAndTheLineEndsWithTheLastPage)
{
    Subtitles(true);
    AddVoice("short.ogg", 1.0);
    auto row = Row("<AudioFile>short.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>one</Page1><t1>2000</t1>"
                   "<Page2>two</Page2><t2>5000</t2>");
    StartClock();
    auto line = row->MakePlayEvent();
    ASSERT_TRUE(std::dynamic_pointer_cast<KEvent::eWrapper>(line));
    EXPECT_TRUE(VOPlayer::Instance()->GetUseSubtitles());
    EXPECT_EQ(VOPlayer::Instance()->GetCurrent(), line);

    const std::vector<Seen> seen = RunLine(*line, 8000);
    ASSERT_TRUE(line->IsFinished());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "one");
    EXPECT_EQ(seen[1].text, "two");
    // Each event of the chain takes a pass of its own: a few steps late.
    EXPECT_LE(seen[0].from, 4 * kStep) << "the first page comes up at once";
    EXPECT_GE(seen[1].from - seen[0].from, 2000u);
    EXPECT_LE(seen[1].from - seen[0].from, 2000u + 5 * kStep);
    EXPECT_GE(seen[1].to + kStep - seen[1].from, 3000u);
    EXPECT_LE(seen[1].to + kStep - seen[1].from, 3000u + 5 * kStep);
    // The sound ended long before: the last page ends the line.
    EXPECT_GE(mElapsed, 5000u);
    EXPECT_LE(mElapsed, 5000u + 12 * kStep);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(VOPlayerTest, ALongerSoundOutlastsThePagesAndEndsTheLine)
{
    Subtitles(true);
    AddVoice("long.ogg", 6.0);
    auto row = Row("<AudioFile>long.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>one</Page1><t1>2000</t1>"
                   "<Page2>two</Page2><t2>5000</t2>");
    StartClock();
    auto line = row->MakePlayEvent();
    const std::vector<Seen> seen = RunLine(*line, 12000);
    ASSERT_TRUE(line->IsFinished());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_GE(seen[1].to, 5000u) << "the pages keep their times";
    EXPECT_LE(seen[1].to, 5000u + 10 * kStep);
    EXPECT_GE(mElapsed, 6000u) << "the line waits for its sound";
    EXPECT_LE(mElapsed, 6000u + 2000u);
}

TEST_F(VOPlayerTest, WithoutSubtitlesOrPagesALineIsItsSoundAndTheHostTalks)
{
    AddVoice("a.ogg", 0.3);
    struct Case {
        bool subtitles;
        const char* t1;
        const char* actor;
        bool wrapped; // the host's lines are wrappers around start and sound
    } cases[] = {
        {false, "2000", "Announcer", false}, {true, "0", "Announcer", false}, {false, "2000", "CorinVarnum", true},
        {true, "0", "CorinVarnum", true},    {true, "-40", "Announcer", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.actor) + " t1 " + c.t1 + (c.subtitles ? " with subtitles" : ""));
        Subtitles(c.subtitles);
        auto row = Row(std::string("<AudioFile>a.ogg</AudioFile><Page1>text</Page1><t1>") + c.t1 + "</t1><Actor>" +
                       c.actor + "</Actor>");
        // The host's talk takes one word of the show's random source.
        MTRandom reference = *MTRandom::Instance();
        StartClock();
        auto line = row->MakePlayEvent();
        EXPECT_EQ(std::dynamic_pointer_cast<KEvent::ePlaySound>(line) != nullptr, !c.wrapped);
        EXPECT_EQ(std::dynamic_pointer_cast<KEvent::eWrapper>(line) != nullptr, c.wrapped);
        if (c.wrapped)
            reference.NextWord();
        EXPECT_EQ(MTRandom::Instance()->NextWord(), reference.NextWord());
        RunLine(*line, 4000);
        EXPECT_TRUE(line->IsFinished());
        EXPECT_GE(mElapsed, 300u) << "the sound played";
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(mParent->GetChildren().size(), 0u) << "no subtitle window was ever shown";
    }
}

TEST_F(VOPlayerTest, ALineWaitsForTheOneBefore)
{
    AddVoice("first.ogg", 1.0);
    AddVoice("second.ogg", 0.5);
    Subtitles(false);
    auto first = Row("<AudioFile>first.ogg</AudioFile>")->MakePlayEvent();
    auto second = Row("<AudioFile>second.ogg</AudioFile>")->MakePlayEvent();
    Subtitles(true);
    auto third =
        Row("<AudioFile>second.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>third</Page1><t1>100</t1>")->MakePlayEvent();
    EXPECT_EQ(VOPlayer::Instance()->GetEvents().size(), 3u);
    EXPECT_EQ(VOPlayer::Instance()->GetCurrent(), third);

    StartClock();
    uint32_t firstEnd = 0, secondStart = 0, thirdShown = 0;
    while (!third->IsFinished() && mElapsed < 10000) {
        Step();
        if (!firstEnd && first->IsFinished())
            firstEnd = mElapsed;
        if (!secondStart && second->IsStarted())
            secondStart = mElapsed;
        if (!thirdShown && !Shown().empty())
            thirdShown = mElapsed;
        ASSERT_FALSE(second->IsStarted() && !first->IsFinished()) << "the second sound waits for the first line";
        ASSERT_FALSE(thirdShown && !second->IsFinished()) << "the subtitled line waits for the second";
    }
    ASSERT_TRUE(third->IsFinished());
    EXPECT_GE(firstEnd, 1000u);
    EXPECT_GE(secondStart, firstEnd);
    EXPECT_LE(secondStart, firstEnd + 2 * kStep) << "and starts as soon as it ends";
    EXPECT_GT(thirdShown, secondStart + 500);

    // A new line forgets the finished ones.
    auto fourth = Row("<AudioFile>second.ogg</AudioFile>")->MakePlayEvent();
    EXPECT_EQ(VOPlayer::Instance()->GetEvents().size(), 1u);
    EXPECT_FALSE(fourth->IsStarted());
    Step();
    Step();
    EXPECT_TRUE(fourth->IsStarted()) << "nothing running: no wait";
}

TEST_F(VOPlayerTest, SkipAllEndsTheLineAndClosesAndDeletesItsSubtitles)
{
    Subtitles(true);
    AddVoice("long.ogg", 6.0);
    auto row = Row("<AudioFile>long.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>one</Page1><t1>2000</t1>"
                   "<Page2>two</Page2><t2>5000</t2><Page3>three</Page3><t3>7000</t3>");
    StartClock();
    auto line = row->MakePlayEvent();
    while (mElapsed < 2500)
        Step();
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0]->GetText(), TString("two"));
    bool gone = false;
    Shown()[0]->AddChild(new GoneProbe(&gone), true);

    VOPlayer::Instance()->SkipAll();
    EXPECT_TRUE(line->IsFinished());
    EXPECT_TRUE(VOPlayer::Instance()->GetEvents().empty());
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(gone) << "the window is deleted";
    for (int i = 0; i < 100; ++i)
        Step();
    EXPECT_TRUE(Shown().empty()) << "the third page never comes";
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
}

TEST_F(VOPlayerTest, TheShowsSkipVOSkipsTheRunningLines)
{
    AddVoice("long.ogg", 6.0);
    auto first = Row("<AudioFile>long.ogg</AudioFile>")->MakePlayEvent();
    auto second = Row("<AudioFile>long.ogg</AudioFile>")->MakePlayEvent();
    for (int i = 0; i < 10; ++i)
        Step();
    ASSERT_TRUE(first->IsStarted());
    ASSERT_FALSE(first->IsFinished());
    ShowController::Instance()->SkipVO();
    EXPECT_TRUE(first->IsFinished());
    EXPECT_TRUE(second->IsFinished()) << "the waiting line goes too";
    EXPECT_FALSE(second->IsStarted());
    EXPECT_TRUE(VOPlayer::Instance()->GetEvents().empty());
    ShowController::Destroy();
}

TEST_F(VOPlayerTest, PageTimesThatGoBackwardsWaitNothingAndTheLineEnds)
{
    Subtitles(true);
    auto row = Row("<AudioFile>none.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>a</Page1><t1>3000</t1>"
                   "<Page2>b</Page2><t2>1000</t2><Page3>c</Page3><t3>4000</t3>");
    StartClock();
    auto line = row->MakePlayEvent();
    const std::vector<Seen> seen = RunLine(*line, 20000);
    ASSERT_TRUE(line->IsFinished()) << "no endless wait";
    EXPECT_GE(mElapsed, 4000u);
    EXPECT_LE(mElapsed, 4000u + 20 * kStep);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().text, "a");
    EXPECT_EQ(seen.back().text, "c");
    EXPECT_GE(seen.back().to + kStep - seen.back().from, 1000u);
    EXPECT_LE(seen.back().to + kStep - seen.back().from, 1000u + 5 * kStep);
}

TEST_F(VOPlayerTest, AnEmptyPageRunsItsTimeWithoutPictures)
{
    Subtitles(true);
    auto row = Row("<AudioFile>none.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1></Page1><t1>1000</t1>");
    StartClock();
    auto line = row->MakePlayEvent();
    bool shownEmpty = false;
    while (!line->IsFinished() && mElapsed < 5000) {
        Step();
        for (SubTitle* subtitle : Shown())
            shownEmpty = shownEmpty || (subtitle->GetChildren().empty() && !subtitle->GetTexture());
    }
    ASSERT_TRUE(line->IsFinished());
    EXPECT_TRUE(shownEmpty);
    EXPECT_GE(mElapsed, 1000u);
    EXPECT_LE(mElapsed, 1000u + 10 * kStep);
    EXPECT_EQ(LogCount("Subtitle: \"\" has nothing to show"), 1);
}

TEST_F(VOPlayerTest, WithoutAParentALineIsADummyAndAParentThatGoesEndsItsLines)
{
    Subtitles(true);
    VOPlayer& player = *VOPlayer::Instance();
    EXPECT_EQ(KScene::GetSubtitleHost(), &player);
    auto row = Row("<AudioFile>none.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>a</Page1><t1>3000</t1>"
                   "<Page2>b</Page2><t2>6000</t2>");
    auto line = row->MakePlayEvent();
    for (int i = 0; i < 10; ++i)
        Step();
    ASSERT_EQ(Shown().size(), 1u);

    // The stage goes: it lets go of the player first, then deletes its
    // children.
    player.SetSubtitleParent(nullptr);
    EXPECT_TRUE(line->IsFinished());
    EXPECT_TRUE(Shown().empty());
    delete mParent;
    mParent = nullptr;
    for (int i = 0; i < 10; ++i)
        Step();

    auto later = row->MakePlayEvent();
    EXPECT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(later));
    EXPECT_TRUE(player.GetEvents().empty());
    Step();
    EXPECT_TRUE(later->IsFinished());

    // The player's end unregisters it from the stage.
    VOPlayer::Destroy();
    EXPECT_EQ(KScene::GetSubtitleHost(), nullptr);
    EXPECT_EQ(VOPlayer::Existing(), nullptr);
}

TEST_F(VOPlayerTest, DestroyingThePlayerEndsItsLines)
{
    Subtitles(true);
    auto row = Row("<AudioFile>none.ogg</AudioFile><Color>#FFFFFFFF</Color><Page1>a</Page1><t1>3000</t1>"
                   "<Page2>b</Page2><t2>6000</t2>");
    auto line = row->MakePlayEvent();
    Step();
    VOPlayer::Destroy();
    EXPECT_TRUE(line->IsFinished());
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(mParent->GetChildren().empty());
}

TEST_F(VOPlayerTest, TheSubtitleWindowShowsTheTextOverItsShadowNearTheTop)
{
    const TColorValue white{1, 1, 1, 1};
    SubTitle window(TString("abc"), 28, white);
    EXPECT_EQ(window.GetName(), TString("Subtitle"));
    EXPECT_EQ(window.GetRect(), TRect(0, 0, 800, 600));
    ASSERT_EQ(window.GetChildren().size(), 2u);
    // Front first: the text, then the shadow under it.
    auto* text = dynamic_cast<TImage*>(window.GetChildren()[0]);
    auto* shadow = dynamic_cast<TImage*>(window.GetChildren()[1]);
    ASSERT_TRUE(text && shadow);
    ASSERT_TRUE(window.GetTexture());
    EXPECT_EQ(text->GetTexture(), window.GetTexture());
    const int32_t w = int32_t(window.GetTexture()->GetWidth());
    const int32_t h = int32_t(window.GetTexture()->GetHeight());
    EXPECT_GT(h, 0);
    EXPECT_FLOAT_EQ(text->GetScale(), 1.0f);
    EXPECT_EQ(text->GetRect(), TRect((800 - w) / 2, 45, (800 - w) / 2 + w, 45 + h));
    EXPECT_EQ(shadow->GetRect(), text->GetRect());
    EXPECT_FLOAT_EQ(shadow->GetScale(), 2.5f);
    ASSERT_TRUE(shadow->GetTexture());
    EXPECT_EQ(shadow->GetTexture()->GetWidth(), uint32_t(0.4 * w));
    EXPECT_EQ(shadow->GetTexture()->GetHeight(), uint32_t(0.4 * h));

    // White text and black shadow.
    int white_ink = 0, black_ink = 0;
    for (uint32_t p : PixelsOf(window.GetTexture()))
        white_ink += (p >> 24) >= 0x80 && ((p >> 8) & 0xFF) > 0xC0;
    for (uint32_t p : PixelsOf(shadow->GetTexture()))
        black_ink += (p >> 24) >= 0x80 && ((p >> 8) & 0xFF) < 0x40;
    EXPECT_GT(white_ink, 0);
    EXPECT_GT(black_ink, 0);
}

TEST_F(VOPlayerTest, WideTextSitsAtTheLeftLimitAndLongTextWrapsInItsBox)
{
    const TColorValue white{1, 1, 1, 1};
    struct Case {
        std::string text;
        int32_t size;
        bool wide;
    } cases[] = {
        {"m", 700, true},                   // one glyph of 560 pixels stays on its line
        {"abc", 28, false},
        {std::string(40, 'a'), 28, false},  // 448 pixels: centred
        {std::string(50, 'a'), 28, false},  // a long word breaks at the box
    };
    for (const Case& c : cases) {
        SubTitle window(TString(c.text.c_str()), c.size, white);
        ASSERT_TRUE(window.GetTexture()) << c.text;
        const int32_t w = int32_t(window.GetTexture()->GetWidth());
        EXPECT_EQ(w > 490, c.wide) << c.text;
        EXPECT_LE(w, c.wide ? 800 : SubTitle::kWrapWidth + 4) << c.text;
        const int32_t x = window.GetChildren()[0]->GetRect().left;
        EXPECT_EQ(x, c.wide ? 155 : (800 - w) / 2) << c.text;
    }

    std::string words;
    for (int i = 0; i < 20; ++i)
        words += "abcde ";
    SubTitle wrapped(TString(words.c_str()), 28, white);
    SubTitle line(TString("abcde"), 28, white);
    ASSERT_TRUE(wrapped.GetTexture() && line.GetTexture());
    EXPECT_LE(wrapped.GetTexture()->GetWidth(), uint32_t(SubTitle::kWrapWidth + 4));
    EXPECT_GE(wrapped.GetTexture()->GetHeight(), 3 * line.GetTexture()->GetHeight());
}

TEST_F(VOPlayerTest, OddFontSizesAreLoggedAndReplaced)
{
    const TColorValue white{1, 1, 1, 1};
    SubTitle zero(TString("abc"), 0, white);
    EXPECT_EQ(LogCount("Subtitle: font size 0 taken as 28"), 1);
    SubTitle normal(TString("abc"), 28, white);
    ASSERT_TRUE(zero.GetTexture() && normal.GetTexture());
    EXPECT_EQ(zero.GetTexture()->GetHeight(), normal.GetTexture()->GetHeight());
    SubTitle huge(TString("a"), 100000, white);
    EXPECT_EQ(LogCount("Subtitle: font size 100000 cut to 1024"), 1);
}

} // namespace
