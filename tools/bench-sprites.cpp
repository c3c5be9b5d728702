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
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "render/AnimatedSprite.h"
#include "render/AnimatedTexture.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/TextureData.h"
#include "support/AnmWriter.h"
#include "support/TestDisplayHost.h"

namespace {

constexpr int kSprites = 1000;
constexpr int kColumns = 8; // frames per sheet row and column
constexpr int kFrameSize = 32;
constexpr int kSheetSize = kColumns * kFrameSize;

// The sheet's pixels, made in place of a decoded image: a frame number
// pattern with half-transparent corners.
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
                                                 uint32_t((x * 7) & 0xFF) << 8 | uint32_t((y * 5) & 0xFF);
        }
    return data.CopyPixels(kSheetSize, kSheetSize, pixels.data());
}

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

        const std::string description = anm::Write(anm::Grid(kColumns, kColumns, kFrameSize));
        RegisterMemoryFile("bench/run.anm", description.data(), uint32_t(description.size()));
        SetTextureLoader(MakeSheet);
        TAnimatedTextureRef sheet = TAnimatedTexture::Get("bench/run");
        SetTextureLoader(nullptr);
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
        sheet.reset();
        RegisterMemoryFile("bench/run.anm", nullptr, 0);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
