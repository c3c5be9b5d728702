#pragma once
// Shared state of the window and message layer (internal to src/os).

#include <SDL.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "os/window/MessageQueue.h"

struct OsWindowData {
    uintptr_t value = 0;
    uint32_t eventId = 0;
    SDL_Window* sdl = nullptr;
    OsWndProc proc = nullptr;
    void* user = nullptr;
    std::string title;
    int32_t width = 0;
    int32_t height = 0;
    bool visible = false;
    bool minimized = false;
    bool invalid = false;
    bool classArrow = true;
    bool destroying = false;
};

struct OsTimerEntry {
    OsWindow window = nullptr;
    uintptr_t id = 0;
    uint32_t interval = 1;
    uint32_t due = 0;
};

struct OsMessageState {
    std::map<uintptr_t, std::unique_ptr<OsWindowData>> windows;
    uintptr_t nextValue = 0x10000000u;
    uint32_t nextHeadlessId = 0x40000000u;

    std::deque<OsMessage> posted;   // OsPostMessage, OsTranslateMessage
    std::deque<OsMessage> input;    // keys, text, mouse, hover, leave
    // Messages posted by other threads, until the pump moves them to posted.
    std::mutex inboxMutex;
    std::vector<OsMessage> inbox;   // under inboxMutex
    // The thread that owns the queue: the first to use the message layer.
    const std::thread::id owner = std::this_thread::get_id();
    bool quit = false;
    int32_t quitCode = 0;

    std::vector<OsTimerEntry> timers;
    uintptr_t nextThreadTimer = 0x7FF0;

    OsWindow capture = nullptr;
    OsWindow foreground = nullptr;
    OsWindow keyFocus = nullptr;
    uint32_t focusGainedAt = 0;
    bool clickSinceFocus = true;

    // The pointer, in the client coordinates of pointerWindow.
    OsWindow pointerWindow = nullptr;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    bool pointerInside = false;
    uint32_t buttons = 0;           // OsMk button bits

    // TrackMouseEvent.
    OsWindow hoverWindow = nullptr;
    uint32_t hoverTime = 0;
    uint32_t hoverStart = 0;
    int32_t hoverX = 0;
    int32_t hoverY = 0;
    OsWindow leaveWindow = nullptr;

    // Key states: bit 7 down, bit 0 toggled.
    uint8_t asyncKeys[256] = {};
    uint8_t syncKeys[256] = {};

    uint32_t (*clock)() = nullptr;
    bool pingsLooked = false;       // instance pings, on the real clock
    uint32_t pingsLookedAt = 0;
    int translating = 0;            // inside OsHandleSdlEvent: no nested SDL polling
    bool systemCursorShown = true;
    bool videoReady = false;
};

OsMessageState& OsState();
OsWindowData* OsFindWindow(OsWindow window);
OsWindow OsHandleOf(const OsWindowData* data);
uint32_t OsNow();

// Queue helpers for the input translation.
void OsQueueInput(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Current OsMk flags (buttons and Shift/Ctrl from the async key state).
uint32_t OsMouseKeyFlags();
// Drops everything that refers to a window being destroyed.
void OsForgetWindowMessages(OsWindow window);
void OsForgetWindowInput(OsWindow window);
void OsForgetWindowTimers(OsWindow window);
// The hover check run by the pump.
void OsCheckHover();
// Picks the next due timer; false when none.
bool OsNextTimer(OsMessage* msg, bool remove);
// Mouse-leave handling when the pointer leaves or the capture ends outside.
void OsPointerLeft(OsWindow window);
// Updates GetKeyState's view from a removed message.
void OsUpdateSyncKeys(const OsMessage& msg);
// Synthesised window-state changes (shared by SDL events and headless windows).
void OsWindowMinimized(OsWindow window);
void OsWindowRestored(OsWindow window);
void OsWindowFocusGained(OsWindow window);
void OsWindowFocusLost(OsWindow window);
void OsResetInputState();
// Key-state bookkeeping shared by the SDL translation and GetKeyState.
void OsApplyKey(uint8_t* keys, uint32_t vk, uint32_t scan, bool extended, bool down, bool toggle);
// The pointer moved: restarts hover timing when it left the hover box.
void OsHoverPointerMoved();
// Milliseconds until a hover is due; -1 when none is armed.
int32_t OsHoverDelay();
