// The text texture window: font fitting, the text and shadow images, and
// the nearest-sampling resampler.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "StageFixture.h"
#include "game/stage/KText.h"
#include "os/gfx/GfxInject.h"
#include "ui/Image.h"

using KTex::KText;

namespace {

class KTextTest : public StageFixture {
protected:
    static std::unique_ptr<KText> Make(const char* text, int32_t width, int32_t height, uint32_t size,
                                       uint32_t flags)
    {
        return std::make_unique<KText>(TString(text), TString("fonts/test.mvec"), size, 1.0f, 1.0f, 1.0f, 1.0f,
                                       width, height, 5, flags);
    }

    static TImage* ImageAt(const KText& window, size_t index)
    {
        if (index >= window.GetChildren().size())
            return nullptr;
        return dynamic_cast<TImage*>(window.GetChildren()[index]);
    }

    // Counts pixels with alpha whose colour is (near) the given one.
    static int CountInk(const TTextureRef& texture, bool white)
    {
        int count = 0;
        for (uint32_t p : PixelsOf(texture)) {
            if ((p >> 24) < 0x80)
                continue;
            const uint32_t g = (p >> 8) & 0xFF;
            count += white ? g > 0xC0 : g < 0x40;
        }
        return count;
    }
};

TEST_F(KTextTest, NextFitSizeCompoundsSinglePrecisionTenths)
{
    struct Case {
        uint32_t size, step, next;
    } cases[] = {
        {36, 1, 32}, {32, 2, 25}, {25, 3, 17}, {17, 4, 10},
        {10, 5, 4}, // an exact tenth would give 5
        {4, 6, 0},  // 1 is under the floor
        {3, 1, 0},
        {0, 1, 0},
        {4000000000u, 10, 0}, // the factor is just under 0
        {4000000000u, 11, 0},
        {4000000000u, 1, 3599999994u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KText::NextFitSize(c.size, c.step), c.next) << c.size << " step " << c.step;
}

TEST_F(KTextTest, FittingShrinksTheFontUntilTheTextFitsOrTheSizeWouldFallUnderFour)
{
    // Lower-case letters of the test font are 0.4 x size wide: ten of them
    // take 4 x size pixels.
    struct Case {
        const char* text;
        int32_t width, height;
        uint32_t size, flags, drawn;
    } cases[] = {
        {"abc", 200, 100, 20, KText::kFit, 20},              // fits: kept
        {"abcdefghij", 110, 40, 36, KText::kFit, 25},        // 144, 128: two lines, too high; 100 fits
        {"abcdefghij", 1, 1, 36, KText::kFit, 4},            // never fits: 32, 25, 17, 10, 4
        {"abcdefghij", 1, 1, 36, 0, 36},                     // no fitting asked
        {"abcdefghij", 1, 1, 3, KText::kFit, 3},             // already under the floor
        {"abcdefghij", 1, 1, 36, KText::kFit | KText::kShadow, 4},
    };
    for (const Case& c : cases) {
        auto window = Make(c.text, c.width, c.height, c.size, c.flags);
        EXPECT_EQ(window->GetSize(), c.drawn) << c.text << " in " << c.width << "x" << c.height;
    }
}

TEST_F(KTextTest, TheTextImageIsTheOnlyChildUnlessAShadowLiesUnderIt)
{
    auto plain = Make("abc", 100, 50, 20, 0);
    EXPECT_EQ(plain->GetName(), TString("KText"));
    EXPECT_EQ(plain->GetWidth(), 100);
    EXPECT_EQ(plain->GetHeight(), 50);
    ASSERT_EQ(plain->GetChildren().size(), 1u);
    TImage* text = ImageAt(*plain, 0);
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->GetTexture());
    EXPECT_EQ(text->GetTexture()->GetWidth(), 100u);
    EXPECT_EQ(text->GetTexture()->GetHeight(), 50u);
    EXPECT_TRUE(text->GetTexture()->HasAlpha());
    EXPECT_FLOAT_EQ(text->GetScale(), 1.0f);
    EXPECT_GT(CountInk(text->GetTexture(), true), 0) << "the white text is in the texture";
    EXPECT_EQ(CountInk(text->GetTexture(), false), 0);

    // Children are listed front first: the shadow, added first, is last.
    auto shadowed = Make("abc", 100, 50, 20, KText::kShadow);
    ASSERT_EQ(shadowed->GetChildren().size(), 2u);
    TImage* shadow = ImageAt(*shadowed, 1);
    ASSERT_NE(shadow, nullptr);
    ASSERT_TRUE(shadow->GetTexture());
    EXPECT_EQ(shadow->GetTexture()->GetWidth(), 40u);
    EXPECT_EQ(shadow->GetTexture()->GetHeight(), 20u);
    EXPECT_FLOAT_EQ(shadow->GetScale(), 2.5f);
    EXPECT_EQ(shadow->GetWidth(), 100);
    EXPECT_EQ(shadow->GetHeight(), 50);
    EXPECT_GT(CountInk(shadow->GetTexture(), false), 0) << "the shadow is black";
    EXPECT_EQ(CountInk(shadow->GetTexture(), true), 0);
    TImage* over = ImageAt(*shadowed, 0);
    ASSERT_NE(over, nullptr);
    EXPECT_GT(CountInk(over->GetTexture(), true), 0);
}

TEST_F(KTextTest, ABoxWithoutAreaOrAHugeFontIsLoggedAndSafe)
{
    auto empty = Make("abc", 0, 50, 20, KText::kShadow);
    EXPECT_TRUE(empty->GetChildren().empty());
    EXPECT_EQ(LogCount("KText: box 0x50 holds no text"), 1);
    auto negative = Make("abc", 100, -3, 20, KText::kFit);
    EXPECT_TRUE(negative->GetChildren().empty());

    auto huge = Make("a", 2000, 1500, 5000000, 0);
    EXPECT_EQ(huge->GetSize(), 1024u);
    EXPECT_EQ(LogCount("KText: font size 5000000 cut to 1024"), 1);
    EXPECT_EQ(huge->GetChildren().size(), 1u);
}

TEST_F(KTextTest, ResizeSamplesTheNearestSourcePixel)
{
    const std::vector<uint32_t> two = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    const std::vector<uint32_t> row = {1, 2, 3, 4, 5, 6};
    struct Case {
        const std::vector<uint32_t>* source;
        uint32_t width, height, newWidth, newHeight, mode;
        std::vector<uint32_t> expected;
    } cases[] = {
        {&two, 2, 2, 4, 4, 0,
         {0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002, 0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002,
          0xFF000003, 0xFF000003, 0xFF000004, 0xFF000004, 0xFF000003, 0xFF000003, 0xFF000004, 0xFF000004}},
        {&two, 2, 2, 1, 1, 0, {0xFF000001}},
        {&two, 2, 2, 3, 1, 0, {0xFF000001, 0xFF000001, 0xFF000002}}, // trunc(x * 2 / 3)
        {&row, 6, 1, 4, 2, 0, {1, 2, 4, 5, 1, 2, 4, 5}},             // trunc(x * 6 / 4)
        {&two, 2, 2, 2, 1, 7, {0, 0}},                                // another mode copies nothing
    };
    for (const Case& c : cases) {
        TTextureRef source = MakeTexture(c.width, c.height, *c.source);
        ASSERT_TRUE(source);
        TTextureRef resized = KText::Resize(source, c.newWidth, c.newHeight, c.mode);
        ASSERT_TRUE(resized);
        EXPECT_NE(resized, source);
        EXPECT_EQ(resized->GetWidth(), c.newWidth);
        EXPECT_EQ(resized->GetHeight(), c.newHeight);
        EXPECT_EQ(PixelsOf(resized), c.expected) << c.newWidth << "x" << c.newHeight << " mode " << c.mode;
        EXPECT_EQ(PixelsOf(source), *c.source) << "the source is left as it was";
    }
}

TEST_F(KTextTest, ResizeKeepsTheAlphaSettingAndReturnsATextureOfTheRightSizeAsItIs)
{
    TTextureRef opaque = MakeTexture(2, 1, {0xFF0000FF, 0xFF00FF00}, false);
    ASSERT_TRUE(opaque);
    TTextureRef wider = KText::Resize(opaque, 4, 1, 0);
    ASSERT_TRUE(wider);
    EXPECT_FALSE(wider->HasAlpha());
    EXPECT_TRUE(KText::Resize(MakeTexture(1, 1, {0}), 2, 2, 0)->HasAlpha());
    EXPECT_EQ(KText::Resize(opaque, 2, 1, 0), opaque);
    EXPECT_EQ(KText::Resize(opaque, 2, 1, 3), opaque);
}

TEST_F(KTextTest, ResizeFailuresGiveNothingAndALogLine)
{
    TTextureRef source = MakeTexture(2, 2, {1, 2, 3, 4});
    ASSERT_TRUE(source);

    EXPECT_FALSE(KText::Resize(source, 0, 4, 0));
    EXPECT_EQ(LogCount("Failed to create texture in Resize.cpp"), 1);
    GfxInjectResult(GfxOp::CreateSurface, GfxResult::Failed, 1);
    EXPECT_FALSE(KText::Resize(source, 8, 8, 0));
    EXPECT_EQ(LogCount("Failed to create texture in Resize.cpp"), 2);

    EXPECT_FALSE(KText::Resize(TTextureRef(), 8, 8, 0));
    EXPECT_EQ(LogCount("Resize: no texture to resize"), 1);

    // The source can still be read and resized afterwards.
    EXPECT_EQ(PixelsOf(KText::Resize(source, 1, 1, 0)), std::vector<uint32_t>{1});
}

} // namespace
