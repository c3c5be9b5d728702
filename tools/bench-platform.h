#pragma once
// The display layer on a benchmark's window, set up as the game sets it up
// (bench-sprites, bench-anims, bench-money): an asset manager, the GL
// display at 800 x 600 in a window, no wait for the vertical blank, the
// screen as the clip rectangle. Taken down (renderer, asset manager) when it
// goes out of scope.
#include <cstdio>
#include <optional>
#include <vector>

#include "os/window/Window.h"
#include "platform/AssetManager.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "support/TestDisplayHost.h"

class BenchPlatform {
public:
    BenchPlatform(OsWindow window, const char* program)
    {
        mHost.mainWindow = window;
        SetAssetManager(&mAssets);
        mPlatform.emplace();
        InstallPlatformRenderDevice();
        mPlatform->SetWindow(window);
        mPlatform->SetDisplay(800, 600, false, false, true, false);
        if (!mPlatform->IsDeviceReady()) {
            std::fprintf(stderr, "%s: no GL display\n", program);
            return;
        }
        mPlatform->GetData()->mDirectDraw->SetSwapInterval(0);
        TRenderer::Get()->PushClipRect(TRect(0, 0, 800, 600));
        const GfxIdentifier id = mPlatform->GetData()->mDirectDraw->GetIdentifier();
        std::printf("renderer: %s (%s)\n", id.renderer.c_str(), id.version.c_str());
        mReady = true;
    }
    ~BenchPlatform()
    {
        TRenderer::Shutdown();
        mPlatform.reset();
        SetAssetManager(nullptr);
    }
    BenchPlatform(const BenchPlatform&) = delete;
    BenchPlatform& operator=(const BenchPlatform&) = delete;

    bool IsReady() const { return mReady; }
    // The back buffer's pixels in the rectangle (after a frame not presented).
    bool ReadBack(const GfxRect& rect, std::vector<uint32_t>* pixels)
    {
        return mReady && mPlatform->GetData()->mDirectDraw->ReadBack(rect, pixels) == GfxResult::Ok;
    }

private:
    TTestDisplayHost mHost;
    TAssetManager mAssets;
    std::optional<TPlatform> mPlatform;
    bool mReady = false;
};
