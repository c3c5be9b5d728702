#pragma once
// Builders of SDL events for a window, fed to the stand-in layer as if SDL
// had delivered them. Shared by the os and the event-pump tests.
#include <SDL.h>

#include <cstdint>

#include "os/window/SdlInput.h"

class TSdlEvents {
public:
    explicit TSdlEvents(uint32_t windowId) : mId(windowId) {}

    void Key(bool down, SDL_Scancode sc, SDL_Keycode sym, uint16_t mod = KMOD_NUM, bool repeat = false) const
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = mId;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = sc;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        OsHandleSdlEvent(e);
    }
    void Text(const char* utf8) const
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = mId;
        SDL_strlcpy(e.text.text, utf8, sizeof e.text.text);
        OsHandleSdlEvent(e);
    }
    void Motion(int32_t x, int32_t y) const
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = mId;
        e.motion.x = x;
        e.motion.y = y;
        OsHandleSdlEvent(e);
    }
    void Button(bool down, uint8_t button, int32_t x, int32_t y) const
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = mId;
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
        OsHandleSdlEvent(e);
    }
    void Wheel(int32_t y, bool flipped = false) const
    {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = mId;
        e.wheel.y = y;
        e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        OsHandleSdlEvent(e);
    }
    void WindowEvent(uint8_t ev, int32_t d1 = 0, int32_t d2 = 0) const
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = mId;
        e.window.event = ev;
        e.window.data1 = d1;
        e.window.data2 = d2;
        OsHandleSdlEvent(e);
    }

private:
    uint32_t mId;
};
