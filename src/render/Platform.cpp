#include "render/Platform.h"

#include <chrono>

#include <SDL.h>

#include "os/Input.h"
#include "os/Time.h"
#include "platform/Application.h"
#include "platform/AssetManager.h"
#include "platform/Log.h"
#include "platform/PlatformApp.h"
#include "platform/Timer.h"
#include "render/PlatformData.h"
#include "ui/TaskList.h"
#include "ui/WindowManager.h"

namespace {

std::atomic<TPlatform*> gPlatform{nullptr};

// The cursor is shown again at most this often by the pointer poll.
constexpr uint32_t kCursorPollMs = 16;
// A poll gives up on a busy mouse mutex after this long.
constexpr auto kPollWait = std::chrono::milliseconds(5);

bool IsAppActive()
{
    TPlatformApp* app = GetPlatformApp();
    return app ? app->mActive : true;
}

void InvalidateWindowManager()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

// Client pixels to logical pixels: a hosted display is scaled.
void ClientToLogical(int32_t& x, int32_t& y)
{
    float scale = 1.0f;
    if (GetScaleFactor(scale) && scale > 0.0f) {
        x = int32_t(float(x) / scale);
        y = int32_t(float(y) / scale);
    }
}

// Puts the window into the mode: desktop full screen or a client area of
// width x height. False when there is no window or the video system refuses.
bool ApplyMode(OsWindow window, int32_t width, int32_t height, bool fullScreen)
{
    if (!OsIsWindow(window))
        return false;
    if (auto* sdl = static_cast<SDL_Window*>(OsGetSdlWindow(window))) {
        if (SDL_SetWindowFullscreen(sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
            WriteLog("SetDisplay: the video system refused the mode: %s", SDL_GetError());
            return false;
        }
    }
    if (!fullScreen && !OsSetClientSize(window, width, height))
        return false;
    return true;
}

} // namespace

TPlatform* GetPlatform()
{
    return gPlatform.load();
}

TPlatform::TPlatform() : mData(std::make_unique<TPlatformData>())
{
    mData->mOwner = this;
    UpdateDesktopMode();
    gPlatform.store(this);
}

TPlatform::~TPlatform()
{
    TPlatform* self = this;
    gPlatform.compare_exchange_strong(self, nullptr);
}

void TPlatform::SetWindow(OsWindow window)
{
    std::lock_guard<std::timed_mutex> lock(mData->mMouseMutex);
    mData->mWindow = window;
    OsGetWindowPosition(window, &mData->mWindowX, &mData->mWindowY);
}

OsWindow TPlatform::GetWindow() const
{
    return mData->mWindow;
}

void TPlatform::SetDisplay(int32_t width, int32_t height, bool fullScreen, bool force, bool quiet,
                           bool hostedChild)
{
    (void)quiet;
    TPlatformData& d = *mData;
    if (!IsAppActive() && !force)
        return;
    d.mWorkingCount = 0;
    if (d.mModeSet && fullScreen == d.mFullScreen && width == d.mScreenRect.Width() &&
        height == d.mScreenRect.Height() && !force)
        return;

    // A window must fit inside the desktop; otherwise the display goes full
    // screen. A hosted display is scaled by the host.
    TPlatformApp* app = GetPlatformApp();
    bool hosted = app && app->mHosted;
    if (!fullScreen && !hosted && !HasPqSwitch() && d.mDesktopWidth > 0 && d.mDesktopHeight > 0 &&
        (width >= d.mDesktopWidth || height >= d.mDesktopHeight)) {
        WriteLog("SetDisplay Forcing Fullscreen (SMALL)");
        fullScreen = true;
    }

    if (TAssetManager* assets = GetAssetManager())
        assets->ReleaseAll();
    if (app)
        app->mDisplayChanged = true;

    d.mFullScreen = fullScreen;
    d.mViewport = d.mScreenRect = d.mSavedViewport = d.mClipRect = TRect(0, 0, width, height);
    d.mModeSet = false;
    d.mBroken = false;

    if (!ApplyMode(d.mWindow, width, height, fullScreen)) {
        WriteLog("SetDisplay: no display mode could be set for the window");
        SetBroken(GetTimer());
        return;
    }
    d.mFallback = false;
    if (!hostedChild) {
        int32_t x = 0, y = 0;
        if (!fullScreen && OsGetWindowPosition(d.mWindow, &x, &y) && x == 0 && y == 0) {
            if (auto* sdl = static_cast<SDL_Window*>(OsGetSdlWindow(d.mWindow)))
                SDL_SetWindowPosition(sdl, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
        OsShowWindow(d.mWindow, OsShow::Show);
        if (fullScreen)
            OsSetForegroundWindow(d.mWindow);
    }
    d.mModeSet = true;
    SyncMouse();

    if (IsDeviceReady()) {
        if (!d.mCursorRequested && !GetCursorTexture() && app) {
            d.mCursorRequested = true;
            app->SetCursorImage(TTextureRef(), 2, 2);
        }
        RestoreAssets();
        InvalidateWindowManager();
    }
}

bool TPlatform::SetFullScreen(bool fullScreen)
{
    TPlatformData& d = *mData;
    if (!fullScreen) {
        bool palette = d.mDesktopColours != -1 && d.mDesktopColours <= 256;
        if (palette || d.mDesktopWidth <= d.mScreenRect.Width() ||
            d.mDesktopHeight <= d.mScreenRect.Height())
            return false;
    }
    SetDisplay(d.mScreenRect.Width(), d.mScreenRect.Height(), fullScreen, true, false, false);
    return true;
}

bool TPlatform::IsFullScreen() const
{
    return mData->mFullScreen;
}

void TPlatform::GetDisplayMode(int32_t& width, int32_t& height, bool& fullScreen) const
{
    width = mData->mScreenRect.Width();
    height = mData->mScreenRect.Height();
    fullScreen = mData->mFullScreen;
}

bool TPlatform::IsDeviceReady()
{
    TPlatformData& d = *mData;
    if (d.mBroken)
        return false;
    if (d.mModeSet && OsIsWindow(d.mWindow))
        return true;
    SetBroken(GetTimer());
    return false;
}

void TPlatform::SetBroken(uint32_t time)
{
    mData->mBroken = true;
    mData->mBrokenTime = time;
}

bool TPlatform::IsBroken() const
{
    return mData->mBroken;
}

uint32_t TPlatform::GetBrokenTime() const
{
    return mData->mBrokenTime;
}

void TPlatform::ResetWorkingCount()
{
    mData->mWorkingCount = 0;
}

uint32_t TPlatform::GetWorkingCount() const
{
    return mData->mWorkingCount;
}

void TPlatform::CountWorkingFrame()
{
    ++mData->mWorkingCount;
}

void TPlatform::UpdateDesktopMode()
{
    if (!OsVideoReady())
        return;
    int display = 0;
    if (auto* sdl = static_cast<SDL_Window*>(OsGetSdlWindow(mData->mWindow)))
        display = SDL_GetWindowDisplayIndex(sdl);
    SDL_DisplayMode mode;
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0)
        return;
    int bits = int(SDL_BITSPERPIXEL(mode.format));
    SetDesktopMode(bits > 8 ? -1 : (1 << bits), mode.w, mode.h);
}

void TPlatform::SetDesktopMode(int32_t colours, int32_t width, int32_t height)
{
    mData->mDesktopColours = colours;
    mData->mDesktopWidth = width;
    mData->mDesktopHeight = height;
}

void TPlatform::GetDesktopMode(int32_t& colours, int32_t& width, int32_t& height) const
{
    colours = mData->mDesktopColours;
    width = mData->mDesktopWidth;
    height = mData->mDesktopHeight;
}

void TPlatform::Restore()
{
    mData->Restore();
}

void TPlatformData::Restore()
{
    // Nothing to restore before a display was asked for.
    if (mScreenRect.IsEmpty())
        return;
    if (TAssetManager* assets = GetAssetManager())
        assets->ReleaseAll();
    int32_t width = mScreenRect.Width();
    int32_t height = mScreenRect.Height();
    if (!mModeSet || mReconfigure) {
        WriteLog("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()");
        mOwner->SetDisplay(width, height, mFullScreen, true, true, false);
        return;
    }
    // The window keeps its mode while the program is in the background, so
    // there is no exclusive mode to win back: the assets are restored once
    // the device has drawn a few frames since the last mode set.
    if (mWorkingCount >= 3) {
        mWorkingCount = 0;
        mBroken = false;
        mOwner->RestoreAssets();
        return;
    }
    if (!IsAppActive()) {
        mBroken = true;
        mBrokenTime = GetTimer();
        return;
    }
    WriteLog("TPlatformData::Restore: Working count too small (%d). Calling SetDisplay()",
             int(mWorkingCount));
    mOwner->SetDisplay(width, height, mFullScreen, true, false, false);
}

void TPlatform::RestoreAssets()
{
    if (!IsDeviceReady()) {
        WriteLog("RestoreAssets: DX broken");
        return;
    }
    if (TAssetManager* assets = GetAssetManager())
        assets->RestoreAll();
    if (TApplication* application = TApplication::Instance()) {
        if (TTaskList* tasks = application->GetRestoreTasks())
            tasks->RunAll(0);
    }
    InvalidateWindowManager();
}

TMousePos TPlatform::MoveMouse(int32_t x, int32_t y)
{
    TPlatformData& d = *mData;
    if (x != -1) {
        std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
        d.mTracking = true;
        d.mMouseX = x;
        d.mMouseY = y;
        if (d.mCursorTexture && (x != d.mDrawnX || y != d.mDrawnY))
            d.mCursorPresentDue = true;
        return {x, y};
    }

    // The pointer poll of the cursor thread.
    std::unique_lock<std::timed_mutex> lock(d.mMouseMutex, std::defer_lock);
    if (!lock.try_lock_for(kPollWait))
        return {x, y};
    if (!d.mTracking || !d.mCursorTexture)
        return {-1, -1};
    TMousePos pos{d.mMouseX, d.mMouseY};
    if (OsTimeMs() - d.mLastDrawTime < kCursorPollMs)
        return pos;
    if (pos.x != d.mDrawnX || pos.y != d.mDrawnY || !d.mCursorDrawn)
        d.mCursorPresentDue = true;
    return pos;
}

void TPlatform::SyncMouse()
{
    TPlatformData& d = *mData;
    std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
    int32_t x = 0, y = 0;
    if (!OsGetWindowPosition(d.mWindow, &x, &y))
        return;
    if (x == d.mWindowX && y == d.mWindowY)
        return;
    d.mWindowX = x;
    d.mWindowY = y;
    d.mCursorDrawn = false;
    int32_t cx = 0, cy = 0;
    if (d.mTracking && OsGetCursorClientPos(d.mWindow, &cx, &cy)) {
        ClientToLogical(cx, cy);
        d.mMouseX = cx;
        d.mMouseY = cy;
    }
}

TMousePos TPlatform::GetMousePos()
{
    TPlatformData& d = *mData;
    int32_t x = 0, y = 0;
    if (OsGetCursorClientPos(d.mWindow, &x, &y)) {
        ClientToLogical(x, y);
        return {x, y};
    }
    std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
    return {d.mMouseX, d.mMouseY};
}

void TPlatform::MouseLeft()
{
    TPlatformData& d = *mData;
    std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
    d.mCursorDrawn = false;
    if (d.mTracking) {
        d.mMouseX = d.mMouseY = -1;
        d.mDrawnX = d.mDrawnY = -1;
        d.mTracking = false;
    }
    if (d.mCursorTexture)
        d.mCursorPresentDue = true;
}

void TPlatform::ResetMouse()
{
    TPlatformData& d = *mData;
    std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
    d.mMouseX = d.mMouseY = -1;
    d.mDrawnX = d.mDrawnY = -1;
    d.mTracking = false;
    d.mCursorDrawn = false;
    OsGetWindowPosition(d.mWindow, &d.mWindowX, &d.mWindowY);
}

void TPlatform::SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY)
{
    TPlatformData& d = *mData;
    std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
    d.mCursorTexture = std::move(texture);
    d.mHotSpotX = hotX;
    d.mHotSpotY = hotY;
    d.mCursorDrawn = false;
    d.mCursorPresentDue = true;
}

TTextureRef TPlatform::GetCursorTexture() const
{
    std::lock_guard<std::timed_mutex> lock(mData->mMouseMutex);
    return mData->mCursorTexture;
}

void TPlatform::SetSystemCursorWanted(bool wanted)
{
    mData->mSystemCursorWanted = wanted;
}

bool TPlatform::OnSetCursor()
{
    if (GetCursorTexture() || !mData->mSystemCursorWanted) {
        OsShowSystemCursor(false);
        return true;
    }
    return false;
}

bool TPlatform::TakeCursorPresentDue()
{
    return mData->mCursorPresentDue.exchange(false);
}

void TPlatform::CursorPresented()
{
    TPlatformData& d = *mData;
    std::lock_guard<std::timed_mutex> lock(d.mMouseMutex);
    d.mDrawnX = d.mMouseX;
    d.mDrawnY = d.mMouseY;
    d.mCursorDrawn = d.mTracking && d.mCursorTexture != nullptr;
    d.mLastDrawTime = OsTimeMs();
}
