#pragma once
// Shared fixture of the GL pixel tests: a shown 800x600 window (focused, as
// nothing else hands out focus under Xvfb) with a GL display in a scene, and
// helpers that draw and read back in back-buffer pixels.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/window/Window.h"

struct GfxScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};
struct GfxMeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
struct GfxLitVertex {
    float x, y, z;
    uint32_t reserved;
    uint32_t diffuse, specular;
    float u, v;
};
static_assert(sizeof(GfxScreenVertex) == 32 && sizeof(GfxMeshVertex) == 32 && sizeof(GfxLitVertex) == 32);

// Channel distance of two colours (largest of the four).
inline int GfxColourDistance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 32; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}

class GfxPixels : public ::testing::Test {
protected:
    OsWindow window = nullptr;
    std::unique_ptr<GfxDisplay> display;
    GfxDevice* device = nullptr;

    void SetUp() override
    {
        GfxInjectReset();
        GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
        ASSERT_TRUE(OsInitVideo()) << SDL_GetError();
        OsWindowParams p;
        p.title = "Gfx";
        p.width = 800;
        p.height = 600;
        window = OsCreateWindow(p);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        OsShowWindow(window, OsShow::Show);
        display = GfxCreateGlDisplay();
        ASSERT_EQ(display->Create(window, {800, 600, 32, false}), GfxResult::Ok);
        display->SetSwapInterval(0);
        display->KeepFrontCopy(true);
        device = display->GetDevice();
        ASSERT_NE(device, nullptr);
        ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
        ASSERT_EQ(device->Clear(GfxClear::Target | GfxClear::ZBuffer, 0xFF000000, 1.0f), GfxResult::Ok);
    }

    void TearDown() override
    {
        display.reset();
        if (OsIsWindow(window))
            OsDestroyWindow(window);
        OsShutdownVideo();
        GfxInjectReset();
    }

    // Lets SDL and the X server settle after a mode change.
    void Pump(int rounds = 10)
    {
        for (int i = 0; i < rounds; ++i) {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
            }
            SDL_Delay(10);
        }
    }

    void Quad(float l, float t, float r, float b, uint32_t colour, float z = 0.0f, float u0 = 0,
              float v0 = 0, float u1 = 1, float v1 = 1)
    {
        GfxScreenVertex v[4] = {{l, t, z, 1, colour, 0xFF000000, u0, v0},
                                {r, t, z, 1, colour, 0xFF000000, u1, v0},
                                {r, b, z, 1, colour, 0xFF000000, u1, v1},
                                {l, b, z, 1, colour, 0xFF000000, u0, v1}};
        ASSERT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleFan, GfxFvf::Screen, v, 4), GfxResult::Ok);
    }

    uint32_t Pixel(int32_t x, int32_t y)
    {
        std::vector<uint32_t> px;
        EXPECT_EQ(display->ReadBack({x, y, x + 1, y + 1}, &px), GfxResult::Ok);
        return px.empty() ? 0 : px[0];
    }

    // The bounding box of the pixels that are not black in a region.
    GfxRect Covered(const GfxRect& area)
    {
        std::vector<uint32_t> px;
        EXPECT_EQ(display->ReadBack(area, &px), GfxResult::Ok);
        GfxRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int32_t y = 0; y < area.Height(); ++y) {
            for (int32_t x = 0; x < area.Width(); ++x) {
                if ((px[size_t(y) * area.Width() + x] & 0xFFFFFF) == 0)
                    continue;
                box.left = std::min(box.left, area.left + x);
                box.top = std::min(box.top, area.top + y);
                box.right = std::max(box.right, area.left + x + 1);
                box.bottom = std::max(box.bottom, area.top + y + 1);
            }
        }
        if (box.left == INT32_MAX)
            return {};
        return box;
    }

    std::unique_ptr<GfxSurface> Texture(uint32_t w, uint32_t h, const std::vector<uint32_t>& pixels,
                                        bool alpha = true, bool mipmap = false)
    {
        GfxSurfaceDesc d;
        d.width = w;
        d.height = h;
        d.alpha = alpha;
        d.mipmap = mipmap;
        std::unique_ptr<GfxSurface> s;
        EXPECT_EQ(display->CreateSurface(d, &s), GfxResult::Ok);
        if (s && !pixels.empty()) {
            EXPECT_EQ(s->Upload(pixels.data(), w, w, h), GfxResult::Ok);
        }
        return s;
    }

    // The left-handed off-centre orthographic projection over screen pixels
    // (y down), z from zn to zf mapped to 0..1.
    static GfxMatrix Ortho(float l, float r, float t, float b, float zn, float zf)
    {
        GfxMatrix m;
        m.m[0] = 2.0f / (r - l);
        m.m[5] = 2.0f / (t - b);
        m.m[10] = 1.0f / (zf - zn);
        m.m[12] = (l + r) / (l - r);
        m.m[13] = (t + b) / (b - t);
        m.m[14] = zn / (zn - zf);
        return m;
    }
};
