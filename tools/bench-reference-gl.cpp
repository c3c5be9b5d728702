// Reference for the renderer benchmark: the same pictures drawn by a plain
// OpenGL program, without the project's code. An 800x600 window, fixed
// function GL, 2,000 alpha-blended, textured 32x32 quads in one client-side
// vertex array. Three frames are measured: an empty one (clear and swap), all
// quads with one texture in one draw call, and a texture change every 10
// quads (200 binds and draw calls).
// For each, the median over the frames of the wall time per frame (clear,
// draw, swap) and of the main thread's CPU time per frame.
//
//   bench_reference_gl [FRAMES]      (default 200; tools/bench-render runs it)
#include <SDL.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kQuads = 2000;
constexpr int kQuadsPerTexture = 10;

struct Vertex {
    float x, y, z;
    uint32_t colour;   // bytes R, G, B, A in memory
    float u, v;
};

double Now(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// A 64x64 checker with half-transparent squares, as the renderer benchmark
// uses; tint changes the opaque squares' colour.
GLuint MakeTexture(uint32_t tint)
{
    std::vector<uint32_t> texels(64 * 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            texels[y * 64 + x] = ((x ^ y) & 8 ? tint : 0x80FF8000u);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    return name;
}

// Two triangles per quad, at the positions the renderer benchmark uses.
std::vector<Vertex> MakeQuads()
{
    std::vector<Vertex> v;
    v.reserve(size_t(kQuads) * 6);
    const uint32_t white = 0xFFFFFFFFu;
    for (int i = 0; i < kQuads; ++i) {
        float x = float((i * 37) % 768), y = float((i * 53) % 568);
        Vertex a{x, y, 0, white, 0, 0}, b{x + 32, y, 0, white, 1, 0};
        Vertex c{x + 32, y + 32, 0, white, 1, 1}, d{x, y + 32, 0, white, 0, 1};
        for (const Vertex& p : {a, b, c, a, c, d})
            v.push_back(p);
    }
    return v;
}

struct Result {
    double wallMs;
    double cpuMs;
};

template <typename Draw>
Result Measure(SDL_Window* window, int frames, Draw draw)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < frames + 5; ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        double w0 = Now(CLOCK_MONOTONIC), c0 = Now(CLOCK_THREAD_CPUTIME_ID);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        SDL_GL_SwapWindow(window);
        double w1 = Now(CLOCK_MONOTONIC), c1 = Now(CLOCK_THREAD_CPUTIME_ID);
        if (i >= 5) { // the first frames warm the driver up
            wall.push_back(w1 - w0);
            cpu.push_back(c1 - c0);
        }
    }
    return {Median(wall), Median(cpu)};
}

void Report(const char* name, const Result& r)
{
    std::printf("%-28s %8.3f ms/frame  %8.1f fps  main thread %8.3f ms/frame\n", name, r.wallMs,
                r.wallMs > 0 ? 1000.0 / r.wallMs : 0.0, r.cpuMs);
}

} // namespace

int main(int argc, char** argv)
{
    int frames = argc > 1 ? std::atoi(argv[1]) : 200;
    if (frames < 1)
        frames = 1;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench_reference_gl: no video: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_Window* window = SDL_CreateWindow("bench-reference-gl", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "bench_reference_gl: no GL window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    std::printf("renderer: %s (%s)\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));

    // Screen pixels, y down.
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, kHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const GLuint textures[2] = {MakeTexture(0xFFFFFFFFu), MakeTexture(0xFF80C0FFu)};

    const std::vector<Vertex> quads = MakeQuads();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &quads[0].x);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &quads[0].colour);
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &quads[0].u);

    Result empty = Measure(window, frames, [] {});
    Result one = Measure(window, frames, [&] {
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        glDrawArrays(GL_TRIANGLES, 0, kQuads * 6);
    });
    Result changes = Measure(window, frames, [&] {
        for (int i = 0; i < kQuads; i += kQuadsPerTexture) {
            glBindTexture(GL_TEXTURE_2D, textures[(i / kQuadsPerTexture) % 2]);
            glDrawArrays(GL_TRIANGLES, i * 6, kQuadsPerTexture * 6);
        }
    });
    Report("empty frame", empty);
    Report("2000 quads, one texture", one);
    Report("2000 quads, texture/10", changes);

    glDeleteTextures(2, textures);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
