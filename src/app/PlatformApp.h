#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "os/window/Window.h"
#include "platform/TString.h"
#include "render/TextureRef.h"

class TAppDisplayHost;
class TAssetManager;
class TSoundManager;
class TStringTable;
class TTaskList;
class TWindowManager;

// The process's one application object: folders, version texts, the main
// window and its state flags, the managers the application handle hands out
// and the cursor thread. Made by CreateApplication, freed by
// TApplication::Shutdown right after TPlatformApp::Shutdown.
//
// The event pump and the window procedure, its other halves, read and write
// its fields; other layers reach it through the hosts it installs. Main
// thread only, except the atomics.
class TPlatformApp {
public:
    // Start-up of the object (in this order): members, managers, folders,
    // the single-instance check, the version texts. When another copy of the
    // program already runs (and allowMultiple is false), that copy is asked
    // to come to the front and IsRefused() is true: the caller ends the
    // process with GetExitCode(). The cursor thread is not started here.
    TPlatformApp(const char* commandLine, int32_t showCommand, bool allowMultiple);
    // Shuts down and frees the managers the application handle has not
    // already freed (start-up ended early).
    ~TPlatformApp();
    TPlatformApp(const TPlatformApp&) = delete;
    TPlatformApp& operator=(const TPlatformApp&) = delete;

    bool IsRefused() const { return mRefused; }
    // 0, or the code of a refused start or of RequestExit.
    int GetExitCode() const { return mExitCode; }

    // Tear-down: cursor textures, cursor thread, the single-instance lock,
    // the main window (unless it is the external parent) and the video
    // system. Safe to call twice.
    void Shutdown();

    // Main window and display (MainWindow.cpp).
    void CreateMainWindow();
    void SetupDisplay(int32_t width, int32_t height, bool fullScreen);
    void SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY);
    void ShowCursor(bool show);
    void SetWindowTitle(const TString& title);
    bool IsActive() const;
    bool IsFullScreen() const;
    bool SetFullScreen(bool fullScreen);
    bool StringToClipboard(const TString& text);
    TString GetClipboardString() const;

    // Cursor thread (CursorThread.cpp), started at the end of start-up and
    // stopped before anything it reads goes; Stop sets mCursorStop and
    // joins. Both are no-ops when already done.
    void StartCursorThread();
    void StopCursorThread();
    bool IsCursorThreadRunning() const { return mCursorThread.joinable(); }

    // Opens an address with the desktop's handler, or, when hosted, with the
    // "-host=" program. The address is passed as one argument, never through
    // a shell. False when nothing could be started.
    bool OpenURL(const TString& url);

    // The display cannot go on (or start-up failed): tells the user why (on
    // standard error and in the log), records the exit code and posts the
    // quit message, so the program ends through its normal shut-down.
    void RequestExit(int code, const char* reason);

    // Hosting ("-wnd=", "--axtest") and the hosted display's scale factor
    // (the cursor thread reads it).
    bool mHosted = false;
    bool mTest = false;
    std::atomic<float> mScaleFactor{1.0f};

    // The cursor image the application asked for, and whether it shows.
    bool mCursorShown = true;
    TTextureRef mCursorTexture;
    int32_t mHotSpotX = 0;
    int32_t mHotSpotY = 0;

    // Left by the window procedure for the pump.
    std::atomic<bool> mActive{true}; // not minimised; the cursor thread reads it
    bool mDisplayChanged = false;
    bool mActivationPending = false;
    bool mCloseRequested = false;
    bool mAppActive = true;
    bool mAppActivationPending = false;
    bool mClickGuard = false;
    uint32_t mClickGuardTime = 0;
    bool mHoverArmed = false;
    bool mMouseLeftPending = false;
    bool mLeaveArmed = false;

    // Folders; every one except the desktop folder without a trailing "/".
    TString mModuleFolder;     // the executable's folder, ending in "/"
    TString mExecutablePath;   // full path of the executable
    TString mUserFolder;       // root of "user:"
    TString mCommonFolder;     // root of "common:"
    TString mDesktopFolder;    // root of "desktop:"
    TString mStartupFolder;    // the current folder when the process started

    uint32_t mStartTime = 0;   // OsTimeMs() at construction

    TWindowManager* mWindowManager = nullptr; // made by the constructor
    TAssetManager* mAssetManager = nullptr;   // made by the constructor
    TSoundManager* mSoundManager = nullptr;   // made by TApplication::InitSound
    TStringTable* mStringTable = nullptr;     // made by the constructor
    std::unique_ptr<TTaskList> mTaskList;     // application task list

    OsWindow mMainWindow = nullptr;
    OsWindow mExternalWindowParent = nullptr; // "-wnd=", or null

    TString mGameName;
    TString mVersion;
    TString mBuildTag;

private:
    // Cursor thread: runs until mCursorStop is set, then is joined.
    std::thread mCursorThread;
    std::atomic<bool> mCursorStop{false};
    friend void CursorThread(TPlatformApp* app);

    std::unique_ptr<TAppDisplayHost> mDisplayHost; // installed while the object lives
    bool mInstanceHeld = false; // this process holds the single-instance lock
    bool mRefused = false;
    int mExitCode = 0;
    bool mShutDown = false;
};

// The one application object while it exists (null before and after).
TPlatformApp* GetPlatformApp();

// Makes the application object (see the constructor). Seeds rand() first.
TPlatformApp* CreateApplication(const char* commandLine, int32_t showCommand, bool allowMultiple);

// Texts taken from a version block. With no block the game name is
// "Kavrel Application" and the version and build tag are empty.
struct TVersionBlock {
    const char* productName;
    const char* internalName;
    uint16_t version[4];
};
void ReadVersionBlock(const TVersionBlock* block, TString& gameName, TString& version, TString& buildTag);
// The executable's own block (from the build).
const TVersionBlock* GetVersionBlock();
