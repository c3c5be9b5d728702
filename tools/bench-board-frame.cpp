// Board frame benchmark: a whole frame of the studio while a question is
// answered, on the GL device at 800x600 with the assets the build makes:
// the set, the lens flare and the cast idling (an event pass every frame)
// under the multiple-choice answer window built from its scripts, with the
// money ladder for ten right answers held over it, all drawn through the
// window tree as the stage and its children are. Beside it the studio and
// cast alone and an empty frame. Median wall time and main-thread CPU time
// per frame.
//
//   bench_board_frame [FRAMES]   (default 200; run it through tools/bench-board)
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/answer/QWMult.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/show/question/Question.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/anim/MultiAnim.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/effects/LensFlare.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/AssetNames.h"
#include "platform/Timer.h"
#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/Renderer.h"
#include "render/TextServices.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

uint32_t gNow = 10000;
uint32_t Now()
{
    return gNow;
}

// The stage's own drawing: the set, the flare and the cast.
class StudioWindow : public TWindow {
public:
    StudioWindow()
    {
        MoveTo(0, 0);
        SetSize(800, 600);
    }
    void Draw() override
    {
        KScene::KSceneSet::Get()->Draw();
        TRenderer* renderer = TRenderer::Get();
        renderer->Begin3d();
        KScene::LensFlare::Get()->Draw();
        Quillory::KChildManager::Instance()->Draw(renderer);
        renderer->End3d();
    }
};

// One frame's worth of show: the clock moves on, an event pass runs.
void Step()
{
    gNow += 20;
    KEvent::EventManager::Instance()->Update();
}

size_t DistinctColours(BenchPlatform& platform)
{
    std::vector<uint32_t> pixels;
    platform.ReadBack({0, 0, 800, 600}, &pixels);
    std::sort(pixels.begin(), pixels.end());
    return size_t(std::unique(pixels.begin(), pixels.end()) - pixels.begin());
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_board_frame");
    if (!window)
        return 1;
    int status = 0;
    {
        for (const char* folder : {"mesh", "textures", "backgrounds", "anim", "fonts", "ui", "scripts"})
            ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/") + TString(folder), TString(folder) + TString("/"));
        std::ifstream rosterFile(QUILLORY_ASSET_DIR "/childAI.xml", std::ios::binary);
        const std::string roster((std::istreambuf_iterator<char>(rosterFile)), std::istreambuf_iterator<char>());
        RegisterMemoryFile("childAI.xml", roster.data(), uint32_t(roster.size()));
        TFontCache fonts(kBuiltinFontData, sizeof kBuiltinFontData);
        TDnMiniVecDraw rasteriser;
        SetTextServices(&fonts, &rasteriser);
        SetTimerSource(Now);
        BenchPlatform platform(window, "bench_board_frame");
        if (!platform.IsReady())
            return 1;
        rasteriser.Calibrate();
        KScene::KSceneSet::Get()->Load(TString("mesh/set/Set.xml"), false);
        KScene::CameraAnimator::Get()->ResetToDefault();
        Quillory::KChildManager::Instance()->ResetPoses();
        Quillory::IdleAnimController::Instance()->Start();

        auto manager = std::make_unique<TWindowManager>();
        TWindowScript script(nullptr);
        manager->Init(&script);
        auto* screen = new TScreen();
        manager->SetRootWindow(screen);
        auto* studio = new StudioWindow();
        screen->AddChild(studio, true);

        // A board question with every help left (no chalk over it).
        GameRecord& record = ShowController::Instance()->GetRecord();
        record.peekCount = record.copyCount = record.saveCount = 1;
        record.correctCount = 10;
        KQuestion::QMult question;
        question.question = "Who crossed the Alps with elephants?";
        question.correct = "Hannibal";
        question.answers = {TString("Hannibal"), TString("Caesar"), TString("Nero"), TString("Attila")};
        question.answerCount = 4;
        auto* answer = new KQuestion::QWMult(question);
        screen->AddChild(answer, true);

        // The money ladder over the stage, played until every step is lit and
        // then held by an event that does not end.
        KAnim::SetMoneyDisplayParent(screen);
        std::shared_ptr<KEvent::Event> hold = KEvent::MakeDummy();
        hold->AddPrerequisite(KEvent::MakeWaitTime(0xFFFFFFF0u));
        std::shared_ptr<KEvent::Event> out;
        KAnim::MakeMoneyAnim(out, record.correctCount, nullptr, hold);
        std::shared_ptr<KAnim::MultiAnim> ladder = KAnim::GetMoneyDisplay();
        TRenderer* renderer = TRenderer::Get();
        for (int i = 0; i < 2000 && ladder->GetTrackCount() > 3; ++i) {
            Step();
            if (renderer->BeginDraw(false)) {
                screen->DrawTree(kDrawNormal);
                renderer->EndDraw(false);
            }
        }
        const bool lit = ladder->GetTrackCount() <= 3;

        const size_t shownCast = Quillory::KChildManager::Instance()->GetClassmateCount();
        if (renderer->BeginDraw(false)) {
            screen->DrawTree(kDrawNormal);
            renderer->EndDraw(false);
        }
        const size_t colours = DistinctColours(platform);
        std::printf("studio: %u elements, %zu classmates, ladder %s, %zu colours\n",
                    KScene::KSceneSet::Get()->GetElementCount(), shownCast, lit ? "lit" : "not lit", colours);
        if (KScene::KSceneSet::Get()->GetElementCount() == 0 || colours < 100 || !lit) {
            std::fprintf(stderr, "bench_board_frame: the studio, the answer window or the ladder is not drawn\n");
            status = 1;
        } else {
            const FrameResult empty = MeasureFrames(frames, [](int) {});
            for (TWindow* child : screen->GetChildren())
                if (child != studio)
                    child->SetFlags(0);
            const FrameResult alone = MeasureFrames(frames, [&](int) {
                Step();
                screen->DrawTree(kDrawNormal);
            });
            for (TWindow* child : screen->GetChildren())
                child->SetFlags(kWindowShown);
            const FrameResult full = MeasureFrames(frames, [&](int) {
                Step();
                screen->DrawTree(kDrawNormal);
            });
            ReportFrames("empty frame", empty);
            ReportFrames("studio and cast", alone);
            ReportFrames("studio, answer window, ladder", full);
        }
        hold.reset();
        out.reset();
        ladder.reset();
        KEvent::EventManager::Instance()->SkipAll();
        manager.reset();
        KAnim::SetMoneyDisplayParent(nullptr);
        KAnim::ReleaseMoneyDisplay();
        ShowController::Destroy();
        Quillory::IdleAnimController::Destroy();
        KEvent::EventManager::Destroy();
        Quillory::KChildManager::Destroy();
        KScene::LensFlare::Destroy();
        KScene::KSceneSet::Destroy();
        KScene::CameraAnimator::Destroy();
        MTRandom::Destroy();
        SetTextServices(nullptr, nullptr);
        SetTimerSource(nullptr);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
