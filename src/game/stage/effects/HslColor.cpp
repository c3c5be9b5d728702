#include "game/stage/effects/HslColor.h"

#include <algorithm>

#include "game/show/MTRandom.h"

namespace {

constexpr float kThird = 0.33333334f;
constexpr float kSixth = 0.16666667f;
constexpr float kTwoThirds = 0.6666667f;
// The falling edge's 2/3 is the double nearest the float above.
constexpr double kTwoThirdsEdge = 0.6666666865348816;

// One channel: rising below 1/6, full up to 1/2, falling up to 2/3.
float Channel(float m1, float m2, float x)
{
    if (x < 0.0f)
        x += 1.0f;
    if (x > 1.0f)
        x -= 1.0f;
    if (x < kSixth)
        return m1 + (m2 - m1) * 6.0f * x;
    if (x < 0.5f)
        return m2;
    if (x < kTwoThirds)
        return float(double(m1) + double(m2 - m1) * (kTwoThirdsEdge - double(x)) * 6.0);
    return m1;
}

} // namespace

TColorValue HslToRgb(float hue, float saturation, float lightness, float alpha)
{
    TColorValue colour;
    colour.a = alpha;
    if (saturation == 0.0f) {
        colour.r = colour.g = colour.b = lightness;
        return colour;
    }
    const float m2 = lightness < 0.5f ? lightness * (1.0f + saturation)
                                      : lightness + saturation - lightness * saturation;
    const float m1 = 2.0f * lightness - m2;
    colour.r = Channel(m1, m2, hue + kThird);
    colour.g = Channel(m1, m2, hue);
    colour.b = Channel(m1, m2, hue - kThird);
    return colour;
}

TVec3 RgbToHsl(float red, float green, float blue)
{
    const float largest = std::max({red, green, blue});
    const float smallest = std::min({red, green, blue});
    const float lightness = (largest + smallest) * 0.5f;
    if (largest == smallest)
        return TVec3(0.0f, 0.0f, lightness);
    const float d = largest - smallest;
    const float saturation = lightness <= 0.5f ? d / (2.0f * lightness) : d / (2.0f - 2.0f * lightness);
    double hue;
    if (red == largest)
        hue = (green - blue) / (6.0f * d);
    else if (green == largest)
        hue = double(kThird) + (blue - red) / (6.0f * d);
    else
        hue = double(kTwoThirds) + (red - green) / (6.0f * d);
    // Bounded: a no-number hue would not leave these loops otherwise.
    for (int turns = 0; hue > 1.0 && turns < 4; ++turns)
        hue -= 1.0;
    for (int turns = 0; hue < 0.0 && turns < 4; ++turns)
        hue += 1.0;
    return TVec3(float(hue), saturation, lightness);
}

TColorValue RandomHue()
{
    const uint32_t word = MTRandom::Instance()->NextWord();
    return HslToRgb(float(double(word) * 2.3283063671497593e-10), 0.956f, 0.784f, 1.0f);
}
