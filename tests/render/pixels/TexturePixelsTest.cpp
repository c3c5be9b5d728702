// Textures drawn by the display layer on the GL device under Xvfb: the
// back buffer read back pixel by pixel after turned, scaled, mirrored, cut
// and blended draws, and after drawing into a texture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "render/pixels/PlatformScreen.h"
#include "render/ImageDecode.h"
#include "render/Texture.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;

// "pattern.png": 4 x 2 opaque texels of distinct colours.
const uint32_t kPattern[8] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu,
                              0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu, 0xFF808080u};
// "half.png": 2 x 2 texels of yellow at alpha 0x80.
constexpr uint32_t kHalfYellow = 0x80FFFF00u;

uint32_t Texel(int32_t x, int32_t y)
{
    return kPattern[y * 4 + x];
}

// Stands in for the image decoders: the two images above, laid out as the
// loader lays them out (on a surface of power-of-two size).
bool LoadPattern(TTextureData& data, const TString& file, const TString& mask)
{
    const bool pattern = file == "pattern.png";
    if (!pattern && file != "half.png")
        return false;
    const uint32_t w = pattern ? 4 : 2, h = 2;
    // Both files have an alpha channel.
    if (data.HasFlag(TTextureData::kAlphaFromFile))
        data.SetFlag(TTextureData::kAlpha, true);
    if (!data.CreateSurface(w, h))
        return false;
    data.mWidth = w;
    data.mHeight = h;
    std::vector<uint32_t> pixels(w * h, kHalfYellow);
    if (pattern)
        pixels.assign(kPattern, kPattern + 8);
    if (!data.CopyPixels(w, h, pixels.data()))
        return false;
    data.mFileName = file;
    data.mMaskFileName = mask;
    return true;
}

int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}

class TexturePixels : public PlatformScreenTest {
protected:
    TexturePixels() : PlatformScreenTest("texturepixels") {}

    void SetUp() override
    {
        SetTextureLoader(LoadPattern);
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Textures", false));
        Clear(kBlack);
    }

    void TearDown() override
    {
        CloseScreen();
        SetTextureLoader(nullptr);
    }


    // One 2D pass with point sampling, so that texels land whole.
    template <class F>
    void Draw2d(F draw)
    {
        ASSERT_TRUE(Renderer().BeginDraw(false));
        ASSERT_TRUE(Renderer().Begin2d());
        Renderer().SetTextureFilter(0);
        draw();
        Renderer().End2d();
        Renderer().EndDraw(false);
        ReadScreen();
    }

    uint32_t Pixel(int32_t x, int32_t y) const
    {
        size_t at = size_t(y) * 800 + size_t(x);
        return at < mScreen.size() ? mScreen[at] | 0xFF000000u : 0;
    }

    // Bounding box of the pixels that differ from the background.
    TRect Covered(uint32_t background = kBlack) const
    {
        TRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
        for (int32_t y = 0; y < 600; ++y) {
            for (int32_t x = 0; x < 800; ++x) {
                if (Pixel(x, y) == background)
                    continue;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
        return box.left == INT32_MAX ? TRect() : box;
    }
};

TEST_F(TexturePixels, PlacedTurnedScaledMirroredAndCutTexelsLandOnTheirPixels)
{
    TTextureRef texture = TTexture::Get("pattern.png", 0);
    ASSERT_TRUE(texture);
    // Where texel (i, j) of the 4 x 2 image lands, per draw; each draw
    // alone on a black screen.
    struct Case {
        const char* what;
        float x, y, scale, angle;
        uint32_t flags;
        int32_t source[4];
        TRect covered;
        int32_t (*px)(int32_t i, int32_t j); // pixel x of the texel (scale 1)
        int32_t (*py)(int32_t i, int32_t j);
    };
    const Case cases[] = {
        {"by its top-left corner", 200, 100, 1, 0, kDrawAtOrigin, {}, TRect(200, 100, 204, 102),
         [](int32_t i, int32_t) { return 200 + i; }, [](int32_t, int32_t j) { return 100 + j; }},
        {"centred", 200, 100, 1, 0, 0, {}, TRect(198, 99, 202, 101),
         [](int32_t i, int32_t) { return 198 + i; }, [](int32_t, int32_t j) { return 99 + j; }},
        {"turned a quarter", 300, 100, 1, float(M_PI) / 2, kDrawAtOrigin, {}, TRect(298, 100, 300, 104),
         [](int32_t, int32_t j) { return 299 - j; }, [](int32_t i, int32_t) { return 100 + i; }},
        {"turned half", 300, 100, 1, float(M_PI), kDrawAtOrigin, {}, TRect(296, 98, 300, 100),
         [](int32_t i, int32_t) { return 299 - i; }, [](int32_t, int32_t j) { return 99 - j; }},
        {"mirrored", 400, 100, 1, 0, kDrawAtOrigin | kDrawMirrorX, {}, TRect(400, 100, 404, 102),
         [](int32_t i, int32_t) { return 403 - i; }, [](int32_t, int32_t j) { return 100 + j; }},
        {"flipped", 400, 100, 1, 0, kDrawAtOrigin | kDrawMirrorY, {}, TRect(400, 100, 404, 102),
         [](int32_t i, int32_t) { return 400 + i; }, [](int32_t, int32_t j) { return 101 - j; }},
        {"source rectangle", 500, 100, 1, 0, kDrawAtOrigin | kDrawSourceRect, {1, 0, 3, 2},
         TRect(500, 100, 502, 102), [](int32_t i, int32_t) { return 499 + i; },
         [](int32_t, int32_t j) { return 100 + j; }},
    };
    for (const Case& c : cases) {
        Clear(kBlack);
        Draw2d([&] {
            TDrawParams params(TVec2(c.x, c.y), 1.0f, c.scale, c.flags);
            params.transform.Rotate(c.angle);
            std::copy(c.source, c.source + 4, params.sourceRect);
            texture->Draw(params);
        });
        EXPECT_EQ(Covered(), c.covered) << c.what;
        const bool cut = c.flags & kDrawSourceRect;
        for (int32_t j = 0; j < 2; ++j)
            for (int32_t i = cut ? 1 : 0; i < (cut ? 3 : 4); ++i)
                EXPECT_EQ(Pixel(c.px(i, j), c.py(i, j)), Texel(i, j)) << c.what << " texel " << i << "," << j;
    }

    // Twice the size: each texel covers 2 x 2 pixels.
    Clear(kBlack);
    Draw2d([&] { texture->Draw(600, 100, 1.0f, 2.0f, 0.0f, kDrawAtOrigin); });
    EXPECT_EQ(Covered(), TRect(600, 100, 608, 104));
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(Pixel(600 + x, 100 + y), Texel(x / 2, y / 2)) << x << "," << y;
}

TEST_F(TexturePixels, AlphaBlendsOverTheBackground)
{
    // Red background. The yellow texels at alpha 0.5 loaded as opaque first
    // (the same key serves both until the texture dies): they cover.
    TTextureRef opaque = TTexture::Get("half.png", TTexture::kGetOpaque);
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->HasAlpha());
    Clear(kRed);
    Draw2d([&] { opaque->Draw(300, 100, 1.0f, 1.0f, 0.0f, kDrawAtOrigin); });
    EXPECT_EQ(Pixel(300, 100), 0xFFFFFF00u);
    EXPECT_EQ(Pixel(301, 101), 0xFFFFFF00u);
    opaque.reset();

    // Then with their alpha, and an opaque pattern at draw alpha 0.5.
    TTextureRef half = TTexture::Get("half.png", 0);
    TTextureRef pattern = TTexture::Get("pattern.png", 0);
    ASSERT_TRUE(half && pattern);
    EXPECT_TRUE(half->HasAlpha());
    Clear(kRed);
    Draw2d([&] {
        half->Draw(100, 100, 1.0f, 1.0f, 0.0f, kDrawAtOrigin);
        pattern->Draw(200, 100, 0.5f, 1.0f, 0.0f, kDrawAtOrigin);
    });
    struct Probe {
        int32_t x, y;
        uint32_t want;
    } probes[] = {
        {100, 100, 0xFFFF8000u}, // yellow at half over red
        {101, 101, 0xFFFF8000u},
        {201, 100, 0xFF808000u}, // green at half over red
        {202, 100, 0xFF800080u}, // blue at half over red
        {203, 101, 0xFFC04040u}, // grey 0x80 at half over red
        {102, 100, kRed},        // beside the draws
    };
    for (const Probe& p : probes)
        EXPECT_LE(Distance(Pixel(p.x, p.y), p.want), 2)
            << p.x << "," << p.y << " got " << std::hex << Pixel(p.x, p.y);
}

// The game's own picture (the window icon, a 48 x 48 PNG with soft alpha
// edges) found in the assets folder, decoded and drawn by the texture path:
// every pixel is the file's texel blended over the grey background.
TEST_F(TexturePixels, AnImageInTheAssetsFolderDrawsAsItsFileDecodes)
{
    SetTextureLoader(nullptr); // the image decoders
    RegisterAssetFile("icon.png", QUILLORY_SOURCE_DIR "/assets/icon.png");
    TTextureRef icon = TTexture::Get("icon", 0); // found as icon.png
    ASSERT_TRUE(icon);
    ASSERT_EQ(icon->GetWidth(), 48u);
    EXPECT_TRUE(icon->HasAlpha());
    TDecodedImage file;
    ASSERT_TRUE(DecodePng("icon.png", file));

    const uint32_t grey = 0xFF404040u;
    Clear(grey);
    Draw2d([&] { icon->Draw(300, 200, 1.0f, 1.0f, 0.0f, kDrawAtOrigin); });
    int wrong = 0;
    TRect shown(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN); // texels not fully transparent
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 48; ++x) {
            uint32_t texel = file.pixels[size_t(y) * file.side + size_t(x)];
            uint32_t a = texel >> 24, want = 0xFF000000u;
            if (a > 0)
                shown = TRect(std::min(shown.left, 300 + x), std::min(shown.top, 200 + y),
                              std::max(shown.right, 301 + x), std::max(shown.bottom, 201 + y));
            for (int s = 0; s < 24; s += 8) {
                uint32_t over = (texel >> s) & 0xFF, under = (grey >> s) & 0xFF;
                want |= ((over * a + under * (255 - a) + 127) / 255) << s;
            }
            wrong += Distance(Pixel(300 + x, 200 + y), want) > 2;
        }
    }
    FreeImage(file.pixels);
    EXPECT_EQ(wrong, 0);
    // Nothing beside the picture changed.
    const TRect covered = Covered(grey);
    EXPECT_TRUE(covered.left >= shown.left && covered.top >= shown.top && covered.right <= shown.right &&
                covered.bottom <= shown.bottom);
    EXPECT_GT(covered.Width(), 40);
}

class RenderToTexturePixels : public TexturePixels {
protected:
    // One pass into target with option mode; draw runs inside its 2D pass.
    template <class F>
    void DrawInto(const TTextureRef& target, int32_t mode, F draw)
    {
        ASSERT_TRUE(Renderer().BeginRenderToTexture(target, mode));
        ASSERT_TRUE(Renderer().Begin2d());
        Renderer().SetTextureFilter(0);
        draw();
        Renderer().End2d();
        Renderer().EndRenderToTexture();
    }

    uint32_t TexturePixel(const TTextureRef& texture, uint32_t x, uint32_t y)
    {
        uint32_t* pixels = nullptr;
        uint32_t pitch = 0;
        if (!texture->Lock(pixels, pitch))
            return 0xDEADBEEFu;
        uint32_t value = pixels[size_t(y) * pitch + x];
        texture->Unlock();
        return value;
    }
};

TEST_F(RenderToTexturePixels, OpaqueModesCopyThePictureAndDrawBackWhole)
{
    TTextureRef pattern = TTexture::Get("pattern.png", 0);
    ASSERT_TRUE(pattern);
    for (int32_t mode : {0, 1}) {
        // Green over the left half, grey over the right, the pattern at (4, 2).
        TTextureRef target = TTexture::CreateRenderTarget(32, 8, true);
        ASSERT_TRUE(target);
        Clear(kRed);
        DrawInto(target, mode, [&] {
            const float green[4] = {0, 1, 0, 1}, grey[4] = {0.5f, 0.5f, 0.5f, 1};
            Renderer().FillRect(TRect(0, 0, 16, 8), green);
            Renderer().FillRect(TRect(16, 0, 32, 8), grey);
            pattern->Draw(4, 2, 1.0f, 1.0f, 0.0f, kDrawAtOrigin);
        });
        EXPECT_EQ(TexturePixel(target, 0, 0), 0xFF00FF00u) << "mode " << mode;
        EXPECT_EQ(TexturePixel(target, 5, 3), Texel(1, 1)) << "mode " << mode;
        EXPECT_LE(Distance(TexturePixel(target, 20, 4), 0xFF808080u), 1) << "mode " << mode;
        EXPECT_EQ(TexturePixel(target, 20, 4) >> 24, 0xFFu) << "mode " << mode;

        // Drawn over a blue screen: the picture, opaque.
        Clear(0xFF0000FFu);
        Draw2d([&] { target->Draw(100, 200, 1.0f, 1.0f, 0.0f, kDrawAtOrigin); });
        EXPECT_EQ(Covered(0xFF0000FFu), TRect(100, 200, 132, 208)) << "mode " << mode;
        EXPECT_EQ(Pixel(100, 200), 0xFF00FF00u) << "mode " << mode;
        for (int32_t j = 0; j < 2; ++j)
            for (int32_t i = 0; i < 4; ++i)
                EXPECT_EQ(Pixel(104 + i, 202 + j), Texel(i, j)) << "mode " << mode << " texel " << i << "," << j;
        EXPECT_LE(Distance(Pixel(125, 205), 0xFF808080u), 1) << "mode " << mode;
    }
}

TEST_F(RenderToTexturePixels, TheAlphaMaskModeTurnsWhatIsDrawnIntoAlpha)
{
    // The target keeps its own colour (blue); the alpha of what the pass
    // draws becomes its alpha: the opaque pattern full, the half-transparent
    // yellow (four times its size) half, the rest nothing.
    TTextureRef pattern = TTexture::Get("pattern.png", 0);
    TTextureRef half = TTexture::Get("half.png", 0);
    TTextureRef target = TTexture::CreateRenderTarget(32, 8, true);
    ASSERT_TRUE(pattern && half && target);
    const float blue[4] = {0, 0, 1, 1};
    Renderer().FillRect(TRect(0, 0, 32, 8), blue, target);
    Clear(kRed);
    DrawInto(target, 4, [&] {
        pattern->Draw(4, 2, 1.0f, 1.0f, 0.0f, kDrawAtOrigin);
        half->Draw(16, 0, 1.0f, 4.0f, 0.0f, kDrawAtOrigin);
    });
    EXPECT_EQ(TexturePixel(target, 0, 0), 0x000000FFu);
    EXPECT_EQ(TexturePixel(target, 5, 2), 0xFF0000FFu);
    EXPECT_EQ(TexturePixel(target, 7, 3), 0xFF0000FFu);
    EXPECT_LE(std::abs(int(TexturePixel(target, 20, 4) >> 24) - 0x80), 1);
    EXPECT_EQ(TexturePixel(target, 20, 4) & 0xFFFFFFu, 0x0000FFu);
    EXPECT_EQ(TexturePixel(target, 28, 4), 0x000000FFu);

    // Over a red screen: red where the mask is clear, blue where it is
    // full, half and half under the yellow.
    Draw2d([&] { target->Draw(100, 200, 1.0f, 1.0f, 0.0f, kDrawAtOrigin); });
    EXPECT_EQ(Pixel(100, 200), kRed);
    EXPECT_EQ(Pixel(105, 203), 0xFF0000FFu);
    EXPECT_EQ(Pixel(108, 203), kRed);
    EXPECT_LE(Distance(Pixel(120, 204), 0xFF7F0080u), 2) << std::hex << Pixel(120, 204);
}

} // namespace
