// The start-up calibration on the recording device, which draws no pixels:
// the copied pass is all black, so the first candidate, -0.5, passes. (The
// GL device's choice is checked under Xvfb.)
#include "DisplayFixture.h"

#include "render/Renderer.h"

namespace {

class PixelCalibrationTest : public DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
        TRenderer::Shutdown();
        InstallPlatformRenderDevice();
        GfxRecordingLog().Clear();
    }

    void TearDown() override
    {
        TRenderer::Shutdown();
        DisplayFixture::TearDown();
    }
};

TEST_F(PixelCalibrationTest, RunsOnceDrawsEveryCandidateAndLeavesTheScreenBlack)
{
    EXPECT_FALSE(platform->IsCalibrated());
    TRenderer::Get()->SetPixelOffset(0.3f);
    platform->CalibratePixelOffset();
    EXPECT_TRUE(platform->IsCalibrated());
    EXPECT_FLOAT_EQ(TRenderer::Get()->GetPixelOffset(), -0.5f);
    EXPECT_EQ(LogCount("2D pixel offset: -0.5"), 1);

    const GfxCallLog& log = GfxRecordingLog();
    EXPECT_TRUE(log.Has("CreateSurface 16x16"));
    EXPECT_TRUE(log.Has("CreateSurface 1024x512"));
    // Ten fans of four vertices, each a candidate drawn 16 pixels further
    // right, inside one pass that is not shown.
    ASSERT_EQ(log.draws.size(), 10u);
    for (size_t i = 0; i < log.draws.size(); ++i) {
        EXPECT_EQ(log.draws[i].primitive, GfxPrimitive::TriangleFan);
        EXPECT_EQ(log.draws[i].vertexCount, 4u);
        EXPECT_FLOAT_EQ(log.draws[i].Float(0, 0), 16.0f * float(i)) << i;
    }
    EXPECT_EQ(log.presents, 0u);
    // The last thing drawn: the whole screen black (the back buffer keeps
    // no alpha, so the fill value has none).
    ASSERT_FALSE(log.calls.empty());
    EXPECT_EQ(log.calls.back(), "Fill back 0,0,800,600 00000000");

    GfxRecordingLog().Clear();
    platform->CalibratePixelOffset();
    EXPECT_TRUE(GfxRecordingLog().calls.empty());
}

} // namespace
