#pragma once
// The GL backend of the graphics stand-in (internal; callers use GfxDisplay.h).
#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <string>
#include <vector>

#include "os/gfx/GfxBackend.h"
#include "os/gfx/gl/GfxGlBatch.h"

// GL entry points beyond 1.1, loaded once a context exists.
struct GfxGlFuncs {
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
    PFNGLGENERATEMIPMAPPROC GenerateMipmap = nullptr;
    PFNGLSECONDARYCOLORPOINTERPROC SecondaryColorPointer = nullptr;  // optional
    PFNGLPROVOKINGVERTEXPROC ProvokingVertex = nullptr;              // optional
    bool bgraArrays = false;   // colour arrays may be given as GL_BGRA bytes
    bool depthClamp = false;   // GL_DEPTH_CLAMP: clipping off spares the near and far planes

    bool Load();
};

class GfxGlDisplay;

// Drops pending GL errors (bounded: a lost context may keep reporting).
inline void GfxGlClearErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

// Sampler state last applied to a texture object.
struct GfxGlSampler {
    GLint minFilter = -1;
    GLint magFilter = -1;
    GLint wrapS = -1;
    GLint wrapT = -1;
    uint32_t border = 0;
};

// A texture (RGBA8, or RGB8 without alpha) with a framebuffer made on first
// use, or the back buffer (colour and depth renderbuffers).
class GfxGlSurface : public GfxSurfaceBase {
public:
    GfxGlSurface(std::shared_ptr<GfxLink> link, const GfxSurfaceDesc& desc, bool back);
    ~GfxGlSurface() override;

    // Allocates the GL objects and clears them (texture: 0; back buffer:
    // black with alpha 255, depth 1).
    GfxResult Init();

    GLuint Texture() const { return mTexture; }
    // The framebuffer of the surface (made on demand); 0 on failure.
    GLuint Framebuffer();
    GfxGlSampler& Sampler() { return mSampler; }

    GfxResult DoRead(const GfxRect& r, uint32_t* pixels, uint32_t pitch) override;
    GfxResult DoWrite(const GfxRect& r, const uint32_t* pixels, uint32_t pitch) override;
    GfxResult DoFill(const GfxRect& r, uint32_t argb) override;
    GfxResult DoBlt(const GfxRect& dst, GfxSurfaceBase* source, const GfxRect& src) override;

private:
    GfxGlDisplay* Gl() const;
    // After a write into the back buffer: its alpha back to 255 over r.
    void KeepBackAlpha(const GfxRect& r);
    void AfterWrite(const GfxRect& r);

    GLuint mTexture = 0;
    GLuint mFramebuffer = 0;
    GLuint mColour = 0;   // back buffer renderbuffers
    GLuint mDepth = 0;
    GfxGlSampler mSampler;
};

// The device: stores the state (GfxDevice) and gathers consecutive draws
// with the same state into one GL draw call; GL state is set only where it
// differs from what GL already holds. Anything else that uses GL first
// draws what is gathered (GfxGlDisplay::GlTouched).
class GfxGlDevice : public GfxDevice {
public:
    explicit GfxGlDevice(GfxGlDisplay* display) : mDisplay(display) {}
    // Something else used GL: apply everything again at the next draw.
    void InvalidateGl() { mGlValid = false; }
    // Draws what is gathered (dropped when the context is gone).
    void Flush();
    // Takes pending GL errors; an out-of-memory one is kept for the next
    // Clear, draw or present to report.
    void CollectErrors();
    // A kept out-of-memory error, once.
    bool TakeOutOfMemory();
    // GL draw calls issued so far.
    uint32_t DrawCalls() const { return mDrawCalls; }

protected:
    GfxResult DoClear(uint32_t flags, uint32_t argb, float z) override;
    GfxResult DoDraw(GfxPrimitive primitive, uint32_t fvf, const void* vertices, uint32_t vertexCount,
                     const uint16_t* indices, uint32_t indexCount) override;
    void DoScene(bool begin) override;
    bool TargetLost() const override;
    bool OwnsSurface(const GfxSurface* surface) const override;

private:
    // Whether a draw of this format and shape may join the gathered ones.
    bool Joins(uint32_t fvf, GfxGlShape shape);
    void Apply(const GfxDeviceState& s, uint32_t fvf);
    void ApplyRenderStates(const GfxDeviceState& s);
    void ApplyTexture(const GfxDeviceState& s);
    void ApplyCombiner(const GfxDeviceState& s);
    void ApplySampler(const GfxDeviceState& s, GfxGlSurface* texture);
    void ApplyTransforms(const GfxDeviceState& s, bool screenSpace);
    void ApplyArrays(const GfxDeviceState& s, uint32_t fvf);
    // Whether draws of this format are lit with this state.
    static bool Lit(const GfxDeviceState& s, uint32_t fvf);
    // Lights the gathered vertices into mLitColours.
    void LightBatch();

    GfxGlDisplay* mDisplay;
    // What GL holds (when mGlValid).
    bool mGlValid = false;
    GfxDeviceState mApplied;
    uint32_t mAppliedFvf = 0;
    bool mAppliedColourSum = false;
    bool mAppliedLit = false;
    // The gathered draws and the state they are drawn with.
    GfxGlBatch mBatch;
    GfxDeviceState mBatchState;
    uint32_t mBatchFvf = 0;
    // Colours of the gathered vertices when lit: 8 bytes a vertex.
    std::vector<uint8_t> mLitColours;
    bool mFlushing = false;
    bool mOutOfMemory = false;
    uint32_t mDrawCalls = 0;
};

class GfxGlDisplay : public GfxDisplayBase {
public:
    GfxGlDisplay();
    ~GfxGlDisplay() override;

    GfxDevice* GetDevice() override { return mCreated ? mDevice.get() : nullptr; }
    GfxIdentifier GetIdentifier() const override { return mIdentifier; }
    bool GetWindowSize(int32_t* width, int32_t* height) const override;
    GfxResult ReadFront(const GfxRect& rect, std::vector<uint32_t>* out) override;
    void KeepFrontCopy(bool keep) override;
    void SetSwapInterval(int32_t interval) override;

    const GfxGlFuncs& Fn() const { return mFn; }
    bool HasContext() const { return mContext != nullptr; }
    // Makes the context current (another window's may have been); false
    // when there is none.
    bool MakeCurrent();
    // A surface operation is about to use GL behind the device's back: the
    // device draws what it has gathered and applies its state again later.
    void GlTouched();
    GLuint BackFramebuffer();
    GLuint WhiteTexture() const { return mWhite; }
    // A texture + framebuffer of at least width x height for staging copies.
    GfxGlSurface* Scratch(uint32_t width, uint32_t height);

protected:
    GfxResult DoCreate(OsWindow window, const GfxMode& mode) override;
    void DoRelease() override;
    GfxResult DoCreateSurface(const GfxSurfaceDesc& desc, bool backBuffer,
                              std::unique_ptr<GfxSurfaceBase>* out) override;
    GfxResult DoPresent() override;
    void DoCursorChanged() override;
    GfxDesktop RealDesktop() const override;
    GfxCaps RealCaps() const override;
    GfxDevice* Device() override { return mDevice.get(); }

private:
    bool CreateContext(SDL_Window* window);
    // mSdl while its window still exists, else null.
    SDL_Window* LiveSdl() const;
    void UploadCursor();
    void DrawCursor(const GfxRect& picture, int32_t drawableHeight);

    OsWindow mOsWindow = nullptr;   // the window mSdl belongs to
    SDL_Window* mSdl = nullptr;
    SDL_GLContext mContext = nullptr;
    GfxGlFuncs mFn;
    GfxIdentifier mIdentifier;
    GLint mMaxTexture = 0;
    GLuint mWhite = 0;
    GLuint mCursorTexture = 0;
    bool mCursorDirty = false;
    bool mKeepFront = false;
    std::vector<uint32_t> mFront;   // the last presented window, bottom row first
    int32_t mFrontWidth = 0;
    int32_t mFrontHeight = 0;
    std::unique_ptr<GfxGlSurface> mScratch;
    std::unique_ptr<GfxGlDevice> mDevice;
};
