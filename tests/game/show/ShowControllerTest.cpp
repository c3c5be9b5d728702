// The show controller: its record, the steps it runs, and the four script
// functions that move the show on.
#include <gtest/gtest.h>

#include "EventTestSupport.h"
#include "SettingsTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/question/QuestionDB.h"
#include "ui/WindowScriptSupport.h"

namespace {

std::vector<std::string> gSteps;

// States that record their runs; state 3 goes on to 4.
template <int N>
void Record(ShowController& show)
{
    gSteps.push_back(std::to_string(N));
    if (N == 3)
        show.GetRecord().state = 4;
}

class ShowControllerTest : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        eventtest::FreshEventManager();
        gSteps.clear();
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        ShowController::SetState(3, &Record<3>);
        ShowController::SetState(4, &Record<4>);
        ShowController::SetState(18, &Record<18>);
        ShowController::SetState(20, &Record<20>);
        mShow = ShowController::Instance();
    }
    void TearDown() override
    {
        ShowController::Destroy();
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        eventtest::FreshEventManager();
        WindowScriptFixture::TearDown();
    }

    static void EventPass() { KEvent::EventManager::Instance()->Update(); }

    ShowController* mShow = nullptr;
};

TEST_F(ShowControllerTest, ANewControllerHasAFreshRecordAndNoShow)
{
    const GameRecord& r = mShow->GetRecord();
    EXPECT_FALSE(mShow->IsRunning());
    EXPECT_TRUE(r.board.empty());
    EXPECT_EQ(r.finalQuestion, nullptr);
    EXPECT_EQ(r.saveCount + r.peekCount + r.copyCount, 3);
    EXPECT_EQ(r.state, 0);
    EXPECT_EQ(r.correctCount, 0);
    EXPECT_FALSE(r.honours || r.lost || r.finalOffered || r.continueSavedShow);
    EXPECT_EQ(ShowController::Instance(), mShow);
    EXPECT_EQ(KEvent::GetShowLink(), mShow);
    for (const char* name : {"AdvanceNextFrame", "ExitNextFrame", "DropOut", "SkipVO"})
        EXPECT_EQ(Eval(std::string("type(") + name + ")"), "function") << name;
}

TEST_F(ShowControllerTest, ScriptFunctionsRunTheirStepsAtTheNextEventPass)
{
    struct Case {
        const char* name;
        int32_t state;
        const char* code;
        std::vector<std::string> steps;
        int32_t stateAfter;
    };
    const Case cases[] = {
        {"advance runs the current state", 3, "AdvanceNextFrame()", {"3"}, 4},
        {"twice in one frame runs two steps", 3, "AdvanceNextFrame() AdvanceNextFrame()", {"3", "4"}, 4},
        {"exit goes to the end", 3, "ExitNextFrame()", {"20"}, 20},
        {"drop out from the question state", 4, "DropOut()", {"18"}, 18},
        {"drop out from the first state", 0, "DropOut()", {"18"}, 18},
        {"drop out from the end state", 20, "DropOut()", {"18"}, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gSteps.clear();
        mShow->GetRecord().state = c.state;
        ASSERT_TRUE(Run(c.code)) << mLog.Text();
        EXPECT_TRUE(gSteps.empty()) << "nothing runs before the pass";
        EventPass();
        EXPECT_EQ(gSteps, c.steps);
        EXPECT_EQ(mShow->GetRecord().state, c.stateAfter);
        EXPECT_EQ(mShow->GetRecord().previousState, std::stoi(c.steps.back()));
    }
}

TEST_F(ShowControllerTest, SkipVOStopsTheCurrentMusic)
{
    auto music = eventtest::Manual("music");
    mShow->SetCurrentMusic(music);
    EventPass();
    ASSERT_TRUE(music->IsStarted());
    ASSERT_TRUE(Run("SkipVO()"));
    EventPass();
    EXPECT_TRUE(music->IsFinished());
    EXPECT_EQ(eventtest::Only("skip"), std::vector<std::string>{"0:music"});
}

TEST_F(ShowControllerTest, ScriptFunctionsOutliveTheControllerHarmlessly)
{
    ShowController::Destroy();
    EXPECT_EQ(KEvent::GetShowLink(), nullptr);
    EXPECT_TRUE(Run("AdvanceNextFrame() DropOut() SkipVO() ExitNextFrame()"));
    EventPass();
    EXPECT_TRUE(gSteps.empty());
    mShow = ShowController::Instance(); // a new one takes the names over
    mShow->GetRecord().state = 3;
    EXPECT_TRUE(Run("AdvanceNextFrame()"));
    EventPass();
    EXPECT_EQ(gSteps, std::vector<std::string>{"3"});
}

TEST_F(ShowControllerTest, AStateOutsideTheShowIsLoggedAndSkipped)
{
    mShow->GetRecord().state = 21;
    mShow->ShowStep();
    EXPECT_EQ(mShow->GetRecord().previousState, 21);
    EXPECT_TRUE(gSteps.empty());
    EXPECT_TRUE(LogHas("no show state 21"));
}

TEST_F(ShowControllerTest, TheScreenWindowIsOwnedAndReplaced)
{
    auto* first = new uitest::ProbeOf<TWindow>("first", 0);
    auto* second = new uitest::ProbeOf<TWindow>("second", 0);
    uitest::gLog.clear();
    mShow->SetScreenWindow(first);
    mShow->SetScreenWindow(first); // the same: kept
    EXPECT_TRUE(uitest::gLog.empty());
    mShow->SetScreenWindow(second);
    EXPECT_EQ(uitest::gLog, std::vector<std::string>{"first:deleted"});
    ShowController::Destroy();
    EXPECT_EQ(uitest::gLog, (std::vector<std::string>{"first:deleted", "second:deleted"}));
}

// A start-up script makes a player, deals a board from our question file
// and reads its questions and labels.
TEST_F(ShowControllerTest, AScriptMakesAPlayerDealsABoardAndReadsIt)
{
    settingstest::FakeSettingsHost host;
    host.windows = mManager.get();
    GameSettings::Create(&host);
    MTRandom random;
    auto db = std::make_unique<KQuestion::QuestionDB>(random);
    db->Load(TString(("::" + std::string(QUILLORY_SOURCE_DIR) + "/assets/questions.xml").c_str()));
    ASSERT_GT(db->GetCount(), 100);
    KQuestion::QuestionDB::Install(std::move(db));

    ASSERT_TRUE(Run(R"(
        local user = CreateNewUser("Ada")
        SetCurrentUser(user)
        DealQuestions()
        gLabels, gQuestions = {}, {}
        for i = 1, 11 do
            gLabels[i] = GetBoardLabel(i)
            gQuestions[i] = GetBoardQuestion(i)
        end
    )")) << mLog.Text();
    EXPECT_EQ(Eval("GetNumUsers()"), "1");
    const GameRecord& record = mShow->GetRecord();
    ASSERT_EQ(record.board.size(), 10u);
    ASSERT_NE(record.finalQuestion, nullptr);
    EXPECT_EQ(record.finalQuestion->grade, 6);
    for (int i = 1; i <= 10; ++i) {
        const std::string index = std::to_string(i);
        TString label;
        record.board[size_t(i - 1)]->GetLabel(label);
        EXPECT_EQ(Eval("gLabels[" + index + "]"), label.c_str());
        EXPECT_NE(Eval("gLabels[" + index + "]").find("Grade"), std::string::npos);
        EXPECT_EQ(Eval("gQuestions[" + index + "]"), record.board[size_t(i - 1)]->question.c_str());
        // Grades 1 to 5, two questions each.
        EXPECT_EQ(record.board[size_t(i - 1)]->grade, (i + 1) / 2);
    }
    EXPECT_EQ(Eval("gLabels[11]"), "");
    EXPECT_EQ(Eval("gQuestions[11]"), "");
    EXPECT_EQ(record.CountPlayed(), 0);
    record.board[3]->used = true;
    EXPECT_EQ(record.CountPlayed(), 1);

    // With honours: six of grade 4 and four of grade 5; Reset keeps the board.
    mShow->GetRecord().honours = true;
    mShow->DealQuestions();
    int fours = 0, fives = 0;
    for (const KQuestion::QBase* q : record.board) {
        fours += q->grade == 4;
        fives += q->grade == 5;
    }
    EXPECT_EQ(fours, 6);
    EXPECT_EQ(fives, 4);
    const std::vector<KQuestion::QBase*> board = record.board;
    mShow->GetRecord().Reset();
    EXPECT_EQ(record.board, board);

    KQuestion::QuestionDB::Destroy();
    GameSettings::Destroy();
}

TEST(GameRecordTest, ResetStartsAShowAndKeepsTheBoard)
{
    GameRecord r;
    KQuestion::QBase* const fake = reinterpret_cast<KQuestion::QBase*>(&r); // never read
    r.board = {fake};
    r.finalQuestion = r.currentQuestion = fake;
    r.saveCount = r.peekCount = r.copyCount = 0;
    r.state = 9;
    r.previousState = 8;
    r.correctCount = 7;
    r.answerCorrect = r.helpUsed = r.saveUsed = r.peekUsed = r.copyUsed = r.lost = r.honours = true;
    r.finalOffered = r.noHelpsVoicePlayed = r.mainMenuButtonShown = r.continueSavedShow = true;
    EXPECT_FALSE(r.HasHelpsLeft());
    r.Reset();
    EXPECT_EQ(r.board.size(), 1u) << "only dealing replaces the board";
    EXPECT_EQ(r.finalQuestion, nullptr);
    EXPECT_EQ(r.currentQuestion, nullptr);
    EXPECT_EQ(r.saveCount + r.peekCount + r.copyCount, 3);
    EXPECT_EQ(r.state, 0);
    EXPECT_EQ(r.previousState, 8);
    EXPECT_EQ(r.correctCount, 0);
    EXPECT_TRUE(r.answerCorrect) << "the last verdict stays";
    EXPECT_TRUE(r.mainMenuButtonShown) << "the menu button stays";
    EXPECT_FALSE(r.helpUsed || r.saveUsed || r.peekUsed || r.copyUsed || r.lost || r.honours);
    EXPECT_FALSE(r.finalOffered || r.noHelpsVoicePlayed || r.continueSavedShow);
}

TEST(GameRecordTest, HelpsLeftWhileAnyCountIsAboveZero)
{
    struct Case {
        int32_t save, peek, copy;
        bool left;
    };
    for (const Case& c : {Case{1, 1, 1, true}, Case{0, 0, 0, false}, Case{0, 0, 1, true}, Case{0, 1, 0, true},
                          Case{1, 0, 0, true}, Case{-1, 0, 0, false}}) {
        GameRecord r;
        r.saveCount = c.save;
        r.peekCount = c.peek;
        r.copyCount = c.copy;
        EXPECT_EQ(r.HasHelpsLeft(), c.left) << c.save << c.peek << c.copy;
    }
}

} // namespace
