// The animation sheets, still images and show fonts the build makes
// (tools/make-anim-sheets.py, tools/fonts.cmake), loaded back through the
// game's own readers: frame counts, frame sizes, the registration points
// and anchors that place the pieces on the 800 x 600 screen, and the
// fonts' characters.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/Rect.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "render/TextureData.h"
#include "render/TextureLoad.h"
#include "render/VecFont.h"
#include "support/HeadlessDisplay.h"
#include "support/TempFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AnimSheetsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        SetTextureLoader(nullptr);
        SetAssetManager(&mAssets);
        mDisplay = std::make_unique<THeadlessDisplay>();
        // Every generated file under the name the game opens it by.
        const std::string folder = std::string(QUILLORY_ASSET_DIR) + "/anim";
        DIR* dir = opendir(folder.c_str());
        ASSERT_NE(dir, nullptr) << folder;
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name[0] == '.')
                continue;
            mFiles.push_back(std::make_unique<Bytes>(ReadFile(folder + "/" + name)));
            RegisterMemoryFile(("anim/" + name).c_str(), mFiles.back()->data(), uint32_t(mFiles.back()->size()));
        }
        closedir(dir);
    }
    void TearDown() override
    {
        mDisplay.reset();
        TRenderer::Shutdown();
        SetAssetManager(nullptr);
    }

    TAnimatedTextureRef Sheet(const char* name)
    {
        TAnimatedTextureRef sheet = TAnimatedTexture::Get(name);
        EXPECT_TRUE(sheet) << name;
        return sheet;
    }

    // The rectangle a frame covers when drawn at (x, y): its registration
    // point lands there.
    static TRect Placed(const TAnimatedTexture& sheet, int32_t frame, int32_t x, int32_t y)
    {
        const TRect r = sheet.GetFrameRect(frame);
        int32_t regx = 0, regy = 0;
        sheet.GetRegistration(frame, regx, regy);
        return {x - regx, y - regy, x - regx + (r.right - r.left), y - regy + (r.bottom - r.top)};
    }

    // A still image drawn centred on (x, y).
    TRect Centred(const char* name, int32_t x, int32_t y)
    {
        TTextureRef image = TTexture::Get(name, 0);
        EXPECT_TRUE(image) << name;
        if (!image)
            return {};
        const int32_t w = int32_t(image->GetWidth()), h = int32_t(image->GetHeight());
        return {x - w / 2, y - h / 2, x - w / 2 + w, y - h / 2 + h};
    }

    TTempLogFolder mLog{"animsheets"};
    TAssetManager mAssets;
    std::unique_ptr<THeadlessDisplay> mDisplay;
    std::vector<std::unique_ptr<Bytes>> mFiles;
};

TEST_F(AnimSheetsTest, EverySheetLoadsWithItsFramesInsideItsImage)
{
    struct Case {
        const char* name;
        int32_t minFrames;
        int32_t width, height; // every frame's size; 0: any
    } cases[] = {
        {"anim/logo_loop.xml", 31, 128, 128},
        {"anim/anim_trans_full.xml", 16, 256, 256},
        {"anim/money.xml", 29, 0, 0},
        {"anim/blue_fade.xml", 6, 112, 19},
        {"anim/blue_fade_long.xml", 6, 136, 22},
        {"anim/flare.xml", 1, 0, 0},
        {"anim/chalk_cross.xml", 1, 78, 33},
        {"anim/flunkout.xml", 31, 0, 0},
        {"anim/dropout.xml", 31, 0, 0},
    };
    for (const Case& c : cases) {
        TAnimatedTextureRef sheet = Sheet(c.name);
        if (!sheet)
            continue;
        const TAnimatedTextureData& d = sheet->GetDescription();
        EXPECT_GE(sheet->GetFrameCount(), c.minFrames) << c.name;
        // The description's image size is the sheet's real size.
        TString png = d.folder + d.imageName;
        TTextureRef image = TTexture::Get(png, 0);
        ASSERT_TRUE(image) << png.c_str();
        EXPECT_EQ(uint32_t(d.imageWidth), image->GetWidth()) << c.name;
        EXPECT_EQ(uint32_t(d.imageHeight), image->GetHeight()) << c.name;
        EXPECT_LE(d.imageWidth, 1024) << c.name;
        EXPECT_LE(d.imageHeight, 1024) << c.name;
        for (int32_t f = 0; f < sheet->GetFrameCount(); ++f) {
            const TRect r = sheet->GetFrameRect(f);
            EXPECT_GT(r.right, r.left) << c.name << " frame " << f;
            EXPECT_GE(r.left, 0) << c.name << " frame " << f;
            EXPECT_GE(r.top, 0) << c.name << " frame " << f;
            EXPECT_LE(r.right, d.imageWidth) << c.name << " frame " << f;
            EXPECT_LE(r.bottom, d.imageHeight) << c.name << " frame " << f;
            if (c.width) {
                EXPECT_EQ(r.right - r.left, c.width) << c.name << " frame " << f;
                EXPECT_EQ(r.bottom - r.top, c.height) << c.name << " frame " << f;
            }
        }
    }
    // The logo rests on frame 30.
    TAnimatedTextureRef logo = Sheet("anim/logo_loop.xml");
    ASSERT_TRUE(logo);
    logo->SetFrame(30);
    EXPECT_EQ(logo->GetFrame(), 30);
}

TEST_F(AnimSheetsTest, StillImagesLoadByNameWithoutExtension)
{
    const struct {
        const char* name;
        uint32_t width, height;
    } cases[] = {
        {"anim/blue_static", 112, 19},
        {"anim/blue_static_long", 136, 22},
        {"anim/chalk_line", 78, 33},
    };
    for (const auto& c : cases) {
        TTextureRef image = TTexture::Get(c.name, 0);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->GetWidth(), c.width) << c.name;
        EXPECT_EQ(image->GetHeight(), c.height) << c.name;
    }
}

// Where the show puts the ladder's pieces: step k's fade by its
// registration point, its highlight centred, both on the same row; the
// board (frame 28 held, drawn at the origin) under all of them.
TEST_F(AnimSheetsTest, TheLadderPiecesLineUpAtTheShowsPositions)
{
    TAnimatedTextureRef fade = Sheet("anim/blue_fade.xml");
    TAnimatedTextureRef fadeLong = Sheet("anim/blue_fade_long.xml");
    TAnimatedTextureRef money = Sheet("anim/money.xml");
    TAnimatedTextureRef flare = Sheet("anim/flare.xml");
    ASSERT_TRUE(fade && fadeLong && money && flare);
    const TRect board = Placed(*money, 28, 0, 0);
    EXPECT_EQ(board.left, 0);
    EXPECT_EQ(board.top, 0);
    for (int32_t k = 0; k <= 10; ++k) {
        const int32_t d = k >= 5 ? 2 : 0;
        const TRect faded = k < 10 ? Placed(*fade, 5, 10, 195 - 19 * k - d) : Placed(*fadeLong, 5, 0, 0);
        const TRect lit = k < 10 ? Centred("anim/blue_static", 66, 205 - 19 * k - d)
                                 : Centred("anim/blue_static_long", 68, 11);
        EXPECT_EQ(faded.left, lit.left) << "step " << k;
        EXPECT_EQ(faded.right, lit.right) << "step " << k;
        EXPECT_LE(std::abs(faded.top - lit.top), 1) << "step " << k;
        EXPECT_LE(std::abs(faded.bottom - lit.bottom), 1) << "step " << k;
        // Rows do not overlap the one below.
        if (k > 0 && k < 10) {
            const int32_t below = 195 - 19 * (k - 1) - (k - 1 >= 5 ? 2 : 0);
            EXPECT_LE(faded.bottom, below) << "step " << k;
        }
        // The board lies under the row, and the flare's frames stay on screen.
        EXPECT_LE(board.left, faded.left) << "step " << k;
        EXPECT_GE(board.right, faded.right) << "step " << k;
        EXPECT_GE(board.bottom, faded.bottom) << "step " << k;
        for (int32_t f = 0; f < flare->GetFrameCount(); ++f) {
            const TRect sparkle = Placed(*flare, f, 28, k < 10 ? 193 - 19 * k - d : 0);
            EXPECT_GE(sparkle.left, 0) << "step " << k;
            EXPECT_GE(sparkle.top, 0) << "step " << k;
            EXPECT_LE(sparkle.bottom, faded.bottom + 8) << "step " << k;
        }
    }
    // The board slides in from off the screen's left edge.
    EXPECT_LE(Placed(*money, 0, 0, 0).right, 0);
}

// The wipe covers the screens edge to edge around the frame where the
// pictures swap (half the count), and starts and ends mostly clear.
TEST_F(AnimSheetsTest, TheTransitionCoversTheScreenWhenThePicturesSwap)
{
    TAnimatedTextureRef wipe = Sheet("anim/anim_trans_full.xml");
    ASSERT_TRUE(wipe);
    const TAnimatedTextureData& d = wipe->GetDescription();
    TDxTextureData pixels;
    pixels.mFlags = TTextureData::kAlphaFromFile;
    ASSERT_TRUE(pixels.Load(d.folder + d.imageName, TString()));
    uint32_t* words = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(pixels.Lock(words, pitch));
    auto opaqueShare = [&](int32_t frame) {
        const TRect r = wipe->GetFrameRect(frame);
        int64_t opaque = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                opaque += (words[size_t(y) * pitch + size_t(x)] >> 24) == 0xFF;
        return double(opaque) / double((r.right - r.left) * (r.bottom - r.top));
    };
    const int32_t count = wipe->GetFrameCount();
    for (int32_t f = count / 2 - 1; f <= count / 2 + 1; ++f)
        EXPECT_EQ(opaqueShare(f), 1.0) << "frame " << f;
    EXPECT_LT(opaqueShare(0), 0.5);
    EXPECT_LT(opaqueShare(count - 1), 0.5);
    pixels.Unlock();
}

// The banners at (560, 40): frames 1-30 carry the "Text" anchor, which
// stays on the same spot of the banner while it moves; at rest the
// amount's 130 x 26 box lies inside the banner and on the screen.
TEST_F(AnimSheetsTest, TheBannersCarryTheAmountWithThem)
{
    for (const char* name : {"anim/flunkout.xml", "anim/dropout.xml"}) {
        TAnimatedTextureRef banner = Sheet(name);
        ASSERT_TRUE(banner);
        ASSERT_GE(banner->GetFrameCount(), 31) << name;
        banner->SetFrame(0);
        EXPECT_LE(Placed(*banner, 0, 560, 40).bottom, 0) << name << ": frame 0 is out of sight";
        int32_t firstX = 0, firstY = 0;
        for (int32_t f = 1; f <= 30; ++f) {
            banner->SetFrame(f);
            int32_t ax = 0, ay = 0;
            ASSERT_TRUE(banner->GetAnchor("Text", &ax, &ay)) << name << " frame " << f;
            // The anchor, as the show places it, in the banner's own texels.
            const TRect at = Placed(*banner, f, 560, 40);
            const int32_t onX = 560 + ax - at.left, onY = 40 + ay - at.top;
            if (f == 1) {
                firstX = onX;
                firstY = onY;
            }
            EXPECT_EQ(onX, firstX) << name << " frame " << f;
            EXPECT_EQ(onY, firstY) << name << " frame " << f;
        }
        banner->SetFrame(30);
        int32_t ax = 0, ay = 0;
        ASSERT_TRUE(banner->GetAnchor("Text", &ax, &ay));
        const TRect rest = Placed(*banner, 30, 560, 40);
        const TRect text = {560 + ax - 65, 40 + ay, 560 + ax + 65, 40 + ay + 26};
        EXPECT_GE(text.left, rest.left) << name;
        EXPECT_LE(text.right, rest.right) << name;
        EXPECT_GE(text.top, rest.top) << name;
        EXPECT_LE(text.bottom, rest.bottom) << name;
        EXPECT_GE(rest.left, 0) << name;
        EXPECT_LE(rest.right, 800) << name;
        EXPECT_GE(rest.top, 0) << name;
    }
}

TEST_F(AnimSheetsTest, TheShowsFontsHoldTheirCharacters)
{
    const struct {
        const char* file;
        const char* text;
    } cases[] = {
        {"Centry.mvec", "$0123456789,"},
        {"century.mvec", "$0123456789,"},
        {"chalkboard.mvec", "What is 7 x 8? Bb Qq (1/2) \"yes\""},
        {"paltino_linotype.mvec", "Welcome back! It's time, isn't it? (3/4) \"Yes\""},
    };
    for (const auto& c : cases) {
        Bytes bytes = ReadFile(std::string(QUILLORY_ASSET_DIR) + "/fonts/" + c.file);
        ASSERT_FALSE(bytes.empty()) << c.file;
        TVecFont font(std::move(bytes), c.file);
        EXPECT_GT(font.GetGlyphCount(), 90) << c.file;
        for (const char* p = c.text; *p; ++p)
            EXPECT_GE(font.FindGlyph(uint8_t(*p)), 0) << c.file << " '" << *p << "'";
        EXPECT_GT(font.GetAscent(), 0.0f) << c.file;
    }
}

} // namespace
