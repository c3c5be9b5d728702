#pragma once
#include <cstdint>
#include <list>
#include <memory>

#include "os/window/Window.h"
#include "platform/Matrix.h"
#include "platform/Rect.h"
#include "render/TextureRef.h"

class GfxDevice;
class GfxDisplay;
class GfxSurface;
class TDXContext;
class TPlatform;

// The state behind TPlatform. Main thread only (the cursor state lives in
// the context, under its mouse mutex).
class TPlatformData {
public:
    TPlatformData();
    ~TPlatformData();
    TPlatformData(const TPlatformData&) = delete;
    TPlatformData& operator=(const TPlatformData&) = delete;

    // Recovers from an unusable display: releases the assets' device
    // objects, then either restores the surfaces and the assets or sets the
    // mode again. A device that lost its cooperative level always gets its
    // mode set again (once the level is back, or after five half-second
    // waits on a wrong mode); other failures there leave it for later.
    void Restore();

    TPlatform* mOwner = nullptr;
    OsWindow mWindow = nullptr;     // the main window

    // Taken from the context after a successful mode set; null while no
    // mode is set. The device changes with every mode set.
    GfxDisplay* mDirectDraw = nullptr;
    GfxDisplay* mDirect3D = nullptr;
    GfxDevice* mDevice = nullptr;
    std::unique_ptr<TDXContext> mContext;
    GfxSurface* mRenderTarget = nullptr;     // the device's current target
    std::list<TRect> mViewportStack;        // saved viewports, newest first
    TRect mViewport;                        // current viewport (screen pixels)
    TRect mScreenRect;                      // 0, 0, width, height of the target
    TRect mClipRect;                        // clip rectangle within the viewport
    TRect mSavedViewport;                   // viewport saved by a render-to-texture pass
    GfxSurface* mMainRenderTarget = nullptr; // the back buffer while a texture is the target
    bool mFullScreen = false;
    bool mBroken = false;         // unusable for now; frames are skipped
    bool mReconfigure = false;    // a mode change after running out of video memory is due
    int32_t mTargetMode = 0;      // mode of the current render-to-texture pass
    TTextureRef mTargetTexture;   // texture being drawn into
    bool mFallback = false;       // a fall-back mode change is running
    bool mFatal = false;          // the display cannot be used at all
    bool mSeparateTextureMemory = false;
    bool mNoSpecular = false;
    bool mTextureLimits = false;  // square-only textures or a small aspect ratio
    uint32_t mWorkingCount = 0;   // frames begun since the last mode set or restore
    uint32_t mBrokenTime = 0;     // application time when mBroken was last set
    bool mLowMemoryVideo = false; // 16-bit colour, full screen only
    bool mInFrame = false;        // a scene is open
    uint64_t mTextureMemory = 0;  // bytes of texture surfaces in use
    bool mProjectionDirty = true;
    TMat4 mProjection;
    float mNear = 0.1f;
    float mFar = 1000.0f;
    bool mCalibrated = false;
    uint32_t mExtraFlag = 0;      // optional extra flag of the first device attempt

    bool mCursorRequested = false;   // the first mode set asked for the built-in cursor
    bool mSystemCursorWanted = true; // the system pointer shows without a cursor image
};
