#pragma once
// The display layer on the recording graphics backend, set up as the
// application sets it up: a headless main window, a test display host, a
// windowed mode, and the renderer drawing through the display layer (the
// screen's clip rectangle is the test's to push). What the drawing did
// reaches GfxRecordingLog(), cleared once the set-up is done; DrawnFills and
// CallsInOrder read it back.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "os/gfx/GfxBackend.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/recording/GfxRecording.h"
#include "os/window/MessageQueue.h"
#include "os/window/Window.h"
#include "platform/AssetNames.h"
#include "render/GfxRenderDevice.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "support/TempFolder.h"
#include "support/TestDisplayHost.h"

class THeadlessDisplay {
public:
    explicit THeadlessDisplay(int32_t width = 800, int32_t height = 600)
        : mOldBackend(GfxGetBackend()), mOldBoxMode(GfxGetMessageBoxMode())
    {
        GfxSetBackend(GfxBackend::Recording);
        GfxInjectReset();
        GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
        TPlatform::SetSleepHook(NoSleep);
        // The display's settings file lives in the common folder.
        SetAssetFolders(mFolder.Path().c_str(), mFolder.Path().c_str(), mFolder.Path().c_str());

        OsWindowParams params;
        params.headless = true;
        mWindow = OsCreateWindow(params);
        mHost.mainWindow = mWindow;
        OsSetForegroundWindow(mWindow);

        mPlatform = std::make_unique<TPlatform>();
        TRenderer::Shutdown();
        InstallPlatformRenderDevice();
        mPlatform->SetWindow(mWindow);
        mPlatform->SetDisplay(width, height, false, false, true, false);
        EXPECT_TRUE(mPlatform->IsDeviceReady()) << "no headless display";
        // The drawing device takes the new mode now rather than at its first use.
        Device().ResetDisplayState();
        GfxRecordingLog().Clear();
    }
    ~THeadlessDisplay()
    {
        TRenderer::Shutdown();
        mPlatform.reset();
        OsDestroyWindow(mWindow);
        OsResetMessageState();
        TPlatform::SetSleepHook(nullptr);
        GfxInjectReset();
        GfxSetMessageBoxMode(mOldBoxMode);
        GfxSetBackend(mOldBackend);
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
    }
    THeadlessDisplay(const THeadlessDisplay&) = delete;
    THeadlessDisplay& operator=(const THeadlessDisplay&) = delete;

    // The renderer's drawing device, and the graphics device under it.
    TGfxRenderDevice& Device() { return dynamic_cast<TGfxRenderDevice&>(*TRenderer::Get()->GetDevice()); }
    GfxDevice* Gfx() { return mPlatform->GetData()->mDevice; }

private:
    static void NoSleep(int32_t) {}

    GfxBackend mOldBackend;
    GfxBoxMode mOldBoxMode;
    TTempFolder mFolder{"headless-display"};
    TTestDisplayHost mHost;
    OsWindow mWindow = nullptr;
    std::unique_ptr<TPlatform> mPlatform;
};

// A rectangle fill drawn inside a frame: a fan of four untextured corners.
struct TDrawnFill {
    TRect rect;    // relative to the viewport it was drawn in
    uint32_t argb;
};

// The fills among the recorded draws, in order.
inline std::vector<TDrawnFill> DrawnFills()
{
    std::vector<TDrawnFill> fills;
    for (const GfxDrawRecord& draw : GfxRecordingLog().draws) {
        if (draw.primitive != GfxPrimitive::TriangleFan || draw.vertexCount != 4 || draw.state.texture)
            continue;
        TRect rect(int32_t(draw.Float(0, 0)), int32_t(draw.Float(0, 4)), int32_t(draw.Float(2, 0)),
                   int32_t(draw.Float(2, 4)));
        fills.push_back({rect, draw.Word(0, 16)});
    }
    return fills;
}

// The name the call log gives a surface ("back", "s<n>").
inline std::string SurfaceName(const GfxSurface* surface)
{
    return surface ? static_cast<const GfxSurfaceBase*>(surface)->Name() : std::string();
}

// Whether the recorded calls include, in this order, one starting with each
// prefix.
inline ::testing::AssertionResult CallsInOrder(const std::vector<std::string>& prefixes)
{
    const GfxCallLog& log = GfxRecordingLog();
    size_t from = 0;
    for (const std::string& prefix : prefixes) {
        int32_t at = log.Find(prefix, from);
        if (at < 0)
            return ::testing::AssertionFailure() << "no \"" << prefix << "\" after call " << from;
        from = size_t(at) + 1;
    }
    return ::testing::AssertionSuccess();
}
