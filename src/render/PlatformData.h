#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "os/Window.h"
#include "platform/Rect.h"
#include "render/TextureRef.h"

class TPlatform;

// The state behind TPlatform. Main thread only, except the fields marked
// "mouse mutex", which the cursor thread reads as well.
class TPlatformData {
public:
    // Recovers from an unusable display: releases the assets' device
    // objects, then either sets the mode again or restores them.
    void Restore();

    TPlatform* mOwner = nullptr;
    OsWindow mWindow = nullptr;

    // Display mode.
    bool mModeSet = false;        // a mode is applied to the window
    bool mFullScreen = false;
    bool mBroken = false;         // unusable for now; frames are skipped
    bool mReconfigure = false;    // a mode change is due at the next restore
    bool mFallback = false;       // a fall-back mode change is running
    bool mInFrame = false;
    uint32_t mWorkingCount = 0;   // frames begun since the last mode set or restore
    uint32_t mBrokenTime = 0;     // application time when mBroken was last set
    TRect mViewport;
    TRect mScreenRect;            // 0, 0, width, height of the screen
    TRect mClipRect;
    TRect mSavedViewport;
    bool mCursorRequested = false; // the first mode set asked for the cursor image

    // Desktop as last read: colours (-1 = more than 256), size.
    int32_t mDesktopColours = -1;
    int32_t mDesktopWidth = 0;
    int32_t mDesktopHeight = 0;

    // Pointer and cursor (mouse mutex).
    std::timed_mutex mMouseMutex;
    int32_t mMouseX = -1;         // logical pixels; -1 when unknown
    int32_t mMouseY = -1;
    int32_t mDrawnX = -1;         // where the cursor was last shown
    int32_t mDrawnY = -1;
    bool mTracking = false;       // the position has been read at least once
    bool mCursorDrawn = false;
    uint32_t mLastDrawTime = 0;
    int32_t mWindowX = 0;         // window position at the last sync
    int32_t mWindowY = 0;
    TTextureRef mCursorTexture;
    int32_t mHotSpotX = 0;
    int32_t mHotSpotY = 0;
    bool mSystemCursorWanted = true; // main thread only

    std::atomic<bool> mCursorPresentDue{false};
};
