#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "os/gfx/GfxTypes.h"
#include "os/window/Window.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "platform/Task.h"
#include "render/Display.h"
#include "render/TextureRef.h"

class GfxDevice;
class GfxSurface;
class TDXContext;

// A pointer position in the display's logical pixels; -1, -1 when unknown.
struct TMousePos {
    int32_t x = -1;
    int32_t y = -1;
};

// The restore task of the cursor: after a device restore it sets the
// cursor image again. It and its context forget each other when either
// goes.
class MouseTextureListener : public TTask {
public:
    explicit MouseTextureListener(TDXContext* context) : mContext(context) {}
    ~MouseTextureListener() override;
    bool Run() override;
    void ForgetContext() { mContext = nullptr; }

private:
    TDXContext* mContext;
};

// The DirectX context of the display: makes the display object, the back
// buffer and the device for a mode, checks that the device can run the
// program, and keeps the software cursor.
//
// The cursor is never drawn into the back buffer: the display draws it over
// the picture when it presents. Moving it between frames marks a present as
// due; the main thread serves that (PresentCursor), so the cursor thread
// never touches the video system. All cursor state is guarded by the mouse
// mutex (recursive: cursor operations call each other); the cursor thread's
// poll waits at most 5 ms for it. Everything else is main thread only.
class TDXContext {
public:
    TDXContext();
    virtual ~TDXContext();
    TDXContext(const TDXContext&) = delete;
    TDXContext& operator=(const TDXContext&) = delete;

    // (Re)creates the display, the back buffer and the device for a mode.
    // flags go to the display object (CDisplay::kLeaveWindowAlone...). False
    // leaves no mode set; the flags below tell the caller why.
    bool Create(OsWindow window, bool fullScreen, int32_t width, int32_t height, int32_t depth,
                uint32_t flags);
    // Releases the mode and the device.
    void Release();

    CDisplay& GetDisplayObject() { return mDisplay; }
    // The display while a mode is set (null otherwise).
    GfxDisplay* GetDirectDraw() const { return mDisplay.GetDirectDraw(); }
    GfxSurface* GetBackSurface() const { return mDisplay.GetBackBuffer(); }
    GfxDevice* GetDevice() const { return mDevice; }
    const GfxMode& GetDisplayMode() const { return mMode; }
    const GfxCaps& GetCaps() const { return mCaps; }
    bool IsFlipDone() const { return true; }
    bool IsHardwareDevice() const { return mHardwareDevice; }
    // Device, driver and capability texts of the last successful creation.
    const TString& GetHardwareDescription() const { return mHardwareDescription; }

    // The window whose pointer the cursor follows (the main window); makes
    // the display object for it and reads the desktop.
    void SetPointerWindow(OsWindow window);
    // The window handed over by the platform (the main window while the
    // program is hosted, else none): the clip window of a windowed mode.
    void SetWindow(OsWindow window) { mWindow = window; }
    OsWindow GetWindow() const { return mWindow; }

    // Desktop: colours (-1 = more than 256), size.
    void ReadDesktopMode();
    void SetDesktopMode(int32_t colours, int32_t width, int32_t height);
    int32_t GetDesktopColours() const { return mDesktopColours; }
    int32_t GetDesktopWidth() const { return mDesktopWidth; }
    int32_t GetDesktopHeight() const { return mDesktopHeight; }
    bool IsPaletteDesktop() const { return mPaletteDesktop; }
    // The display could not be created for lack of video memory: window
    // requests fail until a hosted creation clears it.
    bool IsOutOfMemoryRetry() const { return mOutOfMemoryRetry; }
    void SetOutOfMemoryRetry(bool on) { mOutOfMemoryRetry = on; }
    bool IsDeviceRetry() const { return mDeviceRetry; }

    // Cursor.
    // A real move (x != -1, main thread) reads the pointer from the window
    // system; a poll (x = -1, the cursor thread) uses the position last
    // read. Answers the position; -1, -1 from a poll while nothing is
    // tracked or there is no image.
    TMousePos MoveMouseImage(int32_t x, int32_t y, bool intoBack);
    // A texture image (empty: none) with its hot spot. False when the
    // texture has no surface ("Cursor surface missing!").
    bool SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY);
    // An image file (PNG) read through the file interface, e.g. the built-in
    // arrow registered as a memory file. False when it does not decode.
    bool SetCursorImageFile(const TString& name, int32_t hotX, int32_t hotY);
    void HideMouseImage();
    void ResetMouse();
    void SyncMouse();
    TMousePos GetMousePos();
    void EraseMouseImage();
    // Before a frame (copyFront): the back buffer already holds the picture
    // without the cursor. False when there is no mode.
    bool BeginFrameCursor();
    // Draws the cursor at the pointer into the presented picture and
    // presents the back buffer.
    GfxResult EndFrameCursor();
    // Sets the image again after device loss (the listener's run).
    void RestoreMouseImage();
    // The image texture when one of at least 1 x 1 is set, else empty.
    TTextureRef GetCursorTexture();
    // An image is set (a texture or a file).
    bool HasCursorImage();

    // A present of the cursor is due (set from any thread).
    bool IsPresentDue() const { return mPresentDue.load(); }
    bool TakePresentDue() { return mPresentDue.exchange(false); }
    // A redraw of the frame was asked for from another thread.
    bool TakeRedrawRequest() { return mRedrawRequested.exchange(false); }
    // Main thread: reads the window bounds again when the cursor thread's
    // poll hid the cursor since (it leaves the window system alone).
    void RefreshStaleBounds();
    bool IsRedrawRequested() const { return mRedrawRequested.load(); }
    // Main thread, outside a frame: shows the last frame again with the
    // cursor where it is now.
    GfxResult PresentCursor();

    // Cursor state for tests.
    struct CursorState {
        TMousePos position;
        TMousePos drawn;
        int32_t width = 0;
        int32_t height = 0;
        int32_t hotX = 0;
        int32_t hotY = 0;
        bool tracking = false;
        bool drawnFlag = false;
        bool disabled = false;
        bool surfaceLost = false;
        bool intoBack = false;
        uint32_t lastDrawTime = 0;
    };
    CursorState GetCursorState();
    std::recursive_mutex& GetMouseMutex() { return mMouseMutex; }

private:
    friend class MouseTextureListener;

    void ReleaseObjects();
    bool ReadSystemPosition(int32_t& x, int32_t& y);
    void ClientToLogical(int32_t& x, int32_t& y) const;
    bool ApplyCursorImage(bool hadImage);
    void PushCursorToDisplay();
    void UpdateWindowRect();
    // Hides the cursor and forgets the pointer; off the main thread the
    // window bounds are left for RefreshStaleBounds.
    void HideCursor(bool mainThread);
    void ForgetPointer();
    void ShowCursorOn(GfxDisplay& display);
    void RequestRedraw(bool mainThread);
    bool InsideDesktop(int32_t x, int32_t y) const;

    TString mHardwareDescription;
    OsWindow mWindow = nullptr;
    OsWindow mPointerWindow = nullptr;
    CDisplay mDisplay;
    GfxDevice* mDevice = nullptr;
    GfxCaps mCaps;
    GfxMode mMode;
    bool mHardwareDevice = false;
    bool mPaletteDesktop = false;
    bool mOutOfMemoryRetry = false;
    bool mDeviceRetry = false;
    int32_t mDesktopColours = -1;
    int32_t mDesktopWidth = 0;
    int32_t mDesktopHeight = 0;
    MouseTextureListener* mListener = nullptr;

    // Cursor (mouse mutex).
    std::recursive_mutex mMouseMutex;
    uint32_t mLastDrawTime = 0;
    bool mIntoBack = false;       // cursor operations target the back buffer
    bool mCursorDrawn = false;    // the presented picture shows the cursor
    bool mCursorDisabled = false; // the display refused the image
    bool mSurfaceLost = false;    // presenting lost the surfaces; restored by RestoreMouseImage
    TMousePos mPosition;
    TMousePos mDrawnPosition;
    int32_t mHotOffsetX = 0;      // minus the hot spot
    int32_t mHotOffsetY = 0;
    int32_t mImageWidth = 0;      // 0 without an image
    int32_t mImageHeight = 0;
    bool mTracking = false;
    TTextureRef mCursorTexture;
    TString mCursorFile;          // image file when not a texture
    std::vector<uint32_t> mFilePixels;
    int32_t mFileWidth = 0;
    int32_t mFileHeight = 0;
    int32_t mHotX = 0;
    int32_t mHotY = 0;
    TRect mWindowRect;            // client area on the screen at the last read

    std::atomic<bool> mPresentDue{false};
    std::atomic<bool> mRedrawRequested{false};
    std::atomic<bool> mBoundsStale{false};
};

// The colour-key colour of cursor images: pixels of this colour are
// transparent.
constexpr uint32_t kCursorColourKey = 0x00FF00FFu;
