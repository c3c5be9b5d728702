// 2D animation benchmark: frames of 200 frame animations playing at once on
// the GL device at 800x600, registered with the animation manager and
// driven as the game drives them (an event pass and the manager's update
// before the frame, its draw pass inside a 2D pass). Each plays its own
// frame list over one 256 x 256 sheet of 64 frames of 32 x 32, read from an
// .anm description, without end at 30 frames a second. For context the
// same 200 frames are also drawn as direct animated-texture draws, and an
// empty frame is measured. Median wall time and main-thread CPU time per
// frame.
//
//   bench_anims [FRAMES]      (default 200; run it through tools/bench-anims)
#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "bench-sheet.h"
#include "game/show/event/EventManager.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/SimpleAnim.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"

namespace {

constexpr int kAnims = 200;

TDrawParams PlaceOf(int i)
{
    return TDrawParams(TVec2(float(16 + (i * 37) % 768), float(16 + (i * 53) % 568)), 1.0f, 1.0f, 0);
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_anims");
    if (!window)
        return 1;
    int status = 0;
    {
        BenchPlatform platform(window, "bench_anims");
        if (!platform.IsReady())
            return 1;
        TRenderer* renderer = TRenderer::Get();

        BenchSheet bench;
        const TAnimatedTextureRef& sheet = bench.Get();
        if (!sheet) {
            std::fprintf(stderr, "bench_anims: the sheet does not load\n");
            status = 1;
        } else {
            const int32_t count = sheet->GetFrameCount();
            // Each animation starts its list at another frame and holds the
            // last one a while.
            std::vector<std::shared_ptr<KAnim::SimpleAnim>> anims;
            for (int i = 0; i < kAnims; ++i) {
                const int first = i % count;
                const std::string list = std::to_string(first) + "-" + std::to_string(count - 1) + ",0-" +
                                         std::to_string(first) + "," + std::to_string(first) + "[4]";
                anims.push_back(KAnim::SimpleAnim::Create(BenchSheet::kName, PlaceOf(i), -1, list.c_str(), true));
            }
            KEvent::EventManager* events = KEvent::EventManager::Instance();
            KAnim::AnimManager* manager = KAnim::AnimManager::Get();
            events->Update(); // the animations' events start them

            const FrameResult empty = MeasureFrames(frames, [](int) {});
            const FrameResult managed = MeasureFrames(frames, [&](int) {
                // The event trigger's work (an event pass, the manager's
                // update pass) comes before the frame in the game; here it
                // is timed with it.
                events->Update();
                manager->UpdateAll();
                renderer->Begin2d();
                manager->Update();
                renderer->End2d();
            });
            const FrameResult direct = MeasureFrames(frames, [&](int frame) {
                renderer->Begin2d();
                for (int i = 0; i < kAnims; ++i) {
                    sheet->SetFrame((i + frame) % count);
                    sheet->Draw(PlaceOf(i));
                }
                renderer->End2d();
            });
            size_t running = 0;
            for (const auto& anim : anims)
                running += anim->IsRunning();
            ReportFrames("empty frame", empty);
            ReportFrames("200 animations, manager passes", managed);
            ReportFrames("200 animated-texture draws", direct);
            if (running != size_t(kAnims)) {
                std::fprintf(stderr, "bench_anims: only %zu animations still run\n", running);
                status = 1;
            }
            KAnim::AnimManager::Destroy();
            anims.clear();
        }
        KEvent::EventManager::Destroy();
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
