#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "os/gfx/GfxBackend.h"
#include "os/gfx/GfxInject.h"

namespace {

uint32_t gNextSurfaceId = 0;

std::string RectText(const GfxRect& r)
{
    char buf[64];
    snprintf(buf, sizeof buf, "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    return buf;
}

} // namespace

std::string GfxFormat(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0)
        return {};
    std::string s(size_t(n) + 1, '\0');
    vsnprintf(s.data(), s.size(), format, args);
    s.resize(size_t(n));
    return s;
}

bool GfxRectInside(const GfxRect& r, uint32_t width, uint32_t height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           uint32_t(r.right) <= width && uint32_t(r.bottom) <= height;
}

void GfxCopyPixels(uint32_t* dst, uint32_t dstPitch, const uint32_t* src, uint32_t srcPitch,
                   uint32_t width, uint32_t height)
{
    for (uint32_t y = 0; y < height; ++y)
        memmove(dst + size_t(y) * dstPitch, src + size_t(y) * srcPitch, size_t(width) * 4);
}

void GfxStretchPixels(uint32_t* dst, uint32_t dstPitch, uint32_t dstWidth, uint32_t dstHeight,
                      const uint32_t* src, uint32_t srcPitch, uint32_t srcWidth, uint32_t srcHeight)
{
    if (!dstWidth || !dstHeight || !srcWidth || !srcHeight)
        return;
    if (dstWidth == srcWidth && dstHeight == srcHeight) {
        GfxCopyPixels(dst, dstPitch, src, srcPitch, srcWidth, srcHeight);
        return;
    }
    for (uint32_t dy = 0; dy < dstHeight; ++dy) {
        float sy = (float(dy) + 0.5f) * float(srcHeight) / float(dstHeight) - 0.5f;
        sy = std::clamp(sy, 0.0f, float(srcHeight - 1));
        uint32_t y0 = uint32_t(sy);
        uint32_t y1 = std::min(y0 + 1, srcHeight - 1);
        float fy = sy - float(y0);
        for (uint32_t dx = 0; dx < dstWidth; ++dx) {
            float sx = (float(dx) + 0.5f) * float(srcWidth) / float(dstWidth) - 0.5f;
            sx = std::clamp(sx, 0.0f, float(srcWidth - 1));
            uint32_t x0 = uint32_t(sx);
            uint32_t x1 = std::min(x0 + 1, srcWidth - 1);
            float fx = sx - float(x0);
            uint32_t p00 = src[size_t(y0) * srcPitch + x0], p10 = src[size_t(y0) * srcPitch + x1];
            uint32_t p01 = src[size_t(y1) * srcPitch + x0], p11 = src[size_t(y1) * srcPitch + x1];
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                float a = float((p00 >> shift) & 0xFF), b = float((p10 >> shift) & 0xFF);
                float c = float((p01 >> shift) & 0xFF), d = float((p11 >> shift) & 0xFF);
                float top = a + (b - a) * fx, bottom = c + (d - c) * fx;
                float v = top + (bottom - top) * fy;
                out |= uint32_t(std::lround(std::clamp(v, 0.0f, 255.0f))) << shift;
            }
            dst[size_t(dy) * dstPitch + dx] = out;
        }
    }
}

GfxSurfaceBase::GfxSurfaceBase(std::shared_ptr<GfxLink> link, const GfxSurfaceDesc& desc, bool backBuffer)
    : mLink(std::move(link)), mDesc(desc), mBack(backBuffer)
{
    mRestoredGeneration = GfxLossGeneration();
    mName = backBuffer ? "back" : "s" + std::to_string(++gNextSurfaceId);
}

GfxSurfaceBase::~GfxSurfaceBase()
{
    if (mCountedBytes)
        GfxReleaseVideoMemory(mCountedBytes);
    if (GfxDisplayBase* d = Display())
        d->SurfaceDestroyed(this);
}

GfxPixelFormat GfxSurfaceBase::PixelFormat() const
{
    GfxPixelFormat f;
    if (!HasAlpha())
        f.alphaMask = 0;
    return f;
}

bool GfxSurfaceBase::IsLost() const
{
    return GfxIsLostSince(mRestoredGeneration);
}

GfxResult GfxSurfaceBase::Check(GfxOp op, const char* what)
{
    GfxResult r = GfxTakeInjected(op);
    if (r == GfxResult::Ok) {
        if (Detached())
            r = GfxResult::NotCreated;
        else if (IsLost())
            r = GfxResult::SurfaceLost;
    }
    if (r != GfxResult::Ok)
        NoteResult(std::string(what) + " " + mName, r);
    return r;
}

void GfxSurfaceBase::NoteResult(const std::string& line, GfxResult r)
{
    GfxDisplayBase* d = Display();
    if (!d || !d->Log())
        return;
    if (r == GfxResult::Ok)
        d->Note("%s", line.c_str());
    else
        d->Note("%s -> %s", line.c_str(), GfxResultName(r));
}

GfxResult GfxSurfaceBase::Upload(const uint32_t* pixels, uint32_t stride, uint32_t width, uint32_t height)
{
    GfxResult r = Check(GfxOp::Upload, "Upload");
    if (r != GfxResult::Ok)
        return r;
    std::string line = "Upload " + mName + " " + std::to_string(width) + "x" + std::to_string(height);
    if (!pixels)
        r = GfxResult::InvalidPointer;
    else if (stride < width)
        r = GfxResult::InvalidArg;
    else if (mLocked)
        r = GfxResult::Failed;
    if (r == GfxResult::Ok) {
        uint32_t w = std::min(width, mDesc.width), h = std::min(height, mDesc.height);
        if (w && h)
            r = DoWrite({0, 0, int32_t(w), int32_t(h)}, pixels, stride);
    }
    NoteResult(line, r);
    return r;
}

GfxResult GfxSurfaceBase::Lock(const GfxRect* rect, uint32_t flags, GfxLocked* out)
{
    GfxResult r = Check(GfxOp::Lock, "Lock");
    if (r != GfxResult::Ok)
        return r;
    GfxRect area = rect ? *rect : GfxRect{0, 0, int32_t(mDesc.width), int32_t(mDesc.height)};
    if (!out)
        r = GfxResult::InvalidPointer;
    else if (mLocked)
        r = GfxResult::Failed;
    else if (!GfxRectInside(area, mDesc.width, mDesc.height))
        r = GfxResult::InvalidArg;
    if (r == GfxResult::Ok) {
        mShadow.assign(size_t(mDesc.width) * mDesc.height, 0);
        uint32_t* at = mShadow.data() + size_t(area.top) * mDesc.width + area.left;
        if (!(flags & GfxLock::Discard))
            r = DoRead(area, at, mDesc.width);
        if (r == GfxResult::Ok) {
            mLocked = true;
            mLockFlags = flags;
            mLockRect = area;
            out->pixels = at;
            out->pitch = mDesc.width;
        } else {
            mShadow.clear();
            mShadow.shrink_to_fit();
        }
    }
    NoteResult("Lock " + mName + " " + RectText(area), r);
    return r;
}

GfxResult GfxSurfaceBase::Unlock()
{
    if (!mLocked) {
        NoteResult("Unlock " + mName, GfxResult::Failed);
        return GfxResult::Failed;
    }
    mLocked = false;
    GfxResult r = GfxResult::Ok;
    if (Detached())
        r = GfxResult::NotCreated;
    else if (!(mLockFlags & GfxLock::ReadOnly)) {
        const uint32_t* at = mShadow.data() + size_t(mLockRect.top) * mDesc.width + mLockRect.left;
        r = DoWrite(mLockRect, at, mDesc.width);
    }
    mShadow.clear();
    mShadow.shrink_to_fit();
    NoteResult("Unlock " + mName, r);
    return r;
}

GfxResult GfxSurfaceBase::Fill(const GfxRect* rect, uint32_t argb)
{
    GfxResult r = Check(GfxOp::Fill, "Fill");
    if (r != GfxResult::Ok)
        return r;
    GfxRect area = rect ? *rect : GfxRect{0, 0, int32_t(mDesc.width), int32_t(mDesc.height)};
    if (mLocked)
        r = GfxResult::Failed;
    else if (!GfxRectInside(area, mDesc.width, mDesc.height))
        r = GfxResult::InvalidArg;
    else
        r = DoFill(area, argb);
    char colour[16];
    snprintf(colour, sizeof colour, "%08x", argb);
    NoteResult("Fill " + mName + " " + RectText(area) + " " + colour, r);
    return r;
}

GfxResult GfxSurfaceBase::Blt(const GfxRect* dstRect, GfxSurface* source, const GfxRect* srcRect)
{
    GfxResult r = Check(GfxOp::Blt, "Blt");
    if (r != GfxResult::Ok)
        return r;
    auto* src = dynamic_cast<GfxSurfaceBase*>(source);
    GfxRect dst = dstRect ? *dstRect : GfxRect{0, 0, int32_t(mDesc.width), int32_t(mDesc.height)};
    GfxRect from;
    if (!source)
        r = GfxResult::InvalidPointer;
    else if (!src || src->Display() != Display())
        r = GfxResult::InvalidArg;
    else if (src->Detached())
        r = GfxResult::NotCreated;
    else if (src->IsLost())
        r = GfxResult::SurfaceLost;
    else {
        from = srcRect ? *srcRect : GfxRect{0, 0, int32_t(src->Width()), int32_t(src->Height())};
        if (mLocked || src->mLocked)
            r = GfxResult::Failed;
        else if (!GfxRectInside(dst, mDesc.width, mDesc.height) ||
                 !GfxRectInside(from, src->Width(), src->Height()))
            r = GfxResult::InvalidArg;
        else
            r = DoBlt(dst, src, from);
    }
    NoteResult("Blt " + mName + " " + RectText(dst) + " <- " + (src ? src->mName : "?") + " " +
                   RectText(from),
               r);
    return r;
}

GfxResult GfxSurfaceBase::Restore()
{
    GfxResult r = GfxTakeInjected(GfxOp::RestoreSurface);
    if (r == GfxResult::Ok && Detached())
        r = GfxResult::NotCreated;
    if (r == GfxResult::Ok)
        MarkRestored();
    NoteResult("Restore " + mName, r);
    return r;
}
