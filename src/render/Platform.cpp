#include "render/Platform.h"

#include <cmath>
#include <numbers>

#include "os/audio/AudioLog.h"
#include "os/gfx/GfxDevice.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/GfxSurface.h"
#include "os/system/Time.h"
#include "platform/AssetManager.h"
#include "platform/CommandLine.h"
#include "platform/Log.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/DisplayHost.h"
#include "render/DisplaySettings.h"
#include "render/GfxRenderDevice.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/TextureData.h"

namespace {

std::atomic<TPlatform*> gPlatform{nullptr};
void (*gSleepHook)(int32_t) = nullptr;
// BeginDraw's restore is running: a loss found inside it is not restored again.
bool gRestoreGuard = false;

constexpr const char* kCaption = "Error";

// A rule refuses the window, and a hosted program (or, for low video
// memory, one under the host bridge) cannot go full screen instead: it ends.
const char* const kBridgeLowMemoryMessage =
    "You cannot run this application at your current screen resolution or bit depth (out of memory). "
    "Change your display settings and run again. Closing other applications might also help.";
const char* const kHostedPaletteMessage =
    "You cannot run this application when your video mode is 8 bits or less. Change your display "
    "settings and run again.";
const char* const kHostedWindowTooLargeMessage =
    "You cannot run this application at your current screen resolution. Change your display settings "
    "and run again.";
const char* const kHostedOutOfMemoryMessage =
    "You cannot run this application at your current screen resolution or bit depth (out of memory). "
    "Change your display settings and run again.";

// Before the first mode set after running out of video memory.
const char* const kReconfiguringMessage =
    "Your video card doesn't have enough memory in the current mode. Changing to another mode. This "
    "setting will be saved so you won't see this box again. This will take less than a minute. Press "
    "OK to continue.";

// The device could not be created: the desktop has fewer than 256 colours.
const char* const kTooFewColoursMessage =
    "DirectX requires that you have your screen set to 256 color mode or higher for any DirectX "
    "application to run. Please go to your control panel and select 256 color mode or install new "
    "video drivers to run this game. Exiting.";

// A window could not be created for a known reason: full screen instead.
const char* const kPaletteWindowMessage =
    "Cannot run in 256 color mode or lower in a window. Switching to full screen.";
const char* const kSmallDesktopWindowMessage =
    "Cannot run in a window when your desktop is set to 800x600 or lower resolution. Switching to full "
    "screen.";
const char* const kWindowOutOfMemoryMessage =
    "Cannot run in a window: Insufficient video memory. Switching to full screen.";

// A mode could not be created: the other mode is tried, and when that
// fails too the program ends.
const char* const kFullScreenFailedMessage =
    "Failed to initialize full screen mode. Your video card is not supported. Trying to run in a "
    "window.";
const char* const kWindowFailedMessage = "Failed to initialize windowed mode. Trying full screen.";
const char* const kFallbackFailedMessage =
    "Failed to initialize window. Please try running the game again. If that doesn't help, try "
    "changing the screen resolution and color depth. If that fails, then your video card does not "
    "support this game.";

void Sleep(int32_t ms)
{
    if (gSleepHook)
        gSleepHook(ms);
    else
        OsSleepMs(ms);
}

// The application is active: its window is not minimised (the application
// object's active flag). The focus is not asked: the window has none before
// the first mode set shows it.
bool AppIsActive()
{
    return GetDisplayHost().IsActive();
}

OsWindow MainWindow()
{
    return GetDisplayHost().GetMainWindow();
}

void InvalidateWindowManager()
{
    GetDisplayHost().Invalidate();
}

bool MoviePlaying()
{
    return GetDisplayHost().IsMoviePlaying();
}

void Box(OsWindow owner, const char* text, GfxBoxIcon icon, const char* caption = kCaption)
{
    GfxMessageBox(owner, caption, text, icon);
}

uint32_t ColorValueToArgb(float r, float g, float b, float a)
{
    auto byte = [](float v) { return uint32_t(std::lround(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f)); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

} // namespace

GfxResult ReportVideoMemory(GfxResult r)
{
    if (r != GfxResult::OutOfVideoMemory)
        return r;
    if (TPlatform* platform = GetPlatform())
        platform->OutOfVideoMemory();
    return r;
}

TPlatform* GetPlatform()
{
    return gPlatform.load();
}

void TPlatform::SetSleepHook(void (*sleep)(int32_t ms))
{
    gSleepHook = sleep;
}

TPlatformData::TPlatformData() : mContext(std::make_unique<TDXContext>()) {}

TPlatformData::~TPlatformData()
{
    mTargetTexture.reset();
    mContext.reset();
}

TPlatform::TPlatform() : mData(std::make_unique<TPlatformData>())
{
    mData->mOwner = this;
    GfxSetLogSink([](const char* line) { WriteLog("%s", line); });
    AudioSetLogSink([](const char* line) { WriteLog("%s", line); });
    if (!HasPqSwitch() && ReadLowMemoryVideoSetting()) {
        mData->mLowMemoryVideo = true;
        WriteLog("Low memory video card setting enabled!");
    }
    gPlatform.store(this);
}

TPlatform::~TPlatform()
{
    TPlatform* self = this;
    gPlatform.compare_exchange_strong(self, nullptr);
}

TDXContext* TPlatform::GetContext() const
{
    return mData->mContext.get();
}

void TPlatform::Exit(const char* reason)
{
    GetDisplayHost().Exit(-1, reason);
}

void TPlatform::SetWindow(OsWindow window)
{
    mData->mWindow = window;
    mData->mContext->SetPointerWindow(window);
}

OsWindow TPlatform::GetWindow() const
{
    return mData->mWindow;
}

// Display mode ---------------------------------------------------------

// One mode request as the rules shape it.
struct TPlatform::ModeRequest {
    int32_t width = 0;
    int32_t height = 0;
    bool fullScreen = false;
    bool quiet = false;       // no fall-back message boxes
    bool hostedChild = false; // a window inside an external parent
    bool bridge = false;      // the host bridge runs
    OsWindow main = nullptr;
    OsWindow parent = nullptr; // the external parent, or null
};

namespace {

// 256 colours or fewer (-1 stands for more).
bool DesktopHasPalette(const TDXContext& context)
{
    const int32_t colours = context.GetDesktopColours();
    return colours != -1 && colours <= 256;
}

// The window at the host's scale is smaller than the desktop both ways.
bool WindowFitsDesktop(const TDXContext& context, int32_t width, int32_t height)
{
    float scale = 1.0f;
    if (!GetDisplayHost().GetScaleFactor(scale))
        scale = 1.0f;
    return int32_t(float(width) * scale) < context.GetDesktopWidth() &&
           int32_t(float(height) * scale) < context.GetDesktopHeight();
}

// The message for a window whose creation failed for a known reason, or null.
const char* WindowFailureMessage(const TDXContext& context, int32_t width, int32_t height)
{
    if (DesktopHasPalette(context))
        return kPaletteWindowMessage;
    if (width >= context.GetDesktopWidth() || height >= context.GetDesktopHeight())
        return kSmallDesktopWindowMessage;
    if (context.IsOutOfMemoryRetry())
        return kWindowOutOfMemoryMessage;
    return nullptr;
}

// A hosted child window is left to its host.
void ShowMainWindow(OsWindow main, bool fullScreen, bool hostedChild)
{
    if (hostedChild || !main)
        return;
    int32_t x = 0, y = 0;
    if (!fullScreen && OsGetWindowPosition(main, &x, &y) && x == 0 && y == 0)
        CentreWindow(main, 1);
    OsShowWindow(main, OsShow::Show);
    if (fullScreen)
        OsSetForegroundWindow(main);
}

} // namespace

void TPlatform::SetDisplay(int32_t width, int32_t height, bool fullScreen, bool force, bool quiet,
                           bool hostedChild)
{
    TPlatformData& d = *mData;
    ModeRequest mode;
    mode.width = width;
    mode.height = height;
    mode.fullScreen = fullScreen;
    mode.quiet = quiet;
    mode.hostedChild = hostedChild;
    mode.bridge = HasPqSwitch();
    mode.main = d.mWindow ? d.mWindow : MainWindow();
    mode.parent = GetDisplayHost().GetExternalParent();

    if (!ApplyLowMemoryRule(mode))
        return;
    if (!AppIsActive() && !force)
        return;
    if (!AttachToHost(mode))
        return;
    if (d.mFatal) {
        Exit("The display could not be set up.");
        return;
    }
    // A hosted display waits a second after a break before it tries again.
    if (mode.parent && d.mBroken && GetTimer() - d.mBrokenTime < 1000)
        return;
    d.mWorkingCount = 0;
    if (!ApplyPaletteRule(mode))
        return;
    if (!force && IsCurrentMode(mode))
        return;
    if (!ApplyWindowRules(mode))
        return;
    ResetForModeSet(mode);
    AnnounceReconfiguration(mode.main);
    if (CreateDevice(mode))
        FinishModeSet(mode);
    else
        RecoverFromFailedCreate(mode);
}

bool TPlatform::ForceFullScreen(ModeRequest& mode, bool endInstead, const char* message,
                                const char* logLine)
{
    if (endInstead) {
        Box(nullptr, message, GfxBoxIcon::Exclamation);
        Exit(message);
        return false;
    }
    WriteLog("%s", logLine);
    mode.fullScreen = true;
    return true;
}

bool TPlatform::ApplyLowMemoryRule(ModeRequest& mode)
{
    if (!mData->mLowMemoryVideo)
        return true;
    return ForceFullScreen(mode, mode.bridge, kBridgeLowMemoryMessage,
                           "SetDisplay Forcing Fullscreen (MEMORY)");
}

bool TPlatform::AttachToHost(ModeRequest& mode)
{
    TDisplayHost& host = GetDisplayHost();
    TDXContext& context = *mData->mContext;
    if (!host.IsHosted() || host.IsTestMode() || !mode.parent) {
        context.SetWindow(nullptr);
        return true;
    }
    if (!OsIsWindow(mode.parent)) {
        WriteLog("Error: mExternalWindowParent is lost, exiting!");
        Exit("The window the program is hosted in is gone.");
        return false;
    }
    if (!mode.fullScreen)
        mode.hostedChild = true;
    // Windows do not nest here, so there is nothing to attach or detach.
    context.SetWindow(mode.main);
    return true;
}

bool TPlatform::ApplyPaletteRule(ModeRequest& mode)
{
    if (mode.fullScreen || !DesktopHasPalette(*mData->mContext))
        return true;
    return ForceFullScreen(mode, mode.parent != nullptr, kHostedPaletteMessage,
                           "SetDisplay Forcing Fullscreen (PALLETTED)");
}

bool TPlatform::IsCurrentMode(const ModeRequest& mode) const
{
    const TPlatformData& d = *mData;
    return mode.fullScreen == d.mFullScreen && mode.width == d.mScreenRect.Width() &&
           mode.height == d.mScreenRect.Height();
}

bool TPlatform::ApplyWindowRules(ModeRequest& mode)
{
    const TDXContext& context = *mData->mContext;
    // Under the host bridge the display itself refuses a window too large.
    if (!mode.fullScreen && !mode.bridge && !WindowFitsDesktop(context, mode.width, mode.height)) {
        if (!ForceFullScreen(mode, mode.parent != nullptr, kHostedWindowTooLargeMessage,
                             "SetDisplay Forcing Fullscreen (SMALL)"))
            return false;
    }
    if (mode.fullScreen || !context.IsOutOfMemoryRetry())
        return true;
    return ForceFullScreen(mode, mode.parent != nullptr, kHostedOutOfMemoryMessage,
                           "SetDisplay Forcing Fullscreen (MEMORY)");
}

void TPlatform::ResetForModeSet(const ModeRequest& mode)
{
    TPlatformData& d = *mData;
    if (TAssetManager* assets = GetAssetManager())
        assets->ReleaseAll();
    GetDisplayHost().DisplayChanged();
    d.mFullScreen = mode.fullScreen;
    d.mViewport = d.mScreenRect = d.mSavedViewport = d.mClipRect = TRect(0, 0, mode.width, mode.height);
    d.mViewportStack.clear();
    d.mDirectDraw = d.mDirect3D = nullptr;
    d.mDevice = nullptr;
    d.mRenderTarget = d.mMainRenderTarget = nullptr;
    d.mInFrame = false;
    d.mBroken = false;
    d.mContext->Release();
}

void TPlatform::AnnounceReconfiguration(OsWindow owner)
{
    if (!mData->mReconfigure)
        return;
    Box(owner, kReconfiguringMessage, GfxBoxIcon::Exclamation, "Reconfiguring");
    mData->mReconfigure = false;
}

bool TPlatform::CreateDevice(const ModeRequest& mode)
{
    TPlatformData& d = *mData;
    const uint32_t flags = mode.hostedChild ? 1u | CDisplay::kLeaveWindowAlone : 1u;
    // The depth is read for each attempt: a failed one may have switched to
    // the low-video-memory mode. The display object sets the window styles.
    auto attempt = [&](uint32_t attemptFlags) {
        return d.mContext->Create(mode.main, mode.fullScreen, mode.width, mode.height,
                                  d.mLowMemoryVideo ? 16 : 32, attemptFlags);
    };
    if (attempt(flags | d.mExtraFlag))
        return true;
    if (!d.mExtraFlag)
        return false;
    d.mExtraFlag = 0;
    return attempt(flags);
}

void TPlatform::RecoverFromFailedCreate(const ModeRequest& mode)
{
    TPlatformData& d = *mData;
    if (d.mContext->IsPaletteDesktop()) {
        if (!mode.quiet)
            Box(nullptr, kTooFewColoursMessage, GfxBoxIcon::None);
        d.mFatal = true;
        Exit(kTooFewColoursMessage);
        return;
    }
    // A hosted display tries again on a later request.
    if (mode.parent) {
        SetBroken(GetTimer());
        return;
    }
    if (MarkBrokenInBackground(mode.main))
        return;
    if (!mode.fullScreen) {
        if (const char* message = WindowFailureMessage(*d.mContext, mode.width, mode.height)) {
            if (!mode.quiet)
                Box(nullptr, message, GfxBoxIcon::None);
            d.mFallback = true;
            SetDisplay(mode.width, mode.height, true, true, false, false);
            return;
        }
    }
    TryTheOtherMode(mode);
}

bool TPlatform::MarkBrokenInBackground(OsWindow main)
{
    OsWindow foreground = OsGetForegroundWindow();
    bool active = AppIsActive();
    if (mData->mFallback || (active && foreground == main))
        return false;
    WriteLog("SetDisplay marking DirectX Broken: %s, %s", active ? "ACTIVE" : "INACTIVE",
             foreground != main ? "FOREGROUND" : "BACKGROUND");
    SetBroken(GetTimer());
    return true;
}

void TPlatform::TryTheOtherMode(const ModeRequest& mode)
{
    TPlatformData& d = *mData;
    if (d.mFallback) {
        WriteLog("ERROR FALLBACK FAILED");
        Box(mode.main, kFallbackFailedMessage, GfxBoxIcon::Stop);
        // Neither mode works: the program could not start, which is no
        // success (exit code -1, not 0).
        d.mFatal = true;
        Exit(kFallbackFailedMessage);
        return;
    }
    d.mFallback = true;
    if (mode.fullScreen) {
        SetDisplay(mode.width, mode.height, false, true, false, false);
        if (!mode.quiet)
            Box(nullptr, kFullScreenFailedMessage, GfxBoxIcon::None);
    } else {
        if (!mode.quiet)
            Box(nullptr, kWindowFailedMessage, GfxBoxIcon::None);
        SetDisplay(mode.width, mode.height, true, false, false, false);
    }
}

void TPlatform::FinishModeSet(const ModeRequest& mode)
{
    mData->mFallback = false;
    ShowMainWindow(mode.main, mode.fullScreen, mode.hostedChild);
    TakeDeviceFromContext();
    ApplyDeviceState();
    TDxTextureData::ForgetTextureFormat();
    // Show the cleared back buffer once.
    TAssetManager* assets = GetAssetManager();
    if (assets && assets->GetEntryCount() > 0 && !MoviePlaying())
        ReportVideoMemory(mData->mContext->EndFrameCursor());
    if (IsDeviceReady())
        StartDrawing();
}

void TPlatform::TakeDeviceFromContext()
{
    TPlatformData& d = *mData;
    TDXContext& context = *d.mContext;
    d.mDirectDraw = context.GetDirectDraw();
    d.mDirect3D = d.mDirectDraw;
    d.mDevice = context.GetDevice();
    const GfxCaps& caps = context.GetCaps();
    d.mSeparateTextureMemory = caps.separateTextureMemories;
    d.mNoSpecular = !caps.specularGouraud;
    d.mTextureLimits = caps.squareOnly || caps.maxTextureAspect < 64;
    d.mRenderTarget = d.mMainRenderTarget = context.GetBackSurface();
}

void TPlatform::StartDrawing()
{
    TPlatformData& d = *mData;
    SetDefaultTransforms();
    if (!d.mCursorRequested && !d.mContext->GetCursorTexture()) {
        d.mCursorRequested = true;
        GetDisplayHost().SetDefaultCursor();
    }
    RestoreAssets();
    InvalidateWindowManager();
}

void TPlatform::ApplyDeviceState()
{
    GfxDevice* device = mData->mDevice;
    if (!device)
        return;
    struct RenderState {
        GfxRs state;
        uint32_t value;
    };
    const RenderState first[] = {
        {GfxRs::Ambient, 0xFFFFFFFFu},
        {GfxRs::ZEnable, 1},
        {GfxRs::ZWriteEnable, 1},
        {GfxRs::ColorVertex, 1},
        {GfxRs::Lighting, 1},
        {GfxRs::NormalizeNormals, 1},
        {GfxRs::DiffuseMaterialSource, GfxMcs::Material},
        {GfxRs::AmbientMaterialSource, GfxMcs::Material},
        {GfxRs::SpecularMaterialSource, GfxMcs::Material},
        {GfxRs::EmissiveMaterialSource, GfxMcs::Material},
        {GfxRs::SrcBlend, GfxBlend::SrcAlpha},
        {GfxRs::DestBlend, GfxBlend::InvSrcAlpha},
        {GfxRs::AlphaBlendEnable, 1},
        {GfxRs::Wrap0, 0},
    };
    for (const RenderState& s : first)
        ReportVideoMemory(device->SetRenderState(s.state, s.value));
    struct StageState {
        GfxTss state;
        uint32_t value;
    };
    const StageState stage[] = {
        {GfxTss::MagFilter, GfxMagFilter::Linear},
        {GfxTss::MinFilter, GfxMinFilter::Linear},
        {GfxTss::MipFilter, GfxMipFilter::Linear},
        {GfxTss::ColorArg1, GfxTa::Texture},
        {GfxTss::ColorArg2, GfxTa::Current},
        {GfxTss::ColorOp, GfxTop::Modulate},
        {GfxTss::AlphaArg1, GfxTa::Texture},
        {GfxTss::AlphaArg2, GfxTa::Current},
        {GfxTss::AlphaOp, GfxTop::Modulate},
    };
    for (const StageState& s : stage)
        ReportVideoMemory(device->SetTextureStageState(0, s.state, s.value));
    const RenderState last[] = {
        {GfxRs::AlphaTestEnable, 1},
        {GfxRs::AlphaRef, 1},
        {GfxRs::AlphaFunc, GfxCmp::GreaterEqual},
        {GfxRs::ShadeMode, GfxShade::Gouraud},
    };
    for (const RenderState& s : last)
        ReportVideoMemory(device->SetRenderState(s.state, s.value));
}

void TPlatform::SetDefaultTransforms()
{
    TPlatformData& d = *mData;
    GfxDevice* device = d.mDevice;
    if (!device)
        return;
    GfxMatrix identity;
    ReportVideoMemory(device->SetTransform(GfxTransform::World, identity));
    ReportVideoMemory(device->SetTransform(GfxTransform::View, identity));
    // Perspective over the whole viewport: aspect = height / width.
    const TRect& view = d.mViewport;
    float aspect = view.Width() > 0 ? float(view.Height()) / float(view.Width()) : 1.0f;
    d.mNear = 0.1f;
    d.mFar = 1000.0f;
    d.mProjection.SetPerspective(d.mNear, d.mFar, std::numbers::pi_v<float> / 4.0f, aspect, TVec2(0.0f, 0.0f));
    GfxMatrix projection;
    for (int i = 0; i < 16; ++i)
        projection.m[i] = d.mProjection.m[i];
    ReportVideoMemory(device->SetTransform(GfxTransform::Projection, projection));
    d.mProjectionDirty = true;
    ReportVideoMemory(device->SetRenderState(GfxRs::Ambient, ColorValueToArgb(1, 1, 1, 1)));
    GfxMaterial material;
    material.diffuse = {1, 1, 1, 1};
    material.ambient = {0.5f, 0.5f, 0.5f, 1};
    material.specular = {1, 1, 1, 1};
    material.emissive = {0, 0, 0, 1};
    material.power = 1;
    ReportVideoMemory(device->SetMaterial(material));
}

bool TPlatform::SetFullScreen(bool fullScreen)
{
    TPlatformData& d = *mData;
    TDXContext& context = *d.mContext;
    if (!fullScreen) {
        if (DesktopHasPalette(context) || context.GetDesktopWidth() <= d.mScreenRect.Width() ||
            context.GetDesktopHeight() <= d.mScreenRect.Height() || context.IsOutOfMemoryRetry())
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
    if (d.mDirectDraw && d.mDirect3D && d.mDevice && d.mDirectDraw == d.mContext->GetDirectDraw())
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

bool TPlatform::IsFatal() const
{
    return mData->mFatal;
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

void TPlatform::OutOfVideoMemory()
{
    TPlatformData& d = *mData;
    if (d.mLowMemoryVideo)
        return;
    WriteLog("OutOfVideoMemory triggered!");
    d.mLowMemoryVideo = true;
    SetBroken(GetTimer());
    d.mReconfigure = true;
    WriteLowMemoryVideoSetting();
}

bool TPlatform::IsLowMemoryVideo() const
{
    return mData->mLowMemoryVideo;
}

bool TPlatform::HasTextureLimits() const
{
    return mData->mTextureLimits;
}

void TPlatform::UpdateDesktopMode()
{
    mData->mContext->ReadDesktopMode();
}

void TPlatform::SetDesktopMode(int32_t colours, int32_t width, int32_t height)
{
    mData->mContext->SetDesktopMode(colours, width, height);
}

void TPlatform::GetDesktopMode(int32_t& colours, int32_t& width, int32_t& height) const
{
    colours = mData->mContext->GetDesktopColours();
    width = mData->mContext->GetDesktopWidth();
    height = mData->mContext->GetDesktopHeight();
}

// Frames ---------------------------------------------------------------

bool TPlatform::ApplyViewport(const TRect& rect)
{
    TPlatformData& d = *mData;
    if (!d.mDevice)
        return false;
    const TRect& bounds = d.mScreenRect;
    int32_t left = std::max(rect.left, 0);
    int32_t top = std::max(rect.top, 0);
    int32_t right = std::max(rect.right, left);
    int32_t bottom = std::max(rect.bottom, top);
    left = std::min(left, bounds.Width() - 1);
    top = std::min(top, bounds.Height() - 1);
    right = std::min(right, bounds.Width());
    bottom = std::min(bottom, bounds.Height());
    GfxViewport viewport;
    viewport.x = left;
    viewport.y = top;
    viewport.width = right - left;
    viewport.height = bottom - top;
    float scale = 1.0f;
    if (GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f) {
        auto round = [scale](int32_t v) { return int32_t(float(v) * scale + 0.5f); };
        viewport.x = round(viewport.x);
        viewport.y = round(viewport.y);
        viewport.width = round(viewport.width);
        viewport.height = round(viewport.height);
        int32_t maxRight = int32_t(float(bounds.Width()) * scale + 0.5f);
        int32_t maxBottom = int32_t(float(bounds.Height()) * scale + 0.5f);
        if (float(viewport.x + viewport.width) / scale > float(bounds.Width()))
            viewport.width = maxRight - viewport.x;
        if (float(viewport.y + viewport.height) / scale > float(bounds.Height()))
            viewport.height = maxBottom - viewport.y;
    }
    viewport.minZ = 0.0f;
    viewport.maxZ = 1.0f;
    return GfxOk(ReportVideoMemory(d.mDevice->SetViewport(viewport)));
}

bool TPlatform::BeginDraw(bool copyFront)
{
    TPlatformData& d = *mData;
    if (!d.mDevice || d.mBroken)
        return false;
    if (!AppIsActive()) {
        Sleep(200);
        return false;
    }
    if (copyFront && !d.mContext->BeginFrameCursor())
        return false;
    GfxResult r = d.mDevice->BeginScene();
    if (r == GfxResult::SurfaceLost) {
        WriteLog("TRenderer::BeginDraw: DDERR_SURFACELOST on BeginScene");
        if (gRestoreGuard)
            return false;
        gRestoreGuard = true;
        d.Restore();
        gRestoreGuard = false;
        if (d.mBroken || !d.mDevice) {
            d.mInFrame = false;
            return false;
        }
        r = d.mDevice->BeginScene();
        if (!GfxOk(r)) {
            ReportVideoMemory(r);
            SetBroken(GetTimer());
            d.mInFrame = false;
            return false;
        }
    } else if (!GfxOk(r)) {
        ReportVideoMemory(r);
        d.mInFrame = false;
        return false;
    }
    ++d.mWorkingCount;
    ApplyViewport(d.mScreenRect);
    ReportVideoMemory(d.mDevice->Clear(GfxClear::ZBuffer, 0, 1.0f));
    ApplyViewport(d.mViewport);
    d.mInFrame = true;
    return true;
}

void TPlatform::EndDraw(bool present)
{
    TPlatformData& d = *mData;
    if (!d.mDevice || !d.mInFrame)
        return;
    d.mInFrame = false;
    GfxResult r = d.mDevice->EndScene();
    if (r == GfxResult::SceneEndFailed) {
        SetBroken(GetTimer());
        return;
    }
    if (present && GfxOk(r) && !MoviePlaying())
        r = d.mContext->EndFrameCursor();
    if (r == GfxResult::SurfaceLost) {
        d.Restore();
    } else if (!GfxOk(r)) {
        ReportVideoMemory(r);
        WriteLog("TPlatform::EndDraw: Unexpected error (see above) on UpdateFrame or EndScene");
        d.Restore();
    }
}

// Restore --------------------------------------------------------------

void TPlatform::Restore()
{
    mData->Restore();
}

void TPlatformData::Restore()
{
    if (TAssetManager* assets = GetAssetManager())
        assets->ReleaseAll();
    const int32_t width = mScreenRect.Width();
    const int32_t height = mScreenRect.Height();
    // Nothing was ever asked for: there is no mode to set again.
    if (width <= 0 || height <= 0)
        return;
    if (!mDirectDraw || mReconfigure) {
        WriteLog("TPlatformData::Restore: mDirectDraw NULL. Calling SetDisplay()");
        mOwner->SetDisplay(width, height, mFullScreen, true, true, false);
        return;
    }
    GfxResult r = mDirectDraw->TestCooperativeLevel();
    if (!GfxOk(r)) {
        if (!AppIsActive())
            return;
        for (int sleeps = 1;; ++sleeps) {
            Sleep(500);
            if (r == GfxResult::ExclusiveModeAlreadySet)
                return;
            if (r == GfxResult::NoExclusiveMode)
                r = mDirectDraw->SetCooperativeLevel(true);
            if (GfxOk(r))
                break;
            if (sleeps == 5) {
                if (r != GfxResult::WrongMode)
                    return;
                break;
            }
            r = mDirectDraw->TestCooperativeLevel();
            if (GfxOk(r))
                break;
        }
        // Whether or not the level came back, the device lost it: the mode
        // is set again rather than trusting the old surfaces.
        ReportVideoMemory(r);
        WriteLog("Restore: Test Cooperative level failed. Calling SetDisplay");
        mOwner->SetDisplay(width, height, mFullScreen, true, false, false);
        return;
    }
    if (mWorkingCount >= 3) {
        mWorkingCount = 0;
        mBroken = false;
        r = mDirectDraw->RestoreAllSurfaces();
        if (!GfxOk(r)) {
            if (r == GfxResult::WrongMode) {
                WriteLog("Restore: RestoreAllSurfaces resulted in DDERR_WRONGMODE. Calling SetDisplay.");
            } else {
                WriteLog("RestoreAllSurfaces failed!\n");
                ReportVideoMemory(r);
            }
            mOwner->SetDisplay(width, height, mFullScreen, true, false, false);
            return;
        }
        mOwner->RestoreAssets();
        InvalidateWindowManager();
        return;
    }
    if (!AppIsActive()) {
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
    if (TTaskList* tasks = GetDisplayHost().GetRestoreTasks())
        tasks->RunAll(0);
    InvalidateWindowManager();
}

// Pointer and cursor ---------------------------------------------------

TMousePos TPlatform::MoveMouse(int32_t x, int32_t y)
{
    return mData->mContext->MoveMouseImage(x, y, false);
}

void TPlatform::SyncMouse()
{
    mData->mContext->SyncMouse();
}

TMousePos TPlatform::GetMousePos()
{
    return mData->mContext->GetMousePos();
}

void TPlatform::MouseLeft()
{
    mData->mContext->HideMouseImage();
}

void TPlatform::ResetMouse()
{
    mData->mContext->ResetMouse();
}

void TPlatform::SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY)
{
    mData->mContext->SetCursorImage(std::move(texture), hotX, hotY);
}

bool TPlatform::SetCursorImageFile(const TString& name, int32_t hotX, int32_t hotY)
{
    return mData->mContext->SetCursorImageFile(name, hotX, hotY);
}

TTextureRef TPlatform::GetCursorTexture() const
{
    return mData->mContext->GetCursorTexture();
}

void TPlatform::SetSystemCursorWanted(bool wanted)
{
    mData->mSystemCursorWanted = wanted;
}

bool TPlatform::OnSetCursor()
{
    if (mData->mContext->HasCursorImage() || !mData->mSystemCursorWanted) {
        OsShowSystemCursor(false);
        return true;
    }
    return false;
}

bool TPlatform::TakeCursorPresentDue()
{
    return mData->mContext->TakePresentDue();
}

void TPlatform::ServeCursor()
{
    TDXContext& context = *mData->mContext;
    context.RefreshStaleBounds();
    if (context.TakeRedrawRequest())
        InvalidateWindowManager();
    if (mData->mInFrame || MoviePlaying() || !context.IsPresentDue())
        return;
    context.TakePresentDue();
    context.PresentCursor();
}

bool TPlatform::IsFlipDone() const
{
    return mData->mContext->IsFlipDone();
}

void TPlatform::GetClientOrigin(int32_t& x, int32_t& y)
{
    mData->mContext->GetDisplayObject().GetClientOrigin(x, y);
}

void TPlatform::FlipToGDISurface()
{
    if (GfxDisplay* display = mData->mContext->GetDirectDraw())
        display->FlipToGdiSurface();
}

TTextureData* TPlatform::CreateTextureData()
{
    return new TDxTextureData();
}

// Render host ----------------------------------------------------------

namespace {

class TPlatformRenderHost : public TRenderHost {
public:
    GfxDisplay* GetDisplay() override
    {
        TPlatform* platform = GetPlatform();
        return platform ? platform->GetData()->mDirectDraw : nullptr;
    }
    bool BeginScene(bool copyFront) override
    {
        TPlatform* platform = GetPlatform();
        return platform && platform->BeginDraw(copyFront);
    }
    void EndScene(bool present) override
    {
        if (TPlatform* platform = GetPlatform())
            platform->EndDraw(present);
    }
    bool IsDeviceReady() override
    {
        TPlatform* platform = GetPlatform();
        return platform && platform->IsDeviceReady();
    }
    void OutOfVideoMemory() override { ReportVideoMemory(GfxResult::OutOfVideoMemory); }
    bool GetTextureTarget(const TTexture& texture, TTextureTarget* out) override
    {
        auto* data = dynamic_cast<TDxTextureData*>(GetTextureData(&texture));
        if (!data || !data->GetSurface() || !out)
            return false;
        out->surface = data->GetSurface();
        out->width = int32_t(data->mWidth);
        out->height = int32_t(data->mHeight);
        return true;
    }
};

} // namespace

TRenderHost* GetPlatformRenderHost()
{
    static TPlatformRenderHost host;
    return &host;
}

void InstallPlatformRenderDevice()
{
    TRenderer* renderer = TRenderer::Get();
    if (!renderer->GetDevice())
        renderer->SetDevice(std::make_unique<TGfxRenderDevice>(GetPlatformRenderHost()));
}
