// The graphics stand-in without a display: the recording backend, the
// device's state rules and the surface operations in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/recording/GfxRecording.h"

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 32);

class GfxRecording : public ::testing::Test {
protected:
    std::unique_ptr<GfxDisplay> display;
    GfxDevice* device = nullptr;

    void SetUp() override
    {
        GfxInjectReset();
        GfxRecordingLog().Clear();
        display = GfxCreateRecordingDisplay();
        ASSERT_EQ(display->Create(nullptr, {800, 600, 32, false}), GfxResult::Ok);
        device = display->GetDevice();
        ASSERT_NE(device, nullptr);
    }
    void TearDown() override
    {
        display.reset();
        GfxInjectReset();
    }

    std::unique_ptr<GfxSurface> Make(uint32_t w, uint32_t h, bool alpha = true)
    {
        GfxSurfaceDesc d;
        d.width = w;
        d.height = h;
        d.alpha = alpha;
        std::unique_ptr<GfxSurface> s;
        EXPECT_EQ(display->CreateSurface(d, &s), GfxResult::Ok);
        return s;
    }

    static std::vector<ScreenVertex> Quad(float l, float t, float r, float b, uint32_t colour)
    {
        return {{l, t, 0, 1, colour, 0, 0, 0}, {r, t, 0, 1, colour, 0, 1, 0},
                {r, b, 0, 1, colour, 0, 1, 1}, {l, b, 0, 1, colour, 0, 0, 1}};
    }
};

TEST(GfxTypes, VertexStrides)
{
    EXPECT_EQ(GfxFvf::Mesh, 0x112u);
    EXPECT_EQ(GfxFvf::Lit, 0x1E2u);
    EXPECT_EQ(GfxFvf::Screen, 0x1C4u);
    struct Case {
        uint32_t fvf;
        uint32_t stride;
    } cases[] = {
        {GfxFvf::Mesh, 32},
        {GfxFvf::Lit, 32},
        {GfxFvf::Screen, 32},
        {GfxFvf::Xyz, 12},
        {GfxFvf::XyzRhw | GfxFvf::Diffuse, 20},
        {GfxFvf::Xyz | (2u << GfxFvf::TexCountShift), 28},
        {0, 0},                                          // no position
        {GfxFvf::Xyz | GfxFvf::XyzRhw, 0},               // two positions
        {GfxFvf::XyzRhw | GfxFvf::Normal, 0},            // screen vertices carry no normal
        {GfxFvf::XyzRhw | GfxFvf::Reserved1, 0},
        {GfxFvf::Xyz | 0x1000u, 0},                      // unknown bit
        {GfxFvf::Xyz | (9u << GfxFvf::TexCountShift), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GfxFvfStride(c.fvf), c.stride) << std::hex << c.fvf;
}

TEST(GfxTypes, LetterboxKeepsTheAspectAndCentres)
{
    struct Case {
        int32_t ww, wh, w, h;
        GfxRect expected;
    } cases[] = {
        {800, 600, 800, 600, {0, 0, 800, 600}},
        {1280, 1024, 800, 600, {0, 32, 1280, 992}},      // bars above and below
        {1920, 1080, 800, 600, {240, 0, 1680, 1080}},    // bars left and right
        {1600, 1200, 800, 600, {0, 0, 1600, 1200}},
        {801, 600, 800, 600, {0, 0, 800, 600}},          // odd spare pixel: left-biased centre
        {0, 600, 800, 600, {0, 0, 0, 0}},
        {800, 600, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GfxLetterbox(c.ww, c.wh, c.w, c.h), c.expected) << c.ww << "x" << c.wh;
}

TEST_F(GfxRecording, CreationDefaultsAreThoseOfTheOriginalDevice)
{
    struct Rs {
        GfxRs state;
        uint32_t value;
    } rs[] = {
        {GfxRs::ZEnable, 1},
        {GfxRs::ZWriteEnable, 1},
        {GfxRs::ZFunc, GfxCmp::LessEqual},
        {GfxRs::ShadeMode, GfxShade::Gouraud},
        {GfxRs::FillMode, GfxFill::Solid},
        {GfxRs::CullMode, GfxCull::CCW},
        {GfxRs::SrcBlend, GfxBlend::One},
        {GfxRs::DestBlend, GfxBlend::Zero},
        {GfxRs::AlphaBlendEnable, 0},
        {GfxRs::AlphaTestEnable, 0},
        {GfxRs::AlphaFunc, GfxCmp::Always},
        {GfxRs::Lighting, 1},
        {GfxRs::SpecularEnable, 0},
        {GfxRs::LocalViewer, 1},
        {GfxRs::ColorVertex, 1},
        {GfxRs::Ambient, 0},
        {GfxRs::DiffuseMaterialSource, GfxMcs::Color1},
        {GfxRs::SpecularMaterialSource, GfxMcs::Color2},
        {GfxRs::Clipping, 1},
    };
    for (const Rs& r : rs)
        EXPECT_EQ(device->GetRenderState(r.state), r.value) << GfxRsName(r.state);
    struct Tss {
        GfxTss state;
        uint32_t value;
    } ts[] = {
        {GfxTss::ColorOp, GfxTop::Modulate},
        {GfxTss::ColorArg1, GfxTa::Texture},
        {GfxTss::ColorArg2, GfxTa::Current},
        {GfxTss::AlphaOp, GfxTop::SelectArg1},
        {GfxTss::AlphaArg1, GfxTa::Texture},
        {GfxTss::AddressU, GfxAddress::Wrap},
        {GfxTss::AddressV, GfxAddress::Wrap},
        {GfxTss::MagFilter, GfxMagFilter::Point},
        {GfxTss::MinFilter, GfxMinFilter::Point},
        {GfxTss::MipFilter, GfxMipFilter::None},
    };
    for (const Tss& t : ts)
        EXPECT_EQ(device->GetTextureStageState(t.state), t.value) << GfxTssName(t.state);
    EXPECT_EQ(device->GetViewport(), (GfxViewport{0, 0, 800, 600, 0.0f, 1.0f}));
    GfxMatrix m;
    EXPECT_EQ(device->GetTransform(GfxTransform::Projection, &m), GfxResult::Ok);
    EXPECT_EQ(m, GfxMatrix());
    EXPECT_EQ(device->GetTexture(), nullptr);
}

TEST_F(GfxRecording, StateValuesWithoutMeaningAreRefusedAndChangeNothing)
{
    struct Case {
        GfxRs state;
        uint32_t value;
    } bad[] = {
        {GfxRs::SrcBlend, 0},
        {GfxRs::DestBlend, 14},
        {GfxRs::CullMode, 4},
        {GfxRs::ZFunc, 9},
        {GfxRs::AlphaRef, 256},
        {GfxRs::ShadeMode, 0},
        {static_cast<GfxRs>(61), 1},        // a number this device does not know
        {static_cast<GfxRs>(100000), 1},
    };
    for (const Case& c : bad) {
        uint32_t before = device->GetRenderState(c.state);
        EXPECT_EQ(device->SetRenderState(c.state, c.value), GfxResult::InvalidArg) << uint32_t(c.state);
        EXPECT_EQ(device->GetRenderState(c.state), before);
    }
    EXPECT_EQ(device->SetTextureStageState(1, GfxTss::ColorOp, GfxTop::Modulate), GfxResult::InvalidArg);
    EXPECT_EQ(device->SetTextureStageState(0, GfxTss::MipFilter, 4), GfxResult::InvalidArg);
    EXPECT_EQ(device->SetTextureStageState(0, GfxTss::ColorArg1, GfxTa::Texture | 0x40), GfxResult::InvalidArg);
    EXPECT_EQ(device->SetTextureStageState(0, GfxTss::ColorOp, 0), GfxResult::InvalidArg);
    EXPECT_EQ(device->GetTextureStageState(GfxTss::ColorOp), GfxTop::Modulate);

    EXPECT_EQ(device->SetTextureStageState(0, GfxTss::ColorArg1, GfxTa::Texture | GfxTa::AlphaReplicate),
              GfxResult::Ok);
    EXPECT_EQ(device->GetTextureStageState(GfxTss::ColorArg1), GfxTa::Texture | GfxTa::AlphaReplicate);
    EXPECT_TRUE(GfxRecordingLog().Has("SetTextureStageState ColorArg1 34"));
    EXPECT_TRUE(GfxRecordingLog().Has("SetRenderState DestBlend 14 -> InvalidArg"));
}

TEST_F(GfxRecording, SceneRules)
{
    auto quad = Quad(0, 0, 10, 10, 0xFFFFFFFF);
    EXPECT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Screen, quad.data(), 4),
              GfxResult::SceneNotInScene);
    EXPECT_EQ(device->EndScene(), GfxResult::SceneNotInScene);
    EXPECT_EQ(device->BeginScene(), GfxResult::Ok);
    EXPECT_EQ(device->BeginScene(), GfxResult::SceneInScene);
    EXPECT_TRUE(device->InScene());
    // A failed end still closes the scene.
    GfxInjectResult(GfxOp::EndScene, GfxResult::SceneEndFailed);
    EXPECT_EQ(device->EndScene(), GfxResult::SceneEndFailed);
    EXPECT_FALSE(device->InScene());
    EXPECT_EQ(device->BeginScene(), GfxResult::Ok);
    // Clear is allowed outside a scene too; here it is inside.
    EXPECT_EQ(device->Clear(GfxClear::Target | GfxClear::ZBuffer, 0xFF102030, 1.0f), GfxResult::Ok);
    EXPECT_EQ(device->Clear(0, 0, 1.0f), GfxResult::InvalidArg);
    EXPECT_EQ(device->Clear(GfxClear::ZBuffer, 0, 1.5f), GfxResult::InvalidArg);
    EXPECT_EQ(device->EndScene(), GfxResult::Ok);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
}

TEST_F(GfxRecording, DrawsAreRecordedWithTheirState)
{
    ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
    auto tex = Make(16, 16);
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaBlendEnable, 1), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::SrcBlend, GfxBlend::SrcAlpha), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::DestBlend, GfxBlend::InvSrcAlpha), GfxResult::Ok);
    auto quad = Quad(10, 20, 30, 40, 0x80FF0000);
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Screen, quad.data(), 4), GfxResult::Ok);
    // The state at the time of the draw is kept, not the later one.
    ASSERT_EQ(device->SetRenderState(GfxRs::DestBlend, GfxBlend::One), GfxResult::Ok);
    // Five vertices of a list make one whole triangle.
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, quad.data(), 4), GfxResult::Ok);
    // Two vertices of a fan make nothing (and no record).
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Screen, quad.data(), 2), GfxResult::Ok);

    const auto& draws = GfxRecordingLog().draws;
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].primitive, GfxPrimitive::TriangleFan);
    EXPECT_EQ(draws[0].fvf, GfxFvf::Screen);
    EXPECT_EQ(draws[0].vertexCount, 4u);
    EXPECT_EQ(draws[0].Get(GfxRs::SrcBlend), GfxBlend::SrcAlpha);
    EXPECT_EQ(draws[0].Get(GfxRs::DestBlend), GfxBlend::InvSrcAlpha);
    EXPECT_EQ(draws[0].state.texture, tex.get());
    EXPECT_FLOAT_EQ(draws[0].Float(2, 0), 30.0f);
    EXPECT_FLOAT_EQ(draws[0].Float(2, 4), 40.0f);
    EXPECT_EQ(draws[0].Word(1, 16), 0x80FF0000u);
    EXPECT_EQ(draws[1].vertexCount, 3u);
    EXPECT_EQ(draws[1].Get(GfxRs::DestBlend), GfxBlend::One);
    EXPECT_TRUE(GfxRecordingLog().Has("DrawPrimitive TriangleFan 0x1c4 4"));
}

TEST_F(GfxRecording, IndexedDrawsCheckEveryIndex)
{
    ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
    auto quad = Quad(0, 0, 10, 10, 0xFFFFFFFF);
    const uint16_t good[] = {0, 1, 2, 0, 2, 3};
    const uint16_t bad[] = {0, 1, 2, 0, 2, 4};
    EXPECT_EQ(device->DrawIndexedPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, quad.data(), 4, bad, 6),
              GfxResult::InvalidArg);
    EXPECT_EQ(device->DrawIndexedPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, quad.data(), 4, nullptr, 6),
              GfxResult::InvalidPointer);
    EXPECT_EQ(device->DrawIndexedPrimitive(GfxPrimitive::TriangleList, 0x1000, quad.data(), 4, good, 6),
              GfxResult::InvalidArg);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    EXPECT_EQ(device->DrawIndexedPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, quad.data(), 4, good, 6),
              GfxResult::Ok);
    ASSERT_EQ(GfxRecordingLog().draws.size(), 1u);
    EXPECT_EQ(GfxRecordingLog().draws[0].indices, std::vector<uint16_t>(good, good + 6));
}

TEST_F(GfxRecording, ViewportMustLieInsideTheBackBuffer)
{
    struct Case {
        GfxViewport v;
        GfxResult r;
    } cases[] = {
        {{0, 0, 800, 600, 0, 1}, GfxResult::Ok},
        {{100, 50, 200, 100, 0, 1}, GfxResult::Ok},
        {{0, 0, 0, 600, 0, 1}, GfxResult::InvalidArg},
        {{0, 0, 800, 0, 0, 1}, GfxResult::InvalidArg},
        {{1, 0, 800, 600, 0, 1}, GfxResult::InvalidArg},
        {{-1, 0, 10, 10, 0, 1}, GfxResult::InvalidArg},
        {{0, 0, 10, 10, 0.5f, 0.25f}, GfxResult::InvalidArg},
        {{0, 0, 10, 10, 0, 1.5f}, GfxResult::InvalidArg},
    };
    for (const Case& c : cases) {
        GfxViewport before = device->GetViewport();
        EXPECT_EQ(device->SetViewport(c.v), c.r) << c.v.x << "," << c.v.y << " " << c.v.width << "x" << c.v.height;
        EXPECT_EQ(device->GetViewport(), c.r == GfxResult::Ok ? c.v : before);
    }
}

TEST_F(GfxRecording, ClearFillsOnlyTheViewportAndTheBackBufferKeepsAlpha)
{
    ASSERT_EQ(device->SetViewport({100, 50, 20, 10, 0, 1}), GfxResult::Ok);
    ASSERT_EQ(device->Clear(GfxClear::Target, 0x00336699, 1.0f), GfxResult::Ok);
    std::vector<uint32_t> px;
    ASSERT_EQ(display->ReadBack({99, 49, 121, 61}, &px), GfxResult::Ok);
    ASSERT_EQ(px.size(), 22u * 12u);
    EXPECT_EQ(px[0], 0xFF000000u);                      // outside: black
    EXPECT_EQ(px[1 * 22 + 1], 0xFF336699u);             // (100, 50), alpha forced
    EXPECT_EQ(px[10 * 22 + 20], 0xFF336699u);           // (119, 59)
    EXPECT_EQ(px[11 * 22 + 21], 0xFF000000u);           // (120, 60)
    EXPECT_EQ(display->ReadBack({0, 0, 801, 1}, &px), GfxResult::InvalidArg);
}

TEST_F(GfxRecording, LightsAndMaterial)
{
    GfxLight l;
    EXPECT_EQ(device->GetLight(0, &l), GfxResult::InvalidArg);   // never set
    // Enabling an unset light enables the default one.
    EXPECT_EQ(device->LightEnable(2, true), GfxResult::Ok);
    EXPECT_TRUE(device->IsLightEnabled(2));
    ASSERT_EQ(device->GetLight(2, &l), GfxResult::Ok);
    EXPECT_EQ(l, GfxDefaultLight());
    EXPECT_EQ(l.type, GfxLightType::Directional);
    EXPECT_EQ(l.direction, (GfxVector{0, 0, 1}));

    GfxLight spot;
    spot.type = GfxLightType::Spot;
    spot.diffuse = {1, 0.5f, 0.25f, 1};
    spot.position = {1, 2, 3};
    spot.phi = 1.0f;
    EXPECT_EQ(device->SetLight(7, spot), GfxResult::Ok);
    ASSERT_EQ(device->GetLight(7, &l), GfxResult::Ok);
    EXPECT_EQ(l, spot);
    EXPECT_FALSE(device->IsLightEnabled(7));
    EXPECT_EQ(device->SetLight(8, spot), GfxResult::InvalidArg);
    EXPECT_EQ(device->LightEnable(8, true), GfxResult::InvalidArg);
    spot.type = 0;
    EXPECT_EQ(device->SetLight(1, spot), GfxResult::InvalidArg);

    GfxMaterial m;
    m.diffuse = {1, 1, 1, 1};
    m.power = 5;
    EXPECT_EQ(device->SetMaterial(m), GfxResult::Ok);
    EXPECT_EQ(device->GetMaterial(), m);
}

TEST_F(GfxRecording, TexturesMustBeThisDisplaysAndAreUnboundWhenDestroyed)
{
    auto other = GfxCreateRecordingDisplay();
    ASSERT_EQ(other->Create(nullptr, {64, 64, 32, false}), GfxResult::Ok);
    GfxSurfaceDesc d;
    d.width = d.height = 8;
    std::unique_ptr<GfxSurface> foreign;
    ASSERT_EQ(other->CreateSurface(d, &foreign), GfxResult::Ok);
    EXPECT_EQ(device->SetTexture(0, foreign.get()), GfxResult::InvalidArg);
    EXPECT_EQ(device->SetTexture(0, display->GetBackBuffer()), GfxResult::InvalidArg);
    EXPECT_EQ(device->SetTexture(1, nullptr), GfxResult::Ok);

    auto tex = Make(8, 8);
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    EXPECT_EQ(device->GetTexture(), tex.get());
    tex.reset();
    EXPECT_EQ(device->GetTexture(), nullptr);
}

TEST_F(GfxRecording, UploadAndLockRoundTrip)
{
    auto s = Make(4, 3);
    const uint32_t pixels[] = {
        0x11000001, 0x22000002, 0x33000003, 0x44000004, 0xDEAD,
        0x55000005, 0x66000006, 0x77000007, 0x88000008, 0xDEAD,
        0x99000009, 0xAA00000A, 0xBB00000B, 0xCC00000C, 0xDEAD,
    };
    ASSERT_EQ(s->Upload(pixels, 5, 4, 3), GfxResult::Ok);   // rows 5 pixels apart
    GfxLocked lk;
    ASSERT_EQ(s->Lock(nullptr, GfxLock::ReadWrite, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pitch, 4u);
    EXPECT_EQ(lk.pixels[0], 0x11000001u);
    EXPECT_EQ(lk.pixels[2 * 4 + 3], 0xCC00000Cu);
    lk.pixels[1 * 4 + 1] = 0x12345678;
    EXPECT_EQ(s->Lock(nullptr, 0, &lk), GfxResult::Failed);     // already locked
    EXPECT_EQ(s->Fill(nullptr, 0), GfxResult::Failed);          // busy while locked
    ASSERT_EQ(s->Unlock(), GfxResult::Ok);
    EXPECT_EQ(s->Unlock(), GfxResult::Failed);

    // A rectangle lock points at its corner and keeps the surface's pitch.
    GfxRect r{1, 1, 3, 3};
    ASSERT_EQ(s->Lock(&r, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pitch, 4u);
    EXPECT_EQ(lk.pixels[0], 0x12345678u);
    EXPECT_EQ(lk.pixels[4 + 1], 0xBB00000Bu);
    lk.pixels[0] = 0;                                           // read-only: not written back
    ASSERT_EQ(s->Unlock(), GfxResult::Ok);
    std::vector<uint32_t> out(12);
    ASSERT_EQ(s->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[5], 0x12345678u);
    s->Unlock();

    GfxRect outside{3, 0, 5, 1};
    EXPECT_EQ(s->Lock(&outside, 0, &lk), GfxResult::InvalidArg);
    EXPECT_EQ(s->Upload(nullptr, 4, 4, 3), GfxResult::InvalidPointer);
    EXPECT_EQ(s->Upload(pixels, 3, 4, 3), GfxResult::InvalidArg);
}

TEST_F(GfxRecording, SurfacesWithoutAlphaReadOpaque)
{
    auto s = Make(2, 2, false);
    EXPECT_FALSE(s->HasAlpha());
    EXPECT_EQ(s->PixelFormat().alphaMask, 0u);
    const uint32_t pixels[] = {0x00112233, 0x7F445566, 0x00000000, 0x01010101};
    ASSERT_EQ(s->Upload(pixels, 2, 2, 2), GfxResult::Ok);
    GfxLocked lk;
    ASSERT_EQ(s->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], 0xFF112233u);
    EXPECT_EQ(lk.pixels[1], 0xFF445566u);
    EXPECT_EQ(lk.pixels[2], 0xFF000000u);
    s->Unlock();
    ASSERT_EQ(s->Fill(nullptr, 0), GfxResult::Ok);
    ASSERT_EQ(s->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[3], 0xFF000000u);
    s->Unlock();
    EXPECT_EQ(display->GetPixelFormat().alphaMask, 0u);
}

TEST_F(GfxRecording, FillAndBlitRectangles)
{
    auto a = Make(8, 8);
    auto b = Make(8, 8);
    ASSERT_EQ(a->Fill(nullptr, 0), GfxResult::Ok);
    GfxRect r{2, 3, 5, 4};
    ASSERT_EQ(a->Fill(&r, 0x80FF00FF), GfxResult::Ok);
    GfxRect bad{2, 3, 9, 4};
    EXPECT_EQ(a->Fill(&bad, 0), GfxResult::InvalidArg);
    GfxRect empty{2, 3, 2, 4};
    EXPECT_EQ(a->Fill(&empty, 0), GfxResult::InvalidArg);

    ASSERT_EQ(b->Fill(nullptr, 0xFF000000), GfxResult::Ok);
    ASSERT_EQ(b->BltFast(0, 0, a.get(), &r), GfxResult::Ok);   // 3x1 to the corner
    GfxLocked lk;
    ASSERT_EQ(b->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], 0x80FF00FFu);
    EXPECT_EQ(lk.pixels[2], 0x80FF00FFu);
    EXPECT_EQ(lk.pixels[3], 0xFF000000u);
    EXPECT_EQ(lk.pixels[8], 0xFF000000u);
    b->Unlock();

    // Overlapping copy within one surface reads the source before writing.
    const uint32_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(b->Upload(row, 8, 8, 1), GfxResult::Ok);
    GfxRect src{0, 0, 6, 1};
    ASSERT_EQ(b->BltFast(2, 0, b.get(), &src), GfxResult::Ok);
    ASSERT_EQ(b->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    const uint32_t expected[8] = {1, 2, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::vector<uint32_t>(lk.pixels, lk.pixels + 8), std::vector<uint32_t>(expected, expected + 8));
    b->Unlock();

    // Stretching a flat colour keeps it; rectangles outside fail.
    GfxRect whole{0, 0, 8, 8};
    GfxRect corner{0, 0, 2, 2};
    ASSERT_EQ(a->Fill(&corner, 0xFF204060), GfxResult::Ok);
    ASSERT_EQ(b->Blt(&whole, a.get(), &corner), GfxResult::Ok);
    ASSERT_EQ(b->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[7 * 8 + 7], 0xFF204060u);
    EXPECT_EQ(lk.pixels[3 * 8 + 4], 0xFF204060u);
    b->Unlock();
    GfxRect beyond{4, 4, 9, 9};
    EXPECT_EQ(b->Blt(&beyond, a.get(), nullptr), GfxResult::InvalidArg);
    EXPECT_EQ(b->Blt(nullptr, nullptr, nullptr), GfxResult::InvalidPointer);

    // The back buffer takes a texture but keeps alpha 255.
    GfxSurface* back = display->GetBackBuffer();
    ASSERT_EQ(back->BltFast(10, 10, a.get(), &r), GfxResult::Ok);
    std::vector<uint32_t> px;
    ASSERT_EQ(display->ReadBack({10, 10, 13, 11}, &px), GfxResult::Ok);
    EXPECT_EQ(px[0], 0xFFFF00FFu);
}

TEST_F(GfxRecording, StretchBlitFiltersLinearly)
{
    auto a = Make(2, 1);
    auto b = Make(4, 1);
    const uint32_t two[] = {0xFF000000, 0xFFFFFFFF};
    ASSERT_EQ(a->Upload(two, 2, 2, 1), GfxResult::Ok);
    ASSERT_EQ(b->Blt(nullptr, a.get(), nullptr), GfxResult::Ok);
    GfxLocked lk;
    ASSERT_EQ(b->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    // Centres at 0.25/0.75 of a texel from the edges: 0, 1/4, 3/4, 1.
    EXPECT_EQ(lk.pixels[0], 0xFF000000u);
    EXPECT_EQ(lk.pixels[1], 0xFF404040u);
    EXPECT_EQ(lk.pixels[2], 0xFFBFBFBFu);
    EXPECT_EQ(lk.pixels[3], 0xFFFFFFFFu);
    b->Unlock();
}

TEST_F(GfxRecording, SurfaceOutlivingItsDisplayAnswersNotCreated)
{
    auto s = Make(4, 4);
    display.reset();
    device = nullptr;
    GfxLocked lk;
    EXPECT_EQ(s->Lock(nullptr, 0, &lk), GfxResult::NotCreated);
    EXPECT_EQ(s->Fill(nullptr, 0), GfxResult::NotCreated);
    EXPECT_EQ(s->Restore(), GfxResult::NotCreated);
    s.reset();   // no crash
}

TEST_F(GfxRecording, ReleaseDropsTheDeviceButKeepsSurfaces)
{
    auto s = Make(4, 4);
    display->Release();
    EXPECT_FALSE(display->IsCreated());
    EXPECT_EQ(display->GetDevice(), nullptr);
    EXPECT_EQ(display->GetBackBuffer(), nullptr);
    EXPECT_EQ(display->Present(), GfxResult::NotCreated);
    EXPECT_EQ(display->CopyFrontToBack(), GfxResult::NotCreated);
    EXPECT_EQ(s->Fill(nullptr, 0x12345678), GfxResult::Ok);
    ASSERT_EQ(display->Create(nullptr, {640, 480, 32, true}), GfxResult::Ok);
    EXPECT_EQ(display->GetDevice()->GetViewport().width, 640);
    EXPECT_TRUE(display->GetMode().fullScreen);
}

TEST_F(GfxRecording, FullScreenMapsTheMouseThroughTheLetterbox)
{
    GfxDesktop desk{-1, 1280, 1024};
    GfxInjectDesktop(&desk);
    ASSERT_EQ(display->Create(nullptr, {800, 600, 32, true}), GfxResult::Ok);
    EXPECT_EQ(display->GetPresentRect(), (GfxRect{0, 32, 1280, 992}));
    struct Case {
        int32_t wx, wy, x, y;
        bool inside;
    } cases[] = {
        {0, 32, 0, 0, true},
        {1279, 991, 799, 599, true},
        {640, 512, 400, 300, true},
        {1, 33, 0, 0, true},
        {2, 35, 1, 1, true},
        {640, 10, 400, 0, false},      // the bar above: clamped to the top row
        {640, 1000, 400, 599, false},
    };
    for (const Case& c : cases) {
        int32_t x = -1, y = -1;
        EXPECT_EQ(display->WindowToLogical(c.wx, c.wy, &x, &y), c.inside) << c.wx << "," << c.wy;
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    // Back and forth lands on the same logical pixel.
    for (int32_t lx : {0, 1, 2, 399, 798, 799}) {
        int32_t wx, wy, x, y;
        display->LogicalToWindow(lx, lx % 600, &wx, &wy);
        EXPECT_TRUE(display->WindowToLogical(wx, wy, &x, &y));
        EXPECT_EQ(x, lx);
        EXPECT_EQ(y, lx % 600);
    }
    // Windowed: the identity.
    ASSERT_EQ(display->Create(nullptr, {800, 600, 32, false}), GfxResult::Ok);
    int32_t x, y;
    EXPECT_TRUE(display->WindowToLogical(123, 456, &x, &y));
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 456);
}

TEST_F(GfxRecording, PresentCountsAndCursorCalls)
{
    EXPECT_EQ(display->PresentOnly(), GfxResult::Ok);   // nothing shown yet: no-op
    EXPECT_EQ(display->PresentCount(), 0u);
    EXPECT_EQ(display->Present(), GfxResult::Ok);
    EXPECT_EQ(display->PresentOnly(), GfxResult::Ok);
    EXPECT_EQ(display->PresentCount(), 1u);
    EXPECT_EQ(GfxRecordingLog().presents, 1u);
    EXPECT_TRUE(GfxRecordingLog().Has("PresentOnly"));
    auto img = Make(4, 4);
    EXPECT_EQ(display->SetCursorImage(img.get(), 2, 2, true), GfxResult::Ok);
    EXPECT_TRUE(GfxRecordingLog().Has("SetCursorImage 4x4 hot 2,2 keyed"));
    EXPECT_TRUE(display->IsFlipDone());
    EXPECT_EQ(display->FlipToGdiSurface(), GfxResult::Ok);
    EXPECT_EQ(display->CopyFrontToBack(), GfxResult::Ok);
    std::vector<uint32_t> px;
    EXPECT_EQ(display->ReadFront({0, 0, 1, 1}, &px), GfxResult::Failed);
}

TEST(GfxBackendChoice, CreateDisplayFollowsTheSelectedBackend)
{
    GfxRecordingLog().Clear();
    GfxSetBackend(GfxBackend::Recording);
    auto d = GfxCreateDisplay();
    EXPECT_EQ(d->GetIdentifier().renderer, "Recording device");
    GfxSetBackend(GfxBackend::Gl);
    EXPECT_EQ(GfxGetBackend(), GfxBackend::Gl);
    // The GL display cannot be made on a window without an SDL window.
    auto gl = GfxCreateDisplay();
    EXPECT_EQ(gl->Create(nullptr, {800, 600, 32, false}), GfxResult::Failed);
    EXPECT_FALSE(gl->IsCreated());
}

} // namespace
