// A run of the host's lines as the show makes them: the builders' lines
// played through the voice-over player on the null audio device, subtitles
// on, the clock moved by hand. The trace is the subtitle pages seen under
// the stage, in order, with the time each was up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VoiceTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/show/question/Question.h"
#include "game/show/vo/SubTitle.h"
#include "game/show/vo/VOBuilders.h"
#include "game/show/vo/VOIds.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/StageFixture.h"
#include "os/audio/AudioDevice.h"
#include "sound/SoundManager.h"
#include "support/OggWriter.h"

using namespace KVO;

namespace {

constexpr uint32_t kSeed = 31337;
constexpr uint32_t kPageTime = 1000; // every row of the test table: one page of 1 s

std::string LineOf(const std::string& pageText)
{
    // The test table's pages read "row <VOid>"; a category's rows are
    // numbered category * 10 + 1, 2, ...
    const int32_t id = std::atoi(pageText.c_str() + 4);
    for (int32_t row : Id::kAllRows)
        if (row == id)
            return "row " + std::to_string(id);
    return "cat " + std::to_string(id / 10);
}

class VOBuildersTraceTest : public voicetest::VoiceFixture {
protected:
    VOBuildersTraceTest() : VoiceFixture(kSeed) {}
    void SetUp() override
    {
        VoiceFixture::SetUp();
        std::srand(kSeed);
        Subtitles(true);
        VOTable& table = *VOTable::Instance();
        table.Load(TString(("::" + std::string(QUILLORY_TEST_DATA) + "/vo/builders.xml").c_str()));
        // Every line's voice: 0.6 s, shorter than its page.
        for (const auto& row : table.GetRows())
            AddSine(row->AudioFile.c_str(), 0.6, 1);
        mShow = ShowController::Instance();
        for (auto& question : mQuestions)
            mShow->GetRecord().board.push_back(&question);
    }
    void TearDown() override
    {
        ShowController::Destroy();
        VOTable::Destroy();
        VoiceFixture::TearDown();
    }

    void SetPlayed(int32_t n)
    {
        for (int32_t i = 0; i < 10; ++i)
            mQuestions[size_t(i)].used = i < n;
    }

    // A page seen under the stage: its line, and the first and last step
    // (ms from the start of the run) it was up.
    struct Page {
        std::string line;
        uint32_t from, to;
    };
    // Steps until the event ends, noting the subtitle windows (by their
    // name) shown under the stage.
    std::vector<Page> Run(const KEvent::Event& last, uint32_t limit)
    {
        std::vector<Page> pages;
        const TWindow* previous = nullptr;
        while (!last.IsFinished() && mElapsed < limit) {
            Step();
            for (TWindow* child : mParent->GetChildren()) {
                if (child->GetName() != "Subtitle")
                    continue;
                auto* subtitle = dynamic_cast<SubTitle*>(child);
                if (!subtitle)
                    continue;
                if (subtitle != previous)
                    pages.push_back({LineOf(subtitle->GetText().c_str()), mElapsed, mElapsed});
                previous = subtitle;
                pages.back().to = mElapsed;
            }
        }
        return pages;
    }

    ShowController* mShow = nullptr;
    KQuestion::QOpenAnswer mQuestions[10];
};

TEST_F(VOBuildersTraceTest, AShowsLinesPlayOneAfterTheOtherEachPageForItsTime)
{
    GameRecord& record = mShow->GetRecord();
    mQuestions[0].grade = 2;
    record.currentQuestion = &mQuestions[0];
    record.answerCorrect = true;

    // The lines of the start of a show and of a helped first question,
    // made all at once as the show's steps would queue them.
    std::vector<std::shared_ptr<KEvent::Event>> made;
    made.push_back(VOIntro());
    made.push_back(VOBoard()); // nothing played yet: its fixed row
    made.push_back(VOChooseClassmate());
    made.push_back(VOPeek());
    int32_t prestige = 0;
    made.push_back(VOAnswerReaction(prestige)); // helped: the helped category
    made.push_back(VOHelpedAnswerEnd());
    SetPlayed(3);
    // A seed whose next rand() is a multiple of four: the board line gets
    // a remark.
    unsigned seed = 1;
    for (std::srand(seed); std::rand() % 4 != 0; std::srand(++seed)) {
    }
    std::srand(seed);
    made.push_back(VOBoard());
    made.push_back(VOWinner());
    for (const auto& event : made)
        ASSERT_FALSE(std::dynamic_pointer_cast<KEvent::eDummy>(event));

    const std::vector<Page> pages = Run(*made.back(), 30000);
    ASSERT_TRUE(made.back()->IsFinished()) << "the last line ended";
    for (const auto& event : made)
        EXPECT_TRUE(event->IsFinished());

    std::vector<std::string> lines;
    for (const Page& page : pages)
        lines.push_back(page.line);
    const std::vector<std::string> expected = {"row 211", "row 258", "row 215", "cat 17", "cat 56",
                                               "cat 57",  "cat 5",   "cat 3",   "cat 13"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(prestige / 10, 56) << "the reaction's Prestige (the test table gives each row its VOid)";
    EXPECT_GT(prestige, 0);

    // Each page is up for its time. The next line's page comes up only
    // after the one before went and its line ended: the line also waits for
    // its sound, whose end the sound layer notices within about half a
    // second.
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(pages[i].line);
        EXPECT_NEAR(double(pages[i].to + kStep - pages[i].from), double(kPageTime), 3.0 * kStep);
        if (i > 0) {
            EXPECT_GT(pages[i].from, pages[i - 1].to);
            EXPECT_LE(pages[i].from - pages[i - 1].to, kPageTime);
        }
    }
    EXPECT_TRUE(VOPlayer::Instance()->GetEvents().empty() || VOPlayer::Instance()->GetEvents().back()->IsFinished());
    EXPECT_TRUE(mParent->GetChildren().empty()) << "every subtitle window closed";
}

} // namespace
