#pragma once
#include <cstdint>

#include "os/window/Messages.h"
#include "os/window/Window.h"

// Keyboard state, mouse capture, pointer position and hover/leave tracking.
// Main thread only.

// State of a virtual key as of the last message removed from the queue
// (GetKeyState): negative (bit 15) while down; bit 0 toggles on each press
// (for Caps/Num/Scroll Lock: the lock is on). OsKey::Shift/Control/Menu
// cover both sides; the L/R codes exist too. Mouse buttons are keys as well.
int16_t OsGetKeyState(uint32_t vk);
// The same, as of the newest input seen from SDL (GetAsyncKeyState).
int16_t OsGetAsyncKeyState(uint32_t vk);

// Mouse capture: while a window has it, mouse moves and buttons reach it even
// outside the window. Changing or releasing the capture SENDS
// OsMsg::CaptureChanged to the window that loses it (lParam: the new capture
// window, or 0). Losing input focus releases the capture.
// Returns the previous capture window.
OsWindow OsSetCapture(OsWindow window);
bool OsReleaseCapture();
OsWindow OsGetCapture();

// TrackMouseEvent. Hover: one OsMsg::MouseHover once the pointer has rested
// hoverTimeMs (kOsHoverDefault = 400 ms) inside the window and within a
// 4 x 4 pixel box; leave: one OsMsg::MouseLeave when the pointer leaves the
// window (at once if it is outside now; while captured, deferred to the
// release). A leave cancels both. OsTme::Cancel removes the given kinds,
// OsTme::Query fills in the current tracking. False for a dead window.
struct OsTrackMouse {
    uint32_t flags = 0;
    OsWindow window = nullptr;
    uint32_t hoverTimeMs = kOsHoverDefault;
};
bool OsTrackMouseEvent(OsTrackMouse* track);

// The pointer in the window's client coordinates as last reported (may be
// outside the client area while captured). False for a dead window.
bool OsGetCursorClientPos(OsWindow window, int32_t* x, int32_t* y);
// The pointer on the screen (GetCursorPos).
bool OsGetCursorScreenPos(int32_t* x, int32_t* y);
// Whether the pointer is over the window's client area, as last reported.
bool OsIsPointerInside(OsWindow window);
