// The saved show in a running show: the board writes it, the main menu's
// Lua functions ask for it, and state 0 resumes it at the board or, when it
// is not asked for or not sound, starts anew and empties it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ShowStatesFixture.h"
#include "game/show/ShowScriptLua.h"
#include "platform/AssetNames.h"

namespace {

using namespace showtest;

class SavedShowStatesTest : public ShowStatesFixture {
protected:
    void SetUp() override
    {
        ShowStatesFixture::SetUp();
        for (int state = KShow::kFinalOffer; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        GameSettings::Instance()->CreateNewUser(TString("Ada Lee"));
        GameSettings::Instance()->AddEarnings(1000);
        RegisterShowScriptLua(mScript->GetState());
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string SavePath() const { return mRoot + "/user/saves/ada_lee"; }
    std::string Prefs() const { return ReadFile(mRoot + "/user/prefs.dat"); }

    // A show that has played two questions (one right) and stands at its
    // board again, which saves it.
    std::vector<KQuestion::QBase*> PlayToTheBoard()
    {
        StartAtBoard(mRight.get());
        PickQuestion();
        Answer(true);
        EXPECT_TRUE(RunUntilOpen(gBoard)) << Dump();
        EXPECT_EQ(States().back(), KShow::kQuestionBoard);
        return Record().board;
    }
    // A new show from the menus, with or without the player's Continue.
    void StartShow(bool continued)
    {
        NewEvents();
        // The last show's board goes as the show's end pops the screens.
        if (gBoard) {
            KEvent::MakeCloseWindow(gBoard);
            Pass();
            ASSERT_EQ(gBoard, nullptr);
        }
        gTrace.clear();
        ASSERT_TRUE(Run(continued ? "SetContinue(true)" : "SetContinue(false)"));
        EXPECT_EQ(Record().continueSavedShow, continued);
        Record().state = KShow::kShowStart;
        mShow->AdvanceNextFrame();
        RunFor(500);
    }
};

TEST_F(SavedShowStatesTest, TheBoardSavesAndAContinuedShowResumesThere)
{
    EXPECT_EQ(Eval("HasSavedShow()"), "false");
    const std::vector<KQuestion::QBase*> board = PlayToTheBoard();
    EXPECT_EQ(Eval("HasSavedShow()"), "true");
    struct stat st;
    ASSERT_EQ(stat(SavePath().c_str(), &st), 0);
    // Ten questions, no classmates in the cast: 4 x 5 + 8 + 4 x 2 + 10 x 5 +
    // 4 x 3 + 4 bytes.
    EXPECT_EQ(st.st_size, 102);
    KQuestion::QBase* played = Record().currentQuestion;
    ASSERT_NE(played, nullptr);

    // Another show in memory; the player continues the saved one.
    Record().Reset();
    Record().DealQuestions();
    played->used = false;
    const std::string prefs = Prefs();
    StartShow(true);
    ASSERT_TRUE(RunUntilOpen(gBoard)) << Dump();
    EXPECT_EQ(States(), (std::vector<int>{0, 3})) << Dump();
    EXPECT_EQ(Record().board, board);
    EXPECT_TRUE(played->used);
    EXPECT_EQ(Record().currentQuestion, played);
    EXPECT_EQ(Record().correctCount, 1);
    EXPECT_FALSE(Record().continueSavedShow) << "the request holds for one show";
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "107"), 0) << "no opening for a resumed show";
    EXPECT_EQ(Prefs(), prefs);
    EXPECT_EQ(mLog.Count("not restored"), 0) << mLog.Text();
}

TEST_F(SavedShowStatesTest, AShowNotContinuedStartsAnewAndEmptiesTheSave)
{
    const std::vector<KQuestion::QBase*> board = PlayToTheBoard();
    ASSERT_EQ(Eval("HasSavedShow()"), "true");
    StartShow(false);
    EXPECT_EQ(States(), (std::vector<int>{0})) << Dump();
    EXPECT_EQ(Record().state, KShow::kIntroduction);
    EXPECT_EQ(Record().correctCount, 0);
    EXPECT_EQ(Eval("HasSavedShow()"), "false");
    struct stat st;
    ASSERT_EQ(stat(SavePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

// Saves that cannot be resumed as they are: each starts a new show, with a
// log line, and leaves the player's profile as it was.
TEST_F(SavedShowStatesTest, ABadSaveStartsANewShowAndLeavesTheProfileAlone)
{
    PlayToTheBoard();
    const std::string good = ReadFile(SavePath());
    ASSERT_EQ(good.size(), 102u);
    auto with = [&](size_t at, const std::string& bytes) {
        std::string out = good;
        out.replace(at, bytes.size(), bytes);
        return out;
    };
    const std::string won("\x13\0\0\0\x13\0\0\0", 8);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"resumed at the win", with(12, won)},
        {"ten right answers", with(28, std::string("\x0A\0\0\0", 4))},
        {"cut short", good.substr(0, 60)},
        {"foreign", std::string(102, '\x7F')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(SavePath(), std::ios::binary | std::ios::trunc) << c.bytes;
        const std::string prefs = Prefs();
        const int32_t earnings = GameSettings::Instance()->GetEarnings();
        mLog.Restart();
        StartShow(true);
        EXPECT_EQ(States(), (std::vector<int>{0})) << Dump();
        EXPECT_EQ(Record().state, KShow::kIntroduction);
        EXPECT_EQ(Record().correctCount, 0);
        EXPECT_EQ(mLog.Count("not restored"), 1) << mLog.Text();
        EXPECT_EQ(GameSettings::Instance()->GetEarnings(), earnings);
        EXPECT_EQ(Prefs(), prefs);
        EXPECT_EQ(ReadFile(SavePath()), "") << "a show not restored empties the save";
    }
}

} // namespace
