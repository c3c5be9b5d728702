// Sprite benchmark: frames of 1,000 animated sprites on the GL device at
// 800x600, all showing 32 x 32 frames of one 256 x 256 sheet (64 frames,
// read from an .anm description), each sprite on its own frame, which moves
// on every frame drawn. For context the same 1,000 quads are also drawn as
// plain texture draws of the frames' source rectangles, and an empty frame
// is measured. Median wall time and main-thread CPU time per frame.
//
//   bench_sprites [FRAMES]      (default 200; run it through tools/bench-sprites)
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "bench-sheet.h"
#include "render/AnimatedSprite.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"

namespace {

constexpr int kSprites = 1000;

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_sprites");
    if (!window)
        return 1;
    int status = 0;
    {
        BenchPlatform platform(window, "bench_sprites");
        if (!platform.IsReady())
            return 1;
        TRenderer* renderer = TRenderer::Get();

        BenchSheet bench;
        const TAnimatedTextureRef& sheet = bench.Get();
        if (!sheet) {
            std::fprintf(stderr, "bench_sprites: the sheet does not load\n");
            status = 1;
        } else {
            const int32_t count = sheet->GetFrameCount();
            std::vector<TAnimatedSpriteRef> sprites;
            std::vector<TDrawParams> places;
            for (int i = 0; i < kSprites; ++i) {
                TAnimatedSpriteRef sprite = TAnimatedSprite::Create(0);
                sprite->SetTexture(sheet);
                sprite->mPlacement.transform(2, 0) = float(16 + (i * 37) % 768);
                sprite->mPlacement.transform(2, 1) = float(16 + (i * 53) % 568);
                sprites.push_back(sprite);
                places.push_back(sprite->mPlacement);
            }
            const TDrawParams screen(TVec2(0, 0), 1, 1, 0);

            const FrameResult empty = MeasureFrames(frames, [](int) {});
            const FrameResult animated = MeasureFrames(frames, [&](int frame) {
                renderer->Begin2d();
                for (int i = 0; i < kSprites; ++i) {
                    sprites[size_t(i)]->SetFrame((i + frame) % count);
                    sprites[size_t(i)]->Draw(screen, 0);
                }
                renderer->End2d();
            });
            // The same quads as texture draws of source rectangles.
            const FrameResult plain = MeasureFrames(frames, [&](int frame) {
                renderer->Begin2d();
                for (int i = 0; i < kSprites; ++i) {
                    const TRect r = sheet->GetFrameRect((i + frame) % count);
                    TDrawParams p = places[size_t(i)];
                    p.flags = kDrawSourceRect;
                    p.sourceRect[0] = r.left;
                    p.sourceRect[1] = r.top;
                    p.sourceRect[2] = r.right;
                    p.sourceRect[3] = r.bottom;
                    sheet->TTexture::Draw(p);
                }
                renderer->End2d();
            });
            ReportFrames("empty frame", empty);
            ReportFrames("1000 animated sprites", animated);
            ReportFrames("1000 texture draws, source rects", plain);
        }
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
