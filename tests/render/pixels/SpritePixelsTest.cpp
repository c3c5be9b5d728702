// Animated sprites on the GL device under Xvfb: sprites sharing one sheet
// each land their own frame on the screen, placed by its registration
// point, and children cover or are covered by their parent by z order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/pixels/PlatformScreen.h"
#include "render/AnimatedSprite.h"
#include "render/AnimatedTexture.h"
#include "support/AnmWriter.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
// Frame k of the 16 x 4 sheet is this colour, its left column white.
constexpr uint32_t kFrameColours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};

bool LoadSheet(TTextureData& data, const TString& file, const TString&)
{
    if (file != "anim/sheet.png")
        return false;
    if (!data.CreateSurface(16, 4))
        return false;
    data.mWidth = 16;
    data.mHeight = 4;
    std::vector<uint32_t> pixels(16 * 4);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            pixels[y * 16 + x] = x % 4 == 0 ? kWhite : kFrameColours[x / 4];
    data.mFileName = file;
    return data.CopyPixels(16, 4, pixels.data());
}

class SpritePixels : public PlatformScreenTest {
protected:
    SpritePixels() : PlatformScreenTest("spritepixels") {}

    void SetUp() override
    {
        SetTextureLoader(LoadSheet);
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Sprites", false));
        anm::Description d = anm::Grid(4, 1, 4);
        for (anm::Frame& f : d.frames)
            f.regx = f.regy = 1;
        mDescription = anm::Write(d);
        RegisterMemoryFile("anim/run.anm", mDescription.data(), uint32_t(mDescription.size()));
        mSheet = TAnimatedTexture::Get("anim/run");
        ASSERT_TRUE(mSheet);
        Clear(kBlack);
    }

    void TearDown() override
    {
        mSheet.reset();
        CloseScreen();
        SetTextureLoader(nullptr);
    }

    TAnimatedSpriteRef Sprite(int32_t z, int32_t frame, float x, float y, uint32_t flags = 0)
    {
        TAnimatedSpriteRef s = TAnimatedSprite::Create(z);
        s->SetTexture(mSheet);
        s->SetFrame(frame);
        s->mPlacement.transform(2, 0) = x;
        s->mPlacement.transform(2, 1) = y;
        s->mPlacement.flags = flags;
        return s;
    }

    void DrawAll(const std::vector<TSpriteRef>& sprites)
    {
        ASSERT_TRUE(Renderer().BeginDraw(false));
        ASSERT_TRUE(Renderer().Begin2d());
        Renderer().SetTextureFilter(0);
        const TDrawParams screen(TVec2(0, 0), 1, 1, 0);
        for (const TSpriteRef& s : sprites)
            s->Draw(screen, -1);
        Renderer().End2d();
        Renderer().EndDraw(false);
        ReadScreen();
    }

    // The pixels of row y from x0 to x1 (exclusive).
    std::vector<uint32_t> Row(int32_t y, int32_t x0, int32_t x1) const
    {
        std::vector<uint32_t> out;
        for (int32_t x = x0; x < x1; ++x)
            out.push_back(mScreen[size_t(y) * kWidth + size_t(x)] | 0xFF000000u);
        return out;
    }

    std::string mDescription;
    TAnimatedTextureRef mSheet;
};

TEST_F(SpritePixels, SpritesSharingASheetShowTheirOwnFramesAtTheirRegistration)
{
    const uint32_t red = kFrameColours[0], blue = kFrameColours[2], yellow = kFrameColours[3];
    DrawAll({Sprite(0, 0, 100, 100), Sprite(0, 2, 200, 100), Sprite(0, 3, 300, 100, kDrawMirrorX)});
    struct Case {
        const char* what;
        int32_t x0;
        std::vector<uint32_t> row; // pixels x0 - 1 .. x0 + 4 of row 100
    } cases[] = {
        {"frame 0 with its texel (1, 1) at (100, 100)", 99, {kBlack, kWhite, red, red, red, kBlack}},
        {"frame 2", 199, {kBlack, kWhite, blue, blue, blue, kBlack}},
        {"frame 3 mirrored, registered from its right", 297, {kBlack, yellow, yellow, yellow, kWhite, kBlack}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Row(100, c.x0 - 1, c.x0 + 5), c.row) << c.what;
        EXPECT_EQ(Row(98, c.x0, c.x0 + 4), std::vector<uint32_t>(4, kBlack)) << c.what << ": above";
        EXPECT_NE(Row(102, c.x0, c.x0 + 4), std::vector<uint32_t>(4, kBlack)) << c.what << ": last row";
        EXPECT_EQ(Row(103, c.x0, c.x0 + 4), std::vector<uint32_t>(4, kBlack)) << c.what << ": below";
    }
}

TEST_F(SpritePixels, ChildrenBelowZeroAreCoveredByTheParentAndTheOthersCoverIt)
{
    const uint32_t red = kFrameColours[0], green = kFrameColours[1], blue = kFrameColours[2];
    TAnimatedSpriteRef parent = Sprite(0, 0, 400, 100);
    // Added over-child first: the list is sorted by z whatever the order.
    parent->AddChild(Sprite(1, 2, -2, 0));
    parent->AddChild(Sprite(-1, 1, 2, 0));
    DrawAll({parent});
    // Over-child 397..400, parent 399..402, under-child 401..404.
    EXPECT_EQ(Row(101, 397, 405), (std::vector<uint32_t>{kWhite, blue, blue, blue, red, red, green, green}));

    // Hidden, the parent takes its children with it.
    Clear(kBlack);
    parent->mVisible = 0;
    DrawAll({parent});
    EXPECT_EQ(Row(101, 397, 405), std::vector<uint32_t>(8, kBlack));
}

} // namespace
