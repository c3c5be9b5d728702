// The show's board states (0 to 13) on the shared show fixture: the
// opening, the classmate choice, the board, every way a question goes, the
// helps and the choice of what comes next.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ShowStatesFixture.h"

namespace {

using namespace showtest;

// The board's tests stop where the show's end begins: the steps of the
// final and the endings are left out, so a state that leads there only
// shows in the trace.
class ShowStatesTest : public ShowStatesFixture {
protected:
    void SetUp() override
    {
        ShowStatesFixture::SetUp();
        for (int state = KShow::kFinalOffer; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
    }
};

TEST_F(ShowStatesTest, ANewShowOpensWithTheAnnouncerThenIntroducesTheClass)
{
    Record().saveCount = 0;
    Record().correctCount = 4;
    Record().lost = true;
    Record().state = 0;
    mShow->AdvanceNextFrame();
    ASSERT_TRUE(RunUntilOpen(gClassmateWindow)) << Dump();

    EXPECT_EQ(States(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(mShow->IsRunning());
    const GameRecord& record = Record();
    EXPECT_EQ(record.saveCount + record.peekCount + record.copyCount, 3) << "a new show has one of each help";
    EXPECT_EQ(record.correctCount, 0);
    EXPECT_FALSE(record.lost);
    EXPECT_FALSE(record.honours);
    EXPECT_EQ(record.board.size(), 10u);
    EXPECT_NE(record.finalQuestion, nullptr);
    EXPECT_EQ(record.state, 3);
    // The opening lines wait a second at least; the introduction waits for
    // the camera (1 s) and the last classmate's wave (7.99 s after it).
    EXPECT_GE(TimeOf("state 1"), 1000 + 50);
    EXPECT_GE(TimeOf("state 2") - TimeOf("state 1"), 1000 + 7990);
    EXPECT_LT(TimeOf("state 2") - TimeOf("state 1"), 1000 + 7990 + 500);
    RunFor(5000);
    EXPECT_EQ(States().size(), 3u) << "the show waits for the classmate";
    // The announcer's three lines, the host's introduction, the host asks
    // for a classmate.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"107", "265", "266", "211", "215"})) << Dump();
}

TEST_F(ShowStatesTest, ANewShowWithHonoursStartsItsIntroductionAtOnce)
{
    GameSettings* settings = GameSettings::Instance();
    settings->CreateNewUser(TString("Ada"));
    settings->SetHonorsEngaged(true);
    ASSERT_TRUE(settings->GetHonorsEngaged());
    Record().state = 0;
    mShow->AdvanceNextFrame();
    RunFor(500);
    EXPECT_EQ(States(), (std::vector<int>{0, 1}));
    EXPECT_LE(TimeOf("state 1"), 3 * int(kPassMs)) << Dump();
    EXPECT_TRUE(Record().honours);
    EXPECT_EQ(Lines(), std::vector<std::string>{"211"}) << "no opening lines with honours";
    int fours = 0, fives = 0;
    for (const KQuestion::QBase* question : Record().board) {
        fours += question->grade == 4;
        fives += question->grade == 5;
    }
    EXPECT_EQ(fours, 6);
    EXPECT_EQ(fives, 4);
}

TEST_F(ShowStatesTest, ChoosingAClassmateLeadsToTheBoardAndAQuestion)
{
    Record().DealQuestions();
    Record().state = 2;
    mShow->SetRunning(true);
    mShow->AdvanceNextFrame();
    ASSERT_TRUE(RunUntilOpen(gClassmateWindow));
    Record().currentClassmate = mRight.get();
    Close(gClassmateWindow);
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    EXPECT_EQ(States(), (std::vector<int>{2, 3, 4}));
    EXPECT_TRUE(Record().mainMenuButtonShown) << "the board shows the main-menu button";
    EXPECT_EQ(Record().state, 7);
    ASSERT_NE(mShow->GetQuestionTimer(), nullptr);
    EXPECT_TRUE(mShow->GetQuestionTimer()->IsTicking());
    // The board closes, the camera returns (0.1 s) and settles (0.6 s).
    EXPECT_GE(TimeOf("state 4") - TimeOf("state 3"), 1000 + 700);
}

// From the answer to the next board or the end, for each way a question
// can go; the classmate knows every answer or none.
TEST_F(ShowStatesTest, EveryWayAQuestionCanGo)
{
    struct Case {
        const char* name;
        bool right;
        bool explanation;
        int32_t saves;
        bool copy;
        bool classmateKnows;
        std::vector<int> states; // after the board and the question
        int32_t correctCount;
        bool lost;
    };
    const Case cases[] = {
        {"right, explained", true, true, 1, false, true, {7, 8, 9, 11, 13, 3}, 1, false},
        {"right, nothing to explain", true, false, 1, false, true, {7, 8, 9, 13, 3}, 1, false},
        {"wrong, saved by a right classmate", false, false, 1, false, true, {7, 8, 10, 12, 9, 13, 3}, 1, false},
        {"wrong, a wrong classmate spends the save", false, false, 1, false, false, {7, 8, 10, 12, 10, 17}, 0, true},
        {"wrong, no save, nothing to explain", false, false, 0, false, true, {7, 8, 10, 17}, 0, true},
        {"wrong, no save, explained", false, true, 0, false, true, {7, 8, 10, 11, 17}, 0, true},
        {"copied from a right classmate", false, false, 1, true, true, {6, 9, 13, 3}, 1, false},
        {"copied wrong: final even with a save", false, false, 1, true, false, {6, 10, 17}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewEvents();
        gTrace.clear();
        StartAtBoard(c.classmateKnows ? mRight.get() : mWrong.get(), c.saves);
        PickQuestion();
        Record().currentQuestion->explanation = c.explanation ? TString("Because") : TString();
        if (c.copy)
            CopyAnswer();
        else
            Answer(c.right);
        const bool toBoard = c.states.back() == 3;
        if (toBoard)
            RunUntilOpen(gBoard);
        else
            RunFor(30000);
        std::vector<int> states = States();
        ASSERT_GE(states.size(), 2u) << Dump();
        EXPECT_EQ(std::vector<int>(states.begin() + 2, states.end()), c.states) << Dump();
        EXPECT_EQ(Record().correctCount, c.correctCount);
        EXPECT_EQ(Record().lost, c.lost);
        EXPECT_EQ(Record().saveUsed, c.states.size() > 3 && c.states[3] == 12);
        EXPECT_EQ(Record().copyUsed, c.copy);
        EXPECT_EQ(Record().helpUsed, c.copy || Record().saveUsed);
        if (gBoard)
            Close(gBoard);
        RunFor(200);
    }
}

TEST_F(ShowStatesTest, AnAnswerIsJudgedAtTheNextPassAndTheScreensTellTheStory)
{
    StartAtBoard(mWrong.get(), 0);
    PickQuestion();
    const std::string correct = Record().currentQuestion->correct.c_str();
    const std::string explanation = Record().currentQuestion->explanation.c_str();
    Answer(false);
    RunFor(30000);
    ASSERT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 10, 11, 17})) << Dump();
    // State 7 only asks for the next step.
    EXPECT_EQ(TimeOf("state 8") - TimeOf("state 7"), int(kPassMs));
    // The right answer, then the explanation, each brought on by a
    // transition and read for five seconds.
    EXPECT_TRUE(Traced("transition #####\n" + correct)) << Dump();
    EXPECT_TRUE(Traced("screens #####\n" + correct));
    EXPECT_TRUE(Traced("transition " + explanation));
    EXPECT_TRUE(Traced("screens " + explanation));
    EXPECT_GE(TimeOf("state 11") - TimeOf("state 10"), 500 + 5000);
    EXPECT_GE(TimeOf("state 17") - TimeOf("state 11"), 500 + 5000);
    EXPECT_FALSE(Record().mainMenuButtonShown);
    EXPECT_FALSE(mShow->GetQuestionTimer()->IsTicking()) << "the answer stops the timer";
    // The pedestal flashed red and faded out.
    EXPECT_FLOAT_EQ(mLights.hue, 0.0f);
    EXPECT_FLOAT_EQ(mLights.saturation, 0.0f);
}

TEST_F(ShowStatesTest, ARightAnswerLightsThePedestalBlueAndFadesIt)
{
    StartAtBoard(mRight.get());
    PickQuestion();
    Answer(true);
    RunUntilOpen(gBoard);
    ASSERT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 9, 11, 13, 3})) << Dump();
    RunFor(6000);
    EXPECT_FLOAT_EQ(mLights.hue, 0.66f);
    EXPECT_FLOAT_EQ(mLights.saturation, 0.0f);
}

TEST_F(ShowStatesTest, TheClassmateAnswersWhenTheSaveIsUsed)
{
    StartAtBoard(mRight.get());
    PickQuestion();
    Answer(false);
    RunUntilOpen(gBoard);
    ASSERT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 10, 12, 9, 11, 13, 3})) << Dump();
    EXPECT_EQ(Record().saveCount, 0);
    EXPECT_TRUE(Record().answerCorrect) << "the classmate's answer counts";
    // The classmate's answer shows on the screens before the reaction.
    EXPECT_TRUE(Traced("screens #####")) << Dump();
    EXPECT_GE(TimeOf("state 9") - TimeOf("state 12"), 250 + 800);
}

// Once the last help is gone the no-helps line plays with the next question
// (once per show) and the classmate leaves at the next-question state.
TEST_F(ShowStatesTest, WithEveryHelpSpentTheClassmateLeaves)
{
    StartAtBoard(mRight.get(), 0, 0, 0);
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    EXPECT_TRUE(Record().noHelpsVoicePlayed);
    Answer(true);
    RunUntilOpen(gBoard);
    EXPECT_EQ(Record().currentClassmate, nullptr);
    EXPECT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 9, 11, 13, 3})) << Dump();
    // The next question goes on without a classmate.
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    EXPECT_TRUE(Record().noHelpsVoicePlayed);
    EXPECT_EQ(States().back(), 4);
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "224"), 1) << "the no-helps line plays once a show";
}

// The host remarks on the halfway point after the fifth question, when it
// was answered right.
TEST_F(ShowStatesTest, HalfwayAfterTheFifthRightAnswer)
{
    struct Case {
        int32_t playedBefore;
        bool right;
        bool halfway;
    };
    const Case cases[] = {{4, true, true}, {3, true, false}, {5, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("played before " + std::to_string(c.playedBefore));
        NewEvents();
        gTrace.clear();
        StartAtBoard(mRight.get());
        for (int32_t i = 0; i < c.playedBefore; ++i)
            Record().board[size_t(i)]->used = true;
        PickQuestion();
        Answer(c.right);
        RunUntilOpen(c.playedBefore % 2 == 0 ? gBoard : gClassmateWindow);
        ASSERT_EQ(States().back(), c.playedBefore % 2 == 0 ? 3 : 2) << Dump();
        const std::vector<std::string> lines = Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "257"), c.halfway ? 1 : 0) << Dump();
        if (gBoard)
            Close(gBoard);
        if (gClassmateWindow)
            Close(gClassmateWindow);
        RunFor(200);
    }
}

// A show that ends while the board's camera move is still on deletes the
// board the player never saw.
TEST_F(ShowStatesTest, AWindowNeverShownGoesWithTheShow)
{
    StartAtBoard(mRight.get());
    RunFor(500);
    ASSERT_NE(gBoard, nullptr);
    ASSERT_EQ(gBoard->GetParent(), nullptr) << "not shown yet";
    KEvent::EventManager::Instance()->SkipAll();
    EXPECT_EQ(gBoard, nullptr);
    RunFor(200);
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
}

// The next-question state's choice, step by step.
TEST_F(ShowStatesTest, TheNextQuestionStateChoosesTheBoardTheClassmatesOrTheFinal)
{
    struct Case {
        int32_t played;
        int32_t helps; // each of the three counts
        int32_t next;
        bool keepsClassmate;
    };
    const Case cases[] = {
        {1, 1, 3, true}, {2, 1, 2, true}, {4, 1, 2, true}, {5, 1, 3, true}, {9, 1, 3, true},
        {2, 0, 3, false}, {3, 0, 3, false}, {10, 1, 14, true}, {10, 0, 14, true},
    };
    Record().DealQuestions();
    for (const Case& c : cases) {
        SCOPED_TRACE("played " + std::to_string(c.played) + ", helps " + std::to_string(c.helps));
        for (size_t i = 0; i < Record().board.size(); ++i)
            Record().board[i]->used = int32_t(i) < c.played;
        Record().saveCount = Record().peekCount = Record().copyCount = c.helps;
        Record().currentClassmate = mRight.get();
        Record().answerCorrect = true;
        Record().state = 13;
        KShow::NextQuestion(*mShow);
        EXPECT_EQ(Record().state, c.next);
        EXPECT_EQ(Record().currentClassmate != nullptr, c.keepsClassmate);
    }
}

// Without a classmate window or question board the show does not hang: a
// missing window's wait ends at once.
TEST_F(ShowStatesTest, MissingPartsAreLoggedAndTheShowGoesOn)
{
    KShow::SetShowStateParts(KShow::ShowStateParts());
    Record().currentClassmate = mRight.get();
    Record().state = 2;
    mShow->SetRunning(true);
    mShow->AdvanceNextFrame();
    RunFor(4000);
    const std::vector<int> states = States();
    ASSERT_GE(states.size(), 3u) << Dump();
    EXPECT_EQ(std::vector<int>(states.begin(), states.begin() + 3), (std::vector<int>{2, 3, 4})) << Dump();
    EXPECT_TRUE(LogHas("no classmate choice window"));
    EXPECT_TRUE(LogHas("no question board"));
    EXPECT_TRUE(LogHas("the question state without a question"));
}

} // namespace
