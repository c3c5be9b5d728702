// The lens flare: its placements, the spin that follows the camera checked
// against a computation of its own in double precision, and the draws on
// the recording device.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "game/stage/effects/LensFlare.h"
#include "game/stage/scene/SceneSet.h"
#include "render/Renderer.h"
#include "render/TextureData.h"
#include "support/TempFolder.h"
#include "ui/ManagerTestSupport.h"

namespace {

using KScene::CameraRecord;
using KScene::LensFlare;
using Mat = std::array<double, 16>; // row-major, row vectors

Mat Identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Mat Mul(const Mat& a, const Mat& b)
{
    Mat out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k)
                out[r * 4 + c] += a[r * 4 + k] * b[k * 4 + c];
    return out;
}

// Rotations for row vectors (a point p becomes p * R).
Mat RotX(double a)
{
    return {1, 0, 0, 0, 0, std::cos(a), std::sin(a), 0, 0, -std::sin(a), std::cos(a), 0, 0, 0, 0, 1};
}
Mat RotY(double a)
{
    return {std::cos(a), 0, -std::sin(a), 0, 0, 1, 0, 0, std::sin(a), 0, std::cos(a), 0, 0, 0, 0, 1};
}
Mat RotZ(double a)
{
    return {std::cos(a), std::sin(a), 0, 0, -std::sin(a), std::cos(a), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

// Scale 10, turn about y, place.
Mat Placement(double turn, double x, double y, double z)
{
    Mat m = Mul(Identity(), RotY(turn));
    for (int i = 0; i < 12; ++i)
        m[i] *= (i % 4 == 3) ? 1.0 : 10.0;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

const std::array<Mat, 6> kPlacements = {
    Placement(0, 6, 11.5, 9),       Placement(0, 0, 11.5, 9),        Placement(0, -6, 11.5, 9),
    Placement(M_PI / 4, 11, 11.5, 6), Placement(M_PI / 2, 12, 11.5, 0), Placement(M_PI / 2, 12, 11.5, -6),
};

// The spun placement: the angle between the normalised (place, 1) and the
// normalised ((1, 0, 0, 1) turned by the camera), in x, y and z, times 4/3.
Mat ExpectedFlare(const Mat& placement, const CameraRecord& camera)
{
    double p[4] = {placement[12], placement[13], placement[14], 1.0};
    const double pl = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2] + p[3] * p[3]);
    const Mat turn = Mul(Mul(RotZ(camera.roll), RotX(camera.pitch)), RotY(camera.yaw));
    double d[4];
    for (int c = 0; c < 4; ++c)
        d[c] = turn[0 * 4 + c] + turn[3 * 4 + c]; // (1, 0, 0, 1) * turn
    const double dl = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2] + d[3] * d[3]);
    const double cosine = (p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / (pl * dl);
    return Mul(RotZ(std::acos(cosine) * 4.0 / 3.0), placement);
}

void ExpectMatrix(const TMat4& actual, const Mat& expected, double tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected[i], tolerance) << "element " << i;
}

bool FakeLoad(TTextureData& data, const TString& file, const TString& mask)
{
    (void)mask;
    if (std::string(file.c_str()) != "textures/lensflare" || !data.CreateSurface(32, 32))
        return false;
    data.mWidth = data.mHeight = 32;
    std::vector<uint32_t> pixels(32 * 32, 0x80FFFFFFu);
    data.CopyPixels(32, 32, pixels.data());
    data.mFileName = file;
    return true;
}

class LensFlareTest : public uitest::ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        SetTextureLoader(FakeLoad);
        LensFlare::Destroy();
        KScene::KSceneSet::Destroy();
    }
    void TearDown() override
    {
        LensFlare::Destroy();
        KScene::KSceneSet::Destroy();
        SetTextureLoader(nullptr);
        ManagerFixture::TearDown();
    }

    // The flare drawn in a 3D pass of a frame: the draws it made.
    static std::vector<GfxDrawRecord> Drawn()
    {
        TRenderer* renderer = TRenderer::Get();
        GfxRecordingLog().Clear();
        EXPECT_TRUE(renderer->BeginDraw(false));
        EXPECT_TRUE(renderer->Begin3d());
        LensFlare::Get()->Draw();
        renderer->End3d();
        renderer->EndDraw(false);
        return GfxRecordingLog().draws;
    }

    TTempLogFolder mLog{"quillory-flare"};
};

TEST_F(LensFlareTest, PlacementsAreTenUnitSquaresHighInTheSet)
{
    LensFlare* flare = LensFlare::Get();
    for (int k = 0; k < LensFlare::kFlares; ++k) {
        SCOPED_TRACE("flare " + std::to_string(k + 1));
        const TMat4& m = flare->GetPlacement(k);
        ExpectMatrix(m, kPlacements[size_t(k)], 1e-5);
        // The unit quad's corners end up 10 apart, at height 11.5.
        const TVec3 a = TransformPoint(TVec3(-0.5f, -0.5f, 0), m);
        const TVec3 b = TransformPoint(TVec3(0.5f, -0.5f, 0), m);
        const TVec3 c = TransformPoint(TVec3(-0.5f, 0.5f, 0), m);
        EXPECT_NEAR(std::hypot(b.x - a.x, b.z - a.z), 10.0, 1e-4);
        EXPECT_NEAR(c.y - a.y, 10.0, 1e-4);
        EXPECT_NEAR((a.y + c.y) / 2, 11.5, 1e-4);
    }
}

TEST_F(LensFlareTest, SpinFollowsTheCamera)
{
    const CameraRecord cameras[] = {
        CameraRecord(-3.0089f, 3.3058f, -10.0544f, 0.0f, 6.07f, 0.0f, 0.715f), // the default shot
        CameraRecord(0, 0, 0, 0, 4.756f, 0, 1),                                 // the orbit's limits
        CameraRecord(0, 0, 0, 0, 6.106f, 0, 1),
        CameraRecord(0, 0, 0, 0.3f, 1.0f, 0.2f, 1), // pitch and roll too
        CameraRecord(0, 0, 0, 0, 0, 0, 1),
    };
    for (const CameraRecord& camera : cameras)
        for (int k = 0; k < LensFlare::kFlares; ++k) {
            SCOPED_TRACE("yaw " + std::to_string(camera.yaw) + " flare " + std::to_string(k + 1));
            ExpectMatrix(LensFlare::FlareMatrix(LensFlare::Get()->GetPlacement(k), camera),
                         ExpectedFlare(kPlacements[size_t(k)], camera), 2e-4);
        }

    // Turning by the orbit's steps turns every flare by small steps.
    for (int k = 0; k < LensFlare::kFlares; ++k) {
        CameraRecord camera(0, 0, 0, 0, 4.756f, 0, 1);
        TMat4 last = LensFlare::FlareMatrix(LensFlare::Get()->GetPlacement(k), camera);
        for (; camera.yaw <= 6.106f; camera.yaw += 0.015f) {
            const TMat4 now = LensFlare::FlareMatrix(LensFlare::Get()->GetPlacement(k), camera);
            for (int i = 0; i < 16; ++i)
                ASSERT_LT(std::fabs(now.m[i] - last.m[i]), 10 * 0.015f * 4 / 3 + 1e-3f) << "flare " << k + 1;
            last = now;
        }
    }
}

TEST_F(LensFlareTest, DrawsSixQuadsWithOneTextureThroughTheSceneCamera)
{
    KScene::KSceneSet::Get()->GetCamera() = CameraRecord(1, 2, 3, 0.1f, 5.5f, 0.05f, 0.8f);
    const std::vector<GfxDrawRecord> draws = Drawn();
    ASSERT_EQ(draws.size(), 6u);
    EXPECT_EQ(GfxRecordingLog().Count("SetTexture 0 set"), 1u);
    for (size_t k = 0; k < draws.size(); ++k) {
        SCOPED_TRACE("flare " + std::to_string(k + 1));
        const GfxDrawRecord& draw = draws[k];
        EXPECT_EQ(draw.primitive, GfxPrimitive::TriangleList);
        EXPECT_EQ(draw.vertexCount, 4u);
        EXPECT_EQ(draw.indices, (std::vector<uint16_t>{2, 1, 0, 3, 1, 2}));
        EXPECT_NE(draw.state.texture, nullptr);
        EXPECT_EQ(draw.state.texture, draws[0].state.texture);
        // Vertex i + 2j at (i - 0.5, j - 0.5, 0), white, texture (i, j).
        for (uint32_t v = 0; v < 4; ++v) {
            EXPECT_FLOAT_EQ(draw.Float(v, 0), float(v % 2) - 0.5f);
            EXPECT_FLOAT_EQ(draw.Float(v, 4), float(v / 2) - 0.5f);
            EXPECT_FLOAT_EQ(draw.Float(v, 8), 0.0f);
            EXPECT_EQ(draw.Word(v, 16), 0xFFFFFFFFu);
            EXPECT_EQ(draw.Word(v, 20), 0u);
            EXPECT_FLOAT_EQ(draw.Float(v, 24), float(v % 2));
            EXPECT_FLOAT_EQ(draw.Float(v, 28), float(v / 2));
        }
        const TMat4 expected =
            LensFlare::FlareMatrix(LensFlare::Get()->GetPlacement(int(k)), KScene::KSceneSet::Get()->GetCamera());
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(draw.state.world.m[i], expected.m[i]);
    }
}

TEST_F(LensFlareTest, WithoutItsTextureNothingIsDrawn)
{
    SetTextureLoader(nullptr); // no file of that name
    EXPECT_TRUE(Drawn().empty());
    EXPECT_TRUE(Drawn().empty());
    EXPECT_EQ(mLog.Count("\"textures/lensflare\" not found"), 1);
}

} // namespace
