#include "render/RenderStates.h"

#include <cmath>

#include "os/gfx/GfxDevice.h"
#include "platform/Color.h"
#include "platform/Log.h"
#include "render/Platform.h"
#include "render/VertexList.h"

namespace {

GfxMatrix ToGfx(const TMat4& m)
{
    GfxMatrix g;
    for (int i = 0; i < 16; ++i)
        g.m[i] = m.m[i];
    return g;
}

GfxColorValue ToGfx(const TColorValue& c)
{
    return GfxColorValue{c.r, c.g, c.b, c.a};
}

uint32_t AddressMode(int32_t mode)
{
    switch (mode) {
    case 1: return GfxAddress::Wrap;
    case 2: return GfxAddress::Mirror;
    default: return GfxAddress::Clamp;
    }
}

uint32_t LightType(int32_t kind)
{
    switch (kind) {
    case kLightDirectional: return GfxLightType::Directional;
    case kLightPoint: return GfxLightType::Point;
    case kLightSpot: return GfxLightType::Spot;
    default: return 0; // no such light: the device refuses it
    }
}

} // namespace

uint32_t VertexFormatOf(int32_t type)
{
    switch (type) {
    case kVertexLit:
    case kVertexSprite: return kFvfLit;
    case kVertexScreen: return kFvfScreen;
    default: return kFvfMesh;
    }
}

TMat4 OrthoOffCenter(float left, float right, float bottom, float top, float zn, float zf)
{
    TMat4 m;
    m(0, 0) = 2.0f / (right - left);
    m(1, 1) = 2.0f / (top - bottom);
    m(2, 2) = 1.0f / (zf - zn);
    m(3, 0) = (left + right) / (left - right);
    m(3, 1) = (top + bottom) / (bottom - top);
    m(3, 2) = zn / (zn - zf);
    m(3, 3) = 1.0f;
    return m;
}

TRenderStates::TRenderStates()
    : mOutOfMemory([] {
          if (TPlatform* platform = GetPlatform())
              platform->OutOfVideoMemory();
      })
{
}

bool TRenderStates::Report(int32_t result)
{
    if (GfxResult(result) != GfxResult::OutOfVideoMemory)
        return false;
    if (mOutOfMemory)
        mOutOfMemory();
    return true;
}

void TRenderStates::Rs(uint32_t state, uint32_t value)
{
    Report(int32_t(mDevice->SetRenderState(GfxRs(state), value)));
}

void TRenderStates::Tss(uint32_t state, uint32_t value)
{
    Report(int32_t(mDevice->SetTextureStageState(0, GfxTss(state), value)));
}

void TRenderStates::SetDeviceDefaults()
{
    if (!mDevice)
        return;
    Rs(uint32_t(GfxRs::Ambient), 0xFFFFFFFFu);
    Rs(uint32_t(GfxRs::ZEnable), 1);
    Rs(uint32_t(GfxRs::ZWriteEnable), 1);
    Rs(uint32_t(GfxRs::ColorVertex), 1);
    Rs(uint32_t(GfxRs::Lighting), 1);
    Rs(uint32_t(GfxRs::NormalizeNormals), 1);
    Rs(uint32_t(GfxRs::DiffuseMaterialSource), GfxMcs::Material);
    Rs(uint32_t(GfxRs::AmbientMaterialSource), GfxMcs::Material);
    Rs(uint32_t(GfxRs::SpecularMaterialSource), GfxMcs::Material);
    Rs(uint32_t(GfxRs::EmissiveMaterialSource), GfxMcs::Material);
    Rs(uint32_t(GfxRs::SrcBlend), GfxBlend::SrcAlpha);
    Rs(uint32_t(GfxRs::DestBlend), GfxBlend::InvSrcAlpha);
    Rs(uint32_t(GfxRs::AlphaBlendEnable), 1);
    Rs(uint32_t(GfxRs::Wrap0), 0);
    Tss(uint32_t(GfxTss::MagFilter), GfxMagFilter::Linear);
    Tss(uint32_t(GfxTss::MinFilter), GfxMinFilter::Linear);
    Tss(uint32_t(GfxTss::MipFilter), GfxMipFilter::Linear);
    Tss(uint32_t(GfxTss::ColorArg1), GfxTa::Texture);
    Tss(uint32_t(GfxTss::ColorArg2), GfxTa::Current);
    Tss(uint32_t(GfxTss::ColorOp), GfxTop::Modulate);
    Tss(uint32_t(GfxTss::AlphaArg1), GfxTa::Texture);
    Tss(uint32_t(GfxTss::AlphaArg2), GfxTa::Current);
    Tss(uint32_t(GfxTss::AlphaOp), GfxTop::Modulate);
    Rs(uint32_t(GfxRs::AlphaTestEnable), 1);
    Rs(uint32_t(GfxRs::AlphaRef), 1);
    Rs(uint32_t(GfxRs::AlphaFunc), GfxCmp::GreaterEqual);
    SetShadeMode(2);
}

void TRenderStates::DrawWith2dProjection(uint32_t primitive, const TVertexList& vertices, const TViewArea& area)
{
    if (!mDevice)
        return;
    GfxMatrix before;
    bool known = mDevice->GetTransform(GfxTransform::Projection, &before) == GfxResult::Ok;
    TMat4 saved = mProjection;
    bool dirty = mProjectionDirty;
    Set2dProjection(area);
    mProjectionDirty = false;
    DrawVertices(primitive, vertices, false, area);
    if (known)
        Report(int32_t(mDevice->SetTransform(GfxTransform::Projection, before)));
    mProjection = saved;
    mProjectionDirty = dirty;
}

void TRenderStates::Begin2d()
{
    if (!mDevice)
        return;
    Rs(uint32_t(GfxRs::SpecularEnable), 0);
    Rs(uint32_t(GfxRs::Clipping), 0);
    SetTextureAddress(0, 0);
    SetBlendMode(kBlendNormal);
    SetTextureFilter(1);
    SetZEnable(false);
    SetZWriteEnable(false);
    SetCullMode(1);
    TMat4 identity;
    SetWorld(identity);
    SetView(identity);
    mProjectionDirty = true;
}

void TRenderStates::End2d()
{
    if (!mDevice)
        return;
    TMat4 identity;
    SetWorld(identity);
    SetView(identity);
}

void TRenderStates::Begin3d()
{
    if (!mDevice)
        return;
    Rs(uint32_t(GfxRs::SpecularEnable), mNoSpecular ? 0 : 1);
    Rs(uint32_t(GfxRs::Clipping), 1);
    SetZEnable(true);
    SetZWriteEnable(true);
    SetBlendMode(kBlendNormal);
    SetTextureFilter(1);
    SetTextureAddress(1, 1);
    SetCullMode(3);
}

void TRenderStates::SetBlendMode(int32_t mode)
{
    if (!mDevice)
        return;
    const uint32_t src = uint32_t(GfxRs::SrcBlend), dst = uint32_t(GfxRs::DestBlend);
    const uint32_t enable = uint32_t(GfxRs::AlphaBlendEnable);
    switch (mode) {
    case kBlendNormal:
        Rs(src, GfxBlend::SrcAlpha);
        Rs(dst, mAlphaMask ? GfxBlend::One : GfxBlend::InvSrcAlpha);
        Rs(enable, 1);
        break;
    case kBlendOpaque:
        Rs(enable, 0);
        break;
    case kBlendAdditive:
        Rs(src, GfxBlend::SrcAlpha);
        Rs(dst, GfxBlend::One);
        Rs(enable, 1);
        break;
    case kBlendDarken:
        Rs(src, mAlphaMask ? GfxBlend::SrcAlpha : GfxBlend::Zero);
        Rs(dst, mAlphaMask ? GfxBlend::InvSrcAlpha : GfxBlend::InvSrcColor);
        Rs(enable, 1);
        break;
    default: break;
    }
    Rs(uint32_t(GfxRs::TextureFactor), 0xFFFFFFFFu);
    if (mAlphaMask) {
        // The texture's alpha is drawn as grey; every pixel drawn is opaque.
        Tss(uint32_t(GfxTss::ColorArg1), GfxTa::Texture | GfxTa::AlphaReplicate);
        Tss(uint32_t(GfxTss::ColorOp), GfxTop::SelectArg1);
        Tss(uint32_t(GfxTss::AlphaArg1), GfxTa::TFactor);
        Tss(uint32_t(GfxTss::AlphaOp), GfxTop::SelectArg1);
        return;
    }
    Tss(uint32_t(GfxTss::ColorArg1), GfxTa::Texture);
    Tss(uint32_t(GfxTss::ColorOp), GfxTop::Modulate);
    if (mode == kBlendOpaque) {
        Tss(uint32_t(GfxTss::AlphaArg1), GfxTa::TFactor);
        Tss(uint32_t(GfxTss::AlphaOp), GfxTop::SelectArg1);
    } else {
        Tss(uint32_t(GfxTss::AlphaArg1), GfxTa::Texture);
        Tss(uint32_t(GfxTss::AlphaOp), GfxTop::Modulate);
    }
}

void TRenderStates::SetTextureFilter(int32_t mode)
{
    if (!mDevice || (mode != 0 && mode != 1))
        return;
    bool linear = mode == 1;
    Tss(uint32_t(GfxTss::MagFilter), linear ? GfxMagFilter::Linear : GfxMagFilter::Point);
    Tss(uint32_t(GfxTss::MinFilter), linear ? GfxMinFilter::Linear : GfxMinFilter::Point);
    Tss(uint32_t(GfxTss::MipFilter), linear ? GfxMipFilter::Linear : GfxMipFilter::Point);
}

void TRenderStates::SetTextureAddress(int32_t u, int32_t v)
{
    if (!mDevice)
        return;
    Tss(uint32_t(GfxTss::AddressU), AddressMode(u));
    Tss(uint32_t(GfxTss::AddressV), AddressMode(v));
}

void TRenderStates::SetZEnable(bool on)
{
    if (mDevice)
        Rs(uint32_t(GfxRs::ZEnable), on ? 1 : 0);
}

void TRenderStates::SetZWriteEnable(bool on)
{
    if (mDevice)
        Rs(uint32_t(GfxRs::ZWriteEnable), on ? 1 : 0);
}

void TRenderStates::SetCullMode(int32_t mode)
{
    if (!mDevice)
        return;
    uint32_t cull = mode == 2 ? GfxCull::CW : mode == 3 ? GfxCull::CCW : GfxCull::None;
    Rs(uint32_t(GfxRs::CullMode), cull);
}

void TRenderStates::SetShadeMode(int32_t mode)
{
    if (mDevice)
        Rs(uint32_t(GfxRs::ShadeMode), mode == 2 ? GfxShade::Gouraud : GfxShade::Flat);
}

void TRenderStates::SetAmbient(const float rgba[4])
{
    if (mDevice)
        Rs(uint32_t(GfxRs::Ambient), TColor(rgba).argb);
}

void TRenderStates::SetMaterial(const TMaterial& material)
{
    if (!mDevice)
        return;
    GfxMaterial m;
    m.diffuse = ToGfx(material.diffuse);
    m.ambient = ToGfx(material.ambient);
    m.specular = ToGfx(material.specular);
    m.emissive = ToGfx(material.emissive);
    m.power = material.power;
    Report(int32_t(mDevice->SetMaterial(m)));
}

void TRenderStates::SetWorld(const TMat4& matrix)
{
    if (mDevice)
        Report(int32_t(mDevice->SetTransform(GfxTransform::World, ToGfx(matrix))));
}

void TRenderStates::SetView(const TMat4& matrix)
{
    if (mDevice)
        Report(int32_t(mDevice->SetTransform(GfxTransform::View, ToGfx(matrix))));
}

TMat4 TRenderStates::GetWorld() const
{
    TMat4 world;
    GfxMatrix m;
    if (mDevice && mDevice->GetTransform(GfxTransform::World, &m) == GfxResult::Ok) {
        for (int i = 0; i < 16; ++i)
            world.m[i] = m.m[i];
    }
    return world;
}

void TRenderStates::SetProjection(const TMat4& matrix)
{
    if (!mDevice)
        return;
    Report(int32_t(mDevice->SetTransform(GfxTransform::Projection, ToGfx(matrix))));
    mProjection = matrix;
    mProjectionDirty = true;
}

void TRenderStates::SetPerspective(float nearZ, float farZ, float fov, float aspect, const TViewArea& area)
{
    if (!mDevice)
        return;
    mNear = nearZ;
    mFar = farZ;
    const TRect& vp = area.viewport;
    const TRect& vis = area.visible;
    // Nothing shows (or a degenerate viewport): there is no shape to fit.
    if (vis.IsEmpty() || vp.IsEmpty())
        return;
    if (aspect == 0.0f)
        aspect = float(vis.Height()) / float(vis.Width());
    if (vis.Height() != vp.Height())
        fov = 2.0f * std::atan(std::tan(fov / 2.0f) * float(vis.Height()) / float(vp.Height()));
    TVec2 offset(float((vis.left - vp.left) + (vis.right - vp.right)) / float(vp.Width()),
                 float((vis.top - vp.top) + (vis.bottom - vp.bottom)) / float(vp.Height()));
    mProjection.SetPerspective(nearZ, farZ, fov, aspect, offset);
    Report(int32_t(mDevice->SetTransform(GfxTransform::Projection, ToGfx(mProjection))));
}

void TRenderStates::SetLight(uint32_t index, const TLight* light)
{
    if (!mDevice)
        return;
    if (!light) {
        Report(int32_t(mDevice->LightEnable(index, false)));
        return;
    }
    Report(int32_t(mDevice->LightEnable(index, true)));
    GfxLight l;
    l.type = LightType(light->kind);
    l.diffuse = ToGfx(light->diffuse);
    l.specular = ToGfx(light->specular);
    l.ambient = ToGfx(light->ambient);
    l.position = GfxVector{light->position[0], light->position[1], light->position[2]};
    l.direction = GfxVector{light->direction[0], light->direction[1], light->direction[2]};
    l.range = light->range;
    l.falloff = 1.0f;
    l.attenuation0 = light->attenuation0;
    l.attenuation1 = light->attenuation1;
    l.attenuation2 = light->attenuation2;
    l.theta = light->theta;
    l.phi = light->phi;
    GfxResult r = mDevice->SetLight(index, l);
    if (r != GfxResult::Ok) {
        Report(int32_t(r));
        Report(int32_t(mDevice->LightEnable(index, false)));
    }
}

void TRenderStates::SetTexture(GfxSurface* surface)
{
    if (mDevice)
        Report(int32_t(mDevice->SetTexture(0, surface)));
}

void TRenderStates::Set2dProjection(const TViewArea& area)
{
    const TRect& vis = area.visible;
    float left = float(vis.left - area.viewport.left) - mPixelOffset;
    float top = float(vis.top - area.viewport.top) - mPixelOffset;
    // An empty area draws nothing; keep the matrix finite all the same.
    float width = float(std::max(vis.Width(), 1));
    float height = float(std::max(vis.Height(), 1));
    SetProjection(OrthoOffCenter(left, left + width, top + height, top, mNear, mFar));
}

uint32_t TRenderStates::SetVertexFormat(int32_t type, bool in2d, const TViewArea& area)
{
    uint32_t fvf = VertexFormatOf(type);
    if (!mDevice)
        return fvf;
    bool unlit = type == kVertexLit || type == kVertexSprite || type == kVertexScreen;
    Rs(uint32_t(GfxRs::Lighting), unlit ? 0 : 1);
    if (type == kVertexScreen)
        return fvf;
    if (mProjectionDirty && in2d) {
        mProjectionDirty = false;
        Set2dProjection(area); // sets the flag again: rebuilt at every 2D draw
    }
    return fvf;
}

void TRenderStates::DrawVertices(uint32_t primitive, const TVertexList& vertices, bool in2d,
                                 const TViewArea& area)
{
    if (!mDevice)
        return;
    uint32_t fvf = SetVertexFormat(vertices.GetType(), in2d, area);
    GfxResult r = mDevice->DrawPrimitive(GfxPrimitive(primitive), fvf, vertices.GetVertices(), vertices.GetCount());
    if (r == GfxResult::OutOfVideoMemory) {
        WriteLog("DrawVertices out of video memory");
        Report(int32_t(r));
    }
}

void TRenderStates::DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices, const uint16_t* indices,
                                        uint32_t indexCount, bool in2d, const TViewArea& area)
{
    if (!mDevice)
        return;
    uint32_t fvf = SetVertexFormat(vertices.GetType(), in2d, area);
    GfxResult r = mDevice->DrawIndexedPrimitive(GfxPrimitive(primitive), fvf, vertices.GetVertices(),
                                                vertices.GetCount(), indices, indexCount);
    Report(int32_t(r));
}
