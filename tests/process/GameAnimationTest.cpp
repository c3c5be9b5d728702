// The show's 2D animations played in the running game by a test script:
// the game runs from a copy of the built assets whose main script plays the
// money display on the first key and the flunk-out banner on the second.
// What the window shows is read back from the X server.
#include <X11/keysym.h>

#include <thread>

#include "GameScreen.h"

namespace {

using namespace std::chrono_literals;

const char kTestScript[] = R"(-- Plays the show's animations, one a key.
local function NextKey()
    local m
    repeat
        m = WaitForMessage()
    until m ~= nil and m.type == kPressAnyKey
end

return function()
    PushModal("title")
    ReadFile("title.lua")
    DoFitToChildren()
    NextKey()
    PlayMoneyDisplay(12, true)
    NextKey()
    PlayFlunkOut("$64,000")
    while true do
        NextKey()
    end
end
)";

// Picture areas: the money ladder down the left, the banner at the top
// right.
constexpr PictureArea kLadder{10, 10, 130, 230};
constexpr PictureArea kBanner{480, 20, 300, 120};

using GameAnimationTest = GameScreenTest;

TEST_F(GameAnimationTest, ATestScriptPlaysTheMoneyDisplayAndTheFlunkOutBanner)
{
    StartGame(GameFolder(kTestScript));
    if (HasFatalFailure())
        return;
    std::this_thread::sleep_for(300ms);
    const std::vector<unsigned long> ladder = Pixels(kLadder), banner = Pixels(kBanner);
    ASSERT_FALSE(ladder.empty());

    PressKey(XK_space);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kLadder), ladder) > 0.3; }, 10s))
        << "the money display did not show";
    EXPECT_LT(Difference(Pixels(kBanner), banner), 0.05) << "the banner showed too soon";

    PressKey(XK_space);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kBanner), banner) > 0.2; }, 10s))
        << "the flunk-out banner did not show";

    const std::string log = ReadLog();
    for (const char* trouble : {"rror", "No such", "not found", "does not load"})
        EXPECT_EQ(log.find(trouble), std::string::npos) << trouble << "\n" << log;

    CloseGame();
}

} // namespace
