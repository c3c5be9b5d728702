#include "os/window/Window.h"

#include "os/system/Time.h"
#include "os/window/Input.h"
#include "os/window/WindowState.h"

#include <climits>
#include <cstring>

OsMessageState& OsState()
{
    static OsMessageState state;
    return state;
}

OsWindowData* OsFindWindow(OsWindow window)
{
    auto& s = OsState();
    auto it = s.windows.find(reinterpret_cast<uintptr_t>(window));
    if (it == s.windows.end())
        return nullptr;
    return it->second.get();
}

OsWindow OsHandleOf(const OsWindowData* data)
{
    return data ? reinterpret_cast<OsWindow>(data->value) : nullptr;
}

uint32_t OsNow()
{
    auto& s = OsState();
    return s.clock ? s.clock() : OsTimeMs();
}

namespace {

bool IsScreenless(const char* driver)
{
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

// SDL_VIDEODRIVER (a name or a comma-separated list) asks for it.
bool Requested(const char* driver)
{
    const char* wanted = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return wanted && std::strstr(wanted, driver) != nullptr;
}

} // namespace

bool OsInitVideo()
{
    auto& s = OsState();
    if (s.videoReady)
        return true;
    // The window's close button and signals become a sent close message; the
    // program decides when to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Moves outside the window arrive only while the program holds the capture.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // The click that focuses the window is delivered (and reported as a
    // mouse activation).
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // When the display cannot be reached SDL quietly falls back to a driver
    // without a screen, where a window is never seen and never gets the focus.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && IsScreenless(driver) && !Requested(driver)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("no display: only SDL's \"%s\" video driver started", driver);
        return false;
    }
    s.videoReady = true;
    return true;
}

void OsShutdownVideo()
{
    auto& s = OsState();
    std::vector<uintptr_t> values;
    for (auto& [value, data] : s.windows)
        values.push_back(value);
    for (uintptr_t v : values)
        OsDestroyWindow(reinterpret_cast<OsWindow>(v));
    if (s.videoReady) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        s.videoReady = false;
    }
}

bool OsVideoReady()
{
    return OsState().videoReady;
}

OsWindow OsCreateWindow(const OsWindowParams& params)
{
    auto& s = OsState();
    auto data = std::make_unique<OsWindowData>();
    data->proc = params.proc;
    data->title = params.title ? params.title : "";
    data->width = params.width > 0 ? params.width : 1;
    data->height = params.height > 0 ? params.height : 1;
    if (!params.headless) {
        if (!s.videoReady)
            return nullptr;
        data->sdl = SDL_CreateWindow(data->title.c_str(), 0, 0, data->width, data->height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!data->sdl)
            return nullptr;
        data->eventId = SDL_GetWindowID(data->sdl);
        SDL_GetWindowSize(data->sdl, &data->width, &data->height);
    } else {
        data->eventId = ++s.nextHeadlessId;
    }
    data->value = ++s.nextValue;
    OsWindow handle = OsHandleOf(data.get());
    s.windows[data->value] = std::move(data);
    return handle;
}

bool OsDestroyWindow(OsWindow window)
{
    auto& s = OsState();
    OsWindowData* data = OsFindWindow(window);
    if (!data || data->destroying)
        return false;
    data->destroying = true;
    if (s.capture == window)
        OsReleaseCapture();
    OsSendMessage(window, OsMsg::Destroy, 0, 0);
    data = OsFindWindow(window);
    if (!data)
        return true;
    OsForgetWindowMessages(window);
    OsForgetWindowInput(window);
    OsForgetWindowTimers(window);
    if (s.foreground == window)
        s.foreground = nullptr;
    if (s.keyFocus == window)
        s.keyFocus = nullptr;
    if (data->sdl)
        SDL_DestroyWindow(data->sdl);
    s.windows.erase(data->value);
    return true;
}

bool OsIsWindow(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data && !data->destroying;
}

OsWindow OsWindowFromValue(uintptr_t value)
{
    OsWindow w = reinterpret_cast<OsWindow>(value);
    return OsIsWindow(w) ? w : nullptr;
}

uintptr_t OsWindowValue(OsWindow window)
{
    return reinterpret_cast<uintptr_t>(window);
}

void OsSetWindowUserData(OsWindow window, void* user)
{
    if (OsWindowData* data = OsFindWindow(window))
        data->user = user;
}

void* OsGetWindowUserData(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data ? data->user : nullptr;
}

OsWndProc OsGetWindowProc(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data ? data->proc : nullptr;
}

void OsSetWindowProc(OsWindow window, OsWndProc proc)
{
    if (OsWindowData* data = OsFindWindow(window))
        data->proc = proc;
}

OsWindow OsGetParent(OsWindow)
{
    return nullptr;
}

bool OsSetWindowTitle(OsWindow window, const char* utf8)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return false;
    data->title = utf8 ? utf8 : "";
    if (data->sdl)
        SDL_SetWindowTitle(data->sdl, data->title.c_str());
    return true;
}

bool OsSetWindowIcon(OsWindow window, const uint32_t* argb, int32_t width, int32_t height,
                     int32_t pitch)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || !argb || width <= 0 || height <= 0 || pitch < width || pitch > INT32_MAX / 4)
        return false;
    if (!data->sdl)
        return true;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32,
                                                           pitch * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!icon)
        return false;
    SDL_SetWindowIcon(data->sdl, icon);
    SDL_FreeSurface(icon);
    return true;
}

std::string OsGetWindowTitle(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data ? data->title : std::string();
}

bool OsShowWindow(OsWindow window, OsShow how)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || data->destroying)
        return false;
    switch (how) {
    case OsShow::Hide:
        data->visible = false;
        if (data->sdl)
            SDL_HideWindow(data->sdl);
        if (OsState().foreground == window)
            OsWindowFocusLost(window);
        return true;
    case OsShow::Show: {
        bool wasVisible = data->visible;
        data->visible = true;
        if (!wasVisible)
            data->invalid = true;
        if (data->sdl) {
            SDL_ShowWindow(data->sdl);
            if (data->minimized)
                SDL_RestoreWindow(data->sdl);
        } else if (data->minimized) {
            OsWindowRestored(window);
        }
        return OsSetForegroundWindow(window);
    }
    case OsShow::Minimize:
        if (data->sdl)
            SDL_MinimizeWindow(data->sdl);
        else
            OsWindowMinimized(window);
        return true;
    case OsShow::Restore:
        if (data->sdl)
            SDL_RestoreWindow(data->sdl);
        else
            OsWindowRestored(window);
        return true;
    }
    return false;
}

bool OsIsWindowVisible(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data && data->visible;
}

bool OsIsMinimized(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data && data->minimized;
}

bool OsSetForegroundWindow(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || data->destroying)
        return false;
    if (data->sdl) {
        SDL_RaiseWindow(data->sdl);
        // Without a window manager nobody else hands out the focus. Shown
        // windows are mapped by now (SDL waits for that), so this is the one
        // request: repeating it later would take the focus back from a window
        // that got it in the meantime.
        SDL_SetWindowInputFocus(data->sdl);
        return true;
    }
    if (OsState().foreground != window)
        OsWindowFocusGained(window);
    return true;
}

OsWindow OsGetForegroundWindow()
{
    return OsState().foreground;
}

OsWindow OsSetFocus(OsWindow window)
{
    auto& s = OsState();
    OsWindow previous = s.keyFocus;
    if (!window || OsIsWindow(window))
        s.keyFocus = window;
    return previous;
}

bool OsGetClientSize(OsWindow window, int32_t* width, int32_t* height)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return false;
    if (data->sdl)
        SDL_GetWindowSize(data->sdl, &data->width, &data->height);
    if (width)
        *width = data->width;
    if (height)
        *height = data->height;
    return true;
}

bool OsSetClientSize(OsWindow window, int32_t width, int32_t height)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || width <= 0 || height <= 0)
        return false;
    if (data->sdl) {
        SDL_SetWindowSize(data->sdl, width, height);
        SDL_GetWindowSize(data->sdl, &data->width, &data->height);
    } else {
        data->width = width;
        data->height = height;
    }
    return true;
}

bool OsGetWindowPosition(OsWindow window, int32_t* x, int32_t* y)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return false;
    int px = 0, py = 0;
    if (data->sdl)
        SDL_GetWindowPosition(data->sdl, &px, &py);
    if (x)
        *x = px;
    if (y)
        *y = py;
    return true;
}

bool OsSetWindowPosition(OsWindow window, int32_t x, int32_t y)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return false;
    if (data->sdl)
        SDL_SetWindowPosition(data->sdl, x, y);
    return true;
}

bool OsIsWindowTopmost(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || !data->sdl)
        return false;
    return (SDL_GetWindowFlags(data->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

void* OsGetSdlWindow(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data ? data->sdl : nullptr;
}

uint32_t OsGetWindowEventId(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    return data ? data->eventId : 0;
}

OsWindow OsWindowFromEventId(uint32_t id)
{
    if (id == 0)
        return nullptr;
    for (auto& [value, data] : OsState().windows) {
        if (data->eventId == id && !data->destroying)
            return OsHandleOf(data.get());
    }
    return nullptr;
}

bool OsInvalidateWindow(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return false;
    data->invalid = true;
    return true;
}

bool OsValidateWindow(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return false;
    data->invalid = false;
    return true;
}

bool OsBeginPaint(OsWindow window)
{
    return OsValidateWindow(window);
}

void OsEndPaint(OsWindow)
{
}

void OsSetClassCursor(OsWindow window, bool arrow)
{
    if (OsWindowData* data = OsFindWindow(window))
        data->classArrow = arrow;
}

void OsShowSystemCursor(bool show)
{
    auto& s = OsState();
    s.systemCursorShown = show;
    if (s.videoReady)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool OsSystemCursorShown()
{
    return OsState().systemCursorShown;
}
