// The renderer on the GL device under Xvfb: what lands in the 800x600 back
// buffer, read back pixel by pixel.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "os/gfx/GfxDisplay.h"
#include "os/gfx/GfxInject.h"
#include "os/gfx/GfxMessageBox.h"
#include "os/window/Window.h"
#include "render/GfxRenderDevice.h"
#include "render/Renderer.h"
#include "render/VertexList.h"

namespace {

int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}

uint32_t Rgb(int r, int g, int b)
{
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

class RenderPixels : public ::testing::Test {
protected:
    void SetUp() override
    {
        GfxInjectReset();
        GfxSetMessageBoxMode(GfxBoxMode::LogOnly);
        ASSERT_TRUE(OsInitVideo()) << SDL_GetError();
        OsWindowParams p;
        p.title = "Render";
        p.width = 800;
        p.height = 600;
        mWindow = OsCreateWindow(p);
        ASSERT_NE(mWindow, nullptr) << SDL_GetError();
        OsShowWindow(mWindow, OsShow::Show);
        mDisplay = GfxCreateGlDisplay();
        ASSERT_EQ(mDisplay->Create(mWindow, {800, 600, 32, false}), GfxResult::Ok);
        mDisplay->SetSwapInterval(0);
        mHost = std::make_unique<TGfxFrameHost>(mDisplay.get());
        TRenderer::Shutdown();
        mRenderer = TRenderer::Get();
        auto device = std::make_unique<TGfxRenderDevice>(mHost.get());
        mDevice = device.get();
        mRenderer->SetDevice(std::move(device));
        mRenderer->PushClipRect(TRect(0, 0, 800, 600));
        Clear();
    }

    void TearDown() override
    {
        TRenderer::Shutdown();
        mHost.reset();
        mDisplay.reset();
        if (OsIsWindow(mWindow))
            OsDestroyWindow(mWindow);
        // Video stays up until the process ends: shutting it down unloads the
        // GL driver, whose allocations would then show as leaks of no module.
        GfxInjectReset();
    }

    // The whole back buffer black (a colour fill outside a frame).
    void Clear()
    {
        const float black[4] = {0, 0, 0, 1};
        mRenderer->FillRect(TRect(0, 0, 800, 600), black);
    }

    uint32_t Pixel(int32_t x, int32_t y)
    {
        std::vector<uint32_t> px;
        EXPECT_EQ(mDisplay->ReadBack({x, y, x + 1, y + 1}, &px), GfxResult::Ok);
        return px.empty() ? 0 : px[0];
    }

    std::vector<uint32_t> Screen()
    {
        std::vector<uint32_t> px;
        EXPECT_EQ(mDisplay->ReadBack({0, 0, 800, 600}, &px), GfxResult::Ok);
        return px;
    }

    // Bounding box of the pixels that are not black.
    TRect Covered()
    {
        std::vector<uint32_t> px = Screen();
        TRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
        for (int32_t y = 0; y < 600; ++y) {
            for (int32_t x = 0; x < 800; ++x) {
                if ((px[size_t(y) * 800 + x] & 0xFFFFFF) == 0)
                    continue;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
        return box.left == INT32_MAX ? TRect() : box;
    }

    // Every pixel of rect has colour.
    int CountOf(const TRect& rect, uint32_t colour)
    {
        std::vector<uint32_t> px = Screen();
        int n = 0;
        for (int32_t y = rect.top; y < rect.bottom; ++y)
            for (int32_t x = rect.left; x < rect.right; ++x)
                n += px[size_t(y) * 800 + x] == colour;
        return n;
    }

    // A pre-lit quad in the 2D pass's coordinates.
    void Quad2d(float l, float t, float r, float b, uint32_t argb, float u0 = 0, float v0 = 0, float u1 = 1,
                float v1 = 1)
    {
        TLitVertex v[4];
        const float xs[4] = {l, r, r, l}, ys[4] = {t, t, b, b};
        const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
        for (int i = 0; i < 4; ++i) {
            v[i].x = xs[i];
            v[i].y = ys[i];
            v[i].z = 0.1f;
            v[i].diffuse = TColor(argb);
            v[i].specular = TColor(0xFF000000u);
            v[i].u = us[i];
            v[i].v = vs[i];
        }
        mRenderer->DrawVertices(kPrimitiveTriangleFan, TVertexList(kVertexSprite, v, 4));
    }

    // The scene compared between window and full screen.
    void DrawScene()
    {
        Clear();
        ASSERT_TRUE(mRenderer->BeginDraw(false));
        ASSERT_TRUE(mRenderer->Begin2d());
        const float red[4] = {1, 0, 0, 1};
        mRenderer->FillRect(TRect(10, 20, 30, 25), red);
        mRenderer->SetBlendMode(kBlendAdditive);
        Quad2d(100, 100, 300, 200, 0x8000FF00u);
        mRenderer->PushClipRect(TRect(400, 300, 500, 400));
        Quad2d(350, 250, 450, 350, 0xFF0000FFu);
        mRenderer->PopClipRect();
        mRenderer->End2d();
        DrawLitQuad(0.0f);
        mRenderer->EndDraw(true);
    }

    // A unit quad facing the camera at z = 5 in a 3D pass, lit by a white
    // directional light turned by angle from the view direction.
    void DrawLitQuad(float angle)
    {
        ASSERT_TRUE(mRenderer->Begin3d());
        TMat4 identity;
        mRenderer->SetWorldTransform(identity);
        mRenderer->SetViewTransform(identity);
        mRenderer->SetPerspective(0.1f, 1000.0f, float(M_PI) / 4, 0.0f);
        const float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
        mDevice->SetAmbient(ambient);
        TMaterial material;
        material.diffuse = {1.0f, 0.5f, 0.25f, 1};
        material.ambient = {1, 1, 1, 1};
        material.specular = {0, 0, 0, 1};
        material.emissive = {0, 0, 0, 1};
        material.power = 1;
        mRenderer->SetMaterial(material);
        TLight light;
        light.kind = kLightDirectional;
        light.diffuse = {1, 1, 1, 1};
        light.direction[0] = std::sin(angle);
        light.direction[1] = 0;
        light.direction[2] = std::cos(angle);
        mRenderer->SetLight(0, &light);
        TMeshVertex v[4];
        const float xs[4] = {-1, 1, 1, -1}, ys[4] = {1, 1, -1, -1};
        for (int i = 0; i < 4; ++i) {
            v[i].x = xs[i];
            v[i].y = ys[i];
            v[i].z = 5;
            v[i].nz = -1;
        }
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        mRenderer->DrawIndexedVertices(kPrimitiveTriangleList, TVertexList(kVertexMesh, v, 4), indices, 6);
        mRenderer->SetLight(0, nullptr);
        mRenderer->End3d();
    }

    OsWindow mWindow = nullptr;
    std::unique_ptr<GfxDisplay> mDisplay;
    std::unique_ptr<TGfxFrameHost> mHost;
    TRenderer* mRenderer = nullptr;
    TGfxRenderDevice* mDevice = nullptr;
};

TEST_F(RenderPixels, FilledRectanglesLandOnTheExactPixels)
{
    const uint32_t red = Rgb(255, 0, 0);
    const float colour[4] = {1, 0, 0, 1};
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    mRenderer->FillRect(TRect(10, 20, 30, 25), colour);
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    EXPECT_EQ(Covered(), TRect(10, 20, 30, 25));
    EXPECT_EQ(CountOf(TRect(10, 20, 30, 25), red), 20 * 5);

    // Relative to a viewport at (100, 50), cut at its edges.
    Clear();
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    mRenderer->PushViewport(TRect(100, 50, 200, 100));
    ASSERT_TRUE(mRenderer->Begin2d());
    mRenderer->FillRect(TRect(0, 0, 10, 10), colour);
    mRenderer->FillRect(TRect(95, 45, 150, 80), colour);
    mRenderer->End2d();
    mRenderer->PopViewport();
    mRenderer->EndDraw(true);
    EXPECT_EQ(CountOf(TRect(100, 50, 110, 60), red), 100);
    EXPECT_EQ(CountOf(TRect(195, 95, 200, 100), red), 25);
    EXPECT_EQ(Covered(), TRect(100, 50, 200, 100));
    EXPECT_EQ(Pixel(110, 60), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(200, 100), Rgb(0, 0, 0));

    // Outside a 2D pass (window borders) the fill lands the same way.
    Clear();
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    mRenderer->PushViewport(TRect(300, 200, 400, 300));
    mRenderer->FillRect(TRect(1, 2, 4, 6), colour);
    mRenderer->PopViewport();
    mRenderer->EndDraw(true);
    EXPECT_EQ(Covered(), TRect(301, 202, 304, 206));
}

TEST_F(RenderPixels, TexelsLandOnPixelsWithTheDefaultOffset)
{
    // A 4x4 texture of distinct colours drawn 1:1 with point filtering.
    std::vector<uint32_t> texels(16);
    for (uint32_t i = 0; i < 16; ++i)
        texels[i] = 0xFF000000u | (i * 16 + 15) << 16 | (255 - i * 16) << 8 | 0x40;
    GfxSurfaceDesc desc;
    desc.width = 4;
    desc.height = 4;
    desc.alpha = true;
    std::unique_ptr<GfxSurface> surface;
    ASSERT_EQ(mDisplay->CreateSurface(desc, &surface), GfxResult::Ok);
    ASSERT_EQ(surface->Upload(texels.data(), 4, 4, 4), GfxResult::Ok);
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    mRenderer->SetTextureFilter(0);
    mDevice->SetSurface(surface.get());
    Quad2d(200, 100, 204, 104, 0xFFFFFFFFu);
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(200 + x, 100 + y), texels[size_t(y) * 4 + x]) << x << "," << y;
    EXPECT_EQ(Covered(), TRect(200, 100, 204, 104));
}

TEST_F(RenderPixels, BlendModesGiveTheExpectedColours)
{
    // Destination (200, 100, 50); source (100, 200, 0) at alpha 128.
    struct Row {
        int32_t mode;
        int r, g, b;
    };
    const Row rows[] = {
        {kBlendNormal, 150, 150, 25},
        {kBlendOpaque, 100, 200, 0},
        {kBlendAdditive, 250, 200, 50},
        {kBlendDarken, 122, 22, 50},
    };
    const float dest[4] = {200 / 255.0f, 100 / 255.0f, 50 / 255.0f, 1};
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    for (int i = 0; i < 4; ++i) {
        float x = float(100 * i);
        mRenderer->FillRect(TRect(int32_t(x), 0, int32_t(x) + 50, 50), dest);
        mRenderer->SetBlendMode(rows[i].mode);
        Quad2d(x, 0, x + 50, 50, 0x8064C800u);
    }
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    for (int i = 0; i < 4; ++i) {
        const Row& row = rows[i];
        uint32_t got = Pixel(100 * i + 25, 25);
        EXPECT_LE(Distance(got, Rgb(row.r, row.g, row.b)), 2)
            << "mode " << row.mode << " got " << std::hex << got;
    }
}

TEST_F(RenderPixels, AClipRectangleClipsFillsAndQuads)
{
    const float white[4] = {1, 1, 1, 1};
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    mRenderer->PushClipRect(TRect(100, 100, 200, 200));
    mRenderer->FillRect(TRect(0, 0, 800, 600), white);
    mRenderer->PopClipRect();
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    EXPECT_EQ(Covered(), TRect(100, 100, 200, 200));
    EXPECT_EQ(CountOf(TRect(100, 100, 200, 200), Rgb(255, 255, 255)), 100 * 100);

    // A quad across the clip's corner keeps its place: only the part inside shows.
    Clear();
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    mRenderer->PushClipRect(TRect(100, 100, 200, 200));
    Quad2d(150, 170, 260, 260, 0xFF00FF00u);
    mRenderer->PopClipRect();
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    EXPECT_EQ(Covered(), TRect(150, 170, 200, 200));
}

TEST_F(RenderPixels, TwoDQuadsStillDrawAfterAThreeDPassMovedTheNearPlane)
{
    // The 2D projection takes the last perspective's near and far planes,
    // which leave z 0 in front of the near plane; 2D passes draw with
    // clipping off, so the quad shows all the same.
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin3d());
    mRenderer->SetPerspective(1.0f, 32.0f, 0.7f, 0.0f);
    mRenderer->End3d();
    ASSERT_TRUE(mRenderer->Begin2d());
    Quad2d(100, 100, 200, 150, 0xFF00FF00u);
    mRenderer->End2d();
    mRenderer->EndDraw(true);
    EXPECT_EQ(Covered(), TRect(100, 100, 200, 150));
    EXPECT_EQ(Pixel(150, 125), Rgb(0, 255, 0));
}

TEST_F(RenderPixels, ALitQuadIsLit)
{
    // Ambient 0.2 on a white ambient material, diffuse (1, 0.5, 0.25) under
    // a white light: head on N.L = 1, at 60 degrees N.L = 0.5.
    struct Row {
        float angle;
        float r, g, b;
    };
    const Row rows[] = {{0.0f, 1.0f, 0.7f, 0.45f}, {float(M_PI) / 3, 0.7f, 0.45f, 0.325f}};
    for (const Row& row : rows) {
        Clear();
        ASSERT_TRUE(mRenderer->BeginDraw(false));
        DrawLitQuad(row.angle);
        mRenderer->EndDraw(true);
        uint32_t want = Rgb(int(std::lround(row.r * 255)), int(std::lround(row.g * 255)),
                            int(std::lround(row.b * 255)));
        uint32_t got = Pixel(400, 300);
        EXPECT_LE(Distance(got, want), 3) << "angle " << row.angle << " got " << std::hex << got;
    }
    // The quad covers the middle of the screen only.
    EXPECT_EQ(Pixel(10, 10), Rgb(0, 0, 0));
}

TEST_F(RenderPixels, WindowAndFullScreenGiveTheSamePicture)
{
    DrawScene();
    std::vector<uint32_t> windowed = Screen();
    EXPECT_EQ(windowed[size_t(22) * 800 + 15], Rgb(255, 0, 0));

    ASSERT_EQ(mDisplay->Create(mWindow, {800, 600, 32, true}), GfxResult::Ok);
    for (int i = 0; i < 10; ++i) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        SDL_Delay(10);
    }
    DrawScene();
    std::vector<uint32_t> full = Screen();
    ASSERT_EQ(full.size(), windowed.size());
    size_t differ = 0;
    for (size_t i = 0; i < full.size(); ++i)
        differ += full[i] != windowed[i];
    EXPECT_EQ(differ, 0u);
    // And back to the window.
    ASSERT_EQ(mDisplay->Create(mWindow, {800, 600, 32, false}), GfxResult::Ok);
    DrawScene();
    EXPECT_EQ(Screen(), windowed);
}

} // namespace
