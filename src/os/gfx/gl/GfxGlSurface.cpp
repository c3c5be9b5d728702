#include <algorithm>

#include "os/gfx/gl/GfxGl.h"

GfxGlSurface::GfxGlSurface(std::shared_ptr<GfxLink> link, const GfxSurfaceDesc& desc, bool back)
    : GfxSurfaceBase(std::move(link), desc, back)
{
}

GfxGlSurface::~GfxGlSurface()
{
    GfxGlDisplay* gl = Gl();
    if (Detached() || !gl)
        return;
    // Draws gathered with this texture go first (or are dropped without a
    // context).
    gl->GlTouched();
    if (!gl->MakeCurrent())
        return;
    const GfxGlFuncs& fn = gl->Fn();
    if (mFramebuffer)
        fn.DeleteFramebuffers(1, &mFramebuffer);
    if (mColour)
        fn.DeleteRenderbuffers(1, &mColour);
    if (mDepth)
        fn.DeleteRenderbuffers(1, &mDepth);
    if (mTexture)
        glDeleteTextures(1, &mTexture);
}

GfxGlDisplay* GfxGlSurface::Gl() const
{
    return static_cast<GfxGlDisplay*>(Display());
}

GfxResult GfxGlSurface::Init()
{
    GfxGlDisplay* gl = Gl();
    if (!gl || !gl->MakeCurrent())
        return GfxResult::NotCreated;
    const GfxGlFuncs& fn = gl->Fn();
    gl->GlTouched();
    GfxGlClearErrors();
    GLsizei w = GLsizei(Width()), h = GLsizei(Height());
    if (mBack) {
        fn.GenRenderbuffers(1, &mColour);
        fn.BindRenderbuffer(GL_RENDERBUFFER, mColour);
        fn.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
        fn.GenRenderbuffers(1, &mDepth);
        fn.BindRenderbuffer(GL_RENDERBUFFER, mDepth);
        fn.RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        fn.BindRenderbuffer(GL_RENDERBUFFER, 0);
        fn.GenFramebuffers(1, &mFramebuffer);
        fn.BindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
        fn.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColour);
        fn.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, mDepth);
        GLenum status = fn.CheckFramebufferStatus(GL_FRAMEBUFFER);
        GLenum err = glGetError();
        if (err == GL_OUT_OF_MEMORY)
            return GfxResult::OutOfVideoMemory;
        if (status != GL_FRAMEBUFFER_COMPLETE)
            return GfxResult::Failed;
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return GfxResult::Ok;
    }
    glGenTextures(1, &mTexture);
    glBindTexture(GL_TEXTURE_2D, mTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, mDesc.mipmap ? 1000 : 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    std::vector<uint32_t> zero(size_t(w) * h, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, mDesc.alpha ? GL_RGBA8 : GL_RGB8, w, h, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, zero.data());
    if (mDesc.mipmap)
        fn.GenerateMipmap(GL_TEXTURE_2D);
    GLenum err = glGetError();
    if (err == GL_OUT_OF_MEMORY)
        return GfxResult::OutOfVideoMemory;
    if (err != GL_NO_ERROR)
        return GfxResult::Failed;
    return GfxResult::Ok;
}

GLuint GfxGlSurface::Framebuffer()
{
    if (mFramebuffer || mBack)
        return mFramebuffer;
    GfxGlDisplay* gl = Gl();
    const GfxGlFuncs& fn = gl->Fn();
    gl->GlTouched();
    fn.GenFramebuffers(1, &mFramebuffer);
    fn.BindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    fn.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, mTexture, 0);
    if (fn.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        fn.DeleteFramebuffers(1, &mFramebuffer);
        mFramebuffer = 0;
    }
    return mFramebuffer;
}

GfxResult GfxGlSurface::DoRead(const GfxRect& r, uint32_t* pixels, uint32_t pitch)
{
    GfxGlDisplay* gl = Gl();
    if (!gl->MakeCurrent())
        return GfxResult::NotCreated;
    gl->GlTouched();
    GLuint fb = Framebuffer();
    if (!fb)
        return GfxResult::Failed;
    gl->Fn().BindFramebuffer(GL_READ_FRAMEBUFFER, fb);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(pitch));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Framebuffer row y is row y from the top: rows come out top first.
    glReadPixels(r.left, r.top, r.Width(), r.Height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return glGetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::Failed;
}

void GfxGlSurface::KeepBackAlpha(const GfxRect& r)
{
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.left, r.top, r.Width(), r.Height());
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_SCISSOR_TEST);
}

void GfxGlSurface::AfterWrite(const GfxRect& r)
{
    if (mBack) {
        Gl()->Fn().BindFramebuffer(GL_DRAW_FRAMEBUFFER, mFramebuffer);
        KeepBackAlpha(r);
    } else if (mDesc.mipmap) {
        glBindTexture(GL_TEXTURE_2D, mTexture);
        Gl()->Fn().GenerateMipmap(GL_TEXTURE_2D);
    }
}

GfxResult GfxGlSurface::DoWrite(const GfxRect& r, const uint32_t* pixels, uint32_t pitch)
{
    GfxGlDisplay* gl = Gl();
    if (!gl->MakeCurrent())
        return GfxResult::NotCreated;
    gl->GlTouched();
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(pitch));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (!mBack) {
        glBindTexture(GL_TEXTURE_2D, mTexture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, r.Width(), r.Height(), GL_BGRA,
                        GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        AfterWrite(r);
        return glGetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::Failed;
    }
    // The back buffer is a renderbuffer: stage the pixels in a texture and
    // copy them over.
    GfxGlSurface* scratch = gl->Scratch(uint32_t(r.Width()), uint32_t(r.Height()));
    if (!scratch)
        return GfxResult::Failed;
    glBindTexture(GL_TEXTURE_2D, scratch->Texture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, r.Width(), r.Height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                    pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    const GfxGlFuncs& fn = gl->Fn();
    GLuint scratchFb = scratch->Framebuffer();
    if (!scratchFb)
        return GfxResult::Failed;
    fn.BindFramebuffer(GL_READ_FRAMEBUFFER, scratchFb);
    fn.BindFramebuffer(GL_DRAW_FRAMEBUFFER, mFramebuffer);
    glDisable(GL_SCISSOR_TEST);
    fn.BlitFramebuffer(0, 0, r.Width(), r.Height(), r.left, r.top, r.right, r.bottom, GL_COLOR_BUFFER_BIT,
                       GL_NEAREST);
    AfterWrite(r);
    return glGetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::Failed;
}

GfxResult GfxGlSurface::DoFill(const GfxRect& r, uint32_t argb)
{
    GfxGlDisplay* gl = Gl();
    if (!gl->MakeCurrent())
        return GfxResult::NotCreated;
    gl->GlTouched();
    GLuint fb = Framebuffer();
    if (!fb)
        return GfxResult::Failed;
    gl->Fn().BindFramebuffer(GL_DRAW_FRAMEBUFFER, fb);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r.left, r.top, r.Width(), r.Height());
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    float a = mBack ? 1.0f : float((argb >> 24) & 0xFF) / 255.0f;
    glClearColor(float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f,
                 float(argb & 0xFF) / 255.0f, a);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    if (!mBack && mDesc.mipmap)
        AfterWrite(r);
    return glGetError() == GL_NO_ERROR ? GfxResult::Ok : GfxResult::Failed;
}

GfxResult GfxGlSurface::DoBlt(const GfxRect& dst, GfxSurfaceBase* source, const GfxRect& src)
{
    GfxGlDisplay* gl = Gl();
    if (!gl->MakeCurrent())
        return GfxResult::NotCreated;
    gl->GlTouched();
    auto* from = static_cast<GfxGlSurface*>(source);
    const GfxGlFuncs& fn = gl->Fn();
    GLuint srcFb = from->Framebuffer();
    GLuint dstFb = Framebuffer();
    if (!srcFb || !dstFb)
        return GfxResult::Failed;
    glDisable(GL_SCISSOR_TEST);
    GfxRect s = src;
    if (from == this) {
        // Overlapping copies within one framebuffer are undefined: go through
        // the scratch texture.
        GfxGlSurface* scratch = gl->Scratch(uint32_t(src.Width()), uint32_t(src.Height()));
        GLuint scratchFb = scratch ? scratch->Framebuffer() : 0;
        if (!scratchFb)
            return GfxResult::Failed;
        fn.BindFramebuffer(GL_READ_FRAMEBUFFER, srcFb);
        fn.BindFramebuffer(GL_DRAW_FRAMEBUFFER, scratchFb);
        fn.BlitFramebuffer(src.left, src.top, src.right, src.bottom, 0, 0, src.Width(), src.Height(),
                           GL_COLOR_BUFFER_BIT, GL_NEAREST);
        srcFb = scratchFb;
        s = {0, 0, src.Width(), src.Height()};
    }
    bool same = s.Width() == dst.Width() && s.Height() == dst.Height();
    fn.BindFramebuffer(GL_READ_FRAMEBUFFER, srcFb);
    fn.BindFramebuffer(GL_DRAW_FRAMEBUFFER, dstFb);
    fn.BlitFramebuffer(s.left, s.top, s.right, s.bottom, dst.left, dst.top, dst.right, dst.bottom,
                       GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
    AfterWrite(dst);
    GLenum err = glGetError();
    if (err == GL_OUT_OF_MEMORY)
        return GfxResult::OutOfVideoMemory;
    return err == GL_NO_ERROR ? GfxResult::Ok : GfxResult::Failed;
}
