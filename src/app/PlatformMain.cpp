#include "app/PlatformMain.h"

#include <unistd.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "app/HostBridge.h"
#include "app/PlatformApp.h"
#include "os/system/Process.h"
#include "platform/AssetNames.h"
#include "platform/CommandLine.h"
#include "platform/Log.h"
#include "platform/Settings.h"
#include "render/Renderer.h"

namespace {

constexpr uint32_t kFolderBuffer = 4096;
constexpr char kTestHookLibrary[] = "dnHarness.so";

TString WithoutTrailingSlash(TString folder)
{
    if (folder.Length() > 1 && folder[folder.Length() - 1] == '/')
        folder.Erase(folder.Length() - 1, 1);
    return folder;
}

// The user, common and desktop folders. Skipped while hosted without
// "-pq=" (they stay the module folder).
void FindFolders(TPlatformApp* app)
{
    if (!app->mHosted || HasPqSwitch()) {
        char buffer[kFolderBuffer];
        const char* game = app->mGameName.c_str();
        // A user folder that cannot be had stays the module folder.
        if (GetAppDataFolder(false, game, buffer, sizeof buffer) == 0)
            app->mUserFolder = buffer;
        if (GetAppDataFolder(true, game, buffer, sizeof buffer) == 0)
            app->mCommonFolder = buffer;
        else
            app->mCommonFolder = app->mUserFolder;
        if (GetDesktopPath(buffer, sizeof buffer) == 0)
            app->mDesktopFolder = buffer;
        else
            app->mDesktopFolder = app->mUserFolder;
    }
    app->mUserFolder = WithoutTrailingSlash(app->mUserFolder);
    app->mCommonFolder = WithoutTrailingSlash(app->mCommonFolder);
}

void SwitchWorkingFolder(const TString& commandLine)
{
    TString folder;
    if (!ParseWorkingFolder(commandLine.c_str(), folder))
        return;
    WriteLog("Switching current directory to: %s", folder.c_str());
    if (chdir(folder.c_str()) != 0)
        WriteLog("Cannot change to %s", folder.c_str());
}

} // namespace

int PlatformMain(const char* commandLine, int32_t showCommand, TGameMain gameMain, bool allowMultiple)
{
    // The test hook may replace the command line.
    std::string original = commandLine ? commandLine : "";
    std::vector<char> buffer(original.begin(), original.end());
    buffer.push_back('\0');
    char* line = buffer.data();
    void* hookWindow = nullptr;
    std::string executable = OsExecutablePath();
    if (size_t slash = executable.rfind('/'); slash != std::string::npos) {
        if (OsTestHookFn hook = OsLoadTestHook(executable.substr(0, slash + 1) + kTestHookLibrary))
            hookWindow = hook(&line);
    }
    TString cmd = line ? line : "";
    SetCommandLineText(cmd);

    if (HasSwitch(cmd.c_str(), "-wnd=") || HasSwitch(cmd.c_str(), "--multiple"))
        allowMultiple = true;

    TPlatformApp* app = CreateApplication(cmd.c_str(), showCommand, allowMultiple);
    if (!app) {
        OsUnloadTestHook();
        return -1;
    }
    if (app->IsRefused()) {
        int code = app->GetExitCode();
        delete app;
        OsUnloadTestHook();
        return code;
    }

    uint32_t parent = 0;
    if (ParseWindowSwitch(cmd.c_str(), parent)) {
        app->mHosted = true;
        app->mExternalWindowParent = parent ? OsWindowFromValue(parent) : nullptr;
        if (!app->mExternalWindowParent) {
            delete app;
            OsUnloadTestHook();
            return -1;
        }
    }
    if (HasSwitch(cmd.c_str(), "--axtest"))
        app->mTest = true;

    FindFolders(app);
    if (!app->mHosted || HasPqSwitch())
        SetLogFolder(app->mUserFolder.c_str());
    // After the log has its folder, so that the line is kept.
    SwitchWorkingFolder(cmd);

    TApplication* application = new TApplication(app);
    application->CreateMainWindow();
    if (!app->mMainWindow) {
        WriteError("%s cannot start: no main window", app->mGameName.c_str());
        application->Shutdown();
        delete application;
        OsUnloadTestHook();
        return -1;
    }
    if (app->mTest) {
        app->mExternalWindowParent = app->mMainWindow;
        app->mHosted = true;
    }
    application->InitSound();
    TRenderer::Get();
    SetConfig("startupdir", app->mStartupFolder);
    for (const auto& [key, value] : ParseOptions(cmd.c_str()))
        SetConfig(key, value);
    if (HasPqSwitch())
        EnableHostBridge();
    app->StartCursorThread();

    if (gameMain)
        gameMain(application, cmd.c_str());

    // The hook's window lives outside this program's window table: there
    // is nothing here to post its quit message to.
    (void)hookWindow;
    const int exitCode = app->GetExitCode();
    application->Shutdown();
    delete application;
    OsUnloadTestHook();
    return exitCode;
}
