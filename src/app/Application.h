#pragma once
#include <cstdint>
#include <memory>

#include "platform/PlatformEvent.h"
#include "platform/TString.h"
#include "render/TextureRef.h"

class TAssetManager;
class TPlatformApp;
class TSoundManager;
class TStringTable;
class TTask;
class TTaskList;
class TWindowManager;
class TWindowManagerHost;
class TWindowScriptHost;

// A globally unique id: four 32-bit words.
struct TGuid {
    uint32_t words[4];
};

// The handle through which every subsystem reaches the services of the
// process. One exists from start-up to shut-down; main thread only.
class TApplication {
public:
    // Loads the settings, publishes the folders, loads the asset manifest
    // and the string tables, and writes the start-up log line.
    explicit TApplication(TPlatformApp* app);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The instance; null before construction and after Shutdown.
    static TApplication* Instance();

    // Tears the services down (cursor thread first) and frees the
    // application object. The caller deletes the handle afterwards.
    void Shutdown();

    TPlatformApp* GetPlatformApp() const { return mApp; }

    void CreateMainWindow();
    // Makes a root screen of that size when there is none, sets up the
    // display and resets the renderer's clip rectangle to the screen.
    void CreateDisplay(int32_t width, int32_t height, bool fullScreen);
    void SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY);
    void ShowCursor(bool show);
    void SetWindowTitle(const TString& title);
    bool IsActive() const;
    bool IsFullScreen() const;
    bool SetFullScreen(bool fullScreen);

    // One step of the event pump.
    void GetEvent(TPlatformEvent& event);

    static void Sleep(int32_t ms);
    bool OpenURL(const TString& url);
    // Posts the quit message with that exit code.
    void PostQuit(int32_t exitCode);
    void OutOfVideoMemory();
    bool IsFlipDone() const;
    static void NewGuid(TGuid& guid);
    // Absolute pointer positions; no other mode exists.
    int32_t GetMouseMode() const { return 0; }

    TStringTable* GetStringTable() const;
    void InitSound();
    TSoundManager* GetSoundManager() const;
    TWindowManager* GetWindowManager() const;
    TAssetManager* GetAssetManager() const;

    TTaskList* GetTaskList() const;
    void AddTask(TTask* task);
    bool RemoveTask(TTask* task);
    // Tasks run after the display has restored its surfaces; the list owns
    // them (without a list the task is deleted at once).
    void AddRestoreTask(TTask* task);
    TTaskList* GetRestoreTasks() const { return mRestoreTasks.get(); }

    TString GetClipboardString() const;

private:
    std::unique_ptr<TTaskList> mRestoreTasks;
    TPlatformApp* mApp = nullptr;
    std::unique_ptr<TWindowManagerHost> mWindowHost; // what the window manager asks of us
    std::unique_ptr<TWindowScriptHost> mScriptHost;  // what the window script asks of us
    bool mShutDown = false;
};

// Clipboard text (scripts reach it under this name).
bool StringToClipboard(const TString& text);
