#pragma once
#include <cstdint>
#include <string>

// Top-level windows over SDL2, addressed by opaque handles in the manner of
// desktop window handles. A handle is never dereferenced by callers; it is
// looked up in a table, so a stale or foreign value (e.g. one read from the
// command line) is simply "no window". Handles are never reused.
//
// A window is either backed by an SDL window (created with
// SDL_WINDOW_OPENGL so the display layer can make a GL context on it) or
// headless: headless windows have no SDL window and get their input only from
// injected messages or SDL events (tests). Everything here runs on the main
// thread.

struct OsWindowTag;
using OsWindow = OsWindowTag*;

// The window procedure. Sent messages reach it at once; posted ones through
// OsDispatchMessage.
using OsWndProc = intptr_t (*)(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Starts SDL's video subsystem and sets the hints the message layer relies
// on (no automatic quit on the last window, no automatic mouse capture,
// click-through focus clicks). Idempotent. False (logged by the caller) when
// no video driver could be started, or only one without a screen ("offscreen",
// "dummy") that SDL_VIDEODRIVER does not name: SDL picks those by itself when
// the display cannot be reached.
bool OsInitVideo();
// Destroys every remaining window and stops the video subsystem.
void OsShutdownVideo();
bool OsVideoReady();

struct OsWindowParams {
    const char* title = "";       // UTF-8
    int32_t width = 480;          // client size
    int32_t height = 360;
    OsWndProc proc = nullptr;     // null: OsDefWindowProc
    bool headless = false;        // no SDL window (tests)
};

// Creates a hidden, non-resizable window at 0,0. Null when the SDL window
// could not be created (or video is not started and the window is not
// headless). No messages are sent during creation.
OsWindow OsCreateWindow(const OsWindowParams& params);

// Sends OsMsg::Destroy (after releasing the mouse capture if the window had
// it), then drops its queued messages, timers, paint and mouse tracking and
// closes the SDL window. False for a handle that is not a window.
bool OsDestroyWindow(OsWindow window);

// True only for a live window made by OsCreateWindow.
bool OsIsWindow(OsWindow window);
// The handle for an integer value (e.g. parsed from "-wnd="); null when it
// names no live window.
OsWindow OsWindowFromValue(uintptr_t value);
uintptr_t OsWindowValue(OsWindow window);

// The pointer slot of the window (the old "window long 0", pointer-sized).
void OsSetWindowUserData(OsWindow window, void* data);
void* OsGetWindowUserData(OsWindow window);

OsWndProc OsGetWindowProc(OsWindow window);
void OsSetWindowProc(OsWindow window, OsWndProc proc);

// There is no window nesting on this platform: always null.
OsWindow OsGetParent(OsWindow window);

bool OsSetWindowTitle(OsWindow window, const char* utf8);
std::string OsGetWindowTitle(OsWindow window);
// The window's icon from width x height 0xAARRGGBB words, rows pitch words
// apart (the window system copies them). True for a headless window, which
// has none to show; false for bad arguments.
bool OsSetWindowIcon(OsWindow window, const uint32_t* argb, int32_t width, int32_t height,
                     int32_t pitch);

enum class OsShow {
    Hide,
    Show,        // show and restore (SW_SHOWNORMAL), takes input focus
    Minimize,
    Restore,
};
// Changes the visible/minimised state. On an SDL window the resulting
// OsMsg::Size/ActivateApp messages arrive through the pump when SDL reports
// the change; a headless window sends them at once.
bool OsShowWindow(OsWindow window, OsShow how);
bool OsIsWindowVisible(OsWindow window);
bool OsIsMinimized(OsWindow window);

// Raise and give input focus (SetForegroundWindow / SetActiveWindow). Without
// a window manager (e.g. under Xvfb) this is what makes the window receive
// keys and draw.
bool OsSetForegroundWindow(OsWindow window);
// The window that has the input focus as the message layer last saw it, or null.
OsWindow OsGetForegroundWindow();
// Keyboard focus inside a window: there are no child windows here, so this
// only remembers it. Returns the previous focus.
OsWindow OsSetFocus(OsWindow window);

bool OsGetClientSize(OsWindow window, int32_t* width, int32_t* height);
// Resizes the client area (the window itself is not user-resizable).
bool OsSetClientSize(OsWindow window, int32_t width, int32_t height);
// Top-left of the client area on the screen (0,0 for headless windows).
bool OsGetWindowPosition(OsWindow window, int32_t* x, int32_t* y);
bool OsSetWindowPosition(OsWindow window, int32_t x, int32_t y);
// The old "topmost" extended style: reported while the SDL window is full screen.
bool OsIsWindowTopmost(OsWindow window);

// The SDL window (SDL_Window*) for the display layer; null when headless.
void* OsGetSdlWindow(OsWindow window);
// The id used in SDL events for this window (headless windows get their own
// ids, above any SDL id, for injected events).
uint32_t OsGetWindowEventId(OsWindow window);
OsWindow OsWindowFromEventId(uint32_t id);

// Paint state: a visible, non-minimised window with an invalid client area
// yields one OsMsg::Paint from the pump (lowest priority but one) until
// validated. OsBeginPaint validates; OsEndPaint does nothing more.
bool OsInvalidateWindow(OsWindow window);
bool OsValidateWindow(OsWindow window);
bool OsBeginPaint(OsWindow window);
void OsEndPaint(OsWindow window);

// The class cursor: true = the system arrow (set by the default procedure
// on OsMsg::SetCursor over the client area), false = none (SetClassLong
// GCL_HCURSOR 0: the cursor is left as it is).
void OsSetClassCursor(OsWindow window, bool arrow);
// Shows or hides the system pointer over our windows (SetCursor arrow/NULL).
void OsShowSystemCursor(bool show);
bool OsSystemCursorShown();
