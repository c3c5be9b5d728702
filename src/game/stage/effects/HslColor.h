#pragma once

#include "platform/Vector.h"
#include "render/RenderStates.h"

// Hue, saturation and lightness, each in [0, 1] (hue 0 red, 1/3 green,
// 2/3 blue), to red, green and blue and back.

// The colour of (hue, saturation, lightness) with the given alpha.
TColorValue HslToRgb(float hue, float saturation, float lightness, float alpha);
// (hue, saturation, lightness) of the colour; grey has hue and saturation 0.
TVec3 RgbToHsl(float red, float green, float blue);
// A bright, light colour of random hue (saturation 0.956, lightness 0.784,
// opaque) from the show's random source.
TColorValue RandomHue();
