#pragma once
// Fixture for the display layer without a display: the recording graphics
// backend, a headless main window, the application object, injected time,
// sleeps and process exit, message boxes caught instead of shown, and the
// user and common folders in a temporary folder.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "os/GfxDevice.h"
#include "os/GfxDisplay.h"
#include "os/GfxInject.h"
#include "os/GfxMessageBox.h"
#include "os/GfxRecording.h"
#include "os/MessageQueue.h"
#include "os/Window.h"
#include "platform/Application.h"
#include "platform/Asset.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "platform/PlatformApp.h"
#include "platform/Timer.h"
#include "render/DXContext.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "ui/Task.h"
#include "ui/TaskList.h"

// An asset that counts how often the display layer releases and restores it.
class CountingAsset : public TAsset {
public:
    void Release() override { ++released; }
    void Restore() override { ++restored; }
    int released = 0;
    int restored = 0;
};

// A restore task that counts its runs.
class CountingTask : public TTask {
public:
    explicit CountingTask(int* runs) : mRuns(runs) {}
    bool Run() override
    {
        ++*mRuns;
        return true;
    }

private:
    int* mRuns;
};

struct SeenBox {
    OsWindow owner;
    std::string caption;
    std::string text;
    GfxBoxIcon icon;
};

class DisplayFixture : public ::testing::Test {
protected:
    static inline uint32_t now = 1000;
    static inline std::vector<int> exits;
    static inline std::vector<int32_t> sleeps;
    static uint32_t Clock() { return now; }
    static void OnExit(int code) { exits.push_back(code); }
    static void OnSleep(int32_t ms)
    {
        sleeps.push_back(ms);
        now += uint32_t(ms);
    }

    std::string folder;
    std::vector<SeenBox> boxes;
    TPlatformApp* app = nullptr;
    TApplication* application = nullptr;
    OsWindow window = nullptr;
    TPlatform* platform = nullptr;

    void SetUp() override
    {
        char name[] = "/tmp/displaytestXXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        SetLogFolder(name);
        setenv("XDG_DATA_HOME", name, 1);
        now = 1000;
        exits.clear();
        sleeps.clear();
        SetTimerSource(Clock);
        OsSetMessageClock(Clock);
        OsResetMessageState();
        SetCommandLineText("");
        GfxSetBackend(GfxBackend::Recording);
        GfxInjectReset();
        GfxRecordingLog().Clear();
        GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
        GfxSetMessageBoxHook([this](OsWindow owner, const std::string& caption, const std::string& text,
                                    GfxBoxIcon icon) { boxes.push_back({owner, caption, text, icon}); });
        TPlatform::SetExitHook(OnExit);
        TPlatform::SetSleepHook(OnSleep);

        app = new TPlatformApp("", 0, true);
        app->mUserFolder = (folder + "/user").c_str();
        app->mCommonFolder = (folder + "/common").c_str();
        app->mDesktopFolder = (folder + "/desktop").c_str();
        for (const char* sub : {"/user", "/common", "/desktop"})
            mkdir((folder + sub).c_str(), 0700);
        SetAssetFolders(app->mUserFolder, app->mCommonFolder, app->mDesktopFolder);
        OsWindowParams params;
        params.headless = true;
        window = OsCreateWindow(params);
        ASSERT_NE(window, nullptr);
        app->mMainWindow = window;
        OsSetForegroundWindow(window);
        MakePlatform();
    }

    void MakePlatform()
    {
        platform = new TPlatform();
        platform->SetWindow(window);
    }

    // The application handle (for the restore task list); it takes the
    // application object and the display layer with it at the end.
    void MakeApplication()
    {
        application = new TApplication(app);
        SetTimerSource(Clock);
        SetAssetFolders(app->mUserFolder, app->mCommonFolder, app->mDesktopFolder);
    }

    void TearDown() override
    {
        if (application) {
            application->Shutdown();
            delete application;
            application = nullptr;
            app = nullptr;
            platform = nullptr;
        }
        delete platform;
        if (app)
            app->mMainWindow = nullptr;
        delete app;
        OsDestroyWindow(window);
        OsResetMessageState();
        OsSetMessageClock(nullptr);
        SetTimerSource(nullptr);
        GfxSetMessageBoxHook(nullptr);
        GfxSetMessageBoxMode(GfxBoxMode::Auto);
        GfxInjectReset();
        GfxSetBackend(GfxBackend::Gl);
        TPlatform::SetExitHook(nullptr);
        TPlatform::SetSleepHook(nullptr);
        SetCommandLineText("");
        ClearRegisteredFiles();
        SetLogFolder(nullptr);
        unsetenv("XDG_DATA_HOME");
        std::system(("rm -rf " + folder).c_str());
    }

    std::string LogText() const
    {
        std::ifstream in(folder + "/logfile.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    int LogCount(const std::string& line) const
    {
        std::string all = LogText();
        int count = 0;
        for (size_t at = all.find(line); at != std::string::npos; at = all.find(line, at + 1))
            ++count;
        return count;
    }

    // The first words of each box text, in order.
    std::vector<std::string> BoxStarts(size_t length = 24) const
    {
        std::vector<std::string> out;
        for (const SeenBox& b : boxes)
            out.push_back(b.text.substr(0, length));
        return out;
    }

    TPlatformData& Data() const { return *platform->GetData(); }
    TDXContext& Context() const { return *platform->GetContext(); }

    void InjectDesktop(int32_t colours, int32_t width, int32_t height)
    {
        GfxDesktop desktop{colours, width, height};
        GfxInjectDesktop(&desktop);
        platform->UpdateDesktopMode();
    }

    bool ModeIs(int32_t width, int32_t height, bool fullScreen) const
    {
        int32_t w = 0, h = 0;
        bool full = !fullScreen;
        platform->GetDisplayMode(w, h, full);
        return w == width && h == height && full == fullScreen;
    }
};
