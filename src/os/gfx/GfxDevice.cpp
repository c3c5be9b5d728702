#include "os/gfx/GfxDevice.h"

#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/GfxSurface.h"
#include "os/gfx/GfxVertexLighting.h"

namespace {

bool InRange(uint32_t v, uint32_t lo, uint32_t hi) { return v >= lo && v <= hi; }

bool ValidArg(uint32_t v)
{
    uint32_t sel = v & GfxTa::SelectMask;
    uint32_t mods = v & ~GfxTa::SelectMask;
    return sel <= GfxTa::Specular && (mods & ~(GfxTa::Complement | GfxTa::AlphaReplicate)) == 0;
}

bool ValidOp(uint32_t v)
{
    return InRange(v, GfxTop::Disable, GfxTop::BlendFactorAlpha) || v == GfxTop::BlendCurrentAlpha;
}

// Whether the value means something for the state; unknown values are refused
// rather than guessed at.
bool ValidRenderValue(GfxRs state, uint32_t v)
{
    switch (state) {
    case GfxRs::ZEnable: return v <= 1;
    case GfxRs::FillMode: return InRange(v, GfxFill::Point, GfxFill::Solid);
    case GfxRs::ShadeMode: return InRange(v, GfxShade::Flat, GfxShade::Phong);
    case GfxRs::SrcBlend:
    case GfxRs::DestBlend: return InRange(v, GfxBlend::Zero, GfxBlend::BothInvSrcAlpha);
    case GfxRs::CullMode: return InRange(v, GfxCull::None, GfxCull::CCW);
    case GfxRs::ZFunc:
    case GfxRs::AlphaFunc: return InRange(v, GfxCmp::Never, GfxCmp::Always);
    case GfxRs::AlphaRef: return v <= 255;
    case GfxRs::DiffuseMaterialSource:
    case GfxRs::SpecularMaterialSource:
    case GfxRs::AmbientMaterialSource:
    case GfxRs::EmissiveMaterialSource: return v <= GfxMcs::Color2;
    default: return true;   // booleans (any non-zero is true), colours, wrap bits
    }
}

bool ValidStageValue(GfxTss state, uint32_t v)
{
    switch (state) {
    case GfxTss::ColorOp:
    case GfxTss::AlphaOp: return ValidOp(v);
    case GfxTss::ColorArg1:
    case GfxTss::ColorArg2:
    case GfxTss::AlphaArg1:
    case GfxTss::AlphaArg2: return ValidArg(v);
    case GfxTss::AddressU:
    case GfxTss::AddressV: return InRange(v, GfxAddress::Wrap, GfxAddress::Border);
    case GfxTss::MagFilter: return InRange(v, GfxMagFilter::Point, GfxMagFilter::Linear);
    case GfxTss::MinFilter: return InRange(v, GfxMinFilter::Point, GfxMinFilter::Linear);
    case GfxTss::MipFilter: return InRange(v, GfxMipFilter::None, GfxMipFilter::Linear);
    case GfxTss::BorderColor: return true;
    }
    return false;
}

const char* PrimitiveName(GfxPrimitive p)
{
    switch (p) {
    case GfxPrimitive::PointList: return "PointList";
    case GfxPrimitive::LineList: return "LineList";
    case GfxPrimitive::LineStrip: return "LineStrip";
    case GfxPrimitive::TriangleList: return "TriangleList";
    case GfxPrimitive::TriangleStrip: return "TriangleStrip";
    case GfxPrimitive::TriangleFan: return "TriangleFan";
    }
    return nullptr;
}

// Vertices of the whole primitives among count.
uint32_t UsableCount(GfxPrimitive p, uint32_t count)
{
    switch (p) {
    case GfxPrimitive::PointList: return count;
    case GfxPrimitive::LineList: return count - count % 2;
    case GfxPrimitive::LineStrip: return count >= 2 ? count : 0;
    case GfxPrimitive::TriangleList: return count - count % 3;
    case GfxPrimitive::TriangleStrip:
    case GfxPrimitive::TriangleFan: return count >= 3 ? count : 0;
    }
    return 0;
}

const char* TransformName(GfxTransform t)
{
    switch (t) {
    case GfxTransform::World: return "World";
    case GfxTransform::View: return "View";
    case GfxTransform::Projection: return "Projection";
    }
    return nullptr;
}

} // namespace

GfxLight GfxDefaultLight()
{
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {1, 1, 1, 0};
    l.direction = {0, 0, 1};
    return l;
}

void GfxDevice::ResetState(int32_t targetWidth, int32_t targetHeight)
{
    mState = GfxDeviceState();
    auto rs = [this](GfxRs s, uint32_t v) { mState.renderState[uint32_t(s)] = v; };
    rs(GfxRs::ZEnable, 1);
    rs(GfxRs::FillMode, GfxFill::Solid);
    rs(GfxRs::ShadeMode, GfxShade::Gouraud);
    rs(GfxRs::ZWriteEnable, 1);
    rs(GfxRs::AlphaTestEnable, 0);
    rs(GfxRs::SrcBlend, GfxBlend::One);
    rs(GfxRs::DestBlend, GfxBlend::Zero);
    rs(GfxRs::CullMode, GfxCull::CCW);
    rs(GfxRs::ZFunc, GfxCmp::LessEqual);
    rs(GfxRs::AlphaRef, 0);
    rs(GfxRs::AlphaFunc, GfxCmp::Always);
    rs(GfxRs::AlphaBlendEnable, 0);
    rs(GfxRs::SpecularEnable, 0);
    rs(GfxRs::TextureFactor, 0xFFFFFFFFu);
    rs(GfxRs::Clipping, 1);
    rs(GfxRs::Lighting, 1);
    rs(GfxRs::Ambient, 0);
    rs(GfxRs::ColorVertex, 1);
    rs(GfxRs::LocalViewer, 1);
    rs(GfxRs::NormalizeNormals, 0);
    rs(GfxRs::DiffuseMaterialSource, GfxMcs::Color1);
    rs(GfxRs::SpecularMaterialSource, GfxMcs::Color2);
    rs(GfxRs::AmbientMaterialSource, GfxMcs::Material);
    rs(GfxRs::EmissiveMaterialSource, GfxMcs::Material);
    auto ts = [this](GfxTss s, uint32_t v) { mState.stageState[uint32_t(s)] = v; };
    ts(GfxTss::ColorOp, GfxTop::Modulate);
    ts(GfxTss::ColorArg1, GfxTa::Texture);
    ts(GfxTss::ColorArg2, GfxTa::Current);
    ts(GfxTss::AlphaOp, GfxTop::SelectArg1);
    ts(GfxTss::AlphaArg1, GfxTa::Texture);
    ts(GfxTss::AlphaArg2, GfxTa::Current);
    ts(GfxTss::AddressU, GfxAddress::Wrap);
    ts(GfxTss::AddressV, GfxAddress::Wrap);
    ts(GfxTss::MagFilter, GfxMagFilter::Point);
    ts(GfxTss::MinFilter, GfxMinFilter::Point);
    ts(GfxTss::MipFilter, GfxMipFilter::None);
    mTargetWidth = targetWidth;
    mTargetHeight = targetHeight;
    mState.viewport = {0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
    mInScene = false;
    mDirty = DirtyAll;
}

GfxResult GfxDevice::SetRenderState(GfxRs state, uint32_t value)
{
    const char* name = GfxRsName(state);
    GfxResult r = GfxTakeInjected(GfxOp::SetRenderState);
    if (r == GfxResult::Ok && (!name || !ValidRenderValue(state, value)))
        r = GfxResult::InvalidArg;
    if (r != GfxResult::Ok) {
        Note("SetRenderState %s %u -> %s", name ? name : "?", value, GfxResultName(r));
        return r;
    }
    Note("SetRenderState %s %u", name, value);
    mState.renderState[uint32_t(state)] = value;
    mDirty |= DirtyRender;
    return GfxResult::Ok;
}

uint32_t GfxDevice::GetRenderState(GfxRs state) const
{
    return uint32_t(state) < GfxDeviceState::kRenderStates ? mState.renderState[uint32_t(state)] : 0;
}

GfxResult GfxDevice::SetTextureStageState(uint32_t stage, GfxTss state, uint32_t value)
{
    const char* name = GfxTssName(state);
    GfxResult r = GfxTakeInjected(GfxOp::SetTextureStageState);
    if (r == GfxResult::Ok && (stage != 0 || !name || !ValidStageValue(state, value)))
        r = GfxResult::InvalidArg;
    if (r != GfxResult::Ok) {
        Note("SetTextureStageState %s %u -> %s", name ? name : "?", value, GfxResultName(r));
        return r;
    }
    Note("SetTextureStageState %s %u", name, value);
    mState.stageState[uint32_t(state)] = value;
    mDirty |= DirtyStage;
    return GfxResult::Ok;
}

uint32_t GfxDevice::GetTextureStageState(GfxTss state) const
{
    return uint32_t(state) < GfxDeviceState::kStageStates ? mState.stageState[uint32_t(state)] : 0;
}

GfxResult GfxDevice::SetTransform(GfxTransform which, const GfxMatrix& matrix)
{
    const char* name = TransformName(which);
    GfxResult r = GfxTakeInjected(GfxOp::SetTransform);
    if (r == GfxResult::Ok && !name)
        r = GfxResult::InvalidArg;
    if (r != GfxResult::Ok) {
        Note("SetTransform %s -> %s", name ? name : "?", GfxResultName(r));
        return r;
    }
    Note("SetTransform %s", name);
    switch (which) {
    case GfxTransform::World: mState.world = matrix; break;
    case GfxTransform::View: mState.view = matrix; break;
    case GfxTransform::Projection: mState.projection = matrix; break;
    }
    mDirty |= DirtyTransform;
    if (which == GfxTransform::View)
        mDirty |= DirtyLights;   // lights are specified in view space
    return GfxResult::Ok;
}

GfxResult GfxDevice::GetTransform(GfxTransform which, GfxMatrix* matrix) const
{
    if (!matrix)
        return GfxResult::InvalidPointer;
    switch (which) {
    case GfxTransform::World: *matrix = mState.world; return GfxResult::Ok;
    case GfxTransform::View: *matrix = mState.view; return GfxResult::Ok;
    case GfxTransform::Projection: *matrix = mState.projection; return GfxResult::Ok;
    }
    return GfxResult::InvalidArg;
}

GfxResult GfxDevice::SetMaterial(const GfxMaterial& material)
{
    GfxResult r = GfxTakeInjected(GfxOp::SetMaterial);
    if (r != GfxResult::Ok) {
        Note("SetMaterial -> %s", GfxResultName(r));
        return r;
    }
    Note("SetMaterial");
    mState.material = material;
    mDirty |= DirtyMaterial;
    return GfxResult::Ok;
}

GfxResult GfxDevice::SetLight(uint32_t index, const GfxLight& light)
{
    GfxResult r = GfxTakeInjected(GfxOp::SetLight);
    if (r == GfxResult::Ok &&
        (index >= kMaxLights || !InRange(light.type, GfxLightType::Point, GfxLightType::Directional)))
        r = GfxResult::InvalidArg;
    if (r != GfxResult::Ok) {
        Note("SetLight %u -> %s", index, GfxResultName(r));
        return r;
    }
    Note("SetLight %u type %u", index, light.type);
    // Kept as given; the lighting reads such values safely. Said a few
    // times at most, as lights are set again every frame.
    static int told = 0;
    if (const char* problem = GfxLightProblem(light); problem && told < 10) {
        ++told;
        GfxLog("SetLight %u: %s", index, problem);
    }
    mState.light[index] = light;
    mState.lightSet[index] = true;
    mDirty |= DirtyLights;
    return GfxResult::Ok;
}

GfxResult GfxDevice::GetLight(uint32_t index, GfxLight* light) const
{
    if (!light)
        return GfxResult::InvalidPointer;
    if (index >= kMaxLights || !mState.lightSet[index])
        return GfxResult::InvalidArg;
    *light = mState.light[index];
    return GfxResult::Ok;
}

GfxResult GfxDevice::LightEnable(uint32_t index, bool enable)
{
    GfxResult r = GfxTakeInjected(GfxOp::LightEnable);
    if (r == GfxResult::Ok && index >= kMaxLights)
        r = GfxResult::InvalidArg;
    if (r != GfxResult::Ok) {
        Note("LightEnable %u %d -> %s", index, enable ? 1 : 0, GfxResultName(r));
        return r;
    }
    Note("LightEnable %u %d", index, enable ? 1 : 0);
    if (enable && !mState.lightSet[index]) {
        mState.light[index] = GfxDefaultLight();
        mState.lightSet[index] = true;
    }
    mState.lightEnabled[index] = enable;
    mDirty |= DirtyLights;
    return GfxResult::Ok;
}

bool GfxDevice::IsLightEnabled(uint32_t index) const
{
    return index < kMaxLights && mState.lightEnabled[index];
}

GfxResult GfxDevice::SetTexture(uint32_t stage, GfxSurface* surface)
{
    GfxResult r = GfxTakeInjected(GfxOp::SetTexture);
    if (r == GfxResult::Ok) {
        if (stage != 0)
            r = surface ? GfxResult::InvalidArg : GfxResult::Ok;
        else if (surface && (surface->IsBackBuffer() || !OwnsSurface(surface)))
            r = GfxResult::InvalidArg;
    }
    if (r != GfxResult::Ok) {
        Note("SetTexture %u -> %s", stage, GfxResultName(r));
        return r;
    }
    if (stage != 0)
        return GfxResult::Ok;
    Note("SetTexture %u %s", stage, surface ? "set" : "null");
    if (mState.texture != surface) {
        mState.texture = surface;
        mDirty |= DirtyTexture;
    }
    return GfxResult::Ok;
}

void GfxDevice::ForgetSurface(const GfxSurface* surface)
{
    if (surface && mState.texture == surface) {
        mState.texture = nullptr;
        mDirty |= DirtyTexture;
    }
}

GfxResult GfxDevice::SetViewport(const GfxViewport& v)
{
    GfxResult r = GfxTakeInjected(GfxOp::SetViewport);
    if (r == GfxResult::Ok) {
        bool ok = v.width > 0 && v.height > 0 && v.x >= 0 && v.y >= 0 &&
                  int64_t(v.x) + v.width <= mTargetWidth && int64_t(v.y) + v.height <= mTargetHeight &&
                  v.minZ >= 0.0f && v.maxZ <= 1.0f && v.minZ <= v.maxZ;
        if (!ok)
            r = GfxResult::InvalidArg;
    }
    if (r != GfxResult::Ok) {
        Note("SetViewport %d,%d,%d,%d -> %s", v.x, v.y, v.width, v.height, GfxResultName(r));
        return r;
    }
    Note("SetViewport %d,%d,%d,%d", v.x, v.y, v.width, v.height);
    mState.viewport = v;
    mDirty |= DirtyViewport;
    return GfxResult::Ok;
}

GfxResult GfxDevice::Clear(uint32_t flags, uint32_t argb, float z)
{
    GfxResult r = GfxTakeInjected(GfxOp::Clear);
    if (r == GfxResult::Ok) {
        if (flags == 0 || (flags & ~(GfxClear::Target | GfxClear::ZBuffer)) || !(z >= 0.0f && z <= 1.0f))
            r = GfxResult::InvalidArg;
        else if (TargetLost())
            r = GfxResult::SurfaceLost;
    }
    if (r != GfxResult::Ok) {
        Note("Clear %u %08x %g -> %s", flags, argb, double(z), GfxResultName(r));
        return r;
    }
    Note("Clear %u %08x %g", flags, argb, double(z));
    return DoClear(flags, argb, z);
}

GfxResult GfxDevice::BeginScene()
{
    GfxResult r = GfxTakeInjected(GfxOp::BeginScene);
    if (r == GfxResult::Ok) {
        if (mInScene)
            r = GfxResult::SceneInScene;
        else if (TargetLost())
            r = GfxResult::SurfaceLost;
    }
    if (r != GfxResult::Ok) {
        Note("BeginScene -> %s", GfxResultName(r));
        return r;
    }
    Note("BeginScene");
    mInScene = true;
    DoScene(true);
    return GfxResult::Ok;
}

GfxResult GfxDevice::EndScene()
{
    GfxResult r = GfxTakeInjected(GfxOp::EndScene);
    if (r == GfxResult::Ok && !mInScene)
        r = GfxResult::SceneNotInScene;
    // The scene is over whatever the answer: a failed end must not leave
    // the next BeginScene refused.
    bool was = mInScene;
    mInScene = false;
    if (was)
        DoScene(false);
    if (r != GfxResult::Ok) {
        Note("EndScene -> %s", GfxResultName(r));
        return r;
    }
    Note("EndScene");
    return GfxResult::Ok;
}

GfxResult GfxDevice::DrawPrimitive(GfxPrimitive primitive, uint32_t fvf, const void* vertices,
                                   uint32_t vertexCount)
{
    return DrawIndexedPrimitive(primitive, fvf, vertices, vertexCount, nullptr, 0);
}

GfxResult GfxDevice::DrawIndexedPrimitive(GfxPrimitive primitive, uint32_t fvf, const void* vertices,
                                          uint32_t vertexCount, const uint16_t* indices,
                                          uint32_t indexCount)
{
    const bool indexed = indices != nullptr || indexCount != 0;
    const char* call = indexed ? "DrawIndexedPrimitive" : "DrawPrimitive";
    const char* name = PrimitiveName(primitive);
    GfxResult r = GfxTakeInjected(GfxOp::Draw);
    if (r == GfxResult::Ok) {
        if (!name || GfxFvfStride(fvf) == 0)
            r = GfxResult::InvalidArg;
        else if ((vertexCount && !vertices) || (indexed && indexCount && !indices))
            r = GfxResult::InvalidPointer;
        else if (!mInScene)
            r = GfxResult::SceneNotInScene;
        else if (TargetLost())
            r = GfxResult::SurfaceLost;
        else if (indexed) {
            for (uint32_t i = 0; i < indexCount; ++i) {
                if (indices[i] >= vertexCount) {
                    r = GfxResult::InvalidArg;
                    break;
                }
            }
        }
    }
    uint32_t count = indexed ? indexCount : vertexCount;
    if (r != GfxResult::Ok) {
        Note("%s %s 0x%x %u -> %s", call, name ? name : "?", fvf, count, GfxResultName(r));
        return r;
    }
    Note("%s %s 0x%x %u", call, name, fvf, count);
    uint32_t usable = UsableCount(primitive, count);
    if (usable == 0)
        return GfxResult::Ok;
    if (indexed)
        return DoDraw(primitive, fvf, vertices, vertexCount, indices, usable);
    return DoDraw(primitive, fvf, vertices, usable, nullptr, 0);
}
