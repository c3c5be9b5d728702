// The framework entry in this process, under an X server: the start-up
// order, what the game's main function finds, the idle pass and the
// shut-down.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "ProcessSupport.h"
#include "app/Application.h"
#include "app/PlatformApp.h"
#include "app/PlatformMain.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "platform/TaskList.h"
#include "platform/Version.h"
#include "render/Renderer.h"
#include "sound/SoundManager.h"
#include "ui/WindowManager.h"

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

std::string StringsFile(const char* label, const char* text)
{
    return std::string("<?xml version=\"1.0\"?>\n<Workbook><Worksheet><Table>\n"
                       "<Row><Cell><Data>LABEL</Data></Cell><Cell><Data>TEXT</Data></Cell></Row>\n"
                       "<Row><Cell><Data>") +
           label + "</Data></Cell><Cell><Data>" + text + "</Data></Cell></Row>\n</Table></Worksheet></Workbook>\n";
}

// Counts the passes it is run in.
class CountingTask : public TTask {
public:
    explicit CountingTask(int* idlePasses) : mIdlePasses(idlePasses) {}
    bool IsReady(int32_t pass) override
    {
        mPass = pass;
        return true;
    }
    bool Run() override
    {
        if (mPass == kPassIdle)
            ++*mIdlePasses;
        return true;
    }

private:
    int* mIdlePasses;
    int32_t mPass = -1;
};

// What the game's main function saw.
struct Seen {
    int calls = 0;
    std::string commandLine;
    bool sameInstance = false;
    bool haveWindowManager = false;
    bool soundThread = false;
    bool cursorThread = false;
    bool mainWindow = false;
    std::map<std::string, std::string> config;
    std::string title;
    std::string extra;
    std::string mine;
    int idlePasses = 0;
    bool completionOnMainThread = false;
    int eventsBeforeIdle = 0;
    bool rootWindow = false;
};
Seen gSeen;
std::thread::id gMainThread;

void TestGameMain(TApplication* application, const char* commandLine)
{
    Seen& seen = gSeen;
    ++seen.calls;
    seen.commandLine = commandLine ? commandLine : "";
    seen.sameInstance = application == TApplication::Instance();
    seen.haveWindowManager = application->GetWindowManager() != nullptr;
    seen.soundThread = application->GetSoundManager() && application->GetSoundManager()->IsThreadRunning();
    TPlatformApp* app = application->GetPlatformApp();
    seen.cursorThread = app->IsCursorThreadRunning();
    OsWindow mainWindow = app->GetMainWindow();
    seen.mainWindow = mainWindow != nullptr && mainWindow == OsWindowFromValue(OsWindowValue(mainWindow));
    for (const char* key : {"version", "gamename", "buildtag", "startupdir", "flavour", "dup", "colour"})
        seen.config[key] = GetConfig(key).c_str();

    TString text;
    application->GetStringTable()->GetString(text, "windowtitle");
    seen.title = text.c_str();
    application->GetStringTable()->GetString(text, "EXTRA");
    seen.extra = text.c_str();
    application->GetStringTable()->GetString(text, "MINE");
    seen.mine = text.c_str();

    // The display makes the pump report events; the idle pass runs the
    // application tasks and the sound completions.
    application->CreateDisplay(800, 600, false);
    seen.rootWindow = application->GetWindowManager()->GetRootWindow() != nullptr;
    application->AddTask(new CountingTask(&seen.idlePasses));
    application->GetSoundManager()->QueueCompletion(
        [] { gSeen.completionOnMainThread = std::this_thread::get_id() == gMainThread; });

    TPlatformEvent event;
    for (int i = 0; i < 10000; ++i) {
        application->GetEvent(event);
        if (event.type == kEventIdle)
            break;
        ++seen.eventsBeforeIdle;
    }
}

TEST(PlatformMain, StartUpRunsTheGameOnceAndShutsDown)
{
    gMainThread = std::this_thread::get_id();
    TempFolder data, runtime, start, work;
    ASSERT_FALSE(work.Path().empty());
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);

    WriteFile(work.Path() + "/assets/settings.xml",
              "<?xml version=\"1.0\"?>\n<settings>\n<version>1.2.3.4</version>\n<flavour>plain</flavour>\n"
              "<dup>first</dup><dup>second</dup>\n<colour>red</colour>\n</settings>\n");
    WriteFile(work.Path() + "/assets/strings.xml", StringsFile("windowtitle", "Quiz Night"));
    std::string user = data.Path() + "/Dunmere/Quillory";
    WriteFile(user + "/stringsextra.xml", StringsFile("EXTRA", "from the user folder"));
    WriteFile(user + "/mystrings.xml", StringsFile("MINE", "never loaded"));

    ASSERT_EQ(chdir(start.Path().c_str()), 0);
    std::string line = "-wd=" + work.Path() + " options=flavour=salty&gamename=Other --multiple";
    int code = PlatformMain(line.c_str(), 1, &TestGameMain, false);

    EXPECT_EQ(code, 0);
    EXPECT_EQ(gSeen.calls, 1);
    EXPECT_EQ(gSeen.commandLine, line);
    EXPECT_TRUE(gSeen.sameInstance);
    EXPECT_TRUE(gSeen.haveWindowManager);
    EXPECT_TRUE(gSeen.soundThread);
    EXPECT_TRUE(gSeen.cursorThread);
    EXPECT_TRUE(gSeen.mainWindow);

    // settings.xml < version block < start-up folder < "options=".
    const std::string version = std::to_string(QUILLORY_VERSION_MAJOR) + "." + std::to_string(QUILLORY_VERSION_MINOR) +
                                "." + std::to_string(QUILLORY_VERSION_PATCH) + "." +
                                std::to_string(QUILLORY_VERSION_BUILD);
    EXPECT_EQ(gSeen.config["version"], version) << "the version block overrides settings.xml";
    EXPECT_EQ(gSeen.config["buildtag"], QUILLORY_BUILD_TAG);
    EXPECT_EQ(gSeen.config["gamename"], "Other") << "options= overrides everything";
    EXPECT_EQ(gSeen.config["flavour"], "salty");
    EXPECT_EQ(gSeen.config["dup"], "second");
    EXPECT_EQ(gSeen.config["colour"], "red");
    EXPECT_EQ(gSeen.config["startupdir"], start.Path());

    EXPECT_EQ(gSeen.title, "Quiz Night");
    EXPECT_EQ(gSeen.extra, "from the user folder");
    EXPECT_EQ(gSeen.mine, "#####") << "only names beginning with \"string\" are loaded";

    EXPECT_TRUE(gSeen.rootWindow);
    EXPECT_GE(gSeen.idlePasses, 1) << gSeen.eventsBeforeIdle << " events before the first idle one";
    EXPECT_TRUE(gSeen.completionOnMainThread);

    // Everything is gone afterwards.
    EXPECT_EQ(TApplication::Instance(), nullptr);
    EXPECT_EQ(GetPlatformApp(), nullptr);
    EXPECT_TRUE(GetConfig("version").IsEmpty());
    EXPECT_TRUE(gSettingsMap.empty());
    EXPECT_EQ(GetWindowManager(), nullptr);

    std::ifstream log(user + "/logfile.txt");
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(std::string(QUILLORY_PRODUCT_NAME) + ", version " + version + "."), std::string::npos)
        << text;
    EXPECT_NE(text.find("Switching current directory to: " + work.Path()), std::string::npos) << text;
}

} // namespace

namespace {

int gGameCalls = 0;
void CountingGameMain(TApplication*, const char*)
{
    ++gGameCalls;
}

// Start-up ends before anything is made: there are no foreign windows to
// run inside, so every "-wnd=" value is no window.
TEST(PlatformMain, ForeignParentWindowEndsStartUpWithMinusOne)
{
    for (const char* line : {"-wnd=0", "-wnd=1A2B", "x -wnd=7fffffff", "-wnd=zz --multiple"}) {
        gGameCalls = 0;
        EXPECT_EQ(PlatformMain(line, 1, &CountingGameMain, false), -1) << line;
        EXPECT_EQ(gGameCalls, 0) << line;
        EXPECT_EQ(GetPlatformApp(), nullptr) << line;
        EXPECT_EQ(TApplication::Instance(), nullptr) << line;
        EXPECT_EQ(GetWindowManager(), nullptr) << line;
    }
}

} // namespace
