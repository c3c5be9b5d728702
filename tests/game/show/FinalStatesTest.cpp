// The show's final and its endings (states 14 to 20) on the shared show
// fixture: the offer that waits for the player, the final question and its
// verdict, flunking out, dropping out, winning, and the show's end, with
// the money each ending shows and credits to the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShowStatesFixture.h"
#include "game/show/GameRecord.h"
#include "game/stage/StageWindow.h"
#include "game/show/vo/VOIds.h"
#include "render/TextLayout.h"
#include "ui/Style.h"

namespace {

using namespace showtest;

class FinalStatesTest : public ShowStatesFixture {
protected:
    void SetUp() override
    {
        ShowStatesFixture::SetUp();
        GameSettings::Instance()->CreateNewUser(TString("Ada"));
        ASSERT_EQ(Earnings(), 0);
    }
    void TearDown() override
    {
        if (GameSettings* settings = GameSettings::Instance())
            settings->SetMainMenu(nullptr);
        ShowStatesFixture::TearDown();
    }

    static int32_t Earnings() { return GameSettings::Instance()->GetEarnings(); }

    // A running show about to run the state: a dealt board all played when
    // the state comes after the board, the answers so far and honours.
    void StartAt(int32_t state, int32_t correct, bool lastRight, bool honours)
    {
        PushStudio();
        Record().Reset();
        Record().DealQuestions();
        for (KQuestion::QBase* question : Record().board)
            question->used = state >= KShow::kFinalOffer;
        Record().correctCount = correct;
        Record().answerCorrect = lastRight;
        Record().honours = honours;
        Record().currentClassmate = mRight.get();
        Record().state = state;
        mShow->SetRunning(true);
        mShow->AdvanceNextFrame();
    }
    // Forgets the last case: its events, its trace and any banner.
    void NextCase()
    {
        NewEvents();
        gTrace.clear();
        gStart = gNow;
    }

    // The states from the first time `from` ran.
    static std::vector<int> StatesFrom(int from)
    {
        const std::vector<int> states = States();
        auto at = std::find(states.begin(), states.end(), from);
        return std::vector<int>(at, states.end());
    }
    // How many of the host's lines were rows of the category (its rows are
    // numbered category * 10 + 1, 2, ...).
    static int LinesOf(int category)
    {
        int count = 0;
        for (const std::string& line : Lines())
            count += line.size() > 1 && line.substr(0, line.size() - 1) == std::to_string(category);
        return count;
    }
    static int CountOf(const std::string& line)
    {
        const std::vector<std::string> lines = Lines();
        return int(std::count(lines.begin(), lines.end(), line));
    }
    // Entries whose text starts with the head.
    static std::vector<std::string> Noted(const std::string& head)
    {
        std::vector<std::string> found;
        for (const std::string& entry : gTrace) {
            const std::string what = entry.substr(entry.find(':') + 1);
            if (what.compare(0, head.size(), head) == 0)
                found.push_back(what);
        }
        return found;
    }
    // After the show's end: nothing left running, nothing of the studio.
    void ExpectShowOver()
    {
        EXPECT_FALSE(mShow->IsRunning());
        EXPECT_EQ(Record().state, 0) << "the next show starts anew";
        EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u) << Dump();
        EXPECT_EQ(gStudio, nullptr) << "the studio went with the loading screen";
        EXPECT_EQ(mManager->GetModalCount(), mModalsBelow);
        EXPECT_EQ(mShow->GetQuestionTimer(), nullptr) << "its window went with the studio";
    }
};

// The offer shows once the camera has moved and the host has offered the
// final (no lines with honours); then the show waits for the player, with
// the final's music as the show's music.
TEST_F(FinalStatesTest, TheFinalOfferWaitsForThePlayer)
{
    for (bool honours : {false, true}) {
        SCOPED_TRACE(honours ? "honours" : "no honours");
        NextCase();
        StartAt(KShow::kFinalOffer, 10, true, honours);
        ASSERT_TRUE(RunUntilOpen(gOffer)) << Dump();
        EXPECT_EQ(gOffer->GetParent(), gStudio);
        EXPECT_GE(int(gNow - gStart), 1000 + 500) << "the camera's move, then the subject's transition";
        EXPECT_TRUE(Traced("transition Math")) << Dump();
        RunFor(200);
        EXPECT_TRUE(Traced("screens Math")) << "the final's subject stays on the screens";
        const GameRecord& record = Record();
        EXPECT_EQ(record.state, KShow::kFinalQuestion);
        EXPECT_TRUE(record.finalOffered);
        EXPECT_EQ(record.currentClassmate, nullptr);
        EXPECT_FALSE(record.mainMenuButtonShown);
        EXPECT_FALSE(record.helpUsed);
        ASSERT_NE(mShow->GetCurrentMusic(), nullptr);
        EXPECT_EQ(mShow->GetCurrentMusic()->GetName(), TString("ePlaySound (music/millionq.ogg)"));
        if (honours) {
            EXPECT_TRUE(Lines().empty()) << Dump();
        } else {
            ASSERT_EQ(Lines().size(), 2u) << Dump();
            EXPECT_EQ(LinesOf(KVO::Id::kCatFinalOffer), 1);
            EXPECT_TRUE(Lines()[1] == "241" || Lines()[1] == "242") << Lines()[1];
        }
        RunFor(60000);
        EXPECT_EQ(States(), std::vector<int>{14}) << "only the player moves the show on";
        EXPECT_NE(gOffer, nullptr);
        Close(gOffer);
        RunFor(200);
    }
}

// The offer's continue brings on the final question: no helps, the final
// on the screens and the timer running; the answer goes to the verdict.
TEST_F(FinalStatesTest, ContinuingBringsOnTheFinalQuestion)
{
    StartAt(KShow::kFinalOffer, 10, true, false);
    ASSERT_TRUE(RunUntilOpen(gOffer));
    mShow->AdvanceNextFrame();
    Close(gOffer);
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow)) << Dump();
    EXPECT_EQ(States(), (std::vector<int>{14, 15})) << Dump();
    const GameRecord& record = Record();
    EXPECT_EQ(record.currentQuestion, record.finalQuestion);
    EXPECT_EQ(record.currentQuestion->grade, 6);
    EXPECT_EQ(record.saveCount + record.peekCount + record.copyCount, 0) << "no help on the final";
    EXPECT_EQ(record.state, KShow::kFinalVerdict);
    ASSERT_NE(mShow->GetQuestionTimer(), nullptr);
    EXPECT_TRUE(mShow->GetQuestionTimer()->IsTicking());
    const std::vector<std::string> lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back() == "240" || LinesOf(KVO::Id::kCatFinalIntro) == 1) << Dump();
}

// Right or wrong at the final, with and without honours: the states, the
// host's lines, the banner and the money credited once.
TEST_F(FinalStatesTest, TheFinalAnswerDecidesTheShow)
{
    struct Case {
        bool right;
        bool honours;
        std::vector<int> states;
        int32_t correct;
        int32_t won;
        const char* banner;
    };
    const Case cases[] = {
        {true, false, {15, 16, 19, 20}, 11, 1000000, nullptr},
        {true, true, {15, 16, 19, 20}, 11, 5000000, nullptr},
        {false, false, {15, 16, 17, 20}, 10, 25000, "banner anim/flunkout.xml $25,000"},
        {false, true, {15, 16, 17, 20}, 10, 50000, "banner anim/flunkout.xml $50,000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.right ? "right" : "wrong") + (c.honours ? ", honours" : ""));
        NextCase();
        const int32_t before = Earnings();
        StartAt(KShow::kFinalQuestion, 10, true, c.honours);
        Answer(c.right);
        const std::shared_ptr<Quillory::QuestionTimer> timer = mShow->GetQuestionTimer();
        ASSERT_NE(timer, nullptr);
        ASSERT_TRUE(RunUntilEnd()) << Dump();
        RunFor(5000);
        EXPECT_EQ(States(), c.states) << Dump();
        EXPECT_EQ(Record().correctCount, c.correct);
        EXPECT_EQ(Record().lost, !c.right);
        EXPECT_EQ(Earnings() - before, c.won) << "credited once";
        EXPECT_FALSE(timer->IsTicking());
        if (c.banner)
            EXPECT_EQ(Noted("banner"), std::vector<std::string>{c.banner});
        else
            EXPECT_TRUE(Noted("banner").empty());
        if (c.right) {
            // No verdict line; the winner's line, the confetti for 25 s and
            // 5 s more before the end.
            EXPECT_EQ(LinesOf(KVO::Id::kCatWinner), 1) << Dump();
            EXPECT_TRUE(Record().mainMenuButtonShown);
            const int start = TimeOf("confetti 1600");
            ASSERT_GE(start, 0) << Dump();
            EXPECT_LE(start - TimeOf("state 19"), 2 * int(kPassMs));
            EXPECT_GE(TimeOf("confetti stops") - start, 25000);
            EXPECT_LT(TimeOf("confetti stops") - start, 25000 + 200);
            EXPECT_GE(TimeOf("state 20") - start, 30000);
            EXPECT_LT(TimeOf("state 20") - start, 30000 + 400);
        } else {
            // The quick wrong answer's reaction, the farewell after ten
            // played, a closing line; no save to lament at the final.
            EXPECT_EQ(LinesOf(KVO::Id::kCatWrongQuick), 1) << Dump();
            EXPECT_EQ(CountOf(c.honours ? "191" : "190"), 1) << Dump();
            EXPECT_EQ(LinesOf(KVO::Id::kCatOutEnding), 1);
            EXPECT_EQ(LinesOf(KVO::Id::kCatSaveGone), 0);
            EXPECT_FALSE(Traced("confetti 1600"));
        }
        ExpectShowOver();
    }
}

// A wrong board answer with no save left ends the show from the wrong
// answer or from its explanation.
TEST_F(FinalStatesTest, FlunkingOutAtTheBoard)
{
    struct Case {
        bool explanation;
        std::vector<int> states;
    };
    const Case cases[] = {{false, {10, 17, 20}}, {true, {10, 11, 17, 20}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.explanation ? "explained" : "nothing to explain");
        NextCase();
        PushStudio();
        StartAtBoard(mWrong.get(), 0);
        PickQuestion();
        Record().currentQuestion->explanation = c.explanation ? TString("Because") : TString();
        Answer(false);
        ASSERT_TRUE(RunUntilEnd()) << Dump();
        EXPECT_EQ(StatesFrom(10), c.states) << Dump();
        EXPECT_EQ(Noted("banner"), std::vector<std::string>{"banner anim/flunkout.xml $0"});
        EXPECT_EQ(Earnings(), 0);
        // The lost save, no farewell after one question, a closing line.
        EXPECT_EQ(LinesOf(KVO::Id::kCatSaveGone), 1) << Dump();
        EXPECT_EQ(LinesOf(KVO::Id::kCatOutEnding), 1) << Dump();
        EXPECT_EQ(gAnswerWindow, nullptr);
        ExpectShowOver();
    }
}

// Flunking out keeps nothing before the fifth right answer, honours or not.
TEST_F(FinalStatesTest, WhatAFlunkedOutPlayerKeeps)
{
    struct Case {
        int32_t correct;
        bool honours;
        const char* text;
        int32_t won;
    };
    const Case cases[] = {
        {4, true, "$0", 0},
        {5, false, "$25,000", 25000},
        {5, true, "$50,000", 50000},
        {9, false, "$25,000", 25000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.correct) + (c.honours ? " right, honours" : " right"));
        NextCase();
        const int32_t before = Earnings();
        StartAt(KShow::kFlunkOut, c.correct, false, c.honours);
        ASSERT_TRUE(RunUntilEnd()) << Dump();
        EXPECT_EQ(Noted("banner"), std::vector<std::string>{std::string("banner anim/flunkout.xml ") + c.text});
        EXPECT_EQ(Earnings() - before, c.won);
        EXPECT_TRUE(Record().lost);
        // The sound, the banner and the lines all end before the show does.
        EXPECT_GE(TimeOf("state 20") - TimeOf("state 17"), int(kBannerMs));
    }
}

TEST_F(FinalStatesTest, AmountsAreWrittenWithThousandsSeparators)
{
    const struct {
        int32_t amount;
        const char* text;
    } cases[] = {
        {0, "$0"},          {500, "$500"},           {1000, "$1,000"},
        {25000, "$25,000"}, {100000, "$100,000"},    {1000000, "$1,000,000"},
        {5000000, "$5,000,000"}, {2147483647, "$2,147,483,647"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KShow::DollarText(c.amount), TString(c.text)) << c.amount;
    EXPECT_EQ(KShow::DollarText(-500), TString("$0"));
    EXPECT_TRUE(LogHas("a negative amount (-500)"));
}

// Dropping out shows and credits what the show has won so far.
TEST_F(FinalStatesTest, WhatADroppedOutPlayerKeeps)
{
    struct Case {
        int32_t correct;
        bool lastRight;
        bool honours;
        const char* text;
        int32_t won;
    };
    const Case cases[] = {
        {0, false, false, "$0", 0},
        {7, true, false, "$100,000", 100000},
        {7, false, false, "$25,000", 25000},
        {10, true, true, "$1,000,000", 1000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NextCase();
        const int32_t before = Earnings();
        StartAt(KShow::kDropOut, c.correct, c.lastRight, c.honours);
        ASSERT_TRUE(RunUntilEnd()) << Dump();
        RunFor(1000);
        EXPECT_EQ(Noted("banner"), std::vector<std::string>{std::string("banner anim/dropout.xml ") + c.text});
        EXPECT_EQ(Earnings() - before, c.won);
        EXPECT_EQ(States(), (std::vector<int>{18, 20}));
        // The banner comes 800 ms in and the show ends after it.
        EXPECT_GE(TimeOf("state 20") - TimeOf("state 18"), 800 + int(kBannerMs));
    }
}

// Drop Out while a question is up: the timer stops, the banner shows what
// was won, and the show ends with the question's window gone.
TEST_F(FinalStatesTest, DroppingOutAtTheBoard)
{
    StartAtBoard(mRight.get());
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    const std::shared_ptr<Quillory::QuestionTimer> timer = mShow->GetQuestionTimer();
    ASSERT_TRUE(timer && timer->IsTicking());
    Record().correctCount = 3;
    Record().answerCorrect = true;
    mShow->DropOut();
    ASSERT_TRUE(RunUntilEnd()) << Dump();
    EXPECT_EQ(States(), (std::vector<int>{3, 4, 18, 20})) << Dump();
    EXPECT_FALSE(timer->IsTicking());
    EXPECT_EQ(Noted("banner"), std::vector<std::string>{"banner anim/dropout.xml $5,000"});
    EXPECT_EQ(Earnings(), 5000);
    EXPECT_EQ(gAnswerWindow, nullptr);
    ExpectShowOver();
}

// Drop Out at the offer keeps the ten answers' prize; the host's farewell
// counts the offer as one more question.
TEST_F(FinalStatesTest, DroppingOutAtTheFinalOffer)
{
    struct Case {
        bool honours;
        const char* text;
        int32_t won;
        const char* farewell;
    };
    const Case cases[] = {{false, "$500,000", 500000, "185"}, {true, "$1,000,000", 1000000, "186"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NextCase();
        const int32_t before = Earnings();
        StartAt(KShow::kFinalOffer, 10, true, c.honours);
        ASSERT_TRUE(RunUntilOpen(gOffer)) << Dump();
        mShow->DropOut();
        Close(gOffer);
        ASSERT_TRUE(RunUntilEnd()) << Dump();
        RunFor(1000);
        EXPECT_EQ(States(), (std::vector<int>{14, 18, 20})) << Dump();
        EXPECT_EQ(Noted("banner"), std::vector<std::string>{std::string("banner anim/dropout.xml ") + c.text});
        EXPECT_EQ(Earnings() - before, c.won);
        EXPECT_EQ(CountOf(c.farewell), 1) << Dump();
        ExpectShowOver();
    }
}

// Leaving mid-question ends the show at the next pass: everything pending
// is skipped, the menu refreshed, the screens popped to the loading screen,
// and nothing of the show speaks again.
TEST_F(FinalStatesTest, LeavingMidQuestionEndsTheShowAtOnce)
{
    settingstest::MenuProbe menu;
    GameSettings::Instance()->SetMainMenu(&menu);
    StartAtBoard(mRight.get());
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    const std::shared_ptr<Quillory::QuestionTimer> timer = mShow->GetQuestionTimer();
    ASSERT_TRUE(timer && timer->IsTicking());
    ASSERT_GT(KEvent::EventManager::Instance()->GetCount(), 0u);
    mShow->ExitNextFrame();
    Pass();
    Pass();
    EXPECT_EQ(States(), (std::vector<int>{3, 4, 20})) << Dump();
    EXPECT_EQ(menu.refreshes, std::vector<bool>{false});
    EXPECT_EQ(gAnswerWindow, nullptr);
    EXPECT_FALSE(timer->IsTicking());
    EXPECT_EQ(Earnings(), 0);
    ExpectShowOver();
    const size_t traced = gTrace.size();
    RunFor(70000);
    EXPECT_EQ(gTrace.size(), traced) << Dump();
}

// Outside a show the final's and the endings' steps do nothing: Drop Out at
// the menus neither plays a banner nor credits the last show's money again,
// and the next show starts from the beginning.
TEST_F(FinalStatesTest, TheFinalAndTheEndingsNeedARunningShow)
{
    Record().DealQuestions();
    Record().correctCount = 10;
    Record().answerCorrect = true;
    ASSERT_FALSE(mShow->IsRunning());
    for (int32_t state = KShow::kFinalOffer; state < KShow::kShowEnd; ++state) {
        SCOPED_TRACE("state " + std::to_string(state));
        Record().state = state;
        mShow->ShowStep();
        EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u) << "nothing built";
        EXPECT_EQ(Record().state, 0);
    }
    mShow->DropOut();
    RunFor(5000);
    EXPECT_EQ(States(), std::vector<int>{18});
    EXPECT_TRUE(Noted("banner").empty());
    EXPECT_EQ(Earnings(), 0);
    EXPECT_EQ(Record().state, 0);
    EXPECT_TRUE(LogHas("dropping out without a running show is ignored"));
    EXPECT_NE(gStudio, nullptr);
}

// The offer and every ending leave no saved show to continue.
TEST_F(FinalStatesTest, TheFinalAndTheEndingsClearTheSavedShow)
{
    for (int32_t state : {KShow::kFinalOffer, KShow::kFlunkOut, KShow::kDropOut, KShow::kWin}) {
        SCOPED_TRACE("state " + std::to_string(state));
        NextCase();
        StartAt(state, 10, true, false);
        // Saved as the board's step saves it: the step has copied its
        // state to the previous one.
        Record().currentClassmate = nullptr;
        Record().previousState = KShow::kQuestionBoard;
        Record().Save();
        ASSERT_TRUE(GameRecord::HasSavedShow());
        Record().state = state;
        Pass();
        EXPECT_EQ(States(), std::vector<int>{state});
        EXPECT_FALSE(GameRecord::HasSavedShow());
    }
}

// Only states 0 to 20 have steps: a record standing anywhere else runs
// nothing, credits nothing and stays where it is.
TEST_F(FinalStatesTest, AStateOutsideTheTableDoesNothing)
{
    for (int32_t state : {-1, 21, 22, 23, 1000}) {
        SCOPED_TRACE("state " + std::to_string(state));
        NextCase();
        StartAt(state, 10, true, false);
        RunFor(1000);
        EXPECT_EQ(States(), std::vector<int>{state});
        EXPECT_EQ(Record().state, state);
        EXPECT_EQ(Record().previousState, state);
        EXPECT_TRUE(mShow->IsRunning());
        EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u) << Dump();
        EXPECT_TRUE(LogHas("no show state " + std::to_string(state)));
        EXPECT_EQ(Earnings(), 0);
        EXPECT_NE(gStudio, nullptr);
    }
}

// With the real stage in the studio: the winner's confetti falls from the
// stage's own emitter, and once the show's end has popped the studio
// nothing points at the stage; leaving or dropping out at the menus then
// reaches nothing of it.
TEST_F(FinalStatesTest, TheStageGoesWithTheShowAndNothingKeepsIt)
{
    for (bool win : {true, false}) {
        SCOPED_TRACE(win ? "won" : "left mid-question");
        NextCase();
        PushStudio();
        auto* stage = new KDemo();
        gStudio->AddChild(stage, true);
        stage->PostInit(TValueStyle());
        // The stage's own advance is dropped: the case starts its show.
        NewEvents();
        ASSERT_EQ(mShow->GetStage(), stage);
        ASSERT_EQ(KVO::VOPlayer::Existing()->GetSubtitleParent(), stage);
        ASSERT_EQ(KAnim::GetMoneyDisplayParent(), stage);
        const int32_t before = Earnings();
        if (win) {
            // The final was the eleventh right answer.
            StartAt(KShow::kWin, 11, true, false);
            RunFor(2 * kPassMs);
            EXPECT_NE(stage->Confetti(), nullptr) << "the stage holds the emitter";
            ASSERT_TRUE(RunUntilEnd()) << Dump();
        } else {
            StartAtBoard(mRight.get());
            PickQuestion();
            ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
            mShow->ExitNextFrame();
            ASSERT_TRUE(RunUntilEnd()) << Dump();
        }
        ExpectShowOver();
        EXPECT_EQ(mShow->GetStage(), nullptr);
        EXPECT_EQ(KVO::VOPlayer::Existing()->GetSubtitleParent(), nullptr);
        EXPECT_EQ(KAnim::GetMoneyDisplayParent(), nullptr);
        const int32_t won = Earnings() - before;
        EXPECT_EQ(won, win ? 1000000 : 0);

        gTrace.clear();
        mShow->ExitNextFrame();
        Pass();
        mShow->DropOut();
        RunFor(1000);
        EXPECT_EQ(States(), (std::vector<int>{20, 18})) << Dump();
        EXPECT_EQ(Earnings() - before, won) << "nothing credited again";
        EXPECT_TRUE(Noted("banner").empty());
    }
}

// The studio's banner is the flunk/drop animation with the text at the top
// right, dropping in over frames 1 to 30 and holding the last.
TEST_F(FinalStatesTest, TheStudioBannerCarriesTheAmount)
{
    auto make = KShow::StudioStateParts().makeMoneyBanner;
    ASSERT_NE(make, nullptr);
    std::shared_ptr<KEvent::Event> event = make(TString("anim/dropout.xml"), TString("$1,000"));
    ASSERT_NE(event, nullptr);
    const std::shared_ptr<Quillory::FlunkDropAnim>& banner = Quillory::GetFlunkDropAnim();
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->GetEvent(), event);
    ASSERT_NE(banner->GetLayout(), nullptr);
    EXPECT_EQ(banner->GetLayout()->GetText(), TString("$1,000"));
    EXPECT_EQ(banner->GetFrameList().GetText(), TString("1-30,30[100]"));
    EXPECT_FLOAT_EQ(banner->GetDrawParams().transform(2, 0), 560.0f);
    EXPECT_FLOAT_EQ(banner->GetDrawParams().transform(2, 1), 40.0f);
    EXPECT_FLOAT_EQ(banner->GetDrawParams().alpha, 1.0f);
}

} // namespace
