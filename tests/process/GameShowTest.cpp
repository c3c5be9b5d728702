// A show played in the running game by real clicks: a test script starts
// it as the game's menus will, and the test plays it as a person does,
// going by the show's own log lines ("Show: state N") to know when each
// window is up. The questions are all true-or-false with "True" right, so
// the player knows where the right answer is.
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "GameScreen.h"

using namespace std::chrono_literals;

namespace {

const char kShowScript[] = R"(-- Starts a show through the loading screen, then waits.
return function()
    if GetNumUsers() == 0 then
        CreateNewUser("Tester")
    end
    PushModal("loading_window")
    ReadFile("scripts/loading.lua")
    while true do
        WaitForMessage()
    end
end
)";

// Continues the current player's saved show, when there is one.
const char kContinueScript[] = R"(return function()
    SetContinue(HasSavedShow())
    PushModal("loading_window")
    ReadFile("scripts/loading.lua")
    while true do
        WaitForMessage()
    end
end
)";

// Two questions of each board grade and a final one, every one true.
std::string TrueQuestions()
{
    std::string text = "<questions>\n";
    for (int grade = 1; grade <= 6; ++grade)
        for (int i = 0; i < (grade == 6 ? 1 : 2); ++i)
            text += "<question><type>2</type><grade>" + std::to_string(grade) +
                    "</grade><subject>Science</subject><question>Statement " + std::to_string(grade) + "." +
                    std::to_string(i) + " is true.</question><correct>True</correct><incorrect1>False</incorrect1>"
                    "</question>\n";
    return text + "</questions>\n";
}

// Where things are on the 800 x 600 picture: the middle of the first
// classmate's card, of board tile i, of the true choice, of the answer
// button and of the stage's main-menu button.
constexpr int kCardX = 96, kCardY = 290, kCardStep = 152;
int TileX(int i)
{
    return 90 + (i % 2) * 320 + 150;
}
int TileY(int i)
{
    return 110 + (i / 2) * 90 + 39;
}
constexpr int kTrueX = 249, kTrueY = 444;
constexpr int kAnswerX = 400, kAnswerY = 540;
constexpr int kMainMenuX = 710, kMainMenuY = 570;
constexpr int kQuestions = 3;

class GameShowTest : public GameScreenTest {
protected:
    // How many times the show has run the state so far.
    size_t StateCount(int state)
    {
        const std::string log = ReadLog();
        const std::string line = "Show: state " + std::to_string(state);
        size_t count = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
            const size_t after = at + line.size();
            if (after >= log.size() || !isdigit(static_cast<unsigned char>(log[after])))
                ++count;
        }
        return count;
    }

    bool WaitForState(int state, size_t count, std::chrono::milliseconds timeout = 120s)
    {
        return WaitUntil([&] { return StateCount(state) >= count; }, timeout);
    }

    // Clicks the points in turn, again and again (a window may not be up
    // yet), until the show has run the state `count` times.
    bool ClickUntil(std::initializer_list<std::pair<int, int>> points, int state, size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (StateCount(state) < count) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            for (auto [x, y] : points) {
                ClickAt(x, y);
                std::this_thread::sleep_for(250ms);
            }
            std::this_thread::sleep_for(300ms);
        }
        return true;
    }

    // At the board: the tile of the question, then true and the answer
    // button, until the show has taken it as the turn-th right answer.
    void PlayQuestion(int question, size_t turn)
    {
        ASSERT_TRUE(WaitForState(3, turn)) << "no board before question " << question + 1 << "\n" << ReadLog();
        ASSERT_TRUE(ClickUntil({{TileX(question), TileY(question)}}, 4, turn))
            << "tile " << question << " did not open its question\n" << ReadLog();
        ASSERT_TRUE(ClickUntil({{kTrueX, kTrueY}, {kAnswerX, kAnswerY}}, 7, turn))
            << "question " << question + 1 << " was not answered\n" << ReadLog();
        ASSERT_TRUE(WaitForState(9, turn)) << "question " << question + 1 << " was not right\n" << ReadLog();
    }

    void ExpectCleanLog()
    {
        const std::string log = ReadLog();
        for (const char* trouble : {"rror", "Cannot", "not found", "does not load", "Could not", "no show state"})
            EXPECT_EQ(log.find(trouble), std::string::npos) << trouble << "\n" << log;
    }

    std::string ShowFolder()
    {
        const std::string folder = GameFolder(kShowScript);
        std::ofstream(folder + "/assets/questions.xml") << TrueQuestions();
        return folder;
    }
};

TEST_F(GameShowTest, AShowPlayedInTheGameIsSavedAtTheBoardAndContinuedAfterARestart)
{
    const std::string folder = ShowFolder();
    StartGame(folder);
    if (HasFatalFailure())
        return;
    MovePointer(400, 300);

    // The opening runs by itself up to the classmate choice, which comes
    // back after every second question while helps are left. Three
    // questions take the show through both; the headless whole-board test
    // plays a whole board on a fast clock.
    size_t choices = 0;
    for (int question = 0; question < kQuestions; ++question) {
        const size_t turn = size_t(question) + 1;
        if (question % 2 == 0) {
            ++choices;
            ASSERT_TRUE(WaitForState(2, choices)) << "no classmate choice before question " << turn << "\n"
                                                  << ReadLog();
            // A classmate who has helped leaves the choice: each time the next one.
            const int card = kCardX + kCardStep * int(choices - 1);
            ASSERT_TRUE(ClickUntil({{card, kCardY}}, 3, turn)) << "the classmate choice did not close\n" << ReadLog();
        }
        PlayQuestion(question, turn);
        if (HasFatalFailure())
            return;
    }
    // Back at the board the show is saved; the game is closed there.
    ASSERT_TRUE(WaitForState(3, kQuestions + 1)) << ReadLog();
    EXPECT_EQ(StateCount(10), 0u);
    ExpectCleanLog();
    CloseGame();

    // Started again, the script asks for the saved show: it opens at the
    // board without the opening, and the fourth question is next.
    std::ofstream(folder + "/assets/scripts/mainloop.lua") << kContinueScript;
    std::remove((mData.Path() + "/Dunmere/Quillory/logfile.txt").c_str());
    StartGame(folder);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(WaitForState(3, 1)) << "the saved show did not come back to the board\n" << ReadLog();
    EXPECT_EQ(StateCount(1), 0u) << ReadLog();
    PlayQuestion(kQuestions, 1);
    if (HasFatalFailure())
        return;
    // Four right answers: the classmate choice comes back, then the board,
    // whose main-menu button ends the show.
    ASSERT_TRUE(WaitForState(2, 1)) << ReadLog();
    ASSERT_TRUE(ClickUntil({{kCardX + 2 * kCardStep, kCardY}}, 3, 2)) << ReadLog();
    ASSERT_TRUE(ClickUntil({{kMainMenuX, kMainMenuY}}, 20, 1)) << "the show did not end\n" << ReadLog();
    EXPECT_EQ(StateCount(10), 0u);
    ExpectCleanLog();
    CloseGame();
}

} // namespace
