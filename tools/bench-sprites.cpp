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

#include "bench-timing.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/system/Memory.h"
#include "os/window/Window.h"
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

double CpuNow()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

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

struct Result {
    double wallMs;
    double cpuMs;
};

template <typename Draw>
Result Measure(int frames, Draw draw)
{
    TRenderer* renderer = TRenderer::Get();
    std::vector<double> wall, cpu;
    for (int i = 0; i < frames + 5; ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        const double w0 = NowMs(), c0 = CpuNow();
        if (renderer->BeginDraw(false)) {
            renderer->Begin2d();
            draw(i);
            renderer->End2d();
            renderer->EndDraw(true);
        }
        const double w1 = NowMs(), c1 = CpuNow();
        if (i >= 5) { // the first frames warm the driver up
            wall.push_back(w1 - w0);
            cpu.push_back(c1 - c0);
        }
    }
    return {Median(wall), Median(cpu)};
}

void Report(const char* name, const Result& r)
{
    std::printf("%-34s %8.3f ms/frame  %8.1f fps  main thread %8.3f ms/frame\n", name, r.wallMs,
                r.wallMs > 0 ? 1000.0 / r.wallMs : 0.0, r.cpuMs);
}

} // namespace

int main(int argc, char** argv)
{
    int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    if (frames < 1)
        frames = 1;
    OsKeepFreedMemory(); // as the game does
    GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
    if (!OsInitVideo()) {
        std::fprintf(stderr, "bench_sprites: no video: %s\n", SDL_GetError());
        return 1;
    }
    OsWindowParams params;
    params.title = "bench-sprites";
    params.width = 800;
    params.height = 600;
    OsWindow window = OsCreateWindow(params);
    if (!window) {
        std::fprintf(stderr, "bench_sprites: no window: %s\n", SDL_GetError());
        return 1;
    }
    OsShowWindow(window, OsShow::Show);
    int status = 0;
    {
        TTestDisplayHost host;
        host.mainWindow = window;
        TAssetManager assets;
        SetAssetManager(&assets);
        TPlatform platform;
        InstallPlatformRenderDevice();
        platform.SetWindow(window);
        platform.SetDisplay(800, 600, false, false, true, false);
        if (!platform.IsDeviceReady()) {
            std::fprintf(stderr, "bench_sprites: no GL display\n");
            return 1;
        }
        platform.GetData()->mDirectDraw->SetSwapInterval(0);
        TRenderer* renderer = TRenderer::Get();
        renderer->PushClipRect(TRect(0, 0, 800, 600));
        const GfxIdentifier id = platform.GetData()->mDirectDraw->GetIdentifier();
        std::printf("renderer: %s (%s)\n", id.renderer.c_str(), id.version.c_str());

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

            const Result empty = Measure(frames, [](int) {});
            const Result animated = Measure(frames, [&](int frame) {
                for (int i = 0; i < kSprites; ++i) {
                    sprites[size_t(i)]->SetFrame((i + frame) % count);
                    sprites[size_t(i)]->Draw(screen, 0);
                }
            });
            // The same quads as texture draws of source rectangles.
            const Result plain = Measure(frames, [&](int frame) {
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
            });
            Report("empty frame", empty);
            Report("1000 animated sprites", animated);
            Report("1000 texture draws, source rects", plain);
        }
        sheet.reset();
        RegisterMemoryFile("bench/run.anm", nullptr, 0);
        TRenderer::Shutdown();
        SetAssetManager(nullptr);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
