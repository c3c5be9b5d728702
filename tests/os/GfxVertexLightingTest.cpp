// Per-vertex lighting worked out on the CPU: each expected colour below is
// computed by hand from the lighting formulas (GfxVertexLighting.h).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/GfxVertexLighting.h"
#include "os/gfx/recording/GfxRecording.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// A device state with the creation defaults that matter for lighting:
// local viewer on, colour vertex on with diffuse from colour 1 and specular
// from colour 2, identity transforms, no lights.
GfxDeviceState DefaultState()
{
    GfxDeviceState s;
    auto rs = [&](GfxRs r, uint32_t v) { s.renderState[uint32_t(r)] = v; };
    rs(GfxRs::Lighting, 1);
    rs(GfxRs::LocalViewer, 1);
    rs(GfxRs::ColorVertex, 1);
    rs(GfxRs::DiffuseMaterialSource, GfxMcs::Color1);
    rs(GfxRs::SpecularMaterialSource, GfxMcs::Color2);
    return s;
}

GfxLight Directional(GfxVector direction)
{
    GfxLight l;
    l.type = GfxLightType::Directional;
    l.diffuse = {0.6f, 0.4f, 0.2f, 1};
    l.ambient = {0.1f, 0.1f, 0.1f, 1};
    l.direction = direction;
    return l;
}

GfxLight Point(float range, float a0, float a1, float a2)
{
    GfxLight l = Directional({0, 0, 0});
    l.type = GfxLightType::Point;
    l.position = {0, 0, -4};
    l.range = range;
    l.attenuation0 = a0;
    l.attenuation1 = a1;
    l.attenuation2 = a2;
    return l;
}

// A spot 4 in front of the origin shining at it: full inside 30 degrees of
// its axis, nothing beyond 45.
GfxLight Spot(float thetaDegrees = 60, float phiDegrees = 90, float falloff = 1)
{
    GfxLight l = Point(10, 1, 0, 0);
    l.type = GfxLightType::Spot;
    l.direction = {0, 0, 1};
    l.theta = thetaDegrees * kPi / 180;
    l.phi = phiDegrees * kPi / 180;
    l.falloff = falloff;
    return l;
}

void ExpectColour(const GfxColorValue& got, float r, float g, float b, float a, const char* what)
{
    EXPECT_NEAR(got.r, r, 1e-4f) << what;
    EXPECT_NEAR(got.g, g, 1e-4f) << what;
    EXPECT_NEAR(got.b, b, 1e-4f) << what;
    EXPECT_NEAR(got.a, a, 1e-4f) << what;
}

// Bytes within a level of the expected ones (0.5 levels may round either way).
void ExpectBytes(const uint8_t* got, const uint8_t* expected, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        EXPECT_LE(std::abs(int(got[i]) - int(expected[i])), 1) << "byte " << i;
}

// Light 0 on its own, material diffuse white (alpha 0.5) and ambient white:
// the diffuse colour is the light's ambient (0.1) plus its diffuse
// (0.6, 0.4, 0.2) times N.L, both times attenuation and spot factor.
TEST(GfxVertexLighting, DiffuseAndAmbientOfEachLightType)
{
    struct Case {
        const char* name;
        GfxLight light;
        GfxVector position;
        GfxVector normal;
        float r, g, b;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    GfxLight unknown = Directional({0, 0, 1});
    unknown.type = 7;
    const Case cases[] = {
        {"directional head-on", Directional({0, 0, 1}), {0, 0, 0}, {0, 0, -1}, 0.7f, 0.5f, 0.3f},
        {"directional, N.L 0.8", Directional({0, 0, 1}), {0, 0, 0}, {0, 0.6f, -0.8f}, 0.58f, 0.42f, 0.26f},
        {"directional from behind: ambient only", Directional({0, 0, -1}), {0, 0, 0}, {0, 0, -1}, 0.1f, 0.1f, 0.1f},
        {"direction length does not count", Directional({0, 0, 5}), {0, 0, 0}, {0, 0, -1}, 0.7f, 0.5f, 0.3f},
        {"directional, zero direction: nothing", Directional({0, 0, 0}), {0, 0, 0}, {0, 0, -1}, 0, 0, 0},
        // d = 4: 1 / (1 + 0.5 * 4 + 0.25 * 16) = 1/7
        {"point attenuated", Point(10, 1, 0.5f, 0.25f), {0, 0, 0}, {0, 0, -1}, 0.1f, 0.5f / 7, 0.3f / 7},
        {"point at its range", Point(4, 1, 0.5f, 0.25f), {0, 0, 0}, {0, 0, -1}, 0.1f, 0.5f / 7, 0.3f / 7},
        {"point beyond its range: ambient too", Point(3.99f, 1, 0.5f, 0.25f), {0, 0, 0}, {0, 0, -1}, 0, 0, 0},
        {"point, NaN range: nothing", Point(nan, 1, 0, 0), {0, 0, 0}, {0, 0, -1}, 0, 0, 0},
        {"point, negative range: nothing", Point(-1, 1, 0, 0), {0, 0, 0}, {0, 0, -1}, 0, 0, 0},
        // (3, 0, 0) is 5 from the light, N.L = 4/5; all-zero attenuation is 1
        {"point, all-zero attenuation", Point(10, 0, 0, 0), {3, 0, 0}, {0, 0, -1}, 0.58f, 0.42f, 0.26f},
        {"point, negative attenuation counts as 0", Point(10, -3, 0, 0), {3, 0, 0}, {0, 0, -1}, 0.58f, 0.42f,
         0.26f},
        {"spot inside the inner cone", Spot(), {0, 0, 0}, {0, 0, -1}, 0.7f, 0.5f, 0.3f},
        // rho = 0.8: (0.8 - cos 45) / (cos 30 - cos 45) = 0.584533
        {"spot between the cones", Spot(), {3, 0, 0}, {0, 0, -1}, 0.339029f, 0.245504f, 0.151979f},
        {"spot between the cones, falloff 2", Spot(60, 90, 2), {3, 0, 0}, {0, 0, -1}, 0.198174f, 0.143505f,
         0.088837f},
        {"spot outside the outer cone: ambient too", Spot(), {5, 0, 0}, {0, 0, -1}, 0, 0, 0},
        {"spot, theta beyond phi is held to phi", Spot(100, 90), {3, 0, 0}, {0, 0, -1}, 0.58f, 0.42f, 0.26f},
        {"spot, both cones 0: nothing", Spot(0, 0), {0, 0, 0}, {0, 0, -1}, 0, 0, 0},
        {"unknown type: nothing", unknown, {0, 0, 0}, {0, 0, -1}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        GfxDeviceState s = DefaultState();
        s.material.diffuse = {1, 1, 1, 0.5f};
        s.material.ambient = {1, 1, 1, 1};
        s.light[0] = c.light;
        s.lightEnabled[0] = true;
        const GfxLitColours lit = GfxVertexLighting(s).Light(c.position, &c.normal);
        ExpectColour(lit.diffuse, c.r, c.g, c.b, 0.5f, c.name);
        ExpectColour(lit.specular, 0, 0, 0, 0, c.name);
    }
}

// Material specular (1, 0.5, 1), a white directional light; the vertex at
// (3, 0, 4) faces the camera. Local viewer: V = (-0.6, 0, -0.8), L = (0, 0,
// -1), N.H = 3 / sqrt(10), (N.H)^10 = 0.9^5 = 0.59049.
TEST(GfxVertexLighting, SpecularPowerViewerAndEnable)
{
    struct Case {
        const char* name;
        float power;
        GfxVector direction;
        GfxVector position;
        bool enable;
        bool localViewer;
        float level;   // times the material's specular
    };
    const Case cases[] = {
        {"power 10", 10, {0, 0, 1}, {3, 0, 4}, true, true, 0.59049f},
        {"power 0 gives 1", 0, {0, 0, 1}, {3, 0, 4}, true, true, 1},
        {"power 10, specular off", 10, {0, 0, 1}, {3, 0, 4}, false, true, 0},
        {"power 0, light behind the surface", 0, {0, 0, -1}, {3, 0, 4}, true, true, 0},
        // Behind the camera: V = (0, 0, 1), L = (0.8, 0, -0.6): N.L > 0 but N.H < 0
        {"power 0, N.L > 0 and N.H < 0", 0, {-0.8f, 0, 0.6f}, {0, 0, -5}, true, true, 0},
        // No local viewer: V = (0, 0, -1) = L, so H = N
        {"no local viewer", 10, {0, 0, 1}, {3, 0, 4}, true, false, 1},
        {"negative power counts as 0", -5, {0, 0, 1}, {3, 0, 4}, true, true, 1},
    };
    for (const Case& c : cases) {
        GfxDeviceState s = DefaultState();
        s.renderState[uint32_t(GfxRs::SpecularEnable)] = c.enable ? 1 : 0;
        s.renderState[uint32_t(GfxRs::LocalViewer)] = c.localViewer ? 1 : 0;
        s.material.diffuse = {0, 0, 0, 1};
        s.material.specular = {1, 0.5f, 1, 1};
        s.material.power = c.power;
        GfxLight l = Directional(c.direction);
        l.ambient = {};
        l.specular = {1, 1, 1, 1};
        s.light[0] = l;
        s.lightEnabled[0] = true;
        const GfxVector normal{0, 0, -1};
        const GfxLitColours lit = GfxVertexLighting(s).Light(c.position, &normal);
        ExpectColour(lit.specular, c.level, c.level * 0.5f, c.level, 0, c.name);
        ExpectColour(lit.diffuse, 0, 0, 0, 1, c.name);
    }
}

// Ambient render state times material ambient, emissive added, each channel
// clamped; no normal: ambient and emissive only.
TEST(GfxVertexLighting, GlobalAmbientEmissiveAndClamping)
{
    GfxDeviceState s = DefaultState();
    s.renderState[uint32_t(GfxRs::Ambient)] = 0xFF336699;   // 0.2, 0.4, 0.6
    s.material.diffuse = {1, 1, 1, 1};
    s.material.ambient = {1, 0.5f, 0, 1};
    s.material.emissive = {0.9f, 0.1f, -0.5f, 1};
    s.light[0] = Directional({0, 0, 1});
    s.lightEnabled[0] = true;
    const GfxVertexLighting lighting(s);
    const GfxVector normal{0, 0, -1};
    // Ambient (0.2 + 0.1, (0.4 + 0.1) / 2, 0) + diffuse (0.6, 0.4, 0.2) + emissive.
    ExpectColour(lighting.Light({0, 0, 0}, &normal).diffuse, 1, 0.75f, 0, 1, "lit");
    ExpectColour(lighting.Light({0, 0, 0}, nullptr).diffuse, 1, 0.35f, 0, 1, "no normal");
    // Lights off: the global ambient alone.
    s.lightEnabled[0] = false;
    ExpectColour(GfxVertexLighting(s).Light({0, 0, 0}, &normal).diffuse, 1, 0.3f, 0, 1, "no lights");
    // A NaN colour comes out as 0.
    s.material.emissive = {std::numeric_limits<float>::quiet_NaN(), 0, 0, 1};
    ExpectColour(GfxVertexLighting(s).Light({0, 0, 0}, &normal).diffuse, 0, 0.2f, 0, 1, "NaN");
}

// Normals go through the inverse transpose of world * view and keep their
// length unless NormalizeNormals is on; lights are placed by the view only.
TEST(GfxVertexLighting, CameraSpaceTransforms)
{
    GfxDeviceState s = DefaultState();
    s.material.diffuse = {1, 1, 1, 1};
    GfxLight l = Directional({0, 0, 1});
    l.ambient = {};
    l.diffuse = {1, 1, 1, 1};
    s.light[0] = l;
    s.lightEnabled[0] = true;
    const GfxVector normal{0, 0.6f, -0.8f};

    // z stretched 4 times: the normal becomes (0, 0.6, -0.2), N.L = 0.2.
    s.world.m[10] = 4;
    EXPECT_NEAR(GfxVertexLighting(s).Light({0, 0, 0}, &normal).diffuse.r, 0.2f, 1e-4f);
    s.renderState[uint32_t(GfxRs::NormalizeNormals)] = 1;
    EXPECT_NEAR(GfxVertexLighting(s).Light({0, 0, 0}, &normal).diffuse.r, 0.316228f, 1e-4f);
    // Scaled by 2 everywhere, not renormalised: half the light.
    s.renderState[uint32_t(GfxRs::NormalizeNormals)] = 0;
    s.world = GfxMatrix();
    s.world.m[0] = s.world.m[5] = s.world.m[10] = 2;
    const GfxVector facing{0, 0, -1};
    EXPECT_NEAR(GfxVertexLighting(s).Light({0, 0, 0}, &facing).diffuse.r, 0.5f, 1e-4f);

    // A view turned 90 degrees about y turns light and surface alike.
    s.world = GfxMatrix();
    s.view.m[0] = 0;
    s.view.m[2] = -1;
    s.view.m[8] = 1;
    s.view.m[10] = 0;
    EXPECT_NEAR(GfxVertexLighting(s).Light({0, 0, 0}, &facing).diffuse.r, 1, 1e-4f);

    // A point light 4 from the vertex in world space stays 4 away whatever
    // the view and the world move: 1 / (1 + 0.5 * 4 + 0.25 * 16).
    s.view = GfxMatrix();
    s.view.m[14] = 10;
    s.light[0] = Point(10, 1, 0.5f, 0.25f);
    s.light[0].diffuse = {1, 1, 1, 1};
    s.light[0].ambient = {};
    s.world.m[12] = 5;
    s.light[0].position = {5, 0, -4};
    EXPECT_NEAR(GfxVertexLighting(s).Light({0, 0, 0}, &facing).diffuse.r, 1.0f / 7, 1e-4f);
}

// With colour vertex on, colour 1 stands for the material diffuse and
// colour 2 for the specular, where the vertex has them.
TEST(GfxVertexLighting, MaterialColourSources)
{
    GfxDeviceState s = DefaultState();
    s.renderState[uint32_t(GfxRs::SpecularEnable)] = 1;
    s.material.diffuse = {1, 1, 1, 1};
    s.material.specular = {1, 1, 1, 1};
    GfxLight l = Directional({0, 0, 1});
    l.ambient = {};
    l.diffuse = {1, 1, 1, 1};
    l.specular = {1, 1, 1, 1};
    s.light[0] = l;
    s.lightEnabled[0] = true;
    const GfxVector normal{0, 0, -1};
    const uint32_t red = 0x80FF0000, green = 0xFF00FF00;
    // H = N at (0, 0, 5): full specular.
    GfxLitColours lit = GfxVertexLighting(s).Light({0, 0, 5}, &normal, &red, &green);
    ExpectColour(lit.diffuse, 1, 0, 0, 128.0f / 255, "colour vertex");
    ExpectColour(lit.specular, 0, 1, 0, 0, "colour vertex");
    lit = GfxVertexLighting(s).Light({0, 0, 5}, &normal);
    ExpectColour(lit.diffuse, 1, 1, 1, 1, "vertex without colours");
    ExpectColour(lit.specular, 1, 1, 1, 0, "vertex without colours");
    s.renderState[uint32_t(GfxRs::ColorVertex)] = 0;
    lit = GfxVertexLighting(s).Light({0, 0, 5}, &normal, &red, &green);
    ExpectColour(lit.diffuse, 1, 1, 1, 1, "colour vertex off");
    // Sources swapped: the ambient and emissive from colour 1 too.
    s.renderState[uint32_t(GfxRs::ColorVertex)] = 1;
    s.renderState[uint32_t(GfxRs::DiffuseMaterialSource)] = GfxMcs::Color2;
    s.renderState[uint32_t(GfxRs::EmissiveMaterialSource)] = GfxMcs::Color1;
    lit = GfxVertexLighting(s).Light({0, 0, 5}, &normal, &red, &green);
    ExpectColour(lit.diffuse, 1, 1, 0, 1, "diffuse from 2, emissive from 1");
}

// Whole vertex arrays: the same colours as one at a time, as bytes, with
// colours read as ARGB words or as R, G, B, A bytes.
TEST(GfxVertexLighting, VertexArrays)
{
    struct LitVertex {
        float x, y, z;
        uint32_t reserved;
        uint32_t diffuse, specular;
        float u, v;
    };
    struct MeshVertex {
        float x, y, z, nx, ny, nz, u, v;
    };
    GfxDeviceState s = DefaultState();
    s.material.diffuse = {1, 1, 1, 1};
    s.material.ambient = {1, 1, 1, 1};
    s.light[0] = Spot();
    s.lightEnabled[0] = true;

    const MeshVertex mesh[3] = {{0, 0, 0, 0, 0, -1, 0, 0}, {3, 0, 0, 0, 0, -1, 0, 0}, {5, 0, 0, 0, 0, -1, 0, 0}};
    uint8_t out[3 * 8];
    const GfxVertexLighting lighting(s);
    lighting.LightVertices(reinterpret_cast<const uint8_t*>(mesh), 3, GfxFvf::Mesh, false, out);
    const uint8_t expected[3 * 8] = {179, 128, 77, 255, 0, 0, 0, 0,   // 0.7, 0.5, 0.3
                                     86, 63, 39, 255, 0, 0, 0, 0,     // between the cones
                                     0, 0, 0, 255, 0, 0, 0, 0};
    ExpectBytes(out, expected, sizeof out);
    for (int i = 0; i < 3; ++i) {
        const GfxVector n{mesh[i].nx, mesh[i].ny, mesh[i].nz};
        const GfxLitColours one = lighting.Light({mesh[i].x, mesh[i].y, mesh[i].z}, &n);
        EXPECT_EQ(out[i * 8], uint8_t(one.diffuse.r * 255 + 0.5f)) << i;
    }

    // Lit vertices have no normal: with the ambient taken from colour 1,
    // the light's ambient (0.1) times the vertex diffuse.
    s.renderState[uint32_t(GfxRs::AmbientMaterialSource)] = GfxMcs::Color1;
    const GfxVertexLighting fromColour(s);
    const uint32_t argb = 0x40FF8000;
    LitVertex lit[2] = {{0, 0, 0, 0, argb, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}};
    const uint8_t rgba[4] = {0xFF, 0x80, 0x00, 0x40};
    memcpy(&lit[1].diffuse, rgba, 4);
    fromColour.LightVertices(reinterpret_cast<const uint8_t*>(&lit[0]), 1, GfxFvf::Lit, false, out);
    fromColour.LightVertices(reinterpret_cast<const uint8_t*>(&lit[1]), 1, GfxFvf::Lit, true, out + 8);
    const uint8_t ambient[8] = {26, 13, 0, 0x40, 0, 0, 0, 0};
    ExpectBytes(out, ambient, 8);
    ExpectBytes(out + 8, ambient, 8);

    // Pre-transformed vertices are never lit: black.
    memset(out, 0xAA, sizeof out);
    lighting.LightVertices(reinterpret_cast<const uint8_t*>(&lit[0]), 1, GfxFvf::Screen, false, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[3], 0);
}

// Values the lighting reads safely are named; the device keeps such a light
// and logs what is wrong with it.
TEST(GfxVertexLighting, LightProblems)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        GfxLight light;
        bool problem;
    };
    GfxLight nanColour = Directional({0, 0, 1});
    nanColour.diffuse.g = nan;
    GfxLight negativeAttenuation = Point(10, 1, -1, 0);
    GfxLight wideSpot = Spot(60, 400);
    GfxLight pointWithoutDirection = Point(10, 0, 0, 0);
    const Case cases[] = {
        {Directional({0, 0, 1}), false}, {Spot(), false},           {pointWithoutDirection, false},
        {nanColour, true},               {Directional({0, 0, 0}), true}, {Point(-1, 1, 0, 0), true},
        {Point(nan, 1, 0, 0), true},     {negativeAttenuation, true},   {wideSpot, true},
        {Spot(60, 90, -1), true},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(GfxLightProblem(cases[i].light) != nullptr, cases[i].problem) << i;

    static std::string logged;
    GfxSetLogSink([](const char* line) { logged += line; });
    auto display = GfxCreateRecordingDisplay();
    ASSERT_EQ(display->Create(nullptr, {64, 64, 32, false}), GfxResult::Ok);
    EXPECT_EQ(display->GetDevice()->SetLight(2, Point(-1, 1, 0, 0)), GfxResult::Ok);
    GfxSetLogSink(nullptr);
    EXPECT_NE(logged.find("SetLight 2: range below 0"), std::string::npos) << logged;
}

// The device refuses a light of no known type; a light that was off stays off.
TEST(GfxVertexLighting, DeviceRefusesUnknownLightTypes)
{
    GfxInjectReset();
    auto display = GfxCreateRecordingDisplay();
    ASSERT_EQ(display->Create(nullptr, {64, 64, 32, false}), GfxResult::Ok);
    GfxDevice* device = display->GetDevice();
    ASSERT_NE(device, nullptr);
    for (uint32_t type : {0u, 4u, 0xFFFFFFFFu}) {
        GfxLight l = Directional({0, 0, 1});
        l.type = type;
        EXPECT_EQ(device->SetLight(3, l), GfxResult::InvalidArg) << type;
        EXPECT_FALSE(device->IsLightEnabled(3));
        GfxLight stored;
        EXPECT_EQ(device->GetLight(3, &stored), GfxResult::InvalidArg);
    }
}

} // namespace
