// Whole shows played through the window manager to each of their endings:
// the player picks classmates and tiles, answers by clicks and typed keys,
// takes or turns down the final question, and drops out where the stage
// script would (its Drop Out buttons call the show's DropOut()). What ran
// after the board, what the player's profile was credited, and what is left
// on screen and in the log.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "WholeShowFixture.h"
#include "game/show/GameSettings.h"
#include "game/show/MoneyLadder.h"
#include "game/show/screens/QContinue.h"
#include "platform/AssetNames.h"

namespace {

class WholeShowTest : public wholeshow::WholeShowFixture {
protected:
    void SetUp() override
    {
        WholeShowFixture::SetUp();
        // The player's folder, where the settings and the saved show go.
        const std::string root = mLog.Path();
        std::filesystem::create_directories(root + "/user");
        SetAssetFolders((root + "/user").c_str(), (root + "/common").c_str(), (root + "/desktop").c_str());
        mHost.windows = mManager.get();
        GameSettings::Create(&mHost);
        GameSettings::Instance()->CreateNewUser(TString("Ada"));
        ASSERT_EQ(GameSettings::Instance()->GetEarnings(), 0);
    }
    void TearDown() override
    {
        WholeShowFixture::TearDown();
        GameSettings::Destroy();
        SetAssetFolders("", "", "");
    }

    // The first shown button among the names.
    static std::string FirstShown(TWindow* root, const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            TWindow* button = root->FindChild(TString(name.c_str()));
            if (button && button->HasFlags(kWindowShown))
                return name;
        }
        return std::string();
    }
    // What the stage script does with a Drop Out button's click.
    void StageDropsOut() { ASSERT_TRUE(mScript->RunString(TString("DropOut()"))); }

    // The states after the board's (14 and up) in the order they ran.
    std::vector<int> EndingStates() const
    {
        std::vector<int> states;
        const std::string mark = "Show: state ";
        for (const std::string& line : mLog.Lines()) {
            const size_t at = line.find(mark);
            if (at == std::string::npos)
                continue;
            const int state = std::atoi(line.c_str() + at + mark.size());
            if (state >= 14)
                states.push_back(state);
        }
        return states;
    }

    settingstest::FakeSettingsHost mHost;
};

TEST_F(WholeShowTest, EveryEndingCreditsWhatTheShowWonOnceAndLeavesNothingBehind)
{
    // Each board answer: 'R' right, 'W' wrong, 'D' the answer window's Drop
    // Out. At the offer: 'C' continue, 'D' drop out; then the final right or
    // not.
    struct Ending {
        const char* name;
        const char* board;
        char offer;
        bool finalRight;
        std::vector<int> after;
        int32_t won;
    } endings[] = {
        {"win", "RRRRRRRRRR", 'C', true, {14, 15, 16, 19, 20}, MoneyLadderAmount(11)},
        {"flunk out at the final", "RRRRRRRRRR", 'C', false, {14, 15, 16, 17, 20}, 25000},
        {"flunk out at the board after five", "RRRRRWW", 0, false, {17, 20}, 25000},
        {"flunk out at the board before five", "WW", 0, false, {17, 20}, 0},
        {"drop out at the board", "RRRD", 0, false, {18, 20}, MoneyLadderAmount(3)},
        {"drop out at the offer", "RRRRRRRRRR", 'D', false, {14, 18, 20}, MoneyLadderAmount(10)},
    };
    for (const Ending& e : endings) {
        SCOPED_TRACE(e.name);
        mLog.Restart();
        if (!mStudio)
            OpenStudio();
        const int32_t before = GameSettings::Instance()->GetEarnings();
        StartShow();
        ASSERT_TRUE(mShow->IsRunning());
        size_t answered = 0;
        bool offered = false;
        const uint32_t start = uitest::gNow;
        while (mShow->IsRunning() && uitest::gNow - start < 30u * 60 * 1000 && !HasFatalFailure()) {
            Pass();
            if (auto* choice = NewWindow<Quillory::ChooseClassmate>()) {
                Mark(choice);
                Click(choice, FirstShown(choice, {"btn01", "btn02", "btn03", "btn04", "btn05"}));
            }
            if (auto* board = NewWindow<KQuestion::QuestionBoard>()) {
                Mark(board);
                std::vector<std::string> tiles;
                for (int slot = 0; slot < 10; ++slot)
                    tiles.push_back("btn_q" + std::to_string(slot));
                Click(board, FirstShown(board, tiles));
            }
            if (auto* offer = NewWindow<KQuestion::QContinue>()) {
                ASSERT_NE(e.offer, 0) << "an offer after " << answered << " answers";
                Mark(offer);
                offered = true;
                Click(offer, e.offer == 'C' ? "Btn_continue" : "btn_DropOut");
                if (e.offer == 'D')
                    StageDropsOut();
            }
            if (auto* window = NewWindow<KQuestion::QWindow>()) {
                Mark(window);
                RunFor(1500);
                if (offered) {
                    Answer(window, e.finalRight);
                    continue;
                }
                ASSERT_LT(answered, std::string(e.board).size()) << "a question past the plan";
                const char move = e.board[answered++];
                if (move == 'D') {
                    Click(window, "btn_DropOut");
                    StageDropsOut();
                } else {
                    Answer(window, move == 'R');
                }
            }
        }
        ASSERT_FALSE(mShow->IsRunning()) << "the show did not end; state " << mShow->GetRecord().state << "\n"
                                         << mLog.Text();
        RunFor(10000);

        EXPECT_EQ(answered, std::string(e.board).size());
        EXPECT_EQ(EndingStates(), e.after);
        EXPECT_EQ(GameSettings::Instance()->GetEarnings() - before, e.won) << "credited once";
        EXPECT_EQ(mShow->GetRecord().state, 0) << "the next show starts anew";
        // The show's end popped the studio with the loading screen, and
        // every window the player met went with them.
        EXPECT_EQ(mStudio, nullptr);
        EXPECT_EQ(CountWindows(mManager->GetRootWindow()), mBaseWindows);
        for (size_t mark = 0; mark < mGone.size(); ++mark)
            EXPECT_TRUE(Gone(mark)) << "window " << mark;
        std::string unexpected;
        for (const std::string& line : UnexpectedLogLines())
            unexpected += line + "\n";
        EXPECT_EQ(unexpected, "");
    }
}

} // namespace
