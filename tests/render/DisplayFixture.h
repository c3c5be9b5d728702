#pragma once
// Fixture for the display layer without a display: the recording graphics
// backend, a headless main window, a test display host in place of the
// application, an asset manager, injected time and sleeps, message boxes
// caught instead of shown, and the user and common folders in a temporary
// folder.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "os/gfx/GfxDevice.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/gfx/recording/GfxRecording.h"
#include "os/window/MessageQueue.h"
#include "os/window/Window.h"
#include "platform/Asset.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/CommandLine.h"
#include "platform/Log.h"
#include "platform/Task.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/DXContext.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "support/TempFolder.h"
#include "support/TestDisplayHost.h"

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
    static inline std::vector<int32_t> sleeps;
    static uint32_t Clock() { return now; }
    static void OnSleep(int32_t ms)
    {
        sleeps.push_back(ms);
        now += uint32_t(ms);
    }

    std::unique_ptr<TTempLogFolder> mLog;
    std::string folder;
    std::vector<SeenBox> boxes;
    std::unique_ptr<TTestDisplayHost> host;
    std::unique_ptr<TAssetManager> assets;
    std::string userFolder, commonFolder, desktopFolder;
    OsWindow window = nullptr;
    TPlatform* platform = nullptr;

    void SetUp() override
    {
        mLog = std::make_unique<TTempLogFolder>("displaytest");
        folder = mLog->Path();
        ASSERT_FALSE(folder.empty());
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
        now = 1000;
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
        TPlatform::SetSleepHook(OnSleep);

        host = std::make_unique<TTestDisplayHost>();
        assets = std::make_unique<TAssetManager>();
        SetAssetManager(assets.get());
        userFolder = folder + "/user";
        commonFolder = folder + "/common";
        desktopFolder = folder + "/desktop";
        for (const std::string& sub : {userFolder, commonFolder, desktopFolder})
            mkdir(sub.c_str(), 0700);
        SetAssetFolders(userFolder.c_str(), commonFolder.c_str(), desktopFolder.c_str());
        OsWindowParams params;
        params.headless = true;
        window = OsCreateWindow(params);
        ASSERT_NE(window, nullptr);
        host->mainWindow = window;
        OsSetForegroundWindow(window);
        MakePlatform();
    }

    void MakePlatform()
    {
        platform = new TPlatform();
        platform->SetWindow(window);
    }

    void TearDown() override
    {
        delete platform;
        platform = nullptr;
        host.reset();
        SetAssetManager(nullptr);
        assets.reset();
        OsDestroyWindow(window);
        OsResetMessageState();
        OsSetMessageClock(nullptr);
        SetTimerSource(nullptr);
        GfxSetMessageBoxHook(nullptr);
        GfxSetMessageBoxMode(GfxBoxMode::Auto);
        GfxInjectReset();
        GfxSetBackend(GfxBackend::Gl);
        TPlatform::SetSleepHook(nullptr);
        SetCommandLineText("");
        ClearRegisteredFiles();
        unsetenv("XDG_DATA_HOME");
        mLog.reset();
    }

    int LogCount(const std::string& line) const { return mLog->Count(line); }

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
