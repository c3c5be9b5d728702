#include "render/GfxRenderDevice.h"

#include <algorithm>
#include <cmath>

#include "os/gfx/GfxDisplay.h"
#include "platform/Log.h"
#include "render/DisplayHost.h"
#include "render/VertexList.h"

namespace {

GfxRect ToGfx(const TRect& r)
{
    return GfxRect{r.left, r.top, r.right, r.bottom};
}

// A colour component times a channel mask of the pixel format, kept within
// the mask. Components are clamped to 0..1 first.
uint32_t Channel(float component, uint32_t mask)
{
    double c = component > 0.0f ? std::min(double(component), 1.0) : 0.0;
    return uint32_t(c * double(mask)) & mask;
}

} // namespace

// ---------------------------------------------------------------- plain host

bool TGfxFrameHost::BeginScene(bool copyFront)
{
    (void)copyFront; // the back buffer always holds the last frame
    GfxDevice* device = mDisplay && mDisplay->IsCreated() ? mDisplay->GetDevice() : nullptr;
    if (!device)
        return false;
    GfxResult r = device->BeginScene();
    if (r == GfxResult::OutOfVideoMemory)
        OutOfVideoMemory();
    return r == GfxResult::Ok;
}

void TGfxFrameHost::EndScene(bool present)
{
    GfxDevice* device = mDisplay && mDisplay->IsCreated() ? mDisplay->GetDevice() : nullptr;
    if (!device)
        return;
    GfxResult r = device->EndScene();
    if (r == GfxResult::Ok && present)
        r = mDisplay->Present();
    if (r == GfxResult::OutOfVideoMemory)
        OutOfVideoMemory();
}

bool TGfxFrameHost::IsDeviceReady()
{
    return mDisplay && mDisplay->IsCreated() && mDisplay->GetDevice();
}

// ---------------------------------------------------------------- device

TGfxRenderDevice::TGfxRenderDevice(TRenderHost* host) : mHost(host)
{
    mStates.SetOutOfMemoryHandler([this] {
        if (mHost)
            mHost->OutOfVideoMemory();
    });
    Sync();
}

TGfxRenderDevice::~TGfxRenderDevice() = default;

void TGfxRenderDevice::Sync()
{
    GfxDisplay* display = mHost ? mHost->GetDisplay() : nullptr;
    GfxDevice* device = display && display->IsCreated() ? display->GetDevice() : nullptr;
    GfxMode mode = device ? display->GetMode() : GfxMode();
    if (display == mSyncedDisplay && device == mSyncedDevice && mode.width == mSyncedWidth &&
        mode.height == mSyncedHeight && mode.fullScreen == mSyncedFullScreen)
        return;
    mSyncedDisplay = display;
    mSyncedDevice = device;
    mSyncedWidth = mode.width;
    mSyncedHeight = mode.height;
    mSyncedFullScreen = mode.fullScreen;
    mStates.SetDevice(device);
    // Without a device the view state stays as it was until the next mode.
    if (device)
        ResetDisplayState();
}

GfxDevice* TGfxRenderDevice::Device()
{
    Sync();
    return mSyncedDevice;
}

float TGfxRenderDevice::HostScale() const
{
    if (mHostScale > 0.0f)
        return mHostScale;
    float scale = 1.0f;
    if (GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f)
        return scale;
    return 1.0f;
}

void TGfxRenderDevice::ResetDisplayState()
{
    Sync();
    float scale = HostScale();
    mScreen = TRect(0, 0, int32_t(float(mSyncedWidth) / scale + 0.5f), int32_t(float(mSyncedHeight) / scale + 0.5f));
    mViewport = mClip = mSavedViewport = mScreen;
    mViewportStack.clear();
    mClipInViewport = true;
    mNothingVisible = false;
    mBound = nullptr;
    mStates.SetProjectionDirty();
    if (!mSyncedDevice)
        return;
    mStates.SetDeviceDefaults();
    Apply(true);
    TMat4 identity;
    mStates.SetWorld(identity);
    mStates.SetView(identity);
    mStates.SetPerspective(0.1f, 1000.0f, float(M_PI) / 4.0f, 0.0f, Area());
    const float white[4] = {1, 1, 1, 1};
    mStates.SetAmbient(white);
    TMaterial material;
    material.diffuse = {1, 1, 1, 1};
    material.ambient = {0.5f, 0.5f, 0.5f, 1};
    material.specular = {1, 1, 1, 1};
    material.emissive = {0, 0, 0, 1};
    material.power = 1;
    mStates.SetMaterial(material);
}

TViewArea TGfxRenderDevice::Area() const
{
    TViewArea area;
    area.viewport = mViewport;
    area.visible = TRect::Intersect(mViewport, mScreen);
    if (mClipInViewport)
        area.visible = TRect::Intersect(area.visible, mClip);
    return area;
}

bool TGfxRenderDevice::SetDeviceViewport(const TRect& rect)
{
    GfxDevice* device = mSyncedDevice;
    if (!device)
        return true;
    TRect shown = TRect::Intersect(rect, mScreen);
    if (shown.IsEmpty()) {
        // Nothing of it is on the screen: draws are dropped until a
        // viewport with something to show is applied.
        mNothingVisible = true;
        return true;
    }
    GfxViewport viewport;
    viewport.x = shown.left;
    viewport.y = shown.top;
    viewport.width = shown.Width();
    viewport.height = shown.Height();
    float scale = HostScale();
    if (scale != 1.0f) {
        // A hosted display: back-buffer pixels, the far edges kept on the
        // scaled screen's.
        auto round = [scale](int32_t v) { return int32_t(float(v) * scale + 0.5f); };
        viewport.x = round(viewport.x);
        viewport.y = round(viewport.y);
        viewport.width = round(viewport.width);
        viewport.height = round(viewport.height);
        if (float(viewport.x + viewport.width) / scale > float(mScreen.Width()))
            viewport.width = round(mScreen.Width()) - viewport.x;
        if (float(viewport.y + viewport.height) / scale > float(mScreen.Height()))
            viewport.height = round(mScreen.Height()) - viewport.y;
        viewport.width = std::min(viewport.width, mSyncedWidth - viewport.x);
        viewport.height = std::min(viewport.height, mSyncedHeight - viewport.y);
    }
    GfxResult r = device->SetViewport(viewport);
    mStates.Report(int32_t(r));
    if (r != GfxResult::Ok)
        return false;
    mNothingVisible = false;
    return true;
}

bool TGfxRenderDevice::Apply(bool withClip)
{
    mClipInViewport = withClip;
    TRect rect = withClip ? TRect::Intersect(mViewport, mClip) : mViewport;
    return SetDeviceViewport(rect);
}

void TGfxRenderDevice::SetViewport(const TRect& rect)
{
    if (!Device())
        return;
    TRect old = mViewport;
    mViewport = rect;
    mStates.SetProjectionDirty();
    if (Apply(true))
        return;
    WriteLog("Bad viewport: %d, %d, %d, %d", rect.left, rect.top, rect.right, rect.bottom);
    mViewport = old;
    Apply(true);
}

void TGfxRenderDevice::PushViewport(const TRect& rect)
{
    Sync();
    mViewportStack.push_back(mViewport);
    SetViewport(rect);
}

void TGfxRenderDevice::PopViewport()
{
    Sync();
    if (mViewportStack.empty()) {
        WriteLog("PopViewport: no viewport was saved");
        return;
    }
    mViewport = mViewportStack.back();
    mViewportStack.pop_back();
    if (mSyncedDevice)
        Apply(false);
    mStates.SetProjectionDirty();
}

void TGfxRenderDevice::SetClipRect(const TRect& rect)
{
    Sync();
    mClip = rect;
    mStates.SetProjectionDirty();
    if (mSyncedDevice)
        Apply(true);
}

void TGfxRenderDevice::ClearDepthAndApply()
{
    GfxDevice* device = mSyncedDevice;
    if (!device)
        return;
    bool clip = mClipInViewport;
    if (SetDeviceViewport(mScreen))
        mStates.Report(int32_t(device->Clear(GfxClear::ZBuffer, 0, 1.0f)));
    Apply(clip);
}

bool TGfxRenderDevice::BeginFrame(bool copyFront)
{
    Sync();
    mInFrame = false;
    if (!mHost || !mHost->BeginScene(copyFront))
        return false;
    Sync(); // the host may have restored or set the mode again
    mInFrame = true;
    ClearDepthAndApply();
    return true;
}

void TGfxRenderDevice::EndFrame(bool present)
{
    if (!mInFrame)
        return;
    mInFrame = false;
    if (mHost)
        mHost->EndScene(present);
}

bool TGfxRenderDevice::Begin2d()
{
    if (!Device())
        return false;
    mStates.Begin2d();
    mIn2d = true;
    return true;
}

void TGfxRenderDevice::End2d()
{
    mIn2d = false;
    if (!Device())
        return;
    mBound = nullptr;
    mStates.SetTexture(nullptr);
    mStates.End2d();
}

bool TGfxRenderDevice::Begin3d()
{
    if (!Device())
        return false;
    mStates.Begin3d();
    return true;
}

void TGfxRenderDevice::End3d()
{
}

bool TGfxRenderDevice::TargetOf(const TTextureRef& texture, TTextureTarget* out)
{
    *out = TTextureTarget();
    if (!texture || !mHost)
        return false;
    return mHost->GetTextureTarget(*texture, out) && out->surface;
}

void TGfxRenderDevice::ResetTarget()
{
    mTargetTexture.reset();
    mTarget = TTextureTarget();
    mTargetMode = 0;
    mStates.SetAlphaMaskPass(false);
}

bool TGfxRenderDevice::BeginRenderToTexture(const TTextureRef& target, int32_t option)
{
    if (!Device() || !mHost->IsDeviceReady())
        return false;
    TTextureTarget t;
    if (!TargetOf(target, &t) || t.width <= 0 || t.height <= 0)
        return false;
    mTargetMode = option;
    mTargetTexture = target;
    mTarget = t;
    mStates.SetAlphaMaskPass(option == 4);

    PushViewport(TRect(0, 0, t.width, t.height));
    mSavedViewport = mViewport;
    GetDisplayHost().Invalidate();

    if (option == 2 || option == 3) {
        // Start from the texture's picture.
        int32_t w = std::min({mSavedViewport.right, mScreen.Width(), int32_t(t.surface->Width())});
        int32_t h = std::min({mSavedViewport.bottom, mScreen.Height(), int32_t(t.surface->Height())});
        GfxDisplay* display = mHost->GetDisplay();
        GfxSurface* back = display ? display->GetBackBuffer() : nullptr;
        if (back && w > 0 && h > 0) {
            GfxRect rect{0, 0, w, h};
            mStates.Report(int32_t(back->Blt(&rect, t.surface, &rect)));
        }
    } else if (option == 4) {
        const float clear[4] = {0, 0, 0, 0};
        FillColourRect(TRect(0, 0, t.width, t.height), clear, TTextureRef());
    }

    if (!BeginFrame(false)) {
        // Leave nothing of the pass behind: later frames would otherwise keep
        // the texture's viewport.
        PopViewport();
        mSavedViewport = mScreen;
        ResetTarget();
        return false;
    }
    return true;
}

void TGfxRenderDevice::EndRenderToTexture()
{
    if (!mTargetTexture)
        return;
    EndFrame(false);
    PopViewport();
    int32_t w = std::min(mSavedViewport.right, mScreen.Width());
    int32_t h = std::min(mSavedViewport.bottom, mScreen.Height());
    mSavedViewport = mScreen;

    GfxDisplay* display = mHost ? mHost->GetDisplay() : nullptr;
    GfxSurface* back = display && display->IsCreated() ? display->GetBackBuffer() : nullptr;
    GfxSurface* texture = mTarget.surface;
    if (back && texture) {
        w = std::min(w, int32_t(texture->Width()));
        h = std::min(h, int32_t(texture->Height()));
    }
    if (!back || !texture || w <= 0 || h <= 0) {
        ResetTarget();
        return;
    }

    if (mTargetMode >= 0 && mTargetMode <= 3) {
        GfxRect rect{0, 0, w, h};
        mStates.Report(int32_t(texture->Blt(&rect, back, &rect)));
        GfxLocked locked;
        if (mTargetMode != 1 && texture->Lock(nullptr, GfxLock::ReadWrite, &locked) == GfxResult::Ok) {
            for (uint32_t y = 0; y < texture->Height(); ++y) {
                uint32_t* row = locked.pixels + size_t(y) * locked.pitch;
                for (uint32_t x = 0; x < texture->Width(); ++x)
                    row[x] |= 0xFF000000u;
            }
            texture->Unlock();
        }
    } else if (mTargetMode == 4) {
        // The drawn grey levels become the texture's alpha; colours stay.
        GfxLocked source, dest;
        if (back->Lock(nullptr, GfxLock::ReadOnly, &source) == GfxResult::Ok) {
            if (texture->Lock(nullptr, GfxLock::ReadWrite, &dest) == GfxResult::Ok) {
                uint32_t rows = std::min({uint32_t(mTarget.height), texture->Height(), back->Height()});
                uint32_t cols = std::min({uint32_t(mTarget.width), texture->Width(), back->Width()});
                for (uint32_t y = 0; y < rows; ++y) {
                    const uint32_t* from = source.pixels + size_t(y) * source.pitch;
                    uint32_t* to = dest.pixels + size_t(y) * dest.pitch;
                    for (uint32_t x = 0; x < cols; ++x) {
                        uint32_t red = (from[x] >> 16) & 0xFFu;
                        to[x] = (to[x] & 0x00FFFFFFu) | red << 24;
                    }
                }
                texture->Unlock();
            }
            back->Unlock();
        }
    }
    ResetTarget();
}

void TGfxRenderDevice::FillSurface(GfxSurface* surface, const TRect& bounds, TRect rect, const float rgba[4],
                                   float scale)
{
    rect.left = std::max(rect.left, bounds.left);
    rect.top = std::max(rect.top, bounds.top);
    rect.right = std::min(rect.right, bounds.right);
    rect.bottom = std::min(rect.bottom, bounds.bottom);
    if (rect.IsEmpty())
        return;
    if (scale != 1.0f) {
        rect = TRect(int32_t(float(rect.left) * scale), int32_t(float(rect.top) * scale),
                     int32_t(float(rect.right) * scale), int32_t(float(rect.bottom) * scale));
        rect = TRect::Intersect(rect, TRect(0, 0, int32_t(surface->Width()), int32_t(surface->Height())));
        if (rect.IsEmpty())
            return;
    }
    GfxPixelFormat format = surface->PixelFormat();
    uint32_t value = Channel(rgba[3], format.alphaMask) + Channel(rgba[2], format.blueMask) +
                     Channel(rgba[1], format.greenMask) + Channel(rgba[0], format.redMask);
    GfxRect r = ToGfx(rect);
    mStates.Report(int32_t(surface->Fill(&r, value)));
}

void TGfxRenderDevice::FillQuad(const TRect& rect, const float rgba[4])
{
    if (!mSyncedDevice || mNothingVisible)
        return;
    // Screen pixels to the 2D pass's coordinates (relative to the viewport).
    TMat3 shift;
    shift(2, 0) = float(-mViewport.left);
    shift(2, 1) = float(-mViewport.top);
    TVec2 corners[4] = {TVec2(float(rect.left), float(rect.top)), TVec2(float(rect.right), float(rect.top)),
                        TVec2(float(rect.right), float(rect.bottom)), TVec2(float(rect.left), float(rect.bottom))};
    const TVec2 uv[2] = {TVec2(0, 0), TVec2(1, 1)};
    TLitVertex vertices[4];
    BuildQuadVertices(TVec2(0, 0), vertices, corners, uv, shift, rgba[3], rgba);
    TVertexList list(kVertexSprite, vertices, 4);

    GfxSurface* bound = mBound;
    mStates.SetTexture(nullptr);
    mStates.SetBlendMode(kBlendNormal);
    if (mIn2d)
        mStates.DrawVertices(kPrimitiveTriangleFan, list, true, Area());
    else
        mStates.DrawWith2dProjection(kPrimitiveTriangleFan, list, Area());
    if (bound)
        mStates.SetTexture(bound);
}

void TGfxRenderDevice::FillColourRect(const TRect& rect, const float rgba[4], const TTextureRef& texture)
{
    Sync();
    if (!texture && mInFrame) {
        FillQuad(rect, rgba);
        return;
    }
    if (texture) {
        TTextureTarget t;
        if (TargetOf(texture, &t))
            FillSurface(t.surface, TRect(0, 0, std::min(t.width, int32_t(t.surface->Width())),
                                         std::min(t.height, int32_t(t.surface->Height()))),
                        rect, rgba);
        return;
    }
    GfxDisplay* display = mHost ? mHost->GetDisplay() : nullptr;
    GfxSurface* back = display && display->IsCreated() ? display->GetBackBuffer() : nullptr;
    if (back)
        FillSurface(back, TRect::Intersect(mScreen, mClip), rect, rgba, HostScale());
}

void TGfxRenderDevice::SetTexture(const TTextureRef& texture)
{
    if (!mHost || !mHost->IsDeviceReady() || !Device())
        return;
    TTextureTarget t;
    GfxSurface* surface = TargetOf(texture, &t) ? t.surface : nullptr;
    SetSurface(surface);
}

void TGfxRenderDevice::SetSurface(GfxSurface* surface)
{
    if (!Device())
        return;
    mBound = surface;
    mStates.SetTexture(surface);
}

void TGfxRenderDevice::DrawVertices(uint32_t primitive, const TVertexList& vertices)
{
    if (!Device() || mNothingVisible)
        return;
    mStates.DrawVertices(primitive, vertices, mIn2d, Area());
}

void TGfxRenderDevice::DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices, const uint16_t* indices,
                                           uint32_t indexCount)
{
    if (!Device() || mNothingVisible)
        return;
    mStates.DrawIndexedVertices(primitive, vertices, indices, indexCount, mIn2d, Area());
}

bool TGfxRenderDevice::NeedsSquareTextures() const
{
    GfxDisplay* display = mHost ? mHost->GetDisplay() : nullptr;
    if (!display)
        return false;
    GfxCaps caps = display->GetCaps();
    return caps.squareOnly || (caps.maxTextureAspect != 0 && caps.maxTextureAspect < 64);
}

void TGfxRenderDevice::SetBlendMode(int32_t mode)
{
    if (Device())
        mStates.SetBlendMode(mode);
}

void TGfxRenderDevice::SetCullMode(int32_t mode)
{
    if (Device())
        mStates.SetCullMode(mode);
}

void TGfxRenderDevice::SetWorldTransform(const TMat4& matrix)
{
    if (Device())
        mStates.SetWorld(matrix);
}

void TGfxRenderDevice::SetViewTransform(const TMat4& matrix)
{
    if (Device())
        mStates.SetView(matrix);
}

TMat4 TGfxRenderDevice::GetWorldTransform() const
{
    return mStates.GetWorld();
}

void TGfxRenderDevice::SetPerspective(float nearZ, float farZ, float fov, float aspect)
{
    if (Device())
        mStates.SetPerspective(nearZ, farZ, fov, aspect, Area());
}

void TGfxRenderDevice::SetTextureFilter(int32_t mode)
{
    if (Device())
        mStates.SetTextureFilter(mode);
}

void TGfxRenderDevice::SetTextureAddress(int32_t u, int32_t v)
{
    if (Device())
        mStates.SetTextureAddress(u, v);
}

void TGfxRenderDevice::SetMaterial(const TMaterial& material)
{
    if (Device())
        mStates.SetMaterial(material);
}

void TGfxRenderDevice::SetLight(uint32_t index, const TLight* light)
{
    if (Device())
        mStates.SetLight(index, light);
}

void TGfxRenderDevice::SetZEnable(bool on)
{
    if (Device())
        mStates.SetZEnable(on);
}

void TGfxRenderDevice::SetZWriteEnable(bool on)
{
    if (Device())
        mStates.SetZWriteEnable(on);
}

void TGfxRenderDevice::SetShadeMode(int32_t mode)
{
    if (Device())
        mStates.SetShadeMode(mode);
}

void TGfxRenderDevice::SetAmbient(const float rgba[4])
{
    if (Device())
        mStates.SetAmbient(rgba);
}

void TGfxRenderDevice::SetProjection(const TMat4& matrix)
{
    if (Device())
        mStates.SetProjection(matrix);
}
