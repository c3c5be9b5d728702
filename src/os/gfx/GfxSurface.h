#pragma once
#include <cstdint>
#include <memory>

#include "os/gfx/GfxTypes.h"

class GfxDisplay;

// What CreateSurface makes.
struct GfxSurfaceDesc {
    uint32_t width = 0;
    uint32_t height = 0;
    bool alpha = false;         // without alpha every texel reads alpha 255
    bool mipmap = false;        // a mip-map chain, rebuilt after each upload
    bool systemMemory = false;  // not counted against the video-memory budget
};

// A locked surface: 32-bit 0xAARRGGBB pixels, rows top first. pitch is in
// pixels. With a rectangle, pixels points at its top-left texel and the
// pitch is still the surface's.
struct GfxLocked {
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
};

struct GfxLock {
    enum : uint32_t {
        ReadWrite = 0,
        ReadOnly = 1,   // Unlock writes nothing back
        Discard = 2,    // the old contents are not read (write-only)
    };
};

// A texture or the display's back buffer. Row 0 is the top row everywhere
// (upload, lock, fill and blit rectangles), as on the original device.
//
// Lost-surface model: after GfxInjectLoseSurfaces every surface that existed
// reports SurfaceLost from its operations until Restore (or the display's
// RestoreAllSurfaces). Surfaces keep their pixels across a loss.
//
// While locked, every other operation on the surface answers Failed. A
// surface may outlive its display: it then answers NotCreated. Destroying a
// surface that is bound to the device unbinds it. Main thread only.
class GfxSurface {
public:
    virtual ~GfxSurface() = default;

    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual bool HasAlpha() const = 0;
    virtual bool IsMipmapped() const = 0;
    virtual bool IsBackBuffer() const = 0;
    virtual GfxPixelFormat PixelFormat() const = 0;
    // Bytes the surface occupies (pitch x height).
    uint64_t ByteSize() const { return uint64_t(Width()) * 4u * Height(); }

    // Writes width x height pixels (rows stride pixels apart) at (0, 0).
    // Pixels beyond the surface are ignored; the mip chain is rebuilt.
    virtual GfxResult Upload(const uint32_t* pixels, uint32_t stride, uint32_t width,
                             uint32_t height) = 0;

    // Maps the pixels (the whole surface, or rect). Unlock writes them back
    // (unless ReadOnly) and rebuilds the mip chain. A second Lock before
    // Unlock fails.
    virtual GfxResult Lock(const GfxRect* rect, uint32_t flags, GfxLocked* out) = 0;
    virtual GfxResult Unlock() = 0;

    // Colour fill of rect (null: the whole surface) with the raw pixel value
    // 0xAARRGGBB. The back buffer keeps alpha 255.
    virtual GfxResult Fill(const GfxRect* rect, uint32_t argb) = 0;

    // Copies srcRect of source (null: all of it) onto dstRect of this
    // surface (null: all of this surface), stretching when the sizes differ
    // (linear filtering then). Both rectangles must lie inside their
    // surfaces (InvalidArg otherwise). source may be this surface.
    virtual GfxResult Blt(const GfxRect* dstRect, GfxSurface* source, const GfxRect* srcRect) = 0;
    // Unstretched copy of srcRect (null: all) to (x, y).
    GfxResult BltFast(int32_t x, int32_t y, GfxSurface* source, const GfxRect* srcRect);

    virtual bool IsLost() const = 0;
    virtual GfxResult Restore() = 0;
};
