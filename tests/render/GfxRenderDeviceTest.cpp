// The drawing device over the recording graphics display: viewports and the
// clip rectangle, fills, frames, drawing into textures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "GfxTestHost.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/recording/GfxRecording.h"
#include "render/VertexList.h"
#include "support/TempFolder.h"

namespace {

class GfxRenderDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        GfxInjectReset();
        GfxRecordingLog().Clear();
        mDisplay = GfxCreateRecordingDisplay();
        ASSERT_EQ(mDisplay->Create(nullptr, {800, 600, 32, false}), GfxResult::Ok);
        mHost = std::make_unique<TTestRenderHost>(mDisplay.get());
        mDevice = std::make_unique<TGfxRenderDevice>(mHost.get());
        GfxRecordingLog().Clear();
    }
    void TearDown() override
    {
        mDevice.reset();
        mHost.reset();
        mDisplay.reset();
        GfxInjectReset();
    }

    GfxViewport DeviceViewport() const { return mDisplay->GetDevice()->GetViewport(); }
    static GfxViewport Vp(int32_t x, int32_t y, int32_t w, int32_t h) { return GfxViewport{x, y, w, h, 0, 1}; }

    std::unique_ptr<GfxSurface> Surface(uint32_t w, uint32_t h)
    {
        GfxSurfaceDesc desc;
        desc.width = w;
        desc.height = h;
        desc.alpha = true;
        std::unique_ptr<GfxSurface> s;
        EXPECT_EQ(mDisplay->CreateSurface(desc, &s), GfxResult::Ok);
        return s;
    }
    uint32_t Pixel(GfxSurface* s, int32_t x, int32_t y)
    {
        GfxLocked locked;
        EXPECT_EQ(s->Lock(nullptr, GfxLock::ReadOnly, &locked), GfxResult::Ok);
        uint32_t p = locked.pixels[size_t(y) * locked.pitch + size_t(x)];
        s->Unlock();
        return p;
    }

    TTempLogFolder mLog{"gfxrenderdevice"};
    std::unique_ptr<GfxDisplay> mDisplay;
    std::unique_ptr<TTestRenderHost> mHost;
    std::unique_ptr<TGfxRenderDevice> mDevice;
};

TEST_F(GfxRenderDeviceTest, ANewDisplayGetsTheWholeScreenAndTheDeviceDefaults)
{
    EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 800, 600));
    EXPECT_EQ(mDevice->GetScreenRect(), TRect(0, 0, 800, 600));
    GfxDevice* device = mDisplay->GetDevice();
    EXPECT_EQ(device->GetRenderState(GfxRs::AlphaTestEnable), 1u);
    EXPECT_EQ(device->GetRenderState(GfxRs::Ambient), 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(device->GetMaterial().ambient.r, 0.5f);
    EXPECT_EQ(device->GetMaterial().power, 1.0f);

    // A viewport pushed, then a new mode: back to the whole new screen.
    mDevice->PushViewport(TRect(10, 10, 50, 50));
    ASSERT_EQ(mDisplay->Create(nullptr, {640, 480, 32, true}), GfxResult::Ok);
    EXPECT_TRUE(mDevice->BeginFrame(false));
    EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 640, 480));
    EXPECT_EQ(mDevice->GetViewportDepth(), 0u);
    EXPECT_EQ(DeviceViewport(), Vp(0, 0, 640, 480));
    EXPECT_EQ(mDisplay->GetDevice()->GetRenderState(GfxRs::AlphaRef), 1u);
    mDevice->EndFrame(true);
}

TEST_F(GfxRenderDeviceTest, ViewportsAreClampedOnTheDeviceAndStoredAsGiven)
{
    mDevice->PushViewport(TRect(-50, -20, 900, 700));
    EXPECT_EQ(mDevice->GetViewport(), TRect(-50, -20, 900, 700));
    EXPECT_EQ(DeviceViewport(), Vp(0, 0, 800, 600));

    mDevice->PushViewport(TRect(700, 500, 900, 650));
    EXPECT_EQ(DeviceViewport(), Vp(700, 500, 100, 100));
    mDevice->PopViewport();
    EXPECT_EQ(mDevice->GetViewport(), TRect(-50, -20, 900, 700));
    mDevice->PopViewport();
    EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 800, 600));

    // A stray pop is ignored.
    mDevice->PopViewport();
    EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 800, 600));
    EXPECT_TRUE(mLog.Has("PopViewport"));
}

TEST_F(GfxRenderDeviceTest, AHostedDisplayScalesViewportsAndFillsIntoTheBackBuffer)
{
    // The host's window is 1.5 times the program's 800x600.
    mDevice->SetHostScale(1.5f);
    ASSERT_EQ(mDisplay->Create(nullptr, {1200, 900, 32, false}), GfxResult::Ok);
    mDevice->ResetDisplayState();
    EXPECT_EQ(mDevice->GetScreenRect(), TRect(0, 0, 800, 600));
    mDevice->PushViewport(TRect(100, 100, 201, 200));
    EXPECT_EQ(DeviceViewport(), Vp(150, 150, 152, 150));
    mDevice->PushViewport(TRect(700, 500, 900, 700));
    EXPECT_EQ(DeviceViewport(), Vp(1050, 750, 150, 150));
    GfxRecordingLog().Clear();
    const float red[4] = {1, 0, 0, 1};
    mDevice->FillColourRect(TRect(10, 10, 21, 20), red, TTextureRef());
    EXPECT_TRUE(GfxRecordingLog().Has("Fill back 15,15,31,30"));
}

TEST_F(GfxRenderDeviceTest, ARefusedViewportIsLoggedAndTheOldOneStays)
{
    mDevice->SetViewport(TRect(100, 100, 300, 300));
    GfxInjectResult(GfxOp::SetViewport, GfxResult::InvalidArg);
    mDevice->SetViewport(TRect(10, 20, 30, 40));
    EXPECT_TRUE(mLog.Has("Bad viewport: 10, 20, 30, 40"));
    EXPECT_EQ(mDevice->GetViewport(), TRect(100, 100, 300, 300));
    EXPECT_EQ(DeviceViewport(), Vp(100, 100, 200, 200));
}

TEST_F(GfxRenderDeviceTest, PopIgnoresTheClipUntilTheNextClipRect)
{
    mDevice->SetClipRect(TRect(100, 100, 200, 200));
    EXPECT_EQ(DeviceViewport(), Vp(100, 100, 100, 100));
    mDevice->PushViewport(TRect(150, 0, 400, 400));
    EXPECT_EQ(DeviceViewport(), Vp(150, 100, 50, 100));
    mDevice->PopViewport();
    EXPECT_EQ(DeviceViewport(), Vp(0, 0, 800, 600));
    mDevice->SetClipRect(TRect(100, 100, 200, 200));
    EXPECT_EQ(DeviceViewport(), Vp(100, 100, 100, 100));
}

TEST_F(GfxRenderDeviceTest, NothingIsDrawnWhileNothingOfTheViewportShows)
{
    TLitVertex quad[4];
    TVertexList list(kVertexSprite, quad, 4);
    ASSERT_TRUE(mDevice->BeginFrame(false));
    ASSERT_TRUE(mDevice->Begin2d());
    mDevice->SetClipRect(TRect(900, 0, 1000, 100)); // off the screen
    mDevice->DrawVertices(6, list);
    mDevice->SetClipRect(TRect(0, 0, 100, 100));
    mDevice->PushViewport(TRect(200, 200, 300, 300)); // outside the clip
    mDevice->DrawVertices(6, list);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    mDevice->PopViewport();
    mDevice->DrawVertices(6, list);
    EXPECT_EQ(GfxRecordingLog().draws.size(), 1u);
    mDevice->End2d();
    mDevice->EndFrame(false);
}

TEST_F(GfxRenderDeviceTest, FramesClearDepthOverTheScreenThenSetTheViewport)
{
    mDevice->SetClipRect(TRect(0, 0, 400, 300));
    GfxRecordingLog().Clear();
    ASSERT_TRUE(mDevice->BeginFrame(false));
    EXPECT_TRUE(mDevice->IsInFrame());
    const GfxCallLog& log = GfxRecordingLog();
    int32_t begin = log.Find("BeginScene");
    int32_t whole = log.Find("SetViewport 0,0,800,600", size_t(begin));
    int32_t clear = log.Find("Clear 2 ", size_t(whole));
    int32_t current = log.Find("SetViewport 0,0,400,300", size_t(clear));
    EXPECT_GE(begin, 0);
    EXPECT_GT(whole, begin);
    EXPECT_GT(clear, whole);
    EXPECT_GT(current, clear);
    mDevice->EndFrame(true);
    EXPECT_FALSE(mDevice->IsInFrame());
    EXPECT_EQ(log.presents, 1u);
    mDevice->EndFrame(true); // no frame open: nothing
    EXPECT_EQ(log.presents, 1u);

    GfxInjectResult(GfxOp::BeginScene, GfxResult::SurfaceLost);
    EXPECT_FALSE(mDevice->BeginFrame(false));
    EXPECT_FALSE(mDevice->IsInFrame());
}

TEST_F(GfxRenderDeviceTest, FillsOutsideAFrameAreColourFillsCutToScreenAndClip)
{
    GfxSurface* back = mDisplay->GetBackBuffer();
    const float red[4] = {1, 0, 0, 1};
    mDevice->FillColourRect(TRect(-10, -10, 20, 20), red, TTextureRef());
    EXPECT_TRUE(GfxRecordingLog().Has("Fill back 0,0,20,20"));
    EXPECT_EQ(Pixel(back, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(back, 19, 19), 0xFFFF0000u);
    EXPECT_NE(Pixel(back, 20, 20), 0xFFFF0000u);

    mDevice->SetClipRect(TRect(100, 100, 200, 200));
    GfxRecordingLog().Clear();
    mDevice->FillColourRect(TRect(150, 150, 400, 400), red, TTextureRef());
    EXPECT_TRUE(GfxRecordingLog().Has("Fill back 150,150,200,200"));
    mDevice->FillColourRect(TRect(300, 300, 400, 400), red, TTextureRef()); // outside: nothing
    EXPECT_EQ(GfxRecordingLog().Count("Fill"), 1u);

    // Into a texture: its own pixels, cut to its size; components clamped.
    auto surface = Surface(64, 32);
    TTextureRef texture = mHost->AddTexture(surface.get(), 64, 32);
    const float bright[4] = {1.5f, 0.5f, -2.0f, 0.25f};
    mDevice->FillColourRect(TRect(60, 0, 100, 40), bright, texture);
    EXPECT_TRUE(GfxRecordingLog().Has("Fill " + std::string("s")));
    EXPECT_EQ(Pixel(surface.get(), 63, 31), 0x3FFF7F00u);
    EXPECT_EQ(Pixel(surface.get(), 59, 0), 0u);
}

TEST_F(GfxRenderDeviceTest, FillsInAFrameDrawAQuadRelativeToTheViewport)
{
    auto surface = Surface(16, 16);
    TTextureRef texture = mHost->AddTexture(surface.get(), 16, 16);
    const float colour[4] = {0, 1, 0, 0.5f};
    ASSERT_TRUE(mDevice->BeginFrame(false));
    mDevice->PushViewport(TRect(100, 50, 400, 300));
    ASSERT_TRUE(mDevice->Begin2d());
    mDevice->SetTexture(texture);
    mDevice->SetBlendMode(2);
    mDevice->FillColourRect(TRect(100, 50, 110, 60), colour, TTextureRef());
    ASSERT_EQ(GfxRecordingLog().draws.size(), 1u);
    const GfxDrawRecord& draw = GfxRecordingLog().draws[0];
    EXPECT_EQ(draw.primitive, GfxPrimitive::TriangleFan);
    EXPECT_EQ(draw.fvf, 0x1E2u);
    EXPECT_EQ(draw.vertexCount, 4u);
    const float corners[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(draw.Float(i, 0), corners[i][0]) << i;
        EXPECT_EQ(draw.Float(i, 4), corners[i][1]) << i;
        EXPECT_EQ(draw.Word(i, 16), 0x7F00FF00u) << i;
    }
    EXPECT_EQ(draw.state.texture, nullptr);
    EXPECT_EQ(draw.Get(GfxRs::DestBlend), GfxBlend::InvSrcAlpha);
    EXPECT_EQ(draw.Get(GfxRs::Lighting), 0u);
    // The texture bound before is bound again.
    EXPECT_EQ(mDisplay->GetDevice()->GetTexture(), surface.get());
    mDevice->End2d();
    EXPECT_EQ(mDisplay->GetDevice()->GetTexture(), nullptr);

    // Outside a 2D pass (the window manager's borders): the fill still gets
    // the 2D projection of the viewport, and the projection in force comes back.
    TMat4 custom;
    custom.Scale(3, 3, 3);
    mDevice->SetProjection(custom);
    mDevice->FillColourRect(TRect(100, 50, 110, 60), colour, TTextureRef());
    ASSERT_EQ(GfxRecordingLog().draws.size(), 2u);
    const GfxDrawRecord& outside = GfxRecordingLog().draws[1];
    EXPECT_FLOAT_EQ(outside.state.projection.m[0], 2.0f / 300);
    GfxMatrix after;
    mDisplay->GetDevice()->GetTransform(GfxTransform::Projection, &after);
    EXPECT_EQ(after.m[0], 3.0f);
    mDevice->PopViewport();
    mDevice->EndFrame(false);
}

TEST_F(GfxRenderDeviceTest, TexturesBindOnlyWhileTheDeviceIsReady)
{
    auto surface = Surface(8, 8);
    TTextureRef texture = mHost->AddTexture(surface.get(), 8, 8);
    mHost->mReady = false;
    mDevice->SetTexture(texture);
    EXPECT_EQ(mDisplay->GetDevice()->GetTexture(), nullptr);
    mHost->mReady = true;
    mDevice->SetTexture(texture);
    EXPECT_EQ(mDisplay->GetDevice()->GetTexture(), surface.get());
    mDevice->SetTexture(TTextureRef());
    EXPECT_EQ(mDisplay->GetDevice()->GetTexture(), nullptr);
}

TEST_F(GfxRenderDeviceTest, SquareTexturesFollowTheCaps)
{
    EXPECT_FALSE(mDevice->NeedsSquareTextures());
    GfxCaps caps;
    caps.maxTextureAspect = 32;
    GfxInjectCaps(&caps);
    EXPECT_TRUE(mDevice->NeedsSquareTextures());
    caps.maxTextureAspect = 64;
    caps.squareOnly = true;
    GfxInjectCaps(&caps);
    EXPECT_TRUE(mDevice->NeedsSquareTextures());
    GfxInjectCaps(nullptr);
}

class RenderToTextureTest : public GfxRenderDeviceTest {
protected:
    // Back buffer: left half grey 0x40, right half white (what the pass drew).
    void Draw()
    {
        GfxSurface* back = mDisplay->GetBackBuffer();
        GfxRect left{0, 0, 400, 600}, right{400, 0, 800, 600};
        back->Fill(&left, 0xFF404040u);
        back->Fill(&right, 0xFFFFFFFFu);
    }
};

TEST_F(RenderToTextureTest, ModesZeroAndOneCopyTheDrawnAreaAndDifferInAlpha)
{
    for (int32_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        auto surface = Surface(1024, 8);
        GfxRect all{0, 0, 1024, 8};
        surface->Fill(&all, 0x10203040u);
        TTextureRef texture = mHost->AddTexture(surface.get(), 1024, 8);
        ASSERT_TRUE(mDevice->BeginRenderToTexture(texture, mode));
        EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 1024, 8));
        EXPECT_EQ(DeviceViewport(), Vp(0, 0, 800, 8));
        Draw();
        mDevice->EndRenderToTexture();
        EXPECT_EQ(texture.use_count(), 1); // the device let go of it
        EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 800, 600));
        EXPECT_EQ(Pixel(surface.get(), 10, 3), 0xFF404040u);
        EXPECT_EQ(Pixel(surface.get(), 799, 7), 0xFFFFFFFFu);
        // Beyond the screen nothing was copied: only mode 0 makes it opaque.
        EXPECT_EQ(Pixel(surface.get(), 900, 0), mode == 0 ? 0xFF203040u : 0x10203040u);
    }
}

TEST_F(RenderToTextureTest, ModeTwoStartsFromTheTexturesPicture)
{
    auto surface = Surface(32, 32);
    GfxRect all{0, 0, 32, 32};
    surface->Fill(&all, 0xFF123456u);
    TTextureRef texture = mHost->AddTexture(surface.get(), 32, 32);
    ASSERT_TRUE(mDevice->BeginRenderToTexture(texture, 2));
    EXPECT_EQ(Pixel(mDisplay->GetBackBuffer(), 31, 31), 0xFF123456u);
    mDevice->EndRenderToTexture();
    EXPECT_EQ(Pixel(surface.get(), 0, 0), 0xFF123456u);
}

TEST_F(RenderToTextureTest, ModeFourTurnsTheDrawnGreyIntoAlpha)
{
    auto surface = Surface(800, 4);
    GfxRect all{0, 0, 800, 4};
    surface->Fill(&all, 0x00A0B0C0u);
    TTextureRef texture = mHost->AddTexture(surface.get(), 800, 4);
    Draw();
    ASSERT_TRUE(mDevice->BeginRenderToTexture(texture, 4));
    // The area started transparent black (the back buffer keeps alpha 255).
    EXPECT_EQ(Pixel(mDisplay->GetBackBuffer(), 10, 1), 0xFF000000u);
    // Blending accumulates: normal mode adds, darken becomes normal alpha.
    ASSERT_TRUE(mDevice->Begin2d());
    EXPECT_EQ(mDisplay->GetDevice()->GetRenderState(GfxRs::DestBlend), GfxBlend::One);
    EXPECT_EQ(mDisplay->GetDevice()->GetTextureStageState(GfxTss::ColorArg1),
              GfxTa::Texture | GfxTa::AlphaReplicate);
    mDevice->End2d();
    Draw();
    mDevice->EndRenderToTexture();
    EXPECT_EQ(Pixel(surface.get(), 10, 1), 0x40A0B0C0u);
    EXPECT_EQ(Pixel(surface.get(), 500, 3), 0xFFA0B0C0u);
    // Back to ordinary blending.
    mDevice->SetBlendMode(0);
    EXPECT_EQ(mDisplay->GetDevice()->GetRenderState(GfxRs::DestBlend), GfxBlend::InvSrcAlpha);
}

TEST_F(RenderToTextureTest, AFailedBeginLeavesNothingBehind)
{
    auto surface = Surface(64, 64);
    TTextureRef texture = mHost->AddTexture(surface.get(), 64, 64);
    GfxInjectResult(GfxOp::BeginScene, GfxResult::SurfaceLost);
    EXPECT_FALSE(mDevice->BeginRenderToTexture(texture, 0));
    EXPECT_EQ(texture.use_count(), 1);
    EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 800, 600));
    EXPECT_EQ(mDevice->GetViewportDepth(), 0u);
    EXPECT_EQ(DeviceViewport(), Vp(0, 0, 800, 600));
    mDevice->EndRenderToTexture(); // stray: nothing
    EXPECT_EQ(mDevice->GetViewport(), TRect(0, 0, 800, 600));

    // No surface for the texture, or the device broken: refused.
    TTextureRef unknown = std::make_shared<TTexture>();
    EXPECT_FALSE(mDevice->BeginRenderToTexture(unknown, 0));
    mHost->mReady = false;
    EXPECT_FALSE(mDevice->BeginRenderToTexture(texture, 0));
}

} // namespace
