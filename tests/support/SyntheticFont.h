#pragma once
// A tiny vector font with metrics simple enough to check layouts by hand.
// Every glyph's ink is one rectangle (two for the colour glyph) starting at
// x 0; all numbers are font units, y growing downwards.
//
//   ascent 80 (top of "W"), descent 20 (bottom of "g"): a line of S pixels
//   holds 125 font units, with margins of 18.75 above and 6.25 below.
//
//   code        advance  ink x      ink y        note
//   ' '         25       none                    no ink, command list "end"
//   '-'         25       0..25      -30..-20
//   '0'..'9'    50       0..50      -80..0
//   'A'..'Z'    75       0..75      -80..0       except 'W'
//   'W'         100      0..100     -80..0       defines the ascent
//   '_'         50       0..50      15..25       left out of the descent
//   'a'..'z'    50       0..50      -50..0       except f, g, i, m
//   'f'         50       0..75      -80..0       right ink edge past the advance
//   'g'         50       0..50      -50..20      defines the descent
//   'i'         25       0..25      -50..0
//   'm'         100      0..100     -50..0
//   U+00C5      100      0..100     -197.5..0    twice the line box's height
//                                                above the baseline: scale 0.5
//   U+2605      100      0..100     -80..0       colour glyph: a red shape with
//                                                a blue one inside (opcode 7)
// Nothing else: punctuation other than '-' and '_', letters with accents
// other than U+00C5, the euro sign and the like are missing, for fallback
// tests.

#include <cstdint>
#include <vector>

#include "support/MvecWriter.h"

namespace synthetic_font {

constexpr float kAscent = 80;
constexpr float kDescent = 20;
constexpr float kLineUnits = 125; // (ascent + descent) / 0.8
constexpr float kTopMargin = 18.75f;
constexpr float kBottomMargin = 6.25f;

constexpr float kSpaceAdvance = 25;
constexpr float kHyphenAdvance = 25;
constexpr float kDigitAdvance = 50;
constexpr float kUpperAdvance = 75;
constexpr float kWAdvance = 100;
constexpr float kLowerAdvance = 50;
constexpr float kNarrowAdvance = 25; // 'i'
constexpr float kWideAdvance = 100;  // 'm'
constexpr float kOverhangRight = 75; // right ink edge of 'f'
constexpr uint32_t kTallCode = 0xC5;
constexpr float kTallScale = 0.5f;
constexpr uint32_t kColourCode = 0x2605;
constexpr uint8_t kColourOuter[3] = {0xff, 0, 0};
constexpr uint8_t kColourInner[3] = {0, 0, 0xff};

// The advance of a code the font has, for expected positions in tests.
inline float Advance(uint32_t code)
{
    if (code == ' ' || code == '-' || code == 'i')
        return 25;
    if (code >= '0' && code <= '9')
        return kDigitAdvance;
    if (code == 'W' || code == 'm' || code == kTallCode || code == kColourCode)
        return 100;
    if (code >= 'A' && code <= 'Z')
        return kUpperAdvance;
    return kLowerAdvance; // 'a'..'z', '_'
}

inline std::vector<mvec::TGlyph> Glyphs()
{
    using mvec::BoxGlyph;
    std::vector<mvec::TGlyph> glyphs;
    glyphs.push_back({' ', 0, 0, 0, 0, kSpaceAdvance, mvec::TCommands().End().Bytes()});
    glyphs.push_back(BoxGlyph('-', kHyphenAdvance, 0, -30, 25, -20));
    for (uint32_t c = '0'; c <= '9'; ++c)
        glyphs.push_back(BoxGlyph(c, kDigitAdvance, 0, -80, 50, 0));
    for (uint32_t c = 'A'; c <= 'Z'; ++c) {
        float width = c == 'W' ? kWAdvance : kUpperAdvance;
        glyphs.push_back(BoxGlyph(c, width, 0, -kAscent, width, 0));
    }
    glyphs.push_back(BoxGlyph('_', kLowerAdvance, 0, 15, 50, 25));
    for (uint32_t c = 'a'; c <= 'z'; ++c) {
        if (c == 'f')
            glyphs.push_back(BoxGlyph(c, kLowerAdvance, 0, -80, kOverhangRight, 0));
        else if (c == 'g')
            glyphs.push_back(BoxGlyph(c, kLowerAdvance, 0, -50, 50, kDescent));
        else if (c == 'i')
            glyphs.push_back(BoxGlyph(c, kNarrowAdvance, 0, -50, 25, 0));
        else if (c == 'm')
            glyphs.push_back(BoxGlyph(c, kWideAdvance, 0, -50, 100, 0));
        else
            glyphs.push_back(BoxGlyph(c, kLowerAdvance, 0, -50, 50, 0));
    }
    glyphs.push_back(BoxGlyph(kTallCode, 100, 0, -197.5f, 100, 0));

    mvec::TCommands colour;
    colour.Shape().Colour(kColourOuter[0], kColourOuter[1], kColourOuter[2]).LeftFill(1).Rect(0, -80, 100, 0);
    colour.Shape().Colour(kColourInner[0], kColourInner[1], kColourInner[2]).LeftFill(1).Rect(25, -55, 75, -25);
    glyphs.push_back({kColourCode, 0, 100, -80, 0, 100, colour.End().Bytes()});
    mvec::SortByCode(glyphs);
    return glyphs;
}

// The font's file image.
inline std::vector<uint8_t> Bytes()
{
    return mvec::WriteFont(Glyphs()).bytes;
}

} // namespace synthetic_font
