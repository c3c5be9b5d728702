#pragma once
#include <cstdint>

// How the message pump takes in SDL's input and sleeps between passes
// (internal to the message layer; OsPeekMessage and OsWaitMessage are the
// public face). Idle, the pump peeks and sleeps about 1000 times a second,
// so both are kept to about one system call each.
//
// With an X display the sleep is one poll() on the X connection and on a
// wake-up descriptor: it ends as soon as the X server sends something or
// another thread posts a message. With another video driver SDL waits, in
// slices short enough to notice a wake-up; without video only the wake-up
// descriptor is watched.

// Pumps SDL's event sources into its queue. A pump reads the X connection
// a few times over, so with X it is skipped while nothing waits there or in
// Xlib's queue, for at most 10 ms at a time (SDL has timed work of its own:
// focus changes, the screen saver, signals turned into its quit event).
void OsPumpSdlEvents();

// Ends a running wait, or the next one, at once. Any thread.
void OsWakeInputWait();
// Drops a wake-up nobody waited for (the pump took the posts in already).
void OsClearInputWake();

// Sleeps at most timeoutMs (none for 0 or less), until input or a wake-up.
// Input SDL or Xlib already holds ends it at once. Requests still in Xlib's
// output buffer are not sent here; SDL flushes the ones it makes.
void OsWaitForInput(int32_t timeoutMs);
