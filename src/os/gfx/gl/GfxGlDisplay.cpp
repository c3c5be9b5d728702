#include <algorithm>
#include <cstring>

#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/gl/GfxGl.h"

namespace {

template <class T>
bool LoadProc(T& fn, const char* name)
{
    fn = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
    return fn != nullptr;
}

std::string GlString(GLenum name)
{
    const auto* s = reinterpret_cast<const char*>(glGetString(name));
    return s ? s : "";
}

} // namespace

bool GfxGlFuncs::Load()
{
    bool ok = LoadProc(GenFramebuffers, "glGenFramebuffers") &&
              LoadProc(DeleteFramebuffers, "glDeleteFramebuffers") &&
              LoadProc(BindFramebuffer, "glBindFramebuffer") &&
              LoadProc(FramebufferTexture2D, "glFramebufferTexture2D") &&
              LoadProc(FramebufferRenderbuffer, "glFramebufferRenderbuffer") &&
              LoadProc(CheckFramebufferStatus, "glCheckFramebufferStatus") &&
              LoadProc(GenRenderbuffers, "glGenRenderbuffers") &&
              LoadProc(DeleteRenderbuffers, "glDeleteRenderbuffers") &&
              LoadProc(BindRenderbuffer, "glBindRenderbuffer") &&
              LoadProc(RenderbufferStorage, "glRenderbufferStorage") &&
              LoadProc(BlitFramebuffer, "glBlitFramebuffer") &&
              LoadProc(GenerateMipmap, "glGenerateMipmap");
    if (!ok)
        return false;
    LoadProc(SecondaryColorPointer, "glSecondaryColorPointer");
    if (SDL_GL_ExtensionSupported("GL_ARB_provoking_vertex") ||
        SDL_GL_ExtensionSupported("GL_EXT_provoking_vertex"))
        LoadProc(ProvokingVertex, "glProvokingVertex");
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int vmajor = version ? atoi(version) : 0;
    const char* dot = version ? strchr(version, '.') : nullptr;
    int vminor = dot ? atoi(dot + 1) : 0;
    bgraArrays = SDL_GL_ExtensionSupported("GL_ARB_vertex_array_bgra") ||
                 SDL_GL_ExtensionSupported("GL_EXT_vertex_array_bgra") || vmajor > 3 ||
                 (vmajor == 3 && vminor >= 2);
    depthClamp = SDL_GL_ExtensionSupported("GL_ARB_depth_clamp") || SDL_GL_ExtensionSupported("GL_NV_depth_clamp") ||
                 vmajor > 3 || (vmajor == 3 && vminor >= 2);
    return true;
}

GfxGlDisplay::GfxGlDisplay() = default;

GfxGlDisplay::~GfxGlDisplay()
{
    Release();
    if (mContext && MakeCurrent()) {
        mScratch.reset();
        if (mWhite)
            glDeleteTextures(1, &mWhite);
        if (mCursorTexture)
            glDeleteTextures(1, &mCursorTexture);
        // Surfaces still held by callers lose their GL objects with the
        // context; they stop calling GL.
        for (GfxSurfaceBase* s : mSurfaces)
            s->Detach();
    }
    mScratch.reset();
    if (mContext)
        SDL_GL_DeleteContext(mContext);
}

bool GfxGlDisplay::MakeCurrent()
{
    if (!mContext || !mSdl)
        return false;
    // The window may have been destroyed under us: then there is nothing to
    // draw on (the context's objects go with the context).
    if (OsGetSdlWindow(mOsWindow) != mSdl) {
        mSdl = nullptr;
        return false;
    }
    if (SDL_GL_GetCurrentContext() == mContext && SDL_GL_GetCurrentWindow() == mSdl)
        return true;
    return SDL_GL_MakeCurrent(mSdl, mContext) == 0;
}

SDL_Window* GfxGlDisplay::LiveSdl() const
{
    return mSdl && OsGetSdlWindow(mOsWindow) == mSdl ? mSdl : nullptr;
}

void GfxGlDisplay::GlTouched()
{
    if (!mDevice)
        return;
    mDevice->Flush();
    if (MakeCurrent())
        mDevice->CollectErrors();
    mDevice->InvalidateGl();
}

GLuint GfxGlDisplay::BackFramebuffer()
{
    return mBack ? static_cast<GfxGlSurface*>(mBack.get())->Framebuffer() : 0;
}

GfxGlSurface* GfxGlDisplay::Scratch(uint32_t width, uint32_t height)
{
    if (mScratch && mScratch->Width() >= width && mScratch->Height() >= height)
        return mScratch.get();
    GfxSurfaceDesc desc;
    desc.width = std::max(width, mScratch ? mScratch->Width() : 0u);
    desc.height = std::max(height, mScratch ? mScratch->Height() : 0u);
    desc.alpha = true;
    desc.systemMemory = true;
    mScratch.reset();
    auto s = std::make_unique<GfxGlSurface>(mLink, desc, false);
    if (s->Init() != GfxResult::Ok)
        return nullptr;
    mScratch = std::move(s);
    return mScratch.get();
}

bool GfxGlDisplay::CreateContext(SDL_Window* window)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        GfxLog("GL context creation failed: %s", SDL_GetError());
        return false;
    }
    mContext = context;
    mSdl = window;
    if (!MakeCurrent() || !mFn.Load()) {
        GfxLog("GL 2.1 with framebuffer objects is not available: %s", SDL_GetError());
        SDL_GL_DeleteContext(mContext);
        mContext = nullptr;
        return false;
    }
    mIdentifier = {GlString(GL_VENDOR), GlString(GL_RENDERER), GlString(GL_VERSION)};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &mMaxTexture);
    SDL_GL_SetSwapInterval(1);
    uint32_t white = 0xFFFFFFFFu;
    glGenTextures(1, &mWhite);
    glBindTexture(GL_TEXTURE_2D, mWhite);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    GfxLog("GL display: %s, %s, %s", mIdentifier.vendor.c_str(), mIdentifier.renderer.c_str(),
           mIdentifier.version.c_str());
    return true;
}

GfxResult GfxGlDisplay::DoCreate(OsWindow window, const GfxMode& mode)
{
    auto* sdl = static_cast<SDL_Window*>(OsGetSdlWindow(window));
    if (!sdl)
        return GfxResult::Failed;
    if (!mContext) {
        mOsWindow = window;
        if (!CreateContext(sdl))
            return GfxResult::Failed;
    } else if (sdl != mSdl) {
        // Another window (or the same one made again): the context moves to it.
        mOsWindow = window;
        mSdl = sdl;
        if (!MakeCurrent()) {
            mSdl = nullptr;
            return GfxResult::Failed;
        }
    }
    if (mode.fullScreen) {
        // Cover the desktop first: without a window manager (Xvfb) nobody
        // else resizes the window when it becomes full screen.
        int index = SDL_GetWindowDisplayIndex(sdl);
        SDL_Rect bounds;
        if ((SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN) == 0 &&
            SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) == 0) {
            SDL_SetWindowPosition(sdl, bounds.x, bounds.y);
            SDL_SetWindowSize(sdl, bounds.w, bounds.h);
        }
        if (SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
            return GfxResult::Failed;
    } else {
        if (SDL_SetWindowFullscreen(sdl, 0) != 0)
            return GfxResult::Failed;
        SDL_SetWindowSize(sdl, mode.width, mode.height);
    }
    // One black frame: the window starts clean, and the driver takes the
    // new window size at the swap (not before it).
    mFn.BindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(sdl);
    mDevice = std::make_unique<GfxGlDevice>(this);
    return GfxResult::Ok;
}

void GfxGlDisplay::DoRelease()
{
    mDevice.reset();
}

GfxResult GfxGlDisplay::DoCreateSurface(const GfxSurfaceDesc& desc, bool backBuffer,
                                        std::unique_ptr<GfxSurfaceBase>* out)
{
    if (!mContext)
        return GfxResult::NotCreated;
    if (!backBuffer && (desc.width > uint32_t(mMaxTexture) || desc.height > uint32_t(mMaxTexture)))
        return GfxResult::InvalidArg;
    auto s = std::make_unique<GfxGlSurface>(mLink, desc, backBuffer);
    GfxResult r = s->Init();
    if (r != GfxResult::Ok)
        return r;
    *out = std::move(s);
    return GfxResult::Ok;
}

bool GfxGlDisplay::GetWindowSize(int32_t* width, int32_t* height) const
{
    SDL_Window* sdl = LiveSdl();
    if (!mCreated || !sdl)
        return false;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdl, &w, &h);
    if (w <= 0 || h <= 0)
        return false;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

void GfxGlDisplay::DoCursorChanged()
{
    mCursorDirty = true;
}

void GfxGlDisplay::UploadCursor()
{
    mCursorDirty = false;
    if (mCursorPixels.empty())
        return;
    if (!mCursorTexture)
        glGenTextures(1, &mCursorTexture);
    glBindTexture(GL_TEXTURE_2D, mCursorTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(mCursorWidth), GLsizei(mCursorHeight), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, mCursorPixels.data());
}

void GfxGlDisplay::DrawCursor(const GfxRect& picture, int32_t drawableHeight)
{
    if (!mCursorVisible || mCursorPixels.empty() || !mCursorTexture)
        return;
    const float sx = float(picture.Width()) / float(mMode.width);
    const float sy = float(picture.Height()) / float(mMode.height);
    // The image's top-left in back-buffer pixels, then in window pixels.
    float x0 = float(picture.left) + float(mCursorX - mCursorHotX) * sx;
    float y0 = float(picture.top) + float(mCursorY - mCursorHotY) * sy;
    float x1 = x0 + float(mCursorWidth) * sx;
    float y1 = y0 + float(mCursorHeight) * sy;
    int32_t w = 0, h = 0;
    GetWindowSize(&w, &h);

    glViewport(0, 0, w, h);
    glEnable(GL_SCISSOR_TEST);   // the cursor stays inside the picture
    glScissor(picture.left, drawableHeight - picture.bottom, picture.Width(), picture.Height());
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_COLOR_SUM);
    glDisable(GL_FOG);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, mCursorTexture);
    GLint filter = (sx == 1.0f && sy == 1.0f) ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);   // window pixels, y down
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glEnd();
}

GfxResult GfxGlDisplay::DoPresent()
{
    if (!MakeCurrent())
        return GfxResult::NotCreated;
    GlTouched();
    if (mCursorDirty)
        UploadCursor();
    int32_t w = 0, h = 0;
    if (!GetWindowSize(&w, &h))
        return GfxResult::Failed;
    GfxRect picture = GfxLetterbox(w, h, mMode.width, mMode.height);
    const GfxGlFuncs& fn = mFn;
    fn.BindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // Back-buffer row 0 is the top; the window's row 0 is the bottom.
    bool exact = picture.Width() == mMode.width && picture.Height() == mMode.height;
    // Bars round a letterboxed picture are black; a picture that fills the
    // window covers everything.
    if (!exact || picture.Width() != w || picture.Height() != h) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    fn.BindFramebuffer(GL_READ_FRAMEBUFFER, BackFramebuffer());
    fn.BlitFramebuffer(0, 0, mMode.width, mMode.height, picture.left, h - picture.top, picture.right,
                       h - picture.bottom, GL_COLOR_BUFFER_BIT, exact ? GL_NEAREST : GL_LINEAR);
    fn.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    DrawCursor(picture, h);
    if (mKeepFront) {
        mFront.resize(size_t(w) * h);
        mFrontWidth = w;
        mFrontHeight = h;
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, mFront.data());
    }
    SDL_GL_SwapWindow(mSdl);
    // What the frame's draws ran out of memory for is reported here.
    if (mDevice && mDevice->TakeOutOfMemory())
        return GfxResult::OutOfVideoMemory;
    return GfxResult::Ok;
}

GfxResult GfxGlDisplay::ReadFront(const GfxRect& rect, std::vector<uint32_t>* out)
{
    if (!out)
        return GfxResult::InvalidPointer;
    if (!mKeepFront || mFront.empty())
        return GfxResult::Failed;
    if (!GfxRectInside(rect, uint32_t(mFrontWidth), uint32_t(mFrontHeight)))
        return GfxResult::InvalidArg;
    // The copy has the bottom row first.
    out->resize(size_t(rect.Width()) * rect.Height());
    for (int32_t y = 0; y < rect.Height(); ++y)
        memcpy(out->data() + size_t(y) * rect.Width(),
               mFront.data() + size_t(mFrontHeight - 1 - (rect.top + y)) * mFrontWidth + rect.left,
               size_t(rect.Width()) * 4);
    return GfxResult::Ok;
}

void GfxGlDisplay::KeepFrontCopy(bool keep)
{
    mKeepFront = keep;
    if (!keep) {
        mFront.clear();
        mFront.shrink_to_fit();
    }
}

void GfxGlDisplay::SetSwapInterval(int32_t interval)
{
    if (MakeCurrent())
        SDL_GL_SetSwapInterval(interval);
}

GfxDesktop GfxGlDisplay::RealDesktop() const
{
    GfxDesktop d;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return d;
    SDL_Window* sdl = LiveSdl();
    int index = sdl ? SDL_GetWindowDisplayIndex(sdl) : 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) == 0) {
        d.width = mode.w;
        d.height = mode.h;
    }
    return d;
}

GfxCaps GfxGlDisplay::RealCaps() const
{
    GfxCaps caps;
    if (mMaxTexture > 0) {
        caps.maxTextureWidth = caps.maxTextureHeight = caps.maxTextureAspect = uint32_t(mMaxTexture);
    }
    return caps;
}

std::unique_ptr<GfxDisplay> GfxCreateGlDisplay()
{
    return std::make_unique<GfxGlDisplay>();
}
