#pragma once
#include "os/window/Window.h"

// Gives the window the program's icon (assets/icon.png, carried inside the
// program). False, with a log line, when it cannot be shown.
bool SetAppIcon(OsWindow window);
