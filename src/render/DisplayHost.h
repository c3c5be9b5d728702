#pragma once
#include "os/window/Window.h"

class TTaskList;

// What the display layer needs of the application. The application shell
// implements it and installs it with SetDisplayHost; without one the display
// runs as an active, unhosted program with no main window, and Exit only
// logs. IsActive and GetScaleFactor may be called from the cursor thread;
// everything else is main thread only.
class TDisplayHost {
public:
    virtual ~TDisplayHost() = default;
    // The main window is not minimised.
    virtual bool IsActive() const = 0;
    virtual OsWindow GetMainWindow() const = 0;
    // The external parent window the program is hosted in, or null.
    virtual OsWindow GetExternalParent() const = 0;
    virtual bool IsHosted() const = 0;
    // Test mode: hosted in its own main window.
    virtual bool IsTestMode() const = 0;
    // Writes the scale factor; true when it applies (hosted).
    virtual bool GetScaleFactor(float& scale) const = 0;
    // The window tree must be drawn again.
    virtual void Invalidate() = 0;
    // While a movie plays no frame is drawn.
    virtual bool IsMoviePlaying() const = 0;
    // The display mode changed (the event pump reports it).
    virtual void DisplayChanged() = 0;
    // Tasks run after the display has restored its surfaces, or null.
    virtual TTaskList* GetRestoreTasks() = 0;
    // The display has its first device: the application sets its cursor.
    virtual void SetDefaultCursor() = 0;
    // The display cannot go on: the program ends with that code through its
    // normal shut-down; reason is for the user.
    virtual void Exit(int code, const char* reason) = 0;
};

// Not owned; null restores the default.
void SetDisplayHost(TDisplayHost* host);
TDisplayHost& GetDisplayHost();
