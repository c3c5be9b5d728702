// Mesh benchmark: a sphere of 20,000 triangles (100 slices, 101 stacks,
// 10,302 vertices), written as a .mesh file in memory, loaded as a model
// and drawn lit (one directional light, ambient, a diffuse material) in the
// 3D pass of an 800x600 frame on the GL device, filling about a third of
// the screen. Prints the median over the frames of the wall time per frame
// (and the frame rate it gives) and of the main thread's CPU time per
// frame, for an empty frame and for the mesh frame, and the load time.
//
//   bench_mesh [FRAMES]      (default 200; run it through tools/bench-mesh)
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "bench-frames.h"
#include "platform/AssetNames.h"
#include "render/GfxRenderDevice.h"
#include "render/Model.h"
#include "render/Renderer.h"

namespace {

constexpr int kSlices = 100;
constexpr int kStacks = 101;
constexpr double kRadius = 2.0;

void Put(std::vector<uint8_t>& out, int value)
{
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t((value >> 8) & 0xFF));
}

// The sphere as .mesh bytes: rows of kSlices + 1 vertices from pole to
// pole, the seam doubled for its texture coordinates; the pole rows make
// one triangle per slice. Faces are wound clockwise seen from outside.
std::vector<uint8_t> SphereMesh()
{
    struct P {
        double x, y, z;
    };
    std::vector<P> normals;
    std::vector<uint8_t> out = {'T', 'R', 'I', 'S'};
    Put(out, (kStacks + 1) * (kSlices + 1));
    Put(out, 2 * kSlices * (kStacks - 1));
    for (int i = 0; i <= kStacks; ++i) {
        const double theta = M_PI * i / kStacks;
        for (int j = 0; j <= kSlices; ++j) {
            const double phi = 2 * M_PI * j / kSlices;
            const P n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            normals.push_back(n);
            const double values[8] = {n.x * kRadius, n.y * kRadius, n.z * kRadius, n.x, n.y, n.z,
                                      double(j) / kSlices, double(i) / kStacks};
            for (double v : values)
                Put(out, int(std::lround(v * 1000)));
        }
    }
    auto at = [](int i, int j) { return i * (kSlices + 1) + j; };
    auto triangle = [&](int a, int b, int c) {
        const P &pa = normals[size_t(a)], &pb = normals[size_t(b)], &pc = normals[size_t(c)];
        const P u{pb.x - pa.x, pb.y - pa.y, pb.z - pa.z}, v{pc.x - pa.x, pc.y - pa.y, pc.z - pa.z};
        const P cross{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        if (cross.x * pa.x + cross.y * pa.y + cross.z * pa.z < 0)
            std::swap(b, c);
        Put(out, a);
        Put(out, b);
        Put(out, c);
    };
    for (int i = 0; i < kStacks; ++i) {
        for (int j = 0; j < kSlices; ++j) {
            if (i != 0)
                triangle(at(i, j), at(i, j + 1), at(i + 1, j + 1));
            if (i != kStacks - 1)
                triangle(at(i, j), at(i + 1, j + 1), at(i + 1, j));
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_mesh");
    if (!window)
        return 1;
    std::unique_ptr<GfxDisplay> display = OpenBenchDisplay(window, "bench_mesh");
    if (!display)
        return 1;

    {
        TGfxFrameHost host(display.get());
        TRenderer* renderer = TRenderer::Get();
        auto owned = std::make_unique<TGfxRenderDevice>(&host);
        TGfxRenderDevice* device = owned.get();
        renderer->SetDevice(std::move(owned));
        renderer->PushClipRect(TRect(0, 0, 800, 600));

        const std::vector<uint8_t> file = SphereMesh();
        RegisterMemoryFile("bench-sphere.mesh", file.data(), uint32_t(file.size()));
        const double l0 = NowMs();
        std::shared_ptr<TModel> model = TModel::Get("bench-sphere.mesh");
        const double loadMs = NowMs() - l0;
        if (!model) {
            std::fprintf(stderr, "bench_mesh: the sphere does not load\n");
            return 1;
        }

        TMaterial material;
        material.diffuse = {0.9f, 0.6f, 0.3f, 1};
        material.ambient = {1, 1, 1, 1};
        material.specular = {0, 0, 0, 1};
        material.emissive = {0, 0, 0, 1};
        TLight light;
        light.kind = kLightDirectional;
        light.diffuse = {1, 1, 1, 1};
        light.direction[0] = 0.5f;
        light.direction[1] = -0.5f;
        light.direction[2] = 0.7f;
        const float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
        int frame = 0;
        auto drawSphere = [&](int) {
            renderer->Begin3d();
            TMat4 world, view;
            const float a = 0.01f * float(frame++);
            world(0, 0) = std::cos(a);
            world(0, 2) = -std::sin(a);
            world(2, 0) = std::sin(a);
            world(2, 2) = std::cos(a);
            world(3, 2) = 6;
            renderer->SetWorldTransform(world);
            renderer->SetViewTransform(view);
            renderer->SetPerspective(0.1f, 100.0f, float(M_PI) / 4, 0.0f);
            device->SetAmbient(ambient);
            renderer->SetMaterial(material);
            renderer->SetLight(0, &light);
            model->Draw();
            renderer->SetLight(0, nullptr);
            renderer->End3d();
        };
        FrameResult empty = MeasureFrames(frames, [](int) {});
        FrameResult sphere = MeasureFrames(frames, drawSphere);
        // The figures mean something only if the sphere was drawn: its
        // centre lit, a corner of the screen not.
        std::vector<uint32_t> centre, corner;
        if (renderer->BeginDraw(false)) {
            drawSphere(0);
            renderer->EndDraw(false);
        }
        display->ReadBack({400, 300, 401, 301}, &centre);
        display->ReadBack({5, 5, 6, 6}, &corner);
        if (centre.empty() || corner.empty() || (centre[0] & 0xFFFFFF) == 0 || (corner[0] & 0xFFFFFF) != 0) {
            std::fprintf(stderr, "bench_mesh: the sphere is not where it should be\n");
            return 1;
        }
        std::printf("load %d triangles            %8.3f ms\n", 2 * kSlices * (kStacks - 1), loadMs);
        ReportFrames("empty frame", empty);
        ReportFrames("20000-triangle mesh, lit", sphere);
        model.reset();
        TRenderer::Shutdown();
    }
    ClearRegisteredFiles();
    display.reset();
    OsDestroyWindow(window);
    OsShutdownVideo();
    return 0;
}
