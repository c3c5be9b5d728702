#pragma once
// Fixture for the event pump and the main window: an application object, a
// headless main window driven by the real window procedure, a display layer
// with a windowed 800 x 600 mode, and one injected clock for the message
// layer and the application time. Input comes in as SDL events for the
// headless window (as the video system would deliver them) or as posted
// messages. The application object owns the window; a hosted test gets a
// headless parent window.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/EventPump.h"
#include "app/HostBridge.h"
#include "app/MainWindow.h"
#include "app/PlatformApp.h"
#include "os/SdlEvents.h"
#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "os/window/SdlInput.h"
#include "os/window/Window.h"
#include "platform/CommandLine.h"
#include "platform/Timer.h"
#include "render/Platform.h"
#include "render/TestTexture.h"
#include "render/TextureRef.h"

class PumpFixture : public ::testing::Test {
protected:
    static inline uint32_t now = 100000;
    static uint32_t Clock() { return now; }

    TPlatformApp* app = nullptr;
    TPlatform* platform = nullptr;
    OsWindow window = nullptr;
    OsWindow parent = nullptr;

    void SetUp() override
    {
        now = 100000;
        OsSetMessageClock(&Clock);
        SetTimerSource(&Clock);
        OsResetMessageState();
        ResetHostBridge();
        SetHostBridgeClock(&Clock);
        SetCommandLineText("");

        app = new TPlatformApp("", 0, true);
        OsWindowParams params;
        params.title = kMainWindowTitle;
        params.proc = MainWndProc;
        params.headless = true;
        window = OsCreateWindow(params);
        ASSERT_NE(window, nullptr);
        app->AdoptMainWindow(window);

        platform = new TPlatform();
        platform->SetWindow(window);
        platform->SetDesktopMode(-1, 1920, 1080);
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());

        // Showing the window focuses it and asks for a paint; the mode set
        // reports a display change.
        std::vector<TPlatformEvent> start = PumpUntilIdle();
        ASSERT_FALSE(start.empty());
        EXPECT_EQ(start.front().type, kEventDisplayChanged);
        now += 1000; // well past the focus change
    }

    void TearDown() override
    {
        if (app)
            app->StopCursorThread();
        delete platform;
        delete app; // and the main window with it
        if (OsIsWindow(window)) {
            OsSetWindowUserData(window, nullptr);
            OsDestroyWindow(window);
        }
        if (parent)
            OsDestroyWindow(parent);
        OsResetMessageState();
        OsSetMessageClock(nullptr);
        SetTimerSource(nullptr);
        ResetHostBridge();
        SetHostBridgeClock(nullptr);
        SetCommandLineText("");
    }

    TPlatformEvent Pump()
    {
        TPlatformEvent event;
        event.type = -1;
        PollPlatformEvent(event);
        return event;
    }

    // Events up to and without the first idle event.
    std::vector<TPlatformEvent> PumpUntilIdle()
    {
        std::vector<TPlatformEvent> events;
        for (int i = 0; i < 100; ++i) {
            TPlatformEvent e = Pump();
            if (e.type == kEventIdle)
                return events;
            events.push_back(e);
        }
        ADD_FAILURE() << "the pump never went idle";
        return events;
    }

    // The same, without the events that carry nothing.
    std::vector<TPlatformEvent> EventsUntilIdle()
    {
        std::vector<TPlatformEvent> out;
        for (const TPlatformEvent& e : PumpUntilIdle()) {
            if (e.type != kEventNothing)
                out.push_back(e);
        }
        return out;
    }

    uint32_t Id() const { return OsGetWindowEventId(window); }

    TWindowEvents& Events() { return app->GetWindowEvents(); }

    // Hosted in a headless parent window of that size (as "-wnd=" makes the
    // program), or not hosted.
    void SetHosted(bool hosted, int32_t width = 1, int32_t height = 1)
    {
        if (hosted && !parent) {
            OsWindowParams params;
            params.width = width;
            params.height = height;
            params.headless = true;
            parent = OsCreateWindow(params);
            ASSERT_NE(parent, nullptr);
        }
        app->SetHosting(hosted ? parent : nullptr, false);
    }

    TSdlEvents Sdl() const { return TSdlEvents(Id()); }
    void Motion(int32_t x, int32_t y) { Sdl().Motion(x, y); }
    void Button(bool down, uint8_t button, int32_t x, int32_t y) { Sdl().Button(down, button, x, y); }
    void Key(bool down, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = KMOD_NUM) { Sdl().Key(down, sc, sym, mod); }
    void WindowEvent(uint8_t ev) { Sdl().WindowEvent(ev); }

    // A cursor texture for the display layer (a 16 x 16 surface on the
    // fixture's display).
    static TTextureRef FakeTexture() { return MakeTestTexture(16, 16); }
};

inline bool operator==(const TPlatformEvent& a, const TPlatformEvent& b)
{
    return a.type == b.type && a.param == b.param && a.x == b.x && a.y == b.y && a.param2 == b.param2;
}

inline std::ostream& operator<<(std::ostream& out, const TPlatformEvent& e)
{
    return out << "{type " << e.type << ", param " << e.param << ", x " << e.x << ", y " << e.y
               << ", param2 " << e.param2 << "}";
}

inline TPlatformEvent Ev(int32_t type, int32_t param = 0, int32_t x = 0, int32_t y = 0, int32_t param2 = 0)
{
    TPlatformEvent e;
    e.type = type;
    e.param = param;
    e.x = x;
    e.y = y;
    e.param2 = param2;
    return e;
}
