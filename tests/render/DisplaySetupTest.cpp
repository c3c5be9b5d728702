#include "DisplayFixture.h"

#include "os/window/Input.h"

namespace {

using DisplaySetup = DisplayFixture;

const char* const kSorry = "Sorry, but this product isn't compatible with your display.";

TEST_F(DisplaySetup, WindowRulesForceFullScreenWithTheirLogLines)
{
    struct Case {
        const char* name;
        int32_t colours, width, height;
        bool oomRetry;
        bool lowMemory;
        bool expectFull;
        const char* logLine;
    } cases[] = {
        {"roomy desktop", -1, 1280, 1024, false, false, false, nullptr},
        {"one pixel larger", -1, 801, 601, false, false, false, nullptr},
        {"exactly the window's size", -1, 800, 600, false, false, true, "SetDisplay Forcing Fullscreen (SMALL)"},
        {"narrower", -1, 800, 1024, false, false, true, "SetDisplay Forcing Fullscreen (SMALL)"},
        {"256 colours", 256, 1280, 1024, false, false, true, "SetDisplay Forcing Fullscreen (PALLETTED)"},
        {"window ran out of memory", -1, 1280, 1024, true, false, true, "SetDisplay Forcing Fullscreen (MEMORY)"},
        {"low-memory mode", -1, 1280, 1024, false, true, true, "SetDisplay Forcing Fullscreen (MEMORY)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delete platform;
        MakePlatform();
        InjectDesktop(c.colours, c.width, c.height);
        Context().SetOutOfMemoryRetry(c.oomRetry);
        Data().mLowMemoryVideo = c.lowMemory;
        int before = c.logLine ? LogCount(c.logLine) : 0;
        platform->SetDisplay(800, 600, false, false, false, false);
        EXPECT_TRUE(ModeIs(800, 600, c.expectFull));
        EXPECT_TRUE(platform->IsDeviceReady());
        if (c.logLine) {
            EXPECT_EQ(LogCount(c.logLine), before + 1);
        }
        EXPECT_EQ(Context().GetDisplayMode().depth, c.lowMemory ? 16 : 32);
        EXPECT_TRUE(boxes.empty()) << boxes.front().text;
        EXPECT_TRUE(host->exits.empty());
    }
}

TEST_F(DisplaySetup, ASuccessfulModeSetsTheDeviceStateInOrder)
{
    GfxRecordingLog().Clear();
    platform->SetDisplay(800, 600, false, false, false, false);
    ASSERT_TRUE(platform->IsDeviceReady());
    std::vector<std::string> want = {
        "SetRenderState Ambient 4294967295", "SetRenderState ZEnable 1", "SetRenderState ZWriteEnable 1",
        "SetRenderState ColorVertex 1", "SetRenderState Lighting 1", "SetRenderState NormalizeNormals 1",
        "SetRenderState DiffuseMaterialSource 0", "SetRenderState AmbientMaterialSource 0",
        "SetRenderState SpecularMaterialSource 0", "SetRenderState EmissiveMaterialSource 0",
        "SetRenderState SrcBlend 5", "SetRenderState DestBlend 6", "SetRenderState AlphaBlendEnable 1",
        "SetRenderState Wrap0 0", "SetTextureStageState MagFilter 2", "SetTextureStageState MinFilter 2",
        "SetTextureStageState MipFilter 3", "SetTextureStageState ColorArg1 2",
        "SetTextureStageState ColorArg2 1", "SetTextureStageState ColorOp 4",
        "SetTextureStageState AlphaArg1 2", "SetTextureStageState AlphaArg2 1",
        "SetTextureStageState AlphaOp 4", "SetRenderState AlphaTestEnable 1", "SetRenderState AlphaRef 1",
        "SetRenderState AlphaFunc 7", "SetRenderState ShadeMode 2",
    };
    const auto& calls = GfxRecordingLog().calls;
    int32_t at = GfxRecordingLog().Find(want.front());
    ASSERT_GE(at, 0);
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(calls[size_t(at) + i], want[i]);

    // Default transforms and material.
    GfxDevice* device = Data().mDevice;
    GfxMatrix world, projection;
    device->GetTransform(GfxTransform::World, &world);
    EXPECT_EQ(world, GfxMatrix());
    device->GetTransform(GfxTransform::Projection, &projection);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(projection.m[i], Data().mProjection.m[i]);
    EXPECT_NE(projection, GfxMatrix());
    EXPECT_FLOAT_EQ(Data().mNear, 0.1f);
    EXPECT_FLOAT_EQ(Data().mFar, 1000.0f);
    const GfxMaterial& m = device->GetMaterial();
    EXPECT_EQ(m.diffuse, (GfxColorValue{1, 1, 1, 1}));
    EXPECT_EQ(m.ambient, (GfxColorValue{0.5f, 0.5f, 0.5f, 1}));
    EXPECT_EQ(m.specular, (GfxColorValue{1, 1, 1, 1}));
    EXPECT_EQ(m.emissive, (GfxColorValue{0, 0, 0, 1}));
    EXPECT_FLOAT_EQ(m.power, 1.0f);
    EXPECT_EQ(device->GetRenderState(GfxRs::Ambient), 0xFFFFFFFFu);
    EXPECT_EQ(Data().mRenderTarget, Context().GetBackSurface());
    EXPECT_EQ(Data().mMainRenderTarget, Context().GetBackSurface());
    EXPECT_TRUE(host->displayChanged);
}

TEST_F(DisplaySetup, CapabilitiesBecomeTheDisplayFlags)
{
    struct Case {
        bool squareOnly;
        uint32_t aspect;
        bool separate;
        bool specular;
        bool limits;
    } cases[] = {
        {false, 2048, false, true, false},
        {true, 2048, true, false, true},
        {false, 63, false, true, true},
        {false, 64, false, true, false},
    };
    for (const Case& c : cases) {
        GfxCaps caps;
        caps.squareOnly = c.squareOnly;
        caps.maxTextureAspect = c.aspect;
        caps.separateTextureMemories = c.separate;
        caps.specularGouraud = c.specular;
        GfxInjectCaps(&caps);
        platform->SetDisplay(800, 600, false, true, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
        EXPECT_EQ(platform->HasTextureLimits(), c.limits) << c.aspect;
        EXPECT_EQ(Data().mSeparateTextureMemory, c.separate);
        EXPECT_EQ(Data().mNoSpecular, !c.specular);
    }
}

TEST_F(DisplaySetup, FullScreenFailingFallsBackToAWindow)
{
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, true, false, false, false);
    EXPECT_TRUE(ModeIs(800, 600, false));
    EXPECT_TRUE(platform->IsDeviceReady());
    EXPECT_FALSE(Data().mFallback);
    EXPECT_EQ(LogCount("Failed to create screen at 32 bpp."), 1);
    EXPECT_EQ(LogCount("Failed to create a DirectDraw device after trying all GUIDs"), 1);
    // The compatibility box (no full screen has worked yet), then M11 after
    // the window came up.
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text.rfind(kSorry, 0), 0u);
    EXPECT_EQ(boxes[0].icon, GfxBoxIcon::Stop);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[1].text, "Failed to initialize full screen mode. Your video card is not supported. "
                             "Trying to run in a window.");
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_EQ(boxes[1].icon, GfxBoxIcon::None);

    // Once full screen has worked, a failing walk only logs.
    platform->SetDisplay(800, 600, true, false, false, false);
    ASSERT_TRUE(platform->IsFullScreen());
    boxes.clear();
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, true, true, true, false);
    EXPECT_TRUE(ModeIs(800, 600, false));
    EXPECT_TRUE(boxes.empty()) << "quiet, and no compatibility box after a success";
}

TEST_F(DisplaySetup, AWindowFailingFallsBackToFullScreen)
{
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(ModeIs(800, 600, true));
    EXPECT_TRUE(platform->IsDeviceReady());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to initialize windowed mode. Trying full screen.");
}

TEST_F(DisplaySetup, BothModesFailingIsFatal)
{
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed, 2);
    platform->SetDisplay(800, 600, true, false, false, false);
    EXPECT_TRUE(platform->IsFatal());
    EXPECT_FALSE(platform->IsDeviceReady());
    EXPECT_EQ(LogCount("ERROR FALLBACK FAILED"), 1);
    // M10 comes from inside the window attempt, M11 when it returns.
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].text.rfind("Failed to initialize window. Please try running", 0), 0u);
    EXPECT_EQ(boxes[1].icon, GfxBoxIcon::Stop);
    EXPECT_EQ(boxes[1].owner, window);
    EXPECT_EQ(boxes[2].text.rfind("Failed to initialize full screen mode.", 0), 0u);
    // The program could not start: it ends with -1, saying why.
    ASSERT_EQ(host->ExitCodes(), std::vector<int>{-1});
    EXPECT_EQ(host->exits[0].reason.rfind("Failed to initialize window. Please try running", 0), 0u);

    // A later mode request ends it as well.
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_EQ(host->ExitCodes(), (std::vector<int>{-1, -1}));
}

TEST_F(DisplaySetup, WindowFailuresWithAKnownCauseGoFullScreen)
{
    // The device refuses the desktop's depth: the desktop counts as 32
    // colours, which no window can use (M7).
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::DeviceBadDepth);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(ModeIs(800, 600, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Cannot run in 256 color mode or lower in a window. Switching to full screen.");

    // With the host bridge the size rule is left to the display: a desktop
    // no larger than the window fails it (M8).
    delete platform;
    MakePlatform();
    boxes.clear();
    SetCommandLineText("game -pq=1");
    InjectDesktop(-1, 800, 600);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(ModeIs(800, 600, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("Cannot run in a window when your desktop is set to 800x600", 0), 0u);
}

TEST_F(DisplaySetup, AWindowOutOfVideoMemoryGoesFullScreenAtSixteenBitsForGood)
{
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::OutOfVideoMemory);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_TRUE(ModeIs(800, 600, true));
    EXPECT_TRUE(platform->IsDeviceReady());
    EXPECT_TRUE(platform->IsLowMemoryVideo());
    EXPECT_EQ(Context().GetDisplayMode().depth, 16);
    EXPECT_EQ(LogCount("OutOfVideoMemory triggered!"), 1);
    // M9 for the window, then M5 (owned by the main window) before the
    // reconfigured mode.
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Cannot run in a window: Insufficient video memory. Switching to full screen.");
    EXPECT_EQ(boxes[1].caption, "Reconfiguring");
    EXPECT_EQ(boxes[1].owner, window);
    EXPECT_EQ(boxes[1].icon, GfxBoxIcon::Exclamation);
    EXPECT_FALSE(Data().mReconfigure);
    // A window is refused from now on.
    EXPECT_FALSE(platform->SetFullScreen(false));
}

TEST_F(DisplaySetup, APaletteDesktopOfSixteenColoursIsFatal)
{
    InjectDesktop(16, 1280, 1024);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(LogCount("SetDisplay Forcing Fullscreen (PALLETTED)"), 1);
    EXPECT_TRUE(platform->IsFatal());
    EXPECT_EQ(host->ExitCodes(), std::vector<int>{-1});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("DirectX requires that you have your screen set to 256 color mode", 0), 0u);

    // Quiet: no box, still fatal.
    delete platform;
    MakePlatform();
    boxes.clear();
    host->exits.clear();
    InjectDesktop(16, 1280, 1024);
    platform->SetDisplay(800, 600, true, true, true, false);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(host->ExitCodes(), std::vector<int>{-1});
}

TEST_F(DisplaySetup, AFailureInTheBackgroundOnlyMarksTheDeviceBroken)
{
    OsWindowParams params;
    params.headless = true;
    OsWindow other = OsCreateWindow(params);
    OsSetForegroundWindow(other);
    now = 4321;
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, false, false, false, false);
    EXPECT_EQ(LogCount("SetDisplay marking DirectX Broken: ACTIVE, FOREGROUND"), 1);
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 4321u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(platform->IsFatal());
    OsDestroyWindow(other);

    // Minimised: forced requests still run and fail the same way.
    host->active = false;
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, false, true, false, false);
    EXPECT_EQ(LogCount("SetDisplay marking DirectX Broken: INACTIVE"), 1);
}

TEST_F(DisplaySetup, AHostedProgramEndsWhereAnOrdinaryOneGoesFullScreen)
{
    OsWindowParams params;
    params.headless = true;
    OsWindow parent = OsCreateWindow(params);
    host->hosted = true;
    host->externalParent = parent;
    struct Case {
        const char* name;
        int32_t colours, width, height;
        bool oomRetry;
        bool lowMemory;
        const char* pq;
        const char* box;
    } cases[] = {
        {"M1", -1, 1280, 1024, false, true, "x -pq=1", "You cannot run this application at your current screen resolution or bit depth (out of memory). Change your display settings and run again. Closing"},
        {"M2", 256, 1280, 1024, false, false, "", "You cannot run this application when your video mode is 8 bits or less."},
        {"M3", -1, 800, 600, false, false, "", "You cannot run this application at your current screen resolution. Change"},
        {"M4", -1, 1280, 1024, true, false, "", "You cannot run this application at your current screen resolution or bit depth (out of memory). Change your display settings and run again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delete platform;
        MakePlatform();
        boxes.clear();
        host->exits.clear();
        SetCommandLineText(c.pq);
        InjectDesktop(c.colours, c.width, c.height);
        Context().SetOutOfMemoryRetry(c.oomRetry);
        Data().mLowMemoryVideo = c.lowMemory;
        platform->SetDisplay(800, 600, false, false, false, true);
        EXPECT_EQ(host->ExitCodes(), std::vector<int>{-1});
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.rfind(c.box, 0), 0u) << boxes[0].text;
        EXPECT_EQ(boxes[0].icon, GfxBoxIcon::Exclamation);
        EXPECT_EQ(boxes[0].owner, nullptr);
    }

    // A failure while hosted: broken, no box, and the next request within a
    // second of the break waits.
    delete platform;
    MakePlatform();
    boxes.clear();
    host->exits.clear();
    SetCommandLineText("");
    GfxInjectResult(GfxOp::CreateDisplay, GfxResult::Failed);
    platform->SetDisplay(800, 600, false, false, false, true);
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_TRUE(boxes.empty());
    now += 500;
    platform->SetDisplay(800, 600, false, true, false, true);
    EXPECT_TRUE(platform->IsBroken()) << "held off";
    now += 600;
    platform->SetDisplay(800, 600, false, true, false, true);
    EXPECT_TRUE(platform->IsDeviceReady());

    // The parent went away.
    OsDestroyWindow(parent);
    host->exits.clear();
    platform->SetDisplay(800, 600, false, true, false, true);
    EXPECT_EQ(LogCount("Error: mExternalWindowParent is lost, exiting!"), 1);
    EXPECT_EQ(host->ExitCodes(), std::vector<int>{-1});
    host->externalParent = nullptr;
    host->hosted = false;
}

TEST_F(DisplaySetup, DevicesThatCannotRunTheProgramAreRefused)
{
    struct Case {
        const char* name;
        GfxCaps caps;
        const char* logLine;
    } cases[] = {
        {"small textures", [] { GfxCaps c; c.maxTextureWidth = c.maxTextureHeight = 512; return c; }(),
         "TDXContext::Create - context does not support 1024x1024 textures! Failing!"},
        {"software renderer", [] { GfxCaps c; c.hardware = false; return c; }(),
         "TDXContext::Create failed! Could not find a hardware renderer."},
        {"no Gouraud colour", [] { GfxCaps c; c.colorGouraud = false; return c; }(),
         "TDXContext::Create failed! Could not find a hardware renderer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delete platform;
        MakePlatform();
        boxes.clear();
        GfxInjectCaps(&c.caps);
        int before = LogCount(c.logLine);
        platform->SetDisplay(800, 600, false, false, false, false);
        // Both modes fail: the fall-back ends the program.
        EXPECT_TRUE(platform->IsFatal());
        EXPECT_EQ(LogCount(c.logLine), before + 2);
    }
    GfxInjectCaps(nullptr);
}

TEST_F(DisplaySetup, FullScreenColourDepthFollowsTheModesAndTheVideoMemory)
{
    EXPECT_EQ(CDisplay::ChooseModeDepth({24, 16}, 32), 16);
    EXPECT_EQ(CDisplay::ChooseModeDepth({16, 24}, 32), 16);
    EXPECT_EQ(CDisplay::ChooseModeDepth({24}, 32), 24);
    EXPECT_EQ(CDisplay::ChooseModeDepth({8, 32, 16}, 32), 32);
    EXPECT_EQ(CDisplay::ChooseModeDepth({8}, 32), 32);
    EXPECT_EQ(CDisplay::ChooseModeDepth({}, 16), 16);

    // A device that renders only at 16 and 24 bits.
    GfxCaps caps;
    caps.renderDepths = 16 | 24;
    GfxInjectCaps(&caps);
    platform->SetDisplay(800, 600, true, false, false, false);
    EXPECT_EQ(LogCount("Created screen at 16 bpp."), 1);
    EXPECT_EQ(Context().GetDisplayMode().depth, 16);

    // 8 MiB of free video memory.
    GfxInjectCaps(nullptr);
    GfxInjectVideoMemory(8 * 1024 * 1024);
    platform->SetDisplay(800, 600, true, true, false, false);
    EXPECT_EQ(LogCount("Created screen at 16 bpp."), 2);
    GfxInjectVideoMemory(-1);
    platform->SetDisplay(800, 600, true, true, false, false);
    EXPECT_EQ(LogCount("Created screen at 32 bpp."), 1);
    EXPECT_NE(Context().GetHardwareDescription().Find("Device identifier:"), -1);
}

TEST_F(DisplaySetup, SwitchingToAWindowNeedsARoomyDesktop)
{
    platform->SetDisplay(800, 600, true, false, false, false);
    ASSERT_TRUE(platform->IsFullScreen());
    struct Desktop {
        int32_t colours, width, height;
        bool oom;
        bool allowed;
    } desktops[] = {
        {256, 1280, 1024, false, false}, {16, 1280, 1024, false, false}, {-1, 800, 1024, false, false},
        {-1, 1280, 600, false, false},   {-1, 1280, 1024, true, false},  {-1, 801, 601, false, true},
    };
    for (const Desktop& d : desktops) {
        GfxInjectDesktop(nullptr);
        platform->SetDisplay(800, 600, true, true, false, false);
        InjectDesktop(d.colours, d.width, d.height);
        Context().SetOutOfMemoryRetry(d.oom);
        EXPECT_EQ(platform->SetFullScreen(false), d.allowed) << d.colours << " " << d.width << "x" << d.height;
        EXPECT_EQ(platform->IsFullScreen(), !d.allowed);
    }
    Context().SetOutOfMemoryRetry(false);
    EXPECT_TRUE(platform->SetFullScreen(true));
    EXPECT_TRUE(platform->IsFullScreen());
}

} // namespace
