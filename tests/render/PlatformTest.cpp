#include "DisplayFixture.h"

#include <SDL.h>

#include "os/window/SdlInput.h"
#include "render/TestTexture.h"

namespace {

class PlatformTest : public DisplayFixture {
protected:
    void Motion(int32_t x, int32_t y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = OsGetWindowEventId(window);
        e.motion.x = x;
        e.motion.y = y;
        OsHandleSdlEvent(e);
    }
};

TEST_F(PlatformTest, NotReadyUntilAModeIsSet)
{
    EXPECT_EQ(GetPlatform(), platform);
    now = 1234;
    EXPECT_FALSE(platform->IsDeviceReady());
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 1234u);
    // Nothing was asked for: a restore has nothing to do.
    platform->Restore();
    EXPECT_FALSE(platform->IsDeviceReady());

    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(platform->IsDeviceReady());
    EXPECT_TRUE(host->displayChanged);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(OsGetClientSize(window, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_TRUE(OsIsWindowVisible(window));
    EXPECT_TRUE(ModeIs(800, 600, false));

    // The device went away under the display layer.
    Context().Release();
    EXPECT_FALSE(platform->IsDeviceReady());
    EXPECT_TRUE(platform->IsBroken());
}

TEST_F(PlatformTest, TheSameModeAgainChangesNothingButTheWorkingCount)
{
    auto asset = std::make_shared<CountingAsset>();
    assets->Add("a", asset);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(asset->released, 1);
    host->displayChanged = false;
    platform->CountWorkingFrame();
    platform->CountWorkingFrame();
    GfxRecordingLog().Clear();

    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(platform->GetWorkingCount(), 0u);
    EXPECT_FALSE(host->displayChanged);
    EXPECT_EQ(asset->released, 1);
    EXPECT_FALSE(GfxRecordingLog().Has("Release")) << "no mode change";

    // Forced, it is set again.
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_TRUE(host->displayChanged);
    EXPECT_EQ(asset->released, 2);

    // While the application is inactive only a forced mode set runs.
    host->active = false;
    host->displayChanged = false;
    platform->SetDisplay(640, 480, false, false, false, false);
    EXPECT_FALSE(host->displayChanged);
    EXPECT_TRUE(ModeIs(800, 600, false));
}

TEST_F(PlatformTest, RestoreAfterEnoughFramesRestoresTheAssets)
{
    int restoreRuns = 0;
    host->restoreTasks.Add(new CountingTask(&restoreRuns));
    auto asset = std::make_shared<CountingAsset>();
    assets->Add("a", asset);
    platform->SetDisplay(800, 600, false, false, false, false);
    int restoredAtSet = asset->restored;
    int runsAtSet = restoreRuns;
    EXPECT_GE(runsAtSet, 1) << "a mode set restores the assets and runs the tasks";

    for (int i = 0; i < 3; ++i)
        platform->CountWorkingFrame();
    platform->SetBroken(now);
    host->displayChanged = false;
    platform->Restore();
    EXPECT_FALSE(platform->IsBroken());
    EXPECT_FALSE(host->displayChanged) << "no new mode";
    EXPECT_EQ(platform->GetWorkingCount(), 0u);
    EXPECT_EQ(asset->restored, restoredAtSet + 1);
    EXPECT_EQ(restoreRuns, runsAtSet + 1);

    // Too soon after a mode set: the mode is set again.
    platform->SetBroken(now);
    platform->Restore();
    EXPECT_FALSE(platform->IsBroken());
    EXPECT_TRUE(host->displayChanged);
    EXPECT_EQ(LogCount("TPlatformData::Restore: Working count too small (0). Calling SetDisplay()"), 1);

    // In the background it stays broken.
    host->active = false;
    now = 5000;
    platform->SetBroken(1);
    platform->Restore();
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 5000u);
}

TEST_F(PlatformTest, RestoreWithoutAModeSetsIt)
{
    // The mode failed in the background: broken, with no display.
    OsWindow other = OsCreateWindow(OsWindowParams{"", 480, 360, nullptr, true});
    OsSetForegroundWindow(other);
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_FALSE(platform->IsDeviceReady());
    EXPECT_EQ(Data().mDirectDraw, nullptr);
    OsSetForegroundWindow(window);
    OsDestroyWindow(other);

    platform->Restore();
    EXPECT_TRUE(platform->IsDeviceReady());
    EXPECT_EQ(LogCount("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()"), 1);
    EXPECT_TRUE(ModeIs(800, 600, false));
}

TEST_F(PlatformTest, PointerPositionAndCursorPoll)
{
    platform->SetDisplay(800, 600, false, false, false, false);
    ASSERT_TRUE(platform->IsDeviceReady());
    // Nothing tracked yet: the poll finds nothing to show.
    platform->SetCursorImage(TTextureRef(), 0, 0);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
    platform->SetCursorImage(MakeTestTexture(16, 16), 2, 2);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);

    Motion(50, 60);
    TMousePos pos = platform->GetMousePos();
    EXPECT_EQ(pos.x, 50);
    EXPECT_EQ(pos.y, 60);

    // A move in a window is shown by the next frame (or poll).
    platform->TakeCursorPresentDue();
    TMousePos moved = platform->MoveMouse(50, 60);
    EXPECT_EQ(moved.x, 50);
    EXPECT_FALSE(platform->TakeCursorPresentDue());

    // The poll shows it, then asks for nothing while it stays.
    now += 100;
    pos = platform->MoveMouse(-1, -1);
    EXPECT_EQ(pos.x, 50);
    EXPECT_EQ(pos.y, 60);
    EXPECT_TRUE(platform->TakeCursorPresentDue());
    now += 100;
    platform->MoveMouse(-1, -1);
    EXPECT_FALSE(platform->TakeCursorPresentDue());
    platform->MoveMouse(53, 61);
    platform->MoveMouse(-1, -1);
    EXPECT_TRUE(platform->TakeCursorPresentDue());
    // Within 16 ms of the last showing a poll does nothing.
    platform->MoveMouse(54, 62);
    now += 10;
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, 54);
    EXPECT_FALSE(platform->TakeCursorPresentDue());
    now += 10;
    platform->MoveMouse(-1, -1);
    EXPECT_TRUE(platform->TakeCursorPresentDue());

    // Without an image the poll backs off.
    platform->SetCursorImage(TTextureRef(), 0, 0);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
    platform->SetCursorImage(MakeTestTexture(16, 16), 0, 0);

    // Leaving forgets the position until the next real move.
    platform->MoveMouse(5, 6);
    platform->MouseLeft();
    now += 100;
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
    platform->MoveMouse(5, 6);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, 5);
    platform->ResetMouse();
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
}

TEST_F(PlatformTest, HostedPositionsAreScaledBack)
{
    host->hosted = true;
    host->scale = 2.0f;
    Motion(101, 60);
    TMousePos pos = platform->GetMousePos();
    EXPECT_EQ(pos.x, 50);
    EXPECT_EQ(pos.y, 30);
    host->hosted = false;
}

TEST_F(PlatformTest, TheSystemPointerHidesWhenTheProgramDrawsOrHidesTheCursor)
{
    platform->SetDisplay(800, 600, false, false, false, false);
    // The built-in arrow of the first mode set: no system pointer.
    EXPECT_TRUE(platform->OnSetCursor());
    platform->SetCursorImage(TTextureRef(), 0, 0);
    platform->SetSystemCursorWanted(true);
    EXPECT_FALSE(platform->OnSetCursor());
    platform->SetCursorImage(MakeTestTexture(8, 8), 0, 0);
    EXPECT_TRUE(platform->OnSetCursor());
    EXPECT_FALSE(OsSystemCursorShown());
    platform->SetCursorImage(TTextureRef(), 0, 0);
    EXPECT_FALSE(platform->OnSetCursor());
    platform->SetSystemCursorWanted(false);
    EXPECT_TRUE(platform->OnSetCursor());
}

TEST_F(PlatformTest, TheFirstModeAsksForTheBuiltInCursorOnce)
{
    ASSERT_FALSE(platform->GetCursorTexture());
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(host->defaultCursorRequests, 1);
    TDXContext::CursorState cursor = Context().GetCursorState();
    EXPECT_EQ(cursor.width, 32);
    EXPECT_EQ(cursor.height, 32);
    EXPECT_TRUE(GfxRecordingLog().Has("SetCursorImage 32x32 hot 2,2 keyed"));
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_EQ(host->defaultCursorRequests, 1) << "only the first time";
}

} // namespace
