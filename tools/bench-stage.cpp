// Stage benchmark: the studio the build makes ("mesh/set/Set.xml", its
// meshes and textures) drawn from the default shot on the GL device at
// 800x600, alone, with the lens flare, and with the flare and 500 confetti
// pieces falling (stepped every frame), beside an empty frame. Median wall
// time and main-thread CPU time per frame.
//
//   bench_stage [FRAMES]      (default 200; run it through tools/bench-stage)
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "game/show/MTRandom.h"
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

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_stage");
    if (!window)
        return 1;
    int status = 0;
    {
        for (const char* folder : {"mesh", "textures", "backgrounds", "anim"})
            ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/") + TString(folder), TString(folder) + TString("/"));
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
        }
        confetti.reset();
        KScene::LensFlare::Destroy();
        KScene::KSceneSet::Destroy();
        KScene::CameraAnimator::Destroy();
        MTRandom::Destroy();
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
