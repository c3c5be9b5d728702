#pragma once
#include <cstdint>

#include "os/window/Window.h"

// The bridge to a host application that embeds the program in its own
// window ("-pq=" on the command line). The host pauses and resumes the
// program and silences its sound through commands sent to the main window
// as OsMsg::User (wParam = command); the program passes its full-screen
// requests and every OsMsg::User + 2 message on to the host window.
// Process-wide state, main thread only.

// Commands of the host (wParam of OsMsg::User): 1, 8 and unknown numbers
// re-evaluate the sound; 2 holds the sound, 3 releases it; 4 pauses (and
// releases a mouse capture of the program); 5, 6, 9 and 10 resume; 7
// acknowledges and resumes. Every command re-evaluates the sound.

// Switches the bridge on (start-up, when "-pq=" is given). While it is off
// every operation below except the full-screen flag and ForwardToHost does
// nothing, and queries answer false or 0.
void EnableHostBridge();
bool IsHostBridgeOn();

// The ready step, run at the start of every pump step: once per process,
// when on, the bridge counts as acknowledged. The sound is not re-evaluated.
void SendHostReady();

// A command from the host (see the enum). The parameter is not read.
void HostCommand(uint32_t command, intptr_t parameter);

// The host keeps the program paused (the pump waits meanwhile).
bool IsHostPaused();
// Milliseconds the host has kept the program paused so far, the running
// pause included, so the application time stands still during a pause.
uint32_t GetHostPausedTotal();

// The full-screen state last requested while "-pq=" is given: stored and
// sent to the host window (OsMsg::User, wParam 1 or 0).
void NotifyHostFullScreen(bool fullScreen);
bool IsHostFullScreen();

// Sends the message to the host window; 0 when there is none.
intptr_t ForwardToHost(uint32_t message, uintptr_t wParam, intptr_t lParam);

// Remembers the main window's parent as the host window.
void RecordParentWindow(OsWindow window);
OsWindow GetHostWindow();

// Whether the bridge has silenced the sound.
bool IsHostMuted();

// Tests: the clock for pause times (null: OsTimeMs), a reset of all bridge
// state to its start values, and a window that stands in for the host (the
// stand-in window layer has no parent windows, so RecordParentWindow always
// records none).
void SetHostBridgeClock(uint32_t (*clock)());
void ResetHostBridge();
void SetHostWindow(OsWindow window);
