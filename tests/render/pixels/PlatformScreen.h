#pragma once
// An 800 x 600 screen on the GL device under Xvfb, made the way the
// application makes it: a window, the platform's display and render device,
// and a temporary asset folder.
#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/window/MessageQueue.h"
#include "os/window/Window.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "support/TempFolder.h"
#include "support/TestDisplayHost.h"

class PlatformScreenTest : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 800, kHeight = 600;

    explicit PlatformScreenTest(const char* folder) : mFolder(folder) {}

    // calibrate: the start-up pixel-offset calibration runs, as in the game.
    void OpenScreen(const char* title, bool calibrate)
    {
        GfxSetBackend(GfxBackend::Gl);
        GfxInjectReset();
        GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
        SetAssetFolders(mFolder.Path().c_str(), mFolder.Path().c_str(), mFolder.Path().c_str());
        ASSERT_TRUE(OsInitVideo()) << SDL_GetError();
        OsWindowParams p;
        p.title = title;
        p.width = kWidth;
        p.height = kHeight;
        mWindow = OsCreateWindow(p);
        ASSERT_NE(mWindow, nullptr) << SDL_GetError();
        OsShowWindow(mWindow, OsShow::Show);
        mHost.mainWindow = mWindow;
        SetAssetManager(&mAssets);
        mPlatform = std::make_unique<TPlatform>();
        TRenderer::Shutdown();
        InstallPlatformRenderDevice();
        mPlatform->SetWindow(mWindow);
        mPlatform->SetDisplay(kWidth, kHeight, false, false, true, false);
        ASSERT_TRUE(mPlatform->IsDeviceReady());
        Display()->SetSwapInterval(0);
        if (calibrate)
            mPlatform->CalibratePixelOffset();
        Renderer().PushClipRect(TRect(0, 0, kWidth, kHeight));
    }

    void CloseScreen()
    {
        TRenderer::Shutdown();
        mPlatform.reset();
        if (OsIsWindow(mWindow))
            OsDestroyWindow(mWindow);
        OsResetMessageState();
        SetAssetManager(nullptr);
        GfxInjectReset();
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
    }

    TRenderer& Renderer() { return *TRenderer::Get(); }

    // The whole back buffer one colour (a fill outside a frame).
    void Clear(uint32_t argb)
    {
        const float rgba[4] = {float((argb >> 16) & 0xFF) / 255, float((argb >> 8) & 0xFF) / 255,
                               float(argb & 0xFF) / 255, 1};
        Renderer().FillRect(TRect(0, 0, kWidth, kHeight), rgba);
    }
    GfxDisplay* Display() { return mPlatform->GetData()->mDirectDraw; }

    // The whole back buffer into mScreen, rows top first.
    void ReadScreen()
    {
        mScreen.clear();
        ASSERT_EQ(Display()->ReadBack({0, 0, kWidth, kHeight}, &mScreen), GfxResult::Ok);
    }

    TTempFolder mFolder;
    TTestDisplayHost mHost;
    TAssetManager mAssets;
    OsWindow mWindow = nullptr;
    std::unique_ptr<TPlatform> mPlatform;
    std::vector<uint32_t> mScreen;
};
