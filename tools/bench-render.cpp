// Renderer benchmark: frames through the renderer facade on the GL device
// into an 800x600 window. Three frames are measured: an empty one (begin,
// end, present), and 2,000 alpha-blended 32x32 textured quads drawn one by
// one as the texture draw does (bind, blend mode, a four-vertex fan), with
// one texture and with a texture change every 10 quads. For each, the median
// over the frames of the wall time per frame (and the frame rate it gives)
// and of the main thread's CPU time per frame. bench_reference_gl draws the
// same quads with plain GL.
//
//   bench_render [FRAMES]      (default 200; run it through tools/bench-render)
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "bench-frames.h"
#include "render/GfxRenderDevice.h"
#include "render/Renderer.h"
#include "render/VertexList.h"

namespace {

constexpr int kQuads = 2000;
constexpr int kQuadsPerTexture = 10;

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_render");
    if (!window)
        return 1;
    std::unique_ptr<GfxDisplay> display = OpenBenchDisplay(window, "bench_render");
    if (!display)
        return 1;

    {
        TGfxFrameHost host(display.get());
        TRenderer* renderer = TRenderer::Get();
        auto owned = std::make_unique<TGfxRenderDevice>(&host);
        TGfxRenderDevice* device = owned.get();
        renderer->SetDevice(std::move(owned));
        renderer->PushClipRect(TRect(0, 0, 800, 600));

        // Two 64x64 checkers with half-transparent squares.
        std::unique_ptr<GfxSurface> textures[2];
        const uint32_t tints[2] = {0xFFFFFFFFu, 0xFF80C0FFu};
        for (int t = 0; t < 2; ++t) {
            std::vector<uint32_t> texels(64 * 64);
            for (uint32_t y = 0; y < 64; ++y)
                for (uint32_t x = 0; x < 64; ++x)
                    texels[y * 64 + x] = ((x ^ y) & 8 ? tints[t] : 0x80FF8000u);
            GfxSurfaceDesc desc;
            desc.width = 64;
            desc.height = 64;
            desc.alpha = true;
            if (display->CreateSurface(desc, &textures[t]) != GfxResult::Ok ||
                textures[t]->Upload(texels.data(), 64, 64, 64) != GfxResult::Ok) {
                std::fprintf(stderr, "bench_render: no texture\n");
                return 1;
            }
        }

        FrameResult empty = MeasureFrames(frames, [](int) {});

        // 2,000 quads of 32x32 pixels spread over the screen.
        std::vector<TLitVertex> quads(size_t(kQuads) * 4);
        const TVec2 uv[2] = {TVec2(0, 0), TVec2(1, 1)};
        const float white[3] = {1, 1, 1};
        for (int i = 0; i < kQuads; ++i) {
            float x = float((i * 37) % 768), y = float((i * 53) % 568);
            TVec2 corners[4] = {TVec2(0, 0), TVec2(32, 0), TVec2(32, 32), TVec2(0, 32)};
            BuildQuadVertices(TVec2(x, y), &quads[size_t(i) * 4], corners, uv, TMat3(), 1.0f, white);
        }
        auto drawQuads = [&](int perTexture) {
            renderer->Begin2d();
            for (int i = 0; i < kQuads; ++i) {
                device->SetSurface(textures[(i / perTexture) % 2].get());
                renderer->SetBlendMode(kBlendNormal);
                renderer->DrawVertices(kPrimitiveTriangleFan, TVertexList(kVertexSprite, &quads[size_t(i) * 4], 4));
            }
            renderer->End2d();
        };
        FrameResult one = MeasureFrames(frames, [&](int) { drawQuads(kQuads); });
        FrameResult changes = MeasureFrames(frames, [&](int) { drawQuads(kQuadsPerTexture); });
        ReportFrames("empty frame", empty);
        ReportFrames("2000 quads, one texture", one);
        ReportFrames("2000 quads, texture/10", changes);
        TRenderer::Shutdown();
    }
    display.reset();
    OsDestroyWindow(window);
    OsShutdownVideo();
    return 0;
}
