// A whole board played through the window manager: the show from its start
// through the classmate choices, ten board questions of every kind answered
// by clicks and typed keys, each help used, to the offer of the final
// question. What the record, the earnings, the window tree and the log
// hold at the end.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "WholeShowFixture.h"
#include "game/show/MoneyLadder.h"
#include "game/show/cast/KChild.h"

namespace {

using wholeshow::gStopRuns;

class WholeBoardTest : public wholeshow::WholeShowFixture {
protected:
    // What the record said of a question once its verdict was in.
    struct Verdict {
        bool correct, peek, copy, save, help;
        int32_t correctCount;
    };
    Verdict ReadVerdict()
    {
        const GameRecord& record = mShow->GetRecord();
        return {record.answerCorrect, record.peekUsed, record.copyUsed,
                record.saveUsed,      record.helpUsed, record.correctCount};
    }
    // Each board tile's button is shown while its question is unplayed.
    void ExpectTilesFollowThePlayed(TWindow* board)
    {
        const GameRecord& record = mShow->GetRecord();
        ASSERT_EQ(record.board.size(), 10u);
        for (size_t slot = 0; slot < record.board.size(); ++slot) {
            TWindow* tile = board->FindChild(TString(("btn_q" + std::to_string(slot)).c_str()));
            ASSERT_NE(tile, nullptr) << slot;
            EXPECT_EQ(tile->HasFlags(kWindowShown), !record.board[slot]->used) << "tile " << slot;
        }
    }
};

TEST_F(WholeBoardTest, TenQuestionsOfEveryKindWithEachHelpReachTheFinalOffer)
{
    // What the player does with each question, in the order played: the
    // help pressed first, then a right or a wrong answer. The wrong one is
    // saved (the classmate knows it); the Copy gives no answer of its own.
    struct Turn {
        const char* help;
        bool right;
    };
    const Turn turns[10] = {{"", true}, {"btn_Peek", true}, {"btn_Copy", true}, {"", false}, {"", true},
                            {"", true}, {"", true},         {"", true},         {"", true},  {"", true}};
    // The tiles in the order picked, and the classmates chosen (the choice
    // comes at the start and again after the second question).
    const int slots[10] = {9, 0, 5, 2, 7, 1, 8, 3, 6, 4};
    const std::pair<const char*, const char*> classmates[] = {{"btn01", "Tobin"}, {"btn03", "Imelda"}};

    StopAt(14);
    StartShow();
    GameRecord& record = mShow->GetRecord();
    size_t choices = 0, turn = 0;
    std::vector<Verdict> verdicts;
    std::vector<KQuestion::QBase*> asked;
    std::set<std::pair<int32_t, std::string>> kinds;
    std::vector<size_t> marks;
    const uint32_t start = uitest::gNow;
    constexpr uint32_t kLimitMs = 30 * 60 * 1000;

    while (gStopRuns == 0 && uitest::gNow - start < kLimitMs && !HasFatalFailure()) {
        Pass();
        if (auto* choice = NewWindow<Quillory::ChooseClassmate>()) {
            ASSERT_LT(choices, 2u) << "a third classmate choice";
            marks.push_back(Mark(choice));
            Click(choice, classmates[choices].first);
            ASSERT_NE(record.currentClassmate, nullptr);
            EXPECT_STREQ(record.currentClassmate->GetName().c_str(), classmates[choices].second);
            ++choices;
        }
        if (auto* board = NewWindow<KQuestion::QuestionBoard>()) {
            if (turn > 0)
                verdicts.push_back(ReadVerdict());
            ASSERT_LT(turn, 10u) << "an eleventh board";
            marks.push_back(Mark(board));
            ExpectTilesFollowThePlayed(board);
            Click(board, "btn_q" + std::to_string(slots[turn]));
            EXPECT_EQ(record.currentQuestion, record.board[size_t(slots[turn])]);
        }
        if (auto* window = NewWindow<KQuestion::QWindow>()) {
            ASSERT_LT(turn, 10u);
            marks.push_back(Mark(window));
            asked.push_back(window->GetQuestion());
            EXPECT_EQ(window->GetQuestion(), record.currentQuestion);
            kinds.emplace(window->GetQuestion()->type, window->GetClassName());
            // The player reads the question a moment.
            RunFor(1500);
            const Turn& t = turns[turn];
            if (std::string(t.help) == "btn_Peek") {
                Click(window, t.help);
                // The classmate's answer is on the screens for five seconds.
                RunFor(5500);
                Answer(window, t.right);
            } else if (std::string(t.help) == "btn_Copy") {
                Click(window, t.help);
            } else {
                Answer(window, t.right);
            }
            ++turn;
        }
    }
    ASSERT_EQ(gStopRuns, 1) << "the board did not end; " << turn << " questions, state " << record.state << "\n"
                            << mLog.Text();
    verdicts.push_back(ReadVerdict());
    // What was still running settles.
    RunFor(10000);

    EXPECT_EQ(choices, 2u);
    ASSERT_EQ(verdicts.size(), 10u);
    // correct, peek, copy, save, help, correct answers so far. The Peek's
    // line marks the question as helped, as the Copy and the Save do.
    const Verdict expected[10] = {
        {true, false, false, false, false, 1}, {true, true, false, false, true, 2},
        {true, false, true, false, true, 3},   {true, false, false, true, true, 4},
        {true, false, false, false, false, 5}, {true, false, false, false, false, 6},
        {true, false, false, false, false, 7}, {true, false, false, false, false, 8},
        {true, false, false, false, false, 9}, {true, false, false, false, false, 10},
    };
    for (size_t i = 0; i < 10; ++i) {
        SCOPED_TRACE("question " + std::to_string(i + 1));
        EXPECT_EQ(verdicts[i].correct, expected[i].correct);
        EXPECT_EQ(verdicts[i].peek, expected[i].peek);
        EXPECT_EQ(verdicts[i].copy, expected[i].copy);
        EXPECT_EQ(verdicts[i].save, expected[i].save);
        EXPECT_EQ(verdicts[i].help, expected[i].help);
        EXPECT_EQ(verdicts[i].correctCount, expected[i].correctCount);
    }

    // Every kind of answer window came up, the picture question as both.
    const std::set<std::pair<int32_t, std::string>> allKinds = {
        {1, "QWMult"}, {2, "QWTrueFalse"}, {3, "QWMult"}, {3, "QWTrueFalse"}, {5, "QWVO"}, {6, "QWOpenAnswer"}};
    EXPECT_EQ(kinds, allKinds);

    // The record: every board question asked once, every help spent.
    EXPECT_EQ(record.state, 14);
    EXPECT_EQ(record.correctCount, 10);
    EXPECT_EQ(record.peekCount, 0);
    EXPECT_EQ(record.copyCount, 0);
    EXPECT_EQ(record.saveCount, 0);
    EXPECT_FALSE(record.lost);
    EXPECT_FALSE(record.finalOffered);
    EXPECT_EQ(record.currentClassmate, nullptr) << "no helps left: no classmate for the final";
    EXPECT_EQ(record.CountPlayed(), 10);
    for (size_t slot = 0; slot < 10; ++slot)
        EXPECT_EQ(asked[slot], record.board[size_t(slots[slot])]) << slot;
    EXPECT_EQ(std::set<KQuestion::QBase*>(asked.begin(), asked.end()).size(), 10u);

    // Ten right answers stand at the tenth step of the ladder.
    EXPECT_EQ(MoneyLadderAmount(10), 500000);
    EXPECT_EQ(record.GetEarnings(), 500000);

    // Every window the player met is gone and the tree is as it started.
    for (size_t mark : marks)
        EXPECT_TRUE(Gone(mark)) << "window " << mark;
    EXPECT_TRUE(mStudio->GetChildren().empty());
    EXPECT_EQ(CountWindows(mManager->GetRootWindow()), mStartWindows);

    std::string unexpected;
    for (const std::string& line : UnexpectedLogLines())
        unexpected += line + "\n";
    EXPECT_EQ(unexpected, "");
}

} // namespace
