#pragma once
#include <cstdint>

#include "os/window/Window.h"

// Window timers (SetTimer): each period posts one OsMsg::Timer (wParam = id,
// lParam = 0) to the window. Like the desktop original, a timer message is
// produced only when nothing else is queued, and a late timer fires once, not
// once per missed period. Main thread only.

// Starts or restarts timer `id` of the window (ids are per window; 0 is a
// valid id). An interval of 0 counts as 1 ms. A null window makes a thread
// timer whose messages have a null window. False for a dead window.
bool OsSetTimer(OsWindow window, uintptr_t id, uint32_t intervalMs);
bool OsKillTimer(OsWindow window, uintptr_t id);

// Milliseconds until the next timer is due (0 when one is due now); -1 when
// there is none.
int32_t OsNextTimerDelay();
