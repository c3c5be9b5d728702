// Loading benchmark: the game's loading screen (scripts/loading.lua) on the
// window manager and the GL device at 800x600, loading the studio the build
// makes and the cast, then opening the stage window (scripts/stage.lua, as a
// studio tour, so no show runs). Timed from the start of the frame that
// draws the empty bar to the end of the first frame that draws the stage;
// between frames the application task list gets idle passes, as in the
// game's loop. The first load in the process is cold (nothing cached), the
// later ones warm (the cast stays, as for a second show). The question file
// is timed on its own: without an application there is no string table to
// name it.
//
//   bench_loading [ROUNDS]      (default 3 warm loads; run it through tools/bench-loading)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "bench-timing.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/screens/LoadingScreen.h"
#include "game/stage/StageWindow.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "platform/PlatformEvent.h"
#include "platform/TaskList.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

// Stops a load that never reaches the stage.
constexpr double kGiveUpMs = 120000.0;

// The application around the window manager: active, with its task list.
class BenchHost : public TWindowManagerHost {
public:
    TTaskList tasks;
    bool IsActive() const override { return true; }
    bool HasPqSwitch() const override { return false; }
    bool IsHosted() const override { return false; }
    bool IsFlipPending() const override { return false; }
    void RequestQuit(int32_t) override {}
    TTaskList* GetAppTasks() override { return &tasks; }
};

// The caller of the loading screen, as the game's menu calls it.
const char kMenu[] = R"(return function()
    PushModal("loading_window")
    ReadFile("scripts/loading.lua")
    local depth = GetWindowDepth()
    repeat
        WaitForMessage()
    until GetWindowDepth() < depth
end)";

// The stage script's stand-in: the game's stage window, without a show.
const char kStage[] = "ReadFile(\"scripts/stage.lua\")\n";

std::vector<std::string> gFiles;

bool AddScript(const char* asset, const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    gFiles.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RegisterMemoryFile(asset, gFiles.back().data(), uint32_t(gFiles.back().size()));
    return true;
}

struct LoadResult {
    double ms = -1.0;
    int frames = 0;
    uint32_t elements = 0;
};

// One load, from a fresh menu script to the stage's first frame; the
// loading window is popped afterwards.
LoadResult TimeLoad(TWindowManager& manager, TWindowScript& script, BenchHost& host)
{
    LoadResult result;
    if (!script.RunString(TString(kMenu)))
        return result;
    const double start = NowMs();
    while (NowMs() - start < kGiveUpMs) {
        const uint32_t before = manager.GetLastFrameTime();
        manager.Invalidate();
        manager.Frame();
        // The frame pass runs the tasks before the drawing: a stage opened
        // by the loader is drawn in the same frame.
        if (manager.GetLastFrameTime() != before) {
            ++result.frames;
            TModalWindow* top = manager.GetTopModal();
            if (top && top->FindChild(TString("stage"))) {
                result.ms = NowMs() - start;
                break;
            }
        }
        host.tasks.RunAll(kPassIdle);
    }
    result.elements = KScene::KSceneSet::Get()->GetElementCount();
    // Back to the menu: the layers go and the menu script ends.
    manager.DoPopModal(TString("loading_window"));
    TPlatformEvent idle;
    idle.type = kEventIdle;
    for (int i = 0; i < 20 && script.IsWaiting(); ++i) {
        manager.HandleEvent(idle);
        manager.DispatchMessages();
        if (script.IsReady(kPassIdle))
            script.Run();
    }
    if (script.IsWaiting())
        result.ms = -1.0;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    if (rounds < 1)
        rounds = 1;
    // The game's log lines go to BENCH_LOG_DIR/logfile.txt when it is set.
    if (const char* logs = std::getenv("BENCH_LOG_DIR"))
        SetLogFolder(logs);
    OsWindow window = OpenBenchWindow("bench_loading");
    if (!window)
        return 1;
    int status = 0;
    {
        for (const char* folder : {"mesh", "textures", "backgrounds", "anim", "fonts", "ui", "music", "sfx"})
            ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/") + TString(folder), TString(folder) + TString("/"));
        std::ifstream rosterFile(QUILLORY_ASSET_DIR "/childAI.xml", std::ios::binary);
        const std::string roster((std::istreambuf_iterator<char>(rosterFile)), std::istreambuf_iterator<char>());
        RegisterMemoryFile("childAI.xml", roster.data(), uint32_t(roster.size()));
        std::ifstream questionFile(QUILLORY_ASSET_DIR "/questions.xml", std::ios::binary);
        const std::string questions((std::istreambuf_iterator<char>(questionFile)), std::istreambuf_iterator<char>());
        RegisterMemoryFile("questions.xml", questions.data(), uint32_t(questions.size()));
        const std::string scripts = QUILLORY_SOURCE_DIR "/assets/scripts/";
        if (!AddScript("assets/scripts/loading.lua", scripts + "loading.lua") ||
            !AddScript("assets/scripts/stage.lua", scripts + "stage.lua")) {
            std::fprintf(stderr, "bench_loading: the game's scripts are not in %s\n", scripts.c_str());
            return 1;
        }
        RegisterMemoryFile("assets/scripts/demo.lua", kStage, uint32_t(sizeof(kStage) - 1));

        BenchPlatform platform(window, "bench_loading");
        if (!platform.IsReady())
            return 1;
        BenchHost host;
        TWindowManager manager;
        manager.SetHost(&host);
        auto* screen = new TScreen();
        manager.SetRootWindow(screen);
        screen->SetSize(800, 600);
        {
            TWindowScript script;
            manager.Init(&script);
            Quillory::RegisterLoadingScreen(&manager);
            manager.RegisterWindowType(TString("Demo"), &KDemo::GetCreator);
            ShowController::Instance()->SetStudioTour(true);

            const LoadResult cold = TimeLoad(manager, script, host);
            const bool castLoaded = Quillory::KChildManager::Existing() &&
                                    Quillory::KChildManager::Existing()->GetClassmateCount() > 0;
            if (cold.ms < 0 || cold.elements == 0 || !castLoaded) {
                std::fprintf(stderr, "bench_loading: the studio and the cast did not load (%u elements, %d frames, "
                             "cast %s, %s)\n", cold.elements, cold.frames, castLoaded ? "there" : "missing",
                             cold.ms < 0 ? "no stage or the menu did not end" : "stage drawn");
                status = 1;
            } else {
                std::printf("cold load: %.3f s (%d frames, %u elements)\n", cold.ms / 1000.0, cold.frames,
                            cold.elements);
                std::vector<double> warm;
                for (int i = 0; i < rounds; ++i) {
                    const LoadResult again = TimeLoad(manager, script, host);
                    warm.push_back(again.ms);
                    std::printf("warm load: %.3f s (%d frames)\n", again.ms / 1000.0, again.frames);
                }
                std::printf("warm median: %.3f s\n", Median(warm) / 1000.0);
                KQuestion::QuestionDB db(*MTRandom::Instance());
                const double before = NowMs();
                db.Load(TString("questions.xml"));
                std::printf("questions.xml: %.3f s (%d questions)\n", (NowMs() - before) / 1000.0, db.GetCount());
            }
            manager.DoPopModal(TString("loading_window"));
            host.tasks.Clear();
            manager.Init(nullptr);
        }
        KQuestion::QuestionDB::Destroy();
        Quillory::KChildManager::Destroy();
        KScene::KSceneSet::Destroy();
        ShowController::Destroy();
        MTRandom::Destroy();
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
