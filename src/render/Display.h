#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxTypes.h"
#include "os/window/Window.h"
#include "platform/Rect.h"

// The display object of the DirectX context: sets a full-screen mode or
// prepares a window, owns the graphics display (front picture and back
// buffer), presents frames and knows where the client area lies on the
// screen.
//
// The graphics display is made on the first mode request and kept for the
// life of this object, so texture surfaces survive mode changes; a window
// without a video-system window (tests) gets a display that records instead
// of drawing. Main thread only.
class CDisplay {
public:
    // Creation flags (the low 16 bits of CreateDirectDraw's packed value and
    // SetWindowMode's flags).
    enum : uint32_t {
        kLeaveWindowAlone = 2, // a child window inside a host: style, size and place stay
        kAlphaChannel = 4,     // ask for an alpha channel on the primary / back buffer
    };

    CDisplay();
    virtual ~CDisplay();
    CDisplay(const CDisplay&) = delete;
    CDisplay& operator=(const CDisplay&) = delete;

    // Releases the back buffer and the mode; the graphics display stays.
    virtual void DestroyObjects();

    // Full screen. The low 16 bits of packed are flags, the high 16 bits the
    // driver attempt to begin with (0 the first time). Each attempt that
    // fails goes on with the next driver; when none is left the walk ends
    // with "Failed to create a DirectDraw device after trying all GUIDs" and,
    // until one full-screen creation has succeeded in this run, the
    // compatibility message box. Little free video memory (below 16 MiB)
    // lowers the colour depth to 16 bits.
    GfxResult CreateDirectDraw(OsWindow window, int32_t width, int32_t height, int32_t depth,
                               uint32_t packed);
    // A window with a client area of width x height (unless
    // kLeaveWindowAlone), kept inside the desktop's work area.
    GfxResult SetWindowMode(OsWindow mainWindow, OsWindow clipWindow, int32_t width, int32_t height,
                            bool videoMemory, uint32_t flags);
    // Shows the back buffer. A lost back buffer is restored and the loss
    // still reported.
    GfxResult Present();

    // The client area on the screen (window) or the whole desktop (full
    // screen).
    void UpdateBounds();
    void GetClientOrigin(int32_t& x, int32_t& y);
    const TRect& GetBounds() const { return mBounds; }
    // Nothing to undo: desktop full screen never changes the desktop's mode.
    void RestoreDisplayMode() {}
    // An off-screen surface (a texture surface of the given size); E_POINTER
    // style InvalidPointer without a mode or an out pointer.
    GfxResult CreateOffscreenSurface(std::unique_ptr<GfxSurface>* out, uint32_t width,
                                     uint32_t height, bool alpha, bool systemMemory);

    // Makes the display object for the window (once).
    bool Prepare(OsWindow window) { return EnsureDisplay(window); }
    // The display while a mode is set (null otherwise).
    GfxDisplay* GetDirectDraw() const;
    // The display object itself, made on the first mode request (null
    // before); texture surfaces are made on it.
    GfxDisplay* GetGfxDisplay() const { return mGfx.get(); }
    GfxSurface* GetBackBuffer() const;
    OsWindow GetWindow() const { return mWindow; }
    bool IsWindowed() const { return mWindowed; }
    bool IsCreatedOnce() const { return mCreatedOnce; }

    // The colour depth of the full-screen mode for a request: the depth
    // asked for when a mode offers it, else a 16-bit mode, else the first
    // offered (modes below 15 bits do not count); the wanted depth when
    // nothing is offered.
    static int32_t ChooseModeDepth(const std::vector<int32_t>& offered, int32_t wanted);
    // The colour depths the device can render at, as a mode list.
    static std::vector<int32_t> OfferedDepths(uint32_t renderDepths);
    // Drivers to walk for full screen (one: the window's GL driver).
    static constexpr uint32_t kDriverCount = 1;

private:
    bool EnsureDisplay(OsWindow window);

    std::unique_ptr<GfxDisplay> mGfx;
    OsWindow mWindow = nullptr;
    TRect mBounds;
    bool mWindowed = false;
    bool mCreatedOnce = false;
};

// Moves a window, keeping its size, inside the desktop it is on (flag 2:
// inside the work area instead of the whole screen); flag 1 centres it, else
// it is only pushed inside.
void CentreWindow(OsWindow window, uint32_t flags);
