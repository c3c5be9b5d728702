#include "DisplayFixture.h"

#include <thread>

#include "render/TestTexture.h"
#include "ui/WindowManager.h"

namespace {

class FrameTest : public DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
        GfxRecordingLog().Clear();
    }

    size_t Calls(const std::string& prefix) const { return GfxRecordingLog().Count(prefix); }

    // Frames drawn so that the working count allows a surface restore.
    void DrawFrames(int count)
    {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(platform->BeginDraw(false));
            platform->EndDraw(true);
        }
    }
};

// A restore task that starts a frame while the restore runs.
class FrameInRestoreTask : public TTask {
public:
    explicit FrameInRestoreTask(std::vector<bool>* results) : mResults(results) {}
    bool Run() override
    {
        mResults->push_back(GetPlatform()->BeginDraw(false));
        return true;
    }

private:
    std::vector<bool>* mResults;
};

TEST_F(FrameTest, AFrameOpensTheSceneClearsDepthAndPresentsOnRequest)
{
    Data().mViewport = TRect(10, 20, 110, 220);
    EXPECT_TRUE(platform->BeginDraw(false));
    EXPECT_TRUE(Data().mInFrame);
    EXPECT_EQ(platform->GetWorkingCount(), 1u);
    const auto& calls = GfxRecordingLog().calls;
    std::vector<std::string> want = {"BeginScene", "SetViewport 0,0,800,600", "Clear 2 00000000 1",
                                     "SetViewport 10,20,100,200"};
    ASSERT_GE(calls.size(), want.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 4), want);
    platform->EndDraw(true);
    EXPECT_FALSE(Data().mInFrame);
    EXPECT_EQ(Calls("EndScene"), 1u);
    EXPECT_EQ(Calls("Present"), 1u);

    // Without present (a render-to-texture pass) nothing is shown.
    EXPECT_TRUE(platform->BeginDraw(false));
    platform->EndDraw(false);
    EXPECT_EQ(Calls("EndScene"), 2u);
    EXPECT_EQ(Calls("Present"), 1u);
    // A second end, or an end without a frame, does nothing.
    platform->EndDraw(true);
    EXPECT_EQ(Calls("EndScene"), 2u);

    // While a movie shows, the frame is not presented.
    host->moviePlaying = true;
    EXPECT_TRUE(platform->BeginDraw(true));
    platform->EndDraw(true);
    EXPECT_EQ(Calls("Present"), 1u);
    host->moviePlaying = false;
    EXPECT_EQ(platform->GetWorkingCount(), 3u);
}

TEST_F(FrameTest, FramesAreRefusedWithoutAUsableDevice)
{
    platform->SetBroken(now);
    EXPECT_FALSE(platform->BeginDraw(false));
    Data().mBroken = false;

    // Minimised: the frame waits 200 ms and is skipped.
    host->active = false;
    EXPECT_FALSE(platform->BeginDraw(false));
    EXPECT_EQ(sleeps, std::vector<int32_t>{200});
    host->active = true;

    // Another failure of BeginScene: no frame, no restore.
    GfxInjectResult(GfxOp::BeginScene, GfxResult::Failed);
    EXPECT_FALSE(platform->BeginDraw(false));
    EXPECT_FALSE(Data().mInFrame);
    EXPECT_EQ(GfxCallCount(GfxOp::TestCooperativeLevel), 0u);
    EXPECT_EQ(Calls("BeginScene"), 1u);
    EXPECT_EQ(platform->GetWorkingCount(), 0u);

    // No mode at all.
    Context().Release();
    Data().mDevice = nullptr;
    EXPECT_FALSE(platform->BeginDraw(false));
}

TEST_F(FrameTest, ALostSurfaceAfterEnoughFramesRestoresSurfacesAndAssets)
{
    int restoreRuns = 0;
    host->restoreTasks.Add(new CountingTask(&restoreRuns));
    auto asset = std::make_shared<CountingAsset>();
    assets->Add("a", asset);
    DrawFrames(3);

    GfxInjectLoseSurfaces();
    EXPECT_TRUE(platform->BeginDraw(false)) << "restored and begun again";
    EXPECT_EQ(LogCount("TRenderer::BeginDraw: DDERR_SURFACELOST on BeginScene"), 1);
    EXPECT_EQ(GfxCallCount(GfxOp::RestoreAllSurfaces), 1u);
    EXPECT_EQ(asset->released, 1);
    EXPECT_EQ(asset->restored, 1);
    EXPECT_EQ(restoreRuns, 1);
    EXPECT_EQ(platform->GetWorkingCount(), 1u);
    EXPECT_FALSE(GfxRecordingLog().Has("Create ")) << "no new mode";
    platform->EndDraw(true);

    // Lost again two frames later: too soon for the surfaces, the mode is
    // set again.
    DrawFrames(1);
    EXPECT_EQ(platform->GetWorkingCount(), 2u);
    GfxInjectLoseSurfaces();
    EXPECT_TRUE(platform->BeginDraw(false));
    EXPECT_EQ(LogCount("TPlatformData::Restore: Working count too small (2). Calling SetDisplay()"), 1);
    EXPECT_EQ(GfxCallCount(GfxOp::RestoreAllSurfaces), 1u);
    EXPECT_TRUE(GfxRecordingLog().Has("Create 800x600 window"));
    EXPECT_EQ(restoreRuns, 2) << "the new mode restores the assets too";
    platform->EndDraw(true);
}

TEST_F(FrameTest, ALossInsideTheRestoreOfBeginDrawIsNotRestoredAgain)
{
    std::vector<bool> inner;
    host->restoreTasks.Add(new FrameInRestoreTask(&inner));
    DrawFrames(3);
    GfxInjectSequence(GfxOp::BeginScene, {GfxResult::SurfaceLost, GfxResult::SurfaceLost});
    EXPECT_TRUE(platform->BeginDraw(false));
    EXPECT_EQ(inner, std::vector<bool>{false});
    EXPECT_EQ(GfxCallCount(GfxOp::RestoreAllSurfaces), 1u);
    EXPECT_EQ(LogCount("TRenderer::BeginDraw: DDERR_SURFACELOST on BeginScene"), 2);
    platform->EndDraw(false);
}

TEST_F(FrameTest, ASceneThatStillFailsAfterTheRestoreBreaksTheDevice)
{
    DrawFrames(3);
    now = 7777;
    GfxInjectSequence(GfxOp::BeginScene, {GfxResult::SurfaceLost, GfxResult::OutOfVideoMemory});
    EXPECT_FALSE(platform->BeginDraw(false));
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 7777u);
    EXPECT_FALSE(Data().mInFrame);
    EXPECT_TRUE(platform->IsLowMemoryVideo()) << "the out-of-memory answer was reported";
}

TEST_F(FrameTest, EndingAFrameHandlesEachFailure)
{
    // The scene did not end: broken, nothing shown.
    ASSERT_TRUE(platform->BeginDraw(false));
    GfxInjectResult(GfxOp::EndScene, GfxResult::SceneEndFailed);
    platform->EndDraw(true);
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(Calls("Present"), 0u);
    Data().mBroken = false;

    // A lost back buffer when presenting: restored (too soon after the mode:
    // a new mode).
    ASSERT_TRUE(platform->BeginDraw(false));
    GfxInjectResult(GfxOp::Present, GfxResult::SurfaceLost);
    platform->EndDraw(true);
    EXPECT_EQ(LogCount("TPlatformData::Restore: Working count too small (2)"), 1);
    EXPECT_TRUE(platform->IsDeviceReady());

    // Anything else: logged, then restored.
    DrawFrames(3);
    ASSERT_TRUE(platform->BeginDraw(false));
    GfxInjectResult(GfxOp::Present, GfxResult::Failed);
    platform->EndDraw(true);
    EXPECT_EQ(LogCount("TPlatform::EndDraw: Unexpected error (see above) on UpdateFrame or EndScene"), 1);
    EXPECT_EQ(GfxCallCount(GfxOp::RestoreAllSurfaces), 1u);
}

TEST_F(FrameTest, TheCooperativeLevelIsWaitedForAtMostFiveTimes)
{
    struct Case {
        const char* name;
        std::vector<GfxResult> tests;   // TestCooperativeLevel answers
        std::vector<GfxResult> levels;  // SetCooperativeLevel answers
        size_t sleepCount;
        bool setDisplay;     // the mode is set again
        bool surfaces;       // RestoreAllSurfaces runs
    } cases[] = {
        {"five failures", std::vector<GfxResult>(5, GfxResult::Failed), {}, 5, false, false},
        {"another program has the screen", {GfxResult::ExclusiveModeAlreadySet}, {}, 1, false, false},
        {"exclusive mode regained", {GfxResult::NoExclusiveMode}, {GfxResult::Ok}, 1, true, false},
        {"recovers on the third test", {GfxResult::Failed, GfxResult::Failed, GfxResult::Ok}, {}, 2, true, false},
        {"wrong mode throughout", std::vector<GfxResult>(5, GfxResult::WrongMode), {}, 5, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GfxInjectReset();
        DrawFrames(3);
        sleeps.clear();
        GfxRecordingLog().Clear();
        for (GfxResult r : c.tests)
            GfxInjectResult(GfxOp::TestCooperativeLevel, r);
        for (GfxResult r : c.levels)
            GfxInjectResult(GfxOp::SetCooperativeLevel, r);
        int before = LogCount("Restore: Test Cooperative level failed. Calling SetDisplay");
        platform->Restore();
        EXPECT_EQ(sleeps, std::vector<int32_t>(c.sleepCount, 500));
        EXPECT_EQ(LogCount("Restore: Test Cooperative level failed. Calling SetDisplay"), before + (c.setDisplay ? 1 : 0));
        EXPECT_EQ(GfxRecordingLog().Has("Create "), c.setDisplay);
        EXPECT_EQ(GfxRecordingLog().Has("RestoreAllSurfaces"), c.surfaces);
        EXPECT_LE(GfxCallCount(GfxOp::TestCooperativeLevel), 5u);
        EXPECT_TRUE(GfxRecordingLog().Count("TestCooperativeLevel") >= 1);
    }

    // In the background a failing test changes nothing at once.
    GfxInjectReset();
    host->active = false;
    sleeps.clear();
    GfxRecordingLog().Clear();
    GfxInjectResult(GfxOp::TestCooperativeLevel, GfxResult::Failed);
    platform->Restore();
    EXPECT_TRUE(sleeps.empty());
    EXPECT_FALSE(GfxRecordingLog().Has("Create "));
}

TEST_F(FrameTest, FailedSurfaceRestoresSetTheModeAgain)
{
    DrawFrames(3);
    GfxInjectResult(GfxOp::RestoreAllSurfaces, GfxResult::WrongMode);
    platform->Restore();
    EXPECT_EQ(LogCount("Restore: RestoreAllSurfaces resulted in DDERR_WRONGMODE. Calling SetDisplay."), 1);
    EXPECT_TRUE(GfxRecordingLog().Has("Create 800x600 window"));

    DrawFrames(3);
    GfxRecordingLog().Clear();
    GfxInjectResult(GfxOp::RestoreAllSurfaces, GfxResult::Failed);
    platform->Restore();
    EXPECT_EQ(LogCount("RestoreAllSurfaces failed!"), 1);
    EXPECT_TRUE(GfxRecordingLog().Has("Create 800x600 window"));
    EXPECT_TRUE(platform->IsDeviceReady());
}

TEST_F(FrameTest, RestoringAssetsNeedsAReadyDevice)
{
    auto asset = std::make_shared<CountingAsset>();
    assets->Add("a", asset);
    platform->SetBroken(now);
    platform->RestoreAssets();
    EXPECT_EQ(LogCount("RestoreAssets: DX broken"), 1);
    EXPECT_EQ(asset->restored, 0);
}

TEST_F(FrameTest, TheCursorComesBackAfterARestore)
{
    DrawFrames(3);
    size_t before = Calls("SetCursorImage 32x32");
    GfxInjectLoseSurfaces();
    EXPECT_TRUE(platform->BeginDraw(false));
    platform->EndDraw(true);
    EXPECT_EQ(Calls("SetCursorImage 32x32"), before + 1) << "the listener set the image again";
    EXPECT_FALSE(OsSystemCursorShown());
}

TEST_F(FrameTest, ACursorMoveIsPresentedBetweenFrames)
{
    platform->SetDisplay(800, 600, true, true, false, false);
    DrawFrames(1);
    GfxRecordingLog().Clear();
    platform->MoveMouse(100, 100);  // recording full screen: letterboxed in 1280 x 1024
    EXPECT_TRUE(Context().IsPresentDue()) << "full screen: shown at once";
    Data().mInFrame = true;
    platform->ServeCursor();
    EXPECT_EQ(Calls("PresentOnly"), 0u) << "not inside a frame";
    Data().mInFrame = false;
    platform->ServeCursor();
    EXPECT_EQ(Calls("PresentOnly"), 1u);
    platform->ServeCursor();
    EXPECT_EQ(Calls("PresentOnly"), 1u) << "once per move";

    // A cursor that would reach past the desktop's edge is left to the next
    // frame: the cursor thread asks for a redraw, which the main thread
    // turns into an invalidation.
    platform->SetDisplay(800, 600, false, true, false, false);
    DrawFrames(1);
    // A drag beyond the window's lower right corner.
    platform->MoveMouse(1270, 1000);
    platform->TakeCursorPresentDue();
    now += 100;
    EXPECT_FALSE(Context().IsRedrawRequested());
    std::thread([&] { platform->MoveMouse(-1, -1); }).join();
    EXPECT_TRUE(Context().IsRedrawRequested());
    EXPECT_FALSE(Context().IsPresentDue());
    const int invalidations = host->invalidations;
    platform->ServeCursor();
    EXPECT_FALSE(Context().IsRedrawRequested());
    EXPECT_EQ(host->invalidations, invalidations + 1);
}

} // namespace
