#pragma once
#include <cstdint>

#include "os/window/Messages.h"
#include "os/window/Window.h"

// The thread message queue of the main thread, with the split between sent
// and posted messages:
// - sent messages (size, activation, close, set-cursor, mouse-activate,
//   capture-changed, destroy, display change, host messages) call the window
//   procedure at once, also from inside OsPeekMessage while it turns SDL
//   events into messages;
// - posted messages (input, characters, hover, leave, paint, timer, quit)
//   wait in the queue.
// OsPeekMessage returns, in this order: posted messages (OsPostMessage,
// OsTranslateMessage), then input in arrival order (keys, characters from
// text input, mouse, hover, leave; consecutive moves are merged), then the
// quit message, then paint, then timers.
// Main thread only (the thread that first used the message layer), except
// OsPostMessage.

struct OsMessage {
    OsWindow window = nullptr;   // null for thread messages (quit)
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;           // message clock when queued
    int32_t ptX = 0;             // pointer position on the screen when queued
    int32_t ptY = 0;
};

// Calls the window's procedure at once and returns its result; 0 for a
// handle that is not a window.
intptr_t OsSendMessage(OsWindow window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

// Queues a message. A null window makes a thread message. False (and
// nothing queued) for a handle that is not a window.
// Other threads may post too: their messages wake OsWaitMessage, join the
// posted queue at the next peek (time and pointer stamped then) and are
// dropped there if the window has gone; for them the result is always true.
bool OsPostMessage(OsWindow window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

// Sets the quit flag: OsMsg::Quit with wParam = code is returned once the
// posted messages and input ahead of it are gone.
void OsPostQuitMessage(int32_t code);

// First turns pending SDL events, instance pings and hover time-outs into
// messages (sent ones are delivered here), then copies the next message in
// the order above into *msg. With remove, it leaves the queue (paint stays
// until validated; a timer's next period starts). firstMessage/lastMessage
// filter by id (both 0: all). False when nothing matches.
bool OsPeekMessage(OsMessage* msg, bool remove, uint32_t firstMessage = 0, uint32_t lastMessage = 0);

// Key-down messages post their characters: the control characters made by
// hand (Backspace 8, Tab 9, Enter 13, Escape 27, Ctrl+letter 1..26; none
// while Alt is held). Printable characters come from text input instead.
// Posted characters come before any further input. True for key messages.
bool OsTranslateMessage(const OsMessage& msg);

// Calls the procedure of msg.window; 0 for thread messages and dead windows.
intptr_t OsDispatchMessage(const OsMessage& msg);

// The default window procedure:
// - SysKeyDown F4 with Alt (lParam bit 29) sends OsMsg::Close;
// - Close destroys the window;
// - SetCursor over the client area shows the class cursor (if any), returns 0;
// - MouseActivate returns OsMouseActivate::Activate;
// - EraseBkgnd returns 1; Paint validates; NcHitTest returns OsHit::Client;
// - everything else returns 0.
intptr_t OsDefWindowProc(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Waits until input, a queued message, a message posted by another thread,
// a timer or a hover is due, at most timeoutMs (details in InputWait.h).
void OsWaitMessage(uint32_t timeoutMs);

// True when a message is waiting (without pumping SDL).
bool OsHasQueuedMessages();

// The clock for message times, hover and timers; null restores the
// monotonic clock (OsTimeMs). Tests inject their own.
void OsSetMessageClock(uint32_t (*clock)());
uint32_t OsMessageTime();

// Clears queues, the quit flag, timers, capture, mouse tracking, key state
// and the pointer state (tests). Windows stay.
void OsResetMessageState();
