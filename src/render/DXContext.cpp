#include "render/DXContext.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "os/gfx/GfxDevice.h"
#include "os/gfx/GfxSurface.h"
#include "os/window/Input.h"
#include "platform/CommandLine.h"
#include "platform/File.h"
#include "platform/Log.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/CursorImage.h"
#include "render/DisplayHost.h"
#include "render/Platform.h"
#include "render/TextureData.h"

namespace {

// The cursor is shown again by the pointer poll at most this often.
constexpr uint32_t kCursorPollMs = 16;
// A poll gives up on a busy mouse mutex after this long, trying again at
// these steps.
constexpr auto kPollWait = std::chrono::milliseconds(5);
constexpr auto kPollRetry = std::chrono::microseconds(250);
// Cursor image files larger than this are not read.
constexpr uint32_t kMaxCursorFile = 1u << 20;

std::atomic<bool> gRestoringMouseImage{false};

// Takes the lock within kPollWait. A loop of try_lock rather than a timed
// lock, whose pthread_mutex_clocklock ThreadSanitizer cannot follow.
bool LockForPoll(std::unique_lock<std::recursive_mutex>& lock)
{
    const auto end = std::chrono::steady_clock::now() + kPollWait;
    while (!lock.try_lock()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(kPollRetry);
    }
    return true;
}

// The active flag of the application object (minimised or not).
bool AppActiveFlag()
{
    return GetDisplayHost().IsActive();
}

bool MoviePlaying()
{
    return GetDisplayHost().IsMoviePlaying();
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

MouseTextureListener::~MouseTextureListener()
{
    if (mContext)
        mContext->mListener = nullptr;
}

bool MouseTextureListener::Run()
{
    if (!mContext)
        return false;
    mContext->RestoreMouseImage();
    return true;
}

TDXContext::TDXContext() = default;

TDXContext::~TDXContext()
{
    if (mListener) {
        mListener->ForgetContext();
        // The restore list owns it; it ends at its next run.
        mListener = nullptr;
    }
    ReleaseObjects();
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    mCursorTexture.reset();
}

void TDXContext::ReleaseObjects()
{
    mDevice = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
        mMode = GfxMode();
    }
    mDisplay.DestroyObjects();
}

void TDXContext::Release()
{
    ReleaseObjects();
}

void TDXContext::SetPointerWindow(OsWindow window)
{
    mPointerWindow = window;
    if (window)
        mDisplay.Prepare(window);
    ReadDesktopMode();
}

void TDXContext::ReadDesktopMode()
{
    GfxDisplay* gfx = mDisplay.GetGfxDisplay();
    if (!gfx)
        return;
    GfxDesktop desktop = gfx->GetDesktop();
    SetDesktopMode(desktop.colours, desktop.width, desktop.height);
}

void TDXContext::SetDesktopMode(int32_t colours, int32_t width, int32_t height)
{
    // The cursor thread reads the desktop size.
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    mDesktopColours = colours;
    mDesktopWidth = width;
    mDesktopHeight = height;
}

bool TDXContext::Create(OsWindow window, bool fullScreen, int32_t width, int32_t height, int32_t depth,
                        uint32_t flags)
{
    if (GetDisplayHost().GetExternalParent())
        mOutOfMemoryRetry = false;
    ReleaseObjects();
    if (window && !mPointerWindow)
        mPointerWindow = window;
    mDisplay.Prepare(window);
    ReadDesktopMode();

    float scale = 1.0f;
    bool scaled = GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f;
    mPaletteDesktop = false;
    if (!scaled && !fullScreen && (width >= mDesktopWidth || height >= mDesktopHeight))
        return false;
    if (mDesktopColours != -1) {
        if (mDesktopColours < 17) {
            mPaletteDesktop = true;
            return false;
        }
        if (!fullScreen)
            return false;
    }
    if (mOutOfMemoryRetry && !fullScreen)
        return false;

    GfxResult r;
    if (fullScreen) {
        r = mDisplay.CreateDirectDraw(window, width, height, depth, flags);
    } else {
        int32_t w = scaled ? int32_t(float(width) * scale + 0.5f) : width;
        int32_t h = scaled ? int32_t(float(height) * scale + 0.5f) : height;
        r = mDisplay.SetWindowMode(window, mWindow ? mWindow : window, w, h, mDeviceRetry, flags);
    }
    if (!GfxOk(r)) {
        if (r == GfxResult::OutOfVideoMemory)
            mOutOfMemoryRetry = true;
        else if (r == GfxResult::DeviceRetry)
            mDeviceRetry = true;
        else if (r == GfxResult::DeviceBadDepth)
            SetDesktopMode(32, mDesktopWidth, mDesktopHeight);
        ReleaseObjects();
        return false;
    }
    GfxDisplay* display = mDisplay.GetDirectDraw();
    {
        std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
        mMode = display->GetMode();
    }

    // The device: it must render at the mode's depth with Gouraud colour
    // shading, in hardware unless the display is scaled.
    mCaps = display->GetCaps();
    std::vector<int32_t> depths = CDisplay::OfferedDepths(mCaps.renderDepths);
    bool depthOk = std::find(depths.begin(), depths.end(), mMode.depth) != depths.end();
    bool acceptable = depthOk && mCaps.colorGouraud && (mCaps.hardware || scaled);
    mHardwareDevice = mCaps.hardware;
    if (!acceptable || !display->GetDevice()) {
        if (!scaled)
            WriteLog("TDXContext::Create failed! Could not find a hardware renderer.");
        ReleaseObjects();
        return false;
    }
    mDevice = display->GetDevice();
    ResetMouse();
    if (mCaps.maxTextureWidth < 1024 || mCaps.maxTextureHeight < 1024) {
        WriteLog("TDXContext::Create - context does not support 1024x1024 textures! Failing!");
        ReleaseObjects();
        return false;
    }

    GfxIdentifier id = display->GetIdentifier();
    TString identifier = StrFormat(
        "Device identifier:  \n  Driver: '%s'\n  Description: '%s'\n  Version: %s\n  Vendor: %s\n",
        id.renderer.c_str(), id.renderer.c_str(), id.version.c_str(), id.vendor.c_str());
    WriteLog("%s", identifier.c_str());
    std::vector<uint8_t> ddcaps;
    Put32(ddcaps, uint32_t(mCaps.freeVideoMemory));
    Put32(ddcaps, uint32_t(mCaps.freeVideoMemory >> 32));
    std::vector<uint8_t> desc;
    for (uint32_t v : {mCaps.maxTextureWidth, mCaps.maxTextureHeight, mCaps.maxTextureAspect,
                       uint32_t(mCaps.squareOnly), uint32_t(mCaps.separateTextureMemories),
                       uint32_t(mCaps.colorGouraud), uint32_t(mCaps.specularGouraud),
                       uint32_t(mCaps.hardware), uint32_t(mCaps.hardwareTnL), mCaps.renderDepths,
                       mCaps.maxActiveLights})
        Put32(desc, v);
    mHardwareDescription += identifier;
    mHardwareDescription += StrFormat("DDCAPS: %s\n", Hex(ddcaps).c_str());
    mHardwareDescription += StrFormat("D3DDESC: %s\n", Hex(desc).c_str());

    // An image set before this mode reaches the display now.
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    if (mImageWidth > 0)
        PushCursorToDisplay();
    return true;
}

// Cursor ---------------------------------------------------------------

// Floor division (positions left of or above the picture stay negative).
static int32_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return int32_t((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

void TDXContext::ClientToLogical(int32_t& x, int32_t& y) const
{
    // The picture may be scaled and letterboxed in the window (full
    // screen); points outside it are not clamped (a drag may leave it).
    if (GfxDisplay* display = mDisplay.GetDirectDraw()) {
        GfxMode mode = display->GetMode();
        GfxRect r = display->GetPresentRect();
        if (r.Width() > 0 && r.Height() > 0 && mode.width > 0 && mode.height > 0) {
            x = FloorDiv(int64_t(x - r.left) * mode.width, r.Width());
            y = FloorDiv(int64_t(y - r.top) * mode.height, r.Height());
        }
    }
    float scale = 1.0f;
    if (GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f) {
        x = int32_t(float(x) / scale);
        y = int32_t(float(y) / scale);
    }
}

bool TDXContext::ReadSystemPosition(int32_t& x, int32_t& y)
{
    int32_t cx = 0, cy = 0;
    if (!OsGetCursorClientPos(mPointerWindow, &cx, &cy))
        return false;
    ClientToLogical(cx, cy);
    x = cx;
    y = cy;
    return true;
}

void TDXContext::UpdateWindowRect()
{
    mDisplay.UpdateBounds();
    mWindowRect = mDisplay.GetBounds();
}

bool TDXContext::InsideDesktop(int32_t x, int32_t y) const
{
    int32_t left = mWindowRect.left + x;
    int32_t top = mWindowRect.top + y;
    return left >= 0 && top >= 0 && left + mImageWidth <= mDesktopWidth &&
           top + mImageHeight <= mDesktopHeight;
}

void TDXContext::RequestRedraw(bool mainThread)
{
    if (!mainThread) {
        mRedrawRequested = true;
        return;
    }
    GetDisplayHost().Invalidate();
}

TMousePos TDXContext::MoveMouseImage(int32_t x, int32_t y, bool intoBack)
{
    const bool poll = x == -1;
    // The cursor thread polls; everything else runs on the main thread.
    const bool mainThread = !poll || intoBack;
    std::unique_lock<std::recursive_mutex> lock(mMouseMutex, std::defer_lock);
    if (poll && !intoBack) {
        if (!LockForPoll(lock))
            return TMousePos{x, y};
    } else {
        lock.lock();
    }

    // A real move (the window procedure's, with the message's client
    // position) always learns where the pointer is, drawn or not.
    if (!poll) {
        int32_t px = x, py = y;
        ClientToLogical(px, py);
        mPosition = {px, py};
        mTracking = true;
    }
    if (mSurfaceLost || !AppActiveFlag())
        return poll && !mTracking ? TMousePos() : mPosition;

    const uint32_t now = GetTimer();
    if (!intoBack) {
        if (!mTracking)
            return TMousePos();
        if (poll && now - mLastDrawTime < kCursorPollMs)
            return mPosition;
        // A move from the window procedure draws at once only in full
        // screen; otherwise the next frame shows it.
        bool direct = InsideDesktop(mPosition.x, mPosition.y) && !mCursorDisabled &&
                      (poll || (mMode.fullScreen && !HasPqSwitch()));
        if (!direct) {
            if (mImageWidth > 0)
                RequestRedraw(mainThread);
            return mPosition;
        }
    }

    if (mImageWidth <= 0 || mImageHeight <= 0)
        return poll ? TMousePos() : mPosition;
    if (intoBack) {
        mCursorDrawn = false;
        if (!mTracking)
            return mPosition;
    } else if (mCursorDrawn && mDrawnPosition.x == mPosition.x && mDrawnPosition.y == mPosition.y) {
        return mPosition;
    }
    // In a window the cursor shows only over the client area.
    if (!mMode.fullScreen && mMode.width > 0) {
        float scale = 1.0f;
        int32_t w = mMode.width, h = mMode.height;
        if (GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f) {
            w = int32_t(float(w) / scale);
            h = int32_t(float(h) / scale);
        }
        if (mPosition.x < 0 || mPosition.y < 0 || mPosition.x >= w || mPosition.y >= h) {
            TMousePos pos = mPosition;
            HideCursor(mainThread);
            return pos;
        }
    }

    if (!intoBack)
        mPresentDue = true;
    mDrawnPosition = mPosition;
    mCursorDrawn = true;
    mLastDrawTime = now;
    return mPosition;
}

void TDXContext::PushCursorToDisplay()
{
    GfxDisplay* gfx = mDisplay.GetGfxDisplay();
    if (!gfx)
        return;
    GfxResult r = GfxResult::Ok;
    if (mImageWidth <= 0) {
        r = gfx->SetCursorImage(nullptr, 0, 0, false);
    } else if (GfxSurface* surface = GetTextureSurface(mCursorTexture)) {
        r = gfx->SetCursorImage(surface, mHotX, mHotY, true);
    } else if (!mFilePixels.empty()) {
        GfxSurfaceDesc desc;
        desc.width = uint32_t(mFileWidth);
        desc.height = uint32_t(mFileHeight);
        desc.alpha = true;
        desc.systemMemory = true;
        std::unique_ptr<GfxSurface> image;
        r = gfx->CreateSurface(desc, &image);
        if (GfxOk(r))
            r = image->Upload(mFilePixels.data(), uint32_t(mFileWidth), uint32_t(mFileWidth),
                              uint32_t(mFileHeight));
        if (GfxOk(r))
            r = gfx->SetCursorImage(image.get(), mHotX, mHotY, true);
    }
    if (r == GfxResult::OutOfVideoMemory) {
        mCursorDisabled = true;
        ReportVideoMemory(r);
    } else if (r == GfxResult::SurfaceLost) {
        mSurfaceLost = true;
    }
}

bool TDXContext::ApplyCursorImage(bool hadImage)
{
    if (!mListener) {
        if (TTaskList* tasks = GetDisplayHost().GetRestoreTasks()) {
            mListener = new MouseTextureListener(this);
            tasks->Add(mListener);
        }
    }
    int32_t width = 0, height = 0;
    if (mCursorTexture) {
        GfxSurface* surface = GetTextureSurface(mCursorTexture);
        if (!surface) {
            WriteLog("Cursor surface missing!");
            return false;
        }
        width = int32_t(surface->Width());
        height = int32_t(surface->Height());
    } else {
        width = mFileWidth;
        height = mFileHeight;
    }
    mHotOffsetX = -mHotX;
    mHotOffsetY = -mHotY;
    mImageWidth = width;
    mImageHeight = height;
    PushCursorToDisplay();
    if (hadImage) {
        ResetMouse();
        int32_t x = 0, y = 0;
        if (OsGetCursorClientPos(mPointerWindow, &x, &y))
            MoveMouseImage(x, y, false);
    }
    mPresentDue = true;
    return true;
}

bool TDXContext::SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY)
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    HideMouseImage();
    bool hadImage = mCursorTexture != nullptr || !mCursorFile.IsEmpty();
    mCursorTexture = std::move(texture);
    mCursorFile = TString();
    mFilePixels.clear();
    mFileWidth = mFileHeight = 0;
    mHotX = hotX;
    mHotY = hotY;
    if (mDisplay.GetDirectDraw() && !BeginFrameCursor())
        return false;
    mImageWidth = mImageHeight = 0;
    if (!mCursorTexture) {
        PushCursorToDisplay();
        mPresentDue = true;
        return true;
    }
    return ApplyCursorImage(hadImage);
}

bool TDXContext::SetCursorImageFile(const TString& name, int32_t hotX, int32_t hotY)
{
    TCursorPixels image;
    TFileHandle* file = OpenAssetFile(name, 0);
    if (!file) {
        WriteLog("Cursor image %s not found", name.c_str());
        return false;
    }
    uint32_t size = FileGetSize(file);
    std::vector<uint8_t> bytes;
    if (size > 0 && size <= kMaxCursorFile) {
        bytes.resize(size);
        bytes.resize(FileRead(file, bytes.data(), size));
    }
    FileClose(file);
    if (bytes.empty() || !DecodeCursorPng(bytes.data(), bytes.size(), image)) {
        WriteLog("Cursor image %s cannot be read", name.c_str());
        return false;
    }

    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    HideMouseImage();
    bool hadImage = mCursorTexture != nullptr || !mCursorFile.IsEmpty();
    mCursorTexture.reset();
    mCursorFile = name;
    mFilePixels = std::move(image.pixels);
    mFileWidth = image.width;
    mFileHeight = image.height;
    mHotX = hotX;
    mHotY = hotY;
    mImageWidth = mImageHeight = 0;
    return ApplyCursorImage(hadImage);
}

void TDXContext::HideMouseImage()
{
    HideCursor(true);
}

void TDXContext::HideCursor(bool mainThread)
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    if (mImageWidth > 0 && mCursorDrawn) {
        mCursorDrawn = false;
        mPresentDue = true;
    }
    if (mImageWidth <= 0 || !mTracking)
        return;
    ForgetPointer();
    // The window bounds come from the window system: main thread only.
    if (mainThread)
        UpdateWindowRect();
    else
        mBoundsStale = true;
}

void TDXContext::ForgetPointer()
{
    mPosition = TMousePos();
    mDrawnPosition = TMousePos();
    mTracking = false;
    mCursorDrawn = false;
}

void TDXContext::ResetMouse()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    ForgetPointer();
    UpdateWindowRect();
}

void TDXContext::RefreshStaleBounds()
{
    if (!mBoundsStale.exchange(false))
        return;
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    UpdateWindowRect();
}

void TDXContext::SyncMouse()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    TRect old = mWindowRect;
    UpdateWindowRect();
    if (old == mWindowRect)
        return;
    mCursorDrawn = false;
    int32_t x = 0, y = 0;
    if (mTracking && ReadSystemPosition(x, y))
        mPosition = {x, y};
}

TMousePos TDXContext::GetMousePos()
{
    int32_t x = 0, y = 0;
    if (ReadSystemPosition(x, y))
        return {x, y};
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    return mPosition;
}

void TDXContext::EraseMouseImage()
{
    // The back buffer never holds the cursor: nothing to restore there.
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    if (mImageWidth > 0)
        mCursorDrawn = false;
}

bool TDXContext::BeginFrameCursor()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    GfxDisplay* display = mDisplay.GetDirectDraw();
    return display && GfxOk(display->CopyFrontToBack());
}

GfxResult TDXContext::EndFrameCursor()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    UpdateWindowRect();
    if (mSurfaceLost)
        RestoreMouseImage();
    mCursorDrawn = false;
    MoveMouseImage(-1, -1, true);
    GfxDisplay* display = mDisplay.GetDirectDraw();
    if (display)
        ShowCursorOn(*display);
    GfxResult r = mDisplay.Present();
    if (GfxOk(r)) {
        mPresentDue = false;
        mLastDrawTime = GetTimer();
    } else if (r == GfxResult::SurfaceLost) {
        mSurfaceLost = true;
        mCursorDrawn = false;
    }
    // In a window the cursor stays out of later frames until drawn again.
    mIntoBack = !mMode.fullScreen && !mCursorDrawn;
    return r;
}

void TDXContext::ShowCursorOn(GfxDisplay& display)
{
    float scale = 1.0f;
    if (!(GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f))
        scale = 1.0f;
    int32_t x = int32_t(float(mDrawnPosition.x) * scale + 0.5f);
    int32_t y = int32_t(float(mDrawnPosition.y) * scale + 0.5f);
    display.SetCursorPosition(x, y, mCursorDrawn && mImageWidth > 0);
}

GfxResult TDXContext::PresentCursor()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    GfxDisplay* display = mDisplay.GetDirectDraw();
    if (!display)
        return GfxResult::NotCreated;
    if (mSurfaceLost)
        return GfxResult::SurfaceLost;
    ShowCursorOn(*display);
    GfxResult r = display->PresentOnly();
    if (r == GfxResult::SurfaceLost) {
        mSurfaceLost = true;
        mCursorDrawn = false;
    } else {
        ReportVideoMemory(r);
    }
    return r;
}

void TDXContext::RestoreMouseImage()
{
    if (gRestoringMouseImage.exchange(true)) {
        WriteLog("Second concurrent call to RestoreMouseImage");
        return;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
        if (mImageWidth > 0) {
            if (MoviePlaying()) {
                mCursorDrawn = false;
            } else {
                mSurfaceLost = false;
                PushCursorToDisplay();
                mCursorDrawn = false;
                mPresentDue = true;
                if (!mSurfaceLost)
                    OsShowSystemCursor(false);
            }
        }
    }
    gRestoringMouseImage = false;
}

TTextureRef TDXContext::GetCursorTexture()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    if (mCursorTexture && mImageWidth >= 1 && mImageHeight >= 1)
        return mCursorTexture;
    return TTextureRef();
}

bool TDXContext::HasCursorImage()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    return mImageWidth > 0 && mImageHeight > 0;
}

TDXContext::CursorState TDXContext::GetCursorState()
{
    std::lock_guard<std::recursive_mutex> lock(mMouseMutex);
    CursorState s;
    s.position = mPosition;
    s.drawn = mDrawnPosition;
    s.width = mImageWidth;
    s.height = mImageHeight;
    s.hotX = mHotX;
    s.hotY = mHotY;
    s.tracking = mTracking;
    s.drawnFlag = mCursorDrawn;
    s.disabled = mCursorDisabled;
    s.surfaceLost = mSurfaceLost;
    s.intoBack = mIntoBack;
    s.lastDrawTime = mLastDrawTime;
    return s;
}
