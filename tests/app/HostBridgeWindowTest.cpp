// The host bridge driven as a host drives it: commands sent to the main
// window, the pump's ready step, the application time, the sound, and the
// messages the program sends back to a host window (a headless window
// stands in for it, since windows here have no parents).
#include <string>
#include <vector>

#include "PumpTestSupport.h"
#include "sound/SoundManager.h"

namespace {

std::vector<std::string> gHostGot;

intptr_t HostProc(OsWindow, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    gHostGot.push_back(std::to_string(message - OsMsg::User) + ":" + std::to_string(wParam) + ":" +
                       std::to_string(lParam));
    return 42;
}

class HostBridgeWindow : public PumpFixture {
protected:
    void SetUp() override
    {
        PumpFixture::SetUp();
        SetApplicationClock(&Clock);
        sound = new TSoundManager();
        app->SetSoundManager(sound);
        sound->SetMasterVolume(0.75f);
        gHostGot.clear();
    }
    void TearDown() override
    {
        SetApplicationClock(nullptr);
        PumpFixture::TearDown();
    }
    intptr_t Command(uint32_t command) { return OsSendMessage(window, OsMsg::User, command, 0); }

    TSoundManager* sound = nullptr;
};

TEST_F(HostBridgeWindow, APauseStopsTheApplicationTimeAndFreesTheMouse)
{
    EnableHostBridge();
    Pump();
    uint32_t start = app->GetRunTime();
    now += 500;
    OsSetCapture(window);
    EXPECT_EQ(Command(4), 1);
    EXPECT_EQ(OsGetCapture(), nullptr);
    EXPECT_TRUE(IsHostPaused());
    now += 10000;
    EXPECT_EQ(app->GetRunTime() - start, 500u) << "standing still during the pause";
    EXPECT_EQ(Command(5), 1);
    now += 300;
    EXPECT_EQ(app->GetRunTime() - start, 800u);
    EXPECT_EQ(GetHostPausedTotal(), 10000u);
    // a resume without a pause changes no time
    EXPECT_EQ(Command(6), 1);
    EXPECT_EQ(app->GetRunTime() - start, 800u);
}

TEST_F(HostBridgeWindow, TheSoundFollowsTheHostsCommands)
{
    struct Step {
        const char* what; // a command number, or "ready" for one pump step
        float volume;
        bool paused;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"held, then released", {{"ready", 0.75f, false}, {"2", 0, false}, {"1", 0, false}, {"3", 0.75f, false}}},
        {"a pause, held meanwhile",
         {{"ready", 0.75f, false}, {"4", 0, true}, {"2", 0, true}, {"5", 0, false}, {"3", 0.75f, false}}},
        // before the ready step the bridge is not acknowledged: silent, and
        // the ready step does not re-evaluate
        {"before the ready step", {{"8", 0, false}, {"ready", 0, false}, {"99", 0.75f, false}}},
        {"acknowledged by the host", {{"1", 0, false}, {"7", 0.75f, false}, {"ready", 0.75f, false}}},
    };
    for (const Case& c : cases) {
        ResetHostBridge();
        sound->SetMasterVolume(0.75f);
        EnableHostBridge();
        for (const Step& step : c.steps) {
            if (std::string(step.what) == "ready")
                Pump();
            else
                EXPECT_EQ(Command(uint32_t(std::stoul(step.what))), 1) << c.name;
            EXPECT_FLOAT_EQ(sound->GetGroupVolume(-1), step.volume) << c.name << " after " << step.what;
            EXPECT_EQ(IsHostPaused(), step.paused) << c.name << " after " << step.what;
        }
    }
    // while the bridge is off commands are answered and ignored
    ResetHostBridge();
    sound->SetMasterVolume(0.75f);
    EXPECT_EQ(Command(2), 1);
    EXPECT_EQ(Command(4), 1);
    EXPECT_FLOAT_EQ(sound->GetGroupVolume(-1), 0.75f);
    EXPECT_FALSE(IsHostPaused());
}

TEST_F(HostBridgeWindow, FullScreenRequestsAndForwardedMessagesReachTheHost)
{
    OsWindowParams params;
    params.headless = true;
    params.proc = HostProc;
    OsWindow host = OsCreateWindow(params);
    ASSERT_NE(host, nullptr);
    SetHostWindow(host);

    SetCommandLineText("game -pq=1");
    app->SetupDisplay(800, 600, true);
    EXPECT_TRUE(app->SetFullScreen(false));
    // forwarded whether the bridge is on or not; the window answers 1
    EXPECT_EQ(OsSendMessage(window, OsMsg::User + 2, 3, 4), 1);
    EXPECT_EQ(ForwardToHost(OsMsg::User + 2, 5, 6), 42);
    std::vector<std::string> want = {"0:1:0", "0:0:0", "2:3:4", "2:5:6"};
    EXPECT_EQ(gHostGot, want);
    EXPECT_FALSE(IsHostFullScreen());

    // a host window that has gone takes nothing and breaks nothing
    OsDestroyWindow(host);
    gHostGot.clear();
    EXPECT_EQ(OsSendMessage(window, OsMsg::User + 2, 3, 4), 1);
    NotifyHostFullScreen(true);
    EXPECT_TRUE(gHostGot.empty());
    EXPECT_TRUE(IsHostFullScreen());
}

} // namespace
