#pragma once
// Shared fixture for the message-layer tests: a headless window whose
// procedure records what it receives, and an injected message clock.

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "os/SdlEvents.h"
#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "os/window/SdlInput.h"
#include "os/window/Window.h"

struct ProcCall {
    OsWindow window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool duringPeek;
};

class OsMessageFixture : public ::testing::Test {
protected:
    static inline std::vector<ProcCall> calls;
    static inline std::function<intptr_t(OsWindow, uint32_t, uintptr_t, intptr_t, bool*)> hook;
    static inline bool inPeek = false;
    static inline uint32_t now = 1000;

    OsWindow window = nullptr;

    static intptr_t Proc(OsWindow w, uint32_t m, uintptr_t wp, intptr_t lp)
    {
        calls.push_back({w, m, wp, lp, inPeek});
        if (hook) {
            bool handled = false;
            intptr_t r = hook(w, m, wp, lp, &handled);
            if (handled)
                return r;
        }
        return OsDefWindowProc(w, m, wp, lp);
    }

    static uint32_t Clock() { return now; }

    void SetUp() override
    {
        calls.clear();
        hook = nullptr;
        now = 1000;
        OsSetMessageClock(&Clock);
        OsResetMessageState();
        OsWindowParams p;
        p.title = "test";
        p.width = 480;
        p.height = 360;
        p.proc = &Proc;
        p.headless = true;
        window = OsCreateWindow(p);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        hook = nullptr;
        if (OsIsWindow(window))
            OsDestroyWindow(window);
        OsResetMessageState();
        OsSetMessageClock(nullptr);
    }

    // OsPeekMessage with PM_REMOVE, flagging procedure calls made inside it.
    bool Peek(OsMessage* m, uint32_t first = 0, uint32_t last = 0)
    {
        inPeek = true;
        bool r = OsPeekMessage(m, true, first, last);
        inPeek = false;
        return r;
    }

    // Every message the queue holds now, removed, in order.
    std::vector<OsMessage> Drain()
    {
        std::vector<OsMessage> out;
        OsMessage m;
        while (out.size() < 1000 && Peek(&m))
            out.push_back(m);
        return out;
    }

    std::vector<uint32_t> CallIds() const
    {
        std::vector<uint32_t> ids;
        for (const ProcCall& c : calls)
            ids.push_back(c.message);
        return ids;
    }

    const ProcCall* FindCall(uint32_t message) const
    {
        for (const ProcCall& c : calls) {
            if (c.message == message)
                return &c;
        }
        return nullptr;
    }

    uint32_t Id() const { return OsGetWindowEventId(window); }

    // SDL events for the headless window.
    TSdlEvents Sdl() const { return TSdlEvents(Id()); }
    void Key(bool down, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = KMOD_NUM, bool repeat = false)
    {
        Sdl().Key(down, sc, sym, mod, repeat);
    }
    void Text(const char* utf8) { Sdl().Text(utf8); }
    void Motion(int32_t x, int32_t y) { Sdl().Motion(x, y); }
    void Button(bool down, uint8_t button, int32_t x, int32_t y) { Sdl().Button(down, button, x, y); }
    void Wheel(int32_t y, bool flipped = false) { Sdl().Wheel(y, flipped); }
    void WindowEvent(uint8_t ev, int32_t d1 = 0, int32_t d2 = 0) { Sdl().WindowEvent(ev, d1, d2); }
    void Focus()
    {
        WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
        now += 1000;  // well past the activation click window
    }
};
