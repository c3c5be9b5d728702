#include <gtest/gtest.h>

#include <string>

#include "platform/Timer.h"
#include "render/RecordingDevice.h"
#include "render/Renderer.h"
#include "support/TempFolder.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeTime()
{
    return gNow;
}

// A texture reference that owns a dummy object; never dereferenced.
TTextureRef FakeTexture()
{
    auto owner = std::make_shared<int>(0);
    return TTextureRef(owner, reinterpret_cast<TTexture*>(owner.get()));
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        mLog.Restart(); // a fresh log for each case of a table
        gNow = 1000;
        SetTimerSource(FakeTime);
        TRenderer::Shutdown();
        mRenderer = TRenderer::Get();
        auto device = std::make_unique<TRecordingDevice>();
        mDevice = device.get();
        mRenderer->SetDevice(std::move(device));
    }
    void TearDown() override
    {
        TRenderer::Shutdown();
        SetTimerSource(nullptr);
    }

    TTempLogFolder mLog{"renderertest"};
    TRenderer* mRenderer = nullptr;
    TRecordingDevice* mDevice = nullptr;
};

// Each step: the call, its expected result (for Begin calls), and the log line
// it must write (empty: none).
struct PassStep {
    const char* call;
    bool result;
    const char* log;
};

void RunStep(TRenderer* r, const std::string& call, bool& result)
{
    result = true;
    if (call == "Begin2d")
        result = r->Begin2d();
    else if (call == "Begin3d")
        result = r->Begin3d();
    else if (call == "End2d")
        r->End2d();
    else if (call == "End3d")
        r->End3d();
}

TEST_F(RendererTest, PassMachineRefusesMisuseWithItsLogLine)
{
    struct Case {
        std::vector<PassStep> steps;
        bool in2d, in3d;
        std::vector<std::string> deviceOps;
    };
    const std::vector<Case> cases = {
        {{{"Begin2d", true, ""}, {"Begin2d", false, "Begin2d called when already in Begin2d state"}},
         true, false, {"Begin2d"}},
        {{{"Begin2d", true, ""}, {"Begin2d", false, ""}, {"End2d", true, ""}}, false, false, {"Begin2d", "End2d"}},
        {{{"Begin3d", true, ""}, {"Begin2d", false, "Begin2d called when already in Begin3d state"}},
         false, true, {"Begin3d"}},
        {{{"Begin2d", true, ""}, {"Begin3d", false, "Begin3d called when already in Begin2d state"}},
         true, false, {"Begin2d"}},
        {{{"Begin3d", true, ""}, {"Begin3d", false, "Begin3d called when already in Begin3d state"}},
         false, true, {"Begin3d"}},
        {{{"End3d", true, "End3d called when not in Begin3d state"}}, false, false, {}},
        {{{"End2d", true, "End2d called when not in Begin2d state"}}, false, false, {}},
        {{{"Begin3d", true, ""}, {"End2d", true, "End2d called when not in Begin2d state"}}, false, true,
         {"Begin3d"}},
        {{{"Begin2d", true, ""}, {"End2d", true, ""}, {"Begin3d", true, ""}, {"End3d", true, ""}}, false, false,
         {"Begin2d", "End2d", "Begin3d", "End3d"}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        TearDown();
        SetUp();
        for (const PassStep& step : cases[i].steps) {
            bool result;
            RunStep(mRenderer, step.call, result);
            EXPECT_EQ(result, step.result) << step.call;
            if (*step.log) {
                EXPECT_EQ(mLog.Count(step.log), 1) << step.log;
            }
        }
        EXPECT_EQ(mRenderer->IsIn2d(), cases[i].in2d);
        EXPECT_EQ(mRenderer->IsIn3d(), cases[i].in3d);
        EXPECT_EQ(mDevice->Ops(), cases[i].deviceOps);
    }
}

TEST_F(RendererTest, RefusedDevicePassLeavesStateClear)
{
    mDevice->mPassResult = false;
    EXPECT_FALSE(mRenderer->Begin2d());
    EXPECT_FALSE(mRenderer->IsIn2d());
    EXPECT_FALSE(mRenderer->Begin3d());
    EXPECT_FALSE(mRenderer->IsIn3d());
    mDevice->mPassResult = true;
    EXPECT_TRUE(mRenderer->Begin2d());
    EXPECT_FALSE(mLog.Has("already"));
}

TEST_F(RendererTest, VerticesDrawOnlyInsideAPass)
{
    const TVertexList& none = *reinterpret_cast<const TVertexList*>(&gNow); // never read
    uint16_t indices[3] = {0, 1, 2};
    mRenderer->DrawVertices(4, none);
    mRenderer->DrawIndexedVertices(4, none, indices, 3);
    EXPECT_EQ(mLog.Count("DrawVertices called when not in Begin2d or Begin3d state"), 1);
    EXPECT_EQ(mLog.Count("DrawIndexedVertices called when not in Begin2d or Begin3d state"), 1);
    EXPECT_EQ(mDevice->Count("DrawVertices") + mDevice->Count("DrawIndexedVertices"), 0u);

    mRenderer->Begin2d();
    mRenderer->DrawVertices(4, none);
    mRenderer->End2d();
    mRenderer->DrawVertices(4, none); // between passes: refused again
    mRenderer->Begin3d();
    mRenderer->DrawIndexedVertices(4, none, indices, 3);
    mRenderer->End3d();
    EXPECT_EQ(mDevice->Count("DrawVertices"), 1u);
    EXPECT_EQ(mDevice->Count("DrawIndexedVertices"), 1u);
    EXPECT_EQ(mLog.Count("DrawVertices called when not in Begin2d or Begin3d state"), 2);
}

TEST_F(RendererTest, ClipStackKeepsItsBottomAndReadsZeroWhenEmpty)
{
    TRect clip(1, 2, 3, 4);
    mRenderer->GetClipRect(clip);
    EXPECT_EQ(clip, TRect(0, 0, 0, 0));
    mRenderer->PopClipRect(); // empty: nothing
    EXPECT_EQ(mRenderer->GetClipDepth(), 0u);

    mRenderer->PushClipRect(TRect(0, 0, 800, 600));
    mRenderer->PushClipRect(TRect(700, 500, 900, 700)); // not intersected
    mRenderer->GetClipRect(clip);
    EXPECT_EQ(clip, TRect(700, 500, 900, 700));
    EXPECT_EQ(mDevice->GetClipRect(), TRect(700, 500, 900, 700));

    mRenderer->PopClipRect();
    EXPECT_EQ(mDevice->GetClipRect(), TRect(0, 0, 800, 600));
    mRenderer->PopClipRect(); // one left: stays
    mRenderer->GetClipRect(clip);
    EXPECT_EQ(clip, TRect(0, 0, 800, 600));
    EXPECT_EQ(mRenderer->GetClipDepth(), 1u);
    EXPECT_EQ(mDevice->Count("SetClipRect"), 3u);
}

TEST_F(RendererTest, FillRectIsRelativeToTheViewportAndCutToIt)
{
    const float red[4] = {1, 0, 0, 1};
    mRenderer->PushViewport(TRect(100, 50, 200, 100));
    TRect viewport;
    mRenderer->GetViewport(viewport);
    EXPECT_EQ(viewport, TRect(100, 50, 200, 100));

    mRenderer->FillRect(TRect(0, 0, 10, 10), red);
    mRenderer->FillRect(TRect(90, 40, 150, 80), red);  // cut at the viewport's far edges
    mRenderer->FillRect(TRect(-20, -20, 5, 5), red);   // cut at its near edges
    mRenderer->FillRect(TRect(200, 0, 250, 10), red);  // wholly outside: nothing
    TTextureRef texture = FakeTexture();
    mRenderer->FillRect(TRect(0, 0, 10, 10), red, texture); // texture pixels, as given

    std::vector<TRecordingDevice::Call> fills = mDevice->Find("FillColourRect");
    ASSERT_EQ(fills.size(), 4u);
    EXPECT_EQ(fills[0].rect, TRect(100, 50, 110, 60));
    EXPECT_EQ(fills[0].rgba[0], 1.0f);
    EXPECT_EQ(fills[0].texture, nullptr);
    EXPECT_EQ(fills[1].rect, TRect(190, 90, 200, 100));
    EXPECT_EQ(fills[2].rect, TRect(100, 50, 105, 55));
    EXPECT_EQ(fills[3].rect, TRect(0, 0, 10, 10));
    EXPECT_EQ(fills[3].texture, texture.get());

    mRenderer->PopViewport();
    mRenderer->GetViewport(viewport);
    EXPECT_EQ(viewport, TRect(0, 0, 800, 600));
}

TEST_F(RendererTest, FrameRateFirstComputedAtTheFifteenthFrame)
{
    for (int frame = 1; frame <= 14; ++frame) {
        ASSERT_TRUE(mRenderer->BeginDraw(false));
        EXPECT_TRUE(mRenderer->IsDrawing());
        mRenderer->EndDraw(true);
        EXPECT_FALSE(mRenderer->IsDrawing());
        EXPECT_EQ(mRenderer->GetFramesPerSecond(), 0.0f) << frame;
        gNow += 20;
    }
    // 15 frames 20 ms apart: 14 intervals over 280 ms.
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(true);
    EXPECT_FLOAT_EQ(mRenderer->GetFramesPerSecond(), 50.0f);

    // A ring spanning no time keeps the old rate instead of dividing by zero.
    for (int frame = 0; frame < 15; ++frame) {
        mRenderer->BeginDraw(false);
        mRenderer->EndDraw(true);
    }
    EXPECT_FLOAT_EQ(mRenderer->GetFramesPerSecond(), 50.0f);

    // Across the wrap of the millisecond counter.
    gNow = 0xFFFFFF00u;
    for (int frame = 0; frame < 15; ++frame) {
        mRenderer->BeginDraw(false);
        mRenderer->EndDraw(true);
        gNow += 10;
    }
    EXPECT_FLOAT_EQ(mRenderer->GetFramesPerSecond(), 100.0f);
}

TEST_F(RendererTest, FrameFollowsTheDeviceAnswer)
{
    mDevice->mFrameResult = false;
    EXPECT_FALSE(mRenderer->BeginDraw(true));
    EXPECT_FALSE(mRenderer->IsDrawing());
    std::vector<TRecordingDevice::Call> begins = mDevice->Find("BeginFrame");
    ASSERT_EQ(begins.size(), 1u);
    EXPECT_EQ(begins[0].value, 1);
    mDevice->mFrameResult = true;
    EXPECT_TRUE(mRenderer->BeginDraw(false));
    mRenderer->EndDraw(true);
    EXPECT_EQ(mDevice->Find("EndFrame").back().value, 1);
}

TEST_F(RendererTest, RenderToTextureIsRefusedWhileDrawingAndReleasesTheTarget)
{
    TTextureRef target = FakeTexture();
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(target, 0));
    EXPECT_EQ(target.use_count(), 1);
    EXPECT_EQ(mDevice->Count("BeginRenderToTexture"), 0u);
    EXPECT_FALSE(mLog.Has("RenderToTexture"));
    mRenderer->EndDraw(true);

    EXPECT_TRUE(mRenderer->BeginRenderToTexture(target, 2));
    EXPECT_TRUE(mRenderer->IsDrawing());
    EXPECT_TRUE(mRenderer->IsRenderingToTexture());
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(target, 2)); // a second one
    mRenderer->EndRenderToTexture();
    EXPECT_FALSE(mRenderer->IsRenderingToTexture());
    EXPECT_FALSE(mRenderer->IsDrawing());
    EXPECT_EQ(mDevice->Count("EndRenderToTexture"), 1u);
    EXPECT_EQ(mDevice->Find("BeginRenderToTexture")[0].value, 2);

    // A stray end does not reach the device (it would restore a viewport
    // that was never saved).
    mRenderer->EndRenderToTexture();
    EXPECT_EQ(mDevice->Count("EndRenderToTexture"), 1u);
    EXPECT_EQ(target.use_count(), 1);

    mDevice->mRenderToTextureResult = false;
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(target, 0));
    EXPECT_FALSE(mRenderer->IsDrawing());
}

TEST_F(RendererTest, StatisticsOverlayDrawsInItsOwnPassWhenOn)
{
    mRenderer->ToggleStats();
    EXPECT_TRUE(mRenderer->IsStatsOn());
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(true);
    EXPECT_EQ(mDevice->Ops({"BeginFrame", "Begin2d", "FillColourRect", "End2d", "EndFrame"}),
              (std::vector<std::string>{"BeginFrame", "Begin2d", "FillColourRect", "End2d", "EndFrame"}));
    std::vector<TRecordingDevice::Call> fills = mDevice->Find("FillColourRect");
    EXPECT_EQ(fills[0].rect, TRect(0, 0, 300, 40));
    EXPECT_EQ(fills[0].rgba[0] + fills[0].rgba[1] + fills[0].rgba[2], 0.0f);
    EXPECT_EQ(fills[0].rgba[3], 1.0f);

    // Inside an open 2D pass the overlay leaves that pass open.
    mDevice->Clear();
    mRenderer->BeginDraw(false);
    mRenderer->Begin2d();
    mRenderer->EndDraw(true);
    EXPECT_TRUE(mRenderer->IsIn2d());
    EXPECT_EQ(mDevice->Count("End2d"), 0u);
    mRenderer->End2d();

    EXPECT_EQ(std::string(mRenderer->GetStatsText().c_str()),
              "Kavrel Version 4.0.7.5<br>FPS<tab pos='200'>0.000000<br>");

    mRenderer->ToggleStats();
    EXPECT_FALSE(mRenderer->IsStatsOn());
    mDevice->Clear();
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(true);
    EXPECT_EQ(mDevice->Count("FillColourRect"), 0u);
}

TEST_F(RendererTest, GuardsCloseOnlyThePassTheyOpened)
{
    {
        T2dGuard guard;
        EXPECT_TRUE(guard.Begin2d());
        EXPECT_TRUE(mRenderer->IsIn2d());
    }
    EXPECT_FALSE(mRenderer->IsIn2d());

    mRenderer->Begin2d();
    {
        T2dGuard guard;
        EXPECT_TRUE(guard.Begin2d()); // already open: not begun by the guard
        guard.End2dIfBegun();
        EXPECT_TRUE(mRenderer->IsIn2d());
    }
    EXPECT_TRUE(mRenderer->IsIn2d());
    mRenderer->End2d();

    {
        T3dGuard guard;
        EXPECT_TRUE(guard.Begin3d());
        guard.End3dIfBegun();
        EXPECT_FALSE(mRenderer->IsIn3d());
        guard.End3dIfBegun(); // once only
    }
    EXPECT_FALSE(mLog.Has("not in Begin"));
}

TEST_F(RendererTest, TextureAndForwardersReachTheDevice)
{
    TTextureRef texture = FakeTexture();
    mRenderer->SetTexture(texture);
    EXPECT_EQ(texture.use_count(), 2);
    TTextureRef current;
    mRenderer->GetTexture(current);
    EXPECT_EQ(current, texture);
    mRenderer->SetTexture(TTextureRef());
    current.reset();
    EXPECT_EQ(texture.use_count(), 1);

    TMat4 world;
    world.Translate(TVec3(1, 2, 3));
    mRenderer->SetWorldTransform(world);
    TMat4 back;
    mRenderer->GetWorldTransform(back);
    EXPECT_EQ(back(3, 1), 2.0f);
    mDevice->mSquareTextures = true;
    EXPECT_TRUE(mRenderer->NeedsSquareTextures());
    mRenderer->SetBlendMode(2);
    mRenderer->SetCullMode(3);
    mRenderer->SetTextureFilter(1);
    EXPECT_EQ(mDevice->Find("SetBlendMode")[0].value, 2);
    EXPECT_EQ(mDevice->Find("SetCullMode")[0].value, 3);
}

TEST_F(RendererTest, MaterialsAndLightsReachTheDeviceAndEnd2dDropsTheTexture)
{
    TMaterial material;
    material.diffuse = {1, 0.5f, 0.25f, 1};
    material.power = 8;
    mRenderer->SetMaterial(material);
    EXPECT_EQ(mDevice->mMaterial.diffuse.g, 0.5f);
    EXPECT_EQ(mDevice->mMaterial.power, 8.0f);
    TRenderer::ClearMaterial(material);
    const float* floats = reinterpret_cast<const float*>(&material);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(floats[i], 0.0f) << i;

    TLight light;
    light.kind = kLightPoint;
    light.position[2] = 5;
    mRenderer->SetLight(3, &light);
    EXPECT_TRUE(mDevice->mLightOn[3]);
    EXPECT_EQ(mDevice->mLights[3].position[2], 5.0f);
    mRenderer->SetLight(3, nullptr);
    EXPECT_FALSE(mDevice->mLightOn[3]);

    TTextureRef texture = FakeTexture();
    mRenderer->Begin2d();
    mRenderer->SetTexture(texture);
    EXPECT_EQ(texture.use_count(), 2);
    mRenderer->End2d();
    TTextureRef current;
    mRenderer->GetTexture(current);
    EXPECT_EQ(current, nullptr);
    EXPECT_EQ(texture.use_count(), 1);
}

TEST(RendererSingleton, WithoutADeviceNothingOpensAndShutdownMakesANewOne)
{
    TRenderer::Shutdown();
    TRenderer* first = TRenderer::Get();
    EXPECT_EQ(TRenderer::Get(), first);
    EXPECT_FALSE(first->BeginDraw(false));
    EXPECT_FALSE(first->Begin2d());
    TRect viewport(1, 1, 1, 1);
    first->GetViewport(viewport);
    EXPECT_EQ(viewport, TRect());
    const float c[4] = {1, 1, 1, 1};
    first->FillRect(TRect(0, 0, 1, 1), c);
    first->EndDraw(true);
    TRenderer::Shutdown();
    TRenderer::Shutdown(); // twice is harmless
    EXPECT_NE(TRenderer::Get(), nullptr);
    TRenderer::Shutdown();
}

} // namespace
