// Surfaces, read-back and presentation of the GL display under Xvfb.
#include "GfxPixelSupport.h"

namespace {

TEST_F(GfxPixels, CapsAndIdentifier)
{
    GfxCaps caps = display->GetCaps();
    EXPECT_GE(caps.maxTextureWidth, 1024u);
    EXPECT_GE(caps.maxTextureHeight, 1024u);
    EXPECT_TRUE(caps.hardware);   // a software GL renderer is accepted
    EXPECT_FALSE(caps.squareOnly);
    GfxIdentifier id = display->GetIdentifier();
    EXPECT_FALSE(id.vendor.empty());
    EXPECT_FALSE(id.renderer.empty());
    EXPECT_FALSE(id.version.empty());
    GfxDesktop desk = display->GetDesktop();
    EXPECT_EQ(desk, (GfxDesktop{-1, 1280, 1024}));
    GfxSurfaceDesc d;
    d.width = caps.maxTextureWidth + 1;
    d.height = 4;
    std::unique_ptr<GfxSurface> s;
    EXPECT_EQ(display->CreateSurface(d, &s), GfxResult::InvalidArg);
}

TEST_F(GfxPixels, ReadBackRectanglesAreInBackBufferCoordinates)
{
    GfxSurface* back = display->GetBackBuffer();
    GfxRect a{10, 20, 13, 22};
    ASSERT_EQ(back->Fill(&a, 0x00FF0000), GfxResult::Ok);   // alpha of the fill is not kept
    GfxRect b{12, 21, 14, 23};
    ASSERT_EQ(back->Fill(&b, 0xFF00FF00), GfxResult::Ok);
    std::vector<uint32_t> px;
    ASSERT_EQ(display->ReadBack({10, 20, 14, 23}, &px), GfxResult::Ok);
    const uint32_t R = 0xFFFF0000, G = 0xFF00FF00, K = 0xFF000000;
    const std::vector<uint32_t> expected = {R, R, R, K,
                                            R, R, G, G,
                                            K, K, G, G};
    EXPECT_EQ(px, expected);
    // Lock of the back buffer: the same rows, the surface's pitch.
    GfxLocked lk;
    GfxRect r{10, 20, 14, 23};
    ASSERT_EQ(back->Lock(&r, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pitch, 800u);
    EXPECT_EQ(lk.pixels[0], R);
    EXPECT_EQ(lk.pixels[800 + 2], G);
    EXPECT_EQ(lk.pixels[2 * 800 + 3], G);
    ASSERT_EQ(back->Unlock(), GfxResult::Ok);
    // Writing through a lock works on the back buffer too (alpha kept 255).
    GfxRect one{400, 300, 401, 301};
    ASSERT_EQ(back->Lock(&one, GfxLock::Discard, &lk), GfxResult::Ok);
    lk.pixels[0] = 0x00ABCDEF;
    ASSERT_EQ(back->Unlock(), GfxResult::Ok);
    EXPECT_EQ(Pixel(400, 300), 0xFFABCDEFu);
    EXPECT_EQ(Pixel(401, 300), K);
}

TEST_F(GfxPixels, TextureSurfacesFillLockAndBlit)
{
    auto tex = Texture(8, 4, {});
    // New surfaces are transparent black.
    GfxLocked lk;
    ASSERT_EQ(tex->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], 0u);
    EXPECT_EQ(lk.pixels[3 * lk.pitch + 7], 0u);
    tex->Unlock();
    GfxRect r{1, 1, 3, 2};
    ASSERT_EQ(tex->Fill(&r, 0x80123456), GfxResult::Ok);
    ASSERT_EQ(tex->Lock(nullptr, GfxLock::ReadWrite, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[lk.pitch + 1], 0x80123456u);
    EXPECT_EQ(lk.pixels[lk.pitch + 3], 0u);
    lk.pixels[3 * lk.pitch] = 0xFF0000FF;
    ASSERT_EQ(tex->Unlock(), GfxResult::Ok);

    // Texture to back buffer, unstretched; alpha becomes 255 there.
    GfxSurface* back = display->GetBackBuffer();
    ASSERT_EQ(back->BltFast(100, 200, tex.get(), nullptr), GfxResult::Ok);
    EXPECT_EQ(Pixel(101, 201), 0xFF123456u);
    EXPECT_EQ(Pixel(100, 203), 0xFF0000FFu);
    EXPECT_EQ(Pixel(100, 200), 0xFF000000u);

    // Back buffer to texture (the end of a render-to-texture pass).
    back->Fill(nullptr, 0xFF00FF00);
    GfxRect area{0, 0, 8, 4};
    ASSERT_EQ(tex->Blt(nullptr, back, &area), GfxResult::Ok);
    ASSERT_EQ(tex->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], 0xFF00FF00u);
    EXPECT_EQ(lk.pixels[3 * lk.pitch + 7], 0xFF00FF00u);
    tex->Unlock();

    // Overlapping copy within one texture.
    const uint32_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(tex->Upload(row, 8, 8, 1), GfxResult::Ok);
    GfxRect src{0, 0, 6, 1};
    ASSERT_EQ(tex->BltFast(2, 0, tex.get(), &src), GfxResult::Ok);
    ASSERT_EQ(tex->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    const uint32_t want[8] = {1, 2, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::vector<uint32_t>(lk.pixels, lk.pixels + 8), std::vector<uint32_t>(want, want + 8));
    tex->Unlock();

    // A surface without alpha reads 255.
    auto opaque = Texture(2, 1, {0x00112233, 0x80445566}, false);
    ASSERT_EQ(opaque->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[0], 0xFF112233u);
    EXPECT_EQ(lk.pixels[1], 0xFF445566u);
    opaque->Unlock();
}

TEST_F(GfxPixels, WindowedPresentShowsTheBackBufferAsIs)
{
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    GfxSurface* back = display->GetBackBuffer();
    GfxRect tl{0, 0, 10, 10}, br{790, 590, 800, 600};
    back->Fill(nullptr, 0xFF202020);
    back->Fill(&tl, 0xFFFF0000);
    back->Fill(&br, 0xFF0000FF);
    Pump();
    ASSERT_EQ(display->Present(), GfxResult::Ok);
    EXPECT_EQ(display->GetPresentRect(), (GfxRect{0, 0, 800, 600}));
    std::vector<uint32_t> front;
    ASSERT_EQ(display->ReadFront({0, 0, 800, 600}, &front), GfxResult::Ok);
    EXPECT_EQ(front[0], 0xFFFF0000u);                    // the top-left stays on top
    EXPECT_EQ(front[9 * 800 + 9], 0xFFFF0000u);
    EXPECT_EQ(front[10 * 800 + 10], 0xFF202020u);
    EXPECT_EQ(front[599 * 800 + 799], 0xFF0000FFu);
    std::vector<uint32_t> backPx;
    ASSERT_EQ(display->ReadBack({0, 0, 800, 600}, &backPx), GfxResult::Ok);
    EXPECT_EQ(front, backPx);
}

TEST_F(GfxPixels, FullScreenLetterboxesAndMapsTheMouse)
{
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    ASSERT_EQ(display->Create(window, {800, 600, 32, true}), GfxResult::Ok);
    Pump();
    int32_t w = 0, h = 0;
    ASSERT_TRUE(display->GetWindowSize(&w, &h));
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 1024);
    GfxRect picture = display->GetPresentRect();
    EXPECT_EQ(picture, (GfxRect{0, 32, 1280, 992}));

    GfxSurface* back = display->GetBackBuffer();
    back->Fill(nullptr, 0xFF808080);
    GfxRect tl{0, 0, 100, 100}, br{700, 500, 800, 600};
    back->Fill(&tl, 0xFFFF0000);
    back->Fill(&br, 0xFF0000FF);
    ASSERT_EQ(display->Present(), GfxResult::Ok);
    std::vector<uint32_t> front;
    ASSERT_EQ(display->ReadFront({0, 0, 1280, 1024}, &front), GfxResult::Ok);
    auto at = [&](int32_t x, int32_t y) { return front[size_t(y) * 1280 + x]; };
    EXPECT_EQ(at(640, 0), 0xFF000000u);       // bar above
    EXPECT_EQ(at(640, 31), 0xFF000000u);
    EXPECT_EQ(at(640, 992), 0xFF000000u);     // bar below
    EXPECT_EQ(at(640, 1023), 0xFF000000u);
    EXPECT_EQ(at(0, 32), 0xFFFF0000u);        // the picture's corners
    EXPECT_EQ(at(1279, 991), 0xFF0000FFu);
    EXPECT_EQ(at(640, 512), 0xFF808080u);
    // The red block (100 back-buffer pixels) spans 160 window pixels.
    EXPECT_EQ(at(155, 32 + 155), 0xFFFF0000u);
    EXPECT_EQ(at(165, 32 + 50), 0xFF808080u);

    // The mouse mapping agrees with what is shown.
    int32_t x = 0, y = 0;
    EXPECT_TRUE(display->WindowToLogical(155, 32 + 155, &x, &y));
    EXPECT_LT(x, 100);
    EXPECT_LT(y, 100);
    EXPECT_TRUE(display->WindowToLogical(1279, 991, &x, &y));
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);
    EXPECT_FALSE(display->WindowToLogical(640, 5, &x, &y));

    // Back to a window: the picture is unscaled again.
    ASSERT_EQ(display->Create(window, {800, 600, 32, false}), GfxResult::Ok);
    Pump();
    ASSERT_TRUE(display->GetWindowSize(&w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(display->GetPresentRect(), (GfxRect{0, 0, 800, 600}));
}

TEST_F(GfxPixels, FullScreenShowsTheSamePictureAsAWindow)
{
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    Quad(99.5f, 99.5f, 299.5f, 199.5f, 0xFF00FF00);
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    std::vector<uint32_t> windowed;
    ASSERT_EQ(display->ReadBack({0, 0, 800, 600}, &windowed), GfxResult::Ok);
    ASSERT_EQ(display->Create(window, {800, 600, 32, true}), GfxResult::Ok);
    Pump();
    device = display->GetDevice();
    ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
    ASSERT_EQ(device->Clear(GfxClear::Target | GfxClear::ZBuffer, 0xFF000000, 1.0f), GfxResult::Ok);
    ASSERT_EQ(device->SetRenderState(GfxRs::Lighting, 0), GfxResult::Ok);
    Quad(99.5f, 99.5f, 299.5f, 199.5f, 0xFF00FF00);
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    std::vector<uint32_t> full;
    ASSERT_EQ(display->ReadBack({0, 0, 800, 600}, &full), GfxResult::Ok);
    EXPECT_EQ(full, windowed);
}

TEST_F(GfxPixels, CursorIsDrawnOverThePictureNeverIntoTheBackBuffer)
{
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    GfxSurface* back = display->GetBackBuffer();
    back->Fill(nullptr, 0xFF204060);
    // 4x4 cursor: white, with a magenta column that must show the picture.
    std::vector<uint32_t> img(16, 0xFFFFFFFF);
    for (int y = 0; y < 4; ++y)
        img[y * 4 + 3] = 0xFFFF00FF;
    auto cursor = Texture(4, 4, img);
    ASSERT_EQ(display->SetCursorImage(cursor.get(), 2, 2, true), GfxResult::Ok);
    display->SetCursorPosition(100, 50, true);
    ASSERT_EQ(display->Present(), GfxResult::Ok);
    std::vector<uint32_t> front;
    ASSERT_EQ(display->ReadFront({96, 46, 104, 54}, &front), GfxResult::Ok);
    auto at = [&](int32_t x, int32_t y) { return front[size_t(y - 46) * 8 + (x - 96)]; };
    EXPECT_EQ(at(98, 48), 0xFFFFFFFFu);   // the image's top-left: position - hot spot
    EXPECT_EQ(at(100, 50), 0xFFFFFFFFu);
    EXPECT_EQ(at(101, 51), 0xFF204060u);  // the magenta column is see-through
    EXPECT_EQ(at(97, 48), 0xFF204060u);
    EXPECT_EQ(at(98, 52), 0xFF204060u);
    EXPECT_EQ(Pixel(100, 50), 0xFF204060u);   // back buffer untouched

    // A cursor move between frames shows the same frame with the cursor moved.
    display->SetCursorPosition(300, 200, true);
    ASSERT_EQ(display->PresentOnly(), GfxResult::Ok);
    ASSERT_EQ(display->ReadFront({96, 46, 104, 54}, &front), GfxResult::Ok);
    EXPECT_EQ(at(100, 50), 0xFF204060u);
    ASSERT_EQ(display->ReadFront({298, 198, 302, 202}, &front), GfxResult::Ok);
    EXPECT_EQ(front[0], 0xFFFFFFFFu);
    // Hidden, or no image: nothing drawn.
    display->SetCursorPosition(300, 200, false);
    ASSERT_EQ(display->PresentOnly(), GfxResult::Ok);
    ASSERT_EQ(display->ReadFront({298, 198, 302, 202}, &front), GfxResult::Ok);
    EXPECT_EQ(front[0], 0xFF204060u);
    // The image is copied: the texture may go.
    cursor.reset();
    display->SetCursorPosition(300, 200, true);
    ASSERT_EQ(display->PresentOnly(), GfxResult::Ok);
    ASSERT_EQ(display->ReadFront({298, 198, 302, 202}, &front), GfxResult::Ok);
    EXPECT_EQ(front[0], 0xFFFFFFFFu);
    ASSERT_EQ(display->SetCursorImage(nullptr, 0, 0, false), GfxResult::Ok);
    ASSERT_EQ(display->PresentOnly(), GfxResult::Ok);
    ASSERT_EQ(display->ReadFront({298, 198, 302, 202}, &front), GfxResult::Ok);
    EXPECT_EQ(front[0], 0xFF204060u);
}

TEST_F(GfxPixels, CursorScalesWithTheLetterboxedPicture)
{
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    ASSERT_EQ(display->Create(window, {800, 600, 32, true}), GfxResult::Ok);
    Pump();
    display->GetBackBuffer()->Fill(nullptr, 0xFF000000);
    auto cursor = Texture(10, 10, std::vector<uint32_t>(100, 0xFFFFFFFF));
    ASSERT_EQ(display->SetCursorImage(cursor.get(), 0, 0, true), GfxResult::Ok);
    display->SetCursorPosition(400, 300, true);
    ASSERT_EQ(display->Present(), GfxResult::Ok);
    int32_t wx, wy;
    display->LogicalToWindow(400, 300, &wx, &wy);
    std::vector<uint32_t> front;
    ASSERT_EQ(display->ReadFront({wx, wy, wx + 20, wy + 20}, &front), GfxResult::Ok);
    EXPECT_EQ(front[0], 0xFFFFFFFFu);
    EXPECT_EQ(front[14 * 20 + 14], 0xFFFFFFFFu);   // 10 pixels become 16
    EXPECT_EQ(front[19 * 20 + 19], 0xFF000000u);
}

TEST_F(GfxPixels, DisplayModeChangesKeepTheContextAndSurfaces)
{
    auto tex = Texture(2, 2, {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C});
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    ASSERT_EQ(display->Create(window, {640, 480, 32, false}), GfxResult::Ok);
    Pump();
    EXPECT_EQ(display->GetBackBuffer()->Width(), 640u);
    EXPECT_EQ(display->GetDevice()->GetViewport().height, 480);
    GfxLocked lk;
    ASSERT_EQ(tex->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::Ok);
    EXPECT_EQ(lk.pixels[lk.pitch + 1], 0xFF0A0B0Cu);
    tex->Unlock();
    // Releasing the display and destroying it before the surface is safe.
    display.reset();
    EXPECT_EQ(tex->Lock(nullptr, GfxLock::ReadOnly, &lk), GfxResult::NotCreated);
    tex.reset();
}

TEST_F(GfxPixels, InjectedLossReachesTheGlDisplayToo)
{
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    GfxInjectLoseSurfaces();
    EXPECT_EQ(device->BeginScene(), GfxResult::SurfaceLost);
    EXPECT_EQ(display->Present(), GfxResult::SurfaceLost);
    ASSERT_EQ(display->RestoreAllSurfaces(), GfxResult::Ok);
    EXPECT_EQ(device->BeginScene(), GfxResult::Ok);
    GfxInjectResult(GfxOp::Draw, GfxResult::OutOfVideoMemory);
    GfxScreenVertex v[3] = {};
    EXPECT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, v, 3), GfxResult::OutOfVideoMemory);
    EXPECT_EQ(device->EndScene(), GfxResult::Ok);
}

} // namespace

namespace {

TEST_F(GfxPixels, DestroyedWindowLeavesTheDisplayInert)
{
    auto tex = Texture(2, 2, {});
    ASSERT_EQ(device->EndScene(), GfxResult::Ok);
    ASSERT_TRUE(OsDestroyWindow(window));
    EXPECT_EQ(display->Present(), GfxResult::NotCreated);
    EXPECT_EQ(tex->Fill(nullptr, 0), GfxResult::NotCreated);
    int32_t w, h;
    EXPECT_FALSE(display->GetWindowSize(&w, &h));
    EXPECT_EQ(display->GetDesktop().width, 1280);
    ASSERT_EQ(device->BeginScene(), GfxResult::Ok);
    GfxScreenVertex v[3] = {};
    EXPECT_EQ(device->DrawPrimitive(GfxPrimitive::TriangleList, GfxFvf::Screen, v, 3), GfxResult::NotCreated);
    tex.reset();
    display.reset();
}

} // namespace
