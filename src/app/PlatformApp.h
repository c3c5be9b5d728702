#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "app/WindowEvents.h"
#include "os/window/Window.h"
#include "platform/TString.h"
#include "render/TextureRef.h"

class TAppDisplayHost;
class TAppText;
class TAssetManager;
class TSoundManager;
class TStringTable;
class TTaskList;
class TWindowManager;

// Where the program's files are. The module folder ends in "/"; once
// looked up, the user and common folders do not.
struct TAppFolders {
    TString module;     // the executable's folder
    TString executable; // full path of the executable
    TString user;       // root of "user:"
    TString common;     // root of "common:"
    TString desktop;    // root of "desktop:"
    TString startup;    // the current folder when the process started
};

// The texts read from the version block (see ReadVersionBlock).
struct TVersionTexts {
    TString gameName;
    TString version;
    TString buildTag;
};

// The process's one application object: folders, version texts, hosting,
// the main window and what its procedure leaves for the pump, the managers
// the application handle hands out and the cursor thread. Made by
// CreateApplication, freed by TApplication::Shutdown right after
// TPlatformApp::Shutdown. Other layers reach it through the hosts it
// installs. Main thread only, except where noted.
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

    // Hosting: a parent window ("-wnd=") makes the program hosted in it; test
    // mode ("--axtest") shows the main window at once, and once it exists
    // the main window is given as its own parent. Null: not hosted.
    void SetHosting(OsWindow parent, bool testMode);
    bool IsHosted() const { return mHosted; }
    bool IsTestMode() const { return mTest; }
    OsWindow GetExternalParent() const { return mExternalWindowParent; }

    const TAppFolders& GetFolders() const { return mFolders; }
    // The folders looked up for the game (all three start as the module
    // folder).
    void SetDataFolders(const TString& user, const TString& common, const TString& desktop);
    const TVersionTexts& GetVersionTexts() const { return mVersionTexts; }

    // Milliseconds since the object was made, less the time a hosting
    // window kept the program paused. Any thread.
    uint32_t GetRunTime() const;

    // The managers (made by the constructor; the sound manager by
    // TApplication::InitSound). Null once freed.
    TWindowManager* GetWindowManager() const { return mWindowManager; }
    TAssetManager* GetAssetManager() const { return mAssetManager; }
    TStringTable* GetStringTable() const { return mStringTable; }
    TTaskList* GetTaskList() const { return mTaskList.get(); }
    TSoundManager* GetSoundManager() const { return mSoundManager; }
    // Takes ownership of the sound manager (which may be null) and deletes
    // the one it had.
    void SetSoundManager(TSoundManager* sound);
    // Tear-down in two parts around the renderer and the display layer:
    // first the cursor thread, the window manager, the application tasks,
    // the sound manager and the text services; afterwards the string table
    // and the asset manager. Each is safe to call twice.
    void FreeWindowsAndSound();
    void FreeStringsAndAssets();
    // The font cache and the glyph rasteriser (made by the first display
    // set-up); Free lets both go, before the renderer.
    TAppText& GetText() { return *mText; }

    // Main window and display (MainWindow.cpp).
    void CreateMainWindow();
    // Makes a window made elsewhere with MainWndProc (a headless one in
    // tests) the main window, as CreateMainWindow does with its own.
    void AdoptMainWindow(OsWindow window);
    OsWindow GetMainWindow() const { return mMainWindow; }
    // What the main window's procedure leaves for the event pump.
    TWindowEvents& GetWindowEvents() { return mWindowEvents; }
    void SetupDisplay(int32_t width, int32_t height, bool fullScreen);
    // The hosted display's scale factor (any thread).
    float GetScaleFactor() const { return mScaleFactor.load(); }
    void SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY);
    void ShowCursor(bool show);
    bool IsCursorShown() const { return mCursorShown; }
    void SetWindowTitle(const TString& title);
    bool IsActive() const;
    bool IsFullScreen() const;
    bool SetFullScreen(bool fullScreen);
    bool StringToClipboard(const TString& text);
    // Characters the 8-bit text cannot hold become the replacement ('\0': left out).
    TString GetClipboardString(char replacement = '?') const;

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

private:
    // The root window's rectangle cleared to transparent black
    // (MainWindow.cpp).
    void ClearRootWindow();
    // Puts the cursor image in force (MainWindow.cpp).
    void ApplyCursorImage();

    bool mHosted = false;
    bool mTest = false;
    OsWindow mExternalWindowParent = nullptr;
    OsWindow mMainWindow = nullptr;
    TWindowEvents mWindowEvents;
    std::atomic<float> mScaleFactor{1.0f};

    // The cursor image the application asked for, and whether it shows.
    bool mCursorShown = true;
    TTextureRef mCursorTexture;
    int32_t mHotSpotX = 0;
    int32_t mHotSpotY = 0;

    TAppFolders mFolders;
    TVersionTexts mVersionTexts;
    uint32_t mStartTime = 0; // the application clock at construction

    TWindowManager* mWindowManager = nullptr;
    TAssetManager* mAssetManager = nullptr;
    TSoundManager* mSoundManager = nullptr;
    TStringTable* mStringTable = nullptr;
    std::unique_ptr<TTaskList> mTaskList; // application task list
    std::unique_ptr<TAppText> mText;

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

// The clock the application object's start time and run time are read
// from: OsTimeMs, or another set by a test before it makes the object. Null
// restores OsTimeMs.
void SetApplicationClock(uint32_t (*clock)());

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
