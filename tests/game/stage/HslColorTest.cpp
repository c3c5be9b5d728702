// Colour conversion between hue, saturation and lightness and red, green
// and blue: fixed cases, round trips, and the confetti's random hues.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "game/show/MTRandom.h"
#include "game/stage/effects/HslColor.h"

namespace {

constexpr float kThird = 0.33333334f;

TEST(HslColor, HslToRgbCases)
{
    const struct {
        float h, s, l, a;
        TColorValue rgba;
    } cases[] = {
        {0.0f, 1.0f, 0.5f, 1.0f, {1, 0, 0, 1}},
        {kThird, 1.0f, 0.5f, 1.0f, {0, 1, 0, 1}},
        {2 * kThird, 1.0f, 0.5f, 1.0f, {0, 0, 1, 1}},
        {1.0f, 1.0f, 0.5f, 1.0f, {1, 0, 0, 1}}, // a whole turn is red again
        {0.5f, 0.0f, 0.25f, 0.7f, {0.25f, 0.25f, 0.25f, 0.7f}},
        // Rising channel: m2 reached exactly at 1/6.
        {1.0f / 12, 1.0f, 0.5f, 1.0f, {1, 0.5f, 0, 1}},
        // Light colours: m2 = l + s - l * s.
        {0.0f, 1.0f, 0.75f, 1.0f, {1, 0.5f, 0.5f, 1}},
        {0.5f, 0.5f, 0.5f, 0.3f, {0.25f, 0.75f, 0.75f, 0.3f}},
        // Dark colours: m2 = l * (1 + s).
        {kThird, 0.5f, 0.2f, 1.0f, {0.1f, 0.3f, 0.1f, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("hsl " + std::to_string(c.h) + " " + std::to_string(c.s) + " " + std::to_string(c.l));
        const TColorValue rgba = HslToRgb(c.h, c.s, c.l, c.a);
        EXPECT_NEAR(rgba.r, c.rgba.r, 1e-6f);
        EXPECT_NEAR(rgba.g, c.rgba.g, 1e-6f);
        EXPECT_NEAR(rgba.b, c.rgba.b, 1e-6f);
        EXPECT_EQ(rgba.a, c.rgba.a);
    }
}

TEST(HslColor, RgbToHslCasesAndRoundTrips)
{
    const struct {
        float r, g, b;
        TVec3 hsl;
    } cases[] = {
        {1, 1, 0, TVec3(1.0f / 6, 1, 0.5f)},
        {0.5f, 0.5f, 0.5f, TVec3(0, 0, 0.5f)},
        {1, 0, 0, TVec3(0, 1, 0.5f)},
        {0, 0, 1, TVec3(2.0f / 3, 1, 0.5f)},
        {1, 0, 1, TVec3(5.0f / 6, 1, 0.5f)}, // negative hue wrapped
        {0.25f, 0.75f, 0.75f, TVec3(0.5f, 0.5f, 0.5f)},
        {1, 0.5f, 0.5f, TVec3(0, 1, 0.75f)},
        {0, 0, 0, TVec3(0, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("rgb " + std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b));
        const TVec3 hsl = RgbToHsl(c.r, c.g, c.b);
        EXPECT_NEAR(hsl.x, c.hsl.x, 1e-6f);
        EXPECT_NEAR(hsl.y, c.hsl.y, 1e-6f);
        EXPECT_NEAR(hsl.z, c.hsl.z, 1e-6f);
    }

    // Coloured (not grey, not black or white) values survive both ways.
    for (float h = 0.0f; h < 0.999f; h += 0.05f)
        for (float s = 0.1f; s <= 1.0f; s += 0.3f)
            for (float l = 0.1f; l < 0.95f; l += 0.2f) {
                const TColorValue rgb = HslToRgb(h, s, l, 1.0f);
                const TVec3 back = RgbToHsl(rgb.r, rgb.g, rgb.b);
                // Hue 0 may come back just below 1: the same hue.
                const float apart = std::fabs(back.x - h);
                ASSERT_LT(std::min(apart, 1.0f - apart), 2e-5f) << h << " " << s << " " << l;
                ASSERT_NEAR(back.y, s, 2e-5f) << h << " " << s << " " << l;
                ASSERT_NEAR(back.z, l, 2e-5f) << h << " " << s << " " << l;
            }
}

TEST(HslColor, RandomHuesAreBrightAndLight)
{
    MTRandom::Instance()->Seed(7);
    float lowest = 1, highest = 0, lowHue = 1, highHue = 0;
    for (int i = 0; i < 2000; ++i) {
        const TColorValue c = RandomHue();
        for (float channel : {c.r, c.g, c.b}) {
            ASSERT_GE(channel, 0.5775f - 1e-4f);
            ASSERT_LE(channel, 0.9905f + 1e-4f);
            lowest = std::min(lowest, channel);
            highest = std::max(highest, channel);
        }
        EXPECT_EQ(c.a, 1.0f);
        const TVec3 hsl = RgbToHsl(c.r, c.g, c.b);
        ASSERT_NEAR(hsl.y, 0.956f, 1e-4f);
        ASSERT_NEAR(hsl.z, 0.784f, 1e-4f);
        lowHue = std::min(lowHue, hsl.x);
        highHue = std::max(highHue, hsl.x);
    }
    // Every hue comes up, and the channels reach both bounds.
    EXPECT_LT(lowHue, 0.01f);
    EXPECT_GT(highHue, 0.99f);
    EXPECT_NEAR(lowest, 0.5775f, 1e-3f);
    EXPECT_NEAR(highest, 0.9905f, 1e-3f);
    MTRandom::Destroy();
}

} // namespace
