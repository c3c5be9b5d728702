#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/CursorThread.h"
#include "app/PlatformApp.h"
#include "os/window/MessageQueue.h"
#include "os/window/Window.h"
#include "platform/AssetNames.h"
#include "render/CursorImage.h"
#include "render/Platform.h"
#include "ui/WindowManager.h"

namespace {

// Waits up to a second for the condition.
template <typename F>
bool Eventually(F condition)
{
    for (int i = 0; i < 200; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

class CursorThreadTest : public ::testing::Test {
protected:
    TPlatformApp* app = nullptr;
    TPlatform* platform = nullptr;
    OsWindow window = nullptr;

    void SetUp() override
    {
        OsResetMessageState();
        app = new TPlatformApp("", 0, true);
        OsWindowParams params;
        params.headless = true;
        window = OsCreateWindow(params);
        platform = new TPlatform();
        platform->SetWindow(window);
    }

    void TearDown() override
    {
        // The thread reads the display layer: it stops first.
        app->StopCursorThread();
        delete platform;
        delete app;
        OsDestroyWindow(window);
        OsResetMessageState();
    }

    bool Stops(std::chrono::milliseconds within)
    {
        auto start = std::chrono::steady_clock::now();
        app->StopCursorThread();
        return std::chrono::steady_clock::now() - start < within && !app->IsCursorThreadRunning();
    }
};

TEST_F(CursorThreadTest, StopWithoutStartAndTwiceIsHarmless)
{
    app->StopCursorThread();
    app->StartCursorThread();
    app->StartCursorThread();
    EXPECT_TRUE(app->IsCursorThreadRunning());
    EXPECT_TRUE(Stops(std::chrono::milliseconds(200)));
    app->StopCursorThread();
    // It can be started again after a stop.
    app->StartCursorThread();
    EXPECT_TRUE(Stops(std::chrono::milliseconds(200)));
}

TEST_F(CursorThreadTest, ItPollsThePointerAndAsksForAPresent)
{
    // The built-in arrow: an image without a display mode yet.
    RegisterSystemCursor();
    ASSERT_TRUE(platform->SetCursorImageFile(kSystemCursorName, 2, 2));
    platform->TakeCursorPresentDue();
    platform->MoveMouse(30, 40);
    platform->TakeCursorPresentDue();

    // The cursor has not been shown where the pointer is: the poll asks.
    app->StartCursorThread();
    EXPECT_TRUE(Eventually([&] { return platform->TakeCursorPresentDue(); }));

    // Shown where the pointer is: nothing more to ask.
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    platform->TakeCursorPresentDue();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(platform->TakeCursorPresentDue());

    // While a movie plays the thread leaves the cursor alone, even when the
    // pointer moves (a move in a window waits for the next frame or poll).
    app->GetWindowManager()->SetMoviePlaying(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    platform->MoveMouse(35, 45);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_FALSE(platform->TakeCursorPresentDue());
    app->GetWindowManager()->SetMoviePlaying(false);
    EXPECT_TRUE(Eventually([&] { return platform->TakeCursorPresentDue(); }));
    TDXContext::CursorState cursor = platform->GetContext()->GetCursorState();
    EXPECT_EQ(cursor.drawn.x, 35);
    EXPECT_EQ(cursor.drawn.y, 45);
}

TEST_F(CursorThreadTest, StopsPromptlyEvenWhileBackingOff)
{
    // No cursor image: the thread backs off for 250 ms at a time, yet a stop
    // does not wait for the back-off to end.
    app->StartCursorThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(Stops(std::chrono::milliseconds(150)));
}

TEST_F(CursorThreadTest, RunsBeforeTheDisplayExistsAndAfterItGoes)
{
    delete platform;
    platform = nullptr;
    app->StartCursorThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    platform = new TPlatform();
    EXPECT_EQ(GetPlatform(), platform);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_TRUE(Stops(std::chrono::milliseconds(300)));
    delete platform;
    platform = nullptr;
    EXPECT_EQ(GetPlatform(), nullptr);
}

} // namespace
