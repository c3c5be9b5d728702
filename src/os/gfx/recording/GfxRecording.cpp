// The recording backend: surfaces in plain memory, draws and presents
// written to the call log instead of rasterised.
#include "os/gfx/recording/GfxRecording.h"

#include <algorithm>
#include <cstring>

#include "os/gfx/GfxBackend.h"

void GfxCallLog::Clear()
{
    calls.clear();
    draws.clear();
    presents = 0;
}

size_t GfxCallLog::Count(const std::string& prefix) const
{
    return size_t(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
        return c.compare(0, prefix.size(), prefix) == 0;
    }));
}

int32_t GfxCallLog::Find(const std::string& prefix, size_t from) const
{
    for (size_t i = from; i < calls.size(); ++i) {
        if (calls[i].compare(0, prefix.size(), prefix) == 0)
            return int32_t(i);
    }
    return -1;
}

GfxCallLog& GfxRecordingLog()
{
    static GfxCallLog log;
    return log;
}

float GfxDrawRecord::Float(uint32_t vertex, uint32_t offset) const
{
    uint32_t stride = GfxFvfStride(fvf);
    size_t at = size_t(vertex) * stride + offset;
    float f = 0;
    if (vertex < vertexCount && offset + 4 <= stride && at + 4 <= vertices.size())
        memcpy(&f, vertices.data() + at, 4);
    return f;
}

uint32_t GfxDrawRecord::Word(uint32_t vertex, uint32_t offset) const
{
    uint32_t stride = GfxFvfStride(fvf);
    size_t at = size_t(vertex) * stride + offset;
    uint32_t w = 0;
    if (vertex < vertexCount && offset + 4 <= stride && at + 4 <= vertices.size())
        memcpy(&w, vertices.data() + at, 4);
    return w;
}

namespace {

class MemSurface : public GfxSurfaceBase {
public:
    MemSurface(std::shared_ptr<GfxLink> link, const GfxSurfaceDesc& desc, bool back)
        : GfxSurfaceBase(std::move(link), desc, back),
          mPixels(size_t(desc.width) * desc.height, back ? 0xFF000000u : 0u)
    {
    }

    GfxResult DoRead(const GfxRect& r, uint32_t* pixels, uint32_t pitch) override
    {
        GfxCopyPixels(pixels, pitch, At(r.left, r.top), Width(), uint32_t(r.Width()), uint32_t(r.Height()));
        return GfxResult::Ok;
    }

    GfxResult DoWrite(const GfxRect& r, const uint32_t* pixels, uint32_t pitch) override
    {
        GfxCopyPixels(At(r.left, r.top), Width(), pixels, pitch, uint32_t(r.Width()), uint32_t(r.Height()));
        KeepAlpha(r);
        return GfxResult::Ok;
    }

    GfxResult DoFill(const GfxRect& r, uint32_t argb) override
    {
        for (int32_t y = r.top; y < r.bottom; ++y)
            std::fill(At(r.left, y), At(r.right, y), argb);
        KeepAlpha(r);
        return GfxResult::Ok;
    }

    GfxResult DoBlt(const GfxRect& dst, GfxSurfaceBase* source, const GfxRect& src) override
    {
        auto* from = static_cast<MemSurface*>(source);
        // Through a copy: the source may be this surface.
        std::vector<uint32_t> part(size_t(src.Width()) * src.Height());
        GfxCopyPixels(part.data(), uint32_t(src.Width()), from->At(src.left, src.top), from->Width(),
                      uint32_t(src.Width()), uint32_t(src.Height()));
        GfxStretchPixels(At(dst.left, dst.top), Width(), uint32_t(dst.Width()), uint32_t(dst.Height()),
                         part.data(), uint32_t(src.Width()), uint32_t(src.Width()), uint32_t(src.Height()));
        KeepAlpha(dst);
        return GfxResult::Ok;
    }

private:
    uint32_t* At(int32_t x, int32_t y) { return mPixels.data() + size_t(y) * Width() + x; }

    // Surfaces without alpha (and the back buffer) read alpha 255.
    void KeepAlpha(const GfxRect& r)
    {
        if (HasAlpha())
            return;
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (uint32_t* p = At(r.left, y); p != At(r.right, y); ++p)
                *p |= 0xFF000000u;
        }
    }

    std::vector<uint32_t> mPixels;
};

class RecordingDevice : public GfxDevice {
public:
    explicit RecordingDevice(GfxDisplayBase* display) : mDisplay(display) {}

protected:
    GfxResult DoClear(uint32_t flags, uint32_t argb, float z) override
    {
        (void)z;
        if (flags & GfxClear::Target) {
            auto* back = static_cast<GfxSurfaceBase*>(mDisplay->GetBackBuffer());
            const GfxViewport& v = mState.viewport;
            if (back)
                back->DoFill({v.x, v.y, v.x + v.width, v.y + v.height}, argb);
        }
        return GfxResult::Ok;
    }

    GfxResult DoDraw(GfxPrimitive primitive, uint32_t fvf, const void* vertices, uint32_t vertexCount,
                     const uint16_t* indices, uint32_t indexCount) override
    {
        GfxDrawRecord rec;
        rec.primitive = primitive;
        rec.fvf = fvf;
        rec.vertexCount = vertexCount;
        const auto* bytes = static_cast<const uint8_t*>(vertices);
        rec.vertices.assign(bytes, bytes + size_t(vertexCount) * GfxFvfStride(fvf));
        if (indices)
            rec.indices.assign(indices, indices + indexCount);
        rec.state = mState;
        if (GfxCallLog* log = mDisplay->Log())
            log->draws.push_back(std::move(rec));
        return GfxResult::Ok;
    }

    bool TargetLost() const override
    {
        GfxSurface* back = mDisplay->GetBackBuffer();
        return !back || back->IsLost();
    }

    bool OwnsSurface(const GfxSurface* surface) const override { return mDisplay->Owns(surface); }

    void Note(const char* format, ...) override
    {
        va_list args;
        va_start(args, format);
        mDisplay->NoteV(format, args);
        va_end(args);
    }

private:
    GfxDisplayBase* mDisplay;
};

class RecordingDisplay : public GfxDisplayBase {
public:
    RecordingDisplay() { mLog = &GfxRecordingLog(); }
    ~RecordingDisplay() override { Release(); }

    GfxDevice* GetDevice() override { return mCreated ? mDevice.get() : nullptr; }
    GfxIdentifier GetIdentifier() const override { return {"Quillory", "Recording device", "1.0"}; }

    bool GetWindowSize(int32_t* width, int32_t* height) const override
    {
        if (!mCreated)
            return false;
        GfxDesktop d = GetDesktop();
        bool full = mMode.fullScreen && d.width > 0 && d.height > 0;
        if (width)
            *width = full ? d.width : mMode.width;
        if (height)
            *height = full ? d.height : mMode.height;
        return true;
    }

    GfxResult ReadFront(const GfxRect&, std::vector<uint32_t>*) override { return GfxResult::Failed; }
    void KeepFrontCopy(bool) override {}
    void SetSwapInterval(int32_t) override {}

protected:
    GfxResult DoCreate(OsWindow, const GfxMode&) override
    {
        mDevice = std::make_unique<RecordingDevice>(this);
        return GfxResult::Ok;
    }

    void DoRelease() override { mDevice.reset(); }

    GfxResult DoCreateSurface(const GfxSurfaceDesc& desc, bool backBuffer,
                              std::unique_ptr<GfxSurfaceBase>* out) override
    {
        *out = std::make_unique<MemSurface>(mLink, desc, backBuffer);
        return GfxResult::Ok;
    }

    GfxResult DoPresent() override { return GfxResult::Ok; }
    GfxDesktop RealDesktop() const override { return {-1, 1280, 1024}; }
    GfxCaps RealCaps() const override { return GfxCaps(); }
    GfxDevice* Device() override { return mDevice.get(); }

private:
    std::unique_ptr<RecordingDevice> mDevice;
};

} // namespace

std::unique_ptr<GfxDisplay> GfxCreateRecordingDisplay()
{
    return std::make_unique<RecordingDisplay>();
}
