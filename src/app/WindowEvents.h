#pragma once
#include <atomic>
#include <cstdint>

// What the main window's procedure leaves for the event pump: state changes
// it reports in a later step, and the click guard and mouse tracking the
// pump keeps. Owned by the application object; main thread only, except
// `active`, which the cursor thread reads through the display host.
struct TWindowEvents {
    std::atomic<bool> active{true}; // the main window is not minimised
    bool activationPending = false; // `active` changed since the last report
    bool appActive = true;          // the program has the focus
    bool appActivationPending = false;
    bool closeRequested = false;
    bool displayChanged = false;
    bool mouseLeftPending = false;

    // The click that activated the window, when it came.
    bool clickGuard = false;
    uint32_t clickGuardTime = 0;

    // Hover and leave notices asked for and not yet delivered.
    bool hoverArmed = false;
    bool leaveArmed = false;
};
