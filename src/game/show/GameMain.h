#pragma once

class TApplication;
class TWindowManager;

// The game's main function: sets the window title, makes the display,
// registers the game's window types and runs the main script, then runs
// the game loop (GameLoop.h) over the application's events until the window
// is closed or the program is told to quit, and last destroys the game's
// singletons in their order (GameSingletons.h).
void GameMain(TApplication* application, const char* commandLine);

// Registers the game's own window types ("Slider") with the window script.
void RegisterGameWindowTypes(TWindowManager* windows);
