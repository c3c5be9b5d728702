#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "os/gfx/GfxDevice.h"
#include "os/gfx/GfxSurface.h"
#include "os/gfx/GfxTypes.h"
#include "os/window/Window.h"

// The display of a window, shaped after the DirectDraw object of DirectX 7:
// a mode (size, window or full screen), a back buffer the device draws on,
// texture surfaces, presentation and the software cursor.
//
// The GL backend: one GL context on the window, made by the first Create and
// kept across mode changes (surfaces stay valid); a back framebuffer of the
// mode's size (colour + 24-bit depth, alpha held at 255); Present copies it
// to the window, scaled and letterboxed when the window is larger (full
// screen is the desktop-sized window), then draws the cursor over it and
// swaps. The back buffer is never touched by presentation, so it always
// holds the last frame without the cursor.
//
// The recording backend does the same without a display: surfaces are plain
// memory (fills, blits, locks and uploads work), draws and presents are
// recorded (GfxRecording.h) but not rasterised.
//
// Main thread only.
class GfxDisplay {
public:
    virtual ~GfxDisplay() = default;

    // Sets the mode on the window: full screen (desktop-sized, letterboxed)
    // or a window with a client area of width x height; makes the back
    // buffer and resets the device state. A failed Create leaves the display
    // released. The window must have an SDL window for the GL backend.
    virtual GfxResult Create(OsWindow window, const GfxMode& mode) = 0;
    // Drops the mode, the back buffer and the device (texture surfaces and
    // the GL context stay).
    virtual void Release() = 0;
    virtual bool IsCreated() const = 0;
    virtual GfxMode GetMode() const = 0;
    virtual OsWindow GetWindow() const = 0;

    // Null while not created.
    virtual GfxDevice* GetDevice() = 0;
    virtual GfxSurface* GetBackBuffer() = 0;

    // A texture surface (width and height 1..max texture size). Works while
    // not created too, once a window has had a mode (the GL context exists).
    virtual GfxResult CreateSurface(const GfxSurfaceDesc& desc, std::unique_ptr<GfxSurface>* out) = 0;

    // Shows the back buffer with the cursor over it. SurfaceLost while the
    // back buffer is lost.
    virtual GfxResult Present() = 0;
    // Shows the last frame again with the cursor where it is now (cursor
    // moves between frames). Nothing before the first Present.
    virtual GfxResult PresentOnly() = 0;
    // The back buffer already holds the picture on the screen (without the
    // cursor): nothing to copy.
    GfxResult CopyFrontToBack() { return IsCreated() ? GfxResult::Ok : GfxResult::NotCreated; }
    // Presentation never runs behind.
    bool IsFlipDone() const { return true; }

    // Device-loss protocol of the original; Ok unless injected.
    // RestoreAllSurfaces also clears the lost state of every surface.
    virtual GfxResult TestCooperativeLevel() = 0;
    virtual GfxResult SetCooperativeLevel(bool exclusive) = 0;
    virtual GfxResult RestoreAllSurfaces() = 0;
    GfxResult FlipToGdiSurface() { return GfxResult::Ok; }

    // The desktop of the window's screen (or the first screen); injectable.
    virtual GfxDesktop GetDesktop() const = 0;
    // Capabilities (the GL ones once a context exists); injectable.
    virtual GfxCaps GetCaps() const = 0;
    virtual GfxIdentifier GetIdentifier() const = 0;
    // Pixel format of the back buffer (X8R8G8B8).
    GfxPixelFormat GetPixelFormat() const
    {
        GfxPixelFormat f;
        f.alphaMask = 0;
        return f;
    }

    // Software cursor, drawn at present time over the picture (never into
    // the back buffer). SetCursorImage copies the image's pixels (null: no
    // cursor); with colourKey, pixels whose colour is magenta (0xFF00FF,
    // any alpha) become transparent. hot is the pixel of the image that sits
    // at the pointer position.
    virtual GfxResult SetCursorImage(GfxSurface* image, int32_t hotX, int32_t hotY, bool colourKey) = 0;
    // Pointer position in back-buffer pixels; visible false hides the cursor.
    virtual void SetCursorPosition(int32_t x, int32_t y, bool visible) = 0;

    // Window geometry: the client size in pixels and the rectangle of it the
    // picture fills (the whole client area in a window; centred with black
    // bars in full screen).
    virtual bool GetWindowSize(int32_t* width, int32_t* height) const = 0;
    GfxRect GetPresentRect() const;
    // Window pixels to back-buffer pixels (and back). Points in the bars are
    // clamped to the picture's edge and answer false.
    bool WindowToLogical(int32_t wx, int32_t wy, int32_t* x, int32_t* y) const;
    void LogicalToWindow(int32_t x, int32_t y, int32_t* wx, int32_t* wy) const;

    // Read-back: a rectangle of the back buffer (back-buffer pixels, rows
    // top first), or of the window as the last present showed it (window
    // pixels, rows top first). The window picture is only kept while
    // KeepFrontCopy is on (tests: it costs a read of the window per
    // present); otherwise, and on the recording backend, ReadFront answers
    // Failed.
    virtual GfxResult ReadBack(const GfxRect& rect, std::vector<uint32_t>* out) = 0;
    virtual GfxResult ReadFront(const GfxRect& rect, std::vector<uint32_t>* out) = 0;
    virtual void KeepFrontCopy(bool keep) = 0;

    // Frames presented since creation of this object.
    virtual uint32_t PresentCount() const = 0;
    // Wait for the vertical blank when presenting (1, the default) or not (0).
    virtual void SetSwapInterval(int32_t interval) = 0;
};

// The rectangle a picture of width x height fills in a window of
// windowWidth x windowHeight: scaled to fit with its aspect ratio kept,
// centred (integer arithmetic, rounded to nearest).
GfxRect GfxLetterbox(int32_t windowWidth, int32_t windowHeight, int32_t width, int32_t height);

enum class GfxBackend { Gl, Recording };
// Which backend GfxCreateDisplay makes (Gl by default).
void GfxSetBackend(GfxBackend backend);
GfxBackend GfxGetBackend();
std::unique_ptr<GfxDisplay> GfxCreateDisplay();
std::unique_ptr<GfxDisplay> GfxCreateGlDisplay();
std::unique_ptr<GfxDisplay> GfxCreateRecordingDisplay();
