#pragma once
#include <cstdint>
#include <memory>

#include "os/window/Window.h"
#include "platform/Rect.h"
#include "render/DXContext.h"
#include "render/TextureRef.h"

class GfxDevice;
class GfxDisplay;
class TPlatformData;
class TTextureData;

// The display layer under the renderer: the display mode of the main window
// (full screen or a window) with its rules and fall-backs, the device and
// the device-wide state, frames (BeginDraw / EndDraw) and the recovery from
// an unusable device, the low-video-memory mode remembered in
// "common:display.xml", and the forwarders to the context's cursor. One
// instance at a time, reached through GetPlatform.
//
// Main thread only, except the pointer poll of the cursor thread
// (MoveMouse with -1, -1) and TakeCursorPresentDue.
class TPlatform {
public:
    // Reads "common:display.xml" (unless the host bridge runs) and makes the
    // context.
    TPlatform();
    ~TPlatform();
    TPlatform(const TPlatform&) = delete;
    TPlatform& operator=(const TPlatform&) = delete;

    TPlatformData* GetData() const { return mData.get(); }
    TDXContext* GetContext() const;

    // The window the display lives in (the main window).
    void SetWindow(OsWindow window);
    OsWindow GetWindow() const;

    // Display mode: chooses and applies a mode for the main window. force
    // re-applies an unchanged mode and runs while the application is
    // inactive; quiet suppresses the fall-back message boxes; hostedChild
    // marks a window inside an external parent.
    void SetDisplay(int32_t width, int32_t height, bool fullScreen, bool force, bool quiet,
                    bool hostedChild);
    // Switching to a window is refused (false) when the desktop has 256
    // colours or fewer, is not larger than the screen in both directions,
    // or the last windowed attempt ran out of video memory; otherwise the
    // mode is set again at the current size.
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const;
    void GetDisplayMode(int32_t& width, int32_t& height, bool& fullScreen) const;

    // False at once while broken; true while the display, the device and
    // the mode are set; otherwise marks the display broken (stamping the
    // time) and answers false.
    bool IsDeviceReady();
    void SetBroken(uint32_t time);
    bool IsBroken() const;
    uint32_t GetBrokenTime() const;
    bool IsFatal() const;
    void ResetWorkingCount();
    uint32_t GetWorkingCount() const;
    void CountWorkingFrame();

    // The first report switches to the low-video-memory mode for good
    // (16-bit colour, full screen only) and writes "common:display.xml".
    void OutOfVideoMemory();
    bool IsLowMemoryVideo() const;
    bool HasTextureLimits() const;

    // Desktop: colour count (-1 = more than 256), width, height.
    void UpdateDesktopMode();
    void SetDesktopMode(int32_t colours, int32_t width, int32_t height);
    void GetDesktopMode(int32_t& colours, int32_t& width, int32_t& height) const;

    // Frames. BeginDraw opens a scene (false: no drawing now: no device,
    // broken, inactive (after a 200 ms sleep) or the device was lost);
    // EndDraw closes it and, with present, shows it with the cursor.
    bool BeginDraw(bool copyFront);
    void EndDraw(bool present);
    // Sets the device viewport to rect within the screen rectangle (clamped
    // there; the stored viewport is not changed). False when refused.
    bool ApplyViewport(const TRect& rect);

    // Once per run, after the first mode set: finds the sub-pixel offset
    // that puts 2D texels exactly on pixels (-0.5 when no candidate
    // passes), then clears the screen to black.
    void CalibratePixelOffset();
    bool IsCalibrated() const;
    // Device restore (TPlatformData::Restore).
    void Restore();
    // Re-creates what lives in the device after a restore.
    void RestoreAssets();

    // Pointer and cursor (forwarders to the context).
    // A real move (x != -1) comes from the window procedure with client
    // pixels; a poll (x = -1, the cursor thread) waits at most 5 ms for the
    // mouse mutex and answers -1, -1 while nothing is tracked or there is no
    // cursor image. Returns the position in logical pixels.
    TMousePos MoveMouse(int32_t x, int32_t y);
    void SyncMouse();
    TMousePos GetMousePos();
    void MouseLeft();
    void ResetMouse();
    void SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY);
    // The built-in arrow (or another image file) as the cursor.
    bool SetCursorImageFile(const TString& name, int32_t hotX, int32_t hotY);
    TTextureRef GetCursorTexture() const;
    // Whether the application wants the system pointer when no cursor image
    // is set (the default).
    void SetSystemCursorWanted(bool wanted);
    // The set-cursor notification over the client area: hides the system
    // pointer and answers true when a cursor image is set or the system
    // pointer is not wanted; false otherwise.
    bool OnSetCursor();
    // A present is due to show the cursor where it is now; cleared by the
    // call. Safe from any thread.
    bool TakeCursorPresentDue();
    // Main thread, from the pump's idle pass: when the cursor moved since it
    // was last shown and no frame or movie is on, shows it (and turns a
    // redraw asked for by the cursor thread into an invalidation, and reads
    // the window bounds the cursor thread's poll left stale).
    void ServeCursor();
    bool IsFlipDone() const;
    void GetClientOrigin(int32_t& x, int32_t& y);
    void FlipToGDISurface();
    // A new texture-surface object (owned by the caller).
    TTextureData* CreateTextureData();

    // Tests: the sleeps of the frame and restore code. Null restores the
    // real one.
    static void SetSleepHook(void (*sleep)(int32_t ms));

private:
    struct ModeRequest;

    // The steps of SetDisplay. The rules answer false when the program ends
    // instead of going full screen.
    bool ForceFullScreen(ModeRequest& mode, bool endInstead, const char* message,
                         const char* logLine);
    bool ApplyLowMemoryRule(ModeRequest& mode);
    // Hosted in an external parent: the context gets the main window, and a
    // window becomes a hosted child. False when the parent is gone.
    bool AttachToHost(ModeRequest& mode);
    bool ApplyPaletteRule(ModeRequest& mode);
    bool IsCurrentMode(const ModeRequest& mode) const;
    // A window must be smaller than the desktop and must not have run out
    // of video memory.
    bool ApplyWindowRules(ModeRequest& mode);
    // Drops the old mode: the assets' device objects, the display state and
    // the context's objects.
    void ResetForModeSet(const ModeRequest& mode);
    // The box due after running out of video memory.
    void AnnounceReconfiguration(OsWindow owner);
    // Tries with the extra flag first (if any), then once without it.
    bool CreateDevice(const ModeRequest& mode);
    void RecoverFromFailedCreate(const ModeRequest& mode);
    // A failure while inactive or in the background (and no fall-back
    // running) only marks the display broken; true when it did.
    bool MarkBrokenInBackground(OsWindow main);
    // Full screen failed: a window; a window failed: full screen; both
    // failed: the program ends.
    void TryTheOtherMode(const ModeRequest& mode);
    void FinishModeSet(const ModeRequest& mode);
    void TakeDeviceFromContext();
    void ApplyDeviceState();
    void SetDefaultTransforms();
    // The first ready device after a mode set: transforms, the default
    // cursor, the assets and a redraw.
    void StartDrawing();
    // The display cannot go on: the host ends the program (code -1).
    void Exit(const char* reason);

    std::unique_ptr<TPlatformData> mData;
};

// The display layer while it exists (null before and after). Readable from
// any thread.
TPlatform* GetPlatform();

class TRenderHost;
// The drawing device's host over the display layer: frames through
// BeginDraw / EndDraw (with their restore), the display, the device state
// and texture surfaces. It holds nothing itself (every call goes to
// GetPlatform()), so a device made with it never outlives what it uses.
TRenderHost* GetPlatformRenderHost();
// Gives the renderer a drawing device over the display layer when it has
// none yet.
void InstallPlatformRenderDevice();

// Reports an out-of-video-memory result of a device call through the
// application handle (which lands in TPlatform::OutOfVideoMemory); other
// results are ignored. Returns r.
GfxResult ReportVideoMemory(GfxResult r);
