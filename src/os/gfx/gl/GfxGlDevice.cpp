#include <algorithm>
#include <cmath>
#include <cstring>

#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/GfxVertexLighting.h"
#include "os/gfx/gl/GfxGl.h"

namespace {

// Row-major product for row vectors: a then b.
GfxMatrix Multiply(const GfxMatrix& a, const GfxMatrix& b)
{
    GfxMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float s = 0;
            for (int k = 0; k < 4; ++k)
                s += a.m[i * 4 + k] * b.m[k * 4 + j];
            r.m[i * 4 + j] = s;
        }
    }
    return r;
}

void ColourFloats(uint32_t argb, float out[4])
{
    out[0] = float((argb >> 16) & 0xFF) / 255.0f;
    out[1] = float((argb >> 8) & 0xFF) / 255.0f;
    out[2] = float(argb & 0xFF) / 255.0f;
    out[3] = float((argb >> 24) & 0xFF) / 255.0f;
}

GLenum BlendFactor(uint32_t v)
{
    switch (v) {
    case GfxBlend::Zero: return GL_ZERO;
    case GfxBlend::One: return GL_ONE;
    case GfxBlend::SrcColor: return GL_SRC_COLOR;
    case GfxBlend::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case GfxBlend::SrcAlpha: return GL_SRC_ALPHA;
    case GfxBlend::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case GfxBlend::DestAlpha: return GL_DST_ALPHA;
    case GfxBlend::InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case GfxBlend::DestColor: return GL_DST_COLOR;
    case GfxBlend::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    case GfxBlend::SrcAlphaSat: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum CompareFunc(uint32_t v)
{
    switch (v) {
    case GfxCmp::Never: return GL_NEVER;
    case GfxCmp::Less: return GL_LESS;
    case GfxCmp::Equal: return GL_EQUAL;
    case GfxCmp::LessEqual: return GL_LEQUAL;
    case GfxCmp::Greater: return GL_GREATER;
    case GfxCmp::NotEqual: return GL_NOTEQUAL;
    case GfxCmp::GreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLint Wrap(uint32_t v)
{
    switch (v) {
    case GfxAddress::Mirror: return GL_MIRRORED_REPEAT;
    case GfxAddress::Clamp: return GL_CLAMP_TO_EDGE;
    case GfxAddress::Border: return GL_CLAMP_TO_BORDER;
    default: return GL_REPEAT;
    }
}

// One combiner argument: source and operand.
void Argument(uint32_t arg, bool alpha, GLenum* source, GLenum* operand)
{
    switch (arg & GfxTa::SelectMask) {
    case GfxTa::Texture: *source = GL_TEXTURE; break;
    case GfxTa::TFactor: *source = GL_CONSTANT; break;
    default: *source = GL_PRIMARY_COLOR; break;   // diffuse; current = diffuse on stage 0
    }
    bool complement = (arg & GfxTa::Complement) != 0;
    if (alpha || (arg & GfxTa::AlphaReplicate))
        *operand = complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    else
        *operand = complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

// Sets the RGB (alpha false) or alpha half of the combiner for a stage op.
void Combiner(uint32_t op, uint32_t arg1, uint32_t arg2, bool alpha)
{
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum src[3] = {GL_SRC0_RGB, GL_SRC1_RGB, GL_SRC2_RGB};
    const GLenum srcA[3] = {GL_SRC0_ALPHA, GL_SRC1_ALPHA, GL_SRC2_ALPHA};
    const GLenum opd[3] = {GL_OPERAND0_RGB, GL_OPERAND1_RGB, GL_OPERAND2_RGB};
    const GLenum opdA[3] = {GL_OPERAND0_ALPHA, GL_OPERAND1_ALPHA, GL_OPERAND2_ALPHA};
    auto set = [&](int slot, uint32_t arg) {
        GLenum s, o;
        Argument(arg, alpha, &s, &o);
        glTexEnvi(GL_TEXTURE_ENV, alpha ? srcA[slot] : src[slot], GLint(s));
        glTexEnvi(GL_TEXTURE_ENV, alpha ? opdA[slot] : opd[slot], GLint(o));
    };
    GLenum function = GL_MODULATE;
    float scale = 1.0f;
    uint32_t a = arg1, b = arg2;
    uint32_t third = GfxTa::Diffuse | GfxTa::AlphaReplicate;
    switch (op) {
    case GfxTop::Disable:
        function = GL_REPLACE;
        a = GfxTa::Diffuse;
        break;
    case GfxTop::SelectArg1: function = GL_REPLACE; break;
    case GfxTop::SelectArg2: function = GL_REPLACE; a = arg2; break;
    case GfxTop::Modulate: break;
    case GfxTop::Modulate2x: scale = 2.0f; break;
    case GfxTop::Modulate4x: scale = 4.0f; break;
    case GfxTop::Add:
    case GfxTop::AddSmooth: function = GL_ADD; break;
    case GfxTop::AddSigned: function = GL_ADD_SIGNED; break;
    case GfxTop::AddSigned2x: function = GL_ADD_SIGNED; scale = 2.0f; break;
    case GfxTop::Subtract: function = GL_SUBTRACT; break;
    case GfxTop::BlendDiffuseAlpha:
    case GfxTop::BlendCurrentAlpha: function = GL_INTERPOLATE; break;
    case GfxTop::BlendTextureAlpha:
        function = GL_INTERPOLATE;
        third = GfxTa::Texture | GfxTa::AlphaReplicate;
        break;
    case GfxTop::BlendFactorAlpha:
        function = GL_INTERPOLATE;
        third = GfxTa::TFactor | GfxTa::AlphaReplicate;
        break;
    default: break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, GLint(function));
    set(0, a);
    set(1, b);
    set(2, third);
    glTexEnvf(GL_TEXTURE_ENV, alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE, scale);
}

// Byte offsets inside a vertex of a format.
struct Layout {
    uint32_t stride = 0;
    uint32_t diffuse = 0;
    uint32_t specular = 0;
    uint32_t tex = 0;
    bool rhw = false;
    bool hasDiffuse = false;
    bool hasSpecular = false;
    bool hasTex = false;
};

Layout LayoutOf(uint32_t fvf)
{
    Layout l;
    l.stride = GfxFvfStride(fvf);
    l.rhw = (fvf & GfxFvf::PositionMask) == GfxFvf::XyzRhw;
    uint32_t at = l.rhw ? 16 : 12;
    if (fvf & GfxFvf::Reserved1)
        at += 4;
    if (fvf & GfxFvf::Normal)
        at += 12;
    if (fvf & GfxFvf::Diffuse) {
        l.hasDiffuse = true;
        l.diffuse = at;
        at += 4;
    }
    if (fvf & GfxFvf::Specular) {
        l.hasSpecular = true;
        l.specular = at;
        at += 4;
    }
    if (fvf & GfxFvf::TexCountMask) {
        l.hasTex = true;
        l.tex = at;
    }
    return l;
}

GLenum ShapeMode(GfxGlShape shape)
{
    switch (shape) {
    case GfxGlShape::Points: return GL_POINTS;
    case GfxGlShape::Lines: return GL_LINES;
    case GfxGlShape::Triangles: return GL_TRIANGLES;
    }
    return GL_TRIANGLES;
}

bool ScreenSpace(uint32_t fvf)
{
    return (fvf & GfxFvf::PositionMask) == GfxFvf::XyzRhw;
}

// Vertices gathered for one call at most; a larger draw goes alone.
constexpr uint32_t kBatchVertices = 1u << 16;

bool SameRenderStates(const GfxDeviceState& a, const GfxDeviceState& b)
{
    return memcmp(a.renderState, b.renderState, sizeof a.renderState) == 0;
}

bool SameStageStates(const GfxDeviceState& a, const GfxDeviceState& b)
{
    return memcmp(a.stageState, b.stageState, sizeof a.stageState) == 0;
}

bool SameCombiner(const GfxDeviceState& a, const GfxDeviceState& b)
{
    for (GfxTss t : {GfxTss::ColorOp, GfxTss::ColorArg1, GfxTss::ColorArg2, GfxTss::AlphaOp, GfxTss::AlphaArg1,
                     GfxTss::AlphaArg2}) {
        if (a.Get(t) != b.Get(t))
            return false;
    }
    return true;
}

bool SameTransforms(const GfxDeviceState& a, const GfxDeviceState& b)
{
    return a.world == b.world && a.view == b.view && a.projection == b.projection;
}

// Lights as the vertices are lit with them: they depend on the view matrix.
bool SameLights(const GfxDeviceState& a, const GfxDeviceState& b)
{
    if (!(a.view == b.view))
        return false;
    for (uint32_t i = 0; i < GfxDeviceState::kMaxLights; ++i) {
        if (a.lightEnabled[i] != b.lightEnabled[i] || (a.lightEnabled[i] && !(a.light[i] == b.light[i])))
            return false;
    }
    return true;
}

// R and B of the diffuse and specular colours swapped (for GL without BGRA
// colour arrays).
void SwapColours(uint8_t* vertices, uint32_t count, const Layout& l)
{
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* v = vertices + size_t(i) * l.stride;
        if (l.hasDiffuse)
            std::swap(v[l.diffuse], v[l.diffuse + 2]);
        if (l.hasSpecular)
            std::swap(v[l.specular], v[l.specular + 2]);
    }
}

} // namespace

bool GfxGlDevice::TargetLost() const
{
    GfxSurface* back = const_cast<GfxGlDisplay*>(mDisplay)->GetBackBuffer();
    return !back || back->IsLost();
}

bool GfxGlDevice::OwnsSurface(const GfxSurface* surface) const
{
    return mDisplay->Owns(surface);
}

void GfxGlDevice::CollectErrors()
{
    static int logged = 0;
    for (int i = 0; i < 16; ++i) {
        GLenum err = glGetError();
        if (err == GL_NO_ERROR)
            return;
        if (err == GL_OUT_OF_MEMORY)
            mOutOfMemory = true;
        else if (logged < 10) {
            ++logged;
            GfxLog("GL error 0x%x", err);
        }
    }
}

bool GfxGlDevice::TakeOutOfMemory()
{
    bool was = mOutOfMemory;
    mOutOfMemory = false;
    return was;
}

GfxResult GfxGlDevice::DoClear(uint32_t flags, uint32_t argb, float z)
{
    if (!mDisplay->MakeCurrent())
        return GfxResult::NotCreated;
    Flush();
    mDisplay->Fn().BindFramebuffer(GL_FRAMEBUFFER, mDisplay->BackFramebuffer());
    const GfxViewport& v = mState.viewport;
    glEnable(GL_SCISSOR_TEST);
    glScissor(v.x, v.y, v.width, v.height);
    GLbitfield mask = 0;
    if (flags & GfxClear::Target) {
        float c[4];
        ColourFloats(argb, c);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(c[0], c[1], c[2], 1.0f);   // the back buffer keeps alpha 255
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & GfxClear::ZBuffer) {
        glDepthMask(GL_TRUE);
        glClearDepth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(mask);
    // Masks and scissor are the device's again at the next draw.
    mGlValid = false;
#ifndef NDEBUG
    CollectErrors();
#endif
    return TakeOutOfMemory() ? GfxResult::OutOfVideoMemory : GfxResult::Ok;
}

void GfxGlDevice::DoScene(bool begin)
{
    if (!begin)
        Flush();
}

void GfxGlDevice::ApplyRenderStates(const GfxDeviceState& s)
{
    if (s.Get(GfxRs::ZEnable))
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    // Clipping off: geometry beyond the near and far planes is drawn, its
    // depth held to the range (a 2D pass keeps the last 3D pass's planes).
    if (mDisplay->Fn().depthClamp) {
        if (s.Get(GfxRs::Clipping))
            glDisable(GL_DEPTH_CLAMP);
        else
            glEnable(GL_DEPTH_CLAMP);
    }
    glDepthFunc(CompareFunc(s.Get(GfxRs::ZFunc)));
    glDepthMask(s.Get(GfxRs::ZWriteEnable) ? GL_TRUE : GL_FALSE);

    if (s.Get(GfxRs::AlphaBlendEnable))
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    uint32_t src = s.Get(GfxRs::SrcBlend), dst = s.Get(GfxRs::DestBlend);
    if (src == GfxBlend::BothSrcAlpha) {
        src = GfxBlend::SrcAlpha;
        dst = GfxBlend::InvSrcAlpha;
    } else if (src == GfxBlend::BothInvSrcAlpha) {
        src = GfxBlend::InvSrcAlpha;
        dst = GfxBlend::SrcAlpha;
    }
    glBlendFunc(BlendFactor(src), BlendFactor(dst));

    if (s.Get(GfxRs::AlphaTestEnable))
        glEnable(GL_ALPHA_TEST);
    else
        glDisable(GL_ALPHA_TEST);
    glAlphaFunc(CompareFunc(s.Get(GfxRs::AlphaFunc)), float(s.Get(GfxRs::AlphaRef)) / 255.0f);

    // Clockwise on the screen is counter-clockwise in the framebuffer's
    // (y-up) terms: cull CW keeps GL's clockwise faces.
    switch (s.Get(GfxRs::CullMode)) {
    case GfxCull::CW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        break;
    case GfxCull::CCW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        break;
    default: glDisable(GL_CULL_FACE); break;
    }

    glShadeModel(s.Get(GfxRs::ShadeMode) == GfxShade::Flat ? GL_FLAT : GL_SMOOTH);
    switch (s.Get(GfxRs::FillMode)) {
    case GfxFill::Point: glPolygonMode(GL_FRONT_AND_BACK, GL_POINT); break;
    case GfxFill::Wireframe: glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); break;
    default: glPolygonMode(GL_FRONT_AND_BACK, GL_FILL); break;
    }

    // Lit vertices get their colours on the CPU (GfxVertexLighting).
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_FOG);
    glDisable(GL_DITHER);
    float factor[4];
    ColourFloats(s.Get(GfxRs::TextureFactor), factor);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
    // The back buffer has no alpha to write.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
}

void GfxGlDevice::ApplySampler(const GfxDeviceState& s, GfxGlSurface* texture)
{
    GLint mag = s.Get(GfxTss::MagFilter) == GfxMagFilter::Linear ? GL_LINEAR : GL_NEAREST;
    bool minLinear = s.Get(GfxTss::MinFilter) == GfxMinFilter::Linear;
    GLint min;
    switch (s.Get(GfxTss::MipFilter)) {
    case GfxMipFilter::Point: min = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST; break;
    case GfxMipFilter::Linear: min = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR; break;
    default: min = minLinear ? GL_LINEAR : GL_NEAREST; break;
    }
    GLint wrapS = Wrap(s.Get(GfxTss::AddressU));
    GLint wrapT = Wrap(s.Get(GfxTss::AddressV));
    uint32_t border = s.Get(GfxTss::BorderColor);
    GfxGlSampler& have = texture->Sampler();
    if (have.minFilter != min)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
    if (have.magFilter != mag)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    if (have.wrapS != wrapS)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    if (have.wrapT != wrapT)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
    if (have.border != border || have.minFilter < 0) {
        float c[4];
        ColourFloats(border, c);
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, c);
    }
    have = {min, mag, wrapS, wrapT, border};
}

void GfxGlDevice::ApplyTexture(const GfxDeviceState& s)
{
    auto* texture = static_cast<GfxGlSurface*>(s.texture);
    if (s.Get(GfxTss::ColorOp) == GfxTop::Disable) {
        // The stage is off: the diffuse colour and alpha pass through.
        glDisable(GL_TEXTURE_2D);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    if (texture && texture->Texture()) {
        glBindTexture(GL_TEXTURE_2D, texture->Texture());
        ApplySampler(s, texture);
    } else {
        // No texture reads as opaque white, as on the original device.
        glBindTexture(GL_TEXTURE_2D, mDisplay->WhiteTexture());
    }
}

void GfxGlDevice::ApplyCombiner(const GfxDeviceState& s)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    Combiner(s.Get(GfxTss::ColorOp), s.Get(GfxTss::ColorArg1), s.Get(GfxTss::ColorArg2), false);
    Combiner(s.Get(GfxTss::AlphaOp), s.Get(GfxTss::AlphaArg1), s.Get(GfxTss::AlphaArg2), true);
}

void GfxGlDevice::ApplyTransforms(const GfxDeviceState& s, bool screenSpace)
{
    const GfxViewport& v = s.viewport;
    float vw = float(std::max(v.width, 1)), vh = float(std::max(v.height, 1));
    GfxMatrix projection;
    if (screenSpace) {
        // Back-buffer pixels (centres on integers) to clip space over the
        // viewport; z is the depth value itself.
        projection.m[0] = 2.0f / vw;
        projection.m[5] = 2.0f / vh;
        projection.m[10] = 2.0f;
        projection.m[12] = 2.0f * (0.5f - float(v.x)) / vw - 1.0f;
        projection.m[13] = 2.0f * (0.5f - float(v.y)) / vh - 1.0f;
        projection.m[14] = -1.0f;
        glDepthRange(0.0, 1.0);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection.m);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        return;
    }
    // The device's projection, then z 0..1 to -1..1, y flipped (framebuffer
    // row 0 is the top) and half a pixel right and down (pixel centres on
    // integer coordinates).
    GfxMatrix fix;
    fix.m[5] = -1.0f;
    fix.m[10] = 2.0f;
    fix.m[12] = 1.0f / vw;
    fix.m[13] = 1.0f / vh;
    fix.m[14] = -1.0f;
    projection = Multiply(s.projection, fix);
    glDepthRange(v.minZ, v.maxZ);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection.m);
    glMatrixMode(GL_MODELVIEW);
    GfxMatrix modelView = Multiply(s.world, s.view);
    glLoadMatrixf(modelView.m);
}

void GfxGlDevice::ApplyArrays(const GfxDeviceState& s, uint32_t fvf)
{
    const GfxGlFuncs& fn = mDisplay->Fn();
    const Layout l = LayoutOf(fvf);
    const uint8_t* base = mBatch.Vertices().data();
    // Colours were put in RGBA order while gathering when GL cannot take BGRA.
    const GLint colourFormat = fn.bgraArrays ? GL_BGRA : 4;
    // Lit vertices take their colours from mLitColours (RGBA bytes, diffuse
    // then specular). The specular colour is added after texturing when
    // specular is on.
    const bool lit = Lit(s, fvf);
    const bool hasColour = lit || l.hasDiffuse;
    const bool addSpecular = s.Get(GfxRs::SpecularEnable) && fn.SecondaryColorPointer && (lit || l.hasSpecular);
    const bool enables = !mGlValid || fvf != mAppliedFvf || addSpecular != mAppliedColourSum || lit != mAppliedLit;

    glVertexPointer(3, GL_FLOAT, GLsizei(l.stride), base);
    if (lit)
        glColorPointer(4, GL_UNSIGNED_BYTE, 8, mLitColours.data());
    else if (l.hasDiffuse)
        glColorPointer(colourFormat, GL_UNSIGNED_BYTE, GLsizei(l.stride), base + l.diffuse);
    if (addSpecular && lit)
        fn.SecondaryColorPointer(3, GL_UNSIGNED_BYTE, 8, mLitColours.data() + 4);
    else if (addSpecular)
        fn.SecondaryColorPointer(fn.bgraArrays ? GL_BGRA : 3, GL_UNSIGNED_BYTE, GLsizei(l.stride), base + l.specular);
    if (l.hasTex)
        glTexCoordPointer(2, GL_FLOAT, GLsizei(l.stride), base + l.tex);
    mAppliedColourSum = addSpecular;
    mAppliedLit = lit;
    if (!enables)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);   // GL does no lighting
    if (hasColour) {
        glEnableClientState(GL_COLOR_ARRAY);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (addSpecular) {
        glEnable(GL_COLOR_SUM);
        glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
    } else {
        glDisable(GL_COLOR_SUM);
        glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
    }
    if (l.hasTex) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoord2f(0.0f, 0.0f);
    }
}

void GfxGlDevice::Apply(const GfxDeviceState& s, uint32_t fvf)
{
    const bool all = !mGlValid;
    const GfxDeviceState& a = mApplied;
    const GfxGlFuncs& fn = mDisplay->Fn();
    if (all) {
        fn.BindFramebuffer(GL_FRAMEBUFFER, mDisplay->BackFramebuffer());
        glDisable(GL_STENCIL_TEST);
        glPointSize(1.0f);
        glLineWidth(1.0f);
        if (fn.ProvokingVertex)
            fn.ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);   // flat shading takes vertex 0
    }
    const bool newViewport = all || !(s.viewport == a.viewport);
    if (newViewport) {
        const GfxViewport& v = s.viewport;
        glViewport(v.x, v.y, v.width, v.height);
        glEnable(GL_SCISSOR_TEST);
        glScissor(v.x, v.y, v.width, v.height);
    }
    if (all || !SameRenderStates(s, a))
        ApplyRenderStates(s);
    if (all || s.texture != a.texture || !SameStageStates(s, a))
        ApplyTexture(s);
    if (all || !SameCombiner(s, a))
        ApplyCombiner(s);
    const bool screenSpace = ScreenSpace(fvf);
    const bool wasScreenSpace = ScreenSpace(mAppliedFvf);
    if (all || newViewport || screenSpace != wasScreenSpace || (!screenSpace && !SameTransforms(s, a)))
        ApplyTransforms(s, screenSpace);
    ApplyArrays(s, fvf);
    mApplied = s;
    mAppliedFvf = fvf;
    mGlValid = true;
}

bool GfxGlDevice::Lit(const GfxDeviceState& s, uint32_t fvf)
{
    return s.Get(GfxRs::Lighting) && !ScreenSpace(fvf);
}

void GfxGlDevice::LightBatch()
{
    const GfxVertexLighting lighting(mBatchState);
    const uint32_t count = mBatch.VertexCount();
    mLitColours.resize(size_t(count) * 8);
    const bool rgba = !mDisplay->Fn().bgraArrays;
    lighting.LightVertices(mBatch.Vertices().data(), count, mBatchFvf, rgba, mLitColours.data());
    if (mDisplay->Fn().SecondaryColorPointer || !lighting.HasSpecular())
        return;
    // Without a secondary colour the specular colour joins the diffuse one
    // (before texturing rather than after).
    for (size_t i = 0; i < count; ++i) {
        uint8_t* v = mLitColours.data() + i * 8;
        for (int c = 0; c < 3; ++c)
            v[c] = uint8_t(std::min(255, v[c] + v[4 + c]));
    }
}

void GfxGlDevice::Flush()
{
    if (mBatch.Empty() || mFlushing)
        return;
    mFlushing = true;
    if (mDisplay->MakeCurrent()) {
        if (Lit(mBatchState, mBatchFvf))
            LightBatch();
        Apply(mBatchState, mBatchFvf);
        const std::vector<uint32_t>& indices = mBatch.Indices();
        glDrawRangeElements(ShapeMode(mBatch.Shape()), 0, mBatch.VertexCount() - 1, GLsizei(indices.size()),
                            GL_UNSIGNED_INT, indices.data());
        ++mDrawCalls;
#ifndef NDEBUG
        CollectErrors();
#endif
    }
    mBatch.Clear();
    mFlushing = false;
}

bool GfxGlDevice::Joins(uint32_t fvf, GfxGlShape shape)
{
    if (mBatch.Empty() || fvf != mBatchFvf || shape != mBatch.Shape())
        return false;
    // Setters mark groups dirty whether or not the value changed: keep only
    // the groups that really differ from the gathered draws' state.
    const GfxDeviceState& s = mState;
    const GfxDeviceState& b = mBatchState;
    uint32_t differ = 0;
    if ((mDirty & DirtyRender) && !SameRenderStates(s, b))
        differ |= DirtyRender;
    if ((mDirty & DirtyStage) && !SameStageStates(s, b))
        differ |= DirtyStage;
    if ((mDirty & DirtyTexture) && s.texture != b.texture)
        differ |= DirtyTexture;
    if ((mDirty & DirtyViewport) && !(s.viewport == b.viewport))
        differ |= DirtyViewport;
    if ((mDirty & DirtyTransform) && !SameTransforms(s, b))
        differ |= DirtyTransform;
    if ((mDirty & DirtyMaterial) && !(s.material == b.material))
        differ |= DirtyMaterial;
    if ((mDirty & DirtyLights) && !SameLights(s, b))
        differ |= DirtyLights;
    mDirty = differ;
    // What a draw of this format does not use may differ (it stays marked).
    uint32_t used = DirtyAll;
    if (ScreenSpace(fvf))
        used &= ~DirtyTransform;
    if (ScreenSpace(fvf) || !s.Get(GfxRs::Lighting))
        used &= ~(DirtyLights | DirtyMaterial);
    return (differ & used) == 0;
}

GfxResult GfxGlDevice::DoDraw(GfxPrimitive primitive, uint32_t fvf, const void* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount)
{
    if (!mDisplay->MakeCurrent())
        return GfxResult::NotCreated;
    if (!Joins(fvf, GfxGlShapeOf(primitive)) || mBatch.VertexCount() + uint64_t(vertexCount) > kBatchVertices)
        Flush();
    if (mBatch.Empty()) {
        mBatchState = mState;
        mBatchFvf = fvf;
        mDirty = 0;
    }
    const GfxGlFuncs& fn = mDisplay->Fn();
    const Layout l = LayoutOf(fvf);
    uint8_t* added = mBatch.Append(primitive, vertices, vertexCount, l.stride, indices, indexCount,
                                   fn.ProvokingVertex != nullptr);
    if (!fn.bgraArrays)
        SwapColours(added, vertexCount, l);
    return TakeOutOfMemory() ? GfxResult::OutOfVideoMemory : GfxResult::Ok;
}
