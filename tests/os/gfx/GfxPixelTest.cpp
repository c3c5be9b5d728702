// The GL device draws what the original device drew, pixel for pixel, read
// back from the back buffer in its own coordinates.
#include <cmath>

#include "GfxPixelSupport.h"

namespace {

TEST_F(GfxPixels, ScreenQuadCoversExactlyTheD3DPixels)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    // Edges on half pixels (the usual 2D offset): pixels 10..29 x 20..39.
    Quad(9.5f, 19.5f, 29.5f, 39.5f, 0xFFFF0000);
    EXPECT_EQ(Covered({0, 0, 60, 60}), (GfxRect{10, 20, 30, 40}));
    // Edges on pixel centres: the top-left rule fills the left column and
    // the top row, not the right column or the bottom row.
    Quad(100.0f, 50.0f, 110.0f, 55.0f, 0xFF00FF00);
    EXPECT_EQ(Covered({90, 40, 130, 70}), (GfxRect{100, 50, 110, 55}));
    // A one-pixel quad lands on one pixel.
    Quad(199.5f, 299.5f, 200.5f, 300.5f, 0xFF0000FF);
    EXPECT_EQ(Covered({190, 290, 210, 310}), (GfxRect{200, 300, 201, 301}));
    EXPECT_EQ(Pixel(200, 300), 0xFF0000FFu);
    // The colour is exact and the back buffer's alpha stays 255.
    Quad(299.5f, 9.5f, 309.5f, 19.5f, 0x00123456);
    EXPECT_EQ(Pixel(300, 10), 0xFF123456u);
}

TEST_F(GfxPixels, ScreenVerticesIgnoreTheViewportOrigin)
{
    // Screen vertices are back-buffer pixels; the viewport only clips.
    ASSERT_EQ(device->SetViewport({100, 100, 50, 50, 0, 1}), GfxResult::Ok);
    Quad(89.5f, 89.5f, 129.5f, 129.5f, 0xFFFFFFFF);
    EXPECT_EQ(Covered({0, 0, 200, 200}), (GfxRect{100, 100, 130, 130}));
    // Clear is limited to the viewport as well.
    ASSERT_EQ(device->Clear(GfxClear::Target, 0xFF00FF00, 1.0f), GfxResult::Ok);
    EXPECT_EQ(Pixel(100, 100), 0xFF00FF00u);
    EXPECT_EQ(Pixel(149, 149), 0xFF00FF00u);
    EXPECT_EQ(Pixel(150, 149), 0xFF000000u);
    EXPECT_EQ(Pixel(99, 120), 0xFF000000u);
}

TEST_F(GfxPixels, TransformedQuadUnderAnOrthoProjectionLandsLikeAScreenQuad)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
    // The 2D set-up of the renderer: an ortho over the viewport shifted by
    // the -0.5 pixel offset, so integer corners cover whole pixels.
    ASSERT_EQ(device->SetTransform(GfxTransform::Projection, Ortho(0.5f, 800.5f, 0.5f, 600.5f, 0.1f, 1000.0f)),
              GfxResult::Ok);
    GfxLitVertex v[4] = {{10, 20, 0.5f, 0, 0xFFFF8000, 0xFF000000, 0, 0},
                         {30, 20, 0.5f, 0, 0xFFFF8000, 0xFF000000, 1, 0},
                         {30, 40, 0.5f, 0, 0xFFFF8000, 0xFF000000, 1, 1},
                         {10, 40, 0.5f, 0, 0xFFFF8000, 0xFF000000, 0, 1}};
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Lit, v, 4), GfxResult::Ok);
    EXPECT_EQ(Covered({0, 0, 60, 60}), (GfxRect{10, 20, 30, 40}));
    EXPECT_EQ(Pixel(10, 20), 0xFFFF8000u);

    // Inside a viewport at (100, 50) the same ortho (over the viewport's
    // size) puts vertex (0, 0) at the viewport's corner.
    ASSERT_EQ(device->SetViewport({100, 50, 200, 100, 0, 1}), GfxResult::Ok);
    ASSERT_EQ(device->SetTransform(GfxTransform::Projection, Ortho(0.5f, 200.5f, 0.5f, 100.5f, 0.1f, 1000.0f)),
              GfxResult::Ok);
    GfxLitVertex w[4] = {{0, 0, 0.5f, 0, 0xFF00FFFF, 0, 0, 0},
                         {4, 0, 0.5f, 0, 0xFF00FFFF, 0, 1, 0},
                         {4, 2, 0.5f, 0, 0xFF00FFFF, 0, 1, 1},
                         {0, 2, 0.5f, 0, 0xFF00FFFF, 0, 0, 1}};
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Lit, w, 4), GfxResult::Ok);
    EXPECT_EQ(Covered({90, 40, 130, 70}), (GfxRect{100, 50, 104, 52}));
}

TEST_F(GfxPixels, TexturesAreSampledTopRowFirst)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    // 2x2: red green / blue white, uploaded top row first.
    auto tex = Texture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    // Point filtering and a linear mip filter on a texture without mip maps:
    // the texture still samples (no incomplete-texture black).
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::MipFilter, GfxMipFilter::Linear), GfxResult::Ok);
    Quad(9.5f, 9.5f, 13.5f, 13.5f, 0xFFFFFFFF);   // 4x4 pixels, 2x2 per texel
    EXPECT_EQ(Pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(Pixel(11, 11), 0xFFFF0000u);
    EXPECT_EQ(Pixel(12, 10), 0xFF00FF00u);
    EXPECT_EQ(Pixel(10, 12), 0xFF0000FFu);
    EXPECT_EQ(Pixel(13, 13), 0xFFFFFFFFu);
    // v = 0 is the top: flipping v puts the bottom row on top.
    Quad(19.5f, 9.5f, 23.5f, 13.5f, 0xFFFFFFFF, 0, 0, 1, 1, 0);
    EXPECT_EQ(Pixel(20, 10), 0xFF0000FFu);
    EXPECT_EQ(Pixel(20, 12), 0xFFFF0000u);
    // The vertex colour modulates the texel.
    Quad(29.5f, 9.5f, 33.5f, 13.5f, 0xFF808080);
    EXPECT_LE(GfxColourDistance(Pixel(30, 10), 0xFF800000u), 1);
    // Lock reads the rows back top first as well.
    GfxLocked lk;
    ASSERT_EQ(tex->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(lk.pixels[lk.pitch], 0xFF0000FFu);
    tex->Unlock();
}

TEST_F(GfxPixels, AddressModesAndFilters)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    auto tex = Texture(2, 1, {0xFF000000, 0xFFFFFFFF});
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    struct Case {
        uint32_t address;
        uint32_t expected[4];   // u from 0 to 2 over 4 pixels: texel centres at u 0.25 .. 1.75
    } cases[] = {
        {GfxAddress::Wrap, {0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
        {GfxAddress::Mirror, {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}},
        {GfxAddress::Clamp, {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}},
    };
    float y = 9.5f;
    for (const Case& c : cases) {
        ASSERT_EQ(device->SetTextureStageState(0, GfxTss::AddressU, c.address), GfxResult::Ok);
        Quad(9.5f, y, 13.5f, y + 1, 0xFFFFFFFF, 0, 0, 0, 2, 1);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Pixel(10 + i, int32_t(y + 0.5f)), c.expected[i]) << "address " << c.address << " x " << i;
        y += 2;
    }
    // Linear magnification blends neighbouring texels.
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::AddressU, GfxAddress::Clamp), GfxResult::Ok);
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::MagFilter, GfxMagFilter::Linear), GfxResult::Ok);
    Quad(9.5f, 29.5f, 13.5f, 33.5f, 0xFFFFFFFF);   // magnified both ways
    EXPECT_EQ(Pixel(10, 30), 0xFF000000u);
    EXPECT_LE(GfxColourDistance(Pixel(11, 30), 0xFF404040u), 2);
    EXPECT_LE(GfxColourDistance(Pixel(12, 30), 0xFFBFBFBFu), 2);
    EXPECT_EQ(Pixel(13, 30), 0xFFFFFFFFu);
}

// Expected blend of one channel (0..255) under the original device's factors.
double Factor(uint32_t f, double s, double sa, double d, double da)
{
    switch (f) {
    case GfxBlend::Zero: return 0;
    case GfxBlend::One: return 1;
    case GfxBlend::SrcColor: return s;
    case GfxBlend::InvSrcColor: return 1 - s;
    case GfxBlend::SrcAlpha: return sa;
    case GfxBlend::InvSrcAlpha: return 1 - sa;
    case GfxBlend::DestAlpha: return da;
    case GfxBlend::InvDestAlpha: return 1 - da;
    case GfxBlend::DestColor: return d;
    case GfxBlend::InvDestColor: return 1 - d;
    }
    return -1;
}

TEST_F(GfxPixels, BlendFactorTable)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaBlendEnable, 1), GfxResult::Ok);
    // Alpha from the vertex: stage 0 modulates texture (none: white) and diffuse.
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::AlphaOp, GfxTop::Modulate), GfxResult::Ok);
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::AlphaArg2, GfxTa::Diffuse), GfxResult::Ok);
    const uint32_t dest = 0xFF604020;
    const uint32_t src = 0x80C08040;   // alpha 128
    const uint32_t factors[] = {GfxBlend::Zero, GfxBlend::One, GfxBlend::SrcColor, GfxBlend::InvSrcColor,
                                GfxBlend::SrcAlpha, GfxBlend::InvSrcAlpha, GfxBlend::DestAlpha,
                                GfxBlend::InvDestAlpha, GfxBlend::DestColor, GfxBlend::InvDestColor};
    int32_t x = 0, y = 0;
    for (uint32_t sf : factors) {
        for (uint32_t df : factors) {
            ASSERT_EQ(device->SetRenderState(GfxRs::SrcBlend, sf), GfxResult::Ok);
            ASSERT_EQ(device->SetRenderState(GfxRs::DestBlend, df), GfxResult::Ok);
            ASSERT_EQ(device->SetViewport({x, y, 2, 2, 0, 1}), GfxResult::Ok);
            ASSERT_EQ(device->Clear(GfxClear::Target, dest, 1.0f), GfxResult::Ok);
            Quad(float(x) - 0.5f, float(y) - 0.5f, float(x) + 1.5f, float(y) + 1.5f, src);
            uint32_t got = Pixel(x, y);
            uint32_t want = 0xFF000000u;
            double sa = 128.0 / 255.0, da = 1.0;   // the back buffer reads alpha 1
            for (int shift = 0; shift < 24; shift += 8) {
                double s = double((src >> shift) & 0xFF) / 255.0, d = double((dest >> shift) & 0xFF) / 255.0;
                double v = s * Factor(sf, s, sa, d, da) + d * Factor(df, s, sa, d, da);
                want |= uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)) << shift;
            }
            EXPECT_LE(GfxColourDistance(got, want), 2)
                << "src " << sf << " dest " << df << std::hex << " got " << got << " want " << want;
            x += 2;
            if (x >= 800) {
                x = 0;
                y += 2;
            }
        }
    }
    // The paired factors: both-source-alpha is SrcAlpha / InvSrcAlpha.
    ASSERT_EQ(device->SetViewport({0, 100, 2, 2, 0, 1}), GfxResult::Ok);
    ASSERT_EQ(device->Clear(GfxClear::Target, dest, 1.0f), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::SrcBlend, GfxBlend::BothSrcAlpha), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::DestBlend, GfxBlend::Zero), GfxResult::Ok);
    Quad(-0.5f, 99.5f, 1.5f, 101.5f, src);
    EXPECT_LE(GfxColourDistance(Pixel(0, 100), 0xFF906030u), 2);
    // Blending off: the source replaces the destination.
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaBlendEnable, 0), GfxResult::Ok);
    Quad(-0.5f, 99.5f, 1.5f, 101.5f, src);
    EXPECT_EQ(Pixel(0, 100), 0xFFC08040u);
}

TEST_F(GfxPixels, TextureStageSetUps)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaBlendEnable, 1), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::SrcBlend, GfxBlend::SrcAlpha), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::DestBlend, GfxBlend::InvSrcAlpha), GfxResult::Ok);
    auto tex = Texture(1, 1, {0x40FF8000});   // alpha 64
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    auto stage = [&](GfxTss s, uint32_t v) { ASSERT_EQ(device->SetTextureStageState(0, s, v), GfxResult::Ok); };

    // Normal: modulate colour and alpha; 1/4 of the texel over black.
    stage(GfxTss::AlphaOp, GfxTop::Modulate);
    stage(GfxTss::AlphaArg1, GfxTa::Texture);
    Quad(9.5f, 9.5f, 10.5f, 10.5f, 0xFFFFFFFF);
    EXPECT_LE(GfxColourDistance(Pixel(10, 10), 0xFF402000u), 2);

    // Opaque: alpha from the white texture factor.
    stage(GfxTss::AlphaOp, GfxTop::SelectArg1);
    stage(GfxTss::AlphaArg1, GfxTa::TFactor);
    ASSERT_EQ(device->SetRenderState(GfxRs::TextureFactor, 0xFFFFFFFF), GfxResult::Ok);
    Quad(19.5f, 9.5f, 20.5f, 10.5f, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(20, 10), 0xFFFF8000u);

    // Alpha mask: the texture's alpha drawn as grey, opaque.
    stage(GfxTss::ColorArg1, GfxTa::Texture | GfxTa::AlphaReplicate);
    stage(GfxTss::ColorOp, GfxTop::SelectArg1);
    Quad(29.5f, 9.5f, 30.5f, 10.5f, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(30, 10), 0xFF404040u);

    // No texture reads as opaque white: select-texture gives white.
    ASSERT_EQ(device->SetTexture(0, nullptr), GfxResult::Ok);
    stage(GfxTss::ColorArg1, GfxTa::Texture);
    Quad(39.5f, 9.5f, 40.5f, 10.5f, 0xFF102030);
    EXPECT_EQ(Pixel(40, 10), 0xFFFFFFFFu);
    // ... and modulate gives the vertex colour.
    stage(GfxTss::ColorOp, GfxTop::Modulate);
    Quad(49.5f, 9.5f, 50.5f, 10.5f, 0xFF102030);
    EXPECT_EQ(Pixel(50, 10), 0xFF102030u);
    // A disabled stage passes the diffuse colour.
    stage(GfxTss::ColorOp, GfxTop::Disable);
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    Quad(59.5f, 9.5f, 60.5f, 10.5f, 0xFF302010);
    EXPECT_EQ(Pixel(60, 10), 0xFF302010u);
    // Complement and texture factor arguments.
    stage(GfxTss::ColorOp, GfxTop::SelectArg1);
    stage(GfxTss::ColorArg1, GfxTa::TFactor | GfxTa::Complement);
    ASSERT_EQ(device->SetRenderState(GfxRs::TextureFactor, 0xFF0080FF), GfxResult::Ok);
    Quad(69.5f, 9.5f, 70.5f, 10.5f, 0xFFFFFFFF);
    EXPECT_LE(GfxColourDistance(Pixel(70, 10), 0xFFFF7F00u), 1);
}

TEST_F(GfxPixels, AlphaTestRejectsTransparentTexels)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaTestEnable, 1), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaRef, 1), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::AlphaFunc, GfxCmp::GreaterEqual), GfxResult::Ok);
    auto tex = Texture(3, 1, {0x00FFFFFF, 0x01FFFFFF, 0xFFFFFFFF});
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    Quad(9.5f, 9.5f, 12.5f, 10.5f, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(10, 10), 0xFF000000u);   // alpha 0 rejected
    EXPECT_EQ(Pixel(11, 10), 0xFFFFFFFFu);   // alpha 1 passes
    EXPECT_EQ(Pixel(12, 10), 0xFFFFFFFFu);
}

TEST_F(GfxPixels, DepthTestAndWrites)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    // Default: test LessEqual and write.
    Quad(9.5f, 9.5f, 29.5f, 29.5f, 0xFFFF0000, 0.5f);
    Quad(19.5f, 19.5f, 39.5f, 39.5f, 0xFF00FF00, 0.7f);   // behind: hidden where they overlap
    EXPECT_EQ(Pixel(25, 25), 0xFFFF0000u);
    EXPECT_EQ(Pixel(35, 35), 0xFF00FF00u);
    Quad(19.5f, 19.5f, 39.5f, 39.5f, 0xFF0000FF, 0.5f);   // equal depth passes
    EXPECT_EQ(Pixel(25, 25), 0xFF0000FFu);
    // No test: drawn over whatever is there.
    ASSERT_EQ(device->SetRenderState(GfxRs::ZEnable, 0), GfxResult::Ok);
    Quad(9.5f, 9.5f, 29.5f, 29.5f, 0xFFFFFFFF, 0.9f);
    EXPECT_EQ(Pixel(25, 25), 0xFFFFFFFFu);
    // Test without writing: a nearer quad does not keep a later farther one out.
    ASSERT_EQ(device->SetRenderState(GfxRs::ZEnable, 1), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::ZWriteEnable, 0), GfxResult::Ok);
    Quad(49.5f, 9.5f, 59.5f, 19.5f, 0xFFFF0000, 0.2f);
    ASSERT_EQ(device->SetRenderState(GfxRs::ZWriteEnable, 1), GfxResult::Ok);
    Quad(49.5f, 9.5f, 59.5f, 19.5f, 0xFF00FF00, 0.4f);
    EXPECT_EQ(Pixel(55, 15), 0xFF00FF00u);
    // Clearing z to 0 hides everything behind it.
    ASSERT_EQ(device->Clear(GfxClear::ZBuffer, 0, 0.0f), GfxResult::Ok);
    Quad(49.5f, 9.5f, 59.5f, 19.5f, 0xFF0000FF, 0.1f);
    EXPECT_EQ(Pixel(55, 15), 0xFF00FF00u);
}

TEST_F(GfxPixels, ProjectedDepthRunsFromZeroToOne)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
    // Identity projection: z in 0..1 is visible, below 0 is clipped away.
    auto draw = [&](float z, uint32_t colour, float x0) {
        GfxLitVertex v[4] = {{x0, 0.5f, z, 0, colour, 0, 0, 0},
                             {x0 + 0.1f, 0.5f, z, 0, colour, 0, 0, 0},
                             {x0 + 0.1f, 0.4f, z, 0, colour, 0, 0, 0},
                             {x0, 0.4f, z, 0, colour, 0, 0, 0}};
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Lit, v, 4), GfxResult::Ok);
    };
    draw(0.5f, 0xFFFF0000, -0.5f);
    draw(-0.1f, 0xFF00FF00, 0.0f);
    draw(1.1f, 0xFF0000FF, 0.5f);
    // NDC (-0.45, 0.45) is pixel (220, 165); y up in NDC is up on the screen.
    EXPECT_EQ(Pixel(220, 165), 0xFFFF0000u);
    EXPECT_EQ(Pixel(420, 165), 0xFF000000u);
    EXPECT_EQ(Pixel(620, 165), 0xFF000000u);
    // Nearer (smaller z) wins.
    draw(0.25f, 0xFF00FFFF, -0.5f);
    EXPECT_EQ(Pixel(220, 165), 0xFF00FFFFu);
    draw(0.75f, 0xFFFFFF00, -0.5f);
    EXPECT_EQ(Pixel(220, 165), 0xFF00FFFFu);
}

TEST_F(GfxPixels, CullModesKeepTheOtherWinding)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    // Clockwise as seen on the screen (y down) and counter-clockwise.
    auto cw = [&](float x, uint32_t c) {
        GfxScreenVertex v[3] = {{x, 10, 0, 1, c, 0, 0, 0}, {x + 20, 10, 0, 1, c, 0, 0, 0},
                                {x, 30, 0, 1, c, 0, 0, 0}};
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, v, 3), GfxResult::Ok);
    };
    auto ccw = [&](float x, uint32_t c) {
        GfxScreenVertex v[3] = {{x, 10, 0, 1, c, 0, 0, 0}, {x, 30, 0, 1, c, 0, 0, 0},
                                {x + 20, 10, 0, 1, c, 0, 0, 0}};
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, v, 3), GfxResult::Ok);
    };
    struct Case {
        uint32_t cull;
        bool cwShown, ccwShown;
    } cases[] = {
        {GfxCull::None, true, true},
        {GfxCull::CCW, true, false},   // the default: counter-clockwise faces removed
        {GfxCull::CW, false, true},
    };
    float x = 10;
    for (const Case& c : cases) {
        ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, c.cull), GfxResult::Ok);
        cw(x, 0xFFFF0000);
        ccw(x + 30, 0xFF00FF00);
        EXPECT_EQ(Pixel(int32_t(x) + 3, 13) != 0xFF000000u, c.cwShown) << "cull " << c.cull;
        EXPECT_EQ(Pixel(int32_t(x) + 33, 13) != 0xFF000000u, c.ccwShown) << "cull " << c.cull;
        x += 70;
    }
    // The same rule under a projection (winding is judged on the screen).
    ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::CCW), GfxResult::Ok);
    ASSERT_EQ(device->SetTransform(GfxTransform::Projection, Ortho(0, 800, 0, 600, 0, 1)), GfxResult::Ok);
    GfxLitVertex screenCw[3] = {{300, 10, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}, {320, 10, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0},
                                {300, 30, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}};
    GfxLitVertex screenCcw[3] = {{350, 10, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}, {350, 30, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0},
                                 {370, 10, 0.5f, 0, 0xFFFFFFFF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Lit, screenCw, 3), GfxResult::Ok);
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Lit, screenCcw, 3), GfxResult::Ok);
    EXPECT_EQ(Pixel(303, 13), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(353, 13), 0xFF000000u);
}

TEST_F(GfxPixels, FlatShadingTakesTheFirstVertex)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::ShadeMode, GfxShade::Flat), GfxResult::Ok);
    GfxScreenVertex v[3] = {{10, 10, 0, 1, 0xFFFF0000, 0, 0, 0}, {40, 10, 0, 1, 0xFF00FF00, 0, 0, 0},
                            {10, 40, 0, 1, 0xFF0000FF, 0, 0, 0}};
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, v, 3), GfxResult::Ok);
    EXPECT_EQ(Pixel(12, 12), 0xFFFF0000u);
    EXPECT_EQ(Pixel(12, 35), 0xFFFF0000u);
    // Gouraud blends.
    ASSERT_EQ(device->SetRenderState(GfxRs::ShadeMode, GfxShade::Gouraud), GfxResult::Ok);
    for (auto& p : v)
        p.x += 50;
    ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, v, 3), GfxResult::Ok);
    uint32_t mid = Pixel(70, 20);
    EXPECT_NE(mid & 0x00FF00, 0u);
    EXPECT_NE(mid & 0xFF0000, 0u);
}

class GfxLighting : public GfxPixels {
protected:
    // A square of mesh vertices facing the camera (normal -z), drawn over
    // pixels 100..199 x 100..199 with an ortho projection.
    void DrawLitSquare()
    {
        ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
        ASSERT_EQ(device->SetTransform(GfxTransform::Projection, Ortho(0.5f, 800.5f, 0.5f, 600.5f, 0, 10)),
                  GfxResult::Ok);
        GfxMeshVertex v[4] = {{100, 100, 1, 0, 0, -1, 0, 0},
                              {200, 100, 1, 0, 0, -1, 1, 0},
                              {200, 200, 1, 0, 0, -1, 1, 1},
                              {100, 200, 1, 0, 0, -1, 0, 1}};
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Mesh, v, 4), GfxResult::Ok);
    }

    void SetMaterial(GfxColorValue diffuse, GfxColorValue ambient, GfxColorValue specular = {}, float power = 0)
    {
        GfxMaterial m;
        m.diffuse = diffuse;
        m.ambient = ambient;
        m.specular = specular;
        m.power = power;
        ASSERT_EQ(device->SetMaterial(m), GfxResult::Ok);
    }
};

TEST_F(GfxLighting, DirectionalLightFacingTheSurface)
{
    SetMaterial({1, 0.5f, 0.25f, 1}, {0, 0, 0, 1});
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {1, 1, 1, 1};
    l.direction = {0, 0, 1};   // travelling into the screen: lights faces looking at the camera
    ASSERT_EQ(device->SetLight(0, l), GfxResult::Ok);
    ASSERT_EQ(device->LightEnable(0, true), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_LE(GfxColourDistance(Pixel(150, 150), 0xFFFF8040u), 1);
    EXPECT_EQ(Pixel(99, 150), 0xFF000000u);
    EXPECT_NE(Pixel(100, 100), 0xFF000000u);
    EXPECT_EQ(Pixel(200, 150), 0xFF000000u);
}

TEST_F(GfxLighting, AmbientAndGrazingLight)
{
    SetMaterial({1, 1, 1, 1}, {1, 0.5f, 1, 1});
    ASSERT_EQ(device->SetRenderState(GfxRs::Ambient, 0xFF404040), GfxResult::Ok);
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {1, 1, 1, 1};
    l.direction = {1, 0, 0};   // parallel to the surface: no diffuse
    ASSERT_EQ(device->SetLight(0, l), GfxResult::Ok);
    ASSERT_EQ(device->LightEnable(0, true), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_LE(GfxColourDistance(Pixel(150, 150), 0xFF402040u), 1);
    // Lights switched off: ambient only, same result; lighting off: white.
    ASSERT_EQ(device->LightEnable(0, false), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_LE(GfxColourDistance(Pixel(150, 150), 0xFF402040u), 1);
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_EQ(Pixel(150, 150), 0xFFFFFFFFu);
}

TEST_F(GfxLighting, PointLightAttenuatesAndViewMovesLights)
{
    SetMaterial({1, 1, 1, 1}, {0, 0, 0, 1});
    GfxLight l;
    l.type = GfxLightType::Point;
    l.diffuse = {1, 1, 1, 1};
    l.position = {150, 150, -1000};   // far in front: the same angle at every corner
    l.attenuation0 = 2.0f;            // half strength
    l.range = 2000;                   // the corners are just over 1000 away
    ASSERT_EQ(device->SetLight(1, l), GfxResult::Ok);
    ASSERT_EQ(device->LightEnable(1, true), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_LE(GfxColourDistance(Pixel(150, 150), 0xFF808080u), 2);
    // A view that moves the scene: the light moves with it (it is in world
    // space), so the centre stays lit the same.
    GfxMatrix view;
    view.m[14] = 1.0f;   // everything 1 further away
    ASSERT_EQ(device->SetTransform(GfxTransform::View, view), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_LE(GfxColourDistance(Pixel(150, 150), 0xFF808080u), 2);
}

TEST_F(GfxLighting, SpecularOnlyWhenEnabled)
{
    SetMaterial({0, 0, 0, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}, 1);
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {1, 1, 1, 1};
    l.specular = {1, 1, 1, 1};
    l.direction = {0, 0, 1};
    ASSERT_EQ(device->SetLight(0, l), GfxResult::Ok);
    ASSERT_EQ(device->LightEnable(0, true), GfxResult::Ok);
    DrawLitSquare();
    EXPECT_EQ(Pixel(150, 150), 0xFF000000u);
    ASSERT_EQ(device->SetRenderState(GfxRs::SpecularEnable, 1), GfxResult::Ok);
    DrawLitSquare();
    uint32_t lit = Pixel(150, 150);
    EXPECT_GT(lit & 0xFF, 0x80u) << std::hex << lit;
}

TEST_F(GfxPixels, MipMappedTexturesMinifyToTheAverage)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    std::vector<uint32_t> checker(64 * 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            checker[y * 64 + x] = ((x + y) & 1) ? 0xFFFFFFFF : 0xFF000000;
    auto tex = Texture(64, 64, checker, true, true);
    ASSERT_TRUE(tex->IsMipmapped());
    ASSERT_EQ(device->SetTexture(0, tex.get()), GfxResult::Ok);
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::MinFilter, GfxMinFilter::Linear), GfxResult::Ok);
    ASSERT_EQ(device->SetTextureStageState(0, GfxTss::MipFilter, GfxMipFilter::Linear), GfxResult::Ok);
    Quad(9.5f, 9.5f, 17.5f, 17.5f, 0xFFFFFFFF);   // 64 -> 8
    EXPECT_LE(GfxColourDistance(Pixel(13, 13), 0xFF808080u), 3);
}

} // namespace
