#include "app/Application.h"

#include <unistd.h>

#include <atomic>

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
#include "sound/SoundManager.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"

namespace {

TApplication* gInstance = nullptr;
// Read by GetTimer, which any thread may call.
std::atomic<TPlatformApp*> gTimerApp{nullptr};

// Application time: the monotonic clock less the start time and the time a
// hosting window kept the program paused.
uint32_t ApplicationTime()
{
    TPlatformApp* app = gTimerApp.load();
    uint32_t start = app ? app->mStartTime : 0;
    return OsTimeMs() - start - GetHostPausedTotal();
}

// What the window manager asks of the application.
class TAppWindowHost : public TWindowManagerHost {
public:
    explicit TAppWindowHost(TPlatformApp* app) : mApp(app) {}
    bool IsActive() const override { return mApp->IsActive(); }
    bool HasPqSwitch() const override { return ::HasPqSwitch(); }
    bool IsHosted() const override { return mApp->mHosted; }
    bool IsFlipPending() const override { return false; }
    void RequestQuit(int32_t exitCode) override { OsPostQuitMessage(exitCode); }
    TTaskList* GetAppTasks() override { return mApp->mTaskList.get(); }

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

    // The window script joins with the scripting layer; until then the
    // window manager runs without one.
    mWindowHost = std::make_unique<TAppWindowHost>(app);
    if (TWindowManager* windows = app->mWindowManager) {
        windows->SetHost(mWindowHost.get());
        windows->Init(nullptr);
    }

    LoadSettingsFile("::assets/settings.xml");
    SetAssetFolders(app->mUserFolder, app->mCommonFolder, app->mDesktopFolder);
    if (IsEnabled("firstpeek"))
        SetFirstPeek(true);
    LoadAssetManifest();

    if (TStringTable* strings = app->mStringTable) {
        if (strings->Reload("strings.xml")) {
            if (app->mWindowManager)
                app->mWindowManager->SetTranslateLabels(true);
        } else {
            WriteLog("No string table \"strings.xml\"");
        }
        LoadExtraStringTables(*strings);
        WriteLog("%u strings loaded; user folder %s", unsigned(strings->GetCount()), app->mUserFolder.c_str());
    }

    SetConfig("buildtag", app->mBuildTag);
    WriteLog("%s, version %s.", app->mGameName.c_str(), app->mVersion.c_str());
    SetConfig("gamename", app->mGameName);
    SetConfig("version", app->mVersion);
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

    // The cursor thread reads the window manager and the display layer:
    // it ends before either goes.
    if (app)
        app->StopCursorThread();

    if (app) {
        delete app->mWindowManager;
        app->mWindowManager = nullptr;
        if (app->mTaskList)
            app->mTaskList->Clear();
        delete app->mSoundManager;
        app->mSoundManager = nullptr;
        // The vector-font renderer belongs to the display set-up, which has
        // not made one yet.
    }
    TRenderer::Shutdown();
    // The display layer goes with the renderer, before the window it uses.
    delete GetPlatform();
    if (gInstance == this)
        gInstance = nullptr;
    if (app) {
        delete app->mStringTable;
        app->mStringTable = nullptr;
        if (GetAssetManager() == app->mAssetManager)
            SetAssetManager(nullptr);
        delete app->mAssetManager;
        app->mAssetManager = nullptr;

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
}

void TApplication::CreateMainWindow()
{
    mApp->CreateMainWindow();
}

void TApplication::CreateDisplay(int32_t width, int32_t height, bool fullScreen)
{
    TWindowManager* windows = mApp->mWindowManager;
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
    return mApp ? mApp->mStringTable : nullptr;
}

void TApplication::InitSound()
{
    if (!mApp->mSoundManager) {
        mApp->mSoundManager = new TSoundManager();
        mApp->mSoundManager->Init();
    }
}

TSoundManager* TApplication::GetSoundManager() const
{
    return mApp ? mApp->mSoundManager : nullptr;
}

TWindowManager* TApplication::GetWindowManager() const
{
    return mApp ? mApp->mWindowManager : nullptr;
}

TAssetManager* TApplication::GetAssetManager() const
{
    return mApp ? mApp->mAssetManager : nullptr;
}

TTaskList* TApplication::GetTaskList() const
{
    return mApp ? mApp->mTaskList.get() : nullptr;
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
