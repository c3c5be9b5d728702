// Stage benchmark: the studio the build makes ("mesh/set/Set.xml", its
// meshes and textures) drawn from the default shot on the GL device at
// 800x600, alone, with the lens flare, and with the flare and 500 confetti
// pieces falling (stepped every frame), beside an empty frame; then with the
// whole cast on the set, idling by themselves (an event pass every frame),
// the host talking and a subtitle page over the picture, as while the host
// speaks a subtitled line. Median wall time and main-thread CPU time per
// frame.
//
//   bench_stage [FRAMES]      (default 200; run it through tools/bench-stage)
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <memory>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "game/show/MTRandom.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/EventManager.h"
#include "game/show/vo/SubTitle.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/effects/Confetti.h"
#include "game/stage/effects/LensFlare.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/AssetNames.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"

namespace {

constexpr uint16_t kConfetti = 500;

// The set drawn, then (as the stage draws them) the flare and the confetti
// in one 3D pass.
void DrawStudio(bool flare, ConfettiCanon* confetti)
{
    KScene::KSceneSet::Get()->Draw();
    TRenderer* renderer = TRenderer::Get();
    renderer->Begin3d();
    if (flare)
        KScene::LensFlare::Get()->Draw();
    if (confetti) {
        confetti->Tick();
        confetti->Draw(renderer);
    }
    renderer->End3d();
}

// The set, the cast and the flare in the stage's passes, with an event
// pass first (the idles, the host's talk) and the subtitle on top.
void DrawStudioWithCast(KVO::SubTitle& subtitle, std::shared_ptr<KEvent::Event>& talk)
{
    if (!talk || talk->IsFinished())
        talk = Quillory::PlayHostTalk(2);
    KEvent::EventManager::Instance()->Update();
    KScene::KSceneSet::Get()->Draw();
    TRenderer* renderer = TRenderer::Get();
    renderer->Begin3d();
    KScene::LensFlare::Get()->Draw();
    Quillory::KChildManager::Instance()->Draw(renderer);
    renderer->End3d();
    renderer->Begin2d();
    subtitle.DrawTree(kDrawNormal);
    renderer->End2d();
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_stage");
    if (!window)
        return 1;
    int status = 0;
    {
        for (const char* folder : {"mesh", "textures", "backgrounds", "anim", "fonts"})
            ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/") + TString(folder), TString(folder) + TString("/"));
        // The roster, at the top of the assets, read in place.
        std::ifstream rosterFile(QUILLORY_ASSET_DIR "/childAI.xml", std::ios::binary);
        const std::string roster((std::istreambuf_iterator<char>(rosterFile)), std::istreambuf_iterator<char>());
        RegisterMemoryFile("childAI.xml", roster.data(), uint32_t(roster.size()));
        BenchPlatform platform(window, "bench_stage");
        if (!platform.IsReady())
            return 1;
        KScene::KSceneSet* scene = KScene::KSceneSet::Get();
        scene->Load(TString("mesh/set/Set.xml"), false);
        KScene::CameraAnimator::Get()->ResetToDefault();
        std::shared_ptr<ConfettiCanon> confetti = ConfettiCanon::Create(kConfetti);
        confetti->Start();
        std::printf("studio: %u elements, %zu lights\n", scene->GetElementCount(), scene->GetLights().size());

        // The figures mean something only if the studio was drawn: the
        // picture has many colours.
        TRenderer* renderer = TRenderer::Get();
        if (renderer->BeginDraw(false)) {
            DrawStudio(true, nullptr);
            renderer->EndDraw(false);
        }
        std::vector<uint32_t> pixels;
        platform.ReadBack({0, 0, 800, 600}, &pixels);
        std::vector<uint32_t> colours(pixels);
        std::sort(colours.begin(), colours.end());
        const size_t distinct = size_t(std::unique(colours.begin(), colours.end()) - colours.begin());
        if (scene->GetElementCount() == 0 || distinct < 100) {
            std::fprintf(stderr, "bench_stage: the studio is not drawn (%zu colours)\n", distinct);
            status = 1;
        } else {
            const FrameResult empty = MeasureFrames(frames, [](int) {});
            const FrameResult studio = MeasureFrames(frames, [](int) { DrawStudio(false, nullptr); });
            const FrameResult flare = MeasureFrames(frames, [](int) { DrawStudio(true, nullptr); });
            const FrameResult all = MeasureFrames(frames, [&](int) { DrawStudio(true, confetti.get()); });
            ReportFrames("empty frame", empty);
            ReportFrames("studio, default shot", studio);
            ReportFrames("studio and lens flare", flare);
            ReportFrames("studio, flare, 500 confetti", all);

            Quillory::KChildManager* castManager = Quillory::KChildManager::Instance();
            size_t shown = castManager->GetHost() && castManager->GetHost()->GetMeshFrame() ? 1 : 0;
            for (size_t i = 0; i < castManager->GetClassmateCount(); ++i)
                shown += castManager->GetChild(int32_t(i))->GetMeshFrame() != nullptr;
            if (shown < 6) {
                std::fprintf(stderr, "bench_stage: %zu of the six characters load (build the cast target)\n", shown);
                status = 1;
            }
            castManager->ResetPoses();
            Quillory::IdleAnimController::Instance()->Start();
            KVO::SubTitle subtitle(TString("Welcome back to Quillory, where the questions come from school "
                                           "and the answers come from you!"),
                                   24, TColorValue{1, 1, 1, 1});
            std::shared_ptr<KEvent::Event> talk;
            const FrameResult cast = MeasureFrames(frames, [&](int) { DrawStudioWithCast(subtitle, talk); });
            ReportFrames("studio, cast idling, subtitle", cast);
            talk.reset();
        }
        confetti.reset();
        Quillory::IdleAnimController::Destroy();
        KEvent::EventManager::Destroy();
        Quillory::KChildManager::Destroy();
        KScene::LensFlare::Destroy();
        KScene::KSceneSet::Destroy();
        KScene::CameraAnimator::Destroy();
        MTRandom::Destroy();
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
