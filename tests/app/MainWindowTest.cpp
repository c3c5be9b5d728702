#include "PumpTestSupport.h"

#include "os/window/Clipboard.h"
#include "platform/AssetNames.h"
#include "platform/CommandLine.h"
#include "render/CursorImage.h"
#include "app/AppText.h"
#include "render/DisplayHost.h"
#include "render/TextServices.h"

namespace {

using MainWindow = PumpFixture;

TEST_F(MainWindow, ProcedureResults)
{
    struct Case {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        intptr_t result;
    } cases[] = {
        {OsMsg::EraseBkgnd, 0, 0, 1},
        {OsMsg::Timer, 0, 0, 0},
        {OsMsg::InitMenu, 0, 0, 0},
        {OsMsg::NcHitTest, 0, 0, OsHit::Client},
        {OsMsg::MouseLeave, 0, 0, 0},
        {OsMsg::User, 1, 0, 1},
        {OsMsg::User + 2, 3, 4, 1},
        {OsMsg::Close, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OsSendMessage(window, c.message, c.wParam, c.lParam), c.result) << std::hex << c.message;
    EXPECT_TRUE(OsIsWindow(window)) << "a close request leaves the window";
    EXPECT_TRUE(Events().closeRequested);
}

TEST_F(MainWindow, DestroyPostsTheQuitMessage)
{
    OsSendMessage(window, OsMsg::Destroy);
    EXPECT_EQ(Pump().type, kEventQuit);
}

TEST_F(MainWindow, HostCommandsArriveThroughTheWindow)
{
    EnableHostBridge();
    EXPECT_EQ(OsSendMessage(window, OsMsg::User, 4, 0), 1);
    EXPECT_TRUE(IsHostPaused());
    EXPECT_EQ(OsSendMessage(window, OsMsg::User, 7, 0), 1);
    EXPECT_FALSE(IsHostPaused());
}

TEST_F(MainWindow, WithoutTheApplicationObjectTheDefaultsApply)
{
    OsSetWindowUserData(window, nullptr);
    EXPECT_EQ(OsSendMessage(window, OsMsg::User, 4, 0), 0);
    OsSendMessage(window, OsMsg::ActivateApp, 0, 0);
    EXPECT_TRUE(Events().appActive);
    OsSetWindowUserData(window, app);
}

TEST_F(MainWindow, MovesReachTheDisplayLayer)
{
    platform->SetCursorImage(FakeTexture(), 0, 0);
    OsSendMessage(window, OsMsg::MouseMove, 0, OsMakeLParam(7, 8));
    TMousePos pos = platform->MoveMouse(-1, -1);
    EXPECT_EQ(pos.x, 7);
    EXPECT_EQ(pos.y, 8);
}

TEST_F(MainWindow, CursorImageAndVisibility)
{
    auto setCursor = [&] {
        return OsSendMessage(window, OsMsg::SetCursor, OsWindowValue(window),
                             OsMakeLParam(OsHit::Client, OsMsg::MouseMove));
    };
    // The first display set-up put the built-in arrow in place: the program
    // draws the cursor, the system pointer is hidden.
    EXPECT_EQ(setCursor(), 1);
    EXPECT_FALSE(OsSystemCursorShown());
    EXPECT_EQ(platform->GetContext()->GetCursorState().width, 32);

    TTextureRef image = FakeTexture();
    app->SetCursorImage(image, 3, 4);
    EXPECT_EQ(platform->GetCursorTexture(), image);
    EXPECT_EQ(setCursor(), 1);
    EXPECT_FALSE(OsSystemCursorShown());

    app->ShowCursor(false);
    EXPECT_FALSE(platform->GetCursorTexture());
    EXPECT_EQ(setCursor(), 1) << "hidden: no system pointer either";
    EXPECT_FALSE(OsSystemCursorShown());

    // While hidden a new image is only stored.
    TTextureRef other = FakeTexture();
    app->SetCursorImage(other, 1, 1);
    EXPECT_FALSE(platform->GetCursorTexture());
    app->ShowCursor(true);
    EXPECT_EQ(platform->GetCursorTexture(), other);

    // An empty texture selects the built-in arrow, read from its memory
    // file: the program draws it, the system pointer stays hidden.
    app->SetCursorImage(TTextureRef(), 2, 2);
    EXPECT_FALSE(platform->GetCursorTexture());
    EXPECT_TRUE(AssetExists(kSystemCursorName));
    TDXContext::CursorState cursor = platform->GetContext()->GetCursorState();
    EXPECT_EQ(cursor.width, 32);
    EXPECT_EQ(cursor.hotX, 2);
    EXPECT_EQ(setCursor(), 1);
    EXPECT_FALSE(OsSystemCursorShown());

    // A texture without a surface is no image: the system pointer is back.
    app->SetCursorImage(MakeEmptyTestTexture(), 0, 0);
    EXPECT_FALSE(platform->GetCursorTexture());
    EXPECT_EQ(setCursor(), 0);
    EXPECT_TRUE(OsSystemCursorShown());
}

TEST_F(MainWindow, SetupDisplaySetsTheModeAndTheTimer)
{
    EXPECT_NE(GetFontCache(), nullptr) << "from start-up";
    EXPECT_EQ(GetVecDraw(), nullptr);
    app->SetupDisplay(640, 480, false);
    int32_t w = 0, h = 0;
    bool full = true;
    platform->GetDisplayMode(w, h, full);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_FALSE(full);
    EXPECT_FLOAT_EQ(app->GetScaleFactor(), 1.0f);
    // The first set-up makes the rasteriser and the offset calibration;
    // later ones keep them.
    TDnMiniVecDraw* rasteriser = GetVecDraw();
    ASSERT_NE(rasteriser, nullptr);
    EXPECT_EQ(rasteriser, app->GetText().GetRasteriser());
    EXPECT_TRUE(platform->IsCalibrated());
    app->SetupDisplay(640, 480, false);
    EXPECT_EQ(GetVecDraw(), rasteriser);

    PumpUntilIdle();
    now += 250;
    OsMessage msg;
    ASSERT_TRUE(OsPeekMessage(&msg, false));
    EXPECT_EQ(msg.message, OsMsg::Timer);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(Pump().type, kEventNothing);
}

TEST_F(MainWindow, SetupDisplayWithTheHostBridgeStaysWindowed)
{
    SetCommandLineText("game -pq=7");
    app->SetupDisplay(800, 600, true);
    EXPECT_TRUE(IsHostFullScreen());
    EXPECT_FALSE(platform->IsFullScreen());
    EXPECT_TRUE(app->IsFullScreen());
    EXPECT_TRUE(app->SetFullScreen(false));
    EXPECT_FALSE(app->IsFullScreen());
}

TEST_F(MainWindow, SetupDisplayWhenHostedIsScaled)
{
    SetHosted(true, 1600, 1200);
    app->SetupDisplay(800, 600, true);
    EXPECT_FLOAT_EQ(app->GetScaleFactor(), 2.0f);
    EXPECT_FALSE(platform->IsFullScreen());
    float scale = 0;
    EXPECT_TRUE(GetDisplayHost().GetScaleFactor(scale));
    EXPECT_FLOAT_EQ(scale, 2.0f);
}

TEST_F(MainWindow, FullScreenWithoutTheBridgeIsTheDisplays)
{
    EXPECT_FALSE(app->IsFullScreen());
    EXPECT_TRUE(app->SetFullScreen(true));
    EXPECT_TRUE(app->IsFullScreen());
    EXPECT_TRUE(platform->IsFullScreen());
    EXPECT_FALSE(IsHostFullScreen());
    platform->SetDesktopMode(-1, 640, 480);
    EXPECT_FALSE(app->SetFullScreen(false));
    EXPECT_TRUE(app->IsFullScreen());
}

TEST_F(MainWindow, TitleAndActivity)
{
    app->SetWindowTitle("Quillory: Runde 2");
    EXPECT_EQ(OsGetWindowTitle(window), "Quillory: Runde 2");
    EXPECT_TRUE(app->IsActive());
    SetCommandLineText("x -pq=1");
    EXPECT_TRUE(app->IsActive());
    OsShowWindow(window, OsShow::Hide);
    EXPECT_FALSE(app->IsActive());
}

TEST_F(MainWindow, ClipboardFailsHonestlyWithoutVideo)
{
    if (OsVideoReady())
        GTEST_SKIP() << "video is running";
    EXPECT_FALSE(app->StringToClipboard("abc"));
    EXPECT_TRUE(app->GetClipboardString().IsEmpty());
}

} // namespace
