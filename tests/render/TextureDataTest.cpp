#include "DisplayFixture.h"

#include "os/gfx/GfxSurface.h"
#include "render/TestTexture.h"
#include "render/TextureData.h"

namespace {

class TextureDataTest : public DisplayFixture {
protected:
    void SetUp() override
    {
        DisplayFixture::SetUp();
        platform->SetDisplay(800, 600, false, false, false, false);
        ASSERT_TRUE(platform->IsDeviceReady());
    }

    void TearDown() override
    {
        SetTextureLoader(nullptr);
        DisplayFixture::TearDown();
    }

    void SquareOnlyDevice()
    {
        GfxCaps caps;
        caps.squareOnly = true;
        GfxInjectCaps(&caps);
        platform->SetDisplay(800, 600, false, true, false, false);
        ASSERT_TRUE(platform->HasTextureLimits());
    }
};

TEST_F(TextureDataTest, SquareOnlyDevicesGetPaddedPowerOfTwoSquares)
{
    SquareOnlyDevice();
    struct Case {
        uint32_t w, h;
        bool simple;
        uint32_t surface;
        int32_t padX, padY;
    } cases[] = {
        {300, 100, false, 512, 106, 206},
        {300, 100, true, 0, 0, 0},   // simple: never rounded
        {64, 64, false, 64, 0, 0},   // already square
        {1, 3, false, 4, 1, 0},
    };
    for (const Case& c : cases) {
        TDxTextureData data;
        data.SetFlag(TTextureData::kSimple, c.simple);
        ASSERT_TRUE(data.CreateSurface(c.w, c.h));
        uint32_t sw = c.simple ? c.w : c.surface;
        uint32_t sh = c.simple ? c.h : c.surface;
        EXPECT_EQ(data.GetSurface()->Width(), sw) << c.w << "x" << c.h;
        EXPECT_EQ(data.GetSurface()->Height(), sh);
        EXPECT_EQ(data.mSurfaceWidth, sw);
        EXPECT_EQ(data.GetUtilityPaddingX(), c.padX);
        EXPECT_EQ(data.GetUtilityPaddingY(), c.padY);
        EXPECT_EQ(data.mWidth, c.w);
        EXPECT_EQ(data.mHeight, c.h);
        EXPECT_EQ(data.IsMadeByUtility(), !c.simple);
    }
    // Without the limit nothing is rounded.
    GfxInjectCaps(nullptr);
    platform->SetDisplay(800, 600, false, true, false, false);
    TDxTextureData data;
    ASSERT_TRUE(data.CreateSurface(300, 100));
    EXPECT_EQ(data.GetSurface()->Width(), 300u);
    EXPECT_EQ(data.GetSurface()->Height(), 100u);
}

TEST_F(TextureDataTest, SurfacesNeedADevice)
{
    TDxTextureData data;
    Context().Release();
    Data().mDevice = nullptr;
    EXPECT_FALSE(data.CreateSurface(16, 16));
    EXPECT_EQ(data.GetSurface(), nullptr);
    EXPECT_FALSE(data.Fill());
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    EXPECT_FALSE(data.Lock(pixels, pitch));
    EXPECT_FALSE(data.CopyPixels(16, 16, std::vector<uint32_t>(256).data()));
}

TEST_F(TextureDataTest, PixelsRoundTripAndOpaqueTexturesReadOpaque)
{
    for (bool alpha : {true, false}) {
        TDxTextureData data;
        data.SetFlag(TTextureData::kAlpha, alpha);
        ASSERT_TRUE(data.CreateSurface(4, 2));
        std::vector<uint32_t> in = {0x11223344u, 0x80FF0000u, 0x0000FF00u, 0xFF0000FFu,
                                    0x7F7F7F7Fu, 0x00000000u, 0xFFFFFFFFu, 0x01020304u};
        ASSERT_TRUE(data.CopyPixels(4, 2, in.data()));
        uint32_t* pixels = nullptr;
        uint32_t pitch = 0;
        ASSERT_TRUE(data.Lock(pixels, pitch));
        uint32_t* again = nullptr;
        uint32_t againPitch = 0;
        EXPECT_FALSE(data.Lock(again, againPitch)) << "one lock at a time";
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < 4; ++x) {
                uint32_t want = alpha ? in[y * 4 + x] : (in[y * 4 + x] | 0xFF000000u);
                EXPECT_EQ(pixels[y * pitch + x], want) << alpha << " " << x << "," << y;
            }
        }
        // Written back on unlock.
        pixels[0] = 0xFFABCDEFu;
        data.Unlock();
        ASSERT_TRUE(data.Lock(pixels, pitch));
        EXPECT_EQ(pixels[0], 0xFFABCDEFu);
        data.Unlock();

        // Fill clears everything to transparent black (opaque black without alpha).
        EXPECT_TRUE(data.Fill());
        ASSERT_TRUE(data.Lock(pixels, pitch));
        EXPECT_EQ(pixels[pitch + 3], alpha ? 0u : 0xFF000000u);
        data.Unlock();
    }
}

TEST_F(TextureDataTest, FillRestoresALostSurface)
{
    TDxTextureData data;
    data.SetFlag(TTextureData::kAlpha, true);
    ASSERT_TRUE(data.CreateSurface(8, 8));
    std::vector<uint32_t> white(64, 0xFFFFFFFFu);
    data.CopyPixels(8, 8, white.data());
    GfxInjectLoseSurfaces();
    EXPECT_TRUE(data.GetSurface()->IsLost());
    EXPECT_TRUE(data.Fill());
    EXPECT_FALSE(data.GetSurface()->IsLost());
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(data.Lock(pixels, pitch));
    EXPECT_EQ(pixels[9], 0u);
    data.Unlock();
}

TEST_F(TextureDataTest, TheTextureByteCountFollowsTheSurfaces)
{
    uint64_t base = Data().mTextureMemory;
    {
        TDxTextureData a;
        ASSERT_TRUE(a.CreateSurface(16, 8));
        EXPECT_EQ(Data().mTextureMemory, base + 16 * 8 * 4);
        TDxTextureData b;
        b.SetFlag(TTextureData::kSimple, true);
        ASSERT_TRUE(b.CreateSurface(10, 10));
        EXPECT_EQ(Data().mTextureMemory, base + 16 * 8 * 4 + 400);
        a.ReleaseSurface();
        EXPECT_EQ(Data().mTextureMemory, base + 400);
        a.ReleaseSurface();
        EXPECT_EQ(Data().mTextureMemory, base + 400) << "released twice counts once";
        // Made again at another size.
        ASSERT_TRUE(b.CreateSurface(2, 2));
        EXPECT_EQ(Data().mTextureMemory, base + 16);
    }
    EXPECT_EQ(Data().mTextureMemory, base);
}

TEST_F(TextureDataTest, RestoreRebuildsOrFlagsTheDisplayBroken)
{
    // No file: made again, empty, at the same size.
    TDxTextureData target;
    target.SetFlag(TTextureData::kAlpha, true);
    ASSERT_TRUE(target.CreateSurface(20, 10));
    target.ReleaseSurface();
    target.Restore();
    ASSERT_NE(target.GetSurface(), nullptr);
    EXPECT_EQ(target.GetSurface()->Width(), 20u);
    EXPECT_FALSE(platform->IsBroken());

    // From its file through the loader.
    static std::vector<std::string> loads;
    loads.clear();
    SetTextureLoader([](TTextureData& data, const TString& file, const TString& mask) {
        loads.push_back(std::string(file.c_str()) + "|" + mask.c_str());
        return data.CreateSurface(4, 4) && file != "bad.png";
    });
    TDxTextureData image;
    image.mFileName = "ui/logo.png";
    image.Restore();
    EXPECT_EQ(loads, std::vector<std::string>{"ui/logo.png|"});
    EXPECT_FALSE(platform->IsBroken());
    image.mMaskFileName = "ui/mask.jpg";
    image.Restore();
    EXPECT_EQ(loads.back(), "ui/logo.png|ui/mask.jpg");

    // Failures are logged and the display is flagged broken.
    now = 3333;
    image.mFileName = "bad.png";
    image.Restore();
    EXPECT_EQ(LogCount("TDxTextureData::Restore: Failed to restore from file bad.png and ui/mask.jpg."), 1);
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_EQ(platform->GetBrokenTime(), 3333u);
    Data().mBroken = false;
    image.mMaskFileName = TString();
    image.Restore();
    EXPECT_EQ(LogCount("TDxTextureData::Restore: Failed to restore from file bad.png."), 1);
    Data().mBroken = false;
    Context().Release();
    Data().mDevice = nullptr;
    target.Restore();
    EXPECT_EQ(LogCount("TDxTextureData::Restore: Failed to restore 20x10 texture (20,10)"), 1);
    EXPECT_TRUE(platform->IsBroken());
}

TEST_F(TextureDataTest, BlitsCopyAndClipToTheTarget)
{
    TTextureRef source = MakeTestTexture(4, 4, 0xFF112233u);
    TTextureRef target = MakeTestTexture(8, 8, 0xFF000000u);
    TDxTextureData* src = TestTextureData(source);
    TDxTextureData* dst = TestTextureData(target);
    ASSERT_NE(src->GetSurface(), nullptr);

    // Partly beyond the right and bottom edges: the part inside is copied.
    EXPECT_TRUE(src->Blit(6, 5, nullptr, target));
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(dst->Lock(pixels, pitch));
    EXPECT_EQ(pixels[5 * pitch + 6], 0xFF112233u);
    EXPECT_EQ(pixels[7 * pitch + 7], 0xFF112233u);
    EXPECT_EQ(pixels[4 * pitch + 6], 0xFF000000u);
    EXPECT_EQ(pixels[5 * pitch + 5], 0xFF000000u);
    dst->Unlock();

    // A source rectangle, at a negative place.
    TRect part(1, 1, 3, 3);
    EXPECT_TRUE(src->Blit(-1, 0, &part, target));
    ASSERT_TRUE(dst->Lock(pixels, pitch));
    EXPECT_EQ(pixels[0], 0xFF112233u);
    EXPECT_EQ(pixels[1], 0xFF000000u);
    dst->Unlock();
    // Wholly outside: nothing.
    EXPECT_FALSE(src->Blit(20, 20, nullptr, target));

    // Onto the display's back buffer.
    EXPECT_TRUE(src->Blit(10, 10, nullptr, TTextureRef()));
    std::vector<uint32_t> back;
    ASSERT_TRUE(GfxOk(Data().mDirectDraw->ReadBack(GfxRect{10, 10, 14, 14}, &back)));
    EXPECT_EQ(back[0], 0xFF112233u);

    // A lost surface flags the display broken for the pump's restore.
    GfxInjectLoseSurfaces();
    EXPECT_FALSE(src->Blit(0, 0, nullptr, target));
    EXPECT_TRUE(platform->IsBroken());
}

TEST_F(TextureDataTest, SimpleTexturesOutOfVideoMemoryFallBack)
{
    // Free video memory reported too small for the surface at 32 bits: the
    // display goes to its low-memory mode; the surface still comes from
    // system memory.
    GfxInjectVideoMemory(int64_t(800) * 600 * 4 + 1000);
    platform->SetDisplay(800, 600, false, true, false, false);
    TDxTextureData data;
    data.SetFlag(TTextureData::kSimple, true);
    ASSERT_TRUE(data.CreateSurface(64, 64));
    EXPECT_EQ(LogCount("TDxTextureData::CreateSurface: Out of Memory in 32 bit mode. Tagging to restart."), 1);
    EXPECT_TRUE(platform->IsLowMemoryVideo());
    EXPECT_EQ(data.GetSurface()->Width(), 64u);

    // An alpha surface that cannot be had at all ends without alpha.
    GfxInjectVideoMemory(-1);
    GfxInjectResult(GfxOp::CreateSurface, GfxResult::Failed, 2);
    TDxTextureData alpha;
    alpha.SetFlag(TTextureData::kSimple, true);
    alpha.SetFlag(TTextureData::kAlpha, true);
    ASSERT_TRUE(alpha.CreateSurface(8, 8));
    EXPECT_FALSE(alpha.GetSurface()->HasAlpha());
    EXPECT_EQ(LogCount("SURFACE request FAILED to get DDPF_ALPHAPIXELS."), 1);
}

} // namespace
