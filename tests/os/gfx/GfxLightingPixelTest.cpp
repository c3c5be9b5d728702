// Lit geometry on the GL device, read back and compared with the lighting
// formulas worked out by hand (GfxVertexLighting.h): small patches facing
// the camera, each over a few pixels so the colour hardly varies across it.
#include <cmath>

#include "os/gfx/GfxPixelSupport.h"

namespace {

constexpr float kPi = 3.14159265358979f;

class GfxLitPatches : public GfxPixels {
protected:
    void SetUp() override
    {
        GfxPixels::SetUp();
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->SetRenderState(GfxRs::CullMode, GfxCull::None), GfxResult::Ok);
        // Camera space x, y are pixels from the centre of the screen (y down).
        ASSERT_EQ(device->SetTransform(GfxTransform::Projection, Ortho(-399.5f, 400.5f, -299.5f, 300.5f, 0, 100)),
                  GfxResult::Ok);
        GfxMaterial m;
        m.diffuse = {1, 1, 1, 1};
        ASSERT_EQ(device->SetMaterial(m), GfxResult::Ok);
    }

    // A 4 x 4 pixel patch facing the camera (normal -z) centred on camera
    // (x, y) at depth z; Centre reads the pixel there.
    void Patch(float x, float y, float z)
    {
        const float h = 2;
        GfxMeshVertex v[4] = {{x - h, y - h, z, 0, 0, -1, 0, 0},
                              {x + h, y - h, z, 0, 0, -1, 1, 0},
                              {x + h, y + h, z, 0, 0, -1, 1, 1},
                              {x - h, y + h, z, 0, 0, -1, 0, 1}};
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Mesh, v, 4), GfxResult::Ok);
    }
    uint32_t Centre(float x, float y) { return Pixel(int32_t(x) + 400, int32_t(y) + 300); }

    void Use(const GfxLight& light)
    {
        ASSERT_EQ(device->SetLight(0, light), GfxResult::Ok);
        ASSERT_EQ(device->LightEnable(0, true), GfxResult::Ok);
    }

    static uint32_t Grey(float level)
    {
        const uint32_t v = uint32_t(std::lround(level * 255));
        return 0xFF000000u | v << 16 | v << 8 | v;
    }
};

// N.L = 0.8 with the light (1, 0.5, 0.25): (0.8, 0.4, 0.2).
TEST_F(GfxLitPatches, DirectionalLight)
{
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {1, 0.5f, 0.25f, 1};
    l.direction = {0, 0.6f, 0.8f};
    Use(l);
    Patch(0, 0, 10);
    EXPECT_LE(GfxColourDistance(Centre(0, 0), 0xFFCC6633u), 2) << std::hex << Centre(0, 0);
}

// A white point light 100 in front of the patches' plane, range 150,
// attenuation 1 / (0.0001 d^2).
TEST_F(GfxLitPatches, PointLightWithRange)
{
    GfxLight l;
    l.type = GfxLightType::Point;
    l.diffuse = {1, 1, 1, 1};
    l.position = {0, 0, -90};
    l.range = 150;
    l.attenuation2 = 0.0001f;
    Use(l);
    Patch(0, 0, 10);     // d = 100: attenuation 1, N.L 1
    Patch(100, 0, 10);   // d = 141.4: attenuation 0.5, N.L 0.7071
    Patch(200, 0, 10);   // d = 223.6: beyond the range
    EXPECT_LE(GfxColourDistance(Centre(0, 0), 0xFFFFFFFFu), 2) << std::hex << Centre(0, 0);
    EXPECT_LE(GfxColourDistance(Centre(100, 0), Grey(0.353553f)), 2) << std::hex << Centre(100, 0);
    EXPECT_EQ(Centre(200, 0), 0xFF000000u) << std::hex << Centre(200, 0);
}

// A white spot 100 in front: full within 20 degrees of its axis, nothing
// beyond 40, falloff 1 between.
TEST_F(GfxLitPatches, SpotLightCones)
{
    GfxLight l;
    l.type = GfxLightType::Spot;
    l.diffuse = {1, 1, 1, 1};
    l.position = {0, 0, -90};
    l.direction = {0, 0, 1};
    l.range = 1000;
    l.attenuation0 = 1;
    l.falloff = 1;
    l.theta = 40 * kPi / 180;
    l.phi = 80 * kPi / 180;
    Use(l);
    const float at30 = 100 * std::tan(30 * kPi / 180), at50 = 100 * std::tan(50 * kPi / 180);
    Patch(0, 0, 10);
    Patch(at30, 0, 10);
    Patch(0, at50, 10);
    EXPECT_LE(GfxColourDistance(Centre(0, 0), 0xFFFFFFFFu), 2) << std::hex << Centre(0, 0);
    // 30 degrees off: N.L = cos 30 and (cos 30 - cos 40) / (cos 20 - cos 40) = 0.57577.
    EXPECT_LE(GfxColourDistance(Centre(at30, 0), Grey(0.866025f * 0.57577f)), 2) << std::hex << Centre(at30, 0);
    EXPECT_EQ(Centre(0, at50), 0xFF000000u) << std::hex << Centre(0, at50);
}

// Specular power 10 seen from (30, 0, 40) off the axis: N.H = 3 / sqrt(10),
// (N.H)^10 = 0.59049. Added after the texture: the diffuse 0.5 is darkened
// by a 0x40 texture to 0.1255, then the specular is added.
TEST_F(GfxLitPatches, SpecularAfterTexturing)
{
    GfxMaterial m;
    m.diffuse = {1, 1, 1, 1};
    m.specular = {1, 1, 1, 1};
    m.power = 10;
    ASSERT_EQ(device->SetMaterial(m), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::SpecularEnable, 1), GfxResult::Ok);
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {0.5f, 0.5f, 0.5f, 1};
    l.specular = {1, 1, 1, 1};
    l.direction = {0, 0, 1};
    Use(l);
    auto texture = Texture(2, 2, std::vector<uint32_t>(4, 0xFF404040u));
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(device->SetTexture(0, texture.get()), GfxResult::Ok);
    Patch(30, 0, 40);
    EXPECT_LE(GfxColourDistance(Centre(30, 0), Grey(0.5f * 64 / 255 + 0.59049f)), 2) << std::hex << Centre(30, 0);
    // Specular off: the textured diffuse alone.
    ASSERT_EQ(device->SetRenderState(GfxRs::SpecularEnable, 0), GfxResult::Ok);
    Patch(30, 0, 40);
    EXPECT_LE(GfxColourDistance(Centre(30, 0), Grey(0.5f * 64 / 255)), 2) << std::hex << Centre(30, 0);
}

} // namespace
