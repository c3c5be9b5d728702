#pragma once

class TApplication;
class TWindowManager;

// The game's main function: sets the window title, makes the display, then
// hands every event to the window manager until the window is closed or
// the program is told to quit.
void GameMain(TApplication* application, const char* commandLine);

// The event loop alone: returns on a close request or a quit event, which
// are not handed on. Returns the number of events handed to the windows.
unsigned RunEventLoop(TApplication* application);

// Whether the display starts full screen: the current user's "fullscreen"
// preference (the shared slot while "curuser" is -1), 1 when unset; any
// other value than 1 means a window.
bool FullScreenPreferred();

// Registers the game's own window types ("Slider") with the window script.
void RegisterGameWindowTypes(TWindowManager* windows);
