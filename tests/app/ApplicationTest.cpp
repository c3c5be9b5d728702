// The application object and handle without a window: folders, version
// texts, the application time, tasks, addresses and the tear-down.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/AppText.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/PlatformApp.h"
#include "os/system/Process.h"
#include "os/system/Time.h"
#include "os/window/MessageQueue.h"
#include "os/window/Window.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "render/TextServices.h"
#include "platform/CommandLine.h"
#include "platform/Settings.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/DisplayHost.h"
#include "sound/SoundManager.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

OsWindow MakeHeadlessWindow(OsWndProc proc = nullptr)
{
    OsWindowParams params;
    params.headless = true;
    params.proc = proc;
    return OsCreateWindow(params);
}

std::string MakeTempFolder()
{
    char pattern[] = "/tmp/quillory-app-XXXXXX";
    char* made = mkdtemp(pattern);
    return made ? made : "";
}

std::string CurrentFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A clock the test moves by hand.
uint32_t gClockMs = 0;
uint32_t FakeClock()
{
    return gClockMs;
}

// Keeps the current folder, the data folder, the command line and the
// clocks as they were before the test.
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder = CurrentFolder();
        mTemp = MakeTempFolder();
        ASSERT_FALSE(mTemp.empty());
        setenv("XDG_DATA_HOME", mTemp.c_str(), 1);
        SetCommandLineText(TString());
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir(mFolder.c_str()), 0);
        std::string command = "rm -rf '" + mTemp + "'";
        ASSERT_EQ(system(command.c_str()), 0);
        SetCommandLineText(TString());
        SetTimerSource(nullptr);
        SetApplicationClock(nullptr);
        OsResetMessageState();
    }

    std::string mFolder;
    std::string mTemp;
};

// Sets a flag when deleted.
class FlagTask : public TTask {
public:
    explicit FlagTask(bool* deleted) : mDeleted(deleted) {}
    ~FlagTask() override { *mDeleted = true; }
    bool Run() override { return true; }

private:
    bool* mDeleted;
};

TEST(VersionBlock, Texts)
{
    struct Case {
        const TVersionBlock* block;
        const char* gameName;
        const char* version;
        const char* buildTag;
    };
    const TVersionBlock full = {"Quiz Night", "qn-7", {1, 2, 3, 4}};
    const TVersionBlock padded = {" \t Quiz Night", "", {10, 0, 65535, 0}};
    const TVersionBlock unnamed = {"   ", "tag", {0, 0, 0, 1}};
    const TVersionBlock nulls = {nullptr, nullptr, {0, 0, 0, 0}};
    const Case cases[] = {
        {&full, "Quiz Night", "1.2.3.4", "qn-7"},
        {&padded, "Quiz Night", "10.0.65535.0", ""},
        {&unnamed, "Kavrel Application", "0.0.0.1", "tag"},
        {&nulls, "Kavrel Application", "0.0.0.0", ""},
        {nullptr, "Kavrel Application", "", ""},
    };
    for (const Case& c : cases) {
        TString name = "old", version = "old", tag = "old";
        ReadVersionBlock(c.block, name, version, tag);
        EXPECT_STREQ(name.c_str(), c.gameName);
        EXPECT_STREQ(version.c_str(), c.version);
        EXPECT_STREQ(tag.c_str(), c.buildTag);
    }
}

TEST_F(ApplicationTest, ObjectFindsItsFoldersAndFreesItsManagers)
{
    ASSERT_EQ(chdir(mTemp.c_str()), 0);
    std::string startup = CurrentFolder();
    std::string executable = OsExecutablePath();
    std::string module = executable.substr(0, executable.rfind('/') + 1);

    TPlatformApp* app = CreateApplication("-pq=1 --multiple", 1, true);
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(app->IsRefused());
    EXPECT_EQ(GetPlatformApp(), app);
    const TAppFolders& folders = app->GetFolders();
    EXPECT_STREQ(folders.executable.c_str(), executable.c_str());
    EXPECT_STREQ(folders.module.c_str(), module.c_str());
    EXPECT_STREQ(folders.startup.c_str(), startup.c_str());
    EXPECT_EQ(CurrentFolder() + "/", module) << "the module folder is the current folder";
    EXPECT_STREQ(folders.user.c_str(), module.c_str()) << "until the folders are looked up";
    EXPECT_TRUE(HasPqSwitch());
    EXPECT_TRUE(app->GetWindowEvents().active);
    EXPECT_TRUE(app->GetWindowEvents().appActive);
    EXPECT_TRUE(app->IsCursorShown());
    EXPECT_FALSE(app->IsCursorThreadRunning()) << "the cursor thread starts at the end of start-up";
    EXPECT_NE(app->GetWindowManager(), nullptr);
    EXPECT_EQ(GetWindowManager(), app->GetWindowManager());
    EXPECT_EQ(GetAssetManager(), app->GetAssetManager());
    EXPECT_NE(app->GetStringTable(), nullptr);
    EXPECT_NE(app->GetTaskList(), nullptr);
    EXPECT_EQ(GetFontCache(), app->GetText().GetFontCache());
    EXPECT_NE(GetFontCache(), nullptr);

    float scale = 0.0f;
    EXPECT_FALSE(GetDisplayHost().GetScaleFactor(scale));
    EXPECT_EQ(scale, 1.0f);
    EXPECT_EQ(GetDisplayHost().GetMainWindow(), nullptr) << "the object is the display's host";
    // Minimised: the display host (and through it the cursor thread) sees it.
    app->AdoptMainWindow(MakeHeadlessWindow(MainWndProc));
    ASSERT_NE(app->GetMainWindow(), nullptr);
    OsSendMessage(app->GetMainWindow(), OsMsg::Size, OsSize::Minimized, 0);
    EXPECT_FALSE(GetDisplayHost().IsActive());

    delete app;
    EXPECT_EQ(GetPlatformApp(), nullptr);
    EXPECT_EQ(GetWindowManager(), nullptr);
    EXPECT_EQ(GetAssetManager(), nullptr);
    EXPECT_EQ(GetFontCache(), nullptr);
    EXPECT_TRUE(GetDisplayHost().IsActive()) << "the default host again";
    EXPECT_FALSE(GetDisplayHost().GetScaleFactor(scale));
}

TEST_F(ApplicationTest, HandleLoadsSettingsAndTearsEverythingDown)
{
    std::string user = mTemp + "/user";
    ASSERT_EQ(mkdir(user.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((mTemp + "/assets").c_str(), 0755), 0);
    std::ofstream(mTemp + "/assets/settings.xml")
        << "<settings><gamename>fake</gamename><firstpeek>1</firstpeek><a>1</a><a>2</a></settings>";
    std::ofstream(user + "/notes.txt") << "x";

    gClockMs = 1000;
    SetApplicationClock(&FakeClock);
    TPlatformApp* app = CreateApplication("", 1, true);
    ASSERT_NE(app, nullptr);
    app->SetDataFolders(user.c_str(), user.c_str(), user.c_str());
    ASSERT_EQ(chdir(mTemp.c_str()), 0); // as "-wd=" does
    auto* handle = new TApplication(app);
    EXPECT_EQ(TApplication::Instance(), handle);
    EXPECT_STREQ(GetConfig("a").c_str(), "2");
    const TVersionTexts& texts = app->GetVersionTexts();
    EXPECT_STREQ(GetConfig("gamename").c_str(), texts.gameName.c_str()) << "the version block wins";
    EXPECT_STREQ(GetConfig("version").c_str(), texts.version.c_str());
    EXPECT_STREQ(GetConfig("buildtag").c_str(), texts.buildTag.c_str());
    EXPECT_STREQ(GetUserFolder().c_str(), user.c_str());
    TString registered;
    EXPECT_TRUE(FindRegisteredFile("user:", registered, false));

    // Application time runs from the application object's start time.
    gClockMs += 5000;
    uint32_t now = GetTimer();
    EXPECT_GE(now, 5000u);
    EXPECT_LT(now, 5100u);

    // Sound: made once, on demand.
    EXPECT_EQ(handle->GetSoundManager(), nullptr);
    handle->InitSound();
    TSoundManager* sound = handle->GetSoundManager();
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->IsThreadRunning());
    handle->InitSound();
    EXPECT_EQ(handle->GetSoundManager(), sound);

    // The window script is the first task, handed to the window manager.
    auto* script = dynamic_cast<TWindowScript*>(GetWindowManager()->GetScript());
    ASSERT_NE(script, nullptr);
    EXPECT_TRUE(handle->GetTaskList()->Contains(script));
    EXPECT_EQ(handle->GetTaskList()->GetCount(), 1u);

    bool taskDeleted = false, removedDeleted = false, restoreDeleted = false;
    handle->AddTask(new FlagTask(&taskDeleted));
    auto* removed = new FlagTask(&removedDeleted);
    handle->AddTask(removed);
    EXPECT_EQ(handle->GetTaskList()->GetCount(), 3u);
    EXPECT_TRUE(handle->RemoveTask(removed));
    EXPECT_FALSE(handle->RemoveTask(removed));
    handle->AddRestoreTask(new FlagTask(&restoreDeleted));
    EXPECT_EQ(handle->GetRestoreTasks()->GetCount(), 1u);

    TGuid a{}, b{};
    TApplication::NewGuid(a);
    TApplication::NewGuid(b);
    EXPECT_NE(std::memcmp(&a, &b, sizeof a), 0);

    handle->Shutdown();
    EXPECT_EQ(TApplication::Instance(), nullptr);
    EXPECT_EQ(GetPlatformApp(), nullptr);
    EXPECT_EQ(GetWindowManager(), nullptr);
    EXPECT_EQ(GetAssetManager(), nullptr);
    EXPECT_TRUE(gSettingsMap.empty());
    registered = TString();
    EXPECT_FALSE(FindRegisteredFile("user:", registered, false)) << "the registered files are forgotten";
    EXPECT_TRUE(taskDeleted);
    EXPECT_TRUE(restoreDeleted);
    EXPECT_FALSE(removedDeleted);
    delete removed;
    // The real clock again, counting from program start.
    EXPECT_LT(int32_t(GetTimer() - (OsTimeMs() - 5000)), 5000);
    delete handle;
}

// Writes its argument count and first argument to a file.
std::string MakeRecorder(const std::string& folder)
{
    std::string path = folder + "/recorder";
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$1\" > \"$0.out.tmp\"\nmv \"$0.out.tmp\" \"$0.out\"\n";
    chmod(path.c_str(), 0755);
    return path;
}

std::string WaitForOutput(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        std::string text = ReadFile(path);
        if (!text.empty())
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::string();
}

TEST_F(ApplicationTest, AddressesReachTheOpenerAsOneArgumentWithoutAShell)
{
    std::string recorder = MakeRecorder(mTemp);
    const std::string url = "http://example.invalid/a b?x=1&y=$(touch " + mTemp + "/injected);'q'`id`";

    struct Case {
        bool hosted;
        std::string commandLine;
    };
    const Case cases[] = {
        {false, ""},                                  // the desktop's opener
        {true, "-pq=1 -host=" + recorder + " --multiple"}, // the host's program
    };
    for (const Case& c : cases) {
        setenv("QUILLORY_URL_OPENER", c.hosted ? "/nonexistent-opener" : recorder.c_str(), 1);
        unlink((recorder + ".out").c_str());
        TPlatformApp* app = CreateApplication(c.commandLine.c_str(), 1, true);
        ASSERT_NE(app, nullptr);
        OsWindow parent = c.hosted ? MakeHeadlessWindow() : nullptr;
        app->SetHosting(parent, false);
        EXPECT_TRUE(app->OpenURL(url.c_str())) << c.commandLine;
        EXPECT_EQ(WaitForOutput(recorder + ".out"), "1\n" + url) << c.commandLine;
        EXPECT_NE(access((mTemp + "/injected").c_str(), F_OK), 0) << "a shell ran the address";
        // An address that would read as an option is refused.
        EXPECT_FALSE(app->OpenURL("--help"));
        delete app;
        if (parent)
            OsDestroyWindow(parent);
    }
    unsetenv("QUILLORY_URL_OPENER");
}

} // namespace
