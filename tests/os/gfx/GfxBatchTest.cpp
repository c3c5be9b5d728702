// The GL device gathers consecutive draws with the same state into one GL
// draw call. What lands in the back buffer must be what the draws made one
// at a time give, and everything that reads or writes pixels, or changes
// what the gathered draws use, must see them drawn first.
#include <functional>

#include "GfxPixelSupport.h"
#include "os/gfx/gl/GfxGl.h"

namespace {

class GfxBatching : public GfxPixels {
protected:
    GfxGlDevice* gl = nullptr;

    void SetUp() override
    {
        GfxPixels::SetUp();
        if (HasFatalFailure())
            return;
        gl = dynamic_cast<GfxGlDevice*>(device);
        ASSERT_NE(gl, nullptr);
        ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
        ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
    }

    // GL draw calls so far, gathered draws included (a read-back sends them).
    uint32_t Calls()
    {
        Pixel(799, 599);
        return gl->DrawCalls();
    }

    std::vector<uint32_t> Read(const GfxRect& r)
    {
        std::vector<uint32_t> px;
        EXPECT_EQ(display->ReadBack(r, &px), GfxResult::Ok);
        return px;
    }

    void ScreenQuad(float x, float y, float size, uint32_t colour)
    {
        Quad(x - 0.5f, y - 0.5f, x + size - 0.5f, y + size - 0.5f, colour);
    }

    void DrawScene(GfxSurface* texA, GfxSurface* texB, bool alone);
};

std::vector<uint32_t> Checker(uint32_t a, uint32_t b)
{
    std::vector<uint32_t> px(16);
    for (uint32_t i = 0; i < 16; ++i)
        px[i] = ((i ^ (i >> 2)) & 1) ? a : b;
    return px;
}

// A scene with every kind of state change between draws. With alone set, a
// read-back after each draw sends it to GL by itself.
void GfxBatching::DrawScene(GfxSurface* texA, GfxSurface* texB, bool alone)
{
    auto sync = [&] {
        if (alone)
            Pixel(799, 599);
    };
    auto screenDraw = [&](GfxPrimitive p, const GfxScreenVertex* v, uint32_t n) {
        ASSERT_EQ(device->DrawPrimitive(p, GfxFvf::Screen, v, n), GfxResult::Ok);
        sync();
    };
    auto quad = [&](float x, float y, float s, uint32_t c, float u1 = 1, float v1 = 1) {
        GfxScreenVertex v[4] = {{x, y, 0, 1, c, 0, 0, 0},
                                {x + s, y, 0, 1, c, 0, u1, 0},
                                {x + s, y + s, 0, 1, c, 0, u1, v1},
                                {x, y + s, 0, 1, c, 0, 0, v1}};
        screenDraw(GfxPrimitive::TriangleFan, v, 4);
    };
    auto blend = [&](uint32_t src, uint32_t dst) {
        device->SetRenderState(GfxRs::AlphaBlendEnable, 1);
        device->SetRenderState(GfxRs::SrcBlend, src);
        device->SetRenderState(GfxRs::DestBlend, dst);
    };

    // Overlapping blended quads: their order inside one call matters.
    blend(GfxBlend::SrcAlpha, GfxBlend::InvSrcAlpha);
    device->SetTexture(0, texA);
    device->SetTextureStageState(0, GfxTss::AlphaOp, GfxTop::Modulate);
    for (int i = 0; i < 6; ++i) {
        blend(GfxBlend::SrcAlpha, GfxBlend::InvSrcAlpha);   // the same values again
        device->SetTexture(0, i == 3 ? texB : texA);
        quad(10.0f + 7 * i, 10.0f + 3 * i, 24, 0xC0FFFFFF - 0x100000u * uint32_t(i), 2, 2);
    }
    // A state changed and changed back before the next draw.
    device->SetRenderState(GfxRs::DestBlend, GfxBlend::One);
    device->SetRenderState(GfxRs::DestBlend, GfxBlend::InvSrcAlpha);
    quad(30, 40, 20, 0x80FF8040);
    blend(GfxBlend::One, GfxBlend::One);   // additive
    quad(40, 44, 20, 0xFF402010);
    quad(44, 48, 20, 0xFF102040);

    // Strips and fans of several triangles, Gouraud and flat, culled by
    // their winding as the original device culls them.
    device->SetRenderState(GfxRs::AlphaBlendEnable, 0);
    device->SetTextureStageState(0, GfxTss::ColorOp, GfxTop::SelectArg2);
    device->SetTextureStageState(0, GfxTss::AlphaOp, GfxTop::SelectArg2);
    const uint32_t c[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    GfxScreenVertex strip[6], fan[6];
    for (int i = 0; i < 6; ++i) {
        strip[i] = {100.0f + 12 * (i / 2), 10.0f + 20 * (i % 2), 0, 1, c[i], 0, 0, 0};
        fan[i] = {130.0f + (i ? 25 * std::cos(0.9f * float(i - 1)) : 0),
                  80.0f + (i ? 25 * std::sin(0.9f * float(i - 1)) : 0), 0, 1, c[i], 0, 0, 0};
    }
    screenDraw(GfxPrimitive::TriangleStrip, strip, 6);
    screenDraw(GfxPrimitive::TriangleFan, fan, 6);
    for (uint32_t cull : {GfxCull::CW, GfxCull::CCW}) {
        device->SetRenderState(GfxRs::CullMode, cull);
        for (auto& v : strip)
            v.y += 30;
        for (auto& v : fan)
            v.x += 60;
        screenDraw(GfxPrimitive::TriangleStrip, strip, 6);
        screenDraw(GfxPrimitive::TriangleFan, fan, 6);
    }
    device->SetRenderState(GfxRs::CullMode, GfxCull::None);
    device->SetRenderState(GfxRs::ShadeMode, GfxShade::Flat);
    for (auto& v : strip)
        v.y += 30;
    for (auto& v : fan)
        v.x += 60;
    screenDraw(GfxPrimitive::TriangleStrip, strip, 6);
    screenDraw(GfxPrimitive::TriangleFan, fan, 6);
    const uint16_t indices[9] = {0, 1, 2, 2, 1, 3, 3, 4, 5};
    for (auto& v : strip)
        v.y += 30;
    ASSERT_EQ(device->DrawIndexedPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, strip, 6, indices, 9),
              GfxResult::Ok);
    sync();
    device->SetRenderState(GfxRs::ShadeMode, GfxShade::Gouraud);

    // Lines and points between triangles.
    GfxScreenVertex line[4] = {{200, 10.5f, 0, 1, c[0], 0, 0, 0}, {260, 30.5f, 0, 1, c[1], 0, 0, 0},
                               {210, 60.5f, 0, 1, c[2], 0, 0, 0}, {280, 15.5f, 0, 1, c[3], 0, 0, 0}};
    screenDraw(GfxPrimitive::LineStrip, line, 4);
    for (auto& v : line)
        v.y += 50;
    screenDraw(GfxPrimitive::LineList, line, 4);
    for (auto& v : line)
        v.y += 50;
    screenDraw(GfxPrimitive::PointList, line, 4);

    // A smaller viewport clips the draws after it.
    device->SetViewport({200, 150, 40, 30, 0, 1});
    quad(190, 140, 30, 0xFF808080);
    device->SetViewport({0, 0, 800, 600, 0, 1});
    quad(230, 170, 30, 0xFF408080);

    // Transformed vertices under world matrices that change between draws.
    device->SetTransform(GfxTransform::Projection, Ortho(0.5f, 800.5f, 0.5f, 600.5f, 0.1f, 1000.0f));
    device->SetTextureStageState(0, GfxTss::ColorOp, GfxTop::Modulate);
    device->SetTextureStageState(0, GfxTss::AlphaOp, GfxTop::SelectArg1);
    device->SetTexture(0, texB);
    GfxLitVertex lit[4] = {{0, 0, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}, {20, 0, 0.5f, 0, 0xFFFFFFFF, 0, 1, 0},
                           {20, 20, 0.5f, 0, 0xFFFFFFFF, 0, 1, 1}, {0, 20, 0.5f, 0, 0xFFFFFFFF, 0, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        GfxMatrix world;
        world.m[12] = 300.0f + 22 * float(i / 2);
        world.m[13] = 10.0f + 22 * float(i % 2);
        device->SetTransform(GfxTransform::World, world);
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Lit, lit, 4), GfxResult::Ok);
        sync();
    }

    // Lit meshes: a light change between two draws.
    GfxMaterial m;
    m.diffuse = {1, 1, 1, 1};
    device->SetMaterial(m);
    device->SetRenderState(GfxRs::Lighting, 1);
    device->SetTexture(0, nullptr);
    GfxLight light = GfxDefaultLight();
    device->SetLight(0, light);
    device->LightEnable(0, true);
    GfxMeshVertex mesh[3] = {{0, 0, 0.5f, 0, 0, -1, 0, 0}, {30, 0, 0.5f, 0, 0, -1, 0, 0},
                             {0, 30, 0.5f, 0, 0, -1, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        GfxMatrix world;
        world.m[12] = 300.0f + 35 * float(i);
        world.m[13] = 80.0f;
        device->SetTransform(GfxTransform::World, world);
        light.diffuse = {1.0f - 0.3f * float(i / 2), 0.5f, 0.25f, 1};
        device->SetLight(0, light);
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Mesh, mesh, 3), GfxResult::Ok);
        sync();
    }
    device->SetRenderState(GfxRs::Lighting, 0);
}

TEST_F(GfxBatching, GatheredDrawsGiveThePictureOfDrawsMadeOneByOne)
{
    auto texA = Texture(4, 4, Checker(0xFFFFFFFF, 0x80FF0000));
    auto texB = Texture(4, 4, Checker(0xFF00FF00, 0x400000FF));
    const GfxRect area{0, 0, 420, 240};

    uint32_t before = Calls();
    DrawScene(texA.get(), texB.get(), true);
    ASSERT_FALSE(HasFatalFailure());
    const uint32_t aloneCalls = Calls() - before;
    const std::vector<uint32_t> alone = Read(area);

    // The same again from the same state, gathered.
    ASSERT_EQ(device->Clear(GfxClear::Target | GfxClear::ZBuffer, 0xFF000000, 1.0f), GfxResult::Ok);
    device->ResetState(800, 600);
    ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
    before = Calls();
    DrawScene(texA.get(), texB.get(), false);
    ASSERT_FALSE(HasFatalFailure());
    const uint32_t gatheredCalls = Calls() - before;
    const std::vector<uint32_t> gathered = Read(area);

    EXPECT_LT(gatheredCalls, aloneCalls);
    ASSERT_EQ(alone.size(), gathered.size());
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < alone.size(); ++i) {
        if (alone[i] != gathered[i] && differing++ == 0)
            first = i;
    }
    EXPECT_EQ(differing, 0u) << "first at " << first % size_t(area.Width()) << "," << first / size_t(area.Width())
                             << ": " << std::hex << alone[first] << " drawn alone, " << gathered[first]
                             << " gathered";
    // The scene drew something in each part.
    for (GfxRect r : {GfxRect{10, 10, 80, 70}, GfxRect{100, 10, 160, 200}, GfxRect{200, 10, 290, 170},
                      GfxRect{300, 10, 410, 120}})
        EXPECT_NE(Covered(r), GfxRect{}) << r.left << "," << r.top;
}

// Strips and fans go to GL as triangle lists: each triangle keeps its
// winding (all of a strip's triangles face the way its first one does) and
// its flat colour (a strip's triangle k takes vertex k, a fan's vertex k + 1).
TEST_F(GfxBatching, StripsAndFansKeepTheirWindingAndFlatColours)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::ShadeMode, GfxShade::Flat), GfxResult::Ok);
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::ColorOp, GfxTop::SelectArg2), GfxResult::Ok);
    const uint32_t c[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    // A zigzag strip whose first triangle is counter-clockwise on the
    // screen, and a fan going clockwise round its hub.
    GfxScreenVertex strip[6], fan[6];
    for (int i = 0; i < 6; ++i) {
        strip[i] = {20.0f * float(i / 2), 30.0f * float(i % 2), 0, 1, c[i], 0, 0, 0};
        float a = 0.6f * float(i - 1);
        fan[i] = {i ? 40 * std::cos(a) : 0.0f, i ? 40 * std::sin(a) : 0.0f, 0, 1, c[i], 0, 0, 0};
    }
    // The strip again through indices into its vertices stored backwards.
    GfxScreenVertex backwards[6];
    uint16_t indices[6];
    for (int i = 0; i < 6; ++i) {
        backwards[5 - i] = strip[i];
        indices[i] = uint16_t(5 - i);
    }
    struct Case {
        uint32_t cull;
        bool stripShows, fanShows;
    } cases[] = {{GfxCull::None, true, true}, {GfxCull::CW, true, false}, {GfxCull::CCW, false, true}};
    float y = 10;
    for (const Case& k : cases) {
        ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, k.cull), GfxResult::Ok);
        auto at = [](GfxScreenVertex* v, float x0, float y0) {
            for (int i = 0; i < 6; ++i) {
                v[i].x += x0;
                v[i].y += y0;
            }
        };
        GfxScreenVertex s1[6], s2[6], f[6];
        std::copy(strip, strip + 6, s1);
        std::copy(backwards, backwards + 6, s2);
        std::copy(fan, fan + 6, f);
        at(s1, 10, y);
        at(s2, 80, y);
        at(f, 200, y + 10);
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleStrip, GfxFvf::Screen, s1, 6), GfxResult::Ok);
        ASSERT_EQ(device->DrawIndexedPrimitive(GfxPrimitive::TriangleStrip, GfxFvf::Screen, s2, 6, indices, 6),
                  GfxResult::Ok);
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Screen, f, 6), GfxResult::Ok);
        // The pixel at a triangle's centroid.
        auto centre = [&](const GfxScreenVertex* v, int i, int j, int l, int dx) {
            return Pixel(int32_t((v[i].x + v[j].x + v[l].x) / 3) + dx, int32_t((v[i].y + v[j].y + v[l].y) / 3));
        };
        for (int t = 0; t < 4; ++t) {
            uint32_t want = k.stripShows ? c[t] : 0xFF000000u;
            EXPECT_EQ(centre(s1, t, t + 1, t + 2, 0), want) << "strip triangle " << t << " cull " << k.cull;
            EXPECT_EQ(centre(s1, t, t + 1, t + 2, 70), want) << "indexed strip triangle " << t << " cull " << k.cull;
            want = k.fanShows ? c[t + 1] : 0xFF000000u;
            EXPECT_EQ(centre(f, 0, t + 1, t + 2, 0), want) << "fan triangle " << t << " cull " << k.cull;
        }
        y += 60;
    }
}

TEST_F(GfxBatching, DrawsShareACallUntilTheStateReallyChanges)
{
    auto texA = Texture(4, 4, Checker(0xFFFFFFFF, 0xFF000000));
    auto texB = Texture(4, 4, Checker(0xFF00FF00, 0xFF000000));
    struct Case {
        const char* what;
        int draws;
        std::function<void(int)> before;   // runs before draw i
        uint32_t calls;
    } cases[] = {
        {"one state", 100, [](int) {}, 1},
        {"the same values set again", 100,
         [&](int) {
             device->SetRenderState(GfxRs::AlphaBlendEnable, 0);
             device->SetTextureStageState(0, GfxTss::ColorOp, GfxTop::Modulate);
             device->SetTexture(0, texA.get());
             device->SetTransform(GfxTransform::World, GfxMatrix());
             device->SetViewport({0, 0, 800, 600, 0, 1});
         },
         1},
        {"a texture change every 10 draws", 100,
         [&](int i) { device->SetTexture(0, (i / 10) % 2 ? texB.get() : texA.get()); }, 10},
        {"a blend change every draw", 20,
         [&](int i) { device->SetRenderState(GfxRs::AlphaBlendEnable, uint32_t(i % 2)); }, 20},
        // Screen vertices do not use the transforms, unlit draws not the
        // lights.
        {"transforms and lights unused", 50,
         [&](int i) {
             GfxMatrix world;
             world.m[12] = float(i);
             device->SetTransform(GfxTransform::World, world);
             GfxLight l = GfxDefaultLight();
             l.diffuse.r = float(i) / 50;
             device->SetLight(1, l);
         },
         1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(device->SetTexture(0, texA.get()), GfxResult::Ok);
        const uint32_t before = Calls();
        for (int i = 0; i < c.draws; ++i) {
            c.before(i);
            ScreenQuad(float(i % 40) * 20, float(i / 40) * 20, 16, 0xFFFFFFFF);
        }
        EXPECT_EQ(Calls() - before, c.calls) << c.what;
    }
    // Another vertex format or another kind of primitive starts a new call.
    const uint32_t before = Calls();
    ScreenQuad(10, 10, 8, 0xFFFFFFFF);
    GfxLitVertex lit[3] = {{0, 0, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}, {8, 0, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0},
                           {0, 8, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Lit, lit, 3), GfxResult::Ok);
    GfxScreenVertex line[2] = {{0, 0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0}, {10, 0.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::LineList, GfxFvf::Screen, line, 2), GfxResult::Ok);
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::LineStrip, GfxFvf::Screen, line, 2), GfxResult::Ok);
    EXPECT_EQ(Calls() - before, 3u);
}

TEST_F(GfxBatching, PixelOperationsSeeTheDrawsBeforeThemAndNotThoseAfter)
{
    GfxSurface* back = display->GetBackBuffer();
    GfxLocked lk;

    // A lock of the back buffer reads the draws so far.
    ScreenQuad(10, 10, 10, 0xFFFF0000);
    ASSERT_EQ(back->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[15 * lk.pitch + 15], 0xFFFF0000u);
    back->Unlock();

    // A fill of the back buffer covers the draws before it; the draws after
    // it cover the fill.
    ScreenQuad(30, 10, 10, 0xFF00FF00);
    GfxRect fill{25, 5, 45, 25};
    ASSERT_EQ(back->Fill(&fill, 0xFF0000FF), GfxResult::Ok);
    ScreenQuad(40, 10, 10, 0xFFFFFF00);
    EXPECT_EQ(Pixel(32, 12), 0xFF0000FFu);
    EXPECT_EQ(Pixel(42, 12), 0xFFFFFF00u);

    // Clear likewise.
    ScreenQuad(60, 10, 10, 0xFF00FF00);
    ASSERT_EQ(device->SetViewport({55, 5, 30, 30, 0, 1}), GfxResult::Ok);
    ASSERT_EQ(device->Clear(GfxClear::Target, 0xFF202020, 1.0f), GfxResult::Ok);
    ScreenQuad(70, 10, 10, 0xFFFF00FF);
    ASSERT_EQ(device->SetViewport({0, 0, 800, 600, 0, 1}), GfxResult::Ok);
    EXPECT_EQ(Pixel(62, 12), 0xFF202020u);
    EXPECT_EQ(Pixel(72, 12), 0xFFFF00FFu);

    // Pixels copied out of the back buffer into a texture (the end of a
    // render-to-texture pass) include the draws so far; drawing with that
    // texture next shows them.
    auto tex = Texture(16, 16, {});
    ScreenQuad(100, 100, 16, 0xFF00FFFF);
    GfxRect src{100, 100, 116, 116};
    ASSERT_EQ(tex->Blt(nullptr, back, &src), GfxResult::Ok);
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    ScreenQuad(200, 100, 16, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(208, 108), 0xFF00FFFFu);

    // And a copy into the back buffer lands between the draws around it.
    ASSERT_EQ(device->SetTexture(0, nullptr), GfxResult::Ok);
    auto red = Texture(8, 8, std::vector<uint32_t>(64, 0xFFFF0000));
    ScreenQuad(300, 100, 8, 0xFF00FF00);
    ASSERT_EQ(back->BltFast(300, 100, red.get(), nullptr), GfxResult::Ok);
    ScreenQuad(304, 104, 8, 0xFF0000FF);
    EXPECT_EQ(Pixel(301, 101), 0xFFFF0000u);
    EXPECT_EQ(Pixel(305, 105), 0xFF0000FFu);
}

TEST_F(GfxBatching, TexelsChangedBetweenDrawsShowOnlyInTheLaterDraws)
{
    auto tex = Texture(1, 1, {0xFFFF0000});
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    const uint32_t green = 0xFF00FF00, blue = 0xFF0000FF, white = 0xFFFFFFFF;

    ScreenQuad(10, 10, 8, white);
    ASSERT_EQ(tex->Upload(&green, 1, 1, 1), GfxResult::Ok);
    ScreenQuad(20, 10, 8, white);
    GfxLocked lk;
    ASSERT_EQ(tex->Lock(nullptr, 0, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], green);
    lk.pixels[0] = blue;
    ASSERT_EQ(tex->Unlock(), GfxResult::Ok);
    ScreenQuad(30, 10, 8, white);
    ASSERT_EQ(tex->Fill(nullptr, white), GfxResult::Ok);
    ScreenQuad(40, 10, 8, white);

    EXPECT_EQ(Pixel(12, 12), 0xFFFF0000u);
    EXPECT_EQ(Pixel(22, 12), green);
    EXPECT_EQ(Pixel(32, 12), blue);
    EXPECT_EQ(Pixel(42, 12), white);
}

TEST_F(GfxBatching, ATextureReleasedBehindGatheredDrawsIsDrawnFirst)
{
    auto gone = Texture(1, 1, {0xFF00FF00});
    ASSERT_EQ(device->SetTexture(0, gone.get()), GfxResult::Ok);
    ScreenQuad(10, 10, 8, 0xFFFFFFFF);
    gone.reset();
    // A new texture may take the old one's GL name.
    auto next = Texture(1, 1, {0xFFFF0000});
    ASSERT_EQ(device->SetTexture(0, next.get()), GfxResult::Ok);
    ScreenQuad(20, 10, 8, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(12, 12), 0xFF00FF00u);
    EXPECT_EQ(Pixel(22, 12), 0xFFFF0000u);
}

TEST_F(GfxBatching, PresentShowsEveryDrawOfTheFrame)
{
    ScreenQuad(10, 10, 8, 0xFF00FF00);
    ScreenQuad(20, 10, 8, 0xFFFF0000);
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    ASSERT_EQ(display->Present(), GfxResult::Ok);
    std::vector<uint32_t> front;
    ASSERT_EQ(display->ReadFront({10, 10, 28, 11}, &front), GfxResult::Ok);
    EXPECT_EQ(front[2], 0xFF00FF00u);
    EXPECT_EQ(front[12], 0xFFFF0000u);
}

} // namespace
