#include <gtest/gtest.h>

#include "app/HostBridge.h"
#include "app/PlatformApp.h"
#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "os/window/Window.h"
#include "platform/Timer.h"
#include "sound/SoundManager.h"

namespace {

class HostBridge : public ::testing::Test {
protected:
    static inline uint32_t now = 5000;
    static uint32_t Clock() { return now; }

    TPlatformApp* app = nullptr;
    TSoundManager* sound = nullptr;

    void SetUp() override
    {
        now = 5000;
        ResetHostBridge();
        SetHostBridgeClock(&Clock);
        OsResetMessageState();
        app = new TPlatformApp("", 0, true);
        sound = new TSoundManager();
        app->SetSoundManager(sound);
        sound->SetMasterVolume(0.75f);
    }

    void TearDown() override
    {
        delete app;
        ResetHostBridge();
        SetHostBridgeClock(nullptr);
        OsResetMessageState();
    }

    float Volume() { return sound->GetGroupVolume(-1); }
};

TEST_F(HostBridge, OffItDoesNothing)
{
    SendHostReady();
    for (uint32_t command : {1u, 2u, 4u, 7u}) {
        HostCommand(command, 0);
        EXPECT_FALSE(IsHostPaused());
        EXPECT_EQ(GetHostPausedTotal(), 0u);
        EXPECT_FALSE(IsHostMuted());
        EXPECT_FLOAT_EQ(Volume(), 0.75f);
    }
}

TEST_F(HostBridge, PausesAddUpAndStopTheApplicationTime)
{
    EnableHostBridge();
    SendHostReady();
    HostCommand(4, 0);
    EXPECT_TRUE(IsHostPaused());
    now += 4000;
    // The running pause counts already, so the application time stands still.
    EXPECT_EQ(GetHostPausedTotal(), 4000u);
    now += 6000;
    HostCommand(5, 0);
    EXPECT_FALSE(IsHostPaused());
    EXPECT_EQ(GetHostPausedTotal(), 10000u);

    // A second pause request while paused keeps the first start.
    HostCommand(4, 0);
    now += 100;
    HostCommand(4, 0);
    now += 100;
    HostCommand(6, 0);
    EXPECT_EQ(GetHostPausedTotal(), 10200u);

    // A resume without a pause changes nothing but the sound evaluation.
    now += 500;
    HostCommand(9, 0);
    EXPECT_EQ(GetHostPausedTotal(), 10200u);

    // Every resume command ends a pause; 7 also acknowledges.
    for (uint32_t resume : {5u, 6u, 7u, 9u, 10u}) {
        HostCommand(4, 0);
        now += 10;
        HostCommand(resume, 0);
        EXPECT_FALSE(IsHostPaused()) << resume;
    }
    EXPECT_EQ(GetHostPausedTotal(), 10250u);

    // Across the wrap of the millisecond counter.
    now = 0xFFFFFFF0u;
    HostCommand(4, 0);
    now = 0x10;
    HostCommand(5, 0);
    EXPECT_EQ(GetHostPausedTotal(), 10250u + 0x20u);
}

TEST_F(HostBridge, SoundHeldThenReleased)
{
    EnableHostBridge();
    SendHostReady();
    HostCommand(2, 0);
    EXPECT_TRUE(IsHostMuted());
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    HostCommand(1, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    HostCommand(3, 0);
    EXPECT_FALSE(IsHostMuted());
    EXPECT_FLOAT_EQ(Volume(), 0.75f);
}

TEST_F(HostBridge, APauseSilencesUntilTheResume)
{
    EnableHostBridge();
    SendHostReady();
    HostCommand(4, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    HostCommand(2, 0);
    HostCommand(5, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.0f) << "still held";
    HostCommand(3, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.75f);
}

TEST_F(HostBridge, ACommandBeforeTheReadyStepSilencesUntilTheNextCommand)
{
    EnableHostBridge();
    HostCommand(8, 0);
    EXPECT_TRUE(IsHostMuted());
    SendHostReady();
    EXPECT_FLOAT_EQ(Volume(), 0.0f) << "the ready step does not re-evaluate";
    HostCommand(42, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.75f);

    // Acknowledging by command works the same way.
    ResetHostBridge();
    EnableHostBridge();
    HostCommand(1, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.0f);
    HostCommand(7, 0);
    EXPECT_FLOAT_EQ(Volume(), 0.75f);
}

TEST_F(HostBridge, APauseReleasesTheMouseCapture)
{
    OsWindowParams params;
    params.headless = true;
    OsWindow window = OsCreateWindow(params);
    ASSERT_NE(window, nullptr);
    EnableHostBridge();
    SendHostReady();
    OsSetCapture(window);
    HostCommand(4, 0);
    EXPECT_EQ(OsGetCapture(), nullptr);
    EXPECT_TRUE(IsHostPaused());
    OsDestroyWindow(window);
}

TEST_F(HostBridge, FullScreenFlagAndForwardingWithoutAHost)
{
    // Both work whether the bridge is on or not; without a host window the
    // messages go nowhere.
    EXPECT_FALSE(IsHostFullScreen());
    NotifyHostFullScreen(true);
    EXPECT_TRUE(IsHostFullScreen());
    NotifyHostFullScreen(false);
    EXPECT_FALSE(IsHostFullScreen());
    EXPECT_EQ(ForwardToHost(OsMsg::User + 2, 1, 2), 0);

    OsWindowParams params;
    params.headless = true;
    OsWindow window = OsCreateWindow(params);
    RecordParentWindow(window);
    EXPECT_EQ(GetHostWindow(), nullptr) << "windows here have no parent";
    OsDestroyWindow(window);
}

TEST_F(HostBridge, WithoutASoundManagerTheStateStillFollows)
{
    app->SetSoundManager(nullptr); // deletes it
    sound = nullptr;
    EnableHostBridge();
    SendHostReady();
    HostCommand(2, 0);
    EXPECT_TRUE(IsHostMuted());
    HostCommand(3, 0);
    EXPECT_FALSE(IsHostMuted());
}

} // namespace
