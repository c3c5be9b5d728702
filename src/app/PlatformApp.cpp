#include "app/PlatformApp.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>

#include "app/AppDisplayHost.h"
#include "app/AppText.h"
#include "app/HostBridge.h"
#include "os/system/Instance.h"
#include "os/system/Process.h"
#include "os/system/Time.h"
#include "os/window/MessageQueue.h"
#include "platform/AssetManager.h"
#include "platform/CommandLine.h"
#include "platform/Log.h"
#include "platform/StringTable.h"
#include "platform/TaskList.h"
#include "platform/Version.h"
#include "render/Model.h"
#include "render/Texture.h"
#include "sound/SoundManager.h"
#include "ui/WindowManager.h"

namespace {

TPlatformApp* gPlatformApp = nullptr;
// Read by GetRunTime, which any thread may call.
std::atomic<uint32_t (*)()> gClock{nullptr};

uint32_t ClockMs()
{
    uint32_t (*clock)() = gClock.load();
    return clock ? clock() : OsTimeMs();
}

constexpr char kDefaultGameName[] = "Kavrel Application";

const TVersionBlock kVersionBlock = {
    QUILLORY_PRODUCT_NAME,
    QUILLORY_BUILD_TAG,
    {QUILLORY_VERSION_MAJOR, QUILLORY_VERSION_MINOR, QUILLORY_VERSION_PATCH, QUILLORY_VERSION_BUILD},
};

TString CurrentFolder()
{
    std::string folder(4096, '\0');
    while (!getcwd(folder.data(), folder.size())) {
        if (errno != ERANGE || folder.size() > (1u << 20))
            return TString();
        folder.resize(folder.size() * 2);
    }
    return TString(folder.c_str());
}

} // namespace

void SetApplicationClock(uint32_t (*clock)())
{
    gClock.store(clock);
}

TPlatformApp* GetPlatformApp()
{
    return gPlatformApp;
}

const TVersionBlock* GetVersionBlock()
{
    return &kVersionBlock;
}

void ReadVersionBlock(const TVersionBlock* block, TString& gameName, TString& version, TString& buildTag)
{
    gameName = TString();
    version = TString();
    buildTag = TString();
    if (block) {
        version.Format("%d.%d.%d.%d", int(block->version[0]), int(block->version[1]),
                       int(block->version[2]), int(block->version[3]));
        const char* name = block->productName ? block->productName : "";
        while (*name == ' ' || *name == '\t' || *name == '\r' || *name == '\n')
            ++name;
        gameName = name;
        buildTag = block->internalName ? block->internalName : "";
    }
    if (gameName.IsEmpty())
        gameName = kDefaultGameName;
}

TPlatformApp* CreateApplication(const char* commandLine, int32_t showCommand, bool allowMultiple)
{
    std::srand((OsTimeMs() * 8627u) % 104729u);
    TPlatformApp* app = new (std::nothrow) TPlatformApp(commandLine, showCommand, allowMultiple);
    if (!app)
        WriteLog("Cannot allocate the application object");
    return app;
}

// The show command is not kept: the display set-up shows the window.
TPlatformApp::TPlatformApp(const char* commandLine, int32_t, bool allowMultiple)
{
    gPlatformApp = this;
    mDisplayHost = std::make_unique<TAppDisplayHost>(this);
    SetDisplayHost(mDisplayHost.get());
    mStartTime = ClockMs();
    mTaskList = std::make_unique<TTaskList>();
    mText = std::make_unique<TAppText>();
    mWindowManager = new TWindowManager();
    mAssetManager = new TAssetManager();
    SetAssetManager(mAssetManager);
    RegisterTextureAssetLoader();
    RegisterModelAssetLoader();
    mStringTable = new TStringTable();

    SetCommandLineText(commandLine ? commandLine : "");

    TAppFolders& folders = mFolders;
    std::string executable = OsExecutablePath();
    folders.executable = executable.c_str();
    folders.startup = CurrentFolder();
    size_t slash = executable.rfind('/');
    if (slash != std::string::npos) {
        folders.module = executable.substr(0, slash + 1).c_str();
    } else {
        folders.module = folders.startup;
        if (folders.module.IsEmpty() || folders.module[folders.module.Length() - 1] != '/')
            folders.module += '/';
    }
    if (chdir(folders.module.c_str()) != 0)
        WriteLog("Cannot make %s the current folder", folders.module.c_str());

    if (!allowMultiple) {
        std::string path = folders.executable.IsEmpty() ? folders.module.c_str() : folders.executable.c_str();
        switch (OsClaimInstance(OsInstanceName(path))) {
        case OsInstanceClaim::First:
            mInstanceHeld = true;
            break;
        case OsInstanceClaim::AlreadyRunning:
            // The first copy has been asked to come to the front.
            mRefused = true;
            mExitCode = 0;
            return;
        case OsInstanceClaim::Failed:
            // Without a lock file there is no telling; run rather than refuse.
            WriteLog("Cannot take the single-instance lock");
            break;
        }
    }

    SetDataFolders(folders.module, folders.module, folders.module);
    ReadVersionBlock(GetVersionBlock(), mVersionTexts.gameName, mVersionTexts.version, mVersionTexts.buildTag);
}

TPlatformApp::~TPlatformApp()
{
    Shutdown();
    // What TApplication::Shutdown has not already freed (start-up ended
    // before the application handle existed).
    FreeWindowsAndSound();
    FreeStringsAndAssets();
    if (&GetDisplayHost() == mDisplayHost.get())
        SetDisplayHost(nullptr);
    if (gPlatformApp == this)
        gPlatformApp = nullptr;
}

void TPlatformApp::SetHosting(OsWindow parent, bool testMode)
{
    mHosted = parent != nullptr;
    mExternalWindowParent = parent;
    mTest = testMode;
}

void TPlatformApp::SetDataFolders(const TString& user, const TString& common, const TString& desktop)
{
    mFolders.user = user;
    mFolders.common = common;
    mFolders.desktop = desktop;
}

uint32_t TPlatformApp::GetRunTime() const
{
    return ClockMs() - mStartTime - GetHostPausedTotal();
}

void TPlatformApp::SetSoundManager(TSoundManager* sound)
{
    if (sound == mSoundManager)
        return;
    delete mSoundManager;
    mSoundManager = sound;
}

void TPlatformApp::FreeWindowsAndSound()
{
    // The cursor thread reads the window manager and the display layer: it
    // ends before either goes.
    StopCursorThread();
    delete mWindowManager;
    mWindowManager = nullptr;
    if (mTaskList)
        mTaskList->Clear();
    SetSoundManager(nullptr);
    // Text draws through the renderer, which goes next.
    if (mText)
        mText->Free();
}

void TPlatformApp::FreeStringsAndAssets()
{
    delete mStringTable;
    mStringTable = nullptr;
    if (::GetAssetManager() == mAssetManager)
        SetAssetManager(nullptr);
    delete mAssetManager;
    mAssetManager = nullptr;
}

void TPlatformApp::Shutdown()
{
    if (mShutDown)
        return;
    mShutDown = true;

    mCursorTexture.reset();
    StopCursorThread();
    if (mInstanceHeld) {
        OsReleaseInstance();
        mInstanceHeld = false;
    }
    if (mMainWindow && mMainWindow != mExternalWindowParent) {
        OsSetWindowUserData(mMainWindow, nullptr);
        OsDestroyWindow(mMainWindow);
    }
    mMainWindow = nullptr;
    if (OsVideoReady())
        OsShutdownVideo();
}

void TPlatformApp::RequestExit(int code, const char* reason)
{
    WriteError("%s: %s", mVersionTexts.gameName.c_str(), reason ? reason : "cannot go on");
    mExitCode = code;
    OsPostQuitMessage(code);
}

bool TPlatformApp::OpenURL(const TString& url)
{
    bool started;
    if (!mHosted) {
        started = OsOpenUrl(url.c_str());
    } else {
        TString program;
        bool given = ParseHostProgram(GetCommandLineText().c_str(), program);
        started = OsOpenUrl(url.c_str(), given ? program.c_str() : nullptr);
    }
    if (!started)
        WriteLog("Cannot open %s", url.c_str());
    return started;
}
