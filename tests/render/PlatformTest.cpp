#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "os/MessageQueue.h"
#include "os/SdlInput.h"
#include "os/Window.h"
#include "platform/Application.h"
#include "platform/Asset.h"
#include "platform/AssetManager.h"
#include "platform/Log.h"
#include "platform/PlatformApp.h"
#include "platform/Timer.h"
#include "render/Platform.h"
#include "ui/Task.h"
#include "ui/TaskList.h"
#include "ui/WindowManager.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeTime()
{
    return gNow;
}

TTextureRef FakeTexture()
{
    auto owner = std::make_shared<int>(0);
    return TTextureRef(owner, reinterpret_cast<TTexture*>(owner.get()));
}

// An asset that counts how often the display layer releases and restores it.
class CountingAsset : public TAsset {
public:
    void Release() override { ++released; }
    void Restore() override { ++restored; }
    int released = 0;
    int restored = 0;
};

class PlatformTest : public ::testing::Test {
protected:
    std::string mFolder;
    TPlatformApp* app = nullptr;
    TPlatform* platform = nullptr;
    OsWindow window = nullptr;

    void SetUp() override
    {
        char folder[] = "/tmp/platformtestXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        mFolder = folder;
        SetLogFolder(folder);
        gNow = 1000;
        SetTimerSource(FakeTime);
        OsSetMessageClock(FakeTime);
        OsResetMessageState();
        app = new TPlatformApp("", 0, true);
        OsWindowParams params;
        params.headless = true;
        window = OsCreateWindow(params);
        ASSERT_NE(window, nullptr);
        app->mMainWindow = window;
        platform = new TPlatform();
        platform->SetWindow(window);
        platform->SetDesktopMode(-1, 1280, 1024);
    }

    void TearDown() override
    {
        delete platform;
        if (app)
            app->mMainWindow = nullptr;
        delete app;
        OsDestroyWindow(window);
        OsResetMessageState();
        OsSetMessageClock(nullptr);
        SetTimerSource(nullptr);
        SetLogFolder(nullptr);
        std::system(("rm -rf " + mFolder).c_str());
    }

    int LogCount(const std::string& line) const
    {
        std::ifstream in(mFolder + "/logfile.txt");
        std::stringstream text;
        text << in.rdbuf();
        std::string all = text.str();
        int count = 0;
        for (size_t at = all.find(line); at != std::string::npos; at = all.find(line, at + 1))
            ++count;
        return count;
    }

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
    gNow = 1234;
    EXPECT_FALSE(platform->IsDeviceReady());
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 1234u);
    // Nothing was asked for: a restore has nothing to do.
    platform->Restore();
    EXPECT_FALSE(platform->IsDeviceReady());

    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(platform->IsDeviceReady());
    EXPECT_TRUE(app->mDisplayChanged);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(OsGetClientSize(window, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_TRUE(OsIsWindowVisible(window));
    bool full = true;
    platform->GetDisplayMode(w, h, full);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_FALSE(full);

    // A window that is gone cannot show the display.
    OsWindow gone = window;
    window = OsCreateWindow(OsWindowParams{"", 480, 360, nullptr, true});
    OsDestroyWindow(gone);
    EXPECT_FALSE(platform->IsDeviceReady());
    platform->SetWindow(window);
}

TEST_F(PlatformTest, AWindowAsLargeAsTheDesktopBecomesFullScreen)
{
    platform->SetDesktopMode(-1, 800, 600);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(platform->IsFullScreen());
    EXPECT_EQ(LogCount("SetDisplay Forcing Fullscreen (SMALL)"), 1);
    EXPECT_TRUE(platform->IsDeviceReady());

    // With the host bridge the window stays a window.
    SetCommandLineText("x -pq=1");
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_FALSE(platform->IsFullScreen());
    EXPECT_EQ(LogCount("SetDisplay Forcing Fullscreen (SMALL)"), 1);
    SetCommandLineText("");
}

TEST_F(PlatformTest, TheSameModeAgainChangesNothingButTheWorkingCount)
{
    auto asset = std::make_shared<CountingAsset>();
    app->mAssetManager->Add("a", asset);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(asset->released, 1);
    app->mDisplayChanged = false;
    platform->CountWorkingFrame();
    platform->CountWorkingFrame();

    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(platform->GetWorkingCount(), 0u);
    EXPECT_FALSE(app->mDisplayChanged);
    EXPECT_EQ(asset->released, 1);

    // Forced, it is set again.
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_TRUE(app->mDisplayChanged);
    EXPECT_EQ(asset->released, 2);

    // While the application is inactive only a forced mode set runs.
    app->mActive = false;
    app->mDisplayChanged = false;
    platform->SetDisplay(640, 480, false, false, false, false);
    EXPECT_FALSE(app->mDisplayChanged);
    int32_t w = 0, h = 0;
    bool full = false;
    platform->GetDisplayMode(w, h, full);
    EXPECT_EQ(w, 800);
}

TEST_F(PlatformTest, LeavingFullScreenNeedsARoomyDesktop)
{
    platform->SetDisplay(800, 600, true, false, false, false);
    ASSERT_TRUE(platform->IsFullScreen());

    struct Desktop {
        int32_t colours, width, height;
        bool allowed;
    } desktops[] = {
        {256, 1280, 1024, false}, {16, 1280, 1024, false}, {-1, 800, 1024, false},
        {-1, 1280, 600, false},   {-1, 801, 601, true},
    };
    for (const Desktop& d : desktops) {
        platform->SetDisplay(800, 600, true, true, false, false);
        platform->SetDesktopMode(d.colours, d.width, d.height);
        EXPECT_EQ(platform->SetFullScreen(false), d.allowed) << d.colours << " " << d.width << "x" << d.height;
        EXPECT_EQ(platform->IsFullScreen(), !d.allowed);
    }
    EXPECT_TRUE(platform->SetFullScreen(true));
    EXPECT_TRUE(platform->IsFullScreen());
}

// A restore task that counts its runs.
class CountingTask : public TTask {
public:
    explicit CountingTask(int* runs) : mRuns(runs) {}
    bool Run() override
    {
        ++*mRuns;
        return true;
    }

private:
    int* mRuns;
};

TEST_F(PlatformTest, RestoreAfterEnoughFramesRestoresTheAssets)
{
    // The application handle owns the restore tasks; its shut-down takes the
    // application object and the display layer with it.
    TApplication* application = new TApplication(app);
    SetTimerSource(FakeTime);
    int restoreRuns = 0;
    application->AddRestoreTask(new CountingTask(&restoreRuns));
    auto asset = std::make_shared<CountingAsset>();
    app->mAssetManager->Add("a", asset);
    platform->SetDisplay(800, 600, false, false, false, false);
    int restoredAtSet = asset->restored;
    int runsAtSet = restoreRuns;

    for (int i = 0; i < 3; ++i)
        platform->CountWorkingFrame();
    platform->SetBroken(gNow);
    app->mDisplayChanged = false;
    platform->Restore();
    EXPECT_FALSE(platform->IsBroken());
    EXPECT_FALSE(app->mDisplayChanged) << "no new mode";
    EXPECT_EQ(platform->GetWorkingCount(), 0u);
    EXPECT_EQ(asset->restored, restoredAtSet + 1);
    EXPECT_EQ(restoreRuns, runsAtSet + 1);

    // Too soon after a mode set: the mode is set again.
    platform->SetBroken(gNow);
    platform->Restore();
    EXPECT_FALSE(platform->IsBroken());
    EXPECT_TRUE(app->mDisplayChanged);
    EXPECT_EQ(LogCount("TPlatformData::Restore: Working count too small (0). Calling SetDisplay()"), 1);

    // In the background it stays broken.
    app->mActive = false;
    gNow = 5000;
    platform->SetBroken(1);
    platform->Restore();
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 5000u);
    application->Shutdown();
    delete application;
    app = nullptr;
    EXPECT_EQ(GetPlatform(), nullptr);
    platform = nullptr;
}

TEST_F(PlatformTest, RestoreWithoutAModeSetsIt)
{
    platform->SetDisplay(800, 600, false, false, false, false);
    // The window went away and came back: the mode is gone.
    OsWindow gone = window;
    window = OsCreateWindow(OsWindowParams{"", 480, 360, nullptr, true});
    app->mMainWindow = window;
    OsDestroyWindow(gone);
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_FALSE(platform->IsDeviceReady());
    EXPECT_GE(LogCount("SetDisplay: no display mode could be set for the window"), 1);

    platform->SetWindow(window);
    platform->Restore();
    EXPECT_TRUE(platform->IsDeviceReady());
    EXPECT_EQ(LogCount("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()"), 1);
    int32_t w = 0, h = 0;
    OsGetClientSize(window, &w, &h);
    EXPECT_EQ(w, 800);
}

TEST_F(PlatformTest, PointerPositionAndCursorPoll)
{
    // Nothing tracked yet: the poll finds nothing to show.
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
    platform->SetCursorImage(FakeTexture(), 2, 2);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);

    Motion(50, 60);
    TMousePos pos = platform->GetMousePos();
    EXPECT_EQ(pos.x, 50);
    EXPECT_EQ(pos.y, 60);

    platform->TakeCursorPresentDue();
    TMousePos moved = platform->MoveMouse(50, 60);
    EXPECT_EQ(moved.x, 50);
    EXPECT_TRUE(platform->TakeCursorPresentDue());
    platform->CursorPresented();
    EXPECT_FALSE(platform->TakeCursorPresentDue());

    // Shown where the pointer is: a poll returns the position and asks for
    // nothing; after a move it asks again.
    pos = platform->MoveMouse(-1, -1);
    EXPECT_EQ(pos.x, 50);
    EXPECT_EQ(pos.y, 60);
    EXPECT_FALSE(platform->TakeCursorPresentDue());
    platform->MoveMouse(52, 60);
    platform->TakeCursorPresentDue();
    platform->CursorPresented();
    platform->MoveMouse(53, 61);
    platform->TakeCursorPresentDue();
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, 53);

    // Without an image the poll backs off.
    platform->SetCursorImage(TTextureRef(), 0, 0);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
    platform->SetCursorImage(FakeTexture(), 0, 0);

    // Leaving forgets the position until the next real move.
    platform->MouseLeft();
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
    platform->MoveMouse(5, 6);
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, 5);
    platform->ResetMouse();
    EXPECT_EQ(platform->MoveMouse(-1, -1).x, -1);
}

TEST_F(PlatformTest, HostedPositionsAreScaledBack)
{
    app->mHosted = true;
    app->mScaleFactor = 2.0f;
    Motion(101, 60);
    TMousePos pos = platform->GetMousePos();
    EXPECT_EQ(pos.x, 50);
    EXPECT_EQ(pos.y, 30);
}

TEST_F(PlatformTest, TheSystemPointerHidesWhenTheProgramDrawsOrHidesTheCursor)
{
    EXPECT_FALSE(platform->OnSetCursor());
    platform->SetCursorImage(FakeTexture(), 0, 0);
    EXPECT_TRUE(platform->OnSetCursor());
    EXPECT_FALSE(OsSystemCursorShown());
    platform->SetCursorImage(TTextureRef(), 0, 0);
    EXPECT_FALSE(platform->OnSetCursor());
    platform->SetSystemCursorWanted(false);
    EXPECT_TRUE(platform->OnSetCursor());
}

TEST_F(PlatformTest, TheFirstModeAsksForTheCursorImage)
{
    ASSERT_FALSE(platform->GetCursorTexture());
    app->mHotSpotX = app->mHotSpotY = 0;
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(app->mHotSpotX, 2);
    EXPECT_EQ(app->mHotSpotY, 2);
    app->mHotSpotX = 9;
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_EQ(app->mHotSpotX, 9) << "only the first time";
}

} // namespace
