#pragma once
#include <cstdint>

// One framework event, produced by the event pump and routed by the window
// manager. Fields an event type does not use are 0.
struct TPlatformEvent {
    int32_t type = 0;
    int32_t param = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t param2 = 0;
};

// Event types.
enum : int32_t {
    kEventIdle = 1,
    kEventNothing = 2,
    kEventClose = 3,
    kEventQuit = 4,
    kEventLeftDown = 5,
    kEventButton = 6,       // param: sub-code below
    kEventLeftUp = 7,
    kEventMouseMove = 8,
    kEventMouseLeave = 9,
    kEventHover = 10,
    kEventKeyDown = 11,
    kEventKeyUp = 12,
    kEventChar = 13,
    kEventPaint = 14,
    kEventDisplayChanged = 16,
    kEventActivate = 17,
    kEventFullScreen = 18,
};

// Sub-codes of kEventButton.
enum : int32_t {
    kButtonRightUp = 0,
    kButtonRightDown = 1,
    kButtonMiddleUp = 2,
    kButtonMiddleDown = 3,
    kButtonExtra1Down = 4,
    kButtonExtra2Down = 5,
    kButtonWheelForward = 6,
    kButtonWheelBack = 7,
};
