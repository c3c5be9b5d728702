// Loading image files into texture data: name retries, options, the
// alpha decision, masks, surface sizes and padding, the size limits, and
// reloading after the surface was lost. On the display layer over the
// recording graphics backend.
#include "render/TextureLoad.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "os/gfx/GfxSurface.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "render/Texture.h"
#include "render/TextureData.h"
#include "support/HeadlessDisplay.h"
#include "support/ImageWriter.h"
#include "support/TempFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes SolidPng(uint32_t width, uint32_t height, uint32_t argb, bool alpha)
{
    TPngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
    for (uint32_t i = 0; i < width * height; ++i) {
        spec.rows.insert(spec.rows.end(), {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)});
        if (alpha)
            spec.rows.push_back(uint8_t(argb >> 24));
    }
    return MakePng(spec);
}

Bytes GreyPng(uint32_t width, uint32_t height, uint8_t value)
{
    TPngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = PNG_COLOR_TYPE_GRAY;
    spec.rows.assign(size_t(width) * height, value);
    return MakePng(spec);
}

Bytes GreyJpeg(uint32_t width, uint32_t height, uint8_t value)
{
    return MakeJpeg({width, height, TJpegKind::Grey, false, 100, Bytes(size_t(width) * height, value)});
}

class TextureLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        SetTextureLoader(nullptr);
        mDisplay = std::make_unique<THeadlessDisplay>();
    }
    void TearDown() override
    {
        mDisplay.reset();
        TRenderer::Shutdown();
    }

    void Register(const std::string& name, Bytes bytes)
    {
        ASSERT_FALSE(bytes.empty()) << name;
        mFiles.push_back(std::make_unique<Bytes>(std::move(bytes)));
        RegisterMemoryFile(name.c_str(), mFiles.back()->data(), uint32_t(mFiles.back()->size()));
    }
    void Unregister(const std::string& name) { RegisterMemoryFile(name.c_str(), nullptr, 0); }

    // Texture data with flags (as the texture makers set them) loaded from
    // name and mask through TTextureData::Load; null when loading failed.
    std::unique_ptr<TDxTextureData> Load(const std::string& name, const std::string& mask = "",
                                         uint8_t flags = TTextureData::kAlphaFromFile)
    {
        auto data = std::make_unique<TDxTextureData>();
        data->mFlags = flags;
        if (!data->Load(name.c_str(), mask.c_str()))
            return nullptr;
        return data;
    }

    // A device that takes only square textures (or lifts that rule).
    void SquareOnly(bool on)
    {
        GfxCaps caps;
        caps.squareOnly = on;
        GfxInjectCaps(&caps);
        GetPlatform()->SetDisplay(800, 600, false, true, false, false);
        ASSERT_EQ(GetPlatform()->HasTextureLimits(), on);
        ASSERT_EQ(TRenderer::Get()->NeedsSquareTextures(), on);
    }

    TTempLogFolder mLog{"textureload"};
    std::unique_ptr<THeadlessDisplay> mDisplay;
    std::vector<std::unique_ptr<Bytes>> mFiles;
};

// The pixel at (x, y) of the data's surface.
uint32_t PixelAt(TTextureData& data, uint32_t x, uint32_t y)
{
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (!data.Lock(pixels, pitch))
        return 0xDEADBEEFu;
    uint32_t value = pixels[size_t(y) * pitch + x];
    data.Unlock();
    return value;
}

TEST_F(TextureLoadTest, ANameWithoutExtensionIsTriedAsPngThenJpg)
{
    struct Case {
        const char* what;
        bool png, jpg, pngBroken;
        const char* loaded; // null: the load fails
    } cases[] = {
        {"both", true, true, false, "ui/logo.png"},
        {"only the JPEG", false, true, false, "ui/logo.jpg"},
        {"only the PNG", true, false, false, "ui/logo.png"},
        {"a broken PNG, then the JPEG", true, true, true, "ui/logo.jpg"},
        {"neither", false, false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mLog.Restart();
        Unregister("ui/logo.png");
        Unregister("ui/logo.jpg");
        if (c.png)
            Register("ui/logo.png", c.pngBroken ? Bytes(40, 0x41) : SolidPng(4, 4, 0xFFFF0000u, false));
        if (c.jpg)
            Register("ui/logo.jpg", GreyJpeg(4, 4, 200));
        std::unique_ptr<TDxTextureData> data = Load("ui/logo?mipmap");
        if (!c.loaded) {
            EXPECT_EQ(data, nullptr);
            EXPECT_EQ(mLog.Count("Texture ui/logo not found"), 1) << mLog.Text();
            continue;
        }
        ASSERT_NE(data, nullptr);
        EXPECT_STREQ(data->mFileName.c_str(), c.loaded);
        EXPECT_TRUE(data->HasFlag(TTextureData::kMipmap)) << "the options stay for the retries";
        EXPECT_EQ(data->mWidth, 4u);
    }
    // A name with an extension is not retried.
    EXPECT_EQ(Load("ui/other.png"), nullptr);
    EXPECT_EQ(mLog.Count("Texture ui/other.png not found"), 1);
}

TEST_F(TextureLoadTest, OptionsAndThePngsAlphaSetTheFlags)
{
    Register("rgb.png", SolidPng(2, 2, 0xFF102030u, false));
    Register("rgba.png", SolidPng(2, 2, 0x80102030u, true));
    Register("grey.jpg", GreyJpeg(2, 2, 9));
    const uint8_t fromFile = TTextureData::kAlphaFromFile;
    struct Case {
        const char* name;
        uint8_t before, after;
    } cases[] = {
        {"rgb.png", fromFile, fromFile},
        {"rgb.png", fromFile | TTextureData::kAlpha, fromFile},
        {"rgba.png", fromFile, fromFile | TTextureData::kAlpha},
        {"rgba.png", 0, 0}, // opaque asked for: the file's alpha is not consulted
        {"grey.jpg", fromFile, fromFile},
        {"rgb.png?alpha", fromFile, TTextureData::kAlpha},
        {"rgb.png?mipmapalpha", fromFile, TTextureData::kAlpha | TTextureData::kMipmap},
        {"rgb.png?alpha,mipmap", 0, TTextureData::kAlpha | TTextureData::kMipmap},
        {"rgb.png?slow", fromFile, fromFile | TTextureData::kSlow},
        {"rgb.png?simple", fromFile, fromFile | TTextureData::kSimple},
        {"rgb.png?whatever", fromFile, fromFile},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TDxTextureData> data = Load(c.name, "", c.before);
        ASSERT_NE(data, nullptr) << c.name;
        EXPECT_EQ(int(data->mFlags), int(c.after)) << c.name << " from " << int(c.before);
        std::string plain = c.name;
        EXPECT_EQ(data->mFileName.c_str(), plain.substr(0, plain.find('?'))) << "kept without the options";
    }
}

TEST_F(TextureLoadTest, SurfacesArePowerOfTwoWideWithTheImageCentredByPadding)
{
    Register("wide.png", SolidPng(300, 200, 0xFF00FF00u, false));
    Register("tiny.png", SolidPng(3, 5, 0xFF00FF00u, false));
    struct Case {
        const char* name;
        bool squareDevice;
        uint32_t surfaceWidth, surfaceHeight;
        int32_t padX, padY;
    } cases[] = {
        {"wide.png", false, 512, 256, 106, 28},
        {"wide.png", true, 512, 512, 106, 156},
        {"wide.png?simple", true, 512, 256, 106, 28},
        {"tiny.png", false, 8, 8, 2, 1},
        {"tiny.png", true, 8, 8, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << (c.squareDevice ? " on a square-only device" : ""));
        SquareOnly(c.squareDevice);
        std::unique_ptr<TDxTextureData> data = Load(c.name);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->mSurfaceWidth, c.surfaceWidth);
        EXPECT_EQ(data->mSurfaceHeight, c.surfaceHeight);
        ASSERT_NE(data->GetSurface(), nullptr);
        EXPECT_EQ(data->GetSurface()->Width(), c.surfaceWidth);
        EXPECT_EQ(data->GetSurface()->Height(), c.surfaceHeight);
        EXPECT_EQ(data->mPaddingX, c.padX);
        EXPECT_EQ(data->mPaddingY, c.padY);
        EXPECT_EQ(data->mWidth, std::string(c.name).rfind("wide", 0) == 0 ? 300u : 3u);
        // The image at the top-left corner, nothing beside it.
        EXPECT_EQ(PixelAt(*data, 0, 0), 0xFF00FF00u);
        EXPECT_EQ(PixelAt(*data, data->mWidth - 1, data->mHeight - 1), 0xFF00FF00u);
        EXPECT_EQ(PixelAt(*data, data->mWidth, 0) & 0x00FFFFFFu, 0u);
    }
}

TEST_F(TextureLoadTest, ImagesOver1024NeedSlowAndNeverExceedTheDevice)
{
    Register("long.png", GreyPng(1500, 20, 50));
    EXPECT_EQ(Load("long.png"), nullptr);
    EXPECT_EQ(mLog.Count("1500x20 is not a size we decode (at most 1024 a side)"), 1) << mLog.Text();
    std::unique_ptr<TDxTextureData> data = Load("long.png?slow");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->mSurfaceWidth, 2048u);
    EXPECT_EQ(data->mSurfaceHeight, 32u);
    EXPECT_EQ(data->mWidth, 1500u);

    // A device whose textures are at most 1024 wide refuses it even so.
    GfxCaps caps;
    caps.maxTextureWidth = caps.maxTextureHeight = 1024;
    GfxInjectCaps(&caps);
    GetPlatform()->SetDisplay(800, 600, false, true, false, false);
    mLog.Restart();
    EXPECT_EQ(Load("long.png?slow"), nullptr);
    EXPECT_EQ(mLog.Count("1500x20 is not a size we decode (at most 1024 a side)"), 1) << mLog.Text();
}

TEST_F(TextureLoadTest, AMaskOfTheSameSideGivesTheAlpha)
{
    Register("face.png", SolidPng(4, 3, 0xFF336699u, false));
    Register("masks/quarter.png", GreyPng(4, 4, 0x40)); // side 4, like the image's
    Register("masks/half.jpg", GreyJpeg(3, 2, 0x80));   // side 4
    Register("masks/both.png", GreyPng(4, 4, 0x10));
    Register("masks/both.jpg", GreyJpeg(4, 4, 0x20));
    Register("masks/big.png", GreyPng(8, 8, 0x40));     // side 8
    Register("masks/broken.png", Bytes(30, 0x41));
    const uint8_t alpha = TTextureData::kAlpha;
    struct Case {
        const char* mask;
        const char* kept;  // null: the load fails
        uint32_t alphaByte;
        uint32_t cornerAlpha; // at the image's last pixel (3, 2)
    } cases[] = {
        {"masks/quarter.png", "masks/quarter.png", 0x40, 0x40},
        {"masks/quarter", "masks/quarter.png", 0x40, 0x40},
        {"masks/half", "masks/half.jpg", 0x80, 0}, // the 3 x 2 mask is zero beyond its image
        {"masks/both", "masks/both.jpg", 0x20, 0x20}, // .jpg first for masks
        {"masks/big.png", "masks/big.png", 0xFF, 0xFF}, // another size: the alpha stays
        {"masks/broken.png", nullptr, 0, 0},
        {"masks/missing", nullptr, 0, 0},
        {"masks/missing.png", nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        std::unique_ptr<TDxTextureData> data = Load("face.png", c.mask, alpha);
        if (!c.kept) {
            EXPECT_EQ(data, nullptr);
            continue;
        }
        ASSERT_NE(data, nullptr);
        EXPECT_STREQ(data->mMaskFileName.c_str(), c.kept);
        EXPECT_EQ(PixelAt(*data, 1, 1), c.alphaByte << 24 | 0x336699u);
        EXPECT_EQ(PixelAt(*data, 3, 2) >> 24, c.cornerAlpha);
    }
}

TEST_F(TextureLoadTest, ALostSurfaceIsReloadedFromTheFilesItCameFrom)
{
    Register("ui/logo.jpg", GreyJpeg(5, 5, 0x60));
    Register("ui/logo-mask.png", GreyPng(5, 5, 0x30));
    std::unique_ptr<TDxTextureData> data = Load("ui/logo", "ui/logo-mask", TTextureData::kAlpha);
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(data->mFileName.c_str(), "ui/logo.jpg");
    EXPECT_STREQ(data->mMaskFileName.c_str(), "ui/logo-mask.png");
    data->ReleaseSurface();
    EXPECT_EQ(data->GetSurface(), nullptr);
    data->Restore();
    ASSERT_NE(data->GetSurface(), nullptr);
    EXPECT_EQ(PixelAt(*data, 4, 4), 0x30606060u);
    EXPECT_FALSE(GetPlatform()->IsBroken());
}

TEST_F(TextureLoadTest, NamesOf260CharactersOrMoreAreRefused)
{
    std::string longName(255, 'a');
    longName += ".png";
    Register(longName, SolidPng(1, 1, 0xFFFFFFFFu, false));
    EXPECT_NE(Load(longName), nullptr) << "259 characters";
    EXPECT_EQ(Load(longName + "?"), nullptr);
    EXPECT_EQ(Load("x.png", longName + "?"), nullptr);
    EXPECT_EQ(mLog.Count("Texture name too long"), 2);
}

TEST_F(TextureLoadTest, TexturesMadeByNameLoadThroughTheDecoders)
{
    TAssetManager assets;
    SetAssetManager(&assets);
    Register("ui/logo.jpg", GreyJpeg(30, 20, 0x60));
    Register("ui/cursor.png", SolidPng(16, 16, 0x80FFFFFFu, true));
    TTextureRef logo = TTexture::Get("ui/logo", 0);
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->GetWidth(), 30u);
    EXPECT_FALSE(logo->HasAlpha());
    TTextureRef cursor = TTexture::GetCursorTexture("ui/cursor.png");
    ASSERT_TRUE(cursor);
    EXPECT_TRUE(cursor->HasAlpha()) << "the PNG's alpha decides";
    EXPECT_FALSE(TTexture::Get("ui/none", 0));
    logo.reset();
    cursor.reset();
    SetAssetManager(nullptr);
}

} // namespace
