// Glyph rasteriser benchmark: a page of 3,000 glyphs of 12-pixel text in the
// built-in font, drawn on the GL device into an 800x600 window and written
// into an 800x600 texture. Each is measured twice: with every glyph scanned
// from its outline (drawn without its cache key) and replayed from the span
// cache. Prints the median time per page and the glyphs per second it
// gives; screen figures include the GL driver's line drawing.
//
//   bench_glyphs [PAGES]      (default 100; run it through tools/bench-glyphs)
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "bench-timing.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/window/Window.h"
#include "platform/AssetManager.h"
#include "render/BuiltinFontData.h"
#include "render/MiniVecDraw.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "render/VecFont.h"
#include "support/TestDisplayHost.h"

namespace {

constexpr int kGlyphs = 3000;
constexpr int kColumns = 120; // glyphs per line

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// Printable ASCII, line after line.
void DrawPage(TDnMiniVecDraw& draw, const TVecFont& font, float scale, bool cached, const TTextureRef& target)
{
    draw.Begin(4, 14, target);
    double pen = 0;
    for (int i = 0; i < kGlyphs; ++i) {
        if (i % kColumns == 0)
            pen = 0;
        const int32_t glyph = font.FindGlyph(uint32_t(33 + (i * 7) % 94));
        draw.SetScale(scale, scale * font.GetScaleFactor(glyph));
        TGlyphCommands commands = font.GetCommands(glyph);
        if (!cached)
            commands.key = 0;
        draw.DrawGlyph(commands, int32_t(std::lround(pen)), (i / kColumns) * 4 * 16);
        pen += font.GetAdvance(glyph) * scale;
    }
    draw.Flush();
}

template <class F>
void Measure(const char* name, int pages, F page)
{
    std::vector<double> times;
    for (int i = 0; i < pages + 3; ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        const double t0 = Now();
        page(i);
        if (i >= 3)
            times.push_back(Now() - t0);
    }
    const double ms = Median(times);
    std::printf("%-34s %8.3f ms/page  %10.0f glyphs/s\n", name, ms, ms > 0 ? kGlyphs * 1000.0 / ms : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    int pages = argc > 1 ? std::atoi(argv[1]) : 100;
    if (pages < 1)
        pages = 1;
    GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
    if (!OsInitVideo()) {
        std::fprintf(stderr, "bench_glyphs: no video: %s\n", SDL_GetError());
        return 1;
    }
    OsWindowParams params;
    params.title = "bench-glyphs";
    params.width = 800;
    params.height = 600;
    OsWindow window = OsCreateWindow(params);
    if (!window) {
        std::fprintf(stderr, "bench_glyphs: no window: %s\n", SDL_GetError());
        return 1;
    }
    OsShowWindow(window, OsShow::Show);
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
            std::fprintf(stderr, "bench_glyphs: no GL display\n");
            return 1;
        }
        platform.GetData()->mDirectDraw->SetSwapInterval(0);
        platform.CalibratePixelOffset();
        TRenderer* renderer = TRenderer::Get();
        renderer->PushClipRect(TRect(0, 0, 800, 600));

        TVecFont font(std::vector<uint8_t>(kBuiltinFontData, kBuiltinFontData + sizeof kBuiltinFontData), "built-in");
        auto draw = std::make_unique<TDnMiniVecDraw>();
        draw->Calibrate();
        const float white[4] = {1, 1, 1, 1};
        draw->SetColour(1, white, 1);
        const float scale = 12 * 4 * 0.8f / (font.GetAscent() + font.GetDescent());
        auto onScreen = [&](bool cached) {
            if (renderer->BeginDraw(false)) {
                renderer->Begin2d();
                DrawPage(*draw, font, scale, cached, TTextureRef());
                renderer->End2d();
                renderer->EndDraw(true);
            }
        };
        TTextureRef texture = TTexture::CreateRenderTarget(800, 600, true);
        if (!texture) {
            std::fprintf(stderr, "bench_glyphs: no texture\n");
            return 1;
        }
        Measure("screen, scanned", pages, [&](int) { onScreen(false); });
        Measure("screen, replayed", pages, [&](int) { onScreen(true); });
        Measure("texture, scanned", pages, [&](int) { DrawPage(*draw, font, scale, false, texture); });
        Measure("texture, replayed", pages, [&](int) { DrawPage(*draw, font, scale, true, texture); });
        const TDnMiniVecDraw::TStats stats = draw->GetStats();
        std::printf("glyphs scanned %u, replayed %u, span cache %zu of %zu bytes, emptied %u times; "
                    "%u line lists of up to %u vertices\n",
                    stats.rasterised, stats.replayed, stats.cacheBytes, stats.cacheCap, stats.cacheClears,
                    stats.batches, draw->GetBatchCapacity());
        draw.reset();
        texture.reset();
        TRenderer::Shutdown();
        SetAssetManager(nullptr);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return 0;
}
