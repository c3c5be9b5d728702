#include "render/TextureData.h"

#include <algorithm>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxSurface.h"
#include "platform/Log.h"
#include "platform/Timer.h"
#include "render/DXContext.h"
#include "render/DisplayHost.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/TextureLoad.h"

namespace {

TTextureLoader gLoader = nullptr;
TTextureDataResolver gResolver = nullptr;
// The texture format chosen for alpha surfaces, per colour depth (the
// device has one 32-bit format; kept so that a new mode chooses again).
bool gAlphaFormatChosen = false;
// The first failed blit of each kind (to a texture, to the screen) that ran
// out of video memory is reported.
bool gBlitReported[2] = {false, false};

uint32_t NextPowerOfTwo(uint32_t value, uint32_t from)
{
    uint32_t p = from;
    while (p < value && p < 0x80000000u)
        p <<= 1;
    return p;
}

TPlatformData* PlatformData()
{
    TPlatform* platform = GetPlatform();
    return platform ? platform->GetData() : nullptr;
}

TDXContext* Context()
{
    TPlatform* platform = GetPlatform();
    return platform ? platform->GetContext() : nullptr;
}

} // namespace

bool TTextureData::Load(const TString& fileName, const TString& maskFileName)
{
    return gLoader ? gLoader(*this, fileName, maskFileName) : LoadTextureFiles(*this, fileName, maskFileName);
}

void SetTextureLoader(TTextureLoader loader)
{
    gLoader = loader;
}

void SetTextureDataResolver(TTextureDataResolver resolver)
{
    gResolver = resolver;
}

TTextureData* GetTextureData(const TTexture* texture)
{
    return texture && gResolver ? gResolver(texture) : nullptr;
}

TTextureData* GetTextureData(const TTextureRef& texture)
{
    return GetTextureData(texture.get());
}

GfxSurface* GetTextureSurface(const TTextureRef& texture)
{
    auto* data = dynamic_cast<TDxTextureData*>(GetTextureData(texture));
    return data ? data->GetSurface() : nullptr;
}

void TDxTextureData::ForgetTextureFormat()
{
    gAlphaFormatChosen = false;
}

TDxTextureData::~TDxTextureData()
{
    DropSurface();
}

void TDxTextureData::DropSurface()
{
    if (mLocked && mSurface)
        mSurface->Unlock();
    mLocked = false;
    if (TPlatformData* d = PlatformData())
        d->mTextureMemory -= std::min(d->mTextureMemory, mCountedBytes);
    mCountedBytes = 0;
    mSurface.reset();
}

void TDxTextureData::ReleaseSurface()
{
    DropSurface();
}

bool TDxTextureData::MakeSurface(uint32_t width, uint32_t height, bool alpha, bool mipmap,
                                 bool systemMemory)
{
    TDXContext* context = Context();
    GfxDisplay* gfx = context ? context->GetDisplayObject().GetGfxDisplay() : nullptr;
    if (!gfx)
        return false;
    GfxSurfaceDesc desc;
    desc.width = width;
    desc.height = height;
    desc.alpha = alpha;
    desc.mipmap = mipmap;
    desc.systemMemory = systemMemory;
    std::unique_ptr<GfxSurface> surface;
    GfxResult r = gfx->CreateSurface(desc, &surface);
    if (!GfxOk(r)) {
        ReportVideoMemory(r);
        return false;
    }
    DropSurface();
    mSurface = std::move(surface);
    mCountedBytes = mSurface->ByteSize();
    if (TPlatformData* d = PlatformData())
        d->mTextureMemory += mCountedBytes;
    return true;
}

bool TDxTextureData::CreateByHand(uint32_t width, uint32_t height)
{
    TDXContext* context = Context();
    bool systemMemory = !context->IsHardwareDevice() || (HasFlag(kSimple) && HasFlag(kSlow));
    const int32_t depth = context->GetDisplayMode().depth;
    if (!systemMemory) {
        GfxDisplay* display = context->GetDirectDraw();
        uint64_t free = display ? display->GetCaps().freeVideoMemory : 0;
        uint64_t needed = uint64_t(width) * height * uint32_t(std::max(depth, 8)) / 8;
        if (free != 0 && free <= needed && depth == 32) {
            WriteLog("TDxTextureData::CreateSurface: Out of Memory in 32 bit mode. Tagging to restart.");
            if (TPlatform* platform = GetPlatform())
                platform->OutOfVideoMemory();
        }
    }
    if (!HasFlag(kAlpha)) {
        if (!MakeSurface(width, height, false, false, systemMemory) && !systemMemory)
            MakeSurface(width, height, false, false, true);
    } else {
        gAlphaFormatChosen = true;
        if (!MakeSurface(width, height, true, false, systemMemory) &&
            !MakeSurface(width, height, true, false, !systemMemory))
            MakeSurface(width, height, false, false, systemMemory);
        if (mSurface && !mSurface->HasAlpha())
            WriteLog("SURFACE request FAILED to get DDPF_ALPHAPIXELS.");
    }
    if (!mSurface)
        return false;
    mSurfaceWidth = mSurface->Width();
    mSurfaceHeight = mSurface->Height();
    Fill();
    return true;
}

bool TDxTextureData::CreateByUtility(uint32_t width, uint32_t height)
{
    bool mipmap = HasFlag(kMipmap);
    mMipLevel = mipmap ? -1 : 0;
    if (!MakeSurface(width, height, HasFlag(kAlpha), mipmap, !Context()->IsHardwareDevice()))
        return false;
    mMadeByUtility = true;
    mSurfaceWidth = mSurface->Width();
    mSurfaceHeight = mSurface->Height();
    // The device makes the size asked for: no enlargement to pad.
    return true;
}

bool TDxTextureData::CreateSurface(uint32_t width, uint32_t height)
{
    mUtilityPaddingX = mUtilityPaddingY = 0;
    uint32_t w = width, h = height;
    if (!HasFlag(kSimple) && w != h) {
        TPlatform* platform = GetPlatform();
        if (platform && platform->HasTextureLimits()) {
            uint32_t side = std::max(NextPowerOfTwo(w, 2), NextPowerOfTwo(h, 2));
            mUtilityPaddingX = int32_t((side - w) / 2);
            mUtilityPaddingY = int32_t((side - h) / 2);
            w = h = side;
        }
    }
    TPlatformData* d = PlatformData();
    if (!d || !d->mDevice || !d->mContext || w == 0 || h == 0)
        return false;

    mMadeByUtility = false;
    bool made = false;
    if (HasFlag(kSimple))
        made = CreateByHand(w, h);
    if (!made)
        made = CreateByUtility(w, h);
    mWidth = width;
    mHeight = height;
    return made && mSurface;
}

bool TDxTextureData::CopyPixels(uint32_t stride, uint32_t rows, const uint32_t* pixels)
{
    if (!mSurface || !pixels || stride == 0)
        return false;
    GfxResult r;
    if (mMadeByUtility) {
        r = mSurface->Upload(pixels, stride, stride, rows);
    } else {
        uint32_t width = std::min(mWidth, stride);
        r = mSurface->Upload(pixels, stride, width, std::min(mHeight, rows));
    }
    ReportVideoMemory(r);
    return GfxOk(r);
}

bool TDxTextureData::Lock(uint32_t*& pixels, uint32_t& pitch)
{
    pixels = nullptr;
    pitch = 0;
    if (!mSurface || mLocked)
        return false;
    GfxLocked locked;
    GfxResult r = mSurface->Lock(nullptr, GfxLock::ReadWrite, &locked);
    if (!GfxOk(r)) {
        ReportVideoMemory(r);
        return false;
    }
    mLocked = true;
    pixels = locked.pixels;
    pitch = locked.pitch;
    return true;
}

void TDxTextureData::Unlock()
{
    if (!mSurface || !mLocked)
        return;
    mLocked = false;
    ReportVideoMemory(mSurface->Unlock());
}

bool TDxTextureData::Fill()
{
    if (!mSurface)
        return false;
    GfxResult r = mSurface->Fill(nullptr, 0);
    if (r == GfxResult::SurfaceLost && GfxOk(mSurface->Restore()))
        r = mSurface->Fill(nullptr, 0);
    ReportVideoMemory(r);
    return GfxOk(r);
}

bool TDxTextureData::Blit(int32_t x, int32_t y, const TRect* source, const TTextureRef& target)
{
    if (!mSurface)
        return false;
    GfxSurface* destination = nullptr;
    if (target) {
        destination = GetTextureSurface(target);
    } else if (TDXContext* context = Context()) {
        TPlatformData* d = PlatformData();
        destination = d && d->mRenderTarget ? d->mRenderTarget : context->GetBackSurface();
    }
    if (!destination)
        return false;

    TRect src = source ? *source : TRect(0, 0, int32_t(mWidth), int32_t(mHeight));
    float scale = 1.0f;
    bool scaled = !target && GetDisplayHost().GetScaleFactor(scale) && scale > 0.0f;
    auto scaledValue = [&](int32_t v) { return scaled ? int32_t(float(v) * scale) : v; };
    TRect dst(scaledValue(x), scaledValue(y), scaledValue(x + src.Width()), scaledValue(y + src.Height()));

    // Cut both rectangles to their surfaces, keeping them in step.
    const TRect srcBounds(0, 0, int32_t(mSurface->Width()), int32_t(mSurface->Height()));
    const TRect dstBounds(0, 0, int32_t(destination->Width()), int32_t(destination->Height()));
    TRect s = TRect::Intersect(src, srcBounds);
    if (s.IsEmpty() || src.IsEmpty())
        return false;
    float sx = float(dst.Width()) / float(src.Width());
    float sy = float(dst.Height()) / float(src.Height());
    TRect d(dst.left + int32_t(float(s.left - src.left) * sx), dst.top + int32_t(float(s.top - src.top) * sy),
            dst.right - int32_t(float(src.right - s.right) * sx),
            dst.bottom - int32_t(float(src.bottom - s.bottom) * sy));
    TRect dc = TRect::Intersect(d, dstBounds);
    if (dc.IsEmpty() || d.IsEmpty())
        return false;
    TRect sc(s.left + int32_t(float(dc.left - d.left) / sx), s.top + int32_t(float(dc.top - d.top) / sy),
             s.right - int32_t(float(d.right - dc.right) / sx),
             s.bottom - int32_t(float(d.bottom - dc.bottom) / sy));
    if (sc.IsEmpty())
        return false;

    GfxRect gd{dc.left, dc.top, dc.right, dc.bottom};
    GfxRect gs{sc.left, sc.top, sc.right, sc.bottom};
    GfxResult r = destination->Blt(&gd, mSurface.get(), &gs);
    if (r == GfxResult::SurfaceLost) {
        // The restore runs from the event pump, outside the caller's drawing.
        if (TPlatform* platform = GetPlatform())
            platform->SetBroken(GetTimer());
        return false;
    }
    if (!GfxOk(r)) {
        bool& reported = gBlitReported[target ? 0 : 1];
        if (r == GfxResult::OutOfVideoMemory && !reported) {
            reported = true;
            ReportVideoMemory(r);
        }
        return false;
    }
    return true;
}

void TDxTextureData::Restore()
{
    bool ok;
    if (mFileName.IsEmpty()) {
        ok = CreateSurface(mWidth, mHeight);
        if (!ok)
            WriteLog("TDxTextureData::Restore: Failed to restore %dx%d texture (%d,%d)", int(mWidth),
                     int(mHeight), int(mSurfaceWidth), int(mSurfaceHeight));
    } else if (mMaskFileName.IsEmpty()) {
        ok = Load(mFileName, TString());
        if (!ok)
            WriteLog("TDxTextureData::Restore: Failed to restore from file %s.", mFileName.c_str());
    } else {
        ok = Load(mFileName, mMaskFileName);
        if (!ok)
            WriteLog("TDxTextureData::Restore: Failed to restore from file %s and %s.", mFileName.c_str(),
                     mMaskFileName.c_str());
    }
    if (!ok) {
        if (TPlatform* platform = GetPlatform())
            platform->SetBroken(GetTimer());
    }
}
