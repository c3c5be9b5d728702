#include "render/Display.h"

#include <SDL.h>

#include <algorithm>

#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/GfxSurface.h"
#include "platform/Log.h"
#include "render/Platform.h"

namespace {

constexpr uint64_t kLowVideoMemory = 16u * 1024u * 1024u;
// A present that keeps answering "still drawing" gives up after this many tries.
constexpr int kPresentTries = 100;

// The work area (flag 2) or the whole screen of the display the window is
// on; false for a window without a video-system window.
bool DesktopArea(OsWindow window, bool workArea, SDL_Rect& area)
{
    auto* sdl = static_cast<SDL_Window*>(OsGetSdlWindow(window));
    if (!sdl)
        return false;
    int index = SDL_GetWindowDisplayIndex(sdl);
    if (index < 0)
        index = 0;
    int r = workArea ? SDL_GetDisplayUsableBounds(index, &area) : SDL_GetDisplayBounds(index, &area);
    return r == 0 && area.w > 0 && area.h > 0;
}

} // namespace

void CentreWindow(OsWindow window, uint32_t flags)
{
    SDL_Rect area;
    if (!DesktopArea(window, (flags & 2) != 0, area))
        return;
    int32_t x = 0, y = 0, w = 0, h = 0;
    if (!OsGetWindowPosition(window, &x, &y) || !OsGetClientSize(window, &w, &h))
        return;
    if (flags & 1) {
        x = area.x + (area.w - w) / 2;
        y = area.y + (area.h - h) / 2;
    }
    x = std::max(area.x, std::min(x, area.x + area.w - w));
    y = std::max(area.y, std::min(y, area.y + area.h - h));
    OsSetWindowPosition(window, x, y);
}

CDisplay::CDisplay() = default;

CDisplay::~CDisplay()
{
    DestroyObjects();
}

void CDisplay::DestroyObjects()
{
    if (mGfx)
        mGfx->Release();
}

bool CDisplay::EnsureDisplay(OsWindow window)
{
    if (mGfx)
        return true;
    // A window without a video-system window (tests) cannot carry a GL
    // context: its display records instead.
    if (GfxGetBackend() == GfxBackend::Gl && OsGetSdlWindow(window))
        mGfx = GfxCreateGlDisplay();
    else
        mGfx = GfxCreateRecordingDisplay();
    return mGfx != nullptr;
}

GfxDisplay* CDisplay::GetDirectDraw() const
{
    return mGfx && mGfx->IsCreated() ? mGfx.get() : nullptr;
}

GfxSurface* CDisplay::GetBackBuffer() const
{
    return mGfx ? mGfx->GetBackBuffer() : nullptr;
}

std::vector<int32_t> CDisplay::OfferedDepths(uint32_t renderDepths)
{
    std::vector<int32_t> depths;
    for (int32_t depth : {16, 24, 32}) {
        if ((renderDepths & uint32_t(depth)) == uint32_t(depth))
            depths.push_back(depth);
    }
    return depths;
}

int32_t CDisplay::ChooseModeDepth(const std::vector<int32_t>& offered, int32_t wanted)
{
    int32_t chosen = 0;
    for (int32_t depth : offered) {
        if (depth < 15)
            continue;
        if (depth == wanted)
            return depth;
        if (chosen == 0 || depth == 16)
            chosen = depth;
    }
    return chosen ? chosen : wanted;
}

GfxResult CDisplay::CreateDirectDraw(OsWindow window, int32_t width, int32_t height, int32_t depth,
                                     uint32_t packed)
{
    uint32_t attempt = packed >> 16;
    for (;; ++attempt) {
        DestroyObjects();
        if (attempt >= kDriverCount || !EnsureDisplay(window)) {
            WriteLog("Failed to create a DirectDraw device after trying all GUIDs");
            if (!mCreatedOnce)
                GfxMessageBox(nullptr, "Error",
                              "Sorry, but this product isn't compatible with your display. Try using a "
                              "different display, if you have the option.",
                              GfxBoxIcon::Stop);
            return GfxResult::Failed;
        }
        GfxResult r = mGfx->SetCooperativeLevel(true);
        if (!GfxOk(r)) {
            ReportVideoMemory(r);
            continue;
        }
        GfxCaps caps = mGfx->GetCaps();
        if (caps.freeVideoMemory != 0 && caps.freeVideoMemory < kLowVideoMemory && depth > 16)
            depth = 16;
        int32_t chosen = ChooseModeDepth(OfferedDepths(caps.renderDepths), depth);

        GfxMode mode;
        mode.width = width;
        mode.height = height;
        mode.depth = chosen;
        mode.fullScreen = true;
        r = mGfx->Create(window, mode);
        if (!GfxOk(r)) {
            ReportVideoMemory(r);
            WriteLog("Failed to create screen at %d bpp.", chosen);
            continue;
        }
        WriteLog("Created screen at %d bpp.", chosen);
        mWindow = window;
        mWindowed = false;
        UpdateBounds();
        if (GfxSurface* back = mGfx->GetBackBuffer())
            ReportVideoMemory(back->Fill(nullptr, 0));
        mCreatedOnce = true;
        return GfxResult::Ok;
    }
}

GfxResult CDisplay::SetWindowMode(OsWindow mainWindow, OsWindow clipWindow, int32_t width,
                                  int32_t height, bool videoMemory, uint32_t flags)
{
    (void)clipWindow; // presentation goes to the window's own drawable
    (void)videoMemory;
    DestroyObjects();
    if (!EnsureDisplay(mainWindow))
        return GfxResult::Failed;
    GfxResult r = mGfx->SetCooperativeLevel(false);
    if (!GfxOk(r))
        return r;
    if (!(flags & kLeaveWindowAlone))
        OsSetClientSize(mainWindow, width, height);

    GfxMode mode;
    mode.width = width;
    mode.height = height;
    mode.depth = 32;
    mode.fullScreen = false;
    r = mGfx->Create(mainWindow, mode);
    if (!GfxOk(r)) {
        ReportVideoMemory(r);
        return r;
    }
    // A window left of or above the work area is moved into it.
    if (!(flags & kLeaveWindowAlone)) {
        SDL_Rect area;
        int32_t x = 0, y = 0;
        if (DesktopArea(mainWindow, true, area) && OsGetWindowPosition(mainWindow, &x, &y) &&
            (x < area.x || y < area.y))
            OsSetWindowPosition(mainWindow, std::max(x, area.x), std::max(y, area.y));
    }
    mWindow = mainWindow;
    mWindowed = true;
    UpdateBounds();
    if (GfxSurface* back = mGfx->GetBackBuffer())
        ReportVideoMemory(back->Fill(nullptr, 0));
    return GfxResult::Ok;
}

GfxResult CDisplay::Present()
{
    GfxDisplay* display = GetDirectDraw();
    if (!display || !display->GetBackBuffer())
        return GfxResult::InvalidPointer;
    GfxResult r = GfxResult::WasStillDrawing;
    for (int i = 0; i < kPresentTries && r == GfxResult::WasStillDrawing; ++i)
        r = display->Present();
    if (r == GfxResult::SurfaceLost)
        display->GetBackBuffer()->Restore();
    return r;
}

void CDisplay::UpdateBounds()
{
    if (mWindowed) {
        int32_t x = 0, y = 0, w = 0, h = 0;
        OsGetWindowPosition(mWindow, &x, &y);
        OsGetClientSize(mWindow, &w, &h);
        mBounds = TRect(x, y, x + w, y + h);
        return;
    }
    GfxDesktop desktop = mGfx ? mGfx->GetDesktop() : GfxDesktop();
    mBounds = TRect(0, 0, desktop.width, desktop.height);
}

void CDisplay::GetClientOrigin(int32_t& x, int32_t& y)
{
    UpdateBounds();
    x = mBounds.left;
    y = mBounds.top;
}

GfxResult CDisplay::CreateOffscreenSurface(std::unique_ptr<GfxSurface>* out, uint32_t width,
                                           uint32_t height, bool alpha, bool systemMemory)
{
    if (!GetDirectDraw())
        return GfxResult::InvalidPointer;
    if (!out)
        return GfxResult::InvalidArg;
    GfxSurfaceDesc desc;
    desc.width = width;
    desc.height = height;
    desc.alpha = alpha;
    desc.systemMemory = systemMemory;
    GfxResult r = mGfx->CreateSurface(desc, out);
    if (!GfxOk(r)) {
        out->reset();
        ReportVideoMemory(r);
    }
    return r;
}
