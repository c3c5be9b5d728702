#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "os/Window.h"
#include "platform/Rect.h"
#include "render/TextureRef.h"

// A pointer position in the display's logical pixels; -1, -1 when unknown.
struct TMousePos {
    int32_t x = -1;
    int32_t y = -1;
};

class TPlatformData;

// The display layer under the renderer: the display mode of the main
// window, the device state (ready, broken, frames since the last mode set)
// and the pointer position and cursor image it keeps. One instance at a
// time, reached through GetPlatform.
//
// Everything runs on the main thread except the pointer poll of the cursor
// thread (MoveMouse with -1, -1); the pointer fields are guarded by the
// mouse mutex.
class TPlatform {
public:
    TPlatform();
    ~TPlatform();
    TPlatform(const TPlatform&) = delete;
    TPlatform& operator=(const TPlatform&) = delete;

    TPlatformData* GetData() const { return mData.get(); }

    // The window the display lives in (the main window).
    void SetWindow(OsWindow window);
    OsWindow GetWindow() const;

    // Display mode. SetDisplay chooses and applies a mode for the window;
    // force re-applies an unchanged mode and runs while the application is
    // inactive; quiet suppresses fall-back notices; hostedChild marks a
    // window inside an external parent.
    void SetDisplay(int32_t width, int32_t height, bool fullScreen, bool force, bool quiet,
                    bool hostedChild);
    // Switching to a window is refused (false) when the desktop has 256
    // colours or fewer or is not larger than the screen in both directions;
    // otherwise the mode is set again at the current size.
    bool SetFullScreen(bool fullScreen);
    bool IsFullScreen() const;
    void GetDisplayMode(int32_t& width, int32_t& height, bool& fullScreen) const;

    // False at once while broken; true while a mode is set; otherwise marks
    // the display broken (stamping the time) and answers false.
    bool IsDeviceReady();
    void SetBroken(uint32_t time);
    bool IsBroken() const;
    uint32_t GetBrokenTime() const;
    void ResetWorkingCount();
    uint32_t GetWorkingCount() const;
    // Counts a frame begun (the frame code calls it).
    void CountWorkingFrame();

    // Desktop: colour count (-1 = more than 256), width, height. Re-read
    // from the video system when the desktop changes.
    void UpdateDesktopMode();
    void SetDesktopMode(int32_t colours, int32_t width, int32_t height);
    void GetDesktopMode(int32_t& colours, int32_t& width, int32_t& height) const;

    // Device restore: release the assets' device objects and either
    // restore them or set the mode again.
    void Restore();
    // Re-creates what lives in the device after a restore.
    void RestoreAssets();

    // Pointer and cursor.
    // A real move (x != -1) from the window procedure stores the client
    // position and starts tracking; a poll (x = -1, the cursor thread) waits
    // at most 5 ms for the mouse mutex and answers -1, -1 while nothing is
    // tracked or there is no cursor image. Returns the position kept.
    TMousePos MoveMouse(int32_t x, int32_t y);
    // Re-reads the window position; a moved window forgets where the cursor
    // was drawn.
    void SyncMouse();
    // The pointer position as the window system last reported it, in
    // logical pixels (divided by the scale factor while hosted).
    TMousePos GetMousePos();
    // The pointer left the window: the cursor is taken off and forgotten.
    void MouseLeft();
    // Forgets the position and the drawn cursor.
    void ResetMouse();
    // The software cursor image (empty = none) and its hot-spot.
    void SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY);
    TTextureRef GetCursorTexture() const;
    // Whether the application wants the system pointer when no cursor image
    // is set (the default).
    void SetSystemCursorWanted(bool wanted);
    // The set-cursor notification over the client area: hides the system
    // pointer and answers true when a cursor image is set or the system
    // pointer is not wanted; false otherwise.
    bool OnSetCursor();
    // Set when the cursor moved and a present should show it; cleared by
    // the call. Safe from any thread.
    bool TakeCursorPresentDue();
    // A present has shown the cursor at the position kept now.
    void CursorPresented();

private:
    std::unique_ptr<TPlatformData> mData;
};

// The display layer while it exists (null before and after). Readable from
// any thread.
TPlatform* GetPlatform();
