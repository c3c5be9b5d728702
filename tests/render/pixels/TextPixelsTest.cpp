// Text layouts drawn through the application's rasteriser on the GL device
// under Xvfb: the ink stays inside the layout's bounds, lines outside the
// rectangle and negative scales draw nothing, a hovered link takes its
// colour.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "render/pixels/PlatformScreen.h"
#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"

namespace {

constexpr int32_t kWidth = 800, kHeight = 600;

class TextPixels : public PlatformScreenTest {
protected:
    TextPixels() : PlatformScreenTest("textpixels") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Text", true));
        mDraw = std::make_unique<TDnMiniVecDraw>();
        mDraw->Calibrate();
        SetTextServices(&mFonts, mDraw.get());
    }

    void TearDown() override
    {
        SetTextServices(nullptr, nullptr);
        mDraw.reset();
        CloseScreen();
    }

    // Clears the screen to black, draws, reads the screen back.
    template <class F>
    void DrawFrame(F draw)
    {
        const float black[4] = {0, 0, 0, 1};
        TRenderer& r = *TRenderer::Get();
        ASSERT_TRUE(r.BeginDraw(false));
        r.FillRect(TRect(0, 0, kWidth, kHeight), black);
        ASSERT_TRUE(r.Begin2d());
        draw();
        r.End2d();
        r.EndDraw(false);
        ReadScreen();
    }

    uint32_t Pixel(int32_t x, int32_t y) const { return mScreen[size_t(y) * kWidth + size_t(x)] & 0xFFFFFFu; }

    // The lit pixels' box and count, and how many are lit inside rect.
    struct Ink {
        TRect box{kWidth, kHeight, 0, 0};
        int32_t count = 0, blue = 0, white = 0;
    };
    Ink Lit() const
    {
        Ink ink;
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) {
                const uint32_t c = Pixel(x, y);
                if (!c)
                    continue;
                ++ink.count;
                ink.blue += (c >> 16) == 0 && (c & 0xFF) > 0;
                ink.white += (c >> 16) > 0 && (c >> 16) == (c & 0xFF);
                ink.box = TRect(std::min(ink.box.left, x), std::min(ink.box.top, y), std::max(ink.box.right, x + 1),
                                std::max(ink.box.bottom, y + 1));
            }
        return ink;
    }

    std::unique_ptr<TDnMiniVecDraw> mDraw;
    TFontCache mFonts{kBuiltinFontData, sizeof kBuiltinFontData};
};

} // namespace

TEST_F(TextPixels, InkStaysInsideTheBounds)
{
    const float white[4] = {1, 1, 1, 1};
    auto layout = TTextLayout::Create(TString("Quiz <b>night</b>\n<i>Wg</i> <u>jolly</u>"), 300, 200, 0, nullptr,
                                      24, white);
    DrawFrame([&] { layout->Draw(TRect(100, 50, 400, 250), 1, 0, 1, TTextureRef()); });
    TRect bounds;
    layout->GetBounds(bounds);
    const Ink ink = Lit();
    EXPECT_GT(ink.count, 400);
    // one pixel of slack for anti-aliased edges, italic lean and strokes
    EXPECT_GE(ink.box.left, 100 + bounds.left - 1);
    EXPECT_LE(ink.box.right, 100 + bounds.right + 2);
    EXPECT_GE(ink.box.top, 50 + bounds.top);
    EXPECT_LE(ink.box.bottom, 50 + bounds.bottom + 1);
    // both lines drawn
    EXPECT_GT(ink.box.bottom - ink.box.top, 30);
}

TEST_F(TextPixels, NothingOutsideTheRectangleOrAtNegativeScale)
{
    const float white[4] = {1, 1, 1, 1};
    auto layout = TTextLayout::Create(TString("Wage\nWage"), 300, 200, 0, nullptr, 24, white);
    DrawFrame([&] { layout->Draw(TRect(100, 50, 400, 80), 1, 0, 1, TTextureRef()); });
    const Ink oneLine = Lit();
    EXPECT_GT(oneLine.count, 50);
    EXPECT_LE(oneLine.box.bottom, 50 + 24 + 1);
    DrawFrame([&] { layout->Draw(TRect(100, 50, 400, 250), -1, 0, 1, TTextureRef()); });
    EXPECT_EQ(Lit().count, 0);
    DrawFrame([&] { layout->Draw(TRect(100, 50, 400, 250), 0, 0, 1, TTextureRef()); });
    EXPECT_EQ(Lit().count, 0);
}

TEST_F(TextPixels, HoveredLinkDrawsInItsColour)
{
    const float white[4] = {1, 1, 1, 1};
    auto layout = TTextLayout::Create(TString("<a id='go' color='0000ff'>WWW</a>"), 300, 200, 0, nullptr, 24, white);
    DrawFrame([&] { layout->Draw(TRect(0, 0, 300, 200), 1, 0, 1, TTextureRef()); });
    Ink ink = Lit();
    EXPECT_GT(ink.white, 50);
    EXPECT_EQ(ink.blue, 0);
    const int32_t over[2] = {10, 10};
    ASSERT_TRUE(layout->IsOverLink(over, 0));
    DrawFrame([&] { layout->Draw(TRect(0, 0, 300, 200), 1, 0, 1, TTextureRef()); });
    ink = Lit();
    EXPECT_GT(ink.blue, 50);
    EXPECT_EQ(ink.white, 0);
}
