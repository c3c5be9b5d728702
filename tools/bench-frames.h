#pragma once
// The frame loop and the window shared by the benchmarks that draw on the
// GL device under Xvfb (bench-render, bench-sprites, bench-mesh).
#include <SDL.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bench-timing.h"
#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/system/Memory.h"
#include "os/window/Window.h"
#include "render/Renderer.h"

struct FrameResult {
    double wallMs; // median wall time of a frame
    double cpuMs;  // median main-thread CPU time of a frame
};

// Draws frames + 5 frames, each draw(frame index) between BeginDraw and a
// presenting EndDraw, with the window's events taken in between; the first
// five warm the driver up and are not counted.
template <typename Draw>
FrameResult MeasureFrames(int frames, Draw draw)
{
    TRenderer* renderer = TRenderer::Get();
    std::vector<double> wall, cpu;
    for (int i = 0; i < frames + 5; ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        const double w0 = NowMs(), c0 = ThreadCpuMs();
        if (renderer->BeginDraw(false)) {
            draw(i);
            renderer->EndDraw(true);
        }
        const double w1 = NowMs(), c1 = ThreadCpuMs();
        if (i >= 5) {
            wall.push_back(w1 - w0);
            cpu.push_back(c1 - c0);
        }
    }
    return {Median(wall), Median(cpu)};
}

inline void ReportFrames(const char* name, const FrameResult& r)
{
    std::printf("%-34s %8.3f ms/frame  %8.1f fps  main thread %8.3f ms/frame\n", name, r.wallMs,
                r.wallMs > 0 ? 1000.0 / r.wallMs : 0.0, r.cpuMs);
}

// The frame count from the command line (default 200, at least 1).
inline int FrameCount(int argc, char** argv)
{
    const int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    return frames < 1 ? 1 : frames;
}

// Video up and an 800x600 window shown, with the game's allocator settings
// and no message boxes; null (after a message) when there is no display.
inline OsWindow OpenBenchWindow(const char* program)
{
    OsKeepFreedMemory();
    GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
    if (!OsInitVideo()) {
        std::fprintf(stderr, "%s: no video: %s\n", program, SDL_GetError());
        return nullptr;
    }
    OsWindowParams params;
    params.title = program;
    params.width = 800;
    params.height = 600;
    OsWindow window = OsCreateWindow(params);
    if (!window) {
        std::fprintf(stderr, "%s: no window: %s\n", program, SDL_GetError());
        OsShutdownVideo();
        return nullptr;
    }
    OsShowWindow(window, OsShow::Show);
    return window;
}

// A GL display on the window with no wait for the vertical blank; null
// (after a message) when it cannot be made. Prints the renderer's name.
inline std::unique_ptr<GfxDisplay> OpenBenchDisplay(OsWindow window, const char* program)
{
    std::unique_ptr<GfxDisplay> display = GfxCreateGlDisplay();
    if (display->Create(window, {800, 600, 32, false}) != GfxResult::Ok) {
        std::fprintf(stderr, "%s: no GL display\n", program);
        return nullptr;
    }
    display->SetSwapInterval(0);
    const GfxIdentifier id = display->GetIdentifier();
    std::printf("renderer: %s (%s)\n", id.renderer.c_str(), id.version.c_str());
    return display;
}
