#pragma once

class TPlatformApp;

// The cursor thread: until the application object's stop flag is set, it
// polls the display layer's pointer every 16 ms (250 ms while there is no
// cursor to show) so that the cursor follows the pointer even while the
// main thread is busy. It reads only the display layer (under its mouse
// mutex), the window manager's movie flag and the stop flag, so it must be
// started after and stopped before those exist (TPlatformApp::
// StartCursorThread and StopCursorThread).
void CursorThread(TPlatformApp* app);

// Poll intervals of the cursor thread.
constexpr int kCursorPollIntervalMs = 16;
constexpr int kCursorIdleIntervalMs = 250;
