#pragma once

class TApplication;

// The game's main function: sets the window title, makes the display, then
// hands every event to the window manager until the window is closed or
// the program is told to quit.
void GameMain(TApplication* application, const char* commandLine);

// The event loop alone: returns on a close request or a quit event, which
// are not handed on. Returns the number of events handed to the windows.
unsigned RunEventLoop(TApplication* application);
