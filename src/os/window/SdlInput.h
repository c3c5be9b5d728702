#pragma once
#include <cstdint>

#include <SDL.h>

// The translation of SDL events into window messages, used by OsPeekMessage
// and open to tests (they inject events for headless windows, whose ids come
// from OsGetWindowEventId).

// Turns one SDL event into sent and posted messages.
void OsHandleSdlEvent(const SDL_Event& event);

// The virtual key for an SDL key: letters follow the keyboard layout,
// everything else the key's position. Keypad keys give navigation keys when
// Num Lock (KMOD_NUM in mod) is off. 0 for keys without a code.
struct OsKeyInfo {
    uint32_t vk = 0;
    uint32_t scan = 0;      // PC set-1 scan code
    bool extended = false;  // lParam bit 24
};
OsKeyInfo OsKeyFromSdl(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod);
