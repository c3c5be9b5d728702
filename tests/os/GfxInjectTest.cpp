// Fault injection of the graphics stand-in (on the recording backend; the
// GL backend shares the same rules).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/recording/GfxRecording.h"

namespace {

class GfxInjection : public ::testing::Test {
protected:
    std::unique_ptr<GfxDisplay> display;

    void SetUp() override
    {
        GfxInjectReset();
        GfxRecordingLog().Clear();
        display = GfxCreateRecordingDisplay();
        ASSERT_EQ(display->Create(nullptr, {800, 600, 32, false}), GfxResult::Ok);
    }
    void TearDown() override
    {
        display.reset();
        GfxInjectReset();
    }

    std::unique_ptr<GfxSurface> Make(uint32_t w, uint32_t h, bool systemMemory = false,
                                     GfxResult* result = nullptr)
    {
        GfxSurfaceDesc d;
        d.width = w;
        d.height = h;
        d.systemMemory = systemMemory;
        std::unique_ptr<GfxSurface> s;
        GfxResult r = display->CreateSurface(d, &s);
        if (result)
            *result = r;
        return s;
    }
};

TEST_F(GfxInjection, QueuedResultsAreTakenInOrderThenCallsRunNormally)
{
    GfxDevice* dev = display->GetDevice();
    GfxInjectSequence(GfxOp::BeginScene, {GfxResult::SurfaceLost, GfxResult::OutOfVideoMemory});
    EXPECT_EQ(dev->BeginScene(), GfxResult::SurfaceLost);
    EXPECT_FALSE(dev->InScene());
    EXPECT_EQ(dev->BeginScene(), GfxResult::OutOfVideoMemory);
    EXPECT_EQ(dev->BeginScene(), GfxResult::Ok);
    EXPECT_EQ(GfxCallCount(GfxOp::BeginScene), 3u);
    EXPECT_TRUE(GfxRecordingLog().Has("BeginScene -> SurfaceLost"));

    // An injected state failure leaves the state as it was.
    GfxInjectResult(GfxOp::SetRenderState, GfxResult::OutOfVideoMemory);
    EXPECT_EQ(dev->SetRenderState(GfxRs::Lighting, 0), GfxResult::OutOfVideoMemory);
    EXPECT_EQ(dev->GetRenderState(GfxRs::Lighting), 1u);
    EXPECT_EQ(dev->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
}

TEST_F(GfxInjection, StickyResultsLastUntilReset)
{
    GfxInjectResult(GfxOp::TestCooperativeLevel, GfxResult::NoExclusiveMode, -1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(display->TestCooperativeLevel(), GfxResult::NoExclusiveMode);
    // Queued results come before the sticky one.
    GfxInjectResult(GfxOp::TestCooperativeLevel, GfxResult::WrongMode);
    EXPECT_EQ(display->TestCooperativeLevel(), GfxResult::WrongMode);
    EXPECT_EQ(display->TestCooperativeLevel(), GfxResult::NoExclusiveMode);
    EXPECT_EQ(GfxCallCount(GfxOp::TestCooperativeLevel), 7u);
    GfxInjectReset();
    EXPECT_EQ(GfxCallCount(GfxOp::TestCooperativeLevel), 0u);
    EXPECT_EQ(display->TestCooperativeLevel(), GfxResult::Ok);
    EXPECT_EQ(display->SetCooperativeLevel(true), GfxResult::Ok);
    GfxInjectResult(GfxOp::SetCooperativeLevel, GfxResult::ExclusiveModeAlreadySet);
    EXPECT_EQ(display->SetCooperativeLevel(true), GfxResult::ExclusiveModeAlreadySet);
}

TEST_F(GfxInjection, LostSurfacesFailUntilRestored)
{
    auto a = Make(4, 4);
    auto b = Make(4, 4);
    GfxDevice* dev = display->GetDevice();
    GfxInjectLoseSurfaces();
    EXPECT_TRUE(a->IsLost());
    EXPECT_TRUE(display->GetBackBuffer()->IsLost());
    EXPECT_EQ(dev->BeginScene(), GfxResult::SurfaceLost);
    EXPECT_EQ(dev->Clear(GfxClear::ZBuffer, 0, 1), GfxResult::SurfaceLost);
    EXPECT_EQ(display->Present(), GfxResult::SurfaceLost);
    GfxLocked lk;
    EXPECT_EQ(a->Lock(nullptr, 0, &lk), GfxResult::SurfaceLost);
    EXPECT_EQ(b->Blt(nullptr, a.get(), nullptr), GfxResult::SurfaceLost);

    // A surface made after the loss is fine.
    auto c = Make(4, 4);
    EXPECT_FALSE(c->IsLost());

    // One surface restored on its own; the rest with RestoreAllSurfaces.
    EXPECT_EQ(a->Restore(), GfxResult::Ok);
    EXPECT_FALSE(a->IsLost());
    EXPECT_TRUE(b->IsLost());
    GfxInjectResult(GfxOp::RestoreAllSurfaces, GfxResult::WrongMode);
    EXPECT_EQ(display->RestoreAllSurfaces(), GfxResult::WrongMode);
    EXPECT_TRUE(b->IsLost());
    EXPECT_EQ(display->RestoreAllSurfaces(), GfxResult::Ok);
    EXPECT_FALSE(b->IsLost());
    EXPECT_EQ(dev->BeginScene(), GfxResult::Ok);
    EXPECT_EQ(dev->EndScene(), GfxResult::Ok);
    EXPECT_EQ(display->Present(), GfxResult::Ok);

    // A second loss hits again; a reset ends it.
    GfxInjectLoseSurfaces();
    EXPECT_TRUE(b->IsLost());
    GfxInjectReset();
    EXPECT_FALSE(b->IsLost());
}

TEST_F(GfxInjection, SurfacesKeepTheirPixelsAcrossALoss)
{
    auto a = Make(2, 1);
    const uint32_t px[] = {0xFF112233, 0xFF445566};
    ASSERT_EQ(a->Upload(px, 2, 2, 1), GfxResult::Ok);
    GfxInjectLoseSurfaces();
    ASSERT_EQ(display->RestoreAllSurfaces(), GfxResult::Ok);
    GfxLocked lk;
    ASSERT_EQ(a->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[1], 0xFF445566u);
    a->Unlock();
}

TEST_F(GfxInjection, FailedCreationLeavesTheDisplayReleased)
{
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::OutOfVideoMemory);
    EXPECT_EQ(display->Create(nullptr, {800, 600, 32, true}), GfxResult::OutOfVideoMemory);
    EXPECT_FALSE(display->IsCreated());
    EXPECT_EQ(display->GetDevice(), nullptr);
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::DeviceRetry);
    EXPECT_EQ(display->Create(nullptr, {800, 600, 32, false}), GfxResult::DeviceRetry);
    EXPECT_EQ(display->Create(nullptr, {0, 600, 32, false}), GfxResult::InvalidArg);
    EXPECT_EQ(display->Create(nullptr, {800, 600, 32, false}), GfxResult::Ok);
    EXPECT_TRUE(GfxRecordingLog().Has("Create 800x600 full -> OutOfVideoMemory"));
}

TEST_F(GfxInjection, VideoMemoryBudget)
{
    // The back buffer (800x600x4) counts against the budget too.
    GfxInjectVideoMemory(800 * 600 * 4 + 100000);
    EXPECT_EQ(display->GetCaps().freeVideoMemory, 100000u);

    GfxResult r;
    auto a = Make(128, 128, false, &r);   // 65,536 bytes
    EXPECT_EQ(r, GfxResult::Ok);
    EXPECT_EQ(display->GetCaps().freeVideoMemory, 100000u - 65536u);
    auto b = Make(128, 128, false, &r);
    EXPECT_EQ(r, GfxResult::OutOfVideoMemory);
    EXPECT_EQ(b, nullptr);
    auto sys = Make(128, 128, true, &r);  // system memory is not counted
    EXPECT_EQ(r, GfxResult::Ok);
    a.reset();
    EXPECT_EQ(display->GetCaps().freeVideoMemory, 100000u);
    b = Make(128, 128, false, &r);
    EXPECT_EQ(r, GfxResult::Ok);
    // A mode whose back buffer does not fit fails for lack of video memory.
    display->Release();
    GfxInjectVideoMemory(1000000);
    EXPECT_EQ(display->Create(nullptr, {800, 600, 32, false}), GfxResult::OutOfVideoMemory);
}

TEST_F(GfxInjection, DesktopAndCapsOverrides)
{
    EXPECT_EQ(display->GetDesktop(), (GfxDesktop{-1, 1280, 1024}));
    GfxDesktop palette{256, 800, 600};
    GfxInjectDesktop(&palette);
    EXPECT_EQ(display->GetDesktop(), palette);
    GfxInjectDesktop(nullptr);
    EXPECT_EQ(display->GetDesktop().colours, -1);

    GfxCaps small;
    small.maxTextureWidth = small.maxTextureHeight = 512;
    small.squareOnly = true;
    small.specularGouraud = false;
    GfxInjectCaps(&small);
    EXPECT_EQ(display->GetCaps(), small);
    GfxResult r;
    auto big = Make(1024, 16, false, &r);
    EXPECT_EQ(r, GfxResult::InvalidArg);
    auto ok = Make(512, 16, false, &r);
    EXPECT_EQ(r, GfxResult::Ok);
    GfxInjectReset();
    EXPECT_EQ(display->GetCaps().maxTextureWidth, 2048u);
}

TEST_F(GfxInjection, SurfaceOperationsTakeTheirOwnResults)
{
    auto a = Make(4, 4);
    GfxInjectReset();   // count from here
    struct Case {
        GfxOp op;
        std::function<GfxResult()> call;
    } cases[] = {
        {GfxOp::CreateSurface, [&] { GfxResult r; Make(2, 2, false, &r); return r; }},
        {GfxOp::Fill, [&] { return a->Fill(nullptr, 0); }},
        {GfxOp::Blt, [&] { return a->Blt(nullptr, a.get(), nullptr); }},
        {GfxOp::Upload, [&] { uint32_t p = 0; return a->Upload(&p, 1, 1, 1); }},
        {GfxOp::Lock, [&] { GfxLocked lk; return a->Lock(nullptr, 0, &lk); }},
        {GfxOp::RestoreSurface, [&] { return a->Restore(); }},
        {GfxOp::Present, [&] { return display->Present(); }},
        {GfxOp::SetViewport, [&] { return display->GetDevice()->SetViewport({0, 0, 10, 10, 0, 1}); }},
        {GfxOp::SetTexture, [&] { return display->GetDevice()->SetTexture(0, a.get()); }},
        {GfxOp::SetLight, [&] { return display->GetDevice()->SetLight(0, GfxDefaultLight()); }},
        {GfxOp::LightEnable, [&] { return display->GetDevice()->LightEnable(0, true); }},
        {GfxOp::SetMaterial, [&] { return display->GetDevice()->SetMaterial(GfxMaterial()); }},
        {GfxOp::SetTransform, [&] { return display->GetDevice()->SetTransform(GfxTransform::View, GfxMatrix()); }},
        {GfxOp::SetTextureStageState,
         [&] { return display->GetDevice()->SetTextureStageState(0, GfxTss::AddressU, GfxAddress::Clamp); }},
        {GfxOp::Clear, [&] { return display->GetDevice()->Clear(GfxClear::ZBuffer, 0, 1); }},
    };
    for (auto& c : cases) {
        GfxInjectResult(c.op, GfxResult::OutOfVideoMemory);
        EXPECT_EQ(c.call(), GfxResult::OutOfVideoMemory) << GfxOpName(c.op);
        EXPECT_EQ(c.call(), GfxResult::Ok) << GfxOpName(c.op);
        EXPECT_EQ(GfxCallCount(c.op), 2u) << GfxOpName(c.op);
    }
    // An injected failure of a device draw: nothing recorded.
    GfxDevice* dev = display->GetDevice();
    ASSERT_EQ(dev->BeginScene(), GfxResult::Ok);
    float v[8] = {0, 0, 0, 1, 0, 0, 0, 0};
    GfxInjectResult(GfxOp::Draw, GfxResult::OutOfVideoMemory);
    EXPECT_EQ(dev->DrawPrimitive(GfxPrimitive::PointList, GfxFvf::Screen, v, 1), GfxResult::OutOfVideoMemory);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
}

TEST(GfxMessageBoxes, LogOnlyBoxesReachTheLogAndTheHook)
{
    static std::vector<std::string> lines;
    lines.clear();
    GfxSetLogSink([](const char* line) { lines.push_back(line); });
    std::vector<std::string> seen;
    GfxSetMessageBoxHook([&](OsWindow, const std::string& caption, const std::string& text, GfxBoxIcon icon) {
        seen.push_back(caption + "|" + text + "|" + std::to_string(int(icon)));
    });
    GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
    EXPECT_FALSE(GfxMessageBoxesShown());
    GfxMessageBox(nullptr, "Error", "Failed to initialize windowed mode. Trying full screen.", GfxBoxIcon::None);
    GfxMessageBox(nullptr, nullptr, nullptr, GfxBoxIcon::Stop);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Error|Failed to initialize windowed mode. Trying full screen.|0");
    EXPECT_EQ(seen[1], "||2");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Message box (Error): Failed to initialize windowed mode. Trying full screen.");
    // Automatic mode without a running video driver only logs.
    GfxSetMessageBoxMode(GfxBoxMode::Auto);
    EXPECT_FALSE(GfxMessageBoxesShown());
    GfxSetMessageBoxHook(nullptr);
    GfxSetLogSink(nullptr);
}

} // namespace
