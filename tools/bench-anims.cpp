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
#include "game/show/event/EventManager.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/SimpleAnim.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "render/AnimatedTexture.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/TextureData.h"
#include "support/AnmWriter.h"
#include "support/TestDisplayHost.h"

namespace {

constexpr int kAnims = 200;
constexpr int kColumns = 8; // frames per sheet row and column
constexpr int kFrameSize = 32;
constexpr int kSheetSize = kColumns * kFrameSize;

// The sheet's pixels, made in place of a decoded image: a pattern per frame
// with half-transparent corners.
bool MakeSheet(TTextureData& data, const TString&, const TString&)
{
    if (!data.CreateSurface(kSheetSize, kSheetSize))
        return false;
    data.mWidth = data.mHeight = kSheetSize;
    std::vector<uint32_t> pixels(size_t(kSheetSize) * kSheetSize);
    for (int y = 0; y < kSheetSize; ++y)
        for (int x = 0; x < kSheetSize; ++x) {
            const int frame = (y / kFrameSize) * kColumns + x / kFrameSize;
            const bool corner = (x % kFrameSize < 4) && (y % kFrameSize < 4);
            pixels[size_t(y) * kSheetSize + x] = (corner ? 0x80000000u : 0xFF000000u) | uint32_t(frame * 4) << 16 |
                                                 uint32_t((x * 3) & 0xFF) << 8 | uint32_t((y * 11) & 0xFF);
        }
    return data.CopyPixels(kSheetSize, kSheetSize, pixels.data());
}

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

        const std::string description = anm::Write(anm::Grid(kColumns, kColumns, kFrameSize));
        RegisterMemoryFile("bench/run.anm", description.data(), uint32_t(description.size()));
        SetTextureLoader(MakeSheet);
        TAnimatedTextureRef sheet = TAnimatedTexture::Get("bench/run");
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
                anims.push_back(KAnim::SimpleAnim::Create("bench/run", PlaceOf(i), -1, list.c_str(), true));
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
        SetTextureLoader(nullptr);
        sheet.reset();
        KEvent::EventManager::Destroy();
        RegisterMemoryFile("bench/run.anm", nullptr, 0);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
