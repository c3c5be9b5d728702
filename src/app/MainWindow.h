#pragma once
#include <cstdint>

#include "os/window/Window.h"

// The main window's procedure: turns window notifications into the window
// events (TWindowEvents) of the application object whose pointer the window
// holds (OsSetWindowUserData). Main thread only.
intptr_t MainWndProc(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The main window's title at creation.
constexpr const char* kMainWindowTitle = "Dunmere";
