// The fonts the build makes from free faces: the built-in font and the
// faces under assets/fonts load, hold the characters the game needs, and
// every outline is well-formed and inside its glyph's ink box.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/BuiltinFontData.h"
#include "render/VecFont.h"

namespace {

std::vector<uint8_t> ReadFont(const std::string& name)
{
    std::ifstream in(std::string(QUILLORY_FONT_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Builtin()
{
    return {kBuiltinFontData, kBuiltinFontData + sizeof kBuiltinFontData};
}

// ASCII, Latin-1, Latin Extended-A, code page 1252's other characters, the
// euro and trade-mark signs, common punctuation and number forms.
std::vector<uint32_t> FullSet()
{
    std::vector<uint32_t> codes;
    for (uint32_t c = 0x20; c <= 0x7E; ++c)
        codes.push_back(c);
    for (uint32_t c = 0xA0; c <= 0x17F; ++c)
        codes.push_back(c);
    for (uint32_t c : {0x192u, 0x2C6u, 0x2DCu, 0x2013u, 0x2014u, 0x2018u, 0x2019u, 0x201Cu, 0x201Du, 0x2022u, 0x2026u,
                       0x20ACu, 0x2122u, 0x2153u, 0x2160u, 0x2183u})
        codes.push_back(c);
    return codes;
}

// The handwriting face has fewer: ASCII, Latin-1 and the signs.
std::vector<uint32_t> ChalkSet()
{
    std::vector<uint32_t> codes;
    for (uint32_t c = 0x20; c <= 0x7E; ++c)
        codes.push_back(c);
    for (uint32_t c = 0xA0; c <= 0xFF; ++c)
        codes.push_back(c);
    for (uint32_t c : {0x2C6u, 0x2DCu, 0x2013u, 0x2014u, 0x2018u, 0x2019u, 0x201Cu, 0x201Du, 0x2026u, 0x20ACu, 0x2122u})
        codes.push_back(c);
    return codes;
}

// Every command list: plain fill, coordinates inside the ink box, ended.
void CheckOutlines(const TVecFont& font)
{
    constexpr float kSlack = 1.0f / 128;
    for (int32_t g = 0; g < font.GetGlyphCount(); ++g) {
        SCOPED_TRACE(font.GetCode(g));
        TGlyphCommands list = font.GetCommands(g);
        ASSERT_NE(list.data, nullptr);
        TGlyphCommandReader reader(list);
        TGlyphCommand c;
        int points = 0;
        auto inside = [&](float x, float y) {
            ++points;
            EXPECT_GE(x, font.GetLeft(g) - kSlack);
            EXPECT_LE(x, font.GetRight(g) + kSlack);
            EXPECT_GE(y, font.GetTop(g) - kSlack);
            EXPECT_LE(y, font.GetBottom(g) + kSlack);
        };
        while (reader.Next(c)) {
            if (c.opcode == kGlyphLeftFill) {
                EXPECT_EQ(c.style, 1);
            }
            EXPECT_NE(c.opcode, kGlyphColour);
            EXPECT_NE(c.opcode, kGlyphRightFill);
            if (c.opcode == kGlyphCurve)
                inside(c.cx, c.cy);
            if (c.opcode == kGlyphMove || c.opcode == kGlyphLine || c.opcode == kGlyphCurve)
                inside(c.x, c.y);
        }
        EXPECT_FALSE(reader.IsDamaged());
        if (points == 0) {
            EXPECT_EQ(font.GetLeft(g), 0);
            EXPECT_EQ(font.GetBottom(g), 0);
        }
        EXPECT_GE(font.GetAdvance(g), 0);
        EXPECT_LE(font.GetAdvance(g), 256);
    }
}

} // namespace

TEST(GeneratedFont, FacesLoadWithTheCharactersTheGameNeeds)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> codes;
    };
    const Case cases[] = {
        {"built-in", Builtin(), FullSet()},
        {"fonts/default.mvec", ReadFont("default.mvec"), FullSet()},
        {"fonts/plain.mvec", ReadFont("plain.mvec"), FullSet()},
        {"fonts/bold.mvec", ReadFont("bold.mvec"), FullSet()},
        {"fonts/chalk.mvec", ReadFont("chalk.mvec"), ChalkSet()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GT(c.bytes.size(), 12u);
        TVecFont font(c.bytes, c.name);
        EXPECT_GE(size_t(font.GetGlyphCount()), c.codes.size());
        for (uint32_t code : c.codes)
            EXPECT_GE(font.FindGlyph(code), 0) << "U+" << std::hex << code;
        for (int32_t g = 1; g < font.GetGlyphCount(); ++g)
            EXPECT_LT(font.GetCode(g - 1), font.GetCode(g));

        // Scaled so that ascent and descent make 100 units.
        EXPECT_NEAR(font.GetAscent() + font.GetDescent(), 100, 0.02);
        EXPECT_GT(font.GetAscent(), 60);
        EXPECT_LT(font.GetAscent(), 85);
        int32_t w = font.FindGlyph('W');
        EXPECT_GT(font.GetRight(w), font.GetLeft(w));
        EXPECT_GT(font.GetAdvance(w), 50);
        int32_t space = font.FindGlyph(' ');
        EXPECT_GT(font.GetAdvance(space), 15);
        TGlyphCommands blank = font.GetCommands(space);
        ASSERT_GT(blank.size, 0u);
        EXPECT_EQ(blank.data[0], kGlyphEnd);
        // Plain letters fit the line box; "g" reaches below the baseline.
        EXPECT_EQ(font.GetScaleFactor(font.FindGlyph('A')), 1);
        EXPECT_EQ(font.GetScaleFactor(font.FindGlyph('g')), 1);
        EXPECT_GT(font.GetBottom(font.FindGlyph('g')), 10);
        CheckOutlines(font);
    }
}

TEST(GeneratedFont, FacesDiffer)
{
    TVecFont plain(ReadFont("plain.mvec"), "plain"), bold(ReadFont("bold.mvec"), "bold");
    int32_t p = plain.FindGlyph('m'), b = bold.FindGlyph('m');
    // The bold "m" is wider.
    EXPECT_GT(bold.GetAdvance(b), plain.GetAdvance(p) * 1.05f);
    // The built-in font and fonts/default.mvec are the same face.
    EXPECT_EQ(Builtin(), ReadFont("default.mvec"));
    EXPECT_EQ(ReadFont("plain.mvec"), ReadFont("default.mvec"));
    EXPECT_NE(ReadFont("chalk.mvec"), ReadFont("default.mvec"));
}
