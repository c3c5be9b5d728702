#include "app/Application.h"

#include <unistd.h>

#include <atomic>
#include <vector>

#include "app/EventPump.h"
#include "app/HostBridge.h"
#include "app/PlatformApp.h"
#include "os/system/Process.h"
#include "os/system/Time.h"
#include "os/window/MessageQueue.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/CommandLine.h"
#include "platform/Log.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/Platform.h"
#include "render/Renderer.h"
#include "sound/Sound.h"
#include "sound/SoundManager.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

TApplication* gInstance = nullptr;
// Read by GetTimer, which any thread may call.
std::atomic<TPlatformApp*> gTimerApp{nullptr};

// Application time: the application object's run time.
uint32_t ApplicationTime()
{
    TPlatformApp* app = gTimerApp.load();
    return app ? app->GetRunTime() : OsTimeMs() - GetHostPausedTotal();
}

// What the window manager asks of the application.
class TAppWindowHost : public TWindowManagerHost {
public:
    explicit TAppWindowHost(TPlatformApp* app) : mApp(app) {}
    bool IsActive() const override { return mApp->IsActive(); }
    bool HasPqSwitch() const override { return ::HasPqSwitch(); }
    bool IsHosted() const override { return mApp->IsHosted(); }
    bool IsFlipPending() const override { return false; }
    void RequestQuit(int32_t exitCode) override { OsPostQuitMessage(exitCode); }
    TTaskList* GetAppTasks() override { return mApp->GetTaskList(); }

private:
    TPlatformApp* mApp;
};

// What the window script asks of the application.
class TAppScriptHost : public TWindowScriptHost {
public:
    explicit TAppScriptHost(TPlatformApp* app) : mApp(app) {}
    bool StringToClipboard(const TString& text) override { return mApp->StringToClipboard(text); }
    TString GetClipboardString() override { return mApp->GetClipboardString('\0'); }
    TString GetString(const TString& key, const TString args[5]) override
    {
        TString text;
        if (TStringTable* strings = mApp->GetStringTable())
            strings->GetString(text, key, args[0], args[1], args[2], args[3], args[4]);
        return text;
    }
    bool OpenURL(const TString& url) override { return mApp->OpenURL(url); }
    bool IsCursorShown() const override { return mApp->IsCursorShown(); }
    void ShowCursor(bool show) override { mApp->ShowCursor(show); }
    void GetFlashLabels(std::vector<TString>& labels) override
    {
        if (TStringTable* strings = mApp->GetStringTable())
            strings->GetFlashLabels(labels);
    }

private:
    TPlatformApp* mApp;
};

} // namespace

TApplication* TApplication::Instance()
{
    return gInstance;
}

TApplication::TApplication(TPlatformApp* app)
{
    mRestoreTasks = std::make_unique<TTaskList>();
    gInstance = this;
    mApp = app;
    gTimerApp = app;
    SetTimerSource(&ApplicationTime);

    // The window script runs as a task of the application task list, which
    // owns it and frees it after the window manager.
    mWindowHost = std::make_unique<TAppWindowHost>(app);
    mScriptHost = std::make_unique<TAppScriptHost>(app);
    TWindowManager* windows = app->GetWindowManager();
    TTaskList* tasks = app->GetTaskList();
    if (windows) {
        windows->SetHost(mWindowHost.get());
        TWindowScript* script = tasks ? new TWindowScript(mScriptHost.get()) : nullptr;
        // No movie control exists here: movies never start, splashes show
        // their pictures.
        if (script)
            script->SetMovieControlFactory(&MakeNullMovieControl);
        windows->Init(script);
        if (script)
            tasks->Add(script);
    }

    LoadSettingsFile("::assets/settings.xml");
    const TAppFolders& folders = app->GetFolders();
    SetAssetFolders(folders.user, folders.common, folders.desktop);
    if (IsEnabled("firstpeek"))
        SetFirstPeek(true);
    LoadAssetManifest();

    if (TStringTable* strings = app->GetStringTable()) {
        if (strings->Reload("strings.xml")) {
            if (windows)
                windows->SetTranslateLabels(true);
        } else {
            WriteLog("No string table \"strings.xml\"");
        }
        LoadExtraStringTables(*strings);
        WriteLog("%u strings loaded; user folder %s", unsigned(strings->GetCount()), folders.user.c_str());
    }

    const TVersionTexts& texts = app->GetVersionTexts();
    SetConfig("buildtag", texts.buildTag);
    WriteLog("%s, version %s.", texts.gameName.c_str(), texts.version.c_str());
    SetConfig("gamename", texts.gameName);
    SetConfig("version", texts.version);
}

TApplication::~TApplication()
{
    Shutdown();
}

void TApplication::Shutdown()
{
    if (mShutDown)
        return;
    mShutDown = true;
    TPlatformApp* app = mApp;

    // The cursor thread goes first, then what draws or plays; the vector-
    // font renderer belongs to the display set-up, which has not made one
    // yet.
    if (app)
        app->FreeWindowsAndSound();
    TRenderer::Shutdown();
    // The display layer goes with the renderer, before the window it uses.
    delete GetPlatform();
    if (gInstance == this)
        gInstance = nullptr;
    if (app) {
        app->FreeStringsAndAssets();
        app->Shutdown();
        if (gTimerApp.load() == app) {
            SetTimerSource(nullptr);
            gTimerApp.store(nullptr);
        }
        delete app;
        mApp = nullptr;
    }
    ClearConfig();
    ClearRegisteredFiles();
    if (mRestoreTasks)
        mRestoreTasks->Clear();
    mRestoreTasks.reset();
    mWindowHost.reset();
    mScriptHost.reset();
}

void TApplication::CreateMainWindow()
{
    mApp->CreateMainWindow();
}

void TApplication::CreateDisplay(int32_t width, int32_t height, bool fullScreen)
{
    TWindowManager* windows = mApp->GetWindowManager();
    if (windows && !windows->GetRootWindow()) {
        TScreen* screen = new TScreen();
        windows->SetRootWindow(screen);
        screen->SetSize(width, height);
    }
    mApp->SetupDisplay(width, height, fullScreen);
    TRenderer* renderer = TRenderer::Get();
    renderer->PopClipRect();
    renderer->PushClipRect(TRect(0, 0, width, height));
}

void TApplication::SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY)
{
    mApp->SetCursorImage(std::move(texture), hotX, hotY);
}

void TApplication::ShowCursor(bool show)
{
    mApp->ShowCursor(show);
}

void TApplication::SetWindowTitle(const TString& title)
{
    mApp->SetWindowTitle(title);
}

bool TApplication::IsActive() const
{
    return mApp->IsActive();
}

bool TApplication::IsFullScreen() const
{
    return mApp->IsFullScreen();
}

bool TApplication::SetFullScreen(bool fullScreen)
{
    return mApp->SetFullScreen(fullScreen);
}

void TApplication::GetEvent(TPlatformEvent& event)
{
    PollPlatformEvent(event);
}

void TApplication::Sleep(int32_t ms)
{
    OsSleepMs(ms);
}

bool TApplication::OpenURL(const TString& url)
{
    return mApp->OpenURL(url);
}

void TApplication::PostQuit(int32_t exitCode)
{
    OsPostQuitMessage(exitCode);
}

void TApplication::OutOfVideoMemory()
{
    if (TPlatform* platform = GetPlatform())
        platform->OutOfVideoMemory();
}

bool TApplication::IsFlipDone() const
{
    TPlatform* platform = GetPlatform();
    return !platform || platform->IsFlipDone();
}

void TApplication::NewGuid(TGuid& guid)
{
    OsGuid made;
    if (!OsNewGuid(&made)) {
        // getrandom failed: still unique within the process.
        static uint32_t counter = 0;
        uint32_t now = OsTimeMs();
        guid = TGuid{{now, ++counter, uint32_t(getpid()), 0x51756c6cu}};
        return;
    }
    for (int i = 0; i < 4; ++i)
        guid.words[i] = uint32_t(made.bytes[i * 4]) | uint32_t(made.bytes[i * 4 + 1]) << 8 |
                        uint32_t(made.bytes[i * 4 + 2]) << 16 | uint32_t(made.bytes[i * 4 + 3]) << 24;
}

TStringTable* TApplication::GetStringTable() const
{
    return mApp ? mApp->GetStringTable() : nullptr;
}

void TApplication::InitSound()
{
    if (!mApp->GetSoundManager()) {
        auto* sound = new TSoundManager();
        mApp->SetSoundManager(sound);
        sound->SetOutOfVideoMemoryHandler([this] { OutOfVideoMemory(); });
        RegisterSoundAssetLoader();
        sound->Init();
    }
}

TSoundManager* TApplication::GetSoundManager() const
{
    return mApp ? mApp->GetSoundManager() : nullptr;
}

TWindowManager* TApplication::GetWindowManager() const
{
    return mApp ? mApp->GetWindowManager() : nullptr;
}

TAssetManager* TApplication::GetAssetManager() const
{
    return mApp ? mApp->GetAssetManager() : nullptr;
}

TTaskList* TApplication::GetTaskList() const
{
    return mApp ? mApp->GetTaskList() : nullptr;
}

void TApplication::AddTask(TTask* task)
{
    if (TTaskList* tasks = GetTaskList())
        tasks->Add(task);
}

bool TApplication::RemoveTask(TTask* task)
{
    TTaskList* tasks = GetTaskList();
    return tasks && tasks->Remove(task);
}

void TApplication::AddRestoreTask(TTask* task)
{
    if (mRestoreTasks)
        mRestoreTasks->Add(task);
    else
        delete task;
}

TString TApplication::GetClipboardString() const
{
    return mApp->GetClipboardString();
}

bool StringToClipboard(const TString& text)
{
    TApplication* application = TApplication::Instance();
    if (!application || !application->GetPlatformApp())
        return false;
    return application->GetPlatformApp()->StringToClipboard(text);
}
