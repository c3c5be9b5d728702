// The display layer on the GL device under Xvfb (no window manager): the
// real main window, the event pump and the presented picture.
#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/EventPump.h"
#include "app/PlatformApp.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/window/MessageQueue.h"
#include "os/window/SdlInput.h"
#include "os/window/Window.h"
#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "render/CursorImage.h"
#include "render/DXContext.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/PixelCalibration.h"
#include "render/Renderer.h"
#include "render/Texture.h"

// Last: its macros (None...) would clash with the names above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kTeal = 0xFF008080u;

class DisplayXvfb : public ::testing::Test {
protected:
    std::string folder;
    TPlatformApp* app = nullptr;
    OsWindow window = nullptr;

    void SetUp() override
    {
        char name[] = "/tmp/displayxvfbXXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        SetLogFolder(name);
        setenv("XDG_DATA_HOME", name, 1);
        GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
        GfxSetBackend(GfxBackend::Gl);
        GfxInjectReset();
        OsResetMessageState();
        ASSERT_TRUE(OsInitVideo());
        app = new TPlatformApp("", 0, true);
        SetAssetFolders((folder + "/u").c_str(), (folder + "/c").c_str(), (folder + "/d").c_str());
        app->CreateMainWindow();
        window = app->GetMainWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_NE(OsGetSdlWindow(window), nullptr);
    }

    void TearDown() override
    {
        // The cursor thread reads the display layer: it stops first.
        if (app)
            app->StopCursorThread();
        TRenderer::Shutdown();
        delete GetPlatform();
        if (app) {
            app->Shutdown();
            delete app;
        }
        // The video system stays up for the process: unloading the GL
        // driver between tests would hide where its own allocations came
        // from.
        OsResetMessageState();
        GfxInjectReset();
        GfxSetMessageBoxMode(GfxBoxMode::Auto);
        ClearRegisteredFiles();
        SetLogFolder(nullptr);
        unsetenv("XDG_DATA_HOME");
        std::system(("rm -rf " + folder).c_str());
    }

    TPlatform* Platform() const { return GetPlatform(); }
    GfxDisplay* Gfx() const { return Platform()->GetData()->mDirectDraw; }

    // Runs the event pump until pred() holds (or about three seconds pass);
    // the events seen are collected.
    bool PumpUntil(const std::function<bool()>& pred, std::vector<TPlatformEvent>* seen = nullptr)
    {
        for (int i = 0; i < 600; ++i) {
            TPlatformEvent event;
            PollPlatformEvent(event);
            if (seen && event.type != kEventIdle && event.type != kEventNothing)
                seen->push_back(event);
            if (pred())
                return true;
            if (event.type == kEventIdle)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return pred();
    }

    void SetUpDisplay(bool fullScreen)
    {
        app->SetupDisplay(800, 600, fullScreen);
        ASSERT_NE(Platform(), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return OsGetForegroundWindow() == window; }));
        ASSERT_TRUE(Platform()->IsDeviceReady());
    }

    // A frame filled with one colour, presented.
    void DrawFrame(uint32_t argb)
    {
        TRenderer* renderer = TRenderer::Get();
        ASSERT_TRUE(renderer->BeginDraw(false));
        float rgba[4] = {float((argb >> 16) & 255) / 255.0f, float((argb >> 8) & 255) / 255.0f,
                         float(argb & 255) / 255.0f, 1.0f};
        renderer->FillRect(TRect(0, 0, 800, 600), rgba);
        renderer->EndDraw(true);
    }

    // A pixel of the window as the X server shows it (client pixels).
    uint32_t Front(int32_t x, int32_t y)
    {
        Display* x11 = XOpenDisplay(nullptr);
        if (!x11)
            return 0xDEADBEEFu;
        int32_t wx = 0, wy = 0;
        OsGetWindowPosition(window, &wx, &wy);
        XSync(x11, False);
        uint32_t pixel = 0xDEADBEEFu;
        if (XImage* image = XGetImage(x11, DefaultRootWindow(x11), wx + x, wy + y, 1, 1, AllPlanes, ZPixmap)) {
            pixel = uint32_t(XGetPixel(image, 0, 0)) | 0xFF000000u;
            XDestroyImage(image);
        }
        XCloseDisplay(x11);
        return pixel;
    }

    void MovePointer(int32_t x, int32_t y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = OsGetWindowEventId(window);
        e.motion.x = x;
        e.motion.y = y;
        OsHandleSdlEvent(e);
        PumpUntil([&] { return Platform()->GetContext()->GetCursorState().position.x != -1; });
    }

    void AltEnter()
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = OsGetWindowEventId(window);
        e.key.state = SDL_PRESSED;
        e.key.keysym.scancode = SDL_SCANCODE_LALT;
        e.key.keysym.sym = SDLK_LALT;
        e.key.keysym.mod = KMOD_LALT;
        OsHandleSdlEvent(e);
        e.key.keysym.scancode = SDL_SCANCODE_RETURN;
        e.key.keysym.sym = SDLK_RETURN;
        OsHandleSdlEvent(e);
        e.type = SDL_KEYUP;
        e.key.state = SDL_RELEASED;
        OsHandleSdlEvent(e);
        e.key.keysym.scancode = SDL_SCANCODE_LALT;
        e.key.keysym.sym = SDLK_LALT;
        e.key.keysym.mod = 0;
        OsHandleSdlEvent(e);
    }
};

TEST_F(DisplayXvfb, AWindowShowsTheFrameWithTheCursor)
{
    SetUpDisplay(false);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(Gfx()->GetWindowSize(&w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_FALSE(Platform()->IsFullScreen());
    // The built-in arrow is the cursor from the first mode set on.
    EXPECT_EQ(Platform()->GetContext()->GetCursorState().width, 32);

    MovePointer(200, 150);
    DrawFrame(kTeal);
    EXPECT_EQ(Front(400, 400), kTeal);
    // The arrow's tip sits on the pointer; its inside is white; next to the
    // tip the picture shows through the colour key.
    EXPECT_EQ(Front(200, 150), kBlack);
    EXPECT_EQ(Front(201, 153), kWhite);
    EXPECT_EQ(Front(199, 150), kTeal);
    EXPECT_EQ(Front(200, 149), kTeal);
    // The back buffer never holds the cursor.
    std::vector<uint32_t> back;
    ASSERT_TRUE(GfxOk(Gfx()->ReadBack(GfxRect{200, 150, 201, 151}, &back)));
    EXPECT_EQ(back[0], kTeal);

    // A move between frames: the cursor thread's poll asks for a present,
    // which the pump's idle pass makes.
    app->StartCursorThread();
    MovePointer(300, 250);
    PumpUntil([&] { return Front(300, 250) == kBlack; });
    EXPECT_EQ(Front(300, 250), kBlack);
    EXPECT_EQ(Front(200, 150), kTeal) << "the old place is clean";
}

// The offset the start-up calibration picked must put every texel of a
// point-filtered 2D draw on a pixel of its own.
TEST_F(DisplayXvfb, TheCalibratedOffsetMapsTexelsOneToOneOntoPixels)
{
    SetUpDisplay(false);
    ASSERT_TRUE(Platform()->IsCalibrated());
    std::vector<uint32_t> black;
    ASSERT_TRUE(GfxOk(Gfx()->ReadBack(GfxRect{0, 0, 800, 600}, &black)));
    EXPECT_EQ(std::count(black.begin(), black.end(), kBlack), 800 * 600) << "the screen is left black";
    TRenderer* renderer = TRenderer::Get();
    const float offset = renderer->GetPixelOffset();
    const float step = (offset + 0.5f) / 0.1f;
    EXPECT_NEAR(step, std::round(step), 1e-3f) << offset;
    EXPECT_TRUE(step >= -0.01f && step <= 9.01f) << offset;
    // A candidate really passed (the offset is not the fall-back), and the
    // search finds it again.
    EXPECT_TRUE(FindPixelOffset());
    EXPECT_FLOAT_EQ(renderer->GetPixelOffset(), offset);

    // 16 x 16 texels, each unlike its neighbours.
    TTextureRef texture = TTexture::CreateRenderTarget(16, 16, false);
    ASSERT_TRUE(texture);
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(texture->Lock(pixels, pitch));
    std::vector<uint32_t> texels;
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            uint32_t argb = kBlack | (x * 16 + 8) << 16 | (y * 16 + 8) << 8 | ((x + y) % 2 ? 0xC0 : 0x40);
            pixels[y * pitch + x] = argb;
            texels.push_back(argb);
        }
    }
    texture->Unlock();

    ASSERT_TRUE(renderer->BeginDraw(false));
    const float rgba[4] = {0, 0, 0, 1};
    renderer->FillRect(TRect(0, 0, 800, 600), rgba);
    ASSERT_TRUE(renderer->Begin2d());
    renderer->SetTextureFilter(0);
    texture->Draw(TDrawParams(TVec2(100, 50), 1.0f, 1.0f, kDrawAtOrigin));
    renderer->SetTextureFilter(1);
    renderer->End2d();
    renderer->EndDraw(false);

    // The 18 x 18 box around the draw: the texels inside, black around.
    std::vector<uint32_t> px;
    ASSERT_TRUE(GfxOk(Gfx()->ReadBack(GfxRect{99, 49, 117, 67}, &px)));
    ASSERT_EQ(px.size(), 18u * 18u);
    int wrong = 0;
    for (int32_t y = 0; y < 18; ++y) {
        for (int32_t x = 0; x < 18; ++x) {
            bool inside = x >= 1 && x <= 16 && y >= 1 && y <= 16;
            uint32_t want = inside ? texels[size_t(y - 1) * 16 + size_t(x - 1)] : kBlack;
            wrong += (px[size_t(y) * 18 + size_t(x)] | kBlack) != want;
        }
    }
    EXPECT_EQ(wrong, 0) << "offset " << offset;
}

// The window system shows the program's icon: the 48 x 48 picture, its
// corners transparent, the question mark's dot gold.
TEST_F(DisplayXvfb, TheMainWindowCarriesTheProgramsIcon)
{
    SetUpDisplay(false);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(static_cast<SDL_Window*>(OsGetSdlWindow(window)), &info));
    ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
    Display* x11 = XOpenDisplay(nullptr);
    ASSERT_NE(x11, nullptr);
    Atom iconAtom = XInternAtom(x11, "_NET_WM_ICON", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(x11, info.info.x11.window, iconAtom, 0, 65536, False, AnyPropertyType, &type,
                                 &format, &count, &after, &data),
              Success);
    std::vector<unsigned long> words;
    if (data) {
        const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
        words.assign(values, values + count);
        XFree(data);
    }
    XCloseDisplay(x11);
    ASSERT_EQ(format, 32);
    ASSERT_EQ(words.size(), 2u + 48u * 48u);
    EXPECT_EQ(words[0], 48u);
    EXPECT_EQ(words[1], 48u);
    EXPECT_EQ(words[2] >> 24, 0u) << "corner";
    EXPECT_EQ(uint32_t(words[2 + 38 * 48 + 24]), 0xFFFFCD28u) << "the dot";
}

// Alt+F1's overlay in the running program: red text on the black box.
TEST_F(DisplayXvfb, TheStatisticsOverlayWritesItsFiguresInRed)
{
    SetUpDisplay(false);
    TRenderer::Get()->ToggleStats();
    DrawFrame(kTeal);
    TRenderer::Get()->ToggleStats();
    std::vector<uint32_t> box;
    ASSERT_TRUE(GfxOk(Gfx()->ReadBack(GfxRect{0, 0, 300, 40}, &box)));
    size_t red = 0, black = 0, teal = 0;
    for (uint32_t p : box) {
        uint32_t rgb = p & 0xFFFFFFu;
        red += (rgb >> 16) > 0x40 && (rgb & 0xFFFF) == 0;
        black += rgb == 0;
        teal += (p | kBlack) == kTeal;
    }
    EXPECT_GT(red, 300u) << "the text";
    EXPECT_GT(black, 5000u) << "the box";
    EXPECT_EQ(teal, 0u) << "the box covers the frame";
    std::vector<uint32_t> beside;
    ASSERT_TRUE(GfxOk(Gfx()->ReadBack(GfxRect{400, 300, 401, 301}, &beside)));
    EXPECT_EQ(beside[0] | kBlack, kTeal);
}

TEST_F(DisplayXvfb, FullScreenIsLetterboxedAndMapsThePointer)
{
    SetUpDisplay(true);
    EXPECT_TRUE(Platform()->IsFullScreen());
    PumpUntil([&] {
        int32_t w = 0, h = 0;
        return Gfx()->GetWindowSize(&w, &h) && w == 1280 && h == 1024;
    });
    int32_t w = 0, h = 0;
    ASSERT_TRUE(Gfx()->GetWindowSize(&w, &h));
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 1024);
    DrawFrame(kTeal);
    // 800 x 600 scaled to 1280 x 960, bars of 32 rows above and below.
    EXPECT_EQ(Front(640, 20), kBlack);
    EXPECT_EQ(Front(640, 1010), kBlack);
    EXPECT_EQ(Front(5, 40), kTeal);
    EXPECT_EQ(Front(1275, 985), kTeal);

    // Window pixels map to the logical 800 x 600.
    MovePointer(640, 512);
    TMousePos pos = Platform()->GetMousePos();
    EXPECT_EQ(pos.x, 400);
    EXPECT_EQ(pos.y, 300);
    DrawFrame(kTeal);
    // The scaled arrow: dark at the tip, white inside, teal beside it.
    uint32_t tip = Front(641, 513);
    EXPECT_LT(tip & 0xFF, 0x40u) << std::hex << tip;
    EXPECT_EQ(Front(636, 512), kTeal);
}

TEST_F(DisplayXvfb, AltEnterGoesFullScreenAndBack)
{
    SetUpDisplay(false);
    std::vector<TPlatformEvent> seen;
    AltEnter();
    ASSERT_TRUE(PumpUntil([&] { return Platform()->IsFullScreen(); }, &seen));
    bool toggled = false;
    for (const TPlatformEvent& e : seen)
        toggled |= e.type == kEventFullScreen && e.param == 1;
    EXPECT_TRUE(toggled);
    PumpUntil([&] {
        int32_t w = 0, h = 0;
        return Gfx()->GetWindowSize(&w, &h) && w == 1280;
    });
    DrawFrame(kTeal);
    EXPECT_EQ(Front(640, 10), kBlack);
    EXPECT_EQ(Front(640, 500), kTeal);
    EXPECT_EQ(Front(1200, 900), kTeal) << "the picture fills the screen's width";

    seen.clear();
    AltEnter();
    ASSERT_TRUE(PumpUntil([&] { return !Platform()->IsFullScreen(); }, &seen));
    toggled = false;
    for (const TPlatformEvent& e : seen)
        toggled |= e.type == kEventFullScreen && e.param == 0;
    EXPECT_TRUE(toggled);
    PumpUntil([&] {
        int32_t w = 0, h = 0;
        return Gfx()->GetWindowSize(&w, &h) && w == 800 && h == 600;
    });
    int32_t w = 0, h = 0;
    ASSERT_TRUE(Gfx()->GetWindowSize(&w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    DrawFrame(kWhite);
    EXPECT_EQ(Front(10, 10), kWhite);
    EXPECT_TRUE(Platform()->IsDeviceReady());
}

TEST_F(DisplayXvfb, AnInjectedLossIsRestoredAndDrawingGoesOn)
{
    SetUpDisplay(false);
    for (int i = 0; i < 3; ++i)
        DrawFrame(kTeal);
    GfxInjectLoseSurfaces();
    // The lost frame is restored at once (RestoreAllSurfaces) and drawn.
    DrawFrame(kWhite);
    EXPECT_EQ(Front(100, 100), kWhite);
    EXPECT_EQ(GfxCallCount(GfxOp::RestoreAllSurfaces), 1u);

    // Lost again too soon: the mode is set again, and frames come back.
    GfxInjectLoseSurfaces();
    TRenderer::Get()->BeginDraw(false);
    TRenderer::Get()->EndDraw(true);
    PumpUntil([&] { return Platform()->IsDeviceReady(); });
    ASSERT_TRUE(Platform()->IsDeviceReady());
    DrawFrame(kTeal);
    EXPECT_EQ(Front(100, 100), kTeal);
}

} // namespace
