// The renderer facade: its passes, frames, clip and viewport stacks and
// forwarders, seen on the graphics device under the display layer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Timer.h"
#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/Renderer.h"
#include "render/TextServices.h"
#include "render/TestTexture.h"
#include "render/VertexList.h"
#include "support/HeadlessDisplay.h"
#include "support/TempFolder.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeTime()
{
    return gNow;
}

// What the passes did on the graphics device, in order: "2d" and "3d" for
// the pass states (clipping off, on) and "end 2d" for the end of a 2D pass
// (the texture unbound). The end of a 3D pass changes nothing there.
std::vector<std::string> PassMarks()
{
    std::vector<std::string> marks;
    for (const std::string& call : GfxRecordingLog().calls) {
        if (call == "SetRenderState Clipping 0")
            marks.push_back("2d");
        else if (call == "SetRenderState Clipping 1")
            marks.push_back("3d");
        else if (call == "SetTexture 0 null")
            marks.push_back("end 2d");
    }
    return marks;
}

// The recorded calls that start with prefix, in order.
std::vector<std::string> CallsOf(const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& call : GfxRecordingLog().calls)
        if (call.compare(0, prefix.size(), prefix) == 0)
            out.push_back(call);
    return out;
}

// The name of a test texture's surface in the call log.
std::string SurfaceOf(const TTextureRef& texture)
{
    return SurfaceName(TestTextureData(texture)->GetSurface());
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        mLog.Restart(); // a fresh log for each case of a table
        gNow = 1000;
        SetTimerSource(FakeTime);
        mDisplay = std::make_unique<THeadlessDisplay>();
        mRenderer = TRenderer::Get();
    }
    void TearDown() override
    {
        mDisplay.reset();
        TRenderer::Shutdown();
        SetTimerSource(nullptr);
    }

    TTempLogFolder mLog{"renderertest"};
    std::unique_ptr<THeadlessDisplay> mDisplay;
    TRenderer* mRenderer = nullptr;
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
        std::vector<std::string> deviceMarks; // PassMarks()
    };
    const std::vector<Case> cases = {
        {{{"Begin2d", true, ""}, {"Begin2d", false, "Begin2d called when already in Begin2d state"}},
         true, false, {"2d"}},
        {{{"Begin2d", true, ""}, {"Begin2d", false, ""}, {"End2d", true, ""}}, false, false, {"2d", "end 2d"}},
        {{{"Begin3d", true, ""}, {"Begin2d", false, "Begin2d called when already in Begin3d state"}},
         false, true, {"3d"}},
        {{{"Begin2d", true, ""}, {"Begin3d", false, "Begin3d called when already in Begin2d state"}},
         true, false, {"2d"}},
        {{{"Begin3d", true, ""}, {"Begin3d", false, "Begin3d called when already in Begin3d state"}},
         false, true, {"3d"}},
        {{{"End3d", true, "End3d called when not in Begin3d state"}}, false, false, {}},
        {{{"End2d", true, "End2d called when not in Begin2d state"}}, false, false, {}},
        {{{"Begin3d", true, ""}, {"End2d", true, "End2d called when not in Begin2d state"}}, false, true,
         {"3d"}},
        {{{"Begin2d", true, ""}, {"End2d", true, ""}, {"Begin3d", true, ""}, {"End3d", true, ""}}, false, false,
         {"2d", "end 2d", "3d"}},
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
        EXPECT_EQ(PassMarks(), cases[i].deviceMarks);
    }
}

TEST_F(RendererTest, RefusedDevicePassLeavesStateClear)
{
    // A drawing device without a display refuses passes.
    TGfxFrameHost noDisplay(nullptr);
    mRenderer->SetDevice(std::make_unique<TGfxRenderDevice>(&noDisplay));
    EXPECT_FALSE(mRenderer->Begin2d());
    EXPECT_FALSE(mRenderer->IsIn2d());
    EXPECT_FALSE(mRenderer->Begin3d());
    EXPECT_FALSE(mRenderer->IsIn3d());
    mRenderer->SetDevice(std::make_unique<TGfxRenderDevice>(GetPlatformRenderHost()));
    EXPECT_TRUE(mRenderer->Begin2d());
    EXPECT_FALSE(mLog.Has("already"));
    mRenderer->End2d();
}

TEST_F(RendererTest, VerticesDrawOnlyInsideAPass)
{
    TLitVertex corners[3];
    corners[1].x = 10;
    corners[2].y = 10;
    TVertexList list(kVertexSprite, corners, 3);
    uint16_t indices[3] = {0, 1, 2};
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    mRenderer->DrawVertices(4, list);
    mRenderer->DrawIndexedVertices(4, list, indices, 3);
    EXPECT_EQ(mLog.Count("DrawVertices called when not in Begin2d or Begin3d state"), 1);
    EXPECT_EQ(mLog.Count("DrawIndexedVertices called when not in Begin2d or Begin3d state"), 1);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());

    mRenderer->Begin2d();
    mRenderer->DrawVertices(4, list);
    mRenderer->End2d();
    mRenderer->DrawVertices(4, list); // between passes: refused again
    mRenderer->Begin3d();
    mRenderer->DrawIndexedVertices(4, list, indices, 3);
    mRenderer->End3d();
    mRenderer->EndDraw(false);
    const std::vector<GfxDrawRecord>& draws = GfxRecordingLog().draws;
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_TRUE(draws[0].indices.empty());
    EXPECT_EQ(draws[1].indices, (std::vector<uint16_t>{0, 1, 2}));
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
    EXPECT_EQ(mDisplay->Device().GetClipRect(), TRect(700, 500, 900, 700));

    mRenderer->PopClipRect();
    EXPECT_EQ(mDisplay->Device().GetClipRect(), TRect(0, 0, 800, 600));
    mRenderer->PopClipRect(); // one left: stays
    mRenderer->GetClipRect(clip);
    EXPECT_EQ(clip, TRect(0, 0, 800, 600));
    EXPECT_EQ(mRenderer->GetClipDepth(), 1u);
    // Each clip rectangle the device got, as its viewport within the screen.
    EXPECT_EQ(CallsOf("SetViewport"), (std::vector<std::string>{"SetViewport 0,0,800,600", "SetViewport 700,500,100,100",
                                                                "SetViewport 0,0,800,600"}));
}

TEST_F(RendererTest, FillRectIsRelativeToTheViewportAndCutToIt)
{
    const float red[4] = {1, 0, 0, 1};
    TTextureRef texture = MakeTestTexture(64, 64);
    GfxRecordingLog().Clear();
    mRenderer->PushViewport(TRect(100, 50, 200, 100));
    TRect viewport;
    mRenderer->GetViewport(viewport);
    EXPECT_EQ(viewport, TRect(100, 50, 200, 100));

    mRenderer->FillRect(TRect(0, 0, 10, 10), red);
    mRenderer->FillRect(TRect(90, 40, 150, 80), red);  // cut at the viewport's far edges
    mRenderer->FillRect(TRect(-20, -20, 5, 5), red);   // cut at its near edges
    mRenderer->FillRect(TRect(200, 0, 250, 10), red);  // wholly outside: nothing
    mRenderer->FillRect(TRect(0, 0, 10, 10), red, texture); // texture pixels, as given

    // Outside a frame the fills go straight into the back buffer (which has
    // no alpha) or the texture.
    EXPECT_EQ(CallsOf("Fill "), (std::vector<std::string>{"Fill back 100,50,110,60 00ff0000",
                                                          "Fill back 190,90,200,100 00ff0000",
                                                          "Fill back 100,50,105,55 00ff0000",
                                                          "Fill " + SurfaceOf(texture) + " 0,0,10,10 ffff0000"}));

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
    GfxInjectResult(GfxOp::BeginScene, GfxResult::Failed);
    EXPECT_FALSE(mRenderer->BeginDraw(true));
    EXPECT_FALSE(mRenderer->IsDrawing());
    EXPECT_EQ(GfxRecordingLog().calls, std::vector<std::string>{"BeginScene -> Failed"});

    // Presented only when asked.
    EXPECT_TRUE(mRenderer->BeginDraw(false));
    mRenderer->EndDraw(false);
    EXPECT_EQ(GfxRecordingLog().Count("EndScene"), 1u);
    EXPECT_EQ(GfxRecordingLog().presents, 0u);
    EXPECT_TRUE(mRenderer->BeginDraw(false));
    mRenderer->EndDraw(true);
    EXPECT_EQ(GfxRecordingLog().Count("EndScene"), 2u);
    EXPECT_EQ(GfxRecordingLog().presents, 1u);
}

TEST_F(RendererTest, RenderToTextureIsRefusedWhileDrawingAndReleasesTheTarget)
{
    TTextureRef target = MakeTestTexture(64, 64);
    const std::string surface = SurfaceOf(target);
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    GfxRecordingLog().Clear();
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(target, 0));
    EXPECT_EQ(target.use_count(), 1);
    EXPECT_TRUE(GfxRecordingLog().calls.empty());
    EXPECT_FALSE(mLog.Has("RenderToTexture"));
    mRenderer->EndDraw(true);

    GfxRecordingLog().Clear();
    EXPECT_TRUE(mRenderer->BeginRenderToTexture(target, 2));
    EXPECT_TRUE(mRenderer->IsDrawing());
    EXPECT_TRUE(mRenderer->IsRenderingToTexture());
    // Mode 2 starts from the texture's picture.
    EXPECT_TRUE(GfxRecordingLog().Has("Blt back 0,0,64,64 <- " + surface));
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(target, 2)); // a second one
    mRenderer->EndRenderToTexture();
    EXPECT_FALSE(mRenderer->IsRenderingToTexture());
    EXPECT_FALSE(mRenderer->IsDrawing());
    // The end copies the picture into the texture, once, and shows nothing.
    EXPECT_TRUE(CallsInOrder({"BeginScene", "EndScene", "Blt " + surface + " 0,0,64,64 <- back"}));
    EXPECT_EQ(GfxRecordingLog().Count("Blt " + surface), 1u);
    EXPECT_EQ(GfxRecordingLog().presents, 0u);

    // A stray end does not reach the device (it would restore a viewport
    // that was never saved).
    GfxRecordingLog().Clear();
    mRenderer->EndRenderToTexture();
    EXPECT_TRUE(GfxRecordingLog().calls.empty());
    EXPECT_EQ(target.use_count(), 1);

    // Refused by the device: no frame, or a texture without a surface.
    GfxInjectResult(GfxOp::BeginScene, GfxResult::Failed);
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(target, 0));
    EXPECT_FALSE(mRenderer->IsDrawing());
    EXPECT_EQ(target.use_count(), 1);
    TTextureRef bare = MakeEmptyTestTexture();
    EXPECT_FALSE(mRenderer->BeginRenderToTexture(bare, 0));
    EXPECT_FALSE(mRenderer->IsDrawing());
}

TEST_F(RendererTest, StatisticsOverlayDrawsInItsOwnPassWhenOn)
{
    mRenderer->ToggleStats();
    EXPECT_TRUE(mRenderer->IsStatsOn());
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(true);
    // Frame, 2D pass, the fill, the pass's end (texture unbound), present.
    EXPECT_TRUE(CallsInOrder({"BeginScene", "SetRenderState Clipping 0", "DrawPrimitive TriangleFan",
                              "SetTexture 0 null", "EndScene", "Present"}));
    std::vector<TDrawnFill> fills = DrawnFills();
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, TRect(0, 0, 300, 40));
    EXPECT_EQ(fills[0].argb, 0xFF000000u); // opaque black

    // Inside an open 2D pass the overlay leaves that pass open.
    mRenderer->BeginDraw(false);
    mRenderer->Begin2d();
    GfxRecordingLog().Clear();
    mRenderer->EndDraw(true);
    EXPECT_TRUE(mRenderer->IsIn2d());
    const GfxCallLog& calls = GfxRecordingLog();
    int32_t draw = calls.Find("DrawPrimitive");
    ASSERT_GE(draw, 0);
    EXPECT_FALSE(calls.Has("SetRenderState Clipping")) << "no second 2D pass";
    EXPECT_EQ(calls.Find("SetTexture 0 null", size_t(draw)), -1) << "the pass was ended";
    mRenderer->End2d();

    EXPECT_EQ(std::string(mRenderer->GetStatsText().c_str()),
              "Kavrel Version 4.0.7.5<br>FPS<tab pos='200'>0.000000<br>");

    mRenderer->ToggleStats();
    EXPECT_FALSE(mRenderer->IsStatsOn());
    GfxRecordingLog().Clear();
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(true);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
}

TEST_F(RendererTest, StatisticsOverlayWritesItsTextInRedOverTheBlackBox)
{
    TFontCache fonts(kBuiltinFontData, sizeof kBuiltinFontData);
    TDnMiniVecDraw rasteriser;
    SetTextServices(&fonts, &rasteriser);
    mRenderer->ToggleStats();
    GfxRecordingLog().Clear();
    mRenderer->BeginDraw(false);
    mRenderer->EndDraw(true);
    SetTextServices(nullptr, nullptr);

    // The text goes out as red line spans, all of them inside the box (two
    // 16-pixel lines, the rate at 200 pixels).
    size_t lines = 0;
    for (const GfxDrawRecord& draw : GfxRecordingLog().draws) {
        if (draw.primitive != GfxPrimitive::LineList)
            continue;
        for (uint32_t v = 0; v < draw.vertexCount; ++v, ++lines) {
            EXPECT_EQ(draw.Word(v, 16) & 0x00FFFFFFu, 0x00FF0000u) << "vertex " << v;
            EXPECT_GE(draw.Float(v, 0), -1.0f);
            EXPECT_LE(draw.Float(v, 0), 300.0f);
            EXPECT_GE(draw.Float(v, 4), 0.0f);
            EXPECT_LE(draw.Float(v, 4), 40.0f);
        }
    }
    EXPECT_GT(lines, 200u);
    mRenderer->ToggleStats();
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
    GfxDevice* gfx = mDisplay->Gfx();
    TTextureRef texture = MakeTestTexture(8, 8);
    mRenderer->SetTexture(texture);
    EXPECT_EQ(texture.use_count(), 2);
    EXPECT_EQ(gfx->GetTexture(), TestTextureData(texture)->GetSurface());
    TTextureRef current;
    mRenderer->GetTexture(current);
    EXPECT_EQ(current, texture);
    mRenderer->SetTexture(TTextureRef());
    current.reset();
    EXPECT_EQ(texture.use_count(), 1);
    EXPECT_EQ(gfx->GetTexture(), nullptr);

    TMat4 world;
    world.Translate(TVec3(1, 2, 3));
    mRenderer->SetWorldTransform(world);
    TMat4 back;
    mRenderer->GetWorldTransform(back);
    EXPECT_EQ(back(3, 1), 2.0f);
    EXPECT_FALSE(mRenderer->NeedsSquareTextures());
    GfxCaps caps;
    caps.squareOnly = true;
    GfxInjectCaps(&caps);
    EXPECT_TRUE(mRenderer->NeedsSquareTextures());
    GfxInjectCaps(nullptr);
    mRenderer->SetBlendMode(2);
    mRenderer->SetCullMode(3);
    mRenderer->SetTextureFilter(0);
    EXPECT_EQ(gfx->GetRenderState(GfxRs::DestBlend), GfxBlend::One); // additive
    EXPECT_EQ(gfx->GetRenderState(GfxRs::CullMode), 3u);
    EXPECT_EQ(gfx->GetTextureStageState(GfxTss::MagFilter), GfxMagFilter::Point);
}

TEST_F(RendererTest, MaterialsAndLightsReachTheDeviceAndEnd2dDropsTheTexture)
{
    TMaterial material;
    material.diffuse = {1, 0.5f, 0.25f, 1};
    material.power = 8;
    mRenderer->SetMaterial(material);
    GfxDevice* gfx = mDisplay->Gfx();
    EXPECT_EQ(gfx->GetMaterial().diffuse.g, 0.5f);
    EXPECT_EQ(gfx->GetMaterial().power, 8.0f);
    TRenderer::ClearMaterial(material);
    const float* floats = reinterpret_cast<const float*>(&material);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(floats[i], 0.0f) << i;

    TLight light;
    light.kind = kLightPoint;
    light.position[2] = 5;
    mRenderer->SetLight(3, &light);
    EXPECT_TRUE(gfx->IsLightEnabled(3));
    GfxLight set;
    ASSERT_EQ(gfx->GetLight(3, &set), GfxResult::Ok);
    EXPECT_EQ(set.type, GfxLightType::Point);
    EXPECT_EQ(set.position.z, 5.0f);
    mRenderer->SetLight(3, nullptr);
    EXPECT_FALSE(gfx->IsLightEnabled(3));

    TTextureRef texture = MakeTestTexture(8, 8);
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
