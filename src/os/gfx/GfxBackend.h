#pragma once
// Shared parts of the two graphics backends (GL and recording). Not for
// callers outside the stand-in: use GfxDisplay.h.
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxSurface.h"

class GfxDisplayBase;
struct GfxCallLog;

// Lets surfaces outlive their display: the display clears the pointer when
// it goes.
struct GfxLink {
    GfxDisplayBase* display = nullptr;
};

// Injected desktop and caps, or null.
const GfxDesktop* GfxInjectedDesktop();
const GfxCaps* GfxInjectedCaps();
// Lost-surface bookkeeping (GfxInjectLoseSurfaces).
uint32_t GfxLossGeneration();
bool GfxIsLostSince(uint32_t restoredGeneration);
// Video-memory budget (GfxInjectVideoMemory): false when bytes do not fit.
bool GfxReserveVideoMemory(uint64_t bytes);
void GfxReleaseVideoMemory(uint64_t bytes);
// Bytes left under the budget; -1 when unlimited.
int64_t GfxVideoMemoryLeft();

// Clips nothing: true when r is non-empty and inside width x height.
bool GfxRectInside(const GfxRect& r, uint32_t width, uint32_t height);

// Plain-memory pixel operations on 0xAARRGGBB rows (pitch in pixels).
void GfxCopyPixels(uint32_t* dst, uint32_t dstPitch, const uint32_t* src, uint32_t srcPitch,
                   uint32_t width, uint32_t height);
// Stretch copy with bilinear filtering (clamped at the source rectangle's
// edges); a same-size copy is exact.
void GfxStretchPixels(uint32_t* dst, uint32_t dstPitch, uint32_t dstWidth, uint32_t dstHeight,
                      const uint32_t* src, uint32_t srcPitch, uint32_t srcWidth,
                      uint32_t srcHeight);

std::string GfxFormat(const char* format, va_list args);

// Surface with the checks, the lost state and the lock shadow; the backend
// only moves pixels.
class GfxSurfaceBase : public GfxSurface {
public:
    GfxSurfaceBase(std::shared_ptr<GfxLink> link, const GfxSurfaceDesc& desc, bool backBuffer);
    ~GfxSurfaceBase() override;

    uint32_t Width() const override { return mDesc.width; }
    uint32_t Height() const override { return mDesc.height; }
    bool HasAlpha() const override { return mDesc.alpha && !mBack; }
    bool IsMipmapped() const override { return mDesc.mipmap; }
    bool IsBackBuffer() const override { return mBack; }
    GfxPixelFormat PixelFormat() const override;
    const GfxSurfaceDesc& Desc() const { return mDesc; }

    GfxResult Upload(const uint32_t* pixels, uint32_t stride, uint32_t width,
                     uint32_t height) override;
    GfxResult Lock(const GfxRect* rect, uint32_t flags, GfxLocked* out) override;
    GfxResult Unlock() override;
    GfxResult Fill(const GfxRect* rect, uint32_t argb) override;
    GfxResult Blt(const GfxRect* dstRect, GfxSurface* source, const GfxRect* srcRect) override;
    bool IsLost() const override;
    GfxResult Restore() override;

    void MarkRestored() { mRestoredGeneration = GfxLossGeneration(); }
    GfxDisplayBase* Display() const { return mLink ? mLink->display : nullptr; }
    // "s<n>" or "back" in the call log.
    const std::string& Name() const { return mName; }
    // The display is gone: never call the backend again.
    void Detach() { mDetached = true; }
    bool Detached() const { return mDetached || !Display(); }

    // Backend: read or write a rectangle (rows top first, pitch in pixels);
    // writes rebuild the mip chain; the back buffer and surfaces without
    // alpha store alpha 255.
    virtual GfxResult DoRead(const GfxRect& r, uint32_t* pixels, uint32_t pitch) = 0;
    virtual GfxResult DoWrite(const GfxRect& r, const uint32_t* pixels, uint32_t pitch) = 0;
    virtual GfxResult DoFill(const GfxRect& r, uint32_t argb) = 0;
    // source is of the same backend and display; may be this surface.
    virtual GfxResult DoBlt(const GfxRect& dst, GfxSurfaceBase* source, const GfxRect& src) = 0;

protected:
    GfxResult Check(GfxOp op, const char* what);
    void NoteResult(const std::string& line, GfxResult r);

    std::shared_ptr<GfxLink> mLink;
    GfxSurfaceDesc mDesc;
    bool mBack = false;
    bool mDetached = false;
    uint64_t mCountedBytes = 0;   // held against the video-memory budget
    uint32_t mRestoredGeneration = 0;
    std::string mName;
    // Lock state.
    bool mLocked = false;
    uint32_t mLockFlags = 0;
    GfxRect mLockRect;
    std::vector<uint32_t> mShadow;

    friend class GfxDisplayBase;
};

// Display with the backend-independent rules: injection, desktop and caps
// overrides, surface bookkeeping, the cursor state and the call log.
class GfxDisplayBase : public GfxDisplay {
public:
    GfxDisplayBase();
    ~GfxDisplayBase() override;

    GfxResult Create(OsWindow window, const GfxMode& mode) override;
    void Release() override;
    bool IsCreated() const override { return mCreated; }
    GfxMode GetMode() const override { return mMode; }
    OsWindow GetWindow() const override { return mWindow; }
    GfxSurface* GetBackBuffer() override { return mCreated ? mBack.get() : nullptr; }

    GfxResult CreateSurface(const GfxSurfaceDesc& desc, std::unique_ptr<GfxSurface>* out) override;
    GfxResult Present() override;
    GfxResult PresentOnly() override;
    GfxResult TestCooperativeLevel() override;
    GfxResult SetCooperativeLevel(bool exclusive) override;
    GfxResult RestoreAllSurfaces() override;
    GfxDesktop GetDesktop() const override;
    GfxCaps GetCaps() const override;
    GfxResult SetCursorImage(GfxSurface* image, int32_t hotX, int32_t hotY, bool colourKey) override;
    void SetCursorPosition(int32_t x, int32_t y, bool visible) override;
    uint32_t PresentCount() const override { return mPresents; }
    GfxResult ReadBack(const GfxRect& rect, std::vector<uint32_t>* out) override;

    // Surfaces report here.
    void SurfaceCreated(GfxSurfaceBase* surface);
    void SurfaceDestroyed(GfxSurfaceBase* surface);
    bool Owns(const GfxSurface* surface) const;
    // Call-log line (recording backend only).
    void Note(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void NoteV(const char* format, va_list args);
    GfxCallLog* Log() const { return mLog; }

protected:
    // Backend hooks.
    virtual GfxResult DoCreate(OsWindow window, const GfxMode& mode) = 0;
    virtual void DoRelease() = 0;
    virtual GfxResult DoCreateSurface(const GfxSurfaceDesc& desc, bool backBuffer,
                                      std::unique_ptr<GfxSurfaceBase>* out) = 0;
    // Show the back buffer and the cursor.
    virtual GfxResult DoPresent() = 0;
    // The cursor image changed (mCursorPixels etc.).
    virtual void DoCursorChanged() {}
    virtual GfxDesktop RealDesktop() const = 0;
    virtual GfxCaps RealCaps() const = 0;
    virtual GfxDevice* Device() = 0;

    std::shared_ptr<GfxLink> mLink;
    GfxCallLog* mLog = nullptr;
    bool mCreated = false;
    GfxMode mMode;
    OsWindow mWindow = nullptr;
    std::unique_ptr<GfxSurfaceBase> mBack;
    std::vector<GfxSurfaceBase*> mSurfaces;
    uint32_t mPresents = 0;

    // Cursor (back-buffer pixels; pixels already keyed, alpha 0 = clear).
    std::vector<uint32_t> mCursorPixels;
    uint32_t mCursorWidth = 0;
    uint32_t mCursorHeight = 0;
    int32_t mCursorHotX = 0;
    int32_t mCursorHotY = 0;
    int32_t mCursorX = 0;
    int32_t mCursorY = 0;
    bool mCursorVisible = false;
};
