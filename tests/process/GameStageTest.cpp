// The studio in the running game: a test script loads the set, opens the
// stage and moves the camera through the show's shots, one a key. What
// the window shows is read back from the X server.
#include <X11/keysym.h>

#include <algorithm>
#include <thread>

#include "GameScreen.h"

namespace {

using namespace std::chrono_literals;

const char kTestScript[] = R"(-- The studio, then the show's shots, one a key.
local function NextKey()
    local m
    repeat
        m = WaitForMessage()
    until m ~= nil and m.type == kPressAnyKey
end

return function()
    LoadStudio("mesh/set/Set.xml")
    StudioTour(true)
    PushModal("stage")
    ReadFile("scripts/stage.lua")
    NextKey()
    CameraShot("intro", 200)
    NextKey()
    CameraShot("board", 200)
    NextKey()
    CameraReturn(100)
    while true do
        NextKey()
    end
end
)";

constexpr PictureArea kWhole{0, 0, 800, 600};
// The classmates' heads and shoulders over their pedestals in the intro
// shot.
constexpr PictureArea kSeats{60, 300, 680, 140};

const char kCastScript[] = R"(-- The cast at their places; a key and the classmates wave.
return function()
    LoadStudio("mesh/set/Set.xml")
    LoadCast()
    StudioTour(true)
    PushModal("stage")
    ReadFile("scripts/stage.lua")
    CameraShot("intro", 0)
    local m
    repeat
        m = WaitForMessage()
    until m ~= nil and m.type == kPressAnyKey
    for who = 0, 4 do
        PlayCastAnimation(who, "SitWave")
    end
    while true do
        WaitForMessage()
    end
end
)";

const char kVoiceScript[] = R"(-- The cast idling on the set; a key and the host speaks, with subtitles.
return function()
    if GetNumUsers() == 0 then
        CreateNewUser("Tester")
    end
    UseSubtitles(true)
    LoadStudio("mesh/set/Set.xml")
    LoadCast()
    StudioTour(true)
    PushModal("stage")
    ReadFile("scripts/stage.lua")
    CameraShot("intro", 0)
    StartIdleAnimations()
    local m
    repeat
        m = WaitForMessage()
    until m ~= nil and m.type == kPressAnyKey
    PlayVoiceOver(211)
    while true do
        WaitForMessage()
    end
end
)";

// Where subtitles are shown: two lines across the top of the screen.
constexpr PictureArea kSubtitles{155, 45, 490, 70};

class GameStageTest : public GameScreenTest {
protected:
    void ExpectCleanLog()
    {
        const std::string log = ReadLog();
        for (const char* trouble : {"rror", "Cannot", "not found", "does not load", "Could not"})
            EXPECT_EQ(log.find(trouble), std::string::npos) << trouble << "\n" << log;
    }

    // The picture once it has not changed for half a second (the camera
    // has arrived; a game slowed down by the sanitizers may take longer
    // than a sampling step to draw a frame).
    std::vector<unsigned long> Settled()
    {
        std::vector<unsigned long> last = Pixels(kWhole);
        int still = 0;
        for (int i = 0; i < 150 && still < 5; ++i) {
            std::this_thread::sleep_for(100ms);
            std::vector<unsigned long> now = Pixels(kWhole);
            still = Difference(now, last) < 0.001 ? still + 1 : 0;
            last = std::move(now);
        }
        return last;
    }

    // The picture once it has left `before` and come to rest: a slow game
    // (under the sanitizers) may take a while to take a key.
    std::vector<unsigned long> MovedFrom(const std::vector<unsigned long>& before)
    {
        EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kWhole), before) > 0.05; }, 20s))
            << "the picture did not change";
        return Settled();
    }

    // The picture once a screen is drawn (many colours: the title or the
    // studio) and at rest.
    std::vector<unsigned long> Drawn()
    {
        EXPECT_TRUE(WaitUntil([&] { return Colours(Pixels(kWhole)) > 200; }, 20s)) << "nothing is drawn";
        return Settled();
    }

    // How many distinct colours (a flat or empty picture has few).
    static size_t Colours(const std::vector<unsigned long>& pixels)
    {
        std::vector<unsigned long> sorted(pixels);
        std::sort(sorted.begin(), sorted.end());
        return size_t(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
    }
};

TEST_F(GameStageTest, ATestScriptShowsTheStudioAndMovesTheCameraThroughTheShots)
{
    StartGame(GameFolder(kTestScript));
    if (HasFatalFailure())
        return;
    // Away from the edges, where the pointer would turn the camera.
    MovePointer(400, 300);
    const std::vector<unsigned long> wide = Drawn();
    ASSERT_FALSE(wide.empty());
    EXPECT_GT(Colours(wide), 200u) << "the studio is not drawn";

    PressKey(XK_space);
    const std::vector<unsigned long> intro = MovedFrom(wide);
    EXPECT_GT(Difference(intro, wide), 0.5) << "the camera did not move to the classmates";

    PressKey(XK_space);
    const std::vector<unsigned long> board = MovedFrom(intro);
    EXPECT_GT(Difference(board, intro), 0.5) << "the camera did not move to the board";

    PressKey(XK_space);
    const std::vector<unsigned long> back = MovedFrom(board);
    EXPECT_LT(Difference(back, wide), 0.1) << "the camera did not come back to the wide shot";

    ExpectCleanLog();
    CloseGame();
}

// The way a person gets there today: the title, the widgets dialog's
// Studio button, a key for the next shot, Escape back to the title.
TEST_F(GameStageTest, TheStudioOpensFromTheWidgetsDialogAndEscapeGoesBackToTheTitle)
{
    StartGame(GameFolder());
    if (HasFatalFailure())
        return;
    MovePointer(400, 300);
    const std::vector<unsigned long> title = Drawn();
    PressKey(XK_space);
    ASSERT_TRUE(WaitUntil([&] { return Difference(Pixels(kWhole), title) > 0.1; }, 20s)) << "no dialog";
    const std::vector<unsigned long> dialog = Settled();
    ClickAt(260, 460);
    // The click lands (its events are sent late, as a hand's) before the
    // pointer moves away from the edges.
    ASSERT_TRUE(WaitUntil([&] { return Difference(Pixels(kWhole), dialog) > 0.5; }, 20s)) << "no studio";
    MovePointer(400, 300);
    const std::vector<unsigned long> wide = Drawn();
    EXPECT_GT(Difference(wide, title), 0.5);

    PressKey(XK_space);
    EXPECT_GT(Difference(MovedFrom(wide), wide), 0.5) << "a key did not move the camera";

    PressKey(XK_Escape);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kWhole), title) < 0.01; }, 20s))
        << "Escape did not bring the title back (" << Difference(Pixels(kWhole), title) << " differs)";

    ExpectCleanLog();
    CloseGame();
}

TEST_F(GameStageTest, TheClassmatesSitAtTheirPedestalsAndWaveOnAKey)
{
    StartGame(GameFolder(kCastScript));
    if (HasFatalFailure())
        return;
    MovePointer(400, 300);
    Drawn();
    const std::vector<unsigned long> seated = Pixels(kSeats);
    ASSERT_FALSE(seated.empty());

    // The wave moves arms over the pedestals while the camera holds still.
    PressKey(XK_space);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kSeats), seated) > 0.01; }, 20s))
        << "the classmates did not move";

    ExpectCleanLog();
    CloseGame();
}

TEST_F(GameStageTest, TheCastIdlesOnTheSetAndTheHostSpeaksASubtitledLineOnAKey)
{
    StartGame(GameFolder(kVoiceScript));
    if (HasFatalFailure())
        return;
    MovePointer(400, 300);
    Drawn();

    // Nobody asks them to, yet the classmates move now and then.
    const std::vector<unsigned long> seated = Pixels(kSeats);
    ASSERT_FALSE(seated.empty());
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kSeats), seated) > 0.005; }, 30s))
        << "the classmates stood still";

    // The line's first page appears over the set, then the line ends and
    // its subtitles go.
    const std::vector<unsigned long> before = Pixels(kSubtitles);
    PressKey(XK_space);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kSubtitles), before) > 0.02; }, 20s))
        << "no subtitle appeared";
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kSubtitles), before) < 0.02; }, 60s))
        << "the subtitle stayed";

    ExpectCleanLog();
    CloseGame();
}

} // namespace
