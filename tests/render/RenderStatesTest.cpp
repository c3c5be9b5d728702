// Render states of the passes and draws on the recording graphics device.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/recording/GfxRecording.h"
#include "render/RenderStates.h"
#include "render/VertexList.h"
#include "support/TempFolder.h"

namespace {

class RenderStatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        GfxInjectReset();
        GfxRecordingLog().Clear();
        mDisplay = GfxCreateRecordingDisplay();
        ASSERT_EQ(mDisplay->Create(nullptr, {800, 600, 32, false}), GfxResult::Ok);
        mDevice = mDisplay->GetDevice();
        mStates.SetDevice(mDevice);
        mStates.SetOutOfMemoryHandler([this] { ++mOutOfMemory; });
    }
    void TearDown() override
    {
        mDisplay.reset();
        GfxInjectReset();
    }

    uint32_t Rs(GfxRs s) const { return mDevice->GetRenderState(s); }
    uint32_t Tss(GfxTss s) const { return mDevice->GetTextureStageState(s); }
    GfxMatrix Projection() const
    {
        GfxMatrix m;
        mDevice->GetTransform(GfxTransform::Projection, &m);
        return m;
    }

    TTempLogFolder mLog{"renderstates"};
    std::unique_ptr<GfxDisplay> mDisplay;
    GfxDevice* mDevice = nullptr;
    TRenderStates mStates;
    int mOutOfMemory = 0;
};

TEST_F(RenderStatesTest, BlendModesSetTheirFactorsAndStageZero)
{
    const uint32_t kept = 99; // SrcBlend/DestBlend before the call (marker)
    struct Row {
        int32_t mode;
        bool mask;
        uint32_t src, dst, enable;
        uint32_t colorArg1, colorOp, alphaArg1, alphaOp;
    };
    const uint32_t tex = GfxTa::Texture, mod = GfxTop::Modulate, sel = GfxTop::SelectArg1;
    const uint32_t rep = GfxTa::Texture | GfxTa::AlphaReplicate, tf = GfxTa::TFactor;
    const Row rows[] = {
        {0, false, GfxBlend::SrcAlpha, GfxBlend::InvSrcAlpha, 1, tex, mod, tex, mod},
        {1, false, kept, kept, 0, tex, mod, tf, sel},
        {2, false, GfxBlend::SrcAlpha, GfxBlend::One, 1, tex, mod, tex, mod},
        {3, false, GfxBlend::Zero, GfxBlend::InvSrcColor, 1, tex, mod, tex, mod},
        {7, false, kept, kept, kept, tex, mod, tex, mod},
        {0, true, GfxBlend::SrcAlpha, GfxBlend::One, 1, rep, sel, tf, sel},
        {1, true, kept, kept, 0, rep, sel, tf, sel},
        {2, true, GfxBlend::SrcAlpha, GfxBlend::One, 1, rep, sel, tf, sel},
        {3, true, GfxBlend::SrcAlpha, GfxBlend::InvSrcAlpha, 1, rep, sel, tf, sel},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << " mask " << row.mask);
        // Markers the call must overwrite or keep.
        mDevice->SetRenderState(GfxRs::SrcBlend, GfxBlend::DestColor);
        mDevice->SetRenderState(GfxRs::DestBlend, GfxBlend::InvDestColor);
        mDevice->SetRenderState(GfxRs::AlphaBlendEnable, 1);
        mDevice->SetRenderState(GfxRs::TextureFactor, 0x12345678);
        mDevice->SetTextureStageState(0, GfxTss::ColorOp, GfxTop::Add);
        mStates.SetAlphaMaskPass(row.mask);
        mStates.SetBlendMode(row.mode);
        EXPECT_EQ(Rs(GfxRs::SrcBlend), row.src == kept ? GfxBlend::DestColor : row.src);
        EXPECT_EQ(Rs(GfxRs::DestBlend), row.dst == kept ? GfxBlend::InvDestColor : row.dst);
        EXPECT_EQ(Rs(GfxRs::AlphaBlendEnable), row.enable == kept ? 1u : row.enable);
        EXPECT_EQ(Rs(GfxRs::TextureFactor), 0xFFFFFFFFu);
        EXPECT_EQ(Tss(GfxTss::ColorArg1), row.colorArg1);
        EXPECT_EQ(Tss(GfxTss::ColorOp), row.colorOp);
        EXPECT_EQ(Tss(GfxTss::AlphaArg1), row.alphaArg1);
        EXPECT_EQ(Tss(GfxTss::AlphaOp), row.alphaOp);
    }
}

TEST_F(RenderStatesTest, PassesSetTheirStateLists)
{
    // Leave everything the passes touch in the other state first.
    mStates.Begin3d();
    TMat4 moved;
    moved.Translate(TVec3(5, 6, 7));
    mStates.SetWorld(moved);
    mStates.SetView(moved);
    mStates.SetTextureFilter(0);
    mStates.Begin2d();
    EXPECT_EQ(Rs(GfxRs::SpecularEnable), 0u);
    EXPECT_EQ(Rs(GfxRs::Clipping), 0u);
    EXPECT_EQ(Tss(GfxTss::AddressU), GfxAddress::Clamp);
    EXPECT_EQ(Tss(GfxTss::AddressV), GfxAddress::Clamp);
    EXPECT_EQ(Rs(GfxRs::DestBlend), GfxBlend::InvSrcAlpha);
    EXPECT_EQ(Tss(GfxTss::MinFilter), GfxMinFilter::Linear);
    EXPECT_EQ(Rs(GfxRs::ZEnable), 0u);
    EXPECT_EQ(Rs(GfxRs::ZWriteEnable), 0u);
    EXPECT_EQ(Rs(GfxRs::CullMode), GfxCull::None);
    EXPECT_EQ(mStates.GetWorld().m[12], 0.0f);
    GfxMatrix view;
    mDevice->GetTransform(GfxTransform::View, &view);
    EXPECT_EQ(view, GfxMatrix());
    EXPECT_TRUE(mStates.IsProjectionDirty());

    mStates.SetWorld(moved);
    mStates.End2d();
    EXPECT_EQ(mStates.GetWorld().m[12], 0.0f);

    mStates.Begin3d();
    EXPECT_EQ(Rs(GfxRs::SpecularEnable), 1u);
    EXPECT_EQ(Rs(GfxRs::Clipping), 1u);
    EXPECT_EQ(Rs(GfxRs::ZEnable), 1u);
    EXPECT_EQ(Rs(GfxRs::ZWriteEnable), 1u);
    EXPECT_EQ(Tss(GfxTss::AddressU), GfxAddress::Wrap);
    EXPECT_EQ(Tss(GfxTss::AddressV), GfxAddress::Wrap);
    EXPECT_EQ(Rs(GfxRs::CullMode), GfxCull::CCW);
    EXPECT_EQ(Tss(GfxTss::MagFilter), GfxMagFilter::Linear);

    mStates.SetNoSpecular(true);
    mStates.Begin3d();
    EXPECT_EQ(Rs(GfxRs::SpecularEnable), 0u);
}

TEST_F(RenderStatesTest, SwitchesMapTheirValues)
{
    struct Filter {
        int32_t mode;
        uint32_t mag, min, mip;
    };
    mStates.SetTextureFilter(1);
    for (const Filter& f : {Filter{0, 1, 1, 2}, Filter{5, 1, 1, 2}, Filter{-1, 1, 1, 2}, Filter{1, 2, 2, 3},
                            Filter{2, 2, 2, 3}}) {
        mStates.SetTextureFilter(f.mode);
        EXPECT_EQ(Tss(GfxTss::MagFilter), f.mag) << f.mode;
        EXPECT_EQ(Tss(GfxTss::MinFilter), f.min) << f.mode;
        EXPECT_EQ(Tss(GfxTss::MipFilter), f.mip) << f.mode;
    }
    const std::pair<int32_t, uint32_t> address[] = {
        {0, GfxAddress::Clamp}, {1, GfxAddress::Wrap}, {2, GfxAddress::Mirror}, {3, GfxAddress::Clamp}, {-4, GfxAddress::Clamp}};
    for (auto [u, want] : address) {
        mStates.SetTextureAddress(u, 2);
        EXPECT_EQ(Tss(GfxTss::AddressU), want) << u;
        EXPECT_EQ(Tss(GfxTss::AddressV), GfxAddress::Mirror);
    }
    const std::pair<int32_t, uint32_t> cull[] = {
        {0, GfxCull::None}, {1, GfxCull::None}, {2, GfxCull::CW}, {3, GfxCull::CCW}, {4, GfxCull::None}};
    for (auto [mode, want] : cull) {
        mStates.SetCullMode(mode);
        EXPECT_EQ(Rs(GfxRs::CullMode), want) << mode;
    }
    const std::pair<int32_t, uint32_t> shade[] = {{1, GfxShade::Flat}, {2, GfxShade::Gouraud}, {3, GfxShade::Flat}};
    for (auto [mode, want] : shade) {
        mStates.SetShadeMode(mode);
        EXPECT_EQ(Rs(GfxRs::ShadeMode), want) << mode;
    }
    mStates.SetZEnable(true);
    mStates.SetZWriteEnable(false);
    EXPECT_EQ(Rs(GfxRs::ZEnable), 1u);
    EXPECT_EQ(Rs(GfxRs::ZWriteEnable), 0u);

    // Ambient: each component times 255, clamped.
    const float ambient[4] = {2.0f, 0.5f, -1.0f, 1.0f};
    mStates.SetAmbient(ambient);
    EXPECT_EQ(Rs(GfxRs::Ambient), 0xFFFF7F00u);
}

TEST_F(RenderStatesTest, DeviceDefaultsOfTheProgram)
{
    mStates.SetDeviceDefaults();
    EXPECT_EQ(Rs(GfxRs::Ambient), 0xFFFFFFFFu);
    EXPECT_EQ(Rs(GfxRs::NormalizeNormals), 1u);
    EXPECT_EQ(Rs(GfxRs::DiffuseMaterialSource), GfxMcs::Material);
    EXPECT_EQ(Rs(GfxRs::SpecularMaterialSource), GfxMcs::Material);
    EXPECT_EQ(Rs(GfxRs::AlphaBlendEnable), 1u);
    EXPECT_EQ(Rs(GfxRs::AlphaTestEnable), 1u);
    EXPECT_EQ(Rs(GfxRs::AlphaRef), 1u);
    EXPECT_EQ(Rs(GfxRs::AlphaFunc), GfxCmp::GreaterEqual);
    EXPECT_EQ(Tss(GfxTss::AlphaOp), GfxTop::Modulate);
    EXPECT_EQ(Tss(GfxTss::MipFilter), GfxMipFilter::Linear);
    EXPECT_EQ(Rs(GfxRs::ShadeMode), GfxShade::Gouraud);
}

TEST_F(RenderStatesTest, LightsMapFieldByFieldAndARefusedLightIsDisabled)
{
    TLight light;
    light.kind = kLightSpot;
    light.diffuse = {1, 0.5f, 0.25f, 1};
    light.specular = {0.1f, 0.2f, 0.3f, 0.4f};
    light.ambient = {0, 0, 0.5f, 1};
    light.position[0] = 3;
    light.direction[1] = -1;
    light.direction[2] = 0;
    light.range = 50;
    light.attenuation0 = 1;
    light.attenuation1 = 0.5f;
    light.attenuation2 = 0.25f;
    light.theta = 0.3f;
    light.phi = 0.6f;
    mStates.SetLight(2, &light);
    GfxLight got;
    ASSERT_EQ(mDevice->GetLight(2, &got), GfxResult::Ok);
    EXPECT_TRUE(mDevice->IsLightEnabled(2));
    EXPECT_EQ(got.type, GfxLightType::Spot);
    EXPECT_EQ(got.diffuse, (GfxColorValue{1, 0.5f, 0.25f, 1}));
    EXPECT_EQ(got.specular, (GfxColorValue{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(got.ambient, (GfxColorValue{0, 0, 0.5f, 1}));
    EXPECT_EQ(got.position, (GfxVector{3, 0, 0}));
    EXPECT_EQ(got.direction, (GfxVector{0, -1, 0}));
    EXPECT_EQ(got.range, 50.0f);
    EXPECT_EQ(got.falloff, 1.0f);
    EXPECT_EQ(got.attenuation1, 0.5f);
    EXPECT_EQ(got.attenuation2, 0.25f);
    EXPECT_EQ(got.theta, 0.3f);
    EXPECT_EQ(got.phi, 0.6f);

    const std::pair<int32_t, uint32_t> kinds[] = {
        {kLightDirectional, GfxLightType::Directional}, {kLightPoint, GfxLightType::Point}};
    for (auto [kind, type] : kinds) {
        light.kind = kind;
        mStates.SetLight(0, &light);
        ASSERT_EQ(mDevice->GetLight(0, &got), GfxResult::Ok);
        EXPECT_EQ(got.type, type);
    }

    mStates.SetLight(2, nullptr);
    EXPECT_FALSE(mDevice->IsLightEnabled(2));

    // A kind the device does not know: enabled, refused, disabled again.
    light.kind = 5;
    mStates.SetLight(3, &light);
    EXPECT_FALSE(mDevice->IsLightEnabled(3));
    // Out of video memory on the light: reported, and the light is off.
    light.kind = kLightPoint;
    GfxInjectResult(GfxOp::SetLight, GfxResult::OutOfVideoMemory);
    mStates.SetLight(4, &light);
    EXPECT_FALSE(mDevice->IsLightEnabled(4));
    EXPECT_EQ(mOutOfMemory, 1);
}

TEST_F(RenderStatesTest, VertexFormatsSwitchLightingAndThe2dProjectionFollowsThePixelOffset)
{
    TViewArea area{TRect(0, 0, 800, 600), TRect(0, 0, 800, 600)};
    const std::pair<int32_t, uint32_t> formats[] = {{0, 0x112}, {1, 0x1E2}, {2, 0x1E2}, {3, 0x1C4}, {9, 0x112}};
    for (auto [type, fvf] : formats) {
        EXPECT_EQ(mStates.SetVertexFormat(type, false, area), fvf) << type;
        EXPECT_EQ(Rs(GfxRs::Lighting), (type == 1 || type == 2 || type == 3) ? 0u : 1u) << type;
    }

    // Outside a 2D pass the projection is left alone.
    GfxMatrix before = Projection();
    mStates.SetProjectionDirty();
    mStates.SetVertexFormat(2, false, area);
    EXPECT_EQ(Projection(), before);
    // Screen vertices never touch it, even in 2D.
    mStates.SetVertexFormat(3, true, area);
    EXPECT_EQ(Projection(), before);

    // In 2D: x = 0.5 (the pixel offset -0.5 undone) is the left edge.
    mStates.SetVertexFormat(2, true, area);
    GfxMatrix a = Projection();
    EXPECT_FLOAT_EQ(a.m[0], 2.0f / 800);
    EXPECT_FLOAT_EQ(a.m[5], -2.0f / 600);
    EXPECT_FLOAT_EQ(0.5f * a.m[0] + a.m[12], -1.0f);
    EXPECT_FLOAT_EQ(0.5f * a.m[5] + a.m[13], 1.0f);
    EXPECT_NEAR(0.1f * a.m[10] + a.m[14], 0.0f, 1e-6f); // near plane at depth 0
    // Rebuilt at every 2D draw: a new offset shows at once.
    mStates.SetPixelOffset(-0.2f);
    mStates.SetVertexFormat(0, true, area);
    GfxMatrix b = Projection();
    EXPECT_FLOAT_EQ(0.2f * b.m[0] + b.m[12], -1.0f);

    // A clip rectangle inside the viewport: coordinates stay viewport-relative.
    TViewArea clipped{TRect(100, 50, 500, 450), TRect(150, 100, 350, 200)};
    mStates.SetPixelOffset(-0.5f);
    mStates.SetVertexFormat(2, true, clipped);
    GfxMatrix c = Projection();
    EXPECT_FLOAT_EQ(c.m[0], 2.0f / 200);
    EXPECT_FLOAT_EQ(50.5f * c.m[0] + c.m[12], -1.0f);
    EXPECT_FLOAT_EQ(250.5f * c.m[0] + c.m[12], 1.0f);
    EXPECT_FLOAT_EQ(50.5f * c.m[5] + c.m[13], 1.0f);
}

TEST_F(RenderStatesTest, PerspectiveIsFittedToTheVisiblePart)
{
    const float fov = float(M_PI) / 4;
    // Whole viewport visible, aspect 0: visible height over width.
    mStates.SetPerspective(0.1f, 1000.0f, fov, 0.0f, {TRect(0, 0, 800, 600), TRect(0, 0, 800, 600)});
    TMat4 want;
    want.SetPerspective(0.1f, 1000.0f, fov, 0.75f, TVec2(0, 0));
    GfxMatrix got = Projection();
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(got.m[i], want.m[i]) << i;
    EXPECT_EQ(mStates.GetProjection().m[0], want.m[0]);

    // The lower half of the viewport is clipped away: the field shrinks and
    // the centre moves so the visible part keeps the viewport's look.
    mStates.SetPerspective(1.0f, 50.0f, fov, 2.0f, {TRect(0, 0, 800, 600), TRect(0, 0, 800, 300)});
    float field = 2.0f * std::atan(std::tan(fov / 2) * 300.0f / 600.0f);
    want.SetPerspective(1.0f, 50.0f, field, 2.0f, TVec2(0.0f, -0.5f));
    got = Projection();
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(got.m[i], want.m[i]) << i;
    EXPECT_EQ(mStates.GetNear(), 1.0f);
    EXPECT_EQ(mStates.GetFar(), 50.0f);

    // Nothing visible: the projection stays as it was (no division by zero).
    mStates.SetPerspective(0.1f, 1000.0f, fov, 0.0f, {TRect(0, 0, 800, 600), TRect(10, 10, 10, 10)});
    EXPECT_EQ(Projection(), got);
    for (float v : Projection().m)
        EXPECT_TRUE(std::isfinite(v));
}

TEST_F(RenderStatesTest, OutOfMemoryDrawsAreReported)
{
    TLitVertex quad[4];
    TVertexList list(kVertexSprite, quad, 4);
    TViewArea area{TRect(0, 0, 800, 600), TRect(0, 0, 800, 600)};
    ASSERT_EQ(mDevice->BeginScene(), GfxResult::Ok);
    mStates.DrawVertices(6, list, true, area);
    ASSERT_EQ(GfxRecordingLog().draws.size(), 1u);
    const GfxDrawRecord& draw = GfxRecordingLog().draws[0];
    EXPECT_EQ(draw.primitive, GfxPrimitive::TriangleFan);
    EXPECT_EQ(draw.fvf, 0x1E2u);
    EXPECT_EQ(draw.vertexCount, 4u);
    EXPECT_EQ(mOutOfMemory, 0);

    GfxInjectResult(GfxOp::Draw, GfxResult::OutOfVideoMemory);
    mStates.DrawVertices(6, list, true, area);
    EXPECT_EQ(mOutOfMemory, 1);
    EXPECT_TRUE(mLog.Has("DrawVertices out of video memory"));

    const uint16_t indices[3] = {0, 1, 2};
    GfxInjectResult(GfxOp::Draw, GfxResult::OutOfVideoMemory);
    mStates.DrawIndexedVertices(4, list, indices, 3, true, area);
    EXPECT_EQ(mOutOfMemory, 2);
    // Another failure is ignored.
    GfxInjectResult(GfxOp::Draw, GfxResult::Failed);
    mStates.DrawIndexedVertices(4, list, indices, 3, true, area);
    EXPECT_EQ(mOutOfMemory, 2);
    std::string log = mLog.Text();
    size_t first = log.find("DrawVertices out of video memory");
    EXPECT_EQ(log.find("DrawVertices out of video memory", first + 1), std::string::npos);
    mDevice->EndScene();
}

TEST_F(RenderStatesTest, WithoutADeviceNothingHappens)
{
    TRenderStates none;
    none.SetOutOfMemoryHandler([this] { ++mOutOfMemory; });
    TLitVertex quad[4];
    TVertexList list(kVertexSprite, quad, 4);
    none.Begin2d();
    none.SetBlendMode(0);
    none.SetLight(0, nullptr);
    none.DrawVertices(6, list, true, {});
    EXPECT_EQ(none.SetVertexFormat(3, true, {}), 0x1C4u);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    EXPECT_EQ(GfxRecordingLog().Count("SetRenderState"), 0u);
}

} // namespace
