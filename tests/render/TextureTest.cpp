// Textures: the makers' keys and sharing, the quad a draw makes (on the
// recording device), blits, and the part textures take in a device restore.
#include "DisplayFixture.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

#include "os/gfx/GfxSurface.h"
#include "platform/AssetMap.h"
#include "render/Renderer.h"
#include "render/TestTexture.h"
#include "render/Texture.h"
#include "support/HeadlessDisplay.h"

namespace {

// Image "files" the fake loader knows, by name with slashes: size and a
// seed that the texels carry in their blue byte.
struct FakeFile {
    uint32_t width, height;
    uint32_t seed;
};
std::map<std::string, FakeFile> gFiles;
// Each load: "file|mask|data flags" (the name as the maker passed it).
std::vector<std::string> gLoads;

constexpr uint32_t kPadding = 0xFFFF00FFu;

uint32_t Texel(uint32_t x, uint32_t y, uint32_t seed)
{
    return 0xFF000000u | ((x * 16 + 8) & 0xFFu) << 16 | ((y * 16 + 8) & 0xFFu) << 8 | (seed & 0xFFu);
}

uint32_t PowerOfTwo(uint32_t v)
{
    uint32_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

// Lays the image out as the real loader does (square buffer of the next
// power of two, image at the top-left, surface height rounded up), with the
// unused part of the buffer magenta so that reading it shows.
bool FakeLoad(TTextureData& data, const TString& file, const TString& mask)
{
    std::string name = file.c_str();
    gLoads.push_back(name + "|" + mask.c_str() + "|" + std::to_string(data.mFlags));
    for (char& c : name)
        c = c == '\\' ? '/' : c;
    auto found = gFiles.find(name);
    if (found == gFiles.end())
        return false;
    const FakeFile& f = found->second;
    const uint32_t side = PowerOfTwo(std::max(f.width, f.height));
    const uint32_t rows = PowerOfTwo(f.height);
    if (!data.CreateSurface(side, rows))
        return false;
    data.mPaddingX = int32_t((side - f.width) / 2);
    data.mPaddingY = int32_t((rows - f.height) / 2);
    data.mWidth = f.width;
    data.mHeight = f.height;
    std::vector<uint32_t> pixels(size_t(side) * rows, kPadding);
    for (uint32_t y = 0; y < f.height; ++y)
        for (uint32_t x = 0; x < f.width; ++x)
            pixels[size_t(y) * side + x] = Texel(x, y, f.seed);
    if (!data.CopyPixels(side, rows, pixels.data()))
        return false;
    data.mFileName = file;
    data.mMaskFileName = mask;
    return true;
}

uint32_t PixelAt(const TTextureRef& texture, uint32_t x, uint32_t y)
{
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (!texture->Lock(pixels, pitch))
        return 0xDEADBEEFu;
    uint32_t value = pixels[size_t(y) * pitch + x];
    texture->Unlock();
    return value;
}

class TextureTest : public DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
        TRenderer::Shutdown();
        InstallPlatformRenderDevice();
        gFiles = {{"ui/b.png", {6, 4, 1}}, {"ui/c.png", {6, 4, 2}}, {"ui/big.png", {300, 200, 3}}};
        gLoads.clear();
        SetTextureLoader(FakeLoad);
        GfxRecordingLog().Clear();
    }

    void TearDown() override
    {
        TRenderer::Shutdown();
        SetTextureLoader(nullptr);
        DisplayFixture::TearDown();
    }

    TRenderer& Renderer() { return *TRenderer::Get(); }

    // Frames drawn so that the working count allows a surface restore.
    void DrawFrames(int count)
    {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(Renderer().BeginDraw(false));
            Renderer().EndDraw(true);
        }
    }
};

std::string FormatKey(const void* texture)
{
    char key[64];
    std::snprintf(key, sizeof key, "%" PRIxPTR ":tex:r", reinterpret_cast<uintptr_t>(texture));
    return key;
}

TEST_F(TextureTest, EachMakerRegistersUnderItsKeyWithItsDataFlags)
{
    using D = TTextureData;
    struct Case {
        std::function<TTextureRef()> make;
        std::string key;
        uint8_t flags;    // data flags at load time
        std::string load; // what the loader got
    };
    const std::vector<Case> cases = {
        {[] { return TTexture::Get("ui\\b.png", 2); }, "ui/b.png:a:tex", D::kAlpha, "ui\\b.png|"},
        {[] { return TTexture::Get("ui/b.png", 0); }, "ui/b.png:tex", D::kAlphaFromFile, "ui/b.png|"},
        {[] { return TTexture::Get("ui/b.png", 1); }, "ui/b.png:m:tex", D::kAlphaFromFile | D::kMipmap, "ui/b.png|"},
        {[] { return TTexture::Get("ui/b.png", 3); }, "ui/b.png:a:m:tex", D::kAlpha | D::kMipmap, "ui/b.png|"},
        {[] { return TTexture::Get("ui/c.png", 4); }, "ui/c.png:tex", 0, "ui/c.png|"},
        {[] { return TTexture::GetCursorTexture("ui\\b.png"); }, "ui/b.png:s:tex", D::kSimple | D::kAlphaFromFile,
         "ui\\b.png|"},
        // The masked key keeps the names as given.
        {[] { return TTexture::GetMasked("ui\\b.png", "ui/m.png", 0); }, "ui\\b.png:ui/m.png:tex", D::kAlpha,
         "ui\\b.png|ui/m.png"},
        {[] { return TTexture::GetMasked("ui/b.png", "ui/m.png", 1); }, "ui/b.png:ui/m.png:m:tex",
         D::kAlpha | D::kMipmap, "ui/b.png|ui/m.png"},
    };
    std::vector<TTextureRef> made;
    for (const Case& c : cases) {
        gLoads.clear();
        TTextureRef texture = c.make();
        ASSERT_TRUE(texture) << c.key;
        EXPECT_EQ(assets->Find(c.key.c_str()), texture) << c.key;
        EXPECT_EQ(gLoads, std::vector<std::string>{c.load + "|" + std::to_string(c.flags)}) << c.key;
        for (const TTextureRef& other : made)
            EXPECT_NE(other, texture) << c.key;
        made.push_back(texture);
    }
    EXPECT_EQ(assets->GetEntryCount(), cases.size());

    // Backslashes and slashes give one texture.
    gLoads.clear();
    EXPECT_EQ(TTexture::Get("ui/b.png", 2), made[0]);
    EXPECT_EQ(TTexture::Get("ui\\b.png", 1), made[2]);
    EXPECT_TRUE(gLoads.empty());

    EXPECT_STREQ(made[0]->GetClassName(), "TTexture");
    EXPECT_TRUE(made[0]->IsKindOf(TTexture::ClassId));
    EXPECT_TRUE(made[0]->IsKindOf(TAsset::ClassId));
    EXPECT_FALSE(made[0]->IsKindOf(&gFiles));
}

TEST_F(TextureTest, RenderTargetsAreRegisteredByAddressUntilTheyDie)
{
    TTextureRef kept = TTexture::CreateRenderTarget(8, 8, false);
    TTextureRef target = TTexture::CreateRenderTarget(20, 10, true);
    ASSERT_TRUE(target);
    const std::string key = FormatKey(target.get());
    EXPECT_EQ(TString(key.c_str()), target->RenderTargetKey());
    EXPECT_EQ(assets->Find(key.c_str()), target);
    EXPECT_EQ(assets->GetEntryCount(), 2u);
    EXPECT_TRUE(target->HasAlpha());
    EXPECT_FALSE(kept->HasAlpha());
    ASSERT_NE(TestTextureData(target)->GetSurface(), nullptr) << "made at once";
    EXPECT_EQ(target->GetWidth(), 20u);
    EXPECT_EQ(target->GetHeight(), 10u);
    EXPECT_TRUE(target->GetData()->mFileName.IsEmpty());

    // Destroyed: its entry goes, the other target's stays.
    target.reset();
    EXPECT_EQ(assets->GetEntryCount(), 1u);
    EXPECT_EQ(assets->Find(kept->RenderTargetKey()), kept);

    // A surface that cannot be made: nothing, and nothing registered.
    GfxInjectResult(GfxOp::CreateSurface, GfxResult::Failed, 4);
    EXPECT_FALSE(TTexture::CreateRenderTarget(16, 16, true));
    EXPECT_FALSE(TTexture::CreateRenderTarget(0, 16, true));
    EXPECT_EQ(assets->GetEntryCount(), 1u);
}

TEST_F(TextureTest, ALiveTextureIsReturnedAsItIsAndADeadOneIsLoadedAgain)
{
    TTextureRef first = TTexture::Get("ui/b.png", 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(TTexture::Get("ui/b.png", 0), first);
    // Opaque asked for, but the key is the same: the live texture, as it is.
    EXPECT_EQ(TTexture::Get("ui/b.png", 4), first);
    EXPECT_TRUE(first->GetData()->HasFlag(TTextureData::kAlphaFromFile));
    EXPECT_EQ(gLoads.size(), 1u);

    // Once nothing holds it, the name loads again into a new texture.
    first.reset();
    gFiles["ui/b.png"].seed = 9;
    TTextureRef again = TTexture::Get("ui/b.png", 0);
    ASSERT_TRUE(again);
    EXPECT_EQ(gLoads.size(), 2u);
    EXPECT_EQ(assets->Find("ui/b.png:tex"), again);
    EXPECT_EQ(PixelAt(again, 1, 2), Texel(1, 2, 9));

    // A failed load: empty, and nothing registered.
    EXPECT_FALSE(TTexture::Get("ui/none.png", 2));
    EXPECT_FALSE(TTexture::GetMasked("ui/none.png", "ui/m.png", 0));
    EXPECT_FALSE(TTexture::GetCursorTexture("ui/none.png"));
    EXPECT_FALSE(assets->Find("ui/none.png:a:tex"));
    EXPECT_EQ(assets->GetEntryCount(), 1u);

    // Without an asset manager textures still load, unshared.
    SetAssetManager(nullptr);
    TTextureRef a = TTexture::Get("ui/c.png", 0);
    TTextureRef b = TTexture::Get("ui/c.png", 0);
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    EXPECT_TRUE(TTexture::CreateRenderTarget(4, 4, false));
    SetAssetManager(assets.get());
}

TEST_F(TextureTest, AnAssetMapFindsTexturesByName)
{
    RegisterTextureAssetLoader();
    {
        TAssetMap map;
        std::shared_ptr<TAsset> asset = map.GetAsset("ui\\b.png");
        ASSERT_TRUE(asset);
        EXPECT_TRUE(asset->IsKindOf(TTexture::ClassId));
        EXPECT_EQ(asset, TTexture::Get("ui/b.png", 0));
        EXPECT_EQ(gLoads.size(), 1u);
        EXPECT_FALSE(map.GetAsset("ui/none.png"));
    }
    TAssetMap::ClearLoaders();
}

TEST_F(TextureTest, SurfaceSizeIsTheImagePlusItsPaddingRoundedUpToEven)
{
    struct Case {
        uint32_t width, height;
        int32_t padX, padY;
        uint32_t wantW, wantH;
    } cases[] = {
        {300, 200, 106, 28, 512, 256},
        {300, 200, 106, 156, 512, 512},
        {3, 5, 0, 0, 4, 6},
        {5, 3, 1, 2, 8, 8},
        {0, 0, 0, 0, 0, 0},
    };
    TTexture texture;
    for (const Case& c : cases) {
        texture.GetData()->mWidth = c.width;
        texture.GetData()->mHeight = c.height;
        texture.GetData()->mPaddingX = c.padX;
        texture.GetData()->mPaddingY = c.padY;
        uint32_t w = 1, h = 1;
        texture.GetSurfaceSize(w, h);
        EXPECT_EQ(w, c.wantW) << c.width << "x" << c.height;
        EXPECT_EQ(h, c.wantH) << c.width << "x" << c.height;
    }
    // As loaded.
    TTextureRef big = TTexture::Get("ui/big.png", 0);
    ASSERT_TRUE(big);
    uint32_t w = 0, h = 0;
    big->GetSurfaceSize(w, h);
    EXPECT_EQ(w, 512u);
    EXPECT_EQ(h, 256u);
}

// The four vertices of the last draw: position and texture coordinates.
struct Corner {
    float x, y, u, v;
};

std::vector<Corner> LastQuad()
{
    const auto& draws = GfxRecordingLog().draws;
    if (draws.empty())
        return {};
    const GfxDrawRecord& d = draws.back();
    std::vector<Corner> out;
    for (uint32_t i = 0; i < d.vertexCount; ++i)
        out.push_back({d.Float(i, 0), d.Float(i, 4), d.Float(i, 24), d.Float(i, 28)});
    return out;
}

TEST_F(TextureTest, DrawPlacesMirrorsAndCutsTheQuad)
{
    // A 6x4 image on an 8x4 surface, drawn at (100, 50).
    TTextureRef texture = TTexture::Get("ui/b.png", 2);
    ASSERT_TRUE(texture);
    const GfxSurface* surface = TestTextureData(texture)->GetSurface();
    struct Case {
        const char* what;
        uint32_t flags;
        TVec2 origin;
        int32_t source[4];
        float xy[4][2];   // corners 0..3
        float uv[2][2];   // left/top, right/bottom
    };
    const Case cases[] = {
        {"centred", 0, {}, {}, {{97, 48}, {103, 48}, {103, 52}, {97, 52}}, {{0, 0}, {0.75f, 1}}},
        {"top-left at the position", 8, {}, {}, {{100, 50}, {106, 50}, {106, 54}, {100, 54}}, {{0, 0}, {0.75f, 1}}},
        {"origin point at the position", 8, {2, 1}, {}, {{98, 49}, {104, 49}, {104, 53}, {98, 53}},
         {{0, 0}, {0.75f, 1}}},
        {"mirrored", 1, {}, {}, {{103, 48}, {97, 48}, {97, 52}, {103, 52}}, {{0, 0}, {0.75f, 1}}},
        {"flipped", 2, {}, {}, {{97, 52}, {103, 52}, {103, 48}, {97, 48}}, {{0, 0}, {0.75f, 1}}},
        {"mirrored and flipped", 3, {}, {}, {{103, 52}, {97, 52}, {97, 48}, {103, 48}}, {{0, 0}, {0.75f, 1}}},
        {"source rectangle", 4, {}, {2, 1, 5, 3}, {{98.5f, 49}, {101.5f, 49}, {101.5f, 51}, {98.5f, 51}},
         {{0.25f, 0.25f}, {0.625f, 0.75f}}},
        {"source rectangle by origin", 12, {1, 1}, {2, 1, 5, 3}, {{99, 49}, {102, 49}, {102, 51}, {99, 51}},
         {{0.25f, 0.25f}, {0.625f, 0.75f}}},
    };
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin2d());
    for (const Case& c : cases) {
        TDrawParams params(TVec2(100, 50), 1.0f, 1.0f, c.flags);
        params.origin = c.origin;
        std::copy(c.source, c.source + 4, params.sourceRect);
        GfxRecordingLog().draws.clear();
        texture->Draw(params);
        ASSERT_EQ(GfxRecordingLog().draws.size(), 1u) << c.what;
        const GfxDrawRecord& d = GfxRecordingLog().draws[0];
        EXPECT_EQ(d.primitive, GfxPrimitive::TriangleFan) << c.what;
        EXPECT_EQ(d.state.texture, surface) << c.what;
        EXPECT_EQ(d.Word(0, 16), 0xFFFFFFFFu) << c.what;
        std::vector<Corner> quad = LastQuad();
        ASSERT_EQ(quad.size(), 4u);
        // Corner i takes (left|right, top|bottom) texture coordinates.
        const int uSide[4] = {0, 1, 1, 0}, vSide[4] = {0, 0, 1, 1};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(quad[i].x, c.xy[i][0]) << c.what << " corner " << i;
            EXPECT_FLOAT_EQ(quad[i].y, c.xy[i][1]) << c.what << " corner " << i;
            EXPECT_FLOAT_EQ(quad[i].u, c.uv[uSide[i]][0]) << c.what << " corner " << i;
            EXPECT_FLOAT_EQ(quad[i].v, c.uv[vSide[i]][1]) << c.what << " corner " << i;
        }
    }

    // Turned a quarter (clockwise on the screen), twice the size, half
    // transparent, by its top-left corner.
    GfxRecordingLog().draws.clear();
    texture->Draw(100, 50, 0.5f, 2.0f, float(M_PI) / 2, kDrawAtOrigin);
    std::vector<Corner> quad = LastQuad();
    ASSERT_EQ(quad.size(), 4u);
    const float want[4][2] = {{100, 50}, {100, 62}, {92, 62}, {92, 50}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(quad[i].x, want[i][0], 1e-4) << "corner " << i;
        EXPECT_NEAR(quad[i].y, want[i][1], 1e-4) << "corner " << i;
    }
    EXPECT_EQ(GfxRecordingLog().draws[0].Word(0, 16), 0x7FFFFFFFu);
    Renderer().End2d();
    Renderer().EndDraw(false);
}

TEST_F(TextureTest, NothingIsDrawnOutsideA2dPassOrWithoutASurface)
{
    TTextureRef texture = TTexture::Get("ui/b.png", 0);
    ASSERT_TRUE(texture);
    ASSERT_TRUE(Renderer().BeginDraw(false));
    texture->Draw(TDrawParams(TVec2(10, 10), 1, 1, 0));
    texture->Draw(10, 10, 1, 1, 0, 0);
    ASSERT_TRUE(Renderer().Begin3d());
    texture->Draw(TDrawParams(TVec2(10, 10), 1, 1, 0));
    Renderer().End3d();

    ASSERT_TRUE(Renderer().Begin2d());
    MakeEmptyTestTexture()->Draw(TDrawParams(TVec2(10, 10), 1, 1, 0));
    TTexture unshared; // not held by a reference: the renderer could not hold it
    unshared.GetData()->mSurfaceWidth = unshared.GetData()->mSurfaceHeight = 4;
    unshared.Draw(10, 10, 1, 1, 0, 0);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    texture->Draw(10, 10, 1, 1, 0, 0);
    EXPECT_EQ(GfxRecordingLog().draws.size(), 1u);
    Renderer().End2d();
    Renderer().EndDraw(false);
    EXPECT_EQ(mLog->Count("DrawVertices called when not in Begin2d or Begin3d state"), 0);
}

TEST_F(TextureTest, BlitsWaitForTheFrameToEndAndStayInsideTheImage)
{
    // A 6x4 image whose 8x4 surface is magenta beyond the image.
    TTextureRef source = TTexture::Get("ui/b.png", 0);
    ASSERT_TRUE(source);
    TTextureRef target = MakeTestTexture(8, 8, 0xFF000000u);
    TTextureRef other = TTexture::CreateRenderTarget(8, 8, false);
    ASSERT_TRUE(other);

    ASSERT_TRUE(Renderer().BeginDraw(false));
    EXPECT_FALSE(source->Blit(0, 0, nullptr, target));
    Renderer().EndDraw(false);
    ASSERT_TRUE(Renderer().BeginRenderToTexture(other, 0));
    EXPECT_FALSE(source->Blit(0, 0, nullptr, target));
    Renderer().EndRenderToTexture();
    EXPECT_EQ(PixelAt(target, 0, 0), 0xFF000000u) << "nothing copied while drawing";

    // A rectangle reaching beyond the image on every side is cut to it.
    const TRect wide(-2, -2, 100, 100);
    EXPECT_TRUE(source->Blit(1, 1, &wide, target));
    EXPECT_EQ(PixelAt(target, 1, 1), Texel(0, 0, 1));
    EXPECT_EQ(PixelAt(target, 6, 4), Texel(5, 3, 1));
    EXPECT_EQ(PixelAt(target, 7, 1), 0xFF000000u) << "the surface's padding is not copied";
    EXPECT_EQ(PixelAt(target, 0, 0), 0xFF000000u);
    EXPECT_EQ(PixelAt(target, 1, 5), 0xFF000000u);

    // Without a rectangle: the whole image.
    ASSERT_TRUE(target->Clear());
    EXPECT_TRUE(source->Blit(2, 0, nullptr, target));
    EXPECT_EQ(PixelAt(target, 7, 3), Texel(5, 3, 1));
    EXPECT_EQ(PixelAt(target, 1, 0), 0u);
}

TEST_F(TextureTest, DeviceLossReleasesAndRestoresFileTexturesAndRenderTargets)
{
    TTextureRef image = TTexture::Get("ui/b.png", 0);
    TTextureRef target = TTexture::CreateRenderTarget(20, 10, true);
    ASSERT_TRUE(image && target);
    const float white[4] = {1, 1, 1, 1};
    Renderer().FillRect(TRect(0, 0, 20, 10), white, target);
    ASSERT_EQ(PixelAt(target, 3, 3), 0xFFFFFFFFu);
    const uint64_t bytes = Data().mTextureMemory;
    const std::string imageSurface = SurfaceName(TestTextureData(image)->GetSurface());
    const std::string targetSurface = SurfaceName(TestTextureData(target)->GetSurface());

    // Released: the surfaces are gone and no longer counted.
    assets->ReleaseAll();
    EXPECT_EQ(TestTextureData(image)->GetSurface(), nullptr);
    EXPECT_EQ(TestTextureData(target)->GetSurface(), nullptr);
    EXPECT_EQ(Data().mTextureMemory, bytes - 8 * 4 * 4 - 20 * 10 * 4);
    platform->RestoreAssets();
    EXPECT_EQ(Data().mTextureMemory, bytes);

    // The device loses its surfaces: the frame's restore rebuilds them,
    // the image from its file (changed meanwhile), the target empty.
    DrawFrames(3);
    gLoads.clear();
    gFiles["ui/b.png"].seed = 7;
    Renderer().FillRect(TRect(0, 0, 20, 10), white, target);
    GfxInjectLoseSurfaces();
    ASSERT_TRUE(Renderer().BeginDraw(false));
    Renderer().EndDraw(false);
    EXPECT_EQ(GfxCallCount(GfxOp::RestoreAllSurfaces), 1u);
    EXPECT_EQ(gLoads, std::vector<std::string>{"ui/b.png||" + std::to_string(TTextureData::kAlphaFromFile)});
    ASSERT_NE(TestTextureData(image)->GetSurface(), nullptr);
    EXPECT_NE(SurfaceName(TestTextureData(image)->GetSurface()), imageSurface);
    EXPECT_EQ(PixelAt(image, 2, 3), Texel(2, 3, 7));
    ASSERT_NE(TestTextureData(target)->GetSurface(), nullptr);
    EXPECT_NE(SurfaceName(TestTextureData(target)->GetSurface()), targetSurface);
    EXPECT_EQ(TestTextureData(target)->GetSurface()->Width(), 20u);
    EXPECT_EQ(PixelAt(target, 3, 3), 0u);
    EXPECT_EQ(Data().mTextureMemory, bytes);
    EXPECT_EQ(assets->Find(target->RenderTargetKey()), target);
}

} // namespace
