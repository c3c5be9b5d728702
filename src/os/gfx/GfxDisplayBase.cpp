#include <algorithm>

#include "os/gfx/GfxBackend.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/recording/GfxRecording.h"

GfxDisplayBase::GfxDisplayBase() : mLink(std::make_shared<GfxLink>())
{
    mLink->display = this;
}

GfxDisplayBase::~GfxDisplayBase()
{
    // The backend has released what it owns; surfaces still held by callers
    // stop reaching it.
    mLink->display = nullptr;
    for (GfxSurfaceBase* s : mSurfaces)
        s->Detach();
    mSurfaces.clear();
    if (mBack)
        mBack->Detach();
}

void GfxDisplayBase::Note(const char* format, ...)
{
    if (!mLog)
        return;
    va_list args;
    va_start(args, format);
    NoteV(format, args);
    va_end(args);
}

void GfxDisplayBase::NoteV(const char* format, va_list args)
{
    if (mLog)
        mLog->calls.push_back(GfxFormat(format, args));
}

GfxResult GfxDisplayBase::Create(OsWindow window, const GfxMode& mode)
{
    GfxResult r = GfxTakeInjected(GfxOp::CreateDisplay);
    if (r == GfxResult::Ok && (mode.width <= 0 || mode.height <= 0 || mode.width > 16384 ||
                               mode.height > 16384))
        r = GfxResult::InvalidArg;
    Release();
    if (r == GfxResult::Ok)
        r = DoCreate(window, mode);
    if (r == GfxResult::Ok) {
        GfxSurfaceDesc desc;
        desc.width = uint32_t(mode.width);
        desc.height = uint32_t(mode.height);
        uint64_t bytes = uint64_t(desc.width) * desc.height * 4;
        if (!GfxReserveVideoMemory(bytes)) {
            r = GfxResult::OutOfVideoMemory;
        } else {
            r = DoCreateSurface(desc, true, &mBack);
            if (r == GfxResult::Ok && mBack)
                mBack->mCountedBytes = bytes;
            else
                GfxReleaseVideoMemory(bytes);
        }
        if (r != GfxResult::Ok) {
            mBack.reset();
            DoRelease();
        }
    }
    if (r != GfxResult::Ok) {
        Note("Create %dx%d %s -> %s", mode.width, mode.height, mode.fullScreen ? "full" : "window",
             GfxResultName(r));
        return r;
    }
    mCreated = true;
    mMode = mode;
    mWindow = window;
    if (GfxDevice* d = Device())
        d->ResetState(mode.width, mode.height);
    Note("Create %dx%d %s", mode.width, mode.height, mode.fullScreen ? "full" : "window");
    return GfxResult::Ok;
}

void GfxDisplayBase::Release()
{
    if (!mCreated)
        return;
    mCreated = false;
    mBack.reset();
    DoRelease();
    Note("Release");
}

GfxResult GfxDisplayBase::CreateSurface(const GfxSurfaceDesc& desc, std::unique_ptr<GfxSurface>* out)
{
    GfxResult r = GfxTakeInjected(GfxOp::CreateSurface);
    GfxCaps caps = GetCaps();
    if (r == GfxResult::Ok) {
        if (!out)
            r = GfxResult::InvalidPointer;
        else if (desc.width == 0 || desc.height == 0 || desc.width > caps.maxTextureWidth ||
                 desc.height > caps.maxTextureHeight)
            r = GfxResult::InvalidArg;
    }
    uint64_t bytes = uint64_t(desc.width) * desc.height * 4;
    if (desc.mipmap)
        bytes += bytes / 3;
    bool counted = false;
    if (r == GfxResult::Ok && !desc.systemMemory) {
        if (GfxReserveVideoMemory(bytes))
            counted = true;
        else
            r = GfxResult::OutOfVideoMemory;
    }
    std::unique_ptr<GfxSurfaceBase> made;
    if (r == GfxResult::Ok)
        r = DoCreateSurface(desc, false, &made);
    const char* kind = desc.alpha ? (desc.mipmap ? " alpha mipmap" : " alpha") : (desc.mipmap ? " mipmap" : "");
    if (r != GfxResult::Ok || !made) {
        if (counted)
            GfxReleaseVideoMemory(bytes);
        if (r == GfxResult::Ok)
            r = GfxResult::Failed;
        Note("CreateSurface %ux%u%s -> %s", desc.width, desc.height, kind, GfxResultName(r));
        return r;
    }
    if (counted)
        made->mCountedBytes = bytes;
    SurfaceCreated(made.get());
    Note("CreateSurface %ux%u%s %s", desc.width, desc.height, kind, made->Name().c_str());
    *out = std::move(made);
    return GfxResult::Ok;
}

GfxResult GfxDisplayBase::Present()
{
    GfxResult r = GfxTakeInjected(GfxOp::Present);
    if (r == GfxResult::Ok) {
        if (!mCreated)
            r = GfxResult::NotCreated;
        else if (mBack->IsLost())
            r = GfxResult::SurfaceLost;
        else
            r = DoPresent();
    }
    if (r != GfxResult::Ok) {
        Note("Present -> %s", GfxResultName(r));
        return r;
    }
    ++mPresents;
    if (mLog)
        ++mLog->presents;
    Note("Present");
    return GfxResult::Ok;
}

GfxResult GfxDisplayBase::PresentOnly()
{
    GfxResult r = GfxTakeInjected(GfxOp::Present);
    if (r == GfxResult::Ok) {
        if (!mCreated)
            r = GfxResult::NotCreated;
        else if (mPresents == 0)
            return GfxResult::Ok;   // no frame yet
        else if (mBack->IsLost())
            r = GfxResult::SurfaceLost;
        else
            r = DoPresent();
    }
    if (r != GfxResult::Ok) {
        Note("PresentOnly -> %s", GfxResultName(r));
        return r;
    }
    Note("PresentOnly");
    return GfxResult::Ok;
}

GfxResult GfxDisplayBase::TestCooperativeLevel()
{
    GfxResult r = GfxTakeInjected(GfxOp::TestCooperativeLevel);
    Note("TestCooperativeLevel -> %s", GfxResultName(r));
    return r;
}

GfxResult GfxDisplayBase::SetCooperativeLevel(bool exclusive)
{
    GfxResult r = GfxTakeInjected(GfxOp::SetCooperativeLevel);
    Note("SetCooperativeLevel %s -> %s", exclusive ? "exclusive" : "normal", GfxResultName(r));
    return r;
}

GfxResult GfxDisplayBase::RestoreAllSurfaces()
{
    GfxResult r = GfxTakeInjected(GfxOp::RestoreAllSurfaces);
    if (r == GfxResult::Ok) {
        for (GfxSurfaceBase* s : mSurfaces)
            s->MarkRestored();
        if (mBack)
            mBack->MarkRestored();
    }
    Note("RestoreAllSurfaces -> %s", GfxResultName(r));
    return r;
}

GfxDesktop GfxDisplayBase::GetDesktop() const
{
    if (const GfxDesktop* d = GfxInjectedDesktop())
        return *d;
    return RealDesktop();
}

GfxCaps GfxDisplayBase::GetCaps() const
{
    GfxCaps caps;
    if (const GfxCaps* c = GfxInjectedCaps())
        caps = *c;
    else
        caps = RealCaps();
    int64_t left = GfxVideoMemoryLeft();
    if (left >= 0)
        caps.freeVideoMemory = uint64_t(left);
    return caps;
}

GfxResult GfxDisplayBase::SetCursorImage(GfxSurface* image, int32_t hotX, int32_t hotY, bool colourKey)
{
    if (!image) {
        mCursorPixels.clear();
        mCursorWidth = mCursorHeight = 0;
        mCursorHotX = mCursorHotY = 0;
        Note("SetCursorImage null");
        DoCursorChanged();
        return GfxResult::Ok;
    }
    GfxLocked locked;
    GfxResult r = image->Lock(nullptr, GfxLock::ReadOnly, &locked);
    if (r != GfxResult::Ok) {
        Note("SetCursorImage -> %s", GfxResultName(r));
        return r;
    }
    uint32_t w = image->Width(), h = image->Height();
    std::vector<uint32_t> pixels(size_t(w) * h);
    GfxCopyPixels(pixels.data(), w, locked.pixels, locked.pitch, w, h);
    image->Unlock();
    if (colourKey) {
        for (uint32_t& p : pixels) {
            if ((p & 0x00FFFFFFu) == 0x00FF00FFu)
                p = 0;
        }
    }
    mCursorPixels = std::move(pixels);
    mCursorWidth = w;
    mCursorHeight = h;
    mCursorHotX = hotX;
    mCursorHotY = hotY;
    Note("SetCursorImage %ux%u hot %d,%d%s", w, h, hotX, hotY, colourKey ? " keyed" : "");
    DoCursorChanged();
    return GfxResult::Ok;
}

void GfxDisplayBase::SetCursorPosition(int32_t x, int32_t y, bool visible)
{
    mCursorX = x;
    mCursorY = y;
    mCursorVisible = visible;
}

GfxResult GfxDisplayBase::ReadBack(const GfxRect& rect, std::vector<uint32_t>* out)
{
    if (!out)
        return GfxResult::InvalidPointer;
    if (!mCreated)
        return GfxResult::NotCreated;
    if (!GfxRectInside(rect, mBack->Width(), mBack->Height()))
        return GfxResult::InvalidArg;
    out->assign(size_t(rect.Width()) * rect.Height(), 0);
    return mBack->DoRead(rect, out->data(), uint32_t(rect.Width()));
}

void GfxDisplayBase::SurfaceCreated(GfxSurfaceBase* surface)
{
    mSurfaces.push_back(surface);
}

void GfxDisplayBase::SurfaceDestroyed(GfxSurfaceBase* surface)
{
    mSurfaces.erase(std::remove(mSurfaces.begin(), mSurfaces.end(), surface), mSurfaces.end());
    if (GfxDevice* d = Device())
        d->ForgetSurface(surface);
}

bool GfxDisplayBase::Owns(const GfxSurface* surface) const
{
    if (!surface)
        return false;
    if (surface == mBack.get())
        return true;
    return std::find(mSurfaces.begin(), mSurfaces.end(), surface) != mSurfaces.end();
}
