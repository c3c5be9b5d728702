#pragma once
#include <cstdint>

class TApplication;

// The game's main function: runs the game on the application handle and
// returns when the game ends. What it returns is not used.
using TGameMain = void (*)(TApplication* application, const char* commandLine);

// The framework entry: reads the command line, makes the application
// object and handle, the main window, the sound manager and the renderer,
// calls gameMain once and then shuts everything down. Returns the process
// exit code: 0 after a normal run and when another copy already runs (it is
// brought to the front instead), -1 when "-wnd=" names no window or the
// program could not start.
int PlatformMain(const char* commandLine, int32_t showCommand, TGameMain gameMain, bool allowMultiple);
