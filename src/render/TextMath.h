#pragma once
#include <cmath>
#include <cstdint>

#include "render/VecFont.h"

// Arithmetic shared by the text layout and its drawing.

// The nearest integer, halves away from zero; clamped far inside int64 so
// that huge or broken values stay defined.
inline int64_t NearestQuarter(double v)
{
    if (!(v > -1e15))
        return v != v ? 0 : int64_t(-1e15);
    if (v > 1e15)
        return int64_t(1e15);
    return int64_t(std::llround(v));
}

inline int32_t NearestInt(double v)
{
    int64_t n = NearestQuarter(v);
    return int32_t(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n);
}

// Font units to quarter pixels for a font of size pixels: ascent plus
// descent fill 0.8 of the line.
inline float RunScale(const TVecFont& font, int32_t size)
{
    return float(size) * 4.0f * 0.8f / (font.GetAscent() + font.GetDescent());
}

// Italic glyphs lean by a third of their height: the pen moves on by a
// third of the descent where italic starts and of the ascent where it ends.
inline float ItalicShift(const TVecFont& font, float scale, bool italicStarts)
{
    return scale / 3 * (italicStarts ? font.GetDescent() : font.GetAscent());
}
