#pragma once
#include <cstdint>

#include "platform/PlatformEvent.h"

// One step of the event pump: reports one pending state change of the
// application object, or takes one window message and turns it into one
// framework event (then translates and dispatches it). When nothing is
// pending it runs the idle pass (finished-sound callbacks, the application
// task list's idle pass), waits at most 1 ms and reports kEventIdle.
// Main thread only; needs the application object (kEventQuit without one).
void PollPlatformEvent(TPlatformEvent& event);

// A press (or release) less than this long after the click that activated
// the window is dropped.
constexpr uint32_t kClickGuardMs = 400;
