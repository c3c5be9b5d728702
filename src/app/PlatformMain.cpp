#include "app/PlatformMain.h"

#include <unistd.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "app/HostBridge.h"
#include "app/PlatformApp.h"
#include "os/system/Memory.h"
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
    TAppFolders folders = app->GetFolders();
    if (!app->IsHosted() || HasPqSwitch()) {
        char buffer[kFolderBuffer];
        const char* game = app->GetVersionTexts().gameName.c_str();
        // A user folder that cannot be had stays the module folder.
        if (GetAppDataFolder(false, game, buffer, sizeof buffer) == 0)
            folders.user = buffer;
        if (GetAppDataFolder(true, game, buffer, sizeof buffer) == 0)
            folders.common = buffer;
        else
            folders.common = folders.user;
        if (GetDesktopPath(buffer, sizeof buffer) == 0)
            folders.desktop = buffer;
        else
            folders.desktop = folders.user;
    }
    app->SetDataFolders(WithoutTrailingSlash(folders.user), WithoutTrailingSlash(folders.common), folders.desktop);
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
    OsKeepFreedMemory();
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

    uint32_t parentValue = 0;
    OsWindow parent = nullptr;
    if (ParseWindowSwitch(cmd.c_str(), parentValue)) {
        parent = parentValue ? OsWindowFromValue(parentValue) : nullptr;
        if (!parent) {
            delete app;
            OsUnloadTestHook();
            return -1;
        }
    }
    const bool testMode = HasSwitch(cmd.c_str(), "--axtest");
    app->SetHosting(parent, testMode);

    FindFolders(app);
    if (!app->IsHosted() || HasPqSwitch())
        SetLogFolder(app->GetFolders().user.c_str());
    // After the log has its folder, so that the line is kept.
    SwitchWorkingFolder(cmd);

    TApplication* application = new TApplication(app);
    application->CreateMainWindow();
    if (!app->GetMainWindow()) {
        WriteError("%s cannot start: no main window", app->GetVersionTexts().gameName.c_str());
        application->Shutdown();
        delete application;
        OsUnloadTestHook();
        return -1;
    }
    // In test mode the main window stands as its own host.
    if (testMode)
        app->SetHosting(app->GetMainWindow(), true);
    application->InitSound();
    TRenderer::Get();
    SetConfig("startupdir", app->GetFolders().startup);
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
